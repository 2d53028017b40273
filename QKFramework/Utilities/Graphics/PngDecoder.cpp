#include "QKFramework/Utilities/Graphics/PngDecoder.h"

#include <png.h>

#include <new>
#include <utility>

namespace QK
{

bool DecodePng(const std::uint8_t* data, std::size_t size, DecodedImage& image)
{
    image = DecodedImage{};
    if (!data || size == 0)
        return false;

    // The simplified API keeps libpng's error jumps inside libpng: failures come back as a
    // zero result, never through our frames.
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, data, size))
    {
        png_image_free(&png);
        return false;
    }
    const std::uint64_t pixels = std::uint64_t{png.width} * png.height;
    if (png.width == 0 || png.height == 0 || pixels > kMaxDecodedPixels)
    {
        png_image_free(&png);
        return false;
    }
    png.format = PNG_FORMAT_BGRA;
    std::vector<std::uint8_t> buffer;
    try
    {
        buffer.resize(static_cast<std::size_t>(pixels) * 4);
    }
    catch (const std::bad_alloc&)
    {
        png_image_free(&png);
        return false;
    }
    const png_int_32 stride = static_cast<png_int_32>(png.width * 4);
    if (!png_image_finish_read(&png, nullptr, buffer.data(), stride, nullptr))
    {
        png_image_free(&png);
        return false;
    }
    png_image_free(&png);
    image.width = png.width;
    image.height = png.height;
    image.pixels = std::move(buffer);
    return true;
}

} // namespace QK
