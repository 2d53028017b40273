#include "DeviceControl/GeneratedCode/Engine/Inc/Joystick.h"

namespace QK
{

namespace
{
// Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
constexpr ControllerModuleTraits kTraits{"QK::LJoystick", "Joystick", kJoystickOffset, kJoystickCount, 79, 108, 249};
} // namespace

RCPtr<LJoystick> LJoystick::Create()
{
    RCPtr<LJoystick> module(new LJoystick());
    module->CreateChildModules();
    return module;
}

LJoystick::LJoystick() noexcept : LControllerModule<IJoystick>(kTraits) {}

Variant LJoystick::MakeParamValueDefault(std::uint32_t relative) const
{
    static_cast<void>(relative);
    const std::uint8_t none = 0x00;
    return MakeByteBlock(&none, 1);
}

} // namespace QK
