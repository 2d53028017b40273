// The allocator behind every buffer of the framework.
//
// Buffers reach their allocator through a function given as a template argument, so the
// whole system shares one heap and a test can put a scripted allocator in its place.
#pragma once

#include <cstddef>

namespace QK
{

class IAllocator
{
public:
    // A new block of size bytes, or null.
    virtual void* Alloc(std::size_t size) = 0;
    // A new zero-filled block of count × size bytes, or null.
    virtual void* AllocZeroed(std::size_t count, std::size_t size) = 0;
    // The block resized, contents kept up to the smaller size; it may move. Null on failure,
    // and then the old block is still valid.
    virtual void* Realloc(void* block, std::size_t size) = 0;
    // Releases a block; null is allowed.
    virtual void Free(void* block) = 0;

protected:
    ~IAllocator() = default;
};

// The C runtime heap. Stateless; one process-wide instance.
class SystemAllocator final : public IAllocator
{
public:
    void* Alloc(std::size_t size) override;
    void* AllocZeroed(std::size_t count, std::size_t size) override;
    void* Realloc(void* block, std::size_t size) override;
    void Free(void* block) override;
};

// The process-wide SystemAllocator: the allocator argument of every buffer in the system.
IAllocator* GetSystemAllocator();

} // namespace QK
