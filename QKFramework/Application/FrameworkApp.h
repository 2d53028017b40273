// LFrameworkApp: the platform-neutral half of the application object. There is one per
// process; its constructor makes it "the application" and installs it as the services the
// controls and the drawing layer ask for, its destructor takes both back.
//
// It owns the control factory, the root windows (one per host window, the first is the main
// window), the application's hot keys, the application font and the status-text route. It
// runs the framework start-up, switches skins, runs the idle passes (notification centres,
// then each root window's idle step from the last to the first) and answers the exit request
// by closing every root window but the main one. The application base fills the platform
// slots; the application supplies its identity.
//
// UI thread only; work from other threads arrives as notifications posted to a centre.
//
// Contents: construction; hooks and identity; skins; root windows; idle and exit; start-up.
#pragma once

#include "QKFramework/Application/RootWindow.h"
#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/ControlBase/Input/GlobalHotKeyManager.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/Notification/NotificationClient.h"
#include "QKFramework/Platform/Window/HostAppServices.h"
#include "QKFramework/Platform/Window/WindowSystem.h"
#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Renderer/RenderApp.h"
#include "QKFramework/Utilities/Storage/IIniFileManager.h"

#include <cstdint>
#include <vector>

namespace QK
{

class LClipboard;
class LFrameworkApp;

// What shows the application's status text (a status bar registers itself here).
class IStatusTextSink
{
public:
    virtual QKRESULT SetStatusText(const WString& text) = 0;
    virtual QKRESULT PostStatusText(const WString& text) = 0;
    virtual WString GetStatusText() const = 0;

protected:
    ~IStatusTextSink() = default;
};

// The wait cursor on the active (else the first) root window and a status text, for as long
// as the scope lives; one idle pass runs on opening so both show at once.
class LStatusTextScope
{
public:
    explicit LStatusTextScope(const WString& text);
    ~LStatusTextScope();
    LStatusTextScope(const LStatusTextScope&) = delete;
    LStatusTextScope& operator=(const LStatusTextScope&) = delete;

private:
    RCPtr<LRootWindow> m_rootWindow;
    std::intptr_t m_previousCursor = 0;
};

class LFrameworkApp : public LNotificationClient
{
public:
    // Start-up codes after which the process ends quietly.
    static constexpr QKRESULT kQuietStartupCodes[] = {
        static_cast<QKRESULT>(0x8000A000), static_cast<QKRESULT>(0x8000A001), static_cast<QKRESULT>(0x8000A002),
        static_cast<QKRESULT>(0x8000A003), static_cast<QKRESULT>(0x8000A010), static_cast<QKRESULT>(0x8000A020)};
    static bool IsQuietStartupCode(QKRESULT code);

    // --- Construction ----------------------------------------------------------------------

    LFrameworkApp(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& applicationStrings,
                  const WString& commandLine);
    ~LFrameworkApp() override;

    // The process's application, or null.
    static LFrameworkApp* GetApplication();

    // --- Hooks and identity ----------------------------------------------------------------

    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    virtual void HandleNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                    const ConstRCPtr<LNotification>& notification);
    virtual QKRESULT PreInitialize(const WString&) { return QK_OK; }
    virtual QKRESULT PostInitialize(const WString&) { return QK_OK; }
    // The command line a second instance handed over.
    virtual QKRESULT HandleSecondInstance(const WString&) { return QK_OK; }

    virtual WString GetCompanyName() const = 0;
    virtual WString GetProductName() const = 0;
    virtual WString GetProductVersion() const = 0;
    virtual WString GetVersionString() const = 0;
    virtual WString GetApplicationName() const = 0;
    virtual WString GetMainControlName() const = 0;
    virtual std::intptr_t GetCursor(const WString& name) const = 0;
    virtual std::uint32_t GetLanguageId() const = 0;
    virtual QKRESULT GetSystemFont(WString& name, float& size, std::int32_t& style) const = 0;
    // The screen's horizontal dots per inch; 0 when not known.
    virtual std::int32_t GetScreenResolution() const { return 0; }
    // {x, y, width, height} of the desktop without its panels.
    virtual RectL GetWorkArea() const = 0;
    virtual WString GetFolder(std::int32_t pathId) const = 0;
    virtual ConstRCPtr<LMeasurementRenderer> GetMeasurementRenderer() const;
    virtual double GetElapsedSeconds() = 0;
    virtual std::uint32_t GetTimeMs() const = 0;
    virtual QKRESULT GetLocalTimeFields(LocalTimeFields& fields) const = 0;
    // toggled: a lock key that is on (Caps Lock, Num Lock, Scroll Lock).
    virtual QKRESULT QueryKeyState(std::uint32_t virtualKey, bool& down, bool& toggled) const = 0;
    virtual std::int32_t ShowMessage(const WString& text, const WString& caption, std::uint32_t flags) = 0;
    virtual PointL GetSystemCursorPos() const = 0;
    virtual IIniFileManager* GetIniFileManager() = 0;
    IIniFileManager* GetSettingsManager() { return GetIniFileManager(); }
    // 0 the application settings, 1 the user settings; 0 when unavailable.
    virtual IniFileHandle GetSettings(std::int32_t file) = 0;
    virtual RCPtr<LControl> CreateControl(const WString& subControlName) = 0;
    virtual std::int32_t CreateDialogRootWindow(const RCPtr<LControl>& control, bool systemMenu) = 0;
    virtual std::int32_t CreatePopupRootWindow(const RCPtr<LControl>& control, bool systemMenu, bool minimizeBox,
                                               bool maximizeBox) = 0;
    virtual std::int32_t ShowCursor(bool show) = 0;
    virtual QKRESULT SetCursorPos(std::int32_t x, std::int32_t y) = 0;

    const RCPtr<LControlFactory>& GetControlFactory() const noexcept { return m_factory; }
    const WString& GetCommandLine() const noexcept { return m_commandLine; }
    const RCPtr<LStringTable>& GetApplicationStringTable() const noexcept { return m_applicationStrings; }
    const RCPtr<LStringTable>& GetFrameworkStringTable() const noexcept { return m_frameworkStrings; }
    const RCPtr<LGlobalHotKeyManager>& GetHotKeyManager() const noexcept { return m_hotKeys; }
    // The clipboard service: controls that copy and paste go through it.
    const RCPtr<LClipboard>& GetClipboard() const noexcept { return m_clipboard; }
    const ConstRCPtr<LFont>& GetApplicationFont() const noexcept { return m_font; }
    // The text of key in the application string table; fallback when it has none.
    WString GetApplicationString(const char16_t* key, const WString& fallback = WString()) const;

    // --- Status text -----------------------------------------------------------------------

    static void SetStatusBar(IStatusTextSink* statusBar);
    static IStatusTextSink* GetStatusBar();
    // 0x80004005 without a root window or a status bar.
    QKRESULT SetStatusText(const WString& text, bool immediate);
    QKRESULT RepostStatusText(bool immediate);

    // --- Skins -----------------------------------------------------------------------------

    // The stored "CurrentSkinIndex" (0 without user settings).
    std::int32_t GetCurrentSkinIndex();
    // Throws FailedResultException when the system font cannot be had.
    QKRESULT SetSkin(std::int32_t index);

    // --- Root windows ----------------------------------------------------------------------

    std::int32_t RegisterRootWindow(LRootWindow* rootWindow);
    std::int32_t UnregisterRootWindow(const IHostedRootWindow* rootWindow);
    const std::vector<RCPtr<LRootWindow>>& GetRootWindows() const noexcept { return m_rootWindows; }
    RCPtr<LRootWindow> GetActiveRootWindow() const;
    RCPtr<LRootWindow> GetFirstRootWindow() const;
    // The registered root window that host hosts; null when none.
    RCPtr<LRootWindow> GetRootWindowOf(const IWindowOSServices* host) const;
    // What a main window leaves behind as it closes, and word that a host window is gone:
    // kept by the application base, not by the framework alone.
    virtual void SaveMainWindowPlacement(const WindowPlacement&) {}
    virtual void OnHostWindowDestroyed(IHostWindow*) {}
    // Screen coordinates.
    void GetCursorPosition(PointL& point) const;
    // 1 left, 2 middle, 4 right.
    std::uint32_t GetMouseButtonState() const;

    // --- Idle and exit ---------------------------------------------------------------------

    // The centres' queues, then each root window's idle step from the last to the first;
    // true when any work was done.
    virtual bool ProcessIdle(bool firstPass);
    // Delivers what the notification centres hold (values a command has just posted to the
    // views, and what applying them posts in turn) and shows the windows as they are now, so
    // that a box shown next lies over what it reports. Called by a command, not by the loop.
    virtual void UpdateWindowsNow();
    // The idle handler of a message loop: no pass once exit is requested; another call is
    // wanted only while work remains and idleCount is below 2.
    bool OnIdle(std::int32_t idleCount);
    bool IsExitRequested() const noexcept { return m_exitRequested; }
    // Shows the main window's first paint, runs the message loop and one more idle pass;
    // anything escaping the loop becomes the start-up error box and an exit request.
    virtual std::int32_t Run();

    // --- Start-up and shutdown -------------------------------------------------------------

    virtual QKRESULT RunApplicationStartup();
    virtual void OnBeforeMainLoop() {}
    virtual std::int32_t RunMainLoop() = 0;
    virtual QKRESULT Shutdown();

protected:
    // Registers the framework's control classes; a failed registration throws.
    virtual void RegisterControlClasses();

private:
    // Takes this application's clipboard back from the controls, if it is the one installed.
    void WithdrawClipboard();

    // What the controls, the drawing layer and the window hosts ask of the application.
    class Services final : public IControlAppServices, public IRenderAppServices, public IHostAppServices
    {
    public:
        explicit Services(LFrameworkApp& app) : m_app(app) {}
        LControlFactory* GetControlFactory() const override;
        ConstRCPtr<LFont> GetDefaultFont() const override;
        RCPtr<LControl> GetDefaultCommandTarget() const override { return nullptr; }
        std::intptr_t GetCursor(const WString& name) const override { return m_app.GetCursor(name); }
        double GetTime() const override { return m_app.GetTimeMs() / 1000.0; }
        RectL GetWorkArea() const override { return m_app.GetWorkArea(); }
        IRootWindow* GetActiveRootWindow() const override { return m_app.GetActiveRootWindow().Get(); }
        IRootWindow* GetFirstRootWindow() const override { return m_app.GetFirstRootWindow().Get(); }
        PointL GetCursorPos() const override { return m_app.GetSystemCursorPos(); }
        bool IsKeyDown(std::uint32_t virtualKey) const override;
        std::uint32_t GetMouseButtonState() const override;
        std::vector<IRootWindow*> GetRootWindows() const override;
        QKRESULT HandleHotKey(const KeyCode& key) const override;
        LGlobalHotKeyManager* GetHotKeyManager() const override { return m_app.GetHotKeyManager().Get(); }
        QKRESULT CreateDialogRootWindow(LControl* control, std::int32_t option) const override
        {
            return m_app.CreateDialogRootWindow(RCPtr<LControl>(control), option != 0);
        }
        void SetCursorPos(const PointL& point) const override { m_app.SetCursorPos(point.x, point.y); }

        ConstRCPtr<LMeasurementRenderer> GetMeasurementRenderer() const override
        {
            return m_app.GetMeasurementRenderer();
        }
        std::uint32_t GetTimeMs() const override { return m_app.GetTimeMs(); }
        QKRESULT GetSystemFont(WString& family, float& size, std::int32_t& style) const override
        {
            return m_app.GetSystemFont(family, size, style);
        }
        std::int32_t GetScreenResolution() const override { return m_app.GetScreenResolution(); }
        bool GetApplicationString(const char16_t* key, WString& text) const override;

        RCPtr<IHostedRootWindow> CreateRootWindow(const RCPtr<LRenderer>& renderer, IWindowOSServices* host) override;
        void UnregisterRootWindow(IHostedRootWindow* root) override { m_app.UnregisterRootWindow(root); }
        bool IsFirstRootWindow(const IHostedRootWindow* root) const override
        {
            const RCPtr<LRootWindow> first = m_app.GetFirstRootWindow();
            return root && first && first.Get() == root;
        }
        void SaveMainWindowPlacement(const WindowPlacement& placement) override
        {
            m_app.SaveMainWindowPlacement(placement);
        }
        void OnHostWindowDestroyed(IHostWindow* window) override { m_app.OnHostWindowDestroyed(window); }
        void RequestExit() override;
        bool OnIdle(std::int32_t idleCount) override { return m_app.OnIdle(idleCount); }

    private:
        LFrameworkApp& m_app;
    };

    RCPtr<LControlFactory> m_factory;
    WString m_commandLine;
    std::vector<RCPtr<LRootWindow>> m_rootWindows;
    // The idle pass's copy of the window list, kept between passes so that a pass does not
    // allocate; empty while a pass uses it (a nested pass makes its own).
    std::vector<RCPtr<LRootWindow>> m_idleWindows;
    RCPtr<LStringTable> m_applicationStrings;
    RCPtr<LStringTable> m_frameworkStrings;
    bool m_exitRequested = false;
    ConstRCPtr<LFont> m_font;
    RCPtr<LGlobalHotKeyManager> m_hotKeys;
    RCPtr<LClipboard> m_clipboard;
    Services m_services{*this};
    const IControlAppServices* m_previousControlServices = nullptr;
    const IRenderAppServices* m_previousRenderServices = nullptr;
    IHostAppServices* m_previousHostServices = nullptr;
};

// The create function of a control class (construction, the skin description, the children,
// Initialize, InitializeParts, and the created flag before anyone else sees it). The
// framework's classes and the application's own are made alike.
template <class T> RCPtr<LControl> CreateFrameworkControl(LControl* parent, const LControlDescriptor* descriptor)
{
    return ControlDetail::CreateControlOf<T>(parent, descriptor);
}

// The framework's control classes in registration order, each with the line reported when
// its registration fails.
struct FrameworkControlClass
{
    const char16_t* name;
    LControlCreateFunction create;
    int line;
};
const std::vector<FrameworkControlClass>& GetFrameworkControlClasses();

} // namespace QK
