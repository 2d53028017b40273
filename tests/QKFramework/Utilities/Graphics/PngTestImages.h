// PNG fixtures for the drawing tests: encoding straight BGRA pixels with libpng, and the
// pixels of the embedded fixture images.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

namespace QK::TestSupport
{

// The PNG of a width x height image of straight BGRA pixels; empty when libpng refuses.
inline std::string EncodePng(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& bgra)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, bgra.data(), 0, nullptr))
        return {};
    std::string bytes(size, '\0');
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, bgra.data(), 0, nullptr))
        return {};
    bytes.resize(size);
    return bytes;
}

// Embedded as KNOB_PNG: 3 x 2 pixels, BGRA by row.
inline const std::vector<std::uint8_t> kKnobPixels = {
    0, 0, 255, 255,     0, 255, 0, 128,     255, 0, 0, 0,
    255, 255, 255, 255, 0, 0, 0, 255,       30, 20, 10, 40,
};

} // namespace QK::TestSupport
