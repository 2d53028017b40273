#include "QKFramework/Platform/Window/SessionEnd.h"

#include <signal.h>

#include <atomic>

namespace QK
{

namespace
{

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

enum : int
{
    kNone,
    kRequested,
    // Requested, and the message loop has taken the request up.
    kClaimed,
};
std::atomic<int> g_state{kNone};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

struct sigaction g_previous[sizeof kSignals / sizeof kSignals[0]];

void OnSessionEndSignal(int)
{
    int expected = kNone;
    g_state.compare_exchange_strong(expected, kRequested);
}

} // namespace

SessionEndSignals::SessionEndSignals()
{
    g_state.store(kNone);
    struct sigaction action = {};
    action.sa_handler = &OnSessionEndSignal;
    sigemptyset(&action.sa_mask);
    // The first signal of a kind asks; the next one of that kind is the system's again.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (std::size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i)
        sigaction(kSignals[i], &action, &g_previous[i]);
}

SessionEndSignals::~SessionEndSignals()
{
    for (std::size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i)
        sigaction(kSignals[i], &g_previous[i], nullptr);
}

bool IsSessionEndRequested()
{
    return g_state.load() != kNone;
}

bool ClaimSessionEndRequest()
{
    int expected = kRequested;
    return g_state.compare_exchange_strong(expected, kClaimed);
}

} // namespace QK
