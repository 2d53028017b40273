// LRenderContextInfo: one drawing target (a window, or an offscreen picture) with the
// region to repaint, its viewport, its current drawing state and the stack of saved states.
// Each back end derives its own, made by its InitRenderContextInfo.
//
// UI thread only.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Renderer/RenderState.h"
#include "QKFramework/Utilities/Geometry/Rect.h"
#include "QKFramework/Utilities/Graphics/RectRegion.h"

#include <cstdint>
#include <deque>

namespace QK
{

class LRenderContextInfo : public virtual LRefCountedObject
{
public:
    // window: the host window's handle, 0 for none. offscreen: the target is a picture of
    // its own, never copied to a window, that may be the source of a bitmap copy.
    LRenderContextInfo(const RectL& viewport, std::uintptr_t window, bool offscreen)
        : m_window(window), m_offscreen(offscreen), m_viewport(viewport)
    {
    }

    std::uintptr_t GetWindow() const { return m_window; }
    bool IsOffscreen() const { return m_offscreen; }

    // The rectangles to repaint, in window coordinates.
    RectRegion& GetRegion() { return m_region; }
    const RectRegion& GetRegion() const { return m_region; }

    const RectL& GetViewport() const { return m_viewport; }
    void SetViewport(const RectL& viewport) { m_viewport = viewport; }

    // While set, nothing may be drawn to the target now; a paint asks for a full repaint
    // later instead.
    bool GetDoNotDraw() const { return m_doNotDraw; }
    void SetDoNotDraw(bool doNotDraw) { m_doNotDraw = doNotDraw; }

    RenderState& GetState() { return m_state; }
    const RenderState& GetState() const { return m_state; }
    // The largest width and height the target can draw; 0 x 0 when it draws nothing.
    virtual void GetMaxSurfaceSize(std::int32_t& width, std::int32_t& height) const
    {
        width = 0;
        height = 0;
    }

    // Saved states, the latest at the back.
    std::deque<RenderState>& GetStateStack() { return m_stateStack; }
    const std::deque<RenderState>& GetStateStack() const { return m_stateStack; }

protected:
    ~LRenderContextInfo() override { m_region.Clear(); }

private:
    std::uintptr_t m_window;
    bool m_offscreen;
    bool m_doNotDraw = false;
    RectRegion m_region;
    RectL m_viewport;
    RenderState m_state;
    std::deque<RenderState> m_stateStack;
};

} // namespace QK
