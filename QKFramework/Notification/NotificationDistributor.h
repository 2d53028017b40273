// LNotificationDistributor: a source of notifications. It keeps, per notification id, the
// receivers registered for it, and SendNotification calls them at once on the sending
// thread, from the last registration to the first, with no lock held while a receiver runs.
//
// Contents:
//  - LNotificationRegisteredClientInfo: one registration (receiver, mask, bound notification).
//  - LNotificationClientPool: every registration for one id; delivers in order.
//  - LNotificationDistributor: the pools of one source.
//
// Delivery: every registration present when the walk reaches it is called exactly once;
// registrations added during a delivery are not called by it; a removal during a delivery
// (by the receiver being called or any other) keeps every delivery in progress on track,
// nested and concurrent ones included.
//
// Posted-only registrations (mask bit 0) are never reached by a plain send: only the
// notification that a queue bound to them when it was posted reaches them, once; the binding
// is cleared before the receiver runs.
//
// References: each registration holds its receiver and one internal reference to the
// distributor; while a distributor has registrations, the process-wide active-distributor
// list holds one more internal reference to it. A client's registrations are internal
// references of the client (see LNotificationClient).
//
// Locks: the distributor's lock guards its pools and registration count, each pool's lock
// its registrations and delivery positions; taken in that order, both recursive. Only
// DetachAllClients calls receivers while holding a lock (the distributor's). The operations
// are const because distributors are shared through ConstRCPtr; they guard their own state.
#pragma once

#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationId.h"
#include "QKFramework/Notification/NotificationReceiver.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Utilities/Storage/RCPtrArray.h"

#include <atomic>
#include <cstdint>

namespace QK
{

class LNotificationDistributor : public virtual LRefCountedObject
{
public:
    // Mask bit 0: a posted-only registration.
    static constexpr std::uint32_t kPostedOnly = 1;

    class LNotificationClientPool;

    class LNotificationRegisteredClientInfo : public LRefCountedObject
    {
    public:
        LNotificationRegisteredClientInfo(const ConstRCPtr<LNotificationReceiver>& receiver,
                                          std::uint32_t mask)
            : m_receiver(receiver), m_mask(mask)
        {
        }

        const ConstRCPtr<LNotificationReceiver>& GetReceiver() const noexcept { return m_receiver; }

    private:
        friend class LNotificationClientPool;

        const ConstRCPtr<LNotificationReceiver> m_receiver;
        // Both guarded by the pool lock.
        ConstRCPtr<LNotification> m_bound;
        std::uint32_t m_mask;
    };

    class LNotificationClientPool : public LRefCountedObject
    {
    public:
        explicit LNotificationClientPool(NID id) : m_id(id) {}
        ~LNotificationClientPool() override = default;

        NID GetNotificationId() const noexcept { return m_id; }
        // The OR of every mask added so far; not lowered by removals.
        std::uint32_t GetCombinedMask();
        std::uint32_t GetCount();

        // Registers receiver with mask, or replaces the mask of its registration. 0, or
        // 0x80070057 for a null receiver.
        QKRESULT AddClient(const ConstRCPtr<LNotificationReceiver>& receiver, std::uint32_t mask);
        // 0 when removed, 1 when the receiver was not there. The removed registration is
        // handed to removed, so that its references are let go outside the lock.
        QKRESULT RemoveClient(const ConstRCPtr<LNotificationReceiver>& receiver,
                              ConstRCPtr<LNotificationRegisteredClientInfo>& removed);
        // Index of the receiver's registration, or -1.
        std::int32_t FindClientIndex(const ConstRCPtr<LNotificationReceiver>& receiver);
        // The mask of the receiver's registration into mask; false when it has none.
        bool GetClientMask(const ConstRCPtr<LNotificationReceiver>& receiver, std::uint32_t& mask);
        // The registration at index, or null past the end.
        ConstRCPtr<LNotificationRegisteredClientInfo> GetRegistration(std::int32_t index);

        // Calls every registration, last first. 1 when the pool has none, else 0.
        QKRESULT Deliver(const ConstRCPtr<LNotificationDistributor>& source,
                         const ConstRCPtr<LNotification>& notification);
        // Calls the registration at index alone, for callers that walk in an order or with a
        // filter of their own; they go on with the answer minus 1. Answers the count when
        // index is past the end, index when a posted-only registration is skipped, else the
        // position of the called registration after the call (lowered by removals below it).
        std::int32_t DeliverAt(const ConstRCPtr<LNotificationDistributor>& source, std::int32_t index,
                               const ConstRCPtr<LNotification>& notification);

        // Posting: binds notification to every posted-only registration, replacing earlier
        // bindings.
        void BindPostedOnly(const ConstRCPtr<LNotification>& notification);

    private:
        // The position of one delivery in progress; RemoveClient keeps each one on its
        // registration.
        struct DeliveryPosition
        {
            std::int32_t index = 0;
            DeliveryPosition* next = nullptr;
        };
        class TrackedPosition;

        // Under the lock: the registration at index unless it is posted-only and not bound
        // to notification (then null). A matching binding is moved to unbound.
        ConstRCPtr<LNotificationRegisteredClientInfo>
        TakeForDelivery(std::int32_t index, const ConstRCPtr<LNotification>& notification,
                        ConstRCPtr<LNotification>& unbound);

        Mutex m_lock;
        // Written under the lock; read without it by posts that look for posted-only
        // registrations.
        std::atomic<std::uint32_t> m_combinedMask{0};
        const NID m_id;
        RCPtrArray<LNotificationRegisteredClientInfo> m_registrations;
        DeliveryPosition* m_positions = nullptr;
    };

    LNotificationDistributor() = default;
    ~LNotificationDistributor() override = default;

    // 0 for a new registration; 1 when the receiver was registered for that id already (its
    // mask is replaced) or the name is no id; 0x80070057 for a null receiver.
    QKRESULT RegisterClient(const ConstRCPtr<LNotificationReceiver>& receiver, NotificationName nid,
                            std::uint32_t mask) const;
    // 0 when removed; 1 when there was no such registration; 0x80070057 for a null receiver
    // or a name that is no id.
    QKRESULT UnregisterClient(const ConstRCPtr<LNotificationReceiver>& receiver, NotificationName nid) const;
    // Removes every registration of the receiver here; answers how many (0x80070057 for a
    // null receiver).
    std::int32_t UnregisterClientFromAll(const ConstRCPtr<LNotificationReceiver>& receiver) const;
    bool HasClient(const ConstRCPtr<LNotificationReceiver>& receiver) const;
    // 0 with the registration's mask; 0x80004005 when there is no such registration.
    QKRESULT GetClientMask(const ConstRCPtr<LNotificationReceiver>& receiver, NotificationName nid,
                           std::uint32_t& mask) const;
    RCPtr<LNotificationClientPool> FindClientPool(NID id) const;
    // 0x80070057 for a null notification; 1 when its id has no registration; else 0.
    QKRESULT SendNotification(const ConstRCPtr<LNotification>& notification) const;
    // Tells every registered receiver to detach (clients unsubscribe). Called by the
    // teardown of distributor classes; receivers run under the distributor lock.
    QKRESULT DetachAllClients() const;

    std::int32_t GetRegistrationCount() const;
    // Whether the distributor is on the process-wide active list.
    bool IsActive() const;

private:
    LNotificationDistributor* Self() const noexcept { return const_cast<LNotificationDistributor*>(this); }

    mutable Mutex m_lock;
    mutable RCPtrArray<LNotificationClientPool> m_pools;
    mutable std::int32_t m_registrationCount = 0;
};

} // namespace QK
