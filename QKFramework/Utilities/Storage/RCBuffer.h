// Reference-counted byte buffers: the storage that strings, values, registry values and
// preset files share between holders.
//
// A buffer is shared read-only while it is shareable. A holder that writes into it first
// makes sure it is the only holder and marks it unshareable; any further smart pointer that
// takes it then receives its own copy through CreateCopy (copy on write by marking).
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Utilities/Storage/Buffer.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace QK
{

class LIBuffer : public virtual IBuffer, public virtual LRefCountedObject
{
public:
    // A new buffer of the same kind, size bytes long, zero-filled and holding this buffer's
    // bytes from offset on as far as they reach. out may be the pointer that holds this buffer.
    virtual void CreateSizedCopy(ConstRCPtr<LIBuffer>& out, std::uint32_t size,
                                 std::uint32_t offset) const = 0;

    ConstRCPtr<LRefCountedObject> CreateCopy() const override = 0;

    // The address of byte n, or null when n is not below the size.
    void* GetPointerAt(std::uint32_t n) const
    {
        return n < GetSize() ? static_cast<unsigned char*>(GetBuffer()) + n : nullptr;
    }

protected:
    ~LIBuffer() override = default;
};

template <std::uint32_t Granule, std::uint32_t MaxSlack, std::uint32_t Third = 8, class ElementPtr = char*,
          IAllocator* (*AllocatorFn)() = GetSystemAllocator>
class LBufferT : public BufferT<Granule, MaxSlack, Third, ElementPtr, AllocatorFn>, public LIBuffer
{
    using Base = BufferT<Granule, MaxSlack, Third, ElementPtr, AllocatorFn>;

public:
    // Attaches a new buffer, constructed as BufferT is, to out. Throws
    // Exception<std::bad_alloc> when memory runs out; out is then unchanged.
    static void Create(ConstRCPtr<LIBuffer>& out, std::uint32_t size, std::uint32_t reserve = 0,
                       bool zeroFill = false)
    {
        LBufferT* buffer = new (std::nothrow) LBufferT(size, reserve, zeroFill);
        if (!buffer)
            ThrowBadAlloc();
        out = ConstRCPtr<LIBuffer>(buffer);
    }

    void CreateSizedCopy(ConstRCPtr<LIBuffer>& out, std::uint32_t size, std::uint32_t offset) const override
    {
        // Built aside first: out may hold the last reference to this buffer.
        ConstRCPtr<LIBuffer> copy;
        Create(copy, size, 0, true);
        if (offset < this->m_size)
            CopyBytes(copy, offset, std::min(size, this->m_size - offset));
        out = std::move(copy);
    }

    ConstRCPtr<LRefCountedObject> CreateCopy() const override
    {
        ConstRCPtr<LIBuffer> copy;
        Create(copy, this->m_size, 0, true);
        CopyBytes(copy, 0, this->m_size);
        return copy;
    }

protected:
    ~LBufferT() override = default;

private:
    LBufferT(std::uint32_t size, std::uint32_t reserve, bool zeroFill) : Base(size, reserve, zeroFill) {}

    void CopyBytes(const ConstRCPtr<LIBuffer>& to, std::uint32_t offset, std::uint32_t count) const
    {
        if (count != 0)
            std::memcpy(to->GetBuffer(), GetPointerAt(offset), count);
    }
};

} // namespace QK
