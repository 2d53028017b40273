// libFuzzer target for the reading of a stored 16-byte name (program and knob names, from
// preset files and SysEx dumps): the input is read as one name value. Its text is either
// "Invalid Name" or characters the name rules allow, and a readable name of up to 16
// characters is stored back as the same bytes without its zero bytes.
#include "UI/NameEditPanel.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > std::numeric_limits<std::uint32_t>::max())
        return 0;
    const QK::WString text = QK::LNameEditPanel::NameFromBytes(data, static_cast<std::uint32_t>(size));
    if (text.IsEqual(QK::LNameEditPanel::kInvalidName))
        return 0;
    FUZZ_CHECK(text.GetLength() <= size);
    std::vector<std::uint8_t> kept;
    for (std::size_t i = 0; i < size; ++i)
        if (data[i] != 0)
            kept.push_back(data[i]);
    FUZZ_CHECK(kept.size() == text.GetLength());
    for (std::uint32_t i = 0; i < text.GetLength(); ++i)
    {
        const char16_t c = text.GetString()[i];
        FUZZ_CHECK(c >= 32 && c <= 255 && c != 127);
        FUZZ_CHECK(c == kept[i]);
    }
    if (text.GetLength() > QK::LNameEditPanel::kNameLength)
        return 0;
    std::uint8_t block[QK::LNameEditPanel::kNameLength] = {};
    QK::LNameEditPanel::NameToBytes(text, block);
    for (std::uint32_t i = 0; i < QK::LNameEditPanel::kNameLength; ++i)
        FUZZ_CHECK(block[i] == (i < kept.size() ? kept[i] : 0));
    return 0;
}
