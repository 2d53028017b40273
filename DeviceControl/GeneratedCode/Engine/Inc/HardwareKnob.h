// LHardwareKnob: one knob (instance 0 to 7): controller number, minimum, maximum and a 16-byte name
// padded with blanks. Knob k defaults to controller 16 + k and the name "KNOB <k + 1>".
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/ControllerModule.h"

namespace QK
{

class LHardwareKnob : public LControllerModule<IHardwareKnob>
{
public:
    // A new module with its children made (it has none).
    static RCPtr<LHardwareKnob> Create();

protected:
    LHardwareKnob() noexcept;

    Variant MakeParamValueDefault(std::uint32_t relative) const override;
};

} // namespace QK
