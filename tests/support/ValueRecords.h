// Helpers for tests of values and value records: values made from raw bytes and texts, the
// bytes a value holds, and records written field by field.
#pragma once

#include "QKFramework/Utilities/Storage/Variant.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace QK::TestSupport
{

using Bytes = std::vector<std::uint8_t>;

// A value of kind holding data; the kind must be accepted.
template <class Value = Variant> Value Make(std::uint32_t kind, const Bytes& data)
{
    Value value;
    EXPECT_EQ(value.SetData(kind, data.data(), static_cast<std::uint32_t>(data.size())), kind);
    return value;
}

template <class Value = Variant> Value MakeText(const char* text)
{
    Value value;
    value.SetString(text);
    return value;
}

inline Bytes DataOf(const Variant& value)
{
    std::uint32_t size = 0;
    const auto* data = static_cast<const std::uint8_t*>(value.GetData(size));
    return data ? Bytes(data, data + size) : Bytes();
}

// A record with the given little-endian header fields, then data.
inline Bytes Record(std::uint32_t size, std::uint32_t codeSpace, std::uint32_t kind, const Bytes& data = {})
{
    Bytes record;
    record.reserve(12 + data.size());
    for (std::uint32_t field : {size, codeSpace, kind})
        for (int i = 0; i < 4; ++i)
            record.push_back(static_cast<std::uint8_t>(field >> (8 * i)));
    record.insert(record.end(), data.begin(), data.end());
    return record;
}

} // namespace QK::TestSupport
