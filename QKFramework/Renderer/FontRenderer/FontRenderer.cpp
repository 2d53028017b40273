// Sections: the shared FreeType state; the abstract font renderer; metrics; the glyph run.
#include "QKFramework/Renderer/FontRenderer/FontRenderer.h"

#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Renderer/FontRenderer/FontFileInfo.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CACHE_H
#include FT_GLYPH_H

namespace QK
{

namespace
{

// --- The shared FreeType state ---------------------------------------------------------

struct FreetypeState
{
    std::uint32_t users = 0;
    FT_Library library = nullptr;
    FTC_Manager manager = nullptr;
    std::uint64_t glyphLoads = 0;
};

FreetypeState& State()
{
    static FreetypeState state;
    return state;
}

// Face ids travel through the cache manager as pointers; 0 is kept free for "none".
FTC_FaceID ToFaceId(std::int32_t id)
{
    return reinterpret_cast<FTC_FaceID>(static_cast<std::intptr_t>(id) + 1);
}

std::int32_t FromFaceId(FTC_FaceID id)
{
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(id) - 1);
}

FT_Error RequestFace(FTC_FaceID faceId, FT_Library library, FT_Pointer, FT_Face* face)
{
    const std::int32_t id = FromFaceId(faceId);
    const std::string path = NString(LFontFileInfo::GetFilePath(id).GetString()).GetString();
    return FT_New_Face(library, path.c_str(), LFontFileInfo::GetFaceIndex(id), face);
}

// The size of font at 96 dpi; null when the face cannot be opened or sized.
FT_Size LookupSize(const ConstRCPtr<LFont>& font)
{
    FreetypeState& state = State();
    if (!state.manager)
        return nullptr;
    const float points = font->GetSize();
    if (!(points > 0.0f) || points > 4096.0f)
        return nullptr;
    FTC_ScalerRec scaler{};
    scaler.face_id = ToFaceId(LFontFileInfo::GetFileID(font));
    scaler.width = 0;
    scaler.height = static_cast<FT_UInt>(points * 64.0f);
    scaler.pixel = 0;
    scaler.x_res = 96;
    scaler.y_res = 96;
    FT_Size size = nullptr;
    if (FTC_Manager_LookupSize(state.manager, &scaler, &size) != 0)
        return nullptr;
    return size;
}

std::int8_t ToSignedByte(FT_Pos value)
{
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(value & 0xFF));
}

RCPtr<LPixelBuffer<unsigned char>> CopyBitmap(const FT_Bitmap& bitmap)
{
    const auto width = static_cast<std::int32_t>(bitmap.width);
    const auto rows = static_cast<std::int32_t>(bitmap.rows);
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
    {
        RCPtr<LPixelBuffer<unsigned char>> buffer(new LPixelBuffer<unsigned char>(width, rows, width));
        unsigned char* out = buffer->GetPixelAddress(0, 0);
        const int pitch = bitmap.pitch;
        for (std::int32_t y = 0; out && y < rows; ++y)
        {
            const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * pitch;
            for (std::int32_t x = 0; x < width; ++x)
                out[y * width + x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 0xFF : 0x00;
        }
        return buffer;
    }
    // Rows that run upward (a negative pitch) are not what the glyph images expect.
    const int pitch = std::max(bitmap.pitch, 0);
    return RCPtr<LPixelBuffer<unsigned char>>(
        new LPixelBuffer<unsigned char>(width, pitch > 0 ? rows : 0, pitch, pitch > 0 ? bitmap.buffer : nullptr));
}

struct GlyphTraits
{
    FT_Glyph glyph = nullptr;
    ~GlyphTraits()
    {
        if (glyph)
            FT_Done_Glyph(glyph);
    }
};

} // namespace

// --- The abstract font renderer --------------------------------------------------------

LFontRenderer::LFontRenderer(const ConstRCPtr<LGlyphProcessor>& first, const ConstRCPtr<LGlyphProcessor>& second)
    : m_first(const_cast<LGlyphProcessor*>(first.Get())), m_second(const_cast<LGlyphProcessor*>(second.Get()))
{
}

LFontRenderer::~LFontRenderer() = default;

RectF LFontRenderer::MeasureText(const WString& text, const ConstRCPtr<LFont>& font)
{
    RenderText(text, font, m_second, 0, 0.0f, LGlyphProcessor::kModeMeasure);
    // A font that cannot be sized leaves the processor's bounds of some earlier run.
    if (!m_lastRunSized || !font)
        return RectF{};
    RectF r{};
    GetTextBounds(r);
    const auto a = static_cast<float>(font->GetAscent());
    const auto d = static_cast<float>(font->GetDescent());
    RectF result;
    result.x = r.x;
    result.y = std::min(r.y, a);
    result.width = r.width + 1.0f - r.x;
    result.height = std::max(r.height, d) - result.y;
    return result;
}

RectF LFontRenderer::GetTextBounds(RectF& out) const
{
    if (!m_second)
        out = RectF{};
    else
    {
        const LGlyphProcessor::Bounds bounds = m_second->GetBounds();
        out = RectF{bounds[0], bounds[1], bounds[2], bounds[3]};
    }
    return out;
}

LFreetypeFontRenderer::LFreetypeFontRenderer(const ConstRCPtr<LGlyphProcessor>& first,
                                             const ConstRCPtr<LGlyphProcessor>& second)
    : LFontRenderer(first, second)
{
    FreetypeState& state = State();
    if (state.users++ != 0)
        return;
    LFontFileInfo::ScanFontFolder();
    if (FT_Init_FreeType(&state.library) != 0)
    {
        state.library = nullptr;
        return;
    }
    if (FTC_Manager_New(state.library, 8, 16, 4194304, RequestFace, nullptr, &state.manager) != 0)
        state.manager = nullptr;
}

LFreetypeFontRenderer::~LFreetypeFontRenderer()
{
    FreetypeState& state = State();
    if (--state.users != 0)
        return;
    if (state.manager)
        FTC_Manager_Done(state.manager);
    if (state.library)
        FT_Done_FreeType(state.library);
    state.manager = nullptr;
    state.library = nullptr;
    LFontFileInfo::Reset();
}

std::uint64_t LFreetypeFontRenderer::GetGlyphLoadCount()
{
    return State().glyphLoads;
}

// --- Metrics ---------------------------------------------------------------------------

QKRESULT LFreetypeFontRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, std::int32_t& lineHeight,
                                               std::int32_t& ascent, std::int32_t& descent)
{
    if (!font)
        return QK_E_FAIL;
    const FT_Size size = LookupSize(font);
    if (!size)
        return QK_E_FAIL;
    ascent = static_cast<std::int32_t>(-(size->metrics.ascender >> 6));
    descent = static_cast<std::int32_t>(-(size->metrics.descender >> 6));
    lineHeight = std::max(static_cast<std::int32_t>(size->metrics.height >> 6),
                          static_cast<std::int32_t>(96.0f * font->GetSize() / 72.0f));
    if (lineHeight < descent - ascent)
        lineHeight = descent - ascent;
    return QK_OK;
}

// --- The glyph run ---------------------------------------------------------------------

std::uint32_t LFreetypeFontRenderer::RenderText(const WString& text, const ConstRCPtr<LFont>& font,
                                                const RCPtr<LGlyphProcessor>& processor, std::int32_t startIndex,
                                                float maxWidth, std::int32_t mode)
{
    m_lastRunSized = false;
    if (!font || !processor)
        return 0;
    const FT_Size size = LookupSize(font);
    if (!size)
        return 0;
    m_lastRunSized = true;
    FreetypeState& state = State();
    const FT_Face face = size->face;
    const bool kerning = FT_HAS_KERNING(face);
    const FT_Render_Mode preferred = font->GetSize() >= 8.0f ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO;
    const FT_Render_Mode other = preferred == FT_RENDER_MODE_NORMAL ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;

    LGlyphProcessor::SGlyphInfo record;
    record.index = startIndex;
    FT_UInt previous = 0;
    const std::uint32_t length = text.GetLength();
    const char16_t* units = text.GetString();
    std::uint32_t consumed = length;

    processor->BeginText(font, mode);
    for (std::uint32_t i = 0; i < length; ++i)
    {
        record.characterCode = static_cast<std::int32_t>(static_cast<std::uint16_t>(units[i]));
        record.glyphIndex = 0;
        record.bitmap = nullptr;
        record.left = record.top = record.right = record.bottom = 0;
        record.advanceX = record.advanceY = 0;

        const std::uint16_t flags = processor->AddGlyph(record);
        const FT_UInt gi = flags != 0 ? FT_Get_Char_Index(face, static_cast<FT_ULong>(record.characterCode))
                                      : record.glyphIndex;
        if (gi == 0)
            continue;

        GlyphTraits held;
        if (flags != 0)
        {
            ++state.glyphLoads;
            if (FT_Load_Glyph(face, gi, FT_LOAD_DEFAULT) != 0 || FT_Get_Glyph(face->glyph, &held.glyph) != 0)
            {
                record.index = static_cast<std::int32_t>(i) + 1;
                continue;
            }
            record.glyphIndex = gi;
            record.advanceX = static_cast<std::int16_t>(static_cast<std::uint16_t>(face->glyph->advance.x & 0xFFFF));
            record.advanceY = static_cast<std::int16_t>(static_cast<std::uint16_t>(face->glyph->advance.y & 0xFFFF));
        }
        if (flags & (LGlyphProcessor::kRequestBox | LGlyphProcessor::kRequestBitmap))
        {
            FT_BBox box{};
            FT_Glyph_Get_CBox(held.glyph, FT_GLYPH_BBOX_PIXELS, &box);
            record.left = ToSignedByte(box.xMin);
            record.top = ToSignedByte(-box.yMax);
            record.right = ToSignedByte(box.xMax);
            record.bottom = ToSignedByte(-box.yMin);
        }
        if (flags & LGlyphProcessor::kRequestBitmap)
        {
            if (FT_Render_Glyph(face->glyph, preferred) != 0 && FT_Render_Glyph(face->glyph, other) != 0)
            {
                record.index = static_cast<std::int32_t>(i) + 1;
                continue;
            }
            record.bitmap = CopyBitmap(face->glyph->bitmap);
        }
        if (kerning)
        {
            if (previous != 0)
            {
                FT_Vector delta{};
                if (FT_Get_Kerning(face, previous, gi, FT_KERNING_DEFAULT, &delta) == 0)
                    record.penX += static_cast<float>(delta.x) * 0.015625f;
            }
            else if (record.left < 0)
                record.penX -= record.left;
        }
        if (maxWidth > 0.0f && record.penX + static_cast<float>(record.right) > maxWidth)
        {
            consumed = i;
            break;
        }
        processor->ProcessGlyph(record);
        record.penX += static_cast<float>(record.advanceX) * 0.015625f;
        record.penY += static_cast<float>(record.advanceY) * 0.015625f;
        previous = gi;
        record.index = static_cast<std::int32_t>(i) + 1;
    }
    processor->EndText();
    record.bitmap = nullptr;
    return consumed;
}

} // namespace QK
