// UniqueHandle traits for the SDL objects the drawing layer holds.
#pragma once

#include "QKFramework/Platform/Core/UniqueHandle.h"
#include "QKFramework/Platform/Render/Sdl/SdlPresenter.h"

#include <SDL.h>

namespace QK
{

struct SdlWindowTraits
{
    using Handle = SDL_Window*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle window) noexcept
    {
        SettleSdlWindowPixels(window);
        SDL_DestroyWindow(window);
    }
};

struct SdlSurfaceTraits
{
    using Handle = SDL_Surface*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle surface) noexcept { SDL_FreeSurface(surface); }
};

} // namespace QK
