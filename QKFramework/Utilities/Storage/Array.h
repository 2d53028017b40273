// Array and SimpleFixedArray: the value arrays of the framework.
//
// Array<T> is a growable contiguous sequence of values, copied and destroyed with T's own
// operations; its GetAt checks the index and raises the standard out-of-range error, which
// RemoveItem and RemoveLast pass on. SimpleFixedArray<T, N> keeps at most N elements inside
// the object and never allocates; it is filled through GetBuffer after being made with its
// count.
#pragma once

#include "QKFramework/Utilities/Storage/IIterable.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace QK
{

template <class T> class Array : public IArray<T>
{
public:
    using typename IIterable<T>::Iterator;
    using IArray<T>::GetBuffer;

    Array() = default;
    Array(const Array&) = default;
    Array(Array&&) noexcept = default;
    Array& operator=(const Array&) = default;
    Array& operator=(Array&&) noexcept = default;

    std::uint32_t GetCount() const override { return static_cast<std::uint32_t>(m_items.size()); }

    const T* GetAt(std::uint32_t index) const override
    {
        CheckIndex(index);
        return &m_items[index];
    }
    T* GetAt(std::uint32_t index) override
    {
        CheckIndex(index);
        return &m_items[index];
    }

    // Answers index, the position of the new element.
    QKRESULT InsertAt(std::uint32_t index, const T& item) override
    {
        if (index > GetCount())
            return QK_E_INVALIDARG;
        if (GetCount() >= this->GetMaxCount())
            return QK_E_FAIL;
        m_items.insert(m_items.begin() + index, item);
        return static_cast<QKRESULT>(index);
    }

    // New elements are value-initialised: zero for plain values, empty for classes.
    QKRESULT SetCount(std::uint32_t count) override
    {
        if (count > this->GetMaxCount())
            return QK_E_FAIL;
        m_items.resize(count);
        return static_cast<QKRESULT>(count);
    }

    QKRESULT InsertCount(std::uint32_t index, std::uint32_t count) override
    {
        if (index > GetCount())
            return QK_E_INVALIDARG;
        if (std::uint64_t{GetCount()} + count > this->GetMaxCount())
            return QK_E_FAIL;
        m_items.insert(m_items.begin() + index, count, T());
        return static_cast<QKRESULT>(GetCount());
    }

    QKRESULT RemoveRange(std::uint32_t index, std::uint32_t count) override
    {
        if (index >= GetCount() || std::uint64_t{index} + count > GetCount())
            return QK_E_INVALIDARG;
        m_items.erase(m_items.begin() + index, m_items.begin() + index + count);
        return static_cast<QKRESULT>(GetCount());
    }

    // Null while the array holds no element.
    T* GetBuffer() override { return m_items.empty() ? nullptr : m_items.data(); }

    virtual ~Array() = default;

    // Equal counts and, walking both in step, equal elements by T's own equality.
    static bool IsEqual(const IIterable<T>& a, const IIterable<T>& b)
    {
        const std::uint32_t count = a.GetCount();
        if (count != b.GetCount())
            return false;
        Iterator left = a.Begin();
        Iterator right = b.Begin();
        for (std::uint32_t i = 0; i < count; ++i)
        {
            if (!(*a.GetIteratorPosition(left.Next()) == *b.GetIteratorPosition(right.Next())))
                return false;
        }
        return true;
    }

private:
    void CheckIndex(std::uint32_t index) const
    {
        if (index >= GetCount())
            throw std::out_of_range("invalid vector<T> subscript");
    }

    std::vector<T> m_items;
};

template <class T, std::uint32_t N> class SimpleFixedArray : public IArray<T>
{
public:
    // The count is capped at N; the elements are then written through GetBuffer.
    explicit SimpleFixedArray(std::uint32_t count = 0) : m_count(std::min(count, N)) {}

    std::uint32_t GetCount() const override { return m_count; }
    std::uint32_t GetMaxCount() const override { return N; }

    // Caps the count at N and answers the count set. Elements are neither cleared nor built.
    QKRESULT SetCount(std::uint32_t count) override
    {
        m_count = std::min(count, N);
        return static_cast<QKRESULT>(m_count);
    }

    // The opened slots keep whatever stood there.
    QKRESULT InsertCount(std::uint32_t index, std::uint32_t count) override
    {
        if (count == 0)
            return static_cast<QKRESULT>(m_count);
        if (index > m_count || std::uint64_t{m_count} + count > N)
            return QK_E_INVALIDARG;
        const std::uint32_t old = m_count;
        m_count += count;
        std::move_backward(m_items + index, m_items + old, m_items + m_count);
        return static_cast<QKRESULT>(m_count);
    }

    QKRESULT RemoveRange(std::uint32_t index, std::uint32_t count) override
    {
        if (count == 0)
            return static_cast<QKRESULT>(m_count);
        if (std::uint64_t{index} + count > m_count)
            return QK_E_INVALIDARG;
        std::move(m_items + index + count, m_items + m_count, m_items + index);
        return SetCount(m_count - count);
    }

    // The inline storage, also while empty.
    const T* GetBuffer() const override { return m_items; }
    T* GetBuffer() override { return m_items; }

private:
    std::uint32_t m_count;
    T m_items[N]{};
};

} // namespace QK
