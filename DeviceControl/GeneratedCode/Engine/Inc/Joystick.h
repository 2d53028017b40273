// LJoystick: one joystick axis (instance 0 or 1): type, first and second controller number.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/ControllerModule.h"

namespace QK
{

class LJoystick : public LControllerModule<IJoystick>
{
public:
    // A new module with its children made (it has none).
    static RCPtr<LJoystick> Create();

protected:
    LJoystick() noexcept;

    Variant MakeParamValueDefault(std::uint32_t relative) const override;
};

} // namespace QK
