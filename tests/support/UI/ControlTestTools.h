// Small tools of the window tests of the standard controls.
//
// Contents:
//   - NotificationCounter: writes down the name of the control that sent each notification
//     it listens to.
// UI thread only.
#pragma once

#include "QKFramework/Notification/NotificationClient.h"
#include "QKFramework/Notification/NotificationDistributor.h"

#include <string>
#include <vector>

namespace QK::TestSupport
{

class NotificationCounter : public LNotificationClient
{
public:
    void Listen(LNotificationDistributor& control, const char16_t* nid);
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    void Stop() { UnsubscribeAll(); }
    int Count() const { return static_cast<int>(names.size()); }

    std::vector<std::string> names;
};

} // namespace QK::TestSupport
