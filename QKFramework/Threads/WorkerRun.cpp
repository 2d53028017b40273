#include "QKFramework/Threads/WorkerRun.h"

#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Threads/ThreadReport.h"

#include <exception>

namespace QK
{

std::uint32_t RunWorker(const char* threader, LThreadWorker& worker,
                        const ConstRCPtr<LRefCountedObject>& params)
{
    try
    {
        return worker.Run(params);
    }
    catch (const std::exception& e)
    {
        ReportWorkerException(threader, e.what());
    }
    catch (...)
    {
        ReportWorkerException(threader, nullptr);
    }
    return static_cast<std::uint32_t>(QK_E_FAIL);
}

} // namespace QK
