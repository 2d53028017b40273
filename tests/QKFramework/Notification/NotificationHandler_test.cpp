#include "QKFramework/Notification/NotificationHandler.h"
#include "tests/support/DebugCapture.h"

#include "tests/QKFramework/Notification/NotificationTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace HandlerTest
{

using namespace QK;
using Log = std::vector<std::string>;

// A handler that sits in a virtual base of the owner, and the log every handler writes.
class Reacting : public virtual LRefCountedObject
{
public:
    QKRESULT OnFromBase(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>&)
    {
        log.push_back("base");
        return 7;
    }
    Log log;
};

// An owner in the way controls use their tables: every notification goes to Dispatch. It
// can be told to fail its subscriptions, to show what the scope guard does then.
class Panel : public LNotificationClient, public virtual Reacting
{
public:
    static RCPtr<Panel> Create()
    {
        RCPtr<Panel> panel(new Panel());
        panel->table = LNotificationHandler<Panel>::Create(panel.Get());
        return panel;
    }

    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override
    {
        ++received;
        lastDispatch = table->Dispatch(source, notification);
        return lastDispatch;
    }

    NID Subscribe(const ConstRCPtr<LNotificationDistributor>& distributor, NotificationName nid,
                  std::uint32_t mask)
    {
        return failSubscriptions ? 0 : LNotificationClient::Subscribe(distributor, nid, mask);
    }

    QKRESULT OnValue(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>&)
    {
        log.push_back("value");
        return 1;
    }
    QKRESULT OnOther(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>&)
    {
        log.push_back("other");
        return 2;
    }
    QKRESULT OnZero(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>&)
    {
        log.push_back("zero");
        return 0;
    }

    RCPtr<LNotificationHandler<Panel>> table;
    int received = 0;
    QKRESULT lastDispatch = -1;
    bool failSubscriptions = false;
};

using Table = LNotificationHandler<Panel>;

class HandlerTable : public QK::TestSupport::NotificationTest
{
protected:
    void TearDown() override
    {
        panel->table = nullptr;
        NotificationTest::TearDown();
    }

    QKRESULT Send(const RCPtr<LNotificationDistributor>& from, const char16_t* name = u"NID_VALUE")
    {
        return from->SendNotification(LNotification::Create(name));
    }

    RCPtr<Panel> panel = Panel::Create();
    RCPtr<LNotificationDistributor> source{new LNotificationDistributor()};
    RCPtr<LNotificationDistributor> other{new LNotificationDistributor()};
};

TEST_F(HandlerTable, AddingAgainKeepsTheFirstHandlerButTheLastMask)
{
    EXPECT_EQ(panel->table->AddHandler(&Panel::OnValue, source, u"NID_VALUE", 0x2), QK_OK);
    EXPECT_EQ(panel->table->AddHandler(&Panel::OnOther, source, u"NID_VALUE", 0x4), QK_OK);
    Send(source);
    EXPECT_EQ(panel->log, (Log{"value"}));
    EXPECT_EQ(panel->lastDispatch, 1);

    Table::Handler handler;
    std::uint32_t mask = 0;
    EXPECT_EQ(panel->table->FindRegistration(source, u"NID_VALUE", handler, mask), QK_OK);
    EXPECT_EQ(mask, 0x4u);
    EXPECT_EQ(handler(*panel, source, LNotification::Create(u"NID_VALUE")), 1);
}

TEST_F(HandlerTable, DispatchCallsOnlyTheHandlerOfThatSourceAndId)
{
    panel->table->AddHandler(&Panel::OnValue, source, u"NID_VALUE");
    panel->table->AddHandler(&Panel::OnOther, other, u"NID_OTHER");
    panel->table->AddHandler(&Panel::OnFromBase, source, u"NID_BASE");
    panel->table->AddDirectHandler(&Panel::OnOther, u"NID_DIRECT");
    struct Case
    {
        const LNotificationDistributor* from;
        const char16_t* name;
        QKRESULT result;
        const char* called;
    };
    const Case cases[] = {
        {source.Get(), u"NID_VALUE", 1, "value"},
        {other.Get(), u"NID_VALUE", 0, nullptr}, // the id has an entry, for another source
        {source.Get(), u"NID_OTHER", 0, nullptr},
        {source.Get(), u"NID_UNKNOWN", 0, nullptr},
        {source.Get(), u"NID_BASE", 7, "base"}, // member of a virtual base
        {nullptr, u"NID_DIRECT", 2, "other"},   // direct handlers answer only without a source
        {source.Get(), u"NID_DIRECT", 0, nullptr},
    };
    for (const Case& c : cases)
    {
        panel->log.clear();
        const ConstRCPtr<LNotificationDistributor> from(const_cast<LNotificationDistributor*>(c.from));
        EXPECT_EQ(panel->table->Dispatch(from, LNotification::Create(c.name)), c.result);
        EXPECT_EQ(panel->log, c.called ? Log{c.called} : Log{});
    }
    EXPECT_EQ(panel->table->Dispatch(source, nullptr), QK_OK);
}

// A chain of tables stops at the first one holding an entry; Dispatch alone cannot tell a
// handler that answered 0 from a missing entry.
TEST_F(HandlerTable, DispatchEntryTellsAnEntryAnsweringZeroFromNoEntry)
{
    panel->table->AddHandler(&Panel::OnZero, source, u"NID_ZERO");
    QKRESULT result = -1;
    EXPECT_FALSE(panel->table->DispatchEntry(source, LNotification::Create(u"NID_VALUE"), result));
    EXPECT_FALSE(panel->table->DispatchEntry(other, LNotification::Create(u"NID_ZERO"), result));
    EXPECT_FALSE(panel->table->DispatchEntry(source, nullptr, result));
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(panel->log.empty());
    EXPECT_TRUE(panel->table->DispatchEntry(source, LNotification::Create(u"NID_ZERO"), result));
    EXPECT_EQ(result, QK_OK);
    EXPECT_EQ(panel->log, (Log{"zero"}));
}

TEST_F(HandlerTable, RemovingAHandlerKeepsTheSubscription)
{
    EXPECT_FALSE(panel->table->RemoveHandler(source, u"NID_VALUE"));
    panel->table->AddHandler(&Panel::OnValue, source, u"NID_VALUE");
    EXPECT_TRUE(panel->table->RemoveHandler(source, u"NID_VALUE"));
    EXPECT_FALSE(panel->table->RemoveHandler(source, u"NID_VALUE"));
    EXPECT_EQ(Send(source), QK_OK);
    EXPECT_EQ(panel->received, 1);
    EXPECT_EQ(panel->lastDispatch, 0);
    EXPECT_TRUE(panel->log.empty());
}

TEST_F(HandlerTable, FailedAddsStoreNothing)
{
    EXPECT_EQ(panel->table->AddHandler(&Panel::OnValue, nullptr, u"NID_VALUE"), QK_E_INVALIDARG);
    EXPECT_EQ(panel->table->AddHandler(&Panel::OnValue, source, u""), QK_E_FAIL);
    EXPECT_EQ(panel->table->AddDirectHandler(&Panel::OnValue, u""), QK_E_FAIL);
    EXPECT_EQ(panel->GetRegistrationCount(), 0);
    Table::Handler handler;
    std::uint32_t mask = 0;
    EXPECT_EQ(panel->table->FindRegistration(nullptr, u"NID_VALUE", handler, mask), QK_E_FAIL);
    EXPECT_EQ(panel->table->FindRegistration(source, u"NID_VALUE", handler, mask), QK_E_FAIL);
    EXPECT_FALSE(handler);
}

TEST_F(HandlerTable, DisablerSuspendsOneSubscriptionForItsScope)
{
    panel->table->AddHandler(&Panel::OnValue, source, u"NID_VALUE", 0x4);
    panel->table->AddHandler(&Panel::OnOther, source, u"NID_OTHER");
    {
        CAutoNotificationDisabler<Panel> disabler(*panel->table, source, u"NID_VALUE");
        EXPECT_EQ(Send(source), QK_FALSE) << "nobody is subscribed to NID_VALUE now";
        Send(source, u"NID_OTHER");
        EXPECT_EQ(panel->log, (Log{"other"}));
    }
    Send(source);
    EXPECT_EQ(panel->log, (Log{"other", "value"}));
    std::uint32_t mask = 0;
    EXPECT_EQ(source->GetClientMask(ConstRCPtr<LNotificationReceiver>(panel), u"NID_VALUE", mask), QK_OK);
    EXPECT_EQ(mask, 0x4u);
}

std::string Expected(const char* function)
{
    return std::string("Failed Result : QKRESULT = 80004005 : QK::CAutoNotificationDisabler<class "
                       "HandlerTest::Panel>::") +
           function + " : notification\\NotificationHandler : Line ";
}

TEST_F(HandlerTable, DisablerWithoutSuchHandlerThrowsFromItsConstructor)
{
    try
    {
        CAutoNotificationDisabler<Panel> disabler(*panel->table, source, u"NID_VALUE");
        FAIL() << "no exception";
    }
    catch (const FailedResultException& e)
    {
        EXPECT_EQ(std::string(e.what()).rfind(Expected("CAutoNotificationDisabler"), 0), 0u) << e.what();
    }
}

TEST_F(HandlerTable, DisablerThatCannotRestoreThrowsFromItsDestructor)
{
    panel->table->AddHandler(&Panel::OnValue, source, u"NID_VALUE");
    try
    {
        CAutoNotificationDisabler<Panel> disabler(*panel->table, source, u"NID_VALUE");
        panel->failSubscriptions = true;
    }
    catch (const FailedResultException& e)
    {
        EXPECT_EQ(std::string(e.what()).rfind(Expected("~CAutoNotificationDisabler"), 0), 0u) << e.what();
        return;
    }
    FAIL() << "no exception";
}

TEST_F(HandlerTable, DisablerLeftByAnExceptionLogsItsOwnFailure)
{
    panel->table->AddHandler(&Panel::OnValue, source, u"NID_VALUE");
    TestSupport::DebugCapture capture;
    try
    {
        CAutoNotificationDisabler<Panel> disabler(*panel->table, source, u"NID_VALUE");
        panel->failSubscriptions = true;
        throw std::runtime_error("first");
    }
    catch (const std::runtime_error& e)
    {
        EXPECT_STREQ(e.what(), "first");
    }
    EXPECT_NE(capture.Text().find(Expected("~CAutoNotificationDisabler")), std::string::npos) << capture.Text();
}

} // namespace HandlerTest
