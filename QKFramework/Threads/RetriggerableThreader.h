// RetriggerableThreader: one long-lived thread that sleeps until it is triggered, runs one
// worker once with its parameters, signals the caller's gate and sleeps again.
//
// Triggers come from any thread; a trigger is refused while the previous run is unfinished
// or once the threader is stopping. The worker runs on the threader's thread with no lock
// held. When a run ends, the worker and its parameters are let go, then busy is cleared and
// only then the gate is set: a caller woken by the gate may trigger again at once. The gate
// is the only signal of completion to wait on.
//
// Held by value (the thread pool keeps an array of them). The destructor stops the thread
// and joins it up to the join limit; a thread still running then is detached and keeps the
// threader's shared state alive until its run ends.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Threads/LEvent.h"
#include "QKFramework/Threads/LThreadWorker.h"
#include "QKFramework/Threads/Thread.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>
#include <memory>
#include <mutex>

namespace QK
{

class RetriggerableThreader : public IStringable
{
public:
    RetriggerableThreader();
    explicit RetriggerableThreader(const WString& name, std::uint32_t joinLimitMs = kThreadJoinTimeoutMs);
    RetriggerableThreader(const RetriggerableThreader&) = delete;
    RetriggerableThreader& operator=(const RetriggerableThreader&) = delete;
    virtual ~RetriggerableThreader();

    // Runs worker once with params at the given thread priority; gate is reset now and set
    // when the run has ended. An empty gate makes it an ungated trigger. 0, or QK_E_FAIL
    // when stopping, still busy or the trigger could not be given.
    QKRESULT Trigger(const ConstRCPtr<LThreadWorker>& worker, const ConstRCPtr<LRefCountedObject>& params,
                     const ConstRCPtr<LEvent>& gate, std::int32_t priority);
    // As Trigger without a gate; a gate left from an earlier run is dropped.
    QKRESULT TriggerUngated(const ConstRCPtr<LThreadWorker>& worker,
                            const ConstRCPtr<LRefCountedObject>& params, std::int32_t priority);

    // A copy of the name.
    WString ToString() const override;
    void SetName(const WString& name);

    // True from a trigger until its run has ended.
    bool IsBusy() const;
    // True once the thread has ended (after a stop, or when it could not be made); then
    // busy is cleared too.
    bool IsFinished();
    std::uint32_t GetLastResult() const;

    // Makes the thread leave its loop without running a worker that has not begun; no
    // trigger is accepted afterwards. Join waits for the thread to end.
    void Stop();
    bool Join(std::uint32_t timeoutMs);

private:
    struct State;

    QKRESULT TriggerRun(const ConstRCPtr<LThreadWorker>& worker, const ConstRCPtr<LRefCountedObject>& params,
                        const ConstRCPtr<LEvent>& gate, std::int32_t priority);
    static std::uint32_t ThreadProc(State& state);

    std::shared_ptr<State> m_state;
    Thread m_thread;
    const std::uint32_t m_joinLimitMs;
    mutable std::mutex m_nameLock;
    WString m_name;
};

} // namespace QK
