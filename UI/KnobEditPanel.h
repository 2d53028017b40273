// LKnobEditPanel ("PresetEditor.Knob"): one of the eight knobs: its controller number,
// minimum, maximum and 16-byte name. Bound with index i, its "knobNameLabel" reads "K<i+1>".
// UI thread only.
#pragma once

#include "UI/ModuleEditPanel.h"

namespace QK
{

class LKnobEditPanel : public LModuleEditPanel<IHardwareKnob>
{
public:
    enum : std::uint32_t
    {
        kControllerNumber = 0,
        kMinimum = 1,
        kMaximum = 2,
        kName = 3
    };

    // The child editors, by skin name, with the skin class of each.
    static constexpr ModuleEditorSlot kEditors[] = {
        {u"ccValuePanel", kControllerNumber, u"PresetEditor.ParameterControl.CCValuePanel"},
        {u"minValuePanel", kMinimum, u"PresetEditor.ParameterControl.MinValuePanel"},
        {u"maxValuePanel", kMaximum, u"PresetEditor.ParameterControl.MaxValuePanel"},
        {u"knobName", kName, u"PresetEditor.NameEditPanel"}};

    LKnobEditPanel(LControl* parent, const WString& name);

protected:
    void OnBound() override;
};

} // namespace QK
