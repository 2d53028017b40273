#include "QKFramework/Controls/CheckedComboBox.h"

#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/Notification/Notification.h"

namespace QK
{

LCheckedComboBox::~LCheckedComboBox() = default;

RCPtr<LControl> LCheckedComboBox::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return nullptr;
    RCPtr<LControl> control(new LCheckedComboBox(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

RCPtr<LButton> LCheckedComboBox::GetCheckBox() const
{
    const RCPtr<LControl> child = FindChild(WString(u"checkBox"));
    return RCPtr<LButton>(dynamic_cast<LButton*>(child.Get()));
}

QKRESULT LCheckedComboBox::Initialize()
{
    m_checkedList = RCPtr<LCheckedListBox>(dynamic_cast<LCheckedListBox*>(FindChild(WString(u"listBox")).Get()));
    if (Failed(LComboBox::Initialize()) || !m_checkedList)
        return QK_E_FAIL;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    const RCPtr<LButton> box = GetCheckBox();
    if (box)
        box->SetUseParentToolTip(true);
    m_checkedList->SetPopupMode(true);
    if (m_checkedList->HasIcons())
    {
        m_iconMode = true;
        if (box)
            box->SetPassive(true);
    }
    if (!m_checkedHandlers)
        m_checkedHandlers = LNotificationHandler<LCheckedComboBox>::Create(this);
    m_checkedHandlers->AddHandler(&LCheckedComboBox::OnItemCheckChange,
                                  ConstRCPtr<LNotificationDistributor>(m_checkedList.Get()), kNidItemCheckChange);
    return QK_OK;
}

QKRESULT LCheckedComboBox::InitializeParts()
{
    const std::int32_t selected = GetSelectedIndex();
    const ConstRCPtr<LBitmap> icon =
        m_checkedList && selected >= 0 ? m_checkedList->GetItemIcon(static_cast<std::uint32_t>(selected)) : nullptr;
    if (const RCPtr<LButton> box = GetCheckBox())
        LCheckedListBox::SetCheckBoxIcon(*box, icon);
    return LComboBox::InitializeParts();
}

std::int32_t LCheckedComboBox::SetItemCount(std::uint32_t count)
{
    const std::int32_t result = LComboBox::SetItemCount(count);
    UpdateLook();
    return result;
}

std::int32_t LCheckedComboBox::SelectItem(std::int32_t index)
{
    const RCPtr<LButton> box = GetCheckBox();
    if (box)
    {
        ConstRCPtr<LBitmap> icon;
        if (m_checkedList && index >= 0 && static_cast<std::uint32_t>(index) < m_checkedList->GetItemCount())
        {
            const auto item = static_cast<std::uint32_t>(index);
            box->SetValue(m_checkedList->IsItemChecked(item) ? 1.0 : 0.0);
            icon = m_checkedList->GetItemIcon(item);
        }
        LCheckedListBox::SetCheckBoxIcon(*box, icon);
    }
    return LComboBox::SelectItem(index);
}

QKRESULT LCheckedComboBox::UpdateLook()
{
    std::int32_t look = GetDropDownLook();
    if (m_checkedList && m_checkedList->GetCheckedCount() >= 1)
        look += kCheckedLookOffset;
    if (GetLook(look))
        SelectLook(look, true);
    return QK_OK;
}

QKRESULT LCheckedComboBox::OnItemCheckChange(const ConstRCPtr<LNotificationDistributor>&,
                                             const ConstRCPtr<LNotification>& notification)
{
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    // Only a count of 0 or 1 can mean that "any item checked" has just changed.
    const std::int32_t checked = m_checkedList ? m_checkedList->GetCheckedCount() : 0;
    if (checked == 0 || checked == 1)
        UpdateLook();
    Send(kNidItemCheckChange, notification->GetArgument());
    return QK_OK;
}

QKRESULT LCheckedComboBox::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                               const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LComboBox>(*this, m_checkedHandlers, source, notification);
}

QKRESULT LCheckedComboBox::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LComboBox>(*this, m_checkedHandlers, source, id);
}

} // namespace QK
