// ReconnectingMidiBackend: the MIDI system as it comes and goes.
//
// It stands in front of the back end that a factory makes: while none could be made (no MIDI
// system is running) or the one made has lost its system (IsSystemLost: a JACK server that
// ended), a listing tries the factory again, at most once every kRetryInterval. Until a try
// succeeds, listings are empty and opens fail with kMidiNotFound, as with every device
// unplugged. The connections of a back end that lost its system stay dead (IsAlive false,
// sends fail); the port classes open new ones on the new back end as they do for a device
// plugged in again.
//
// It has no thread of its own: tries happen inside listings, which the presence checker makes
// every half second, so a program without MIDI wakes no more often than it does anyway.
//
// Threads: any. Tries run one at a time, under the back end's lock; listings and opens run on
// the current back end outside it.
#pragma once

#include "QKFramework/Midi/MidiBackend.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

namespace QK
{

class ReconnectingMidiBackend final : public IMidiBackend
{
public:
    using Clock = std::chrono::steady_clock;
    // One try at reaching the MIDI system: a back end, or null when there is none to reach.
    using Factory = std::function<std::shared_ptr<IMidiBackend>()>;

    using Now = std::function<Clock::time_point()>;

    static constexpr std::chrono::milliseconds kRetryInterval{3000};

    // now reads the time the tries are paced by (tests give a clock of their own).
    explicit ReconnectingMidiBackend(Factory factory, Now now = &Clock::now);

    std::vector<std::string> ListDevices(MidiDirection direction) override;
    QKRESULT OpenInput(std::size_t index, IMidiInputSink& sink,
                       std::unique_ptr<IMidiInputConnection>& connection) override;
    QKRESULT OpenOutput(std::size_t index, std::unique_ptr<IMidiOutputConnection>& connection) override;

    // The back end now in use, or null while no system is reached.
    std::shared_ptr<IMidiBackend> GetCurrent();

private:
    // The current back end once any lost one has been left and, when it is time, a new try
    // made.
    std::shared_ptr<IMidiBackend> Reach();

    const Factory m_factory;
    const Now m_now;
    std::mutex m_lock;
    std::shared_ptr<IMidiBackend> m_current; // under m_lock
    bool m_tried = false;                    // under m_lock
    Clock::time_point m_lastTry{};           // under m_lock
};

} // namespace QK
