#include "DeviceControl/GeneratedCode/Engine/Inc/ControllerModule.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/RootModule.h"
#include "QKFramework/ObjectBase/Exception.h"

#include <string>

namespace QK
{

namespace
{
// Distance of <id> from <first> as an unsigned number: ids below the first become large.
std::uint32_t RelativeIndex(std::int32_t id, std::int32_t first) noexcept
{
    return static_cast<std::uint32_t>(id) - static_cast<std::uint32_t>(first);
}
} // namespace

Variant MakeByteBlock(const void* bytes, std::uint32_t count)
{
    Variant value;
    value.SetBytes(bytes, count);
    return value;
}

template <class Interface>
void LControllerModule<Interface>::SetFirstParamID(LParameterizedModule* parent, std::int32_t firstParamID,
                                                   std::uint32_t index)
{
    LParameterizedModule::SetFirstParamID(parent, firstParamID, index);
    const RCPtr<LParameterizedModule> root = this->GetRootModule();
    const std::uint32_t offset = RelativeIndex(this->m_firstParamID, root->GetFirstParamID());
    const std::uint32_t count = this->m_paramCount;
    const bool allowed = offset >= m_traits.firstOffset && (offset - m_traits.firstOffset) % count == 0 &&
                         (offset - m_traits.firstOffset) / count < m_traits.instanceCount;
    if (!allowed)
    {
        const std::string method = std::string(m_traits.className) + "::SetFirstParamID";
        Throw<std::logic_error>(ThrowSite{method, m_traits.source, m_traits.setFirstParamIDLine},
                                "Invalid FirstParamID");
    }
}

template <class Interface>
QKRESULT LControllerModule<Interface>::SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value,
                                                          bool fromDevice)
{
    const std::int32_t id = descriptor.id;
    if (id >= 0)
        return OwnsParamID(id) ? LParameterizedModule::SetParamValueLocal(descriptor, value, fromDevice) : -1;
    if (!LParameterizedModule::IsReservedParamID(id))
        return -1;
    if (fromDevice)
        return 1;
    // The device's own answer does not concern the module.
    const RCPtr<LRootModule> root = RCPtr<LRootModule>::DynamicCast(this->GetRootModule());
    if (root)
        root->SendParamValueToDevice(descriptor, value);
    return 1;
}

template <class Interface>
Variant LControllerModule<Interface>::GetParamValueLocal(const ParamDescriptor& descriptor)
{
    if (!OwnsParamID(descriptor.id))
        ThrowOutside("::GetParamValueLocal", m_traits.getParamValueLocalLine);
    return LParameterizedModule::GetParamValueLocal(descriptor);
}

template <class Interface>
Variant LControllerModule<Interface>::GetParamValueDefault(std::int32_t id)
{
    if (!OwnsParamID(id))
        ThrowOutside("::GetParamValueDefault", m_traits.getParamValueDefaultLine);
    return MakeParamValueDefault(RelativeIndex(id, this->m_firstParamID));
}

template <class Interface>
bool LControllerModule<Interface>::OwnsParamID(std::int32_t id) const noexcept
{
    return RelativeIndex(id, this->m_firstParamID) < this->m_paramCount;
}

template <class Interface>
void LControllerModule<Interface>::ThrowOutside(const char* method, int line) const
{
    const std::string function = std::string(m_traits.className) + method;
    Throw<std::logic_error>(ThrowSite{function, m_traits.source, line});
}

template class LControllerModule<IProgramName>;
template class LControllerModule<IMidiChannelsAndAftertouch>;
template class LControllerModule<IKeybed>;
template class LControllerModule<IArpeggiator>;
template class LControllerModule<IJoystick>;
template class LControllerModule<IPad>;
template class LControllerModule<IHardwareKnob>;
template class LControllerModule<ISoundSettings>;

} // namespace QK
