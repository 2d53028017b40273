// libFuzzer target for the user-dirs file (user-dirs.dirs in the configuration folder), as
// the documents folder is read from it: a value found is absolute, one line's worth (no line
// break, no NUL), begins with the home folder when it came from "$HOME", and is only found
// in a text that names the variable.
#include "QKFramework/Platform/Core/SpecialFolders.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const std::string_view home : {std::string_view("/home/A  B"), std::string_view()})
    {
        const std::string value = QK::FindUserDirectory(text, "XDG_DOCUMENTS_DIR", home);
        if (value.empty())
            continue;
        FUZZ_CHECK(value[0] == '/');
        FUZZ_CHECK(value.find('\n') == std::string::npos);
        FUZZ_CHECK(value.find('\0') == std::string::npos);
        FUZZ_CHECK(text.find("XDG_DOCUMENTS_DIR") != std::string_view::npos);
        FUZZ_CHECK(value.size() <= home.size() + size);
        if (text.find("$HOME") == std::string_view::npos)
            FUZZ_CHECK(value.size() < size);
    }
    return 0;
}
