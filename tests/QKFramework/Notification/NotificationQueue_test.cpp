#include "QKFramework/Notification/NotificationCenter.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Notification/NotificationQueue.h"

#include "tests/QKFramework/Notification/NotificationTestSupport.h"
#include "tests/support/IdleLoop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <map>
#include <stdexcept>
#include <ostream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace
{

using namespace QK;
using QK::TestSupport::Recorder;
using QK::TestSupport::TestWindow;
using Log = std::vector<std::string>;

// A centre of its own, with client R subscribed to NID_A, NID_B, NID_C, NID_D and NID_IDLE.
class Posting : public QK::TestSupport::NotificationTest
{
public:
    void SetUp() override
    {
        for (const char16_t* name : {u"NID_A", u"NID_B", u"NID_C", u"NID_D", u"NID_IDLE"})
            receiver->Subscribe(ConstRCPtr<LNotificationDistributor>(centre), name);
    }

    QKRESULT Post(const char16_t* name) { return centre->PostNotification(LNotification::Create(name)); }

    Log log;
    RCPtr<LNotificationCenter> centre = LNotificationCenter::Create(u"test");
    RCPtr<Recorder> receiver = Recorder::Create("R", log);
};

TEST_F(Posting, DrainDeliversInPostingOrderWithTheCentreAsSource)
{
    EXPECT_EQ(Post(u"NID_A"), QK_OK);
    EXPECT_EQ(Post(u"NID_B"), QK_OK);
    EXPECT_EQ(Post(u"NID_C"), QK_OK);
    EXPECT_TRUE(log.empty()) << "posting delivers nothing by itself";
    EXPECT_FALSE(centre->DispatchNotifications(false));
    EXPECT_EQ(log, (Log{"R:NID_A", "R:NID_B", "R:NID_C"}));
    for (const auto* source : receiver->sources)
        EXPECT_EQ(source, static_cast<const LNotificationDistributor*>(centre.Get()));
}

TEST_F(Posting, PostsMadeDuringADrainWaitForTheNext)
{
    Post(u"NID_A");
    Post(u"NID_B");
    Post(u"NID_C");
    receiver->action = [this](Recorder&, const auto&, const ConstRCPtr<LNotification>& notification)
    {
        if (notification->GetId() == GetNotificationId(u"NID_B"))
            Post(u"NID_D");
    };
    receiver->actOnce = false;
    EXPECT_TRUE(centre->DispatchNotifications(false));
    EXPECT_EQ(log, (Log{"R:NID_A", "R:NID_B", "R:NID_C"}));
    EXPECT_FALSE(centre->DispatchNotifications(false));
    EXPECT_EQ(log, (Log{"R:NID_A", "R:NID_B", "R:NID_C", "R:NID_D"}));
}

TEST_F(Posting, RingGrowsPast255AndKeepsEveryPostInOrder)
{
    std::vector<const LNotification*> posted;
    for (int i = 0; i < 300; ++i)
    {
        const ConstRCPtr<LNotification> notification = LNotification::Create(i % 2 ? u"NID_A" : u"NID_B");
        posted.push_back(notification.Get());
        ASSERT_EQ(centre->PostNotification(notification), QK_OK);
    }
    EXPECT_EQ(centre->GetQueuedCount(), 300u);
    EXPECT_FALSE(centre->DispatchNotifications(false));
    EXPECT_EQ(receiver->notifications, posted);
    EXPECT_EQ(centre->GetSlotCount(), 301u);
}

TEST_F(Posting, IdleNotificationGoesOutOnlyWhenAsked)
{
    EXPECT_FALSE(centre->DispatchNotifications(false));
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(centre->DispatchNotifications(true));
    EXPECT_EQ(log, (Log{"R:NID_IDLE"}));
}

TEST_F(Posting, NestedDrainSendsNothingFromTheRingButStillSendsIdle)
{
    Post(u"NID_A");
    Post(u"NID_B");
    receiver->action = [this](Recorder&, const auto&, const auto&) { centre->DispatchNotifications(true); };
    centre->DispatchNotifications(false);
    EXPECT_EQ(log, (Log{"R:NID_A", "R:NID_IDLE", "R:NID_B"}));
}

// What refuses a post, and what the refused notification looks like afterwards.
TEST_F(Posting, RefusedPostsChangeNothing)
{
    // Null, and a notification that is queued already.
    EXPECT_EQ(centre->PostNotification(nullptr), QK_E_INVALIDARG);
    const ConstRCPtr<LNotification> twice = LNotification::Create(u"NID_A");
    EXPECT_EQ(centre->PostNotification(twice), QK_OK);
    EXPECT_EQ(centre->PostNotification(twice), QK_E_INVALIDARG);
    EXPECT_TRUE(twice->IsQueued());

    // A notification posted again during its own delivery.
    QKRESULT again = QK_OK;
    receiver->action = [this, &again](Recorder&, const auto&, const ConstRCPtr<LNotification>& notification)
    { again = centre->PostNotification(notification); };
    centre->DispatchNotifications(false);
    EXPECT_EQ(again, QK_E_INVALIDARG);
    EXPECT_EQ(log, (Log{"R:NID_A"}));
    EXPECT_FALSE(twice->IsQueued());

    // A queue without a target, attached to nothing yet or detached.
    const RCPtr<TestWindow> window = TestWindow::Create();
    const RCPtr<LNotificationQueue> detached(window);
    window->DetachQueue();
    struct Unattached : public LNotificationDistributor, public LNotificationQueue
    {
        QKRESULT ReleaseInternalReferences() override
        {
            Detach();
            return LRefCountedObject::ReleaseInternalReferences();
        }
    };
    const RCPtr<LNotificationQueue> unattached(new Unattached());
    for (const auto& queue : {unattached, detached})
    {
        const ConstRCPtr<LNotification> notification = LNotification::Create(u"NID_A");
        EXPECT_EQ(queue->PostNotification(notification), QK_E_FAIL);
        EXPECT_FALSE(notification->IsQueued());
        EXPECT_EQ(queue->GetQueuedCount(), 0u);
    }
}

// A posted-only registration P of NID_A beside the plain one R. Steps: "post k" posts
// notification k (one object per k, all NID_A), "send k" sends it plainly, "drain" drains.
struct PostedOnlyCase
{
    const char* description;
    std::vector<std::string> steps;
    Log calls;

    friend void PrintTo(const PostedOnlyCase& c, std::ostream* out) { *out << c.description; }
};

class PostedOnlyDelivery : public Posting, public ::testing::WithParamInterface<PostedOnlyCase>
{
};

TEST_P(PostedOnlyDelivery, OnlyTheNotificationBoundAtPostTimeReachesIt)
{
    const auto posted = Recorder::Create("P", log);
    posted->Subscribe(ConstRCPtr<LNotificationDistributor>(centre), u"NID_A",
                      LNotificationDistributor::kPostedOnly);
    std::map<char, ConstRCPtr<LNotification>> made;
    const auto notification = [&made](const std::string& step) -> const ConstRCPtr<LNotification>&
    {
        ConstRCPtr<LNotification>& n = made[step.back()];
        if (!n)
            n = LNotification::Create(u"NID_A");
        return n;
    };
    for (const std::string& step : GetParam().steps)
    {
        if (step == "drain")
            centre->DispatchNotifications(false);
        else if (step.rfind("post", 0) == 0)
            EXPECT_EQ(centre->PostNotification(notification(step)), QK_OK);
        else
            centre->SendNotification(notification(step));
    }
    EXPECT_EQ(log, GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(Table, PostedOnlyDelivery,
                         ::testing::Values(PostedOnlyCase{"plain send", {"send 1"}, {"R:NID_A"}},
                                           PostedOnlyCase{
                                               "post", {"post 1", "drain"}, {"P:NID_A", "R:NID_A"}},
                                           PostedOnlyCase{"binding goes with its delivery",
                                                          {"post 1", "drain", "send 2"},
                                                          {"P:NID_A", "R:NID_A", "R:NID_A"}},
                                           PostedOnlyCase{"another object of the same id",
                                                          {"post 1", "send 2", "drain"},
                                                          {"R:NID_A", "P:NID_A", "R:NID_A"}},
                                           // The binding names the object, however it comes.
                                           PostedOnlyCase{"the bound object sent plainly",
                                                          {"post 1", "send 1", "drain"},
                                                          {"P:NID_A", "R:NID_A", "R:NID_A"}},
                                           PostedOnlyCase{"a later post rebinds",
                                                          {"post 1", "post 2", "drain"},
                                                          {"R:NID_A", "P:NID_A", "R:NID_A"}},
                                           PostedOnlyCase{"each post binds again",
                                                          {"post 1", "drain", "post 2", "drain"},
                                                          {"P:NID_A", "R:NID_A", "P:NID_A", "R:NID_A"}}),
                         [](const auto& info)
                         {
                             std::string name = info.param.description;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

TEST_F(Posting, BindingIsClearedBeforeThePostedOnlyReceiverRuns)
{
    const auto posted = Recorder::Create("P", log);
    posted->Subscribe(ConstRCPtr<LNotificationDistributor>(centre), u"NID_A",
                      LNotificationDistributor::kPostedOnly);
    posted->action = [this](Recorder&, const auto&, const ConstRCPtr<LNotification>& notification)
    { centre->SendNotification(notification); };
    Post(u"NID_A");
    centre->DispatchNotifications(false);
    EXPECT_EQ(log, (Log{"P:NID_A", "R:NID_A", "R:NID_A"}));
}

// Runs work on another thread and waits for it. A lock held by this thread would keep it
// waiting for ever: the test then fails at once instead of hanging.
void MustFinishOnAnotherThread(const std::function<void()>& work)
{
    auto done = std::async(std::launch::async, work);
    if (done.wait_for(std::chrono::seconds(30)) != std::future_status::ready)
    {
        ADD_FAILURE() << "the other thread is blocked";
        std::fflush(nullptr);
        std::_Exit(1);
    }
    done.get();
}

TEST_F(Posting, ReceiversRunWithNoLockHeld)
{
    // From inside a receiver, another thread subscribes to the centre, sends, posts and
    // unsubscribes; each of those takes the centre's or the queues' locks.
    Log otherLog;
    const auto other = Recorder::Create("T", otherLog);
    receiver->action = [&](Recorder&, const auto&, const ConstRCPtr<LNotification>& notification)
    {
        if (notification->GetId() == GetNotificationId(u"NID_D"))
            return;
        MustFinishOnAnotherThread(
            [&]
            {
                const ConstRCPtr<LNotificationDistributor> source(centre);
                other->Subscribe(source, u"NID_D");
                centre->SendNotification(LNotification::Create(u"NID_D"));
                centre->PostNotification(LNotification::Create(u"NID_D"));
                other->Unsubscribe(source, u"NID_D");
            });
    };
    receiver->actOnce = false;
    // Called from a plain send, then from a drain.
    centre->SendNotification(LNotification::Create(u"NID_A"));
    Post(u"NID_B");
    centre->DispatchNotifications(false);
    EXPECT_EQ(otherLog, (Log{"T:NID_D", "T:NID_D"}));
}

TEST_F(Posting, PostingReceiverQueuesACopyAndLeavesTheOriginalAlone)
{
    const RCPtr<LNotificationDistributor> sender(new LNotificationDistributor());
    const auto other = Recorder::Create("O", log);
    other->Subscribe(sender, u"NID_A");
    const RCPtr<LNotificationReceiver> posting = centre->GetPostingReceiver();
    ASSERT_TRUE(posting);
    EXPECT_EQ(sender->RegisterClient(posting, u"NID_A", 0), QK_OK);

    const ConstRCPtr<LRefCountedObject> argument(new LRefCountedObject());
    const ConstRCPtr<LNotification> original = LNotification::Create(u"NID_A", argument);
    sender->SendNotification(original);
    EXPECT_EQ(log, (Log{"O:NID_A"})) << "the sender's other receivers are still called";
    EXPECT_FALSE(original->IsQueued());
    EXPECT_EQ(centre->GetQueuedCount(), 1u);

    centre->DispatchNotifications(false);
    EXPECT_EQ(log, (Log{"O:NID_A", "R:NID_A"}));
    EXPECT_NE(receiver->notifications.back(), original.Get());
    EXPECT_EQ(receiver->sources.back(), static_cast<const LNotificationDistributor*>(centre.Get()));

    // The posting receiver never lets a distributor detach it.
    EXPECT_EQ(posting->DetachFromDistributor(ConstRCPtr<LNotificationDistributor>(sender),
                                             GetNotificationId(u"NID_A")),
              QK_E_FAIL);
    EXPECT_EQ(sender->UnregisterClient(posting, u"NID_A"), QK_OK);
}

TEST(NotificationRing, TakingFromAnEmptyRingNamesTheNotificationQueue)
{
    LNotificationQueue::Ring ring(&LNotificationQueue::GetNotificationQueueLock());
    try
    {
        ring.Dequeue();
        FAIL() << "no exception";
    }
    catch (const std::runtime_error& e)
    {
        EXPECT_STREQ(e.what(),
                     "Runtime Error : QK::RCPtrQueue<class QK::LNotification,256,class QK::Mutex>::Dequeue : "
                     "utilities\\Storage/RCPtrQueue : Line 110");
    }
}

TEST_F(Posting, AttachHappensOnceAndDetachIsFinal)
{
    const RCPtr<LNotificationDistributor> stranger(new LNotificationDistributor());
    EXPECT_EQ(centre->Attach(ConstRCPtr<LNotificationDistributor>(stranger)), QK_E_FAIL);
    EXPECT_EQ(centre->GetTarget().Get(), static_cast<const LNotificationDistributor*>(centre.Get()));

    bool destroyed = false;
    RCPtr<TestWindow> window = TestWindow::Create(&destroyed);
    const ConstRCPtr<LNotification> waiting = LNotification::Create(u"NID_A");
    window->PostNotification(waiting);
    window->DetachQueue();
    EXPECT_FALSE(waiting->IsQueued()) << "detaching flushes";
    EXPECT_EQ(window->GetQueuedCount(), 0u);
    EXPECT_FALSE(window->GetPostingReceiver());
    EXPECT_FALSE(window->GetTarget());
    EXPECT_EQ(window->Attach(ConstRCPtr<LNotificationDistributor>(stranger)), QK_E_FAIL);
    window->DetachQueue(); // a second detach changes nothing
    EXPECT_EQ(window->GetInternalRefCount(), 0);
    window = nullptr;
    EXPECT_TRUE(destroyed);
}

TEST_F(Posting, AttachIgnoresANullDistributor)
{
    struct Unattached : public LNotificationDistributor, public LNotificationQueue
    {
        QKRESULT ReleaseInternalReferences() override
        {
            Detach();
            return LRefCountedObject::ReleaseInternalReferences();
        }
    };
    const RCPtr<Unattached> queue(new Unattached());
    EXPECT_EQ(queue->Attach(nullptr), QK_OK);
    EXPECT_FALSE(queue->GetTarget());
    EXPECT_EQ(queue->Attach(ConstRCPtr<LNotificationDistributor>(centre)), QK_OK);
    EXPECT_EQ(queue->GetTarget().Get(), static_cast<const LNotificationDistributor*>(centre.Get()));
}

// A receiver may empty or detach the queue it is drained from: the drain stops there, with
// nothing taken from an empty ring and nothing sent without a target.
TEST_F(Posting, DrainStopsWhenAReceiverEmptiesOrDetachesItsQueue)
{
    struct Case
    {
        const char* description;
        std::function<void(TestWindow&)> change;
    };
    const Case cases[] = {
        {"flush", [](TestWindow& window) { window.Flush(); }},
        {"detach", [](TestWindow& window) { window.DetachQueue(); }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.description);
        log.clear();
        bool destroyed = false;
        RCPtr<TestWindow> window = TestWindow::Create(&destroyed);
        const auto client = Recorder::Create("W", log);
        client->Subscribe(ConstRCPtr<LNotificationDistributor>(window), u"NID_A");
        client->Subscribe(ConstRCPtr<LNotificationDistributor>(window), u"NID_B");
        TestWindow* raw = window.Get();
        client->action = [raw, &c](Recorder&, const auto&, const auto&) { c.change(*raw); };
        const ConstRCPtr<LNotification> later = LNotification::Create(u"NID_B");
        window->PostNotification(LNotification::Create(u"NID_A"));
        window->PostNotification(later);
        window->PostNotification(LNotification::Create(u"NID_B"));
        EXPECT_FALSE(window->DispatchNotifications(true));
        EXPECT_EQ(log, (Log{"W:NID_A"}));
        EXPECT_FALSE(later->IsQueued());
        window = nullptr;
        EXPECT_TRUE(destroyed);
    }
}

TEST_F(Posting, QueueOwnerReleasedDuringItsOwnDrainLivesUntilTheDrainEnds)
{
    bool destroyed = false;
    RCPtr<TestWindow> window = TestWindow::Create(&destroyed);
    const auto client = Recorder::Create("W", log);
    client->Subscribe(ConstRCPtr<LNotificationDistributor>(window), u"NID_A");
    client->Subscribe(ConstRCPtr<LNotificationDistributor>(window), u"NID_IDLE");
    client->action = [&window](Recorder&, const auto&, const auto&) { window = nullptr; };
    TestWindow* raw = window.Get();
    window->PostNotification(LNotification::Create(u"NID_A"));
    window->PostNotification(LNotification::Create(u"NID_A"));
    EXPECT_FALSE(raw->DispatchNotifications(true));
    // The pass finished on the living window; its end let the window go.
    EXPECT_EQ(log, (Log{"W:NID_A", "W:NID_A", "W:NID_IDLE"}));
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(client->GetRegistrationCount(), 0);
}

TEST_F(Posting, CentreDetachesItsClientsWhenReleased)
{
    const auto client = Recorder::Create("X", log);
    client->Subscribe(ConstRCPtr<LNotificationDistributor>(centre), u"NID_A");
    Post(u"NID_A");
    centre = nullptr;
    EXPECT_EQ(client->GetRegistrationCount(), 0);
    EXPECT_EQ(receiver->GetRegistrationCount(), 0);
    EXPECT_EQ(client->GetInternalRefCount(), 0);
    EXPECT_TRUE(log.empty());
}

using CentreManager = QK::TestSupport::NotificationTest;

TEST_F(CentreManager, CentresAreFoundByExactName)
{
    const RCPtr<LNotificationCenterManager> manager = LNotificationCenterManager::GetInstance();
    const RCPtr<LNotificationCenter> application = manager->GetNotificationCenter(u"application");
    ASSERT_TRUE(application);
    EXPECT_EQ(manager->GetNotificationCenter(u"application"), application);
    EXPECT_EQ(GetDefaultNotificationCenter(), application);
    const RCPtr<LNotificationCenter> other = manager->GetNotificationCenter(u"Application");
    EXPECT_NE(other, application);
    EXPECT_EQ(manager->GetCenterCount(), 2u);
    EXPECT_FALSE(manager->GetNotificationCenter(u""));
    EXPECT_FALSE(manager->FindNotificationCenter(u"nothing"));
    EXPECT_EQ(manager->FindNotificationCenter(u"Application"), other);
    EXPECT_EQ(manager->GetCenterCount(), 2u);
    EXPECT_TRUE(application->GetName().IsEqual(u"application"));
}

TEST_F(CentreManager, CentresDrainNewestFirstEachFollowedByItsIdle)
{
    Log log;
    const RCPtr<LNotificationCenterManager> manager = LNotificationCenterManager::GetInstance();
    const auto client = Recorder::Create("R", log);
    const RCPtr<LNotificationCenter> older = manager->GetNotificationCenter(u"older");
    const RCPtr<LNotificationCenter> newer = manager->GetNotificationCenter(u"newer");
    for (const auto& centre : {older, newer})
    {
        client->Subscribe(ConstRCPtr<LNotificationDistributor>(centre), u"NID_IDLE");
        client->Subscribe(ConstRCPtr<LNotificationDistributor>(centre),
                          centre == older ? u"NID_OLD" : u"NID_NEW");
    }
    older->PostNotification(LNotification::Create(u"NID_OLD"));
    newer->PostNotification(LNotification::Create(u"NID_NEW"));
    EXPECT_FALSE(manager->DispatchNotifications(true));
    EXPECT_EQ(log, (Log{"R:NID_NEW", "R:NID_IDLE", "R:NID_OLD", "R:NID_IDLE"}));
    EXPECT_EQ(client->sources[1], static_cast<const LNotificationDistributor*>(newer.Get()));
    EXPECT_EQ(client->sources[3], static_cast<const LNotificationDistributor*>(older.Get()));
}

TEST_F(CentreManager, ReleasingTheManagerTearsDownItsCentres)
{
    Log log;
    const auto client = Recorder::Create("R", log);
    client->Subscribe(ConstRCPtr<LNotificationDistributor>(GetDefaultNotificationCenter()), u"NID_A");
    GetDefaultNotificationCenter()->PostNotification(LNotification::Create(u"NID_A"));
    LNotificationCenterManager::ReleaseInstance();
    EXPECT_EQ(client->GetRegistrationCount(), 0);
    EXPECT_EQ(client->GetInternalRefCount(), 0);
    EXPECT_TRUE(log.empty());
}

// The idle passes of the application shell.
class IdlePasses : public QK::TestSupport::NotificationTest
{
public:
    void SetUp() override
    {
        const ConstRCPtr<LNotificationDistributor> centre(GetDefaultNotificationCenter());
        client->Subscribe(centre, u"NID_WORK");
        client->Subscribe(centre, u"NID_IDLE");
    }

    std::size_t Count(const char* entry) const
    {
        return static_cast<std::size_t>(std::count(log.begin(), log.end(), entry));
    }

    Log log;
    RCPtr<Recorder> client = Recorder::Create("R", log);
    QK::TestSupport::IdleLoop loop;
};

TEST_F(IdlePasses, WorkThatNeverEndsGetsThreePassesAndOneIdle)
{
    // Every delivery posts new work, so each pass leaves some behind.
    client->action = [](Recorder&, const auto&, const ConstRCPtr<LNotification>& notification)
    {
        if (notification->GetId() == GetNotificationId(u"NID_WORK"))
            GetDefaultNotificationCenter()->PostNotification(LNotification::Create(u"NID_WORK"));
    };
    client->actOnce = false;
    GetDefaultNotificationCenter()->PostNotification(LNotification::Create(u"NID_WORK"));
    EXPECT_EQ(loop.RunIdlePeriod(), 3);
    EXPECT_EQ(log, (Log{"R:NID_WORK", "R:NID_IDLE", "R:NID_WORK", "R:NID_WORK"}));
    log.clear();
    EXPECT_EQ(loop.RunIdlePeriod(), 3);
    EXPECT_EQ(Count("R:NID_IDLE"), 1u);
}

TEST_F(IdlePasses, PassesStopWhenNoWorkRemains)
{
    EXPECT_EQ(loop.RunIdlePeriod(), 1);
    EXPECT_EQ(log, (Log{"R:NID_IDLE"}));
    GetDefaultNotificationCenter()->PostNotification(LNotification::Create(u"NID_WORK"));
    log.clear();
    EXPECT_EQ(loop.RunIdlePeriod(), 1);
    EXPECT_EQ(log, (Log{"R:NID_WORK", "R:NID_IDLE"}));
}

TEST_F(IdlePasses, WindowQueuesFollowTheCentresLastFirst)
{
    const RCPtr<TestWindow> first = TestWindow::Create();
    const RCPtr<TestWindow> second = TestWindow::Create();
    for (const auto& window : {first, second})
    {
        client->Subscribe(ConstRCPtr<LNotificationDistributor>(window), u"NID_WORK");
        window->PostNotification(LNotification::Create(u"NID_WORK"));
        loop.AddWindowQueue(window);
    }
    EXPECT_EQ(loop.RunIdlePeriod(), 1);
    EXPECT_EQ(client->sources, (std::vector<const LNotificationDistributor*>{
                                   GetDefaultNotificationCenter().Get(), second.Get(), first.Get()}));
}

TEST_F(IdlePasses, NothingRunsOnceExitIsRequested)
{
    GetDefaultNotificationCenter()->PostNotification(LNotification::Create(u"NID_WORK"));
    loop.RequestExit();
    EXPECT_EQ(loop.RunIdlePeriod(), 0);
    EXPECT_TRUE(log.empty());
}

TEST_F(IdlePasses, PostFromAWorkerThreadWaitsForTheNextPass)
{
    std::thread worker(
        [] { GetDefaultNotificationCenter()->PostNotification(LNotification::Create(u"NID_WORK")); });
    worker.join();
    EXPECT_TRUE(log.empty());
    loop.RunIdlePeriod();
    EXPECT_EQ(log, (Log{"R:NID_WORK", "R:NID_IDLE"}));
}

} // namespace
