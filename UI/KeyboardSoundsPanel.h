// LKeyboardSoundsPanel ("PresetEditor.KeySoundParameters"): the internal sounds: keyboard
// and pad sound, filter, resonance, reverb, chorus, attack, release and the two EQ bands.
// UI thread only.
#pragma once

#include "UI/ModuleEditPanel.h"

namespace QK
{

class LKeyboardSoundsPanel : public LModuleEditPanel<ISoundSettings>
{
public:
    enum : std::uint32_t
    {
        kKeyboardSound = 0,
        kPadSound = 1,
        kFilter = 2,
        kResonance = 3,
        kReverb = 4,
        kChorus = 5,
        kAttack = 6,
        kRelease = 7,
        kEqLow = 8,
        kEqHigh = 9
    };

    // The child editors, by skin name, with the skin class of each.
    static constexpr ModuleEditorSlot kEditors[] = {
        {u"keybedSounds", kKeyboardSound, u"PresetEditor.InternalSounds.KeybedSound"},
        {u"padSound", kPadSound, u"PresetEditor.ParameterControl.PadSound"},
        {u"resonance", kResonance, u"PresetEditor.ParameterControl.Resonance"},
        {u"reverb", kReverb, u"PresetEditor.ParameterControl.Reverb"},
        {u"chorus", kChorus, u"PresetEditor.ParameterControl.Chorus"},
        {u"attack", kAttack, u"PresetEditor.ParameterControl.Attack"},
        {u"release", kRelease, u"PresetEditor.ParameterControl.Release"},
        {u"eqHigh", kEqHigh, u"PresetEditor.ParameterControl.EQHigh"},
        {u"eqLow", kEqLow, u"PresetEditor.ParameterControl.EQLow"},
        {u"filter", kFilter, u"PresetEditor.ParameterControl.Filter"}};

    LKeyboardSoundsPanel(LControl* parent, const WString& name);
};

} // namespace QK
