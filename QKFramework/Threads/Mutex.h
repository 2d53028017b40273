// Mutex: the framework's lock. Recursive: the owning thread may lock again.
// MutexLock holds it for one scope, also when an exception passes.
#pragma once

#include <mutex>

namespace QK
{

class Mutex
{
public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;
    virtual ~Mutex() = default;

    void Lock() { m_mutex.lock(); }
    void Unlock() { m_mutex.unlock(); }
    bool TryLock() { return m_mutex.try_lock(); }

    // Standard lockable names, so std::unique_lock and std::scoped_lock work too.
    void lock() { Lock(); }
    void unlock() { Unlock(); }
    bool try_lock() { return TryLock(); }

private:
    std::recursive_mutex m_mutex;
};

class MutexLock
{
public:
    explicit MutexLock(Mutex& mutex) : m_mutex(mutex) { m_mutex.Lock(); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;
    ~MutexLock() { m_mutex.Unlock(); }

private:
    Mutex& m_mutex;
};

} // namespace QK
