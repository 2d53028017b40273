#include "QKFramework/Controls/StatusBar.h"

#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Utilities/Storage/VariantEx.h"

namespace QK
{

RCPtr<LControl> LStatusBar::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return nullptr;
    RCPtr<LControl> control(new LStatusBar(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

QKRESULT LStatusBar::SetStatusText(const WString& text)
{
    const RCPtr<LControl> self(this);
    DispatchNotifications(false);
    if (m_label)
        m_label->SetText(text);
    // The whole window repaints: the label may have grown over its neighbours.
    if (IRootWindow* root = GetRootWindowLink())
    {
        const LongPair size = root->GetClientSize();
        root->InvalidateRect(RectD{0.0, 0.0, static_cast<double>(size.first), static_cast<double>(size.second)});
    }
    return QK_OK;
}

QKRESULT LStatusBar::PostStatusText(const WString& text)
{
    const ConstRCPtr<LRefCountedObject> argument(LWrapperStringable<>::Create(text));
    return PostNotification(LNotification::Create(u"NID_SET_STATUS_TEXT", argument));
}

QKRESULT LStatusBar::OnSetStatusText(const ConstRCPtr<LNotificationDistributor>&,
                                     const ConstRCPtr<LNotification>& notification)
{
    const auto* text = notification ? dynamic_cast<const WString*>(notification->GetArgument().Get()) : nullptr;
    if (text && m_label)
        m_label->SetText(*text);
    return QK_FALSE;
}

QKRESULT LStatusBar::OnMenuStatusText(const ConstRCPtr<LNotificationDistributor>&,
                                      const ConstRCPtr<LNotification>& notification)
{
    const auto* text = notification ? dynamic_cast<const WString*>(notification->GetArgument().Get()) : nullptr;
    PostStatusText(text ? *text : GetStatusText());
    return QK_FALSE;
}

void LStatusBar::OnTimer()
{
    const RCPtr<LControl> self(this);
    DispatchNotifications(false);
}

QKRESULT LStatusBar::Initialize()
{
    const QKRESULT result = LControl::Initialize();
    m_statusHandlers = LNotificationHandler<LStatusBar>::Create(this);
    const ConstRCPtr<LNotificationDistributor> self(static_cast<LControl*>(this));
    // A plain registration: a posted-only one answers only the last of several waiting
    // posts, and every posted text must show in turn. Only the bar's queue sends this id
    // from the bar.
    if (m_statusHandlers)
        m_statusHandlers->AddHandler(&LStatusBar::OnSetStatusText, self, u"NID_SET_STATUS_TEXT");
    // The hovered menu rows' texts, as the application would post them.
    if (const RCPtr<LNotificationCenter> centre = GetDefaultNotificationCenter(); centre && m_statusHandlers)
    {
        const ConstRCPtr<LNotificationDistributor> source(centre.Get());
        m_statusHandlers->AddHandler(&LStatusBar::OnMenuStatusText, source, kNidMenuStatusText);
        m_statusHandlers->AddHandler(&LStatusBar::OnMenuStatusText, source, kNidMenuStatusTextRestore);
    }
    if (!m_selfTarget && Attach(self) == QK_OK)
    {
        AddInternalReferences(1);
        m_selfTarget = true;
    }
    BeginIdleAnimation();
    m_label = FindChild(WString(u"label1"));
    if (m_label)
        m_defaultText = m_label->GetSkinParam(WString(u"LABEL"));
    return result;
}

QKRESULT LStatusBar::ApplyCreateParam()
{
    const QKRESULT result = LControl::ApplyCreateParam();
    SetNotFocusable(true);
    return result;
}

QKRESULT LStatusBar::InitializeParts()
{
    m_height = GetHeight();
    return QK_OK;
}

QKRESULT LStatusBar::ReleaseInternalReferences()
{
    Detach();
    if (m_selfTarget)
    {
        m_selfTarget = false;
        AddInternalReferences(-1);
    }
    m_label = nullptr;
    return LControl::ReleaseInternalReferences();
}

QKRESULT LStatusBar::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                         const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LControl>(*this, m_statusHandlers, source, notification);
}

QKRESULT LStatusBar::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LControl>(*this, m_statusHandlers, source, id);
}

} // namespace QK
