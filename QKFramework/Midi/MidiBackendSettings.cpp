#include "QKFramework/Midi/MidiBackend.h"

#include <mutex>

namespace QK
{

namespace
{

std::mutex g_settingsMutex;

// Never destroyed: a MIDI thread may still ask while static objects go.
MidiBackendSettings& Settings()
{
    static auto* const settings = new MidiBackendSettings();
    return *settings;
}

} // namespace

void SetMidiBackendSettings(const MidiBackendSettings& settings)
{
    std::lock_guard lock(g_settingsMutex);
    Settings() = settings;
}

MidiBackendSettings GetMidiBackendSettings()
{
    std::lock_guard lock(g_settingsMutex);
    return Settings();
}

} // namespace QK
