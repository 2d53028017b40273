// LPadEditPanel ("PresetEditor.Pad"): one of the sixteen pads: its note. Bound with index i,
// its "label" shows pad number (i & 7) + 1 in place of the first "%d" of the label's text,
// so the two banks read "PAD 1" to "PAD 8". The label's text is a plain text, never a format:
// whatever else it holds shows as it stands. UI thread only.
#pragma once

#include "UI/ModuleEditPanel.h"

namespace QK
{

class LPadEditPanel : public LModuleEditPanel<IPad>
{
public:
    enum : std::uint32_t
    {
        kNote = 0
    };

    // The child editors, by skin name, with the skin class of each.
    static constexpr ModuleEditorSlot kEditors[] = {
        {u"midiNote", kNote, u"PresetEditor.ParameterControl.MidiNote"}};

    LPadEditPanel(LControl* parent, const WString& name);

protected:
    void OnBound() override;
};

} // namespace QK
