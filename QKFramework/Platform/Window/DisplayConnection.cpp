#include "QKFramework/Platform/Window/DisplayConnection.h"

#include <X11/Xlib.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <utility>

namespace QK
{

namespace
{

// Reached through a pointer that is never freed: the X handler may run while static
// objects are being destroyed.
std::function<void()>& Handler()
{
    static auto* handler = new std::function<void()>();
    return *handler;
}

std::atomic<bool> g_lost{false};

int OnDisplayConnectionLost(Display*)
{
    // A second loss (the handler's own work found another connection gone) ends it here.
    if (g_lost.exchange(true))
        _exit(1);
    const std::function<void()> handler = Handler();
    if (handler)
    {
        try
        {
            handler();
        }
        catch (...)
        {
        }
    }
    else
    {
        std::fputs("the display connection was lost\n", stderr);
    }
    std::fflush(stderr);
    _exit(1);
}

const char* XcbConnectionError(int code)
{
    switch (code)
    {
    case XCB_CONN_CLOSED_PARSE_ERR:
        return "the display's name does not parse";
    case XCB_CONN_CLOSED_INVALID_SCREEN:
        return "the X server has no such screen";
    case XCB_CONN_CLOSED_MEM_INSUFFICIENT:
        return "out of memory";
    default:
        return "the X server refused the connection or does not answer";
    }
}

} // namespace

DisplayLossExit::DisplayLossExit(std::function<void()> handler)
    : m_previous(std::exchange(Handler(), std::move(handler)))
{
}

DisplayLossExit::~DisplayLossExit()
{
    Handler() = std::move(m_previous);
}

void WatchDisplayConnection()
{
    XSetIOErrorHandler(&OnDisplayConnectionLost);
}

std::string DescribeDisplayFailure(const std::string& libraryReason)
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!x11 || !*x11) && (!wayland || !*wayland))
        return "no display to open: DISPLAY is not set";
    if (!x11 || !*x11)
        return std::string("the Wayland display \"") + wayland + "\" could not be opened" +
               (libraryReason.empty() ? std::string() : ": " + libraryReason);

    std::string line = std::string("the display \"") + x11 + "\" could not be opened";
    // What connecting says, on a connection of this function's own that it closes at once.
    errno = 0;
    xcb_connection_t* connection = xcb_connect(x11, nullptr);
    const int savedErrno = errno;
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    if (error != 0)
    {
        line += std::string(": ") + XcbConnectionError(error);
        if (error == XCB_CONN_ERROR && savedErrno != 0)
            line += std::string(" (") + std::strerror(savedErrno) + ")";
    }
    if (!libraryReason.empty())
        line += "; " + libraryReason;
    return line;
}

} // namespace QK
