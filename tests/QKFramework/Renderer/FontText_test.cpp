#include "QKFramework/Renderer/FontText.h"

#include "tests/support/Render/FakeMeasurementRenderer.h"
#include "tests/support/Render/ScopedRenderApp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace QK
{
namespace
{

using TestSupport::FakeMeasurementRenderer;
using TestSupport::ScopedRenderApp;

// Every character is 10 pixels wide and every line 12 pixels high.
class FontTextTest : public ::testing::Test
{
protected:
    RCPtr<LFontText> Text(const char16_t* text, std::int32_t boxWidth = 0, std::int32_t boxHeight = 0,
                          bool wordWrap = false)
    {
        RCPtr<LFontText> fontText(new LFontText(WString(text), m_font));
        fontText->SetBoxSize(boxWidth, boxHeight);
        fontText->SetWordWrap(wordWrap);
        return fontText;
    }

    static std::vector<std::u16string> Lines(LFontText& text)
    {
        std::vector<std::u16string> lines;
        const std::uint32_t count = text.GetLineCount();
        for (std::uint32_t i = 0; i < count; ++i)
            lines.emplace_back(text.GetLine(i).GetString());
        return lines;
    }

    RCPtr<FakeMeasurementRenderer> m_renderer{new FakeMeasurementRenderer(10.0f)};
    ScopedRenderApp m_app{m_renderer};
    ConstRCPtr<LFont> m_font = LFont::FindOrCreate(WString(u"FontTextTest"), 9.0f, 0);
};

struct WrapCase
{
    const char16_t* text;
    std::int32_t boxWidth;
    bool wordWrap;
    std::vector<std::u16string> lines;
};

class FontTextLinesTest : public FontTextTest, public ::testing::WithParamInterface<WrapCase>
{
};

TEST_P(FontTextLinesTest, CutsTheTextIntoLines)
{
    const WrapCase& c = GetParam();
    const RCPtr<LFontText> text = Text(c.text, c.boxWidth, 0, c.wordWrap);
    EXPECT_EQ(Lines(*text), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FontTextLinesTest,
    ::testing::Values(
        // At line feeds only: a trailing one adds no line, carriage returns stay.
        WrapCase{u"", 0, false, {u""}}, WrapCase{u"one\ntwo", 0, false, {u"one", u"two"}},
        WrapCase{u"one\n", 0, false, {u"one"}}, WrapCase{u"one\n\ntwo", 0, false, {u"one", u"", u"two"}},
        WrapCase{u"one\r\ntwo", 0, false, {u"one\r", u"two"}},
        WrapCase{u"hello world", 60, false, {u"hello world"}},
        // Wrapped: a break at a blank drops it, at a hyphen keeps it.
        WrapCase{u"hello world", 60, true, {u"hello", u"world"}},
        WrapCase{u"well-known", 60, true, {u"well-", u"known"}},
        WrapCase{u"a-b-c", 30, true, {u"a-", u"b-", u"c"}},
        WrapCase{u"ab cd-ef", 60, true, {u"ab cd-", u"ef"}},
        // A line exactly as wide as the box is broken although it would fit.
        WrapCase{u"ab cd", 50, true, {u"ab", u"cd"}}, WrapCase{u"ab cd", 51, true, {u"ab cd"}},
        // A word without a blank or hyphen stays whole, however wide.
        WrapCase{u"abcdefghij", 30, true, {u"abcdefghij"}},
        WrapCase{u"abcdefghij klm", 30, true, {u"abcdefghij", u"klm"}},
        // Continuation lines lose their leading blanks, tabs and line ends; paragraphs keep
        // theirs.
        WrapCase{u"aaa \t\r bbb", 40, true, {u"aaa", u"bbb"}},
        WrapCase{u"  ab\n  cd", 100, true, {u"  ab", u"  cd"}},
        // A remainder of nothing but blanks stays as it is.
        WrapCase{u"ab   ", 30, true, {u"ab ", u"  "}},
        WrapCase{u"hello world\n\nwell-known", 60, true, {u"hello", u"world", u"", u"well-", u"known"}},
        // No width at all: one word per line.
        WrapCase{u"a b c", 0, true, {u"a", u"b", u"c"}}));

TEST_F(FontTextTest, LinesArePlacedByTheAlignmentFactors)
{
    const RCPtr<LFontText> centred = Text(u"abcd", 100, 0);
    centred->SetHorizontalAlignment(0.5f);
    ASSERT_EQ(centred->GetLineCount(), 1u);
    const RectF line = centred->GetLineRect(0);
    EXPECT_EQ(line.x, 30.0f);
    EXPECT_EQ(line.y, 0.0f);
    EXPECT_EQ(line.width, 40.0f);
    EXPECT_EQ(line.height, 12.0f);

    const RCPtr<LFontText> bottom = Text(u"a\nbb\nccc", 100, 50);
    bottom->SetHorizontalAlignment(1.0f);
    bottom->SetVerticalAlignment(1.0f);
    ASSERT_EQ(bottom->GetLineCount(), 3u);
    const float ys[] = {14.0f, 26.0f, 38.0f};
    const float xs[] = {90.0f, 80.0f, 70.0f};
    for (std::uint32_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(bottom->GetLineRect(i).y, ys[i]) << i;
        EXPECT_EQ(bottom->GetLineRect(i).x, xs[i]) << i;
    }

    // The empty text is one empty line, placed like any other.
    const RCPtr<LFontText> empty = Text(u"", 100, 50);
    empty->SetHorizontalAlignment(0.5f);
    empty->SetVerticalAlignment(0.5f);
    ASSERT_EQ(empty->GetLineCount(), 1u);
    EXPECT_EQ(empty->GetLineRect(0).x, 50.0f);
    EXPECT_EQ(empty->GetLineRect(0).y, 19.0f);
    EXPECT_EQ(empty->GetLineRect(0).width, 0.0f);

    // Past the last line: nothing.
    EXPECT_TRUE(empty->GetLine(1).IsEmpty());
    const RectF past = empty->GetLineRect(1);
    EXPECT_EQ(past.x + past.y + past.width + past.height, 0.0f);
}

// A scrolling text starts at its first character: a line wider than the box starts at the
// box's left edge, a line that fits keeps its alignment; switched after the text was laid out,
// the lines are placed again.
TEST_F(FontTextTest, OverflowFromLeftStartsAWideLineAtTheLeftEdge)
{
    const struct
    {
        const char16_t* text;
        float alignment;
        bool fromLeft;
        float x;
    } cases[] = {
        {u"abcdefghijkl", 0.5f, false, -10.0f}, {u"abcdefghijkl", 0.5f, true, 0.0f},
        {u"abcdefghijkl", 1.0f, true, 0.0f},    {u"abcd", 0.5f, true, 30.0f},
        {u"abcd", 1.0f, true, 60.0f},           {u"abcdefghij", 0.5f, true, 0.0f},
    };
    for (const auto& c : cases)
    {
        const RCPtr<LFontText> text = Text(c.text, 100, 0);
        text->SetHorizontalAlignment(c.alignment);
        text->SetOverflowFromLeft(c.fromLeft);
        ASSERT_EQ(text->GetLineCount(), 1u);
        EXPECT_EQ(text->GetLineRect(0).x, c.x) << NString(c.text).GetString() << " " << c.alignment;
    }

    const RCPtr<LFontText> late = Text(u"abcdefghijkl", 100, 0);
    late->SetHorizontalAlignment(0.5f);
    ASSERT_EQ(late->GetLineCount(), 1u);
    ASSERT_EQ(late->GetLineRect(0).x, -10.0f);
    late->SetOverflowFromLeft(true);
    ASSERT_EQ(late->GetLineCount(), 1u);
    EXPECT_EQ(late->GetLineRect(0).x, 0.0f);
    EXPECT_EQ(late->GetLineRect(0).width, 120.0f);
}

TEST_F(FontTextTest, ALeadingBearingCountsAsWidth)
{
    m_renderer->SetBearing(2.0f);
    const RCPtr<LFontText> text = Text(u"abcd", 100, 0);
    text->SetHorizontalAlignment(1.0f);
    ASSERT_EQ(text->GetLineCount(), 1u);
    EXPECT_EQ(text->GetLineRect(0).width, 42.0f);
    EXPECT_EQ(text->GetLineRect(0).x, 58.0f);
    EXPECT_EQ(text->GetMaxLineWidth(), 42);
    // "hello" and its bearing no longer fit into 51 pixels, "hell-" does not exist: whole.
    EXPECT_EQ(text->GetFittingLength(*m_renderer, 51, WString(u"hello world")), 5);
    EXPECT_EQ(text->GetFittingLength(*m_renderer, 51, WString(u"helloworld")), 10);
}

TEST_F(FontTextTest, MaxLineWidthRoundsUpFromAHundredthOn)
{
    m_renderer->SetTextWidth(u"ten", 10.0f);
    m_renderer->SetTextWidth(u"twenty", 20.005f);
    m_renderer->SetTextWidth(u"more", 20.02f);
    const struct
    {
        const char16_t* text;
        std::int32_t width;
    } cases[] = {{u"ten\ntwenty", 20}, {u"more", 21}, {u"ten", 10}, {u"", 0}, {u"ten\nmore\ntwenty", 21}};
    for (const auto& c : cases)
        EXPECT_EQ(Text(c.text)->GetMaxLineWidth(), c.width) << NString(c.text).GetString();

    // Word wrap is not applied.
    EXPECT_EQ(Text(u"hello world", 30, 0, true)->GetMaxLineWidth(), 110);
}

TEST_F(FontTextTest, HeightForWidthLeavesTheLaidOutLinesAlone)
{
    const RCPtr<LFontText> text = Text(u"hello world", 200, 0, true);
    ASSERT_EQ(text->GetLineCount(), 1u);
    EXPECT_EQ(text->GetHeightForWidth(60), 24);
    EXPECT_EQ(text->GetHeightForWidth(30), 24);
    EXPECT_EQ(text->GetHeightForWidth(500), 12);
    EXPECT_EQ(text->GetLineCount(), 1u);
    EXPECT_TRUE(text->GetLine(0).IsEqual(u"hello world"));

    // Without word wrap only line feeds count.
    EXPECT_EQ(Text(u"hello world\nagain", 30)->GetHeightForWidth(30), 24);

    // Nothing was laid out by asking.
    const RCPtr<LFontText> fresh = Text(u"hello world", 60, 0, true);
    EXPECT_EQ(fresh->GetHeightForWidth(30), 24);
    EXPECT_EQ(fresh->GetMaxLineWidth(), 110);
    EXPECT_EQ(fresh->GetLineRects().GetCount(), 0u);
}

TEST_F(FontTextTest, SetWordWrapLaysOutAgainOnlyOnAChange)
{
    const RCPtr<LFontText> text = Text(u"hello world", 60, 0);
    EXPECT_EQ(text->GetLineCount(), 1u);
    EXPECT_TRUE(text->SetWordWrap(true));
    EXPECT_EQ(text->GetLineCount(), 2u);

    const int measured = m_renderer->MeasureCalls();
    EXPECT_FALSE(text->SetWordWrap(true));
    EXPECT_EQ(text->GetLineCount(), 2u);
    EXPECT_EQ(m_renderer->MeasureCalls(), measured);

    // The box is read when laying out, not watched.
    text->SetBoxSize(500, 0);
    EXPECT_EQ(text->GetLineCount(), 2u);
    EXPECT_TRUE(text->SetWordWrap(false));
    EXPECT_EQ(text->GetLineCount(), 1u);
}

TEST_F(FontTextTest, TextExtentHoldsTheOriginAndRounds)
{
    const struct
    {
        const char16_t* text;
        std::int32_t boxWidth, boxHeight;
        float horizontal, vertical;
        std::int32_t width, height;
    } cases[] = {
        {u"abcd", 100, 0, 0.0f, 0.0f, 40, 12},
        // Right-aligned: from the origin to the line's right edge.
        {u"abcd", 100, 0, 1.0f, 0.0f, 100, 12},
        // Wider than the box and centred: the line starts left of the origin.
        {u"abcdef", 20, 0, 0.5f, 0.0f, 60, 12},
        {u"a\nbb\nccc", 100, 50, 0.0f, 1.0f, 30, 50},
        {u"half", 0, 0, 0.0f, 0.0f, 11, 12},
    };
    m_renderer->SetTextWidth(u"half", 10.5f);
    for (const auto& c : cases)
    {
        const RCPtr<LFontText> text = Text(c.text, c.boxWidth, c.boxHeight);
        text->SetHorizontalAlignment(c.horizontal);
        text->SetVerticalAlignment(c.vertical);
        std::int32_t width = -1, height = -1;
        text->GetTextExtent(width, height);
        EXPECT_EQ(width, c.width) << NString(c.text).GetString();
        EXPECT_EQ(height, c.height) << NString(c.text).GetString();
    }

    // Far beyond a float's whole numbers, the extent saturates at 2^23.
    m_renderer->SetTextWidth(u"huge", 1e30f);
    std::int32_t width = 0, height = 0;
    Text(u"huge")->GetTextExtent(width, height);
    EXPECT_EQ(width, 8388608);
}

TEST_F(FontTextTest, AnUnknownLineHeightCountsAsNone)
{
    const RCPtr<FakeMeasurementRenderer> failing(new FakeMeasurementRenderer(10.0f));
    failing->SetMetricsFail(true);
    const ScopedRenderApp app(failing);
    const ConstRCPtr<LFont> font = LFont::FindOrCreate(WString(u"FontTextNoMetrics"), 9.0f, 0);

    const RCPtr<LFontText> text(new LFontText(WString(u"a\nb\nc"), font));
    text->SetBoxSize(100, 50);
    text->SetVerticalAlignment(1.0f);
    ASSERT_EQ(text->GetLineCount(), 3u);
    for (std::uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(text->GetLineRect(i).y, 50.0f) << i;
    EXPECT_EQ(text->GetHeightForWidth(100), 0);
}

TEST_F(FontTextTest, ServicesInstalledForAScopeGiveWayToTheOuterOnes)
{
    {
        const ScopedRenderApp inner(RCPtr<FakeMeasurementRenderer>(new FakeMeasurementRenderer(1.0f)));
        EXPECT_EQ(Text(u"abc")->GetMaxLineWidth(), 3);
    }
    EXPECT_EQ(LRenderApp::GetServices(), &m_app);
    EXPECT_EQ(Text(u"abc")->GetMaxLineWidth(), 30);
}

} // namespace
} // namespace QK
