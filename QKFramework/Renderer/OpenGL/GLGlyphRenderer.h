// LGLGlyphRenderer: the glyph processor of the OpenGL back end. Per font it packs every
// rasterised glyph once into an 8-bit glyph image 512 pixels wide (LCachedFont, which is
// also the font's alpha texture), remembers where each character's glyph lies, draws text as
// one textured quad per glyph and gathers the bounds of a run for measuring.
//
// Up to 16 fonts are held; a 17th evicts the one used least recently. A glyph image only
// grows, to power-of-two heights, and never past kMaxImageHeight: a glyph that would need
// more, or that is wider than a row, is measured but neither kept nor drawn.
//
// Called by the font renderer only (see LGlyphProcessor), on the UI thread, with the
// renderer's OpenGL context current whenever the mode uploads or draws.
#pragma once

#include "QKFramework/Renderer/FontRenderer/GlyphProcessor.h"
#include "QKFramework/Renderer/OpenGL/GLResources.h"
#include "QKFramework/Renderer/PurgableObjectCache.h"
#include "QKFramework/Utilities/Storage/HashedList.h"

#include <cstdint>

namespace QK
{

class LFont;

class LGLGlyphRenderer : public LGlyphProcessor
{
public:
    static constexpr std::int32_t kImageWidth = 512;
    static constexpr std::int32_t kMaxImageHeight = 16384;
    static constexpr std::uint32_t kFontCapacity = 16;

    // The glyph store of one font.
    class LCachedFont : public LGLTexture
    {
    public:
        explicit LCachedFont(const ConstRCPtr<LFont>& font);

        // Makes room for a cell of w x h in the current row or a new one, growing the image
        // as needed; false when the cell cannot be had (wider than a row, or an image that
        // may not or cannot grow that far).
        bool ReserveCell(std::int32_t w, std::int32_t h);
        // Copies the bitmap to (x, y) of the image, nothing outside it.
        void CopyGlyph(const LPixelBuffer<unsigned char>& bitmap, std::int32_t x, std::int32_t y);
        // Uploads the image when part of it changed since the last upload.
        void UploadChanges();

        const SCachedGlyph* FindGlyph(long characterCode) const { return m_glyphs.Find(characterCode); }
        void AddCachedGlyph(const SCachedGlyph& glyph) { m_glyphs.Add(glyph.characterCode, glyph); }

        const ConstRCPtr<LFont>& GetFont() const { return m_font; }
        std::int32_t GetCursorX() const { return m_cursorX; }
        void AdvanceCursor(std::int32_t by) { m_cursorX += by; }
        std::int32_t GetRowTop() const { return m_rowTop; }
        std::int32_t GetRowHeight() const { return m_rowHeight; }
        const RCPtr<LPixelBuffer<unsigned char>>& GetImage() const { return m_image; }
        // x, y, width, height of what changed since the last upload.
        const float* GetChangedRegion() const { return m_changed; }

    protected:
        ~LCachedFont() override = default;

    private:
        void AddChanged(float x, float y, float width, float height);

        ConstRCPtr<LFont> m_font;
        std::int32_t m_cursorX = 0;
        std::int32_t m_rowTop = 0;
        std::int32_t m_rowHeight = 0;
        RCPtr<LPixelBuffer<unsigned char>> m_image;
        float m_changed[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        HashedList<long, SCachedGlyph, HashBits0To7> m_glyphs;
    };

    LGLGlyphRenderer();

    void BeginText(const ConstRCPtr<LFont>& font, std::int32_t mode) override;
    void EndText() override;
    std::uint16_t AddGlyph(SGlyphInfo& glyph) override;
    void ProcessGlyph(SGlyphInfo& glyph) override;
    Bounds GetBounds() const override { return m_bounds; }

    // The font's store if the cache holds one (without counting as a use), else null.
    RCPtr<LCachedFont> FindCachedFont(const ConstRCPtr<LFont>& font) const;

protected:
    ~LGLGlyphRenderer() override;

private:
    struct FontId
    {
        std::int32_t operator()(const ConstRCPtr<LFont>& font) const;
    };

    // Places the new glyph's bitmap into the current font's image; false when refused.
    bool PlaceGlyph(const RCPtr<LPixelBuffer<unsigned char>>& bitmap);

    PurgableObjectCache<LCachedFont, ConstRCPtr<LFont>, std::int32_t, FontId> m_fonts;
    RCPtr<LCachedFont> m_current;
    SCachedGlyph m_record;
    Bounds m_bounds{};
    std::int32_t m_mode = 0;
};

} // namespace QK
