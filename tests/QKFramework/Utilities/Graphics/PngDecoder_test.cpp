#include "QKFramework/Utilities/Graphics/PngDecoder.h"

#include "PngTestImages.h"
#include "QKFramework/Platform/Core/Resources.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <array>
#include <atomic>
#include <csetjmp>
#include <random>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer's own interface (its header comes with clang only).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, std::size_t),
                                                         void (*free_hook)(const volatile void*));
#endif

namespace QK
{
namespace
{

bool Decode(const std::string& bytes, DecodedImage& image)
{
    return DecodePng(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), image);
}

// The chunk of this type and data, with its length and checksum.
std::string Chunk(const char* type, const std::string& data)
{
    std::string chunk;
    for (int i = 0; i < 4; ++i)
        chunk.push_back(static_cast<char>(data.size() >> (24 - 8 * i)));
    chunk += std::string(type, 4) + data;
    const std::uint32_t crc =
        static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(chunk.data() + 4), chunk.size() - 4));
    for (int i = 0; i < 4; ++i)
        chunk.push_back(static_cast<char>(crc >> (24 - 8 * i)));
    return chunk;
}

// The PNG with a chunk put right after its header chunk.
std::string WithChunk(const std::string& png, const std::string& chunk)
{
    return png.substr(0, 33) + chunk + png.substr(33);
}

// How a test image is stored.
struct Layout
{
    int colorType;
    int bitDepth;
    bool interlaced;
    int gamma;       // the gAMA chunk's value, 0 for none, -1 for an sRGB chunk instead
    bool transparent; // a tRNS chunk
};

void WriteToString(png_structp png, png_bytep data, std::size_t size)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), size);
}

void NoFlush(png_structp) {}

// A 5 x 3 image of varied samples, stored as the layout says.
std::string EncodeLayout(const Layout& layout)
{
    constexpr std::uint32_t kWidth = 5;
    constexpr std::uint32_t kHeight = 3;
    const int channels = layout.colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 4
                         : layout.colorType == PNG_COLOR_TYPE_RGB     ? 3
                         : layout.colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                          : 1;
    const std::size_t rowBytes = (kWidth * channels * layout.bitDepth + 7) / 8;
    std::vector<png_byte> samples(rowBytes * kHeight);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<png_byte>(i * 73 + 19);
    std::array<png_bytep, kHeight> rows{};
    for (std::uint32_t y = 0; y < kHeight; ++y)
        rows[y] = &samples[y * rowBytes];
    std::array<png_color, 256> palette{};
    std::array<png_byte, 256> alphas{};
    for (int i = 0; i < 256; ++i)
    {
        palette[i] = {static_cast<png_byte>(i * 7), static_cast<png_byte>(255 - i), static_cast<png_byte>(i * 3)};
        alphas[i] = static_cast<png_byte>(i * 41);
    }
    png_color_16 key{};
    key.gray = key.red = key.green = key.blue = samples[0];

    std::string bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    // libpng's errors jump back here; the frames in between own nothing.
    if (setjmp(png_jmpbuf(png)) == 0)
    {
        png_set_write_fn(png, &bytes, WriteToString, NoFlush);
        png_set_IHDR(png, info, kWidth, kHeight, layout.bitDepth, layout.colorType,
                     layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        const int entries = 1 << (layout.bitDepth < 8 ? layout.bitDepth : 8);
        if (layout.colorType == PNG_COLOR_TYPE_PALETTE)
            png_set_PLTE(png, info, palette.data(), entries);
        if (layout.transparent)
            png_set_tRNS(png, info, alphas.data(), layout.colorType == PNG_COLOR_TYPE_PALETTE ? entries / 2 + 1 : 0,
                         &key);
        if (layout.gamma > 0)
            png_set_gAMA_fixed(png, info, layout.gamma);
        else if (layout.gamma < 0)
            png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
        png_write_info(png, info);
        png_write_image(png, rows.data());
        png_write_end(png, info);
    }
    else
        bytes.clear();
    png_destroy_write_struct(&png, &info);
    return bytes;
}

// What libpng's own simplified reader makes of the bytes as straight BGRA.
std::vector<std::uint8_t> DecodeWithSimplifiedReader(const std::string& bytes)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return {};
    image.format = PNG_FORMAT_BGRA;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
        return {};
    return pixels;
}

TEST(PngDecoderTest, DecodesToStraightBGRA)
{
    const auto knob = FindResourceData(nullptr, "GDIPLUS", "KNOB_PNG");
    DecodedImage image;
    ASSERT_TRUE(DecodePng(knob.data(), knob.size(), image));
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.height, 2u);
    // Not premultiplied: the half-transparent green keeps 255, the transparent blue too.
    EXPECT_EQ(image.pixels, TestSupport::kKnobPixels);

    const auto grey = FindResourceData(nullptr, "GDIPLUS", "GREY_PNG");
    ASSERT_TRUE(DecodePng(grey.data(), grey.size(), image));
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{0, 0, 0, 255, 128, 128, 128, 255, 200, 200, 200, 255,
                                                       255, 255, 255, 255}));

    std::vector<std::uint8_t> pixels(7 * 5 * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(i * 37);
    ASSERT_TRUE(Decode(TestSupport::EncodePng(7, 5, pixels), image));
    EXPECT_EQ(image.pixels, pixels);
}

// Every layout a PNG may take, with and without interlacing, transparency and gamma, comes out
// exactly as libpng's simplified reader gives it: 16-bit samples are linear unless the file
// says otherwise, 8-bit ones sRGB. An interlaced image is the same picture as its twin stored
// in plain rows (the simplified reader gets the first rows of interlaced 16-bit images wrong,
// so the twin is what it is held to).
TEST(PngDecoderTest, DecodesEveryLayoutAsLibpngsSimplifiedReaderDoes)
{
    std::vector<Layout> layouts;
    const std::pair<int, std::vector<int>> depths[] = {
        {PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}}, {PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}}, {PNG_COLOR_TYPE_RGB, {8, 16}},
        {PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}},     {PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}},
    };
    for (const auto& [colorType, bitDepths] : depths)
        for (const int bitDepth : bitDepths)
            for (const int gamma : {0, 45455, 100000, 80000, -1})
                for (const bool interlaced : {false, true})
                {
                    layouts.push_back({colorType, bitDepth, interlaced, gamma, false});
                    if ((colorType & PNG_COLOR_MASK_ALPHA) == 0)
                        layouts.push_back({colorType, bitDepth, interlaced, gamma, true});
                }
    for (const Layout& layout : layouts)
    {
        const std::string bytes = EncodeLayout(layout);
        const std::string name = "type " + std::to_string(layout.colorType) + ", " +
                                 std::to_string(layout.bitDepth) + " bits, gamma " + std::to_string(layout.gamma) +
                                 (layout.interlaced ? ", interlaced" : "") + (layout.transparent ? ", tRNS" : "");
        ASSERT_FALSE(bytes.empty()) << name;
        Layout plain = layout;
        plain.interlaced = false;
        const std::vector<std::uint8_t> expected = DecodeWithSimplifiedReader(EncodeLayout(plain));
        ASSERT_EQ(expected.size(), 5u * 3u * 4u) << name;
        DecodedImage image;
        ASSERT_TRUE(Decode(bytes, image)) << name;
        EXPECT_EQ(image.pixels, expected) << name;
    }
}

TEST(PngDecoderTest, RefusesWhatIsNotAWholePng)
{
    const std::string knob = [] {
        const auto bytes = FindResourceData(nullptr, "GDIPLUS", "KNOB_PNG");
        return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }();
    std::string flipped = knob;
    flipped[knob.size() / 2] ^= 0x55;
    // An image that claims 100000 x 100000 pixels, with a correct header checksum.
    std::string huge = TestSupport::EncodePng(1, 1, {1, 2, 3, 4});
    huge.replace(16, 8, std::string("\x00\x01\x86\xA0\x00\x01\x86\xA0", 8));
    const std::uint32_t crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(huge.data() + 12), 17));
    for (int i = 0; i < 4; ++i)
        huge[29 + i] = static_cast<char>(crc >> (24 - 8 * i));

    const std::string cases[] = {
        "", "not a png", knob.substr(0, 8), knob.substr(0, 40), knob.substr(0, knob.size() - 14), flipped, huge,
    };
    for (const std::string& bytes : cases)
    {
        DecodedImage image;
        image.width = 9;
        EXPECT_FALSE(Decode(bytes, image)) << bytes.size();
        EXPECT_EQ(image.width, 0u);
        EXPECT_TRUE(image.pixels.empty());
        // The header alone already tells each of these apart from a PNG.
        std::uint32_t width = 9;
        std::uint32_t height = 9;
        EXPECT_FALSE(ReadPngSize(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), width, height))
            << bytes.size();
        EXPECT_EQ(width + height, 0u);
    }
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    ASSERT_TRUE(ReadPngSize(reinterpret_cast<const std::uint8_t*>(knob.data()), knob.size(), width, height));
    EXPECT_EQ(width, 3u);
    EXPECT_EQ(height, 2u);
    // Decoding into pixels of another size than the file's is refused.
    std::vector<std::uint32_t> pixels(6);
    EXPECT_TRUE(DecodePngInto(reinterpret_cast<const std::uint8_t*>(knob.data()), knob.size(), 3, 2, pixels.data()));
    EXPECT_EQ(pixels[1], 0x8000FF00u);
    EXPECT_FALSE(DecodePngInto(reinterpret_cast<const std::uint8_t*>(knob.data()), knob.size(), 2, 3, pixels.data()));
    DecodedImage image;
    EXPECT_FALSE(DecodePng(nullptr, 10, image));

    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round)
    {
        std::string mangled = knob;
        for (int k = 0; k < 3; ++k)
            mangled[random() % mangled.size()] = static_cast<char>(random());
        Decode(mangled, image);
    }
}

#if defined(__SANITIZE_ADDRESS__)
// The largest block asked of the allocator while recording is on.
std::atomic<bool> g_recording{false};
std::atomic<std::size_t> g_largest{0};

void RecordAllocation(const volatile void*, std::size_t size)
{
    if (!g_recording.load())
        return;
    std::size_t largest = g_largest.load();
    while (size > largest && !g_largest.compare_exchange_weak(largest, size))
    {
    }
}

void IgnoreFree(const volatile void*) {}

bool InstallAllocationHooks()
{
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(RecordAllocation, IgnoreFree) != 0;
    return installed;
}
#endif

// A chunk may claim up to 2 GiB: the decoder must not allocate what a few bytes claim.
TEST(PngDecoderTest, AChunkThatClaimsMoreThanTheFileHoldsAllocatesNothingForIt)
{
#if defined(__SANITIZE_ADDRESS__)
    ASSERT_TRUE(InstallAllocationHooks());
    // A sound 1 x 1 image with an ancillary chunk between header and data that claims
    // 1.9 GB and holds a few bytes, its checksum set.
    const std::string image = TestSupport::EncodePng(1, 1, {1, 2, 3, 4});
    std::string chunk("\x73\x00\x00\x1b" "sPLT" "palette\0\x08", 18);
    const std::uint32_t crc =
        static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(chunk.data() + 4), chunk.size() - 4));
    for (int i = 0; i < 4; ++i)
        chunk.push_back(static_cast<char>(crc >> (24 - 8 * i)));
    const std::string claiming = image.substr(0, 33) + chunk + image.substr(33);
    // The 43 bytes of the signature, the header and a text chunk's length (2 GiB) and type,
    // then the file ends: the last chunk's frame is not whole.
    const std::string cutShort = image.substr(0, 33) + std::string("\x7F\xFF\xFF\xFF" "tEXt" "\x78\x9C", 10);

    for (const std::string* bytes : {&claiming, &cutShort})
    {
        DecodedImage decoded;
        g_largest = 0;
        g_recording = true;
        const bool decodedOk = Decode(*bytes, decoded);
        g_recording = false;
        EXPECT_FALSE(decodedOk) << bytes->size();
        EXPECT_LT(g_largest.load(), std::size_t{1} << 20) << bytes->size();
    }
    DecodedImage decoded;
    EXPECT_TRUE(Decode(image, decoded)) << "the same image without the chunk";
#else
    GTEST_SKIP() << "the allocation is watched through the address sanitizer's hooks";
#endif
}

// A file may make the decoder allocate no more than its limits allow, whatever its chunks
// hold: a text chunk longer than the chunk limit is skipped unread, an embedded colour profile
// that would unpack past it is ignored (both images decode as without them), and an image
// wider than the widest allowed is refused.
TEST(PngDecoderTest, WhatAFileMayMakeTheDecoderAllocateIsLimited)
{
    std::vector<std::uint8_t> pixels(4 * 4 * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(i * 29 + 3);
    const std::string image = TestSupport::EncodePng(4, 4, pixels);

    // A colour profile whose header claims 7,000,000 bytes (zeros, so a few kilobytes packed).
    std::string profile(7000000, '\0');
    const auto put = [&profile](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            profile[at + i] = static_cast<char>(value >> (24 - 8 * i));
    };
    put(0, 7000000);
    profile.replace(12, 12, "mntrRGB XYZ ");
    profile.replace(36, 4, "acsp");
    put(68, 0xF6D6); // the D50 white point
    put(72, 0x10000);
    put(76, 0xD32D);
    std::string packed(compressBound(profile.size()), '\0');
    uLongf packedSize = packed.size();
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                        reinterpret_cast<const Bytef*>(profile.data()), profile.size(), 9),
              Z_OK);
    packed.resize(packedSize);
    const std::string withProfile = WithChunk(image, Chunk("iCCP", std::string("icc\0\0", 5) + packed));
    const std::string withText =
        WithChunk(image, Chunk("tEXt", "Comment" + std::string(1, '\0') + std::string(kMaxPngChunkBytes + 1, 'x')));
    std::vector<std::uint8_t> row(std::size_t{kMaxPngSide + 1} * 4, 0x80);
    const std::string tooWide = TestSupport::EncodePng(kMaxPngSide + 1, 1, row);
    ASSERT_FALSE(tooWide.empty());

    struct Case
    {
        const std::string* bytes;
        bool decodes;
    };
    for (const auto& [bytes, decodes] : {Case{&withProfile, true}, Case{&withText, true}, Case{&tooWide, false}})
    {
        DecodedImage decoded;
#if defined(__SANITIZE_ADDRESS__)
        ASSERT_TRUE(InstallAllocationHooks());
        g_largest = 0;
        g_recording = true;
#endif
        const bool decodedOk = Decode(*bytes, decoded);
#if defined(__SANITIZE_ADDRESS__)
        g_recording = false;
        EXPECT_LE(g_largest.load(), std::size_t{kMaxPngChunkBytes}) << bytes->size();
#endif
        ASSERT_EQ(decodedOk, decodes) << bytes->size();
        if (decodes)
        {
            EXPECT_EQ(decoded.pixels, pixels);
        }
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        EXPECT_EQ(ReadPngSize(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size(), width, height),
                  decodes);
    }
}

} // namespace
} // namespace QK
