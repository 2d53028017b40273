// The progress bar (bar width, percentage, remaining time on the manual clock) and the level
// meter (bar, peak marker, clip light latching), with and without their children.
#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/LevelMeter.h"
#include "QKFramework/Controls/ProgressBar.h"

#include "QKFramework/ControlBase/Input/InputEvents.h"

#include "tests/support/Controls/ControlHarness.h"

#include <gtest/gtest.h>

#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

const char* const kSkin = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="window" XSizeAbs="400" YSizeAbs="300">
    <SubControl Class="Framework.ProgressBar" Name="progress" XSizeAbs="100" YSizeAbs="20">
      <SubControl Class="Test.Probe" Name="activeOverlay" XSizeAbs="0" YSizeAbs="20"/>
      <SubControl Class="Test.Probe" Name="percentCompleteLabel" XSizeAbs="30" YSizeAbs="20"/>
      <SubControl Class="Test.Probe" Name="timeRemainingLabel" IsVisible="False" XSizeAbs="30" YSizeAbs="20"/>
    </SubControl>
    <SubControl Class="Framework.ProgressBar" Name="bareProgress" YPositionAbs="30" XSizeAbs="100" YSizeAbs="20"/>
    <SubControl Class="Framework.LevelMeter" Name="across" YPositionAbs="60" XSizeAbs="100" YSizeAbs="10">
      <SubControl Class="Test.Probe" Name="activeOverlay" XSizeAbs="0" YSizeAbs="10"/>
      <SubControl Class="Test.Probe" Name="peakLo" XPositionAbs="0" XSizeAbs="2" YSizeAbs="10"/>
      <SubControl Class="Test.Probe" Name="peakHi" XPositionAbs="90" XSizeAbs="2" YSizeAbs="10"/>
      <SubControl Class="Framework.Button" Name="clipButton" XPositionAbs="95" XSizeAbs="5" YSizeAbs="10"/>
    </SubControl>
    <SubControl Class="Framework.LevelMeter" Name="upright" XPositionAbs="200" XSizeAbs="10" YSizeAbs="100">
      <SubControl Class="Test.Probe" Name="activeOverlay" XSizeAbs="10" YSizeAbs="0"/>
      <SubControl Class="Test.Probe" Name="peakLo" YPositionAbs="100" XSizeAbs="10" YSizeAbs="2"/>
      <SubControl Class="Test.Probe" Name="peakHi" YPositionAbs="0" XSizeAbs="10" YSizeAbs="2"/>
    </SubControl>
    <SubControl Class="Framework.LevelMeter" Name="bareMeter" YPositionAbs="80" XSizeAbs="100" YSizeAbs="10"/>
  </SubControl>
</Skin>)";

std::string Word(const char* id, const char* text)
{
    return std::string("<String ID=\"") + id + "\"><Locale LCID=\"0x0009\">" + text + "</Locale></String>";
}

const std::string kStrings = "<StringTable ID=\"Framework\">" + Word("HOURS_SINGULAR", "Hour") +
                             Word("HOURS_PLURAL", "Hours") + Word("MINUTES_SINGULAR", "Minute") +
                             Word("MINUTES_PLURAL", "Minutes") + Word("SECONDS_SINGULAR", "Second") +
                             Word("SECONDS_PLURAL", "Seconds") + Word("REMAINING", "Remaining") + "</StringTable>";

class MetersTest : public ::testing::Test
{
protected:
    MetersTest()
    {
        harness.Factory().RegisterControlClass(WString(u"Framework.ProgressBar"), &LProgressBar::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.LevelMeter"), &LLevelMeter::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
        harness.Tick(1000);
        window = harness.CreateRoot(u"window");
    }

    template <class T> T& Get(const char16_t* name) { return dynamic_cast<T&>(*window->FindChild(WString(name))); }
    static LControl& Part(LControl& control, const char16_t* name) { return *control.FindChild(WString(name)); }
    static std::string Text(LControl& control, const char16_t* name) { return Narrow(Part(control, name).GetText()); }

    ControlHarness harness{kSkin, kStrings};
    RCPtr<LControl> window;
};

TEST_F(MetersTest, ProgressBarWidthIsRoundedAndThePercentHasNoDecimals)
{
    auto& bar = Get<LProgressBar>(u"progress");
    LControl& overlay = Part(bar, u"activeOverlay");
    EXPECT_FALSE(overlay.IsVisible(false));
    EXPECT_EQ(Text(bar, u"percentCompleteLabel"), "0");
    EXPECT_EQ(bar.GetRangeMaximum(), 100.0);
    struct Row
    {
        double value;
        bool shown;
        double width;
        const char* percent;
    };
    // The percentage is printed as printf rounds: 0.5 becomes "0".
    const Row rows[] = {{0.004, false, 0.0, "0"}, {0.005, true, 1.0, "0"}, {0.5, true, 50.0, "50"},
                        {1.0, true, 100.0, "100"}, {0.0, false, 0.0, "0"}};
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.value);
        bar.SetValue(row.value);
        EXPECT_EQ(overlay.IsVisible(false), row.shown);
        if (row.shown)
        {
            EXPECT_EQ(overlay.GetWidth(), row.width);
        }
        EXPECT_EQ(Text(bar, u"percentCompleteLabel"), row.percent);
    }
}

TEST_F(MetersTest, RemainingTimeInTheFrameworkTablesWords)
{
    auto& bar = Get<LProgressBar>(u"progress");
    const std::pair<std::int32_t, const char*> rows[] = {
        {3605, "1 Hour 0 Minutes 5 Seconds Remaining"},
        {61, "1 Minute 1 Second Remaining"},
        {0, "0 Seconds Remaining"},
        {7322, "2 Hours 2 Minutes 2 Seconds Remaining"},
        {59, "59 Seconds Remaining"},
        {2147483647, "596523 Hours 14 Minutes 7 Seconds Remaining"},
    };
    for (const auto& [seconds, text] : rows)
        EXPECT_EQ(Narrow(bar.FormatTimeRemaining(seconds)), text) << seconds;
    bar.SetTimeRemaining(61);
    EXPECT_TRUE(Part(bar, u"timeRemainingLabel").IsVisible(false));
    EXPECT_EQ(Text(bar, u"timeRemainingLabel"), "1 Minute 1 Second Remaining");
}

TEST_F(MetersTest, TheEstimateAveragesSinceActivationAndSamplesAfterMoreThanASecond)
{
    auto& bar = Get<LProgressBar>(u"progress");
    bar.SetActive(true);
    struct Step
    {
        std::uint32_t ms;
        double value;
        const char* text;
    };
    const Step steps[] = {
        // 0.1 in 1 s: 9 s to go.
        {1000, 0.1, "9 Seconds Remaining"},
        // Exactly 1 s after the start the sample stays; the rate is the average since
        // activation, 0.2 in 1.5 s; now the sample moves on.
        {500, 0.2, "6 Seconds Remaining"},
        // No growth over the sample: the label stays.
        {100, 0.2, "6 Seconds Remaining"},
        // 0.5 in 2.6 s.
        {1000, 0.5, "3 Seconds Remaining"},
        {10, 1.0, "0 Seconds Remaining"},
        // The estimate ended at 1.0.
        {1000, 0.9, "0 Seconds Remaining"},
        {1000, 0.95, "0 Seconds Remaining"},
    };
    for (const Step& step : steps)
    {
        harness.App().SetTimeMs(harness.App().GetTimeMs() + step.ms);
        bar.SetValue(step.value);
        EXPECT_EQ(Text(bar, u"timeRemainingLabel"), step.text) << step.value;
    }
    EXPECT_FALSE(bar.IsActive());
}

TEST_F(MetersTest, AnAlmostStillRateSaturatesTheSeconds)
{
    auto& bar = Get<LProgressBar>(u"progress");
    bar.SetActive(true);
    harness.App().SetTimeMs(harness.App().GetTimeMs() + 4000000);
    bar.SetValue(1e-9);
    EXPECT_EQ(Text(bar, u"timeRemainingLabel"), "596523 Hours 14 Minutes 7 Seconds Remaining");
}

TEST_F(MetersTest, MissingChildrenAreSkipped)
{
    auto& progress = Get<LProgressBar>(u"bareProgress");
    progress.SetActive(true);
    harness.App().SetTimeMs(harness.App().GetTimeMs() + 2000);
    EXPECT_EQ(progress.SetValue(0.5), 0.5);
    progress.SetTimeRemaining(10);

    auto& meter = Get<LLevelMeter>(u"bareMeter");
    EXPECT_EQ(meter.UpdateMeter(0.5, 0.5, 1), QK_OK);
    EXPECT_EQ(meter.SetClipButton(true), QK_E_FAIL);
    EXPECT_FALSE(meter.IsClipped());
    EXPECT_EQ(meter.GetValue(), 0.5);
}

TEST_F(MetersTest, LevelMeterBarAndPeakFollowTheLevelOnItsAxis)
{
    auto& across = Get<LLevelMeter>(u"across");
    auto& upright = Get<LLevelMeter>(u"upright");
    EXPECT_FALSE(across.IsVertical());
    EXPECT_TRUE(upright.IsVertical());
    struct Row
    {
        double level;
        double peak;
        bool barShown;
        double acrossWidth;
        double uprightHeight;
        bool peakShown;
        double acrossPeak;
    };
    const Row rows[] = {
        {0.0, 0.0, false, 0.0, 100.0, false, 0.0},
        {0.004, 0.004, false, 0.0, 100.0, false, 0.0},
        {0.25, 0.5, true, 25.0, 75.0, true, 45.0},
        {1.0, 1.0, true, 100.0, 0.0, true, 90.0},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.level);
        across.SetLevel(row.level, row.peak);
        upright.SetLevel(row.level, row.peak);
        LControl& bar = Part(across, u"activeOverlay");
        EXPECT_EQ(bar.IsVisible(false), row.barShown);
        if (row.barShown)
        {
            EXPECT_EQ(bar.GetWidth(), row.acrossWidth);
        }
        // Taller than wide: the bar is 1 - level of the height, and hides below 1 pixel.
        LControl& uprightBar = Part(upright, u"activeOverlay");
        EXPECT_EQ(uprightBar.IsVisible(false), row.uprightHeight >= 1.0);
        if (row.uprightHeight >= 1.0)
        {
            EXPECT_EQ(uprightBar.GetHeight(), row.uprightHeight);
        }
        LControl& peak = Part(across, u"peakLo");
        EXPECT_EQ(peak.IsVisible(false), row.peakShown);
        if (row.peakShown)
        {
            EXPECT_EQ(peak.GetBounds().x, row.acrossPeak);
        }
        EXPECT_EQ(across.GetValue(), row.level);
    }
    EXPECT_TRUE(Part(across, u"peakLo").IsSubPart());
    EXPECT_FALSE(Part(across, u"peakHi").IsVisible(false));
}

// Counts one notification of the meter.
class Listener : public LNotificationClient
{
public:
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>&) override
    {
        ++count;
        return QK_OK;
    }
    int count = 0;
};

TEST_F(MetersTest, TheClipLightLatchesUntilClickedOrFollowsEachUpdate)
{
    auto& meter = Get<LLevelMeter>(u"across");
    LControl& light = Part(meter, u"clipButton");
    const RCPtr<Listener> listener(new Listener);
    listener->Subscribe(ConstRCPtr<LNotificationDistributor>(&meter), u"NID_CLIPLIGHT_UNLATCHED");
    const auto click = [&]
    { light.LeftClick(LMouseButtonParam::Create(LMouseButtonParam::kLeft, {1, 1}, 0, false, 0).Get()); };

    struct Step
    {
        const char* what;
        std::function<void()> act;
        bool clipped;
        int unlatched;
    };
    const Step steps[] = {
        {"latching off: a new clip state lights", [&] { meter.UpdateMeter(0.5, 0.0, 1); }, true, 0},
        {"the same state turns it off", [&] { meter.UpdateMeter(0.5, 0.0, 1); }, false, 0},
        {"a click does nothing without latching", [&] { meter.UpdateMeter(0.5, 0.0, 2); click(); }, true, 0},
        {"latching on clears the light", [&] { EXPECT_EQ(meter.SetClipButton(true), QK_OK); }, false, 0},
        {"lit again", [&] { meter.UpdateMeter(0.5, 0.0, 3); }, true, 0},
        {"stays lit through updates", [&] { meter.SetLevel(0.7, 0.0); meter.UpdateMeter(0.2, 0.0, 3); }, true, 0},
        {"a click clears it and tells", [&] { click(); }, false, 1},
        {"a second click says nothing", [&] { click(); }, false, 1},
        {"latching off again", [&] { meter.SetClipButton(false); meter.UpdateMeter(0.5, 0.0, 4); click(); }, true, 1},
    };
    for (const Step& step : steps)
    {
        step.act();
        EXPECT_EQ(meter.IsClipped(), step.clipped) << step.what;
        EXPECT_EQ(listener->count, step.unlatched) << step.what;
    }
    EXPECT_EQ(meter.GetClipMode(), 4);
    EXPECT_EQ(meter.SetClipMode(7), 7);
    listener->UnsubscribeAll();
}

TEST_F(MetersTest, TheMetersOwnValueChangeRunsOneUpdate)
{
    auto& meter = Get<LLevelMeter>(u"across");
    meter.SetValue(0.3);
    EXPECT_EQ(Part(meter, u"activeOverlay").GetWidth(), 30.0);
    EXPECT_FALSE(Part(meter, u"peakLo").IsVisible(false)) << "a value set from outside has no peak";
}

} // namespace
} // namespace QK
