// The dragged peripheral controls through a real root window on the manual clock: droppers
// that leave when let go, the knob's gestures, keys and wheel, and splitters with their
// ranges, cursors and looks.
#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/ComboSlider.h"
#include "QKFramework/Controls/Dropper.h"
#include "QKFramework/Controls/Knob.h"
#include "QKFramework/Controls/LevelMeter.h"
#include "QKFramework/Controls/Panel.h"
#include "QKFramework/Controls/ProgressBar.h"
#include "QKFramework/Controls/Slider.h"
#include "QKFramework/Controls/Splitter.h"
#include "QKFramework/Controls/StatusBar.h"

#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/ObjectBase/Wrapper.h"
#include "QKFramework/Platform/Render/Cairo/PngWriter.h"
#include "QKFramework/Renderer/Gdi/GDIRenderContextInfo.h"

#include "tests/support/ScopedEnvironment.h"

#include "tests/support/UI/EventScript.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

const char* const kTree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="t" LookList="frames"/>
    <SubControl Class="Framework.Dropper" Name="dropper" XPositionAbs="350" YPositionAbs="10" XSizeAbs="20" YSizeAbs="20"><Skin Name="d" LookList="frames"/></SubControl>
    <SubControl Class="Framework.FileDropper" Name="fileDropper" XPositionAbs="350" YPositionAbs="40" XSizeAbs="20" YSizeAbs="20"><Skin Name="d" LookList="frames"/></SubControl>
    <SubControl Class="Framework.Knob" Name="radial" XPositionAbs="0" YPositionAbs="150" XSizeAbs="40" YSizeAbs="40" TabStop="1">
      <Skin Name="k1" LookList="frames"/>
      <CreateParamList><CreateParam ID="RADIAL_GESTURE_START_ANGLE">225</CreateParam>
        <CreateParam ID="RADIAL_GESTURE_END_ANGLE">-225</CreateParam></CreateParamList></SubControl>
    <SubControl Class="Framework.Knob" Name="linear" XPositionAbs="50" YPositionAbs="150" XSizeAbs="40" YSizeAbs="40" TabStop="2">
      <Skin Name="k2" LookList="frames"/>
      <CreateParamList><CreateParam ID="LINEAR_GESTURE_FULL_RANGE">128</CreateParam></CreateParamList></SubControl>
    <SubControl Class="Framework.Knob" Name="fineOnly" XPositionAbs="100" YPositionAbs="150" XSizeAbs="40" YSizeAbs="40">
      <Skin Name="k3" LookList="frames"/>
      <CreateParamList><CreateParam ID="FINE_ADJUST_MULTIPLIER">0.5</CreateParam></CreateParamList></SubControl>
    <SubControl Class="Framework.Knob" Name="degenerate" XPositionAbs="150" YPositionAbs="150" XSizeAbs="40" YSizeAbs="40">
      <Skin Name="k4" LookList="frames"/>
      <CreateParamList><CreateParam ID="LINEAR_GESTURE_FULL_RANGE">1</CreateParam>
        <CreateParam ID="FINE_ADJUST_MULTIPLIER">-2</CreateParam></CreateParamList></SubControl>
    <SubControl Class="Framework.Knob" Name="bare" XPositionAbs="200" YPositionAbs="150" XSizeAbs="40" YSizeAbs="40"/>
    <SubControl Class="Test.Probe" Name="area" XPositionAbs="0" YPositionAbs="200" XSizeAbs="300" YSizeAbs="100" TabStop="-1"><Skin Name="a" LookList="frames"/>
      <SubControl Class="Test.Probe" Name="left" XSizeAbs="100" YSizeAbs="100" XMinSizeToControl="Self" XMinSizeAbs="40" XMaxSizeAbs="200"/>
      <SubControl Class="Framework.SplitterV" Name="split" XPositionToControl="left" XPositionRel="1" XSizeAbs="6" YSizeAbs="100">
        <Skin Name="sp" LookList="frames"/></SubControl>
      <SubControl Class="Test.Probe" Name="right" XPositionToControl="split" XPositionRel="1" XSizeToControl="Parent" XSizeRel="1" YSizeAbs="100"/>
    </SubControl>
    <SubControl Class="Framework.SplitterH" Name="loose" XPositionAbs="300" YPositionAbs="100" XSizeAbs="50" YSizeAbs="4"><Skin Name="l" LookList="frames"/></SubControl>
  </SubControl>
</Skin>)";

// Five frames, the empty separator at 5, the focus mark at 6 and the disabled mark at 7.
std::string Looks()
{
    std::string colorizers;
    std::string parts;
    std::string looks;
    std::string list;
    for (int i = 0; i < 8; ++i)
    {
        if (i == 5)
            continue;
        const std::string name = "f" + std::to_string(i);
        colorizers += "<Colorizer Name=\"" + name + "\" ColorType=\"SolidFill\" Color=\"FF" +
                      std::string(i == 6 ? "FF8000" : i == 7 ? "A0A0A0" : "3070C0") + "\"/>";
        parts += "<Part Name=\"" + name + "\" Width=\"1\" Height=\"1\" ResizeType=\"Stretch\" ColorizerName=\"" + name + "\"/>";
        looks += "<Look Name=\"" + name + "\"><ClientPart Name=\"" + name +
                 "\" OffsetLeft=\"0\" OffsetTop=\"0\" OffsetRight=\"0\" OffsetBottom=\"0\"/></Look>";
        list += "<Look Name=\"" + name + "\" Index=\"" + std::to_string(i) + "\"/>";
    }
    return "<Colorizers>" + colorizers + "</Colorizers><Parts>" + parts + "</Parts><Looks>" + looks +
           "</Looks><LookLists><LookList Name=\"frames\" NumLooks=\"8\">" + list + "</LookList></LookLists>";
}

// Writes down the knob's notifications: name and, for the capture, its flag.
class KnobLog : public LNotificationClient
{
public:
    void Listen(LControl& control)
    {
        for (const char16_t* nid : {u"NID_VALUE_CHANGE_CAPTURE", u"NID_VALUE_CHANGE_KEY_DOWN", u"NID_VALUE_CHANGE_KEY_UP"})
            Subscribe(ConstRCPtr<LNotificationDistributor>(&control), nid);
    }
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>&,
                                 const ConstRCPtr<LNotification>& notification) override
    {
        std::string line = Narrow(GetNotificationName(notification->GetId()));
        if (const auto* flag = dynamic_cast<const LHolder<bool>*>(notification->GetArgument().Get()))
            line += flag->GetValue() ? "(true)" : "(false)";
        else if (!notification->GetArgument())
            line += "()";
        lines.push_back(line);
        return QK_OK;
    }
    std::vector<std::string> lines;
};

class PeripheralTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LControlFactory& factory = harness.Factory();
        factory.RegisterControlClass(WString(u"Framework.Dropper"), &LDropper::Create);
        factory.RegisterControlClass(WString(u"Framework.FileDropper"), &LFileDropper::Create);
        factory.RegisterControlClass(WString(u"Framework.Knob"), &LKnob::Create);
        factory.RegisterControlClass(WString(u"Framework.SplitterV"), &LSplitterV::Create);
        factory.RegisterControlClass(WString(u"Framework.SplitterH"), &LSplitterH::Create);
        ASSERT_TRUE(harness.SetRoot(u"top"));
    }
    void TearDown() override
    {
        log->UnsubscribeAll();
        LNotificationCenterManager::ReleaseInstance();
    }
    LKnob& Knob(const std::string& name) { return dynamic_cast<LKnob&>(*harness.Find(name)); }
    LControl& Control(const std::string& path) { return *harness.Find(path); }

    WindowHarness harness{kTree, std::string(), Looks()};
    EventScript script{harness};
    RCPtr<KnobLog> log{new KnobLog};
};

// --- Droppers ------------------------------------------------------------------------------

TEST_F(PeripheralTest, ADropperFollowsThePointerFromThePressAndLeavesWhenLetGo)
{
    for (const char* name : {"dropper", "fileDropper"})
    {
        SCOPED_TRACE(name);
        LControl& top = *harness.Root()->GetRootControl();
        const RCPtr<LControl> dropper = harness.Find(name);
        ASSERT_TRUE(dropper);
        EXPECT_TRUE(dropper->IsNotFocusable());
        const PointL press{static_cast<std::int32_t>(dropper->GetBounds().x) + 5,
                           static_cast<std::int32_t>(dropper->GetBounds().y) + 5};
        // A press alone starts the drag; a release with no move in between leaves it.
        script.Move(press).Press(1, press);
        EXPECT_EQ(dropper->GetDragMode(), 1);
        EXPECT_TRUE(dropper->GetConditionFlags().leftDrag);
        script.Move({press.x - 100, press.y + 50});
        EXPECT_EQ(dropper->GetBounds().x, press.x - 5 - 100.0);
        harness.Host().cursor = 0;
        script.Release(1, {press.x - 100, press.y + 50}).Tick();
        EXPECT_FALSE(top.FindChild(dropper->GetName()));
        EXPECT_EQ(harness.Host().cursor, 1) << "the arrow is back";
    }
}

// --- Knob ------------------------------------------------------------------------------------

TEST_F(PeripheralTest, KnobCreateParametersWithTheirMendedDefaults)
{
    struct Row
    {
        const char* name;
        bool radial;
        double start;
        double end;
        double fine;
        std::int32_t fullRange;
    };
    const Row rows[] = {
        {"radial", true, 225.0, 135.0, 0.25, 128},
        {"linear", false, 0.0, 0.0, 0.25, 128},
        {"fineOnly", false, 0.0, 0.0, 0.5, 130},
        {"degenerate", false, 0.0, 0.0, 0.25, 128},
        {"bare", false, 0.0, 0.0, 0.25, 128},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        const LKnob& knob = Knob(row.name);
        EXPECT_EQ(knob.IsRadial(), row.radial);
        EXPECT_EQ(knob.GetStartAngle(), row.start);
        EXPECT_EQ(knob.GetEndAngle(), row.end);
        EXPECT_EQ(knob.GetFineMultiplier(), row.fine);
        EXPECT_EQ(knob.GetLinearFullRange(), row.fullRange);
        EXPECT_EQ(knob.GetRangeMaximum(), 127.0);
    }
    EXPECT_EQ(Knob("linear").GetFrameCount(), 5);
    EXPECT_EQ(Knob("bare").GetFrameCount(), 0);
}

TEST_F(PeripheralTest, RadialKnobMapsTheAngleIntoItsSweepAndTheDeadZoneToTheNearerEnd)
{
    LKnob& knob = Knob("radial");
    log->Listen(knob);
    // The centre is (20, 20) in the knob, (20, 170) in the window.
    script.Move({20, 155}).Press(1, {20, 155}).Move({20, 154});
    EXPECT_EQ(knob.GetValue(), 0.5) << "straight up";
    EXPECT_EQ(knob.GetCurrentLookIndex(), 2);
    struct Row
    {
        PointL pointer;
        double value;
    };
    const Row rows[] = {
        {{40, 170}, 0.5 + 90.0 / 270.0}, // 3 o'clock
        {{20, 190}, 1.0},                // straight down: the middle of the dead zone counts as the end
        {{0, 170}, 0.5 - 90.0 / 270.0},  // 9 o'clock
        {{19, 190}, 0.0},                // just past the middle: the start is nearer
        {{20, 170}, 0.0},                // the centre itself moves nothing
    };
    for (const Row& row : rows)
    {
        script.Move(row.pointer);
        EXPECT_DOUBLE_EQ(knob.GetValue(), row.value) << row.pointer.x << ", " << row.pointer.y;
    }
    script.Release(1, {20, 170});
    EXPECT_EQ(log->lines, (std::vector<std::string>{"NID_VALUE_CHANGE_CAPTURE(true)", "NID_VALUE_CHANGE_CAPTURE(false)"}));
}

TEST_F(PeripheralTest, LinearKnobTravelsItsFullRangeAndStepsFinelyWithCtrl)
{
    struct Row
    {
        const char* name;
        bool ctrl;
        std::int32_t travel;
        double value;
    };
    const Row rows[] = {
        {"linear", false, 127, 1.0},
        {"linear", true, 127, 128.0 / 511.0},
        {"linear", false, 64, 64.0 / 127.0},
        {"degenerate", false, 127, 1.0},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(std::string(row.name) + (row.ctrl ? " ctrl" : ""));
        LKnob& knob = Knob(row.name);
        knob.SetValue(0.0);
        if (row.ctrl)
            harness.App().keysDown.insert(0x11);
        const std::int32_t x = static_cast<std::int32_t>(knob.GetBounds().x) + 20;
        script.Move({x, 170}).Press(1, {x, 170}).Move({x + row.travel, 170});
        EXPECT_DOUBLE_EQ(knob.GetValue(), row.value);
        script.Release(1, {x + row.travel, 170});
        harness.App().keysDown.clear();
    }
    // Up raises as right does; down and left lower.
    LKnob& knob = Knob("linear");
    knob.SetValue(64.0 / 127.0);
    script.Move({70, 170}).Press(1, {70, 170}).Move({70, 160});
    EXPECT_DOUBLE_EQ(knob.GetValue(), 74.0 / 127.0);
    script.Move({60, 160});
    EXPECT_DOUBLE_EQ(knob.GetValue(), 64.0 / 127.0);
    script.Release(1, {60, 160});
}

TEST_F(PeripheralTest, AValueSetDuringADragWaitsForTheRelease)
{
    LKnob& knob = Knob("linear");
    knob.SetResend(true);
    log->Listen(knob);
    script.Move({70, 170}).Press(1, {70, 170}).Move({80, 170});
    const double dragged = knob.GetValue();
    EXPECT_EQ(knob.SetValue(0.7), dragged);
    EXPECT_EQ(knob.GetPendingValue(), 0.7);
    script.Release(1, {80, 170});
    EXPECT_EQ(knob.GetValue(), 0.7);
    EXPECT_EQ(knob.GetPendingValue(), -1.0);
    EXPECT_EQ(log->lines.back(), "NID_VALUE_CHANGE_CAPTURE(false)");
}

TEST_F(PeripheralTest, KnobKeysAndWheelStepOneUnit)
{
    LKnob& knob = Knob("linear");
    log->Listen(knob);
    knob.SetFocus(true);
    script.Key(0x27).Key(0x27);
    EXPECT_DOUBLE_EQ(knob.GetValue(), 2.0 / 127.0);
    harness.Host().Key(0x27, false, 0);
    script.Key(0x28);
    EXPECT_DOUBLE_EQ(knob.GetValue(), 1.0 / 127.0);
    // Shift+Right is not the knob's.
    script.Key(0x27, 8);
    EXPECT_DOUBLE_EQ(knob.GetValue(), 1.0 / 127.0);
    // The focus goes while Down is held.
    Knob("radial").SetFocus(true);
    EXPECT_EQ(log->lines, (std::vector<std::string>{"NID_VALUE_CHANGE_KEY_DOWN", "NID_VALUE_CHANGE_KEY_UP",
                                                    "NID_VALUE_CHANGE_KEY_DOWN", "NID_VALUE_CHANGE_KEY_UP()"}));
    script.Move({70, 170}).Wheel({70, 170}, 1).Wheel({70, 170}, 1).Wheel({70, 170}, 0);
    EXPECT_DOUBLE_EQ(knob.GetValue(), 2.0 / 127.0);
    knob.SetValue(1.0);
    script.Wheel({70, 170}, 1);
    EXPECT_EQ(knob.GetValue(), 1.0) << "clamped at the end";
}

TEST_F(PeripheralTest, KnobFramesFollowTheValue)
{
    LKnob& knob = Knob("linear");
    const std::pair<double, std::int32_t> rows[] = {{0.0, 0}, {0.124, 0}, {0.125, 1}, {0.5, 2}, {1.0, 4}};
    for (const auto& [value, frame] : rows)
    {
        knob.SetValue(value);
        EXPECT_EQ(knob.GetCurrentLookIndex(), frame) << value;
    }
    // Focus and enable changes keep the frame the value chose.
    knob.SetFocus(true);
    knob.SetEnabled(false);
    knob.SetEnabled(true);
    EXPECT_EQ(knob.GetCurrentLookIndex(), 4);
}

// --- Splitters -------------------------------------------------------------------------------

TEST_F(PeripheralTest, DraggingASplitterResizesItsTargetWithinItsLimits)
{
    LControl& left = Control("area/left");
    LControl& split = Control("area/split");
    LControl& right = Control("area/right");
    ASSERT_EQ(split.GetBounds().x, 100.0);
    const double rightEdge = right.GetBounds().x + right.GetWidth();
    struct Row
    {
        std::int32_t to;
        double leftWidth;
    };
    // +30; the target's minimum of 40; its maximum of 200.
    const Row rows[] = {{133, 130.0}, {3, 40.0}, {290, 200.0}};
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.to);
        const std::int32_t from = static_cast<std::int32_t>(split.GetBounds().x) + 3;
        script.Move({from, 250}).Press(1, {from, 250}).Move({from + 1, 250}).Move({row.to + (from - 103), 250});
        EXPECT_EQ(split.GetDragMode(), 3);
        EXPECT_EQ(split.GetDragAxes(), 1);
        EXPECT_EQ(left.GetWidth(), row.leftWidth);
        EXPECT_EQ(split.GetBounds().x, row.leftWidth);
        script.Release(1, {row.to, 250});
        // Attached to the target's edge again.
        const AxisSpec& x = split.GetLayoutDescriptor()->X;
        EXPECT_EQ(x.Position.Kind, 2);
        EXPECT_EQ(Narrow(x.Position.Name), "left");
        EXPECT_EQ(split.GetBounds().x, row.leftWidth);
        EXPECT_EQ(right.GetBounds().x, row.leftWidth + 6.0);
        EXPECT_EQ(right.GetBounds().x + right.GetWidth(), rightEdge) << "the far side gives what the target takes";
        // Back to 100 for the next row.
        left.SetAxisLayout(0, 0.0f, false, left.GetLayoutDescriptor()->X.Position, LayoutReference{2, WString(), 0.0f, 100.0});
    }
}

TEST_F(PeripheralTest, SplitterLooksCursorsAndTheDisabledSplitter)
{
    LControl& split = Control("area/split");
    LControl& left = Control("area/left");
    EXPECT_EQ(split.GetCurrentLookIndex(), 0);
    script.Move({103, 250});
    EXPECT_EQ(split.GetCurrentLookIndex(), 1);
    EXPECT_EQ(harness.Host().cursor, 4) << "west-east";
    script.Press(1, {103, 250}).Move({110, 250});
    EXPECT_EQ(split.GetCurrentLookIndex(), 2) << "dragging over it";
    script.Move({200, 250});
    EXPECT_EQ(split.GetCurrentLookIndex(), 2) << "the splitter follows the pointer, so it stays over it";
    script.Release(1, {200, 250}).Move({250, 280});
    EXPECT_EQ(split.GetCurrentLookIndex(), 0);
    script.Move({320, 102});
    EXPECT_EQ(harness.Host().cursor, 5) << "north-south over the horizontal splitter";

    split.SetEnabled(false);
    EXPECT_EQ(split.GetCurrentLookIndex(), 6);
    const double width = left.GetWidth();
    script.Move({110, 250}).Press(1, {110, 250}).Move({150, 250}).Release(1, {150, 250});
    EXPECT_EQ(left.GetWidth(), width);
    EXPECT_EQ(split.GetCurrentLookIndex(), 6);
}

TEST_F(PeripheralTest, ASplitterWithoutTargetMovesAndResizesNothing)
{
    LControl& loose = Control("loose");
    script.Move({320, 101}).Press(1, {320, 101}).Move({320, 102}).Move({320, 131});
    EXPECT_EQ(loose.GetBounds().y, 130.0);
    script.Release(1, {320, 131});
    EXPECT_EQ(loose.GetBounds().y, 130.0);
}

// Two panels of 300 x 40, each split by a vertical splitter hanging on "left" (100 wide) at x
// 100. In "hang" the far pane starts at the target's far edge and runs to the panel's edge
// (150 to 250 wide), and a caption bar hangs on the target's near edge and is carried along.
// In "docked" a strip ends at the splitter (at least 80) and a pane anchored at the panel's
// right edge runs back to it (at least 120); the target itself takes 40 to 200.
const char* const kSplitPanels = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="200" TabStop="-1"><Skin Name="t" LookList="frames"/>
    <SubControl Class="Test.Probe" Name="hang" XPositionAbs="0" YPositionAbs="0" XSizeAbs="300" YSizeAbs="40" TabStop="-1"><Skin Name="a" LookList="frames"/>
      <SubControl Class="Test.Probe" Name="left" XSizeAbs="100" YSizeAbs="30" XMinSizeAbs="20"/>
      <SubControl Class="Framework.SplitterV" Name="split" XPositionToControl="left" XPositionRel="1" XSizeAbs="6" YSizeAbs="30"><Skin Name="sp" LookList="frames"/></SubControl>
      <SubControl Class="Test.Probe" Name="far" XPositionToControl="left" XPositionRel="1" XPositionAbs="6" XSizeToControl="Parent" XSizeRel="1" XSizeAbs="0" XMinSizeAbs="150" XMaxSizeAbs="250" YSizeAbs="30"/>
      <SubControl Class="Test.Probe" Name="caption" XPositionToControl="left" YPositionAbs="34" XSizeToControl="Parent" XSizeRel="1" XSizeAbs="0" XMinSizeAbs="300" YSizeAbs="6"/>
    </SubControl>
    <SubControl Class="Test.Probe" Name="docked" XPositionAbs="0" YPositionAbs="100" XSizeAbs="300" YSizeAbs="40" TabStop="-1"><Skin Name="a" LookList="frames"/>
      <SubControl Class="Test.Probe" Name="left" XSizeAbs="100" YSizeAbs="30" XMinSizeAbs="40" XMaxSizeAbs="200"/>
      <SubControl Class="Framework.SplitterV" Name="split" XPositionToControl="left" XPositionRel="1" XSizeAbs="6" YSizeAbs="30"><Skin Name="sp" LookList="frames"/></SubControl>
      <SubControl Class="Test.Probe" Name="strip" LayoutOrder="1" YPositionAbs="34" XSizeToControl="split" XSizeAbs="0" XMinSizeAbs="80" YSizeAbs="6"/>
      <SubControl Class="Test.Probe" Name="pane" LayoutOrder="1" XPositionToControl="Parent" XPositionRel="1" XPlacementAnchor="1" XSizeToControl="split" XSizeRel="1" XSizeAbs="0" XMinSizeAbs="120" YSizeAbs="30"/>
    </SubControl>
  </SubControl>
</Skin>)";

class SplitterRangeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.Factory().RegisterControlClass(WString(u"Framework.SplitterV"), &LSplitterV::Create);
        ASSERT_TRUE(harness.SetRoot(u"top"));
    }
    void TearDown() override { LNotificationCenterManager::ReleaseInstance(); }
    LControl& Control(const std::string& path) { return *harness.Find(path); }
    double Right(const std::string& path) { return Control(path).GetBounds().x + Control(path).GetWidth(); }
    void SetWidth(const std::string& path, double width)
    {
        LControl& control = Control(path);
        const AxisSpec& x = control.GetLayoutDescriptor()->X;
        control.SetAxisLayout(0, x.PlacementAnchor, false, x.Position, LayoutReference{2, WString(), 0.0f, width});
    }

    WindowHarness harness{kSplitPanels, std::string(), Looks()};
    EventScript script{harness};
};

TEST_F(SplitterRangeTest, SiblingsOnEitherSideStopTheDragAtTheirOwnLimits)
{
    struct Row
    {
        const char* panel;
        std::int32_t move;
        double stop;
        const char* why;
    };
    const Row rows[] = {
        {"hang", 30, 130.0, "free: the carried caption bar gives nothing"},
        {"hang", 80, 144.0, "the far pane at its minimum of 150"},
        {"hang", -80, 44.0, "the far pane at its maximum of 250"},
        {"docked", 30, 130.0, "free"},
        {"docked", 100, 174.0, "the pane docked from the right at its minimum of 120"},
        {"docked", -50, 80.0, "the strip ending at the splitter at its minimum of 80"},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(std::string(row.panel) + " " + std::to_string(row.move) + ": " + row.why);
        const std::string panel = row.panel;
        LControl& split = Control(panel + "/split");
        ASSERT_EQ(split.GetBounds().x, 100.0);
        const std::int32_t y = panel == "hang" ? 10 : 110;
        script.Move({103, y}).Press(1, {103, y}).Move({104, y}).Move({103 + row.move, y});
        EXPECT_EQ(split.GetBounds().x, row.stop);
        EXPECT_EQ(Control(panel + "/left").GetWidth(), row.stop);
        script.Release(1, {103 + row.move, y});
        EXPECT_EQ(split.GetBounds().x, row.stop) << "attached to the target's new edge";
        EXPECT_EQ(split.GetLayoutDescriptor()->X.Position.Kind, 2);
        if (panel == "hang")
        {
            EXPECT_EQ(Control("hang/far").GetBounds().x, row.stop + 6.0);
            EXPECT_EQ(Right("hang/far"), 300.0) << "the far pane keeps the panel's edge";
            EXPECT_EQ(Control("hang/caption").GetBounds().x, 0.0);
        }
        else
        {
            EXPECT_EQ(Control("docked/strip").GetWidth(), row.stop);
            EXPECT_EQ(Control("docked/pane").GetBounds().x, row.stop + 6.0);
            EXPECT_EQ(Right("docked/pane"), 300.0);
        }
        SetWidth(panel + "/left", 100.0);
    }
}

TEST_F(SplitterRangeTest, APanelResizedUnderThePanesMovesTheSplitterSoTheyKeepTheirLimits)
{
    struct Row
    {
        const char* panel;
        double width;
        double split;
        const char* why;
    };
    const Row rows[] = {
        {"hang", 250.0, 94.0, "narrower: the far pane keeps its minimum of 150"},
        {"hang", 400.0, 144.0, "wider: the far pane stops at its maximum of 250, the target takes the rest"},
        {"hang", 350.0, 100.0, "within the far pane's limits: nothing moves"},
        {"docked", 210.0, 84.0, "the docked pane keeps its minimum of 120"},
        {"docked", 150.0, 80.0, "no room for both: the strip's minimum holds the splitter"},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(std::string(row.panel) + " " + std::to_string(row.width) + ": " + row.why);
        const std::string panel = row.panel;
        SetWidth(panel + "/left", 100.0);
        SetWidth(panel, row.width);
        LControl& split = Control(panel + "/split");
        EXPECT_EQ(split.GetBounds().x, row.split);
        EXPECT_EQ(Control(panel + "/left").GetWidth(), row.split);
        EXPECT_EQ(split.GetLayoutDescriptor()->X.Position.Kind, 2) << "still hanging on its target";
        if (panel == "hang")
        {
            EXPECT_EQ(Control("hang/far").GetBounds().x, row.split + 6.0);
            EXPECT_GE(Control("hang/far").GetWidth(), 150.0);
            EXPECT_LE(Control("hang/far").GetWidth(), 250.0);
        }
        SetWidth(panel, 300.0);
    }
}

} // namespace
} // namespace QK

namespace QK
{
namespace
{

using namespace TestSupport;

// Status bar, progress bar, level meter, knob, splitter, dropper and open combo slider in their
// states, drawn by
// the software renderer and saved as pictures/peripheral-controls.png.
TEST(PeripheralPicture, EachControlDrawsItsState)
{
    const ScopedEnvironment dpi("VEDIDU_DPI", "96");
    const std::string skin = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="320" YSizeAbs="160"><Skin Name="t" LookList="back"/>
    <SubControl Class="Framework.ProgressBar" Name="progress" XPositionAbs="10" YPositionAbs="10" XSizeAbs="140" YSizeAbs="16"><Skin Name="p" LookList="frame"/>
      <SubControl Class="Test.Probe" Name="activeOverlay" XSizeAbs="0" YSizeAbs="16"><Skin Name="po" LookList="bar"/></SubControl>
    </SubControl>
    <SubControl Class="Framework.LevelMeter" Name="meter" XPositionAbs="170" YPositionAbs="10" XSizeAbs="16" YSizeAbs="100"><Skin Name="m" LookList="frame"/>
      <SubControl Class="Test.Probe" Name="activeOverlay" XSizeAbs="16" YSizeAbs="0"><Skin Name="mo" LookList="back"/></SubControl>
      <SubControl Class="Test.Probe" Name="peakLo" YPositionAbs="0" XSizeAbs="16" YSizeAbs="2"><Skin Name="ml" LookList="peak"/></SubControl>
      <SubControl Class="Test.Probe" Name="peakHi" YPositionAbs="98" XSizeAbs="16" YSizeAbs="2"/>
      <SubControl Class="Framework.Button" Name="clipButton" XPositionAbs="0" YPositionAbs="92" XSizeAbs="16" YSizeAbs="8"><Skin Name="mc" LookList="clip"/></SubControl>
    </SubControl>
    <SubControl Class="Framework.Knob" Name="knob" XPositionAbs="210" YPositionAbs="10" XSizeAbs="40" YSizeAbs="40"><Skin Name="k" LookList="knob"/></SubControl>
    <SubControl Class="Test.Probe" Name="area" XPositionAbs="10" YPositionAbs="40" XSizeAbs="140" YSizeAbs="70"><Skin Name="a" LookList="frame"/>
      <SubControl Class="Test.Probe" Name="left" XSizeAbs="60" YSizeAbs="70"><Skin Name="al" LookList="bar"/></SubControl>
      <SubControl Class="Framework.SplitterV" Name="split" XPositionToControl="left" XPositionRel="1" XSizeAbs="6" YSizeAbs="70"><Skin Name="s" LookList="splitter"/></SubControl>
    </SubControl>
    <SubControl Class="Framework.Dropper" Name="dropper" XPositionAbs="270" YPositionAbs="20" XSizeAbs="24" YSizeAbs="24"><Skin Name="d" LookList="peak"/></SubControl>
    <SubControl Class="Framework.ComboSlider" Name="combo" XPositionAbs="200" YPositionAbs="60" XSizeAbs="110" YSizeAbs="16"><Skin Name="c" LookList="combo"/>
      <SubControl Class="Framework.ComboSlider.DropDownPanel" Name="dropDownPanel" ClipToParent="False" YPositionAbs="16" XSizeAbs="110" YSizeAbs="40"><Skin Name="cp" LookList="frame"/>
        <SubControl Class="Framework.Slider" Name="slider" XPositionAbs="2" YPositionAbs="2" XSizeAbs="106" YSizeAbs="36"><Skin Name="cs" LookList="back"/>
          <SubControl Class="Framework.Button" Name="thumbStart" XPositionAbs="3" YPositionAbs="8" XSizeAbs="10" YSizeAbs="20"><Skin Name="ct" LookList="thumb"/></SubControl>
          <SubControl Class="Framework.Button" Name="thumbEnd" XPositionAbs="93" YPositionAbs="8" XSizeAbs="10" YSizeAbs="20"><Skin Name="ct" LookList="thumb"/></SubControl>
        </SubControl>
      </SubControl>
    </SubControl>
    <SubControl Class="Framework.StatusBar" Name="status" XPositionAbs="0" YPositionAbs="140" XSizeAbs="320" YSizeAbs="20"><Skin Name="st" LookList="frame"/></SubControl>
  </SubControl>
</Skin>)";
    struct Fill
    {
        const char* name;
        const char* colour;
    };
    const Fill fills[] = {{"back", "FFFFFFFF"}, {"frame", "FFD8D8D8"}, {"bar", "FF3070C0"}, {"peak", "FFFF8000"},
                          {"clip", "FFE02020"}, {"split", "FF404040"}, {"k0", "FF203040"}, {"k1", "FF405070"},
                          {"k2", "FF6080A0"}};
    std::string colorizers;
    std::string parts;
    std::string looks;
    for (const Fill& fill : fills)
    {
        colorizers += std::string("<Colorizer Name=\"") + fill.name + "\" ColorType=\"SolidFill\" Color=\"" + fill.colour + "\"/>";
        parts += std::string("<Part Name=\"") + fill.name + "\" Width=\"1\" Height=\"1\" ResizeType=\"Stretch\" ColorizerName=\"" +
                 fill.name + "\"/>";
        looks += std::string("<Look Name=\"") + fill.name + "\"><ClientPart Name=\"" + fill.name +
                 "\" OffsetLeft=\"0\" OffsetTop=\"0\" OffsetRight=\"0\" OffsetBottom=\"0\"/></Look>";
    }
    const auto list = [](const char* name, std::vector<const char*> items)
    {
        std::string text = std::string("<LookList Name=\"") + name + "\" NumLooks=\"" + std::to_string(items.size()) + "\">";
        for (std::size_t i = 0; i < items.size(); ++i)
            text += std::string("<Look Name=\"") + items[i] + "\" Index=\"" + std::to_string(i) + "\"/>";
        return text + "</LookList>";
    };
    const std::string extra = "<Colorizers>" + colorizers + "</Colorizers><Parts>" + parts + "</Parts><Looks>" + looks +
                              "</Looks><LookLists>" + list("back", {"back"}) + list("frame", {"frame"}) +
                              list("bar", {"bar"}) + list("peak", {"peak"}) +
                              list("clip", {"frame", "frame", "frame", "frame", "frame", "frame", "frame", "clip", "clip",
                                            "clip", "clip", "clip", "clip", "clip"}) +
                              list("knob", {"k0", "k1", "k2"}) +
                              list("combo", {"frame", "frame", "frame", "frame", "bar", "bar", "frame"}) +
                              list("thumb", std::vector<const char*>(14, "k0")) +
                              list("splitter", {"split", "bar", "peak", "split", "split", "split", "frame"}) +
                              "</LookLists>";
    WindowHarness harness(skin, std::string(), extra);
    LControlFactory& factory = harness.Factory();
    factory.RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
    factory.RegisterControlClass(WString(u"Framework.ProgressBar"), &LProgressBar::Create);
    factory.RegisterControlClass(WString(u"Framework.LevelMeter"), &LLevelMeter::Create);
    factory.RegisterControlClass(WString(u"Framework.Knob"), &LKnob::Create);
    factory.RegisterControlClass(WString(u"Framework.SplitterV"), &LSplitterV::Create);
    factory.RegisterControlClass(WString(u"Framework.Dropper"), &LDropper::Create);
    factory.RegisterControlClass(WString(u"Framework.StatusBar"), &LStatusBar::Create);
    factory.RegisterControlClass(WString(u"Framework.Slider"), &LSlider::Create);
    factory.RegisterControlClass(WString(u"Framework.ComboSlider"), &LComboSlider::Create);
    factory.RegisterControlClass(WString(u"Framework.ComboSlider.DropDownPanel"), &LPanel::Create);
    const RCPtr<LRenderer> renderer = LRenderer::Create(1, 0);
    RecordingWindowHost host;
    host.clientRect = {0, 0, 320, 160};
    const auto window = LRootWindow::Create(renderer, &host);
    ASSERT_EQ(window->SetRootControl(WString(u"top")), QK_OK);
    LControl& top = *window->GetRootControl();
    const auto find = [&](const char16_t* name) { return top.FindChild(WString(name)); };

    find(u"progress")->SetValue(0.6);
    auto& meter = dynamic_cast<LLevelMeter&>(*find(u"meter"));
    meter.UpdateMeter(0.7, 0.5, 1);
    find(u"knob")->SetValue(1.0);
    LControl& split = *find(u"area")->FindChild(WString(u"split"));
    split.GetConditionFlags().pointerOver = true;
    split.UpdateConditions();
    EXPECT_EQ(split.GetCurrentLookIndex(), 1);
    auto& combo = dynamic_cast<LComboSlider&>(*find(u"combo"));
    ASSERT_EQ(combo.SetValueRange(0.0, 127.0, 0), QK_OK);
    combo.SetValue(0.5);
    ASSERT_EQ(combo.ShowDropDown(true), QK_OK);

    RCPtr<LRenderContextInfo> context;
    ASSERT_EQ(renderer->InitRenderContextInfo({0, 0, 320, 160}, 0, true, context), QK_OK);
    renderer->RenderStart(context);
    RectRegion region;
    window->TakeUpdateRegion(region);
    region.AddRect(0, 0, 320, 160);
    window->Paint(region);
    renderer->RenderFinish(context);

    const IDrawingSurface& surface = static_cast<LGDIRenderContextInfo&>(*context).GetFrontSurface().GetSurface();
    EXPECT_EQ(surface.GetPixel(12 + 80, 18), 0xFF3070C0u) << "progress bar at 60 %";
    EXPECT_EQ(surface.GetPixel(12 + 90, 18), 0xFFD8D8D8u) << "the rest of the progress bar";
    EXPECT_EQ(surface.GetPixel(178, 20), 0xFFFFFFFFu) << "the level meter's upper 30 %";
    EXPECT_EQ(surface.GetPixel(178, 80), 0xFFD8D8D8u) << "the level meter's lower part";
    EXPECT_EQ(surface.GetPixel(230, 30), 0xFF6080A0u) << "the knob's last frame";
    EXPECT_EQ(surface.GetPixel(178, 10 + 50), 0xFFFF8000u) << "the peak marker half way";
    EXPECT_EQ(surface.GetPixel(178, 10 + 96), 0xFFE02020u) << "the clip light";
    EXPECT_EQ(surface.GetPixel(72, 70), 0xFF3070C0u) << "the splitter under the pointer";
    EXPECT_EQ(surface.GetPixel(300, 62), 0xFF3070C0u) << "the open combo slider's look";
    EXPECT_EQ(surface.GetPixel(201, 77), 0xFFD8D8D8u) << "its panel";
    EXPECT_EQ(surface.GetPixel(210, 80), 0xFFFFFFFFu) << "the slider in it";
    EXPECT_EQ(surface.GetPixel(202 + 48 + 5, 78 + 18), 0xFF203040u) << "the thumb half way";

    const char* named = std::getenv("VEDIDU_PICTURES_DIR");
    const std::filesystem::path folder = named ? std::filesystem::path(named) : std::filesystem::path("pictures");
    std::filesystem::create_directories(folder);
    std::vector<std::uint32_t> pixels;
    for (std::int32_t y = 0; y < surface.GetHeight(); ++y)
        for (std::int32_t x = 0; x < surface.GetWidth(); ++x)
            pixels.push_back(surface.GetPixel(x, y));
    EXPECT_TRUE(WritePngFile((folder / "peripheral-controls.png").string(), pixels, surface.GetWidth(), surface.GetHeight()));
    window->SetHost(nullptr);
    window->SetRootControl(RCPtr<LControl>());
    LNotificationCenterManager::ReleaseInstance();
}

} // namespace
} // namespace QK
