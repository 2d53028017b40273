#include "QKFramework/Utilities/Storage/RCPtrQueue.h"

#include "QKFramework/Threads/Mutex.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <stdexcept>
#include <string>

namespace QueueTest
{

using namespace QK;

class Item : public virtual LRefCountedObject
{
public:
    explicit Item(int value) : value(value) {}
    const int value;
};

template <std::uint32_t N> void EnqueueValues(RCPtrQueue<Item, N>& queue, int from, int to)
{
    for (int v = from; v < to; ++v)
        ASSERT_EQ(queue.Enqueue(ConstRCPtr<Item>(new Item(v))), QK_OK);
}

template <std::uint32_t N> std::vector<int> DrainValues(RCPtrQueue<Item, N>& queue)
{
    std::vector<int> values;
    while (queue.GetCount() > 0)
        values.push_back(queue.Dequeue()->value);
    return values;
}

std::vector<int> Range(int from, int to)
{
    std::vector<int> values;
    for (int v = from; v < to; ++v)
        values.push_back(v);
    return values;
}

TEST(RCPtrQueue, HoldsOneItemFewerThanItsSlotsBeforeGrowing)
{
    Mutex lock;
    RCPtrQueue<Item, 256> queue(&lock);
    EnqueueValues(queue, 0, 255);
    EXPECT_EQ(queue.GetSlotCount(), 256u);
    EXPECT_EQ(queue.GetCount(), 255u);
    EnqueueValues(queue, 255, 256);
    EXPECT_EQ(queue.GetSlotCount(), 257u);
    EXPECT_EQ(DrainValues(queue), Range(0, 256));
    // Emptied, it reuses its slots.
    EnqueueValues(queue, 0, 200);
    EXPECT_EQ(queue.GetSlotCount(), 257u);
    EXPECT_EQ(DrainValues(queue), Range(0, 200));
}

// Growth with the free slot anywhere in the ring: before the read index, after it, with the
// write index wrapped below it. The ring keeps the order and drops nothing.
TEST(RCPtrQueue, GrowthAtAnyPositionKeepsOrderAndItems)
{
    struct Case
    {
        int taken; // dequeued after filling, which moves the read index
        int added; // enqueued afterwards, past the full mark
    };
    for (const Case c : {Case{0, 1}, Case{0, 5}, Case{1, 2}, Case{2, 3}, Case{3, 9}})
    {
        SCOPED_TRACE(testing::Message() << "taken " << c.taken << ", added " << c.added);
        RCPtrQueue<Item, 4> queue(nullptr);
        EnqueueValues(queue, 0, 3);
        std::vector<int> expected = Range(0, 3);
        for (int i = 0; i < c.taken; ++i)
            EXPECT_EQ(queue.Dequeue()->value, expected[static_cast<std::size_t>(i)]);
        expected.erase(expected.begin(), expected.begin() + c.taken);
        EnqueueValues(queue, 3, 3 + c.taken + c.added);
        for (int v = 3; v < 3 + c.taken + c.added; ++v)
            expected.push_back(v);
        EXPECT_EQ(queue.GetSlotCount(), static_cast<std::uint32_t>(4 + c.added));
        EXPECT_EQ(DrainValues(queue), expected);
    }
}

TEST(RCPtrQueue, AnyMixOfEnqueuesAndDequeuesBehavesAsAFifo)
{
    std::mt19937 random(20240611);
    RCPtrQueue<Item, 8> queue(nullptr);
    std::deque<int> model;
    int next = 0;
    for (int step = 0; step < 5000; ++step)
    {
        if (model.empty() || random() % 3 != 0)
        {
            queue.Enqueue(ConstRCPtr<Item>(new Item(next)));
            model.push_back(next++);
        }
        else
        {
            ASSERT_EQ(queue.Dequeue()->value, model.front());
            model.pop_front();
        }
        ASSERT_EQ(queue.GetCount(), model.size());
        ASSERT_LE(queue.GetCount(), queue.GetSlotCount() - 1);
    }
}

TEST(RCPtrQueue, RingWithoutSlotsStartsWithTwo)
{
    RCPtrQueue<Item, 256> queue(nullptr, 0);
    EXPECT_EQ(queue.GetCount(), 0u);
    EnqueueValues(queue, 0, 1);
    EXPECT_EQ(queue.GetSlotCount(), 2u);
    EnqueueValues(queue, 1, 2);
    EXPECT_EQ(queue.GetSlotCount(), 3u);
    EXPECT_EQ(DrainValues(queue), Range(0, 2));
}

TEST(RCPtrQueue, DequeueFromEmptyThrowsAndChangesNothing)
{
    Mutex lock;
    RCPtrQueue<Item, 256, Mutex> queue(&lock);
    try
    {
        queue.Dequeue();
        FAIL() << "no exception";
    }
    catch (const std::runtime_error& e)
    {
        EXPECT_STREQ(e.what(),
                     "Runtime Error : QK::RCPtrQueue<class QueueTest::Item,256,class QK::Mutex>::Dequeue : "
                     "utilities\\Storage/RCPtrQueue : Line 110");
    }
    EXPECT_EQ(queue.GetCount(), 0u);
    EXPECT_EQ(queue.GetSlotCount(), 256u);
    // The lock was let go on the way out.
    EXPECT_TRUE(lock.TryLock());
    lock.Unlock();
}

TEST(RCPtrQueue, HoldsOneReferenceWhileQueuedAndLetsGoWhenDestroyed)
{
    const ConstRCPtr<Item> item(new Item(7));
    {
        RCPtrQueue<Item, 4> queue(nullptr);
        queue.Enqueue(item);
        queue.Enqueue(item);
        EXPECT_EQ(item->GetRefCount(), 3);
        const ConstRCPtr<Item> out = queue.Dequeue();
        EXPECT_EQ(item->GetRefCount(), 3);
    }
    EXPECT_EQ(item->GetRefCount(), 1);
}

} // namespace QueueTest
