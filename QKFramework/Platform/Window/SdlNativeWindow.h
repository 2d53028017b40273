// The window system's own handle behind an SDL window, for programs that are tied to it (a
// message box that belongs to the editor's window). Kept apart from the window host: the X
// headers it needs define names the host uses.
#pragma once

#include <cstdint>

struct SDL_Window;

namespace QK
{

// The X window of window; 0 without one (another display server, or no window).
std::uintptr_t GetX11Window(SDL_Window* window);

// Whether the X server's indicator of that name ("Caps Lock", "Num Lock", "Scroll Lock") is
// on, asked through window's connection: 1 on, 0 off, -1 when the server cannot say (no X,
// no such indicator).
int GetX11Indicator(SDL_Window* window, const char* name);

} // namespace QK
