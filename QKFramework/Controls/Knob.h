// LKnob: the framework's rotary control ("Framework.Knob"), a plain control that shows one
// of its looks as a film-strip frame chosen from the value.
//
// The user turns it by dragging, linearly (right and up raise the value; Ctrl makes the
// step fine) or, when a start or end angle is given, radially around its centre (angles in
// degrees clockwise from 12 o'clock), with the arrow keys and with the wheel, one unit of
// the 0..127 range at a time. It sends what the slider sends: "NID_VALUE_CHANGE",
// "NID_VALUE_CHANGE_CAPTURE" (true at drag start, false at drag end),
// "NID_VALUE_CHANGE_KEY_DOWN" and "NID_VALUE_CHANGE_KEY_UP". A value set from outside during
// a drag waits for the release.
//
// Looks: the frames are the leading looks up to the first empty one; the look after that
// empty one marks the focus and the next one the disabled state, laid over every frame. A
// knob without frames, or with a linear full range below 2, travels 128 pixels for the
// whole range. UI thread only.
#pragma once

#include "QKFramework/ControlBase/Control.h"

#include <cstdint>

namespace QK
{

class LKnob : public LControl
{
public:
    // A linear full range below 2, and a knob without frames, travel this far.
    static constexpr std::int32_t kDefaultFullRange = 128;
    static constexpr double kDefaultFineMultiplier = 0.25;

    LKnob(LControl* parent, const WString& name) : LControl(parent, name) {}

    // The create function of "Framework.Knob".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // --- LControl --------------------------------------------------------------------------

    double SetValue(double value) override;
    void OnValueChanged() override;
    void OnConditionsChanged(LConditionsParam* conditions) override;
    void OnMouseMove(const LPointWithModifiersParam* point) override;
    QKRESULT OnMouseWheel(const LMouseWheelParam* wheel) override;
    QKRESULT OnMouseHWheel(const LMouseWheelParam* wheel) override;
    QKRESULT WantsKey(LKeyParam* key) override;
    QKRESULT Initialize() override;
    QKRESULT InitializeParts() override;

    bool IsRadial() const { return m_radial != 0; }
    std::int32_t GetLinearFullRange() const { return m_linearFullRange; }
    double GetStartAngle() const { return m_startAngle; }
    double GetEndAngle() const { return m_endAngle; }
    double GetFineMultiplier() const { return m_fineMultiplier; }
    std::int32_t GetFrameCount() const { return m_frameCount; }
    double GetPendingValue() const { return m_pendingValue; }
    void SetApplyPending(bool apply) { m_applyPending = apply; }
    void SetResend(bool resend) { m_resend = resend; }

private:
    void RadialStep(const PointL& pointer);
    void LinearStep(const PointL& pointer);
    // Lays the focus or the disabled mark over every frame, or takes it away.
    void UpdateMarks();
    void StepScaled(double units);
    void SendCapture(bool captured);

    std::int32_t m_radial = 0;
    std::int32_t m_linearFullRange = 0;
    double m_startAngle = 0.0;
    double m_endAngle = 0.0;
    double m_fineMultiplier = 0.0;
    std::int32_t m_frameCount = 0;
    PointL m_lastPointer;
    PointL m_previousPointer;
    PointL m_centre;
    double m_pendingValue = -1.0;
    bool m_applyPending = true;
    bool m_resend = false;
    std::int32_t m_focusLook = -1;
    std::int32_t m_disabledLook = -1;
    bool m_keyHeld = false;
};

} // namespace QK
