// The editor's application object over a window system without windows, for the editor's
// tests without a display: the shipped string tables and skins (or a folder's), an engine
// and a MIDI manager the test may give, and the user's folders in a temporary home. The
// EditorDriver derives from it to run the same application on the desktop's windows.
//
// UI thread only. Header only: the editor suites include it, the lower suites never build it.
#pragma once

#include "Panel/Main/Application.h"

#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UI/FakeWindowSystem.h"

#include <functional>
#include <string>

namespace QK::TestSupport
{

// A factory with the program's own string tables and skins (the suite links
// vedidu_editor_resources), or those of a folder holding the three documents.
inline RCPtr<LControlFactory> LoadEditorResources(const std::string& folder = "::")
{
    RCPtr<LControlFactory> factory(new LControlFactory(WString(u"Vedidu Editor")));
    const std::string source = folder == "::" ? folder : folder + "/";
    if (Failed(factory->LoadSkinSources(WString(source.c_str()), 0x0409)))
        return nullptr;
    return factory;
}

class EditorTestApp : public LApplication
{
public:
    explicit EditorTestApp(const RCPtr<LControlFactory>& factory, IWindowSystem& system)
        : LApplication(factory, factory ? factory->GetApplicationStringTable() : nullptr, WString(u""), 0x0409,
                       &system)
    {
    }
    // As the application shell makes it; windowSystem null for the desktop's.
    EditorTestApp(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& strings, const WString& commandLine,
                  std::uint32_t languageId, IWindowSystem* windowSystem)
        : LApplication(factory, strings, commandLine, languageId, windowSystem)
    {
    }

    // Null answers make the application's own.
    std::function<RCPtr<LRootModuleEngine>()> makeEngine;
    std::function<RCPtr<LMidiManager>()> makeMidiManager;

protected:
    RCPtr<LRootModuleEngine> CreateAppEngine() override
    {
        return makeEngine ? makeEngine() : LApplication::CreateAppEngine();
    }
    RCPtr<LMidiManager> CreateMidiManager() override
    {
        return makeMidiManager ? makeMidiManager() : LApplication::CreateMidiManager();
    }
};

// A home of its own for the settings files and folders the editor writes.
class TemporaryHome
{
public:
    TemporaryHome()
        : m_home("HOME", m_folder.Path().c_str()), m_data("XDG_DATA_HOME", nullptr),
          m_config("XDG_CONFIG_HOME", nullptr)
    {
    }
    const TempFolder& Folder() const { return m_folder; }

private:
    TempFolder m_folder;
    ScopedEnvironment m_home;
    ScopedEnvironment m_data;
    ScopedEnvironment m_config;
};

} // namespace QK::TestSupport
