#include "Engine/PresetEditorCommon/LateAnswers.h"

namespace QK
{

void LateAnswers::Owe(Clock::time_point now)
{
    m_owed = Owed(now) + 1;
    m_owedUntil = now + kLateWindow;
}

bool LateAnswers::Arrived(Clock::time_point now)
{
    m_owed = Owed(now);
    if (m_owed == 0)
        return false;
    --m_owed;
    return true;
}

std::uint32_t LateAnswers::Owed(Clock::time_point now) const
{
    return now < m_owedUntil ? m_owed : 0;
}

} // namespace QK
