// A click on REC made by the X server the moment the editor's window is mapped, before the
// editor has drawn it or reached the MIDI system: the get runs once the editor is ready and
// its report box shows, as for any later click.
#include "tests/Integration/Editor/EditorProcessSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

TEST(EditorEarlyClickTest, ARecClickedAsTheWindowMapsIsActedOn)
{
    if (!HasDisplay())
        GTEST_SKIP() << "no X server (scripts/test.sh starts one)";
    ScopedEnvironment dpi("VEDIDU_DPI", "96");
    const PointL button = ControlCentre("fav3/recButton");
    ASSERT_GE(button.x, 0) << "no fav3/recButton in the shipped skin";

    ProcessHome home;
    SimulatorProcess simulator;
    ASSERT_TRUE(StartSimulator(simulator, nullptr));
    EditorWindow editor;
    Display* display = editor.display.get();
    ASSERT_TRUE(display);
    ASSERT_TRUE(editor.process.Start({VEDIDU_EDITOR_PROGRAM}));
    // Polled as fast as the server answers, and clicked at once.
    WaitUntil(
        [&]
        {
            editor.window = FindProcessWindow(display, DefaultRootWindow(display), editor.process.GetPid());
            return editor.window != 0 || !editor.process.IsRunning();
        },
        kStartLimitMs, 1);
    ASSERT_NE(editor.window, 0u) << editor.process.Wait(0).errorOutput;
    ASSERT_TRUE(ClickInWindow(display, editor.window, button));

    std::string shown;
    WaitUntil(
        [&]
        {
            for (const char* title : {"Retrieve Favorite", "Retrieve Favorite Error"})
                if (const Window box = FindTitledWindow(display, DefaultRootWindow(display), title))
                {
                    shown = title;
                    RequestClose(display, box);
                }
            return !shown.empty() || !editor.process.IsRunning();
        },
        30000, 20);
    EXPECT_EQ(shown, "Retrieve Favorite") << "the click was lost";

    RequestClose(display, editor.window);
    const ChildProcessResult result = editor.process.Wait(60000);
    ASSERT_TRUE(result.finished) << result.errorOutput;
    EXPECT_EQ(result.exitStatus, 0) << result.errorOutput;
    EXPECT_TRUE(NoSanitizerReport(result.errorOutput)) << result.errorOutput;
    EXPECT_EQ(simulator.Stop(), 0);
}

} // namespace
} // namespace QK
