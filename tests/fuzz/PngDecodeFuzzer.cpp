// libFuzzer target for PNG decoding, the reader behind every bitmap loaded from a resource
// or a file: the input is decoded, and a decoded image is taken into a bitmap image and
// read at its corners.
#include "QKFramework/Utilities/Graphics/BitmapImage.h"
#include "QKFramework/Utilities/Graphics/PngDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QK::DecodedImage decoded;
    if (!QK::DecodePng(data, size, decoded))
    {
        if (decoded.width != 0 || decoded.height != 0 || !decoded.pixels.empty())
            std::abort();
        return 0;
    }
    if (decoded.width == 0 || decoded.height == 0 ||
        std::uint64_t{decoded.width} * decoded.height > QK::kMaxDecodedPixels ||
        decoded.pixels.size() != std::size_t{decoded.width} * decoded.height * 4)
        std::abort();

    QK::BitmapImage image(std::move(decoded));
    std::uint32_t argb = 0;
    const std::int64_t right = image.GetWidth() - 1;
    const std::int64_t bottom = image.GetHeight() - 1;
    if (!image.GetPixel(0, 0, argb) || !image.GetPixel(right, bottom, argb) || image.GetPixel(right + 1, 0, argb))
        std::abort();
    return 0;
}
