// LRefCountedObject: the intrusive reference count under every shared framework object.
//
// Objects start with a count of 0 and are handed out inside a smart pointer (RCPtr.h); the
// release that brings the count to 0 deletes the object. Two mechanisms sit on the count:
//  - Internal references: back-references held by objects this one reaches or registered
//    with (a distributor holds its clients, a cache its bitmaps). They are counted apart, and
//    when the last other reference is being released the object is asked, once at a time, to
//    make their holders let go (ReleaseInternalReferences), so that it can die.
//  - Shareability: the single holder may mark the object unshareable while it changes it in
//    place; any further smart pointer that takes it then gets a private copy (CreateCopy).
//
// Counts are atomic; AddRef and Release may run on any thread and take no lock.
#pragma once

#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/StringFwd.h"

#include <atomic>
#include <cstdint>

namespace QK
{

template <class T, class P> class ConstRCPtr;
class LRefCountedObject;

class IStringable
{
public:
    virtual WString ToString() const = 0;

protected:
    ~IStringable() = default;
};

class IUndoable : public IStringable
{
public:
    virtual void Undo() = 0;

protected:
    ~IUndoable() = default;
};

class LRefCountedObject : public IUndoable
{
public:
    LRefCountedObject() noexcept;
    LRefCountedObject(const LRefCountedObject&) = delete;
    LRefCountedObject& operator=(const LRefCountedObject&) = delete;

    // "LRefCountedObject::ToString() not overridden. Returning TypeName: " and the dynamic type.
    WString ToString() const override;
    // No class supports undo; always throws a logic error.
    void Undo() override;

    std::int32_t AddRef() noexcept;
    virtual std::int32_t Release();
    // Makes the holders of internal references drop them. The default changes nothing and
    // answers 0 when the caller holds the only reference, else QK_E_FAIL.
    virtual QKRESULT ReleaseInternalReferences();
    // A new shareable object with the same content. Only byte buffers implement it.
    virtual ConstRCPtr<LRefCountedObject, LRefCountedObject*> CreateCopy() const;

    virtual ~LRefCountedObject() = default;

    // Marking unshareable is refused (runtime error) while more than one reference is held.
    void SetUnshareable(bool unshareable);
    bool IsShareable() const noexcept { return m_shareable.load(std::memory_order_acquire); }

    void AddInternalReferences(std::int32_t delta) noexcept
    {
        m_internalCount.fetch_add(delta, std::memory_order_acq_rel);
    }

    std::int32_t GetRefCount() const noexcept { return m_refCount.load(std::memory_order_acquire); }
    std::int32_t GetInternalRefCount() const noexcept { return m_internalCount.load(std::memory_order_acquire); }

private:
    std::atomic<std::int32_t> m_refCount{0};
    std::atomic<std::int32_t> m_internalCount{0};
    std::atomic<std::uint32_t> m_releaseGuard{0};
    std::atomic<bool> m_shareable{true};
};

} // namespace QK
