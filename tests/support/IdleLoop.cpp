#include "tests/support/IdleLoop.h"

#include "QKFramework/Notification/NotificationCenterManager.h"

namespace QK::TestSupport
{

bool IdleLoop::ProcessIdle(bool first)
{
    ++m_passesThisPeriod;
    bool more = LNotificationCenterManager::GetInstance()->DispatchNotifications(first);
    for (auto queue = m_windowQueues.rbegin(); queue != m_windowQueues.rend(); ++queue)
        more = (*queue)->DispatchNotifications(first) || more;
    // A step may add or drop windows: run the ones present now, from a copy.
    const std::vector<IdleStep> steps = m_windowSteps;
    for (auto step = steps.rbegin(); step != steps.rend(); ++step)
        more = (*step)(first) || more;
    return more;
}

bool IdleLoop::OnIdle(std::int32_t idleCount)
{
    if (m_exitRequested)
        return false;
    if (!ProcessIdle(idleCount == 0))
        return false;
    return idleCount < 2;
}

std::int32_t IdleLoop::RunIdlePeriod()
{
    ++m_periods;
    m_passesThisPeriod = 0;
    for (std::int32_t count = 0; OnIdle(count); ++count)
    {
    }
    return m_passesThisPeriod;
}

} // namespace QK::TestSupport
