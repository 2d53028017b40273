// libFuzzer target for the version block (the stand-in of an executable's version resource).
// A block is taken only as whole UTF-8 text without NUL bytes; a refused one keeps nothing.
// Every line of a taken block is a value that its path finds again, ignoring case; a
// translation table that reads is whole pairs.
#include "QKFramework/Platform/Core/FileVersionInfo.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QK::FileVersionInfo info;
    const bool read = info.Read({data, size});
    QK::WString value;
    std::vector<QK::VersionTranslation> translations;
    if (!read)
    {
        FUZZ_CHECK(!info.QueryValue("\\VarFileInfo\\Translation", value));
        FUZZ_CHECK(!info.QueryTranslations(translations));
        return 0;
    }
    FUZZ_CHECK(std::memchr(data, '\0', size) == nullptr);

    std::string_view text(reinterpret_cast<const char*>(data), size);
    while (!text.empty())
    {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end < text.size() ? end + 1 : end);
        const std::size_t equals = line.find('=');
        if (line.empty() || line.front() == '#' || line == "\r")
            continue;
        FUZZ_CHECK(equals != std::string_view::npos && line.front() == '\\');
        std::string path(line.substr(0, equals));
        FUZZ_CHECK(info.QueryValue(path, value));
        for (char& c : path)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        FUZZ_CHECK(info.QueryValue(path, value));
    }

    if (info.QueryTranslations(translations))
        FUZZ_CHECK(!translations.empty());
    return 0;
}
