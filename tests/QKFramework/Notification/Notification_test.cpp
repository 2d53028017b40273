#include "QKFramework/Notification/Notification.h"

#include "tests/QKFramework/Notification/NotificationTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

namespace
{

using namespace QK;
using QK::TestSupport::NotificationTest;

// An argument that reports its destruction. Counted atomically: the thread that lets go of
// an argument need not be the one that made it.
class Argument : public virtual LRefCountedObject
{
public:
    explicit Argument(std::atomic<int>* destroyed = nullptr) : m_destroyed(destroyed) {}
    ~Argument() override
    {
        if (m_destroyed)
            m_destroyed->fetch_add(1);
    }

private:
    std::atomic<int>* m_destroyed;
};

using NotificationRecycling = NotificationTest;

TEST_F(NotificationRecycling, NoNameGivesNoNotificationAndTakesNothing)
{
    struct Case
    {
        bool recycling;
        bool spentWaiting;
    };
    for (const Case c : {Case{false, false}, Case{true, false}, Case{true, true}})
    {
        LNotification::SetRecycling(c.recycling);
        if (c.spentWaiting)
            LNotification::Create(u"NID_SPENT");
        const std::uint32_t waiting = LNotification::GetRecycledCount();
        EXPECT_FALSE(LNotification::Create(u""));
        EXPECT_FALSE(LNotification::Create(nullptr));
        EXPECT_FALSE(LNotification::Create(NID{1}));
        EXPECT_EQ(LNotification::GetRecycledCount(), waiting);
        LNotification::SetRecycling(false);
    }
}

TEST_F(NotificationRecycling, CreateCarriesIdAndSharesTheArgument)
{
    const ConstRCPtr<LRefCountedObject> argument(new Argument());
    const ConstRCPtr<LNotification> notification = LNotification::Create(u"NID_VALUE_CHANGE", argument);
    ASSERT_TRUE(notification);
    EXPECT_EQ(notification->GetId(), GetNotificationId(u"NID_VALUE_CHANGE"));
    EXPECT_EQ(notification->GetArgument().Get(), argument.Get());
    EXPECT_EQ(argument->GetRefCount(), 2);
    EXPECT_FALSE(notification->IsQueued());
}

TEST_F(NotificationRecycling, SpentNotificationIsReusedWithNewIdAndArgument)
{
    LNotification::SetRecycling(true);
    std::atomic<int> destroyed{0};
    const ConstRCPtr<LRefCountedObject> first(new Argument(&destroyed));
    const ConstRCPtr<LRefCountedObject> second(new Argument());

    ConstRCPtr<LNotification> notification = LNotification::Create(u"NID_FIRST", first);
    const LNotification* object = notification.Get();
    const std::uint32_t waiting = LNotification::GetRecycledCount();
    notification = nullptr;
    EXPECT_EQ(first->GetRefCount(), 1) << "the spent notification lets go of its argument";
    EXPECT_EQ(LNotification::GetRecycledCount(), waiting + 1);

    notification = LNotification::Create(u"NID_SECOND", second);
    EXPECT_EQ(notification.Get(), object);
    EXPECT_EQ(notification->GetId(), GetNotificationId(u"NID_SECOND"));
    EXPECT_EQ(notification->GetArgument().Get(), second.Get());
    EXPECT_EQ(LNotification::GetRecycledCount(), waiting);
    EXPECT_EQ(destroyed.load(), 0);
}

TEST_F(NotificationRecycling, MostRecentlySpentIsReusedFirst)
{
    LNotification::SetRecycling(true);
    ConstRCPtr<LNotification> a = LNotification::Create(u"NID_A");
    ConstRCPtr<LNotification> b = LNotification::Create(u"NID_B");
    const LNotification* objectA = a.Get();
    const LNotification* objectB = b.Get();
    a = nullptr;
    b = nullptr;
    const ConstRCPtr<LNotification> first = LNotification::Create(u"NID_C");
    const ConstRCPtr<LNotification> second = LNotification::Create(u"NID_C");
    EXPECT_EQ(first.Get(), objectB);
    EXPECT_EQ(second.Get(), objectA);
}

TEST_F(NotificationRecycling, WithRecyclingOffTheLastReleaseFreesNotificationAndArgument)
{
    std::atomic<int> destroyed{0};
    ConstRCPtr<LNotification> notification =
        LNotification::Create(u"NID_GONE", ConstRCPtr<LRefCountedObject>(new Argument(&destroyed)));
    notification = nullptr;
    EXPECT_EQ(destroyed.load(), 1);
    EXPECT_EQ(LNotification::GetRecycledCount(), 0u);
}

TEST_F(NotificationRecycling, SwitchingOffFreesEverySpentNotification)
{
    LNotification::SetRecycling(true);
    {
        std::vector<ConstRCPtr<LNotification>> alive;
        for (int i = 0; i < 3; ++i)
            alive.push_back(LNotification::Create(u"NID_MANY"));
    }
    EXPECT_EQ(LNotification::GetRecycledCount(), 3u);
    LNotification::SetRecycling(false);
    EXPECT_EQ(LNotification::GetRecycledCount(), 0u);
    // Released from now on, a notification is freed, not kept.
    LNotification::Create(u"NID_MANY");
    EXPECT_EQ(LNotification::GetRecycledCount(), 0u);
}

TEST_F(NotificationRecycling, ThreadsCreatingAndReleasingShareTheFreeList)
{
    LNotification::SetRecycling(true);
    constexpr int kThreads = 4;
    std::vector<std::thread> threads;
    std::array<std::atomic<int>, kThreads> destroyed{};
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back(
            [t, &destroyed]
            {
                for (int i = 0; i < 2000; ++i)
                {
                    const ConstRCPtr<LNotification> notification =
                        LNotification::Create(i % 2 ? u"NID_ODD" : u"NID_EVEN",
                                              ConstRCPtr<LRefCountedObject>(new Argument(&destroyed[t])));
                    ASSERT_EQ(notification->GetId(), GetNotificationId(i % 2 ? u"NID_ODD" : u"NID_EVEN"));
                }
            });
    }
    for (auto& thread : threads)
        thread.join();
    // Never more than one notification per thread was alive at once.
    EXPECT_LE(LNotification::GetRecycledCount(), static_cast<std::uint32_t>(kThreads));
    for (const auto& count : destroyed)
        EXPECT_EQ(count.load(), 2000);
}

} // namespace
