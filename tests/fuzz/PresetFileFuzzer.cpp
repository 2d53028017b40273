// libFuzzer target for the preset file reader: the input is the file's bytes. A file is
// refused whole or taken whole; what is taken holds only the parameters' positions at their
// sizes, and a complete preset taken from it writes a file that reads back to the same values.
// The record reader alone must stay inside the bytes at any offset.
#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"
#include "UI/DriverCommon/PresetManager.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace
{

bool SameBytes(const QK::Variant& a, const QK::Variant& b)
{
    std::uint32_t sizeA = 0;
    std::uint32_t sizeB = 0;
    const void* dataA = a.GetData(sizeA);
    const void* dataB = b.GetData(sizeB);
    return sizeA == sizeB && (sizeA == 0 || std::memcmp(dataA, dataB, sizeA) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace QK;

    std::vector<PresetFileRecord> records;
    const std::int32_t result = LPresetManager::ParsePresetFile(data, size, records);
    FUZZ_CHECK(result <= 0 && result >= LPresetManager::kLoadOtherDevice);
    if (result != LPresetManager::kLoadOk)
    {
        FUZZ_CHECK(records.empty());
    }
    else
    {
        FUZZ_CHECK(size > LPresetManager::kHeaderSize);
        for (const PresetFileRecord& record : records)
        {
            FUZZ_CHECK(record.position < kParameterCount);
            FUZZ_CHECK(record.value.GetKind() == kVariantBytes);
            FUZZ_CHECK(record.value.GetLength() == GetParameterByteSize(record.position));
        }
    }

    bool complete = result == LPresetManager::kLoadOk && records.size() == kParameterCount;
    for (std::uint32_t i = 0; complete && i < kParameterCount; ++i)
        complete = records[i].position == i;
    if (complete)
    {
        Array<ParamValue> values;
        values.SetCount(kParameterCount);
        for (std::uint32_t i = 0; i < kParameterCount; ++i)
            values.GetAt(i)->value = records[i].value;
        std::vector<std::uint8_t> written;
        FUZZ_CHECK(LPresetManager::BuildPresetFile(values, written) == QK_OK);
        std::vector<PresetFileRecord> again;
        FUZZ_CHECK(LPresetManager::ParsePresetFile(written.data(), written.size(), again) == LPresetManager::kLoadOk);
        FUZZ_CHECK(again.size() == kParameterCount);
        for (std::uint32_t i = 0; i < kParameterCount; ++i)
            FUZZ_CHECK(again[i].position == i && SameBytes(again[i].value, records[i].value));
    }

    for (const std::size_t offset : {std::size_t{0}, std::size_t{LPresetManager::kHeaderSize}})
    {
        std::uint32_t position = 0;
        std::uint32_t reserved = 0;
        Variant value;
        const QKRESULT length = LPresetManager::ParsePresetRecord(data, size, offset, position, value, reserved);
        FUZZ_CHECK(length == QK_E_FAIL || (length >= 16 && offset + static_cast<std::size_t>(length) <= size));
    }
    return 0;
}
