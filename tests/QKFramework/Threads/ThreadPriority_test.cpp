// Thread priorities against what the system reports of the thread (its nice value and
// policy). Whether raising a priority is allowed depends on who runs the tests (root, a
// member of the audio group, a plain user); each test asks the system itself, on a scratch
// thread, and expects the answer that fits, so the tests hold for every one of them.
#include "QKFramework/Threads/Event.h"
#include "QKFramework/Threads/Thread.h"

#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <thread>

namespace
{

using namespace QK;

int NiceOf(pid_t thread)
{
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
    EXPECT_EQ(errno, 0);
    return nice;
}

int PolicyOf(pid_t thread)
{
    return ::sched_getscheduler(thread) & ~SCHED_RESET_ON_FORK;
}

int MainNice()
{
    return NiceOf(::getpid());
}

// Whether this process may give one of its threads a nice value below the main thread's.
bool MayRaise(int nice)
{
    bool allowed = false;
    std::thread probe([&] { allowed = ::setpriority(PRIO_PROCESS, 0, nice) == 0; });
    probe.join();
    return allowed;
}

// A started thread that waits until the test lets it go, telling its system id.
class HeldThread
{
public:
    HeldThread()
        : thread(
              [this]
              {
                  id.store(::gettid());
                  running.Set();
                  release.Wait(kInfinite);
                  return 0u;
              })
    {
        EXPECT_TRUE(thread.Start());
        running.Wait(kInfinite);
    }
    ~HeldThread()
    {
        release.Set();
        thread.Join(kInfinite);
    }

    Event running{false};
    Event release{false};
    std::atomic<pid_t> id{0};
    Thread thread;
};

TEST(ThreadPriority, EachLevelGivesItsNiceValueWhereTheSystemAllowsIt)
{
    const int base = MainNice();
    struct Case
    {
        std::int32_t priority;
        int nice;
    };
    const Case cases[] = {
        {-15, 19}, {-2, base + 10}, {-1, base + 5}, {0, base}, {1, base - 5}, {2, base - 10}, {15, -20},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.priority);
        const int expected = std::clamp(c.nice, -20, 19);
        // A fresh thread each time: a plain user cannot bring a lowered thread back.
        HeldThread held;
        const bool allowed = expected >= base || MayRaise(expected);
        EXPECT_EQ(held.thread.SetPriority(c.priority), allowed);
        EXPECT_EQ(NiceOf(held.id), allowed ? expected : base);
        EXPECT_EQ(PolicyOf(held.id), SCHED_OTHER);
    }
}

TEST(ThreadPriority, UnknownLevelsAndEndedThreadsAreRefused)
{
    {
        HeldThread held;
        EXPECT_FALSE(held.thread.SetPriority(3));
        EXPECT_FALSE(held.thread.SetPriority(-3));
        EXPECT_EQ(NiceOf(held.id), MainNice());
    }
    Thread ended([] { return 0u; });
    ASSERT_TRUE(ended.Start());
    ASSERT_TRUE(ended.Join(kInfinite));
    // Its system id may belong to another thread by now.
    EXPECT_FALSE(ended.SetPriority(kThreadPriorityNormal));
}

TEST(ThreadPriority, APriorityAboveTheProcessIsRefusedWithoutThePrivilegeAndChangesNothing)
{
    HeldThread held;
    const int base = MainNice();
    if (base <= -20)
        GTEST_SKIP() << "the process runs at the highest priority already";

    // Capabilities belong to each thread: the caller drops CAP_SYS_NICE for itself. The
    // limit on raising belongs to the process and is put back afterwards.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NICE, &saved), 0);
    rlimit none = saved;
    none.rlim_cur = 0;
    ASSERT_EQ(::setrlimit(RLIMIT_NICE, &none), 0);
    bool answer = true;
    std::thread caller(
        [&]
        {
            __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
            __user_cap_data_struct data[2]{};
            ASSERT_EQ(::syscall(SYS_capget, &header, data), 0);
            data[CAP_SYS_NICE / 32].effective &= ~(1u << (CAP_SYS_NICE % 32));
            ASSERT_EQ(::syscall(SYS_capset, &header, data), 0);
            answer = held.thread.SetPriority(kThreadPriorityHighest);
        });
    caller.join();
    ASSERT_EQ(::setrlimit(RLIMIT_NICE, &saved), 0);

    EXPECT_FALSE(answer);
    EXPECT_EQ(NiceOf(held.id), base);
}

TEST(ThreadPriority, ThreadsThatARaisedThreadCreatesStartAtTheOrdinaryPriority)
{
    const int base = MainNice();
    if (base - 10 >= 0 || !MayRaise(base - 10))
        GTEST_SKIP() << "this process may not raise a thread to a negative nice value";
    std::atomic<int> childNice{100};
    Event go(false);
    Thread thread(
        [&]
        {
            go.Wait(kInfinite);
            std::thread child([&] { childNice.store(NiceOf(::gettid())); });
            child.join();
            return 0u;
        });
    ASSERT_TRUE(thread.SetPriority(kThreadPriorityHighest));
    ASSERT_TRUE(thread.Start());
    go.Set();
    ASSERT_TRUE(thread.Join(kInfinite));
    EXPECT_EQ(childNice.load(), 0);
}

TEST(ThreadPriority, TheBoostIsOffAlreadyAndCannotBeTurnedOn)
{
    HeldThread held;
    const int nice = NiceOf(held.id);
    EXPECT_TRUE(held.thread.SetPriorityBoost(false));
    EXPECT_FALSE(held.thread.SetPriorityBoost(true));
    EXPECT_EQ(PolicyOf(held.id), SCHED_OTHER);
    EXPECT_EQ(NiceOf(held.id), nice);
}

} // namespace
