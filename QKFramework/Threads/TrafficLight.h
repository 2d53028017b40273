// TrafficLight: a manual-reset gate, red (not signalled) when made. Green lets every
// waiter through until it is set red again.
#pragma once

#include "QKFramework/Threads/Event.h"

namespace QK
{

class TrafficLight : private Event
{
public:
    TrafficLight() : Event(false) {}

    void SetGreen() const { Event::Set(); }
    void SetRed() const { Event::Reset(); }
    // True unless a zero wait times out: a light that cannot be waited on reads as green.
    bool IsGreen() const { return Event::Wait(0) != kWaitTimeout; }

    using Event::Close;
    using Event::GetHandle;
    using Event::Wait;
};

} // namespace QK
