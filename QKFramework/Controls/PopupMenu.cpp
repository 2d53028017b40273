// Contents: 1. rows; 2. construction and set-up; 3. items, hot keys and states; 4. rows and
// sizes; 5. hover and submenus; 6. activation; 7. keys, pointer, focus and conditions.
#include "QKFramework/Controls/PopupMenu.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/Input/GlobalHotKeyManager.h"
#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/ControlBase/Input/KeyCode.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/Controls/DropDownControl.h"
#include "QKFramework/Controls/MainMenu.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Notification/NotificationId.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/Renderer/RenderApp.h"
#include "QKFramework/Renderer/MeasurementRenderer.h"
#include "QKFramework/Utilities/Storage/VariantEx.h"

#include <algorithm>
#include <cmath>

namespace QK
{
namespace
{

constexpr std::int32_t kKeyLeft = 0x20250000;
constexpr std::int32_t kKeyRight = 0x20270000;
constexpr std::int32_t kKeyEscape = 0x201B0000;

// Half away from zero.
double Whole(double value)
{
    return std::round(value);
}

} // namespace

// 1. Rows ---------------------------------------------------------------------------------------------

RCPtr<LControl> LMenuListBoxItem::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return nullptr;
    RCPtr<LControl> control(new LMenuListBoxItem(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

bool LMenuListBoxItem::SetItemLook(std::int32_t look, std::int32_t flag)
{
    return LCheckedListBoxItem::SetItemLook(look, flag);
}

// 2. Construction and set-up ----------------------------------------------------------------------

LPopupMenu::~LPopupMenu() = default;

RCPtr<LControl> LPopupMenu::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return nullptr;
    RCPtr<LControl> control(new LPopupMenu(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

QKRESULT LPopupMenu::Initialize()
{
    if (Failed(LCheckedListBox::Initialize()))
        return QK_E_FAIL;
    if (!m_menuHandlers)
        m_menuHandlers = LNotificationHandler<LPopupMenu>::Create(this);
    LayoutToContent();
    SetPopupMode(true);
    SetAutoCheck(false);
    const ConstRCPtr<LStringTable> table = GetStringTable();
    if (!table)
        return QK_FALSE;
    Array<StringPair> entries;
    table->GetEntriesWithPrefix(WString(), entries);
    const ConstRCPtr<LMenuDescriptor> menu = LMenuDescriptor::CreateFromStringTable(entries);
    if (menu && menu->GetItemCount() > 0)
        SetMenuDescriptor(menu.Get());
    return QK_OK;
}

QKRESULT LPopupMenu::InitializeParts()
{
    SetClipToParent(false);
    SetVisible(false);
    LayoutToContent();
    return QK_OK;
}

QKRESULT LPopupMenu::CreateFromDescriptor(const LControlDescriptor* descriptor)
{
    const QKRESULT result = LCheckedListBox::CreateFromDescriptor(descriptor);
    if (Succeeded(result) && m_menu)
        RebuildRows();
    return result;
}

QKRESULT LPopupMenu::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                         const ConstRCPtr<LNotification>& notification)
{
    // A row's hover change is the list's too (it selects the hovered row): the menu looks at
    // it and passes it on.
    static const NID hover = GetNotificationId(kNidHoverConditionChange);
    if (notification && notification->GetId() == hover && dynamic_cast<const LListBoxItem*>(source.Get()))
        OnItemHoverChanged(source, notification);
    return ReceiveThroughTable<LCheckedListBox>(*this, m_menuHandlers, source, notification);
}

QKRESULT LPopupMenu::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LCheckedListBox>(*this, m_menuHandlers, source, id);
}

// 3. Items, hot keys and states ---------------------------------------------------------------------

QKRESULT LPopupMenu::SetMenuDescriptor(const LMenuDescriptor* menu)
{
    if (!menu)
        return QK_E_INVALIDARG;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    CloseSubmenu();
    m_menu = menu->Clone();
    UpdateHotKeyTexts();
    RebuildRows();
    return QK_OK;
}

QKRESULT LPopupMenu::SetCommandTarget(const RCPtr<LNotificationReceiver>& target)
{
    if (!target)
        return QK_E_INVALIDARG;
    if (m_commandTarget)
        return QK_E_FAIL;
    m_commandTarget = target;
    UpdateHotKeyTexts();
    RebuildRows();
    return QK_OK;
}

void LPopupMenu::SetHotKeyManager(const RCPtr<LGlobalHotKeyManager>& manager)
{
    m_hotKeys = manager;
    UpdateHotKeyTexts();
    if (m_menu)
        RebuildRows();
}

LControl* LPopupMenu::GetCommandTargetControl()
{
    if (auto* control = dynamic_cast<LControl*>(m_commandTarget.Get()))
        return control;
    LControl* ancestor = GetParent();
    while (ancestor && dynamic_cast<LPopupMenu*>(ancestor))
        ancestor = ancestor->GetParent();
    return ancestor;
}

RCPtr<LNotificationReceiver> LPopupMenu::FindCommandTarget()
{
    if (m_commandTarget)
        return m_commandTarget;
    return RCPtr<LNotificationReceiver>(GetCommandTargetControl());
}

void LPopupMenu::UpdateHotKeyTexts()
{
    if (!m_menu)
        return;
    UpdateHotKeyTexts(*m_menu, FindCommandTarget());
}

void LPopupMenu::UpdateHotKeyTexts(LMenuDescriptor& menu, const RCPtr<LNotificationReceiver>&)
{
    const LControl* target = GetCommandTargetControl();
    for (std::uint32_t i = 0; i < menu.GetItemCount(); ++i)
    {
        LMenuItemDescriptor* item = menu.GetItem(i);
        if (!item)
            continue;
        KeyCode key;
        if (target)
            key = KeyCode::GetFirstBinding(target->GetKeyBindings(), item->NotificationId);
        IRootWindow* root = GetRootWindowLink();
        const LGlobalHotKeyManager* window = m_hotKeys ? m_hotKeys.Get() : root ? root->GetWindowHotKeys() : nullptr;
        for (const LGlobalHotKeyManager* manager : {window, static_cast<const LGlobalHotKeyManager*>(LControlApp::GetHotKeyManager())})
            if (key.IsNoKey() && manager && KeyCode::LookupBinding(manager->GetBindingMap(), item->NotificationId))
                key = KeyCode::GetFirstBinding(manager->GetBindingMap(), item->NotificationId);
        item->SecondText = key.IsNoKey() ? WString() : KeyCode::Format(key.GetCode());
        if (item->HasSubItems())
            UpdateHotKeyTexts(*item, nullptr);
    }
}

RCPtr<LMenuItemUpdater> LPopupMenu::GetStateTarget()
{
    if (!m_stateTarget)
        if (LControl* control = GetCommandTargetControl())
            m_stateTarget = control->GetMenuItemUpdater();
    return m_stateTarget;
}

void LPopupMenu::UpdateItemStates()
{
    if (!m_menu)
        return;
    const RCPtr<LControl> self(this);
    const RCPtr<LMenuItemUpdater> updater = GetStateTarget();
    for (std::uint32_t i = m_menu->GetItemCount(); i-- > 0;)
    {
        const LMenuItemDescriptor* item = m_menu ? m_menu->GetItem(i) : nullptr;
        if (!item || item->HasSubItems() || item->Separator)
            continue;
        LMenuItemState state;
        m_menu->GetItemState(i, state);
        if (updater && updater->GetControl())
            updater->IsCommandEnabled(m_menu.Get(), i, item->NotificationId, state);
        ApplyItemState(i, state);
    }
}

QKRESULT LPopupMenu::ApplyItemState(std::uint32_t index, const LMenuItemState& state)
{
    LMenuItemDescriptor* item = m_menu ? m_menu->GetItem(index) : nullptr;
    if (!item)
        return QK_E_INVALIDARG;
    if (state.Enabled == item->Enabled && state.Checked == item->Checked && state.Label.IsEqual(item->Label))
        return QK_FALSE;
    if (!item->Separator)
    {
        item->Enabled = state.Enabled;
        if (!item->HasSubItems())
            item->Checked = state.Checked;
    }
    if (!state.Label.IsEqual(item->Label))
    {
        item->Label = state.Label;
        RebuildRows();
    }
    SetItemChecked(index, item->Checked);
    RefreshItem(index);
    return QK_OK;
}

const LMenuItemDescriptor* LPopupMenu::ItemAt(std::int32_t index) const
{
    return MutableItemAt(index);
}

LMenuItemDescriptor* LPopupMenu::MutableItemAt(std::int32_t index) const
{
    return m_menu && index >= 0 ? m_menu->GetItem(static_cast<std::uint32_t>(index)) : nullptr;
}

std::int32_t LPopupMenu::CurrentIndex() const
{
    const std::int32_t caret = GetCaret();
    return caret >= 0 && m_menu && static_cast<std::uint32_t>(caret) < m_menu->GetItemCount() ? caret : -1;
}

// 4. Rows and sizes ------------------------------------------------------------------------------------

void LPopupMenu::CreateItemControl()
{
    LCheckedListBox::CreateItemControl();
    // The menu chooses the box's look itself (unchecked, checked, checked under the pointer).
    if (GetRowCount() > 0)
        if (const RCPtr<LCheckedListBoxItem> row = GetCheckedItem(GetRowCount() - 1))
            if (const RCPtr<LButton> box = row->GetCheckBox())
                box->SetPassive(true);
}

QKRESULT LPopupMenu::UpdateItemControl(std::uint32_t index, std::int32_t& row)
{
    const QKRESULT result = LCheckedListBox::UpdateItemControl(index, row);
    if (Failed(result) || row < 0)
        return result;
    const RCPtr<LCheckedListBoxItem> control = GetCheckedItem(static_cast<std::uint32_t>(row));
    if (!control)
        return result;
    const RCPtr<LControl> hotKey = control->FindChild(WString(u"hotKeyLabel"));
    const LMenuItemDescriptor* item = m_menu ? m_menu->GetItem(index) : nullptr;
    if (!item || index >= GetItemCount())
    {
        if (hotKey)
            hotKey->SetText(WString());
        control->SetEnabled(false);
        control->SelectCheckBoxLook(kCheckLookUnchecked, 1);
        return result;
    }
    if (hotKey)
        hotKey->SetText(item->SecondText);
    control->SetSeparator(item->Separator);
    control->SetEnabled(item->Enabled);
    std::int32_t look = kCheckLookUnchecked;
    if (item->Checked)
        look = (control->GetConditions() & kPointerOver) ? kCheckLookCheckedHover : kCheckLookChecked;
    control->SelectCheckBoxLook(look, 1);
    if (hotKey)
    {
        const std::int32_t rowLook = control->GetCurrentLookIndex();
        if (rowLook >= 0 && hotKey->GetLook(rowLook))
            hotKey->SelectLook(rowLook, true);
    }
    return result;
}

std::uint32_t LPopupMenu::GetContentHeight() const
{
    const std::int64_t items = m_menu ? m_menu->GetItemCount() : 0;
    const std::int64_t height =
        (items - m_separatorCount) * GetItemHeightPixels() + std::int64_t{m_separatorCount} * m_separatorHeight;
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(height, 0, UINT32_MAX));
}

bool LPopupMenu::CanSelectItem(std::uint32_t index) const
{
    const LMenuItemDescriptor* item = m_menu ? m_menu->GetItem(index) : nullptr;
    return item && item->Enabled && !item->Separator;
}

std::int32_t LPopupMenu::GetItemTextWidth(std::uint32_t index)
{
    return UpdateHotKeyLabel(index);
}

std::int32_t LPopupMenu::UpdateHotKeyLabel(std::uint32_t index)
{
    const LMenuItemDescriptor* item = m_menu ? m_menu->GetItem(index) : nullptr;
    LListBoxItem* row = GetRowControl(0);
    if (!item || !row)
        return 0;
    const ConstRCPtr<LMeasurementRenderer> measuring = LRenderApp::GetMeasurementRenderer();
    double text = 0.0;
    if (measuring && row->GetFont())
        text = measuring->MeasureText(GetItemText(static_cast<std::int32_t>(index)), row->GetFont()).width;
    double hotKey = 0.0;
    const RCPtr<LControl> label = row->FindChild(WString(u"hotKeyLabel"));
    if (measuring && label && label->GetFont() && !item->SecondText.IsEmpty())
        hotKey = measuring->MeasureText(item->SecondText, label->GetFont()).width;
    return GetTextMargin() + static_cast<std::int32_t>(Whole(text + hotKey));
}

void LPopupMenu::RebuildRows()
{
    if (!m_menu)
        return;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    const std::uint32_t count = m_menu->GetItemCount();
    SetItemCount(count);
    m_separatorHeight = GetItemHeightPixels();
    if (GetRowCount() > 0)
        if (LListBoxItem* last = GetRowControl(GetRowCount() - 1))
        {
            const bool was = last->IsSeparator();
            last->SetSeparator(true);
            last->Relayout();
            m_separatorHeight = static_cast<std::int32_t>(std::lround(last->GetHeight()));
            last->SetSeparator(was);
        }
    m_separatorCount = 0;
    std::int32_t widest = 0;
    for (std::uint32_t i = 0; i < count; ++i)
    {
        const LMenuItemDescriptor* item = m_menu->GetItem(i);
        if (!item)
            continue;
        SetItemText(i, item->Label);
        SetItemSeparator(i, item->Separator);
        SetItemChecked(i, item->Checked);
        // A row that opens a submenu shows the row template's alternate looks, which carry
        // the submenu mark.
        SetItemAlternate(i, item->HasSubItems());
        if (item->Separator)
            ++m_separatorCount;
        widest = std::max(widest, UpdateHotKeyLabel(i));
    }
    UpdateWidestText();
    UpdateContentExtent();
    // As wide as the widest row with its hot key (never narrower than the skin's minimum),
    // as tall as the rows with their separators.
    if (widest > 0)
        SetContentWidth(GetLookClientRect(-1).x + widest);
    UpdatePopupHeight();
    RebindFrom(0);
}

void LPopupMenu::LayoutToContent()
{
    const RCPtr<LLayoutDescriptor> layout = GetLayoutDescriptor();
    const LControlDescriptor* described = GetControlDescriptor().Get();
    const LLayoutDescriptor* skin = described ? described->Layout.Get() : nullptr;
    if (!layout || !skin)
        return;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    // The size follows the rows between the skin's limits; where the skin gives no minimum,
    // the menu is at least as wide as the skin makes it and one row tall.
    for (std::int32_t axis = 0; axis < 2; ++axis)
    {
        const AxisSpec& own = axis == 0 ? skin->X : skin->Y;
        if (own.MinSize.Abs != 0.0 && own.MaxSize.Abs != 0.0)
            continue;
        LayoutLimit minimum = own.MinSize;
        if (minimum.Abs == 0.0)
        {
            minimum.HasReference = false;
            minimum.Name = WString();
            minimum.Rel = 0.0f;
            minimum.Abs = axis == 0 ? GetWidth() : static_cast<double>(GetItemHeightPixels());
        }
        SetAxisSizeLimits(axis, minimum, own.MaxSize);
    }
    ResetTextMargin();
}

// 5. Hover and submenus -------------------------------------------------------------------------------

LPopupMenu* LPopupMenu::GetParentMenu() const
{
    return dynamic_cast<LPopupMenu*>(GetParent());
}

bool LPopupMenu::IsInMenuChain(const LControl* control) const
{
    if (!control)
        return false;
    for (const LPopupMenu* menu = this; menu; menu = menu->GetParentMenu())
        if (menu == control)
            return true;
    for (const LPopupMenu* menu = m_openSubmenu.Get(); menu; menu = menu->m_openSubmenu.Get())
        if (menu == control)
            return true;
    return false;
}

void LPopupMenu::StartHoverTimer()
{
    m_hoverStart = LControlApp::GetMilliseconds();
    m_hoverPending = true;
    if (!m_idling)
    {
        m_idling = true;
        BeginIdleAnimation();
    }
}

void LPopupMenu::StopHoverTimer()
{
    m_hoverPending = false;
    if (m_idling)
    {
        m_idling = false;
        EndIdleAnimation();
    }
}

void LPopupMenu::BeforeSelectionNotify()
{
    LCheckedListBox::BeforeSelectionNotify();
    if (LPopupMenu* parent = GetParentMenu())
    {
        const RCPtr<LControl> held(parent);
        if (parent->m_openItem && parent->m_menu)
            for (std::uint32_t i = 0; i < parent->m_menu->GetItemCount(); ++i)
                if (parent->m_menu->GetItem(i) == parent->m_openItem && parent->GetCaret() != static_cast<std::int32_t>(i))
                    parent->SelectItemRange(static_cast<std::int32_t>(i), -1, true);
        parent->StopHoverTimer();
    }
    const std::int32_t index = CurrentIndex();
    const LMenuItemDescriptor* item = ItemAt(index);
    if (!item)
        return;
    if (item->HasSubItems() && item != m_openItem)
    {
        // Only the pointer resting on the row opens it; moving there by key does not.
        const std::int32_t row = GetRowOfItem(static_cast<std::uint32_t>(index));
        const LListBoxItem* control = row >= 0 ? GetRowControl(static_cast<std::uint32_t>(row)) : nullptr;
        if (control && (const_cast<LListBoxItem*>(control)->GetConditions() & (kPointerOver | kHover)))
            StartHoverTimer();
    }
    else if (item == m_openItem)
        StopHoverTimer();
    else if (!item->HasSubItems() && m_openSubmenu)
        StartHoverTimer();
}

QKRESULT LPopupMenu::OnItemHoverChanged(const ConstRCPtr<LNotificationDistributor>& source,
                                        const ConstRCPtr<LNotification>& notification)
{
    const auto* conditions = dynamic_cast<const LConditionsParam*>(notification->GetArgument().Get());
    const auto* row = dynamic_cast<const LListBoxItem*>(source.Get());
    if (!conditions || !row)
        return QK_FALSE;
    const std::int32_t index = FindItem(row);
    // A checked item shows its own look while the pointer is over it.
    if (index >= 0 && ((conditions->NewConditions ^ conditions->OldConditions) & kHover))
        RefreshItem(static_cast<std::uint32_t>(index));
    // The hovered item's status text goes to whatever status bar listens on the application's
    // centre (the menu knows none); leaving the row gives the bar its own text back.
    const bool hoverOn = (conditions->NewConditions & kHover) && !(conditions->OldConditions & kHover);
    const bool hoverOff = !(conditions->NewConditions & kHover) && (conditions->OldConditions & kHover);
    const RCPtr<LNotificationCenter> centre = hoverOn || hoverOff ? GetDefaultNotificationCenter() : nullptr;
    if (hoverOn)
    {
        const LMenuItemDescriptor* item = ItemAt(index);
        if (item && !item->ToolTip.IsEmpty() && centre)
            centre->SendNotification(LNotification::Create(
                kNidMenuStatusText, ConstRCPtr<LRefCountedObject>(LWrapperStringable<>::Create(item->ToolTip))));
    }
    else if (hoverOff && centre)
        centre->SendNotification(LNotification::Create(kNidMenuStatusTextRestore, nullptr));
    return QK_FALSE;
}

void LPopupMenu::OnTimer()
{
    LCheckedListBox::OnTimer();
    if (!m_hoverPending)
        return;
    // Unsigned: the difference survives the millisecond counter wrapping.
    if (LControlApp::GetMilliseconds() - m_hoverStart <= kHoverDelayMs)
        return;
    const RCPtr<LControl> self(this);
    CloseSubmenu();
    const std::int32_t index = CurrentIndex();
    const LMenuItemDescriptor* item = ItemAt(index);
    if (item && item->HasSubItems())
        OpenSubmenu(index);
}

QKRESULT LPopupMenu::SetDescriptorFromParentItem(LPopupMenu& parent, std::uint32_t index)
{
    const LMenuItemDescriptor* item = parent.m_menu ? parent.m_menu->GetItem(index) : nullptr;
    if (!item || !item->HasSubItems())
        return QK_E_INVALIDARG;
    m_commandTarget = parent.m_commandTarget;
    m_autoClose = parent.m_autoClose;
    m_stateTarget = parent.m_stateTarget;
    m_hotKeys = parent.m_hotKeys;
    return SetMenuDescriptor(item);
}

QKRESULT LPopupMenu::OpenSubmenu(std::int32_t index)
{
    const LMenuItemDescriptor* item = ItemAt(index);
    if (!item || !item->HasSubItems())
        return QK_E_INVALIDARG;
    const RCPtr<LControl> self(this);
    CloseSubmenu();
    PurgeRemovedChildren();
    LControlFactory* factory = LControlApp::GetControlFactory();
    const ConstRCPtr<LControlDescriptor>& own = GetControlDescriptor();
    if (!factory || !own)
        return QK_E_FAIL;
    const RCPtr<LLayoutDescriptor> layout =
        own->Layout ? own->Layout->Clone() : RCPtr<LLayoutDescriptor>(new LLayoutDescriptor());
    const RCPtr<LControlDescriptor> copy = LControlDescriptor::CreateCopy(*own, layout, WString(u"submenu"));
    m_suppressClose = true;
    const RCPtr<LControl> created = factory->CreateControl(copy.Get(), this);
    RCPtr<LPopupMenu> submenu(dynamic_cast<LPopupMenu*>(created.Get()));
    if (!submenu)
    {
        if (created)
            RemoveChild(created.Get());
        return QK_E_FAIL;
    }
    const QKRESULT described = submenu->SetDescriptorFromParentItem(*this, static_cast<std::uint32_t>(index));
    if (Failed(described))
    {
        RemoveChild(submenu.Get());
        return described;
    }
    m_openSubmenu = submenu;
    m_openItem = item;

    // Beside the row, inside the root window: flipped to the left at the right edge, moved
    // up at the bottom, and never above this menu's top when the window is too short.
    const RectD row = GetItemRect(static_cast<std::uint32_t>(index));
    PointD origin{0.0, 0.0};
    GetPositionInRoot(origin);
    LongPair rootSize{0, 0};
    if (IRootWindow* root = GetRootWindowLink())
        rootSize = root->GetClientSize();
    const double rootX = Whole(origin.x);
    const double rootY = Whole(origin.y);
    const double width = Whole(submenu->GetWidth());
    const double height = Whole(submenu->GetHeight());
    const double right = Whole(row.x + row.width);
    double x = right;
    if (rootSize.first > 0 && rootX + x + width > rootSize.first)
        x = -width;
    if (rootX + x < 0.0)
        x = right;
    double y = Whole(row.y);
    if (rootSize.second > 0 && rootY + y + height > rootSize.second)
        y = rootSize.second - rootY - height;
    if (rootY + y < 0.0)
        y = 0.0;
    const RCPtr<LLayoutDescriptor> placed = submenu->GetLayoutDescriptor();
    if (placed)
    {
        LayoutReference px = placed->X.Position;
        px.Kind = 1;
        px.Name = WString();
        px.Rel = 0.0f;
        px.Abs = x;
        submenu->SetAxisLayout(0, 0.0f, placed->XIsDocked, px, placed->X.Size);
        LayoutReference py = placed->Y.Position;
        py.Kind = 1;
        py.Name = WString();
        py.Rel = 0.0f;
        py.Abs = y;
        submenu->SetAxisLayout(1, 0.0f, placed->YIsDocked, py, placed->Y.Size);
    }
    submenu->SetVisible(true);
    return QK_OK;
}

void LPopupMenu::CloseSubmenu()
{

    StopHoverTimer();
    if (m_openSubmenu)
    {
        const RCPtr<LControl> self(this);
        const RCPtr<LPopupMenu> submenu = m_openSubmenu;
        m_openSubmenu = nullptr;
        m_suppressClose = true;
        submenu->CloseSubmenu();
        submenu->SetVisible(false);
        RemoveChild(submenu.Get());
    }
    m_openItem = nullptr;
}

void LPopupMenu::CloseMenuChain()
{
    m_closing = true;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    if (LPopupMenu* parent = GetParentMenu())
    {
        parent->CloseMenuChain();
        return;
    }
    StopHoverTimer();
    CloseSubmenu();
    if (LControl* parent = GetParent())
        parent->RemoveChild(this);
}

// 6. Activation -----------------------------------------------------------------------------------------

void LPopupMenu::ActivateItem(std::uint32_t index)
{
    const LMenuItemDescriptor* item = ItemAt(static_cast<std::int32_t>(index));
    if (!item || !CanSelectItem(index))
        return;
    const RCPtr<LControl> self(this);
    if (GetCaret() != static_cast<std::int32_t>(index))
        SelectItemRange(static_cast<std::int32_t>(index), -1, true);
    if (item->HasSubItems())
    {
        if (item != m_openItem)
            OpenSubmenu(static_cast<std::int32_t>(index));
        if (const RCPtr<LPopupMenu> submenu = m_openSubmenu)
            for (std::uint32_t i = 0; i < submenu->GetItemCount(); ++i)
                if (submenu->CanSelectItem(i))
                {
                    submenu->SelectItemRange(static_cast<std::int32_t>(i), -1, true);
                    break;
                }
        return;
    }
    if (LPopupMenu* parent = GetParentMenu())
        parent->m_suppressClose = true;
    ActivateItem();
}

void LPopupMenu::ReturnFocusFromMenuBar()
{
    for (LControl* ancestor = GetParent(); ancestor; ancestor = ancestor->GetParent())
        if (auto* bar = dynamic_cast<LMainMenu*>(ancestor))
        {
            const RCPtr<LControl> focus = bar->GetRememberedFocus();
            if (focus && focus->GetRootWindowLink())
                focus->SetFocus(true);
            return;
        }
}

void LPopupMenu::CloseFromKeyboard()
{
    const RCPtr<LControl> self(this);
    if (m_autoClose)
    {
        if (!m_closing)
            CloseMenuChain();
        return;
    }
    // A drop-down's chain (the menu bar's) is closed by its owner: the focus going back to
    // where it was before the menu bar closes it, as a click elsewhere does.
    ReturnFocusFromMenuBar();
    LPopupMenu* outermost = this;
    while (LPopupMenu* parent = outermost->GetParentMenu())
        outermost = parent;
    if (auto* owner = dynamic_cast<LDropDownControl*>(outermost->GetParent()))
    {
        const RCPtr<LControl> held(owner);
        if (owner->IsDroppedDown())
            owner->ShowDropDown(false);
    }
}

bool LPopupMenu::SetVisible(bool show)
{
    // A submenu hangs outside this menu: hidden only with it, it would leave its picture on
    // the window, so it closes while both still show.
    if (!show && m_openSubmenu && IsVisible(true))
    {
        const RCPtr<LControl> self(this);
        CloseSubmenu();
    }
    return LCheckedListBox::SetVisible(show);
}

void LPopupMenu::ActivateItem()
{
    const RCPtr<LControl> self(this);
    ReturnFocusFromMenuBar();
    if (m_autoClose && !m_closing)
        SetVisible(false);
    if (const RCPtr<LNotificationReceiver> target = FindCommandTarget())
    {
        const std::int32_t index = CurrentIndex();
        const LMenuItemDescriptor* item = ItemAt(index);
        // Both notifications carry the menu and the chosen item's index.
        const RCPtr<LMenuActivationParam> param =
            LMenuActivationParam::Create(ConstRCPtr<LMenuDescriptor>(m_menu.Get()), index);
        Send(kNidItemActivated, ConstRCPtr<LRefCountedObject>(param.Get()));
        const ConstRCPtr<LNotification> command =
            item ? LNotification::Create(NotificationName(item->NotificationId), ConstRCPtr<LRefCountedObject>(param.Get()))
                 : nullptr;
        if (command)
            target->ReceiveNotification(nullptr, command);
    }
    if (m_autoClose && !m_closing)
        CloseMenuChain();
}

// 7. Keys, pointer, focus and conditions ---------------------------------------------------------------

QKRESULT LPopupMenu::WantsKey(LKeyParam* key)
{
    if (!key)
        return QK_FALSE;
    const RCPtr<LControl> self(this);
    const std::int32_t code = key->Key.GetCode();
    if (code == kKeyLeft)
    {
        if (const RCPtr<LPopupMenu> parent = RCPtr<LPopupMenu>(GetParentMenu()))
        {
            // Hiding this menu hands the focus it held to its parent.
            parent->CloseSubmenu();
            if (!(parent->GetConditions() & (kHasFocus | kContainsFocus)))
                parent->SetFocus(true);
        }
        return QK_OK;
    }
    if (code == kKeyRight)
    {

        const std::int32_t index = CurrentIndex();
        const LMenuItemDescriptor* item = ItemAt(index);
        if (item && item->HasSubItems())
        {
            if (item != m_openItem)
                OpenSubmenu(index);
            if (const RCPtr<LPopupMenu> submenu = m_openSubmenu)
            {
                for (std::uint32_t i = 0; i < submenu->GetItemCount(); ++i)
                    if (submenu->CanSelectItem(i))
                    {
                        submenu->SelectItemRange(static_cast<std::int32_t>(i), -1, true);
                        break;
                    }
                // Shown under a menu that has the focus, the submenu may hold it already.
                if (!submenu->HasFocus())
                {
                    m_suppressClose = true;
                    submenu->SetFocus(true);
                }
            }
        }
        return QK_OK;
    }
    if (code == kKeyEscape)
    {
        CloseFromKeyboard();
        return QK_OK;
    }
    return LCheckedListBox::WantsKey(key);
}

QKRESULT LPopupMenu::KeyInput(LKeyParam* key)
{
    if (key && TakesInput())
    {
        const std::int32_t code = key->Key.GetCode();
        if (code == kKeyLeft || code == kKeyRight || code == kKeyEscape)
        {
            const RCPtr<LControl> self(this);
            const RCPtr<LKeyParam> held(key);
            return WantsKey(key);
        }
    }
    return LCheckedListBox::KeyInput(key);
}

void LPopupMenu::OnMouseMove(const LPointWithModifiersParam* point)
{
    LCheckedListBox::OnMouseMove(point);
    if (!point || !(GetConditions() & kLeftDrag))
        return;
    const double px = std::clamp(static_cast<double>(point->X), -4503599627370496.0, 4503599627370496.0);
    const double py = std::clamp(static_cast<double>(point->Y), -4503599627370496.0, 4503599627370496.0);
    if (px >= 0.0 && py >= 0.0 && px < GetWidth() && py < GetHeight())
        return;
    IRootWindow* root = GetRootWindowLink();
    if (!root)
        return;
    PointD origin{0.0, 0.0};
    GetPositionInRoot(origin);
    const PointL inRoot{static_cast<std::int32_t>(std::lround(std::clamp(origin.x + px, -2e9, 2e9))),
                        static_cast<std::int32_t>(std::lround(std::clamp(origin.y + py, -2e9, 2e9)))};
    for (LControl* hit = root->FindControlAt(inRoot); hit; hit = hit->GetParent())
        if (auto* menu = dynamic_cast<LPopupMenu*>(hit))
        {
            if (menu != this && IsInMenuChain(menu))
            {
                const RCPtr<LControl> held(menu);
                menu->CaptureMouse();
            }
            return;
        }
}

QKRESULT LPopupMenu::SetFocus(bool forward)
{
    // The focus given again to a menu that holds it (its owner taking the focus back puts it
    // on the branch that holds it) ends an auto-close chain, unless the menu itself moved the
    // focus within the chain (a submenu opened, closed or replaced). Closing on a plain focus
    // loss is OnConditionsChanged's.
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    if (!(GetConditions() & (kHasFocus | kContainsFocus)))
    {
        m_suppressClose = false;
        return LCheckedListBox::SetFocus(forward);
    }
    if (!m_suppressClose && m_autoClose && !m_closing)
        CloseMenuChain();
    m_suppressClose = false;
    return LCheckedListBox::SetFocus(forward);
}

void LPopupMenu::PopUp()
{
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    IRootWindow* root = GetRootWindowLink();
    const RCPtr<LLayoutDescriptor> layout = GetLayoutDescriptor();
    if (root && layout)
    {
        const PointL cursor = root->GetCursorPosition();
        const LongPair size = root->GetClientSize();
        PointD parentOrigin{0.0, 0.0};
        RectD parentClient{0.0, 0.0, 0.0, 0.0};
        if (LControl* parent = GetParent())
        {
            parent->GetPositionInRoot(parentOrigin);
            if (parent->GetLookCount() > 0)
                parentClient = parent->GetLookClientRect(-1);
        }
        const double pointer[2] = {static_cast<double>(cursor.x), static_cast<double>(cursor.y)};
        const double extent[2] = {GetWidth(), GetHeight()};
        const double rootExtent[2] = {static_cast<double>(size.first), static_cast<double>(size.second)};
        const double offset[2] = {parentOrigin.x + parentClient.x, parentOrigin.y + parentClient.y};
        for (std::int32_t axis = 0; axis < 2; ++axis)
        {
            double p = pointer[axis];
            if (p + extent[axis] > rootExtent[axis])
                p = rootExtent[axis] - extent[axis];
            if (p < 0.0)
                p = 0.0;
            const AxisSpec& spec = axis == 0 ? layout->X : layout->Y;
            LayoutReference position = spec.Position;
            position.Kind = 1;
            position.Name = WString();
            position.Rel = 0.0f;
            position.Abs = p - offset[axis];
            SetAxisLayout(axis, 0.0f, axis == 0 ? layout->XIsDocked : layout->YIsDocked, position, spec.Size);
        }
    }
    SetVisible(true);
    if (!HasFocus())
        SetFocus(true);
}

void LPopupMenu::OnConditionsChanged(LConditionsParam* record)
{
    LCheckedListBox::OnConditionsChanged(record);
    if (!record)
        return;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    const std::uint32_t changed = record->GetChanged();
    if (changed & kVisible)
    {
        if (record->NewConditions & kVisible)
        {
            // A menu opens with no row taken: a row kept from the last time would not count
            // as newly hovered, and its submenu would never open under the pointer.
            ClearSelection();
            UpdateItemStates();
        }
        else if (!GetParentMenu())
            CloseSubmenu();
    }
    if ((changed & (kHasFocus | kContainsFocus)) && !GetParentMenu() &&
        !(record->NewConditions & (kHasFocus | kContainsFocus)))
    {
        const RCPtr<LLayoutDescriptor>& layout = GetLayoutDescriptor();
        const bool shown = layout && layout->IsVisible && GetWidth() > 0.0 && GetHeight() > 0.0;
        // Focus handed to a nested popup of this chain passes through "no focus" on the way.
        const bool inChain = IsInMenuChain(GetRootWindowLink() ? GetRootWindowLink()->GetFocusedControl() : nullptr);
        if (shown && m_autoClose && !m_closing && !m_suppressClose && !inChain)
            CloseMenuChain();
    }
}

} // namespace QK
