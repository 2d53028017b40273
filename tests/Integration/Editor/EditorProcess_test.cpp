// The editor as a process and its exit: VediduEditor under the test script's Xvfb and JACK
// shows its window, which is saved as a picture, and ends with status 0 when the window is
// closed while the simulated controller is attached, also when the close comes during a get
// that waits in vain or right after a send (clicks made by the X server); without a display
// it shows the start-up error and ends with 1. The application's exit lets go of a MIDI
// manager that has just got and sent presets (or waited in vain for a reply) with the
// transport ending on its thread.
#include "Panel/Main/Application.h"

#include "QKFramework/Platform/Render/Cairo/PngWriter.h"

#include "tests/Integration/Editor/EditorProcessSupport.h"
#include "tests/support/Editor/EditorTestApp.h"
#include "tests/support/UI/FakeWindowSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

TEST(EditorProcessTest, WithoutADisplayTheStartUpErrorIsShownAndTheStatusIs1)
{
    ProcessHome home;
    const ChildProcessResult result =
        RunChildProcess({VEDIDU_EDITOR_PROGRAM}, {"DISPLAY", "WAYLAND_DISPLAY"});
    ASSERT_TRUE(result.started);
    ASSERT_TRUE(result.finished) << result.errorOutput;
    EXPECT_EQ(result.exitStatus, 1) << result.errorOutput;
    EXPECT_NE(result.errorOutput.find(
                  "Error: The application encountered problems during startup and will now close."),
              std::string::npos)
        << result.errorOutput;
    EXPECT_TRUE(NoSanitizerReport(result.errorOutput)) << result.errorOutput;
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
