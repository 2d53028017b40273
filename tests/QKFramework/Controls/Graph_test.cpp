// The graph: its point template, point names from one counter, values to pixels, placing and
// moving points, the moved-point notification and the curve through the points.
#include "QKFramework/Controls/Graph.h"

#include "QKFramework/Notification/NotificationCenterManager.h"

#include "tests/support/Controls/ControlHarness.h"
#include "tests/support/Recorder.h"
#include "tests/support/Render/RecordingRenderer.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// Graphs without looks: their client area is their whole rectangle, 254 x 127. The point
// controls are 8 x 8, centred on their value.
const char* const kTree = R"(
<Skin Name="Main">
  <SubControl Class="Test.Probe" Name="window" XSizeAbs="600" YSizeAbs="400">
    <SubControl Class="Framework.Graph" Name="curve" XSizeAbs="254" YSizeAbs="127">
      <SubControl Class="Test.Probe" Name="pointTemplate" XSizeAbs="8" YSizeAbs="8" XPlacementAnchor="0.5" YPlacementAnchor="0.5"/>
    </SubControl>
    <SubControl Class="Framework.Graph" Name="second" YPositionAbs="200" XSizeAbs="100" YSizeAbs="100">
      <SubControl Class="Test.Probe" Name="pointTemplate" XSizeAbs="8" YSizeAbs="8" XPlacementAnchor="0.5" YPlacementAnchor="0.5"/>
    </SubControl>
    <SubControl Class="Framework.Graph" Name="bare" XPositionAbs="300" XSizeAbs="100" YSizeAbs="100"/>
  </SubControl>
</Skin>
)";

class GraphTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.Factory().RegisterControlClass(WString(u"Framework.Graph"), &LGraph::Create);
        window = harness.CreateRoot(u"window");
        ASSERT_TRUE(window);
    }
    void TearDown() override
    {
        if (recorder)
            recorder->UnsubscribeAll();
        LNotificationCenterManager::ReleaseInstance();
    }
    LGraph& Graph(const char16_t* name) { return dynamic_cast<LGraph&>(*window->FindChild(WString(name))); }
    // The number in a point control's name.
    static int Number(const LControl& point) { return std::stoi(Narrow(point.GetName()).substr(12)); }

    ControlHarness harness{kTree};
    RCPtr<LControl> window;
    std::vector<std::string> log;
    RCPtr<Recorder> recorder;
};

TEST_F(GraphTest, TheTemplateNeverShowsAndPointsAreNumberedAcrossGraphs)
{
    LGraph& curve = Graph(u"curve");
    LGraph& second = Graph(u"second");
    ASSERT_TRUE(curve.GetPointTemplate());
    const RCPtr<LControl> shownTemplate = curve.FindChild(WString(u"pointTemplate"));
    EXPECT_TRUE(!shownTemplate || !shownTemplate->IsVisible(false));

    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(curve.AddPoint(PointD{double(i), 0.0}), QK_OK);
    ASSERT_EQ(second.AddPoint(PointD{0.5, 0.5}), QK_OK);
    const int first = Number(*curve.GetPointControl(0));
    EXPECT_EQ(Narrow(curve.GetPointControl(0)->GetName()).substr(0, 12), "PointControl");
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(Number(*curve.GetPointControl(i)), first + i);
    EXPECT_EQ(Number(*second.GetPointControl(0)), first + 4);
    EXPECT_EQ(curve.GetPointControl(0)->GetParent(), &curve);
}

TEST_F(GraphTest, ValuesToPixelsIgnoreTheLowerBoundsAndEqualBoundsGiveZero)
{
    LGraph& curve = Graph(u"curve");
    struct Case
    {
        const char* what;
        double xUpper, yUpper, xLower, yLower;
        PointD value;
        PointD pixel;
    };
    const Case cases[] = {
        {"middle", 1, 1, 0, 0, {0.5, 0.5}, {127.0, 63.5}},
        {"origin at the bottom left", 1, 1, 0, 0, {0.0, 0.0}, {0.0, 127.0}},
        {"top right", 1, 1, 0, 0, {1.0, 1.0}, {254.0, 0.0}},
        {"the dialog's ranges: 1 is one step in", 255, 127, 1, 0, {1.0, 127.0}, {1.0, 0.0}},
        {"255 lands past the right edge", 255, 127, 1, 0, {255.0, 0.0}, {255.0, 127.0}},
        {"equal bounds", 5, 3, 5, 3, {4.0, 2.0}, {0.0, 127.0}},
    };
    for (const Case& c : cases)
    {
        curve.SetAxisRanges(c.xUpper, c.yUpper, c.xLower, c.yLower);
        const PointD pixel = curve.ValueToPixel(c.value);
        EXPECT_EQ(pixel.x, c.pixel.x) << c.what;
        EXPECT_EQ(pixel.y, c.pixel.y) << c.what;
    }
}

TEST_F(GraphTest, PointsArePlacedByValueAndAnnouncedWhenMoved)
{
    LGraph& curve = Graph(u"curve");
    recorder = Recorder::Create("owner", log);
    recorder->Subscribe(ConstRCPtr<LNotificationDistributor>(&curve), u"NID_GRAPH_POINT_MOVED");

    ASSERT_EQ(curve.AddPoint(PointD{0.0, 0.0}), QK_OK);
    ASSERT_EQ(curve.AddPoint(PointD{1.0, 1.0}), QK_OK);
    EXPECT_EQ(curve.InsertPoint(10, PointD{0.5, 0.5}), 2) << "an index past the end appends";
    EXPECT_EQ(curve.GetPointCount(), 3u);
    EXPECT_EQ(curve.GetPointControl(2)->GetBounds(), (RectD{123.0, 59.0, 8.0, 8.0})) << "centred on (127, 63.5)";

    log.clear();
    recorder->arguments.clear();
    const ConstRCPtr<LControl> moved = curve.GetPointControl(1);
    EXPECT_EQ(curve.SetPoint(1, PointD{0.25, 0.0}), QK_OK);
    EXPECT_EQ(moved->GetBounds().x, 59.0) << "63.5 - 4, snapped to whole pixels";
    ASSERT_EQ(log, std::vector<std::string>{"owner:NID_GRAPH_POINT_MOVED"});
    EXPECT_EQ(recorder->arguments, std::vector<std::string>{Narrow(moved->GetName())}) << "the moved point";

    // A point moved by other means (a drag) is announced too.
    log.clear();
    SetBounds(const_cast<LControl&>(*moved), 30.0, 40.0, 8.0, 8.0);
    EXPECT_EQ(log, std::vector<std::string>{"owner:NID_GRAPH_POINT_MOVED"});

    struct Bad
    {
        std::function<void()> call;
        const char* text;
    };
    const Bad bad[] = {
        {[&] { curve.SetPoint(3, PointD{0.0, 0.0}); }, "Domain Error : QK::LGraph::SetPoint : Controls\\Graph : Line 212"},
        {[&] { curve.GetPointControl(-1); }, "Domain Error : QK::LGraph::GetPointControl : Controls\\Graph : Line 158"},
    };
    for (const Bad& b : bad)
    {
        try
        {
            b.call();
            ADD_FAILURE() << "no exception for " << b.text;
        }
        catch (const std::domain_error& e)
        {
            EXPECT_STREQ(e.what(), b.text);
        }
    }
}

TEST_F(GraphTest, WithoutATemplateNoPointCanBeAdded)
{
    LGraph& bare = Graph(u"bare");
    EXPECT_EQ(bare.AddPoint(PointD{0.5, 0.5}), QK_E_FAIL);
    EXPECT_EQ(bare.InsertPoint(0, PointD{0.5, 0.5}), QK_E_FAIL);
    EXPECT_EQ(bare.GetPointCount(), 0u);
}

TEST_F(GraphTest, TheCurveJoinsThePointsInListOrder)
{
    LGraph& curve = Graph(u"curve");
    const RCPtr<RecordingRenderer> renderer(new RecordingRenderer());
    curve.SetCurveStyle(true, 0xFFFFFFFFu, 2.0f);
    curve.AddPoint(PointD{0.5, 0.5});
    curve.DrawCustom(*renderer);
    EXPECT_TRUE(renderer->Calls().empty()) << "one point draws no line";

    curve.AddPoint(PointD{1.0, 1.0});
    curve.InsertPoint(0, PointD{0.0, 0.0});
    curve.DrawCustom(*renderer);
    // The hot spot is the template's middle (4, 4): the curve passes through the values.
    EXPECT_EQ(renderer->Calls(), (std::vector<std::string>{"DrawLine(0,127,127,63,FFFFFFFF,w2)",
                                                           "DrawLine(127,63,254,0,FFFFFFFF,w2)"}));
    renderer->ClearCalls();
    curve.SetCurveStyle(false, 0xFFFFFFFFu, 2.0f);
    curve.DrawCustom(*renderer);
    EXPECT_TRUE(renderer->Calls().empty());
}

} // namespace
} // namespace QK
