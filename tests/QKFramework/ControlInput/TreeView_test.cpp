// The tree view: depth and subtrees, erasing a subtree, expanders showing and hiding
// branches, indents, moving items under a new parent, and what a tree refuses.
#include "QKFramework/Controls/TreeView.h"

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

// Rows 10 px high with a 10 x 10 expander; the tree shows eight rows at (10, 10). Its skin
// has a look 3, which a tree does not take for icons.
const char* const kTree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="plain"/>
    <SubControl Class="Test.TreeView" Name="tree" XPositionAbs="10" YPositionAbs="10" XSizeAbs="150" YSizeAbs="80" TabStop="1"><Skin Name="l" LookList="four"/>
      <SubControl Class="Test.TreeViewItem" Name="templateItem" XSizeAbs="100" YSizeAbs="10"><Skin Name="r" LookList="rows"/>
        <SubControl Class="Framework.Button" Name="checkBox" XSizeAbs="10" YSizeAbs="10"><Skin Name="b" LookList="rows"/></SubControl>
      </SubControl>
    </SubControl>
  </SubControl>
</Skin>)";

std::string Looks()
{
    const auto list = [](const char* name, int count) { return UniformLookList(name, count); };
    return R"(
  <Colorizers><Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/></Colorizers>
  <Parts><Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/></Parts>
  <Looks><Look Name="grey"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look></Looks>
  <LookLists>)" + list("plain", 1) +
           list("four", 4) + list("rows", 14) + "</LookLists>";
}

class TreeViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LControlFactory& factory = harness.Factory();
        factory.RegisterControlClass(WString(u"Test.TreeView"), &LTreeView::Create);
        factory.RegisterControlClass(WString(u"Test.TreeViewItem"), &LTreeViewItem::Create);
        factory.RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
        ASSERT_TRUE(harness.SetRoot(u"top"));
        Build();
    }
    void TearDown() override
    {
        for (const RCPtr<Recorder>& recorder : recorders)
            recorder->UnsubscribeAll();
        LNotificationCenterManager::ReleaseInstance();
    }
    LTreeView& Tree() { return dynamic_cast<LTreeView&>(*harness.Find("tree")); }

    // A           0
    //   A1        1
    //     A1a     2
    //   A2        3
    // B           4
    //   B1        5
    // C           6
    // All collapsed: only A, B and C show.
    void Build()
    {
        LTreeView& tree = Tree();
        tree.RemoveAllItems();
        const std::pair<const char16_t*, std::int32_t> items[] = {{u"A", -1}, {u"A1", 0}, {u"A1a", 1}, {u"A2", 0},
                                                                  {u"B", -1}, {u"B1", 4}, {u"C", -1}};
        for (const auto& [text, parent] : items)
        {
            const std::int32_t index = tree.AddItem(WString(text));
            ASSERT_GE(index, 0);
            tree.GetItemRecord(static_cast<std::uint32_t>(index)).ParentIndex = parent;
        }
        tree.UpdateDescendantVisibility(0);
        tree.UpdateDescendantVisibility(4);
    }
    // "text(parent)" for every item, in list order.
    std::string Shape()
    {
        std::string shape;
        LTreeView& tree = Tree();
        for (std::uint32_t i = 0; i < tree.GetItemCount(); ++i)
            shape += (i ? " " : "") + Narrow(tree.GetItemText(static_cast<std::int32_t>(i))) + "(" +
                     std::to_string(tree.GetParentIndex(i)) + ")";
        return shape;
    }
    // The texts of the items that show.
    std::string Shown()
    {
        std::string shown;
        LTreeView& tree = Tree();
        for (std::uint32_t i = 0; i < tree.GetItemCount(); ++i)
            if (!tree.IsItemHidden(i))
                shown += (shown.empty() ? "" : " ") + Narrow(tree.GetItemText(static_cast<std::int32_t>(i)));
        return shown;
    }
    LButton& Expander(std::uint32_t index)
    {
        const std::int32_t row = Tree().GetRowOfItem(index);
        EXPECT_GE(row, 0) << "item " << index << " has no row";
        return *Tree().GetCheckedItem(static_cast<std::uint32_t>(row))->GetCheckBox();
    }
    void ClickExpander(std::uint32_t index)
    {
        const std::int32_t row = Tree().GetRowOfItem(index);
        ASSERT_GE(row, 0);
        const RectD& bounds = Tree().GetCheckedItem(static_cast<std::uint32_t>(row))->GetBounds();
        const PointL point{static_cast<std::int32_t>(10 + bounds.x + 5), static_cast<std::int32_t>(10 + 10 * row + 5)};
        script.Move(point).Press(1, point).Release(1, point);
    }
    RCPtr<Recorder> Listen(LControl& control, const char16_t* nid)
    {
        const RCPtr<Recorder> recorder = Recorder::Create(Narrow(control.GetName()), log);
        recorder->Subscribe(ConstRCPtr<LNotificationDistributor>(&control), nid);
        recorders.push_back(recorder);
        return recorder;
    }

    WindowHarness harness{kTree, std::string(), Looks()};
    EventScript script{harness};
    std::vector<std::string> log;
    std::vector<RCPtr<Recorder>> recorders;
};

TEST_F(TreeViewTest, DepthsSubtreesAndErasingASubtree)
{
    LTreeView& tree = Tree();
    std::vector<int> depths;
    std::vector<int> descendants;
    for (std::uint32_t i = 0; i < 8; ++i)
    {
        depths.push_back(tree.GetItemDepth(i));
        descendants.push_back(tree.GetDescendantCount(i));
    }
    EXPECT_EQ(depths, (std::vector<int>{0, 1, 2, 1, 0, 1, 0, 0}));
    EXPECT_EQ(descendants, (std::vector<int>{3, 1, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(tree.GetParentIndex(7), -1);
    EXPECT_EQ(tree.EraseItemRecord(7), QK_E_INVALIDARG);
    EXPECT_THROW(tree.GetItemRecord(7), std::out_of_range);

    tree.SetItemChecked(0, true);
    tree.SetItemChecked(1, true);
    tree.UpdateDescendantVisibility(0);
    tree.SelectItemRange(2, -1, true);
    ASSERT_EQ(tree.GetSelectedCount(), 1);
    EXPECT_EQ(tree.RemoveItem(1), 5) << "A1 goes with A1a";
    EXPECT_EQ(Shape(), "A(-1) A2(0) B(-1) B1(2) C(-1)");
    EXPECT_EQ(tree.GetSelectedCount(), 0) << "the selected descendant went";
    EXPECT_EQ(tree.GetCheckedCount(), 1) << "so did A1's check";
    EXPECT_EQ(tree.EraseItemRecord(0), QK_OK);
    EXPECT_EQ(Shape(), "B(-1) B1(0) C(-1)");
    EXPECT_EQ(tree.GetCheckedCount(), 0);

    // An item inserted in the middle leaves every parent index naming the same record.
    Build();
    ASSERT_EQ(tree.InsertItem(1, WString(u"A0")), 1);
    tree.GetItemRecord(1).ParentIndex = 0;
    EXPECT_EQ(Shape(), "A(-1) A0(0) A1(0) A1a(2) A2(0) B(-1) B1(5) C(-1)");
}

TEST_F(TreeViewTest, ExpandersShowABranchOnlyUnderCheckedAncestors)
{
    LTreeView& tree = Tree();
    EXPECT_EQ(Shown(), "A B C");
    EXPECT_TRUE(Expander(0).IsEnabled(false));
    EXPECT_FALSE(Expander(6).IsEnabled(false)) << "a childless item has nothing to expand";
    tree.SetItemChecked(2, true);
    const RCPtr<Recorder> checks = Listen(tree, u"NID_ITEM_CHECK_CHANGE");

    ClickExpander(0);
    EXPECT_EQ(Shown(), "A A1 A2 B C") << "A1a waits for A1, whatever its own check";
    EXPECT_EQ(tree.GetSelectedIndices(), std::vector<std::int32_t>{0});
    EXPECT_EQ(Expander(1).GetValue(), 0.0);
    EXPECT_EQ(tree.GetCheckedItem(1)->GetBounds().x, 10.0) << "A1 indented by one box";
    ClickExpander(1);
    EXPECT_EQ(Shown(), "A A1 A1a A2 B C");
    EXPECT_EQ(tree.GetCheckedItem(2)->GetBounds().x, 20.0);
    EXPECT_FALSE(Expander(3).IsEnabled(false));
    EXPECT_EQ(tree.GetCheckedCount(), 3);

    ClickExpander(0);
    EXPECT_EQ(Shown(), "A B C") << "A closed hides A1's branch too";
    EXPECT_EQ(tree.GetCheckedItem(1)->GetBounds().x, 0.0) << "the row shows B now";
    ASSERT_EQ(checks->arguments.size(), 3u);
    EXPECT_EQ(checks->arguments[2], "LIndexedDataParam: Index = 0, Data =  Value = 0.000000");
    ClickExpander(0);
    EXPECT_EQ(Shown(), "A A1 A1a A2 B C") << "A1 kept its check";
}

TEST_F(TreeViewTest, MovingItemsUnderANewParent)
{
    struct Case
    {
        std::int32_t index;
        std::int32_t parent;
        std::int32_t answer;
        const char* shape;
    };
    const char* const unchanged = "A(-1) A1(0) A1a(1) A2(0) B(-1) B1(4) C(-1)";
    const Case cases[] = {
        {0, 4, 0, unchanged},
        {7, 0, 7, unchanged},
        {3, 3, 3, unchanged},
        {3, 0, 3, unchanged},
        {1, 2, 1, unchanged},
        {1, 20, 1, unchanged},
        {1, 4, 4, "A(-1) A2(0) B(-1) B1(2) A1(2) A1a(4) C(-1)"},
        {5, -1, 6, "A(-1) A1(0) A1a(1) A2(0) B(-1) C(-1) B1(-1)"},
        {5, -7, 6, "A(-1) A1(0) A1a(1) A2(0) B(-1) C(-1) B1(-1)"},
        {6, 1, 3, "A(-1) A1(0) A1a(1) C(1) A2(0) B(-1) B1(5)"},
        {3, 6, 6, "A(-1) A1(0) A1a(1) B(-1) B1(3) C(-1) A2(5)"},
        {4, 0, 4, "A(-1) A1(0) A1a(1) A2(0) B(0) B1(4) C(-1)"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE("MoveItem(" + std::to_string(c.index) + ", " + std::to_string(c.parent) + ")");
        Build();
        EXPECT_EQ(Tree().MoveItem(c.index, c.parent), c.answer);
        EXPECT_EQ(Shape(), c.shape);
        for (std::uint32_t i = 0; i < Tree().GetItemCount(); ++i)
            EXPECT_LT(Tree().GetParentIndex(i), static_cast<std::int32_t>(i)) << "a parent comes first";
    }

    // The new parent opens to show what it gained.
    Build();
    const std::int32_t moved = Tree().MoveItem(1, 4);
    EXPECT_TRUE(Tree().IsItemChecked(2)) << "B expanded";
    EXPECT_EQ(Shown(), "A B B1 A1 C") << "A2 stays under the closed A, A1a under the closed A1";
    EXPECT_FALSE(Tree().IsItemHidden(static_cast<std::uint32_t>(moved)));
    Build();
    Tree().SetAutoCheck(false);
    Tree().MoveItem(6, 0);
    EXPECT_TRUE(Tree().IsItemChecked(0)) << "also when the boxes only report clicks";
    EXPECT_EQ(Shown(), "A A1 A2 C B");
}

TEST_F(TreeViewTest, ATreeIsNeverSortedAndTakesNoIcons)
{
    LTreeView& tree = Tree();
    EXPECT_EQ(tree.SortItems(0, tree.GetItemCount()), QK_E_NOTIMPL);
    EXPECT_FALSE(tree.SortAll());
    EXPECT_EQ(Shape(), "A(-1) A1(0) A1a(1) A2(0) B(-1) B1(4) C(-1)");
    EXPECT_EQ(tree.GetLookCount(), 4u);
    EXPECT_FALSE(tree.HasIcons());
    EXPECT_FALSE(tree.IsIconMode());
}

} // namespace
} // namespace QK
