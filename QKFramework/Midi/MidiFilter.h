// LIMidiFilter: lets a subscriber of "NID_MIDI_DATA_CAPTURED" refuse captures it does not
// want before a notification is made for it. Called on the capture worker thread, once per
// capture, with no lock held by the caller's distributor; it must not block.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"

#include <cstdint>

namespace QK
{

class LIMidiFilter : public virtual LRefCountedObject
{
public:
    // True to deliver the capture of count bytes to the subscriber, false to skip it.
    virtual bool Filter(const signed char* bytes, std::uint32_t count) const = 0;

    // The filter table keeps copies, so a filter is always copyable.
    ConstRCPtr<LRefCountedObject> CreateCopy() const override = 0;

protected:
    ~LIMidiFilter() override = default;
};

} // namespace QK
