#include "DeviceControl/GeneratedCode/Engine/Inc/HardwareKnob.h"

namespace QK
{

namespace
{
// Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
constexpr ControllerModuleTraits kTraits{"QK::LHardwareKnob", "HardwareKnob", kHardwareKnobOffset, kHardwareKnobCount, 91, 125, 278};
} // namespace

RCPtr<LHardwareKnob> LHardwareKnob::Create()
{
    RCPtr<LHardwareKnob> module(new LHardwareKnob());
    module->CreateChildModules();
    return module;
}

LHardwareKnob::LHardwareKnob() noexcept : LControllerModule<IHardwareKnob>(kTraits) {}

Variant LHardwareKnob::MakeParamValueDefault(std::uint32_t relative) const
{
    switch (relative)
    {
    case 0:
    {
        const std::uint8_t controller = static_cast<std::uint8_t>(16 + m_index);
        return MakeByteBlock(&controller, 1);
    }
    case 1:
    {
        const std::uint8_t minimum = 0x00;
        return MakeByteBlock(&minimum, 1);
    }
    case 2:
    {
        const std::uint8_t maximum = 0x7F;
        return MakeByteBlock(&maximum, 1);
    }
    default:
    {
        char name[] = "KNOB 1          ";
        static_assert(sizeof(name) - 1 == kNameByteSize);
        name[5] = static_cast<char>('1' + m_index);
        return MakeByteBlock(name, kNameByteSize);
    }
    }
}

} // namespace QK
