// A checked list with icons and a tree with one branch open, drawn offscreen by the software
// renderer with real fonts, checked by pixel and saved as pictures/checked-list-and-tree.png.
#include "QKFramework/Controls/TreeView.h"

#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Platform/Render/Cairo/PngWriter.h"
#include "QKFramework/Renderer/Gdi/GDIRenderContextInfo.h"

#include "tests/support/ScopedEnvironment.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

constexpr std::uint32_t kBack = 0xFFE8E8E8u;
constexpr std::uint32_t kOpen = 0xFF3070C0u;
constexpr std::uint32_t kDisabled = 0xFFD0D0D0u;
constexpr std::uint32_t kHighlight = 0xFFB8D0F0u;
constexpr std::uint32_t kClosed = 0xFFA0A0A0u;
const std::uint32_t kIconColours[] = {0xFFE04040u, 0xFF40A040u, 0xFFE0A020u};

std::string Row(const char* className)
{
    return std::string(R"(<SubControl Class=")") + className +
           R"(" Name="templateItem" XSizeAbs="180" YSizeAbs="18"><Skin Name="r" LookList="rows"/>
        <SubControl Class="Framework.Button" Name="checkBox" XPositionAbs="2" YPositionAbs="2" XSizeAbs="14" YSizeAbs="14"><Skin Name="b" LookList="box"/></SubControl>
      </SubControl>)";
}

std::string Tree()
{
    return R"(<Skin Name="s" FontName="DejaVu Sans" FontSize="10">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="330" YSizeAbs="130" TabStop="-1"><Skin Name="t" LookList="back"/>
    <SubControl Class="Framework.ListBoxWithIcons" Name="icons" XPositionAbs="10" YPositionAbs="10" XSizeAbs="130" YSizeAbs="110"><Skin Name="l" LookList="withIcons"/>
      )" + Row("Framework.CheckedListBoxItem") +
           R"(
    </SubControl>
    <SubControl Class="Test.TreeView" Name="tree" XPositionAbs="150" YPositionAbs="10" XSizeAbs="170" YSizeAbs="110"><Skin Name="l" LookList="list"/>
      )" + Row("Test.TreeViewItem") +
           R"(
    </SubControl>
  </SubControl>
</Skin>)";
}

std::string Looks()
{
    const std::string text = R"(<TextProperties TextLeftRel="0" TextLeftAbs="22" TextRightRel="1" TextRightAbs="-2" TextHAlign="0"
        TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0.5" TextForegroundPart="ink"/>)";
    const auto flat = [&](const char* name, const char* part)
    {
        return std::string("<Look Name=\"") + name + "\"><ClientPart Name=\"" + part +
               R"(" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>)" + text + "</Look>";
    };
    // A check box: one colour for its state, over which an icon replaces it. The frame parts
    // lie under the client part, so only the client part shows where the frame leaves room.
    const auto box = [&](const char* name, const char* inside)
    {
        return std::string("<Look Name=\"") + name + "\"><ClientPart Name=\"" + inside +
               R"(" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>)";
    };
    // A list: a grey frame with a white inside, both under the rows, which may leave the
    // inside uncovered where they are indented.
    const std::string listFrame =
        R"(<Look Name="frame"><ClientPart Name="white" OffsetLeft="1" OffsetTop="1" OffsetRight="-1" OffsetBottom="-1"/><NonClientParts><NonClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/><NonClientPart Name="white" OffsetLeft="1" OffsetTop="1" OffsetRight="-1" OffsetBottom="-1"/></NonClientParts></Look>)";
    std::string rows;
    for (int i = 0; i < 14; ++i)
        rows += std::string("<Look Name=\"") + (i >= 7 && i <= 12 ? "selected" : "row") + "\" Index=\"" +
                std::to_string(i) + "\"/>";
    std::string boxes;
    for (int i = 0; i < 14; ++i)
        boxes += std::string("<Look Name=\"") + (i == 6 || i == 13 ? "boxDisabled" : i >= 7 ? "boxOn" : "boxOff") +
                 "\" Index=\"" + std::to_string(i) + "\"/>";
    return R"(
  <Colorizers><Colorizer Name="back" ColorType="SolidFill" Color="FFE8E8E8"/>
    <Colorizer Name="white" ColorType="SolidFill" Color="FFFFFFFF"/>
    <Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/>
    <Colorizer Name="off" ColorType="SolidFill" Color="FFA0A0A0"/>
    <Colorizer Name="open" ColorType="SolidFill" Color="FF3070C0"/>
    <Colorizer Name="disabled" ColorType="SolidFill" Color="FFD0D0D0"/>
    <Colorizer Name="highlight" ColorType="SolidFill" Color="FFB8D0F0"/>
    <Colorizer Name="ink" ColorType="SolidFill" Color="FF000000"/></Colorizers>
  <Parts><Part Name="back" Width="1" Height="1" ResizeType="Stretch" ColorizerName="back"/>
    <Part Name="white" Width="1" Height="1" ResizeType="Stretch" ColorizerName="white"/>
    <Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/>
    <Part Name="off" Width="1" Height="1" ResizeType="Stretch" ColorizerName="off"/>
    <Part Name="open" Width="1" Height="1" ResizeType="Stretch" ColorizerName="open"/>
    <Part Name="disabled" Width="1" Height="1" ResizeType="Stretch" ColorizerName="disabled"/>
    <Part Name="highlight" Width="1" Height="1" ResizeType="Stretch" ColorizerName="highlight"/>
    <Part Name="ink" Width="1" Height="1" ResizeType="Stretch" ColorizerName="ink"/>
    <Part Name="icon0" Width="14" Height="14" ResizeType="Stretch" ImageFile="icon0.png" ImageLocX="0" ImageLocY="0"/>
    <Part Name="icon1" Width="14" Height="14" ResizeType="Stretch" ImageFile="icon1.png" ImageLocX="0" ImageLocY="0"/>
    <Part Name="icon2" Width="14" Height="14" ResizeType="Stretch" ImageFile="icon2.png" ImageLocX="0" ImageLocY="0"/></Parts>
  <Looks>
    <Look Name="back"><ClientPart Name="back" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="icons"><NonClientParts>
      <NonClientPart Name="icon0" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
      <NonClientPart Name="icon1" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
      <NonClientPart Name="icon2" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></NonClientParts></Look>
    )" + listFrame +
           flat("row", "white") + flat("selected", "highlight") + box("boxOff", "off") + box("boxOn", "open") +
           box("boxDisabled", "disabled") + R"(
  </Looks>
  <LookLists><LookList Name="back" NumLooks="1"><Look Name="back" Index="0"/></LookList>
    <LookList Name="list" NumLooks="1"><Look Name="frame" Index="0"/></LookList>
    <LookList Name="withIcons" NumLooks="4"><Look Name="frame" Index="0"/><Look Name="frame" Index="1"/><Look Name="frame" Index="2"/><Look Name="icons" Index="3"/></LookList>
    <LookList Name="rows" NumLooks="14">)" +
           rows + R"(</LookList>
    <LookList Name="box" NumLooks="14">)" +
           boxes + "</LookList></LookLists>";
}

// 14 x 14 icons: a dark ring around a coloured disc-like square, transparent corners.
void WriteIcons(const TempFolder& folder)
{
    for (int i = 0; i < 3; ++i)
    {
        std::vector<std::uint32_t> pixels(14 * 14, 0u);
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 14; ++x)
            {
                const int dx = 2 * x - 13;
                const int dy = 2 * y - 13;
                const int r2 = dx * dx + dy * dy;
                if (r2 <= 100)
                    pixels[static_cast<std::size_t>(y * 14 + x)] = kIconColours[i];
                else if (r2 <= 169)
                    pixels[static_cast<std::size_t>(y * 14 + x)] = 0xFF303030u;
            }
        ASSERT_TRUE(WritePngFile(folder / ("icon" + std::to_string(i) + ".png"), pixels, 14, 14));
    }
}

TEST(CheckedListsPicture, IconsAndATreeWithOneBranchOpen)
{
    const ScopedEnvironment dpi("VEDIDU_DPI", "96");
    WindowHarness harness(Tree(), std::string(), Looks());
    WriteIcons(harness.Folder());
    const ScopedRenderApp measuring;
    LControlFactory& factory = harness.Factory();
    factory.RegisterControlClass(WString(u"Framework.ListBoxWithIcons"), &LCheckedListBox::Create);
    factory.RegisterControlClass(WString(u"Framework.CheckedListBoxItem"), &LCheckedListBoxItem::Create);
    factory.RegisterControlClass(WString(u"Test.TreeView"), &LTreeView::Create);
    factory.RegisterControlClass(WString(u"Test.TreeViewItem"), &LTreeViewItem::Create);
    factory.RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
    const RCPtr<LRenderer> renderer = LRenderer::Create(1, 0);
    RecordingWindowHost host;
    host.clientRect = {0, 0, 330, 130};
    const auto window = LRootWindow::Create(renderer, &host);
    ASSERT_EQ(window->SetRootControl(WString(u"top")), QK_OK);
    LControl& top = *window->GetRootControl();
    auto& icons = dynamic_cast<LCheckedListBox&>(*top.FindChild(WString(u"icons")));
    auto& tree = dynamic_cast<LTreeView&>(*top.FindChild(WString(u"tree")));

    for (const char16_t* text : {u"Keyboard", u"Pads", u"Knobs", u"Faders", u"Pedal"})
        icons.AddItem(WString(text));
    icons.SelectItemRange(1, -1, true);
    const std::pair<const char16_t*, std::int32_t> items[] = {
        {u"Preset 1", -1}, {u"Zones", 0}, {u"Upper", 1}, {u"Lower", 1}, {u"Controllers", 0}, {u"Preset 2", -1},
        {u"Zones", 5},     {u"Global", -1}};
    for (const auto& [text, parent] : items)
        tree.GetItemRecord(static_cast<std::uint32_t>(tree.AddItem(WString(text)))).ParentIndex = parent;
    tree.SetItemChecked(0, true);
    tree.UpdateDescendantVisibility(0);
    tree.UpdateDescendantVisibility(5);
    tree.SelectItemRange(4, -1, true);

    RCPtr<LRenderContextInfo> context;
    ASSERT_EQ(renderer->InitRenderContextInfo({0, 0, 330, 130}, 0, true, context), QK_OK);
    renderer->RenderStart(context);
    RectRegion region;
    window->TakeUpdateRegion(region);
    region.AddRect(0, 0, 330, 130);
    window->Paint(region);
    renderer->RenderFinish(context);

    const IDrawingSurface& surface = static_cast<LGDIRenderContextInfo&>(*context).GetFrontSurface().GetSurface();
    EXPECT_EQ(surface.GetPixel(2, 2), kBack);
    // Icon centres: row r's box lies at (10 + 1 + 2, 10 + 1 + 18 r + 2), 14 px wide.
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(surface.GetPixel(13 + 7, 13 + 18 * r + 7), kIconColours[r % 3]) << "icon of row " << r;
    EXPECT_EQ(surface.GetPixel(120, 11 + 18 + 9), kHighlight) << "the selected row";
    // Tree rows at (151, 11 + 18 r); boxes 2 px in, indented 14 px per level.
    EXPECT_EQ(surface.GetPixel(151 + 2 + 7, 11 + 2 + 7), kOpen) << "the open branch";
    EXPECT_EQ(surface.GetPixel(151 + 14 + 2 + 7, 11 + 18 + 2 + 7), kClosed) << "a closed branch, indented";
    EXPECT_EQ(surface.GetPixel(151 + 14 + 2 + 7, 11 + 36 + 2 + 7), kDisabled) << "a leaf, indented";
    EXPECT_EQ(surface.GetPixel(300, 11 + 36 + 9), kHighlight) << "the selected tree row";
    EXPECT_EQ(surface.GetPixel(151 + 2 + 7, 11 + 54 + 2 + 7), kClosed) << "Preset 2, closed, its branch hidden";
    EXPECT_EQ(surface.GetPixel(151 + 2 + 7, 11 + 72 + 2 + 7), kDisabled) << "Global, a leaf";
    EXPECT_EQ(surface.GetPixel(151 + 3, 11 + 18 + 9), 0xFFFFFFFFu) << "the list's inside left of an indented row";

    EXPECT_TRUE(SavePicture(surface, "checked-list-and-tree.png"));
    window->SetHost(nullptr);
    window->SetRootControl(RCPtr<LControl>());
    LNotificationCenterManager::ReleaseInstance();
}

} // namespace
} // namespace QK
