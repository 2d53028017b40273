// UniqueHandle: the one owner of a C handle (a file descriptor, a socket, an Expat parser).
//
// Traits name the handle type, its invalid value and how it is released:
//     struct Traits { using Handle = ...; static Handle Invalid() noexcept; static void Close(Handle)
//     noexcept; };
// The holder releases what it holds when it is reset or destroyed, so no handle is freed by
// hand. It moves, it does not copy.
#pragma once

#include <utility>

namespace QK
{

template <class Traits> class UniqueHandle
{
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept : m_handle(Traits::Invalid()) {}
    explicit UniqueHandle(Handle handle) noexcept : m_handle(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    Handle Get() const noexcept { return m_handle; }
    bool IsValid() const noexcept { return m_handle != Traits::Invalid(); }
    explicit operator bool() const noexcept { return IsValid(); }

    // Hands the handle to the caller, who then releases it.
    [[nodiscard]] Handle Release() noexcept { return std::exchange(m_handle, Traits::Invalid()); }

    // Releases the held handle and takes handle in its place.
    void Reset(Handle handle = Traits::Invalid()) noexcept
    {
        const Handle old = std::exchange(m_handle, handle);
        if (old != Traits::Invalid())
            Traits::Close(old);
    }

private:
    Handle m_handle;
};

} // namespace QK
