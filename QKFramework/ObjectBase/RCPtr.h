// ConstRCPtr and RCPtr: the smart pointers that hold every reference-counted object.
//
// A non-empty pointer holds exactly one reference. Taking an object that its single holder
// has marked unshareable replaces it at once by a private copy (Unshare), which is how
// strings write into their buffers without disturbing other holders. ConstRCPtr gives
// read access; RCPtr is the same pointer for holders that change the object.
//
// One smart pointer belongs to one thread at a time; different pointers to one object may
// be copied and destroyed on different threads.
#pragma once

#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/ObjectBase/TypeName.h"

#include <cstddef>
#include <string>
#include <type_traits>
#include <utility>

namespace QK
{

namespace detail
{
[[noreturn]] void ThrowUnshareFailed(const std::string& typeName);
}

template <class T, class P = T*>
class ConstRCPtr
{
    template <class, class> friend class ConstRCPtr;

public:
    using element_type = T;

    ConstRCPtr() noexcept = default;
    ConstRCPtr(std::nullptr_t) noexcept {}
    ConstRCPtr(T* object) : m_object(object) { AttachInConstructor(); }
    ConstRCPtr(const ConstRCPtr& other) : m_object(other.m_object) { AttachInConstructor(); }
    ConstRCPtr(ConstRCPtr&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}

    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    ConstRCPtr(const ConstRCPtr<U, U*>& other) : m_object(other.m_object)
    {
        AttachInConstructor();
    }

    ~ConstRCPtr()
    {
        if (m_object)
            AsBase(m_object)->Release();
    }

    ConstRCPtr& operator=(const ConstRCPtr& other)
    {
        Reset(other.m_object);
        return *this;
    }

    ConstRCPtr& operator=(ConstRCPtr&& other) noexcept
    {
        if (this != &other)
        {
            T* old = std::exchange(m_object, std::exchange(other.m_object, nullptr));
            if (old)
                AsBase(old)->Release();
        }
        return *this;
    }

    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    ConstRCPtr& operator=(const ConstRCPtr<U, U*>& other)
    {
        ConstRCPtr converted(other);
        Reset(converted.m_object);
        return *this;
    }

    ConstRCPtr& operator=(std::nullptr_t)
    {
        Reset(nullptr);
        return *this;
    }

    // A pointer to the same object as a T, or empty when the object is not a T.
    template <class U>
    static ConstRCPtr DynamicCast(const ConstRCPtr<U, U*>& other)
    {
        if constexpr (std::is_convertible_v<U*, T*>)
            return ConstRCPtr(static_cast<T*>(other.m_object));
        else
            return ConstRCPtr(dynamic_cast<T*>(other.m_object));
    }

    const T* Get() const noexcept { return m_object; }
    const T* operator->() const noexcept { return m_object; }
    const T& operator*() const noexcept { return *m_object; }
    explicit operator bool() const noexcept { return m_object != nullptr; }
    bool IsNull() const noexcept { return m_object == nullptr; }

    // Takes the reference for the pointer just stored, and unshares an unshareable object.
    void Attach()
    {
        if (!m_object)
            return;
        AsBase(m_object)->AddRef();
        if (!AsBase(m_object)->IsShareable())
            Unshare();
    }

    // Replaces an object that others hold too by a private copy made with CreateCopy.
    void Unshare()
    {
        if (!m_object || AsBase(m_object)->GetRefCount() <= 1)
            return;
        ConstRCPtr<LRefCountedObject, LRefCountedObject*> copy = AsBase(m_object)->CreateCopy();
        ConstRCPtr typed = DynamicCast(copy);
        if (typed.m_object != m_object)
        {
            T* old = std::exchange(m_object, std::exchange(typed.m_object, nullptr));
            AsBase(old)->Release();
        }
        if (!m_object)
            detail::ThrowUnshareFailed(TypeName<T>());
    }

    // Hands the held reference to the caller, leaving the pointer empty.
    [[nodiscard]] T* Detach() noexcept { return std::exchange(m_object, nullptr); }
    // Takes over a reference the caller already holds, releasing the old object.
    void Adopt(T* object) noexcept
    {
        T* old = std::exchange(m_object, object);
        if (old)
            AsBase(old)->Release();
    }

    friend bool operator==(const ConstRCPtr& a, const ConstRCPtr& b) noexcept { return a.m_object == b.m_object; }
    friend bool operator==(const ConstRCPtr& a, std::nullptr_t) noexcept { return a.m_object == nullptr; }

protected:
    static LRefCountedObject* AsBase(T* object) noexcept { return object; }

    // Assignment: the new reference is taken before the old one is let go, so an object
    // whose last other holder was the old object survives.
    void Reset(T* object)
    {
        if (object == m_object)
            return;
        struct ReleaseOld
        {
            T* old;
            ~ReleaseOld()
            {
                if (old)
                    AsBase(old)->Release();
            }
        } releaseOld{m_object};
        m_object = object;
        Attach();
    }

    // A constructor that throws runs no destructor: give back the reference Attach took.
    void AttachInConstructor()
    {
        try
        {
            Attach();
        }
        catch (...)
        {
            if (m_object)
                AsBase(std::exchange(m_object, nullptr))->Release();
            throw;
        }
    }

    T* m_object = nullptr;
};

template <class T, class P = T*>
class RCPtr : public ConstRCPtr<T, P>
{
    using Base = ConstRCPtr<T, P>;

public:
    using Base::Base;
    RCPtr() noexcept = default;
    RCPtr(const RCPtr&) = default;
    RCPtr(RCPtr&&) noexcept = default;
    RCPtr& operator=(const RCPtr&) = default;
    RCPtr& operator=(RCPtr&&) noexcept = default;

    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    RCPtr(const RCPtr<U, U*>& other) : Base(static_cast<const ConstRCPtr<U, U*>&>(other))
    {
    }

    RCPtr& operator=(std::nullptr_t)
    {
        Base::operator=(nullptr);
        return *this;
    }

    template <class U>
    static RCPtr DynamicCast(const ConstRCPtr<U, U*>& other)
    {
        RCPtr result;
        static_cast<Base&>(result) = Base::DynamicCast(other);
        return result;
    }

    T* Get() const noexcept { return this->m_object; }
    T* operator->() const noexcept { return this->m_object; }
    T& operator*() const noexcept { return *this->m_object; }
};

} // namespace QK
