// LApplicationBase: the framework application with the platform's services filled in: the
// version texts, folders, cursors, fonts, time, keys and message boxes; the main window and
// the further root windows for dialogs and pop-ups; the exit request with its Alt+F4
// binding; the message loop and the main window's placement between runs.
//
// Windows come from an IWindowSystem (the desktop's, unless a test gives its own). The
// application class supplies its identity texts, its settings files and whether it may
// exit, and names its main window's class. UI thread only.
//
// Contents: identity; services; windows; loop and exit; placement.
#pragma once

#include "QKFramework/Application/FrameworkApp.h"
#include "QKFramework/Platform/Window/WindowSystem.h"
#include "QKFramework/Utilities/Storage/IniFileManager.h"
#include "QKFramework/Utilities/Storage/Paths.h"

#include <cstdint>
#include <span>
#include <string>

namespace QK
{

class LControlDescriptor;
class SingleInstance;
struct AxisSpec;

class LApplicationBase : public LFrameworkApp
{
public:
    static constexpr const char16_t* kFrameworkWindowClassName = u"QKFrameworkWindow";

    // windowSystem: null for the desktop's.
    LApplicationBase(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& applicationStrings,
                     const WString& commandLine, std::uint32_t languageId, IWindowSystem* windowSystem = nullptr);
    ~LApplicationBase() override;

    // --- Identity --------------------------------------------------------------------------

    // "CompanyName", "ProductName" and "ProductVersion" of the program's version block
    // (Version, which throws when the program has none).
    WString GetCompanyName() const override;
    WString GetProductName() const override;
    WString GetProductVersion() const override;
    WString GetApplicationName() const override { return GetProductName(); }
    // The window class of the main window, which the application names; the start-up makes
    // it the window host's main window class (SetHostMainWindowClassName).
    virtual WString GetMainWindowClassName() const = 0;
    std::uint32_t GetLanguageId() const override { return m_languageId; }

    // --- Services --------------------------------------------------------------------------

    // Unknown names give the arrow.
    std::intptr_t GetCursor(const WString& name) const override;
    QKRESULT GetSystemFont(WString& name, float& size, std::int32_t& style) const override;
    std::int32_t GetScreenResolution() const override;
    RectL GetWorkArea() const override;
    // 0 the executable's folder, 1 "::" (the program's own resources), 2 application data,
    // 3 local settings (both with the company and product folders, made when missing), 4 the
    // documents. Throws "Unknown Path ID." above 4.
    WString GetFolder(std::int32_t pathId) const override;
    // Where GetFolder(pathId) is, or would be when it cannot be made (ids 0 to 4; empty text
    // for others or when it cannot be determined). Nothing is made.
    WString LocateFolder(std::int32_t pathId) const;
    double GetElapsedSeconds() override;
    std::uint32_t GetTimeMs() const override;
    QKRESULT GetLocalTimeFields(LocalTimeFields& fields) const override;
    QKRESULT QueryKeyState(std::uint32_t virtualKey, bool& down, bool& toggled) const override;
    std::int32_t ShowMessage(const WString& text, const WString& caption, std::uint32_t flags) override;
    PointL GetSystemCursorPos() const override;
    IIniFileManager* GetIniFileManager() override { return m_settings.Get(); }
    RCPtr<LControl> CreateControl(const WString& subControlName) override;
    // Runs the new window modally; its result, or 0x80004005 when it could not be made.
    std::int32_t CreateDialogRootWindow(const RCPtr<LControl>& control, bool systemMenu) override;
    std::int32_t CreatePopupRootWindow(const RCPtr<LControl>& control, bool systemMenu, bool minimizeBox,
                                       bool maximizeBox) override;
    std::int32_t ShowCursor(bool show) override;
    QKRESULT SetCursorPos(std::int32_t x, std::int32_t y) override;
    virtual std::int32_t OnPowerBroadcast(std::uint32_t, std::uintptr_t) { return 1; }
    virtual bool CanExit() = 0;
    virtual std::int32_t GetMainWindowRendererKind() const = 0;
    // The application's icon for its windows, a PNG image: the program's icon resource 2002
    // (empty when it has none).
    virtual std::span<const std::uint8_t> GetAppIcon() const;

    IWindowSystem& GetWindowSystem() const noexcept { return *m_windowSystem; }

    // --- Windows ---------------------------------------------------------------------------

    // Makes, places and attaches the main window (hidden); 0x80004005 when it cannot be made.
    virtual QKRESULT CreateMainWindow(std::int32_t rendererKind);
    IHostWindow* GetMainWindow() const noexcept { return m_mainWindow; }
    // A further root window for a dialog or pop-up; its index among the root windows, or a
    // negative code.
    std::int32_t CreateRootWindow(const RCPtr<LControl>& control, bool topLevel, bool systemMenu, bool minimizeBox,
                                  bool maximizeBox, IHostWindow* parentWindow, const WString& subControlName);
    // The window style that the layout of description asks for (resizable, maximise box).
    static std::uint32_t GetResizeStyle(const LControlDescriptor& description);
    // The size along axis that the main window opens at: the layout's absolute size, or for
    // a control that follows the client area, its maximum size.
    static double MainWindowExtent(const AxisSpec& axis);
    // Keeps rect (a client area on the screen) inside area.
    static RectL KeepInside(const RectL& rect, const RectL& area);

    // --- Loop and exit ---------------------------------------------------------------------

    QKRESULT RunApplicationStartup() override;
    void HandleNotification(const ConstRCPtr<LNotificationDistributor>& source,
                            const ConstRCPtr<LNotification>& notification) override;
    // Waits for events (33 ms at most), hands them out, then runs the idle passes; until the
    // quit is posted.
    std::int32_t RunMainLoop() override;
    // Closes the main window when it is still open (its placement is kept), then writes the
    // settings.
    QKRESULT Shutdown() override;
    // Writes every settings file that changed; each one that cannot be written is named on
    // stderr. False when one could not be.
    bool WriteSettings();
    // The display is gone and the process ends next: the main window's last known placement
    // and the settings are written, with no call that needs the display.
    void WriteSettingsWithoutDisplay();
    // Then, before the process ends for the lost display: what it holds open to others (an
    // application's MIDI clients) is closed, with no call that needs the display. Nothing by
    // default.
    virtual void CloseConnectionsWithoutDisplay() {}
    // One line on stderr for the person, after the program's name.
    void TellUser(const std::string& line) const;
    // A host window that goes away; the main window's end clears the reference.
    void OnHostWindowDestroyed(IHostWindow* window) override;
    // Reads what later instances hand over on the first of the idle passes, then the
    // framework's passes.
    bool ProcessIdle(bool firstPass) override;
    // Also paints every window (their input meanwhile is dropped, as a box would drop it).
    void UpdateWindowsNow() override;

    // --- Later instances -------------------------------------------------------------------

    // The lock this process holds as the first instance (null: none); the caller keeps it
    // alive for as long as this application.
    void SetSingleInstance(SingleInstance* instance);
    // A later instance's command line: the main window comes to the front, and the text goes
    // to HandleSecondInstance while the main window is enabled (no modal window open).
    void OnSecondInstance(const WString& commandLine);

    // --- Placement -------------------------------------------------------------------------

    // The "WP" keys of the user settings into placement; false when none were stored. The
    // size is taken only when it was saved under the current skin (or without a skin noted);
    // otherwise placement keeps the size it came with.
    bool ReadMainWindowPlacement(WindowPlacement& placement);
    // Notes the current skin with the placement ("WP.Skin").
    void SaveMainWindowPlacement(const WindowPlacement& placement) override;
    // A placement cut to the desktop: too large is cut, an edge before the desktop's moves to
    // it, an edge beyond the desktop moves the window back.
    static RectL ClampToDesktop(const RectL& rect, const RectL& desktop);

private:
    // The skin a placement is noted under: the factory's current skin.
    std::int32_t GetPlacementSkin() const;
    // The company's folder and in it the product's, below base; both made when make is set
    // (then empty text when one cannot be made).
    WString ProductFolder(SpecialFolder base, bool make) const;

    IWindowSystem* m_windowSystem;
    RCPtr<LIniFileManager> m_settings;
    IHostWindow* m_mainWindow = nullptr;
    SingleInstance* m_singleInstance = nullptr;
    std::uint32_t m_languageId;
    std::uint32_t m_lastTimeMs;
    double m_elapsedSeconds = 0.0;
};

} // namespace QK
