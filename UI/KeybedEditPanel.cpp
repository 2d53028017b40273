#include "UI/KeybedEditPanel.h"

namespace QK
{

namespace
{
constexpr ModuleEditorSlot kKeybedEditors[] = {{u"transpose", LKeybedEditPanel::kTranspose},
                                               {u"octave", LKeybedEditPanel::kOctave}};
} // namespace

LKeybedEditPanel::LKeybedEditPanel(LControl* parent, const WString& name)
    : LModuleEditPanel(parent, name, kKeybedEditors)
{
}

} // namespace QK
