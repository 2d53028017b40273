#include "QKFramework/Utilities/Storage/ConvertUtf.h"

namespace QK
{

namespace
{

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kMaxBmp = 0xFFFF;
constexpr char32_t kMaxUtf16 = 0x10FFFF;
constexpr char32_t kHighFirst = 0xD800;
constexpr char32_t kHighLast = 0xDBFF;
constexpr char32_t kLowFirst = 0xDC00;
constexpr char32_t kLowLast = 0xDFFF;
// The escape of a byte of a file name that is not UTF-8: U+DC00 plus the byte.
constexpr char16_t kEscapeBase = 0xDC00;

constexpr unsigned char kFirstByteMark[5] = {0x00, 0x00, 0xC0, 0xE0, 0xF0};

// What the reference subtracts after adding up a sequence of 1 to 6 bytes, 6 bits each.
constexpr char32_t kOffsetsFromUtf8[6] = {0x00000000, 0x00003080, 0x000E2080,
                                          0x03C82080, 0xFA082080, 0x82082080};

int TrailingBytes(unsigned char lead)
{
    if (lead < 0xC0)
        return 0;
    if (lead < 0xE0)
        return 1;
    if (lead < 0xF0)
        return 2;
    if (lead < 0xF8)
        return 3;
    if (lead < 0xFC)
        return 4;
    return 5;
}

} // namespace

UtfResult Utf16ToUtf8(const char16_t** sourceStart, const char16_t* sourceEnd, char** targetStart,
                      char* targetEnd, UtfMode mode)
{
    UtfResult result = UtfOk;
    const char16_t* source = *sourceStart;
    char* target = *targetStart;
    const bool strict = mode == UtfMode::Strict;
    while (source < sourceEnd)
    {
        const char16_t* start = source;
        char32_t ch = *source++;
        if (ch >= kHighFirst && ch <= kHighLast)
        {
            if (source == sourceEnd)
            {
                source = start;
                result = UtfSourceExhausted;
                break;
            }
            const char32_t low = *source;
            if (low >= kLowFirst && low <= kLowLast)
            {
                ch = ((ch - kHighFirst) << 10) + (low - kLowFirst) + 0x10000;
                ++source;
            }
            else if (strict)
            {
                source = start;
                result = UtfSourceIllegal;
                break;
            }
        }
        else if (strict && ch >= kLowFirst && ch <= kLowLast)
        {
            source = start;
            result = UtfSourceIllegal;
            break;
        }

        int bytes;
        if (ch < 0x80)
            bytes = 1;
        else if (ch < 0x800)
            bytes = 2;
        else if (ch < 0x10000)
            bytes = 3;
        else if (ch <= kMaxUtf16)
            bytes = 4;
        else
        {
            bytes = 3;
            ch = kReplacement;
        }
        if (targetEnd - target < bytes)
        {
            source = start;
            result = UtfTargetExhausted;
            break;
        }
        for (int i = bytes - 1; i > 0; --i)
        {
            target[i] = static_cast<char>(0x80 | (ch & 0x3F));
            ch >>= 6;
        }
        target[0] = static_cast<char>(kFirstByteMark[bytes] | ch);
        target += bytes;
    }
    *sourceStart = source;
    *targetStart = target;
    return result;
}

UtfResult Utf8ToUtf16(const char** sourceStart, const char* sourceEnd, char16_t** targetStart,
                      char16_t* targetEnd, UtfMode mode)
{
    UtfResult result = UtfOk;
    const unsigned char* source = reinterpret_cast<const unsigned char*>(*sourceStart);
    const unsigned char* end = reinterpret_cast<const unsigned char*>(sourceEnd);
    char16_t* target = *targetStart;
    const bool strict = mode == UtfMode::Strict;
    while (source < end)
    {
        const int extra = TrailingBytes(*source);
        if (extra >= end - source)
        {
            result = UtfSourceExhausted;
            break;
        }
        if (!IsLegalUtf8Sequence(source, extra + 1))
        {
            result = UtfSourceIllegal;
            break;
        }
        char32_t ch = 0;
        for (int i = 0; i <= extra; ++i)
            ch = (ch << 6) + source[i];
        ch -= kOffsetsFromUtf8[extra];

        if (target >= targetEnd)
        {
            result = UtfTargetExhausted;
            break;
        }
        if (ch <= kMaxBmp)
        {
            if (ch >= kHighFirst && ch <= kLowLast)
            {
                if (strict)
                {
                    result = UtfSourceIllegal;
                    break;
                }
                *target++ = static_cast<char16_t>(kReplacement);
            }
            else
                *target++ = static_cast<char16_t>(ch);
        }
        else if (ch > kMaxUtf16)
        {
            if (strict)
            {
                result = UtfSourceIllegal;
                break;
            }
            *target++ = static_cast<char16_t>(kReplacement);
        }
        else
        {
            if (targetEnd - target < 2)
            {
                result = UtfTargetExhausted;
                break;
            }
            ch -= 0x10000;
            *target++ = static_cast<char16_t>((ch >> 10) + kHighFirst);
            *target++ = static_cast<char16_t>((ch & 0x3FF) + kLowFirst);
        }
        source += extra + 1;
    }
    *sourceStart = reinterpret_cast<const char*>(source);
    *targetStart = target;
    return result;
}

bool IsLegalUtf8Sequence(const unsigned char* bytes, int length)
{
    if (length < 1 || length > 4)
        return false;
    for (int i = 1; i < length; ++i)
    {
        if (bytes[i] < 0x80 || bytes[i] > 0xBF)
            return false;
    }
    const unsigned char lead = bytes[0];
    if (length >= 2)
    {
        const unsigned char second = bytes[1];
        switch (lead)
        {
        case 0xE0:
            if (second < 0xA0)
                return false;
            break;
        case 0xED:
            if (second > 0x9F)
                return false;
            break;
        case 0xF0:
            if (second < 0x90)
                return false;
            break;
        case 0xF4:
            if (second > 0x8F)
                return false;
            break;
        default:
            break;
        }
    }
    if (lead >= 0x80 && lead < 0xC2)
        return false;
    return lead < 0xF5;
}

std::u16string FileNameBytesToUtf16(const char* bytes, std::size_t count)
{
    std::u16string text;
    text.reserve(count);
    const char* source = bytes;
    const char* const end = bytes + count;
    while (source < end)
    {
        // One character at a time, so that a byte that starts no well-formed sequence costs
        // only itself and the text after it still reads as text.
        const auto lead = static_cast<unsigned char>(*source);
        const int length = TrailingBytes(lead) + 1;
        if (length <= end - source && IsLegalUtf8Sequence(reinterpret_cast<const unsigned char*>(source), length))
        {
            char16_t units[2];
            char16_t* target = units;
            const char* next = source;
            if (Utf8ToUtf16(&next, source + length, &target, units + 2, UtfMode::Strict) == UtfOk)
            {
                text.append(units, static_cast<std::size_t>(target - units));
                source = next;
                continue;
            }
        }
        text.push_back(static_cast<char16_t>(kEscapeBase + lead));
        ++source;
    }
    return text;
}

bool Utf16ToFileNameBytes(const char16_t* text, std::size_t count, std::string& bytes)
{
    bytes.clear();
    bytes.reserve(count * 3);
    std::size_t i = 0;
    while (i < count)
    {
        const char16_t unit = text[i];
        if (IsEscapedNameByte(unit))
        {
            bytes.push_back(static_cast<char>(unit - kEscapeBase));
            ++i;
            continue;
        }
        const std::size_t units = (unit >= kHighFirst && unit <= kHighLast && i + 1 < count) ? 2 : 1;
        char buffer[4];
        char* target = buffer;
        const char16_t* source = text + i;
        // Strict: any other lone surrogate has no bytes.
        if (Utf16ToUtf8(&source, text + i + units, &target, buffer + sizeof buffer, UtfMode::Strict) != UtfOk)
        {
            bytes.clear();
            return false;
        }
        bytes.append(buffer, static_cast<std::size_t>(target - buffer));
        i += units;
    }
    if (FileNameBytesToUtf16(bytes.data(), bytes.size()).compare(0, std::u16string::npos, text, count) != 0)
    {
        bytes.clear();
        return false;
    }
    return true;
}

} // namespace QK
