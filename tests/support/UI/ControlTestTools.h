// Small tools of the window tests of the standard controls.
//
// Contents:
//   - NotificationCounter: writes down the name of the control that sent each notification
//     it listens to.
//   - SavePicture: writes a drawn surface as a PNG into the pictures folder
//     ($VEDIDU_PICTURES_DIR, else "pictures" under the working folder), for a person to
//     look at; true when it was written.
// UI thread only.
#pragma once

#include "QKFramework/Notification/NotificationClient.h"
#include "QKFramework/Notification/NotificationDistributor.h"

#include <string>
#include <vector>

namespace QK
{
class IDrawingSurface;
}

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

bool SavePicture(const IDrawingSurface& surface, const std::string& fileName);

} // namespace QK::TestSupport
