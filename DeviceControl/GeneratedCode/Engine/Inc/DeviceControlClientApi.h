// The entry points of the maker's device-control library (libDeviceControlClient.so) as this
// program calls them: plain C functions, each answering a signed 32-bit result (below 0 a
// failure).
//
// Device ids, descriptors, values and lists cross the boundary as pointers to objects the
// caller owns; the library reads them and fills the out-arguments through the same objects.
// A device id is a Variant; lists are the list Variants of the parameter records: device
// lists hold one device id per item, values arrive as ParamValues, requests name their
// parameters as ParamDescriptors or ParamRanges.
//
// The receive callback given to Tuvo_ConnectDevice is called on the library's own thread,
// once per delivered block of values, with the context given at connection; its second
// argument carries nothing.
#pragma once

#include <cstdint>

namespace QK
{

class Variant;
class ParamValues;
class ParamDescriptors;
class ParamRanges;
struct ParamDescriptor;

// A class filter for the device searches (a GUID, 16 bytes).
struct DeviceClassGuid
{
    std::uint8_t bytes[16];
};

// The block Tuvo_GetDeviceInfo fills. Its contents belong to the library; this program reads
// one byte of it: the device is present when the byte at kDeviceInfoPresentOffset is not 0.
inline constexpr std::uint32_t kDeviceInfoSize = 256;
inline constexpr std::uint32_t kDeviceInfoPresentOffset = 252;

struct DeviceInfoBlock
{
    std::uint8_t bytes[kDeviceInfoSize];
};

extern "C" {

using DeviceControlReceiveCallback = void (*)(void* context, void* unused, const ParamValues* values);

using Tuvo_FindDevicesFn = std::int32_t (*)(const DeviceClassGuid* filters, std::uint32_t filterCount,
                                            Variant* devices);
// mode 0 searches once and answers at once; mode 1 also reports (result 1) that the search
// is complete and need not be repeated. The five options belong to the library.
using Tuvo_FindRemoteDevicesFn = std::int32_t (*)(const DeviceClassGuid* filters, std::uint32_t filterCount,
                                                  Variant* devices, std::int32_t mode, std::int32_t option1,
                                                  std::int32_t option2, std::int32_t option3,
                                                  std::int32_t option4, std::int32_t option5);
using Tuvo_ConnectDeviceFn = std::int32_t (*)(const Variant* device, DeviceControlReceiveCallback callback,
                                              void* context);
// Asks for the values of the ids in the ranges; they arrive through the receive callback.
using Tuvo_RequestParamRangesFn = std::int32_t (*)(const Variant* device, const ParamRanges* ranges);
// Asks for the values of the listed parameters; they arrive through the receive callback.
using Tuvo_RequestParamValuesFn = std::int32_t (*)(const Variant* device, const ParamDescriptors* descriptors);
// Fills out with one item per listed parameter whose value is the two-item list (minimum,
// maximum) of 32-bit integers.
using Tuvo_GetParamRangesFn = std::int32_t (*)(const Variant* device, const ParamDescriptors* descriptors,
                                               ParamValues* ranges);
// Fills out with the current values of the listed parameters.
using Tuvo_GetParamValuesFn = std::int32_t (*)(const Variant* device, const ParamDescriptors* descriptors,
                                               ParamValues* values);
using Tuvo_GetParamValueFn = std::int32_t (*)(const Variant* device, const ParamDescriptor* descriptor,
                                              Variant* value);
using Tuvo_SetParamValueFn = std::int32_t (*)(const Variant* device, const ParamDescriptor* descriptor,
                                              const Variant* value);
using Tuvo_SetParamValuesFn = std::int32_t (*)(const Variant* device, const ParamValues* values);
using Tuvo_DisconnectDeviceFn = std::int32_t (*)(const Variant* device);
// 0 when the device is connected; flags and the wait limit in milliseconds belong to the
// library.
using Tuvo_IsDeviceConnectedFn = std::int32_t (*)(const Variant* device, std::int32_t flags,
                                                  std::uint32_t timeoutMs);
using Tuvo_GetDeviceInfoFn = std::int32_t (*)(const Variant* device, DeviceInfoBlock* info, std::int32_t flags);
// Lets go of everything the library holds; called before the library is unloaded.
using Tuvo_ReleaseAllFn = std::int32_t (*)();

} // extern "C"

} // namespace QK
