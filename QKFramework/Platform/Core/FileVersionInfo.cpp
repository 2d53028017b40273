#include "QKFramework/Platform/Core/FileVersionInfo.h"

#include "QKFramework/Platform/Core/Resources.h"
#include "QKFramework/Utilities/Storage/CharUtil.h"
#include "QKFramework/Utilities/Storage/ConvertUtf.h"

#include <algorithm>

namespace QK
{

namespace
{

constexpr std::string_view kTranslationPath = "\\VarFileInfo\\Translation";

std::string Upper(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = ToUpperChar(c);
    return result;
}

bool IsWellFormedUtf8(std::string_view text)
{
    std::vector<char16_t> wide(text.size() + 1);
    const char* source = text.data();
    char16_t* target = wide.data();
    return Utf8ToUtf16(&source, text.data() + text.size(), &target, wide.data() + wide.size(), UtfMode::Strict) ==
               UtfOk &&
           source == text.data() + text.size();
}

// Four hexadecimal digits; false for anything else.
bool ParseWord(std::string_view digits, std::uint16_t& word)
{
    if (digits.size() != 4)
        return false;
    std::uint32_t value = 0;
    for (char c : digits)
    {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return false;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    word = static_cast<std::uint16_t>(value);
    return true;
}

} // namespace

std::span<const std::uint8_t> FileVersionInfo::FindInExecutable()
{
    return FindResourceData(GetApplicationInstance(), kResourceType, kResourceName);
}

bool FileVersionInfo::Read(std::span<const std::uint8_t> bytes)
{
    m_values.clear();
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.find('\0') != std::string_view::npos || !IsWellFormedUtf8(text))
        return false;

    std::map<std::string, std::string> values;
    std::size_t start = 0;
    while (start < text.size())
    {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || line.front() != '\\')
            return false;
        if (!values.emplace(Upper(line.substr(0, equals)), std::string(line.substr(equals + 1))).second)
            return false;
    }
    m_values = std::move(values);
    return true;
}

bool FileVersionInfo::QueryValue(std::string_view path, WString& value) const
{
    const auto found = m_values.find(Upper(path));
    if (found == m_values.end())
        return false;
    value = WString(found->second.c_str());
    return true;
}

bool FileVersionInfo::QueryTranslations(std::vector<VersionTranslation>& translations) const
{
    const auto found = m_values.find(Upper(kTranslationPath));
    if (found == m_values.end())
        return false;
    std::vector<std::uint16_t> words;
    std::string_view rest = found->second;
    for (;;)
    {
        const std::size_t first = rest.find_first_not_of(" \t");
        if (first == std::string_view::npos)
            break;
        rest.remove_prefix(first);
        const std::size_t length = std::min(rest.find_first_of(" \t"), rest.size());
        std::uint16_t word = 0;
        if (!ParseWord(rest.substr(0, length), word))
            return false;
        words.push_back(word);
        rest.remove_prefix(length);
    }
    if (words.empty() || words.size() % 2 != 0)
        return false;
    translations.clear();
    for (std::size_t i = 0; i < words.size(); i += 2)
        translations.push_back({words[i], words[i + 1]});
    return true;
}

} // namespace QK
