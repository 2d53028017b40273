// LProgramName: the preset's name: one 16-byte text padded with blanks.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/ControllerModule.h"

namespace QK
{

class LProgramName : public LControllerModule<IProgramName>
{
public:
    // A new module with its children made (it has none).
    static RCPtr<LProgramName> Create();

protected:
    LProgramName() noexcept;

    Variant MakeParamValueDefault(std::uint32_t relative) const override;
};

} // namespace QK
