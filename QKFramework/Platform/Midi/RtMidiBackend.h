// RtMidiBackend: the MIDI back end over RtMidi on one MIDI system (ALSA sequencer or JACK).
//
// Two RtMidi objects, an input and an output (each a client of the MIDI system), are made
// with the back end. They serve every listing and liveness query, so the presence checker's
// frequent passes make no new clients, and each carries the first open connection of its
// direction: with the controller's ports open, the program is two clients of the MIDI
// system (on JACK, three: see below). A further connection of a direction, while that one
// is open, is an RtMidi object of its own (RtMidi opens one port per object). libjack's own
// messages go to the debug log, not to standard error.
//
// An input delivers on RtMidi's thread (the ALSA input thread or the JACK process
// thread), whole messages cut for the sink as DeliverMidiMessage describes; SysEx,
// timing and active-sensing messages are all let through, as WinMM does. An output sends
// through a MidiSendWorker, which bounds every send by kMidiSendTimeoutMs.
//
// Liveness: a connection is alive until a listing of its direction (ListDevices or an open)
// no longer shows the port it was opened on. IsAlive does not list: on JACK a listing is a
// server round trip per port, and the transport asks right after listing anyway.
//
// On JACK the back end also keeps the client that asked whether a server runs, under the
// program's client name: never activated and without ports, it only hears the server end.
// From then on the back end's system is lost (IsSystemLost): its connections are dead and
// their sends fail, since RtMidi's clients would go on listing the ports the server had and
// take sends that go nowhere.
#pragma once

#include "QKFramework/Midi/MidiBackend.h"
#include "QKFramework/Platform/Midi/MidiPortNames.h"

#include <cstddef>
#include <memory>
#include <string>

namespace QK
{

// The longest server name that libjack takes from JACK_DEFAULT_SERVER: it copies the name
// unchecked into a buffer of this many characters and a terminator, so a longer one would
// overrun libjack's stack.
constexpr std::size_t kJackServerNameMaxLength = 256;

// False when JACK_DEFAULT_SERVER names a server longer than libjack takes. Nothing on JACK is
// made then: the JACK system counts as one that cannot be reached.
bool IsJackServerNameUsable();

// The back end on system, or null when that system cannot be reached (no ALSA sequencer
// device, no JACK server, a JACK server name libjack cannot take; nothing is written to
// standard error then). clientName names the program's clients; their ports are left out of
// every listing.
std::shared_ptr<IMidiBackend> CreateRtMidiBackend(MidiSystem system, const std::string& clientName);

} // namespace QK
