// LApplicationBase. Sections: construction; identity; services; windows; loop and exit;
// placement.
#include "QKFramework/Application/ApplicationBase.h"

#include "QKFramework/Application/AppNotifications.h"
#include "QKFramework/Application/Version.h"
#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/Input/KeyCode.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Notification/NotificationId.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Platform/Core/Resources.h"
#include "QKFramework/Platform/Window/SingleInstance.h"
#include "QKFramework/System/FileDialog.h"
#include "QKFramework/Utilities/Storage/ShellOpener.h"
#include "QKFramework/Utilities/Storage/Paths.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace QK
{

namespace
{

constexpr const char* kSource = "Application\\ApplicationBase";

std::uint32_t SteadyMilliseconds()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

// The desktop's font through the drawing layer's own answer.
struct DesktopFont final : DefaultRenderAppServices
{
};

} // namespace

// --- Construction --------------------------------------------------------------------------

LApplicationBase::LApplicationBase(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& applicationStrings,
                                   const WString& commandLine, std::uint32_t languageId, IWindowSystem* windowSystem)
    : LFrameworkApp(factory, applicationStrings, commandLine),
      m_windowSystem(windowSystem ? windowSystem : &GetPlatformWindowSystem()), m_settings(LIniFileManager::Create()),
      m_languageId(languageId), m_lastTimeMs(SteadyMilliseconds())
{
    m_settings->SetNoticeSink([this](const std::string& line) { TellUser(line); });
}

LApplicationBase::~LApplicationBase()
{
    m_settings->SetNoticeSink(nullptr);
    SetSingleInstance(nullptr);
    LFileDialog::SetWaitPump(nullptr);
}

// --- Identity ------------------------------------------------------------------------------

WString LApplicationBase::GetCompanyName() const
{
    return Version(GetApplicationInstance()).GetValue(u"CompanyName");
}

WString LApplicationBase::GetProductName() const
{
    return Version(GetApplicationInstance()).GetValue(u"ProductName");
}

WString LApplicationBase::GetProductVersion() const
{
    return Version(GetApplicationInstance()).GetValue(u"ProductVersion");
}

// --- Services ------------------------------------------------------------------------------

std::intptr_t LApplicationBase::GetCursor(const WString& name) const
{
    static constexpr struct
    {
        const char16_t* name;
        std::uint32_t id;
    } kCursors[] = {
        {u"UI_CURSOR_ARROW", 32512},     {u"UI_CURSOR_IBEAM", 32513},       {u"UI_CURSOR_WAIT", 32514},
        {u"UI_CURSOR_CROSS", 32515},     {u"UI_CURSOR_UP_ARROW", 32516},    {u"UI_CURSOR_SIZE_ALL", 32646},
        {u"UI_CURSOR_SIZE_NWSE", 32642}, {u"UI_CURSOR_SIZE_NESW", 32643},   {u"UI_CURSOR_SIZE_WE", 32644},
        {u"UI_CURSOR_SIZE_NS", 32645},   {u"UI_CURSOR_NO_DROP", 32648},     {u"UI_CURSOR_HAND", 32649},
        {u"UI_CURSOR_APP_STARTING", 32650}, {u"UI_CURSOR_HELP", 32651},
    };
    std::uint32_t id = 32512;
    for (const auto& cursor : kCursors)
        if (name.IsEqual(cursor.name))
            id = cursor.id;
    return m_windowSystem->GetSystemCursor(id);
}

QKRESULT LApplicationBase::GetSystemFont(WString& name, float& size, std::int32_t& style) const
{
    return DesktopFont().GetSystemFont(name, size, style);
}

std::int32_t LApplicationBase::GetScreenResolution() const
{
    return m_windowSystem->GetScreenResolution();
}

RectL LApplicationBase::GetWorkArea() const
{
    return m_windowSystem->GetWorkArea();
}

WString LApplicationBase::GetFolder(std::int32_t pathId) const
{
    switch (pathId)
    {
    case 0:
        return GetSpecialFolder(SpecialFolder::Executable);
    case 1:
        return WString(u"::");
    case 2:
        return ProductFolder(SpecialFolder::CommonAppData, true);
    case 3:
        return ProductFolder(SpecialFolder::LocalAppData, true);
    case 4:
        return GetSpecialFolder(SpecialFolder::Documents);
    default:
        Throw<std::out_of_range>(QK_SITE("QK::MFCFrameworkApp<class LApplication>::GetFolder", kSource),
                                 "Unknown Path ID.");
    }
}

WString LApplicationBase::LocateFolder(std::int32_t pathId) const
{
    switch (pathId)
    {
    case 0:
        return LocateSpecialFolder(SpecialFolder::Executable);
    case 1:
        return WString(u"::");
    case 2:
        return ProductFolder(SpecialFolder::CommonAppData, false);
    case 3:
        return ProductFolder(SpecialFolder::LocalAppData, false);
    case 4:
        return LocateSpecialFolder(SpecialFolder::Documents);
    default:
        return WString();
    }
}

WString LApplicationBase::ProductFolder(SpecialFolder base, bool make) const
{
    WString folder = make ? GetSpecialFolder(base) : LocateSpecialFolder(base);
    if (folder.IsEmpty())
        return folder;
    for (const WString& part : {SanitizeFileName(GetCompanyName()), SanitizeFileName(GetProductName())})
    {
        folder = folder + WString(u"/") + part;
        if (make && Failed(CreateFolderIfMissing(folder)))
            return WString();
    }
    return folder;
}

double LApplicationBase::GetElapsedSeconds()
{
    const std::uint32_t now = SteadyMilliseconds();
    m_elapsedSeconds += static_cast<std::uint32_t>(now - m_lastTimeMs) / 1000.0;
    m_lastTimeMs = now;
    return m_elapsedSeconds;
}

std::uint32_t LApplicationBase::GetTimeMs() const
{
    return SteadyMilliseconds();
}

QKRESULT LApplicationBase::GetLocalTimeFields(LocalTimeFields& fields) const
{
    m_windowSystem->GetLocalTime(fields);
    return QK_OK;
}

QKRESULT LApplicationBase::QueryKeyState(std::uint32_t virtualKey, bool& down, bool& toggled) const
{
    down = m_windowSystem->IsKeyDown(virtualKey);
    toggled = m_windowSystem->IsKeyToggled(virtualKey);
    return QK_OK;
}

std::span<const std::uint8_t> LApplicationBase::GetAppIcon() const
{
    return FindResourceData(GetApplicationInstance(), "ICON", "2002");
}

std::int32_t LApplicationBase::ShowMessage(const WString& text, const WString& caption, std::uint32_t flags)
{
    IWindowOSServices* owner = nullptr;
    if (m_mainWindow)
    {
        RCPtr<LRootWindow> window = GetActiveRootWindow();
        if (!window)
            window = GetFirstRootWindow();
        if (window)
            owner = window->GetHost();
    }
    return m_windowSystem->ShowMessageBox(owner, text, caption, flags);
}

PointL LApplicationBase::GetSystemCursorPos() const
{
    return m_windowSystem->GetCursorPos();
}

RCPtr<LControl> LApplicationBase::CreateControl(const WString& subControlName)
{
    return GetControlFactory() ? GetControlFactory()->CreateRootControl(subControlName, nullptr) : nullptr;
}

std::int32_t LApplicationBase::ShowCursor(bool show)
{
    return m_windowSystem->ShowCursor(show);
}

QKRESULT LApplicationBase::SetCursorPos(std::int32_t x, std::int32_t y)
{
    return m_windowSystem->SetCursorPos(x, y);
}

// --- Windows -------------------------------------------------------------------------------

std::uint32_t LApplicationBase::GetResizeStyle(const LControlDescriptor& description)
{
    AxisSpec x;
    AxisSpec y;
    if (description.Layout)
        description.Layout->GetAxisSpecs(x, y);
    const bool minimumZero = x.MinSize.Abs == 0.0 && y.MinSize.Abs == 0.0;
    const bool minimumDiffers = x.MinSize.Abs != x.MaxSize.Abs || y.MinSize.Abs != y.MaxSize.Abs;
    const bool allTied =
        x.MinSize.HasReference && y.MinSize.HasReference && x.MaxSize.HasReference && y.MaxSize.HasReference;
    if (!(minimumZero || minimumDiffers) || allTied)
        return 0;
    const bool noMaximum =
        x.MaxSize.Abs == 0.0 && y.MaxSize.Abs == 0.0 && !x.MaxSize.HasReference && !y.MaxSize.HasReference;
    return kStyleThickFrame | (noMaximum ? kStyleMaximizeBox : 0);
}

double LApplicationBase::MainWindowExtent(const AxisSpec& axis)
{
    // A main control that follows the window's client area has no size of its own to make
    // the window with: the window opens at the largest the control takes.
    if (axis.Size.Kind == 1 && axis.Size.Abs <= 0.0 && !axis.MaxSize.HasReference && axis.MaxSize.Abs > 0.0)
        return axis.MaxSize.Abs;
    return axis.Size.Abs;
}

RectL LApplicationBase::KeepInside(const RectL& rect, const RectL& area)
{
    RectL result = rect;
    if (area.width <= 0 || area.height <= 0)
        return result;
    result.width = std::min(result.width, area.width);
    result.height = std::min(result.height, area.height);
    result.x = std::clamp(result.x, area.x, area.x + area.width - result.width);
    result.y = std::clamp(result.y, area.y, area.y + area.height - result.height);
    return result;
}

QKRESULT LApplicationBase::CreateMainWindow(std::int32_t rendererKind)
{
    const RCPtr<LControlDescriptor> description =
        GetControlFactory() ? GetControlFactory()->FindSubControlDescriptor(GetMainControlName()) : nullptr;
    if (!description)
        ThrowNullPointer(QK_SITE("QK::LApplicationBase<class LApplication>::CreateMainWindow", kSource),
                         "Invalid Control Name");

    HostWindowRequest request;
    request.className = GetMainWindowClassName();
    request.title = GetCompanyName();
    const std::uint32_t resize = GetResizeStyle(*description);
    request.style = resize ? (kStyleCaption | kStyleSysMenu | kStyleMinimizeBox | resize)
                           : (kStyleCaption | kStyleSysMenu | kStyleMinimizeBox);
    AxisSpec x;
    AxisSpec y;
    if (description->Layout)
        description->Layout->GetAxisSpecs(x, y);
    request.rect = {static_cast<std::int32_t>(x.Position.Abs), static_cast<std::int32_t>(y.Position.Abs),
                    static_cast<std::int32_t>(MainWindowExtent(x)), static_cast<std::int32_t>(MainWindowExtent(y))};

    m_mainWindow = m_windowSystem->CreateHostWindow(request);
    if (!m_mainWindow)
        return QK_E_FAIL;
    m_mainWindow->SetIcon(GetAppIcon());
    const QKRESULT result = m_mainWindow->Create(rendererKind);

    // The placement of the last run, then cut to the work area whether there was one or not:
    // a skin larger than the screen (1240 x 780 on a 768-pixel laptop, or the high-DPI skin on
    // a 1920 x 1080 screen) gives a window that fits, and the device view scrolls inside it.
    WindowPlacement placement;
    placement.rect = m_mainWindow->GetFrameRect();
    ReadMainWindowPlacement(placement);
    placement.minimized = false;
    placement.rect = ClampToDesktop(placement.rect, GetWorkArea());
    m_mainWindow->SetPlacement(placement);
    return result;
}

std::int32_t LApplicationBase::CreateRootWindow(const RCPtr<LControl>& control, bool topLevel, bool systemMenu,
                                                bool minimizeBox, bool maximizeBox, IHostWindow* parentWindow,
                                                const WString& subControlName)
{
    static constexpr const char* kPlace = "QK::LApplicationBase<class LApplication>::CreateRootWindow";
    ConstRCPtr<LControlDescriptor> description;
    std::uint32_t resize = 0;
    if (parentWindow || topLevel)
    {
        if (control)
            description = control->GetControlDescriptor();
        else if (GetControlFactory())
        {
            description = GetControlFactory()->FindSubControlDescriptor(subControlName);
            if (!description)
                ThrowNullPointer(QK_SITE(kPlace, kSource), "Invalid Control Name");
        }
        if (!description)
            ThrowNullPointer(QK_SITE(kPlace, kSource), "Control descriptor is null");
        resize = GetResizeStyle(*description);
    }

    HostWindowRequest request;
    request.className = WString(kFrameworkWindowClassName);
    request.style = kStylePopup | kStyleCaption;
    if (systemMenu || minimizeBox || maximizeBox)
        request.style |= kStyleSysMenu;
    if (maximizeBox)
        request.style |= kStyleMaximizeBox;
    if (minimizeBox)
        request.style |= kStyleMinimizeBox;
    request.style |= resize;
    request.exStyle = topLevel ? 0 : kExStyleDialogModalFrame;

    RCPtr<LRootWindow> owner = GetActiveRootWindow();
    if (!owner)
        owner = GetFirstRootWindow();
    if (parentWindow && description && description->Layout)
    {
        AxisSpec x;
        AxisSpec y;
        description->Layout->GetAxisSpecs(x, y);
        request.rect = {static_cast<std::int32_t>(x.Position.Abs), static_cast<std::int32_t>(y.Position.Abs),
                        static_cast<std::int32_t>(x.Size.Abs), static_cast<std::int32_t>(y.Size.Abs)};
        if (RCPtr<LStringTable> strings = GetControlFactory()->GetControlStringTable(nullptr, subControlName))
            FindStringMapValue(*strings, u"LABEL", request.title);
    }
    else if (control)
    {
        request.title = control->GetText();
        const RectD& bounds = control->GetBounds();
        PointL origin{static_cast<std::int32_t>(bounds.x), static_cast<std::int32_t>(bounds.y)};
        if (owner && owner->GetHost())
            owner->GetHost()->ClientToScreen(origin);
        request.rect = {origin.x, origin.y, std::max<std::int32_t>(1, static_cast<std::int32_t>(bounds.width)),
                        std::max<std::int32_t>(1, static_cast<std::int32_t>(bounds.height))};
    }
    if (!topLevel && owner)
        request.owner = owner->GetHost();
    request.rect = KeepInside(request.rect, GetWorkArea());

    const std::size_t before = GetRootWindows().size();
    IHostWindow* window = m_windowSystem->CreateHostWindow(request);
    if (!window)
        return QK_E_FAIL;
    window->SetIcon(GetAppIcon());
    if (parentWindow || !owner)
        window->Create(GetMainWindowRendererKind());
    else
        window->Attach(owner->GetRenderer());
    const RCPtr<LRootWindow> rootWindow = GetRootWindowOf(window);
    if (GetRootWindows().size() != before + 1 || !rootWindow)
    {
        window->PostClose();
        return QK_E_FAIL;
    }
    if (parentWindow)
    {
        m_mainWindow = window;
        rootWindow->SetRootControl(subControlName);
        window->Show(5);
    }
    else
        rootWindow->SetRootControl(control);
    return static_cast<std::int32_t>(before);
}

std::int32_t LApplicationBase::CreateDialogRootWindow(const RCPtr<LControl>& control, bool systemMenu)
{
    const std::int32_t index = CreateRootWindow(control, false, systemMenu, false, false, nullptr, WString());
    if (index < 0 || static_cast<std::size_t>(index) >= GetRootWindows().size())
        return QK_E_FAIL;
    IWindowOSServices* host = GetRootWindows()[static_cast<std::size_t>(index)]->GetHost();
    return host ? host->RunModalLoop() : QK_E_FAIL;
}

std::int32_t LApplicationBase::CreatePopupRootWindow(const RCPtr<LControl>& control, bool systemMenu,
                                                     bool minimizeBox, bool maximizeBox)
{
    return CreateRootWindow(control, true, systemMenu, minimizeBox, maximizeBox, nullptr, WString());
}

void LApplicationBase::OnHostWindowDestroyed(IHostWindow* window)
{
    if (window == m_mainWindow)
        m_mainWindow = nullptr;
}

// --- Loop and exit -------------------------------------------------------------------------

QKRESULT LApplicationBase::RunApplicationStartup()
{
    SetHostMainWindowClassName(GetMainWindowClassName());
    if (Failed(LFrameworkApp::RunApplicationStartup()))
        return QK_E_FAIL;
    Subscribe(GetDefaultNotificationCenter(), kNidAppExitReq);
    if (const RCPtr<LGlobalHotKeyManager>& hotKeys = GetHotKeyManager())
    {
        const KeyCode altF4 = KeyCode::Parse(WString(u"Alt+VKEY_F4"));
        if (KeyCode::FindBinding(hotKeys->GetBindingMap(), altF4).IsEmpty())
            hotKeys->AddBinding(altF4, WString(kNidAppExitReq));
    }
    // While a file dialog is open the windows keep painting, and what is done to them
    // meanwhile is dropped, as it is for windows that a modal dialog disables.
    LFileDialog::SetWaitPump([this] { m_windowSystem->PaintWithoutInput(); });
    return QK_OK;
}

void LApplicationBase::HandleNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                          const ConstRCPtr<LNotification>& notification)
{
    if (!notification || !GetNotificationName(notification->GetId()).IsEqual(kNidAppExitReq))
    {
        LFrameworkApp::HandleNotification(source, notification);
        return;
    }
    if (!CanExit())
        return;
    LFrameworkApp::HandleNotification(source, notification);
    if (m_mainWindow)
        m_mainWindow->PostClose();
    m_windowSystem->PostQuit();
}

std::int32_t LApplicationBase::RunMainLoop()
{
    while (!m_windowSystem->IsQuitPosted())
    {
        m_windowSystem->WaitAndDispatch(33);
        for (std::int32_t count = 0; !m_windowSystem->IsQuitPosted() && OnIdle(count); ++count)
        {
        }
    }
    // What the last events left (the main window's close) is handled before the loop ends.
    m_windowSystem->WaitAndDispatch(0);
    return 0;
}

QKRESULT LApplicationBase::Shutdown()
{
    // A run that ended by an error leaves the main window open; it closes here, on the
    // orderly way, and never from a destructor at the process's exit.
    if (m_mainWindow && !m_mainWindow->IsDestroyed())
        m_mainWindow->PostClose();
    WriteSettings();
    LFileDialog::SetWaitPump(nullptr);
    // An opener still running tells nobody about its end any more.
    AbandonShellOpenings();
    LFrameworkApp::Shutdown();
    return QK_OK;
}

void LApplicationBase::UpdateWindowsNow()
{
    LFrameworkApp::UpdateWindowsNow();
    m_windowSystem->PaintWithoutInput();
}

bool LApplicationBase::ProcessIdle(bool firstPass)
{
    const bool handedOver = firstPass && m_singleInstance && m_singleInstance->ProcessIdle();
    return LFrameworkApp::ProcessIdle(firstPass) || handedOver;
}

bool LApplicationBase::WriteSettings()
{
    std::vector<NString> failed;
    if (!Failed(m_settings->SaveAllFiles(&failed)))
        return true;
    for (const NString& path : failed)
        TellUser(std::string("the settings could not be written to \"") + path.GetString() + "\"");
    return false;
}

void LApplicationBase::WriteSettingsWithoutDisplay()
{
    // The window system answers the placement from what it last heard of the window.
    if (m_mainWindow && !m_mainWindow->IsDestroyed())
        SaveMainWindowPlacement(m_mainWindow->GetPlacement());
    WriteSettings();
}

void LApplicationBase::TellUser(const std::string& line) const
{
    std::fprintf(stderr, "%s: %s\n", NString(GetProductName().GetString()).GetString(), line.c_str());
    std::fflush(stderr);
}

// --- Later instances -----------------------------------------------------------------------

void LApplicationBase::SetSingleInstance(SingleInstance* instance)
{
    if (m_singleInstance)
        m_singleInstance->SetHandler(nullptr);
    m_singleInstance = instance;
    if (m_singleInstance)
        m_singleInstance->SetHandler([this](const WString& commandLine) { OnSecondInstance(commandLine); });
}

void LApplicationBase::OnSecondInstance(const WString& commandLine)
{
    if (!m_mainWindow)
        return;
    if (m_mainWindow->GetPlacement().minimized)
        m_mainWindow->Show(9);
    m_mainWindow->BringToTop();
    // A dialog open over the main window stays in front of it.
    const RCPtr<LRootWindow> active = GetActiveRootWindow();
    if (active && active->GetHost() && active->GetHost() != m_mainWindow)
        active->GetHost()->BringToTop();
    if (m_mainWindow->IsEnabled())
        HandleSecondInstance(commandLine);
}

// --- Placement -----------------------------------------------------------------------------

std::int32_t LApplicationBase::GetPlacementSkin() const
{
    return GetControlFactory() ? static_cast<std::int32_t>(GetControlFactory()->GetCurrentSkin()) : 0;
}

bool LApplicationBase::ReadMainWindowPlacement(WindowPlacement& placement)
{
    const IniFileHandle settings = GetSettings(1);
    IIniFileManager* manager = GetIniFileManager();
    if (!settings || !manager || !manager->KeyExists(settings, WString(u"WP.Width")))
        return false;
    std::int32_t values[5] = {};
    const char16_t* keys[5] = {u"WP.Left", u"WP.Top", u"WP.Width", u"WP.Height", u"WP.Maximized"};
    for (int i = 0; i < 5; ++i)
        manager->GetInteger(settings, WString(keys[i]), 0, values[i]);
    if (values[2] <= 0 || values[3] <= 0)
        return false;
    placement.rect.x = values[0];
    placement.rect.y = values[1];
    placement.maximized = values[4] != 0;
    // A size is kept for the skin it was made under: under the other skin every control is
    // twice or half as large, and the window keeps that skin's own size.
    std::int32_t skin = GetPlacementSkin();
    if (manager->KeyExists(settings, WString(u"WP.Skin")))
        manager->GetInteger(settings, WString(u"WP.Skin"), skin, skin);
    if (skin == GetPlacementSkin())
    {
        placement.rect.width = values[2];
        placement.rect.height = values[3];
    }
    return true;
}

void LApplicationBase::SaveMainWindowPlacement(const WindowPlacement& placement)
{
    const IniFileHandle settings = GetSettings(1);
    IIniFileManager* manager = GetIniFileManager();
    if (!settings || !manager)
        return;
    manager->SetInteger(settings, WString(u"WP.Left"), placement.rect.x);
    manager->SetInteger(settings, WString(u"WP.Top"), placement.rect.y);
    manager->SetInteger(settings, WString(u"WP.Width"), placement.rect.width);
    manager->SetInteger(settings, WString(u"WP.Height"), placement.rect.height);
    manager->SetInteger(settings, WString(u"WP.Maximized"), placement.maximized ? 1 : 0);
    manager->SetInteger(settings, WString(u"WP.Skin"), GetPlacementSkin());
    manager->SaveFile(settings);
}

RectL LApplicationBase::ClampToDesktop(const RectL& rect, const RectL& desktop)
{
    // Without a desktop to measure there is nothing to keep the window inside.
    if (desktop.width <= 0 || desktop.height <= 0)
        return rect;
    // A stored edge may lie anywhere in the 32-bit range, so the far edges are worked out in
    // 64 bits: an edge plus a size must not wrap round to a place on the desktop.
    const auto clampAxis = [](std::int32_t position, std::int32_t& size, std::int32_t start, std::int32_t extent)
    {
        size = std::min(size, extent);
        const std::int64_t end = static_cast<std::int64_t>(start) + extent;
        std::int64_t place = std::max<std::int64_t>(position, start);
        if (place + size > end)
            place = std::max<std::int64_t>(start, end - size);
        return static_cast<std::int32_t>(place);
    };
    RectL result = rect;
    result.x = clampAxis(rect.x, result.width, desktop.x, desktop.width);
    result.y = clampAxis(rect.y, result.height, desktop.y, desktop.height);
    return result;
}

} // namespace QK
