// Showing a software-drawn picture in an SDL window (only the given rectangles are copied to
// the window's surface and updated on the screen), and reading back what a window shows.
#pragma once

#include "QKFramework/Utilities/Geometry/Rect.h"

#include <cstdint>
#include <vector>

struct SDL_Window;

namespace QK
{

// pixels: width x height 32-bit pixels (0xAARRGGBB, premultiplied), stride in bytes: the
// whole picture, since the rectangles shown are those ChoosePresentRects picks. They are
// copied from the last to the first, each cut to the picture and the window.
// window is an SDL window id; nothing happens when no such window exists (or no video
// subsystem runs). UI thread only.
// What a present hands to the window system for rects: the rectangles themselves, or, when
// many of them would cost more than copying the area between them, their bounding box. Every
// rectangle is one request to the display server on top of the pixels it copies.
std::vector<RectL> ChoosePresentRects(const std::vector<RectL>& rects);

void PresentToSdlWindow(std::uintptr_t window, const unsigned char* pixels, std::int32_t width, std::int32_t height,
                        std::int32_t stride, const std::vector<RectL>& rects);

// What window's surface holds, as opaque 0xAARRGGBB pixels row by row; false when it has no
// surface (none yet, or a window drawn with OpenGL) or it cannot be converted.
bool ReadSdlWindowSurface(SDL_Window* window, std::vector<std::uint32_t>& pixels, std::int32_t& width,
                          std::int32_t& height);

} // namespace QK
