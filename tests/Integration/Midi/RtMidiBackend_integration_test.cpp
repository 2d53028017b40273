// The platform MIDI back end against the simulated controller on a real MIDI system (the
// JACK server that scripts/test.sh starts). Every wait is bounded.
#include "QKFramework/Midi/MidiBackend.h"

#include "tests/support/Midi/RecordingMidiSink.h"
#include "tests/support/Midi/SimulatedController.h"
#include "tests/support/Midi/SimulatorProcess.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace QK
{
namespace
{

using namespace TestSupport;

using Bytes = std::vector<std::uint8_t>;

const Bytes kGetFavorite3{0xF0, 0x47, 0x7F, 0x50, 0x66, 0x00, 0x01, 0x03, 0xF7};

class RtMidiBackendTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_log = m_folder / "simulator.log";
        // The simulated controller takes the MIDI system that this variable asks for; so does
        // the back end, under a client name of its own.
        m_backend = CreatePlatformMidiBackend({"QK MIDI Test", "VEDIDU_MIDI_API"});
        ASSERT_TRUE(StartSimulator());
    }

    void TearDown() override
    {
        if (m_simulator.IsRunning())
        {
            EXPECT_EQ(m_simulator.Stop(), 0) << "the simulator did not end cleanly";
        }
    }

    // Starts the simulator and waits until both its ports are listed.
    ::testing::AssertionResult StartSimulator()
    {
        if (!m_simulator.Start({"--log", m_log}))
            return ::testing::AssertionFailure() << "cannot start " << SimulatorProcess::ExecutablePath();
        if (!WaitUntil([&] { return Listed(MidiDirection::Input) == 1 && Listed(MidiDirection::Output) == 1; }))
            return ::testing::AssertionFailure()
                   << "the simulator's ports did not appear; is a JACK server running (scripts/test.sh starts "
                      "one, JACK_DEFAULT_SERVER names it)?";
        return ::testing::AssertionSuccess();
    }

    std::size_t Listed(MidiDirection direction)
    {
        return CountListedDevices(*m_backend, direction, SimulatorProcess::kPortName);
    }

    std::size_t IndexOfSimulator(MidiDirection direction)
    {
        const std::vector<std::string> names = m_backend->ListDevices(direction);
        return static_cast<std::size_t>(std::find(names.begin(), names.end(), SimulatorProcess::kPortName) -
                                        names.begin());
    }

    void OpenBoth(RecordingMidiSink& sink, std::unique_ptr<IMidiInputConnection>& input,
                  std::unique_ptr<IMidiOutputConnection>& output)
    {
        ASSERT_EQ(m_backend->OpenInput(IndexOfSimulator(MidiDirection::Input), sink, input), kMidiOk);
        ASSERT_EQ(m_backend->OpenOutput(IndexOfSimulator(MidiDirection::Output), output), kMidiOk);
        ASSERT_EQ(input->Start(), kMidiOk);
    }

    std::vector<std::string> LogLines()
    {
        std::ifstream file(m_log);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);)
            lines.push_back(line);
        return lines;
    }

    TempFolder m_folder;
    std::string m_log;
    std::shared_ptr<IMidiBackend> m_backend;
    SimulatorProcess m_simulator;
};

TEST_F(RtMidiBackendTest, ListsTheSimulatorOnceInEachDirectionButNotItsOwnPorts)
{
    const std::size_t inputs = m_backend->ListDevices(MidiDirection::Input).size();
    const std::size_t outputs = m_backend->ListDevices(MidiDirection::Output).size();

    RecordingMidiSink sink;
    std::unique_ptr<IMidiInputConnection> input;
    std::unique_ptr<IMidiOutputConnection> output;
    OpenBoth(sink, input, output);

    EXPECT_EQ(m_backend->ListDevices(MidiDirection::Input).size(), inputs);
    EXPECT_EQ(m_backend->ListDevices(MidiDirection::Output).size(), outputs);
    EXPECT_EQ(Listed(MidiDirection::Input), 1u);
    EXPECT_EQ(Listed(MidiDirection::Output), 1u);
    EXPECT_TRUE(input->IsAlive());
    EXPECT_TRUE(output->IsAlive());
}

TEST_F(RtMidiBackendTest, AGetPresetRequestComesBackAsOneComplete224ByteDump)
{
    RecordingMidiSink sink;
    std::unique_ptr<IMidiInputConnection> input;
    std::unique_ptr<IMidiOutputConnection> output;
    OpenBoth(sink, input, output);

    ASSERT_EQ(output->SendLong(kGetFavorite3.data(), kGetFavorite3.size()), kMidiOk);
    ASSERT_TRUE(WaitUntil([&] { return !sink.GetSysExMessages().empty(); }));

    const auto chunks = sink.GetSysExChunks();
    for (std::size_t i = 0; i < chunks.size(); ++i)
    {
        EXPECT_LE(chunks[i].bytes.size(), kMidiSysExChunkSize);
        EXPECT_EQ(chunks[i].complete, i + 1 == chunks.size());
    }
    const Bytes dump = sink.GetSysExMessages().front();
    ASSERT_EQ(dump.size(), 224u);
    EXPECT_EQ(Bytes(dump.begin(), dump.begin() + 4), (Bytes{0xF0, 0x47, 0x00, 0x50}));
    const auto& defaults = SimulatedController::DefaultPreset();
    EXPECT_EQ(Bytes(dump.begin() + 8, dump.end() - 1), Bytes(defaults.begin(), defaults.end()));
    EXPECT_EQ(dump.back(), 0xF7);
    EXPECT_TRUE(sink.GetShortMessages().empty());
    EXPECT_EQ(LogLines(), (std::vector<std::string>{FormatHexBytes(kGetFavorite3)}));
}

TEST_F(RtMidiBackendTest, ASentPresetArrivesWholeAndComesBackOnTheNextGet)
{
    RecordingMidiSink sink;
    std::unique_ptr<IMidiInputConnection> input;
    std::unique_ptr<IMidiOutputConnection> output;
    OpenBoth(sink, input, output);

    Bytes send{0xF0, 0x47, 0x7F, 0x50, 0x64, 0x01, 0x0E, 0x08};
    for (std::size_t i = 0; i < SimulatedController::kPresetSize; ++i)
        send.push_back(static_cast<std::uint8_t>((i * 5 + 3) & 0x7F));
    send.push_back(0xF7);
    ASSERT_EQ(output->SendLong(send.data(), send.size()), kMidiOk);
    const Bytes get{0xF0, 0x47, 0x7F, 0x50, 0x66, 0x00, 0x01, 0x08, 0xF7};
    ASSERT_EQ(output->SendLong(get.data(), get.size()), kMidiOk);
    ASSERT_TRUE(WaitUntil([&] { return !sink.GetSysExMessages().empty(); }));

    const Bytes dump = sink.GetSysExMessages().front();
    ASSERT_EQ(dump.size(), 224u);
    EXPECT_EQ(Bytes(dump.begin() + 8, dump.end() - 1), Bytes(send.begin() + 8, send.end() - 1));
    EXPECT_EQ(LogLines(), (std::vector<std::string>{FormatHexBytes(send), FormatHexBytes(get)}));
}

TEST_F(RtMidiBackendTest, ShortMessagesMakeARoundTrip)
{
    RecordingMidiSink sink;
    std::unique_ptr<IMidiInputConnection> input;
    std::unique_ptr<IMidiOutputConnection> output;
    OpenBoth(sink, input, output);

    EXPECT_EQ(output->SendShort(0x7F3C90), kMidiOk);
    EXPECT_EQ(output->SendShort(0xAA05C1), kMidiOk); // program change: the third byte is not sent
    EXPECT_EQ(output->SendShort(0x3C), kMidiInvalidParameter);
    ASSERT_TRUE(WaitUntil([&] { return sink.GetShortMessages().size() == 2; }));

    const auto shorts = sink.GetShortMessages();
    EXPECT_EQ(shorts[0].message, 0x7F3C90u);
    EXPECT_EQ(shorts[1].message, 0x05C1u);
    EXPECT_LE(shorts[0].timeMs, shorts[1].timeMs);
    EXPECT_TRUE(sink.GetSysExChunks().empty());
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"90 3C 7F", "C1 05"}));
}

TEST_F(RtMidiBackendTest, AStoppedInputGetsNothingMore)
{
    RecordingMidiSink stopped;
    RecordingMidiSink running;
    std::unique_ptr<IMidiInputConnection> first;
    std::unique_ptr<IMidiOutputConnection> output;
    OpenBoth(stopped, first, output);
    std::unique_ptr<IMidiInputConnection> second;
    ASSERT_EQ(m_backend->OpenInput(IndexOfSimulator(MidiDirection::Input), running, second), kMidiOk);
    second->Start();

    ASSERT_EQ(output->SendShort(0x7F3C90), kMidiOk);
    ASSERT_TRUE(WaitUntil([&] { return stopped.GetCallCount() == 1 && running.GetCallCount() == 1; }));
    ASSERT_EQ(first->Stop(), kMidiOk);
    // Two more round trips seen by the running input: the stopped one had its chance.
    ASSERT_EQ(output->SendShort(0x003C80), kMidiOk);
    ASSERT_TRUE(WaitUntil([&] { return running.GetCallCount() == 2; }));
    ASSERT_EQ(output->SendLong(kGetFavorite3.data(), kGetFavorite3.size()), kMidiOk);
    ASSERT_TRUE(WaitUntil([&] { return running.GetCallCount() == 3; }));
    EXPECT_EQ(stopped.GetCallCount(), 1u);

    // Started again, it delivers again; closing it while input flows is safe.
    first->Start();
    ASSERT_EQ(output->SendShort(0x7F3C90), kMidiOk);
    ASSERT_TRUE(WaitUntil([&] { return stopped.GetCallCount() == 2; }));
    first.reset();
}

TEST_F(RtMidiBackendTest, EndingTheSimulatorTakesItsDevicesAwayForGood)
{
    RecordingMidiSink sink;
    std::unique_ptr<IMidiInputConnection> input;
    std::unique_ptr<IMidiOutputConnection> output;
    OpenBoth(sink, input, output);

    ASSERT_EQ(m_simulator.Stop(), 0);
    ASSERT_TRUE(WaitUntil([&] { return Listed(MidiDirection::Input) == 0 && Listed(MidiDirection::Output) == 0; }));
    EXPECT_FALSE(input->IsAlive());
    EXPECT_FALSE(output->IsAlive());
    std::unique_ptr<IMidiOutputConnection> none;
    EXPECT_EQ(m_backend->OpenOutput(m_backend->ListDevices(MidiDirection::Output).size(), none), kMidiNotFound);

    // Plugged in again: the old connections stay dead, new ones work.
    ASSERT_TRUE(StartSimulator());
    EXPECT_FALSE(input->IsAlive());
    EXPECT_FALSE(output->IsAlive());
    RecordingMidiSink fresh;
    std::unique_ptr<IMidiInputConnection> newInput;
    std::unique_ptr<IMidiOutputConnection> newOutput;
    OpenBoth(fresh, newInput, newOutput);
    EXPECT_TRUE(newInput->IsAlive());
    ASSERT_EQ(newOutput->SendLong(kGetFavorite3.data(), kGetFavorite3.size()), kMidiOk);
    ASSERT_TRUE(WaitUntil([&] { return !fresh.GetSysExMessages().empty(); }));
    EXPECT_EQ(fresh.GetSysExMessages().front().size(), 224u);
}

TEST_F(RtMidiBackendTest, TwoSimulatorsAreTwoDevicesOfTheSameName)
{
    SimulatorProcess second;
    ASSERT_TRUE(second.Start({"--log", m_folder / "second.log"}));
    EXPECT_TRUE(WaitUntil([&] { return Listed(MidiDirection::Input) == 2 && Listed(MidiDirection::Output) == 2; }));
    EXPECT_EQ(second.Stop(), 0);
    EXPECT_TRUE(WaitUntil([&] { return Listed(MidiDirection::Input) == 1 && Listed(MidiDirection::Output) == 1; }));
}

} // namespace
} // namespace QK
