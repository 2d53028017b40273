#include "QKFramework/Utilities/Storage/Buffer.h"

#include "QKFramework/ObjectBase/Exception.h"

#include <cstring>

namespace QK
{

namespace
{

// The number of elements of unit bytes that a fill writes, or a negative result for a
// range past the size. A negative count means to the end.
std::int64_t FillCount(std::uint32_t size, std::uint32_t offset, std::int32_t count, std::uint32_t unit)
{
    if (count < 0)
    {
        if (offset > size)
            return QK_E_INVALIDARG;
        return (size - offset) / unit;
    }
    if (std::uint64_t(offset) + std::uint64_t(count) * unit > size)
        return QK_E_INVALIDARG;
    return count;
}

} // namespace

QKRESULT FillBytes(void* data, std::uint32_t size, std::uint8_t value, std::uint32_t offset,
                   std::int32_t count)
{
    const std::int64_t n = FillCount(size, offset, count, 1);
    if (n < 0)
        return static_cast<QKRESULT>(n);
    if (n > 0)
        std::memset(static_cast<unsigned char*>(data) + offset, value, std::size_t(n));
    return QK_OK;
}

QKRESULT FillUnits(void* data, std::uint32_t size, std::uint16_t value, std::uint32_t offset,
                   std::int32_t count)
{
    const std::int64_t n = FillCount(size, offset, count, 2);
    if (n < 0)
        return static_cast<QKRESULT>(n);
    // Units need not be aligned: the offset is in bytes.
    unsigned char* at = static_cast<unsigned char*>(data) + offset;
    for (std::int64_t i = 0; i < n; ++i, at += 2)
        std::memcpy(at, &value, 2);
    return QK_OK;
}

std::uint32_t RoundUpToGranule(std::uint32_t n, std::uint32_t granule)
{
    const std::uint64_t rounded = (std::uint64_t(n) + granule - 1) / granule * granule;
    if (rounded > UINT32_MAX)
        ThrowBadAlloc();
    return static_cast<std::uint32_t>(rounded);
}

} // namespace QK
