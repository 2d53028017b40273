// Turning SDL's input into what the framework's window host delivers: Windows virtual keys,
// the modifier flags of the key and mouse paths, the characters Windows sends for keys that
// SDL's text input leaves out, and the wheel's accumulation into steps of 120.
//
// Pure functions and one small accumulator, so the tables can be tested without a display.
#pragma once

#include "QKFramework/ControlBase/Input/KeyCode.h"

#include <SDL.h>

#include <cstdint>

namespace QK
{

// Letters and digits by their keycode (the layout's letter), everything else by its
// scancode (the key's place); 0 for a key the framework has no number for.
std::uint32_t VirtualKeyFromSdl(SDL_Keycode keycode, SDL_Scancode scancode);

// The key path's modifier flags (1 Ctrl, 2 left, 4 right; 8 Shift, 16, 32; 64 Alt, 128, 256;
// 0x200 Windows key, 0x400, 0x800).
std::uint32_t KeyModifiersFromSdl(std::uint16_t mod);
// The mouse path's: 1 Ctrl, 8 Shift, 64 Alt, without sides.
std::uint32_t MouseModifiersFromSdl(std::uint16_t mod);

// The character Windows sends after the key (Backspace 8, Tab 9, Enter 13, Escape 27,
// Ctrl+letter 1 to 26); 0 when SDL's text input carries it or there is none.
char16_t SynthesizedCharacter(std::uint32_t virtualKey, std::uint16_t mod);

// The key code of a key event (down or up), with the previous state as Windows reports it:
// for a press whether it repeats, for a release always set.
KeyCode KeyCodeFromSdl(const SDL_KeyboardEvent& event);

// Mouse buttons: 1 left, 2 middle, 4 right; 0 for the others.
std::uint32_t ButtonBitFromSdl(std::uint8_t button);

// The wheel per axis: deltas add up and give one event per message once a remainder
// reaches 120 either way.
class WheelAccumulator
{
public:
    // delta in wheel units (120 one notch). True with direction (vertical: 1 up, 0 down;
    // horizontal: 3 and 2) when an event is due.
    bool Add(std::int32_t delta, bool horizontal, std::int32_t& direction);
    std::int32_t GetRemainder(bool horizontal) const { return horizontal ? m_horizontal : m_vertical; }

private:
    std::int32_t m_vertical = 0;
    std::int32_t m_horizontal = 0;
};

// The wheel units of an SDL wheel event (precise × 120, flipped when the event says so),
// vertical and horizontal.
void WheelDeltaFromSdl(const SDL_MouseWheelEvent& event, std::int32_t& vertical, std::int32_t& horizontal);

} // namespace QK
