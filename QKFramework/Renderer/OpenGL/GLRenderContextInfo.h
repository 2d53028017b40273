// LGLRenderContextInfo: one drawing target of the OpenGL renderer, a host window (or an
// offscreen target of its size), with the largest viewport the driver takes.
//
// UI thread only.
#pragma once

#include "QKFramework/Platform/Render/GLContext.h"
#include "QKFramework/Renderer/RenderContextInfo.h"

#include <cstdint>

namespace QK
{

class LGLRenderContextInfo : public LRenderContextInfo
{
public:
    // maxWidth x maxHeight: the driver's largest viewport (0 x 0 when it answered nothing).
    LGLRenderContextInfo(const RectL& viewport, std::uintptr_t window, bool offscreen, std::int32_t maxWidth,
                         std::int32_t maxHeight)
        : LRenderContextInfo(viewport, window, offscreen), m_maxWidth(maxWidth), m_maxHeight(maxHeight)
    {
    }

    void GetMaxSurfaceSize(std::int32_t& width, std::int32_t& height) const override
    {
        width = m_maxWidth;
        height = m_maxHeight;
    }

    // Shows the window's back buffer through context; an offscreen target has none to show.
    void SwapBuffers(IGLContext& context) const
    {
        if (!IsOffscreen())
            context.Swap(GetWindow());
    }

    // The texture holding an offscreen target's picture: none (0) is kept, so copies from an
    // offscreen OpenGL target draw with texture 0.
    std::uint32_t GetTexture() const { return 0; }

protected:
    ~LGLRenderContextInfo() override = default;

private:
    std::int32_t m_maxWidth;
    std::int32_t m_maxHeight;
};

} // namespace QK
