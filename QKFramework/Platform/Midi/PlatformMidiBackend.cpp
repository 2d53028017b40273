#include "QKFramework/Midi/MidiBackend.h"
#include "QKFramework/Midi/ReconnectingMidiBackend.h"
#include "QKFramework/Platform/Midi/RtMidiBackend.h"

#include <strings.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace QK
{

namespace
{

// One try at reaching a MIDI system: the ALSA sequencer unless JACK is asked for, else JACK.
std::shared_ptr<IMidiBackend> ReachMidiSystem(const MidiBackendSettings& settings)
{
    const char* api = settings.apiVariable.empty() ? nullptr : std::getenv(settings.apiVariable.c_str());
    const bool jackAsked = api && strcasecmp(api, "jack") == 0;
    // Without the sequencer device RtMidi would only fail, and ALSA would say so on stderr.
    if (!jackAsked && access("/dev/snd/seq", R_OK | W_OK) == 0)
    {
        if (auto backend = CreateRtMidiBackend(MidiSystem::AlsaSequencer, settings.clientName))
            return backend;
    }
    return CreateRtMidiBackend(MidiSystem::Jack, settings.clientName);
}

} // namespace

std::shared_ptr<IMidiBackend> CreatePlatformMidiBackend(const MidiBackendSettings& settings)
{
    auto told = std::make_shared<std::atomic<bool>>(false);
    return std::make_shared<ReconnectingMidiBackend>(
        [settings, told]
        {
            std::shared_ptr<IMidiBackend> backend = ReachMidiSystem(settings);
            // The one word about it on the terminal: without it, a user would only see the
            // controller never connect. The tries every few seconds after it stay quiet.
            if (!backend && !told->exchange(true))
            {
                if (IsJackServerNameUsable())
                    std::fprintf(
                        stderr,
                        "%s: no MIDI system (no ALSA sequencer, no JACK server); the controller cannot be "
                        "reached\n",
                        settings.clientName.c_str());
                else
                    std::fprintf(
                        stderr,
                        "%s: no MIDI system (no ALSA sequencer; the JACK server name in JACK_DEFAULT_SERVER "
                        "is longer than the %zu characters JACK takes); the controller cannot be reached\n",
                        settings.clientName.c_str(), kJackServerNameMaxLength);
            }
            return backend;
        });
}

} // namespace QK
