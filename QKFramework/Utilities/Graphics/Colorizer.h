// LColorizer: one named colour or gradient of a skin, with which visual parts fill or tint
// their images (LBitmap::ApplyColorizer). Immutable once the skin is loaded; shared by
// reference counting between the skin's descriptors and the bitmaps made from them.
#pragma once

#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Utilities/Graphics/ColorRGBA.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>

namespace QK
{

class LColorizer : public virtual LRefCountedObject
{
public:
    // ColorType values.
    static constexpr std::int32_t kSolid = 0;
    static constexpr std::int32_t kLinearGradient = 1;
    static constexpr std::int32_t kRadialGradient = 2;

    LColorizer(const WString& name, std::int32_t colorType, const ColorRGBA& color,
               const ColorRGBA& gradientEndColor = {}, float gradientStartX = 0.0f, float gradientStartY = 0.0f,
               float gradientEndX = 0.0f, float gradientEndY = 0.0f)
        : Name(name), ColorType(colorType), Color(color), GradientEndColor(gradientEndColor),
          GradientStartX(gradientStartX), GradientStartY(gradientStartY), GradientEndX(gradientEndX),
          GradientEndY(gradientEndY)
    {
    }

    // A gradient whose two colours differ; anything else fills with Color alone.
    bool IsGradient() const noexcept { return ColorType != kSolid && !(GradientEndColor == Color); }

    WString ToString() const override { return Name; }

    WString Name;
    std::int32_t ColorType;
    ColorRGBA Color;
    // Transparent black for a solid colorizer.
    ColorRGBA GradientEndColor;
    float GradientStartX;
    float GradientStartY;
    float GradientEndX;
    float GradientEndY;
};

} // namespace QK
