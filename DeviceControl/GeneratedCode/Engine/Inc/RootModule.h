// LRootModule: the top of the parameter model, where values are stored and announced.
//
// It owns the device module and with it the 79 parameters. Every value that climbs the
// module tree ends here: it is kept in the parameter cache under its index (id minus the
// first id), each real change is handed to the owner's callback with a one-element change
// list, and a locally edited value is passed on towards the device. Defaults are loaded
// into the cache when the root is set up, without announcements.
//
// A value whose byte length differs from its parameter's size is refused (0x80070057)
// and neither stored, announced nor sent: one wrong-sized value would shift every later
// byte of a preset image.
//
// Towards the device it is the device communication object's receiver: values the library
// delivers come in on the delivery thread (DeliverParamValues) and are stored and announced
// without being sent back. While offline (from creation until a connect succeeds) the
// engine's entry points work on the cache alone and send nothing. A lock serialises the
// receive path and the engine's two entry points.
//
// The owner callback runs on the thread that stores the value: the UI thread, the engine's
// worker or the delivery thread.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/Device.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceCommunicationBase.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/ParamCache.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleInterface.h"
#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Utilities/Storage/Array.h"

#include <atomic>
#include <cstdint>

namespace QK
{

class LRootModule : public IRootModule, public DeviceCommunicationReceiver
{
public:
    // The owner's callback: its context, the change list (one element) and the reason
    // (0 stored or received, 2 an excluded id received from the device).
    using OwnerCallback = QKRESULT (*)(void* context, const Array<ParamValue>& changes, std::int32_t reason);

    // A new root module with its device and the device's modules made.
    static RCPtr<LRootModule> Create(bool offline);

    // Stores the fields, then gives the device the same first id.
    void SetFirstParamID(LParameterizedModule* parent, std::int32_t firstParamID, std::uint32_t index) override;
    RCPtr<LParameterizedModule> GetModuleRef(std::int32_t id) override;
    // The module owning one of the 79 ids; empty for any other id.
    RCPtr<LParameterizedModule> GetModuleForParamID(std::int32_t id) override;
    // Stores and announces; a local edit (fromDevice false) is then sent and answers the
    // send's result.
    QKRESULT SetParamValue(const ParamDescriptor& descriptor, const Variant& value, bool fromDevice) override;
    Variant GetParamValue(const ParamDescriptor& descriptor) override;
    void OnDeviceAvailable() override;
    void Hook9() override;
    // -1 for an id outside the 79; 0x80070057 for a value of the wrong size; else 0, with
    // the value stored and announced (reason 0) only when it is not empty and differs from
    // the stored one.
    QKRESULT StoreParamValue(const ParamDescriptor& descriptor, const Variant& value) override;
    // The stored value; empty when there is none.
    Variant GetStoredParamValue(const ParamDescriptor& descriptor) override;
    // Fills the change list and answers the owner callback's result.
    QKRESULT NotifyParamValueChanged(const ParamDescriptor& descriptor, const Variant& value,
                                     std::int32_t reason) override;
    RCPtr<LDevice> GetDeviceModule() override;
    // An edit handed to the model's own root is written as the engine writes it.
    QKRESULT RequestParamValueChange(const ParamDescriptor& descriptor, const Variant& value,
                                     std::int32_t flags) override;

    virtual RCPtr<LParameterizedModule> GetSpecialParamModuleRef(const ParamDescriptor& descriptor);
    // No module handles the reserved ids in this model.
    virtual RCPtr<LParameterizedModule> GetSpecialParamModule(const ParamDescriptor& descriptor);
    virtual RCPtr<IDevice> GetDevice();
    // Wires the owner, the cache and the communication object (may be null), gives every
    // module its ids, loads the defaults into the cache (no announcements), then becomes the
    // communication object's receiver and opens delivery. Answers 0.
    virtual QKRESULT Setup(OwnerCallback callback, void* context, const RCPtr<LParamCache>& cache,
                           const RCPtr<LDeviceCommunicationBase>& communication, std::int32_t firstParamID);
    // Disconnects, connects the device, and on success asks for all its values and its
    // device-level value (id -8); offline unless the connect succeeded. The connect's result.
    virtual QKRESULT ConnectToDevice(const Variant& device);
    // Closes delivery. Answers 0.
    virtual QKRESULT StopReceiving();
    virtual RCPtr<LParamCache> GetParamCache();
    virtual RCPtr<LDeviceCommunicationBase> GetDeviceCommunication();
    // The engine's write: id -4 asks the communication object for a receiver status (0
    // available, 1 not); offline a store; online the owning module's local write, which
    // stores, announces and sends (the send's result; 0x80004005 when no module owns the id).
    virtual QKRESULT SetModuleParamValue(const ParamDescriptor& descriptor, const Variant& value);
    // The engine's read: negative ids from the communication object, the others stored.
    virtual QKRESULT GetModuleParamValue(const ParamDescriptor& descriptor, Variant& value);
    virtual QKRESULT NotifyOwner(const Array<ParamValue>& changes, std::int32_t reason);
    virtual bool IsParamReserved(std::int32_t id);
    virtual bool IsParamExcluded(std::int32_t id);
    // Makes the device module anew, releasing the previous one.
    virtual void CreateDevice();
    // Passes a value on to the device; answers the device side's result.
    virtual QKRESULT SendParamValueToDevice(const ParamDescriptor& descriptor, const Variant& value);

    // Each readable item goes to its module as a value from the device; what no module owns
    // (special ids, ids past the 79) is announced as it is; an item that cannot be read is
    // skipped. On the delivery thread.
    void DeliverParamValues(const ParamValues& values) override;
    // Answers 0x80004005.
    QKRESULT ReceiveDeviceEvent(std::intptr_t a, std::intptr_t b, std::intptr_t c) override;

    bool IsOffline() const noexcept { return m_offline.load(std::memory_order_acquire); }

    // Closes delivery and disconnects, and is nobody's receiver any more.
    ~LRootModule() override;

protected:
    explicit LRootModule(bool offline);

    void InitializeDefaultValues();

private:
    // The module a write of this id goes to: the owning module, the reserved ids' module,
    // or none.
    RCPtr<LParameterizedModule> FindWritingModule(const ParamDescriptor& descriptor);
    // The cache's address for a parameter: its index, with the caller's descriptor.
    bool MakeIndexDescriptor(const ParamDescriptor& descriptor, ParamDescriptor& indexDescriptor) const;

    // Written by connects on the UI thread or the engine's worker.
    std::atomic<bool> m_offline;
    RCPtr<LDevice> m_device;
    OwnerCallback m_ownerCallback = nullptr;
    void* m_ownerContext = nullptr;
    RCPtr<LParamCache> m_cache;
    RCPtr<LDeviceCommunicationBase> m_communication;
    Mutex m_lock;
    Array<ParamValue> m_changes;
};

} // namespace QK
