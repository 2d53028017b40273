// Post-and-drain throughput of the notification queues: producers post to the default
// centre while the consuming thread drains it as the idle pass does, delivering through a
// distributor to one subscribed client. Beside it, the same traffic through a plain mutex,
// a std::deque and std::function, as a yardstick. Reports only.
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Notification/NotificationClient.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace
{

using namespace QK;

constexpr int kBatch = 20000;

class Value : public virtual LRefCountedObject
{
public:
    explicit Value(std::int64_t value) : value(value) {}
    const std::int64_t value;
};

class Sink : public LNotificationClient
{
public:
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>&,
                                 const ConstRCPtr<LNotification>& notification) override
    {
        sum += dynamic_cast<const Value*>(notification->GetArgument().Get())->value;
        ++received;
        return QK_OK;
    }
    std::int64_t sum = 0;
    std::int64_t received = 0;
};

// Runs producers posting kBatch items in all while this thread drains until it has them.
void RunFramework(benchmark::State& state, int producerCount)
{
    LNotification::SetRecycling(true);
    const RCPtr<LNotificationCenter> centre = GetDefaultNotificationCenter();
    const RCPtr<Sink> sink(new Sink());
    sink->Subscribe(ConstRCPtr<LNotificationDistributor>(centre), u"NID_BENCH");
    const NID id = GetNotificationId(u"NID_BENCH");
    const ConstRCPtr<LRefCountedObject> argument(new Value(1));

    for (auto _ : state)
    {
        const std::int64_t target = sink->received + kBatch;
        std::vector<std::thread> producers;
        for (int p = 0; p < producerCount; ++p)
            producers.emplace_back(
                [&]
                {
                    for (int i = 0; i < kBatch / producerCount; ++i)
                        centre->PostNotification(LNotification::Create(id, argument));
                });
        while (sink->received < target)
        {
            if (!centre->DispatchNotifications(false) && sink->received < target)
                std::this_thread::yield();
        }
        for (auto& producer : producers)
            producer.join();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
    benchmark::DoNotOptimize(sink->sum);

    sink->UnsubscribeAll();
    LNotificationCenterManager::ReleaseInstance();
    LNotification::SetRecycling(false);
}

void RunBaseline(benchmark::State& state, int producerCount)
{
    std::mutex mutex;
    std::deque<std::function<void()>> queue;
    std::int64_t sum = 0;
    std::int64_t received = 0;
    const auto value = std::make_shared<std::int64_t>(1);

    for (auto _ : state)
    {
        const std::int64_t target = received + kBatch;
        std::vector<std::thread> producers;
        for (int p = 0; p < producerCount; ++p)
            producers.emplace_back(
                [&]
                {
                    for (int i = 0; i < kBatch / producerCount; ++i)
                    {
                        std::function<void()> work = [&sum, &received, value]
                        {
                            sum += *value;
                            ++received;
                        };
                        const std::lock_guard<std::mutex> lock(mutex);
                        queue.push_back(std::move(work));
                    }
                });
        while (received < target)
        {
            std::size_t waiting;
            {
                const std::lock_guard<std::mutex> lock(mutex);
                waiting = queue.size();
            }
            if (waiting == 0)
            {
                std::this_thread::yield();
                continue;
            }
            for (; waiting > 0; --waiting)
            {
                std::function<void()> work;
                {
                    const std::lock_guard<std::mutex> lock(mutex);
                    work = std::move(queue.front());
                    queue.pop_front();
                }
                work();
            }
        }
        for (auto& producer : producers)
            producer.join();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
    benchmark::DoNotOptimize(sum);
}

void BM_NotificationQueue_OneProducer(benchmark::State& state)
{
    RunFramework(state, 1);
}
void BM_NotificationQueue_FourProducers(benchmark::State& state)
{
    RunFramework(state, 4);
}
void BM_MutexDequeFunction_OneProducer(benchmark::State& state)
{
    RunBaseline(state, 1);
}
void BM_MutexDequeFunction_FourProducers(benchmark::State& state)
{
    RunBaseline(state, 4);
}

BENCHMARK(BM_NotificationQueue_OneProducer)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NotificationQueue_FourProducers)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MutexDequeFunction_OneProducer)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MutexDequeFunction_FourProducers)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
