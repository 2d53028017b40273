#include "UI/KeybedEditPanel.h"

namespace QK
{

LKeybedEditPanel::LKeybedEditPanel(LControl* parent, const WString& name)
    : LModuleEditPanel(parent, name, kEditors)
{
}

} // namespace QK
