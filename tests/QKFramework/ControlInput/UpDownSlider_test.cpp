// A numeric up-down and its "slider1" following each other: the slider shows the up-down's
// value from the start, after a button step and after typed text; a drag, a track click and
// the arrow keys on the slider reach the up-down and its text; neither change comes back to
// the control it started from.
#include "QKFramework/Controls/NumericUpDown.h"

#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/Slider.h"
#include "QKFramework/Controls/TextBox.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

#include "tests/support/Controls/FakeClipboard.h"
#include "tests/support/UI/ControlTestTools.h"
#include "tests/support/UI/EventScript.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

// The up-down at (10, 10): its text box and buttons on the first row, its slider below at
// (10, 40) in the window, with a track from x 0 to 127, one pixel per unit of 0..127.
const char* const kTree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k0" LookList="flat"/>
    <SubControl Class="Framework.NumericUpDown" Name="field" XPositionAbs="10" YPositionAbs="10" XSizeAbs="200" YSizeAbs="60"><Skin Name="k1" LookList="flat"/>
      <SubControl Class="Framework.TextBox" Name="textBox" XSizeAbs="60" YSizeAbs="20"><Skin Name="k2" LookList="flat"/></SubControl>
      <SubControl Class="Framework.Button" Name="buttonUp" XPositionAbs="60" XSizeAbs="20" YSizeAbs="10"><Skin Name="k3" LookList="flat"/></SubControl>
      <SubControl Class="Framework.Button" Name="buttonDown" XPositionAbs="60" YPositionAbs="10" XSizeAbs="20" YSizeAbs="10"><Skin Name="k4" LookList="flat"/></SubControl>
      <SubControl Class="Framework.Slider" Name="slider1" YPositionAbs="30" XSizeAbs="150" YSizeAbs="30"><Skin Name="k5" LookList="flat"/>
        <SubControl Class="Framework.Button" Name="thumbStart" YPositionAbs="10" XSizeAbs="10" YSizeAbs="10"><Skin Name="k6" LookList="flat"/></SubControl>
        <SubControl Class="Framework.Button" Name="thumbEnd" XPositionAbs="127" YPositionAbs="10" XSizeAbs="10" YSizeAbs="10"><Skin Name="k6" LookList="flat"/></SubControl>
      </SubControl>
    </SubControl>
  </SubControl>
</Skin>)";

class UpDownSliderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.Factory().RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.TextBox"), &LTextBox::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.Slider"), &LSlider::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.NumericUpDown"), &LNumericUpDown::Create);
        ASSERT_TRUE(harness.SetRoot(u"top"));
        field = dynamic_cast<LNumericUpDown*>(harness.Find("field").Get());
        ASSERT_NE(field, nullptr);
        slider = dynamic_cast<LSlider*>(field->GetSlider());
        ASSERT_NE(slider, nullptr);
        fieldChanges.Listen(*field, u"NID_VALUE_CHANGE");
        sliderChanges.Listen(*slider, u"NID_VALUE_CHANGE");
    }
    void TearDown() override
    {
        fieldChanges.Stop();
        sliderChanges.Stop();
        LNotificationCenterManager::ReleaseInstance();
    }

    double Number() const { return field->FractionToValue(field->GetValue()); }
    std::string Shown() const { return Narrow(field->GetTextBox()->GetText()); }
    double ThumbX() const { return slider->GetThumb()->GetBounds().x; }
    void Counted(int fieldCount, int sliderCount, const char* what)
    {
        EXPECT_EQ(fieldChanges.Count(), fieldCount) << what;
        EXPECT_EQ(sliderChanges.Count(), sliderCount) << what;
        fieldChanges.names.clear();
        sliderChanges.names.clear();
    }

    WindowHarness harness{kTree, std::string(), UniformLooks("flat")};
    EventScript script{harness};
    FakeClipboard clipboard;
    LNumericUpDown* field = nullptr;
    LSlider* slider = nullptr;
    RCPtr<NotificationCounter> fieldChangesHeld{new NotificationCounter()};
    RCPtr<NotificationCounter> sliderChangesHeld{new NotificationCounter()};
    NotificationCounter& fieldChanges = *fieldChangesHeld;
    NotificationCounter& sliderChanges = *sliderChangesHeld;
};

TEST_F(UpDownSliderTest, TheSliderFollowsTheUpDown)
{
    EXPECT_EQ(slider->GetValue(), field->GetValue()) << "in step from the start";
    ASSERT_EQ(field->SetValueRange(0.0, 127.0, 0), QK_OK);
    field->SetValue(field->ValueToFraction(64.0));
    EXPECT_EQ(slider->GetValue(), field->GetValue());
    EXPECT_EQ(ThumbX(), 64.0);
    Counted(1, 1, "a value set on the up-down");

    // A button step.
    script.Move({75, 13}).Press(1, {75, 13}).Release(1, {75, 13});
    EXPECT_EQ(Number(), 65.0);
    EXPECT_EQ(ThumbX(), 65.0);
    Counted(1, 1, "a button step");

    // Typed text, clamped by the up-down.
    field->GetTextBox()->SetFocus(true);
    field->GetTextBox()->SetSelection(0, -1);
    script.Key(0x2E);
    for (char16_t c : std::u16string(u"300"))
        script.Character(c);
    script.Key(0x0D);
    EXPECT_EQ(Number(), 127.0);
    EXPECT_EQ(slider->GetValue(), 1.0);
    EXPECT_EQ(ThumbX(), 127.0);
}

TEST_F(UpDownSliderTest, TheUpDownFollowsTheSlider)
{
    ASSERT_EQ(field->SetValueRange(-10.0, 10.0, 0), QK_OK);
    field->SetDecimalPlaces(1);
    field->SetValue(field->ValueToFraction(0.0));
    EXPECT_EQ(ThumbX(), 64.0) << "half the track (63.5 rounded away from zero)";
    Counted(1, 1, "setting up");

    // An arrow key on the slider steps its own range, one 127th of the up-down's. The up-down
    // keeps its value at the places it shows, and the slider takes that correction too.
    slider->SetFocus(true);
    script.Key(0x27);
    EXPECT_EQ(Shown(), "0.2");
    EXPECT_DOUBLE_EQ(field->GetValue(), 0.51);
    EXPECT_EQ(slider->GetValue(), field->GetValue());
    Counted(2, 2, "the step, then the correction");

    // A drag: grab the thumb at its middle and pull it to x 2 of the track.
    const std::int32_t grabX = 10 + static_cast<std::int32_t>(ThumbX()) + 5;
    script.Move({grabX, 55}).Press(1, {grabX, 55}).Move({grabX + 1, 55}).Move({17, 55});
    EXPECT_EQ(ThumbX(), 2.0);
    EXPECT_EQ(Shown(), "-9.7");
    script.Release(1, {17, 55});
    EXPECT_EQ(ThumbX(), 2.0);
    EXPECT_NEAR(field->GetValue(), 0.015, 1e-12);
    EXPECT_EQ(slider->GetValue(), field->GetValue()) << "the correction waited for the release";

    // A track click far right: one page up.
    script.Move({140, 55}).Press(1, {140, 55}).Release(1, {140, 55});
    EXPECT_EQ(Shown(), "-7.7");
    EXPECT_EQ(slider->GetValue(), field->GetValue());

    // Set from outside, on a value the up-down shows exactly: one change each, no echo.
    Counted(fieldChanges.Count(), sliderChanges.Count(), "");
    field->SetValue(field->ValueToFraction(5.0));
    EXPECT_EQ(slider->GetValue(), 0.75);
    EXPECT_EQ(ThumbX(), 95.0);
    Counted(1, 1, "no echo either way");
}

} // namespace
} // namespace QK
