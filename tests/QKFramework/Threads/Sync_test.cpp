#include "QKFramework/Threads/Event.h"
#include "QKFramework/Threads/LEvent.h"
#include "QKFramework/Threads/LockWord.h"
#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Threads/TrafficLight.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace
{

using namespace QK;

TEST(Event, AutoResetLetsOneWaitThroughPerSet)
{
    Event event(true);
    EXPECT_EQ(event.Wait(0), kWaitTimeout);
    EXPECT_TRUE(event.Set());
    EXPECT_EQ(event.Wait(0), kWaitSignalled);
    EXPECT_EQ(event.Wait(0), kWaitTimeout);
}

TEST(Event, ManualResetStaysSignalledUntilReset)
{
    Event event(false);
    event.Set();
    EXPECT_EQ(event.Wait(0), kWaitSignalled);
    EXPECT_EQ(event.Wait(10), kWaitSignalled);
    EXPECT_TRUE(event.Reset());
    EXPECT_EQ(event.Wait(1), kWaitTimeout);
}

TEST(Event, ClosedEventFailsEveryCall)
{
    Event event(true);
    event.Close();
    EXPECT_EQ(event.Wait(0), kWaitFailed);
    EXPECT_FALSE(event.Set());
    EXPECT_FALSE(event.Reset());
    EXPECT_EQ(event.GetHandle(), nullptr);

    TrafficLight light;
    EXPECT_FALSE(light.IsGreen());
    light.Close();
    EXPECT_TRUE(light.IsGreen()); // a failed wait is no time-out
}

TEST(Event, SetOnAnotherThreadWakesAnInfiniteWait)
{
    ConstRCPtr<LEvent> shared = LEvent::Create(true);
    std::thread setter([event = shared] { RCPtr<LEvent>::DynamicCast(event)->Set(); });
    EXPECT_EQ(RCPtr<LEvent>::DynamicCast(shared)->Wait(kInfinite), kWaitSignalled);
    setter.join();
}

TEST(TrafficLight, GreenLetsEveryWaiterThrough)
{
    TrafficLight light;
    light.SetGreen();
    EXPECT_TRUE(light.IsGreen());
    EXPECT_EQ(light.Wait(0), kWaitSignalled);
    EXPECT_TRUE(light.IsGreen());
    light.SetRed();
    EXPECT_FALSE(light.IsGreen());
}

TEST(WaitAny, AnswersTheLowestSignalledIndexAndConsumesAutoReset)
{
    Event a(true), b(true), c(false);
    std::array<EventObject*, 3> events{a.GetHandle(), b.GetHandle(), c.GetHandle()};
    EXPECT_EQ(EventObject::WaitAny(events, 0), kWaitTimeout);
    c.Set();
    b.Set();
    EXPECT_EQ(EventObject::WaitAny(events, 0), 1u);
    EXPECT_EQ(EventObject::WaitAny(events, 0), 2u); // b was consumed, c is manual
    EXPECT_EQ(EventObject::WaitAny(events, 0), 2u);
    EXPECT_EQ(EventObject::WaitAny({}, 0), kWaitFailed);
    std::array<EventObject*, 1> closed{nullptr};
    EXPECT_EQ(EventObject::WaitAny(closed, 0), kWaitFailed);
}

TEST(WaitAny, WakesWhenAnEventIsSetLater)
{
    Event a(true), b(true);
    std::array<EventObject*, 2> events{a.GetHandle(), b.GetHandle()};
    std::thread setter([&] { b.Set(); });
    EXPECT_EQ(EventObject::WaitAny(events, kInfinite), 1u);
    setter.join();
}

TEST(WaitAny, ASetRacingAWaitThatReturnsTouchesNothingOfTheWaitAfterward)
{
    // The setter of the second event may still be at the waiter's watcher when the waiter
    // has already returned on the first; the sanitizers catch any touch after return.
    Event a(true), b(true);
    std::array<EventObject*, 2> events{a.GetHandle(), b.GetHandle()};
    std::atomic<bool> stop{false};
    std::thread setter([&] {
        while (!stop.load())
        {
            a.Set();
            b.Set();
        }
    });
    for (int i = 0; i < 20000; ++i)
        ASSERT_NE(EventObject::WaitAny(events, kInfinite), kWaitTimeout);
    stop = true;
    setter.join();
}

TEST(Event, AWaiterMayDestroyTheEventAsSoonAsItsWaitReturns)
{
    for (int i = 0; i < 500; ++i)
    {
        auto event = std::make_unique<Event>(true);
        std::thread setter([raw = event.get()] { raw->Set(); });
        ASSERT_EQ(event->Wait(kInfinite), kWaitSignalled);
        event.reset();
        setter.join();
    }
}

TEST(LockWord, ContendingThreadsEachGetTheLockAndItEndsFree)
{
    LockWord word;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i)
            {
                LockWordGuard guard(word);
                ++counter;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 60000);
    EXPECT_EQ(word.state.load(), 0u);
}

TEST(Mutex, OwnerMayLockAgain)
{
    Mutex mutex;
    MutexLock outer(mutex);
    MutexLock inner(mutex);
    std::atomic<bool> otherGotIt{true};
    std::thread other([&] { otherGotIt = mutex.TryLock(); });
    other.join();
    EXPECT_FALSE(otherGotIt);
}

} // namespace
