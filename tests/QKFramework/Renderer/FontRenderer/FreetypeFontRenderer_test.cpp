// The FreeType font renderer over the installed DejaVu fonts, with a recording glyph processor.
#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Renderer/FontRenderer/FontFileInfo.h"
#include "QKFramework/Renderer/FontRenderer/FontRenderer.h"
#include "tests/support/Render/RecordingGlyphProcessor.h"
#include "tests/support/Render/ScopedRenderApp.h"
#include "tests/support/Render/SyntheticFonts.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <set>

namespace QK
{
namespace
{

using TestSupport::RecordingGlyphProcessor;

class FreetypeFontRendererTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LFontFileInfo::SetFontFolder(WString());
        m_processor = RCPtr<RecordingGlyphProcessor>(new RecordingGlyphProcessor);
        m_renderer = RCPtr<LFontRenderer>(new LFreetypeFontRenderer(ConstRCPtr<LGlyphProcessor>(m_processor.Get()),
                                                                    ConstRCPtr<LGlyphProcessor>(m_processor.Get())));
    }

    std::uint32_t Render(const char16_t* text, float size, std::int32_t mode = 15)
    {
        m_processor->glyphs.clear();
        return m_renderer->RenderText(WString(text), LFont::FindOrCreate(WString(u"DejaVu Sans"), size, 0),
                                      RCPtr<LGlyphProcessor>(m_processor.Get()), 0, 0.0f, mode);
    }

    RCPtr<RecordingGlyphProcessor> m_processor;
    RCPtr<LFontRenderer> m_renderer;
};

TEST_F(FreetypeFontRendererTest, ACharacterWithoutAGlyphIsSkippedWithoutMovingThePen)
{
    // U+4E00 is a CJK ideograph, which DejaVu Sans does not carry.
    EXPECT_EQ(Render(u"A\u4E00BC", 12.0f), 4u);
    EXPECT_EQ(m_processor->begun, 1);
    EXPECT_EQ(m_processor->ended, 1);
    EXPECT_EQ(m_processor->added, 4);
    EXPECT_EQ(m_processor->lastMode, 15);
    ASSERT_EQ(m_processor->glyphs.size(), 3u);
    const auto& a = m_processor->glyphs[0].info;
    const auto& b = m_processor->glyphs[1].info;
    const auto& c = m_processor->glyphs[2].info;
    EXPECT_EQ(a.characterCode, u'A');
    EXPECT_EQ(b.characterCode, u'B');
    EXPECT_EQ(a.index, 0);
    EXPECT_EQ(b.index, 1) << "the skipped character does not move the index";
    EXPECT_EQ(c.index, 3);
    EXPECT_GT(a.advanceX, 0);
    EXPECT_NE(a.glyphIndex, 0u);
    // The pen moves by A's advance (give or take a kerning pixel), not by the ideograph's.
    EXPECT_NEAR(b.penX - a.penX, a.advanceX / 64.0f, 1.5f);
    EXPECT_NEAR(c.penX - b.penX, b.advanceX / 64.0f, 1.5f);
    EXPECT_LT(a.top, 0) << "the box grows downward from the baseline";
    EXPECT_EQ(m_processor->glyphs[0].bitmapWidth, a.right - a.left);
    EXPECT_EQ(m_processor->glyphs[0].bitmapHeight, a.bottom - a.top);

    EXPECT_EQ(Render(u"", 12.0f), 0u);
    EXPECT_EQ(m_processor->begun, 2);
    EXPECT_EQ(m_processor->ended, 2);
}

TEST_F(FreetypeFontRendererTest, SmallTextIsMonochromeFromEightPointsItIsGrey)
{
    const auto levels = [&](float size) {
        Render(u"Qg@", size);
        std::set<unsigned char> values;
        for (const auto& glyph : m_processor->glyphs)
            values.insert(glyph.pixels.begin(), glyph.pixels.end());
        return values;
    };
    EXPECT_EQ(levels(7.9f), (std::set<unsigned char>{0x00, 0xFF}));
    EXPECT_GT(levels(8.0f).size(), 2u);
}

TEST_F(FreetypeFontRendererTest, MetricsAndMeasuring)
{
    const ConstRCPtr<LFont> font = LFont::FindOrCreate(WString(u"DejaVu Sans"), 12.0f, 0);
    std::int32_t height = 0, ascent = 0, descent = 0;
    ASSERT_EQ(m_renderer->GetFontMetrics(font, height, ascent, descent), QK_OK);
    EXPECT_GE(height, 16);
    EXPECT_GE(height, descent - ascent);
    EXPECT_LT(ascent, 0);
    EXPECT_GT(descent, 0);

    m_processor->bounds = {0.0f, -9.0f, 30.0f, 3.0f};
    const RectF r = m_renderer->MeasureText(WString(u"Hi"), font);
    EXPECT_EQ(m_processor->lastMode, 3);
    EXPECT_FLOAT_EQ(r.x, 0.0f);
    EXPECT_FLOAT_EQ(r.width, 31.0f);
    EXPECT_FLOAT_EQ(r.y, std::min(-9.0f, static_cast<float>(font->GetAscent())));
    EXPECT_FLOAT_EQ(r.y + r.height, std::max(3.0f, static_cast<float>(font->GetDescent())));
}

TEST(FreetypeFontRendererFailures, AFaceThatCannotBeOpenedAnswersFailureAndLeavesTheValues)
{
    TestSupport::ScopedRenderApp app;
    app.SetSystemFamily(WString(u"Broken"));
    const TestSupport::TempFolder folder;
    // A name table and nothing else: listed by the scan, refused by FreeType.
    folder.WriteFile("broken.ttf", TestSupport::TrueTypeFile(TestSupport::WindowsNames(u"Broken", u"Regular")));
    LFontFileInfo::SetFontFolder(WString(folder.Path().c_str()));

    const RCPtr<RecordingGlyphProcessor> processor(new RecordingGlyphProcessor);
    const RCPtr<LFontRenderer> renderer(new LFreetypeFontRenderer(ConstRCPtr<LGlyphProcessor>(processor.Get()),
                                                                  ConstRCPtr<LGlyphProcessor>(processor.Get())));
    // A second renderer shares the state; dropping it leaves the first working.
    RCPtr<LFontRenderer> second(new LFreetypeFontRenderer(ConstRCPtr<LGlyphProcessor>(processor.Get()),
                                                          ConstRCPtr<LGlyphProcessor>(processor.Get())));
    second = nullptr;
    EXPECT_EQ(LFontFileInfo::GetCount(), 1u);

    const ConstRCPtr<LFont> font = LFont::FindOrCreate(WString(u"Broken"), 12.0f, 0);
    std::int32_t height = -7, ascent = -7, descent = -7;
    EXPECT_EQ(renderer->GetFontMetrics(font, height, ascent, descent), QK_E_FAIL);
    EXPECT_EQ(height, -7);
    EXPECT_EQ(ascent, -7);
    EXPECT_EQ(descent, -7);
    EXPECT_EQ(renderer->RenderText(WString(u"abc"), font, RCPtr<LGlyphProcessor>(processor.Get()), 0, 0.0f, 15), 0u);
    EXPECT_EQ(processor->begun, 0);

    // Measuring after the failed lookup does not answer an earlier run's bounds.
    processor->bounds = {1.0f, 2.0f, 3.0f, 4.0f};
    const RectF r = renderer->MeasureText(WString(u"abc"), font);
    EXPECT_EQ(r.x, 0.0f);
    EXPECT_EQ(r.y, 0.0f);
    EXPECT_EQ(r.width, 0.0f);
    EXPECT_EQ(r.height, 0.0f);
    LFontFileInfo::SetFontFolder(WString());
}

} // namespace
} // namespace QK
