// LMidiChannelsAndAftertouch: the MIDI channels and aftertouch: the pads' channel, the pads'
// aftertouch type and the channel of the keybed and the controls (joysticks, knobs, sustain).
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/ControllerModule.h"

namespace QK
{

class LMidiChannelsAndAftertouch : public LControllerModule<IMidiChannelsAndAftertouch>
{
public:
    // A new module with its children made (it has none).
    static RCPtr<LMidiChannelsAndAftertouch> Create();

protected:
    LMidiChannelsAndAftertouch() noexcept;

    Variant MakeParamValueDefault(std::uint32_t relative) const override;
};

} // namespace QK
