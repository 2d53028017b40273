#include "UI/PresetEditorCommon/VariantBufferSetterParameterPanel.h"

#include "QKFramework/Controls/Button.h"
#include "tests/UI/EditPanelTestTree.h"

#include <gtest/gtest.h>

namespace QK
{
namespace
{

using TestSupport::Bytes;
using TestSupport::CountingEngine;
using TestSupport::EditPanelTestTree;
using TestSupport::Narrow;

// What an editor shows: the combo box's selected item, or the number of its parameter control.
double Shown(LControl& editor)
{
    if (auto* combo = dynamic_cast<LComboBox*>(editor.FindChild(WString(u"comboBox")).Get()))
        return combo->GetSelectedIndex();
    const RCPtr<LControl> control = editor.FindChild(WString(u"parameterControl"));
    return control ? control->FractionToValue(control->GetValue()) : -1000.0;
}

// A user's choice: the combo box's item, or the number in the parameter control.
void Choose(LControl& editor, double shown)
{
    if (auto* combo = dynamic_cast<LComboBox*>(editor.FindChild(WString(u"comboBox")).Get()))
    {
        combo->SelectItem(static_cast<std::int32_t>(shown));
        return;
    }
    const RCPtr<LControl> control = editor.FindChild(WString(u"parameterControl"));
    ASSERT_TRUE(control);
    control->SetValue(control->ValueToFraction(shown));
}

TEST(VariantBufferSetterParameterPanelTest, StoredBytesShowAndChosenValuesAreStoredForEveryEditorKind)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    const struct
    {
        const char* path;
        std::int32_t id;
        std::vector<std::uint8_t> stored;
        double shown;
        double chosen;
        std::vector<std::uint8_t> written;
    } cases[] = {
        {"arpeggiator/tempo", 13, {0x00, 0x78}, 120, 200, {0x01, 0x48}},
        {"arpeggiator/tempo", 13, {0x01, 0x48}, 200, 30, {0x00, 0x1E}},
        {"arpeggiator/tempo", 13, {0x00, 0x1E}, 30, 240, {0x01, 0x70}},
        {"arpeggiator/swing", 11, {0x00}, 50, 60, {0x0A}},
        {"arpeggiator/swing", 11, {0x19}, 75, 50, {0x00}},
        {"arpeggiator/tempoTaps", 12, {0x02}, 0, 2, {0x04}},
        {"arpeggiator/arpOctave", 14, {0x03}, 3, 0, {0x00}},
        {"arpeggiator/arpMode", 7, {0x05}, 5, 1, {0x01}},
        {"arpeggiator/arpOnOff", 6, {0x01}, 1, 0, {0x00}},
        {"keyboard/transpose", 5, {0x0C}, 12, 24, {0x18}},
        {"keyboard/octave", 4, {0x04}, 4, 8, {0x08}},
        {"midiChannels/padMidiChannel", 1, {0x0F}, 15, 9, {0x09}},
        {"midiChannels/padAftertouchType", 2, {0x02}, 2, 1, {0x01}},
        {"joystick/yAxis/cc2", 20, {0x40}, 64, 127, {0x7F}},
        {"padBank2/pad8/midiNote", 36, {0x3C}, 60, 127, {0x7F}},
        {"knobBank1/knob2/maxValuePanel", 43, {0x7F}, 127, 0, {0x00}},
        {"keysSoundParameters/keybedSounds", 69, {0x7F}, 127, 3, {0x03}},
        {"keysSoundParameters/eqHigh", 78, {0x11}, 17, 100, {0x64}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.path);
        LControl* editor = tree.At(c.path);
        ASSERT_TRUE(editor);
        tree.engine->writes.clear();
        tree.Apply(c.id, Bytes(c.stored));
        EXPECT_DOUBLE_EQ(Shown(*editor), c.shown);
        EXPECT_TRUE(tree.engine->writes.empty()) << "a value being shown is not written back";
        Choose(*editor, c.chosen);
        EXPECT_EQ(tree.engine->writes, (std::vector<CountingEngine::Write>{{c.id, c.written}}));
    }
}

TEST(VariantBufferSetterParameterPanelTest, ComboBoxesShowTheItemTextsOfTheShippedStrings)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    const struct
    {
        const char* path;
        std::int32_t id;
        std::uint8_t stored;
        const char16_t* text;
    } cases[] = {
        {"keyboard/transpose", 5, 0x0C, u"0"},
        {"keyboard/octave", 4, 0x04, u"0"},
        {"arpeggiator/tempoTaps", 12, 0x02, u"2"},
        {"arpeggiator/tempoTaps", 12, 0x04, u"4"},
        {"arpeggiator/timeDivision", 8, 0x05, u"1/16T"},
        {"keysSoundParameters/padSound", 70, 0x09, u"CM-64/32"},
    };
    for (const auto& c : cases)
    {
        auto* combo = dynamic_cast<LComboBox*>(tree.At(std::string(c.path) + "/comboBox"));
        ASSERT_TRUE(combo) << c.path;
        tree.Apply(c.id, Bytes({c.stored}));
        EXPECT_EQ(Narrow(combo->GetText()), Narrow(WString(c.text))) << c.path;
    }
}

TEST(VariantBufferSetterParameterPanelTest, AValueOfTheWrongSizeIsRefusedAndChangesNothing)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    auto* swing = tree.As<LVariantBufferSetterParameterPanel>("arpeggiator/swing");
    auto* tempo = tree.As<LVariantBufferSetterParameterPanel>("arpeggiator/tempo");
    auto* transpose = tree.As<LVariantBufferSetterParameterPanel>("keyboard/transpose");
    ASSERT_TRUE(swing && tempo && transpose);
    ASSERT_EQ(swing->SetParamValue(Bytes({0x05})), QK_OK);
    ASSERT_EQ(tempo->SetParamValue(Bytes({0x00, 0x64})), QK_OK);
    ASSERT_EQ(transpose->SetParamValue(Bytes({0x03})), QK_OK);
    tree.engine->writes.clear();

    EXPECT_EQ(swing->SetParamValue(Bytes({0x00, 0x10})), QK_E_FAIL);
    EXPECT_EQ(tempo->SetParamValue(Bytes({0x50})), QK_E_FAIL);
    EXPECT_EQ(transpose->SetParamValue(Variant()), QK_E_FAIL);
    EXPECT_EQ(tempo->SetParamValue(Bytes({0x00, 0x64, 0x00})), QK_E_FAIL);
    EXPECT_DOUBLE_EQ(Shown(*swing), 55);
    EXPECT_DOUBLE_EQ(Shown(*tempo), 100);
    EXPECT_DOUBLE_EQ(Shown(*transpose), 3);
    EXPECT_TRUE(tree.engine->writes.empty());
}

TEST(VariantBufferSetterParameterPanelTest, AComboBoxWithoutASelectedItemWritesNothing)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    auto* combo = tree.As<LComboBox>("keyboard/transpose/comboBox");
    auto* taps = tree.As<LComboBox>("arpeggiator/tempoTaps/comboBox");
    ASSERT_TRUE(combo && taps);
    tree.Apply(5, Bytes({0x0C}));
    // A stored byte below the tempo taps' offset selects no item.
    tree.Apply(12, Bytes({0x01}));
    ASSERT_EQ(taps->GetSelectedIndex(), -1);
    combo->SetText(WString(u"no such transpose"));
    ASSERT_EQ(combo->GetSelectedIndex(), -1);
    tree.engine->writes.clear();
    // A change notice that finds nothing selected (index -1 + offset would store 0xFF or 1).
    for (LComboBox* box : {combo, taps})
        box->SendNotification(LNotification::Create(u"NID_SELECTION_CHANGE"));
    EXPECT_TRUE(tree.engine->writes.empty());
    combo->SelectItem(13);
    EXPECT_EQ(tree.engine->writes, (std::vector<CountingEngine::Write>{{5, {0x0D}}}));
}

TEST(VariantBufferSetterParameterPanelTest, ADraggedSliderStoresTheNumberItsFieldShows)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    const struct
    {
        const char* path;
        double dragged;
        const char* shown;
        std::vector<std::uint8_t> written;
    } cases[] = {
        {"keysSoundParameters/filter", 59.7, "60", {60}},
        {"keysSoundParameters/filter", 59.2, "59", {59}},
        {"arpeggiator/swing", 59.6, "60", {10}},
        {"arpeggiator/tempo", 127.8, "128", {0x01, 0x00}},
    };
    for (const auto& c : cases)
    {
        auto* upDown = tree.As<LNumericUpDown>(std::string(c.path) + "/parameterControl");
        ASSERT_TRUE(upDown && upDown->GetSlider()) << c.path;
        tree.engine->writes.clear();
        upDown->GetSlider()->SetValue(upDown->ValueToFraction(c.dragged));
        EXPECT_EQ(Narrow(upDown->FormatValue()), c.shown) << c.path;
        // The field settles on the whole number it shows and writes it again; no write on the
        // way may hold another number.
        ASSERT_FALSE(tree.engine->writes.empty()) << c.path;
        for (const CountingEngine::Write& write : tree.engine->writes)
            EXPECT_EQ(write.bytes, c.written) << c.path << " " << c.dragged;
    }
}

TEST(VariantBufferSetterParameterPanelTest, TheDefaultsAndTheArpeggiatorsOwnSettingsStay)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    const struct
    {
        const char* path;
        double minimum;
        double maximum;
        std::int32_t digits;
    } cases[] = {
        {"arpeggiator/tempo/parameterControl", 30, 240, 3},
        {"arpeggiator/swing/parameterControl", 50, 75, 2},
        {"keysSoundParameters/filter/parameterControl", 0, 127, 3},
        {"knobBank2/knob4/ccValuePanel/parameterControl", 0, 127, 3},
    };
    for (const auto& c : cases)
    {
        auto* upDown = tree.As<LNumericUpDown>(c.path);
        ASSERT_TRUE(upDown) << c.path;
        EXPECT_DOUBLE_EQ(upDown->FractionToValue(0.0), c.minimum) << c.path;
        EXPECT_DOUBLE_EQ(upDown->FractionToValue(1.0), c.maximum) << c.path;
        ASSERT_TRUE(upDown->GetTextBox()) << c.path;
        EXPECT_EQ(upDown->GetTextBox()->GetMaxLength(), c.digits) << c.path;
    }
    auto* button = tree.As<LControl>("arpeggiator/arpOnOff/parameterControl");
    ASSERT_TRUE(button);
    EXPECT_DOUBLE_EQ(button->FractionToValue(1.0), 1.0);
    auto* tempo = tree.As<LVariantBufferSetterParameterPanel>("arpeggiator/tempo");
    auto* taps = tree.As<LVariantBufferSetterParameterPanel>("arpeggiator/tempoTaps");
    ASSERT_TRUE(tempo && taps);
    EXPECT_TRUE(tempo->IsTwoByteValue());
    EXPECT_DOUBLE_EQ(taps->GetValueOffset(), 2.0);
}

TEST(VariantBufferSetterParameterPanelTest, AnEditorWithoutChildrenOrOutsideAModuleTreeDoesNoHarm)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    const RCPtr<LControlDescriptor> bare(
        new LControlDescriptor(WString(u"PresetEditor.ParameterControl.Filter"), WString(u"bare")));
    const RCPtr<LControl> made = tree.factory->CreateControl(bare.Get(), nullptr);
    auto* editor = dynamic_cast<LVariantBufferSetterParameterPanel*>(made.Get());
    ASSERT_TRUE(editor);
    editor->SetParam(ParamDescriptor(71));
    EXPECT_EQ(editor->SetParamValue(Bytes({0x10})), QK_OK);

    // A whole filter editor from the skin, with no main control above it.
    auto* filter = tree.As<LControl>("keysSoundParameters/filter");
    ASSERT_TRUE(filter);
    RCPtr<LControlDescriptor> description;
    const RCPtr<LControlDescriptor> main = tree.factory->FindSubControlDescriptor(WString(u"mainControl"));
    ASSERT_TRUE(main);
    const std::function<void(const LControlDescriptor&)> find = [&](const LControlDescriptor& d)
    {
        for (std::uint32_t i = 0; i < d.Children.GetCount(); ++i)
        {
            const RCPtr<LControlDescriptor>& child = *d.Children.GetAt(i);
            if (child && child->Name.IsEqual(WString(u"filter")))
                description = child;
            else if (child)
                find(*child);
        }
    };
    find(*main);
    ASSERT_TRUE(description);
    const RCPtr<LControl> alone = tree.factory->CreateControl(description.Get(), nullptr);
    auto* lonely = dynamic_cast<LVariantBufferSetterParameterPanel*>(alone.Get());
    ASSERT_TRUE(lonely);
    lonely->SetParam(ParamDescriptor(71));
    tree.engine->writes.clear();
    Choose(*lonely, 42);
    EXPECT_TRUE(tree.engine->writes.empty());
    EXPECT_DOUBLE_EQ(Shown(*lonely), 42);
}

TEST(VariantBufferSetterParameterPanelTest, TwoByteValuesSplitIntoSevenBitHalves)
{
    const RCPtr<LVariantBufferSetterParameterPanel> editor(
        new LVariantBufferSetterParameterPanel(nullptr, WString(u"editor")));
    const std::int16_t values[] = {0, 127, 128, 200, 16383};
    for (const std::int16_t v : values)
    {
        std::uint8_t hi = 0xEE, lo = 0xEE;
        editor->SplitTwoByteValue(v, hi, lo);
        EXPECT_LT(hi, 128) << v;
        EXPECT_LT(lo, 128) << v;
        const auto shi = static_cast<std::int8_t>(hi), slo = static_cast<std::int8_t>(lo);
        EXPECT_EQ(editor->JoinTwoByteValue(shi, slo), v);
    }
}

} // namespace
} // namespace QK
