// Sliders, a centered slider and a tab control drawn offscreen by the software renderer,
// checked by pixel and saved as pictures/sliders-and-tabs.png for a person to look at.
#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/CenteredSlider.h"
#include "QKFramework/Controls/Panel.h"
#include "QKFramework/Controls/Slider.h"
#include "QKFramework/Controls/TabControl.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

#include "tests/support/ScopedEnvironment.h"
#include "tests/support/UI/ControlTestTools.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

// A horizontal slider at 0.25 and a centered slider at 0.75 on the left, a vertical slider
// at 0.7 on the right, and below them a tab control with its second tab selected. The
// centered slider's bound panels are orange ticks above and below its track, centred on
// the thumb by their placement anchor.
const char* const kTree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="270" YSizeAbs="200" TabStop="-1"><Skin Name="t" LookList="back"/>
    <SubControl Class="Framework.Slider" Name="hs" XPositionAbs="10" YPositionAbs="10" XSizeAbs="200" YSizeAbs="30"><Skin Name="a" LookList="hTrack30"/>
      <SubControl Class="Framework.Button" Name="thumbStart" YPositionAbs="5" XSizeAbs="10" YSizeAbs="20"><Skin Name="m" LookList="thumb"/></SubControl>
      <SubControl Class="Framework.Button" Name="thumbEnd" XPositionAbs="190" YPositionAbs="5" XSizeAbs="10" YSizeAbs="20"><Skin Name="m" LookList="thumb"/></SubControl>
    </SubControl>
    <SubControl Class="Framework.CenteredSlider" Name="cs" XPositionAbs="10" YPositionAbs="50" XSizeAbs="200" YSizeAbs="40"><Skin Name="b" LookList="hTrack40"/>
      <SubControl Class="Framework.Button" Name="thumbStart" YPositionAbs="10" XSizeAbs="10" YSizeAbs="20"><Skin Name="m" LookList="thumb"/></SubControl>
      <SubControl Class="Framework.Button" Name="thumbEnd" XPositionAbs="190" YPositionAbs="10" XSizeAbs="10" YSizeAbs="20"><Skin Name="m" LookList="thumb"/></SubControl>
      <SubControl Class="Framework.CenteredSliderBounds" Name="lowRangeBounds" XPlacementAnchor="0.5" XSizeAbs="4" YSizeAbs="8"><Skin Name="o" LookList="orange"/>
        <SubControl Class="Test.Probe" Name="fill" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="f" LookList="orange"/></SubControl>
      </SubControl>
      <SubControl Class="Framework.CenteredSliderBounds" Name="highRangeBounds" XPlacementAnchor="0.5" YPositionAbs="32" XSizeAbs="4" YSizeAbs="8"><Skin Name="o" LookList="orange"/>
        <SubControl Class="Test.Probe" Name="fill" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="f" LookList="orange"/></SubControl>
      </SubControl>
    </SubControl>
    <SubControl Class="Framework.Slider" Name="vs" XPositionAbs="225" YPositionAbs="10" XSizeAbs="30" YSizeAbs="180"><Skin Name="c" LookList="vTrack"/>
      <SubControl Class="Framework.Button" Name="thumbStart" XPositionAbs="5" XSizeAbs="20" YSizeAbs="10"><Skin Name="m" LookList="thumb"/></SubControl>
      <SubControl Class="Framework.Button" Name="thumbEnd" XPositionAbs="5" YPositionAbs="170" XSizeAbs="20" YSizeAbs="10"><Skin Name="m" LookList="thumb"/></SubControl>
    </SubControl>
    <SubControl Class="Framework.TabControl" Name="tabs" XPositionAbs="10" YPositionAbs="100" XSizeAbs="200" YSizeAbs="90"><Skin Name="d" LookList="back"/>
      <SubControl Class="Framework.Panel" Name="buttonHolder" XSizeAbs="200" YSizeAbs="20"><Skin Name="e" LookList="back"/>
        <SubControl Class="Framework.Button" Name="first" XSizeAbs="60" YSizeAbs="20"><Skin Name="g" LookList="tab"/></SubControl>
        <SubControl Class="Framework.Button" Name="second" XPositionAbs="65" XSizeAbs="60" YSizeAbs="20"><Skin Name="g" LookList="tab"/></SubControl>
        <SubControl Class="Framework.Button" Name="third" XPositionAbs="130" XSizeAbs="60" YSizeAbs="20"><Skin Name="g" LookList="tab"/></SubControl>
      </SubControl>
      <SubControl Class="Framework.Panel" Name="pageHolder" YPositionAbs="20" XSizeAbs="200" YSizeAbs="70"><Skin Name="h" LookList="back"/>
        <SubControl Class="Test.Probe" Name="p1" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="p1" LookList="page1"/></SubControl>
        <SubControl Class="Test.Probe" Name="p2" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="p2" LookList="page2"/></SubControl>
        <SubControl Class="Test.Probe" Name="p3" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"><Skin Name="p3" LookList="page3"/></SubControl>
      </SubControl>
    </SubControl>
  </SubControl>
</Skin>)";

std::string Looks()
{
    struct Fill
    {
        const char* name;
        const char* color;
    };
    const Fill fills[] = {{"back", "FFFFFFFF"},  {"track", "FFE0E0E0"},  {"line", "FF606060"},
                          {"thumb", "FF3070C0"}, {"orange", "FFFF8000"}, {"tabOff", "FFC8C8C8"},
                          {"tabOn", "FF707070"}, {"page1", "FFF0C8C8"},  {"page2", "FFC8F0C8"},
                          {"page3", "FFC8C8F0"}};
    std::string colorizers;
    std::string parts;
    std::string looks;
    for (const Fill& fill : fills)
    {
        const std::string name = fill.name;
        colorizers +=
            "<Colorizer Name=\"" + name + "\" ColorType=\"SolidFill\" Color=\"" + fill.color + "\"/>";
        parts += "<Part Name=\"" + name +
                 "\" Width=\"1\" Height=\"1\" ResizeType=\"Stretch\" ColorizerName=\"" + name + "\"/>";
        looks += "<Look Name=\"" + name + "\"><ClientPart Name=\"" + name +
                 "\" OffsetLeft=\"0\" OffsetTop=\"0\" OffsetRight=\"0\" OffsetBottom=\"0\"/></Look>";
    }
    // Tracks: a grey field with a dark line 2 px wide along its middle, drawn over it; the
    // offsets are insets from the edges, so each height has its own look.
    const auto track = [](const char* name, int left, int top)
    {
        return std::string("<Look Name=\"") + name +
               "\"><ClientPart Name=\"track\" OffsetLeft=\"0\" OffsetTop=\"0\" OffsetRight=\"0\" "
               "OffsetBottom=\"0\"/>"
               "<NonClientParts><NonClientPart Name=\"line\" OffsetLeft=\"" +
               std::to_string(left) + "\" OffsetTop=\"" + std::to_string(top) + "\" OffsetRight=\"" +
               std::to_string(-left) + "\" OffsetBottom=\"" + std::to_string(-top) +
               "\"/></NonClientParts></Look>";
    };
    looks += track("hTrack30", 5, 14) + track("hTrack40", 5, 19) + track("vTrack", 14, 5);
    std::string lists;
    const auto list = [&lists](const std::string& name, int count, const auto& lookOf)
    {
        lists += "<LookList Name=\"" + name + "\" NumLooks=\"" + std::to_string(count) + "\">";
        for (int i = 0; i < count; ++i)
            lists += "<Look Name=\"" + std::string(lookOf(i)) + "\" Index=\"" + std::to_string(i) + "\"/>";
        lists += "</LookList>";
    };
    for (const char* single : {"back", "orange", "page1", "page2", "page3"})
        list(single, 1, [single](int) { return single; });
    list("hTrack30", 3, [](int) { return "hTrack30"; });
    list("hTrack40", 3, [](int) { return "hTrack40"; });
    list("vTrack", 3, [](int) { return "vTrack"; });
    list("thumb", 14, [](int) { return "thumb"; });
    list("tab", 14, [](int i) { return i >= 7 ? "tabOn" : "tabOff"; });
    return "<Colorizers>" + colorizers + "</Colorizers><Parts>" + parts + "</Parts><Looks>" + looks +
           "</Looks><LookLists>" + lists + "</LookLists>";
}

TEST(SliderPicture, SlidersCenteredSliderAndTabs)
{
    const ScopedEnvironment dpi("VEDIDU_DPI", "96");
    WindowHarness harness(kTree, std::string(), Looks());
    harness.Factory().RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
    harness.Factory().RegisterControlClass(WString(u"Framework.Panel"), &LPanel::Create);
    harness.Factory().RegisterControlClass(WString(u"Framework.Slider"), &LSlider::Create);
    harness.Factory().RegisterControlClass(WString(u"Framework.CenteredSlider"), &LCenteredSlider::Create);
    harness.Factory().RegisterControlClass(WString(u"Framework.CenteredSliderBounds"), &LPanel::Create);
    harness.Factory().RegisterControlClass(WString(u"Framework.TabControl"), &LTabControl::Create);
    const RCPtr<LRenderer> renderer = LRenderer::Create(1, 0);
    RecordingWindowHost host;
    host.clientRect = {0, 0, 270, 200};
    const auto window = LRootWindow::Create(renderer, &host);
    ASSERT_EQ(window->SetRootControl(WString(u"top")), QK_OK);
    LControl& top = *window->GetRootControl();

    top.FindChild(WString(u"hs"))->SetValue(0.25);
    top.FindChild(WString(u"cs"))->SetValue(0.75);
    top.FindChild(WString(u"vs"))->SetValue(0.7);
    auto& tabs = dynamic_cast<LTabControl&>(*top.FindChild(WString(u"tabs")));
    ASSERT_EQ(tabs.SelectTab(WString(u"second")), QK_OK);
    // The tab buttons' own value shows the current tab, as a radio click would leave it.
    tabs.GetTabButton(1)->SetValue(1.0);

    RCPtr<LRenderContextInfo> context;
    const IDrawingSurface& surface = PaintOffscreen(*window, *renderer, {0, 0, 270, 200}, context);
    // Thumbs: the horizontal one at x 48 of its slider (10 + 48 + 5 in the window), the
    // vertical one at y 119 (10 + 119 + 5), the centered one at x 143.
    EXPECT_EQ(surface.GetPixel(63, 25), 0xFF3070C0u) << "horizontal thumb";
    EXPECT_EQ(surface.GetPixel(40, 25), 0xFF606060u) << "horizontal track line";
    EXPECT_EQ(surface.GetPixel(40, 20), 0xFFE0E0E0u) << "beside the line";
    EXPECT_EQ(surface.GetPixel(240, 134), 0xFF3070C0u) << "vertical thumb";
    EXPECT_EQ(surface.GetPixel(158, 70), 0xFF3070C0u) << "centered thumb";
    EXPECT_EQ(surface.GetPixel(158, 53), 0xFFFF8000u) << "upper bound tick over the thumb's centre";
    EXPECT_EQ(surface.GetPixel(158, 86), 0xFFFF8000u) << "lower bound tick";
    EXPECT_EQ(surface.GetPixel(100, 53), 0xFFE0E0E0u) << "no tick elsewhere";
    EXPECT_EQ(surface.GetPixel(100, 110), 0xFF707070u) << "selected tab";
    EXPECT_EQ(surface.GetPixel(40, 110), 0xFFC8C8C8u) << "other tab";
    EXPECT_EQ(surface.GetPixel(100, 160), 0xFFC8F0C8u) << "second page";
    EXPECT_EQ(surface.GetPixel(5, 5), 0xFFFFFFFFu) << "background";

    EXPECT_TRUE(SavePicture(surface, "sliders-and-tabs.png"));
    window->SetHost(nullptr);
    window->SetRootControl(RCPtr<LControl>());
    LNotificationCenterManager::ReleaseInstance();
}

} // namespace
} // namespace QK
