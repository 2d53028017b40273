// The application shell of the tests: it makes a TApp, takes the string tables and skins from
// the three XML files of a folder instead of the program's resources, and registers the probe
// control class ("Test.Probe") that the test skins are built of. TApp names its main window
// class as kMainWindowClassName and the stem of its fallback runtime folders as
// kRuntimeFolderName.
#pragma once

#include "QKFramework/Application/FrameworkShell.h"

#include "tests/support/Controls/ControlHarness.h"

#include <string>
#include <utility>

namespace QK::TestSupport
{

// The main window class of the framework's test applications: the shells in the test process
// and the probe processes started beside them find one another by it.
inline constexpr const char16_t* kTestMainWindowClassName = u"QKTestMainWindowClass";
// The stem of their fallback runtime folders.
inline constexpr const char* kTestRuntimeFolderName = "qktest";

template <class TApp>
class FolderShell final : public MFCFrameworkApp<TApp>
{
public:
    // folder: where FrameworkStrings.xml, StringTables.xml and Skins.xml are, ending in "/".
    explicit FolderShell(std::string folder) : m_folder(std::move(folder)) {}

protected:
    WString GetSkinFolder() const override { return WString(m_folder.c_str()); }
    RCPtr<LApplicationBase> CreateApplication(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& strings,
                                              const WString& commandLine, std::uint32_t languageId) override
    {
        factory->RegisterControlClass(WString(u"Test.Probe"), &CreateProbe);
        return MFCFrameworkApp<TApp>::CreateApplication(factory, strings, commandLine, languageId);
    }

private:
    std::string m_folder;
};

} // namespace QK::TestSupport
