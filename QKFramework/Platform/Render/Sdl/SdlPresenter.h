// Showing a software-drawn picture in an SDL window: only the given rectangles are copied to
// the window's surface and updated on the screen.
#pragma once

#include "QKFramework/Utilities/Geometry/Rect.h"

#include <cstdint>
#include <vector>

namespace QK
{

// pixels: width x height 32-bit pixels (0xAARRGGBB, premultiplied), stride in bytes. The
// rectangles are copied from the last to the first, each cut to the picture and the window.
// window is an SDL window id; nothing happens when no such window exists (or no video
// subsystem runs). UI thread only.
void PresentToSdlWindow(std::uintptr_t window, const unsigned char* pixels, std::int32_t width, std::int32_t height,
                        std::int32_t stride, const std::vector<RectL>& rects);

} // namespace QK
