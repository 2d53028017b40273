// The editor's MIDI manager, through the process's application object.
// UI thread only.
#pragma once

#include "Engine/PresetEditorCommon/MidiManager.h"
#include "QKFramework/ObjectBase/RCPtr.h"

namespace QK
{

// The MIDI manager of the process's application; null when there is no application, it
// hands out no MIDI manager (it is not the editor's), or it has none at the moment.
RCPtr<LMidiManager> GetApplicationMidiManager();

} // namespace QK
