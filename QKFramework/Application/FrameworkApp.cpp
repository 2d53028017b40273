// LFrameworkApp. Sections: the control classes; construction; services; identity helpers;
// status text; skins; root windows; idle and exit; start-up and shutdown.
#include "QKFramework/Application/FrameworkApp.h"

#include "QKFramework/Application/AppNotifications.h"
#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/CenteredSlider.h"
#include "QKFramework/Controls/CheckedComboBox.h"
#include "QKFramework/Controls/CheckedListBox.h"
#include "QKFramework/Controls/CheckedListBoxItem.h"
#include "QKFramework/Controls/ComboBox.h"
#include "QKFramework/Controls/ComboMenu.h"
#include "QKFramework/Controls/ComboSlider.h"
#include "QKFramework/Controls/Dropper.h"
#include "QKFramework/Controls/Knob.h"
#include "QKFramework/Controls/Label.h"
#include "QKFramework/Controls/LevelMeter.h"
#include "QKFramework/Controls/ListBox.h"
#include "QKFramework/Controls/ListBoxItem.h"
#include "QKFramework/Controls/MainMenu.h"
#include "QKFramework/Controls/MultiColumnListBox.h"
#include "QKFramework/Controls/NumericUpDown.h"
#include "QKFramework/Controls/Panel.h"
#include "QKFramework/Controls/PopupMenu.h"
#include "QKFramework/Controls/ProgressBar.h"
#include "QKFramework/Controls/ScrollBar.h"
#include "QKFramework/Controls/Slider.h"
#include "QKFramework/Controls/Splitter.h"
#include "QKFramework/Controls/StatusBar.h"
#include "QKFramework/Controls/TabControl.h"
#include "QKFramework/Controls/TextBox.h"
#include "QKFramework/Controls/ToolTip.h"
#include "QKFramework/Controls/TreeView.h"
#include "QKFramework/Utilities/Storage/ShellOpener.h"
#include "QKFramework/Notification/NotificationCenter.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Notification/NotificationId.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Renderer/SystemMeasurementRenderer.h"
#include "QKFramework/System/ClipBoard.h"
#include "QKFramework/Utilities/Storage/StringArray.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace QK
{

namespace
{

constexpr const char* kSource = "Application\\FrameworkApp";

LFrameworkApp* g_application = nullptr;
IStatusTextSink* g_statusBar = nullptr;

} // namespace

// --- The control classes -------------------------------------------------------------------

// Names sharing a class differ only in what their skin description brings.
const std::vector<FrameworkControlClass>& GetFrameworkControlClasses()
{
    // Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
    static const std::vector<FrameworkControlClass> classes = {
        {u"Framework.Button", &CreateFrameworkControl<LButton>, 94},
        {u"Framework.OverlayButton", &CreateFrameworkControl<LListBoxItem>, 97},
        {u"Framework.ListBox", &CreateFrameworkControl<LListBox>, 99},
        {u"Framework.listboxNoScroll", &CreateFrameworkControl<LListBox>, 100},
        {u"Framework.ListBoxItem", &CreateFrameworkControl<LListBoxItem>, 101},
        {u"Framework.CheckedListBox", &CreateFrameworkControl<LCheckedListBox>, 102},
        {u"Framework.CheckedListBoxItem", &CreateFrameworkControl<LCheckedListBoxItem>, 103},
        {u"Framework.ListBoxWithIcons", &CreateFrameworkControl<LCheckedListBox>, 104},
        {u"Framework.listbox2ColumnSortable", &CreateFrameworkControl<LMultiColumnListBox>, 105},
        {u"Framework.ScrollBar", &CreateFrameworkControl<LScrollbar>, 106},
        {u"Framework.ScrollChannel", &CreateFrameworkControl<LPanel>, 107},
        {u"Framework.ComboBox", &CreateFrameworkControl<LComboBox>, 108},
        {u"Framework.ComboTextBox", &CreateFrameworkControl<LComboBox>, 109},
        {u"Framework.CheckedComboBox", &CreateFrameworkControl<LCheckedComboBox>, 110},
        {u"Framework.ComboBoxWithIcons", &CreateFrameworkControl<LCheckedComboBox>, 111},
        {u"Framework.ComboSlider", &CreateFrameworkControl<LComboSlider>, 112},
        {u"Framework.ComboSlider.DropDownPanel", &CreateFrameworkControl<LPanel>, 113},
        {u"Framework.Slider", &CreateFrameworkControl<LSlider>, 114},
        {u"Framework.Knob", &CreateFrameworkControl<LKnob>, 115},
        {u"Framework.TabControl", &CreateFrameworkControl<LTabControl>, 116},
        {u"Framework.Label", &CreateFrameworkControl<LLabel>, 117},
        {u"Framework.TextBox", &CreateFrameworkControl<LTextBox>, 118},
        {u"Framework.NumericUpDown", &CreateFrameworkControl<LNumericUpDown>, 119},
        {u"Framework.Panel", &CreateFrameworkControl<LPanel>, 120},
        {u"Framework.ToolTip", &CreateFrameworkControl<LToolTip>, 121},
        {u"Framework.PopupMenu", &CreateFrameworkControl<LPopupMenu>, 122},
        {u"Framework.MenuItem", &CreateFrameworkControl<LMenuListBoxItem>, 123},
        {u"Framework.ComboMenu", &CreateFrameworkControl<LComboMenu>, 124},
        {u"Framework.MainMenu", &CreateFrameworkControl<LMainMenu>, 125},
        {u"Framework.FileDropper", &CreateFrameworkControl<LFileDropper>, 126},
        {u"Framework.StatusBar", &CreateFrameworkControl<LStatusBar>, 127},
        {u"Framework.SplitterH", &CreateFrameworkControl<LSplitterH>, 128},
        {u"Framework.SplitterV", &CreateFrameworkControl<LSplitterV>, 129},
        {u"Framework.LevelMeter", &CreateFrameworkControl<LLevelMeter>, 130},
        {u"Framework.ProgressBar", &CreateFrameworkControl<LProgressBar>, 131},
        {u"Framework.TreeView", &CreateFrameworkControl<LTreeView>, 132},
        {u"Framework.TreeViewItem", &CreateFrameworkControl<LTreeViewItem>, 133},
        {u"Framework.Dropper", &CreateFrameworkControl<LDropper>, 134},
        {u"Framework.CenteredSlider", &CreateFrameworkControl<LCenteredSlider>, 136},
        {u"Framework.CenteredSliderBounds", &CreateFrameworkControl<LPanel>, 137},
    };
    return classes;
}

void LFrameworkApp::RegisterControlClasses()
{
    for (const FrameworkControlClass& entry : GetFrameworkControlClasses())
    {
        const QKRESULT result = m_factory->RegisterControlClass(WString(entry.name), entry.create);
        CheckResult(result, ThrowSite{"QK::LFrameworkApp::RunApplicationStartup", kSource, entry.line});
    }
}

// --- Construction --------------------------------------------------------------------------

LFrameworkApp::LFrameworkApp(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& applicationStrings,
                             const WString& commandLine)
    : m_factory(factory), m_commandLine(commandLine), m_applicationStrings(applicationStrings)
{
    g_application = this;
    m_previousControlServices = LControlApp::GetServices();
    m_previousRenderServices = LRenderApp::GetServices();
    LControlApp::SetServices(&m_services);
    LRenderApp::SetServices(&m_services);
    m_previousHostServices = SetHostAppServices(&m_services);

    const RCPtr<LNotificationCenter> centre =
        LNotificationCenterManager::GetInstance()->GetNotificationCenter(WString(u"application"));
    m_hotKeys = LGlobalHotKeyManager::Create(centre ? centre->GetPostingReceiver() : nullptr);
    m_clipboard = RCPtr<LClipboard>(new LClipboard());
    if (m_factory)
        m_factory->FindStringTable(m_frameworkStrings);
}

LFrameworkApp::~LFrameworkApp()
{
    UnsubscribeAll();
    LNotificationCenterManager::ReleaseInstance();
    LNotification::SetRecycling(false);
    if (g_application == this)
        g_application = nullptr;
    SetHostAppServices(m_previousHostServices);
    LRenderApp::SetServices(m_previousRenderServices);
    LControlApp::SetServices(m_previousControlServices);
    WithdrawClipboard();
    m_clipboard = nullptr;
    m_hotKeys = nullptr;
    m_font = nullptr;
    m_frameworkStrings = nullptr;
    m_applicationStrings = nullptr;
    m_rootWindows.clear();
    m_factory = nullptr;
}

LFrameworkApp* LFrameworkApp::GetApplication()
{
    return g_application;
}

bool LFrameworkApp::IsQuietStartupCode(QKRESULT code)
{
    return std::find(std::begin(kQuietStartupCodes), std::end(kQuietStartupCodes), code) !=
           std::end(kQuietStartupCodes);
}

// --- Services ------------------------------------------------------------------------------

LControlFactory* LFrameworkApp::Services::GetControlFactory() const
{
    return m_app.m_factory.Get();
}

ConstRCPtr<LFont> LFrameworkApp::Services::GetDefaultFont() const
{
    if (m_app.m_font)
        return m_app.m_font;
    WString family;
    float size = 0.0f;
    std::int32_t style = 0;
    if (Failed(m_app.GetSystemFont(family, size, style)) || family.IsEmpty() || size <= 0.0f)
        return LFont::FindOrCreate(WString(u"sans-serif"), 9.0f, 0);
    return LFont::FindOrCreate(family, size, style);
}

bool LFrameworkApp::Services::IsKeyDown(std::uint32_t virtualKey) const
{
    bool down = false;
    bool toggled = false;
    return m_app.QueryKeyState(virtualKey, down, toggled) >= 0 && down;
}

std::uint32_t LFrameworkApp::Services::GetMouseButtonState() const
{
    return m_app.GetMouseButtonState();
}

std::vector<IRootWindow*> LFrameworkApp::Services::GetRootWindows() const
{
    std::vector<IRootWindow*> windows;
    for (const RCPtr<LRootWindow>& window : m_app.m_rootWindows)
        windows.push_back(window.Get());
    return windows;
}

RCPtr<IHostedRootWindow> LFrameworkApp::Services::CreateRootWindow(const RCPtr<LRenderer>& renderer,
                                                                  IWindowOSServices* host)
{
    const RCPtr<LRootWindow> root = LRootWindow::Create(renderer, host);
    m_app.RegisterRootWindow(root.Get());
    return root;
}

void LFrameworkApp::Services::RequestExit()
{
    if (const RCPtr<LNotificationCenter> centre = GetDefaultNotificationCenter())
        centre->PostNotification(LNotification::Create(kNidAppExitReq));
}

QKRESULT LFrameworkApp::Services::HandleHotKey(const KeyCode& key) const
{
    return m_app.m_hotKeys ? m_app.m_hotKeys->HandleKey(key) : QK_FALSE;
}

bool LFrameworkApp::Services::GetApplicationString(const char16_t* key, WString& text) const
{
    return m_app.m_applicationStrings && FindStringMapValue(*m_app.m_applicationStrings, key, text);
}

ConstRCPtr<LMeasurementRenderer> LFrameworkApp::GetMeasurementRenderer() const
{
    // Every renderer measures through the one system measurer, so the windows agree.
    static const ConstRCPtr<LMeasurementRenderer> measuring(new LSystemMeasurementRenderer());
    return measuring;
}

WString LFrameworkApp::GetApplicationString(const char16_t* key, const WString& fallback) const
{
    WString text;
    if (m_applicationStrings && FindStringMapValue(*m_applicationStrings, key, text))
        return text;
    return fallback;
}

// --- Status text ---------------------------------------------------------------------------

void LFrameworkApp::SetStatusBar(IStatusTextSink* statusBar)
{
    g_statusBar = statusBar;
}

IStatusTextSink* LFrameworkApp::GetStatusBar()
{
    return g_statusBar;
}

QKRESULT LFrameworkApp::SetStatusText(const WString& text, bool immediate)
{
    if (m_rootWindows.empty() || !g_statusBar)
        return QK_E_FAIL;
    return immediate ? g_statusBar->SetStatusText(text) : g_statusBar->PostStatusText(text);
}

QKRESULT LFrameworkApp::RepostStatusText(bool immediate)
{
    if (m_rootWindows.empty() || !g_statusBar)
        return QK_E_FAIL;
    return SetStatusText(g_statusBar->GetStatusText(), immediate);
}

LStatusTextScope::LStatusTextScope(const WString& text)
{
    LFrameworkApp* app = LFrameworkApp::GetApplication();
    if (!app)
        return;
    m_rootWindow = app->GetActiveRootWindow();
    if (!m_rootWindow)
        m_rootWindow = app->GetFirstRootWindow();
    if (m_rootWindow)
        m_previousCursor = m_rootWindow->SetCursor(app->GetCursor(WString(u"UI_CURSOR_WAIT")));
    app->SetStatusText(text, true);
    app->ProcessIdle(true);
}

LStatusTextScope::~LStatusTextScope()
{
    LFrameworkApp* app = LFrameworkApp::GetApplication();
    if (m_rootWindow)
        m_rootWindow->SetCursor(m_previousCursor);
    if (app)
        app->RepostStatusText(false);
}

// --- Skins ---------------------------------------------------------------------------------

std::int32_t LFrameworkApp::GetCurrentSkinIndex()
{
    const IniFileHandle settings = GetSettings(1);
    IIniFileManager* manager = GetSettingsManager();
    if (!settings || !manager)
        return 0;
    std::int32_t index = 0;
    manager->GetInteger(settings, WString(u"CurrentSkinIndex"), 0, index);
    return index;
}

QKRESULT LFrameworkApp::SetSkin(std::int32_t index)
{
    WString name;
    float size = 0.0f;
    std::int32_t style = 0;
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    CheckResult(GetSystemFont(name, size, style), ThrowSite{"QK::LFrameworkApp::SetSkin", kSource, 234});

    m_factory->SetCurrentSkin(static_cast<std::uint32_t>(index));
    m_factory->GetSkinFont(name, size, style);
    m_font = LFont::FindOrCreate(name, size, style);

    // The list may change while a skin is applied (an idle pass runs inside each scope).
    const std::vector<RCPtr<LRootWindow>> windows = m_rootWindows;
    for (const RCPtr<LRootWindow>& window : windows)
    {
        LStatusTextScope scope(WString(u"Loading Skin..."));
        IWindowOSServices* host = window->GetHost();
        const bool active = host && host->IsActive();
        if (active)
            window->OnKillFocus();
        if (const RCPtr<LControl>& root = window->GetRootControl())
            m_factory->ApplySkinDescriptor(root.Get());
        if (host)
            window->GetScreenRect();
        const LongPair size2 = window->GetClientSize();
        window->InvalidateRect(RectL{0, 0, static_cast<std::int32_t>(std::lround(static_cast<double>(size2.first))),
                                     static_cast<std::int32_t>(std::lround(static_cast<double>(size2.second)))});
        if (active)
            window->OnActivate();
    }

    if (const IniFileHandle settings = GetSettings(1))
        if (IIniFileManager* manager = GetIniFileManager())
            manager->SetInteger(settings, WString(u"CurrentSkinIndex"), index);
    return QK_OK;
}

// --- Root windows --------------------------------------------------------------------------

std::int32_t LFrameworkApp::RegisterRootWindow(LRootWindow* rootWindow)
{
    for (std::size_t i = 0; i < m_rootWindows.size(); ++i)
        if (m_rootWindows[i].Get() == rootWindow)
            return static_cast<std::int32_t>(i);
    m_rootWindows.emplace_back(rootWindow);
    return static_cast<std::int32_t>(m_rootWindows.size() - 1);
}

std::int32_t LFrameworkApp::UnregisterRootWindow(const IHostedRootWindow* rootWindow)
{
    for (std::size_t i = 0; i < m_rootWindows.size(); ++i)
        if (m_rootWindows[i].Get() == rootWindow)
        {
            // The entry may hold the last reference: let it go after the list is whole again.
            const RCPtr<LRootWindow> keep = m_rootWindows[i];
            m_rootWindows.erase(m_rootWindows.begin() + static_cast<std::ptrdiff_t>(i));
            return static_cast<std::int32_t>(i);
        }
    return -1;
}

RCPtr<LRootWindow> LFrameworkApp::GetActiveRootWindow() const
{
    for (auto it = m_rootWindows.rbegin(); it != m_rootWindows.rend(); ++it)
        if ((*it)->GetHost() && (*it)->GetHost()->IsActive())
            return *it;
    return nullptr;
}

RCPtr<LRootWindow> LFrameworkApp::GetFirstRootWindow() const
{
    return m_rootWindows.empty() ? nullptr : m_rootWindows.front();
}

RCPtr<LRootWindow> LFrameworkApp::GetRootWindowOf(const IWindowOSServices* host) const
{
    for (const RCPtr<LRootWindow>& window : m_rootWindows)
        if (host && window->GetHost() == host)
            return window;
    return nullptr;
}

void LFrameworkApp::GetCursorPosition(PointL& point) const
{
    if (const RCPtr<LRootWindow> active = GetActiveRootWindow())
    {
        point = active->GetCursorPosition();
        active->GetHost()->ClientToScreen(point);
        return;
    }
    point = GetSystemCursorPos();
}

std::uint32_t LFrameworkApp::GetMouseButtonState() const
{
    if (const RCPtr<LRootWindow> active = GetActiveRootWindow())
        return active->GetMouseButtonState();
    static constexpr struct
    {
        std::uint32_t virtualKey;
        std::uint32_t bit;
    } kButtons[] = {{0x01, 1}, {0x04, 2}, {0x02, 4}};
    std::uint32_t bits = 0;
    for (const auto& button : kButtons)
    {
        bool down = false;
        bool toggled = false;
        if (QueryKeyState(button.virtualKey, down, toggled) >= 0 && down)
            bits |= button.bit;
    }
    return bits;
}

// --- Idle and exit -------------------------------------------------------------------------

bool LFrameworkApp::ProcessIdle(bool firstPass)
{
    bool work = LNotificationCenterManager::GetInstance()->DispatchNotifications(firstPass);
    // The desktop's openers are polled here, never waited for.
    if (PollShellOpenings())
        work = true;
    // A step may close its window and so shorten the list: the pass walks a copy.
    std::vector<RCPtr<LRootWindow>> windows = std::move(m_idleWindows);
    windows.assign(m_rootWindows.begin(), m_rootWindows.end());
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if ((*it)->DeliverQueuedKeys(firstPass))
            work = true;
    windows.clear();
    m_idleWindows = std::move(windows);
    return work;
}

void LFrameworkApp::UpdateWindowsNow()
{
    // Bounded: a view that posts again for every value it is shown must not hold the command.
    constexpr int kRounds = 8;
    const RCPtr<LNotificationCenterManager> centres = LNotificationCenterManager::GetInstance();
    for (int round = 0; round < kRounds && centres->DispatchNotifications(false); ++round)
    {
    }
}

bool LFrameworkApp::OnIdle(std::int32_t idleCount)
{
    if (m_exitRequested)
        return false;
    if (!ProcessIdle(idleCount == 0))
        return false;
    return idleCount < 2;
}

QKRESULT LFrameworkApp::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                            const ConstRCPtr<LNotification>& notification)
{
    HandleNotification(source, notification);
    return QK_OK;
}

void LFrameworkApp::HandleNotification(const ConstRCPtr<LNotificationDistributor>&,
                                       const ConstRCPtr<LNotification>& notification)
{
    if (!notification || !GetNotificationName(notification->GetId()).IsEqual(kNidAppExitReq))
        return;
    m_exitRequested = true;
    const std::vector<RCPtr<LRootWindow>> windows = m_rootWindows;
    for (std::size_t i = windows.size(); i > 1; --i)
        windows[i - 1]->RequestClose(0);
}

std::int32_t LFrameworkApp::Run()
{
    if (!m_rootWindows.empty() && m_rootWindows.front())
        m_rootWindows.front()->InvalidateAll();
    OnBeforeMainLoop();
    ProcessIdle(true);
    try
    {
        RunMainLoop();
    }
    catch (...)
    {
        ShowMessage(GetApplicationString(u"STARTUP_ERROR"), GetApplicationString(u"STARTUP_ERROR_CAPTION"), 0x10);
        if (const RCPtr<LNotificationCenter> centre = GetDefaultNotificationCenter())
            centre->PostNotification(LNotification::Create(kNidAppExitReq));
    }
    return ProcessIdle(true) ? 1 : 0;
}

// --- Start-up and shutdown -----------------------------------------------------------------

QKRESULT LFrameworkApp::RunApplicationStartup()
{
    try
    {
        LNotification::SetRecycling(true);
        RegisterControlClasses();
        if (m_hotKeys && m_frameworkStrings)
            m_hotKeys->ReadBindings(m_frameworkStrings.Get(), WString(u"GHK"));
        CheckResult(m_clipboard->Initialize(), QK_SITE("QK::LFrameworkApp::RunApplicationStartup", kSource));
        LControlClipboard::SetClipboard(m_clipboard.Get());

        // A stored index may be out of range either way; zero skins cannot start.
        const std::int32_t count = static_cast<std::int32_t>(m_factory->GetSkinCount());
        if (count <= 0)
            return QK_E_FAIL;
        SetSkin(std::clamp(GetCurrentSkinIndex(), 0, count - 1));
        return QK_OK;
    }
    catch (const std::exception&)
    {
        return QK_E_FAIL;
    }
}

void LFrameworkApp::WithdrawClipboard()
{
    if (m_clipboard && LControlClipboard::GetClipboard() == m_clipboard.Get())
        LControlClipboard::SetClipboard(nullptr);
}

QKRESULT LFrameworkApp::Shutdown()
{
    WithdrawClipboard();
    m_factory = nullptr;
    m_hotKeys = nullptr;
    m_clipboard = nullptr;
    return QK_OK;
}

} // namespace QK
