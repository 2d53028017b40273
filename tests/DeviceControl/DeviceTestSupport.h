// Helpers for the device model tests: a root module that records what it would send to the
// device and what it announces, set up over a fresh 79-slot cache.
#pragma once

#include "TestBytes.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/RootModule.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace QK::test
{

struct Announcement
{
    std::int32_t id;
    std::string bytes;
    std::int32_t reason;
};

struct Sent
{
    std::int32_t id;
    std::string bytes;
};

class RecordingRoot : public LRootModule
{
public:
    // A root over a new cache, set up with first id firstParamID.
    static RCPtr<RecordingRoot> CreateSetUp(std::int32_t firstParamID = 0)
    {
        RCPtr<RecordingRoot> root(new RecordingRoot());
        root->CreateDevice();
        root->cache = RCPtr<LParamCache>(new LParamCache(kParameterCount));
        root->Setup(&RecordingRoot::Announce, root.Get(), root->cache, nullptr, firstParamID);
        return root;
    }

    QKRESULT SendParamValueToDevice(const ParamDescriptor& descriptor, const Variant& value) override
    {
        sent.push_back({descriptor.id, BytesOf(value)});
        return sendResult;
    }

    RCPtr<LParamCache> cache;
    std::vector<Announcement> announced;
    std::vector<Sent> sent;
    QKRESULT sendResult = 0;

private:
    RecordingRoot() : LRootModule(true) {}

    static QKRESULT Announce(void* context, const Array<ParamValue>& changes, std::int32_t reason)
    {
        auto* root = static_cast<RecordingRoot*>(context);
        for (std::uint32_t i = 0; i < changes.GetCount(); ++i)
            root->announced.push_back({changes.GetAt(i)->id, BytesOf(changes.GetAt(i)->value), reason});
        return 0;
    }
};

// The text of the logic error that call raises, or "(nothing thrown)".
template <class F>
std::string LogicErrorOf(F&& call)
{
    try
    {
        call();
    }
    catch (const std::logic_error& error)
    {
        return error.what();
    }
    return "(nothing thrown)";
}

} // namespace QK::test
