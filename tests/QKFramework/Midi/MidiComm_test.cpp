// The MIDI transport on the scripted back end: finding and holding ports, sending, and
// delivering what comes in to the subscribers on the capture worker.
#include "QKFramework/Midi/MidiCapturePort.h"
#include "QKFramework/Midi/MidiComm.h"
#include "QKFramework/Midi/MidiCommInterface.h"
#include "QKFramework/Midi/MidiDeviceNames.h"
#include "QKFramework/Midi/MidiRenderPort.h"
#include "QKFramework/Notification/NotificationCenter.h"
#include "tests/QKFramework/Midi/CaptureRecorder.h"
#include "tests/support/Midi/FakeMidiBackend.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

using Bytes = std::vector<std::uint8_t>;

std::vector<std::string> ToNarrow(const StringArray& names)
{
    std::vector<std::string> result;
    for (std::uint32_t i = 0; i < names.GetCount(); ++i)
        result.emplace_back(NString(names.GetAt(i)->GetString()).GetString());
    return result;
}

Array<signed char> ToArray(const Bytes& bytes)
{
    Array<signed char> array;
    for (const std::uint8_t byte : bytes)
        array.Add(static_cast<signed char>(byte));
    return array;
}

Bytes SysEx(std::size_t size, std::uint8_t fill)
{
    Bytes message(size, fill);
    message.front() = 0xF0;
    message.back() = 0xF7;
    return message;
}

// Refuses the captures that begin with one byte.
class RefusingFilter : public LIMidiFilter
{
public:
    explicit RefusingFilter(std::uint8_t refused) : m_refused(refused) {}

    bool Filter(const signed char* bytes, std::uint32_t count) const override
    {
        return count == 0 || static_cast<std::uint8_t>(bytes[0]) != m_refused;
    }

    ConstRCPtr<LRefCountedObject> CreateCopy() const override
    {
        return ConstRCPtr<LRefCountedObject>(new RefusingFilter(m_refused));
    }

private:
    const std::uint8_t m_refused;
};

class MidiCommTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetMidiBackend(m_backend);
        m_comm = LMidiCommInterface::Create();
    }

    void TearDown() override
    {
        m_comm = nullptr;
        SetMidiBackend(nullptr);
    }

    RCPtr<CaptureRecorder> Subscribe(const std::string& tag = {},
                                     const std::shared_ptr<CaptureRecorder::Log>& log = nullptr)
    {
        RCPtr<CaptureRecorder> recorder(new CaptureRecorder(tag, log));
        EXPECT_NE(recorder->Subscribe(m_comm, kNidMidiDataCaptured), 0u);
        return recorder;
    }

    const std::shared_ptr<FakeMidiBackend> m_backend = std::make_shared<FakeMidiBackend>();
    RCPtr<LMidiCommInterface> m_comm;
};

TEST_F(MidiCommTest, RankedNameOpensTheMatchingDeviceAndAPlainNameIsAmbiguous)
{
    const auto firstIn = m_backend->AddDevice(MidiDirection::Input, "Vedidu");
    const auto secondIn = m_backend->AddDevice(MidiDirection::Input, "Vedidu");
    const auto firstOut = m_backend->AddDevice(MidiDirection::Output, "Vedidu");
    const auto secondOut = m_backend->AddDevice(MidiDirection::Output, "Vedidu");
    EXPECT_EQ(ToNarrow(ListInputDeviceNames()), (std::vector<std::string>{"Vedidu (1)", "Vedidu (2)"}));
    EXPECT_EQ(ToNarrow(ListOutputDeviceNames()), (std::vector<std::string>{"Vedidu (1)", "Vedidu (2)"}));

    RCPtr<LMidiCapturePort> input;
    ASSERT_EQ(m_comm->OpenCapturePort(WString(u"Vedidu (2)"), input), QK_OK);
    ASSERT_TRUE(input);
    EXPECT_EQ(m_backend->GetOpenConnectionCount(secondIn), 1);
    EXPECT_TRUE(m_backend->IsStarted(secondIn));
    RCPtr<LMidiRenderPort> output;
    ASSERT_EQ(m_comm->OpenRenderPort(WString(u"Vedidu (2)"), output), QK_OK);
    EXPECT_EQ(m_backend->GetOpenConnectionCount(secondOut), 1);

    RCPtr<LMidiCapturePort> plainInput;
    EXPECT_EQ(m_comm->OpenCapturePort(WString(u"vedidu"), plainInput), QK_E_INVALIDARG);
    EXPECT_FALSE(plainInput);
    RCPtr<LMidiRenderPort> plainOutput;
    EXPECT_EQ(m_comm->OpenRenderPort(WString(u"Vedidu"), plainOutput), QK_E_INVALIDARG);
    EXPECT_FALSE(plainOutput);
    EXPECT_EQ(m_backend->GetOpenCount(firstIn), 0);
    EXPECT_EQ(m_backend->GetOpenCount(firstOut), 0);
}

TEST_F(MidiCommTest, PortsAreFoundByTheEndOfTheProductNameOrNotAtAll)
{
    m_backend->AddDevice(MidiDirection::Input, "2- Vedidu");
    m_backend->AddDevice(MidiDirection::Output, "2- VEDIDU");
    const auto other = m_backend->AddDevice(MidiDirection::Input, "Vedidu Keys");

    RCPtr<LMidiCapturePort> input;
    ASSERT_EQ(m_comm->OpenCapturePort(WString(u"Vedidu"), input), QK_E_INVALIDARG)
        << "both input names contain it";
    ASSERT_EQ(m_comm->OpenCapturePort(WString(u"- Vedidu"), input), QK_OK);
    EXPECT_TRUE(input->GetDeviceName().IsEqual(u"2- Vedidu"));
    EXPECT_TRUE(input->GetPortName().IsEqual(u"- Vedidu"));
    RCPtr<LMidiRenderPort> output;
    ASSERT_EQ(m_comm->OpenRenderPort(WString(u"vedidu"), output), QK_OK);
    EXPECT_TRUE(output->GetDeviceName().IsEqual(u"2- VEDIDU"));

    // Contained but not at the end: no device, and the port stays closed.
    RCPtr<LMidiCapturePort> missing;
    EXPECT_EQ(m_comm->OpenCapturePort(WString(u"Vedidu K"), missing), QK_E_FAIL);
    EXPECT_FALSE(missing);
    EXPECT_EQ(m_backend->GetOpenCount(other), 0);
    RCPtr<LMidiRenderPort> missingOutput;
    EXPECT_EQ(m_comm->OpenRenderPort(WString(u"Nothing"), missingOutput), QK_E_FAIL);
    EXPECT_FALSE(missingOutput);
}

TEST_F(MidiCommTest, AHeldPortIsHandedOutAgainAndClosesWithItsLastReference)
{
    const auto in = m_backend->AddDevice(MidiDirection::Input, "Vedidu");
    const auto out = m_backend->AddDevice(MidiDirection::Output, "Vedidu");

    RCPtr<LMidiCapturePort> a, b;
    ASSERT_EQ(m_comm->OpenCapturePort(WString(u"Vedidu"), a), QK_OK);
    ASSERT_EQ(m_comm->OpenCapturePort(WString(u"Vedidu"), b), QK_OK);
    EXPECT_EQ(a.Get(), b.Get());
    EXPECT_EQ(m_backend->GetOpenCount(in), 1);
    a = nullptr;
    EXPECT_EQ(m_backend->GetOpenConnectionCount(in), 1);
    b = nullptr;
    EXPECT_EQ(m_backend->GetOpenConnectionCount(in), 0);

    RCPtr<LMidiRenderPort> c, d;
    ASSERT_EQ(m_comm->OpenRenderPort(WString(u"Vedidu"), c), QK_OK);
    ASSERT_EQ(m_comm->OpenRenderPort(WString(u"Vedidu"), d), QK_OK);
    EXPECT_EQ(c.Get(), d.Get());
    EXPECT_EQ(m_backend->GetOpenCount(out), 1);
    c = nullptr;
    d = nullptr;
    EXPECT_EQ(m_backend->GetOpenConnectionCount(out), 0);

    // A port that has gone is made anew.
    ASSERT_EQ(m_comm->OpenCapturePort(WString(u"Vedidu"), a), QK_OK);
    EXPECT_EQ(m_backend->GetOpenCount(in), 2);
}

TEST_F(MidiCommTest, AHeldInputPortFollowsItsDeviceBackAndDeliversAgain)
{
    const auto first = m_backend->AddDevice(MidiDirection::Input, "Vedidu");
    const RCPtr<CaptureRecorder> recorder = Subscribe();
    RCPtr<LMidiCapturePort> held;
    ASSERT_EQ(m_comm->OpenCapturePort(WString(u"Vedidu"), held), QK_OK);

    m_backend->RemoveDevice(first);
    RCPtr<LMidiCapturePort> probe;
    EXPECT_EQ(m_comm->OpenCapturePort(WString(u"Vedidu"), probe), QK_E_FAIL);

    const auto second = m_backend->AddDevice(MidiDirection::Input, "Vedidu");
    ASSERT_EQ(m_comm->OpenCapturePort(WString(u"Vedidu"), probe), QK_OK);
    EXPECT_EQ(probe.Get(), held.Get());
    EXPECT_TRUE(m_backend->IsStarted(second));
    ASSERT_TRUE(m_backend->DeliverShort(second, 0x403C90, 7));
    ASSERT_TRUE(recorder->WaitForCount(1));
    EXPECT_EQ(recorder->GetCaptures()[0].bytes, (Bytes{0x90, 0x3C, 0x40}));
}

TEST_F(MidiCommTest, SendAnswersTheBytesSentOrRefusesWithoutSending)
{
    const auto device = m_backend->AddDevice(MidiDirection::Output, "Vedidu");
    RCPtr<LMidiRenderPort> port;
    ASSERT_EQ(m_comm->OpenRenderPort(WString(u"Vedidu"), port), QK_OK);

    struct Case
    {
        Bytes message;
        QKRESULT result;
        bool isLong;
        Bytes sent; // empty: nothing goes out
    };
    const Bytes dump = SysEx(224, 0x11);
    const Case cases[] = {
        {{0x90, 0x3C, 0x7F}, 3, false, {0x90, 0x3C, 0x7F}},
        {{0x90, 0x3C, 0x7F, 0x55}, 3, false, {0x90, 0x3C, 0x7F}},
        {{0xC3, 0x05}, 2, false, {0xC3, 0x05}},
        {{0xFE}, 1, false, {0xFE}},
        {dump, 224, true, dump},
        {{0x01, 0x02, 0x03}, 3, true, {0x01, 0x02, 0x03}},
        {{0x90, 0x3C}, QK_E_INVALIDARG, false, {}},
        {{0xE0}, QK_E_INVALIDARG, false, {}},
        {{}, QK_E_INVALIDARG, false, {}},
    };
    for (const Case& c : cases)
    {
        m_backend->ClearSent();
        EXPECT_EQ(m_comm->SendByteArray(port.Get(), ToArray(c.message)), c.result) << c.message.size();
        const auto sent = m_backend->GetSent();
        if (c.sent.empty())
        {
            EXPECT_TRUE(sent.empty());
            continue;
        }
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].device, device);
        EXPECT_EQ(sent[0].isLong, c.isLong);
        EXPECT_EQ(sent[0].bytes, c.sent);
    }

    ConstRCPtr<LIBuffer> buffer;
    LBufferT<1, 0>::Create(buffer, static_cast<std::uint32_t>(dump.size()));
    std::copy(dump.begin(), dump.end(), static_cast<std::uint8_t*>(buffer->GetBuffer()));
    EXPECT_EQ(m_comm->SendBuffer(port.Get(), buffer), 224);
    EXPECT_EQ(m_comm->SendBuffer(port.Get(), nullptr), QK_E_INVALIDARG);
    EXPECT_EQ(m_comm->SendByteArray(nullptr, ToArray({0x90, 0x3C, 0x7F})), QK_E_INVALIDARG);

    m_backend->SetSendResult(device, kMidiError);
    EXPECT_EQ(m_comm->SendByteArray(port.Get(), ToArray({0x90, 0x3C, 0x7F})), QK_E_FAIL);
    EXPECT_EQ(m_comm->SendByteArray(port.Get(), ToArray(dump)), QK_E_FAIL);
}

TEST_F(MidiCommTest, ShortMessagesReachSubscribersOnTheCaptureWorker)
{
    const auto device = m_backend->AddDevice(MidiDirection::Input, "Vedidu");
    const RCPtr<CaptureRecorder> recorder = Subscribe();
    RCPtr<LMidiCapturePort> port;
    ASSERT_EQ(m_comm->OpenCapturePort(WString(u"Vedidu"), port), QK_OK);

    ASSERT_TRUE(m_backend->DeliverShort(device, 0x7F3C90, 1234));
    ASSERT_TRUE(m_backend->DeliverShort(device, 0x12C5, 1240));
    ASSERT_TRUE(m_backend->DeliverShort(device, 0x0A05F2, 1250));
    ASSERT_TRUE(recorder->WaitForCount(3));
    const auto captures = recorder->GetCaptures();
    EXPECT_EQ(captures[0].bytes, (Bytes{0x90, 0x3C, 0x7F}));
    EXPECT_EQ(captures[0].timeStamp, 1234u);
    EXPECT_EQ(captures[0].portName, "Vedidu");
    EXPECT_NE(captures[0].thread, std::this_thread::get_id());
    EXPECT_EQ(captures[1].bytes, (Bytes{0xC5, 0x12}));
    EXPECT_EQ(captures[2].bytes, (Bytes{0xF2, 0x05, 0x0A}));
}

TEST_F(MidiCommTest, SysExPiecesAreJoinedAndLoosePiecesDropped)
{
    const auto device = m_backend->AddDevice(MidiDirection::Input, "Vedidu");
    const RCPtr<CaptureRecorder> recorder = Subscribe();
    RCPtr<LMidiCapturePort> port;
    ASSERT_EQ(m_comm->OpenCapturePort(WString(u"Vedidu"), port), QK_OK);

    Bytes first(256, 0x11);
    first[0] = 0xF0;
    Bytes second(44, 0x22);
    second.back() = 0xF7;
    ASSERT_TRUE(m_backend->DeliverSysExChunk(device, first, false));
    ASSERT_TRUE(m_backend->DeliverSysExChunk(device, second, true));
    // A complete piece that is not the start of a message is no message.
    Bytes loose(10, 0x01);
    loose[0] = 0x90;
    ASSERT_TRUE(m_backend->DeliverSysExChunk(device, loose, true));
    const Bytes marker = {0xF0, 0x7D, 0xF7};
    ASSERT_TRUE(m_backend->DeliverSysExChunk(device, marker, true));
    // Whole messages cut by the back end come out whole.
    const Bytes dump = SysEx(600, 0x33);
    ASSERT_TRUE(m_backend->DeliverMessage(device, dump));

    ASSERT_TRUE(recorder->WaitForCount(3));
    const auto captures = recorder->GetCaptures();
    Bytes joined = first;
    joined.insert(joined.end(), second.begin(), second.end());
    ASSERT_EQ(captures[0].bytes.size(), 300u);
    EXPECT_EQ(captures[0].bytes, joined);
    EXPECT_EQ(captures[0].timeStamp, 0u);
    EXPECT_EQ(captures[1].bytes, marker);
    EXPECT_EQ(captures[2].bytes, dump);
}

TEST_F(MidiCommTest, TheLastSubscriberReceivesFirstAndAFilterSkipsOnlyItsOwner)
{
    const auto device = m_backend->AddDevice(MidiDirection::Input, "Vedidu");
    const auto log = std::make_shared<CaptureRecorder::Log>();
    const RCPtr<CaptureRecorder> early = Subscribe("early", log);
    const RCPtr<CaptureRecorder> late = Subscribe("late", log);
    RCPtr<LMidiCapturePort> port;
    ASSERT_EQ(m_comm->OpenCapturePort(WString(u"Vedidu"), port), QK_OK);

    ASSERT_TRUE(m_backend->DeliverShort(device, 0x7F3C90, 0));
    ASSERT_TRUE(early->WaitForCount(1));
    {
        std::lock_guard lock(log->mutex);
        EXPECT_EQ(log->tags, (std::vector<std::string>{"late", "early"}));
    }

    const ConstRCPtr<LIMidiFilter> filter(new RefusingFilter(0x90));
    ASSERT_EQ(m_comm->SetFilter(early.Get(), filter), QK_OK);
    const ConstRCPtr<LIMidiFilter> copy = m_comm->GetFilter(early.Get());
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.Get(), filter.Get());
    EXPECT_FALSE(m_comm->GetFilter(late.Get()));

    ASSERT_TRUE(m_backend->DeliverShort(device, 0x7F3C90, 0));
    ASSERT_TRUE(m_backend->DeliverShort(device, 0x003C80, 0));
    ASSERT_TRUE(early->WaitForCount(2));
    ASSERT_TRUE(late->WaitForCount(3));
    const auto earlyCaptures = early->GetCaptures();
    EXPECT_EQ(earlyCaptures[1].bytes, (Bytes{0x80, 0x3C, 0x00}));

    ASSERT_EQ(m_comm->SetFilter(early.Get(), nullptr), QK_OK);
    EXPECT_FALSE(m_comm->GetFilter(early.Get()));
}

TEST_F(MidiCommTest, DistributeWithoutSubscribersDropsTheCapture)
{
    const RCPtr<LMidiCaptureNotificationData> capture =
        LMidiCaptureNotificationData::Create(WString(u"Vedidu"), 3, nullptr);
    const std::uint8_t bytes[] = {0x90, 0x3C, 0x7F};
    ASSERT_TRUE(capture->Append(bytes, 3));
    EXPECT_EQ(m_comm->Distribute(capture), QK_FALSE);
    const RCPtr<CaptureRecorder> recorder = Subscribe();
    EXPECT_EQ(m_comm->Distribute(capture), QK_OK);
    EXPECT_EQ(recorder->GetCount(), 1u);
}

TEST_F(MidiCommTest, CapturesAreAlsoPostedToTheCentreWhenOneIsSet)
{
    const auto device = m_backend->AddDevice(MidiDirection::Input, "Vedidu");
    const RCPtr<LNotificationCenter> centre = LNotificationCenter::Create(WString(u"midi test"));
    m_comm->SetNotificationCenter(centre);
    RCPtr<CaptureRecorder> recorder(new CaptureRecorder());
    ASSERT_NE(recorder->Subscribe(centre, kNidMidiDataCaptured), 0u);
    RCPtr<LMidiCapturePort> port;
    ASSERT_EQ(m_comm->OpenCapturePort(WString(u"Vedidu"), port), QK_OK);

    ASSERT_TRUE(m_backend->DeliverShort(device, 0x7F3C90, 0));
    ASSERT_TRUE(WaitUntil([&] { return centre->GetQueuedCount() == 1; }));
    EXPECT_EQ(recorder->GetCount(), 0u);
    centre->DispatchNotifications(false);
    ASSERT_EQ(recorder->GetCount(), 1u);
    EXPECT_EQ(recorder->GetCaptures()[0].thread, std::this_thread::get_id());
    m_comm->SetNotificationCenter(nullptr);
    recorder->UnsubscribeAll();
}

// A flood the worker cannot keep up with (here it keeps up with nothing) is held to the
// backlog bound: short messages beyond it are dropped, SysEx messages are kept, an endless
// SysEx is dropped whole, and a reply in the middle of it all comes out whole, in order.
TEST_F(MidiCommTest, AFloodIsHeldToTheBacklogBoundAndRepliesComeThroughWhole)
{
    const auto device = m_backend->AddDevice(MidiDirection::Input, "Vedidu");
    const RCPtr<GatedCaptureRecorder> recorder(new GatedCaptureRecorder());
    ASSERT_NE(recorder->Subscribe(m_comm, kNidMidiDataCaptured), 0u);
    RCPtr<LMidiCapturePort> port;
    ASSERT_EQ(m_comm->OpenCapturePort(WString(u"Vedidu"), port), QK_OK);
    const auto* comm = dynamic_cast<const LMidiComm*>(m_comm.Get());
    ASSERT_NE(comm, nullptr);

    ASSERT_TRUE(m_backend->DeliverShort(device, 0x7F3C90, 0));
    ASSERT_TRUE(recorder->WaitUntilHeld());

    Bytes dump = SysEx(224, 0x33);
    dump[7] = 0x03;
    // What RtMidi's JACK input hands over after an unterminated SysEx: all of it up to the
    // next F7, here a dump's.
    Bytes joined = SysEx(100000, 0x01);
    joined.pop_back();
    joined.insert(joined.end(), {0x90, 0x3C, 0x64, 0xF8});
    joined.insert(joined.end(), dump.begin(), dump.end());
    constexpr int kFlood = 20000;
    std::uint32_t peak = 0;
    for (int i = 0; i < kFlood; ++i)
    {
        const std::uint32_t messages[] = {0x7F3C90u, 0x003C80u, 0x4007B0u, 0xF8u};
        m_backend->DeliverShort(device, messages[i % 4], static_cast<std::uint32_t>(i));
        if (i == kFlood / 2)
        {
            ASSERT_TRUE(m_backend->DeliverMessage(device, joined));
        }
        peak = std::max(peak, comm->GetQueuedCaptureCount());
    }
    ASSERT_TRUE(m_backend->DeliverMessage(device, dump));
    EXPECT_GE(peak, LMidiComm::kMaxQueuedShortMessages) << "the flood never filled the backlog";
    // The held capture, the short messages up to the bound, and the two dumps.
    EXPECT_LE(comm->GetQueuedCaptureCount(), LMidiComm::kMaxQueuedShortMessages + 2);

    recorder->Open();
    ASSERT_TRUE(WaitUntil([&] { return comm->GetQueuedCaptureCount() == 0; }));
    const auto captures = recorder->GetCaptures();
    std::vector<std::size_t> dumps;
    for (std::size_t i = 0; i < captures.size(); ++i)
    {
        EXPECT_LE(captures[i].bytes.size(), 224u) << "the endless SysEx was not dropped whole";
        if (captures[i].bytes == dump)
            dumps.push_back(i);
    }
    EXPECT_EQ(dumps.size(), 2u);
    EXPECT_EQ(dumps.empty() ? 0 : dumps.back(), captures.size() - 1) << "the last dump came out of order";
}

// Captures still queued keep the transport alive; whichever thread lets go of it last
// destroys it, the capture worker included.
TEST_F(MidiCommTest, LettingGoWhileCapturesAreQueuedIsSafe)
{
    const auto device = m_backend->AddDevice(MidiDirection::Input, "Vedidu");
    for (int round = 0; round < 20; ++round)
    {
        RCPtr<CaptureRecorder> recorder = Subscribe();
        RCPtr<LMidiCapturePort> port;
        ASSERT_EQ(m_comm->OpenCapturePort(WString(u"Vedidu"), port), QK_OK);
        for (std::uint32_t i = 0; i < 50; ++i)
            m_backend->DeliverShort(device, 0x7F3C90 | (i << 8), i);
        recorder->UnsubscribeAll();
        port = nullptr;
        m_comm = LMidiCommInterface::Create();
    }
}

} // namespace
} // namespace QK
