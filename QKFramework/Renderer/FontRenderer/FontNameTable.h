// Reading the family and style names out of TrueType and TrueType-collection files: the file
// header, each font's table directory and its "name" table, nothing else (FreeType is not
// needed for a folder scan).
//
// Every count, offset and length is checked against the file's size before it is used, so a
// truncated or hostile file reads nothing beyond its end and drives no large reads; a font
// whose structures do not fit is left out, the rest of the file still counts.
#pragma once

#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace QK
{

// Bytes of a font file, read at positions.
class IFontBytes
{
public:
    virtual std::uint64_t GetSize() const = 0;
    // Exactly count bytes at offset into buffer; false when they are not all there.
    virtual bool ReadAt(std::uint64_t offset, void* buffer, std::uint32_t count) = 0;

protected:
    ~IFontBytes() = default;
};

// A font file already in memory.
class FontBytesInMemory final : public IFontBytes
{
public:
    FontBytesInMemory(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint64_t GetSize() const override { return m_size; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::uint32_t count) override;

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};

// One registration of a font: its family, its subfamily in lower case, and the face's
// index within the file (0 outside collections).
struct FontFaceName
{
    WString family;
    WString subfamily;
    std::int32_t faceIndex = 0;
};

// Appends a registration for every (family, subfamily) pair that a font's name table
// completes, in the order of the file's fonts and their name records. Only Macintosh
// (platform 1, language 0) and Windows (platform 3, language 0x409) names count. The number
// of registrations added.
std::uint32_t ReadFontFaceNames(IFontBytes& bytes, std::vector<FontFaceName>& names);

} // namespace QK
