#include "Panel/Main/Application.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/PresetEditorAppEngine.h"
#include "QKFramework/Controls/Graph.h"
#include "QKFramework/Controls/Label.h"
#include "QKFramework/Controls/Panel.h"
#include "QKFramework/Midi/MidiBackend.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Platform/Core/IniKeyStore.h"
#include "QKFramework/Platform/Core/Resources.h"
#include "QKFramework/Platform/Window/SessionEnd.h"
#include "QKFramework/Renderer/RenderApp.h"
#include "QKFramework/Utilities/Debug/DebugLog.h"
#include "QKFramework/Utilities/Debug/StartupPhases.h"
#include "QKFramework/Utilities/Storage/Paths.h"
#include "UI/ArpeggiatorEditPanel.h"
#include "UI/DeviceView.h"
#include "UI/DriverCommon/MainControl.h"
#include "UI/EditKeyCurveDialog.h"
#include "UI/JoystickAxisPanel.h"
#include "UI/KeybedEditPanel.h"
#include "UI/KeyboardSoundsPanel.h"
#include "UI/KnobEditPanel.h"
#include "UI/MidiChannelsAndAftertouchPanel.h"
#include "UI/NameEditPanel.h"
#include "UI/PadEditPanel.h"
#include "UI/PresetEditorCommon/AboutDlg.h"
#include "UI/PresetEditorCommon/MidiNoteSelector.h"
#include "UI/PresetEditorCommon/VariantBufferSetterParameterPanel.h"
#include "UI/SkinNames.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace QK
{

namespace
{

constexpr const char* kSource = "Panel\\Main\\Application";
// A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
constexpr ThrowSite kReinitializeSite{"LApplication::ReinitalizeMidiManager", kSource, 119};

std::atomic<std::int32_t> g_mainWindowRendererKind{1};

// The drop cursors are images among the program's resources, drawn with the arrow's tip at
// their top left corner.
constexpr PointL kDropCursorHotSpot{0, 0};

// How long the exit waits for MIDI deliveries still under way before it lets go of the
// transport regardless.
constexpr std::chrono::milliseconds kTransportReleaseWait{5000};
constexpr std::chrono::milliseconds kDisplayLostReleaseWait{250};

struct EditorControlClass
{
    const char16_t* name;
    LControlCreateFunction create;
};

// The editor's skin class names in registration order.
const EditorControlClass kEditorControlClasses[] = {
    {u"PresetEditor.MainControl", &CreateFrameworkControl<LMainControl>},
    {u"PresetEditor.DialogAbout", &CreateFrameworkControl<LAboutDlg>},
    {u"PresetEditor.MainControl.DeviceView", &CreateFrameworkControl<LDeviceView>},
    {u"PresetEditor.Knob", &CreateFrameworkControl<LKnobEditPanel>},
    {u"PresetEditor.Pad", &CreateFrameworkControl<LPadEditPanel>},
    {u"PresetEditor.MidiNoteSelector", &CreateFrameworkControl<LMidiNoteSelector>},
    {u"PresetEditor.MainControl.DeviceView.ControllerBody", &CreateFrameworkControl<LLabel>},
    {u"PresetEditor.ProgramBankPanel", &CreateFrameworkControl<LPanel>},
    {u"PresetEditor.PadBank", &CreateFrameworkControl<LPanel>},
    {u"PresetEditor.KnobBank", &CreateFrameworkControl<LPanel>},
    {u"PresetEditor.PresetName", &CreateFrameworkControl<LProgramNamePanel>},
    {u"PresetEditor.NameEditPanel", &CreateFrameworkControl<LNameEditPanel>},
    {u"PresetEditor.FavoriteBankPanel", &CreateFrameworkControl<LPanel>},
    {u"PresetEditor.FavoriteBankPanel.FavoritePanel", &CreateFrameworkControl<LPanel>},
    {u"PresetEditor.Arpeggiator", &CreateFrameworkControl<LArpeggiatorEditPanel>},
    {u"PresetEditor.Keyboard", &CreateFrameworkControl<LKeybedEditPanel>},
    {u"PresetEditor.Joystick", &CreateFrameworkControl<LPanel>},
    {u"PresetEditor.Joystick.Axis", &CreateFrameworkControl<LJoystickAxisPanel>},
    {u"PresetEditor.MultiLookLabel.JoystickDirection", &CreateFrameworkControl<LLabel>},
    {u"PresetEditor.ParameterControl.JoystickType", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.CCValuePanel", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.MinValuePanel", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.MaxValuePanel", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.ArpMode", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.Octave", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.ArpOnOff", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.ClockSource", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.ArpLatch", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.Swing", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.Tempo", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.TempoTaps", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.TimeDivision", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.InternalSounds.KeybedSound", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.PadSound", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.KeyboardTranspose", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.KeyboardOctave", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.OnOff.Swing", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.MidiChannel", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.MidiNote", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.Filter", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.Attack", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.Reverb", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.EQLow", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.Resonance", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.Release", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.Chorus", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.EQHigh", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.ParameterControl.GlobalPadAftertouchType", &CreateFrameworkControl<LVariantBufferSetterParameterPanel>},
    {u"PresetEditor.KnobsControls", &CreateFrameworkControl<LPanel>},
    {u"PresetEditor.KeySoundParameters", &CreateFrameworkControl<LKeyboardSoundsPanel>},
    {u"PresetEditor.MidiChannels", &CreateFrameworkControl<LMidiChannelsAndAftertouchPanel>},
    {u"Framework.Graph", &CreateFrameworkControl<LGraph>},
    {u"PresetEditor.DialogEditKeyCurve", &CreateFrameworkControl<LEditKeyCurveDlg>},
};

} // namespace

LApplication::LApplication(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& applicationStrings,
                           const WString& commandLine, std::uint32_t languageId, IWindowSystem* windowSystem)
    : LApplicationBase(factory, applicationStrings, commandLine, languageId, windowSystem)
{
    NameFrameworkServices();
}

void LApplication::NameFrameworkServices() const
{
    const NString company(SanitizeFileName(GetCompanyName()).GetString());
    SetKeyStoreNames({company.GetString(), kKeyStoreFolderVariable});
    LRenderApp::SetScreenResolutionVariable(kScreenResolutionVariable);
    SetMidiBackendSettings({NString(GetProductName().GetString()).GetString(), kMidiApiVariable});
}

LApplication::~LApplication()
{
    m_midiManager = nullptr;
    m_engine = nullptr;
}

LApplication* GetEditorApplication()
{
    return dynamic_cast<LApplication*>(LFrameworkApp::GetApplication());
}

std::intptr_t LApplication::GetCursor(const WString& name) const
{
    const std::uint32_t resource = name.IsEqual(u"UI_CURSOR_DROP_MOVE")   ? kDropMoveCursor
                                   : name.IsEqual(u"UI_CURSOR_DROP_COPY") ? kDropCopyCursor
                                                                          : 0;
    if (resource != 0)
        return GetWindowSystem().GetImageCursor(
            resource, FindResourceData(GetApplicationInstance(), "CURSOR", std::to_string(resource)),
            kDropCursorHotSpot);
    for (const char16_t* none : {u"UI_CURSOR_SPLIT_V", u"UI_CURSOR_SPLIT_H", u"UI_CURSOR_ROTATE", u"UI_CURSOR_MAG",
                                 u"UI_CURSOR_MAG_PLUS", u"UI_CURSOR_MAG_MINUS"})
        if (name.IsEqual(none))
            return 0;
    return LApplicationBase::GetCursor(name);
}

WString LApplication::GetFolder(std::int32_t pathId) const
{
    return LApplicationBase::GetFolder(pathId == 5 || pathId == 6 ? 4 : pathId);
}

IniFileHandle LApplication::OpenSettingsFile(SettingsFile& file, std::int32_t pathId, const char16_t* fileName)
{
    if (file.handle != 0)
        return file.handle;
    IIniFileManager* settings = GetIniFileManager();
    const WString folder = GetFolder(pathId);
    // Without its folder the file would land at the top of the file system.
    if (settings && !folder.IsEmpty())
        settings->OpenFile(folder + WString(u"/") + WString(fileName), GetVersionString(), GetProductName(),
                           file.handle);
    else if (folder.IsEmpty() && !file.toldNoFolder)
    {
        // Later calls try again (the folder may be made meanwhile) but say nothing more.
        file.toldNoFolder = true;
        const WString where = LocateFolder(pathId);
        TellUser(where.IsEmpty() ? std::string("no folder for the settings could be found; they will not be kept")
                                 : "the settings folder \"" + std::string(NString(where.GetString()).GetString()) +
                                       "\" could not be made; the settings will not be kept");
    }
    return file.handle;
}

IniFileHandle LApplication::GetSettings(std::int32_t file)
{
    switch (file)
    {
    case 0:
        return OpenSettingsFile(m_applicationSettings, 2, u"AppSettings.ini");
    case 1:
        return OpenSettingsFile(m_userSettings, 3, u"UserSettings.ini");
    default:
        return 0;
    }
}

void LApplication::SetMainWindowRendererKind(std::int32_t kind)
{
    g_mainWindowRendererKind = kind;
}

std::int32_t LApplication::GetMainWindowRendererKind() const
{
    return g_mainWindowRendererKind;
}

std::span<const std::uint8_t> LApplication::GetAppIcon() const
{
    if (m_highDpi)
    {
        const std::span<const std::uint8_t> large = FindResourceData(GetApplicationInstance(), "ICON", "2002_2X");
        if (!large.empty())
            return large;
    }
    return LApplicationBase::GetAppIcon();
}

RCPtr<LRootModuleEngine> LApplication::CreateAppEngine()
{
    return LPresetEditorAppEngine::Create();
}

RCPtr<LMidiManager> LApplication::CreateMidiManager()
{
    // The MIDI system is reached off the UI thread, while the window comes up; a get or send
    // asked for before it is there waits for it. Once a signal has asked the program to end,
    // nothing waits for the controller any more.
    RCPtr<LMidiManager> manager = LMidiManager::Create(LMidiManager::StartMode::ConnectInBackground);
    if (manager)
        manager->SetGiveUpCheck(&IsSessionEndRequested);
    return manager;
}

void LApplication::RegisterEditorControlClasses()
{
    const RCPtr<LControlFactory>& factory = GetControlFactory();
    if (!factory)
        return;
    for (const EditorControlClass& entry : kEditorControlClasses)
        factory->RegisterControlClass(WString(entry.name), entry.create);
}

void LApplication::ReinitalizeMidiManager()
{
    ReleaseMidiManager();
    m_midiManager = CreateMidiManager();
    if (!m_midiManager)
        ThrowNullPointer(kReinitializeSite, "Cannot Create Midi Manager");
    m_midiManager->ResumeDeviceStatusChecker();
}

QKRESULT LApplication::RunApplicationStartup()
{
    const QKRESULT base = LApplicationBase::RunApplicationStartup();
    if (Failed(base))
        return base;
    const QKRESULT result = GetHotKeyManager()
                                ? GetHotKeyManager()->ReadBindings(GetApplicationStringTable().Get(), WString(u"GHK_WIN"))
                                : QK_E_FAIL;
    if (Failed(result))
        return result;
    RegisterEditorControlClasses();

    m_engine = CreateAppEngine();
    if (m_engine)
    {
        m_engine->Initialize(0);
        SetRootModuleEngine(m_engine);
    }
    ReinitalizeMidiManager();

    const RCPtr<LControlFactory>& factory = GetControlFactory();
    if (factory && factory->GetSkinCount() == SkinNames::kSkinCount)
    {
        m_highDpi = LRenderApp::GetScreenResolution() >= kHighDpiThreshold;
        SetSkin(static_cast<std::int32_t>(m_highDpi ? SkinNames::kHighDpiSkin : SkinNames::kStandardSkin));
    }
    // The skin is chosen and its font made.
    NoteStartupPhase("fonts");
    return result;
}

bool LApplication::ReleaseMidiManager()
{
    return ReleaseMidiManager(kTransportReleaseWait);
}

void LApplication::CloseConnectionsWithoutDisplay()
{
    ReleaseMidiManager(kDisplayLostReleaseWait);
}

bool LApplication::ReleaseMidiManager(std::chrono::milliseconds wait)
{
    if (!m_midiManager)
        return true;
    // The transport is held here so that its end comes on this thread: a capture worker
    // that dropped the last reference would end it there, and a process leaving meanwhile
    // would pull the worker's state from under it.
    RCPtr<LMidiCommInterface> transport = m_midiManager->GetMidiCommInterface();
    m_midiManager->PauseDeviceStatusChecker();
    m_midiManager->CloseMidiPorts();
    m_midiManager = nullptr;
    if (!transport)
        return true;

    const auto othersHold = [&transport] {
        return transport->GetRefCount() - transport->GetInternalRefCount() > 1;
    };
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (othersHold() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const bool alone = !othersHold();
    if (!alone)
        DebugLog::Get().GetNarrowOutput() << "shutdown: the MIDI transport is still held elsewhere" << std::endl;
    transport = nullptr;
    return alone;
}

QKRESULT LApplication::Shutdown()
{
    ReleaseMidiManager();
    if (m_engine)
        m_engine->OnShutdown();
    SetRootModuleEngine(nullptr);
    m_engine = nullptr;
    return LApplicationBase::Shutdown();
}

} // namespace QK
