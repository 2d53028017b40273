// The raw exchange the MIDI benchmarks set the editor's against: RtMidi straight to the
// simulated controller's ports, the request for favorite 3 out and its 224-byte dump back,
// with nothing of ours in between. The dump arrives on RtMidi's thread. Header only.
#pragma once

#include "QKFramework/Platform/Midi/MidiPortNames.h"
#include "tests/support/Midi/SimulatorProcess.h"

#include <RtMidi.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace VediduBench
{

inline const std::vector<unsigned char> kGetFavorite3 = {0xF0, 0x47, 0x7F, 0x50, 0x66, 0x00, 0x01, 0x03, 0xF7};
constexpr std::size_t kDumpSize = 224;
constexpr const char* kRawClient = "Vedidu Bench";

// RtMidi straight to the simulator's ports: what the same exchange costs with nothing of
// ours in between.
class RawExchange
{
public:
    bool Open(std::string& error)
    {
        const char* api = std::getenv("VEDIDU_MIDI_API");
        const RtMidi::Api rtApi =
            api && std::strcmp(api, "jack") == 0 ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
        try
        {
            m_in = std::make_unique<RtMidiIn>(rtApi, kRawClient);
            m_out = std::make_unique<RtMidiOut>(rtApi, kRawClient);
            const int in = FindSimulatorPort(*m_in);
            const int out = FindSimulatorPort(*m_out);
            if (in < 0 || out < 0)
            {
                error = "the simulator's ports are not listed";
                return false;
            }
            m_in->ignoreTypes(false, true, true);
            m_in->setCallback(&RawExchange::OnMessage, this);
            m_in->openPort(static_cast<unsigned>(in), "in");
            m_out->openPort(static_cast<unsigned>(out), "out");
        }
        catch (const RtMidiError& e)
        {
            error = e.getMessage();
            return false;
        }
        return true;
    }

    // Sends the request and waits (up to 1 s) for the dump.
    bool RoundTrip()
    {
        {
            std::lock_guard lock(m_mutex);
            m_received = false;
        }
        m_out->sendMessage(&kGetFavorite3);
        std::unique_lock lock(m_mutex);
        return m_arrived.wait_for(lock, std::chrono::seconds(1), [&] { return m_received; });
    }

private:
    static int FindSimulatorPort(RtMidi& midi)
    {
        for (unsigned i = 0; i < midi.getPortCount(); ++i)
            if (QK::IsOwnMidiPort(midi.getPortName(i), QK::TestSupport::SimulatorProcess::kPortName))
                return static_cast<int>(i);
        return -1;
    }

    static void OnMessage(double, std::vector<unsigned char>* message, void* user)
    {
        auto* self = static_cast<RawExchange*>(user);
        if (!message || message->size() != kDumpSize)
            return;
        std::lock_guard lock(self->m_mutex);
        self->m_received = true;
        self->m_arrived.notify_all();
    }

    std::unique_ptr<RtMidiIn> m_in;
    std::unique_ptr<RtMidiOut> m_out;
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    bool m_received = false;
};

} // namespace VediduBench
