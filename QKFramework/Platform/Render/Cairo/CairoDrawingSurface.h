// The drawing surface on a cairo image surface (ARGB32, premultiplied inside).
//
// Cairo puts pixel centres on half coordinates; every outline and filled shape is moved by
// half a pixel so that the desktop convention (centres on whole coordinates) holds. Images
// and masks land on whole pixels and are not moved.
#pragma once

#include "QKFramework/Platform/Core/UniqueHandle.h"
#include "QKFramework/Platform/Render/DrawingSurface.h"

#include <cairo.h>

namespace QK
{

struct CairoSurfaceTraits
{
    using Handle = cairo_surface_t*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle surface) noexcept { cairo_surface_destroy(surface); }
};

struct CairoContextTraits
{
    using Handle = cairo_t*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle context) noexcept { cairo_destroy(context); }
};

struct CairoPatternTraits
{
    using Handle = cairo_pattern_t*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle pattern) noexcept { cairo_pattern_destroy(pattern); }
};

class CairoDrawingSurface final : public IDrawingSurface
{
public:
    // width and height of at least 1 each.
    CairoDrawingSurface(std::int32_t width, std::int32_t height);
    // A surface over premultiplied pixels owned elsewhere (see CreatePremultipliedImageView).
    CairoDrawingSurface(std::shared_ptr<const void> owner, const std::uint32_t* pixels, std::int32_t width,
                        std::int32_t height, std::int32_t stride);
    // A surface drawing into width x height pixels owned elsewhere (stride in bytes, a
    // multiple of 4), which must outlive it: a window's own picture (see CreateWindowSurface).
    CairoDrawingSurface(std::uint32_t* pixels, std::int32_t width, std::int32_t height, std::int32_t stride);

    std::int32_t GetWidth() const override { return m_width; }
    std::int32_t GetHeight() const override { return m_height; }

    void SetTranslation(double x, double y) override;
    void SetClipRect(float x, float y, float width, float height) override;

    void ConfineTo(const std::vector<RectL>& rects) override;
    void Unconfine() override;

    void Clear() override;
    void WritePixels(const RectL& rect, std::uint32_t argb) override;

    void FillRect(const RectL& rect, std::uint32_t argb) override;
    void FrameRect(const RectL& rect, std::uint32_t argb, float lineWidth) override;
    void DrawLine(const PointF& from, const PointF& to, std::uint32_t argb, float lineWidth) override;
    void DrawPath(const DrawingPath& path, std::uint32_t argb, float lineWidth, const PointF& scale) override;
    void FillPath(const DrawingPath& path, std::uint32_t argb, const PointF& scale) override;

    void DrawImage(const IDrawingSurface& image, const RectF& source, const RectF& destination,
                   float opacity) override;
    void FillWithImage(const IDrawingSurface& image, const RectF& source, const RectF& destination) override;
    void DrawMask(const std::uint8_t* coverage, std::int32_t width, std::int32_t height, std::int32_t stride,
                  const PointL& origin, std::uint32_t argb) override;

    void Flush() override;
    std::uint32_t GetPixel(std::int32_t x, std::int32_t y) const override;

    // Straight pixels copied in, premultiplied on the way; the surface is width x height.
    void LoadStraightPixels(const std::uint32_t* pixels, std::int32_t stride);

    cairo_surface_t* GetCairoSurface() const { return m_surface.Get(); }

private:
    // The drawing state every surface starts with.
    void SetDefaults();
    // Sets the clip (m_clip) again on top of the confinement.
    void ApplyClip();
    void SetColor(std::uint32_t argb);
    // Adds the path's figures, scaled and moved to cairo's pixel centres.
    void AddPath(const DrawingPath& path, const PointF& scale);

    // The clip as it lies on the surface (the rectangle moved by the translation it was set
    // under); a control's paint sets the same one again and again, and cairo rebuilds it
    // each time.
    struct SurfaceClip
    {
        bool bounded = false;
        double x = 0.0;
        double y = 0.0;
        double width = 0.0;
        double height = 0.0;

        friend bool operator==(const SurfaceClip&, const SurfaceClip&) = default;
    };

    std::int32_t m_width;
    std::int32_t m_height;
    // Declared before the surface, so the pixels it shows outlive it.
    std::shared_ptr<const void> m_pixelOwner;
    UniqueHandle<CairoSurfaceTraits> m_surface;
    UniqueHandle<CairoContextTraits> m_context;
    double m_translationX = 0.0;
    double m_translationY = 0.0;
    SurfaceClip m_clip;
    // While confined, the context's saved state holds the confinement as its clip; each clip
    // is set by going back to that state.
    bool m_confined = false;
    std::vector<RectL> m_confinement;
};

// Cairo surfaces, presented to SDL windows (the window handle is the SDL window's id).
class CairoDrawingBackend final : public IDrawingBackend
{
public:
    std::unique_ptr<IDrawingSurface> CreateSurface(std::int32_t width, std::int32_t height) override;
    std::unique_ptr<IDrawingSurface> CreateImage(const std::uint32_t* pixels, std::int32_t width, std::int32_t height,
                                                 std::int32_t stride) override;
    std::unique_ptr<IDrawingSurface> CreatePremultipliedImageView(std::shared_ptr<const void> owner,
                                                           const std::uint32_t* pixels, std::int32_t width,
                                                           std::int32_t height, std::int32_t stride) override;
    std::unique_ptr<IDrawingSurface> CreateWindowSurface(std::uintptr_t window, std::int32_t width,
                                                         std::int32_t height) override;
    void PrepareWindowSurface(std::uintptr_t window) override;
    bool DrawsIntoWindow(std::uintptr_t window, const IDrawingSurface& surface) override;
    void Present(std::uintptr_t window, const IDrawingSurface& surface, const std::vector<RectL>& rects) override;
};

} // namespace QK
