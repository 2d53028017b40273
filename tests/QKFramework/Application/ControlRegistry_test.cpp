// The framework's control class names: the classes they build, the created flag on return,
// first registration winning, and a name nobody registered.
#include "QKFramework/Application/FrameworkApp.h"

#include "QKFramework/Controls/ComboBox.h"
#include "QKFramework/Controls/ListBoxItem.h"
#include "QKFramework/Controls/Panel.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

const char* const kTree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="200" YSizeAbs="100"><Skin Name="k" LookList="plain"/>
    <SubControl Class="Framework.ComboTextBox" Name="combo" XSizeAbs="50" YSizeAbs="20"><Skin Name="c" LookList="plain"/>
      <SubControl Class="Framework.ListBox" Name="listBox" IsVisible="False" XSizeAbs="0" YSizeAbs="0"><Skin Name="l" LookList="plain"/>
        <SubControl Class="Framework.ListBoxItem" Name="templateItem" XSizeAbs="50" YSizeAbs="20"><Skin Name="r" LookList="plain"/></SubControl>
      </SubControl>
    </SubControl>
    <SubControl Class="Framework.OverlayButton" Name="overlay" XSizeAbs="20" YSizeAbs="20"><Skin Name="o" LookList="plain"/></SubControl>
    <SubControl Class="Framework.ScrollChannel" Name="channel" XSizeAbs="20" YSizeAbs="20"><Skin Name="p" LookList="plain"/></SubControl>
  </SubControl>
</Skin>)";

const char* const kLooks = R"(
  <Colorizers><Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/></Colorizers>
  <Parts><Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/></Parts>
  <Looks><Look Name="grey"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look></Looks>
  <LookLists><LookList Name="plain" NumLooks="14"><Look Name="grey" Index="0"/></LookList></LookLists>)";

RCPtr<LControl> CreateNothing(LControl*, const LControlDescriptor*)
{
    return nullptr;
}

TEST(ControlRegistry, NamesBuildTheirClassesCreatedOnReturn)
{
    WindowHarness harness(kTree, std::string(), kLooks);
    // Registered first, so the table's entry for this name does not replace it.
    harness.Factory().RegisterControlClass(WString(u"Framework.StatusBar"), &CreateNothing);
    for (const FrameworkControlClass& entry : GetFrameworkControlClasses())
        ASSERT_EQ(harness.Factory().RegisterControlClass(WString(entry.name), entry.create), QK_OK);
    LControlCreateFunction function = nullptr;
    harness.Factory().GetControlCreateFunction(WString(u"Framework.StatusBar"), function);
    EXPECT_EQ(function, &CreateNothing) << "the first registration wins";

    ASSERT_TRUE(harness.SetRoot(u"top"));
    const RCPtr<LControl> combo = harness.Find("combo");
    const RCPtr<LControl> overlay = harness.Find("overlay");
    const RCPtr<LControl> channel = harness.Find("channel");
    EXPECT_TRUE(dynamic_cast<LComboBox*>(combo.Get()));
    EXPECT_TRUE(dynamic_cast<LListBoxItem*>(overlay.Get()));
    EXPECT_TRUE(dynamic_cast<LPanel*>(channel.Get()));
    for (const RCPtr<LControl>& control : {combo, overlay, channel})
        EXPECT_TRUE(control && control->IsCreated());
    EXPECT_TRUE(dynamic_cast<LComboBox&>(*combo).GetListBox()) << "Initialize found the list";

    // Names are matched exactly: another case is nobody's name.
    try
    {
        harness.Factory().GetControlCreateFunction(WString(u"Framework.listboxnoscroll"), function);
        ADD_FAILURE() << "no error";
    }
    catch (const std::exception& error)
    {
        const std::string text = error.what();
        EXPECT_EQ(text.rfind("Runtime Error : QK::LControlFactory::", 0), 0u) << text;
        EXPECT_NE(text.find(" : ControlBase\\ControlFactory : Line 51"), std::string::npos) << text;
    }
    LNotificationCenterManager::ReleaseInstance();
}

TEST(ControlRegistry, TheTableKeepsItsOrderAndLines)
{
    const auto& classes = GetFrameworkControlClasses();
    ASSERT_FALSE(classes.empty());
    EXPECT_EQ(std::u16string(classes.front().name), u"Framework.Button");
    EXPECT_EQ(classes.front().line, 94);
    EXPECT_EQ(std::u16string(classes.back().name), u"Framework.CenteredSliderBounds");
    EXPECT_EQ(classes.back().line, 137);
    for (std::size_t i = 1; i < classes.size(); ++i)
        EXPECT_LT(classes[i - 1].line, classes[i].line) << "in table order";

    // Every name, spelled exactly, in its place with its line.
    const struct
    {
        const char16_t* name;
        std::int32_t line;
    } expected[] = {
        {u"Framework.Button", 94},
        {u"Framework.OverlayButton", 97},
        {u"Framework.ListBox", 99},
        {u"Framework.listboxNoScroll", 100},
        {u"Framework.ListBoxItem", 101},
        {u"Framework.CheckedListBox", 102},
        {u"Framework.CheckedListBoxItem", 103},
        {u"Framework.ListBoxWithIcons", 104},
        {u"Framework.listbox2ColumnSortable", 105},
        {u"Framework.ScrollBar", 106},
        {u"Framework.ScrollChannel", 107},
        {u"Framework.ComboBox", 108},
        {u"Framework.ComboTextBox", 109},
        {u"Framework.CheckedComboBox", 110},
        {u"Framework.ComboBoxWithIcons", 111},
        {u"Framework.ComboSlider", 112},
        {u"Framework.ComboSlider.DropDownPanel", 113},
        {u"Framework.Slider", 114},
        {u"Framework.Knob", 115},
        {u"Framework.TabControl", 116},
        {u"Framework.Label", 117},
        {u"Framework.TextBox", 118},
        {u"Framework.NumericUpDown", 119},
        {u"Framework.Panel", 120},
        {u"Framework.ToolTip", 121},
        {u"Framework.PopupMenu", 122},
        {u"Framework.MenuItem", 123},
        {u"Framework.ComboMenu", 124},
        {u"Framework.MainMenu", 125},
        {u"Framework.FileDropper", 126},
        {u"Framework.StatusBar", 127},
        {u"Framework.SplitterH", 128},
        {u"Framework.SplitterV", 129},
        {u"Framework.LevelMeter", 130},
        {u"Framework.ProgressBar", 131},
        {u"Framework.TreeView", 132},
        {u"Framework.TreeViewItem", 133},
        {u"Framework.Dropper", 134},
        {u"Framework.CenteredSlider", 136},
        {u"Framework.CenteredSliderBounds", 137},
    };
    ASSERT_EQ(classes.size(), std::size(expected));
    for (std::size_t i = 0; i < classes.size(); ++i)
    {
        EXPECT_EQ(std::u16string(classes[i].name), std::u16string(expected[i].name)) << "row " << i + 1;
        EXPECT_EQ(classes[i].line, expected[i].line) << "row " << i + 1;
        EXPECT_NE(classes[i].create, nullptr) << "row " << i + 1;
    }
}

} // namespace
} // namespace QK
