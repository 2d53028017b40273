#include "UI/NameEditPanel.h"

#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "tests/UI/EditPanelTestTree.h"
#include "tests/support/Controls/FakeClipboard.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace QK
{
namespace
{

using TestSupport::Bytes;
using TestSupport::CountingEngine;
using TestSupport::EditPanelTestTree;
using TestSupport::Narrow;

std::vector<std::uint8_t> Name(const std::u16string& text)
{
    std::vector<std::uint8_t> block(16, 0);
    for (std::size_t i = 0; i < text.size() && i < 16; ++i)
        block[i] = static_cast<std::uint8_t>(text[i] & 0xFF);
    return block;
}

QKRESULT Type(LTextBox& box, char16_t c)
{
    KeyCode key;
    key.Code = static_cast<std::int32_t>(c);
    const RCPtr<LKeyParam> param = LKeyParam::Create(key);
    return box.WantsKey(param.Get());
}

struct NameFixture
{
    NameFixture()
    {
        panel = tree.As<LNameEditPanel>("presetName/editPanel");
        box = panel ? panel->GetTextBox() : nullptr;
    }
    std::string Shown() const { return box ? Narrow(box->GetText()) : "(no box)"; }
    std::u16string ShownWide() const
    {
        return box ? std::u16string(box->GetText().GetString(), box->GetText().GetLength()) : u"(no box)";
    }

    EditPanelTestTree tree;
    LNameEditPanel* panel = nullptr;
    LTextBox* box = nullptr;
};

TEST(NameEditPanelTest, StoredNamesShowByTheirCharacterRules)
{
    NameFixture f;
    ASSERT_TRUE(f.tree.Ready() && f.box);
    const struct
    {
        const char* what;
        std::vector<std::uint8_t> stored;
        const char16_t* shown;
    } cases[] = {
        {"the model's default, padded with blanks", Name(u"PRESET          "), u"PRESET          "},
        {"zero bytes add nothing", {0x41, 0x00, 0x42}, u"AB"},
        {"a bell anywhere", {0x41, 0x07, 0x42}, u"Invalid Name"},
        {"a delete anywhere", {0x7F, 0x41}, u"Invalid Name"},
        {"a control byte after good ones", Name(u"GOOD NAME\x1F"), u"Invalid Name"},
        {"bytes above 127 are Latin-1", {0x43, 0x61, 0x66, 0xE9, 0xFF}, u"Caf\u00E9\u00FF"},
        {"an empty value", {}, u""},
    };
    for (const auto& c : cases)
    {
        f.tree.engine->writes.clear();
        f.tree.Apply(0, Bytes(c.stored));
        EXPECT_TRUE(f.ShownWide() == c.shown) << c.what << ": " << f.Shown();
        EXPECT_TRUE(f.tree.engine->writes.empty()) << c.what << ": showing a name never writes it";
    }
}

TEST(NameEditPanelTest, EveryChangeWritesSixteenBytesOnce)
{
    NameFixture f;
    ASSERT_TRUE(f.tree.Ready() && f.box);
    f.tree.Apply(0, Bytes({}));
    f.box->SetFocus(true);
    f.tree.engine->writes.clear();
    Type(*f.box, u'A');
    Type(*f.box, u'B');
    EXPECT_EQ(f.tree.engine->writes, (std::vector<CountingEngine::Write>{{0, Name(u"A")}, {0, Name(u"AB")}}));

    // A character the user cannot type survives an edit of the others.
    f.tree.Apply(0, Bytes({0x43, 0x61, 0x66, 0xE9}));
    f.tree.engine->writes.clear();
    f.box->SetText(WString(u"Caf\u00E9!"), false);
    EXPECT_EQ(f.tree.engine->writes,
              (std::vector<CountingEngine::Write>{
                  {0, {0x43, 0x61, 0x66, 0xE9, 0x21, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}}));
}

// The model's notices of the panel's own writes come back late, after more was typed; they
// must not put an earlier text back or move the caret, while any other value is shown.
TEST(NameEditPanelTest, LateNoticesOfItsOwnWritesLeaveTheTypingAlone)
{
    NameFixture f;
    ASSERT_TRUE(f.tree.Ready() && f.box);
    f.tree.Apply(0, Bytes({}));
    f.box->SetFocus(true);
    Type(*f.box, u'A');
    Type(*f.box, u'B');
    f.tree.Apply(0, Bytes(Name(u"A")));
    EXPECT_EQ(f.Shown(), "AB");
    EXPECT_EQ(f.box->GetCaret(), 2);
    f.tree.Apply(0, Bytes(Name(u"AB")));
    Type(*f.box, u'C');
    EXPECT_EQ(f.Shown(), "ABC");
    EXPECT_EQ(f.tree.engine->writes.back().bytes, Name(u"ABC"));

    // A value the panel did not write (a loaded preset) shows at once, even while notices of
    // its own writes are still due, and those then show as any other value would.
    Type(*f.box, u'D');
    f.tree.Apply(0, Bytes(Name(u"LOADED")));
    EXPECT_EQ(f.Shown(), "LOADED");
    f.tree.Apply(0, Bytes(Name(u"ABCD")));
    EXPECT_EQ(f.Shown(), "ABCD");
}

TEST(NameEditPanelTest, TypingAndPastingKeepToSixteenPrintableCharacters)
{
    NameFixture f;
    ASSERT_TRUE(f.tree.Ready() && f.box);
    TestSupport::FakeClipboard clipboard;
    f.tree.Apply(0, Bytes(Name(u"ABCDEFGHIJKLMNO")));
    f.box->SetFocus(true);
    f.box->MoveCaret(15, true);
    f.tree.engine->writes.clear();

    for (const char16_t refused : {u'\t', u'\u00E9', u'\u20AC', u'\x7F'})
        Type(*f.box, refused);
    EXPECT_EQ(f.Shown(), "ABCDEFGHIJKLMNO");
    Type(*f.box, u'P');
    Type(*f.box, u'Q');
    EXPECT_EQ(f.Shown(), "ABCDEFGHIJKLMNOP") << "the 17th character is refused";
    EXPECT_EQ(f.tree.engine->writes, (std::vector<CountingEngine::Write>{{0, Name(u"ABCDEFGHIJKLMNOP")}}));

    // Tabs, line breaks and a euro sign never reach a name by the clipboard either.
    f.tree.Apply(0, Bytes({}));
    f.tree.engine->writes.clear();
    clipboard.text = WString(u"V\tE\r\nD\u20ACI~");
    EXPECT_EQ(f.box->PerformEdit(3), QK_OK);
    EXPECT_EQ(f.Shown(), "VEDI~");
    EXPECT_EQ(f.tree.engine->writes, (std::vector<CountingEngine::Write>{{0, Name(u"VEDI~")}}));
}

TEST(NameEditPanelTest, KnobNamesAreBoundLikeTheProgramName)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    auto* knob = tree.As<LNameEditPanel>("knobBank2/knob3/knobName");
    ASSERT_TRUE(knob && knob->GetTextBox());
    // Knob 7 (index 6) has its name at 37 + 6 x 4 + 3.
    EXPECT_EQ(knob->GetParam().id, 64);
    tree.Apply(64, Bytes(Name(u"KNOB 7          ")));
    EXPECT_EQ(Narrow(knob->GetTextBox()->GetText()), "KNOB 7          ");
    knob->GetTextBox()->SetText(WString(u"Cutoff"));
    EXPECT_EQ(tree.engine->writes, (std::vector<CountingEngine::Write>{{64, Name(u"Cutoff")}}));
}

TEST(NameEditPanelTest, AnUnboundPanelWritesTheIdMinusOne)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    const RCPtr<LControlDescriptor> description(
        new LControlDescriptor(WString(u"PresetEditor.NameEditPanel"), WString(u"loose")));
    description->Children.Add(RCPtr<LControlDescriptor>(
        new LControlDescriptor(WString(u"Framework.TextBox"), WString(u"textBox"), description.Get())));
    const RCPtr<LControl> made = tree.factory->CreateControl(description.Get(), tree.root.Get());
    auto* panel = dynamic_cast<LNameEditPanel*>(made.Get());
    ASSERT_TRUE(panel && panel->GetTextBox());
    tree.engine->writes.clear();
    panel->GetTextBox()->SetText(WString(u"X"));
    EXPECT_EQ(tree.engine->writes, (std::vector<CountingEngine::Write>{{-1, Name(u"X")}}));
}

TEST(NameEditPanelTest, APanelWithoutItsTextBoxNamesTheMissingChild)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    const RCPtr<LControlDescriptor> description(
        new LControlDescriptor(WString(u"PresetEditor.NameEditPanel"), WString(u"empty")));
    try
    {
        tree.factory->CreateControl(description.Get(), nullptr);
        FAIL() << "no exception";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(), "Runtime Error : Null Pointer : Cannot find child textBox : "
                                   "LNameEditPanel::Initialize : UI\\NameEditPanel : Line 29");
    }
}

TEST(NameEditPanelTest, TheProgramNamePanelIgnoresIdsOtherThanItsOwn)
{
    EditPanelTestTree tree;
    ASSERT_TRUE(tree.Ready());
    auto* panel = tree.As<LProgramNamePanel>("presetName");
    ASSERT_TRUE(panel && panel->GetEditPanel());
    tree.Apply(0, Bytes(Name(u"MINE")));
    for (const std::int32_t id : {-1, 1, 78, 1000})
        EXPECT_EQ(panel->SetParamValueLocal(ParamDescriptor(id), Bytes(Name(u"OTHER")), true), QK_OK) << id;
    EXPECT_EQ(Narrow(panel->GetEditPanel()->GetTextBox()->GetText()), "MINE");
    const RCPtr<LProgramNamePanel> bare(new LProgramNamePanel(nullptr, WString(u"bare")));
    bare->SetFirstParamID(nullptr, 0, 0);
    EXPECT_EQ(bare->SetParamValueLocal(ParamDescriptor(0), Bytes(Name(u"X")), true), QK_OK);
}

} // namespace
} // namespace QK
