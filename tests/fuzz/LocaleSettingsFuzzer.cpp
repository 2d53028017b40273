// libFuzzer target for the system's locale settings file (/etc/locale.conf,
// /etc/default/locale), as the system's language is read from it: a value found is one line's
// part after "<name>=", without line breaks, and names a language id the tables know.
#include "QKFramework/Platform/Core/LanguageIds.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const std::string_view name : {"LC_MESSAGES", "LANG"})
    {
        const std::string value = QK::FindLocaleSetting(text, name);
        FUZZ_CHECK(value.empty() || value.size() < size);
        FUZZ_CHECK(value.find('\n') == std::string::npos);
        if (!value.empty())
            FUZZ_CHECK(text.find(std::string(name) + "=") != std::string_view::npos);
        const std::uint32_t id = QK::LanguageIdOfLocale(value);
        FUZZ_CHECK(id == 0x0409 || id == 0x0407 || id == 0x0C0A || id == 0x040C || id == 0x0410 || id == 0x0411);
    }
    return 0;
}
