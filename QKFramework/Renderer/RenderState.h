// The drawing state a renderer keeps per target, saved and restored by its state stack, and
// the stencil that a state may carry.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Utilities/Geometry/Rect.h"

#include <cstdint>

namespace QK
{

// A stencil of a size; its rectangle covers the whole size.
class LStencil : public virtual LRefCountedObject
{
public:
    LStencil(std::int32_t width, std::int32_t height) : m_width(width), m_height(height), m_rect{0, 0, width, height}
    {
    }

    std::int32_t GetWidth() const { return m_width; }
    std::int32_t GetHeight() const { return m_height; }
    const RectL& GetRect() const { return m_rect; }

    // A fresh stencil of this one's size.
    RCPtr<LStencil> Derive() const { return RCPtr<LStencil>(new LStencil(m_width, m_height)); }

private:
    std::int32_t m_width;
    std::int32_t m_height;
    RectL m_rect;
};

struct RenderState
{
    // The unbounded clip: single-precision -5e15 and 1e16, widened.
    static constexpr double kUnboundedClipOrigin = static_cast<double>(-5e15f);
    static constexpr double kUnboundedClipExtent = static_cast<double>(1e16f);

    RenderState() = default;
    RenderState(const RenderState&) = default;
    RenderState& operator=(const RenderState&) = default;
    virtual ~RenderState() = default;

    PointD translation{0.0, 0.0};
    // In translated coordinates.
    RectD clip{kUnboundedClipOrigin, kUnboundedClipOrigin, kUnboundedClipExtent, kUnboundedClipExtent};
    // Multiplied by each look's opacity while the look draws.
    float opacity = 1.0f;
    // A stencil has been set in this target.
    bool stencilSet = false;
    RCPtr<LStencil> stencil;
};

} // namespace QK
