// FontMeasure: font metrics and text extents from the font files themselves, through
// FreeType, for the system measurement renderer and for the renderers that draw text the
// same way.
//
// The metrics follow the desktop conventions the skins were laid out with: the cell's top
// and bottom and the line spacing of the face, scaled from the font's size in points at 96
// dots per inch. A text's width is the advance of its glyphs (with kerning) at the screen
// resolution, brought back to 96 dots per inch, rounded up and widened by 3 pixels.
//
// One object belongs to one thread; faces are opened on first use and kept.
#pragma once

#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Platform/Core/UniqueHandle.h"
#include "QKFramework/Utilities/Geometry/Rect.h"
#include "QKFramework/Utilities/Storage/StringFwd.h"

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// FreeType's handles, declared as FreeType declares them; only the implementation includes
// FreeType itself.
struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace QK
{

class LFont;

class FontMeasure
{
public:
    // resolution: the screen's horizontal dots per inch (96 and below 1 both mean 96).
    explicit FontMeasure(std::int32_t resolution);
    FontMeasure(const FontMeasure&) = delete;
    FontMeasure& operator=(const FontMeasure&) = delete;
    ~FontMeasure();

    // 0, or 0x80004005 (nothing written) when no face can be opened for the font.
    QKRESULT GetFontMetrics(const LFont& font, std::int32_t& lineHeight, std::int32_t& ascent,
                            std::int32_t& descent);
    // (0, ascent, width, line height); all zero for an empty text or a font without a face.
    RectF MeasureText(const WString& text, const LFont& font);

    std::int32_t GetResolution() const { return m_resolution; }

    // The glyphs of a text as MeasureText counts them, for renderers that draw it: the face,
    // its em and cell ascent in font units, and each glyph with the pen's travel before it
    // (advances and kerning, font units). The face stays owned here.
    struct GlyphRun
    {
        struct Glyph
        {
            std::uint32_t index; // FT_UInt
            std::int64_t pen;
        };
        FT_FaceRec_* face = nullptr;
        float em = 0.0f;
        float cellAscent = 0.0f;
        std::vector<Glyph> glyphs;
        std::int64_t end = 0; // the pen after the last glyph
    };
    // False (run emptied) when the font has no usable face.
    bool LayoutGlyphs(const WString& text, const LFont& font, GlyphRun& run);

private:
    struct LibraryTraits
    {
        using Handle = FT_LibraryRec_*;
        static Handle Invalid() noexcept { return nullptr; }
        static void Close(Handle library) noexcept;
    };
    struct FaceTraits
    {
        using Handle = FT_FaceRec_*;
        static Handle Invalid() noexcept { return nullptr; }
        static void Close(Handle face) noexcept;
    };

    // The face for the font's family and style, or null; failures are remembered too.
    FT_FaceRec_* FindFace(const LFont& font);

    std::int32_t m_resolution;
    UniqueHandle<LibraryTraits> m_library;
    // Declared after the library: faces close before it.
    std::map<std::pair<std::u16string, std::int32_t>, UniqueHandle<FaceTraits>> m_faces;
    // The face each font (by its unique id) was given, so that a text's font is found
    // without building its name again.
    std::unordered_map<std::int32_t, FT_FaceRec_*> m_fontFaces;
};

} // namespace QK
