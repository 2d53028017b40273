// LParamCache: one value per parameter, with change detection.
//
// A slot per parameter index holds that parameter's value. A store answers whether it
// changed anything, so that its user announces only real changes. A store whose
// ParamDescriptor carries a descriptor keeps, instead of one value, a tree of values in the
// slot: the descriptor is the path (a list descriptor gives one level per item, any other
// descriptor one level), and each level is a ParamValues list of (value, id, descriptor)
// entries kept sorted by id (as unsigned) and then by descriptor.
//
// Every operation holds the cache's lock word, so the cache may be used from the UI thread
// and the device communication object's delivery thread at once; OnValueChanged runs with
// the lock held, on the storing thread.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Threads/LockWord.h"
#include "QKFramework/Utilities/Storage/ParamValues.h"
#include "QKFramework/Utilities/Storage/Variant.h"

#include <cstdint>
#include <memory>

namespace QK
{

class LParamCache : public virtual LRefCountedObject
{
public:
    // A cache of slotCount empty slots.
    explicit LParamCache(std::uint32_t slotCount);
    ~LParamCache() override = default;

    // Stores value in the slot of descriptor's id (at its path when it has a descriptor;
    // an empty value there removes the entry). 0 changed, 1 unchanged, -1 rejected (an id
    // at or past the slot count, an invalid path, a malformed level). OnValueChanged
    // follows a change when notify is set.
    virtual QKRESULT SetValue(const ParamDescriptor& descriptor, const Variant& value, bool notify);
    // 0 found (value holds it), 1 not found (value empty), -1 rejected, -4 or -7 for a level
    // on the path that is not a list of entries. Without a descriptor the whole slot.
    virtual QKRESULT GetValue(const ParamDescriptor& descriptor, Variant& value);
    // Nothing to prepare in this cache.
    virtual void Prepare(std::int32_t option);
    // After a change: the slot and its new content. Not implemented here; a derived cache
    // may announce changes.
    virtual QKRESULT OnValueChanged(std::uint32_t index, const Variant& slot);

    std::uint32_t GetSlotCount() const noexcept { return m_slotCount; }

private:
    QKRESULT SetAtPath(std::uint32_t index, const ParamDescriptor& descriptor, const Variant& value);
    QKRESULT GetAtPath(std::uint32_t index, const ParamDescriptor& descriptor, Variant& value);

    std::uint32_t m_slotCount;
    std::unique_ptr<Variant[]> m_slots;
    LockWord m_lock;
};

} // namespace QK
