#include "QKFramework/Threads/Event.h"
#include "QKFramework/Threads/Thread.h"
#include "tests/support/DebugCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <utility>

namespace
{

using namespace QK;

std::uint32_t Count(void* argument)
{
    static_cast<std::atomic<int>*>(argument)->fetch_add(1);
    return 7;
}

TEST(Thread, StartsOnceAndRunsItsBodyOnce)
{
    std::atomic<int> runs{0};
    Thread thread(&Count, &runs);
    EXPECT_TRUE(thread.Start());
    EXPECT_FALSE(thread.Start());
    EXPECT_TRUE(thread.Join(kInfinite));
    EXPECT_TRUE(thread.IsFinished());
    EXPECT_FALSE(thread.Start());
    EXPECT_EQ(runs.load(), 1);
}

TEST(Thread, NeverStartedIsNotFinishedAndIsLetGoWithoutRunningItsBody)
{
    std::atomic<int> runs{0};
    {
        Thread thread(&Count, &runs);
        EXPECT_FALSE(thread.IsFinished()); // its done light is green, but it never ran
        EXPECT_TRUE(thread.Join(kInfinite));
        EXPECT_TRUE(thread.IsFinished());
        EXPECT_FALSE(thread.Start());
    }
    {
        Thread destroyedUnstarted(&Count, &runs);
    }
    EXPECT_EQ(runs.load(), 0);
}

TEST(Thread, JoinWithTimeOutZeroOnARunningThreadAnswersFalse)
{
    Event release(false);
    Thread thread([&release] { return release.Wait(kInfinite); });
    ASSERT_TRUE(thread.Start());
    EXPECT_FALSE(thread.Join(0));
    EXPECT_FALSE(thread.IsFinished());
    release.Set();
    EXPECT_TRUE(thread.Join(kInfinite));
    EXPECT_TRUE(thread.IsFinished());
}

// Sets an event when the captures of a thread body are destroyed. Events that a detached
// thread sets are shared with it: the test may end while the setter is still inside Set.
struct FreedProbe
{
    explicit FreedProbe(std::shared_ptr<Event> freed) : freed(std::move(freed)) {}
    ~FreedProbe() { freed->Set(); }
    std::shared_ptr<Event> freed;
    int touched = 0;
};

TEST(Thread, OwnerThatGivesUpWaitingDetachesAndReportsTheThreadWhichKeepsItsState)
{
    Event release(false);
    auto freed = std::make_shared<Event>(false);
    auto probe = std::make_shared<FreedProbe>(freed);

    TestSupport::DebugCapture capture;
    {
        Thread thread(
            [&release, probe]
            {
                release.Wait(kInfinite);
                probe->touched = 1; // the captures are still alive after the owner has gone
                return 0u;
            },
            5);
        ASSERT_TRUE(thread.Start());
    }
    const std::string report = capture.Text();
    EXPECT_NE(report.find("thread did not finish within 5 ms, detached"), std::string::npos) << report;

    probe.reset();
    release.Set();
    EXPECT_EQ(freed->Wait(kInfinite), kWaitSignalled);
}

TEST(Thread, AThreadMayJoinAndDestroyItsOwnThreadObject)
{
    auto done = std::make_shared<Event>(false);
    auto freed = std::make_shared<Event>(false);
    auto probe = std::make_shared<FreedProbe>(freed);
    std::atomic<Thread*> self{nullptr};
    std::atomic<bool> selfJoin{true};

    TestSupport::DebugCapture capture;
    self = new Thread(
        [&self, &selfJoin, done, probe]
        {
            Thread* thread = self.load();
            selfJoin = thread->Join(kInfinite);
            delete thread;
            done->Set();
            return 0u;
        });
    probe.reset();
    ASSERT_TRUE(self.load()->Start());
    ASSERT_EQ(done->Wait(kInfinite), kWaitSignalled);
    EXPECT_EQ(freed->Wait(kInfinite), kWaitSignalled);
    EXPECT_FALSE(selfJoin.load());
    EXPECT_EQ(capture.Text(), "");
}

} // namespace
