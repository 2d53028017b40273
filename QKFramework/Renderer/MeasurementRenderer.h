// LMeasurementRenderer: the two measuring operations that every renderer offers, and all
// that fonts and text layout need. The application keeps one that needs no window
// (LRenderApp::GetMeasurementRenderer), so text is measured the same whatever draws it.
//
// Called on the UI thread only.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Geometry/Rect.h"
#include "QKFramework/Utilities/Storage/StringFwd.h"

#include <cstdint>

namespace QK
{

class LFont;

class LMeasurementRenderer : public virtual LRefCountedObject
{
public:
    // The font's line height, and the top and bottom of its cell as y offsets from the
    // baseline (ascent negative or zero, descent positive or zero), in pixels. A failure
    // leaves the three values as they were.
    virtual QKRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, std::int32_t& lineHeight, std::int32_t& ascent,
                                    std::int32_t& descent) const = 0;
    // The extent of text drawn in font: x, y, width, height.
    virtual RectF MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const = 0;
};

} // namespace QK
