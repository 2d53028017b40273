// Control layout: rectangles computed from the skin's layout rules against the parent, the
// window, siblings and children, the minimum and maximum rules, and how a new rectangle
// spreads to children, siblings, the parent and the host window.
#include "QKFramework/ControlBase/Control.h"

#include "tests/support/UI/ControlHarness.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// A look with a text area 4 pixels in from the left and right edges, and one whose text area
// does not grow with the control.
const char* const kTextLooks = R"(
  <Colorizers><Colorizer Name="ink" ColorType="SolidFill" Color="FF000000"/></Colorizers>
  <Parts><Part Name="ink" Width="1" Height="1" ResizeType="Stretch" ColorizerName="ink"/></Parts>
  <Looks>
    <Look Name="text"><TextProperties TextLeftRel="0" TextLeftAbs="4" TextRightRel="1" TextRightAbs="-4"
      TextHAlign="0" TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0"
      TextForegroundPart="ink"/></Look>
    <Look Name="fixedText"><TextProperties TextLeftRel="0" TextLeftAbs="4" TextRightRel="0" TextRightAbs="30"
      TextHAlign="0" TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0"
      TextForegroundPart="ink"/></Look>
  </Looks>
  <LookLists>
    <LookList Name="text" NumLooks="1"><Look Name="text" Index="0"/></LookList>
    <LookList Name="fixedText" NumLooks="1"><Look Name="fixedText" Index="0"/></LookList>
  </LookLists>
)";

// The control at a path of names below the top control ("box/child").
RCPtr<LControl> Find(const RCPtr<LControl>& top, const std::string& path)
{
    RCPtr<LControl> control = top;
    std::string::size_type start = 0;
    while (control && start < path.size())
    {
        const std::string::size_type end = std::min(path.find('/', start), path.size());
        std::u16string name(path.begin() + static_cast<std::ptrdiff_t>(start),
                            path.begin() + static_cast<std::ptrdiff_t>(end));
        control = control->FindChild(WString(name.c_str()));
        start = end + 1;
    }
    return control;
}

std::string Describe(const RectD& rect)
{
    return std::to_string(rect.x) + "," + std::to_string(rect.y) + " " + std::to_string(rect.width) + "x" +
           std::to_string(rect.height);
}

struct LayoutCase
{
    const char* name;
    // The inside of the top control "window" (300 x 200, its client the whole of it).
    const char* children;
    const char* path;
    RectD expected;
    // Text given to the control before looking (its looks come from kTextLooks).
    const char16_t* text = nullptr;
};

const LayoutCase kCases[] = {
    {"centred in the client",
     R"(<SubControl Class="Test.Probe" Name="c" XPositionToControl="Client" XPositionRel="0.5" XPlacementAnchor="0.5"
          XSizeAbs="100" YSizeAbs="10"/>)",
     "c", {100, 0, 100, 10}},
    {"far edge 15 from the right",
     R"(<SubControl Class="Test.Probe" Name="c" XPositionToControl="Client" XPositionRel="1" XPositionAbs="-15"
          XPlacementAnchor="1" XSizeAbs="10" YSizeAbs="10"/>)",
     "c", {275, 0, 10, 10}},
    {"size to a sibling, anchor 0",
     R"(<SubControl Class="Test.Probe" Name="s" XPositionAbs="20" XSizeAbs="50" YSizeAbs="10"/>
        <SubControl Class="Test.Probe" Name="c" XPositionAbs="5" XSizeToControl="s" XSizeRel="1" XSizeAbs="3"
          YSizeAbs="10"/>)",
     "c", {5, 0, 68, 10}},
    {"size to a sibling, anchor 0.5: twice the distance to its far edge",
     R"(<SubControl Class="Test.Probe" Name="s" XPositionAbs="20" XSizeAbs="50" YSizeAbs="10"/>
        <SubControl Class="Test.Probe" Name="c" XPositionAbs="40" XPlacementAnchor="0.5" XSizeToControl="s"
          XSizeRel="1" XSizeAbs="0" YSizeAbs="10"/>)",
     "c", {10, 0, 60, 10}},
    {"placed after a sibling",
     R"(<SubControl Class="Test.Probe" Name="s" XPositionAbs="20" XSizeAbs="50" YSizeAbs="10"/>
        <SubControl Class="Test.Probe" Name="c" XPositionToControl="s" XPositionRel="1" XPositionAbs="2"
          XSizeAbs="5" YPositionToControl="missing" YPositionAbs="7" YSizeAbs="10"/>)",
     "c", {72, 7, 5, 10}},
    {"size to the parent less a margin",
     R"(<SubControl Class="Test.Probe" Name="c" XPositionAbs="10" XSizeToControl="Parent" XSizeRel="1"
          XSizeAbs="-10" YSizeToControl="Client" YSizeRel="0.5" YSizeAbs="0"/>)",
     "c", {10, 0, 280, 100}},
    {"own minimum, anchored at the far edge",
     R"(<SubControl Class="Test.Probe" Name="c" XPositionAbs="100" XPlacementAnchor="1" XSizeAbs="10"
          XMinSizeToControl="Self" XMinSizeAbs="25" YSizeAbs="10"/>)",
     "c", {75, 0, 25, 10}},
    {"own maximum; 0 is none",
     R"(<SubControl Class="Test.Probe" Name="c" XSizeAbs="80" XMaxSizeAbs="30" YSizeAbs="80" YMaxSizeAbs="0"/>)",
     "c", {0, 0, 30, 80}},
    {"minimum by its children",
     R"(<SubControl Class="Test.Probe" Name="box" XSizeAbs="10" XMinSizeToControl="Children" XMinSizeRel="1"
          YSizeAbs="10">
          <SubControl Class="Test.Probe" Name="c" XPositionAbs="5" XSizeAbs="40" YSizeAbs="5"/></SubControl>)",
     "box", {0, 0, 45, 10}},
    {"minimum by a named child, anchored in the middle",
     R"(<SubControl Class="Test.Probe" Name="box" XPositionAbs="100" XPlacementAnchor="0.5" XSizeAbs="20"
          XMinSizeToControl="c" XMinSizeRel="1" XMinSizeAbs="10" YSizeAbs="10">
          <SubControl Class="Test.Probe" Name="c" XSizeAbs="40" YSizeAbs="5"/></SubControl>)",
     "box", {70, 0, 60, 10}},
    {"maximum by its children",
     R"(<SubControl Class="Test.Probe" Name="box" XSizeAbs="100" XMaxSizeToControl="Children" XMaxSizeRel="1"
          YSizeAbs="10">
          <SubControl Class="Test.Probe" Name="c" XPositionAbs="5" XSizeAbs="40" YSizeAbs="5"/></SubControl>)",
     "box", {0, 0, 45, 10}},
    // Anchor 0 and a target left of 0: the rule would divide by the anchor; the axis stays.
    {"maximum by name with anchor 0 and a negative target",
     R"(<SubControl Class="Test.Probe" Name="box" XPositionAbs="-50" XSizeAbs="100" XMaxSizeToControl="Children"
          XMaxSizeRel="1" YSizeAbs="10">
          <SubControl Class="Test.Probe" Name="c" XSizeAbs="40" YSizeAbs="5"/></SubControl>)",
     "box", {-50, 0, 100, 10}},
    {"Expand grows to fit the text",
     R"(<SubControl Class="Test.Probe" Name="c" XSizeAbs="20" YSizeAbs="12" TextOverflowXType="Expand">
          <Skin Name="t" LookList="text"/></SubControl>)",
     "c", {0, 0, 108, 12}, u"ABCDEFGHIJ"},
    {"Expand stops at the own maximum",
     R"(<SubControl Class="Test.Probe" Name="c" XSizeAbs="20" XMaxSizeAbs="50" YSizeAbs="12"
          TextOverflowXType="Expand"><Skin Name="t" LookList="text"/></SubControl>)",
     "c", {0, 0, 50, 12}, u"ABCDEFGHIJ"},
    {"Expand and Y Expand: the wrapped lines grow the height",
     R"(<SubControl Class="Test.Probe" Name="c" XSizeAbs="20" XMaxSizeAbs="58" YSizeAbs="12"
          TextOverflowXType="Expand" TextOverflowYType="Expand"><Skin Name="t" LookList="text"/></SubControl>)",
     "c", {0, 0, 58, 24}, u"ABCDE FGHIJ"},
    // A text area that does not grow with the control: growing cannot make the text fit.
    {"Expand with a fixed text area adds nothing",
     R"(<SubControl Class="Test.Probe" Name="c" XSizeAbs="20" YSizeAbs="12" TextOverflowXType="Expand">
          <Skin Name="t" LookList="fixedText"/></SubControl>)",
     "c", {0, 0, 20, 12}, u"ABCDEFGHIJ"},
    {"a top control against the screen and its window",
     "", "", {-100, -50, 1600, 1000}},
};

TEST(ControlLayout, RectanglesFromTheRules)
{
    for (const LayoutCase& row : kCases)
    {
        SCOPED_TRACE(row.name);
        const bool screen = *row.path == '\0';
        const std::string top = screen ? R"(<SubControl Class="Test.Probe" Name="window" XPositionToControl="Screen"
                                              YPositionToControl="Screen" XSizeToControl="Screen" XSizeRel="1"
                                              XSizeAbs="0" YSizeToControl="Screen" YSizeRel="1"
                                              YSizeAbs="0">)"
                                       : R"(<SubControl Class="Test.Probe" Name="window" XSizeAbs="300"
                                              YSizeAbs="200">)";
        ControlHarness harness("<Skin Name=\"s\">" + top + row.children + "</SubControl></Skin>", "", kTextLooks);
        const RCPtr<LControl> window = harness.CreateRoot(u"window");
        ASSERT_TRUE(window);
        const RCPtr<LControl> control = Find(window, row.path);
        ASSERT_TRUE(control) << row.path;
        if (row.text)
            control->SetText(WString(row.text));
        EXPECT_EQ(control->GetBounds(), row.expected) << Describe(control->GetBounds());
    }
}

class LayoutTree : public ::testing::Test
{
protected:
    ControlHarness harness{R"(<Skin Name="s">
        <SubControl Class="Test.Probe" Name="window" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0"
            YSizeToControl="Client" YSizeRel="1" YSizeAbs="0">
          <SubControl Class="Test.Probe" Name="pane" XPositionAbs="10" YPositionAbs="20" XSizeToControl="Client"
              XSizeRel="0.5" XSizeAbs="0" YSizeAbs="100">
            <SubControl Class="Test.Probe" Name="docked" YIsDocked="True" YPositionAbs="10" XSizeAbs="5"
                YSizeAbs="5"/>
            <SubControl Class="Test.Probe" Name="content" YPositionAbs="10" XSizeAbs="5" YSizeAbs="5"/>
            <SubControl Class="Test.Probe" Name="fill" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0"
                YSizeAbs="5"/>
          </SubControl>
          <SubControl Class="Test.Probe" Name="beside" XPositionToControl="pane" XPositionRel="1" XSizeAbs="30"
              YSizeAbs="30"/>
        </SubControl></Skin>)"};
    RCPtr<LControl> window = harness.CreateRoot(u"window");
    RCPtr<LControl> pane = window->FindChild(WString(u"pane"));
};

TEST_F(LayoutTree, AResizedWindowReachesChildrenAndLaterSiblings)
{
    EXPECT_EQ(window->GetBounds(), (RectD{0, 0, 400, 300}));
    const RCPtr<LControl> fill = pane->FindChild(WString(u"fill"));
    const RCPtr<LControl> beside = window->FindChild(WString(u"beside"));
    // Sized to the middle of the client: the far edge at 200.
    EXPECT_EQ(pane->GetBounds(), (RectD{10, 20, 190, 100}));
    EXPECT_EQ(fill->GetBounds().width, 190.0);
    EXPECT_EQ(beside->GetBounds().x, 200.0);

    // The host resizes its window and tells the top control.
    harness.Window()->clientSize = {600, 300};
    harness.Window()->windowRects.clear();
    EXPECT_EQ(window->SizeChanged({600.0, 300.0}), QK_OK);
    EXPECT_EQ(pane->GetBounds(), (RectD{10, 20, 290, 100}));
    EXPECT_EQ(fill->GetBounds().width, 290.0);
    EXPECT_EQ(beside->GetBounds().x, 300.0);
    // The top control's new size is where the window already is: nothing is asked of the host.
    EXPECT_TRUE(harness.Window()->windowRects.empty());
    EXPECT_EQ(harness.Window()->GetScreenRect(), (RectL{100, 50, 600, 300}));
}

TEST_F(LayoutTree, ATopControlOfFixedSizeSetsTheWindowBack)
{
    SetBounds(*window, 0, 0, 400, 300);
    harness.Window()->windowRects.clear();
    harness.Window()->clientSize = {500, 350};
    window->SizeChanged({500.0, 350.0});
    ASSERT_EQ(harness.Window()->windowRects.size(), 1u);
    EXPECT_EQ(harness.Window()->windowRects[0], (RectL{100, 50, 400, 300}));
}

TEST_F(LayoutTree, TheSameRectangleAnswers1AndInvalidatesNothing)
{
    harness.Window()->dirty.clear();
    EXPECT_EQ(pane->SetLayoutRect({10.0, 20.0}, {190.0, 100.0}), QK_FALSE);
    EXPECT_EQ(pane->Relayout(), QK_FALSE);
    EXPECT_TRUE(harness.Window()->dirty.empty());

    // A move invalidates the old area, then the later sibling placed after it follows, then
    // the new area; all in root coordinates.
    EXPECT_EQ(pane->SetLayoutRect({12.0, 20.0}, {190.0, 100.0}), QK_OK);
    EXPECT_EQ(harness.Window()->dirty, (std::vector<RectD>{RectD{10, 20, 190, 100}, RectD{200, 0, 30, 30},
                                                           RectD{202, 0, 30, 30}, RectD{12, 20, 190, 100}}));
}

TEST_F(LayoutTree, SizeLimitsAnswerWhetherTheyChangedAndLayTheControlOutAgain)
{
    const auto limit = [](double abs)
    {
        LayoutLimit result;
        result.Abs = abs;
        return result;
    };
    struct Step
    {
        const char* what;
        LayoutLimit minimum;
        LayoutLimit maximum;
        QKRESULT result;
        double width;
    };
    // The pane asks for 190 wide.
    const Step steps[] = {
        {"a maximum below its size", limit(0), limit(120), QK_FALSE, 120},
        {"the same limits again", limit(0), limit(120), QK_OK, 120},
        {"a minimum above its size", limit(250), limit(0), QK_FALSE, 250},
        {"another minimum", limit(260), limit(0), QK_FALSE, 260},
        {"no limits", limit(0), limit(0), QK_FALSE, 190},
        {"no limits again", limit(0), limit(0), QK_OK, 190},
    };
    for (const Step& step : steps)
    {
        SCOPED_TRACE(step.what);
        EXPECT_EQ(pane->SetAxisSizeLimits(0, step.minimum, step.maximum), step.result);
        EXPECT_EQ(pane->GetBounds().width, step.width);
    }
}

TEST_F(LayoutTree, ADockedChildKeepsItsPlaceWhenItsParentScrolls)
{
    const RCPtr<LControl> docked = pane->FindChild(WString(u"docked"));
    const RCPtr<LControl> content = pane->FindChild(WString(u"content"));
    std::vector<std::string> log;
    const auto listener = Recorder::Create("listener", log);
    listener->Subscribe(ConstRCPtr<LNotificationDistributor>(pane.Get()), u"NID_SCROLL_OFFSET_CHANGE");
    // The pointer is over the pane: the hover is found again after the scroll.
    harness.Window()->hoverControl = content.Get();
    harness.Window()->cursorPosition = {15, 25};

    EXPECT_EQ(pane->SetScrollOffset({0.0, 29.6}), QK_OK);
    EXPECT_EQ(pane->GetScrollOffset(), (PointD{0, 30}));
    EXPECT_EQ(docked->GetBounds().y, 40.0);
    EXPECT_EQ(content->GetBounds().y, 10.0);
    EXPECT_EQ(log, (std::vector<std::string>{"listener:NID_SCROLL_OFFSET_CHANGE"}));
    EXPECT_EQ(harness.Window()->hoverUpdates, 1);
    // Both sit where the scroll puts them: the docked one in view, the other scrolled up.
    PointD at;
    docked->GetPositionInRoot(at);
    EXPECT_EQ(at, (PointD{10, 30}));
    content->GetPositionInRoot(at);
    EXPECT_EQ(at, (PointD{10, 0}));

    // The same offset after rounding changes nothing; the pointer elsewhere asks for no new hit test.
    EXPECT_EQ(pane->SetScrollOffset({0.0, 30.4}), QK_FALSE);
    harness.Window()->cursorPosition = {5, 5};
    EXPECT_EQ(pane->SetScrollOffset({0.0, 0.0}), QK_OK);
    EXPECT_EQ(harness.Window()->hoverUpdates, 1);
    EXPECT_EQ(log.size(), 2u);
    listener->UnsubscribeAll();
}

TEST_F(LayoutTree, AControlShrunkToNothingHandsTheFocusToItsParent)
{
    const RCPtr<LControl> content = pane->FindChild(WString(u"content"));
    content->GetConditionFlags().hasFocus = true;
    ProbeLog::Clear();
    SetBounds(*content, 0, 10, 0, 5);
    // The pane passes the focus on to the child that can still hold it.
    EXPECT_EQ(ProbeLog::Lines(),
              (std::vector<std::string>{"pane:SetFocus(true)", "docked:SetFocus(true)",
                                        "window:OnConditionsChanged(C00->C02)", "pane:OnConditionsChanged(C00->C02)",
                                        "docked:OnConditionsChanged(C00->C01)", "content:OnConditionsChanged(C00->401)"}));
    content->GetConditionFlags().hasFocus = false;
}

TEST_F(LayoutTree, WindowRectangleAndExtents)
{
    RectL rect;
    pane->GetWindowRect(rect);
    EXPECT_EQ(rect, (RectL{10, 20, 190, 100}));
    // Far beyond the 32-bit range the window rectangle saturates.
    SetBounds(*pane, 4e12, -4e12, 10, 10);
    pane->GetWindowRect(rect);
    EXPECT_EQ(rect.x, INT32_MAX);
    EXPECT_EQ(rect.y, INT32_MIN);
    SetBounds(*pane, 10, 20, 190, 100);

    // Children's far edges: "fill" reaches 190; one child alone counts however it clips.
    EXPECT_EQ(pane->GetChildrenExtent(0, 2, 0), 190.0);
    EXPECT_EQ(pane->GetChildrenExtent(1, 1, 1), 15.0);
    EXPECT_EQ(pane->GetChildrenExtent(2, 1, 0), 0.0);
    EXPECT_EQ(window->GetRootControl(), window.Get());
    EXPECT_EQ(pane->FindChild(WString(u"fill"))->GetRootControl(), window.Get());

    // The natural size: the size rule set to nothing, for a control without minimum 0.
    DoublePair natural;
    pane->GetLayoutPosition(natural);
    EXPECT_EQ(natural, (DoublePair{0.0, 0.0}));
    EXPECT_EQ(pane->GetBounds(), (RectD{10, 20, 190, 100}));
}

TEST(ControlLayoutTop, ATopControlBorrowsAWindowOnlyWhileBeingCreated)
{
    ControlHarness harness(R"(<Skin Name="s"><SubControl Class="Test.Probe" Name="window" XSizeToControl="Client"
        XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"/></Skin>)");
    const RCPtr<TestRootWindow> active = TestRootWindow::Create();
    active->clientSize = {500, 400};
    harness.App().activeRootWindow = active.Get();
    const RCPtr<LControlDescriptor> description = harness.Factory().FindSubControlDescriptor(WString(u"window"));
    const RCPtr<LControl> window = harness.Factory().CreateControl(description.Get(), nullptr);
    EXPECT_EQ(window->GetBounds(), (RectD{0, 0, 500, 400}));
    // Created and without a window, it has no frame.
    EXPECT_EQ(window->Relayout(), QK_E_FAIL);

    harness.App().activeRootWindow = nullptr;
    harness.App().firstRootWindow = nullptr;
    RCPtr<LControl> orphan(new ProbeControl(nullptr, WString(u"orphan")));
    EXPECT_EQ(orphan->Relayout(), QK_E_FAIL);
    orphan->CreateFromDescriptor(description.Get());
    EXPECT_EQ(orphan->Relayout(), QK_E_FAIL);
    EXPECT_EQ(orphan->GetBounds(), RectD{});
}

// The size and move animations of the idle passes: a pixel a millisecond, until the layout
// stops following or the target is reached; then the idle subscription ends.
class LayoutAnimation : public ::testing::Test
{
protected:
    ControlHarness harness{R"(<Skin Name="s">
        <SubControl Class="Test.Probe" Name="window" XSizeAbs="400" YSizeAbs="300">
          <SubControl Class="Test.Probe" Name="box" XPositionAbs="10" YPositionAbs="10" XSizeAbs="20" YSizeAbs="20"/>
        </SubControl></Skin>)"};
    RCPtr<LControl> window = harness.CreateRoot(u"window");
    RCPtr<LControl> box = window->FindChild(WString(u"box"));
};

TEST_F(LayoutAnimation, ASizeGrowsOrShrinksWithTheTimeUntilALimitOrNothingHoldsIt)
{
    struct Case
    {
        const char* name;
        std::int32_t axis;
        bool grow;
        double maximum; // 0: none
        double after10;
        double atEnd;
    };
    const Case cases[] = {
        {"grow to the maximum", 0, true, 50.0, 30.0, 50.0},
        {"shrink to nothing", 1, false, 0.0, 10.0, 0.0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        SetBounds(*box, 10, 10, 20, 20);
        LayoutLimit maximum;
        maximum.Abs = c.maximum;
        box->SetAxisSizeLimits(c.axis, LayoutLimit(), maximum);
        const auto extent = [&] { return c.axis == 0 ? box->GetWidth() : box->GetHeight(); };
        box->StartSizeAnimation(c.axis, c.grow);
        EXPECT_EQ(box->GetIdleUsers(), 1);
        harness.Tick(10);
        EXPECT_EQ(extent(), c.after10);
        EXPECT_TRUE(box->IsSizeAnimating(c.axis));
        harness.Tick(100);
        harness.Tick(100);
        EXPECT_EQ(extent(), c.atEnd);
        EXPECT_FALSE(box->IsSizeAnimating(c.axis));
        EXPECT_EQ(box->GetIdleUsers(), 0);
        const AxisSpec& spec = c.axis == 0 ? box->GetLayoutDescriptor()->X : box->GetLayoutDescriptor()->Y;
        EXPECT_EQ(spec.Size.Abs, c.atEnd) << "the layout keeps the last size that showed";
    }
}

TEST_F(LayoutAnimation, AMoveApproachesItsTargetAtAPixelAMillisecondOnEachAxis)
{
    box->StartMoveAnimation(PointD{40.0, 0.0});
    harness.Tick(5);
    EXPECT_EQ(box->GetBounds().x, 15.0);
    EXPECT_EQ(box->GetBounds().y, 5.0);
    harness.Tick(10);
    EXPECT_EQ(box->GetBounds().x, 25.0);
    EXPECT_EQ(box->GetBounds().y, 0.0);
    EXPECT_TRUE(box->IsMoveAnimating());
    harness.Tick(100);
    EXPECT_EQ(box->GetBounds().x, 40.0);
    EXPECT_FALSE(box->IsMoveAnimating());
    EXPECT_EQ(box->GetIdleUsers(), 0);
}

TEST_F(LayoutAnimation, ReleasingTheCaptureAnswersWhatTheWindowDid)
{
    ASSERT_EQ(box->CaptureMouse(), QK_OK);
    EXPECT_EQ(box->ReleaseCapture(), QK_OK);
    EXPECT_EQ(box->ReleaseCapture(), QK_FALSE) << "no capture held";
    // The window lost the capture on its own: the control's release finds nothing to end.
    ASSERT_EQ(box->CaptureMouse(), QK_OK);
    harness.Window()->ReleaseCaptureControl();
    EXPECT_EQ(box->ReleaseCapture(), QK_FALSE);
    EXPECT_FALSE(box->GetConditionFlags().captured);
}

} // namespace
} // namespace QK
