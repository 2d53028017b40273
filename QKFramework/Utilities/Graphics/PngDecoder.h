// PNG decoding for bitmaps: bytes in memory (a resource or a file's contents) to straight,
// not premultiplied, BGRA pixels, four bytes per pixel, rows top to bottom without padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace QK
{

struct DecodedImage
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> pixels; // width x height x 4 bytes: blue, green, red, alpha
};

// The most pixels an image may have (128 MiB of pixels); larger ones are refused rather
// than allocated on the word of a file's header.
inline constexpr std::uint64_t kMaxDecodedPixels = 32u * 1024u * 1024u;
// The widest and tallest image, the most the PNG library allocates for one chunk other than
// pixel data (a colour profile that unpacks to more is ignored; chunks the pixels do not need
// are skipped unread) and the most ancillary chunks it keeps: what a file may make the
// decoder allocate besides its pixels.
inline constexpr std::uint32_t kMaxPngSide = 65536;
inline constexpr std::uint32_t kMaxPngChunkBytes = 1024 * 1024;
inline constexpr std::uint32_t kMaxKeptChunks = 32;

// Decodes a PNG; false (image emptied) for anything that is not a whole, valid PNG of at
// most kMaxDecodedPixels pixels within the limits above. Safe on any bytes: a chunk that
// claims more bytes than the data holds is refused before anything is allocated for it.
bool DecodePng(const std::uint8_t* data, std::size_t size, DecodedImage& image);

// The size of a PNG, read from its header without inflating any pixels. It checks what can
// be checked that cheaply: the chunks' layout and the checksums of the chunks a decoder must
// not skip, and the header itself, so a file that is cut short, altered or not a PNG at all
// is refused here. Only a damaged compressed stream is left for the decoding to find. false
// (width and height 0) for what DecodePng would refuse on these grounds.
bool ReadPngSize(const std::uint8_t* data, std::size_t size, std::uint32_t& width, std::uint32_t& height);

// Decodes a PNG whose size is width x height into pixels (width x height words, blue,
// green, red, alpha in memory); false when the data is not such a PNG. The pixels may be
// partly written then.
bool DecodePngInto(const std::uint8_t* data, std::size_t size, std::uint32_t width, std::uint32_t height,
                   std::uint32_t* pixels);

} // namespace QK
