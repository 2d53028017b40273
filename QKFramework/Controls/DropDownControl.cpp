#include "QKFramework/Controls/DropDownControl.h"

#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/Notification/Notification.h"

namespace QK
{

namespace
{

constexpr std::int32_t kKeyDown = static_cast<std::int32_t>(0x20280000u);
constexpr std::int32_t kKeyEnter = static_cast<std::int32_t>(0x200D0000u);
constexpr std::int32_t kKeyEscape = static_cast<std::int32_t>(0x201B0000u);

} // namespace

LDropDownControl::~LDropDownControl() = default;

QKRESULT LDropDownControl::Initialize()
{
    const QKRESULT result = LControl::Initialize();
    if (!m_dropDownHandlers)
        m_dropDownHandlers = LNotificationHandler<LDropDownControl>::Create(this);
    m_dropDownHandlers->AddHandler(&LDropDownControl::OnPress, ConstRCPtr<LNotificationDistributor>(this),
                                   kNidMouseDown);
    return result;
}

QKRESULT LDropDownControl::OnPress(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>&)
{
    if (m_wasOpenAtFocus)
        m_swallowPress = true;
    return QK_FALSE;
}

QKRESULT LDropDownControl::SetFocus(bool forward)
{
    // Hiding the drop-down hands the focus it held back here: that inner call must not
    // forget that the drop-down was open.
    if (m_settingFocus)
        return LControl::SetFocus(forward);
    const RCPtr<LControl> self(this);
    m_settingFocus = true;
    const QKRESULT result = LControl::SetFocus(forward);
    m_wasOpenAtFocus = IsDroppedDown();
    if (m_wasOpenAtFocus)
        ShowDropDown(false);
    m_settingFocus = false;
    return result;
}

void LDropDownControl::OnConditionsChanged(LConditionsParam* record)
{
    LControl::OnConditionsChanged(record);
    if (!record || !(record->NewConditions & kLeftButtonDown) || (record->OldConditions & kLeftButtonDown))
        return;
    if (m_swallowPress)
    {
        m_swallowPress = false;
        return;
    }
    ShowDropDown(true);
}

QKRESULT LDropDownControl::KillFocus()
{
    const RCPtr<LControl> self(this);
    ShowDropDown(false);
    return LControl::KillFocus();
}

std::int32_t LDropDownControl::GetDropDownLook()
{
    const std::uint32_t conditions = GetConditions();
    const bool over = (conditions & kPointerOver) != 0;
    const bool focused = (conditions & (kHasFocus | kContainsFocus)) != 0;
    if (!IsEnabled(true))
        return kLookDisabled;
    if (IsDroppedDown())
        return over ? kLookDroppedDownHover : kLookDroppedDown;
    if (over)
        return focused ? kLookFocusedHover : kLookHover;
    return focused ? kLookFocused : kLookNormal;
}

void LDropDownControl::SelectDropDownLook()
{
    const std::int32_t look = GetDropDownLook();
    if (GetLook(look))
        SelectLook(look, true);
}

QKRESULT LDropDownControl::OpenOrCloseByKey(LKeyParam* key)
{
    if (!key)
        return QK_FALSE;
    const std::int32_t code = key->Key.GetCode();
    if (!IsDroppedDown())
    {
        if (code != kKeyDown && code != kKeyEnter)
            return QK_FALSE;
        ShowDropDown(true);
        return QK_OK;
    }
    if (code != kKeyEscape)
        return QK_FALSE;
    ShowDropDown(false);
    return QK_OK;
}

QKRESULT LDropDownControl::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                               const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LControl>(*this, m_dropDownHandlers, source, notification);
}

QKRESULT LDropDownControl::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LControl>(*this, m_dropDownHandlers, source, id);
}

} // namespace QK
