// LControl: what a control does with the input its root window hands it.
//
// Contents:
//   1. Mouse: the gate, presses, moves, releases, clicks, the wheel walk, cursors.
//   2. Focus: focus from a press, SetFocus, KillFocus, focusability, SetNotFocusable.
//   3. Keys: KeyInput, key-bound children and siblings, hot keys, Tab order.
//   4. Capture and drags: CaptureMouse, ReleaseCapture, the drag modes, drop targets,
//      edge scrolling, inertia.
//   5. Idle work: the animation engine and the idle handler.
#include "QKFramework/ControlBase/Control.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/ControlBase/MenuItemUpdater.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationQueue.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace QK
{

using namespace ControlDetail;

namespace
{

constexpr double kPointLimit = 4503599627370496.0;
constexpr double kEdgeZone = 30.0;
constexpr std::uint32_t kTabKey = 9;

bool IsMouseButton(std::uint32_t button)
{
    return button == LMouseButtonParam::kLeft || button == LMouseButtonParam::kMiddle ||
           button == LMouseButtonParam::kRight;
}

double ClampPoint(double value)
{
    return std::clamp(value, -kPointLimit, kPointLimit);
}

bool IsTabPress(const KeyCode& key)
{
    return key.IsVirtualKeyPress() && key.GetVirtualKey() == kTabKey;
}

ConstRCPtr<LRefCountedObject> Argument(const LRefCountedObject* object)
{
    return ConstRCPtr<LRefCountedObject>(const_cast<LRefCountedObject*>(object));
}

// The largest scroll offset of control on an axis. The client extent already answers the
// scroll range (a scroll view's content less the part of it that shows), so the visible size
// is not taken off again.
double ScrollRange(const LControl& control, std::int32_t axis)
{
    const RectD range = control.GetClientExtent();
    return std::max(0.0, axis == 0 ? range.width : range.height);
}

} // namespace

// 1. Mouse --------------------------------------------------------------------------------------

QKRESULT LControl::MouseEnter(const LPointWithModifiersParam*)
{
    const RCPtr<LControl> self(this);
    m_flags.pointerOver = true;
    UpdateConditions();
    return QK_OK;
}

QKRESULT LControl::MouseLeave()
{
    const RCPtr<LControl> self(this);
    m_flags.pointerOver = false;
    UpdateConditions();
    return QK_OK;
}

QKRESULT LControl::MouseDown(const LMouseButtonParam* button)
{
    if (!button || !IsMouseButton(button->Button))
        return QK_E_INVALIDARG;
    const RCPtr<LControl> self(this);
    const bool wasCaptured = m_flags.captured;
    if (!wasCaptured)
    {
        if (!TakesInput())
            return QK_FALSE;
        if (MayTakeFocusFromPress())
            SetFocus(true);
        else if (m_parent)
            m_parent->FocusFromMouse(this);
    }
    switch (button->Button)
    {
    case LMouseButtonParam::kLeft:
        m_lastLeftPress = RCPtr<LRefCountedObject>(const_cast<LMouseButtonParam*>(button));
        OnLeftButtonDown(button);
        break;
    case LMouseButtonParam::kMiddle:
        OnMiddleButtonDown(button);
        break;
    default:
        OnRightButtonDown(button);
        break;
    }
    Send(kNidMouseDown, Argument(button));
    if (!wasCaptured)
        CaptureMouse(button->Button, PointL{button->X, button->Y});
    return QK_OK;
}

void LControl::TurnPressIntoDrag()
{
    if (m_flags.leftDown)
        m_flags.leftDrag = true;
    else if (m_flags.middleDown)
        m_flags.middleDrag = true;
    else if (m_flags.rightDown)
        m_flags.rightDrag = true;
    m_flags.leftDown = m_flags.middleDown = m_flags.rightDown = false;
    UpdateConditions();
}

QKRESULT LControl::MouseMove(const LPointWithModifiersParam* point)
{
    if (!point)
        return QK_E_INVALIDARG;
    const RCPtr<LControl> self(this);
    m_moveTimes[0] = LControlApp::GetMilliseconds();
    if (AnyButtonDown())
    {
        const double pressX = RoundHalfAway(m_downPoint.x - m_bounds.x);
        const double pressY = RoundHalfAway(m_downPoint.y - m_bounds.y);
        const double distance = std::max(std::fabs(point->X - pressX), std::fabs(point->Y - pressY));
        if (distance >= m_dragThreshold)
        {
            const RCPtr<LPointWithModifiersParam> atPress = LPointWithModifiersParam::Create(
                PointL{static_cast<std::int32_t>(std::clamp(pressX, -2147483648.0, 2147483647.0)),
                       static_cast<std::int32_t>(std::clamp(pressY, -2147483648.0, 2147483647.0))},
                point->Modifiers, point->Source);
            MouseMove(atPress.Get());
            TurnPressIntoDrag();
        }
    }
    // The root window keeps the capture holder as its hover control wherever the pointer
    // goes, so the holder tracks for itself whether the pointer is still over it: a release
    // outside must not click, and looks show the pressed state only while over. A control
    // that a drag moves is left alone: the point here predates its move.
    if (m_flags.captured && !(m_flags.leftDrag && m_dragMode != kDragNone))
    {
        const bool over = ContainsPoint(PointD{static_cast<double>(point->X), static_cast<double>(point->Y)});
        if (over != static_cast<bool>(m_flags.pointerOver))
        {
            m_flags.pointerOver = over;
            UpdateConditions();
        }
    }
    OnMouseMove(point);
    Send(kNidMouseMove, Argument(point));
    if (m_flags.leftDrag && m_dragMode != kDragNone)
        DragMove(PointD{static_cast<double>(point->X), static_cast<double>(point->Y)});
    m_moveTimes[1] = m_moveTimes[0];
    return QK_OK;
}

QKRESULT LControl::MouseUp(const LMouseButtonParam* button)
{
    if (!button || !IsMouseButton(button->Button))
        return QK_E_INVALIDARG;
    const RCPtr<LControl> self(this);
    if (!m_flags.captured && !TakesInput())
        return QK_FALSE;
    bool click = false;
    switch (button->Button)
    {
    case LMouseButtonParam::kLeft:
        OnLeftButtonUp(button);
        click = (m_flags.leftDown || (m_flags.leftDrag && m_dragMode == kDragNone)) && m_flags.pointerOver;
        if (m_flags.leftDrag && m_dragMode == kDragScroll)
        {
            m_releaseTime = LControlApp::GetMilliseconds();
            if (m_releaseTime - m_moveTimes[1] < 100)
            {
                for (std::int32_t axis = 0; axis < 2; ++axis)
                {
                    const bool allowed = axis == 0 ? (m_dragAxes == 1 || m_dragAxes == 3)
                                                   : (m_dragAxes == 2 || m_dragAxes == 3);
                    if (!allowed || std::fabs(m_dragVelocity[axis]) < 1000.0)
                        continue;
                    StartInertia(axis, m_dragVelocity[axis], ScrollRange(*this, axis), 0.0, nullptr);
                    m_animation[axis].decelerating = true;
                }
            }
        }
        break;
    case LMouseButtonParam::kMiddle:
        OnMiddleButtonUp(button);
        click = (m_flags.middleDown || (m_flags.middleDrag && m_dragMode == kDragNone)) && m_flags.pointerOver;
        break;
    default:
        OnRightButtonUp(button);
        click = (m_flags.rightDown || (m_flags.rightDrag && m_dragMode == kDragNone)) && m_flags.pointerOver;
        break;
    }
    Send(kNidMouseUp, Argument(button));
    if (m_flags.captured && button->ButtonState == 0)
        ReleaseCapture();
    if (click && IsEnabled(true))
        PerformClick(button);
    return QK_OK;
}

QKRESULT LControl::PerformClick(const LMouseButtonParam* button)
{
    if (!button)
        return QK_E_INVALIDARG;
    switch (button->Button)
    {
    case LMouseButtonParam::kLeft:
        return LeftClick(button);
    case LMouseButtonParam::kMiddle:
        return MiddleClick(button);
    case LMouseButtonParam::kRight:
        return RightClick(button);
    default:
        return QK_E_INVALIDARG;
    }
}

QKRESULT LControl::LeftClick(const LMouseButtonParam* button)
{
    if (!button)
        return QK_E_INVALIDARG;
    const RCPtr<LControl> self(this);
    OnLeftClick(button);
    Send(kNidLeftClick, Argument(button));
    return QK_OK;
}

QKRESULT LControl::MiddleClick(const LMouseButtonParam* button)
{
    if (!button)
        return QK_E_INVALIDARG;
    const RCPtr<LControl> self(this);
    OnMiddleClick(button);
    Send(u"NID_MIDDLE_CLICK", Argument(button));
    return QK_OK;
}

QKRESULT LControl::RightClick(const LMouseButtonParam* button)
{
    if (!button)
        return QK_E_INVALIDARG;
    const RCPtr<LControl> self(this);
    OnRightClick(button);
    Send(u"NID_RIGHT_CLICK", Argument(button));
    const ConstRCPtr<LMenuDescriptor> menu = GetContextMenu();
    if (menu)
        ShowContextMenu(menu.Get());
    return QK_OK;
}

bool LControl::ClippingOffInChain() const
{
    for (const LControl* control = this; control; control = control->m_parent.Get())
        if (!ClipsToParent(*control))
            return true;
    return false;
}

QKRESULT LControl::MouseWheel(const LMouseWheelParam* wheel)
{
    if (!wheel)
        return -1;
    const RCPtr<LControl> self(this);
    const bool horizontal = wheel->Direction != 0 && wheel->Direction != 1;
    RCPtr<LControl> control(this);
    std::vector<RCPtr<LControl>> passed;
    QKRESULT result = QK_FALSE;
    while (control)
    {
        result = horizontal ? control->OnMouseHWheel(wheel) : control->OnMouseWheel(wheel);
        if (result != QK_FALSE)
            return result;
        if (!control->ClippingOffInChain())
        {
            control = RCPtr<LControl>(control->m_parent.Get());
            continue;
        }
        IRootWindow* root = GetRootWindowLink();
        if (!root)
            break;
        passed.push_back(control);
        for (const RCPtr<LControl>& mark : passed)
            mark->SetExcludedFromHitTest(true);
        RCPtr<LControl> beneath(root->FindControlAt(PointL{wheel->X, wheel->Y}));
        for (const RCPtr<LControl>& mark : passed)
            mark->SetExcludedFromHitTest(false);
        // A control met again would start the walk over.
        if (beneath && std::find(passed.begin(), passed.end(), beneath) != passed.end())
            beneath = nullptr;
        control = beneath;
    }
    return result;
}

QKRESULT LControl::MouseWheel(const LMouseWheelParam& wheel)
{
    return MouseWheel(&wheel);
}

void LControl::SetForcedHover(bool hover)
{
    if (m_forcedHover == hover)
        return;
    m_forcedHover = hover;
    UpdateConditions();
}

// 2. Focus --------------------------------------------------------------------------------------

bool LControl::MayTakeFocusFromPress() const
{
    if (m_notFocusable)
        return false;
    if (!m_parent || m_focusScope)
        return true;
    for (const LControl* ancestor = m_parent.Get(); ancestor; ancestor = ancestor->m_parent.Get())
    {
        if (ancestor->m_notFocusable)
            return false;
        if (ancestor->m_focusScope)
            break;
    }
    return true;
}

QKRESULT LControl::FocusFromMouse(LControl*)
{
    const RCPtr<LControl> self(this);
    if (MayTakeFocusFromPress())
        SetFocus(true);
    else if (m_parent)
        m_parent->FocusFromMouse(this);
    return QK_OK;
}

bool LControl::IsFocusable()
{
    return IsVisible(true) && IsEnabled(true) && !CanTakeFocus() && MayTakeFocusFromPress();
}

bool LControl::CanTakeFocus()
{
    if (!IsVisible(true) || !IsEnabled(true) || m_notFocusable)
        return false;
    for (std::uint32_t i = m_children.GetCount(); i-- > 0;)
    {
        const RCPtr<LControl> child = m_children.GetAt(i);
        if (child->IsFocusable() || child->CanTakeFocus())
            return true;
    }
    return false;
}

LControl* LControl::FocusedChild(const LControl* except) const
{
    for (std::uint32_t i = 0; i < m_children.GetCount(); ++i)
    {
        LControl* child = m_children.GetAt(i).Get();
        if (child != except && (child->m_flags.hasFocus || child->m_flags.containsFocus))
            return child;
    }
    return nullptr;
}

void LControl::ChildTookFocus(LControl* child)
{
    const RCPtr<LControl> self(this);
    if (m_flags.containsFocus)
    {
        if (LControl* other = FocusedChild(child))
        {
            const RCPtr<LControl> held(other);
            held->KillFocus();
        }
        return;
    }
    const bool hadFocus = m_flags.hasFocus;
    m_flags.hasFocus = false;
    m_flags.containsFocus = true;
    if (!hadFocus && m_parent)
        m_parent->ChildTookFocus(this);
    if (hadFocus)
        if (IRootWindow* root = GetRootWindowLink(); root && root->GetFocusedControl() == this)
            root->ClearFocusControl();
    UpdateConditions();
}

QKRESULT LControl::SetFocus(bool forward)
{
    const RCPtr<LControl> self(this);
    IRootWindow* root = GetRootWindowLink();
    if (!m_flags.hasFocus && root)
        if (LControl* holder = root->GetFocusedControl(); holder && holder != this)
        {
            const RCPtr<LControl> held(holder);
            if (!held->IsUITarget())
                return QK_E_FAIL;
        }
    if (m_flags.hasFocus && IsFocusable())
        return QK_OK;

    QKRESULT result = QK_OK;
    bool placed = false;
    if (CanTakeFocus())
    {
        RCPtr<LControl> next;
        if (m_flags.containsFocus)
            if (LControl* holder = FocusedChild(); holder && (holder->IsFocusable() || holder->CanTakeFocus()))
                next = RCPtr<LControl>(holder);
        const std::uint32_t count = m_children.GetCount();
        for (std::uint32_t i = 0; !next && i < count; ++i)
        {
            const RCPtr<LControl>& child = m_children.GetAt(forward ? i : count - 1 - i, ChildControlList::kTabOrder);
            if (child->IsFocusable() || child->CanTakeFocus())
                next = child;
        }
        result = next ? next->SetFocus(forward) : QK_E_FAIL;
        placed = result == QK_OK;
    }
    else if (IsFocusable())
    {
        if (m_flags.containsFocus)
        {
            m_flags.hasFocus = true;
            m_flags.containsFocus = false;
            if (LControl* holder = FocusedChild())
            {
                const RCPtr<LControl> held(holder);
                held->KillFocus();
            }
        }
        else
        {
            m_flags.hasFocus = true;
            if (m_parent)
                m_parent->ChildTookFocus(this);
        }
        if (root)
            root->SetFocusControl(this);
        UpdateConditions();
        placed = true;
    }

    if (!placed && !m_flags.hasFocus)
    {
        LControl* top = GetRootControl();
        if (!top || !(top->m_flags.hasFocus || top->m_flags.containsFocus))
            return QK_FALSE;
        // Asking the top control again would only come back here.
        if (top == this)
            return QK_E_FAIL;
        return top->SetFocus(true);
    }
    return result;
}

QKRESULT LControl::KillFocus()
{
    const RCPtr<LControl> self(this);
    QKRESULT result = QK_OK;
    if (m_flags.hasFocus)
    {
        m_flags.hasFocus = false;
        UpdateConditions();
        if (IRootWindow* root = GetRootWindowLink(); root && root->GetFocusedControl() == this)
            root->ClearFocusControl();
    }
    else if (m_flags.containsFocus)
    {
        m_flags.containsFocus = false;
        if (LControl* holder = FocusedChild())
        {
            const RCPtr<LControl> held(holder);
            held->KillFocus();
        }
        else
        {
            result = QK_E_FAIL;
        }
        UpdateConditions();
    }
    return result;
}

void LControl::SetNotFocusable(bool notFocusable)
{
    std::int32_t* tabStop = m_layout ? &m_layout->TabStop : nullptr;
    const bool signFits = !tabStop || (notFocusable ? *tabStop < 0 : *tabStop >= 0);
    if (notFocusable == m_notFocusable && signFits)
        return;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    m_notFocusable = notFocusable;
    if (!signFits)
        *tabStop = *tabStop == 0 ? -1 : -*tabStop;
    if (m_parent)
        m_parent->m_children.IncrementGeneration();
    if (!m_created)
        return;
    if ((IsFocusable() || CanTakeFocus()) && m_parent && m_parent->m_flags.hasFocus)
        SetFocus(true);
    else if (notFocusable && m_flags.hasFocus && m_parent)
        m_parent->SetFocus(true);
}

// 3. Keys ---------------------------------------------------------------------------------------

KeyCode LControl::GetLocalHotKey(const WString& nidName) const
{
    return KeyCode::GetFirstBinding(m_keyBindings, nidName);
}

bool LControl::HasLocalHotKey(const WString& nidName) const
{
    return !nidName.IsEmpty() && KeyCode::LookupBinding(m_keyBindings, nidName);
}

QKRESULT LControl::KeyInput(LKeyParam* key)
{
    if (!key || !TakesInput())
        return QK_FALSE;
    const RCPtr<LControl> self(this);
    const RCPtr<LKeyParam> heldKey(key);
    const RCPtr<LSiblingKeyParam> sibling = LSiblingKeyParam::Create(key->Key, self);
    Send(kNidSiblingKey, Argument(sibling.Get()));
    if (sibling->Result == 0)
        return QK_OK;
    if (WantsKey(key) != QK_FALSE)
        return QK_OK;
    key->Path.Add(self);
    IRootWindow* root = GetRootWindowLink();
    if (IsTabPress(key->Key))
    {
        if (m_wantsTab)
            return QK_OK;
        if (m_parent)
            return m_parent->FocusNextTabStop(key);
        if (root)
            root->HandleTabKey(key);
        return QK_OK;
    }
    if (m_parent)
        return m_parent->DispatchKey(key);
    if (root && root->HandleHotKey(key->Key) != QK_FALSE)
        return QK_OK;
    return LControlApp::HandleHotKey(key->Key);
}

QKRESULT LControl::DispatchKey(LKeyParam* key)
{
    if (!key)
        return QK_E_INVALIDARG;
    const QKRESULT result = SendSiblingKey(key);
    if (result != QK_FALSE)
        return result;
    if (IRootWindow* root = GetRootWindowLink())
        if (const QKRESULT hot = root->HandleHotKey(key->Key); hot != QK_FALSE)
            return hot;
    return LControlApp::HandleHotKey(key->Key);
}

QKRESULT LControl::SendSiblingKey(LKeyParam* key)
{
    if (!key)
        return QK_E_INVALIDARG;
    const NID id = GetNotificationId(kNidSiblingKey);
    const RCPtr<LNotificationClientPool> pool = id ? FindClientPool(id) : nullptr;
    if (!pool || pool->GetCount() == 0)
        return QK_FALSE;
    const RCPtr<LControl> self(this);
    std::vector<ConstRCPtr<LNotificationReceiver>> receivers;
    for (std::int32_t i = 0; const auto registration = pool->GetRegistration(i); ++i)
        receivers.push_back(registration->GetReceiver());
    std::vector<const LNotificationReceiver*> subscribers;
    for (const auto& receiver : receivers)
        subscribers.push_back(receiver.Get());
    std::vector<std::uint32_t> order;
    SortChildrenByTabOrder(key, subscribers, order);

    const std::uint32_t pathCount = key->Path.GetCount();
    const RCPtr<LControl> source = pathCount > 0 ? *key->Path.GetAt(pathCount - 1) : nullptr;
    const RCPtr<LSiblingKeyParam> sibling = LSiblingKeyParam::Create(key->Key, source);
    const ConstRCPtr<LNotification> notification =
        LNotification::Create(kNidSiblingKey, Argument(sibling.Get()));
    if (!notification)
        return QK_FALSE;
    const ConstRCPtr<LNotificationDistributor> from(this);
    for (std::size_t i = order.size(); i-- > 0;)
    {
        const LNotificationReceiver* receiver = receivers[order[i]].Get();
        if (source && receiver == static_cast<const LNotificationReceiver*>(source.Get()))
            continue;
        const_cast<LNotificationReceiver*>(receiver)->ReceiveNotification(from, notification);
        if (sibling->Result == 0)
            return QK_OK;
    }
    return QK_FALSE;
}

QKRESULT LControl::SortChildrenByTabOrder(LKeyParam* key, const std::vector<const LNotificationReceiver*>& subscribers,
                                          std::vector<std::uint32_t>& order)
{
    struct Record
    {
        std::int64_t key;
        bool focusable;
        std::uint32_t index;
    };
    std::vector<Record> records;
    std::int64_t running = INT32_MIN;
    std::int64_t sourcePlace = INT32_MIN;
    const std::uint32_t pathCount = key ? key->Path.GetCount() : 0;
    const LControl* source = pathCount > 0 ? key->Path.GetAt(pathCount - 1)->Get() : nullptr;
    const std::uint32_t count = m_children.GetCount();
    const auto placeOf = [&](const LControl* control) -> std::int64_t
    {
        for (std::uint32_t i = 0; i < count; ++i)
            if (m_children.GetAt(i, ChildControlList::kTabOrder).Get() == control)
                return i;
        return -1;
    };
    if (source)
        sourcePlace = placeOf(source);
    for (std::uint32_t i = 0; i < subscribers.size(); ++i)
    {
        const auto* control = dynamic_cast<const LControl*>(subscribers[i]);
        const std::int64_t place = control ? placeOf(control) : -1;
        if (place < 0)
            records.push_back({running++, false, i});
        else
            records.push_back({place, !control->m_notFocusable, i});
    }
    std::stable_sort(records.begin(), records.end(), [](const Record& a, const Record& b) { return a.key < b.key; });
    const auto firstFlagged = std::find_if(records.begin(), records.end(), [](const Record& r) { return r.focusable; });
    const auto afterSource = std::find_if(firstFlagged, records.end(), [&](const Record& r) { return r.key > sourcePlace; });
    order.clear();
    for (auto it = records.begin(); it != firstFlagged; ++it)
        order.push_back(it->index);
    for (auto it = afterSource; it != records.end(); ++it)
        order.push_back(it->index);
    for (auto it = firstFlagged; it != afterSource; ++it)
        order.push_back(it->index);
    return QK_OK;
}

QKRESULT LControl::HandleSiblingKey(const ConstRCPtr<LNotificationDistributor>&,
                                    const ConstRCPtr<LNotification>& notification)
{
    if (!notification || !TakesInput())
        return QK_FALSE;
    auto* sibling = dynamic_cast<LSiblingKeyParam*>(const_cast<LRefCountedObject*>(notification->GetArgument().Get()));
    if (!sibling)
        return QK_FALSE;
    const WString nidName = KeyCode::FindBinding(m_keyBindings, sibling->Key);
    if (nidName.IsEmpty())
        return QK_FALSE;
    const RCPtr<LControl> self(this);
    sibling->Result = 0;
    Send(nidName.GetString(), Argument(sibling));
    return QK_FALSE;
}

bool LControl::IsTabTarget()
{
    if (!IsVisible(true) || !m_layout || !m_layout->IsTabTarget || m_notFocusable)
        return false;
    // Its own enabled state counts too: Tab must not stop on a control that refuses focus.
    if (!IsEnabled(true))
        return false;
    return !CanTakeFocus();
}

RCPtr<LControl> LControl::GetNextTabChild(LControl* current, bool backwards)
{
    if (!current || current->m_parent.Get() != this)
        return nullptr;
    const std::uint32_t count = m_children.GetCount();
    std::uint32_t start = 0;
    for (std::uint32_t i = 0; i < count; ++i)
        if (m_children.GetAt(i, ChildControlList::kTabOrder).Get() == current)
            start = i;
    const auto usable = [](const LControl& control) { return control.TakesInput(); };
    for (std::uint32_t step = 1; step < count; ++step)
    {
        const std::uint32_t at = backwards ? (start + count - step) % count : (start + step) % count;
        const RCPtr<LControl>& child = m_children.GetAt(at, ChildControlList::kTabOrder);
        if (usable(*child))
            return child;
    }
    return usable(*current) ? RCPtr<LControl>(current) : nullptr;
}

QKRESULT LControl::FocusNextTabStop(LKeyParam* key)
{
    if (!key)
        return QK_E_INVALIDARG;
    const RCPtr<LControl> self(this);
    const auto code = static_cast<std::uint32_t>(key->Key.Code);
    const bool backwards = (code & KeyCode::kShift) != 0;
    IRootWindow* root = GetRootWindowLink();
    const auto handUp = [&](LKeyParam* up) -> QKRESULT
    {
        up->Path.Add(self);
        if (m_parent)
            return m_parent->FocusNextTabStop(up);
        if (root)
            root->HandleTabKey(up);
        return QK_OK;
    };
    if (code & KeyCode::kCtrl)
    {
        KeyCode tab;
        tab.Code = static_cast<std::int32_t>(KeyCode::kKeyEvent | (kTabKey << 16) | (backwards ? KeyCode::kShift : 0));
        const RCPtr<LKeyParam> hop = LKeyParam::Create(tab, false);
        return handUp(hop.Get());
    }
    const std::uint32_t pathCount = key->Path.GetCount();
    RCPtr<LControl> current = pathCount > 0 ? *key->Path.GetAt(pathCount - 1) : nullptr;
    RCPtr<LControl> candidate = GetNextTabChild(current.Get(), backwards);
    const auto placeOf = [&](const LControl* control) -> std::int64_t
    {
        for (std::uint32_t i = 0; i < m_children.GetCount(); ++i)
            if (m_children.GetAt(i, ChildControlList::kTabOrder).Get() == control)
                return i;
        return -1;
    };
    // A hidden or disabled start with no usable sibling would otherwise cycle for ever.
    std::set<const LControl*> seen;
    while (candidate && candidate != current && seen.insert(candidate.Get()).second)
    {
        if (!key->StayInside)
        {
            const std::int64_t from = placeOf(current.Get());
            const std::int64_t to = placeOf(candidate.Get());
            if (backwards ? to >= from : to <= from)
                return handUp(key);
        }
        if (candidate->IsFocusable() || candidate->CanTakeFocus())
            return candidate->SetFocus(!backwards);
        if (!candidate->TakesInput())
            current = candidate;
        candidate = GetNextTabChild(candidate.Get(), backwards);
    }
    if (!key->StayInside)
        return handUp(key);
    return QK_FALSE;
}

// 4. Capture and drags --------------------------------------------------------------------------

QKRESULT LControl::SetDragThreshold(std::int32_t threshold)
{
    if (threshold < 0)
        return QK_E_INVALIDARG;
    m_dragThreshold = threshold;
    return QK_OK;
}

QKRESULT LControl::CaptureMouse()
{
    return CaptureMouse(0, PointL{0, 0});
}

QKRESULT LControl::CaptureMouse(std::uint32_t button, const PointL& point)
{
    if (!TakesInput() || m_flags.captured)
        return QK_FALSE;
    IRootWindow* root = GetRootWindowLink();
    if (button != 0)
    {
        if (!IsMouseButton(button) || !root || !(root->GetMouseButtonState() & button))
            return QK_FALSE;
        m_downPoint = PointD{ClampPoint(point.x) + m_bounds.x, ClampPoint(point.y) + m_bounds.y};
        m_dragOffset = PointD{0.0, 0.0};
    }
    const RCPtr<LControl> self(this);
    StopInertia(0);
    StopInertia(1);
    m_flags.captured = true;
    m_moveTimes[1] = m_captureTime = LControlApp::GetMilliseconds();
    m_dragVelocity[0] = m_dragVelocity[1] = 0.0;
    m_dragVelocityRecorded = false;
    if (root)
        root->SetCaptureControl(this);
    if (button == LMouseButtonParam::kLeft)
    {
        m_flags.leftDown = true;
        m_dragMode = kDragNone;
        if (m_pressHandOver)
            BeginIdleAnimation();
    }
    else if (button == LMouseButtonParam::kMiddle)
    {
        m_flags.middleDown = true;
    }
    else if (button == LMouseButtonParam::kRight)
    {
        m_flags.rightDown = true;
    }
    UpdateConditions();
    if (m_dragThreshold != 0 || button == 0)
        return QK_OK;
    TurnPressIntoDrag();
    if (m_flags.leftDrag && m_dragMode != kDragNone)
        DragMove(PointD{static_cast<double>(point.x), static_cast<double>(point.y)});
    return QK_OK;
}

QKRESULT LControl::ReleaseCapture()
{
    if (!m_flags.captured)
        return QK_FALSE;
    const RCPtr<LControl> self(this);
    const bool handOverRunning = m_pressHandOver && m_flags.leftDown;
    m_flags.captured = false;
    m_flags.leftDown = m_flags.middleDown = m_flags.rightDown = false;
    m_flags.leftDrag = m_flags.middleDrag = m_flags.rightDrag = false;
    QKRESULT result = QK_OK;
    if (IRootWindow* root = GetRootWindowLink())
        result = root->ReleaseCaptureControl();
    UpdateConditions();
    if (handOverRunning)
        EndIdleAnimation();
    m_lastLeftPress = nullptr;
    return result;
}

void LControl::SetDragMode(std::int32_t mode, std::int32_t axes)
{
    m_dragMode = mode;
    m_dragAxes = axes;
}

void LControl::BeginDrag()
{
    m_dragStartSize = {m_bounds.width, m_bounds.height};
    m_dragParentScrollOffset = m_parent ? m_parent->m_scrollOffset : PointD{};
    if (m_dragMode == kDragDrop && m_layout)
    {
        m_dropTarget = nullptr;
        m_clipWasOff = !m_layout->ClipToParent;
        SetClipToParent(false);
        for (std::int32_t axis = 0; axis < 2; ++axis)
        {
            m_wasDocked[axis] = IsDocked(*this, axis);
            if (m_wasDocked[axis])
                continue;
            const AxisSpec spec = axis == 0 ? m_layout->X : m_layout->Y;
            LayoutReference position = spec.Position;
            position.Rel = 0.0f;
            position.Abs = (axis == 0 ? m_bounds.x - m_dragParentScrollOffset.x : m_bounds.y - m_dragParentScrollOffset.y);
            SetAxisLayout(axis, 0.0f, true, position, spec.Size);
        }
    }
    if (m_layout)
    {
        m_dragStartLayout[0] = m_layout->X.Position.Abs;
        m_dragStartLayout[1] = m_layout->X.Size.Abs;
        m_dragStartLayout[2] = m_layout->Y.Position.Abs;
        m_dragStartLayout[3] = m_layout->Y.Size.Abs;
    }
}

void LControl::UpdateDragOrigin()
{
    m_downPoint.x += m_dragOffset.x;
    m_downPoint.y += m_dragOffset.y;
    m_dragOffset = PointD{};
    BeginDrag();
}

void LControl::StopScrollAnimations()
{
    StopInertia(0);
    StopInertia(1);
}

void LControl::StartDropScrolling(LControl& container, const PointD& pointerInRoot, std::uint32_t edges,
                                  bool fullZone)
{
    PointD origin;
    container.GetPositionInRoot(origin);
    RectD client;
    container.GetClientRect(client);
    bool any = false;
    for (std::int32_t axis = 0; axis < 2; ++axis)
    {
        const auto farBit = static_cast<std::uint32_t>(axis == 0 ? kEdgeRight : kEdgeBottom);
        const auto nearBit = static_cast<std::uint32_t>(axis == 0 ? kEdgeLeft : kEdgeTop);
        const double start = (axis == 0 ? origin.x + client.x : origin.y + client.y);
        const double length = axis == 0 ? client.width : client.height;
        const double pointer = axis == 0 ? pointerInRoot.x : pointerInRoot.y;
        const double zone = fullZone ? kEdgeZone : std::max(0.0, std::min(kEdgeZone, length));
        double velocity = 0.0;
        if ((edges & farBit) && pointer >= start + length - zone && pointer < start + length)
            velocity = (std::floor(pointer - (start + length - zone)) + 1.0) * 15.0;
        else if ((edges & nearBit) && pointer >= start && pointer < start + zone)
            velocity = -(std::floor(start + zone - pointer - 1.0) + 1.0) * 15.0;
        if (velocity == 0.0)
        {
            container.StopInertia(axis);
            continue;
        }
        any = true;
        container.StartInertia(axis, velocity, ScrollRange(container, axis), 0.0, RCPtr<LControl>(this));
        container.m_animation[axis].velocity = velocity;
    }
    if (!any)
        container.StopScrollAnimations();
}

// What one pointer move means to a drag: the pointer's displacement from the press (confined
// in every mode but kDragDrop), the pointer in the root window, and how far the parent has
// scrolled since the drag began.
struct LControl::DragStep
{
    PointD displacement;
    PointD pointerInRoot;
    PointD parentScrollChange;
};

void LControl::DragMove(const PointD& point)
{
    if (m_insideDragMove)
        return;
    const RCPtr<LControl> self(this);
    m_insideDragMove = true;
    PointD inRoot;
    GetPositionInRoot(inRoot);
    DragStep step{PointD{ClampPoint(point.x) + m_bounds.x - m_downPoint.x, ClampPoint(point.y) + m_bounds.y - m_downPoint.y},
                  PointD{point.x + inRoot.x, point.y + inRoot.y},
                  m_parent ? PointD{m_parent->m_scrollOffset.x - m_dragParentScrollOffset.x,
                                    m_parent->m_scrollOffset.y - m_dragParentScrollOffset.y}
                           : PointD{}};
    if (m_dragMode != kDragDrop)
        ConfineDrag(step);
    switch (m_dragMode)
    {
    case kDragDrop:
        DragForDrop(step);
        break;
    case kDragMove:
    case kDragMoveScroll:
        DragPosition(step);
        break;
    case kDragResize:
    case kDragResizeScroll:
        DragEdges(step);
        break;
    case kDragScroll:
        DragContent(step);
        break;
    default:
        break;
    }
    OnDragMoved();
    m_insideDragMove = false;
}

// Keeps the pointer inside the parent's client area (as LimitDragBounds narrows it) and a
// resized control at least a pixel wide and high, starts the parent's edge scrolling in the
// scrolling modes, and records the displacement as the drag offset; content scrolling
// records its own.
void LControl::ConfineDrag(DragStep& step)
{
    PointD& displacement = step.displacement;
    RectD bounds = m_parent ? m_parent->GetChildClientRect(this)
                            : RectD{-kPointLimit, -kPointLimit, 2 * kPointLimit, 2 * kPointLimit};
    LimitDragBounds(bounds);
    const PointD down{m_downPoint.x, m_downPoint.y};
    displacement.x = std::clamp(displacement.x, bounds.x - down.x, bounds.x + bounds.width - down.x);
    displacement.y = std::clamp(displacement.y, bounds.y - down.y, bounds.y + bounds.height - down.y);
    if (m_dragMode == kDragResize || m_dragMode == kDragResizeScroll)
    {
        if (m_dragAxes & kEdgeRight)
            displacement.x = std::max(displacement.x, 1.0 - m_dragStartSize.first);
        if (m_dragAxes & kEdgeLeft)
            displacement.x = std::min(displacement.x, m_dragStartSize.first - 1.0);
        if (m_dragAxes & kEdgeBottom)
            displacement.y = std::max(displacement.y, 1.0 - m_dragStartSize.second);
        if (m_dragAxes & kEdgeTop)
            displacement.y = std::min(displacement.y, m_dragStartSize.second - 1.0);
    }
    if ((m_dragMode == kDragMoveScroll || m_dragMode == kDragResizeScroll) && m_parent)
    {
        std::uint32_t edges = 0;
        if (m_dragAxes & (kAxisHorizontal | kEdgeRight | kEdgeLeft))
            edges |= kEdgeRight | kEdgeLeft;
        if (m_dragAxes & (kAxisVertical | kEdgeBottom | kEdgeTop))
            edges |= kEdgeBottom | kEdgeTop;
        StartDropScrolling(*m_parent, step.pointerInRoot, edges, false);
    }
    if (m_dragMode < kDragScroll)
        m_dragOffset = displacement;
}

void LControl::DragForDrop(const DragStep& step)
{
    DragPosition(step);
    TrackDropTarget(step.pointerInRoot);
}

void LControl::DragPosition(const DragStep& step)
{
    if (!m_layout)
        return;
    if (m_dragAxes & kAxisHorizontal)
        WriteDragPosition(step, 0, m_dragStartLayout[0], step.displacement.x);
    if (m_dragAxes & kAxisVertical)
        WriteDragPosition(step, 1, m_dragStartLayout[2], step.displacement.y);
}

void LControl::DragEdges(const DragStep& step)
{
    if (!m_layout)
        return;
    const PointD& displacement = step.displacement;
    if (m_dragAxes & kEdgeRight)
        WriteDragSize(0, m_dragStartSize.first + displacement.x);
    if (m_dragAxes & kEdgeLeft)
    {
        WriteDragPosition(step, 0, m_dragStartLayout[0], displacement.x);
        WriteDragSize(0, m_dragStartSize.first - displacement.x);
    }
    if (m_dragAxes & kEdgeBottom)
        WriteDragSize(1, m_dragStartSize.second + displacement.y);
    if (m_dragAxes & kEdgeTop)
    {
        WriteDragPosition(step, 1, m_dragStartLayout[2], displacement.y);
        WriteDragSize(1, m_dragStartSize.second - displacement.y);
    }
}

// Scrolls by the pointer's travel since the last move, and keeps the drag velocity (averaged
// with the last one within 0.2 s) for the inertia that a release may start.
void LControl::DragContent(const DragStep& step)
{
    const double dt = static_cast<std::uint32_t>(m_moveTimes[0] - m_moveTimes[1]) / 1000.0;
    if (dt <= 0.0)
        return;
    const PointD& displacement = step.displacement;
    PointD offset = m_scrollOffset;
    for (std::int32_t axis = 0; axis < 2; ++axis)
    {
        const double travel = (axis == 0 ? m_dragOffset.x - displacement.x : m_dragOffset.y - displacement.y);
        const double velocity = travel / dt;
        m_dragVelocity[axis] = (m_dragVelocityRecorded && dt < 0.2) ? (velocity + m_dragVelocity[axis]) / 2.0 : velocity;
        const bool allowed = (m_dragAxes & (axis == 0 ? kAxisHorizontal : kAxisVertical)) != 0;
        if (!allowed || travel == 0.0)
            continue;
        double& value = axis == 0 ? offset.x : offset.y;
        value = std::clamp(value + travel, 0.0, ScrollRange(*this, axis));
    }
    m_dragVelocityRecorded = true;
    if (!(offset == m_scrollOffset))
        SetScrollOffset(offset);
    m_dragOffset = displacement;
}

// The dragged control looks for its drop target under the pointer, itself and its
// descendants left out of the hit test, and tells the targets it enters, crosses and leaves.
void LControl::TrackDropTarget(const PointD& pointerInRoot)
{
    RCPtr<LControl> target;
    if (IRootWindow* root = GetRootWindowLink())
    {
        std::vector<LControl*> marked;
        const auto mark = [&](LControl& control, auto& self) -> void
        {
            control.SetExcludedFromHitTest(true);
            marked.push_back(&control);
            for (std::uint32_t i = 0; i < control.m_children.GetCount(); ++i)
                self(*control.m_children.GetAt(i), self);
        };
        mark(*this, mark);
        const PointL at{static_cast<std::int32_t>(RoundHalfAway(pointerInRoot.x)),
                        static_cast<std::int32_t>(RoundHalfAway(pointerInRoot.y))};
        const RCPtr<LControl> under(root->FindControlAt(at));
        for (LControl* control : marked)
            control->SetExcludedFromHitTest(false);
        if (under)
            target = under->FindDropTarget(this, pointerInRoot);
    }
    const auto localPoint = [&](LControl& control)
    {
        PointD origin;
        control.GetPositionInRoot(origin);
        return PointD{pointerInRoot.x - origin.x, pointerInRoot.y - origin.y};
    };
    if (target == m_dropTarget)
    {
        if (target)
            target->OnDragOver(this, localPoint(*target));
    }
    else
    {
        if (const RCPtr<LControl> old = m_dropTarget)
        {
            old->StopScrollAnimations();
            old->OnDragLeave(this);
        }
        m_dropTarget = target;
        IRootWindow* root = GetRootWindowLink();
        if (target)
        {
            if (root)
                root->SetCursor(LControlApp::GetCursor(WString(u"UI_CURSOR_DROP_MOVE")));
            target->OnDragEnter(this);
            target->OnDragOver(this, localPoint(*target));
        }
        else if (root)
        {
            root->SetCursor(LControlApp::GetCursor(WString(u"UI_CURSOR_NO_DROP")));
        }
    }
    if (const RCPtr<LControl> current = m_dropTarget)
        if (const std::uint32_t edges = current->GetDropScrollEdges(this))
            StartDropScrolling(*current, pointerInRoot, edges, true);
}

// A docked axis keeps its place in the scrolled parent: the parent's scrolling since the
// drag began is taken off.
void LControl::WriteDragPosition(const DragStep& step, std::int32_t axis, double start, double move)
{
    const AxisSpec spec = axis == 0 ? m_layout->X : m_layout->Y;
    const bool docked = IsDocked(*this, axis);
    LayoutReference position = spec.Position;
    position.Abs = start + move - (docked ? (axis == 0 ? step.parentScrollChange.x : step.parentScrollChange.y) : 0.0);
    SetAxisLayout(axis, spec.PlacementAnchor, docked, position, spec.Size);
}

void LControl::WriteDragSize(std::int32_t axis, double size)
{
    const AxisSpec spec = axis == 0 ? m_layout->X : m_layout->Y;
    LayoutReference sizeRule = spec.Size;
    sizeRule.Kind = 2;
    sizeRule.Rel = 0.0f;
    sizeRule.Abs = size;
    SetAxisLayout(axis, spec.PlacementAnchor, IsDocked(*this, axis), spec.Position, sizeRule);
}

void LControl::EndDrag()
{
    const RCPtr<LControl> self(this);
    if (m_dragMode != kDragDrop)
    {
        if (m_parent)
            m_parent->StopScrollAnimations();
        return;
    }
    if (IRootWindow* root = GetRootWindowLink())
        root->SetCursor(LControlApp::GetCursor(WString(u"UI_CURSOR_ARROW")));
    if (!m_clipWasOff)
        SetClipToParent(true);
    const PointD parentScroll = m_parent ? m_parent->m_scrollOffset : PointD{};
    for (std::int32_t axis = 0; m_layout && axis < 2; ++axis)
    {
        if (m_wasDocked[axis])
            continue;
        const AxisSpec spec = axis == 0 ? m_layout->X : m_layout->Y;
        LayoutReference position = spec.Position;
        position.Rel = 0.0f;
        position.Abs = axis == 0 ? m_bounds.x + parentScroll.x : m_bounds.y + parentScroll.y;
        SetAxisLayout(axis, spec.PlacementAnchor, false, position, spec.Size);
    }
    if (const RCPtr<LControl> target = std::move(m_dropTarget))
    {
        target->StopScrollAnimations();
        target->OnDrop(this);
        target->OnDragLeave(this);
    }
}

RCPtr<LControl> LControl::FindDropTarget(LControl* dragged, const PointD& point)
{
    std::vector<LControl*> passed;
    std::set<const LControl*> met;
    RCPtr<LControl> control(this);
    RCPtr<LControl> found;
    while (control && !found)
    {
        if (!met.insert(control.Get()).second)
            break;
        if (control->AcceptsDrop(dragged))
        {
            found = control;
            break;
        }
        if (ClipsToParent(*control) || !control->m_parent)
        {
            control = RCPtr<LControl>(control->m_parent.Get());
            continue;
        }
        IRootWindow* root = GetRootWindowLink();
        if (!root)
            break;
        passed.push_back(control.Get());
        for (LControl* mark : passed)
            mark->SetExcludedFromHitTest(true);
        const PointL at{static_cast<std::int32_t>(RoundHalfAway(point.x)),
                        static_cast<std::int32_t>(RoundHalfAway(point.y))};
        control = RCPtr<LControl>(root->FindControlAt(at));
        for (LControl* mark : passed)
            mark->SetExcludedFromHitTest(false);
    }
    return found;
}

bool LControl::AcceptsDrop(LControl*)
{
    return false;
}

std::uint32_t LControl::GetDropScrollEdges(LControl*)
{
    return 0;
}

QKRESULT LControl::OnDrop(LControl*)
{
    return QK_E_FAIL;
}

void LControl::StartInertia(std::int32_t axis, double velocity, double maximum, double minimum,
                            const RCPtr<LControl>& follower)
{
    AxisAnimation& animation = m_animation[axis & 1];
    animation.velocity = velocity;
    animation.maximum = maximum;
    animation.minimum = minimum;
    m_animationFollowers[axis & 1] = follower;
    if (animation.active)
        return;
    animation.active = true;
    animation.lastTime = LControlApp::GetTime();
    BeginIdleAnimation();
}

QKRESULT LControl::StopInertia(std::int32_t axis)
{
    AxisAnimation& animation = m_animation[axis & 1];
    m_animationFollowers[axis & 1] = nullptr;
    if (!animation.active)
        return QK_FALSE;
    animation.active = false;
    animation.decelerating = false;
    EndIdleAnimation();
    return QK_OK;
}

// 5. Idle work ----------------------------------------------------------------------------------

QKRESULT LControl::BeginIdleAnimation()
{
    if (++m_idleUsers != 1)
        return QK_OK;
    IRootWindow* root = GetRootWindowLink();
    if (!root)
        return QK_OK;
    if (!m_handlers)
        m_handlers = LNotificationHandler<LControl>::Create(this);
    const QKRESULT result =
        m_handlers->AddHandler(&LControl::OnIdle, ConstRCPtr<LNotificationDistributor>(root), kNidIdle);
    if (Failed(result))
        m_idleUsers = 0;
    return result;
}

QKRESULT LControl::EndIdleAnimation()
{
    if (m_idleUsers <= 0)
        return QK_E_FAIL;
    if (--m_idleUsers > 0)
        return QK_OK;
    IRootWindow* root = GetRootWindowLink();
    if (!root)
        return QK_OK;
    if (!m_handlers || !m_handlers->RemoveHandler(root, kNidIdle))
        return QK_E_FAIL;
    return Unsubscribe(ConstRCPtr<LNotificationDistributor>(root), kNidIdle);
}

void LControl::RunIdleAnimation()
{
    // Most idle subscribers animate nothing most of the time: they need not read the clock.
    const bool animating = m_animation[0].active || m_animation[1].active || m_sizeGrow[0] || m_sizeShrink[0] ||
                           m_sizeGrow[1] || m_sizeShrink[1] || m_moveAnimation;
    if (!animating && !(m_flags.leftDown && m_pressHandOver && m_pressHandOverTarget))
        return;
    const double now = LControlApp::GetTime();
    const std::uint32_t nowMs = LControlApp::GetMilliseconds();
    for (std::int32_t axis = 0; axis < 2; ++axis)
    {
        AxisAnimation& animation = m_animation[axis];
        if (!animation.active)
            continue;
        const double elapsed = now - animation.lastTime;
        const double step = RoundHalfAway(animation.velocity * elapsed);
        animation.lastTime = now;
        if (step != 0.0)
        {
            PointD offset = m_scrollOffset;
            double& value = axis == 0 ? offset.x : offset.y;
            value = std::clamp(value + step, std::min(animation.minimum, animation.maximum),
                               std::max(animation.minimum, animation.maximum));
            if (!(offset == m_scrollOffset))
                SetScrollOffset(offset);
        }
        if (const RCPtr<LControl> follower = m_animationFollowers[axis])
            if (IRootWindow* root = GetRootWindowLink())
            {
                const PointL cursor = root->GetCursorPosition();
                PointD origin;
                follower->GetPositionInRoot(origin);
                follower->DragMove(PointD{cursor.x - origin.x, cursor.y - origin.y});
            }
        if (animation.active && animation.decelerating && nowMs - m_releaseTime > 1000)
        {
            const double slowing = RoundHalfAway(m_deceleration * elapsed);
            const double magnitude = std::fabs(animation.velocity) - slowing;
            if (magnitude <= 0.0)
                StopInertia(axis);
            else
                animation.velocity = std::copysign(magnitude, animation.velocity);
        }
    }
    for (std::int32_t axis = 0; axis < 2; ++axis)
        RunSizeAnimation(axis, nowMs);
    RunMoveAnimation(nowMs);
    if (m_flags.leftDown && m_pressHandOver && nowMs - m_captureTime > 100 && m_pressHandOverTarget)
    {
        const auto* last = dynamic_cast<const LMouseButtonParam*>(m_lastLeftPress.Get());
        if (last)
        {
            const RCPtr<LMouseButtonParam> press = LMouseButtonParam::Create(
                LMouseButtonParam::kLeft, PointL{last->X, last->Y}, last->Modifiers, false, last->ButtonState);
            const RCPtr<LControl> target = m_pressHandOverTarget;
            ReleaseCapture();
            target->MouseDown(press.Get());
        }
    }
}

void LControl::StartSizeAnimation(std::int32_t axis, bool grow)
{
    axis &= 1;
    const bool running = m_sizeGrow[axis] || m_sizeShrink[axis];
    m_sizeGrow[axis] = grow;
    m_sizeShrink[axis] = !grow;
    m_sizeAnimationTime[axis] = LControlApp::GetMilliseconds();
    if (!running)
        BeginIdleAnimation();
}

void LControl::RunSizeAnimation(std::int32_t axis, std::uint32_t now)
{
    if (!m_sizeGrow[axis] && !m_sizeShrink[axis])
        return;
    const std::uint32_t elapsed = now - m_sizeAnimationTime[axis];
    m_sizeAnimationTime[axis] = now;
    bool complete = !m_layout;
    if (m_layout && elapsed > 0)
    {
        LayoutReference& size = (axis == 0 ? m_layout->X : m_layout->Y).Size;
        const double extentBefore = axis == 0 ? m_bounds.width : m_bounds.height;
        const double step = m_sizeGrow[axis] ? elapsed : -std::min<double>(elapsed, std::max(0.0, size.Abs));
        size.Abs += step;
        Relayout();
        const double moved = (axis == 0 ? m_bounds.width : m_bounds.height) - extentBefore;
        // The layout has stopped following when a size limit held the control back; an own
        // size then keeps what shows instead of running ahead of it.
        if (std::fabs(moved) < std::fabs(step))
        {
            complete = true;
            if (size.Kind == 2)
                size.Abs = axis == 0 ? m_bounds.width : m_bounds.height;
        }
        if (m_sizeShrink[axis] && size.Abs <= 0.0)
            complete = true;
    }
    if (!complete)
        return;
    m_sizeGrow[axis] = m_sizeShrink[axis] = false;
    EndIdleAnimation();
}

void LControl::StartMoveAnimation(const PointD& target)
{
    if (!m_layout)
        return;
    m_moveTarget = target;
    m_moveCurrent = PointD{m_layout->X.Position.Abs, m_layout->Y.Position.Abs};
    m_moveAnimationTime = LControlApp::GetMilliseconds();
    if (m_moveAnimation)
        return;
    m_moveAnimation = true;
    BeginIdleAnimation();
}

void LControl::RunMoveAnimation(std::uint32_t now)
{
    if (!m_moveAnimation)
        return;
    const double elapsed = static_cast<double>(now - m_moveAnimationTime);
    m_moveAnimationTime = now;
    if (m_layout && elapsed > 0.0)
    {
        const auto approach = [elapsed](double current, double target) {
            return current < target ? std::min(target, current + elapsed) : std::max(target, current - elapsed);
        };
        m_moveCurrent = PointD{approach(m_moveCurrent.x, m_moveTarget.x), approach(m_moveCurrent.y, m_moveTarget.y)};
        m_layout->X.Position.Abs = m_moveCurrent.x;
        m_layout->Y.Position.Abs = m_moveCurrent.y;
        Relayout();
    }
    if (m_layout && !(m_moveCurrent == m_moveTarget))
        return;
    m_moveAnimation = false;
    EndIdleAnimation();
}

QKRESULT LControl::OnIdle(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>&)
{
    const RCPtr<LControl> self(this);
    if (!m_animationsPaused)
        RunIdleAnimation();
    if (m_pendingRemovals.GetCount() > 0)
        PurgeRemovedChildren();
    OnTimer();
    return QK_OK;
}

} // namespace QK
