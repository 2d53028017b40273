// LDevice: the whole controller in the parameter model.
//
// It owns the 31 modules (program name, MIDI channels and aftertouch, keybed, arpeggiator,
// 2 joysticks, 16 pads, 8 knobs, sound settings), gives each its ids and instance index
// when it is attached below the root module, and answers which module owns an id. It owns
// no parameters itself: apart from the reserved ids it only passes values on to the root.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/Arpeggiator.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/HardwareKnob.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/Joystick.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/Keybed.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/MidiChannelsAndAftertouch.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/Pad.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/ProgramName.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleInterface.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/SoundSettings.h"
#include "QKFramework/Utilities/Storage/RCPtrArray.h"

namespace QK
{

class LDevice : public IDevice
{
public:
    // A new device with all its modules made.
    static RCPtr<LDevice> Create();

    // Gives the modules their ids, then throws "Invalid FirstParamID" unless the device
    // starts at the root module's first id.
    void SetFirstParamID(LParameterizedModule* parent, std::int32_t firstParamID, std::uint32_t index) override;

    RCPtr<LProgramName> GetProgramNameModule() override;
    RCPtr<LMidiChannelsAndAftertouch> GetMidiChannelsAndAftertouchModule() override;
    RCPtr<LKeybed> GetKeybedModule() override;
    RCPtr<LArpeggiator> GetArpeggiatorModule() override;
    // An index past the modules of the kind answers an empty reference.
    RCPtr<LJoystick> GetJoystickModule(std::uint32_t index) override;
    RCPtr<LPad> GetPadModule(std::uint32_t index) override;
    RCPtr<LHardwareKnob> GetHardwareKnobModule(std::uint32_t index) override;
    RCPtr<LSoundSettings> GetSoundSettingsModule() override;

    // Makes every module anew, releasing the ones it had.
    virtual void CreateChildModules();

protected:
    LDevice() = default;

private:
    RCPtr<LProgramName> m_programName;
    RCPtr<LMidiChannelsAndAftertouch> m_midiChannelsAndAftertouch;
    RCPtr<LKeybed> m_keybed;
    RCPtr<LArpeggiator> m_arpeggiator;
    RCPtrArray<LJoystick, 1, 0> m_joysticks;
    RCPtrArray<LPad, 1, 0> m_pads;
    RCPtrArray<LHardwareKnob, 1, 0> m_knobs;
    RCPtr<LSoundSettings> m_soundSettings;
};

} // namespace QK
