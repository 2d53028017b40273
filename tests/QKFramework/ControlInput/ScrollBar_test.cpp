// The scroll bar driven through a real root window: thumb length and place, the deferred
// value of a thumb drag, a thumb filling its channel, paging on the manual clock, the step
// buttons, the range change and the sibling keys.
#include "QKFramework/Controls/ScrollBar.h"

#include "QKFramework/Controls/Button.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

#include "tests/support/UI/EventScript.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

// A vertical bar at (10, 10), 20 x 120: "dec" and "inc" 10 px each at its ends, outside its
// client area, and a 100 px channel between them under the thumb.
const char* const kTree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="flat"/>
    <SubControl Class="Framework.ScrollBar" Name="bar" XPositionAbs="10" YPositionAbs="10" XSizeAbs="20" YSizeAbs="120"><Skin Name="b" LookList="bar"/>
      <SubControl Class="Framework.Button" Name="dec" XIsDocked="True" YIsDocked="True" XPositionToControl="Parent" YPositionToControl="Parent" XSizeAbs="20" YSizeAbs="10"><Skin Name="d" LookList="flat"/></SubControl>
      <SubControl Class="Framework.Button" Name="inc" XIsDocked="True" YIsDocked="True" XPositionToControl="Parent" YPositionToControl="Parent" YPositionRel="1" YPositionAbs="-10" XSizeAbs="20" YSizeAbs="10"><Skin Name="i" LookList="flat"/></SubControl>
      <SubControl Class="Test.Probe" Name="channel" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="c" LookList="flat"/></SubControl>
      <SubControl Class="Framework.Button" Name="thumb" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="10"><Skin Name="t" LookList="flat"/></SubControl>
    </SubControl>
  </SubControl>
</Skin>)";

const char* const kLooks = R"(
  <Colorizers><Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/></Colorizers>
  <Parts><Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/></Parts>
  <Looks>
    <Look Name="grey"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="inset"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="10" OffsetRight="0" OffsetBottom="-10"/></Look>
  </Looks>
  <LookLists>
    <LookList Name="flat" NumLooks="14"><Look Name="grey" Index="0"/><Look Name="grey" Index="1"/><Look Name="grey" Index="2"/></LookList>
    <LookList Name="bar" NumLooks="1"><Look Name="inset" Index="0"/></LookList>
  </LookLists>)";

class ScrollBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.Factory().RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.ScrollBar"), &LScrollbar::Create);
        ASSERT_TRUE(harness.SetRoot(u"top"));
        bar = dynamic_cast<LScrollbar*>(harness.Find("bar").Get());
        ASSERT_NE(bar, nullptr);
    }
    void TearDown() override { LNotificationCenterManager::ReleaseInstance(); }

    // The thumb's top in the bar's client area, where the channel starts at 0.
    double ThumbTop() const { return bar->GetThumb()->GetBounds().y; }
    double ThumbHeight() const { return bar->GetThumb()->GetBounds().height; }
    void Show(double fraction, double value)
    {
        bar->SetVisibleFraction(fraction);
        bar->UpdateThumbSize();
        bar->SetValue(value);
    }
    // A point of the channel in root coordinates, at y below its top.
    static PointL Channel(std::int32_t y) { return PointL{20, 20 + y}; }

    WindowHarness harness{kTree, std::string(), kLooks};
    EventScript script{harness};
    LScrollbar* bar = nullptr;
};

TEST_F(ScrollBarTest, PartsAndThumbGeometry)
{
    EXPECT_TRUE(bar->IsVertical());
    EXPECT_EQ(bar->GetChannelEnd(), 100.0);
    EXPECT_EQ(bar->GetSiblingKeyMask(), 255u);
    for (const char* part : {"bar", "bar/dec", "bar/inc", "bar/channel", "bar/thumb"})
        EXPECT_TRUE(harness.Find(part)->IsNotFocusable()) << part;
    struct Case
    {
        double fraction;
        double value;
        double length;
        double top;
    };
    const Case cases[] = {
        {0.05, 0.0, 10.0, 0.0}, // the minimum, not 5 px
        {0.05, 1.0, 10.0, 90.0}, {0.5, 0.5, 50.0, 25.0}, {0.333, 0.5, 33.0, 34.0}, // 33.5 rounds up
        {1.0, 0.7, 100.0, 0.0},
    };
    for (const Case& c : cases)
    {
        Show(c.fraction, c.value);
        EXPECT_EQ(bar->GetThumbLength(), c.length) << c.fraction;
        EXPECT_EQ(ThumbHeight(), c.length) << c.fraction;
        EXPECT_EQ(ThumbTop(), c.top) << c.fraction << " at " << c.value;
    }
}

TEST_F(ScrollBarTest, ValuesAreKeptWithinZeroAndOneAndRangesKeepTheRangeValue)
{
    EXPECT_EQ(bar->SetValue(-0.5), 0.0);
    EXPECT_EQ(bar->SetValue(1.5), 1.0);
    EXPECT_EQ(bar->SetValue(std::numeric_limits<double>::quiet_NaN()), 1.0);

    bar->SetValue(0.5);
    EXPECT_EQ(bar->FractionToValue(bar->GetValue()), 50.0);
    EXPECT_EQ(bar->SetValueRange(0.0, 200.0, 0), QK_OK);
    EXPECT_EQ(bar->GetValue(), 0.25);
    EXPECT_EQ(bar->SetValueRange(0.0, 10.0, 1), QK_E_INVALIDARG);
    EXPECT_EQ(bar->SetValueRange(1.0, 10.0, 2), QK_E_INVALIDARG);
    EXPECT_EQ(bar->GetRangeMaximum(), 200.0);
    // A smaller range clamps the range value into it.
    EXPECT_EQ(bar->SetValueRange(0.0, 20.0, 0), QK_OK);
    EXPECT_EQ(bar->GetValue(), 1.0);
}

TEST_F(ScrollBarTest, AValueSetDuringAThumbDragWaitsForTheDragsEnd)
{
    Show(0.1, 0.0);
    script.Move(Channel(5)).Press(1, Channel(5));
    ASSERT_TRUE(bar->IsThumbDragging());
    script.Move(Channel(50));
    EXPECT_EQ(ThumbTop(), 45.0);
    EXPECT_EQ(bar->GetValue(), 0.5);
    EXPECT_EQ(bar->SetValue(0.9), 0.5) << "kept for later";
    EXPECT_EQ(bar->GetValue(), 0.5);
    script.Move(Channel(500));
    EXPECT_EQ(ThumbTop(), 90.0) << "held inside the channel";
    EXPECT_EQ(bar->GetValue(), 1.0);
    script.Release(1, Channel(500));
    EXPECT_FALSE(bar->IsThumbDragging());
    EXPECT_EQ(bar->GetValue(), 0.9);
    EXPECT_EQ(ThumbTop(), 81.0);

    // A deferred value outside 0..1 is dropped.
    script.Move(Channel(85)).Press(1, Channel(85));
    bar->SetValue(1.5);
    script.Release(1, Channel(85));
    EXPECT_EQ(bar->GetValue(), 0.9);
}

TEST_F(ScrollBarTest, AThumbFillingItsChannelStandsAtTheStart)
{
    Show(1.0, 0.0);
    script.Move(Channel(50)).Press(1, Channel(50)).Move(Channel(60)).Move(Channel(20));
    EXPECT_FALSE(std::isnan(bar->GetValue()));
    EXPECT_EQ(bar->GetValue(), 0.0);
    EXPECT_EQ(ThumbTop(), 0.0);
    script.Release(1, Channel(20));
}

TEST_F(ScrollBarTest, PagingAtThePressAfterFourTenthsThenEveryFifth)
{
    Show(0.1, 0.0);
    // On the thumb: no paging.
    script.Move(Channel(3)).Press(1, Channel(3)).Release(1, Channel(3));
    EXPECT_EQ(bar->GetValue(), 0.0);

    script.Move(Channel(98)).Press(1, Channel(98));
    EXPECT_EQ(bar->GetPagingZone(), 2);
    struct Step
    {
        std::uint32_t ms;
        double value;
    };
    const Step steps[] = {{0, 0.2}, {399, 0.2}, {1, 0.4}, {199, 0.4}, {1, 0.6}, {200, 0.8}};
    for (const Step& step : steps)
    {
        if (step.ms)
            script.Tick(step.ms);
        EXPECT_DOUBLE_EQ(bar->GetValue(), step.value) << "after +" << step.ms << " ms";
    }
    // The thumb has reached the pointer: the zone is left and paging waits.
    script.Tick(200).Tick(200);
    EXPECT_DOUBLE_EQ(bar->GetValue(), 1.0);
    script.Release(1, Channel(98));
    EXPECT_EQ(bar->GetPagingZone(), 0);
    EXPECT_EQ(bar->GetIdleUsers(), 0);

    // Before the thumb, upwards.
    script.Move(Channel(2)).Press(1, Channel(2)).Release(1, Channel(2));
    EXPECT_DOUBLE_EQ(bar->GetValue(), 0.8);
}

TEST_F(ScrollBarTest, StepButtonsMoveByTheLineStep)
{
    bar->SetValue(0.5);
    script.Move({20, 15}).Press(1, {20, 15}).Release(1, {20, 15});
    EXPECT_DOUBLE_EQ(bar->GetValue(), 0.48);
    script.Move({20, 125}).Press(1, {20, 125}).Release(1, {20, 125});
    EXPECT_DOUBLE_EQ(bar->GetValue(), 0.5);
}

TEST_F(ScrollBarTest, SiblingKeysFollowTheMaskAndTheOrientation)
{
    const RCPtr<LControl> top = harness.Root()->GetRootControl();
    const auto offer = [&](std::int32_t virtualKey)
    {
        const RCPtr<LSiblingKeyParam> key =
            LSiblingKeyParam::Create(KeyCode::FromKeyMessage(virtualKey, true, false, 0), nullptr);
        top->SendNotification(LNotification::Create(u"NID_SIBLING_KEY", key));
        return key->Result;
    };
    struct Case
    {
        std::int32_t key;
        double value;
        std::int32_t result;
    };
    const Case cases[] = {
        {0x28, 0.52, 0}, {0x26, 0.5, 0},  {0x27, 0.5, -1}, {0x25, 0.5, -1}, // no Left or Right when vertical
        {0x22, 0.7, 0},  {0x21, 0.5, 0},  {0x23, 1.0, 0},  {0x24, 0.0, 0},  {0x41, 0.0, -1},
    };
    bar->SetValue(0.5);
    for (const Case& c : cases)
    {
        EXPECT_EQ(offer(c.key), c.result) << c.key;
        EXPECT_DOUBLE_EQ(bar->GetValue(), c.value) << c.key;
    }
    EXPECT_EQ(bar->SetSiblingKeyMask(0x100), QK_E_INVALIDARG);
    EXPECT_EQ(bar->SetSiblingKeyMask(0x7F), QK_OK);
    EXPECT_EQ(offer(0x23), -1) << "End is off";
    EXPECT_EQ(bar->SetSiblingKeyMask(0), QK_OK);
    EXPECT_EQ(offer(0x28), -1) << "no longer listening";
    EXPECT_EQ(bar->SetSiblingKeyMask(0x02), QK_OK);
    EXPECT_EQ(offer(0x28), 0);
}

} // namespace
} // namespace QK
