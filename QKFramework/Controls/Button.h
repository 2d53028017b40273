// LButton: the push button, toggle button, radio button and auto-repeat button in one.
//
// The value is the checked state (1.0 checked, 0.0 not; 0.5 and above count as checked).
// Pressed, hovered, focused, checked and disabled choose one of fourteen looks:
//
//                      unchecked  checked
//   normal                 0         7
//   hover                  1         8
//   pressed                2         9
//   focused                3        10
//   focused hover          4        11
//   focused pressed        5        12
//   disabled               6        13
//
// Auto-repeat (switched on by scroll bars and up-downs) sends "NID_BUTTON_AUTOREPEAT" at the
// press, 0.3 s later and then every 0.1 s while the pointer stays over the button. A
// programmatic click (PerformClick, Enter, or "NID_SIMULATE_CLICK" sent from the button)
// shows the pressed look for 0.15 s and clicks on the first idle pass after that. Repeats
// and simulated presses run from OnTimer, on the UI thread, on each idle pass of the root
// window while either is running.
//
// A passive button (the check box of a list item) is never hit by the pointer and leaves
// its look to its owner.
#pragma once

#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ObjectBase/Exception.h"

namespace QK
{

class LButton : public LControl
{
public:
    // Where a failed subscription of Initialize is reported.
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    static constexpr ThrowSite kInitializeSite{"QK::LButton::Initialize", "Controls\\Button", 50};

    LButton(LControl* parent, const WString& name) : LControl(parent, name) {}

    // The create function of "Framework.Button".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // --- Operations added to LControl's, in slot order --------------------------------------

    virtual QKRESULT SetAutoValueSet(bool autoValueSet);
    virtual QKRESULT SetRadio(bool radio);
    // Answers whether the value is now at least 0.5.
    virtual bool SetChecked(bool checked);
    virtual QKRESULT UpdateLook();
    virtual QKRESULT PerformClick();

    // --- LControl --------------------------------------------------------------------------

    using LControl::PerformClick;
    void OnValueChanged() override;
    void OnConditionsChanged(LConditionsParam* conditions) override;
    void SetEnabled(bool enable) override;
    void OnLeftClick(const LMouseButtonParam* button) override;
    bool ContainsPoint(const PointD& point) override;
    QKRESULT WantsKey(LKeyParam* key) override;
    void OnTimer() override;
    QKRESULT Initialize() override;
    WString GetToolTipText() const override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

    // --- State owners set directly -----------------------------------------------------------

    bool IsChecked() const { return GetValue() >= 0.5; }
    bool IsAutoValueSet() const { return m_autoValueSet; }
    bool IsRadio() const { return m_radio; }
    void SetAutoRepeat(bool autoRepeat) { m_autoRepeat = autoRepeat; }
    bool IsAutoRepeat() const { return m_autoRepeat; }
    void SetPassive(bool passive) { m_passive = passive; }
    bool IsPassive() const { return m_passive; }
    void SetStayPressed(bool stayPressed) { m_stayPressed = stayPressed; }
    bool IsRepeating() const { return m_repeating; }
    bool IsSimulatedPressShowing() const { return m_simulatedPressShowing; }

private:
    QKRESULT OnSimulateClick(const ConstRCPtr<LNotificationDistributor>& source,
                             const ConstRCPtr<LNotification>& notification);
    // Sends the repeat notification when auto-repeat is on, then clicks with the left button.
    void CompleteClick();
    // Idle processing is one on/off state: on while a repeat or a simulated press runs.
    void SetIdleProcessing(bool on);

    RCPtr<LNotificationHandler<LButton>> m_buttonHandlers;
    bool m_autoValueSet = false;
    bool m_radio = false;
    bool m_autoRepeat = false;
    bool m_passive = false;
    bool m_repeating = false;
    bool m_stayPressed = false;
    double m_repeatInterval = 0.1;
    double m_initialRepeatDelay = 0.3;
    double m_lastRepeatCheck = 0.0;
    double m_timeToNextRepeat = 0.0;
    double m_simulatedPressDuration = 0.15;
    double m_simulatedPressStart = 0.0;
    bool m_simulatedPressShowing = false;
    bool m_idleProcessing = false;
};

} // namespace QK
