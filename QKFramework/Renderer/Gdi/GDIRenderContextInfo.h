// The software renderer's target: a window's (or an offscreen picture's) context with two
// drawing surfaces of the viewport's size. Everything is drawn into the front surface; the
// back surface takes the old picture when CopyBitmap moves it. Most contexts never move a
// picture, so the back surface is made when first asked for. A window's front surface is
// the picture the window itself keeps, where the window system lets the renderer draw into
// it (nothing is copied to present it), else a surface of its own.
//
// UI thread only.
#pragma once

#include "QKFramework/Platform/Render/DrawingSurface.h"
#include "QKFramework/Renderer/RenderContextInfo.h"

#include <memory>

namespace QK
{

// One drawing surface of a window, re-made at a new size.
class LGDIRendererOffscreenSurface : public virtual LRefCountedObject
{
public:
    // With intoWindow, the surface is the window's own picture whenever the back end can
    // draw into it at the size asked for. That surface is made when first asked for (a
    // window's first paint makes a fresh one anyway); the back end gets the window's picture
    // ready meanwhile.
    LGDIRendererOffscreenSurface(IDrawingBackend& backend, std::uintptr_t window, std::int32_t width,
                                 std::int32_t height, bool intoWindow = false);

    // A fresh transparent surface of width x height (at least 1 x 1 each).
    void SetSize(std::int32_t width, std::int32_t height);
    std::int32_t GetWidth() const { return m_width; }
    std::int32_t GetHeight() const { return m_height; }
    IDrawingSurface& GetSurface() const { return MadeSurface(); }
    std::uintptr_t GetWindow() const { return m_window; }
    bool DrawsIntoWindow() const
    {
        MadeSurface();
        return m_drawsIntoWindow;
    }
    // The window's picture this surface drew into was replaced (the window changed size):
    // the surface must be made again before anything is drawn.
    bool LostWindowPicture() const;

private:
    IDrawingSurface& MadeSurface() const;

    IDrawingBackend& m_backend;
    std::uintptr_t m_window;
    bool m_intoWindow;
    std::int32_t m_width = 1;
    std::int32_t m_height = 1;
    // Made by MadeSurface, which the const accessors share.
    mutable bool m_drawsIntoWindow = false;
    mutable std::unique_ptr<IDrawingSurface> m_surface;
};

class LGDIRenderContextInfo : public LRenderContextInfo
{
public:
    LGDIRenderContextInfo(IDrawingBackend& backend, const RectL& viewport, std::uintptr_t window, bool offscreen);

    // 4096 x 4096.
    void GetMaxSurfaceSize(std::int32_t& width, std::int32_t& height) const override;

    LGDIRendererOffscreenSurface& GetFrontSurface() const { return *m_front; }
    // A fresh transparent one of the front surface's size, when there is none yet.
    LGDIRendererOffscreenSurface& GetBackSurface();
    bool HasBackSurface() const { return m_back.Get() != nullptr; }
    // Both surfaces fresh and transparent at width x height.
    void ResizeSurfaces(std::int32_t width, std::int32_t height);
    // The front surface can be drawn into as it stands (see LostWindowPicture).
    bool FrontSurfaceUsable() const { return !m_front->LostWindowPicture(); }
    void SwapSurfaces();

private:
    IDrawingBackend& m_backend;
    RCPtr<LGDIRendererOffscreenSurface> m_front;
    RCPtr<LGDIRendererOffscreenSurface> m_back;
};

} // namespace QK
