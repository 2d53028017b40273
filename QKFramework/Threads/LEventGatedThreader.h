// LEventGatedThreader: one thread that runs the same worker every time a shared LEvent is
// set, and also each time its wait times out.
//
// The owner makes it run by setting the event; one set wakes the loop once, and sets that
// come while the worker runs make exactly one more run (the auto-reset event holds one
// pending set). The time-out may change at any time; it takes effect at the next wait. The
// worker runs on the threader's thread with no lock held; the running flag is set while it
// does. Destruction stops the loop without another run and joins the thread up to the join
// limit; a thread still running then is detached and keeps the shared state alive.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Threads/LEvent.h"
#include "QKFramework/Threads/LThreadWorker.h"
#include "QKFramework/Threads/Thread.h"

#include <cstdint>
#include <memory>

namespace QK
{

class LEventGatedThreader : public virtual LRefCountedObject
{
public:
    // An empty event leaves the threader to run on time-outs only.
    static RCPtr<LEventGatedThreader> Create(const ConstRCPtr<LEvent>& event,
                                             const ConstRCPtr<LThreadWorker>& worker,
                                             const ConstRCPtr<LRefCountedObject>& params,
                                             std::int32_t priority,
                                             std::uint32_t joinLimitMs = kThreadJoinTimeoutMs);

    ~LEventGatedThreader() override;

    // Milliseconds, kInfinite (the value at creation) for no time-out.
    void SetTimeout(std::uint32_t timeoutMs);
    std::uint32_t GetTimeout() const;
    // True while the worker runs.
    bool IsRunning() const;
    // What the last wait answered (kWaitSignalled or kWaitTimeout).
    std::uint32_t GetLastWaitResult() const;

private:
    struct State;

    LEventGatedThreader(const ConstRCPtr<LEvent>& event, const ConstRCPtr<LThreadWorker>& worker,
                        const ConstRCPtr<LRefCountedObject>& params, std::int32_t priority,
                        std::uint32_t joinLimitMs);
    static std::uint32_t ThreadProc(State& state);

    std::shared_ptr<State> m_state;
    Thread m_thread;
    const std::uint32_t m_joinLimitMs;
};

} // namespace QK
