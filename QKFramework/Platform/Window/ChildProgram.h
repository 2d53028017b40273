// Runs a helper program (a dialog) as a child with its standard output read back, never
// through a shell: the arguments go to the program as they are.
//
// While the child runs, the caller's pump is called about every 33 ms, so the UI thread
// keeps its windows painted. The child is always waited for: when the pump throws, the child
// is ended (SIGTERM) and reaped before the exception goes on.
//
// UI thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace QK
{

struct ChildProgramResult
{
    // False when the program could not be started (not found, not executable).
    bool started = false;
    // The exit status; -1 when the child ended by a signal.
    int exitCode = -1;
    std::string output;
};

// arguments[0] is the program, looked up on PATH.
ChildProgramResult RunChildProgram(const std::vector<std::string>& arguments, const std::function<void()>& pump);

} // namespace QK
