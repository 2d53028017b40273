// The combo slider through a real root window: its value and its slider's following each
// other, the text, the notice at the end of a drag, where the panel opens near the window's
// right edge, the keys, the looks, and skins without a slider or without a panel.
#include "QKFramework/Controls/ComboSlider.h"

#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/Panel.h"
#include "QKFramework/Controls/Slider.h"
#include "QKFramework/ControlBase/ControlParams.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

#include "tests/support/UI/EventScript.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// A combo slider of 60 x 20 whose panel (panelWidth x 40) opens under it at the panel's
// X; the slider's track runs from 10 to 130 on the panel's row 15 (120 px).
std::string Combo(const char* name, int x, int y, int panelX, int panelWidth, const char* content)
{
    return std::string(R"(<SubControl Class="Framework.ComboSlider" Name=")") + name + R"(" XPositionAbs=")" +
           std::to_string(x) + R"(" YPositionAbs=")" + std::to_string(y) +
           R"(" XSizeAbs="60" YSizeAbs="20"><Skin Name="c" LookList="flat"/>
      <SubControl Class="Framework.ComboSlider.DropDownPanel" Name="dropDownPanel" ClipToParent="False" XPositionAbs=")" +
           std::to_string(panelX) + R"(" YPositionAbs="20" XSizeAbs=")" + std::to_string(panelWidth) +
           R"(" YSizeAbs="40"><Skin Name="p" LookList="flat"/>)" + content + R"(</SubControl>
    </SubControl>)";
}

const char* const kSlider = R"(
        <SubControl Class="Framework.Slider" Name="slider" XSizeAbs="150" YSizeAbs="40"><Skin Name="h" LookList="flat"/>
          <SubControl Class="Framework.Button" Name="thumbStart" XPositionAbs="10" YPositionAbs="15" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl><SubControl Class="Framework.Button" Name="thumbEnd" XPositionAbs="130" YPositionAbs="15" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl>
        </SubControl>)";

// The window is 400 x 300.
std::string Tree()
{
    return R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="flat"/>
    )" + Combo("cs", 20, 20, 0, 150, kSlider) +
           Combo("edge", 330, 100, 0, 150, kSlider) + Combo("wide", 50, 200, 10, 500, "") +
           Combo("fits", 200, 20, -20, 150, "") + Combo("bare", 100, 250, 0, 100, "") + R"(
    <SubControl Class="Framework.ComboSlider" Name="noPanel" XPositionAbs="300" YPositionAbs="250" XSizeAbs="60" YSizeAbs="20"><Skin Name="c" LookList="flat"/></SubControl>
  </SubControl>
</Skin>)";
}

// Writes down the fraction of every "NID_VALUE_CHANGE" of one control.
class ValueLog : public LNotificationClient
{
public:
    void Listen(LControl& control)
    {
        Subscribe(ConstRCPtr<LNotificationDistributor>(&control), u"NID_VALUE_CHANGE");
    }
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>&,
                                 const ConstRCPtr<LNotification>& notification) override
    {
        const auto* value = dynamic_cast<const LValueParam*>(notification->GetArgument().Get());
        values.push_back(value ? value->Value : -1.0);
        scaled.push_back(value ? value->RangedValue : -1.0);
        return QK_OK;
    }
    std::vector<double> values;
    std::vector<double> scaled;
};

class ComboSliderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LControlFactory& factory = harness.Factory();
        factory.RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
        factory.RegisterControlClass(WString(u"Framework.Slider"), &LSlider::Create);
        factory.RegisterControlClass(WString(u"Framework.ComboSlider"), &LComboSlider::Create);
        factory.RegisterControlClass(WString(u"Framework.ComboSlider.DropDownPanel"), &LPanel::Create);
        ASSERT_TRUE(harness.SetRoot(u"top"));
        // The base's range is 0..0; these show the slider's 0..127.
        for (const char* name : {"cs", "bare", "noPanel"})
            ASSERT_EQ(Combo(name).SetValueRange(0.0, 127.0, 0), QK_OK);
    }
    void TearDown() override
    {
        comboLog->UnsubscribeAll();
        sliderLog->UnsubscribeAll();
        LNotificationCenterManager::ReleaseInstance();
    }
    LComboSlider& Combo(const std::string& name) { return dynamic_cast<LComboSlider&>(*harness.Find(name)); }
    static std::string Text(const LControl& control)
    {
        std::string text;
        for (const char16_t* c = control.GetText().GetString(); *c; ++c)
            text.push_back(static_cast<char>(*c));
        return text;
    }
    static double PanelX(const LComboSlider& combo)
    {
        return combo.GetDropDownPanel()->GetLayoutDescriptor()->X.Position.Abs;
    }

    WindowHarness harness{Tree(), std::string(), UniformLooks("flat")};
    EventScript script{harness};
    RCPtr<ValueLog> comboLog{new ValueLog};
    RCPtr<ValueLog> sliderLog{new ValueLog};
};

TEST_F(ComboSliderTest, TheValueFollowsTheSliderBothWaysAndShowsAsWholeScaledText)
{
    LComboSlider& cs = Combo("cs");
    LSlider* slider = cs.GetSlider();
    ASSERT_NE(slider, nullptr);
    EXPECT_FALSE(cs.IsDroppedDown()) << "the panel starts hidden";
    comboLog->Listen(cs);

    struct Case
    {
        double value;
        const char* text;
    };
    // The default range 0..127: 63.5 and 31.75 round to whole numbers.
    const Case cases[] = {{0.5, "64"}, {0.25, "32"}, {1.0, "127"}, {0.0, "0"}};
    for (const Case& c : cases)
    {
        EXPECT_EQ(cs.SetValue(c.value), c.value);
        EXPECT_EQ(slider->GetValue(), c.value);
        EXPECT_EQ(Text(cs), c.text) << c.value;
    }
    EXPECT_EQ(comboLog->values, (std::vector<double>{0.5, 0.25, 1.0, 0.0})) << "one notice per change";

    comboLog->values.clear();
    comboLog->scaled.clear();
    slider->SetValue(0.75);
    EXPECT_EQ(cs.GetValue(), 0.75);
    EXPECT_EQ(Text(cs), "95");
    EXPECT_EQ(comboLog->values, (std::vector<double>{0.75}));
    EXPECT_EQ(comboLog->scaled, (std::vector<double>{95.25}));

    // The text follows the control's range, rounded as printf rounds ("%0.0f").
    ASSERT_EQ(cs.SetValueRange(0.0, 10.0, 0), QK_OK);
    cs.SetValue(0.25);
    EXPECT_EQ(Text(cs), "2");
    cs.SetValue(0.375);
    EXPECT_EQ(Text(cs), "4");
}

TEST_F(ComboSliderTest, DraggingTheSliderSendsOneNoticePerStepAndOneMoreAtRelease)
{
    LComboSlider& cs = Combo("cs");
    LSlider* slider = cs.GetSlider();
    comboLog->Listen(cs);
    sliderLog->Listen(*slider);

    // Opened by a click; the thumb then lies at (30, 55) in the window.
    script.Move({40, 30}).Press(1, {40, 30}).Release(1, {40, 30});
    ASSERT_TRUE(cs.IsDroppedDown());
    script.Move({35, 60}).Press(1, {35, 60}).Move({36, 60}).Move({65, 60}).Move({95, 60});
    EXPECT_TRUE(slider->IsDragging());
    EXPECT_TRUE(cs.IsDroppedDown()) << "the press inside the panel keeps it open";
    const std::vector<double> during = comboLog->values;
    EXPECT_EQ(during, sliderLog->values);
    ASSERT_EQ(during.size(), 3u);
    EXPECT_DOUBLE_EQ(during.back(), 0.5);
    EXPECT_EQ(Text(cs), "64");

    script.Release(1, {95, 60});
    EXPECT_FALSE(slider->IsDragging());
    ASSERT_EQ(comboLog->values.size(), 4u) << "the slider's repeat at the release is re-sent";
    EXPECT_EQ(comboLog->values[3], comboLog->values[2]);
    EXPECT_EQ(cs.GetValue(), slider->GetValue());

    // A value set while the thumb is held reaches the slider at the drag's end.
    script.Move({90, 60}).Press(1, {90, 60}).Move({91, 60});
    ASSERT_TRUE(slider->IsDragging());
    cs.SetValue(0.125);
    EXPECT_EQ(cs.GetValue(), 0.125);
    script.Release(1, {91, 60});
    EXPECT_EQ(slider->GetValue(), 0.125);
    EXPECT_EQ(cs.GetValue(), 0.125);
    EXPECT_EQ(Text(cs), "16");
}

TEST_F(ComboSliderTest, TheOpenPanelStaysInsideTheWindowsRightEdge)
{
    struct Case
    {
        const char* combo;
        double placed;  // the panel's X layout position once opened
        double leftInWindow;
    };
    const Case cases[] = {
        {"cs", 0.0, 20.0},     // fits: left alone
        {"fits", -20.0, 180.0}, // fits where the skin puts it, left of the control
        {"edge", -80.0, 250.0}, // 330 + 150 passes 400: ends at 400
        {"wide", -50.0, 0.0},   // wider than the window: starts at its left edge
    };
    for (const Case& c : cases)
    {
        LComboSlider& combo = Combo(c.combo);
        ASSERT_EQ(combo.ShowDropDown(true), QK_OK);
        EXPECT_TRUE(combo.IsDroppedDown()) << c.combo;
        EXPECT_EQ(PanelX(combo), c.placed) << c.combo;
        RectL at;
        combo.GetDropDownPanel()->GetWindowRect(at);
        EXPECT_EQ(at.x, c.leftInWindow) << c.combo;
        EXPECT_EQ(combo.GetDropDownPanel()->GetLayoutDescriptor()->Y.Position.Abs, 20.0) << "Y stays";
        ASSERT_EQ(combo.ShowDropDown(false), QK_OK);
        EXPECT_FALSE(combo.IsDroppedDown());
        // Opening again finds the panel already in place.
        combo.ShowDropDown(true);
        EXPECT_EQ(PanelX(combo), c.placed) << c.combo;
        combo.ShowDropDown(false);
    }
}

TEST_F(ComboSliderTest, DownOrEnterOpensAndEscapeCloses)
{
    LComboSlider& cs = Combo("cs");
    cs.SetFocus(true);
    ASSERT_TRUE(cs.HasFocus());
    script.Key(0x1B);
    EXPECT_FALSE(cs.IsDroppedDown());
    script.Key(0x28, 8);
    EXPECT_FALSE(cs.IsDroppedDown()) << "Shift+Down is not for the combo slider";
    script.Key(0x28);
    EXPECT_TRUE(cs.IsDroppedDown());
    script.Key(0x1B);
    EXPECT_FALSE(cs.IsDroppedDown());
    script.Key(0x0D);
    EXPECT_TRUE(cs.IsDroppedDown());
    script.Key(0x0D);
    EXPECT_TRUE(cs.IsDroppedDown()) << "Enter does not close";

    // Escape pressed on the focused slider inside the panel reaches the combo slider.
    cs.GetSlider()->SetFocus(true);
    ASSERT_NE(cs.GetSlider()->GetConditions() & (LControl::kHasFocus | LControl::kContainsFocus), 0u);
    EXPECT_TRUE(cs.IsDroppedDown()) << "the focus inside the panel keeps it open";
    script.Key(0x1B);
    EXPECT_FALSE(cs.IsDroppedDown());

    // Losing the focus to a control outside closes it.
    cs.SetFocus(true);
    script.Key(0x28);
    ASSERT_TRUE(cs.IsDroppedDown());
    Combo("edge").SetFocus(true);
    EXPECT_FALSE(cs.IsDroppedDown());
}

TEST_F(ComboSliderTest, LooksFollowTheDropDownTheFocusThePointerAndTheEnabledState)
{
    LComboSlider& cs = Combo("cs");
    struct Case
    {
        bool focused;
        bool over;
        bool open;
        std::int32_t look;
    };
    const Case cases[] = {
        {false, false, false, 0}, {true, false, false, 1}, {false, true, false, 2}, {true, true, false, 3},
        {false, false, true, 4},  {false, true, true, 5},  {true, false, true, 4},
    };
    for (const Case& c : cases)
    {
        cs.ShowDropDown(c.open);
        cs.GetConditionFlags().hasFocus = c.focused;
        cs.GetConditionFlags().pointerOver = c.over;
        cs.UpdateConditions();
        EXPECT_EQ(cs.GetCurrentLookIndex(), c.look) << c.focused << c.over << c.open;
    }
    cs.SetEnabled(false);
    cs.UpdateConditions();
    EXPECT_EQ(cs.GetCurrentLookIndex(), 6);
    cs.SetEnabled(true);
    Combo("bare").GetParent()->SetEnabled(false);
    Combo("bare").UpdateConditions();
    EXPECT_EQ(Combo("bare").GetCurrentLookIndex(), 6) << "disabled with its parents";
}

TEST_F(ComboSliderTest, APanelWithoutSliderAndAComboWithoutPanelStillWork)
{
    LComboSlider& bare = Combo("bare");
    EXPECT_EQ(bare.GetSlider(), nullptr);
    comboLog->Listen(bare);
    EXPECT_EQ(bare.SetValue(0.5), 0.5);
    EXPECT_EQ(Text(bare), "64");
    EXPECT_EQ(comboLog->values, (std::vector<double>{0.5}));
    EXPECT_EQ(bare.ShowDropDown(true), QK_OK);
    EXPECT_TRUE(bare.IsDroppedDown());
    bare.SetFocus(true);
    script.Key(0x1B);
    EXPECT_FALSE(bare.IsDroppedDown());

    LComboSlider& noPanel = Combo("noPanel");
    EXPECT_EQ(noPanel.GetDropDownPanel(), nullptr);
    EXPECT_EQ(noPanel.ShowDropDown(true), QK_E_FAIL);
    EXPECT_FALSE(noPanel.IsDroppedDown());
    EXPECT_EQ(noPanel.SetValue(1.0), 1.0);
    EXPECT_EQ(Text(noPanel), "127");
    noPanel.SetFocus(true);
    script.Key(0x28).Key(0x1B);
    EXPECT_FALSE(noPanel.IsDroppedDown());
}

} // namespace
} // namespace QK
