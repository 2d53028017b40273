#include "QKFramework/Controls/CheckedListBoxItem.h"

#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/ControlParams.h"
#include "QKFramework/Notification/Notification.h"

namespace QK
{

RCPtr<LControl> LCheckedListBoxItem::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return nullptr;
    RCPtr<LControl> control(new LCheckedListBoxItem(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

RCPtr<LButton> LCheckedListBoxItem::GetCheckBox() const
{
    const RCPtr<LControl> child = FindChild(WString(u"checkBox"));
    return RCPtr<LButton>(dynamic_cast<LButton*>(child.Get()));
}

bool LCheckedListBoxItem::SetItemLook(std::int32_t look, std::int32_t)
{
    return SetLookOpacity(look, 1.0f, true) == QK_OK;
}

QKRESULT LCheckedListBoxItem::SelectCheckBoxLook(std::int32_t look, std::int32_t flag)
{
    if (!IsCreated())
        return QK_FALSE;
    const RCPtr<LButton> box = GetCheckBox();
    if (!box)
        return QK_FALSE;
    return box->SelectLook(look, flag != 0);
}

QKRESULT LCheckedListBoxItem::Initialize()
{
    const QKRESULT result = LListBoxItem::Initialize();
    if (!m_itemHandlers)
        m_itemHandlers = LNotificationHandler<LCheckedListBoxItem>::Create(this);
    if (const RCPtr<LButton> box = GetCheckBox())
    {
        m_itemHandlers->AddHandler(&LCheckedListBoxItem::OnCheckBoxHover, ConstRCPtr<LNotificationDistributor>(box.Get()),
                                   kNidHoverConditionChange);
        box->SetNotFocusable(true);
        box->SetUseParentToolTip(true);
    }
    return result;
}

QKRESULT LCheckedListBoxItem::OnCheckBoxHover(const ConstRCPtr<LNotificationDistributor>&,
                                              const ConstRCPtr<LNotification>& notification)
{
    const auto* conditions = dynamic_cast<const LConditionsParam*>(notification->GetArgument().Get());
    if (!conditions)
        return QK_OK;
    SetForcedHover((conditions->NewConditions & kPointerOver) != 0 && (conditions->OldConditions & kPointerOver) == 0);
    return QK_OK;
}

QKRESULT LCheckedListBoxItem::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                                  const ConstRCPtr<LNotification>& notification)
{
    if (!IsCreated())
        return QK_OK;
    return ReceiveThroughTable<LListBoxItem>(*this, m_itemHandlers, source, notification);
}

QKRESULT LCheckedListBoxItem::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LListBoxItem>(*this, m_itemHandlers, source, id);
}

} // namespace QK
