#include "QKFramework/Utilities/Storage/ExpatParser.h"

#include <algorithm>

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

} // namespace QK
