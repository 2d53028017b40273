#include "QKFramework/Midi/MidiBackend.h"
#include "QKFramework/Midi/NullMidiBackend.h"
#include "QKFramework/Platform/Midi/RtMidiBackend.h"

#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace QK
{

std::shared_ptr<IMidiBackend> CreatePlatformMidiBackend(const MidiBackendSettings& settings)
{
    const std::string& clientName = settings.clientName;
    const char* api = settings.apiVariable.empty() ? nullptr : std::getenv(settings.apiVariable.c_str());
    const bool jackAsked = api && strcasecmp(api, "jack") == 0;
    // Without the sequencer device RtMidi would only fail, and ALSA would say so on stderr.
    if (!jackAsked && access("/dev/snd/seq", R_OK | W_OK) == 0)
    {
        if (auto backend = CreateRtMidiBackend(MidiSystem::AlsaSequencer, clientName))
            return backend;
    }
    if (auto backend = CreateRtMidiBackend(MidiSystem::Jack, clientName))
        return backend;
    // The one word about it on the terminal: without it, a user would only see the
    // controller never connect.
    std::fprintf(stderr, "%s: no MIDI system (no ALSA sequencer, no JACK server); the controller cannot be reached\n",
                 clientName.c_str());
    return std::make_shared<NullMidiBackend>();
}

} // namespace QK
