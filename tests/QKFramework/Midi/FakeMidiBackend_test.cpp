// The fake keeps the contract that the port classes rely on, so that their unit tests
// mean something.
#include "tests/support/Midi/FakeMidiBackend.h"

#include "tests/support/Midi/RecordingMidiSink.h"
#include "tests/support/Midi/SimulatedController.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace QK
{
namespace
{

using namespace TestSupport;

using Bytes = std::vector<std::uint8_t>;

TEST(FakeMidiBackendTest, ListsPresentDevicesInOrderAndOpensByTheirIndex)
{
    FakeMidiBackend backend;
    const auto first = backend.AddDevice(MidiDirection::Input, "Vedidu");
    backend.AddDevice(MidiDirection::Output, "Vedidu");
    const auto second = backend.AddDevice(MidiDirection::Input, "Vedidu");
    const auto other = backend.AddDevice(MidiDirection::Input, "2- Vedidu");
    ASSERT_TRUE(backend.RemoveDevice(first));

    EXPECT_EQ(backend.ListDevices(MidiDirection::Input), (std::vector<std::string>{"Vedidu", "2- Vedidu"}));
    EXPECT_EQ(backend.ListDevices(MidiDirection::Output), (std::vector<std::string>{"Vedidu"}));

    RecordingMidiSink sink;
    std::unique_ptr<IMidiInputConnection> input;
    ASSERT_EQ(backend.OpenInput(1, sink, input), kMidiOk);
    ASSERT_TRUE(input);
    EXPECT_EQ(backend.GetOpenConnectionCount(other), 1);
    EXPECT_EQ(backend.GetOpenConnectionCount(second), 0);

    // A failed open clears the out reference.
    std::unique_ptr<IMidiInputConnection> missing;
    ASSERT_EQ(backend.OpenInput(0, sink, missing), kMidiOk);
    EXPECT_EQ(backend.OpenInput(2, sink, missing), kMidiNotFound);
    EXPECT_FALSE(missing);

    backend.SetOpenResult(second, kMidiError);
    EXPECT_EQ(backend.OpenInput(0, sink, missing), kMidiError);
    EXPECT_FALSE(missing);

    input.reset();
    EXPECT_EQ(backend.GetOpenConnectionCount(other), 0);
}

TEST(FakeMidiBackendTest, DeliversOnlyBetweenStartAndStop)
{
    FakeMidiBackend backend;
    const auto device = backend.AddDevice(MidiDirection::Input, "Vedidu");
    RecordingMidiSink sink;
    std::unique_ptr<IMidiInputConnection> input;
    ASSERT_EQ(backend.OpenInput(0, sink, input), kMidiOk);

    EXPECT_FALSE(backend.DeliverShort(device, 0x7F3C90, 1));
    input->Start();
    EXPECT_TRUE(backend.IsStarted(device));
    EXPECT_TRUE(backend.DeliverShort(device, 0x7F3C90, 2));
    input->Stop();
    EXPECT_FALSE(backend.DeliverShort(device, 0x7F3C90, 3));
    input->Start();
    input.reset();
    EXPECT_FALSE(backend.DeliverShort(device, 0x7F3C90, 4));

    const auto shorts = sink.GetShortMessages();
    ASSERT_EQ(shorts.size(), 1u);
    EXPECT_EQ(shorts[0].timeMs, 2u);
    RecordingMidiSink sysex;
    ASSERT_EQ(backend.OpenInput(0, sysex, input), kMidiOk);
    input->Start();
    Bytes message(300, 0x11);
    message.front() = 0xF0;
    message.back() = 0xF7;
    EXPECT_TRUE(backend.DeliverMessage(device, message));
    const auto chunks = sysex.GetSysExChunks();
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0].bytes.size(), 256u);
    EXPECT_FALSE(chunks[0].complete);
    EXPECT_EQ(chunks[1].bytes.size(), 44u);
    EXPECT_TRUE(chunks[1].complete);
}

TEST(FakeMidiBackendTest, AConnectionDiesWithItsDeviceAndDoesNotFollowAReturningOne)
{
    FakeMidiBackend backend;
    const auto input = backend.AddDevice(MidiDirection::Input, "Vedidu");
    const auto output = backend.AddDevice(MidiDirection::Output, "Vedidu");
    RecordingMidiSink sink;
    std::unique_ptr<IMidiInputConnection> in;
    std::unique_ptr<IMidiOutputConnection> out;
    ASSERT_EQ(backend.OpenInput(0, sink, in), kMidiOk);
    ASSERT_EQ(backend.OpenOutput(0, out), kMidiOk);
    EXPECT_TRUE(in->IsAlive());
    EXPECT_TRUE(out->IsAlive());

    backend.RemoveDevice(input);
    backend.RemoveDevice(output);
    backend.AddDevice(MidiDirection::Input, "Vedidu");
    backend.AddDevice(MidiDirection::Output, "Vedidu");
    EXPECT_FALSE(in->IsAlive());
    EXPECT_FALSE(out->IsAlive());
    EXPECT_EQ(out->SendLong(Bytes{0xF0, 0xF7}.data(), 2), kMidiError);

    std::unique_ptr<IMidiInputConnection> again;
    ASSERT_EQ(backend.OpenInput(0, sink, again), kMidiOk);
    EXPECT_TRUE(again->IsAlive());
}

TEST(FakeMidiBackendTest, RecordsSendsAsTheirBytes)
{
    FakeMidiBackend backend;
    const auto device = backend.AddDevice(MidiDirection::Output, "Vedidu");
    std::unique_ptr<IMidiOutputConnection> out;
    ASSERT_EQ(backend.OpenOutput(0, out), kMidiOk);

    Bytes request{0xF0, 0x47, 0x7F, 0x50, 0x66, 0x00, 0x01, 0x03, 0xF7};
    EXPECT_EQ(out->SendLong(request.data(), request.size()), kMidiOk);
    request.assign(request.size(), 0); // the back end keeps its own copy
    EXPECT_EQ(out->SendShort(0x7F3C90), kMidiOk);
    EXPECT_EQ(out->SendShort(0xAA05C1), kMidiOk); // program change: two bytes go out
    EXPECT_EQ(out->SendShort(0x3C), kMidiInvalidParameter);
    EXPECT_EQ(out->SendShort(0xF0), kMidiInvalidParameter);
    EXPECT_EQ(out->SendLong(request.data(), 0), kMidiInvalidParameter);
    backend.SetSendResult(device, kMidiNotReady);
    EXPECT_EQ(out->SendShort(0x7F3C90), kMidiNotReady);

    const auto sent = backend.GetSent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_TRUE(sent[0].isLong);
    EXPECT_EQ(sent[0].bytes, (Bytes{0xF0, 0x47, 0x7F, 0x50, 0x66, 0x00, 0x01, 0x03, 0xF7}));
    EXPECT_EQ(sent[0].deviceName, "Vedidu");
    EXPECT_FALSE(sent[1].isLong);
    EXPECT_EQ(sent[1].bytes, (Bytes{0x90, 0x3C, 0x7F}));
    EXPECT_EQ(sent[2].bytes, (Bytes{0xC1, 0x05}));
}

// The wiring a test of the layers above can use to talk to the simulated controller
// without MIDI ports.
TEST(FakeMidiBackendTest, AResponderCanAnswerThroughTheSimulatedController)
{
    FakeMidiBackend backend;
    const auto input = backend.AddDevice(MidiDirection::Input, "Vedidu");
    backend.AddDevice(MidiDirection::Output, "Vedidu");
    SimulatedController controller;
    backend.SetResponder(
        [&](const FakeMidiBackend::SentMessage& sent)
        {
            for (const auto& reply : controller.Receive(sent.bytes))
                backend.DeliverMessage(input, reply);
        });

    RecordingMidiSink sink;
    std::unique_ptr<IMidiInputConnection> in;
    std::unique_ptr<IMidiOutputConnection> out;
    ASSERT_EQ(backend.OpenInput(0, sink, in), kMidiOk);
    ASSERT_EQ(backend.OpenOutput(0, out), kMidiOk);
    in->Start();
    const Bytes request{0xF0, 0x47, 0x7F, 0x50, 0x66, 0x00, 0x01, 0x05, 0xF7};
    ASSERT_EQ(out->SendLong(request.data(), request.size()), kMidiOk);

    const auto messages = sink.GetSysExMessages();
    ASSERT_EQ(messages.size(), 1u);
    ASSERT_EQ(messages[0].size(), 224u);
    EXPECT_EQ(Bytes(messages[0].begin(), messages[0].begin() + 4), (Bytes{0xF0, 0x47, 0x00, 0x50}));
}

TEST(FakeMidiBackendTest, NoDeliveryRunsAfterStopReturns)
{
    FakeMidiBackend backend;
    const auto device = backend.AddDevice(MidiDirection::Input, "Vedidu");

    struct Sink final : IMidiInputSink
    {
        std::atomic<bool> stopReturned{false};
        std::atomic<bool> calledAfterStop{false};
        std::atomic<int> calls{0};
        void OnMidiShortMessage(std::uint32_t, std::uint32_t) override
        {
            if (stopReturned)
                calledAfterStop = true;
            ++calls;
            std::this_thread::yield();
        }
        void OnMidiSysExChunk(const std::uint8_t*, std::size_t, bool) override {}
    } sink;

    std::unique_ptr<IMidiInputConnection> input;
    ASSERT_EQ(backend.OpenInput(0, sink, input), kMidiOk);
    input->Start();
    std::atomic<bool> done{false};
    std::thread system(
        [&]
        {
            while (!done)
                backend.DeliverShort(device, 0x7F3C90, 0);
        });
    while (sink.calls < 100)
        std::this_thread::yield();
    input->Stop();
    sink.stopReturned = true;
    const int callsAtStop = sink.calls;
    for (int i = 0; i < 1000; ++i)
        std::this_thread::yield();
    done = true;
    system.join();
    EXPECT_FALSE(sink.calledAfterStop);
    EXPECT_EQ(sink.calls, callsAtStop);
}

} // namespace
} // namespace QK
