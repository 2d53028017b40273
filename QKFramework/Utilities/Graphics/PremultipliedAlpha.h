// Straight and premultiplied forms of a 32-bit 0xAARRGGBB pixel. Drawing surfaces keep their
// pixels premultiplied; bitmaps are read in straight colours. Premultiplying rounds, so a
// translucent colour does not always come back exactly from its premultiplied form.
#pragma once

#include <algorithm>
#include <cstdint>

namespace QK
{

constexpr std::uint32_t PremultiplyArgb(std::uint32_t argb) noexcept
{
    const std::uint32_t a = argb >> 24;
    if (a == 255)
        return argb;
    if (a == 0)
        return 0;
    const auto scale = [a](std::uint32_t channel) { return (channel * a + 127) / 255; };
    return (a << 24) | (scale((argb >> 16) & 255) << 16) | (scale((argb >> 8) & 255) << 8) | scale(argb & 255);
}

constexpr std::uint32_t UnpremultiplyArgb(std::uint32_t argb) noexcept
{
    const std::uint32_t a = argb >> 24;
    if (a == 255 || a == 0)
        return a == 0 ? 0 : argb;
    const auto scale = [a](std::uint32_t channel) { return std::min<std::uint32_t>(255, (channel * 255 + a / 2) / a); };
    return (a << 24) | (scale((argb >> 16) & 255) << 16) | (scale((argb >> 8) & 255) << 8) | scale(argb & 255);
}

} // namespace QK
