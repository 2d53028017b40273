// The layout of the controller's parameters: where each module's ids start and how many
// bytes each parameter takes.
//
// A parameter is addressed by its index, id minus the root module's first id (0 to 78).
// The modules follow one another in a fixed order, and that order and these sizes are also
// the order and sizes of the parameters in a preset image on the wire (215 bytes): the
// program name at bytes 0..15, the pad MIDI channel at 16, ..., EQ high at 214. Every
// value stored for a parameter holds exactly its size in bytes.
#pragma once

#include <cstdint>

namespace QK
{

inline constexpr std::uint32_t kParameterCount = 79;
inline constexpr std::uint32_t kParameterImageSize = 215;

// First index of each module and the number of parameters it owns.
inline constexpr std::uint32_t kProgramNameOffset = 0;
inline constexpr std::uint32_t kProgramNameParamCount = 1;
inline constexpr std::uint32_t kMidiChannelsAndAftertouchOffset = 1;
inline constexpr std::uint32_t kMidiChannelsAndAftertouchParamCount = 3;
inline constexpr std::uint32_t kKeybedOffset = 4;
inline constexpr std::uint32_t kKeybedParamCount = 2;
inline constexpr std::uint32_t kArpeggiatorOffset = 6;
inline constexpr std::uint32_t kArpeggiatorParamCount = 9;
inline constexpr std::uint32_t kJoystickOffset = 15;
inline constexpr std::uint32_t kJoystickParamCount = 3;
inline constexpr std::uint32_t kJoystickCount = 2;
inline constexpr std::uint32_t kPadOffset = 21;
inline constexpr std::uint32_t kPadParamCount = 1;
inline constexpr std::uint32_t kPadCount = 16;
inline constexpr std::uint32_t kHardwareKnobOffset = 37;
inline constexpr std::uint32_t kHardwareKnobParamCount = 4;
inline constexpr std::uint32_t kHardwareKnobCount = 8;
inline constexpr std::uint32_t kSoundSettingsOffset = 69;
inline constexpr std::uint32_t kSoundSettingsParamCount = 10;

// The parameters that are not one byte: the two texts and the tempo.
inline constexpr std::uint32_t kNameByteSize = 16;
inline constexpr std::uint32_t kArpeggiatorTempoIndex = kArpeggiatorOffset + 7;
inline constexpr std::uint32_t kArpeggiatorTempoByteSize = 2;
inline constexpr std::uint32_t kHardwareKnobNameParam = 3;

// Byte length of the parameter at <index>; 0 for an index outside the table.
constexpr std::uint32_t GetParameterByteSize(std::uint32_t index) noexcept
{
    if (index >= kParameterCount)
        return 0;
    if (index == kProgramNameOffset)
        return kNameByteSize;
    if (index == kArpeggiatorTempoIndex)
        return kArpeggiatorTempoByteSize;
    if (index >= kHardwareKnobOffset && index < kSoundSettingsOffset &&
        (index - kHardwareKnobOffset) % kHardwareKnobParamCount == kHardwareKnobNameParam)
        return kNameByteSize;
    return 1;
}

// Where the parameter at <index> starts in the preset image; the image size for an index
// at or past the end of the table.
constexpr std::uint32_t GetParameterByteOffset(std::uint32_t index) noexcept
{
    std::uint32_t offset = 0;
    for (std::uint32_t i = 0; i < index && i < kParameterCount; ++i)
        offset += GetParameterByteSize(i);
    return offset;
}

static_assert(kSoundSettingsOffset + kSoundSettingsParamCount == kParameterCount);
static_assert(GetParameterByteOffset(kParameterCount) == kParameterImageSize);

} // namespace QK
