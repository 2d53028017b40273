#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceCommunicationBase.h"

#include <chrono>
#include <iterator>
#include <thread>

namespace QK
{

namespace
{
// What the device-control side calls the maker and the product, by model index.
const char* const kMakerNames[] = {"Dozavod Professional"};
const char* const kProductTitles[] = {"Vedidu Editor"};

constexpr std::uint32_t kRemoteSearchStepMs = 250;

Variant BoolValue(bool flag)
{
    Variant value;
    value.SetData(kVariantBool, &flag, 1);
    return value;
}

// Reads the device list the library filled: only a list of more than its 4-byte start is
// read; devices is then resized to its items, else emptied.
void ReadDeviceList(const Variant& list, LDeviceCommunicationBase::DeviceList& devices)
{
    devices.SetCount(0);
    if (list.GetKind() != kVariantList || list.GetLength() <= 4)
        return;
    const std::uint32_t count = list.GetListCount();
    devices.SetCount(count);
    for (std::uint32_t i = 0; i < count; ++i)
        list.GetListItem(i, *devices.GetAt(i));
}

const DeviceClassGuid* FilterBuffer(const LDeviceCommunicationBase::GuidFilter& filter)
{
    return const_cast<LDeviceCommunicationBase::GuidFilter&>(filter).GetBuffer();
}
} // namespace

LDeviceCommunicationBase::LDeviceCommunicationBase() = default;

LDeviceCommunicationBase::~LDeviceCommunicationBase()
{
    DeleteClient();
}

void LDeviceCommunicationBase::DeleteClient()
{
    std::unique_ptr<DeviceControlClientInterface> client;
    Variant device;
    {
        MutexLock lock(m_clientLock);
        client = std::move(m_client);
        device = m_device;
    }
    if (client)
        client->DisconnectDevice(&device);
}

bool LDeviceCommunicationBase::HasClient() const
{
    MutexLock lock(m_clientLock);
    return m_client != nullptr;
}

DeviceControlClientInterface* LDeviceCommunicationBase::GetClientAndDevice(Variant& device) const
{
    MutexLock lock(m_clientLock);
    device = m_device;
    return m_client.get();
}

void LDeviceCommunicationBase::SetReceiver(DeviceCommunicationReceiver* receiver)
{
    m_receiver.store(receiver, std::memory_order_release);
}

DeviceCommunicationReceiver* LDeviceCommunicationBase::GetReceiver()
{
    return m_receiver.load(std::memory_order_acquire);
}

QKRESULT LDeviceCommunicationBase::OpenClientLibrary()
{
    return QK_E_FAIL;
}

bool LDeviceCommunicationBase::IsInterfaceAvailable()
{
    return true;
}

bool LDeviceCommunicationBase::NotifyReceiverStatus(std::int64_t value)
{
    DeviceCommunicationReceiver* receiver = GetReceiver();
    if (!receiver)
        return false;
    MutexLock lock(m_clientLock);
    const bool available = IsInterfaceAvailable();
    Variant number;
    number.SetData(kVariantInt64, &value, sizeof value);
    const Variant flag = BoolValue(available);
    const Variant* entries[] = {&number, &flag};
    Variant status;
    status.SetList(entries, 2);
    ParamValues values;
    values.SetSingle(ParamDescriptor(kReceiverStatusParamID), status);
    receiver->DeliverParamValues(values);
    return available;
}

void LDeviceCommunicationBase::WaitForClientLock()
{
    MutexLock lock(m_clientLock);
}

void LDeviceCommunicationBase::EnableDelivery(bool enable)
{
    m_deliveryEnabled.store(enable, std::memory_order_release);
}

void LDeviceCommunicationBase::NotifyReceiverReady() {}

QKRESULT LDeviceCommunicationBase::FindDevices(const GuidFilter& filter, DeviceList& devices)
{
    devices.SetCount(0);
    Variant unused;
    DeviceControlClientInterface* client = GetClientAndDevice(unused);
    if (!client)
        return -1;
    Variant list;
    if (Failed(client->FindDevices(FilterBuffer(filter), filter.GetCount(), &list)))
        return QK_E_FAIL;
    ReadDeviceList(list, devices);
    return QK_OK;
}

QKRESULT LDeviceCommunicationBase::FindRemoteDevices(const GuidFilter& filter, DeviceList& devices,
                                                     std::uint32_t limitMs, std::int32_t option1,
                                                     std::int32_t option2, std::int32_t option3,
                                                     std::int32_t option4, std::int32_t option5)
{
    Variant unused;
    DeviceControlClientInterface* client = GetClientAndDevice(unused);
    if (!client)
        return -1;
    const DeviceList before = devices;
    for (std::uint32_t elapsed = 0;; elapsed += kRemoteSearchStepMs)
    {
        Variant list;
        if (Failed(client->FindRemoteDevices(FilterBuffer(filter), filter.GetCount(), &list, 0, option1, option2,
                                             option3, option4, option5)))
            return QK_E_FAIL;
        ReadDeviceList(list, devices);
        if (!DeviceList::IsEqual(devices, before))
            return QK_OK;
        if (elapsed >= limitMs)
            return QK_FALSE;
        std::this_thread::sleep_for(std::chrono::milliseconds(kRemoteSearchStepMs));
    }
}

QKRESULT LDeviceCommunicationBase::FindRemoteDevicesOnce(const GuidFilter& filter, DeviceList& devices)
{
    Variant unused;
    DeviceControlClientInterface* client = GetClientAndDevice(unused);
    if (!client)
        return -1;
    Variant list;
    const QKRESULT result = client->FindRemoteDevices(FilterBuffer(filter), filter.GetCount(), &list, 1, 0, 1, 1, 0, 0);
    if (!Failed(result))
        ReadDeviceList(list, devices);
    return result;
}

QKRESULT LDeviceCommunicationBase::ConnectDevice(const Variant&)
{
    return -1;
}

QKRESULT LDeviceCommunicationBase::RequestParamRanges(const ParamRanges& ranges)
{
    Variant device;
    DeviceControlClientInterface* client = GetClientAndDevice(device);
    return client ? client->RequestParamRanges(&device, &ranges) : -1;
}

QKRESULT LDeviceCommunicationBase::RequestParamValues(const ParamDescriptors& descriptors)
{
    Variant device;
    DeviceControlClientInterface* client = GetClientAndDevice(device);
    return client ? client->RequestParamValues(&device, &descriptors) : -1;
}

QKRESULT LDeviceCommunicationBase::RequestParamValuesByDescriptors(const ParamDescriptor& descriptor)
{
    Variant device;
    DeviceControlClientInterface* client = GetClientAndDevice(device);
    return client ? client->RequestParamValuesByDescriptors(&device, &descriptor) : -1;
}

QKRESULT LDeviceCommunicationBase::GetParamRanges(const ParamDescriptors& descriptors, ParamValues& ranges)
{
    Variant device;
    DeviceControlClientInterface* client = GetClientAndDevice(device);
    return client ? client->GetParamRanges(&device, &descriptors, &ranges) : -1;
}

QKRESULT LDeviceCommunicationBase::GetParamValues(const ParamDescriptors& descriptors, ParamValues& values)
{
    Variant device;
    DeviceControlClientInterface* client = GetClientAndDevice(device);
    return client ? client->GetParamValues(&device, &descriptors, &values) : -1;
}

QKRESULT LDeviceCommunicationBase::GetParamValue(const ParamDescriptor& descriptor, Variant& value)
{
    Variant device;
    if (DeviceControlClientInterface* client = GetClientAndDevice(device))
        return client->GetParamValue(&device, &descriptor, &value);
    switch (descriptor.id)
    {
    case kAvailabilityParamID:
        value = BoolValue(IsInterfaceAvailable());
        return QK_OK;
    case kDeviceLevelParamID:
        return GetSpecialParamValue(value);
    case kMakerNameParamID:
    case kProductTitleParamID:
    {
        std::int32_t model = 0;
        if (Failed(GetModelIndex(model)) || static_cast<std::size_t>(model) >= std::size(kMakerNames))
            return QK_E_FAIL;
        value.SetString(descriptor.id == kMakerNameParamID ? kMakerNames[model] : kProductTitles[model]);
        return QK_OK;
    }
    default:
        return QK_E_FAIL;
    }
}

QKRESULT LDeviceCommunicationBase::SetParamValue(const ParamDescriptor& descriptor, const Variant& value)
{
    if (descriptor.id == kReceiverStatusParamID)
    {
        if (!GetReceiver())
            return QK_E_FAIL;
        return NotifyReceiverStatus(value.ToInt64()) ? QK_OK : QK_FALSE;
    }
    Variant device;
    if (DeviceControlClientInterface* client = GetClientAndDevice(device))
        return client->SetParamValue(&device, &descriptor, &value);
    if (descriptor.id != kDeviceLevelParamID)
        return QK_E_FAIL;
    const QKRESULT result = SetSpecialParamValue(value);
    DeviceCommunicationReceiver* receiver = GetReceiver();
    if (result == QK_OK && receiver)
    {
        ParamValues values;
        values.SetSingle(ParamDescriptor(kDeviceLevelParamID), value);
        receiver->DeliverParamValues(values);
    }
    return result;
}

QKRESULT LDeviceCommunicationBase::SetParamValues(const ParamValues& values)
{
    Variant device;
    DeviceControlClientInterface* client = GetClientAndDevice(device);
    return client ? client->SetParamValues(&device, &values) : -1;
}

bool LDeviceCommunicationBase::IsDeviceConnected(std::int32_t flags, std::uint32_t timeoutMs)
{
    Variant device;
    DeviceControlClientInterface* client = GetClientAndDevice(device);
    return client && client->IsDeviceConnected(&device, flags, timeoutMs);
}

QKRESULT LDeviceCommunicationBase::CheckDeviceConnected(Variant& device)
{
    if (!HasClient())
        return -1;
    {
        MutexLock lock(m_clientLock);
        device = m_device;
    }
    return IsDeviceConnected(1, 500) ? QK_OK : -3;
}

QKRESULT LDeviceCommunicationBase::DisconnectDevice()
{
    Variant device;
    DeviceControlClientInterface* client = GetClientAndDevice(device);
    return client ? client->DisconnectDevice(&device) : -1;
}

QKRESULT LDeviceCommunicationBase::GetDeviceInfo(const Variant& device, DeviceInfoBlock& info)
{
    Variant unused;
    DeviceControlClientInterface* client = GetClientAndDevice(unused);
    return client ? client->GetDeviceInfo(&device, &info, 0) : -1;
}

QKRESULT LDeviceCommunicationBase::GetSpecialParamValue(Variant& value)
{
    Variant device;
    DeviceControlClientInterface* client = GetClientAndDevice(device);
    const ParamDescriptor level(kDeviceLevelParamID);
    return client ? client->GetParamValue(&device, &level, &value) : -1;
}

QKRESULT LDeviceCommunicationBase::SetSpecialParamValue(const Variant& value)
{
    Variant device;
    DeviceControlClientInterface* client = GetClientAndDevice(device);
    const ParamDescriptor level(kDeviceLevelParamID);
    return client ? client->SetParamValue(&device, &level, &value) : -1;
}

QKRESULT LDeviceCommunicationBase::GetModelIndex(std::int32_t& index)
{
    index = 0;
    return QK_OK;
}

} // namespace QK
