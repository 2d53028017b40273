#include "UI/MidiChannelsAndAftertouchPanel.h"

#include "QKFramework/Controls/Label.h"

namespace QK
{

LMidiChannelsAndAftertouchPanel::LMidiChannelsAndAftertouchPanel(LControl* parent, const WString& name)
    : LModuleEditPanel(parent, name, kEditors)
{
}

QKRESULT LMidiChannelsAndAftertouchPanel::Initialize()
{
    const QKRESULT result = LPanel::Initialize();
    if (Failed(result))
        return result;
    if (const RCPtr<LLabel> pad = GetEditorControl<LLabel>(kPadChannel, u"label"))
        pad->SetText(WString(u"PAD"));
    if (const RCPtr<LLabel> keybed = GetEditorControl<LLabel>(kKeybedAndControlsChannel, u"label"))
        keybed->SetText(WString(u"KEYBED & CONTROLS"));
    return result;
}

} // namespace QK
