// Contents: buffer helpers; construction and assignment; access and locking; concatenation
// and insertion; substrings; search and comparison; formatting; buffer access; the two
// instances.
#include "QKFramework/Utilities/Storage/StringT.h"

#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Utilities/Storage/CharUtil.h"
#include "QKFramework/Utilities/Storage/ConvertUtf.h"

#include <charconv>
#include <cstdarg>
#include <cstring>
#include <string>
#include <type_traits>

namespace QK
{

namespace
{

template <class C> using CharBuffer = LBufferT<1, 128, 8, C*>;

// Names as exception texts spell them.
template <class C> struct StringNames;
template <> struct StringNames<char16_t>
{
    static constexpr const char* lock = "QK::StringT<wchar_t,char>::Lock";
};
template <> struct StringNames<char>
{
    static constexpr const char* lock = "QK::StringT<char,wchar_t>::Lock";
};
constexpr const char* kStringSource = "utilities\\Storage/StringT";

// Bytes for a number of characters; a count that no 32-bit buffer can hold is an
// allocation failure.
template <class C> std::uint32_t BytesFor(std::uint64_t chars)
{
    const std::uint64_t bytes = chars * sizeof(C);
    if (bytes > UINT32_MAX)
        ThrowBadAlloc();
    return static_cast<std::uint32_t>(bytes);
}

template <class C> C* CharsOf(const ConstRCPtr<LIBuffer>& buffer)
{
    return static_cast<C*>(buffer->GetBuffer());
}

// A new shareable buffer holding length characters of text and a terminator. Text of
// another character type is copied unit by unit (ASCII only).
template <class C, class Source> RCPtr<LIBuffer> NewBuffer(const Source* text, std::size_t length)
{
    RCPtr<LIBuffer> buffer;
    CharBuffer<C>::Create(buffer, BytesFor<C>(std::uint64_t(length) + 1), 0, true);
    C* data = CharsOf<C>(buffer);
    if constexpr (std::is_same_v<C, Source>)
    {
        if (length != 0)
            std::memcpy(data, text, length * sizeof(C));
    }
    else
    {
        for (std::size_t i = 0; i < length; ++i)
            data[i] = static_cast<C>(static_cast<std::make_unsigned_t<Source>>(text[i]));
    }
    return buffer;
}

template <class C> const RCPtr<LIBuffer>& SharedEmptyBuffer()
{
    static const RCPtr<LIBuffer> empty = NewBuffer<C, C>(nullptr, 0);
    return empty;
}

// Converts from *source up to end into [target, targetEnd).
UtfResult ConvertUnits(const char** source, const char* end, char16_t** target, char16_t* targetEnd)
{
    return Utf8ToUtf16(source, end, target, targetEnd, UtfMode::Lenient);
}

UtfResult ConvertUnits(const char16_t** source, const char16_t* end, char** target, char* targetEnd)
{
    return Utf16ToUtf8(source, end, target, targetEnd, UtfMode::Lenient);
}

} // namespace

// --- Construction and assignment --------------------------------------------------------

template <class C, class OtherC> StringT<C, OtherC>::StringT() : m_buffer(SharedEmptyBuffer<C>()) {}

template <class C, class OtherC> StringT<C, OtherC>::StringT(const StringT& other)
{
    if (other.IsLocked())
    {
        AttachEmpty();
        Assign(other.GetString(), other.GetLength());
    }
    else
        m_buffer = other.m_buffer;
}

template <class C, class OtherC> StringT<C, OtherC>::StringT(const C* text) : m_buffer(SharedEmptyBuffer<C>())
{
    Assign(text, kNoLimit);
}

template <class C, class OtherC>
StringT<C, OtherC>::StringT(const OtherC* text) : m_buffer(SharedEmptyBuffer<C>())
{
    Convert(text, -1);
}

template <class C, class OtherC> StringT<C, OtherC>::StringT(C c) : m_buffer(SharedEmptyBuffer<C>())
{
    if (c != 0)
        m_buffer = NewBuffer<C>(&c, 1);
}

template <class C, class OtherC> StringT<C, OtherC>::~StringT() = default;

template <class C, class OtherC> StringT<C, OtherC>& StringT<C, OtherC>::operator=(const StringT& other)
{
    if (this == &other)
        return *this;
    if (!IsLocked() && !other.IsLocked())
        m_buffer = other.m_buffer;
    else
        Assign(other.GetString(), other.GetLength());
    return *this;
}

template <class C, class OtherC> void StringT<C, OtherC>::Assign(const C* text, std::uint32_t maxLength)
{
    if (!text || maxLength == 0 || text[0] == 0)
    {
        Clear();
        return;
    }
    const std::size_t length = TextLengthBounded(text, maxLength);
    if (IsLocked())
    {
        // The locked buffer keeps its size: a longer text is cut to it. The text may lie in
        // this very buffer.
        const std::size_t room = SizeInChars() - 1;
        const std::size_t kept = length < room ? length : room;
        C* data = Data();
        std::memmove(data, text, kept * sizeof(C));
        data[kept] = 0;
        return;
    }
    m_buffer = NewBuffer<C>(text, length);
}

template <class C, class OtherC>
QKRESULT StringT<C, OtherC>::AssignConverted(const OtherC* text, std::uint32_t maxLength)
{
    if (!text || maxLength == 0 || text[0] == 0)
    {
        Clear();
        return QK_OK;
    }
    StringT converted;
    const QKRESULT result =
        converted.Convert(text, static_cast<std::int32_t>(TextLengthBounded(text, maxLength)));
    Assign(converted.GetString(), converted.GetLength());
    return result;
}

template <class C, class OtherC> QKRESULT StringT<C, OtherC>::Convert(const OtherC* text, std::int32_t length)
{
    if (!text || length == 0 || (length < 0 && text[0] == 0))
    {
        AttachEmpty();
        return QK_OK;
    }
    const std::uint64_t count = length < 0 ? TextLength(text) + 1 : std::uint64_t(length);
    // A UTF-16 unit becomes at most 4 bytes (3, or 4 for half a pair); a UTF-8 byte at most
    // one unit. One more character holds the terminator.
    const std::uint64_t chars = count * (sizeof(C) == 1 ? 4 : 1) + 1;
    RCPtr<LIBuffer> buffer;
    CharBuffer<C>::Create(buffer, BytesFor<C>(chars), 0, true);
    C* const start = CharsOf<C>(buffer);
    const OtherC* source = text;
    C* target = start;
    const UtfResult converted = ConvertUnits(&source, text + count, &target, start + chars - 1);
    start[chars - 1] = 0;
    const std::size_t kept = TextLengthBounded(start, chars);
    if (kept == 0)
        AttachEmpty();
    else
    {
        buffer->SetSize(BytesFor<C>(kept + 1));
        m_buffer = std::move(buffer);
    }
    return converted == UtfOk ? QK_OK : QK_E_FAIL;
}

template <class C, class OtherC> void StringT<C, OtherC>::Clear()
{
    if (IsLocked())
        Data()[0] = 0;
    else
        AttachEmpty();
}

template <class C, class OtherC> WString StringT<C, OtherC>::ToWide() const
{
    if constexpr (std::is_same_v<C, char16_t>)
        return *this;
    else
        return WString(GetString());
}

// --- Access and locking -----------------------------------------------------------------

template <class C, class OtherC> const C* StringT<C, OtherC>::GetString() const
{
    return Data();
}

template <class C, class OtherC> std::uint32_t StringT<C, OtherC>::GetLength() const
{
    if (IsLocked())
        return static_cast<std::uint32_t>(TextLengthBounded(Data(), SizeInChars()));
    return SizeInChars() - 1;
}

template <class C, class OtherC> bool StringT<C, OtherC>::IsEmpty() const
{
    return Data()[0] == 0;
}

template <class C, class OtherC> C* StringT<C, OtherC>::Lock(std::uint32_t count)
{
    if (IsLocked())
        return nullptr;
    const std::uint32_t chars = count != 0 ? count : GetLength() + 1;
    if (m_buffer->GetRefCount() > 1)
    {
        RCPtr<LIBuffer> copy;
        m_buffer->CreateSizedCopy(copy, BytesFor<C>(chars), 0);
        // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
        if (!copy)
            Throw<std::runtime_error>(ThrowSite{StringNames<C>::lock, kStringSource, 764});
        m_buffer = std::move(copy);
    }
    else
    {
        const std::uint32_t oldSize = m_buffer->GetSize();
        m_buffer->SetSize(BytesFor<C>(chars));
        if (m_buffer->GetSize() > oldSize)
            m_buffer->Fill(0, oldSize, -1);
    }
    m_buffer->SetUnshareable(true);
    C* data = Data();
    data[chars - 1] = 0;
    return data;
}

template <class C, class OtherC> QKRESULT StringT<C, OtherC>::Unlock()
{
    if (!IsLocked())
        return QK_FALSE;
    const std::uint32_t length = GetLength();
    if (length == 0)
    {
        AttachEmpty();
        return QK_OK;
    }
    m_buffer->SetUnshareable(false);
    m_buffer->SetSize(BytesFor<C>(std::uint64_t(length) + 1));
    Data()[length] = 0;
    return QK_OK;
}

// --- Concatenation and insertion --------------------------------------------------------

template <class C, class OtherC> void StringT<C, OtherC>::Append(const StringT& other)
{
    // Taken first: other may be this string.
    const std::uint32_t otherLength = other.GetLength();
    if (otherLength == 0)
        return;
    const std::uint32_t length = GetLength();
    const std::uint32_t total = BytesFor<C>(std::uint64_t(length) + otherLength + 1) / sizeof(C);
    const bool locked = IsLocked();
    C* data;
    if (locked)
    {
        m_buffer->SetSize(total * sizeof(C));
        data = Data();
        data[total - 1] = 0;
    }
    else
        data = Lock(total);
    std::memmove(data + length, other.GetString(), otherLength * sizeof(C));
    if (!locked)
        Unlock();
}

template <class C, class OtherC> StringT<C, OtherC> StringT<C, OtherC>::operator+(const StringT& other) const
{
    StringT result(*this);
    result.Append(other);
    return result;
}

template <class C, class OtherC> QKRESULT StringT<C, OtherC>::AppendChar(C c)
{
    return Insert(GetLength(), &c, 1);
}

template <class C, class OtherC> QKRESULT StringT<C, OtherC>::AppendChar(OtherC c)
{
    const OtherC text[2] = {c, 0};
    return Insert(GetLength(), text);
}

template <class C, class OtherC>
QKRESULT StringT<C, OtherC>::Insert(std::uint32_t position, const StringT& other)
{
    const std::uint32_t length = GetLength();
    if (position > length)
        return QK_E_INVALIDARG;
    if (position == length)
        Append(other);
    else if (position == 0)
        *this = other + *this;
    else
        *this =
            Left(static_cast<std::int32_t>(position)) + other + MidFrom(static_cast<std::int32_t>(position));
    return QK_OK;
}

template <class C, class OtherC>
QKRESULT StringT<C, OtherC>::Insert(std::uint32_t position, const C* text, std::uint32_t count)
{
    StringT part;
    part.Assign(text, count < kNoLimit ? count : kNoLimit);
    return Insert(position, part);
}

template <class C, class OtherC>
QKRESULT StringT<C, OtherC>::Insert(std::uint32_t position, const OtherC* text)
{
    return Insert(position, StringT(text));
}

// --- Substrings -------------------------------------------------------------------------

template <class C, class OtherC>
StringT<C, OtherC> StringT<C, OtherC>::Mid(std::int32_t start, std::int32_t count) const
{
    return Section(start, count);
}

template <class C, class OtherC> StringT<C, OtherC> StringT<C, OtherC>::MidFrom(std::int32_t start) const
{
    return Section(start, std::int64_t(GetLength()) - start);
}

template <class C, class OtherC> StringT<C, OtherC> StringT<C, OtherC>::Left(std::int32_t count) const
{
    return Section(0, count);
}

template <class C, class OtherC>
StringT<C, OtherC> StringT<C, OtherC>::Section(std::int64_t start, std::int64_t count) const
{
    const std::int64_t length = GetLength();
    if (start < 0)
    {
        start += length;
        if (start < 0)
        {
            count += start;
            start = 0;
        }
    }
    StringT result;
    if (start < length && count > 0)
        result.Assign(GetString() + start,
                      static_cast<std::uint32_t>(count < length - start ? count : length - start));
    return result;
}

// --- Search and comparison --------------------------------------------------------------

template <class C, class OtherC> std::int32_t StringT<C, OtherC>::Find(const StringT& other) const
{
    const C* found = FindText(GetString(), other.GetString());
    return found ? static_cast<std::int32_t>(found - GetString()) : -1;
}

template <class C, class OtherC> std::int32_t StringT<C, OtherC>::ReverseFind(C c) const
{
    const C* found = FindLastChar(GetString(), c);
    return found ? static_cast<std::int32_t>(found - GetString()) : -1;
}

template <class C, class OtherC> std::int32_t StringT<C, OtherC>::ReverseFind(OtherC c) const
{
    if (c == 0)
        return ReverseFind(C(0));
    const OtherC text[2] = {c, 0};
    const StringT converted(text);
    return converted.GetLength() == 1 ? ReverseFind(converted.GetString()[0]) : -1;
}

template <class C, class OtherC> bool StringT<C, OtherC>::IsEqual(const C* text) const
{
    if (!text || text[0] == 0)
        return IsEmpty();
    const C* data = Data();
    const std::uint32_t length = GetLength();
    for (std::uint32_t i = 0; i < length; ++i)
    {
        if (text[i] != data[i])
            return false;
    }
    return text[length] == 0;
}

template <class C, class OtherC> bool StringT<C, OtherC>::IsEqual(const StringT& other) const
{
    return m_buffer == other.m_buffer || IsEqual(other.GetString());
}

template <class C, class OtherC> bool StringT<C, OtherC>::operator<(const StringT& other) const
{
    using Unit = std::make_unsigned_t<C>;
    const C* a = GetString();
    const C* b = other.GetString();
    if (a == b)
        return false;
    for (;; ++a, ++b)
    {
        const Unit x = static_cast<Unit>(*a);
        const Unit y = static_cast<Unit>(*b);
        if (x != y)
            return x < y;
        if (x == 0)
            return false;
    }
}

template <class C, class OtherC> StringT<C, OtherC> StringT<C, OtherC>::ToUpper() const
{
    return MapCharacters(&ToUpperChar);
}

template <class C, class OtherC> StringT<C, OtherC> StringT<C, OtherC>::ToLower() const
{
    return MapCharacters(&ToLowerChar);
}

template <class C, class OtherC> StringT<C, OtherC> StringT<C, OtherC>::MapCharacters(C (*map)(C)) const
{
    StringT result;
    const std::uint32_t length = GetLength();
    if (length == 0)
        return result;
    result.m_buffer = NewBuffer<C>(GetString(), length);
    C* data = result.Data();
    for (std::uint32_t i = 0; i < length; ++i)
        data[i] = map(data[i]);
    return result;
}

template <class C, class OtherC> void StringT<C, OtherC>::ReplaceCharacters(const C* set, C replacement)
{
    if (replacement == 0 || !set || set[0] == 0)
        return;
    const std::uint32_t length = GetLength();
    const C* text = GetString();
    std::uint32_t first = 0;
    while (first < length && !FindLastChar(set, text[first]))
        ++first;
    if (first == length)
        return;
    const bool locked = IsLocked();
    C* data = locked ? Data() : Lock();
    for (std::uint32_t i = first; i < length; ++i)
    {
        if (FindLastChar(set, data[i]))
            data[i] = replacement;
    }
    if (!locked)
        Unlock();
}

template <class C, class OtherC> std::int32_t StringT<C, OtherC>::ToInt() const
{
    return ParseInt(GetString());
}

template <class C, class OtherC> double StringT<C, OtherC>::ToDouble() const
{
    return ParseDouble(GetString());
}

template <class C, class OtherC> StringArrayT<C, OtherC> StringT<C, OtherC>::Split(const C* separators) const
{
    StringArrayT<C, OtherC> parts;
    SplitInto(separators, parts);
    return parts;
}

// --- Formatting -------------------------------------------------------------------------

template <class C, class OtherC> StringT<C, OtherC> StringT<C, OtherC>::Format(const C* format, ...)
{
    StringT result;
    if (!format)
        return result;
    C buffer[kFormatBufferLength];
    va_list args;
    va_start(args, format);
    const std::size_t length = FormatTextV(buffer, kFormatBufferLength, format, args);
    va_end(args);
    result.Assign(buffer, static_cast<std::uint32_t>(length));
    return result;
}

template <class C, class OtherC>
StringT<C, OtherC> StringT<C, OtherC>::FixedPointToString(std::int32_t value, std::int32_t decimals)
{
    const std::uint32_t magnitude =
        value < 0 ? static_cast<std::uint32_t>(-std::int64_t(value)) : static_cast<std::uint32_t>(value);
    return FixedPoint(magnitude, value < 0, decimals);
}

template <class C, class OtherC>
StringT<C, OtherC> StringT<C, OtherC>::FixedPointToStringUnsigned(std::uint32_t value, std::int32_t decimals)
{
    return FixedPoint(value, false, decimals);
}

template <class C, class OtherC>
StringT<C, OtherC> StringT<C, OtherC>::FixedPoint(std::uint32_t magnitude, bool negative,
                                                  std::int32_t decimals)
{
    char digits[16];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, magnitude);
    const std::size_t count = static_cast<std::size_t>(end.ptr - digits);

    // Zeros in front until there are at least decimals digits, then the point before the
    // last decimals of them; the sign goes in front of it all.
    const std::size_t fraction = decimals > 0 ? static_cast<std::size_t>(decimals) : 0;
    const std::size_t width = count > fraction ? count : fraction;
    std::string text;
    text.reserve(width + 2);
    if (negative)
        text.push_back('-');
    text.append(width - count, '0');
    text.append(digits, count);
    if (fraction > 0)
        text.insert(text.size() - fraction, 1, '.');
    return FromAscii(text.c_str());
}

template <class C, class OtherC>
StringT<C, OtherC> StringT<C, OtherC>::DoubleToString(double value, std::int32_t decimals)
{
    char text[kFormatBufferLength];
    if (decimals >= 0)
        FormatText(text, sizeof text, "%.*lf", static_cast<int>(decimals), value);
    else
        FormatText(text, sizeof text, "%lf", value);
    return FromAscii(text);
}

template <class C, class OtherC> StringT<C, OtherC> StringT<C, OtherC>::FromAscii(const char* text)
{
    StringT result;
    const std::size_t length = TextLength(text);
    if (length != 0)
        result.m_buffer = NewBuffer<C>(text, length);
    return result;
}

// --- Buffer access ----------------------------------------------------------------------

template <class C, class OtherC> C* StringT<C, OtherC>::Data() const
{
    return CharsOf<C>(m_buffer);
}

template <class C, class OtherC> std::uint32_t StringT<C, OtherC>::SizeInChars() const
{
    return m_buffer->GetSize() / sizeof(C);
}

template <class C, class OtherC> bool StringT<C, OtherC>::IsLocked() const
{
    return !m_buffer->IsShareable();
}

template <class C, class OtherC> void StringT<C, OtherC>::AttachEmpty()
{
    m_buffer = SharedEmptyBuffer<C>();
}

// --- The two instances ------------------------------------------------------------------

template class StringT<char16_t, char>;
template class StringT<char, char16_t>;

namespace
{
template <class C> bool IsTrimmedWhitespace(C c)
{
    return c == C(' ') || c == C('\t') || c == C('\r') || c == C('\n');
}
} // namespace

template <class C, class OtherC> StringT<C, OtherC> TrimWhitespace(const StringT<C, OtherC>& text)
{
    const C* data = text.GetString();
    const std::uint32_t length = text.GetLength();
    std::uint32_t start = 0;
    while (start < length && IsTrimmedWhitespace(data[start]))
        ++start;
    if (start == 0 || start == length)
        return text;
    return text.MidFrom(static_cast<std::int32_t>(start));
}

template WString TrimWhitespace(const WString&);
template NString TrimWhitespace(const NString&);

template <class C, class OtherC> StringT<C, OtherC> TrimWhitespaceRight(const StringT<C, OtherC>& text)
{
    const C* data = text.GetString();
    const std::uint32_t length = text.GetLength();
    std::uint32_t end = length;
    while (end > 0 && IsTrimmedWhitespace(data[end - 1]))
        --end;
    if (end == length || end == 0)
        return text;
    return text.Left(static_cast<std::int32_t>(end));
}

template WString TrimWhitespaceRight(const WString&);
template NString TrimWhitespaceRight(const NString&);

} // namespace QK
