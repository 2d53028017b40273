// LNotificationCenter: a named distributor that is also a notification queue attached to
// itself. Clients subscribe to it; senders on any thread post to it; the UI thread's idle
// pass drains it through the centre manager.
//
// Its queue's target is the centre itself, an internal reference; when only internal
// references remain, ReleaseInternalReferences detaches every client, detaches the queue
// and lets the centre die.
#pragma once

#include "QKFramework/Notification/NotificationDistributor.h"
#include "QKFramework/Notification/NotificationQueue.h"
#include "QKFramework/Utilities/Storage/StringT.h"

namespace QK
{

class LNotificationCenter : public LNotificationDistributor, public LNotificationQueue
{
public:
    // A new centre with its queue attached to itself.
    static RCPtr<LNotificationCenter> Create(const WString& name);

    const WString& GetName() const noexcept { return m_name; }

    QKRESULT ReleaseInternalReferences() override;

    ~LNotificationCenter() override;

private:
    explicit LNotificationCenter(const WString& name);

    WString m_name;
    // Whether the queue's target reference to this centre is still counted.
    bool m_attachedToSelf = false;
};

} // namespace QK
