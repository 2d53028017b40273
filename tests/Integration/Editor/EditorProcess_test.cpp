// The editor as a process and its exit: VediduEditor under the test script's Xvfb and JACK
// shows its window, which is saved as a picture, and ends with status 0 when the window is
// closed while the simulated controller is attached, also when the close comes during a get
// that waits in vain or right after a send (clicks made by the X server); without a display
// it shows the start-up error and ends with 1; settings that cannot be kept are said on
// stderr, one line each. The application's exit lets go of a MIDI manager that has just got
// and sent presets (or waited in vain for a reply) with the transport ending on its thread.
#include "Panel/Main/Application.h"

#include "QKFramework/Platform/Render/Cairo/PngWriter.h"

#include "tests/Integration/Editor/EditorProcessSupport.h"
#include "tests/support/Editor/EditorTestApp.h"
#include "tests/support/UI/FakeWindowSystem.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// Without DISPLAY, and with a DISPLAY whose server has ended: a line says which display could
// not be opened and why, then the start-up error follows. A start that fails this early never
// reaches the MIDI system (which would say on stderr that there is none: the JACK server named
// here does not run).
TEST(EditorProcessTest, WithoutADisplayTheStartUpErrorIsShownAndTheStatusIs1)
{
    ProcessHome home;
    ScopedEnvironment api("VEDIDU_MIDI_API", "jack");
    ScopedEnvironment jack("JACK_DEFAULT_SERVER", "vedidu-no-such-server");
    std::string gone;
    {
        PrivateXServer server("640x480x24");
        ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
        gone = server.Display();
    }
    const struct
    {
        std::string display;
        std::string line;
    } cases[] = {
        {"", "Vedidu Editor: no display to open: DISPLAY is not set\n"},
        {gone, "Vedidu Editor: the display \"" + gone + "\" could not be opened: "},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.display);
        std::optional<ScopedEnvironment> display;
        if (!c.display.empty())
            display.emplace("DISPLAY", c.display.c_str());
        const ChildProcessResult result = RunChildProcess(
            {VEDIDU_EDITOR_PROGRAM}, c.display.empty() ? std::vector<std::string>{"DISPLAY", "WAYLAND_DISPLAY"}
                                                       : std::vector<std::string>{"WAYLAND_DISPLAY", "SDL_VIDEODRIVER"});
        ASSERT_TRUE(result.started);
        ASSERT_TRUE(result.finished) << result.errorOutput;
        EXPECT_EQ(result.exitStatus, 1) << result.errorOutput;
        const std::size_t said = result.errorOutput.find(c.line);
        const std::size_t error =
            result.errorOutput.find("Error: The application encountered problems during startup and will now close.");
        EXPECT_NE(said, std::string::npos) << result.errorOutput;
        EXPECT_NE(error, std::string::npos) << result.errorOutput;
        EXPECT_LT(said, error) << result.errorOutput;
        EXPECT_EQ(result.errorOutput.find("MIDI"), std::string::npos) << result.errorOutput;
        EXPECT_TRUE(NoSanitizerReport(result.errorOutput)) << result.errorOutput;
    }
}

// The lines the editor wrote on stderr, from its start until its window is closed as a
// window manager closes it; the run must end with status 0.
::testing::AssertionResult RunUntilClosed(std::vector<std::string>& lines)
{
    // The leak checker's list of the suppressions it used is no word of the editor's.
    const char* leakOptions = std::getenv("LSAN_OPTIONS");
    ScopedEnvironment quietLeaks("LSAN_OPTIONS",
                                 (std::string(leakOptions ? leakOptions : "") + ":print_suppressions=0").c_str());
    EditorWindow editor;
    if (::testing::AssertionResult shown = editor.Show(); !shown)
        return shown;
    RequestClose(editor.display.get(), editor.window);
    const ChildProcessResult result = editor.process.Wait(60000);
    if (!result.finished || result.exitStatus != 0)
        return ::testing::AssertionFailure() << "status " << result.exitStatus << ": " << result.errorOutput;
    if (!NoSanitizerReport(result.errorOutput))
        return ::testing::AssertionFailure() << result.errorOutput;
    lines.clear();
    for (std::size_t at = 0; at < result.errorOutput.size();)
    {
        const std::size_t end = std::min(result.errorOutput.find('\n', at), result.errorOutput.size());
        if (end > at)
            lines.push_back(result.errorOutput.substr(at, end - at));
        at = end + 1;
    }
    return ::testing::AssertionSuccess();
}

// Settings that can be neither read nor written (here a link to a file of the kernel's): the
// person is told on stderr, once that the file could not be read nor moved aside, and at the
// exit that the settings could not be written, each in one line; the run itself ends as
// usual.
TEST(EditorProcessTest, SettingsThatCannotBeWrittenAreToldOnStderr)
{
    if (!HasDisplay())
        GTEST_SKIP() << "no X server (scripts/test.sh starts one)";
    ProcessHome home;
    const std::string folder = home.Folder() / ".config/Dozavod Professional/Vedidu Editor";
    std::filesystem::create_directories(folder);
    const std::string settings = folder + "/UserSettings.ini";
    ASSERT_EQ(::symlink("/proc/version", settings.c_str()), 0);
    std::vector<std::string> lines;
    ASSERT_TRUE(RunUntilClosed(lines));
    // Nothing else: neither the reader's own line about the text nor a word about MIDI.
    const std::vector<std::string> expected = {
        "Vedidu Editor: the settings file \"/proc/version\" could not be read, nor moved aside; it is not replaced",
        "Vedidu Editor: the settings could not be written to \"" + settings + "\""};
    EXPECT_EQ(lines, expected);
}

// Settings that cannot be kept, as a new user meets them, each said in one line and the run
// ending as usual: a plain file where the configuration folder belongs (the line names the
// folder the settings would be in), and a settings file that reads but holds a list where
// its dictionary belongs (kept aside whole). A home folder whose name holds two spaces in a
// row keeps its settings, and no folder with one space is made beside it.
TEST(EditorProcessTest, SettingsThatCannotBeKeptAreSaidInOneLineAndNoOtherFolderIsMade)
{
    if (!HasDisplay())
        GTEST_SKIP() << "no X server (scripts/test.sh starts one)";
    ScopedEnvironment dpi("VEDIDU_DPI", "96");
    ScopedEnvironment documents("XDG_DOCUMENTS_DIR", nullptr);
    std::vector<std::string> lines;
    {
        SCOPED_TRACE("a plain file for the configuration folder");
        ProcessHome home;
        home.Folder().WriteFile("config", "mine\n");
        const std::string config = home.Folder() / "config";
        ScopedEnvironment blocked("XDG_CONFIG_HOME", config.c_str());
        ASSERT_TRUE(RunUntilClosed(lines));
        EXPECT_EQ(lines, std::vector<std::string>{"Vedidu Editor: the settings folder \"" + config +
                                                  "/Dozavod Professional/Vedidu Editor\" could not be made; the "
                                                  "settings will not be kept"});
        EXPECT_EQ(home.Folder().ReadFile("config"), "mine\n");
    }
    {
        SCOPED_TRACE("a settings file that holds a list");
        ProcessHome home;
        const std::string folder = home.Folder() / ".config/Dozavod Professional/Vedidu Editor";
        std::filesystem::create_directories(folder);
        const std::string list = "<plist><array><string>mine</string><integer>2</integer></array></plist>\n";
        home.Folder().WriteFile(".config/Dozavod Professional/Vedidu Editor/UserSettings.ini", list);
        ASSERT_TRUE(RunUntilClosed(lines));
        const std::string settings = folder + "/UserSettings.ini";
        EXPECT_EQ(lines, std::vector<std::string>{"Vedidu Editor: the settings file \"" + settings +
                                                  "\" could not be read; it is kept as \"" + settings +
                                                  ".unreadable\" and a new one is written"});
        EXPECT_EQ(home.Folder().ReadFile(".config/Dozavod Professional/Vedidu Editor/UserSettings.ini.unreadable"),
                  list);
        EXPECT_NE(home.ReadUserSettings().find("<key>WP</key>"), std::string::npos) << home.ReadUserSettings();
    }
    {
        SCOPED_TRACE("a home with two spaces in a row");
        ProcessHome home;
        const std::string spaced = home.Folder() / "A  B";
        std::filesystem::create_directory(spaced);
        ScopedEnvironment homeVariable("HOME", spaced.c_str());
        ASSERT_TRUE(RunUntilClosed(lines));
        EXPECT_EQ(lines, std::vector<std::string>{});
        EXPECT_NE(home.Folder().ReadFile("A  B/.config/Dozavod Professional/Vedidu Editor/UserSettings.ini"), "");
        EXPECT_FALSE(std::filesystem::exists(home.Folder() / "A B"));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home.Folder().Path()), {}), 1);
    }
}

// The simulated controller attached (silent: it takes requests and never answers), the
// editor's window up and painted, then closed as a window manager closes it.
TEST(EditorProcessTest, TheWindowShowsTheControllerAndClosingItEndsTheProcessWith0)
{
    if (!HasDisplay())
        GTEST_SKIP() << "no X server (scripts/test.sh starts one)";
    ProcessHome home;
    ScopedEnvironment dpi("VEDIDU_DPI", "96");
    SimulatorProcess simulator;
    ASSERT_TRUE(StartSimulator(simulator, "--silent"));
    EditorWindow editor;
    ASSERT_TRUE(editor.Show());
    EXPECT_GE(editor.width, 400);
    EXPECT_GE(editor.height, 200);
    std::filesystem::create_directories(VEDIDU_PICTURES_FOLDER);
    EXPECT_TRUE(WritePngFile(std::string(VEDIDU_PICTURES_FOLDER) + "/editor-window.png", editor.pixels,
                             editor.width, editor.height));

    RequestClose(editor.display.get(), editor.window);
    const ChildProcessResult result = editor.process.Wait(60000);
    ASSERT_TRUE(result.finished) << result.errorOutput;
    EXPECT_EQ(result.exitStatus, 0) << result.errorOutput;
    EXPECT_TRUE(NoSanitizerReport(result.errorOutput)) << result.errorOutput;
    EXPECT_EQ(simulator.Stop(), 0);
}

// No ALSA sequencer (none on the build machines) and no JACK server: the editor starts, shows
// its window and ends as usual, and tells the terminal so in one line; libjack's own
// complaints go to the debug log.
TEST(EditorProcessTest, WithoutAnyMidiSystemItStartsAndSaysSoInOneLine)
{
    if (!HasDisplay())
        GTEST_SKIP() << "no X server (scripts/test.sh starts one)";
    if (access("/dev/snd/seq", F_OK) == 0)
        GTEST_SKIP() << "this machine has an ALSA sequencer";
    ProcessHome home;
    ScopedEnvironment dpi("VEDIDU_DPI", "96");
    ScopedEnvironment server("JACK_DEFAULT_SERVER", "vedidu-nobody-serves-this");
    // The leak checker's list of the suppressions it used is no word of the editor's.
    const char* leakOptions = std::getenv("LSAN_OPTIONS");
    ScopedEnvironment quietLeaks("LSAN_OPTIONS",
                                 (std::string(leakOptions ? leakOptions : "") + ":print_suppressions=0").c_str());
    EditorWindow editor;
    ASSERT_TRUE(editor.Show({"VEDIDU_MIDI_API"}));

    RequestClose(editor.display.get(), editor.window);
    const ChildProcessResult result = editor.process.Wait(60000);
    ASSERT_TRUE(result.finished) << result.errorOutput;
    EXPECT_EQ(result.exitStatus, 0) << result.errorOutput;
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < result.errorOutput.size();)
    {
        const std::size_t end = std::min(result.errorOutput.find('\n', at), result.errorOutput.size());
        if (end > at)
            lines.push_back(result.errorOutput.substr(at, end - at));
        at = end + 1;
    }
    ASSERT_EQ(lines.size(), 1u) << result.errorOutput;
    EXPECT_NE(lines[0].find("no MIDI system"), std::string::npos) << lines[0];
}

// A click on a favorite button starts a get or a send on the UI thread; the window is closed
// at once, while the manager works. The report box that follows is closed as soon as it
// shows; then the close is handled and the process ends cleanly.
struct BusyClose
{
    const char* name;
    // The simulator's option, or null.
    const char* option;
    const char* button;
    // The caption of the report box that shows the click's get or send ran.
    const char* box;
};

class EditorBusyCloseTest : public ::testing::TestWithParam<BusyClose>
{
};

TEST_P(EditorBusyCloseTest, ClosingTheWindowWhileTheManagerWorksEndsTheProcessWith0)
{
    if (!HasDisplay())
        GTEST_SKIP() << "no X server (scripts/test.sh starts one)";
    const BusyClose& c = GetParam();
    ScopedEnvironment dpi("VEDIDU_DPI", "96");
    const PointL button = ControlCentre(c.button);
    ASSERT_GE(button.x, 0) << "no " << c.button << " in the shipped skin";

    ProcessHome home;
    SimulatorProcess simulator;
    ASSERT_TRUE(StartSimulator(simulator, c.option));
    EditorWindow editor;
    ASSERT_TRUE(editor.Show());

    ASSERT_TRUE(ClickInWindow(editor.display.get(), editor.window, button));
    RequestClose(editor.display.get(), editor.window);
    bool boxShown = false;
    WaitUntil(
        [&]
        {
            if (const Window box =
                    FindTitledWindow(editor.display.get(), DefaultRootWindow(editor.display.get()), c.box))
            {
                boxShown = true;
                RequestClose(editor.display.get(), box);
            }
            return !editor.process.IsRunning();
        },
        60000, 20);
    const ChildProcessResult result = editor.process.Wait(1000);
    ASSERT_TRUE(result.finished) << result.errorOutput;
    EXPECT_EQ(result.exitStatus, 0) << result.errorOutput;
    EXPECT_TRUE(NoSanitizerReport(result.errorOutput)) << result.errorOutput;
    EXPECT_TRUE(boxShown) << "the click started no " << c.name;
    EXPECT_EQ(simulator.Stop(), 0);
}

INSTANTIATE_TEST_SUITE_P(EditorProcess, EditorBusyCloseTest,
                         ::testing::Values(BusyClose{"DuringAGetThatWaitsInVain", "--silent",
                                                     "fav3/recButton", "Retrieve Favorite Error"},
                                           BusyClose{"RightAfterASend", nullptr, "fav5/sendButton",
                                                     "Send Favorite Success"}),
                         [](const ::testing::TestParamInfo<BusyClose>& info)
                         { return std::string(info.param.name); });

// What a process holds now and at most so far, in MiB, from /proc: VmRSS and VmHWM.
std::pair<double, double> ResidentMiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    double now = 0;
    double peak = 0;
    for (std::string line; std::getline(status, line);)
    {
        if (line.rfind("VmRSS:", 0) == 0)
            now = std::stod(line.substr(6)) / 1024.0;
        else if (line.rfind("VmHWM:", 0) == 0)
            peak = std::stod(line.substr(6)) / 1024.0;
    }
    return {now, peak};
}

// A manual run (--gtest_also_run_disabled_tests), not part of the test run: the simulated
// controller floods the editor with messages it has no use for, VEDIDU_FLOOD (RATE:SECONDS,
// by default 20000:60) of them, and a REC right after the flood must work. It prints the
// editor's memory as the flood goes on and the box the REC showed. For a rate the test
// script's JACK server cannot carry, run a server of a higher sample rate.
TEST(EditorProcessTest, DISABLED_ARecRightAfterAFloodWorksAndTheMemoryStaysFlat)
{
    if (!HasDisplay())
        GTEST_SKIP() << "no X server (scripts/test.sh starts one)";
    const char* flood = std::getenv("VEDIDU_FLOOD");
    const std::string floodOption = flood && *flood ? flood : "20000:60";
    const std::size_t colon = floodOption.find(':');
    ASSERT_NE(colon, std::string::npos) << "VEDIDU_FLOOD is RATE:SECONDS";
    const int seconds = std::stoi(floodOption.substr(colon + 1));
    ScopedEnvironment dpi("VEDIDU_DPI", "96");
    const PointL button = ControlCentre("fav3/recButton");
    ASSERT_GE(button.x, 0);

    ProcessHome home;
    SimulatorProcess simulator;
    const auto floodStart = std::chrono::steady_clock::now();
    ASSERT_TRUE(StartSimulator(simulator, {"--flood", floodOption}));
    EditorWindow editor;
    ASSERT_TRUE(editor.Show());

    const auto floodEnd = floodStart + std::chrono::seconds(seconds);
    double peak = 0;
    while (std::chrono::steady_clock::now() < floodEnd + std::chrono::seconds(3))
    {
        const auto [now, high] = ResidentMiB(editor.process.GetPid());
        peak = std::max(peak, high);
        std::printf("flood: %5.1f s, editor resident %7.1f MiB (peak %7.1f MiB)\n",
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - floodStart).count(), now,
                    high);
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::seconds(5));
    }

    ASSERT_TRUE(ClickInWindow(editor.display.get(), editor.window, button));
    std::string shown;
    WaitUntil(
        [&]
        {
            for (const char* title : {"Retrieve Favorite", "Retrieve Favorite Error"})
                if (const Window box =
                        FindTitledWindow(editor.display.get(), DefaultRootWindow(editor.display.get()), title))
                {
                    shown = title;
                    RequestClose(editor.display.get(), box);
                    return true;
                }
            return false;
        },
        30000, 20);
    std::printf("REC right after the flood: \"%s\"; editor peak resident %.1f MiB\n",
                shown.empty() ? "no box" : shown.c_str(), peak);
    EXPECT_EQ(shown, "Retrieve Favorite");

    RequestClose(editor.display.get(), editor.window);
    const ChildProcessResult result = editor.process.Wait(60000);
    EXPECT_TRUE(result.finished);
    EXPECT_TRUE(NoSanitizerReport(result.errorOutput)) << result.errorOutput;
    EXPECT_EQ(simulator.Stop(), 0);
}

// The application's own start-up and exit against the simulated controller: whatever the
// manager did last, the transport is the exit's alone when it lets go, so it ends here.
TEST(EditorProcessTest, TheExitLetsGoOfTheTransportOnItsOwnThreadAfterAGetASendOrAGetInVain)
{
    const struct
    {
        const char* name;
        const char* option;
    } cases[] = {{"after a get and a send", nullptr}, {"after a get that waited in vain", "--silent"}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        TemporaryHome home;
        SimulatorProcess simulator;
        ASSERT_TRUE(StartSimulator(simulator, c.option));

        FakeWindowSystem system;
        const RCPtr<LControlFactory> factory = LoadEditorResources();
        ASSERT_TRUE(factory);
        const RCPtr<EditorTestApp> app(new EditorTestApp(factory, system));
        ASSERT_GE(app->RunApplicationStartup(), 0);
        RCPtr<LMidiManager> manager = app->GetMidiManager();
        ASSERT_TRUE(manager && manager->AreMidiPortsOpen());
        if (c.option)
            EXPECT_EQ(manager->GetPresetFromMidiDevice(3), -3);
        else
        {
            EXPECT_EQ(manager->GetPresetFromMidiDevice(3), QK_OK);
            EXPECT_EQ(manager->SendPresetToDevice(5), 224);
        }
        manager = nullptr;
        EXPECT_TRUE(app->ReleaseMidiManager());
        EXPECT_FALSE(app->GetMidiManager());
        app->Shutdown();
        EXPECT_EQ(simulator.Stop(), 0);
    }
}

} // namespace
} // namespace QK
