// Scheduling of the process's own threads: the stand-in for Win32 thread priorities and
// their dynamic boost.
//
// A thread's priority is its nice value, counted from the nice value of the process's main
// thread: the Win32 levels lowest (-2) to highest (2) are five nice steps apart, idle (-15)
// and time critical (15) are the ends of the nice range. Raising a thread above the main
// thread needs CAP_SYS_NICE or an RLIMIT_NICE that allows it (members of the audio group
// usually have one); lowering it is always allowed, and a thread once lowered needs the same
// to come back. Threads that a raised thread creates (a MIDI library's reader, say) start at
// the ordinary priority, not at their creator's.
//
// Linux raises no thread's priority for a while when it wakes, as Win32's dynamic boost
// does, so there is no boost to switch off, and none to switch on. (The batch policy, the
// nearest thing, is passed on to every thread its thread creates, the MIDI library's
// readers among them, so it is not used.)
//
// Any thread may call these, for any thread of the process that is still running.
#pragma once

#include <cstdint>

namespace QK
{

using SystemThreadId = std::int64_t;

// The calling thread's id in the system.
SystemThreadId GetCurrentSystemThreadId();

// Gives thread the nice value of priority (a Win32 level). False when priority is no Win32
// level or the system refuses; the thread then keeps what it had.
bool SetSystemThreadPriority(SystemThreadId thread, std::int32_t priority);

} // namespace QK
