#include "QKFramework/Controls/Panel.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/Notification/Notification.h"

namespace QK
{

LPanel::LPanel(LControl* parent, const WString& name) : LScrollView(parent, name) {}

LPanel::~LPanel() = default;

RCPtr<LControl> LPanel::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return ControlDetail::CreateControlOf<LPanel>(parent, descriptor);
}

QKRESULT LPanel::Initialize()
{
    const QKRESULT result = LScrollView::Initialize();
    if (Failed(result) || !GetParent())
        return result;
    m_panelHandlers = LNotificationHandler<LPanel>::Create(this);
    CheckResult(m_panelHandlers->AddHandler(&LPanel::OnSiblingKey, ConstRCPtr<LNotificationDistributor>(GetParent()),
                                            kNidSiblingKey),
                kInitializeSite);
    return result;
}

QKRESULT LPanel::OnSiblingKey(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>& notification)
{
    auto* sibling = dynamic_cast<LSiblingKeyParam*>(const_cast<LRefCountedObject*>(notification->GetArgument().Get()));
    if (!sibling)
        return QK_FALSE;
    const RCPtr<LKeyParam> key = LKeyParam::Create(sibling->Key, true);
    sibling->Result = LControl::SendSiblingKey(key.Get());
    return QK_FALSE;
}

QKRESULT LPanel::DispatchKey(LKeyParam* key)
{
    if (!key)
        return QK_E_INVALIDARG;
    const RCPtr<LControl> self(this);
    const QKRESULT handled = LControl::SendSiblingKey(key);
    if (handled != QK_FALSE)
        return handled;
    if (LControl* parent = GetParent())
    {
        key->Path.Add(self);
        return parent->DispatchKey(key);
    }
    return LControlApp::HandleHotKey(key->Key);
}

std::int32_t LPanel::TabPosition(const LControl* child) const
{
    const ChildControlList& children = GetChildren();
    for (std::uint32_t i = children.GetCount(); i-- > 0;)
        if (children.GetAt(i, ChildControlList::kTabOrder).Get() == child)
            return static_cast<std::int32_t>(i);
    return -1;
}

RCPtr<LControl> LPanel::GetNextTabChild(LControl* current, bool backwards)
{
    RCPtr<LControl> next = LControl::GetNextTabChild(current, backwards);
    if (!GetParent() || !next)
        return next;
    const std::int32_t from = TabPosition(current);
    const std::int32_t to = TabPosition(next.Get());
    if (backwards ? to < from : to > from)
        return next;
    return nullptr;
}

QKRESULT LPanel::FocusNextTabStop(LKeyParam* key)
{
    if (!key)
        return QK_E_INVALIDARG;
    const RCPtr<LControl> self(this);
    const auto code = static_cast<std::uint32_t>(key->Key.Code);
    const bool backwards = (code & KeyCode::kShift) != 0;
    if (!(code & KeyCode::kCtrl))
    {
        const std::uint32_t count = key->Path.GetCount();
        RCPtr<LControl> start = count > 0 ? *key->Path.GetAt(count - 1) : RCPtr<LControl>();
        RCPtr<LControl> next = GetNextTabChild(start.Get(), backwards);
        while (next && next != start)
        {
            if (next->IsTabTarget() || next->CanTakeFocus())
            {
                next->SetFocus(!backwards);
                return QK_OK;
            }
            // The round is measured from a control that can be seen and used.
            if (start && !start->TakesInput())
                start = next;
            next = GetNextTabChild(next.Get(), backwards);
        }
    }
    key->Path.Add(self);
    if (LControl* parent = GetParent())
        return parent->FocusNextTabStop(key);
    return QK_OK;
}

QKRESULT LPanel::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                     const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LScrollView>(*this, m_panelHandlers, source, notification);
}

QKRESULT LPanel::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LScrollView>(*this, m_panelHandlers, source, id);
}

} // namespace QK
