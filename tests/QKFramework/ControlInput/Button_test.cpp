// The button driven through a real root window: its fourteen looks, toggles and radio groups,
// auto-repeat and the simulated press on the manual clock, Enter, and the passive button.
#include "QKFramework/Controls/Button.h"

#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Renderer/Gdi/GDIRenderContextInfo.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

#include "tests/support/ScopedEnvironment.h"
#include "tests/support/UI/ControlTestTools.h"
#include "tests/support/UI/EventScript.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// Skin texts are kept as written: " True " on the toggle, "TRUE" on a radio button.
const char* const kTree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k0" LookList="buttons"/>
    <SubControl Class="Framework.Button" Name="push" XPositionAbs="0" YPositionAbs="0" XSizeAbs="50" YSizeAbs="20" TabStop="1"><Skin Name="k1" LookList="buttons"/></SubControl>
    <SubControl Class="Framework.Button" Name="toggle" XPositionAbs="60" YPositionAbs="0" XSizeAbs="50" YSizeAbs="20" TabStop="2"><Skin Name="k2" LookList="buttons"/>
      <CreateParamList><CreateParam ID="AUTO_VALUE_SET"> True </CreateParam></CreateParamList></SubControl>
    <SubControl Class="Framework.Button" Name="notToggle" XPositionAbs="120" YPositionAbs="0" XSizeAbs="50" YSizeAbs="20" TabStop="3"><Skin Name="k3" LookList="buttons"/>
      <CreateParamList><CreateParam ID="AUTO_VALUE_SET">yes</CreateParam></CreateParamList></SubControl>
    <SubControl Class="Test.Probe" Name="group" XPositionAbs="0" YPositionAbs="50" XSizeAbs="300" YSizeAbs="50" TabStop="4"><Skin Name="k4" LookList="buttons"/>
      <SubControl Class="Framework.Button" Name="r1" XPositionAbs="0" YPositionAbs="0" XSizeAbs="50" YSizeAbs="20" TabStop="1"><Skin Name="k5" LookList="buttons"/>
        <CreateParamList><CreateParam ID="AUTO_VALUE_SET">true</CreateParam><CreateParam ID="IS_RADIO">TRUE</CreateParam></CreateParamList></SubControl>
      <SubControl Class="Framework.Button" Name="r2" XPositionAbs="60" YPositionAbs="0" XSizeAbs="50" YSizeAbs="20" TabStop="2"><Skin Name="k6" LookList="buttons"/>
        <CreateParamList><CreateParam ID="AUTO_VALUE_SET">true</CreateParam><CreateParam ID="IS_RADIO">true</CreateParam></CreateParamList></SubControl>
      <SubControl Class="Framework.Button" Name="r3" XPositionAbs="120" YPositionAbs="0" XSizeAbs="50" YSizeAbs="20" TabStop="3"><Skin Name="k7" LookList="buttons"/>
        <CreateParamList><CreateParam ID="IS_RADIO">true</CreateParam></CreateParamList></SubControl>
      <SubControl Class="Framework.Button" Name="plain" XPositionAbs="180" YPositionAbs="0" XSizeAbs="50" YSizeAbs="20" TabStop="4"><Skin Name="k8" LookList="buttons"/>
        <CreateParamList><CreateParam ID="AUTO_VALUE_SET">true</CreateParam></CreateParamList></SubControl>
    </SubControl>
    <SubControl Class="Test.Probe" Name="item" XPositionAbs="0" YPositionAbs="150" XSizeAbs="100" YSizeAbs="50" TabStop="5"><Skin Name="k9" LookList="buttons"/>
      <SubControl Class="Framework.Button" Name="check" XPositionAbs="0" YPositionAbs="0" XSizeAbs="50" YSizeAbs="50" TabStop="-1"><Skin Name="k10" LookList="buttons"/></SubControl>
    </SubControl>
  </SubControl>
</Skin>)";

using Counter = NotificationCounter;

class ButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.Factory().RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
        ASSERT_TRUE(harness.SetRoot(u"top"));
    }
    void TearDown() override
    {
        counter->Stop();
        LNotificationCenterManager::ReleaseInstance();
    }
    LButton& Button(const std::string& path) { return dynamic_cast<LButton&>(*harness.Find(path)); }
    void Click(const PointL& point) { script.Move(point).Press(1, point).Release(1, point); }

    WindowHarness harness{kTree, std::string(), UniformLooks("buttons")};
    EventScript script{harness};
    RCPtr<Counter> counter{new Counter};
};

TEST_F(ButtonTest, LooksFollowHoverPressCaptureFocusCheckAndEnable)
{
    LButton& push = Button("push");
    LButton& other = Button("toggle");
    struct Step
    {
        const char* what;
        std::function<void()> act;
        std::int32_t look;
    };
    const Step steps[] = {
        {"idle, focus elsewhere", [&] { other.SetFocus(true); }, 0},
        {"pointer over", [&] { script.Move({10, 10}); }, 1},
        {"pressed takes the focus", [&] { script.Press(1, {10, 10}); }, 5},
        {"dragged off while captured: hover look", [&] { script.Move({300, 200}); }, 4},
        {"stay pressed keeps the pressed look", [&] { push.SetStayPressed(true); push.UpdateLook(); }, 5},
        {"released outside", [&] { script.Release(1, {300, 200}); }, 3},
        {"0.5 counts as checked", [&] { push.SetValue(0.5); }, 10},
        {"checked hover", [&] { script.Move({10, 10}); }, 11},
        {"checked pressed", [&] { script.Press(1, {10, 10}); }, 12},
        {"checked disabled", [&] { push.SetEnabled(false); }, 13},
        {"enabled again, focus gone", [&] { script.Release(1, {10, 10}); push.SetEnabled(true); other.SetFocus(true); }, 8},
        {"unchecked disabled", [&] { push.SetValue(0.0); push.SetEnabled(false); }, 6},
        {"a right press takes focus and capture, no hover while captured", [&] { push.SetEnabled(true); script.Press(4, {10, 10}); }, 3},
    };
    for (const Step& step : steps)
    {
        step.act();
        EXPECT_EQ(push.GetCurrentLookIndex(), step.look) << step.what;
    }
    script.Release(4, {10, 10});
    EXPECT_TRUE(push.SetChecked(true));
    EXPECT_FALSE(push.SetChecked(false));
}

TEST_F(ButtonTest, AToggleFlipsARadioButtonIsOnlySetAndClearsItsRadioSiblings)
{
    LButton& toggle = Button("toggle");
    LButton& notToggle = Button("notToggle");
    LButton &r1 = Button("group/r1"), &r2 = Button("group/r2"), &r3 = Button("group/r3"), &plain = Button("group/plain");
    EXPECT_TRUE(toggle.IsAutoValueSet()) << "\" True \" is true";
    EXPECT_FALSE(notToggle.IsAutoValueSet()) << "\"yes\" is not";
    EXPECT_TRUE(r1.IsRadio()) << "\"TRUE\" is true";

    const double toggleValues[] = {1.0, 0.0, 1.0};
    for (double expected : toggleValues)
    {
        Click({70, 10});
        EXPECT_EQ(toggle.GetValue(), expected);
    }
    Click({130, 10});
    EXPECT_EQ(notToggle.GetValue(), 0.0);

    plain.SetValue(1.0);
    r3.SetValue(1.0);
    struct Case
    {
        PointL at;
        double r1, r2, r3;
    };
    const Case cases[] = {
        {{10, 60}, 1.0, 0.0, 0.0},
        {{70, 60}, 0.0, 1.0, 0.0},
        {{70, 60}, 0.0, 1.0, 0.0}, // clicking a set radio button keeps it set
        {{130, 60}, 0.0, 1.0, 0.0}, // without auto value set a click changes nothing
    };
    for (const Case& c : cases)
    {
        Click(c.at);
        EXPECT_EQ(r1.GetValue(), c.r1) << c.at.x;
        EXPECT_EQ(r2.GetValue(), c.r2) << c.at.x;
        EXPECT_EQ(r3.GetValue(), c.r3) << c.at.x;
        EXPECT_EQ(plain.GetValue(), 1.0) << "not a radio button";
    }
    // Set by the program, a radio button clears its siblings too.
    r3.SetChecked(true);
    EXPECT_EQ(r2.GetValue(), 0.0);
    EXPECT_EQ(r3.GetCurrentLookIndex(), 11) << "checked, focused and hovered since its click";
}

TEST_F(ButtonTest, AutoRepeatAtThePressAfterThreeTenthsThenEveryTenthWhileOver)
{
    LButton& push = Button("push");
    push.SetAutoRepeat(true);
    counter->Listen(push, u"NID_BUTTON_AUTOREPEAT");
    script.Move({10, 10}).Press(1, {10, 10});
    EXPECT_EQ(counter->names.size(), 1u) << "at the press";
    EXPECT_TRUE(push.IsRepeating());
    struct Step
    {
        std::uint32_t ms;
        std::size_t count;
    };
    const Step steps[] = {{299, 1}, {1, 2}, {100, 3}, {100, 4}, {50, 4}};
    for (const Step& step : steps)
    {
        script.Tick(step.ms);
        EXPECT_EQ(counter->names.size(), step.count) << "after +" << step.ms << " ms";
    }
    // Off the button the countdown pauses; back over it the clock restarts.
    script.Move({300, 200}).Tick(500);
    EXPECT_EQ(counter->names.size(), 4u);
    script.Move({10, 10}).Tick(49);
    EXPECT_EQ(counter->names.size(), 4u);
    script.Tick(1);
    EXPECT_EQ(counter->names.size(), 5u);

    script.Release(1, {10, 10});
    EXPECT_FALSE(push.IsRepeating());
    EXPECT_EQ(push.GetIdleUsers(), 0);
    script.Tick(500);
    EXPECT_EQ(counter->names.size(), 5u);
}

TEST_F(ButtonTest, EnterOrSpaceClicksOnlyAfterTheSimulatedPressOnAnIdlePass)
{
    for (const std::uint32_t virtualKey : {13u, 32u})
    {
        SCOPED_TRACE(virtualKey == 13 ? "Enter" : "Space");
        LButton& toggle = Button("toggle");
        toggle.SetValue(0.0);
        counter->names.clear();
        counter->Stop();
        counter->Listen(toggle, u"NID_LEFT_CLICK");
        toggle.SetFocus(true);
        script.Key(virtualKey);
        EXPECT_TRUE(counter->names.empty());
        EXPECT_EQ(toggle.GetCurrentLookIndex(), 2);
        script.Tick(149);
        EXPECT_TRUE(counter->names.empty());
        script.Tick(1);
        EXPECT_EQ(counter->names.size(), 1u);
        EXPECT_EQ(toggle.GetValue(), 1.0);
        EXPECT_EQ(toggle.GetCurrentLookIndex(), 10) << "checked, focused";
        EXPECT_EQ(toggle.GetIdleUsers(), 0);

        // With a modifier the key is not a click.
        script.Key(virtualKey, KeyCode::kFlagShift).Tick(200);
        EXPECT_EQ(counter->names.size(), 1u);
    }
}

TEST_F(ButtonTest, ASecondClickCompletesTheFirstAtOnce)
{
    LButton& push = Button("push");
    push.SetAutoRepeat(true);
    counter->Listen(push, u"NID_LEFT_CLICK");
    counter->Listen(push, u"NID_BUTTON_AUTOREPEAT");
    push.PerformClick();
    push.PerformClick();
    EXPECT_EQ(counter->names.size(), 2u) << "the first press's repeat and click";
    EXPECT_TRUE(push.HasFocus());
    EXPECT_EQ(push.GetIdleUsers(), 1);
    script.Tick(150);
    EXPECT_EQ(counter->names.size(), 4u);
    EXPECT_EQ(push.GetIdleUsers(), 0);
}

TEST_F(ButtonTest, ASimulateClickFromTheButtonClicksOnlyWhileEnabled)
{
    LButton& push = Button("push");
    counter->Listen(push, u"NID_LEFT_CLICK");
    push.SetEnabled(false);
    push.SendNotification(LNotification::Create(u"NID_SIMULATE_CLICK"));
    script.Tick(200);
    EXPECT_TRUE(counter->names.empty());
    push.SetEnabled(true);
    push.SendNotification(LNotification::Create(u"NID_SIMULATE_CLICK"));
    script.Tick(200);
    EXPECT_EQ(counter->names.size(), 1u);
}

TEST_F(ButtonTest, APassiveButtonLetsClicksThroughAndKeepsItsOwnersLook)
{
    LButton& check = Button("item/check");
    LControl& item = *harness.Find("item");
    check.SetPassive(true);
    check.SelectLook(11);
    counter->Listen(check, u"NID_LEFT_CLICK");
    counter->Listen(item, u"NID_LEFT_CLICK");
    Click({10, 160});
    check.SetValue(0.0);
    check.SetEnabled(false);
    EXPECT_EQ(counter->names, std::vector<std::string>{"item"});
    EXPECT_EQ(check.GetCurrentLookIndex(), 11);
}

TEST(ButtonFailure, AFailedSubscriptionNamesTheButtonSource)
{
    try
    {
        CheckResult(QK_E_FAIL, LButton::kInitializeSite);
        FAIL() << "no exception";
    }
    catch (const std::exception& e)
    {
        EXPECT_STREQ(e.what(), "Failed Result : QKRESULT = 80004005 : QK::LButton::Initialize : Controls\\Button : Line 50");
    }
}

// Fourteen buttons, one per look, and looks that tell the states apart: the client colour
// for normal, hover, pressed and disabled (green tints when checked), an orange frame for
// the focus.
std::string StateTree()
{
    std::string buttons;
    for (int i = 0; i < 14; ++i)
        buttons += "<SubControl Class=\"Framework.Button\" Name=\"b" + std::to_string(i) + "\" XPositionAbs=\"" +
                   std::to_string(10 + (i % 7) * 50) + "\" YPositionAbs=\"" + std::to_string(10 + (i / 7) * 40) +
                   "\" XSizeAbs=\"40\" YSizeAbs=\"28\" TabStop=\"" + std::to_string(i + 1) +
                   "\"><Skin Name=\"s" + std::to_string(i) + "\" LookList=\"states\"/></SubControl>";
    return R"(<Skin Name="s"><SubControl Class="Test.Probe" Name="top" XSizeAbs="360" YSizeAbs="90" TabStop="-1">
      <Skin Name="t" LookList="back"/>)" +
           buttons + "</SubControl></Skin>";
}

std::string StateLooks()
{
    // normal, hover, pressed, disabled; unchecked then checked.
    const char* const fills[2][4] = {{"FFD8D8D8", "FFB8D8F8", "FF3070C0", "FFF0F0F0"},
                                     {"FF70C070", "FF90E090", "FF207020", "FFC8E0C8"}};
    const int stateOfLook[7] = {0, 1, 2, 0, 1, 2, 3};
    std::string colorizers = R"(<Colorizer Name="back" ColorType="SolidFill" Color="FFFFFFFF"/>
      <Colorizer Name="frame" ColorType="SolidFill" Color="FF606060"/>
      <Colorizer Name="focus" ColorType="SolidFill" Color="FFFF8000"/>)";
    std::string parts = R"(<Part Name="back" Width="1" Height="1" ResizeType="Stretch" ColorizerName="back"/>
      <Part Name="frame" Width="1" Height="1" ResizeType="Stretch" ColorizerName="frame"/>
      <Part Name="focus" Width="1" Height="1" ResizeType="Stretch" ColorizerName="focus"/>)";
    std::string looks = R"(<Look Name="back"><ClientPart Name="back" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>)";
    std::string list;
    for (int look = 0; look < 14; ++look)
    {
        const bool checked = look >= 7;
        const int inRow = look % 7;
        const std::string name = "l" + std::to_string(look);
        colorizers += "<Colorizer Name=\"" + name + "\" ColorType=\"SolidFill\" Color=\"" +
                      fills[checked][stateOfLook[inRow]] + "\"/>";
        parts += "<Part Name=\"" + name + "\" Width=\"1\" Height=\"1\" ResizeType=\"Stretch\" ColorizerName=\"" + name +
                 "\"/>";
        const bool focused = inRow >= 3 && inRow <= 5;
        // The non-client parts draw over the client part: the frame is the client, the state
        // fill lies over it.
        looks += "<Look Name=\"" + name + "\"><ClientPart Name=\"" + std::string(focused ? "focus" : "frame") +
                 "\" OffsetLeft=\"0\" OffsetTop=\"0\" OffsetRight=\"0\" OffsetBottom=\"0\"/><NonClientParts>"
                 "<NonClientPart Name=\"" +
                 name + "\" OffsetLeft=\"3\" OffsetTop=\"3\" OffsetRight=\"-3\" OffsetBottom=\"-3\"/></NonClientParts></Look>";
        list += "<Look Name=\"" + name + "\" Index=\"" + std::to_string(look) + "\"/>";
    }
    return "<Colorizers>" + colorizers + "</Colorizers><Parts>" + parts + "</Parts><Looks>" + looks +
           "</Looks><LookLists><LookList Name=\"back\" NumLooks=\"1\"><Look Name=\"back\" Index=\"0\"/></LookList>"
           "<LookList Name=\"states\" NumLooks=\"14\">" +
           list + "</LookList></LookLists>";
}

// Each button is put into the state of its own look number, through its condition flags as
// the input side sets them, and the tree is drawn by the software renderer.
TEST(ButtonPicture, EachStateDrawsItsOwnLook)
{
    const ScopedEnvironment dpi("VEDIDU_DPI", "96");
    WindowHarness harness(StateTree(), std::string(), StateLooks());
    harness.Factory().RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
    const RCPtr<LRenderer> renderer = LRenderer::Create(1, 0);
    RecordingWindowHost host;
    host.clientRect = {0, 0, 360, 90};
    const auto window = LRootWindow::Create(renderer, &host);
    ASSERT_EQ(window->SetRootControl(WString(u"top")), QK_OK);
    LControl& top = *window->GetRootControl();

    for (int look = 0; look < 14; ++look)
    {
        auto& button = dynamic_cast<LButton&>(*top.FindChild(WString(u"b") + WString(std::to_string(look).c_str())));
        const int inRow = look % 7;
        button.SetChecked(look >= 7);
        LControl::ConditionFlags& flags = button.GetConditionFlags();
        flags.hasFocus = inRow >= 3 && inRow <= 5;
        flags.pointerOver = inRow == 1 || inRow == 2 || inRow == 4 || inRow == 5;
        flags.captured = flags.leftDown = inRow == 2 || inRow == 5;
        button.UpdateConditions();
        if (inRow == 6)
            button.SetEnabled(false);
        EXPECT_EQ(button.GetCurrentLookIndex(), look);
    }

    RCPtr<LRenderContextInfo> context;
    const IDrawingSurface& surface = PaintOffscreen(*window, *renderer, {0, 0, 360, 90}, context);
    EXPECT_EQ(surface.GetPixel(30, 24), 0xFFD8D8D8u) << "normal";
    EXPECT_EQ(surface.GetPixel(130, 24), 0xFF3070C0u) << "pressed";
    EXPECT_EQ(surface.GetPixel(161, 11), 0xFFFF8000u) << "focus frame";
    EXPECT_EQ(surface.GetPixel(330, 64), 0xFFC8E0C8u) << "checked, disabled";
    EXPECT_EQ(surface.GetPixel(5, 5), 0xFFFFFFFFu) << "background";

    EXPECT_TRUE(SavePicture(surface, "button-states.png"));
    window->SetHost(nullptr);
    window->SetRootControl(RCPtr<LControl>());
    LNotificationCenterManager::ReleaseInstance();
}

} // namespace
} // namespace QK
