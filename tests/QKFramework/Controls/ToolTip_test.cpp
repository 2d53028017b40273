// The tool tip on the manual clock: the 500 ms wait, the 5000 ms display, the quick follow
// within 50 ms of the last tip hiding, placement inside the window and the width limit.
#include "QKFramework/Controls/ToolTip.h"

#include "tests/support/Controls/ControlHarness.h"

#include <gtest/gtest.h>

#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

std::string Skin(const char* tipSize)
{
    return std::string(R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="window" XSizeAbs="400" YSizeAbs="300">
    <SubControl Class="Test.Probe" Name="a" XPositionAbs="50" YPositionAbs="40" XSizeAbs="60" YSizeAbs="20"/>
    <SubControl Class="Test.Probe" Name="b" XPositionAbs="120" YPositionAbs="40" XSizeAbs="60" YSizeAbs="20"/>
    <SubControl Class="Test.Probe" Name="silent" XPositionAbs="200" YPositionAbs="40" XSizeAbs="60" YSizeAbs="20"/>
  </SubControl>
  <SubControl Class="Framework.ToolTip" Name="toolTip" ClipToParent="False" Z_Order="100" )") +
           tipSize + R"(/>
</Skin>)";
}

const char* const kStrings = R"(
  <StringTable ID="Test.Probe|a"><String ID="TOOLTIP"><Locale LCID="0x0009">First</Locale></String></StringTable>
  <StringTable ID="Test.Probe|b"><String ID="TOOLTIP"><Locale LCID="0x0009">Second</Locale></String></StringTable>)";

class ToolTipTest : public ::testing::Test
{
protected:
    explicit ToolTipTest(const char* tipSize = R"(XSizeAbs="100" YSizeAbs="20")") : harness(Skin(tipSize), kStrings)
    {
        LToolTip::ForgetLastHidden();
        harness.Factory().RegisterControlClass(WString(u"Framework.ToolTip"), &LToolTip::Create);
        window = harness.CreateRoot(u"window");
    }
    ~ToolTipTest() override { LToolTip::ForgetLastHidden(); }

    LControl& Child(const char16_t* name) { return *window->FindChild(WString(name)); }
    LToolTip* TipOf(const char16_t* name)
    {
        return dynamic_cast<LToolTip*>(Child(name).FindChild(WString(u"toolTip")).Get());
    }
    bool Shown(const char16_t* name)
    {
        const LToolTip* tip = TipOf(name);
        return tip && tip->IsVisible(false) && tip->GetState() == LToolTip::kShown;
    }

    ControlHarness harness;
    RCPtr<LControl> window;
};

TEST_F(ToolTipTest, WaitsMoreThan500msThenShowsFor5000ms)
{
    harness.Window()->cursorPosition = {60, 50};
    harness.Tick(1000);
    Child(u"a").ShowToolTip(true);
    LToolTip* tip = TipOf(u"a");
    ASSERT_TRUE(tip);
    EXPECT_EQ(Narrow(tip->GetText()), "First");
    EXPECT_EQ(tip->GetState(), LToolTip::kWaiting);
    EXPECT_FALSE(tip->IsVisible(false));
    EXPECT_TRUE(tip->IsNotFocusable());

    harness.Tick(500);
    EXPECT_FALSE(Shown(u"a")) << "exactly 500 ms is not more than 500";
    harness.Tick(1);
    ASSERT_TRUE(Shown(u"a"));
    // 20 px below the pointer, in the parent's client coordinates.
    EXPECT_EQ(tip->GetBounds(), (RectD{10.0, 30.0, 100.0, 20.0}));

    harness.Tick(5000);
    EXPECT_TRUE(Shown(u"a"));
    harness.Tick(1);
    EXPECT_EQ(tip->GetState(), LToolTip::kIdle);
    EXPECT_FALSE(tip->IsVisible(false));
    harness.Tick();
    EXPECT_FALSE(TipOf(u"a")) << "a hidden tip removes itself from its parent";
}

TEST_F(ToolTipTest, TheNextTipWithin50msOfTheLastHidingShowsAtOnce)
{
    harness.Tick(1000);
    Child(u"a").ShowToolTip(true);
    harness.Tick(600);
    ASSERT_TRUE(Shown(u"a"));
    Child(u"a").ShowToolTip(false);

    struct Row
    {
        std::uint32_t after;
        bool atOnce;
    };
    for (const Row row : {Row{49, true}, Row{50, false}})
    {
        SCOPED_TRACE(row.after);
        harness.Tick(row.after);
        Child(u"b").ShowToolTip(true);
        EXPECT_EQ(Shown(u"b"), row.atOnce);
        // Hidden again without having shown: the moment of the last hiding stays.
        if (!row.atOnce)
            Child(u"b").ShowToolTip(false);
        else
        {
            TipOf(u"b")->Hide();
            harness.Tick(0);
            harness.Tick(1000);
            Child(u"a").ShowToolTip(true);
            harness.Tick(600);
            Child(u"a").ShowToolTip(false);
        }
        harness.Tick();
    }
}

TEST_F(ToolTipTest, TheFirstTipOfASessionWaitsWhateverTheClockReads)
{
    Child(u"a").ShowToolTip(true);
    EXPECT_EQ(TipOf(u"a")->GetState(), LToolTip::kWaiting);
}

TEST_F(ToolTipTest, StaysInsideTheWindowAtTheRightAndBottomEdges)
{
    struct Row
    {
        PointL pointer;
        RectD rootBounds;
    };
    const Row rows[] = {
        {{390, 100}, {300.0, 120.0, 100.0, 20.0}},
        {{100, 290}, {100.0, 280.0, 100.0, 20.0}},
        {{399, 299}, {300.0, 280.0, 100.0, 20.0}},
        {{0, 0}, {0.0, 20.0, 100.0, 20.0}},
    };
    harness.Tick(1000);
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.pointer.x);
        harness.Window()->cursorPosition = row.pointer;
        Child(u"a").ShowToolTip(true);
        harness.Tick(501);
        LToolTip* tip = TipOf(u"a");
        ASSERT_TRUE(tip && tip->IsVisible(false));
        RectL inRoot;
        tip->GetWindowRect(inRoot);
        EXPECT_EQ((RectD{double(inRoot.x), double(inRoot.y), double(inRoot.width), double(inRoot.height)}), row.rootBounds);
        tip->Hide();
        harness.Tick(1000);
    }
}

TEST_F(ToolTipTest, AControlWithoutTextGetsNoTip)
{
    Child(u"silent").ShowToolTip(true);
    EXPECT_FALSE(Child(u"silent").FindChild(WString(u"toolTip")));
}

class WideToolTipTest : public ToolTipTest
{
protected:
    WideToolTipTest() : ToolTipTest(R"(XSizeAbs="600" YSizeAbs="20")") {}
};

TEST_F(WideToolTipTest, IsLimitedToTheWindowWidthLess8AndStartsAtItsLeftEdge)
{
    harness.Tick(1000);
    harness.Window()->cursorPosition = {200, 10};
    Child(u"a").ShowToolTip(true);
    harness.Tick(501);
    LToolTip* tip = TipOf(u"a");
    ASSERT_TRUE(tip);
    EXPECT_EQ(tip->GetWidth(), 392.0);
    RectL inRoot;
    tip->GetWindowRect(inRoot);
    EXPECT_EQ(inRoot.x, 8);
    EXPECT_EQ(inRoot.y, 30);
}

TEST_F(ToolTipTest, TimeDifferencesWrapAt32Bits)
{
    harness.App().SetTimeMs(0xFFFFFF00u);
    harness.Tick(0);
    Child(u"a").ShowToolTip(true);
    harness.Tick(0x100 + 200);
    EXPECT_FALSE(Shown(u"a"));
    harness.Tick(45);
    EXPECT_TRUE(Shown(u"a"));
}

} // namespace
} // namespace QK
