// The binding to the device-control library, with the stand-in library. This executable
// lives in the stand-in's folder, so the library "beside the executable" is the stand-in.
#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceControlClientInterface.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/ParamLists.h"
#include "tests/support/DeviceControlStandIn.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace QK
{
namespace
{

using TestSupport::DeviceControlStandIn;
using TestSupport::DeviceControlStandInPath;
using TestSupport::DriversKeyStore;
using TestSupport::IsLibraryLoaded;
using TestSupport::PartialDeviceControlStandInPath;

std::unique_ptr<DeviceControlClientInterface> MakeClient(const std::string& path)
{
    const WString wide(path.c_str());
    return std::make_unique<DeviceControlClientInterface>(wide.GetString());
}

// The binding as the communication object makes it: from the key store's path, or from
// beside the executable when the key store names none.
std::unique_ptr<DeviceControlClientInterface> MakeLocatedClient()
{
    const WString path = DeviceControlClientInterface::LocateClientLibrary();
    return std::make_unique<DeviceControlClientInterface>(path.IsEmpty() ? nullptr : path.GetString());
}

std::string FolderOf(const std::string& path)
{
    return path.substr(0, path.rfind('/'));
}

Variant Bytes(std::initializer_list<std::uint8_t> bytes)
{
    Variant value;
    value.SetBytes(std::data(bytes), static_cast<std::uint32_t>(bytes.size()));
    return value;
}

// What the receive callback was given, and on which thread.
struct Received
{
    std::mutex lock;
    std::vector<std::pair<std::int32_t, Variant>> items;
    std::vector<std::thread::id> threads;

    static void Callback(void* context, void*, const ParamValues* values)
    {
        if (!context)
            return;
        auto& self = *static_cast<Received*>(context);
        std::lock_guard<std::mutex> guard(self.lock);
        self.threads.push_back(std::this_thread::get_id());
        for (std::uint32_t i = 0; i < values->GetListCount(); ++i)
        {
            Variant item;
            Variant value;
            Variant id;
            if (values->GetListItem(i, item) == 0 && item.GetListItem(0, value) == 0 && item.GetListItem(1, id) == 0)
                self.items.emplace_back(id.ToInt32(), value);
        }
    }
};

// The stand-in's one device, as its search reports it.
Variant FindTheDevice(DeviceControlClientInterface& client)
{
    Variant devices;
    EXPECT_EQ(client.FindDevices(nullptr, 0, &devices), 0);
    EXPECT_EQ(devices.GetListCount(), 1u);
    Variant device;
    devices.GetListItem(0, device);
    return device;
}

struct LocateCase
{
    const char* name;
    // Key store values; "<standin>" stands for the stand-in's folder, "<missing>" for a
    // folder without the library.
    std::optional<std::string> softwarePath;
    std::optional<std::string> deviceInterfaceLib;
    bool loaded;
};

void PrintTo(const LocateCase& c, std::ostream* out)
{
    *out << c.name;
}

std::optional<std::string> Expand(const std::optional<std::string>& value)
{
    if (value == "<standin>")
        return FolderOf(DeviceControlStandInPath());
    if (value == "<partial>")
        return FolderOf(PartialDeviceControlStandInPath());
    if (value == "<missing>")
        return FolderOf(DeviceControlStandInPath()) + "/no-such-folder";
    return value;
}

class LocateTest : public ::testing::TestWithParam<LocateCase>
{
};

// Which library ends up loaded: the key store's, the one beside the executable (the
// stand-in), or none; a path that fails never falls back to the executable's folder.
TEST_P(LocateTest, LoadsTheLibraryTheKeyStoreNamesOrTheOneBesideTheExecutable)
{
    const LocateCase& c = GetParam();
    DriversKeyStore keys(Expand(c.softwarePath), c.deviceInterfaceLib);
    const auto client = MakeLocatedClient();
    EXPECT_EQ(client->IsLibraryLoaded(), c.loaded);
    const bool fromRegistry = c.softwarePath == "<partial>" && c.deviceInterfaceLib;
    EXPECT_EQ(IsLibraryLoaded(DeviceControlStandInPath()), c.loaded && !fromRegistry);
    EXPECT_EQ(IsLibraryLoaded(PartialDeviceControlStandInPath()), c.loaded && fromRegistry);
}

INSTANTIATE_TEST_SUITE_P(
    KeyStore, LocateTest,
    ::testing::Values(LocateCase{"BothValues", "<partial>", "libDeviceControlClient.so", true},
                      LocateCase{"NoValues", std::nullopt, std::nullopt, true},
                      LocateCase{"OnlySoftwarePath", "<partial>", std::nullopt, true},
                      LocateCase{"OnlyDeviceInterfaceLib", std::nullopt, "libDeviceControlClient.so", true},
                      LocateCase{"MissingFolder", "<missing>", "libDeviceControlClient.so", false},
                      LocateCase{"MissingFile", "<standin>", "libNoSuchClient.so", false},
                      LocateCase{"RelativeFolder", "devicelib", "libDeviceControlClient.so", false}),
    [](const ::testing::TestParamInfo<LocateCase>& info) { return info.param.name; });

TEST(DeviceControlClientLocate, JoinsTheFolderAndTheFileNameWithOneSeparator)
{
    DriversKeyStore keys(std::string("/opt/quenmar/audio"), std::string("libDeviceControlClient.so"));
    EXPECT_STREQ(NString(DeviceControlClientInterface::LocateClientLibrary().GetString()).GetString(),
                 "/opt/quenmar/audio/libDeviceControlClient.so");
}

TEST(DeviceControlClientLocate, TakesOnlyTextValues)
{
    TestSupport::TempFolder folder;
    folder.WriteFile("registry.ini", "[HKLM\\Software\\Quenmar\\Audio\\Drivers]\n"
                                     "\"SoftwarePath\"=dword:00000001\n"
                                     "\"DeviceInterfaceLib\"=string:libDeviceControlClient.so\n");
    DriversKeyStore keys(std::nullopt, std::nullopt);
    ::setenv("VEDIDU_REGISTRY_DIR", folder.Path().c_str(), 1);
    EXPECT_TRUE(DeviceControlClientInterface::LocateClientLibrary().IsEmpty());
}

TEST(DeviceControlClient, BindsTheLibraryAndPassesRequestsThrough)
{
    DriversKeyStore keys = DriversKeyStore::ForLibrary(DeviceControlStandInPath());
    const auto client = MakeLocatedClient();
    ASSERT_TRUE(client->IsLibraryLoaded());
    const DeviceControlStandIn standIn;
    ASSERT_TRUE(standIn.IsLoaded());

    const Variant device = FindTheDevice(*client);
    Received received;
    ASSERT_EQ(client->ConnectDevice(&device, &Received::Callback, &received), 0);
    EXPECT_TRUE(client->IsDeviceConnected(&device, 1, 500));

    // A set reaches the device, and a value request comes back through the callback from
    // the library's own thread.
    ParamDescriptor pad(21);
    const Variant note = Bytes({0x30});
    EXPECT_EQ(client->SetParamValue(&device, &pad, &note), 0);
    Variant read;
    EXPECT_EQ(client->GetParamValue(&device, &pad, &read), 0);
    EXPECT_TRUE(read.IsEqual(note));
    EXPECT_EQ(client->RequestParamValuesByDescriptors(&device, &pad), 0);
    standIn.WaitUntilDelivered();
    {
        std::lock_guard<std::mutex> guard(received.lock);
        ASSERT_EQ(received.items.size(), 1u);
        EXPECT_EQ(received.items[0].first, 21);
        EXPECT_TRUE(received.items[0].second.IsEqual(note));
        EXPECT_NE(received.threads[0], std::this_thread::get_id());
    }
    EXPECT_EQ(standIn.GetCallCount("Tuvo_RequestParamValues"), 1u);

    EXPECT_EQ(client->DisconnectDevice(&device), 0);
    EXPECT_FALSE(client->IsDeviceConnected(&device, 1, 500));
}

TEST(DeviceControlClient, PassesTheLibrarysFailuresThroughUnchanged)
{
    const auto client = MakeClient(DeviceControlStandInPath());
    Variant stranger;
    stranger.SetString("SOMEONE-ELSE");
    ParamDescriptor pad(21);
    Variant value;
    EXPECT_EQ(client->ConnectDevice(&stranger, &Received::Callback, nullptr), -1);
    EXPECT_EQ(client->GetParamValue(&stranger, &pad, &value), -1);
    EXPECT_EQ(client->DisconnectDevice(&stranger), -1);
}

// Only an answer of exactly 0 means connected.
TEST(DeviceControlClient, IsDeviceConnectedOnlyForAnAnswerOfZero)
{
    const auto client = MakeClient(DeviceControlStandInPath());
    const DeviceControlStandIn standIn;
    const Variant device = FindTheDevice(*client);
    for (const auto& [answer, connected] : {std::pair{0, true}, {1, false}, {-1, false}, {-3, false}})
    {
        standIn.SetConnectedAnswer(answer);
        EXPECT_EQ(client->IsDeviceConnected(&device, 1, 500), connected) << "answer " << answer;
    }
}

// Every wrapper, called the way its one caller calls it.
const std::vector<std::pair<const char*, std::function<QKRESULT(DeviceControlClientInterface&)>>>& Wrappers()
{
    static const Variant device = [] {
        Variant id;
        id.SetString("STANDIN-0001");
        return id;
    }();
    static const std::vector<std::pair<const char*, std::function<QKRESULT(DeviceControlClientInterface&)>>> wrappers{
        {"FindDevices", [](DeviceControlClientInterface& c) { Variant list; return c.FindDevices(nullptr, 0, &list); }},
        {"FindRemoteDevices",
         [](DeviceControlClientInterface& c)
         {
             Variant list;
             return c.FindRemoteDevices(nullptr, 0, &list, 1, 0, 1, 1, 0, 0);
         }},
        {"ConnectDevice",
         [](DeviceControlClientInterface& c) { return c.ConnectDevice(&device, &Received::Callback, nullptr); }},
        {"RequestParamRanges",
         [](DeviceControlClientInterface& c)
         {
             ParamRanges ranges;
             return c.RequestParamRanges(&device, &ranges);
         }},
        {"RequestParamValues",
         [](DeviceControlClientInterface& c)
         {
             ParamDescriptors list;
             return c.RequestParamValues(&device, &list);
         }},
        {"RequestParamValuesByDescriptors",
         [](DeviceControlClientInterface& c)
         {
             ParamDescriptor descriptor(-8);
             return c.RequestParamValuesByDescriptors(&device, &descriptor);
         }},
        {"GetParamRanges",
         [](DeviceControlClientInterface& c)
         {
             ParamDescriptors list;
             ParamValues out;
             return c.GetParamRanges(&device, &list, &out);
         }},
        {"GetParamValues",
         [](DeviceControlClientInterface& c)
         {
             ParamDescriptors list;
             ParamValues out;
             return c.GetParamValues(&device, &list, &out);
         }},
        {"GetParamValue",
         [](DeviceControlClientInterface& c)
         {
             ParamDescriptor descriptor(-10);
             Variant out;
             return c.GetParamValue(&device, &descriptor, &out);
         }},
        {"SetParamValue",
         [](DeviceControlClientInterface& c)
         {
             ParamDescriptor descriptor(5);
             const Variant value = Bytes({12});
             return c.SetParamValue(&device, &descriptor, &value);
         }},
        {"SetParamValues",
         [](DeviceControlClientInterface& c)
         {
             ParamValues values;
             return c.SetParamValues(&device, &values);
         }},
        {"DisconnectDevice", [](DeviceControlClientInterface& c) { return c.DisconnectDevice(&device); }},
        {"GetDeviceInfo",
         [](DeviceControlClientInterface& c)
         {
             DeviceInfoBlock info{};
             return c.GetDeviceInfo(&device, &info, 0);
         }},
    };
    return wrappers;
}

TEST(DeviceControlClient, WithoutTheLibraryEveryCallAnswersMinusOne)
{
    const auto client = MakeClient(FolderOf(DeviceControlStandInPath()) + "/no-such-library.so");
    EXPECT_FALSE(client->IsLibraryLoaded());
    for (const auto& [name, call] : Wrappers())
        EXPECT_EQ(call(*client), -1) << name;
    const Variant device;
    EXPECT_FALSE(client->IsDeviceConnected(&device, 1, 500));
}

TEST(DeviceControlClient, AnEntryPointTheLibraryLacksAnswersMinusOneAndTheOthersWork)
{
    const auto client = MakeClient(PartialDeviceControlStandInPath());
    ASSERT_TRUE(client->IsLibraryLoaded());
    const std::vector<std::string> lacking{"FindRemoteDevices", "SetParamValue", "GetDeviceInfo"};
    for (const auto& [name, call] : Wrappers())
    {
        const bool lacks = std::find(lacking.begin(), lacking.end(), name) != lacking.end();
        if (lacks)
            EXPECT_EQ(call(*client), -1) << name;
        else
            EXPECT_NE(call(*client), -1) << name;
    }
}

void CountRelease(void* context)
{
    ++*static_cast<int*>(context);
}

TEST(DeviceControlClient, TheLastInstanceReleasesTheLibrary)
{
    const std::int32_t before = DeviceControlClientInterface::GetInstanceCount();
    auto first = MakeClient(DeviceControlStandInPath());
    auto second = MakeClient(DeviceControlStandInPath());
    EXPECT_EQ(DeviceControlClientInterface::GetInstanceCount(), before + 2);
    int releases = 0;
    DeviceControlStandIn(DeviceControlStandInPath()).SetReleaseObserver(&CountRelease, &releases);

    first.reset();
    EXPECT_EQ(releases, 0);
    EXPECT_TRUE(IsLibraryLoaded(DeviceControlStandInPath()));

    second.reset();
    EXPECT_EQ(releases, 1);
    EXPECT_FALSE(IsLibraryLoaded(DeviceControlStandInPath()));
    EXPECT_EQ(DeviceControlClientInterface::GetInstanceCount(), before);
}

} // namespace
} // namespace QK
