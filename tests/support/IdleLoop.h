// IdleLoop: the UI thread's idle passes as the application shell runs them, for tests of
// code that posts notifications. Call it on the thread that plays the UI thread.
//
// OnIdle(count) is the shell's idle handler: nothing once exit is requested; otherwise one
// pass with "first" set only for count 0, and another pass is wanted only while work
// remains and count is below 2. RunIdlePeriod calls it with 0, 1, 2 as the message loop
// does after its queue empties, so one period runs at most three passes and "NID_IDLE" goes
// out on the first only.
#pragma once

#include "QKFramework/Notification/NotificationQueue.h"
#include "QKFramework/ObjectBase/RCPtr.h"

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace QK::TestSupport
{

class IdleLoop
{
public:
    // A root window's own queue, drained after the centres; the last added goes first.
    void AddWindowQueue(const RCPtr<LNotificationQueue>& queue) { m_windowQueues.push_back(queue); }
    // A root window's idle step (its queued keys, its queue, a pending close), run after the
    // window queues; the last added goes first. It answers whether work remains.
    using IdleStep = std::function<bool(bool first)>;
    void AddWindowIdleStep(IdleStep step) { m_windowSteps.push_back(std::move(step)); }
    void RequestExit() noexcept { m_exitRequested = true; }

    // One pass: every centre, then every window queue, then every window idle step. True
    // when work remains.
    bool ProcessIdle(bool first);
    // The idle handler; true when it wants another call.
    bool OnIdle(std::int32_t idleCount);
    // One idle period; answers the number of passes that ran.
    std::int32_t RunIdlePeriod();

    std::uint32_t GetPeriodCount() const noexcept { return m_periods; }

private:
    std::vector<RCPtr<LNotificationQueue>> m_windowQueues;
    std::vector<IdleStep> m_windowSteps;
    bool m_exitRequested = false;
    std::uint32_t m_periods = 0;
    std::int32_t m_passesThisPeriod = 0;
};

} // namespace QK::TestSupport
