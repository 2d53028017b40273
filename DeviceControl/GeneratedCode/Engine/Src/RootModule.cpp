#include "DeviceControl/GeneratedCode/Engine/Inc/RootModule.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"

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
                            std::int32_t firstParamID)
{
    m_ownerCallback = callback;
    m_ownerContext = context;
    m_cache = cache;
    SetFirstParamID(nullptr, firstParamID, 0);
    InitializeDefaultValues();
    if (m_cache)
        m_cache->Prepare(1);
    return QK_OK;
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
QKRESULT LRootModule::SendParamValueToDevice(const ParamDescriptor&, const Variant&)
{
    return QK_OK;
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
