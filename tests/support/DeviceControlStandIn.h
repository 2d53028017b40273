// The stand-in device-control library from the tests' side: where it was built, whether it
// is loaded, its test controls, and key stores that name it.
//
// The controls are looked up in the library while something else (the binding) has it
// loaded; they stay usable only as long as that load lasts.
#pragma once

#include "tests/support/DeviceControlClient/StandInControls.h"
#include "tests/support/ScopedKeyStoreNames.h"
#include "tests/support/TempFolder.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace QK::TestSupport
{

// The stand-in (libDeviceControlClient.so in a folder of its own) and the copy of it that
// lacks Tuvo_SetParamValue, Tuvo_GetDeviceInfo and Tuvo_FindRemoteDevices.
std::string DeviceControlStandInPath();
std::string PartialDeviceControlStandInPath();

// Whether the library at path is mapped in this process now.
bool IsLibraryLoaded(const std::string& path);

class DeviceControlStandIn
{
public:
    // The controls of the stand-in at path, when it is loaded.
    explicit DeviceControlStandIn(const std::string& path = DeviceControlStandInPath());

    bool IsLoaded() const noexcept { return m_changeParamValue != nullptr; }

    std::int32_t ChangeParamValue(std::int32_t id, const std::vector<std::uint8_t>& bytes) const;
    void SetPresent(bool present) const;
    // Makes Tuvo_IsDeviceConnected answer result; an empty result lets it tell the truth.
    void SetConnectedAnswer(std::optional<std::int32_t> result) const;
    // Makes connecting fail with result; an empty result lets it connect.
    void SetConnectFailure(std::optional<std::int32_t> result) const;
    void SetRemoteDeviceCount(std::uint32_t count) const;
    std::uint32_t GetCallCount(const char* entryPoint) const;
    void WaitUntilDelivered() const;
    void SetReleaseObserver(void (*observer)(void*), void* context) const;

private:
    StandIn_ChangeParamValueFn m_changeParamValue = nullptr;
    StandIn_SetPresentFn m_setPresent = nullptr;
    StandIn_SetConnectedAnswerFn m_setConnectedAnswer = nullptr;
    StandIn_SetConnectFailureFn m_setConnectFailure = nullptr;
    StandIn_SetRemoteDeviceCountFn m_setRemoteDeviceCount = nullptr;
    StandIn_GetCallCountFn m_getCallCount = nullptr;
    StandIn_WaitUntilDeliveredFn m_waitUntilDelivered = nullptr;
    StandIn_SetReleaseObserverFn m_setReleaseObserver = nullptr;
};

// A key store in a temporary folder, named by VEDIDU_REGISTRY_DIR (the editor's key-store
// variable, handed to the key store as the editor does) while the object lives, whose
// HKEY_LOCAL_MACHINE key Software\Quenmar\Audio\Drivers holds the given values (an empty
// optional leaves the value out).
class DriversKeyStore
{
public:
    static constexpr const char* kFolderVariable = "VEDIDU_REGISTRY_DIR";

    DriversKeyStore(std::optional<std::string> softwarePath, std::optional<std::string> deviceInterfaceLib);
    // Names the library at path: its folder and its file name.
    static DriversKeyStore ForLibrary(const std::string& path);
    DriversKeyStore(DriversKeyStore&&) = delete;
    ~DriversKeyStore();

private:
    ScopedKeyStoreNames m_names{KeyStoreNames{{}, kFolderVariable}};
    TempFolder m_folder;
    std::optional<std::string> m_previous;
};

} // namespace QK::TestSupport
