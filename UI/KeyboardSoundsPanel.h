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

    LKeyboardSoundsPanel(LControl* parent, const WString& name);
};

} // namespace QK
