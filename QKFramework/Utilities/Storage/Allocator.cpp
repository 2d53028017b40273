#include "QKFramework/Utilities/Storage/Allocator.h"

#include <cstdlib>

namespace QK
{

void* SystemAllocator::Alloc(std::size_t size)
{
    return std::malloc(size);
}

void* SystemAllocator::AllocZeroed(std::size_t count, std::size_t size)
{
    return std::calloc(count, size);
}

void* SystemAllocator::Realloc(void* block, std::size_t size)
{
    return std::realloc(block, size);
}

void SystemAllocator::Free(void* block)
{
    std::free(block);
}

IAllocator* GetSystemAllocator()
{
    // Never destroyed: buffers in static objects may still free through it at exit.
    static SystemAllocator* const instance = new SystemAllocator;
    return instance;
}

} // namespace QK
