// What the start-up and idle benchmarks share: a private set-up of the kind scripts/test.sh
// makes (an Xvfb, a JACK server with the dummy driver, the simulated controller on it), the
// launch of a program into it with a home folder of its own, and what can be read of that
// program from outside: its window and what the window shows, its CPU time, wake-ups and
// memory, and the JACK clients alive.
//
// Everything here runs on the benchmark's one thread; no call is made from a callback.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace VediduBench
{

using Clock = std::chrono::steady_clock;

double MillisecondsBetween(Clock::time_point from, Clock::time_point to);

// The private servers; stopped (and the simulator with them) when this goes.
class BenchServers
{
public:
    BenchServers() = default;
    BenchServers(const BenchServers&) = delete;
    BenchServers& operator=(const BenchServers&) = delete;
    ~BenchServers();

    // screen as Xvfb takes it ("2560x1600x24"); an empty simulator path starts none.
    bool Start(const std::string& screen, const std::string& simulatorPath, std::string& error);

    const std::string& Display() const noexcept { return m_display; }
    const std::string& JackServer() const noexcept { return m_jackServer; }
    // The environment a launched program gets on top of this process's own.
    std::map<std::string, std::string> Environment() const;
    // The JACK clients alive on the private server other than the server's own, the
    // simulator's and those named in ignore (their semaphores tell: every client has one).
    int CountJackClients(const std::vector<std::string>& ignore = {}) const;

private:
    pid_t m_xvfb = 0;
    pid_t m_jackd = 0;
    pid_t m_simulator = 0;
    std::string m_display;
    std::string m_jackServer;
    std::string m_folder;
};

// A launched program with a home (and settings) folder of its own; killed when this goes.
class LaunchedProgram
{
public:
    LaunchedProgram() = default;
    LaunchedProgram(const LaunchedProgram&) = delete;
    LaunchedProgram& operator=(const LaunchedProgram&) = delete;
    ~LaunchedProgram();

    bool Start(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& environment,
               std::string& error);
    pid_t Pid() const noexcept { return m_pid; }
    Clock::time_point StartedAt() const noexcept { return m_startedAt; }
    // What the program wrote on standard error so far.
    std::string ErrorOutput();
    // SIGTERM, then SIGKILL after a second; answers whether it ended by itself.
    bool Stop();

private:
    pid_t m_pid = 0;
    Clock::time_point m_startedAt;
    std::string m_home;
    int m_errorPipe = -1;
    std::string m_errorText;
};

struct ProcessCounters
{
    // User + system time of the threads alive now, from the scheduler's nanosecond counts
    // (the clock-tick counts move in 10 ms steps, too coarse for a program at rest); where
    // the kernel keeps none, the tick counts of every thread, ended ones included.
    double cpuSeconds = 0.0;
    // The same for the main thread alone (the editor's UI thread); 0 where the kernel keeps
    // no nanosecond counts.
    double mainThreadCpuSeconds = 0.0;
    std::uint64_t wakeUps = 0;      // voluntary + involuntary context switches, every thread
    std::uint64_t peakKiB = 0;      // VmHWM
    std::uint64_t jackShmKiB = 0;   // resident pages of JACK's shared segments (/dev/shm/jack*)
    int threads = 0;
};
bool ReadProcessCounters(pid_t pid, ProcessCounters& counters);

// An X connection that watches for a program's window and for what it shows.
class WindowWatch
{
public:
    WindowWatch();
    ~WindowWatch();
    WindowWatch(const WindowWatch&) = delete;
    WindowWatch& operator=(const WindowWatch&) = delete;

    bool Open(const std::string& display, std::string& error);
    // Waits for the first top-level window of pid to be mapped; false at the deadline.
    bool WaitForWindow(pid_t pid, Clock::time_point deadline, Clock::time_point& mappedAt);
    // Reads the window's picture over and over until it has stayed the same (fewer than
    // one pixel in a thousand changed: a blinking caret is not a new frame) for settle, and
    // answers when that picture was first seen: the first complete frame.
    bool WaitForSettledFrame(Clock::duration settle, Clock::time_point deadline, Clock::time_point& firstSeenAt);
    // The window's picture as a PNG file.
    bool SavePicture(const std::string& path);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// A JACK client of the benchmark's own that tells when both of the simulator's ports are
// connected to someone: the launched program's MIDI is then ready.
class JackConnectionWatch
{
public:
    static constexpr const char* kClientName = "VediduBenchWatch";
    JackConnectionWatch() = default;
    ~JackConnectionWatch();
    JackConnectionWatch(const JackConnectionWatch&) = delete;
    JackConnectionWatch& operator=(const JackConnectionWatch&) = delete;

    bool Open(const std::string& server, std::string& error);
    bool SimulatorConnected() const;

private:
    void* m_client = nullptr;
};

// Median of the values; 0 for none.
double Median(std::vector<double> values);

} // namespace VediduBench
