#include "QKFramework/Platform/Render/GLContext.h"
#include "QKFramework/Platform/Render/Sdl/SdlGLContext.h"

#include <SDL.h>
#include <GL/gl.h>

namespace QK
{

namespace
{

SDL_Window* WindowOf(std::uintptr_t window)
{
    if (window == 0 || window > 0xFFFFFFFFu)
        return nullptr;
    SDL_Window* sdl = SDL_GetWindowFromID(static_cast<Uint32>(window));
    return sdl && (SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL) ? sdl : nullptr;
}

class SdlGLContext final : public IGLContext
{
public:
    explicit SdlGLContext(SDL_GLContext context) : m_context(context)
    {
        int doubleBuffered = 0;
        if (SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffered) == 0)
            m_doubleBuffered = doubleBuffered != 0;
    }
    ~SdlGLContext() override
    {
        SDL_GL_MakeCurrent(nullptr, nullptr);
        SDL_GL_DeleteContext(m_context);
    }

    bool MakeCurrent(std::uintptr_t window) override
    {
        SDL_Window* sdl = WindowOf(window);
        return sdl && SDL_GL_MakeCurrent(sdl, m_context) == 0;
    }
    void ReleaseCurrent() override
    {
        if (SDL_Window* current = SDL_GL_GetCurrentWindow())
            SDL_GL_MakeCurrent(current, nullptr);
    }
    void Swap(std::uintptr_t window) override
    {
        if (SDL_Window* sdl = WindowOf(window))
            SDL_GL_SwapWindow(sdl);
    }
    bool IsDoubleBuffered() const override { return m_doubleBuffered; }
    bool SwapCopies() const override { return false; }

    bool ReadFrontBuffer(std::uintptr_t window, std::vector<std::uint32_t>& pixels, std::int32_t& width,
                         std::int32_t& height) override
    {
        SDL_Window* sdl = WindowOf(window);
        if (!sdl || SDL_GL_MakeCurrent(sdl, m_context) != 0)
            return false;
        int w = 0;
        int h = 0;
        SDL_GL_GetDrawableSize(sdl, &w, &h);
        std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
        glReadBuffer(m_doubleBuffered ? GL_FRONT : GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glPixelStorei(GL_PACK_ROW_LENGTH, 0);
        glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        width = w;
        height = h;
        pixels.assign(rgba.size() / 4, 0);
        for (int y = 0; y < h; ++y)
        {
            // OpenGL's rows run upward.
            const std::uint8_t* row = rgba.data() + static_cast<std::size_t>(h - 1 - y) * static_cast<std::size_t>(w) * 4;
            for (int x = 0; x < w; ++x)
            {
                const std::uint8_t* p = row + static_cast<std::size_t>(x) * 4;
                pixels[static_cast<std::size_t>(y) * w + x] =
                    0xFF000000u | (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
            }
        }
        SDL_GL_MakeCurrent(sdl, nullptr);
        return true;
    }

private:
    SDL_GLContext m_context;
    bool m_doubleBuffered = true;
};

} // namespace

void PrepareSdlGLAttributes()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

std::unique_ptr<IGLContext> CreateGLContext(std::uintptr_t window, std::string& error)
{
    SDL_Window* sdl = WindowOf(window);
    if (!sdl)
    {
        error = "no window opened for OpenGL has the handle " + std::to_string(window);
        return nullptr;
    }
    PrepareSdlGLAttributes();
    SDL_GLContext context = SDL_GL_CreateContext(sdl);
    if (!context)
    {
        error = std::string("SDL_GL_CreateContext: ") + SDL_GetError();
        return nullptr;
    }
    std::unique_ptr<IGLContext> made(new SdlGLContext(context));
    SDL_GL_MakeCurrent(sdl, nullptr);
    return made;
}

} // namespace QK
