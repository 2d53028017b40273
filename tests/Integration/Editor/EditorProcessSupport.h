// The editor as a process of its own, seen from the test through a connection of the test's
// own to the X server: its windows found by its pid or by their titles, looked at, clicked
// and closed as the X server and a window manager would; the simulated controller started on
// the test script's JACK server; the folders the process writes to.
//
// Header only, for the editor integration suite.
#pragma once

#include "QKFramework/Midi/MidiBackend.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/Editor/EditorTree.h"
#include "tests/support/Midi/SimulatedController.h"
#include "tests/support/Midi/SimulatorProcess.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace QK::TestSupport
{

// A loaded machine with sanitizers and a JACK server in synchronous mode can take long to
// start the program; the limit only ends a run that would otherwise hang.
inline constexpr std::uint32_t kStartLimitMs = 150000;

inline bool HasDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

inline bool SimulatorPortsListed()
{
    return CountListedDevices(*GetMidiBackend(), MidiDirection::Input, SimulatorProcess::kPortName) == 1 &&
           CountListedDevices(*GetMidiBackend(), MidiDirection::Output, SimulatorProcess::kPortName) == 1;
}

// The folders a process of the editor writes to: settings, the single-instance socket.
class ProcessHome
{
public:
    ProcessHome()
        : m_home("HOME", m_folder.Path().c_str()), m_data("XDG_DATA_HOME", nullptr),
          m_config("XDG_CONFIG_HOME", nullptr), m_runtime("XDG_RUNTIME_DIR", m_runtimeFolder.Path().c_str())
    {
    }

    // The user settings the process keeps ("UserSettings.ini"); empty while there are none.
    std::string ReadUserSettings() const
    {
        return m_folder.ReadFile(".config/Dozavod Professional/Vedidu Editor/UserSettings.ini");
    }
    const TempFolder& Folder() const noexcept { return m_folder; }

private:
    TempFolder m_folder;
    TempFolder m_runtimeFolder;
    ScopedEnvironment m_home;
    ScopedEnvironment m_data;
    ScopedEnvironment m_config;
    ScopedEnvironment m_runtime;
};

struct DisplayCloser
{
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

// A connection of the test's own. The editor's windows and its boxes come and go while the
// test looks at them: a window gone between two requests is no error of the test's (Xlib
// would end the whole test process, leaving the editor behind).
inline DisplayHandle OpenTestDisplay()
{
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    return DisplayHandle(XOpenDisplay(nullptr));
}

// The viewable window below parent that the process pid made (SDL names its windows' pid).
inline Window FindProcessWindow(Display* display, Window parent, pid_t pid)
{
    Window root = 0, up = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count))
        return 0;
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", True);
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i)
    {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable)
            continue;
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (pidAtom &&
            XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                               &items, &after, &data) == Success &&
            data)
        {
            if (format == 32 && items == 1 &&
                static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid)
                found = children[i];
            XFree(data);
        }
        if (!found)
            found = FindProcessWindow(display, children[i], pid);
    }
    if (children)
        XFree(children);
    return found;
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

// The window below parent whose title is title (a message box of the editor).
inline Window FindTitledWindow(Display* display, Window parent, const std::string& title)
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
        XTextProperty name{};
        if (XGetWMName(display, children[i], &name) && name.value)
        {
            if (std::string(reinterpret_cast<const char*>(name.value), name.nitems) == title)
                found = children[i];
            XFree(name.value);
        }
        if (!found)
            found = FindTitledWindow(display, children[i], title);
    }
    if (children)
        XFree(children);
    return found;
}

// Where the shipped standard skin puts a control of the device view ("fav3/recButton"): the
// centre of its rectangle in the main window's client area.
inline PointL ControlCentre(const std::string& path)
{
    EditorTree tree;
    if (Failed(tree.started) || Failed(tree.Build()))
        return {-1, -1};
    const RCPtr<LControl> control = tree.Find("favoriteBankPanel/" + path);
    if (!control)
        return {-1, -1};
    RectL rect;
    control->GetWindowRect(rect);
    return {rect.x + rect.width / 2, rect.y + rect.height / 2};
}

// A click made by the X server at a point of window's client area.
inline bool ClickInWindow(Display* display, Window window, PointL point)
{
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor))
        return false;
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), point.x, point.y, &x, &y, &child);
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XSync(display, False);
    return true;
}

inline bool NoSanitizerReport(const std::string& errorOutput)
{
    return errorOutput.find("Sanitizer") == std::string::npos &&
           errorOutput.find("runtime error") == std::string::npos;
}

// Starts the simulated controller (option: one of its reply modes, or null) and waits for its
// ports on the MIDI system this process uses.
inline ::testing::AssertionResult StartSimulator(SimulatorProcess& simulator, const char* option)
{
    SetMidiBackend(nullptr);
    std::vector<std::string> options;
    if (option)
        options.push_back(option);
    if (!simulator.Start(options))
        return ::testing::AssertionFailure() << "cannot start " << SimulatorProcess::ExecutablePath();
    if (!WaitUntil(SimulatorPortsListed))
        return ::testing::AssertionFailure()
               << "the simulator's ports did not appear; is a JACK server running "
                  "(scripts/test.sh starts one)?";
    return ::testing::AssertionSuccess();
}

// The editor as a process with its window, seen through a connection of this process's own.
struct EditorWindow
{
    // Starts the editor and waits until its window is up and painted; pixels holds what it
    // shows.
    ::testing::AssertionResult Show()
    {
        if (!display)
            return ::testing::AssertionFailure() << "no X server connection";
        if (!process.Start({VEDIDU_EDITOR_PROGRAM}))
            return ::testing::AssertionFailure() << "cannot start " << VEDIDU_EDITOR_PROGRAM;
        WaitUntil(
            [&]
            {
                window = FindProcessWindow(display.get(), DefaultRootWindow(display.get()), process.GetPid());
                return window != 0 || !process.IsRunning();
            },
            kStartLimitMs, 20);
        if (!window)
            return ::testing::AssertionFailure() << "no window: " << process.Wait(0).errorOutput;
        // The first paint comes a moment after the window is mapped.
        XRaiseWindow(display.get(), window);
        if (!WaitUntil(
                [&]
                {
                    pixels = CaptureWindow(display.get(), window, width, height);
                    return CountColours(pixels) > 20;
                },
                30000, 50))
            return ::testing::AssertionFailure() << "the window shows no picture";
        return ::testing::AssertionSuccess();
    }

    RunningChildProcess process;
    DisplayHandle display{OpenTestDisplay()};
    Window window = 0;
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

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
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor))
        return false;
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), point.x, point.y, &x, &y, &child);
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    for (const KeySym key : chord)
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), True, CurrentTime);
    for (auto key = chord.rbegin(); key != chord.rend(); ++key)
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, *key), False, CurrentTime);
    XSync(display, False);
    return true;
}

// The presets the simulator was sent, in order, read from its log (one message a line in hex).
inline std::vector<int> SentPresets(const std::string& log)
{
    static constexpr std::uint8_t kSendHeader[] = {0xF0, 0x47, 0x7F, 0x50, 0x64, 0x01, 0x0E};
    std::vector<int> presets;
    std::size_t start = 0;
    while (start < log.size())
    {
        std::size_t end = log.find('\n', start);
        if (end == std::string::npos)
            end = log.size();
        std::vector<std::uint8_t> bytes;
        if (ParseHexBytes(log.substr(start, end - start), bytes) && bytes.size() > sizeof kSendHeader &&
            std::equal(std::begin(kSendHeader), std::end(kSendHeader), bytes.begin()))
            presets.push_back(bytes[sizeof kSendHeader]);
        start = end + 1;
    }
    return presets;
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

} // namespace QK::TestSupport
