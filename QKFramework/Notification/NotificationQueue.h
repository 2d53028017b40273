// LNotificationQueue: deferred delivery. Any thread posts notifications; the UI thread's
// idle pass drains the queue and sends each one, in posting order, through the queue's
// target distributor (which is then the source the receivers see). Posting wakes nothing.
//
// Each queue also sends its "NID_IDLE" notification when a drain is asked to (the first
// pass of every idle period). Owners that are distributors and queues at once (centres,
// root windows, the status bar) attach the queue to themselves and call Detach from their
// ReleaseInternalReferences.
//
// The rings of all queues share one process-wide lock, held for one ring operation at a
// time. No lock is held while a receiver runs; receivers may post, send, subscribe and
// unsubscribe, and may drain or detach the queue they are called from.
//
// LPostingReceiver is a receiver that turns every notification sent to it into a post of a
// copy (same id and argument) to its queue; give it as a target to code that must reach the
// queue's target later, on the UI thread.
#pragma once

#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationDistributor.h"
#include "QKFramework/Notification/NotificationReceiver.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Utilities/Storage/RCPtrQueue.h"

#include <cstdint>

namespace QK
{

// The notification a queue sends when a drain asks for it (the first pass of every idle
// period).
inline constexpr const char16_t* kNidIdle = u"NID_IDLE";

class LNotificationQueue : public virtual LRefCountedObject
{
public:
    using Ring = RCPtrQueue<LNotification, 256, Mutex>;

    class LPostingReceiver : public LNotificationReceiver
    {
    public:
        explicit LPostingReceiver(LNotificationQueue* queue);
        ~LPostingReceiver() override;

        // Posts a copy of notification to the queue; nothing once the queue is detached.
        QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                     const ConstRCPtr<LNotification>& notification) override;
        // Refuses (0x80004005) and changes nothing.
        QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

    private:
        friend class LNotificationQueue;

        // Internal reference to the queue; null after LNotificationQueue::Detach. Guarded by
        // the notification queue lock.
        RCPtr<LNotificationQueue> m_queue;
    };

    LNotificationQueue();
    ~LNotificationQueue() override;

    // 0 when queued; 0x80070057 for a null notification or one queued already (also during
    // its own delivery); 0x80004005 when the queue has no target. Any thread.
    QKRESULT PostNotification(const ConstRCPtr<LNotification>& notification);
    // Sends what was waiting when the drain began (later posts wait for the next drain),
    // then "NID_IDLE" when sendIdle is set, also from inside a drain of this queue. True
    // when notifications are waiting afterwards. UI thread only.
    bool DispatchNotifications(bool sendIdle);
    // Drops what is waiting without sending it. True when notifications remain.
    bool Flush();
    // Sets the target once. 0, also for a null distributor (nothing changes); 0x80004005
    // when a target is set already or the queue was detached.
    QKRESULT Attach(const ConstRCPtr<LNotificationDistributor>& distributor);
    // Empties the queue and drops the target and the posting receiver for good.
    void Detach();

    // The posting receiver; null once detached.
    RCPtr<LNotificationReceiver> GetPostingReceiver() const;
    ConstRCPtr<LNotificationDistributor> GetTarget() const;
    std::uint32_t GetQueuedCount() const { return m_ring.GetCount(); }
    std::uint32_t GetSlotCount() const { return m_ring.GetSlotCount(); }

    // The lock shared by the rings of all notification queues.
    static Mutex& GetNotificationQueueLock();

private:
    // Sends up to the count waiting on entry, stopping early when the ring runs dry or the
    // target goes (a receiver may flush or detach this queue).
    void Drain();

    bool m_dispatching = false;
    Ring m_ring;
    // Both guarded by the notification queue lock; written on the UI thread only.
    ConstRCPtr<LNotificationDistributor> m_target;
    RCPtr<LPostingReceiver> m_postingReceiver;
    ConstRCPtr<LNotification> m_idleNotification;
};

} // namespace QK
