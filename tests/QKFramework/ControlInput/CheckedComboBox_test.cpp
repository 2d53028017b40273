// The checked combo box: its looks with and without checked items, the box mirroring the
// selected item's check and icon, and check changes passed on.
#include "QKFramework/Controls/CheckedComboBox.h"

#include "QKFramework/ControlBase/Look.h"
#include "QKFramework/ControlBase/VisualPart.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Platform/Render/Cairo/PngWriter.h"

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

std::string Combo(const char* name, int y, const char* listClass, const char* listLooks)
{
    return std::string(R"(<SubControl Class="Test.CheckedCombo" Name=")") + name + R"(" XPositionAbs="10" YPositionAbs=")" +
           std::to_string(y) + R"(" XSizeAbs="100" YSizeAbs="20"><Skin Name="c" LookList="combo"/>
      <SubControl Class="Framework.Button" Name="checkBox" XSizeAbs="20" YSizeAbs="20"><Skin Name="b" LookList="box"/></SubControl>
      <SubControl Class=")" + listClass + R"(" Name="listBox" IsVisible="False" ClipToParent="False" YPositionToControl="Parent" YPositionRel="1" XSizeAbs="0" YSizeAbs="0"><Skin Name="l" LookList=")" +
           listLooks + R"("/>
        <SubControl Class="Framework.CheckedListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="10"><Skin Name="r" LookList="rows"/>
          <SubControl Class="Framework.Button" Name="checkBox" XSizeAbs="10" YSizeAbs="10"><Skin Name="b" LookList="box"/></SubControl>
        </SubControl>
      </SubControl>
    </SubControl>)";
}

std::string Tree()
{
    return R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="plain"/>
    )" + Combo("checks", 10, "Framework.CheckedListBox", "plain") +
           Combo("icons", 150, "Framework.ListBoxWithIcons", "withIcons") + R"(
  </SubControl>
</Skin>)";
}

std::string Strings()
{
    std::string tables;
    for (const char* combo : {"checks", "icons"})
        tables += std::string(R"(<StringTable ID="Test.Probe|)") + combo + R"(">
    <String ID="ITEM.0"><Locale LCID="0x0009">alpha</Locale></String>
    <String ID="ITEM.1"><Locale LCID="0x0009">beta</Locale></String>
    <String ID="ITEM.2"><Locale LCID="0x0009">gamma</Locale></String>
  </StringTable>)";
    return tables;
}

std::string Looks()
{
    const auto list = [](const char* name, int count) { return UniformLookList(name, count); };
    return R"(
  <Colorizers><Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/></Colorizers>
  <Parts><Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/>
    <Part Name="icon0" Width="4" Height="4" ResizeType="Stretch" ImageFile="icon0.png" ImageLocX="0" ImageLocY="0"/>
    <Part Name="icon1" Width="4" Height="4" ResizeType="Stretch" ImageFile="icon1.png" ImageLocX="0" ImageLocY="0"/></Parts>
  <Looks><Look Name="grey"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="icons"><NonClientParts>
      <NonClientPart Name="icon0" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
      <NonClientPart Name="icon1" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></NonClientParts></Look></Looks>
  <LookLists>)" + list("plain", 1) +
           list("rows", 14) + list("box", 14) + list("combo", 14) + R"(
    <LookList Name="withIcons" NumLooks="4"><Look Name="grey" Index="0"/><Look Name="grey" Index="1"/><Look Name="grey" Index="2"/><Look Name="icons" Index="3"/></LookList>
  </LookLists>)";
}

class CheckedComboBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int i = 0; i < 2; ++i)
            ASSERT_TRUE(WritePngFile(harness.Folder() / ("icon" + std::to_string(i) + ".png"),
                                     std::vector<std::uint32_t>(16, i == 0 ? 0xFFFF0000u : 0xFF0000FFu), 4, 4));
        LControlFactory& factory = harness.Factory();
        factory.RegisterControlClass(WString(u"Test.CheckedCombo"), &LCheckedComboBox::Create);
        factory.RegisterControlClass(WString(u"Framework.CheckedListBox"), &LCheckedListBox::Create);
        factory.RegisterControlClass(WString(u"Framework.ListBoxWithIcons"), &LCheckedListBox::Create);
        factory.RegisterControlClass(WString(u"Framework.CheckedListBoxItem"), &LCheckedListBoxItem::Create);
        factory.RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
        ASSERT_TRUE(harness.SetRoot(u"top"));
    }
    void TearDown() override
    {
        for (const RCPtr<Recorder>& recorder : recorders)
            recorder->UnsubscribeAll();
        LNotificationCenterManager::ReleaseInstance();
    }
    LCheckedComboBox& Combo(const char* name) { return dynamic_cast<LCheckedComboBox&>(*harness.Find(name)); }
    static LButton& Box(LControl& control)
    {
        return dynamic_cast<LButton&>(*control.FindChild(WString(u"checkBox")));
    }
    // The user's check of an item: its row's box toggled, as a click on it does.
    static void UserCheck(LCheckedListBox& list, std::uint32_t index, bool checked)
    {
        const std::int32_t row = list.GetRowOfItem(index);
        ASSERT_GE(row, 0);
        list.GetCheckedItem(static_cast<std::uint32_t>(row))->GetCheckBox()->SetValue(checked ? 1.0 : 0.0);
    }
    RCPtr<Recorder> Listen(LControl& control, const char16_t* nid)
    {
        const RCPtr<Recorder> recorder = Recorder::Create(Narrow(control.GetName()), log);
        recorder->Subscribe(ConstRCPtr<LNotificationDistributor>(&control), nid);
        recorders.push_back(recorder);
        return recorder;
    }

    WindowHarness harness{Tree(), Strings(), Looks()};
    EventScript script{harness};
    std::vector<std::string> log;
    std::vector<RCPtr<Recorder>> recorders;
};

TEST_F(CheckedComboBoxTest, TheLooksTellWhetherAnyItemIsChecked)
{
    LCheckedComboBox& combo = Combo("checks");
    LCheckedListBox& list = *combo.GetCheckedList();
    ASSERT_EQ(list.GetItemCount(), 3u);
    ASSERT_TRUE(combo.ShowDropDown(true) == QK_OK && combo.IsDroppedDown());
    combo.ShowDropDown(false);
    // Opening the list gave the combo the focus.
    EXPECT_EQ(combo.GetCurrentLookIndex(), 1);
    const RCPtr<Recorder> passed = Listen(combo, u"NID_ITEM_CHECK_CHANGE");

    UserCheck(list, 0, true);
    EXPECT_EQ(combo.GetCurrentLookIndex(), 8) << "the first check";
    UserCheck(list, 2, true);
    EXPECT_EQ(combo.GetCurrentLookIndex(), 8);
    ASSERT_EQ(passed->arguments.size(), 2u);
    EXPECT_EQ(passed->arguments[1], "LIndexedDataParam: Index = 2, Data =  Value = 1.000000")
        << "re-sent with the list's argument";
    UserCheck(list, 2, false);
    UserCheck(list, 0, false);
    EXPECT_EQ(combo.GetCurrentLookIndex(), 1) << "the last check gone";
    EXPECT_EQ(passed->arguments.size(), 4u);

    list.SetItemChecked(1, true);
    combo.SetEnabled(false);
    EXPECT_EQ(combo.GetCurrentLookIndex(), 13) << "disabled with a checked item";
    combo.SetEnabled(true);
    EXPECT_EQ(combo.SetItemCount(1), 1);
    EXPECT_EQ(combo.GetCurrentLookIndex(), 0) << "the checked item went with the count (and disabling took the focus)";
    list.SetItemChecked(0, true);
    EXPECT_EQ(combo.GetCurrentLookIndex(), 0) << "an owner's check changes no look until the combo looks again";
    combo.UpdateLook();
    EXPECT_EQ(combo.GetCurrentLookIndex(), 7);
}

TEST_F(CheckedComboBoxTest, TheBoxMirrorsTheSelectedItem)
{
    LCheckedComboBox& combo = Combo("checks");
    LCheckedListBox& list = *combo.GetCheckedList();
    LButton& box = Box(combo);
    EXPECT_TRUE(box.UsesParentToolTip());
    EXPECT_FALSE(box.IsPassive());
    list.SetItemChecked(2, true);
    EXPECT_EQ(combo.SelectItem(2), 2);
    EXPECT_EQ(box.GetValue(), 1.0);
    EXPECT_EQ(combo.SelectItem(1), 1);
    EXPECT_EQ(box.GetValue(), 0.0);
    EXPECT_EQ(combo.SelectItem(2), 2);
    EXPECT_EQ(combo.SelectItem(-1), -1);
    EXPECT_EQ(box.GetValue(), 1.0) << "no item selected leaves the value";
}

TEST_F(CheckedComboBoxTest, IconsMakeTheBoxAPassiveIconHolder)
{
    LCheckedComboBox& combo = Combo("icons");
    LButton& box = Box(combo);
    EXPECT_TRUE(combo.IsIconMode());
    EXPECT_TRUE(box.IsPassive());
    EXPECT_EQ(combo.GetSelectedIndex(), 0);
    ASSERT_TRUE(box.GetLook(3)->GetOverlayPart()) << "the initial item's icon";
    EXPECT_EQ(combo.SelectItem(1), 1);
    for (std::int32_t look = 0; look < 14; ++look)
    {
        const RCPtr<LLook> boxLook = box.GetLook(look);
        ASSERT_TRUE(boxLook->GetOverlayPart()) << look;
        EXPECT_EQ(boxLook->GetOverlayPart()->GetBitmap().Get(), combo.GetCheckedList()->GetItemIcon(1).Get());
    }
    EXPECT_EQ(combo.SelectItem(-1), -1);
    for (std::int32_t look = 0; look < 14; ++look)
        EXPECT_FALSE(box.GetLook(look)->GetOverlayPart()) << look;

    // The pointer over the box reaches the combo itself.
    const PointL onBox{15, 155};
    script.Move(onBox).Press(1, onBox).Release(1, onBox);
    EXPECT_TRUE(combo.IsDroppedDown());
    EXPECT_EQ(box.GetValue(), 0.0);
}

} // namespace
} // namespace QK
