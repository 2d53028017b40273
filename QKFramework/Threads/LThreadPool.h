// LThreadPool: runs units of work on a fixed set of worker threads, by priority.
//
// QueueWork may be called from any thread. A work item goes straight to an idle worker
// when there is one; otherwise it waits in a queue ordered by priority that a dispatcher
// thread hands out as workers become free: the highest priority first, and the oldest
// first among equals. With a single worker, nothing overtakes a waiting item: while the
// queue is not empty, new work is queued even if the worker is idle. Each item's worker
// runs on one of the pool's threads, with no pool lock held, at the item's priority.
//
// Shutdown (also run by the destructor) stops accepting and handing out work at once,
// drops the waiting items and waits for the runs in progress; work queued afterwards is
// dropped without a message.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Threads/EventPool.h"
#include "QKFramework/Threads/LEvent.h"
#include "QKFramework/Threads/LThreadWorker.h"
#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Threads/RetriggerableThreader.h"
#include "QKFramework/Utilities/Storage/ReuseAllocator.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>

namespace QK
{

class LThreadPool : public LThreadWorker
{
public:
    // One queued work item. Items come from one process-wide locked pool: the MIDI input
    // queues one per capture.
    class LWorkerParams : public LRefCountedObject, public ReusePooled<LWorkerParams, 1, true>
    {
    public:
        static RCPtr<LWorkerParams> Create(const ConstRCPtr<LThreadWorker>& worker,
                                           const ConstRCPtr<LRefCountedObject>& params,
                                           std::int32_t priority);

        ConstRCPtr<LThreadWorker> worker;
        ConstRCPtr<LRefCountedObject> params;
        std::int32_t priority;

    private:
        LWorkerParams(const ConstRCPtr<LThreadWorker>& worker, const ConstRCPtr<LRefCountedObject>& params,
                      std::int32_t priority);
    };

    // threadCount workers (none for a count below 1); priority is the dispatcher's.
    static RCPtr<LThreadPool> Create(std::int32_t threadCount, std::int32_t priority);

    ~LThreadPool() override;

    // Runs worker once with params at the given thread priority. An empty worker is nothing
    // to run.
    void QueueWork(const ConstRCPtr<LThreadWorker>& worker, const ConstRCPtr<LRefCountedObject>& params,
                   std::int32_t priority);
    // Hands the work to an idle worker: its index, or -1 when none took it.
    std::int32_t TryIdleWorker(const ConstRCPtr<LThreadWorker>& worker,
                               const ConstRCPtr<LRefCountedObject>& params, std::int32_t priority);
    void Shutdown();

    // The name, or "Unnamed ThreadPool".
    WString ToString() const override;

    // The dispatcher's run, on the dispatcher thread: hands queued items to free workers
    // until the queue is empty.
    std::uint32_t Run(const ConstRCPtr<LRefCountedObject>& params) override;

private:
    LThreadPool(std::int32_t threadCount, std::int32_t priority);

    bool IsWorkerFree(std::int32_t index);
    // Under the lock.
    void Enqueue(const RCPtr<LWorkerParams>& item);
    RCPtr<LWorkerParams> TakeNext();
    void PutBack(const RCPtr<LWorkerParams>& item);
    void HandOutToFreeWorkers();
    // Outside the lock, by the one caller that marked the dispatcher active.
    void StartDispatcher();

    // Members are destroyed from the last: the workers first, the name last.
    WString m_name;
    RetriggerableThreader m_dispatcher;
    RCPtr<LEvent> m_idleGate;
    // Waiting items by priority, each priority oldest first; no empty entries. A burst of
    // work never costs more than a short step per item, whatever the queue's length.
    std::map<std::int32_t, std::deque<RCPtr<LWorkerParams>>> m_queue;
    Mutex m_lock;
    EventPool m_eventPool;
    std::unique_ptr<RetriggerableThreader[]> m_workers;
    const std::int32_t m_workerCount;
    std::atomic<std::int32_t> m_threadCount;
    const std::int32_t m_priority;
    // Under the lock: a dispatcher run has been claimed and has not yet found the queue empty.
    bool m_dispatcherActive = false;
};

} // namespace QK
