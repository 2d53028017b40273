// Conversion between UTF-16 and UTF-8, after the Unicode Consortium's reference converter.
//
// Each call converts from *sourceStart up to sourceEnd into *targetStart up to targetEnd,
// writes both pointers back wherever it stopped, and allocates nothing. Strict mode stops
// at anything that is not well-formed Unicode; lenient mode lets lone surrogates through
// (UTF-16 to UTF-8) or replaces them by U+FFFD (UTF-8 to UTF-16). Ill-formed UTF-8 stops
// the conversion in both modes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace QK
{

enum UtfResult : int
{
    UtfOk = 0,
    // The source ends inside a sequence; the source pointer is left at its start.
    UtfSourceExhausted = 1,
    // The next character does not fit; the source pointer is left at it.
    UtfTargetExhausted = 2,
    // An ill-formed sequence; the source pointer is left at its start.
    UtfSourceIllegal = 3,
};

enum class UtfMode
{
    Strict,
    Lenient,
};

UtfResult Utf16ToUtf8(const char16_t** sourceStart, const char16_t* sourceEnd, char** targetStart,
                      char* targetEnd, UtfMode mode);

UtfResult Utf8ToUtf16(const char** sourceStart, const char* sourceEnd, char16_t** targetStart,
                      char16_t* targetEnd, UtfMode mode);

// Whether length bytes (1 to 4) form one well-formed UTF-8 sequence.
bool IsLegalUtf8Sequence(const unsigned char* bytes, int length);

// File names are bytes, and not every byte string is UTF-8. These two carry any name through
// UTF-16 and back unchanged: a byte that is not part of well-formed UTF-8 becomes the lone low
// surrogate U+DC80 to U+DCFF (bytes 0x80 to 0xFF; a byte below 0x80 is always text) and turns
// back into that byte. Well-formed UTF-8 converts as all text does, so a name that is UTF-8
// reads exactly as the text it spells.
std::u16string FileNameBytesToUtf16(const char* bytes, std::size_t count);

// Whether unit is the escape of a byte of a file name.
constexpr bool IsEscapedNameByte(char16_t unit)
{
    return unit >= 0xDC80 && unit <= 0xDCFF;
}

// Whether text[i] stands for a byte of a file name: an escape unit that is not the second
// half of a surrogate pair (a character above U+FFFF can end in such a unit too).
constexpr bool IsEscapedNameByteAt(const char16_t* text, std::size_t i)
{
    return IsEscapedNameByte(text[i]) && !(i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF);
}

// False, with bytes empty, for text that names no file: a lone surrogate that stands for no
// byte, or escaped bytes that together spell UTF-8 (they would read back as other text, the
// name of another file).
bool Utf16ToFileNameBytes(const char16_t* text, std::size_t count, std::string& bytes);

} // namespace QK
