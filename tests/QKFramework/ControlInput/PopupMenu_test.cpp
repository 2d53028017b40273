// The popup menu through a real root window: the hover delay that opens and closes a nested
// popup, where a nested popup goes at the window's edges, the keys, one command per
// activation, hot-key labels, and the context menu of a skin that has none.
#include "QKFramework/Controls/PopupMenu.h"

#include "QKFramework/ControlBase/Input/GlobalHotKeyManager.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/Label.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Utilities/Storage/VariantEx.h"

#include "tests/support/Recorder.h"
#include "tests/support/UI/EventScript.h"
#include "tests/support/UI/MenuFixtures.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

std::string Tree(bool withContextMenu)
{
    return R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="plain"/>
    <SubControl Class="Test.Probe" Name="target" XPositionAbs="0" YPositionAbs="0" XSizeAbs="40" YSizeAbs="20" TabStop="1"><Skin Name="t" LookList="plain"/></SubControl>
    )" + PopupMenuXml("menu") +
           R"(
  </SubControl>)" +
           (withContextMenu ? "\n  " + PopupMenuXml("contextMenu") : std::string()) + "\n</Skin>";
}

const char* const kStrings = R"(
  <StringTable ID="Test.Probe|top">
    <String ID="CONTEXT_MENU.0.NID_PROBE_ONE"><Locale LCID="0x0009">One</Locale></String>
  </StringTable>)";

// Open, Save, a separator, Send (a submenu of `subItems` slots), Quit.
RCPtr<LMenuDescriptor> FileMenu(std::uint32_t subItems = 3)
{
    RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    menu->InsertItem(0, WString(u"Open"), WString(u"NID_MENU_FILE_LOAD_PRESET_FROM_FILE"), true, false);
    menu->InsertItem(1, WString(u"Save"), WString(u"NID_MENU_FILE_SAVE_PRESET_TO_FILE"), true, true);
    menu->InsertSeparator(2);
    RCPtr<LMenuItemDescriptor> send = LMenuItemDescriptor::Create(WString(u"Send"), WString(), true, false);
    for (std::uint32_t i = 0; i < subItems; ++i)
    {
        WString label(u"Slot ");
        label.AppendChar(static_cast<char16_t>(u'0' + i % 10));
        send->InsertItem(i, label, WString(u"NID_MENU_FILE_SEND_PRESET0_TO_DEVICE"), true, false);
    }
    menu->InsertAt(3, send);
    menu->InsertItem(4, WString(u"Quit"), WString(u"NID_APP_EXIT_REQ"), true, false);
    return menu;
}

class PopupMenuTest : public ::testing::Test
{
protected:
    explicit PopupMenuTest(bool withContextMenu = false) : harness(Tree(withContextMenu), kStrings, MenuLooks()) {}
    void SetUp() override
    {
        RegisterMenuClasses(harness.Factory());
        ASSERT_TRUE(harness.SetRoot(u"top"));
        // The application's "GHK_WIN" binding of the save command.
        harness.App().hotKeys->AddBinding(KeyCode::Parse(WString(u"Ctrl+VKEY_S")),
                                          WString(u"NID_MENU_FILE_SAVE_PRESET_TO_FILE"));
    }
    void TearDown() override
    {
        for (const RCPtr<Recorder>& recorder : recorders)
            recorder->UnsubscribeAll();
        LNotificationCenterManager::ReleaseInstance();
    }
    LPopupMenu& Menu() { return dynamic_cast<LPopupMenu&>(*harness.Find("menu")); }
    // The menu, filled, shown at (x, y) of the window, holding the focus, commands to `commands`.
    LPopupMenu& Show(double x, double y, std::uint32_t subItems = 3)
    {
        LPopupMenu& menu = Menu();
        EXPECT_EQ(menu.SetCommandTarget(commands), QK_OK);
        EXPECT_EQ(menu.SetMenuDescriptor(FileMenu(subItems).Get()), QK_OK);
        menu.PopUp();
        SetBounds(menu, x, y, menu.GetWidth(), menu.GetHeight());
        return menu;
    }
    RCPtr<Recorder> Listen(LControl& control, const char16_t* nid)
    {
        const RCPtr<Recorder> recorder = Recorder::Create(Narrow(control.GetName()), log);
        recorder->Subscribe(ConstRCPtr<LNotificationDistributor>(&control), nid);
        recorders.push_back(recorder);
        return recorder;
    }

    WindowHarness harness;
    EventScript script{harness};
    std::vector<std::string> log;
    std::vector<RCPtr<Recorder>> recorders;
    RCPtr<Recorder> commands = Recorder::Create("target", log);
};

TEST_F(PopupMenuTest, HotKeyLabelsAndSeparators)
{
    LPopupMenu& menu = Show(10, 10);
    const ConstRCPtr<LMenuDescriptor> items = menu.GetMenuDescriptor();
    EXPECT_EQ(Narrow(items->GetItem(1)->SecondText), "Ctrl+S") << "bound by GHK_WIN";
    EXPECT_EQ(Narrow(items->GetItem(0)->SecondText), "") << "unbound";
    const RCPtr<LControl> saveRow = menu.GetRowControl(1);
    ASSERT_TRUE(saveRow);
    EXPECT_EQ(Narrow(saveRow->FindChild(WString(u"hotKeyLabel"))->GetText()), "Ctrl+S");
    // The separator row keeps its own height in the content height and is never selected.
    EXPECT_EQ(menu.GetContentHeight(), 4u * 20u + static_cast<std::uint32_t>(menu.GetSeparatorHeight()));
    EXPECT_FALSE(menu.CanSelectItem(2));
    const RCPtr<LButton> box = menu.GetCheckedItem(1)->GetCheckBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->GetCurrentLookIndex(), LPopupMenu::kCheckLookChecked) << "Save is checked";
    EXPECT_EQ(menu.GetCheckedItem(0)->GetCheckBox()->GetCurrentLookIndex(), LPopupMenu::kCheckLookUnchecked);
    // Only the row that opens a submenu takes the alternate looks that mark it.
    for (std::uint32_t i = 0; i < menu.GetItemCount(); ++i)
        EXPECT_EQ(menu.GetItemAlternate(i), i == 3) << "item " << i;
    EXPECT_EQ(menu.GetRowControl(3)->GetCurrentLookIndex(), 3);

    script.Key(0x28).Key(0x28);
    EXPECT_EQ(menu.GetCaret(), 1);
    script.Key(0x28);
    EXPECT_EQ(menu.GetCaret(), 3) << "Down skips the separator";
    script.Key(0x26);
    EXPECT_EQ(menu.GetCaret(), 1) << "and so does Up";
}

TEST_F(PopupMenuTest, HoverOpensAndClosesTheSubmenuAfterMoreThan250Ms)
{
    LPopupMenu& menu = Show(10, 10);
    const PointL send{30, 10 + 3 * 20 + 5};
    script.Move(send);
    ASSERT_EQ(menu.GetCaret(), 3);
    EXPECT_TRUE(menu.IsHoverPending());
    script.Tick(250);
    EXPECT_FALSE(menu.GetOpenSubmenu()) << "250 ms is not yet more than 250";
    script.Tick(1);
    const RCPtr<LPopupMenu> submenu = menu.GetOpenSubmenu();
    ASSERT_TRUE(submenu);
    EXPECT_EQ(Narrow(submenu->GetName()), "submenu");
    EXPECT_TRUE(submenu->IsVisible(false));
    EXPECT_EQ(submenu->GetItemCount(), 3u);

    // A plain item starts the close; going back to the open item cancels it.
    script.Move({30, 15});
    EXPECT_TRUE(menu.IsHoverPending());
    script.Tick(200).Move(send).Tick(100);
    EXPECT_FALSE(menu.IsHoverPending());
    EXPECT_EQ(menu.GetOpenSubmenu(), submenu);
    script.Move({30, 15}).Tick(251);
    EXPECT_FALSE(menu.GetOpenSubmenu());
}

struct PlacementCase
{
    const char* name;
    double menuX, menuY;
    std::uint32_t subItems;
    bool left;
    double y;
};

class NestedPlacementTest : public PopupMenuTest, public ::testing::WithParamInterface<PlacementCase>
{
};

TEST_P(NestedPlacementTest, StaysInsideTheWindow)
{
    const PlacementCase& c = GetParam();
    LPopupMenu& menu = Show(c.menuX, c.menuY, c.subItems);
    ASSERT_EQ(menu.OpenSubmenu(3), QK_OK);
    const RCPtr<LPopupMenu> submenu = menu.GetOpenSubmenu();
    ASSERT_TRUE(submenu);
    const RectD row = menu.GetItemRect(3);
    const RectD placed = submenu->GetBounds();
    EXPECT_EQ(placed.x, c.left ? -placed.width : row.x + row.width) << c.name;
    EXPECT_EQ(placed.y, c.y < -1000 ? row.y : c.y) << c.name;
}

// The window is 400 x 300; rows are 20 high, the separator 20, so "Send" starts at 60.
INSTANTIATE_TEST_SUITE_P(Edges, NestedPlacementTest,
                         ::testing::Values(PlacementCase{"room to the right", 10, 10, 3, false, -10000},
                                           PlacementCase{"right edge", 200, 10, 3, true, -10000},
                                           PlacementCase{"bottom edge", 10, 200, 4, false, 300 - 200 - 80},
                                           PlacementCase{"taller than the window", 10, 50, 16, false, 0}),
                         [](const auto& info)
                         {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (ch == ' ')
                                     ch = '_';
                             return name;
                         });

TEST_F(PopupMenuTest, LeftRightAndEscape)
{
    LPopupMenu& menu = Show(10, 10);
    script.Key(0x28).Key(0x28).Key(0x28);
    ASSERT_EQ(menu.GetCaret(), 3);
    script.Key(0x27);
    const RCPtr<LPopupMenu> submenu = menu.GetOpenSubmenu();
    ASSERT_TRUE(submenu) << "Right opens";
    EXPECT_EQ(submenu->GetCaret(), 0) << "on its first usable row";
    EXPECT_TRUE(submenu->HasFocus());
    script.Key(0x25, 8);
    EXPECT_TRUE(menu.GetOpenSubmenu()) << "Shift+Left is another key";
    script.Key(0x25);
    EXPECT_FALSE(menu.GetOpenSubmenu()) << "Left closes only the submenu";
    EXPECT_TRUE(menu.IsVisible(false));
    EXPECT_TRUE(menu.HasFocus());

    script.Key(0x27);
    ASSERT_TRUE(menu.GetOpenSubmenu());
    const RCPtr<LControl> held(&menu);
    script.Key(0x1B);
    EXPECT_FALSE(menu.GetOpenSubmenu());
    EXPECT_FALSE(menu.IsVisible(false)) << "Escape closes the whole chain";
    EXPECT_FALSE(harness.Root()->GetRootControl()->FindChild(WString(u"menu")) && menu.GetParent() &&
                 menu.GetParent()->GetPendingRemovalCount() == 0);
}

TEST_F(PopupMenuTest, OneActivationSendsOneOfEachAndClosesTheChain)
{
    LPopupMenu& menu = Show(10, 10);
    const RCPtr<LControl> held(&menu);
    // Both notifications carry the menu and the chosen item's index.
    std::vector<std::string> chosen;
    const auto record = [&](Recorder&, const ConstRCPtr<LNotificationDistributor>&,
                            const ConstRCPtr<LNotification>& notification)
    {
        if (const auto* param = dynamic_cast<const LMenuActivationParam*>(notification->GetArgument().Get()))
            chosen.push_back(std::to_string(param->ItemIndex) + " " + Narrow(param->Menu->GetItem(param->ItemIndex)->Label));
        else
            chosen.push_back("no argument");
    };
    Listen(menu, u"NID_ITEM_ACTIVATED")->action = record;
    commands->action = record;
    script.Key(0x28).Key(0x28).Key(0x0D);
    EXPECT_EQ(log, (std::vector<std::string>{"menu:NID_ITEM_ACTIVATED", "target:NID_MENU_FILE_SAVE_PRESET_TO_FILE"}));
    EXPECT_EQ(chosen, (std::vector<std::string>{"1 Save", "1 Save"}));
    EXPECT_FALSE(menu.IsVisible(false)) << "the chain closed";
}

TEST_F(PopupMenuTest, AnActivationWithoutACurrentItemSaysNoneAndSendsNoCommand)
{
    LPopupMenu& menu = Show(10, 10);
    const RCPtr<LControl> held(&menu);
    std::vector<std::int32_t> indices;
    Listen(menu, u"NID_ITEM_ACTIVATED")->action = [&](Recorder&, const ConstRCPtr<LNotificationDistributor>&,
                                                      const ConstRCPtr<LNotification>& notification)
    {
        if (const auto* param = dynamic_cast<const LMenuActivationParam*>(notification->GetArgument().Get()))
            indices.push_back(param->ItemIndex);
    };
    menu.ActivateItem();
    EXPECT_EQ(indices, std::vector<std::int32_t>{-1});
    EXPECT_EQ(log, std::vector<std::string>{"menu:NID_ITEM_ACTIVATED"});
}

TEST_F(PopupMenuTest, TheFocusGivenAgainToAnOpenMenuEndsItsChainButMovesWithinItDoNot)
{
    LPopupMenu& menu = Show(10, 10);
    const RCPtr<LControl> held(&menu);
    ASSERT_TRUE(menu.HasFocus());
    script.Key(0x28).Key(0x28).Key(0x28).Key(0x27).Key(0x25);
    EXPECT_TRUE(menu.IsVisible(false)) << "the focus going into a submenu and back keeps the chain";
    EXPECT_TRUE(menu.HasFocus());
    // The owner takes the focus back: it lands on the branch that holds it, the open menu.
    harness.Root()->GetRootControl()->SetFocus(true);
    EXPECT_FALSE(menu.IsVisible(false)) << "the chain closed";
}

TEST_F(PopupMenuTest, TheMenuSizesToItsWidestRowAndItsRows)
{
    LPopupMenu& menu = Show(10, 10);
    std::int32_t widest = 0;
    for (std::uint32_t i = 0; i < menu.GetItemCount(); ++i)
        widest = std::max(widest, menu.UpdateHotKeyLabel(i));
    EXPECT_GT(menu.UpdateHotKeyLabel(1), menu.UpdateHotKeyLabel(0)) << "Save's row holds its hot key too";
    EXPECT_EQ(menu.GetWidth(), std::max(100.0, static_cast<double>(widest))) << "at least the skin's width";
    EXPECT_EQ(menu.GetHeight(), 4.0 * 20.0 + menu.GetSeparatorHeight());

    RCPtr<LMenuDescriptor> one = LMenuDescriptor::Create();
    one->InsertItem(0, WString(u"A much longer label than any other"), WString(u"NID_PROBE_ONE"), true, false);
    ASSERT_EQ(menu.SetMenuDescriptor(one.Get()), QK_OK);
    EXPECT_EQ(menu.GetHeight(), 20.0) << "one row";
    EXPECT_EQ(menu.GetWidth(), std::max(100.0, static_cast<double>(menu.UpdateHotKeyLabel(0))));
    EXPECT_GT(menu.GetWidth(), static_cast<double>(widest)) << "the longer label widens the menu";
}

TEST_F(PopupMenuTest, AHoveredRowSendsItsStatusTextAndLeavingItAsksForTheBarsOwn)
{
    RCPtr<LMenuDescriptor> described = FileMenu();
    described->GetItem(0)->ToolTip = WString(u"Open a favorite from disk.");
    LPopupMenu& menu = Menu();
    ASSERT_EQ(menu.SetCommandTarget(commands), QK_OK);
    ASSERT_EQ(menu.SetMenuDescriptor(described.Get()), QK_OK);
    menu.PopUp();
    SetBounds(menu, 10, 10, menu.GetWidth(), menu.GetHeight());
    std::vector<std::string> texts;
    const RCPtr<LNotificationCenter> centre = GetDefaultNotificationCenter();
    const RCPtr<Recorder> statusBar = Recorder::Create("status", log);
    recorders.push_back(statusBar);
    statusBar->actOnce = false;
    statusBar->action = [&](Recorder&, const ConstRCPtr<LNotificationDistributor>&,
                            const ConstRCPtr<LNotification>& notification)
    {
        const auto* text = dynamic_cast<const WString*>(notification->GetArgument().Get());
        texts.push_back(text ? Narrow(*text) : std::string("restore"));
    };
    for (const char16_t* nid : {u"NID_MENU_STATUS_TEXT", u"NID_MENU_STATUS_TEXT_RESTORE"})
        statusBar->Subscribe(ConstRCPtr<LNotificationDistributor>(centre.Get()), nid);
    script.Move({30, 20});   // Open, with its text
    script.Move({30, 40});   // Save, without one: the bar's own text
    script.Move({300, 250}); // off the menu
    EXPECT_EQ(texts, (std::vector<std::string>{"Open a favorite from disk.", "restore", "restore"}));
}

class ContextMenuTest : public PopupMenuTest
{
protected:
    ContextMenuTest() : PopupMenuTest(true) {}
};

TEST_F(ContextMenuTest, ARightClickShowsTheSkinsPopupAndChoosingSendsToTheTarget)
{
    LControl& target = *harness.Find("target");
    target.SetContextMenu(FileMenu());
    script.Move({10, 10}).Press(4, {10, 10}).Release(4, {10, 10});
    const RCPtr<LPopupMenu> popup(dynamic_cast<LPopupMenu*>(target.FindChild(WString(u"contextMenu")).Get()));
    ASSERT_TRUE(popup);
    EXPECT_TRUE(popup->IsVisible(false));
    EXPECT_TRUE(popup->HasFocus());
    EXPECT_EQ(popup->GetItemCount(), 5u);
}

TEST_F(PopupMenuTest, ARightClickWithoutContextMenuInTheSkinShowsNothing)
{
    LControl& target = *harness.Find("target");
    target.SetContextMenu(FileMenu());
    script.Move({10, 10}).Press(4, {10, 10}).Release(4, {10, 10});
    EXPECT_FALSE(target.FindChild(WString(u"contextMenu")));
    EXPECT_EQ(target.GetChildren().GetCount(), 0u);
}

} // namespace
} // namespace QK
