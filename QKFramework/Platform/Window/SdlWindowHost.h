// The window host on SDL2: SdlWindowSystem hands out SdlHostWindow objects, one SDL window
// each, waits for SDL's events and gives every event to the window it names; each window
// turns its events into the root window's input (Windows virtual keys, characters as UTF-16
// units, double clicks as kind 2, the wheel in steps of 120, dropped files) and paints what
// its root window left dirty, presenting only those rectangles.
//
// Without a window manager (Xvfb) nothing activates a window: a click in an inactive window
// activates it before it is delivered. A size the host set itself comes back from the X
// server as an event; that echo is ignored.
//
// A window's root window comes from the application (IHostAppServices::CreateRootWindow) and
// is driven through IHostedRootWindow; the host knows nothing above it.
//
// Everything runs on the UI thread; the window system deletes destroyed windows after the
// event that destroyed them has been handled.
#pragma once

#include "QKFramework/Platform/Render/MessageService.h"
#include "QKFramework/Platform/Render/Sdl/SdlHandles.h"
#include "QKFramework/Platform/Window/HostedRootWindow.h"
#include "QKFramework/Platform/Window/SdlInputTranslation.h"
#include "QKFramework/Platform/Window/WindowSystem.h"
#include "QKFramework/Renderer/RenderContextInfo.h"
#include "QKFramework/Utilities/Graphics/RectRegion.h"
#include "QKFramework/Utilities/Storage/StringArray.h"

#include <SDL.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace QK
{

class SdlWindowSystem;

class SdlHostWindow final : public IHostWindow
{
public:
    SdlHostWindow(SdlWindowSystem& system, const HostWindowRequest& request, SDL_Window* window);
    ~SdlHostWindow();

    // --- IHostWindow -----------------------------------------------------------------------
    QKRESULT Create(std::int32_t rendererKind) override;
    QKRESULT Attach(const RCPtr<LRenderer>& renderer) override;
    IHostedRootWindow* GetRootWindow() const override { return m_root.Get(); }
    RectL GetFrameRect() override;
    QKRESULT MoveWindow(const RectL& rect) override;
    WindowPlacement GetPlacement() override;
    void SetPlacement(const WindowPlacement& placement) override;
    bool IsEnabled() override { return m_enabled; }
    void SetEnabled(bool enabled) override { m_enabled = enabled; }
    void SetIcon(std::span<const std::uint8_t> png) override;
    void RequestSystemClose() override;
    void PostClose() override;
    bool IsDestroyed() const override { return m_destroyed; }

    // --- IWindowOSServices -----------------------------------------------------------------
    // An empty title (a root control without a text) gives the window the title it was made
    // with.
    QKRESULT SetTitle(const WString& title) override;
    QKRESULT InvalidateAll() override;
    QKRESULT InvalidateRect(const RectL& rect) override;
    QKRESULT GetClientRect(RectL& rect) override;
    QKRESULT ScreenToClient(PointL& point) override;
    QKRESULT ClientToScreen(PointL& point) override;
    QKRESULT SetWindowRect(const RectL& rect) override;
    bool Show(std::int32_t command) override;
    QKRESULT Redraw() override;
    QKRESULT BringToTop() override;
    QKRESULT SetTopMost(bool topMost) override;
    QKRESULT EndModal(std::int32_t result) override;
    std::int32_t RunModalLoop() override;
    bool IsInModalLoop() override { return m_inModalLoop; }
    bool IsActive() override;
    bool HasFocus() override { return IsActive(); }
    QKRESULT SetFocus() override;
    std::intptr_t SetCursor(std::intptr_t cursor) override;
    PointL GetCursorPosition() override;
    std::uint32_t GetMouseButtonState() override;
    std::uintptr_t GetHWND() override { return m_id; }
    QKRESULT SetTextCaret(bool, const PointL&) override { return QK_OK; }

    // --- Events and painting ---------------------------------------------------------------
    void HandleEvent(const SDL_Event& event);
    // Paints what is waiting; true when anything was painted.
    bool PaintIfNeeded();
    // Destroys the SDL window (saving the main window's placement first).
    void Destroy();
    std::uint32_t GetId() const noexcept { return m_id; }
    SDL_Window* GetSdlWindow() const noexcept { return m_window.Get(); }
    // The window's X window (0 when it has none, on another display server).
    std::uintptr_t GetXWindow() const;
    // What the window's surface shows, as 0xAARRGGBB pixels.
    bool ReadSurface(std::vector<std::uint32_t>& pixels, std::int32_t& width, std::int32_t& height) const;

private:
    void OnWindowEvent(const SDL_WindowEvent& event);
    void OnKey(const SDL_KeyboardEvent& event);
    void OnText(const SDL_TextInputEvent& event);
    void OnButton(const SDL_MouseButtonEvent& event);
    void OnMove(const SDL_MouseMotionEvent& event);
    void OnWheel(const SDL_MouseWheelEvent& event);
    void OnSized(std::int32_t width, std::int32_t height);
    // Raises the window, asks for the keyboard focus and makes it the application's active
    // window.
    void Activate();
    // Makes it the application's active window (the window system has given it the focus).
    void BecomeActive();
    // Makes the (hidden) SDL window again, able to hold an OpenGL context.
    bool RemakeForOpenGL();
    void ConstrainClientSize(std::int32_t& width, std::int32_t& height);
    void SetClientSize(std::int32_t width, std::int32_t height);
    void DeliverCharacter(char16_t character, std::uint16_t mod);
    void ReleaseCapture();

    SdlWindowSystem& m_system;
    UniqueHandle<SdlWindowTraits> m_window;
    const WString m_madeTitle;
    std::uint32_t m_id;
    IWindowOSServices* m_owner;
    bool m_isMainClass;
    RCPtr<IHostedRootWindow> m_root;
    RCPtr<LRenderer> m_renderer;
    RCPtr<LRenderContextInfo> m_context;
    RectRegion m_update;
    PointL m_lastPoint{0, 0};
    std::uint32_t m_buttonBits = 0;
    std::uint32_t m_pressCount = 0;
    WheelAccumulator m_wheel;
    bool m_captured = false;
    // The last mouse event was inside the client area and no leave has come since.
    bool m_pointerInside = false;
    bool m_inModalLoop = false;
    bool m_modalDone = false;
    std::int32_t m_modalResult = 0;
    bool m_enabled = true;
    bool m_destroyed = false;
    // The main window has presented a frame while shown.
    bool m_framePresented = false;
    // The whole window waits to be painted (InvalidateAll since the last paint).
    bool m_wholeUpdatePending = false;
    // The window's surface holds a whole picture at the current size, painted while shown.
    bool m_surfaceWhole = false;
    // The size this host asked for last; its echo from the window system is not a resize.
    std::int32_t m_echoWidth = -1;
    std::int32_t m_echoHeight = -1;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    StringArray m_droppedFiles;
};

class SdlWindowSystem final : public IWindowSystem
{
public:
    SdlWindowSystem();
    ~SdlWindowSystem();

    // False (with the reason) when there is no display or SDL's video cannot start.
    bool StartVideo(std::string* error = nullptr);
    void Open() override;
    std::string GetDisplayFailure() const override { return m_displayFailure; }

    IHostWindow* CreateHostWindow(const HostWindowRequest& request) override;
    void WaitAndDispatch(std::uint32_t timeoutMs) override;
    void PaintWithoutInput() override;
    bool HasPendingEvents() override;
    void PostQuit() override { m_quit = true; }
    bool IsQuitPosted() const override { return m_quit; }
    RectL GetWorkArea() const override;
    RectL GetDesktopRect() const override;
    PointL GetCursorPos() const override;
    QKRESULT SetCursorPos(std::int32_t x, std::int32_t y) override;
    bool IsKeyDown(std::uint32_t virtualKey) const override;
    bool IsKeyToggled(std::uint32_t virtualKey) const override;
    void GetLocalTime(LocalTimeFields& fields) const override;
    std::int32_t ShowCursor(bool show) override;
    std::intptr_t GetSystemCursor(std::uint32_t id) override;
    std::intptr_t GetImageCursor(std::uint32_t id, std::span<const std::uint8_t> png, PointL hotSpot) override;
    // SDL's horizontal DPI of the first display (video is started for it); 0 when unknown.
    std::int32_t GetScreenResolution() override;
    // The desktop's box (a test's message service instead, when one is installed): owner is
    // disabled while it shows, every window keeps painting, and input that arrives for them
    // meanwhile is dropped. Without a display the text goes to stderr.
    std::int32_t ShowMessageBox(IWindowOSServices* owner, const WString& text, const WString& caption,
                                std::uint32_t flags) override;

    // Handles one event: its window's, or the process's.
    void Dispatch(const SDL_Event& event);
    // Paints every window with something waiting.
    void PaintAll();
    // Deletes the windows destroyed since the last call.
    void DeleteDestroyed();
    // Destroys and deletes every window (the end of the process).
    void DestroyAll();
    SdlHostWindow* FindWindow(std::uint32_t id) const;
    const std::vector<std::unique_ptr<SdlHostWindow>>& GetWindows() const noexcept { return m_windows; }

    std::uint32_t GetActiveWindowId() const noexcept { return m_activeWindow; }
    void SetActiveWindowId(std::uint32_t id) noexcept { m_activeWindow = id; }
    std::intptr_t GetLastCursor() const noexcept { return m_lastCursor; }
    void SetLastCursor(std::intptr_t cursor) noexcept { m_lastCursor = cursor; }
    // Clears the quit flag (a test that runs the loop more than once).
    void ResetQuit() noexcept { m_quit = false; }

private:
    // The desktop's box as the message service of the layers below, owned by the active
    // window (else the first).
    class DesktopBox final : public IMessageService
    {
    public:
        explicit DesktopBox(SdlWindowSystem& system) : m_system(system) {}
        void ShowMessage(const WString& caption, const WString& text, std::uint32_t icon) override;

    private:
        SdlWindowSystem& m_system;
    };

    void ShowDesktopBox(SdlHostWindow* owner, const WString& caption, const WString& text, std::uint32_t icon);

    std::vector<std::unique_ptr<SdlHostWindow>> m_windows;
    std::map<std::uint32_t, SDL_Cursor*> m_cursors;
    std::uint32_t m_activeWindow = 0;
    std::intptr_t m_lastCursor = 0;
    std::int32_t m_cursorCount = 0;
    bool m_quit = false;
    bool m_videoStarted = false;
    // Why video could not start, for the person (the first failure's).
    std::string m_displayFailure;
    DesktopBox m_desktopBox{*this};
};

// The platform's window system as its own type (tests read its windows' surfaces).
SdlWindowSystem& GetSdlWindowSystem();

} // namespace QK
