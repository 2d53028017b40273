#include "QKFramework/Notification/NotificationClient.h"
#include "QKFramework/Notification/NotificationDistributor.h"

#include "tests/QKFramework/Notification/NotificationTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace
{

using namespace QK;
using QK::TestSupport::Recorder;
using QK::TestSupport::TearingDistributor;
using Log = std::vector<std::string>;

// Three clients A, B, C subscribed in that order to "NID_TEST" on one distributor.
class Delivery : public QK::TestSupport::NotificationTest
{
public:
    void SetUp() override
    {
        for (const char* name : {"A", "B", "C"})
        {
            clients.push_back(Recorder::Create(name, log));
            ASSERT_NE(clients.back()->Subscribe(source, u"NID_TEST"), 0u);
        }
    }

    Recorder& Client(char name) { return *clients[static_cast<std::size_t>(name - 'A')]; }

    QKRESULT Send(const char16_t* name = u"NID_TEST")
    {
        return source->SendNotification(LNotification::Create(name));
    }

    Log log;
    RCPtr<LNotificationDistributor> source{new LNotificationDistributor()};
    std::vector<RCPtr<Recorder>> clients;
};

TEST_F(Delivery, LastRegistrationIsCalledFirst)
{
    EXPECT_EQ(Send(), QK_OK);
    EXPECT_EQ(log, (Log{"C:NID_TEST", "B:NID_TEST", "A:NID_TEST"}));
    EXPECT_EQ(Client('A').sources.front(), source.Get());
}

TEST_F(Delivery, IdsWithoutRegistrationsAnswerNothingDone)
{
    EXPECT_EQ(Send(u"NID_NOBODY_LISTENS"), QK_FALSE);
    for (auto& client : clients)
        EXPECT_EQ(client->Unsubscribe(source, u"NID_TEST"), QK_OK);
    // The pool stays, empty.
    EXPECT_TRUE(source->FindClientPool(GetNotificationId(u"NID_TEST")));
    EXPECT_EQ(Send(), QK_FALSE);
    EXPECT_EQ(source->SendNotification(nullptr), QK_E_INVALIDARG);
    EXPECT_TRUE(log.empty());
}

TEST_F(Delivery, RegisteringAgainReplacesTheMask)
{
    const RCPtr<LNotificationDistributor> other(new LNotificationDistributor());
    const auto a = Recorder::Create("a", log);
    const auto b = Recorder::Create("b", log);
    a->Subscribe(other, u"NID_MASK", 0x2);
    b->Subscribe(other, u"NID_MASK", 0x4);
    const auto pool = other->FindClientPool(GetNotificationId(u"NID_MASK"));
    const std::int32_t refs = other->GetRefCount();
    EXPECT_EQ(pool->GetCombinedMask(), 0x6u);

    const ConstRCPtr<LNotificationReceiver> receiver(a);
    EXPECT_EQ(other->RegisterClient(receiver, u"NID_MASK", 0x2), QK_FALSE);
    EXPECT_EQ(other->RegisterClient(receiver, u"NID_MASK", 0x8), QK_FALSE);
    std::uint32_t mask = 0;
    EXPECT_EQ(other->GetClientMask(receiver, u"NID_MASK", mask), QK_OK);
    EXPECT_EQ(mask, 0x8u);
    EXPECT_EQ(pool->GetCombinedMask(), 0xCu);
    EXPECT_EQ(pool->GetCount(), 2u);
    EXPECT_EQ(other->GetRegistrationCount(), 2);
    EXPECT_EQ(other->GetRefCount(), refs);
}

// Who changes the registrations during the first send, and what the two sends then call.
struct ChangeDuringDelivery
{
    const char* description;
    char actor;
    std::function<void(Delivery&)> change;
    Log firstSend;
    Log secondSend;

    friend void PrintTo(const ChangeDuringDelivery& c, std::ostream* out) { *out << c.description; }
};

class ChangesDuringDelivery : public Delivery, public ::testing::WithParamInterface<ChangeDuringDelivery>
{
};

TEST_P(ChangesDuringDelivery, EveryRegistrationPresentWhenReachedIsCalledOnce)
{
    const ChangeDuringDelivery& c = GetParam();
    Client(c.actor).action = [this, &c](Recorder&, const auto&, const auto&) { c.change(*this); };
    Send();
    EXPECT_EQ(log, c.firstSend);
    log.clear();
    Send();
    EXPECT_EQ(log, c.secondSend);
}

const auto kUnsubscribe = [](char name)
{ return [name](Delivery& d) { d.Client(name).Unsubscribe(d.source, u"NID_TEST"); }; };

INSTANTIATE_TEST_SUITE_P(
    Table, ChangesDuringDelivery,
    ::testing::Values(
        ChangeDuringDelivery{"C drops itself",
                             'C',
                             kUnsubscribe('C'),
                             {"C:NID_TEST", "B:NID_TEST", "A:NID_TEST"},
                             {"B:NID_TEST", "A:NID_TEST"}},
        ChangeDuringDelivery{
            "B drops A", 'B', kUnsubscribe('A'), {"C:NID_TEST", "B:NID_TEST"}, {"C:NID_TEST", "B:NID_TEST"}},
        ChangeDuringDelivery{
            "C drops B", 'C', kUnsubscribe('B'), {"C:NID_TEST", "A:NID_TEST"}, {"C:NID_TEST", "A:NID_TEST"}},
        ChangeDuringDelivery{"B drops C, already called",
                             'B',
                             kUnsubscribe('C'),
                             {"C:NID_TEST", "B:NID_TEST", "A:NID_TEST"},
                             {"B:NID_TEST", "A:NID_TEST"}},
        ChangeDuringDelivery{"C drops A and B",
                             'C',
                             [](Delivery& d)
                             {
                                 d.Client('A').Unsubscribe(d.source, u"NID_TEST");
                                 d.Client('B').Unsubscribe(d.source, u"NID_TEST");
                             },
                             {"C:NID_TEST"},
                             {"C:NID_TEST"}},
        ChangeDuringDelivery{"B drops itself and A",
                             'B',
                             [](Delivery& d)
                             {
                                 d.Client('B').Unsubscribe(d.source, u"NID_TEST");
                                 d.Client('A').Unsubscribe(d.source, u"NID_TEST");
                             },
                             {"C:NID_TEST", "B:NID_TEST"},
                             {"C:NID_TEST"}},
        ChangeDuringDelivery{"A subscribes D",
                             'A',
                             [](Delivery& d)
                             {
                                 d.clients.push_back(Recorder::Create("D", d.log));
                                 d.clients.back()->Subscribe(d.source, u"NID_TEST");
                             },
                             {"C:NID_TEST", "B:NID_TEST", "A:NID_TEST"},
                             {"D:NID_TEST", "C:NID_TEST", "B:NID_TEST", "A:NID_TEST"}}),
    [](const auto& info)
    {
        std::string name = info.param.description;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

// A receiver that sends the same id again on the same distributor from inside its call: the
// outer delivery goes on where it stood, whatever the inner one did.
struct NestedSend
{
    const char* description;
    char sender;
    char remover; // 0: nobody removes anything
    char removed;
    Log calls;

    friend void PrintTo(const NestedSend& c, std::ostream* out) { *out << c.description; }
};

class NestedSendOfTheSameId : public Delivery, public ::testing::WithParamInterface<NestedSend>
{
};

TEST_P(NestedSendOfTheSameId, OuterDeliveryIsNotCutShort)
{
    const NestedSend& c = GetParam();
    Client(c.sender).action = [this](Recorder&, const auto&, const auto&) { Send(); };
    if (c.remover)
        Client(c.remover).action = [this, &c](Recorder&, const auto&, const auto&)
        { Client(c.removed).Unsubscribe(source, u"NID_TEST"); };
    EXPECT_EQ(Send(), QK_OK);
    EXPECT_EQ(log, c.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NestedSendOfTheSameId,
    ::testing::Values(
        NestedSend{"B sends again",
                   'B',
                   0,
                   0,
                   {"C:NID_TEST", "B:NID_TEST", "C:NID_TEST", "B:NID_TEST", "A:NID_TEST", "A:NID_TEST"}},
        NestedSend{"C sends again",
                   'C',
                   0,
                   0,
                   {"C:NID_TEST", "C:NID_TEST", "B:NID_TEST", "A:NID_TEST", "B:NID_TEST", "A:NID_TEST"}},
        // The inner delivery's B removes A: both deliveries skip A, the outer one still
        // reaches B.
        NestedSend{"Inner removal below both",
                   'C',
                   'B',
                   'A',
                   {"C:NID_TEST", "C:NID_TEST", "B:NID_TEST", "B:NID_TEST"}}),
    [](const auto& info)
    {
        std::string name = info.param.description;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST_F(Delivery, PostedOnlyRegistrationIsNotReachedByAPlainSend)
{
    const auto posted = Recorder::Create("P", log);
    posted->Subscribe(source, u"NID_TEST", LNotificationDistributor::kPostedOnly);
    Send();
    EXPECT_EQ(log, (Log{"C:NID_TEST", "B:NID_TEST", "A:NID_TEST"}));
}

TEST_F(Delivery, DeliverAtCallsOneRegistrationAndAnswersWhereToGoOn)
{
    const auto pool = source->FindClientPool(GetNotificationId(u"NID_TEST"));
    const ConstRCPtr<LNotification> notification = LNotification::Create(u"NID_TEST");
    const ConstRCPtr<LNotificationDistributor> from(source);
    EXPECT_EQ(pool->DeliverAt(from, 1, notification), 1);
    EXPECT_EQ(pool->DeliverAt(from, 7, notification), 3);
    // B drops A while called: the answer follows B down to index 0.
    Client('B').action = [this](Recorder&, const auto&, const auto&)
    { Client('A').Unsubscribe(source, u"NID_TEST"); };
    EXPECT_EQ(pool->DeliverAt(from, 1, notification), 0);
    EXPECT_EQ(log, (Log{"B:NID_TEST", "B:NID_TEST"}));
}

TEST_F(Delivery, ArgumentsThatCannotWorkAreRefused)
{
    const auto idle = Recorder::Create("idle", log);
    EXPECT_EQ(idle->Subscribe(nullptr, u"NID_TEST"), 0u);
    EXPECT_EQ(idle->Subscribe(source, u""), 0u);
    EXPECT_EQ(idle->Subscribe(source, NID{3}), 0u);
    EXPECT_FALSE(source->HasClient(ConstRCPtr<LNotificationReceiver>(idle)));
    // A client without registrations answers 1 before looking at the arguments.
    EXPECT_EQ(idle->Unsubscribe(nullptr, u""), QK_FALSE);

    Recorder& a = Client('A');
    EXPECT_EQ(a.Unsubscribe(nullptr, u"NID_TEST"), QK_E_INVALIDARG);
    EXPECT_EQ(a.Unsubscribe(source, u""), QK_E_INVALIDARG);
    EXPECT_EQ(a.Unsubscribe(source, u"NID_NOT_SUBSCRIBED"), QK_FALSE);
    EXPECT_EQ(source->RegisterClient(nullptr, u"NID_TEST", 0), QK_E_INVALIDARG);
    EXPECT_EQ(source->RegisterClient(ConstRCPtr<LNotificationReceiver>(idle), u"", 0), QK_FALSE);
    EXPECT_EQ(source->UnregisterClient(nullptr, u"NID_TEST"), QK_E_INVALIDARG);
    EXPECT_EQ(source->UnregisterClient(ConstRCPtr<LNotificationReceiver>(idle), u""), QK_E_INVALIDARG);
    EXPECT_EQ(source->UnregisterClientFromAll(nullptr), QK_E_INVALIDARG);
    std::uint32_t mask = 77;
    EXPECT_EQ(source->GetClientMask(ConstRCPtr<LNotificationReceiver>(idle), u"NID_TEST", mask), QK_E_FAIL);
    EXPECT_EQ(mask, 77u);
    EXPECT_EQ(source->GetRegistrationCount(), 3);
}

TEST(NotificationReferences, CountsReturnToTheirStartAfterTheLastRegistrationGoes)
{
    Log log;
    const RCPtr<LNotificationDistributor> source(new LNotificationDistributor());
    const auto client = Recorder::Create("A", log);
    const std::int32_t refs = source->GetRefCount();
    const std::int32_t clientRefs = client->GetRefCount();
    EXPECT_FALSE(source->IsActive());

    client->Subscribe(source, u"NID_ONE");
    client->Subscribe(source, u"NID_TWO");
    EXPECT_TRUE(source->IsActive());
    // Two registrations and the active list, all internal.
    EXPECT_EQ(source->GetRefCount(), refs + 3);
    EXPECT_EQ(source->GetInternalRefCount(), 3);
    EXPECT_EQ(client->GetRefCount(), clientRefs + 2);
    EXPECT_EQ(client->GetInternalRefCount(), 2);
    EXPECT_EQ(client->GetRegistrationCount(), 2);
    EXPECT_EQ(client->GetDistributorCount(), 1u);

    client->Unsubscribe(source, u"NID_ONE");
    EXPECT_EQ(client->GetDistributorCount(), 1u);
    client->Unsubscribe(source, u"NID_TWO");
    EXPECT_FALSE(source->IsActive());
    EXPECT_EQ(source->GetRefCount(), refs);
    EXPECT_EQ(source->GetInternalRefCount(), 0);
    EXPECT_EQ(client->GetRefCount(), clientRefs);
    EXPECT_EQ(client->GetInternalRefCount(), 0);
    EXPECT_EQ(client->GetDistributorCount(), 0u);
}

TEST(NotificationReferences, ClientOnThreeDistributorsDiesOnItsLastOutsideRelease)
{
    Log log;
    bool destroyed = false;
    std::vector<RCPtr<LNotificationDistributor>> sources;
    RCPtr<Recorder> client = Recorder::Create("A", log, &destroyed);
    for (int i = 0; i < 3; ++i)
    {
        sources.emplace_back(new LNotificationDistributor());
        client->Subscribe(sources.back(), u"NID_ONE");
    }
    client->Subscribe(sources[1], u"NID_TWO");
    EXPECT_EQ(client->GetRegistrationCount(), 4);

    client = nullptr;
    EXPECT_TRUE(destroyed);
    for (const auto& source : sources)
    {
        EXPECT_EQ(source->GetRegistrationCount(), 0);
        EXPECT_FALSE(source->IsActive());
        EXPECT_EQ(source->GetRefCount(), 1);
        EXPECT_EQ(source->SendNotification(LNotification::Create(u"NID_ONE")), QK_FALSE);
    }
}

TEST(NotificationReferences, DistributorThatDetachesItsClientsDiesOnItsLastOutsideRelease)
{
    Log log;
    bool destroyed = false;
    RCPtr<TearingDistributor> source = TearingDistributor::Create(&destroyed);
    const auto a = Recorder::Create("A", log);
    const auto b = Recorder::Create("B", log);
    a->Subscribe(source, u"NID_ONE");
    a->Subscribe(source, u"NID_TWO");
    b->Subscribe(source, u"NID_TWO");

    source = nullptr;
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(a->GetRegistrationCount(), 0);
    EXPECT_EQ(b->GetRegistrationCount(), 0);
    EXPECT_EQ(a->GetDistributorCount(), 0u);
    EXPECT_EQ(a->GetInternalRefCount(), 0);
    EXPECT_EQ(a->GetRefCount(), 1);
}

TEST(NotificationReferences, PlainDistributorLivesWhileAClientIsSubscribed)
{
    // A distributor class that does not detach its clients is kept alive by them.
    Log log;
    const auto client = Recorder::Create("A", log);
    RCPtr<LNotificationDistributor> source(new LNotificationDistributor());
    client->Subscribe(source, u"NID_ONE");
    const LNotificationDistributor* raw = source.Get();
    source = nullptr;
    EXPECT_EQ(raw->GetRegistrationCount(), 1);
    EXPECT_EQ(client->UnsubscribeAll(), 1);
    EXPECT_EQ(client->GetRegistrationCount(), 0);
    EXPECT_EQ(client->GetInternalRefCount(), 0);
}

TEST(NotificationThreads, ConcurrentSendsEachReachEveryReceiverOnce)
{
    // Receivers that count; two threads send the same id on one distributor while a third
    // removes registrations below them.
    class Counter : public LNotificationClient
    {
    public:
        QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>&,
                                     const ConstRCPtr<LNotification>&) override
        {
            calls.fetch_add(1, std::memory_order_relaxed);
            return QK_OK;
        }
        std::atomic<int> calls{0};
    };

    constexpr int kSends = 2000;
    constexpr int kChurn = 300;
    const RCPtr<LNotificationDistributor> source(new LNotificationDistributor());
    // The churning registrations come first, so each removal moves the counters' down.
    std::vector<RCPtr<Counter>> churn;
    for (int i = 0; i < kChurn; ++i)
    {
        churn.emplace_back(new Counter());
        source->RegisterClient(ConstRCPtr<LNotificationReceiver>(churn.back()), u"NID_CONCURRENT", 0);
    }
    std::vector<RCPtr<Counter>> counters;
    for (int i = 0; i < 3; ++i)
    {
        counters.emplace_back(new Counter());
        source->RegisterClient(ConstRCPtr<LNotificationReceiver>(counters.back()), u"NID_CONCURRENT", 0);
    }

    std::thread changer(
        [&]
        {
            for (const auto& receiver : churn)
                source->UnregisterClient(ConstRCPtr<LNotificationReceiver>(receiver), u"NID_CONCURRENT");
        });
    std::vector<std::thread> senders;
    for (int t = 0; t < 2; ++t)
        senders.emplace_back(
            [&]
            {
                const ConstRCPtr<LNotification> notification = LNotification::Create(u"NID_CONCURRENT");
                for (int i = 0; i < kSends; ++i)
                    source->SendNotification(notification);
            });
    for (auto& sender : senders)
        sender.join();
    changer.join();

    for (const auto& counter : counters)
        EXPECT_EQ(counter->calls.load(), 2 * kSends);
    for (const auto& counter : counters)
        source->UnregisterClientFromAll(ConstRCPtr<LNotificationReceiver>(counter));
}

} // namespace
