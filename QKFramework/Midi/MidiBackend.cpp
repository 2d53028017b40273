#include "QKFramework/Midi/MidiBackend.h"

#include <mutex>
#include <utility>

namespace QK
{

namespace
{

std::mutex g_backendMutex;
std::shared_ptr<IMidiBackend> g_backend;

} // namespace

std::shared_ptr<IMidiBackend> GetMidiBackend()
{
    std::lock_guard lock(g_backendMutex);
    if (g_backend)
        return g_backend;
    // Made once: the presence checker asks every 500 ms, and each back end is a client of
    // the MIDI system.
    static const std::shared_ptr<IMidiBackend> platform = CreatePlatformMidiBackend(GetMidiBackendSettings());
    return platform;
}

std::shared_ptr<IMidiBackend> SetMidiBackend(std::shared_ptr<IMidiBackend> backend)
{
    std::lock_guard lock(g_backendMutex);
    return std::exchange(g_backend, std::move(backend));
}

} // namespace QK
