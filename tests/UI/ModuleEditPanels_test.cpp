#include "UI/ArpeggiatorEditPanel.h"
#include "UI/JoystickAxisPanel.h"
#include "UI/KnobEditPanel.h"
#include "UI/PadEditPanel.h"

#include "tests/UI/EditPanelTestTree.h"
#include "tests/support/Editor/ParameterEditorPaths.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

namespace QK
{
namespace
{

using TestSupport::Bytes;
using TestSupport::EditPanelTestTree;
using TestSupport::EditorsInIdOrder;
using TestSupport::Narrow;

std::int32_t BoundId(LControl& editor)
{
    if (auto* value = dynamic_cast<LVariantBufferSetterParameterPanel*>(&editor))
        return value->GetParam().id;
    if (auto* name = dynamic_cast<LNameEditPanel*>(&editor))
        return name->GetParam().id;
    return -2;
}

// What every editor shows, by path.
std::map<std::string, std::string> Screen(EditPanelTestTree& tree, const std::vector<std::string>& paths)
{
    std::map<std::string, std::string> shown;
    for (const std::string& path : paths)
    {
        LControl* editor = tree.At(path);
        if (auto* name = dynamic_cast<LNameEditPanel*>(editor))
            shown[path] = Narrow(name->GetTextBox()->GetText());
        else if (auto* combo = dynamic_cast<LComboBox*>(editor->FindChild(WString(u"comboBox")).Get()))
            shown[path] = std::to_string(combo->GetSelectedIndex());
        else if (const RCPtr<LControl> control = editor->FindChild(WString(u"parameterControl")))
            shown[path] = std::to_string(control->GetValue());
    }
    return shown;
}

TEST(ModuleEditPanelsTest, EveryIdReachesItsOwnEditorAndNoOther)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    const std::vector<std::string> paths = EditorsInIdOrder();
    ASSERT_EQ(paths.size(), 79u);
    for (std::size_t id = 0; id < paths.size(); ++id)
    {
        LControl* editor = tree.At(paths[id]);
        ASSERT_TRUE(editor) << paths[id];
        EXPECT_EQ(BoundId(*editor), static_cast<std::int32_t>(id)) << paths[id];
    }
    for (std::size_t id = 0; id < paths.size(); ++id)
    {
        const std::string& path = paths[id];
        const auto before = Screen(tree, paths);
        Variant value = Bytes({1});
        if (path == "arpeggiator/tempo")
            value = Bytes({0, 100});
        else if (dynamic_cast<LNameEditPanel*>(tree.At(path)))
            value = Bytes({'Z', 'Z', 'Z', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(id)});
        tree.Apply(static_cast<std::int32_t>(id), value);
        const auto after = Screen(tree, paths);
        for (const std::string& other : paths)
        {
            if (other == path)
                continue;
            EXPECT_EQ(before.at(other), after.at(other)) << "id " << id << " changed " << other;
        }
        EXPECT_NE(before.at(path), after.at(path)) << "id " << id << " did not reach " << path;
    }
    EXPECT_TRUE(tree.engine->writes.empty()) << "values shown from the model are never written back";
}

TEST(ModuleEditPanelsTest, IdsOutsideAModuleChangeNothingAndAnswerZero)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    const std::vector<std::string> paths = EditorsInIdOrder();
    auto* arpeggiator = tree.As<LArpeggiatorEditPanel>("arpeggiator");
    auto* pad = tree.As<LPadEditPanel>("padBank1/pad2");
    ASSERT_TRUE(arpeggiator && pad);
    EXPECT_EQ(arpeggiator->GetFirstParamID(), 6);
    EXPECT_EQ(pad->GetFirstParamID(), 22);
    const auto before = Screen(tree, paths);
    for (const std::int32_t id : {-1, 0, 5, 15, 21, 78, 0x7FFFFFFF, -0x7FFFFFFF - 1})
    {
        EXPECT_EQ(arpeggiator->SetParamValueLocal(ParamDescriptor(id), Bytes({1}), true), QK_OK) << id;
        EXPECT_EQ(pad->SetParamValueLocal(ParamDescriptor(id), Bytes({1}), true), QK_OK) << id;
    }
    EXPECT_EQ(Screen(tree, paths), before);
}

TEST(ModuleEditPanelsTest, PanelsNameThemselvesByTheirIndex)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    const struct
    {
        const char* path;
        const char* text;
    } cases[] = {
        {"joystick/xAxis/label", "X-AXIS"},
        {"joystick/yAxis/label", "Y-AXIS"},
        {"knobBank1/knob1/knobNameLabel", "K1"},
        {"knobBank1/knob3/knobNameLabel", "K3"},
        {"knobBank2/knob4/knobNameLabel", "K8"},
        {"padBank1/pad1/label", "PAD 1"},
        {"padBank2/pad2/label", "PAD 2"},
        {"padBank2/pad8/label", "PAD 8"},
        {"midiChannels/padMidiChannel/label", "PAD"},
        {"midiChannels/joystickKnobKeybedSustainMidiChannel/label", "KEYBED & CONTROLS"},
        {"midiChannels/padAftertouchType/label", "GLOBAL PAD AFTERTOUCH TYPE"},
    };
    for (const auto& c : cases)
    {
        LControl* label = tree.At(c.path);
        ASSERT_TRUE(label) << c.path;
        EXPECT_EQ(Narrow(label->GetText()), c.text) << c.path;
    }
}

TEST(ModuleEditPanelsTest, APadLabelIsNeverUsedAsAFormat)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    auto* pad = tree.As<LPadEditPanel>("padBank2/pad2");
    auto* label = tree.As<LLabel>("padBank2/pad2/label");
    ASSERT_TRUE(pad && label);
    const struct
    {
        const char16_t* skinText;
        const char* shown;
    } cases[] = {{u"%s %n PAD %d %d", "%s %n PAD 2 %d"}, {u"PAD", "PAD"}, {u"%d%%", "2%%"}, {u"", ""}};
    for (const auto& c : cases)
    {
        label->SetText(WString(c.skinText));
        pad->SetFirstParamID(tree.root->device.Get(), 30, 9);
        EXPECT_EQ(Narrow(label->GetText()), c.shown);
    }
}

// A single controller number shows without its "1": a lone digit beside it tells nothing.
TEST(ModuleEditPanelsTest, TheAxisTypeShowsTheControllerNumbersItUses)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    auto* combo = tree.As<LComboBox>("joystick/xAxis/type/comboBox");
    ASSERT_TRUE(combo);
    const auto visible = [&](const char* child)
    {
        LControl* control = tree.At(std::string("joystick/xAxis/") + child);
        return control && control->IsVisible(false);
    };
    const auto pattern = [&]
    {
        return std::string(visible("cc1") ? "1" : "-") + (visible("labelCC1") ? "1" : "-") +
               (visible("cc2") ? "2" : "-") + (visible("labelCC2") ? "2" : "-");
    };
    EXPECT_EQ(pattern(), "----") << "hidden until a type is shown";
    const struct
    {
        bool fromModel;
        std::int32_t type;
        const char* shown;
    } cases[] = {{false, 1, "1---"}, {false, 2, "1122"}, {false, 0, "----"},
                 {true, 2, "1122"},  {true, 1, "1---"},  {true, 0, "----"}};
    for (const auto& c : cases)
    {
        if (c.fromModel)
            tree.Apply(15, Bytes({static_cast<std::uint8_t>(c.type)}));
        else
            combo->SelectItem(c.type);
        EXPECT_EQ(pattern(), c.shown) << (c.fromModel ? "model " : "user ") << c.type;
    }
    // An item the list does not have leaves the numbers as they are.
    tree.Apply(15, Bytes({2}));
    tree.Apply(15, Bytes({7}));
    EXPECT_EQ(pattern(), "1122");
}

// A choice must be readable where it is shown: every item of every combo fits the combo's
// text field whole ("DOWN" must not show as "DOW").
TEST(ModuleEditPanelsTest, EveryComboItemFitsItsField)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    std::size_t combos = 0;
    for (const std::string& path : EditorsInIdOrder())
    {
        auto* combo = tree.As<LComboBox>(path + "/comboBox");
        if (!combo)
            continue;
        ++combos;
        ASSERT_TRUE(combo->GetListBox()) << path;
        for (std::uint32_t item = 0; item < combo->GetItemCount(); ++item)
        {
            combo->SelectItem(static_cast<std::int32_t>(item));
            const RCPtr<LLook> look = combo->GetLook(0);
            ASSERT_TRUE(look && look->GetFontText()) << path;
            std::int32_t width = 0;
            std::int32_t height = 0;
            look->GetFontText()->GetTextExtent(width, height);
            EXPECT_LE(width, look->GetFontText()->GetBoxWidth())
                << path << " cuts \"" << Narrow(combo->GetText()) << "\"";
        }
    }
    EXPECT_GT(combos, 10u);
}

TEST(ModuleEditPanelsTest, TheArpeggiatorButtonReadsOnOrOffFromTheModel)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    LControl* button = tree.At("arpeggiator/arpOnOff/parameterControl");
    ASSERT_TRUE(button);
    const struct
    {
        std::uint8_t stored;
        const char* text;
    } cases[] = {{1, "ON"}, {0, "OFF"}, {0x7F, "ON"}, {0, "OFF"}};
    for (const auto& c : cases)
    {
        tree.Apply(6, Bytes({c.stored}));
        EXPECT_EQ(Narrow(button->GetText()), c.text) << int(c.stored);
    }
    // A user's click changes the value; the text follows the model's answer, not the click.
    tree.engine->writes.clear();
    button->SetValue(1.0);
    EXPECT_EQ(tree.engine->writes, (std::vector<TestSupport::CountingEngine::Write>{{6, {1}}}));
    EXPECT_EQ(Narrow(button->GetText()), "OFF");
}

TEST(ModuleEditPanelsTest, PanelsWithoutTheirChildrenAreQuietAndAnAxisWithoutTypeSaysSo)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    for (const char16_t* cls : {u"PresetEditor.Arpeggiator", u"PresetEditor.Keyboard", u"PresetEditor.Knob",
                                u"PresetEditor.MidiChannels", u"PresetEditor.Pad",
                                u"PresetEditor.KeySoundParameters", u"PresetEditor.PresetName"})
    {
        const RCPtr<LControlDescriptor> description(new LControlDescriptor(WString(cls), WString(u"bare")));
        const RCPtr<LControl> panel = tree.factory->CreateControl(description.Get(), tree.root.Get());
        auto* module = dynamic_cast<LParameterizedModule*>(panel.Get());
        ASSERT_TRUE(module) << Narrow(WString(cls));
        module->SetFirstParamID(tree.root->device.Get(), 6, 2);
        for (std::int32_t id = 0; id < 20; ++id)
            EXPECT_EQ(module->SetParamValueLocal(ParamDescriptor(id), Bytes({1}), true), QK_OK);
    }
    EXPECT_TRUE(tree.engine->writes.empty());

    const RCPtr<LControlDescriptor> axis(
        new LControlDescriptor(WString(u"PresetEditor.Joystick.Axis"), WString(u"axis")));
    try
    {
        tree.factory->CreateControl(axis.Get(), nullptr);
        FAIL() << "no exception";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(),
                     "Runtime Error : Null Pointer : Cannot find child type : "
                     "LJoystickAxisPanel::GetTypeComboBoxRCPtr : UI\\JoystickAxisPanel : Line 81");
    }
}

} // namespace
} // namespace QK
