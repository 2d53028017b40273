#include "QKFramework/Platform/Core/ThreadScheduling.h"

#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

namespace QK
{
namespace
{

// The kernel's sched_attr (its first version), which the C library does not declare.
struct SchedAttr
{
    std::uint32_t size;
    std::uint32_t policy;
    std::uint64_t flags;
    std::int32_t nice;
    std::uint32_t priority;
    std::uint64_t runtime;
    std::uint64_t deadline;
    std::uint64_t period;
};

constexpr std::uint64_t kResetOnFork = 0x01; // SCHED_FLAG_RESET_ON_FORK
constexpr int kNiceLowest = 19;
constexpr int kNiceHighest = -20;

std::optional<int> NiceOf(std::int32_t priority)
{
    // The main thread's value is the process's own: what the user started the program with.
    errno = 0;
    const int base = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::getpid()));
    if (base == -1 && errno != 0)
        return std::nullopt;
    switch (priority)
    {
    case -15:
        return kNiceLowest;
    case 15:
        return kNiceHighest;
    case -2:
    case -1:
    case 0:
    case 1:
    case 2:
        return std::clamp(base - 5 * priority, kNiceHighest, kNiceLowest);
    default:
        return std::nullopt;
    }
}

} // namespace

SystemThreadId GetCurrentSystemThreadId()
{
    return static_cast<SystemThreadId>(::gettid());
}

bool SetSystemThreadPriority(SystemThreadId thread, std::int32_t priority)
{
    const std::optional<int> nice = NiceOf(priority);
    if (!nice || thread <= 0)
        return false;
    SchedAttr attributes{};
    attributes.size = sizeof attributes;
    attributes.policy = SCHED_OTHER;
    // Threads this one starts must not inherit a raised priority.
    attributes.flags = kResetOnFork;
    attributes.nice = *nice;
    return ::syscall(SYS_sched_setattr, static_cast<pid_t>(thread), &attributes, 0u) == 0;
}

} // namespace QK
