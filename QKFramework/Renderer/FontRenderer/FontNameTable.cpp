#include "QKFramework/Renderer/FontRenderer/FontNameTable.h"

#include <array>
#include <cstring>

namespace QK
{

namespace
{

constexpr std::uint32_t kCollectionTag = 0x74746366; // "ttcf"
constexpr std::uint32_t kFileHeaderSize = 12;
constexpr std::uint32_t kDirectoryHeaderSize = 12;
constexpr std::uint32_t kTableRecordSize = 16;
constexpr std::uint32_t kNameHeaderSize = 6;
constexpr std::uint32_t kNameRecordSize = 12;
// Real collections hold a few dozen faces; a count far beyond that is a broken file, and
// reading each of its fonts would only repeat work.
constexpr std::uint32_t kMaxCollectionFonts = 1024;

std::uint16_t Read16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

std::uint32_t Read32(const std::uint8_t* p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// True when count bytes at offset lie inside the file.
bool Fits(const IFontBytes& bytes, std::uint64_t offset, std::uint64_t count)
{
    const std::uint64_t size = bytes.GetSize();
    return offset <= size && count <= size - offset;
}

template <std::size_t N> bool ReadBlock(IFontBytes& bytes, std::uint64_t offset, std::array<std::uint8_t, N>& block)
{
    return Fits(bytes, offset, N) && bytes.ReadAt(offset, block.data(), static_cast<std::uint32_t>(N));
}

// The text of a name record; empty when it cannot be read.
WString ReadNameText(IFontBytes& bytes, std::uint64_t offset, std::uint16_t length, std::uint16_t platform)
{
    if (length == 0 || !Fits(bytes, offset, length))
        return WString();
    std::vector<std::uint8_t> raw(length);
    if (!bytes.ReadAt(offset, raw.data(), length))
        return WString();
    if (platform == 1)
    {
        // Macintosh names are 8-bit text; bytes above 0x7F would not be UTF-8, so they go
        // through one by one as Latin-1 rather than stopping the conversion.
        std::u16string wide;
        for (const std::uint8_t byte : raw)
        {
            if (byte == 0)
                break;
            wide.push_back(static_cast<char16_t>(byte));
        }
        return WString(wide.c_str());
    }
    std::u16string wide;
    for (std::size_t i = 0; i + 1 < raw.size(); i += 2)
    {
        const auto unit = static_cast<char16_t>((raw[i] << 8) | raw[i + 1]);
        if (unit == 0)
            break;
        wide.push_back(unit);
    }
    return WString(wide.c_str());
}

void ReadNameTable(IFontBytes& bytes, std::uint64_t table, std::int32_t faceIndex, std::vector<FontFaceName>& names,
                   std::uint32_t& added)
{
    std::array<std::uint8_t, kNameHeaderSize> header{};
    if (!ReadBlock(bytes, table, header))
        return;
    const std::uint16_t count = Read16(&header[2]);
    const std::uint64_t storage = table + Read16(&header[4]);
    if (!Fits(bytes, table + kNameHeaderSize, std::uint64_t{count} * kNameRecordSize))
        return;

    WString family;
    WString subfamily;
    bool haveFamily = false;
    bool haveSubfamily = false;
    for (std::uint32_t r = 0; r < count; ++r)
    {
        std::array<std::uint8_t, kNameRecordSize> record{};
        if (!ReadBlock(bytes, table + kNameHeaderSize + std::uint64_t{r} * kNameRecordSize, record))
            return;
        const std::uint16_t platform = Read16(&record[0]);
        const std::uint16_t language = Read16(&record[4]);
        const std::uint16_t nameId = Read16(&record[6]);
        if (!((platform == 1 && language == 0) || (platform == 3 && language == 0x409)))
            continue;
        if (nameId != 1 && nameId != 2)
            continue;
        const WString text = ReadNameText(bytes, storage + Read16(&record[10]), Read16(&record[8]), platform);
        if (text.IsEmpty())
            continue;
        if (nameId == 1 && !haveFamily)
        {
            family = text;
            haveFamily = true;
        }
        else if (nameId == 2 && !haveSubfamily)
        {
            subfamily = text.ToLower();
            haveSubfamily = true;
        }
        if (haveFamily && haveSubfamily)
        {
            names.push_back({family, subfamily, faceIndex});
            ++added;
            // The texts stay: a later pair of the same table registers the file again.
            haveFamily = false;
            haveSubfamily = false;
        }
    }
}

void ReadFont(IFontBytes& bytes, std::uint64_t directory, std::int32_t faceIndex, std::vector<FontFaceName>& names,
              std::uint32_t& added)
{
    std::array<std::uint8_t, kDirectoryHeaderSize> header{};
    if (!ReadBlock(bytes, directory, header))
        return;
    const std::uint16_t tables = Read16(&header[4]);
    for (std::uint32_t t = 0; t < tables; ++t)
    {
        std::array<std::uint8_t, kTableRecordSize> record{};
        if (!ReadBlock(bytes, directory + kDirectoryHeaderSize + std::uint64_t{t} * kTableRecordSize, record))
            return;
        if (record[0] == 0)
            return;
        char tag[5] = {};
        for (int i = 0; i < 4; ++i)
        {
            const auto c = static_cast<char>(record[static_cast<std::size_t>(i)]);
            tag[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        }
        if (std::strcmp(tag, "name") == 0)
        {
            const std::uint32_t offset = Read32(&record[8]);
            const std::uint32_t length = Read32(&record[12]);
            if (Fits(bytes, offset, length))
                ReadNameTable(bytes, offset, faceIndex, names, added);
            return;
        }
    }
}

} // namespace

bool FontBytesInMemory::ReadAt(std::uint64_t offset, void* buffer, std::uint32_t count)
{
    if (offset > m_size || count > m_size - offset)
        return false;
    if (count != 0)
        std::memcpy(buffer, m_data + offset, count);
    return true;
}

std::uint32_t ReadFontFaceNames(IFontBytes& bytes, std::vector<FontFaceName>& names)
{
    std::uint32_t added = 0;
    std::array<std::uint8_t, kFileHeaderSize> header{};
    if (!ReadBlock(bytes, 0, header))
        return 0;
    if (Read32(&header[0]) != kCollectionTag)
    {
        ReadFont(bytes, 0, 0, names, added);
        return added;
    }
    const std::uint32_t fonts = Read32(&header[8]);
    // A count that the offset table cannot hold is a broken file, not a reason for a huge read.
    if (fonts > kMaxCollectionFonts || !Fits(bytes, kFileHeaderSize, std::uint64_t{fonts} * 4))
        return 0;
    for (std::uint32_t i = 0; i < fonts; ++i)
    {
        std::array<std::uint8_t, 4> offset{};
        if (!ReadBlock(bytes, kFileHeaderSize + std::uint64_t{i} * 4, offset))
            break;
        ReadFont(bytes, Read32(offset.data()), static_cast<std::int32_t>(i), names, added);
    }
    return added;
}

} // namespace QK
