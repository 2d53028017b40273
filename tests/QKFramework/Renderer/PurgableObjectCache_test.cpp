#include "QKFramework/Renderer/PurgableObjectCache.h"

#include <gtest/gtest.h>

#include <vector>

namespace QK
{
namespace
{

struct Cached : public virtual LRefCountedObject
{
    explicit Cached(int k) : key(k) {}
    int key;
};

struct Identity
{
    int operator()(int key) const { return key; }
};

using Cache = PurgableObjectCache<Cached, int, int, Identity>;

// Looks key up and builds its object when the slot is empty; answers whether it was built.
bool Use(Cache& cache, int key, bool invalidate = false)
{
    RCPtr<Cached>& slot = cache.GetEntry(key, invalidate);
    if (slot)
    {
        EXPECT_EQ(slot->key, key);
        return false;
    }
    slot = RCPtr<Cached>(new Cached(key));
    return true;
}

std::vector<int> Keys(const Cache& cache)
{
    std::vector<int> keys;
    for (std::uint32_t i = 0; i < cache.GetCapacity(); ++i)
        keys.push_back(cache.GetEntryAt(i).IsEmpty() ? -1 : cache.GetEntryAt(i).key);
    return keys;
}

TEST(PurgableObjectCacheTest, FillsInOrderThenEvictsTheLeastRecentlyUsed)
{
    Cache cache(3);
    EXPECT_TRUE(Use(cache, 10));
    EXPECT_TRUE(Use(cache, 20));
    EXPECT_TRUE(Use(cache, 30));
    EXPECT_FALSE(Use(cache, 10));
    EXPECT_EQ(Keys(cache), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(cache.GetClock(), 4u);

    // 20 was used longest ago.
    EXPECT_TRUE(Use(cache, 40));
    EXPECT_EQ(Keys(cache), (std::vector<int>{10, 40, 30}));
    EXPECT_TRUE(Use(cache, 20));
    EXPECT_EQ(Keys(cache), (std::vector<int>{10, 40, 20}));
    EXPECT_EQ(cache.GetKeyCount(), 3u);
    EXPECT_FALSE(Use(cache, 40));
}

TEST(PurgableObjectCacheTest, TiesGoToTheLessUsedThenTheEarlierEntry)
{
    Cache cache(3);
    Use(cache, 1);
    Use(cache, 2);
    Use(cache, 3);
    // Make every age equal by giving all three the same stamp age: the clock cannot do
    // that, so set the stamps as a wrapped clock would leave them.
    for (std::uint32_t i = 0; i < 3; ++i)
        cache.GetEntryAt(i).stamp = 1;
    cache.GetEntryAt(0).useCount = 5;
    cache.GetEntryAt(1).useCount = 2;
    cache.GetEntryAt(2).useCount = 2;
    EXPECT_TRUE(Use(cache, 4));
    EXPECT_EQ(Keys(cache), (std::vector<int>{1, 4, 3}));

    // A full tie (age 0 and the greatest use count everywhere) keeps to entry 0.
    for (std::uint32_t i = 0; i < 3; ++i)
    {
        cache.GetEntryAt(i).stamp = cache.GetClock();
        cache.GetEntryAt(i).useCount = 0xFFFFFFFF;
    }
    EXPECT_TRUE(Use(cache, 5));
    EXPECT_EQ(Keys(cache), (std::vector<int>{5, 4, 3}));
}

TEST(PurgableObjectCacheTest, EmptiedEntriesAreReusedBeforeAnythingIsEvicted)
{
    Cache cache(3);
    Use(cache, 1);
    Use(cache, 2);
    Use(cache, 3);
    EXPECT_EQ(cache.Invalidate(2), QK_OK);
    EXPECT_EQ(cache.Invalidate(9), QK_FALSE);
    // The invalidated entry keeps its key: looking it up finds it empty, to rebuild in place.
    EXPECT_EQ(cache.GetEntryAt(1).key, 2);
    EXPECT_EQ(cache.GetEntryAt(1).useCount, 0u);
    EXPECT_TRUE(Use(cache, 4));
    EXPECT_EQ(Keys(cache), (std::vector<int>{1, 4, 3}));
    EXPECT_EQ(cache.GetKeyCount(), 3u);

    // Fetching with invalidate empties a found entry but keeps its key and place.
    EXPECT_TRUE(Use(cache, 3, true));
    EXPECT_EQ(Keys(cache), (std::vector<int>{1, 4, 3}));
    EXPECT_EQ(cache.GetEntryAt(2).useCount, 1u);
}

TEST(PurgableObjectCacheTest, PurgeEmptiesWhatWasNotUsedSinceTheMark)
{
    Cache cache(4);
    Use(cache, 1);
    Use(cache, 2);
    Use(cache, 1);
    cache.SetPurgeMark(cache.GetClock());
    Use(cache, 3);
    // 2 was used before the mark; 1 at the mark (the last use before it) and 3 since.
    EXPECT_EQ(cache.Purge(cache.GetPurgeMark()), 1u);
    cache.SetPurgeMark(cache.GetClock());
    EXPECT_EQ(Keys(cache), (std::vector<int>{1, -1, 3, -1}));
    EXPECT_EQ(cache.GetEntryAt(1).key, 2);
    EXPECT_EQ(cache.GetKeyCount(), 3u);
    EXPECT_TRUE(Use(cache, 2));
    EXPECT_EQ(Keys(cache), (std::vector<int>{1, 2, 3, -1}));

    // Stamps compare as a wrapping clock: a stamp just past the mark across the wrap is newer.
    cache.GetEntryAt(0).stamp = 0x00000002;
    cache.GetEntryAt(2).stamp = 0xFFFFFFF0;
    EXPECT_EQ(cache.Purge(0xFFFFFFFE), 1u);
    EXPECT_EQ(Keys(cache), (std::vector<int>{1, 2, -1, -1}));
}

TEST(PurgableObjectCacheTest, TheUseCountStopsAtItsMaximum)
{
    Cache cache(2);
    Use(cache, 7);
    cache.GetEntryAt(0).useCount = 0xFFFFFFFE;
    Use(cache, 7);
    EXPECT_EQ(cache.GetEntryAt(0).useCount, 0xFFFFFFFFu);
    const std::uint32_t stamp = cache.GetEntryAt(0).stamp;
    Use(cache, 7);
    EXPECT_EQ(cache.GetEntryAt(0).useCount, 0xFFFFFFFFu);
    EXPECT_EQ(cache.GetEntryAt(0).stamp, stamp + 1);
}

struct Sized
{
    std::uint64_t identity;
    std::int32_t width;
    std::int32_t height;
    friend bool operator==(const Sized&, const Sized&) = default;
};

struct SizedHandle
{
    Sized operator()(const Sized& key) const { return key; }
};

struct SizedBits
{
    std::uint32_t operator()(const Sized& key) const { return HashBits4To11{}(key.identity); }
};

TEST(PurgableObjectCacheTest, HandlesCanBeCompositeKeys)
{
    PurgableObjectCache<Cached, Sized, Sized, SizedHandle, SizedBits> cache(4);
    RCPtr<Cached>& first = cache.GetEntry({1, 10, 10});
    first = RCPtr<Cached>(new Cached(1));
    EXPECT_TRUE(cache.GetEntry({1, 20, 10}).IsNull());
    EXPECT_FALSE(cache.GetEntry({1, 10, 10}).IsNull());
    EXPECT_EQ(cache.GetKeyCount(), 2u);
}

} // namespace
} // namespace QK
