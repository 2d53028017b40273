#include "tests/support/Render/RecordingRenderer.h"

#include "QKFramework/Utilities/Storage/StringT.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace QK::TestSupport
{

namespace
{

std::string Hex(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08" PRIX32, value);
    return text;
}

std::string Color(const ColorRGBA& color)
{
    return Hex(color.ToARGB());
}

template <class T> std::string Rect(const RectT<T>& rect)
{
    return FormatNumber(rect.x) + "," + FormatNumber(rect.y) + "," + FormatNumber(rect.width) + "," +
           FormatNumber(rect.height);
}

template <class T> std::string Point(const PointT<T>& point)
{
    return FormatNumber(point.x) + "," + FormatNumber(point.y);
}

} // namespace

std::string FormatNumber(double value)
{
    char text[64];
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e18)
        std::snprintf(text, sizeof text, "%" PRId64, static_cast<std::int64_t>(value));
    else
        std::snprintf(text, sizeof text, "%g", value);
    return text;
}

int RecordingRenderer::StencilNumber(const LStencil* stencil)
{
    if (!stencil)
        return 0;
    const auto found = m_stencils.find(stencil);
    if (found != m_stencils.end())
        return found->second;
    const int number = static_cast<int>(m_stencils.size()) + 1;
    m_stencils.emplace(stencil, number);
    m_seenStencils.emplace_back(const_cast<LStencil*>(stencil));
    return number;
}

QKRESULT RecordingRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, std::int32_t& lineHeight,
                                           std::int32_t& ascent, std::int32_t& descent) const
{
    return m_measurer->GetFontMetrics(font, lineHeight, ascent, descent);
}

RectF RecordingRenderer::MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const
{
    return m_measurer->MeasureText(text, font);
}

QKRESULT RecordingRenderer::InitRenderContextInfo(const RectL& viewport, std::uintptr_t window, bool offscreen,
                                                  RCPtr<LRenderContextInfo>& context)
{
    Log("InitRenderContextInfo(" + Rect(viewport) + (offscreen ? ",offscreen)" : ")"));
    context = RCPtr<LRenderContextInfo>(new LRenderContextInfo(viewport, window, offscreen));
    return QK_OK;
}

QKRESULT RecordingRenderer::SetViewport(const RectL& viewport)
{
    Log("SetViewport(" + Rect(viewport) + ")");
    return LRenderer::SetViewport(viewport);
}

QKRESULT RecordingRenderer::SetStencil(const RCPtr<LStencil>& stencil)
{
    if (stencil)
        Log("SetStencil(#" + std::to_string(StencilNumber(stencil.Get())) + " " + std::to_string(stencil->GetWidth()) +
            "x" + std::to_string(stencil->GetHeight()) + ")");
    else
        Log("SetStencil(null)");
    return LRenderer::SetStencil(stencil);
}

QKRESULT RecordingRenderer::RenderStart(const RCPtr<LRenderContextInfo>& context)
{
    Log("RenderStart");
    return LRenderer::RenderStart(context);
}

QKRESULT RecordingRenderer::RenderFinish(const RCPtr<LRenderContextInfo>& context)
{
    Log("RenderFinish");
    return LRenderer::RenderFinish(context);
}

void RecordingRenderer::DrawText(const WString& text, const ConstRCPtr<LFont>&, const PointL& origin,
                                 const ColorRGBA& color)
{
    Log("DrawText(\"" + std::string(NString(text.GetString()).GetString()) + "\"," + Point(origin) + "," +
        Color(color) + ")");
}

void RecordingRenderer::FrameRect(const RectL& rect, const ColorRGBA& color, float lineWidth)
{
    Log("FrameRect(" + Rect(rect) + "," + Color(color) + ",w" + FormatNumber(lineWidth) + ")");
}

void RecordingRenderer::FillRect(const RectL& rect, const ColorRGBA& color, bool blend)
{
    Log("FillRect(" + Rect(rect) + "," + Color(color) + (blend ? ",blend)" : ",replace)"));
}

void RecordingRenderer::FillAndFrameRect(const RectL& rect, const ColorRGBA& fill, const ColorRGBA& frame,
                                         float lineWidth)
{
    Log("FillAndFrameRect(" + Rect(rect) + "," + Color(fill) + "," + Color(frame) + ",w" + FormatNumber(lineWidth) +
        ")");
    LRenderer::FillAndFrameRect(rect, fill, frame, lineWidth);
}

void RecordingRenderer::DrawColorRectList(ColorRectListT<float>& rects, const PointD& offset, bool flag)
{
    Log("DrawColorRectList(" + std::to_string(rects.GetCount()) + " rects," + Point(offset) + (flag ? ",1)" : ",0)"));
}

void RecordingRenderer::DrawLine(const PointF& from, const PointF& to, const ColorRGBA& color, float lineWidth)
{
    Log("DrawLine(" + Point(from) + "," + Point(to) + "," + Color(color) + ",w" + FormatNumber(lineWidth) + ")");
}

void RecordingRenderer::LogPoints(const char* operation, PolylineT<float>& points, const ColorRGBA& color,
                                  const PointF& offset, const PointF& scale, bool keep)
{
    Log(std::string(operation) + "(" + std::to_string(points.GetCount()) + " points,w" +
        FormatNumber(points.GetLineWidth()) + "," + Color(color) + "," + Point(offset) + "," + Point(scale) +
        (keep ? ",keep)" : ",once)"));
}

void RecordingRenderer::DrawLines(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                                  const PointF& scale, bool keep)
{
    LogPoints("DrawLines", points, color, offset, scale, keep);
}

void RecordingRenderer::DrawPolyline(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                                     const PointF& scale, bool keep)
{
    LogPoints("DrawPolyline", points, color, offset, scale, keep);
}

void RecordingRenderer::DrawPolygon(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                                    const PointF& scale, bool keep)
{
    LogPoints("DrawPolygon", points, color, offset, scale, keep);
}

void RecordingRenderer::FillPolygon(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                                    const PointF& scale, bool keep)
{
    LogPoints("FillPolygon", points, color, offset, scale, keep);
}

void RecordingRenderer::DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectL& destination,
                                   std::int32_t resizeType)
{
    Log(std::string("DrawBitmap(") + (bitmap ? "bitmap," : "null,") + Rect(destination) + "," +
        std::to_string(resizeType) + ")");
}

QKRESULT RecordingRenderer::DrawBitmapSection(const RCPtr<LRenderContextInfo>&, const PointL& destination,
                                              const RectL& sourceRect)
{
    Log("DrawBitmapSection(" + Point(destination) + "," + Rect(sourceRect) + ")");
    return QK_OK;
}

QKRESULT RecordingRenderer::CopyBitmap(const RCPtr<LRenderContextInfo>&, const PointL& point)
{
    Log("CopyBitmap(" + Point(point) + ")");
    return QK_OK;
}

void RecordingRenderer::PushTranslation(const PointD& offset)
{
    Log("PushTranslation(" + Point(offset) + ")");
    LRenderer::PushTranslation(offset);
}

void RecordingRenderer::PushStencil(const RectD& bounds, const RectD& clip, const RCPtr<LStencil>& stencil,
                                    bool intersect)
{
    Log("PushStencil(" + Rect(bounds) + "," + Rect(clip) + ",#" + std::to_string(StencilNumber(stencil.Get())) +
        (intersect ? ",intersect)" : ",replace)"));
    LRenderer::PushStencil(bounds, clip, stencil, intersect);
}

void RecordingRenderer::PushState()
{
    Log("PushState");
    LRenderer::PushState();
}

void RecordingRenderer::PopState()
{
    Log("PopState");
    LRenderer::PopState();
}

QKRESULT RecordingRenderer::SetClipRect(const RectD& clip)
{
    Log("SetClipRect(" + Rect(clip) + ")");
    return LRenderer::SetClipRect(clip);
}

QKRESULT RecordingRenderer::Translate(const PointD& offset)
{
    Log("Translate(" + Point(offset) + ")");
    return LRenderer::Translate(offset);
}

} // namespace QK::TestSupport
