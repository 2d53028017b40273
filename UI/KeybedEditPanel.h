// LKeybedEditPanel ("PresetEditor.Keyboard"): the keybed's octave and transpose. Its
// "buttonOpenKeyEditDialog" belongs to the device view, not to this panel. UI thread only.
#pragma once

#include "UI/ModuleEditPanel.h"

namespace QK
{

class LKeybedEditPanel : public LModuleEditPanel<IKeybed>
{
public:
    enum : std::uint32_t
    {
        kOctave = 0,
        kTranspose = 1
    };

    // The child editors, by skin name, with the skin class of each.
    static constexpr ModuleEditorSlot kEditors[] = {
        {u"transpose", kTranspose, u"PresetEditor.ParameterControl.KeyboardTranspose"},
        {u"octave", kOctave, u"PresetEditor.ParameterControl.KeyboardOctave"}};

    LKeybedEditPanel(LControl* parent, const WString& name);
};

} // namespace QK
