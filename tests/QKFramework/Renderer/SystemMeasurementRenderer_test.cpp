// The measurement renderer over the installed fonts (DejaVu and Liberation, from the
// project's package list).
#include "QKFramework/Renderer/SystemMeasurementRenderer.h"

#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Renderer/RenderApp.h"
#include "tests/support/Render/ScopedRenderApp.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace QK
{
namespace
{

using TestSupport::ScopedEnvironment;
using TestSupport::ScopedRenderApp;

// The resolution variable as a test application names it, for one scope (none after it, as
// before any application names one).
class ScopedResolutionVariable
{
public:
    static constexpr const char* kName = "QK_TEST_DPI";
    ScopedResolutionVariable() { LRenderApp::SetScreenResolutionVariable(kName); }
    ScopedResolutionVariable(const ScopedResolutionVariable&) = delete;
    ScopedResolutionVariable& operator=(const ScopedResolutionVariable&) = delete;
    ~ScopedResolutionVariable() { LRenderApp::SetScreenResolutionVariable(std::string()); }
};

ConstRCPtr<LFont> Font(const char16_t* family, float size, std::int32_t style = 0)
{
    return LFont::FindOrCreate(WString(family), size, style);
}

TEST(SystemMeasurementRendererTest, MetricsOfASansSerifFontAtNinePoints)
{
    const RCPtr<LSystemMeasurementRenderer> renderer(new LSystemMeasurementRenderer());
    std::int32_t lineHeight = -1, ascent = 0, descent = 0;
    ASSERT_EQ(renderer->GetFontMetrics(Font(u"sans-serif", 9.0f), lineHeight, ascent, descent), QK_OK);
    // A 9-point face is 12 pixels to the em at 96 dots per inch; its cell is a little more.
    EXPECT_GE(lineHeight, 12);
    EXPECT_LE(lineHeight, 16);
    EXPECT_LT(ascent, -8);
    EXPECT_GT(ascent, -14);
    EXPECT_GT(descent, 1);
    EXPECT_LT(descent, 5);

    // Arial is Liberation Sans here, with Arial's own metrics: 14, -11 and 3 at 9 points.
    ASSERT_EQ(renderer->GetFontMetrics(Font(u"Arial", 9.0f), lineHeight, ascent, descent), QK_OK);
    EXPECT_EQ(lineHeight, 14);
    EXPECT_EQ(ascent, -11);
    EXPECT_EQ(descent, 3);
}

TEST(SystemMeasurementRendererTest, TextWidthIsTheRoundedUpAdvancePlusThree)
{
    const RCPtr<LSystemMeasurementRenderer> renderer(new LSystemMeasurementRenderer());
    const ConstRCPtr<LFont> font = Font(u"sans-serif", 9.0f);

    const RectF empty = renderer->MeasureText(WString(), font);
    EXPECT_EQ(empty.x, 0.0f);
    EXPECT_EQ(empty.y, 0.0f);
    EXPECT_EQ(empty.width, 0.0f);
    EXPECT_EQ(empty.height, 0.0f);

    std::int32_t lineHeight = -1, ascent = 0, descent = 0;
    ASSERT_EQ(renderer->GetFontMetrics(font, lineHeight, ascent, descent), QK_OK);
    const RectF hello = renderer->MeasureText(WString(u"Hello, world"), font);
    EXPECT_EQ(hello.x, 0.0f);
    EXPECT_EQ(hello.y, static_cast<float>(ascent));
    EXPECT_EQ(hello.height, static_cast<float>(lineHeight));
    EXPECT_EQ(hello.width, std::trunc(hello.width));
    EXPECT_GT(hello.width, 50.0f);
    EXPECT_LT(hello.width, 90.0f);

    // Widths add up to within the rounding and the 3 pixels each measurement adds.
    const RectF one = renderer->MeasureText(WString(u"Hello,"), font);
    const RectF two = renderer->MeasureText(WString(u" world"), font);
    EXPECT_NEAR(one.width + two.width - 3.0f, hello.width, 2.0f);
    // Trailing blanks are measured.
    EXPECT_GT(renderer->MeasureText(WString(u"Hello,  "), font).width, one.width);
    // Text outside the basic plane, and a lone surrogate, measure without harm.
    EXPECT_GT(renderer->MeasureText(WString(u"\U0001F600\xD800x"), font).width, 3.0f);
}

TEST(SystemMeasurementRendererTest, WidthsAtAnotherResolutionAreBroughtBackTo96Dpi)
{
    const ConstRCPtr<LFont> font = Font(u"sans-serif", 9.0f);
    const WString text(u"The quick brown fox jumps over the lazy dog");
    float at96 = 0.0f;
    {
            at96 = RCPtr<LSystemMeasurementRenderer>(new LSystemMeasurementRenderer())->MeasureText(text, font).width;
    }
    const ScopedResolutionVariable variable;
    const ScopedEnvironment dpi(ScopedResolutionVariable::kName, "144");
    ASSERT_EQ(LRenderApp::GetScreenResolution(), 144);
    const float at144 =
        RCPtr<LSystemMeasurementRenderer>(new LSystemMeasurementRenderer())->MeasureText(text, font).width;
    EXPECT_NEAR(at144, at96, 1.0f);
    EXPECT_GT(at96, 200.0f);
}

TEST(SystemMeasurementRendererTest, BoldTextIsWiderAndUnknownFamiliesFallBack)
{
    const RCPtr<LSystemMeasurementRenderer> renderer(new LSystemMeasurementRenderer());
    const WString text(u"Velocity curve");
    const float regular = renderer->MeasureText(text, Font(u"Liberation Sans", 12.0f)).width;
    EXPECT_GT(renderer->MeasureText(text, Font(u"Liberation Sans", 12.0f, 1)).width, regular);
    EXPECT_GT(renderer->MeasureText(text, Font(u"No Such Family Anywhere", 12.0f)).width, 3.0f);
}

TEST(SystemMeasurementRendererTest, UnusableSizesMeasureNothing)
{
    const RCPtr<LSystemMeasurementRenderer> renderer(new LSystemMeasurementRenderer(96));
    for (const float size : {0.0f, -9.0f, std::nanf(""), INFINITY})
    {
        std::int32_t lineHeight = -1, ascent = 0, descent = 0;
        EXPECT_EQ(renderer->GetFontMetrics(Font(u"sans-serif", size), lineHeight, ascent, descent), QK_E_FAIL);
        EXPECT_EQ(lineHeight, -1);
        EXPECT_EQ(renderer->MeasureText(WString(u"x"), Font(u"sans-serif", size)).width, 0.0f);
    }
}

TEST(RenderAppTest, ResolutionFromTheEnvironmentThenTheServicesThen96)
{
    ScopedRenderApp app;
    const ScopedResolutionVariable variable;
    const struct
    {
        const char* environment;
        std::int32_t services;
        std::int32_t resolution;
    } cases[] = {
        {nullptr, 0, 96}, {nullptr, 120, 120}, {"144", 120, 144}, {"abc", 120, 120},
        {"0", 0, 96},     {"-5", 72, 72},      {"99999", 0, 96},
    };
    for (const auto& c : cases)
    {
        const ScopedEnvironment dpi(ScopedResolutionVariable::kName, c.environment);
        app.SetScreenResolution(c.services);
        EXPECT_EQ(LRenderApp::GetScreenResolution(), c.resolution) << (c.environment ? c.environment : "unset");
    }
}

// Before the application names its variable, no variable sets the resolution.
TEST(RenderAppTest, NoVariableIsReadUntilTheApplicationNamesOne)
{
    ScopedRenderApp app;
    const ScopedEnvironment dpi(ScopedResolutionVariable::kName, "144");
    app.SetScreenResolution(120);
    EXPECT_EQ(LRenderApp::GetScreenResolution(), 120);
    {
        const ScopedResolutionVariable variable;
        EXPECT_EQ(LRenderApp::GetScreenResolution(), 144);
    }
    EXPECT_EQ(LRenderApp::GetScreenResolution(), 120);
}

TEST(RenderAppTest, InstalledServicesAnswerUntilTheyAreRemoved)
{
    {
        ScopedRenderApp app;
        app.SetTimeMs(0xFFFFFFFFu);
        EXPECT_EQ(LRenderApp::GetTimeMs(), 0xFFFFFFFFu);
    }
    // The steady clock again: two readings a moment apart do not go backwards (mod 2^32).
    const std::uint32_t first = LRenderApp::GetTimeMs();
    EXPECT_LT(static_cast<std::uint32_t>(LRenderApp::GetTimeMs() - first), 1000000u);
    EXPECT_TRUE(LRenderApp::GetMeasurementRenderer());
}

TEST(RenderAppTest, SystemFontIsANinePointFamily)
{
    WString family;
    float size = 0.0f;
    std::int32_t style = -1;
    ASSERT_EQ(LRenderApp::GetSystemFont(family, size, style), QK_OK);
    EXPECT_FALSE(family.IsEmpty());
    EXPECT_EQ(size, 9.0f);
    EXPECT_EQ(style & ~3, 0);
}

} // namespace
} // namespace QK
