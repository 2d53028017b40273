#include "QKFramework/Threads/EventPool.h"
#include "QKFramework/Threads/LThreadPool.h"

#include "WorkerProbes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace
{

using namespace QK;
using namespace QK::test;

// A parameter object that carries one number.
class Number : public LRefCountedObject
{
public:
    static ConstRCPtr<Number> Create(int value) { return ConstRCPtr<Number>(new Number(value)); }
    const int value;

private:
    explicit Number(int value) : value(value) {}
};

int ValueOf(const ConstRCPtr<LRefCountedObject>& params)
{
    return ConstRCPtr<Number>::DynamicCast(params)->value;
}

TEST(EventPool, WaitAnyTakesTheLowestSignalledEventAndAnswersMinusOneWhenNoneIs)
{
    EventPool pool(3);
    ASSERT_EQ(pool.GetCount(), 3u);
    EXPECT_EQ(pool.WaitAny(0), -1);
    SetEvent(pool.GetEventAt(2));
    SetEvent(pool.GetEventAt(1));
    EXPECT_EQ(pool.WaitAny(0), 1);
    EXPECT_EQ(pool.WaitAny(0), 2);
    EXPECT_EQ(pool.WaitAny(0), -1);
    EXPECT_FALSE(pool.GetEventAt(3));

    EventPool empty(0);
    EXPECT_EQ(empty.GetCount(), 0u);
    EXPECT_EQ(empty.WaitAny(0), -1);
}

TEST(LThreadPool, WithoutANameItIsAnUnnamedThreadPool)
{
    EXPECT_TRUE(LThreadPool::Create(1, 2)->ToString().IsEqual(u"Unnamed ThreadPool"));
}

TEST(LThreadPool, OneWorkerRunsWaitingItemsByPriorityOldestFirstAmongEquals)
{
    RCPtr<LThreadPool> pool = LThreadPool::Create(1, kThreadPriorityHighest);
    RCPtr<HoldingWorker> first = HoldingWorker::Create(true);
    std::mutex orderLock;
    std::vector<int> order;
    std::latch allRan(3);
    RCPtr<FunctionWorker> recorder = FunctionWorker::Create(
        [&](const ConstRCPtr<LRefCountedObject>& params)
        {
            {
                std::lock_guard lock(orderLock);
                order.push_back(ValueOf(params));
            }
            allRan.count_down();
            return 0u;
        });

    pool->QueueWork(first, nullptr, 0);
    ASSERT_EQ(first->started.Wait(kInfinite), kWaitSignalled);
    pool->QueueWork(recorder, Number::Create(1), 0);
    pool->QueueWork(recorder, Number::Create(2), 2);
    pool->QueueWork(recorder, Number::Create(3), 2);
    first->release.Set();
    allRan.wait();
    // Joined here, so that the pool's last reference is not dropped on its own dispatcher
    // thread, which would then be left running past the test.
    pool->Shutdown();

    std::lock_guard lock(orderLock);
    EXPECT_EQ(order, (std::vector<int>{2, 3, 1}));
}

TEST(LThreadPool, OneWorkerNeverLetsNewWorkOvertakeWaitingWork)
{
    // Whenever the dispatcher lags behind, the worker is idle while items wait; work queued
    // then must still go behind them.
    constexpr int kItems = 5000;
    RCPtr<LThreadPool> pool = LThreadPool::Create(1, kThreadPriorityHighest);
    std::vector<int> order;
    std::latch allRan(kItems);
    RCPtr<FunctionWorker> recorder = FunctionWorker::Create(
        [&](const ConstRCPtr<LRefCountedObject>& params)
        {
            order.push_back(ValueOf(params)); // one worker: runs never overlap
            allRan.count_down();
            return 0u;
        });
    for (int i = 0; i < kItems; ++i)
        pool->QueueWork(recorder, Number::Create(i), 0);
    allRan.wait();

    int outOfOrder = 0;
    for (int i = 0; i < kItems; ++i)
        outOfOrder += order[static_cast<std::size_t>(i)] != i;
    EXPECT_EQ(outOfOrder, 0);
}

TEST(LThreadPool, IdleWorkersTakeWorkDirectlyAndRunItSideBySide)
{
    RCPtr<LThreadPool> pool = LThreadPool::Create(3, 0);
    std::latch together(3);
    std::latch done(3);
    RCPtr<FunctionWorker> meeter = FunctionWorker::Create(
        [&](const ConstRCPtr<LRefCountedObject>&)
        {
            together.arrive_and_wait(); // only returns when all three run at once
            done.count_down();
            return 0u;
        });
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(pool->TryIdleWorker(meeter, nullptr, 0), i);
    done.wait();
}

// Producers on several threads against the one-worker pool of the MIDI input and against a
// pool of several workers, where idle workers also take work while items wait.
struct ProducerCase
{
    int workers;
    int itemsEach;
};

void PrintTo(const ProducerCase& c, std::ostream* os)
{
    *os << c.workers << " workers, " << c.itemsEach << " items each";
}

class LThreadPoolProducers : public testing::TestWithParam<ProducerCase>
{
};

TEST_P(LThreadPoolProducers, EveryItemOfThreeProducersRunsExactlyOnce)
{
    constexpr int kProducers = 3;
    const int itemsEach = GetParam().itemsEach;
    const int items = kProducers * itemsEach;

    RCPtr<LThreadPool> pool = LThreadPool::Create(GetParam().workers, kThreadPriorityHighest);
    std::vector<std::atomic<int>> runs(static_cast<std::size_t>(items));
    std::latch allRan(items);
    RCPtr<FunctionWorker> counter = FunctionWorker::Create(
        [&](const ConstRCPtr<LRefCountedObject>& params)
        {
            runs[static_cast<std::size_t>(ValueOf(params))].fetch_add(1);
            allRan.count_down();
            return 0u;
        });

    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p)
        producers.emplace_back(
            [&, p]
            {
                for (int i = 0; i < itemsEach; ++i)
                {
                    const int item = p * itemsEach + i;
                    pool->QueueWork(counter, Number::Create(item), item % 3);
                }
            });
    for (std::thread& producer : producers)
        producer.join();
    allRan.wait();

    int wrong = 0;
    for (const std::atomic<int>& count : runs)
        wrong += count.load() != 1;
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(Pools, LThreadPoolProducers,
                         testing::Values(ProducerCase{1, 30000}, ProducerCase{4, 10000}),
                         [](const testing::TestParamInfo<ProducerCase>& info)
                         { return std::to_string(info.param.workers) + "Workers"; });

TEST(LThreadPool, ShutdownWithWorkQueuedReturnsAndDropsTheQueueAndLaterWork)
{
    RCPtr<LThreadPool> pool = LThreadPool::Create(1, 0);
    RCPtr<HoldingWorker> queued = HoldingWorker::Create(false);
    Event shutDown(false);
    // The running item shuts the pool down itself, so nothing can hand out the queue before.
    RCPtr<HoldingWorker> gate = HoldingWorker::Create(true);
    RCPtr<FunctionWorker> stopper = FunctionWorker::Create(
        [&](const ConstRCPtr<LRefCountedObject>&)
        {
            gate->Run(nullptr);
            pool->Shutdown();
            shutDown.Set();
            return 0u;
        });

    pool->QueueWork(stopper, nullptr, 0);
    ASSERT_EQ(gate->started.Wait(kInfinite), kWaitSignalled);
    for (int i = 0; i < 100; ++i)
        pool->QueueWork(queued, nullptr, i % 3);
    gate->release.Set();
    ASSERT_EQ(shutDown.Wait(kInfinite), kWaitSignalled);

    EXPECT_EQ(pool->TryIdleWorker(queued, nullptr, 0), -1);
    pool->QueueWork(queued, nullptr, 0);
    pool = nullptr;
    EXPECT_EQ(queued->runs.load(), 0);
}

TEST(LThreadPool, APoolReleasedLastByItsOwnWorkEndsWithoutWaitingForItself)
{
    RCPtr<LThreadPool> pool = LThreadPool::Create(1, 0);
    auto held = std::make_shared<RCPtr<LThreadPool>>(pool);
    auto destroyed = std::make_shared<Event>(false);
    RCPtr<FunctionWorker> releaser = FunctionWorker::Create(
        [held, destroyed](const ConstRCPtr<LRefCountedObject>&)
        {
            // Once this run holds the last reference, the pool is destroyed here, on its worker.
            while ((*held)->GetRefCount() > 1)
                std::this_thread::yield();
            *held = nullptr;
            destroyed->Set();
            return 0u;
        });
    pool->QueueWork(releaser, nullptr, 0);
    pool = nullptr;
    EXPECT_EQ(destroyed->Wait(kInfinite), kWaitSignalled);
}

TEST(LThreadPool, APoolWithoutWorkersOrAnEmptyWorkerRunsNothing)
{
    RCPtr<HoldingWorker> worker = HoldingWorker::Create(false);
    for (int count : {0, -1})
    {
        RCPtr<LThreadPool> pool = LThreadPool::Create(count, 0);
        EXPECT_EQ(pool->TryIdleWorker(worker, nullptr, 0), -1);
        pool->QueueWork(worker, nullptr, 0);
    }
    RCPtr<LThreadPool> pool = LThreadPool::Create(1, 0);
    EXPECT_EQ(pool->TryIdleWorker(nullptr, nullptr, 0), -1);
    pool->QueueWork(nullptr, nullptr, 0);
    pool = nullptr;
    EXPECT_EQ(worker->runs.load(), 0);
}

} // namespace
