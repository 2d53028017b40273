#include "QKFramework/Notification/NotificationClient.h"

namespace QK
{

std::int32_t LNotificationClient::FindDistributor(const LNotificationDistributor* distributor) const
{
    for (std::uint32_t i = 0; i < m_distributors.GetCount(); ++i)
    {
        if (*m_distributors.GetAt(i) == distributor)
            return static_cast<std::int32_t>(i);
    }
    return -1;
}

NID LNotificationClient::Subscribe(const ConstRCPtr<LNotificationDistributor>& distributor,
                                   NotificationName nid, std::uint32_t mask)
{
    if (!distributor)
        return 0;
    const NID id = GetNotificationId(nid);
    if (id == 0)
        return 0;
    const ConstRCPtr<LNotificationReceiver> self(this);
    const QKRESULT result = distributor->RegisterClient(self, id, mask);
    if (result == QK_OK)
    {
        AddInternalReferences(1);
        ++m_registrationCount;
    }
    if (result >= 0 && FindDistributor(distributor.Get()) < 0)
        m_distributors.Add(distributor.Get());
    return id;
}

QKRESULT LNotificationClient::Unsubscribe(const ConstRCPtr<LNotificationDistributor>& distributor,
                                          NotificationName nid)
{
    if (m_registrationCount == 0)
        return QK_FALSE;
    if (!distributor)
        return QK_E_INVALIDARG;
    const NID id = GetNotificationId(nid);
    if (id == 0)
        return QK_E_INVALIDARG;
    const ConstRCPtr<LNotificationReceiver> self(this);
    const QKRESULT result = distributor->UnregisterClient(self, id);
    if (result == QK_OK)
    {
        AddInternalReferences(-1);
        --m_registrationCount;
        if (!distributor->HasClient(self))
        {
            const std::int32_t index = FindDistributor(distributor.Get());
            if (index >= 0)
                m_distributors.RemoveRange(static_cast<std::uint32_t>(index), 1);
        }
    }
    return result;
}

std::int32_t LNotificationClient::UnsubscribeAll()
{
    if (m_registrationCount < 1)
        return 0;
    AddInternalReferences(-m_registrationCount);
    const ConstRCPtr<LNotificationReceiver> self(this);
    std::int32_t removed = 0;
    for (std::uint32_t i = m_distributors.GetCount(); i-- > 0;)
    {
        const ConstRCPtr<LNotificationDistributor> distributor(
            const_cast<LNotificationDistributor*>(*m_distributors.GetAt(i)));
        removed += distributor->UnregisterClientFromAll(self);
        m_distributors.RemoveRange(i, 1);
    }
    m_registrationCount = 0;
    return removed;
}

QKRESULT LNotificationClient::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>&,
                                                  const ConstRCPtr<LNotification>&)
{
    return QK_OK;
}

QKRESULT LNotificationClient::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source,
                                                    NID id)
{
    return Unsubscribe(source, id);
}

QKRESULT LNotificationClient::ReleaseInternalReferences()
{
    UnsubscribeAll();
    return (GetInternalRefCount() == 0 && GetRefCount() == 1) ? QK_OK : QK_E_FAIL;
}

} // namespace QK
