// The MIDI names the editor hands the framework (LApplication::NameFrameworkServices), for
// test processes that reach the MIDI system without an editor application, or before one is
// made: their clients are named as the editor's, and they answer to the variable that the
// test scripts and the simulated controller use to choose JACK.
#pragma once

#include "QKFramework/Midi/MidiBackend.h"

namespace QK::TestSupport
{

inline constexpr const char* kEditorMidiClientName = "Vedidu Editor";

inline void UseEditorMidiNames()
{
    SetMidiBackendSettings({kEditorMidiClientName, "VEDIDU_MIDI_API"});
}

} // namespace QK::TestSupport
