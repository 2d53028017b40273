// libFuzzer target for the preset file reader: the input is the file's bytes. A file is
// refused whole or taken whole; what is taken holds only the parameters' positions at their
// sizes, in bytes SysEx can carry, and a complete preset taken from it writes a file that
// reads back to the same values. A value check (standing in for the editors on screen) that
// refuses one value refuses the whole file and changes no other answer. The record reader
// alone must stay inside the bytes at any offset.
#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"
#include "UI/DriverCommon/PresetManager.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/SameValue.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace
{

// A range for each position, as an editor has one: the first byte at most a limit that
// differs from parameter to parameter.
bool InRange(std::uint32_t position, const QK::Variant& value)
{
    std::uint32_t size = 0;
    const auto* bytes = static_cast<const std::uint8_t*>(value.GetData(size));
    return size == 0 || bytes[0] <= (position * 37 + 11) % 128;
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
            std::uint32_t length = 0;
            const auto* bytes = static_cast<const std::uint8_t*>(record.value.GetData(length));
            for (std::uint32_t i = 0; i < length; ++i)
                FUZZ_CHECK(bytes[i] < 0x80);
        }
    }

    std::vector<PresetFileRecord> checked;
    const std::int32_t checkedResult = LPresetManager::ParsePresetFile(data, size, checked, InRange);
    if (checkedResult == LPresetManager::kLoadOk)
    {
        FUZZ_CHECK(result == LPresetManager::kLoadOk && checked.size() == records.size());
        for (std::size_t i = 0; i < checked.size(); ++i)
            FUZZ_CHECK(InRange(checked[i].position, checked[i].value) && VediduFuzz::SameValue(checked[i].value, records[i].value));
    }
    else
    {
        FUZZ_CHECK(checked.empty());
        bool allInRange = true;
        for (const PresetFileRecord& record : records)
            allInRange = allInRange && InRange(record.position, record.value);
        FUZZ_CHECK(result == LPresetManager::kLoadOk ? !allInRange && checkedResult == LPresetManager::kLoadCorruptFile
                                                     : checkedResult == result);
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
            FUZZ_CHECK(again[i].position == i && VediduFuzz::SameValue(again[i].value, records[i].value));
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
