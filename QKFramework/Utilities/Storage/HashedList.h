// HashedList: a small hash table of 256 buckets, each an RCPtrArray of counted (key, value)
// pairs, for the renderers' caches and the font map. The bucket of a key is chosen by the
// instance's bit function: bits 4 to 11 (HashBits4To11) for keys that are identities or
// addresses, bits 0 to 7 (HashBits0To7) for dense small keys such as glyph indices.
//
// Keys compare with ==. A bucket is searched from its last pair to its first. Not locked:
// a list belongs to one thread at a time.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Utilities/Storage/RCPtrArray.h"
#include "QKFramework/Utilities/Storage/StringT.h"
#include "QKFramework/Utilities/Storage/VariantEx.h"

#include <cstdint>
#include <type_traits>

namespace QK
{

namespace detail
{
template <class Key> std::uintptr_t HashKeyBits(const Key& key) noexcept
{
    if constexpr (std::is_pointer_v<Key>)
        return reinterpret_cast<std::uintptr_t>(key);
    else if constexpr (requires { key.Get(); })
        return reinterpret_cast<std::uintptr_t>(key.Get());
    else
        return static_cast<std::uintptr_t>(key);
}
} // namespace detail

struct HashBits4To11
{
    template <class Key> std::uint32_t operator()(const Key& key) const noexcept
    {
        return static_cast<std::uint32_t>((detail::HashKeyBits(key) >> 4) & 255);
    }
};

struct HashBits0To7
{
    template <class Key> std::uint32_t operator()(const Key& key) const noexcept
    {
        return static_cast<std::uint32_t>(detail::HashKeyBits(key) & 255);
    }
};

struct HashedPairText
{
    template <class P> WString operator()(const P&) const { return WString(u"HashedList pair"); }
};

template <class Key, class Value, class Bits = HashBits4To11>
class HashedList
{
public:
    static constexpr std::uint32_t kBucketCount = 256;
    using PairType = LPair<Key, Value, HashedPairText, LRefCountedObject>;

    HashedList() = default;
    HashedList(const HashedList&) = delete;
    HashedList& operator=(const HashedList&) = delete;

    // The value of key, or null when it is not listed. The pointer stays valid until the
    // pair is removed.
    Value* Find(const Key& key) const
    {
        PairType* pair = FindPair(key);
        return pair ? &pair->value : nullptr;
    }

    // Replaces the value of a listed key (false), or appends a new pair (true).
    bool Add(const Key& key, const Value& value)
    {
        if (PairType* pair = FindPair(key))
        {
            pair->value = value;
            return false;
        }
        m_buckets[Bits{}(key)].Add(RCPtr<PairType>(new PairType(key, value)));
        ++m_count;
        return true;
    }

    // Removes the last pair of key's bucket with that key; false when there is none.
    bool Remove(const Key& key)
    {
        auto& bucket = m_buckets[Bits{}(key)];
        for (std::uint32_t i = bucket.GetCount(); i-- > 0;)
        {
            if ((*bucket.GetAt(i))->key == key)
            {
                bucket.RemoveRange(i, 1);
                --m_count;
                return true;
            }
        }
        return false;
    }

    std::uint32_t GetCount() const noexcept { return m_count; }

    void RemoveAll()
    {
        for (auto& bucket : m_buckets)
            bucket.RemoveAll();
        m_count = 0;
    }

private:
    PairType* FindPair(const Key& key) const
    {
        auto& bucket = m_buckets[Bits{}(key)];
        for (std::uint32_t i = bucket.GetCount(); i-- > 0;)
        {
            PairType* pair = bucket.GetAt(i)->Get();
            if (pair->key == key)
                return pair;
        }
        return nullptr;
    }

    mutable RCPtrArray<PairType> m_buckets[kBucketCount];
    std::uint32_t m_count = 0;
};

// A map from an object, by identity, to a counted record. The map holds a reference to each
// key object, so its address cannot come back for another object while it is listed. Bits
// is the number of address bits that pick among the buckets (8: 256 buckets).
template <class K, class V, int Bits>
class RCPtrMap
{
    static_assert(Bits == 8, "the map has 256 buckets");

public:
    // The record of key, or null.
    RCPtr<V> Find(const K* key) const
    {
        const Entry* entry = m_list.Find(key);
        return entry ? entry->value : RCPtr<V>();
    }
    // Lists the pair; a listed key gets the new record. True when the key is new.
    bool Add(const ConstRCPtr<K>& key, const RCPtr<V>& value) { return m_list.Add(key.Get(), Entry{key, value}); }
    void RemoveAll() { m_list.RemoveAll(); }
    std::uint32_t GetCount() const noexcept { return m_list.GetCount(); }

private:
    struct Entry
    {
        ConstRCPtr<K> keeper;
        RCPtr<V> value;
    };

    HashedList<const K*, Entry, HashBits4To11> m_list;
};

} // namespace QK
