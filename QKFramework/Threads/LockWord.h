// LockWord: a small lock for short, frequent regions. A free lock is taken with one atomic
// exchange; only contended acquirers sleep on the event. States: 0 free, 1 held, 2 held
// with a sleeper.
#pragma once

#include "QKFramework/Threads/Event.h"

#include <atomic>
#include <cstdint>

namespace QK
{

struct LockWord
{
    std::atomic<std::uint32_t> state{0};
    Event event{true};
};

inline void AcquireLockWord(LockWord& word)
{
    if (word.state.exchange(1, std::memory_order_acquire) == 0)
        return;
    while (word.state.exchange(2, std::memory_order_acquire) != 0)
        word.event.Wait(kInfinite);
}

inline void ReleaseLockWord(LockWord& word)
{
    if (word.state.exchange(0, std::memory_order_release) == 2)
        word.event.Set();
}

// Holds a LockWord for one scope.
class LockWordGuard
{
public:
    explicit LockWordGuard(LockWord& word) : m_word(word) { AcquireLockWord(m_word); }
    LockWordGuard(const LockWordGuard&) = delete;
    LockWordGuard& operator=(const LockWordGuard&) = delete;
    ~LockWordGuard() { ReleaseLockWord(m_word); }

private:
    LockWord& m_word;
};

} // namespace QK
