// Contents: creation and teardown; queries; tree and window; focus; capture and hover; keys;
// mouse; dropped files; painting.
#include "QKFramework/Application/RootWindow.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/ControlBase/ScrollView.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/Controls/Dialog.h"
#include "QKFramework/Utilities/Debug/DebugLog.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <ostream>

namespace QK
{

namespace
{

std::int32_t RoundHalfAway(double value)
{
    const double rounded = std::round(value);
    if (!(rounded > -2147483648.0))
        return INT32_MIN;
    if (rounded >= 2147483647.0)
        return INT32_MAX;
    return static_cast<std::int32_t>(rounded);
}

bool IsInTree(const LControl& control)
{
    return control.GetParent() != nullptr || control.GetRootWindow();
}

// The control that supplies control's tooltip: itself, or the ancestor it defers to; null
// when that one has no text.
LControl* FindToolTipOwner(LControl* control)
{
    while (control && control->UsesParentToolTip() && control->GetParent())
        control = control->GetParent();
    return (control && !control->GetToolTipText().IsEmpty()) ? control : nullptr;
}

} // namespace

// --- Creation and teardown -------------------------------------------------------------------

LRootWindow::LRootWindow(const RCPtr<LRenderer>& renderer, IWindowOSServices* host)
    : m_renderer(renderer), m_host(host), m_keyQueue(&m_keyQueueLock)
{
}

LRootWindow::~LRootWindow() = default;

RCPtr<LRootWindow> LRootWindow::Create(const RCPtr<LRenderer>& renderer, IWindowOSServices* host)
{
    RCPtr<LRootWindow> window(new LRootWindow(renderer, host));
    window->CompleteCreation();
    return window;
}

void LRootWindow::CompleteCreation()
{
    m_hotKeys = LGlobalHotKeyManager::Create(GetPostingReceiver());
    if (Attach(ConstRCPtr<LNotificationDistributor>(this)) == QK_OK)
    {
        // The queue's hold on its target is a reference of this window to itself.
        AddInternalReferences(1);
        m_selfTarget = true;
    }
}

QKRESULT LRootWindow::ReleaseInternalReferences()
{
    DetachAllClients();
    m_host = nullptr;
    SetRootControl(RCPtr<LControl>());
    // The hot keys' target is this window's posting receiver.
    m_hotKeys = nullptr;
    Detach();
    if (m_selfTarget)
    {
        m_selfTarget = false;
        AddInternalReferences(-1);
    }
    return (GetInternalRefCount() == 0 && GetRefCount() == 1) ? QK_OK : QK_E_FAIL;
}

// --- Queries -----------------------------------------------------------------------------------

RectL LRootWindow::GetScreenRect()
{
    if (m_host)
    {
        RectL client = m_clientRect;
        if (m_host->GetClientRect(client) == QK_OK)
        {
            PointL origin{0, 0};
            m_host->ClientToScreen(origin);
            m_clientRect = RectL{origin.x, origin.y, client.width, client.height};
        }
    }
    return m_clientRect;
}

LongPair LRootWindow::GetClientSize() const
{
    const RectL rect = const_cast<LRootWindow*>(this)->GetScreenRect();
    return {rect.width, rect.height};
}

PointL LRootWindow::GetClientOrigin() const
{
    const RectL rect = const_cast<LRootWindow*>(this)->GetScreenRect();
    return {rect.x, rect.y};
}

std::uint32_t LRootWindow::GetModifierKeyState() const
{
    std::uint32_t modifiers = 0;
    if (LControlApp::IsKeyDown(17))
        modifiers |= KeyCode::kFlagCtrl;
    if (LControlApp::IsKeyDown(16))
        modifiers |= KeyCode::kFlagShift;
    if (LControlApp::IsKeyDown(18))
        modifiers |= KeyCode::kFlagAlt;
    return modifiers;
}

std::uint32_t LRootWindow::GetMouseButtonState() const
{
    if (!m_host)
        return 0;
    return IsHostActive() ? m_host->GetMouseButtonState() : LControlApp::GetMouseButtonState();
}

PointL LRootWindow::GetCursorPosition() const
{
    if (!m_host)
        return {0, 0};
    if (IsHostActive())
        return m_host->GetCursorPosition();
    PointL point = LControlApp::GetCursorPos();
    m_host->ScreenToClient(point);
    return point;
}

// --- Tree and window ---------------------------------------------------------------------------

void LRootWindow::ReleaseHeldControls()
{
    m_focusControl = nullptr;
    m_previousFocusControl = nullptr;
    m_hoverControl = nullptr;
    m_dropTargetControl = nullptr;
    m_toolTipControl = nullptr;
    m_captureControl = nullptr;
}

void LRootWindow::LayOutRootControl()
{
    if (!m_rootControl)
        return;
    const LongPair size = GetClientSize();
    if (m_rootControl->Relayout() == QK_E_FAIL)
        m_rootControl->SetLayoutRect(PointD{0.0, 0.0}, DoublePair{double(size.first), double(size.second)});
}

QKRESULT LRootWindow::SetRootControl(const RCPtr<LControl>& control)
{
    const RCPtr<LRootWindow> self(this);
    ReleaseHeldControls();
    if (const RCPtr<LControl> old = std::move(m_rootControl))
    {
        old->Close();
        if (m_holdsRootReference)
        {
            m_holdsRootReference = false;
            AddInternalReferences(-1);
        }
        if (m_hotKeys)
            m_hotKeys->ClearBindings();
    }
    if (!control)
        return QK_OK;

    m_rootControl = control;
    if (!control->GetRootWindow() && !control->GetParent())
        control->SetRootWindow(this);
    if (m_hotKeys)
    {
        const ConstRCPtr<LStringTable> table = control->GetStringTable();
        if (table)
            m_hotKeys->ReadBindings(table.Get(), WString(u"GHK"));
    }
    LayOutRootControl();

    if (!m_focusControl)
    {
        if (m_host && m_host->HasFocus())
            control->SetFocus(true);
        else if (m_host)
            m_host->SetFocus();
    }
    if (m_rootControl == control && control->GetRootWindow().Get() == this)
    {
        AddInternalReferences(1);
        m_holdsRootReference = true;
    }
    InvalidateAll();
    return QK_OK;
}

QKRESULT LRootWindow::SetRootControl(const WString& descriptorName)
{
    if (descriptorName.IsEmpty())
        return SetRootControl(RCPtr<LControl>());
    const LControlFactory* factory = LControlApp::GetControlFactory();
    const RCPtr<LControl> control = factory ? factory->CreateRootControl(descriptorName, this) : nullptr;
    if (!control)
        return QK_E_FAIL;
    return SetRootControl(control);
}

void LRootWindow::SetTitle(const WString& title)
{
    if (m_host)
        m_host->SetTitle(title);
}

void LRootWindow::SetWindowRect(const RectL& rect)
{
    if (rect == GetScreenRect())
        return;
    if (m_host)
        m_host->SetWindowRect(rect);
    m_clientRect = rect;
    LayOutRootControl();
}

QKRESULT LRootWindow::Resize(LongPair& size)
{
    const LongPair before = size;
    if (m_rootControl)
    {
        const RectL work = LControlApp::GetWorkArea();
        if (work.width > 0)
            size.first = std::min(size.first, work.width);
        if (work.height > 0)
            size.second = std::min(size.second, work.height);
        m_rootControl->SizeChanged(DoublePair{double(size.first), double(size.second)});
        size = {RoundHalfAway(m_rootControl->GetWidth()), RoundHalfAway(m_rootControl->GetHeight())};
    }
    size.first = std::max(size.first, 1);
    size.second = std::max(size.second, 1);
    return size == before ? QK_OK : QK_FALSE;
}

void LRootWindow::OnHostSized(const LongPair& size)
{
    m_clientRect.width = size.first;
    m_clientRect.height = size.second;
    if (m_rootControl)
        m_rootControl->SizeChanged(DoublePair{double(size.first), double(size.second)});
}

std::intptr_t LRootWindow::SetCursor(std::intptr_t cursor)
{
    if (!cursor)
        cursor = LControlApp::GetCursor(WString(u"UI_CURSOR_ARROW"));
    return m_host ? m_host->SetCursor(cursor) : 0;
}

QKRESULT LRootWindow::SetTextCaret(LControl* control, bool on, const PointL& position)
{
    if (!m_host || !control || control != m_focusControl.Get())
        return QK_FALSE;
    return m_host->SetTextCaret(on, position);
}

QKRESULT LRootWindow::RequestClose(std::int32_t result)
{
    if (!m_host)
        return QK_E_FAIL;
    m_closeResult = result;
    m_closePending = true;
    return QK_OK;
}

QKRESULT LRootWindow::OnCloseRequest()
{
    if (auto* dialog = dynamic_cast<LDialog*>(m_rootControl.Get()))
    {
        const RCPtr<LControl> held(dialog);
        dialog->Close(2);
        return QK_OK;
    }
    return RequestClose(0);
}

// --- Focus -------------------------------------------------------------------------------------

void LRootWindow::SetFocusControl(LControl* control)
{
    m_focusControl = control;
}

void LRootWindow::ClearFocusControl()
{
    if (m_focusControl)
        m_previousFocusControl = m_focusControl;
    m_focusControl = nullptr;
}

QKRESULT LRootWindow::HandleHotKey(const KeyCode& key)
{
    const RCPtr<LGlobalHotKeyManager> hotKeys = m_hotKeys;
    return hotKeys ? hotKeys->HandleKey(key) : QK_FALSE;
}

void LRootWindow::HandleTabKey(LKeyParam* key)
{
    if (key)
        FocusNextWindow(key->Key);
}

LControl* LRootWindow::FindControlAt(const PointL& point)
{
    PointL local;
    return HitTest(point, local, false).Get();
}

void LRootWindow::OnActivate()
{
    if (m_focusControl)
        return;
    const RCPtr<LControl> previous = m_previousFocusControl;
    if (previous && previous->GetRootWindowLink() == this)
        previous->SetFocus(true);
    else if (m_rootControl)
        m_rootControl->SetFocus(true);
}

void LRootWindow::OnKillFocus()
{
    SetHoverControl(nullptr);
    if (const RCPtr<LControl> root = m_rootControl)
    {
        root->SetFocus(true);
        root->KillFocus();
    }
}

void LRootWindow::FocusNextWindow(const KeyCode& key)
{
    if (!IsHostActive() || m_host->IsInModalLoop())
        return;
    const bool backwards = (static_cast<std::uint32_t>(key.Code) & KeyCode::kShift) != 0;
    const std::vector<IRootWindow*> windows = LControlApp::GetRootWindows();
    if (windows.size() <= 1)
    {
        if (const RCPtr<LControl> root = m_rootControl)
        {
            root->KillFocus();
            root->SetFocus(!backwards);
        }
        return;
    }
    const auto at = std::find(windows.begin(), windows.end(), static_cast<IRootWindow*>(this));
    if (at == windows.end())
        return;
    const std::size_t count = windows.size();
    const std::size_t index = static_cast<std::size_t>(at - windows.begin());
    const std::size_t next = backwards ? (index + count - 1) % count : (index + 1) % count;
    auto* window = dynamic_cast<LRootWindow*>(windows[next]);
    if (window && window->m_host && !window->m_host->IsActive())
        window->m_host->SetFocus();
}

// --- Capture and hover -------------------------------------------------------------------------

QKRESULT LRootWindow::SetCaptureControl(LControl* control)
{
    if (!control)
        return QK_E_INVALIDARG;
    if (const RCPtr<LControl> old = m_captureControl)
        old->ReleaseCapture();
    m_captureControl = control;
    return QK_OK;
}

QKRESULT LRootWindow::ReleaseCaptureControl()
{
    if (!m_captureControl)
        return QK_FALSE;
    m_captureControl = nullptr;
    return QK_OK;
}

void LRootWindow::OnCaptureChanged()
{
    if (const RCPtr<LControl> capture = m_captureControl)
        capture->ReleaseCapture();
}

void LRootWindow::SetHoverControl(LControl* control)
{
    const RCPtr<LControl> target = m_captureControl ? m_captureControl : RCPtr<LControl>(control);
    if (target == m_hoverControl)
        return;

    LControl* owner = (target && target != m_captureControl) ? FindToolTipOwner(target.Get()) : nullptr;
    if (owner != m_toolTipControl.Get())
    {
        if (const RCPtr<LControl> old = m_toolTipControl)
            old->ShowToolTip(false);
        m_toolTipControl = owner;
        if (owner)
            owner->ShowToolTip(true);
    }

    if (const RCPtr<LControl> old = std::move(m_hoverControl))
        if (IsInTree(*old))
            old->MouseLeave();
    m_hoverControl = target;
    if (target)
    {
        const RCPtr<LPointWithModifiersParam> point =
            LPointWithModifiersParam::Create(LocalTo(*target, GetCursorPosition()), GetModifierKeyState());
        target->MouseEnter(point.Get());
    }
}

void LRootWindow::UpdateHover()
{
    PointL local;
    HitTest(GetCursorPosition(), local, true);
}

// --- Keys --------------------------------------------------------------------------------------

void LRootWindow::HideToolTip()
{
    if (const RCPtr<LControl> tip = m_toolTipControl)
        tip->ShowToolTip(false);
}

void LRootWindow::DeliverKey(LKeyParam* key)
{
    if (!key)
        return;
    const RCPtr<LKeyParam> held(key);
    HideToolTip();
    if (const RCPtr<LControl> focus = m_focusControl)
    {
        focus->KeyInput(key);
        // Focus the keyboard moved (Tab, Shift+Tab) is brought into view: in a window cut to
        // a small screen it may have gone where the scroll views do not show it.
        if (const RCPtr<LControl> now = m_focusControl; now && now != focus)
            LScrollView::ScrollIntoView(*now);
    }
}

void LRootWindow::QueueKey(const RCPtr<LKeyParam>& key)
{
    if (key)
        m_keyQueue.Enqueue(key);
}

bool LRootWindow::DeliverQueuedKeys(bool first)
{
    const RCPtr<LRootWindow> self(this);
    for (std::uint32_t count = m_keyQueue.GetCount(); count > 0; --count)
    {
        const RCPtr<LKeyParam> key = m_keyQueue.Dequeue();
        DeliverKey(key.Get());
    }
    const bool more = DispatchNotifications(first);
    if (m_closePending && m_host)
    {
        m_closePending = false;
        m_host->EndModal(m_closeResult);
    }
    return more;
}

// --- Mouse -------------------------------------------------------------------------------------

PointL LRootWindow::LocalTo(const LControl& control, const PointL& point) const
{
    PointD origin;
    control.GetPositionInRoot(origin);
    return {point.x - RoundHalfAway(origin.x), point.y - RoundHalfAway(origin.y)};
}

RCPtr<LControl> LRootWindow::HitTest(const PointL& point, PointL& local, bool setHover)
{
    const RCPtr<LControl> root = m_rootControl;
    if (!root)
        return nullptr;
    const RectD& bounds = root->GetBounds();
    const PointL relative{point.x - RoundHalfAway(bounds.x), point.y - RoundHalfAway(bounds.y)};
    RCPtr<LControl> found;
    std::int32_t depth = INT32_MIN;
    if (root->FindControlAtPoint(found, relative, true, local, depth) != QK_OK)
        found = nullptr;
    if (setHover)
        SetHoverControl(found.Get());
    return found;
}

void LRootWindow::OnMouseButton(std::int32_t kind, std::uint32_t button, std::uint32_t modifiers, const PointL& point,
                                std::int32_t source)
{
    if (!IsHostActive())
        return;
    // Sources outside the tracked range would index past the button words.
    if (source < 0 || source >= kSourceCount)
        return;
    const RCPtr<LRootWindow> self(this);
    if (!(point == GetCursorPosition()))
        OnMouseMove(point, modifiers, source);
    HideToolTip();

    if (kind == kButtonDown || kind == kButtonDoubleClick)
    {
        m_buttonBits[source] |= button;
        RCPtr<LControl> target = m_captureControl;
        PointL local;
        if (target)
            local = LocalTo(*target, point);
        else
            target = HitTest(point, local, true);
        if (!target)
            return;
        const bool doubleClick = kind == kButtonDoubleClick;
        const RCPtr<LMouseButtonParam> event =
            LMouseButtonParam::Create(button, local, modifiers, doubleClick, GetMouseButtonState(), source);
        if (doubleClick)
            m_doubleClickBits |= button;
        else
            m_doubleClickBits &= ~button;
        target->MouseDown(event.Get());
        return;
    }

    m_buttonBits[source] &= ~button;
    const RCPtr<LControl> capture = m_captureControl;
    if (!capture)
        return;
    const RCPtr<LMouseButtonParam> event =
        LMouseButtonParam::Create(button, LocalTo(*capture, point), modifiers, (m_doubleClickBits & button) != 0,
                                  GetMouseButtonState(), source);
    m_doubleClickBits &= ~button;
    capture->MouseUp(event.Get());
}

void LRootWindow::OnMouseMove(const PointL& point, std::uint32_t modifiers, std::int32_t source)
{
    if (!IsHostActive())
        return;
    const RCPtr<LRootWindow> self(this);
    PointL local;
    const RCPtr<LControl> hit = HitTest(point, local, true);
    const RCPtr<LControl> capture = m_captureControl;
    const RCPtr<LControl> target = capture ? capture : hit;
    if (!target)
        return;
    if (capture)
        local = LocalTo(*capture, point);
    const RCPtr<LPointWithModifiersParam> event = LPointWithModifiersParam::Create(local, modifiers, source);
    target->MouseMove(event.Get());
}

void LRootWindow::OnMouseWheel(const PointL& point, std::uint32_t modifiers, std::int32_t direction)
{
    if (!IsHostActive())
        return;
    const RCPtr<LRootWindow> self(this);
    HideToolTip();
    RCPtr<LControl> target = m_captureControl;
    PointL local;
    if (!target)
        target = HitTest(point, local, true);
    if (!target)
        return;
    const RCPtr<LMouseWheelParam> event = LMouseWheelParam::Create(point, modifiers, direction);
    const bool horizontal = event->IsHorizontal();
    auto deliver = [&](LControl& control)
    { return horizontal ? control.MouseWheel(*event) : control.MouseWheel(event.Get()); };
    if (deliver(*target) == QK_FALSE)
        if (const RCPtr<LControl> focus = m_focusControl)
            deliver(*focus);
}

// --- Dropped files -----------------------------------------------------------------------------

void LRootWindow::OnFilesDropped(const StringArray& paths)
{
    m_droppedFiles = paths;
}

bool LRootWindow::CanAcceptDropAt(const PointL& point)
{
    PointL local;
    const RCPtr<LControl> control = HitTest(point, local, false);
    if (control != m_dropTargetControl)
    {
        m_dropTargetControl = control;
        m_dropAccepted = control && control->CanAcceptDrop();
    }
    return m_dropAccepted;
}

void LRootWindow::DropFiles()
{
    if (const RCPtr<LControl> target = m_dropTargetControl)
        target->DropFiles(m_droppedFiles);
}

void LRootWindow::CancelDrop()
{
    m_droppedFiles = StringArray();
    m_dropTargetControl = nullptr;
    m_dropAccepted = false;
}

// --- Painting ----------------------------------------------------------------------------------

void LRootWindow::InvalidateRect(const RectL& rect)
{
    const LongPair size = GetClientSize();
    RectL clipped;
    if (!RectL::Intersect(clipped, rect, RectL{0, 0, size.first, size.second}))
        return;
    {
        const MutexLock lock(m_regionLock);
        const std::int32_t right = clipped.x + clipped.width;
        const std::int32_t bottom = clipped.y + clipped.height;
        if (!m_pendingRegion.Covers(clipped.x, clipped.y, right, bottom))
            m_pendingRegion.AddRect(clipped.x, clipped.y, right, bottom);
    }
    if (m_host)
        m_host->InvalidateRect(clipped);
}

void LRootWindow::InvalidateRect(const RectD& rect)
{
    // Whole pixels that cover the area.
    const double left = std::floor(rect.x);
    const double top = std::floor(rect.y);
    const double right = std::ceil(rect.x + rect.width);
    const double bottom = std::ceil(rect.y + rect.height);
    const auto clamp = [](double value) { return RoundHalfAway(std::clamp(value, -1.0e9, 1.0e9)); };
    InvalidateRect(RectL{clamp(left), clamp(top), clamp(right - left), clamp(bottom - top)});
}

void LRootWindow::InvalidateAll()
{
    const LongPair size = GetClientSize();
    InvalidateRect(RectL{0, 0, size.first, size.second});
}

void LRootWindow::TakeUpdateRegion(RectRegion& region)
{
    if (m_fullRepaintMarked)
    {
        InvalidateAll();
        m_fullRepaintMarked = false;
    }
    const MutexLock lock(m_regionLock);
    region = std::move(m_pendingRegion);
    m_pendingRegion.Clear();
}

void LRootWindow::Paint(const RectRegion& region)
{
    const RCPtr<LControl> root = m_rootControl;
    if (!root || region.IsEmpty() || !m_renderer)
        return;
    const LRenderContextInfo* context = m_renderer->GetCurrentContext();
    if (context && context->GetDoNotDraw())
    {
        if (m_host)
            m_host->InvalidateAll();
        return;
    }
    // Invalidations pile up as many small pieces (a start-up paint has hundreds, covering the
    // window); every look draws once per piece it meets, so the pieces are merged first. The
    // pixels covered stay the same.
    RectRegion merged(region);
    merged.Normalize();
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    merged.GetBounds(left, top, right, bottom);
    const RectD& bounds = root->GetBounds();
    RectD paintRect;
    RectD::Intersect(paintRect, bounds, RectD{double(left), double(top), double(right - left), double(bottom - top)});
    const LongPair size = GetClientSize();
    try
    {
        // A paint of most of the window (the first one above all) meets many images not yet
        // decoded: they decode side by side on the workers while the tree draws.
        if (paintRect.width * paintRect.height * 2.0 >= double(size.first) * double(size.second))
            root->StartDecodingShownImages();
        const CAutoStencilClip clip(m_renderer, RectD{0.0, 0.0, double(size.first), double(size.second)}, paintRect,
                                    nullptr, true);
        PaintControlTree(*root, merged);
    }
    catch (const std::exception& error)
    {
        // A control that fails to draw must not take the event loop down; the next paint
        // tries again.
        DebugLog::Get().GetNarrowOutput() << "LRootWindow::Paint: " << error.what() << std::endl;
    }
}

void LRootWindow::PaintControlTree(LControl& control, const RectRegion& region)
{
    // The control paints its subtree in z order, each child clipped to itself, and collects
    // the controls not clipped to their parent; those paint afterwards, above the rest.
    RCPtrArray<LControl> unclipped;
    if (control.Paint(*m_renderer, region, unclipped, false) == QK_E_INVALIDARG)
        unclipped.Add(RCPtr<LControl>(&control));
    std::vector<const LControl*> painted;
    for (std::uint32_t i = 0; i < unclipped.GetCount(); ++i)
    {
        const RCPtr<LControl> next = *unclipped.GetAt(i);
        if (std::find(painted.begin(), painted.end(), next.Get()) != painted.end())
            continue;
        painted.push_back(next.Get());
        PointD origin{0.0, 0.0};
        if (const LControl* parent = next->GetParent())
        {
            parent->GetPositionInRoot(origin);
            const RectD client = parent->GetLookClientRect(-1);
            origin.x += client.x - parent->GetScrollOffset().x;
            origin.y += client.y - parent->GetScrollOffset().y;
        }
        const CAutoRenderState state(m_renderer);
        ClipDescription place;
        place.flavor = ClipDescription::kTranslation;
        place.offset = origin;
        const CAutoClip translation(m_renderer, place);
        next->Paint(*m_renderer, region, unclipped, true);
    }
}

} // namespace QK
