// A renderer that draws nothing and writes down every call, one line per operation with its
// arguments, for tests of the shared state operations and of whatever draws through a
// renderer. The shared operations still do their work after being written down, so the
// state reads answer as with a real back end. Measuring goes to a FakeMeasurementRenderer.
//
// Lines read, for example:
//   RenderStart
//   Translate(3,-3)
//   SetClipRect(0,0,10,20)
//   SetStencil(#2 8x8)          (stencils are numbered in the order the log first sees them)
//   FillRect(1,2,3,4,FF00FF00,blend)
//   DrawLines(5 points,w1,FFFFFFFF,0,0,1,1,keep)
#pragma once

#include "QKFramework/Renderer/Renderer.h"
#include "tests/support/Render/FakeMeasurementRenderer.h"

#include <map>
#include <string>
#include <vector>

namespace QK::TestSupport
{

class RecordingRenderer : public LRenderer
{
public:
    explicit RecordingRenderer(std::int32_t kind = kRendererGdiPlus) : m_kind(kind) {}

    const std::vector<std::string>& Calls() const { return m_calls; }
    void ClearCalls() { m_calls.clear(); }
    FakeMeasurementRenderer& Measurer() { return *m_measurer; }
    // The number the log gives a stencil ("#n"); 0 for null.
    int StencilNumber(const LStencil* stencil);

    QKRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, std::int32_t& lineHeight, std::int32_t& ascent,
                            std::int32_t& descent) const override;
    RectF MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const override;
    std::int32_t GetRendererType() const override { return m_kind; }
    QKRESULT InitRenderContextInfo(const RectL& viewport, std::uintptr_t window, bool offscreen,
                                   RCPtr<LRenderContextInfo>& context) override;
    QKRESULT SetViewport(const RectL& viewport) override;
    QKRESULT SetStencil(const RCPtr<LStencil>& stencil) override;
    QKRESULT RenderStart(const RCPtr<LRenderContextInfo>& context) override;
    QKRESULT RenderFinish(const RCPtr<LRenderContextInfo>& context) override;
    void DrawText(const WString& text, const ConstRCPtr<LFont>& font, const PointL& origin,
                  const ColorRGBA& color) override;
    void FrameRect(const RectL& rect, const ColorRGBA& color, float lineWidth) override;
    void FillRect(const RectL& rect, const ColorRGBA& color, bool blend) override;
    void FillAndFrameRect(const RectL& rect, const ColorRGBA& fill, const ColorRGBA& frame, float lineWidth) override;
    void DrawColorRectList(ColorRectListT<float>& rects, const PointD& offset, bool flag) override;
    void DrawLine(const PointF& from, const PointF& to, const ColorRGBA& color, float lineWidth) override;
    void DrawLines(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset, const PointF& scale,
                   bool keep) override;
    void DrawPolyline(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset, const PointF& scale,
                      bool keep) override;
    void DrawPolygon(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset, const PointF& scale,
                     bool keep) override;
    void FillPolygon(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset, const PointF& scale,
                     bool keep) override;
    void DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectL& destination, std::int32_t resizeType) override;
    QKRESULT DrawBitmapSection(const RCPtr<LRenderContextInfo>& source, const PointL& destination,
                               const RectL& sourceRect) override;
    QKRESULT CopyBitmap(const RCPtr<LRenderContextInfo>& source, const PointL& point) override;
    void PushTranslation(const PointD& offset) override;
    void PushStencil(const RectD& bounds, const RectD& clip, const RCPtr<LStencil>& stencil, bool intersect) override;
    void PushState() override;
    void PopState() override;
    QKRESULT SetClipRect(const RectD& clip) override;
    QKRESULT Translate(const PointD& offset) override;

private:
    void Log(std::string line) { m_calls.push_back(std::move(line)); }
    void LogPoints(const char* operation, PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                   const PointF& scale, bool keep);

    std::int32_t m_kind;
    RCPtr<FakeMeasurementRenderer> m_measurer{new FakeMeasurementRenderer()};
    std::vector<std::string> m_calls;
    std::map<const LStencil*, int> m_stencils;
    // Kept so that a number is never given to a second stencil at the same address.
    std::vector<ConstRCPtr<LStencil>> m_seenStencils;
};

// The text the log writes for a number: whole numbers without a point, others with up to
// six significant digits.
std::string FormatNumber(double value);

} // namespace QK::TestSupport
