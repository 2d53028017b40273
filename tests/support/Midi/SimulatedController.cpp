#include "tests/support/Midi/SimulatedController.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace QK::TestSupport
{

namespace
{

constexpr std::uint8_t kGetPreset[] = {0xF0, 0x47, 0x7F, 0x50, 0x66, 0x00, 0x01};
constexpr std::uint8_t kSendPreset[] = {0xF0, 0x47, 0x7F, 0x50, 0x64, 0x01, 0x0E};
constexpr std::uint8_t kKeyCurve[] = {0xF0, 0x47, 0x7F, 0x50, 0x13, 0x09};
constexpr std::uint8_t kIdentityRequest[] = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
constexpr std::uint8_t kDumpHeader[] = {0xF0, 0x47, 0x00, 0x50, 0x66, 0x00, 0x01};
// Device inquiry answer: manufacturer 47, family 50 00, member 01 00, version 1.0.0.0.
constexpr std::uint8_t kIdentityReply[] = {0xF0, 0x7E, 0x00, 0x06, 0x02, 0x47, 0x50, 0x00,
                                           0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0xF7};

constexpr std::size_t kGetPresetSize = 9;
constexpr std::size_t kSendPresetSize = 224;
constexpr std::size_t kKeyCurveSize = 16;
constexpr std::size_t kPresetOffset = 8;

template <std::size_t N>
bool StartsWith(const std::uint8_t* bytes, std::size_t count, const std::uint8_t (&prefix)[N])
{
    return count >= N && std::equal(prefix, prefix + N, bytes);
}

bool AllDataBytes(const std::uint8_t* begin, const std::uint8_t* end)
{
    return std::all_of(begin, end, [](std::uint8_t b) { return b < 0x80; });
}

const char* StateKey(int number)
{
    static const char* const keys[SimulatedController::kPresetCount] = {
        "ram", "favorite1", "favorite2", "favorite3", "favorite4", "favorite5", "favorite6", "favorite7", "favorite8"};
    return keys[number];
}

// The controller's factory preset: the defaults of the 79 parameters in id order, each as
// its raw bytes (names are 16 characters padded with spaces, the tempo is two 7-bit bytes).
// The device model is the authority; this copy only seeds the simulated controller.
constexpr std::uint8_t kDefaultPreset[] = {
    0x50, 0x52, 0x45, 0x53, 0x45, 0x54, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, // 0 "PRESET"
    0x00, 0x01, 0x00,                                     // 1-3 pad channel, pad aftertouch, keybed channel
    0x04, 0x0C,                                           // 4-5 keybed octave, transpose
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,             // 6-12 arpeggiator on, mode, division, clock, latch, swing, taps
    0x00, 0x70,                                           // 13 arpeggiator tempo 112
    0x00,                                                 // 14 arpeggiator octave
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                   // 15-20 joysticks: type, first and second controller
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17,       // 21-28 pad notes, first row
    0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27,       // 29-36 pad notes, second row
    0x10, 0x00, 0x7F, 0x4B, 0x4E, 0x4F, 0x42, 0x20, 0x31, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, // 37-40 knob 1
    0x11, 0x00, 0x7F, 0x4B, 0x4E, 0x4F, 0x42, 0x20, 0x32, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, // 41-44 knob 2
    0x12, 0x00, 0x7F, 0x4B, 0x4E, 0x4F, 0x42, 0x20, 0x33, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, // 45-48 knob 3
    0x13, 0x00, 0x7F, 0x4B, 0x4E, 0x4F, 0x42, 0x20, 0x34, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, // 49-52 knob 4
    0x14, 0x00, 0x7F, 0x4B, 0x4E, 0x4F, 0x42, 0x20, 0x35, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, // 53-56 knob 5
    0x15, 0x00, 0x7F, 0x4B, 0x4E, 0x4F, 0x42, 0x20, 0x36, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, // 57-60 knob 6
    0x16, 0x00, 0x7F, 0x4B, 0x4E, 0x4F, 0x42, 0x20, 0x37, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, // 61-64 knob 7
    0x17, 0x00, 0x7F, 0x4B, 0x4E, 0x4F, 0x42, 0x20, 0x38, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, // 65-68 knob 8
    0x00, 0x00, 0x43, 0x00, 0x20, 0x00, 0x00, 0x00, 0x40, 0x40, // 69-78 sounds, filter, resonance, reverb, chorus, attack, release, EQ
};
static_assert(sizeof kDefaultPreset == SimulatedController::kPresetSize);

} // namespace

const SimulatedController::Preset& SimulatedController::DefaultPreset()
{
    static const Preset preset = []
    {
        Preset values;
        std::copy(std::begin(kDefaultPreset), std::end(kDefaultPreset), values.begin());
        return values;
    }();
    return preset;
}

SimulatedController::SimulatedController(ReplyMode mode) : m_mode(mode)
{
    m_presets.fill(DefaultPreset());
}

const SimulatedController::Preset& SimulatedController::GetPreset(int number) const
{
    return m_presets[number >= 0 && number < kPresetCount ? static_cast<std::size_t>(number) : 0];
}

void SimulatedController::SetPreset(int number, const Preset& values)
{
    if (number >= 0 && number < kPresetCount)
        m_presets[static_cast<std::size_t>(number)] = values;
}

SimulatedController::Message SimulatedController::MakeDump(int number) const
{
    Message dump(std::begin(kDumpHeader), std::end(kDumpHeader));
    dump.push_back(m_dumpByte7.value_or(static_cast<std::uint8_t>(number)));
    const Preset& values = GetPreset(number);
    dump.insert(dump.end(), values.begin(), values.end());
    dump.push_back(0xF7);
    return dump;
}

bool SimulatedController::IsGetPresetRequest(const std::uint8_t* bytes, std::size_t count)
{
    return bytes && count == kGetPresetSize && StartsWith(bytes, count, kGetPreset) && bytes[7] < kPresetCount &&
           bytes[8] == 0xF7;
}

std::vector<SimulatedController::Message> SimulatedController::Receive(const std::uint8_t* bytes, std::size_t count)
{
    if (!bytes || count == 0)
        return {};
    const bool silent = m_mode == ReplyMode::Silent;

    if (bytes[0] != 0xF0)
    {
        // MIDI thru for anything but SysEx.
        if (silent || bytes[0] < 0x80 || bytes[0] == 0xF7)
            return {};
        return {Message(bytes, bytes + count)};
    }
    if (bytes[count - 1] != 0xF7)
        return {};

    if (IsGetPresetRequest(bytes, count))
    {
        if (silent)
            return {};
        Message dump = MakeDump(bytes[7]);
        if (m_mode == ReplyMode::Short)
        {
            dump.resize(kPresetOffset + kShortDumpValueBytes);
            dump.push_back(0xF7);
        }
        else if (m_mode == ReplyMode::Garbage)
        {
            for (std::size_t i = 1; i + 1 < dump.size(); ++i)
                dump[i] = static_cast<std::uint8_t>((i * 37 + 11) & 0x7F);
        }
        return {dump};
    }
    if (count == kSendPresetSize && StartsWith(bytes, count, kSendPreset) && bytes[7] < kPresetCount &&
        AllDataBytes(bytes + kPresetOffset, bytes + count - 1))
    {
        Preset values;
        std::copy(bytes + kPresetOffset, bytes + kPresetOffset + kPresetSize, values.begin());
        m_presets[bytes[7]] = values;
        return {};
    }
    if (count == kKeyCurveSize && StartsWith(bytes, count, kKeyCurve) && AllDataBytes(bytes + 1, bytes + count - 1))
    {
        m_keyCurve.assign(bytes, bytes + count);
        return {};
    }
    if (count == sizeof kIdentityRequest && StartsWith(bytes, count, kIdentityRequest))
    {
        if (silent)
            return {};
        return {Message(std::begin(kIdentityReply), std::end(kIdentityReply))};
    }
    return {};
}

std::string SimulatedController::SaveState() const
{
    std::string text;
    for (int number = 0; number < kPresetCount; ++number)
    {
        const Preset& values = m_presets[static_cast<std::size_t>(number)];
        text += std::string(StateKey(number)) + " " + FormatHexBytes(values.data(), values.size()) + "\n";
    }
    text += "keycurve " + FormatHexBytes(m_keyCurve) + "\n";
    return text;
}

bool SimulatedController::LoadState(const std::string& text, std::string& error)
{
    std::array<Preset, kPresetCount> presets = m_presets;
    Message keyCurve = m_keyCurve;

    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(lines, line))
    {
        ++lineNumber;
        const std::size_t start = line.find_first_not_of(" \t\r");
        if (start == std::string::npos)
            continue;
        const std::size_t end = line.find_first_of(" \t\r", start);
        const std::string key = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::vector<std::uint8_t> bytes;
        if (!ParseHexBytes(end == std::string::npos ? std::string() : line.substr(end), bytes))
        {
            error = "line " + std::to_string(lineNumber) + ": bytes are not hex";
            return false;
        }

        if (key == "keycurve")
        {
            if (!bytes.empty() && (bytes.size() != kKeyCurveSize || !StartsWith(bytes.data(), bytes.size(), kKeyCurve) ||
                                   bytes.back() != 0xF7))
            {
                error = "line " + std::to_string(lineNumber) + ": not a key-curve message";
                return false;
            }
            keyCurve = bytes;
            continue;
        }
        int number = 0;
        while (number < kPresetCount && key != StateKey(number))
            ++number;
        if (number == kPresetCount)
        {
            error = "line " + std::to_string(lineNumber) + ": unknown key \"" + key + "\"";
            return false;
        }
        if (bytes.size() != kPresetSize || !AllDataBytes(bytes.data(), bytes.data() + bytes.size()))
        {
            error = "line " + std::to_string(lineNumber) + ": a preset is 215 bytes of 00 to 7F";
            return false;
        }
        std::copy(bytes.begin(), bytes.end(), presets[static_cast<std::size_t>(number)].begin());
    }
    m_presets = presets;
    m_keyCurve = keyCurve;
    return true;
}

std::string FormatHexBytes(const std::uint8_t* bytes, std::size_t count)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i)
    {
        if (i != 0)
            text += ' ';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

bool ParseHexBytes(const std::string& text, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    std::istringstream words(text);
    std::string word;
    while (words >> word)
    {
        if (word.size() != 2 || !std::isxdigit(static_cast<unsigned char>(word[0])) ||
            !std::isxdigit(static_cast<unsigned char>(word[1])))
            return false;
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(word, nullptr, 16)));
    }
    return true;
}

} // namespace QK::TestSupport
