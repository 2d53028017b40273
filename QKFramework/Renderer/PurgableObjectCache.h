// PurgableObjectCache: the fixed-capacity cache in which a renderer keeps what is expensive
// to rebuild (scaled bitmaps, paths, textures, display lists, glyph images). A lookup hands
// out the object slot of a key; the caller builds the object into an empty slot itself.
// When the cache is full a new key takes an empty entry if there is one, else the entry
// used least recently (ties: the less used, then the earlier). The owner purges now and
// then: every entry not used since the previous purge is emptied, keeping its key.
//
// Keys are handles worked out from a key object by HandleOf; they must be identities that
// are never reused (bitmap serials, not addresses). Bits picks the index bucket of a handle.
// A cache belongs to one renderer and is used on the UI thread only.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Utilities/Storage/HashedList.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace QK
{

template <class Object, class Handle>
struct PurgableCacheEntry
{
    static constexpr std::uint32_t kMaxUseCount = 0xFFFFFFFFu;

    Handle key{};
    RCPtr<Object> object;
    std::uint32_t stamp = 0;
    std::uint32_t useCount = 0;

    virtual ~PurgableCacheEntry() = default;
    virtual bool IsEmpty() const { return object.IsNull(); }

    void Empty()
    {
        object = nullptr;
        stamp = 0;
        useCount = 0;
    }
};

template <class Object, class KeyObject, class Handle, class HandleOf, class Bits = HashBits4To11>
class PurgableObjectCache
{
public:
    using Entry = PurgableCacheEntry<Object, Handle>;

    // capacity entries, all empty; at least one.
    explicit PurgableObjectCache(std::uint32_t capacity)
        : m_capacity(std::max<std::uint32_t>(capacity, 1)), m_entries(std::make_unique<Entry[]>(m_capacity))
    {
    }
    PurgableObjectCache(const PurgableObjectCache&) = delete;
    PurgableObjectCache& operator=(const PurgableObjectCache&) = delete;

    // The object slot of keyObject's handle, empty when the caller must build the object:
    // a new key, an entry emptied by a purge or an invalidation, or invalidate set. The slot
    // stays valid until the next lookup.
    RCPtr<Object>& GetEntry(const KeyObject& keyObject, bool invalidate = false)
    {
        const Handle key = HandleOf{}(keyObject);
        Entry* entry = nullptr;
        if (Entry** found = m_index.Find(key))
        {
            entry = *found;
            if (invalidate)
                entry->Empty();
        }
        else
        {
            const bool full = m_index.GetCount() >= m_capacity;
            entry = full ? ChooseVictim() : &m_entries[m_index.GetCount()];
            if (full)
                m_index.Remove(entry->key);
            entry->Empty();
            entry->key = key;
            m_index.Add(key, entry);
        }
        if (entry->useCount != Entry::kMaxUseCount)
            ++entry->useCount;
        entry->stamp = ++m_clock;
        return entry->object;
    }

    // Empties the key's entry, keeping its key and place: 0 when found, 1 when not.
    QKRESULT Invalidate(const KeyObject& keyObject)
    {
        Entry** found = m_index.Find(HandleOf{}(keyObject));
        if (!found)
            return QK_FALSE;
        (*found)->Empty();
        return QK_OK;
    }

    // Empties every entry last used before mark (by the clock, wrapping); answers how many.
    // Keys and index pairs stay. Owners pass GetPurgeMark() and then SetPurgeMark(GetClock()).
    std::uint32_t Purge(std::uint32_t mark)
    {
        std::uint32_t emptied = 0;
        for (std::uint32_t i = 0; i < m_capacity; ++i)
        {
            Entry& entry = m_entries[i];
            if (static_cast<std::int32_t>(entry.stamp - mark) < 0)
            {
                if (!entry.IsEmpty())
                    ++emptied;
                entry.Empty();
            }
        }
        return emptied;
    }

    std::uint32_t GetCapacity() const noexcept { return m_capacity; }
    std::uint32_t GetClock() const noexcept { return m_clock; }
    std::uint32_t GetPurgeMark() const noexcept { return m_purgeMark; }
    void SetPurgeMark(std::uint32_t mark) noexcept { m_purgeMark = mark; }
    // Keys listed in the index.
    std::uint32_t GetKeyCount() const noexcept { return m_index.GetCount(); }
    const Entry& GetEntryAt(std::uint32_t position) const { return m_entries[position]; }
    Entry& GetEntryAt(std::uint32_t position) { return m_entries[position]; }

private:
    // The first empty entry, else the oldest (greatest clock - stamp), the less used on a
    // tie, then the earlier.
    Entry* ChooseVictim()
    {
        std::uint32_t victim = 0;
        std::uint32_t oldest = 0;
        std::uint32_t fewest = Entry::kMaxUseCount;
        for (std::uint32_t i = 0; i < m_capacity; ++i)
        {
            const Entry& entry = m_entries[i];
            if (entry.IsEmpty())
                return &m_entries[i];
            const std::uint32_t age = m_clock - entry.stamp;
            if (age > oldest || (age == oldest && entry.useCount < fewest))
            {
                victim = i;
                oldest = age;
                fewest = entry.useCount;
            }
        }
        return &m_entries[victim];
    }

    std::uint32_t m_capacity;
    std::uint32_t m_clock = 0;
    std::uint32_t m_purgeMark = 0;
    std::unique_ptr<Entry[]> m_entries;
    HashedList<Handle, Entry*, Bits> m_index;
};

} // namespace QK
