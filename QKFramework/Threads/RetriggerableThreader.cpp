#include "QKFramework/Threads/RetriggerableThreader.h"

#include "QKFramework/Threads/Event.h"
#include "QKFramework/Threads/WorkerRun.h"

#include <atomic>
#include <mutex>
#include <utility>

namespace QK
{

// Everything the thread loop touches: shared with the loop, so that a thread detached by a
// destructor that gave up waiting still finds it.
struct RetriggerableThreader::State
{
    // The run handed over by a trigger, taken by the loop.
    struct Run
    {
        RCPtr<LThreadWorker> worker;
        ConstRCPtr<LRefCountedObject> params;
        RCPtr<LEvent> gate;
    };

    Event trigger{true};
    std::atomic<bool> busy{false};
    std::atomic<bool> stopping{false};
    std::atomic<std::uint32_t> lastResult{0};
    // Guards the stored run and orders a trigger's test of stopping against the stop: a run
    // stored just before the stop is still seen, and dropped, by the ending loop.
    std::mutex runLock;
    Run run;
};

RetriggerableThreader::RetriggerableThreader() : RetriggerableThreader(WString()) {}

RetriggerableThreader::RetriggerableThreader(const WString& name, std::uint32_t joinLimitMs)
    : m_state(std::make_shared<State>()),
      m_thread([state = m_state] { return ThreadProc(*state); }, joinLimitMs), m_joinLimitMs(joinLimitMs),
      m_name(name)
{
    m_thread.SetPriorityBoost(false);
    // Without a thread no run could ever end: refuse every trigger instead.
    if (!m_thread.Start())
        m_state->stopping.store(true, std::memory_order_release);
}

RetriggerableThreader::~RetriggerableThreader()
{
    Stop();
    m_thread.Join(m_joinLimitMs);
}

QKRESULT RetriggerableThreader::Trigger(const ConstRCPtr<LThreadWorker>& worker,
                                        const ConstRCPtr<LRefCountedObject>& params,
                                        const ConstRCPtr<LEvent>& gate, std::int32_t priority)
{
    return TriggerRun(worker, params, gate, priority);
}

QKRESULT RetriggerableThreader::TriggerUngated(const ConstRCPtr<LThreadWorker>& worker,
                                               const ConstRCPtr<LRefCountedObject>& params,
                                               std::int32_t priority)
{
    return TriggerRun(worker, params, nullptr, priority);
}

QKRESULT RetriggerableThreader::TriggerRun(const ConstRCPtr<LThreadWorker>& worker,
                                           const ConstRCPtr<LRefCountedObject>& params,
                                           const ConstRCPtr<LEvent>& gate, std::int32_t priority)
{
    State& state = *m_state;
    if (state.stopping.load(std::memory_order_acquire))
        return QK_E_FAIL;
    if (state.busy.load(std::memory_order_acquire) && m_thread.IsFinished())
        state.busy.store(false, std::memory_order_release);

    std::lock_guard lock(state.runLock);
    if (state.stopping.load(std::memory_order_acquire))
        return QK_E_FAIL;
    // Taking busy first makes racing triggers safe: only one of them stores a run.
    bool idle = false;
    if (!state.busy.compare_exchange_strong(idle, true, std::memory_order_acq_rel))
        return QK_E_FAIL;

    m_thread.SetPriority(priority);
    state.run.worker = RCPtr<LThreadWorker>::DynamicCast(worker);
    state.run.params = params;
    state.run.gate = RCPtr<LEvent>::DynamicCast(gate);
    if (state.run.gate)
        state.run.gate->Reset();
    if (!state.trigger.Set())
    {
        state.busy.store(false, std::memory_order_release);
        return QK_E_FAIL;
    }
    return QK_OK;
}

std::uint32_t RetriggerableThreader::ThreadProc(State& state)
{
    // Ends a run: the parameters and the worker are let go first, then busy is cleared, and
    // only then the gate goes green, so a caller woken by it may trigger again at once.
    const auto finish = [&state](State::Run& run)
    {
        run.params = nullptr;
        run.worker = nullptr;
        RCPtr<LEvent> gate = std::move(run.gate);
        state.busy.store(false, std::memory_order_release);
        if (gate)
            gate->Set();
    };

    while (!state.stopping.load(std::memory_order_acquire))
    {
        state.trigger.Wait(kInfinite);
        State::Run run;
        {
            std::lock_guard lock(state.runLock);
            run = std::move(state.run);
        }
        if (!state.stopping.load(std::memory_order_acquire) && run.worker)
            state.lastResult.store(RunWorker("QK::RetriggerableThreader", *run.worker, run.params),
                                   std::memory_order_release);
        finish(run);
    }
    // A run stored while the loop was on its way out is not run, but its gate still opens.
    State::Run left;
    {
        std::lock_guard lock(state.runLock);
        left = std::move(state.run);
    }
    finish(left);
    return 0;
}

WString RetriggerableThreader::ToString() const
{
    std::lock_guard lock(m_nameLock);
    return m_name;
}

void RetriggerableThreader::SetName(const WString& name)
{
    std::lock_guard lock(m_nameLock);
    m_name = name;
}

bool RetriggerableThreader::IsBusy() const
{
    return m_state->busy.load(std::memory_order_acquire);
}

bool RetriggerableThreader::IsFinished()
{
    if (!m_thread.IsFinished())
        return false;
    m_state->busy.store(false, std::memory_order_release);
    return true;
}

std::uint32_t RetriggerableThreader::GetLastResult() const
{
    return m_state->lastResult.load(std::memory_order_acquire);
}

void RetriggerableThreader::Stop()
{
    {
        std::lock_guard lock(m_state->runLock);
        m_state->stopping.store(true, std::memory_order_release);
    }
    m_state->trigger.Set();
}

bool RetriggerableThreader::Join(std::uint32_t timeoutMs)
{
    return m_thread.Join(timeoutMs);
}

} // namespace QK
