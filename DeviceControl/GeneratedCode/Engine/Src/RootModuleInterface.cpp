#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleInterface.h"

#include "QKFramework/ObjectBase/Exception.h"

namespace QK
{

namespace
{
constexpr const char* kSource = "RootModuleInterface";

// A module without parameters of its own (the device, the root) accepts only reserved ids.
void CheckReservedOnly(std::uint32_t paramCount, std::int32_t id, const char* method, int line)
{
    if (paramCount == 0 && !LParameterizedModule::IsReservedParamID(id))
        Throw<std::logic_error>(ThrowSite{method, kSource, line});
}
} // namespace

void LParameterizedModule::SetFirstParamID(LParameterizedModule* parent, std::int32_t firstParamID,
                                           std::uint32_t index)
{
    m_parent = parent;
    m_firstParamID = firstParamID;
    m_index = index;
}

RCPtr<LParameterizedModule> LParameterizedModule::GetModuleRef(std::int32_t id)
{
    return GetModuleForParamID(id);
}

RCPtr<LParameterizedModule> LParameterizedModule::GetModuleForParamID(std::int32_t)
{
    return RCPtr<LParameterizedModule>(this);
}

QKRESULT LParameterizedModule::SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value,
                                                  bool fromDevice)
{
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    CheckReservedOnly(m_paramCount, descriptor.id, "LParameterizedModule::SetParamValueLocal", 109);
    RCPtr<LParameterizedModule> parent = GetParent();
    return parent ? parent->SetParamValue(descriptor, value, fromDevice) : -1;
}

Variant LParameterizedModule::GetParamValueLocal(const ParamDescriptor& descriptor)
{
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    CheckReservedOnly(m_paramCount, descriptor.id, "LParameterizedModule::GetParamValueLocal", 123);
    RCPtr<LParameterizedModule> parent = GetParent();
    return parent ? parent->GetParamValue(descriptor) : Variant();
}

QKRESULT LParameterizedModule::SetParamValue(const ParamDescriptor& descriptor, const Variant& value,
                                             bool fromDevice)
{
    RCPtr<LParameterizedModule> parent = GetParent();
    return parent ? parent->SetParamValue(descriptor, value, fromDevice) : -1;
}

Variant LParameterizedModule::GetParamValue(const ParamDescriptor& descriptor)
{
    RCPtr<LParameterizedModule> parent = GetParent();
    return parent ? parent->GetParamValue(descriptor) : Variant();
}

Variant LParameterizedModule::GetParamValueDefault(std::int32_t)
{
    return Variant();
}

void LParameterizedModule::OnDeviceAvailable() {}

void LParameterizedModule::Hook9() {}

bool LParameterizedModule::Hook10(std::intptr_t)
{
    return true;
}

void LParameterizedModule::Hook11(std::intptr_t a, std::intptr_t b, std::intptr_t c, std::intptr_t d)
{
    RCPtr<LParameterizedModule> parent = GetParent();
    if (parent)
        parent->Hook12(a, b, c, d);
}

void LParameterizedModule::Hook12(std::intptr_t a, std::intptr_t b, std::intptr_t c, std::intptr_t d)
{
    RCPtr<LParameterizedModule> parent = GetParent();
    if (parent)
        parent->Hook12(a, b, c, d);
}

QKRESULT LParameterizedModule::StoreParamValue(const ParamDescriptor& descriptor, const Variant& value)
{
    RCPtr<LParameterizedModule> parent = GetParent();
    return parent ? parent->StoreParamValue(descriptor, value) : QK_E_FAIL;
}

Variant LParameterizedModule::GetStoredParamValue(const ParamDescriptor& descriptor)
{
    RCPtr<LParameterizedModule> parent = GetParent();
    return parent ? parent->GetStoredParamValue(descriptor) : Variant();
}

RCPtr<LParameterizedModule> LParameterizedModule::GetParent() const
{
    return RCPtr<LParameterizedModule>(m_parent);
}

RCPtr<LParameterizedModule> LParameterizedModule::GetRootModule()
{
    LParameterizedModule* module = this;
    while (module->m_parent)
        module = module->m_parent;
    return RCPtr<LParameterizedModule>(module);
}

} // namespace QK
