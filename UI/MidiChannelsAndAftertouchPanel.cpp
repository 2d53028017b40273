#include "UI/MidiChannelsAndAftertouchPanel.h"

#include "QKFramework/Controls/Label.h"

namespace QK
{

namespace
{
constexpr ModuleEditorSlot kChannelEditors[] = {
    {u"padMidiChannel", LMidiChannelsAndAftertouchPanel::kPadChannel},
    {u"joystickKnobKeybedSustainMidiChannel", LMidiChannelsAndAftertouchPanel::kKeybedAndControlsChannel},
    {u"padAftertouchType", LMidiChannelsAndAftertouchPanel::kPadAftertouchType}};
} // namespace

LMidiChannelsAndAftertouchPanel::LMidiChannelsAndAftertouchPanel(LControl* parent, const WString& name)
    : LModuleEditPanel(parent, name, kChannelEditors)
{
}

QKRESULT LMidiChannelsAndAftertouchPanel::Initialize()
{
    const QKRESULT result = LPanel::Initialize();
    if (Failed(result))
        return result;
    if (const RCPtr<LLabel> pad = GetEditorControl<LLabel>(u"padMidiChannel", u"label"))
        pad->SetText(WString(u"PAD"));
    if (const RCPtr<LLabel> keybed =
            GetEditorControl<LLabel>(u"joystickKnobKeybedSustainMidiChannel", u"label"))
        keybed->SetText(WString(u"KEYBED & CONTROLS"));
    return result;
}

} // namespace QK
