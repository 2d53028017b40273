// A whole process on the application shell, for the tests of what the process does:
//   vedidu_shell_probe <skin folder> <mode> [arguments...]
// The skin folder holds FrameworkStrings.xml, StringTables.xml and Skins.xml. Modes:
//   run           the main window opens and the run asks for the exit at once;
//   quiet         the application's start-up ends with one of the quiet start-up codes;
//   missing-main  the application names a main control that the skin does not hold;
//   splash        the start-up waits (at most a minute) until the file that
//                 VEDIDU_PROBE_RELEASE names exists, so that the splash screen can be looked
//                 at; then the main window opens and stays until it is closed.
// The exit status is the shell's; the error box goes to stderr when there is no display.
// The single-instance lock is the editor's own, in $XDG_RUNTIME_DIR.
#include "QKFramework/Application/FrameworkShell.h"
#include "QKFramework/Notification/NotificationCenter.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

#include "tests/support/UI/FolderShell.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <unistd.h>

namespace
{

using namespace QK;

std::string g_mode;

class ProbeApp final : public LApplicationBase
{
public:
    ProbeApp(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& strings, const WString& commandLine,
             std::uint32_t languageId)
        : LApplicationBase(factory, strings, commandLine, languageId)
    {
    }

    static constexpr const char16_t* kMainWindowClassName = TestSupport::kTestMainWindowClassName;
    static constexpr const char* kRuntimeFolderName = TestSupport::kTestRuntimeFolderName;

    WString GetVersionString() const override { return WString(u"probe"); }
    WString GetMainWindowClassName() const override { return WString(kMainWindowClassName); }
    WString GetMainControlName() const override
    {
        return WString(g_mode == "missing-main" ? u"noSuchControl" : u"mainControl");
    }
    IniFileHandle GetSettings(std::int32_t) override { return 0; }
    bool CanExit() override { return true; }
    std::int32_t GetMainWindowRendererKind() const override { return 1; }

    QKRESULT RunApplicationStartup() override
    {
        if (g_mode == "splash")
            if (const char* release = std::getenv("VEDIDU_PROBE_RELEASE"))
                for (int waited = 0; waited < 60000 && ::access(release, F_OK) != 0; waited += 20)
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const QKRESULT result = LApplicationBase::RunApplicationStartup();
        if (g_mode == "quiet" && !Failed(result))
            return static_cast<QKRESULT>(0x8000A010);
        return result;
    }

    void OnBeforeMainLoop() override
    {
        if (g_mode == "splash")
            return;
        if (const RCPtr<LNotificationCenter> centre = GetDefaultNotificationCenter())
            centre->PostNotification(LNotification::Create(u"NID_APP_EXIT_REQ"));
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: %s <skin folder> run|quiet|missing-main|splash [arguments...]\n", argv[0]);
        return 2;
    }
    g_mode = argv[2];
    TestSupport::FolderShell<ProbeApp> shell(std::string(argv[1]) + "/");
    return shell.FrameworkWinMain(argc, argv, 0x0409, WString(u"Splash.png"));
}
