// DeviceControlClientInterface: the binding to the maker's device-control library.
//
// The library is loaded at run time from a file path and its fourteen entry points are
// looked up by name (DeviceControlClientApi.h). Each wrapper passes its arguments through
// unchanged and answers the entry point's result, or -1 when the library or that entry
// point is missing, so that the rest of the program runs unchanged without the library.
// Nothing here throws.
//
// Every instance holds a load of the library of its own, and a process-wide count of live
// instances (failed loads included) names the last one: only the last instance to go calls
// Tuvo_ReleaseAll before it gives its load back, so the library is released with its last
// client and not before.
//
// The wrappers take no lock; the device communication object, the only client, serialises
// what it passes. Instances are made and destroyed on the thread that owns that object.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceControlClientApi.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Platform/Core/DynamicLibrary.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>

namespace QK
{

class DeviceControlClientInterface
{
public:
    // Where the key store names the library, and the library's file name beside the
    // executable.
    static constexpr const char16_t* kDriversKey = u"Software\\Quenmar\\Audio\\Drivers";
    static constexpr const char16_t* kSoftwarePathValue = u"SoftwarePath";
    static constexpr const char16_t* kDeviceInterfaceLibValue = u"DeviceInterfaceLib";
    static constexpr const char* kLibraryFileName = "libDeviceControlClient.so";

    // Loads the library from path, or, when path is null, from kLibraryFileName in the
    // executable's folder, and looks up the entry points. A library that does not load leaves
    // the instance without one (every wrapper then answers -1); no other place is tried.
    explicit DeviceControlClientInterface(const char16_t* path);
    DeviceControlClientInterface(const DeviceControlClientInterface&) = delete;
    DeviceControlClientInterface& operator=(const DeviceControlClientInterface&) = delete;
    virtual ~DeviceControlClientInterface();

    virtual QKRESULT FindDevices(const DeviceClassGuid* filters, std::uint32_t filterCount, Variant* devices);
    virtual QKRESULT FindRemoteDevices(const DeviceClassGuid* filters, std::uint32_t filterCount, Variant* devices,
                                       std::int32_t mode, std::int32_t option1, std::int32_t option2,
                                       std::int32_t option3, std::int32_t option4, std::int32_t option5);
    virtual QKRESULT ConnectDevice(const Variant* device, DeviceControlReceiveCallback callback, void* context);
    virtual QKRESULT RequestParamRanges(const Variant* device, const ParamRanges* ranges);
    virtual QKRESULT RequestParamValues(const Variant* device, const ParamDescriptors* descriptors);
    // Requests the one parameter through Tuvo_RequestParamValues, as a one-item list.
    virtual QKRESULT RequestParamValuesByDescriptors(const Variant* device, const ParamDescriptor* descriptor);
    virtual QKRESULT GetParamRanges(const Variant* device, const ParamDescriptors* descriptors, ParamValues* ranges);
    virtual QKRESULT GetParamValues(const Variant* device, const ParamDescriptors* descriptors, ParamValues* values);
    virtual QKRESULT GetParamValue(const Variant* device, const ParamDescriptor* descriptor, Variant* value);
    virtual QKRESULT SetParamValue(const Variant* device, const ParamDescriptor* descriptor, const Variant* value);
    virtual QKRESULT SetParamValues(const Variant* device, const ParamValues* values);
    // True only when Tuvo_IsDeviceConnected answers exactly 0.
    virtual bool IsDeviceConnected(const Variant* device, std::int32_t flags, std::uint32_t timeoutMs);
    virtual QKRESULT DisconnectDevice(const Variant* device);
    virtual QKRESULT GetDeviceInfo(const Variant* device, DeviceInfoBlock* info, std::int32_t flags);

    bool IsLibraryLoaded() const noexcept { return static_cast<bool>(m_module); }

    // The library's path as the key store names it under HKEY_LOCAL_MACHINE kDriversKey:
    // SoftwarePath, "/", DeviceInterfaceLib. Empty unless both values are texts.
    static WString LocateClientLibrary();
    // Live instances in the process.
    static std::int32_t GetInstanceCount() noexcept;

private:
    template <class Fn> Fn Bind(const char* name) const
    {
        return reinterpret_cast<Fn>(FindDynamicLibrarySymbol(m_module, name));
    }

    DynamicLibrary m_module;
    Tuvo_FindDevicesFn m_findDevices = nullptr;
    Tuvo_FindRemoteDevicesFn m_findRemoteDevices = nullptr;
    Tuvo_ConnectDeviceFn m_connectDevice = nullptr;
    Tuvo_RequestParamRangesFn m_requestParamRanges = nullptr;
    Tuvo_RequestParamValuesFn m_requestParamValues = nullptr;
    Tuvo_GetParamRangesFn m_getParamRanges = nullptr;
    Tuvo_GetParamValuesFn m_getParamValues = nullptr;
    Tuvo_GetParamValueFn m_getParamValue = nullptr;
    Tuvo_SetParamValueFn m_setParamValue = nullptr;
    Tuvo_SetParamValuesFn m_setParamValues = nullptr;
    Tuvo_DisconnectDeviceFn m_disconnectDevice = nullptr;
    Tuvo_IsDeviceConnectedFn m_isDeviceConnected = nullptr;
    Tuvo_GetDeviceInfoFn m_getDeviceInfo = nullptr;
    Tuvo_ReleaseAllFn m_releaseAll = nullptr;
};

} // namespace QK
