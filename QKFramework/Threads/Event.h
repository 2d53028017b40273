// Event: an owned waitable event (see EventObject for the wait codes). Setting and waiting
// are const: the event synchronises itself, and holders share it read-only. Closing it, which
// the destructor does, leaves an event whose waits fail and whose Set and Reset answer false.
#pragma once

#include "QKFramework/Threads/EventObject.h"

#include <cstdint>
#include <memory>

namespace QK
{

class Event
{
public:
    explicit Event(bool autoReset) : m_object(std::make_unique<EventObject>(autoReset, false)) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    virtual ~Event() { Close(); }

    // The underlying event, for waits on several events at once; null once closed.
    EventObject* GetHandle() const noexcept { return m_object.get(); }

    bool Set() const
    {
        if (!m_object)
            return false;
        m_object->Set();
        return true;
    }

    bool Reset() const
    {
        if (!m_object)
            return false;
        m_object->Reset();
        return true;
    }

    std::uint32_t Wait(std::uint32_t timeoutMs) const { return m_object ? m_object->Wait(timeoutMs) : kWaitFailed; }

    void Close() noexcept { m_object.reset(); }

private:
    std::unique_ptr<EventObject> m_object;
};

} // namespace QK
