#include "QKFramework/Utilities/Graphics/ColorRGBA.h"

#include "QKFramework/Utilities/Storage/CharUtil.h"

#include <cstring>

namespace QK
{

namespace
{

float FromByte(std::uint32_t value, int shift)
{
    return static_cast<float>((value >> shift) & 0xFF) * ColorRGBA::kByteFactor;
}

std::uint32_t ToByte(float channel)
{
    const float scaled = channel * 255.0f;
    const float rounded = scaled < 0.0f ? scaled - 0.5f : scaled + 0.5f;
    // Held before the truncation: converting a float beyond the integer range is undefined.
    if (!(rounded > 0.0f))
        return 0;
    if (rounded >= 255.0f)
        return 255;
    return static_cast<std::uint32_t>(rounded);
}

} // namespace

void ColorRGBA::FromARGB(std::uint32_t argb)
{
    r = FromByte(argb, 16);
    g = FromByte(argb, 8);
    b = FromByte(argb, 0);
    a = FromByte(argb, 24);
}

std::uint32_t ColorRGBA::ToARGB() const
{
    return ToByte(a) << 24 | ToByte(r) << 16 | ToByte(g) << 8 | ToByte(b);
}

void ColorRGBA::FromHexString(const char* text)
{
    if (!text)
        return;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text += 2;
    const std::size_t length = std::strlen(text);
    if (length != 2 && length != 6 && length != 8)
        return;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < length; ++i)
    {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0)
            return;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    switch (length)
    {
    case 2:
        a = FromByte(value, 0);
        break;
    case 6:
        r = FromByte(value, 16);
        g = FromByte(value, 8);
        b = FromByte(value, 0);
        break;
    default:
        FromARGB(value);
        break;
    }
}

} // namespace QK
