// ChildProcess: runs a program of the tests as a child process and waits for its end, with
// its standard error kept, so that a test can check what a whole process does (exit status,
// what it told the user). The wait is bounded: a child still running after the limit is
// killed and reported as unfinished.
#pragma once

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

} // namespace QK::TestSupport
