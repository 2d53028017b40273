#include "QKFramework/Threads/LThreadPool.h"

#include "QKFramework/Threads/EventObject.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace QK
{

RCPtr<LThreadPool::LWorkerParams>
LThreadPool::LWorkerParams::Create(const ConstRCPtr<LThreadWorker>& worker,
                                   const ConstRCPtr<LRefCountedObject>& params, std::int32_t priority)
{
    return RCPtr<LWorkerParams>(new LWorkerParams(worker, params, priority));
}

LThreadPool::LWorkerParams::LWorkerParams(const ConstRCPtr<LThreadWorker>& worker,
                                          const ConstRCPtr<LRefCountedObject>& params, std::int32_t priority)
    : worker(worker), params(params), priority(priority)
{
}

RCPtr<LThreadPool> LThreadPool::Create(std::int32_t threadCount, std::int32_t priority)
{
    return RCPtr<LThreadPool>(new LThreadPool(threadCount, priority));
}

LThreadPool::LThreadPool(std::int32_t threadCount, std::int32_t priority)
    : m_dispatcher(WString(u"LThreadPool::mQueueThreader")),
      m_idleGate(RCPtr<LEvent>::DynamicCast(LEvent::Create(true))),
      m_eventPool(static_cast<std::uint32_t>(std::max(threadCount, 0))),
      m_workers(new RetriggerableThreader[m_eventPool.GetCount()]),
      m_workerCount(static_cast<std::int32_t>(m_eventPool.GetCount())), m_threadCount(m_workerCount),
      m_priority(priority)
{
    m_idleGate->Set();
}

LThreadPool::~LThreadPool()
{
    Shutdown();
}

WString LThreadPool::ToString() const
{
    return m_name.IsEmpty() ? WString(u"Unnamed ThreadPool") : m_name;
}

bool LThreadPool::IsWorkerFree(std::int32_t index)
{
    RetriggerableThreader& worker = m_workers[index];
    return !worker.IsBusy() || worker.IsFinished();
}

std::int32_t LThreadPool::TryIdleWorker(const ConstRCPtr<LThreadWorker>& worker,
                                        const ConstRCPtr<LRefCountedObject>& params, std::int32_t priority)
{
    if (!worker)
        return -1;
    for (std::int32_t i = 0; i < m_threadCount.load(std::memory_order_acquire); ++i)
    {
        MutexLock lock(m_lock);
        const std::int32_t count = m_threadCount.load(std::memory_order_acquire);
        if (i >= count)
            return -1;
        // A single worker never lets new work overtake what is already waiting.
        if (count == 1 && !m_queue.empty())
            return -1;
        if (!IsWorkerFree(i))
            continue;
        m_workers[i].SetName(worker->ToString());
        if (Succeeded(m_workers[i].Trigger(worker, params,
                                           m_eventPool.GetEventAt(static_cast<std::uint32_t>(i)), priority)))
            return i;
    }
    return -1;
}

void LThreadPool::QueueWork(const ConstRCPtr<LThreadWorker>& worker,
                            const ConstRCPtr<LRefCountedObject>& params, std::int32_t priority)
{
    if (!worker || TryIdleWorker(worker, params, priority) >= 0)
        return;
    if (m_threadCount.load(std::memory_order_acquire) <= 0)
        return;
    RCPtr<LWorkerParams> item = LWorkerParams::Create(worker, params, priority);

    bool startDispatcher = false;
    {
        MutexLock lock(m_lock);
        if (m_threadCount.load(std::memory_order_acquire) <= 0)
            return;
        Enqueue(item);
        if (!m_dispatcherActive)
        {
            m_dispatcherActive = true;
            startDispatcher = true;
        }
    }
    // The wait for the end of the dispatcher's previous run happens outside the lock: that
    // run needs the lock to finish. A run still active sees the new item by itself.
    if (startDispatcher)
        StartDispatcher();
}

void LThreadPool::Enqueue(const RCPtr<LWorkerParams>& item)
{
    m_queue[item->priority].push_back(item);
}

RCPtr<LThreadPool::LWorkerParams> LThreadPool::TakeNext()
{
    // The highest priority, and the oldest item of that priority.
    const auto highest = std::prev(m_queue.end());
    RCPtr<LWorkerParams> item = std::move(highest->second.front());
    highest->second.pop_front();
    if (highest->second.empty())
        m_queue.erase(highest);
    return item;
}

void LThreadPool::PutBack(const RCPtr<LWorkerParams>& item)
{
    m_queue[item->priority].push_front(item);
}

void LThreadPool::StartDispatcher()
{
    // The idle gate is set by the end of the previous run (its busy flag is clear by then).
    m_idleGate->Wait(kInfinite);
    if (Succeeded(m_dispatcher.Trigger(ConstRCPtr<LThreadWorker>(this), ConstRCPtr<LRefCountedObject>(this),
                                       m_idleGate, m_priority)))
        return;
    // Stopping: the next item queued tries again, should the pool still accept work.
    {
        MutexLock lock(m_lock);
        m_dispatcherActive = false;
    }
    m_idleGate->Set();
}

std::uint32_t LThreadPool::Run(const ConstRCPtr<LRefCountedObject>&)
{
    for (;;)
    {
        {
            MutexLock lock(m_lock);
            if (m_threadCount.load(std::memory_order_acquire) > 0)
                HandOutToFreeWorkers();
            if (m_threadCount.load(std::memory_order_acquire) <= 0 || m_queue.empty())
            {
                m_dispatcherActive = false;
                return 0;
            }
        }
        // Every worker is busy now, and each signals its event when its run ends. Which one
        // woke us does not matter: the next pass looks at all of them. A failed wait only
        // happens to a pool without events, which has no threads to hand work to.
        m_eventPool.WaitAny(kInfinite);
    }
}

void LThreadPool::HandOutToFreeWorkers()
{
    const std::int32_t count = m_threadCount.load(std::memory_order_acquire);
    for (std::int32_t i = 0; i < count && !m_queue.empty(); ++i)
    {
        if (!IsWorkerFree(i))
            continue;
        RCPtr<LWorkerParams> item = TakeNext();
        m_workers[i].SetName(item->worker->ToString());
        if (Failed(m_workers[i].Trigger(item->worker, item->params,
                                        m_eventPool.GetEventAt(static_cast<std::uint32_t>(i)),
                                        item->priority)))
            PutBack(item); // a stopping worker refuses it; the item waits for another
    }
}

void LThreadPool::Shutdown()
{
    m_threadCount.store(0, std::memory_order_release);
    {
        MutexLock lock(m_lock);
        m_queue.clear();
    }
    m_dispatcher.Stop();
    // A dispatcher run may be waiting for a worker to end; a done signal makes it look again
    // and leave at once.
    if (m_eventPool.GetCount() != 0)
        RCPtr<LEvent>::DynamicCast(m_eventPool.GetEventAt(0))->Set();
    m_dispatcher.Join(kThreadJoinTimeoutMs);
    for (std::int32_t i = m_workerCount - 1; i >= 0; --i)
    {
        m_workers[i].Stop();
        m_workers[i].Join(kThreadJoinTimeoutMs);
    }
}

} // namespace QK
