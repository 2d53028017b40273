// Character-string helpers over the framework's two character types.
//
// char16_t text is UTF-16 and char text UTF-8; the C library offers nothing for char16_t,
// so length, search, case, number and formatting helpers live here. Numbers are always
// read and written in the "C" numeric locale ('.' as the decimal point), whatever the
// user's locale.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

namespace QK
{

template <class C> std::size_t TextLength(const C* text)
{
    std::size_t n = 0;
    while (text[n] != 0)
        ++n;
    return n;
}

// The length, looking at no more than max characters.
template <class C> std::size_t TextLengthBounded(const C* text, std::size_t max)
{
    std::size_t n = 0;
    while (n < max && text[n] != 0)
        ++n;
    return n;
}

// The first occurrence of part in text (text itself for an empty part), or null.
template <class C> const C* FindText(const C* text, const C* part)
{
    if (part[0] == 0)
        return text;
    for (; *text != 0; ++text)
    {
        std::size_t i = 0;
        while (part[i] != 0 && text[i] == part[i])
            ++i;
        if (part[i] == 0)
            return text;
    }
    return nullptr;
}

// The last occurrence of c in text, or null; c = 0 finds the terminator.
template <class C> const C* FindLastChar(const C* text, C c)
{
    const C* found = nullptr;
    do
    {
        if (*text == c)
            found = text;
    } while (*text++ != 0);
    return found;
}

// Simple case mapping: ASCII, Latin-1, Latin Extended-A, basic Greek and Cyrillic for
// char16_t; ASCII only for the bytes of UTF-8.
char16_t ToUpperChar(char16_t c);
char16_t ToLowerChar(char16_t c);
char ToUpperChar(char c);
char ToLowerChar(char c);

// Character classes for text typed by a person, the same in every locale (the "C" locale's
// would refuse every letter outside ASCII). Printable: anything but the C0 and C1 controls,
// DEL, the line and paragraph separators and the two non-characters U+FFFE and U+FFFF;
// each half of a surrogate pair counts, since a character beyond the BMP arrives as two.
bool IsPrintableChar(char16_t c);
// White space as the Unicode space separators and the line breaks: tab to carriage return,
// space, U+0085, U+1680, U+2000 to U+200A without the figure space U+2007, U+2028, U+2029,
// U+205F and U+3000. The no-break spaces (U+00A0, U+2007, U+202F) hold words together and
// are not white space.
bool IsWhiteSpaceChar(char16_t c);

// The value of a hexadecimal digit (either case); -1 for any other character.
int HexDigitValue(char c);

// Compares through ToLowerChar as unsigned units: negative, 0 or positive.
int CompareNoCase(const char16_t* a, const char16_t* b);
int CompareNoCase(const char* a, const char* b);

// Leading blanks, an optional sign and decimal digits; 0 when there are none. A value
// outside the 32-bit range gives INT32_MAX or INT32_MIN.
std::int32_t ParseInt(const char16_t* text);
std::int32_t ParseInt(const char* text);
// As ParseInt over the 64-bit range (INT64_MAX or INT64_MIN outside it).
std::int64_t ParseInt64(const char* text);

// A leading decimal or hexadecimal floating-point number, as strtod reads it; 0 when
// there is none.
double ParseDouble(const char16_t* text);
double ParseDouble(const char* text);

// printf-style formatting into buffer (count characters, terminator included). A longer
// text is cut at count - 1 characters without splitting a UTF-8 sequence or a surrogate
// pair. Answers the characters written. In the char16_t form the format is converted to
// UTF-8 first, so %s takes a narrow UTF-8 argument there too and %c an int.
std::size_t FormatTextV(char* buffer, std::size_t count, const char* format, va_list args);
std::size_t FormatTextV(char16_t* buffer, std::size_t count, const char16_t* format, va_list args);
std::size_t FormatText(char* buffer, std::size_t count, const char* format, ...);
std::size_t FormatText(char16_t* buffer, std::size_t count, const char16_t* format, ...);

} // namespace QK
