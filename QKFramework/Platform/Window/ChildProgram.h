// Runs a helper program (a dialog) as a child with its standard output read back, never
// through a shell: the arguments go to the program as they are.
//
// While the child runs, the caller's pump is called about every 33 ms, so the UI thread
// keeps its windows painted. The child is always waited for: when the pump throws, the child
// is ended (SIGTERM, then SIGKILL should it not end within a second) and reaped before the
// exception goes on. Once a signal has asked the program to end (SessionEnd.h), no child is
// started and a running one is ended the same way: the wait returns abandoned.
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
    // The program is ending: the child was ended before it finished.
    bool abandoned = false;
    std::string output;
};

// arguments[0] is the program, looked up on PATH.
ChildProgramResult RunChildProgram(const std::vector<std::string>& arguments, const std::function<void()>& pump);

} // namespace QK
