#include "UI/KeyboardSoundsPanel.h"

namespace QK
{

LKeyboardSoundsPanel::LKeyboardSoundsPanel(LControl* parent, const WString& name)
    : LModuleEditPanel(parent, name, kEditors)
{
}

} // namespace QK
