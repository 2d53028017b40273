#include "DeviceControl/GeneratedCode/Engine/Inc/Arpeggiator.h"

namespace QK
{

namespace
{
// Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
constexpr ControllerModuleTraits kTraits{"QK::LArpeggiator", "Arpeggiator", kArpeggiatorOffset, 1, 77, 136, 343};
} // namespace

RCPtr<LArpeggiator> LArpeggiator::Create()
{
    RCPtr<LArpeggiator> module(new LArpeggiator());
    module->CreateChildModules();
    return module;
}

LArpeggiator::LArpeggiator() noexcept : LControllerModule<IArpeggiator>(kTraits) {}

Variant LArpeggiator::MakeParamValueDefault(std::uint32_t relative) const
{
    if (kArpeggiatorOffset + relative == kArpeggiatorTempoIndex)
    {
        static constexpr std::uint8_t kTempo[kArpeggiatorTempoByteSize] = {0x00, 0x70};
        return MakeByteBlock(kTempo, kArpeggiatorTempoByteSize);
    }
    const std::uint8_t off = 0x00;
    return MakeByteBlock(&off, 1);
}

} // namespace QK
