#include "UI/DriverCommon/AppMidiManager.h"

#include "Engine/PresetEditorCommon/MidiManagerProvider.h"
#include "QKFramework/Application/FrameworkApp.h"

namespace QK
{

RCPtr<LMidiManager> GetApplicationMidiManager()
{
    const auto* provider = dynamic_cast<const IMidiManagerProvider*>(LFrameworkApp::GetApplication());
    return provider ? provider->GetMidiManager() : RCPtr<LMidiManager>();
}

} // namespace QK
