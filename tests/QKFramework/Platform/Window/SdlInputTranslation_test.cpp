// SDL's input as the window host hands it on: virtual keys, key codes with their modifiers,
// the characters Windows sends for keys, and the wheel in steps of 120.
#include "QKFramework/Platform/Window/SdlInputTranslation.h"

#include <gtest/gtest.h>

namespace QK
{
namespace
{

SDL_KeyboardEvent KeyEvent(Uint32 type, SDL_Keycode sym, SDL_Scancode scancode, Uint16 mod, Uint8 repeat = 0)
{
    SDL_KeyboardEvent event{};
    event.type = type;
    event.keysym.sym = sym;
    event.keysym.scancode = scancode;
    event.keysym.mod = mod;
    event.repeat = repeat;
    return event;
}

TEST(SdlInputTranslationTest, VirtualKeys)
{
    const struct
    {
        SDL_Keycode sym;
        SDL_Scancode scancode;
        std::uint32_t virtualKey;
    } cases[] = {
        {SDLK_c, SDL_SCANCODE_C, 0x43},
        // A layout's letter wins over the key's place (AZERTY's A sits where Q is).
        {SDLK_a, SDL_SCANCODE_Q, 0x41},
        {SDLK_7, SDL_SCANCODE_7, 0x37},
        {SDLK_F4, SDL_SCANCODE_F4, 0x73},
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 0x08},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, 0x0D},
        {SDLK_LEFT, SDL_SCANCODE_LEFT, 0x25},
        {SDLK_UP, SDL_SCANCODE_UP, 0x26},
        {SDLK_RIGHT, SDL_SCANCODE_RIGHT, 0x27},
        {SDLK_DOWN, SDL_SCANCODE_DOWN, 0x28},
        {SDLK_KP_0, SDL_SCANCODE_KP_0, 0x60},
        {SDLK_KP_5, SDL_SCANCODE_KP_5, 0x65},
        {SDLK_KP_PLUS, SDL_SCANCODE_KP_PLUS, 0x6B},
        {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 0x0D},
        {SDLK_DELETE, SDL_SCANCODE_DELETE, 0x2E},
        {SDLK_LGUI, SDL_SCANCODE_LGUI, 0x5B},
        {SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VirtualKeyFromSdl(c.sym, c.scancode), c.virtualKey) << SDL_GetScancodeName(c.scancode);
}

TEST(SdlInputTranslationTest, KeyCodesMatchTheirBindingTexts)
{
    const KeyCode altF4 = KeyCodeFromSdl(KeyEvent(SDL_KEYDOWN, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT));
    EXPECT_EQ(altF4.GetCode(), KeyCode::Parse(WString(u"Alt+VKEY_F4")).GetCode());
    EXPECT_EQ(altF4.Sides, KeyCode::kSideLeftAlt);
    EXPECT_EQ(KeyModifiersFromSdl(KMOD_LALT), KeyCode::kFlagAlt | KeyCode::kFlagLeftAlt);

    const KeyCode ctrlC = KeyCodeFromSdl(KeyEvent(SDL_KEYDOWN, SDLK_c, SDL_SCANCODE_C, KMOD_LCTRL));
    EXPECT_EQ(static_cast<std::uint32_t>(ctrlC.GetCode()), 0x21430000u);
    EXPECT_EQ(SynthesizedCharacter(0x43, KMOD_LCTRL), u'\x03');

    const struct
    {
        std::uint32_t virtualKey;
        Uint16 mod;
        char16_t character;
    } characters[] = {
        {0x08, KMOD_NONE, 8},  {0x09, KMOD_NONE, 9},  {0x0D, KMOD_NONE, 13}, {0x1B, KMOD_NONE, 27},
        {0x41, KMOD_RCTRL, 1}, {0x5A, KMOD_LCTRL, 26},
        // Typed letters come from the text input; Ctrl+Alt is AltGr on many layouts.
        {0x41, KMOD_NONE, 0},  {0x41, KMOD_LCTRL | KMOD_RALT, 0}, {0x25, KMOD_LCTRL, 0},
    };
    for (const auto& c : characters)
        EXPECT_EQ(SynthesizedCharacter(c.virtualKey, c.mod), c.character) << c.virtualKey << " " << c.mod;

    EXPECT_EQ(KeyModifiersFromSdl(KMOD_RSHIFT | KMOD_LGUI),
              KeyCode::kFlagShift | KeyCode::kFlagRightShift | KeyCode::kFlagWindows | KeyCode::kFlagLeftWindows);
    EXPECT_EQ(MouseModifiersFromSdl(KMOD_LSHIFT | KMOD_RCTRL), 9u);
}

TEST(SdlInputTranslationTest, TheRepeatFlagIsThePreviousState)
{
    const KeyCode first = KeyCodeFromSdl(KeyEvent(SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A, 0, 0));
    const KeyCode repeated = KeyCodeFromSdl(KeyEvent(SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A, 0, 1));
    const KeyCode released = KeyCodeFromSdl(KeyEvent(SDL_KEYUP, SDLK_a, SDL_SCANCODE_A, 0, 0));
    EXPECT_FALSE(first.PreviousState);
    EXPECT_TRUE(repeated.PreviousState);
    EXPECT_TRUE(released.PreviousState);
}

TEST(SdlInputTranslationTest, TheWheelGivesOneEventPerMessageOnceStepsAddUp)
{
    WheelAccumulator wheel;
    std::int32_t direction = -1;
    EXPECT_FALSE(wheel.Add(60, false, direction));
    EXPECT_TRUE(wheel.Add(60, false, direction));
    EXPECT_EQ(direction, 1);
    EXPECT_EQ(wheel.GetRemainder(false), 0);

    EXPECT_TRUE(wheel.Add(360, false, direction));
    EXPECT_EQ(wheel.GetRemainder(false), 0);

    EXPECT_FALSE(wheel.Add(-119, false, direction));
    EXPECT_TRUE(wheel.Add(-121, true, direction));
    EXPECT_EQ(direction, 2);
    EXPECT_EQ(wheel.GetRemainder(true), -1);
    EXPECT_EQ(wheel.GetRemainder(false), -119) << "the axes add up apart";

    SDL_MouseWheelEvent event{};
    event.preciseY = 0.5f;
    event.preciseX = -1.0f;
    event.direction = SDL_MOUSEWHEEL_FLIPPED;
    std::int32_t vertical = 0;
    std::int32_t horizontal = 0;
    WheelDeltaFromSdl(event, vertical, horizontal);
    EXPECT_EQ(vertical, -60);
    EXPECT_EQ(horizontal, 120);
}

} // namespace
} // namespace QK
