// ArrayUtils: algorithms over the framework's arrays.
#pragma once

#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Utilities/Storage/IIterable.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace QK::ArrayUtils
{

// Sorts the elements start to start + count - 1 of array by less (a strict weak order);
// not stable. "Out of Range : QK::ArrayUtils::Sort" when the run reaches past the array.
template <class T, class Less>
void Sort(IArray<T>& array, std::uint32_t start, std::uint32_t count, Less less)
{
    if (std::uint64_t{start} + count > array.GetCount())
        Throw<std::out_of_range>(QK_SITE("QK::ArrayUtils::Sort", "Utilities\\Storage\\ArrayUtils"));
    if (count < 2)
        return;
    T* first = array.GetBuffer() + start;
    std::sort(first, first + count, less);
}

} // namespace QK::ArrayUtils
