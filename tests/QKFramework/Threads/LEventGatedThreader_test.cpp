#include "QKFramework/Threads/LEventGatedThreader.h"

#include "WorkerProbes.h"

#include <gtest/gtest.h>

#include <atomic>

namespace
{

using namespace QK;
using namespace QK::test;

TEST(LEventGatedThreader, SetsDuringOneRunGiveExactlyOneMoreRun)
{
    ConstRCPtr<LEvent> event = LEvent::Create(true);
    Event firstRunStarted(false);
    Event releaseFirstRun(false);
    Event secondRunDone(false);
    std::atomic<int> runs{0};
    std::atomic<bool> runningSeen{false};
    std::atomic<bool> pendingInSecondRun{true};
    std::atomic<LEventGatedThreader*> threader{nullptr};

    RCPtr<FunctionWorker> worker = FunctionWorker::Create(
        [&](const ConstRCPtr<LRefCountedObject>&)
        {
            const int run = ++runs;
            runningSeen = threader.load()->IsRunning();
            if (run == 1)
            {
                firstRunStarted.Set();
                releaseFirstRun.Wait(kInfinite);
            }
            else if (run == 2)
            {
                // One pending set was taken by the wait that woke this run; no other is left.
                pendingInSecondRun = WaitEvent(event, 0) == kWaitSignalled;
                secondRunDone.Set();
            }
            return 0u;
        });
    {
        RCPtr<LEventGatedThreader> gated = LEventGatedThreader::Create(event, worker, nullptr, 0);
        threader = gated.Get();
        SetEvent(event);
        ASSERT_EQ(firstRunStarted.Wait(kInfinite), kWaitSignalled);
        SetEvent(event);
        SetEvent(event);
        SetEvent(event);
        releaseFirstRun.Set();
        ASSERT_EQ(secondRunDone.Wait(kInfinite), kWaitSignalled);
        EXPECT_FALSE(pendingInSecondRun.load());
        EXPECT_EQ(gated->GetLastWaitResult(), kWaitSignalled);
    }
    // Destruction wakes the loop only to stop it.
    EXPECT_EQ(runs.load(), 2);
    EXPECT_TRUE(runningSeen.load());
}

TEST(LEventGatedThreader, ANewTimeOutTakesEffectAtTheNextWaitAndATimedOutWaitAlsoRuns)
{
    ConstRCPtr<LEvent> event = LEvent::Create(true);
    Event timedOutRun(false);
    std::atomic<int> runs{0};
    std::atomic<int> timedOutRunNumber{0};
    std::atomic<std::uint32_t> firstWait{kWaitFailed};
    std::atomic<LEventGatedThreader*> threader{nullptr};

    RCPtr<FunctionWorker> worker = FunctionWorker::Create(
        [&](const ConstRCPtr<LRefCountedObject>&)
        {
            LEventGatedThreader* gated = threader.load();
            const int run = ++runs;
            if (run == 1)
            {
                firstWait = gated->GetLastWaitResult();
                gated->SetTimeout(1);
            }
            else if (gated->GetLastWaitResult() == kWaitTimeout && timedOutRunNumber == 0)
            {
                gated->SetTimeout(kInfinite);
                timedOutRunNumber = run;
                timedOutRun.Set();
            }
            return 0u;
        });
    RCPtr<LEventGatedThreader> gated =
        LEventGatedThreader::Create(event, worker, nullptr, kThreadPriorityNormal);
    threader = gated.Get();
    EXPECT_EQ(gated->GetTimeout(), kInfinite);
    SetEvent(event);
    ASSERT_EQ(timedOutRun.Wait(kInfinite), kWaitSignalled);
    EXPECT_EQ(firstWait.load(), kWaitSignalled);
    EXPECT_EQ(timedOutRunNumber.load(), 2);
}

TEST(LEventGatedThreader, DestroyingAnIdleThreaderRunsNothingWithOrWithoutAnEvent)
{
    for (bool withEvent : {true, false})
    {
        RCPtr<HoldingWorker> worker = HoldingWorker::Create(false);
        {
            RCPtr<LEventGatedThreader> gated =
                LEventGatedThreader::Create(withEvent ? LEvent::Create(true) : nullptr, worker, nullptr, 0);
            EXPECT_FALSE(gated->IsRunning());
        }
        EXPECT_EQ(worker->runs.load(), 0) << "with event: " << withEvent;
    }
}

} // namespace
