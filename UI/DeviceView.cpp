// Contents: module accessors; own operations (preset files, dialogs, user guide);
// initialisation and subscriptions; handlers.
#include "UI/DeviceView.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/Device.h"
#include "QKFramework/Application/AppNotifications.h"
#include "QKFramework/Application/FrameworkApp.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/Dialog.h"
#include "QKFramework/Controls/MainMenu.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/System/FileDialog.h"
#include "QKFramework/Utilities/Storage/Paths.h"
#include "QKFramework/Utilities/Storage/ShellOpener.h"
#include "UI/DriverCommon/AppMidiManager.h"
#include "UI/DriverCommon/AppText.h"
#include "UI/DriverCommon/MainControl.h"
#include "UI/DriverCommon/PresetManager.h"
#include "UI/PresetEditorCommon/EditPanelSupport.h"
#include "UI/SkinNames.h"
#include "UI/StatusView.h"

#include <string>

namespace QK
{

namespace
{
constexpr const char* kSource = "UI\\DeviceView";
constexpr const char* kInitialize = "LDeviceView::Initialize";

constexpr const char16_t* kGetPresetPrefix = u"NID_MENU_FILE_GET_PRESET";
constexpr const char16_t* kSendPresetPrefix = u"NID_MENU_FILE_SEND_PRESET";
constexpr const char16_t* kPresetSuffix = u"_TO_DEVICE";

// Folder ids of the application.
constexpr std::int32_t kExecutableFolder = 0;
constexpr std::int32_t kDocumentsFolder = 4;

WString Numbered(const char16_t* stem, std::uint32_t number)
{
    return WString(stem) + WString(std::to_string(number).c_str());
}

// The child of that name of parent cast to T; empty when missing or of another type.
template <class T> RCPtr<T> ChildAs(const LControl* parent, const WString& name)
{
    if (!parent)
        return nullptr;
    const RCPtr<LControl> child = parent->FindChild(name);
    return RCPtr<T>(dynamic_cast<T*>(child.Get()));
}

// The control as the module type T; empty when it is none.
template <class T> RCPtr<T> As(LControl* control)
{
    return RCPtr<T>(dynamic_cast<T*>(control));
}

// The number of a favorite panel ("fav1" to "fav8"); 0 for any other name.
std::int32_t FavoriteNumber(const LControl* panel)
{
    if (!panel)
        return 0;
    const WString& name = panel->GetName();
    for (std::int32_t n = 1; n <= static_cast<std::int32_t>(SkinNames::kFavoriteCount); ++n)
        if (name.IsEqual(Numbered(SkinNames::kFavoritePanelStem, static_cast<std::uint32_t>(n))))
            return n;
    return 0;
}

// The preset 0 to 8 named by a get or send command ("NID_MENU_FILE_GET_PRESET3_TO_DEVICE");
// -1 for another name.
std::int32_t PresetOfCommand(const ConstRCPtr<LNotification>& notification, const char16_t* prefix)
{
    if (!notification)
        return -1;
    for (std::uint32_t n = 0; n <= 8; ++n)
    {
        const WString name = Numbered(prefix, n) + WString(kPresetSuffix);
        if (GetNotificationName(notification->GetId()).IsEqual(name))
            return static_cast<std::int32_t>(n);
    }
    return -1;
}

// Whether the last part of path carries an extension.
bool HasExtension(const WString& path)
{
    const WString name = GetFileNameFromPath(path);
    return name.ReverseFind(u'.') > 0;
}
} // namespace

LDeviceView::LDeviceView(LControl* parent, const WString& name) : LScrollView(parent, name) {}

LDeviceView::~LDeviceView()
{
    // The manager may outlive the view (a notification centre may hold it).
    if (m_presetManager)
        m_presetManager->SetValueCheck({});
}

bool LDeviceView::CanShowParamValue(std::int32_t id, const Variant& value)
{
    const RCPtr<LParameterizedModule> module = GetModuleForParamID(id);
    auto* view = dynamic_cast<IParamValueView*>(module.Get());
    return !view || view->CanShowParamValue(ParamDescriptor(id), value);
}

// --- Module accessors ------------------------------------------------------------------------

LControl* LDeviceView::FindPanel(const char16_t* bank, const WString& name) const
{
    const LControl* parent = this;
    RCPtr<LControl> holder;
    if (bank)
    {
        holder = FindChild(WString(bank));
        parent = holder.Get();
    }
    // The tree keeps its children alive while the view lives.
    return parent ? parent->FindChild(name).Get() : nullptr;
}

LControl* LDeviceView::FindJoystickAxis(std::uint32_t index) const
{
    return index > 1 ? nullptr : FindPanel(u"joystick", WString(index == 0 ? u"xAxis" : u"yAxis"));
}

LControl* LDeviceView::FindPad(std::uint32_t index) const
{
    return index < 8 ? FindPanel(u"padBank1", Numbered(u"pad", index + 1))
                     : FindPanel(u"padBank2", Numbered(u"pad", index - 7));
}

LControl* LDeviceView::FindKnob(std::uint32_t index) const
{
    return index < 4 ? FindPanel(u"knobBank1", Numbered(u"knob", index + 1))
                     : FindPanel(u"knobBank2", Numbered(u"knob", index - 3));
}

RCPtr<IProgramName> LDeviceView::GetProgramName()
{
    return As<IProgramName>(FindPanel(nullptr, WString(u"presetName")));
}

RCPtr<LProgramName> LDeviceView::GetProgramNameModule()
{
    return As<LProgramName>(FindPanel(nullptr, WString(u"presetName")));
}

RCPtr<IMidiChannelsAndAftertouch> LDeviceView::GetMidiChannelsAndAftertouch()
{
    return As<IMidiChannelsAndAftertouch>(FindPanel(nullptr, WString(u"midiChannels")));
}

RCPtr<LMidiChannelsAndAftertouch> LDeviceView::GetMidiChannelsAndAftertouchModule()
{
    return As<LMidiChannelsAndAftertouch>(FindPanel(nullptr, WString(u"midiChannels")));
}

RCPtr<IKeybed> LDeviceView::GetKeybed()
{
    return As<IKeybed>(FindPanel(nullptr, WString(u"keyboard")));
}

RCPtr<LKeybed> LDeviceView::GetKeybedModule()
{
    return As<LKeybed>(FindPanel(nullptr, WString(u"keyboard")));
}

RCPtr<IArpeggiator> LDeviceView::GetArpeggiator()
{
    return As<IArpeggiator>(FindPanel(nullptr, WString(u"arpeggiator")));
}

RCPtr<LArpeggiator> LDeviceView::GetArpeggiatorModule()
{
    return As<LArpeggiator>(FindPanel(nullptr, WString(u"arpeggiator")));
}

RCPtr<IJoystick> LDeviceView::GetJoystick(std::uint32_t index)
{
    return As<IJoystick>(FindJoystickAxis(index));
}

RCPtr<LJoystick> LDeviceView::GetJoystickModule(std::uint32_t index)
{
    return As<LJoystick>(FindJoystickAxis(index));
}

RCPtr<IPad> LDeviceView::GetPad(std::uint32_t index)
{
    return As<IPad>(FindPad(index));
}

RCPtr<LPad> LDeviceView::GetPadModule(std::uint32_t index)
{
    return As<LPad>(FindPad(index));
}

RCPtr<IHardwareKnob> LDeviceView::GetHardwareKnob(std::uint32_t index)
{
    return As<IHardwareKnob>(FindKnob(index));
}

RCPtr<LHardwareKnob> LDeviceView::GetHardwareKnobModule(std::uint32_t index)
{
    return As<LHardwareKnob>(FindKnob(index));
}

RCPtr<ISoundSettings> LDeviceView::GetSoundSettings()
{
    return As<ISoundSettings>(FindPanel(nullptr, WString(u"keysSoundParameters")));
}

RCPtr<LSoundSettings> LDeviceView::GetSoundSettingsModule()
{
    return As<LSoundSettings>(FindPanel(nullptr, WString(u"keysSoundParameters")));
}

// --- Own operations --------------------------------------------------------------------------

RCPtr<LStatusView> LDeviceView::GetStatusView()
{
    return m_statusView;
}

WString LDeviceView::GetPresetFileExtension() const
{
    return WString(kPresetFileExtension);
}

void LDeviceView::GetPresetFileFilter(WString& filter, std::int32_t) const
{
    const WString extension = GetPresetFileExtension();
    filter = GetAppString(u"CONTROL_PANEL_SETTINGS_FILTER_SEGMENT_1") + extension + WString(u")|*.") + extension +
             GetAppString(u"CONTROL_PANEL_SETTINGS_FILTER_SEGMENT_2");
}

void LDeviceView::GetPresetFileMask(WString& mask) const
{
    mask = WString(u"*.") + GetPresetFileExtension();
}

WString LDeviceView::GetInitialPresetFolder()
{
    LFrameworkApp* application = LFrameworkApp::GetApplication();
    if (!application)
        return WString(u".");
    WString folder;
    IIniFileManager* settings = application->GetSettingsManager();
    if (const IniFileHandle user = application->GetSettings(1); user && settings)
        settings->GetString(user, WString(LPresetManager::kLastFolderKey), WString(), folder);
    if (!folder.IsEmpty() && FolderExists(folder))
        return folder;
    return application->GetFolder(kDocumentsFolder);
}

QKRESULT LDeviceView::ShowLoadPresetDialog(WString& path)
{
    if (!m_fileDialog)
        return QK_E_FAIL;
    WString filter;
    WString mask;
    GetPresetFileFilter(filter, 1);
    GetPresetFileMask(mask);
    const QKRESULT result = m_fileDialog->ShowOpenDialog(filter, mask, GetAppString(u"LOAD_PRESET_DIALOG_TITLE"), false);
    if (Succeeded(result))
        m_fileDialog->GetFileName(path);
    return result;
}

QKRESULT LDeviceView::ShowSavePresetDialog(WString& path)
{
    if (!m_fileDialog)
        return QK_E_FAIL;
    WString filter;
    GetPresetFileFilter(filter, 0);
    // The chooser adds the extension itself to a name typed without one; it takes the bare
    // extension, not the mask.
    const QKRESULT result = m_fileDialog->ShowSaveDialog(filter, GetPresetFileExtension(),
                                                         GetAppString(u"SAVE_PRESET_DIALOG_TITLE"), -1);
    if (Succeeded(result))
    {
        m_fileDialog->GetFileName(path);
        if (!HasExtension(path))
            path.Append(WString(u".") + GetPresetFileExtension());
    }
    return result;
}

QKRESULT LDeviceView::LoadPresetFromFile()
{
    WString path;
    const WString folderBefore = m_fileDialog ? m_fileDialog->GetFolder() : WString();
    QKRESULT result = ShowLoadPresetDialog(path);
    if (result == QK_E_INVALIDNAME)
        ReportPresetFileNameRefused(false);
    if (Failed(result))
        return result;
    if (m_presetManager)
    {
        result = m_presetManager->LoadPresetFile(path);
        ReportPresetFileLoadResult(result);
    }
    // The next dialog starts where a file was really read.
    if (result != LPresetManager::kLoadOk)
        m_fileDialog->SetFolder(folderBefore);
    return result;
}

QKRESULT LDeviceView::SavePresetToFile()
{
    WString path;
    const WString folderBefore = m_fileDialog ? m_fileDialog->GetFolder() : WString();
    QKRESULT result = ShowSavePresetDialog(path);
    if (result == QK_E_INVALIDNAME)
        ReportPresetFileSaveResult(result);
    if (Failed(result))
        return result;
    if (!m_presetManager)
        return QK_E_FAIL;
    result = m_presetManager->SavePresetFile(path);
    // A folder is remembered, for this run's next dialog as for the next run, only when a
    // file really went there.
    if (Failed(result))
    {
        m_fileDialog->SetFolder(folderBefore);
        ReportPresetFileSaveResult(result);
    }
    else
        LPresetManager::RememberPresetFolder(*m_fileDialog);
    return result;
}

QKRESULT LDeviceView::ShowSkinDialog(const char16_t* name)
{
    LFrameworkApp* application = LFrameworkApp::GetApplication();
    if (!application)
        return QK_E_FAIL;
    const RCPtr<LControl> control = application->CreateControl(WString(name));
    if (!dynamic_cast<LDialog*>(control.Get()))
        return QK_E_FAIL;
    return application->CreateDialogRootWindow(control, true);
}

QKRESULT LDeviceView::ShowAboutDialog()
{
    return ShowSkinDialog(u"dialogAbout");
}

QKRESULT LDeviceView::ShowKeyCurveDialog()
{
    return ShowSkinDialog(u"dialogEditKeyCurve");
}

QKRESULT LDeviceView::OpenUserGuide()
{
    const LFrameworkApp* application = LFrameworkApp::GetApplication();
    const WString folder = application ? application->GetFolder(kExecutableFolder) : WString(u".");
    const WString path = folder + WString(u"/") + WString(kUserGuideFileName);
    // The desktop's opener can take seconds to give up, or stay as long as its viewer: its
    // failure is told when it ends, and the window goes on working meanwhile. A missing
    // guide is told at once, without starting it.
    const auto tellFailure = []
    {
        const WString text = GetAppString(u"LABEL_OPEN_USERGUIDE_FILE_FAILED_MSGBOX_TEXT");
        if (!text.IsEmpty())
            ShowMessageBox(text, GetAppString(u"LABEL_OPEN_USERGUIDE_FILE_FAILED_MSGBOX_CAPTION"), 0);
    };
    if (FileExists(path) && Succeeded(OpenWithShell(path, [tellFailure](bool opened)
                                                    {
                                                        if (!opened)
                                                            tellFailure();
                                                    })))
        return QK_OK;
    tellFailure();
    return QK_E_FAIL;
}

// --- Initialisation and subscriptions --------------------------------------------------------

void LDeviceView::SubscribeFavoriteBank(LControl& bank)
{
    // Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
    const auto subscribe = [this](const RCPtr<LControl>& button, QKRESULT (LDeviceView::*handler)(const SourcePtr&, const NotificationPtr&),
                                  int line) {
        CheckResult(m_deviceHandlers->AddHandler(handler, SourcePtr(button.Get()), kNidLeftClick, 0),
                    ThrowSite{kInitialize, kSource, line});
    };
    for (std::uint32_t i = 1; i <= SkinNames::kFavoriteCount; ++i)
    {
        const RCPtr<LControl> panel = bank.FindChild(Numbered(SkinNames::kFavoritePanelStem, i));
        const RCPtr<LControl> send = panel ? panel->FindChild(WString(SkinNames::kSendButton)) : nullptr;
        if (!send)
            ThrowNullPointer(ThrowSite{kInitialize, kSource, 114}, "cannot find child sendButton");
        subscribe(send, &LDeviceView::OnSendPresetClicked, 115);
        const RCPtr<LControl> receive = panel->FindChild(WString(SkinNames::kReceiveButton));
        if (!receive)
            ThrowNullPointer(ThrowSite{kInitialize, kSource, 118}, "cannot find child recButton");
        subscribe(receive, &LDeviceView::OnReceivePresetClicked, 119);
    }
    const RCPtr<LControl> ram = bank.FindChild(WString(SkinNames::kSendToRamButton));
    if (!ram)
        ThrowNullPointer(ThrowSite{kInitialize, kSource, 123}, "cannot find child sendToRamButton");
    subscribe(ram, &LDeviceView::OnSendPresetClicked, 124);
}

QKRESULT LDeviceView::Initialize()
{
    const QKRESULT result = LScrollView::Initialize();
    if (Failed(result))
        return result;
    if (!m_deviceHandlers)
        m_deviceHandlers = LNotificationHandler<LDeviceView>::Create(this);
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    if (!m_deviceHandlers)
        CheckResult(QK_E_OUTOFMEMORY, ThrowSite{kInitialize, kSource, 99});

    m_fileDialog = RCPtr<LFileDialog>(new LFileDialog(GetInitialPresetFolder()));

    if (const RCPtr<LControl> bank = FindChild(WString(SkinNames::kFavoriteBankPanel)))
        SubscribeFavoriteBank(*bank);

    LControl* parent = LControl::GetParent();
    if (dynamic_cast<LMainControl*>(parent))
        if (const RCPtr<LMainMenu> menu = ChildAs<LMainMenu>(parent, WString(u"mainMenu")))
            menu->SetMenuItemUpdater(GetMenuItemUpdater());

    // The key-curve button is optional.
    if (const RCPtr<IKeybed> keybed = GetKeybed())
        if (auto* keybedPanel = dynamic_cast<LControl*>(keybed.Get()))
            if (const RCPtr<LControl> button = keybedPanel->FindChild(WString(u"buttonOpenKeyEditDialog")))
                m_deviceHandlers->AddHandler(&LDeviceView::OnKeyCurveClicked, SourcePtr(button.Get()),
                                             kNidLeftClick, 0);

    m_statusView = RCPtr<LStatusView>(new LStatusView());
    m_presetManager = LPresetManager::Create();
    // A file is checked against the editors that would show it before any value is applied.
    m_presetManager->SetValueCheck([this](std::int32_t id, const Variant& value)
                                   { return CanShowParamValue(id, value); });

    if (const RCPtr<LMidiManager> manager = GetApplicationMidiManager())
        manager->ResumeDeviceStatusChecker();

    SetAutoClientExtent(3, 0, 0);
    return result;
}

QKRESULT LDeviceView::RegisterNotifications()
{
    if (IRootWindow* root = GetRootWindowLink(); root && m_deviceHandlers)
    {
        const SourcePtr window(root);
        m_deviceHandlers->AddHandler(&LDeviceView::OnLoadPresetCommand, window, u"NID_MENU_FILE_LOAD_PRESET_FROM_FILE");
        m_deviceHandlers->AddHandler(&LDeviceView::OnSavePresetCommand, window, u"NID_MENU_FILE_SAVE_PRESET_TO_FILE");
        m_deviceHandlers->AddHandler(&LDeviceView::OnExitCommand, window, u"NID_MENU_FILE_EXIT_REQ");
        m_deviceHandlers->AddHandler(&LDeviceView::OnAboutCommand, window, u"NID_MENU_HELP_ABOUT_REQ");
        m_deviceHandlers->AddHandler(&LDeviceView::OnUserGuideCommand, window, u"NID_MENU_HELP_OPEN_USERGUIDE_REQ");
        for (std::uint32_t n = 0; n <= 8; ++n)
        {
            const WString nid = Numbered(kGetPresetPrefix, n) + WString(kPresetSuffix);
            m_deviceHandlers->AddHandler(&LDeviceView::OnGetPresetCommand, window, nid.GetString());
        }
        for (std::uint32_t n = 0; n <= 8; ++n)
        {
            const WString nid = Numbered(kSendPresetPrefix, n) + WString(kPresetSuffix);
            m_deviceHandlers->AddHandler(&LDeviceView::OnSendPresetCommand, window, nid.GetString());
        }
        m_deviceHandlers->AddHandler(&LDeviceView::OnKeyCurveClicked, window, u"NID_MENU_FILE_SHOWKEYCURVEDIALOG_REQ");
    }
    if (m_deviceHandlers)
    {
        const SourcePtr centre(GetDefaultNotificationCenter());
        m_deviceHandlers->AddHandler(&LDeviceView::OnLoadPresetCommand, centre, u"NID_MENU_FILE_LOAD_PRESET_FROM_FILE");
        m_deviceHandlers->AddHandler(&LDeviceView::OnSavePresetCommand, centre, u"NID_MENU_FILE_SAVE_PRESET_TO_FILE");
    }
    return LScrollView::RegisterNotifications();
}

std::int32_t LDeviceView::IsCommandEnabled(const LMenuDescriptor*, std::uint32_t, const WString&, LMenuItemState&)
{
    return 0;
}

QKRESULT LDeviceView::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                          const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LScrollView>(*this, m_deviceHandlers, source, notification);
}

QKRESULT LDeviceView::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LScrollView>(*this, m_deviceHandlers, source, id);
}

// --- Handlers --------------------------------------------------------------------------------

QKRESULT LDeviceView::OnSendPresetClicked(const SourcePtr& source, const NotificationPtr&)
{
    const auto* button = dynamic_cast<const LButton*>(source.Get());
    if (!button)
        return 1;
    if (button->GetName().IsEqual(SkinNames::kSendToRamButton))
        SendPresetToDeviceAndReport(0);
    else if (const std::int32_t favorite = FavoriteNumber(button->GetParent()))
        SendPresetToDeviceAndReport(favorite);
    return 1;
}

QKRESULT LDeviceView::OnReceivePresetClicked(const SourcePtr& source, const NotificationPtr&)
{
    const auto* button = dynamic_cast<const LButton*>(source.Get());
    if (!button)
        return 1;
    if (const std::int32_t favorite = FavoriteNumber(button->GetParent()))
        GetPresetFromDeviceAndReport(favorite);
    return 1;
}

QKRESULT LDeviceView::OnKeyCurveClicked(const SourcePtr&, const NotificationPtr&)
{
    ShowKeyCurveDialog();
    return 1;
}

QKRESULT LDeviceView::OnLoadPresetCommand(const SourcePtr&, const NotificationPtr&)
{
    LoadPresetFromFile();
    return 1;
}

QKRESULT LDeviceView::OnSavePresetCommand(const SourcePtr&, const NotificationPtr&)
{
    SavePresetToFile();
    return 1;
}

QKRESULT LDeviceView::OnExitCommand(const SourcePtr&, const NotificationPtr&)
{
    if (const RCPtr<LNotificationCenter> centre = GetDefaultNotificationCenter())
        centre->PostNotification(LNotification::Create(kNidAppExitReq));
    return 1;
}

QKRESULT LDeviceView::OnAboutCommand(const SourcePtr&, const NotificationPtr&)
{
    ShowAboutDialog();
    return 1;
}

QKRESULT LDeviceView::OnUserGuideCommand(const SourcePtr&, const NotificationPtr&)
{
    OpenUserGuide();
    return 1;
}

QKRESULT LDeviceView::OnGetPresetCommand(const SourcePtr&, const NotificationPtr& notification)
{
    const std::int32_t preset = PresetOfCommand(notification, kGetPresetPrefix);
    if (preset >= 0)
        GetPresetFromDeviceAndReport(preset);
    return 1;
}

QKRESULT LDeviceView::OnSendPresetCommand(const SourcePtr&, const NotificationPtr& notification)
{
    const std::int32_t preset = PresetOfCommand(notification, kSendPresetPrefix);
    if (preset >= 0)
        SendPresetToDeviceAndReport(preset);
    return 1;
}

} // namespace QK
