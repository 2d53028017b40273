#include "DeviceControl/GeneratedCode/Engine/Inc/ProgramName.h"

namespace QK
{

namespace
{
// Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
constexpr ControllerModuleTraits kTraits{"QK::LProgramName", "ProgramName", kProgramNameOffset, 1, 77, 96, 215};
} // namespace

RCPtr<LProgramName> LProgramName::Create()
{
    RCPtr<LProgramName> module(new LProgramName());
    module->CreateChildModules();
    return module;
}

LProgramName::LProgramName() noexcept : LControllerModule<IProgramName>(kTraits) {}

Variant LProgramName::MakeParamValueDefault(std::uint32_t relative) const
{
    static_cast<void>(relative);
    static const char kDefault[] = "PRESET          ";
    static_assert(sizeof(kDefault) - 1 == kNameByteSize);
    return MakeByteBlock(kDefault, kNameByteSize);
}

} // namespace QK
