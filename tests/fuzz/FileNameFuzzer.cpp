// libFuzzer target for file names read from the system and from the file dialog's answer: the
// input is read as a name's bytes and, pairwise little-endian, as UTF-16 text. Any bytes read
// into text turn back into the same bytes, the escapes only where the bytes are not UTF-8;
// text that has bytes reads back as the same text, and the text shown for a name is plain
// UTF-16 that converts strictly.
#include "QKFramework/Utilities/Storage/ConvertUtf.h"
#include "QKFramework/Utilities/Storage/Paths.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace
{

bool IsUtf8(const std::string& bytes)
{
    std::u16string wide(bytes.size(), u'\0');
    const char* source = bytes.data();
    char16_t* target = wide.data();
    return QK::Utf8ToUtf16(&source, bytes.data() + bytes.size(), &target, wide.data() + wide.size(),
                           QK::UtfMode::Strict) == QK::UtfOk;
}

bool HasEscape(const std::u16string& text)
{
    for (std::size_t i = 0; i < text.size(); ++i)
        if (QK::IsEscapedNameByteAt(text.data(), i))
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Bytes in: the round trip is exact, and escapes appear only for bytes that are not UTF-8.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string text = QK::FileNameBytesToUtf16(bytes.data(), bytes.size());
    FUZZ_CHECK(text.size() <= bytes.size());
    std::string back;
    FUZZ_CHECK(QK::Utf16ToFileNameBytes(text.data(), text.size(), back));
    FUZZ_CHECK(back == bytes);
    FUZZ_CHECK(HasEscape(text) == !IsUtf8(bytes));

    // The same through the paths (a name holds no zero byte; a path stops at one).
    const std::string name = bytes.substr(0, bytes.find('\0'));
    const QK::WString path = QK::FromSystemPath(name);
    FUZZ_CHECK(QK::HasSystemPath(path));
    FUZZ_CHECK(QK::HoldsNameBytes(path) == !IsUtf8(name));
    std::string kept;
    FUZZ_CHECK(QK::Utf16ToFileNameBytes(path.GetString(), path.GetLength(), kept) && kept == name);
    const QK::WString shown = QK::ToDisplayPath(path);
    FUZZ_CHECK(shown.GetLength() == path.GetLength() && !QK::HoldsNameBytes(shown));
    const std::u16string shownText(shown.GetString(), shown.GetLength());
    std::string shownUtf8(shownText.size() * 3 + 1, '\0');
    const char16_t* source = shownText.data();
    char* target = shownUtf8.data();
    FUZZ_CHECK(QK::Utf16ToUtf8(&source, shownText.data() + shownText.size(), &target,
                               shownUtf8.data() + shownUtf8.size(), QK::UtfMode::Strict) == QK::UtfOk);

    // UTF-16 in: text that has bytes reads back as itself; other text has none.
    std::u16string units(size / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    std::string unitBytes;
    if (QK::Utf16ToFileNameBytes(units.data(), units.size(), unitBytes))
        FUZZ_CHECK(QK::FileNameBytesToUtf16(unitBytes.data(), unitBytes.size()) == units);
    else
        FUZZ_CHECK(unitBytes.empty());
    return 0;
}
