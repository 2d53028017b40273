// LTaggableObject: a reference-counted object that can carry one tag object of its user's
// choosing (value wrappers, pairs, descriptors and controls derive from it).
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"

namespace QK
{

class LTaggableObject : public virtual LRefCountedObject
{
public:
    LTaggableObject() = default;
    ~LTaggableObject() override = default;

    const ConstRCPtr<LRefCountedObject>& GetTag() const noexcept { return m_tag; }
    void SetTag(const ConstRCPtr<LRefCountedObject>& tag) { m_tag = tag; }

private:
    ConstRCPtr<LRefCountedObject> m_tag;
};

} // namespace QK
