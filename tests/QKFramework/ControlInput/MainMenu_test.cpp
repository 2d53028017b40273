// The menu bar through a real root window: buttons from "MENU_LABEL.n" and the
// "CONTEXT_MENU" groups, insertion, commands posted from the root window, switching menus on
// hover, press-drag-release, a text box's context menu, and the File menu drawn open.
#include "QKFramework/Controls/MainMenu.h"

#include "QKFramework/Notification/NotificationCenter.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Platform/Render/Cairo/PngWriter.h"
#include "QKFramework/Renderer/Gdi/GDIRenderContextInfo.h"

#include "tests/support/Controls/FakeClipboard.h"
#include "tests/support/Recorder.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/UI/EventScript.h"
#include "tests/support/UI/MenuFixtures.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

std::string BarTree(const std::string& looks = "combo")
{
    return R"(<Skin Name="s" FontName="DejaVu Sans" FontSize="10">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="plain"/>
    <SubControl Class="Framework.MainMenu" Name="mainMenu" XSizeAbs="400" YSizeAbs="20"><Skin Name="b" LookList="plain"/>
      <SubControl Class="Framework.ComboMenu" Name="templateMenu" XSizeAbs="60" YSizeAbs="20"><Skin Name="c" LookList=")" +
           looks + R"("/>
        )" + PopupMenuXml("popupMenu", R"(YPositionToControl="Parent" YPositionRel="1")") +
           R"(
      </SubControl>
    </SubControl>
    <SubControl Class="Test.Probe" Name="target" XPositionAbs="10" YPositionAbs="250" XSizeAbs="40" YSizeAbs="20" TabStop="1"><Skin Name="t" LookList="plain"/></SubControl>
    <SubControl Class="Framework.TextBox" Name="textBox" XPositionAbs="200" YPositionAbs="250" XSizeAbs="100" YSizeAbs="20" TabStop="2"><Skin Name="x" LookList="plain"/></SubControl>
  </SubControl>
  )" + PopupMenuXml("contextMenu") +
           "\n</Skin>";
}

std::string Entry(const std::string& id, const std::string& text)
{
    return R"(<String ID=")" + id + R"("><Locale LCID="0x0009">)" + text + "</Locale></String>\n";
}

// File (with its send submenu) and Help; extra entries go into the bar's table.
std::string BarStrings(const std::string& extra = std::string())
{
    return R"(<StringTable ID="Test.Probe|mainMenu">
)" + Entry("MENU_LABEL.00", "File") +
           Entry("MENU_LABEL.01", "Help") + Entry("MENU_LABEL.-1", "Negative") + Entry("MENU_LABEL.x", "Letters") +
           Entry("CONTEXT_MENU0.0.NID_MENU_FILE_LOAD_PRESET_FROM_FILE", "Open Favorite") +
           Entry("CONTEXT_MENU0.1.NID_MENU_FILE_SAVE_PRESET_TO_FILE", "Save Favorite") +
           Entry("CONTEXT_MENU0.2.SEND.", "Send Favorite") + Entry("CONTEXT_MENU0.3.-", "") +
           Entry("CONTEXT_MENU0.4.NID_APP_EXIT_REQ", "Exit") +
           Entry("CONTEXT_MENU0.SEND.0.NID_MENU_FILE_SEND_PRESET0_TO_DEVICE", "Ram") +
           Entry("CONTEXT_MENU0.SEND.1.NID_MENU_FILE_SEND_PRESET1_TO_DEVICE", "Favorite 1") +
           Entry("CONTEXT_MENU0.SEND.2.NID_MENU_FILE_SEND_PRESET2_TO_DEVICE", "Favorite 2") +
           Entry("CONTEXT_MENU1.0.NID_HELP_ABOUT", "About") + extra + "</StringTable>";
}

class MainMenuTest : public ::testing::Test
{
protected:
    explicit MainMenuTest(const std::string& extra = std::string()) : harness(BarTree(), BarStrings(extra), MenuLooks())
    {
    }
    void SetUp() override
    {
        RegisterMenuClasses(harness.Factory());
        ASSERT_TRUE(harness.SetRoot(u"top"));
    }
    void TearDown() override
    {
        for (const RCPtr<Recorder>& recorder : recorders)
            recorder->UnsubscribeAll();
        LNotificationCenterManager::ReleaseInstance();
    }
    LMainMenu& Bar() { return dynamic_cast<LMainMenu&>(*harness.Find("mainMenu")); }
    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (std::uint32_t i = 0; i < Bar().GetMenuCount(); ++i)
        {
            const RCPtr<LComboMenu> button = Bar().GetMenuButton(i);
            names.push_back(Narrow(button->GetName()) + "=" + Narrow(button->GetText()) + "/" +
                            Narrow(Bar().GetMenuDescriptor(button.Get())->GetItem(0)->Label));
        }
        return names;
    }
    RCPtr<Recorder> Listen(LNotificationDistributor& source, const char* name, const char16_t* nid)
    {
        const RCPtr<Recorder> recorder = Recorder::Create(name, log);
        recorder->Subscribe(ConstRCPtr<LNotificationDistributor>(&source), nid);
        recorders.push_back(recorder);
        return recorder;
    }

    WindowHarness harness;
    EventScript script{harness};
    std::vector<std::string> log;
    std::vector<RCPtr<Recorder>> recorders;
};

TEST_F(MainMenuTest, TwoLabelsAndTwoMenusMakeTwoButtonsLeftToRight)
{
    EXPECT_EQ(Names(), (std::vector<std::string>{"File=File/Open Favorite", "Help=Help/About"}))
        << "the template is closed, the labels without digits are skipped";
    const RCPtr<LComboMenu> file = Bar().GetMenuButton(0);
    const RCPtr<LComboMenu> help = Bar().GetMenuButton(1);
    EXPECT_EQ(help->GetBounds().x, file->GetBounds().x + file->GetWidth());
    EXPECT_EQ(file->GetCurrentLookIndex(), LComboMenu::kLookNormal);
    EXPECT_TRUE(Bar().IsNotFocusable());
}

class ThirdLabelTest : public MainMenuTest
{
protected:
    ThirdLabelTest() : MainMenuTest(Entry("MENU_LABEL.02", "Tools")) {}
};

TEST_F(ThirdLabelTest, AThirdLabelWithoutAThirdMenuAddsNoMenuAtAll)
{
    EXPECT_EQ(Bar().GetMenuCount(), 0u);
}

TEST_F(MainMenuTest, InsertionShiftsLabelsMenusAndNames)
{
    RCPtr<LMenuDescriptor> edit = LMenuDescriptor::Create();
    edit->InsertItem(0, WString(u"Undo"), WString(u"NID_EDIT_UNDO"), true, false);
    EXPECT_EQ(Bar().InsertMenu(3, WString(u"Tools"), WString(u"Tools"), edit), QK_E_INVALIDARG);
    EXPECT_EQ(Bar().InsertMenu(0, WString(u"Edit"), WString(u"Edit"), edit), 0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Edit=Edit/Undo", "File=File/Open Favorite", "Help=Help/About"}));
    EXPECT_EQ(Bar().InsertMenu(3, WString(u"Tools"), WString(u"Tools"), edit), 3) << "at the count: appended";
    EXPECT_EQ(Bar().InsertMenuBefore(WString(u"Nowhere"), WString(u"X"), WString(u"X"), edit), QK_E_INVALIDARG);

    // A name the bar has already: refused, and no button loses its menu.
    const std::vector<std::string> before = Names();
    EXPECT_EQ(Bar().InsertMenuBefore(WString(), WString(u"File"), WString(u"Again"), edit), QK_E_INVALIDARG);
    EXPECT_EQ(Names(), before);
    EXPECT_EQ(Bar().FindMenu(WString(u"Help")), 2);
}

TEST_F(MainMenuTest, AChosenCommandReachesTheRootWindowAtTheNextIdlePass)
{
    LControl& target = *harness.Find("target");
    target.SetFocus(true);
    Listen(*harness.Root(), "root", u"NID_MENU_FILE_SAVE_PRESET_TO_FILE");
    // Press on the title, drag into the popup, release on "Save Favorite" (row 1).
    script.Move({20, 10}).Press(1, {20, 10});
    const RCPtr<LComboMenu> file = Bar().GetMenuButton(0);
    ASSERT_TRUE(file->IsDroppedDown());
    EXPECT_EQ(file->GetCurrentLookIndex(), LComboMenu::kLookOpen);
    script.Move({20, 35}).Move({20, 50}).Release(1, {20, 50});
    EXPECT_TRUE(log.empty()) << "not inside the click";
    EXPECT_TRUE(target.HasFocus()) << "the focus went back to where it was";
    script.Tick();
    EXPECT_EQ(log, std::vector<std::string>{"root:NID_MENU_FILE_SAVE_PRESET_TO_FILE"});
    EXPECT_FALSE(file->IsDroppedDown());
}

TEST_F(MainMenuTest, HoveringAnotherTitleSwitchesMenusAndEscapeClosesThePopup)
{
    const RCPtr<LComboMenu> file = Bar().GetMenuButton(0);
    const RCPtr<LComboMenu> help = Bar().GetMenuButton(1);
    script.Move({20, 10}).Press(1, {20, 10}).Release(1, {20, 10});
    ASSERT_TRUE(file->IsDroppedDown());
    script.Move({80, 10});
    EXPECT_TRUE(help->IsDroppedDown());
    EXPECT_FALSE(file->IsDroppedDown());
    EXPECT_EQ(help->GetCurrentLookIndex(), LComboMenu::kLookOpen);
    // A combo menu's popup does not close itself (auto close is off): its drop-down does.
    script.Key(0x1B);
    EXPECT_FALSE(help->IsDroppedDown()) << "Escape leaves the menu bar's popup open";
    EXPECT_NE(help->GetCurrentLookIndex(), LComboMenu::kLookOpen);
    script.Move({20, 10});
    EXPECT_FALSE(file->IsDroppedDown()) << "with no menu open, hovering a title opens nothing";
    help->SetEnabled(false);
    EXPECT_EQ(help->GetCurrentLookIndex(), LComboMenu::kLookDisabled);
}

TEST_F(MainMenuTest, ATextBoxContextMenuCopyReachesTheClipboardOnTheDefaultCentre)
{
    const RCPtr<LNotificationCenter> centre = GetDefaultNotificationCenter();
    Listen(*centre, "clipboard", u"NID_EDIT_COPY_REQ");
    auto& box = dynamic_cast<LTextBox&>(*harness.Find("textBox"));
    FakeClipboard clipboard;
    clipboard.focus = &box;
    box.SetText(WString(u"copied"), false);
    box.SetFocus(true);
    box.SetSelection(0, -1);
    ASSERT_EQ(box.GetSelectionLength(), 6);
    RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    menu->InsertItem(0, WString(u"Copy"), WString(u"NID_EDIT_COPY_REQ"), true, false);
    ASSERT_EQ(box.ShowContextMenu(menu.Get()), QK_OK);
    const RCPtr<LPopupMenu> popup(dynamic_cast<LPopupMenu*>(box.FindChild(WString(u"contextMenu")).Get()));
    ASSERT_TRUE(popup);
    EXPECT_EQ(box.GetSelectionLength(), 6);
    ASSERT_TRUE(popup->CanSelectItem(0)) << "the clipboard can copy the selection";
    popup->ActivateItem(0u);
    EXPECT_TRUE(log.empty());
    script.Tick();
    EXPECT_EQ(log, std::vector<std::string>{"clipboard:NID_EDIT_COPY_REQ"});
}

} // namespace
} // namespace QK

namespace QK
{
namespace
{

using namespace TestSupport;

std::string PictureLooks()
{
    // A row's text stops 12 px short of where the hot key's text ends; the hot-key label is
    // drawn without a background, over the row.
    const std::string left = R"(<TextProperties TextLeftRel="0" TextLeftAbs="18" TextRightRel="1" TextRightAbs="-18" TextHAlign="0"
        TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0.5" TextForegroundPart="ink"/>)";
    const std::string centred = R"(<TextProperties TextLeftRel="0" TextLeftAbs="0" TextRightRel="1" TextRightAbs="0" TextHAlign="0.5"
        TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0.5" TextForegroundPart="ink"/>)";
    const std::string right = R"(<TextProperties TextLeftRel="0" TextLeftAbs="0" TextRightRel="1" TextRightAbs="-4" TextHAlign="1"
        TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0.5" TextForegroundPart="grey"/>)";
    const auto& flat = FlatLookXml;
    const auto& list = LookListXml;
    // Check boxes show their tick in the checked looks 7 and 8.
    std::vector<std::string> box(14, "none");
    box[7] = box[8] = "tick";
    return R"(
  <Colorizers><Colorizer Name="back" ColorType="SolidFill" Color="FFE8E8E8"/>
    <Colorizer Name="white" ColorType="SolidFill" Color="FFFFFFFF"/>
    <Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/>
    <Colorizer Name="highlight" ColorType="SolidFill" Color="FFB8D0F0"/>
    <Colorizer Name="ink" ColorType="SolidFill" Color="FF000000"/></Colorizers>
  <Parts><Part Name="back" Width="1" Height="1" ResizeType="Stretch" ColorizerName="back"/>
    <Part Name="white" Width="1" Height="1" ResizeType="Stretch" ColorizerName="white"/>
    <Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/>
    <Part Name="highlight" Width="1" Height="1" ResizeType="Stretch" ColorizerName="highlight"/>
    <Part Name="ink" Width="1" Height="1" ResizeType="Stretch" ColorizerName="ink"/></Parts>
  <Looks>
    )" + flat("back", "back", "") + flat("plain", "back", "") + flat("title", "back", centred) +
           flat("titleOpen", "highlight", centred) + flat("row", "white", left) + flat("hover", "highlight", left) +
           flat("disabled", "white", "") + flat("none", "white", "") + flat("tick", "ink", "") +
           R"(<Look Name="keys">)" + right + "</Look>" +
           R"(<Look Name="separator"><ClientPart Name="white" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/><NonClientParts><NonClientPart Name="grey" OffsetLeft="4" OffsetTop="9" OffsetRight="-4" OffsetBottom="-10"/></NonClientParts></Look>
    <Look Name="menu"><ClientPart Name="white" OffsetLeft="1" OffsetTop="1" OffsetRight="-1" OffsetBottom="-1"/><NonClientParts><NonClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></NonClientParts></Look>
  </Looks>
  <LookLists>)" +
           list("plain", {"plain", "plain", "plain"}) + list("menu", {"menu", "menu", "menu", "menu"}) +
           list("rows", MenuRowLooks("row", "hover", "disabled", "separator")) + list("box", box) +
           list("keys", {"keys", "keys", "keys"}) +
           list("combo", {"title", "title", "titleOpen", "title"}) + "</LookLists>";
}

TEST(MainMenuPicture, TheFileMenuWithSendFavoriteOpen)
{
    const ScopedEnvironment dpi("VEDIDU_DPI", "96");
    std::string tree = BarTree();
    // The hot-key label draws its text right-aligned in grey.
    const std::string plainLabel = R"(Name="hotKeyLabel" XPositionToControl="Parent" XPositionRel="1" XPositionAbs="-50" XSizeAbs="48" YSizeAbs="20"><Skin Name="h" LookList="plain"/>)";
    for (std::size_t at = tree.find(plainLabel); at != std::string::npos; at = tree.find(plainLabel))
        tree.replace(at, plainLabel.size(),
                     R"(Name="hotKeyLabel" XPositionToControl="Parent" XPositionRel="1" XPositionAbs="-50" XSizeAbs="48" YSizeAbs="20"><Skin Name="h" LookList="keys"/>)");
    WindowHarness harness(tree, BarStrings(), PictureLooks());
    const ScopedRenderApp measuring;
    RegisterMenuClasses(harness.Factory());
    harness.App().hotKeys->AddBinding(KeyCode::Parse(WString(u"Ctrl+VKEY_O")),
                                      WString(u"NID_MENU_FILE_LOAD_PRESET_FROM_FILE"));
    const RCPtr<LRenderer> renderer = LRenderer::Create(1, 0);
    RecordingWindowHost host;
    host.clientRect = {0, 0, 400, 200};
    const auto window = LRootWindow::Create(renderer, &host);
    ASSERT_EQ(window->SetRootControl(WString(u"top")), QK_OK);
    LControl& top = *window->GetRootControl();
    auto& bar = dynamic_cast<LMainMenu&>(*top.FindChild(WString(u"mainMenu")));
    const RCPtr<LComboMenu> file = bar.GetMenuButton(0);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->ShowDropDown(true), QK_OK);
    const RCPtr<LPopupMenu> popup = file->GetPopupMenu();
    ASSERT_EQ(popup->SelectItemRange(2, -1, true), 2);
    ASSERT_EQ(popup->OpenSubmenu(2), QK_OK);
    const RCPtr<LPopupMenu> send = popup->GetOpenSubmenu();
    ASSERT_TRUE(send);
    EXPECT_EQ(Narrow(popup->GetMenuDescriptor()->GetItem(0)->SecondText), "Ctrl+O");
    EXPECT_EQ(Narrow(popup->GetRowControl(0)->FindChild(WString(u"hotKeyLabel"))->GetText()), "Ctrl+O");
    EXPECT_EQ(send->GetItemCount(), 3u);
    // Each menu is as wide as its widest row needs: no label is cut.
    for (const LPopupMenu* menu : {popup.Get(), send.Get()})
        for (std::uint32_t r = 0; r < menu->GetItemCount(); ++r)
            EXPECT_FALSE(menu->GetRowControl(r)->IsTextOverflowing()) << Narrow(menu->GetRowControl(r)->GetText());

    RCPtr<LRenderContextInfo> context;
    ASSERT_EQ(renderer->InitRenderContextInfo({0, 0, 400, 200}, 0, true, context), QK_OK);
    renderer->RenderStart(context);
    RectRegion region;
    window->TakeUpdateRegion(region);
    region.AddRect(0, 0, 400, 200);
    window->Paint(region);
    renderer->RenderFinish(context);

    const IDrawingSurface& surface = static_cast<LGDIRenderContextInfo&>(*context).GetFrontSurface().GetSurface();
    EXPECT_EQ(surface.GetPixel(300, 150), 0xFFE8E8E8u) << "background";
    EXPECT_EQ(surface.GetPixel(2, 2), 0xFFB8D0F0u) << "the open title";
    PointD sendAt{0.0, 0.0};
    send->GetPositionInRoot(sendAt);
    EXPECT_EQ(surface.GetPixel(static_cast<std::int32_t>(sendAt.x) + 3, static_cast<std::int32_t>(sendAt.y) + 10),
              0xFFFFFFFFu)
        << "the nested popup's first row";

    const char* named = std::getenv("VEDIDU_PICTURES_DIR");
    const std::filesystem::path folder = named ? std::filesystem::path(named) : std::filesystem::path("pictures");
    std::filesystem::create_directories(folder);
    std::vector<std::uint32_t> pixels;
    for (std::int32_t y = 0; y < surface.GetHeight(); ++y)
        for (std::int32_t x = 0; x < surface.GetWidth(); ++x)
            pixels.push_back(surface.GetPixel(x, y));
    EXPECT_TRUE(WritePngFile((folder / "file-menu-open.png").string(), pixels, surface.GetWidth(), surface.GetHeight()));
    window->SetHost(nullptr);
    window->SetRootControl(RCPtr<LControl>());
    LNotificationCenterManager::ReleaseInstance();
}

TEST(ComboMenuTest, AComboMenuWithoutItsPopupRefusesToInitialize)
{
    const std::string tree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="200" YSizeAbs="100"><Skin Name="k" LookList="plain"/>
    <SubControl Class="Framework.ComboMenu" Name="bare" XSizeAbs="60" YSizeAbs="20"><Skin Name="c" LookList="combo"/></SubControl>
  </SubControl>
</Skin>)";
    WindowHarness harness(tree, std::string(), MenuLooks());
    RegisterMenuClasses(harness.Factory());
    ASSERT_TRUE(harness.SetRoot(u"top"));
    const RCPtr<LComboMenu> bare(dynamic_cast<LComboMenu*>(harness.Find("bare").Get()));
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->Initialize(), QK_E_FAIL);
    EXPECT_FALSE(bare->IsDroppedDown());
    LNotificationCenterManager::ReleaseInstance();
}

} // namespace
} // namespace QK
