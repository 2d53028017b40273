// The text box through a real root window: the key table, caret and selection, word
// boundaries, the maximum length and the filter, clipboard edits on a fake clipboard,
// validation and its focus veto, the caret's blinking and scrolling, the looks, the cue text.
// Text is measured by the fake measurement renderer at 7 pixels a character.
#include "QKFramework/Controls/TextBox.h"

#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/ControlBase/MenuDescriptor.h"
#include "QKFramework/ControlBase/MenuItemUpdater.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Renderer/Gdi/GDIRenderContextInfo.h"

#include "tests/support/Controls/FakeClipboard.h"
#include "tests/support/UI/ControlTestTools.h"
#include "tests/support/UI/EventScript.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// The box is 100 x 20 at (10, 10); its text area starts 4 pixels in from either side.
const char* const kTree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k0" LookList="plain"/>
    <SubControl Class="Framework.TextBox" Name="box" XPositionAbs="10" YPositionAbs="10" XSizeAbs="100" YSizeAbs="20" TabStop="1"><Skin Name="k1" LookList="box"/></SubControl>
    <SubControl Class="Framework.TextBox" Name="cued" XPositionAbs="10" YPositionAbs="40" XSizeAbs="100" YSizeAbs="20" TabStop="2"><Skin Name="k2" LookList="box"/></SubControl>
    <SubControl Class="Test.Probe" Name="other" XPositionAbs="10" YPositionAbs="100" XSizeAbs="50" YSizeAbs="20" TabStop="3"><Skin Name="k3" LookList="plain"/>
      <CreateParamList><CreateParam ID="NOT_FOCUSABLE">false</CreateParam></CreateParamList></SubControl>
  </SubControl>
</Skin>)";

const char* const kStrings = R"(
  <StringTable ID="Test.Probe|cued"><String ID="LABEL"><Locale LCID="0x0009">Name</Locale></String></StringTable>
)";

std::string Looks(const std::string& alignment = "0")
{
    std::string list;
    for (int i = 0; i < 14; ++i)
        list += "<Look Name=\"text\" Index=\"" + std::to_string(i) + "\"/>";
    return R"(
  <Colorizers><Colorizer Name="white" ColorType="SolidFill" Color="FFFFFFFF"/>
    <Colorizer Name="ink" ColorType="SolidFill" Color="FF000000"/></Colorizers>
  <Parts><Part Name="white" Width="1" Height="1" ResizeType="Stretch" ColorizerName="white"/>
    <Part Name="ink" Width="1" Height="1" ResizeType="Stretch" ColorizerName="ink"/></Parts>
  <Looks>
    <Look Name="plain"><ClientPart Name="white" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="text"><ClientPart Name="white" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
      <TextProperties TextLeftRel="0" TextLeftAbs="4" TextRightRel="1" TextRightAbs="-4" TextHAlign=")" +
           alignment + R"("
        TextTopRel="0" TextTopAbs="4" TextBottomRel="1" TextBottomAbs="-4" TextVAlign="0" TextForegroundPart="ink"/></Look>
  </Looks>
  <LookLists><LookList Name="plain" NumLooks="1"><Look Name="plain" Index="0"/></LookList>
    <LookList Name="box" NumLooks="14">)" +
           list + "</LookList></LookLists>";
}

class TextBoxTest : public ::testing::Test
{
protected:
    // The text's alignment in its looks.
    explicit TextBoxTest(const std::string& alignment = "0") : harness{kTree, kStrings, Looks(alignment)} {}

    void SetUp() override
    {
        harness.Factory().RegisterControlClass(WString(u"Framework.TextBox"), &LTextBox::Create);
        ASSERT_TRUE(harness.SetRoot(u"top"));
        clipboard.focus = &Box();
    }
    void TearDown() override
    {
        for (const RCPtr<Recorder>& recorder : recorders)
            recorder->UnsubscribeAll();
        LNotificationCenterManager::ReleaseInstance();
    }

    LTextBox& Box(const char* name = "box") { return dynamic_cast<LTextBox&>(*harness.Find(name)); }
    // Text, then the caret; a selection [start, start + length) anchored at anchor.
    void Prepare(const char16_t* text, std::int32_t caret, std::int32_t start = 0, std::int32_t length = 0,
                 std::int32_t anchor = -1)
    {
        LTextBox& box = Box();
        box.SetText(WString());
        box.SetText(WString(text));
        if (length > 0)
            box.SetSelection(start, start + length - 1);
        box.MoveCaret(caret, true);
        if (length > 0 && anchor >= 0)
        {
            // Re-anchor by extending from the anchor: select, then move the caret with Shift.
            box.SetSelection(-1, 0);
            box.MoveCaret(anchor, true);
            for (std::int32_t i = anchor; i < caret; ++i)
                Press(KeyCode::kKeyEvent | KeyCode::kShift | (0x27u << 16));
            for (std::int32_t i = anchor; i > caret; --i)
                Press(KeyCode::kKeyEvent | KeyCode::kShift | (0x25u << 16));
        }
    }
    // The key handler's answer: 0 consumed, 1 passed on.
    QKRESULT Press(std::uint32_t code)
    {
        KeyCode key;
        key.Code = static_cast<std::int32_t>(code);
        const RCPtr<LKeyParam> param = LKeyParam::Create(key);
        return Box().WantsKey(param.Get());
    }
    RCPtr<Recorder> Listen(LControl& control, const char16_t* nid)
    {
        RCPtr<Recorder> recorder = Recorder::Create(Narrow(control.GetName()), log);
        recorder->Subscribe(ConstRCPtr<LNotificationDistributor>(&control), nid);
        recorders.push_back(recorder);
        return recorder;
    }

    WindowHarness harness;
    // Installed over the harness's own measurement renderer.
    ScopedRenderApp measuring{RCPtr<LMeasurementRenderer>(new FakeMeasurementRenderer(7.0f))};
    EventScript script{harness};
    FakeClipboard clipboard;
    std::vector<std::string> log;
    std::vector<RCPtr<Recorder>> recorders;
};

constexpr std::uint32_t Vk(std::uint32_t key, std::uint32_t modifiers = 0)
{
    return KeyCode::kKeyEvent | (key << 16) | modifiers;
}
constexpr std::uint32_t kC = KeyCode::kCtrl;
constexpr std::uint32_t kS = KeyCode::kShift;

struct KeyCase
{
    const char* what;
    const char16_t* text;
    std::int32_t caret;
    std::int32_t selectionStart, selectionLength;
    std::uint32_t key;
    QKRESULT answer;
    const char16_t* expectedText;
    std::int32_t expectedCaret;
    std::int32_t expectedStart, expectedLength;
};

const KeyCase kKeyCases[] = {
    {"Ctrl+A selects all and passes on", u"hello", 2, 0, 0, Vk('A', kC), 1, u"hello", 2, 0, 5},
    {"Left", u"hello", 2, 0, 0, Vk(0x25), 0, u"hello", 1, 0, 0},
    {"Left at 0", u"hello", 0, 0, 0, Vk(0x25), 0, u"hello", 0, 0, 0},
    {"Left clears a selection", u"hello", 3, 1, 2, Vk(0x25), 0, u"hello", 2, 0, 0},
    {"Right at the end", u"hello", 5, 0, 0, Vk(0x27), 0, u"hello", 5, 0, 0},
    {"Up passes on in a single line", u"hello", 2, 0, 0, Vk(0x26), 1, u"hello", 2, 0, 0},
    {"Ctrl+Shift+Down too", u"hello", 2, 0, 0, Vk(0x28, kC | kS), 1, u"hello", 2, 0, 0},
    {"Shift+Left selects the character before", u"hello", 3, 0, 0, Vk(0x25, kS), 0, u"hello", 2, 2, 1},
    {"Shift+Left at 0", u"hello", 0, 0, 0, Vk(0x25, kS), 0, u"hello", 0, 0, 0},
    {"Shift+Right at the end", u"hello", 5, 0, 0, Vk(0x27, kS), 0, u"hello", 5, 0, 0},
    {"Ctrl+Left", u"one two", 7, 0, 0, Vk(0x25, kC), 0, u"one two", 4, 0, 0},
    {"Ctrl+Left inside the first word", u"one  two", 2, 0, 0, Vk(0x25, kC), 0, u"one  two", 0, 0, 0},
    {"Ctrl+Right skips the spaces", u"one  two", 0, 0, 0, Vk(0x27, kC), 0, u"one  two", 5, 0, 0},
    {"Ctrl+Right at the last word", u"one two", 5, 0, 0, Vk(0x27, kC), 0, u"one two", 7, 0, 0},
    {"Ctrl+Shift+Right", u"one two", 0, 0, 0, Vk(0x27, kC | kS), 0, u"one two", 4, 0, 4},
    {"Ctrl+Shift+Left", u"one two", 7, 0, 0, Vk(0x25, kC | kS), 0, u"one two", 4, 4, 3},
    {"Home", u"hello", 3, 0, 0, Vk(0x24), 0, u"hello", 0, 0, 0},
    {"End", u"hello", 1, 0, 0, Vk(0x23), 0, u"hello", 5, 0, 0},
    {"Shift+Home", u"hello", 3, 0, 0, Vk(0x24, kS), 0, u"hello", 0, 0, 3},
    {"Shift+End", u"hello", 1, 0, 0, Vk(0x23, kS), 0, u"hello", 5, 1, 4},
    {"Backspace", u"hello", 5, 0, 0, Vk(0x08), 0, u"hell", 4, 0, 0},
    {"Backspace at 0", u"hello", 0, 0, 0, Vk(0x08), 0, u"hello", 0, 0, 0},
    {"Shift+Delete is Backspace", u"hello", 2, 0, 0, Vk(0x2E, kS), 0, u"hllo", 1, 0, 0},
    {"Backspace over a selection", u"hello", 4, 1, 3, Vk(0x08), 0, u"ho", 1, 0, 0},
    {"Delete", u"hello", 0, 0, 0, Vk(0x2E), 0, u"ello", 0, 0, 0},
    {"Delete at the end", u"hello", 5, 0, 0, Vk(0x2E), 0, u"hello", 5, 0, 0},
    {"Ctrl+Delete to the end", u"hello", 2, 0, 0, Vk(0x2E, kC), 0, u"he", 2, 0, 0},
    {"a character is typed", u"hello", 2, 0, 0, u'x', 0, u"hexllo", 3, 0, 0},
    {"an accented letter is typed", u"caf", 3, 0, 0, u'\u00E9', 0, u"caf\u00E9", 4, 0, 0},
    {"typing replaces the selection", u"hello", 3, 1, 3, u'a', 0, u"hao", 2, 0, 0},
    {"the Tab character passes on", u"hello", 2, 0, 0, u'\t', 1, u"hello", 2, 0, 0},
    {"the Backspace character is consumed", u"hello", 2, 0, 0, 0x08, 0, u"hello", 2, 0, 0},
    {"Ctrl+B's control character passes on", u"hello", 2, 0, 0, 0x02, 1, u"hello", 2, 0, 0},
    {"a letter key waits for its character", u"hello", 2, 0, 0, Vk('B'), 0, u"hello", 2, 0, 0},
    {"Space and digits too", u"hello", 2, 0, 0, Vk('7'), 0, u"hello", 2, 0, 0},
    {"Ctrl+letter passes on", u"hello", 2, 0, 0, Vk('C', kC), 1, u"hello", 2, 0, 0},
    {"Alt+digit passes on", u"hello", 2, 0, 0, Vk('1', KeyCode::kAlt), 1, u"hello", 2, 0, 0},
    {"a function key passes on", u"hello", 2, 0, 0, Vk(0x74), 1, u"hello", 2, 0, 0},
    {"a key release is consumed", u"hello", 2, 0, 0, 0x250000u, 0, u"hello", 2, 0, 0},
    {"Enter on a valid text passes on", u"hello", 2, 0, 0, Vk(0x0D), 1, u"hello", 2, 0, 0},
};

TEST_F(TextBoxTest, KeyTable)
{
    LTextBox& box = Box();
    box.SetFocus(true);
    for (const KeyCase& c : kKeyCases)
    {
        SCOPED_TRACE(c.what);
        Prepare(c.text, c.caret, c.selectionStart, c.selectionLength);
        EXPECT_EQ(Press(c.key), c.answer);
        EXPECT_TRUE(box.GetText().IsEqual(c.expectedText)) << Narrow(box.GetText());
        EXPECT_EQ(box.GetCaret(), c.expectedCaret);
        EXPECT_EQ(box.GetSelectionStart(), c.expectedStart);
        EXPECT_EQ(box.GetSelectionLength(), c.expectedLength);
    }
}

TEST_F(TextBoxTest, ShiftArrowsGrowAndShrinkTheSelectionAroundItsAnchor)
{
    LTextBox& box = Box();
    box.SetFocus(true);
    Prepare(u"abcdef", 2);
    struct Step
    {
        std::uint32_t key;
        std::int32_t caret, start, length, anchor;
    };
    const Step steps[] = {
        {Vk(0x27, kS), 3, 2, 1, 2}, {Vk(0x27, kS), 4, 2, 2, 2}, {Vk(0x25, kS), 3, 2, 1, 2},
        {Vk(0x25, kS), 2, 2, 0, 2}, {Vk(0x25, kS), 1, 1, 1, 2}, {Vk(0x25, kS), 0, 0, 2, 2},
        {Vk(0x27, kS), 1, 1, 1, 2}, {Vk(0x23, kS), 6, 2, 4, 2}, {Vk(0x24, kS), 0, 0, 2, 2},
    };
    for (const Step& step : steps)
    {
        Press(step.key);
        EXPECT_EQ(box.GetCaret(), step.caret);
        EXPECT_EQ(box.GetSelectionStart(), step.start);
        EXPECT_EQ(box.GetSelectionLength(), step.length);
        EXPECT_EQ(box.GetAnchor(), step.anchor);
    }
}

TEST_F(TextBoxTest, MaximumLengthAndFilter)
{
    LTextBox& box = Box();
    box.SetFocus(true);
    box.SetMaxLength(5);
    // Full without a selection: nothing changes, the caret stays, the key is still used.
    Prepare(u"hello", 2);
    EXPECT_EQ(Press(u'x'), 0);
    EXPECT_TRUE(box.GetText().IsEqual(u"hello"));
    EXPECT_EQ(box.GetCaret(), 2);
    // Full with a selection: the removal makes room.
    Prepare(u"hello", 3, 1, 2);
    Press(u'x');
    EXPECT_TRUE(box.GetText().IsEqual(u"hxlo"));
    EXPECT_EQ(box.GetCaret(), 2);
    // A shorter maximum cuts the text and puts the caret at the end.
    box.SetText(WString(u"hello"));
    box.SetMaxLength(3);
    EXPECT_TRUE(box.GetText().IsEqual(u"hel"));
    EXPECT_EQ(box.GetCaret(), 3);
    box.SetMaxLength(0);

    struct Case
    {
        bool allowed;
        char16_t typed;
        const char16_t* expected;
    };
    const Case cases[] = {{true, u'5', u"5"}, {true, u'a', u""}, {false, u'5', u""}, {false, u'a', u"a"}};
    for (const Case& c : cases)
    {
        box.AllowedCharacters(WString(u"0123456789"));
        box.AllowedCharactersMode(c.allowed);
        box.SetText(WString(u""));
        EXPECT_EQ(Press(c.typed), 0) << "dropped or typed, the character is used";
        EXPECT_TRUE(box.GetText().IsEqual(c.expected)) << c.allowed << " " << char(c.typed);
    }
}

TEST_F(TextBoxTest, ReadOnlyRefusesTypingDeletionsAndClipboardChangesButCopies)
{
    LTextBox& box = Box();
    box.SetFocus(true);
    box.SetReadOnly(true);
    clipboard.text = WString(u"zz");
    Prepare(u"hello", 3, 1, 2);
    for (std::uint32_t key : {std::uint32_t(u'x'), Vk(0x08), Vk(0x2E), Vk(0x2E, kC)})
        EXPECT_EQ(Press(key), 0);
    EXPECT_EQ(box.PerformEdit(0), QK_E_FAIL);
    EXPECT_EQ(box.PerformEdit(1), QK_E_FAIL);
    EXPECT_EQ(box.PerformEdit(3), QK_E_FAIL);
    EXPECT_TRUE(box.GetText().IsEqual(u"hello"));
    for (std::int32_t kind : {0, 1, 3})
        EXPECT_FALSE(box.HandleClipboardData(kind)) << kind;
    EXPECT_EQ(box.PerformEdit(2), QK_OK);
    EXPECT_TRUE(clipboard.text.IsEqual(u"el"));
}

TEST_F(TextBoxTest, ClipboardEdits)
{
    LTextBox& box = Box();
    box.SetFocus(true);
    // Without a selection delete, cut and copy have nothing to do.
    Prepare(u"hello", 2);
    for (std::int32_t kind : {0, 1, 2})
    {
        EXPECT_FALSE(box.HandleClipboardData(kind));
        EXPECT_EQ(box.PerformEdit(kind), QK_E_FAIL) << kind;
    }
    EXPECT_EQ(box.PerformEdit(7), QK_E_FAIL);
    EXPECT_TRUE(clipboard.writes.empty());

    Prepare(u"hello", 3, 1, 2);
    EXPECT_EQ(box.PerformEdit(1), QK_OK);
    EXPECT_TRUE(box.GetText().IsEqual(u"hlo"));
    EXPECT_EQ(box.GetCaret(), 1);
    EXPECT_EQ(clipboard.writes, std::vector<std::string>{"el"});
    EXPECT_EQ(box.PerformEdit(3), QK_OK);
    EXPECT_TRUE(box.GetText().IsEqual(u"hello"));
    EXPECT_EQ(box.GetCaret(), 3);
    // Pasting over a selection replaces it.
    Prepare(u"hello", 5, 0, 5);
    EXPECT_EQ(box.PerformEdit(3), QK_OK);
    EXPECT_TRUE(box.GetText().IsEqual(u"el"));
    EXPECT_EQ(box.GetCaret(), 2);
    EXPECT_EQ(box.GetSelectionLength(), 0);
    Prepare(u"hello", 3, 1, 2);
    EXPECT_EQ(box.PerformEdit(0), QK_OK);
    EXPECT_TRUE(box.GetText().IsEqual(u"hlo"));

    // The maximum length counts the selection as room.
    box.SetMaxLength(4);
    clipboard.text = WString(u"abc");
    Prepare(u"hl", 1);
    EXPECT_FALSE(box.HandleClipboardData(3));
    EXPECT_EQ(box.PerformEdit(3), QK_E_FAIL);
    Prepare(u"hlo", 3, 1, 2);
    EXPECT_TRUE(box.HandleClipboardData(3));
    EXPECT_EQ(box.PerformEdit(3), QK_OK);
    EXPECT_TRUE(box.GetText().IsEqual(u"habc"));
    Prepare(u"hlo", 3, 1, 1);
    clipboard.text = WString(u"abcd");
    EXPECT_EQ(box.PerformEdit(3), QK_E_FAIL);
    EXPECT_TRUE(box.GetText().IsEqual(u"hlo"));
    box.SetMaxLength(0);

    // An empty clipboard has nothing to paste.
    clipboard.text = WString();
    EXPECT_FALSE(box.HandleClipboardData(3));
    EXPECT_EQ(box.PerformEdit(3), QK_E_FAIL);

    // The edit requests' menu states come from the focused control.
    Prepare(u"hello", 3, 1, 2);
    LMenuItemState state;
    state.Enabled = false;
    EXPECT_EQ(box.IsCommandEnabled(nullptr, 0, WString(u"NID_EDIT_COPY_REQ"), state), 0);
    EXPECT_TRUE(state.Enabled);
    EXPECT_EQ(box.IsCommandEnabled(nullptr, 0, WString(u"NID_EDIT_PASTE_REQ"), state), 0);
    EXPECT_FALSE(state.Enabled);
    state.Enabled = false;
    EXPECT_EQ(box.IsCommandEnabled(nullptr, 0, WString(u"NID_SAVE"), state), 1);
    EXPECT_FALSE(state.Enabled) << "another request's record is left alone";
}

TEST_F(TextBoxTest, APasteDropsWhatTypingWouldDrop)
{
    LTextBox& box = Box();
    box.SetFocus(true);
    struct Case
    {
        const char* what;
        const char16_t* filter;
        bool allowed;
        const char16_t* clipboard;
        QKRESULT result;
        const char16_t* expected;
    };
    const Case cases[] = {
        {"tabs and line breaks never enter a field", u"", true, u"a\tb\r\nc\u00E9", QK_OK, u"abc\u00E9"},
        {"an allow filter keeps its characters", u"0123456789", true, u"12ab3", QK_OK, u"123"},
        {"a forbid filter drops its characters", u"/\\", false, u"a/b\\c", QK_OK, u"abc"},
        {"nothing left to paste", u"0123456789", true, u"abc", QK_E_FAIL, u""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        box.AllowedCharacters(WString(c.filter));
        box.AllowedCharactersMode(c.allowed);
        box.SetText(WString(u""));
        clipboard.text = WString(c.clipboard);
        EXPECT_EQ(box.HandleClipboardData(3), c.result == QK_OK);
        EXPECT_EQ(box.PerformEdit(3), c.result);
        EXPECT_TRUE(box.GetText().IsEqual(c.expected)) << Narrow(box.GetText());
    }
}

TEST_F(TextBoxTest, ValidationCorrectsOrRefusesAndARefusalKeepsTheFocus)
{
    LTextBox& box = Box();
    LControl& other = *harness.Find("other");
    box.SetFocus(true);
    box.SetText(WString(u"42x"));
    const RCPtr<Recorder> validating = Listen(box, u"NID_TEXTBOX_VALIDATING");
    Listen(box, u"NID_TEXTBOX_TEXT_CHANGE");
    Listen(box, u"NID_TEXTBOX_VALIDATED");

    // A correcting handler: the new text is set before "validated".
    validating->action = [](Recorder&, const ConstRCPtr<LNotificationDistributor>&,
                            const ConstRCPtr<LNotification>& notification)
    {
        auto* params = dynamic_cast<LTextValidationParams*>(const_cast<LRefCountedObject*>(notification->GetArgument().Get()));
        EXPECT_TRUE(params->PreviousText.IsEqual(u"42x"));
        params->Text = WString(u"42");
    };
    EXPECT_EQ(Press(Vk(0x0D)), 1);
    EXPECT_TRUE(box.GetText().IsEqual(u"42"));
    EXPECT_EQ(log, (std::vector<std::string>{"box:NID_TEXTBOX_VALIDATING", "box:NID_TEXTBOX_TEXT_CHANGE",
                                             "box:NID_TEXTBOX_VALIDATED"}));

    // A refusing handler: Enter is used up, nothing is validated, the focus stays.
    log.clear();
    validating->actOnce = false;
    validating->action = [](Recorder&, const ConstRCPtr<LNotificationDistributor>&,
                            const ConstRCPtr<LNotification>& notification)
    {
        auto* params = dynamic_cast<LTextValidationParams*>(const_cast<LRefCountedObject*>(notification->GetArgument().Get()));
        params->Text = WString(u"ignored");
        params->Valid = false;
    };
    EXPECT_EQ(Press(Vk(0x0D)), 0);
    EXPECT_TRUE(box.GetText().IsEqual(u"42"));
    EXPECT_EQ(log, std::vector<std::string>{"box:NID_TEXTBOX_VALIDATING"});
    other.SetFocus(true);
    EXPECT_TRUE(box.HasFocus());
    EXPECT_FALSE(other.HasFocus());
    script.Move({20, 110}).Press(1, {20, 110}).Release(1, {20, 110});
    EXPECT_TRUE(box.HasFocus()) << "a click elsewhere does not take the focus either";

    validating->action = nullptr;
    other.SetFocus(true);
    EXPECT_TRUE(other.HasFocus());
    EXPECT_FALSE(box.HasFocus());
}

TEST_F(TextBoxTest, TheCaretBlinksHalfASecondOnAndThreeTenthsOff)
{
    LTextBox& box = Box();
    box.SetFocus(true);
    EXPECT_EQ(box.GetIdleUsers(), 1);
    EXPECT_TRUE(box.IsCaretVisible());
    struct Step
    {
        std::uint32_t ms;
        bool visible;
    };
    const Step steps[] = {{499, true}, {1, false}, {299, false}, {1, true}, {500, false}};
    for (const Step& step : steps)
    {
        harness.Window()->dirty.clear();
        const bool before = box.IsCaretVisible();
        script.Tick(step.ms);
        EXPECT_EQ(box.IsCaretVisible(), step.visible) << "after +" << step.ms << " ms";
        // A blink repaints the caret's strip (the box is at 10, 10; the caret at the text
        // area's left, 4 in, one to the left), nothing else; no blink repaints nothing.
        const std::vector<RectD> blinked{RectD{12.0, 13.0, 3.0, box.GetCaretRect().height + 2.0}};
        EXPECT_EQ(harness.Window()->dirty, before == step.visible ? std::vector<RectD>{} : blinked)
            << "after +" << step.ms << " ms";
    }
    // A caret move shows it again at once.
    box.SetText(WString(u"ab"));
    box.MoveCaret(1, false);
    EXPECT_TRUE(box.IsCaretVisible());

    harness.Find("other")->SetFocus(true);
    EXPECT_FALSE(box.IsCaretVisible());
    EXPECT_EQ(box.GetIdleUsers(), 0);
}

TEST_F(TextBoxTest, CaretPositionScrollingAndPointing)
{
    LTextBox& box = Box();
    box.SetAutoScroll(0, true);
    box.SetFocus(true);
    // Seven pixels a character from the text area's left at 4; the caret sits one to the left.
    box.SetText(WString(u"abcdef"));
    box.MoveCaret(2, false);
    EXPECT_EQ(box.GetCaretRect(), (RectD{17.0, 4.0, 1.0, 12.0}));
    EXPECT_EQ(box.GetClientExtentSize().first, 42.0);

    // Twenty characters: the end of the text scrolls into view with a 3-pixel margin.
    box.SetText(WString(u"abcdefghijklmnopqrst"));
    box.MoveCaret(20, false);
    EXPECT_EQ(box.GetCaretRect().x, 143.0);
    EXPECT_EQ(box.GetScrollOffset().x, 51.0) << "143 + 1 + 3 - 96";
    box.MoveCaret(0, false);
    EXPECT_EQ(box.GetScrollOffset().x, 0.0);

    // Pointing: the half of a character decides on which side the caret lands.
    struct Case
    {
        double x;
        std::int32_t position;
    };
    const Case cases[] = {{-5.0, 0}, {4.0, 0}, {21.0, 2}, {22.0, 3}, {95.0, 13}, {500.0, 13}};
    for (const Case& c : cases)
        EXPECT_EQ(box.CharacterAt(PointD{c.x, 10.0}), c.position) << c.x;

    // Leaving scrolls back to the start.
    box.MoveCaret(20, false);
    harness.Find("other")->SetFocus(true);
    EXPECT_EQ(box.GetScrollOffset().x, 0.0);
}

// The boxes with their text centred, as the editor's name boxes have it.
class CentredTextBoxTest : public TextBoxTest
{
protected:
    CentredTextBoxTest() : TextBoxTest("0.5") {}

    // Where the box draws the left edge of its first character, in its own coordinates.
    double FirstCharacterX()
    {
        LTextBox& box = Box();
        const RCPtr<LLook> look = box.GetLook(0);
        const RCPtr<LFontText> text = look ? look->GetFontText() : nullptr;
        if (!text || text->GetLineCount() == 0)
            return -1000.0;
        return look->GetTextOrigin().x + text->GetLineRect(0).x - box.GetScrollOffset().x;
    }
};

// Sixteen characters (112 pixels) overflow the 92-pixel text area. Whatever happened while the
// box had the focus, and whatever sets its text after that, the unfocused box shows its text
// from the first character at the area's left edge (4); a text that fits stays centred.
TEST_F(CentredTextBoxTest, AnUnfocusedBoxShowsItsTextFromTheFirstCharacter)
{
    const WString kLong(u"ABCDEFGHIJKLMNOP");
    LTextBox& box = Box();
    LControl& other = *harness.Find("other");
    box.SetAutoScroll(0, true);
    box.SetMaxLength(16);
    const auto pasteAndLeave = [&] {
        box.SetText(WString());
        box.SetFocus(true);
        clipboard.text = kLong;
        ASSERT_EQ(box.PerformEdit(3), QK_OK);
        ASSERT_EQ(box.GetCaret(), 16);
        ASSERT_GT(box.GetScrollOffset().x, 0.0) << "the caret at the end scrolled the text";
        other.SetFocus(true);
        ASSERT_FALSE(box.HasFocus());
    };
    const struct
    {
        const char* what;
        std::function<void()> steps;
        double x;
    } cases[] = {
        {"pasted, then the focus left", [&] { pasteAndLeave(); }, 4.0},
        {"another long text set with the caret kept at the end",
         [&] {
             pasteAndLeave();
             box.SetText(WString(u"KNOB 1 CUTOFF 16"), false);
         },
         4.0},
        {"another long text set by its owner",
         [&] {
             pasteAndLeave();
             box.SetText(WString(u"PONMLKJIHGFEDCBA"));
         },
         4.0},
        {"cut by a smaller maximum length",
         [&] {
             pasteAndLeave();
             box.SetMaxLength(15);
             box.SetMaxLength(16);
         },
         4.0},
        {"a short text", [&] { box.SetText(WString(u"ABC")); }, 4.0 + (92.0 - 21.0) / 2.0},
    };
    for (const auto& c : cases)
    {
        c.steps();
        EXPECT_EQ(box.GetScrollOffset().x, 0.0) << c.what;
        EXPECT_EQ(FirstCharacterX(), c.x) << c.what;
    }

    // With the focus, Home brings the first character into view, and End the last one.
    box.SetFocus(true);
    box.SetText(kLong);
    EXPECT_EQ(Press(Vk(0x23)), 0);
    EXPECT_EQ(FirstCharacterX() + 112.0, 96.0 - 3.0) << "the end with the 3-pixel margin";
    EXPECT_EQ(Press(Vk(0x24)), 0);
    EXPECT_EQ(FirstCharacterX(), 4.0);
    EXPECT_EQ(box.GetCaretRect().x, 3.0);
}

// The system's measuring pads every measured text by a few pixels; the caret, the pointing and
// the highlight must not carry that padding, or they stand inside the glyphs.
class PaddedMeasurementRenderer : public FakeMeasurementRenderer
{
public:
    using FakeMeasurementRenderer::FakeMeasurementRenderer;
    RectF MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const override
    {
        RectF rect = FakeMeasurementRenderer::MeasureText(text, font);
        if (!text.IsEmpty())
            rect.width += 3.0f;
        return rect;
    }
};

TEST_F(TextBoxTest, APaddedMeasureDoesNotMoveTheCaretIntoTheGlyphs)
{
    const ScopedRenderApp padded{RCPtr<LMeasurementRenderer>(new PaddedMeasurementRenderer(7.0f))};
    LTextBox& box = Box();
    box.SetFocus(true);
    box.SetText(WString(u"abcdef"));
    struct Case
    {
        std::int32_t caret;
        double x;
    };
    for (const Case& c : {Case{0, 3.0}, Case{1, 10.0}, Case{2, 17.0}, Case{6, 45.0}})
    {
        box.MoveCaret(c.caret, false);
        EXPECT_EQ(box.GetCaretRect().x, c.x) << c.caret;
    }
    EXPECT_EQ(box.GetClientExtentSize().first, 42.0);
    EXPECT_EQ(box.CharacterAt(PointD{21.0, 10.0}), 2);
    EXPECT_EQ(box.CharacterAt(PointD{22.0, 10.0}), 3);
}

TEST_F(TextBoxTest, ClicksPlaceTheCaretShiftExtendsAndADoubleClickSelectsAWord)
{
    LTextBox& box = Box();
    box.SetText(WString(u"one  two"));
    // Box at (10, 10): character i starts at 14 + 7 i in the window.
    script.Move({27, 20}).Press(1, {27, 20}).Release(1, {27, 20});
    EXPECT_TRUE(box.HasFocus());
    EXPECT_EQ(box.GetCaret(), 2);
    script.Press(1, {63, 20}, KeyCode::kFlagShift).Release(1, {63, 20}, KeyCode::kFlagShift);
    EXPECT_EQ(box.GetSelectionStart(), 2);
    EXPECT_EQ(box.GetSelectionLength(), 5);
    EXPECT_EQ(box.GetCaret(), 7);

    // Ctrl+click (as the second click of a double click) selects the word without its spaces.
    script.Press(1, {20, 20}).Release(1, {20, 20}, KeyCode::kFlagCtrl);
    EXPECT_EQ(box.GetSelectionStart(), 0);
    EXPECT_EQ(box.GetSelectionLength(), 3);
    EXPECT_EQ(box.GetCaret(), 3);
    harness.Host().Press(1, {20, 20}, 2);
    harness.Host().Release(1, {20, 20});
    EXPECT_EQ(box.GetSelectionLength(), 3);

    // Dragging extends the selection from the press.
    script.Press(1, {14, 20}).Move({30, 20}).Move({50, 20});
    EXPECT_EQ(box.GetSelectionStart(), 0);
    EXPECT_EQ(box.GetSelectionLength(), 5);
    script.Release(1, {50, 20});
}

TEST_F(TextBoxTest, LooksFollowFocusHoverSelectionAndTheCueText)
{
    LTextBox& box = Box();
    LTextBox& cued = Box("cued");
    EXPECT_TRUE(cued.GetText().IsEmpty()) << "the label is a cue, not the text";
    EXPECT_TRUE(cued.GetCueText().IsEqual(u"Name"));
    EXPECT_EQ(cued.GetCurrentLookIndex(), 2);
    EXPECT_EQ(cued.GetLookOpacity(9), 1.0f);

    harness.Find("other")->SetFocus(true);
    EXPECT_EQ(box.GetCurrentLookIndex(), 0);
    script.Move({20, 20});
    EXPECT_EQ(box.GetCurrentLookIndex(), 1);
    box.SetFocus(true);
    EXPECT_EQ(box.GetCurrentLookIndex(), 4);
    box.SetText(WString(u"hello"));
    box.SetSelection(1, 2);
    EXPECT_EQ(box.GetCurrentLookIndex(), 4);
    EXPECT_EQ(box.GetLookOpacity(11), 1.0f) << "the selection over the focused hover look";
    script.Move({300, 200});
    EXPECT_EQ(box.GetCurrentLookIndex(), 3);
    EXPECT_EQ(box.GetLookOpacity(10), 1.0f);
    EXPECT_EQ(box.GetLookOpacity(11), 0.0f);

    cued.SetFocus(true);
    EXPECT_EQ(cued.GetCurrentLookIndex(), 3);
    EXPECT_EQ(cued.GetLookOpacity(9), 0.0f);
    box.SetEnabled(false);
    EXPECT_EQ(box.GetCurrentLookIndex(), 6);

    // The tooltip is the text when it does not fit.
    cued.SetText(WString(u"short"));
    EXPECT_TRUE(cued.GetToolTipText().IsEmpty());
    cued.SetText(WString(u"a text far too long for the box"));
    EXPECT_TRUE(cued.GetToolTipText().IsEqual(u"a text far too long for the box"));
}

TEST_F(TextBoxTest, ThePointerShowsTheIBeamFromTheFirstHoverOnAndTheArrowBeside)
{
    // "UI_CURSOR_IBEAM" is 6 and the arrow 1 in the test application.
    script.Move({300, 200});
    script.Move({20, 20});
    EXPECT_EQ(harness.Window()->cursor, 6);
    script.Move({300, 200});
    EXPECT_EQ(harness.Window()->cursor, 1);
    script.Move({20, 20});
    EXPECT_EQ(harness.Window()->cursor, 6);
}

TEST_F(TextBoxTest, ACorrectedShorterTextPullsTheCaretBackToItsEnd)
{
    LTextBox& box = Box();
    box.SetFocus(true);
    Prepare(u"hello world", 11);
    const RCPtr<Recorder> validating = Listen(box, u"NID_TEXTBOX_VALIDATING");
    validating->action = [](Recorder&, const ConstRCPtr<LNotificationDistributor>&,
                            const ConstRCPtr<LNotification>& notification)
    {
        auto* params = dynamic_cast<LTextValidationParams*>(const_cast<LRefCountedObject*>(notification->GetArgument().Get()));
        params->Text = WString(u"hello");
    };
    EXPECT_EQ(Press(Vk(0x0D)), 1);
    ASSERT_TRUE(box.GetText().IsEqual(u"hello"));
    EXPECT_EQ(box.GetCaret(), 5);
    EXPECT_EQ(box.GetAnchor(), 5);
    EXPECT_EQ(box.GetCaretRect().x, 38.0) << "drawn after the last letter: 4 + 5 x 7 - 1";
    // Editing goes on at the end of the shorter text.
    EXPECT_EQ(Press(u'!'), 0);
    EXPECT_TRUE(box.GetText().IsEqual(u"hello!"));
    EXPECT_EQ(Press(Vk(0x08)), 0);
    EXPECT_TRUE(box.GetText().IsEqual(u"hello"));
    EXPECT_EQ(box.GetCaret(), 5);
}

TEST_F(TextBoxTest, TheCaretShowsAtOnceWhenTheFocusComesBack)
{
    LTextBox& box = Box();
    LControl& other = *harness.Find("other");
    box.SetFocus(true);
    // Leave while the caret is in its hidden phase.
    script.Tick(500);
    ASSERT_FALSE(box.IsCaretVisible());
    other.SetFocus(true);
    box.SetFocus(true);
    EXPECT_TRUE(box.IsCaretVisible());
    script.Tick(499);
    EXPECT_TRUE(box.IsCaretVisible()) << "a full shown phase from the focus";
    script.Tick(1);
    EXPECT_FALSE(box.IsCaretVisible());
}

TEST_F(TextBoxTest, ASelectionScrolledOutOfViewHighlightsNothing)
{
    LTextBox& box = Box();
    box.SetAutoScroll(0, true);
    box.SetFocus(true);
    box.SetText(WString(u"abcdefghijklmnopqrst"));
    box.SetSelection(0, 1);
    ASSERT_EQ(box.GetLookOpacity(10), 1.0f);
    // The caret at the end scrolls the first two letters out of the text area: the highlight's
    // rectangle is empty, and an empty region must not let the look cover the whole box.
    box.MoveCaret(20, false);
    ASSERT_EQ(box.GetScrollOffset().x, 51.0);
    ASSERT_EQ(box.GetSelectionLength(), 2);
    EXPECT_EQ(box.GetCurrentLookIndex(), 3);
    EXPECT_EQ(box.GetLookOpacity(10), 0.0f);
    EXPECT_EQ(box.GetLookOpacity(11), 0.0f);
    // Back in view, it shows again.
    box.MoveCaret(0, false);
    EXPECT_EQ(box.GetLookOpacity(10), 1.0f);
}

// Every edit that takes the selection away takes its highlight away too: typing over it (the
// first character and the ones after), deleting it, and pasting over it.
TEST_F(TextBoxTest, AnEditThatEndsTheSelectionTakesItsHighlightAway)
{
    LTextBox& box = Box();
    box.SetFocus(true);
    const struct
    {
        const char* what;
        std::vector<std::uint32_t> keys;
        const char16_t* text;
    } cases[] = {
        {"typed over", {u'5'}, u"5"},
        {"typed over, then typed on", {u'5', u'7'}, u"57"},
        {"typed over, then emptied", {u'5', u'7', Vk(0x08), Vk(0x08)}, u""},
        {"deleted", {Vk(0x2E)}, u""},
        {"backspaced", {Vk(0x08)}, u""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        box.SetText(WString(u"120"), false);
        Press(Vk('A', kC));
        ASSERT_EQ(box.GetSelectionLength(), 3);
        ASSERT_EQ(box.GetLookOpacity(10) + box.GetLookOpacity(11), 1.0f);
        for (const std::uint32_t key : c.keys)
            Press(key);
        EXPECT_TRUE(box.GetText().IsEqual(c.text));
        EXPECT_EQ(box.GetSelectionLength(), 0);
        EXPECT_EQ(box.GetLookOpacity(10), 0.0f);
        EXPECT_EQ(box.GetLookOpacity(11), 0.0f);
    }
    box.SetText(WString(u"120"), false);
    clipboard.text = WString(u"64");
    Press(Vk('A', kC));
    ASSERT_EQ(box.PerformEdit(3), QK_OK);
    EXPECT_TRUE(box.GetText().IsEqual(u"64"));
    EXPECT_EQ(box.GetLookOpacity(10), 0.0f);
    EXPECT_EQ(box.GetLookOpacity(11), 0.0f);
}

TEST_F(TextBoxTest, DraggingPastAnEdgeScrollsUntilTheEndAndExtendsTheSelection)
{
    LTextBox& box = Box();
    box.SetAutoScroll(0, true);
    box.SetText(WString(u"abcdefghijklmnopqrst"));
    // Text area 4..96 of the box at (10, 10); the content is 140 wide, so the offset may
    // reach 140 - 92 + 3 = 51.
    script.Move({15, 20}).Press(1, {15, 20}).Move({60, 20}).Move({105, 20});
    ASSERT_TRUE(box.IsInertiaActive(0));
    EXPECT_EQ(box.GetInertiaVelocity(0), 100.0) << "(95 - 76 + 1) x 5 pixels a second";
    script.Tick(100);
    EXPECT_EQ(box.GetScrollOffset().x, 10.0);
    EXPECT_EQ(box.GetSelectionStart(), 0);
    EXPECT_EQ(box.GetSelectionLength(), 14) << "the letter under the pointer after the scroll";
    script.Tick(1000);
    EXPECT_EQ(box.GetScrollOffset().x, 51.0);
    EXPECT_FALSE(box.IsInertiaActive(0)) << "stopped at the end";
    EXPECT_EQ(box.GetSelectionLength(), 20);
    EXPECT_EQ(box.GetCaret(), 20);

    // Past the left edge it scrolls back and stops at 0.
    script.Move({15, 20});
    ASSERT_TRUE(box.IsInertiaActive(0));
    EXPECT_EQ(box.GetInertiaVelocity(0), -90.0) << "(5 - 24 + 1) x 5";
    script.Tick(1000);
    EXPECT_EQ(box.GetScrollOffset().x, 0.0);
    EXPECT_FALSE(box.IsInertiaActive(0)) << "stopped at the start";
    EXPECT_EQ(box.GetCaret(), 0);
    EXPECT_EQ(box.GetSelectionLength(), 0);
    script.Release(1, {15, 20});
}

// The edit menu comes from the framework's string table; its items are enabled by what the
// clipboard edits can do now, asked through the box's menu item updater as a popup asks.
const char* const kEditStrings = R"(
  <StringTable ID="Framework">
    <String ID="EDIT_CUT"><Locale LCID="0x0009">Cut</Locale></String>
    <String ID="EDIT_COPY"><Locale LCID="0x0009">Copy</Locale></String>
    <String ID="EDIT_PASTE"><Locale LCID="0x0009">Paste</Locale></String>
    <String ID="EDIT_DELETE"><Locale LCID="0x0009">Delete</Locale></String>
  </StringTable>
)";

TEST(TextBoxContextMenu, TheFourEditItemsEnabledByWhatTheClipboardCanDo)
{
    WindowHarness harness(kTree, kEditStrings, Looks());
    const ScopedRenderApp measuring{RCPtr<LMeasurementRenderer>(new FakeMeasurementRenderer(7.0f))};
    harness.Factory().RegisterControlClass(WString(u"Framework.TextBox"), &LTextBox::Create);
    ASSERT_TRUE(harness.SetRoot(u"top"));
    auto& box = dynamic_cast<LTextBox&>(*harness.Find("box"));
    FakeClipboard clipboard;
    clipboard.focus = &box;

    const ConstRCPtr<LMenuDescriptor> menu = box.GetContextMenu();
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->GetItemCount(), 4u);
    const char* const labels[] = {"Cut", "Copy", "Paste", "Delete"};
    const char* const nids[] = {"NID_EDIT_CUT_REQ", "NID_EDIT_COPY_REQ", "NID_EDIT_PASTE_REQ", "NID_EDIT_DELETE_REQ"};
    for (std::uint32_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ(Narrow(menu->GetItem(i)->Label), labels[i]);
        EXPECT_EQ(Narrow(menu->GetItem(i)->NotificationId), nids[i]);
    }

    struct Case
    {
        const char* what;
        bool selection;
        const char16_t* clipboardText;
        bool readOnly;
        bool cut, copy, paste, del;
    };
    const Case cases[] = {
        {"nothing selected, nothing to paste", false, u"", false, false, false, false, false},
        {"nothing selected, text to paste", false, u"xy", false, false, false, true, false},
        {"a selection and text to paste", true, u"xy", false, true, true, true, true},
        {"read-only: only copy", true, u"xy", true, false, true, false, false},
    };
    const RCPtr<LMenuItemUpdater> updater = box.GetMenuItemUpdater();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        box.SetReadOnly(c.readOnly);
        box.SetText(WString(u"hello"));
        if (c.selection)
            box.SetSelection(1, 2);
        clipboard.text = WString(c.clipboardText);
        const bool expected[] = {c.cut, c.copy, c.paste, c.del};
        for (std::uint32_t i = 0; i < 4; ++i)
        {
            LMenuItemState state;
            ASSERT_EQ(menu->GetItemState(i, state), QK_OK);
            state.Enabled = !expected[i];
            EXPECT_EQ(updater->IsCommandEnabled(menu.Get(), i, menu->GetItem(i)->NotificationId, state), 0);
            EXPECT_EQ(state.Enabled, expected[i]) << labels[i];
            EXPECT_EQ(Narrow(state.Label), labels[i]) << "the label is left as it was";
        }
    }
    harness.Root()->SetRootControl(RCPtr<LControl>());
    LNotificationCenterManager::ReleaseInstance();
}

TEST_F(TextBoxTest, WithoutTheFrameworkStringTableThereIsNoMenu)
{
    EXPECT_FALSE(Box().GetContextMenu());
}

// A focused box with "ba" selected in "Velocity curve", drawn by the software renderer with
// real fonts: a blue frame when focused, the selection highlight behind the selected letters,
// the caret after them. Client parts of all shown looks are drawn before their non-client
// parts, so the highlight is a non-client part, to lie over the focused look's white.
const char* const kPictureTree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="220" YSizeAbs="40" TabStop="-1"><Skin Name="t" LookList="back"/>
    <SubControl Class="Framework.TextBox" Name="box" XPositionAbs="10" YPositionAbs="8" XSizeAbs="200" YSizeAbs="24" TabStop="1" FontName="DejaVu Sans" FontSize="10" FontInheritsFromParent="False"><Skin Name="b" LookList="box"/></SubControl>
  </SubControl>
</Skin>)";

std::string PictureLooks()
{
    const char* const lookOfIndex[14] = {"normal", "normal", "normal", "focused", "focused", "normal", "normal",
                                         "normal", "normal", "normal", "selection", "selection", "normal", "normal"};
    std::string list;
    for (int i = 0; i < 14; ++i)
        list += std::string("<Look Name=\"") + lookOfIndex[i] + "\" Index=\"" + std::to_string(i) + "\"/>";
    const std::string text = R"(<TextProperties TextLeftRel="0" TextLeftAbs="4" TextRightRel="1" TextRightAbs="-4" TextHAlign="0"
        TextTopRel="0" TextTopAbs="4" TextBottomRel="1" TextBottomAbs="-4" TextVAlign="0.5" TextForegroundPart="ink"/>)";
    return R"(
  <Colorizers><Colorizer Name="back" ColorType="SolidFill" Color="FFE8E8E8"/>
    <Colorizer Name="white" ColorType="SolidFill" Color="FFFFFFFF"/>
    <Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/>
    <Colorizer Name="blue" ColorType="SolidFill" Color="FF3070C0"/>
    <Colorizer Name="highlight" ColorType="SolidFill" Color="FFB8D0F0"/>
    <Colorizer Name="ink" ColorType="SolidFill" Color="FF000000"/></Colorizers>
  <Parts><Part Name="back" Width="1" Height="1" ResizeType="Stretch" ColorizerName="back"/>
    <Part Name="white" Width="1" Height="1" ResizeType="Stretch" ColorizerName="white"/>
    <Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/>
    <Part Name="blue" Width="1" Height="1" ResizeType="Stretch" ColorizerName="blue"/>
    <Part Name="highlight" Width="1" Height="1" ResizeType="Stretch" ColorizerName="highlight"/>
    <Part Name="ink" Width="1" Height="1" ResizeType="Stretch" ColorizerName="ink"/></Parts>
  <Looks>
    <Look Name="back"><ClientPart Name="back" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="normal"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
      <NonClientParts><NonClientPart Name="white" OffsetLeft="1" OffsetTop="1" OffsetRight="-1" OffsetBottom="-1"/></NonClientParts>)" +
           text + R"(</Look>
    <Look Name="focused"><ClientPart Name="blue" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
      <NonClientParts><NonClientPart Name="white" OffsetLeft="2" OffsetTop="2" OffsetRight="-2" OffsetBottom="-2"/></NonClientParts>)" +
           text + R"(</Look>
    <Look Name="selection"><NonClientParts><NonClientPart Name="highlight" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></NonClientParts>)" +
           text + R"(</Look>
  </Looks>
  <LookLists><LookList Name="back" NumLooks="1"><Look Name="back" Index="0"/></LookList>
    <LookList Name="box" NumLooks="14">)" +
           list + "</LookList></LookLists>";
}

TEST(TextBoxPicture, AFocusedBoxWithASelection)
{
    WindowHarness harness(kPictureTree, std::string(), PictureLooks());
    // Real measurements, so that the caret and the highlight sit where the glyphs are drawn.
    const ScopedRenderApp measuring;
    harness.Factory().RegisterControlClass(WString(u"Framework.TextBox"), &LTextBox::Create);
    const RCPtr<LRenderer> renderer = LRenderer::Create(1, 0);
    RecordingWindowHost host;
    host.clientRect = {0, 0, 220, 40};
    const auto window = LRootWindow::Create(renderer, &host);
    ASSERT_EQ(window->SetRootControl(WString(u"top")), QK_OK);
    auto& box = dynamic_cast<LTextBox&>(*window->GetRootControl()->FindChild(WString(u"box")));
    box.SetFocus(true);
    box.SetText(WString(u"Velocity curve"));
    box.MoveCaret(2, false);
    box.SetSelection(2, 3);
    box.MoveCaret(4, false);
    ASSERT_TRUE(box.HasFocus());
    ASSERT_TRUE(box.IsCaretVisible());
    EXPECT_EQ(box.GetCurrentLookIndex(), 3);

    RCPtr<LRenderContextInfo> context;
    const IDrawingSurface& surface = PaintOffscreen(*window, *renderer, {0, 0, 220, 40}, context);
    EXPECT_EQ(surface.GetPixel(10, 8), 0xFF3070C0u) << "focus frame";
    EXPECT_EQ(surface.GetPixel(3, 3), 0xFFE8E8E8u) << "background";
    // The highlight's first column sits where the third letter starts.
    const RectD caret = box.GetCaretRect();
    const std::int32_t highlightTop = static_cast<std::int32_t>(caret.y + 1.5) + 8;
    bool highlighted = false;
    for (std::int32_t x = 20; x < 60 && !highlighted; ++x)
        highlighted = surface.GetPixel(x, highlightTop) == 0xFFB8D0F0u;
    EXPECT_TRUE(highlighted);
    EXPECT_EQ(surface.GetPixel(10 + static_cast<std::int32_t>(caret.x), 8 + static_cast<std::int32_t>(caret.y + 2.0)),
              0xFF000000u)
        << "the caret, black over a light look";

    EXPECT_TRUE(SavePicture(surface, "text-box-selection.png"));
    window->SetHost(nullptr);
    window->SetRootControl(RCPtr<LControl>());
    LNotificationCenterManager::ReleaseInstance();
}

} // namespace
} // namespace QK
