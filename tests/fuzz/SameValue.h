// Whether two values read from outside bytes are the same: the same kind and the same bytes.
// Unlike Variant::IsEqual, a not-a-number read twice is the same value.
#pragma once

#include "QKFramework/Utilities/Storage/Variant.h"

#include <cstdint>
#include <cstring>

namespace VediduFuzz
{

inline bool SameValue(const QK::Variant& a, const QK::Variant& b)
{
    std::uint32_t sizeA = 0;
    std::uint32_t sizeB = 0;
    const void* dataA = a.GetData(sizeA);
    const void* dataB = b.GetData(sizeB);
    return a.GetKind() == b.GetKind() && sizeA == sizeB && (sizeA == 0 || std::memcmp(dataA, dataB, sizeA) == 0);
}

} // namespace VediduFuzz
