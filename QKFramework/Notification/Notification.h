// LNotification: one event between objects, an id and an optional argument object.
//
// Senders create one with Create and either send it at once through a distributor or post
// it to a notification queue. The id and the argument stay unchanged while the notification
// is in use, so readers on any thread need no lock. The notification shares its argument
// (one counted reference) and never copies it.
//
// Recycling: while it is switched on (start-up to shutdown), a notification whose last
// reference is released lets go of its argument and waits on a process-wide free list; the
// next Create takes the most recently spent one back. Creation and release may run on any
// thread.
#pragma once

#include "QKFramework/Notification/NotificationId.h"
#include "QKFramework/ObjectBase/RCPtr.h"

#include <atomic>
#include <cstdint>

namespace QK
{

class LNotificationQueue;

class LNotification : public virtual LRefCountedObject
{
public:
    // A notification with the id of name and the argument (may be null); null when the name
    // is null, empty or no id. The caller owns the reference.
    static ConstRCPtr<LNotification> Create(NotificationName name,
                                            const ConstRCPtr<LRefCountedObject>& argument = nullptr);

    // Switches recycling on or off for the whole process. Switching off frees every
    // notification waiting on the free list.
    static void SetRecycling(bool on);
    static bool IsRecycling() noexcept;
    // Spent notifications waiting for reuse.
    static std::uint32_t GetRecycledCount();

    NID GetId() const noexcept { return m_id; }
    const ConstRCPtr<LRefCountedObject>& GetArgument() const noexcept { return m_argument; }
    // True from the moment a queue accepts the notification until its delivery from the
    // queue has returned or a flush dropped it.
    bool IsQueued() const noexcept { return m_queued.load(std::memory_order_acquire); }

    // Recycles the notification when this call drops its last reference.
    std::int32_t Release() override;

    ~LNotification() override = default;

private:
    friend class LNotificationQueue;

    LNotification() = default;

    // Lets go of the argument and, while recycling is on, puts the notification on the
    // free list.
    void Recycle();

    // Sets the queued flag when it was clear; false when the notification is queued already.
    bool MarkQueued() const noexcept { return !m_queued.exchange(true, std::memory_order_acq_rel); }
    void ClearQueued() const noexcept { m_queued.store(false, std::memory_order_release); }

    NID m_id = 0;
    ConstRCPtr<LRefCountedObject> m_argument;
    mutable std::atomic<bool> m_queued{false};
    std::atomic<bool> m_recycling{false};
};

} // namespace QK
