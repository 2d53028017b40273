#include "tests/support/Render/FakeMeasurementRenderer.h"

namespace QK::TestSupport
{

float FakeMeasurementRenderer::WidthOf(const std::u16string& text) const
{
    const auto whole = m_textWidths.find(text);
    if (whole != m_textWidths.end())
        return whole->second;
    float width = 0.0f;
    for (const char16_t character : text)
    {
        const auto found = m_characterWidths.find(character);
        width += found != m_characterWidths.end() ? found->second : m_characterWidth;
    }
    return width;
}

QKRESULT FakeMeasurementRenderer::GetFontMetrics(const ConstRCPtr<LFont>&, std::int32_t& lineHeight,
                                                 std::int32_t& ascent, std::int32_t& descent) const
{
    ++m_metricsCalls;
    if (m_metricsFail)
        return QK_E_FAIL;
    lineHeight = m_metrics.lineHeight;
    ascent = m_metrics.ascent;
    descent = m_metrics.descent;
    return QK_OK;
}

RectF FakeMeasurementRenderer::MeasureText(const WString& text, const ConstRCPtr<LFont>&) const
{
    ++m_measureCalls;
    if (text.IsEmpty())
        return {};
    return {m_bearing, static_cast<float>(m_metrics.ascent), WidthOf(text.GetString()),
            static_cast<float>(m_metrics.lineHeight)};
}

} // namespace QK::TestSupport
