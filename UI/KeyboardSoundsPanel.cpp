#include "UI/KeyboardSoundsPanel.h"

namespace QK
{

namespace
{
constexpr ModuleEditorSlot kSoundEditors[] = {{u"keybedSounds", LKeyboardSoundsPanel::kKeyboardSound},
                                              {u"padSound", LKeyboardSoundsPanel::kPadSound},
                                              {u"resonance", LKeyboardSoundsPanel::kResonance},
                                              {u"reverb", LKeyboardSoundsPanel::kReverb},
                                              {u"chorus", LKeyboardSoundsPanel::kChorus},
                                              {u"attack", LKeyboardSoundsPanel::kAttack},
                                              {u"release", LKeyboardSoundsPanel::kRelease},
                                              {u"eqHigh", LKeyboardSoundsPanel::kEqHigh},
                                              {u"eqLow", LKeyboardSoundsPanel::kEqLow},
                                              {u"filter", LKeyboardSoundsPanel::kFilter}};
} // namespace

LKeyboardSoundsPanel::LKeyboardSoundsPanel(LControl* parent, const WString& name)
    : LModuleEditPanel(parent, name, kSoundEditors)
{
}

} // namespace QK
