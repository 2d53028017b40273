// The drawing surfaces under the software renderer: pictures in memory that take fills,
// outlines, paths, images and glyph masks, and the presentation of a picture's rectangles to
// a window.
//
// Colours are packed 0xAARRGGBB with straight alpha. Surfaces keep their pixels
// premultiplied inside; that form never leaves them (GetPixel answers straight colours).
// Geometry follows the desktop convention the skins were drawn for: pixel centres lie on
// whole coordinates, so a one-pixel outline at x = 10 sets column 10 exactly. Rectangles,
// lines and paths are drawn without anti-aliasing, images are scaled nearest-neighbour, and
// everything blended composes source-over.
//
// One back end chooses the implementation (GetDrawingBackend). Surfaces belong to one
// thread at a time; the renderer uses them on the UI thread.
#pragma once

#include "QKFramework/Utilities/Geometry/Rect.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace QK
{

// Figures of straight segments, each open or closed; filled with the even-odd rule.
struct DrawingPath
{
    struct Figure
    {
        std::vector<PointF> points;
        bool closed = false;
    };
    std::vector<Figure> figures;
};

class IDrawingSurface
{
public:
    virtual ~IDrawingSurface() = default;

    virtual std::int32_t GetWidth() const = 0;
    virtual std::int32_t GetHeight() const = 0;

    // The world transform: a translation, replacing the previous one.
    virtual void SetTranslation(double x, double y) = 0;
    // Replaces the clip with a rectangle in the current world coordinates; it stays where it
    // is on the surface when the translation changes later.
    virtual void SetClipRect(float x, float y, float width, float height) = 0;

    // Confines every drawing from now on, WritePixels included, to rects (in surface pixels:
    // neither translation nor clip applies to them) on top of the clip, until Unconfine.
    virtual void ConfineTo(const std::vector<RectL>& rects) = 0;
    virtual void Unconfine() = 0;

    // Every pixel transparent black, whatever the clip and the confinement.
    virtual void Clear() = 0;
    // Writes argb as it is (alpha included) into the pixels of rect, in surface pixels:
    // neither translation nor clip applies; stops at the surface's edges.
    virtual void WritePixels(const RectL& rect, std::uint32_t argb) = 0;

    virtual void FillRect(const RectL& rect, std::uint32_t argb) = 0;
    virtual void FrameRect(const RectL& rect, std::uint32_t argb, float lineWidth) = 0;
    virtual void DrawLine(const PointF& from, const PointF& to, std::uint32_t argb, float lineWidth) = 0;
    // The path scaled by scale about the world origin.
    virtual void DrawPath(const DrawingPath& path, std::uint32_t argb, float lineWidth, const PointF& scale) = 0;
    virtual void FillPath(const DrawingPath& path, std::uint32_t argb, const PointF& scale) = 0;

    // source (in image pixels, clamped to the image) stretched into destination, with the
    // image's alpha times opacity.
    virtual void DrawImage(const IDrawingSurface& image, const RectF& source, const RectF& destination,
                           float opacity) = 0;
    // destination filled with source repeated from the world origin, as a texture brush.
    virtual void FillWithImage(const IDrawingSurface& image, const RectF& source, const RectF& destination) = 0;
    // argb through a coverage mask (8 bits per pixel, stride in bytes) placed at origin.
    virtual void DrawMask(const std::uint8_t* coverage, std::int32_t width, std::int32_t height, std::int32_t stride,
                          const PointL& origin, std::uint32_t argb) = 0;

    // Makes every drawing call so far visible in the pixels.
    virtual void Flush() = 0;
    // The straight colour of a pixel; 0 outside the surface.
    virtual std::uint32_t GetPixel(std::int32_t x, std::int32_t y) const = 0;
};

class IDrawingBackend
{
public:
    virtual ~IDrawingBackend() = default;

    // A transparent surface, at least 1 x 1.
    virtual std::unique_ptr<IDrawingSurface> CreateSurface(std::int32_t width, std::int32_t height) = 0;
    // An image from straight 32-bit pixels (stride in bytes), copied; null when width or
    // height is not above 0.
    virtual std::unique_ptr<IDrawingSurface> CreateImage(const std::uint32_t* pixels, std::int32_t width,
                                                         std::int32_t height, std::int32_t stride) = 0;
    // An image shown straight from premultiplied pixels (stride in bytes; opaque straight
    // pixels are premultiplied as they stand), without a copy; owner keeps them alive as long
    // as the image is. Only to be drawn from. Null when width or height is not above 0.
    virtual std::unique_ptr<IDrawingSurface> CreatePremultipliedImageView(std::shared_ptr<const void> owner,
                                                                   const std::uint32_t* pixels, std::int32_t width,
                                                                   std::int32_t height, std::int32_t stride) = 0;
    // A transparent surface of width x height that draws straight into the picture window
    // keeps in memory, when the window keeps one of that size in the surfaces' own pixel
    // layout: presenting it then copies nothing. Null otherwise (no such window, another size
    // or layout); the caller then draws into a surface of its own.
    // The window system replaces its picture when the window changes size: from then on
    // DrawsIntoWindow is false and the surface must not be drawn into any more.
    virtual std::unique_ptr<IDrawingSurface> CreateWindowSurface(std::uintptr_t window, std::int32_t width,
                                                                 std::int32_t height) = 0;
    // A window surface of window will be asked for before long: the back end may get the
    // window's picture ready meanwhile, off the calling thread.
    virtual void PrepareWindowSurface(std::uintptr_t window) = 0;
    // Whether surface still draws into the picture window keeps (see CreateWindowSurface).
    virtual bool DrawsIntoWindow(std::uintptr_t window, const IDrawingSurface& surface) = 0;
    // Copies rects of surface to the same places of window, from the last rectangle to the
    // first, and shows them; a surface that draws into the window is only shown. A window
    // handle of 0, or one that is not a window, shows nothing.
    virtual void Present(std::uintptr_t window, const IDrawingSurface& surface, const std::vector<RectL>& rects) = 0;
};

// The platform's drawing back end: cairo image surfaces, presented to SDL windows.
IDrawingBackend& GetDrawingBackend();

} // namespace QK
