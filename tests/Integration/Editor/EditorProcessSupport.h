// The editor as a process of its own, seen from the test through a connection of the test's
// own to the X server (XServerTools.h); the simulated controller started on the test script's
// JACK server; the folders the process writes to.
//
// Header only, for the editor integration suite.
#pragma once

#include "QKFramework/Midi/MidiBackend.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/Editor/EditorTree.h"
#include "tests/support/Midi/EditorMidiNames.h"
#include "tests/support/Midi/SimulatedController.h"
#include "tests/support/Midi/SimulatorProcess.h"
#include "tests/support/PrivateXServer.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include "tests/support/UI/XServerTools.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

extern char** environ;

namespace QK::TestSupport
{

// A loaded machine with sanitizers and a JACK server in synchronous mode can take long to
// start the program; the limit only ends a run that would otherwise hang.
inline constexpr std::uint32_t kStartLimitMs = 150000;

inline bool HasDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

// Lists the devices as the editor does (its MIDI names).
inline bool SimulatorPortsListed()
{
    UseEditorMidiNames();
    return CountListedDevices(*GetMidiBackend(), MidiDirection::Input, SimulatorProcess::kPortName) == 1 &&
           CountListedDevices(*GetMidiBackend(), MidiDirection::Output, SimulatorProcess::kPortName) == 1;
}

// The folders a process of the editor writes to: settings, the single-instance socket.
class ProcessHome
{
public:
    ProcessHome()
        : m_home("HOME", m_folder.Path().c_str()), m_data("XDG_DATA_HOME", nullptr),
          m_config("XDG_CONFIG_HOME", nullptr), m_runtime("XDG_RUNTIME_DIR", m_runtimeFolder.Path().c_str())
    {
    }

    // The user settings the process keeps ("UserSettings.ini"); empty while there are none.
    std::string ReadUserSettings() const
    {
        return m_folder.ReadFile(".config/Dozavod Professional/Vedidu Editor/UserSettings.ini");
    }
    const TempFolder& Folder() const noexcept { return m_folder; }

private:
    TempFolder m_folder;
    TempFolder m_runtimeFolder;
    ScopedEnvironment m_home;
    ScopedEnvironment m_data;
    ScopedEnvironment m_config;
    ScopedEnvironment m_runtime;
};

// Where the shipped standard skin puts a control of the device view ("fav3/recButton"): the
// centre of its rectangle in the main window's client area.
inline PointL ControlCentre(const std::string& path)
{
    EditorTree tree;
    if (Failed(tree.started) || Failed(tree.Build()))
        return {-1, -1};
    const RCPtr<LControl> control = tree.Find("favoriteBankPanel/" + path);
    if (!control)
        return {-1, -1};
    RectL rect;
    control->GetWindowRect(rect);
    return {rect.x + rect.width / 2, rect.y + rect.height / 2};
}

inline bool NoSanitizerReport(const std::string& errorOutput)
{
    return errorOutput.find("Sanitizer") == std::string::npos &&
           errorOutput.find("runtime error") == std::string::npos;
}

// Starts the simulated controller with options (a reply mode, "--log FILE") and waits for its
// ports on the MIDI system this process uses.
inline ::testing::AssertionResult StartSimulator(SimulatorProcess& simulator, const std::vector<std::string>& options)
{
    SetMidiBackend(nullptr);
    if (!simulator.Start(options))
        return ::testing::AssertionFailure() << "cannot start " << SimulatorProcess::ExecutablePath();
    if (!WaitUntil(SimulatorPortsListed))
        return ::testing::AssertionFailure()
               << "the simulator's ports did not appear; is a JACK server running "
                  "(scripts/test.sh starts one)?";
    return ::testing::AssertionSuccess();
}

// The same with one reply mode, or none (null).
inline ::testing::AssertionResult StartSimulator(SimulatorProcess& simulator, const char* option)
{
    return StartSimulator(simulator, option ? std::vector<std::string>{option} : std::vector<std::string>{});
}

// The editor as a process with its window, seen through a connection of this process's own.
struct EditorWindow
{
    // Starts the editor and waits until its window is up and painted; pixels holds what it
    // shows. unset: variables of this process the editor does not get.
    ::testing::AssertionResult Show(const std::vector<std::string>& unset = {})
    {
        if (!display)
            return ::testing::AssertionFailure() << "no X server connection";
        if (!process.Start({VEDIDU_EDITOR_PROGRAM}, unset))
            return ::testing::AssertionFailure() << "cannot start " << VEDIDU_EDITOR_PROGRAM;
        WaitUntil(
            [&]
            {
                window = FindProcessWindow(display.get(), DefaultRootWindow(display.get()), process.GetPid());
                return window != 0 || !process.IsRunning();
            },
            kStartLimitMs, 20);
        if (!window)
            return ::testing::AssertionFailure() << "no window: " << process.Wait(0).errorOutput;
        // The first paint comes a moment after the window is mapped.
        XRaiseWindow(display.get(), window);
        if (!WaitUntil(
                [&]
                {
                    pixels = CaptureWindow(display.get(), window, width, height);
                    return CountColours(pixels) > 20;
                },
                30000, 50))
            return ::testing::AssertionFailure() << "the window shows no picture";
        return ::testing::AssertionSuccess();
    }

    RunningChildProcess process;
    DisplayHandle display{OpenTestDisplay()};
    Window window = 0;
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The presets the simulator was sent, in order, read from its log (one message a line in hex).
inline std::vector<int> SentPresets(const std::string& log)
{
    static constexpr std::uint8_t kSendHeader[] = {0xF0, 0x47, 0x7F, 0x50, 0x64, 0x01, 0x0E};
    std::vector<int> presets;
    std::size_t start = 0;
    while (start < log.size())
    {
        std::size_t end = log.find('\n', start);
        if (end == std::string::npos)
            end = log.size();
        std::vector<std::uint8_t> bytes;
        if (ParseHexBytes(log.substr(start, end - start), bytes) && bytes.size() > sizeof kSendHeader &&
            std::equal(std::begin(kSendHeader), std::end(kSendHeader), bytes.begin()))
            presets.push_back(bytes[sizeof kSendHeader]);
        start = end + 1;
    }
    return presets;
}

} // namespace QK::TestSupport
