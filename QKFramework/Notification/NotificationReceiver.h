// LNotificationReceiver: anything a distributor can call with a notification.
//
// Both operations are called by a distributor on the thread that sends (or, for
// DetachFromDistributor, tears the distributor down), with no distributor lock held except
// during DetachAllClients. A receiver may send, subscribe and unsubscribe from inside either.
#pragma once

#include "QKFramework/Notification/NotificationId.h"
#include "QKFramework/ObjectBase/RCPtr.h"

namespace QK
{

class LNotification;
class LNotificationDistributor;

class LNotificationReceiver : public virtual LRefCountedObject
{
public:
    // source is the distributor that delivers. The distributor ignores the result.
    virtual QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                         const ConstRCPtr<LNotification>& notification) = 0;
    // source is dropping this receiver's registration for id (teardown).
    virtual QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) = 0;

protected:
    ~LNotificationReceiver() override = default;
};

} // namespace QK
