// MidiPortNames: turns the port names that RtMidi reports into the product names that the
// port classes search, named as Windows names MIDI devices.
//
// ALSA sequencer ports come as "<client>:<port> <client id>:<port id>". A client's first
// port of a direction is named after the client (a controller's USB product string), its
// further ports "MIDIIN<k+1> (<client>)" or "MIDIOUT<k+1> (<client>)" as Windows names the
// extra ports of one device; so only the first port matches the client's name. The client
// name ends at the first ":".
//
// JACK ports come as "<client>:<port>"; RtMidi makes every input and output object a
// client of its own, and JACK renames a second client of a taken name "<name>-01", so the
// client says little: the product name is the port's own name after the client prefix.
#pragma once

#include "QKFramework/Midi/MidiBackend.h"

#include <string>
#include <vector>

namespace QK
{

enum class MidiSystem
{
    AlsaSequencer,
    Jack,
};

// The client part of a port name: everything before the first ":" (all of it when there
// is none).
std::string MidiPortClientName(const std::string& portName);

// True for a port of one of the program's own clients: the client part is clientName, or
// clientName followed by "-" and digits (the JACK renaming).
bool IsOwnMidiPort(const std::string& portName, const std::string& clientName);

// The product names of the given ports of one direction, in the same order.
std::vector<std::string> MakeMidiProductNames(MidiSystem system, MidiDirection direction,
                                              const std::vector<std::string>& portNames);

} // namespace QK
