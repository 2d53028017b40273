#include "QKFramework/Notification/NotificationQueue.h"

#include <utility>

namespace QK
{

namespace
{

// Clears a notification's queued flag once its delivery from the queue is over, also when
// a receiver throws.
template <class Clear> class OnExit
{
public:
    explicit OnExit(Clear clear) : m_clear(std::move(clear)) {}
    OnExit(const OnExit&) = delete;
    OnExit& operator=(const OnExit&) = delete;
    ~OnExit() { m_clear(); }

private:
    Clear m_clear;
};

} // namespace

// ---- LPostingReceiver ----

LNotificationQueue::LPostingReceiver::LPostingReceiver(LNotificationQueue* queue) : m_queue(queue) {}

LNotificationQueue::LPostingReceiver::~LPostingReceiver() = default;

QKRESULT
LNotificationQueue::LPostingReceiver::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>&,
                                                          const ConstRCPtr<LNotification>& notification)
{
    RCPtr<LNotificationQueue> queue;
    {
        MutexLock lock(GetNotificationQueueLock());
        queue = m_queue;
    }
    if (!queue || !notification)
        return QK_OK;
    // The received notification is left alone, so its delivery to others goes on.
    const ConstRCPtr<LNotification> copy =
        LNotification::Create(notification->GetId(), notification->GetArgument());
    if (copy)
        queue->PostNotification(copy);
    return QK_OK;
}

QKRESULT
LNotificationQueue::LPostingReceiver::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>&, NID)
{
    return QK_E_FAIL;
}

// ---- LNotificationQueue ----

Mutex& LNotificationQueue::GetNotificationQueueLock()
{
    // Never destroyed: queues released by exit handlers still need it.
    static auto* const lock = new Mutex();
    return *lock;
}

LNotificationQueue::LNotificationQueue() : m_ring(&GetNotificationQueueLock())
{
    m_idleNotification = LNotification::Create(kNidIdle);
    // Last, as nothing may fail once the receiver holds a reference to this queue.
    m_postingReceiver = RCPtr<LPostingReceiver>(new LPostingReceiver(this));
    AddInternalReferences(1);
}

LNotificationQueue::~LNotificationQueue()
{
    Flush();
    // A queue is destroyed with its receiver still linked only when the construction of
    // its owner failed; that link is the reference being unwound, so it is not released.
    if (m_postingReceiver && m_postingReceiver->m_queue)
        static_cast<void>(m_postingReceiver->m_queue.Detach());
    m_idleNotification = nullptr;
    m_postingReceiver = nullptr;
    m_target = nullptr;
}

RCPtr<LNotificationReceiver> LNotificationQueue::GetPostingReceiver() const
{
    MutexLock lock(GetNotificationQueueLock());
    return m_postingReceiver;
}

ConstRCPtr<LNotificationDistributor> LNotificationQueue::GetTarget() const
{
    MutexLock lock(GetNotificationQueueLock());
    return m_target;
}

QKRESULT LNotificationQueue::PostNotification(const ConstRCPtr<LNotification>& notification)
{
    if (!notification || !notification->MarkQueued())
        return QK_E_INVALIDARG;
    const ConstRCPtr<LNotificationDistributor> target = GetTarget();
    if (!target)
    {
        notification->ClearQueued();
        return QK_E_FAIL;
    }
    if (const RCPtr<LNotificationDistributor::LNotificationClientPool> pool =
            target->FindClientPool(notification->GetId()))
        pool->BindPostedOnly(notification);

    MutexLock lock(GetNotificationQueueLock());
    // Detached meanwhile: nothing would ever drain it.
    if (!m_target)
    {
        notification->ClearQueued();
        return QK_E_FAIL;
    }
    m_ring.Enqueue(notification);
    return QK_OK;
}

void LNotificationQueue::Drain()
{
    for (std::uint32_t waiting = m_ring.GetCount(); waiting > 0; --waiting)
    {
        const ConstRCPtr<LNotificationDistributor> target = GetTarget();
        if (!target || m_ring.GetCount() == 0)
            break;
        const RCPtr<LNotification> notification = m_ring.Dequeue();
        const OnExit clear([&notification] { notification->ClearQueued(); });
        target->SendNotification(notification);
    }
}

bool LNotificationQueue::DispatchNotifications(bool sendIdle)
{
    // A receiver may let go of this queue's owner; it lives until the pass is over.
    const RCPtr<LNotificationQueue> self(this);
    if (!m_dispatching)
    {
        m_dispatching = true;
        const OnExit done([this] { m_dispatching = false; });
        Drain();
    }
    if (sendIdle && m_idleNotification)
    {
        if (const ConstRCPtr<LNotificationDistributor> target = GetTarget())
            target->SendNotification(m_idleNotification);
    }
    return m_ring.GetCount() > 0;
}

bool LNotificationQueue::Flush()
{
    for (std::uint32_t waiting = m_ring.GetCount(); waiting > 0 && m_ring.GetCount() > 0; --waiting)
    {
        if (const RCPtr<LNotification> notification = m_ring.Dequeue())
            notification->ClearQueued();
    }
    return m_ring.GetCount() > 0;
}

QKRESULT LNotificationQueue::Attach(const ConstRCPtr<LNotificationDistributor>& distributor)
{
    MutexLock lock(GetNotificationQueueLock());
    if (m_target || !m_postingReceiver)
        return QK_E_FAIL;
    m_target = distributor;
    return QK_OK;
}

void LNotificationQueue::Detach()
{
    {
        MutexLock lock(GetNotificationQueueLock());
        if (!m_postingReceiver)
            return;
    }
    Flush();

    ConstRCPtr<LNotificationDistributor> target;
    RCPtr<LPostingReceiver> receiver;
    RCPtr<LNotificationQueue> link;
    {
        MutexLock lock(GetNotificationQueueLock());
        target = std::move(m_target);
        receiver = std::move(m_postingReceiver);
        link = std::move(receiver->m_queue);
    }
    target = nullptr;
    // The receiver's link was internal; it stops counting before it goes, so that letting
    // go of it never looks like the last outside release.
    AddInternalReferences(-1);
    link = nullptr;
    receiver = nullptr;
}

} // namespace QK
