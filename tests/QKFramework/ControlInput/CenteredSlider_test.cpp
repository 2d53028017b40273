// The centered slider through a real root window: the bound panels follow the thumb's centre
// on the track's axis only, pass the pointer through to the track, and a slider without a
// thumb raises its null-thumb error.
#include "QKFramework/Controls/CenteredSlider.h"

#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/Panel.h"
#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

#include "tests/support/UI/EventScript.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

// "cs" at (20, 20): track (10, 20) to (110, 20), its panels on the track's row. "cv" at
// (200, 20): track (10, 10) to (10, 110). "cd" at (250, 150): slanted, (0, 0) to (100, 100).
// "iv" is "cs" again at (200, 200) with the initial value 0.5.
// Each panel holds a "fill" probe over its whole client area.
const char* const kTree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="flat"/>
    <SubControl Class="Framework.CenteredSlider" Name="cs" XPositionAbs="20" YPositionAbs="20" XSizeAbs="140" YSizeAbs="40"><Skin Name="h" LookList="flat"/>
      <SubControl Class="Framework.Button" Name="thumbStart" XPositionAbs="10" YPositionAbs="20" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl><SubControl Class="Framework.Button" Name="thumbEnd" XPositionAbs="110" YPositionAbs="20" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl>
      <SubControl Class="Framework.CenteredSliderBounds" Name="lowRangeBounds" XPositionAbs="0" YPositionAbs="20" XSizeAbs="20" YSizeAbs="10"><Skin Name="b" LookList="flat"/><SubControl Class="Test.Probe" Name="fill" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="f" LookList="flat"/></SubControl></SubControl><SubControl Class="Framework.CenteredSliderBounds" Name="highRangeBounds" XPositionAbs="0" YPositionAbs="20" XSizeAbs="20" YSizeAbs="10"><Skin Name="b" LookList="flat"/><SubControl Class="Test.Probe" Name="fill" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="f" LookList="flat"/></SubControl></SubControl>
    </SubControl>
    <SubControl Class="Framework.CenteredSlider" Name="cv" XPositionAbs="200" YPositionAbs="20" XSizeAbs="40" YSizeAbs="140"><Skin Name="v" LookList="flat"/>
      <SubControl Class="Framework.Button" Name="thumbStart" XPositionAbs="10" YPositionAbs="10" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl><SubControl Class="Framework.Button" Name="thumbEnd" XPositionAbs="10" YPositionAbs="110" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl>
      <SubControl Class="Framework.CenteredSliderBounds" Name="lowRangeBounds" XPositionAbs="5" YPositionAbs="0" XSizeAbs="10" YSizeAbs="20"><Skin Name="b" LookList="flat"/><SubControl Class="Test.Probe" Name="fill" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="f" LookList="flat"/></SubControl></SubControl><SubControl Class="Framework.CenteredSliderBounds" Name="highRangeBounds" XPositionAbs="5" YPositionAbs="0" XSizeAbs="10" YSizeAbs="20"><Skin Name="b" LookList="flat"/><SubControl Class="Test.Probe" Name="fill" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="f" LookList="flat"/></SubControl></SubControl>
    </SubControl>
    <SubControl Class="Framework.CenteredSlider" Name="cd" XPositionAbs="250" YPositionAbs="150" XSizeAbs="130" YSizeAbs="130"><Skin Name="d" LookList="flat"/>
      <SubControl Class="Framework.Button" Name="thumbStart" XPositionAbs="0" YPositionAbs="0" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl><SubControl Class="Framework.Button" Name="thumbEnd" XPositionAbs="100" YPositionAbs="100" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl>
      <SubControl Class="Framework.CenteredSliderBounds" Name="lowRangeBounds" XPositionAbs="30" YPositionAbs="60" XSizeAbs="10" YSizeAbs="10"><Skin Name="b" LookList="flat"/><SubControl Class="Test.Probe" Name="fill" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="f" LookList="flat"/></SubControl></SubControl><SubControl Class="Framework.CenteredSliderBounds" Name="highRangeBounds" XPositionAbs="30" YPositionAbs="60" XSizeAbs="10" YSizeAbs="10"><Skin Name="b" LookList="flat"/><SubControl Class="Test.Probe" Name="fill" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="f" LookList="flat"/></SubControl></SubControl>
    </SubControl>
    <SubControl Class="Framework.CenteredSlider" Name="iv" XPositionAbs="200" YPositionAbs="200" XSizeAbs="140" YSizeAbs="40"><Skin Name="h" LookList="flat"/>
      <CreateParamList><CreateParam ID="INITIAL_VALUE">0.5</CreateParam></CreateParamList>
      <SubControl Class="Framework.Button" Name="thumbStart" XPositionAbs="10" YPositionAbs="20" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl><SubControl Class="Framework.Button" Name="thumbEnd" XPositionAbs="110" YPositionAbs="20" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl>
      <SubControl Class="Framework.CenteredSliderBounds" Name="lowRangeBounds" XPositionAbs="0" YPositionAbs="20" XSizeAbs="20" YSizeAbs="10"><Skin Name="b" LookList="flat"/><SubControl Class="Test.Probe" Name="fill" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="f" LookList="flat"/></SubControl></SubControl><SubControl Class="Framework.CenteredSliderBounds" Name="highRangeBounds" XPositionAbs="0" YPositionAbs="20" XSizeAbs="20" YSizeAbs="10"><Skin Name="b" LookList="flat"/><SubControl Class="Test.Probe" Name="fill" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="f" LookList="flat"/></SubControl></SubControl>
    </SubControl>
  </SubControl>
  <SubControl Class="Framework.CenteredSlider" Name="bare" XSizeAbs="100" YSizeAbs="40"><Skin Name="h" LookList="flat"/>
    <SubControl Class="Framework.Button" Name="thumbEnd" XPositionAbs="80" YPositionAbs="10" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="flat"/></SubControl>
  </SubControl>
</Skin>)";

class CenteredSliderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.Factory().RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.CenteredSlider"),
                                               &LCenteredSlider::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.CenteredSliderBounds"), &LPanel::Create);
        ASSERT_TRUE(harness.SetRoot(u"top"));
        for (const char* name : {"cs", "cv", "cd"})
        {
            sliders.push_back(dynamic_cast<LCenteredSlider*>(harness.Find(name).Get()));
            ASSERT_NE(sliders.back(), nullptr) << name;
        }
    }
    void TearDown() override { LNotificationCenterManager::ReleaseInstance(); }

    // The absolute parts of a panel's layout position (X, Y).
    static PointD At(const LControl* panel)
    {
        const auto& layout = panel->GetLayoutDescriptor();
        return PointD{layout->X.Position.Abs, layout->Y.Position.Abs};
    }

    WindowHarness harness{kTree, std::string(), UniformLooks("flat")};
    EventScript script{harness};
    std::vector<LCenteredSlider*> sliders;
};

TEST_F(CenteredSliderTest, BoundPanelsFollowTheThumbsCentreOnTheTracksAxis)
{
    LCenteredSlider* cs = sliders[0];
    LCenteredSlider* cv = sliders[1];
    LCenteredSlider* cd = sliders[2];
    struct Case
    {
        double value;
        double centre;
    };
    // Thumbs 10 px across: the centre is the thumb's place + 5.
    const Case cases[] = {{0.3, 45.0}, {0.0, 15.0}, {1.0, 115.0}, {0.555, 71.0}};
    for (const Case& c : cases)
    {
        for (LCenteredSlider* slider : sliders)
            slider->SetValue(c.value);
        for (const LControl* panel : {cs->GetLowBounds(), cs->GetHighBounds()})
        {
            EXPECT_EQ(At(panel).x, c.centre) << c.value;
            EXPECT_EQ(At(panel).y, 20.0) << "the other axis stays";
            EXPECT_EQ(panel->GetBounds().x, c.centre);
        }
        for (const LControl* panel : {cv->GetLowBounds(), cv->GetHighBounds()})
        {
            EXPECT_EQ(At(panel).x, 5.0);
            EXPECT_EQ(At(panel).y, c.centre) << c.value;
        }
        for (const LControl* panel : {cd->GetLowBounds(), cd->GetHighBounds()})
        {
            EXPECT_EQ(At(panel).x, 30.0) << "a slanted track leaves them";
            EXPECT_EQ(At(panel).y, 60.0);
        }
    }

    // Dragging the thumb carries them along: the thumb at 55, its centre at 60.
    cs->SetValue(0.0);
    script.Move({35, 45}).Press(1, {35, 45}).Move({36, 45}).Move({80, 45});
    EXPECT_EQ(cs->GetThumb()->GetBounds().x, 55.0);
    EXPECT_EQ(At(cs->GetLowBounds()).x, 60.0);
    script.Release(1, {80, 45});
}

TEST_F(CenteredSliderTest, ThePanelsAndTheirFillLetClicksThroughToTheTrack)
{
    LCenteredSlider* cs = sliders[0];
    cs->SetValue(0.3); // thumb 40..50, panels from 45 to 65 on the track's row
    EXPECT_TRUE(cs->GetLowBounds()->IsExcludedFromHitTest());
    EXPECT_TRUE(cs->GetLowBounds()->FindChild(WString(u"fill"))->IsExcludedFromHitTest());
    const PointL onFill{20 + 60, 45};
    script.Move(onFill).Press(1, onFill).Release(1, onFill);
    EXPECT_DOUBLE_EQ(cs->GetValue(), 0.4) << "the track took the click";
}

// The initial value is set while the control base initialises, before the thumb exists.
TEST_F(CenteredSliderTest, AnInitialValueIsShownOnceTheThumbExists)
{
    auto* iv = dynamic_cast<LCenteredSlider*>(harness.Find("iv").Get());
    ASSERT_NE(iv, nullptr);
    EXPECT_EQ(iv->GetValue(), 0.5);
    EXPECT_EQ(iv->GetThumb()->GetBounds().x, 60.0);
    EXPECT_EQ(At(iv->GetLowBounds()).x, 65.0);
}

TEST_F(CenteredSliderTest, WithoutAThumbTheNullThumbErrorIsRaised)
{
    const char* const text =
        "Runtime Error : Null Pointer : Thumb Child was not created. : "
        "QK::LCenteredSlider::SetBoundsPosFromThumbPos : Controls\\CenteredSlider : Line 67";
    const RCPtr<LCenteredSlider> loose(new LCenteredSlider(nullptr, WString(u"loose")));
    try
    {
        loose->SetBoundsPosFromThumbPos();
        ADD_FAILURE() << "no error";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(), text);
    }
    // A skin without "thumbStart" reaches it while the slider is created.
    const RCPtr<LControlDescriptor> bare = harness.Factory().FindSubControlDescriptor(WString(u"bare"));
    ASSERT_TRUE(bare);
    try
    {
        harness.Factory().CreateControl(bare.Get(), nullptr);
        ADD_FAILURE() << "no error";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(), text);
    }
}

} // namespace
} // namespace QK
