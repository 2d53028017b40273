// The ordering of values used by sorted value lists.

#include "QKFramework/Utilities/Storage/VariantOrder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace
{

using namespace QK;

template <class T>
Variant Number(std::uint32_t kind, T number)
{
    Variant value;
    value.SetData(kind, &number, sizeof(number));
    return value;
}

Variant Bytes(const std::string& bytes)
{
    Variant value;
    value.SetBytes(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return value;
}

struct Ordered
{
    const char* what;
    Variant lower;
    Variant higher;
};

// Each pair is strictly ordered one way and not the other.
TEST(VariantOrder, OrdersAcrossAndWithinKinds)
{
    Variant text;
    text.SetString("a");
    const Ordered cases[] = {
        {"empty before false", Variant(), Number<std::uint8_t>(kVariantBool, 0)},
        {"negative before zero", Number<std::int32_t>(kVariantInt32, -1), Number<std::uint8_t>(kVariantUInt8, 0)},
        {"same value: by kind", Number<std::int32_t>(kVariantInt32, 5), Number<std::int64_t>(kVariantInt64, 5)},
        {"unsigned 64 beyond signed", Number<std::int64_t>(kVariantInt64, std::numeric_limits<std::int64_t>::max()),
         Number<std::uint64_t>(kVariantUInt64, std::numeric_limits<std::uint64_t>::max())},
        {"negative before unsigned 64", Number<std::int64_t>(kVariantInt64, -1),
         Number<std::uint64_t>(kVariantUInt64, 0)},
        {"integer before larger double", Number<std::int32_t>(kVariantInt32, 2), Number<double>(kVariantDouble, 2.5)},
        {"double before larger integer", Number<double>(kVariantDouble, 1.5), Number<std::int32_t>(kVariantInt32, 2)},
        {"numbers before NaN", Number<double>(kVariantDouble, 1e300),
         Number<double>(kVariantDouble, std::numeric_limits<double>::quiet_NaN())},
        {"numbers before bytes", Number<std::uint64_t>(kVariantUInt64, ~0ull), Bytes("")},
        {"shorter bytes first", Bytes("z"), Bytes("aa")},
        {"bytes compare unsigned", Bytes("\x7F"), Bytes("\x80")},
        {"same bytes: by kind", Bytes("a"), text},
    };
    for (const Ordered& c : cases)
    {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(IsVariantLess(c.lower, c.higher));
        EXPECT_FALSE(IsVariantLess(c.higher, c.lower));
        EXPECT_FALSE(IsVariantLess(c.lower, c.lower));
    }
}

TEST(VariantOrder, EqualValuesAreUnordered)
{
    const Variant pairs[][2] = {
        {Variant(), Variant()},
        {Number<std::int32_t>(kVariantInt32, 7), Number<std::int32_t>(kVariantInt32, 7)},
        {Bytes("abc"), Bytes("abc")},
        {Bytes(""), Bytes("")},
    };
    for (const auto& pair : pairs)
    {
        EXPECT_FALSE(IsVariantLess(pair[0], pair[1]));
        EXPECT_FALSE(IsVariantLess(pair[1], pair[0]));
        EXPECT_TRUE(pair[0].IsEqual(pair[1]));
    }
}

// References are equal only at one address, so the order must tell two apart.
TEST(VariantOrder, ReferencesToEqualBytesAreStillOrdered)
{
    const std::uint8_t first[2] = {1, 2};
    const std::uint8_t second[2] = {1, 2};
    Variant a;
    a.SetReadOnlyReference(first, 2);
    Variant b;
    b.SetReadOnlyReference(second, 2);
    EXPECT_NE(IsVariantLess(a, b), IsVariantLess(b, a));
    EXPECT_TRUE(IsVariantLess(Number<std::int8_t>(kVariantInt8, 100), a));
    EXPECT_TRUE(IsVariantLess(a, Bytes("")));
}

} // namespace
