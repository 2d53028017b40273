#include "Engine/PresetEditorCommon/LateDumpGuard.h"

#include "QKFramework/Utilities/Debug/DebugLog.h"

#include <ostream>
#include <utility>

namespace QK
{

namespace
{

void LogSetAside(std::int32_t asked, std::int32_t namedPreset, const char* why)
{
    std::ostream& log = DebugLog::Get().GetNarrowOutput();
    log << "MIDI: a preset dump";
    if (namedPreset >= 0)
        log << " naming preset " << namedPreset;
    log << " was set aside while the get of preset " << asked << " waited (" << why
        << "): taken for the late answer to an earlier get" << std::endl;
}

} // namespace

void LateDumpGuard::BeginWait(std::int32_t asked)
{
    m_asked = asked;
    m_held.reset();
}

bool LateDumpGuard::ExpectsLateAnswer(Clock::time_point now) const
{
    return m_lateAnswers > 0 && now < m_expectedUntil;
}

std::optional<LateDumpGuard::Values> LateDumpGuard::Offer(Values values, std::int32_t namedPreset,
                                                          Clock::time_point now)
{
    const bool namesAnotherPreset = namedPreset >= 0 && namedPreset != m_asked;
    if (m_held)
    {
        if (namesAnotherPreset)
        {
            LogSetAside(m_asked, namedPreset, "it names another preset");
            if (m_lateAnswers > 0)
                --m_lateAnswers;
            return std::nullopt;
        }
        // Answers come in order: the one held came first, so it was the late one.
        LogSetAside(m_asked, -1, "another dump followed it");
        m_held.reset();
        if (m_lateAnswers > 0)
            --m_lateAnswers;
    }
    if (!ExpectsLateAnswer(now))
    {
        m_lateAnswers = 0;
        return values;
    }
    if (namesAnotherPreset)
    {
        LogSetAside(m_asked, namedPreset, "it names another preset");
        --m_lateAnswers;
        return std::nullopt;
    }
    m_held = std::move(values);
    return std::nullopt;
}

std::optional<LateDumpGuard::Values> LateDumpGuard::EndWait(Clock::time_point now)
{
    if (m_held)
    {
        // No dump followed the held one: it was this get's own, and no late answer came.
        m_lateAnswers = 0;
        return std::exchange(m_held, std::nullopt);
    }
    ++m_lateAnswers;
    m_expectedUntil = now + kLateWindow;
    return std::nullopt;
}

} // namespace QK
