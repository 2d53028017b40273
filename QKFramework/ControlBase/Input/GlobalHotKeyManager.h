// LGlobalHotKeyManager: turns a bound key into a notification for its target.
//
// It holds one binding map (NID to the keys bound to it) and a target receiver. The
// application has one, whose target is the posting receiver of its default notification
// centre; every root window has one, whose target is the root window's own posting
// receiver. So a hot key's notification is queued and sent in the next idle pass, never
// inside the key event that found it. A binding may carry a handler of its own, which then
// hears the key's notification in place of the target: a control's context menu routes its
// items' keys so. UI thread only.
#pragma once

#include "QKFramework/ControlBase/Input/KeyCode.h"
#include "QKFramework/Notification/NotificationReceiver.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/ObjectBase/Result.h"

#include <vector>

namespace QK
{

class LGlobalHotKeyManager : public virtual LRefCountedObject
{
public:
    // An empty manager holding target (may be null).
    static RCPtr<LGlobalHotKeyManager> Create(const RCPtr<LNotificationReceiver>& target);
    ~LGlobalHotKeyManager() override;

    // 0 when the key is bound (its notification, with an LKeyParam of the key, goes to the
    // binding's handler, else to the target when there is one); 1 when it is not.
    QKRESULT HandleKey(const KeyCode& key);

    KeyBindingMap& GetBindingMap() noexcept { return m_bindings; }
    const KeyBindingMap& GetBindingMap() const noexcept { return m_bindings; }
    QKRESULT ReadBindings(const LStringTable* table, const WString& prefix)
    {
        return KeyCode::ReadBindings(m_bindings, table, prefix);
    }
    QKRESULT AddBinding(const KeyCode& key, const WString& nidName) { return KeyCode::AddBinding(m_bindings, key, nidName); }
    // The same, with handler (not null) hearing the key's notification; answers as AddBinding,
    // and keeps the handler only for a binding that this call added.
    QKRESULT AddBinding(const KeyCode& key, const WString& nidName, const RCPtr<LNotificationReceiver>& handler);
    // Takes the binding out, with its handler.
    QKRESULT RemoveBinding(const KeyCode& key, const WString& nidName);
    void ClearBindings()
    {
        m_bindings.clear();
        m_handlers.clear();
    }

    const RCPtr<LNotificationReceiver>& GetTarget() const noexcept { return m_target; }

private:
    explicit LGlobalHotKeyManager(const RCPtr<LNotificationReceiver>& target);

    struct Handled
    {
        KeyCode key;
        NID id;
        RCPtr<LNotificationReceiver> handler;
    };

    KeyBindingMap m_bindings;
    std::vector<Handled> m_handlers;
    RCPtr<LNotificationReceiver> m_target;
};

} // namespace QK
