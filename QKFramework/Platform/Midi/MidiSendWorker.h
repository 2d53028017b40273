// MidiSendWorker: sends the messages of one open output device, one at a time and in order,
// on a thread of its own, so that a send which the MIDI system does not finish fails after
// its time-out instead of holding the caller.
//
// Send copies the bytes, so the caller's buffer is free again when Send returns, whatever
// the outcome. A message whose time ran out before it was begun is never sent; one already
// being sent finishes on the worker thread, which later messages then wait behind.
//
// The send function runs on the worker thread only. Shutdown (and the destructor) waits a
// bounded time for the send in progress; a worker still stuck after that is left to finish
// alone, and what it uses (the send function and everything it holds) stays alive with it.
#pragma once

#include "QKFramework/ObjectBase/Result.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace QK
{

class MidiSendWorker
{
public:
    // Answers a kMidi* result for one message; may block.
    using SendFunction = std::function<QKRESULT(const std::vector<std::uint8_t>&)>;

    static constexpr std::uint32_t kJoinTimeoutMs = 2000;

    explicit MidiSendWorker(SendFunction send);
    MidiSendWorker(const MidiSendWorker&) = delete;
    MidiSendWorker& operator=(const MidiSendWorker&) = delete;
    ~MidiSendWorker();

    // The send function's result, kMidiNotReady when it has not finished within timeoutMs,
    // kMidiError once shut down.
    QKRESULT Send(const std::uint8_t* bytes, std::size_t count, std::uint32_t timeoutMs);

    // Stops taking messages, fails those still waiting and ends the thread, waiting up to
    // joinTimeoutMs for a send in progress. Further calls do nothing.
    void Shutdown(std::uint32_t joinTimeoutMs = kJoinTimeoutMs);

private:
    struct Job;
    struct State;

    static void Run(const std::shared_ptr<State>& state);

    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

} // namespace QK
