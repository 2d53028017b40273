// LPad: one pad (instance 0 to 15): its note. The two rows of eight start at notes 16 and 32.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/ControllerModule.h"

namespace QK
{

class LPad : public LControllerModule<IPad>
{
public:
    // A new module with its children made (it has none).
    static RCPtr<LPad> Create();

protected:
    LPad() noexcept;

    Variant MakeParamValueDefault(std::uint32_t relative) const override;
};

} // namespace QK
