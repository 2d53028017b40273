// A measurement renderer with fixed, predictable answers, for tests of text layout and of
// the controls that size themselves to their text. Every character measures the same
// width unless the test sets a width for it or for a whole text; metrics are fixed. It
// counts its calls.
#pragma once

#include "QKFramework/Renderer/MeasurementRenderer.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>
#include <map>
#include <string>

namespace QK::TestSupport
{

class FakeMeasurementRenderer : public LMeasurementRenderer
{
public:
    struct Metrics
    {
        std::int32_t lineHeight = 12;
        std::int32_t ascent = -9;
        std::int32_t descent = 3;
    };

    explicit FakeMeasurementRenderer(float characterWidth = 10.0f) : m_characterWidth(characterWidth) {}

    // The width of one character wherever it appears.
    void SetCharacterWidth(char16_t character, float width) { m_characterWidths[character] = width; }
    // The width of exactly this text, before any character rule.
    void SetTextWidth(const std::u16string& text, float width) { m_textWidths[text] = width; }
    // The x of every measured rectangle (a leading bearing).
    void SetBearing(float x) { m_bearing = x; }
    void SetMetrics(const Metrics& metrics) { m_metrics = metrics; }
    // While set, GetFontMetrics fails and writes nothing.
    void SetMetricsFail(bool fail) { m_metricsFail = fail; }

    // The sum of the character widths (or the text's own width); what MeasureText answers
    // as its width.
    float WidthOf(const std::u16string& text) const;

    QKRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, std::int32_t& lineHeight, std::int32_t& ascent,
                            std::int32_t& descent) const override;
    // (bearing, ascent, width, line height); the empty text gives all zero.
    RectF MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const override;

    int MetricsCalls() const { return m_metricsCalls; }
    int MeasureCalls() const { return m_measureCalls; }

private:
    float m_characterWidth;
    float m_bearing = 0.0f;
    Metrics m_metrics;
    bool m_metricsFail = false;
    std::map<char16_t, float> m_characterWidths;
    std::map<std::u16string, float> m_textWidths;
    mutable int m_metricsCalls = 0;
    mutable int m_measureCalls = 0;
};

} // namespace QK::TestSupport
