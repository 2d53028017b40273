// The keyboard in the editor's own dialogs (the about box, the key-curve dialog): Escape
// presses the dialog's "buttonClose" as a click on it would, so a person who only wants the
// dialog gone need not reach for the mouse.
//
// UI thread only.
#pragma once

#include "QKFramework/ControlBase/Control.h"

namespace QK
{

// When key is Escape (pressed, without modifiers) and dialog has a shown and enabled
// "buttonClose", presses that button and answers true; false otherwise.
bool PressCloseOnEscape(LControl& dialog, const LKeyParam* key);

} // namespace QK
