// Arrays of plain values kept contiguously in one byte buffer.
//
// ArrayBuffer moves and clears elements with memmove and memset, never constructing them
// one by one, so T must be trivially copyable. Its block grows by GrowCount elements and
// keeps up to SlackCount spare ones (the BufferT rules). ArrayBufferM keeps up to
// InlineCount elements inside the object and uses the heap block only above that, so short
// messages need no allocation; the switch happens only in ResizeBuffer.
//
// Besides the element operations of IArray, both offer their storage's byte operations
// Fill, FillWide and GetCapacity; those work in bytes and do not change the element count.
#pragma once

#include "QKFramework/Utilities/Storage/Buffer.h"
#include "QKFramework/Utilities/Storage/IIterable.h"

#include <cstring>
#include <type_traits>

namespace QK
{

// Fourth and Fifth are 1 and 8 in every instance and change nothing.
template <class T, std::uint32_t GrowCount, std::uint32_t SlackCount, std::uint32_t Fourth = 1,
          std::uint32_t Fifth = 8, IAllocator* (*AllocatorFn)() = GetSystemAllocator>
class ArrayBuffer : public IArray<T>
{
    static_assert(std::is_trivially_copyable_v<T>, "elements are moved as bytes");
    static_assert(GrowCount > 0, "the block grows by at least one element");

public:
    using Storage = BufferT<GrowCount * sizeof(T), SlackCount * sizeof(T), Fifth, T*, AllocatorFn>;
    using IArray<T>::GetBuffer;

    // count zero-filled elements, with room for reserve when that is larger.
    explicit ArrayBuffer(std::uint32_t count = 0, std::uint32_t reserve = 0)
        : m_heap(Bytes(count), Bytes(reserve), true)
    {
    }

    ArrayBuffer(const ArrayBuffer&) = delete;
    ArrayBuffer& operator=(const ArrayBuffer&) = delete;
    virtual ~ArrayBuffer() = default;

    std::uint32_t GetCount() const override { return m_heap.GetSize() / sizeof(T); }

    const T* GetBuffer() const override { return const_cast<ArrayBuffer*>(this)->GetBuffer(); }
    T* GetBuffer() override { return static_cast<T*>(m_heap.GetBuffer()); }

    // Answers the new count.
    QKRESULT InsertAt(std::uint32_t index, const T& item) override
    {
        const T copy = item;
        const QKRESULT result = InsertCount(index, 1);
        if (Failed(result))
            return result;
        GetBuffer()[index] = copy;
        return result;
    }

    QKRESULT RemoveItem(std::uint32_t index, T& item) override
    {
        if (index >= GetCount())
            return QK_E_INVALIDARG;
        item = GetBuffer()[index];
        return RemoveRange(index, 1);
    }

    // New elements are zero.
    QKRESULT SetCount(std::uint32_t n) override
    {
        const std::uint32_t old = GetCount();
        const QKRESULT result = ResizeBuffer(n);
        if (Succeeded(result) && n > old)
            std::memset(GetBuffer() + old, 0, std::size_t(n - old) * sizeof(T));
        return result;
    }

    QKRESULT InsertCount(std::uint32_t index, std::uint32_t n) override
    {
        const std::uint32_t count = GetCount();
        if (n == 0)
            return static_cast<QKRESULT>(count);
        if (index > count)
            return QK_E_INVALIDARG;
        if (index == count)
            return SetCount(count + n);
        const QKRESULT result = ResizeBuffer(count + n);
        if (Failed(result))
            return result;
        T* data = GetBuffer();
        std::memmove(data + index + n, data + index, std::size_t(count - index) * sizeof(T));
        std::memset(data + index, 0, std::size_t(n) * sizeof(T));
        return result;
    }

    QKRESULT RemoveRange(std::uint32_t index, std::uint32_t n) override
    {
        const std::uint32_t count = GetCount();
        if (n == 0)
            return static_cast<QKRESULT>(count);
        if (std::uint64_t(index) + n > count)
            return QK_E_INVALIDARG;
        T* data = GetBuffer();
        std::memmove(data + index, data + index + n, std::size_t(count - index - n) * sizeof(T));
        return ResizeBuffer(count - n);
    }

    // Sets the count to n without clearing anything; answers n, or 0x80004005 for a count
    // beyond GetMaxCount. A failed allocation throws Exception<std::bad_alloc>.
    virtual QKRESULT ResizeBuffer(std::uint32_t n)
    {
        if (n > this->GetMaxCount() || std::uint64_t(n) * sizeof(T) > UINT32_MAX)
            return QK_E_FAIL;
        return static_cast<QKRESULT>(m_heap.SetSize(Bytes(n)) / sizeof(T));
    }

    virtual QKRESULT Fill(std::uint8_t value, std::uint32_t offset, std::int32_t count)
    {
        return m_heap.Fill(value, offset, count);
    }
    virtual QKRESULT FillWide(std::uint16_t value, std::uint32_t offset, std::int32_t count)
    {
        return m_heap.FillWide(value, offset, count);
    }
    // Bytes of the heap block.
    std::uint32_t GetCapacity() const { return m_heap.GetCapacity(); }

protected:
    static std::uint32_t Bytes(std::uint32_t count)
    {
        const std::uint64_t bytes = std::uint64_t(count) * sizeof(T);
        if (bytes > UINT32_MAX)
            ThrowBadAlloc();
        return static_cast<std::uint32_t>(bytes);
    }

    Storage m_heap;
};

template <class T, std::uint32_t InlineCount, std::uint32_t GrowCount, std::uint32_t SlackCount,
          std::uint32_t Fourth = 1, std::uint32_t Fifth = 8,
          IAllocator* (*AllocatorFn)() = GetSystemAllocator>
class ArrayBufferM : public ArrayBuffer<T, GrowCount, SlackCount, Fourth, Fifth, AllocatorFn>
{
    using Base = ArrayBuffer<T, GrowCount, SlackCount, Fourth, Fifth, AllocatorFn>;
    static_assert(InlineCount > 0, "an inline array holds at least one element");

public:
    using Base::GetBuffer;

    ArrayBufferM() = default;

    std::uint32_t GetCount() const override { return m_inlineCount != 0 ? m_inlineCount : Base::GetCount(); }

    T* GetBuffer() override { return GetCount() <= InlineCount ? m_inline : Base::GetBuffer(); }

    QKRESULT ResizeBuffer(std::uint32_t n) override
    {
        const std::uint32_t current = GetCount();
        if (current > InlineCount && n <= InlineCount)
        {
            std::memcpy(m_inline, Base::GetBuffer(), std::size_t(n) * sizeof(T));
            m_inlineCount = n;
            this->m_heap.Allocate(0);
        }
        else if (current > InlineCount)
            return Base::ResizeBuffer(n);
        else if (n > InlineCount)
        {
            if (n > this->GetMaxCount())
                return QK_E_FAIL;
            this->m_heap.Allocate(Base::Bytes(n));
            std::memcpy(Base::GetBuffer(), m_inline, std::size_t(current) * sizeof(T));
            m_inlineCount = 0;
        }
        else
            m_inlineCount = n;
        return static_cast<QKRESULT>(n);
    }

    QKRESULT Fill(std::uint8_t value, std::uint32_t offset, std::int32_t count) override
    {
        if (GetCount() > InlineCount)
            return Base::Fill(value, offset, count);
        return FillBytes(m_inline, InlineBytes(), value, offset, count);
    }

    QKRESULT FillWide(std::uint16_t value, std::uint32_t offset, std::int32_t count) override
    {
        if (GetCount() > InlineCount)
            return Base::FillWide(value, offset, count);
        return FillUnits(m_inline, InlineBytes(), value, offset, count);
    }

private:
    std::uint32_t InlineBytes() const { return GetCount() * sizeof(T); }

    std::uint32_t m_inlineCount = 0;
    T m_inline[InlineCount]{};
};

} // namespace QK
