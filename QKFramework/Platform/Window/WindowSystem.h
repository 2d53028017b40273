// IWindowSystem: what the application base asks of the desktop: host windows, the wait of
// the message loop, the work area, the pointer, keys, cursors and message boxes. The
// platform's implementation (SDL, Platform/Window) is chosen in one place
// (GetPlatformWindowSystem); tests give the application base one of their own.
//
// IHostWindow: one window that hosts one control tree. Beyond what its root window asks of it
// (IWindowOSServices) it offers its frame, its placement and its end. A host window is owned
// by the window system and is deleted by it once destroyed, never while one of its own
// handlers runs.
//
// UI thread only.
#pragma once

#include "QKFramework/Platform/Window/WindowOSServices.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>
#include <span>
#include <string>

namespace QK
{

class IHostedRootWindow;
class LRenderer;

// Window styles, as the application base decides them.
inline constexpr std::uint32_t kStyleMaximizeBox = 0x00010000;
inline constexpr std::uint32_t kStyleMinimizeBox = 0x00020000;
inline constexpr std::uint32_t kStyleThickFrame = 0x00040000;
inline constexpr std::uint32_t kStyleSysMenu = 0x00080000;
inline constexpr std::uint32_t kStyleCaption = 0x00C00000;
inline constexpr std::uint32_t kStylePopup = 0x80000000;
inline constexpr std::uint32_t kExStyleDialogModalFrame = 0x00000001;

// The local date and time as the desktop's clock gives it: month 1 to 12, day of the week 0
// (Sunday) to 6.
struct LocalTimeFields
{
    std::int32_t year = 0;
    std::int32_t month = 0;
    std::int32_t dayOfWeek = 0;
    std::int32_t day = 0;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::int32_t second = 0;
    std::int32_t milliseconds = 0;
};

// What a window remembers of its place between runs.
struct WindowPlacement
{
    RectL rect;
    bool maximized = false;
    bool minimized = false;
};

class IHostWindow : public IWindowOSServices
{
public:
    // Makes a renderer of kind (0 OpenGL, 1 software) for the window, then attaches it.
    virtual QKRESULT Create(std::int32_t rendererKind) = 0;
    // Has the application make and register the root window over renderer (IHostAppServices).
    virtual QKRESULT Attach(const RCPtr<LRenderer>& renderer) = 0;
    // The root window as this host drives it; null before Attach and once destroyed. The
    // application finds its own class among its root windows (by host).
    virtual IHostedRootWindow* GetRootWindow() const = 0;
    // The client area on the screen, {x, y, width, height}.
    virtual RectL GetFrameRect() = 0;
    virtual QKRESULT MoveWindow(const RectL& rect) = 0;
    virtual WindowPlacement GetPlacement() = 0;
    virtual void SetPlacement(const WindowPlacement& placement) = 0;
    virtual bool IsEnabled() = 0;
    virtual void SetEnabled(bool enabled) = 0;
    // The window's icon, a PNG image (empty: none).
    virtual void SetIcon(std::span<const std::uint8_t> png) = 0;
    // Asks the window to close as the window manager would (the close box).
    virtual void RequestSystemClose() = 0;
    // WM_CLOSE: the window is destroyed (the main window saves its placement first).
    virtual void PostClose() = 0;
    virtual bool IsDestroyed() const = 0;

protected:
    ~IHostWindow() = default;
};

struct HostWindowRequest
{
    WString className;
    WString title;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    // The client area, {x, y, width, height} on the screen.
    RectL rect;
    IWindowOSServices* owner = nullptr;
};

class IWindowSystem
{
public:
    // Connects to the desktop, when there is one, before the program starts a thread of its
    // own: connecting may start a helper process (the desktop bus's autolaunch), and a copy of
    // a many-threaded process may hang on a lock another thread held.
    virtual void Open() {}
    // Which display could not be opened and why, as one line (without the program's name);
    // empty while none failed.
    virtual std::string GetDisplayFailure() const { return {}; }
    // A new, hidden window; null when the desktop refuses one.
    virtual IHostWindow* CreateHostWindow(const HostWindowRequest& request) = 0;
    // Waits up to timeoutMs for events and hands every waiting one to its window.
    virtual void WaitAndDispatch(std::uint32_t timeoutMs) = 0;
    // Without waiting: paints what the windows left dirty and handles their window events,
    // but drops keys, mouse input and dropped files (a modal child program is running). The
    // windows' close buttons and the session's quit stay queued for the loop.
    virtual void PaintWithoutInput() = 0;
    // Whether something waits to be handled.
    virtual bool HasPendingEvents() = 0;
    virtual void PostQuit() = 0;
    virtual bool IsQuitPosted() const = 0;
    virtual RectL GetWorkArea() const = 0;
    virtual RectL GetDesktopRect() const = 0;
    virtual PointL GetCursorPos() const = 0;
    virtual QKRESULT SetCursorPos(std::int32_t x, std::int32_t y) = 0;
    virtual bool IsKeyDown(std::uint32_t virtualKey) const = 0;
    // Whether a lock key (Caps Lock, Num Lock, Scroll Lock) is on; false for other keys.
    virtual bool IsKeyToggled(std::uint32_t virtualKey) const = 0;
    virtual void GetLocalTime(LocalTimeFields& fields) const = 0;
    virtual std::int32_t ShowCursor(bool show) = 0;
    // A system cursor by its Windows number (32512 the arrow, ...).
    virtual std::intptr_t GetSystemCursor(std::uint32_t id) = 0;
    // A cursor drawn from a PNG image (a program's own cursor), with its hot spot in the
    // image's pixels, kept under id for the next calls; 0 when none can be made.
    virtual std::intptr_t GetImageCursor(std::uint32_t /*id*/, std::span<const std::uint8_t> /*png*/,
                                         PointL /*hotSpot*/)
    {
        return 0;
    }
    // The screen's horizontal dots per inch; 0 when the desktop does not say.
    virtual std::int32_t GetScreenResolution() { return 0; }
    // 1 (OK) once dismissed.
    virtual std::int32_t ShowMessageBox(IWindowOSServices* owner, const WString& text, const WString& caption,
                                        std::uint32_t flags) = 0;

protected:
    ~IWindowSystem() = default;
};

// The desktop's window system (SDL).
IWindowSystem& GetPlatformWindowSystem();

} // namespace QK
