// The tab control through a real root window: the first tab at creation, clicks that select,
// are refused, redirected or repeated, a re-skin, the page taking
// the focus when the control shows, and holders that are empty, short of pages or missing.
#include "QKFramework/Controls/TabControl.h"

#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/Panel.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

#include "tests/support/Recorder.h"
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

// "tabs" at (10, 10): buttons "a", "b", "c" 50 x 20 every 60 px on its first row, pages "pa",
// "pb", "pc" below. "few" has three buttons and one page;
// "empty" no buttons; "bare" no holders.
const char* const kTree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="flat"/>
    <SubControl Class="Framework.TabControl" Name="tabs" XPositionAbs="10" YPositionAbs="10" XSizeAbs="300" YSizeAbs="70"><Skin Name="t" LookList="flat"/><SubControl Class="Framework.Panel" Name="buttonHolder" XSizeAbs="300" YSizeAbs="20"><Skin Name="bh" LookList="flat"/><SubControl Class="Framework.Button" Name="a" XPositionAbs="0" XSizeAbs="50" YSizeAbs="20"><Skin Name="m" LookList="flat"/></SubControl><SubControl Class="Framework.Button" Name="b" XPositionAbs="60" XSizeAbs="50" YSizeAbs="20"><Skin Name="m" LookList="flat"/></SubControl><SubControl Class="Framework.Button" Name="c" XPositionAbs="120" XSizeAbs="50" YSizeAbs="20"><Skin Name="m" LookList="flat"/></SubControl></SubControl><SubControl Class="Framework.Panel" Name="pageHolder" YPositionAbs="30" XSizeAbs="300" YSizeAbs="40"><Skin Name="ph" LookList="flat"/><SubControl Class="Test.Probe" Name="pa" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="p" LookList="flat"/></SubControl><SubControl Class="Test.Probe" Name="pb" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="p" LookList="flat"/></SubControl><SubControl Class="Test.Probe" Name="pc" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="p" LookList="flat"/></SubControl></SubControl></SubControl>
    <SubControl Class="Framework.TabControl" Name="few" XPositionAbs="10" YPositionAbs="180" XSizeAbs="300" YSizeAbs="70"><Skin Name="t" LookList="flat"/><SubControl Class="Framework.Panel" Name="buttonHolder" XSizeAbs="300" YSizeAbs="20"><Skin Name="bh" LookList="flat"/><SubControl Class="Framework.Button" Name="a" XPositionAbs="0" XSizeAbs="50" YSizeAbs="20"><Skin Name="m" LookList="flat"/></SubControl><SubControl Class="Framework.Button" Name="b" XPositionAbs="60" XSizeAbs="50" YSizeAbs="20"><Skin Name="m" LookList="flat"/></SubControl><SubControl Class="Framework.Button" Name="c" XPositionAbs="120" XSizeAbs="50" YSizeAbs="20"><Skin Name="m" LookList="flat"/></SubControl></SubControl><SubControl Class="Framework.Panel" Name="pageHolder" YPositionAbs="30" XSizeAbs="300" YSizeAbs="40"><Skin Name="ph" LookList="flat"/><SubControl Class="Test.Probe" Name="pa" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="p" LookList="flat"/></SubControl></SubControl></SubControl>
    <SubControl Class="Test.Probe" Name="elsewhere" XPositionAbs="320" YPositionAbs="10" XSizeAbs="20" YSizeAbs="20"><Skin Name="e" LookList="flat"/></SubControl>
  </SubControl>
  <SubControl Class="Test.Probe" Name="other" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="flat"/>
    <SubControl Class="Framework.TabControl" Name="empty" XPositionAbs="10" YPositionAbs="10" XSizeAbs="300" YSizeAbs="70"><Skin Name="t" LookList="flat"/><SubControl Class="Framework.Panel" Name="buttonHolder" XSizeAbs="300" YSizeAbs="20"><Skin Name="bh" LookList="flat"/></SubControl><SubControl Class="Framework.Panel" Name="pageHolder" YPositionAbs="30" XSizeAbs="300" YSizeAbs="40"><Skin Name="ph" LookList="flat"/><SubControl Class="Test.Probe" Name="p" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="p" LookList="flat"/></SubControl></SubControl></SubControl>
    <SubControl Class="Framework.TabControl" Name="bare" XPositionAbs="10" YPositionAbs="100" XSizeAbs="300" YSizeAbs="70"><Skin Name="t" LookList="flat"/></SubControl>
  </SubControl>
</Skin>)";

class TabControlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.Factory().RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.Panel"), &LPanel::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.TabControl"), &LTabControl::Create);
        ASSERT_TRUE(harness.SetRoot(u"top"));
        tabs = dynamic_cast<LTabControl*>(harness.Find("tabs").Get());
        ASSERT_NE(tabs, nullptr);
        const ConstRCPtr<LNotificationDistributor> source(tabs);
        for (const char16_t* nid :
             {u"NID_TAB_BUTTON_CLICKED", u"NID_TAB_BECOMING_UNSELECTED", u"NID_TAB_SELECTED"})
            listener->Subscribe(source, nid);
    }
    void TearDown() override
    {
        listener->UnsubscribeAll();
        LNotificationCenterManager::ReleaseInstance();
    }

    void Click(char tab)
    {
        const PointL at{10 + 60 * (tab - 'a') + 25, 20};
        script.Move(at).Press(1, at).Release(1, at);
    }
    LControl* Page(const char* name) const
    {
        return harness.Find(std::string("tabs/pageHolder/") + name).Get();
    }
    std::string Shown() const
    {
        std::string shown;
        for (const char* name : {"pa", "pb", "pc"})
            if (Page(name)->IsVisible(false))
                shown += name;
        return shown;
    }
    std::vector<std::string> Take()
    {
        std::vector<std::string> taken;
        taken.swap(log);
        return taken;
    }
    // A listener that sets the target of the next change notice: back to the current tab, or
    // to target.
    void SetTargetOnce(std::int32_t target, bool toCurrent)
    {
        listener->actOnce = false;
        listener->action = [this, target, toCurrent](Recorder&, const ConstRCPtr<LNotificationDistributor>&,
                                                     const ConstRCPtr<LNotification>& notification)
        {
            auto* change = dynamic_cast<LTabBecomingUnselectedParams*>(
                const_cast<LRefCountedObject*>(notification->GetArgument().Get()));
            if (!change || !armed)
                return;
            armed = false;
            change->TargetIndex = toCurrent ? change->CurrentIndex : target;
        };
        armed = true;
    }

    WindowHarness harness{kTree, std::string(), UniformLooks("flat")};
    EventScript script{harness};
    LTabControl* tabs = nullptr;
    std::vector<std::string> log;
    RCPtr<Recorder> listener = Recorder::Create("tabs", log);
    bool armed = false;
};

TEST_F(TabControlTest, TheFirstTabIsSelectedAtCreationAndTabsAreFoundByName)
{
    EXPECT_TRUE(tabs->GetSelectedTabName().IsEqual(u"a"));
    EXPECT_EQ(Shown(), "pa");
    EXPECT_EQ(tabs->GetTabCount(), 3);
    EXPECT_EQ(tabs->FindTab(WString(u"c")), 2);
    EXPECT_EQ(tabs->FindTab(WString(u"zz")), -1);
    EXPECT_EQ(tabs->GetPageFor(WString(u"b")).Get(), Page("pb"));
    EXPECT_EQ(tabs->GetTabButtonFor(WString(u"c")).Get(), harness.Find("tabs/buttonHolder/c").Get());
    for (std::int32_t outside : {-1, 3, 1000})
    {
        EXPECT_FALSE(tabs->GetPage(outside)) << outside;
        EXPECT_FALSE(tabs->GetTabButton(outside)) << outside;
        EXPECT_EQ(tabs->SelectTabAt(outside), QK_E_FAIL) << outside;
    }

    // A name without a button hides every page and still becomes the selected name.
    EXPECT_EQ(tabs->SelectTab(WString(u"zz")), QK_OK);
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(tabs->GetSelectedIndex(), -1);
    EXPECT_FALSE(tabs->GetSelectedPage());
    EXPECT_EQ(Take(),
              (std::vector<std::string>{"tabs:NID_TAB_BECOMING_UNSELECTED", "tabs:NID_TAB_SELECTED"}));
    // Leaving no selected tab sends no change notice.
    EXPECT_EQ(tabs->SelectTabAt(1), QK_OK);
    EXPECT_EQ(Shown(), "pb");
    EXPECT_EQ(Take(), (std::vector<std::string>{"tabs:NID_TAB_SELECTED"}));
}

TEST_F(TabControlTest, ClicksSelectAndListenersMayRefuseOrRedirect)
{
    struct Case
    {
        const char* what;
        char click;
        int listener; // 0 none, 1 refuses, 2 redirects to "c"
        std::vector<std::string> notices;
        const char* shown;
    };
    const std::string clicked = "tabs:NID_TAB_BUTTON_CLICKED";
    const std::string leaving = "tabs:NID_TAB_BECOMING_UNSELECTED";
    const std::string selected = "tabs:NID_TAB_SELECTED";
    const Case cases[] = {
        {"re-click", 'a', 0, {clicked, selected}, "pa"},
        {"plain", 'b', 0, {clicked, leaving, selected}, "pb"},
        {"refused", 'b', 1, {clicked, leaving, selected}, "pa"},
        {"redirected", 'b', 2, {clicked, leaving, leaving, selected}, "pc"},
    };
    for (const Case& c : cases)
    {
        tabs->SelectTab(WString(u"a"));
        for (const char* name : {"a", "b", "c"})
            harness.Find(std::string("tabs/buttonHolder/") + name)->SetValue(0.0);
        harness.Find("elsewhere")->SetFocus(true);
        Take();
        if (c.listener)
            SetTargetOnce(2, c.listener == 1);
        Click(c.click);
        listener->action = nullptr;
        EXPECT_EQ(Take(), c.notices) << c.what;
        EXPECT_EQ(Shown(), c.shown) << c.what;
        const std::string current(1, static_cast<char>('a' + tabs->GetSelectedIndex()));
        EXPECT_EQ("p" + current, c.shown) << c.what;
        EXPECT_TRUE(tabs->GetSelectedPage()->HasFocus()) << c.what;
        if (c.listener)
        {
            EXPECT_EQ(harness.Find("tabs/buttonHolder/" + current)->GetValue(), 1.0)
                << c.what << ": the current tab's button is set again";
        }
    }
}

TEST_F(TabControlTest, AReskinKeepsTheTabAndShowingGivesItsPageTheFocus)
{
    tabs->SelectTab(WString(u"c"));
    Take();
    ASSERT_EQ(tabs->CreateFromDescriptor(tabs->GetControlDescriptor().Get()), QK_OK);
    EXPECT_TRUE(tabs->GetSelectedTabName().IsEqual(u"c"));
    EXPECT_EQ(Shown(), "pc");
    EXPECT_EQ(Take(), (std::vector<std::string>{"tabs:NID_TAB_SELECTED"}));

    tabs->SetVisible(false);
    harness.Find("elsewhere")->SetFocus(true);
    tabs->SetVisible(true);
    EXPECT_TRUE(Page("pc")->HasFocus());
}

TEST_F(TabControlTest, EmptyShortOrMissingHoldersAreSkipped)
{
    // Fewer pages than buttons: the last tabs have none.
    auto* few = dynamic_cast<LTabControl*>(harness.Find("few").Get());
    ASSERT_NE(few, nullptr);
    EXPECT_FALSE(few->GetPage(2));
    EXPECT_EQ(few->SelectTab(WString(u"c")), QK_OK);
    EXPECT_FALSE(harness.Find("few/pageHolder/pa")->IsVisible(false));
    EXPECT_FALSE(few->GetSelectedPage());

    ASSERT_TRUE(harness.SetRoot(u"other"));
    auto* empty = dynamic_cast<LTabControl*>(harness.Find("empty").Get());
    auto* bare = dynamic_cast<LTabControl*>(harness.Find("bare").Get());
    ASSERT_TRUE(empty && bare);
    EXPECT_TRUE(empty->IsCreated());
    EXPECT_EQ(empty->GetTabCount(), 0);
    EXPECT_TRUE(empty->GetSelectedTabName().IsEmpty()) << "nothing could be selected";
    EXPECT_EQ(empty->Initialize(), QK_E_FAIL);
    EXPECT_EQ(bare->GetTabCount(), 0);
    EXPECT_EQ(bare->FindTab(WString(u"a")), -1);
    EXPECT_EQ(bare->SelectTab(WString(u"a")), QK_E_FAIL);
    EXPECT_EQ(bare->Initialize(), QK_E_FAIL);
}

} // namespace
} // namespace QK
