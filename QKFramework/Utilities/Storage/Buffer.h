// Raw byte buffers: the growable blocks under strings, arrays, queues and pools.
//
// Sizes, offsets and capacities are bytes, whatever the element type a buffer is seen as.
// A buffer grows to the next multiple of its granule whenever it outgrows its block, and
// gives memory back only when more than its keep limit (the larger of MaxSlack and
// Granule - 1) would lie spare; SetSizeAmortized, for holders that change by an element at
// a time, grows and gives back geometrically instead. When the allocator fails, the buffer
// keeps its old block and size and throws Exception<std::bad_alloc>: nothing is left
// half-grown.
#pragma once

#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/Allocator.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>

namespace QK
{

class IBuffer
{
public:
    // Bytes in use.
    virtual std::uint32_t GetSize() const = 0;
    // Gives the buffer size bytes without keeping its contents; returns the new size.
    virtual std::uint32_t Allocate(std::uint32_t size) = 0;
    // Gives the buffer size bytes, keeping the contents up to the smaller size.
    virtual std::uint32_t SetSize(std::uint32_t size) = 0;
    // Sets count bytes from offset to value; a negative count means to the end.
    // 0, or 0x80070057 for a range past the size (nothing written then).
    virtual QKRESULT Fill(std::uint8_t value, std::uint32_t offset, std::int32_t count) = 0;
    // As Fill, in 16-bit units from the byte offset; an odd last byte is left alone.
    virtual QKRESULT FillWide(std::uint16_t value, std::uint32_t offset, std::int32_t count) = 0;
    // Bytes allocated; 0 exactly when no block is held.
    virtual std::uint32_t GetCapacity() const = 0;
    // The first byte; null when no block is held.
    virtual void* GetBuffer() const = 0;

protected:
    ~IBuffer() = default;
};

// The range checks and writes of IBuffer::Fill and IBuffer::FillWide over any block of
// size bytes, shared by every buffer (inline storage included).
QKRESULT FillBytes(void* data, std::uint32_t size, std::uint8_t value, std::uint32_t offset,
                   std::int32_t count);
QKRESULT FillUnits(void* data, std::uint32_t size, std::uint16_t value, std::uint32_t offset,
                   std::int32_t count);

// n raised to the next multiple of granule; throws Exception<std::bad_alloc> when that
// does not fit in 32 bits.
std::uint32_t RoundUpToGranule(std::uint32_t n, std::uint32_t granule);

// The one buffer implementation. Third is 8 in every instance and changes nothing;
// ElementPtr is the pointer type the data is seen through. A buffer is never copied by
// value: copies go through the reference-counted buffers or the arrays' assignment.
template <std::uint32_t Granule, std::uint32_t MaxSlack, std::uint32_t Third = 8, class ElementPtr = char*,
          IAllocator* (*AllocatorFn)() = GetSystemAllocator>
class BufferT : public virtual IBuffer
{
    static_assert(Granule > 0, "a granule of 0 bytes cannot hold anything");
    static_assert(std::is_pointer_v<ElementPtr>, "the element type is seen through a pointer");

public:
    static constexpr std::uint32_t KeepLimit = MaxSlack > Granule - 1 ? MaxSlack : Granule - 1;

    // A reserve above size allocates exactly reserve bytes first; then the size is set by
    // the usual rules and, with zeroFill, cleared.
    explicit BufferT(std::uint32_t size = 0, std::uint32_t reserve = 0, bool zeroFill = false)
    {
        if (reserve > size)
        {
            m_data = static_cast<ElementPtr>(Take(AllocatorFn()->Alloc(reserve)));
            m_capacity = reserve;
        }
        BufferT::SetSize(size);
        if (m_size != 0 && zeroFill)
            FillBytes(m_data, m_size, 0, 0, -1);
    }

    BufferT(const BufferT&) = delete;
    BufferT& operator=(const BufferT&) = delete;

    virtual ~BufferT()
    {
        if (m_data)
            AllocatorFn()->Free(m_data);
        m_data = nullptr;
        m_size = 0;
        m_capacity = 0;
    }

    std::uint32_t GetSize() const override { return m_size; }
    std::uint32_t GetCapacity() const override { return m_capacity; }
    void* GetBuffer() const override { return m_data; }

    std::uint32_t Allocate(std::uint32_t n) override
    {
        if (n == 0)
        {
            FreeBlock();
            return 0;
        }
        const std::uint32_t capacity = RoundUpToGranule(n, Granule);
        if (capacity != m_capacity)
        {
            // The new block is taken before the old one goes, so a failure keeps both
            // the old block and the old size.
            void* block = Take(AllocatorFn()->Alloc(capacity));
            AllocatorFn()->Free(m_data);
            m_data = static_cast<ElementPtr>(block);
            m_capacity = capacity;
        }
        m_size = n;
        return n;
    }

    std::uint32_t SetSize(std::uint32_t n) override
    {
        if (m_capacity == 0)
            return BufferT::Allocate(n);
        if (m_capacity >= n && m_capacity - n <= KeepLimit)
        {
            m_size = n;
            return n;
        }
        if (n == 0)
        {
            FreeBlock();
            return 0;
        }
        const std::uint32_t capacity = RoundUpToGranule(n, Granule);
        void* block = AllocatorFn()->Realloc(m_data, capacity);
        if (!block)
        {
            // A shrink that the heap refuses leaves a larger block than needed, which is
            // harmless; only a failed growth is an error.
            if (capacity < m_capacity)
            {
                m_size = n;
                return n;
            }
            ThrowBadAlloc();
        }
        m_data = static_cast<ElementPtr>(block);
        m_capacity = capacity;
        m_size = n;
        return n;
    }

    // SetSize for a holder that grows and shrinks by an element at a time (the pointer
    // lists): a block that is too small grows to at least twice its capacity, and a block
    // is given back only once less than a quarter of it is in use, and then to twice the
    // size. So a run of single steps moves the block a number of times that grows with the
    // log of the length, not with the length. The granule, the keep limit and the failure
    // rules are SetSize's.
    std::uint32_t SetSizeAmortized(std::uint32_t n)
    {
        if (n > m_capacity)
        {
            // Doubling stops at the largest granule multiple that 32 bits hold.
            constexpr std::uint64_t kLargest = std::uint64_t{UINT32_MAX} / Granule * Granule;
            const std::uint64_t doubled = std::min<std::uint64_t>(std::uint64_t{m_capacity} * 2, kLargest);
            const std::uint32_t capacity = std::max(
                RoundUpToGranule(n, Granule), RoundUpToGranule(static_cast<std::uint32_t>(doubled), Granule));
            Reblock(capacity);
        }
        else if (m_capacity - n > KeepLimit && std::uint64_t{n} * 4 < m_capacity)
        {
            if (n == 0)
            {
                FreeBlock();
                return 0;
            }
            Reblock(RoundUpToGranule(n * 2, Granule));
        }
        m_size = n;
        return n;
    }

    QKRESULT Fill(std::uint8_t value, std::uint32_t offset, std::int32_t count) override
    {
        return FillBytes(m_data, m_size, value, offset, count);
    }

    QKRESULT FillWide(std::uint16_t value, std::uint32_t offset, std::int32_t count) override
    {
        return FillUnits(m_data, m_size, value, offset, count);
    }

protected:
    ElementPtr m_data = nullptr;
    std::uint32_t m_size = 0;
    std::uint32_t m_capacity = 0;

private:
    // Passes a block on, or throws when the allocator gave none.
    static void* Take(void* block)
    {
        if (!block)
            ThrowBadAlloc();
        return block;
    }

    // The block moved to one of capacity bytes, contents kept up to the smaller size. A
    // refused growth throws and keeps the old block; a refused shrink keeps the larger one.
    void Reblock(std::uint32_t capacity)
    {
        void* block =
            m_capacity == 0 ? AllocatorFn()->Alloc(capacity) : AllocatorFn()->Realloc(m_data, capacity);
        if (!block)
        {
            if (capacity < m_capacity)
                return;
            ThrowBadAlloc();
        }
        m_data = static_cast<ElementPtr>(block);
        m_capacity = capacity;
    }

    void FreeBlock()
    {
        if (m_capacity != 0)
            AllocatorFn()->Free(m_data);
        m_data = nullptr;
        m_size = 0;
        m_capacity = 0;
    }
};

} // namespace QK
