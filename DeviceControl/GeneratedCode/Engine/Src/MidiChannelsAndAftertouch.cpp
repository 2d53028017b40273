#include "DeviceControl/GeneratedCode/Engine/Inc/MidiChannelsAndAftertouch.h"

namespace QK
{

namespace
{
// Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
constexpr ControllerModuleTraits kTraits{"QK::LMidiChannelsAndAftertouch", "MidiChannelsAndAftertouch", kMidiChannelsAndAftertouchOffset, 1, 77, 106, 247};
} // namespace

RCPtr<LMidiChannelsAndAftertouch> LMidiChannelsAndAftertouch::Create()
{
    RCPtr<LMidiChannelsAndAftertouch> module(new LMidiChannelsAndAftertouch());
    module->CreateChildModules();
    return module;
}

LMidiChannelsAndAftertouch::LMidiChannelsAndAftertouch() noexcept : LControllerModule<IMidiChannelsAndAftertouch>(kTraits) {}

Variant LMidiChannelsAndAftertouch::MakeParamValueDefault(std::uint32_t relative) const
{
    static constexpr std::uint8_t kDefaults[kMidiChannelsAndAftertouchParamCount] = {0x00, 0x01, 0x00};
    return MakeByteBlock(&kDefaults[relative], 1);
}

} // namespace QK
