// LArpeggiatorEditPanel ("PresetEditor.Arpeggiator"): the arpeggiator's nine parameters.
// Beyond the module panel's pattern it sets its editors up after they have initialised
// themselves: tempo in two bytes (30 to 240, three digits), swing 50 to 75 stored as 0 to 25
// (two digits), tempo taps 2 to 4 stored as themselves, and the on/off button 0 to 1 whose
// text reads "ON" or "OFF" after every value from the model. UI thread only.
#pragma once

#include "UI/ModuleEditPanel.h"

namespace QK
{

class LArpeggiatorEditPanel : public LModuleEditPanel<IArpeggiator>
{
public:
    // Relative ids, in id order.
    enum : std::uint32_t
    {
        kOnOff = 0,
        kMode = 1,
        kTimeDivision = 2,
        kClockSource = 3,
        kLatch = 4,
        kSwing = 5,
        kTempoTaps = 6,
        kTempo = 7,
        kOctave = 8
    };

    // The child editors, by skin name, with the skin class of each.
    static constexpr ModuleEditorSlot kEditors[] = {
        {u"arpOnOff", kOnOff, u"PresetEditor.ParameterControl.ArpOnOff"},
        {u"latchOnOff", kLatch, u"PresetEditor.ParameterControl.ArpLatch"},
        {u"arpOctave", kOctave, u"PresetEditor.ParameterControl.Octave"},
        {u"arpMode", kMode, u"PresetEditor.ParameterControl.ArpMode"},
        {u"timeDivision", kTimeDivision, u"PresetEditor.ParameterControl.TimeDivision"},
        {u"clockSource", kClockSource, u"PresetEditor.ParameterControl.ClockSource"},
        {u"swing", kSwing, u"PresetEditor.ParameterControl.OnOff.Swing"},
        {u"tempo", kTempo, u"PresetEditor.ParameterControl.Tempo"},
        {u"tempoTaps", kTempoTaps, u"PresetEditor.ParameterControl.TempoTaps"}};

    LArpeggiatorEditPanel(LControl* parent, const WString& name);

    QKRESULT Initialize() override;

protected:
    void OnValueShown(std::uint32_t relativeID, const Variant& value) override;
};

} // namespace QK
