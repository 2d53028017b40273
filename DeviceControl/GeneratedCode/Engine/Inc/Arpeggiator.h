// LArpeggiator: the arpeggiator: on/off, mode, time division, clock source, latch, swing, tempo
// taps, tempo (two bytes: first x 128 + second) and octave.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/ControllerModule.h"

namespace QK
{

class LArpeggiator : public LControllerModule<IArpeggiator>
{
public:
    // A new module with its children made (it has none).
    static RCPtr<LArpeggiator> Create();

protected:
    LArpeggiator() noexcept;

    Variant MakeParamValueDefault(std::uint32_t relative) const override;
};

} // namespace QK
