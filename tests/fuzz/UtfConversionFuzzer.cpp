// libFuzzer target for the UTF-8 / UTF-16 conversion of outside text: the input is read as
// UTF-8 and, pairwise little-endian, as UTF-16, each converted both ways in both modes and
// through the string classes. What converts strictly converts back to the same units; the
// lenient way from UTF-16 converts all but a high surrogate at the very end, and its text
// reads back exactly when no lone surrogate was let through.
#include "QKFramework/Utilities/Storage/ConvertUtf.h"
#include "QKFramework/Utilities/Storage/StringT.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace
{

bool IsKnownResult(QK::UtfResult result)
{
    return result == QK::UtfOk || result == QK::UtfSourceExhausted || result == QK::UtfTargetExhausted ||
           result == QK::UtfSourceIllegal;
}

// One conversion with room for everything, and checks of where it stopped.
template <class Source, class Target>
QK::UtfResult ConvertAll(QK::UtfResult (*convert)(const typename Source::value_type**, const typename Source::value_type*,
                                                  typename Target::value_type**, typename Target::value_type*,
                                                  QK::UtfMode),
                         const Source& from, std::size_t room, QK::UtfMode mode, Target& to, std::size_t& consumed)
{
    to.assign(room, 0);
    const auto* source = from.data();
    auto* target = to.data();
    const QK::UtfResult result = convert(&source, from.data() + from.size(), &target, to.data() + to.size(), mode);
    FUZZ_CHECK(IsKnownResult(result) && result != QK::UtfTargetExhausted);
    FUZZ_CHECK(source >= from.data() && source <= from.data() + from.size());
    FUZZ_CHECK(target >= to.data() && target <= to.data() + to.size());
    FUZZ_CHECK((result == QK::UtfOk) == (source == from.data() + from.size()));
    consumed = static_cast<std::size_t>(source - from.data());
    to.resize(static_cast<std::size_t>(target - to.data()));
    return result;
}

// Every UTF-8 byte makes at most one UTF-16 unit, every unit at most three bytes.
QK::UtfResult ToUtf16(const std::string& text, QK::UtfMode mode, std::u16string& wide, std::size_t& consumed)
{
    return ConvertAll(QK::Utf8ToUtf16, text, text.size(), mode, wide, consumed);
}

QK::UtfResult ToUtf8(const std::u16string& wide, QK::UtfMode mode, std::string& text, std::size_t& consumed)
{
    return ConvertAll(QK::Utf16ToUtf8, wide, wide.size() * 3, mode, text, consumed);
}

// A target one unit too small stops before the character that does not fit, having
// written only what fits.
void CheckTightTarget(const std::string& text, const std::u16string& converted)
{
    if (converted.empty())
        return;
    std::u16string wide(converted.size() - 1, u'\0');
    const char* source = text.data();
    char16_t* target = wide.data();
    const QK::UtfResult result = QK::Utf8ToUtf16(&source, text.data() + text.size(), &target,
                                                 wide.data() + wide.size(), QK::UtfMode::Lenient);
    FUZZ_CHECK(result == QK::UtfTargetExhausted);
    FUZZ_CHECK(target <= wide.data() + wide.size());
    FUZZ_CHECK(converted.compare(0, static_cast<std::size_t>(target - wide.data()), wide.data(),
                                 static_cast<std::size_t>(target - wide.data())) == 0);
}

bool HasLoneSurrogate(const std::u16string& wide)
{
    for (std::size_t i = 0; i < wide.size(); ++i)
    {
        const char16_t c = wide[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF)
            ++i;
        else if (c >= 0xD800 && c <= 0xDFFF)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t consumed = 0;

    // UTF-8 in.
    std::u16string wide;
    if (ToUtf16(text, QK::UtfMode::Strict, wide, consumed) == QK::UtfOk)
    {
        std::string back;
        FUZZ_CHECK(ToUtf8(wide, QK::UtfMode::Strict, back, consumed) == QK::UtfOk);
        FUZZ_CHECK(back == text);
    }
    std::u16string lenientWide;
    const QK::UtfResult lenient = ToUtf16(text, QK::UtfMode::Lenient, lenientWide, consumed);
    CheckTightTarget(text.substr(0, consumed), lenientWide);
    if (lenient == QK::UtfOk)
    {
        // Only surrogates written in UTF-8 differ between the modes.
        std::string back;
        FUZZ_CHECK(ToUtf8(lenientWide, QK::UtfMode::Strict, back, consumed) == QK::UtfOk);
    }

    // UTF-16 in, little-endian pairs.
    std::u16string units(size / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    std::string narrow;
    if (ToUtf8(units, QK::UtfMode::Strict, narrow, consumed) == QK::UtfOk)
    {
        std::u16string back;
        FUZZ_CHECK(ToUtf16(narrow, QK::UtfMode::Strict, back, consumed) == QK::UtfOk);
        FUZZ_CHECK(back == units);
    }
    // A lone surrogate passes as its three-byte form, which no UTF-8 reader takes back. A
    // high surrogate at the very end may still be waiting for its pair: the source is
    // exhausted there.
    const bool pending = !units.empty() && units.back() >= 0xD800 && units.back() <= 0xDBFF;
    const QK::UtfResult lenientNarrow = ToUtf8(units, QK::UtfMode::Lenient, narrow, consumed);
    FUZZ_CHECK(lenientNarrow == (pending ? QK::UtfSourceExhausted : QK::UtfOk));
    FUZZ_CHECK(consumed == units.size() - (pending ? 1 : 0));
    const std::u16string converted = units.substr(0, consumed);
    std::u16string back;
    const QK::UtfResult backResult = ToUtf16(narrow, QK::UtfMode::Lenient, back, consumed);
    FUZZ_CHECK((backResult == QK::UtfOk) == !HasLoneSurrogate(converted));
    if (backResult == QK::UtfOk)
        FUZZ_CHECK(back == converted);

    // The string classes: a conversion that stops early says so and keeps what it converted.
    QK::WString fromNarrow;
    const QK::QKRESULT toWide = fromNarrow.Convert(text.data(), static_cast<std::int32_t>(text.size()));
    FUZZ_CHECK(toWide == QK::QK_OK || toWide == QK::QK_E_FAIL);
    QK::NString fromWide;
    const QK::QKRESULT toNarrow = fromWide.Convert(units.data(), static_cast<std::int32_t>(units.size()));
    FUZZ_CHECK(toNarrow == QK::QK_OK || toNarrow == QK::QK_E_FAIL);
    if (text.find('\0') == std::string::npos && toWide == QK::QK_OK)
    {
        FUZZ_CHECK(fromNarrow.GetLength() == lenientWide.size());
        FUZZ_CHECK(std::u16string(fromNarrow.GetString()) == lenientWide);
        FUZZ_CHECK(std::string(QK::NString(fromNarrow.GetString()).GetString()) == text ||
                   lenientWide.find(u'\uFFFD') != std::u16string::npos);
    }
    return 0;
}
