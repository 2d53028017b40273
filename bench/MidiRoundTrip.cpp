// The round trip of a preset get: through the MIDI manager against the simulated
// controller, beside a raw RtMidi exchange of the same 9 bytes out and 224 bytes back over
// the same MIDI system, and the ratio of the two (ratio_checking, ratio_paused; the
// manager's get should take at most twice the raw exchange). The manager runs once with
// presence checking enabled, as in the editor (each SysEx send then pauses the checker,
// waiting for a pass under way), and once with it paused.
//
// Needs a MIDI system with room for the simulator, e.g. by hand (see the README):
//   jackd --no-realtime -d dummy -r 48000 -p 1024 &
//   VEDIDU_MIDI_API=jack build/release/bench/bench_MidiRoundTrip
#include "DeviceControl/GeneratedCode/Engine/Inc/PresetEditorAppEngine.h"
#include "Engine/PresetEditorCommon/MidiManager.h"
#include "QKFramework/Platform/Midi/MidiPortNames.h"
#include "tests/support/Midi/EditorMidiNames.h"
#include "tests/support/Midi/SimulatorProcess.h"
#include "tests/support/WaitUntil.h"

#include "bench/RawMidiExchange.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace
{

using namespace QK;
using namespace QK::TestSupport;
using Clock = std::chrono::steady_clock;
using VediduBench::RawExchange;

// The simulator, the model and the manager, made once for all runs.
struct Setup
{
    SimulatorProcess simulator;
    RCPtr<LPresetEditorAppEngine> engine;
    RCPtr<LMidiManager> manager;
    RawExchange raw;
    std::string error;

    Setup()
    {
        UseEditorMidiNames();
        if (!simulator.Start({"--log", "/dev/null"}))
        {
            error = "cannot start " + SimulatorProcess::ExecutablePath();
            return;
        }
        const auto listed = [](MidiDirection direction)
        { return CountListedDevices(*GetMidiBackend(), direction, SimulatorProcess::kPortName) == 1; };
        if (!WaitUntil([&] { return listed(MidiDirection::Input) && listed(MidiDirection::Output); }))
        {
            error = "the simulator's ports did not appear (is a JACK server or the ALSA sequencer there?)";
            return;
        }
        engine = LPresetEditorAppEngine::Create();
        engine->Initialize(0);
        SetRootModuleEngine(engine);
        manager = LMidiManager::Create();
        if (!manager->AreMidiPortsOpen())
            error = "the manager did not open the simulator's ports";
        else
            raw.Open(error);
    }

    ~Setup()
    {
        if (manager)
        {
            // The transport goes last, once no delivery holds the manager any more.
            const RCPtr<LMidiCommInterface> comm = manager->GetMidiCommInterface();
            manager = nullptr;
            WaitUntil([&] { return comm->GetRefCount() - comm->GetInternalRefCount() == 1; });
        }
        SetRootModuleEngine(nullptr);
        engine = nullptr;
    }

    static Setup& Get()
    {
        static Setup setup;
        return setup;
    }
};

// Mean seconds of one manager get, by checking (0 off, 1 on); filled by BM_ManagerGet.
double g_managerSeconds[2] = {0, 0};

// The manager's get. The two exchanges run in turn, not interleaved: both ports hear every
// dump the simulator sends, and a get takes any dump that arrives while it waits.
void BM_ManagerGet(benchmark::State& state)
{
    Setup& setup = Setup::Get();
    if (!setup.error.empty())
    {
        state.SkipWithError(setup.error.c_str());
        return;
    }
    const int checking = state.range(0) != 0 ? 1 : 0;
    if (checking)
        setup.manager->ResumeDeviceStatusChecker();
    else
        setup.manager->PauseDeviceStatusChecker();

    double seconds = 0;
    std::int64_t runs = 0;
    for (auto _ : state)
    {
        const auto start = Clock::now();
        const QKRESULT result = setup.manager->GetPresetFromMidiDevice(3);
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        if (result != QK_OK)
        {
            state.SkipWithError("the manager's get failed");
            break;
        }
        state.SetIterationTime(elapsed);
        seconds += elapsed;
        ++runs;
    }
    setup.manager->PauseDeviceStatusChecker();
    if (runs > 0)
        g_managerSeconds[checking] = seconds / static_cast<double>(runs);
}
BENCHMARK(BM_ManagerGet)->ArgName("checking")->Arg(1)->Arg(0)->UseManualTime()->Unit(benchmark::kMillisecond);

// The same 9 bytes out and 224 back through RtMidi alone; reports the manager's times over
// this one as ratios (after BM_ManagerGet has run).
void BM_RawRtMidiExchange(benchmark::State& state)
{
    Setup& setup = Setup::Get();
    if (!setup.error.empty())
    {
        state.SkipWithError(setup.error.c_str());
        return;
    }
    double seconds = 0;
    std::int64_t runs = 0;
    for (auto _ : state)
    {
        const auto start = Clock::now();
        const bool received = setup.raw.RoundTrip();
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        if (!received)
        {
            state.SkipWithError("the raw exchange got no dump");
            break;
        }
        state.SetIterationTime(elapsed);
        seconds += elapsed;
        ++runs;
    }
    if (runs == 0)
        return;
    const double raw = seconds / static_cast<double>(runs);
    if (g_managerSeconds[1] > 0)
        state.counters["ratio_checking"] = g_managerSeconds[1] / raw;
    if (g_managerSeconds[0] > 0)
        state.counters["ratio_paused"] = g_managerSeconds[0] / raw;
}
BENCHMARK(BM_RawRtMidiExchange)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
