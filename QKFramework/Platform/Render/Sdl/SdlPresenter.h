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
// copied from the last to the first, each cut to the picture and the window; when pixels are
// the window's own picture (GetSdlWindowPixels), nothing is copied and they are only shown.
// window is an SDL window id; nothing happens when no such window exists (or no video
// subsystem runs). UI thread only.
// What a present hands to the window system for rects: the rectangles themselves, or, when
// many of them would cost more than copying the area between them, their bounding box. Every
// rectangle is one request to the display server on top of the pixels it copies.
std::vector<RectL> ChoosePresentRects(const std::vector<RectL>& rects);

void PresentToSdlWindow(std::uintptr_t window, const unsigned char* pixels, std::int32_t width, std::int32_t height,
                        std::int32_t stride, const std::vector<RectL>& rects);

// The picture an SDL window keeps in memory for software drawing, when it holds 32-bit
// pixels laid out as the drawing surfaces' own (0x..RRGGBB words; the top byte is not shown)
// and can be written directly: pixels is null otherwise, or when window (an SDL window id) is
// no window. SDL replaces the picture when the window changes size. UI thread only.
struct SdlWindowPixels
{
    std::uint32_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t stride = 0; // in bytes
};
SdlWindowPixels GetSdlWindowPixels(std::uintptr_t window);

// Has SDL make window's picture (see GetSdlWindowPixels) now and its memory made ready for
// writing on a worker thread meanwhile: otherwise the first drawing into a fresh picture
// takes its page faults on the UI thread, milliseconds for a large window. Nothing happens
// for a window without such a picture. UI thread only.
void PrepareSdlWindowPixels(std::uintptr_t window);
// Waits until the preparation of window's picture, if one is under way, has ended: before
// the picture is handed out or replaced, and before the window is destroyed. A null window
// is none. UI thread only.
void SettleSdlWindowPixels(SDL_Window* window) noexcept;

// What window's surface holds, as opaque 0xAARRGGBB pixels row by row; false when it has no
// surface (none yet, or a window drawn with OpenGL) or it cannot be converted.
bool ReadSdlWindowSurface(SDL_Window* window, std::vector<std::uint32_t>& pixels, std::int32_t& width,
                          std::int32_t& height);

} // namespace QK
