// The display going away under the editor (a logout, an X server that crashed or restarted)
// ends it as a session end does, whatever it is doing: idle, showing a message box, or
// waiting for a get. The real program runs on an X server of the test's own, which the test
// ends (as a crashed server dies, or as one asked to stop), with the simulated controller on a
// JACK server of the test's own; the editor must end with status 1 and one line saying why,
// never by a signal or with a sanitizer report, its settings must be written (readable, with
// the place the window was moved to in the session) and the JACK server must still serve the
// simulator, which then ends as usual.
#include "tests/Integration/Editor/EditorProcessSupport.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

enum class State
{
    Idle,
    MessageBox,
    WaitingForAGet,
};

struct DisplayLossCase
{
    const char* name;
    State state;
    // How the X server ends.
    int signal;
};

constexpr const char* kGetFavorite3 = "F0 47 7F 50 66 00 01 03 F7";
constexpr const char* kLostLine = "Vedidu Editor: the display connection was lost\n";

// Where the test moves the window before the server goes: the session's change that the
// settings must keep.
constexpr int kMovedLeft = 123;
constexpr int kMovedTop = 77;

// A JACK server of the test's own (dummy driver, asynchronous as a desktop's is): the editor
// leaves it without the orderly end, and the test script's server, synchronous and shared
// with the suites after this one, is kept out of that. Empty name when it did not start.
class PrivateJackServer
{
public:
    PrivateJackServer() : m_name("vedidu-display-loss-" + std::to_string(::getpid()))
    {
        std::vector<std::string> arguments{"jackd", "--no-realtime", "-n", m_name, "-d", "dummy",
                                           "-r", "48000", "-p", "1024"};
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        const bool spawned = posix_spawnp(&m_pid, "jackd", &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        if (!spawned)
        {
            m_pid = 0;
            m_name.clear();
            return;
        }
        ScopedEnvironment server("JACK_DEFAULT_SERVER", m_name.c_str());
        if (!WaitUntil([] { return RunChildProcess({"/bin/sh", "-c", "jack_lsp >/dev/null 2>&1"}, {}, 5000).exitStatus == 0; }, 20000, 50))
            m_name.clear();
    }
    ~PrivateJackServer()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
    PrivateJackServer(const PrivateJackServer&) = delete;
    PrivateJackServer& operator=(const PrivateJackServer&) = delete;
    const std::string& Name() const { return m_name; }

private:
    pid_t m_pid = 0;
    std::string m_name;
};

// The integer stored under key (a plain key of the "WP" placement, "Left"), or -1.
int StoredPlacement(const std::string& settings, const std::string& key)
{
    const std::size_t placement = settings.find("<key>WP</key>");
    if (placement == std::string::npos)
        return -1;
    const std::string tag = "<key>" + key + "</key>";
    const std::size_t at = settings.find(tag, placement);
    if (at == std::string::npos)
        return -1;
    const std::size_t open = settings.find("<integer>", at);
    if (open == std::string::npos)
        return -1;
    return std::atoi(settings.c_str() + open + 9);
}

class EditorDisplayLossTest : public ::testing::TestWithParam<DisplayLossCase>
{
};

TEST_P(EditorDisplayLossTest, TheEditorEndsWithStatus1AndItsSettingsWritten)
{
    const DisplayLossCase& c = GetParam();
    PrivateXServer server("1600x1000x24");
    ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
    ScopedEnvironment display("DISPLAY", server.Display().c_str());
    ScopedEnvironment dpi("VEDIDU_DPI", "96");
    const PointL send3 = ControlCentre("fav3/sendButton");
    const PointL rec3 = ControlCentre("fav3/recButton");
    ASSERT_GE(send3.x, 0);

    PrivateJackServer jack;
    ASSERT_FALSE(jack.Name().empty()) << "jackd did not start";
    ScopedEnvironment jackServer("JACK_DEFAULT_SERVER", jack.Name().c_str());
    ProcessHome home;
    TempFolder logFolder;
    SimulatorProcess simulator;
    std::vector<std::string> options{"--log", logFolder / "simulator.log"};
    if (c.state == State::WaitingForAGet)
        options.push_back("--silent");
    // Its ports are looked for with the server's own tool: a MIDI client of this process would
    // stay on the private server, which ends before this process does.
    ASSERT_TRUE(simulator.Start(options));
    ASSERT_TRUE(WaitUntil(
        []
        {
            return RunChildProcess({"/bin/sh", "-c", "test \"$(jack_lsp | grep -c Vedidu)\" -ge 2"}, {}, 5000)
                       .exitStatus == 0;
        },
        20000, 50))
        << "the simulator's ports did not appear";
    EditorWindow editor;
    ASSERT_TRUE(editor.Show());
    Display* connection = editor.display.get();

    // No window manager: the move reaches the editor as the X server's own notice.
    XMoveWindow(connection, editor.window, kMovedLeft, kMovedTop);
    XSync(connection, False);
    ASSERT_TRUE(WaitUntil(
        [&]
        {
            Window child = 0;
            int x = 0, y = 0;
            XTranslateCoordinates(connection, editor.window, DefaultRootWindow(connection), 0, 0, &x, &y, &child);
            return x == kMovedLeft && y == kMovedTop;
        },
        10000, 20));

    switch (c.state)
    {
    case State::Idle:
        break;
    case State::MessageBox:
        ASSERT_TRUE(ClickInWindow(connection, editor.window, send3));
        ASSERT_TRUE(WaitUntil(
            [&] { return FindTitledWindow(connection, DefaultRootWindow(connection), "Send Favorite Success") != 0; },
            60000, 20))
            << "the send's box did not show";
        break;
    case State::WaitingForAGet:
        ASSERT_TRUE(ClickInWindow(connection, editor.window, rec3));
        ASSERT_TRUE(WaitUntil([&] { return logFolder.ReadFile("simulator.log").find(kGetFavorite3) !=
                                           std::string::npos; },
                              60000, 5))
            << "the click on REC sent no get";
        break;
    }
    // The editor has seen the move by now (it painted the box or sent the get after it); at
    // idle, a few of its 33 ms turns.
    if (c.state == State::Idle)
        std::this_thread::sleep_for(std::chrono::milliseconds(500));

    // The test's own connection goes first: Xlib would end this process on its loss.
    editor.display.reset();
    const auto ended = std::chrono::steady_clock::now();
    server.Stop(c.signal);
    const ChildProcessResult result = editor.process.Wait(30000);
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - ended).count();
    std::printf("%s: the editor ended %lld ms after its X server\n", c.name, static_cast<long long>(took));

    ASSERT_TRUE(result.finished) << "the editor did not end: " << result.errorOutput;
    EXPECT_EQ(result.exitStatus, 1) << "(-1: a signal ended it)\n" << result.errorOutput;
    EXPECT_NE(result.errorOutput.find(kLostLine), std::string::npos) << result.errorOutput;
    EXPECT_TRUE(NoSanitizerReport(result.errorOutput)) << result.errorOutput;
    const std::string settings = home.ReadUserSettings();
    EXPECT_EQ(settings.rfind("<?xml", 0), 0u) << settings;
    EXPECT_NE(settings.find("</plist>"), std::string::npos) << settings;
    EXPECT_EQ(StoredPlacement(settings, "Left"), kMovedLeft) << settings;
    EXPECT_EQ(StoredPlacement(settings, "Top"), kMovedTop) << settings;
    EXPECT_EQ(simulator.Stop(), 0);
}

INSTANTIATE_TEST_SUITE_P(EditorProcess, EditorDisplayLossTest,
                         ::testing::Values(DisplayLossCase{"IdleServerKilled", State::Idle, SIGKILL},
                                           DisplayLossCase{"IdleServerStopped", State::Idle, SIGTERM},
                                           DisplayLossCase{"WhileAMessageBoxShows", State::MessageBox, SIGKILL},
                                           DisplayLossCase{"WhileAGetWaits", State::WaitingForAGet, SIGKILL}),
                         [](const ::testing::TestParamInfo<DisplayLossCase>& info)
                         { return std::string(info.param.name); });

} // namespace
} // namespace QK
