#include "QKFramework/Controls/Button.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/Notification/Notification.h"

namespace QK
{

using namespace ControlDetail;

namespace
{

// Enter without modifiers, as KeyCode packs it.
constexpr std::int32_t kEnterKey = 0x200D0000;
// Space presses a focused button as Enter does, as on every desktop.
constexpr std::int32_t kSpaceKey = 0x20200000;

// The clock counts milliseconds; differences of its seconds carry rounding, so a time that is
// due to within half a millisecond counts as due rather than waiting for the next idle pass.
constexpr double kDueTolerance = 0.0005;

enum Look : std::int32_t
{
    kLookNormal = 0,
    kLookHover = 1,
    kLookPressed = 2,
    kLookFocused = 3,
    kLookDisabled = 6,
    kLookChecked = 7,
};

} // namespace

RCPtr<LControl> LButton::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return ControlDetail::CreateControlOf<LButton>(parent, descriptor);
}

QKRESULT LButton::SetAutoValueSet(bool autoValueSet)
{
    m_autoValueSet = autoValueSet;
    return QK_OK;
}

QKRESULT LButton::SetRadio(bool radio)
{
    m_radio = radio;
    return QK_OK;
}

bool LButton::SetChecked(bool checked)
{
    return SetValue(checked ? 1.0 : 0.0) >= 0.5;
}

QKRESULT LButton::UpdateLook()
{
    if (m_passive || m_simulatedPressShowing)
        return QK_OK;
    const std::int32_t base = IsChecked() ? kLookChecked : 0;
    if (!IsEnabled(true))
    {
        SelectLook(base + kLookDisabled);
        return QK_OK;
    }
    const ConditionFlags& flags = GetConditionFlags();
    const bool pressed = flags.captured && (flags.leftDown || flags.leftDrag);
    std::int32_t look = kLookNormal;
    if (pressed)
        look = (flags.pointerOver || m_stayPressed) ? kLookPressed : kLookHover;
    else if (flags.pointerOver && !flags.captured)
        look = kLookHover;
    if (HasFocus())
        look += kLookFocused;
    SelectLook(base + look);
    return QK_OK;
}

QKRESULT LButton::PerformClick()
{
    const RCPtr<LControl> self(this);
    if (m_simulatedPressShowing)
        CompleteClick();
    m_simulatedPressShowing = true;
    SetFocus(true);
    SetIdleProcessing(true);
    m_simulatedPressStart = LControlApp::GetTime();
    SelectLook(IsChecked() ? kLookChecked + kLookPressed : kLookPressed);
    InvalidateWhole();
    return QK_OK;
}

void LButton::CompleteClick()
{
    if (m_autoRepeat)
        Send(kNidButtonAutorepeat, nullptr);
    const IRootWindow* root = GetRootWindowLink();
    const RCPtr<LMouseButtonParam> button =
        LMouseButtonParam::Create(LMouseButtonParam::kLeft, {0, 0}, 0, false, root ? root->GetMouseButtonState() : 0);
    LeftClick(button.Get());
}

void LButton::SetIdleProcessing(bool on)
{
    if (on == m_idleProcessing)
        return;
    m_idleProcessing = on;
    if (on)
        BeginIdleAnimation();
    else
        EndIdleAnimation();
}

void LButton::OnValueChanged()
{
    if (m_radio && IsChecked())
        if (LControl* parent = GetParent())
        {
            const RCPtr<LControl> self(this);
            ChildControlList& siblings = parent->GetChildren();
            for (std::uint32_t i = siblings.GetCount(); i-- > 0;)
            {
                if (i >= siblings.GetCount())
                    continue;
                auto* sibling = dynamic_cast<LButton*>(siblings.GetAt(i).Get());
                if (sibling && sibling != this && sibling->m_radio)
                    sibling->SetValue(0.0);
            }
        }
    UpdateLook();
}

void LButton::OnConditionsChanged(LConditionsParam* conditions)
{
    if (!conditions)
    {
        UpdateLook();
        return;
    }
    const std::uint32_t gained = conditions->NewConditions & ~conditions->OldConditions;
    const std::uint32_t lost = conditions->OldConditions & ~conditions->NewConditions;
    if (m_autoRepeat && (gained & kHover) != 0)
    {
        m_lastRepeatCheck = LControlApp::GetTime();
    }
    else if ((gained & kLeftButtonDown) != 0 && m_autoRepeat && IsEnabled(true) && !m_repeating)
    {
        m_repeating = true;
        SetIdleProcessing(true);
        m_lastRepeatCheck = LControlApp::GetTime();
        m_timeToNextRepeat = m_initialRepeatDelay;
        Send(kNidButtonAutorepeat, nullptr);
    }
    else if ((lost & kCaptured) != 0 && m_autoRepeat && m_repeating)
    {
        m_repeating = false;
        if (!m_simulatedPressShowing)
            SetIdleProcessing(false);
    }
    UpdateLook();
}

void LButton::SetEnabled(bool enable)
{
    LControl::SetEnabled(enable);
    UpdateLook();
}

void LButton::OnLeftClick(const LMouseButtonParam*)
{
    if (!m_autoValueSet)
        return;
    SetValue(!m_radio && IsChecked() ? 0.0 : 1.0);
}

bool LButton::ContainsPoint(const PointD& point)
{
    return !m_passive && LControl::ContainsPoint(point);
}

QKRESULT LButton::WantsKey(LKeyParam* key)
{
    if (key && (key->GetKeyCode().GetCode() == kEnterKey || key->GetKeyCode().GetCode() == kSpaceKey))
    {
        PerformClick();
        return QK_OK;
    }
    return QK_FALSE;
}

void LButton::OnTimer()
{
    const RCPtr<LControl> self(this);
    const double now = LControlApp::GetTime();
    if (m_simulatedPressShowing && now - m_simulatedPressStart >= m_simulatedPressDuration - kDueTolerance)
    {
        m_simulatedPressShowing = false;
        if (!m_repeating)
            SetIdleProcessing(false);
        m_simulatedPressStart = 0.0;
        UpdateLook();
        CompleteClick();
    }
    if (m_repeating && GetConditionFlags().pointerOver && IsEnabled(true))
    {
        m_timeToNextRepeat -= now - m_lastRepeatCheck;
        m_lastRepeatCheck = now;
        if (m_timeToNextRepeat <= kDueTolerance)
        {
            m_timeToNextRepeat = m_repeatInterval;
            Send(kNidButtonAutorepeat, nullptr);
        }
    }
}

QKRESULT LButton::Initialize()
{
    const QKRESULT result = LControl::Initialize();
    if (Failed(result))
        return result;
    m_buttonHandlers = LNotificationHandler<LButton>::Create(this);
    CheckResult(m_buttonHandlers->AddHandler(&LButton::OnSimulateClick, ConstRCPtr<LNotificationDistributor>(this),
                                             kNidSimulateClick),
                kInitializeSite);
    const LControlDescriptor* descriptor = GetControlDescriptor().Get();
    WString text;
    if (FindParam(descriptor, u"AUTO_VALUE_SET", text))
        SetAutoValueSet(ParamIsTrue(text));
    if (FindParam(descriptor, u"IS_RADIO", text))
        SetRadio(ParamIsTrue(text));
    return QK_OK;
}

QKRESULT LButton::OnSimulateClick(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>&)
{
    if (IsEnabled(true))
        PerformClick();
    return QK_OK;
}

WString LButton::GetToolTipText() const
{
    // The text area test lays the text out; it changes no state the caller can see.
    if (const_cast<LButton*>(this)->IsTextOverflowing())
        return GetText();
    return LControl::GetToolTipText();
}

QKRESULT LButton::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                      const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LControl>(*this, m_buttonHandlers, source, notification);
}

QKRESULT LButton::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LControl>(*this, m_buttonHandlers, source, id);
}

} // namespace QK
