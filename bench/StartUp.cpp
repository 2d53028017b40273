// The editor's start-up against a bare window, each launched in turn into the same private
// set-up (Xvfb, a JACK server with the dummy driver, the simulated controller on it), as a
// person would meet it: from the launch to the window mapped, to the first complete frame on
// screen (read back from the X server until the picture stays), to the editor's MIDI ports
// connected to the controller; and the peak memory without JACK's shared segment. The
// editor also reports its own phases on its debug console ("Start-up phase: <name> <us>",
// steady-clock microseconds), shown when it does. Medians over the runs, and the ratios.
//
//   build/release/bench/bench_StartUp [--runs 5] [--dpi 96|160] [--pictures DIR]
//       [--editor PATH] [--bare PATH] [--simulator PATH]
#include "bench/Launch/BenchSession.h"

#include <algorithm>
#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

namespace
{

using namespace VediduBench;

struct Options
{
    int runs = 5;
    int dpi = 96;
    std::string pictures;
    std::string editor = VEDIDU_EDITOR_PATH;
    std::string bare = VEDIDU_BARE_WINDOW_PATH;
    std::string simulator = VEDIDU_SIMULATOR_PATH;
};

struct RunResult
{
    bool ok = false;
    double mappedMs = 0.0;
    double firstFrameMs = 0.0;
    double midiReadyMs = -1.0;
    double peakMiB = 0.0;
    std::map<std::string, double> phases;
};

// The phases the program wrote on its debug console, in milliseconds after the launch.
std::map<std::string, double> ReadPhases(const std::string& output, Clock::time_point launchedAt)
{
    std::map<std::string, double> phases;
    const double launchedUs =
        std::chrono::duration<double, std::micro>(launchedAt.time_since_epoch()).count();
    std::istringstream lines(output);
    const std::string marker = "Start-up phase: ";
    for (std::string line; std::getline(lines, line);)
    {
        const std::size_t at = line.find(marker);
        if (at == std::string::npos)
            continue;
        std::istringstream fields(line.substr(at + marker.size()));
        std::string name;
        double us = 0.0;
        if (fields >> name >> us)
            phases[name] = (us - launchedUs) / 1000.0;
    }
    return phases;
}

RunResult RunOnce(const BenchServers& servers, JackConnectionWatch& connections, const std::vector<std::string>& command,
                  bool expectMidi, const std::string& picture)
{
    RunResult result;
    WindowWatch watch;
    std::string error;
    if (!watch.Open(servers.Display(), error))
    {
        std::fprintf(stderr, "bench_StartUp: %s\n", error.c_str());
        return result;
    }
    LaunchedProgram program;
    if (!program.Start(command, servers.Environment(), error))
    {
        std::fprintf(stderr, "bench_StartUp: %s\n", error.c_str());
        return result;
    }
    const Clock::time_point launchedAt = program.StartedAt();

    // The MIDI connection is watched beside the window, every 2 ms.
    std::atomic<bool> watching{expectMidi};
    std::atomic<std::int64_t> midiReadyUs{-1};
    std::thread midiWatch([&] {
        while (watching)
        {
            if (connections.SimulatorConnected())
            {
                midiReadyUs = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - launchedAt).count();
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });

    Clock::time_point mappedAt;
    Clock::time_point frameAt;
    const Clock::time_point deadline = launchedAt + std::chrono::seconds(20);
    const bool shown = watch.WaitForWindow(program.Pid(), deadline, mappedAt) &&
                       watch.WaitForSettledFrame(std::chrono::milliseconds(1500), deadline, frameAt);
    for (int i = 0; expectMidi && shown && midiReadyUs < 0 && i < 2500; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    watching = false;
    midiWatch.join();
    if (!shown)
    {
        std::fprintf(stderr, "bench_StartUp: %s showed no settled window; its output:\n%s\n", command[0].c_str(),
                     program.ErrorOutput().c_str());
        return result;
    }
    ProcessCounters counters;
    ReadProcessCounters(program.Pid(), counters);
    if (!picture.empty())
        watch.SavePicture(picture);
    result.phases = ReadPhases(program.ErrorOutput(), launchedAt);
    program.Stop();

    result.ok = true;
    result.mappedMs = MillisecondsBetween(launchedAt, mappedAt);
    result.firstFrameMs = MillisecondsBetween(launchedAt, frameAt);
    if (midiReadyUs >= 0)
        result.midiReadyMs = static_cast<double>(midiReadyUs.load()) / 1000.0;
    result.peakMiB = static_cast<double>(counters.peakKiB - std::min(counters.peakKiB, counters.jackShmKiB)) / 1024.0;
    return result;
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    if (argc % 2 == 0)
        return false;
    for (int i = 1; i + 1 < argc; i += 2)
    {
        const std::string option = argv[i];
        const char* value = argv[i + 1];
        if (option == "--runs")
            options.runs = std::max(1, std::atoi(value));
        else if (option == "--dpi")
            options.dpi = std::atoi(value);
        else if (option == "--pictures")
            options.pictures = value;
        else if (option == "--editor")
            options.editor = value;
        else if (option == "--bare")
            options.bare = value;
        else if (option == "--simulator")
            options.simulator = value;
        else
            return false;
    }
    return true;
}

void PrintRow(const char* name, const std::vector<double>& bare, const std::vector<double>& editor, const char* unit)
{
    const double b = Median(bare);
    const double e = Median(editor);
    if (bare.empty())
        std::printf("%-28s %12s %12.1f %8s\n", name, "-", e, unit);
    else
        std::printf("%-28s %12.1f %12.1f %8s   %5.2fx\n", name, b, e, unit, b > 0 ? e / b : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options) || (options.dpi != 96 && options.dpi != 160))
    {
        std::fputs("usage: bench_StartUp [--runs N] [--dpi 96|160] [--pictures DIR] [--editor PATH] [--bare PATH]"
                   " [--simulator PATH]\n",
                   stderr);
        return 2;
    }
    BenchServers servers;
    std::string error;
    if (!servers.Start("2560x1600x24", options.simulator, error))
    {
        std::fprintf(stderr, "bench_StartUp: %s\n", error.c_str());
        return 1;
    }
    JackConnectionWatch connections;
    if (!connections.Open(servers.JackServer(), error))
    {
        std::fprintf(stderr, "bench_StartUp: %s\n", error.c_str());
        return 1;
    }

    // The bare window has the editor's size at the same resolution.
    const std::string size = options.dpi == 160 ? "2480x1560" : "1240x780";
    const std::vector<std::string> bareCommand = {options.bare, "--size", size};
    const std::vector<std::string> editorCommand = {options.editor, "-DEBUG_CONSOLE"};
    setenv("VEDIDU_DPI", std::to_string(options.dpi).c_str(), 1);

    std::vector<RunResult> bare;
    std::vector<RunResult> editor;
    for (int run = 0; run < options.runs; ++run)
    {
        const bool last = run + 1 == options.runs;
        const std::string dpi = std::to_string(options.dpi);
        RunResult b = RunOnce(servers, connections, bareCommand, false,
                              last && !options.pictures.empty() ? options.pictures + "/startup-bare-" + dpi + "dpi.png" : "");
        RunResult e = RunOnce(servers, connections, editorCommand, true,
                              last && !options.pictures.empty() ? options.pictures + "/startup-editor-" + dpi + "dpi.png" : "");
        if (!b.ok || !e.ok)
            return 1;
        bare.push_back(b);
        editor.push_back(e);
        std::fprintf(stderr, "run %d: bare frame %.1f ms, editor frame %.1f ms, MIDI %.1f ms\n", run + 1,
                     b.firstFrameMs, e.firstFrameMs, e.midiReadyMs);
    }

    auto column = [](const std::vector<RunResult>& runs, double RunResult::*field) {
        std::vector<double> values;
        for (const RunResult& r : runs)
            if (r.*field >= 0)
                values.push_back(r.*field);
        return values;
    };
    std::printf("Start-up at %d dpi, median of %d runs (launch = 0)\n", options.dpi, options.runs);
    std::printf("%-28s %12s %12s %8s   %s\n", "", "bare window", "editor", "", "ratio");
    std::map<std::string, std::vector<double>> phases;
    for (const RunResult& r : editor)
        for (const auto& [name, ms] : r.phases)
            phases[name].push_back(ms);
    std::vector<std::pair<double, std::string>> ordered;
    for (const auto& [name, values] : phases)
        ordered.emplace_back(Median(values), name);
    std::sort(ordered.begin(), ordered.end());
    for (const auto& [median, name] : ordered)
        PrintRow(("  phase " + name).c_str(), {}, phases[name], "ms");
    PrintRow("window mapped", column(bare, &RunResult::mappedMs), column(editor, &RunResult::mappedMs), "ms");
    PrintRow("first complete frame", column(bare, &RunResult::firstFrameMs), column(editor, &RunResult::firstFrameMs),
             "ms");
    PrintRow("MIDI ready", {}, column(editor, &RunResult::midiReadyMs), "ms");
    PrintRow("peak memory (no JACK shm)", column(bare, &RunResult::peakMiB), column(editor, &RunResult::peakMiB), "MiB");
    return 0;
}
