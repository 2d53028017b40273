// ChildProcess: runs a program of the tests as a child process and waits for its end, with
// its standard error kept, so that a test can check what a whole process does (exit status,
// what it told the user). The wait is bounded: a child still running after the limit is
// asked to end (SIGTERM), killed a few seconds later, and reported as unfinished.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace QK::TestSupport
{

struct ChildProcessResult
{
    bool started = false;
    // False when the child had to be killed at the time limit.
    bool finished = false;
    // The exit status; -1 when the child ended by a signal.
    int exitStatus = -1;
    std::string errorOutput;
};

// arguments[0] is the program's path. The child gets this process's environment without the
// variables named in unset.
ChildProcessResult RunChildProcess(const std::vector<std::string>& arguments,
                                   const std::vector<std::string>& unset = {}, std::uint32_t timeoutMs = 30000);

// A child that runs while the test talks to it (its windows, its MIDI ports). One not waited
// for is killed when this goes.
class RunningChildProcess
{
public:
    RunningChildProcess() = default;
    RunningChildProcess(const RunningChildProcess&) = delete;
    RunningChildProcess& operator=(const RunningChildProcess&) = delete;
    ~RunningChildProcess();

    // As RunChildProcess starts its child; false when it could not be started.
    bool Start(const std::vector<std::string>& arguments, const std::vector<std::string>& unset = {});
    pid_t GetPid() const noexcept { return m_pid; }
    // Whether it has not ended yet (an ended child is reaped and its status kept).
    bool IsRunning();
    // Waits for its end, killing it after timeoutMs.
    ChildProcessResult Wait(std::uint32_t timeoutMs = 30000);

private:
    pid_t m_pid = 0;
    int m_errorFile = -1;
    bool m_ended = false;
    int m_status = 0;
};

} // namespace QK::TestSupport
