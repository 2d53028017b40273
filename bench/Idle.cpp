// The editor at rest against a bare window, each launched in turn into the same private
// set-up (Xvfb, a JACK server with the dummy driver, the simulated controller on it): once
// the window has shown its first complete frame and a few seconds have passed, the CPU time
// it takes over the measured span (in all, and split into the main thread's and the other
// threads'), its wake-ups a second (context switches of every thread), its threads and the
// JACK clients it keeps alive. Medians over the runs.
//
//   build/release/bench/bench_Idle [--runs 3] [--seconds 20] [--dpi 96|160]
//       [--editor PATH] [--bare PATH] [--simulator PATH]
#include "bench/Launch/BenchSession.h"

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace
{

using namespace VediduBench;

struct Options
{
    int runs = 3;
    int seconds = 20;
    int dpi = 96;
    std::string editor = VEDIDU_EDITOR_PATH;
    std::string bare = VEDIDU_BARE_WINDOW_PATH;
    std::string simulator = VEDIDU_SIMULATOR_PATH;
};

struct IdleResult
{
    bool ok = false;
    double cpuPercent = 0.0;
    double mainThreadCpuPercent = 0.0;
    double wakeUpsPerSecond = 0.0;
    double threads = 0.0;
    double jackClients = 0.0;
};

IdleResult MeasureOnce(const BenchServers& servers, const std::vector<std::string>& command, int seconds)
{
    IdleResult result;
    WindowWatch watch;
    LaunchedProgram program;
    std::string error;
    if (!watch.Open(servers.Display(), error) || !program.Start(command, servers.Environment(), error))
    {
        std::fprintf(stderr, "bench_Idle: %s\n", error.c_str());
        return result;
    }
    Clock::time_point mappedAt;
    Clock::time_point frameAt;
    const Clock::time_point deadline = program.StartedAt() + std::chrono::seconds(20);
    if (!watch.WaitForWindow(program.Pid(), deadline, mappedAt) ||
        !watch.WaitForSettledFrame(std::chrono::milliseconds(500), deadline, frameAt))
    {
        std::fprintf(stderr, "bench_Idle: %s showed no settled window; its output:\n%s\n", command[0].c_str(),
                     program.ErrorOutput().c_str());
        return result;
    }
    // Start-up work that runs on after the first frame (MIDI, the presence checker's first
    // passes) is not idling.
    std::this_thread::sleep_for(std::chrono::seconds(3));

    ProcessCounters before;
    ProcessCounters after;
    const Clock::time_point from = Clock::now();
    ReadProcessCounters(program.Pid(), before);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    ReadProcessCounters(program.Pid(), after);
    const double span = MillisecondsBetween(from, Clock::now()) / 1000.0;
    result.cpuPercent = 100.0 * (after.cpuSeconds - before.cpuSeconds) / span;
    result.mainThreadCpuPercent = 100.0 * (after.mainThreadCpuSeconds - before.mainThreadCpuSeconds) / span;
    result.wakeUpsPerSecond = static_cast<double>(after.wakeUps - before.wakeUps) / span;
    result.threads = after.threads;
    result.jackClients = servers.CountJackClients();
    program.Stop();
    result.ok = true;
    return result;
}

void PrintRow(const char* name, const std::vector<double>& bare, const std::vector<double>& editor, const char* format)
{
    const double b = Median(bare);
    const double e = Median(editor);
    std::printf("%-24s ", name);
    std::printf(format, b);
    std::printf(" ");
    std::printf(format, e);
    if (b > 0)
        std::printf("   %6.2fx", e / b);
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    bool valid = argc % 2 == 1;
    for (int i = 1; valid && i + 1 < argc; i += 2)
    {
        const std::string option = argv[i];
        const char* value = argv[i + 1];
        if (option == "--runs")
            options.runs = std::atoi(value);
        else if (option == "--seconds")
            options.seconds = std::atoi(value);
        else if (option == "--dpi")
            options.dpi = std::atoi(value);
        else if (option == "--editor")
            options.editor = value;
        else if (option == "--bare")
            options.bare = value;
        else if (option == "--simulator")
            options.simulator = value;
        else
            valid = false;
    }
    if (!valid || options.runs < 1 || options.seconds < 1 || (options.dpi != 96 && options.dpi != 160))
    {
        std::fputs("usage: bench_Idle [--runs N] [--seconds S] [--dpi 96|160] [--editor PATH] [--bare PATH]"
                   " [--simulator PATH]\n",
                   stderr);
        return 2;
    }
    BenchServers servers;
    std::string error;
    if (!servers.Start("2560x1600x24", options.simulator, error))
    {
        std::fprintf(stderr, "bench_Idle: %s\n", error.c_str());
        return 1;
    }
    setenv("VEDIDU_DPI", std::to_string(options.dpi).c_str(), 1);
    const std::string size = options.dpi == 160 ? "2480x1560" : "1240x780";

    std::vector<double> bareCpu, bareMainCpu, bareOtherCpu, bareWakeUps, bareThreads, bareClients;
    std::vector<double> editorCpu, editorMainCpu, editorOtherCpu, editorWakeUps, editorThreads, editorClients;
    for (int run = 0; run < options.runs; ++run)
    {
        const IdleResult b = MeasureOnce(servers, {options.bare, "--size", size}, options.seconds);
        const IdleResult e = MeasureOnce(servers, {options.editor}, options.seconds);
        if (!b.ok || !e.ok)
            return 1;
        bareCpu.push_back(b.cpuPercent);
        bareMainCpu.push_back(b.mainThreadCpuPercent);
        bareOtherCpu.push_back(b.cpuPercent - b.mainThreadCpuPercent);
        bareWakeUps.push_back(b.wakeUpsPerSecond);
        bareThreads.push_back(b.threads);
        bareClients.push_back(b.jackClients);
        editorCpu.push_back(e.cpuPercent);
        editorMainCpu.push_back(e.mainThreadCpuPercent);
        editorOtherCpu.push_back(e.cpuPercent - e.mainThreadCpuPercent);
        editorWakeUps.push_back(e.wakeUpsPerSecond);
        editorThreads.push_back(e.threads);
        editorClients.push_back(e.jackClients);
        std::fprintf(stderr, "run %d: bare %.3f%% CPU, editor %.3f%% CPU\n", run + 1, b.cpuPercent, e.cpuPercent);
    }
    std::printf("Idle at %d dpi over %d s, median of %d runs\n", options.dpi, options.seconds, options.runs);
    std::printf("%-24s %10s %10s   %s\n", "", "bare", "editor", "ratio");
    PrintRow("CPU (% of one core)", bareCpu, editorCpu, "%10.3f");
    PrintRow("  main thread", bareMainCpu, editorMainCpu, "%10.3f");
    PrintRow("  other threads", bareOtherCpu, editorOtherCpu, "%10.3f");
    PrintRow("wake-ups a second", bareWakeUps, editorWakeUps, "%10.1f");
    PrintRow("threads", bareThreads, editorThreads, "%10.0f");
    PrintRow("JACK clients alive", bareClients, editorClients, "%10.0f");
    return 0;
}
