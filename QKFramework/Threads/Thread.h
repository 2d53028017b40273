// Thread: one operating-system thread, created suspended.
//
// The thread runs nothing until Start (or a Join of a thread never started, which lets it
// end without running its body). Its owner stops it by ending the body's work and joining;
// the destructor joins up to the join limit (60000 ms unless the owner gives another) and,
// when the thread still runs then, detaches it and reports it: a thread is never killed.
// The body and everything the thread touches of this object live in a shared record that
// the running thread holds too, so a detached thread never outlives its state.
//
// Start, IsFinished and Join may be called from any thread; they are serialised by the
// thread's state lock, which Join holds for its whole wait. Joining a thread from the
// thread itself answers false at once instead of waiting forever.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace QK
{

// What a thread shares with its Thread object: the body, the start and join state, the done
// light. Private to Thread.cpp.
struct ThreadState;

// A thread routine: one untyped argument, a 32-bit exit code.
using ThreadFunction = std::uint32_t (*)(void* argument);

inline constexpr std::uint32_t kThreadJoinTimeoutMs = 60000;

// Thread priorities as callers give them, Win32 levels: 0 normal, 2 highest (also -15 idle,
// -2 lowest, -1 below normal, 1 above normal, 15 time critical).
inline constexpr std::int32_t kThreadPriorityNormal = 0;
inline constexpr std::int32_t kThreadPriorityHighest = 2;

class Thread
{
public:
    Thread(ThreadFunction function, void* argument, std::uint32_t joinLimitMs = kThreadJoinTimeoutMs);
    // For owners whose thread needs shared state of its own: the body and what it captures
    // live until both this object and the running thread have let go of them.
    explicit Thread(std::function<std::uint32_t()> body, std::uint32_t joinLimitMs = kThreadJoinTimeoutMs);
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    virtual ~Thread();

    // True the first time for a thread that was created; false when already started or
    // when the thread could not be created.
    bool Start();
    // False for a thread never started (its done light is green, but it has not run); true
    // once the body has returned, and at once for a thread that could not be created.
    bool IsFinished();
    // True when the thread has finished within timeoutMs (kInfinite waits for good).
    bool Join(std::uint32_t timeoutMs);

    // The thread's priority as a Win32 level (kThreadPriorityNormal, kThreadPriorityHighest,
    // ...): true when the system did it; false when it refused (raising a priority takes a
    // privilege a desktop user often lacks), for an unknown level, and for a thread that was
    // not created or has ended. A refused change leaves the thread as it was.
    bool SetPriority(std::int32_t priority);
    // Linux gives threads no dynamic priority boost: switching it off is true (that is how
    // the thread runs already), switching it on false. See ThreadScheduling.h.
    bool SetPriorityBoost(bool enable);

private:
    void Launch();

    std::shared_ptr<ThreadState> m_state;
    std::thread m_thread;
    const std::uint32_t m_joinLimitMs;
};

} // namespace QK
