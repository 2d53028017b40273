#include "tests/support/DeviceControlStandIn.h"

#include <dlfcn.h>

#include <cstdlib>

namespace QK::TestSupport
{

std::string DeviceControlStandInPath()
{
    return VEDIDU_DEVICE_CONTROL_STANDIN;
}

std::string PartialDeviceControlStandInPath()
{
    return VEDIDU_DEVICE_CONTROL_PARTIAL;
}

bool IsLibraryLoaded(const std::string& path)
{
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return false;
    ::dlclose(handle);
    return true;
}

DeviceControlStandIn::DeviceControlStandIn(const std::string& path)
{
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return;
    m_setPresent = reinterpret_cast<StandIn_SetPresentFn>(::dlsym(handle, "StandIn_SetPresent"));
    m_setConnectedAnswer = reinterpret_cast<StandIn_SetConnectedAnswerFn>(::dlsym(handle, "StandIn_SetConnectedAnswer"));
    m_setConnectFailure = reinterpret_cast<StandIn_SetConnectFailureFn>(::dlsym(handle, "StandIn_SetConnectFailure"));
    m_setRemoteDeviceCount =
        reinterpret_cast<StandIn_SetRemoteDeviceCountFn>(::dlsym(handle, "StandIn_SetRemoteDeviceCount"));
    m_getCallCount = reinterpret_cast<StandIn_GetCallCountFn>(::dlsym(handle, "StandIn_GetCallCount"));
    m_waitUntilDelivered = reinterpret_cast<StandIn_WaitUntilDeliveredFn>(::dlsym(handle, "StandIn_WaitUntilDelivered"));
    m_setReleaseObserver = reinterpret_cast<StandIn_SetReleaseObserverFn>(::dlsym(handle, "StandIn_SetReleaseObserver"));
    m_changeParamValue = reinterpret_cast<StandIn_ChangeParamValueFn>(::dlsym(handle, "StandIn_ChangeParamValue"));
    // The binding's own load keeps the library mapped.
    ::dlclose(handle);
}

std::int32_t DeviceControlStandIn::ChangeParamValue(std::int32_t id, const std::vector<std::uint8_t>& bytes) const
{
    return m_changeParamValue ? m_changeParamValue(id, bytes.data(), static_cast<std::uint32_t>(bytes.size())) : -1;
}

void DeviceControlStandIn::SetPresent(bool present) const
{
    if (m_setPresent)
        m_setPresent(present ? 1 : 0);
}

void DeviceControlStandIn::SetConnectedAnswer(std::optional<std::int32_t> result) const
{
    if (m_setConnectedAnswer)
        m_setConnectedAnswer(result ? 1 : 0, result.value_or(0));
}

void DeviceControlStandIn::SetConnectFailure(std::optional<std::int32_t> result) const
{
    if (m_setConnectFailure)
        m_setConnectFailure(result ? 1 : 0, result.value_or(0));
}

void DeviceControlStandIn::SetRemoteDeviceCount(std::uint32_t count) const
{
    if (m_setRemoteDeviceCount)
        m_setRemoteDeviceCount(count);
}

std::uint32_t DeviceControlStandIn::GetCallCount(const char* entryPoint) const
{
    return m_getCallCount ? m_getCallCount(entryPoint) : 0;
}

void DeviceControlStandIn::WaitUntilDelivered() const
{
    if (m_waitUntilDelivered)
        m_waitUntilDelivered();
}

void DeviceControlStandIn::SetReleaseObserver(void (*observer)(void*), void* context) const
{
    if (m_setReleaseObserver)
        m_setReleaseObserver(observer, context);
}

DriversKeyStore::DriversKeyStore(std::optional<std::string> softwarePath, std::optional<std::string> deviceInterfaceLib)
{
    std::string text = "[HKEY_LOCAL_MACHINE\\Software\\Quenmar\\Audio\\Drivers]\n";
    if (softwarePath)
        text += "\"SoftwarePath\"=string:" + *softwarePath + "\n";
    if (deviceInterfaceLib)
        text += "\"DeviceInterfaceLib\"=string:" + *deviceInterfaceLib + "\n";
    m_folder.WriteFile("registry.ini", text);
    if (const char* previous = std::getenv(kFolderVariable))
        m_previous = previous;
    ::setenv(kFolderVariable, m_folder.Path().c_str(), 1);
}

DriversKeyStore DriversKeyStore::ForLibrary(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return DriversKeyStore(path.substr(0, slash), path.substr(slash + 1));
}

DriversKeyStore::~DriversKeyStore()
{
    if (m_previous)
        ::setenv(kFolderVariable, m_previous->c_str(), 1);
    else
        ::unsetenv(kFolderVariable);
}

} // namespace QK::TestSupport
