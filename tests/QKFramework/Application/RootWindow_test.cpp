// The root window on a recording host: mouse routing with capture, hover and tooltips, keys
// and hot keys, focus between windows, invalidation, the idle step with its close, and
// painting through a recording renderer.
#include "QKFramework/Application/RootWindow.h"

#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Platform/Render/Cairo/PngWriter.h"
#include "QKFramework/Renderer/Gdi/GDIRenderContextInfo.h"
#include "QKFramework/Utilities/Graphics/Bitmap.h"

#include "tests/support/DebugCapture.h"
#include "tests/support/Recorder.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;
using Lines = std::vector<std::string>;

const char* const kLooks = R"(
  <Colorizers>
    <Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/>
    <Colorizer Name="red" ColorType="SolidFill" Color="FFFF0000"/>
    <Colorizer Name="blue" ColorType="SolidFill" Color="FF0000FF"/>
    <Colorizer Name="green" ColorType="SolidFill" Color="FF00FF00"/>
  </Colorizers>
  <Parts>
    <Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/>
    <Part Name="red" Width="1" Height="1" ResizeType="Stretch" ColorizerName="red"/>
    <Part Name="blue" Width="1" Height="1" ResizeType="Stretch" ColorizerName="blue"/>
    <Part Name="green" Width="1" Height="1" ResizeType="Stretch" ColorizerName="green"/>
  </Parts>
  <Looks>
    <Look Name="grey"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="red"><ClientPart Name="red" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="blue"><ClientPart Name="blue" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="green"><ClientPart Name="green" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  </Looks>
  <LookLists>
    <LookList Name="grey" NumLooks="1"><Look Name="grey" Index="0"/></LookList>
    <LookList Name="red" NumLooks="1"><Look Name="red" Index="0"/></LookList>
    <LookList Name="blue" NumLooks="1"><Look Name="blue" Index="0"/></LookList>
    <LookList Name="green" NumLooks="1"><Look Name="green" Index="0"/></LookList>
  </LookLists>
)";

// top fills the 400 x 300 client area; a holds inner; b sits beside a.
const char* const kTree = R"(<Skin Name="s">
  <SubControl Class="Test.Input" Name="top" XSizeAbs="400" YSizeAbs="300"><Skin Name="t" LookList="grey"/>
    <SubControl Class="Test.Input" Name="a" XPositionAbs="10" YPositionAbs="10" XSizeAbs="100" YSizeAbs="100">
      <Skin Name="a" LookList="red"/>
      <SubControl Class="Test.Input" Name="inner" XPositionAbs="10" YPositionAbs="10" XSizeAbs="30" YSizeAbs="30">
        <Skin Name="i" LookList="blue"/></SubControl>
    </SubControl>
    <SubControl Class="Test.Input" Name="b" XPositionAbs="200" YPositionAbs="10" XSizeAbs="100" YSizeAbs="100">
      <Skin Name="b" LookList="green"/></SubControl>
  </SubControl>
</Skin>)";

const char* const kStrings = R"(<StringTable ID="PresetEditor|top">
  <String ID="GHK.NID_EDIT_DELETE_REQ"><Locale LCID="0x0009">VKEY_DELETE</Locale></String>
  <String ID="GHK_WIN.NID_EDIT_COPY_REQ"><Locale LCID="0x0009">Ctrl+VKEY_C</Locale></String>
</StringTable>)";

class RootWindowTest : public ::testing::Test
{
protected:
    RootWindowTest() : harness(kTree, kStrings, kLooks) {}
    void SetUp() override
    {
        ASSERT_TRUE(harness.SetRoot(u"top"));
    }
    void TearDown() override { LNotificationCenterManager::ReleaseInstance(); }

    InputProbe& Probe(const std::string& path)
    {
        auto* probe = dynamic_cast<InputProbe*>(path == "top" ? harness.Root()->GetRootControl().Get()
                                                              : harness.Find(path).Get());
        EXPECT_TRUE(probe) << path;
        return *probe;
    }
    // The probe lines with the given hooks, in order.
    static Lines Log(std::initializer_list<const char*> hooks = {})
    {
        Lines out;
        for (const std::string& line : ProbeLog::Lines())
        {
            bool wanted = hooks.size() == 0;
            for (const char* hook : hooks)
                wanted = wanted || line.find(hook, line.find(':')) != std::string::npos;
            if (wanted)
                out.push_back(line);
        }
        return out;
    }

    WindowHarness harness;
    RecordingWindowHost& host = harness.Host();
    LRootWindow& root = *harness.Root();
};

TEST_F(RootWindowTest, SetRootControlLaysOutFocusesAndReadsItsHotKeys)
{
    EXPECT_EQ(root.GetRootControl()->GetBounds(), (RectD{0, 0, 400, 300}));
    EXPECT_EQ(root.GetFocusControl(), root.GetRootControl());
    // Only "GHK" entries count for a root window.
    EXPECT_TRUE(KeyCode::LookupBinding(root.GetHotKeyManager()->GetBindingMap(), u"NID_EDIT_DELETE_REQ"));
    EXPECT_FALSE(KeyCode::LookupBinding(root.GetHotKeyManager()->GetBindingMap(), u"NID_EDIT_COPY_REQ"));

    // Without the host's focus, the host is asked for it, and its activation focuses the root.
    host.hasFocus = false;
    ASSERT_TRUE(harness.SetRoot(u"top"));
    EXPECT_TRUE(host.hasFocus);
    EXPECT_EQ(root.GetFocusControl(), root.GetRootControl());

    root.SetRootControl(RCPtr<LControl>());
    EXPECT_FALSE(root.GetFocusControl());
    EXPECT_TRUE(root.GetHotKeyManager()->GetBindingMap().empty());
}

TEST_F(RootWindowTest, MouseEventsGoToTheCaptureOrTheControlUnderThePointer)
{
    Probe("a").captureOnPress = true;
    const struct
    {
        const char* step;
        Lines expected;
    } steps[] = {
        {"move onto a", {"a:MouseEnter(point(65, 75)  modifiers: 0x00000000)", "a:MouseMove(point(65, 75)  modifiers: 0x00000000)"}},
        {"press on a", {"a:MouseDown(point(65, 75)  modifiers: 0x00000001 b1 state1)"}},
        // The capture keeps the hover and the events while the pointer is over b.
        {"drag onto b", {"a:MouseMove(point(220, 10)  modifiers: 0x00000000)"}},
        {"release over b", {"a:MouseUp(point(220, 10)  modifiers: 0x00000000 b1 state0)"}},
        {"move on b", {"a:MouseLeave", "b:MouseEnter(point(31, 10)  modifiers: 0x00000000)",
                       "b:MouseMove(point(31, 10)  modifiers: 0x00000000)"}},
        // A release without a capture control reaches nobody.
        {"release on b without capture", {}},
    };
    for (const auto& step : steps)
    {
        ProbeLog::Clear();
        const std::string name = step.step;
        if (name == "move onto a")
            host.Move({75, 85});
        else if (name == "press on a")
            host.Press(1, {75, 85}, LRootWindow::kButtonDown, KeyCode::kFlagCtrl);
        else if (name == "drag onto b")
            host.Move({230, 20});
        else if (name == "release over b")
            host.Release(1, {230, 20});
        else if (name == "move on b")
            host.Move({231, 20});
        else
            host.Release(4, {231, 20});
        EXPECT_EQ(Log({"Mouse"}), step.expected) << name;
    }
}

TEST_F(RootWindowTest, ADoubleClickArrivesAsOnePressOfKindTwoAndItsReleaseCarriesIt)
{
    Probe("a/inner").captureOnPress = true;
    host.Press(1, {25, 25});
    host.Release(1, {25, 25});
    host.Press(1, {25, 25}, LRootWindow::kButtonDoubleClick);
    host.Release(1, {25, 25});
    host.Press(1, {25, 25});
    host.Release(1, {25, 25});
    EXPECT_EQ(Log({"MouseDown", "MouseUp"}),
              (Lines{"inner:MouseDown(point(5, 5)  modifiers: 0x00000000 b1 state1)",
                     "inner:MouseUp(point(5, 5)  modifiers: 0x00000000 b1 state0)",
                     "inner:MouseDown(point(5, 5)  modifiers: 0x00000000 b1 double state1)",
                     "inner:MouseUp(point(5, 5)  modifiers: 0x00000000 b1 double state0)",
                     "inner:MouseDown(point(5, 5)  modifiers: 0x00000000 b1 state1)",
                     "inner:MouseUp(point(5, 5)  modifiers: 0x00000000 b1 state0)"}));
}

TEST_F(RootWindowTest, NothingIsDeliveredWhileTheHostIsInactiveOrFromAnUnknownSource)
{
    host.active = false;
    host.Move({20, 20});
    host.Press(1, {20, 20});
    host.Release(1, {20, 20});
    host.Wheel({20, 20}, 0);
    EXPECT_EQ(Log({"Mouse"}), Lines{});
    EXPECT_EQ(root.GetMouseButtonState(), 0u);

    host.active = true;
    for (std::int32_t source : {-1, 10, 1000})
        root.OnMouseButton(LRootWindow::kButtonDown, 1, 0, {20, 20}, source);
    EXPECT_EQ(Log({"MouseDown"}), Lines{});
    root.OnMouseButton(LRootWindow::kButtonDown, 2, 0, {20, 20}, 9);
    EXPECT_EQ(Log({"MouseDown"}), (Lines{"inner:MouseDown(point(0, 0)  modifiers: 0x00000000 b2 state0)"}));
}

TEST_F(RootWindowTest, AnUnhandledWheelReachesTheFocusControl)
{
    Probe("b").wheelAnswer = QK_FALSE;
    host.Wheel({250, 50}, LMouseWheelParam::kAwayFromUser, 8);
    host.Wheel({250, 50}, LMouseWheelParam::kHorizontalNegative);
    Probe("a").wheelAnswer = QK_OK;
    host.Wheel({50, 50}, LMouseWheelParam::kTowardUser);
    EXPECT_EQ(Log({"Wheel"}),
              (Lines{"b:MouseWheel(point(250, 50)  modifiers: 0x00000008  direction: up)",
                     "top:MouseWheel(point(250, 50)  modifiers: 0x00000008  direction: up)",
                     "b:HWheel(point(250, 50)  modifiers: 0x00000000  direction: up)",
                     "top:HWheel(point(250, 50)  modifiers: 0x00000000  direction: up)",
                     "a:MouseWheel(point(50, 50)  modifiers: 0x00000000  direction: down)"}));
}

TEST_F(RootWindowTest, HoverMovesTheTooltipOwnerButNeverToTheCaptureControl)
{
    Probe("a").toolTip = WString(u"about a");
    Probe("a").captureOnPress = true;
    Probe("b").toolTip = WString(u"about b");
    host.Move({15, 15});
    EXPECT_EQ(root.GetToolTipControl().Get(), &Probe("a"));
    host.Move({25, 25});
    // inner has no text of its own and does not defer to its parent: no owner.
    EXPECT_FALSE(root.GetToolTipControl());
    host.Move({250, 50});
    EXPECT_EQ(root.GetToolTipControl().Get(), &Probe("b"));
    EXPECT_EQ(Log({"ShowToolTip", "MouseEnter", "MouseLeave"}),
              (Lines{"a:ShowToolTip(true)", "a:MouseEnter(point(5, 5)  modifiers: 0x00000000)", "a:ShowToolTip(false)",
                     "a:MouseLeave", "inner:MouseEnter(point(5, 5)  modifiers: 0x00000000)", "b:ShowToolTip(true)",
                     "inner:MouseLeave", "b:MouseEnter(point(50, 40)  modifiers: 0x00000000)"}));

    ProbeLog::Clear();
    host.Move({15, 15});
    host.Press(1, {15, 15});
    EXPECT_EQ(root.GetCaptureControl().Get(), &Probe("a"));
    root.SetHoverControl(&Probe("b"));
    EXPECT_EQ(root.GetHoverControl(), &Probe("a"));
    // Keys and presses hide the tooltip first.
    EXPECT_EQ(Log({"ShowToolTip"}), (Lines{"b:ShowToolTip(false)", "a:ShowToolTip(true)", "a:ShowToolTip(false)"}));
}

TEST_F(RootWindowTest, KeysGoAtOnceToTheFocusControlWithTheStayInsideFlagClear)
{
    root.SetFocusControl(&Probe("b"));
    host.Key(65, true, KeyCode::kFlagCtrl);
    host.Key(65, false);
    EXPECT_EQ(Log({"KeyInput"}), (Lines{"b:KeyInput(Ctrl+VKEY_A)", "b:KeyInput(VKEY_A)"}));
    root.ClearFocusControl();
    EXPECT_EQ(root.GetPreviousFocusControl().Get(), &Probe("b"));
    host.Key(66, true);
    EXPECT_EQ(Log({"KeyInput"}).size(), 2u);

    // Queued keys wait for the idle step.
    root.SetFocusControl(&Probe("a"));
    root.QueueKey(LKeyParam::Create(KeyCode(u'x', 0)));
    EXPECT_EQ(Log({"KeyInput"}).size(), 2u);
    harness.Tick();
    EXPECT_EQ(Log({"KeyInput"}).back(), "a:KeyInput([120])");
}

TEST_F(RootWindowTest, AHotKeyOfTheWindowArrivesInTheNextIdlePass)
{
    std::vector<std::string> log;
    const auto recorder = Recorder::Create("window", log);
    root.RegisterClient(ConstRCPtr<LNotificationReceiver>(recorder), u"NID_EDIT_DELETE_REQ", 0);
    EXPECT_EQ(root.GetHotKeyManager()->HandleKey(KeyCode::FromKeyMessage(46, true, false, 0)), QK_OK);
    EXPECT_TRUE(log.empty());
    harness.Tick();
    EXPECT_EQ(log, (std::vector<std::string>{"window:NID_EDIT_DELETE_REQ"}));
    root.UnregisterClient(ConstRCPtr<LNotificationReceiver>(recorder), u"NID_EDIT_DELETE_REQ");
}

TEST_F(RootWindowTest, IdleGoesOutOnThePeriodsFirstPassOnly)
{
    std::vector<std::string> log;
    const auto recorder = Recorder::Create("window", log);
    root.RegisterClient(ConstRCPtr<LNotificationReceiver>(recorder), u"NID_IDLE", 0);
    // Work posted during the period keeps it going for more passes.
    recorder->action = [&](Recorder&, const auto&, const auto&)
    { root.PostNotification(LNotification::Create(u"NID_SOMETHING")); };
    harness.Tick();
    harness.Tick();
    EXPECT_EQ(log, (std::vector<std::string>{"window:NID_IDLE", "window:NID_IDLE"}));
    root.UnregisterClient(ConstRCPtr<LNotificationReceiver>(recorder), u"NID_IDLE");
}

TEST_F(RootWindowTest, APendingCloseEndsTheModalLoopWithItsResult)
{
    EXPECT_EQ(root.RequestClose(7), QK_OK);
    EXPECT_EQ(host.RunModalLoop(), 7);
    EXPECT_FALSE(root.IsClosePending());
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "EndModal(7)"), 1);

    EXPECT_EQ(root.OnCloseRequest(), QK_OK);
    EXPECT_EQ(host.RunModalLoop(), 0);

    const auto lone = LRootWindow::Create(nullptr, nullptr);
    EXPECT_EQ(lone->RequestClose(3), QK_E_FAIL);
    EXPECT_FALSE(lone->IsClosePending());
    EXPECT_EQ(lone->OnCloseRequest(), QK_E_FAIL);
}

TEST_F(RootWindowTest, TabPastTheLastControlWithOneAndWithTwoWindows)
{
    Probe("top").SetFocus(true);
    ProbeLog::Clear();
    root.FocusNextWindow(KeyCode::Parse(u"VKEY_TAB"));
    root.FocusNextWindow(KeyCode::Parse(u"Shift+VKEY_TAB"));
    EXPECT_EQ(Log({"KillFocus", "SetFocus"}),
              (Lines{"top:KillFocus", "top:SetFocus(true)", "a:SetFocus(true)", "inner:SetFocus(true)", "top:KillFocus",
                     "top:SetFocus(false)", "a:SetFocus(false)", "inner:SetFocus(false)"}));

    RecordingWindowHost second;
    const auto other = LRootWindow::Create(nullptr, &second);
    RecordingWindowHost third;
    const auto last = LRootWindow::Create(nullptr, &third);
    second.active = second.hasFocus = third.active = third.hasFocus = false;
    harness.App().rootWindows = {&root, other.Get(), last.Get()};
    root.FocusNextWindow(KeyCode::Parse(u"VKEY_TAB"));
    EXPECT_EQ(second.calls, Lines{"SetFocus"});
    root.FocusNextWindow(KeyCode::Parse(u"Shift+VKEY_TAB"));
    EXPECT_EQ(third.calls, Lines{"SetFocus"});
    // An active window is not asked again, and nothing moves while this host is inactive.
    root.FocusNextWindow(KeyCode::Parse(u"VKEY_TAB"));
    host.active = false;
    root.FocusNextWindow(KeyCode::Parse(u"Shift+VKEY_TAB"));
    EXPECT_EQ(second.calls, Lines{"SetFocus"});
    EXPECT_EQ(third.calls, Lines{"SetFocus"});
    harness.App().rootWindows = {&root};
}

TEST_F(RootWindowTest, InvalidationsAreClippedToTheClientArea)
{
    const struct
    {
        RectL rect;
        const char* call;
    } cases[] = {
        {{10, 10, 20, 20}, "InvalidateRect(10,10,20,20)"},
        {{-5, 290, 20, 20}, "InvalidateRect(0,290,15,10)"},
        {{400, 0, 10, 10}, nullptr},
        {{-50, -50, 40, 40}, nullptr},
        {{5, 5, 0, 10}, nullptr},
    };
    RectRegion region;
    root.TakeUpdateRegion(region);
    for (const auto& c : cases)
    {
        host.calls.clear();
        root.InvalidateRect(c.rect);
        EXPECT_EQ(host.calls, c.call ? Lines{c.call} : Lines{}) << c.rect.x << "," << c.rect.y;
    }
    root.TakeUpdateRegion(region);
    EXPECT_EQ(region.GetCount(), 2u);
    root.TakeUpdateRegion(region);
    EXPECT_TRUE(region.IsEmpty());

    root.MarkFullRepaint();
    host.calls.clear();
    root.TakeUpdateRegion(region);
    EXPECT_EQ(host.calls, Lines{"InvalidateRect(0,0,400,300)"});
}

TEST_F(RootWindowTest, InvalidationsInsideThePendingAreaLeaveItInOnePiece)
{
    RectRegion region;
    root.TakeUpdateRegion(region);
    root.InvalidateAll();
    host.calls.clear();
    for (std::int32_t x = 0; x < 400; x += 50)
        root.InvalidateRect(RectL{x + 5, 20, 30, 40});
    // The host still hears of each one.
    EXPECT_EQ(host.calls.size(), 8u);
    root.TakeUpdateRegion(region);
    ASSERT_EQ(region.GetCount(), 1u);
    EXPECT_TRUE(region.Covers(0, 0, 400, 300));
}

class RootWindowPaint : public RootWindowTest
{
protected:
    void SetUp() override
    {
        RootWindowTest::SetUp();
        harness.Renderer().InitRenderContextInfo({0, 0, 400, 300}, 0, true, context);
        harness.Renderer().RenderStart(context);
        harness.Renderer().ClearCalls();
    }
    void TearDown() override
    {
        harness.Renderer().RenderFinish(context);
        RootWindowTest::TearDown();
    }
    std::size_t SavedStates() const { return context->GetStateStack().size(); }

    RCPtr<LRenderContextInfo> context;
};

TEST_F(RootWindowPaint, ParentsPaintBeforeChildrenInsideOnePushedState)
{
    RectRegion region;
    region.AddRect(0, 0, 400, 300);
    root.Paint(region);
    EXPECT_EQ(Log({"DrawOverlay"}), (Lines{"top:DrawOverlay", "a:DrawOverlay", "inner:DrawOverlay", "b:DrawOverlay"}));
    EXPECT_EQ(SavedStates(), 0u);
    const auto& calls = harness.Renderer().Calls();
    ASSERT_FALSE(calls.empty());
    const auto fills = std::count_if(calls.begin(), calls.end(), [](const std::string& call) { return call.rfind("FillRect", 0) == 0 || call.rfind("DrawBitmap", 0) == 0; });
    EXPECT_EQ(fills, 4);

    // A region that misses b leaves it out.
    ProbeLog::Clear();
    RectRegion left;
    left.AddRect(0, 0, 60, 60);
    root.Paint(left);
    EXPECT_EQ(Log({"DrawOverlay"}), (Lines{"top:DrawOverlay", "a:DrawOverlay", "inner:DrawOverlay"}));
}

TEST_F(RootWindowPaint, ARegionInManyPiecesPaintsEachControlOnce)
{
    // The whole window, then every control's own invalidation on top: the pieces cover the
    // window as one rectangle would.
    RectRegion region;
    region.AddRect(0, 0, 400, 300);
    for (std::int32_t y = 0; y < 300; y += 30)
        for (std::int32_t x = 0; x < 400; x += 40)
            region.AddRect(x + 5, y + 5, x + 25, y + 20);
    ASSERT_GT(region.GetCount(), 100u);
    root.Paint(region);
    EXPECT_EQ(Log({"DrawCustom"}), (Lines{"inner:DrawCustom", "a:DrawCustom", "b:DrawCustom", "top:DrawCustom"}));
    const auto& calls = harness.Renderer().Calls();
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const std::string& call)
                            { return call.rfind("FillRect", 0) == 0 || call.rfind("DrawBitmap", 0) == 0; }),
              4);
    EXPECT_GT(region.GetCount(), 100u) << "the caller's region is left as it was";
}

TEST_F(RootWindowPaint, AControlThatThrowsEndsThePaintWithTheStateStackBalanced)
{
    Probe("a/inner").throwOnPaint = true;
    DebugCapture capture;
    RectRegion region;
    region.AddRect(0, 0, 400, 300);
    EXPECT_NO_THROW(root.Paint(region));
    EXPECT_EQ(SavedStates(), 0u);
    EXPECT_NE(capture.Text().find("LRootWindow::Paint: no drawing for this part kind"), std::string::npos)
        << capture.Text();
    // The next paint runs as usual.
    Probe("a/inner").throwOnPaint = false;
    ProbeLog::Clear();
    root.Paint(region);
    EXPECT_EQ(Log({"DrawCustom"}).size(), 4u);
}

TEST_F(RootWindowPaint, WhileDrawingIsForbiddenTheHostIsAskedForAFullRepaint)
{
    context->SetDoNotDraw(true);
    host.calls.clear();
    RectRegion region;
    region.AddRect(0, 0, 10, 10);
    root.Paint(region);
    EXPECT_EQ(host.calls, Lines{"InvalidateAll"});
    EXPECT_TRUE(Log({"DrawCustom"}).empty());
    context->SetDoNotDraw(false);
}

TEST_F(RootWindowTest, PaintsItsTreeThroughTheSoftwareRenderer)
{
    const RCPtr<LRenderer> renderer = LRenderer::Create(1, 0);
    RecordingWindowHost otherHost;
    const auto window = LRootWindow::Create(renderer, &otherHost);
    ASSERT_EQ(window->SetRootControl(WString(u"top")), QK_OK);
    RCPtr<LRenderContextInfo> context;
    ASSERT_EQ(renderer->InitRenderContextInfo({0, 0, 400, 300}, 0, true, context), QK_OK);
    renderer->RenderStart(context);
    RectRegion region;
    window->TakeUpdateRegion(region);
    window->Paint(region);
    renderer->RenderFinish(context);

    const IDrawingSurface& surface = static_cast<LGDIRenderContextInfo&>(*context).GetFrontSurface().GetSurface();
    const struct
    {
        PointL at;
        std::uint32_t argb;
    } probes[] = {{{5, 5}, 0xFF808080}, {{15, 15}, 0xFFFF0000}, {{30, 30}, 0xFF0000FF}, {{250, 50}, 0xFF00FF00}, {{350, 250}, 0xFF808080}};
    for (const auto& probe : probes)
        EXPECT_EQ(surface.GetPixel(probe.at.x, probe.at.y), probe.argb) << probe.at.x << "," << probe.at.y;

    if (const char* folder = std::getenv("VEDIDU_PICTURES_DIR"))
    {
        std::vector<std::uint32_t> pixels;
        for (std::int32_t y = 0; y < surface.GetHeight(); ++y)
            for (std::int32_t x = 0; x < surface.GetWidth(); ++x)
                pixels.push_back(surface.GetPixel(x, y));
        EXPECT_TRUE(WritePngFile(std::string(folder) + "/root-window-paint.png", pixels, surface.GetWidth(),
                                 surface.GetHeight()));
    }
    window->SetHost(nullptr);
    window->SetRootControl(RCPtr<LControl>());
}


// A paint of most of the window sends the images that the shown controls draw to the decoding
// workers before it draws, so that they decode side by side; such an image comes back ready
// to draw (premultiplied), one decoded when first needed does not. A hidden control's image
// and a small paint send nothing.
TEST(RootWindowImages, ALargePaintSendsTheImagesOfWhatShowsToTheWorkers)
{
    const char* const looks = R"(
  <Parts>
    <Part Name="shown" Width="8" Height="8" ResizeType="Stretch" ImageFile="shown.png" ImageLocX="0" ImageLocY="0"/>
    <Part Name="frame" Width="8" Height="8" ResizeType="Stretch" ImageFile="frame.png" ImageLocX="0" ImageLocY="0"/>
    <Part Name="hidden" Width="8" Height="8" ResizeType="Stretch" ImageFile="hidden.png" ImageLocX="0" ImageLocY="0"/>
  </Parts>
  <Looks>
    <Look Name="shown"><ClientPart Name="shown" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
      <NonClientParts><NonClientPart Name="frame" OffsetLeft="0" OffsetTop="0" Height="2"/></NonClientParts></Look>
    <Look Name="hidden"><ClientPart Name="hidden" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  </Looks>
  <LookLists>
    <LookList Name="shown" NumLooks="1"><Look Name="shown" Index="0"/></LookList>
    <LookList Name="hidden" NumLooks="1"><Look Name="hidden" Index="0"/></LookList>
  </LookLists>
)";
    const char* const tree = R"(<Skin Name="s">
  <SubControl Class="Test.Input" Name="top" XSizeAbs="400" YSizeAbs="300"><Skin Name="t" LookList="shown"/>
    <SubControl Class="Test.Input" Name="gone" IsVisible="False" XSizeAbs="50" YSizeAbs="50"><Skin Name="g" LookList="hidden"/></SubControl>
  </SubControl>
</Skin>)";
    const std::vector<std::uint32_t> pixels(64, 0x80FF4020);
    // Paints area of a fresh window, then needs each image: whether it came back ready to draw.
    const auto paintAndDecode = [&](const RectL& area) {
        WindowHarness harness(tree, std::string(), looks);
        std::map<std::string, bool> premultiplied;
        for (const char* name : {"shown.png", "frame.png", "hidden.png"})
            EXPECT_TRUE(WritePngFile(harness.Folder().Path() + "/" + name, pixels, 8, 8));
        if (!harness.SetRoot(u"top"))
            return premultiplied;
        RCPtr<LRenderContextInfo> context;
        harness.Renderer().InitRenderContextInfo({0, 0, 400, 300}, 0, true, context);
        harness.Renderer().RenderStart(context);
        RectRegion region;
        region.AddRect(area.x, area.y, area.x + area.width, area.y + area.height);
        harness.Root()->Paint(region);
        harness.Renderer().RenderFinish(context);
        for (const char* name : {"shown.png", "frame.png", "hidden.png"})
        {
            const ConstRCPtr<LBitmap> bitmap = LBitmap::LoadBitmap(WString((harness.Folder().Path() + "/" + name).c_str()));
            const BitmapImage* image = bitmap ? bitmap->GetGdiplusBitmap() : nullptr;
            EXPECT_NE(image, nullptr) << name;
            if (!image)
                continue;
            EXPECT_EQ(image->GetStraightPixel(9), 0x80FF4020u) << name;
            premultiplied[name] = image->IsPremultiplied();
        }
        return premultiplied;
    };

    const auto most = paintAndDecode({0, 0, 400, 200});
    EXPECT_EQ(most, (std::map<std::string, bool>{{"shown.png", true}, {"frame.png", true}, {"hidden.png", false}}));
    const auto small = paintAndDecode({0, 0, 40, 30});
    EXPECT_EQ(small, (std::map<std::string, bool>{{"shown.png", false}, {"frame.png", false}, {"hidden.png", false}}));
}

} // namespace
} // namespace QK
