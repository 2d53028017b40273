// LD3D9Renderer: the renderer of kind 2, a placeholder that draws nothing. It can be made
// and asked everything; it measures every text as empty, never has a current context (its
// RenderStart does not start one), so the shared state operations do nothing, and its copies
// between contexts answer 0x80004001.
//
// UI thread only.
#pragma once

#include "QKFramework/Renderer/Renderer.h"

namespace QK
{

// Its targets cannot draw: the largest surface is 0 x 0.
class LD3D9RenderContextInfo : public LRenderContextInfo
{
public:
    using LRenderContextInfo::LRenderContextInfo;
};

class LD3D9Renderer : public LRenderer
{
public:
    LD3D9Renderer() = default;

    QKRESULT GetFontMetrics(const ConstRCPtr<LFont>&, std::int32_t&, std::int32_t&, std::int32_t&) const override
    {
        return QK_OK;
    }
    RectF MeasureText(const WString&, const ConstRCPtr<LFont>&) const override { return {}; }

    std::int32_t GetRendererType() const override { return kRendererDirect3D9; }
    QKRESULT InitRenderContextInfo(const RectL& viewport, std::uintptr_t window, bool offscreen,
                                   RCPtr<LRenderContextInfo>& context) override
    {
        context = RCPtr<LRenderContextInfo>(new LD3D9RenderContextInfo(viewport, window, offscreen));
        return QK_OK;
    }
    QKRESULT RenderStart(const RCPtr<LRenderContextInfo>&) override { return QK_OK; }
    QKRESULT RenderFinish(const RCPtr<LRenderContextInfo>&) override { return QK_OK; }

    void DrawText(const WString&, const ConstRCPtr<LFont>&, const PointL&, const ColorRGBA&) override {}
    void FrameRect(const RectL&, const ColorRGBA&, float) override {}
    void FillRect(const RectL&, const ColorRGBA&, bool) override {}
    void FillAndFrameRect(const RectL&, const ColorRGBA&, const ColorRGBA&, float) override {}
    void DrawColorRectList(ColorRectListT<float>&, const PointD&, bool) override {}
    void DrawLine(const PointF&, const PointF&, const ColorRGBA&, float) override {}
    void DrawLines(PolylineT<float>&, const ColorRGBA&, const PointF&, const PointF&, bool) override {}
    void DrawPolyline(PolylineT<float>&, const ColorRGBA&, const PointF&, const PointF&, bool) override {}
    void DrawPolygon(PolylineT<float>&, const ColorRGBA&, const PointF&, const PointF&, bool) override {}
    void FillPolygon(PolylineT<float>&, const ColorRGBA&, const PointF&, const PointF&, bool) override {}
    void DrawBitmap(const ConstRCPtr<LBitmap>&, const RectL&, std::int32_t) override {}
    QKRESULT DrawBitmapSection(const RCPtr<LRenderContextInfo>&, const PointL&, const RectL&) override
    {
        return QK_E_NOTIMPL;
    }
    QKRESULT CopyBitmap(const RCPtr<LRenderContextInfo>&, const PointL&) override { return QK_E_NOTIMPL; }
};

} // namespace QK
