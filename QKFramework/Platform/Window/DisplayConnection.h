// DisplayConnection: what happens when the display goes away under the program (a logout, an
// X server that crashed or restarted, an ssh connection with X forwarding that closed).
//
// Xlib finds the connection gone inside whatever call the UI thread was making and would end
// the process with exit(1), running every static destructor and atexit handler beneath a
// program still in the middle of its work. Instead, the handler that DisplayLossExit sets
// runs on that thread, and then the process ends at once with status 1 (_exit): no
// destructor, no atexit handler, nothing that needs the display runs after it.
//
// The handler must not touch the display: it writes what the program holds and says why the
// program ends. It runs once; a second loss found while it runs ends the process directly.
//
// Which display could not be opened at start-up, and why, is told by DescribeDisplayFailure.
#pragma once

#include <functional>
#include <string>

namespace QK
{

class DisplayLossExit
{
public:
    // Sets handler for as long as this object lives (the one before comes back after).
    explicit DisplayLossExit(std::function<void()> handler);
    ~DisplayLossExit();
    DisplayLossExit(const DisplayLossExit&) = delete;
    DisplayLossExit& operator=(const DisplayLossExit&) = delete;

private:
    std::function<void()> m_previous;
};

// Installs the X I/O error handler for the process's Xlib connections; called once the
// window system's video runs on X. Idempotent.
void WatchDisplayConnection();

// Why the display named by DISPLAY (or WAYLAND_DISPLAY) cannot be used, as one line without
// the program's name: which display, and the reason the window system gave (libraryReason,
// may be empty) or, for an X display, what connecting to it answers.
std::string DescribeDisplayFailure(const std::string& libraryReason);

} // namespace QK
