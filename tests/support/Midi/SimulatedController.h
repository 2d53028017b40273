// SimulatedController: the controller's side of the SysEx exchange, without MIDI ports.
//
// It holds the RAM preset (number 0), favorites 1 to 8 and the last key-curve message, and
// answers what it receives as the controller does:
// - get preset   F0 47 7F 50 66 00 01 pp F7: the dump F0 47 00 50 66 00 01 pp, the 215
//   value bytes of preset pp, F7 (224 bytes); pp in the dump can be made a constant
//   instead (SetDumpByte7), as a controller may fill that byte otherwise;
// - send preset  F0 47 7F 50 64 01 0E pp, 215 value bytes, F7: stores preset pp, no answer;
// - key curve    F0 47 7F 50 13 09, 9 bytes, F7: kept whole, no answer;
// - identity request F0 7E 7F 06 01 F7: an identity reply;
// - any other short message: sent back unchanged (MIDI thru), so a round trip can be seen.
// Anything else, or any of these with a wrong length, preset number or constant byte,
// is ignored. The reply mode can make it stay silent (no answers at all), answer a get
// short (a dump cut after 100 value bytes) or answer it with garbage (a 224-byte SysEx
// message that is not a dump).
//
// The simulator program (vedidu_simulator) puts it on real MIDI ports; unit tests can drive
// it directly or behind FakeMidiBackend. Not thread-safe: one caller at a time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace QK::TestSupport
{

class SimulatedController
{
public:
    static constexpr std::size_t kPresetSize = 215;
    static constexpr int kPresetCount = 9; // RAM and favorites 1 to 8
    static constexpr std::size_t kShortDumpValueBytes = 100;

    using Preset = std::array<std::uint8_t, kPresetSize>;
    using Message = std::vector<std::uint8_t>;

    enum class ReplyMode
    {
        Normal,
        Silent,
        Short,
        Garbage,
    };

    // The controller's factory preset: the defaults of the 79 parameters in id order.
    static const Preset& DefaultPreset();

    explicit SimulatedController(ReplyMode mode = ReplyMode::Normal);

    // Whether bytes are a get-preset request this controller answers.
    static bool IsGetPresetRequest(const std::uint8_t* bytes, std::size_t count);

    // Takes one whole received message and answers the messages to send back, in order.
    std::vector<Message> Receive(const std::uint8_t* bytes, std::size_t count);
    std::vector<Message> Receive(const Message& message) { return Receive(message.data(), message.size()); }

    // number 0 to 8; others are ignored (Get answers the RAM preset).
    const Preset& GetPreset(int number) const;
    void SetPreset(int number, const Preset& values);
    // What every dump carries in byte 7: the preset's number (nullopt, the default) or the
    // byte given.
    void SetDumpByte7(std::optional<std::uint8_t> byte) { m_dumpByte7 = byte; }
    // The last key-curve message, whole; empty until one came.
    const Message& GetKeyCurve() const { return m_keyCurve; }

    // The stored presets and key curve as text lines ("ram", "favorite1" ... "favorite8",
    // "keycurve", each followed by its bytes in hex).
    std::string SaveState() const;
    // Takes text as SaveState writes it; lines left out keep their values. On failure
    // nothing changes and error says why.
    bool LoadState(const std::string& text, std::string& error);

private:
    Message MakeDump(int number) const;

    ReplyMode m_mode;
    std::optional<std::uint8_t> m_dumpByte7;
    std::array<Preset, kPresetCount> m_presets;
    Message m_keyCurve;
};

// "F0 47 7F" form: upper-case hex, one space between bytes.
std::string FormatHexBytes(const std::uint8_t* bytes, std::size_t count);
inline std::string FormatHexBytes(const std::vector<std::uint8_t>& bytes)
{
    return FormatHexBytes(bytes.data(), bytes.size());
}

// Reads bytes written by FormatHexBytes (either case, any blanks between bytes); false for
// anything else.
bool ParseHexBytes(const std::string& text, std::vector<std::uint8_t>& bytes);

} // namespace QK::TestSupport
