// Contents:
//   1. Child list: adding, removing, the tab and z orders.
//   2. Construction, teardown, parent and root window, closing and queued removal.
//   3. Value, value range, text, string table, tooltips and context menu.
//   4. Creation from the skin: descriptor, children, Initialize, create parameters, fonts.
//   5. Conditions: the set, UpdateConditions, enabled and visible.
//   6. Looks: opacities, client rectangles, regions, look overrides.
//   7. Input: what remains here of it (drop targets, files); the rest is in ControlInput.cpp.
// Layout and geometry are in ControlLayout.cpp; painting, invalidation and hit testing in
// ControlPaint.cpp.
#include "QKFramework/ControlBase/Control.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/ControlPopups.h"
#include "QKFramework/ControlBase/Input/GlobalHotKeyManager.h"
#include "QKFramework/ControlBase/MenuItemUpdater.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenter.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Notification/NotificationQueue.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Renderer/Renderer.h"

#include <algorithm>
#include <cmath>

namespace QK
{

using namespace ControlDetail;

namespace
{

constexpr std::string_view kSource = "ControlBase\\Control";

std::int32_t TabStopOf(const LControl& control)
{
    const auto& layout = control.GetLayoutDescriptor();
    return layout ? layout->TabStop : 0;
}

bool SameFont(const ConstRCPtr<LFont>& a, const ConstRCPtr<LFont>& b)
{
    if (!a || !b)
        return a.Get() == b.Get();
    return a->GetName().IsEqual(b->GetName()) && a->GetSize() == b->GetSize() && a->GetStyle() == b->GetStyle();
}

} // namespace

// 1. Child list ---------------------------------------------------------------------------------

LControl::ChildControlList::~ChildControlList() = default;

// The const and the modifiable GetAt are one lookup; each names its own lines in its errors.
std::uint32_t LControl::ChildControlList::StoredIndex(std::uint32_t index, std::int32_t order, int pastEndLine,
                                                      int unknownOrderLine) const
{
    if (index >= m_children.GetCount())
        Throw<std::runtime_error>(ThrowSite{"QK::LControl::ChildControlList::GetAt", kSource, pastEndLine});
    switch (order)
    {
    case kInsertionOrder:
        return index;
    case kZOrder:
        SortIfNeeded();
        return m_zOrder[index];
    case kTabOrder:
        SortIfNeeded();
        return m_tabOrder[index];
    default:
        Throw<std::runtime_error>(ThrowSite{"QK::LControl::ChildControlList::GetAt", kSource, unknownOrderLine});
    }
}

const RCPtr<LControl>& LControl::ChildControlList::GetAt(std::uint32_t index, std::int32_t order) const
{
    // Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
    return *m_children.GetAt(StoredIndex(index, order, 3356, 3376));
}

RCPtr<LControl>& LControl::ChildControlList::GetAt(std::uint32_t index, std::int32_t order)
{
    // Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
    return *m_children.GetAt(StoredIndex(index, order, 3384, 3404));
}

std::int32_t LControl::ChildControlList::FindByName(const WString& name) const
{
    for (std::uint32_t i = m_children.GetCount(); i-- > 0;)
    {
        const RCPtr<LControl>& child = *m_children.GetAt(i);
        if (child && child->m_name.IsEqual(name))
            return static_cast<std::int32_t>(i);
    }
    return -1;
}

RCPtr<LControl> LControl::ChildControlList::GetAt(const WString& name) const
{
    const std::int32_t index = FindByName(name);
    return index < 0 ? nullptr : *m_children.GetAt(static_cast<std::uint32_t>(index));
}

std::int32_t LControl::ChildControlList::IndexOf(const LControl* child) const
{
    for (std::uint32_t i = m_children.GetCount(); i-- > 0;)
        if (m_children.GetAt(i)->Get() == child)
            return static_cast<std::int32_t>(i);
    return -1;
}

void LControl::ChildControlList::SortIfNeeded() const
{
    if (m_sortedGeneration == m_generation && m_tabOrder.size() == m_children.GetCount())
        return;
    const std::uint32_t count = m_children.GetCount();
    m_tabOrder.resize(count);
    m_zOrder.resize(count);
    for (std::uint32_t i = 0; i < count; ++i)
        m_tabOrder[i] = m_zOrder[i] = i;
    const auto child = [this](std::uint32_t i) -> const LControl& { return **m_children.GetAt(i); };
    std::stable_sort(m_tabOrder.begin(), m_tabOrder.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return TabStopOf(child(a)) < TabStopOf(child(b)); });
    std::stable_sort(m_zOrder.begin(), m_zOrder.end(),
                     [&](std::uint32_t a, std::uint32_t b)
                     {
                         const LControl& ca = child(a);
                         const LControl& cb = child(b);
                         const bool clipA = ClipsToParent(ca);
                         const bool clipB = ClipsToParent(cb);
                         if (clipA != clipB)
                             return clipA;
                         if (DockedAxes(ca) != DockedAxes(cb))
                             return DockedAxes(ca) < DockedAxes(cb);
                         return ZOrderOf(ca) < ZOrderOf(cb);
                     });
    m_sortedGeneration = m_generation;
}

QKRESULT LControl::ChildControlList::Add(const RCPtr<LControl>& child)
{
    if (!child)
        return QK_E_INVALIDARG;
    if (FindByName(child->m_name) >= 0)
        return QK_E_FAIL;
    // Unit by unit, so that every ancestor sees each descendant that draws outside it.
    for (std::int32_t i = 0; i < child->m_unclippedCount; ++i)
        m_owner->IncrementUnclippedCount();
    if (!ClipsToParent(*child))
        m_owner->IncrementUnclippedCount();
    m_owner->AddInternalReferences(1);
    child->m_parent = m_owner;
    m_children.Add(child);
    ++m_generation;
    return QK_OK;
}

std::int32_t LControl::ChildControlList::Remove(LControl* child)
{
    const std::int32_t index = IndexOf(child);
    if (index < 0)
        return -1;
    const RCPtr<LControl> held(child);
    for (std::int32_t i = 0; i < child->m_unclippedCount; ++i)
        m_owner->DecrementUnclippedCount();
    if (!ClipsToParent(*child))
        m_owner->DecrementUnclippedCount();
    // The internal reference goes before the reference itself, so that releasing it does not
    // look like the owner's last outside release.
    m_owner->AddInternalReferences(-1);
    child->m_parent = nullptr;
    m_children.RemoveRange(static_cast<std::uint32_t>(index), 1);
    ++m_generation;
    m_owner->OnChildrenChanged(child, index);
    return index;
}

void LControl::ChildControlList::RemoveAll()
{
    for (std::uint32_t i = m_children.GetCount(); i-- > 0;)
    {
        if (i >= m_children.GetCount())
            continue;
        Remove(m_children.GetAt(i)->Get());
    }
}

QKRESULT LControl::ChildControlList::RenameChild(const RCPtr<LControl>& child, const WString& name)
{
    if (!child)
        return QK_E_INVALIDARG;
    if (child->m_name.IsEqual(name))
        return QK_FALSE;
    std::int32_t index = -1;
    for (std::uint32_t i = m_children.GetCount(); i-- > 0;)
    {
        const LControl* other = m_children.GetAt(i)->Get();
        if (other == child.Get())
            index = static_cast<std::int32_t>(i);
        else if (other && other->m_name.IsEqual(name))
            return QK_E_FAIL;
    }
    if (index < 0)
        return QK_E_INVALIDARG;
    const WString oldName = child->m_name;
    child->m_name = name;
    // Only later siblings can lay out against it: a layout names controls made before it.
    for (std::uint32_t i = static_cast<std::uint32_t>(index) + 1; i < m_children.GetCount(); ++i)
        if (const RCPtr<LLayoutDescriptor>& layout = (*m_children.GetAt(i))->m_layout)
            layout->RenameLayoutReference(oldName, name);
    return QK_OK;
}

void LControl::ChildControlList::TakeAll(RCPtrArray<LControl>& out)
{
    for (std::uint32_t i = 0; i < m_children.GetCount(); ++i)
        out.Add(*m_children.GetAt(i));
    RemoveAll();
}

// 2. Construction, teardown, parent and root window ------------------------------------------------

LControl::LControl(LControl* parent, const WString& name)
    : m_name(name), m_conditions(LConditionsParam::Create(0, 0, 0.0, 0.0)), m_children(this)
{
    if (parent)
        SetParent(this, parent);
    if (const LControlFactory* factory = LControlApp::GetControlFactory())
        m_stringTable = factory->GetControlStringTable(parent, name);
}

LControl::~LControl()
{
    WithdrawContextMenuHotKeys();
}

QKRESULT LControl::ReleaseInternalReferences()
{
    // What the teardown sets off below (children leaving, subscriptions withdrawn) must not
    // reach handlers of a control that is coming apart.
    m_alive = false;
    WithdrawContextMenuHotKeys();
    DetachAllClients();
    if (m_menuItemUpdater)
    {
        m_menuItemUpdater->ClearControl();
        m_menuItemUpdater = nullptr;
    }
    m_children.RemoveAll();
    UnsubscribeAll();
    return (GetInternalRefCount() == 0 && GetRefCount() == 1) ? QK_OK : QK_E_FAIL;
}

QKRESULT LControl::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                       const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LNotificationClient>(*this, m_handlers, source, notification);
}

QKRESULT LControl::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LNotificationClient>(*this, m_handlers, source, id);
}

QKRESULT LControl::SetParent(LControl* child, LControl* parent)
{
    if (!child)
        return QK_E_INVALIDARG;
    if (child->m_parent.Get() == parent)
        return QK_FALSE;
    // A control still in its constructor has no reference yet, and must not be freed by
    // letting one go here.
    const RCPtr<LControl> held = child->GetRefCount() > 0 ? RCPtr<LControl>(child) : nullptr;
    if (parent)
    {
        parent->PurgeRemovedChildren();
        // Checked before the child leaves: a refused child stays where it was.
        if (parent->m_children.GetAt(child->m_name))
            return QK_E_FAIL;
    }
    if (LControl* oldParent = child->m_parent.Get())
    {
        child->Invalidate(RectD{0.0, 0.0, child->m_bounds.width, child->m_bounds.height}, ClipsToParent(*child));
        oldParent->m_children.Remove(child);
    }
    else if (child->m_rootWindow)
    {
        child->m_rootWindow = nullptr;
    }
    if (parent)
        return parent->m_children.Add(RCPtr<LControl>(child)) == QK_OK ? QK_OK : QK_E_FAIL;
    return QK_OK;
}

QKRESULT LControl::SetRootWindow(IRootWindow* rootWindow)
{
    if (m_parent)
        return QK_E_FAIL;
    m_rootWindow = rootWindow;
    if (m_rootWindow)
    {
        m_rootWindow->SetTitle(m_text);
        RegisterNotifications();
    }
    return QK_OK;
}

IRootWindow* LControl::GetRootWindowLink() const
{
    const LControl* top = this;
    while (top->m_parent)
        top = top->m_parent.Get();
    return top->m_rootWindow.Get();
}

QKRESULT LControl::AttachChild(const RCPtr<LControl>& child, const LControlDescriptor* descriptor)
{
    if (!child || !descriptor)
        return QK_E_FAIL;
    const RCPtr<LControl> self(this);
    const QKRESULT result = SetParent(child.Get(), this);
    child->CreateFromDescriptor(descriptor);
    return result;
}

QKRESULT LControl::Close()
{
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    WithdrawContextMenuHotKeys();
    if (!m_parent)
        CloseChildren();
    SetVisible(false);
    SetClipToParent(true);
    if (m_flags.captured)
        ReleaseCapture();
    while (m_idleUsers > 0)
        EndIdleAnimation();
    if (m_parent)
        SetParent(this, nullptr);
    else
        SetRootWindow(nullptr);
    return QK_OK;
}

QKRESULT LControl::CloseChildren()
{
    QKRESULT result = QK_OK;
    for (std::uint32_t i = m_children.GetCount(); i-- > 0;)
    {
        if (i >= m_children.GetCount())
            continue;
        const RCPtr<LControl> child = m_children.GetAt(i);
        result = child->CloseChildren();
    }
    return result;
}

QKRESULT LControl::RemoveChild(LControl* child)
{
    if (!child || child->m_parent.Get() != this)
        return QK_E_INVALIDARG;
    const RCPtr<LControl> held(child);
    if (child->m_flags.captured)
        child->ReleaseCapture();
    child->SetVisible(false);
    const bool first = m_pendingRemovals.GetCount() == 0;
    if (Failed(m_pendingRemovals.Add(held)))
        return QK_E_INVALIDARG;
    if (first)
        BeginIdleAnimation();
    return QK_OK;
}

QKRESULT LControl::PurgeRemovedChildren()
{
    if (m_pendingRemovals.GetCount() == 0)
        return QK_OK;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    while (m_pendingRemovals.GetCount() > 0)
    {
        const RCPtr<LControl> child = *m_pendingRemovals.GetAt(0);
        m_pendingRemovals.RemoveRange(0, 1);
        // A child that found another parent meanwhile is no longer this control's to close.
        if (child && child->m_parent.Get() == this)
            child->Close();
    }
    EndIdleAnimation();
    return QK_OK;
}

RCPtr<LMenuItemUpdater> LControl::GetMenuItemUpdater()
{
    if (!m_menuItemUpdater)
    {
        m_menuItemUpdater = RCPtr<LMenuItemUpdater>(new LMenuItemUpdater(this));
        AddInternalReferences(1);
    }
    return m_menuItemUpdater;
}

void LControl::IncrementUnclippedCount()
{
    for (LControl* control = this; control; control = control->m_parent.Get())
        ++control->m_unclippedCount;
}

void LControl::DecrementUnclippedCount()
{
    for (LControl* control = this; control; control = control->m_parent.Get())
        --control->m_unclippedCount;
}

// 3. Value, range, text, string table, tooltips, context menu ------------------------------------------

double LControl::SetValue(double value)
{
    // Not a number has no place in 0..1: the value stays and nothing is sent.
    if (std::isnan(value))
        return m_value;
    const double clamped = value < 0.0 ? 0.0 : (value > 1.0 ? 1.0 : value);
    if (m_value == clamped)
        return m_value;
    m_value = clamped;
    OnValueChanged();
    Send(kNidValueChange, LValueParam::Create(m_value, FractionToValue(m_value)));
    return m_value;
}

QKRESULT LControl::SetValueRange(double minimum, double maximum, std::int32_t scale)
{
    if (scale != 0 && scale != 1)
        return QK_E_INVALIDARG;
    if (scale == 1 && !(minimum > 0.0 && maximum > 0.0))
        return QK_E_INVALIDARG;
    m_rangeMinimum = minimum;
    m_rangeMaximum = maximum;
    m_rangeScale = scale;
    return QK_OK;
}

double LControl::FractionToValue(double fraction) const
{
    if (m_rangeScale == 1)
        return m_rangeMinimum * std::pow(m_rangeMaximum / m_rangeMinimum, fraction);
    return m_rangeMinimum + (m_rangeMaximum - m_rangeMinimum) * fraction;
}

double LControl::ValueToFraction(double value) const
{
    const double low = std::min(m_rangeMinimum, m_rangeMaximum);
    const double high = std::max(m_rangeMinimum, m_rangeMaximum);
    value = std::clamp(value, low, high);
    if (m_rangeMinimum == m_rangeMaximum)
        return 0.0;
    if (m_rangeScale == 1)
        return std::log(value / m_rangeMinimum) / std::log(m_rangeMaximum / m_rangeMinimum);
    return (value - m_rangeMinimum) / (m_rangeMaximum - m_rangeMinimum);
}

QKRESULT LControl::SetText(const WString& text)
{
    return SetTextInternal(text, true) ? QK_OK : QK_FALSE;
}

bool LControl::SetTextInternal(const WString& text, bool relayout)
{
    if (m_text.IsEqual(text))
        return false;
    if (!m_parent && m_rootWindow)
        m_rootWindow->SetTitle(text);
    m_text = text;
    for (std::uint32_t i = m_looks.GetCount(); i-- > 0;)
        if (const RCPtr<LLook>& look = *m_looks.GetAt(i))
            look->SetText(text);
    if (relayout && m_layout && (m_layout->TextOverflowX != 0 || m_layout->TextOverflowY != 0))
        Relayout();
    InvalidateWhole();
    return true;
}

ConstRCPtr<LStringTable> LControl::GetStringTable() const
{
    return ConstRCPtr<LStringTable>(m_stringTable.Get());
}

WString LControl::GetSkinParam(const WString& name) const
{
    WString text;
    if (const ConstRCPtr<LStringTable> table = GetStringTable())
        FindStringMapValue(*table, name.GetString(), text);
    return text;
}

RCPtr<LControl> LControl::GetCommandTarget()
{
    if (IsCommandTarget())
        return RCPtr<LControl>(this);
    if (m_parent)
        return m_parent->GetCommandTarget();
    return LControlApp::GetDefaultCommandTarget();
}

bool LControl::HandleClipboardData(std::int32_t)
{
    return false;
}

QKRESULT LControl::PerformEdit(std::int32_t)
{
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    Throw<std::logic_error>(ThrowSite{"QK::LControl::PerformEdit", "ControlBase/Control", 591},
                            "LControl::PerformEdit must be overridden");
}

std::int32_t LControl::IsCommandEnabled(const LMenuDescriptor*, std::uint32_t, const WString&, LMenuItemState&)
{
    return 1;
}

const ConstRCPtr<LMenuDescriptor>& LControl::GetContextMenu() const
{
    return m_contextMenu;
}

namespace
{

// Every plain item's notification name of menu and its submenus.
void CollectItemNotifications(const LMenuDescriptor& menu, std::vector<WString>& names)
{
    for (std::uint32_t i = 0; i < menu.GetItemCount(); ++i)
    {
        const LMenuItemDescriptor& item = *menu.GetItem(i);
        if (!item.NotificationId.IsEmpty())
            names.push_back(item.NotificationId);
        CollectItemNotifications(item, names);
    }
}

// Hears the context menu's hot keys for its control: an item's notification is sent through
// the control's root window when the window knows it (binds a key of its own to it), and
// posted to the application's notification centre otherwise. The control forgets it before
// it goes, and nothing of the control is touched once the notification is on its way.
class ContextMenuHotKeyRoute final : public LNotificationReceiver
{
public:
    explicit ContextMenuHotKeyRoute(LControl* control) : m_control(control) {}

    void Forget() noexcept { m_control = nullptr; }

    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>&,
                                 const ConstRCPtr<LNotification>& notification) override
    {
        if (!m_control || !notification)
            return QK_FALSE;
        const WString name = GetNotificationName(notification->GetId());
        IRootWindow* root = m_control->GetRootWindowLink();
        const LGlobalHotKeyManager* windowKeys = root ? root->GetWindowHotKeys() : nullptr;
        if (windowKeys && KeyCode::LookupBinding(windowKeys->GetBindingMap(), name))
        {
            const ConstRCPtr<LNotificationDistributor> window(root);
            window->SendNotification(notification);
        }
        else if (const LGlobalHotKeyManager* application = LControlApp::GetHotKeyManager())
        {
            if (const RCPtr<LNotificationReceiver> centre = application->GetTarget())
                centre->ReceiveNotification(nullptr, notification);
        }
        return QK_FALSE;
    }

    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>&, NID) override { return QK_OK; }

private:
    LControl* m_control;
};

} // namespace

void LControl::SetContextMenu(const ConstRCPtr<LMenuDescriptor>& menu)
{
    WithdrawContextMenuHotKeys();
    m_contextMenu = menu;
    LGlobalHotKeyManager* manager = LControlApp::GetHotKeyManager();
    if (!menu || !manager)
        return;
    std::vector<WString> names;
    CollectItemNotifications(*menu, names);
    const RCPtr<LNotificationReceiver> route(new ContextMenuHotKeyRoute(this));
    for (const WString& name : names)
    {
        const Array<KeyCode> keys = KeyCode::GetBindings(m_keyBindings, name);
        for (std::uint32_t i = 0; i < keys.GetCount(); ++i)
        {
            // Only what this menu added is withdrawn later: a binding the application
            // already had stays its own.
            if (manager->AddBinding(*keys.GetAt(i), name, route) == QK_OK)
                m_contextMenuHotKeys.emplace_back(*keys.GetAt(i), name);
        }
    }
    if (!m_contextMenuHotKeys.empty())
        m_contextMenuRoute = route;
}

void LControl::WithdrawContextMenuHotKeys()
{
    if (const RCPtr<LNotificationReceiver> route = std::move(m_contextMenuRoute))
        static_cast<ContextMenuHotKeyRoute*>(route.Get())->Forget();
    if (m_contextMenuHotKeys.empty())
        return;
    if (LGlobalHotKeyManager* manager = LControlApp::GetHotKeyManager())
    {
        for (const auto& [key, name] : m_contextMenuHotKeys)
            manager->RemoveBinding(key, name);
    }
    m_contextMenuHotKeys.clear();
}

QKRESULT LControl::BuildContextMenu(ConstRCPtrArray<LMenuDescriptor>& menus) const
{
    const ConstRCPtr<LStringTable> table = GetStringTable();
    if (!table)
        return QK_FALSE;
    static const WString kPrefix(u"CONTEXT_MENU");
    Array<StringPair> entries;
    WString single = kPrefix;
    single.AppendChar(u'.');
    table->GetEntriesWithPrefix(single, entries);
    if (entries.GetCount() > 0)
    {
        for (std::uint32_t i = 0; i < entries.GetCount(); ++i)
            entries.GetAt(i)->key = entries.GetAt(i)->key.MidFrom(static_cast<std::int32_t>(single.GetLength()));
        menus.Add(LMenuDescriptor::CreateFromStringTable(entries));
        return QK_FALSE;
    }
    table->GetEntriesWithPrefix(kPrefix, entries);
    // Groups by the key before its first "."; the entries come in key order, and so do
    // the groups of a std::map.
    std::map<WString, Array<StringPair>> groups;
    for (std::uint32_t i = 0; i < entries.GetCount(); ++i)
    {
        const StringPair& entry = *entries.GetAt(i);
        const std::int32_t dot = entry.key.Find(WString(u"."));
        if (dot < 0)
            continue;
        groups[entry.key.Left(dot)].Add(StringPair{entry.key.MidFrom(dot + 1), entry.value});
    }
    for (const auto& [group, list] : groups)
        menus.Add(LMenuDescriptor::CreateFromStringTable(list));
    return QK_FALSE;
}

WString LControl::GetToolTipText() const
{
    return m_toolTipText;
}

QKRESULT LControl::ShowToolTip(bool show)
{
    if (!show)
    {
        const RCPtr<LControl> tip = m_children.GetAt(WString(u"toolTip"));
        if (auto* toolTip = dynamic_cast<IToolTipControl*>(tip.Get()))
            toolTip->Hide();
        return QK_OK;
    }
    const WString text = GetToolTipText();
    if (text.IsEmpty())
        return QK_OK;
    const LControlFactory* factory = LControlApp::GetControlFactory();
    const RCPtr<LControlDescriptor> descriptor =
        factory ? factory->FindSubControlDescriptor(WString(u"toolTip")) : nullptr;
    if (!descriptor)
        return QK_OK;
    const RCPtr<LControl> tip = factory->CreateControl(descriptor.Get(), this);
    if (auto* toolTip = dynamic_cast<IToolTipControl*>(tip.Get()))
        toolTip->Show(text);
    return QK_OK;
}

QKRESULT LControl::ShowContextMenu(const LMenuDescriptor* menu)
{
    const LControlFactory* factory = LControlApp::GetControlFactory();
    const RCPtr<LControlDescriptor> descriptor =
        factory ? factory->FindSubControlDescriptor(WString(u"contextMenu")) : nullptr;
    // Without a popup menu in the skin there is nothing to show.
    if (!descriptor)
        return QK_OK;
    const RCPtr<LControl> previous = m_children.GetAt(WString(u"contextMenu"));
    const RCPtr<LControl> created = factory->CreateControl(descriptor.Get(), this);
    auto* popup = dynamic_cast<IPopupMenuControl*>(created.Get());
    if (!popup)
    {
        // Something else was made of the description: it shows nothing and does not stay.
        if (created && created->m_parent.Get() == this)
            RemoveChild(created.Get());
        return QK_OK;
    }
    created->SetVisible(false);
    popup->SetMenuDescriptor(menu);
    OnContextMenuPopup(popup);
    popup->PopUp();
    return QK_OK;
}

// 4. Creation from the skin ---------------------------------------------------------------------

void LControl::ReadLooks(const LControlDescriptor& descriptor)
{
    m_looks.SetCount(0);
    m_lookOpacities.clear();
    const LLookList* list = descriptor.Skin ? descriptor.Skin->LookList.Get() : nullptr;
    const bool wrap = m_layout && m_layout->TextOverflowX == 2;
    for (std::uint32_t i = 0; list && i < list->GetCount(); ++i)
    {
        const RCPtr<LLookDescriptor>& lookDescriptor = *list->GetAt(i);
        RCPtr<LLook> look;
        if (lookDescriptor)
        {
            look = RCPtr<LLook>(new LLook());
            look->InitFromDescriptor(ConstRCPtr<LLookDescriptor>(lookDescriptor.Get()), wrap);
        }
        AddLook(look);
    }
}

void LControl::ApplyDescriptorFont(const LControlDescriptor& descriptor)
{
    const LSkinDescriptor* skin = descriptor.Skin.Get();
    m_fontInheritsFromParent = skin && skin->FontInheritsFromParent;
    m_fontSizeIsRelative = skin && skin->FontSizeIsRelative;
    SetFontSpec(skin ? skin->FontName : WString(), skin ? skin->FontSize : 0.0f, skin ? skin->FontStyle : -1,
                false);
}

void LControl::RecordConditionsSilently()
{
    m_conditions->OldConditions = m_conditions->NewConditions;
    m_conditions->NewConditions = GetConditions();
    m_conditions->X = m_downPoint.x;
    m_conditions->Y = m_downPoint.y;
}

QKRESULT LControl::CreateFromDescriptor(const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return QK_E_INVALIDARG;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    const bool reskin = m_created;
    bool oldVisible = true;
    bool oldEnabled = true;
    if (reskin)
    {
        if (m_layout)
        {
            oldVisible = m_layout->IsVisible;
            oldEnabled = m_layout->IsEnabled;
        }
        SetClipToParent(true);
    }

    // The read-only holder takes a reference; the description itself is never changed here.
    m_descriptor = ConstRCPtr<LControlDescriptor>(const_cast<LControlDescriptor*>(descriptor));
    m_layout = descriptor->Layout ? descriptor->Layout->Clone() : RCPtr<LLayoutDescriptor>(new LLayoutDescriptor());
    if (m_rootWindow)
        m_layout->IsVisible = true;
    ReadLooks(*descriptor);

    if (reskin)
    {
        if (m_rootWindow)
        {
            const double width = std::clamp(m_bounds.width, -kUnbounded, kUnbounded);
            const double height = std::clamp(m_bounds.height, -kUnbounded, kUnbounded);
            OnReskinTopControl(width, height);
            AxisSpec x = m_layout->X;
            AxisSpec y = m_layout->Y;
            x.Position = LayoutReference{1, WString(), 0.0f, 0.0};
            y.Position = LayoutReference{1, WString(), 0.0f, 0.0};
            x.Size = LayoutReference{2, WString(), 0.0f, width};
            y.Size = LayoutReference{2, WString(), 0.0f, height};
            SetLayout(x, y);
        }
        const bool newVisible = m_layout->IsVisible;
        if (newVisible != oldVisible)
        {
            m_layout->IsVisible = oldVisible;
            SetVisible(newVisible);
        }
        m_layout->IsEnabled = oldEnabled;
        ApplyNotFocusableParam();
        ApplyDescriptorFont(*descriptor);
        const WString text = m_text;
        m_text = WString();
        SetTextInternal(text, false);
        if (!m_layout->ClipToParent && m_parent)
            m_parent->IncrementUnclippedCount();

        RCPtrArray<LControl> previous;
        m_children.TakeAll(previous);
        m_bounds = RectD{};
        Relayout();
        m_relayoutSuppressed = true;
        for (std::uint32_t i = 0; i < descriptor->Children.GetCount(); ++i)
        {
            const RCPtr<LControlDescriptor>& childDescriptor = *descriptor->Children.GetAt(i);
            if (!childDescriptor)
                continue;
            for (std::uint32_t j = 0; j < previous.GetCount(); ++j)
            {
                const RCPtr<LControl> child = *previous.GetAt(j);
                if (child && child->m_name.IsEqual(childDescriptor->Name))
                {
                    previous.RemoveRange(j, 1);
                    AttachChild(child, childDescriptor.Get());
                    break;
                }
            }
        }
        m_relayoutSuppressed = false;
        if (m_children.GetCount() > 0)
            Relayout();
        UpdateConditions();
        InitializeParts();
        m_children.IncrementGeneration();
        if (m_rootWindow)
        {
            SetLayout(m_layout->X, m_layout->Y);
            InvalidateWhole();
        }
        return QK_OK;
    }

    ApplyDescriptorFont(*descriptor);
    if (m_stringTable)
    {
        WString label;
        FindStringMapValue(*m_stringTable, u"LABEL", label);
        SetTextInternal(label, false);
    }
    if (!m_layout->ClipToParent && m_parent)
        m_parent->IncrementUnclippedCount();
    m_children.RemoveAll();
    m_bounds = RectD{};
    Relayout();
    SelectLook(0, true);
    RecordConditionsSilently();
    return QK_OK;
}

QKRESULT LControl::CreateChildControls(const LControlDescriptor* descriptor)
{
    m_children.RemoveAll();
    const LControlFactory* factory = LControlApp::GetControlFactory();
    if (!descriptor || !factory)
        return QK_OK;
    for (std::uint32_t i = 0; i < descriptor->Children.GetCount(); ++i)
    {
        const RCPtr<LControlDescriptor>& child = *descriptor->Children.GetAt(i);
        if (!child)
            continue;
        WString defer;
        if (FindParam(child.Get(), u"DEFER_CREATE", defer) && ParamIsTrue(defer))
            continue;
        // The new control joins this one in its constructor; a class whose function makes
        // nothing is passed over.
        factory->CreateControl(child.Get(), this);
    }
    Relayout();
    return QK_OK;
}

QKRESULT LControl::Initialize()
{
    m_notificationCenter = GetDefaultNotificationCenter();
    if (!m_handlers)
        m_handlers = LNotificationHandler<LControl>::Create(this);
    ApplyCreateParam();
    if (m_stringTable)
    {
        FindStringMapValue(*m_stringTable, u"TOOLTIP", m_toolTipText);
        m_keyBindings.clear();
        KeyCode::ReadBindings(m_keyBindings, m_stringTable.Get(), WString(u"LHK"));
    }
    if (m_parent && !m_keyBindings.empty())
    {
        m_handlers->AddHandler(&LControl::HandleSiblingKey, ConstRCPtr<LNotificationDistributor>(m_parent.Get()),
                               kNidSiblingKey);
        m_handlers->AddDirectHandler(&LControl::HandleSiblingKey, kNidSiblingKey);
    }
    return QK_OK;
}

void LControl::ApplyNotFocusableParam()
{
    WString text;
    if (FindParam(m_descriptor.Get(), u"NOT_FOCUSABLE", text))
        SetNotFocusable(ParamIsTrue(text));
    else
        SetNotFocusable(TabStopOf(*this) < 0);
}

QKRESULT LControl::ApplyCreateParam()
{
    if (!m_descriptor || !m_descriptor->CreateParams)
    {
        SetNotFocusable(TabStopOf(*this) < 0);
        return QK_OK;
    }
    WString text;
    if (FindParam(m_descriptor.Get(), u"INITIAL_VALUE", text))
        SetValue(text.ToDouble());
    ApplyNotFocusableParam();
    if (FindParam(m_descriptor.Get(), u"USE_PARENT_TOOLTIP", text))
        m_useParentToolTip = ParamIsTrue(text);
    if (FindParam(m_descriptor.Get(), u"WANTS_TAB", text))
        m_wantsTab = ParamIsTrue(text);
    return QK_OK;
}

QKRESULT LControl::SetFontSpec(const WString& name, float size, std::int32_t style, bool sizeIsRelative)
{
    const ConstRCPtr<LFont> base =
        (m_fontInheritsFromParent && m_parent && m_parent->m_font) ? m_parent->m_font : LControlApp::GetDefaultFont();
    if (!base)
        return QK_E_FAIL;
    // An empty name is the skin's way of not naming one: the family follows the base font.
    m_fontFamilyFollows = name.IsEmpty();
    const WString family = m_fontFamilyFollows ? base->GetName() : name;
    m_fontSizeRelative = size <= 0.0f || m_fontSizeIsRelative;
    m_fontSizeIsFactor = sizeIsRelative && size > 0.0f;
    float finalSize = size;
    if (m_fontSizeRelative)
        finalSize = base->GetSize() * (m_fontSizeIsFactor ? size : 1.0f);
    // Every bit set: the style follows the base font.
    m_fontStyleFollows = style == -1;
    const std::int32_t finalStyle = m_fontStyleFollows ? base->GetStyle() : style;
    ConstRCPtr<LFont> font = base;
    if (!(family.IsEqual(base->GetName()) && finalSize == base->GetSize() && finalStyle == base->GetStyle()))
        font = LFont::FindOrCreate(family, finalSize, finalStyle);
    return SetFont(font);
}

QKRESULT LControl::SetFont(const ConstRCPtr<LFont>& font)
{
    if (!font)
        return QK_E_INVALIDARG;
    for (std::uint32_t i = m_looks.GetCount(); i-- > 0;)
        if (const RCPtr<LLook>& look = *m_looks.GetAt(i))
            look->SetFont(font);
    if (SameFont(font, m_font))
        return QK_FALSE;
    m_font = font;
    OnFontChanged();
    for (std::uint32_t i = 0; i < m_children.GetCount(); ++i)
        m_children.GetAt(i)->UpdateFont();
    Relayout();
    InvalidateWhole();
    return QK_OK;
}

QKRESULT LControl::UpdateFont()
{
    if (!m_font || !(m_fontFamilyFollows || m_fontSizeRelative || m_fontStyleFollows))
        return QK_OK;
    const float size = m_fontSizeRelative && !m_fontSizeIsFactor ? 0.0f : m_font->GetSize();
    SetFontSpec(m_fontFamilyFollows ? WString() : m_font->GetName(), size,
                m_fontStyleFollows ? -1 : m_font->GetStyle(), m_fontSizeRelative && m_fontSizeIsFactor);
    return QK_OK;
}

// 5. Conditions -----------------------------------------------------------------------------------

bool LControl::IsEnabled(bool withAncestors) const
{
    if (m_layout && !m_layout->IsEnabled)
        return false;
    if (!withAncestors)
        return true;
    for (const LControl* ancestor = m_parent.Get(); ancestor; ancestor = ancestor->m_parent.Get())
        if (ancestor->m_layout && !ancestor->m_layout->IsEnabled)
            return false;
    return true;
}

bool LControl::IsVisible(bool withAncestors) const
{
    const auto own = [](const LControl& control)
    {
        return (!control.m_layout || control.m_layout->IsVisible) && control.m_bounds.width > 0.0 &&
               control.m_bounds.height > 0.0;
    };
    bool visible = own(*this);
    for (const LControl* ancestor = m_parent.Get(); visible && withAncestors && ancestor;
         ancestor = ancestor->m_parent.Get())
        visible = own(*ancestor);
    return visible;
}

std::uint32_t LControl::GetConditions() const
{
    std::uint32_t set = 0;
    const auto bit = [&set](bool on, std::uint32_t value)
    {
        if (on)
            set |= value;
    };
    bit(m_flags.hasFocus, kHasFocus);
    bit(m_flags.containsFocus, kContainsFocus);
    bit(m_flags.pointerOver, kPointerOver);
    bit(m_flags.captured, kCaptured);
    bit(m_flags.leftDown, kLeftButtonDown);
    bit(m_flags.middleDown, kMiddleButtonDown);
    bit(m_flags.rightDown, kRightButtonDown);
    bit(m_flags.leftDrag, kLeftDrag);
    bit(m_flags.middleDrag, kMiddleDrag);
    bit(m_flags.rightDrag, kRightDrag);
    bit(IsEnabled(true), kEnabled);
    bit(IsVisible(true), kVisible);
    bit(m_flags.pointerOver || m_forcedHover, kHover);
    return set;
}

std::uint32_t LControl::UpdateConditions()
{
    const std::uint32_t current = GetConditions();
    if (current == m_conditions->NewConditions)
        return current;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    const RCPtr<LConditionsParam> record = m_conditions;
    record->OldConditions = record->NewConditions;
    record->NewConditions = current;
    record->X = m_downPoint.x;
    record->Y = m_downPoint.y;
    const std::uint32_t oldSet = record->OldConditions;
    const std::uint32_t changed = oldSet ^ current;
    const auto turnedOn = [&](std::uint32_t bit) { return (changed & bit) && (current & bit); };
    const auto turnedOff = [&](std::uint32_t bit) { return (changed & bit) && !(current & bit); };

    if (m_cursor)
    {
        IRootWindow* root = GetRootWindowLink();
        if (turnedOn(kPointerOver) && !(current & kCaptured))
        {
            if (root)
                m_previousCursor = root->SetCursor(m_cursor);
        }
        else if (turnedOff(kPointerOver) && !(current & kCaptured))
        {
            if (root)
                root->SetCursor(m_previousCursor);
        }
        else if (turnedOff(kCaptured) && !(current & kPointerOver))
        {
            if (root)
                root->SetCursor(m_previousCursor);
        }
    }
    if (m_dragMode != kDragNone && turnedOff(kLeftDrag))
        EndDrag();
    OnConditionsChanged(record.Get());
    const ConstRCPtr<LRefCountedObject> argument(record.Get());
    Send(u"NID_CONDITION_CHANGE", argument);
    bool updateChildren = false;
    if (changed & kHasFocus)
        Send(kNidHasFocusConditionChange, argument);
    if (changed & kContainsFocus)
        Send(u"NID_CONTAINS_FOCUS_CONDITION_CHANGE", argument);
    if (changed & kHover)
        Send(kNidHoverConditionChange, argument);
    if (changed & kCaptured)
        Send(u"NID_CAPTURE_CONDITION_CHANGE", argument);
    if (changed & (kLeftButtonDown | kLeftDrag))
        Send(kNidLeftDragConditionChange, argument);
    if (changed & (kMiddleButtonDown | kMiddleDrag))
        Send(u"NID_MIDDLE_DRAG_CONDITION_CHANGE", argument);
    if (changed & (kRightButtonDown | kRightDrag))
        Send(u"NID_RIGHT_DRAG_CONDITION_CHANGE", argument);
    if (changed & kEnabled)
    {
        Send(u"NID_ENABLED_CONDITION_CHANGE", argument);
        updateChildren = true;
    }
    if (changed & kVisible)
    {
        Send(kNidVisibilityConditionChange, argument);
        updateChildren = true;
    }
    if (m_dragMode != kDragNone && turnedOn(kLeftDrag))
        BeginDrag();
    const bool hiddenUnderPointer =
        (current & kPointerOver) && (changed & kVisible) && !(current & kVisible) && !(current & kCaptured);
    const bool releasedElsewhere = turnedOff(kCaptured) && !(current & kPointerOver);
    if (hiddenUnderPointer || releasedElsewhere)
        if (IRootWindow* root = GetRootWindowLink())
            root->UpdateHover();
    if (updateChildren)
    {
        for (std::uint32_t i = m_children.GetCount(); i-- > 0;)
        {
            if (i >= m_children.GetCount())
                continue;
            const RCPtr<LControl> child = m_children.GetAt(i);
            child->UpdateConditions();
        }
    }
    return current;
}

std::intptr_t LControl::ApplyCursor()
{
    IRootWindow* root = GetRootWindowLink();
    if (!root)
        return 0;
    return root->SetCursor(m_cursor ? m_cursor : LControlApp::GetCursor(WString(u"UI_CURSOR_ARROW")));
}

void LControl::SetCursor(std::intptr_t cursor)
{
    if (cursor == m_cursor)
        return;
    const bool hadNone = !m_cursor;
    m_cursor = cursor;
    if (!m_flags.pointerOver)
        return;
    IRootWindow* root = GetRootWindowLink();
    if (!root)
        return;
    const std::intptr_t replaced = root->SetCursor(cursor);
    if (hadNone)
        m_previousCursor = replaced;
}

void LControl::SetEnabled(bool enable)
{
    if (!m_layout || m_layout->IsEnabled == enable)
        return;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    m_layout->IsEnabled = enable;
    if (!enable && (m_flags.hasFocus || m_flags.containsFocus) && m_parent)
        m_parent->SetFocus(true);
    if ((!m_notFocusable || CanTakeFocus()) && m_parent && m_parent->m_flags.hasFocus)
        SetFocus(true);
    UpdateConditions();
    InvalidateWithUnclippedDescendants();
}

bool LControl::SetVisible(bool show)
{
    if (m_layout && m_layout->IsVisible != show)
    {
        const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
        // A drop-down list or a popup of the control reaches outside it: its pixels go too.
        if (!show)
            InvalidateWithUnclippedDescendants();
        m_layout->IsVisible = show;
        if (show)
        {
            if ((!m_notFocusable || CanTakeFocus()) && m_parent && m_parent->m_flags.hasFocus)
                SetFocus(true);
            InvalidateWithUnclippedDescendants();
        }
        else if ((m_flags.hasFocus || m_flags.containsFocus) && m_parent)
        {
            m_parent->SetFocus(true);
        }
        UpdateConditions();
    }
    return IsVisible(true);
}

// 6. Looks ----------------------------------------------------------------------------------------

QKRESULT LControl::AddLook(const RCPtr<LLook>& look)
{
    const QKRESULT result = m_looks.Add(look);
    if (m_lookOpacities.size() < m_looks.GetCount())
        m_lookOpacities.push_back(0.0f);
    if (look)
    {
        look->SetSize(static_cast<std::int32_t>(m_bounds.width), static_cast<std::int32_t>(m_bounds.height));
        look->SetText(m_text);
        if (m_font)
            look->SetFont(m_font);
        if (const RCPtr<LFontText>& text = look->GetFontText())
            text->SetOverflowFromLeft(m_textFollowsScroll);
    }
    return result;
}

void LControl::SetTextFollowsScroll(bool follows)
{
    m_textFollowsScroll = follows;
    for (std::uint32_t i = 0; i < m_looks.GetCount(); ++i)
        if (const RCPtr<LLook>& look = *m_looks.GetAt(i))
            if (const RCPtr<LFontText>& text = look->GetFontText())
                text->SetOverflowFromLeft(follows);
    InvalidateWhole();
}

RCPtr<LLook> LControl::GetLook(std::int32_t index) const
{
    if (index < 0 || static_cast<std::uint32_t>(index) >= m_looks.GetCount())
        index = GetCurrentLookIndex();
    if (index < 0)
        return nullptr;
    return *m_looks.GetAt(static_cast<std::uint32_t>(index));
}

QKRESULT LControl::QueryLookAt(std::int32_t index, RCPtr<LLook>& look) const
{
    look = nullptr;
    if (index < 0 || static_cast<std::uint32_t>(index) >= m_looks.GetCount())
        return QK_E_INVALIDARG;
    look = *m_looks.GetAt(static_cast<std::uint32_t>(index));
    return look ? QK_OK : QK_FALSE;
}

std::int32_t LControl::GetCurrentLookIndex() const
{
    for (std::uint32_t i = 0; i < m_looks.GetCount(); ++i)
        if (*m_looks.GetAt(i) && i < m_lookOpacities.size() && m_lookOpacities[i] > 0.0f)
            return static_cast<std::int32_t>(i);
    for (std::uint32_t i = 0; i < m_looks.GetCount(); ++i)
        if (*m_looks.GetAt(i))
            return static_cast<std::int32_t>(i);
    return -1;
}

float LControl::GetLookOpacity(std::int32_t index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_lookOpacities.size())
        return 0.0f;
    return m_lookOpacities[static_cast<std::size_t>(index)];
}

QKRESULT LControl::SelectLook(std::int32_t index, bool exclusive)
{
    return SetLookOpacity(index, 1.0f, exclusive);
}

QKRESULT LControl::SetLookOpacity(std::int32_t index, float opacity, bool exclusive)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_lookOpacities.size())
        return QK_E_INVALIDARG;
    bool changed = false;
    if (opacity >= 0.0f && opacity <= 1.0f && m_lookOpacities[static_cast<std::size_t>(index)] != opacity)
    {
        m_lookOpacities[static_cast<std::size_t>(index)] = opacity;
        changed = true;
    }
    if (exclusive)
        for (std::size_t i = 0; i < m_lookOpacities.size(); ++i)
            if (i != static_cast<std::size_t>(index) && m_lookOpacities[i] != 0.0f)
            {
                m_lookOpacities[i] = 0.0f;
                changed = true;
            }
    if (changed)
        InvalidateWhole();
    return QK_OK;
}

RectD LControl::GetLookClientRect(std::int32_t index) const
{
    const RCPtr<LLook> look = GetLook(index);
    if (!look)
        return RectD{0.0, 0.0, m_bounds.width, m_bounds.height};
    const RectL& client = look->GetClientRect();
    const auto held = [](std::int32_t v) { return std::clamp(static_cast<double>(v), -kUnbounded, kUnbounded); };
    return RectD{held(client.x), held(client.y), held(client.width), held(client.height)};
}

void LControl::ClearLookRegions()
{
    for (std::uint32_t i = m_looks.GetCount(); i-- > 0;)
        ClearLookRegion(static_cast<std::int32_t>(i));
}

void LControl::ClearLookRegion(std::int32_t index)
{
    if (index < 0 || static_cast<std::uint32_t>(index) >= m_looks.GetCount())
        return;
    if (const RCPtr<LLook>& look = *m_looks.GetAt(static_cast<std::uint32_t>(index)))
        look->GetRegion().Clear();
}

QKRESULT LControl::SetLookRegionRects(std::int32_t index, std::int32_t other)
{
    const auto lookAt = [this](std::int32_t i) -> LLook*
    {
        if (i < 0 || static_cast<std::uint32_t>(i) >= m_looks.GetCount())
            return nullptr;
        return m_looks.GetAt(static_cast<std::uint32_t>(i))->Get();
    };
    LLook* look = lookAt(index);
    LLook* otherLook = lookAt(other);
    if (!look || !otherLook)
        return QK_E_INVALIDARG;
    const std::int32_t left = static_cast<std::int32_t>(0.0 + 0.5);
    const std::int32_t top = static_cast<std::int32_t>(0.0 + 0.5);
    const std::int32_t right = left + static_cast<std::int32_t>(m_bounds.width + 0.5);
    const std::int32_t bottom = top + static_cast<std::int32_t>(m_bounds.height + 0.5);
    RectRegion& region = look->GetRegion();
    region.Clear();
    region.AddRect(left, top, right, bottom);
    if (otherLook != look)
        region.AppendRegion(otherLook->GetRegion());
    region.Normalize();
    InvalidateWhole();
    return QK_OK;
}

namespace
{

// The look an override addresses: index, or the current look for -1 or any index past the
// looks. Null when there is none.
LLook* OverriddenLook(const RCPtrArray<LLook>& looks, std::int32_t index, std::int32_t current, std::int32_t& found)
{
    found = (index >= 0 && static_cast<std::uint32_t>(index) < looks.GetCount()) ? index : current;
    return found >= 0 ? looks.GetAt(static_cast<std::uint32_t>(found))->Get() : nullptr;
}

} // namespace

QKRESULT LControl::SetLookRegion(std::int32_t index, const RectRegion& region)
{
    std::int32_t found = -1;
    LLook* look = OverriddenLook(m_looks, index, GetCurrentLookIndex(), found);
    if (!look)
        return QK_E_INVALIDARG;
    look->GetRegion() = region;
    InvalidateWhole();
    return QK_OK;
}

QKRESULT LControl::SetLookOverlay(const ConstRCPtr<LBitmap>& bitmap, std::int32_t resizeType, std::int32_t index,
                                  bool replaceClient)
{
    std::int32_t found = -1;
    LLook* look = OverriddenLook(m_looks, index, GetCurrentLookIndex(), found);
    if (!look)
        return QK_E_FAIL;
    if (!bitmap && !look->GetOverlayPart())
        return QK_FALSE;
    look->SetOverlayBitmap(bitmap, resizeType, replaceClient);
    if (found == GetCurrentLookIndex())
        InvalidateWhole();
    return QK_OK;
}

QKRESULT LControl::SetLookTextPart(const ConstRCPtr<LVisualPart>& part, std::int32_t index)
{
    std::int32_t found = -1;
    LLook* look = OverriddenLook(m_looks, index, GetCurrentLookIndex(), found);
    if (!look)
        return QK_E_FAIL;
    if (!part)
        return QK_E_INVALIDARG;
    if (look->GetTextForegroundPart().Get() != part.Get())
        look->SetTextForegroundPart(part);
    return QK_OK;
}

// 7. Input ----------------------------------------------------------------------------------------

QKRESULT LControl::RegisterNotifications()
{
    if (m_idleUsers > 0)
        if (IRootWindow* root = GetRootWindowLink())
        {
            if (!m_handlers)
                m_handlers = LNotificationHandler<LControl>::Create(this);
            if (Failed(m_handlers->AddHandler(&LControl::OnIdle, ConstRCPtr<LNotificationDistributor>(root),
                                              kNidIdle)))
                m_idleUsers = 0;
        }
    for (std::uint32_t i = m_children.GetCount(); i-- > 0;)
        m_children.GetAt(i)->RegisterNotifications();
    return QK_OK;
}

bool LControl::CanAcceptDrop()
{
    return m_parent ? m_parent->CanAcceptDrop() : false;
}

QKRESULT LControl::DropFiles(const StringArray& paths)
{
    return m_parent ? m_parent->DropFiles(paths) : QK_FALSE;
}

void LControl::Send(const char16_t* nid, const ConstRCPtr<LRefCountedObject>& argument)
{
    if (const ConstRCPtr<LNotification> notification = LNotification::Create(nid, argument))
        SendNotification(notification);
}

} // namespace QK
