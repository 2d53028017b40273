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
    // zero result, never through our frames. Its state is freed on every way out.
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    struct FreeOnExit
    {
        png_image& png;
        ~FreeOnExit() { png_image_free(&png); }
    } freeOnExit{png};

    if (!png_image_begin_read_from_memory(&png, data, size))
        return false;
    const std::uint64_t pixels = std::uint64_t{png.width} * png.height;
    if (png.width == 0 || png.height == 0 || pixels > kMaxDecodedPixels)
        return false;
    png.format = PNG_FORMAT_BGRA;
    std::vector<std::uint8_t> buffer;
    try
    {
        buffer.resize(static_cast<std::size_t>(pixels) * 4);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    const png_int_32 stride = static_cast<png_int_32>(png.width * 4);
    if (!png_image_finish_read(&png, nullptr, buffer.data(), stride, nullptr))
        return false;
    image.width = png.width;
    image.height = png.height;
    image.pixels = std::move(buffer);
    return true;
}

} // namespace QK
