// Values, their conversions and their records. The records are a stored format, so most
// tests here compare exact bytes.
#include "QKFramework/Utilities/Storage/Variant.h"

#include "QKFramework/Utilities/Storage/Array.h"
#include "tests/support/ValueRecords.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

Bytes SerializeToBytes(const Variant& value)
{
    Bytes record(1024);
    const QKRESULT size = Variant::Serialize(value, record.data(), static_cast<std::uint32_t>(record.size()));
    EXPECT_GE(size, 12);
    record.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
    return record;
}

// --- Records, byte by byte ----------------------------------------------------------------

std::uint8_t g_writable[] = {0xAA, 0xBB};
const std::uint8_t g_readOnly[] = {0xCC};

struct GoldenCase
{
    const char* name;
    std::function<Variant()> make;
    Bytes record;
};

const GoldenCase kGoldenCases[] = {
    {"empty", [] { return Variant(); }, {0x0C, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
    {"bool", [] { return Make(kVariantBool, {1}); }, {0x0D, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0x01}},
    {"int8", [] { return Make(kVariantInt8, {0xFE}); }, {0x0D, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0xFE}},
    {"uint8", [] { return Make(kVariantUInt8, {0xC8}); }, {0x0D, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0, 0xC8}},
    {"int16 0x1234",
     [] { return Make(kVariantInt16, {0x34, 0x12}); },
     {0x0E, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x34, 0x12}},
    {"uint16", [] { return Make(kVariantUInt16, {0xEF, 0xBE}); }, {0x0E, 0, 0, 0, 1, 0, 0, 0, 5, 0, 0, 0, 0xEF, 0xBE}},
    {"int32",
     [] { return Make(kVariantInt32, {0xFF, 0xFF, 0xFF, 0xFF}); },
     {0x10, 0, 0, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}},
    {"uint32",
     [] { return Make(kVariantUInt32, {0x78, 0x56, 0x34, 0x12}); },
     {0x10, 0, 0, 0, 1, 0, 0, 0, 7, 0, 0, 0, 0x78, 0x56, 0x34, 0x12}},
    {"float 1.5",
     [] { return Make(kVariantFloat, {0x00, 0x00, 0xC0, 0x3F}); },
     {0x10, 0, 0, 0, 1, 0, 0, 0, 8, 0, 0, 0, 0x00, 0x00, 0xC0, 0x3F}},
    {"double 1.5",
     [] { return Make(kVariantDouble, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}); },
     {0x14, 0, 0, 0, 1, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F}},
    {"int64",
     [] { return Make(kVariantInt64, {0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}); },
     {0x14, 0, 0, 0, 1, 0, 0, 0, 10, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
    {"uint64",
     [] { return Make(kVariantUInt64, {8, 7, 6, 5, 4, 3, 2, 1}); },
     {0x14, 0, 0, 0, 1, 0, 0, 0, 11, 0, 0, 0, 8, 7, 6, 5, 4, 3, 2, 1}},
    {"writable reference",
     []
     {
         Variant v;
         v.SetWritableReference(g_writable, sizeof g_writable);
         return v;
     },
     {0x0E, 0, 0, 0, 1, 0, 0, 0, 12, 0, 0, 0, 0xAA, 0xBB}},
    {"read-only reference",
     []
     {
         Variant v;
         v.SetReadOnlyReference(g_readOnly, sizeof g_readOnly);
         return v;
     },
     {0x0D, 0, 0, 0, 1, 0, 0, 0, 13, 0, 0, 0, 0xCC}},
    {"byte block", [] { return Make(kVariantBytes, {1, 2, 3}); }, {0x0F, 0, 0, 0, 1, 0, 0, 0, 14, 0, 0, 0, 1, 2, 3}},
    {"text", [] { return MakeText("ab"); }, {0x0F, 0, 0, 0, 1, 0, 0, 0, 15, 0, 0, 0, 'a', 'b', 0}},
    {"list of one",
     []
     {
         Variant item = Make(kVariantInt8, {0x01});
         Variant list;
         list.SetList(&item, 1);
         return list;
     },
     {0x19, 0, 0, 0, 1, 0, 0, 0, 16, 0, 0, 0, 0x0D, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0x01}},
    {"empty list",
     []
     {
         Variant list;
         list.SetList(static_cast<const Variant*>(nullptr), 0);
         return list;
     },
     {0x0C, 0, 0, 0, 1, 0, 0, 0, 16, 0, 0, 0}},
};

TEST(ValueRecordTest, EveryKindWritesItsGoldenBytesAndReadsBack)
{
    for (const GoldenCase& c : kGoldenCases)
    {
        SCOPED_TRACE(c.name);
        const Variant value = c.make();
        const Bytes record = SerializeToBytes(value);
        EXPECT_EQ(record, c.record);

        Variant back;
        const QKRESULT read = Variant::Deserialize(back, record.data(), static_cast<std::uint32_t>(record.size()));
        if (value.GetKind() == kVariantWritableReference || value.GetKind() == kVariantReadOnlyReference)
        {
            // References do not travel: their bytes arrive as a byte block, reported as a failure.
            EXPECT_EQ(read, QK_E_FAIL);
            EXPECT_EQ(back.GetKind(), kVariantBytes);
            EXPECT_EQ(DataOf(back), DataOf(value));
        }
        else
        {
            EXPECT_EQ(read, QK_OK);
            EXPECT_TRUE(back.IsEqual(value));
        }
    }
}

TEST(ValueRecordTest, WritingFailsWithoutRoomOrForAReferenceWithoutData)
{
    const Variant value = Make(kVariantInt16, {0x34, 0x12});
    Bytes buffer(14, 0xEE);
    EXPECT_EQ(Variant::Serialize(value, nullptr, 14), QK_E_FAIL);
    EXPECT_EQ(Variant::Serialize(value, buffer.data(), 13), QK_E_FAIL);
    EXPECT_EQ(buffer, Bytes(14, 0xEE));
    EXPECT_EQ(Variant::Serialize(value, buffer.data(), 14), 14);

    Variant noData;
    noData.SetReadOnlyReference(nullptr, 4);
    EXPECT_EQ(Variant::Serialize(noData, buffer.data(), 14), QK_E_FAIL);
    noData.SetWritableReference(g_writable, 0);
    EXPECT_EQ(Variant::Serialize(noData, buffer.data(), 14), QK_E_FAIL);
}

struct PortableCase
{
    std::uint32_t code;
    Bytes data;
    QKRESULT result;
    std::uint32_t kind;
};

TEST(ValueRecordTest, PortableCodesReadAsTheirNativeKinds)
{
    const PortableCase cases[] = {
        {0, {}, QK_OK, kVariantEmpty},
        {1, {1}, QK_OK, kVariantBool},
        {2, {5, 0, 0, 0}, QK_OK, kVariantInt32},
        {3, {5, 0, 0, 0, 0, 0, 0, 0}, QK_OK, kVariantInt64},
        {4, {0, 0, 0xC0, 0x3F}, QK_OK, kVariantFloat},
        {5, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}, QK_OK, kVariantDouble},
        {6, {1, 2}, QK_E_FAIL, kVariantBytes},
        {7, {1, 2}, QK_E_FAIL, kVariantBytes},
        {8, {1, 2}, QK_OK, kVariantBytes},
        {9, {'h', 'i', 0}, QK_OK, kVariantText},
        {10, {}, QK_OK, kVariantList},
        {11, {5, 0, 0, 0}, QK_E_FAIL, kVariantEmpty},
        {0xFFFFFFFF, {5, 0, 0, 0}, QK_E_FAIL, kVariantEmpty},
    };
    for (const PortableCase& c : cases)
    {
        SCOPED_TRACE(c.code);
        const Bytes record = Record(12 + static_cast<std::uint32_t>(c.data.size()), 0, c.code, c.data);
        Variant value;
        EXPECT_EQ(Variant::Deserialize(value, record.data(), static_cast<std::uint32_t>(record.size())), c.result);
        EXPECT_EQ(value.GetKind(), c.kind);
        if (c.kind != kVariantEmpty && c.kind != kVariantList)
        {
            EXPECT_EQ(DataOf(value), c.data);
        }
    }
}

struct BadRecordCase
{
    const char* name;
    Bytes record;
    std::uint32_t available;
};

TEST(ValueRecordTest, MalformedRecordsFailAndLeaveTheValueEmpty)
{
    const Bytes okInt32 = Record(16, 1, kVariantInt32, {1, 0, 0, 0});
    const BadRecordCase cases[] = {
        {"fewer than 12 available", okInt32, 11},
        {"nothing available", okInt32, 0},
        {"size beyond what is available", okInt32, 15},
        {"size 0", Record(0, 1, kVariantInt32, {1, 0, 0, 0}), 16},
        {"size below a header", Record(11, 1, kVariantEmpty), 12},
        {"code space 2", Record(16, 2, kVariantInt32, {1, 0, 0, 0}), 16},
        {"native kind 17", Record(16, 1, 17, {1, 0, 0, 0}), 16},
        {"native kind far out", Record(16, 1, 0x80000000u, {1, 0, 0, 0}), 16},
        {"12-byte record of a fixed kind", Record(12, 1, kVariantInt32), 12},
        {"12-byte record of a byte block", Record(12, 1, kVariantBytes), 12},
        {"12-byte record of a text", Record(12, 1, kVariantText), 12},
        {"13-byte record of kind 0", Record(13, 1, kVariantEmpty, {0}), 13},
        {"32-bit value with 3 bytes", Record(15, 1, kVariantInt32, {1, 0, 0}), 15},
        {"32-bit value with 5 bytes", Record(17, 1, kVariantInt32, {1, 0, 0, 0, 0}), 17},
        {"bool with 2 bytes", Record(14, 1, kVariantBool, {1, 0}), 14},
        {"double with 4 bytes", Record(16, 1, kVariantDouble, {0, 0, 0, 0}), 16},
    };
    for (const BadRecordCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        // An exact-size copy, so that a read past the available bytes is an ASan error.
        const Bytes block(c.record.begin(), c.record.begin() + std::min<std::size_t>(c.available, c.record.size()));
        Variant value = MakeText("previous");
        EXPECT_EQ(Variant::Deserialize(value, block.data(), c.available), QK_E_FAIL);
        EXPECT_EQ(value.GetKind(), kVariantEmpty);
        EXPECT_EQ(value.GetLength(), 0u);
    }
    Variant value;
    EXPECT_EQ(Variant::Deserialize(value, nullptr, 12), QK_E_FAIL);
}

TEST(ValueRecordTest, ARecordIsReadWithinItsSizeWhateverFollows)
{
    Bytes block = Record(16, 1, kVariantInt32, {7, 0, 0, 0});
    block.insert(block.end(), {0xFF, 0xFF, 0xFF});
    Variant value;
    EXPECT_EQ(Variant::Deserialize(value, block.data(), static_cast<std::uint32_t>(block.size())), QK_OK);
    EXPECT_EQ(value.ToInt32(), 7);
}

TEST(ValueRecordTest, TextWithoutATerminatorIsBoundedByItsRecord)
{
    struct
    {
        Bytes data;
        const char* text;
    } const cases[] = {
        {{'a', 'b', 'c'}, "abc"},
        {{'a', 'b', 0, 'c', 'd'}, "ab"},
        {{0}, ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        const Bytes record = Record(12 + static_cast<std::uint32_t>(c.data.size()), 1, kVariantText, c.data);
        Variant value;
        ASSERT_EQ(Variant::Deserialize(value, record.data(), static_cast<std::uint32_t>(record.size())), QK_OK);
        EXPECT_STREQ(value.GetOwnedBuffer(), c.text);
        EXPECT_EQ(value.GetLength(), std::strlen(c.text) + 1);
    }
}

// --- Setters, copies and equality ---------------------------------------------------------

TEST(VariantTest, SetDataNeedsTheExactSizeOfAFixedKind)
{
    const std::uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const struct
    {
        std::uint32_t kind;
        std::uint32_t size;
    } fixed[] = {{1, 1}, {2, 1}, {3, 1}, {4, 2}, {5, 2}, {6, 4}, {7, 4}, {8, 4}, {9, 8}, {10, 8}, {11, 8}};
    for (const auto& f : fixed)
    {
        SCOPED_TRACE(f.kind);
        Variant value;
        EXPECT_EQ(value.SetData(f.kind, bytes, f.size), f.kind);
        EXPECT_EQ(DataOf(value), Bytes(bytes, bytes + f.size));
        EXPECT_EQ(value.SetData(f.kind, bytes, f.size + 1), kVariantEmpty);
        EXPECT_EQ(value.SetData(f.kind, bytes, f.size - 1), kVariantEmpty);
    }

    Variant value;
    EXPECT_EQ(value.SetData(kVariantWritableReference, bytes, 3), kVariantBytes);
    EXPECT_EQ(value.SetData(kVariantReadOnlyReference, bytes, 3), kVariantBytes);
    EXPECT_EQ(value.SetData(kVariantList, bytes, 3), kVariantList);
    EXPECT_EQ(value.SetData(17, bytes, 3), kVariantEmpty);
    EXPECT_EQ(value.SetData(kVariantEmpty, bytes, 3), kVariantEmpty);
}

TEST(VariantTest, CopiesOwnTheirBlocks)
{
    const Variant source = Make(kVariantBytes, {1, 2, 3});
    Variant copy(source);
    std::uint32_t size = 0;
    EXPECT_NE(copy.GetData(size), source.GetData(size));
    static_cast<std::uint8_t*>(copy.GetMutableData(size))[0] = 9;
    EXPECT_EQ(DataOf(source), (Bytes{1, 2, 3}));

    Variant assigned = MakeText("old");
    EXPECT_EQ(assigned.Assign(source), kVariantBytes);
    EXPECT_TRUE(assigned.IsEqual(source));
    EXPECT_EQ(assigned.Assign(assigned), kVariantBytes);
    EXPECT_EQ(DataOf(assigned), (Bytes{1, 2, 3}));

    // A copy of a reference refers to the same bytes.
    Variant reference;
    reference.SetReadOnlyReference(g_readOnly, 1);
    const Variant referenceCopy(reference);
    EXPECT_EQ(referenceCopy.GetData(size), static_cast<const void*>(g_readOnly));
}

TEST(VariantTest, SettersMayTakeBytesFromTheValuesOwnBlock)
{
    Variant value = Make(kVariantBytes, {1, 2, 3, 4});
    std::uint32_t size = 0;
    const auto* data = static_cast<const std::uint8_t*>(value.GetData(size));
    value.SetBytes(data + 1, 2);
    EXPECT_EQ(DataOf(value), (Bytes{2, 3}));

    value = MakeText("hello");
    value.SetString(value.GetOwnedBuffer() + 1);
    EXPECT_STREQ(value.GetOwnedBuffer(), "ello");

    value = Make(kVariantBytes, {7, 0, 0, 0});
    EXPECT_EQ(value.SetData(kVariantInt32, value.GetData(size), 4), kVariantInt32);
    EXPECT_EQ(value.ToInt32(), 7);

    const Bytes record = Record(16, 1, kVariantInt32, {9, 0, 0, 0});
    value.SetBytes(record.data(), static_cast<std::uint32_t>(record.size()));
    const void* own = value.GetData(size);
    EXPECT_EQ(Variant::Deserialize(value, own, size), QK_OK);
    EXPECT_EQ(value.ToInt32(), 9);
}

TEST(VariantTest, OwningKindsWithoutBytesHaveNoBlock)
{
    Variant value;
    value.SetBytes(nullptr, 0);
    EXPECT_EQ(value.GetKind(), kVariantBytes);
    EXPECT_EQ(value.GetLength(), 0u);
    EXPECT_FALSE(value.ToBool());
    value.SetBytes(nullptr, 3);
    EXPECT_EQ(DataOf(value), (Bytes{0, 0, 0}));
    value.SetString(nullptr);
    EXPECT_EQ(value.GetLength(), 1u);
    EXPECT_STREQ(value.GetOwnedBuffer(), "");
}

TEST(VariantTest, MutableDataExcludesReadOnlyReferencesAndLists)
{
    std::uint32_t size = 99;
    Variant value;
    value.SetReadOnlyReference(g_readOnly, 1);
    EXPECT_EQ(value.GetMutableData(size), nullptr);
    EXPECT_EQ(size, 0u);
    value.SetData(kVariantList, g_readOnly, 1);
    EXPECT_EQ(value.GetMutableData(size), nullptr);
    value.SetWritableReference(g_writable, 2);
    EXPECT_EQ(value.GetMutableData(size), static_cast<void*>(g_writable));
    EXPECT_EQ(size, 2u);
    value = MakeText("x");
    EXPECT_NE(value.GetMutableData(size), nullptr);
    EXPECT_EQ(value.GetOwnedBuffer(), value.GetMutableData(size));
    value = Make(kVariantBytes, {1});
    EXPECT_EQ(value.GetOwnedBuffer(), nullptr);
}

TEST(VariantTest, Equality)
{
    const std::uint8_t left[] = {1, 2, 3};
    const std::uint8_t right[] = {1, 2, 3};
    Variant a, b;
    a.SetReadOnlyReference(left, 3);
    b.SetReadOnlyReference(right, 3);
    EXPECT_FALSE(a.IsEqual(b)) << "references compare addresses";
    b.SetReadOnlyReference(left, 3);
    EXPECT_TRUE(a.IsEqual(b));
    b.SetReadOnlyReference(left, 2);
    EXPECT_FALSE(a.IsEqual(b));

    EXPECT_TRUE(Make(kVariantBytes, {1, 2, 3}).IsEqual(Make(kVariantBytes, {1, 2, 3})));
    EXPECT_FALSE(Make(kVariantBytes, {1, 2, 3}).IsEqual(Make(kVariantBytes, {1, 2, 4})));
    EXPECT_FALSE(Make(kVariantBytes, {1, 2}).IsEqual(Make(kVariantBytes, {1, 2, 3})));
    EXPECT_FALSE(Make(kVariantInt32, {1, 0, 0, 0}).IsEqual(Make(kVariantUInt32, {1, 0, 0, 0})));
    EXPECT_TRUE(Variant().IsEqual(Variant()));

    Variant emptyBlock, otherEmptyBlock;
    emptyBlock.SetBytes(nullptr, 0);
    otherEmptyBlock.SetBytes(nullptr, 0);
    EXPECT_TRUE(emptyBlock.IsEqual(otherEmptyBlock));

    const float nan = std::numeric_limits<float>::quiet_NaN();
    Variant n;
    n.SetData(kVariantFloat, &nan, 4);
    EXPECT_FALSE(n.IsEqual(n));
    const float zero = 0.0f, negativeZero = -0.0f;
    Variant z1, z2;
    z1.SetData(kVariantFloat, &zero, 4);
    z2.SetData(kVariantFloat, &negativeZero, 4);
    EXPECT_TRUE(z1.IsEqual(z2)) << "floating kinds compare as numbers";

    Array<Variant> first, second;
    first.Add(Make(kVariantInt8, {1}));
    first.Add(MakeText("x"));
    second.Add(Make(kVariantInt8, {1}));
    EXPECT_FALSE(Array<Variant>::IsEqual(first, second));
    second.Add(MakeText("x"));
    EXPECT_TRUE(Array<Variant>::IsEqual(first, second));
    second.GetAt(1)->SetString("y");
    EXPECT_FALSE(Array<Variant>::IsEqual(first, second));
}

// --- Conversions ----------------------------------------------------------------------------

struct ConversionCase
{
    const char* name;
    std::function<Variant()> make;
    std::int8_t int8;
    std::int16_t int16;
    std::uint16_t uint16;
    std::int32_t int32;
    std::uint32_t uint32;
    std::int64_t int64;
    std::uint64_t uint64;
    double real;
    bool boolean;
};

Variant MakeDouble(double value)
{
    Variant v;
    v.SetData(kVariantDouble, &value, 8);
    return v;
}

Variant MakeFloat(float value)
{
    Variant v;
    v.SetData(kVariantFloat, &value, 4);
    return v;
}

const ConversionCase kConversionCases[] = {
    {"empty", [] { return Variant(); }, 0, 0, 0, 0, 0, 0, 0, 0.0, false},
    {"bool holding 5", [] { return Make(kVariantBool, {5}); }, 1, 5, 5, 5, 5, 5, 5, 5.0, true},
    {"bool false", [] { return Make(kVariantBool, {0}); }, 0, 0, 0, 0, 0, 0, 0, 0.0, false},
    {"int8 -1", [] { return Make(kVariantInt8, {0xFF}); }, -1, -1, 255, -1, 0xFFFFFFFFu, -1, UINT64_MAX, -1.0, true},
    {"uint8 255", [] { return Make(kVariantUInt8, {0xFF}); }, -1, 255, 255, 255, 255, 255, 255, 255.0, true},
    {"int16 -2",
     [] { return Make(kVariantInt16, {0xFE, 0xFF}); },
     -2, -2, 0xFFFE, -2, 0xFFFFFFFEu, -2, UINT64_MAX - 1, -2.0, true},
    {"uint16 0xFFFE",
     [] { return Make(kVariantUInt16, {0xFE, 0xFF}); },
     -2, -2, 0xFFFE, 0xFFFE, 0xFFFE, 0xFFFE, 0xFFFE, 65534.0, true},
    {"int32 -1",
     [] { return Make(kVariantInt32, {0xFF, 0xFF, 0xFF, 0xFF}); },
     -1, -1, 0xFFFF, -1, 0xFFFFFFFFu, -1, UINT64_MAX, -1.0, true},
    {"uint32 0xFFFFFFFF",
     [] { return Make(kVariantUInt32, {0xFF, 0xFF, 0xFF, 0xFF}); },
     -1, -1, 0xFFFF, -1, 0xFFFFFFFFu, 4294967295LL, 4294967295ULL, 4294967295.0, true},
    {"int64 0x100000001",
     [] { return Make(kVariantInt64, {1, 0, 0, 0, 1, 0, 0, 0}); },
     1, 1, 1, 1, 1, 0x100000001LL, 0x100000001ULL, 4294967297.0, true},
    {"uint64 max",
     [] { return Make(kVariantUInt64, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}); },
     -1, -1, 0xFFFF, -1, 0xFFFFFFFFu, -1, UINT64_MAX, 18446744073709551615.0, true},
    {"double 2.5", [] { return MakeDouble(2.5); }, 3, 3, 3, 3, 3, 3, 3, 2.5, true},
    {"double -2.5",
     [] { return MakeDouble(-2.5); },
     -3, -3, 0xFFFD, -3, 0xFFFFFFFDu, -3, UINT64_MAX - 2, -2.5, true},
    {"double 2.4999", [] { return MakeDouble(2.4999); }, 2, 2, 2, 2, 2, 2, 2, 2.4999, true},
    {"double 65537.5 keeps the low bits",
     [] { return MakeDouble(65537.5); },
     2, 2, 2, 65538, 65538, 65538, 65538, 65537.5, true},
    {"float -0.5", [] { return MakeFloat(-0.5f); }, -1, -1, 0xFFFF, -1, 0xFFFFFFFFu, -1, UINT64_MAX, -0.5, true},
    {"double NaN is true and converts to 0",
     [] { return MakeDouble(std::nan("")); },
     0, 0, 0, 0, 0, 0, 0, std::nan(""), true},
    {"double beyond the 64-bit range saturates",
     [] { return MakeDouble(1e30); },
     -1, -1, 0xFFFF, -1, 0xFFFFFFFFu, INT64_MAX, UINT64_MAX, 1e30, true},
    {"byte block read little-endian",
     [] { return Make(kVariantBytes, {0x34, 0x12, 0xFF, 0xFF, 1, 0, 0, 0x80}); },
     0x34, 0x1234, 0x1234, static_cast<std::int32_t>(0xFFFF1234u), 0xFFFF1234u,
     static_cast<std::int64_t>(0x80000001FFFF1234ULL), 0x80000001FFFF1234ULL,
     static_cast<double>(static_cast<std::int64_t>(0x80000001FFFF1234ULL)), true},
    {"short byte block gives the bytes it has",
     [] { return Make(kVariantBytes, {0xFF}); },
     -1, 255, 255, 255, 255, 255, 255, 255.0, true},
    {"text abc gives its byte count", [] { return MakeText("abc"); }, 3, 3, 3, 3, 3, 3, 3, 3.0, true},
    {"empty text", [] { return MakeText(""); }, 0, 0, 0, 0, 0, 0, 0, 0.0, false},
    {"list", [] { return Make(kVariantList, Record(12, 1, 0)); }, 0, 0, 0, 0, 0, 0, 0, 0.0, true},
    {"list without block",
     []
     {
         Variant v;
         v.SetList(static_cast<const Variant*>(nullptr), 0);
         return v;
     },
     0, 0, 0, 0, 0, 0, 0, 0.0, false},
};

TEST(VariantTest, ConversionsByKind)
{
    for (const ConversionCase& c : kConversionCases)
    {
        SCOPED_TRACE(c.name);
        const Variant v = c.make();
        EXPECT_EQ(v.ToInt8(), c.int8);
        EXPECT_EQ(v.ToUInt8(), static_cast<std::uint8_t>(c.int8));
        EXPECT_EQ(v.ToInt16(), c.int16);
        EXPECT_EQ(v.ToUInt16(), c.uint16);
        EXPECT_EQ(v.ToInt32(), c.int32);
        EXPECT_EQ(v.ToUInt32(), c.uint32);
        EXPECT_EQ(v.ToInt64(), c.int64);
        EXPECT_EQ(v.ToUInt64(), c.uint64);
        if (std::isnan(c.real))
            EXPECT_TRUE(std::isnan(v.ToDouble()));
        else
            EXPECT_DOUBLE_EQ(v.ToDouble(), c.real);
        EXPECT_EQ(v.ToBool(), c.boolean);
    }
}

TEST(VariantTest, FloatConversions)
{
    EXPECT_FLOAT_EQ(MakeDouble(0.25).ToFloat(), 0.25f);
    EXPECT_TRUE(std::isinf(MakeDouble(1e300).ToFloat()));
    EXPECT_FLOAT_EQ(Make(kVariantInt16, {0xFE, 0xFF}).ToFloat(), -2.0f);
    EXPECT_FLOAT_EQ(Make(kVariantBytes, {0xFF, 0xFF, 0xFF, 0xFF}).ToFloat(), -1.0f);
    EXPECT_FLOAT_EQ(MakeText("abcd").ToFloat(), 4.0f);

    Variant reference;
    EXPECT_FALSE(reference.ToBool());
    reference.SetReadOnlyReference(g_readOnly, 0);
    EXPECT_TRUE(reference.ToBool()) << "a reference is true for its address";
    reference.SetReadOnlyReference(nullptr, 4);
    EXPECT_FALSE(reference.ToBool());
    EXPECT_EQ(reference.ToInt32(), 0) << "no block, no number";
}

} // namespace
} // namespace QK
