// The invariants of reading a preset dump, shared by the targets that see SysEx messages:
// a dump is taken exactly when it is one (the controller's header, long enough, no byte above 7F
// among the values); a refused one leaves no values behind; a taken one gives the 79
// parameters at their sizes, holding the dump's value bytes, which build a send-preset body
// that carries the same bytes back.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"
#include "Engine/PresetEditorCommon/PresetSysEx.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <cstring>

namespace VediduFuzz
{

inline void CheckPresetDump(const signed char* bytes, std::uint32_t count)
{
    using namespace QK;
    const auto* raw = reinterpret_cast<const std::uint8_t*>(bytes);
    const bool isReply = count >= 4 && raw[0] == 0xF0 && raw[1] == 0x47 && raw[2] == 0x00 && raw[3] == 0x50;
    FUZZ_CHECK(PresetSysEx::IsDeviceReply(bytes, count) == isReply);

    bool isDump = isReply && count >= PresetSysEx::kMinDumpSize;
    for (std::uint32_t k = 0; isDump && k < kParameterImageSize; ++k)
        isDump = raw[PresetSysEx::kDumpValueOffset + k] <= 0x7F;

    Array<Variant> values;
    values.SetCount(1);
    values.GetAt(0)->SetBytes("stale", 5);
    const QKRESULT result = PresetSysEx::CutPresetDump(bytes, count, values);
    FUZZ_CHECK(result == QK_OK || result == QK_E_INVALIDARG);
    FUZZ_CHECK((result == QK_OK) == isDump);
    if (result != QK_OK)
    {
        FUZZ_CHECK(values.GetCount() == 0);
        return;
    }

    FUZZ_CHECK(values.GetCount() == kParameterCount);
    std::uint32_t offset = PresetSysEx::kDumpValueOffset;
    for (std::uint32_t i = 0; i < kParameterCount; ++i)
    {
        const Variant& value = *values.GetAt(i);
        std::uint32_t size = 0;
        const void* data = value.GetData(size);
        FUZZ_CHECK(value.GetKind() == kVariantBytes);
        FUZZ_CHECK(size == GetParameterByteSize(i));
        FUZZ_CHECK(std::memcmp(data, raw + offset, size) == 0);
        offset += size;
    }

    Array<signed char> body;
    FUZZ_CHECK(PresetSysEx::BuildSendPresetBody(1, values, body) == QK_OK);
    FUZZ_CHECK(body.GetCount() == PresetSysEx::kSendPresetBodySize);
    FUZZ_CHECK(std::memcmp(body.GetAt(PresetSysEx::kSendPresetHeaderSize), raw + PresetSysEx::kDumpValueOffset,
                           kParameterImageSize) == 0);
}

} // namespace VediduFuzz
