// Sections: font stores; the glyph processor.
#include "QKFramework/Renderer/OpenGL/GLGlyphRenderer.h"

#include "QKFramework/Renderer/Font.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <GL/gl.h>

namespace QK
{

namespace
{

// The glyph index, box and advance, between a glyph record and a cached glyph.
template <class From, class To> void CopyMetrics(const From& from, To& to)
{
    to.glyphIndex = from.glyphIndex;
    to.left = from.left;
    to.top = from.top;
    to.right = from.right;
    to.bottom = from.bottom;
    to.advanceX = from.advanceX;
    to.advanceY = from.advanceY;
}

} // namespace

// --- Font stores -----------------------------------------------------------------------

LGLGlyphRenderer::LCachedFont::LCachedFont(const ConstRCPtr<LFont>& font) : m_font(font)
{
    const float size = font ? font->GetSize() : 0.0f;
    const auto first = std::isfinite(size) ? static_cast<std::int32_t>(std::clamp(size, 0.0f, 1024.0f)) : 0;
    ReserveCell(0, first);
}

void LGLGlyphRenderer::LCachedFont::AddChanged(float x, float y, float width, float height)
{
    // An empty region counts as the rectangle at the origin.
    const float left = std::min(m_changed[0], x);
    const float top = std::min(m_changed[1], y);
    const float right = std::max(m_changed[0] + m_changed[2], x + width);
    const float bottom = std::max(m_changed[1] + m_changed[3], y + height);
    m_changed[0] = left;
    m_changed[1] = top;
    m_changed[2] = right - left;
    m_changed[3] = bottom - top;
}

bool LGLGlyphRenderer::LCachedFont::ReserveCell(std::int32_t w, std::int32_t h)
{
    if (w < 0 || h < 0 || w >= kImageWidth || h >= kMaxImageHeight)
        return false;
    const std::int32_t rowHeight = std::max(m_rowHeight, h);
    std::int32_t cursorX = m_cursorX;
    std::int32_t rowTop = m_rowTop;
    std::int32_t newRowHeight = rowHeight;
    if (cursorX + w >= kImageWidth)
    {
        cursorX = 0;
        rowTop += rowHeight;
        newRowHeight = h;
    }
    if (rowTop + h >= kMaxImageHeight)
        return false;

    if (!m_image)
        m_image = RCPtr<LPixelBuffer<unsigned char>>(
            new LPixelBuffer<unsigned char>(kImageWidth, newRowHeight, kImageWidth));
    if (rowTop + h >= m_image->GetHeight())
    {
        std::int32_t height = std::max(NextTextureSize(rowTop + h), 1);
        while (height < rowTop + h)
            height *= 2;
        if (Failed(m_image->SetHeight(height)))
            return false;
        m_changed[0] = 0.0f;
        m_changed[1] = 0.0f;
        m_changed[2] = static_cast<float>(m_image->GetWidth());
        m_changed[3] = static_cast<float>(m_image->GetHeight());
    }
    m_cursorX = cursorX;
    m_rowTop = rowTop;
    m_rowHeight = newRowHeight;
    return true;
}

void LGLGlyphRenderer::LCachedFont::CopyGlyph(const LPixelBuffer<unsigned char>& bitmap, std::int32_t x,
                                              std::int32_t y)
{
    const std::int32_t width = bitmap.GetWidth();
    const std::int32_t height = bitmap.GetHeight();
    if (height <= 0 || !m_image || x < 0 || y < 0)
        return;
    const std::int32_t copyWidth = std::min(width, m_image->GetWidth() - x);
    for (std::int32_t row = 0; row < height && copyWidth > 0; ++row)
    {
        const unsigned char* from = bitmap.GetPixelAddress(0, row);
        unsigned char* to = m_image->GetPixelAddress(x, y + row);
        // Both ends of the row must lie inside their storage.
        if (!from || !to || !bitmap.GetPixelAddress(copyWidth - 1, row) ||
            !m_image->GetPixelAddress(x + copyWidth - 1, y + row))
            break;
        std::memcpy(to, from, static_cast<std::size_t>(copyWidth));
    }
    AddChanged(static_cast<float>(x - 1), static_cast<float>(y - 1), static_cast<float>(width + 2),
               static_cast<float>(height + 2));
}

void LGLGlyphRenderer::LCachedFont::UploadChanges()
{
    constexpr float kEpsilon = 1.1920929e-07f;
    if (!(m_changed[2] > kEpsilon && m_changed[3] > kEpsilon) || !m_image)
        return;
    GLImage record;
    record.Point(m_image->GetPixelAddress(0, 0), m_image->GetWidth(), 1, m_image->GetWidth(), m_image->GetHeight(),
                 GL_ALPHA, GL_UNSIGNED_BYTE);
    Create(record, GL_ALPHA, kNearest, 1.0f);
    std::fill(std::begin(m_changed), std::end(m_changed), 0.0f);
}

// --- The glyph processor ---------------------------------------------------------------

std::int32_t LGLGlyphRenderer::FontId::operator()(const ConstRCPtr<LFont>& font) const
{
    return LFont::GetUniqueID(font);
}

LGLGlyphRenderer::LGLGlyphRenderer() : m_fonts(kFontCapacity) {}

LGLGlyphRenderer::~LGLGlyphRenderer()
{
    m_current = nullptr;
}

RCPtr<LGLGlyphRenderer::LCachedFont> LGLGlyphRenderer::FindCachedFont(const ConstRCPtr<LFont>& font) const
{
    const std::int32_t id = LFont::GetUniqueID(font);
    for (std::uint32_t i = 0; i < m_fonts.GetCapacity(); ++i)
    {
        const auto& entry = m_fonts.GetEntryAt(i);
        if (!entry.IsEmpty() && entry.key == id)
            return entry.object;
    }
    return RCPtr<LCachedFont>();
}

void LGLGlyphRenderer::BeginText(const ConstRCPtr<LFont>& font, std::int32_t mode)
{
    m_mode = mode;
    m_bounds = {0.0f, 0.0f, 0.0f, 0.0f};
    if (!font)
    {
        m_current = nullptr;
        return;
    }
    RCPtr<LCachedFont>& slot = m_fonts.GetEntry(font, false);
    if (!slot)
        slot = RCPtr<LCachedFont>(new LCachedFont(font));
    m_current = slot;
    if (mode & kModeUpload)
        m_current->UploadChanges();
}

void LGLGlyphRenderer::EndText()
{
    m_current = nullptr;
}

std::uint16_t LGLGlyphRenderer::AddGlyph(SGlyphInfo& glyph)
{
    if (!m_current)
        return 0;
    const SCachedGlyph* known = m_current->FindGlyph(glyph.characterCode);
    m_record = known ? *known : SCachedGlyph();
    if (m_record.characterCode == 0)
        return kRequestLoad | kRequestBox | kRequestBitmap;
    CopyMetrics(m_record, glyph);
    return 0;
}

bool LGLGlyphRenderer::PlaceGlyph(const RCPtr<LPixelBuffer<unsigned char>>& bitmap)
{
    const std::int32_t w = bitmap ? bitmap->GetWidth() : 0;
    const std::int32_t h = bitmap ? bitmap->GetHeight() : 0;
    if (!m_current->ReserveCell(w + 2, h + 2))
        return false;
    m_record.texelX = static_cast<std::uint16_t>(m_current->GetCursorX() + 1);
    m_record.texelY = static_cast<std::uint16_t>(m_current->GetRowTop() + 1);
    if (bitmap)
        m_current->CopyGlyph(*bitmap, m_record.texelX, m_record.texelY);
    m_current->AdvanceCursor(w + 2);
    if (m_mode & kModeUpload)
        m_current->UploadChanges();
    return true;
}

void LGLGlyphRenderer::ProcessGlyph(SGlyphInfo& glyph)
{
    if (!m_current)
        return;
    bool placed = true;
    if (m_record.characterCode == 0)
    {
        m_record.characterCode = glyph.characterCode;
        CopyMetrics(glyph, m_record);
        placed = PlaceGlyph(glyph.bitmap);
        if (placed && m_record.characterCode != 0)
            m_current->AddCachedGlyph(m_record);
    }
    const auto l = static_cast<float>(m_record.left);
    const auto t = static_cast<float>(m_record.top);
    const auto r = static_cast<float>(m_record.right);
    const auto b = static_cast<float>(m_record.bottom);
    if ((m_mode & kModeDraw) && placed)
    {
        const auto a = static_cast<float>(m_current->GetFont()->GetAscent());
        const auto tx = static_cast<float>(m_record.texelX);
        const auto ty = static_cast<float>(m_record.texelY);
        const float source[4] = {tx, ty, tx + r - l, ty + b - t};
        const float destination[4] = {glyph.penX + l, t - a - glyph.penY, glyph.penX + r, b - a - glyph.penY};
        m_current->Draw(source, destination);
    }
    if (m_mode & kModeBounds)
    {
        const float x = glyph.penX;
        const float y = t + glyph.penY;
        const auto width = static_cast<float>(m_record.advanceX >> 6);
        const float height = b - t;
        m_bounds[0] = std::min(m_bounds[0], x);
        m_bounds[1] = std::min(m_bounds[1], y);
        m_bounds[2] = std::max(m_bounds[2], x + width);
        m_bounds[3] = std::max(m_bounds[3], y + height);
    }
}

} // namespace QK
