// LSoundSettings: the internal sound: keybed sound, pad sound, filter, resonance, reverb, chorus,
// attack, release, EQ low and EQ high.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/ControllerModule.h"

namespace QK
{

class LSoundSettings : public LControllerModule<ISoundSettings>
{
public:
    // A new module with its children made (it has none).
    static RCPtr<LSoundSettings> Create();

protected:
    LSoundSettings() noexcept;

    Variant MakeParamValueDefault(std::uint32_t relative) const override;
};

} // namespace QK
