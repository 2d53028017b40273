#include "QKFramework/Threads/RetriggerableThreader.h"
#include "tests/support/DebugCapture.h"

#include "WorkerProbes.h"

#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>
#include <string>
#include <thread>

namespace
{

using namespace QK;
using namespace QK::test;

TEST(RetriggerableThreader, RefusesATriggerWhileBusyAndAcceptsOneOnceItsGateIsGreen)
{
    RetriggerableThreader threader(WString(u"probe"));
    RCPtr<HoldingWorker> held = HoldingWorker::Create(true);
    RCPtr<HoldingWorker> other = HoldingWorker::Create(false);
    ConstRCPtr<LEvent> gate = LEvent::Create(true);

    ASSERT_EQ(threader.Trigger(held, nullptr, gate, kThreadPriorityHighest), QK_OK);
    ASSERT_EQ(held->started.Wait(kInfinite), kWaitSignalled);
    EXPECT_TRUE(threader.IsBusy());
    EXPECT_EQ(threader.Trigger(other, nullptr, gate, 0), QK_E_FAIL);
    EXPECT_EQ(threader.TriggerUngated(other, nullptr, 0), QK_E_FAIL);
    EXPECT_EQ(WaitEvent(gate, 0), kWaitTimeout);

    held->release.Set();
    ASSERT_EQ(WaitEvent(gate, kInfinite), kWaitSignalled);
    EXPECT_EQ(threader.GetLastResult(), 1u);
    // Busy is cleared before the gate goes green, so this cannot be refused.
    ASSERT_EQ(threader.Trigger(held, nullptr, gate, 0), QK_OK);
    ASSERT_EQ(WaitEvent(gate, kInfinite), kWaitSignalled);
    EXPECT_EQ(threader.GetLastResult(), 2u);
    EXPECT_EQ(held->runs.load(), 2);
    EXPECT_EQ(other->runs.load(), 0);
}

// Both ways of triggering without a gate must drop the gate of the run before.
struct UngatedCase
{
    const char* name;
    QKRESULT (*trigger)(RetriggerableThreader&, const ConstRCPtr<LThreadWorker>&);
};

const UngatedCase kUngatedCases[] = {
    {"TriggerUngated", [](RetriggerableThreader& t, const ConstRCPtr<LThreadWorker>& w)
     { return t.TriggerUngated(w, nullptr, 0); }},
    {"TriggerWithEmptyGate", [](RetriggerableThreader& t, const ConstRCPtr<LThreadWorker>& w)
     { return t.Trigger(w, nullptr, nullptr, 0); }},
};

void PrintTo(const UngatedCase& c, std::ostream* os)
{
    *os << c.name;
}

class RetriggerableThreaderUngated : public testing::TestWithParam<UngatedCase>
{
};

TEST_P(RetriggerableThreaderUngated, RunsAndLeavesNoGateOfAnEarlierRunBehind)
{
    RetriggerableThreader threader;
    RCPtr<HoldingWorker> worker = HoldingWorker::Create(false);
    ConstRCPtr<LEvent> first = LEvent::Create(true);
    ConstRCPtr<LEvent> last = LEvent::Create(true);

    ASSERT_EQ(threader.Trigger(worker, nullptr, first, 0), QK_OK);
    ASSERT_EQ(WaitEvent(first, kInfinite), kWaitSignalled);

    ASSERT_EQ(GetParam().trigger(threader, worker), QK_OK);
    // The loop handles one run at a time: once a later gated run has ended, the ungated
    // run has ended completely.
    while (threader.Trigger(worker, nullptr, last, 0) != QK_OK)
        std::this_thread::yield();
    ASSERT_EQ(WaitEvent(last, kInfinite), kWaitSignalled);

    EXPECT_EQ(worker->runs.load(), 3);
    EXPECT_EQ(WaitEvent(first, 0), kWaitTimeout);
}

INSTANTIATE_TEST_SUITE_P(Triggers, RetriggerableThreaderUngated, testing::ValuesIn(kUngatedCases),
                         [](const testing::TestParamInfo<UngatedCase>& info) { return info.param.name; });

TEST(RetriggerableThreader, StoppedThreaderRefusesWorkAndAnIdleOneEndsWithoutRunning)
{
    RCPtr<HoldingWorker> worker = HoldingWorker::Create(false);
    {
        RetriggerableThreader idle;
    }
    RetriggerableThreader threader;
    threader.Stop();
    EXPECT_EQ(threader.Trigger(worker, nullptr, LEvent::Create(true), 0), QK_E_FAIL);
    EXPECT_TRUE(threader.Join(kInfinite));
    EXPECT_TRUE(threader.IsFinished());
    EXPECT_FALSE(threader.IsBusy());
    EXPECT_EQ(worker->runs.load(), 0);
}

TEST(RetriggerableThreader, ARunTriggeredAsItStopsIsLetGoAndItsGateStillOpens)
{
    // Whether the loop has run it or only found it on its way out, once the thread has
    // ended the run holds nothing and its gate is green.
    for (int i = 0; i < 200; ++i)
    {
        RCPtr<HoldingWorker> worker = HoldingWorker::Create(false);
        ConstRCPtr<LEvent> gate = LEvent::Create(true);
        RetriggerableThreader threader;
        ASSERT_EQ(threader.Trigger(worker, worker, gate, 0), QK_OK);
        threader.Stop();
        ASSERT_TRUE(threader.Join(kInfinite));
        EXPECT_EQ(worker->GetRefCount(), 1);
        EXPECT_EQ(WaitEvent(gate, 0), kWaitSignalled);
        EXPECT_FALSE(threader.IsBusy());
    }
}

TEST(RetriggerableThreader, AWorkerThatThrowsIsReportedAndTheThreaderGoesOn)
{
    RetriggerableThreader threader;
    RCPtr<FunctionWorker> thrower =
        FunctionWorker::Create([](const ConstRCPtr<LRefCountedObject>&) -> std::uint32_t
                               { throw std::runtime_error("probe failure"); });
    RCPtr<HoldingWorker> worker = HoldingWorker::Create(false);
    ConstRCPtr<LEvent> gate = LEvent::Create(true);

    TestSupport::DebugCapture capture;
    ASSERT_EQ(threader.Trigger(thrower, nullptr, gate, 0), QK_OK);
    ASSERT_EQ(WaitEvent(gate, kInfinite), kWaitSignalled);
    const std::string report = capture.Text();
    EXPECT_NE(report.find("probe failure"), std::string::npos) << report;
    EXPECT_EQ(threader.GetLastResult(), static_cast<std::uint32_t>(QK_E_FAIL));

    ASSERT_EQ(threader.Trigger(worker, nullptr, gate, 0), QK_OK);
    ASSERT_EQ(WaitEvent(gate, kInfinite), kWaitSignalled);
    EXPECT_EQ(worker->runs.load(), 1);
}

TEST(RetriggerableThreader, DestroyedWhileItsRunHangsItDetachesAndTheRunStillSignalsItsGate)
{
    RCPtr<HoldingWorker> worker = HoldingWorker::Create(true);
    ConstRCPtr<LEvent> gate = LEvent::Create(true);

    TestSupport::DebugCapture capture;
    {
        RetriggerableThreader threader(WString(u"stuck"), 5);
        ASSERT_EQ(threader.Trigger(worker, nullptr, gate, 0), QK_OK);
        ASSERT_EQ(worker->started.Wait(kInfinite), kWaitSignalled);
    }
    const std::string report = capture.Text();
    EXPECT_NE(report.find("detached"), std::string::npos) << report;

    worker->release.Set();
    EXPECT_EQ(WaitEvent(gate, kInfinite), kWaitSignalled);
    EXPECT_EQ(worker->runs.load(), 1);
}

} // namespace
