// LMidiChannelsAndAftertouchPanel ("PresetEditor.MidiChannels"): the pad MIDI channel, the
// pads' aftertouch type and the MIDI channel of the keybed and controls. The two channel
// editors share a skin class, so the panel names them itself ("PAD", "KEYBED & CONTROLS").
// UI thread only.
#pragma once

#include "UI/ModuleEditPanel.h"

namespace QK
{

class LMidiChannelsAndAftertouchPanel : public LModuleEditPanel<IMidiChannelsAndAftertouch>
{
public:
    enum : std::uint32_t
    {
        kPadChannel = 0,
        kPadAftertouchType = 1,
        kKeybedAndControlsChannel = 2
    };

    // The child editors, by skin name, with the skin class of each.
    static constexpr ModuleEditorSlot kEditors[] = {
        {u"padMidiChannel", kPadChannel, u"PresetEditor.ParameterControl.MidiChannel"},
        {u"joystickKnobKeybedSustainMidiChannel", kKeybedAndControlsChannel,
         u"PresetEditor.ParameterControl.MidiChannel"},
        {u"padAftertouchType", kPadAftertouchType, u"PresetEditor.ParameterControl.GlobalPadAftertouchType"}};

    LMidiChannelsAndAftertouchPanel(LControl* parent, const WString& name);

    QKRESULT Initialize() override;
};

} // namespace QK
