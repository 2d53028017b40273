// LNotificationClient: a receiver that subscribes itself to distributors and remembers
// where, so that it can leave them all.
//
// Every registration it holds is an internal reference of the client. When its last
// outside reference is released, ReleaseInternalReferences unsubscribes it everywhere and it
// dies, however many distributors it was subscribed to.
//
// Owners override ReceiveNotification (usually handing it to their handler table) and, when
// they keep handler tables, DetachFromDistributor. The registration count and the list of
// distributors are changed only by the client's own calls, without a lock. A client
// subscribes once a smart pointer holds it (not from its constructor): the calls hold a
// reference to the client, and letting go of it must not look like the last release.
#pragma once

#include "QKFramework/Notification/NotificationDistributor.h"
#include "QKFramework/Notification/NotificationReceiver.h"
#include "QKFramework/Utilities/Storage/Array.h"

#include <cstdint>

namespace QK
{

class LNotificationClient : public LNotificationReceiver
{
public:
    LNotificationClient() = default;
    ~LNotificationClient() override = default;

    // The id subscribed to, or 0 for a null distributor or a name that is no id. Subscribing
    // again for the same id replaces the mask.
    NID Subscribe(const ConstRCPtr<LNotificationDistributor>& distributor, NotificationName nid,
                  std::uint32_t mask = 0);
    // 1 when the client holds no registration at all (arguments unchecked); 0x80070057 for
    // a null distributor or no id; else the distributor's UnregisterClient result.
    QKRESULT Unsubscribe(const ConstRCPtr<LNotificationDistributor>& distributor, NotificationName nid);
    // Leaves every distributor; answers the number of registrations removed.
    std::int32_t UnsubscribeAll();

    std::int32_t GetRegistrationCount() const noexcept { return m_registrationCount; }
    std::uint32_t GetDistributorCount() const noexcept { return m_distributors.GetCount(); }

    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    // Whether the owner's handler tables may still answer. An owner that comes apart in
    // stages (a control's release) answers false from its first step, so that what the
    // teardown sets off reaches none of its handlers.
    virtual bool IsHandlingNotifications() const { return true; }
    // Unsubscribes from source for id.
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;
    // Unsubscribes everywhere; 0 when only the releasing caller's reference is left.
    QKRESULT ReleaseInternalReferences() override;

private:
    std::int32_t FindDistributor(const LNotificationDistributor* distributor) const;

    std::int32_t m_registrationCount = 0;
    // Each listed distributor is kept alive by this client's registrations in it.
    Array<const LNotificationDistributor*> m_distributors;
};

} // namespace QK
