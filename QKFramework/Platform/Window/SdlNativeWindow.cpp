#include "QKFramework/Platform/Window/SdlNativeWindow.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <X11/XKBlib.h>

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

int GetX11Indicator(SDL_Window* window, const char* name)
{
    if (!window)
        return -1;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11 || !info.info.x11.display)
        return -1;
    Display* display = info.info.x11.display;
    const Atom indicator = XInternAtom(display, name, True);
    Bool on = False;
    if (indicator == None || !XkbGetNamedIndicator(display, indicator, nullptr, &on, nullptr, nullptr))
        return -1;
    return on ? 1 : 0;
}

} // namespace QK
