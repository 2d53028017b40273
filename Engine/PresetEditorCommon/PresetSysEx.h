// The SysEx messages exchanged with the controller, built and read byte for byte.
//
//   get preset     F0 47 7F 50 66 00 01 pp F7
//   preset dump    F0 47 00 50 xx xx xx xx, 215 value bytes, F7   (from the controller)
//   send preset    F0 47 7F 50 64 01 0E pp, 215 value bytes, F7   (224 bytes)
//   identity       F0 7E 7F 06 01 F7
//
// pp is the preset: 0 the controller's RAM preset, 1 to 8 its favorites. A dump's bytes 4 to
// 7 are the controller's to fill: they neither decide whether it is a dump nor tell which
// request it answers. The 215 value bytes are the 79 parameters in id order, each taking the
// size the parameter table gives it (16 for the names, 2 for the tempo, 1 for the rest). The
// two builders of a request body leave out F0 and F7; FrameSysEx adds them.
#pragma once

#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/Array.h"
#include "QKFramework/Utilities/Storage/Variant.h"

#include <cstdint>

namespace QK::PresetSysEx
{

inline constexpr std::int32_t kLastPreset = 8;
inline constexpr std::uint8_t kManufacturer = 0x47;
// The send-preset body: everything between F0 and F7.
inline constexpr std::uint32_t kSendPresetBodySize = 222;
inline constexpr std::uint32_t kSendPresetHeaderSize = 7;
// Where a dump's values begin, and the shortest dump that holds all of them.
inline constexpr std::uint32_t kDumpValueOffset = 8;
inline constexpr std::uint32_t kMinDumpSize = 223;

// 47 7F 50 66 00 01 pp.
Array<signed char> BuildGetPresetRequest(std::int32_t preset);
// 47 7F 50 64 01 0E pp.
Array<signed char> BuildSendPresetHeader(std::int32_t preset);
// F0 7E 7F 06 01 F7, framed.
Array<signed char> BuildIdentityRequest();

// Whether bytes begin F0 47 00 50, as every message of the controller to us does.
bool IsDeviceReply(const signed char* bytes, std::uint32_t count);

// message = bytes with F0 put in front when the first byte is not F0 and F7 put behind
// when the last is not F7; a lone byte other than F0 and F7 becomes F0 b F7. 0;
// 0x80004005 for a lone F0 or F7; 0x80070057 for no bytes.
QKRESULT FrameSysEx(const Array<signed char>& bytes, Array<signed char>& message);

// The 222-byte send-preset body for preset from the 79 values in id order. 0 with the
// body; 0x80004001 when a value is a list, 0x80004005 when a value is some other kind than
// a byte block; 0x80070057 when the preset is not 0 to 8, the count is not 79, a value's
// size is not its parameter's, or a byte is above 7F. body is left empty on failure.
QKRESULT BuildSendPresetBody(std::int32_t preset, const Array<Variant>& values, Array<signed char>& body);

// The 79 values of a preset dump, each a byte block of its parameter's size. 0 with the
// values; 0x80070057 when bytes are no dump (IsDeviceReply), shorter than kMinDumpSize or
// hold a byte above 7F among the values. values is left empty on failure.
QKRESULT CutPresetDump(const signed char* bytes, std::uint32_t count, Array<Variant>& values);

} // namespace QK::PresetSysEx
