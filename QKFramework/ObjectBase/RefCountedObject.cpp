#include "QKFramework/ObjectBase/RefCountedObject.h"

#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Utilities/Storage/StringT.h"

namespace QK
{

LRefCountedObject::LRefCountedObject() noexcept = default;

WString LRefCountedObject::ToString() const
{
    WString text(u"LRefCountedObject::ToString() not overridden. Returning TypeName: ");
    text.Append(WString(TypeNameOf(typeid(*this)).c_str()));
    return text;
}

void LRefCountedObject::Undo()
{
    throw Exception<std::logic_error>("Logic Error : Undo() not implemented for RefCountedObject : "
                                      "QK::LRefCountedObject::Undo : objectbase\\RefCountedObject : Line 156");
}

std::int32_t LRefCountedObject::AddRef() noexcept
{
    return m_refCount.fetch_add(1, std::memory_order_relaxed) + 1;
}

std::int32_t LRefCountedObject::Release()
{
    const std::int32_t refs = m_refCount.load(std::memory_order_acquire);
    const std::int32_t internals = m_internalCount.load(std::memory_order_acquire);
    if (refs - internals == 1)
    {
        std::uint32_t expected = 0;
        if (m_releaseGuard.compare_exchange_strong(expected, 1, std::memory_order_acq_rel))
        {
            if (m_internalCount.load(std::memory_order_acquire) > 0)
                ReleaseInternalReferences();
            if (m_refCount.load(std::memory_order_acquire) != 1)
            {
                expected = 1;
                m_releaseGuard.compare_exchange_strong(expected, 0, std::memory_order_acq_rel);
            }
        }
    }
    const std::int32_t remaining = m_refCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (remaining == 0)
        delete this;
    return remaining;
}

QKRESULT LRefCountedObject::ReleaseInternalReferences()
{
    return (GetInternalRefCount() == 0 && GetRefCount() == 1) ? QK_OK : QK_E_FAIL;
}

ConstRCPtr<LRefCountedObject, LRefCountedObject*> LRefCountedObject::CreateCopy() const
{
    throw Exception<std::logic_error>(FormatExceptionText("Logic Error : ",
                                                          "CreateCopy() not implemented for RefCountedObject",
                                                          "QK::LRefCountedObject::CreateCopy",
                                                          "objectbase\\RefCountedObject", 274));
}

void LRefCountedObject::SetUnshareable(bool unshareable)
{
    if (unshareable && GetRefCount() > 1)
        throw Exception<std::runtime_error>(
            "Runtime Error : QK::LRefCountedObject::SetUnshareable : ObjectBase\\RefCountedObject : Line 29");
    m_shareable.store(!unshareable, std::memory_order_release);
}

namespace detail
{
void ThrowUnshareFailed(const std::string& typeName)
{
    throw Exception<std::logic_error>(FormatExceptionText("Logic Error : ", typeName,
                                                          "QK::ConstRCPtr<" + typeName + "," + typeName + " *>::Unshare",
                                                          "objectbase\\RefCountedObject", 424));
}
} // namespace detail

} // namespace QK
