// ConstRCPtrArray: a list of reference-counted objects, read as ConstRCPtr<T>.
//
// The objects' pointers lie contiguous in one BufferT, null allowed, and every non-null
// pointer holds one reference of its object. Elements are single pointers: inserting and
// removing moves pointers and never copies objects, except that storing an object that its
// holder marked unshareable stores a private copy, as any smart pointer would. The element
// count is the buffer size over the pointer size; Grow and Shrink are counted in pointers
// (the block is a whole number of Grow pointers, and up to Shrink spare ones are always
// kept). Lists are built an element at a time (a skin's looks, a window's controls), so
// the block grows to twice its size when it is full and is given back only once less than
// a quarter of it is in use: n appends cost n, not n squared.
//
// RemoveItem and RemoveLast move the stored reference into the caller's smart pointer;
// RemoveRange and SetCount release what they remove. An index past the end in RemoveItem
// (and so in RemoveRange) throws "Out of Range : "; the other operations answer
// QK_E_INVALIDARG. The array does not lock: a shared list is guarded by its owner.
#pragma once

#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/TypeName.h"
#include "QKFramework/Utilities/Storage/Buffer.h"
#include "QKFramework/Utilities/Storage/IIterable.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace QK
{

// GetBuffer answers on the array's face and deliberately hides the byte buffer's untyped one.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Woverloaded-virtual"
template <class T, std::uint32_t Grow = 1, std::uint32_t Shrink = 0>
class ConstRCPtrArray : public IArray<ConstRCPtr<T>>,
                        public BufferT<sizeof(T*) * Grow, sizeof(T*) * Shrink, 8, T**, GetSystemAllocator>
{
    using Buffer = BufferT<sizeof(T*) * Grow, sizeof(T*) * Shrink, 8, T**, GetSystemAllocator>;

    // Slots are plain object pointers, seen as smart pointers of the same one-pointer layout.
    static_assert(sizeof(ConstRCPtr<T>) == sizeof(T*) && std::is_standard_layout_v<ConstRCPtr<T>>);

public:
    using IArray<ConstRCPtr<T>>::GetBuffer;

    // The most elements whose pointers a 32-bit byte size can hold.
    static constexpr std::uint32_t kMaxSlots = 0xFFFFFFFFu / sizeof(T*);

    // count null elements, with room for reserve pointers when reserve is larger.
    explicit ConstRCPtrArray(std::uint32_t count = 0, std::uint32_t reserve = 0)
        : Buffer(Bytes(count), reserve > count ? Bytes(reserve) : 0, true)
    {
    }

    ConstRCPtrArray(const ConstRCPtrArray&) = delete;
    ConstRCPtrArray& operator=(const ConstRCPtrArray&) = delete;

    ~ConstRCPtrArray() override { ConstRCPtrArray::SetCount(0); }

    std::uint32_t GetCount() const override { return this->m_size / static_cast<std::uint32_t>(sizeof(T*)); }

    // The element slots; null while the buffer holds no block.
    ConstRCPtr<T>* GetBuffer() override { return reinterpret_cast<ConstRCPtr<T>*>(this->m_data); }

    // Exchanges the two stored pointers; no reference count changes.
    QKRESULT Swap(std::uint32_t index1, std::uint32_t index2) override
    {
        const std::uint32_t count = GetCount();
        if (index1 >= count || index2 >= count)
            return QK_E_INVALIDARG;
        std::swap(this->m_data[index1], this->m_data[index2]);
        return QK_OK;
    }

    // Stores item's object before index; answers index.
    QKRESULT InsertAt(std::uint32_t index, const ConstRCPtr<T>& item) override
    {
        // The reference (and the copy of an unshareable object) is taken before anything
        // changes: a failing copy leaves the array as it was, and item stays valid even if it
        // is one of our own slots and the storage moves.
        ConstRCPtr<T> held(item);
        const QKRESULT result = InsertCount(index, 1);
        if (Failed(result))
            return result;
        GetBuffer()[index] = std::move(held);
        return static_cast<QKRESULT>(index);
    }

    QKRESULT RemoveItem(std::uint32_t index, ConstRCPtr<T>& item) override
    {
        return RemoveInto(index, item, kConstSite);
    }

    QKRESULT RemoveLast(ConstRCPtr<T>& item) override
    {
        item = nullptr;
        const std::uint32_t count = GetCount();
        if (count == 0)
            return QK_E_FAIL;
        item.Adopt(GetBuffer()[count - 1].Detach());
        return SetCount(count - 1);
    }

    QKRESULT SetCount(std::uint32_t count) override
    {
        const std::uint32_t current = GetCount();
        if (count < current)
            return RemoveRange(count, current - count);
        if (count > current)
        {
            if (count > kMaxSlots)
                return QK_E_FAIL;
            Buffer::SetSizeAmortized(Bytes(count));
            ClearSlots(current, count - current);
        }
        return static_cast<QKRESULT>(count);
    }

    // Opens count null slots at index; they hold no reference.
    QKRESULT InsertCount(std::uint32_t index, std::uint32_t count) override
    {
        const std::uint32_t current = GetCount();
        if (count == 0)
            return static_cast<QKRESULT>(current);
        if (index > current)
            return QK_E_INVALIDARG;
        if (std::uint64_t{current} + count > kMaxSlots)
            return QK_E_FAIL;
        if (index == current)
            return SetCount(current + count);
        Buffer::SetSizeAmortized(Bytes(current + count));
        std::memmove(this->m_data + index + count, this->m_data + index, Bytes(current - index));
        ClearSlots(index, count);
        return static_cast<QKRESULT>(current + count);
    }

    // Removes the elements from index that exist and releases them in index order, each once
    // the array no longer holds it; the slots close in one move, so removing n elements costs
    // n, not n squared. Past the end it then throws as RemoveItem does.
    QKRESULT RemoveRange(std::uint32_t index, std::uint32_t count) override
    {
        const std::uint32_t current = GetCount();
        const std::uint32_t present = index < current ? std::min(count, current - index) : 0;
        if (present != 0)
        {
            std::vector<ConstRCPtr<T>> removed(present);
            for (std::uint32_t i = 0; i < present; ++i)
                removed[i].Adopt(GetBuffer()[index + i].Detach());
            std::memmove(this->m_data + index, this->m_data + index + present,
                         Bytes(current - index - present));
            Buffer::SetSizeAmortized(Bytes(current - present));
            for (ConstRCPtr<T>& item : removed)
                item = nullptr;
        }
        if (present != count)
            ThrowOutOfRange(kConstSite);
        return static_cast<QKRESULT>(GetCount());
    }

protected:
    // Where RemoveItem throws from, for the text of its out-of-range error.
    struct RemoveItemSite
    {
        const char* className;
        const char* source;
        int line;
    };
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    static constexpr RemoveItemSite kConstSite{"QK::ConstRCPtrArray", "utilities\\Storage/ConstRCPtrArray",
                                               217};

    // RemoveItem of both faces of an RCPtrArray: only the text of the error differs. The
    // stored reference moves into item, whose old object is released first.
    QKRESULT RemoveInto(std::uint32_t index, ConstRCPtr<T>& item, const RemoveItemSite& site)
    {
        const std::uint32_t count = GetCount();
        if (index >= count)
            ThrowOutOfRange(site);
        item = nullptr;
        item.Adopt(GetBuffer()[index].Detach());
        std::memmove(this->m_data + index, this->m_data + index + 1, Bytes(count - index - 1));
        Buffer::SetSizeAmortized(Bytes(count - 1));
        return static_cast<QKRESULT>(count - 1);
    }

private:
    static std::uint32_t Bytes(std::uint32_t count)
    {
        if (count > kMaxSlots)
            ThrowBadAlloc();
        return count * static_cast<std::uint32_t>(sizeof(T*));
    }

    void ClearSlots(std::uint32_t index, std::uint32_t count)
    {
        if (count != 0)
            std::memset(this->m_data + index, 0, Bytes(count));
    }

    [[noreturn]] static void ThrowOutOfRange(const RemoveItemSite& site)
    {
        const std::string function = std::string(site.className) + "<" + TypeName<T>() + "," +
                                     std::to_string(Grow) + "," + std::to_string(Shrink) + ">::RemoveItem";
        Throw<std::out_of_range>(ThrowSite{function, site.source, site.line});
    }
};
#pragma GCC diagnostic pop

} // namespace QK
