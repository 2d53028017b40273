// MidiBackend: the system's MIDI devices, shaped as the port classes expect of WinMM.
//
// A back end lists the MIDI devices of each direction in a stable order, each under a
// product name that behaves like a Windows one, and opens them by index. An open input
// hands what it receives to a sink; an open output sends short and long messages. The
// platform's own back end sits over the system's MIDI (CreatePlatformMidiBackend); unit
// tests put a scripted one in its place with SetMidiBackend.
//
// Results are 0 or one of the positive kMidi* codes, numbered as WinMM numbers its
// MMRESULTs, so that the port classes can pass them on where they would pass a WinMM error.
//
// Threads: every operation of a back end and of an open connection may be called on any
// thread, also at the same time. Sink calls come on the back end's own thread.
//
// Sections: results and constants; the input sink; open connections; the back end;
// helpers shared by the back ends; the process-wide service.
#pragma once

#include "QKFramework/ObjectBase/Result.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace QK
{

// ---- Results and constants -------------------------------------------------------------

enum class MidiDirection
{
    Input,
    Output,
};

inline constexpr QKRESULT kMidiOk = 0;
// The MIDI system refused or failed the call (WinMM MMSYSERR_ERROR).
inline constexpr QKRESULT kMidiError = 1;
// No device at that index, or the device has gone (WinMM MMSYSERR_NODRIVER).
inline constexpr QKRESULT kMidiNotFound = 6;
// A message with no bytes, or a short message without a status byte (MMSYSERR_INVALPARAM).
inline constexpr QKRESULT kMidiInvalidParameter = 11;
// A send that did not complete within kMidiSendTimeoutMs (WinMM MIDIERR_NOTREADY).
inline constexpr QKRESULT kMidiNotReady = 67;

// The longest a send may take before it fails with kMidiNotReady.
inline constexpr std::uint32_t kMidiSendTimeoutMs = 10000;

// The largest chunk of a SysEx message that reaches a sink in one call.
inline constexpr std::size_t kMidiSysExChunkSize = 256;

// ---- The input sink -------------------------------------------------------------------

// Receives what an open input device delivers, on the back end's thread (a MIDI system
// thread), one call at a time per connection and in arrival order, and only between Start
// and Stop of that connection. A sink must not block for long and must not close its
// own connection from inside a call.
class IMidiInputSink
{
public:
    // A channel or system message other than SysEx, packed as WinMM packs it: the status
    // byte in the lowest 8 bits, each data byte 8 bits higher, unused bytes 0. timeMs counts
    // milliseconds since the connection's Start, wrapping at 2^32.
    virtual void OnMidiShortMessage(std::uint32_t message, std::uint32_t timeMs) = 0;

    // One chunk of a SysEx message, 1 to kMidiSysExChunkSize bytes. A message comes as its
    // chunks in order; complete is set on the last one only. The bytes are valid for the
    // call only.
    virtual void OnMidiSysExChunk(const std::uint8_t* bytes, std::size_t count, bool complete) = 0;

protected:
    ~IMidiInputSink() = default;
};

// ---- Open connections -----------------------------------------------------------------

// An open input device. Destroying it stops and closes it; once the destructor has
// returned, its sink is never called again.
class IMidiInputConnection
{
public:
    virtual ~IMidiInputConnection() = default;

    // Starts delivery to the sink; time stamps count from here. 0 (also when started).
    virtual QKRESULT Start() = 0;
    // Stops delivery; once Stop has returned, no sink call runs or begins (a call that
    // runs Stop itself excepted). 0 (also when stopped).
    virtual QKRESULT Stop() = 0;
    // False once the device has gone since the connection was opened, even when a device
    // of the same name has come back (the connection does not follow it). A back end may
    // answer from its latest listing of the direction (ListDevices or an open) instead of
    // looking afresh: ask right after a listing for an answer as current as that listing.
    virtual bool IsAlive() = 0;
};

// An open output device. Destroying it closes it.
class IMidiOutputConnection
{
public:
    virtual ~IMidiOutputConnection() = default;

    // Sends one short message packed as IMidiInputSink::OnMidiShortMessage describes; the
    // status byte decides how many bytes go out. Returns when the message has been handed
    // to the system: 0, kMidiInvalidParameter for a low byte that is not a status byte or is
    // F0 or F7, kMidiNotReady after kMidiSendTimeoutMs, else kMidiError.
    virtual QKRESULT SendShort(std::uint32_t message) = 0;

    // Sends count bytes unchanged as one long message (normally a whole SysEx message).
    // Returns when the message has been handed to the system: 0, kMidiInvalidParameter for
    // no bytes, kMidiNotReady after kMidiSendTimeoutMs, else kMidiError. The back end
    // copies the bytes: the caller's buffer is not used after the call returns, whatever
    // the result.
    virtual QKRESULT SendLong(const std::uint8_t* bytes, std::size_t count) = 0;

    // As IMidiInputConnection::IsAlive.
    virtual bool IsAlive() = 0;
};

// ---- The back end ---------------------------------------------------------------------

class IMidiBackend
{
public:
    virtual ~IMidiBackend() = default;

    // The product names of the devices of one direction, in device-index order (the
    // program's own ports are not listed). Names may repeat. Each call looks afresh.
    virtual std::vector<std::string> ListDevices(MidiDirection direction) = 0;

    // Opens the input device that a listing taken now would show at index; the connection
    // starts stopped. 0 with the connection, kMidiNotFound when there is no such device,
    // else kMidiError; the out reference is cleared on failure. The sink must outlive the
    // connection.
    virtual QKRESULT OpenInput(std::size_t index, IMidiInputSink& sink,
                               std::unique_ptr<IMidiInputConnection>& connection) = 0;

    // The same for an output device.
    virtual QKRESULT OpenOutput(std::size_t index, std::unique_ptr<IMidiOutputConnection>& connection) = 0;

    // True once the MIDI system this back end reached has gone (a JACK server that ended):
    // its connections are dead, and nothing it lists or opens any more is real. A system that
    // comes back is reached by a new back end only.
    virtual bool IsSystemLost() { return false; }
};

// ---- Helpers shared by the back ends --------------------------------------------------

// The number of bytes of the short message that begins with status: 3 for 8n-Bn, En and
// F2; 2 for Cn, Dn, F1 and F3; 1 for the rest (F0 and F7 included); 0 for a data byte.
constexpr std::size_t MidiShortMessageLength(std::uint8_t status) noexcept
{
    if (status < 0x80)
        return 0;
    switch (status & 0xF0)
    {
    case 0xC0:
    case 0xD0:
        return 2;
    case 0xF0:
        return status == 0xF2 ? 3 : (status == 0xF1 || status == 0xF3) ? 2 : 1;
    default:
        return 3;
    }
}

// Packs up to 3 bytes of a short message as WinMM does (first byte lowest).
constexpr std::uint32_t PackMidiShortMessage(const std::uint8_t* bytes, std::size_t count) noexcept
{
    std::uint32_t message = 0;
    for (std::size_t i = 0; i < count && i < 3; ++i)
        message |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    return message;
}

// Real-time messages (F8 to FF) are one byte each and may come between the bytes of any
// other message, SysEx included.
constexpr bool IsMidiRealTimeStatus(std::uint8_t byte) noexcept
{
    return byte >= 0xF8;
}

// Hands what a MIDI system reports as one message to a sink, read as MIDI bytes are read:
// a status byte begins a message, and a SysEx (F0) runs to its F7, to the next status byte
// other than a real-time one, or to the end, whichever comes first. A SysEx goes as chunks
// of at most kMidiSysExChunkSize bytes, the last one complete; a real-time byte inside it
// goes out as a short message of its own at its place. Any other message goes as one short
// message of its status and the data bytes after it (at most as many as the status takes);
// data bytes without a status, and an F7 outside a SysEx, are skipped. So a MIDI system that joins an unterminated
// SysEx with what follows (RtMidi's JACK input holds everything up to the next F7) still
// hands over each message, and the reply behind such a SysEx comes out whole.
inline void DeliverMidiMessage(IMidiInputSink& sink, const std::uint8_t* bytes, std::size_t count,
                               std::uint32_t timeMs)
{
    std::size_t at = 0;
    while (at < count)
    {
        const std::uint8_t status = bytes[at];
        if (status < 0x80 || status == 0xF7)
        {
            ++at;
            continue;
        }
        if (status != 0xF0)
        {
            std::size_t end = at + 1;
            if (!IsMidiRealTimeStatus(status))
                while (end < count && end - at < MidiShortMessageLength(status) && bytes[end] < 0x80)
                    ++end;
            sink.OnMidiShortMessage(PackMidiShortMessage(bytes + at, end - at), timeMs);
            at = end;
            continue;
        }

        // The SysEx's extent, and its last byte that is not a real-time one.
        std::size_t end = at + 1;
        std::size_t last = at;
        while (end < count)
        {
            const std::uint8_t byte = bytes[end];
            if (byte == 0xF7)
            {
                last = end++;
                break;
            }
            if (byte >= 0x80 && !IsMidiRealTimeStatus(byte))
                break;
            if (byte < 0x80)
                last = end;
            ++end;
        }
        // Runs of SysEx bytes between real-time bytes, each cut into chunks.
        std::size_t run = at;
        for (std::size_t k = at; k <= end; ++k)
        {
            if (k < end && !IsMidiRealTimeStatus(bytes[k]))
                continue;
            for (std::size_t offset = run; offset < k; offset += kMidiSysExChunkSize)
            {
                const std::size_t chunk = k - offset < kMidiSysExChunkSize ? k - offset : kMidiSysExChunkSize;
                sink.OnMidiSysExChunk(bytes + offset, chunk, offset + chunk > last);
            }
            if (k < end)
                sink.OnMidiShortMessage(bytes[k], timeMs);
            run = k + 1;
        }
        at = end;
    }
}

// ---- The process-wide service ---------------------------------------------------------

// The names the platform's back end takes from the application: the name of the program's
// own MIDI clients (also the first word of its line on standard error) and the environment
// variable that asks for JACK with the value "jack" (empty: none is read).
struct MidiBackendSettings
{
    std::string clientName = "QK MIDI";
    std::string apiVariable;
};

// The application hands its names in before the first MIDI use: the platform's back end is
// made once, with the settings of that moment. Any thread.
void SetMidiBackendSettings(const MidiBackendSettings& settings);
MidiBackendSettings GetMidiBackendSettings();

// The back end over the system's MIDI, as it comes and goes (ReconnectingMidiBackend): the
// ALSA sequencer by default; JACK when the settings' variable is "jack" or the ALSA sequencer
// cannot be opened. While neither can be reached it has no devices, says so once in one line
// on standard error, and keeps looking every few seconds; a JACK server that ends is left and
// looked for again. Never null.
std::shared_ptr<IMidiBackend> CreatePlatformMidiBackend(const MidiBackendSettings& settings);

// The back end in use: the one set last, else the platform's own, made on first use with
// the settings then handed in and kept until the process ends. Never null.
std::shared_ptr<IMidiBackend> GetMidiBackend();

// Puts backend in place of the current one (null: the platform's own again) and returns
// the one it replaces (null when that was the platform's own or none was made yet).
// Connections already open keep working on the back end that opened them.
std::shared_ptr<IMidiBackend> SetMidiBackend(std::shared_ptr<IMidiBackend> backend);

} // namespace QK
