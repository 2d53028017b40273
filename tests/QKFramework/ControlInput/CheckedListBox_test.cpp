// The checked list through a real root window: clicks on the check boxes in both check modes,
// checks set by the owner, rows past the last item and rebinding that never reads back as a
// user's check, icons from look 3, swapping, the record accessors and the argument's text.
#include "QKFramework/Controls/CheckedListBox.h"

#include "QKFramework/Controls/IndexedDataParam.h"
#include "QKFramework/ControlBase/Look.h"
#include "QKFramework/ControlBase/VisualPart.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/ObjectBase/Wrapper.h"
#include "QKFramework/Platform/Render/Cairo/PngWriter.h"

#include "tests/support/Recorder.h"
#include "tests/support/UI/EventScript.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

std::string Template()
{
    return R"(<SubControl Class="Framework.CheckedListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="10"><Skin Name="r" LookList="rows"/>
        <SubControl Class="Framework.Button" Name="checkBox" XSizeAbs="10" YSizeAbs="10"><Skin Name="b" LookList="box"/></SubControl>
      </SubControl>)";
}

// Rows 10 px high with a 10 x 10 check box at their left. "checked" shows five rows at
// (10, 10); "icons" seven rows at (150, 10), with three icons in its look 3.
std::string Tree()
{
    return R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="plain"/>
    <SubControl Class="Framework.CheckedListBox" Name="checked" XPositionAbs="10" YPositionAbs="10" XSizeAbs="100" YSizeAbs="50" TabStop="1"><Skin Name="l" LookList="plain"/>
      )" + Template() + R"(
    </SubControl>
    <SubControl Class="Framework.ListBoxWithIcons" Name="icons" XPositionAbs="150" YPositionAbs="10" XSizeAbs="100" YSizeAbs="70" TabStop="2"><Skin Name="l" LookList="withIcons"/>
      )" + Template() + R"(
    </SubControl>
  </SubControl>
</Skin>)";
}

std::string Looks()
{
    const auto list = [](const char* name, int count) { return UniformLookList(name, count); };
    return R"(
  <Colorizers><Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/></Colorizers>
  <Parts><Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/>
    <Part Name="icon0" Width="4" Height="4" ResizeType="Stretch" ImageFile="icon0.png" ImageLocX="0" ImageLocY="0"/>
    <Part Name="icon1" Width="4" Height="4" ResizeType="Stretch" ImageFile="icon1.png" ImageLocX="0" ImageLocY="0"/>
    <Part Name="icon2" Width="4" Height="4" ResizeType="Stretch" ImageFile="icon2.png" ImageLocX="0" ImageLocY="0"/></Parts>
  <Looks><Look Name="grey"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="icons"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/><NonClientParts>
      <NonClientPart Name="icon0" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
      <NonClientPart Name="icon1" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
      <NonClientPart Name="icon2" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></NonClientParts></Look></Looks>
  <LookLists>)" + list("plain", 1) +
           list("rows", 14) + list("box", 14) + R"(
    <LookList Name="withIcons" NumLooks="4"><Look Name="grey" Index="0"/><Look Name="grey" Index="1"/><Look Name="grey" Index="2"/><Look Name="icons" Index="3"/></LookList>
  </LookLists>)";
}

// Three 4 x 4 icons of one colour each, where the skin's parts look for them.
void WriteIcons(const TempFolder& folder)
{
    const std::uint32_t colours[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(WritePngFile(folder / ("icon" + std::to_string(i) + ".png"),
                                 std::vector<std::uint32_t>(16, colours[i]), 4, 4));
}

class CheckedListBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WriteIcons(harness.Folder());
        LControlFactory& factory = harness.Factory();
        factory.RegisterControlClass(WString(u"Framework.CheckedListBox"), &LCheckedListBox::Create);
        factory.RegisterControlClass(WString(u"Framework.ListBoxWithIcons"), &LCheckedListBox::Create);
        factory.RegisterControlClass(WString(u"Framework.CheckedListBoxItem"), &LCheckedListBoxItem::Create);
        factory.RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
        ASSERT_TRUE(harness.SetRoot(u"top"));
    }
    void TearDown() override
    {
        for (const RCPtr<Recorder>& recorder : recorders)
            recorder->UnsubscribeAll();
        LNotificationCenterManager::ReleaseInstance();
    }
    LCheckedListBox& List(const char* name) { return dynamic_cast<LCheckedListBox&>(*harness.Find(name)); }
    // Appends count items named by their index.
    static void Fill(LListBox& list, int count)
    {
        const int first = static_cast<int>(list.GetItemCount());
        for (int i = first; i < first + count; ++i)
            ASSERT_EQ(list.AddItem(WString(("Item " + std::to_string(i)).c_str())), i);
    }
    static LButton& Box(LCheckedListBox& list, std::uint32_t row)
    {
        return *list.GetCheckedItem(row)->GetCheckBox();
    }
    static std::set<int> Selected(LListBox& list)
    {
        const std::vector<std::int32_t>& indices = list.GetSelectedIndices();
        return std::set<int>(indices.begin(), indices.end());
    }
    // A click on the check box of the list's row.
    void ClickBox(const LCheckedListBox& list, int row)
    {
        const PointL point{static_cast<std::int32_t>(list.GetBounds().x) + 5,
                           static_cast<std::int32_t>(list.GetBounds().y) + 10 * row + 5};
        script.Move(point).Press(1, point).Release(1, point);
    }
    RCPtr<Recorder> Listen(LControl& control, const char16_t* nid)
    {
        const RCPtr<Recorder> recorder = Recorder::Create(Narrow(control.GetName()), log);
        recorder->Subscribe(ConstRCPtr<LNotificationDistributor>(&control), nid);
        recorders.push_back(recorder);
        return recorder;
    }
    RCPtr<Recorder> ListenToChecks(LControl& control)
    {
        Listen(control, u"NID_ITEM_CHECKBOX_CLICKED");
        return Listen(control, u"NID_ITEM_CHECK_CHANGE");
    }

    WindowHarness harness{Tree(), std::string(), Looks()};
    EventScript script{harness};
    std::vector<std::string> log;
    std::vector<RCPtr<Recorder>> recorders;
};

TEST_F(CheckedListBoxTest, ClicksOnTheBoxesInBothCheckModes)
{
    LCheckedListBox& list = List("checked");
    Fill(list, 4);
    list.SetItemChecked(3, true);
    ASSERT_TRUE(list.IsAutoCheck()) << "auto-check is the default";
    ListenToChecks(list);
    Listen(list, u"NID_SELECTION_CHANGE");

    struct Case
    {
        bool autoCheck;
        int row;
        double boxAfter;
        bool checkedAfter;
        int countAfter;
        const char* nid;
        const char* value;
    };
    const Case cases[] = {
        {true, 1, 1.0, true, 2, "checked:NID_ITEM_CHECK_CHANGE", "1.000000"},
        {true, 1, 0.0, false, 1, "checked:NID_ITEM_CHECK_CHANGE", "0.000000"},
        {false, 2, 0.0, false, 1, "checked:NID_ITEM_CHECKBOX_CLICKED", "0.000000"},
        {false, 3, 1.0, true, 1, "checked:NID_ITEM_CHECKBOX_CLICKED", "1.000000"},
        {true, 0, 1.0, true, 2, "checked:NID_ITEM_CHECK_CHANGE", "1.000000"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE("row " + std::to_string(c.row) + (c.autoCheck ? " auto" : " manual"));
        list.SetAutoCheck(c.autoCheck);
        log.clear();
        for (const RCPtr<Recorder>& recorder : recorders)
            recorder->arguments.clear();
        ClickBox(list, c.row);
        EXPECT_EQ(Box(list, static_cast<std::uint32_t>(c.row)).GetValue(), c.boxAfter);
        EXPECT_EQ(list.IsItemChecked(static_cast<std::uint32_t>(c.row)), c.checkedAfter);
        EXPECT_EQ(list.GetCheckedCount(), c.countAfter);
        EXPECT_EQ(Selected(list), std::set<int>{c.row}) << "the row is selected alone";
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), c.nid) << "the check notification comes after the selection's";
        const RCPtr<Recorder>& checks = c.autoCheck ? recorders[1] : recorders[0];
        ASSERT_EQ(checks->arguments.size(), 1u);
        EXPECT_EQ(checks->arguments[0], "LIndexedDataParam: Index = " + std::to_string(c.row) +
                                            ", Data =  Value = " + c.value);
    }
}

TEST_F(CheckedListBoxTest, SwitchingTheCheckModeResubscribesOnlyOnAChange)
{
    LCheckedListBox& list = List("checked");
    Fill(list, 2);
    ListenToChecks(list);
    list.SetAutoCheck(true);
    ClickBox(list, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"checked:NID_ITEM_CHECK_CHANGE"}))
        << "setting the mode in force leaves one subscription per box";
    list.SetAutoCheck(false);
    list.SetAutoCheck(false);
    EXPECT_FALSE(Box(list, 0).IsAutoValueSet());
    log.clear();
    ClickBox(list, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"checked:NID_ITEM_CHECKBOX_CLICKED"}));
    list.SetItemChecked(1, true);
    EXPECT_EQ(Box(list, 1).GetValue(), 1.0) << "the owner decides";
}

TEST_F(CheckedListBoxTest, OwnerChecksSendNothingAndCountOnce)
{
    LCheckedListBox& list = List("checked");
    Fill(list, 3);
    ListenToChecks(list);
    Listen(list, u"NID_SELECTION_CHANGE");
    list.SetItemChecked(1, true);
    list.SetItemChecked(1, true);
    list.SetItemChecked(9, true);
    EXPECT_EQ(list.GetCheckedCount(), 1);
    EXPECT_TRUE(list.IsItemChecked(1));
    EXPECT_FALSE(list.IsItemChecked(9));
    EXPECT_FALSE(list.GetItemIcon(9));
    EXPECT_EQ(Box(list, 1).GetValue(), 1.0);
    EXPECT_TRUE(log.empty());
    list.SetItemChecked(1, false);
    EXPECT_EQ(list.GetCheckedCount(), 0);
    EXPECT_EQ(Box(list, 1).GetValue(), 0.0);
    EXPECT_TRUE(log.empty());
}

TEST_F(CheckedListBoxTest, RowsPastTheEndAndRebindingNeverReadBackAsChecks)
{
    LCheckedListBox& list = List("checked");
    Fill(list, 3);
    ASSERT_EQ(list.GetRowCount(), 5u);
    list.SetItemChecked(0, true);
    list.SetItemChecked(2, true);
    ListenToChecks(list);
    for (std::uint32_t row = 3; row < 5; ++row)
    {
        EXPECT_FALSE(Box(list, row).IsVisible(false)) << "row " << row;
        EXPECT_EQ(Box(list, row).GetValue(), 0.0);
        EXPECT_FALSE(Box(list, row).GetLook(0)->GetOverlayPart());
    }
    EXPECT_TRUE(Box(list, 2).IsVisible(false));
    Box(list, 4).SetValue(1.0);
    EXPECT_EQ(list.GetCheckedCount(), 2) << "a box whose row shows no item is ignored";
    EXPECT_TRUE(log.empty());

    // Rows change what they show in every way a list rebinds them.
    list.RemoveItem(0);
    EXPECT_EQ(list.GetCheckedCount(), 1) << "a removed checked item is no longer counted";
    EXPECT_EQ(Box(list, 0).GetValue(), 0.0);
    EXPECT_EQ(Box(list, 1).GetValue(), 1.0);
    EXPECT_FALSE(Box(list, 2).IsVisible(false));
    list.InsertItem(0, WString(u"New"));
    EXPECT_EQ(Box(list, 2).GetValue(), 1.0);
    list.SetItemHidden(0, true);
    list.SelectItemRange(1, -1, true);
    Fill(list, 8);
    list.ScrollItemIntoView(10);
    list.SetItemCount(2);
    EXPECT_EQ(list.GetCheckedCount(), 0);
    EXPECT_TRUE(log.empty()) << log.front();

    // Checks stay with their items while the list scrolls.
    Fill(list, 20);
    list.SetItemChecked(15, true);
    list.ScrollItemIntoView(17);
    const std::int32_t row = list.GetRowOfItem(15);
    ASSERT_GE(row, 0);
    EXPECT_EQ(Box(list, static_cast<std::uint32_t>(row)).GetValue(), 1.0);
    EXPECT_TRUE(log.empty());
}

TEST_F(CheckedListBoxTest, IconsFromLookThreeAreDealtOutInTurn)
{
    LCheckedListBox& icons = List("icons");
    ASSERT_EQ(icons.GetIconCount(), 3u) << "the colour part is no icon";
    EXPECT_TRUE(icons.IsIconMode());
    Fill(icons, 7);
    ASSERT_EQ(icons.GetRowCount(), 7u);
    std::vector<const LBitmap*> order;
    for (std::uint32_t i = 0; i < 3; ++i)
        order.push_back(icons.GetItemIcon(i).Get());
    EXPECT_GT(order[0]->GetPixel(0, 0).r, 0.99f) << "red first";
    EXPECT_GT(order[1]->GetPixel(0, 0).g, 0.99f);
    EXPECT_GT(order[2]->GetPixel(0, 0).b, 0.99f);
    for (std::uint32_t i = 0; i < 7; ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(icons.GetItemIcon(i).Get(), order[i % 3]);
        LButton& box = Box(icons, i);
        EXPECT_TRUE(box.IsPassive());
        for (std::int32_t look = 0; look < 14; ++look)
        {
            const RCPtr<LLook> boxLook = box.GetLook(look);
            ASSERT_TRUE(boxLook && boxLook->GetOverlayPart());
            EXPECT_EQ(boxLook->GetOverlayPart()->GetBitmap().Get(), order[i % 3]);
            EXPECT_TRUE(boxLook->GetOverlayReplacesClient());
        }
    }
    const PointL onBox{155, 15};
    script.Move(onBox).Press(1, onBox).Release(1, onBox);
    EXPECT_EQ(icons.GetCheckedCount(), 0) << "a passive box takes no clicks";

    // Without an icon list a row shows its record's own icon.
    LCheckedListBox& plain = List("checked");
    EXPECT_FALSE(plain.IsIconMode());
    Fill(plain, 3);
    EXPECT_FALSE(plain.GetItemIcon(2));
    plain.GetCheckedItemRecord(2).Icon = icons.GetItemIcon(1);
    plain.SetItemText(2, WString(u"With icon"));
    EXPECT_EQ(plain.GetItemIcon(2).Get(), order[1]);
    EXPECT_EQ(Box(plain, 2).GetLook(13)->GetOverlayPart()->GetBitmap().Get(), order[1]);
    EXPECT_FALSE(Box(plain, 1).GetLook(0)->GetOverlayPart());
}

TEST_F(CheckedListBoxTest, SwappingCarriesChecksAndIconsWithTheRows)
{
    LCheckedListBox& list = List("checked");
    Fill(list, 4);
    list.SetItemChecked(0, true);
    list.SetItemChecked(3, true);
    Fill(List("icons"), 1);
    const ConstRCPtr<LBitmap> icon = List("icons").GetItemIcon(0);
    ASSERT_TRUE(icon);
    list.GetCheckedItemRecord(0).Icon = icon;
    EXPECT_EQ(list.SwapItems(0, 1), QK_OK);
    EXPECT_EQ(list.SwapItems(1, 9), QK_OK) << "nothing to swap";
    EXPECT_FALSE(list.IsItemChecked(0));
    EXPECT_TRUE(list.IsItemChecked(1));
    EXPECT_EQ(Narrow(list.GetItemText(1)), "Item 0");
    EXPECT_EQ(list.GetItemIcon(1).Get(), icon.Get());
    EXPECT_FALSE(list.GetItemIcon(0));
    list.CountCheckedItems();
    EXPECT_EQ(list.GetCheckedCount(), 2);
}

TEST_F(CheckedListBoxTest, RecordsOutsideTheListAreNeverRead)
{
    LCheckedListBox& list = List("checked");
    Fill(list, 2);
    for (std::uint32_t index : {2u, 100u})
    {
        try
        {
            list.GetCheckedItemRecord(index);
            ADD_FAILURE() << "no exception for " << index;
        }
        catch (const std::out_of_range& error)
        {
            EXPECT_EQ(std::string(error.what()).rfind("Out of Range : ", 0), 0u) << error.what();
        }
        EXPECT_THROW(list.GetItemRecord(index), std::out_of_range);
    }
    EXPECT_EQ(list.EraseItemRecord(2), QK_E_FAIL);
    EXPECT_EQ(list.GetItemCount(), 2u);
}

TEST_F(CheckedListBoxTest, TheBoxLightsUpItsRowAndShowsItsToolTip)
{
    LCheckedListBox& list = List("checked");
    Fill(list, 2);
    LCheckedListBoxItem& row = *list.GetCheckedItem(0);
    LButton& box = *row.GetCheckBox();
    EXPECT_TRUE(box.IsNotFocusable());
    EXPECT_TRUE(box.UsesParentToolTip());
    script.Move({15, 15});
    EXPECT_NE(row.GetConditions() & 0x1000u, 0u) << "the row shows hover while the pointer is on its box";
    script.Move({300, 200});
    EXPECT_EQ(row.GetConditions() & 0x1000u, 0u);

    EXPECT_EQ(row.SelectCheckBoxLook(5, 1), QK_OK);
    EXPECT_EQ(box.GetCurrentLookIndex(), 5);
    EXPECT_TRUE(row.SetItemLook(8, 1));
    EXPECT_EQ(row.GetCurrentLookIndex(), 8);
    EXPECT_FALSE(row.SetItemLook(40, 1));
    const RCPtr<LCheckedListBoxItem> unfinished(new LCheckedListBoxItem(nullptr, WString(u"unfinished")));
    EXPECT_EQ(unfinished->SelectCheckBoxLook(5, 1), QK_FALSE) << "not created yet";
}

TEST(IndexedDataParam, TextForm)
{
    struct Case
    {
        ConstRCPtr<LRefCountedObject> data;
        std::int32_t index;
        double value;
        const char* text;
    };
    const Case cases[] = {
        {nullptr, 3, 1.0, "LIndexedDataParam: Index = 3, Data =  Value = 1.000000"},
        {LListBox::MakeItemText(WString(u"Bass")), -1, 0.25,
         "LIndexedDataParam: Index = -1, Data = Bass Value = 0.250000"},
        {nullptr, 0, -1e300, nullptr},
    };
    for (const Case& c : cases)
    {
        const RCPtr<LIndexedDataWithValueParam> param = LIndexedDataWithValueParam::Create(c.data, c.index, c.value);
        const std::string text = Narrow(param->ToString());
        if (c.text)
            EXPECT_EQ(text, c.text);
        else
        {
            EXPECT_EQ(text.find("Data =  Value = -1000000000"), 30u) << text.substr(0, 80);
            EXPECT_EQ(text.substr(text.size() - 7), ".000000") << "a huge value is written whole";
        }
    }
    const LIndexedDataParam plain(nullptr, 7);
    EXPECT_EQ(Narrow(plain.ToString()), "LIndexedDataParam: Index = 7, Data = ");
}

} // namespace
} // namespace QK
