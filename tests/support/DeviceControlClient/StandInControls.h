// The test controls that the stand-in device-control library exports beside its Tuvo_*
// entry points. Tests reach them through DeviceControlStandIn.h while the library is loaded.
#pragma once

#include <cstdint>

extern "C" {

// A change made on the device itself (a knob turned): the value is stored and pushed to the
// connected client from the library's thread. 0, or -1 for an id the device does not have.
using StandIn_ChangeParamValueFn = std::int32_t (*)(std::int32_t id, const std::uint8_t* bytes,
                                                   std::uint32_t count);
// Whether the device is plugged in (it is at load).
using StandIn_SetPresentFn = void (*)(std::int32_t present);
// Makes Tuvo_IsDeviceConnected answer result while active is not 0; else it tells the truth.
using StandIn_SetConnectedAnswerFn = void (*)(std::int32_t active, std::int32_t result);
// Makes Tuvo_ConnectDevice fail with result while active is not 0.
using StandIn_SetConnectFailureFn = void (*)(std::int32_t active, std::int32_t result);
// How many remote devices the searches find (0 at load).
using StandIn_SetRemoteDeviceCountFn = void (*)(std::uint32_t count);
// How often the named entry point was called since the library was loaded or released.
using StandIn_GetCallCountFn = std::uint32_t (*)(const char* entryPoint);
// Waits until every push made so far has been handed to the client.
using StandIn_WaitUntilDeliveredFn = void (*)();
// Called (with context) by Tuvo_ReleaseAll, on the releasing thread.
using StandIn_SetReleaseObserverFn = void (*)(void (*observer)(void* context), void* context);

} // extern "C"
