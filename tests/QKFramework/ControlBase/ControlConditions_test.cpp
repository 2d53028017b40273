// Condition changes and the order of their notifications, compared as whole sequences. The
// probes set the flags as the input handling does and then ask for an update.
#include "QKFramework/ControlBase/Control.h"

#include "tests/support/UI/ControlHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

const char16_t* const kNames[] = {
    u"NID_CONDITION_CHANGE",        u"NID_HAS_FOCUS_CONDITION_CHANGE", u"NID_CONTAINS_FOCUS_CONDITION_CHANGE",
    u"NID_HOVER_CONDITION_CHANGE",  u"NID_CAPTURE_CONDITION_CHANGE",   u"NID_LEFT_DRAG_CONDITION_CHANGE",
    u"NID_MIDDLE_DRAG_CONDITION_CHANGE", u"NID_RIGHT_DRAG_CONDITION_CHANGE", u"NID_ENABLED_CONDITION_CHANGE",
    u"NID_VISIBLITY_CONDITION_CHANGE"};

class ControlConditions : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = harness.CreateRoot(u"window");
        panel = window->FindChild(WString(u"panel"));
        a = panel->FindChild(WString(u"a"));
        b = panel->FindChild(WString(u"b"));
        SetBounds(*window, 0, 0, 100, 100);
        SetBounds(*panel, 0, 0, 50, 50);
        SetBounds(*a, 0, 0, 10, 10);
        SetBounds(*b, 10, 0, 10, 10);
        ProbeLog::Clear();
    }
    void TearDown() override
    {
        for (const auto& recorder : recorders)
            recorder->UnsubscribeAll();
    }

    // Listens to every condition notification of control, writing to the shared log.
    void Listen(const RCPtr<LControl>& control, const std::string& name)
    {
        const auto recorder = Recorder::Create(name, log);
        for (const char16_t* nid : kNames)
            recorder->Subscribe(ConstRCPtr<LNotificationDistributor>(control.Get()), nid);
        recorders.push_back(recorder);
    }

    ControlHarness harness{R"(<Skin Name="s">
        <SubControl Class="Test.Probe" Name="window">
          <SubControl Class="Test.Probe" Name="panel">
            <SubControl Class="Test.Probe" Name="a"/>
            <SubControl Class="Test.Probe" Name="b"/>
          </SubControl>
        </SubControl></Skin>)"};
    RCPtr<LControl> window, panel, a, b;
    std::vector<std::string> log;
    std::vector<RCPtr<Recorder>> recorders;
};

TEST_F(ControlConditions, PointerOverGivesTheGenericThenTheHoverNotification)
{
    Listen(a, "a");
    a->GetConditionFlags().pointerOver = true;
    EXPECT_EQ(a->UpdateConditions(), 0x1C04u);
    EXPECT_EQ(log, (std::vector<std::string>{"a:NID_CONDITION_CHANGE", "a:NID_HOVER_CONDITION_CHANGE"}));
    EXPECT_EQ(recorders[0]->arguments[0], "(0, 0)");
    EXPECT_EQ(a->GetConditionsParam()->OldConditions, 0xC00u);

    // Forced hover while hovered changes no bit.
    log.clear();
    a->SetForcedHover(true);
    EXPECT_TRUE(log.empty());
}

TEST_F(ControlConditions, DisablingAContainerNotifiesItThenEachDescendantLastToFirst)
{
    Listen(panel, "panel");
    Listen(a, "a");
    Listen(b, "b");
    panel->SetEnabled(false);
    EXPECT_EQ(log, (std::vector<std::string>{
                       "panel:NID_CONDITION_CHANGE", "panel:NID_ENABLED_CONDITION_CHANGE", "b:NID_CONDITION_CHANGE",
                       "b:NID_ENABLED_CONDITION_CHANGE", "a:NID_CONDITION_CHANGE", "a:NID_ENABLED_CONDITION_CHANGE"}));
    EXPECT_FALSE(b->IsEnabled(true));
    EXPECT_TRUE(b->IsEnabled(false));
}

TEST_F(ControlConditions, DisablingTheFocusedControlGivesTheFocusToItsParentFirst)
{
    Listen(a, "a");
    a->GetConditionFlags().hasFocus = true;
    a->UpdateConditions();
    log.clear();
    ProbeLog::Clear();
    recorders[0]->action = [](Recorder&, const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>&)
    { ProbeLog::Lines().push_back("first notification"); };
    a->SetEnabled(false);
    ASSERT_GE(ProbeLog::Lines().size(), 2u);
    EXPECT_EQ(ProbeLog::Lines()[0], "panel:SetFocus(true)");
}

TEST_F(ControlConditions, APressThatBecomesADragReportsTheLeftDragTwice)
{
    Listen(a, "a");
    a->GetConditionFlags().leftDown = true;
    a->UpdateConditions();
    a->GetConditionFlags().leftDrag = true;
    a->UpdateConditions();
    EXPECT_EQ(log, (std::vector<std::string>{"a:NID_CONDITION_CHANGE", "a:NID_LEFT_DRAG_CONDITION_CHANGE",
                                             "a:NID_CONDITION_CHANGE", "a:NID_LEFT_DRAG_CONDITION_CHANGE"}));
}

TEST_F(ControlConditions, HidingAControlWithoutWidthSendsNothing)
{
    SetBounds(*b, 10, 0, 0, 10);
    Listen(b, "b");
    EXPECT_FALSE(b->SetVisible(false));
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(b->GetLayoutDescriptor()->IsVisible);
}

TEST_F(ControlConditions, HidingTheHoveredControlRefreshesTheHoverAndItsCursor)
{
    a->SetCursor(7);
    a->GetConditionFlags().pointerOver = true;
    a->UpdateConditions();
    EXPECT_EQ(harness.Window()->cursor, 7);
    Listen(a, "a");
    a->SetVisible(false);
    EXPECT_EQ(log, (std::vector<std::string>{"a:NID_CONDITION_CHANGE", "a:NID_VISIBLITY_CONDITION_CHANGE"}));
    EXPECT_EQ(harness.Window()->hoverUpdates, 1);
    // The cursor before was none, which the window shows as the application's arrow (1).
    a->GetConditionFlags().pointerOver = false;
    a->UpdateConditions();
    EXPECT_EQ(harness.Window()->cursor, 1);
    EXPECT_EQ(a->ApplyCursor(), 1);
    EXPECT_EQ(harness.Window()->cursor, 7);
}

TEST_F(ControlConditions, ACursorSetUnderThePointerShowsAtOnceAndLeavingGivesBackTheOneItReplaced)
{
    harness.Window()->SetCursor(4);
    a->GetConditionFlags().pointerOver = true;
    a->UpdateConditions();
    EXPECT_EQ(harness.Window()->cursor, 4) << "a control without a cursor leaves the window's";

    a->SetCursor(7);
    EXPECT_EQ(harness.Window()->cursor, 7);
    a->SetCursor(6);
    EXPECT_EQ(harness.Window()->cursor, 6);
    b->SetCursor(5);
    EXPECT_EQ(harness.Window()->cursor, 6) << "the pointer is not over b";

    a->GetConditionFlags().pointerOver = false;
    a->UpdateConditions();
    EXPECT_EQ(harness.Window()->cursor, 4) << "the cursor before the first one comes back";
}

} // namespace
} // namespace QK
