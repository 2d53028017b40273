// The scroll view with both bars and a corner through a real root window: when the bars
// show, their ranges and steps, bars and offset following each other, the wheel, the
// automatic extent and the fixed step in pixels.
#include "QKFramework/ControlBase/ScrollView.h"

#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/ScrollBar.h"
#include "QKFramework/Controls/TextBox.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

#include "tests/support/UI/ControlTestTools.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

// One bar of the view: "dec" and "inc" docked at its ends, outside its client area, the
// channel filling the client area under the thumb. vertical: along Y.
std::string Bar(bool vertical)
{
    const std::string a = vertical ? "Y" : "X";
    const std::string b = vertical ? "X" : "Y";
    const std::string name = vertical ? "vBar" : "hBar";
    const std::string place =
        vertical ? R"(XIsDocked="True" YIsDocked="True" XPositionToControl="corner" XSizeToControl="corner" XSizeRel="1" XSizeAbs="0" YPositionToControl="Parent" YSizeToControl="corner" YSizeAbs="0")"
                 : R"(XIsDocked="True" YIsDocked="True" YPositionToControl="corner" YSizeToControl="corner" YSizeRel="1" YSizeAbs="0" XPositionToControl="Parent" XSizeToControl="corner" XSizeAbs="0")";
    return R"(<SubControl Class="Framework.ScrollBar" Name=")" + name + "\" " + place + R"(><Skin Name="s)" + name +
           R"(" LookList=")" + (vertical ? "vbar" : "hbar") + R"("/>
        <SubControl Class="Framework.Button" Name="dec" XIsDocked="True" YIsDocked="True" XPositionToControl="Parent" YPositionToControl="Parent" )" +
           b + R"(SizeToControl="Parent" )" + b + R"(SizeRel="1" )" + b + R"(SizeAbs="0" )" + a +
           R"(SizeAbs="10"><Skin Name="d" LookList="arrow"/></SubControl>
        <SubControl Class="Framework.Button" Name="inc" XIsDocked="True" YIsDocked="True" XPositionToControl="Parent" YPositionToControl="Parent" )" +
           a + R"(PositionRel="1" )" + a + R"(PositionAbs="-10" )" + b + R"(SizeToControl="Parent" )" + b +
           R"(SizeRel="1" )" + b + R"(SizeAbs="0" )" + a + R"(SizeAbs="10"><Skin Name="i" LookList="arrow"/></SubControl>
        <SubControl Class="Test.Probe" Name="channel" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="c" LookList="channel"/></SubControl>
        <SubControl Class="Framework.Button" Name="thumb" )" +
           b + R"(SizeToControl="Client" )" + b + R"(SizeRel="1" )" + b + R"(SizeAbs="0" )" + a +
           R"(SizeAbs="10"><Skin Name="t" LookList="thumb"/></SubControl>
      </SubControl>)";
}

// withTextBox: the picture's tree, with a text box "box" beside the view in a font of its own
// (the default font's metrics are measured once per process, by the fake renderer elsewhere).
std::string Tree(bool withTextBox = false)
{
    const std::string box =
        withTextBox
            ? R"(
    <SubControl Class="Framework.TextBox" Name="box" XPositionAbs="120" YPositionAbs="10" XSizeAbs="110" YSizeAbs="24" TabStop="1" FontName="DejaVu Sans" FontSize="10" FontInheritsFromParent="False"><Skin Name="b" LookList="box"/></SubControl>)"
            : "";
    return R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="page"/>
    <SubControl Class="Framework.ScrollView" Name="view" XPositionAbs="10" YPositionAbs="10" XSizeAbs="100" YSizeAbs="80"><Skin Name="v" LookList="page"/>
      <SubControl Class="Test.Probe" Name="content" XSizeAbs="10" YSizeAbs="10"><Skin Name="x" LookList="content"/></SubControl>
      <SubControl Class="Test.Probe" Name="corner" XIsDocked="True" YIsDocked="True" XPositionToControl="Parent" XPositionRel="1" XPlacementAnchor="1" XSizeAbs="13" YPositionToControl="Parent" YPositionRel="1" YPlacementAnchor="1" YSizeAbs="13"><Skin Name="k2" LookList="corner"/></SubControl>
      )" + Bar(true) +
           "\n      " + Bar(false) + R"(
    </SubControl>
    <SubControl Class="Framework.ScrollView" Name="auto" XPositionAbs="200" YPositionAbs="10" XSizeAbs="100" YSizeAbs="80"><Skin Name="a" LookList="page"/>
      <CreateParamList><CreateParam ID="AUTO_CLIENT_EXTENT_Y"> True </CreateParam></CreateParamList>
      <SubControl Class="Test.Probe" Name="tall" XPositionAbs="5" YPositionAbs="20" XSizeAbs="40" YSizeAbs="150"/>
      <SubControl Class="Test.Probe" Name="dockedWide" XIsDocked="True" YIsDocked="True" XPositionAbs="0" YPositionAbs="0" XSizeAbs="500" YSizeAbs="500"/>
    </SubControl>)" + box + R"(
  </SubControl>
</Skin>)";
}

// withTextBox adds the text box's looks: a grey frame, blue when focused, the selection
// highlight as a non-client part so that it lies over the focused look's white.
std::string Looks(bool withTextBox = false)
{
    const auto solid = [](const char* name, const char* colour)
    {
        return std::string(R"(<Colorizer Name=")") + name + R"(" ColorType="SolidFill" Color=")" + colour + R"("/>)";
    };
    const auto part = [](const char* name)
    { return std::string(R"(<Part Name=")") + name + R"(" Width="1" Height="1" ResizeType="Stretch" ColorizerName=")" + name + R"("/>)"; };
    const auto look = [](const char* name, const char* part, const char* offsets)
    {
        return std::string(R"(<Look Name=")") + name + R"("><ClientPart Name=")" + part + "\" " + offsets + "/></Look>";
    };
    const char* const none = R"(OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0")";
    const auto list = [](const char* name, const char* look, int count, int used)
    {
        std::string text = std::string(R"(<LookList Name=")") + name + R"(" NumLooks=")" + std::to_string(count) + "\">";
        for (int i = 0; i < used; ++i)
            text += std::string(R"(<Look Name=")") + look + R"(" Index=")" + std::to_string(i) + R"("/>)";
        return text + "</LookList>";
    };
    std::string boxParts[4];
    if (withTextBox)
    {
        const std::string text = R"(<TextProperties TextLeftRel="0" TextLeftAbs="4" TextRightRel="1" TextRightAbs="-4" TextHAlign="0"
        TextTopRel="0" TextTopAbs="4" TextBottomRel="1" TextBottomAbs="-4" TextVAlign="0.5" TextForegroundPart="ink"/>)";
        const auto framed = [&](const char* name, const char* frame, int inset)
        {
            const std::string in = std::to_string(inset);
            return std::string(R"(<Look Name=")") + name + R"("><ClientPart Name=")" + frame +
                   R"(" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/><NonClientParts><NonClientPart Name="white" OffsetLeft=")" +
                   in + R"(" OffsetTop=")" + in + R"(" OffsetRight="-)" + in + R"(" OffsetBottom="-)" + in +
                   R"("/></NonClientParts>)" + text + "</Look>";
        };
        const char* const lookOfIndex[14] = {"normal", "normal", "normal", "focused", "focused", "normal", "normal",
                                             "normal", "normal", "normal", "selection", "selection", "normal", "normal"};
        std::string list = R"(<LookList Name="box" NumLooks="14">)";
        for (int i = 0; i < 14; ++i)
            list += std::string(R"(<Look Name=")") + lookOfIndex[i] + R"(" Index=")" + std::to_string(i) + R"("/>)";
        boxParts[0] = solid("white", "FFFFFFFF") + solid("grey", "FF808080") + solid("blue", "FF3070C0") +
                      solid("highlight", "FFB8D0F0") + solid("ink", "FF000000");
        boxParts[1] = part("white") + part("grey") + part("blue") + part("highlight") + part("ink");
        boxParts[2] = framed("normal", "grey", 1) + framed("focused", "blue", 2) +
                      R"(<Look Name="selection"><NonClientParts><NonClientPart Name="highlight" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></NonClientParts>)" +
                      text + "</Look>";
        boxParts[3] = list + "</LookList>";
    }
    return "<Colorizers>" + boxParts[0] + solid("page", "FFF4F4F4") + solid("content", "FF5B8DD6") + solid("track", "FFD8D8D8") +
           solid("knob", "FF6E6E6E") + solid("arrow", "FFA8A8A8") + solid("hot", "FFB8C8E8") + "</Colorizers><Parts>" + boxParts[1] +
           part("page") + part("content") + part("track") + part("knob") + part("arrow") + part("hot") + "</Parts><Looks>" + boxParts[2] +
           look("page", "page", none) + look("content", "content", none) + look("track", "track", none) +
           look("knob", "knob", R"(OffsetLeft="2" OffsetTop="2" OffsetRight="-2" OffsetBottom="-2")") +
           look("arrow", "arrow", R"(OffsetLeft="1" OffsetTop="1" OffsetRight="-1" OffsetBottom="-1")") +
           look("hot", "hot", none) +
           look("vbar", "track", R"(OffsetLeft="0" OffsetTop="10" OffsetRight="0" OffsetBottom="-10")") +
           look("hbar", "track", R"(OffsetLeft="10" OffsetTop="0" OffsetRight="-10" OffsetBottom="0")") +
           "</Looks><LookLists>" + list("page", "page", 1, 1) + list("content", "content", 1, 1) +
           list("corner", "track", 1, 1) + list("vbar", "vbar", 1, 1) + list("hbar", "hbar", 1, 1) +
           list("thumb", "knob", 14, 14) + list("arrow", "arrow", 14, 14) +
           R"(<LookList Name="channel" NumLooks="2"><Look Name="track" Index="0"/><Look Name="hot" Index="1"/></LookList>)" +
           boxParts[3] + "</LookLists>";
}

class ScrollViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.Factory().RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.ScrollBar"), &LScrollbar::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.ScrollView"), &LScrollView::Create);
        ASSERT_TRUE(harness.SetRoot(u"top"));
        view = dynamic_cast<LScrollView*>(harness.Find("view").Get());
        ASSERT_NE(view, nullptr);
        vBar = view->GetVerticalBar();
        hBar = view->GetHorizontalBar();
        ASSERT_NE(vBar, nullptr);
        ASSERT_NE(hBar, nullptr);
    }
    void TearDown() override
    {
        counter->Stop();
        LNotificationCenterManager::ReleaseInstance();
    }

    // "v" and "h" for the bars that show.
    std::string Shown() const
    {
        return std::string(LScrollView::IsUsable(vBar) ? "v" : "") + (LScrollView::IsUsable(hBar) ? "h" : "");
    }
    QKRESULT Wheel(std::int32_t direction, std::uint32_t modifiers, bool horizontal = false)
    {
        const RCPtr<LMouseWheelParam> wheel = LMouseWheelParam::Create({20, 20}, modifiers, direction);
        return horizontal ? view->OnMouseHWheel(wheel.Get()) : view->OnMouseWheel(wheel.Get());
    }

    WindowHarness harness{Tree(), std::string(), Looks()};
    LScrollView* view = nullptr;
    LScrollbar* vBar = nullptr;
    LScrollbar* hBar = nullptr;
    RCPtr<NotificationCounter> counter{new NotificationCounter};
};

TEST_F(ScrollViewTest, BarsShowOnlyWhileTheContentDoesNotFit)
{
    struct Case
    {
        double width;
        double height;
        const char* shown;
        const char* what;
    };
    // The view is 100 x 80 and a bar 13 thick.
    const Case cases[] = {
        {0, 0, "", "no content"},
        {100, 80, "", "an exact fit"},
        {50, 81, "v", "one pixel taller"},
        {101, 50, "h", "one pixel wider"},
        {90, 81, "vh", "the vertical bar leaves too little width"},
        {101, 70, "vh", "the second pass: the horizontal bar leaves too little height"},
        {101, 67, "h", "just fits above the horizontal bar"},
        {87, 200, "v", "just fits beside the vertical bar"},
        {50, 40, "", "smaller than the view"},
    };
    for (const Case& c : cases)
    {
        view->SetClientExtent(c.width, c.height);
        EXPECT_EQ(Shown(), c.shown) << c.what;
        // Hidden through zero thickness, never through the visible flag.
        EXPECT_TRUE(vBar->GetLayoutDescriptor()->IsVisible) << c.what;
        const DoublePair sizes = view->GetScrollBarSizes();
        EXPECT_EQ(sizes.first, std::string(c.shown).find('v') != std::string::npos ? 13.0 : 0.0) << c.what;
        EXPECT_EQ(sizes.second, std::string(c.shown).find('h') != std::string::npos ? 13.0 : 0.0) << c.what;
    }
}

TEST_F(ScrollViewTest, RangesAndStepsFollowTheExtent)
{
    view->SetClientExtent(50, 40);
    EXPECT_EQ(vBar->GetRangeMaximum(), -40.0);
    EXPECT_EQ(vBar->GetVisibleFraction(), 1.0);
    EXPECT_EQ(vBar->GetPageStep(), 1.0);
    EXPECT_EQ(vBar->GetLineStep(), 0.1);
    EXPECT_EQ(view->GetScrollOffset().y, 0.0);

    view->SetClientExtent(50, 200);
    EXPECT_EQ(vBar->GetRangeMaximum(), 120.0);
    EXPECT_EQ(vBar->GetVisibleFraction(), static_cast<double>(80.0f / 200.0f));
    EXPECT_EQ(vBar->GetPageStep(), static_cast<double>(80.0f / 120.0f));
    EXPECT_DOUBLE_EQ(vBar->GetLineStep(), static_cast<double>(80.0f / 120.0f) / 10.0);

    // A fixed step in pixels is its share of the range; with no range the tenth stands.
    view->SetSmallScrollStep(14.0);
    EXPECT_DOUBLE_EQ(vBar->GetLineStep(), 14.0 / 120.0);
    EXPECT_EQ(view->GetSmallScrollStep(), 14.0);
    view->SetClientExtent(50, 80);
    EXPECT_EQ(vBar->GetLineStep(), 0.1);
}

TEST_F(ScrollViewTest, TheSameExtentTwiceNotifiesOnce)
{
    counter->Listen(*view, u"NID_CLIENT_EXTENT_CHANGE");
    EXPECT_EQ(view->SetClientExtent(50, 200), QK_OK);
    EXPECT_EQ(view->SetClientExtent(50, 200), QK_FALSE);
    EXPECT_EQ(view->SetClientExtent(50, 200 + 1e-15), QK_FALSE);
    EXPECT_EQ(counter->Count(), 1);
    EXPECT_EQ(view->SetClientExtent(50, 201), QK_OK);
    EXPECT_EQ(counter->Count(), 2);
}

TEST_F(ScrollViewTest, BarsAndOffsetFollowEachOther)
{
    view->SetClientExtent(300, 200);
    ASSERT_EQ(Shown(), "vh");
    counter->Listen(*view, u"NID_SCROLL_OFFSET_CHANGE");
    // Visible: 87 x 67, so the ranges are 213 and 133.
    vBar->SetValue(0.5);
    EXPECT_EQ(view->GetScrollOffset().y, 67.0); // 66.5 rounds away from zero
    EXPECT_EQ(view->GetScrollOffset().x, 0.0);
    hBar->SetValue(1.0);
    EXPECT_EQ(view->GetScrollOffset().x, 213.0);
    EXPECT_EQ(view->GetScrollOffset().y, 67.0);
    EXPECT_EQ(counter->Count(), 2);

    view->SetScrollOffset({0.0, 133.0});
    EXPECT_EQ(vBar->GetValue(), 1.0);
    EXPECT_EQ(hBar->GetValue(), 0.0);
    EXPECT_EQ(view->GetScrollOffset().y, 133.0);
    EXPECT_EQ(counter->Count(), 3) << "moving the bars scrolls no second time";
}

// A view with two focusable children far apart, "first" at its top and "second" 150 px down,
// and the keys as the window delivers them to the focused one, which takes none of them.
class ScrollViewKeysTest : public ::testing::Test
{
protected:
    static std::string KeysTree()
    {
        return R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="page"/>
    <SubControl Class="Framework.ScrollView" Name="view" XPositionAbs="10" YPositionAbs="10" XSizeAbs="100" YSizeAbs="80"><Skin Name="v" LookList="page"/>
      <SubControl Class="Test.Probe" Name="first" XSizeAbs="10" YSizeAbs="10" TabStop="1"><Skin Name="x" LookList="content"/></SubControl>
      <SubControl Class="Test.Probe" Name="second" YPositionAbs="150" XSizeAbs="10" YSizeAbs="10" TabStop="2"><Skin Name="y" LookList="content"/></SubControl>
      <SubControl Class="Test.Probe" Name="corner" XIsDocked="True" YIsDocked="True" XPositionToControl="Parent" XPositionRel="1" XPlacementAnchor="1" XSizeAbs="13" YPositionToControl="Parent" YPositionRel="1" YPlacementAnchor="1" YSizeAbs="13"><Skin Name="k2" LookList="corner"/></SubControl>
      )" + Bar(true) + "\n      " + Bar(false) + R"(
    </SubControl>
  </SubControl>
</Skin>)";
    }
    void SetUp() override
    {
        harness.Factory().RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.ScrollBar"), &LScrollbar::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.ScrollView"), &LScrollView::Create);
        ASSERT_TRUE(harness.SetRoot(u"top"));
        view = dynamic_cast<LScrollView*>(harness.Find("view").Get());
        ASSERT_NE(view, nullptr);
        ASSERT_NE(view->GetVerticalBar(), nullptr);
    }
    void TearDown() override { LNotificationCenterManager::ReleaseInstance(); }
    void Press(std::uint32_t virtualKey, std::uint32_t modifiers = 0)
    {
        harness.Host().Key(virtualKey, true, modifiers);
        harness.Host().Key(virtualKey, false, modifiers);
    }

    static constexpr std::uint32_t kPageUp = 0x21, kPageDown = 0x22, kEnd = 0x23, kHome = 0x24, kTab = 0x09;
    WindowHarness harness{KeysTree(), std::string(), Looks()};
    LScrollView* view = nullptr;
};

TEST_F(ScrollViewKeysTest, KeysScrollOnlyAViewThatShowsABarAndNeverPastTheContent)
{
    const RCPtr<LControl> first = harness.Find("view/first");
    ASSERT_EQ(first->SetFocus(true), QK_OK);
    ASSERT_TRUE(first->HasFocus());
    LScrollbar& bar = *view->GetVerticalBar();
    struct Step
    {
        std::uint32_t key;
        double y;
    };
    // The content fits (40 of 80 tall): nothing scrolls, whatever the key or the bar's value;
    // the hidden bar's range ends below 0, where its far end must not take the view.
    view->SetClientExtent(50, 40);
    ASSERT_FALSE(LScrollView::IsUsable(&bar));
    for (const std::uint32_t key : {kEnd, kPageDown, kHome, kPageUp, kEnd})
    {
        Press(key);
        EXPECT_EQ(view->GetScrollOffset().y, 0.0) << "key " << key;
    }
    bar.SetValue(1.0);
    EXPECT_EQ(view->GetScrollOffset().y, 0.0) << "a hidden bar at its end";
    bar.SetValue(0.0);

    // 200 tall: the bar shows, End and Home go to the ends and back, pages stop at them.
    view->SetClientExtent(50, 200);
    ASSERT_TRUE(LScrollView::IsUsable(&bar));
    const Step steps[] = {{kEnd, 120.0},      {kHome, 0.0},       {kPageDown, 80.0}, {kPageDown, 120.0},
                          {kPageDown, 120.0}, {kPageUp, 40.0},    {kPageUp, 0.0},    {kPageUp, 0.0}};
    for (const Step& step : steps)
    {
        Press(step.key);
        EXPECT_EQ(view->GetScrollOffset().y, step.y) << "key " << step.key;
    }
    EXPECT_TRUE(first->HasFocus()) << "the keys left the focus where it was";
}

TEST_F(ScrollViewKeysTest, TheFocusTheKeyboardMovesIsScrolledIntoView)
{
    view->SetClientExtent(50, 200);
    const RCPtr<LControl> first = harness.Find("view/first");
    const RCPtr<LControl> second = harness.Find("view/second");
    ASSERT_EQ(first->SetFocus(true), QK_OK);
    Press(kTab);
    ASSERT_TRUE(second->HasFocus());
    EXPECT_EQ(view->GetScrollOffset().y, 80.0) << "as little as shows all of it: its bottom at the view's";
    Press(kTab, KeyCode::kFlagShift);
    ASSERT_TRUE(first->HasFocus());
    EXPECT_EQ(view->GetScrollOffset().y, 0.0);

    // Focus given by the program (or a click) leaves the view where the user put it.
    second->SetFocus(true);
    EXPECT_EQ(view->GetScrollOffset().y, 0.0);
    // Without a bar nothing scrolls.
    first->SetFocus(true);
    view->SetClientExtent(50, 40);
    Press(kTab);
    ASSERT_TRUE(second->HasFocus());
    EXPECT_EQ(view->GetScrollOffset().y, 0.0);
}

// The bar's value turns into whole pixels of offset, and the offset back into the value.
TEST(ScrollViewArea, TheVisibleAreaIsRecomputedWhenTheExtentTheOffsetOrTheSizeChanges)
{
    // A view whose extent follows its one child; the visible area ends at the child's far edges.
    const std::string tree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="page"/>
    <SubControl Class="Framework.ScrollView" Name="box" XPositionAbs="10" YPositionAbs="10" XSizeAbs="100" YSizeAbs="80"><Skin Name="v" LookList="page"/>
      <CreateParamList><CreateParam ID="AUTO_CLIENT_EXTENT_X">true</CreateParam><CreateParam ID="AUTO_CLIENT_EXTENT_Y">true</CreateParam></CreateParamList>
      <SubControl Class="Test.Probe" Name="item" XPositionAbs="5" YPositionAbs="5" XSizeAbs="20" YSizeAbs="10"/>
    </SubControl>
  </SubControl>
</Skin>)";
    WindowHarness harness(tree, std::string(), Looks());
    harness.Factory().RegisterControlClass(WString(u"Framework.ScrollView"), &LScrollView::Create);
    ASSERT_TRUE(harness.SetRoot(u"top"));
    auto& box = dynamic_cast<LScrollView&>(*harness.Find("box"));
    LControl& item = *box.FindChild(WString(u"item"));
    const auto area = [&]
    {
        const RectD& a = box.GetVisibleClientArea();
        return std::to_string(static_cast<int>(a.x)) + "," + std::to_string(static_cast<int>(a.y)) + " " +
               std::to_string(static_cast<int>(a.width)) + "x" + std::to_string(static_cast<int>(a.height));
    };
    EXPECT_EQ(area(), "0,0 25x15");
    // The child grows: the extent follows it, and with it the visible area.
    const RCPtr<LLayoutDescriptor> layout = item.GetLayoutDescriptor();
    item.SetAxisLayout(0, 0.0f, false, layout->X.Position, LayoutReference{2, WString(), 0.0f, 50.0});
    EXPECT_EQ(box.GetClientExtentSize().first, 55.0);
    EXPECT_EQ(area(), "0,0 55x15");
    item.SetAxisLayout(1, 0.0f, false, layout->Y.Position, LayoutReference{2, WString(), 0.0f, 200.0});
    EXPECT_EQ(area(), "0,0 55x80") << "no further than the view's client part";
    box.SetScrollOffset({0.0, 30.0});
    EXPECT_EQ(area(), "0,30 55x80");
    const RCPtr<LLayoutDescriptor> own = box.GetLayoutDescriptor();
    box.SetAxisLayout(1, 0.0f, false, own->Y.Position, LayoutReference{2, WString(), 0.0f, 60.0});
    EXPECT_EQ(area(), "0,30 55x60");
    LNotificationCenterManager::ReleaseInstance();
}

TEST_F(ScrollViewTest, TheWheelStepsABar)
{
    view->SetClientExtent(50, 200); // only the vertical bar: 80 of 200 shown, a page is 80 px
    struct Step
    {
        std::int32_t direction;
        std::uint32_t modifiers;
        double y;
    };
    const Step steps[] = {{0, 0, 8.0}, {0, 0x8, 88.0}, {1, 0x8, 8.0}, {1, 0, 0.0}, {1, 0, 0.0}};
    for (const Step& step : steps)
    {
        EXPECT_EQ(Wheel(step.direction, step.modifiers), QK_OK);
        EXPECT_EQ(view->GetScrollOffset().y, step.y) << step.direction << " " << step.modifiers;
    }

    view->SetClientExtent(300, 200); // both bars: 87 of 300 shown across, a tenth of a page 8.7 px
    Wheel(0, 0x40);                  // Alt: the horizontal bar
    EXPECT_EQ(view->GetScrollOffset().x, 9.0);
    EXPECT_EQ(view->GetScrollOffset().y, 0.0);
    Wheel(2, 0, true); // the horizontal wheel: 2 adds
    EXPECT_EQ(view->GetScrollOffset().x, 18.0);
    Wheel(3, 0, true);
    EXPECT_EQ(view->GetScrollOffset().x, 9.0);
    Wheel(0, 0);
    EXPECT_EQ(view->GetScrollOffset().y, 7.0) << "without Alt the vertical bar, 6.7 px";

    view->SetClientExtent(10, 10);
    EXPECT_EQ(Wheel(0, 0), QK_FALSE) << "no bar: not handled";
}

TEST_F(ScrollViewTest, TheAutomaticExtentFollowsTheChildrenButNotDockedOnes)
{
    auto* automatic = dynamic_cast<LScrollView*>(harness.Find("auto").Get());
    ASSERT_NE(automatic, nullptr);
    EXPECT_EQ(automatic->GetAutoClientExtent(), 0x2u) << "\" True \" counts as on";
    EXPECT_EQ(automatic->GetClientExtentSize().first, 0.0);
    EXPECT_EQ(automatic->GetClientExtentSize().second, 170.0);
    const auto [width, height] = automatic->GetChildrenExtent();
    EXPECT_EQ(width, 45);
    EXPECT_EQ(height, 170);
    automatic->SetAutoClientExtent(3, 5, -10);
    EXPECT_EQ(automatic->GetClientExtentSize().first, 50.0);
    EXPECT_EQ(automatic->GetClientExtentSize().second, 160.0);
    automatic->SetAutoClientExtent(0, 0, 0);
    EXPECT_EQ(automatic->UpdateClientExtent(), QK_FALSE);
}

// Both bars shown and the content scrolled, and beside the view a focused text box with
// "curve" selected in "Velocity curve", drawn by the software renderer with real fonts; the
// picture is saved for a person to look at.
// A drop-down list's view: no height when its parts are made, a corner that only carries the
// vertical bar's thickness, and a bar whose arrows sit inside it, above and below the channel.
TEST(ScrollViewBarParts, ABarMadeBeforeItsViewHasALengthIsVerticalAndItsThumbTravelsInItsChannel)
{
    const std::string tree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="page"/>
    <SubControl Class="Framework.ScrollView" Name="list" XPositionAbs="10" YPositionAbs="10" XSizeAbs="100" YSizeAbs="0"><Skin Name="v" LookList="page"/>
      <SubControl Class="Test.Probe" Name="corner" XIsDocked="True" YIsDocked="True" XPositionToControl="Parent" XPositionRel="1" XPlacementAnchor="1" XSizeAbs="13" YPositionToControl="Parent" YPositionRel="1" YPlacementAnchor="1" YSizeAbs="0"><Skin Name="c" LookList="corner"/></SubControl>
      <SubControl Class="Framework.ScrollBar" Name="vBar" XIsDocked="True" YIsDocked="True" XPositionToControl="Parent" XPositionRel="1" XPlacementAnchor="1" XSizeToControl="corner" XSizeRel="0" XSizeAbs="0" YSizeToControl="Parent" YSizeRel="1" YSizeAbs="0"><Skin Name="b" LookList="page"/>
        <SubControl Class="Framework.Button" Name="dec" XSizeToControl="Parent" XSizeRel="1" XSizeAbs="0" YSizeAbs="10"><Skin Name="d" LookList="arrow"/></SubControl>
        <SubControl Class="Framework.Button" Name="inc" YPositionToControl="Parent" YPositionRel="1" YPlacementAnchor="1" XSizeToControl="Parent" XSizeRel="1" XSizeAbs="0" YSizeAbs="10"><Skin Name="i" LookList="arrow"/></SubControl>
        <SubControl Class="Test.Probe" Name="channel" YPositionAbs="10" XSizeToControl="Parent" XSizeRel="1" XSizeAbs="0" YSizeToControl="Parent" YSizeRel="1" YSizeAbs="-10"><Skin Name="t" LookList="channel"/></SubControl>
        <SubControl Class="Framework.Button" Name="thumb" YPositionAbs="10" XSizeToControl="Parent" XSizeRel="1" XSizeAbs="0" YSizeAbs="10"><Skin Name="n" LookList="thumb"/></SubControl>
      </SubControl>
    </SubControl>
  </SubControl>
</Skin>)";
    WindowHarness harness(tree, std::string(), Looks());
    harness.Factory().RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
    harness.Factory().RegisterControlClass(WString(u"Framework.ScrollBar"), &LScrollbar::Create);
    harness.Factory().RegisterControlClass(WString(u"Framework.ScrollView"), &LScrollView::Create);
    ASSERT_TRUE(harness.SetRoot(u"top"));
    auto& list = dynamic_cast<LScrollView&>(*harness.Find("list"));
    LScrollbar& bar = *list.GetVerticalBar();
    ASSERT_GT(bar.GetWidth(), bar.GetHeight()) << "made with no length, the bar looks horizontal";

    const RCPtr<LLayoutDescriptor> layout = list.GetLayoutDescriptor();
    list.SetAxisLayout(1, 0.0f, false, layout->Y.Position, LayoutReference{2, WString(), 0.0f, 120.0});
    list.SetClientExtent(50.0, 1200.0);
    ASSERT_TRUE(LScrollView::IsUsable(&bar));
    EXPECT_EQ(bar.GetWidth(), 13.0) << "as wide as the corner";
    EXPECT_TRUE(bar.IsVertical());
    const RectD& channel = bar.FindChild(WString(u"channel"))->GetBounds();
    const RectD& thumb = bar.GetThumb()->GetBounds();
    EXPECT_EQ(thumb.height, 10.0) << "the shortest thumb: a tenth of the list shows";
    EXPECT_EQ(thumb.width, 13.0) << "as wide as the bar";
    struct Case
    {
        double value;
        double top;
    };
    // The channel runs from 10 to 110 in the bar, between the arrows.
    for (const Case c : {Case{0.0, 10.0}, Case{0.5, 55.0}, Case{1.0, 100.0}})
    {
        bar.SetValue(c.value);
        EXPECT_EQ(thumb.y, c.top) << c.value;
        EXPECT_GE(thumb.y, channel.y) << c.value;
        EXPECT_LE(thumb.y + thumb.height, channel.y + channel.height) << c.value;
    }
    EXPECT_EQ(list.GetScrollOffset().y, 1080.0) << "at the end of the content";
}

TEST(ScrollViewPicture, BothBarsAndTheCornerDraw)
{
    WindowHarness harness(Tree(true), std::string(), Looks(true));
    // Real measurements, so that the caret and the highlight sit where the glyphs are drawn.
    const ScopedRenderApp measuring;
    harness.Factory().RegisterControlClass(WString(u"Framework.TextBox"), &LTextBox::Create);
    harness.Factory().RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
    harness.Factory().RegisterControlClass(WString(u"Framework.ScrollBar"), &LScrollbar::Create);
    harness.Factory().RegisterControlClass(WString(u"Framework.ScrollView"), &LScrollView::Create);
    const RCPtr<LRenderer> renderer = LRenderer::Create(1, 0);
    RecordingWindowHost host;
    host.clientRect = {0, 0, 240, 100};
    const auto window = LRootWindow::Create(renderer, &host);
    ASSERT_EQ(window->SetRootControl(WString(u"top")), QK_OK);
    auto& view = dynamic_cast<LScrollView&>(*window->GetRootControl()->FindChild(WString(u"view")));
    SetBounds(*view.FindChild(WString(u"content")), 0, 0, 100, 80);
    view.SetAutoClientExtent(0, 0, 0);
    view.SetClientExtent(300, 200);
    view.SetScrollOffset({40.0, 30.0});
    auto& box = dynamic_cast<LTextBox&>(*window->GetRootControl()->FindChild(WString(u"box")));
    box.SetFocus(true);
    box.SetText(WString(u"Velocity curve"));
    box.MoveCaret(9, false);
    box.SetSelection(9, 13);
    box.MoveCaret(14, false);
    ASSERT_TRUE(box.HasFocus());
    ASSERT_TRUE(box.IsCaretVisible());

    RCPtr<LRenderContextInfo> context;
    const IDrawingSurface& surface = PaintOffscreen(*window, *renderer, {0, 0, 240, 100}, context);
    // The vertical bar: 67 px tall, a 47 px channel, a 16 px thumb 7 px down (30 of 133).
    EXPECT_EQ(surface.GetPixel(103, 15), 0xFFA8A8A8u) << "the up arrow";
    EXPECT_EQ(surface.GetPixel(103, 35), 0xFF6E6E6Eu) << "the vertical thumb";
    EXPECT_EQ(surface.GetPixel(103, 60), 0xFFD8D8D8u) << "the vertical channel below the thumb";
    EXPECT_EQ(surface.GetPixel(103, 83), 0xFFD8D8D8u) << "the corner";
    EXPECT_EQ(surface.GetPixel(15, 83), 0xFFA8A8A8u) << "the left arrow";
    EXPECT_EQ(surface.GetPixel(20, 20), 0xFF5B8DD6u) << "the content, scrolled";
    EXPECT_EQ(surface.GetPixel(80, 70), 0xFFF4F4F4u) << "the view past the content";
    EXPECT_EQ(surface.GetPixel(120, 10), 0xFF3070C0u) << "the focused box's frame";
    // The highlight spans the selected letters, from where "c" starts to the text's end.
    const RectD caret = box.GetCaretRect();
    const std::int32_t row = 10 + static_cast<std::int32_t>(caret.y + 1.5);
    std::int32_t highlighted = 0;
    for (std::int32_t x = 122; x < 228; ++x)
        highlighted += surface.GetPixel(x, row) == 0xFFB8D0F0u ? 1 : 0;
    EXPECT_GT(highlighted, 10);
    EXPECT_EQ(surface.GetPixel(120 + static_cast<std::int32_t>(caret.x), 10 + static_cast<std::int32_t>(caret.y + 2.0)),
              0xFF000000u)
        << "the caret after the last letter";

    EXPECT_TRUE(SavePicture(surface, "scroll-view.png"));
    window->SetHost(nullptr);
    window->SetRootControl(RCPtr<LControl>());
    LNotificationCenterManager::ReleaseInstance();
}

} // namespace
} // namespace QK
