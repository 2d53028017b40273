// LSystemMeasurementRenderer: the measurement renderer that needs no window, over the
// installed fonts (FontMeasure). It measures at the screen resolution it was made with.
//
// UI thread only.
#pragma once

#include "QKFramework/Renderer/FontMeasure.h"
#include "QKFramework/Renderer/MeasurementRenderer.h"

namespace QK
{

class LSystemMeasurementRenderer : public LMeasurementRenderer
{
public:
    // resolution: dots per inch; LRenderApp::GetScreenResolution when not given.
    LSystemMeasurementRenderer();
    explicit LSystemMeasurementRenderer(std::int32_t resolution) : m_measure(resolution) {}

    QKRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, std::int32_t& lineHeight, std::int32_t& ascent,
                            std::int32_t& descent) const override;
    RectF MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const override;

private:
    mutable FontMeasure m_measure;
};

} // namespace QK
