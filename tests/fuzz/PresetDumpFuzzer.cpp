// libFuzzer target for what a MIDI system reports as one message: the back ends' reading of
// it into sink calls, checked against a byte-by-byte model of the MIDI stream (a status byte
// begins a message, a SysEx runs to its F7 or the next status byte, real-time bytes stand on
// their own), with every SysEx in chunks of at most 256 bytes, the last one complete; and the
// cutting of a preset dump into the model's values.
#include "QKFramework/Midi/MidiBackend.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/PresetDumpCheck.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace
{

using Bytes = std::vector<std::uint8_t>;

// A short message (packed), or a whole SysEx message.
struct Event
{
    bool sysEx = false;
    std::uint32_t packed = 0;
    Bytes bytes;

    bool operator==(const Event&) const = default;
};

class ChunkSink final : public QK::IMidiInputSink
{
public:
    void OnMidiShortMessage(std::uint32_t message, std::uint32_t timeMs) override
    {
        FUZZ_CHECK(timeMs == 7);
        events.push_back({false, message, {}});
    }

    void OnMidiSysExChunk(const std::uint8_t* bytes, std::size_t count, bool complete) override
    {
        FUZZ_CHECK(count >= 1 && count <= QK::kMidiSysExChunkSize);
        joining.insert(joining.end(), bytes, bytes + count);
        if (complete)
        {
            events.push_back({true, 0, joining});
            joining.clear();
        }
    }

    std::vector<Event> events;
    Bytes joining;
};

// The messages in data, read one byte at a time.
std::vector<Event> ReadStream(const std::uint8_t* data, std::size_t size)
{
    std::vector<Event> events;
    Bytes sysEx;
    bool inSysEx = false;
    Bytes pendingRealTime; // inside a SysEx, after its last byte so far
    Bytes shortMessage;    // status and data bytes so far
    const auto flushShort = [&]
    {
        if (!shortMessage.empty())
            events.push_back({false, QK::PackMidiShortMessage(shortMessage.data(), shortMessage.size()), {}});
        shortMessage.clear();
    };
    const auto flushRealTime = [&]
    {
        for (const std::uint8_t byte : pendingRealTime)
            events.push_back({false, byte, {}});
        pendingRealTime.clear();
    };
    const auto endSysEx = [&]
    {
        events.push_back({true, 0, sysEx});
        sysEx.clear();
        inSysEx = false;
        flushRealTime();
    };

    for (std::size_t i = 0; i < size; ++i)
    {
        const std::uint8_t byte = data[i];
        if (inSysEx)
        {
            if (byte >= 0xF8)
            {
                pendingRealTime.push_back(byte);
                continue;
            }
            if (byte < 0x80 || byte == 0xF7)
            {
                flushRealTime();
                sysEx.push_back(byte);
                if (byte == 0xF7)
                    endSysEx();
                continue;
            }
            endSysEx();
        }
        if (byte < 0x80)
        {
            if (!shortMessage.empty() && shortMessage.size() < QK::MidiShortMessageLength(shortMessage[0]))
                shortMessage.push_back(byte);
            else
                flushShort();
            continue;
        }
        flushShort();
        if (byte == 0xF0)
        {
            inSysEx = true;
            sysEx.push_back(byte);
        }
        else if (byte >= 0xF8)
            events.push_back({false, byte, {}});
        else if (byte != 0xF7)
            shortMessage.push_back(byte);
    }
    flushShort();
    if (inSysEx)
        endSysEx();
    return events;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > std::numeric_limits<std::uint32_t>::max())
        return 0;

    ChunkSink sink;
    QK::DeliverMidiMessage(sink, data, size, 7);
    FUZZ_CHECK(sink.joining.empty());
    FUZZ_CHECK(sink.events == ReadStream(data, size));

    VediduFuzz::CheckPresetDump(reinterpret_cast<const signed char*>(data), static_cast<std::uint32_t>(size));
    return 0;
}
