// Byte-block values written and read as strings, for readable comparisons in the device
// model tests.
#pragma once

#include "QKFramework/Utilities/Storage/Variant.h"

#include <cstdint>
#include <string>

namespace QK::test
{

// The bytes of a value as a string, for comparisons with readable failure output.
inline std::string BytesOf(const Variant& value)
{
    std::uint32_t size = 0;
    const void* data = value.GetData(size);
    return data ? std::string(static_cast<const char*>(data), size) : std::string();
}

inline Variant Bytes(const std::string& bytes)
{
    Variant value;
    value.SetBytes(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return value;
}

} // namespace QK::test
