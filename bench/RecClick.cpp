// A REC of favorite 3 as a person makes it: in the whole editor (its own skins, windows, MIDI
// manager and presence checker), from the click on fav3's REC button to the result box,
// beside the raw exchange of the same request and 224-byte dump through RtMidi on the same
// MIDI system (ratio: click to box over the raw exchange; the aim is at most 2).
//
// Needs an X server and a MIDI system with room for the simulator, e.g. by hand:
//   Xvfb :5 & jackd --no-realtime -d dummy -r 48000 -p 1024 &
//   DISPLAY=:5 VEDIDU_MIDI_API=jack build/release/bench/bench_RecClick
#include "Panel/Main/Application.h"
#include "tests/support/Editor/EditorDriver.h"
#include "tests/support/Midi/SimulatorProcess.h"
#include "tests/support/WaitUntil.h"

#include "bench/RawMidiExchange.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace
{

using namespace QK;
using namespace QK::TestSupport;
using Clock = std::chrono::steady_clock;

SimulatorProcess& Simulator(std::string& error)
{
    static SimulatorProcess simulator;
    static std::string startError = simulator.Start({"--log", "/dev/null"})
                                        ? std::string()
                                        : "cannot start " + SimulatorProcess::ExecutablePath();
    error = startError;
    return simulator;
}

// Mean seconds from the click to the box; filled by BM_RecClickToBox.
double g_clickSeconds = 0;

void BM_RecClickToBox(benchmark::State& state)
{
    std::string error;
    Simulator(error);
    if (error.empty() && !std::getenv("DISPLAY"))
        error = "needs an X server";
    if (!error.empty())
    {
        state.SkipWithError(error.c_str());
        return;
    }
    double seconds = 0;
    std::int64_t runs = 0;
    EditorDriver driver;
    driver.Run([&](EditorDriver& d) {
        // MIDI reaches the controller in the idle passes after the window shows.
        const RCPtr<LMidiManager> manager = d.Application().GetMidiManager();
        if (!manager || !d.WaitUntil([&] { return manager->AreMidiPortsOpen(); }) || !d.Settle())
        {
            state.SkipWithError("the editor did not reach the simulator");
            return;
        }
        for (auto _ : state)
        {
            d.ClearBoxes();
            const auto start = Clock::now();
            if (!d.Click("fav3/recButton") || !d.WaitUntil([&] { return !d.Boxes().empty(); }, 2000))
            {
                state.SkipWithError("no box after REC");
                break;
            }
            const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
            state.SetIterationTime(elapsed);
            seconds += elapsed;
            ++runs;
            d.Settle();
        }
    });
    if (runs > 0)
        g_clickSeconds = seconds / static_cast<double>(runs);
}
BENCHMARK(BM_RecClickToBox)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

// After the editor has ended: the same exchange with nothing of ours in between.
void BM_RawRtMidiExchange(benchmark::State& state)
{
    std::string error;
    Simulator(error);
    VediduBench::RawExchange raw;
    if (error.empty())
        raw.Open(error);
    if (!error.empty())
    {
        state.SkipWithError(error.c_str());
        return;
    }
    double seconds = 0;
    std::int64_t runs = 0;
    for (auto _ : state)
    {
        const auto start = Clock::now();
        if (!raw.RoundTrip())
        {
            state.SkipWithError("the raw exchange got no dump");
            break;
        }
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(elapsed);
        seconds += elapsed;
        ++runs;
    }
    if (runs > 0 && g_clickSeconds > 0)
        state.counters["ratio_click_to_box"] = g_clickSeconds / (seconds / static_cast<double>(runs));
}
BENCHMARK(BM_RawRtMidiExchange)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
