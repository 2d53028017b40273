// The OpenGL context of a renderer: made for a host window, current on one window at a time
// from the start of a paint to its end. The stand-in for WGL's rendering context and pixel
// formats; SDL makes it (compatibility profile, double buffer, 8-bit RGBA, no depth or
// stencil) on windows opened for OpenGL.
//
// UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace QK
{

class IGLContext
{
public:
    virtual ~IGLContext() = default;

    // Makes the context current on window (a host window handle); false when that window
    // cannot take it (none, or one not opened for OpenGL).
    virtual bool MakeCurrent(std::uintptr_t window) = 0;
    virtual void ReleaseCurrent() = 0;
    // Shows the back buffer of window.
    virtual void Swap(std::uintptr_t window) = 0;
    virtual bool IsDoubleBuffered() const = 0;
    // Whether a swap keeps the back buffer as it was (a copy): SDL cannot ask for that.
    virtual bool SwapCopies() const = 0;
    // What the window's front buffer shows, as opaque 0xAARRGGBB pixels from the top row
    // down; false when the context cannot be made current there.
    virtual bool ReadFrontBuffer(std::uintptr_t window, std::vector<std::uint32_t>& pixels, std::int32_t& width,
                                 std::int32_t& height) = 0;
};

// A context for window, or null with error saying why.
std::unique_ptr<IGLContext> CreateGLContext(std::uintptr_t window, std::string& error);

} // namespace QK
