// Font files made up in memory for the font-discovery tests and the fuzz seeds: a file
// header, a table directory and a "name" table, nothing else.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace QK::TestSupport
{

struct SyntheticName
{
    std::uint16_t platform = 3;
    std::uint16_t language = 0x409;
    std::uint16_t nameId = 1;
    std::u16string text;
};

inline void Put16(std::string& bytes, std::size_t at, std::uint32_t value)
{
    bytes[at] = static_cast<char>((value >> 8) & 0xFF);
    bytes[at + 1] = static_cast<char>(value & 0xFF);
}

inline void Put32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    Put16(bytes, at, value >> 16);
    Put16(bytes, at + 2, value & 0xFFFF);
}

// A name table holding the records in order (Macintosh texts as 8-bit, Windows as UTF-16BE).
inline std::string NameTable(const std::vector<SyntheticName>& names)
{
    std::string storage;
    std::string table(6 + 12 * names.size(), '\0');
    Put16(table, 2, static_cast<std::uint32_t>(names.size()));
    Put16(table, 4, static_cast<std::uint32_t>(table.size()));
    for (std::size_t i = 0; i < names.size(); ++i)
    {
        const SyntheticName& name = names[i];
        std::string text;
        for (const char16_t c : name.text)
        {
            if (name.platform == 1)
                text.push_back(static_cast<char>(c));
            else
            {
                text.push_back(static_cast<char>(c >> 8));
                text.push_back(static_cast<char>(c & 0xFF));
            }
        }
        const std::size_t at = 6 + 12 * i;
        Put16(table, at, name.platform);
        Put16(table, at + 2, name.platform == 3 ? 1 : 0);
        Put16(table, at + 4, name.language);
        Put16(table, at + 6, name.nameId);
        Put16(table, at + 8, static_cast<std::uint32_t>(text.size()));
        Put16(table, at + 10, static_cast<std::uint32_t>(storage.size()));
        storage += text;
    }
    return table + storage;
}

// The Windows family and subfamily records of a font.
inline std::vector<SyntheticName> WindowsNames(const std::u16string& family, const std::u16string& subfamily)
{
    return {{3, 0x409, 1, family}, {3, 0x409, 2, subfamily}};
}

// One font's table directory (a "head" table first, then "name") at base, its tables after it.
inline std::string FontAt(std::size_t base, const std::vector<SyntheticName>& names)
{
    const std::string head(54, '\0');
    const std::string name = NameTable(names);
    std::string font(12 + 2 * 16, '\0');
    Put32(font, 0, 0x00010000);
    Put16(font, 4, 2);
    const std::size_t headAt = base + font.size();
    const std::size_t nameAt = headAt + head.size();
    font.replace(12, 4, "head");
    Put32(font, 20, static_cast<std::uint32_t>(headAt));
    Put32(font, 24, static_cast<std::uint32_t>(head.size()));
    font.replace(28, 4, "NAME"); // tags compare ignoring case
    Put32(font, 36, static_cast<std::uint32_t>(nameAt));
    Put32(font, 40, static_cast<std::uint32_t>(name.size()));
    return font + head + name;
}

inline std::string TrueTypeFile(const std::vector<SyntheticName>& names)
{
    return FontAt(0, names);
}

// A collection of one font per name list.
inline std::string CollectionFile(const std::vector<std::vector<SyntheticName>>& fonts)
{
    std::string file(12 + 4 * fonts.size(), '\0');
    file.replace(0, 4, "ttcf");
    Put32(file, 4, 0x00010000);
    Put32(file, 8, static_cast<std::uint32_t>(fonts.size()));
    for (std::size_t i = 0; i < fonts.size(); ++i)
    {
        Put32(file, 12 + 4 * i, static_cast<std::uint32_t>(file.size()));
        file += FontAt(file.size(), fonts[i]);
    }
    return file;
}

} // namespace QK::TestSupport
