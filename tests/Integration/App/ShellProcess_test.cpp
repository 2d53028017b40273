// The shell as a whole process: its exit status and the start-up error box (on stderr, as
// it is shown without a display) for a string table that does not load, for errors that
// leave the run, for a quiet start-up code and for a normal run.
#include "tests/support/ChildProcess.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UI/ShellProbe/ProbeSkins.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace QK
