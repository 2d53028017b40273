// The device communication object: the program's one gateway to the device-control library.
//
// LDeviceCommunicationBase remembers which device is connected and forwards every request to
// the library binding with that device; while no binding exists (OpenClientLibrary has not
// run) it answers a few special parameter ids itself and every other request with -1 or
// 0x80004005. DeviceCommunicationReceiver is what the values the library pushes are handed
// to (the root module).
//
// Special parameter ids: -2 interface availability, -4 receiver status, -8 the device-level
// value, -9 the maker's name, -10 the product's title.
//
// Threads: operations come from the UI thread and the engine's worker. The client lock
// guards the device id and the binding pointer and is held only while they are copied,
// never during a library call (NotifyReceiverStatus delivers while holding it).
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceControlClientInterface.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Utilities/Storage/Array.h"
#include "QKFramework/Utilities/Storage/ParamValues.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace QK
{

class DeviceCommunicationReceiver
{
public:
    // A block of values from the device, called on the communication object's delivery
    // thread (or, for a receiver status, on the thread that asked for it).
    virtual void DeliverParamValues(const ParamValues& values) = 0;
    // Reserved; the communication object never calls it.
    virtual QKRESULT ReceiveDeviceEvent(std::intptr_t a, std::intptr_t b, std::intptr_t c) = 0;

protected:
    ~DeviceCommunicationReceiver() = default;
};

class LDeviceCommunicationBase : public virtual LRefCountedObject
{
public:
    static constexpr std::int32_t kAvailabilityParamID = -2;
    static constexpr std::int32_t kReceiverStatusParamID = -4;
    static constexpr std::int32_t kDeviceLevelParamID = -8;
    static constexpr std::int32_t kMakerNameParamID = -9;
    static constexpr std::int32_t kProductTitleParamID = -10;

    using GuidFilter = Array<DeviceClassGuid>;
    using DeviceList = Array<Variant>;

    virtual std::int32_t GetInterfaceVersion() = 0;
    // The receiver is not owned; it must stay until it is replaced or delivery is off.
    virtual void SetReceiver(DeviceCommunicationReceiver* receiver);
    virtual DeviceCommunicationReceiver* GetReceiver();
    // 0x80004005 here: only the concrete class loads the library.
    virtual QKRESULT OpenClientLibrary();
    virtual bool IsInterfaceAvailable();
    // Hands the receiver, on this thread, one item of id -4 whose value is the list (value
    // as a 64-bit integer, availability). The availability; false without receiver.
    virtual bool NotifyReceiverStatus(std::int64_t value);
    // Waits until no operation holds the client lock.
    virtual void WaitForClientLock();
    virtual void EnableDelivery(bool enable);
    virtual void NotifyReceiverReady();
    // The devices found. 0; 0x80004005 when the library fails; -1 without binding.
    virtual QKRESULT FindDevices(const GuidFilter& filter, DeviceList& devices);
    // Searches until the remote-device list differs from devices as given, every 250 ms
    // for up to limitMs (0: one search). 0 changed (devices holds the new list), 1 not
    // changed, 0x80004005 when the library fails, -1 without binding.
    virtual QKRESULT FindRemoteDevices(const GuidFilter& filter, DeviceList& devices, std::uint32_t limitMs,
                                       std::int32_t option1, std::int32_t option2, std::int32_t option3,
                                       std::int32_t option4, std::int32_t option5);
    // One search that also tells (result 1) whether it need not be repeated; the library's
    // result.
    virtual QKRESULT FindRemoteDevicesOnce(const GuidFilter& filter, DeviceList& devices);
    // -1 here: only the concrete class connects.
    virtual QKRESULT ConnectDevice(const Variant& device);
    virtual QKRESULT RequestParamRanges(const ParamRanges& ranges);
    virtual QKRESULT RequestParamValues(const ParamDescriptors& descriptors);
    virtual QKRESULT RequestParamValuesByDescriptors(const ParamDescriptor& descriptor);
    virtual QKRESULT GetParamRanges(const ParamDescriptors& descriptors, ParamValues& ranges);
    virtual QKRESULT GetParamValues(const ParamDescriptors& descriptors, ParamValues& values);
    // Without binding answers -2, -8, -9 and -10 itself and fails (0x80004005) for other ids.
    virtual QKRESULT GetParamValue(const ParamDescriptor& descriptor, Variant& value);
    // Id -4 goes to NotifyReceiverStatus (0 when available, else 1). Without binding only
    // id -8 is taken (SetSpecialParamValue; on success the receiver gets the value too);
    // other ids fail (0x80004005).
    virtual QKRESULT SetParamValue(const ParamDescriptor& descriptor, const Variant& value);
    virtual QKRESULT SetParamValues(const ParamValues& values);
    virtual bool IsDeviceConnected(std::int32_t flags, std::uint32_t timeoutMs);
    // 0 connected, -3 not connected, -1 without binding (device then left as it was);
    // device receives the connected device's id.
    virtual QKRESULT CheckDeviceConnected(Variant& device);
    virtual QKRESULT DisconnectDevice();
    // The information block of the given device (not the connected one).
    virtual QKRESULT GetDeviceInfo(const Variant& device, DeviceInfoBlock& info);
    virtual QKRESULT GetSpecialParamValue(Variant& value);
    virtual QKRESULT SetSpecialParamValue(const Variant& value);
    virtual QKRESULT GetModelIndex(std::int32_t& index);

    // Whether OpenClientLibrary has made the binding.
    bool HasClient() const;

protected:
    LDeviceCommunicationBase();
    // Disconnects and deletes a binding that is still there.
    ~LDeviceCommunicationBase() override;

    // The binding and a copy of the device id, taken together under the client lock; the
    // binding is null when there is none.
    DeviceControlClientInterface* GetClientAndDevice(Variant& device) const;
    // Disconnects the device and deletes the binding.
    void DeleteClient();
    bool IsDeliveryEnabled() const noexcept { return m_deliveryEnabled.load(std::memory_order_acquire); }

    mutable Mutex m_clientLock;
    std::unique_ptr<DeviceControlClientInterface> m_client;
    Variant m_device;

private:
    std::atomic<bool> m_deliveryEnabled{false};
    std::atomic<DeviceCommunicationReceiver*> m_receiver{nullptr};
};

} // namespace QK
