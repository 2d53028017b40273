// The label: never a tab stop, and its tooltip is its own text when the text does not fit.
#include "QKFramework/Controls/Label.h"

#include "tests/support/Controls/ControlHarness.h"

#include <gtest/gtest.h>

#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

// A text area 4 pixels in from each side: 92 pixels of a 100-pixel label. The fake
// measurement renderer gives every character 10 pixels.
const char* const kLooks = R"(
  <Colorizers><Colorizer Name="ink" ColorType="SolidFill" Color="FF000000"/></Colorizers>
  <Parts><Part Name="ink" Width="1" Height="1" ResizeType="Stretch" ColorizerName="ink"/></Parts>
  <Looks>
    <Look Name="text"><TextProperties TextLeftRel="0" TextLeftAbs="4" TextRightRel="1" TextRightAbs="-4"
      TextHAlign="0" TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0"
      TextForegroundPart="ink"/></Look>
  </Looks>
  <LookLists><LookList Name="text" NumLooks="1"><Look Name="text" Index="0"/></LookList></LookLists>
)";

const char* const kTree = R"(
<Skin Name="Main" FontName="DejaVu Sans" FontSize="10">
  <SubControl Class="Test.Probe" Name="window" XSizeAbs="300" YSizeAbs="100">
    <SubControl Class="Framework.Label" Name="tipped" XSizeAbs="100" YSizeAbs="20" TabStop="1"><Skin Name="a" LookList="text"/></SubControl>
    <SubControl Class="Framework.Label" Name="plain" YPositionAbs="30" XSizeAbs="100" YSizeAbs="20" TabStop="2"><Skin Name="b" LookList="text"/></SubControl>
    <SubControl Class="Test.Probe" Name="field" YPositionAbs="60" XSizeAbs="100" YSizeAbs="20" TabStop="3"/>
  </SubControl>
</Skin>
)";

const char* const kStrings = R"(
  <StringTable ID="Test.Probe|tipped">
    <String ID="TOOLTIP"><Locale LCID="0x0009">Velocity curve</Locale></String>
  </StringTable>
)";

class LabelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.Factory().RegisterControlClass(WString(u"Framework.Label"), &LLabel::Create);
        window = harness.CreateRoot(u"window");
        ASSERT_TRUE(window);
    }
    LControl& Child(const char16_t* name) { return *window->FindChild(WString(name)); }

    ControlHarness harness{kTree, kStrings, kLooks};
    RCPtr<LControl> window;
};

TEST_F(LabelTest, NeverTakesTheFocusWhateverItsTabStop)
{
    for (const char16_t* name : {u"tipped", u"plain"})
    {
        LControl& label = Child(name);
        EXPECT_FALSE(label.IsFocusable());
        EXPECT_FALSE(label.CanTakeFocus());
        label.SetFocus(true);
        EXPECT_FALSE(label.HasFocus());
    }
    // Focus held elsewhere stays there when a label is asked to take it.
    LControl& field = Child(u"field");
    field.SetNotFocusable(false);
    field.SetFocus(true);
    ASSERT_TRUE(field.HasFocus());
    Child(u"plain").SetFocus(true);
    EXPECT_TRUE(field.HasFocus());
}

TEST_F(LabelTest, TheToolTipIsTheTextOnlyWhenItDoesNotFit)
{
    struct Case
    {
        const char16_t* label;
        const char16_t* text;
        const char* toolTip;
    };
    const Case cases[] = {
        {u"tipped", u"Short", "Velocity curve"},                  // 50 of 92 pixels: the skin's tooltip
        {u"tipped", u"A rather long name", "A rather long name"}, // 180 pixels
        {u"plain", u"Exactly 9", ""},                             // 90 pixels fit: no tooltip at all
        {u"plain", u"Exactly 10", "Exactly 10"},                  // 100 pixels do not
    };
    for (const Case& c : cases)
    {
        LControl& label = Child(c.label);
        label.SetText(WString(c.text));
        EXPECT_EQ(Narrow(label.GetToolTipText()), c.toolTip) << Narrow(WString(c.text));
    }
}

} // namespace
} // namespace QK
