#include "QKFramework/Threads/Thread.h"

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/Wrapper.h"
#include "QKFramework/Platform/Core/ThreadScheduling.h"
#include "QKFramework/Threads/Event.h"
#include "QKFramework/Threads/LockWord.h"
#include "QKFramework/Threads/ThreadReport.h"
#include "QKFramework/Threads/TrafficLight.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <system_error>
#include <utility>

namespace QK
{
namespace
{

// Status bits: bit 0 resumed, bit 1 creation failed.
constexpr std::uint32_t kCreated = 0;
constexpr std::uint32_t kStarted = 1;
constexpr std::uint32_t kCreationFailed = 2;
constexpr std::uint32_t kResumedByJoin = 3;

using DoneLight = LWrapper<TrafficLight, LRefCountedObject>;

} // namespace

struct ThreadState
{
    explicit ThreadState(std::function<std::uint32_t()> body) : body(std::move(body)) {}

    std::function<std::uint32_t()> body;
    LockWord lock;
    std::atomic<std::uint32_t> status{kCreated};
    std::atomic<bool> entered{false};
    // Red while the body runs, green otherwise (also before the thread first runs).
    RCPtr<DoneLight> doneLight;
    // The gate a created thread waits at until it is started or joined.
    Event resume{false};
    std::thread::id id;

    // The thread's system id, set (and the event with it) first thing when it runs.
    std::atomic<SystemThreadId> systemId{0};
    Event systemIdKnown{false};
    // Held while the thread's scheduling changes, and by the thread as it ends, so that a
    // change never reaches an id the system may already have given to another thread.
    std::mutex schedulingLock;
    bool ended = false;
};

Thread::Thread(ThreadFunction function, void* argument, std::uint32_t joinLimitMs)
    : Thread([function, argument] { return function ? function(argument) : 0u; }, joinLimitMs)
{
}

Thread::Thread(std::function<std::uint32_t()> body, std::uint32_t joinLimitMs)
    : m_state(std::make_shared<ThreadState>(std::move(body))), m_joinLimitMs(joinLimitMs)
{
    m_state->doneLight = RCPtr<DoneLight>(new DoneLight());
    m_state->doneLight->SetGreen();
    Launch();
}

void Thread::Launch()
{
    try
    {
        m_thread = std::thread(
            [state = m_state]
            {
                state->systemId.store(GetCurrentSystemThreadId(), std::memory_order_release);
                state->systemIdKnown.Set();
                state->resume.Wait(kInfinite);
                // The light is held here too, so it outlives an owner destroyed while the body runs.
                RCPtr<DoneLight> light = state->doneLight;
                light->SetRed();
                state->entered.exchange(true, std::memory_order_acq_rel);
                // A thread that a join let go without a start has nothing asked of it.
                if (state->status.load(std::memory_order_acquire) == kStarted)
                    state->body();
                {
                    std::lock_guard lock(state->schedulingLock);
                    state->ended = true;
                }
                light->SetGreen();
            });
        m_state->id = m_thread.get_id();
    }
    catch (const std::system_error&)
    {
        m_state->status.store(kCreationFailed, std::memory_order_release);
    }
}

Thread::~Thread()
{
    const bool finished = Join(m_joinLimitMs);
    if (!m_thread.joinable())
        return;
    if (finished)
    {
        m_thread.join();
        return;
    }
    const bool self = m_thread.get_id() == std::this_thread::get_id();
    m_thread.detach();
    // A thread that releases its own owner ends right after; only a stuck thread is news.
    if (!self)
        ReportThreadDetached(m_joinLimitMs);
}

bool Thread::Start()
{
    LockWordGuard guard(m_state->lock);
    if (m_state->status.load(std::memory_order_acquire) != kCreated)
        return false;
    m_state->status.store(kStarted, std::memory_order_release);
    m_state->resume.Set();
    return true;
}

bool Thread::IsFinished()
{
    LockWordGuard guard(m_state->lock);
    if (m_state->entered.load(std::memory_order_acquire))
        return m_state->doneLight->IsGreen();
    return m_state->status.load(std::memory_order_acquire) == kCreationFailed;
}

bool Thread::Join(std::uint32_t timeoutMs)
{
    if (IsFinished())
        return true;
    if (m_state->id == std::this_thread::get_id())
        return false;

    LockWordGuard guard(m_state->lock);
    const std::uint32_t status = m_state->status.load(std::memory_order_acquire);
    if ((status & kStarted) == 0)
    {
        m_state->status.store(status | kResumedByJoin, std::memory_order_release);
        m_state->resume.Set();
    }
    // Until the thread has entered, the green light is the one left by construction.
    while (!m_state->entered.load(std::memory_order_acquire))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return m_state->doneLight->Wait(timeoutMs) == kWaitSignalled;
}

bool Thread::SetPriority(std::int32_t priority)
{
    ThreadState& state = *m_state;
    if (state.status.load(std::memory_order_acquire) == kCreationFailed)
        return false;
    // A created thread names itself before it waits at its gate: this wait is short.
    state.systemIdKnown.Wait(kInfinite);
    std::lock_guard lock(state.schedulingLock);
    return !state.ended && SetSystemThreadPriority(state.systemId.load(std::memory_order_acquire), priority);
}

bool Thread::SetPriorityBoost(bool enable)
{
    return !enable;
}

} // namespace QK
