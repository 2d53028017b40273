#include "QKFramework/Utilities/Storage/ConvertUtf.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using Units = std::u16string;
using Bytes = std::string;

struct ToUtf8Case
{
    const char* name;
    UtfMode mode;
    Units source;
    std::size_t room; // target bytes available
    UtfResult result;
    Bytes expected;
    std::size_t consumed; // source units behind the stop
};

void PrintTo(const ToUtf8Case& c, std::ostream* os)
{
    *os << c.name;
}

class Utf16ToUtf8Test : public ::testing::TestWithParam<ToUtf8Case>
{
};

TEST_P(Utf16ToUtf8Test, ConvertsAndStopsWhereTheReferenceStops)
{
    const ToUtf8Case& c = GetParam();
    std::vector<char> target(c.room + 1, '#');
    const char16_t* source = c.source.data();
    char* out = target.data();
    EXPECT_EQ(Utf16ToUtf8(&source, c.source.data() + c.source.size(), &out, target.data() + c.room, c.mode),
              c.result);
    EXPECT_EQ(Bytes(target.data(), out), c.expected);
    EXPECT_EQ(static_cast<std::size_t>(source - c.source.data()), c.consumed);
    EXPECT_EQ(target[c.room], '#') << "nothing written past the target end";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf16ToUtf8Test,
    ::testing::Values(
        ToUtf8Case{"OneToFourBytes", UtfMode::Strict, u"a\u00E9\u20AC\U0001D11E", 16, UtfOk,
                   "a\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E", 5},
        ToUtf8Case{"LenientLoneLow", UtfMode::Lenient, Units{0xDC00}, 16, UtfOk, "\xED\xB0\x80", 1},
        ToUtf8Case{"StrictLoneLow", UtfMode::Strict, Units{u'a', 0xDC00}, 16, UtfSourceIllegal, "a", 1},
        ToUtf8Case{"LenientUnpairedHigh", UtfMode::Lenient, Units{0xD800, u'b'}, 16, UtfOk,
                   "\xED\xA0\x80"
                   "b",
                   2},
        ToUtf8Case{"StrictUnpairedHigh", UtfMode::Strict, Units{0xD800, u'b'}, 16, UtfSourceIllegal, "", 0},
        ToUtf8Case{"HighAtTheEnd", UtfMode::Lenient, Units{u'a', 0xD800}, 16, UtfSourceExhausted, "a", 1},
        ToUtf8Case{"TargetFull", UtfMode::Lenient, u"a\u20AC", 3, UtfTargetExhausted, "a", 1},
        ToUtf8Case{"PairDoesNotFit", UtfMode::Lenient, u"\U0001D11E", 3, UtfTargetExhausted, "", 0}));

struct ToUtf16Case
{
    const char* name;
    UtfMode mode;
    Bytes source;
    std::size_t room; // target units available
    UtfResult result;
    Units expected;
    std::size_t consumed;
};

void PrintTo(const ToUtf16Case& c, std::ostream* os)
{
    *os << c.name;
}

class Utf8ToUtf16Test : public ::testing::TestWithParam<ToUtf16Case>
{
};

TEST_P(Utf8ToUtf16Test, ConvertsAndStopsWhereTheReferenceStops)
{
    const ToUtf16Case& c = GetParam();
    std::vector<char16_t> target(c.room + 1, u'#');
    const char* source = c.source.data();
    char16_t* out = target.data();
    EXPECT_EQ(Utf8ToUtf16(&source, c.source.data() + c.source.size(), &out, target.data() + c.room, c.mode),
              c.result);
    EXPECT_EQ(Units(target.data(), out), c.expected);
    EXPECT_EQ(static_cast<std::size_t>(source - c.source.data()), c.consumed);
    EXPECT_EQ(target[c.room], u'#') << "nothing written past the target end";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8ToUtf16Test,
    ::testing::Values(
        ToUtf16Case{"OneToFourBytes", UtfMode::Strict, "\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E", 8, UtfOk,
                    u"\u00E9\u20AC\U0001D11E", 9},
        ToUtf16Case{"OverlongStopsInBothModes", UtfMode::Lenient,
                    "a\xC0\xAF"
                    "b",
                    8, UtfSourceIllegal, u"a", 1},
        ToUtf16Case{"StrayContinuation", UtfMode::Lenient, "a\x80", 8, UtfSourceIllegal, u"a", 1},
        ToUtf16Case{"EncodedSurrogate", UtfMode::Lenient, "\xED\xA0\x80", 8, UtfSourceIllegal, u"", 0},
        ToUtf16Case{"BeyondUnicode", UtfMode::Lenient, "\xF4\x90\x80\x80", 8, UtfSourceIllegal, u"", 0},
        ToUtf16Case{"FiveByteForm", UtfMode::Lenient, "\xF8\x88\x80\x80\x80", 8, UtfSourceIllegal, u"", 0},
        ToUtf16Case{"CutSequence", UtfMode::Strict, "a\xE2\x82", 8, UtfSourceExhausted, u"a", 1},
        ToUtf16Case{"TargetFull", UtfMode::Strict, "ab", 1, UtfTargetExhausted, u"a", 1},
        ToUtf16Case{"PairDoesNotFit", UtfMode::Strict, "a\xF0\x9D\x84\x9E", 2, UtfTargetExhausted, u"a", 1}));

struct LegalCase
{
    std::vector<unsigned char> bytes;
    bool legal;
};

void PrintTo(const LegalCase& c, std::ostream* os)
{
    for (unsigned char b : c.bytes)
        *os << std::hex << int(b) << ' ';
}

class LegalUtf8Test : public ::testing::TestWithParam<LegalCase>
{
};

TEST_P(LegalUtf8Test, JudgesOneSequence)
{
    const LegalCase& c = GetParam();
    EXPECT_EQ(IsLegalUtf8Sequence(c.bytes.data(), static_cast<int>(c.bytes.size())), c.legal);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, LegalUtf8Test,
    ::testing::Values(LegalCase{{0x41}, true}, LegalCase{{0x80}, false}, LegalCase{{0xC1, 0xBF}, false},
                      LegalCase{{0xC2, 0x80}, true}, LegalCase{{0xC2, 0xC0}, false},
                      LegalCase{{0xE0, 0x9F, 0x80}, false}, LegalCase{{0xE0, 0xA0, 0x80}, true},
                      LegalCase{{0xED, 0x9F, 0xBF}, true}, LegalCase{{0xED, 0xA0, 0x80}, false},
                      LegalCase{{0xF0, 0x8F, 0x80, 0x80}, false}, LegalCase{{0xF0, 0x90, 0x80, 0x80}, true},
                      LegalCase{{0xF4, 0x8F, 0xBF, 0xBF}, true}, LegalCase{{0xF4, 0x90, 0x80, 0x80}, false},
                      LegalCase{{0xF5, 0x80, 0x80, 0x80}, false}, LegalCase{{}, false},
                      LegalCase{{0xF8, 0x88, 0x80, 0x80, 0x80}, false}));

// File names: every byte string reads into text and back unchanged, UTF-8 as the text it
// spells, any other byte as its own escape.
TEST(FileNameBytesTest, AnyNameRoundTripsAndUtf8ReadsAsText)
{
    const struct
    {
        const char* what;
        Bytes bytes;
        Units text;
    } cases[] = {
        {"a Latin-1 name", "caf\xE9.vedidu", u"caf\xDCE9.vedidu"},
        {"bytes FF FE alone", "\xFF\xFE", u"\xDCFF\xDCFE"},
        {"UTF-8", "gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9D\x84\x9E", u"gr\u00FC\u00DFe \u20AC \U0001D11E"},
        {"a sequence cut short at the end", "caf\xC3", u"caf\xDCC3"},
        {"a sequence cut short before text", "a\xE2\x82" "b", u"a\xDCE2\xDC82" "b"},
        {"an overlong slash", "\xC0\xAF", u"\xDCC0\xDCAF"},
        {"a surrogate spelt in UTF-8", "\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},
        {"a continuation byte alone, then UTF-8", "\x80\xC3\xA9", u"\xDC80\u00E9"},
        {"empty", "", u""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FileNameBytesToUtf16(c.bytes.data(), c.bytes.size()), c.text);
        Bytes back = "stale";
        EXPECT_TRUE(Utf16ToFileNameBytes(c.text.data(), c.text.size(), back));
        EXPECT_EQ(back, c.bytes);
    }
}

// Text that would name a file other than the one it says, or none, has no bytes at all.
TEST(FileNameBytesTest, TextThatNamesNoFileHasNoBytes)
{
    const struct
    {
        const char* what;
        Units text;
    } cases[] = {
        {"a lone high surrogate", u"caf\xD800.vedidu"},
        {"a high surrogate at the end", u"caf\xD800"},
        {"a lone low surrogate that stands for no byte", u"caf\xDC41"},
        {"escapes that spell UTF-8, another name", u"caf\xDCC3\xDCA9"},
        {"an escape that completes text before it", u"\xDCE2\xDC82\xDCAC"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        Bytes bytes = "stale";
        EXPECT_FALSE(Utf16ToFileNameBytes(c.text.data(), c.text.size(), bytes));
        EXPECT_TRUE(bytes.empty());
    }
}

} // namespace
} // namespace QK
