// The root module engine with a device of the stand-in library: connecting, the connection
// state and its announcements, the worker's reconnects and remote-device watch, values in
// both directions, and the request throttle.
#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleEngine.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/ParamLists.h"
#include "tests/DeviceControl/DeviceEngineTestSupport.h"
#include "tests/support/DeviceControlStandIn.h"

#include <gtest/gtest.h>

#include <optional>

namespace QK
{
namespace
{

using namespace TestSupport;
using State = LRootModuleEngine::DeviceConnectionState;

constexpr const char16_t* kStateChange = u"NID_PARAM_MODULE_STATE_CHANGE";
constexpr const char16_t* kConnectionChange = u"NID_DEVICE_CONNECTION_STATE_CHANGE";
constexpr const char16_t* kRemoteListChange = u"NID_REMOTE_DEVICE_LIST_CHANGE";

// The engine as the device-control side uses it, with a clock the test sets.
class TestEngine : public LRootModuleEngine
{
public:
    static RCPtr<TestEngine> Create() { return RCPtr<TestEngine>(new TestEngine()); }
    using LRootModuleEngine::SetDeviceConnectionState;
    std::uint32_t now = 1000;

protected:
    std::uint32_t GetTimeMs() const override { return now; }
};

std::vector<State> StatesPosted(const NotificationRecorder& recorder)
{
    std::vector<State> states;
    for (const auto& record : recorder.Named(kConnectionChange))
        states.push_back(ConstRCPtr<LHolder<State>>::DynamicCast(record.argument)->GetValue());
    return states;
}

std::vector<Item> Changes(const NotificationRecorder& recorder)
{
    std::vector<Item> all;
    for (const auto& record : recorder.Named(kStateChange))
    {
        if (const auto pair = ConstRCPtr<LParamValuePair>::DynamicCast(record.argument))
            all.push_back(Item{pair->key.id, pair->value, pair->key.descriptor});
        else if (const auto list = ConstRCPtr<LWrapper<ParamValues>>::DynamicCast(record.argument))
            for (const Item& item : ItemsOf(*list))
                all.push_back(item);
    }
    return all;
}

class EngineWithLibrary : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_engine = TestEngine::Create();
        ASSERT_EQ(m_engine->Initialize(0), 0);
        ASSERT_EQ(m_engine->GetDeviceCommunication()->OpenClientLibrary(), 0);
        m_standIn.emplace();
        ASSERT_TRUE(m_standIn->IsLoaded());
        Array<Variant> devices;
        ASSERT_EQ(m_engine->FindDevices(devices), 0);
        ASSERT_EQ(devices.GetCount(), 1u);
        m_device = *devices.GetAt(0);
        m_recorder.Dispatch();
        m_recorder.Clear();
    }

    void TearDown() override
    {
        m_engine = nullptr;
        // The library goes with the engine's communication object.

        EXPECT_FALSE(IsLibraryLoaded(DeviceControlStandInPath()));
    }

    // Waits for the worker to end by itself (a hang guard, not a measurement).
    bool WaitUntilWorkerEnds()
    {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (m_engine->IsWorkerRunning() && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return !m_engine->IsWorkerRunning();
    }

    // Waits until the engine is in state, then drains what it posted (a hang guard, not a
    // measurement).
    State WaitForState(State state)
    {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (m_engine->GetDeviceConnectionState() != state && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        m_recorder.Dispatch();
        return m_engine->GetDeviceConnectionState();
    }

    DriversKeyStore m_keys{DriversKeyStore::ForLibrary(DeviceControlStandInPath())};
    NotificationRecorder m_recorder;
    RCPtr<TestEngine> m_engine;
    // Reached while the engine's binding has the library loaded.
    std::optional<DeviceControlStandIn> m_standIn;
    Variant m_device;
};

TEST_F(EngineWithLibrary, ConnectingBringsTheDevicesValuesAndEditsReachTheDevice)
{
    EXPECT_EQ(m_engine->GetDeviceConnectionState(), State::kNotConnected);
    // No device: values are refused.
    EXPECT_EQ(m_engine->SetParamValue(ParamDescriptor(5), ByteValue({3})), QK_E_FAIL);

    ASSERT_EQ(m_engine->ConnectToDevice(m_device, false), 0);
    EXPECT_EQ(m_engine->GetDeviceConnectionState(), State::kConnected);
    EXPECT_TRUE(m_engine->IsWorkerRunning());
    Variant current;
    m_engine->GetCurrentDevice(current);
    EXPECT_TRUE(current.IsEqual(m_device));

    // The connect sequence asked for every value; those that differ from the defaults are
    // announced as they arrive on the delivery thread. The stand-in's tempo is 01 00.
    m_standIn->WaitUntilDelivered();
    ASSERT_TRUE(m_recorder.DispatchUntil(kStateChange,
                                         [](const auto& record)
                                         {
                                             const auto pair = ConstRCPtr<LParamValuePair>::DynamicCast(record.argument);
                                             return pair && pair->key.id == -8;
                                         }));
    Variant tempo;
    m_engine->GetParamValue(ParamDescriptor(13), tempo);
    EXPECT_TRUE(tempo.IsEqual(ByteValue({0x01, 0x00})));
    for (const Item& change : Changes(m_recorder))
        EXPECT_NE(change.id, -1);

    // A local edit is stored, announced and sent to the device.
    m_recorder.Clear();
    EXPECT_EQ(m_engine->SetParamValue(ParamDescriptor(21), ByteValue({0x30})), 0);
    m_recorder.Dispatch();
    auto changes = Changes(m_recorder);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].id, 21);
    Variant onDevice;
    EXPECT_EQ(m_engine->GetDeviceCommunication()->GetParamValue(ParamDescriptor(21), onDevice), 0);
    EXPECT_TRUE(onDevice.IsEqual(ByteValue({0x30})));

    // A change made on the device comes back as one announcement.
    m_recorder.Clear();
    ASSERT_EQ(m_standIn->ChangeParamValue(72, {99}), 0);
    ASSERT_TRUE(m_recorder.DispatchUntil(kStateChange));
    changes = Changes(m_recorder);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].id, 72);
    EXPECT_TRUE(changes[0].value.IsEqual(ByteValue({99})));

    m_recorder.Clear();
    m_engine->DisconnectDevice();
    EXPECT_EQ(m_engine->GetDeviceConnectionState(), State::kNotConnected);
    EXPECT_TRUE(WaitUntilWorkerEnds());
    m_recorder.Dispatch();
    EXPECT_EQ(StatesPosted(m_recorder), std::vector<State>{State::kNotConnected});
}

TEST_F(EngineWithLibrary, AForcedDeviceThatFailsToConnectIsReconnectedByTheWorker)
{
    m_standIn->SetConnectFailure(-5);
    EXPECT_EQ(m_engine->ConnectToDevice(m_device, true), -5);
    EXPECT_EQ(m_engine->GetDeviceConnectionState(), State::kForcedConnection);
    EXPECT_TRUE(m_engine->IsWorkerRunning());

    m_standIn->SetConnectFailure(std::nullopt);
    EXPECT_EQ(WaitForState(State::kConnected), State::kConnected);
    const auto states = StatesPosted(m_recorder);
    EXPECT_EQ(states, (std::vector<State>{State::kForcedConnection, State::kConnected}));
}

TEST_F(EngineWithLibrary, WithoutForceAFailedConnectLeavesNoDevice)
{
    m_standIn->SetConnectFailure(-5);
    EXPECT_EQ(m_engine->ConnectToDevice(m_device, false), -5);
    EXPECT_EQ(m_engine->GetDeviceConnectionState(), State::kNotConnected);
    EXPECT_FALSE(m_engine->IsWorkerRunning());
    Variant current;
    m_engine->GetCurrentDevice(current);
    EXPECT_EQ(current.GetKind(), kVariantEmpty);
}

TEST_F(EngineWithLibrary, APresentDeviceThatLosesItsConnectionIsReconnected)
{
    m_engine->EnableDevicePresenceCheck(true);
    ASSERT_EQ(m_engine->ConnectToDevice(m_device, false), 0);
    m_recorder.Dispatch();
    m_recorder.Clear();

    m_standIn->SetConnectedAnswer(1);
    m_engine->UpdateDeviceConnectionState();
    m_standIn->SetConnectedAnswer(std::nullopt);
    EXPECT_EQ(WaitForState(State::kConnected), State::kConnected);
    const auto states = StatesPosted(m_recorder);
    ASSERT_GE(states.size(), 2u);
    EXPECT_EQ(states[0], State::kReconnecting);
    EXPECT_EQ(states.back(), State::kConnected);
    for (std::size_t i = 1; i < states.size(); ++i)
        EXPECT_NE(states[i], states[i - 1]) << "a state is announced once per change";
}

TEST_F(EngineWithLibrary, TheWorkerAnnouncesChangesOfTheRemoteDeviceList)
{
    m_standIn->SetRemoteDeviceCount(2);
    // Disabled, the list is searched on request.
    Array<Variant> searched;
    EXPECT_EQ(m_engine->FindRemoteDevices(searched), 0);
    EXPECT_EQ(searched.GetCount(), 2u);

    // Enabled, the worker watches the list and announces each change.
    EXPECT_EQ(m_engine->EnableRemoteDevices(true), 0);
    EXPECT_TRUE(m_engine->IsWorkerRunning());
    m_standIn->SetRemoteDeviceCount(3);
    ASSERT_TRUE(m_recorder.DispatchUntil(kRemoteListChange));
    const auto posted = m_recorder.Named(kRemoteListChange);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(ConstRCPtr<LHolder<int>>::DynamicCast(posted[0].argument)->GetValue(), 3);
    Array<Variant> remote;
    EXPECT_EQ(m_engine->FindRemoteDevices(remote), 0);
    EXPECT_EQ(remote.GetCount(), 3u);

    EXPECT_EQ(m_engine->EnableRemoteDevices(false), 0);
    EXPECT_TRUE(m_engine->StopWorkerAndWait());
}

TEST_F(EngineWithLibrary, ValueRequestsAreThrottledAndRepeatAllPending)
{
    ASSERT_EQ(m_engine->ConnectToDevice(m_device, false), 0);
    m_standIn->WaitUntilDelivered();
    const std::uint32_t before = m_standIn->GetCallCount("Tuvo_RequestParamValues");

    m_engine->now = 5000;
    EXPECT_EQ(m_engine->RequestParamValue(ParamDescriptor(-8)), 0);
    m_engine->now = 5030;
    EXPECT_EQ(m_engine->RequestParamValue(ParamDescriptor(5)), 1);
    m_engine->now = 5067;
    EXPECT_EQ(m_engine->RequestParamValue(ParamDescriptor(5)), 1);
    EXPECT_EQ(m_standIn->GetCallCount("Tuvo_RequestParamValues"), before + 1);

    // More than the interval after the last send: every pending request goes again.
    m_engine->now = 5068;
    EXPECT_EQ(m_engine->RequestParamValue(ParamDescriptor(7)), 0);
    EXPECT_EQ(m_standIn->GetCallCount("Tuvo_RequestParamValues"), before + 2);
}

// Values still on their way when the engine goes must not reach a root module that is
// being destroyed.
TEST_F(EngineWithLibrary, ReleasingTheEngineWhileValuesArriveIsSafe)
{
    ASSERT_EQ(m_engine->ConnectToDevice(m_device, false), 0);
    for (std::uint8_t i = 0; i < 200; ++i)
        m_standIn->ChangeParamValue(21 + i % 16, {static_cast<std::uint8_t>(i & 0x7F)});
    m_engine = nullptr;
    m_recorder.Dispatch();
}

TEST(EngineWithoutLibrary, EveryDeviceOperationFailsAndTheStateStaysUnconnected)
{
    NotificationRecorder recorder;
    const auto engine = TestEngine::Create();
    ASSERT_EQ(engine->Initialize(0), 0);
    Array<Variant> devices;
    EXPECT_EQ(engine->FindDevices(devices), -1);
    EXPECT_EQ(engine->ConnectToDevice(TextValue("STANDIN-0001"), true), -1);
    EXPECT_EQ(engine->GetDeviceConnectionState(), State::kNotConnected);
    EXPECT_FALSE(engine->IsWorkerRunning());
    EXPECT_EQ(engine->SetParamValue(ParamDescriptor(5), ByteValue({3})), QK_E_FAIL);
    EXPECT_EQ(engine->RequestParamValue(ParamDescriptor(5)), 1);
    // A negative probe disables remote devices for good: the probe is not repeated once a
    // library is there.
    EXPECT_EQ(engine->EnableRemoteDevices(true), -1);
    DriversKeyStore keys = DriversKeyStore::ForLibrary(DeviceControlStandInPath());
    ASSERT_EQ(engine->GetDeviceCommunication()->OpenClientLibrary(), 0);
    EXPECT_EQ(engine->EnableRemoteDevices(true), -1);
    EXPECT_EQ(DeviceControlStandIn().GetCallCount("Tuvo_FindRemoteDevices"), 0u);
    EXPECT_FALSE(engine->IsWorkerRunning());
    recorder.Dispatch();
    EXPECT_TRUE(StatesPosted(recorder).empty());
}

TEST(EngineRequests, PendingRequestsAreSentInIdOrderWithTheSpecialIdsLast)
{
    // The ids as a block requested from the device: its items in the order sent.
    class RecordingCommunication : public LDeviceCommunicationBase
    {
    public:
        std::int32_t GetInterfaceVersion() override { return 1; }
        QKRESULT RequestParamValues(const ParamDescriptors& descriptors) override
        {
            sent.clear();
            for (std::uint32_t i = 0; i < descriptors.GetListCount(); ++i)
            {
                ParamDescriptor descriptor;
                ReadParamDescriptor(descriptors, i, descriptor);
                sent.push_back(descriptor.id);
            }
            return 0;
        }
        std::vector<std::int32_t> sent;
    };
    class Engine : public TestEngine
    {
    public:
        RCPtr<LDeviceCommunicationBase> CreateDeviceCommunication() override
        {
            communication = RCPtr<RecordingCommunication>(new RecordingCommunication());
            return RCPtr<LDeviceCommunicationBase>(communication.Get());
        }
        RCPtr<RecordingCommunication> communication;
    };
    NotificationRecorder recorder;
    const RCPtr<Engine> engine(new Engine());
    ASSERT_EQ(engine->Initialize(0), 0);
    engine->SetDeviceConnectionState(State::kConnected);
    EXPECT_EQ(engine->RequestParamValue(ParamDescriptor(-8)), 0);
    engine->now += 10;
    EXPECT_EQ(engine->RequestParamValue(ParamDescriptor(40)), 1);
    EXPECT_EQ(engine->RequestParamValue(ParamDescriptor(5)), 1);
    EXPECT_EQ(engine->RequestParamValue(ParamDescriptor(40)), 1);
    engine->now += 100;
    EXPECT_EQ(engine->RequestParamValue(ParamDescriptor(-2)), 0);
    EXPECT_EQ(engine->communication->sent, (std::vector<std::int32_t>{5, 40, -8, -2}));

    // The millisecond clock wraps; the interval is measured across the wrap.
    engine->now = 0xFFFFFFF0u;
    EXPECT_EQ(engine->RequestParamValue(ParamDescriptor(1)), 0);
    engine->now = 0x20;
    EXPECT_EQ(engine->RequestParamValue(ParamDescriptor(1)), 1);
    engine->now = 0x40;
    EXPECT_EQ(engine->RequestParamValue(ParamDescriptor(1)), 0);
}

} // namespace
} // namespace QK
