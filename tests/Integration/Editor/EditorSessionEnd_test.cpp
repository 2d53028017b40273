// The signals that end a desktop session's programs (SIGTERM, SIGINT, SIGHUP) end the editor
// as its close button does, whatever it is doing: idle, showing a message box, showing the
// Open dialog, or waiting for a controller that does not answer. The real program runs under
// the test script's Xvfb and JACK; it must end with status 0, with its settings written and
// with no dialog program of its own left on the screen.
#include "tests/Integration/Editor/EditorProcessSupport.h"

#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// What the editor is doing when the signal comes.
enum class State
{
    Idle,
    MessageBox,
    FileDialog,
    WaitingForAGet,
};

struct SessionEndCase
{
    const char* name;
    int signal;
    State state;
};

// The get request for favorite 3, as the simulator logs it.
constexpr const char* kGetFavorite3 = "F0 47 7F 50 66 00 01 03 F7";

class EditorSessionEndTest : public ::testing::TestWithParam<SessionEndCase>
{
};

TEST_P(EditorSessionEndTest, TheSignalEndsTheEditorWithStatus0AndItsSettingsWritten)
{
    if (!HasDisplay())
        GTEST_SKIP() << "no X server (scripts/test.sh starts one)";
    const SessionEndCase& c = GetParam();
    ScopedEnvironment dpi("VEDIDU_DPI", "96");
    const PointL send3 = ControlCentre("fav3/sendButton");
    const PointL rec3 = ControlCentre("fav3/recButton");
    ASSERT_GE(send3.x, 0);
    ASSERT_GE(rec3.x, 0);

    ProcessHome home;
    TempFolder logFolder;
    SimulatorProcess simulator;
    std::vector<std::string> options{"--log", logFolder / "simulator.log"};
    if (c.state == State::WaitingForAGet)
        options.push_back("--silent");
    ASSERT_TRUE(StartSimulator(simulator, options));
    EditorWindow editor;
    ASSERT_TRUE(editor.Show());
    Display* display = editor.display.get();
    const Window root = DefaultRootWindow(display);

    // The dialog whose program must be gone with the editor.
    std::string dialog;
    switch (c.state)
    {
    case State::Idle:
        break;
    case State::MessageBox:
        dialog = "Send Favorite Success";
        ASSERT_TRUE(ClickInWindow(display, editor.window, send3));
        break;
    case State::FileDialog:
        dialog = "Select Favorite File";
        ASSERT_TRUE(PressKeysInWindow(display, editor.window, send3, {XK_Control_L, XK_o}));
        break;
    case State::WaitingForAGet:
        ASSERT_TRUE(ClickInWindow(display, editor.window, rec3));
        ASSERT_TRUE(WaitUntil([&] { return logFolder.ReadFile("simulator.log").find(kGetFavorite3) !=
                                           std::string::npos; },
                              60000, 5))
            << "the click on REC sent no get";
        break;
    }
    if (!dialog.empty())
    {
        ASSERT_TRUE(WaitUntil([&] { return FindTitledWindow(display, root, dialog) != 0; }, 60000, 20))
            << "\"" << dialog << "\" did not show";
    }

    const auto sent = std::chrono::steady_clock::now();
    ASSERT_EQ(::kill(editor.process.GetPid(), c.signal), 0);
    const ChildProcessResult result = editor.process.Wait(30000);
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sent).count();
    std::printf("%s: the editor ended %lld ms after the signal\n", c.name, static_cast<long long>(took));
    ASSERT_TRUE(result.finished) << "the editor did not end: " << result.errorOutput;
    EXPECT_EQ(result.exitStatus, 0) << result.errorOutput;
    EXPECT_TRUE(NoSanitizerReport(result.errorOutput)) << result.errorOutput;
    EXPECT_NE(home.ReadUserSettings().find("<key>WP</key>"), std::string::npos)
        << "the window's placement was not written:\n"
        << home.ReadUserSettings();
    if (!dialog.empty())
    {
        EXPECT_TRUE(WaitUntil([&] { return FindTitledWindow(display, root, dialog) == 0; }, 5000, 20))
            << "\"" << dialog << "\" outlived the editor";
    }
    if (c.state == State::WaitingForAGet)
    {
        EXPECT_EQ(FindTitledWindow(display, root, "Retrieve Favorite Error"), 0u)
            << "a box showed for a get the editor was leaving";
    }
    EXPECT_EQ(simulator.Stop(), 0);
}

std::vector<SessionEndCase> AllCases()
{
    const struct
    {
        const char* name;
        int signal;
    } signals[] = {{"Term", SIGTERM}, {"Int", SIGINT}, {"Hup", SIGHUP}};
    const struct
    {
        const char* name;
        State state;
    } states[] = {{"Idle", State::Idle},
                  {"WhileAMessageBoxShows", State::MessageBox},
                  {"WhileTheOpenDialogShows", State::FileDialog},
                  {"WhileAGetWaits", State::WaitingForAGet}};
    static std::vector<std::string> names;
    names.reserve(std::size(signals) * std::size(states));
    std::vector<SessionEndCase> cases;
    for (const auto& s : signals)
        for (const auto& state : states)
        {
            names.push_back(std::string(s.name) + state.name);
            cases.push_back({names.back().c_str(), s.signal, state.state});
        }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EditorProcess, EditorSessionEndTest, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<SessionEndCase>& info)
                         { return std::string(info.param.name); });

} // namespace
} // namespace QK
