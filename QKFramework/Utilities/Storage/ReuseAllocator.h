// ReuseAllocator: a pool of fixed-size blocks for one class, for objects made and destroyed
// at the rate of user input or of cross-thread work (notification arguments, work items).
//
// A block holds exactly one T. Blocks are never given back while the pool lives: a freed
// block waits on the free stack, and the most recently freed one is handed out first, so a
// steady stream of events keeps reusing the same few blocks. A request of another size (an
// object of a class derived from T) goes to the general heap, and so does its release.
//
// Free tells its own blocks from heap storage by looking the address up in the pool's table
// of block addresses; it never reads memory outside what it was given.
//
// A pool built thread-safe serialises Allocate and Free with a LockWord; the others are for
// one thread (the UI thread). ReusePooled gives a class its process-wide pool as its
// class-level allocation and deallocation functions.
#pragma once

#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Threads/LockWord.h"
#include "QKFramework/Utilities/Storage/ArrayBuffer.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <type_traits>

namespace QK
{

template <class T, std::uint32_t N> class ReuseAllocator
{
public:
    explicit ReuseAllocator(bool threadSafe)
    {
        // Each table gets its first granule now, so the first allocations do not grow it.
        m_blocks.SetCount(1);
        m_blocks.SetCount(0);
        m_free.SetCount(1);
        m_free.SetCount(0);
        m_index.SetCount(1);
        m_index.SetCount(0);
        if (threadSafe)
            m_lock = new LockWord();
    }

    ReuseAllocator(const ReuseAllocator&) = delete;
    ReuseAllocator& operator=(const ReuseAllocator&) = delete;

    virtual ~ReuseAllocator()
    {
        for (std::uint32_t i = m_blocks.GetCount(); i-- > 0;)
            delete m_blocks.GetBuffer()[i];
        m_blocks.SetCount(0);
        m_free.SetCount(0);
        m_index.SetCount(0);
        delete m_lock;
    }

    // Storage for size bytes: a pooled block when size is the size of T, else heap storage
    // (null when the heap is exhausted). A block that cannot be made raises the allocation
    // failure and leaves the pool as it was.
    void* Allocate(std::size_t size)
    {
        if (size != sizeof(T))
            return std::malloc(size);
        Hold hold(m_lock);
        if (m_freeCount != 0)
        {
            const std::uint32_t number = m_free.GetBuffer()[--m_freeCount];
            return m_blocks.GetBuffer()[number]->storage;
        }
        return NewBlock()->storage;
    }

    // Takes back storage from Allocate of this pool.
    void Free(void* pointer)
    {
        if (!pointer)
            return;
        {
            Hold hold(m_lock);
            const std::int32_t number = FindBlock(pointer);
            if (number >= 0)
            {
                // NewBlock gives the stack a slot for every block, so this needs no memory.
                // A stack that is full all the same (the block was given back twice) leaves
                // the block out of use rather than writing past the stack.
                if (m_freeCount < m_free.GetCount())
                    m_free.GetBuffer()[m_freeCount++] = static_cast<std::uint32_t>(number);
                return;
            }
        }
        std::free(pointer);
    }

    // Blocks made so far, and those of them now free.
    std::uint32_t GetBlockCount() const
    {
        Hold hold(m_lock);
        return m_blocks.GetCount();
    }
    std::uint32_t GetFreeCount() const
    {
        Hold hold(m_lock);
        return m_freeCount;
    }

private:
    struct Buf
    {
        std::uint32_t number;
        alignas(T) unsigned char storage[sizeof(T)];
    };

    // A block's storage address and its number, kept in address order for Free.
    struct IndexEntry
    {
        std::uintptr_t address;
        std::uint32_t number;
    };

    class Hold
    {
    public:
        explicit Hold(LockWord* lock) : m_lock(lock)
        {
            if (m_lock)
                AcquireLockWord(*m_lock);
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        ~Hold()
        {
            if (m_lock)
                ReleaseLockWord(*m_lock);
        }

    private:
        LockWord* m_lock;
    };

    // Under the lock.
    Buf* NewBlock()
    {
        const std::uint32_t number = m_blocks.GetCount();
        Buf* block = new (std::nothrow) Buf;
        if (!block)
            ThrowBadAlloc();
        block->number = number;
        const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(block->storage);
        const IndexEntry* index = m_index.GetBuffer();
        const std::uint32_t position =
            static_cast<std::uint32_t>(std::lower_bound(index, index + m_index.GetCount(), address,
                                                        [](const IndexEntry& entry, std::uintptr_t value)
                                                        { return entry.address < value; }) -
                                       index);
        try
        {
            // Room in every table first, so that the insertions below need no memory; the
            // free stack gets a slot for every block, so that Free never needs memory.
            if (!Reserve(m_blocks, number + 1) || !Reserve(m_index, number + 1) || !Reserve(m_free, number + 1) ||
                Failed(m_free.SetCount(number + 1)) || Failed(m_index.InsertAt(position, IndexEntry{address, number})))
                ThrowBadAlloc();
            if (Failed(m_blocks.InsertAt(number, block)))
            {
                m_index.RemoveRange(position, 1);
                ThrowBadAlloc();
            }
        }
        catch (...)
        {
            delete block;
            throw;
        }
        return block;
    }

    // Tables grow by half their count at a time, up to this many spare elements (within the
    // slack of 1600 that they keep), rather than by their granule: a window's controls each
    // take a block while the window is built, and a table grown a few elements at a time
    // would be copied to a new place every few blocks.
    static constexpr std::uint32_t kMostSpare = 1024;

    // Room in table for count elements; its count stays. False when memory ran out.
    template <class Table> static bool Reserve(Table& table, std::uint32_t count)
    {
        using Element = std::remove_pointer_t<decltype(table.GetBuffer())>;
        const std::uint32_t had = table.GetCount();
        if (table.GetCapacity() / sizeof(Element) >= count)
            return true;
        const std::uint32_t room = std::max(count, had + std::min(had / 2, kMostSpare));
        return Succeeded(table.SetCount(room)) && Succeeded(table.SetCount(had));
    }

    // Under the lock: the number of the block whose storage is at pointer, or -1.
    std::int32_t FindBlock(const void* pointer) const
    {
        const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(pointer);
        const IndexEntry* index = m_index.GetBuffer();
        const IndexEntry* end = index + m_index.GetCount();
        const IndexEntry* entry = std::lower_bound(
            index, end, address, [](const IndexEntry& e, std::uintptr_t value) { return e.address < value; });
        if (entry == end || entry->address != address)
            return -1;
        return static_cast<std::int32_t>(entry->number);
    }

    ArrayBuffer<Buf*, N, 1600> m_blocks;
    ArrayBuffer<std::uint32_t, N, 1600> m_free;
    ArrayBuffer<IndexEntry, N, 1600> m_index;
    // The free blocks are the first m_freeCount entries of m_free, the last freed on top.
    std::uint32_t m_freeCount = 0;
    LockWord* m_lock = nullptr;
};

// Base of a pooled class T: its objects take their storage from T's process-wide pool (growth
// N, locked when ThreadSafe). A class derived from T that is not pooled itself inherits these
// functions and, being larger, gets heap storage.
template <class T, std::uint32_t N, bool ThreadSafe> class ReusePooled
{
public:
    // The pool is never destroyed: objects of T may still be released while the process
    // exits, by a worker thread winding down or by another static object's destructor, and
    // must not find their pool gone. Its blocks stay reachable from here until the end.
    static ReuseAllocator<T, N>& GetReuseAllocator()
    {
        static auto* const pool = new ReuseAllocator<T, N>(ThreadSafe);
        return *pool;
    }

    static void* operator new(std::size_t size)
    {
        void* storage = GetReuseAllocator().Allocate(size);
        if (!storage)
            ThrowBadAlloc();
        return storage;
    }

    static void operator delete(void* storage) noexcept { GetReuseAllocator().Free(storage); }

protected:
    ReusePooled() = default;
    ~ReusePooled() = default;
};

} // namespace QK
