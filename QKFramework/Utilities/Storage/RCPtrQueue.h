// RCPtrQueue: a first-in, first-out queue of reference-counted objects between threads.
//
// Producers on any thread enqueue; one consumer dequeues. The items live in a ring of smart
// pointer slots (null when free) kept in an RCPtrArray; one slot always stays free, so equal
// indices mean empty. A full ring grows by one slot inserted at the read index, so an enqueue
// never drops an item, never blocks for room and keeps the order. The ring never shrinks.
//
// Every operation runs under the lock given at construction (null: one thread only). The
// queue only attaches and detaches references under the lock; the consumer works on the
// returned pointer after the lock is released.
#pragma once

#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/ObjectBase/TypeName.h"
#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Utilities/Storage/RCPtrArray.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace QK
{

template <class T, std::uint32_t N = 256, class Lock = Mutex> class RCPtrQueue
{
public:
    // The ring starts with slots null slots (N unless told otherwise).
    explicit RCPtrQueue(Lock* lock, std::uint32_t slots = N) : m_ring(slots, slots), m_lock(lock) {}
    RCPtrQueue(const RCPtrQueue&) = delete;
    RCPtrQueue& operator=(const RCPtrQueue&) = delete;

    // Appends item at the end; always 0.
    QKRESULT Enqueue(const ConstRCPtr<T>& item)
    {
        Hold hold(m_lock);
        std::uint32_t slots = m_ring.GetCount();
        // A ring of fewer than two slots could never hold an item.
        if (slots < 2)
        {
            m_ring.SetCount(2);
            slots = 2;
            m_write = 0;
            m_read = 0;
        }
        if (CountItems(slots) == slots - 1)
        {
            // Full: open a free slot at the read index; the read index follows its item.
            if (m_write > m_read)
                ++m_write;
            m_ring.InsertCount(m_read, 1);
            slots = m_ring.GetCount();
            m_read = (m_read + 1) % slots;
        }
        static_cast<ConstRCPtr<T>&>(m_ring.GetBuffer()[m_write]) = item;
        m_write = (m_write + 1) % slots;
        return QK_OK;
    }

    // Removes and answers the oldest item. An empty queue raises a runtime error and stays
    // unchanged.
    RCPtr<T> Dequeue()
    {
        RCPtr<T> result;
        {
            Hold hold(m_lock);
            const std::uint32_t slots = m_ring.GetCount();
            if (CountItems(slots) != 0)
            {
                RCPtr<T>& slot = m_ring.GetBuffer()[m_read];
                result = slot;
                slot = nullptr;
                m_read = (m_read + 1) % slots;
                return result;
            }
        }
        ThrowEmpty();
    }

    std::uint32_t GetCount() const
    {
        Hold hold(m_lock);
        return CountItems(m_ring.GetCount());
    }

    // Slots in the ring, free ones included.
    std::uint32_t GetSlotCount() const
    {
        Hold hold(m_lock);
        return m_ring.GetCount();
    }

private:
    class Hold
    {
    public:
        explicit Hold(Lock* lock) : m_lock(lock)
        {
            if (m_lock)
                m_lock->Lock();
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        ~Hold()
        {
            if (m_lock)
                m_lock->Unlock();
        }

    private:
        Lock* m_lock;
    };

    std::uint32_t CountItems(std::uint32_t slots) const
    {
        if (slots == 0)
            return 0;
        return m_write >= m_read ? m_write - m_read : m_write + slots - m_read;
    }

    [[noreturn]] static void ThrowEmpty()
    {
        const std::string function = "QK::RCPtrQueue<" + TypeName<T>() + "," + std::to_string(N) + "," +
                                     TypeName<Lock>() + ">::Dequeue";
        // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
        Throw<std::runtime_error>(ThrowSite{function, "utilities\\Storage/RCPtrQueue", 110});
    }

    RCPtrArray<T, N, N> m_ring;
    std::uint32_t m_write = 0;
    std::uint32_t m_read = 0;
    Lock* m_lock;
};

} // namespace QK
