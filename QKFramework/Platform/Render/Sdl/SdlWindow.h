// A plain SDL window that a renderer presents to: the stand-in for a host window until the
// window host owns its windows. Its handle (the SDL window id) is what
// LRenderer::InitRenderContextInfo takes as the window.
//
// The first window starts SDL's video subsystem, which then stays up until the process
// ends. Made, used and destroyed on the UI thread.
#pragma once

#include "QKFramework/Platform/Render/Sdl/SdlHandles.h"

#include <cstdint>
#include <string>
#include <vector>

namespace QK
{

class SdlWindow
{
public:
    // Opens and shows a window with a client area of width x height. On failure IsOpen is
    // false and GetError says why (no display, for one).
    SdlWindow(const std::string& title, std::int32_t width, std::int32_t height);
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;
    ~SdlWindow();

    bool IsOpen() const { return m_window.IsValid(); }
    const std::string& GetError() const { return m_error; }
    // The SDL window id; 0 when not open.
    std::uintptr_t GetHandle() const;

    // Gives the client area a new size (the window system may take a moment); false when
    // not open.
    bool SetClientSize(std::int32_t width, std::int32_t height);
    // The client area's size as the window system has it now.
    void GetClientSize(std::int32_t& width, std::int32_t& height) const;
    // Handles what the window system sent; false once the window was asked to close.
    bool PumpEvents();
    // What the window shows, as opaque 0xAARRGGBB pixels row by row; false when not open.
    bool ReadPixels(std::vector<std::uint32_t>& pixels, std::int32_t& width, std::int32_t& height) const;

private:
    UniqueHandle<SdlWindowTraits> m_window;
    std::string m_error;
};

} // namespace QK
