// The combo box through a real root window: where its list opens, the press that closes it,
// the keys, the selection by index, by text and by typed text, inserting and shrinking
// items, and a skin without a list.
#include "QKFramework/Controls/ComboBox.h"

#include "QKFramework/Controls/TextBox.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Renderer/Gdi/GDIRenderContextInfo.h"

#include "tests/support/Recorder.h"
#include "tests/support/UI/ControlTestTools.h"
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

std::string Combo(const char* name, int x, int y, int height, const char* extra = "", const char* children = "")
{
    return std::string(R"(<SubControl Class="Framework.ComboBox" Name=")") + name + R"(" XPositionAbs=")" +
           std::to_string(x) + R"(" YPositionAbs=")" + std::to_string(y) + R"(" XSizeAbs="100" YSizeAbs=")" +
           std::to_string(height) + "\" " + extra + R"(><Skin Name="c" LookList="combo"/>
      <SubControl Class="Framework.ListBox" Name="listBox" IsVisible="False" ClipToParent="False" YPositionToControl="Parent" YPositionRel="1" XSizeAbs="0" YSizeAbs="0"><Skin Name="l" LookList="plain"/>
        <SubControl Class="Framework.ListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="20"><Skin Name="r" LookList="rows"/></SubControl>
      </SubControl>)" +
           children + "\n    </SubControl>";
}

// The window's client area is 400 x 300. "low" has 200 px of room above it and 50 below,
// both after the 5 px margin; "high" opens below.
std::string Tree()
{
    return R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="plain"/>
    )" + Combo("low", 10, 205, 40) +
           "\n    " + Combo("high", 150, 20, 20, R"(TabStop="2")") + "\n    " +
           Combo("typed", 270, 20, 20, R"(TabStop="3")",
                 R"(<SubControl Class="Framework.TextBox" Name="textBox" XSizeAbs="80" YSizeAbs="20" TabStop="1"><Skin Name="t" LookList="plain"/></SubControl>)") +
           "\n    " + Combo("initial", 150, 100, 20, R"(TabStop="4")") + R"(
    <SubControl Class="Test.Probe" Name="other" XPositionAbs="300" YPositionAbs="250" XSizeAbs="20" YSizeAbs="20" TabStop="5"><Skin Name="o" LookList="plain"/></SubControl>
    <SubControl Class="Framework.ComboBox" Name="listless" XPositionAbs="300" YPositionAbs="100" XSizeAbs="50" YSizeAbs="20" TabStop="6"><Skin Name="c" LookList="combo"/></SubControl>
  </SubControl>
</Skin>)";
}

std::string Items(const char* combo)
{
    return std::string(R"(
  <StringTable ID="Test.Probe|)") +
           combo + R"(">
    <String ID="ITEM.0"><Locale LCID="0x0009">alpha</Locale></String>
    <String ID="ITEM.1"><Locale LCID="0x0009">beta</Locale></String>
    <String ID="ITEM.2"><Locale LCID="0x0009">gamma</Locale></String>
  </StringTable>)";
}

std::string Strings()
{
    return Items("low") + Items("high") + Items("typed") + Items("initial") + R"(
  <StringTable ID="Test.Probe|listless">
    <String ID="ITEM.0"><Locale LCID="0x0009">alpha</Locale></String>
  </StringTable>)";
}

std::string Looks()
{
    const auto list = [](const char* name, int count)
    {
        std::string looks;
        for (int i = 0; i < count; ++i)
            looks += "<Look Name=\"grey\" Index=\"" + std::to_string(i) + "\"/>";
        return std::string("<LookList Name=\"") + name + "\" NumLooks=\"" + std::to_string(count) + "\">" + looks +
               "</LookList>";
    };
    return R"(
  <Colorizers><Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/></Colorizers>
  <Parts><Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/></Parts>
  <Looks><Look Name="grey"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look></Looks>
  <LookLists>)" + list("plain", 3) +
           list("rows", 14) + list("combo", 7) + "</LookLists>";
}


class ComboBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LControlFactory& factory = harness.Factory();
        factory.RegisterControlClass(WString(u"Framework.ComboBox"), &LComboBox::Create);
        factory.RegisterControlClass(WString(u"Framework.ListBox"), &LListBox::Create);
        factory.RegisterControlClass(WString(u"Framework.ListBoxItem"), &LListBoxItem::Create);
        factory.RegisterControlClass(WString(u"Framework.TextBox"), &LTextBox::Create);
        ASSERT_TRUE(harness.SetRoot(u"top"));
    }
    void TearDown() override
    {
        for (const RCPtr<Recorder>& recorder : recorders)
            recorder->UnsubscribeAll();
        LNotificationCenterManager::ReleaseInstance();
    }
    LComboBox& Combo(const char* name) { return dynamic_cast<LComboBox&>(*harness.Find(name)); }

    WindowHarness harness{Tree(), Strings(), Looks()};
    EventScript script{harness};
    // "<control>:<NID>" for what the controls listened to send.
    RCPtr<Recorder> Listen(LControl& control, const char16_t* nid)
    {
        const RCPtr<Recorder> recorder = Recorder::Create(Narrow(control.GetName()), log);
        recorder->Subscribe(ConstRCPtr<LNotificationDistributor>(&control), nid);
        recorders.push_back(recorder);
        return recorder;
    }

    std::vector<std::string> log;
    std::vector<RCPtr<Recorder>> recorders;
};

TEST_F(ComboBoxTest, TheListOpensWhereItFits)
{
    LComboBox& low = Combo("low");
    ASSERT_EQ(low.GetItemCount(), 3u);
    LListBox& list = *low.GetListBox();
    EXPECT_EQ(list.GetItemHeightPixels(), 20);
    EXPECT_FALSE(low.IsDroppedDown());
    Listen(low, u"NID_DROPDOWN_OPENING");

    ASSERT_EQ(low.ShowDropDown(true), QK_OK);
    EXPECT_TRUE(low.IsDroppedDown());
    EXPECT_EQ(log, std::vector<std::string>{"low:NID_DROPDOWN_OPENING"});
    // 60 px needed, 50 below and 200 above: above, at its natural height.
    EXPECT_EQ(list.GetBounds(), (RectD{0.0, -60.0, 100.0, 60.0}));
    EXPECT_EQ(low.GetCurrentLookIndex(), LComboBox::kLookDroppedDown);
    EXPECT_EQ(list.GetSelectedIndices(), std::vector<std::int32_t>{0}) << "no text matches: item 0";

    LComboBox& high = Combo("high");
    ASSERT_EQ(high.SelectItem(2), 2);
    ASSERT_EQ(high.ShowDropDown(true), QK_OK);
    EXPECT_EQ(high.GetListBox()->GetBounds(), (RectD{0.0, 20.0, 100.0, 60.0})) << "below";
    EXPECT_EQ(high.GetListBox()->GetSelectedIndices(), std::vector<std::int32_t>{2}) << "the current text";
    EXPECT_FALSE(low.IsDroppedDown()) << "the focus went to the other list";
}

TEST_F(ComboBoxTest, APressOpensAndThePressThatClosesIsSwallowed)
{
    LComboBox& high = Combo("high");
    script.Move({160, 30}).Press(1, {160, 30});
    EXPECT_TRUE(high.IsDroppedDown()) << "opens on the press";
    script.Release(1, {160, 30});
    EXPECT_TRUE(high.IsDroppedDown()) << "a release on the combo keeps it open";

    script.Press(1, {160, 30});
    EXPECT_FALSE(high.IsDroppedDown()) << "the press closes it";
    script.Release(1, {160, 30});
    EXPECT_FALSE(high.IsDroppedDown()) << "and does not open it again";
    script.Press(1, {160, 30}).Release(1, {160, 30});
    EXPECT_TRUE(high.IsDroppedDown()) << "the next press opens it";

    // Press, drag and release across the list picks; the list holds the press.
    Listen(high, u"NID_SELECTION_CHANGE");
    script.Press(1, {160, 30}).Release(1, {160, 30});
    ASSERT_FALSE(high.IsDroppedDown());
    script.Press(1, {160, 30});
    ASSERT_TRUE(high.IsDroppedDown());
    script.Move({160, 50}).Move({160, 65});
    script.Release(1, {160, 65});
    EXPECT_FALSE(high.IsDroppedDown());
    EXPECT_EQ(high.GetSelectedIndex(), 1) << "the row at 65 shows beta";
    EXPECT_EQ(Narrow(high.GetText()), "beta");
    EXPECT_EQ(log, std::vector<std::string>{"high:NID_SELECTION_CHANGE"});

    // A release outside the combo and its list closes it.
    script.Press(1, {160, 30});
    ASSERT_TRUE(high.IsDroppedDown());
    script.Move({380, 200}).Release(1, {380, 200});
    EXPECT_FALSE(high.IsDroppedDown());

    // Losing the focus closes it too.
    high.ShowDropDown(true);
    ASSERT_TRUE(high.IsDroppedDown());
    harness.Find("other")->SetFocus(true);
    EXPECT_FALSE(high.IsDroppedDown());
}

TEST_F(ComboBoxTest, KeysOpenAndCloseTheList)
{
    LComboBox& high = Combo("high");
    ASSERT_EQ(high.SetFocus(true), QK_OK);
    script.Key(0x28);
    EXPECT_TRUE(high.IsDroppedDown()) << "Down opens";
    script.Key(0x28);
    EXPECT_EQ(high.GetListBox()->GetCaret(), 1) << "the open list takes the arrows";
    script.Key(0x0D);
    EXPECT_FALSE(high.IsDroppedDown()) << "Enter in the list picks";
    EXPECT_EQ(high.GetSelectedIndex(), 1);
    high.SetFocus(true);
    script.Key(0x0D);
    EXPECT_TRUE(high.IsDroppedDown()) << "Enter opens";
    script.Key(0x1B);
    EXPECT_FALSE(high.IsDroppedDown()) << "Escape closes";
    const RCPtr<LKeyParam> copy = LKeyParam::Create(KeyCode::Parse(WString(u"Ctrl+VKEY_C")));
    EXPECT_EQ(high.DispatchKey(copy.Get()), QK_OK) << "other keys do nothing";
}

TEST_F(ComboBoxTest, SelectionByIndexAndText)
{
    LComboBox& high = Combo("high");
    Listen(high, u"NID_SELECTION_CHANGE");
    EXPECT_EQ(high.GetSelectedIndex(), 0) << "the initial index defaults to 0";
    EXPECT_EQ(Narrow(high.GetText()), "alpha");
    EXPECT_EQ(high.SelectItem(2), 2);
    EXPECT_EQ(high.SelectItem(2), 2);
    EXPECT_EQ(log.size(), 1u) << "selecting the selected item again sends nothing";
    EXPECT_EQ(high.SelectItem(-1), -1);
    EXPECT_EQ(log.size(), 1u) << "clearing sends nothing";
    EXPECT_EQ(Narrow(high.GetText()), "gamma") << "and keeps the text";
    EXPECT_TRUE(high.GetListBox()->GetSelectedIndices().empty());
    EXPECT_EQ(high.SelectItem(7), -1);

    high.InsertItem(3, WString(u"BETA"));
    EXPECT_EQ(high.SetText(WString(u"Beta")), QK_OK);
    EXPECT_EQ(high.GetSelectedIndex(), 3) << "the highest index equal ignoring case";
    EXPECT_EQ(high.SetText(WString(u"BETA")), QK_FALSE) << "the item's own text";
    EXPECT_EQ(high.SetText(WString(u"delta")), QK_OK);
    EXPECT_EQ(high.GetSelectedIndex(), -1);

    LComboBox& typed = Combo("typed");
    Listen(typed, u"NID_SELECTION_CHANGE");
    Listen(typed, u"NID_TEXTBOX_VALIDATED");
    log.clear();
    LTextBox& box = *typed.GetTextBox();
    box.SetText(WString(u"GAMMA"), true);
    box.Validate();
    EXPECT_EQ(typed.GetSelectedIndex(), 2) << "typed text selects the item that equals it";
    EXPECT_EQ(Narrow(typed.GetText()), "gamma");
    EXPECT_EQ(log, (std::vector<std::string>{"typed:NID_SELECTION_CHANGE", "typed:NID_TEXTBOX_VALIDATED"}));

    LComboBox& initial = Combo("initial");
    EXPECT_EQ(initial.GetSelectedIndex(), 0);
}

TEST_F(ComboBoxTest, InsertingAndShrinkingKeepTheSelectionRight)
{
    LComboBox& high = Combo("high");
    ASSERT_EQ(high.SelectItem(1), 1);
    struct Case
    {
        const char* what;
        std::function<std::int32_t()> call;
        std::int32_t answer;
        std::int32_t selected;
    };
    const Case cases[] = {
        {"before the selection", [&] { return high.InsertItem(0, WString(u"first")); }, 0, 2},
        {"at the selection", [&] { return high.InsertItem(2, WString(u"second")); }, 2, 3},
        {"after it", [&] { return high.AddItem(WString(u"last")); }, 5, 3},
        {"an empty item", [&] { return high.InsertItem(1, WString()); }, static_cast<std::int32_t>(0x80070057), 3},
        {"a count above the selection", [&] { return high.SetItemCount(4); }, 4, 3},
        {"a count below the selection", [&] { return high.SetItemCount(2); }, 2, -1},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(c.call(), c.answer) << c.what;
        EXPECT_EQ(high.GetSelectedIndex(), c.selected) << c.what;
    }
    EXPECT_EQ(Narrow(high.GetListBox()->GetItemText(1)), "alpha");

    high.ShowDropDown(true);
    high.SetItemCount(3);
    EXPECT_EQ(high.GetListBox()->GetBounds().height, 60.0) << "an open list fits its new items";
}

TEST_F(ComboBoxTest, ADetachedSourceLeavesEveryTableOfTheChain)
{
    LComboBox& high = Combo("high");
    LListBox& list = *high.GetListBox();
    list.SelectItemRange(2, -1, true);
    list.ActivateItem(2);
    ASSERT_EQ(high.GetSelectedIndex(), 2) << "the combo's own table takes the list's activation";

    high.DetachFromDistributor(ConstRCPtr<LNotificationDistributor>(&list), GetNotificationId(u"NID_ITEM_ACTIVATED"));
    list.SelectItemRange(1, -1, true);
    list.ActivateItem(1);
    EXPECT_EQ(high.GetSelectedIndex(), 2) << "no table hears it any more";
    // The drop-down's own table still hears the control's presses.
    script.Move({160, 30}).Press(1, {160, 30}).Release(1, {160, 30});
    EXPECT_TRUE(high.IsDroppedDown());
    script.Press(1, {160, 30}).Release(1, {160, 30});
    EXPECT_FALSE(high.IsDroppedDown());
}

TEST_F(ComboBoxTest, AComboWithoutItsListRefusesListWork)
{
    LComboBox& listless = Combo("listless");
    EXPECT_EQ(listless.Initialize(), static_cast<QKRESULT>(0x80004005));
    EXPECT_EQ(listless.SetItemCount(3), static_cast<std::int32_t>(0x80004005));
    EXPECT_EQ(listless.ShowDropDown(true), static_cast<QKRESULT>(0x80004005));
    EXPECT_EQ(listless.InsertItem(0, WString(u"x")), static_cast<std::int32_t>(0x80004005));
    EXPECT_EQ(listless.SelectItem(0), -1);
    EXPECT_EQ(listless.GetItemCount(), 0u);
    EXPECT_FALSE(listless.IsDroppedDown());
    script.Move({310, 110}).Press(1, {310, 110}).Release(1, {310, 110});
    EXPECT_FALSE(listless.IsDroppedDown());
}

// Two combo boxes of a 260 x 200 window, one opening below with its second item picked, one
// near the bottom opening above.
std::string PictureCombo(const char* name, int x, int y)
{
    return std::string(R"(<SubControl Class="Framework.ComboBox" Name=")") + name + R"(" XPositionAbs=")" +
           std::to_string(x) + R"(" YPositionAbs=")" + std::to_string(y) + R"(" XSizeAbs="110" YSizeAbs="22" TabStop="1"><Skin Name="c" LookList="combo"/>
      <SubControl Class="Framework.ListBox" Name="listBox" IsVisible="False" ClipToParent="False" YPositionToControl="Parent" YPositionRel="1" XSizeAbs="0" YSizeAbs="0"><Skin Name="l" LookList="list"/>
        <SubControl Class="Framework.ListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="18"><Skin Name="r" LookList="rows"/></SubControl>
      </SubControl>
    </SubControl>)";
}

std::string PictureTree()
{
    return R"(<Skin Name="s" FontName="DejaVu Sans" FontSize="10">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="260" YSizeAbs="200" TabStop="-1"><Skin Name="t" LookList="back"/>
    )" + PictureCombo("below", 10, 10) +
           "\n    " + PictureCombo("above", 140, 168) + R"(
  </SubControl>
</Skin>)";
}

std::string PictureStrings()
{
    std::string tables;
    for (const char* combo : {"below", "above"})
        tables += std::string(R"(<StringTable ID="Test.Probe|)") + combo + R"(">
    <String ID="ITEM.0"><Locale LCID="0x0009">Channel 1</Locale></String>
    <String ID="ITEM.1"><Locale LCID="0x0009">Channel 2</Locale></String>
    <String ID="ITEM.2"><Locale LCID="0x0009">Channel 3</Locale></String>
    <String ID="ITEM.3"><Locale LCID="0x0009">Omni</Locale></String>
  </StringTable>)";
    return tables;
}

std::string PictureLooks()
{
    const std::string text = R"(<TextProperties TextLeftRel="0" TextLeftAbs="5" TextRightRel="1" TextRightAbs="-5" TextHAlign="0"
        TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0.5" TextForegroundPart="ink"/>)";
    const auto flat = [&](const char* name, const char* part)
    {
        return std::string("<Look Name=\"") + name + "\"><ClientPart Name=\"" + part +
               R"(" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>)" + text + "</Look>";
    };
    // A combo: the frame's colour under a white inside, text over it.
    const auto framed = [&](const char* name, const char* frame)
    {
        return std::string("<Look Name=\"") + name + "\"><ClientPart Name=\"" + frame +
               R"(" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/><NonClientParts><NonClientPart Name="white" OffsetLeft="1" OffsetTop="1" OffsetRight="-1" OffsetBottom="-1"/></NonClientParts>)" +
               text + "</Look>";
    };
    // A list: its client area 1 px inside a frame that its rows leave uncovered.
    const std::string listFrame =
        R"(<Look Name="frame"><ClientPart Name="white" OffsetLeft="1" OffsetTop="1" OffsetRight="-1" OffsetBottom="-1"/><NonClientParts><NonClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></NonClientParts></Look>)";
    std::string rows;
    for (int i = 0; i < 14; ++i)
        rows += std::string("<Look Name=\"") + (i >= 7 && i <= 12 ? "selected" : i == 1 || i == 4 ? "hover" : "row") +
                "\" Index=\"" + std::to_string(i) + "\"/>";
    std::string combo;
    for (int i = 0; i < 7; ++i)
        combo += std::string("<Look Name=\"") + (i == 4 || i == 5 ? "open" : "closed") + "\" Index=\"" +
                 std::to_string(i) + "\"/>";
    return R"(
  <Colorizers><Colorizer Name="back" ColorType="SolidFill" Color="FFE8E8E8"/>
    <Colorizer Name="white" ColorType="SolidFill" Color="FFFFFFFF"/>
    <Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/>
    <Colorizer Name="blue" ColorType="SolidFill" Color="FF3070C0"/>
    <Colorizer Name="highlight" ColorType="SolidFill" Color="FFB8D0F0"/>
    <Colorizer Name="ink" ColorType="SolidFill" Color="FF000000"/></Colorizers>
  <Parts><Part Name="back" Width="1" Height="1" ResizeType="Stretch" ColorizerName="back"/>
    <Part Name="white" Width="1" Height="1" ResizeType="Stretch" ColorizerName="white"/>
    <Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/>
    <Part Name="blue" Width="1" Height="1" ResizeType="Stretch" ColorizerName="blue"/>
    <Part Name="highlight" Width="1" Height="1" ResizeType="Stretch" ColorizerName="highlight"/>
    <Part Name="ink" Width="1" Height="1" ResizeType="Stretch" ColorizerName="ink"/></Parts>
  <Looks>
    <Look Name="back"><ClientPart Name="back" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    )" + framed("closed", "grey") +
           framed("open", "blue") + listFrame + flat("row", "white") + flat("hover", "back") +
           flat("selected", "highlight") + R"(
  </Looks>
  <LookLists><LookList Name="back" NumLooks="1"><Look Name="back" Index="0"/></LookList>
    <LookList Name="list" NumLooks="1"><Look Name="frame" Index="0"/></LookList>
    <LookList Name="rows" NumLooks="14">)" +
           rows + R"(</LookList>
    <LookList Name="combo" NumLooks="7">)" + combo +
           "</LookList></LookLists>";
}

TEST(ComboBoxPicture, ListsOpenBelowAndAbove)
{
    WindowHarness harness(PictureTree(), PictureStrings(), PictureLooks());
    const ScopedRenderApp measuring;
    harness.Factory().RegisterControlClass(WString(u"Framework.ComboBox"), &LComboBox::Create);
    harness.Factory().RegisterControlClass(WString(u"Framework.ListBox"), &LListBox::Create);
    harness.Factory().RegisterControlClass(WString(u"Framework.ListBoxItem"), &LListBoxItem::Create);
    const RCPtr<LRenderer> renderer = LRenderer::Create(1, 0);
    RecordingWindowHost host;
    host.clientRect = {0, 0, 260, 200};
    const auto window = LRootWindow::Create(renderer, &host);
    ASSERT_EQ(window->SetRootControl(WString(u"top")), QK_OK);
    LControl& top = *window->GetRootControl();
    auto& below = dynamic_cast<LComboBox&>(*top.FindChild(WString(u"below")));
    auto& above = dynamic_cast<LComboBox&>(*top.FindChild(WString(u"above")));
    ASSERT_EQ(below.SelectItem(1), 1);
    ASSERT_EQ(above.ShowDropDown(true), QK_OK);
    ASSERT_EQ(below.ShowDropDown(true), QK_OK);
    // In use the focus keeps one list open at a time; the picture shows both.
    above.GetListBox()->SetVisible(true);
    ASSERT_TRUE(below.IsDroppedDown());
    ASSERT_TRUE(above.IsDroppedDown());
    EXPECT_EQ(below.GetListBox()->GetBounds().y, 22.0) << "below the control";
    EXPECT_EQ(above.GetListBox()->GetBounds().y + above.GetListBox()->GetHeight(), 0.0) << "above the control";
    EXPECT_EQ(below.GetListBox()->GetHeight(), 4 * 18 + 2.0) << "four whole rows in a 1 px frame";

    RCPtr<LRenderContextInfo> context;
    ASSERT_EQ(renderer->InitRenderContextInfo({0, 0, 260, 200}, 0, true, context), QK_OK);
    renderer->RenderStart(context);
    RectRegion region;
    window->TakeUpdateRegion(region);
    region.AddRect(0, 0, 260, 200);
    window->Paint(region);
    renderer->RenderFinish(context);

    const IDrawingSurface& surface = static_cast<LGDIRenderContextInfo&>(*context).GetFrontSurface().GetSurface();
    EXPECT_EQ(surface.GetPixel(5, 5), 0xFFE8E8E8u) << "background";
    EXPECT_EQ(surface.GetPixel(10, 20), 0xFF3070C0u) << "an open combo's frame";
    EXPECT_EQ(surface.GetPixel(105, 32 + 18 + 9), 0xFFB8D0F0u) << "the picked item, second row below";
    EXPECT_EQ(surface.GetPixel(105, 32 + 9), 0xFFFFFFFFu) << "the first row";
    EXPECT_EQ(surface.GetPixel(240, 168 - 1), 0xFF808080u) << "the frame of the list above, at its bottom";
    EXPECT_EQ(surface.GetPixel(240, 168 - 1 - 72 + 9), 0xFFB8D0F0u) << "the list above: its first item picked";

    EXPECT_TRUE(SavePicture(surface, "combo-boxes-open.png"));
    window->SetHost(nullptr);
    window->SetRootControl(RCPtr<LControl>());
    LNotificationCenterManager::ReleaseInstance();
}

} // namespace
} // namespace QK
