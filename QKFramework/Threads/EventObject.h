// EventObject: a waitable event, auto-reset or manual-reset, signalled or not.
//
// Waits answer the classic codes: kWaitSignalled (0), kWaitTimeout (258) or kWaitFailed
// (0xFFFFFFFF, for a closed event); a time-out of kInfinite never expires. An auto-reset
// event lets exactly one waiter through per Set. WaitAny waits on several events at once and
// answers the lowest index that is signalled. Every operation may run on any thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace QK
{

inline constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;
inline constexpr std::uint32_t kWaitSignalled = 0;
inline constexpr std::uint32_t kWaitTimeout = 258;
inline constexpr std::uint32_t kWaitFailed = 0xFFFFFFFFu;

class EventObject
{
public:
    EventObject(bool autoReset, bool signalled) : m_autoReset(autoReset), m_signalled(signalled) {}
    EventObject(const EventObject&) = delete;
    EventObject& operator=(const EventObject&) = delete;

    void Set();
    void Reset();
    std::uint32_t Wait(std::uint32_t timeoutMs);

    // Waits until one of the events is signalled and answers its index (the lowest when
    // several are), consuming the signal of an auto-reset event; kWaitTimeout when the time
    // runs out; kWaitFailed for an empty list or a null event.
    static std::uint32_t WaitAny(std::span<EventObject* const> events, std::uint32_t timeoutMs);

private:
    struct Watcher
    {
        std::mutex mutex;
        std::condition_variable changed;
        bool woken = false;
    };

    // Under m_mutex: takes the signal when there is one.
    bool TryConsume();
    void AddWatcher(Watcher* watcher);
    void RemoveWatcher(Watcher* watcher);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    const bool m_autoReset;
    bool m_signalled;
    std::vector<Watcher*> m_watchers;
};

} // namespace QK
