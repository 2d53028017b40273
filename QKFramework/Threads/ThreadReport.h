// The one place where the thread classes report trouble that no caller can be told about:
// a thread that did not finish within its owner's join limit, and a worker run that ended
// in an exception. Each report is one line of text.
#pragma once

#include <cstdint>

namespace QK
{

// A thread still ran when its owner gave up waiting after timeoutMs; it was detached.
void ReportThreadDetached(std::uint32_t timeoutMs);

// A worker's run on a threader ended in an exception; what is its text.
void ReportWorkerException(const char* threader, const char* what);

} // namespace QK
