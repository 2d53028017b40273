// The parameter lists of the device model: values, descriptors and ranges. Each is a list
// Variant whose block is a run of value records, with every Variant operation unchanged;
// the classes exist so that the three lists cannot be mistaken for one another.
#pragma once

#include "QKFramework/Utilities/Storage/Variant.h"

namespace QK
{

class ParamValues : public Variant
{
public:
    ParamValues() = default;
    ParamValues(const ParamValues&) = default;
    ParamValues& operator=(const ParamValues&) = default;
    ~ParamValues() override = default;
};

class ParamDescriptors : public Variant
{
public:
    ParamDescriptors() = default;
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
};

} // namespace QK
