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

// The ancillary chunks that bear on the pixels; every other one is skipped unread, so no text,
// palette suggestion or private chunk is ever stored.
constexpr png_byte kChunksThatMatter[] = {
    'b', 'K', 'G', 'D', '\0', 'c', 'H', 'R', 'M', '\0', 'g', 'A', 'M', 'A', '\0',
    'i', 'C', 'C', 'P', '\0', 's', 'B', 'I', 'T', '\0', 's', 'R', 'G', 'B', '\0',
};

// libpng's read of one PNG in memory, with limits on what a file may make it allocate: the
// longest chunk it reads (a chunk over it refuses the file, an embedded colour profile that
// unpacks past it is ignored), the widest and tallest image and the number of ancillary
// chunks it keeps. The pixels come out as libpng's simplified reader gives them for its BGRA
// format (8-bit, straight alpha, sRGB, 16-bit samples taken as linear unless the file says
// otherwise), through the same transforms in the same order.
//
// libpng reports an error by a long jump back to the setjmp at the top of Begin or Finish.
// Those two functions and everything the jump crosses own nothing with a destructor, and
// nothing changed after the setjmp is read after the jump: they only return false.
class PngReader
{
public:
    PngReader() = default;
    ~PngReader() { png_destroy_read_struct(&m_png, &m_info, nullptr); }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;

    // Reads the header and the chunks before the pixels; false for a size out of bounds.
    bool Begin(const std::uint8_t* data, std::size_t size)
    {
        if (!data || size == 0 || !ChunksFit(data, size))
            return false;
        m_data = data;
        m_size = size;
        m_png = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, &PngReader::OnError, &PngReader::OnWarning);
        if (!m_png)
            return false;
        m_info = png_create_info_struct(m_png);
        if (!m_info)
            return false;
        if (setjmp(png_jmpbuf(m_png)) != 0)
            return false;
        png_set_read_fn(m_png, this, &PngReader::Read);
        png_set_user_limits(m_png, kMaxPngSide, kMaxPngSide);
        png_set_chunk_malloc_max(m_png, kMaxPngChunkBytes);
        png_set_chunk_cache_max(m_png, kMaxKeptChunks);
        png_set_benign_errors(m_png, 1);
        png_set_keep_unknown_chunks(m_png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
        png_set_keep_unknown_chunks(m_png, PNG_HANDLE_CHUNK_AS_DEFAULT, kChunksThatMatter,
                                    static_cast<int>(sizeof kChunksThatMatter / 5));
        png_read_info(m_png, m_info);
        m_width = png_get_image_width(m_png, m_info);
        m_height = png_get_image_height(m_png, m_info);
        const std::uint64_t pixels = std::uint64_t{m_width} * m_height;
        return m_width != 0 && m_height != 0 && pixels <= kMaxDecodedPixels;
    }

    std::uint32_t GetWidth() const { return m_width; }
    std::uint32_t GetHeight() const { return m_height; }

    // Decodes the pixels into rows of width x 4 bytes; only after a Begin that succeeded.
    bool Finish(void* pixels)
    {
        if (setjmp(png_jmpbuf(m_png)) != 0)
            return false;
        const png_byte colorType = png_get_color_type(m_png, m_info);
        const bool color = (colorType & PNG_COLOR_MASK_COLOR) != 0;
        const bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(m_png, m_info, PNG_INFO_tRNS) != 0;
        const bool sixteenBit = png_get_bit_depth(m_png, m_info) == 16;

        png_set_expand(m_png);
        if (!color)
            png_set_gray_to_rgb(m_png);
        png_set_alpha_mode_fixed(m_png, PNG_ALPHA_PNG, sixteenBit ? PNG_GAMMA_LINEAR : PNG_DEFAULT_sRGB);
        if (sixteenBit)
            png_set_scale_16(m_png);
        if (!alpha)
            png_set_add_alpha(m_png, 0xFF, PNG_FILLER_AFTER);
        png_set_alpha_mode_fixed(m_png, PNG_ALPHA_PNG, PNG_DEFAULT_sRGB);
        png_set_bgr(m_png);
        const int passes = png_set_interlace_handling(m_png);
        png_read_update_info(m_png, m_info);
        if (png_get_rowbytes(m_png, m_info) != std::size_t{m_width} * 4)
            return false;
        for (int pass = 0; pass < passes; ++pass)
        {
            png_bytep row = static_cast<png_bytep>(pixels);
            for (std::uint32_t y = 0; y < m_height; ++y, row += std::size_t{m_width} * 4)
                png_read_row(m_png, row, nullptr);
        }
        return true;
    }

private:
    // libpng's callbacks: Read asks for bytes past the end only of a file cut short, which
    // ChunksFit has already refused, but it is refused here as well.
    static void Read(png_structp png, png_bytep out, std::size_t count)
    {
        PngReader& reader = *static_cast<PngReader*>(png_get_io_ptr(png));
        if (count > reader.m_size - reader.m_offset)
            png_error(png, "read beyond the end of the data");
        std::memcpy(out, reader.m_data + reader.m_offset, count);
        reader.m_offset += count;
    }

    [[noreturn]] static void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
    static void OnWarning(png_structp, png_const_charp) {}

    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
    const std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_offset = 0;
    std::uint32_t m_width = 0;
    std::uint32_t m_height = 0;
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
