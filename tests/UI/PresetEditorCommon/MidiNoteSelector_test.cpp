#include "UI/PresetEditorCommon/MidiNoteSelector.h"

#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "tests/UI/EditPanelTestTree.h"

#include <gtest/gtest.h>

namespace QK
{
namespace
{

using TestSupport::Bytes;
using TestSupport::EditPanelTestTree;
using TestSupport::Narrow;

TEST(MidiNoteSelectorTest, NotesAreSpelledByNameAndOctave)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    auto* selector = tree.As<LMidiNoteSelector>("padBank1/pad1/midiNote/parameterControl");
    ASSERT_TRUE(selector && selector->GetNumericUpDown() && selector->GetNoteNameLabel() &&
                selector->GetOctaveNameLabel());
    const struct
    {
        std::uint8_t note;
        const char* name;
        const char* octave;
    } cases[] = {{60, "C", "4"},  {0, "C", "-1"},  {127, "G", "9"},
                 {61, "C#", "4"}, {11, "B", "-1"}, {12, "C", "0"}};
    for (const auto& c : cases)
    {
        // From the model, through the pad's note editor.
        tree.Apply(21, Bytes({c.note}));
        EXPECT_EQ(Narrow(selector->GetNumericUpDown()->FormatValue()), std::to_string(c.note));
        EXPECT_EQ(Narrow(selector->GetNoteNameLabel()->GetText()), c.name) << int(c.note);
        EXPECT_EQ(Narrow(selector->GetOctaveNameLabel()->GetText()), c.octave) << int(c.note);
        EXPECT_DOUBLE_EQ(selector->FractionToValue(selector->GetValue()), c.note);
    }
    EXPECT_TRUE(tree.engine->writes.empty());
}

TEST(MidiNoteSelectorTest, AStepOfTheNumberRenamesTheNoteAndIsWrittenOnce)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    auto* selector = tree.As<LMidiNoteSelector>("padBank2/pad3/midiNote/parameterControl");
    ASSERT_TRUE(selector && selector->GetNumericUpDown());
    tree.Apply(31, Bytes({59}));
    tree.engine->writes.clear();
    LNumericUpDown& upDown = *selector->GetNumericUpDown();
    upDown.SetValue(upDown.ValueToFraction(60));
    EXPECT_EQ(Narrow(selector->GetNoteNameLabel()->GetText()), "C");
    EXPECT_EQ(Narrow(selector->GetOctaveNameLabel()->GetText()), "4");
    EXPECT_EQ(tree.engine->writes, (std::vector<TestSupport::CountingEngine::Write>{{31, {60}}}));
}

TEST(MidiNoteSelectorTest, ALabelIndexPastItsTableLeavesTheLabelAndMissingChildrenAreSkipped)
{
    const RCPtr<LMidiNoteSelector> selector(new LMidiNoteSelector(nullptr, WString(u"bare")));
    EXPECT_GE(selector->Initialize(), 0);
    EXPECT_DOUBLE_EQ(selector->SetValue(0.5), 0.5);

    const RCPtr<LLabel> label(new LLabel(nullptr, WString(u"label")));
    label->SetText(WString(u"before"));
    StringMap entries{{WString(u"ITEM.00"), WString(u"C")}, {WString(u"ITEM.01"), WString(u"C#")}};
    const RCPtr<LStringTable> table(new LStringTable(entries));
    EXPECT_EQ(selector->SetLabelTextFromStringTable(table.Get(), 2, label.Get()), QK_FALSE);
    EXPECT_EQ(Narrow(label->GetText()), "before");
    EXPECT_EQ(selector->SetLabelTextFromStringTable(table.Get(), 1, label.Get()), QK_OK);
    EXPECT_EQ(Narrow(label->GetText()), "C#");
    EXPECT_EQ(selector->SetLabelTextFromStringTable(nullptr, 0, label.Get()), QK_FALSE);
}

} // namespace
} // namespace QK
