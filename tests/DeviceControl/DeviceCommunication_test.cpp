// The device communication object: answers without the library, forwarding to the stand-in
// library, and the queue and delivery thread that carry pushed values to the receiver.
#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceCommunicationInterfaceT.h"
#include "tests/DeviceControl/DeviceEngineTestSupport.h"
#include "tests/support/DeviceControlStandIn.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace QK
{
namespace
{

using namespace TestSupport;
using Comm = LDeviceCommunicationInterface;

std::string TextOf(const Variant& value)
{
    return value.GetKind() == kVariantText && value.GetOwnedBuffer() ? value.GetOwnedBuffer() : "";
}

ParamValues OneValue(std::int32_t id, const Variant& value)
{
    ParamValues list;
    list.SetSingle(ParamDescriptor(id), value);
    return list;
}

ParamRanges Range(std::int32_t first, std::int32_t count)
{
    const ParamRange range{first, count};
    ParamRanges ranges;
    ranges.SetRanges(&range, 1);
    return ranges;
}

// ---- Without the library ------------------------------------------------------------------

struct Call
{
    const char* name;
    std::function<QKRESULT(Comm&)> call;
    QKRESULT expected;
};

TEST(DeviceCommunicationWithoutLibrary, EveryOperationAnswersMinusOneOrFailure)
{
    const auto comm = Comm::Create();
    const Comm::GuidFilter filter;
    const Variant value = ByteValue({1});
    const std::vector<Call> calls{
        {"FindDevices", [&](Comm& c) { Comm::DeviceList l; return c.FindDevices(filter, l); }, -1},
        {"FindRemoteDevices",
         [&](Comm& c) { Comm::DeviceList l; return c.FindRemoteDevices(filter, l, 0, 0, 1, 1, 0, 0); }, -1},
        {"FindRemoteDevicesOnce", [&](Comm& c) { Comm::DeviceList l; return c.FindRemoteDevicesOnce(filter, l); }, -1},
        {"ConnectDevice", [&](Comm& c) { return c.ConnectDevice(TextValue("STANDIN-0001")); }, -1},
        {"RequestParamRanges", [&](Comm& c) { return c.RequestParamRanges(Range(0, 79)); }, -1},
        {"RequestParamValues", [&](Comm& c) { return c.RequestParamValues(ParamDescriptors()); }, -1},
        {"RequestParamValuesByDescriptors",
         [&](Comm& c) { return c.RequestParamValuesByDescriptors(ParamDescriptor(-8)); }, -1},
        {"GetParamRanges", [&](Comm& c) { ParamValues o; return c.GetParamRanges(ParamDescriptors(), o); }, -1},
        {"GetParamValues", [&](Comm& c) { ParamValues o; return c.GetParamValues(ParamDescriptors(), o); }, -1},
        {"GetParamValue 5", [&](Comm& c) { Variant o; return c.GetParamValue(ParamDescriptor(5), o); }, QK_E_FAIL},
        {"GetParamValue -8", [&](Comm& c) { Variant o; return c.GetParamValue(ParamDescriptor(-8), o); }, -1},
        {"SetParamValue 5", [&](Comm& c) { return c.SetParamValue(ParamDescriptor(5), value); }, QK_E_FAIL},
        {"SetParamValue -8", [&](Comm& c) { return c.SetParamValue(ParamDescriptor(-8), value); }, -1},
        {"SetParamValue -4 without receiver", [&](Comm& c) { return c.SetParamValue(ParamDescriptor(-4), value); },
         QK_E_FAIL},
        {"SetParamValues", [&](Comm& c) { return c.SetParamValues(ParamValues()); }, -1},
        {"DisconnectDevice", [&](Comm& c) { return c.DisconnectDevice(); }, -1},
        {"GetDeviceInfo", [&](Comm& c) { DeviceInfoBlock i{}; return c.GetDeviceInfo(TextValue("X"), i); }, -1},
        {"GetSpecialParamValue", [&](Comm& c) { Variant o; return c.GetSpecialParamValue(o); }, -1},
        {"SetSpecialParamValue", [&](Comm& c) { return c.SetSpecialParamValue(value); }, -1},
        {"UnsupportedOperation", [&](Comm& c) { return c.UnsupportedOperation(0); }, QK_E_FAIL},
    };
    for (const Call& call : calls)
        EXPECT_EQ(call.call(*comm), call.expected) << call.name;
    EXPECT_FALSE(comm->IsDeviceConnected(1, 500));
}

TEST(DeviceCommunicationWithoutLibrary, AnswersTheSpecialIdsItself)
{
    const auto comm = Comm::Create();
    Variant value;
    ASSERT_EQ(comm->GetParamValue(ParamDescriptor(-2), value), 0);
    EXPECT_EQ(value.GetKind(), kVariantBool);
    EXPECT_TRUE(value.ToBool());
    ASSERT_EQ(comm->GetParamValue(ParamDescriptor(-9), value), 0);
    EXPECT_EQ(TextOf(value), "Dozavod Professional");
    ASSERT_EQ(comm->GetParamValue(ParamDescriptor(-10), value), 0);
    EXPECT_EQ(TextOf(value), "Vedidu Editor");
}

// The device out-argument is left alone when there is no binding.
TEST(DeviceCommunicationWithoutLibrary, CheckDeviceConnectedAnswersMinusOneAndWritesNothing)
{
    const auto comm = Comm::Create();
    comm->ConnectDevice(TextValue("STANDIN-0001"));
    Variant device = TextValue("untouched");
    EXPECT_EQ(comm->CheckDeviceConnected(device), -1);
    EXPECT_EQ(TextOf(device), "untouched");
}

TEST(DeviceCommunication, ReceiverStatusGoesToTheReceiverOnTheCallingThread)
{
    const auto comm = Comm::Create();
    RecordingReceiver receiver;
    EXPECT_FALSE(comm->NotifyReceiverStatus(5));
    comm->SetReceiver(&receiver);
    Variant status;
    const std::int64_t word = 0x123456789ALL;
    status.SetData(kVariantInt64, &word, sizeof word);
    EXPECT_EQ(comm->SetParamValue(ParamDescriptor(-4), status), 0);

    const auto blocks = receiver.Blocks();
    ASSERT_EQ(blocks.size(), 1u);
    ASSERT_EQ(blocks[0].size(), 1u);
    EXPECT_EQ(blocks[0][0].id, -4);
    Variant number;
    Variant available;
    ASSERT_EQ(blocks[0][0].value.GetListCount(), 2u);
    blocks[0][0].value.GetListItem(0, number);
    blocks[0][0].value.GetListItem(1, available);
    EXPECT_EQ(number.GetKind(), kVariantInt64);
    EXPECT_EQ(number.ToInt64(), word);
    EXPECT_EQ(available.GetKind(), kVariantBool);
    EXPECT_TRUE(available.ToBool());
    EXPECT_EQ(receiver.Threads()[0], std::this_thread::get_id());
}

// ---- Queue and delivery thread ------------------------------------------------------------

TEST(DeviceCommunicationDelivery, PushedBlocksReachTheReceiverOnTheDeliveryThreadInOrder)
{
    const auto comm = Comm::Create();
    RecordingReceiver receiver;
    comm->SetReceiver(&receiver);
    comm->EnableDelivery(true);
    // Pushed from another thread, as the library does.
    std::thread library(
        [&]
        {
            for (std::uint8_t i = 0; i < 50; ++i)
            {
                const ParamValues block = OneValue(i, ByteValue({i}));
                Comm::OnParamValuesReceived(comm.Get(), nullptr, &block);
            }
        });
    library.join();
    ASSERT_TRUE(receiver.WaitForBlocks(50));
    const auto blocks = receiver.Blocks();
    for (std::size_t i = 0; i < blocks.size(); ++i)
    {
        ASSERT_EQ(blocks[i].size(), 1u);
        EXPECT_EQ(blocks[i][0].id, static_cast<std::int32_t>(i));
    }
    for (const auto& thread : receiver.Threads())
    {
        EXPECT_NE(thread, std::this_thread::get_id());
        EXPECT_NE(thread, library.get_id());
    }
}

TEST(DeviceCommunicationDelivery, BlocksWaitWhileDeliveryIsOffAndNoneIsLost)
{
    const auto comm = Comm::Create();
    RecordingReceiver receiver;
    comm->SetReceiver(&receiver);
    // More than the queue's first ring holds.
    constexpr std::int32_t kBlocks = 300;
    for (std::int32_t i = 0; i < kBlocks; ++i)
    {
        const ParamValues block = OneValue(i, ByteValue({static_cast<std::uint8_t>(i & 0x7F)}));
        Comm::OnParamValuesReceived(comm.Get(), nullptr, &block);
    }
    EXPECT_EQ(comm->GetQueuedCount(), static_cast<std::uint32_t>(kBlocks));
    EXPECT_TRUE(receiver.Blocks().empty());

    comm->EnableDelivery(true);
    const ParamValues last = OneValue(kBlocks, ByteValue({0}));
    Comm::OnParamValuesReceived(comm.Get(), nullptr, &last);
    ASSERT_TRUE(receiver.WaitForBlocks(kBlocks + 1));
    const auto blocks = receiver.Blocks();
    for (std::int32_t i = 0; i <= kBlocks; ++i)
        EXPECT_EQ(blocks[i][0].id, i);
}

// A receiver that holds the first block until told to let go.
class BlockingReceiver : public DeviceCommunicationReceiver
{
public:
    void DeliverParamValues(const ParamValues&) override
    {
        std::unique_lock<std::mutex> guard(lock);
        entered = true;
        changed.notify_all();
        changed.wait(guard, [&] { return release; });
        passEnded = true;
    }
    QKRESULT ReceiveDeviceEvent(std::intptr_t, std::intptr_t, std::intptr_t) override { return QK_E_FAIL; }

    std::mutex lock;
    std::condition_variable changed;
    bool entered = false;
    bool release = false;
    std::atomic<bool> passEnded{false};
};

TEST(DeviceCommunicationDelivery, SwitchingDeliveryOffWaitsForThePassInProgress)
{
    const auto comm = Comm::Create();
    BlockingReceiver receiver;
    comm->SetReceiver(&receiver);
    comm->EnableDelivery(true);
    const ParamValues block = OneValue(1, ByteValue({1}));
    Comm::OnParamValuesReceived(comm.Get(), nullptr, &block);
    {
        std::unique_lock<std::mutex> guard(receiver.lock);
        receiver.changed.wait(guard, [&] { return receiver.entered; });
    }
    std::atomic<bool> endedWhenOffReturned{false};
    std::thread off(
        [&]
        {
            comm->EnableDelivery(false);
            endedWhenOffReturned = receiver.passEnded.load();
        });
    // Gives EnableDelivery the chance to return early if it did not wait.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    {
        std::lock_guard<std::mutex> guard(receiver.lock);
        receiver.release = true;
        receiver.changed.notify_all();
    }
    off.join();
    EXPECT_TRUE(endedWhenOffReturned);
}

// ---- With the stand-in library ------------------------------------------------------------

void CountRelease(void* context)
{
    ++*static_cast<int*>(context);
}

class DeviceCommunicationWithLibrary : public ::testing::Test
{
protected:
    DriversKeyStore m_keys{DriversKeyStore::ForLibrary(DeviceControlStandInPath())};
};

TEST_F(DeviceCommunicationWithLibrary, ConnectsRequestsAndDeliversTheDevicesValues)
{
    const auto comm = Comm::Create();
    EXPECT_EQ(comm->OpenClientLibrary(), 0);
    EXPECT_EQ(comm->OpenClientLibrary(), 1);
    const DeviceControlStandIn standIn;
    ASSERT_TRUE(standIn.IsLoaded());
    RecordingReceiver receiver;
    comm->SetReceiver(&receiver);
    comm->EnableDelivery(true);

    Comm::DeviceList devices;
    ASSERT_EQ(comm->FindDevices(Comm::GuidFilter(), devices), 0);
    ASSERT_EQ(devices.GetCount(), 1u);
    const Variant device = *devices.GetAt(0);
    DeviceInfoBlock info{};
    ASSERT_EQ(comm->GetDeviceInfo(device, info), 0);
    EXPECT_NE(info.bytes[kDeviceInfoPresentOffset], 0);

    ASSERT_EQ(comm->ConnectDevice(device), 0);
    Variant connected;
    EXPECT_EQ(comm->CheckDeviceConnected(connected), 0);
    EXPECT_TRUE(connected.IsEqual(device));

    // The ranges request brings all 79 values as one block; a change made on the device
    // follows as a block of its own.
    ASSERT_EQ(comm->RequestParamRanges(Range(0, 79)), 0);
    ASSERT_EQ(standIn.ChangeParamValue(40, {'K', 'N', 'O', 'B', ' ', 'X', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '}), 0);
    ASSERT_TRUE(receiver.WaitForBlocks(2));
    const auto blocks = receiver.Blocks();
    ASSERT_EQ(blocks[0].size(), 79u);
    EXPECT_EQ(blocks[0][13].id, 13);
    EXPECT_EQ(blocks[0][13].value.GetLength(), 2u);
    ASSERT_EQ(blocks[1].size(), 1u);
    EXPECT_EQ(blocks[1][0].id, 40);
    EXPECT_NE(receiver.Threads()[0], std::this_thread::get_id());

    // A set reaches the device; with a binding even the special ids are the library's.
    EXPECT_EQ(comm->SetParamValue(ParamDescriptor(21), ByteValue({0x30})), 0);
    Variant read;
    EXPECT_EQ(comm->GetParamValue(ParamDescriptor(21), read), 0);
    EXPECT_TRUE(read.IsEqual(ByteValue({0x30})));
    EXPECT_EQ(comm->GetParamValue(ParamDescriptor(-9), read), 0);
    EXPECT_EQ(TextOf(read), "Quenmar Stand-in Works");

    EXPECT_EQ(comm->DisconnectDevice(), 0);
    EXPECT_EQ(comm->CheckDeviceConnected(connected), -3);
}

TEST_F(DeviceCommunicationWithLibrary, ReleasingTheObjectReleasesTheLibrary)
{
    auto comm = Comm::Create();
    ASSERT_EQ(comm->OpenClientLibrary(), 0);
    int releases = 0;
    const DeviceControlStandIn standIn;
    standIn.SetReleaseObserver(&CountRelease, &releases);
    Comm::DeviceList devices;
    comm->FindDevices(Comm::GuidFilter(), devices);
    ASSERT_EQ(comm->ConnectDevice(*devices.GetAt(0)), 0);

    comm = nullptr;
    EXPECT_EQ(releases, 1);
    EXPECT_FALSE(IsLibraryLoaded(DeviceControlStandInPath()));
    EXPECT_EQ(DeviceControlClientInterface::GetInstanceCount(), 0);
}

TEST_F(DeviceCommunicationWithLibrary, RemoteSearchWaitsForAChangeUpToItsLimit)
{
    const auto comm = Comm::Create();
    ASSERT_EQ(comm->OpenClientLibrary(), 0);
    const DeviceControlStandIn standIn;

    // Unchanged: one search at 0, 250, 500, 750 and 1000 ms.
    Comm::DeviceList devices;
    EXPECT_EQ(comm->FindRemoteDevices(Comm::GuidFilter(), devices, 1000, 0, 1, 1, 0, 0), 1);
    EXPECT_EQ(standIn.GetCallCount("Tuvo_FindRemoteDevices"), 5u);

    standIn.SetRemoteDeviceCount(2);
    EXPECT_EQ(comm->FindRemoteDevices(Comm::GuidFilter(), devices, 1000, 0, 1, 1, 0, 0), 0);
    EXPECT_EQ(devices.GetCount(), 2u);
    EXPECT_EQ(standIn.GetCallCount("Tuvo_FindRemoteDevices"), 6u);

    Comm::DeviceList once;
    EXPECT_EQ(comm->FindRemoteDevicesOnce(Comm::GuidFilter(), once), 1);
    EXPECT_EQ(once.GetCount(), 2u);
}

TEST(DeviceCommunicationMissingLibrary, ABindingWithoutItsLibraryAnswersMinusOne)
{
    DriversKeyStore keys(std::string("/no/such/folder"), std::string("libDeviceControlClient.so"));
    const auto comm = Comm::Create();
    EXPECT_EQ(comm->OpenClientLibrary(), 0);
    Variant value;
    EXPECT_EQ(comm->GetParamValue(ParamDescriptor(-9), value), -1);
    EXPECT_EQ(comm->ConnectDevice(TextValue("STANDIN-0001")), -1);
    EXPECT_FALSE(comm->IsDeviceConnected(1, 500));
    Variant device;
    EXPECT_EQ(comm->CheckDeviceConnected(device), -3);
}

} // namespace
} // namespace QK
