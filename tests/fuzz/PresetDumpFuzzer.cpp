// libFuzzer target for a whole SysEx message as the MIDI system reports it: the back ends'
// cutting into sink calls (chunks of at most 256 bytes that join back to the message, the
// last one complete), and the cutting of a preset dump into the model's values.
#include "QKFramework/Midi/MidiBackend.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/PresetDumpCheck.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace
{

class ChunkSink final : public QK::IMidiInputSink
{
public:
    void OnMidiShortMessage(std::uint32_t message, std::uint32_t timeMs) override
    {
        shortMessages.push_back(message);
        FUZZ_CHECK(timeMs == 7);
    }

    void OnMidiSysExChunk(const std::uint8_t* bytes, std::size_t count, bool complete) override
    {
        FUZZ_CHECK(count >= 1 && count <= QK::kMidiSysExChunkSize);
        FUZZ_CHECK(!completed);
        joined.insert(joined.end(), bytes, bytes + count);
        completed = complete;
        ++chunks;
    }

    std::vector<std::uint32_t> shortMessages;
    std::vector<std::uint8_t> joined;
    bool completed = false;
    std::size_t chunks = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > std::numeric_limits<std::uint32_t>::max())
        return 0;

    ChunkSink sink;
    QK::DeliverMidiMessage(sink, data, size, 7);
    if (size == 0 || data[0] < 0x80)
    {
        FUZZ_CHECK(sink.shortMessages.empty() && sink.chunks == 0);
    }
    else if (data[0] == 0xF0)
    {
        FUZZ_CHECK(sink.shortMessages.empty());
        FUZZ_CHECK(sink.completed);
        FUZZ_CHECK(sink.joined == std::vector<std::uint8_t>(data, data + size));
        FUZZ_CHECK(sink.chunks == (size + QK::kMidiSysExChunkSize - 1) / QK::kMidiSysExChunkSize);
    }
    else
    {
        FUZZ_CHECK(sink.chunks == 0 && sink.shortMessages.size() == 1);
        const std::size_t length = size < 3 ? size : 3;
        FUZZ_CHECK(sink.shortMessages[0] == QK::PackMidiShortMessage(data, length));
    }

    VediduFuzz::CheckPresetDump(reinterpret_cast<const signed char*>(data), static_cast<std::uint32_t>(size));
    return 0;
}
