// Runs a worker on a threader's thread. An exception that leaves the worker would end the
// program from a thread nobody watches; it is reported instead and the run counts as failed,
// so the threader goes on and its callers are still told that the run ended.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Threads/LThreadWorker.h"

#include <cstdint>

namespace QK
{

std::uint32_t RunWorker(const char* threader, LThreadWorker& worker,
                        const ConstRCPtr<LRefCountedObject>& params);

} // namespace QK
