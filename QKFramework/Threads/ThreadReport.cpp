#include "QKFramework/Threads/ThreadReport.h"

#include "QKFramework/Utilities/Debug/DebugLog.h"

#include <sstream>

namespace QK
{
namespace
{

// One write and flush per line, so that reports of two threads never interleave within a line.
void WriteLine(const std::string& line)
{
    std::ostream& log = DebugLog::Get().GetNarrowOutput();
    log.write(line.data(), static_cast<std::streamsize>(line.size()));
    log.flush();
}

} // namespace

void ReportThreadDetached(std::uint32_t timeoutMs)
{
    std::ostringstream line;
    line << "QK::Thread: thread did not finish within " << timeoutMs << " ms, detached\n";
    WriteLine(line.str());
}

void ReportWorkerException(const char* threader, const char* what)
{
    std::ostringstream line;
    line << threader << ": worker run ended in an exception: " << (what ? what : "(unknown)") << '\n';
    WriteLine(line.str());
}

} // namespace QK
