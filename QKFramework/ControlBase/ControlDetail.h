// What the control base's sources share about a control's layout description: small reads
// that treat a control without one as clipped, undocked and at Z_Order 0, and the one
// rounding of layout values, and the reading of create parameters. Internal to the control
// base and the standard controls.
#pragma once

#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/Utilities/Storage/StringArray.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cmath>
#include <cstdint>

namespace QK::ControlDetail
{

// 2^52: the extent of an unbounded client, and the hold of look rectangles as doubles.
inline constexpr double kUnbounded = 4503599627370496.0;

inline bool ClipsToParent(const LControl& control)
{
    const auto& layout = control.GetLayoutDescriptor();
    return !layout || layout->ClipToParent;
}

inline bool IsDocked(const LControl& control, std::int32_t axis)
{
    const auto& layout = control.GetLayoutDescriptor();
    return layout && (axis == 0 ? layout->XIsDocked : layout->YIsDocked);
}

inline std::int32_t DockedAxes(const LControl& control)
{
    return static_cast<std::int32_t>(IsDocked(control, 0)) + static_cast<std::int32_t>(IsDocked(control, 1));
}

inline std::int32_t ZOrderOf(const LControl& control)
{
    const auto& layout = control.GetLayoutDescriptor();
    return layout ? layout->ZOrder : 0;
}

// Half away from zero, kept as a double so that no value overflows on the way.
inline double RoundHalfAway(double value)
{
    return value < 0.0 ? std::trunc(value - 0.5) : std::trunc(value + 0.5);
}

// The pair component of an axis.
inline double& Component(DoublePair& pair, std::int32_t axis)
{
    return axis == 0 ? pair.first : pair.second;
}

inline double Component(const PointD& point, std::int32_t axis)
{
    return axis == 0 ? point.x : point.y;
}

// The text area of a look's text properties on one axis (0 width, 1 height) for a control
// of that extent.
inline double TextAreaFor(const LookTextProperties& text, std::int32_t axis, double extent)
{
    if (axis == 0)
        return (text.TextRightRel * extent + text.TextRightAbs) - (text.TextLeftRel * extent + text.TextLeftAbs);
    return (text.TextBottomRel * extent + text.TextBottomAbs) - (text.TextTopRel * extent + text.TextTopAbs);
}

// A boolean create parameter: true when the text, trimmed and in lower case, is "true".
inline bool ParamIsTrue(const WString& text)
{
    return TrimWhitespace(TrimWhitespaceRight(text)).ToLower().IsEqual(u"true");
}

// The text of the create parameter name; false without one.
inline bool FindParam(const LControlDescriptor* descriptor, const char16_t* name, WString& value)
{
    return descriptor && descriptor->CreateParams && FindStringMapValue(*descriptor->CreateParams, name, value);
}

// A control class's create function: construct with (parent, name), then
// CreateFromDescriptor, CreateChildControls, Initialize, InitializeParts, created flag.
template <class T> RCPtr<LControl> CreateControlOf(LControl* parent, const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return nullptr;
    RCPtr<LControl> control(new T(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

} // namespace QK::ControlDetail
