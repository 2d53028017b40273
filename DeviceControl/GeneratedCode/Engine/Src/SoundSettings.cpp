#include "DeviceControl/GeneratedCode/Engine/Inc/SoundSettings.h"

namespace QK
{

namespace
{
// Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
constexpr ControllerModuleTraits kTraits{"QK::LSoundSettings", "SoundSettings", kSoundSettingsOffset, 1, 77, 141, 359};
} // namespace

RCPtr<LSoundSettings> LSoundSettings::Create()
{
    RCPtr<LSoundSettings> module(new LSoundSettings());
    module->CreateChildModules();
    return module;
}

LSoundSettings::LSoundSettings() noexcept : LControllerModule<ISoundSettings>(kTraits) {}

Variant LSoundSettings::MakeParamValueDefault(std::uint32_t relative) const
{
    static constexpr std::uint8_t kDefaults[kSoundSettingsParamCount] = {0x00, 0x00, 0x43, 0x00, 0x20,
                                                                          0x00, 0x00, 0x00, 0x40, 0x40};
    return MakeByteBlock(&kDefaults[relative], 1);
}

} // namespace QK
