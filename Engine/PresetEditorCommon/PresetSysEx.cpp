#include "Engine/PresetEditorCommon/PresetSysEx.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"

#include <initializer_list>

namespace QK::PresetSysEx
{

namespace
{

constexpr std::uint8_t kSysExStart = 0xF0;
constexpr std::uint8_t kSysExEnd = 0xF7;

Array<signed char> MakeBytes(std::initializer_list<std::uint8_t> bytes)
{
    Array<signed char> result;
    for (const std::uint8_t byte : bytes)
        result.Add(static_cast<signed char>(byte));
    return result;
}

std::uint8_t At(const Array<signed char>& bytes, std::uint32_t index)
{
    return static_cast<std::uint8_t>(*bytes.GetAt(index));
}

} // namespace

Array<signed char> BuildGetPresetRequest(std::int32_t preset)
{
    return MakeBytes({kManufacturer, 0x7F, 0x50, 0x66, 0x00, 0x01, static_cast<std::uint8_t>(preset)});
}

Array<signed char> BuildSendPresetHeader(std::int32_t preset)
{
    return MakeBytes({kManufacturer, 0x7F, 0x50, 0x64, 0x01, 0x0E, static_cast<std::uint8_t>(preset)});
}

Array<signed char> BuildIdentityRequest()
{
    return MakeBytes({kSysExStart, 0x7E, 0x7F, 0x06, 0x01, kSysExEnd});
}

bool IsDeviceReply(const signed char* bytes, std::uint32_t count)
{
    if (!bytes || count < 4)
        return false;
    const auto* b = reinterpret_cast<const std::uint8_t*>(bytes);
    return b[0] == kSysExStart && b[1] == kManufacturer && b[2] == 0x00 && b[3] == 0x50;
}

QKRESULT FrameSysEx(const Array<signed char>& bytes, Array<signed char>& message)
{
    message.RemoveAll();
    const std::uint32_t count = bytes.GetCount();
    if (count == 0)
        return QK_E_INVALIDARG;
    if (count == 1 && (At(bytes, 0) == kSysExStart || At(bytes, 0) == kSysExEnd))
        return QK_E_FAIL;
    if (At(bytes, 0) != kSysExStart)
        message.Add(static_cast<signed char>(kSysExStart));
    message.AppendIterable(bytes);
    if (count == 1 || At(bytes, count - 1) != kSysExEnd)
        message.Add(static_cast<signed char>(kSysExEnd));
    return QK_OK;
}

QKRESULT BuildSendPresetBody(std::int32_t preset, const Array<Variant>& values, Array<signed char>& body)
{
    body.RemoveAll();
    if (preset < 0 || preset > kLastPreset)
        return QK_E_INVALIDARG;
    for (std::uint32_t i = 0; i < values.GetCount(); ++i)
    {
        const std::uint32_t kind = values.GetAt(i)->GetKind();
        if (kind == kVariantList)
            return QK_E_NOTIMPL;
        if (kind != kVariantBytes)
            return QK_E_FAIL;
    }
    if (values.GetCount() != kParameterCount)
        return QK_E_INVALIDARG;

    Array<signed char> result = BuildSendPresetHeader(preset);
    result.SetCount(kSendPresetBodySize);
    std::uint32_t offset = kSendPresetHeaderSize;
    for (std::uint32_t i = 0; i < kParameterCount; ++i)
    {
        std::uint32_t size = 0;
        const auto* data = static_cast<const std::uint8_t*>(values.GetAt(i)->GetData(size));
        if (size != GetParameterByteSize(i) || (size != 0 && !data))
            return QK_E_INVALIDARG;
        for (std::uint32_t k = 0; k < size; ++k)
        {
            // A byte with its top bit set would end or break the SysEx message.
            if (data[k] > 0x7F)
                return QK_E_INVALIDARG;
            *result.GetAt(offset++) = static_cast<signed char>(data[k]);
        }
    }
    body = std::move(result);
    return QK_OK;
}

QKRESULT CutPresetDump(const signed char* bytes, std::uint32_t count, Array<Variant>& values)
{
    values.RemoveAll();
    if (!IsDeviceReply(bytes, count) || count < kMinDumpSize)
        return QK_E_INVALIDARG;
    const auto* image = reinterpret_cast<const std::uint8_t*>(bytes) + kDumpValueOffset;
    for (std::uint32_t k = 0; k < kParameterImageSize; ++k)
        if (image[k] > 0x7F)
            return QK_E_INVALIDARG;

    Array<Variant> result;
    result.SetCount(kParameterCount);
    std::uint32_t offset = 0;
    for (std::uint32_t i = 0; i < kParameterCount; ++i)
    {
        const std::uint32_t size = GetParameterByteSize(i);
        result.GetAt(i)->SetBytes(image + offset, size);
        offset += size;
    }
    values = std::move(result);
    return QK_OK;
}

} // namespace QK::PresetSysEx
