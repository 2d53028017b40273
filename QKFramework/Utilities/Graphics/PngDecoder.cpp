#include "QKFramework/Utilities/Graphics/PngDecoder.h"

#include <png.h>

#include <cstring>
#include <new>
#include <utility>

namespace QK
{

namespace
{

// Whether every chunk up to the image's end lies inside the bytes. The PNG library allocates
// the length that a chunk claims before it reads the chunk, so a file of a few bytes could
// make it ask for gigabytes; a chunk that runs past the end of the file belongs to a file cut
// short or damaged, which would fail to decode all the same.
bool ChunksFit(const std::uint8_t* data, std::size_t size)
{
    constexpr std::size_t kSignatureSize = 8;
    constexpr std::size_t kChunkFrame = 12; // length, type and checksum
    std::size_t offset = kSignatureSize;
    while (offset <= size && size - offset >= kChunkFrame)
    {
        const std::uint32_t length = std::uint32_t{data[offset]} << 24 | std::uint32_t{data[offset + 1]} << 16 |
                                     std::uint32_t{data[offset + 2]} << 8 | data[offset + 3];
        if (length > size - offset - kChunkFrame)
            return false;
        if (std::memcmp(data + offset + 4, "IEND", 4) == 0)
            return true;
        offset += kChunkFrame + length;
    }
    return true;
}

} // namespace

bool DecodePng(const std::uint8_t* data, std::size_t size, DecodedImage& image)
{
    image = DecodedImage{};
    if (!data || size == 0 || !ChunksFit(data, size))
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
