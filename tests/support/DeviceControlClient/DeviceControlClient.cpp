// A stand-in for the maker's device-control library, built as libDeviceControlClient.so for
// the tests. It simulates one controller: 79 parameters of the controller's sizes with
// values and ranges, the device-level value (id -8), presence, connection, a remote-device
// search, and changes pushed to the connected client from a thread of its own, the way the
// real library calls back.
//
// Built with DEVICE_CONTROL_STANDIN_PARTIAL it leaves out Tuvo_SetParamValue,
// Tuvo_GetDeviceInfo and Tuvo_FindRemoteDevices, for tests of a library that lacks some
// entry points.
//
// Contents: the simulated device; the push thread; the Tuvo_* entry points; the test
// controls of StandInControls.h.
#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceControlClientApi.h"
#include "QKFramework/Utilities/Storage/ParamValues.h"
#include "QKFramework/Utilities/Storage/Variant.h"
#include "tests/support/DeviceControlClient/StandInControls.h"

#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))

using QK::Variant;

namespace
{

// ---- The simulated device -------------------------------------------------------------

constexpr std::int32_t kParameterCount = 79;
constexpr std::int32_t kDeviceLevelId = -8;

std::uint32_t ParameterSize(std::int32_t id)
{
    if (id == 0 || (id >= 37 && id < 69 && (id - 37) % 4 == 3))
        return 16;
    return id == 13 ? 2 : 1;
}

Variant Bytes(const void* bytes, std::uint32_t count)
{
    Variant value;
    value.SetBytes(bytes, count);
    return value;
}

Variant Int32(std::int32_t number)
{
    Variant value;
    value.SetData(QK::kVariantInt32, &number, sizeof number);
    return value;
}

Variant Text(const char* text)
{
    Variant value;
    value.SetString(text);
    return value;
}

// The value the device starts with: unlike the editor's defaults, so that a read shows.
Variant InitialValue(std::int32_t id)
{
    if (id == kDeviceLevelId)
        return Int32(7);
    const std::uint32_t size = ParameterSize(id);
    std::uint8_t bytes[16];
    if (size == 16)
        std::memcpy(bytes, "STAND-IN        ", 16);
    else if (size == 2)
        bytes[0] = 1, bytes[1] = 0;
    else
        bytes[0] = static_cast<std::uint8_t>((id * 3 + 1) & 0x7F);
    return Bytes(bytes, size);
}

bool IsKnownId(std::int32_t id)
{
    return (id >= 0 && id < kParameterCount) || id == kDeviceLevelId;
}

// A block of values on its way to the client.
using Block = std::vector<std::pair<std::int32_t, Variant>>;

class StandInDevice
{
public:
    StandInDevice() { Reset(); }
    ~StandInDevice() { StopThread(); }

    std::mutex lock;
    // Held while a block is handed to the client, so that a disconnect can wait for it.
    std::mutex deliveryLock;
    std::condition_variable changed;

    Variant id = Text("STANDIN-0001");
    std::map<std::int32_t, Variant> values;
    bool present = true;
    bool connected = false;
    bool answerOverride = false;
    std::int32_t connectedAnswer = 0;
    bool connectFails = false;
    std::int32_t connectFailure = -1;
    std::uint32_t remoteCount = 0;
    QK::DeviceControlReceiveCallback callback = nullptr;
    void* context = nullptr;
    std::map<std::string, std::uint32_t> calls;
    void (*releaseObserver)(void*) = nullptr;
    void* releaseContext = nullptr;

    std::deque<Block> pending;
    bool delivering = false;
    bool stopping = false;
    std::thread thread;

    // Everything but the observer back as at load. Called with no lock held.
    void Reset()
    {
        StopThread();
        std::lock_guard<std::mutex> delivery(deliveryLock);
        std::lock_guard<std::mutex> guard(lock);
        values.clear();
        for (std::int32_t i = 0; i < kParameterCount; ++i)
            values[i] = InitialValue(i);
        values[kDeviceLevelId] = InitialValue(kDeviceLevelId);
        present = true;
        connected = false;
        answerOverride = false;
        connectFails = false;
        remoteCount = 0;
        callback = nullptr;
        context = nullptr;
        calls.clear();
        pending.clear();
    }

    void Count(const char* entryPoint)
    {
        std::lock_guard<std::mutex> guard(lock);
        ++calls[entryPoint];
    }

    // Under lock: whether device names this controller while it is plugged in.
    bool IsThisDevice(const Variant* device) const { return device && present && device->IsEqual(id); }
    bool IsConnectedTo(const Variant* device) const { return connected && IsThisDevice(device); }

    // Under lock: queues the current values of ids for the client.
    void Push(const std::vector<std::int32_t>& ids)
    {
        Block block;
        for (std::int32_t i : ids)
        {
            const auto found = values.find(i);
            if (found != values.end())
                block.emplace_back(i, found->second);
        }
        if (block.empty())
            return;
        pending.push_back(std::move(block));
        if (!thread.joinable())
        {
            stopping = false;
            thread = std::thread([this] { PushLoop(); });
        }
        changed.notify_all();
    }

    void StopThread()
    {
        {
            std::lock_guard<std::mutex> guard(lock);
            stopping = true;
            changed.notify_all();
        }
        if (thread.joinable())
            thread.join();
    }

private:
    // The library's own thread: hands each block to the client as one ParamValues list.
    void PushLoop()
    {
        for (;;)
        {
            {
                std::unique_lock<std::mutex> guard(lock);
                changed.wait(guard, [this] { return stopping || !pending.empty(); });
                if (stopping)
                    return;
            }
            std::lock_guard<std::mutex> delivery(deliveryLock);
            Block block;
            QK::DeviceControlReceiveCallback target = nullptr;
            void* targetContext = nullptr;
            {
                std::lock_guard<std::mutex> guard(lock);
                if (pending.empty())
                    continue;
                block = std::move(pending.front());
                pending.pop_front();
                delivering = true;
                if (connected)
                {
                    target = callback;
                    targetContext = context;
                }
            }
            if (target)
            {
                QK::ParamValues list;
                MakeList(block, list);
                target(targetContext, nullptr, &list);
            }
            std::lock_guard<std::mutex> guard(lock);
            delivering = false;
            changed.notify_all();
        }
    }

    static void MakeList(const Block& block, Variant& list)
    {
        std::vector<Variant> items(block.size());
        for (std::size_t i = 0; i < block.size(); ++i)
        {
            const Variant idValue = Int32(block[i].first);
            const Variant descriptor;
            const Variant* entries[] = {&block[i].second, &idValue, &descriptor};
            items[i].SetList(entries, 3);
        }
        list.SetList(items.data(), static_cast<std::uint32_t>(items.size()));
    }
};

StandInDevice g_device;

// Item index of a list as two 32-bit numbers (an id and a descriptor, or a range).
bool ReadPair(const Variant* list, std::uint32_t index, std::int32_t& first, std::int32_t& second)
{
    Variant item;
    Variant a;
    Variant b;
    if (!list || list->GetListItem(index, item) != 0 || item.GetListItem(0, a) != 0 || item.GetListItem(1, b) != 0)
        return false;
    first = a.ToInt32();
    second = b.ToInt32();
    return true;
}

std::vector<std::int32_t> ListedIds(const Variant* descriptors)
{
    std::vector<std::int32_t> ids;
    const std::uint32_t count = descriptors ? descriptors->GetListCount() : 0;
    for (std::uint32_t i = 0; i < count; ++i)
    {
        Variant item;
        Variant idValue;
        if (descriptors->GetListItem(i, item) == 0 && item.GetListItem(0, idValue) == 0)
            ids.push_back(idValue.ToInt32());
    }
    return ids;
}

// Out-list of (value, id, empty descriptor) items for ids, value made by make.
template <class Make> void FillValues(const std::vector<std::int32_t>& ids, Variant& out, Make make)
{
    std::vector<Variant> items;
    for (std::int32_t i : ids)
    {
        const Variant value = make(i);
        const Variant idValue = Int32(i);
        const Variant descriptor;
        const Variant* entries[] = {&value, &idValue, &descriptor};
        items.emplace_back();
        items.back().SetList(entries, 3);
    }
    out.SetList(items.data(), static_cast<std::uint32_t>(items.size()));
}

} // namespace

// ---- The entry points ---------------------------------------------------------------------

STANDIN_EXPORT std::int32_t Tuvo_FindDevices(const QK::DeviceClassGuid*, std::uint32_t, Variant* devices)
{
    g_device.Count("Tuvo_FindDevices");
    if (!devices)
        return -1;
    std::lock_guard<std::mutex> guard(g_device.lock);
    if (g_device.present)
        devices->SetList(&g_device.id, 1);
    else
        devices->SetList(static_cast<const Variant*>(nullptr), 0);
    return 0;
}

#ifndef DEVICE_CONTROL_STANDIN_PARTIAL
static void FillDeviceList(std::uint32_t count, const char* prefix, Variant& out)
{
    std::vector<Variant> items(count);
    for (std::uint32_t i = 0; i < count; ++i)
        items[i] = Text((prefix + std::to_string(i + 1)).c_str());
    out.SetList(items.data(), count);
}

STANDIN_EXPORT std::int32_t Tuvo_FindRemoteDevices(const QK::DeviceClassGuid*, std::uint32_t, Variant* devices,
                                                   std::int32_t mode, std::int32_t, std::int32_t, std::int32_t,
                                                   std::int32_t, std::int32_t)
{
    g_device.Count("Tuvo_FindRemoteDevices");
    if (!devices)
        return -1;
    std::lock_guard<std::mutex> guard(g_device.lock);
    FillDeviceList(g_device.remoteCount, "REMOTE-", *devices);
    return mode == 1 ? 1 : 0;
}
#endif

STANDIN_EXPORT std::int32_t Tuvo_ConnectDevice(const Variant* device, QK::DeviceControlReceiveCallback callback,
                                               void* context)
{
    g_device.Count("Tuvo_ConnectDevice");
    std::lock_guard<std::mutex> guard(g_device.lock);
    if (!g_device.IsThisDevice(device))
        return -1;
    if (g_device.connectFails)
        return g_device.connectFailure;
    g_device.connected = true;
    g_device.callback = callback;
    g_device.context = context;
    return 0;
}

STANDIN_EXPORT std::int32_t Tuvo_RequestParamRanges(const Variant* device, const QK::ParamRanges* ranges)
{
    g_device.Count("Tuvo_RequestParamRanges");
    std::lock_guard<std::mutex> guard(g_device.lock);
    if (!g_device.IsConnectedTo(device) || !ranges)
        return -1;
    std::vector<std::int32_t> ids;
    const std::uint32_t count = ranges->GetListCount();
    for (std::uint32_t i = 0; i < count; ++i)
    {
        std::int32_t first = 0;
        std::int32_t length = 0;
        if (ReadPair(ranges, i, first, length))
            for (std::int32_t k = 0; k < length && k < 4096; ++k)
                ids.push_back(first + k);
    }
    g_device.Push(ids);
    return 0;
}

STANDIN_EXPORT std::int32_t Tuvo_RequestParamValues(const Variant* device, const QK::ParamDescriptors* descriptors)
{
    g_device.Count("Tuvo_RequestParamValues");
    std::lock_guard<std::mutex> guard(g_device.lock);
    if (!g_device.IsConnectedTo(device) || !descriptors)
        return -1;
    g_device.Push(ListedIds(descriptors));
    return 0;
}

STANDIN_EXPORT std::int32_t Tuvo_GetParamRanges(const Variant* device, const QK::ParamDescriptors* descriptors,
                                                QK::ParamValues* ranges)
{
    g_device.Count("Tuvo_GetParamRanges");
    std::lock_guard<std::mutex> guard(g_device.lock);
    if (!g_device.IsConnectedTo(device) || !descriptors || !ranges)
        return -1;
    FillValues(ListedIds(descriptors), *ranges,
               [](std::int32_t i)
               {
                   const std::uint32_t size = ParameterSize(i);
                   const Variant minimum = Int32(size == 16 ? 32 : 0);
                   const Variant maximum = Int32(size == 16 ? 126 : size == 2 ? 16383 : 127);
                   const Variant* bounds[] = {&minimum, &maximum};
                   Variant range;
                   range.SetList(bounds, 2);
                   return range;
               });
    return 0;
}

STANDIN_EXPORT std::int32_t Tuvo_GetParamValues(const Variant* device, const QK::ParamDescriptors* descriptors,
                                                QK::ParamValues* values)
{
    g_device.Count("Tuvo_GetParamValues");
    std::lock_guard<std::mutex> guard(g_device.lock);
    if (!g_device.IsConnectedTo(device) || !descriptors || !values)
        return -1;
    FillValues(ListedIds(descriptors), *values,
               [](std::int32_t i)
               {
                   const auto found = g_device.values.find(i);
                   return found == g_device.values.end() ? Variant() : found->second;
               });
    return 0;
}

STANDIN_EXPORT std::int32_t Tuvo_GetParamValue(const Variant* device, const QK::ParamDescriptor* descriptor,
                                               Variant* value)
{
    g_device.Count("Tuvo_GetParamValue");
    if (!descriptor || !value)
        return -1;
    std::lock_guard<std::mutex> guard(g_device.lock);
    switch (descriptor->id)
    {
    case -2:
    {
        const bool available = true;
        value->SetData(QK::kVariantBool, &available, 1);
        return 0;
    }
    case -9:
        *value = Text("Quenmar Stand-in Works");
        return 0;
    case -10:
        *value = Text("Stand-in Controller");
        return 0;
    default:
        break;
    }
    if (!g_device.IsConnectedTo(device))
        return -1;
    const auto found = g_device.values.find(descriptor->id);
    if (found == g_device.values.end())
        return -1;
    *value = found->second;
    return 0;
}

#ifndef DEVICE_CONTROL_STANDIN_PARTIAL
STANDIN_EXPORT std::int32_t Tuvo_SetParamValue(const Variant* device, const QK::ParamDescriptor* descriptor,
                                               const Variant* value)
{
    g_device.Count("Tuvo_SetParamValue");
    if (!descriptor || !value)
        return -1;
    std::lock_guard<std::mutex> guard(g_device.lock);
    if (!g_device.IsConnectedTo(device) || !IsKnownId(descriptor->id))
        return -1;
    g_device.values[descriptor->id] = *value;
    return 0;
}
#endif

STANDIN_EXPORT std::int32_t Tuvo_SetParamValues(const Variant* device, const QK::ParamValues* values)
{
    g_device.Count("Tuvo_SetParamValues");
    std::lock_guard<std::mutex> guard(g_device.lock);
    if (!g_device.IsConnectedTo(device) || !values)
        return -1;
    const std::uint32_t count = values->GetListCount();
    for (std::uint32_t i = 0; i < count; ++i)
    {
        Variant item;
        Variant value;
        Variant idValue;
        if (values->GetListItem(i, item) != 0 || item.GetListItem(0, value) != 0 || item.GetListItem(1, idValue) != 0)
            return -1;
        if (IsKnownId(idValue.ToInt32()))
            g_device.values[idValue.ToInt32()] = value;
    }
    return 0;
}

STANDIN_EXPORT std::int32_t Tuvo_DisconnectDevice(const Variant* device)
{
    g_device.Count("Tuvo_DisconnectDevice");
    // Waits for a block being handed over, so that no callback runs once this returns.
    std::lock_guard<std::mutex> delivery(g_device.deliveryLock);
    std::lock_guard<std::mutex> guard(g_device.lock);
    if (!device || !device->IsEqual(g_device.id))
        return -1;
    g_device.connected = false;
    g_device.callback = nullptr;
    g_device.context = nullptr;
    return 0;
}

STANDIN_EXPORT std::int32_t Tuvo_IsDeviceConnected(const Variant* device, std::int32_t, std::uint32_t)
{
    g_device.Count("Tuvo_IsDeviceConnected");
    std::lock_guard<std::mutex> guard(g_device.lock);
    if (g_device.answerOverride)
        return g_device.connectedAnswer;
    return g_device.IsConnectedTo(device) ? 0 : 1;
}

#ifndef DEVICE_CONTROL_STANDIN_PARTIAL
STANDIN_EXPORT std::int32_t Tuvo_GetDeviceInfo(const Variant* device, QK::DeviceInfoBlock* info, std::int32_t)
{
    g_device.Count("Tuvo_GetDeviceInfo");
    std::lock_guard<std::mutex> guard(g_device.lock);
    if (!info || !device || !device->IsEqual(g_device.id))
        return -1;
    std::memset(info->bytes, 0, sizeof info->bytes);
    std::memcpy(info->bytes, "Stand-in Controller", 19);
    info->bytes[QK::kDeviceInfoPresentOffset] = g_device.present ? 1 : 0;
    return 0;
}
#endif

STANDIN_EXPORT std::int32_t Tuvo_ReleaseAll()
{
    void (*observer)(void*) = nullptr;
    void* context = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_device.lock);
        observer = g_device.releaseObserver;
        context = g_device.releaseContext;
    }
    g_device.Reset();
    if (observer)
        observer(context);
    return 0;
}

// ---- Test controls ------------------------------------------------------------------------

STANDIN_EXPORT std::int32_t StandIn_ChangeParamValue(std::int32_t id, const std::uint8_t* bytes, std::uint32_t count)
{
    std::lock_guard<std::mutex> guard(g_device.lock);
    if (!IsKnownId(id))
        return -1;
    g_device.values[id] = Bytes(bytes, count);
    g_device.Push({id});
    return 0;
}

STANDIN_EXPORT void StandIn_SetPresent(std::int32_t present)
{
    std::lock_guard<std::mutex> guard(g_device.lock);
    g_device.present = present != 0;
}

STANDIN_EXPORT void StandIn_SetConnectedAnswer(std::int32_t active, std::int32_t result)
{
    std::lock_guard<std::mutex> guard(g_device.lock);
    g_device.answerOverride = active != 0;
    g_device.connectedAnswer = result;
}

STANDIN_EXPORT void StandIn_SetConnectFailure(std::int32_t active, std::int32_t result)
{
    std::lock_guard<std::mutex> guard(g_device.lock);
    g_device.connectFails = active != 0;
    g_device.connectFailure = result;
}

STANDIN_EXPORT void StandIn_SetRemoteDeviceCount(std::uint32_t count)
{
    std::lock_guard<std::mutex> guard(g_device.lock);
    g_device.remoteCount = count;
}

STANDIN_EXPORT std::uint32_t StandIn_GetCallCount(const char* entryPoint)
{
    std::lock_guard<std::mutex> guard(g_device.lock);
    const auto found = g_device.calls.find(entryPoint ? entryPoint : "");
    return found == g_device.calls.end() ? 0 : found->second;
}

STANDIN_EXPORT void StandIn_WaitUntilDelivered()
{
    std::unique_lock<std::mutex> guard(g_device.lock);
    g_device.changed.wait(guard, [] { return g_device.pending.empty() && !g_device.delivering; });
}

STANDIN_EXPORT void StandIn_SetReleaseObserver(void (*observer)(void*), void* context)
{
    std::lock_guard<std::mutex> guard(g_device.lock);
    g_device.releaseObserver = observer;
    g_device.releaseContext = context;
}
