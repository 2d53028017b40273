#include "tests/support/UI/EventScript.h"

namespace QK::TestSupport
{

EventScript& EventScript::Move(const PointL& point, std::uint32_t modifiers)
{
    m_harness.Host().Move(point, modifiers);
    return *this;
}

EventScript& EventScript::Press(std::uint32_t button, const PointL& point, std::uint32_t modifiers)
{
    m_harness.Host().Press(button, point, LRootWindow::kButtonDown, modifiers);
    return *this;
}

EventScript& EventScript::Release(std::uint32_t button, const PointL& point, std::uint32_t modifiers)
{
    m_harness.Host().Release(button, point, modifiers);
    return *this;
}

EventScript& EventScript::Wheel(const PointL& point, std::int32_t direction, std::uint32_t modifiers)
{
    m_harness.Host().Wheel(point, direction, modifiers);
    return *this;
}

EventScript& EventScript::Key(std::uint32_t virtualKey, std::uint32_t modifiers)
{
    m_harness.Host().Key(virtualKey, true, modifiers);
    return *this;
}

EventScript& EventScript::Character(char16_t character, std::uint32_t modifiers)
{
    const RCPtr<LKeyParam> key = LKeyParam::Create(KeyCode(character, modifiers));
    m_harness.Root()->DeliverKey(key.Get());
    return *this;
}

EventScript& EventScript::Tick(std::uint32_t ms)
{
    m_harness.Tick(ms);
    return *this;
}

} // namespace QK::TestSupport
