#include "QKFramework/Notification/NotificationCenter.h"

namespace QK
{

LNotificationCenter::LNotificationCenter(const WString& name) : m_name(name) {}

LNotificationCenter::~LNotificationCenter() = default;

RCPtr<LNotificationCenter> LNotificationCenter::Create(const WString& name)
{
    RCPtr<LNotificationCenter> centre(new LNotificationCenter(name));
    const ConstRCPtr<LNotificationDistributor> self(centre);
    if (!centre->GetTarget() && centre->GetPostingReceiver() && centre->Attach(self) == QK_OK)
    {
        centre->AddInternalReferences(1);
        centre->m_attachedToSelf = true;
    }
    return centre;
}

QKRESULT LNotificationCenter::ReleaseInternalReferences()
{
    DetachAllClients();
    Detach();
    if (m_attachedToSelf)
    {
        m_attachedToSelf = false;
        AddInternalReferences(-1);
    }
    return (GetInternalRefCount() == 0 && GetRefCount() == 1) ? QK_OK : QK_E_FAIL;
}

} // namespace QK
