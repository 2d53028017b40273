#include "QKFramework/Notification/Notification.h"

#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Utilities/Storage/RCPtrArray.h"

#include <utility>
#include <vector>

namespace QK
{

namespace
{

using FreeList = RCPtrArray<LNotification, 1, 0>;

// Guarded by the NID registry lock. The list lives until the process ends, so a
// notification released by an exit handler still finds it.
FreeList& GetFreeList()
{
    static auto* const list = new FreeList();
    return *list;
}

std::atomic<bool> g_recycling{false};

} // namespace

ConstRCPtr<LNotification> LNotification::Create(NotificationName name,
                                                const ConstRCPtr<LRefCountedObject>& argument)
{
    const NID id = GetNotificationId(name);
    if (id == 0)
        return nullptr;

    ConstRCPtr<LNotification> notification;
    if (!g_recycling.load(std::memory_order_acquire))
    {
        notification = ConstRCPtr<LNotification>(new LNotification());
    }
    else
    {
        MutexLock lock(GetNidRegistryLock());
        FreeList& list = GetFreeList();
        if (list.GetCount() == 0)
            notification = ConstRCPtr<LNotification>(new LNotification());
        else
        {
            RCPtr<LNotification> taken;
            list.RemoveLast(taken);
            notification = taken;
        }
    }
    // Nobody else holds the object now: a recycled one left every other hand on release.
    auto* object = const_cast<LNotification*>(notification.Get());
    object->m_id = id;
    object->m_argument = argument;
    return notification;
}

void LNotification::SetRecycling(bool on)
{
    if (on)
    {
        g_recycling.store(true, std::memory_order_release);
        return;
    }
    // The flag changes under the lock, so no release can append after the list is taken.
    // The entries are freed outside it: their releases run destructors.
    std::vector<RCPtr<LNotification>> spent;
    {
        MutexLock lock(GetNidRegistryLock());
        g_recycling.store(false, std::memory_order_release);
        FreeList& list = GetFreeList();
        spent.resize(list.GetCount());
        for (auto it = spent.rbegin(); it != spent.rend(); ++it)
            list.RemoveLast(*it);
    }
}

bool LNotification::IsRecycling() noexcept
{
    return g_recycling.load(std::memory_order_acquire);
}

std::uint32_t LNotification::GetRecycledCount()
{
    MutexLock lock(GetNidRegistryLock());
    return GetFreeList().GetCount();
}

std::int32_t LNotification::Release()
{
    if (GetRefCount() == 1 && !m_recycling.load(std::memory_order_acquire))
    {
        m_recycling.store(true, std::memory_order_release);
        Recycle();
        m_recycling.store(false, std::memory_order_release);
    }
    return LRefCountedObject::Release();
}

void LNotification::Recycle()
{
    // The argument goes now, recycled or not, so it never outlives the last reference.
    ConstRCPtr<LRefCountedObject> argument = std::move(m_argument);
    argument = nullptr;

    MutexLock lock(GetNidRegistryLock());
    if (!g_recycling.load(std::memory_order_acquire))
        return;
    AddRef();
    RCPtr<LNotification> entry;
    entry.Adopt(this);
    GetFreeList().Add(entry);
}

} // namespace QK
