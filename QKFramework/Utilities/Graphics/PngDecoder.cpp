#include "QKFramework/Utilities/Graphics/PngDecoder.h"

#include <png.h>
#include <zlib.h>

#include <cstring>
#include <new>
#include <utility>

namespace QK
{

namespace
{

std::uint32_t BigEndian(const std::uint8_t* bytes)
{
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
}

// Whether the file is whole: every chunk, from the first to the image's end chunk (IEND),
// lies inside the bytes, and every critical chunk (a type beginning with a capital) carries
// its right checksum. The PNG library allocates the length that a chunk claims before it
// reads the chunk (a text chunk, whatever its limits say), so a file of a few bytes could
// make it ask for gigabytes; that holds for a last chunk of which only the length and type
// are there too. A chunk that runs past the end of the file, or a file that ends before its
// end chunk, is cut short or damaged and would fail to decode all the same, and so would a
// critical chunk with a wrong checksum (the library refuses those; it only warns about
// ancillary ones).
bool ChunksFit(const std::uint8_t* data, std::size_t size)
{
    constexpr std::size_t kSignatureSize = 8;
    constexpr std::size_t kChunkFrame = 12; // length, type and checksum
    std::size_t offset = kSignatureSize;
    while (offset <= size && size - offset >= kChunkFrame)
    {
        const std::uint32_t length = BigEndian(data + offset);
        if (length > size - offset - kChunkFrame)
            return false;
        const std::uint8_t* type = data + offset + 4;
        if ((type[0] & 0x20) == 0)
        {
            const uLong crc = crc32(crc32(0, nullptr, 0), type, static_cast<uInt>(length + 4));
            if (crc != BigEndian(type + 4 + length))
                return false;
        }
        if (std::memcmp(type, "IEND", 4) == 0)
            return true;
        offset += kChunkFrame + length;
    }
    return false;
}

// The simplified API keeps libpng's error jumps inside libpng: failures come back as a zero
// result, never through our frames. Its state is freed on every way out.
class PngReader
{
public:
    PngReader() { m_png.version = PNG_IMAGE_VERSION; }
    ~PngReader() { png_image_free(&m_png); }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;

    // Reads the header and the chunks before the pixels; false for a size out of bounds.
    bool Begin(const std::uint8_t* data, std::size_t size)
    {
        if (!data || size == 0 || !ChunksFit(data, size))
            return false;
        if (!png_image_begin_read_from_memory(&m_png, data, size))
            return false;
        const std::uint64_t pixels = std::uint64_t{m_png.width} * m_png.height;
        return m_png.width != 0 && m_png.height != 0 && pixels <= kMaxDecodedPixels;
    }

    std::uint32_t GetWidth() const { return m_png.width; }
    std::uint32_t GetHeight() const { return m_png.height; }

    bool Finish(void* pixels)
    {
        m_png.format = PNG_FORMAT_BGRA;
        const png_int_32 stride = static_cast<png_int_32>(m_png.width * 4);
        return png_image_finish_read(&m_png, nullptr, pixels, stride, nullptr) != 0;
    }

private:
    png_image m_png{};
};

} // namespace

bool ReadPngSize(const std::uint8_t* data, std::size_t size, std::uint32_t& width, std::uint32_t& height)
{
    width = 0;
    height = 0;
    PngReader reader;
    if (!reader.Begin(data, size))
        return false;
    width = reader.GetWidth();
    height = reader.GetHeight();
    return true;
}

bool DecodePngInto(const std::uint8_t* data, std::size_t size, std::uint32_t width, std::uint32_t height,
                   std::uint32_t* pixels)
{
    PngReader reader;
    if (!pixels || !reader.Begin(data, size) || reader.GetWidth() != width || reader.GetHeight() != height)
        return false;
    return reader.Finish(pixels);
}

bool DecodePng(const std::uint8_t* data, std::size_t size, DecodedImage& image)
{
    image = DecodedImage{};
    PngReader reader;
    if (!reader.Begin(data, size))
        return false;
    std::vector<std::uint8_t> buffer;
    try
    {
        buffer.resize(std::size_t{reader.GetWidth()} * reader.GetHeight() * 4);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    if (!reader.Finish(buffer.data()))
        return false;
    image.width = reader.GetWidth();
    image.height = reader.GetHeight();
    image.pixels = std::move(buffer);
    return true;
}

} // namespace QK
