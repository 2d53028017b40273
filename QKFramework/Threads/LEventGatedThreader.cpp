#include "QKFramework/Threads/LEventGatedThreader.h"

#include "QKFramework/Threads/EventObject.h"
#include "QKFramework/Threads/WorkerRun.h"

#include <atomic>

namespace QK
{

// Everything the gated loop touches, shared with the loop (see RetriggerableThreader).
struct LEventGatedThreader::State
{
    RCPtr<LEvent> event;
    RCPtr<LThreadWorker> worker;
    ConstRCPtr<LRefCountedObject> params;
    std::atomic<bool> stop{false};
    std::atomic<bool> running{false};
    std::atomic<std::uint32_t> timeoutMs{kInfinite};
    std::atomic<std::uint32_t> lastWaitResult{kWaitSignalled};
};

RCPtr<LEventGatedThreader> LEventGatedThreader::Create(const ConstRCPtr<LEvent>& event,
                                                       const ConstRCPtr<LThreadWorker>& worker,
                                                       const ConstRCPtr<LRefCountedObject>& params,
                                                       std::int32_t priority, std::uint32_t joinLimitMs)
{
    return RCPtr<LEventGatedThreader>(new LEventGatedThreader(event, worker, params, priority, joinLimitMs));
}

LEventGatedThreader::LEventGatedThreader(const ConstRCPtr<LEvent>& event,
                                         const ConstRCPtr<LThreadWorker>& worker,
                                         const ConstRCPtr<LRefCountedObject>& params, std::int32_t priority,
                                         std::uint32_t joinLimitMs)
    : m_state(std::make_shared<State>()),
      m_thread([state = m_state] { return ThreadProc(*state); }, joinLimitMs), m_joinLimitMs(joinLimitMs)
{
    // A private event stands in for a missing one, so the loop still has something to wait on
    // and destruction still wakes it.
    m_state->event = RCPtr<LEvent>::DynamicCast(event ? event : LEvent::Create(true));
    m_state->worker = RCPtr<LThreadWorker>::DynamicCast(worker);
    m_state->params = params;
    m_thread.SetPriority(priority);
    m_thread.SetPriorityBoost(false);
    m_thread.Start();
}

LEventGatedThreader::~LEventGatedThreader()
{
    m_state->stop.store(true, std::memory_order_release);
    m_state->event->Set();
    m_thread.Join(m_joinLimitMs);
}

std::uint32_t LEventGatedThreader::ThreadProc(State& state)
{
    while (!state.stop.load(std::memory_order_acquire))
    {
        state.lastWaitResult.store(state.event->Wait(state.timeoutMs.load(std::memory_order_acquire)),
                                   std::memory_order_release);
        if (state.stop.load(std::memory_order_acquire))
            break;
        if (state.worker)
        {
            state.running.store(true, std::memory_order_release);
            RunWorker("QK::LEventGatedThreader", *state.worker, state.params);
            state.running.store(false, std::memory_order_release);
        }
    }
    return 0;
}

void LEventGatedThreader::SetTimeout(std::uint32_t timeoutMs)
{
    m_state->timeoutMs.store(timeoutMs, std::memory_order_release);
}

std::uint32_t LEventGatedThreader::GetTimeout() const
{
    return m_state->timeoutMs.load(std::memory_order_acquire);
}

bool LEventGatedThreader::IsRunning() const
{
    return m_state->running.load(std::memory_order_acquire);
}

std::uint32_t LEventGatedThreader::GetLastWaitResult() const
{
    return m_state->lastWaitResult.load(std::memory_order_acquire);
}

} // namespace QK
