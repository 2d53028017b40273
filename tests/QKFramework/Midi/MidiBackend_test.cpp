#include "QKFramework/Midi/MidiBackend.h"

#include "tests/support/Midi/FakeMidiBackend.h"
#include "tests/support/Midi/RecordingMidiSink.h"

#include <gtest/gtest.h>

#include <utility>


namespace QK
{
namespace
{

using namespace TestSupport;

struct LengthCase
{
    std::uint8_t status;
    std::size_t length;
};

TEST(MidiShortMessageLengthTest, FollowsTheStatusByte)
{
    const LengthCase cases[] = {
        {0x00, 0}, {0x7F, 0}, {0x80, 3}, {0x9F, 3}, {0xB0, 3}, {0xC0, 2}, {0xDF, 2}, {0xE0, 3}, {0xEF, 3},
        {0xF0, 1}, {0xF1, 2}, {0xF2, 3}, {0xF3, 2}, {0xF4, 1}, {0xF6, 1}, {0xF7, 1}, {0xF8, 1}, {0xFF, 1},
    };
    for (const LengthCase& c : cases)
        EXPECT_EQ(MidiShortMessageLength(c.status), c.length) << std::hex << int(c.status);
}

TEST(DeliverMidiMessageTest, ShortMessagesArePackedLowByteFirst)
{
    struct Case
    {
        std::vector<std::uint8_t> bytes;
        std::uint32_t packed;
    };
    const Case cases[] = {
        {{0x90, 0x3C, 0x7F}, 0x007F3C90u},
        {{0xC5, 0x07}, 0x000007C5u},
        {{0xF8}, 0x000000F8u},
        // More bytes than a short message holds: the first three, as WinMM delivers them.
        {{0xB0, 0x07, 0x64, 0x01}, 0x006407B0u},
    };
    for (const Case& c : cases)
    {
        RecordingMidiSink sink;
        DeliverMidiMessage(sink, c.bytes.data(), c.bytes.size(), 1234);
        const auto shorts = sink.GetShortMessages();
        ASSERT_EQ(shorts.size(), 1u);
        EXPECT_EQ(shorts[0].message, c.packed);
        EXPECT_EQ(shorts[0].timeMs, 1234u);
        EXPECT_TRUE(sink.GetSysExChunks().empty());
    }
}

TEST(DeliverMidiMessageTest, NothingForAnEmptyMessageOrOneStartingWithADataByte)
{
    RecordingMidiSink sink;
    const std::uint8_t data[] = {0x3C, 0x7F, 0xF7};
    DeliverMidiMessage(sink, data, 0, 0);
    DeliverMidiMessage(sink, data, sizeof data, 0);
    EXPECT_EQ(sink.GetCallCount(), 0u);
}

TEST(DeliverMidiMessageTest, SysExIsCutIntoChunksOfAtMost256BytesTheLastComplete)
{
    struct Case
    {
        std::size_t size;
        std::vector<std::size_t> chunkSizes;
    };
    const Case cases[] = {
        {1, {1}},       {9, {9}},           {224, {224}},       {256, {256}},
        {257, {256, 1}}, {300, {256, 44}}, {512, {256, 256}}, {513, {256, 256, 1}},
    };
    for (const Case& c : cases)
    {
        std::vector<std::uint8_t> message(c.size);
        for (std::size_t i = 0; i < c.size; ++i)
            message[i] = static_cast<std::uint8_t>(i & 0x7F);
        message.front() = 0xF0;
        if (c.size > 1)
            message.back() = 0xF7;

        RecordingMidiSink sink;
        DeliverMidiMessage(sink, message.data(), message.size(), 99);

        const auto chunks = sink.GetSysExChunks();
        ASSERT_EQ(chunks.size(), c.chunkSizes.size()) << c.size;
        std::vector<std::uint8_t> joined;
        for (std::size_t i = 0; i < chunks.size(); ++i)
        {
            EXPECT_EQ(chunks[i].bytes.size(), c.chunkSizes[i]) << c.size;
            EXPECT_EQ(chunks[i].complete, i + 1 == chunks.size()) << c.size;
            joined.insert(joined.end(), chunks[i].bytes.begin(), chunks[i].bytes.end());
        }
        EXPECT_EQ(joined, message) << c.size;
        EXPECT_TRUE(sink.GetShortMessages().empty());
    }
}

// What a MIDI system hands over as one message may hold several (RtMidi's JACK input joins
// an unterminated SysEx with everything up to the next F7): each comes out on its own, a
// status byte ends a SysEx, and real-time bytes inside one go out where they stand.
TEST(DeliverMidiMessageTest, StatusBytesSplitWhatCameAsOneMessage)
{
    using Bytes = std::vector<std::uint8_t>;
    const Bytes dump = {0xF0, 0x47, 0x00, 0x50, 0x66, 0x00, 0x01, 0x03, 0x11, 0x22, 0xF7};
    struct Case
    {
        const char* what;
        Bytes bytes;
        std::vector<Bytes> out; // in order; a SysEx joined from its chunks
    };
    auto with = [](Bytes head, const Bytes& tail)
    {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
    const Case cases[] = {
        {"a dump behind an unterminated SysEx, a note and a clock",
         with({0xF0, 0x01, 0x02, 0x03, 0x90, 0x3C, 0x64, 0xF8}, dump),
         {{0xF0, 0x01, 0x02, 0x03}, {0x90, 0x3C, 0x64}, {0xF8}, dump}},
        {"two unterminated SysEx messages before a dump", with({0xF0, 0x01, 0xF0, 0x02}, dump),
         {{0xF0, 0x01}, {0xF0, 0x02}, dump}},
        {"a clock inside a SysEx", {0xF0, 0x47, 0xF8, 0x00, 0xF7}, {{0xF8}, {0xF0, 0x47, 0x00, 0xF7}}},
        {"a clock at the end of a SysEx cut by a note", {0xF0, 0x47, 0xF8, 0x80, 0x3C, 0x00},
         {{0xF0, 0x47}, {0xF8}, {0x80, 0x3C, 0x00}}},
        {"two notes and stray data", {0x90, 0x3C, 0x64, 0x11, 0x80, 0x3C, 0x00}, {{0x90, 0x3C, 0x64}, {0x80, 0x3C, 0x00}}},
    };
    for (const Case& c : cases)
    {
        struct Sink final : IMidiInputSink
        {
            std::vector<Bytes> out;
            Bytes joining;
            void OnMidiShortMessage(std::uint32_t message, std::uint32_t) override
            {
                Bytes bytes;
                const std::uint8_t status = static_cast<std::uint8_t>(message);
                for (std::size_t i = 0; i < MidiShortMessageLength(status); ++i)
                    bytes.push_back(static_cast<std::uint8_t>(message >> (8 * i)));
                out.push_back(bytes);
            }
            void OnMidiSysExChunk(const std::uint8_t* bytes, std::size_t count, bool complete) override
            {
                joining.insert(joining.end(), bytes, bytes + count);
                if (complete)
                    out.push_back(std::exchange(joining, {}));
            }
        } sink;
        DeliverMidiMessage(sink, c.bytes.data(), c.bytes.size(), 0);
        EXPECT_EQ(sink.out, c.out) << c.what;
        EXPECT_TRUE(sink.joining.empty()) << c.what;
    }
}

TEST(MidiBackendServiceTest, SetReplacesTheBackEndAndAnswersThePreviousOne)
{
    auto first = std::make_shared<FakeMidiBackend>();
    auto second = std::make_shared<FakeMidiBackend>();
    const std::shared_ptr<IMidiBackend> before = SetMidiBackend(first);
    EXPECT_EQ(GetMidiBackend(), first);
    EXPECT_EQ(SetMidiBackend(second), first);
    EXPECT_EQ(GetMidiBackend(), second);
    EXPECT_EQ(SetMidiBackend(before), second);
}

} // namespace
} // namespace QK
