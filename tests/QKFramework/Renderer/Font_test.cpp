#include "QKFramework/Renderer/Font.h"

#include "tests/support/Render/FakeMeasurementRenderer.h"
#include "tests/support/Render/ScopedRenderApp.h"

#include <gtest/gtest.h>

#include <limits>

namespace QK
{
namespace
{

using TestSupport::FakeMeasurementRenderer;
using TestSupport::ScopedRenderApp;

// Fonts live for the whole process, so every test names families of its own.

TEST(FontTest, OneFontPerNameIgnoringCaseSizeAndStyle)
{
    const ConstRCPtr<LFont> arial = LFont::FindOrCreate(WString(u"FontTestArial"), 12.0f, 0);
    const ConstRCPtr<LFont> upper = LFont::FindOrCreate(WString(u"FONTTESTARIAL"), 12.0f, 0);
    EXPECT_EQ(arial, upper);
    EXPECT_EQ(LFont::GetUniqueID(arial), LFont::GetUniqueID(upper));

    const ConstRCPtr<LFont> larger = LFont::FindOrCreate(WString(u"FontTestArial"), 12.5f, 0);
    const ConstRCPtr<LFont> bold = LFont::FindOrCreate(WString(u"FontTestArial"), 12.0f, 1);
    const ConstRCPtr<LFont> largerBold = LFont::FindOrCreate(WString(u"fonttestarial"), 12.5f, 1);
    const std::int32_t ids[] = {LFont::GetUniqueID(arial), LFont::GetUniqueID(larger), LFont::GetUniqueID(bold),
                                LFont::GetUniqueID(largerBold)};
    // Four fonts, numbered in the order they were made.
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(ids[i], ids[0] + i);
    EXPECT_TRUE(larger->GetName().IsEqual(u"FontTestArial"));
    EXPECT_EQ(larger->GetSize(), 12.5f);
    EXPECT_EQ(bold->GetStyle(), 1);
    // The name is the caller's text, buffer and all.
    EXPECT_TRUE(largerBold->GetName().IsEqual(u"fonttestarial"));
}

TEST(FontTest, NamesCompareWithoutTheLocaleAndSizesExactly)
{
    const ConstRCPtr<LFont> dotted = LFont::FindOrCreate(WString(u"FontTestIi"), 10.0f, 0);
    // Case folding is the framework's own, beyond ASCII too, whatever the user's locale.
    EXPECT_EQ(LFont::FindOrCreate(WString(u"FONTTESTII"), 10.0f, 0), dotted);
    EXPECT_EQ(LFont::FindOrCreate(WString(u"FontTest\u00C4"), 10.0f, 0),
              LFont::FindOrCreate(WString(u"fonttest\u00E4"), 10.0f, 0));
    EXPECT_NE(LFont::FindOrCreate(WString(u"FontTestIi"), 10.000001f, 0), dotted);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const ConstRCPtr<LFont> first = LFont::FindOrCreate(WString(u"FontTestNaN"), nan, 0);
    const ConstRCPtr<LFont> second = LFont::FindOrCreate(WString(u"FontTestNaN"), nan, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(LFont::GetUniqueID(second), LFont::GetUniqueID(first) + 1);
}

TEST(FontTest, MetricsAreAskedOnceAndTogether)
{
    const RCPtr<FakeMeasurementRenderer> renderer(new FakeMeasurementRenderer());
    renderer->SetMetrics({15, -11, 4});
    const ScopedRenderApp app(renderer);

    const ConstRCPtr<LFont> font = LFont::FindOrCreate(WString(u"FontTestMetrics"), 9.0f, 0);
    EXPECT_EQ(renderer->MetricsCalls(), 0);
    EXPECT_EQ(font->GetAscent(), -11);
    EXPECT_EQ(renderer->MetricsCalls(), 1);
    EXPECT_EQ(font->GetHeight(), 15);
    EXPECT_EQ(font->GetDescent(), 4);
    EXPECT_EQ(renderer->MetricsCalls(), 1);
}

TEST(FontTest, MetricsAreAskedAgainWhileTheLineHeightStaysUnknown)
{
    const RCPtr<FakeMeasurementRenderer> renderer(new FakeMeasurementRenderer());
    renderer->SetMetricsFail(true);
    const ScopedRenderApp app(renderer);

    const ConstRCPtr<LFont> font = LFont::FindOrCreate(WString(u"FontTestRetry"), 9.0f, 0);
    EXPECT_EQ(font->GetHeight(), -1);
    EXPECT_EQ(font->GetHeight(), -1);
    EXPECT_EQ(renderer->MetricsCalls(), 2);

    renderer->SetMetricsFail(false);
    EXPECT_EQ(font->GetHeight(), 12);
    EXPECT_EQ(font->GetDescent(), 3);
    EXPECT_EQ(renderer->MetricsCalls(), 3);
}

TEST(FontTest, ReleaseInternalReferencesTakesTheFontOutOfTheListOnce)
{
    const ConstRCPtr<LFont> font = LFont::FindOrCreate(WString(u"FontTestRelease"), 9.0f, 2);
    const std::uint32_t count = LFont::GetFontList().GetCount();

    EXPECT_EQ(const_cast<LFont*>(font.Get())->ReleaseInternalReferences(), QK_OK);
    EXPECT_EQ(LFont::GetFontList().GetCount(), count - 1);
    EXPECT_EQ(font->GetRefCount(), 1);
    EXPECT_EQ(const_cast<LFont*>(font.Get())->ReleaseInternalReferences(), QK_E_FAIL);

    // The triple is free again: the next request makes a new font.
    const ConstRCPtr<LFont> again = LFont::FindOrCreate(WString(u"FontTestRelease"), 9.0f, 2);
    EXPECT_NE(again, font);
}

} // namespace
} // namespace QK
