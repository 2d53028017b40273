// LKeybed: the keybed: octave and transpose.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/ControllerModule.h"

namespace QK
{

class LKeybed : public LControllerModule<IKeybed>
{
public:
    // A new module with its children made (it has none).
    static RCPtr<LKeybed> Create();

protected:
    LKeybed() noexcept;

    Variant MakeParamValueDefault(std::uint32_t relative) const override;
};

} // namespace QK
