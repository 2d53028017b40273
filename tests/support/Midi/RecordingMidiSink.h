// RecordingMidiSink: an input sink that keeps everything it is given, for tests. It may be
// called on any thread; the accessors answer copies.
#pragma once

#include "QKFramework/Midi/MidiBackend.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace QK::TestSupport
{

class RecordingMidiSink final : public IMidiInputSink
{
public:
    struct ShortMessage
    {
        std::uint32_t message = 0;
        std::uint32_t timeMs = 0;
    };

    struct SysExChunk
    {
        std::vector<std::uint8_t> bytes;
        bool complete = false;
    };

    void OnMidiShortMessage(std::uint32_t message, std::uint32_t timeMs) override
    {
        std::lock_guard lock(m_mutex);
        m_shorts.push_back({message, timeMs});
    }

    void OnMidiSysExChunk(const std::uint8_t* bytes, std::size_t count, bool complete) override
    {
        std::lock_guard lock(m_mutex);
        m_chunks.push_back({std::vector<std::uint8_t>(bytes, bytes + count), complete});
    }

    std::vector<ShortMessage> GetShortMessages() const
    {
        std::lock_guard lock(m_mutex);
        return m_shorts;
    }

    std::vector<SysExChunk> GetSysExChunks() const
    {
        std::lock_guard lock(m_mutex);
        return m_chunks;
    }

    // The SysEx messages completed so far, each joined from its chunks.
    std::vector<std::vector<std::uint8_t>> GetSysExMessages() const
    {
        std::lock_guard lock(m_mutex);
        std::vector<std::vector<std::uint8_t>> messages;
        std::vector<std::uint8_t> joined;
        for (const SysExChunk& chunk : m_chunks)
        {
            joined.insert(joined.end(), chunk.bytes.begin(), chunk.bytes.end());
            if (chunk.complete)
            {
                messages.push_back(joined);
                joined.clear();
            }
        }
        return messages;
    }

    std::size_t GetCallCount() const
    {
        std::lock_guard lock(m_mutex);
        return m_shorts.size() + m_chunks.size();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<ShortMessage> m_shorts;
    std::vector<SysExChunk> m_chunks;
};

} // namespace QK::TestSupport
