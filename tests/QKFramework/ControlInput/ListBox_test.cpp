// The list box and its rows through a real root window: rows recycled while a long list
// scrolls, hidden items, rows below the last item, the anchor and caret, keys, items from
// the string table, popup mode, rows leaving the child list, the row looks and keeping the
// pointer on a clicked item.
#include "QKFramework/Controls/ListBox.h"

#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/Controls/ScrollBar.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

#include "tests/support/Recorder.h"
#include "tests/support/UI/EventScript.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// Rows 10 px high over the client width. "list" shows ten rows and has a vertical bar at
// its right edge; "short" is 95 px high, so its tenth row is cut off.
const char* const kTree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="plain"/>
    <SubControl Class="Framework.ListBox" Name="list" XPositionAbs="10" YPositionAbs="10" XSizeAbs="100" YSizeAbs="100" TabStop="1"><Skin Name="l" LookList="plain"/>
      <SubControl Class="Framework.ListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="10"><Skin Name="r" LookList="rows"/></SubControl>
      <SubControl Class="Framework.ScrollBar" Name="vBar" XIsDocked="True" YIsDocked="True" XPositionToControl="Parent" XPositionRel="1" XPlacementAnchor="1" XSizeAbs="10" YPositionToControl="Parent" YSizeToControl="Parent" YSizeRel="1" YSizeAbs="0"/>
    </SubControl>
    <SubControl Class="Framework.ListBox" Name="short" XPositionAbs="150" YPositionAbs="10" XSizeAbs="100" YSizeAbs="95" TabStop="2"><Skin Name="l" LookList="plain"/>
      <SubControl Class="Framework.ListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="10"><Skin Name="r" LookList="rows"/></SubControl>
    </SubControl>
    <SubControl Class="Framework.ListBox" Name="strings" XPositionAbs="270" YPositionAbs="10" XSizeAbs="100" YSizeAbs="50" TabStop="3"><Skin Name="l" LookList="plain"/>
      <SubControl Class="Framework.ListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="10"><Skin Name="r" LookList="rows"/></SubControl>
    </SubControl>
    <SubControl Class="Test.PickyList" Name="picky" XPositionAbs="10" YPositionAbs="150" XSizeAbs="100" YSizeAbs="50" TabStop="4"><Skin Name="l" LookList="plain"/>
      <SubControl Class="Framework.ListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="10"><Skin Name="r" LookList="rows"/></SubControl>
    </SubControl>
    <SubControl Class="Framework.ListBox" Name="fixed" XPositionAbs="150" YPositionAbs="150" XSizeAbs="100" YSizeAbs="50" TabStop="5"><Skin Name="l" LookList="plain"/>
      <SubControl Class="Framework.ListBoxItem" Name="item1" XSizeAbs="100" YSizeAbs="10"><Skin Name="r" LookList="rows"/></SubControl>
      <SubControl Class="Framework.ListBoxItem" Name="item2" YPositionAbs="10" XSizeAbs="100" YSizeAbs="10"><Skin Name="r" LookList="rows"/></SubControl>
    </SubControl>
  </SubControl>
</Skin>)";

const char* const kStrings = R"(
  <StringTable ID="Test.Probe|strings">
    <String ID="ITEM.0"><Locale LCID="0x0009">Zero</Locale></String>
    <String ID="ITEM.3"><Locale LCID="0x0009">Three</Locale></String>
    <String ID="ITEM.-1"><Locale LCID="0x0009">Before the first</Locale></String>
    <String ID="ITEM.x"><Locale LCID="0x0009">No number</Locale></String>
  </StringTable>
  <StringTable ID="Framework.ListBox|item1">
    <String ID="LABEL"><Locale LCID="0x0009">First</Locale></String>
  </StringTable>)";

// Grey everywhere; with rowText, the rows' look keeps its text 6 px from the left and 4 from
// the right.
std::string Looks(bool rowText = false)
{
    const char* const row = rowText ? "row" : "grey";
    std::string rows;
    for (int i = 0; i < 14; ++i)
        rows += std::string("<Look Name=\"") + row + "\" Index=\"" + std::to_string(i) + "\"/>";
    return R"(
  <Colorizers><Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/><Colorizer Name="ink" ColorType="SolidFill" Color="FF000000"/></Colorizers>
  <Parts><Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/><Part Name="ink" Width="1" Height="1" ResizeType="Stretch" ColorizerName="ink"/></Parts>
  <Looks><Look Name="grey"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="row"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
      <TextProperties TextLeftRel="0" TextLeftAbs="6" TextRightRel="1" TextRightAbs="-4" TextHAlign="0" TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0.5" TextForegroundPart="ink"/></Look></Looks>
  <LookLists><LookList Name="plain" NumLooks="1"><Look Name="grey" Index="0"/></LookList>
  <LookList Name="rows" NumLooks="14">)" +
           rows + "</LookList></LookLists>";
}

// A list whose odd items cannot be selected from the keyboard.
class PickyList : public LListBox
{
public:
    using LListBox::LListBox;
    bool CanSelectItem(std::uint32_t index) const override { return index % 2 == 0; }
};


class ListBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.Factory().RegisterControlClass(WString(u"Framework.ListBox"), &LListBox::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.ListBoxItem"), &LListBoxItem::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.ScrollBar"), &LScrollbar::Create);
        harness.Factory().RegisterControlClass(WString(u"Test.PickyList"), &CreateAs<PickyList>);
        ASSERT_TRUE(harness.SetRoot(u"top"));
    }
    void TearDown() override
    {
        for (const RCPtr<Recorder>& recorder : recorders)
            recorder->UnsubscribeAll();
        LNotificationCenterManager::ReleaseInstance();
    }
    LListBox& List(const char* name) { return dynamic_cast<LListBox&>(*harness.Find(name)); }
    static void Fill(LListBox& list, int count)
    {
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(list.AddItem(WString(("Item " + std::to_string(i)).c_str())), i);
    }
    static std::string RowText(LListBox& list, std::uint32_t row)
    {
        LListBoxItem* control = list.GetRowControl(row);
        return control ? Narrow(control->GetText()) : std::string("<no row>");
    }
    static std::set<int> Selected(LListBox& list)
    {
        const std::vector<std::int32_t>& indices = list.GetSelectedIndices();
        return std::set<int>(indices.begin(), indices.end());
    }

    WindowHarness harness{kTree, kStrings, Looks()};
    EventScript script{harness};
    // "<control>:<NID>" for what the controls listened to send.
    RCPtr<Recorder> Listen(LControl& control, const char16_t* nid)
    {
        const RCPtr<Recorder> recorder = Recorder::Create(Narrow(control.GetName()), log);
        recorder->Subscribe(ConstRCPtr<LNotificationDistributor>(&control), nid);
        recorders.push_back(recorder);
        return recorder;
    }

    std::vector<std::string> log;
    std::vector<RCPtr<Recorder>> recorders;
};

TEST_F(ListBoxTest, AThousandItemsScrollThroughTheSameTenRows)
{
    LListBox& list = List("list");
    EXPECT_EQ(list.GetItemHeightPixels(), 10) << "measured on the template";
    Fill(list, 1000);
    EXPECT_LE(list.GetRowCount(), 11u);
    EXPECT_GE(list.GetRowCount(), 10u);
    std::vector<LListBoxItem*> rows;
    for (std::uint32_t r = 0; r < list.GetRowCount(); ++r)
    {
        rows.push_back(list.GetRowControl(r));
        ASSERT_NE(rows.back(), nullptr);
        EXPECT_EQ(Narrow(rows.back()->GetName()), "ItemControl" + std::to_string(r + 1));
    }
    EXPECT_FALSE(list.FindChild(WString(u"templateItem"))) << "the template is never a row";
    EXPECT_EQ(list.GetClientExtentSize().second, 10000.0);

    EXPECT_EQ(list.SetScrollOffset(PointD{0.0, 2345.0}), QK_OK);
    EXPECT_EQ(list.GetTopIndex(), 234u) << "floor(2345 / 10)";
    EXPECT_EQ(RowText(list, 0), "Item 234");
    EXPECT_EQ(RowText(list, 9), "Item 243");
    EXPECT_EQ(list.FindItem(rows[3]), 237);
    EXPECT_EQ(list.GetRowControl(0)->GetBounds().y, 2345.0) << "rows stay in view while the content scrolls";

    ASSERT_EQ(list.ScrollItemIntoView(999), QK_OK);
    EXPECT_EQ(RowText(list, 9), "Item 999");
    EXPECT_EQ(list.GetTopIndex(), 990u);
    ASSERT_EQ(list.ScrollItemIntoView(5), QK_OK);
    EXPECT_EQ(RowText(list, 0), "Item 5");
    for (std::uint32_t r = 0; r < list.GetRowCount(); ++r)
        EXPECT_EQ(list.GetRowControl(r), rows[r]) << "no row was made or dropped while scrolling";
}

TEST_F(ListBoxTest, HiddenItemsTakeNoRowAndRowsBelowTheLastItemAreEmptyAndDisabled)
{
    LListBox& list = List("list");
    for (const char16_t* text : {u"A", u"B", u"C", u"D"})
        list.AddItem(WString(text));
    ASSERT_EQ(list.SelectItemRange(1, -1, true), 1);
    EXPECT_EQ(list.SetItemHidden(1, true), QK_OK);
    EXPECT_EQ(list.SetItemHidden(1, true), QK_FALSE);
    EXPECT_EQ(list.SetItemHidden(7, true), static_cast<QKRESULT>(0x80070057));
    EXPECT_FALSE(list.IsItemSelected(1)) << "hiding deselects";
    list.RemoveItem(3);
    list.AddItem(WString(u"D"));

    EXPECT_EQ(list.GetContentHeight(), 30u);
    EXPECT_EQ(list.GetRowOfItem(1), -1);
    EXPECT_EQ(list.GetRowOfItem(2), 1);
    const std::vector<std::string> shown{RowText(list, 0), RowText(list, 1), RowText(list, 2), RowText(list, 3)};
    EXPECT_EQ(shown, (std::vector<std::string>{"A", "C", "D", ""}));
    for (std::uint32_t r = 3; r < list.GetRowCount(); ++r)
    {
        EXPECT_FALSE(list.GetRowControl(r)->IsEnabled(false)) << "row " << r;
        EXPECT_EQ(list.GetRowControl(r)->GetValue(), 0.0);
        EXPECT_EQ(list.FindItem(list.GetRowControl(r)), -1);
    }
    EXPECT_TRUE(list.GetRowControl(2)->IsEnabled(false));

    EXPECT_EQ(list.SetItemHidden(1, false), QK_OK);
    list.SetItemText(3, WString(u"D2"));
    EXPECT_EQ(RowText(list, 3), "D2") << "a hidden item shown again does not stop the rows below from binding";

    EXPECT_EQ(list.SetItemHidden(0, true), QK_OK);
    EXPECT_EQ(list.GetTopIndex(), 1u) << "the top item hidden";
    EXPECT_EQ(RowText(list, 0), "B");
    EXPECT_EQ(list.ScrollItemIntoView(0), QK_OK) << "the nearest item that shows";
    for (std::uint32_t i = 1; i < 4; ++i)
        list.SetItemHidden(i, true);
    EXPECT_EQ(list.ScrollItemIntoView(2), QK_FALSE) << "nothing shows";
    EXPECT_EQ(list.GetContentHeight(), 0u);
}

TEST_F(ListBoxTest, SelectionKeepsItsAnchorAndCaret)
{
    LListBox& list = List("list");
    Fill(list, 8);
    Listen(list, u"NID_SELECTION_CHANGE");
    struct Case
    {
        const char* what;
        std::function<void()> before;
        std::function<std::int32_t()> call;
        std::int32_t answer;
        std::set<int> selected;
        std::int32_t anchor;
        std::int32_t caret;
        std::size_t notifications;
    };
    const Case cases[] = {
        {"a range", [] {}, [&] { return list.SelectItemRange(2, 5, true); }, 2, {2, 3, 4, 5}, 2, 5, 1},
        {"a range backwards", [] {}, [&] { return list.SelectItemRange(5, 2, true); }, 5, {2, 3, 4, 5}, 5, 2, 1},
        {"one item alone", [&] { list.SelectItemRange(2, 5, true); }, [&] { return list.SelectItemRange(3, -1, true); },
         3, {3}, 3, 3, 1},
        {"the only selected item again", [&] { list.SelectItemRange(3, -1, true); },
         [&] { return list.SelectItemRange(3, -1, true); }, 3, {3}, 3, 3, 0},
        {"adding a range", [&] { list.SelectItemRange(1, -1, true); }, [&] { return list.SelectItemRange(6, 4, false); },
         6, {1, 4, 5, 6}, 6, 4, 1},
        {"past the items", [&] { list.SelectItemRange(1, -1, true); }, [&] { return list.SelectItemRange(8, -1, true); },
         static_cast<std::int32_t>(0x80070057), {1}, 1, 1, 0},
        {"deselecting the caret moves it to a selected neighbour", [&] { list.SelectItemRange(2, 4, true); },
         [&] { return list.Deselect(4); }, 0, {2, 3}, 2, 3, 1},
        {"deselecting the anchor moves it to the next selected item", [&] { list.SelectItemRange(2, 4, true); },
         [&] { return list.Deselect(2); }, 0, {3, 4}, 3, 4, 1},
        {"deselecting a middle item leaves both", [&] { list.SelectItemRange(2, 4, true); },
         [&] { return list.Deselect(3); }, 0, {2, 4}, 2, 4, 1},
        {"the last selected item", [&] { list.SelectItemRange(3, -1, true); }, [&] { return list.Deselect(3); }, 0, {},
         -1, -1, 1},
        {"a lone caret goes to the highest selected item",
         [&]
         {
             list.SelectItemRange(3, -1, true);
             list.SelectItemRange(6, -1, false);
         },
         [&] { return list.Deselect(6); }, 0, {3}, 3, 3, 1},
        {"an item not selected", [&] { list.SelectItemRange(3, -1, true); }, [&] { return list.Deselect(5); }, 1, {3},
         3, 3, 0},
        {"removing after both", [&] { list.SelectItemRange(2, 5, true); }, [&] { return list.RemoveItem(7); }, 7,
         {2, 3, 4, 5}, 2, 5, 0},
        {"removing before both", [&] { list.SelectItemRange(2, 5, true); }, [&] { return list.RemoveItem(0); }, 7,
         {1, 2, 3, 4}, 1, 4, 0},
        {"removing between them", [&] { list.SelectItemRange(2, 5, true); }, [&] { return list.RemoveItem(3); }, 7,
         {2, 3, 4}, -1, -1, 1},
        {"removing past the items", [&] { list.SelectItemRange(2, 5, true); }, [&] { return list.RemoveItem(8); },
         static_cast<std::int32_t>(0x80070057), {2, 3, 4, 5}, 2, 5, 0},
    };
    for (const Case& c : cases)
    {
        list.SetItemCount(0);
        Fill(list, 8);
        c.before();
        log.clear();
        EXPECT_EQ(c.call(), c.answer) << c.what;
        EXPECT_EQ(Selected(list), c.selected) << c.what;
        EXPECT_EQ(list.GetSelectedCount(), static_cast<std::int32_t>(c.selected.size())) << c.what;
        EXPECT_EQ(list.GetAnchor(), c.anchor) << c.what;
        EXPECT_EQ(list.GetCaret(), c.caret) << c.what;
        EXPECT_EQ(log.size(), c.notifications) << c.what;
    }
}

TEST_F(ListBoxTest, KeysMoveTheSelectionAndActivate)
{
    LListBox& list = List("list");
    LListBox& picky = List("picky");
    Listen(list, u"NID_ITEM_ACTIVATED");
    Listen(picky, u"NID_ITEM_ACTIVATED");
    struct Case
    {
        const char* what;
        const char* listName;
        int items;
        std::int32_t caretBefore;
        std::uint32_t key;
        std::uint32_t modifiers;
        std::set<int> selected;
        std::vector<std::string> activated;
    };
    const Case cases[] = {
        {"Down on an empty list", "list", 0, -1, 0x28, 0, {}, {}},
        {"Enter on an empty list", "list", 0, -1, 0x0D, 0, {}, {}},
        {"Up on item 0", "list", 5, 0, 0x26, 0, {0}, {}},
        {"Down from item 0", "list", 5, 0, 0x28, 0, {1}, {}},
        {"Shift+Down selects alone", "list", 5, 2, 0x28, 8, {3}, {}},
        {"Down on the last item", "list", 5, 4, 0x28, 0, {4}, {}},
        {"Enter activates the caret", "list", 5, 2, 0x0D, 0, {2}, {"list:NID_ITEM_ACTIVATED"}},
        {"Down skips what cannot be selected", "picky", 5, 0, 0x28, 0, {2}, {}},
        {"Up skips what cannot be selected", "picky", 5, 4, 0x26, 0, {2}, {}},
    };
    for (const Case& c : cases)
    {
        LListBox& target = List(c.listName);
        target.SetItemCount(0);
        Fill(target, c.items);
        if (c.caretBefore >= 0)
            target.SelectItemRange(c.caretBefore, -1, true);
        ASSERT_EQ(target.SetFocus(true), QK_OK) << c.what;
        log.clear();
        script.Key(c.key, c.modifiers);
        EXPECT_EQ(Selected(target), c.selected) << c.what;
        EXPECT_EQ(log, c.activated) << c.what;
    }

    // The page keys go to the bar, which scrolls the list.
    list.SetItemCount(0);
    Fill(list, 100);
    list.SelectItemRange(0, -1, true);
    list.SetFocus(true);
    script.Key(0x22);
    EXPECT_GT(list.GetScrollOffset().y, 0.0);
    EXPECT_EQ(Selected(list), std::set<int>{0}) << "paging moves no selection";
    EXPECT_EQ(list.GetVerticalBar()->GetLineStep() * (list.GetClientExtentSize().second - 100.0), 10.0)
        << "a step of the bar is one row";
}

TEST_F(ListBoxTest, ItemsComeFromNumberedEntries)
{
    LListBox& strings = List("strings");
    ASSERT_EQ(strings.GetItemCount(), 4u) << "ITEM.0 and ITEM.3; ITEM.-1 and ITEM.x are skipped";
    EXPECT_EQ(Narrow(strings.GetItemText(0)), "Zero");
    EXPECT_EQ(Narrow(strings.GetItemText(1)), "");
    EXPECT_EQ(Narrow(strings.GetItemText(2)), "");
    EXPECT_EQ(Narrow(strings.GetItemText(3)), "Three");
    EXPECT_EQ(RowText(strings, 3), "Three");
    EXPECT_EQ(Narrow(strings.GetItemText(-1)), "");
    EXPECT_EQ(Narrow(strings.GetItemText(4)), "");

    LListBox& fixed = List("fixed");
    ASSERT_EQ(fixed.GetRowCount(), 2u) << "fixed rows, no template";
    ASSERT_EQ(fixed.GetItemCount(), 2u);
    EXPECT_EQ(Narrow(fixed.GetItemText(0)), "First");
    EXPECT_EQ(fixed.FindItem(fixed.FindChild(WString(u"item2")).Get()), 1);
}

TEST_F(ListBoxTest, ItemCountSortingAndSearching)
{
    LListBox& list = List("list");
    EXPECT_EQ(list.RemoveAllItems(), QK_FALSE) << "empty";
    EXPECT_EQ(list.SetItemCount(5), 5);
    EXPECT_EQ(list.SetItemCount(5), 5);
    EXPECT_EQ(list.SetItemCount(2), 2);
    EXPECT_EQ(list.GetItemCount(), 2u);
    EXPECT_EQ(list.RemoveAllItems(), QK_OK);

    for (const char16_t* text : {u"delta", u"Bravo", u"alpha", u"charlie", u"ALPHA"})
        list.AddItem(WString(text));
    EXPECT_EQ(list.FindItemByText(WString(u"alpha"), false), 4) << "the highest index, ignoring case";
    EXPECT_EQ(list.FindItemByText(WString(u"alpha"), true), 2);
    EXPECT_EQ(list.FindItemByText(WString(u"echo"), false), -1);
    EXPECT_EQ(list.SelectItemByText(WString(u"ALPHA"), 2, true), 4);
    EXPECT_EQ(list.SelectItemByText(WString(u"delta"), 3, false), 0) << "wraps round";

    list.SelectItemRange(0, 3, true);
    ASSERT_EQ(list.SortItems(0, 5), QK_OK);
    EXPECT_EQ(Narrow(list.GetItemText(0)).substr(1), "lpha");
    EXPECT_EQ(Narrow(list.GetItemText(2)), "Bravo");
    EXPECT_EQ(Narrow(list.GetItemText(4)), "delta");
    EXPECT_EQ(list.GetAnchor(), 4) << "the anchor stayed on delta";
    EXPECT_EQ(Narrow(list.GetItemText(list.GetCaret())), "charlie");
    const std::set<int> selected = Selected(list);
    EXPECT_EQ(selected.size(), 4u) << "the selection moved with its items";
    EXPECT_TRUE(selected.count(2) && selected.count(3) && selected.count(4));
    EXPECT_NE(selected.count(0), selected.count(1)) << "one of the two alphas";
    EXPECT_EQ(RowText(list, 2), "Bravo");
    EXPECT_EQ(list.SortItems(3, 3), static_cast<QKRESULT>(0x80070057));
    EXPECT_EQ(list.SortItems(1, 0), QK_FALSE);
}

TEST_F(ListBoxTest, SnappingTheHeightLeavesWholeRows)
{
    // No frame: N is 0 and a row is 10 px, so each limit becomes max(10, whole rows below it).
    struct Case
    {
        double minimum, maximum, size;
        double snappedMinimum, snappedMaximum, snappedSize, height;
    };
    const Case cases[] = {
        {0, 0, 95, 0, 0, 90, 90},
        {25, 47, 95, 20, 40, 90, 40},
        {5, 0, 3, 10, 0, 10, 10},
        {0, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases)
    {
        LListBox& list = List("short");
        const RCPtr<LLayoutDescriptor> layout = list.GetLayoutDescriptor();
        layout->Y.MinSize = LayoutLimit{false, WString(), 0.0f, c.minimum};
        layout->Y.MaxSize = LayoutLimit{false, WString(), 0.0f, c.maximum};
        layout->Y.Size = LayoutReference{2, WString(), 0.0f, c.size};
        list.Relayout();
        ASSERT_EQ(list.SnapHeightToItems(), QK_OK);
        EXPECT_EQ(layout->Y.MinSize.Abs, c.snappedMinimum) << c.minimum;
        EXPECT_EQ(layout->Y.MaxSize.Abs, c.snappedMaximum) << c.maximum;
        EXPECT_EQ(layout->Y.Size.Abs, c.snappedSize) << c.size;
        EXPECT_EQ(list.GetHeight(), c.height) << c.size;
    }
}

TEST_F(ListBoxTest, RowsLeavingTheChildListKeepTheOthersMapped)
{
    struct Case
    {
        const char* what;
        const char* leaving;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"a middle row", "ItemControl2", {"ItemControl1", "ItemControl3", "ItemControl4"}},
        {"a child before the rows", "vBar", {"ItemControl1", "ItemControl2", "ItemControl3"}},
        {"the last row", "ItemControl10", {"ItemControl1", "ItemControl2", "ItemControl3"}},
    };
    for (const Case& c : cases)
    {
        ASSERT_TRUE(harness.SetRoot(u"top"));
        LListBox& list = List("list");
        const std::uint32_t before = list.GetRowCount();
        ASSERT_EQ(before, 10u) << "the template closed at start-up while there were no rows";
        const RCPtr<LControl> leaving = list.FindChild(WString(c.leaving));
        ASSERT_TRUE(leaving) << c.what;
        leaving->Close();
        const bool wasRow = std::string(c.leaving).rfind("ItemControl", 0) == 0;
        EXPECT_EQ(list.GetRowCount(), wasRow ? before - 1 : before) << c.what;
        for (std::uint32_t r = 0; r < c.rows.size(); ++r)
            EXPECT_EQ(Narrow(list.GetRowControl(r)->GetName()), c.rows[r]) << c.what;
        for (std::uint32_t r = 0; r < list.GetRowCount(); ++r)
            EXPECT_NE(list.GetRowControl(r), nullptr) << c.what << ", row " << r;
    }
}

TEST(ListBoxItemLooks, LookFollowsTheState)
{
    ControlHarness harness(R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="100" YSizeAbs="100">
    <SubControl Class="Framework.ListBoxItem" Name="row" XSizeAbs="100" YSizeAbs="10"><Skin Name="r" LookList="rows"/></SubControl>
  </SubControl>
</Skin>)",
                           std::string(), Looks());
    harness.Factory().RegisterControlClass(WString(u"Framework.ListBoxItem"), &LListBoxItem::Create);
    const RCPtr<LControl> top = harness.CreateRoot(u"top");
    auto& row = dynamic_cast<LListBoxItem&>(*top->FindChild(WString(u"row")));
    struct Case
    {
        bool selected, enabled, alternate, separator, hover, captured, leftDrag;
        std::int32_t look;
    };
    const Case cases[] = {
        {false, true, false, false, false, false, false, 0},  {false, true, false, false, true, false, false, 1},
        {false, true, false, false, true, true, true, 2},     {false, true, true, false, true, false, false, 4},
        {false, false, false, false, true, false, false, 6},  {true, true, false, false, false, false, false, 7},
        {true, true, true, false, true, true, true, 12},      {true, true, true, false, false, true, true, 11},
        {true, true, true, false, true, true, false, 10},     {true, false, false, false, false, false, false, 13},
        {false, true, false, true, false, false, false, 13},  {true, true, false, false, true, true, false, 7},
    };
    for (const Case& c : cases)
    {
        row.SetValue(c.selected ? 1.0 : 0.0);
        row.SetEnabled(c.enabled);
        row.SetAlternate(c.alternate);
        row.SetSeparator(c.separator);
        row.SetForcedHover(c.hover);
        LControl::ConditionFlags& flags = row.GetConditionFlags();
        flags.captured = c.captured;
        flags.leftDrag = c.leftDrag;
        row.UpdateConditions();
        EXPECT_EQ(row.GetLookIndex(), c.look) << "selected " << c.selected << ", enabled " << c.enabled
                                              << ", alternate " << c.alternate << ", separator " << c.separator
                                              << ", hover " << c.hover << ", captured " << c.captured
                                              << ", drag " << c.leftDrag;
    }
    row.GetConditionFlags() = LControl::ConditionFlags{};
    row.SetSeparator(false);
    row.SetText(WString(u"text"));
    row.SetSeparator(true);
    EXPECT_TRUE(row.GetText().IsEmpty());
    row.SetText(WString(u"again"));
    row.SetSeparator(true);
    EXPECT_EQ(Narrow(row.GetText()), "again") << "only a change of the flag empties the text";
    row.SetSeparator(false);
    EXPECT_EQ(Narrow(row.GetText()), "again");

    const RCPtr<LConditionsParam> conditions = LConditionsParam::Create(1, 2, 3.0, 4.0);
    const RCPtr<LItemConditionsParam> argument = LItemConditionsParam::Create(*conditions, -1, 7, true);
    EXPECT_EQ(argument->ItemIndex, -1);
    EXPECT_EQ(argument->NewConditions, 2u);

    LListItemRecord record;
    record.Text = LListBox::MakeItemText(WString(u"shared"));
    const LListItemRecord copy = record;
    EXPECT_EQ(copy.Text.Get(), record.Text.Get()) << "a copy shares the text";
}

TEST_F(ListBoxTest, PopupModeSelectsByPointerAndPicksOnRelease)
{
    LListBox& list = List("list");
    Fill(list, 5);
    list.SetPopupMode(true);
    Listen(list, u"NID_SELECTION_CHANGE");
    Listen(list, u"NID_ITEM_ACTIVATED");
    // The list's client area starts at (10, 10) in the window; rows are 10 px high.
    script.Move({20, 25});
    EXPECT_EQ(Selected(list), std::set<int>{1}) << "hover selects";
    script.Press(1, {20, 25});
    EXPECT_EQ(harness.Root()->GetCaptureControl().Get(), &list) << "the row handed its capture to the list";
    script.Move({20, 30}).Move({20, 45});
    EXPECT_EQ(Selected(list), std::set<int>{3}) << "dragging selects";
    script.Move({20, 95});
    EXPECT_TRUE(Selected(list).empty()) << "no item under the pointer";
    script.Move({20, 55});
    script.Release(1, {20, 55});
    EXPECT_EQ(log, std::vector<std::string>{"list:NID_ITEM_ACTIVATED"}) << "no selection change in popup mode";
    EXPECT_EQ(list.GetCaret(), 4);
    EXPECT_FALSE(list.IsVisible(false)) << "activating hides a popup list";
}

TEST_F(ListBoxTest, ClicksSelectAndThePointerStaysOnTheClickedItem)
{
    LListBox& list = List("short");
    Fill(list, 30);
    Listen(list, u"NID_SELECTION_CHANGE");
    int rightClicked = -1;
    Listen(list, u"NID_ITEM_RIGHT_CLICK")->action = [&](Recorder&, const auto&, const ConstRCPtr<LNotification>& n)
    {
        if (const auto* index = dynamic_cast<const LHolder<int>*>(n->GetArgument().Get()))
            rightClicked = index->GetValue();
    };
    Listen(list, u"NID_ITEM_DOUBLE_CLICKED");
    Listen(list, u"NID_ITEM_ACTIVATED");
    // "short" starts at (150, 10); its tenth row (item 9) is cut off at 95 px.
    script.Move({160, 25}).Press(1, {160, 25}, 8).Release(1, {160, 25}, 8);
    EXPECT_EQ(Selected(list), std::set<int>{1}) << "Shift changes nothing without multiple selection";
    EXPECT_TRUE(harness.App().cursorMoves.empty()) << "the list did not scroll";

    script.Move({160, 102}).Press(1, {160, 102});
    EXPECT_EQ(Selected(list), std::set<int>{9});
    EXPECT_EQ(list.GetTopIndex(), 1u) << "the item scrolled into full view";
    ASSERT_EQ(harness.App().cursorMoves.size(), 1u);
    EXPECT_EQ(harness.App().cursorMoves[0].y, 50 + 92) << "the pointer moved up one row with its item (client origin 50)";
    EXPECT_EQ(harness.Root()->GetHoverControl(), list.GetRowControl(8));
    script.Release(1, {160, 92});
    EXPECT_EQ(log, (std::vector<std::string>{"short:NID_SELECTION_CHANGE", "short:NID_SELECTION_CHANGE"}))
        << "a click on a plain list selects and activates nothing";

    log.clear();
    script.Move({160, 45}).Press(4, {160, 45}).Release(4, {160, 45});
    EXPECT_EQ(log, std::vector<std::string>{"short:NID_ITEM_RIGHT_CLICK"});
    EXPECT_EQ(rightClicked, 4);
    EXPECT_EQ(Selected(list), std::set<int>{9}) << "a right click leaves the selection";

    log.clear();
    script.Press(1, {160, 45}).Release(1, {160, 45});
    harness.Host().Press(1, {160, 45}, 2);
    harness.Host().Release(1, {160, 45});
    EXPECT_EQ(log, (std::vector<std::string>{"short:NID_SELECTION_CHANGE", "short:NID_ITEM_DOUBLE_CLICKED"}));
}

} // namespace
} // namespace QK

namespace QK
{
namespace
{

using namespace TestSupport;

// Rows with their text 6 px in from the left and 4 from the right. "open" leaves its width to
// its items (as a drop-down list does) within a skin maximum, and has a 10 px bar; "placed"
// has the width its skin gives it.
const char* const kWidthTree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="plain"/>
    <SubControl Class="Framework.ListBox" Name="open" XPositionAbs="10" YPositionAbs="10" XSizeAbs="0" YSizeAbs="40" XMaxSizeAbs="300"><Skin Name="l" LookList="plain"/>
      <SubControl Class="Framework.ListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="10"><Skin Name="r" LookList="rows"/></SubControl>
      <SubControl Class="Framework.ScrollBar" Name="vBar" XIsDocked="True" YIsDocked="True" XPositionToControl="Parent" XPositionRel="1" XPlacementAnchor="1" XSizeAbs="10" YPositionToControl="Parent" YSizeToControl="Parent" YSizeRel="1" YSizeAbs="0"/>
    </SubControl>
    <SubControl Class="Framework.ListBox" Name="placed" XPositionAbs="10" YPositionAbs="100" XSizeAbs="100" YSizeAbs="40"><Skin Name="l" LookList="plain"/>
      <SubControl Class="Framework.ListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="10"><Skin Name="r" LookList="rows"/></SubControl>
    </SubControl>
  </SubControl>
</Skin>)";

TEST(ListBoxWidth, AListWhoseSkinLeavesItsWidthOpenTakesItsWidestTextAndNoTextIsCut)
{
    WindowHarness harness{kWidthTree, std::string(), Looks(true)};
    harness.Factory().RegisterControlClass(WString(u"Framework.ListBox"), &LListBox::Create);
    harness.Factory().RegisterControlClass(WString(u"Framework.ListBoxItem"), &LListBoxItem::Create);
    harness.Factory().RegisterControlClass(WString(u"Framework.ScrollBar"), &LScrollbar::Create);
    ASSERT_TRUE(harness.SetRoot(u"top"));
    auto& open = dynamic_cast<LListBox&>(*harness.Find("open"));
    auto& placed = dynamic_cast<LListBox&>(*harness.Find("placed"));
    // Measuring the row lifts the list's horizontal limits for a while and puts them back.
    EXPECT_EQ(open.GetLayoutDescriptor()->X.MaxSize.Abs, 300.0);
    for (LListBox* list : {&open, &placed})
    {
        EXPECT_EQ(list->GetItemHeightPixels(), 10);
        EXPECT_EQ(list->GetTextMargin(), 10) << "a row following the list keeps 6 + 4 px from its text";
    }

    const char* const texts[] = {"A", "A longer item", "The longest item of them all", "B", "C"};
    for (const char* text : texts)
        for (LListBox* list : {&open, &placed})
            list->AddItem(WString(text));
    ASSERT_TRUE(LScrollView::IsUsable(open.GetVerticalBar())) << "five rows in four";
    EXPECT_EQ(open.GetWidestText(), open.GetItemTextWidth(2));
    EXPECT_EQ(open.GetWidth(), 10.0 + open.GetWidestText()) << "the bar beside the widest text";
    EXPECT_EQ(placed.GetWidth(), 100.0) << "a list placed by its skin keeps its width";
    for (std::uint32_t r = 0; r < open.GetRowCount(); ++r)
        EXPECT_FALSE(open.GetRowControl(r)->IsTextOverflowing()) << TestSupport::Narrow(open.GetRowControl(r)->GetText());

    open.RemoveItem(2);
    EXPECT_FALSE(LScrollView::IsUsable(open.GetVerticalBar())) << "four rows in four";
    EXPECT_EQ(open.GetWidth(), static_cast<double>(open.GetItemTextWidth(1))) << "the next widest, without the bar";
}

} // namespace
} // namespace QK
