// LApplication: the preset editor's application object. Its start-up adds the editor's parts
// to the framework's: the "GHK_WIN" key bindings, the skin class names of the editor's
// controls, the device engine, the MIDI manager and the choice between the high-DPI and the
// standard skin. It owns the engine, the MIDI manager and the two settings files, and answers
// the editor's questions of the framework (main control, settings, folders, cursors).
//
// Tests and the program reach it through GetEditorApplication(); the panels below it see only
// the framework's application and, for the MIDI manager, IMidiManagerProvider; the engine is
// reached through GetRootModuleEngine(), which the start-up sets.
//
// UI thread only.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/PresetEditorAppEngine.h"
#include "Engine/PresetEditorCommon/MidiManagerProvider.h"
#include "QKFramework/Application/ApplicationBase.h"

#include <chrono>
#include <cstdint>

namespace QK
{

class LApplication : public LApplicationBase, public IMidiManagerProvider
{
public:
    static constexpr const char16_t* kVersionString = u"1_0_0";
    static constexpr const char16_t* kMainControlName = u"mainControl";
    // The main window's class; a second start finds the first by it.
    static constexpr const char16_t* kMainWindowClassName = u"VediduPresetEditorMainWindowClass";
    // Without a runtime folder of the session's, the single-instance files go to
    // "vedidu-runtime" in the cache folder, or "vedidu-<uid>" in the temporary folder.
    static constexpr const char* kRuntimeFolderName = "vedidu";
    // The environment variables the editor answers to: "jack" for the JACK MIDI system, the
    // screen's dots per inch, and one folder for the key store's file (tests).
    static constexpr const char* kMidiApiVariable = "VEDIDU_MIDI_API";
    static constexpr const char* kScreenResolutionVariable = "VEDIDU_DPI";
    static constexpr const char* kKeyStoreFolderVariable = "VEDIDU_REGISTRY_DIR";
    // Screens of at least this many dots per inch get the high-DPI skin.
    static constexpr std::int32_t kHighDpiThreshold = 160;
    // The program's cursor resources ("CURSOR" 102 and 103).
    static constexpr std::uint32_t kDropMoveCursor = 102;
    static constexpr std::uint32_t kDropCopyCursor = 103;

    // windowSystem: null for the desktop's. Hands the framework the editor's names (see
    // NameFrameworkServices) before anything of it runs.
    LApplication(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& applicationStrings,
                 const WString& commandLine, std::uint32_t languageId, IWindowSystem* windowSystem = nullptr);
    ~LApplication() override;

    WString GetVersionString() const override { return WString(kVersionString); }
    WString GetMainControlName() const override { return WString(kMainControlName); }
    WString GetMainWindowClassName() const override { return WString(kMainWindowClassName); }
    // "UI_CURSOR_DROP_MOVE" and "UI_CURSOR_DROP_COPY" are the program's own cursors; the
    // split, rotate and magnifier cursors are none (0); the rest as the base.
    std::intptr_t GetCursor(const WString& name) const override;
    // Path ids 5 and 6 are the documents folder (4); the others as the base.
    WString GetFolder(std::int32_t pathId) const override;
    // 0 "AppSettings.ini", 1 "UserSettings.ini", each opened on first use; 0 for any other
    // file and while a file cannot be opened. A folder that cannot be made for one is named
    // on stderr, once: its settings will not be kept.
    IniFileHandle GetSettings(std::int32_t file) override;
    std::int32_t GetMainWindowRendererKind() const override;
    // The icon drawn at the skin's scale: with the high-DPI skin the icon resource 2002 at
    // twice the size ("2002_2X"), else the base's.
    std::span<const std::uint8_t> GetAppIcon() const override;
    QKRESULT RunApplicationStartup() override;
    // Lets go of the MIDI manager, then the engine, then the framework's parts.
    QKRESULT Shutdown() override;
    // The MIDI manager goes as at the orderly end, so the MIDI system's clients close rather
    // than vanish with the process; the wait for deliveries is short: the call that held the
    // manager when the display went may be below this one on the stack, and will not return.
    void CloseConnectionsWithoutDisplay() override;
    bool CanExit() override { return true; }

    // Empty before start-up.
    RCPtr<LMidiManager> GetMidiManager() const override { return m_midiManager; }
    RCPtr<LRootModuleEngine> GetEngine() const { return m_engine; }
    // Replaces the MIDI manager (the old one is released first) and resumes its presence
    // checks. Throws the runtime error "Null Pointer : Cannot Create Midi Manager" when none
    // can be made.
    void ReinitalizeMidiManager();
    // Stops the presence checks, closes the ports and lets go of the MIDI manager; the
    // transport ends on this thread once deliveries still under way let go of it (waited
    // for a few seconds at most). False when something else still held the transport.
    bool ReleaseMidiManager();
    bool ReleaseMidiManager(std::chrono::milliseconds wait);
    bool IsHighDpi() const noexcept { return m_highDpi; }

    // The renderer kind of the main window (1, the software renderer, unless changed).
    static void SetMainWindowRendererKind(std::int32_t kind);
    // The names the framework's services go by in this program: the key store's company
    // folder (from the version block) and folder variable, the screen resolution's variable,
    // and the MIDI clients' name (the product's) and system variable.
    void NameFrameworkServices() const;

protected:
    // Seams for tests: the engine and MIDI manager the start-up makes.
    virtual RCPtr<LRootModuleEngine> CreateAppEngine();
    virtual RCPtr<LMidiManager> CreateMidiManager();
    // The editor's skin class names, in registration order (the first registration of a
    // name wins).
    void RegisterEditorControlClasses();

private:
    struct SettingsFile
    {
        IniFileHandle handle = 0;
        // The person has been told that the file's folder cannot be made (told once).
        bool toldNoFolder = false;
    };
    IniFileHandle OpenSettingsFile(SettingsFile& file, std::int32_t pathId, const char16_t* fileName);

    RCPtr<LRootModuleEngine> m_engine;
    SettingsFile m_applicationSettings;
    SettingsFile m_userSettings;
    RCPtr<LMidiManager> m_midiManager;
    bool m_highDpi = false;
};

// The process's editor application; null when the application object is not an LApplication
// (or there is none).
LApplication* GetEditorApplication();

} // namespace QK
