#include "QKFramework/Notification/NotificationCenterManager.h"

#include <utility>

namespace QK
{

namespace
{

// The process-wide manager reference and its lock. Never destroyed: a manager still alive
// at exit is simply left to the end of the process.
struct Instance
{
    Mutex lock;
    RCPtr<LNotificationCenterManager> manager;
};

Instance& GetInstanceRecord()
{
    static auto* const instance = new Instance();
    return *instance;
}

const WString& DefaultCenterName()
{
    static const WString name(u"application");
    return name;
}

} // namespace

RCPtr<LNotificationCenterManager> LNotificationCenterManager::GetInstance()
{
    Instance& instance = GetInstanceRecord();
    MutexLock lock(instance.lock);
    if (!instance.manager)
        instance.manager = RCPtr<LNotificationCenterManager>(new LNotificationCenterManager());
    return instance.manager;
}

void LNotificationCenterManager::ReleaseInstance()
{
    RCPtr<LNotificationCenterManager> manager;
    {
        Instance& instance = GetInstanceRecord();
        MutexLock lock(instance.lock);
        manager = std::move(instance.manager);
    }
}

LNotificationCenterManager::~LNotificationCenterManager() = default;

RCPtr<LNotificationCenter> LNotificationCenterManager::FindNotificationCenter(const WString& name) const
{
    MutexLock lock(m_lock);
    for (std::uint32_t i = 0; i < m_centres.GetCount(); ++i)
    {
        const RCPtr<LNotificationCenter>& centre = *m_centres.GetAt(i);
        const WString& centreName = centre->GetName();
        if (centreName.GetString() == name.GetString() || centreName.IsEqual(name))
            return centre;
    }
    return nullptr;
}

RCPtr<LNotificationCenter> LNotificationCenterManager::GetNotificationCenter(const WString& name)
{
    if (name.IsEmpty())
        return nullptr;
    MutexLock lock(m_lock);
    if (RCPtr<LNotificationCenter> found = FindNotificationCenter(name))
        return found;
    RCPtr<LNotificationCenter> centre = LNotificationCenter::Create(name);
    m_centres.Add(centre);
    return centre;
}

std::uint32_t LNotificationCenterManager::GetCenterCount() const
{
    MutexLock lock(m_lock);
    return m_centres.GetCount();
}

RCPtr<LNotificationCenter> LNotificationCenterManager::GetCenterAt(std::uint32_t index) const
{
    MutexLock lock(m_lock);
    return index < m_centres.GetCount() ? *m_centres.GetAt(index) : RCPtr<LNotificationCenter>();
}

bool LNotificationCenterManager::DispatchNotifications(bool sendIdle)
{
    bool waiting = false;
    for (std::uint32_t i = GetCenterCount(); i-- > 0;)
    {
        if (const RCPtr<LNotificationCenter> centre = GetCenterAt(i))
            waiting = centre->DispatchNotifications(sendIdle) || waiting;
    }
    return waiting;
}

RCPtr<LNotificationCenter> GetDefaultNotificationCenter()
{
    return LNotificationCenterManager::GetInstance()->GetNotificationCenter(DefaultCenterName());
}

} // namespace QK
