// RCPtrArray: a ConstRCPtrArray whose elements can also be taken as RCPtr<T>, for holders
// that change the listed objects. LRCPtrArray is one that is itself a reference-counted
// object, so a list can be shared like any other object.
//
// The array has two faces on one storage: IArray<RCPtr<T>> and the ConstRCPtrArray it
// derives from, so it can be passed wherever either kind of list is expected; both faces
// answer with the same element addresses. Called directly, it answers on its RCPtr face.
// The faces differ only where the smart-pointer kind shows: RemoveItem names RCPtrArray in
// its out-of-range error, and Swap goes through a temporary RCPtr (a checked copy-and-
// assign) where the ConstRCPtrArray face exchanges the raw pointers.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Utilities/Storage/ConstRCPtrArray.h"
#include "QKFramework/Utilities/Storage/IIterable.h"

#include <cstdint>
#include <type_traits>

namespace QK
{

// Called directly, the array answers on its RCPtr face: its members hide the ConstRCPtr
// overloads of the same name on purpose.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Woverloaded-virtual"
template <class T, std::uint32_t Grow = 1, std::uint32_t Shrink = 0>
class RCPtrArray : public IArray<RCPtr<T>>, public ConstRCPtrArray<T, Grow, Shrink>
{
    using Face = IArray<RCPtr<T>>;
    using Const = ConstRCPtrArray<T, Grow, Shrink>;
    using Site = typename Const::RemoveItemSite;

    static_assert(sizeof(RCPtr<T>) == sizeof(T*) && std::is_standard_layout_v<RCPtr<T>>);

public:
    using Face::Add;
    using Face::Advance;
    using Face::Append;
    using Face::AppendIterable;
    using Face::Assign;
    using Face::BeforeFirstPointer;
    using Face::Begin;
    using Face::End;
    using Face::EndPointer;
    using Face::FirstPointer;
    using Face::GetAt;
    using Face::GetBuffer;
    using Face::GetIteratorPosition;
    using Face::GetMaxCount;
    using Face::LastPointer;
    using Face::RBegin;
    using Face::RemoveAll;
    using Face::REnd;
    using Face::Swap;
    using typename Face::Iterator;

    explicit RCPtrArray(std::uint32_t count = 0, std::uint32_t reserve = 0) : Const(count, reserve) {}

    ~RCPtrArray() override = default;

    // These answer on both faces at once.
    std::uint32_t GetCount() const override { return Const::GetCount(); }
    RCPtr<T>* GetBuffer() override { return reinterpret_cast<RCPtr<T>*>(this->m_data); }
    QKRESULT SetCount(std::uint32_t count) override { return Const::SetCount(count); }
    QKRESULT InsertCount(std::uint32_t index, std::uint32_t count) override
    {
        return Const::InsertCount(index, count);
    }
    QKRESULT RemoveRange(std::uint32_t index, std::uint32_t count) override
    {
        return Const::RemoveRange(index, count);
    }

    // The RCPtr face of the ConstRCPtrArray operations of the same name.
    QKRESULT InsertAt(std::uint32_t index, const RCPtr<T>& item) override
    {
        return Const::InsertAt(index, item);
    }
    QKRESULT RemoveItem(std::uint32_t index, RCPtr<T>& item) override
    {
        return this->RemoveInto(index, item, kSite);
    }
    QKRESULT RemoveLast(RCPtr<T>& item) override { return Const::RemoveLast(item); }

private:
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    static constexpr Site kSite{"QK::RCPtrArray", "utilities\\Storage/RCPtrArray", 175};
};
#pragma GCC diagnostic pop

template <class T, std::uint32_t Grow = 1, std::uint32_t Shrink = 0>
class LRCPtrArray : public RCPtrArray<T, Grow, Shrink>, public virtual LRefCountedObject
{
public:
    using RCPtrArray<T, Grow, Shrink>::RCPtrArray;

    ~LRCPtrArray() override = default;
};

} // namespace QK
