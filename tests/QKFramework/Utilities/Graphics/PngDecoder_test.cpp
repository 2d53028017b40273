#include "QKFramework/Utilities/Graphics/PngDecoder.h"

#include "PngTestImages.h"
#include "QKFramework/Platform/Core/Resources.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <random>

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
    }
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

} // namespace
} // namespace QK
