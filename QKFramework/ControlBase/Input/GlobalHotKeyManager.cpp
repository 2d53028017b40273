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
    // Held: the receiver may drop this manager, or the binding, while it runs.
    RCPtr<LNotificationReceiver> receiver = m_target;
    const NID id = GetNotificationId(NotificationName(nidName));
    for (const Handled& handled : m_handlers)
        if (handled.id == id && handled.key.Matches(key))
            receiver = handled.handler;
    if (receiver && notification)
        receiver->ReceiveNotification(nullptr, notification);
    return QK_OK;
}

QKRESULT LGlobalHotKeyManager::AddBinding(const KeyCode& key, const WString& nidName,
                                          const RCPtr<LNotificationReceiver>& handler)
{
    const QKRESULT result = KeyCode::AddBinding(m_bindings, key, nidName);
    if (result == QK_OK && handler)
        m_handlers.push_back({key, GetNotificationId(NotificationName(nidName)), handler});
    return result;
}

QKRESULT LGlobalHotKeyManager::RemoveBinding(const KeyCode& key, const WString& nidName)
{
    const NID id = nidName.IsEmpty() ? 0 : GetNotificationId(NotificationName(nidName));
    std::erase_if(m_handlers, [&](const Handled& handled) { return handled.id == id && handled.key.Code == key.Code; });
    return KeyCode::RemoveBinding(m_bindings, key, nidName);
}

} // namespace QK
