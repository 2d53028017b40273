// Scheduling of the process's own threads: the stand-in for Win32 thread priorities and
// their dynamic boost.
//
// A thread's priority is its nice value, counted from the nice value of the process's main
// thread: the Win32 levels lowest (-2) to highest (2) are five nice steps apart, idle (-15)
// and time critical (15) are the ends of the nice range. A thread without boost runs as a
// batch thread, which the scheduler does not let preempt a running thread when it wakes.
// Raising a thread above the main thread needs CAP_SYS_NICE or an RLIMIT_NICE that allows it
// (members of the audio group usually have one); lowering it is always allowed, and a thread
// once lowered needs the same to come back. Threads that a changed thread creates inherit
// neither the batch policy nor a raised priority.
//
// Any thread may call these, for any thread of the process that is still running.
#pragma once

#include <cstdint>

namespace QK
{

using SystemThreadId = std::int64_t;

// The calling thread's id in the system.
SystemThreadId GetCurrentSystemThreadId();

// Gives thread the nice value of priority (a Win32 level) and, unless boost, the batch
// policy, both at once. False when priority is no Win32 level or the system refuses; the
// thread then keeps what it had.
bool SetSystemThreadScheduling(SystemThreadId thread, std::int32_t priority, bool boost);

} // namespace QK
