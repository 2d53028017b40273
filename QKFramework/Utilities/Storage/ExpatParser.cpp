#include "QKFramework/Utilities/Storage/ExpatParser.h"

#include <algorithm>
#include <cstring>

namespace QK
{

bool FeedExpatParser(XML_Parser parser, const char* data, std::size_t length)
{
    constexpr std::size_t kPiece = 1u << 24;
    std::size_t offset = 0;
    bool ok = true;
    do
    {
        const std::size_t count = std::min(kPiece, length - offset);
        const bool last = offset + count == length;
        ok = XML_Parse(parser, data + offset, static_cast<int>(count), last ? XML_TRUE : XML_FALSE) ==
             XML_STATUS_OK;
        offset += count;
    } while (ok && offset < length);
    return ok;
}

const char* ExpatAttributes::Find(const char* name) const noexcept
{
    for (const XML_Char** pair = m_pairs; pair && pair[0] && pair[1]; pair += 2)
        if (std::strcmp(pair[0], name) == 0)
            return pair[1];
    return nullptr;
}

} // namespace QK
