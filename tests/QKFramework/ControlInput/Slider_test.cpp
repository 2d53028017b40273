// The slider driven through a real root window: the thumb made from "thumbStart" and placed
// by value, drags along horizontal, vertical and slanted tracks, a value set during a drag,
// track clicks and holding on the manual clock, arrow keys and the wheel, and sliders whose
// markers coincide, nearly line up or are missing.
#include "QKFramework/Controls/Slider.h"

#include "QKFramework/Controls/Button.h"
#include "QKFramework/ObjectBase/Wrapper.h"
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

// Markers are 10 x 10 buttons. "hs" at (20, 20): track (10, 20) to (110, 20). "vs" at
// (200, 20): track (10, 10) to (10, 110). "ds" at (250, 150): track (0, 0) to (100, 100).
// "flat" has no insets, so a slider's client space is its own; it fills all fourteen button
// looks, so a focused thumb is still hit.
const char* const kTree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="flat"/>
    <SubControl Class="Framework.Slider" Name="hs" XPositionAbs="20" YPositionAbs="20" XSizeAbs="140" YSizeAbs="40"><Skin Name="h" LookList="flat"/>
      <SubControl Class="Framework.Button" Name="thumbStart" XPositionAbs="10" YPositionAbs="20" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl>
      <SubControl Class="Framework.Button" Name="thumbEnd" XPositionAbs="110" YPositionAbs="20" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl>
    </SubControl>
    <SubControl Class="Framework.Slider" Name="vs" XPositionAbs="200" YPositionAbs="20" XSizeAbs="40" YSizeAbs="140"><Skin Name="v" LookList="flat"/>
      <SubControl Class="Framework.Button" Name="thumbStart" XPositionAbs="10" YPositionAbs="10" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl>
      <SubControl Class="Framework.Button" Name="thumbEnd" XPositionAbs="10" YPositionAbs="110" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl>
    </SubControl>
    <SubControl Class="Framework.Slider" Name="ds" XPositionAbs="250" YPositionAbs="150" XSizeAbs="130" YSizeAbs="130"><Skin Name="d" LookList="flat"/>
      <SubControl Class="Framework.Button" Name="thumbStart" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl>
      <SubControl Class="Framework.Button" Name="thumbEnd" XPositionAbs="100" YPositionAbs="100" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl>
    </SubControl>
  </SubControl>
  <SubControl Class="Test.Probe" Name="odd" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="flat"/>
    <SubControl Class="Framework.Slider" Name="same" XPositionAbs="10" YPositionAbs="10" XSizeAbs="100" YSizeAbs="40"><Skin Name="h" LookList="flat"/>
      <SubControl Class="Framework.Button" Name="thumbStart" XPositionAbs="30" YPositionAbs="10" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl>
      <SubControl Class="Framework.Button" Name="thumbEnd" XPositionAbs="30" YPositionAbs="10" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl>
    </SubControl>
    <SubControl Class="Framework.Slider" Name="steep" XPositionAbs="10" YPositionAbs="60" XSizeAbs="100" YSizeAbs="140"><Skin Name="v" LookList="flat"/>
      <SubControl Class="Framework.Button" Name="thumbStart" XPositionAbs="10.2" YPositionAbs="10" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl>
      <SubControl Class="Framework.Button" Name="thumbEnd" XPositionAbs="10.4" YPositionAbs="110" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl>
    </SubControl>
    <SubControl Class="Framework.Slider" Name="noStart" XPositionAbs="150" YPositionAbs="10" XSizeAbs="100" YSizeAbs="40"><Skin Name="h" LookList="flat"/>
      <SubControl Class="Framework.Button" Name="thumbEnd" XPositionAbs="80" YPositionAbs="10" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl>
    </SubControl>
    <SubControl Class="Framework.Slider" Name="noEnd" XPositionAbs="150" YPositionAbs="60" XSizeAbs="100" YSizeAbs="40"><Skin Name="h" LookList="flat"/>
      <SubControl Class="Framework.Button" Name="thumbStart" XPositionAbs="10" YPositionAbs="10" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl>
    </SubControl>
  </SubControl>
</Skin>)";

// Writes "<notification>" for value changes as "NID_VALUE_CHANGE=<fraction>", the capture
// notices as "CAPTURE=true/false" and key notices with "(key)" or "()" for their argument.
class SliderLog
{
public:
    void Listen(LControl& slider)
    {
        recorder->actOnce = false;
        recorder->action = [this](Recorder&, const ConstRCPtr<LNotificationDistributor>&,
                                  const ConstRCPtr<LNotification>& notification)
        {
            const std::string name = NameOf(notification->GetId());
            const LRefCountedObject* argument = notification->GetArgument().Get();
            if (const auto* value = dynamic_cast<const LValueParam*>(argument))
                entries.push_back(name + "=" + std::to_string(value->Value).substr(0, 4));
            else if (const auto* capture = dynamic_cast<const LHolder<bool>*>(argument))
                entries.push_back(std::string("CAPTURE=") + (capture->GetValue() ? "true" : "false"));
            else
                entries.push_back(name + (argument ? "(key)" : "()"));
        };
        const ConstRCPtr<LNotificationDistributor> source(&slider);
        for (const char16_t* nid : {u"NID_VALUE_CHANGE", u"NID_VALUE_CHANGE_CAPTURE",
                                    u"NID_VALUE_CHANGE_KEY_DOWN", u"NID_VALUE_CHANGE_KEY_UP"})
            recorder->Subscribe(source, nid);
    }
    std::vector<std::string> Take()
    {
        std::vector<std::string> taken;
        taken.swap(entries);
        return taken;
    }

    std::vector<std::string> log;
    RCPtr<Recorder> recorder = Recorder::Create("slider", log);
    std::vector<std::string> entries;
};

class SliderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.Factory().RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.Slider"), &LSlider::Create);
    }
    void TearDown() override
    {
        log.recorder->UnsubscribeAll();
        LNotificationCenterManager::ReleaseInstance();
    }
    LSlider* Slider(const char16_t* root, const std::string& path)
    {
        if (!harness.Root() || !harness.Root()->GetRootControl() ||
            !harness.Root()->GetRootControl()->GetName().IsEqual(root))
            harness.SetRoot(root);
        return dynamic_cast<LSlider*>(harness.Find(path).Get());
    }
    static PointL Thumb(const LSlider& slider)
    {
        const RectD& bounds = slider.GetThumb()->GetBounds();
        return PointL{static_cast<std::int32_t>(bounds.x), static_cast<std::int32_t>(bounds.y)};
    }

    WindowHarness harness{kTree, std::string(), UniformLooks("flat")};
    EventScript script{harness};
    SliderLog log;
};

TEST_F(SliderTest, TheThumbIsMadeFromTheStartMarkerAndPlacedByValue)
{
    LSlider* hs = Slider(u"top", "hs");
    LSlider* vs = Slider(u"top", "vs");
    ASSERT_TRUE(hs && vs);
    ASSERT_NE(hs->GetThumb(), nullptr);
    EXPECT_TRUE(hs->GetThumb()->GetName().IsEqual(u"thumb"));
    EXPECT_NE(dynamic_cast<LButton*>(hs->GetThumb()), nullptr) << "the marker's class";
    EXPECT_TRUE(hs->GetThumb()->IsVisible(false));
    EXPECT_FALSE(harness.Find("hs/thumbStart")->IsVisible(false));
    EXPECT_FALSE(harness.Find("hs/thumbEnd")->IsVisible(false));
    EXPECT_EQ(hs->GetThumb()->GetLayoutDescriptor()->TabStop, 0);
    EXPECT_EQ(hs->GetRangeMaximum(), 127.0);
    EXPECT_EQ(hs->GetThumbAnchor().x, 5);
    EXPECT_EQ(hs->GetThumbAnchor().y, 5);

    struct Case
    {
        double value;
        std::int32_t along;
    };
    const Case cases[] = {{0.25, 35}, {0.0, 10}, {1.0, 110}, {0.333, 43}, {0.005, 11}, {0.7, 80}};
    for (const Case& c : cases)
    {
        hs->SetValue(c.value);
        vs->SetValue(c.value);
        EXPECT_EQ(Thumb(*hs).x, c.along) << c.value;
        EXPECT_EQ(Thumb(*hs).y, 20) << c.value;
        EXPECT_EQ(Thumb(*vs).x, 10) << c.value;
        EXPECT_EQ(Thumb(*vs).y, c.along) << c.value;
    }
    // Clamped by the value.
    EXPECT_EQ(hs->SetValue(1.5), 1.0);
    EXPECT_EQ(Thumb(*hs).x, 110);
    EXPECT_EQ(hs->SetValue(-0.5), 0.0);
    EXPECT_EQ(Thumb(*hs).x, 10);
}

TEST_F(SliderTest, DraggingFollowsTheTrackAndStopsAtItsEnds)
{
    LSlider* hs = Slider(u"top", "hs");
    LSlider* vs = Slider(u"top", "vs");
    ASSERT_TRUE(hs && vs);
    log.Listen(*hs);
    // Grab the horizontal thumb at its middle: root (35, 45).
    script.Move({35, 45}).Press(1, {35, 45}).Move({36, 45});
    ASSERT_TRUE(hs->IsDragging());
    script.Move({80, 90}); // anywhere below the track
    EXPECT_EQ(Thumb(*hs).x, 55);
    EXPECT_EQ(Thumb(*hs).y, 20) << "a horizontal track keeps Y";
    EXPECT_DOUBLE_EQ(hs->GetValue(), 0.45);
    script.Move({400, 0});
    EXPECT_EQ(Thumb(*hs).x, 110);
    EXPECT_EQ(hs->GetValue(), 1.0);
    script.Move({-50, 45});
    EXPECT_EQ(Thumb(*hs).x, 10);
    EXPECT_EQ(hs->GetValue(), 0.0);
    script.Release(1, {-50, 45});
    EXPECT_FALSE(hs->IsDragging());
    const std::vector<std::string> entries = log.Take();
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries.front(), "CAPTURE=true");
    EXPECT_EQ(entries.back(), "CAPTURE=false");

    // The vertical thumb at (10, 10) in the slider: root (215, 35).
    script.Move({215, 35}).Press(1, {215, 35}).Move({215, 36});
    for (std::int32_t x : {0, 215, 399})
    {
        script.Move({x, 85});
        EXPECT_EQ(Thumb(*vs).x, 10) << "a vertical track keeps X, pointer at " << x;
        EXPECT_EQ(Thumb(*vs).y, 60);
    }
    EXPECT_DOUBLE_EQ(vs->GetValue(), 0.5);
    script.Move({215, 500});
    EXPECT_EQ(Thumb(*vs).y, 110);
    EXPECT_EQ(vs->GetValue(), 1.0);
    script.Release(1, {215, 500});
}

TEST_F(SliderTest, ASlantedTrackTakesTheFootOfThePerpendicular)
{
    LSlider* ds = Slider(u"top", "ds");
    ASSERT_TRUE(ds);
    struct Case
    {
        std::int32_t x, y; // the pointer, in the slider, with no grab offset
        std::int32_t tx, ty;
    };
    const Case cases[] = {
        {50, 50, 50, 50}, {60, 40, 50, 50},     {0, 100, 50, 50},
        {-30, -10, 0, 0}, {300, 250, 100, 100}, {21, 20, 21, 21},
    };
    for (const Case& c : cases)
    {
        const PointL t = ds->ConstrainThumbPosition(c.x, c.y);
        EXPECT_EQ(t.x, c.tx) << c.x << "," << c.y;
        EXPECT_EQ(t.y, c.ty) << c.x << "," << c.y;
    }
    // Along the diagonal the fraction is the distance from the start over the track's length.
    EXPECT_DOUBLE_EQ(ds->PositionToFraction(50, 50), 0.5);
    ds->SetValue(0.5);
    EXPECT_EQ(Thumb(*ds).x, 50);
    EXPECT_EQ(Thumb(*ds).y, 50);
}

TEST_F(SliderTest, AValueSetDuringADragWaitsForTheRelease)
{
    LSlider* hs = Slider(u"top", "hs");
    ASSERT_TRUE(hs);
    log.Listen(*hs);
    script.Move({35, 45}).Press(1, {35, 45}).Move({36, 45}).Move({50, 45});
    ASSERT_TRUE(hs->IsDragging());
    EXPECT_EQ(Thumb(*hs).x, 25);
    EXPECT_EQ(hs->SetValue(0.7), 0.15) << "answers the value the user holds";
    EXPECT_EQ(Thumb(*hs).x, 25);
    log.Take();
    script.Release(1, {50, 45});
    EXPECT_DOUBLE_EQ(hs->GetValue(), 0.7);
    EXPECT_EQ(Thumb(*hs).x, 80);
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"NID_VALUE_CHANGE=0.70", "CAPTURE=false"}));

    // Outside 0..1 it is dropped; the resend repeats the value after the capture notice.
    hs->SetResendAtDragEnd(true);
    script.Move({105, 45}).Press(1, {105, 45}).Move({106, 45}).Move({107, 45});
    hs->SetValue(1.5);
    script.Release(1, {107, 45});
    EXPECT_DOUBLE_EQ(hs->GetValue(), 0.72);
    EXPECT_EQ(hs->GetPendingValue(), -1.0);
    const std::vector<std::string> entries = log.Take();
    ASSERT_GE(entries.size(), 3u);
    EXPECT_EQ(entries[entries.size() - 2], "CAPTURE=false");
    EXPECT_EQ(entries.back(), "NID_VALUE_CHANGE=0.72");
}

TEST_F(SliderTest, TrackClicksMoveAPageTowardThePointNeverPastIt)
{
    LSlider* hs = Slider(u"top", "hs");
    ASSERT_TRUE(hs);
    struct Case
    {
        std::int32_t x; // in the slider, on the track's row; the thumb stands at 60..70
        double value;
    };
    const Case cases[] = {
        {125, 0.6}, // beyond the thumb, far: one page up
        {72, 0.57}, // beyond, near: to the point
        {20, 0.4},  // between start and thumb, far: one page down
        {58, 0.43}, // between, near: to the point
    };
    for (const Case& c : cases)
    {
        hs->SetValue(0.5);
        const PointL at{20 + c.x, 45};
        script.Move(at).Press(1, at).Release(1, at);
        EXPECT_DOUBLE_EQ(hs->GetValue(), c.value) << c.x;
        EXPECT_FALSE(hs->IsRepeating());
    }
}

TEST_F(SliderTest, HoldingOnTheTrackRepeatsAfterThreeTenthsThenEveryTenth)
{
    LSlider* hs = Slider(u"top", "hs");
    ASSERT_TRUE(hs);
    const PointL far{145, 45};
    script.Move(far).Press(1, far);
    ASSERT_TRUE(hs->IsRepeating());
    struct Step
    {
        std::uint32_t ms;
        double value;
    };
    const Step steps[] = {{0, 0.0}, {299, 0.0}, {1, 0.1}, {99, 0.1}, {1, 0.2}, {100, 0.3}};
    for (const Step& step : steps)
    {
        if (step.ms)
            script.Tick(step.ms);
        EXPECT_DOUBLE_EQ(hs->GetValue(), step.value) << "after +" << step.ms << " ms";
    }
    // Off the slider nothing repeats; back over it the overdue step comes at once.
    script.Move({145, 150}).Tick(100).Tick(100);
    EXPECT_DOUBLE_EQ(hs->GetValue(), 0.3);
    script.Move(far).Tick(33);
    EXPECT_DOUBLE_EQ(hs->GetValue(), 0.4);
    // Disabled: no step.
    hs->SetEnabled(false);
    script.Tick(100).Tick(100);
    EXPECT_DOUBLE_EQ(hs->GetValue(), 0.4);
    hs->SetEnabled(true);
    script.Release(1, far);
    EXPECT_FALSE(hs->IsRepeating());
    EXPECT_EQ(hs->GetIdleUsers(), 0);
    const double released = hs->GetValue();
    script.Tick(500);
    EXPECT_EQ(hs->GetValue(), released);
}

TEST_F(SliderTest, ArrowKeysStepOneUnitWithoutModifiers)
{
    LSlider* hs = Slider(u"top", "hs");
    ASSERT_TRUE(hs);
    hs->SetFocus(true);
    ASSERT_TRUE(hs->ContainsFocus());
    struct Case
    {
        double start;
        std::uint32_t key;
        std::uint32_t modifiers;
        double scaled;
    };
    const Case cases[] = {
        {64.0, 0x27, 0, 65.0},   {64.0, 0x26, 0, 65.0}, {64.0, 0x25, 0, 63.0}, {64.0, 0x28, 0, 63.0},
        {127.0, 0x27, 0, 127.0}, {0.0, 0x25, 0, 0.0},   {64.0, 0x27, 8, 64.0}, {64.0, 0x25, 1, 64.0},
    };
    for (const Case& c : cases)
    {
        hs->SetValue(hs->ValueToFraction(c.start));
        script.Key(c.key, c.modifiers);
        harness.Host().Key(c.key, false, c.modifiers);
        EXPECT_DOUBLE_EQ(hs->FractionToValue(hs->GetValue()), c.scaled) << c.key << " with " << c.modifiers;
    }
    // Shift+Right is passed on, not handled.
    const RCPtr<LKeyParam> shifted = LKeyParam::Create(KeyCode::FromKeyMessage(0x27, true, false, 8));
    EXPECT_EQ(hs->WantsKey(shifted.Get()), QK_FALSE);
    EXPECT_FALSE(hs->IsKeyHeld());
}

TEST_F(SliderTest, AHeldArrowKeySendsOneKeyDownAndOneKeyUp)
{
    LSlider* hs = Slider(u"top", "hs");
    ASSERT_TRUE(hs);
    hs->SetFocus(true);
    hs->SetValue(hs->ValueToFraction(10.0));
    log.Listen(*hs);
    script.Key(0x27);
    for (int i = 0; i < 2; ++i)
        harness.Host().Key(0x27, true, 0); // the window's auto-repeat
    harness.Host().Key(0x27, false, 0);
    EXPECT_DOUBLE_EQ(hs->FractionToValue(hs->GetValue()), 13.0);
    const std::vector<std::string> expected = {"NID_VALUE_CHANGE_KEY_DOWN(key)", "NID_VALUE_CHANGE=0.08",
                                               "NID_VALUE_CHANGE=0.09", "NID_VALUE_CHANGE=0.10",
                                               "NID_VALUE_CHANGE_KEY_UP(key)"};
    EXPECT_EQ(log.Take(), expected);

    // Losing the focus with the key down ends it without an argument.
    script.Key(0x25);
    harness.Find("vs")->SetFocus(true);
    EXPECT_FALSE(hs->IsKeyHeld());
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"NID_VALUE_CHANGE_KEY_DOWN(key)", "NID_VALUE_CHANGE=0.09",
                                                    "NID_VALUE_CHANGE_KEY_UP()"}));
}

TEST_F(SliderTest, TheWheelStepsOneUnit)
{
    LSlider* hs = Slider(u"top", "hs");
    ASSERT_TRUE(hs);
    hs->SetValue(hs->ValueToFraction(64.0));
    struct Case
    {
        std::int32_t direction;
        double scaled;
    };
    const Case cases[] = {{1, 65.0}, {0, 64.0}, {3, 65.0}, {2, 64.0}};
    for (const Case& c : cases)
    {
        script.Wheel({145, 45}, c.direction);
        EXPECT_DOUBLE_EQ(hs->FractionToValue(hs->GetValue()), c.scaled) << c.direction;
    }
}

TEST_F(SliderTest, AReskinKeepsTheThumb)
{
    LSlider* hs = Slider(u"top", "hs");
    ASSERT_TRUE(hs);
    LControl* thumb = hs->GetThumb();
    hs->SetValue(0.5);
    ASSERT_EQ(hs->CreateFromDescriptor(hs->GetControlDescriptor().Get()), QK_OK);
    EXPECT_EQ(hs->GetThumb(), thumb);
    EXPECT_EQ(thumb->GetParent(), hs);
    EXPECT_EQ(hs->FindChild(WString(u"thumb")).Get(), thumb);
    EXPECT_TRUE(thumb->IsVisible(false));
    EXPECT_FALSE(hs->FindChild(WString(u"thumbStart"))->IsVisible(false));
    EXPECT_EQ(Thumb(*hs).x, 60);
    // Still dragged: grab its middle (window 85, 45) and pull it 20 px right.
    script.Move({85, 45}).Press(1, {85, 45}).Move({86, 45}).Move({105, 45});
    EXPECT_EQ(Thumb(*hs).x, 80);
    EXPECT_DOUBLE_EQ(hs->GetValue(), 0.7);
    script.Release(1, {105, 45});
}

TEST_F(SliderTest, DegenerateTracksAndMissingMarkersAreSafe)
{
    // Coincident ends: every point is the start.
    LSlider* same = Slider(u"odd", "same");
    ASSERT_TRUE(same);
    EXPECT_EQ(same->PositionToFraction(90, 10), 0.0);
    same->SetValue(0.6);
    EXPECT_EQ(Thumb(*same).x, 30);
    script.Move({45, 25}).Press(1, {45, 25}).Move({46, 25}).Move({90, 40});
    EXPECT_EQ(Thumb(*same).x, 30);
    EXPECT_EQ(Thumb(*same).y, 10);
    EXPECT_EQ(same->GetValue(), 0.6) << "nowhere to go";
    script.Release(1, {90, 40});

    // Ends 0.2 px apart on X round to one column: a vertical track, not a division by zero.
    LSlider* steep = Slider(u"odd", "steep");
    ASSERT_TRUE(steep);
    const PointL t = steep->ConstrainThumbPosition(70, 60);
    EXPECT_EQ(t.x, static_cast<std::int32_t>(steep->GetThumb()->GetBounds().x));
    EXPECT_EQ(t.y, 60);

    // Without "thumbStart" there is no thumb; without "thumbEnd" the thumb stays put.
    LSlider* noStart = Slider(u"odd", "noStart");
    LSlider* noEnd = Slider(u"odd", "noEnd");
    ASSERT_TRUE(noStart && noEnd);
    EXPECT_EQ(noStart->GetThumb(), nullptr);
    EXPECT_TRUE(noStart->IsCreated());
    noStart->SetValue(0.5);
    script.Move({200, 30}).Press(1, {200, 30}).Release(1, {200, 30});
    EXPECT_EQ(noStart->GetValue(), 0.5);
    ASSERT_NE(noEnd->GetThumb(), nullptr);
    noEnd->SetValue(0.5);
    EXPECT_EQ(Thumb(*noEnd).x, 10);
    script.Move({230, 75}).Press(1, {230, 75}).Release(1, {230, 75});
    EXPECT_EQ(noEnd->PositionToFraction(50, 10), 0.0);
    EXPECT_EQ(noStart->AttachChild(nullptr, nullptr), QK_E_FAIL);
    EXPECT_EQ(noStart->AttachChild(RCPtr<LControl>(noEnd->GetThumb()), nullptr), QK_E_FAIL)
        << "no start marker to describe a thumb";
}

} // namespace
} // namespace QK
