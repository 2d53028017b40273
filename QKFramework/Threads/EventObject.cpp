#include "QKFramework/Threads/EventObject.h"

#include <algorithm>
#include <chrono>

namespace QK
{
namespace
{

using Clock = std::chrono::steady_clock;

Clock::time_point DeadlineAfter(std::uint32_t timeoutMs)
{
    return Clock::now() + std::chrono::milliseconds(timeoutMs);
}

} // namespace

void EventObject::Set()
{
    // Everything happens under the event's lock: a WaitAny that has seen the signal removes
    // its watcher under this lock before the watcher goes away, and a waiter that returns
    // may destroy the event at once, so nothing may touch either after the lock is released.
    std::lock_guard lock(m_mutex);
    m_signalled = true;
    if (m_autoReset)
        m_changed.notify_one();
    else
        m_changed.notify_all();
    for (Watcher* watcher : m_watchers)
    {
        std::lock_guard watcherLock(watcher->mutex);
        watcher->woken = true;
        watcher->changed.notify_one();
    }
}

void EventObject::Reset()
{
    std::lock_guard lock(m_mutex);
    m_signalled = false;
}

bool EventObject::TryConsume()
{
    if (!m_signalled)
        return false;
    if (m_autoReset)
        m_signalled = false;
    return true;
}

std::uint32_t EventObject::Wait(std::uint32_t timeoutMs)
{
    std::unique_lock lock(m_mutex);
    if (timeoutMs == kInfinite)
    {
        m_changed.wait(lock, [this] { return m_signalled; });
    }
    else if (!m_changed.wait_until(lock, DeadlineAfter(timeoutMs), [this] { return m_signalled; }))
    {
        return kWaitTimeout;
    }
    TryConsume();
    return kWaitSignalled;
}

void EventObject::AddWatcher(Watcher* watcher)
{
    std::lock_guard lock(m_mutex);
    m_watchers.push_back(watcher);
}

void EventObject::RemoveWatcher(Watcher* watcher)
{
    std::lock_guard lock(m_mutex);
    m_watchers.erase(std::remove(m_watchers.begin(), m_watchers.end(), watcher), m_watchers.end());
}

std::uint32_t EventObject::WaitAny(std::span<EventObject* const> events, std::uint32_t timeoutMs)
{
    if (events.empty() || std::find(events.begin(), events.end(), nullptr) != events.end())
        return kWaitFailed;

    Watcher watcher;
    for (EventObject* event : events)
        event->AddWatcher(&watcher);
    const Clock::time_point deadline = DeadlineAfter(timeoutMs == kInfinite ? 0 : timeoutMs);

    std::uint32_t result = kWaitTimeout;
    for (;;)
    {
        {
            std::lock_guard lock(watcher.mutex);
            watcher.woken = false;
        }
        // A Set that lands after this scan sets woken again, so the wait below cannot miss it.
        bool found = false;
        for (std::size_t i = 0; i < events.size() && !found; ++i)
        {
            std::lock_guard lock(events[i]->m_mutex);
            if (events[i]->TryConsume())
            {
                result = static_cast<std::uint32_t>(i);
                found = true;
            }
        }
        if (found)
            break;
        std::unique_lock lock(watcher.mutex);
        if (timeoutMs == kInfinite)
            watcher.changed.wait(lock, [&] { return watcher.woken; });
        else if (!watcher.changed.wait_until(lock, deadline, [&] { return watcher.woken; }))
            break;
    }

    for (EventObject* event : events)
        event->RemoveWatcher(&watcher);
    return result;
}

} // namespace QK
