// The root module towards the device: the connect sequence, the offline and online paths of
// the engine's entry points, the receive path, and what it leaves behind when it goes.
#include "DeviceControl/GeneratedCode/Engine/Inc/RootModule.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/ParamLists.h"
#include "tests/DeviceControl/DeviceEngineTestSupport.h"

#include <gtest/gtest.h>

namespace QK
{
namespace
{

using namespace TestSupport;

// Records what the root module asks of the device side and answers as told.
class FakeCommunication : public LDeviceCommunicationBase
{
public:
    std::int32_t GetInterfaceVersion() override { return 1; }
    QKRESULT ConnectDevice(const Variant& device) override
    {
        calls.push_back("ConnectDevice");
        connected = device;
        return connectResult;
    }
    QKRESULT DisconnectDevice() override
    {
        calls.push_back("DisconnectDevice");
        return 0;
    }
    QKRESULT RequestParamRanges(const ParamRanges& ranges) override
    {
        calls.push_back("RequestParamRanges");
        Variant item;
        Variant first;
        Variant count;
        ranges.GetListItem(0, item);
        item.GetListItem(0, first);
        item.GetListItem(1, count);
        requestedRange = {first.ToInt32(), count.ToInt32()};
        rangeCount = ranges.GetListCount();
        return 0;
    }
    QKRESULT RequestParamValuesByDescriptors(const ParamDescriptor& descriptor) override
    {
        calls.push_back("RequestParamValuesByDescriptors");
        requestedIds.push_back(descriptor.id);
        return 0;
    }
    QKRESULT SetParamValue(const ParamDescriptor& descriptor, const Variant& value) override
    {
        if (descriptor.id == kReceiverStatusParamID)
            return LDeviceCommunicationBase::SetParamValue(descriptor, value);
        calls.push_back("SetParamValue");
        sent.push_back({descriptor.id, value, Variant()});
        return setResult;
    }
    void EnableDelivery(bool enable) override
    {
        deliveries.push_back(enable);
        LDeviceCommunicationBase::EnableDelivery(enable);
    }

    std::vector<std::string> calls;
    Variant connected;
    QKRESULT connectResult = 0;
    QKRESULT setResult = 7;
    std::pair<std::int32_t, std::int32_t> requestedRange{0, 0};
    std::uint32_t rangeCount = 0;
    std::vector<std::int32_t> requestedIds;
    std::vector<Item> sent;
    std::vector<bool> deliveries;
};

struct Announcement
{
    std::int32_t id;
    Variant value;
    std::int32_t reason;
};

class RootModuleDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_root = LRootModule::Create(true);
        m_comm = RCPtr<FakeCommunication>(new FakeCommunication());
        ASSERT_EQ(m_root->Setup(&Record, this, RCPtr<LParamCache>(new LParamCache(79)),
                                RCPtr<LDeviceCommunicationBase>(m_comm.Get()), 0),
                  0);
    }

    static QKRESULT Record(void* context, const Array<ParamValue>& changes, std::int32_t reason)
    {
        auto* self = static_cast<RootModuleDeviceTest*>(context);
        EXPECT_EQ(changes.GetCount(), 1u);
        self->m_announced.push_back({changes.GetAt(0)->id, changes.GetAt(0)->value, reason});
        return QK_OK;
    }

    RCPtr<LRootModule> m_root;
    RCPtr<FakeCommunication> m_comm;
    std::vector<Announcement> m_announced;
};

TEST_F(RootModuleDeviceTest, SetupLoadsTheDefaultsSilentlyAndOpensDelivery)
{
    EXPECT_TRUE(m_announced.empty());
    EXPECT_EQ(m_comm->GetReceiver(), static_cast<DeviceCommunicationReceiver*>(m_root.Get()));
    EXPECT_EQ(m_comm->deliveries, std::vector<bool>{true});
    Variant value;
    EXPECT_EQ(m_root->GetModuleParamValue(ParamDescriptor(5), value), 0);
    EXPECT_TRUE(value.IsEqual(ByteValue({12})));
}

TEST_F(RootModuleDeviceTest, OfflineTheValueIsStoredAndAnnouncedButNotSent)
{
    EXPECT_EQ(m_root->SetModuleParamValue(ParamDescriptor(5), ByteValue({20})), 0);
    ASSERT_EQ(m_announced.size(), 1u);
    EXPECT_EQ(m_announced[0].id, 5);
    EXPECT_EQ(m_announced[0].reason, 0);
    EXPECT_TRUE(m_comm->sent.empty());
}

TEST_F(RootModuleDeviceTest, TheConnectSequenceRequestsTheRangeAndTheDeviceLevelValue)
{
    const Variant device = TextValue("STANDIN-0001");
    EXPECT_EQ(m_root->ConnectToDevice(device), 0);
    EXPECT_EQ(m_comm->calls, (std::vector<std::string>{"DisconnectDevice", "ConnectDevice", "RequestParamRanges",
                                                        "RequestParamValuesByDescriptors"}));
    EXPECT_TRUE(m_comm->connected.IsEqual(device));
    EXPECT_EQ(m_comm->rangeCount, 1u);
    EXPECT_EQ(m_comm->requestedRange, (std::pair<std::int32_t, std::int32_t>{0, 79}));
    EXPECT_EQ(m_comm->requestedIds, std::vector<std::int32_t>{-8});
    EXPECT_FALSE(m_root->IsOffline());

    // Online, a local edit is stored, announced and sent; the answer is the send's.
    EXPECT_EQ(m_root->SetModuleParamValue(ParamDescriptor(40), ByteValue({'K', 'N', 'O', 'B', ' ', '9', ' ', ' ',
                                                                             ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '})),
              7);
    ASSERT_EQ(m_comm->sent.size(), 1u);
    EXPECT_EQ(m_comm->sent[0].id, 40);
    ASSERT_EQ(m_announced.size(), 1u);
    EXPECT_EQ(m_announced[0].id, 40);

    // A failed connect ends the sequence and goes offline.
    m_comm->calls.clear();
    m_comm->connectResult = -3;
    EXPECT_EQ(m_root->ConnectToDevice(device), -3);
    EXPECT_EQ(m_comm->calls, (std::vector<std::string>{"DisconnectDevice", "ConnectDevice"}));
    EXPECT_TRUE(m_root->IsOffline());
}

TEST_F(RootModuleDeviceTest, ReceiverStatusAndSpecialIdsGoThroughTheCommunicationObject)
{
    Variant status;
    const std::int64_t word = 42;
    status.SetData(kVariantInt64, &word, sizeof word);
    // The status comes back to this root as a received item of id -4, which no module owns.
    EXPECT_EQ(m_root->SetModuleParamValue(ParamDescriptor(-4), status), 0);
    ASSERT_EQ(m_announced.size(), 1u);
    EXPECT_EQ(m_announced[0].id, -4);

    Variant name;
    EXPECT_EQ(m_root->GetModuleParamValue(ParamDescriptor(-9), name), 0);
    EXPECT_STREQ(name.GetOwnedBuffer(), "Dozavod Professional");
    // Offline, any other id is a store, which knows no negative ids.
    EXPECT_EQ(m_root->SetModuleParamValue(ParamDescriptor(-5), ByteValue({1})), -1);
}

TEST_F(RootModuleDeviceTest, ReceivedValuesAreStoredWithoutSendingBackAndUnreadableItemsSkipped)
{
    ParamValue pad;
    pad.id = 22;
    pad.value = ByteValue({50});
    ParamValue level;
    level.id = -8;
    level.value = ByteValue({3});
    ParamValue beyond;
    beyond.id = 79;
    beyond.value = ByteValue({1});
    const ParamValue records[] = {pad, level, beyond};
    ParamValues good;
    MakeParamValues(records, 3, good);
    Variant items[3];
    for (std::uint32_t i = 0; i < 3; ++i)
        good.GetListItem(i, items[i]);
    const Variant twoEntries = [] {
        const Variant a = ByteValue({1});
        const Variant* entries[] = {&a, &a};
        Variant item;
        item.SetList(entries, 2);
        return item;
    }();
    const Variant* withBroken[] = {&items[0], &twoEntries, &items[1], &items[2]};
    ParamValues block;
    block.SetList(withBroken, 4);

    m_root->DeliverParamValues(block);
    ASSERT_EQ(m_announced.size(), 3u);
    EXPECT_EQ(m_announced[0].id, 22);
    EXPECT_EQ(m_announced[1].id, -8);
    EXPECT_EQ(m_announced[2].id, 79);
    for (const Announcement& a : m_announced)
        EXPECT_EQ(a.reason, 0);
    EXPECT_TRUE(m_comm->sent.empty());
    Variant stored;
    m_root->GetModuleParamValue(ParamDescriptor(22), stored);
    EXPECT_TRUE(stored.IsEqual(ByteValue({50})));

    // The same block again changes nothing stored; only what no module owns is passed on.
    m_announced.clear();
    m_root->DeliverParamValues(block);
    ASSERT_EQ(m_announced.size(), 2u);
    EXPECT_EQ(m_announced[0].id, -8);
}

TEST_F(RootModuleDeviceTest, StoppingAndGoingCloseDelivery)
{
    EXPECT_EQ(m_root->StopReceiving(), 0);
    EXPECT_EQ(m_comm->deliveries, (std::vector<bool>{true, false}));
    m_root = nullptr;
    EXPECT_EQ(m_comm->deliveries.back(), false);
    EXPECT_EQ(m_comm->calls.back(), "DisconnectDevice");
    EXPECT_EQ(m_comm->GetReceiver(), nullptr);
}

} // namespace
} // namespace QK
