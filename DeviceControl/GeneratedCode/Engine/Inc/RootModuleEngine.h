// LRootModuleEngine: the device model's engine. It makes and wires the parameter cache, the
// root module with its modules and the device communication object; it is where the rest
// of the program reads and sets parameter values and publishes them to the user interface;
// and it owns the device connection state.
//
// Notifications, all posted to the default notification centre's queue, so that their
// receivers run on the UI thread at idle time whatever thread posts them:
//  - "NID_PARAM_MODULE_STATE_CHANGE": an LParamValuePair for one parameter (one notification
//    each for one or two), or an LWrapper<ParamValues> for three or more that change
//    together.
//  - "NID_DEVICE_CONNECTION_STATE_CHANGE": an LHolder<DeviceConnectionState>, once per change.
//  - "NID_REMOTE_DEVICE_LIST_CHANGE": an LHolder<int> with the number of remote devices.
// It receives "NID_PARAM_MODULE_CHANGE_REQ" (an LParamValuePair) on the UI thread and sets
// that value.
//
// A worker of its own thread reconnects a known device and watches the remote-device list;
// it runs only while a device is chosen or remote devices are enabled.
//
// Threads: operations come from the UI thread; the worker and the communication object's
// delivery thread (through the root module's callback) call in too. The engine lock guards
// the connection state, the devices and the remote list.
//
// Contents: LParamValuePair; LRootModuleEngine.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceCommunicationBase.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/ParamCache.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/RootModule.h"
#include "QKFramework/Notification/NotificationClient.h"
#include "QKFramework/Notification/NotificationHandler.h"
#include "QKFramework/ObjectBase/Wrapper.h"
#include "QKFramework/Threads/Event.h"
#include "QKFramework/Threads/LThreadWorker.h"
#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Threads/RetriggerableThreader.h"
#include "QKFramework/Utilities/Storage/Array.h"
#include "QKFramework/Utilities/Storage/VariantEx.h"

#include <atomic>
#include <cstdint>

namespace QK
{

// The notifications of the header comment, by name.
inline constexpr const char16_t* kNidParamModuleStateChange = u"NID_PARAM_MODULE_STATE_CHANGE";
inline constexpr const char16_t* kNidDeviceConnectionStateChange = u"NID_DEVICE_CONNECTION_STATE_CHANGE";
inline constexpr const char16_t* kNidRemoteDeviceListChange = u"NID_REMOTE_DEVICE_LIST_CHANGE";
inline constexpr const char16_t* kNidParamModuleChangeReq = u"NID_PARAM_MODULE_CHANGE_REQ";

// The text form of a parameter and its value: "<id>: <value>".
struct ParamValuePairToString
{
    WString operator()(const Pair<ParamDescriptor, Variant>& pair) const;
};

// One parameter with its value, as a notification argument.
using LParamValuePair = LPair<ParamDescriptor, Variant, ParamValuePairToString>;

class LRootModuleEngine : public LNotificationClient, public LThreadWorker
{
public:
    enum DeviceConnectionState : std::int32_t
    {
        // No usable connection.
        kNotConnected = 0,
        // A device chosen with force is present although connecting to it failed.
        kForcedConnection = 1,
        // Not connected, but the present device was connected before and will be again.
        kReconnecting = 2,
        kConnected = 3,
    };

    static constexpr std::uint32_t kParamCount = 79;
    static constexpr std::uint32_t kDefaultRequestIntervalMs = 67;

    // Dispatches through the handler table once Initialize has run.
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

    // Makes and wires the parts; context is the root module's first parameter id. Publishes
    // all values and answers 0. Opens no library, connects to nothing, starts no worker.
    // Throws a failed-result exception when the change-request handler cannot be registered.
    virtual QKRESULT Initialize(std::int32_t context);
    virtual void OnShutdown();
    virtual bool IsReady();
    // 0x80004005 unless connected; else the root module's SetModuleParamValue, after whose
    // failure the connection state is brought up to date.
    virtual QKRESULT SetParamValue(const ParamDescriptor& descriptor, const Variant& value);
    virtual QKRESULT GetParamValue(const ParamDescriptor& descriptor, Variant& value);
    // Posts the current values of the listed parameters (those not excluded). 0.
    virtual QKRESULT PublishParamValues(const ParamDescriptors& descriptors);
    // Writes the values of ids first to first + count - 1 into values from position on (a
    // negative position empties values first and starts at 0), growing it as needed. 0.
    virtual QKRESULT FillParamValues(std::int32_t first, std::uint32_t count, Array<ParamValue>& values,
                                     std::int32_t position);
    // Adds the parameter to the pending requests and, while connected and no more often than
    // the request interval, sends all pending requests. 1 queued; 0 sent; a negative send
    // result.
    virtual QKRESULT RequestParamValue(const ParamDescriptor& descriptor);
    virtual void SetRequestInterval(std::uint32_t intervalMs);
    virtual std::uint32_t GetRequestInterval();
    virtual QKRESULT FindDevices(Array<Variant>& devices);
    // The remote devices: the list the worker keeps while remote devices are enabled, else
    // one search now.
    virtual QKRESULT FindRemoteDevices(Array<Variant>& devices);
    // Connects the device through the root module; with force, a present device that does
    // not connect is kept as chosen (state 1). The connect result.
    virtual QKRESULT ConnectToDevice(const Variant& device, bool force);
    virtual QKRESULT DisconnectDevice();
    virtual void GetCurrentDevice(Variant& device);
    virtual DeviceConnectionState GetDeviceConnectionState();
    virtual QKRESULT GetDeviceInfo(const Variant& device, DeviceInfoBlock& info);
    virtual QKRESULT EnableRemoteDevices(bool enable);
    virtual void EnableDevicePresenceCheck(bool enable);
    virtual bool IsParamReserved(std::int32_t id);
    virtual bool IsParamExcluded(std::int32_t id);
    virtual QKRESULT PublishAllParamValues();
    virtual RCPtr<LParamCache> CreateParamCache();
    virtual RCPtr<LRootModule> CreateRootModule(bool flag);
    virtual RCPtr<LDeviceCommunicationBase> CreateDeviceCommunication();
    virtual void NotifyParamModuleStateChange(const Array<ParamValue>& values);
    // Whether the library reports the device present (byte 252 of its information block).
    virtual bool IsDevicePresent(const Variant& device);
    virtual bool IsCurrentDevicePresent();
    virtual void UpdateDeviceConnectionState();
    // 1 running already; 0 started; 0x80004005 when a stopping worker would not end.
    virtual QKRESULT StartWorker();
    virtual void RequestWorkerStop();
    // Asks the worker to stop and waits up to about 10 seconds; true when it has ended.
    virtual bool StopWorkerAndWait();

    // The worker: reconnects the chosen device and watches the remote list until told to
    // stop. Runs on the worker's thread.
    std::uint32_t Run(const ConstRCPtr<LRefCountedObject>& params) override;

    // Stops the worker and the delivery of received values, shuts down and leaves every
    // distributor.
    QKRESULT ReleaseInternalReferences() override;

    std::int32_t GetFirstParamID() const;
    RCPtr<LRootModule> GetRootModule() const;
    RCPtr<LDeviceCommunicationBase> GetDeviceCommunication() const;
    RCPtr<LParamCache> GetParamCache() const;
    bool IsWorkerRunning();

    ~LRootModuleEngine() override;

protected:
    LRootModuleEngine();

    // The millisecond clock of the request throttle: monotonic, wrapping at 2^32.
    virtual std::uint32_t GetTimeMs() const;
    // Sets the state, announcing a change. Takes the engine lock.
    void SetDeviceConnectionState(DeviceConnectionState state);

private:
    struct Parts
    {
        LRootModuleEngine* engine = nullptr;
        RCPtr<LDeviceCommunicationBase> communication;
        RCPtr<LParamCache> cache;
        RCPtr<LRootModule> rootModule;
    };

    static QKRESULT OnRootModuleChange(void* context, const Array<ParamValue>& changes, std::int32_t reason);
    QKRESULT OnParamModuleChangeRequest(const ConstRCPtr<LNotificationDistributor>& source,
                                        const ConstRCPtr<LNotification>& notification);
    // Under the engine lock: a state change, posted while the lock is held.
    void ChangeStateLocked(DeviceConnectionState state);
    void PostRemoteDeviceCount(std::int32_t count);
    void StopDelivery();
    // The index of descriptor in the pending requests, or -(insertion index) - 1.
    std::int32_t FindPendingRequest(const ParamDescriptor& descriptor) const;
    // Sleeps for the worker's pause, waking early when a stop is requested.
    void WorkerPause();
    void RunWorkerPass();

    RCPtr<LNotificationHandler<LRootModuleEngine>> m_handlers;
    std::atomic<bool> m_initialized{false};
    bool m_rootFlag = false;
    std::atomic<bool> m_stopRequest{true};
    bool m_forcedConnection = false;
    std::atomic<bool> m_presenceCheck{false};
    std::atomic<bool> m_remoteDevicesEnabled{false};
    bool m_remoteProbeDone = false;
    std::atomic<bool> m_connectInProgress{false};
    QKRESULT m_remoteProbeResult = 0;
    DeviceConnectionState m_state = kNotConnected;
    Array<Variant> m_remoteDevices;
    Variant m_currentDevice;
    RetriggerableThreader m_worker;
    // Wakes the worker from its pause when a stop is requested.
    Event m_workerWake{false};
    Variant m_savedDevice;
    mutable Mutex m_lock;
    Array<ParamDescriptor> m_pendingRequests;
    std::uint32_t m_requestIntervalMs = kDefaultRequestIntervalMs;
    std::uint32_t m_lastRequestTimeMs = 0;
    Parts m_parts;
    // Worker-only: whether the remote search may be done once, and waiting searches since.
    bool m_remoteOneShot = false;
    std::uint32_t m_waitingSearches = 0;
};

} // namespace QK
