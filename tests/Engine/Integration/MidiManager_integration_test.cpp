// The MIDI manager against the simulated controller on a real MIDI system: the JACK server
// that scripts/test.sh starts. Every wait is bounded.
#include "Engine/PresetEditorCommon/MidiManager.h"

#include "QKFramework/Midi/MidiComm.h"
#include "QKFramework/Midi/ReconnectingMidiBackend.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/PresetEditorAppEngine.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "tests/QKFramework/Midi/CaptureRecorder.h"
#include "tests/support/Midi/JackClients.h"
#include "tests/support/Midi/EditorMidiNames.h"
#include "tests/support/Midi/PrivateJackServer.h"
#include "tests/support/Midi/SimulatedController.h"
#include "tests/support/Midi/SimulatorProcess.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <ostream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

using Bytes = std::vector<std::uint8_t>;
using Preset = SimulatedController::Preset;

Preset Pattern(std::uint8_t seed)
{
    Preset preset{};
    for (std::size_t k = 0; k < preset.size(); ++k)
        preset[k] = static_cast<std::uint8_t>((k * 5 + seed) % 128);
    return preset;
}

Array<signed char> ToArray(const Bytes& bytes)
{
    Array<signed char> array;
    for (const std::uint8_t byte : bytes)
        array.Add(static_cast<signed char>(byte));
    return array;
}

// Records the input status notifications the default centre delivers: 0 came, 1 went.
class InputStatusRecorder : public LNotificationClient
{
public:
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>&,
                                 const ConstRCPtr<LNotification>& notification) override
    {
        if (const auto status = ConstRCPtr<LMidiDeviceConnectionStatusChangedNotification>::DynamicCast(
                notification->GetArgument()))
            statuses.push_back(status->GetStatus());
        return QK_OK;
    }

    std::vector<std::int32_t> statuses;
};

class MidiManagerIntegrationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char folder[] = "/tmp/vedidu-manager-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_folder = folder;
        m_log = m_folder / "simulator.log";
        m_state = m_folder / "simulator.state";

        SetMidiBackend(nullptr);
        UseEditorMidiNames();
        m_centre = GetDefaultNotificationCenter();
        m_centre->Flush();
        m_engine = LPresetEditorAppEngine::Create();
        ASSERT_EQ(m_engine->Initialize(0), QK_OK);
        SetRootModuleEngine(m_engine);
    }

    void TearDown() override
    {
        ReleaseManager();
        if (m_simulator.IsRunning())
        {
            EXPECT_EQ(m_simulator.Stop(), 0) << "the simulator did not end cleanly";
        }
        SetRootModuleEngine(nullptr);
        m_engine = nullptr;
        m_centre->Flush();
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    void ReleaseManager()
    {
        if (!m_manager)
            return;
        // A delivery may still hold the manager: the transport goes last, on this thread, once
        // nobody else holds it.
        const RCPtr<LMidiCommInterface> comm = m_manager->GetMidiCommInterface();
        m_manager = nullptr;
        EXPECT_TRUE(WaitUntil([&] { return comm->GetRefCount() - comm->GetInternalRefCount() == 1; }));
    }

    void SetModelTo(const Preset& preset)
    {
        for (std::uint32_t i = 0; i < kParameterCount; ++i)
        {
            Variant value;
            value.SetBytes(preset.data() + GetParameterByteOffset(i), GetParameterByteSize(i));
            m_engine->SetParamValue(ParamDescriptor(static_cast<std::int32_t>(i)), value);
        }
    }

    // Starts the simulator with each favorite n set to Pattern(n) and waits for its ports.
    ::testing::AssertionResult StartSimulator(const std::vector<std::string>& options = {})
    {
        if (!std::filesystem::exists(m_state))
        {
            SimulatedController controller;
            for (int favorite = 1; favorite <= 8; ++favorite)
                controller.SetPreset(favorite, Pattern(static_cast<std::uint8_t>(favorite)));
            std::ofstream(m_state) << controller.SaveState();
        }
        std::vector<std::string> arguments = {"--log", m_log.string(), "--state", m_state.string()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        if (!m_simulator.Start(arguments))
            return ::testing::AssertionFailure() << "cannot start " << SimulatorProcess::ExecutablePath();
        if (!WaitUntil([&]
                       { return Listed(MidiDirection::Input) == 1 && Listed(MidiDirection::Output) == 1; }))
            return ::testing::AssertionFailure() << "the simulator's ports did not appear; is a JACK server "
                                                    "running (scripts/test.sh starts "
                                                    "one, JACK_DEFAULT_SERVER names it)?";
        return ::testing::AssertionSuccess();
    }

    std::size_t Listed(MidiDirection direction)
    {
        return CountListedDevices(*GetMidiBackend(), direction, SimulatorProcess::kPortName);
    }

    std::vector<std::string> LogLines()
    {
        std::ifstream file(m_log);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);)
            if (!line.empty())
                lines.push_back(line);
        return lines;
    }

    // Waits until the simulator has logged line.
    bool WaitForLogLine(const std::string& line)
    {
        return WaitUntil(
            [&]
            {
                for (const std::string& logged : LogLines())
                    if (logged == line)
                        return true;
                return false;
            });
    }

    Bytes Model()
    {
        Array<ParamValue> values;
        m_engine->FillParamValues(0, kParameterCount, values, -1);
        Bytes image;
        for (std::uint32_t i = 0; i < values.GetCount(); ++i)
        {
            std::uint32_t size = 0;
            const auto* data = static_cast<const std::uint8_t*>(values.GetAt(i)->value.GetData(size));
            image.insert(image.end(), data, data + size);
        }
        return image;
    }

    std::filesystem::path m_folder;
    std::filesystem::path m_log;
    std::filesystem::path m_state;
    SimulatorProcess m_simulator;
    RCPtr<LNotificationCenter> m_centre;
    RCPtr<LPresetEditorAppEngine> m_engine;
    RCPtr<LMidiManager> m_manager;
};

TEST_F(MidiManagerIntegrationTest, GetFavorite3SetsAllValues)
{
    ASSERT_TRUE(StartSimulator());
    m_manager = LMidiManager::Create();
    ASSERT_TRUE(m_manager->AreMidiPortsOpen());
    ASSERT_EQ(m_manager->ResumeDeviceStatusChecker(), QK_OK);

    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(3), QK_OK);
    const Preset expected = Pattern(3);
    EXPECT_EQ(Model(), Bytes(expected.begin(), expected.end()));
    EXPECT_TRUE(WaitForLogLine("F0 47 7F 50 66 00 01 03 F7"));
}

TEST_F(MidiManagerIntegrationTest, SendLeavesTheExactMessageInRamAndFavorite8)
{
    ASSERT_TRUE(StartSimulator());
    m_manager = LMidiManager::Create();
    ASSERT_EQ(m_manager->ResumeDeviceStatusChecker(), QK_OK);
    const Preset image = Pattern(40);
    for (std::uint32_t i = 0; i < kParameterCount; ++i)
    {
        Variant value;
        value.SetBytes(image.data() + GetParameterByteOffset(i), GetParameterByteSize(i));
        ASSERT_GE(m_engine->SetParamValue(ParamDescriptor(static_cast<std::int32_t>(i)), value), 0);
    }

    for (const std::uint8_t preset : {0, 8})
    {
        EXPECT_EQ(m_manager->SendPresetToDevice(preset), 224);
        Bytes message = {0xF0, 0x47, 0x7F, 0x50, 0x64, 0x01, 0x0E, preset};
        message.insert(message.end(), image.begin(), image.end());
        message.push_back(0xF7);
        EXPECT_TRUE(WaitForLogLine(FormatHexBytes(message))) << int(preset);
    }
    // What the controller stored is what a get brings back.
    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(8), QK_OK);
    EXPECT_EQ(Model(), Bytes(image.begin(), image.end()));
}

TEST_F(MidiManagerIntegrationTest, ASilentControllerEndsTheGetWithoutAReply)
{
    ASSERT_TRUE(StartSimulator({"--silent"}));
    m_manager = LMidiManager::Create();
    ASSERT_TRUE(m_manager->AreMidiPortsOpen());
    const Bytes before = Model();
    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(3), -3);
    EXPECT_EQ(Model(), before);
}

// A program that is ending does not sit out the reply time-out: the get stops waiting as soon
// as the give-up check says so, and ends as an unanswered get does.
TEST_F(MidiManagerIntegrationTest, AGetGivesUpWhenNobodyWaitsForTheAnswerAnyMore)
{
    ASSERT_TRUE(StartSimulator({"--silent"}));
    m_manager = LMidiManager::Create();
    ASSERT_TRUE(m_manager->AreMidiPortsOpen());
    std::atomic<int> checks{0};
    m_manager->SetGiveUpCheck([&checks] { return ++checks > 1; });
    const Bytes before = Model();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(3), -3);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(checks.load(), 2);
    // The whole time-out would be 1000 ms; giving up comes after one check interval.
    EXPECT_LT(waited, std::chrono::milliseconds(LMidiManager::kReplyTimeoutMs));
    EXPECT_EQ(Model(), before);
}

TEST_F(MidiManagerIntegrationTest, NoControllerMeansNoPorts)
{
    m_manager = LMidiManager::Create();
    EXPECT_FALSE(m_manager->AreMidiPortsOpen());
    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(3), -1);
    EXPECT_EQ(m_manager->SendPresetToDevice(0), -1);
}

// With the controller there, the program is three clients of the JACK server (its input and
// its output, each with its port open, and the client that only hears the server end),
// however many presence passes list and probe the ports, before an unplug and after the
// replug.
TEST_F(MidiManagerIntegrationTest, UnplugIsAnnouncedAndReplugReconnects)
{
    ASSERT_TRUE(StartSimulator());
    m_manager = LMidiManager::Create();
    ASSERT_TRUE(m_manager->AreMidiPortsOpen());
    const RCPtr<InputStatusRecorder> recorder(new InputStatusRecorder());
    recorder->Subscribe(m_centre, kNidMidiInputDeviceConnectionStatusChanged);
    ASSERT_EQ(m_manager->ResumeDeviceStatusChecker(), QK_OK);
    const auto expectThreeClientsAfterAFewPasses = [&]
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(3 * LMidiManager::kCheckIntervalMs));
        const int clients = CountJackClients(kEditorMidiClientName);
        ASSERT_GE(clients, 0) << "no JACK server answers";
        EXPECT_LE(clients, 3);
    };
    expectThreeClientsAfterAFewPasses();

    ASSERT_EQ(m_simulator.Stop(), 0);
    ASSERT_TRUE(WaitUntil(
        [&]
        {
            m_centre->DispatchNotifications(false);
            return !recorder->statuses.empty();
        }));
    EXPECT_EQ(recorder->statuses, std::vector<std::int32_t>{1});
    EXPECT_FALSE(m_manager->AreMidiPortsOpen());

    // Both ports are listed before the next drain, as a USB device brings both at once.
    ASSERT_TRUE(StartSimulator());
    ASSERT_TRUE(WaitUntil(
        [&]
        {
            m_centre->DispatchNotifications(false);
            return recorder->statuses.size() >= 2;
        }));
    EXPECT_EQ(recorder->statuses, (std::vector<std::int32_t>{1, 0}));
    ASSERT_TRUE(m_manager->AreMidiPortsOpen());
    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(3), QK_OK);
    const Preset expected = Pattern(3);
    EXPECT_EQ(Model(), Bytes(expected.begin(), expected.end()));
    expectThreeClientsAfterAFewPasses();
    recorder->UnsubscribeAll();
}

// A flood of messages the editor has no use for (notes, controllers, clock, foreign SysEx,
// some unterminated) through the JACK server: while the capture worker is held, the backlog
// stays at its bound; once it goes again, a get in the middle of the flood and one after it
// both bring their favorite whole.
TEST_F(MidiManagerIntegrationTest, AFloodKeepsTheBacklogBoundedAndGetsStillWork)
{
    ASSERT_TRUE(StartSimulator({"--flood", "20000:3"}));
    const auto floodEnds = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    m_manager = LMidiManager::Create();
    ASSERT_TRUE(m_manager->AreMidiPortsOpen());
    const RCPtr<LMidiCommInterface> comm = m_manager->GetMidiCommInterface();
    const auto* transport = dynamic_cast<const LMidiComm*>(comm.Get());
    ASSERT_NE(transport, nullptr);

    const RCPtr<GatedCaptureRecorder> gated(new GatedCaptureRecorder());
    ASSERT_NE(gated->Subscribe(comm, kNidMidiDataCaptured), 0u);
    ASSERT_TRUE(gated->WaitUntilHeld()) << "no flood came";
    ASSERT_TRUE(WaitUntil([&] { return transport->GetQueuedCaptureCount() >= LMidiComm::kMaxQueuedShortMessages; }))
        << "the flood never filled the backlog";
    std::uint32_t peak = 0;
    for (int i = 0; i < 50; ++i)
    {
        peak = std::max(peak, transport->GetQueuedCaptureCount());
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // Foreign SysEx messages may take the room above the short messages' bound, and
    // several MIDI threads may slip in one more each at once.
    EXPECT_LE(peak, LMidiComm::kMaxQueuedCaptures + 4);
    gated->UnsubscribeAll();
    gated->Open();

    const Preset expected = Pattern(3);
    EXPECT_LT(std::chrono::steady_clock::now(), floodEnds) << "the get below came after the flood";
    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(3), QK_OK) << "a get during the flood";
    EXPECT_EQ(Model(), Bytes(expected.begin(), expected.end()));

    std::this_thread::sleep_until(floodEnds + std::chrono::milliseconds(200));
    const Preset& ram = SimulatedController::DefaultPreset();
    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(0), QK_OK) << "a get right after the flood";
    EXPECT_EQ(Model(), Bytes(ram.begin(), ram.end()));
}

// What a controller puts in a dump's byte 7: the preset the dump holds, or a constant.
struct DumpByte7
{
    const char* name;
    std::vector<std::string> options;
};

void PrintTo(const DumpByte7& kind, std::ostream* out)
{
    *out << kind.name;
}

class MidiManagerDumpByte7Test : public MidiManagerIntegrationTest, public ::testing::WithParamInterface<DumpByte7>
{
protected:
    ::testing::AssertionResult StartController(std::vector<std::string> options = {})
    {
        options.insert(options.end(), GetParam().options.begin(), GetParam().options.end());
        return StartSimulator(options);
    }

    Bytes Expected(int preset)
    {
        const Preset values =
            preset == 0 ? SimulatedController::DefaultPreset() : Pattern(static_cast<std::uint8_t>(preset));
        return Bytes(values.begin(), values.end());
    }
};

INSTANTIATE_TEST_SUITE_P(Controllers, MidiManagerDumpByte7Test,
                         ::testing::Values(DumpByte7{"ThePresetNumber", {}},
                                           DumpByte7{"Always7F", {"--dump-byte7", "7F"}},
                                           DumpByte7{"AlwaysFavorite2", {"--dump-byte7", "02"}}),
                         [](const ::testing::TestParamInfo<DumpByte7>& info) { return info.param.name; });

TEST_P(MidiManagerDumpByte7Test, EveryPresetComesWhateverTheControllerPutsInByte7)
{
    ASSERT_TRUE(StartController());
    m_manager = LMidiManager::Create();
    ASSERT_EQ(m_manager->ResumeDeviceStatusChecker(), QK_OK);
    for (const int preset : {1, 2, 3, 4, 5, 6, 7, 8, 0})
    {
        EXPECT_EQ(m_manager->GetPresetFromMidiDevice(preset), QK_OK) << preset;
        EXPECT_EQ(Model(), Expected(preset)) << preset;
    }
}

// The controller answers the first get after the manager has stopped waiting, right before
// its answer to the next get: that late favorite 1 never answers the get of favorite 2, and
// the gets after it are answered at once again.
TEST_P(MidiManagerDumpByte7Test, ALateAnswerToFavorite1IsNeverTakenAsFavorite2)
{
    ASSERT_TRUE(StartController({"--late", "1200"}));
    m_manager = LMidiManager::Create();
    ASSERT_EQ(m_manager->ResumeDeviceStatusChecker(), QK_OK);
    const Bytes before = Model();
    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(1), -3);
    EXPECT_EQ(Model(), before);
    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(2), QK_OK);
    EXPECT_EQ(Model(), Expected(2));
    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(3), QK_OK);
    EXPECT_EQ(Model(), Expected(3));
}

// How late a slow controller answers: every answer 1.6 s after its request (longer than a
// get waits), in order, for the first two requests or the first one only.
struct SlowAnswers
{
    const char* name;
    const char* option;
    bool secondGetAnswered; // whether the second get's own answer comes while it waits
};

void PrintTo(const SlowAnswers& timing, std::ostream* out)
{
    *out << timing.name;
}

class MidiManagerSlowControllerTableTest
    : public MidiManagerIntegrationTest,
      public ::testing::WithParamInterface<std::tuple<DumpByte7, SlowAnswers>>
{
protected:
    Bytes Expected(int preset)
    {
        const Preset values = Pattern(static_cast<std::uint8_t>(preset));
        return Bytes(values.begin(), values.end());
    }
};

INSTANTIATE_TEST_SUITE_P(
    Controllers, MidiManagerSlowControllerTableTest,
    ::testing::Combine(::testing::Values(DumpByte7{"ThePresetNumber", {}}, DumpByte7{"Always7F", {"--dump-byte7", "7F"}},
                                         DumpByte7{"AlwaysFavorite2", {"--dump-byte7", "02"}}),
                       ::testing::Values(SlowAnswers{"TwoAnswersLate", "1600:2", false},
                                         SlowAnswers{"OnlyTheFirstLate", "1600:1", true})),
    [](const ::testing::TestParamInfo<std::tuple<DumpByte7, SlowAnswers>>& info)
    { return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name; });

// The controller answers slowly, in order, and what it puts in byte 7 tells nothing (the
// preset, 7F, or always 2, the very favorite the second get asks for). A get that timed out
// changes nothing; its late answer never becomes the next favorite: the next get takes its
// own answer when it comes in time and fails otherwise, and the get after that takes its own.
TEST_P(MidiManagerSlowControllerTableTest, ALateAnswerIsToldByOrderWhateverByte7Holds)
{
    const auto& [byte7, timing] = GetParam();
    std::vector<std::string> options = {"--slow", timing.option};
    options.insert(options.end(), byte7.options.begin(), byte7.options.end());
    ASSERT_TRUE(StartSimulator(options));
    m_manager = LMidiManager::Create();
    ASSERT_EQ(m_manager->ResumeDeviceStatusChecker(), QK_OK);
    const Bytes before = Model();

    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(1), -3);
    EXPECT_EQ(Model(), before);
    if (timing.secondGetAnswered)
    {
        EXPECT_EQ(m_manager->GetPresetFromMidiDevice(2), QK_OK);
        EXPECT_EQ(Model(), Expected(2));
    }
    else
    {
        EXPECT_EQ(m_manager->GetPresetFromMidiDevice(2), -3);
        EXPECT_EQ(Model(), before);
    }
    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(3), QK_OK);
    EXPECT_EQ(Model(), Expected(3));
}

// The MIDI server ending and starting, on a JACK server of the test's own with the program's
// back end made on it as the program makes its own.
class MidiManagerServerTest : public MidiManagerIntegrationTest
{
protected:
    // The back end goes while its server still runs: the clients of one that ended are
    // never closed.
    void TearDown() override
    {
        MidiManagerIntegrationTest::TearDown();
        SetMidiBackend(nullptr);
        m_backend = nullptr;
        m_server.Stop();
    }

    // The program's back end, on the private server (JACK_DEFAULT_SERVER names it now).
    void MakeBackend()
    {
        m_backend = std::dynamic_pointer_cast<ReconnectingMidiBackend>(
            CreatePlatformMidiBackend({kEditorMidiClientName, "VEDIDU_MIDI_API"}));
        ASSERT_TRUE(m_backend);
        SetMidiBackend(m_backend);
    }

    // Gets favorite 3 until a get works, delivering the presence checker's news between
    // tries as the UI thread does; false when none did within a few seconds. A server that
    // has just started may still be settling its first connections when the ports open.
    bool GetWorksSoon()
    {
        return WaitUntil(
            [&]
            {
                m_centre->DispatchNotifications(false);
                return m_manager->GetPresetFromMidiDevice(3) == QK_OK;
            },
            20000, 100);
    }

    bool WaitUntilTheBackEndHasLostItsServer()
    {
        return WaitUntil(
            [&]
            {
                const std::shared_ptr<IMidiBackend> current = m_backend->GetCurrent();
                return !current || current->IsSystemLost();
            });
    }

    PrivateJackServer m_server;
    std::shared_ptr<ReconnectingMidiBackend> m_backend;
};

class MidiManagerServerEndTest : public MidiManagerServerTest, public ::testing::WithParamInterface<int>
{
};

INSTANTIATE_TEST_SUITE_P(Signals, MidiManagerServerEndTest, ::testing::Values(SIGTERM, SIGKILL),
                         [](const ::testing::TestParamInfo<int>& info)
                         { return std::string(info.param == SIGKILL ? "Killed" : "Terminated"); });

// The server ends under open ports: a send fails as without the controller, and sends nothing
// anywhere; when the server is back with the controller's ports, the presence checker finds
// it and a get works again.
TEST_P(MidiManagerServerEndTest, ASendWhileTheServerIsGoneFailsAndAGetWorksOnceItIsBack)
{
    ASSERT_TRUE(m_server.Start()) << m_server.Log();
    MakeBackend();
    ASSERT_TRUE(StartSimulator());
    m_manager = LMidiManager::Create();
    ASSERT_TRUE(m_manager->AreMidiPortsOpen());
    ASSERT_EQ(m_manager->ResumeDeviceStatusChecker(), QK_OK);
    ASSERT_EQ(m_manager->GetPresetFromMidiDevice(3), QK_OK);

    ASSERT_TRUE(m_server.Stop(GetParam()));
    m_simulator.Stop();
    ASSERT_TRUE(WaitUntilTheBackEndHasLostItsServer());
    // A try to reach a server while none runs comes before the ports of the ended one close,
    // as when the presence checker's pass comes first.
    EXPECT_EQ(m_backend->ListDevices(MidiDirection::Input), std::vector<std::string>{});
    EXPECT_EQ(m_manager->SendPresetToDevice(5), -1);
    EXPECT_EQ(m_manager->GetPresetFromMidiDevice(3), -1);

    ASSERT_TRUE(m_server.Start()) << m_server.Log();
    ASSERT_TRUE(StartSimulator());
    SetModelTo(SimulatedController::DefaultPreset());
    ASSERT_TRUE(GetWorksSoon()) << "the server that came back was not found";
    const Preset expected = Pattern(3);
    EXPECT_EQ(Model(), Bytes(expected.begin(), expected.end()));
}

// The program starts while no MIDI system runs; a server started later, with the controller,
// is found and used.
TEST_F(MidiManagerServerTest, AServerStartedAfterTheProgramIsFound)
{
    MakeBackend();
    m_manager = LMidiManager::Create();
    EXPECT_FALSE(m_manager->AreMidiPortsOpen());
    ASSERT_EQ(m_manager->ResumeDeviceStatusChecker(), QK_OK);

    ASSERT_TRUE(m_server.Start()) << m_server.Log();
    ASSERT_TRUE(StartSimulator());
    ASSERT_TRUE(GetWorksSoon()) << "the server started later was not found";
    const Preset expected = Pattern(3);
    EXPECT_EQ(Model(), Bytes(expected.begin(), expected.end()));
}

TEST_F(MidiManagerIntegrationTest, TheKeyCurveArrivesAsItWasGiven)
{
    ASSERT_TRUE(StartSimulator());
    m_manager = LMidiManager::Create();
    ASSERT_EQ(m_manager->ResumeDeviceStatusChecker(), QK_OK);
    const Bytes keyCurve = {0xF0, 0x47, 0x7F, 0x50, 0x13, 0x09, 0x00, 0x10,
                            0x01, 0x20, 0x02, 0x30, 0x03, 0x40, 0x3F, 0xF7};
    EXPECT_EQ(m_manager->SendMidiMessage(ToArray(keyCurve)), 16);
    EXPECT_TRUE(WaitForLogLine(FormatHexBytes(keyCurve)));
}

} // namespace
} // namespace QK
