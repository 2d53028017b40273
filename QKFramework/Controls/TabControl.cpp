#include "QKFramework/Controls/TabControl.h"

#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/Notification/Notification.h"

namespace QK
{

namespace
{

constexpr std::uint32_t kConditionVisible = 0x800;

ConstRCPtr<LRefCountedObject> AsArgument(const RCPtr<LControl>& control)
{
    return ConstRCPtr<LRefCountedObject>(control.Get());
}

} // namespace

LTabControl::LTabControl(LControl* parent, const WString& name) : LPanel(parent, name) {}

LTabControl::~LTabControl() = default;

RCPtr<LControl> LTabControl::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return ControlDetail::CreateControlOf<LTabControl>(parent, descriptor);
}

// Lookups ------------------------------------------------------------------------------------------

std::int32_t LTabControl::GetTabCount()
{
    return m_buttonHolder ? static_cast<std::int32_t>(m_buttonHolder->GetChildren().GetCount()) : 0;
}

std::int32_t LTabControl::FindTab(const WString& name)
{
    if (!m_buttonHolder)
        return -1;
    const LControl::ChildControlList& buttons = m_buttonHolder->GetChildren();
    for (std::uint32_t i = buttons.GetCount(); i-- > 0;)
    {
        const RCPtr<LControl>& button = buttons.GetAt(i);
        if (button && button->GetName().IsEqual(name))
            return static_cast<std::int32_t>(i);
    }
    return -1;
}

std::int32_t LTabControl::GetSelectedIndex()
{
    return FindTab(m_selectedTabName);
}

RCPtr<LControl> LTabControl::GetSelectedPage()
{
    return GetPage(GetSelectedIndex());
}

RCPtr<LControl> LTabControl::GetPageFor(const WString& name)
{
    return GetPage(FindTab(name));
}

RCPtr<LControl> LTabControl::GetPage(std::int32_t index)
{
    // Unsigned, so that -1 lies outside.
    if (!m_pageHolder || static_cast<std::uint32_t>(index) >= static_cast<std::uint32_t>(GetTabCount()))
        return nullptr;
    // A skin with fewer pages than buttons leaves the last tabs without one.
    if (static_cast<std::uint32_t>(index) >= m_pageHolder->GetChildren().GetCount())
        return nullptr;
    return m_pageHolder->GetChildren().GetAt(static_cast<std::uint32_t>(index));
}

RCPtr<LControl> LTabControl::GetTabButtonFor(const WString& name)
{
    return GetTabButton(FindTab(name));
}

RCPtr<LControl> LTabControl::GetTabButton(std::int32_t index)
{
    if (static_cast<std::uint32_t>(index) >= static_cast<std::uint32_t>(GetTabCount()))
        return nullptr;
    return m_buttonHolder->GetChildren().GetAt(static_cast<std::uint32_t>(index));
}

// Selection ---------------------------------------------------------------------------------------

QKRESULT LTabControl::SelectTab(const WString& name)
{
    if (!m_buttonHolder || !m_pageHolder)
        return QK_E_FAIL;
    const RCPtr<LControl> self(this);
    const WString chosen = name; // the caller's text may be the selected name itself
    const std::int32_t old = GetSelectedIndex();
    const std::int32_t next = FindTab(chosen);
    if (old >= 0 && old != next)
    {
        const RCPtr<LTabBecomingUnselectedParams> change(new LTabBecomingUnselectedParams(old, next));
        Send(u"NID_TAB_BECOMING_UNSELECTED", ConstRCPtr<LRefCountedObject>(change.Get()));
        if (change->TargetIndex != next)
            return SelectTabAt(change->TargetIndex);
    }
    const LControl::ChildControlList& pages = m_pageHolder->GetChildren();
    for (std::uint32_t i = pages.GetCount(); i-- > 0;)
    {
        if (static_cast<std::int32_t>(i) == next)
            continue;
        if (const RCPtr<LControl> page = pages.GetAt(i))
            page->SetVisible(false);
    }
    m_selectedTabName = chosen;
    OnSelectingTab(next);
    const RCPtr<LControl> page = GetPage(next);
    if (page)
        page->SetVisible(true);
    Send(u"NID_TAB_SELECTED", AsArgument(page));
    return QK_OK;
}

QKRESULT LTabControl::SelectTabAt(std::int32_t index)
{
    const RCPtr<LControl> button = GetTabButton(index);
    if (!button)
        return QK_E_FAIL;
    return SelectTab(button->GetName());
}

QKRESULT LTabControl::OnTabButtonClick(const ConstRCPtr<LNotificationDistributor>& source,
                                       const ConstRCPtr<LNotification>&)
{
    const auto* clicked = dynamic_cast<const LControl*>(source.Get());
    if (!clicked)
        return QK_FALSE;
    const RCPtr<LControl> self(this);
    const RCPtr<LControl> button(const_cast<LControl*>(clicked));
    const std::int32_t index = FindTab(button->GetName());
    if (index >= 0)
        Send(u"NID_TAB_BUTTON_CLICKED", AsArgument(button));
    SelectTab(button->GetName());
    const std::int32_t selected = GetSelectedIndex();
    if (selected >= 0)
    {
        // Refused or redirected: the current tab's button shows as set again.
        if (selected != index)
            if (const RCPtr<LControl> current = GetTabButton(selected))
                current->SetValue(1.0);
        if (const RCPtr<LControl> page = GetPage(selected))
            page->SetFocus(true);
    }
    return QK_FALSE;
}

// Lifecycle ---------------------------------------------------------------------------------------

QKRESULT LTabControl::Initialize()
{
    if (Failed(LPanel::Initialize()))
        return QK_E_FAIL;
    const RCPtr<LControl> self(this);
    m_buttonHolder = FindChild(WString(u"buttonHolder"));
    m_pageHolder = FindChild(WString(u"pageHolder"));
    const QKRESULT selected = SelectTabAt(0);
    if (Failed(selected))
        return selected;
    m_tabHandlers = LNotificationHandler<LTabControl>::Create(this);
    if (!m_tabHandlers)
        ThrowNullPointer(kInitializeSite, "Notification Handler not created.");
    const LControl::ChildControlList& buttons = m_buttonHolder->GetChildren();
    for (std::uint32_t i = 0; i < buttons.GetCount(); ++i)
        if (const RCPtr<LControl> button = buttons.GetAt(i))
            CheckResult(m_tabHandlers->AddHandler(&LTabControl::OnTabButtonClick, button, kNidLeftClick),
                        kInitializeSite);
    return selected;
}

QKRESULT LTabControl::CreateFromDescriptor(const LControlDescriptor* descriptor)
{
    const bool reskin = IsCreated();
    const QKRESULT result = LPanel::CreateFromDescriptor(descriptor);
    if (reskin)
    {
        const RCPtr<LControl> self(this);
        // The new skin may lack a holder the old one had.
        m_buttonHolder = FindChild(WString(u"buttonHolder"));
        m_pageHolder = FindChild(WString(u"pageHolder"));
        SelectTab(m_selectedTabName);
    }
    return result;
}

void LTabControl::OnConditionsChanged(LConditionsParam* conditions)
{
    if (conditions && (conditions->GetChanged() & kConditionVisible) &&
        (conditions->NewConditions & kConditionVisible) && GetRootWindowLink())
    {
        const RCPtr<LControl> self(this);
        if (const RCPtr<LControl> page = GetSelectedPage())
            page->SetFocus(true);
    }
    LPanel::OnConditionsChanged(conditions);
}

QKRESULT LTabControl::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                          const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LPanel>(*this, m_tabHandlers, source, notification);
}

QKRESULT LTabControl::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LPanel>(*this, m_tabHandlers, source, id);
}

} // namespace QK
