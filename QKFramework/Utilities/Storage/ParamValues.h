// The parameter records and lists of the device model.
//
// A parameter is named by a signed 32-bit id and described by a ParamDescriptor: the id and
// an additional descriptor value, empty in every descriptor the model builds. A ParamValue
// adds the value, and is passed wherever a ParamDescriptor is expected.
//
// Batches travel as the three lists, each a list Variant whose block is a run of value
// records; each item is itself a list, with every id and count a 32-bit signed value:
//     ParamValues       (value, id, descriptor)
//     ParamDescriptors  (id, descriptor)
//     ParamRanges       (first id, count)
// The classes exist so that the three lists cannot be mistaken for one another; every
// Variant operation works on them unchanged, and a list's item count is GetListCount.
#pragma once

#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/Variant.h"

#include <cstdint>

namespace QK
{

// The id of no parameter: of a default record, and of an item that was not read.
inline constexpr std::int32_t kNoParamID = -1;

struct ParamDescriptor
{
    ParamDescriptor() = default;
    explicit ParamDescriptor(std::int32_t paramID) : id(paramID) {}

    std::int32_t id = kNoParamID;
    Variant descriptor;
};

struct ParamValue : ParamDescriptor
{
    Variant value;
};

// A run of count ids from first on.
struct ParamRange
{
    std::int32_t first;
    std::int32_t count;
};

class ParamValues : public Variant
{
public:
    // An empty list.
    ParamValues();
    ParamValues(const ParamValues&) = default;
    ParamValues& operator=(const ParamValues&) = default;
    ~ParamValues() override = default;

    // Replaces the content with one item: value, descriptor's id and descriptor's
    // descriptor. 0, or the list's failure (the content is then as SetList leaves it).
    QKRESULT SetSingle(const ParamDescriptor& descriptor, const Variant& value);
    // Reads item index. The value is emptied and the id set to -1 first. -4 when the
    // content is not a list of at least 5 bytes or has no item index; -7 when the item is
    // not a list of three entries (value and id stay so); else 0.
    QKRESULT GetAt(std::uint32_t index, Variant& value, std::int32_t& id, Variant& descriptor) const;
};

class ParamDescriptors : public Variant
{
public:
    ParamDescriptors() = default;
    // One item (id, empty descriptor) per id of the range, from its first id upward; none
    // for a count of 0 or below.
    explicit ParamDescriptors(const ParamRange& range);
    ParamDescriptors(const ParamDescriptors&) = default;
    ParamDescriptors& operator=(const ParamDescriptors&) = default;
    ~ParamDescriptors() override = default;
};

class ParamRanges : public Variant
{
public:
    ParamRanges() = default;
    ParamRanges(const ParamRanges&) = default;
    ParamRanges& operator=(const ParamRanges&) = default;
    ~ParamRanges() override = default;

    // Replaces the content with one item per range, in order. -4 (content unchanged) for
    // null ranges or a count of 0; else 0, or the list's failure.
    QKRESULT SetRanges(const ParamRange* ranges, std::uint32_t count);
};

} // namespace QK
