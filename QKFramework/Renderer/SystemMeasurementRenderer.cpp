#include "QKFramework/Renderer/SystemMeasurementRenderer.h"

#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Renderer/RenderApp.h"

namespace QK
{

LSystemMeasurementRenderer::LSystemMeasurementRenderer() : m_measure(LRenderApp::GetScreenResolution()) {}

QKRESULT LSystemMeasurementRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, std::int32_t& lineHeight,
                                                    std::int32_t& ascent, std::int32_t& descent) const
{
    if (!font)
        return QK_E_INVALIDARG;
    return m_measure.GetFontMetrics(*font, lineHeight, ascent, descent);
}

RectF LSystemMeasurementRenderer::MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const
{
    if (!font)
        return {};
    return m_measure.MeasureText(text, *font);
}

} // namespace QK
