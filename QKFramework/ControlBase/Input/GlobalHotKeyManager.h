// LGlobalHotKeyManager: turns a bound key into a notification for its target.
//
// It holds one binding map (NID to the keys bound to it) and a target receiver. The
// application has one, whose target is the posting receiver of its default notification
// centre; every root window has one, whose target is the root window's own posting
// receiver. So a hot key's notification is queued and sent in the next idle pass, never
// inside the key event that found it. UI thread only.
#pragma once

#include "QKFramework/ControlBase/Input/KeyCode.h"
#include "QKFramework/Notification/NotificationReceiver.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/ObjectBase/Result.h"

namespace QK
{

class LGlobalHotKeyManager : public virtual LRefCountedObject
{
public:
    // An empty manager holding target (may be null).
    static RCPtr<LGlobalHotKeyManager> Create(const RCPtr<LNotificationReceiver>& target);
    ~LGlobalHotKeyManager() override;

    // 0 when the key is bound (its notification, with an LKeyParam of the key, goes to the
    // target when there is one); 1 when it is not.
    QKRESULT HandleKey(const KeyCode& key);

    KeyBindingMap& GetBindingMap() noexcept { return m_bindings; }
    const KeyBindingMap& GetBindingMap() const noexcept { return m_bindings; }
    QKRESULT ReadBindings(const LStringTable* table, const WString& prefix)
    {
        return KeyCode::ReadBindings(m_bindings, table, prefix);
    }
    QKRESULT AddBinding(const KeyCode& key, const WString& nidName) { return KeyCode::AddBinding(m_bindings, key, nidName); }
    QKRESULT RemoveBinding(const KeyCode& key, const WString& nidName)
    {
        return KeyCode::RemoveBinding(m_bindings, key, nidName);
    }
    void ClearBindings() { m_bindings.clear(); }

    const RCPtr<LNotificationReceiver>& GetTarget() const noexcept { return m_target; }

private:
    explicit LGlobalHotKeyManager(const RCPtr<LNotificationReceiver>& target);

    KeyBindingMap m_bindings;
    RCPtr<LNotificationReceiver> m_target;
};

} // namespace QK
