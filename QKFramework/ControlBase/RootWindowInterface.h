// IRootWindow: the window at the top of one tree of controls, as the controls see it.
//
// The window host implements it; a tree's top control holds a counted reference to its root
// window (LControl::SetRootWindow) instead of a parent. The root window is also the source
// of the tree's "NID_IDLE", sent once per idle pass of the UI thread, to which controls with
// idle work subscribe. Every call comes on the UI thread.
#pragma once

#include "QKFramework/Notification/NotificationDistributor.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Geometry/Rect.h"
#include "QKFramework/Utilities/Storage/StringFwd.h"

#include <cstdint>

namespace QK
{

class KeyCode;
class LGlobalHotKeyManager;
class LControl;
class LKeyParam;

class IRootWindow : public virtual LNotificationDistributor
{
public:
    ~IRootWindow() override = default;

    // The top control's text becomes the window's title.
    virtual void SetTitle(const WString&) {}
    // Shows cursor while the pointer is in the window; answers the cursor it replaced.
    virtual std::intptr_t SetCursor(std::intptr_t) { return 0; }
    // Hit-tests the current pointer position again and moves the hover to the control now
    // under it.
    virtual void UpdateHover() {}
    // The area (root coordinates) needs repainting.
    virtual void InvalidateRect(const RectD&) {}
    // The control the pointer is over, or null.
    virtual LControl* GetHoverControl() const { return nullptr; }
    // Makes control the one the pointer is over (after the pointer was moved onto it).
    virtual void SetHoverControl(LControl*) {}
    // Mouse-button bits held: 1 left, 2 middle, 4 right.
    virtual std::uint32_t GetMouseButtonState() const { return 0; }
    // Where the window's client area starts on the screen, and its size.
    virtual PointL GetClientOrigin() const { return {}; }
    virtual LongPair GetClientSize() const { return {0, 0}; }
    // Moves and sizes the host window so that its client area covers rect (screen
    // coordinates). The host then tells the top control its new size (SizeChanged).
    virtual void SetWindowRect(const RectL&) {}
    // The pointer position in client coordinates.
    virtual PointL GetCursorPosition() const { return {}; }

    // Input bookkeeping the controls report to their window.
    // control holds the mouse capture from now on; 0x80070057 for null.
    virtual QKRESULT SetCaptureControl(LControl*) { return QK_E_FAIL; }
    // The capture ends: 0, or 1 when no control held it.
    virtual QKRESULT ReleaseCaptureControl() { return QK_OK; }
    // control now holds the focus of the tree.
    virtual void SetFocusControl(LControl*) {}
    // Remembers the focus control as the previous one, then clears it.
    virtual void ClearFocusControl() {}
    virtual LControl* GetFocusedControl() const { return nullptr; }
    // The control that held the focus before the present one; null when none.
    virtual LControl* GetPreviousFocusedControl() const { return nullptr; }
    // The window's own hot keys (menus show their keys); null when it has none.
    virtual LGlobalHotKeyManager* GetWindowHotKeys() const { return nullptr; }
    // The window's own hot keys: 0 when one was bound to key, 1 otherwise.
    virtual QKRESULT HandleHotKey(const KeyCode&) { return QK_FALSE; }
    // A Tab key that left the top control.
    virtual void HandleTabKey(LKeyParam*) {}
    // control starts (on) or stops editing text with its caret at position (client
    // coordinates); heard only while control has the focus. 1 when nothing was done.
    virtual QKRESULT SetTextCaret(LControl*, bool, const PointL&) { return QK_FALSE; }
    // The control under point (client coordinates), skipping controls marked as excluded
    // from hit testing; null when there is none. The hover does not move.
    virtual LControl* FindControlAt(const PointL&) { return nullptr; }
    // Ends the window with result once the current event is over (a dialog's close);
    // 0x80004005 when there is no window to close.
    virtual QKRESULT RequestClose(std::int32_t) { return QK_E_FAIL; }
};

} // namespace QK
