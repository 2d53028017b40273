// IIterable, IIterableModifiable and IArray: the one interface family that every framework
// container answers to.
//
// Code that takes a container takes one of these interfaces, so any container can feed
// another's AppendIterable, Append or Assign, and one body of a default operation serves
// every element type. IIterable reads and walks, IIterableModifiable changes the element
// sequence, IArray adds contiguous storage and with it the pointer-based defaults.
//
// Positions are element addresses. A non-empty container also has two sentinels that are
// never read through: the end position (one past the last element) and the before-first
// position (one before the first). An empty container has only the null position.
//
// Modifying operations answer a count or an index, or a negative QKRESULT, in one 32-bit
// word: QK_E_INVALIDARG for a bad index or range, QK_E_FAIL when the storage does not
// reach the count needed. None of the containers locks; a shared one is guarded by its
// owner.
//
// Contents: IIterable (with its Iterator), IIterableModifiable, IArray.
#pragma once

#include "QKFramework/ObjectBase/Result.h"

#include <cstdint>

namespace QK
{

namespace detail
{
// A position n elements away. Sentinels lie outside the storage, so the address is worked
// out as an integer rather than with pointer arithmetic.
template <class T> T* OffsetPosition(T* position, std::intptr_t elements) noexcept
{
    const std::uintptr_t address =
        reinterpret_cast<std::uintptr_t>(position) +
        static_cast<std::uintptr_t>(elements * static_cast<std::intptr_t>(sizeof(T)));
    return reinterpret_cast<T*>(address);
}
} // namespace detail

// Reading and walking a sequence of T.
template <class T> class IIterable
{
public:
    // The largest count of every container that sets no lower limit of its own.
    static constexpr std::uint32_t kMaxCount = 0x7FFFFFFF;

    // A plain value: the container that made it, the current position and the step (+1 for
    // a forward walk, -1 for a reverse one). A walk is bounded by the count taken before it,
    // not by a comparison with End:
    //     Iterator it = c.Begin();
    //     for (std::uint32_t i = c.GetCount(); i != 0; --i) use(*c.GetIteratorPosition(it.Next()));
    struct Iterator
    {
        const IIterable* container = nullptr;
        T* position = nullptr;
        std::int32_t step = 1;

        // Moves one step on and answers the position it stood on.
        T* Next()
        {
            T* kept = position;
            position = container->Advance(position, step);
            return kept;
        }
    };

    virtual std::uint32_t GetCount() const = 0;
    virtual std::uint32_t GetMaxCount() const { return kMaxCount; }

    virtual Iterator Begin() const { return {this, FirstPointer(), 1}; }
    virtual Iterator Begin() { return {this, FirstPointer(), 1}; }
    virtual Iterator End() const { return {this, EndPointer(), 1}; }
    virtual Iterator End() { return {this, EndPointer(), 1}; }
    virtual Iterator RBegin() const { return {this, LastPointer(), -1}; }
    virtual Iterator RBegin() { return {this, LastPointer(), -1}; }
    virtual Iterator REnd() const { return {this, BeforeFirstPointer(), -1}; }
    virtual Iterator REnd() { return {this, BeforeFirstPointer(), -1}; }

    virtual const T* GetIteratorPosition(T* position) const
    {
        return const_cast<IIterable*>(this)->GetIteratorPosition(position);
    }
    virtual T* GetIteratorPosition(T* position) = 0;

    // The element at index, found by walking; null when index is not below the count. It
    // serves iterables without contiguous storage: every array replaces it.
    virtual const T* GetAt(std::uint32_t index) const
    {
        T* position = WalkTo(index);
        return position ? GetIteratorPosition(position) : nullptr;
    }
    virtual T* GetAt(std::uint32_t index)
    {
        T* position = WalkTo(index);
        return position ? GetIteratorPosition(position) : nullptr;
    }

    virtual QKRESULT Swap(std::uint32_t index1, std::uint32_t index2)
    {
        const std::uint32_t count = GetCount();
        if (index1 >= count || index2 >= count)
            return QK_E_INVALIDARG;
        T* first = GetAt(index1);
        T* second = GetAt(index2);
        const T kept(*first);
        *first = *second;
        *second = kept;
        return QK_OK;
    }

    // The position n elements further (n may be negative), clamped to the two sentinels.
    virtual T* Advance(T* position, std::int32_t n) const = 0;
    virtual T* FirstPointer() const = 0;
    virtual T* EndPointer() const = 0;
    virtual T* LastPointer() const = 0;
    virtual T* BeforeFirstPointer() const = 0;

protected:
    IIterable() = default;
    IIterable(const IIterable&) = default;
    IIterable& operator=(const IIterable&) = default;
    ~IIterable() = default;

private:
    // The position of element index, or null when there is none.
    T* WalkTo(std::uint32_t index) const
    {
        if (index >= GetCount())
            return nullptr;
        Iterator it = Begin();
        for (std::uint32_t i = 0; i < index; ++i)
            it.Next();
        return it.position;
    }
};

// Changing the element sequence.
template <class T> class IIterableModifiable : public IIterable<T>
{
public:
    using typename IIterable<T>::Iterator;

    virtual QKRESULT RemoveAll() { return SetCount(0) == 0 ? QK_OK : QK_E_FAIL; }

    // Inserts a copy of item before index (index = count appends). Answers the new count.
    virtual QKRESULT InsertAt(std::uint32_t index, const T& item)
    {
        // The copy keeps item valid when it is one of our own elements and the insert moves it.
        const T copy(item);
        const QKRESULT result = InsertCount(index, 1);
        if (Failed(result))
            return result;
        *this->GetAt(index) = copy;
        return result;
    }

    // Hands the element at index to item and removes it. Answers the new count.
    virtual QKRESULT RemoveItem(std::uint32_t index, T& item)
    {
        const T* element = this->GetAt(index);
        if (element == nullptr)
            return QK_E_INVALIDARG;
        item = *element;
        return RemoveRange(index, 1);
    }

    // Appends copies of every element of other in its iteration order. Answers the new count.
    virtual QKRESULT AppendIterable(const IIterable<T>& other)
    {
        std::uint32_t old = 0;
        const QKRESULT grown = GrowToAppend(other.GetCount(), old);
        if (Failed(grown) || static_cast<std::uint32_t>(grown) == old)
            return grown;
        // The source is walked only now, so appending a container to itself copies its old elements.
        Iterator source = other.Begin();
        Iterator target = this->Begin();
        target.position = this->Advance(target.position, target.step * static_cast<std::int32_t>(old));
        for (std::uint32_t i = old; i < static_cast<std::uint32_t>(grown); ++i)
            *this->GetIteratorPosition(target.Next()) = *other.GetIteratorPosition(source.Next());
        return grown;
    }

    virtual QKRESULT Add(const T& item) { return InsertAt(this->GetCount(), item); }
    virtual QKRESULT RemoveLast(T& item) { return RemoveItem(this->GetCount() - 1, item); }

    // Replaces the elements by copies of other's. Assigning a container to itself keeps it.
    virtual QKRESULT Assign(const IIterable<T>& other)
    {
        if (&other == static_cast<const IIterable<T>*>(this))
            return static_cast<QKRESULT>(this->GetCount());
        SetCount(0);
        return AppendIterable(other);
    }

    virtual QKRESULT SetCount(std::uint32_t count) = 0;
    virtual QKRESULT InsertCount(std::uint32_t index, std::uint32_t count) = 0;
    virtual QKRESULT RemoveRange(std::uint32_t index, std::uint32_t count) = 0;

protected:
    IIterableModifiable() = default;
    IIterableModifiable(const IIterableModifiable&) = default;
    IIterableModifiable& operator=(const IIterableModifiable&) = default;
    ~IIterableModifiable() = default;

    // The first half of an append: grows the count by added through SetCount. Answers the
    // new count (the old one when nothing is added) or QK_E_FAIL when the storage does not
    // reach it; old receives the count before.
    QKRESULT GrowToAppend(std::uint32_t added, std::uint32_t& old)
    {
        old = this->GetCount();
        if (added == 0)
            return static_cast<QKRESULT>(old);
        const std::uint64_t wanted = std::uint64_t{old} + added;
        if (wanted > IIterable<T>::kMaxCount)
            return QK_E_FAIL;
        const QKRESULT result = SetCount(static_cast<std::uint32_t>(wanted));
        return result == static_cast<QKRESULT>(wanted) ? result : QK_E_FAIL;
    }
};

// A sequence in contiguous storage: positions, element access and walks come from the
// buffer address, so a container supplies only its count, its buffer and its resizing.
template <class T> class IArray : public IIterableModifiable<T>
{
public:
    using typename IIterable<T>::Iterator;
    using IIterable<T>::GetIteratorPosition;

    std::uint32_t GetCount() const override = 0;

    // A position is the element's own address.
    T* GetIteratorPosition(T* position) override { return position; }

    // The element at index, straight from the buffer; null when index is not below the count.
    const T* GetAt(std::uint32_t index) const override
    {
        return index < GetCount() ? GetBuffer() + index : nullptr;
    }
    T* GetAt(std::uint32_t index) override { return index < GetCount() ? GetBuffer() + index : nullptr; }

    T* Advance(T* position, std::int32_t n) const override
    {
        if (GetCount() == 0)
            return nullptr;
        const auto target = reinterpret_cast<std::uintptr_t>(detail::OffsetPosition(position, n));
        const auto beforeFirst = reinterpret_cast<std::uintptr_t>(BeforeFirstPointer());
        const auto end = reinterpret_cast<std::uintptr_t>(EndPointer());
        if (target <= beforeFirst)
            return BeforeFirstPointer();
        return target < end ? reinterpret_cast<T*>(target) : EndPointer();
    }

    T* FirstPointer() const override { return PositionAt(0); }
    T* EndPointer() const override { return PositionAt(GetCount()); }
    T* LastPointer() const override { return PositionAt(std::intptr_t{GetCount()} - 1); }
    T* BeforeFirstPointer() const override { return PositionAt(-1); }

    QKRESULT SetCount(std::uint32_t count) override = 0;
    QKRESULT InsertCount(std::uint32_t index, std::uint32_t count) override = 0;
    QKRESULT RemoveRange(std::uint32_t index, std::uint32_t count) override = 0;

    virtual const T* GetBuffer() const { return const_cast<IArray*>(this)->GetBuffer(); }
    virtual T* GetBuffer() = 0;

    // Appends copies of every element of other, writing straight into the buffer. Answers
    // the new count.
    virtual QKRESULT Append(const IArray<T>& other)
    {
        std::uint32_t old = 0;
        const QKRESULT grown = this->GrowToAppend(other.GetCount(), old);
        if (Failed(grown) || static_cast<std::uint32_t>(grown) == old)
            return grown;
        T* target = GetBuffer() + old;
        Iterator source = other.Begin();
        for (std::uint32_t i = old; i < static_cast<std::uint32_t>(grown); ++i)
            *target++ = *other.GetIteratorPosition(source.Next());
        return grown;
    }

protected:
    IArray() = default;
    IArray(const IArray&) = default;
    IArray& operator=(const IArray&) = default;
    ~IArray() = default;

private:
    // The position of element index (which may be -1 or the count), null when empty.
    T* PositionAt(std::intptr_t index) const
    {
        if (GetCount() == 0)
            return nullptr;
        return detail::OffsetPosition(const_cast<T*>(GetBuffer()), index);
    }
};

} // namespace QK
