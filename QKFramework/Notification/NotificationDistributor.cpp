#include "QKFramework/Notification/NotificationDistributor.h"

#include "QKFramework/Utilities/Storage/Array.h"

#include <algorithm>
#include <utility>

namespace QK
{

using Pool = LNotificationDistributor::LNotificationClientPool;
using Registration = LNotificationDistributor::LNotificationRegisteredClientInfo;

namespace
{

// The active-distributor list holds one internal reference to every distributor that has a
// registration. Distributors on different threads change it, so it has a lock of its own,
// taken last and never held while anything is called. Both live until the process ends.
struct ActiveList
{
    Mutex lock;
    RCPtrArray<LNotificationDistributor> distributors;
};

ActiveList& GetActiveList()
{
    static auto* const list = new ActiveList();
    return *list;
}

std::int32_t FindActive(const ActiveList& list, const LNotificationDistributor* distributor)
{
    const auto& distributors = list.distributors;
    for (std::uint32_t i = distributors.GetCount(); i-- > 0;)
    {
        if (distributors.GetAt(i)->Get() == distributor)
            return static_cast<std::int32_t>(i);
    }
    return -1;
}

// Receivers change themselves when called; registrations hold them through ConstRCPtr.
LNotificationReceiver* Call(const ConstRCPtr<LNotificationReceiver>& receiver)
{
    return const_cast<LNotificationReceiver*>(receiver.Get());
}

} // namespace

// ---- LNotificationClientPool ----

// Enters a delivery position into the pool's list for one delivery and takes it out again,
// also when a receiver throws.
class Pool::TrackedPosition
{
public:
    explicit TrackedPosition(Pool& pool) : m_pool(pool)
    {
        MutexLock lock(m_pool.m_lock);
        m_position.next = m_pool.m_positions;
        m_pool.m_positions = &m_position;
    }
    TrackedPosition(const TrackedPosition&) = delete;
    TrackedPosition& operator=(const TrackedPosition&) = delete;
    ~TrackedPosition()
    {
        MutexLock lock(m_pool.m_lock);
        for (DeliveryPosition** link = &m_pool.m_positions; *link; link = &(*link)->next)
        {
            if (*link == &m_position)
            {
                *link = m_position.next;
                break;
            }
        }
    }

    // Both under the pool lock.
    void Set(std::int32_t index) { m_position.index = index; }
    std::int32_t Get() const { return m_position.index; }

private:
    Pool& m_pool;
    DeliveryPosition m_position;
};

std::uint32_t Pool::GetCombinedMask()
{
    return m_combinedMask.load(std::memory_order_acquire);
}

std::uint32_t Pool::GetCount()
{
    MutexLock lock(m_lock);
    return m_registrations.GetCount();
}

QKRESULT Pool::AddClient(const ConstRCPtr<LNotificationReceiver>& receiver, std::uint32_t mask)
{
    if (!receiver)
        return QK_E_INVALIDARG;
    MutexLock lock(m_lock);
    std::uint32_t combined = 0;
    bool found = false;
    for (std::uint32_t i = m_registrations.GetCount(); i-- > 0;)
    {
        Registration* registration = m_registrations.GetAt(i)->Get();
        if (!found && registration->m_receiver == receiver)
        {
            found = true;
            if (registration->m_mask == mask)
                return QK_OK;
            registration->m_mask = mask;
        }
        combined |= registration->m_mask;
    }
    if (found)
    {
        m_combinedMask.store(combined, std::memory_order_release);
        return QK_OK;
    }
    m_registrations.Add(RCPtr<Registration>(new Registration(receiver, mask)));
    m_combinedMask.fetch_or(mask, std::memory_order_acq_rel);
    return QK_OK;
}

QKRESULT Pool::RemoveClient(const ConstRCPtr<LNotificationReceiver>& receiver,
                            ConstRCPtr<Registration>& removed)
{
    MutexLock lock(m_lock);
    for (std::uint32_t i = m_registrations.GetCount(); i-- > 0;)
    {
        if (m_registrations.GetAt(i)->Get()->m_receiver != receiver)
            continue;
        RCPtr<Registration> taken;
        m_registrations.RemoveItem(i, taken);
        removed = std::move(taken);
        for (DeliveryPosition* position = m_positions; position; position = position->next)
        {
            if (static_cast<std::int32_t>(i) < position->index)
                --position->index;
        }
        return QK_OK;
    }
    return QK_FALSE;
}

std::int32_t Pool::FindClientIndex(const ConstRCPtr<LNotificationReceiver>& receiver)
{
    MutexLock lock(m_lock);
    for (std::uint32_t i = m_registrations.GetCount(); i-- > 0;)
    {
        if (m_registrations.GetAt(i)->Get()->m_receiver == receiver)
            return static_cast<std::int32_t>(i);
    }
    return -1;
}

bool Pool::GetClientMask(const ConstRCPtr<LNotificationReceiver>& receiver, std::uint32_t& mask)
{
    MutexLock lock(m_lock);
    const std::int32_t index = FindClientIndex(receiver);
    if (index < 0)
        return false;
    mask = m_registrations.GetAt(static_cast<std::uint32_t>(index))->Get()->m_mask;
    return true;
}

ConstRCPtr<Registration> Pool::GetRegistration(std::int32_t index)
{
    MutexLock lock(m_lock);
    if (index < 0 || static_cast<std::uint32_t>(index) >= m_registrations.GetCount())
        return nullptr;
    return *m_registrations.GetAt(static_cast<std::uint32_t>(index));
}

ConstRCPtr<Registration> Pool::TakeForDelivery(std::int32_t index,
                                               const ConstRCPtr<LNotification>& notification,
                                               ConstRCPtr<LNotification>& unbound)
{
    Registration* registration = m_registrations.GetAt(static_cast<std::uint32_t>(index))->Get();
    if (registration->m_mask & kPostedOnly)
    {
        if (registration->m_bound != notification)
            return nullptr;
        unbound = std::move(registration->m_bound);
    }
    return ConstRCPtr<Registration>(registration);
}

QKRESULT Pool::Deliver(const ConstRCPtr<LNotificationDistributor>& source,
                       const ConstRCPtr<LNotification>& notification)
{
    // The position stays on the last registration visited from start to end, between calls
    // too, since other threads may remove registrations at any time.
    TrackedPosition position(*this);
    {
        MutexLock lock(m_lock);
        if (m_registrations.GetCount() == 0)
            return QK_FALSE;
        position.Set(static_cast<std::int32_t>(m_registrations.GetCount()));
    }
    for (;;)
    {
        ConstRCPtr<LNotification> unbound;
        ConstRCPtr<Registration> registration;
        {
            MutexLock lock(m_lock);
            const auto count = static_cast<std::int32_t>(m_registrations.GetCount());
            const std::int32_t i = std::min(position.Get(), count) - 1;
            if (i < 0)
                break;
            position.Set(i);
            registration = TakeForDelivery(i, notification, unbound);
        }
        if (registration)
        {
            const ConstRCPtr<LNotificationReceiver> receiver = registration->GetReceiver();
            registration = nullptr;
            Call(receiver)->ReceiveNotification(source, notification);
        }
    }
    return QK_OK;
}

std::int32_t Pool::DeliverAt(const ConstRCPtr<LNotificationDistributor>& source, std::int32_t index,
                             const ConstRCPtr<LNotification>& notification)
{
    TrackedPosition position(*this);
    ConstRCPtr<LNotification> unbound;
    ConstRCPtr<Registration> registration;
    {
        MutexLock lock(m_lock);
        const auto count = static_cast<std::int32_t>(m_registrations.GetCount());
        if (index >= count)
            return count;
        if (index < 0)
            return index;
        registration = TakeForDelivery(index, notification, unbound);
        if (!registration)
            return index;
        position.Set(index);
    }
    const ConstRCPtr<LNotificationReceiver> receiver = registration->GetReceiver();
    registration = nullptr;
    Call(receiver)->ReceiveNotification(source, notification);
    MutexLock lock(m_lock);
    return position.Get();
}

void Pool::BindPostedOnly(const ConstRCPtr<LNotification>& notification)
{
    if (!(m_combinedMask.load(std::memory_order_acquire) & kPostedOnly))
        return;
    // Replaced bindings are let go after the lock: a last release runs destructors.
    Array<ConstRCPtr<LNotification>> replaced;
    MutexLock lock(m_lock);
    for (std::uint32_t i = m_registrations.GetCount(); i-- > 0;)
    {
        Registration* registration = m_registrations.GetAt(i)->Get();
        if (!(registration->m_mask & kPostedOnly))
            continue;
        if (registration->m_bound)
            replaced.Add(registration->m_bound);
        registration->m_bound = notification;
    }
}

// ---- LNotificationDistributor ----

QKRESULT LNotificationDistributor::RegisterClient(const ConstRCPtr<LNotificationReceiver>& receiver,
                                                  NotificationName nid, std::uint32_t mask) const
{
    if (!receiver)
        return QK_E_INVALIDARG;
    const NID id = GetNotificationId(nid);
    if (id == 0)
        return QK_FALSE;

    MutexLock lock(m_lock);
    RCPtr<Pool> pool = FindClientPool(id);
    const bool already = pool && pool->FindClientIndex(receiver) >= 0;
    // What may fail for want of memory comes first, so that a failure leaves the counts
    // as they were.
    if (!pool)
    {
        pool = RCPtr<Pool>(new Pool(id));
        m_pools.Add(pool);
    }
    pool->AddClient(receiver, mask);
    if (!already)
    {
        Self()->AddRef();
        Self()->AddInternalReferences(1);
        if (++m_registrationCount == 1)
        {
            ActiveList& active = GetActiveList();
            MutexLock activeLock(active.lock);
            Self()->AddInternalReferences(1);
            active.distributors.Add(RCPtr<LNotificationDistributor>(Self()));
        }
    }
    return already ? QK_FALSE : QK_OK;
}

QKRESULT LNotificationDistributor::UnregisterClient(const ConstRCPtr<LNotificationReceiver>& receiver,
                                                    NotificationName nid) const
{
    if (!receiver)
        return QK_E_INVALIDARG;
    const NID id = GetNotificationId(nid);
    if (id == 0)
        return QK_E_INVALIDARG;

    // Declared before the lock, so that whatever these let go is let go after it: the
    // removal may drop the last references to the receiver and to this distributor.
    const ConstRCPtr<LNotificationDistributor> self(Self());
    ConstRCPtr<Registration> removed;
    RCPtr<LNotificationDistributor> leaving;

    MutexLock lock(m_lock);
    const RCPtr<Pool> pool = FindClientPool(id);
    if (!pool)
        return QK_FALSE;
    const QKRESULT result = pool->RemoveClient(receiver, removed);
    if (result != QK_OK)
        return result;

    if (--m_registrationCount == 0)
    {
        ActiveList& active = GetActiveList();
        MutexLock activeLock(active.lock);
        const std::int32_t index = FindActive(active, this);
        if (index >= 0)
        {
            Self()->AddInternalReferences(-1);
            active.distributors.RemoveItem(static_cast<std::uint32_t>(index), leaving);
        }
    }
    Self()->AddInternalReferences(-1);
    Self()->Release();
    return QK_OK;
}

std::int32_t
LNotificationDistributor::UnregisterClientFromAll(const ConstRCPtr<LNotificationReceiver>& receiver) const
{
    if (!receiver)
        return QK_E_INVALIDARG;
    const ConstRCPtr<LNotificationDistributor> self(Self());
    MutexLock lock(m_lock);
    std::int32_t removed = 0;
    for (std::uint32_t i = m_pools.GetCount(); i-- > 0;)
    {
        if (i >= m_pools.GetCount())
            continue;
        const NID id = m_pools.GetAt(i)->Get()->GetNotificationId();
        if (id != 0 && UnregisterClient(receiver, id) == QK_OK)
            ++removed;
    }
    return removed;
}

bool LNotificationDistributor::HasClient(const ConstRCPtr<LNotificationReceiver>& receiver) const
{
    MutexLock lock(m_lock);
    for (std::uint32_t i = m_pools.GetCount(); i-- > 0;)
    {
        if (m_pools.GetAt(i)->Get()->FindClientIndex(receiver) >= 0)
            return true;
    }
    return false;
}

QKRESULT LNotificationDistributor::GetClientMask(const ConstRCPtr<LNotificationReceiver>& receiver,
                                                 NotificationName nid, std::uint32_t& mask) const
{
    const NID id = GetNotificationId(nid);
    if (id == 0)
        return QK_E_FAIL;
    MutexLock lock(m_lock);
    const RCPtr<Pool> pool = FindClientPool(id);
    return pool && pool->GetClientMask(receiver, mask) ? QK_OK : QK_E_FAIL;
}

RCPtr<Pool> LNotificationDistributor::FindClientPool(NID id) const
{
    MutexLock lock(m_lock);
    for (std::uint32_t i = m_pools.GetCount(); i-- > 0;)
    {
        const RCPtr<Pool>& pool = *m_pools.GetAt(i);
        if (pool->GetNotificationId() == id)
            return pool;
    }
    return nullptr;
}

QKRESULT LNotificationDistributor::SendNotification(const ConstRCPtr<LNotification>& notification) const
{
    if (!notification)
        return QK_E_INVALIDARG;
    const RCPtr<Pool> pool = FindClientPool(notification->GetId());
    if (!pool)
        return QK_FALSE;
    const ConstRCPtr<LNotificationDistributor> source(Self());
    return pool->Deliver(source, notification);
}

QKRESULT LNotificationDistributor::DetachAllClients() const
{
    const ConstRCPtr<LNotificationDistributor> self(Self());
    MutexLock lock(m_lock);
    for (std::uint32_t p = m_pools.GetCount(); p-- > 0;)
    {
        const RCPtr<Pool> pool = *m_pools.GetAt(p);
        for (std::int32_t i = static_cast<std::int32_t>(pool->GetCount()); i-- > 0;)
        {
            const ConstRCPtr<Registration> registration = pool->GetRegistration(i);
            if (registration)
                Call(registration->GetReceiver())->DetachFromDistributor(self, pool->GetNotificationId());
        }
    }
    return QK_OK;
}

std::int32_t LNotificationDistributor::GetRegistrationCount() const
{
    MutexLock lock(m_lock);
    return m_registrationCount;
}

bool LNotificationDistributor::IsActive() const
{
    ActiveList& active = GetActiveList();
    MutexLock lock(active.lock);
    return FindActive(active, this) >= 0;
}

} // namespace QK
