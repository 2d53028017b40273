// MidiSendWorker: sends the messages of one open output device, one at a time and in order,
// on a thread of its own, so that a send which the MIDI system does not finish fails after
// its time-out instead of holding the caller.
//
// Send copies the bytes, so the caller's buffer is free again when Send returns, whatever
// the outcome. A message whose time ran out before it was begun is never sent; one already
// being sent finishes on the worker thread, which later messages then wait behind.
//
// The send function runs on the worker thread only. Shutdown (and the destructor) waits up
// to the join limit for a send in progress; a worker still stuck then is detached and
// reported (Thread), and what it uses (the send function and everything it holds) stays
// alive with it.
#pragma once

#include "QKFramework/ObjectBase/Result.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace QK
{

class Thread;

class MidiSendWorker
{
public:
    // Answers a kMidi* result for one message; may block.
    using SendFunction = std::function<QKRESULT(const std::vector<std::uint8_t>&)>;

    static constexpr std::uint32_t kJoinLimitMs = 2000;

    explicit MidiSendWorker(SendFunction send, std::uint32_t joinLimitMs = kJoinLimitMs);
    MidiSendWorker(const MidiSendWorker&) = delete;
    MidiSendWorker& operator=(const MidiSendWorker&) = delete;
    ~MidiSendWorker();

    // The send function's result, kMidiNotReady when it has not finished within timeoutMs,
    // kMidiError once shut down or when the thread could not be made.
    QKRESULT Send(const std::uint8_t* bytes, std::size_t count, std::uint32_t timeoutMs);

    // Stops taking messages, fails those still waiting and ends the thread (see above).
    // Further calls do nothing.
    void Shutdown();

private:
    struct Job;
    struct State;

    static void Run(State& state);

    std::shared_ptr<State> m_state;
    std::unique_ptr<Thread> m_thread;
};

} // namespace QK
