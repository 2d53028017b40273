// LWrapper and LHolder: plain values made into reference-counted objects, so that they can
// be queued, shared between threads or sent as a notification argument.
//  - LWrapper<T> is a T that is also an LRefCountedObject (a parameter list, a traffic light).
//  - LHolder<T> points to a heap copy of one value that starts at 0 (numbers, states).
#pragma once

#include "QKFramework/ObjectBase/RefCountedObject.h"

#include <new>

namespace QK
{

template <class T, class RefCounted = LRefCountedObject>
class LWrapper : public T, public virtual RefCounted
{
public:
    LWrapper() = default;
};

template <class T>
class LHolder : public virtual LRefCountedObject
{
public:
    // The held value stays null only when its allocation failed.
    LHolder() : m_value(new (std::nothrow) T()) {}
    LHolder(const LHolder&) = delete;
    LHolder& operator=(const LHolder&) = delete;
    ~LHolder() override { delete m_value; }

    T* GetValuePointer() const noexcept { return m_value; }
    T GetValue() const { return m_value ? *m_value : T(); }
    void SetValue(const T& value)
    {
        if (m_value)
            *m_value = value;
    }

private:
    T* m_value;
};

} // namespace QK
