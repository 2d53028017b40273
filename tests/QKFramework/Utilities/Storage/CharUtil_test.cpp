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

struct ClassCase
{
    char16_t c;
    bool printable;
    bool space;
};

// Letters beyond ASCII are printable in every locale; controls and separators are not.
const ClassCase kClassCases[] = {
    {u'a', true, false},      {u'\u00E9', true, false}, {u'\u0416', true, false}, {u'\u65E5', true, false},
    {u' ', true, true},       {u'\t', false, true},     {u'\n', false, true},     {u'\r', false, true},
    {0x0B, false, true},      {0x0C, false, true},      {0x00, false, false},     {0x08, false, false},
    {0x1B, false, false},     {0x7F, false, false},     {0x85, false, true},      {0x9F, false, false},
    {0xA0, true, false},      {0x2007, true, false},    {0x202F, true, false},    {0x2003, true, true},
    {0x3000, true, true},     {0x2028, false, true},    {0xD83D, true, false},    {0xFFFF, false, false},
    {0xFFFD, true, false},
};

TEST(CharUtilTest, ClassifiesPrintableAndWhiteSpaceCharactersWhateverTheLocale)
{
    for (const ClassCase& c : kClassCases)
    {
        SCOPED_TRACE(static_cast<int>(c.c));
        EXPECT_EQ(IsPrintableChar(c.c), c.printable);
        EXPECT_EQ(IsWhiteSpaceChar(c.c), c.space);
    }
}

} // namespace
} // namespace QK
