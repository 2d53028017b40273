// Sections: contexts and surfaces; construction and measuring; paints; shapes and text;
// polylines; bitmaps; copies between contexts; state.
#include "QKFramework/Renderer/Gdi/GDIRenderer.h"

#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Renderer/RenderApp.h"
#include "QKFramework/Utilities/Graphics/Bitmap.h"
#include "QKFramework/Utilities/Storage/Array.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

namespace QK
{

namespace
{

constexpr const char* kSource = "Renderer\\Gdi\\GDIRenderer";

// Scale factors this close to 1 draw the cached path as it is.
constexpr float kUnitScaleTolerance = 1.1920929e-6f;
// Path offsets stay where a double still counts whole pixels.
constexpr double kMaxPathOffset = 4503599627370496.0;

bool IsUnitScale(const PointF& scale)
{
    return std::fabs(scale.x - 1.0f) <= kUnitScaleTolerance && std::fabs(scale.y - 1.0f) <= kUnitScaleTolerance;
}

double ClampOffset(float value)
{
    if (std::isnan(value))
        return 0.0;
    return std::clamp(static_cast<double>(value), -kMaxPathOffset, kMaxPathOffset);
}

// A float to a whole number of pixels, toward zero, saturating.
std::int32_t ToPixels(float value)
{
    if (std::isnan(value))
        return 0;
    if (value <= -2147483648.0f)
        return INT32_MIN;
    if (value >= 2147483647.0f)
        return INT32_MAX;
    return static_cast<std::int32_t>(value);
}

float ClampSource(float value)
{
    return std::clamp(value, -8388608.0f, 8388608.0f);
}

std::vector<RectL> RegionRects(const RectRegion& region)
{
    Array<RectL> held;
    region.GetRects(held);
    std::vector<RectL> rects;
    rects.reserve(held.GetCount());
    for (std::uint32_t i = 0; i < held.GetCount(); ++i)
        rects.push_back(*held.GetAt(i));
    return rects;
}

} // namespace

// --- Contexts and surfaces -------------------------------------------------------------

LGDIRendererOffscreenSurface::LGDIRendererOffscreenSurface(IDrawingBackend& backend, std::uintptr_t window,
                                                           std::int32_t width, std::int32_t height, bool intoWindow)
    : m_backend(backend), m_window(window), m_intoWindow(intoWindow && window != 0)
{
    if (!m_intoWindow)
    {
        SetSize(width, height);
        return;
    }
    m_width = std::clamp(width, 1, LGDIRenderer::kMaxSurfaceSize);
    m_height = std::clamp(height, 1, LGDIRenderer::kMaxSurfaceSize);
    m_backend.PrepareWindowSurface(m_window);
}

void LGDIRendererOffscreenSurface::SetSize(std::int32_t width, std::int32_t height)
{
    m_width = std::clamp(width, 1, LGDIRenderer::kMaxSurfaceSize);
    m_height = std::clamp(height, 1, LGDIRenderer::kMaxSurfaceSize);
    m_surface.reset();
    MadeSurface();
}

IDrawingSurface& LGDIRendererOffscreenSurface::MadeSurface() const
{
    if (m_surface)
        return *m_surface;
    m_surface = m_intoWindow ? m_backend.CreateWindowSurface(m_window, m_width, m_height) : nullptr;
    m_drawsIntoWindow = m_surface != nullptr;
    if (!m_surface)
        m_surface = m_backend.CreateSurface(m_width, m_height);
    return *m_surface;
}

bool LGDIRendererOffscreenSurface::LostWindowPicture() const
{
    // A surface not made yet has lost nothing: it is made from the window's current picture.
    return m_surface && m_drawsIntoWindow && !m_backend.DrawsIntoWindow(m_window, *m_surface);
}

LGDIRenderContextInfo::LGDIRenderContextInfo(IDrawingBackend& backend, const RectL& viewport, std::uintptr_t window,
                                             bool offscreen)
    : LRenderContextInfo(viewport, window, offscreen), m_backend(backend),
      m_front(new LGDIRendererOffscreenSurface(backend, window, viewport.width, viewport.height, !offscreen))
{
}

LGDIRendererOffscreenSurface& LGDIRenderContextInfo::GetBackSurface()
{
    if (!m_back)
        m_back = RCPtr<LGDIRendererOffscreenSurface>(
            new LGDIRendererOffscreenSurface(m_backend, m_front->GetWindow(), m_front->GetWidth(), m_front->GetHeight()));
    return *m_back;
}

void LGDIRenderContextInfo::ResizeSurfaces(std::int32_t width, std::int32_t height)
{
    m_front->SetSize(width, height);
    // A back surface comes back fresh, at the front's size, when next needed.
    m_back = nullptr;
}

void LGDIRenderContextInfo::SwapSurfaces()
{
    GetBackSurface();
    std::swap(m_front, m_back);
}

void LGDIRenderContextInfo::GetMaxSurfaceSize(std::int32_t& width, std::int32_t& height) const
{
    width = LGDIRenderer::kMaxSurfaceSize;
    height = LGDIRenderer::kMaxSurfaceSize;
}

// --- Construction and measuring --------------------------------------------------------

LGDIRenderer::LGDIRenderer() : LGDIRenderer(GetDrawingBackend()) {}

LGDIRenderer::LGDIRenderer(IDrawingBackend& backend)
    : m_backend(backend), m_resolution(LRenderApp::GetScreenResolution()), m_bitmapCache(kCacheCapacity),
      m_pathCache(kCacheCapacity), m_glyphCache(kGlyphCacheCapacity), m_lastPurgeMs(LRenderApp::GetTimeMs()), m_measure(m_resolution)
{
}

LGDIRenderer::~LGDIRenderer() = default;

QKRESULT LGDIRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, std::int32_t& lineHeight, std::int32_t& ascent,
                                      std::int32_t& descent) const
{
    if (!font)
        return QK_E_INVALIDARG;
    return m_measure.GetFontMetrics(*font, lineHeight, ascent, descent);
}

RectF LGDIRenderer::MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const
{
    if (!font)
        return {};
    return m_measure.MeasureText(text, *font);
}

std::uint32_t LGDIRenderer::GetCachedBitmapCount() const
{
    std::uint32_t count = 0;
    for (std::uint32_t i = 0; i < m_bitmapCache.GetCapacity(); ++i)
        count += m_bitmapCache.GetEntryAt(i).IsEmpty() ? 0 : 1;
    return count;
}

QKRESULT LGDIRenderer::InitRenderContextInfo(const RectL& viewport, std::uintptr_t window, bool offscreen,
                                             RCPtr<LRenderContextInfo>& context)
{
    context = RCPtr<LRenderContextInfo>(new LGDIRenderContextInfo(m_backend, viewport, window, offscreen));
    return QK_OK;
}

// --- Paints ----------------------------------------------------------------------------

IDrawingSurface* LGDIRenderer::Front() const
{
    return m_target ? &m_target->GetFrontSurface().GetSurface() : nullptr;
}

void LGDIRenderer::ApplyState()
{
    IDrawingSurface* front = Front();
    if (!front)
        return;
    const RenderState& state = m_target->GetState();
    // The clip is fixed under the translation it was set with; here that is the current one.
    front->SetTranslation(state.translation.x, state.translation.y);
    front->SetClipRect(static_cast<float>(state.clip.x), static_cast<float>(state.clip.y),
                       static_cast<float>(state.clip.width), static_cast<float>(state.clip.height));
}

QKRESULT LGDIRenderer::RenderStart(const RCPtr<LRenderContextInfo>& context)
{
    LRenderer::RenderStart(context);
    m_target = RCPtr<LGDIRenderContextInfo>(dynamic_cast<LGDIRenderContextInfo*>(GetCurrentContext()));
    if (!m_target)
        return QK_OK;

    const RectL& viewport = m_target->GetViewport();
    LGDIRendererOffscreenSurface& front = m_target->GetFrontSurface();
    bool fullRepaint = false;
    if (m_target->GetRegion().GetCount() == 1)
    {
        Array<RectL> rects;
        m_target->GetRegion().GetRects(rects);
        fullRepaint = rects.GetCount() == 1 && *rects.GetAt(0) == viewport;
    }
    const std::int32_t width = std::clamp(viewport.width, 1, kMaxSurfaceSize);
    const std::int32_t height = std::clamp(viewport.height, 1, kMaxSurfaceSize);
    if (front.GetWidth() != width || front.GetHeight() != height || fullRepaint || !m_target->FrontSurfaceUsable())
        m_target->ResizeSurfaces(width, height);
    // What is drawn into the window's own picture shows at its next present or exposure,
    // whatever that names: a paint is kept to its region, as a window system keeps it.
    if (front.DrawsIntoWindow() && !fullRepaint)
        front.GetSurface().ConfineTo(RegionRects(m_target->GetRegion()));

    m_textScale = 96.0f / static_cast<float>(m_resolution);
    // A surface kept from the last paint still has that paint's transform and clip; the
    // context's own state is what holds now.
    ApplyState();
    return QK_OK;
}

QKRESULT LGDIRenderer::RenderFinish(const RCPtr<LRenderContextInfo>& context)
{
    if (GetCurrentContext() != context.Get())
        return LRenderer::RenderFinish(context); // raises the mismatch, nothing changed

    if (IDrawingSurface* front = Front())
    {
        front->Flush();
        if (!m_target->IsOffscreen())
            m_backend.Present(m_target->GetWindow(), *front, RegionRects(m_target->GetRegion()));
        if (m_target->GetFrontSurface().DrawsIntoWindow())
            front->Unconfine();
    }

    m_target = nullptr;
    LRenderer::RenderFinish(context);
    m_target = RCPtr<LGDIRenderContextInfo>(dynamic_cast<LGDIRenderContextInfo*>(GetCurrentContext()));

    const std::uint32_t now = LRenderApp::GetTimeMs();
    if (now - m_lastPurgeMs >= kPurgeIntervalMs)
    {
        m_bitmapCache.Purge(m_bitmapCache.GetPurgeMark());
        m_bitmapCache.SetPurgeMark(m_bitmapCache.GetClock());
        m_lastPurgeMs = now;
    }
    return QK_OK;
}

// --- Shapes and text -------------------------------------------------------------------

std::uint32_t LGDIRenderer::Blended(const ColorRGBA& color) const
{
    ColorRGBA faded = color;
    faded.a *= m_target ? m_target->GetState().opacity : 1.0f;
    return faded.ToARGB();
}

void LGDIRenderer::FrameRect(const RectL& rect, const ColorRGBA& color, float lineWidth)
{
    if (IDrawingSurface* front = Front())
        front->FrameRect(rect, Blended(color), lineWidth);
}

void LGDIRenderer::FillRect(const RectL& rect, const ColorRGBA& color, bool blend)
{
    IDrawingSurface* front = Front();
    if (!front)
        return;
    if (blend)
        front->FillRect(rect, Blended(color));
    else
        front->WritePixels(rect, color.ToARGB());
}

void LGDIRenderer::DrawColorRectList(ColorRectListT<float>& rects, const PointD& offset, bool flag)
{
    static_cast<void>(flag);
    if (!m_target)
        return;
    Translate(offset);
    const PointF scale = rects.GetScale();
    const auto& entries = rects.GetEntries();
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
    {
        const RectL rect{ToPixels(entry->rect.x * scale.x), ToPixels(entry->rect.y * scale.y),
                         ToPixels(entry->rect.width * scale.x), ToPixels(entry->rect.height * scale.y)};
        ColorRGBA color;
        color.FromARGB(entry->argb);
        FillRect(rect, color, true);
    }
    Translate({-offset.x, -offset.y});
}

void LGDIRenderer::DrawLine(const PointF& from, const PointF& to, const ColorRGBA& color, float lineWidth)
{
    if (IDrawingSurface* front = Front())
        front->DrawLine(from, to, Blended(color), lineWidth);
}

RCPtr<LGDIRenderer::LGlyphMask> LGDIRenderer::RenderGlyphMask(FT_Face face, const GlyphMaskDescriptor& key)
{
    RCPtr<LGlyphMask> mask(new LGlyphMask);
    ++m_glyphRenders;
    if (FT_Load_Glyph(face, key.glyph, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT) == 0 &&
        face->glyph->format == FT_GLYPH_FORMAT_OUTLINE)
    {
        // The pen's fraction moves the outline, so glyphs sit where the measurement put them.
        FT_Outline_Translate(&face->glyph->outline, key.shift, 0);
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0 && bitmap.pixel_mode == FT_PIXEL_MODE_GRAY &&
            bitmap.pitch > 0 && bitmap.width > 0 && bitmap.rows > 0)
        {
            mask->width = static_cast<std::int32_t>(bitmap.width);
            mask->height = static_cast<std::int32_t>(bitmap.rows);
            mask->left = face->glyph->bitmap_left;
            mask->top = face->glyph->bitmap_top;
            mask->coverage.resize(static_cast<std::size_t>(bitmap.width) * bitmap.rows);
            for (unsigned int row = 0; row < bitmap.rows; ++row)
                std::copy_n(bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch, bitmap.width,
                            mask->coverage.begin() + static_cast<std::ptrdiff_t>(row) * bitmap.width);
        }
    }
    return mask;
}

void LGDIRenderer::DrawText(const WString& text, const ConstRCPtr<LFont>& font, const PointL& origin,
                            const ColorRGBA& color)
{
    IDrawingSurface* front = Front();
    if (!front || !font || text.IsEmpty())
        return;
    FontMeasure::GlyphRun run;
    if (!m_measure.LayoutGlyphs(text, *font, run))
        return;

    // The size in points at the screen's resolution, times the text scale: the same pixels at
    // any resolution.
    const double pixelsPerEm =
        static_cast<double>(font->GetSize()) * m_textScale * static_cast<double>(m_resolution) / 72.0;
    if (!(pixelsPerEm > 0.0) || pixelsPerEm > 4096.0)
        return;
    FT_Face face = run.face;
    const auto charSize = static_cast<FT_F26Dot6>(std::lround(pixelsPerEm * 64.0));
    // The face is sized when a glyph has to be rendered; a text of cached glyphs needs no
    // FreeType at all.
    bool sized = false;
    const double unitsToPixels = pixelsPerEm / run.em;
    // The text's cell starts a pixel above the origin; the baseline lies its ascent below.
    const double baseline = std::round(origin.y - 1.0 + run.cellAscent * unitsToPixels);
    const std::uint32_t argb = Blended(color);

    GlyphMaskDescriptor key;
    key.font = LFont::GetUniqueID(font);
    key.size = static_cast<std::int32_t>(charSize);
    for (const FontMeasure::GlyphRun::Glyph& glyph : run.glyphs)
    {
        const double penX = origin.x + static_cast<double>(glyph.pen) * unitsToPixels;
        const double whole = std::floor(penX);
        key.glyph = glyph.index;
        key.shift = static_cast<std::int32_t>(std::lround((penX - whole) * 64.0));
        RCPtr<LGlyphMask>& slot = m_glyphCache.GetEntry(key);
        if (!slot)
        {
            if (!sized && FT_Set_Char_Size(face, 0, charSize, 72, 72) != 0)
                return;
            sized = true;
            slot = RenderGlyphMask(face, key);
        }
        const LGlyphMask& mask = *slot;
        if (mask.coverage.empty())
            continue;
        front->DrawMask(mask.coverage.data(), mask.width, mask.height, mask.width,
                        {static_cast<std::int32_t>(whole) + mask.left, static_cast<std::int32_t>(baseline) - mask.top},
                        argb);
    }

    // Underline and strike-out run under the whole text.
    const std::int32_t style = font->GetStyle();
    if ((style & 12) != 0 && run.end > 0)
    {
        const auto width = static_cast<std::int32_t>(std::lround(static_cast<double>(run.end) * unitsToPixels));
        const auto thickness = std::max<std::int32_t>(
            1, static_cast<std::int32_t>(std::lround(face->underline_thickness * unitsToPixels)));
        if (style & 4)
        {
            const auto below = std::max<std::int32_t>(1, static_cast<std::int32_t>(
                                                                std::lround(-face->underline_position * unitsToPixels)));
            front->FillRect({origin.x, static_cast<std::int32_t>(baseline) + below, width, thickness}, argb);
        }
        if (style & 8)
        {
            const auto above = static_cast<std::int32_t>(std::lround(run.cellAscent * unitsToPixels / 3.0));
            front->FillRect({origin.x, static_cast<std::int32_t>(baseline) - above, width, thickness}, argb);
        }
    }
}

// --- Polylines -------------------------------------------------------------------------

void LGDIRenderer::DrawLines(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                             const PointF& scale, bool keep)
{
    DrawPath(PathKind::Lines, points, color, offset, scale, keep);
}

void LGDIRenderer::DrawPolyline(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                                const PointF& scale, bool keep)
{
    DrawPath(PathKind::Polyline, points, color, offset, scale, keep);
}

void LGDIRenderer::DrawPolygon(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                               const PointF& scale, bool keep)
{
    DrawPath(PathKind::Polygon, points, color, offset, scale, keep);
}

void LGDIRenderer::FillPolygon(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                               const PointF& scale, bool keep)
{
    DrawPath(PathKind::FilledPolygon, points, color, offset, scale, keep);
}

void LGDIRenderer::DrawPath(PathKind kind, PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                            const PointF& scale, bool keep)
{
    IDrawingSurface* front = Front();
    if (!front)
        return;
    RCPtr<LGraphicsPath>& slot = m_pathCache.GetEntry(points);
    if (points.IsChanged())
    {
        points.ClearChanged();
        slot = nullptr;
    }
    if (!slot)
    {
        slot = RCPtr<LGraphicsPath>(new LGraphicsPath);
        DrawingPath& path = slot->path;
        const std::vector<PointF>& list = points.GetPoints();
        if (kind == PathKind::Lines)
        {
            for (std::size_t i = 0; i + 1 < list.size(); i += 2)
                path.figures.push_back({{list[i], list[i + 1]}, false});
        }
        else if (!list.empty())
            path.figures.push_back({list, kind != PathKind::Polyline});
    }
    // Held here: the slot belongs to the cache and keep false empties it below.
    const RCPtr<LGraphicsPath> path = slot;
    if (!keep)
        slot = nullptr;

    const PointD shift{ClampOffset(offset.x), ClampOffset(offset.y)};
    Translate(shift);
    const PointF drawScale = IsUnitScale(scale) ? PointF{1.0f, 1.0f} : scale;
    if (kind == PathKind::FilledPolygon)
        front->FillPath(path->path, Blended(color), drawScale);
    else
        front->DrawPath(path->path, Blended(color), points.GetLineWidth(), drawScale);
    Translate({-shift.x, -shift.y});
}

// --- Bitmaps ---------------------------------------------------------------------------

std::unique_ptr<IDrawingSurface> LGDIRenderer::ShowPart(BitmapImage& image, const RectL& part)
{
    // The image itself is shown, premultiplied once in place, rather than a copy of it; only
    // when that cannot be done (its pixels are locked) is the part copied.
    const std::uint32_t* first = image.GetHeldPixels() + static_cast<std::size_t>(part.y) * image.GetWidth() +
                                 static_cast<std::size_t>(part.x);
    if (image.Premultiply() || image.IsOpaque(part))
        return m_backend.CreatePremultipliedImageView(image.GetSharedPixels(), first, part.width, part.height,
                                                      image.GetStride());
    return m_backend.CreateImage(first, part.width, part.height, image.GetStride());
}

std::unique_ptr<IDrawingSurface> LGDIRenderer::ShowAsItIs(BitmapImage* image, const RectL& rect, std::int32_t width,
                                                          std::int32_t height)
{
    // Drawn at its own size and wholly inside its image, a bitmap needs no picture of its
    // own: its pixels are shown where they lie, and they are those a rendering onto a clear
    // surface would hold.
    if (!image || rect.width != width || rect.height != height || !image->Contains(rect))
        return nullptr;
    return ShowPart(*image, rect);
}

RCPtr<LGDIRenderer::LCachedBitmap> LGDIRenderer::RenderBitmap(const LBitmap& bitmap, std::int32_t width,
                                                              std::int32_t height, std::int32_t resizeType)
{
    const RectL& rect = bitmap.GetRect();
    const float sx = ClampSource(static_cast<float>(rect.x));
    const float sy = ClampSource(static_cast<float>(rect.y));
    const float sw = ClampSource(static_cast<float>(rect.width));
    const float sh = ClampSource(static_cast<float>(rect.height));
    if (sw == static_cast<float>(width) && sh == static_cast<float>(height))
        resizeType = kResizeStretch;
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    if (resizeType != kResizeStretch && resizeType != kResizeTile && resizeType != kResizeCenter)
        Throw<std::invalid_argument>({"QK::LGDIRenderer::DrawBitmap", kSource, 559},
                                     "Invalid ResizeType passed to DrawBitmap.");

    BitmapImage* image = bitmap.GetGdiplusBitmap();
    if (std::unique_ptr<IDrawingSurface> asItIs = ShowAsItIs(image, rect, width, height))
        return RCPtr<LCachedBitmap>(new LCachedBitmap(std::move(asItIs)));

    std::unique_ptr<IDrawingSurface> rendered = m_backend.CreateSurface(width, height);
    if (image && sw > 0.0f && sh > 0.0f)
    {
        // Only the part of the rectangle that lies in the image is read.
        const std::int64_t x0 = std::max<std::int64_t>(rect.x, 0);
        const std::int64_t y0 = std::max<std::int64_t>(rect.y, 0);
        const std::int64_t x1 = std::min<std::int64_t>(static_cast<std::int64_t>(rect.x) + rect.width, image->GetWidth());
        const std::int64_t y1 = std::min<std::int64_t>(static_cast<std::int64_t>(rect.y) + rect.height, image->GetHeight());
        std::unique_ptr<IDrawingSurface> source;
        if (x1 > x0 && y1 > y0)
            source = ShowPart(*image, {static_cast<std::int32_t>(x0), static_cast<std::int32_t>(y0),
                                       static_cast<std::int32_t>(x1 - x0), static_cast<std::int32_t>(y1 - y0)});
        if (source)
        {
            // The source rectangle in the copied part's pixels; what lies outside stays empty.
            const RectF from{sx - static_cast<float>(x0), sy - static_cast<float>(y0), sw, sh};
            const auto w = static_cast<float>(width);
            const auto h = static_cast<float>(height);
            switch (resizeType)
            {
            case kResizeStretch:
                rendered->DrawImage(*source, from, {0.0f, 0.0f, w, h}, 1.0f);
                break;
            case kResizeTile:
                if (w / sw < 3.0f && h / sh < 3.0f)
                {
                    for (float x = 0.0f; x < w; x += sw)
                        for (float y = 0.0f; y < h; y += sh)
                            rendered->DrawImage(*source, from, {x, y, sw, sh}, 1.0f);
                }
                else
                    rendered->FillWithImage(*source, from, {0.0f, 0.0f, w, h});
                break;
            default:
                rendered->DrawImage(*source, from, {(w - sw) * 0.5f, (h - sh) * 0.5f, sw, sh}, 1.0f);
                break;
            }
        }
    }
    rendered->Flush();
    return RCPtr<LCachedBitmap>(new LCachedBitmap(std::move(rendered)));
}

void LGDIRenderer::DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectL& destination, std::int32_t resizeType)
{
    IDrawingSurface* front = Front();
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    if (!front)
        Throw<std::runtime_error>({"QK::LGDIRenderer::DrawBitmap", kSource, 568});
    if (!bitmap || destination.width <= 0 || destination.height <= 0)
        return;
    const CashableBitmapDescriptor key{bitmap->GetSerial(), destination.width, destination.height};
    RCPtr<LCachedBitmap>& slot = m_bitmapCache.GetEntry(key);
    if (!slot)
    {
        const auto width = std::min(destination.width, kMaxSurfaceSize);
        const auto height = std::min(destination.height, kMaxSurfaceSize);
        RCPtr<LCachedBitmap> rendered = RenderBitmap(*bitmap, width, height, resizeType);
        slot = rendered;
    }
    const IDrawingSurface& cached = slot->GetSurface();
    const auto w = static_cast<float>(cached.GetWidth());
    const auto h = static_cast<float>(cached.GetHeight());
    front->DrawImage(cached, {0.0f, 0.0f, w, h},
                     {static_cast<float>(destination.x), static_cast<float>(destination.y), w, h},
                     m_target->GetState().opacity);
}

// --- Copies between contexts -----------------------------------------------------------

QKRESULT LGDIRenderer::DrawBitmapSection(const RCPtr<LRenderContextInfo>& source, const PointL& destination,
                                         const RectL& sourceRect)
{
    auto* from = dynamic_cast<LGDIRenderContextInfo*>(source.Get());
    if (!from || !from->IsOffscreen())
        return QK_E_INVALIDARG;
    IDrawingSurface* front = Front();
    if (!front)
        return QK_FALSE;
    IDrawingSurface& picture = from->GetFrontSurface().GetSurface();
    if (&picture == front)
        return QK_E_INVALIDARG;
    picture.Flush();
    front->DrawImage(picture,
                     {static_cast<float>(sourceRect.x), static_cast<float>(sourceRect.y),
                      static_cast<float>(sourceRect.width), static_cast<float>(sourceRect.height)},
                     {static_cast<float>(destination.x), static_cast<float>(destination.y),
                      static_cast<float>(sourceRect.width), static_cast<float>(sourceRect.height)},
                     m_target->GetState().opacity);
    return QK_OK;
}

QKRESULT LGDIRenderer::CopyBitmap(const RCPtr<LRenderContextInfo>& source, const PointL& point)
{
    auto* context = dynamic_cast<LGDIRenderContextInfo*>(source.Get());
    if (!context || !context->IsOffscreen())
        return QK_E_INVALIDARG;
    const RCPtr<LGDIRendererOffscreenSurface> old(&context->GetFrontSurface());
    context->SwapSurfaces();
    IDrawingSurface& front = context->GetFrontSurface().GetSurface();
    IDrawingSurface& picture = old->GetSurface();
    picture.Flush();
    front.SetTranslation(0.0, 0.0);
    front.SetClipRect(static_cast<float>(RenderState::kUnboundedClipOrigin),
                      static_cast<float>(RenderState::kUnboundedClipOrigin),
                      static_cast<float>(RenderState::kUnboundedClipExtent),
                      static_cast<float>(RenderState::kUnboundedClipExtent));
    front.Clear();
    const auto w = static_cast<float>(picture.GetWidth());
    const auto h = static_cast<float>(picture.GetHeight());
    front.DrawImage(picture, {0.0f, 0.0f, w, h}, {static_cast<float>(point.x), static_cast<float>(point.y), w, h},
                    1.0f);
    if (m_target.Get() == context)
        ApplyState();
    return QK_OK;
}

// --- State -----------------------------------------------------------------------------

QKRESULT LGDIRenderer::SetClipRect(const RectD& clip)
{
    LRenderer::SetClipRect(clip);
    if (IDrawingSurface* front = Front())
        front->SetClipRect(static_cast<float>(clip.x), static_cast<float>(clip.y), static_cast<float>(clip.width),
                           static_cast<float>(clip.height));
    return QK_OK;
}

QKRESULT LGDIRenderer::Translate(const PointD& offset)
{
    LRenderer::Translate(offset);
    if (IDrawingSurface* front = Front())
    {
        const PointD& translation = m_target->GetState().translation;
        front->SetTranslation(translation.x, translation.y);
    }
    return QK_OK;
}

} // namespace QK
