#include "QKFramework/Utilities/Storage/CharUtil.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace QK
{
namespace
{

struct IntegerCase
{
    const char* text;
    std::int32_t int32;
    std::int64_t int64;
};

// Parsing stops at the first character that is not a digit and saturates at the range ends.
const IntegerCase kIntegerCases[] = {
    {"", 0, 0},
    {"abc", 0, 0},
    {"  \t42abc", 42, 42},
    {"+7", 7, 7},
    {"-0", 0, 0},
    {"- 5", 0, 0},
    {"2147483647", INT32_MAX, 2147483647},
    {"2147483648", INT32_MAX, 2147483648LL},
    {"-2147483648", INT32_MIN, -2147483648LL},
    {"-2147483649", INT32_MIN, -2147483649LL},
    {"9223372036854775807", INT32_MAX, INT64_MAX},
    {"9223372036854775808", INT32_MAX, INT64_MAX},
    {"-9223372036854775808", INT32_MIN, INT64_MIN},
    {"-99999999999999999999999", INT32_MIN, INT64_MIN},
};

TEST(CharUtilTest, ParsesLeadingIntegersWithSaturation)
{
    for (const IntegerCase& c : kIntegerCases)
    {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseInt(c.text), c.int32);
        EXPECT_EQ(ParseInt64(c.text), c.int64);
    }
}

} // namespace
} // namespace QK
