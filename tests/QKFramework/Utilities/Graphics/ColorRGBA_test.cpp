#include "QKFramework/Utilities/Graphics/ColorRGBA.h"

#include <gtest/gtest.h>

#include <limits>

namespace QK
{
namespace
{

constexpr float kF = ColorRGBA::kByteFactor;

TEST(ColorRGBATest, FromARGBScalesEachByteByTheSinglePrecisionFactor)
{
    ColorRGBA color;
    color.FromARGB(0x80FF4001);
    EXPECT_EQ(color.a, 128.0f * 0.003921569f);
    EXPECT_EQ(color.r, 255.0f * 0.003921569f);
    EXPECT_EQ(color.g, 64.0f * 0.003921569f);
    EXPECT_EQ(color.b, 1.0f * 0.003921569f);
}

TEST(ColorRGBATest, ToARGBRoundsHalfAwayFromZeroAndClamps)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct
    {
        ColorRGBA color;
        std::uint32_t packed;
    } cases[] = {
        {{1.2f, -0.1f, 0.5f, 1.0f}, 0xFFFF0080},
        {{0.0f, 1.0f, 0.0019f, 0.002f}, 0x0100FF00},
        {{nan, inf, -inf, 1e30f}, 0xFF00FF00},
        {{-0.001f, 254.4f / 255.0f, 254.6f / 255.0f, 0.0f}, 0x0000FEFF},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.color.ToARGB(), c.packed) << std::hex << c.packed;
}

TEST(ColorRGBATest, PackedColoursSurviveTheRoundTrip)
{
    for (const std::uint32_t packed : {0x00000000u, 0xFFFFFFFFu, 0x80FF4001u, 0x7F7F8081u, 0x01020304u})
    {
        ColorRGBA color;
        color.FromARGB(packed);
        EXPECT_EQ(color.ToARGB(), packed) << std::hex << packed;
    }
}

TEST(ColorRGBATest, FromHexStringActsByLengthOnly)
{
    const ColorRGBA start{0.25f, 0.5f, 0.75f, 0.125f};
    const struct
    {
        const char* text;
        ColorRGBA expected;
    } cases[] = {
        {"FF", {0.25f, 0.5f, 0.75f, 255 * kF}},
        {"0x00FF00", {0.0f, 255 * kF, 0.0f, 0.125f}},
        {"0X00ff00", {0.0f, 255 * kF, 0.0f, 0.125f}},
        {"80FF0000", {255 * kF, 0.0f, 0.0f, 128 * kF}},
        {"0x0a", {0.25f, 0.5f, 0.75f, 10 * kF}},
        // Other lengths and texts that are not wholly hexadecimal change nothing.
        {"FFF", start},
        {"", start},
        {"0x", start},
        {"0xFFFFFFFFFF", start},
        {"12345G", start},
        {"FF FF00", start},
        {"-1", start},
        {"+FFFFF", start},
    };
    for (const auto& c : cases)
    {
        ColorRGBA color = start;
        color.FromHexString(c.text);
        EXPECT_EQ(color, c.expected) << c.text;
    }
    ColorRGBA color = start;
    color.FromHexString(nullptr);
    EXPECT_EQ(color, start);
}

} // namespace
} // namespace QK
