#include "QKFramework/Utilities/Graphics/PngDecoder.h"

#include "PngTestImages.h"
#include "QKFramework/Platform/Core/Resources.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <atomic>
#include <random>

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
#endif

// A chunk may claim up to 2 GiB: the decoder must not allocate what a few bytes claim.
TEST(PngDecoderTest, AChunkThatClaimsMoreThanTheFileHoldsAllocatesNothingForIt)
{
#if defined(__SANITIZE_ADDRESS__)
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(RecordAllocation, IgnoreFree) != 0;
    ASSERT_TRUE(installed);
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

} // namespace
} // namespace QK
