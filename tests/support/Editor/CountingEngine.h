// An engine that writes down every value handed to SetParamValue instead of storing it,
// so an editor test can tell how often, and with which bytes, the view wrote to the model.
// Everything else is the real engine's. Header only; UI thread only.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleEngine.h"

#include <cstdint>
#include <vector>

namespace QK::TestSupport
{

class CountingEngine final : public LRootModuleEngine
{
public:
    struct Write
    {
        std::int32_t id;
        std::vector<std::uint8_t> bytes;
        friend bool operator==(const Write&, const Write&) = default;
    };

    static RCPtr<CountingEngine> Create() { return RCPtr<CountingEngine>(new CountingEngine()); }

    QKRESULT SetParamValue(const ParamDescriptor& descriptor, const Variant& value) override
    {
        std::uint32_t size = 0;
        const auto* bytes = static_cast<const std::uint8_t*>(value.GetData(size));
        writes.push_back({descriptor.id, bytes ? std::vector<std::uint8_t>(bytes, bytes + size)
                                               : std::vector<std::uint8_t>()});
        return QK_OK;
    }

    std::vector<Write> writes;

private:
    CountingEngine() = default;
};

} // namespace QK::TestSupport
