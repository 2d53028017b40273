// The MIDI manager over the scripted back end, with the simulated controller answering on
// it and the application's engine holding the model.
#include "Engine/PresetEditorCommon/MidiManager.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/PresetEditorAppEngine.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "tests/QKFramework/Midi/CaptureRecorder.h"
#include "tests/support/Midi/FakeMidiBackend.h"
#include "tests/support/Midi/SimulatedController.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

using Bytes = std::vector<std::uint8_t>;
using Preset = SimulatedController::Preset;
using Mode = SimulatedController::ReplyMode;

const Bytes kGetFavorite3 = {0xF0, 0x47, 0x7F, 0x50, 0x66, 0x00, 0x01, 0x03, 0xF7};
const Bytes kIdentityRequest = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};

Array<signed char> ToArray(const Bytes& bytes)
{
    Array<signed char> array;
    for (const std::uint8_t byte : bytes)
        array.Add(static_cast<signed char>(byte));
    return array;
}

// A preset unlike the defaults in every parameter: byte k holds (k * 7 + 3) % 128.
Preset Pattern(std::uint8_t seed)
{
    Preset preset{};
    for (std::size_t k = 0; k < preset.size(); ++k)
        preset[k] = static_cast<std::uint8_t>((k * 7 + seed) % 128);
    return preset;
}

// The controller's dump of preset number (0 RAM, 1 to 8 the favorites).
Bytes Dump(const Preset& preset, std::uint8_t number = 0)
{
    Bytes dump = {0xF0, 0x47, 0x00, 0x50, 0x66, 0x00, 0x01, number};
    dump.insert(dump.end(), preset.begin(), preset.end());
    dump.push_back(0xF7);
    return dump;
}

Bytes SendPresetMessage(std::uint8_t preset, const Preset& image)
{
    Bytes message = {0xF0, 0x47, 0x7F, 0x50, 0x64, 0x01, 0x0E, preset};
    message.insert(message.end(), image.begin(), image.end());
    message.push_back(0xF7);
    return message;
}

// The application's engine, except that setting the first parameter waits until the test
// opens the gate.
class GatedEngine : public LRootModuleEngine
{
public:
    static RCPtr<GatedEngine> Create() { return RCPtr<GatedEngine>(new GatedEngine()); }

    QKRESULT Initialize(std::int32_t context) override
    {
        const QKRESULT result = LRootModuleEngine::Initialize(context);
        SetDeviceConnectionState(kConnected);
        return result;
    }

    QKRESULT SetParamValue(const ParamDescriptor& descriptor, const Variant& value) override
    {
        if (descriptor.id == 0)
        {
            entered = true;
            gate.Wait(kInfinite);
        }
        return GetRootModule()->SetModuleParamValue(descriptor, value);
    }

    std::atomic<bool> entered{false};
    Event gate{false};

private:
    GatedEngine() = default;
};

class MidiManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GetDefaultNotificationCenter()->Flush();
        SetMidiBackend(m_backend);
        m_input = m_backend->AddDevice(MidiDirection::Input, "Vedidu");
        m_output = m_backend->AddDevice(MidiDirection::Output, "Vedidu");
        // The controller answers on the sending thread, as fast as a device can.
        m_backend->SetResponder([this](const FakeMidiBackend::SentMessage& sent) { Answer(sent); });

        m_engine = LPresetEditorAppEngine::Create();
        ASSERT_EQ(m_engine->Initialize(0), QK_OK);
        SetRootModuleEngine(m_engine);
        m_manager = LMidiManager::Create();
    }

    void TearDown() override
    {
        ReleaseManager();
        SetRootModuleEngine(nullptr);
        m_engine = nullptr;
        m_backend->SetResponder(nullptr);
        SetMidiBackend(nullptr);
        GetDefaultNotificationCenter()->Flush();
    }

    // A capture still being delivered may hold the manager for a moment, and the manager
    // then goes on the capture worker. The transport is let go last, here, once nobody else
    // holds it, so that it goes on this thread and its worker is joined.
    void ReleaseManager()
    {
        if (!m_manager)
            return;
        const RCPtr<LMidiCommInterface> comm = m_manager->GetMidiCommInterface();
        m_manager = nullptr;
        EXPECT_TRUE(WaitUntil([&] { return comm->GetRefCount() - comm->GetInternalRefCount() == 1; }));
    }

    void Answer(const FakeMidiBackend::SentMessage& sent)
    {
        std::vector<SimulatedController::Message> replies;
        std::function<void(const Bytes&)> extra;
        {
            std::lock_guard lock(m_controllerLock);
            replies = m_controller.Receive(sent.bytes);
            extra = m_extra;
            if (SimulatedController::IsGetPresetRequest(sent.bytes.data(), sent.bytes.size()))
            {
                // A controller busy once answers that get late, right before the next one.
                if (m_holdBackNextAnswer)
                {
                    m_heldBack = std::exchange(replies, {});
                    m_holdBackNextAnswer = false;
                }
                else
                {
                    replies.insert(replies.begin(), m_heldBack.begin(), m_heldBack.end());
                    m_heldBack.clear();
                }
            }
        }
        if (extra)
            extra(sent.bytes);
        for (const auto& reply : replies)
            m_backend->DeliverMessage(m_input, reply);
    }

    // The controller answers the next get only together with the get after it, first.
    void HoldBackTheNextAnswer()
    {
        std::lock_guard lock(m_controllerLock);
        m_holdBackNextAnswer = true;
    }

    // The answer held back goes out now, while no get waits.
    void SendTheHeldBackAnswer()
    {
        std::vector<SimulatedController::Message> held;
        {
            std::lock_guard lock(m_controllerLock);
            held = std::exchange(m_heldBack, {});
        }
        for (const auto& reply : held)
            m_backend->DeliverMessage(m_input, reply);
    }

    void SetController(Mode mode)
    {
        std::lock_guard lock(m_controllerLock);
        m_controller = SimulatedController(mode);
    }

    // Called after the controller with every message sent.
    void SetExtraAnswer(std::function<void(const Bytes&)> extra)
    {
        std::lock_guard lock(m_controllerLock);
        m_extra = std::move(extra);
    }

    Preset ControllerPreset(int number)
    {
        std::lock_guard lock(m_controllerLock);
        return m_controller.GetPreset(number);
    }

    void SetControllerPreset(int number, const Preset& preset)
    {
        std::lock_guard lock(m_controllerLock);
        m_controller.SetPreset(number, preset);
    }

    // The model's 79 values laid end to end.
    Bytes Model() { return ModelOf(*m_engine); }

    static Bytes ModelOf(LRootModuleEngine& engine)
    {
        Array<ParamValue> values;
        engine.FillParamValues(0, kParameterCount, values, -1);
        Bytes image;
        for (std::uint32_t i = 0; i < values.GetCount(); ++i)
        {
            std::uint32_t size = 0;
            const auto* data = static_cast<const std::uint8_t*>(values.GetAt(i)->value.GetData(size));
            image.insert(image.end(), data, data + size);
        }
        return image;
    }

    void SetModel(const Preset& preset)
    {
        for (std::uint32_t i = 0; i < kParameterCount; ++i)
        {
            Variant value;
            value.SetBytes(preset.data() + GetParameterByteOffset(i), GetParameterByteSize(i));
            ASSERT_GE(m_engine->SetParamValue(ParamDescriptor(static_cast<std::int32_t>(i)), value), 0) << i;
        }
    }

    std::vector<Bytes> SentBytes() const
    {
        std::vector<Bytes> sent;
        for (const auto& message : m_backend->GetSent())
            sent.push_back(message.bytes);
        return sent;
    }

    const std::shared_ptr<FakeMidiBackend> m_backend = std::make_shared<FakeMidiBackend>();
    FakeMidiBackend::DeviceId m_input = 0;
    FakeMidiBackend::DeviceId m_output = 0;
    std::mutex m_controllerLock;
    SimulatedController m_controller;
    std::function<void(const Bytes&)> m_extra;
    bool m_holdBackNextAnswer = false;
    std::vector<SimulatedController::Message> m_heldBack;
    RCPtr<LPresetEditorAppEngine> m_engine;
    RCPtr<LMidiManager> m_manager;
};

TEST_F(MidiManagerTest, GetAsksOnceAndSetsEveryValueOfTheDump)
{
    const Preset favorite = Pattern(3);
    SetControllerPreset(3, favorite);
    ASSERT_TRUE(m_manager->AreMidiPortsOpen());
    EXPECT_TRUE(m_manager->GetInputPortName().IsEqual(u"Vedidu"));
    EXPECT_TRUE(m_manager->GetOutputPortName().IsEqual(u"Vedidu"));

    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(3), QK_OK);
    EXPECT_EQ(Model(), Bytes(favorite.begin(), favorite.end()));
    EXPECT_EQ(SentBytes(), (std::vector<Bytes>{kGetFavorite3}));
}

TEST_F(MidiManagerTest, SendPutsTheModelIntoTheChosenPreset)
{
    const Preset image = Pattern(11);
    SetModel(image);
    for (const std::uint8_t preset : {0, 8})
    {
        m_backend->ClearSent();
        EXPECT_EQ(m_manager->SendPresetToDevice(preset), 224);
        EXPECT_EQ(SentBytes(), (std::vector<Bytes>{SendPresetMessage(preset, image)}));
        EXPECT_EQ(ControllerPreset(preset), image);
    }
}

TEST_F(MidiManagerTest, RefusedRequestsSendNothing)
{
    struct Case
    {
        const char* what;
        std::function<QKRESULT(LMidiManager&)> call;
        QKRESULT result;
    };
    const Case cases[] = {
        {"send to preset 9", [](LMidiManager& m) { return m.SendPresetToDevice(9); }, QK_E_INVALIDARG},
        {"send to preset -1", [](LMidiManager& m) { return m.SendPresetToDevice(-1); }, QK_E_INVALIDARG},
        {"get preset 9", [](LMidiManager& m) { return m.GetPresetFromMidiDevice(9); }, QK_E_INVALIDARG},
        {"send a parameter",
         [](LMidiManager& m) { return m.SendNonPresetParameterToDevice(u"x", Variant()); }, QK_E_NOTIMPL},
        {"request a parameter",
         [](LMidiManager& m)
         {
             Variant value;
             return m.RequestNonPresetParameterFromDevice(u"x", value);
         },
         QK_E_NOTIMPL},
        {"a lone F0",
         [](LMidiManager& m)
         {
             RCPtr<LMidiRenderPort> port;
             m.GetMidiCommInterface()->OpenRenderPort(u"Vedidu", port);
             return m.SendSysEx(ToArray({0xF0}), port.Get());
         },
         QK_E_FAIL},
        {"no port", [](LMidiManager& m) { return m.SendSysEx(ToArray({0x47}), nullptr); }, -1},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.call(*m_manager), c.result) << c.what;
        EXPECT_TRUE(m_backend->GetSent().empty()) << c.what;
    }
}

TEST_F(MidiManagerTest, WithoutTheControllerEverythingFailsAtOnce)
{
    ReleaseManager();
    m_backend->RemoveDevice(m_input);
    m_backend->RemoveDevice(m_output);
    m_manager = LMidiManager::Create();

    EXPECT_FALSE(m_manager->AreMidiPortsOpen());
    EXPECT_TRUE(m_manager->GetInputPortName().IsEmpty());
    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(0), -1);
    EXPECT_EQ(m_manager->SendPresetToDevice(0), -1);
    EXPECT_EQ(m_manager->SendMidiMessage(ToArray({0x90, 0x3C, 0x7F})), -1);
    EXPECT_EQ(m_manager->SendNonPresetParameterToDevice(u"x", Variant()), -1);
    Variant value;
    EXPECT_EQ(m_manager->RequestNonPresetParameterFromDevice(u"x", value), QK_E_FAIL);
    EXPECT_FALSE(m_manager->IsDeviceFirmwareVersionUseable());
    EXPECT_EQ(m_manager->OpenMidiPorts(), QK_E_FAIL);
    EXPECT_TRUE(m_backend->GetSent().empty());
}

TEST_F(MidiManagerTest, UnusableRepliesEndTheGetWithoutChangingTheModel)
{
    const Bytes before = Model();
    Preset highBytes = Pattern(5);
    highBytes[40] = 0x80;
    struct Case
    {
        const char* what;
        Mode mode;
        Bytes extraReply; // delivered after whatever the controller answers
    };
    const Case cases[] = {
        {"silent", Mode::Silent, {}},
        {"short dump", Mode::Short, {}},
        {"garbage", Mode::Garbage, {}},
        {"a value byte above 7F", Mode::Silent, Dump(highBytes)},
        {"an identity reply", Mode::Silent, {0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x47, 0x01, 0xF7}},
    };
    for (const Case& c : cases)
    {
        SetController(c.mode);
        SetExtraAnswer(
            [this, reply = c.extraReply](const Bytes&)
            {
                if (!reply.empty())
                    m_backend->DeliverMessage(m_input, reply);
            });
        EXPECT_EQ(m_manager->GetPresetFromMidiDevice(3), -3) << c.what;
        EXPECT_EQ(Model(), before) << c.what;
    }
}

TEST_F(MidiManagerTest, OnlyTheFirstDumpOfAGetCounts)
{
    const Preset first = Pattern(1);
    const Preset second = Pattern(2);
    SetController(Mode::Silent);
    SetExtraAnswer(
        [this, first, second](const Bytes&)
        {
            m_backend->DeliverMessage(m_input, Dump(first));
            m_backend->DeliverMessage(m_input, Dump(second));
        });
    const RCPtr<CaptureRecorder> recorder(new CaptureRecorder());
    recorder->Subscribe(m_manager->GetMidiCommInterface(), kNidMidiDataCaptured);

    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(0), QK_OK);
    // Both dumps have been through the capture worker once the recorder has seen them.
    ASSERT_TRUE(recorder->WaitForCount(2));
    EXPECT_EQ(Model(), Bytes(first.begin(), first.end()));

    // With no get waiting, a dump is nobody's.
    SetExtraAnswer(nullptr);
    ASSERT_TRUE(m_backend->DeliverMessage(m_input, Dump(second)));
    ASSERT_TRUE(recorder->WaitForCount(3));
    EXPECT_EQ(Model(), Bytes(first.begin(), first.end()));
}

// Without a get that timed out, the first dump answers whatever its bytes 4 to 7 hold: the
// controller fills them as it likes.
TEST_F(MidiManagerTest, WithoutAnEarlierTimeOutTheFirstDumpAnswersWhateverItsHeaderHolds)
{
    Bytes otherHeader = Dump(Pattern(7), 0x7F);
    otherHeader[4] = 0x01;
    otherHeader[5] = 0x7F;
    otherHeader[6] = 0x00;
    struct Case
    {
        const char* what;
        std::vector<Bytes> dumps; // delivered, and nothing else, when the request goes out
        Preset taken;
    };
    const Case cases[] = {
        {"favorite 5's number in byte 7", {Dump(Pattern(5), 5)}, Pattern(5)},
        {"7F in byte 7", {Dump(Pattern(6), 0x7F)}, Pattern(6)},
        {"RAM's number in byte 7", {Dump(Pattern(2), 0)}, Pattern(2)},
        {"other bytes 4 to 7", {otherHeader}, Pattern(7)},
    };
    SetController(Mode::Silent);
    for (const Case& c : cases)
    {
        SetExtraAnswer(
            [this, dumps = c.dumps](const Bytes&)
            {
                for (const Bytes& dump : dumps)
                    m_backend->DeliverMessage(m_input, dump);
            });
        EXPECT_EQ(m_manager->GetPresetFromMidiDevice(3), QK_OK) << c.what;
        EXPECT_EQ(Model(), Bytes(c.taken.begin(), c.taken.end())) << c.what;
    }
}

// The answer to a get that timed out can still come, and then comes first while the next
// get waits: it never answers that get, whether the controller echoes the preset in byte 7
// or puts a constant there; the next get takes its own answer, and the one after that is
// answered at once again.
TEST_F(MidiManagerTest, TheLateAnswerToAGetThatTimedOutNeverAnswersTheNext)
{
    for (const std::optional<std::uint8_t> byte7 : {std::optional<std::uint8_t>(), std::optional<std::uint8_t>(0x7F)})
    {
        SCOPED_TRACE(byte7 ? "byte 7 is always 7F" : "byte 7 echoes the preset");
        SetController(Mode::Normal);
        {
            std::lock_guard lock(m_controllerLock);
            m_controller.SetDumpByte7(byte7);
        }
        for (int favorite = 1; favorite <= 3; ++favorite)
            SetControllerPreset(favorite, Pattern(static_cast<std::uint8_t>(favorite)));
        const Bytes before = Model();

        HoldBackTheNextAnswer();
        EXPECT_EQ(m_manager->GetPresetFromMidiDevice(1), -3);
        EXPECT_EQ(Model(), before);
        EXPECT_EQ(m_manager->GetPresetFromMidiDevice(2), QK_OK);
        const Preset favorite2 = Pattern(2);
        EXPECT_EQ(Model(), Bytes(favorite2.begin(), favorite2.end()));
        EXPECT_EQ(m_manager->GetPresetFromMidiDevice(3), QK_OK);
        const Preset favorite3 = Pattern(3);
        EXPECT_EQ(Model(), Bytes(favorite3.begin(), favorite3.end()));
        SetModel(SimulatedController::DefaultPreset());
    }
}

// The late answer comes between two gets, while none waits: it is counted off then, so the
// first dump to come while the next get waits is that get's own, whatever the controller puts
// in byte 7 (the preset, 7F, or the very number the next get asks for); a stray dump right
// behind it changes nothing.
TEST_F(MidiManagerTest, ALateAnswerThatComesBetweenGetsIsCountedOffThen)
{
    const std::optional<std::uint8_t> byte7s[] = {std::nullopt, 0x7F, 0x02};
    for (const std::optional<std::uint8_t> byte7 : byte7s)
    {
        SCOPED_TRACE(byte7 ? "byte 7 is always " + std::to_string(*byte7) : std::string("byte 7 echoes the preset"));
        SetController(Mode::Normal);
        {
            std::lock_guard lock(m_controllerLock);
            m_controller.SetDumpByte7(byte7);
        }
        SetControllerPreset(1, Pattern(1));
        SetControllerPreset(2, Pattern(2));
        const Bytes before = Model();
        // Subscribed before the manager's handler, so it hears each dump after the manager.
        const RCPtr<CaptureRecorder> recorder(new CaptureRecorder());
        recorder->Subscribe(m_manager->GetMidiCommInterface(), kNidMidiDataCaptured);

        HoldBackTheNextAnswer();
        EXPECT_EQ(m_manager->GetPresetFromMidiDevice(1), -3);
        SendTheHeldBackAnswer();
        ASSERT_TRUE(recorder->WaitForCount(1));
        EXPECT_EQ(Model(), before) << "a dump that came while no get waited was taken";

        const Preset favorite2 = Pattern(2);
        SetController(Mode::Silent);
        SetExtraAnswer(
            [this, byte7, favorite2](const Bytes&)
            {
                m_backend->DeliverMessage(m_input, Dump(favorite2, byte7.value_or(2)));
                m_backend->DeliverMessage(m_input, Dump(Pattern(9), 0x7F));
            });
        EXPECT_EQ(m_manager->GetPresetFromMidiDevice(2), QK_OK);
        ASSERT_TRUE(recorder->WaitForCount(3));
        EXPECT_EQ(Model(), Bytes(favorite2.begin(), favorite2.end()));
        SetExtraAnswer(nullptr);
        recorder->UnsubscribeAll();
        SetModel(SimulatedController::DefaultPreset());
    }
}

TEST_F(MidiManagerTest, TheIdentityWaitLeavesTheModelAlone)
{
    const Bytes before = Model();
    SetExtraAnswer(
        [this](const Bytes& sent)
        {
            if (sent == kIdentityRequest)
                m_backend->DeliverMessage(m_input, Dump(Pattern(9)));
        });
    EXPECT_FALSE(m_manager->IsDeviceFirmwareVersionUseable());
    EXPECT_EQ(SentBytes(), (std::vector<Bytes>{kIdentityRequest}));
    EXPECT_EQ(Model(), before);
}

TEST_F(MidiManagerTest, MidiMessagesGoOutUnchanged)
{
    const Bytes keyCurve = {0xF0, 0x47, 0x7F, 0x50, 0x13, 0x09, 0x01, 0x02,
                            0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x40, 0xF7};
    ASSERT_EQ(m_manager->ResumeDeviceStatusChecker(), QK_OK);
    EXPECT_EQ(m_manager->SendMidiMessage(ToArray(keyCurve)), 16);
    EXPECT_EQ(m_manager->SendMidiMessage(ToArray({0x47, 0x01})), 2);
    EXPECT_EQ(SentBytes(), (std::vector<Bytes>{keyCurve, {0x47, 0x01}}));
    std::lock_guard lock(m_controllerLock);
    EXPECT_EQ(m_controller.GetKeyCurve(), keyCurve);
}

TEST_F(MidiManagerTest, PausingAndResumingTheCheckerAnswerWhetherAnythingChanged)
{
    EXPECT_FALSE(m_manager->IsDeviceStatusCheckerEnabled());
    EXPECT_EQ(m_manager->PauseDeviceStatusChecker(), QK_FALSE);
    EXPECT_EQ(m_manager->ResumeDeviceStatusChecker(), QK_OK);
    EXPECT_EQ(m_manager->ResumeDeviceStatusChecker(), QK_FALSE);
    // A send pauses it and enables it again afterwards.
    EXPECT_EQ(m_manager->SendPresetToDevice(1), 224);
    EXPECT_TRUE(m_manager->IsDeviceStatusCheckerEnabled());
    EXPECT_EQ(m_manager->PauseDeviceStatusChecker(), QK_OK);
    EXPECT_FALSE(m_manager->IsDeviceStatusCheckerEnabled());
    EXPECT_EQ(m_manager->OpenMidiPorts(), QK_FALSE);
}

// Every get and send pauses the presence checker: a probe under way when the exchange
// begins ends before anything is sent, and none starts while the exchange lasts, however
// long that is (here longer than the checker's period). The exchanges start while a probe
// is under way, and while the checker waits for its next pass.
TEST_F(MidiManagerTest, NoPresenceProbeRunsWhileAGetOrASendIsUnderWay)
{
    // Shared with the hooks: a probe may still be under way when the test ends.
    struct State
    {
        std::atomic<bool> exchanging{false};
        std::atomic<bool> probing{false};
        std::atomic<int> probes{0};
        std::atomic<int> overlaps{0};
    };
    const auto state = std::make_shared<State>();
    auto& [exchanging, probing, probes, overlaps] = *state;
    m_backend->SetListHook(
        [state](MidiDirection)
        {
            ++state->probes;
            state->probing = true;
            if (state->exchanging)
                ++state->overlaps;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (state->exchanging)
                ++state->overlaps;
            state->probing = false;
        });
    SetExtraAnswer(
        [state](const Bytes&)
        {
            state->exchanging = true;
            // Longer than the checker's period.
            std::this_thread::sleep_for(std::chrono::milliseconds(LMidiManager::kCheckIntervalMs + 200));
            state->exchanging = false;
        });
    ASSERT_EQ(m_manager->ResumeDeviceStatusChecker(), QK_OK);

    for (const bool duringAProbe : {true, false})
    {
        SCOPED_TRACE(duringAProbe ? "during a probe" : "between probes");
        const auto ready = [&]
        {
            // Between probes: once one has ended, the checker waits for its next pass.
            return WaitUntil([&] { return probing.load(); }) &&
                   (duringAProbe || WaitUntil([&] { return !probing.load(); }));
        };
        ASSERT_TRUE(ready()) << "the checker does not probe";
        EXPECT_EQ(m_manager->GetPresetFromMidiDevice(3), QK_OK);
        ASSERT_TRUE(ready()) << "the checker does not probe again";
        EXPECT_EQ(m_manager->SendPresetToDevice(5), 224);
    }
    SetExtraAnswer(nullptr);
    m_backend->SetListHook(nullptr);
    EXPECT_EQ(overlaps.load(), 0) << "a probe ran during an exchange";
    EXPECT_GE(probes.load(), 4);
}

// Made to connect in the background, the manager returns before it reaches the MIDI system
// (here a slow one); a get or a send asked for at once waits for the ports and works.
TEST_F(MidiManagerTest, ConnectingInTheBackgroundReturnsAtOnceAndAGetOrASendWaitsForIt)
{
    const Preset favorite = Pattern(7);
    SetControllerPreset(3, favorite);
    SetModel(favorite);
    struct Case
    {
        const char* what;
        std::function<QKRESULT(LMidiManager&)> call;
        QKRESULT result;
    };
    const Case cases[] = {
        {"get", [](LMidiManager& m) { return m.GetPresetFromMidiDevice(3); }, QK_OK},
        {"send", [](LMidiManager& m) { return m.SendPresetToDevice(5); }, 224},
    };
    for (const Case& c : cases)
    {
        ReleaseManager();
        m_backend->SetListHook([](MidiDirection) { std::this_thread::sleep_for(std::chrono::milliseconds(100)); });
        const int opened = m_backend->GetOpenCount(m_input);
        m_manager = LMidiManager::Create(LMidiManager::StartMode::ConnectInBackground);
        EXPECT_EQ(m_backend->GetOpenCount(m_input), opened) << c.what << ": Create opened the ports itself";
        EXPECT_EQ(c.call(*m_manager), c.result) << c.what;
        m_backend->SetListHook(nullptr);
        EXPECT_TRUE(m_manager->AreMidiPortsOpen()) << c.what;
    }
    EXPECT_EQ(Model(), Bytes(favorite.begin(), favorite.end()));
    EXPECT_EQ(ControllerPreset(5), favorite);
}

TEST_F(MidiManagerTest, AGetThatThrowsStillResumesTheCheckerAndLeavesTheTransport)
{
    ASSERT_EQ(m_manager->ResumeDeviceStatusChecker(), QK_OK);
    SetExtraAnswer([](const Bytes&) { throw std::runtime_error("the controller fell over"); });
    EXPECT_THROW(m_manager->GetPresetFromMidiDevice(3), std::runtime_error);
    EXPECT_TRUE(m_manager->IsDeviceStatusCheckerEnabled());
    EXPECT_FALSE(m_manager->GetMidiCommInterface()->HasClient(ConstRCPtr<LNotificationReceiver>(m_manager)));

    SetExtraAnswer(nullptr);
    const Preset favorite = Pattern(4);
    SetControllerPreset(3, favorite);
    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(3), QK_OK);
    EXPECT_EQ(Model(), Bytes(favorite.begin(), favorite.end()));
}

TEST_F(MidiManagerTest, UnplugAndReplugCloseAndReopenThePorts)
{
    const RCPtr<LNotificationCenter> centre = GetDefaultNotificationCenter();
    ASSERT_EQ(m_manager->ResumeDeviceStatusChecker(), QK_OK);

    m_backend->RemoveDevice(m_input);
    m_backend->RemoveDevice(m_output);
    ASSERT_TRUE(WaitUntil(
        [&]
        {
            centre->DispatchNotifications(false);
            return !m_manager->AreMidiPortsOpen();
        }));
    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(0), -1);

    m_input = m_backend->AddDevice(MidiDirection::Input, "Vedidu");
    m_output = m_backend->AddDevice(MidiDirection::Output, "Vedidu");
    ASSERT_TRUE(WaitUntil(
        [&]
        {
            centre->DispatchNotifications(false);
            return m_manager->AreMidiPortsOpen();
        }));
    const Preset favorite = Pattern(6);
    SetControllerPreset(2, favorite);
    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(2), QK_OK);
    EXPECT_EQ(Model(), Bytes(favorite.begin(), favorite.end()));
}

// However a pause falls against the checker's passes, once PauseDeviceStatusChecker has
// returned no presence probe starts until the checker is resumed. Many pauses and resumes in
// a row, while besides the worker two threads run passes back to back, so that some pass is
// always about to start as a pause ends.
TEST_F(MidiManagerTest, NoProbeStartsBetweenAPauseAndTheNextResume)
{
    struct State
    {
        std::atomic<bool> paused{false};
        std::atomic<bool> stop{false};
        std::atomic<int> probes{0};
        std::atomic<int> probesWhilePaused{0};
    };
    const auto state = std::make_shared<State>();
    m_backend->SetListHook(
        [state](MidiDirection)
        {
            ++state->probes;
            if (state->paused)
                ++state->probesWhilePaused;
        });
    std::vector<std::thread> passes;
    for (int i = 0; i < 2; ++i)
        passes.emplace_back(
            [this, state]
            {
                while (!state->stop)
                    m_manager->Run(nullptr);
            });
    constexpr int kRounds = 10000;
    for (int round = 0; round < kRounds && state->probesWhilePaused == 0; ++round)
    {
        ASSERT_EQ(m_manager->ResumeDeviceStatusChecker(), QK_OK);
        ASSERT_EQ(m_manager->PauseDeviceStatusChecker(), QK_OK);
        state->paused = true;
        // Room for a pass that slipped through to reach its probe.
        for (int spin = 0; spin < 200; ++spin)
            std::atomic_signal_fence(std::memory_order_seq_cst);
        std::this_thread::yield();
        state->paused = false;
    }
    state->stop = true;
    for (std::thread& pass : passes)
        pass.join();
    m_backend->SetListHook(nullptr);
    EXPECT_EQ(state->probesWhilePaused.load(), 0) << "of " << state->probes.load() << " probes";
    EXPECT_GT(state->probes.load(), 0) << "the checker never probed";
}

// A MIDI system that does not finish answering keeps no get or send waiting on the UI
// thread for long: past the connection's time-out they answer as without the controller,
// having sent nothing, and once the connection comes they work.
TEST_F(MidiManagerTest, AConnectionThatDoesNotComeEndsAGetOrASendAsWithoutTheController)
{
    ReleaseManager();
    const auto answered = std::make_shared<Event>(false);
    m_backend->SetListHook([answered](MidiDirection) { answered->Wait(kInfinite); });
    m_manager = LMidiManager::Create(LMidiManager::StartMode::ConnectInBackground);
    // The MIDI system answers at last, long after the connection's time-out (a get that
    // waited this long for the connection would see the ports open and succeed).
    static constexpr std::uint32_t kAnswerAfterMs = 8000;
    static_assert(3 * LMidiManager::kConnectTimeoutMs <= kAnswerAfterMs);
    std::thread system(
        [answered]
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(kAnswerAfterMs));
            answered->Set();
        });
    const QKRESULT got = m_manager->GetPresetFromMidiDevice(3);
    const QKRESULT sent = m_manager->SendPresetToDevice(3);
    const bool sentNothing = m_backend->GetSent().empty();
    answered->Set();
    system.join();
    m_backend->SetListHook(nullptr);

    EXPECT_EQ(got, -1);
    EXPECT_EQ(sent, -1);
    EXPECT_TRUE(sentNothing);
    ASSERT_TRUE(WaitUntil([&] { return m_manager->AreMidiPortsOpen(); }));
    const Preset favorite = Pattern(9);
    SetControllerPreset(3, favorite);
    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(3), QK_OK);
    EXPECT_EQ(Model(), Bytes(favorite.begin(), favorite.end()));
}

// When the MIDI system ends under open ports (a JACK server that stops), a send through them
// would go nowhere: it fails as without the controller, having sent nothing, and so does a
// get; the ports are closed.
TEST_F(MidiManagerTest, SendsAndGetsThroughPortsWhoseSystemHasEndedFailAndCloseThem)
{
    ASSERT_TRUE(m_manager->AreMidiPortsOpen());
    m_backend->LoseSystem();
    EXPECT_EQ(m_manager->SendPresetToDevice(4), -1);
    EXPECT_FALSE(m_manager->AreMidiPortsOpen());
    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(4), -1);
    EXPECT_TRUE(m_backend->GetSent().empty());
}

TEST_F(MidiManagerTest, ADumpStillBeingSetWhenTheWaitEndsIsTaken)
{
    ReleaseManager();
    const RCPtr<GatedEngine> engine = GatedEngine::Create();
    ASSERT_EQ(engine->Initialize(0), QK_OK);
    SetRootModuleEngine(engine);
    m_manager = LMidiManager::Create();
    const Preset favorite = Pattern(8);
    SetControllerPreset(3, favorite);

    // The gate opens well after the get has stopped waiting for the light.
    std::thread opener(
        [&]
        {
            WaitUntil([&] { return engine->entered.load(); });
            std::this_thread::sleep_for(std::chrono::milliseconds(LMidiManager::kReplyTimeoutMs + 500));
            engine->gate.Set();
        });
    const QKRESULT result = m_manager->GetPresetFromMidiDevice(3);
    opener.join();
    EXPECT_EQ(result, QK_OK);
    EXPECT_EQ(ModelOf(*engine), Bytes(favorite.begin(), favorite.end()));
}

} // namespace
} // namespace QK
