// EventScript: short input scripts for a root window on a recording host.
//
//   EventScript(harness).Move({5, 5}).Press(1, {5, 5}).Release(1, {5, 5}).Tick(150);
//
// Each step reaches the root window as the host's message handlers would deliver it; Key
// and Character go straight to the focus control with the stay-inside flag clear, as from
// the window; Tick advances the manual clock and runs one idle period. UI thread only.
#pragma once

#include "tests/support/UI/WindowTestSupport.h"

#include <cstdint>

namespace QK::TestSupport
{

class EventScript
{
public:
    explicit EventScript(WindowHarness& harness) : m_harness(harness) {}

    EventScript& Move(const PointL& point, std::uint32_t modifiers = 0);
    EventScript& Press(std::uint32_t button, const PointL& point, std::uint32_t modifiers = 0);
    EventScript& Release(std::uint32_t button, const PointL& point, std::uint32_t modifiers = 0);
    EventScript& Wheel(const PointL& point, std::int32_t direction, std::uint32_t modifiers = 0);
    // A virtual-key press (modifiers as KeyCode's flags: 1 Ctrl, 8 Shift, 64 Alt).
    EventScript& Key(std::uint32_t virtualKey, std::uint32_t modifiers = 0);
    EventScript& Character(char16_t character, std::uint32_t modifiers = 0);
    EventScript& Tick(std::uint32_t ms = 33);

private:
    WindowHarness& m_harness;
};

} // namespace QK::TestSupport
