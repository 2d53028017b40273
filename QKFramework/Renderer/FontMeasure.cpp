#include "QKFramework/Renderer/FontMeasure.h"

#include "QKFramework/Platform/Render/FontMatcher.h"
#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

namespace QK
{

namespace
{

// Half away from zero, saturating at the 32-bit range; not a number gives 0.
std::int32_t RoundToLong(float value)
{
    if (std::isnan(value))
        return 0;
    const float rounded = std::round(value);
    if (rounded <= -2147483648.0f)
        return INT32_MIN;
    if (rounded >= 2147483648.0f)
        return INT32_MAX;
    return static_cast<std::int32_t>(rounded);
}

// The face's cell in font units, as the desktop reads it: the Windows ascent and descent of
// the OS/2 table where the face has them, and the larger of the face's line spacing and
// the cell height.
struct Cell
{
    float ascent;
    float descent;
    float lineSpacing;
    float em;
};

Cell CellOf(FT_Face face)
{
    float ascent = static_cast<float>(face->ascender);
    float descent = static_cast<float>(-face->descender);
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && (os2->usWinAscent != 0 || os2->usWinDescent != 0))
    {
        ascent = static_cast<float>(os2->usWinAscent);
        descent = static_cast<float>(os2->usWinDescent);
    }
    const float spacing = std::max(static_cast<float>(face->height), ascent + descent);
    return {ascent, descent, spacing, static_cast<float>(face->units_per_EM)};
}

bool UsableSize(float size)
{
    return std::isfinite(size) && size > 0.0f;
}

// The next code point of UTF-16 text; a lone surrogate reads as U+FFFD.
char32_t NextCodePoint(const char16_t*& text, const char16_t* end)
{
    const char16_t unit = *text++;
    if (unit >= 0xD800 && unit <= 0xDBFF && text < end && *text >= 0xDC00 && *text <= 0xDFFF)
        return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (*text++ - 0xDC00);
    if (unit >= 0xD800 && unit <= 0xDFFF)
        return 0xFFFD;
    return unit;
}

} // namespace

static_assert(std::is_same_v<FT_Face, FT_FaceRec_*> && std::is_same_v<FT_Library, FT_LibraryRec_*> &&
              std::is_same_v<FT_UInt, std::uint32_t>);

void FontMeasure::LibraryTraits::Close(Handle library) noexcept
{
    FT_Done_FreeType(library);
}

void FontMeasure::FaceTraits::Close(Handle face) noexcept
{
    FT_Done_Face(face);
}

FontMeasure::FontMeasure(std::int32_t resolution) : m_resolution(resolution >= 1 ? resolution : 96)
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) == 0)
        m_library.Reset(library);
}

FontMeasure::~FontMeasure() = default;

FT_Face FontMeasure::FindFace(const LFont& font)
{
    if (!m_library)
        return nullptr;
    // The id is read through a counted reference; the caller holds the font, so this one
    // never ends it.
    const std::int32_t id = LFont::GetUniqueID(ConstRCPtr<LFont>(const_cast<LFont*>(&font)));
    if (const auto known = m_fontFaces.find(id); known != m_fontFaces.end())
        return known->second;
    const std::int32_t style = font.GetStyle() & (kFontStyleBold | kFontStyleItalic);
    std::pair<std::u16string, std::int32_t> key{font.GetName().ToLower().GetString(), style};
    const auto found = m_faces.find(key);
    if (found != m_faces.end())
    {
        m_fontFaces.emplace(id, found->second.Get());
        return found->second.Get();
    }

    FT_Face face = nullptr;
    FontFaceMatch match;
    if (MatchFontFace(font.GetName(), style, match) &&
        FT_New_Face(m_library.Get(), match.file.c_str(), match.faceIndex, &face) == 0 &&
        (!FT_IS_SCALABLE(face) || face->units_per_EM == 0))
    {
        FT_Done_Face(face);
        face = nullptr;
    }
    m_faces.emplace(std::move(key), UniqueHandle<FaceTraits>(face));
    m_fontFaces.emplace(id, face);
    return face;
}

QKRESULT FontMeasure::GetFontMetrics(const LFont& font, std::int32_t& lineHeight, std::int32_t& ascent,
                                     std::int32_t& descent)
{
    const float size = font.GetSize();
    FT_Face face = UsableSize(size) ? FindFace(font) : nullptr;
    if (!face)
        return QK_E_FAIL;
    const Cell cell = CellOf(face);
    const float lineSpacing = cell.lineSpacing * size / cell.em;
    lineHeight = RoundToLong(lineSpacing * 96.0f / 72.0f + 0.499f);
    ascent = RoundToLong(cell.ascent * size * -96.0f / (cell.em * 72.0f) - 0.499f);
    descent = RoundToLong(cell.descent * size * 96.0f / (cell.em * 72.0f) + 0.499f);
    return QK_OK;
}

RectF FontMeasure::MeasureText(const WString& text, const LFont& font)
{
    if (text.IsEmpty())
        return {};
    std::int32_t lineHeight = 0;
    std::int32_t ascent = 0;
    std::int32_t descent = 0;
    if (GetFontMetrics(font, lineHeight, ascent, descent) != QK_OK)
        return {};
    GlyphRun run;
    if (!LayoutGlyphs(text, font, run))
        return {};
    const std::int64_t units = run.end;

    const float pixelsPerEm = font.GetSize() * static_cast<float>(m_resolution) / 72.0f;
    float right = static_cast<float>(units) * pixelsPerEm / run.em;
    if (m_resolution != 96)
        right = 9600.0f / static_cast<float>(m_resolution) * right / 100.0f;
    float width = std::trunc(right + 0.9999f);
    if (width > 0.0f)
        width += 3.0f;
    return {0.0f, static_cast<float>(ascent), width, static_cast<float>(lineHeight)};
}

bool FontMeasure::LayoutGlyphs(const WString& text, const LFont& font, GlyphRun& run)
{
    run = GlyphRun();
    FT_Face face = UsableSize(font.GetSize()) ? FindFace(font) : nullptr;
    if (!face)
        return false;
    const Cell cell = CellOf(face);
    run.face = face;
    run.em = cell.em;
    run.cellAscent = cell.ascent;

    // The pen's travel in font units: every advance, and the kerning between neighbours.
    std::int64_t units = 0;
    FT_UInt previous = 0;
    const char16_t* position = text.GetString();
    const char16_t* end = position + text.GetLength();
    while (position < end)
    {
        const FT_UInt glyph = FT_Get_Char_Index(face, NextCodePoint(position, end));
        FT_Vector kerning{0, 0};
        if (previous != 0 && glyph != 0 && FT_HAS_KERNING(face) &&
            FT_Get_Kerning(face, previous, glyph, FT_KERNING_UNSCALED, &kerning) == 0)
            units += kerning.x;
        run.glyphs.push_back({glyph, units});
        FT_Fixed advance = 0;
        if (FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE, &advance) == 0)
            units += advance;
        previous = glyph;
    }
    run.end = units;
    return true;
}

} // namespace QK
