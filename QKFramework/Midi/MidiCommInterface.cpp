#include "QKFramework/Midi/MidiCommInterface.h"

#include "QKFramework/Midi/MidiComm.h"
#include "QKFramework/Notification/Notification.h"

#include <algorithm>

namespace QK
{

RCPtr<LMidiCommInterface> LMidiCommInterface::Create()
{
    return RCPtr<LMidiCommInterface>(LMidiComm::Create());
}

ConstRCPtr<LIMidiFilter> LMidiCommInterface::GetFilter(const LNotificationReceiver* receiver) const
{
    MutexLock lock(m_filterLock);
    for (std::uint32_t i = 0; i < m_filters.GetCount(); ++i)
    {
        const MidiFilterEntry* entry = m_filters.GetAt(i);
        if (entry->receiver == receiver)
            return entry->filter ? ConstRCPtr<LIMidiFilter>::DynamicCast(entry->filter->CreateCopy())
                                 : nullptr;
    }
    return nullptr;
}

QKRESULT LMidiCommInterface::SetFilter(const LNotificationReceiver* receiver,
                                       const ConstRCPtr<LIMidiFilter>& filter)
{
    // The copy is made before the lock: a filter's copy may take time or throw.
    ConstRCPtr<LIMidiFilter> copy;
    if (filter)
        copy = ConstRCPtr<LIMidiFilter>::DynamicCast(filter->CreateCopy());

    MutexLock lock(m_filterLock);
    for (std::uint32_t i = 0; i < m_filters.GetCount(); ++i)
    {
        MidiFilterEntry* entry = m_filters.GetAt(i);
        if (entry->receiver != receiver)
            continue;
        if (copy)
            entry->filter = copy;
        else
            m_filters.RemoveRange(i, 1);
        return QK_OK;
    }
    if (copy)
        m_filters.Add(MidiFilterEntry{receiver, copy});
    return QK_OK;
}

QKRESULT LMidiCommInterface::Distribute(const ConstRCPtr<LMidiCaptureNotificationData>& capture)
{
    return DistributeFrom(ConstRCPtr<LNotificationDistributor>(this), capture);
}

QKRESULT LMidiCommInterface::DistributeFrom(const ConstRCPtr<LNotificationDistributor>& source,
                                            const ConstRCPtr<LMidiCaptureNotificationData>& capture)
{
    const RCPtr<LNotificationClientPool> pool = FindClientPool(GetNotificationId(kNidMidiDataCaptured));
    if (!pool || pool->GetCount() == 0)
        return QK_FALSE;

    ConstRCPtr<LNotification> notification;
    std::int32_t index = static_cast<std::int32_t>(pool->GetCount()) - 1;
    while (index >= 0)
    {
        const ConstRCPtr<LNotificationRegisteredClientInfo> registration = pool->GetRegistration(index);
        if (!registration)
        {
            // Subscribers left while we walked: go on below the end of what remains.
            index = std::min(index, static_cast<std::int32_t>(pool->GetCount())) - 1;
            continue;
        }

        ConstRCPtr<LIMidiFilter> filter;
        {
            MutexLock lock(m_filterLock);
            for (std::uint32_t i = 0; i < m_filters.GetCount(); ++i)
            {
                const MidiFilterEntry* entry = m_filters.GetAt(i);
                if (entry->receiver == registration->GetReceiver().Get())
                {
                    filter = entry->filter;
                    break;
                }
            }
        }
        if (filter && capture && !filter->Filter(capture->GetBytes(), capture->GetCount()))
        {
            --index;
            continue;
        }

        if (!notification)
        {
            notification = LNotification::Create(kNidMidiDataCaptured, capture);
            if (!notification)
                return QK_E_FAIL;
        }
        index = pool->DeliverAt(source, index, notification) - 1;
    }
    return QK_OK;
}

void LMidiCommInterface::SetNotificationCenter(const RCPtr<LNotificationCenter>& centre)
{
    MutexLock lock(m_centreLock);
    m_centre = centre;
}

RCPtr<LNotificationCenter> LMidiCommInterface::GetNotificationCenter() const
{
    MutexLock lock(m_centreLock);
    return m_centre;
}

} // namespace QK
