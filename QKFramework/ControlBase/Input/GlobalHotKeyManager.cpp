#include "QKFramework/ControlBase/Input/GlobalHotKeyManager.h"

#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationDistributor.h"

namespace QK
{

LGlobalHotKeyManager::LGlobalHotKeyManager(const RCPtr<LNotificationReceiver>& target) : m_target(target) {}

LGlobalHotKeyManager::~LGlobalHotKeyManager() = default;

RCPtr<LGlobalHotKeyManager> LGlobalHotKeyManager::Create(const RCPtr<LNotificationReceiver>& target)
{
    return RCPtr<LGlobalHotKeyManager>(new LGlobalHotKeyManager(target));
}

QKRESULT LGlobalHotKeyManager::HandleKey(const KeyCode& key)
{
    const WString nidName = KeyCode::FindBinding(m_bindings, key);
    if (nidName.IsEmpty())
        return QK_FALSE;
    const ConstRCPtr<LNotification> notification =
        LNotification::Create(NotificationName(nidName), ConstRCPtr<LRefCountedObject>(LKeyParam::Create(key)));
    // The target may drop this manager while it runs.
    const RCPtr<LNotificationReceiver> target = m_target;
    if (target && notification)
        target->ReceiveNotification(nullptr, notification);
    return QK_OK;
}

} // namespace QK
