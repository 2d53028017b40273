#include "QKFramework/Platform/Render/Sdl/SdlWindow.h"

#include "QKFramework/Platform/Render/Sdl/SdlGLContext.h"
#include "QKFramework/Platform/Render/Sdl/SdlPresenter.h"

#include <cstdlib>
#include <cstring>

namespace QK
{

SdlWindow::SdlWindow(const std::string& title, std::int32_t width, std::int32_t height, bool openGL)
{
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!display || !*display) && (!wayland || !*wayland))
    {
        m_error = "no display: neither DISPLAY nor WAYLAND_DISPLAY is set";
        return;
    }
    // Started once and kept for the life of the process: stopping it unloads the window
    // system's libraries, and starting it again for every window costs a connection. The
    // software picture is shown as the host windows show theirs, without an OpenGL texture,
    // and the screen saver is left alone as theirs leave it.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    static const bool videoStarted = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (!videoStarted)
    {
        m_error = std::string("SDL video could not start: ") + SDL_GetError();
        return;
    }
    if (openGL)
        PrepareSdlGLAttributes();
    m_window.Reset(SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                    SDL_WINDOW_SHOWN | (openGL ? SDL_WINDOW_OPENGL : 0)));
    if (!m_window)
        m_error = std::string("SDL window could not be made: ") + SDL_GetError();
}

SdlWindow::~SdlWindow() = default;

std::uintptr_t SdlWindow::GetHandle() const
{
    return m_window ? SDL_GetWindowID(m_window.Get()) : 0;
}

bool SdlWindow::SetClientSize(std::int32_t width, std::int32_t height)
{
    if (!m_window)
        return false;
    SDL_SetWindowSize(m_window.Get(), width, height);
    return true;
}

void SdlWindow::GetClientSize(std::int32_t& width, std::int32_t& height) const
{
    width = 0;
    height = 0;
    if (m_window)
        SDL_GetWindowSize(m_window.Get(), &width, &height);
}

bool SdlWindow::PumpEvents()
{
    if (!m_window)
        return false;
    bool open = true;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0)
    {
        if (event.type == SDL_QUIT ||
            (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE &&
             event.window.windowID == SDL_GetWindowID(m_window.Get())))
            open = false;
    }
    return open;
}

bool SdlWindow::ReadPixels(std::vector<std::uint32_t>& pixels, std::int32_t& width, std::int32_t& height) const
{
    return ReadSdlWindowSurface(m_window.Get(), pixels, width, height);
}

} // namespace QK
