#include "DeviceControl/GeneratedCode/Engine/Inc/Pad.h"

namespace QK
{

namespace
{
// Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
constexpr ControllerModuleTraits kTraits{"QK::LPad", "Pad", kPadOffset, kPadCount, 107, 126, 246};
} // namespace

RCPtr<LPad> LPad::Create()
{
    RCPtr<LPad> module(new LPad());
    module->CreateChildModules();
    return module;
}

LPad::LPad() noexcept : LControllerModule<IPad>(kTraits) {}

Variant LPad::MakeParamValueDefault(std::uint32_t relative) const
{
    static_cast<void>(relative);
    const std::uint8_t note = static_cast<std::uint8_t>(m_index < 8 ? m_index + 16 : m_index + 24);
    return MakeByteBlock(&note, 1);
}

} // namespace QK
