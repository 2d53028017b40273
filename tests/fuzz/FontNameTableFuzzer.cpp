// libFuzzer target for the font-file name reader behind the font discovery: the input is
// read as a TrueType or collection file, and every registration it gives must carry a
// family, a subfamily and a face index the file can hold.
#include "QKFramework/Renderer/FontRenderer/FontNameTable.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QK::FontBytesInMemory bytes(data, size);
    std::vector<QK::FontFaceName> names;
    const std::uint32_t added = QK::ReadFontFaceNames(bytes, names);
    if (added != names.size())
        std::abort();
    for (const QK::FontFaceName& name : names)
    {
        if (name.family.IsEmpty() || name.subfamily.IsEmpty() || name.faceIndex < 0 ||
            static_cast<std::size_t>(name.faceIndex) * 4 > size)
            std::abort();
    }
    return 0;
}
