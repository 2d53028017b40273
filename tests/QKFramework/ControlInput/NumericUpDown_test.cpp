// The numeric up-down through a real root window: typed text corrected by the validation
// pass (a table of ranges, places and texts), the characters typing lets through, the
// buttons stepping and repeating up to the range's end, the Up and Down keys, owners
// correcting or refusing first, and skins that lack the text box or the buttons.
#include "QKFramework/Controls/NumericUpDown.h"

#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/TextBox.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

#include "tests/support/Controls/FakeClipboard.h"
#include "tests/support/UI/EventScript.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// The up-down lies at (10, 10): its text box takes the left 60 pixels, the up button the
// top and the down button the bottom half of the right 20.
const char* const kTree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k0" LookList="flat"/>
    <SubControl Class="Framework.NumericUpDown" Name="upDown" XPositionAbs="10" YPositionAbs="10" XSizeAbs="80" YSizeAbs="20" TabStop="1"><Skin Name="k1" LookList="flat"/>
      <SubControl Class="Framework.TextBox" Name="textBox" XPositionAbs="0" YPositionAbs="0" XSizeAbs="60" YSizeAbs="20" TabStop="1"><Skin Name="k2" LookList="flat"/></SubControl>
      <SubControl Class="Framework.Button" Name="buttonUp" XPositionAbs="60" YPositionAbs="0" XSizeAbs="20" YSizeAbs="10" TabStop="2"><Skin Name="k3" LookList="flat"/></SubControl>
      <SubControl Class="Framework.Button" Name="buttonDown" XPositionAbs="60" YPositionAbs="10" XSizeAbs="20" YSizeAbs="10" TabStop="3"><Skin Name="k4" LookList="flat"/></SubControl>
    </SubControl>
    <SubControl Class="Framework.NumericUpDown" Name="textOnly" XPositionAbs="10" YPositionAbs="40" XSizeAbs="80" YSizeAbs="20" TabStop="2"><Skin Name="k5" LookList="flat"/>
      <SubControl Class="Framework.TextBox" Name="textBox" XPositionAbs="0" YPositionAbs="0" XSizeAbs="60" YSizeAbs="20" TabStop="1"><Skin Name="k6" LookList="flat"/></SubControl>
    </SubControl>
    <SubControl Class="Framework.NumericUpDown" Name="buttonsOnly" XPositionAbs="10" YPositionAbs="70" XSizeAbs="80" YSizeAbs="20" TabStop="3"><Skin Name="k7" LookList="flat"/>
      <SubControl Class="Framework.Button" Name="buttonUp" XPositionAbs="60" YPositionAbs="0" XSizeAbs="20" YSizeAbs="10" TabStop="1"><Skin Name="k8" LookList="flat"/></SubControl>
      <SubControl Class="Framework.Button" Name="buttonDown" XPositionAbs="60" YPositionAbs="10" XSizeAbs="20" YSizeAbs="10" TabStop="2"><Skin Name="k9" LookList="flat"/></SubControl>
    </SubControl>
    <SubControl Class="Framework.NumericUpDown" Name="bare" XPositionAbs="10" YPositionAbs="100" XSizeAbs="80" YSizeAbs="20" TabStop="4"><Skin Name="k10" LookList="flat"/></SubControl>
    <SubControl Class="Test.Probe" Name="other" XPositionAbs="10" YPositionAbs="200" XSizeAbs="50" YSizeAbs="20" TabStop="5"><Skin Name="k11" LookList="flat"/>
      <CreateParamList><CreateParam ID="NOT_FOCUSABLE">false</CreateParam></CreateParamList></SubControl>
  </SubControl>
</Skin>)";

constexpr std::uint32_t kVkReturn = 0x0D;
constexpr std::uint32_t kVkUp = 0x26;
constexpr std::uint32_t kVkDown = 0x28;
constexpr std::uint32_t kCtrl = 1;
// Window points over the buttons of "upDown".
constexpr PointL kOverUp{75, 13};
constexpr PointL kOverDown{75, 25};

class NumericUpDownTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.Factory().RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.TextBox"), &LTextBox::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.NumericUpDown"), &LNumericUpDown::Create);
        ASSERT_TRUE(harness.SetRoot(u"top"));
    }
    void TearDown() override
    {
        for (const RCPtr<Recorder>& recorder : recorders)
            recorder->UnsubscribeAll();
        LNotificationCenterManager::ReleaseInstance();
    }

    LNumericUpDown& UpDown(const char* name = "upDown")
    {
        return dynamic_cast<LNumericUpDown&>(*harness.Find(name));
    }
    LTextBox& Box() { return *UpDown().GetTextBox(); }
    std::string Shown() { return Narrow(Box().GetText()); }
    double Number(const char* name = "upDown")
    {
        LNumericUpDown& upDown = UpDown(name);
        return upDown.FractionToValue(upDown.GetValue());
    }
    void Prepare(double minimum, double maximum, std::int32_t places, double value)
    {
        LNumericUpDown& upDown = UpDown();
        ASSERT_EQ(upDown.SetValueRange(minimum, maximum, 0), QK_OK);
        upDown.SetDecimalPlaces(places);
        upDown.SetValue(upDown.ValueToFraction(value));
    }
    // The text as typed over the whole box (the filter applies), then Enter.
    void Type(const std::u16string& text)
    {
        Box().SetFocus(true);
        Box().SetSelection(0, -1);
        script.Key(0x2E); // Delete
        for (char16_t c : text)
            script.Character(c);
        script.Key(kVkReturn);
    }
    RCPtr<Recorder> Listen(LControl& control, const char16_t* nid)
    {
        RCPtr<Recorder> recorder = Recorder::Create(Narrow(control.GetName()), log);
        recorder->Subscribe(ConstRCPtr<LNotificationDistributor>(&control), nid);
        recorders.push_back(recorder);
        return recorder;
    }

    WindowHarness harness{kTree, std::string(), UniformLooks("flat")};
    EventScript script{harness};
    FakeClipboard clipboard;
    std::vector<std::string> log;
    std::vector<RCPtr<Recorder>> recorders;
};

// The validation pass on a text put into the box as it stands (no filter), as Enter or a
// focus move runs it.
TEST_F(NumericUpDownTest, ValidationCorrectsTheTextAndClampsTheNumber)
{
    struct Case
    {
        double minimum, maximum;
        std::int32_t places;
        double value;
        const char16_t* text;
        const char* shown;
        double number;
    };
    const Case cases[] = {
        {0, 127, 0, 0, u"500", "127", 127},        // clamped to the maximum
        {0, 127, 0, 127, u"0127", "127", 127},     // equal at a bound: rewritten
        {0, 127, 0, 64, u"-5", "0", 0},            // clamped to the minimum
        {-10, 10, 1, 2, u"5-", "2.0", 2},          // a minus after a digit
        {-10, 10, 1, 2, u"-", "2.0", 2},           // a minus alone
        {-10, 10, 1, 2, u"-3.5", "-3.5", -3.5},    // a leading minus is a sign
        {-10, 10, 1, 2, u"-20", "-10.0", -10},     // below the minimum
        {-10, 10, 1, 2, u"1.2.3", "2.0", 2},       // two points
        {-10, 10, 1, 2, u".", "2.0", 2},           // a point alone
        {-10, 10, 1, 2, u"", "2.0", 2},            // nothing
        {0, 10, 1, 5, u"5", "5", 5},               // equal, inside, not 0: kept as typed
        {0, 10, 1, 5, u"0", "0.0", 0},             // a new value is written in the format
        {0, 10, 1, 0, u"0", "0.0", 0},             // equal at 0: rewritten
        {0, 10, 1, 5, u"7.26", "7.3", 7.3},        // the value is what the box shows
        {0, 10, 2, 5, u"12abc", "10.00", 10},      // the leading number counts
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(Narrow(WString(c.text)) + " in " + std::to_string(c.minimum) + ".." + std::to_string(c.maximum));
        Prepare(c.minimum, c.maximum, c.places, c.value);
        Box().SetText(WString(c.text));
        const RCPtr<LTextValidationParams> params = Box().Validate();
        EXPECT_TRUE(params->Valid);
        EXPECT_EQ(Shown(), c.shown);
        EXPECT_NEAR(Number(), c.number, 1e-9);
    }
}

TEST_F(NumericUpDownTest, TypingLetsThroughOnlyWhatTheRangeAndPlacesAllow)
{
    struct Case
    {
        double minimum, maximum;
        std::int32_t places;
        const char16_t* typed;
        const char* shown;
    };
    const Case cases[] = {
        {0, 127, 0, u"-1.5x2", "127"}, // neither sign nor point: 152, clamped on Enter
        {-10, 10, 1, u"-1.5x", "-1.5"},
        {0, 10, 1, u"-1.5", "1.5"},
        {-10, 10, 0, u"-1.5", "-10"}, // -15 clamped
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(Narrow(WString(c.typed)));
        Prepare(c.minimum, c.maximum, c.places, 0);
        Type(c.typed);
        EXPECT_EQ(Shown(), c.shown);
    }
}

TEST_F(NumericUpDownTest, ValueRangeAndPlacesRewriteTheText)
{
    LNumericUpDown& upDown = UpDown();
    EXPECT_EQ(upDown.Step, 1.0);
    ASSERT_EQ(upDown.SetValueRange(0, 10, 0), QK_OK);
    upDown.SetValue(0.5);
    EXPECT_EQ(Shown(), "5");
    ASSERT_EQ(upDown.SetValueRange(0, 100, 0), QK_OK);
    EXPECT_EQ(upDown.GetValue(), 0.5) << "the fraction stays";
    EXPECT_EQ(Shown(), "50");
    upDown.SetDecimalPlaces(3);
    EXPECT_EQ(Shown(), "50.000");
    upDown.SetDecimalPlaces(-1);
    EXPECT_EQ(upDown.GetDecimalPlaces(), 3) << "a negative count is ignored";

    EXPECT_EQ(upDown.SetValueRange(0, 100, 2), QK_E_INVALIDARG);
    EXPECT_EQ(upDown.SetValueRange(-1, 100, 1), QK_E_INVALIDARG);
    EXPECT_EQ(upDown.GetRangeMaximum(), 100.0);
    EXPECT_EQ(Shown(), "50.000");
    ASSERT_EQ(upDown.SetValueRange(1, 1000, 1), QK_OK);
    EXPECT_EQ(Shown(), "31.623") << "a logarithmic range shows its geometric middle";

    EXPECT_EQ(upDown.SetText(WString(u"100 Hz")), QK_OK);
    EXPECT_EQ(Shown(), "100.000");
    EXPECT_NEAR(upDown.GetValue(), 2.0 / 3.0, 1e-12);
}

TEST_F(NumericUpDownTest, ButtonsStepAndRepeatButStopAtTheRangeEnds)
{
    Prepare(0, 127, 0, 125);
    const RCPtr<Recorder> changes = Listen(UpDown(), u"NID_VALUE_CHANGE");
    EXPECT_TRUE(UpDown().GetUpButton()->IsAutoRepeat());
    EXPECT_TRUE(UpDown().GetDownButton()->IsAutoRepeat());

    script.Move(kOverUp).Press(1, kOverUp);
    EXPECT_EQ(Shown(), "126") << "a step at the press";
    script.Tick(300);
    EXPECT_EQ(Shown(), "127") << "the first repeat";
    script.Tick(100).Tick(100).Tick(100);
    EXPECT_EQ(Shown(), "127") << "held at the maximum";
    EXPECT_EQ(Number(), 127.0);
    script.Release(1, kOverUp);
    EXPECT_EQ(changes->sources.size(), 2u) << "two changes, none while held at the end";

    UpDown().Step = 0.1;
    UpDown().SetDecimalPlaces(1);
    script.Move(kOverDown).Press(1, kOverDown).Release(1, kOverDown);
    EXPECT_EQ(Shown(), "126.9");
    EXPECT_FALSE(UpDown().GetUpButton()->HasFocus());
    EXPECT_FALSE(UpDown().GetDownButton()->HasFocus()) << "the buttons take no focus";
}

TEST_F(NumericUpDownTest, UpAndDownKeysPressTheButtons)
{
    Prepare(0, 127, 0, 10);
    Box().SetFocus(true);
    script.Key(kVkUp);
    EXPECT_TRUE(UpDown().GetUpButton()->IsSimulatedPressShowing()) << "the up button shows its press";
    script.Tick(200);
    EXPECT_EQ(Shown(), "11") << "one step per key";
    script.Key(kVkDown).Tick(200).Key(kVkDown).Tick(200);
    EXPECT_EQ(Shown(), "9");
    script.Key(kVkUp, kCtrl).Tick(200);
    EXPECT_EQ(Shown(), "9") << "Ctrl+Up is no step";
    EXPECT_TRUE(Box().HasFocus()) << "the press left the focus in the box";
}

// A receiver of the up-down's own "NID_TEXTBOX_VALIDATING" sees the text first: it may
// refuse it (the value stays, the box keeps the focus) or correct it.
TEST_F(NumericUpDownTest, OwnersValidateFirst)
{
    Prepare(0, 127, 0, 10);
    const RCPtr<Recorder> owner = Listen(UpDown(), u"NID_TEXTBOX_VALIDATING");
    const RCPtr<Recorder> validated = Listen(UpDown(), u"NID_TEXTBOX_VALIDATED");
    owner->actOnce = false;
    owner->action = [](Recorder&, const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>& n)
    {
        auto* params = dynamic_cast<LTextValidationParams*>(const_cast<LRefCountedObject*>(n->GetArgument().Get()));
        params->Valid = false;
    };
    Box().SetFocus(true);
    Box().SetText(WString(u"99"));
    EXPECT_NE(harness.Find("other")->SetFocus(true), QK_OK);
    EXPECT_TRUE(Box().HasFocus());
    EXPECT_EQ(Number(), 10.0);
    EXPECT_EQ(Shown(), "99");
    EXPECT_TRUE(validated->sources.empty());

    owner->action = [](Recorder&, const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>& n)
    {
        auto* params = dynamic_cast<LTextValidationParams*>(const_cast<LRefCountedObject*>(n->GetArgument().Get()));
        params->Text = WString(u"42");
    };
    EXPECT_EQ(harness.Find("other")->SetFocus(true), QK_OK);
    EXPECT_EQ(Number(), 42.0);
    EXPECT_EQ(Shown(), "42");
    ASSERT_FALSE(validated->sources.empty());
    EXPECT_EQ(validated->sources.back(), static_cast<const LNotificationDistributor*>(&UpDown()));
}

// A skin may leave out the text box, the buttons or both: every operation skips what is
// missing and the value still works.
TEST_F(NumericUpDownTest, MissingChildrenAreSkipped)
{
    for (const char* name : {"textOnly", "buttonsOnly", "bare"})
    {
        SCOPED_TRACE(name);
        LNumericUpDown& upDown = UpDown(name);
        EXPECT_EQ(upDown.GetSlider(), nullptr);
        EXPECT_EQ(upDown.SetValueRange(-10, 10, 0), QK_OK);
        upDown.SetDecimalPlaces(2);
        upDown.SetValue(0.75);
        EXPECT_EQ(Number(name), 5.0);
        EXPECT_EQ(upDown.SetText(WString(u"-2.5")), QK_OK);
        EXPECT_EQ(Number(name), -2.5);
        if (LTextBox* box = upDown.GetTextBox())
        {
            EXPECT_EQ(Narrow(box->GetText()), "-2.50");
        }

        // Up and Down without buttons go on like other keys.
        const RCPtr<LKeyParam> up = LKeyParam::Create(KeyCode::FromKeyMessage(kVkUp, true, false, 0));
        const QKRESULT answer = upDown.DispatchKey(up.Get());
        harness.Tick(200);
        if (upDown.GetUpButton())
        {
            EXPECT_EQ(answer, QK_OK);
            EXPECT_EQ(Number(name), -1.5);
        }
        else
        {
            EXPECT_EQ(answer, QK_FALSE);
            EXPECT_EQ(Number(name), -2.5);
        }
    }
}

} // namespace
} // namespace QK
