#include "QKFramework/Utilities/Storage/StringT.h"

#include "QKFramework/Utilities/Storage/CharUtil.h"
#include "QKFramework/Utilities/Storage/StringArray.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstring>
#include <locale.h>
#include <ostream>
#include <string>
#include <vector>

namespace QK
{
namespace
{

std::u16string Text(const WString& s)
{
    return std::u16string(s.GetString(), s.GetLength());
}

std::string Text(const NString& s)
{
    return std::string(s.GetString(), s.GetLength());
}

std::vector<std::u16string> Parts(const StringArray& array)
{
    std::vector<std::u16string> parts;
    for (std::uint32_t i = 0; i < array.GetCount(); ++i)
        parts.push_back(Text(*array.GetAt(i)));
    return parts;
}

const char16_t* EmptyChars()
{
    return WString().GetString();
}

// Runs the test thread in a locale whose decimal point is not '.', when one is installed.
class CommaLocale
{
public:
    CommaLocale()
    {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE", "fr_FR"})
        {
            m_locale = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(nullptr));
            if (m_locale)
                break;
        }
        if (m_locale)
            m_previous = uselocale(m_locale);
    }
    ~CommaLocale()
    {
        if (m_locale)
        {
            uselocale(m_previous);
            freelocale(m_locale);
        }
    }
    bool Active() const { return m_locale != nullptr; }

private:
    locale_t m_locale = nullptr;
    locale_t m_previous = nullptr;
};

// --- Assign, Mid and Insert -------------------------------------------------------------

struct AssignCase
{
    const char16_t* text;
    std::uint32_t limit;
    std::u16string expected;
};

void PrintTo(const AssignCase& c, std::ostream* os)
{
    *os << "limit " << c.limit;
}

class StringAssignTest : public ::testing::TestWithParam<AssignCase>
{
};

TEST_P(StringAssignTest, TakesAtMostTheLimit)
{
    WString s(u"previous");
    s.Assign(GetParam().text, GetParam().limit);
    EXPECT_EQ(Text(s), GetParam().expected);
    if (GetParam().expected.empty())
    {
        EXPECT_EQ(s.GetString(), EmptyChars()) << "an empty result shares the empty buffer";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, StringAssignTest,
                         ::testing::Values(AssignCase{u"abc", 2, u"ab"}, AssignCase{u"abc", 0, u""},
                                           AssignCase{u"abc", WString::kNoLimit, u"abc"},
                                           AssignCase{u"", 5, u""}, AssignCase{nullptr, 5, u""}));

struct MidCase
{
    std::int32_t start;
    std::int32_t count;
    std::u16string expected;
};

void PrintTo(const MidCase& c, std::ostream* os)
{
    *os << "start " << c.start << " count " << c.count;
}

class StringMidTest : public ::testing::TestWithParam<MidCase>
{
};

TEST_P(StringMidTest, CutsFromHello)
{
    const WString hello(u"hello");
    const WString part = hello.Mid(GetParam().start, GetParam().count);
    EXPECT_EQ(Text(part), GetParam().expected);
    if (GetParam().expected.empty())
    {
        EXPECT_EQ(part.GetString(), EmptyChars());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, StringMidTest,
                         ::testing::Values(MidCase{-2, 5, u"lo"}, MidCase{-7, 3, u"h"}, MidCase{5, 1, u""},
                                           MidCase{1, 3, u"ell"}, MidCase{2, 100, u"llo"}, MidCase{0, 0, u""},
                                           MidCase{-9, 3, u""}, MidCase{0, -1, u""},
                                           MidCase{INT32_MIN, INT32_MAX, u"hell"},
                                           MidCase{INT32_MAX, INT32_MAX, u""}));

TEST(StringTest, MidFromAndLeftAreMidShorthands)
{
    const WString hello(u"hello");
    EXPECT_EQ(Text(hello.MidFrom(3)), u"lo");
    EXPECT_EQ(Text(hello.MidFrom(-2)), u"lo");
    EXPECT_EQ(Text(hello.Left(2)), u"he");
    EXPECT_EQ(Text(hello.Left(9)), u"hello");
}

struct InsertCase
{
    std::u16string into;
    std::uint32_t position;
    std::u16string text;
    QKRESULT result;
    std::u16string expected;
};

void PrintTo(const InsertCase& c, std::ostream* os)
{
    *os << "position " << c.position;
}

class StringInsertTest : public ::testing::TestWithParam<InsertCase>
{
};

TEST_P(StringInsertTest, InsertsOrRefusesPastTheEnd)
{
    const InsertCase& c = GetParam();
    WString s(c.into.c_str());
    const WString other = s; // shares the buffer and must not see the insert
    EXPECT_EQ(s.Insert(c.position, WString(c.text.c_str())), c.result);
    EXPECT_EQ(Text(s), c.expected);
    EXPECT_EQ(Text(other), c.into);
}

INSTANTIATE_TEST_SUITE_P(Cases, StringInsertTest,
                         ::testing::Values(InsertCase{u"abc", 0, u"X", QK_OK, u"Xabc"},
                                           InsertCase{u"abc", 3, u"X", QK_OK, u"abcX"},
                                           InsertCase{u"abc", 1, u"XY", QK_OK, u"aXYbc"},
                                           InsertCase{u"abc", 4, u"X", QK_E_INVALIDARG, u"abc"},
                                           InsertCase{u"", 0, u"X", QK_OK, u"X"},
                                           InsertCase{u"abc", 2, u"", QK_OK, u"abc"}));

TEST(StringTest, InsertOverloadsTakeACountOrConvert)
{
    WString s(u"ac");
    EXPECT_EQ(s.Insert(1, u"bxyz", 1), QK_OK);
    EXPECT_EQ(s.Insert(3, "\xC3\xA9"), QK_OK);
    EXPECT_EQ(s.AppendChar(u'!'), QK_OK);
    EXPECT_EQ(s.AppendChar('?'), QK_OK);
    EXPECT_EQ(Text(s), u"abc\u00E9!?");
}

// --- Locking, sharing and copy on write -------------------------------------------------

TEST(StringTest, CopiesShareOneBufferUntilOneChanges)
{
    WString a(u"text");
    const WString b = a;
    EXPECT_EQ(a.GetString(), b.GetString());
    a.Append(WString(u"!"));
    EXPECT_EQ(Text(a), u"text!");
    EXPECT_EQ(Text(b), u"text");

    WString c = b;
    c.ReplaceCharacters(u"t", u'T');
    EXPECT_EQ(Text(c), u"TexT");
    EXPECT_EQ(Text(b), u"text");
}

TEST(StringTest, EveryEmptyResultSharesTheOneEmptyBuffer)
{
    WString cleared(u"x");
    cleared.Clear();
    WString unlocked(u"abc");
    unlocked.Lock()[0] = 0;
    unlocked.Unlock();
    WString failed;
    failed.Convert("\xC0\xAF");

    for (const WString& s :
         {WString(), WString(u""), WString(char16_t(0)), WString(""), cleared, unlocked, failed,
          WString(u"abc").Mid(3, 1), WString::Format(u"%s", ""), WString(u"ab").ToUpper().Left(0)})
    {
        EXPECT_EQ(s.GetString(), EmptyChars());
        EXPECT_EQ(s.GetLength(), 0u);
    }
    EXPECT_EQ(NString("").GetString(), NString().GetString());
    EXPECT_EQ(NString(u"").GetString(), NString().GetString());
}

TEST(StringTest, LockOnlyOnceAndUnlockOnlyWhenLocked)
{
    WString s(u"abc");
    EXPECT_EQ(s.Unlock(), QK_FALSE);
    char16_t* chars = s.Lock(10);
    ASSERT_NE(chars, nullptr);
    EXPECT_EQ(s.Lock(), nullptr);
    EXPECT_EQ(Text(s), u"abc");
    EXPECT_EQ(s.Unlock(), QK_OK);
    EXPECT_EQ(s.Unlock(), QK_FALSE);
}

TEST(StringTest, TextWrittenIntoALockedStringIsTrimmedOnUnlock)
{
    WString s;
    char16_t* chars = s.Lock(100);
    std::memcpy(chars, u"built", 5 * sizeof(char16_t));
    EXPECT_EQ(s.GetLength(), 5u);
    s.Unlock();
    EXPECT_EQ(Text(s), u"built");
    EXPECT_EQ(WString().GetLength(), 0u) << "the shared empty buffer was not written";

    WString full;
    chars = full.Lock(3);
    std::memcpy(chars, u"xyz", 3 * sizeof(char16_t)); // overwrites the terminator Lock placed
    EXPECT_EQ(full.GetLength(), 3u) << "the length stays within the buffer";
    full.Unlock();
    EXPECT_EQ(Text(full), u"xyz");
}

TEST(StringTest, LockedBufferIsPrivateAndCopiesTakeItsText)
{
    const WString shared(u"abc");
    WString locked = shared;
    char16_t* chars = locked.Lock();
    chars[0] = u'X';
    EXPECT_EQ(Text(shared), u"abc") << "locking took a private copy";

    const WString copy = locked;
    WString assigned;
    assigned = locked;
    chars[1] = u'Y';
    EXPECT_EQ(Text(locked), u"XYc");
    EXPECT_EQ(Text(copy), u"Xbc");
    EXPECT_EQ(Text(assigned), u"Xbc");
    EXPECT_NE(copy.GetString(), locked.GetString());
    locked.Unlock();
}

TEST(StringTest, AssignmentToALockedStringWritesInPlaceAndStopsAtItsBuffer)
{
    WString locked;
    char16_t* chars = locked.Lock(4);
    locked = WString(u"ab");
    EXPECT_EQ(locked.GetString(), chars);
    EXPECT_EQ(Text(locked), u"ab");

    locked.Assign(u"a text far longer than the buffer");
    EXPECT_EQ(locked.GetString(), chars);
    EXPECT_EQ(Text(locked), u"a t") << "cut to the three characters before the terminator";

    locked.Clear();
    EXPECT_EQ(locked.GetString(), chars) << "a cleared locked string stays locked";
    EXPECT_TRUE(locked.IsEmpty());
    EXPECT_EQ(locked.Lock(), nullptr);
    locked.Unlock();
    EXPECT_EQ(locked.GetString(), EmptyChars());
}

TEST(StringTest, AppendToALockedStringGrowsItInPlace)
{
    WString s(u"ab");
    s.Lock();
    s.Append(WString(u"cd"));
    s.Append(s);
    EXPECT_EQ(Text(s), u"abcdabcd");
    EXPECT_EQ(s.Lock(), nullptr) << "still locked";
    s.Unlock();

    WString t(u"xy");
    t.Append(t);
    EXPECT_EQ(Text(t + WString(u"!")), u"xyxy!");
}

// --- Conversion -------------------------------------------------------------------------

TEST(StringTest, ConvertsBetweenUtf16AndUtf8BothWays)
{
    const char16_t wide[] = u"\u00E9\u20AC\U0001D11E";
    const NString narrow(wide);
    EXPECT_EQ(Text(narrow), "\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E");
    const WString back(narrow.GetString());
    EXPECT_EQ(back.GetLength(), 4u);
    EXPECT_EQ(Text(back), wide);
    EXPECT_EQ(Text(narrow.ToWide()), wide);
}

TEST(StringTest, ConversionKeepsWhatPrecedesAnIllegalSequence)
{
    WString w;
    EXPECT_EQ(w.Convert("a\xC0\xAF"
                        "b"),
              QK_E_FAIL);
    EXPECT_EQ(Text(w), u"a");

    NString n;
    const char16_t loneLow[] = {0xDC00, 0};
    EXPECT_EQ(n.Convert(loneLow), QK_OK);
    EXPECT_EQ(Text(n), "\xED\xB0\x80");
}

TEST(StringTest, ConvertingAssignmentKeepsALockedStringLocked)
{
    WString locked;
    char16_t* chars = locked.Lock(8);
    EXPECT_EQ(locked.AssignConverted("caf\xC3\xA9 au lait", 5), QK_OK);
    EXPECT_EQ(locked.GetString(), chars);
    EXPECT_EQ(Text(locked), u"caf\u00E9");
    locked.Unlock();
}

// --- Search and comparison --------------------------------------------------------------

TEST(StringTest, FindsTextAndLastCharacter)
{
    const WString s(u"a/b/c");
    EXPECT_EQ(s.Find(WString(u"/b")), 1);
    EXPECT_EQ(s.Find(WString(u"x")), -1);
    EXPECT_EQ(s.ReverseFind(u'/'), 3);
    EXPECT_EQ(s.ReverseFind('/'), 3);
    EXPECT_EQ(s.ReverseFind(u'x'), -1);
}

TEST(StringTest, EqualityAndOrderAreByCodeUnit)
{
    EXPECT_TRUE(WString(u"B") < WString(u"a"));
    EXPECT_FALSE(WString(u"a") < WString(u"B"));
    EXPECT_TRUE(WString(u"ab") < WString(u"abc"));
    EXPECT_TRUE(WString(u"z") < WString(u"\u00E9"));
    EXPECT_TRUE(NString("z") < NString("\xC3\xA9")) << "UTF-8 bytes compare unsigned";
    const WString same(u"x");
    EXPECT_FALSE(same < same);

    EXPECT_TRUE(WString().IsEqual(static_cast<const char16_t*>(nullptr)));
    EXPECT_TRUE(WString().IsEqual(u""));
    EXPECT_FALSE(WString(u"a").IsEqual(u""));
    EXPECT_TRUE(WString(u"abc").IsEqual(u"abc"));
    EXPECT_FALSE(WString(u"abc").IsEqual(u"ab"));
    EXPECT_FALSE(WString(u"ab").IsEqual(u"abc"));
}

TEST(StringTest, ChangesCaseBeyondAscii)
{
    EXPECT_EQ(Text(WString(u"Stra\u00DFe \u00E9t\u00E9 \u0151 \u03C3\u03C2 \u044F\u0451").ToUpper()),
              u"STRA\u00DFE \u00C9T\u00C9 \u0150 \u03A3\u03A3 \u042F\u0401");
    EXPECT_EQ(Text(WString(u"\u00C9COLE \u0178 \u0130").ToLower()), u"\u00E9cole \u00FF i");
    EXPECT_EQ(Text(NString("Abc\xC3\xA9").ToUpper()), "ABC\xC3\xA9");
}

struct NumberCase
{
    const char16_t* text;
    std::int32_t integer;
    double real;
};

void PrintTo(const NumberCase& c, std::ostream* os)
{
    *os << NString(c.text).GetString();
}

class StringNumberTest : public ::testing::TestWithParam<NumberCase>
{
};

TEST_P(StringNumberTest, ReadsLeadingNumbersInTheCLocale)
{
    CommaLocale comma;
    const WString s(GetParam().text);
    EXPECT_EQ(s.ToInt(), GetParam().integer);
    EXPECT_DOUBLE_EQ(s.ToDouble(), GetParam().real);
    EXPECT_EQ(NString(GetParam().text).ToInt(), GetParam().integer);
}

INSTANTIATE_TEST_SUITE_P(Cases, StringNumberTest,
                         ::testing::Values(NumberCase{u"42", 42, 42.0}, NumberCase{u"  -17x", -17, -17.0},
                                           NumberCase{u"+2.5e1", 2, 25.0}, NumberCase{u"0.5", 0, 0.5},
                                           NumberCase{u"99999999999", INT32_MAX, 99999999999.0},
                                           NumberCase{u"-99999999999", INT32_MIN, -99999999999.0},
                                           NumberCase{u"x1", 0, 0.0}, NumberCase{u"", 0, 0.0},
                                           NumberCase{u"3\u00B2", 3, 3.0}));

// --- Formatting -------------------------------------------------------------------------

struct FixedPointCase
{
    std::int32_t value;
    std::int32_t decimals;
    const char16_t* expected;
};

void PrintTo(const FixedPointCase& c, std::ostream* os)
{
    *os << c.value << " with " << c.decimals;
}

class FixedPointToStringTest : public ::testing::TestWithParam<FixedPointCase>
{
};

TEST_P(FixedPointToStringTest, PutsThePointBeforeTheLastDecimals)
{
    EXPECT_EQ(Text(WString::FixedPointToString(GetParam().value, GetParam().decimals)), GetParam().expected);
    EXPECT_EQ(Text(NString::FixedPointToString(GetParam().value, GetParam().decimals)),
              Text(NString(GetParam().expected)));
}

INSTANTIATE_TEST_SUITE_P(Cases, FixedPointToStringTest,
                         ::testing::Values(FixedPointCase{1234, 2, u"12.34"}, FixedPointCase{5, 2, u".05"},
                                           FixedPointCase{0, 2, u".00"}, FixedPointCase{1234, 0, u"1234"},
                                           FixedPointCase{12, -1, u"12"}, FixedPointCase{-5, 2, u"-.05"},
                                           FixedPointCase{-1234, 2, u"-12.34"}, FixedPointCase{-7, 0, u"-7"},
                                           FixedPointCase{INT32_MIN, 3, u"-2147483.648"}));

TEST(StringTest, FixedPointToStringUnsignedTakesTheWholeRange)
{
    EXPECT_EQ(Text(WString::FixedPointToStringUnsigned(4294967295u, 4)), u"429496.7295");
    EXPECT_EQ(Text(WString::FixedPointToStringUnsigned(7, 3)), u".007");
}

struct DoubleCase
{
    double value;
    std::int32_t decimals;
    const char16_t* expected;
};

void PrintTo(const DoubleCase& c, std::ostream* os)
{
    *os << c.value << " with " << c.decimals;
}

class DoubleToStringTest : public ::testing::TestWithParam<DoubleCase>
{
};

TEST_P(DoubleToStringTest, FormatsWithAPointWhateverTheLocale)
{
    CommaLocale comma;
    EXPECT_EQ(Text(WString::DoubleToString(GetParam().value, GetParam().decimals)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, DoubleToStringTest,
                         ::testing::Values(DoubleCase{3.14159, 2, u"3.14"},
                                           DoubleCase{3.14159, -1, u"3.141590"},
                                           DoubleCase{-0.25, 1, u"-0.2"}, DoubleCase{1e6, 0, u"1000000"},
                                           DoubleCase{0.5, 3, u"0.500"}));

TEST(StringTest, FormatIsPrintfStyleWithNarrowTextArguments)
{
    CommaLocale comma;
    EXPECT_EQ(Text(WString::Format(u"%d %s %.1f %X", -3, "caf\xC3\xA9", 1.5, 255u)), u"-3 caf\u00E9 1.5 FF");
    EXPECT_EQ(Text(NString::Format("%s=%u", "n", 7u)), "n=7");
    EXPECT_EQ(Text(WString::Format(u"\u00E9%%")), u"\u00E9%");
}

TEST(StringTest, FormattedTextLongerThanTheBufferIsCut)
{
    const std::string ascii(20000, 'a');
    EXPECT_EQ(WString::Format(u"%s", ascii.c_str()).GetLength(), 16383u);
    EXPECT_EQ(NString::Format("%s!", ascii.c_str()).GetLength(), 16383u);

    // Two-byte characters: 16383 bytes would end inside the last one.
    std::string accents;
    for (int i = 0; i < 9000; ++i)
        accents += "\xC3\xA9";
    const NString narrow = NString::Format("%s", accents.c_str());
    EXPECT_EQ(narrow.GetLength(), 16382u);
    EXPECT_EQ(WString(narrow.GetString()).GetLength(), 8191u) << "no cut sequence left behind";

    // Surrogate pairs: 16383 units would end between the halves of the last one.
    std::string clefs;
    for (int i = 0; i < 9000; ++i)
        clefs += "\xF0\x9D\x84\x9E";
    const WString wide = WString::Format(u"%s", clefs.c_str());
    EXPECT_EQ(wide.GetLength(), 16382u);
    EXPECT_EQ(wide.GetString()[16381], 0xDD1E);
}

TEST(StringTest, WideFormattedTextComesWholeAtEveryLength)
{
    // Short texts are made in a small buffer first; around its size a text of one-, two- and
    // four-byte characters must come whole, however the small buffer would cut it.
    for (const std::string piece : {"a", "\xC3\xA9", "\xF0\x9D\x84\x9E"})
    {
        for (std::size_t bytes = 240; bytes <= 270; ++bytes)
        {
            std::string text;
            while (text.size() + piece.size() <= bytes)
                text += piece;
            SCOPED_TRACE(text.size());
            EXPECT_TRUE(WString::Format(u"%s", text.c_str()).IsEqual(WString(text.c_str())));
            EXPECT_TRUE(WString::Format(u"<%s>", text.c_str()).IsEqual(WString(("<" + text + ">").c_str())));
        }
    }
}

// --- Split ------------------------------------------------------------------------------

struct SplitCase
{
    const char16_t* text;
    const char16_t* separators;
    std::vector<std::u16string> parts;
};

void PrintTo(const SplitCase& c, std::ostream* os)
{
    *os << '"' << NString(c.text).GetString() << "\" at \"" << NString(c.separators).GetString() << '"';
}

class StringSplitTest : public ::testing::TestWithParam<SplitCase>
{
};

TEST_P(StringSplitTest, CutsAtEverySeparator)
{
    EXPECT_EQ(Parts(WString(GetParam().text).Split(GetParam().separators)), GetParam().parts);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StringSplitTest,
    ::testing::Values(SplitCase{u"a,b", u",", {u"a", u"b"}}, SplitCase{u"a,,b", u",", {u"a", u"", u"b"}},
                      SplitCase{u",a", u",", {u"", u"a"}}, SplitCase{u"a,", u",", {u"a"}},
                      SplitCase{u"a,,", u",", {u"a", u""}}, SplitCase{u",", u",", {u""}},
                      SplitCase{u"abc", u",", {u"abc"}}, SplitCase{u"", u",", {u""}},
                      SplitCase{u"a;b,c", u";,", {u"a", u"b", u"c"}}, SplitCase{u"a,b", u"", {u"a,b"}}));

TEST(TrimWhitespaceTest, DropsOnlyLeadingBlanksTabsAndLineEnds)
{
    const struct
    {
        const char16_t* text;
        const char16_t* trimmed;
    } cases[] = {
        {u" \t\r\nword ", u"word "}, {u"word", u"word"}, {u"\vword", u"\vword"},
        {u"\u00A0word", u"\u00A0word"}, {u"  a b", u"a b"},
        // Nothing but blanks and line ends: the text stays as it is.
        {u" \t\r\n", u" \t\r\n"}, {u"", u""},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(TrimWhitespace(WString(c.text)).IsEqual(c.trimmed)) << NString(c.text).GetString();
    EXPECT_TRUE(TrimWhitespace(NString("\n x")).IsEqual("x"));

    const WString untouched(u"  ");
    EXPECT_EQ(TrimWhitespace(untouched).GetString(), untouched.GetString());
}

TEST(TrimWhitespaceTest, RightTwinDropsOnlyTrailingBlanksTabsAndLineEnds)
{
    const struct
    {
        const char16_t* text;
        const char16_t* trimmed;
    } cases[] = {
        {u" word \t\r\n", u" word"}, {u"word", u"word"}, {u"word\v", u"word\v"}, {u"a b  ", u"a b"},
        {u" \t\r\n", u" \t\r\n"}, {u"", u""},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(TrimWhitespaceRight(WString(c.text)).IsEqual(c.trimmed)) << NString(c.text).GetString();
    EXPECT_TRUE(TrimWhitespace(TrimWhitespaceRight(NString(" TRUE \n"))).IsEqual("TRUE"));
}

TEST(SplitIntoTest, ReplacesWhatTheListHeld)
{
    StringArray parts;
    parts.Add(WString(u"old"));
    WString(u"x y").SplitInto(u" ", parts);
    EXPECT_EQ(Parts(parts), (std::vector<std::u16string>{u"x", u"y"}));
}

// --- String lists and maps --------------------------------------------------------------

TEST(StringArrayTest, FindsWithOrWithoutCase)
{
    StringArray list;
    list.Add(WString(u"abc"));
    list.Add(WString(u"\u00C9t\u00E9"));
    EXPECT_EQ(list.Find(WString(u"ABC"), false), 0);
    EXPECT_EQ(list.Find(WString(u"ABC"), true), -1);
    EXPECT_EQ(list.Find(WString(u"\u00E9T\u00C9"), false), 1);
    EXPECT_EQ(list.Find(WString(u"abc"), true, 1), -1) << "the search starts at start";
    EXPECT_EQ(list.Find(WString(u"abc"), true, 5), -1);
    EXPECT_EQ(StringArray().Find(WString(u"abc")), -1);
}

TEST(StringArrayTest, FindDataLooksForTheCharactersPointerFromTheEnd)
{
    const WString shared(u"same");
    StringArray list;
    list.Add(shared);
    list.Add(WString(u"other"));
    list.Add(shared);
    EXPECT_EQ(list.FindData(shared.GetString()), 2);
    EXPECT_EQ(list.FindData(WString(u"same").GetString()), -1);
}

TEST(StringMapTest, LooksUpAndCopiesInKeyOrder)
{
    StringMap map{
        {WString(u"b"), WString(u"2")}, {WString(u"a"), WString(u"1")}, {WString(u"B"), WString(u"3")}};
    WString value(u"unchanged");
    EXPECT_FALSE(FindStringMapValue(map, u"c", value));
    EXPECT_EQ(Text(value), u"unchanged");
    EXPECT_TRUE(FindStringMapValue(map, u"a", value));
    EXPECT_EQ(Text(value), u"1");

    Array<StringPair> pairs;
    pairs.Add(StringPair{WString(u"stale"), WString()});
    CopyStringMapToArray(map, pairs);
    ASSERT_EQ(pairs.GetCount(), 3u);
    EXPECT_EQ(Text(pairs.GetAt(0)->key), u"B");
    EXPECT_EQ(Text(pairs.GetAt(1)->key), u"a");
    EXPECT_EQ(Text(pairs.GetAt(2)->value), u"2");
}

} // namespace
} // namespace QK
