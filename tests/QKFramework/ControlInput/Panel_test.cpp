// The panel through a real root window: Tab and Shift+Tab in and out of a nested panel, the
// top panel wrapping, Ctrl+Tab passing straight up, a panel with nothing to focus, the
// path a key collects, and sibling keys relayed to a panel's key-bound children.
#include "QKFramework/Controls/Panel.h"

#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/Controls/Button.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

#include "tests/support/UI/EventScript.h"
#include "tests/support/UI/ControlTestTools.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

const char* const kTree = R"(<Skin Name="s">
  <SubControl Class="Framework.Panel" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="flat"/>
    <SubControl Class="Framework.Button" Name="b1" XPositionAbs="0" YPositionAbs="0" XSizeAbs="40" YSizeAbs="20" TabStop="1"><Skin Name="k1" LookList="flat"/></SubControl>
    <SubControl Class="Framework.Panel" Name="inner" XPositionAbs="0" YPositionAbs="30" XSizeAbs="200" YSizeAbs="60" TabStop="2"><Skin Name="k2" LookList="flat"/>
      <SubControl Class="Framework.Button" Name="i2" XPositionAbs="50" YPositionAbs="0" XSizeAbs="40" YSizeAbs="20" TabStop="2"><Skin Name="k3" LookList="flat"/></SubControl>
      <SubControl Class="Framework.Button" Name="i1" XPositionAbs="0" YPositionAbs="0" XSizeAbs="40" YSizeAbs="20" TabStop="1"><Skin Name="k4" LookList="flat"/></SubControl>
      <SubControl Class="Test.Probe" Name="hot" XPositionAbs="100" YPositionAbs="0" XSizeAbs="10" YSizeAbs="10" TabStop="-1"/>
    </SubControl>
    <SubControl Class="Framework.Button" Name="b3" XPositionAbs="0" YPositionAbs="100" XSizeAbs="40" YSizeAbs="20" TabStop="3"><Skin Name="k5" LookList="flat"/></SubControl>
    <SubControl Class="Framework.Panel" Name="dead" XPositionAbs="0" YPositionAbs="150" XSizeAbs="200" YSizeAbs="60" TabStop="4">
      <CreateParamList><CreateParam ID="NOT_FOCUSABLE">true</CreateParam></CreateParamList>
      <SubControl Class="Framework.Button" Name="d1" XPositionAbs="0" YPositionAbs="0" XSizeAbs="40" YSizeAbs="20" TabStop="1"><Skin Name="k6" LookList="flat"/></SubControl>
      <SubControl Class="Framework.Button" Name="d2" XPositionAbs="50" YPositionAbs="0" XSizeAbs="40" YSizeAbs="20" TabStop="2"><Skin Name="k7" LookList="flat"/></SubControl>
    </SubControl>
  </SubControl>
</Skin>)";

const char* const kStrings = R"(
  <StringTable ID="Framework.Panel|hot">
    <String ID="LHK.NID_HOT"><Locale LCID="0x0009">Ctrl+VKEY_H</Locale></String>
  </StringTable>)";

const char* const kLooks = R"(
  <Colorizers><Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/></Colorizers>
  <Parts><Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/></Parts>
  <Looks><Look Name="grey"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look></Looks>
  <LookLists><LookList Name="flat" NumLooks="14"><Look Name="grey" Index="0"/></LookList></LookLists>)";

constexpr std::uint32_t kTab = 9;
constexpr std::uint32_t kCtrl = 1;
constexpr std::uint32_t kShift = 8;

class PanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.Factory().RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.Panel"), &LPanel::Create);
        ASSERT_TRUE(harness.SetRoot(u"top"));
        harness.Find("dead/d1")->SetEnabled(false);
        harness.Find("dead/d2")->SetVisible(false);
    }
    void TearDown() override
    {
        counter->Stop();
        LNotificationCenterManager::ReleaseInstance();
    }

    std::string Focused() const
    {
        LControl* focus = harness.Root()->GetFocusedControl();
        return focus ? Narrow(focus->GetName()) : std::string("none");
    }
    static std::vector<std::string> PathOf(const LKeyParam& key)
    {
        std::vector<std::string> names;
        for (std::uint32_t i = 0; i < key.Path.GetCount(); ++i)
            names.push_back(Narrow((*key.Path.GetAt(i))->GetName()));
        return names;
    }

    WindowHarness harness{kTree, kStrings, kLooks};
    EventScript script{harness};
    RCPtr<NotificationCounter> counter{new NotificationCounter};
};

TEST_F(PanelTest, TabLeavesANestedPanelAtItsEndsAndTheTopPanelWraps)
{
    struct Case
    {
        const char* from;
        std::uint32_t modifiers;
        const char* to;
    };
    const Case cases[] = {
        {"b1", 0, "i1"},      {"inner/i1", 0, "i2"},      {"inner/i2", 0, "b3"},      {"b3", 0, "b1"},
        {"b1", kShift, "b3"}, {"b3", kShift, "i2"},       {"inner/i2", kShift, "i1"}, {"inner/i1", kShift, "b1"},
        {"inner/i1", kCtrl, "i1"}, // passed straight up; the top panel has nowhere to send it
    };
    for (const Case& c : cases)
    {
        ASSERT_EQ(harness.Find(c.from)->SetFocus(true), QK_OK) << c.from;
        script.Key(kTab, c.modifiers);
        EXPECT_EQ(Focused(), c.to) << "Tab " << c.modifiers << " from " << c.from;
    }
}

TEST_F(PanelTest, APanelWithNothingToFocusHandsTabToItsParent)
{
    harness.Find("b3")->SetFocus(true);
    const RCPtr<LControl> dead = harness.Find("dead");
    const RCPtr<LKeyParam> key = LKeyParam::Create(KeyCode::FromKeyMessage(kTab, true, false, 0), true);
    key->Path.Add(harness.Find("dead/d1"));
    EXPECT_EQ(dead->FocusNextTabStop(key.Get()), QK_OK);
    EXPECT_EQ(PathOf(*key), (std::vector<std::string>{"d1", "dead"}));
    EXPECT_EQ(Focused(), "b1") << "the top panel went on past the dead one, round to the start";
    EXPECT_FALSE(harness.Find("dead/d1")->HasFocus());
}

TEST_F(PanelTest, CtrlTabCollectsThePanelsItPassesInnermostFirst)
{
    harness.Find("inner/i1")->SetFocus(true);
    const RCPtr<LKeyParam> key = LKeyParam::Create(KeyCode::FromKeyMessage(kTab, true, false, kCtrl), true);
    key->Path.Add(harness.Find("inner/i1"));
    harness.Find("inner")->FocusNextTabStop(key.Get());
    EXPECT_EQ(PathOf(*key), (std::vector<std::string>{"i1", "inner", "top"}));
    EXPECT_EQ(Focused(), "i1");
}

TEST_F(PanelTest, SiblingKeysReachTheKeyBoundChildrenOfSiblingPanels)
{
    const RCPtr<LControl> hot = harness.Find("inner/hot");
    ASSERT_EQ(hot->GetLocalHotKeyCount(), 1u);
    counter->Listen(*hot, u"NID_HOT");
    harness.Find("b1")->SetFocus(true);
    script.Key('H', kCtrl);
    EXPECT_EQ(counter->Count(), 1);
    script.Key('J', kCtrl);
    EXPECT_EQ(counter->Count(), 1);
}

} // namespace
} // namespace QK
