// What the window tests see of a program's windows through a connection of their own to the
// X server: windows found by the process that made them or by their titles, looked at (their
// pixels, titles, icons, owners), clicked and typed into as the X server itself would, and
// closed as a window manager closes them.
//
// Header only, for the suites that run programs under the test script's Xvfb. Include it after
// every other header: the X headers define names (None, DestroyAll) that others use.
#pragma once

#include "QKFramework/Utilities/Geometry/Rect.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace QK::TestSupport
{

struct DisplayCloser
{
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

// A connection of the test's own. A program's windows and its boxes come and go while the
// test looks at them: a window gone between two requests is no error of the test's (Xlib
// would end the whole test process, leaving the program behind).
inline DisplayHandle OpenTestDisplay()
{
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    return DisplayHandle(XOpenDisplay(nullptr));
}

// The first viewable window below parent, depth first, for which matches(window) holds.
template <class Matches> Window FindViewableWindow(Display* display, Window parent, const Matches& matches)
{
    Window root = 0, up = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i)
    {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable)
            continue;
        if (matches(children[i]))
            found = children[i];
        else
            found = FindViewableWindow(display, children[i], matches);
    }
    if (children)
        XFree(children);
    return found;
}

// The viewable window below parent that the process pid made (SDL names its windows' pid).
inline Window FindProcessWindow(Display* display, Window parent, pid_t pid)
{
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", True);
    return FindViewableWindow(display, parent,
                              [&](Window window)
                              {
                                  Atom type = 0;
                                  int format = 0;
                                  unsigned long items = 0, after = 0;
                                  unsigned char* data = nullptr;
                                  if (!pidAtom ||
                                      XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type,
                                                         &format, &items, &after, &data) != Success ||
                                      !data)
                                      return false;
                                  const bool made = format == 32 && items == 1 &&
                                                    static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid;
                                  XFree(data);
                                  return made;
                              });
}

// What the window shows, as 0xAARRGGBB pixels.
inline std::vector<std::uint32_t> CaptureWindow(Display* display, Window window, std::int32_t& width,
                                         std::int32_t& height)
{
    std::vector<std::uint32_t> pixels;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return pixels;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image)
        return pixels;
    width = attributes.width;
    height = attributes.height;
    pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            pixels.push_back(0xFF000000u | static_cast<std::uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF));
    XDestroyImage(image);
    return pixels;
}

inline std::size_t CountColours(const std::vector<std::uint32_t>& pixels)
{
    std::set<std::uint32_t> colours;
    for (std::size_t i = 0; i < pixels.size() && colours.size() < 1000; i += 7)
        colours.insert(pixels[i]);
    return colours.size();
}

// The window manager's close: WM_DELETE_WINDOW to the window.
inline void RequestClose(Display* display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

// The viewable window below parent whose title is title (a message box, a dialog).
inline Window FindTitledWindow(Display* display, Window parent, const std::string& title)
{
    return FindViewableWindow(display, parent,
                              [&](Window window)
                              {
                                  XTextProperty name{};
                                  if (!XGetWMName(display, window, &name) || !name.value)
                                      return false;
                                  const bool titled =
                                      std::string(reinterpret_cast<const char*>(name.value), name.nitems) == title;
                                  XFree(name.value);
                                  return titled;
                              });
}

// The pointer moved by the X server to point of window's client area; false when the server
// has no XTest.
inline bool PointInWindow(Display* display, Window window, PointL point)
{
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor))
        return false;
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), point.x, point.y, &x, &y, &child);
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    return true;
}

// A click made by the X server at a point of window's client area.
inline bool ClickInWindow(Display* display, Window window, PointL point)
{
    if (!PointInWindow(display, window, point))
        return false;
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XSync(display, False);
    return true;
}

// The window that window asks to stay in front of (WM_TRANSIENT_FOR); 0 for none.
inline Window TransientFor(Display* display, Window window)
{
    Window owner = 0;
    return XGetTransientForHint(display, window, &owner) ? owner : 0;
}

// A key chord pressed and released by the X server ("Ctrl+O" as keysyms: modifiers, then the
// key), in whichever window has the keyboard focus; the pointer is first put on point of
// window, which takes the focus on a server without a window manager.
inline bool PressKeysInWindow(Display* display, Window window, PointL point, const std::vector<KeySym>& chord)
{
    if (!PointInWindow(display, window, point))
        return false;
    for (const KeySym key : chord)
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), True, CurrentTime);
    for (auto key = chord.rbegin(); key != chord.rend(); ++key)
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, *key), False, CurrentTime);
    XSync(display, False);
    return true;
}

// The icon window offers the window manager (_NET_WM_ICON): its first image as 0xAARRGGBB
// pixels; empty when it has none.
inline std::vector<std::uint32_t> ReadWindowIcon(Display* display, Window window, std::uint32_t& width,
                                                 std::uint32_t& height)
{
    std::vector<std::uint32_t> pixels;
    width = height = 0;
    const Atom icon = XInternAtom(display, "_NET_WM_ICON", True);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (!icon || XGetWindowProperty(display, window, icon, 0, 1 << 20, False, XA_CARDINAL, &type, &format, &items,
                                    &after, &data) != Success || !data)
        return pixels;
    // Format 32 comes as longs, one value each.
    const auto* values = reinterpret_cast<const unsigned long*>(data);
    if (format == 32 && items >= 2 && items - 2 >= values[0] * values[1])
    {
        width = static_cast<std::uint32_t>(values[0]);
        height = static_cast<std::uint32_t>(values[1]);
        for (unsigned long i = 0; i < values[0] * values[1]; ++i)
            pixels.push_back(static_cast<std::uint32_t>(values[2 + i]));
    }
    XFree(data);
    return pixels;
}

// The window's title as window managers read it (_NET_WM_NAME, else WM_NAME).
inline std::string ReadWindowTitle(Display* display, Window window)
{
    std::string title;
    const Atom name = XInternAtom(display, "_NET_WM_NAME", True);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", True);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (name && utf8 &&
        XGetWindowProperty(display, window, name, 0, 1024, False, utf8, &type, &format, &items, &after, &data) ==
            Success &&
        data)
    {
        title.assign(reinterpret_cast<const char*>(data), items);
        XFree(data);
        return title;
    }
    XTextProperty text{};
    if (XGetWMName(display, window, &text) && text.value)
    {
        title.assign(reinterpret_cast<const char*>(text.value), text.nitems);
        XFree(text.value);
    }
    return title;
}

// The viewable window below parent whose class (WM_CLASS) is name.
inline Window FindClassedWindow(Display* display, Window parent, const std::string& name)
{
    return FindViewableWindow(display, parent,
                              [&](Window window)
                              {
                                  XClassHint hint{};
                                  if (!XGetClassHint(display, window, &hint))
                                      return false;
                                  const bool classed = hint.res_class && name == hint.res_class;
                                  XFree(hint.res_name);
                                  XFree(hint.res_class);
                                  return classed;
                              });
}

} // namespace QK::TestSupport
