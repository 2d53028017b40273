#include "DeviceControl/GeneratedCode/Engine/Inc/RootModule.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"
#include "QKFramework/Utilities/Storage/ParamValues.h"

namespace QK
{

RCPtr<LRootModule> LRootModule::Create(bool offline)
{
    RCPtr<LRootModule> root(new LRootModule(offline));
    root->CreateDevice();
    return root;
}

LRootModule::LRootModule(bool offline) : m_offline(offline)
{
    m_changes.SetCount(1);
}

void LRootModule::SetFirstParamID(LParameterizedModule* parent, std::int32_t firstParamID, std::uint32_t index)
{
    LParameterizedModule::SetFirstParamID(parent, firstParamID, index);
    if (m_device)
        m_device->SetFirstParamID(this, firstParamID, 0);
}

RCPtr<LParameterizedModule> LRootModule::GetModuleRef(std::int32_t id)
{
    return GetModuleForParamID(id);
}

RCPtr<LParameterizedModule> LRootModule::GetModuleForParamID(std::int32_t id)
{
    const std::uint32_t index = static_cast<std::uint32_t>(id) - static_cast<std::uint32_t>(m_firstParamID);
    if (index >= kParameterCount || !m_device)
        return RCPtr<LParameterizedModule>();
    return m_device->GetModuleForParamID(id);
}

QKRESULT LRootModule::SetParamValue(const ParamDescriptor& descriptor, const Variant& value, bool fromDevice)
{
    QKRESULT result = QK_OK;
    if (IsParamExcluded(descriptor.id))
    {
        if (fromDevice)
            NotifyParamValueChanged(descriptor, value, 2);
    }
    else
    {
        result = StoreParamValue(descriptor, value);
        // A refused value must not reach the device either.
        if (result == QK_E_INVALIDARG)
            return result;
    }
    return fromDevice ? result : SendParamValueToDevice(descriptor, value);
}

Variant LRootModule::GetParamValue(const ParamDescriptor& descriptor)
{
    if (IsParamReserved(descriptor.id) && m_communication)
        m_communication->RequestParamValuesByDescriptors(descriptor);
    return GetStoredParamValue(descriptor);
}

void LRootModule::OnDeviceAvailable()
{
    if (m_device)
        m_device->OnDeviceAvailable();
}

void LRootModule::Hook9()
{
    if (m_device)
        m_device->Hook9();
}

QKRESULT LRootModule::StoreParamValue(const ParamDescriptor& descriptor, const Variant& value)
{
    ParamDescriptor indexDescriptor;
    if (!MakeIndexDescriptor(descriptor, indexDescriptor))
        return -1;
    if (value.GetKind() == kVariantEmpty)
        return QK_OK;
    std::uint32_t size = 0;
    value.GetData(size);
    if (size != GetParameterByteSize(static_cast<std::uint32_t>(indexDescriptor.id)))
        return QK_E_INVALIDARG;
    if (!m_cache)
        return QK_E_FAIL;

    Variant current;
    m_cache->GetValue(indexDescriptor, current);
    if (value.IsEqual(current))
        return QK_OK;
    m_cache->SetValue(indexDescriptor, value, true);
    NotifyParamValueChanged(descriptor, value, 0);
    return QK_OK;
}

Variant LRootModule::GetStoredParamValue(const ParamDescriptor& descriptor)
{
    ParamDescriptor indexDescriptor;
    Variant value;
    if (MakeIndexDescriptor(descriptor, indexDescriptor) && m_cache)
        m_cache->GetValue(indexDescriptor, value);
    return value;
}

QKRESULT LRootModule::NotifyParamValueChanged(const ParamDescriptor& descriptor, const Variant& value,
                                              std::int32_t reason)
{
    ParamValue& change = *m_changes.GetAt(0);
    change.id = descriptor.id;
    change.descriptor = descriptor.descriptor;
    change.value = value;
    return NotifyOwner(m_changes, reason);
}

RCPtr<LDevice> LRootModule::GetDeviceModule()
{
    return m_device;
}

QKRESULT LRootModule::RequestParamValueChange(const ParamDescriptor& descriptor, const Variant& value, std::int32_t)
{
    return SetModuleParamValue(descriptor, value);
}

RCPtr<LParameterizedModule> LRootModule::GetSpecialParamModuleRef(const ParamDescriptor& descriptor)
{
    return GetSpecialParamModule(descriptor);
}

RCPtr<LParameterizedModule> LRootModule::GetSpecialParamModule(const ParamDescriptor&)
{
    return RCPtr<LParameterizedModule>();
}

RCPtr<IDevice> LRootModule::GetDevice()
{
    return m_device;
}

QKRESULT LRootModule::Setup(OwnerCallback callback, void* context, const RCPtr<LParamCache>& cache,
                            const RCPtr<LDeviceCommunicationBase>& communication, std::int32_t firstParamID)
{
    m_ownerCallback = callback;
    m_ownerContext = context;
    m_cache = cache;
    m_communication = communication;
    SetFirstParamID(nullptr, firstParamID, 0);
    // The defaults are in place before the first delivered value can arrive.
    InitializeDefaultValues();
    if (m_cache)
        m_cache->Prepare(1);
    if (m_communication)
    {
        m_communication->SetReceiver(this);
        m_communication->EnableDelivery(true);
        m_communication->NotifyReceiverReady();
    }
    return QK_OK;
}

QKRESULT LRootModule::ConnectToDevice(const Variant& device)
{
    if (!m_communication)
        return -1;
    m_communication->DisconnectDevice();
    const QKRESULT result = m_communication->ConnectDevice(device);
    if (Failed(result))
    {
        m_offline.store(true, std::memory_order_release);
        return result;
    }
    m_offline.store(false, std::memory_order_release);
    const ParamRange all{m_firstParamID, static_cast<std::int32_t>(kParameterCount)};
    ParamRanges ranges;
    ranges.SetRanges(&all, 1);
    m_communication->RequestParamRanges(ranges);
    m_communication->RequestParamValuesByDescriptors(ParamDescriptor(LDeviceCommunicationBase::kDeviceLevelParamID));
    return result;
}

QKRESULT LRootModule::StopReceiving()
{
    if (m_communication)
        m_communication->EnableDelivery(false);
    return QK_OK;
}

RCPtr<LDeviceCommunicationBase> LRootModule::GetDeviceCommunication()
{
    return m_communication;
}

RCPtr<LParameterizedModule> LRootModule::FindWritingModule(const ParamDescriptor& descriptor)
{
    if (descriptor.id >= 0)
        return GetModuleForParamID(descriptor.id);
    if (IsReservedParamID(descriptor.id))
        return GetSpecialParamModule(descriptor);
    return RCPtr<LParameterizedModule>();
}

QKRESULT LRootModule::SetModuleParamValue(const ParamDescriptor& descriptor, const Variant& value)
{
    MutexLock lock(m_lock);
    if (descriptor.id == LDeviceCommunicationBase::kReceiverStatusParamID)
        return m_communication && m_communication->NotifyReceiverStatus(value.ToInt64()) ? QK_OK : QK_FALSE;
    if (IsOffline())
        return StoreParamValue(descriptor, value);
    const RCPtr<LParameterizedModule> module = FindWritingModule(descriptor);
    if (!module)
        return QK_E_FAIL;
    return module->SetParamValueLocal(descriptor, value, false);
}

QKRESULT LRootModule::GetModuleParamValue(const ParamDescriptor& descriptor, Variant& value)
{
    MutexLock lock(m_lock);
    if (descriptor.id < 0)
    {
        if (!m_communication)
        {
            value.Clear();
            return QK_E_FAIL;
        }
        return m_communication->GetParamValue(descriptor, value);
    }
    if (IsOffline())
    {
        value = GetStoredParamValue(descriptor);
        return QK_OK;
    }
    const RCPtr<LParameterizedModule> module = GetModuleRef(descriptor.id);
    if (!module)
    {
        value.Clear();
        return QK_E_FAIL;
    }
    value = module->GetParamValueLocal(descriptor);
    return QK_OK;
}

void LRootModule::DeliverParamValues(const ParamValues& values)
{
    MutexLock lock(m_lock);
    const std::uint32_t count = values.GetListCount();
    for (std::uint32_t i = 0; i < count; ++i)
    {
        Variant value;
        ParamDescriptor descriptor;
        // An item that cannot be read names no parameter: announcing it as a change of
        // id -1 would tell the user interface of a change that never happened.
        if (Failed(values.GetAt(i, value, descriptor.id, descriptor.descriptor)))
            continue;
        const RCPtr<LParameterizedModule> module = FindWritingModule(descriptor);
        if (!module && descriptor.id == LDeviceCommunicationBase::kAvailabilityParamID && value.ToBool())
            OnDeviceAvailable();
        if (module)
            module->SetParamValueLocal(descriptor, value, true);
        else
            NotifyParamValueChanged(ParamDescriptor(descriptor.id), value, 0);
    }
}

QKRESULT LRootModule::ReceiveDeviceEvent(std::intptr_t, std::intptr_t, std::intptr_t)
{
    return QK_E_FAIL;
}

LRootModule::~LRootModule()
{
    if (!m_communication)
        return;
    m_communication->EnableDelivery(false);
    m_communication->DisconnectDevice();
    if (m_communication->GetReceiver() == this)
        m_communication->SetReceiver(nullptr);
}

RCPtr<LParamCache> LRootModule::GetParamCache()
{
    return m_cache;
}

QKRESULT LRootModule::NotifyOwner(const Array<ParamValue>& changes, std::int32_t reason)
{
    return m_ownerCallback ? m_ownerCallback(m_ownerContext, changes, reason) : QK_OK;
}

bool LRootModule::IsParamReserved(std::int32_t)
{
    return false;
}

bool LRootModule::IsParamExcluded(std::int32_t)
{
    return false;
}

void LRootModule::CreateDevice()
{
    m_device = LDevice::Create();
}

// Without a communication object there is nobody to send to.
QKRESULT LRootModule::SendParamValueToDevice(const ParamDescriptor& descriptor, const Variant& value)
{
    return m_communication ? m_communication->SetParamValue(descriptor, value) : QK_OK;
}

void LRootModule::InitializeDefaultValues()
{
    if (!m_cache)
        return;
    for (std::uint32_t i = 0; i < kParameterCount; ++i)
    {
        const auto id = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_firstParamID) + i);
        const RCPtr<LParameterizedModule> module = GetModuleForParamID(id);
        if (module)
            m_cache->SetValue(ParamDescriptor(static_cast<std::int32_t>(i)), module->GetParamValueDefault(id), false);
    }
}

bool LRootModule::MakeIndexDescriptor(const ParamDescriptor& descriptor, ParamDescriptor& indexDescriptor) const
{
    const std::uint32_t index =
        static_cast<std::uint32_t>(descriptor.id) - static_cast<std::uint32_t>(m_firstParamID);
    if (index >= kParameterCount)
        return false;
    indexDescriptor.id = static_cast<std::int32_t>(index);
    indexDescriptor.descriptor = descriptor.descriptor;
    return true;
}

} // namespace QK
