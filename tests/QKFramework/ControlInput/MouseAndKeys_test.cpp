// Mouse, focus and keys of controls, driven through a real root window with event scripts.
#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ControlBase/ScrollView.h"

#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

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
using Lines = std::vector<std::string>;

// panel holds three focusable controls whose tab order (TabStop) differs from their order.
const char* const kTree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k4" LookList="grey"/>
    <SubControl Class="Test.Probe" Name="panel" XPositionAbs="0" YPositionAbs="0" XSizeAbs="300" YSizeAbs="100"><Skin Name="k5" LookList="grey"/>
      <SubControl Class="Test.Probe" Name="b1" XPositionAbs="0" YPositionAbs="0" XSizeAbs="50" YSizeAbs="50" TabStop="1"><Skin Name="k6" LookList="grey"/><Skin Name="k1" LookList="grey"/></SubControl>
      <SubControl Class="Test.Probe" Name="b3" XPositionAbs="200" YPositionAbs="0" XSizeAbs="50" YSizeAbs="50" TabStop="3"><Skin Name="k7" LookList="grey"/><Skin Name="k2" LookList="grey"/></SubControl>
      <SubControl Class="Test.Probe" Name="b2" XPositionAbs="100" YPositionAbs="0" XSizeAbs="50" YSizeAbs="50" TabStop="2"><Skin Name="k8" LookList="grey"/>
        <CreateParamList><CreateParam ID="WANTS_TAB">false</CreateParam></CreateParamList></SubControl>
    </SubControl>
    <SubControl Class="Test.Probe" Name="other" XPositionAbs="0" YPositionAbs="150" XSizeAbs="300" YSizeAbs="100" TabStop="2"><Skin Name="k9" LookList="grey"/>
      <SubControl Class="Test.Probe" Name="c1" XPositionAbs="0" YPositionAbs="0" XSizeAbs="50" YSizeAbs="50" TabStop="1"><Skin Name="k10" LookList="grey"/>
        <CreateParamList><CreateParam ID="WANTS_TAB"> True </CreateParam></CreateParamList></SubControl>
      <SubControl Class="Test.Probe" Name="saver" XPositionAbs="100" YPositionAbs="0" XSizeAbs="50" YSizeAbs="50" TabStop="-1"><Skin Name="k11" LookList="grey"/><Skin Name="k3" LookList="grey"/></SubControl>
    </SubControl>
  </SubControl>
</Skin>)";

const char* const kLooks = R"(
  <Colorizers><Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/></Colorizers>
  <Parts><Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/></Parts>
  <Looks><Look Name="grey"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look></Looks>
  <LookLists><LookList Name="grey" NumLooks="1"><Look Name="grey" Index="0"/></LookList></LookLists>
)";

const char* const kStrings = R"(
  <StringTable ID="PresetEditor|top">
    <String ID="GHK.NID_ROOT_SAVE"><Locale LCID="0x0009">Ctrl+VKEY_S</Locale></String>
  </StringTable>
  <StringTable ID="Test.Probe|saver">
    <String ID="LHK.NID_SIBLING_SAVE"><Locale LCID="0x0009">Ctrl+VKEY_S</Locale></String>
  </StringTable>)";

// Writes down the notifications of the controls it listens to, as "<control>:<NID>".
class Listener : public LNotificationClient
{
public:
    void Listen(LNotificationDistributor& control, std::initializer_list<const char16_t*> nids)
    {
        for (const char16_t* nid : nids)
        {
            Subscribe(ConstRCPtr<LNotificationDistributor>(&control), nid);
        }
    }
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override
    {
        const auto* control = dynamic_cast<const LControl*>(source.Get());
        lines.push_back((control ? Narrow(control->GetName()) : std::string("?")) + ":" +
                        Narrow(GetNotificationName(notification->GetId())));
        return QK_OK;
    }
    void Stop() { UnsubscribeAll(); }

    Lines lines;
};

class ControlInput : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(harness.SetRoot(u"top")); }
    void TearDown() override
    {
        listener->Stop();
        LNotificationCenterManager::ReleaseInstance();
    }
    LControl& Get(const std::string& path) { return *harness.Find(path); }

    WindowHarness harness{kTree, kStrings, kLooks};
    EventScript script{harness};
    RCPtr<Listener> listener{new Listener};
};

TEST_F(ControlInput, AClickSendsDownUpThenClickAndAMovedPressBecomesADrag)
{
    LControl& b1 = Get("panel/b1");
    listener->Listen(b1, {u"NID_MOUSE_DOWN", u"NID_MOUSE_UP", u"NID_MOUSE_MOVE", u"NID_LEFT_CLICK",
                          u"NID_CAPTURE_CONDITION_CHANGE", u"NID_LEFT_DRAG_CONDITION_CHANGE"});
    script.Move({10, 10}).Press(1, {10, 10});
    EXPECT_TRUE(b1.HasFocus());
    script.Release(1, {10, 10});
    EXPECT_EQ(listener->lines,
              (Lines{"b1:NID_MOUSE_MOVE", "b1:NID_MOUSE_DOWN", "b1:NID_CAPTURE_CONDITION_CHANGE",
                     "b1:NID_LEFT_DRAG_CONDITION_CHANGE", "b1:NID_MOUSE_UP", "b1:NID_CAPTURE_CONDITION_CHANGE",
                     "b1:NID_LEFT_DRAG_CONDITION_CHANGE", "b1:NID_LEFT_CLICK"}));

    // One pixel: a move at the press point first, then the drag; drag mode 0 still clicks.
    listener->lines.clear();
    script.Press(1, {10, 10}).Move({11, 10});
    EXPECT_EQ(b1.GetConditions() & (LControl::kLeftDrag | LControl::kLeftButtonDown), LControl::kLeftDrag);
    script.Release(1, {11, 10});
    EXPECT_EQ(listener->lines,
              (Lines{"b1:NID_MOUSE_DOWN", "b1:NID_CAPTURE_CONDITION_CHANGE", "b1:NID_LEFT_DRAG_CONDITION_CHANGE",
                     "b1:NID_MOUSE_MOVE", "b1:NID_LEFT_DRAG_CONDITION_CHANGE", "b1:NID_MOUSE_MOVE",
                     "b1:NID_MOUSE_UP", "b1:NID_CAPTURE_CONDITION_CHANGE", "b1:NID_LEFT_DRAG_CONDITION_CHANGE",
                     "b1:NID_LEFT_CLICK"}));
}

TEST_F(ControlInput, ButtonsOtherThanLeftMiddleRightAreRefused)
{
    LControl& b1 = Get("panel/b1");
    for (std::uint32_t button : {0u, 3u, 8u})
    {
        const RCPtr<LMouseButtonParam> event = LMouseButtonParam::Create(button, {1, 1}, 0, false, 0);
        EXPECT_EQ(b1.MouseDown(event.Get()), QK_E_INVALIDARG) << button;
        EXPECT_EQ(b1.MouseUp(event.Get()), QK_E_INVALIDARG) << button;
    }
    EXPECT_EQ(b1.MouseDown(nullptr), QK_E_INVALIDARG);
    EXPECT_FALSE(b1.GetConditionFlags().captured);
    EXPECT_EQ(b1.MouseWheel(static_cast<const LMouseWheelParam*>(nullptr)), -1);
}

TEST_F(ControlInput, CtrlTabHopsToTheNextContainerOfTheGrandparent)
{
    Get("panel/b3").SetFocus(true);
    script.Key(9, KeyCode::kFlagCtrl);
    EXPECT_EQ(harness.Root()->GetFocusControl().Get(), &Get("other/c1"));
    EXPECT_TRUE(Get("other").ContainsFocus());
    EXPECT_FALSE(Get("panel").ContainsFocus());
}

TEST_F(ControlInput, ASiblingsLocalHotKeyBeatsTheWindowsHotKeys)
{
    LControl& saver = Get("other/saver");
    EXPECT_EQ(saver.GetLocalHotKey(WString(u"NID_SIBLING_SAVE")).Code, static_cast<std::int32_t>(0x21530000));
    EXPECT_EQ(saver.GetLocalHotKey(WString(u"NID_UNBOUND")).Code, static_cast<std::int32_t>(0x80000000));
    EXPECT_EQ(saver.GetLocalHotKey(WString()).Code, static_cast<std::int32_t>(0x80000000));
    EXPECT_FALSE(saver.HasLocalHotKey(WString()));
    EXPECT_TRUE(saver.HasLocalHotKey(WString(u"NID_SIBLING_SAVE")));

    listener->Listen(saver, {u"NID_SIBLING_SAVE"});
    listener->Listen(*harness.Root(), {u"NID_ROOT_SAVE"});
    Get("other/c1").SetFocus(true);
    script.Key('S', KeyCode::kFlagCtrl).Tick();
    EXPECT_EQ(listener->lines, Lines{"saver:NID_SIBLING_SAVE"});

    // From the other container the sibling is out of reach: the window's hot key fires.
    listener->lines.clear();
    Get("panel/b1").SetFocus(true);
    script.Key('S', KeyCode::kFlagCtrl).Tick();
    EXPECT_EQ(listener->lines, Lines{"?:NID_ROOT_SAVE"});
}

TEST_F(ControlInput, TheTabStopSignFollowsNotFocusable)
{
    struct Case
    {
        std::int32_t before;
        bool notFocusable;
        std::int32_t after;
    };
    LControl& b1 = Get("panel/b1");
    for (const Case& c : {Case{-3, false, 3}, Case{5, true, -5}, Case{0, true, -1}, Case{4, false, 4}, Case{-2, true, -2}})
    {
        b1.GetLayoutDescriptor()->TabStop = c.before;
        b1.SetNotFocusable(c.notFocusable);
        EXPECT_EQ(b1.GetLayoutDescriptor()->TabStop, c.after) << c.before;
        EXPECT_EQ(b1.IsNotFocusable(), c.notFocusable);
    }
}

TEST_F(ControlInput, HidingDisablingOrShrinkingTheFocusedControlHandsTheFocusToItsParent)
{
    LControl& c1 = Get("other/c1");
    LControl& other = Get("other");
    const std::function<void(bool)> changes[] = {
        [&](bool undo) { c1.SetVisible(undo); },
        [&](bool undo) { c1.SetEnabled(undo); },
        [&](bool undo) { SetBounds(c1, 0, 0, undo ? 50 : 0, 50); },
    };
    for (const auto& change : changes)
    {
        c1.SetFocus(true);
        ASSERT_TRUE(c1.HasFocus());
        change(false);
        EXPECT_FALSE(c1.HasFocus());
        EXPECT_TRUE(other.HasFocus());
        EXPECT_EQ(harness.Root()->GetFocusControl().Get(), &other);
        change(true);
    }
}

TEST_F(ControlInput, NoClickAfterAReleaseOutsideOrWhenDisabledMidPress)
{
    LControl& b1 = Get("panel/b1");
    listener->Listen(b1, {u"NID_MOUSE_UP", u"NID_LEFT_CLICK"});
    struct Case
    {
        const char* name;
        bool disable;
        PointL release;
    };
    for (const Case& c : {Case{"outside", false, {120, 10}}, Case{"disabled", true, {10, 10}}})
    {
        SCOPED_TRACE(c.name);
        listener->lines.clear();
        script.Move({10, 10}).Press(1, {10, 10});
        if (c.disable)
            b1.SetEnabled(false);
        script.Move(c.release).Release(1, c.release);
        EXPECT_EQ(listener->lines, Lines{"b1:NID_MOUSE_UP"});
        EXPECT_EQ(harness.Root()->GetCaptureControl(), nullptr);
        // The hover passes to whatever lies under the pointer once the capture ends.
        EXPECT_EQ(harness.Root()->GetHoverControl(), c.disable ? &b1 : &Get("panel/b2"));
        b1.SetEnabled(true);
    }
}

// The Tab walk itself, asked for with the stay-inside flag: Tab and Shift+Tab go round the
// container in TabStop order and never leave it.
TEST_F(ControlInput, TheStayInsideFlagKeepsTheTabWalkInsideTheContainer)
{
    LControl& panel = Get("panel");
    const auto walk = [&](int steps, std::uint32_t modifiers)
    {
        std::string order;
        for (int i = 0; i < steps; ++i)
        {
            const RCPtr<LKeyParam> tab = LKeyParam::Create(KeyCode::FromKeyMessage(9, true, false, modifiers), true);
            tab->Path.Add(harness.Root()->GetFocusControl());
            panel.FocusNextTabStop(tab.Get());
            order += Narrow(harness.Root()->GetFocusControl()->GetName()) + " ";
        }
        return order;
    };
    Get("panel/b1").SetFocus(true);
    EXPECT_EQ(walk(4, 0), "b2 b3 b1 b2 ");
    EXPECT_EQ(walk(3, KeyCode::kFlagShift), "b1 b3 b2 ");
}

// Keys from the window carry no stay-inside flag: Tab leaves a container at its ends for the
// next one in the parent's tab order, and Shift+Tab from the first control goes round the
// window to its last tab stop.
TEST_F(ControlInput, TabFromTheWindowLeavesTheContainerAtItsEnds)
{
    const auto walk = [&](int steps, std::uint32_t modifiers)
    {
        std::string order;
        for (int i = 0; i < steps; ++i)
        {
            script.Key(9, modifiers);
            order += Narrow(harness.Root()->GetFocusControl()->GetName()) + " ";
        }
        return order;
    };
    Get("panel/b1").SetFocus(true);
    EXPECT_EQ(walk(3, 0), "b2 b3 c1 ");
    // WANTS_TAB keeps the Tab key where it is.
    EXPECT_EQ(walk(1, 0), "c1 ");
    Get("panel/b1").SetFocus(true);
    EXPECT_EQ(walk(1, KeyCode::kFlagShift), "c1 ");
}

TEST_F(ControlInput, AFocusHolderCanVetoTheMove)
{
    auto& b1 = dynamic_cast<ProbeControl&>(Get("panel/b1"));
    ASSERT_EQ(b1.SetFocus(true), QK_OK);
    b1.keepsFocus = true;
    EXPECT_EQ(Get("panel/b2").SetFocus(true), QK_E_FAIL);
    script.Key(9).Move({10, 160}).Press(1, {10, 160}).Release(1, {10, 160});
    EXPECT_EQ(harness.Root()->GetFocusControl().Get(), &b1);
    EXPECT_FALSE(Get("panel/b2").HasFocus());
    b1.keepsFocus = false;
    EXPECT_EQ(Get("panel/b2").SetFocus(true), QK_OK);
    EXPECT_EQ(harness.Root()->GetFocusControl().Get(), &Get("panel/b2"));
}

TEST_F(ControlInput, TheTwoDeadEndsOfFocusTerminate)
{
    // Tab from a hidden control with the stay-inside flag and no focusable sibling.
    LControl& other = Get("other");
    LControl& c1 = Get("other/c1");
    c1.SetFocus(true);
    c1.SetVisible(false);
    const RCPtr<LKeyParam> tab = LKeyParam::Create(KeyCode::Parse(u"VKEY_TAB"), true);
    tab->Path.Add(RCPtr<LControl>(&c1));
    EXPECT_EQ(other.FocusNextTabStop(tab.Get()), QK_FALSE);
    c1.SetVisible(true);

    // A top control that cannot take the focus while it contains it (a not-focusable top
    // makes everything below it unfocusable too).
    LControl& top = *harness.Root()->GetRootControl();
    Get("panel/b1").SetFocus(true);
    top.SetNotFocusable(true);
    for (const char* path : {"panel", "panel/b1", "panel/b2", "panel/b3", "other", "other/c1"})
        Get(path).SetEnabled(false);
    EXPECT_EQ(top.SetFocus(true), QK_E_FAIL);
    for (const char* path : {"panel", "panel/b1", "panel/b2", "panel/b3", "other", "other/c1"})
        Get(path).SetEnabled(true);
    top.SetNotFocusable(false);
    EXPECT_EQ(top.SetFocus(true), QK_OK);
    EXPECT_EQ(harness.Root()->GetFocusControl().Get(), &Get("panel/b1"));
}

// The probe lines of one hook.
Lines Hooks(const char* hook)
{
    Lines out;
    for (const std::string& line : ProbeLog::Lines())
        if (line.find(hook) != std::string::npos)
            out.push_back(line);
    ProbeLog::Clear();
    return out;
}

TEST_F(ControlInput, TheWheelClimbsClippingParentsAndJumpsBeneathAnUnclippedControl)
{
    auto& panel = dynamic_cast<ProbeControl&>(Get("panel"));
    Get("panel/b1").SetFocus(true);
    ProbeLog::Clear();
    script.Wheel({10, 10}, 0);
    EXPECT_EQ(Hooks("Wheel"), (Lines{"b1:OnMouseWheel", "panel:OnMouseWheel", "top:OnMouseWheel",
                                     // Not handled at all: the window offers it to the focus.
                                     "b1:OnMouseWheel", "panel:OnMouseWheel", "top:OnMouseWheel"}));
    panel.wheelAnswer = QK_OK;
    script.Wheel({10, 10}, 2);
    EXPECT_EQ(Hooks("Wheel"), (Lines{"b1:OnMouseHWheel", "panel:OnMouseHWheel"}));

    // b1 reaches down over c1 without clipping: the wheel goes on with what lies beneath it.
    LControl& b1 = Get("panel/b1");
    b1.SetClipToParent(false);
    SetBounds(b1, 0, 0, 50, 200);
    Get("other/c1").SetFocus(true);
    ProbeLog::Clear();
    script.Wheel({10, 160}, 1);
    const Lines route = Hooks("Wheel");
    ASSERT_GE(route.size(), 4u);
    EXPECT_EQ(Lines(route.begin(), route.begin() + 4),
              (Lines{"b1:OnMouseWheel", "c1:OnMouseWheel", "other:OnMouseWheel", "top:OnMouseWheel"}));
    // The exclusion marks are gone again.
    EXPECT_EQ(harness.Root()->FindControlAt({10, 160}), &b1);
}

TEST_F(ControlInput, APressFocusesOnlyWhereNoAncestorUpToTheFocusScopeRefuses)
{
    LControl& top = *harness.Root()->GetRootControl();
    LControl& panel = Get("panel");
    LControl& b1 = Get("panel/b1");
    Get("other/c1").SetFocus(true);
    top.SetNotFocusable(true);
    struct Case
    {
        const char* name;
        PointL at;
        bool scope;
        const LControl* focus;
    };
    for (const Case& c : {Case{"empty part of a top that is not focusable", {350, 280}, false, &Get("other/c1")},
                          Case{"child of it", {10, 10}, false, &Get("other/c1")},
                          Case{"inside a menu below it", {10, 10}, true, &b1}})
    {
        SCOPED_TRACE(c.name);
        panel.SetFocusScope(c.scope);
        script.Move(c.at).Press(1, c.at).Release(1, c.at);
        EXPECT_EQ(harness.Root()->GetFocusControl().Get(), c.focus);
        EXPECT_FALSE(top.HasFocus());
    }
    EXPECT_TRUE(b1.IsFocusable());
    panel.SetFocusScope(false);
    EXPECT_FALSE(b1.IsFocusable());
}

// Sets a drag mode on its control whenever a left drag begins, as an owner does.
class DragModeSetter : public LNotificationClient
{
public:
    DragModeSetter(LControl& control, std::int32_t mode, std::int32_t axes) : m_control(control), m_mode(mode), m_axes(axes)
    {
    }
    // Once held by a counted pointer.
    void Start() { Subscribe(ConstRCPtr<LNotificationDistributor>(&m_control), u"NID_LEFT_DRAG_CONDITION_CHANGE"); }
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>&) override
    {
        if (m_control.GetConditions() & LControl::kLeftDrag)
            m_control.SetDragMode(m_mode, m_axes);
        return QK_OK;
    }
    ~DragModeSetter() override { UnsubscribeAll(); }

private:
    LControl& m_control;
    std::int32_t m_mode;
    std::int32_t m_axes;
};

Lines DropHooks()
{
    Lines out;
    for (const std::string& line : ProbeLog::Lines())
        if (line.find(":OnDrag") != std::string::npos || line.find(":OnDrop") != std::string::npos)
            out.push_back(line);
    return out;
}

Lines Cursors(const RecordingWindowHost& host)
{
    Lines out;
    for (const std::string& call : host.calls)
        if (call.rfind("SetCursor", 0) == 0)
            out.push_back(call);
    return out;
}

TEST_F(ControlInput, ADraggedControlShowsWhereItCanDropAndDropsBeforeTheTargetIsLeft)
{
    auto& other = dynamic_cast<ProbeControl&>(Get("other"));
    other.dropTarget = true;
    LControl& b1 = Get("panel/b1");
    const RCPtr<DragModeSetter> setter(new DragModeSetter(b1, 1, 3));
    setter->Start();
    script.Move({10, 10}).Press(1, {10, 10});
    harness.Host().calls.clear();
    ProbeLog::Clear();
    script.Move({20, 20});
    EXPECT_FALSE(b1.GetLayoutDescriptor()->ClipToParent);
    script.Move({20, 170}).Move({25, 175}).Move({120, 60}).Move({20, 170}).Release(1, {20, 170});
    EXPECT_EQ(DropHooks(), (Lines{"other:OnDragEnter(b1)", "other:OnDragLeave(b1)", "other:OnDragEnter(b1)",
                                  "other:OnDrop(b1)", "other:OnDragLeave(b1)"}));
    // 1 arrow, 2 drop move, 3 no drop; the cursor changes only with the target.
    EXPECT_EQ(Cursors(harness.Host()), (Lines{"SetCursor(2)", "SetCursor(3)", "SetCursor(2)", "SetCursor(1)"}));
    EXPECT_TRUE(b1.GetLayoutDescriptor()->ClipToParent);
    EXPECT_EQ(b1.GetBounds().x, 10.0);
    EXPECT_EQ(b1.GetBounds().y, 160.0);
}

TEST_F(ControlInput, ADropTargetNamingItsRightEdgeScrollsAt315PixelsASecondTenPixelsFromIt)
{
    auto& other = dynamic_cast<ProbeControl&>(Get("other"));
    other.dropTarget = true;
    other.dropScrollEdges = 0x4;
    LControl& b1 = Get("panel/b1");
    const RCPtr<DragModeSetter> setter(new DragModeSetter(b1, 1, 3));
    setter->Start();
    script.Move({10, 10}).Press(1, {10, 10}).Move({20, 20}).Move({290, 170});
    EXPECT_TRUE(other.IsInertiaActive(0));
    EXPECT_EQ(other.GetInertiaVelocity(0), 315.0);
    EXPECT_FALSE(other.IsInertiaActive(1));
    const double before = b1.GetBounds().x;
    ProbeLog::Clear();
    script.Tick(100);
    // The follower is moved again at the same pointer position while the target scrolls.
    EXPECT_EQ(b1.GetBounds().x, before);
    script.Move({150, 170});
    EXPECT_FALSE(other.IsInertiaActive(0));
    script.Release(1, {150, 170});
}

// A scroll view 80 high showing content 150 high can scroll 70 pixels, and a drag reaches all
// of them: a child dragged to the view's bottom edge scrolls it there (mode 3), and the
// content dragged upwards follows the pointer up to its end (mode 6).
TEST(ScrollingDrag, ReachesTheEndOfTheContent)
{
    const char* const tree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="grey"/>
    <SubControl Class="Framework.ScrollView" Name="view" XPositionAbs="10" YPositionAbs="10" XSizeAbs="100" YSizeAbs="80"><Skin Name="v" LookList="grey"/>
      <SubControl Class="Test.Probe" Name="content" XPositionAbs="0" YPositionAbs="0" XSizeAbs="20" YSizeAbs="20"><Skin Name="c" LookList="grey"/></SubControl>
    </SubControl>
  </SubControl>
</Skin>)";
    struct Case
    {
        const char* what;
        const char* dragged;
        std::int32_t mode;
        // The press, then the pointer's moves, in the window.
        std::vector<PointL> path;
    };
    const Case cases[] = {
        {"a child held at the bottom edge", "view/content", 3, {{15, 15}, {15, 20}, {15, 85}}},
        {"the content dragged upwards", "view", 6, {{60, 85}, {60, 84}, {60, 40}, {60, 0}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        WindowHarness harness(tree, std::string(), kLooks);
        harness.Factory().RegisterControlClass(WString(u"Framework.ScrollView"), &LScrollView::Create);
        ASSERT_TRUE(harness.SetRoot(u"top"));
        auto& view = dynamic_cast<LScrollView&>(*harness.Find("view"));
        view.SetClientExtent(100.0, 150.0);
        ASSERT_EQ(view.GetClientExtent().height, 70.0) << "the scroll range";
        LControl& dragged = *harness.Find(c.dragged);
        const RCPtr<DragModeSetter> setter(new DragModeSetter(dragged, c.mode, 3));
        setter->Start();
        EventScript script(harness);
        script.Move(c.path.front()).Press(1, c.path.front());
        for (std::size_t i = 1; i < c.path.size(); ++i)
            script.Tick(10).Move(c.path[i]);
        for (int i = 0; i < 20; ++i)
            script.Tick(100);
        EXPECT_EQ(view.GetScrollOffset().y, 70.0);
        script.Tick(200).Release(1, c.path.back());
        LNotificationCenterManager::ReleaseInstance();
    }
}

TEST_F(ControlInput, ResizingByTheLeftEdgeStopsAtOnePixel)
{
    LControl& b3 = Get("panel/b3");
    const RCPtr<DragModeSetter> setter(new DragModeSetter(b3, 4, 0x8));
    setter->Start();
    script.Move({210, 10}).Press(1, {210, 10}).Move({230, 10});
    EXPECT_EQ(b3.GetBounds().x, 220.0);
    EXPECT_EQ(b3.GetBounds().width, 30.0);
    script.Move({295, 10});
    EXPECT_EQ(b3.GetBounds().width, 1.0);
    EXPECT_EQ(b3.GetBounds().x, 249.0);
    script.Release(1, {295, 10});
}

TEST_F(ControlInput, AFlungControlCoastsOnlyAfterAQuickReleaseAndAPressStopsIt)
{
    LControl& other = Get("other");
    const RCPtr<DragModeSetter> setter(new DragModeSetter(other, 6, 1));
    setter->Start();
    struct Case
    {
        std::uint32_t pause;
        bool coasts;
    };
    for (const Case& c : {Case{150, false}, Case{50, true}})
    {
        SCOPED_TRACE(c.pause);
        // The first move only starts the drag; the second, 12 px in 10 ms, gives 1200 px/s.
        script.Move({200, 200}).Press(1, {200, 200}).Move({199, 200}).Tick(10).Move({188, 200});
        script.Tick(c.pause).Release(1, {188, 200});
        EXPECT_EQ(other.IsInertiaActive(0), c.coasts);
    }
    EXPECT_EQ(other.GetInertiaVelocity(0), 1200.0);
    script.Tick(500).Tick(500);
    EXPECT_EQ(other.GetInertiaVelocity(0), 1200.0);
    script.Tick(100);
    EXPECT_LT(other.GetInertiaVelocity(0), 1200.0);
    EXPECT_GE(other.GetInertiaVelocity(0), 1100.0);
    // A press stops the coasting at once.
    script.Press(1, {188, 200});
    EXPECT_FALSE(other.IsInertiaActive(0));
    script.Release(1, {188, 200});
}

TEST(KeyCodeChecks, IsVirtualKeyPress)
{
    struct Case
    {
        std::uint32_t code;
        bool press;
    };
    for (const Case& c : {Case{0x200D0000, true}, Case{0x000D0000, false}, Case{0x20000041, false},
                          Case{0xA00D0000, false}, Case{0x21090000, true}})
    {
        KeyCode key;
        key.Code = static_cast<std::int32_t>(c.code);
        EXPECT_EQ(key.IsVirtualKeyPress(), c.press) << std::hex << c.code;
    }
    KeyBindingMap map;
    KeyCode::AddBinding(map, KeyCode::Parse(u"VKEY_F1"), WString(u"NID_HELP"));
    KeyCode::AddBinding(map, KeyCode::Parse(u"VKEY_F2"), WString(u"NID_HELP"));
    EXPECT_EQ(KeyCode::GetFirstBinding(map, WString(u"NID_HELP")), KeyCode::Parse(u"VKEY_F1"));
    EXPECT_TRUE(KeyCode::GetFirstBinding(map, WString(u"NID_NONE")).IsNoKey());
}

} // namespace
} // namespace QK
