#include "tests/support/UI/ControlTestTools.h"

#include "QKFramework/ControlBase/Control.h"

#include "tests/support/Recorder.h"

namespace QK::TestSupport
{

void NotificationCounter::Listen(LNotificationDistributor& control, const char16_t* nid)
{
    Subscribe(ConstRCPtr<LNotificationDistributor>(&control), nid);
}

QKRESULT NotificationCounter::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                                  const ConstRCPtr<LNotification>&)
{
    const auto* control = dynamic_cast<const LControl*>(source.Get());
    names.push_back(control ? Narrow(control->GetName()) : std::string("?"));
    return QK_OK;
}

} // namespace QK::TestSupport
