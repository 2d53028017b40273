// Conversion between UTF-16 and UTF-8, after the Unicode Consortium's reference converter.
//
// Each call converts from *sourceStart up to sourceEnd into *targetStart up to targetEnd,
// writes both pointers back wherever it stopped, and allocates nothing. Strict mode stops
// at anything that is not well-formed Unicode; lenient mode lets lone surrogates through
// (UTF-16 to UTF-8) or replaces them by U+FFFD (UTF-8 to UTF-16). Ill-formed UTF-8 stops
// the conversion in both modes.
#pragma once

#include <cstdint>

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

} // namespace QK
