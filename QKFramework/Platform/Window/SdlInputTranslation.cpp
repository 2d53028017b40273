#include "QKFramework/Platform/Window/SdlInputTranslation.h"

#include <cmath>

namespace QK
{

std::uint32_t VirtualKeyFromSdl(SDL_Keycode keycode, SDL_Scancode scancode)
{
    if (keycode >= SDLK_a && keycode <= SDLK_z)
        return 0x41 + static_cast<std::uint32_t>(keycode - SDLK_a);
    if (keycode >= SDLK_0 && keycode <= SDLK_9)
        return 0x30 + static_cast<std::uint32_t>(keycode - SDLK_0);
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
        return 0x70 + static_cast<std::uint32_t>(scancode - SDL_SCANCODE_F1);
    if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24)
        return 0x7C + static_cast<std::uint32_t>(scancode - SDL_SCANCODE_F13);
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9)
        return 0x61 + static_cast<std::uint32_t>(scancode - SDL_SCANCODE_KP_1);
    // Letters and digits of a layout whose keycodes are no ASCII letters still have a place.
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return 0x41 + static_cast<std::uint32_t>(scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return 0x31 + static_cast<std::uint32_t>(scancode - SDL_SCANCODE_1);

    static constexpr struct
    {
        SDL_Scancode scancode;
        std::uint32_t virtualKey;
    } kKeys[] = {
        {SDL_SCANCODE_0, 0x30},           {SDL_SCANCODE_BACKSPACE, 0x08},  {SDL_SCANCODE_TAB, 0x09},
        {SDL_SCANCODE_RETURN, 0x0D},      {SDL_SCANCODE_KP_ENTER, 0x0D},   {SDL_SCANCODE_LSHIFT, 0x10},
        {SDL_SCANCODE_RSHIFT, 0x10},      {SDL_SCANCODE_LCTRL, 0x11},      {SDL_SCANCODE_RCTRL, 0x11},
        {SDL_SCANCODE_LALT, 0x12},        {SDL_SCANCODE_RALT, 0x12},       {SDL_SCANCODE_PAUSE, 0x13},
        {SDL_SCANCODE_CAPSLOCK, 0x14},    {SDL_SCANCODE_ESCAPE, 0x1B},     {SDL_SCANCODE_SPACE, 0x20},
        {SDL_SCANCODE_PAGEUP, 0x21},      {SDL_SCANCODE_PAGEDOWN, 0x22},   {SDL_SCANCODE_END, 0x23},
        {SDL_SCANCODE_HOME, 0x24},        {SDL_SCANCODE_LEFT, 0x25},       {SDL_SCANCODE_UP, 0x26},
        {SDL_SCANCODE_RIGHT, 0x27},       {SDL_SCANCODE_DOWN, 0x28},       {SDL_SCANCODE_PRINTSCREEN, 0x2C},
        {SDL_SCANCODE_INSERT, 0x2D},      {SDL_SCANCODE_DELETE, 0x2E},     {SDL_SCANCODE_LGUI, 0x5B},
        {SDL_SCANCODE_RGUI, 0x5C},        {SDL_SCANCODE_APPLICATION, 0x5D}, {SDL_SCANCODE_KP_0, 0x60},
        {SDL_SCANCODE_KP_MULTIPLY, 0x6A}, {SDL_SCANCODE_KP_PLUS, 0x6B},    {SDL_SCANCODE_KP_MINUS, 0x6D},
        {SDL_SCANCODE_KP_PERIOD, 0x6E},   {SDL_SCANCODE_KP_DIVIDE, 0x6F},  {SDL_SCANCODE_NUMLOCKCLEAR, 0x90},
        {SDL_SCANCODE_SCROLLLOCK, 0x91},  {SDL_SCANCODE_SEMICOLON, 0xBA},  {SDL_SCANCODE_EQUALS, 0xBB},
        {SDL_SCANCODE_COMMA, 0xBC},       {SDL_SCANCODE_MINUS, 0xBD},      {SDL_SCANCODE_PERIOD, 0xBE},
        {SDL_SCANCODE_SLASH, 0xBF},       {SDL_SCANCODE_GRAVE, 0xC0},      {SDL_SCANCODE_LEFTBRACKET, 0xDB},
        {SDL_SCANCODE_BACKSLASH, 0xDC},   {SDL_SCANCODE_RIGHTBRACKET, 0xDD}, {SDL_SCANCODE_APOSTROPHE, 0xDE},
        {SDL_SCANCODE_NONUSBACKSLASH, 0xE2},
    };
    for (const auto& key : kKeys)
        if (key.scancode == scancode)
            return key.virtualKey;
    return 0;
}

std::uint32_t KeyModifiersFromSdl(std::uint16_t mod)
{
    std::uint32_t flags = 0;
    if (mod & KMOD_SHIFT)
        flags |= KeyCode::kFlagShift | ((mod & KMOD_LSHIFT) ? KeyCode::kFlagLeftShift : 0) |
                 ((mod & KMOD_RSHIFT) ? KeyCode::kFlagRightShift : 0);
    if (mod & KMOD_CTRL)
        flags |= KeyCode::kFlagCtrl | ((mod & KMOD_LCTRL) ? KeyCode::kFlagLeftCtrl : 0) |
                 ((mod & KMOD_RCTRL) ? KeyCode::kFlagRightCtrl : 0);
    if (mod & KMOD_LGUI)
        flags |= KeyCode::kFlagWindows | KeyCode::kFlagLeftWindows;
    if (mod & KMOD_RGUI)
        flags |= KeyCode::kFlagWindows | KeyCode::kFlagRightWindows;
    if (mod & KMOD_ALT)
        flags |= KeyCode::kFlagAlt | ((mod & KMOD_LALT) ? KeyCode::kFlagLeftAlt : 0) |
                 ((mod & KMOD_RALT) ? KeyCode::kFlagRightAlt : 0);
    return flags;
}

std::uint32_t MouseModifiersFromSdl(std::uint16_t mod)
{
    return ((mod & KMOD_CTRL) ? 1u : 0u) | ((mod & KMOD_SHIFT) ? 8u : 0u) | ((mod & KMOD_ALT) ? 64u : 0u);
}

char16_t SynthesizedCharacter(std::uint32_t virtualKey, std::uint16_t mod)
{
    switch (virtualKey)
    {
    case 0x08:
    case 0x09:
    case 0x0D:
    case 0x1B:
        return static_cast<char16_t>(virtualKey);
    default:
        break;
    }
    // Ctrl+letter gives its control character, as long as Alt does not make it AltGr.
    if ((mod & KMOD_CTRL) && !(mod & KMOD_ALT) && virtualKey >= 0x41 && virtualKey <= 0x5A)
        return static_cast<char16_t>(virtualKey - 0x40);
    return 0;
}

KeyCode KeyCodeFromSdl(const SDL_KeyboardEvent& event)
{
    const bool down = event.type == SDL_KEYDOWN;
    const std::uint32_t virtualKey = VirtualKeyFromSdl(event.keysym.sym, event.keysym.scancode);
    const bool previous = down ? event.repeat != 0 : true;
    return KeyCode::FromKeyMessage(virtualKey, down, previous, KeyModifiersFromSdl(event.keysym.mod));
}

std::uint32_t ButtonBitFromSdl(std::uint8_t button)
{
    switch (button)
    {
    case SDL_BUTTON_LEFT:
        return 1;
    case SDL_BUTTON_MIDDLE:
        return 2;
    case SDL_BUTTON_RIGHT:
        return 4;
    default:
        return 0;
    }
}

bool WheelAccumulator::Add(std::int32_t delta, bool horizontal, std::int32_t& direction)
{
    std::int32_t& remainder = horizontal ? m_horizontal : m_vertical;
    // Kept far from the limits of the type whatever a device reports.
    remainder = static_cast<std::int32_t>(
        std::fmod(static_cast<double>(remainder) + static_cast<double>(delta), 120.0 * 1000000.0));
    if (remainder >= 120)
    {
        remainder %= 120;
        direction = horizontal ? 3 : 1;
        return true;
    }
    if (remainder <= -120)
    {
        remainder = -(-remainder % 120);
        direction = horizontal ? 2 : 0;
        return true;
    }
    return false;
}

void WheelDeltaFromSdl(const SDL_MouseWheelEvent& event, std::int32_t& vertical, std::int32_t& horizontal)
{
    const double sign = event.direction == SDL_MOUSEWHEEL_FLIPPED ? -1.0 : 1.0;
    vertical = static_cast<std::int32_t>(std::lround(sign * event.preciseY * 120.0));
    horizontal = static_cast<std::int32_t>(std::lround(sign * event.preciseX * 120.0));
}

} // namespace QK
