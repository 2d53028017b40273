// ISplashWindow: the splash screen's window, as the splash thread drives it (LSplashScreen):
// a borderless picture centred on the screen's work area, with a progress bar near its bottom
// edge once the thread shows one.
//
// The platform's window (CreatePlatformSplashWindow) is an X window on a connection of its
// own (xcb) that the splash thread makes, uses and closes: SDL's video and its Xlib
// connection belong to the UI thread, and xcb answers each request's error to its caller
// instead of to a process-wide handler. The window is override-redirect (no frame, never
// managed or focused) and, where the server offers a 32-bit visual, keeps the picture's alpha.
//
// Every call comes on the thread that made the object.
#pragma once

#include "QKFramework/Utilities/Geometry/Rect.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace QK
{

// The splash picture: width x height pixels, 0xAARRGGBB with straight alpha, row by row.
struct SplashPicture
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> pixels;
};

// The progress bar as the window draws it: 0 to 100, its colour 0x00RRGGBB.
struct SplashBar
{
    bool shown = false;
    std::int32_t position = 0;
    std::uint32_t color = 0x06B025;
};

enum class SplashWindowOpening
{
    Open,
    // No connection to the window system (the window class cannot be had).
    NoWindowSystem,
    // The window system refused the window.
    NotCreated,
};

class ISplashWindow
{
public:
    virtual ~ISplashWindow() = default;

    // Shows picture at its size, centred on the work area, without taking the focus.
    virtual SplashWindowOpening Open(const SplashPicture& picture, const std::string& title) = 0;
    // Draws the bar (inset width / 25 from the sides, 16 pixels high, 20 pixels above the
    // bottom edge); false when the picture could not be put on the screen.
    virtual bool ShowBar(const SplashBar& bar) = 0;
    // Handles what the window system sent meanwhile (exposes are painted again); false when
    // the picture could not be put on the screen.
    virtual bool ProcessEvents() = 0;
    // The window on the screen {x, y, width, height}.
    virtual RectL GetRect() const = 0;
    virtual void Close() = 0;
};

std::unique_ptr<ISplashWindow> CreatePlatformSplashWindow();

} // namespace QK
