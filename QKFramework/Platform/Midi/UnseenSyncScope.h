// UnseenSyncScope: marks a call whose memory is handed to another thread through
// synchronisation that ThreadSanitizer cannot see, so that it reports no race for it.
//
// RtMidi's JACK output copies each message into a lock-free JACK ring buffer, which the
// JACK process thread reads; the ring buffer orders the two with barriers inside the
// uninstrumented libjack. Without this, ThreadSanitizer reports the two copies as a race,
// and the time its first report takes makes the JACK process thread miss its cycle, so
// that message is lost. Outside ThreadSanitizer builds the scope does nothing.
#pragma once

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_ignore_thread_begin();
extern "C" void __tsan_ignore_thread_end();
#endif

namespace QK
{

class UnseenSyncScope
{
public:
#if defined(__SANITIZE_THREAD__)
    UnseenSyncScope() { __tsan_ignore_thread_begin(); }
    ~UnseenSyncScope() { __tsan_ignore_thread_end(); }
#else
    // Not defaulted, so that a scope variable is not taken for an unused one.
    UnseenSyncScope() {}
    ~UnseenSyncScope() {}
#endif
    UnseenSyncScope(const UnseenSyncScope&) = delete;
    UnseenSyncScope& operator=(const UnseenSyncScope&) = delete;
};

} // namespace QK
