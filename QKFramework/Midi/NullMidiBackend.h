// NullMidiBackend: the back end of a machine without any MIDI system. It lists no
// devices and opens none, so everything above it runs as with the controller unplugged.
#pragma once

#include "QKFramework/Midi/MidiBackend.h"

namespace QK
{

class NullMidiBackend final : public IMidiBackend
{
public:
    std::vector<std::string> ListDevices(MidiDirection) override { return {}; }

    QKRESULT OpenInput(std::size_t, IMidiInputSink&, std::unique_ptr<IMidiInputConnection>& connection) override
    {
        connection.reset();
        return kMidiNotFound;
    }

    QKRESULT OpenOutput(std::size_t, std::unique_ptr<IMidiOutputConnection>& connection) override
    {
        connection.reset();
        return kMidiNotFound;
    }
};

} // namespace QK
