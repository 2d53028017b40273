// LNotificationCenterManager: the process-wide registry of named notification centres and
// the one that drains them all in the UI thread's idle pass.
//
// The default centre, "application", carries the application-wide events (exit requests,
// captured MIDI data, device status, global hot keys); code on any thread posts to it. The
// framework application creates the manager and that centre in its constructor and releases
// the manager in its destructor (ReleaseInstance).
//
// Lookups hand out counted references rather than references into the centres array, and
// the array has a lock of its own, so a lookup stays valid when another centre is created.
// The lock is never held while a receiver runs.
#pragma once

#include "QKFramework/Notification/NotificationCenter.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Utilities/Storage/RCPtrArray.h"
#include "QKFramework/Utilities/Storage/StringT.h"

namespace QK
{

class LNotificationCenterManager : public virtual LRefCountedObject
{
public:
    // The process-wide manager, created on first use.
    static RCPtr<LNotificationCenterManager> GetInstance();
    // Lets go of the process-wide manager (it is created again on next use).
    static void ReleaseInstance();

    // The centre of that name, created and registered when there is none; null for an
    // empty name.
    RCPtr<LNotificationCenter> GetNotificationCenter(const WString& name);
    // The centre of that name, or null.
    RCPtr<LNotificationCenter> FindNotificationCenter(const WString& name) const;
    // Drains every centre, newest first, each followed by its "NID_IDLE" when sendIdle is
    // set. True when any centre has notifications waiting afterwards. UI thread only.
    bool DispatchNotifications(bool sendIdle);

    std::uint32_t GetCenterCount() const;

    ~LNotificationCenterManager() override;

private:
    LNotificationCenterManager() = default;

    RCPtr<LNotificationCenter> GetCenterAt(std::uint32_t index) const;

    mutable Mutex m_lock;
    RCPtrArray<LNotificationCenter, 1, 0> m_centres;
};

// The centre named "application".
RCPtr<LNotificationCenter> GetDefaultNotificationCenter();

} // namespace QK
