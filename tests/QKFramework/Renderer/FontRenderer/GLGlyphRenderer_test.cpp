// The glyph atlas arithmetic of the OpenGL glyph renderer: cells, rows, image growth, the
// glyph table and the font cache. Measuring runs only (mode 3 and mode 2): no OpenGL context
// is needed for them.
#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Renderer/FontRenderer/FontFileInfo.h"
#include "QKFramework/Renderer/FontRenderer/FontRenderer.h"
#include "QKFramework/Renderer/OpenGL/GLGlyphRenderer.h"

#include <gtest/gtest.h>

namespace QK
{
namespace
{

using Glyphs = LGLGlyphRenderer;
using Cached = LGLGlyphRenderer::LCachedFont;

RCPtr<LPixelBuffer<unsigned char>> Bitmap(std::int32_t width, std::int32_t height, unsigned char value)
{
    RCPtr<LPixelBuffer<unsigned char>> bitmap(new LPixelBuffer<unsigned char>(width, height, width));
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            *bitmap->GetPixelAddress(x, y) = value;
    return bitmap;
}

// Hands one new glyph to the processor as the font renderer would.
void Feed(LGLGlyphRenderer& glyphs, std::int32_t code, const RCPtr<LPixelBuffer<unsigned char>>& bitmap,
          float penX = 0.0f, std::int8_t top = -10)
{
    LGlyphProcessor::SGlyphInfo info;
    info.characterCode = code;
    info.penX = penX;
    ASSERT_EQ(glyphs.AddGlyph(info), 7);
    info.glyphIndex = static_cast<std::uint32_t>(code);
    info.left = 0;
    info.top = top;
    info.right = static_cast<std::int8_t>(bitmap->GetWidth());
    info.bottom = static_cast<std::int8_t>(top + bitmap->GetHeight());
    info.advanceX = static_cast<std::int16_t>((bitmap->GetWidth() + 1) * 64);
    info.bitmap = bitmap;
    glyphs.ProcessGlyph(info);
}

TEST(GLGlyphAtlas, CellsFillRowsAndTheImageGrowsByPowersOfTwo)
{
    const ConstRCPtr<LFont> font = LFont::FindOrCreate(WString(u"DejaVu Sans"), 9.0f, 0);
    const RCPtr<LGLGlyphRenderer> glyphs(new LGLGlyphRenderer);
    glyphs->BeginText(font, LGlyphProcessor::kModeBounds);
    const RCPtr<Cached> store = glyphs->FindCachedFont(font);
    ASSERT_TRUE(store);
    EXPECT_EQ(store->GetImage()->GetWidth(), 512);
    EXPECT_EQ(store->GetImage()->GetHeight(), 16);

    for (std::int32_t code = 1; code <= 17; ++code)
        Feed(*glyphs, code, Bitmap(28, 18, static_cast<unsigned char>(code)));
    EXPECT_EQ(store->GetImage()->GetHeight(), 32) << "the first 20-pixel cell grew the image";
    EXPECT_EQ(store->GetCursorX(), 510);
    EXPECT_EQ(store->FindGlyph(17)->texelX, 481);

    Feed(*glyphs, 18, Bitmap(28, 18, 18));
    const LGlyphProcessor::SCachedGlyph* eighteenth = store->FindGlyph(18);
    ASSERT_NE(eighteenth, nullptr);
    EXPECT_EQ(eighteenth->texelX, 1);
    EXPECT_EQ(eighteenth->texelY, 21);
    EXPECT_EQ(store->GetRowTop(), 20);
    EXPECT_EQ(store->GetRowHeight(), 20);
    EXPECT_EQ(store->GetCursorX(), 30);
    EXPECT_EQ(store->GetImage()->GetHeight(), 64);
    // Pixels went to the cell, inside its one-pixel border.
    EXPECT_EQ(*store->GetImage()->GetPixelAddress(1, 21), 18);
    EXPECT_EQ(*store->GetImage()->GetPixelAddress(0, 21), 0);
    EXPECT_EQ(*store->GetImage()->GetPixelAddress(31, 1), 2);

    // A space: a 2 x 2 cell that copies nothing.
    Feed(*glyphs, u' ', Bitmap(0, 0, 0));
    EXPECT_EQ(store->FindGlyph(u' ')->texelX, 31);
    EXPECT_EQ(store->GetCursorX(), 32);

    // Wider than a row: measured, neither kept nor copied.
    Feed(*glyphs, 19, Bitmap(600, 4, 0xEE));
    EXPECT_EQ(store->FindGlyph(19), nullptr);
    EXPECT_EQ(store->GetCursorX(), 32);
    glyphs->EndText();
    EXPECT_FALSE(store->FindGlyph(0));
}

TEST(GLGlyphAtlas, BoundsAlwaysHoldTheOrigin)
{
    const ConstRCPtr<LFont> font = LFont::FindOrCreate(WString(u"DejaVu Sans"), 10.0f, 0);
    const RCPtr<LGLGlyphRenderer> glyphs(new LGLGlyphRenderer);
    glyphs->BeginText(font, LGlyphProcessor::kModeMeasure);
    Feed(*glyphs, u'_', Bitmap(6, 2, 255), 5.0f, 3); // below the baseline
    glyphs->EndText();
    const LGlyphProcessor::Bounds bounds = glyphs->GetBounds();
    EXPECT_FLOAT_EQ(bounds[0], 0.0f);
    EXPECT_FLOAT_EQ(bounds[1], 0.0f);
    EXPECT_FLOAT_EQ(bounds[2], 5.0f + 7.0f);
    EXPECT_FLOAT_EQ(bounds[3], 5.0f);

    // Without a current font nothing is asked for and nothing kept.
    LGlyphProcessor::SGlyphInfo info;
    info.characterCode = 'x';
    EXPECT_EQ(glyphs->AddGlyph(info), 0);
    glyphs->ProcessGlyph(info);
}

TEST(GLGlyphAtlas, KnownGlyphsCostNoFreeTypeCallAndSeventeenFontsEvictTheFirst)
{
    LFontFileInfo::SetFontFolder(WString());
    const RCPtr<LGLGlyphRenderer> glyphs(new LGLGlyphRenderer);
    const RCPtr<LFontRenderer> fonts(new LFreetypeFontRenderer(ConstRCPtr<LGlyphProcessor>(glyphs.Get()),
                                                               ConstRCPtr<LGlyphProcessor>(glyphs.Get())));
    const ConstRCPtr<LFont> first = LFont::FindOrCreate(WString(u"DejaVu Sans"), 11.0f, 0);
    const RectF measured = fonts->MeasureText(WString(u"Hi"), first);
    EXPECT_GT(measured.width, 5.0f);
    const std::uint64_t loads = LFreetypeFontRenderer::GetGlyphLoadCount();
    EXPECT_EQ(fonts->RenderText(WString(u"iH"), first, RCPtr<LGlyphProcessor>(glyphs.Get()), 0, 0.0f, 3), 2u);
    EXPECT_EQ(LFreetypeFontRenderer::GetGlyphLoadCount(), loads);
    EXPECT_EQ(fonts->MeasureText(WString(u"Hi"), first).width, measured.width);

    for (std::int32_t i = 1; i <= 16; ++i)
        fonts->MeasureText(WString(u"a"), LFont::FindOrCreate(WString(u"DejaVu Sans"), 11.0f + i, 0));
    EXPECT_FALSE(glyphs->FindCachedFont(first));
    fonts->MeasureText(WString(u"Hi"), first);
    EXPECT_EQ(LFreetypeFontRenderer::GetGlyphLoadCount(), loads + 16 + 2) << "the first font's glyphs came back";
}

} // namespace
} // namespace QK
