#include "QKFramework/Threads/EventPool.h"

#include <new>

namespace QK
{

EventPool::EventPool(std::uint32_t count)
{
    try
    {
        m_handles.resize(count);
        m_events.SetCount(count);
        for (std::uint32_t i = 0; i < count; ++i)
        {
            m_events.GetBuffer()[i] = RCPtr<LEvent>::DynamicCast(LEvent::Create(true));
            m_handles[i] = m_events.GetBuffer()[i]->GetHandle();
        }
    }
    catch (const std::bad_alloc&)
    {
        m_events.RemoveAll();
        m_handles.clear();
    }
}

EventPool::~EventPool()
{
    m_events.RemoveAll();
}

std::uint32_t EventPool::GetCount() const
{
    return static_cast<std::uint32_t>(m_handles.size());
}

ConstRCPtr<LEvent> EventPool::GetEventAt(std::uint32_t index) const
{
    if (index >= GetCount())
        return nullptr;
    return *m_events.GetAt(index);
}

std::int32_t EventPool::WaitAny(std::uint32_t timeoutMs) const
{
    const std::uint32_t result = EventObject::WaitAny(m_handles, timeoutMs);
    if (result == kWaitTimeout || result == kWaitFailed || result >= m_handles.size())
        return -1;
    return static_cast<std::int32_t>(result);
}

} // namespace QK
