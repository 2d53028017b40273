// SimulatorProcess: runs the simulated controller (vedidu_simulator) as a child process for
// integration tests, on the MIDI system the environment chooses (the test script's JACK
// server). Its options: --silent, --short or --garbage (see SimulatedController), --log
// FILE (each received message as a hex line), --state FILE (the stored presets, read at
// start when the file exists and written after every change), --late MS (the first get's
// answer held back until right before the next get's, and at least MS), --slow MS[:N]
// (every answer, or those to the first N messages, MS after its message, in order), --flood
// RATE[:SECONDS] (messages the editor has no use for, RATE a second) and --dump-byte7 HEX
// (what every dump carries in byte 7 instead of the preset's number); see the program's own
// description.
#pragma once

#include "QKFramework/Midi/MidiBackend.h"

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace QK::TestSupport
{

class SimulatorProcess
{
public:
    // The name of the simulator's ports, in both directions.
    static constexpr const char* kPortName = "Vedidu";

    SimulatorProcess() = default;
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;
    ~SimulatorProcess() { Stop(); }

    static std::string ExecutablePath();

    // Starts the simulator; false when it could not be started or is already running. Its
    // ports appear a moment later (see CountListedDevices).
    bool Start(const std::vector<std::string>& arguments = {});

    // Ends it as an unplug does: asks it to stop (it then removes its ports) and waits for
    // it, killing it after timeoutMs. Its exit status: 0 for a clean end, -1 when it was
    // not running or had to be killed or died of a signal.
    int Stop(std::uint32_t timeoutMs = 10000);

    bool IsRunning() const { return m_pid > 0; }

private:
    pid_t m_pid = 0;
};

// How many devices of a direction the back end lists under name.
std::size_t CountListedDevices(IMidiBackend& backend, MidiDirection direction, const std::string& name);

} // namespace QK::TestSupport
