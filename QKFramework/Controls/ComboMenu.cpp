#include "QKFramework/Controls/ComboMenu.h"

#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/Input/InputEvents.h"

#include <algorithm>
#include <cmath>

namespace QK
{

LComboMenu::~LComboMenu() = default;

RCPtr<LControl> LComboMenu::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return nullptr;
    RCPtr<LControl> control(new LComboMenu(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

RCPtr<LPopupMenu> LComboMenu::GetPopupMenu() const
{
    return RCPtr<LPopupMenu>(dynamic_cast<LPopupMenu*>(FindChild(WString(u"popupMenu")).Get()));
}

QKRESULT LComboMenu::Initialize()
{
    if (Failed(LDropDownControl::Initialize()))
        return QK_E_FAIL;
    const RCPtr<LPopupMenu> popup = GetPopupMenu();
    if (!popup)
        return QK_E_FAIL;
    if (!m_menuHandlers)
        m_menuHandlers = LNotificationHandler<LComboMenu>::Create(this);
    const ConstRCPtr<LNotificationDistributor> source(popup.Get());
    m_menuHandlers->AddHandler(&LComboMenu::OnPopupVisibilityChanged, source, kNidVisibilityConditionChange);
    m_menuHandlers->AddHandler(&LComboMenu::OnPopupItemActivated, source, kNidItemActivated);
    popup->SetAutoClose(false);
    return QK_OK;
}

QKRESULT LComboMenu::InitializeParts()
{
    if (const RCPtr<LPopupMenu> popup = GetPopupMenu())
        if (const RCPtr<LLayoutDescriptor>& layout = popup->GetLayoutDescriptor())
            m_popupOffsetX = layout->X.Position.Abs;
    return QK_OK;
}

bool LComboMenu::IsDroppedDown()
{
    const RCPtr<LPopupMenu> popup = GetPopupMenu();
    return popup && popup->IsVisible(false) && popup->GetWidth() > 0.0 && popup->GetHeight() > 0.0;
}

std::int32_t LComboMenu::RestingLook()
{
    const bool over = (GetConditions() & kPointerOver) != 0;
    if (HasFocus() && GetLook(kLookFocused) && GetLook(kLookFocusedHover))
        return over ? kLookFocusedHover : kLookFocused;
    return over ? kLookHover : kLookNormal;
}

QKRESULT LComboMenu::ShowDropDown(bool show)
{
    const RCPtr<LPopupMenu> popup = GetPopupMenu();
    if (!popup)
        return QK_E_FAIL;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    if (show)
    {
        // The popup's X in the top control's coordinates, kept inside its width.
        PointD origin{0.0, 0.0};
        GetPositionInRoot(origin);
        LControl* top = GetRootControl();
        const double topWidth = top ? top->GetWidth() : 0.0;
        double x = origin.x + m_popupOffsetX;
        if (x + popup->GetWidth() > topWidth)
            x = std::max(0.0, topWidth - popup->GetWidth());
        const double absolute = x - origin.x;
        const RCPtr<LLayoutDescriptor> layout = popup->GetLayoutDescriptor();
        if (layout && layout->X.Position.Abs != absolute)
        {
            LayoutReference position = layout->X.Position;
            position.Abs = absolute;
            popup->SetAxisLayout(0, layout->X.PlacementAnchor, layout->XIsDocked, position, layout->X.Size);
        }
    }
    popup->SetVisible(show);
    if (show)
    {
        popup->SetFocus(true);
        SelectLook(kLookOpen, true);
        if (GetConditions() & kLeftButtonDown)
        {
            const PointL press{static_cast<std::int32_t>(std::lround(m_pressX)),
                               static_cast<std::int32_t>(std::lround(m_pressY))};
            popup->CaptureMouse(LMouseButtonParam::kLeft, press);
        }
    }
    else
        SelectLook(RestingLook(), true);
    return QK_OK;
}

void LComboMenu::OnConditionsChanged(LConditionsParam* record)
{
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    if (IsEnabled(true))
        SelectLook(IsDroppedDown() ? kLookOpen : RestingLook(), true);
    else
        SelectLook(kLookDisabled, true);
    if (record && (record->GetChanged() & kPointerOver) && (record->NewConditions & kPointerOver) && GetParent())
    {
        LControl::ChildControlList& siblings = GetParent()->GetChildren();
        for (std::uint32_t i = siblings.GetCount(); i-- > 0;)
        {
            auto* other = dynamic_cast<LComboMenu*>(siblings.GetAt(i).Get());
            if (!other || !other->IsDroppedDown())
                continue;
            if (other != this)
            {
                const RCPtr<LControl> held(other);
                other->GetPopupMenu()->SetVisible(false);
                other->SelectLook(other->RestingLook(), true);
                ShowDropDown(true);
            }
            break;
        }
    }
    if (record && (record->NewConditions & kLeftButtonDown) && !(record->OldConditions & kLeftButtonDown))
        if (const RCPtr<LPopupMenu> popup = GetPopupMenu())
        {
            m_pressX = record->X - popup->GetBounds().x;
            m_pressY = record->Y - popup->GetBounds().y;
        }
    LDropDownControl::OnConditionsChanged(record);
}

QKRESULT LComboMenu::OnPopupItemActivated(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>&)
{
    if (const RCPtr<LPopupMenu> popup = GetPopupMenu())
        popup->SetVisible(false);
    SelectLook(RestingLook(), true);
    return QK_FALSE;
}

QKRESULT LComboMenu::OnPopupVisibilityChanged(const ConstRCPtr<LNotificationDistributor>&,
                                              const ConstRCPtr<LNotification>&)
{
    SelectLook(IsDroppedDown() ? kLookOpen : RestingLook(), true);
    return QK_OK;
}

QKRESULT LComboMenu::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                         const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LDropDownControl>(*this, m_menuHandlers, source, notification);
}

QKRESULT LComboMenu::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LDropDownControl>(*this, m_menuHandlers, source, id);
}

} // namespace QK
