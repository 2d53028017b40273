// LRootWindow: the top of one control tree and the tree's only link to its host window.
//
// It owns the root control and tracks the focus, previous focus, hover, tooltip, capture and
// drop-target controls; turns the host's mouse and key events into event objects and hands
// them to controls through their UITarget operations; collects the dirty region and paints
// it through the renderer; keeps the window's hot keys ("GHK" of the root control's string
// table) and carries a requested close until the idle step completes it.
//
// It is a notification distributor with its own queue attached to itself: notifications
// posted to it (its hot keys among them) are sent from it by its idle step, which also sends
// "NID_IDLE" on the first pass of an idle period. The host is reached only through
// IWindowOSServices; a root window without host answers every host query with its neutral
// value. The host drives it through IHostedRootWindow and never sees this class: the
// application makes it for the host (IHostAppServices::CreateRootWindow).
//
// Threads: everything runs on the UI thread, except that keys may be queued (QueueKey) and
// areas invalidated from any thread; the key queue and the pending region have a lock each,
// and neither lock is held while the other is taken or while a control runs.
//
// Contents: creation and teardown; queries; tree and window; focus; capture and hover; keys;
// mouse; dropped files; painting; fields.
#pragma once

#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ControlBase/Input/GlobalHotKeyManager.h"
#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/Notification/NotificationQueue.h"
#include "QKFramework/Platform/Window/HostedRootWindow.h"
#include "QKFramework/Platform/Window/WindowOSServices.h"
#include "QKFramework/Renderer/Renderer.h"
#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Utilities/Graphics/RectRegion.h"
#include "QKFramework/Utilities/Storage/RCPtrQueue.h"
#include "QKFramework/Utilities/Storage/StringArray.h"

#include <cstdint>

namespace QK
{

class LRootWindow : public IHostedRootWindow, public LNotificationQueue
{
public:
    // Input sources whose buttons are tracked; the host window is source 0.
    static constexpr std::int32_t kSourceCount = 10;

    using KeyQueue = RCPtrQueue<LKeyParam, 256, Mutex>;

    // host may be null (a root window without a window).
    static RCPtr<LRootWindow> Create(const RCPtr<LRenderer>& renderer, IWindowOSServices* host);
    ~LRootWindow() override;

    // Detaches the subscribers, forgets the host, closes the root control and detaches the
    // queue; 0 when nothing but the caller's reference is left, else 0x80004005.
    QKRESULT ReleaseInternalReferences() override;

    // --- Queries ---------------------------------------------------------------------------

    // {screen x, screen y, width, height} of the client area, refreshed from the host.
    RectL GetScreenRect();
    LongPair GetClientSize() const override;
    PointL GetClientOrigin() const override;
    // 1 Ctrl, 8 Shift, 64 Alt, as the application sees the keys now.
    std::uint32_t GetModifierKeyState() const;
    std::uint32_t GetMouseButtonState() const override;
    PointL GetCursorPosition() const override;
    IWindowOSServices* GetHost() const noexcept { return m_host; }
    void SetHost(IWindowOSServices* host) override { m_host = host; }
    const RCPtr<LRenderer>& GetRenderer() const noexcept { return m_renderer; }

    // --- Tree and window -------------------------------------------------------------------

    // Releases the held controls, closes the old root, reads the new root's "GHK" bindings,
    // lays it out to the client area and gives it the focus (or asks the host for it).
    QKRESULT SetRootControl(const RCPtr<LControl>& control);
    // The same with a control made from the current skin's control description of that name;
    // an empty name sets no control. 0x80004005 when no control can be made.
    QKRESULT SetRootControl(const WString& descriptorName);
    const RCPtr<LControl>& GetRootControl() const noexcept { return m_rootControl; }
    void SetTitle(const WString& title) override;
    void SetWindowRect(const RectL& rect) override;
    // Lays the root control out for the proposed client size within the work area and the
    // control's own limits; 1 when the size changed, else 0.
    QKRESULT Resize(LongPair& size) override;
    void OnHostSized(const LongPair& size) override;
    // Null: the application's "UI_CURSOR_ARROW". Answers the cursor replaced (0 without host).
    std::intptr_t SetCursor(std::intptr_t cursor) override;
    // Passes a caret request to the host when control has the focus.
    QKRESULT SetTextCaret(LControl* control, bool on, const PointL& position) override;
    // 0x80004005 without host; otherwise the close happens in the idle step with result.
    QKRESULT RequestClose(std::int32_t result) override;
    // The system close of a window other than the main window: a dialog closes itself as
    // Cancel (and may refuse), any other root control closes with 0.
    QKRESULT OnCloseRequest() override;
    bool IsClosePending() const noexcept { return m_closePending; }
    std::int32_t GetCloseResult() const noexcept { return m_closeResult; }

    // --- Focus -----------------------------------------------------------------------------

    void SetFocusControl(LControl* control) override;
    // Remembers the focus control as the previous one, then clears it.
    void ClearFocusControl() override;
    LControl* GetFocusedControl() const override { return m_focusControl.Get(); }
    QKRESULT HandleHotKey(const KeyCode& key) override;
    void HandleTabKey(LKeyParam* key) override;
    LControl* FindControlAt(const PointL& point) override;
    const RCPtr<LControl>& GetFocusControl() const noexcept { return m_focusControl; }
    const RCPtr<LControl>& GetPreviousFocusControl() const noexcept { return m_previousFocusControl; }
    LControl* GetPreviousFocusedControl() const override { return m_previousFocusControl.Get(); }
    // The host got the focus (or a click on its frame).
    void OnActivate() override;
    void OnKillFocus() override;
    // Tab past the last control: the focus goes round this tree, or on to the next (Shift:
    // previous) root window of the application.
    void FocusNextWindow(const KeyCode& key);

    // --- Capture and hover -----------------------------------------------------------------

    // 0x80070057 for null.
    QKRESULT SetCaptureControl(LControl* control) override;
    QKRESULT ReleaseCaptureControl() override;
    // The host lost the system capture.
    void OnCaptureChanged();
    const RCPtr<LControl>& GetCaptureControl() const noexcept { return m_captureControl; }
    void SetHoverControl(LControl* control) override;
    LControl* GetHoverControl() const override { return m_hoverControl.Get(); }
    const RCPtr<LControl>& GetToolTipControl() const noexcept { return m_toolTipControl; }
    void UpdateHover() override;

    // --- Keys ------------------------------------------------------------------------------

    // Hands key at once to the focus control, its tooltip hidden first.
    void DeliverKey(LKeyParam* key) override;
    // Queues key for the idle step (any thread).
    void QueueKey(const RCPtr<LKeyParam>& key);
    // The idle step: queued keys, then this window's notifications (with "NID_IDLE" when
    // first), then a pending close. Answers whether notifications are still waiting.
    bool DeliverQueuedKeys(bool first);
    const RCPtr<LGlobalHotKeyManager>& GetHotKeyManager() const noexcept { return m_hotKeys; }
    LGlobalHotKeyManager* GetWindowHotKeys() const override { return m_hotKeys.Get(); }

    // --- Mouse (client coordinates; only while the host is active) --------------------------

    // The deepest control under point and point local to it, or null; with setHover the
    // hover follows.
    virtual RCPtr<LControl> HitTest(const PointL& point, PointL& local, bool setHover);
    void OnMouseButton(std::int32_t kind, std::uint32_t button, std::uint32_t modifiers, const PointL& point,
                       std::int32_t source = 0) override;
    void OnMouseMove(const PointL& point, std::uint32_t modifiers, std::int32_t source = 0) override;
    void OnMouseWheel(const PointL& point, std::uint32_t modifiers, std::int32_t direction) override;

    // --- Dropped files ---------------------------------------------------------------------

    void OnFilesDropped(const StringArray& paths) override;
    bool CanAcceptDropAt(const PointL& point) override;
    void DropFiles() override;
    void CancelDrop() override;

    // --- Painting --------------------------------------------------------------------------

    // Clipped to the client area; nothing for an empty result. Any thread.
    void InvalidateRect(const RectL& rect);
    void InvalidateRect(const RectD& rect) override;
    void InvalidateAll();
    void MarkFullRepaint() override { m_fullRepaintMarked = true; }
    // Moves the pending region into region (a marked full repaint invalidates all first).
    void TakeUpdateRegion(RectRegion& region) override;
    // Paints the tree where region asks, inside the renderer's current paint.
    void Paint(const RectRegion& region) override;

protected:
    // A subclass makes itself with new and then calls CompleteCreation, as Create does.
    LRootWindow(const RCPtr<LRenderer>& renderer, IWindowOSServices* host);
    // Creates the hot-key manager and attaches the window's queue to itself.
    void CompleteCreation();

private:
    bool IsHostActive() const { return m_host && m_host->IsActive(); }
    void ReleaseHeldControls();
    void HideToolTip();
    PointL LocalTo(const LControl& control, const PointL& point) const;
    void PaintControlTree(LControl& control, const RectRegion& region);
    void LayOutRootControl();

    RCPtr<LRenderer> m_renderer;
    IWindowOSServices* m_host;
    RectL m_clientRect{0, 0, 1024, 768};
    RCPtr<LControl> m_rootControl;
    RectRegion m_pendingRegion;
    mutable Mutex m_regionLock;
    bool m_fullRepaintMarked = false;
    std::uint32_t m_doubleClickBits = 0;
    RCPtr<LGlobalHotKeyManager> m_hotKeys;
    RCPtr<LControl> m_focusControl;
    RCPtr<LControl> m_previousFocusControl;
    RCPtr<LControl> m_hoverControl;
    RCPtr<LControl> m_dropTargetControl;
    RCPtr<LControl> m_toolTipControl;
    RCPtr<LControl> m_captureControl;
    bool m_closePending = false;
    std::int32_t m_closeResult = 0;
    Mutex m_keyQueueLock;
    KeyQueue m_keyQueue;
    std::uint32_t m_buttonBits[kSourceCount] = {};
    StringArray m_droppedFiles;
    bool m_dropAccepted = false;
    bool m_selfTarget = false;
    bool m_holdsRootReference = false;
};

} // namespace QK
