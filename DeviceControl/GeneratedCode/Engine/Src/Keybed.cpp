#include "DeviceControl/GeneratedCode/Engine/Inc/Keybed.h"

namespace QK
{

namespace
{
// Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
constexpr ControllerModuleTraits kTraits{"QK::LKeybed", "Keybed", kKeybedOffset, 1, 77, 101, 231};
} // namespace

RCPtr<LKeybed> LKeybed::Create()
{
    RCPtr<LKeybed> module(new LKeybed());
    module->CreateChildModules();
    return module;
}

LKeybed::LKeybed() noexcept : LControllerModule<IKeybed>(kTraits) {}

Variant LKeybed::MakeParamValueDefault(std::uint32_t relative) const
{
    static constexpr std::uint8_t kDefaults[kKeybedParamCount] = {0x04, 0x0C};
    return MakeByteBlock(&kDefaults[relative], 1);
}

} // namespace QK
