// ColorRGBA: the drawing layer's colour, four floats nominally in 0..1, with its packed
// 0xAARRGGBB form and the hexadecimal text form that skins write.
#pragma once

#include <cstdint>

namespace QK
{

struct ColorRGBA
{
    // The single-precision value of 1/255, by which every packed byte is scaled.
    static constexpr float kByteFactor = 0.003921569f;

    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;

    // Sets all four channels from 0xAARRGGBB.
    void FromARGB(std::uint32_t argb);
    // Each channel times 255, rounded half away from zero and held to 0..255 (not a number
    // counts as 0), packed as 0xAARRGGBB.
    std::uint32_t ToARGB() const;
    // A text of hexadecimal digits after an optional "0x" or "0X", acting by its length: two
    // digits set alpha alone, six red, green and blue, eight all four as a packed colour.
    // Any other length, a null text or one with a character that is not a hexadecimal digit
    // changes nothing.
    void FromHexString(const char* text);

    friend bool operator==(const ColorRGBA&, const ColorRGBA&) = default;
};

} // namespace QK
