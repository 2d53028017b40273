#include "QKFramework/Platform/Window/SdlNativeWindow.h"

#include <SDL.h>
#include <SDL_syswm.h>

namespace QK
{

std::uintptr_t GetX11Window(SDL_Window* window)
{
    if (!window)
        return 0;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return 0;
    return static_cast<std::uintptr_t>(info.info.x11.window);
}

} // namespace QK
