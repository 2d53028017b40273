// The sortable table of list boxes through a real root window: header clicks sorting by a
// column, rows carrying their text, alternate flag and selection, the columns following one
// another's selection, hover and vertical scroll, numbered children ending at a gap, item
// notifications passed on without argument; and the table drawn offscreen.
#include "QKFramework/Controls/MultiColumnListBox.h"

#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/Controls/ScrollBar.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Renderer/Gdi/GDIRenderContextInfo.h"

#include "tests/support/Recorder.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/UI/ControlTestTools.h"
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

// A table whose Initialize answer can be read after the factory made it.
class ProbeTable : public LMultiColumnListBox
{
public:
    using LMultiColumnListBox::LMultiColumnListBox;
    QKRESULT Initialize() override
    {
        initialized = LMultiColumnListBox::Initialize();
        return initialized;
    }
    QKRESULT initialized = -1;
};

std::string Column(int n, int x, int y, int height)
{
    return R"(<SubControl Class="Framework.listboxNoScroll" Name="listboxNoScroll)" + std::to_string(n) +
           R"(" XPositionAbs=")" + std::to_string(x) + R"(" YPositionAbs=")" + std::to_string(y) +
           R"(" XSizeAbs="60" YSizeAbs=")" + std::to_string(height) + R"("><Skin Name="l" LookList="plain"/>
        <SubControl Class="Framework.ListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="10"><Skin Name="r" LookList="rows"/></SubControl>
      </SubControl>)";
}

std::string Header(int n, int x)
{
    return R"(<SubControl Class="Framework.Button" Name="buttonColumnHeader)" + std::to_string(n) +
           R"(" XPositionAbs=")" + std::to_string(x) +
           R"(" YPositionAbs="0" XSizeAbs="60" YSizeAbs="12"><Skin Name="h" LookList="rows"/></SubControl>)";
}

const char* const kBar =
    R"(<SubControl Class="Framework.ScrollBar" Name="vBar" XIsDocked="True" YIsDocked="True" XPositionToControl="Parent" XPositionRel="1" XPlacementAnchor="1" XSizeAbs="10" YPositionToControl="Parent" YSizeToControl="Parent" YSizeRel="1" YSizeAbs="0"/>)";

// "table" at (10, 10): headers 12 px high over two columns of six 10 px rows, a vertical
// bar at its right. "gappy" at (200, 10): columns 1, 2 and 4, headers 1 to 3.
std::string Tree()
{
    return R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="plain"/>
    <SubControl Class="Test.Table" Name="table" XPositionAbs="10" YPositionAbs="10" XSizeAbs="130" YSizeAbs="72" TabStop="1"><Skin Name="t" LookList="plain"/>
      )" + Header(1, 0) + Header(2, 60) + Column(1, 0, 12, 60) + Column(2, 60, 12, 60) + kBar + R"(
    </SubControl>
    <SubControl Class="Test.Table" Name="gappy" XPositionAbs="200" YPositionAbs="10" XSizeAbs="190" YSizeAbs="72" TabStop="2"><Skin Name="t" LookList="plain"/>
      )" + Header(1, 0) + Header(2, 60) + Header(3, 120) + Column(1, 0, 12, 60) + Column(2, 60, 12, 60) +
           Column(4, 120, 12, 60) + R"(
    </SubControl>
  </SubControl>
</Skin>)";
}

std::string Looks()
{
    std::string rows;
    for (int i = 0; i < 14; ++i)
        rows += "<Look Name=\"grey\" Index=\"" + std::to_string(i) + "\"/>";
    return R"(
  <Colorizers><Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/></Colorizers>
  <Parts><Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/></Parts>
  <Looks><Look Name="grey"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look></Looks>
  <LookLists><LookList Name="plain" NumLooks="1"><Look Name="grey" Index="0"/></LookList>
  <LookList Name="rows" NumLooks="14">)" +
           rows + "</LookList></LookLists>";
}

void RegisterClasses(LControlFactory& factory)
{
    factory.RegisterControlClass(WString(u"Test.Table"), &CreateAs<ProbeTable>);
    factory.RegisterControlClass(WString(u"Framework.listbox2ColumnSortable"), &LMultiColumnListBox::Create);
    factory.RegisterControlClass(WString(u"Framework.listboxNoScroll"), &LListBox::Create);
    factory.RegisterControlClass(WString(u"Framework.ListBoxItem"), &LListBoxItem::Create);
    factory.RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
    factory.RegisterControlClass(WString(u"Framework.ScrollBar"), &LScrollbar::Create);
}

class MultiColumnListBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterClasses(harness.Factory());
        ASSERT_TRUE(harness.SetRoot(u"top"));
    }
    void TearDown() override
    {
        for (const RCPtr<Recorder>& recorder : recorders)
            recorder->UnsubscribeAll();
        LNotificationCenterManager::ReleaseInstance();
    }
    ProbeTable& Table(const char* name = "table") { return dynamic_cast<ProbeTable&>(*harness.Find(name)); }
    // Rows given as one text per column.
    static void Fill(LMultiColumnListBox& table, const std::vector<std::vector<const char16_t*>>& rows)
    {
        for (const auto& row : rows)
            for (std::uint32_t c = 0; c < table.GetColumnCount(); ++c)
                table.GetColumn(c)->AddItem(WString(c < row.size() ? row[c] : u""));
    }
    static std::vector<std::string> ColumnTexts(LMultiColumnListBox& table, std::uint32_t column)
    {
        std::vector<std::string> texts;
        for (std::uint32_t r = 0; r < table.GetColumn(0)->GetItemCount(); ++r)
            texts.push_back(Narrow(table.GetCellText(column, r)));
        return texts;
    }
    static std::set<int> Selected(LListBox& list)
    {
        const std::vector<std::int32_t>& indices = list.GetSelectedIndices();
        return std::set<int>(indices.begin(), indices.end());
    }
    RCPtr<Recorder> Listen(LControl& control, const char16_t* nid)
    {
        const RCPtr<Recorder> recorder = Recorder::Create(Narrow(control.GetName()), log);
        recorder->Subscribe(ConstRCPtr<LNotificationDistributor>(&control), nid);
        recorders.push_back(recorder);
        return recorder;
    }
    void Click(const PointL& point) { script.Move(point).Press(1, point).Release(1, point); }

    WindowHarness harness{Tree(), std::string(), Looks()};
    EventScript script{harness};
    std::vector<std::string> log;
    std::vector<RCPtr<Recorder>> recorders;
};

// Window points: the table's headers at y 16, its first row at y 27 (rows 10 px below 22).
constexpr PointL kHeader1{40, 16};
constexpr PointL kHeader2{100, 16};
PointL Cell(int column, int row)
{
    return PointL{40 + 60 * column, 27 + 10 * row};
}

TEST_F(MultiColumnListBoxTest, ChildrenAreTheNumberedColumnsAndHeadersUpToTheFirstGap)
{
    ProbeTable& table = Table();
    EXPECT_EQ(table.GetColumnCount(), 2u);
    EXPECT_EQ(table.GetHeaderCount(), 2u);
    EXPECT_EQ(table.initialized, QK_FALSE) << "one header per column answers 1";
    EXPECT_FALSE(table.GetColumn(0)->IsNotFocusable()) << "only the first column takes the focus";
    EXPECT_TRUE(table.GetColumn(1)->IsNotFocusable());
    EXPECT_TRUE(table.GetColumn(0)->GetLayoutDescriptor()->YIsDocked);
    EXPECT_TRUE(table.GetHeader(1)->GetLayoutDescriptor()->YIsDocked);
    EXPECT_EQ(table.GetClientExtentSize().first, 120.0) << "as wide as the last column reaches";

    ProbeTable& gappy = Table("gappy");
    EXPECT_EQ(gappy.GetColumnCount(), 2u) << "listboxNoScroll3 is missing, so 4 is no column";
    EXPECT_EQ(gappy.GetHeaderCount(), 3u);
    EXPECT_EQ(gappy.initialized, QK_OK) << "three headers over two columns answer 0";
    EXPECT_TRUE(gappy.FindChild(WString(u"listboxNoScroll4"))) << "the child stays, outside the table";
}

TEST_F(MultiColumnListBoxTest, HeaderClicksSortTheirColumnUpThenDownAndRowsTravelWhole)
{
    ProbeTable& table = Table();
    Fill(table, {{u"beta", u"x"}, {u"Alpha", u"z"}, {u"gamma", u"y"}});
    table.GetColumn(0)->SetItemAlternate(2, true);
    table.GetColumn(1)->SetItemAlternate(2, true);
    table.GetColumn(0)->SetItemValue(2, 0.25);

    struct Case
    {
        PointL header;
        std::vector<std::string> names, letters;
        bool nextUp1, nextUp2;
    };
    const Case cases[] = {
        {kHeader1, {"Alpha", "beta", "gamma"}, {"z", "x", "y"}, false, true},
        {kHeader1, {"gamma", "beta", "Alpha"}, {"y", "x", "z"}, true, true},
        {kHeader1, {"Alpha", "beta", "gamma"}, {"z", "x", "y"}, false, true},
        {kHeader2, {"beta", "gamma", "Alpha"}, {"x", "y", "z"}, false, false},
    };
    int step = 0;
    for (const Case& c : cases)
    {
        Click(c.header);
        EXPECT_EQ(ColumnTexts(table, 0), c.names) << "click " << step;
        EXPECT_EQ(ColumnTexts(table, 1), c.letters) << "click " << step;
        EXPECT_EQ(table.IsNextSortAscending(0), c.nextUp1) << "click " << step;
        EXPECT_EQ(table.IsNextSortAscending(1), c.nextUp2) << "click " << step;
        for (std::uint32_t r = 0; r < 3; ++r)
            for (std::uint32_t column = 0; column < 2; ++column)
                EXPECT_EQ(table.GetColumn(column)->GetItemAlternate(r), c.names[r] == "gamma")
                    << "the alternate flag travels with gamma's row; click " << step << ", row " << r;
        EXPECT_EQ(table.GetColumn(0)->GetItemValue(2), 0.25) << "other values stay with the position";
        ++step;
    }
    EXPECT_EQ(Narrow(table.GetColumn(1)->GetRowControl(0)->GetText()), "x") << "the rows show the new order";
    EXPECT_EQ(Narrow(table.GetCellText(2, 0)), "") << "past the columns";
    EXPECT_EQ(Narrow(table.GetCellText(0, 3)), "") << "past the rows";
}

TEST_F(MultiColumnListBoxTest, ASelectedRowStaysSelectedAtItsNewPlaceAndTheSortSendsNoSelectionChange)
{
    ProbeTable& table = Table();
    Fill(table, {{u"beta", u"2"}, {u"Alpha", u"1"}, {u"gamma", u"3"}});
    Click(Cell(1, 0));
    ASSERT_EQ(Selected(*table.GetColumn(0)), std::set<int>{0});
    Listen(table, u"NID_SELECTION_CHANGE");
    table.PerformSort(0);
    EXPECT_EQ(ColumnTexts(table, 0), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(Selected(*table.GetColumn(0)), std::set<int>{1}) << "beta moved to row 1";
    EXPECT_EQ(Selected(*table.GetColumn(1)), std::set<int>{1});
    EXPECT_TRUE(log.empty());

    // The table still hears its columns after the sort.
    Click(Cell(0, 2));
    EXPECT_EQ(Selected(*table.GetColumn(1)), std::set<int>{2});
    EXPECT_EQ(log, std::vector<std::string>{"table:NID_SELECTION_CHANGE"});
}

TEST_F(MultiColumnListBoxTest, EveryColumnFollowsTheSelectionOfAnyColumnWithOneNotification)
{
    ProbeTable& table = Table();
    Fill(table, {{u"a", u"1"}, {u"b", u"2"}, {u"c", u"3"}, {u"d", u"4"}});
    Listen(table, u"NID_SELECTION_CHANGE");
    Listen(*table.GetColumn(0), u"NID_SELECTION_CHANGE");

    // Each column reports its own change; the table reports once, whichever column the
    // user touched.
    const std::multiset<std::string> once{"listboxNoScroll1:NID_SELECTION_CHANGE", "table:NID_SELECTION_CHANGE"};
    Click(Cell(1, 2));
    EXPECT_EQ(Selected(*table.GetColumn(0)), std::set<int>{2});
    EXPECT_EQ(Selected(*table.GetColumn(1)), std::set<int>{2});
    EXPECT_EQ(std::multiset<std::string>(log.begin(), log.end()), once);

    log.clear();
    Click(Cell(0, 0));
    EXPECT_EQ(Selected(*table.GetColumn(1)), std::set<int>{0}) << "the selection is replaced";
    EXPECT_EQ(std::multiset<std::string>(log.begin(), log.end()), once);

    log.clear();
    EXPECT_EQ(table.GetColumn(1)->Deselect(0), QK_OK);
    EXPECT_TRUE(Selected(*table.GetColumn(0)).empty());
    EXPECT_EQ(std::multiset<std::string>(log.begin(), log.end()), once);
}

TEST_F(MultiColumnListBoxTest, HoverAndTheHoveredLookReachTheSameRowOfEveryColumn)
{
    ProbeTable& table = Table();
    Fill(table, {{u"a", u"1"}, {u"b", u"2"}, {u"c", u"3"}});
    LListBoxItem& other = *table.GetColumn(1)->GetRowControl(1);
    script.Move(Cell(0, 1));
    EXPECT_NE(other.GetConditions() & LControl::kHover, 0u) << "the other cell of the hovered row";
    EXPECT_EQ(table.GetColumn(1)->GetRowControl(0)->GetConditions() & LControl::kHover, 0u);
    EXPECT_EQ(table.GetColumn(0)->GetRowControl(1)->GetConditions() & LControl::kPointerOver, LControl::kPointerOver);
    script.Move(Cell(0, 2));
    EXPECT_EQ(other.GetConditions() & LControl::kHover, 0u) << "hover ended";
    EXPECT_NE(table.GetColumn(1)->GetRowControl(2)->GetConditions() & LControl::kHover, 0u);

    // A condition change that keeps the hover passes on the look the row shows.
    LConditionsParam same(LControl::kHover, LControl::kHover, 0.0, 0.0);
    const RCPtr<LItemConditionsParam> argument = LItemConditionsParam::Create(same, 1, 9, true);
    table.GetColumn(0)->SendNotification(
        LNotification::Create(u"NID_ITEM_HOVER_CONDITION_CHANGE", ConstRCPtr<LRefCountedObject>(argument.Get())));
    EXPECT_EQ(other.GetCurrentLookIndex(), 9);
}

TEST_F(MultiColumnListBoxTest, TheTableScrollsVerticallyAsOneAndEachColumnKeepsItsHorizontalOffset)
{
    ProbeTable& table = Table();
    std::vector<std::vector<const char16_t*>> rows(20, {u"left", u"right"});
    Fill(table, rows);
    EXPECT_EQ(table.GetClientExtentSize().second, 200.0) << "the first column's content";
    LListBox& left = *table.GetColumn(0);
    LListBox& right = *table.GetColumn(1);
    right.SetScrollOffset(PointD{5.0, 0.0});
    ASSERT_EQ(left.ScrollItemIntoView(8), QK_OK);
    EXPECT_EQ(left.GetScrollOffset().y, 30.0) << "item 8 the last of six rows";
    EXPECT_EQ(table.GetScrollOffset().y, 30.0);
    EXPECT_EQ(right.GetScrollOffset(), (PointD{5.0, 30.0}));
    EXPECT_EQ(right.GetTopIndex(), 3u);
    ASSERT_TRUE(table.GetVerticalBar());
    EXPECT_GT(table.GetVerticalBar()->GetValue(), 0.0) << "the bar follows";

    EXPECT_EQ(table.SetScrollOffset(PointD{0.0, 60.0}), QK_OK);
    EXPECT_EQ(left.GetScrollOffset(), (PointD{0.0, 60.0}));
    EXPECT_EQ(right.GetScrollOffset(), (PointD{5.0, 60.0}));
    EXPECT_EQ(left.GetTopIndex(), 6u);
    EXPECT_EQ(left.GetBounds().y, 12.0 + 60.0) << "the columns stay in view; their contents scroll";

    script.Move(Cell(0, 0)).Press(1, Cell(0, 0)).Release(1, Cell(0, 0));
    script.Key(0x28);
    EXPECT_EQ(Selected(right), std::set<int>{7}) << "the keys of the first column move the whole table";
}

TEST_F(MultiColumnListBoxTest, ItemNotificationsOfAnyColumnComeOnceFromTheTableWithoutArgument)
{
    ProbeTable& table = Table();
    Fill(table, {{u"a", u"1"}, {u"b", u"2"}});
    const RCPtr<Recorder> doubles = Listen(table, u"NID_ITEM_DOUBLE_CLICKED");
    const RCPtr<Recorder> rights = Listen(table, u"NID_ITEM_RIGHT_CLICK");
    const RCPtr<Recorder> activations = Listen(table, u"NID_ITEM_ACTIVATED");

    Click(Cell(1, 1));
    harness.Host().Press(1, Cell(1, 1), 2);
    harness.Host().Release(1, Cell(1, 1));
    script.Press(4, Cell(0, 0)).Release(4, Cell(0, 0));
    table.GetColumn(1)->ActivateItem(1);
    EXPECT_EQ(log, (std::vector<std::string>{"table:NID_ITEM_DOUBLE_CLICKED", "table:NID_ITEM_RIGHT_CLICK",
                                              "table:NID_ITEM_ACTIVATED"}));
    for (const RCPtr<Recorder>& recorder : {doubles, rights, activations})
        EXPECT_EQ(recorder->arguments, std::vector<std::string>{""});
    EXPECT_NE(harness.Root()->GetFocusControl().Get(), table.GetColumn(1)) << "the second column takes no focus";
}

TEST_F(MultiColumnListBoxTest, AHeaderWithoutAColumnSortsNothingAndTheTableStillMirrors)
{
    ProbeTable& gappy = Table("gappy");
    Fill(gappy, {{u"b", u"2"}, {u"a", u"1"}});
    // The header of column 3 is at x 320 in the window; column 2's cells at x 290.
    Click(PointL{320, 16});
    gappy.PerformSort(2);
    gappy.PerformSort(-1);
    EXPECT_EQ(ColumnTexts(gappy, 0), (std::vector<std::string>{"b", "a"}));
    EXPECT_TRUE(gappy.IsNextSortAscending(0));
    EXPECT_TRUE(gappy.IsNextSortAscending(1));

    Listen(gappy, u"NID_SELECTION_CHANGE");
    Click(PointL{290, 27 + 10});
    EXPECT_EQ(Selected(*gappy.GetColumn(0)), std::set<int>{1});
    EXPECT_EQ(log, std::vector<std::string>{"gappy:NID_SELECTION_CHANGE"});
    Click(PointL{230, 16});
    EXPECT_EQ(ColumnTexts(gappy, 1), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(Selected(*gappy.GetColumn(1)), std::set<int>{0}) << "the selected row moved up";
}

TEST_F(MultiColumnListBoxTest, ASortThatCannotStopHearingAColumnRaisesItsFailureAndMovesNothing)
{
    ProbeTable& table = Table();
    Fill(table, {{u"b", u"2"}, {u"a", u"1"}});
    table.DetachFromDistributor(ConstRCPtr<LNotificationDistributor>(table.GetColumn(1)),
                                GetNotificationId(u"NID_SELECTION_CHANGE"));
    try
    {
        table.PerformSort(0);
        FAIL() << "no exception";
    }
    catch (const std::exception& e)
    {
        EXPECT_STREQ(e.what(), "Failed Result : QKRESULT = 80004005 : QK::LMultiColumnListBox::PerformSort : "
                               "Controls\\MultiColumnListBox : Line 725");
    }
    EXPECT_EQ(ColumnTexts(table, 0), (std::vector<std::string>{"b", "a"}));
    EXPECT_TRUE(table.IsNextSortAscending(0));
    try
    {
        CheckResult(QK_E_FAIL, LMultiColumnListBox::kResubscribeSite);
        FAIL() << "no exception";
    }
    catch (const std::exception& e)
    {
        EXPECT_STREQ(e.what(), "Failed Result : QKRESULT = 80004005 : QK::LMultiColumnListBox::PerformSort : "
                               "Controls\\MultiColumnListBox : Line 768");
    }
}

// A 250 x 130 window: a table of two columns under their headers, sorted by name with a
// header click, its selected row and one alternate row travelling with their names.
std::string PictureTree()
{
    const auto header = [](int n, int x)
    {
        return R"(<SubControl Class="Framework.Button" Name="buttonColumnHeader)" + std::to_string(n) +
               R"(" XPositionAbs=")" + std::to_string(x) +
               R"(" YPositionAbs="0" XSizeAbs="110" YSizeAbs="18"><Skin Name="h" LookList="header"/></SubControl>)";
    };
    const auto column = [](int n, int x)
    {
        return R"(<SubControl Class="Framework.listboxNoScroll" Name="listboxNoScroll)" + std::to_string(n) +
               R"(" XPositionAbs=")" + std::to_string(x) + R"(" YPositionAbs="18" XSizeAbs="110" YSizeAbs="92"><Skin Name="l" LookList="list"/>
        <SubControl Class="Framework.ListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="18"><Skin Name="r" LookList="rows"/></SubControl>
      </SubControl>)";
    };
    return R"(<Skin Name="s" FontName="DejaVu Sans" FontSize="10">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="250" YSizeAbs="130" TabStop="-1"><Skin Name="t" LookList="back"/>
    <SubControl Class="Framework.listbox2ColumnSortable" Name="table" XPositionAbs="10" YPositionAbs="10" XSizeAbs="220" YSizeAbs="110" TabStop="1"><Skin Name="t" LookList="back"/>
      )" + header(1, 0) + header(2, 110) + column(1, 0) + column(2, 110) + R"(
    </SubControl>
  </SubControl>
</Skin>)";
}

std::string PictureLooks()
{
    const std::string text = R"(<TextProperties TextLeftRel="0" TextLeftAbs="5" TextRightRel="1" TextRightAbs="-5" TextHAlign="0"
        TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0.5" TextForegroundPart="ink"/>)";
    const auto flat = [&](const char* name, const char* part)
    {
        return std::string("<Look Name=\"") + name + "\"><ClientPart Name=\"" + part +
               R"(" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>)" + text + "</Look>";
    };
    // A header: its colour inside a 1 px frame at its right and bottom.
    const std::string headerLook =
        R"(<Look Name="header"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/><NonClientParts><NonClientPart Name="header" OffsetLeft="0" OffsetTop="0" OffsetRight="-1" OffsetBottom="-1"/></NonClientParts>)" +
        text + "</Look>";
    const std::string listFrame =
        R"(<Look Name="frame"><ClientPart Name="white" OffsetLeft="1" OffsetTop="1" OffsetRight="-1" OffsetBottom="-1"/><NonClientParts><NonClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></NonClientParts></Look>)";
    std::string rows;
    for (int i = 0; i < 14; ++i)
    {
        const char* look = i >= 7 && i <= 12 ? "selected" : i == 1 || i == 4 ? "hover" : i == 3 ? "alternate" : "row";
        rows += std::string("<Look Name=\"") + look + "\" Index=\"" + std::to_string(i) + "\"/>";
    }
    std::string headers;
    for (int i = 0; i < 14; ++i)
        headers += "<Look Name=\"header\" Index=\"" + std::to_string(i) + "\"/>";
    return R"(
  <Colorizers><Colorizer Name="back" ColorType="SolidFill" Color="FFE8E8E8"/>
    <Colorizer Name="white" ColorType="SolidFill" Color="FFFFFFFF"/>
    <Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/>
    <Colorizer Name="header" ColorType="SolidFill" Color="FFD0D4DC"/>
    <Colorizer Name="alternate" ColorType="SolidFill" Color="FFF0F4F8"/>
    <Colorizer Name="highlight" ColorType="SolidFill" Color="FFB8D0F0"/>
    <Colorizer Name="ink" ColorType="SolidFill" Color="FF000000"/></Colorizers>
  <Parts><Part Name="back" Width="1" Height="1" ResizeType="Stretch" ColorizerName="back"/>
    <Part Name="white" Width="1" Height="1" ResizeType="Stretch" ColorizerName="white"/>
    <Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/>
    <Part Name="header" Width="1" Height="1" ResizeType="Stretch" ColorizerName="header"/>
    <Part Name="alternate" Width="1" Height="1" ResizeType="Stretch" ColorizerName="alternate"/>
    <Part Name="highlight" Width="1" Height="1" ResizeType="Stretch" ColorizerName="highlight"/>
    <Part Name="ink" Width="1" Height="1" ResizeType="Stretch" ColorizerName="ink"/></Parts>
  <Looks>
    <Look Name="back"><ClientPart Name="back" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    )" + headerLook +
           listFrame + flat("row", "white") + flat("hover", "back") + flat("alternate", "alternate") +
           flat("selected", "highlight") + R"(
  </Looks>
  <LookLists><LookList Name="back" NumLooks="1"><Look Name="back" Index="0"/></LookList>
    <LookList Name="list" NumLooks="1"><Look Name="frame" Index="0"/></LookList>
    <LookList Name="header" NumLooks="14">)" +
           headers + R"(</LookList>
    <LookList Name="rows" NumLooks="14">)" +
           rows + "</LookList></LookLists>";
}

TEST(MultiColumnListBoxPicture, ASortedTable)
{
    const ScopedEnvironment dpi("VEDIDU_DPI", "96");
    WindowHarness harness(PictureTree(), std::string(), PictureLooks());
    const ScopedRenderApp measuring;
    RegisterClasses(harness.Factory());
    const RCPtr<LRenderer> renderer = LRenderer::Create(1, 0);
    RecordingWindowHost host;
    host.clientRect = {0, 0, 250, 130};
    const auto window = LRootWindow::Create(renderer, &host);
    ASSERT_EQ(window->SetRootControl(WString(u"top")), QK_OK);
    LControl& top = *window->GetRootControl();
    auto& table = dynamic_cast<LMultiColumnListBox&>(*top.FindChild(WString(u"table")));
    ASSERT_EQ(table.GetColumnCount(), 2u);
    table.GetHeader(0)->SetText(WString(u"Name"));
    table.GetHeader(1)->SetText(WString(u"Channel"));
    const std::vector<std::pair<const char16_t*, const char16_t*>> rows{
        {u"beta", u"Ch 2"}, {u"Alpha", u"Ch 1"}, {u"gamma", u"Ch 3"}, {u"delta", u"Ch 4"}, {u"Epsilon", u"Ch 5"}};
    for (const auto& [name, channel] : rows)
    {
        table.GetColumn(0)->AddItem(WString(name));
        table.GetColumn(1)->AddItem(WString(channel));
    }
    table.GetColumn(0)->SetItemAlternate(2, true);
    table.GetColumn(1)->SetItemAlternate(2, true);
    ASSERT_EQ(table.GetColumn(1)->SelectItemRange(3, -1, true), 3);
    table.PerformSort(0);
    ASSERT_EQ(Narrow(table.GetCellText(0, 2)), "delta");
    ASSERT_EQ(Narrow(table.GetCellText(1, 4)), "Ch 3");

    RCPtr<LRenderContextInfo> context;
    ASSERT_EQ(renderer->InitRenderContextInfo({0, 0, 250, 130}, 0, true, context), QK_OK);
    renderer->RenderStart(context);
    RectRegion region;
    window->TakeUpdateRegion(region);
    region.AddRect(0, 0, 250, 130);
    window->Paint(region);
    renderer->RenderFinish(context);

    const IDrawingSurface& surface = static_cast<LGDIRenderContextInfo&>(*context).GetFrontSurface().GetSurface();
    // Rows are 18 px from y 29 (table 10, headers 18, frame 1).
    const auto rowMiddle = [](int row) { return 29 + 18 * row + 9; };
    EXPECT_EQ(surface.GetPixel(5, 5), 0xFFE8E8E8u) << "background";
    EXPECT_EQ(surface.GetPixel(100, 14), 0xFFD0D4DCu) << "the first header";
    EXPECT_EQ(surface.GetPixel(100, rowMiddle(2)), 0xFFB8D0F0u) << "delta's row selected in the first column";
    EXPECT_EQ(surface.GetPixel(210, rowMiddle(2)), 0xFFB8D0F0u) << "and in the second";
    EXPECT_EQ(surface.GetPixel(210, rowMiddle(4)), 0xFFF0F4F8u) << "gamma's alternate row, last";
    EXPECT_EQ(surface.GetPixel(100, rowMiddle(0)), 0xFFFFFFFFu) << "a plain row";

    EXPECT_TRUE(SavePicture(surface, "multi-column-list-sorted.png"));
    window->SetHost(nullptr);
    window->SetRootControl(RCPtr<LControl>());
    LNotificationCenterManager::ReleaseInstance();
}

} // namespace
} // namespace QK
