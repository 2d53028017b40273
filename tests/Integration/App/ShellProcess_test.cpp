// The shell as a whole process: its exit status and the start-up error box (on stderr, as
// it is shown without a display) for a string table that does not load, for errors that
// leave the run, for a quiet start-up code and for a normal run; and what a second start
// does when it can, and when it cannot, reach the first.
#include "tests/support/ChildProcess.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UI/ShellProbe/ProbeSkins.h"

#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/stat.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// The application's own texts for the start-up error box.
constexpr const char* kStrings = R"(<?xml version="1.0" encoding="UTF-8"?>
<Zelvo_StringTable_Definitions><Application Name="ShellProbe"/>
  <StringTable ID="|ShellProbe">
    <String ID="STARTUP_ERROR"><Locale LCID="0x0009">The probe could not start.</Locale></String>
    <String ID="STARTUP_ERROR_CAPTION"><Locale LCID="0x0009">Probe Error</Locale></String>
  </StringTable>
</Zelvo_StringTable_Definitions>
)";

constexpr const char* kDefaultBox =
    "Error: The application encountered problems during startup and will now close.";
constexpr const char* kOwnBox = "Probe Error: The probe could not start.";

struct ShellCase
{
    const char* name;
    const char* strings;
    const char* mode;
    bool withDisplay;
    int status;
    // What stderr holds; null when no box may show.
    const char* box;
};

const ShellCase kCases[] = {
    {"a string table that does not load", "<Zelvo_StringTable_Definitions><StringTable", "run", false, 1, kDefaultBox},
    {"no display for the main window", kStrings, "run", false, 1, kOwnBox},
    {"a main control the skin lacks", kStrings, "missing-main", false, 1, kOwnBox},
    {"a quiet start-up code", kStrings, "quiet", false, 0, nullptr},
    {"a normal run", kStrings, "run", true, 0, nullptr},
};

TEST(ShellProcessTest, ExitStatusAndStartupErrorBox)
{
    TempFolder runtime;
    ScopedEnvironment runtimeHome("XDG_RUNTIME_DIR", runtime.Path().c_str());
    TempFolder config;
    ScopedEnvironment configHome("XDG_CONFIG_HOME", config.Path().c_str());
    for (const ShellCase& shellCase : kCases)
    {
        SCOPED_TRACE(shellCase.name);
        if (shellCase.withDisplay && !std::getenv("DISPLAY"))
            continue;
        TempFolder skins;
        skins.WriteFile("FrameworkStrings.xml", kProbeFrameworkStrings);
        skins.WriteFile("StringTables.xml", shellCase.strings);
        skins.WriteFile("Skins.xml", kProbeSkins);
        std::vector<std::string> unset;
        if (!shellCase.withDisplay)
            unset = {"DISPLAY", "WAYLAND_DISPLAY"};
        const ChildProcessResult result =
            RunChildProcess({VEDIDU_SHELL_PROBE, skins.Path(), shellCase.mode}, unset);
        ASSERT_TRUE(result.started);
        ASSERT_TRUE(result.finished) << result.errorOutput;
        EXPECT_EQ(result.exitStatus, shellCase.status) << result.errorOutput;
        if (shellCase.box)
            EXPECT_NE(result.errorOutput.find(shellCase.box), std::string::npos) << result.errorOutput;
        else
            EXPECT_EQ(result.errorOutput.find("start"), std::string::npos) << result.errorOutput;
    }
}

// The single-instance socket's name in the runtime folder, after the probe's main window class.
constexpr const char* kProbeSocket = "QKTestMainWindowClassPrevent";
constexpr const char* kSingleInstanceOff = "single instance is off: ";

class ShellSingleInstanceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        skins.WriteFile("FrameworkStrings.xml", kProbeFrameworkStrings);
        skins.WriteFile("StringTables.xml", kStrings);
        skins.WriteFile("Skins.xml", kProbeSkins);
    }

    TempFolder config;
    ScopedEnvironment configHome{"XDG_CONFIG_HOME", config.Path().c_str()};
    TempFolder skins;
    const std::vector<std::string> noDisplay{"DISPLAY", "WAYLAND_DISPLAY"};
};

// A start that finds the lock held and nobody listening (the holder may still be starting)
// runs in full, and says on stderr that a further start will not find it.
TEST_F(ShellSingleInstanceTest, AStartThatCannotReachTheHolderOfTheLockSaysSo)
{
    TempFolder runtime;
    ScopedEnvironment runtimeHome("XDG_RUNTIME_DIR", runtime.Path().c_str());
    const int held = ::open((runtime / (std::string(kProbeSocket) + ".lock")).c_str(),
                            O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    const ChildProcessResult result = RunChildProcess({VEDIDU_SHELL_PROBE, skins.Path(), "quiet"}, noDisplay);
    ::close(held);
    ASSERT_TRUE(result.finished) << result.errorOutput;
    EXPECT_EQ(result.exitStatus, 0) << result.errorOutput;
    EXPECT_NE(result.errorOutput.find(std::string(kSingleInstanceOff) + "the running instance cannot be reached at " +
                                      (runtime / kProbeSocket)),
              std::string::npos)
        << result.errorOutput;
}

// A runtime folder of 120 characters leaves no room in a socket's address for the socket's
// path: a second start still reaches the first and ends with 0, without a word.
TEST_F(ShellSingleInstanceTest, ASecondStartReachesTheFirstThroughALongRuntimeFolder)
{
    TempFolder top;
    const std::string runtime = top.Path() + "/" + std::string(119 - top.Path().size(), 'r');
    ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
    ASSERT_EQ(runtime.size(), 120u);
    ScopedEnvironment runtimeHome("XDG_RUNTIME_DIR", runtime.c_str());
    ScopedEnvironment release("VEDIDU_PROBE_RELEASE", (top / "release").c_str());

    // The first waits in its start-up until it is released.
    RunningChildProcess first;
    ASSERT_TRUE(first.Start({VEDIDU_SHELL_PROBE, skins.Path(), "splash"}, noDisplay));
    const std::string socket = runtime + "/" + kProbeSocket;
    struct stat status;
    for (int waited = 0; waited < 30000 && ::lstat(socket.c_str(), &status) != 0 && first.IsRunning(); waited += 10)
        ::poll(nullptr, 0, 10);
    ASSERT_EQ(::lstat(socket.c_str(), &status), 0) << "the first start made no socket";

    // Run in full, this one would end with the error box and 1.
    const ChildProcessResult second =
        RunChildProcess({VEDIDU_SHELL_PROBE, skins.Path(), "missing-main", "a.vedidu"}, noDisplay);
    EXPECT_TRUE(second.finished);
    EXPECT_EQ(second.exitStatus, 0) << second.errorOutput;
    EXPECT_EQ(second.errorOutput, "");

    top.WriteFile("release", "");
    const ChildProcessResult firstResult = first.Wait();
    EXPECT_TRUE(firstResult.finished);
    EXPECT_EQ(firstResult.errorOutput.find(kSingleInstanceOff), std::string::npos) << firstResult.errorOutput;
}

} // namespace
} // namespace QK
