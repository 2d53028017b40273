#include "QKFramework/Platform/Core/LanguageIds.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace QK
{

namespace
{

constexpr std::uint32_t kEnglish = 0x0409;
// A locale settings file holds a few lines; anything larger is not one.
constexpr std::size_t kMaxSettingsFile = 64 * 1024;

std::string_view Trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The file's contents; empty when it cannot be read or is too large.
std::string ReadSmallFile(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    std::string contents;
    char chunk[4096];
    while (file.read(chunk, sizeof chunk) || file.gcount() > 0)
    {
        contents.append(chunk, static_cast<std::size_t>(file.gcount()));
        if (contents.size() > kMaxSettingsFile)
            return {};
    }
    return contents;
}

} // namespace

std::uint32_t LanguageIdOfLocale(std::string_view locale)
{
    static constexpr struct
    {
        std::string_view prefix;
        std::uint32_t lcid;
    } kLanguages[] = {{"en", 0x0409}, {"de", 0x0407}, {"es", 0x0C0A}, {"fr", 0x040C}, {"it", 0x0410}, {"ja", 0x0411}};
    for (const auto& language : kLanguages)
        if (locale.starts_with(language.prefix))
            return language.lcid;
    return kEnglish;
}

std::uint32_t GetUserLanguageId()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
    {
        const char* value = std::getenv(variable);
        if (value && *value)
            return LanguageIdOfLocale(value);
    }
    return kEnglish;
}

std::uint32_t GetSystemLanguageId()
{
    for (const char* path : {"/etc/locale.conf", "/etc/default/locale"})
    {
        const std::string text = ReadSmallFile(path);
        if (text.empty())
            continue;
        for (const char* name : {"LC_MESSAGES", "LANG"})
        {
            const std::string value = FindLocaleSetting(text, name);
            if (!value.empty())
                return LanguageIdOfLocale(value);
        }
    }
    return kEnglish;
}

std::string FindLocaleSetting(std::string_view text, std::string_view name)
{
    std::string found;
    while (!text.empty())
    {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end < text.size() ? end + 1 : end);
        if (line.starts_with("export "))
            line = Trim(line.substr(7));
        if (!line.starts_with(name) || line.substr(name.size()).find('=') != 0)
            continue;
        std::string_view value = Trim(line.substr(name.size() + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        found = std::string(value);
    }
    return found;
}

} // namespace QK
