#include "QKFramework/Midi/MidiBackend.h"

#include <mutex>
#include <utility>

namespace QK
{

namespace
{

std::mutex g_backendMutex;
std::shared_ptr<IMidiBackend> g_backend;
// Made once (the presence checker asks every 500 ms, and each back end is a client of the
// MIDI system) and never destroyed: its clients leave the MIDI system with the process, not
// from a static destructor while other statics are already gone.
std::shared_ptr<IMidiBackend>* g_platform = nullptr;

} // namespace

std::shared_ptr<IMidiBackend> GetMidiBackend()
{
    std::lock_guard lock(g_backendMutex);
    if (g_backend)
        return g_backend;
    if (!g_platform)
        g_platform = new std::shared_ptr<IMidiBackend>(CreatePlatformMidiBackend(GetMidiBackendSettings()));
    return *g_platform;
}

std::shared_ptr<IMidiBackend> SetMidiBackend(std::shared_ptr<IMidiBackend> backend)
{
    std::lock_guard lock(g_backendMutex);
    return std::exchange(g_backend, std::move(backend));
}

} // namespace QK
