#include "DeviceControl/GeneratedCode/Engine/Inc/Device.h"

#include "QKFramework/ObjectBase/Exception.h"

namespace QK
{

namespace
{
template <class T, std::uint32_t G, std::uint32_t S>
RCPtr<T> EntryOf(RCPtrArray<T, G, S>& array, std::uint32_t index)
{
    RCPtr<T>* entry = array.GetAt(index);
    return entry ? *entry : RCPtr<T>();
}

template <class T, std::uint32_t G, std::uint32_t S>
void CreateEntries(RCPtrArray<T, G, S>& array, std::uint32_t count)
{
    array.SetCount(count);
    for (std::uint32_t i = 0; i < count; ++i)
        *array.GetAt(i) = T::Create();
}
} // namespace

// ---- IDevice ----

template <class F>
void IDevice::ForEachChild(F&& visit)
{
    if (RCPtr<IProgramName> module = GetProgramName())
        visit(module.Get(), kProgramNameOffset, 0u);
    if (RCPtr<IMidiChannelsAndAftertouch> module = GetMidiChannelsAndAftertouch())
        visit(module.Get(), kMidiChannelsAndAftertouchOffset, 0u);
    if (RCPtr<IKeybed> module = GetKeybed())
        visit(module.Get(), kKeybedOffset, 0u);
    if (RCPtr<IArpeggiator> module = GetArpeggiator())
        visit(module.Get(), kArpeggiatorOffset, 0u);
    for (std::uint32_t i = 0; i < kJoystickCount; ++i)
        if (RCPtr<IJoystick> module = GetJoystick(i))
            visit(module.Get(), kJoystickOffset + kJoystickParamCount * i, i);
    for (std::uint32_t i = 0; i < kPadCount; ++i)
        if (RCPtr<IPad> module = GetPad(i))
            visit(module.Get(), kPadOffset + kPadParamCount * i, i);
    for (std::uint32_t i = 0; i < kHardwareKnobCount; ++i)
        if (RCPtr<IHardwareKnob> module = GetHardwareKnob(i))
            visit(module.Get(), kHardwareKnobOffset + kHardwareKnobParamCount * i, i);
    if (RCPtr<ISoundSettings> module = GetSoundSettings())
        visit(module.Get(), kSoundSettingsOffset, 0u);
}

void IDevice::SetFirstParamID(LParameterizedModule* parent, std::int32_t firstParamID, std::uint32_t index)
{
    LParameterizedModule::SetFirstParamID(parent, firstParamID, index);
    ForEachChild([this, firstParamID](LParameterizedModule* child, std::uint32_t offset, std::uint32_t instance) {
        const auto id = static_cast<std::int32_t>(static_cast<std::uint32_t>(firstParamID) + offset);
        child->SetFirstParamID(this, id, instance);
    });
}

RCPtr<LParameterizedModule> IDevice::GetModuleForParamID(std::int32_t id)
{
    const std::uint32_t relative = static_cast<std::uint32_t>(id) - static_cast<std::uint32_t>(m_firstParamID);
    RCPtr<LParameterizedModule> module;
    if (relative < kMidiChannelsAndAftertouchOffset)
        module = GetProgramName();
    else if (relative < kKeybedOffset)
        module = GetMidiChannelsAndAftertouch();
    else if (relative < kArpeggiatorOffset)
        module = GetKeybed();
    else if (relative < kJoystickOffset)
        module = GetArpeggiator();
    else if (relative < kPadOffset)
        module = GetJoystick((relative - kJoystickOffset) / kJoystickParamCount);
    else if (relative < kHardwareKnobOffset)
        module = GetPad((relative - kPadOffset) / kPadParamCount);
    else if (relative < kSoundSettingsOffset)
        module = GetHardwareKnob((relative - kHardwareKnobOffset) / kHardwareKnobParamCount);
    else if (relative < kParameterCount)
        module = GetSoundSettings();
    return module ? module->GetModuleForParamID(id) : RCPtr<LParameterizedModule>();
}

void IDevice::OnDeviceAvailable()
{
    ForEachChild([](LParameterizedModule* child, std::uint32_t, std::uint32_t) { child->OnDeviceAvailable(); });
}

void IDevice::Hook9()
{
    ForEachChild([](LParameterizedModule* child, std::uint32_t, std::uint32_t) { child->Hook9(); });
}

RCPtr<IProgramName> IDevice::GetProgramName()
{
    return GetProgramNameModule();
}

RCPtr<IMidiChannelsAndAftertouch> IDevice::GetMidiChannelsAndAftertouch()
{
    return GetMidiChannelsAndAftertouchModule();
}

RCPtr<IKeybed> IDevice::GetKeybed()
{
    return GetKeybedModule();
}

RCPtr<IArpeggiator> IDevice::GetArpeggiator()
{
    return GetArpeggiatorModule();
}

RCPtr<IJoystick> IDevice::GetJoystick(std::uint32_t index)
{
    return GetJoystickModule(index);
}

RCPtr<IPad> IDevice::GetPad(std::uint32_t index)
{
    return GetPadModule(index);
}

RCPtr<IHardwareKnob> IDevice::GetHardwareKnob(std::uint32_t index)
{
    return GetHardwareKnobModule(index);
}

RCPtr<ISoundSettings> IDevice::GetSoundSettings()
{
    return GetSoundSettingsModule();
}

// ---- LDevice ----

RCPtr<LDevice> LDevice::Create()
{
    RCPtr<LDevice> device(new LDevice());
    device->CreateChildModules();
    return device;
}

void LDevice::SetFirstParamID(LParameterizedModule* parent, std::int32_t firstParamID, std::uint32_t index)
{
    IDevice::SetFirstParamID(parent, firstParamID, index);
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    if (m_firstParamID != GetRootModule()->GetFirstParamID())
        Throw<std::logic_error>(ThrowSite{"QK::LDevice::SetFirstParamID", "Device", 77}, "Invalid FirstParamID");
}

RCPtr<LProgramName> LDevice::GetProgramNameModule()
{
    return m_programName;
}

RCPtr<LMidiChannelsAndAftertouch> LDevice::GetMidiChannelsAndAftertouchModule()
{
    return m_midiChannelsAndAftertouch;
}

RCPtr<LKeybed> LDevice::GetKeybedModule()
{
    return m_keybed;
}

RCPtr<LArpeggiator> LDevice::GetArpeggiatorModule()
{
    return m_arpeggiator;
}

RCPtr<LJoystick> LDevice::GetJoystickModule(std::uint32_t index)
{
    return EntryOf(m_joysticks, index);
}

RCPtr<LPad> LDevice::GetPadModule(std::uint32_t index)
{
    return EntryOf(m_pads, index);
}

RCPtr<LHardwareKnob> LDevice::GetHardwareKnobModule(std::uint32_t index)
{
    return EntryOf(m_knobs, index);
}

RCPtr<LSoundSettings> LDevice::GetSoundSettingsModule()
{
    return m_soundSettings;
}

void LDevice::CreateChildModules()
{
    m_programName = LProgramName::Create();
    m_midiChannelsAndAftertouch = LMidiChannelsAndAftertouch::Create();
    m_keybed = LKeybed::Create();
    m_arpeggiator = LArpeggiator::Create();
    CreateEntries(m_joysticks, kJoystickCount);
    CreateEntries(m_pads, kPadCount);
    CreateEntries(m_knobs, kHardwareKnobCount);
    m_soundSettings = LSoundSettings::Create();
}

} // namespace QK
