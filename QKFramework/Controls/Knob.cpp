#include "QKFramework/Controls/Knob.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/ObjectBase/Wrapper.h"
#include "QKFramework/Utilities/Graphics/Bitmap.h"
#include "QKFramework/Utilities/Storage/CharUtil.h"

#include <cmath>
#include <numbers>

namespace QK
{

using namespace ControlDetail;

namespace
{

// Key codes compared whole: a key press carries bit 29, and any modifier makes another code.
constexpr std::int32_t kKeyPressBit = 0x20000000;
constexpr std::int32_t kRightPress = 0x20270000;
constexpr std::int32_t kUpPress = 0x20260000;
constexpr std::int32_t kLeftPress = 0x20250000;
constexpr std::int32_t kDownPress = 0x20280000;
constexpr std::uint32_t kControlKey = 0x11;

double NormalizeAngle(double degrees)
{
    if (!std::isfinite(degrees))
        return 0.0;
    degrees = std::fmod(degrees, 360.0);
    if (degrees < 0.0)
        degrees += 360.0;
    return degrees >= 360.0 ? 0.0 : degrees;
}

PointL RoundPoint(double x, double y)
{
    return PointL{static_cast<std::int32_t>(std::clamp(RoundHalfAway(x), -2147483648.0, 2147483647.0)),
                  static_cast<std::int32_t>(std::clamp(RoundHalfAway(y), -2147483648.0, 2147483647.0))};
}

} // namespace

RCPtr<LControl> LKnob::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return nullptr;
    RCPtr<LControl> control(new LKnob(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

double LKnob::SetValue(double value)
{
    if (GetConditionFlags().leftDrag)
    {
        m_pendingValue = value;
        return GetValue();
    }
    return LControl::SetValue(value);
}

void LKnob::OnValueChanged()
{
    if (m_frameCount > 0)
        SelectLook(static_cast<std::int32_t>(RoundHalfAway((m_frameCount - 1) * GetValue())));
}

void LKnob::SendCapture(bool captured)
{
    const RCPtr<LHolder<bool>> holder(new LHolder<bool>());
    holder->SetValue(captured);
    Send(kNidValueChangeCapture, ConstRCPtr<LRefCountedObject>(holder.Get()));
}

void LKnob::OnConditionsChanged(LConditionsParam* conditions)
{
    if (!conditions)
        return;
    const RCPtr<LControl> self(this);
    const std::uint32_t before = conditions->OldConditions;
    const std::uint32_t now = conditions->NewConditions;
    if ((now & kLeftDrag) && !(before & kLeftDrag))
    {
        // The change carries the press in the parent's coordinates.
        const PointL pointer = RoundPoint(conditions->X - GetBounds().x, conditions->Y - GetBounds().y);
        m_lastPointer = m_previousPointer = pointer;
        if (m_radial)
            RadialStep(pointer);
        m_pendingValue = -1.0;
        SendCapture(true);
    }
    else if (!(now & kLeftDrag) && (before & kLeftDrag))
    {
        if (m_applyPending && m_pendingValue >= 0.0 && m_pendingValue <= 1.0)
            LControl::SetValue(m_pendingValue);
        m_pendingValue = -1.0;
        SendCapture(false);
        if (m_resend)
            Send(kNidValueChange, LValueParam::Create(GetValue(), FractionToValue(GetValue())));
    }
    else if ((before & kHasFocus) && !(now & kHasFocus) && m_keyHeld)
    {
        m_keyHeld = false;
        Send(kNidValueChangeKeyUp, nullptr);
    }
    if (((before ^ now) & (kHasFocus | kEnabled)) != 0)
        UpdateMarks();
}

void LKnob::UpdateMarks()
{
    std::int32_t mark = -1;
    if (!IsEnabled(true) && m_disabledLook >= 0)
        mark = m_disabledLook;
    else if (HasFocus() && m_focusLook >= 0)
        mark = m_focusLook;
    ConstRCPtr<LBitmap> bitmap;
    std::int32_t resizeType = 0;
    if (mark >= 0)
        if (const RCPtr<LLook> look = GetLook(mark))
            if (const ConstRCPtr<LVisualPart>& part = look->GetClientPart())
            {
                bitmap = part->GetBitmap();
                resizeType = part->GetResizeType();
            }
    for (std::int32_t frame = 0; frame < m_frameCount; ++frame)
        SetLookOverlay(bitmap, resizeType, frame, false);
}

void LKnob::OnMouseMove(const LPointWithModifiersParam* point)
{
    if (!point || !GetConditionFlags().leftDrag)
        return;
    const PointL pointer{point->X, point->Y};
    if (m_radial)
        RadialStep(pointer);
    else
        LinearStep(pointer);
}

void LKnob::LinearStep(const PointL& pointer)
{
    double dx = static_cast<double>(pointer.x) - m_lastPointer.x;
    double dy = static_cast<double>(pointer.y) - m_lastPointer.y;
    const double trend = (static_cast<double>(pointer.x) - m_previousPointer.x) -
                         (static_cast<double>(pointer.y) - m_previousPointer.y);
    if (dx > 0.0 && dy > 0.0)
    {
        if (trend > 0.0 && dy > dx)
            dy = 0.0;
        else if (trend < 0.0 && dy < dx)
            dx = 0.0;
    }
    else if (dx < 0.0 && dy < 0.0)
    {
        if (trend > 0.0 && dx < dy)
            dx = 0.0;
        else if (trend < 0.0 && dx > dy)
            dy = 0.0;
    }
    const double range = m_linearFullRange;
    double delta = (dx - dy) / (range - 1.0);
    const bool fine = LControlApp::IsKeyDown(kControlKey);
    if (fine)
        delta *= m_fineMultiplier;
    double v = std::clamp(GetValue() + delta, 0.0, 1.0);
    const double steps = fine ? range / m_fineMultiplier - 1.0 : range - 1.0;
    if (steps > 0.0)
        v = RoundHalfAway(steps * v) / steps;
    LControl::SetValue(v);
    m_previousPointer = m_lastPointer;
    m_lastPointer = pointer;
}

void LKnob::RadialStep(const PointL& pointer)
{
    const double dx = static_cast<double>(pointer.x) - m_centre.x;
    const double dy = static_cast<double>(pointer.y) - m_centre.y;
    if (dx == 0.0 && dy == 0.0)
        return;
    const double angle = NormalizeAngle((std::atan2(dy, dx) + std::numbers::pi / 2.0) * 180.0 / std::numbers::pi);
    const double end = m_startAngle >= m_endAngle ? m_endAngle + 360.0 : m_endAngle;
    const double a = m_startAngle >= angle ? angle + 360.0 : angle;
    if (m_startAngle <= a && a <= end)
    {
        const double f = (a - m_startAngle) / (end - m_startAngle);
        if (f >= 0.0 && f <= 1.0)
            LControl::SetValue(f);
        return;
    }
    // The dead zone between the end and the start: the nearer end wins, the middle counting
    // as the end.
    LControl::SetValue(a <= end + (m_startAngle + 360.0 - end) / 2.0 ? 1.0 : 0.0);
}

void LKnob::StepScaled(double units)
{
    SetValue(ValueToFraction(FractionToValue(GetValue()) + units));
}

QKRESULT LKnob::WantsKey(LKeyParam* key)
{
    if (!key)
        return QK_FALSE;
    const std::int32_t code = key->GetKeyCode().GetCode();
    const std::int32_t virtualKey = (code >> 16) & 0xFF;
    if (code >= 0 && !(code & kKeyPressBit) && virtualKey >= 0x25 && virtualKey <= 0x28)
    {
        m_keyHeld = false;
        Send(kNidValueChangeKeyUp, ConstRCPtr<LRefCountedObject>(key));
        return QK_OK;
    }
    const bool raise = code == kRightPress || code == kUpPress;
    const bool lower = code == kLeftPress || code == kDownPress;
    if (!raise && !lower)
        return QK_FALSE;
    if (!m_keyHeld)
    {
        m_keyHeld = true;
        Send(kNidValueChangeKeyDown, ConstRCPtr<LRefCountedObject>(key));
    }
    StepScaled(raise ? 1.0 : -1.0);
    return QK_OK;
}

QKRESULT LKnob::OnMouseWheel(const LMouseWheelParam* wheel)
{
    StepScaled(wheel && wheel->Direction == LMouseWheelParam::kAwayFromUser ? 1.0 : -1.0);
    return QK_OK;
}

QKRESULT LKnob::OnMouseHWheel(const LMouseWheelParam* wheel)
{
    StepScaled(wheel && wheel->Direction == LMouseWheelParam::kHorizontalPositive ? 1.0 : -1.0);
    return QK_OK;
}

QKRESULT LKnob::Initialize()
{
    const QKRESULT result = LControl::Initialize();
    if (Failed(result))
        return result;
    const LControlDescriptor* descriptor = GetControlDescriptor().Get();
    WString text;
    if (FindParam(descriptor, u"LINEAR_GESTURE_FULL_RANGE", text))
        m_linearFullRange = ParseInt(text.GetString());
    if (FindParam(descriptor, u"RADIAL_GESTURE_START_ANGLE", text))
        m_startAngle = ParseDouble(text.GetString());
    if (FindParam(descriptor, u"RADIAL_GESTURE_END_ANGLE", text))
        m_endAngle = ParseDouble(text.GetString());
    if (FindParam(descriptor, u"FINE_ADJUST_MULTIPLIER", text))
        m_fineMultiplier = ParseDouble(text.GetString());
    m_radial = (m_startAngle != 0.0 || m_endAngle != 0.0) ? 1 : 0;
    m_startAngle = NormalizeAngle(m_startAngle);
    m_endAngle = NormalizeAngle(m_endAngle);
    // No multiplier, or one that would stop or reverse the fine step: the usual quarter.
    if (!(m_fineMultiplier > 0.0))
        m_fineMultiplier = kDefaultFineMultiplier;
    SetValueRange(0.0, 127.0, 0);
    return result;
}

QKRESULT LKnob::InitializeParts()
{
    const auto present = [this](std::int32_t index)
    {
        RCPtr<LLook> look;
        return QueryLookAt(index, look) == QK_OK;
    };
    m_frameCount = 0;
    while (present(m_frameCount))
        ++m_frameCount;
    m_focusLook = present(m_frameCount + 1) ? m_frameCount + 1 : -1;
    m_disabledLook = present(m_frameCount + 2) ? m_frameCount + 2 : -1;
    UpdateMarks();
    if (!m_radial && m_linearFullRange == 0 && m_frameCount > 0)
        m_linearFullRange = static_cast<std::int32_t>(RoundHalfAway(128.0 / m_frameCount)) * m_frameCount;
    // Below 2 pixels the step would divide by zero or run backwards.
    if (m_linearFullRange < 2)
        m_linearFullRange = kDefaultFullRange;
    const RectD client = GetLookCount() > 0 ? GetLookClientRect(-1) : RectD{0.0, 0.0, GetWidth(), GetHeight()};
    m_centre = PointL{static_cast<std::int32_t>(client.x + client.width / 2.0),
                      static_cast<std::int32_t>(client.y + client.height / 2.0)};
    OnValueChanged();
    return QK_OK;
}

} // namespace QK
