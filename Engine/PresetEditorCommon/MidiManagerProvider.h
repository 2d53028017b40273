// IMidiManagerProvider: what hands out the editor's MIDI manager. The editor's application
// object implements it; the panels find it on the process's application object
// (GetApplicationMidiManager in UI/DriverCommon/AppMidiManager.h), so they know nothing of
// the application class above them.
//
// UI thread only.
#pragma once

#include "Engine/PresetEditorCommon/MidiManager.h"
#include "QKFramework/ObjectBase/RCPtr.h"

namespace QK
{

class IMidiManagerProvider
{
public:
    // Empty before the application's start-up and once the manager has been let go.
    virtual RCPtr<LMidiManager> GetMidiManager() const = 0;

protected:
    ~IMidiManagerProvider() = default;
};

} // namespace QK
