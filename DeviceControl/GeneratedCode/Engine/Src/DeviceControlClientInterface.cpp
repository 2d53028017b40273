#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceControlClientInterface.h"

#include "QKFramework/Platform/Core/SpecialFolders.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/ParamLists.h"
#include "QKFramework/Utilities/Storage/RegistryKey.h"
#include "QKFramework/Utilities/Storage/VariantEx.h"

#include <atomic>
#include <string>

namespace QK
{

namespace
{
std::atomic<std::int32_t> g_instanceCount{0};

// The value called name as text; false when it is missing or not a text.
bool ReadText(const LRegistryKey& key, const char16_t* name, WString& text)
{
    VariantEx value;
    if (Failed(key.GetValue(name, value)) || value.GetKind() != kVariantText || !value.GetOwnedBuffer())
        return false;
    text = WString(value.GetOwnedBuffer());
    return true;
}
} // namespace

WString DeviceControlClientInterface::LocateClientLibrary()
{
    const ConstRCPtr<LRegistryKey> key = LRegistryKey::Create(LRegistryKey::kLocalMachine, kDriversKey);
    WString folder;
    WString file;
    if (!key || !ReadText(*key, kSoftwarePathValue, folder) || !ReadText(*key, kDeviceInterfaceLibValue, file))
        return WString();
    // The separator goes in whether or not the folder already ends with one.
    folder.AppendChar(u'/');
    folder.Append(file);
    return folder;
}

std::int32_t DeviceControlClientInterface::GetInstanceCount() noexcept
{
    return g_instanceCount.load(std::memory_order_acquire);
}

DeviceControlClientInterface::DeviceControlClientInterface(const char16_t* path)
{
    g_instanceCount.fetch_add(1, std::memory_order_acq_rel);
    std::string file;
    if (path)
        file = NString(path).GetString();
    else
        file = GetExecutableFolder() + "/" + kLibraryFileName;
    m_module = LoadDynamicLibrary(file);
    if (!m_module)
        return;
    m_findDevices = Bind<Tuvo_FindDevicesFn>("Tuvo_FindDevices");
    m_findRemoteDevices = Bind<Tuvo_FindRemoteDevicesFn>("Tuvo_FindRemoteDevices");
    m_connectDevice = Bind<Tuvo_ConnectDeviceFn>("Tuvo_ConnectDevice");
    m_requestParamRanges = Bind<Tuvo_RequestParamRangesFn>("Tuvo_RequestParamRanges");
    m_requestParamValues = Bind<Tuvo_RequestParamValuesFn>("Tuvo_RequestParamValues");
    m_getParamRanges = Bind<Tuvo_GetParamRangesFn>("Tuvo_GetParamRanges");
    m_getParamValues = Bind<Tuvo_GetParamValuesFn>("Tuvo_GetParamValues");
    m_getParamValue = Bind<Tuvo_GetParamValueFn>("Tuvo_GetParamValue");
    m_setParamValue = Bind<Tuvo_SetParamValueFn>("Tuvo_SetParamValue");
    m_setParamValues = Bind<Tuvo_SetParamValuesFn>("Tuvo_SetParamValues");
    m_disconnectDevice = Bind<Tuvo_DisconnectDeviceFn>("Tuvo_DisconnectDevice");
    m_isDeviceConnected = Bind<Tuvo_IsDeviceConnectedFn>("Tuvo_IsDeviceConnected");
    m_getDeviceInfo = Bind<Tuvo_GetDeviceInfoFn>("Tuvo_GetDeviceInfo");
    m_releaseAll = Bind<Tuvo_ReleaseAllFn>("Tuvo_ReleaseAll");
}

DeviceControlClientInterface::~DeviceControlClientInterface()
{
    const bool last = g_instanceCount.fetch_sub(1, std::memory_order_acq_rel) == 1;
    if (m_module && last && m_releaseAll)
        m_releaseAll();
    // Every instance gives back the load it took; the library leaves the process with the
    // last one.
    m_module.Reset();
}

QKRESULT DeviceControlClientInterface::FindDevices(const DeviceClassGuid* filters, std::uint32_t filterCount,
                                                   Variant* devices)
{
    return m_findDevices ? m_findDevices(filters, filterCount, devices) : -1;
}

QKRESULT DeviceControlClientInterface::FindRemoteDevices(const DeviceClassGuid* filters, std::uint32_t filterCount,
                                                         Variant* devices, std::int32_t mode, std::int32_t option1,
                                                         std::int32_t option2, std::int32_t option3,
                                                         std::int32_t option4, std::int32_t option5)
{
    return m_findRemoteDevices
               ? m_findRemoteDevices(filters, filterCount, devices, mode, option1, option2, option3, option4, option5)
               : -1;
}

QKRESULT DeviceControlClientInterface::ConnectDevice(const Variant* device, DeviceControlReceiveCallback callback,
                                                     void* context)
{
    return m_connectDevice ? m_connectDevice(device, callback, context) : -1;
}

QKRESULT DeviceControlClientInterface::RequestParamRanges(const Variant* device, const ParamRanges* ranges)
{
    return m_requestParamRanges ? m_requestParamRanges(device, ranges) : -1;
}

QKRESULT DeviceControlClientInterface::RequestParamValues(const Variant* device, const ParamDescriptors* descriptors)
{
    return m_requestParamValues ? m_requestParamValues(device, descriptors) : -1;
}

QKRESULT DeviceControlClientInterface::RequestParamValuesByDescriptors(const Variant* device,
                                                                       const ParamDescriptor* descriptor)
{
    if (!m_requestParamValues)
        return -1;
    ParamDescriptors list;
    if (descriptor)
        MakeParamDescriptors(descriptor, 1, list);
    return m_requestParamValues(device, &list);
}

QKRESULT DeviceControlClientInterface::GetParamRanges(const Variant* device, const ParamDescriptors* descriptors,
                                                      ParamValues* ranges)
{
    return m_getParamRanges ? m_getParamRanges(device, descriptors, ranges) : -1;
}

QKRESULT DeviceControlClientInterface::GetParamValues(const Variant* device, const ParamDescriptors* descriptors,
                                                      ParamValues* values)
{
    return m_getParamValues ? m_getParamValues(device, descriptors, values) : -1;
}

QKRESULT DeviceControlClientInterface::GetParamValue(const Variant* device, const ParamDescriptor* descriptor,
                                                     Variant* value)
{
    return m_getParamValue ? m_getParamValue(device, descriptor, value) : -1;
}

QKRESULT DeviceControlClientInterface::SetParamValue(const Variant* device, const ParamDescriptor* descriptor,
                                                     const Variant* value)
{
    return m_setParamValue ? m_setParamValue(device, descriptor, value) : -1;
}

QKRESULT DeviceControlClientInterface::SetParamValues(const Variant* device, const ParamValues* values)
{
    return m_setParamValues ? m_setParamValues(device, values) : -1;
}

bool DeviceControlClientInterface::IsDeviceConnected(const Variant* device, std::int32_t flags,
                                                     std::uint32_t timeoutMs)
{
    return m_isDeviceConnected && m_isDeviceConnected(device, flags, timeoutMs) == 0;
}

QKRESULT DeviceControlClientInterface::DisconnectDevice(const Variant* device)
{
    return m_disconnectDevice ? m_disconnectDevice(device) : -1;
}

QKRESULT DeviceControlClientInterface::GetDeviceInfo(const Variant* device, DeviceInfoBlock* info,
                                                     std::int32_t flags)
{
    return m_getDeviceInfo ? m_getDeviceInfo(device, info, flags) : -1;
}

} // namespace QK
