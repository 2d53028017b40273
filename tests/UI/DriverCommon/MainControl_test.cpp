// The main control: the get and send reports (which box for which result), the required
// device view, change notices routed by id to the panel that shows them (one value or a
// list, the engine's control items and empty values left alone, a damaged list applying
// nothing) and the echo rule between a panel and the engine.
#include "UI/DriverCommon/MainControl.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/Pad.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/ParamLists.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/PresetEditorAppEngine.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleEngine.h"
#include "QKFramework/Application/FrameworkApp.h"
#include "QKFramework/Controls/Panel.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/ObjectBase/Wrapper.h"

#include "tests/support/Editor/EditorTree.h"
#include "tests/support/ValueRecords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace QK
{
namespace
{

using TestSupport::EditorTree;
using TestSupport::FakeWindowSystem;

// A pad panel that writes down what it is shown and may hand it straight back as an edit,
// as an editor that announces its value synchronously does.
class RecordingPad : public LPanel, public LPad
{
public:
    RecordingPad(LControl* parent, const WString& name) : LPanel(parent, name) {}

    QKRESULT SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value, bool) override
    {
        shown.push_back({descriptor.id, TestSupport::DataOf(value)});
        if (echo)
            if (auto* main = dynamic_cast<LMainControl*>(GetRootControl()))
                main->RequestParamValueChange(descriptor, value, 0);
        return QK_OK;
    }

    struct Shown
    {
        std::int32_t id;
        TestSupport::Bytes bytes;
        bool operator==(const Shown&) const = default;
    };
    std::vector<Shown> shown;
    bool echo = false;
};

void RegisterRecordingPads(LControlFactory& factory)
{
    factory.RegisterControlClass(WString(u"PresetEditor.Pad"), &CreateFrameworkControl<RecordingPad>);
}

Variant Byte(std::uint8_t value)
{
    return TestSupport::Make(kVariantBytes, {value});
}

// --- Reports ----------------------------------------------------------------------------------

const std::u16string kGetFailed = u"Retrieve Favorite Error";
const std::u16string kGetMidiError = u"Error retrieving program from device.  Connect controller and try again.";
const std::u16string kGetFirmware =
    u"The firmware version of your Dozavod Professional Vedidu needs to be updated. Visit the Dozavod Professional "
    u"website for the latest firmware updates.";
const std::u16string kSendFailed = u"Send Favorite Error";
const std::u16string kSendMidiError = u"Error connecting to device. Verify your Dozavod Professional Vedidu is "
                                      u"connected to the computer and try again.";

TEST(MainControlReportTest, EachResultShowsItsBoxAndNoFailureIsReportedAsSuccess)
{
    struct Case
    {
        bool send;
        QKRESULT result;
        std::u16string caption;
        std::u16string text;
    };
    const Case cases[] = {
        {false, 0, u"Retrieve Favorite", u"The favorite has been successfully retrieved."},
        {false, -1, kGetFailed, kGetMidiError},
        {false, -2, kGetFailed, kGetFirmware},
        {false, -3, kGetFailed, kGetMidiError},
        {false, QK_E_FAIL, kGetFailed, kGetMidiError},
        {true, 224, u"Send Favorite Success", u"Favorite has been sent successfully to the device."},
        {true, -1, kSendFailed, kSendMidiError},
        {true, -2, kSendFailed, u"The firmware version of the device is not compatible. "},
        {true, QK_E_FAIL, kSendFailed, kSendMidiError},
    };
    EditorTree tree;
    ASSERT_GE(tree.started, 0);
    std::int32_t preset = 0;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.send) + " " + std::to_string(c.result));
        preset = (preset + 1) % 9;
        tree.system.messages.clear();
        tree.midi->gets.clear();
        tree.midi->sends.clear();
        tree.midi->getResult = c.result;
        tree.midi->sendResult = c.result;
        const QKRESULT answered =
            c.send ? SendPresetToDeviceAndReport(preset) : GetPresetFromDeviceAndReport(preset);
        EXPECT_EQ(answered, c.result) << "the manager's result comes back unchanged";
        EXPECT_EQ(c.send ? tree.midi->sends : tree.midi->gets, std::vector<std::int32_t>{preset});
        ASSERT_EQ(tree.system.messages.size(), 1u);
        EXPECT_EQ(tree.system.messages[0].caption, c.caption);
        EXPECT_EQ(tree.system.messages[0].text, c.text);
        EXPECT_EQ(tree.system.messages[0].flags, 0u);
    }
}

TEST(MainControlReportTest, AnEmptyTextShowsNoBox)
{
    EditorTree tree;
    ASSERT_GE(tree.started, 0);
    LStringTable& strings = *tree.app->GetApplicationStringTable();
    strings.erase(WString(u"LABEL_GET_PRESET_SUCEESS_MSGBOX_TEXT"));
    strings.erase(WString(u"LABEL_SEND_PRESET_FAILED_MIDI_ERROR_MSGBOX_TEXT"));
    tree.midi->sendResult = -1;
    EXPECT_EQ(GetPresetFromDeviceAndReport(4), 0);
    EXPECT_EQ(SendPresetToDeviceAndReport(4), -1);
    EXPECT_TRUE(tree.system.messages.empty());
}

// --- The device view is required --------------------------------------------------------------

std::string MainControlSkin(const std::string& children)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Zelvo_Skin_Definitions>\n"
           "<Application Name=\"PresetEditor\"/>\n<Skins>\n<Skin Name=\"test\">\n"
           "<SubControl Class=\"PresetEditor.MainControl\" Name=\"mainControl\" XSizeAbs=\"400\" YSizeAbs=\"300\">\n" +
           children + "\n</SubControl>\n</Skin>\n</Skins>\n</Zelvo_Skin_Definitions>\n";
}

TEST(MainControlTest, AMissingOrWronglyTypedDeviceViewIsARuntimeError)
{
    const std::string cases[] = {
        "",
        R"(<SubControl Class="Framework.Panel" Name="viewDevice" XSizeAbs="10" YSizeAbs="10"/>)",
        R"(<SubControl Class="PresetEditor.MainControl.DeviceView" Name="deviceView" XSizeAbs="10" YSizeAbs="10"/>)",
    };
    for (const std::string& children : cases)
    {
        SCOPED_TRACE(children);
        EditorTree tree(MainControlSkin(children));
        ASSERT_GE(tree.started, 0);
        try
        {
            tree.Build();
            ADD_FAILURE() << "no exception";
        }
        catch (const std::runtime_error& error)
        {
            EXPECT_STREQ(error.what(), "Runtime Error : Null Pointer : LMainControl couldn't find viewDevice : "
                                       "QK::LMainControl::Initialize : UI\\DriverCommon\\MainControl : Line 39");
        }
    }
}

// --- Values into the view and edits back ------------------------------------------------------

class MainControlValuesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_GE(tree.started, 0);
        ASSERT_EQ(tree.Build(), QK_OK);
        ASSERT_TRUE(tree.Main());
        engine = RCPtr<LRootModuleEngine>::DynamicCast(GetRootModuleEngine());
        ASSERT_TRUE(engine);
        first = engine->GetFirstParamID();
        EditorTree::Drain();
        for (RecordingPad* pad : AllPads())
            pad->shown.clear();
    }

    // Pad 0 to 15 as the skin places them: two banks of eight.
    RecordingPad& Pad(std::uint32_t index)
    {
        const std::string path = std::string(index < 8 ? "padBank1/pad" : "padBank2/pad") +
                                 std::to_string(index % 8 + 1);
        auto* pad = dynamic_cast<RecordingPad*>(tree.Find(path).Get());
        if (!pad)
            throw std::runtime_error("no pad " + path);
        return *pad;
    }
    std::vector<RecordingPad*> AllPads()
    {
        std::vector<RecordingPad*> pads;
        for (std::uint32_t i = 0; i < 16; ++i)
            pads.push_back(&Pad(i));
        return pads;
    }
    std::int32_t PadId(std::uint32_t index) const
    {
        return first + static_cast<std::int32_t>(kPadOffset + index * kPadParamCount);
    }
    TestSupport::Bytes EngineValue(std::int32_t id)
    {
        Variant value;
        engine->GetParamValue(ParamDescriptor(id), value);
        return TestSupport::DataOf(value);
    }
    // Sends a change notice as the engine's would arrive from the default centre.
    void Announce(const RCPtr<LRefCountedObject>& argument)
    {
        GetDefaultNotificationCenter()->SendNotification(
            LNotification::Create(u"NID_PARAM_MODULE_STATE_CHANGE", ConstRCPtr<LRefCountedObject>(argument.Get())));
    }
    std::size_t ShownCount()
    {
        std::size_t count = 0;
        for (RecordingPad* pad : AllPads())
            count += pad->shown.size();
        return count;
    }

    EditorTree tree{std::string(), &RegisterRecordingPads};
    RCPtr<LRootModuleEngine> engine;
    std::int32_t first = 0;
};

TEST_F(MainControlValuesTest, ThePanelsKnowTheirIdsAndAnEngineChangeReachesTheOwningPanelOnly)
{
    for (std::uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(static_cast<LPad&>(Pad(i)).GetFirstParamID(), PadId(i)) << i;

    ASSERT_EQ(engine->SetParamValue(ParamDescriptor(PadId(9)), Byte(77)), QK_OK);
    EditorTree::Drain();
    EXPECT_EQ(Pad(9).shown, (std::vector<RecordingPad::Shown>{{PadId(9), {77}}})) << "padBank2/pad2";
    EXPECT_EQ(ShownCount(), 1u);
}

TEST_F(MainControlValuesTest, AListAppliesEveryRecordInOrder)
{
    ParamValue values[3];
    values[0].id = PadId(0);
    values[0].value = Byte(1);
    values[1].id = first + 500;
    values[1].value = Byte(2);
    values[2].id = PadId(15);
    values[2].value = Byte(3);
    const RCPtr<LWrapper<ParamValues>> list(new LWrapper<ParamValues>());
    ASSERT_EQ(MakeParamValues(values, 3, *list), QK_OK);
    Announce(RCPtr<LRefCountedObject>(list.Get()));
    EXPECT_EQ(Pad(0).shown, (std::vector<RecordingPad::Shown>{{PadId(0), {1}}}));
    EXPECT_EQ(Pad(15).shown, (std::vector<RecordingPad::Shown>{{PadId(15), {3}}}));
    EXPECT_EQ(ShownCount(), 2u) << "an id no panel owns is passed over";
}

TEST_F(MainControlValuesTest, ControlItemsEmptyValuesAndDamagedListsChangeNothing)
{
    LMainControl& main = *tree.Main();
    for (const std::int32_t id : {-4, -2, -8, first + 79, -1})
    {
        SCOPED_TRACE(id);
        EXPECT_EQ(main.ApplyParamValueToView(ParamDescriptor(id), Byte(5)), QK_OK);
    }
    EXPECT_EQ(main.ApplyParamValueToView(ParamDescriptor(PadId(3)), Variant()), QK_OK);
    Announce(RCPtr<LRefCountedObject>(new LParamValuePair(ParamDescriptor(PadId(4)), Variant())));

    // A list whose first record claims a size of 0: the walk ends there (and does not spin
    // on the same record), so the valid record behind it is not applied either.
    ParamValue valid;
    valid.id = PadId(5);
    valid.value = Byte(9);
    ParamValues good;
    ASSERT_EQ(MakeParamValues(&valid, 1, good), QK_OK);
    TestSupport::Bytes block(12, 0);
    const TestSupport::Bytes record = TestSupport::DataOf(good);
    block.insert(block.end(), record.begin(), record.end());
    const RCPtr<LWrapper<ParamValues>> damaged(new LWrapper<ParamValues>());
    damaged->SetData(kVariantList, block.data(), static_cast<std::uint32_t>(block.size()));
    Announce(RCPtr<LRefCountedObject>(damaged.Get()));
    // Neither an empty list nor an argument of another type.
    Announce(RCPtr<LRefCountedObject>(new LWrapper<ParamValues>()));
    Announce(RCPtr<LRefCountedObject>(new LHolder<int>()));

    EXPECT_EQ(ShownCount(), 0u);
    EXPECT_EQ(main.GetAppliedDescriptor().id, -1);
}

TEST_F(MainControlValuesTest, TheEchoOfAnAppliedValueStaysButTheSameValueEditedLaterReachesTheEngine)
{
    const TestSupport::Bytes before = EngineValue(PadId(6));
    ASSERT_NE(before, TestSupport::Bytes{42});
    Pad(6).echo = true;
    Announce(RCPtr<LRefCountedObject>(new LParamValuePair(ParamDescriptor(PadId(6)), Byte(42))));
    ASSERT_EQ(Pad(6).shown.size(), 1u);
    EXPECT_EQ(EngineValue(PadId(6)), before) << "the echo went back to the engine";
    EXPECT_EQ(tree.Main()->GetAppliedDescriptor().id, -1);

    EXPECT_EQ(tree.Main()->RequestParamValueChange(ParamDescriptor(PadId(6)), Byte(42), 0), QK_OK);
    EXPECT_EQ(EngineValue(PadId(6)), TestSupport::Bytes{42});
}

} // namespace
} // namespace QK
