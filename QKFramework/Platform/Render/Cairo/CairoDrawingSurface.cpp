#include "QKFramework/Platform/Render/Cairo/CairoDrawingSurface.h"

#include "QKFramework/Platform/Render/Sdl/SdlPresenter.h"
#include "QKFramework/Utilities/Graphics/PremultipliedAlpha.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace QK
{

namespace
{

// Cairo's centres sit on half coordinates, the skins' on whole ones.
constexpr double kCentre = 0.5;

double StrokeWidth(float lineWidth)
{
    // A pen thinner than a pixel still draws one pixel, as desktop pens do.
    if (!std::isfinite(lineWidth) || std::fabs(lineWidth) < 1.0f)
        return 1.0;
    return std::fabs(lineWidth);
}

// Source coordinates stay within what a float holds exactly as a whole number.
float ClampSource(float value)
{
    if (std::isnan(value))
        return 0.0f;
    return std::clamp(value, -8388608.0f, 8388608.0f);
}

// source limited to the image, with destination cut to match; false when nothing is left.
bool LimitToImage(const IDrawingSurface& image, RectF& source, RectF& destination)
{
    const float x0 = ClampSource(source.x);
    const float y0 = ClampSource(source.y);
    const float x1 = ClampSource(source.x + source.width);
    const float y1 = ClampSource(source.y + source.height);
    if (!(x1 > x0) || !(y1 > y0) || !(destination.width > 0.0f) || !(destination.height > 0.0f))
        return false;
    const float cx0 = std::max(x0, 0.0f);
    const float cy0 = std::max(y0, 0.0f);
    const float cx1 = std::min(x1, static_cast<float>(image.GetWidth()));
    const float cy1 = std::min(y1, static_cast<float>(image.GetHeight()));
    if (!(cx1 > cx0) || !(cy1 > cy0))
        return false;
    const float sx = destination.width / (x1 - x0);
    const float sy = destination.height / (y1 - y0);
    destination = {destination.x + (cx0 - x0) * sx, destination.y + (cy0 - y0) * sy, (cx1 - cx0) * sx,
                   (cy1 - cy0) * sy};
    source = {cx0, cy0, cx1 - cx0, cy1 - cy0};
    return true;
}

} // namespace

CairoDrawingSurface::CairoDrawingSurface(std::int32_t width, std::int32_t height)
    : m_width(std::max(width, 1)), m_height(std::max(height, 1)),
      m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, m_width, m_height)),
      m_context(cairo_create(m_surface.Get()))
{
    SetDefaults();
}

CairoDrawingSurface::CairoDrawingSurface(std::uint32_t* pixels, std::int32_t width, std::int32_t height,
                                         std::int32_t stride)
    : m_width(width), m_height(height),
      m_surface(cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels), CAIRO_FORMAT_ARGB32,
                                                    width, height, stride)),
      m_context(cairo_create(m_surface.Get()))
{
    SetDefaults();
}

void CairoDrawingSurface::SetDefaults()
{
    cairo_set_antialias(m_context.Get(), CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(m_context.Get(), CAIRO_OPERATOR_OVER);
    cairo_set_fill_rule(m_context.Get(), CAIRO_FILL_RULE_EVEN_ODD);
    cairo_set_line_cap(m_context.Get(), CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(m_context.Get(), CAIRO_LINE_JOIN_MITER);
}

CairoDrawingSurface::CairoDrawingSurface(std::shared_ptr<const void> owner, const std::uint32_t* pixels,
                                         std::int32_t width, std::int32_t height, std::int32_t stride)
    : m_width(width), m_height(height), m_pixelOwner(std::move(owner)),
      // Cairo takes writable data; a view is only ever drawn from.
      m_surface(cairo_image_surface_create_for_data(
          reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(pixels)), CAIRO_FORMAT_ARGB32, width, height,
          stride)),
      m_context(cairo_create(m_surface.Get()))
{
}

void CairoDrawingSurface::SetTranslation(double x, double y)
{
    cairo_identity_matrix(m_context.Get());
    cairo_translate(m_context.Get(), x, y);
    m_translationX = x;
    m_translationY = y;
}

void CairoDrawingSurface::SetClipRect(float x, float y, float width, float height)
{
    // An unbounded clip is no clip at all; cairo would not hold its extent exactly.
    SurfaceClip clip;
    clip.bounded = std::fabs(x) < 1e9f && std::fabs(y) < 1e9f && width < 1e9f && height < 1e9f;
    if (clip.bounded)
        clip = {true, x + m_translationX, y + m_translationY, std::max(width, 0.0f), std::max(height, 0.0f)};
    if (clip == m_clip)
        return;
    m_clip = clip;
    ApplyClip();
}

void CairoDrawingSurface::ApplyClip()
{
    cairo_t* cr = m_context.Get();
    if (m_confined)
    {
        // Back to the confinement alone.
        cairo_restore(cr);
        cairo_save(cr);
    }
    else
        cairo_reset_clip(cr);
    cairo_identity_matrix(cr);
    cairo_translate(cr, m_translationX, m_translationY);
    if (!m_clip.bounded)
        return;
    cairo_rectangle(cr, m_clip.x - m_translationX, m_clip.y - m_translationY, m_clip.width, m_clip.height);
    cairo_clip(cr);
}

void CairoDrawingSurface::ConfineTo(const std::vector<RectL>& rects)
{
    cairo_t* cr = m_context.Get();
    if (m_confined)
        cairo_restore(cr);
    m_confined = true;
    m_confinement = rects;
    cairo_reset_clip(cr);
    cairo_identity_matrix(cr);
    cairo_new_path(cr);
    for (const RectL& rect : rects)
        if (rect.width > 0 && rect.height > 0)
            cairo_rectangle(cr, rect.x, rect.y, rect.width, rect.height);
    // Rectangles that overlap still cover their union.
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_clip(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_save(cr);
    ApplyClip();
}

void CairoDrawingSurface::Unconfine()
{
    if (!m_confined)
        return;
    cairo_restore(m_context.Get());
    m_confined = false;
    m_confinement.clear();
    ApplyClip();
}

void CairoDrawingSurface::Clear()
{
    cairo_surface_flush(m_surface.Get());
    unsigned char* data = cairo_image_surface_get_data(m_surface.Get());
    if (!data)
        return;
    std::memset(data, 0, static_cast<std::size_t>(cairo_image_surface_get_stride(m_surface.Get())) *
                             static_cast<std::size_t>(m_height));
    cairo_surface_mark_dirty(m_surface.Get());
}

void CairoDrawingSurface::WritePixels(const RectL& rect, std::uint32_t argb)
{
    const std::int64_t x0 = std::max<std::int64_t>(rect.x, 0);
    const std::int64_t y0 = std::max<std::int64_t>(rect.y, 0);
    const std::int64_t x1 = std::min<std::int64_t>(static_cast<std::int64_t>(rect.x) + rect.width, m_width);
    const std::int64_t y1 = std::min<std::int64_t>(static_cast<std::int64_t>(rect.y) + rect.height, m_height);
    if (x1 <= x0 || y1 <= y0)
        return;
    cairo_surface_flush(m_surface.Get());
    unsigned char* data = cairo_image_surface_get_data(m_surface.Get());
    if (!data)
        return;
    const std::int32_t stride = cairo_image_surface_get_stride(m_surface.Get());
    const std::uint32_t pixel = PremultiplyArgb(argb);
    const auto fill = [&](std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom)
    {
        if (right <= left || bottom <= top)
            return;
        for (std::int64_t y = top; y < bottom; ++y)
        {
            auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
            std::fill(row + left, row + right, pixel);
        }
    };
    if (!m_confined)
        fill(x0, y0, x1, y1);
    // Overlapping rectangles of the confinement write their shared pixels twice, alike.
    for (const RectL& area : m_confinement)
        fill(std::max<std::int64_t>(x0, area.x), std::max<std::int64_t>(y0, area.y),
             std::min<std::int64_t>(x1, static_cast<std::int64_t>(area.x) + area.width),
             std::min<std::int64_t>(y1, static_cast<std::int64_t>(area.y) + area.height));
    cairo_surface_mark_dirty_rectangle(m_surface.Get(), static_cast<int>(x0), static_cast<int>(y0),
                                       static_cast<int>(x1 - x0), static_cast<int>(y1 - y0));
}

void CairoDrawingSurface::SetColor(std::uint32_t argb)
{
    cairo_set_source_rgba(m_context.Get(), ((argb >> 16) & 255) / 255.0, ((argb >> 8) & 255) / 255.0,
                          (argb & 255) / 255.0, (argb >> 24) / 255.0);
}

void CairoDrawingSurface::FillRect(const RectL& rect, std::uint32_t argb)
{
    cairo_t* cr = m_context.Get();
    SetColor(argb);
    cairo_rectangle(cr, rect.x + kCentre, rect.y + kCentre, rect.width, rect.height);
    cairo_fill(cr);
}

void CairoDrawingSurface::FrameRect(const RectL& rect, std::uint32_t argb, float lineWidth)
{
    cairo_t* cr = m_context.Get();
    SetColor(argb);
    cairo_set_line_width(cr, StrokeWidth(lineWidth));
    cairo_rectangle(cr, rect.x + kCentre, rect.y + kCentre, rect.width, rect.height);
    cairo_stroke(cr);
}

void CairoDrawingSurface::DrawLine(const PointF& from, const PointF& to, std::uint32_t argb, float lineWidth)
{
    cairo_t* cr = m_context.Get();
    SetColor(argb);
    cairo_set_line_width(cr, StrokeWidth(lineWidth));
    cairo_move_to(cr, from.x + kCentre, from.y + kCentre);
    cairo_line_to(cr, to.x + kCentre, to.y + kCentre);
    cairo_stroke(cr);
}

void CairoDrawingSurface::AddPath(const DrawingPath& path, const PointF& scale)
{
    cairo_t* cr = m_context.Get();
    cairo_new_path(cr);
    for (const DrawingPath::Figure& figure : path.figures)
    {
        bool first = true;
        for (const PointF& point : figure.points)
        {
            const double x = static_cast<double>(point.x) * scale.x + kCentre;
            const double y = static_cast<double>(point.y) * scale.y + kCentre;
            if (first)
                cairo_move_to(cr, x, y);
            else
                cairo_line_to(cr, x, y);
            first = false;
        }
        if (figure.closed && !figure.points.empty())
            cairo_close_path(cr);
    }
}

void CairoDrawingSurface::DrawPath(const DrawingPath& path, std::uint32_t argb, float lineWidth, const PointF& scale)
{
    SetColor(argb);
    // The pen keeps its width whatever the scale, as a pen made apart from the transform does.
    cairo_set_line_width(m_context.Get(), StrokeWidth(lineWidth));
    AddPath(path, scale);
    cairo_stroke(m_context.Get());
}

void CairoDrawingSurface::FillPath(const DrawingPath& path, std::uint32_t argb, const PointF& scale)
{
    SetColor(argb);
    AddPath(path, scale);
    cairo_fill(m_context.Get());
}

void CairoDrawingSurface::DrawImage(const IDrawingSurface& image, const RectF& source, const RectF& destination,
                                    float opacity)
{
    const auto* cairoImage = dynamic_cast<const CairoDrawingSurface*>(&image);
    RectF from = source;
    RectF to = destination;
    if (!cairoImage || !LimitToImage(image, from, to) || !(opacity > 0.0f))
        return;
    cairo_t* cr = m_context.Get();
    UniqueHandle<CairoPatternTraits> pattern(cairo_pattern_create_for_surface(cairoImage->GetCairoSurface()));
    cairo_pattern_set_filter(pattern.Get(), CAIRO_FILTER_NEAREST);
    // The clip keeps the drawing inside the destination, whose every pixel maps into the
    // source; at a large stretch the fixed-point sampling can still land a hair outside it
    // on the first or last row, where the edge pixel belongs, not a transparent one.
    cairo_pattern_set_extend(pattern.Get(), CAIRO_EXTEND_PAD);
    cairo_matrix_t matrix;
    const double sx = static_cast<double>(from.width) / to.width;
    const double sy = static_cast<double>(from.height) / to.height;
    cairo_matrix_init(&matrix, sx, 0.0, 0.0, sy, from.x - to.x * sx, from.y - to.y * sy);
    cairo_pattern_set_matrix(pattern.Get(), &matrix);

    cairo_save(cr);
    cairo_rectangle(cr, to.x, to.y, to.width, to.height);
    cairo_clip(cr);
    cairo_set_source(cr, pattern.Get());
    cairo_paint_with_alpha(cr, std::min(opacity, 1.0f));
    cairo_restore(cr);
}

void CairoDrawingSurface::FillWithImage(const IDrawingSurface& image, const RectF& source, const RectF& destination)
{
    const auto* cairoImage = dynamic_cast<const CairoDrawingSurface*>(&image);
    RectF from = source;
    RectF to = {0.0f, 0.0f, 1.0f, 1.0f};
    if (!cairoImage || !LimitToImage(image, from, to))
        return;
    // The tile is a copy of its own, so the repeat never reaches past the source rectangle.
    const auto tileWidth = static_cast<std::int32_t>(std::ceil(from.width));
    const auto tileHeight = static_cast<std::int32_t>(std::ceil(from.height));
    CairoDrawingSurface tile(tileWidth, tileHeight);
    tile.DrawImage(image, from, {0.0f, 0.0f, from.width, from.height}, 1.0f);
    tile.Flush();

    cairo_t* cr = m_context.Get();
    UniqueHandle<CairoPatternTraits> pattern(cairo_pattern_create_for_surface(tile.GetCairoSurface()));
    cairo_pattern_set_filter(pattern.Get(), CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(pattern.Get(), CAIRO_EXTEND_REPEAT);
    cairo_set_source(cr, pattern.Get());
    cairo_rectangle(cr, destination.x, destination.y, destination.width, destination.height);
    cairo_fill(cr);
}

void CairoDrawingSurface::DrawMask(const std::uint8_t* coverage, std::int32_t width, std::int32_t height,
                                   std::int32_t stride, const PointL& origin, std::uint32_t argb)
{
    if (!coverage || width <= 0 || height <= 0 || stride < width)
        return;
    UniqueHandle<CairoSurfaceTraits> mask(cairo_image_surface_create(CAIRO_FORMAT_A8, width, height));
    unsigned char* data = cairo_image_surface_get_data(mask.Get());
    if (!data)
        return;
    const std::int32_t maskStride = cairo_image_surface_get_stride(mask.Get());
    for (std::int32_t y = 0; y < height; ++y)
        std::memcpy(data + static_cast<std::ptrdiff_t>(y) * maskStride, coverage + static_cast<std::ptrdiff_t>(y) * stride,
                    static_cast<std::size_t>(width));
    cairo_surface_mark_dirty(mask.Get());
    SetColor(argb);
    cairo_mask_surface(m_context.Get(), mask.Get(), origin.x, origin.y);
}

void CairoDrawingSurface::Flush()
{
    cairo_surface_flush(m_surface.Get());
}

std::uint32_t CairoDrawingSurface::GetPixel(std::int32_t x, std::int32_t y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    cairo_surface_flush(m_surface.Get());
    const unsigned char* data = cairo_image_surface_get_data(m_surface.Get());
    if (!data)
        return 0;
    const std::int32_t stride = cairo_image_surface_get_stride(m_surface.Get());
    return UnpremultiplyArgb(reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride)[x]);
}

void CairoDrawingSurface::LoadStraightPixels(const std::uint32_t* pixels, std::int32_t stride)
{
    cairo_surface_flush(m_surface.Get());
    unsigned char* data = cairo_image_surface_get_data(m_surface.Get());
    if (!data || !pixels)
        return;
    const std::int32_t ownStride = cairo_image_surface_get_stride(m_surface.Get());
    for (std::int32_t y = 0; y < m_height; ++y)
    {
        const auto* from = reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const unsigned char*>(pixels) +
                                                                  static_cast<std::ptrdiff_t>(y) * stride);
        auto* to = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * ownStride);
        std::transform(from, from + m_width, to, PremultiplyArgb);
    }
    cairo_surface_mark_dirty(m_surface.Get());
}

std::unique_ptr<IDrawingSurface> CairoDrawingBackend::CreateSurface(std::int32_t width, std::int32_t height)
{
    return std::make_unique<CairoDrawingSurface>(width, height);
}

std::unique_ptr<IDrawingSurface> CairoDrawingBackend::CreateImage(const std::uint32_t* pixels, std::int32_t width,
                                                                  std::int32_t height, std::int32_t stride)
{
    if (!pixels || width <= 0 || height <= 0 || stride < width * 4)
        return nullptr;
    auto image = std::make_unique<CairoDrawingSurface>(width, height);
    image->LoadStraightPixels(pixels, stride);
    return image;
}

std::unique_ptr<IDrawingSurface> CairoDrawingBackend::CreatePremultipliedImageView(std::shared_ptr<const void> owner,
                                                                           const std::uint32_t* pixels,
                                                                           std::int32_t width, std::int32_t height,
                                                                           std::int32_t stride)
{
    if (!pixels || width <= 0 || height <= 0 || stride < width * 4 || stride % 4 != 0)
        return nullptr;
    return std::make_unique<CairoDrawingSurface>(std::move(owner), pixels, width, height, stride);
}

std::unique_ptr<IDrawingSurface> CairoDrawingBackend::CreateWindowSurface(std::uintptr_t window, std::int32_t width,
                                                                          std::int32_t height)
{
    const SdlWindowPixels picture = GetSdlWindowPixels(window);
    if (!picture.pixels || picture.width != width || picture.height != height || width <= 0 || height <= 0)
        return nullptr;
    auto surface = std::make_unique<CairoDrawingSurface>(picture.pixels, width, height, picture.stride);
    surface->Clear();
    return surface;
}

void CairoDrawingBackend::PrepareWindowSurface(std::uintptr_t window)
{
    PrepareSdlWindowPixels(window);
}

bool CairoDrawingBackend::DrawsIntoWindow(std::uintptr_t window, const IDrawingSurface& surface)
{
    const auto* cairoSurface = dynamic_cast<const CairoDrawingSurface*>(&surface);
    if (!cairoSurface)
        return false;
    cairo_surface_t* image = cairoSurface->GetCairoSurface();
    const SdlWindowPixels picture = GetSdlWindowPixels(window);
    return picture.pixels && reinterpret_cast<unsigned char*>(picture.pixels) == cairo_image_surface_get_data(image) &&
           picture.width == surface.GetWidth() && picture.height == surface.GetHeight() &&
           picture.stride == cairo_image_surface_get_stride(image);
}

void CairoDrawingBackend::Present(std::uintptr_t window, const IDrawingSurface& surface,
                                  const std::vector<RectL>& rects)
{
    const auto* cairoSurface = dynamic_cast<const CairoDrawingSurface*>(&surface);
    if (!cairoSurface || window == 0 || rects.empty())
        return;
    cairo_surface_t* image = cairoSurface->GetCairoSurface();
    cairo_surface_flush(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    if (!data)
        return;
    PresentToSdlWindow(window, data, surface.GetWidth(), surface.GetHeight(), cairo_image_surface_get_stride(image),
                       rects);
}

IDrawingBackend& GetDrawingBackend()
{
    static CairoDrawingBackend backend;
    return backend;
}

} // namespace QK
