// Building and reading the parameter lists the engine exchanges with the device-control
// library and the user interface: a ParamDescriptors item is the list (id, descriptor), a
// ParamValues item the list (value, id, descriptor); ids are 32-bit integers.
#pragma once

#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/ParamValues.h"

#include <cstdint>

namespace QK
{

// Replaces list by one item per descriptor, in order. 0, or the failure of building the
// list (list is then empty).
QKRESULT MakeParamDescriptors(const ParamDescriptor* descriptors, std::uint32_t count, ParamDescriptors& list);
// Replaces list by one item per value, in order. 0, or the failure of building the list.
QKRESULT MakeParamValues(const ParamValue* values, std::uint32_t count, ParamValues& list);

// Reads item index of a ParamDescriptors list. 0; -1 when there is no such item or it is
// not a list of an id and a descriptor (descriptor is then id -1 with an empty descriptor).
QKRESULT ReadParamDescriptor(const Variant& list, std::uint32_t index, ParamDescriptor& descriptor);

} // namespace QK
