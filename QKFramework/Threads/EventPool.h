// EventPool: a fixed set of auto-reset events, waited on together.
//
// The thread pool gives event i to worker i as its done gate; its dispatcher waits on all
// of them at once. Every operation may run on any thread.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Threads/EventObject.h"
#include "QKFramework/Threads/LEvent.h"
#include "QKFramework/Utilities/Storage/RCPtrArray.h"

#include <cstdint>
#include <vector>

namespace QK
{

class EventPool
{
public:
    // count auto-reset events, not signalled; none when the tables cannot be made.
    explicit EventPool(std::uint32_t count);
    EventPool(const EventPool&) = delete;
    EventPool& operator=(const EventPool&) = delete;
    virtual ~EventPool();

    std::uint32_t GetCount() const;
    // The event at index, as a worker's trigger takes its gate; empty for a bad index.
    ConstRCPtr<LEvent> GetEventAt(std::uint32_t index) const;
    // Waits until one of the events is signalled and answers its index (the lowest when
    // several are), taking that event's signal; -1 when the time runs out or the wait fails.
    std::int32_t WaitAny(std::uint32_t timeoutMs) const;

private:
    RCPtrArray<LEvent, 1, 0> m_events;
    std::vector<EventObject*> m_handles;
};

} // namespace QK
