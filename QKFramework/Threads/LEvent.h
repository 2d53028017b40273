// LEvent: a reference-counted auto-reset event, shared between the objects that wait on it
// and those that set it.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Threads/Event.h"

namespace QK
{

class LEvent : public virtual LRefCountedObject, public Event
{
public:
    // Every caller asks for an auto-reset event; it starts not signalled.
    static ConstRCPtr<LEvent> Create(bool autoReset = true) { return ConstRCPtr<LEvent>(new LEvent(autoReset)); }

private:
    explicit LEvent(bool autoReset) : Event(autoReset) {}
};

} // namespace QK
