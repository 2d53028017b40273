// LFontRenderer: the text engine of the OpenGL back end. It lays a text out in a font with
// FreeType and hands the glyphs one by one to a glyph processor, which caches, draws or
// measures them. LFreetypeFontRenderer is the one implementation.
//
// Sizes are points at 96 dots per inch (a 12-point font has a 16-pixel em). Each UTF-16 code
// unit is one character; one without a glyph in the face is skipped without moving the pen.
// Below 8 points glyphs are rendered 1-bit and expanded to 0x00 and 0xFF.
//
// The FreeType library, its cache manager (at most 8 faces, 16 sizes, 4 MiB) and the font
// table of LFontFileInfo are process-wide and shared by every font renderer: the first one
// made scans the fonts and starts FreeType, the last one destroyed stops FreeType and empties
// the table. Faces are opened by the cache manager at the face the table names (collections
// included).
//
// UI thread only.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Renderer/FontRenderer/GlyphProcessor.h"
#include "QKFramework/Utilities/Geometry/Rect.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>

namespace QK
{

class LFont;

class LFontRenderer : public virtual LRefCountedObject
{
public:
    // (x, y, width, height) relative to the origin and baseline: the run's bounds, widened to
    // the font's ascent and descent, plus one pixel of width. All zero when the font cannot
    // be sized.
    virtual RectF MeasureText(const WString& text, const ConstRCPtr<LFont>& font);
    // 0, or 0x80004005 with nothing written when the font cannot be sized. The ascent is
    // negative (above the baseline), the descent positive.
    virtual QKRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, std::int32_t& lineHeight, std::int32_t& ascent,
                                    std::int32_t& descent) = 0;
    // Lays out text from its first character and hands the glyphs to processor in mode; a
    // positive maxWidth stops before the first glyph that would reach past it. The number of
    // characters consumed; 0 (processor not called) when the font cannot be sized.
    virtual std::uint32_t RenderText(const WString& text, const ConstRCPtr<LFont>& font,
                                     const RCPtr<LGlyphProcessor>& processor, std::int32_t startIndex,
                                     float maxWidth, std::int32_t mode) = 0;
    // The second processor's bounds as (x minimum, y minimum, x maximum, y maximum), or zeros
    // without one.
    virtual RectF GetTextBounds(RectF& out) const;

    const RCPtr<LGlyphProcessor>& GetFirstProcessor() const { return m_first; }
    const RCPtr<LGlyphProcessor>& GetSecondProcessor() const { return m_second; }

protected:
    LFontRenderer(const ConstRCPtr<LGlyphProcessor>& first, const ConstRCPtr<LGlyphProcessor>& second);
    ~LFontRenderer() override;

    // Whether the last RenderText could size its font.
    bool m_lastRunSized = false;

private:
    RCPtr<LGlyphProcessor> m_first;
    RCPtr<LGlyphProcessor> m_second;
};

class LFreetypeFontRenderer : public LFontRenderer
{
public:
    LFreetypeFontRenderer(const ConstRCPtr<LGlyphProcessor>& first, const ConstRCPtr<LGlyphProcessor>& second);

    QKRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, std::int32_t& lineHeight, std::int32_t& ascent,
                            std::int32_t& descent) override;
    std::uint32_t RenderText(const WString& text, const ConstRCPtr<LFont>& font,
                             const RCPtr<LGlyphProcessor>& processor, std::int32_t startIndex, float maxWidth,
                             std::int32_t mode) override;

    // Glyphs loaded from FreeType by every font renderer of the process so far.
    static std::uint64_t GetGlyphLoadCount();

protected:
    ~LFreetypeFontRenderer() override;
};

} // namespace QK
