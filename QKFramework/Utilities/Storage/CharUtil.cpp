#include "QKFramework/Utilities/Storage/CharUtil.h"

#include "QKFramework/Platform/Core/CLocaleScope.h"
#include "QKFramework/Utilities/Storage/ConvertUtf.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <type_traits>
#include <string>
#include <vector>

namespace QK
{

namespace
{

// Latin Extended-A pairs capital and small letters side by side; the ranges differ in
// whether the capital is the even or the odd code.
bool IsEvenCapitalPairRange(char16_t c)
{
    return (c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
}

bool IsOddCapitalPairRange(char16_t c)
{
    return (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
}

bool IsBlank(unsigned c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Leading blanks, a sign and decimal digits; a value outside R's range saturates.
template <class R, class C> R ParseIntegerOf(const C* text)
{
    using U = std::make_unsigned_t<R>;
    while (IsBlank(static_cast<std::make_unsigned_t<C>>(*text)))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    const U limit = negative ? U(std::numeric_limits<R>::max()) + 1 : U(std::numeric_limits<R>::max());
    U value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
    {
        const unsigned digit = static_cast<unsigned>(*text - '0');
        if (value > (limit - digit) / 10)
        {
            value = limit;
            break;
        }
        value = value * 10 + digit;
    }
    return static_cast<R>(negative ? U(0) - value : value);
}

template <class C> int CompareNoCaseOf(const C* a, const C* b)
{
    using U = std::make_unsigned_t<C>;
    for (;; ++a, ++b)
    {
        const U x = static_cast<U>(ToLowerChar(*a));
        const U y = static_cast<U>(ToLowerChar(*b));
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            return 0;
    }
}

// The length of text without a UTF-8 sequence cut short at its end.
std::size_t WithoutCutSequence(const char* text, std::size_t length)
{
    std::size_t start = length;
    while (start > 0 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80 && length - start < 3)
        --start;
    if (start == 0)
        return length;
    const unsigned char lead = static_cast<unsigned char>(text[start - 1]);
    const std::size_t needed = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    const std::size_t present = length - start + 1;
    return present < needed ? start - 1 : length;
}

} // namespace

char16_t ToUpperChar(char16_t c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? char16_t(c - 32) : c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F))
        return char16_t(c - 32);
    if (c == 0xFF)
        return 0x178;
    if (c == 0x131)
        return u'I';
    if (c == 0x3C2)
        return 0x3A3;
    if (c >= 0x450 && c <= 0x45F)
        return char16_t(c - 80);
    if (IsEvenCapitalPairRange(c) && (c & 1) == 1)
        return char16_t(c - 1);
    if (IsOddCapitalPairRange(c) && (c & 1) == 0)
        return char16_t(c - 1);
    return c;
}

char16_t ToLowerChar(char16_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return char16_t(c + 32);
    if (c == 0x178)
        return 0xFF;
    if (c == 0x130)
        return u'i';
    if (c >= 0x400 && c <= 0x40F)
        return char16_t(c + 80);
    if (IsEvenCapitalPairRange(c) && (c & 1) == 0)
        return char16_t(c + 1);
    if (IsOddCapitalPairRange(c) && (c & 1) == 1)
        return char16_t(c + 1);
    return c;
}

char ToUpperChar(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 32) : c;
}

bool IsPrintableChar(char16_t c)
{
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        return false;
    return c != 0x2028 && c != 0x2029 && c != 0xFFFE && c != 0xFFFF;
}

bool IsWhiteSpaceChar(char16_t c)
{
    if ((c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0x1680)
        return true;
    if (c >= 0x2000 && c <= 0x200A)
        return c != 0x2007;
    return c == 0x2028 || c == 0x2029 || c == 0x205F || c == 0x3000;
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

char ToLowerChar(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
}

int CompareNoCase(const char16_t* a, const char16_t* b)
{
    return CompareNoCaseOf(a, b);
}

int CompareNoCase(const char* a, const char* b)
{
    return CompareNoCaseOf(a, b);
}

std::int32_t ParseInt(const char16_t* text)
{
    return ParseIntegerOf<std::int32_t>(text);
}

std::int32_t ParseInt(const char* text)
{
    return ParseIntegerOf<std::int32_t>(text);
}

std::int64_t ParseInt64(const char* text)
{
    return ParseIntegerOf<std::int64_t>(text);
}

double ParseDouble(const char* text)
{
    CLocaleScope locale;
    return std::strtod(text, nullptr);
}

double ParseDouble(const char16_t* text)
{
    // A number is plain ASCII: the text up to its first other character is all strtod needs.
    std::string ascii;
    for (; *text != 0 && *text < 0x80; ++text)
        ascii.push_back(static_cast<char>(*text));
    return ParseDouble(ascii.c_str());
}

std::size_t FormatTextV(char* buffer, std::size_t count, const char* format, va_list args)
{
    if (count == 0)
        return 0;
    int written;
    {
        CLocaleScope locale;
        written = std::vsnprintf(buffer, count, format, args);
    }
    if (written < 0)
    {
        buffer[0] = 0;
        return 0;
    }
    if (static_cast<std::size_t>(written) < count)
        return static_cast<std::size_t>(written);
    const std::size_t length = WithoutCutSequence(buffer, count - 1);
    buffer[length] = 0;
    return length;
}

std::size_t FormatTextV(char16_t* buffer, std::size_t count, const char16_t* format, va_list args)
{
    if (count == 0)
        return 0;
    buffer[0] = 0;
    const std::size_t formatLength = TextLength(format);
    std::vector<char> narrowFormat(formatLength * 3 + 1);
    const char16_t* from = format;
    char* to = narrowFormat.data();
    Utf16ToUtf8(&from, format + formatLength, &to, narrowFormat.data() + formatLength * 3, UtfMode::Lenient);
    *to = 0;

    // Every UTF-16 unit takes at most three bytes, so this much narrow text fills the buffer.
    // Most texts are short: they are made in a small buffer first, and only a text that may
    // have been cut there is made again at the full size (a buffer that is not cleared first).
    const std::size_t limit = (count - 1) * 3 + 1;
    char small[256];
    va_list again;
    va_copy(again, args);
    std::size_t narrowLength = FormatTextV(small, std::min(sizeof small, limit), narrowFormat.data(), args);
    const char* narrow = small;
    std::unique_ptr<char[]> large;
    if (limit > sizeof small && narrowLength + 4 >= sizeof small)
    {
        large.reset(new char[limit]);
        narrowLength = FormatTextV(large.get(), limit, narrowFormat.data(), again);
        narrow = large.get();
    }
    va_end(again);

    const char* source = narrow;
    char16_t* target = buffer;
    // The converter never splits a surrogate pair at the target end.
    Utf8ToUtf16(&source, narrow + narrowLength, &target, buffer + count - 1, UtfMode::Lenient);
    *target = 0;
    return static_cast<std::size_t>(target - buffer);
}

std::size_t FormatText(char* buffer, std::size_t count, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::size_t length = FormatTextV(buffer, count, format, args);
    va_end(args);
    return length;
}

std::size_t FormatText(char16_t* buffer, std::size_t count, const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::size_t length = FormatTextV(buffer, count, format, args);
    va_end(args);
    return length;
}

} // namespace QK
