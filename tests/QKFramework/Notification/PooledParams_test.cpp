// Argument objects taken from per-class block pools.
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Utilities/Storage/ReuseAllocator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace PooledParams
{

using namespace QK;

// A pooled argument class with growth 4 and no lock, as the input parameters are.
class LPointParam : public ReusePooled<LPointParam, 4, false>, public virtual LRefCountedObject
{
public:
    explicit LPointParam(int x = 0, bool fail = false) : x(x)
    {
        if (fail)
            throw std::runtime_error("constructor failed");
    }
    int x;
};

// Derived and not pooled itself: larger, so its objects come from the heap.
class LPointWithExtrasParam : public LPointParam
{
public:
    std::array<std::int64_t, 8> extras{};
};

ReuseAllocator<LPointParam, 4>& Pool()
{
    return LPointParam::GetReuseAllocator();
}

ConstRCPtr<LPointParam> Make(int x = 0)
{
    return ConstRCPtr<LPointParam>(new LPointParam(x));
}

TEST(ReuseAllocator, FreedBlockIsTheNextOneHandedOut)
{
    ConstRCPtr<LPointParam> first = Make(1);
    ConstRCPtr<LPointParam> second = Make(2);
    const void* firstStorage = first.Get();
    const std::uint32_t blocks = Pool().GetBlockCount();
    const std::uint32_t free = Pool().GetFreeCount();
    first = nullptr;
    EXPECT_EQ(Pool().GetFreeCount(), free + 1);
    const ConstRCPtr<LPointParam> third = Make(3);
    EXPECT_EQ(static_cast<const void*>(third.Get()), firstStorage);
    EXPECT_EQ(third->x, 3);
    EXPECT_EQ(Pool().GetBlockCount(), blocks);
    EXPECT_EQ(Pool().GetFreeCount(), free);
}

TEST(ReuseAllocator, FreeStackIsLastInFirstOut)
{
    ConstRCPtr<LPointParam> a = Make();
    ConstRCPtr<LPointParam> b = Make();
    const void* storageA = a.Get();
    const void* storageB = b.Get();
    a = nullptr;
    b = nullptr;
    const ConstRCPtr<LPointParam> c = Make();
    const ConstRCPtr<LPointParam> d = Make();
    EXPECT_EQ(static_cast<const void*>(c.Get()), storageB);
    EXPECT_EQ(static_cast<const void*>(d.Get()), storageA);
}

TEST(ReuseAllocator, PoolGrowsToThePeakAndKeepsEveryBlock)
{
    // One more than the growth step alive at once, beyond whatever earlier tests left.
    const std::uint32_t peak = Pool().GetBlockCount() + 5;
    std::vector<ConstRCPtr<LPointParam>> alive;
    for (std::uint32_t i = 0; i < peak; ++i)
        alive.push_back(Make(static_cast<int>(i)));
    EXPECT_EQ(Pool().GetBlockCount(), peak);
    EXPECT_EQ(Pool().GetFreeCount(), 0u);
    alive.clear();
    EXPECT_EQ(Pool().GetBlockCount(), peak);
    EXPECT_EQ(Pool().GetFreeCount(), peak);
}

// As many blocks alive as a window's controls take, past the point where the pool's tables
// stop growing by half and grow by their slack: every block stays its own, keeps its object,
// is handed back once, and is handed out again before any new block is made.
TEST(ReuseAllocator, ThousandsOfBlocksStayDistinctAndAreReused)
{
    const std::uint32_t peak = Pool().GetBlockCount() + 5000;
    std::vector<ConstRCPtr<LPointParam>> alive;
    for (std::uint32_t i = 0; i < peak; ++i)
        alive.push_back(Make(static_cast<int>(i)));
    ASSERT_EQ(Pool().GetBlockCount(), peak);
    std::vector<const void*> storage;
    for (std::uint32_t i = 0; i < peak; ++i)
    {
        EXPECT_EQ(alive[i]->x, static_cast<int>(i));
        storage.push_back(alive[i].Get());
    }
    std::sort(storage.begin(), storage.end());
    EXPECT_EQ(std::adjacent_find(storage.begin(), storage.end()), storage.end());

    alive.clear();
    EXPECT_EQ(Pool().GetFreeCount(), peak);
    for (std::uint32_t i = 0; i < peak; ++i)
        alive.push_back(Make(static_cast<int>(i)));
    EXPECT_EQ(Pool().GetBlockCount(), peak);
    EXPECT_EQ(Pool().GetFreeCount(), 0u);
    std::vector<const void*> reused;
    for (const ConstRCPtr<LPointParam>& param : alive)
        reused.push_back(param.Get());
    std::sort(reused.begin(), reused.end());
    EXPECT_EQ(reused, storage);
}

TEST(ReuseAllocator, OtherSizesUseTheHeapAndLeaveThePoolAlone)
{
    ConstRCPtr<LPointParam> pooled = Make();
    pooled = nullptr;
    const std::uint32_t blocks = Pool().GetBlockCount();
    const std::uint32_t free = Pool().GetFreeCount();
    RCPtr<LPointWithExtrasParam> larger(new LPointWithExtrasParam());
    larger->extras[7] = 42;
    EXPECT_EQ(Pool().GetBlockCount(), blocks);
    EXPECT_EQ(Pool().GetFreeCount(), free);
    larger = nullptr;
    EXPECT_EQ(Pool().GetBlockCount(), blocks);
    EXPECT_EQ(Pool().GetFreeCount(), free);

    // Storage the pool never made goes to the heap too.
    ReuseAllocator<LPointParam, 4> local(false);
    void* heap = local.Allocate(3);
    ASSERT_NE(heap, nullptr);
    local.Free(heap);
    EXPECT_EQ(local.GetBlockCount(), 0u);
    EXPECT_EQ(local.GetFreeCount(), 0u);
}

TEST(ReuseAllocator, StorageOfAFailedConstructorGoesBack)
{
    ConstRCPtr<LPointParam> warm = Make();
    warm = nullptr;
    const std::uint32_t free = Pool().GetFreeCount();
    EXPECT_THROW(static_cast<void>(new LPointParam(0, true)), std::runtime_error);
    EXPECT_EQ(Pool().GetFreeCount(), free);
}

TEST(ReuseAllocator, LockedPoolNeverHandsOneBlockToTwoThreads)
{
    ReuseAllocator<LPointParam, 4> pool(true);
    constexpr int kThreads = 2;
    constexpr int kHeld = 16;
    std::array<int, kThreads> clashes{};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back(
            [t, &pool, &clashes]
            {
                for (int round = 0; round < 500; ++round)
                {
                    std::array<int*, kHeld> held{};
                    for (auto& block : held)
                    {
                        block = static_cast<int*>(pool.Allocate(sizeof(LPointParam)));
                        *block = t * 1000000 + round;
                    }
                    for (int* block : held)
                    {
                        if (*block != t * 1000000 + round)
                            ++clashes[t];
                        pool.Free(block);
                    }
                }
            });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(clashes, (std::array<int, kThreads>{}));
    EXPECT_LE(pool.GetBlockCount(), static_cast<std::uint32_t>(kThreads * kHeld));
    EXPECT_EQ(pool.GetFreeCount(), pool.GetBlockCount());
}

// A class of its own, so that its pool is made inside the test below and nowhere earlier.
class LExitReleasedParam : public ReusePooled<LExitReleasedParam, 1, true>
{
public:
    int value = 0;
};

TEST(ReuseAllocator, ObjectsReleasedDuringExitStillFindTheirPool)
{
    // Static objects are destroyed in the reverse order of their making: a holder made before
    // the class's pool is destroyed after it, as is a worker thread still winding down at
    // exit. Either one releasing a pooled object then must not reach a destroyed pool.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static std::unique_ptr<LExitReleasedParam> holder;
            holder.reset(new LExitReleasedParam); // the pool is made now, after the holder
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
}

} // namespace PooledParams
