// The application's engine: start-up, publication, announcements of real changes only, the
// change requests of the user interface, and values pushed through the delivery thread.
#include "DeviceControl/GeneratedCode/Engine/Inc/PresetEditorAppEngine.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceCommunicationInterfaceT.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/ParamLists.h"
#include "tests/DeviceControl/DeviceEngineTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace QK
{
namespace
{

using namespace TestSupport;

constexpr const char16_t* kStateChange = u"NID_PARAM_MODULE_STATE_CHANGE";
constexpr const char16_t* kConnectionChange = u"NID_DEVICE_CONNECTION_STATE_CHANGE";

// The changes a state-change notification carries, one or many.
std::vector<Item> ChangesOf(const NotificationRecorder::Record& record)
{
    if (const auto pair = ConstRCPtr<LParamValuePair>::DynamicCast(record.argument))
        return {Item{pair->key.id, pair->value, pair->key.descriptor}};
    if (const auto list = ConstRCPtr<LWrapper<ParamValues>>::DynamicCast(record.argument))
        return ItemsOf(*list);
    ADD_FAILURE() << "unexpected argument";
    return {};
}

std::vector<Item> AllChanges(const NotificationRecorder& recorder)
{
    std::vector<Item> all;
    for (const auto& record : recorder.Named(kStateChange))
        for (const Item& item : ChangesOf(record))
            all.push_back(item);
    return all;
}

class AppEngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_engine = LPresetEditorAppEngine::Create();
        ASSERT_EQ(m_engine->Initialize(0), 0);
    }

    void TearDown() override { m_engine = nullptr; }

    NotificationRecorder m_recorder;
    RCPtr<LPresetEditorAppEngine> m_engine;
};

TEST_F(AppEngineTest, StartUpPublishesAllValuesOnceAndReportsConnected)
{
    // Everything is posted: nothing reaches the UI before its idle pass.
    EXPECT_TRUE(m_recorder.All().empty());
    EXPECT_EQ(m_engine->GetDeviceConnectionState(), LRootModuleEngine::kConnected);
    m_recorder.Dispatch();

    const auto published = m_recorder.Named(kStateChange);
    ASSERT_EQ(published.size(), 1u);
    const auto list = ConstRCPtr<LWrapper<ParamValues>>::DynamicCast(published[0].argument);
    ASSERT_TRUE(list);
    const std::vector<Item> items = ItemsOf(*list);
    ASSERT_EQ(items.size(), 79u);
    std::uint32_t bytes = 0;
    for (std::int32_t i = 0; i < 79; ++i)
    {
        EXPECT_EQ(items[i].id, i);
        EXPECT_EQ(items[i].value.GetKind(), kVariantBytes) << i;
        bytes += items[i].value.GetLength();
    }
    EXPECT_EQ(bytes, 215u);
    EXPECT_TRUE(items[0].value.IsEqual(ByteValue({'P', 'R', 'E', 'S', 'E', 'T', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '})));
    EXPECT_TRUE(items[13].value.IsEqual(ByteValue({0x00, 0x70})));
    EXPECT_TRUE(items[29].value.IsEqual(ByteValue({32})));

    const auto states = m_recorder.Named(kConnectionChange);
    ASSERT_EQ(states.size(), 1u);
    const auto state = ConstRCPtr<LHolder<LRootModuleEngine::DeviceConnectionState>>::DynamicCast(states[0].argument);
    ASSERT_TRUE(state);
    EXPECT_EQ(state->GetValue(), LRootModuleEngine::kConnected);

    // The start-up opens no library.
    EXPECT_EQ(DeviceControlClientInterface::GetInstanceCount(), 0);
    EXPECT_FALSE(m_engine->GetDeviceCommunication()->HasClient());
}

TEST_F(AppEngineTest, OnlyRealChangesAreAnnounced)
{
    m_recorder.Dispatch();
    m_recorder.Clear();

    const ParamDescriptor octave(4);
    EXPECT_EQ(m_engine->SetParamValue(octave, ByteValue({5})), 0);
    m_recorder.Dispatch();
    auto changes = AllChanges(m_recorder);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].id, 4);
    EXPECT_TRUE(changes[0].value.IsEqual(ByteValue({5})));
    Variant read;
    EXPECT_EQ(m_engine->GetParamValue(octave, read), 0);
    EXPECT_TRUE(read.IsEqual(ByteValue({5})));

    // The same value again, an empty value: nothing to announce, nothing changes.
    m_recorder.Clear();
    EXPECT_EQ(m_engine->SetParamValue(octave, ByteValue({5})), 0);
    EXPECT_EQ(m_engine->SetParamValue(octave, Variant()), 0);
    m_recorder.Dispatch();
    EXPECT_TRUE(m_recorder.All().empty());
    EXPECT_EQ(m_engine->GetParamValue(octave, read), 0);
    EXPECT_TRUE(read.IsEqual(ByteValue({5})));
}

TEST_F(AppEngineTest, TheUsersChangeRequestSetsTheValue)
{
    m_recorder.Dispatch();
    m_recorder.Clear();
    const auto request = LNotification::Create(
        u"NID_PARAM_MODULE_CHANGE_REQ", ConstRCPtr<LRefCountedObject>(new LParamValuePair(ParamDescriptor(71), ByteValue({90}))));
    ASSERT_EQ(GetDefaultNotificationCenter()->PostNotification(request), 0);
    m_recorder.Dispatch();
    const auto changes = AllChanges(m_recorder);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].id, 71);
    EXPECT_TRUE(changes[0].value.IsEqual(ByteValue({90})));
}

TEST_F(AppEngineTest, PublicationPostsPairsForOneOrTwoValuesAndOneListForMore)
{
    m_recorder.Dispatch();
    struct Case
    {
        std::vector<std::int32_t> ids;
        std::size_t notifications;
        bool list;
    };
    for (const Case& c : {Case{{}, 0, false}, Case{{3}, 1, false}, Case{{3, 4}, 2, false}, Case{{3, 4, 5}, 1, true}})
    {
        m_recorder.Clear();
        std::vector<ParamDescriptor> descriptors;
        for (std::int32_t id : c.ids)
            descriptors.emplace_back(id);
        ParamDescriptors list;
        MakeParamDescriptors(descriptors.data(), static_cast<std::uint32_t>(descriptors.size()), list);
        EXPECT_EQ(m_engine->PublishParamValues(list), 0);
        m_recorder.Dispatch();
        const auto posted = m_recorder.Named(kStateChange);
        ASSERT_EQ(posted.size(), c.notifications) << c.ids.size() << " values";
        for (const auto& record : posted)
            EXPECT_EQ(static_cast<bool>(ConstRCPtr<LWrapper<ParamValues>>::DynamicCast(record.argument)), c.list);
        const auto changes = AllChanges(m_recorder);
        ASSERT_EQ(changes.size(), c.ids.size());
        for (std::size_t i = 0; i < changes.size(); ++i)
            EXPECT_EQ(changes[i].id, c.ids[i]);
    }
}

TEST_F(AppEngineTest, FillParamValuesWritesAFromPositionOnAndGrows)
{
    Array<ParamValue> values;
    values.SetCount(2);
    EXPECT_EQ(m_engine->FillParamValues(4, 2, values, 1), 0);
    ASSERT_EQ(values.GetCount(), 3u);
    EXPECT_EQ(values.GetAt(0)->id, -1);
    EXPECT_EQ(values.GetAt(1)->id, 4);
    EXPECT_TRUE(values.GetAt(1)->value.IsEqual(ByteValue({4})));
    EXPECT_EQ(values.GetAt(2)->id, 5);
    EXPECT_TRUE(values.GetAt(2)->value.IsEqual(ByteValue({12})));

    EXPECT_EQ(m_engine->FillParamValues(13, 1, values, -1), 0);
    ASSERT_EQ(values.GetCount(), 1u);
    EXPECT_EQ(values.GetAt(0)->id, 13);
    EXPECT_TRUE(values.GetAt(0)->value.IsEqual(ByteValue({0x00, 0x70})));
}

TEST_F(AppEngineTest, SpecialIdsAreAnsweredByTheCommunicationObject)
{
    Variant value;
    ASSERT_EQ(m_engine->GetParamValue(ParamDescriptor(-10), value), 0);
    ASSERT_EQ(value.GetKind(), kVariantText);
    EXPECT_STREQ(value.GetOwnedBuffer(), "Vedidu Editor");
}

// Values pushed by the library travel through the delivery thread into the root module and
// come out as announcements on the UI thread.
TEST_F(AppEngineTest, PushedValuesAreStoredAndAnnouncedAndUnreadableItemsSkipped)
{
    m_recorder.Dispatch();
    m_recorder.Clear();
    const auto comm = RCPtr<LDeviceCommunicationInterface>::DynamicCast(m_engine->GetDeviceCommunication());
    ASSERT_TRUE(comm);

    // Three items: pad 0's note, an item that is no (value, id, descriptor) list, the
    // arpeggiator's mode.
    ParamValue pad;
    pad.id = 21;
    pad.value = ByteValue({40});
    ParamValue mode;
    mode.id = 7;
    mode.value = ByteValue({2});
    ParamValues good;
    const ParamValue both[] = {pad, mode};
    MakeParamValues(both, 2, good);
    Variant first;
    Variant second;
    good.GetListItem(0, first);
    good.GetListItem(1, second);
    const Variant broken = ByteValue({1, 2, 3});
    const Variant* items[] = {&first, &broken, &second};
    ParamValues block;
    block.SetList(items, 3);

    LDeviceCommunicationInterface::OnParamValuesReceived(comm.Get(), nullptr, &block);
    ASSERT_TRUE(m_recorder.DispatchUntil(kStateChange, [](const auto& record) { return ChangesOf(record)[0].id == 7; }));
    const auto changes = AllChanges(m_recorder);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].id, 21);
    EXPECT_EQ(changes[1].id, 7);
    Variant read;
    m_engine->GetParamValue(ParamDescriptor(21), read);
    EXPECT_TRUE(read.IsEqual(ByteValue({40})));
}

TEST(AppEngineAccess, TheApplicationsEngineIsReachableWhileSet)
{
    EXPECT_FALSE(GetRootModuleEngine());
    const auto engine = LPresetEditorAppEngine::Create();
    SetRootModuleEngine(ConstRCPtr<LRootModuleEngine>(engine.Get()));
    EXPECT_EQ(GetRootModuleEngine().Get(), engine.Get());
    SetRootModuleEngine(nullptr);
    EXPECT_FALSE(GetRootModuleEngine());
}

} // namespace
} // namespace QK
