// Worker threads post to the default centre while the UI thread runs idle periods, the way
// captured MIDI data reaches the editor.
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Notification/NotificationHandler.h"
#include "QKFramework/Utilities/Storage/ReuseAllocator.h"

#include "tests/QKFramework/Notification/NotificationTestSupport.h"
#include "tests/support/IdleLoop.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

namespace CrossThread
{

using namespace QK;

constexpr int kProducers = 4;
constexpr int kPostsEach = 10000;

// The posted argument: who posted it and its place in that producer's sequence. Made on a
// worker thread and released on the UI thread, from a locked pool.
class Sequenced : public ReusePooled<Sequenced, 4, true>, public virtual LRefCountedObject
{
public:
    Sequenced(int producer, int sequence) : producer(producer), sequence(sequence) {}
    const int producer;
    const int sequence;
};

class Consumer : public LNotificationClient
{
public:
    static RCPtr<Consumer> Create()
    {
        RCPtr<Consumer> consumer(new Consumer());
        consumer->table = LNotificationHandler<Consumer>::Create(consumer.Get());
        return consumer;
    }

    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override
    {
        return table->Dispatch(source, notification);
    }

    QKRESULT OnData(const ConstRCPtr<LNotificationDistributor>&,
                    const ConstRCPtr<LNotification>& notification)
    {
        const auto data = ConstRCPtr<Sequenced>::DynamicCast(notification->GetArgument());
        if (!data || data->producer < 0 || data->producer >= kProducers ||
            data->sequence != next[data->producer])
            ++outOfOrder;
        else
            ++next[data->producer];
        ++received;
        return QK_OK;
    }

    QKRESULT OnIdle(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>&)
    {
        ++idles;
        return QK_OK;
    }

    RCPtr<LNotificationHandler<Consumer>> table;
    std::array<int, kProducers> next{};
    int received = 0;
    int outOfOrder = 0;
    int idles = 0;
};

class CrossThreadPosting : public QK::TestSupport::NotificationTest
{
};

TEST_F(CrossThreadPosting, FourProducersReachTheUiThreadExactlyOnceAndInOrder)
{
    // As at start-up: recycling on, then the default centre.
    LNotification::SetRecycling(true);
    const ConstRCPtr<LNotificationDistributor> centre(GetDefaultNotificationCenter());
    const RCPtr<Consumer> consumer = Consumer::Create();
    ASSERT_EQ(consumer->table->AddHandler(&Consumer::OnData, centre, u"NID_MIDI_DATA_CAPTURED"), QK_OK);
    ASSERT_EQ(consumer->table->AddHandler(&Consumer::OnIdle, centre, u"NID_IDLE"), QK_OK);

    std::atomic<int> producing{kProducers};
    std::atomic<int> refused{0};
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p)
    {
        producers.emplace_back(
            [p, &producing, &refused]
            {
                const NID id = GetNotificationId(u"NID_MIDI_DATA_CAPTURED");
                const RCPtr<LNotificationCenter> target = GetDefaultNotificationCenter();
                for (int s = 0; s < kPostsEach; ++s)
                {
                    const ConstRCPtr<LNotification> notification =
                        LNotification::Create(id, ConstRCPtr<LRefCountedObject>(new Sequenced(p, s)));
                    if (target->PostNotification(notification) != QK_OK)
                        refused.fetch_add(1);
                }
                producing.fetch_sub(1);
            });
    }

    QK::TestSupport::IdleLoop loop;
    const RCPtr<LNotificationCenter> queue = GetDefaultNotificationCenter();
    bool periodsKeptTheirShape = true;
    for (;;)
    {
        const bool lastRound = producing.load() == 0;
        const int idlesBefore = consumer->idles;
        const int receivedBefore = consumer->received;
        const std::int32_t passes = loop.RunIdlePeriod();
        if (passes < 1 || passes > 3 || consumer->idles != idlesBefore + 1)
            periodsKeptTheirShape = false;
        if (lastRound && queue->GetQueuedCount() == 0)
            break;
        if (consumer->received == receivedBefore)
            std::this_thread::yield();
    }
    for (auto& producer : producers)
        producer.join();

    EXPECT_EQ(refused.load(), 0);
    EXPECT_EQ(consumer->received, kProducers * kPostsEach);
    EXPECT_EQ(consumer->outOfOrder, 0);
    for (int p = 0; p < kProducers; ++p)
        EXPECT_EQ(consumer->next[p], kPostsEach) << "producer " << p;
    EXPECT_TRUE(periodsKeptTheirShape);
    EXPECT_EQ(static_cast<std::uint32_t>(consumer->idles), loop.GetPeriodCount());
    // Every argument went back to its pool.
    auto& pool = Sequenced::GetReuseAllocator();
    EXPECT_EQ(pool.GetFreeCount(), pool.GetBlockCount());
}

} // namespace CrossThread
