// LRenderer: the one drawing interface of every control, visual part and look, and the
// scope guards that push and pop its state.
//
// Sections: the renderer (27 operations in a fixed order, the first two measuring ones
// from LMeasurementRenderer); the scope guards (CAutoRenderState, CAutoStencilClip,
// CAutoClip).
//
// A host window makes its renderer with Create and one render context per window with
// InitRenderContextInfo; every paint runs RenderStart (context), drawing and state
// operations, then RenderFinish (same context). Contexts may nest; the innermost is
// current, and every state operation works on it. Outside a paint (no context) the state
// operations do nothing, and the state reads answer the defaults.
//
// The state operations here are shared by every back end; SetViewport, SetStencil,
// RenderStart, RenderFinish, SetClipRect and Translate record in the context, and a back
// end that overrides them calls them first and then applies the change to its target.
//
// UI thread only.
#pragma once

#include "QKFramework/Renderer/MeasurementRenderer.h"
#include "QKFramework/Renderer/Polyline.h"
#include "QKFramework/Renderer/RenderContextInfo.h"
#include "QKFramework/Renderer/RenderState.h"
#include "QKFramework/Utilities/Geometry/Rect.h"
#include "QKFramework/Utilities/Graphics/ColorRGBA.h"

#include <cstdint>
#include <vector>

namespace QK
{

class LBitmap;

// Renderer kinds.
inline constexpr std::int32_t kRendererOpenGL = 0;
inline constexpr std::int32_t kRendererGdiPlus = 1;
inline constexpr std::int32_t kRendererDirect3D9 = 2;

// Bitmap resize types of DrawBitmap.
inline constexpr std::int32_t kResizeStretch = 0;
inline constexpr std::int32_t kResizeTile = 1;
inline constexpr std::int32_t kResizeCenter = 2;

class LRenderer : public LMeasurementRenderer
{
public:
    // The renderer of a kind (0 OpenGL, 1 GDI+, 2 Direct3D 9); option is the host window the
    // OpenGL renderer makes its context for. Any other kind raises the domain error
    // "QK::LRenderer::Create".
    static RCPtr<LRenderer> Create(std::int32_t kind, std::intptr_t option);

    virtual std::int32_t GetRendererType() const = 0;
    virtual QKRESULT InitRenderContextInfo(const RectL& viewport, std::uintptr_t window, bool offscreen,
                                           RCPtr<LRenderContextInfo>& context) = 0;
    virtual QKRESULT SetViewport(const RectL& viewport);
    // Replaces the current state's stencil.
    virtual QKRESULT SetStencil(const RCPtr<LStencil>& stencil);
    // Makes context current. A null context, or one already started, raises a runtime error.
    virtual QKRESULT RenderStart(const RCPtr<LRenderContextInfo>& context);
    // Ends the current context, which must be context (else a runtime error, nothing changed).
    virtual QKRESULT RenderFinish(const RCPtr<LRenderContextInfo>& context);

    virtual void DrawText(const WString& text, const ConstRCPtr<LFont>& font, const PointL& origin,
                          const ColorRGBA& color) = 0;
    virtual void FrameRect(const RectL& rect, const ColorRGBA& color, float lineWidth) = 0;
    // blend false replaces the pixels, alpha included; true blends the colour over them.
    virtual void FillRect(const RectL& rect, const ColorRGBA& color, bool blend) = 0;
    // A blended fill when the fill colour shows, then a frame when the frame colour shows.
    virtual void FillAndFrameRect(const RectL& rect, const ColorRGBA& fill, const ColorRGBA& frame, float lineWidth);
    virtual void DrawColorRectList(ColorRectListT<float>& rects, const PointD& offset, bool flag) = 0;
    virtual void DrawLine(const PointF& from, const PointF& to, const ColorRGBA& color, float lineWidth) = 0;
    // The points in pairs, as separate segments. keep: what the back end builds for the
    // points may be kept for later calls.
    virtual void DrawLines(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                           const PointF& scale, bool keep) = 0;
    // One open line through the points.
    virtual void DrawPolyline(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                              const PointF& scale, bool keep) = 0;
    virtual void DrawPolygon(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                             const PointF& scale, bool keep) = 0;
    virtual void FillPolygon(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                             const PointF& scale, bool keep) = 0;
    virtual void DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectL& destination, std::int32_t resizeType) = 0;
    // A rectangle of an offscreen context's picture drawn at destination.
    virtual QKRESULT DrawBitmapSection(const RCPtr<LRenderContextInfo>& source, const PointL& destination,
                                       const RectL& sourceRect) = 0;
    virtual QKRESULT CopyBitmap(const RCPtr<LRenderContextInfo>& source, const PointL& point) = 0;

    // Saves the state and translates by offset rounded to whole pixels, the clip staying
    // where it was on the target. Nothing while no state is saved.
    virtual void PushTranslation(const PointD& offset);
    // Saves the state, clips to clip (with intersect: within bounds and the current clip)
    // and translates to bounds' origin (without intersect: given in target coordinates).
    // A stencil is installed as given the first time, later as a fresh one of its size.
    virtual void PushStencil(const RectD& bounds, const RectD& clip, const RCPtr<LStencil>& stencil, bool intersect);
    virtual void PushState();
    // Restores the last saved state and applies its translation, clip and stencil.
    virtual void PopState();
    virtual QKRESULT SetClipRect(const RectD& clip);
    // Adds offset to the translation.
    virtual QKRESULT Translate(const PointD& offset);

    // The current context, or null outside a paint.
    LRenderContextInfo* GetCurrentContext() const;
    std::uint32_t GetContextDepth() const { return static_cast<std::uint32_t>(m_contexts.size()); }
    PointD GetTranslation() const;
    RectD GetClipRect() const;
    float GetOpacity() const;
    void SetOpacity(float opacity);

protected:
    LRenderer() = default;
    ~LRenderer() override = default;

private:
    std::vector<RCPtr<LRenderContextInfo>> m_contexts;
};

// Saves the renderer's state for one scope.
class CAutoRenderState
{
public:
    explicit CAutoRenderState(const RCPtr<LRenderer>& renderer);
    CAutoRenderState(const CAutoRenderState&) = delete;
    CAutoRenderState& operator=(const CAutoRenderState&) = delete;
    ~CAutoRenderState();

private:
    RCPtr<LRenderer> m_renderer;
};

// Pushes a stencil clip (LRenderer::PushStencil) for one scope.
class CAutoStencilClip
{
public:
    CAutoStencilClip(const RCPtr<LRenderer>& renderer, const RectD& bounds, const RectD& clip,
                     const RCPtr<LStencil>& stencil = nullptr, bool intersect = true);
    CAutoStencilClip(const CAutoStencilClip&) = delete;
    CAutoStencilClip& operator=(const CAutoStencilClip&) = delete;
    ~CAutoStencilClip();

private:
    RCPtr<LRenderer> m_renderer;
};

// How a scope clips: flavour 0 saves the state only, 1 pushes a stencil clip from bounds,
// clip, stencil and intersect, 2 pushes a translation by offset.
struct ClipDescription
{
    static constexpr std::int32_t kState = 0;
    static constexpr std::int32_t kStencil = 1;
    static constexpr std::int32_t kTranslation = 2;

    std::int32_t flavor = kState;
    RectD bounds;
    RectD clip;
    RCPtr<LStencil> stencil;
    bool intersect = true;
    PointD offset;
};

// Pushes by a clip description for one scope and pops when it ends. Any other flavour
// raises "Runtime Error : Unknown PushClip flavor" and pushes nothing.
class CAutoClip
{
public:
    CAutoClip(const RCPtr<LRenderer>& renderer, const ClipDescription& description);
    CAutoClip(const CAutoClip&) = delete;
    CAutoClip& operator=(const CAutoClip&) = delete;
    ~CAutoClip();

private:
    RCPtr<LRenderer> m_renderer;
};

} // namespace QK
