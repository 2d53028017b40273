// LThreadWorker: a unit of work that a threader or the thread pool runs on its own thread.
//
// Run is called on the threader's thread, with no framework lock held; params is the
// parameter object handed over with the work (possibly empty). The result is kept as the
// threader's last result.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"

#include <cstdint>

namespace QK
{

class LThreadWorker : public virtual LRefCountedObject
{
public:
    virtual std::uint32_t Run(const ConstRCPtr<LRefCountedObject>& params) = 0;

protected:
    ~LThreadWorker() override = default;
};

} // namespace QK
