// StringT: the framework's string, for every name, path, message and text.
//
// WString (StringT<char16_t,char>) holds UTF-16 and NString (StringT<char,char16_t>) UTF-8;
// each converts into the other. A string is a value that shares its reference-counted
// character buffer with its copies and never writes a shared buffer:
//  - Shareable (the normal state): the buffer holds exactly the text and its terminator.
//  - Locked (after Lock): the buffer belongs to this string alone, may be larger than the
//    text, and is written in place until Unlock. Copying a locked string copies its text.
// Every empty string shares one empty buffer per character type.
//
// Formatting is printf-style in the "C" numeric locale through a fixed buffer of 16384
// characters; longer text is cut. In the wide Format, %s takes a narrow UTF-8 argument.
//
// One string object belongs to one thread at a time; copies may live on other threads.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/RCBuffer.h"
#include "QKFramework/Utilities/Storage/StringFwd.h"

#include <cstdint>

namespace QK
{

template <class C, class OtherC> class StringArrayT;

template <class C, class OtherC> class StringT
{
public:
    using Char = C;
    using OtherString = StringT<OtherC, C>;

    // "No limit" for the lengths of Assign and Insert.
    static constexpr std::uint32_t kNoLimit = 0x7FFFFFFE;
    // Characters of the fixed formatting buffer, terminator included.
    static constexpr std::uint32_t kFormatBufferLength = 16384;

    StringT();
    StringT(const StringT& other);
    StringT(const C* text);
    // Converts UTF-8 to UTF-16 or the other way; text that stops converting is kept up to there.
    StringT(const OtherC* text);
    explicit StringT(C c);
    virtual ~StringT();

    StringT& operator=(const StringT& other);

    // At most maxLength characters of text; null or empty text, or maxLength 0, empties the
    // string. A locked string is written in place, cut to its buffer.
    void Assign(const C* text, std::uint32_t maxLength = kNoLimit);
    // Converts at most maxLength units of text, then assigns as Assign does.
    QKRESULT AssignConverted(const OtherC* text, std::uint32_t maxLength = kNoLimit);
    // Replaces the text by length units of text converted (-1: up to and with its terminator).
    // 0, or 0x80004005 when the conversion stopped early; what was converted is kept.
    QKRESULT Convert(const OtherC* text, std::int32_t length = -1);
    void Clear();
    WString ToWide() const;

    const C* GetString() const;
    std::uint32_t GetLength() const;
    bool IsEmpty() const;

    // Makes the buffer private with room for count characters (0: the length + 1) and
    // answers the writable characters; the last one is set to NUL. Null when already locked.
    C* Lock(std::uint32_t count = 0);
    // Makes the buffer shareable again, trimmed to the text. 1 when not locked, else 0.
    QKRESULT Unlock();

    void Append(const StringT& other);
    StringT operator+(const StringT& other) const;
    QKRESULT AppendChar(C c);
    QKRESULT AppendChar(OtherC c);
    // 0x80070057 when position is past the end; nothing changes then.
    QKRESULT Insert(std::uint32_t position, const StringT& other);
    // Only the first count characters of text when count is below kNoLimit.
    QKRESULT Insert(std::uint32_t position, const C* text, std::uint32_t count = kNoLimit);
    QKRESULT Insert(std::uint32_t position, const OtherC* text);

    // A negative start counts from the end; a start still before the text shortens count.
    StringT Mid(std::int32_t start, std::int32_t count) const;
    StringT MidFrom(std::int32_t start) const;
    StringT Left(std::int32_t count) const;

    // Character index of the first occurrence, or -1.
    std::int32_t Find(const StringT& other) const;
    // Character index of the last occurrence, or -1.
    std::int32_t ReverseFind(C c) const;
    std::int32_t ReverseFind(OtherC c) const;

    // Case-sensitive; a null or empty text equals exactly the empty string.
    bool IsEqual(const C* text) const;
    bool IsEqual(const StringT& other) const;
    // Code-unit order, units compared as unsigned numbers.
    bool operator<(const StringT& other) const;

    StringT ToUpper() const;
    StringT ToLower() const;
    // Every character of set in the text becomes replacement; replacement 0 changes nothing.
    void ReplaceCharacters(const C* set, C replacement);
    std::int32_t ToInt() const;
    double ToDouble() const;

    // The parts between separator characters: see SplitInto.
    StringArrayT<C, OtherC> Split(const C* separators) const;
    // Cuts the text at every character of separators into parts (what parts held is gone).
    // Text without a separator gives one part, the whole text (also when it is empty).
    // Otherwise each separator ends a part, so consecutive separators give empty parts and a
    // leading one an empty first part, while a trailing separator adds no empty last part.
    // Never fails. Defined with StringArrayT.
    void SplitInto(const C* separators, StringArrayT<C, OtherC>& parts) const;

    static StringT Format(const C* format, ...);
    // value / 10^decimals as text: 1234 with 2 gives "12.34", 5 with 2 ".05", -5 with 2
    // "-.05". Decimals below 1 give the plain number.
    static StringT FixedPointToString(std::int32_t value, std::int32_t decimals);
    static StringT FixedPointToStringUnsigned(std::uint32_t value, std::int32_t decimals);
    // "%.<decimals>lf", or "%lf" for negative decimals.
    static StringT DoubleToString(double value, std::int32_t decimals);

private:
    C* Data() const;
    std::uint32_t SizeInChars() const;
    bool IsLocked() const;
    void AttachEmpty();
    StringT Section(std::int64_t start, std::int64_t count) const;
    StringT MapCharacters(C (*map)(C)) const;
    static StringT FromAscii(const char* text);
    static StringT FixedPoint(std::uint32_t magnitude, bool negative, std::int32_t decimals);

    RCPtr<LIBuffer> m_buffer;
};

extern template class StringT<char16_t, char>;
extern template class StringT<char, char16_t>;

// The text without its leading blanks, tabs, carriage returns and line feeds. A text made
// only of those (or empty) is answered unchanged, sharing its buffer.
template <class C, class OtherC> StringT<C, OtherC> TrimWhitespace(const StringT<C, OtherC>& text);

extern template WString TrimWhitespace(const WString&);
extern template NString TrimWhitespace(const NString&);

// The text without its trailing blanks, tabs, carriage returns and line feeds; the twin of
// TrimWhitespace, with the same sharing.
template <class C, class OtherC> StringT<C, OtherC> TrimWhitespaceRight(const StringT<C, OtherC>& text);

extern template WString TrimWhitespaceRight(const WString&);
extern template NString TrimWhitespaceRight(const NString&);

} // namespace QK

// Split answers a string list; the list itself is built on StringT.
#include "QKFramework/Utilities/Storage/StringArray.h"
