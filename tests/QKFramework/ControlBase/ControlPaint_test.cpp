// Painting a control tree through a recording renderer, invalidation up to the root window,
// and hit testing: looks and children in order, the second pass of unclipped controls,
// opacities, hooks per dirty rectangle, clipping chains and depths.
#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/Utilities/Graphics/Bitmap.h"

#include "tests/support/Render/RecordingRenderer.h"
#include "tests/support/UI/ControlHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// One solid look per colour; "glass" is fully transparent, "inset" has its client part 5
// pixels in from every edge and nothing around it.
const char* const kLooks = R"(
  <Colorizers>
    <Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/>
    <Colorizer Name="white" ColorType="SolidFill" Color="FFFFFFFF"/>
    <Colorizer Name="red" ColorType="SolidFill" Color="FFFF0000"/>
    <Colorizer Name="green" ColorType="SolidFill" Color="FF00FF00"/>
    <Colorizer Name="blue" ColorType="SolidFill" Color="FF0000FF"/>
    <Colorizer Name="yellow" ColorType="SolidFill" Color="FFFFFF00"/>
    <Colorizer Name="clear" ColorType="SolidFill" Color="00FF00FF"/>
  </Colorizers>
  <Parts>
    <Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/>
    <Part Name="white" Width="1" Height="1" ResizeType="Stretch" ColorizerName="white"/>
    <Part Name="red" Width="1" Height="1" ResizeType="Stretch" ColorizerName="red"/>
    <Part Name="green" Width="1" Height="1" ResizeType="Stretch" ColorizerName="green"/>
    <Part Name="blue" Width="1" Height="1" ResizeType="Stretch" ColorizerName="blue"/>
    <Part Name="yellow" Width="1" Height="1" ResizeType="Stretch" ColorizerName="yellow"/>
    <Part Name="clear" Width="1" Height="1" ResizeType="Stretch" ColorizerName="clear"/>
  </Parts>
  <Looks>
    <Look Name="grey"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="white"><ClientPart Name="white" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="red"><ClientPart Name="red" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="green"><ClientPart Name="green" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="blue"><ClientPart Name="blue" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="yellow"><ClientPart Name="yellow" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="glass"><ClientPart Name="clear" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="inset"><ClientPart Name="white" OffsetLeft="5" OffsetTop="5" OffsetRight="-5" OffsetBottom="-5"/></Look>
  </Looks>
  <LookLists>
    <LookList Name="grey" NumLooks="1"><Look Name="grey" Index="0"/></LookList>
    <LookList Name="twoLooks" NumLooks="2"><Look Name="grey" Index="0"/><Look Name="white" Index="1"/></LookList>
    <LookList Name="red" NumLooks="1"><Look Name="red" Index="0"/></LookList>
    <LookList Name="green" NumLooks="1"><Look Name="green" Index="0"/></LookList>
    <LookList Name="blue" NumLooks="1"><Look Name="blue" Index="0"/></LookList>
    <LookList Name="yellow" NumLooks="1"><Look Name="yellow" Index="0"/></LookList>
    <LookList Name="glass" NumLooks="1"><Look Name="glass" Index="0"/></LookList>
    <LookList Name="inset" NumLooks="1"><Look Name="inset" Index="0"/></LookList>
    <LookList Name="white" NumLooks="1"><Look Name="white" Index="0"/></LookList>
  </LookLists>
)";

// window 300 x 200; a and b overlap with equal Z_Order; "fixed" is docked on both axes with a
// lower Z_Order; "box" holds an unclipped popup of Z_Order 9999999 that reaches far outside
// it; "frame" draws only inside its inset client part.
const char* const kTree = R"(<Skin Name="s">
  <SubControl Class="Test.Hooks" Name="window" XSizeAbs="300" YSizeAbs="200"><Skin Name="w" LookList="twoLooks"/>
    <SubControl Class="Test.Probe" Name="a" XPositionAbs="10" YPositionAbs="10" XSizeAbs="20" YSizeAbs="20"
        Z_Order="5"><Skin Name="a" LookList="red"/></SubControl>
    <SubControl Class="Test.Probe" Name="b" XPositionAbs="20" YPositionAbs="20" XSizeAbs="20" YSizeAbs="20"
        Z_Order="5"><Skin Name="b" LookList="green"/></SubControl>
    <SubControl Class="Test.Probe" Name="fixed" XIsDocked="True" YIsDocked="True" XSizeAbs="15" YSizeAbs="15"
        Z_Order="-5"><Skin Name="f" LookList="yellow"/></SubControl>
    <SubControl Class="Test.Probe" Name="glass" XPositionAbs="5" YPositionAbs="5" XSizeAbs="40" YSizeAbs="40"
        Z_Order="6"><Skin Name="g" LookList="glass"/></SubControl>
    <SubControl Class="Test.Probe" Name="box" XPositionAbs="250" YPositionAbs="150" XSizeAbs="10" YSizeAbs="10">
        <Skin Name="x" LookList="grey"/>
      <SubControl Class="Test.Probe" Name="popup" ClipToParent="False" Z_Order="9999999" XPositionAbs="-200"
          YPositionAbs="-100" XSizeAbs="50" YSizeAbs="50"><Skin Name="p" LookList="blue"/>
        <SubControl Class="Test.Probe" Name="pin" XPositionAbs="40" YPositionAbs="40" XSizeAbs="20" YSizeAbs="20">
          <Skin Name="pin" LookList="white"/></SubControl>
      </SubControl>
      <SubControl Class="Test.Probe" Name="inner" XPositionAbs="5" YPositionAbs="5" XSizeAbs="20" YSizeAbs="20"/>
    </SubControl>
    <SubControl Class="Test.Probe" Name="frame" XPositionAbs="100" YPositionAbs="100" XSizeAbs="40" YSizeAbs="40">
        <Skin Name="fr" LookList="inset"/>
      <SubControl Class="Test.Probe" Name="wide" XPositionAbs="-5" YPositionAbs="-5" XSizeAbs="50" YSizeAbs="50">
          <Skin Name="wide" LookList="white"/></SubControl>
    </SubControl>
  </SubControl></Skin>)";

// Writes the overlay and custom hooks to the probe log with the clip they run in.
class HookControl : public ProbeControl
{
public:
    using ProbeControl::ProbeControl;
    QKRESULT DrawOverlay(LRenderer& renderer) override
    {
        Log("DrawOverlay" + Describe(renderer.GetClipRect()));
        return QK_OK;
    }
    QKRESULT DrawCustom(LRenderer& renderer) override
    {
        Log("DrawCustom" + Describe(renderer.GetClipRect()));
        return QK_OK;
    }

private:
    static std::string Describe(const RectD& rect)
    {
        std::string text(1, '(');
        for (const double value : {rect.x, rect.y, rect.width, rect.height})
        {
            text += FormatNumber(value);
            text += ',';
        }
        text.back() = ')';
        return text;
    }
};

// Writes each fill as "<colour>@<translation x>,<y>" with the opacity when it is not 1.
class FillLog : public RecordingRenderer
{
public:
    void FillRect(const RectL& rect, const ColorRGBA& color, bool blend) override
    {
        static const std::map<std::uint32_t, std::string> names = {
            {0xFF808080, "grey"}, {0xFFFFFFFF, "white"}, {0xFFFF0000, "red"},
            {0xFF00FF00, "green"}, {0xFF0000FF, "blue"}, {0xFFFFFF00, "yellow"}};
        const auto name = names.find(color.ToARGB());
        const PointD at = GetTranslation();
        std::string line = name == names.end() ? "other" : name->second;
        line += '@';
        line += FormatNumber(at.x);
        line += ',';
        line += FormatNumber(at.y);
        if (GetOpacity() != 1.0f)
        {
            line += '*';
            line += FormatNumber(GetOpacity());
        }
        fills.push_back(line);
        RecordingRenderer::FillRect(rect, color, blend);
    }
    std::vector<std::string> fills;
};

class ControlPaint : public ::testing::Test
{
protected:
    ControlPaint()
    {
        harness.Factory().RegisterControlClass(WString(u"Test.Hooks"), &CreateAs<HookControl>);
        window = harness.CreateRoot(u"window");
        renderer->InitRenderContextInfo({0, 0, 300, 200}, 0, true, context);
        renderer->RenderStart(context);
        ProbeLog::Clear();
    }
    ~ControlPaint() override { renderer->RenderFinish(context); }

    RCPtr<LControl> Child(const char16_t* path0, const char16_t* path1 = nullptr)
    {
        RCPtr<LControl> control = window->FindChild(WString(path0));
        return path1 ? control->FindChild(WString(path1)) : control;
    }
    std::vector<std::string> Paint(std::initializer_list<RectL> rects)
    {
        RectRegion dirty;
        for (const RectL& rect : rects)
            dirty.AddRect(rect.x, rect.y, rect.x + rect.width, rect.y + rect.height);
        renderer->fills.clear();
        PaintTree(*renderer, *window, dirty);
        EXPECT_EQ(renderer->GetContextDepth(), 1u);
        return renderer->fills;
    }
    // The control under a point of the window, or "".
    std::string HitAt(std::int32_t x, std::int32_t y, PointL* local = nullptr)
    {
        RCPtr<LControl> control;
        PointL at;
        std::int32_t depth = INT32_MIN;
        window->FindControlAtPoint(control, {x, y}, true, at, depth);
        if (local)
            *local = at;
        return control ? Narrow(control->GetName()) : std::string();
    }

    ControlHarness harness{kTree, "", kLooks};
    RCPtr<LControl> window;
    RCPtr<FillLog> renderer{new FillLog()};
    RCPtr<LRenderContextInfo> context;
};

TEST_F(ControlPaint, ChildrenInZOrderAndTheUnclippedPopupInTheSecondPass)
{
    // Looks shown: the window's first one only. Z_Order 0 below 5; the docked control above
    // them all; the popup after the whole tree, placed where its parent's client lies.
    EXPECT_EQ(Paint({{0, 0, 300, 200}}),
              (std::vector<std::string>{"grey@0,0", "grey@250,150", "white@105,105", "white@100,100", "red@10,10",
                                        "green@20,20", "yellow@0,0", "blue@50,50", "white@90,90"}));
}

TEST_F(ControlPaint, ASkippedClippedSubtreeStillHandsOnItsPopup)
{
    // Only the popup's area is dirty: "box" is skipped, its popup painted anyway.
    EXPECT_EQ(Paint({{60, 60, 10, 10}}), (std::vector<std::string>{"grey@0,0", "blue@50,50"}));
    // A hidden box hides its subtree, the popup with it.
    Child(u"box")->SetVisible(false);
    EXPECT_EQ(Paint({{60, 60, 10, 10}}), (std::vector<std::string>{"grey@0,0"}));
}

TEST_F(ControlPaint, TwoLooksAtHalfOpacityDrawTheirPartsAndTheChildrenTwice)
{
    for (const char16_t* name : {u"b", u"fixed", u"glass", u"box", u"frame"})
        Child(name)->SetVisible(false);
    ASSERT_EQ(window->SetLookOpacity(0, 0.5f, false), QK_OK);
    ASSERT_EQ(window->SetLookOpacity(1, 0.5f, false), QK_OK);
    EXPECT_EQ(Paint({{0, 0, 300, 200}}),
              (std::vector<std::string>{"grey@0,0*0.5", "white@0,0*0.5", "red@10,10*0.5", "red@10,10*0.5"}));
    EXPECT_EQ(renderer->GetOpacity(), 1.0f);
}

TEST_F(ControlPaint, HooksRunOncePerDirtyRectangleAroundTheLooksAndChildren)
{
    for (const char16_t* name : {u"a", u"b", u"fixed", u"glass", u"frame"})
        Child(name)->SetVisible(false);
    ProbeLog::Clear();
    Paint({{0, 0, 10, 10}, {100, 50, 20, 5}});
    std::vector<std::string> hooks;
    for (const std::string& line : ProbeLog::Lines())
        hooks.push_back(line);
    // The region keeps its rectangles newest first.
    EXPECT_EQ(hooks, (std::vector<std::string>{"window:DrawOverlay(100,50,20,5)", "window:DrawOverlay(0,0,10,10)",
                                               "window:DrawCustom(100,50,20,5)", "window:DrawCustom(0,0,10,10)"}));
    // The first pass takes no unclipped control, the second no clipped one.
    RCPtrArray<LControl> unclipped;
    RectRegion dirty;
    dirty.AddRect(0, 0, 10, 10);
    EXPECT_EQ(window->Paint(*renderer, dirty, unclipped, true), QK_E_INVALIDARG);
    EXPECT_EQ(Child(u"box", u"popup")->Paint(*renderer, dirty, unclipped, false), QK_E_INVALIDARG);
}

TEST_F(ControlPaint, InvalidationReachesTheWindowCutByClippedAncestors)
{
    auto& dirty = harness.Window()->dirty;
    dirty.clear();
    Child(u"box", u"inner")->Invalidate({0, 0, 20, 20}, true);
    Child(u"box", u"popup")->Invalidate({0, 0, 50, 50}, true);
    // Clipping ends at the unclipped popup: its child is cut by nothing above it.
    Child(u"box", u"popup")->FindChild(WString(u"pin"))->Invalidate({0, 0, 20, 20}, true);
    // Without clipping the whole rectangle goes up.
    Child(u"box", u"inner")->Invalidate({0, 0, 20, 20}, false);
    EXPECT_EQ(dirty, (std::vector<RectD>{{255, 155, 5, 5}, {50, 50, 50, 50}, {90, 90, 20, 20}, {255, 155, 20, 20}}));

    dirty.clear();
    Child(u"box")->SetVisible(false);
    dirty.clear();
    Child(u"box", u"inner")->Invalidate({0, 0, 20, 20}, true);
    Child(u"box", u"popup")->Invalidate({0, 0, 50, 50}, false);
    EXPECT_TRUE(dirty.empty());
}

TEST_F(ControlPaint, HidingShowingOrDisablingAContainerRepaintsItsPopupOutsideIt)
{
    // The popup of "box" lies at (50, 50), far outside the box.
    const RCPtr<LControl> box = Child(u"box");
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"disabled", [&] { box->SetEnabled(false); }},
        {"enabled", [&] { box->SetEnabled(true); }},
        {"hidden", [&] { box->SetVisible(false); }},
        {"shown", [&] { box->SetVisible(true); }},
    };
    auto& dirty = harness.Window()->dirty;
    for (const auto& [name, change] : changes)
    {
        dirty.clear();
        change();
        EXPECT_NE(std::find(dirty.begin(), dirty.end(), RectD{50, 50, 50, 50}), dirty.end()) << name;
        EXPECT_NE(std::find(dirty.begin(), dirty.end(), RectD{250, 150, 10, 10}), dirty.end()) << name;
    }
}

TEST_F(ControlPaint, HitTesting)
{
    PointL local;
    // b is later in the list with the same Z_Order: it is above a; the transparent glass
    // above both lets the pointer through.
    EXPECT_EQ(HitAt(25, 25, &local), "b");
    EXPECT_EQ(local, (PointL{5, 5}));
    EXPECT_EQ(HitAt(25, 12), "a");
    // The docked control is above the others whatever its Z_Order.
    EXPECT_EQ(HitAt(12, 3), "fixed");
    // The popup's depth wins over ordinary controls, and its child shares it.
    EXPECT_EQ(HitAt(60, 60), "popup");
    EXPECT_EQ(HitAt(95, 95), "pin");
    // A child outside its parent's client part is not hit there; the window is.
    EXPECT_EQ(HitAt(101, 101), "window");
    EXPECT_EQ(HitAt(110, 110), "wide");
    // The keep-out mark: the control itself is passed over.
    Child(u"b")->SetExcludedFromHitTest(true);
    EXPECT_EQ(HitAt(25, 25), "a");
    Child(u"b")->SetExcludedFromHitTest(false);
    EXPECT_EQ(Child(u"box", u"popup")->GetEffectiveDepth(), 9999999);
    EXPECT_EQ(Child(u"box", u"popup")->FindChild(WString(u"pin"))->GetEffectiveDepth(), 9999999);
    EXPECT_EQ(Child(u"a")->GetEffectiveDepth(), INT32_MIN);
    // Outside every control.
    EXPECT_EQ(HitAt(400, 20), "");
    EXPECT_TRUE(Child(u"glass")->IsTransparentAtPoint({1, 1}));
    EXPECT_FALSE(Child(u"a")->IsTransparentAtPoint({1, 1}));
}

} // namespace
} // namespace QK

namespace QK
{
namespace
{

bool Contains(const std::vector<std::string>& calls, const std::string& start)
{
    for (const std::string& call : calls)
        if (call.rfind(start, 0) == 0)
            return true;
    return false;
}

TEST_F(ControlPaint, LookOverridesAddressALookOrTheCurrentOne)
{
    auto& dirty = harness.Window()->dirty;
    const ConstRCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap(4, 4, ColorRGBA{0.0f, 0.0f, 1.0f, 1.0f});
    dirty.clear();
    // No overlay to take away: nothing changes and nothing is repainted.
    EXPECT_EQ(window->SetLookOverlay(nullptr, kResizeTile, -1, false), QK_FALSE);
    // On the hidden look 1 the overlay is set without a repaint...
    EXPECT_EQ(window->SetLookOverlay(bitmap, kResizeTile, 1, false), QK_OK);
    EXPECT_TRUE(dirty.empty());
    renderer->ClearCalls();
    Paint({{0, 0, 300, 200}});
    EXPECT_FALSE(Contains(renderer->Calls(), "DrawBitmap("));
    // ...and shows once that look is the current one.
    ASSERT_EQ(window->SelectLook(1, true), QK_OK);
    renderer->ClearCalls();
    Paint({{0, 0, 300, 200}});
    EXPECT_TRUE(Contains(renderer->Calls(), "DrawBitmap(bitmap,0,0,300,200,1"));
    dirty.clear();
    EXPECT_EQ(window->SetLookOverlay(nullptr, kResizeTile, -1, false), QK_OK);
    EXPECT_EQ(dirty, (std::vector<RectD>{{0, 0, 300, 200}}));

    // A region limits where the current look draws; it repaints the control.
    RectRegion region;
    region.AddRect(0, 0, 10, 20);
    dirty.clear();
    EXPECT_EQ(Child(u"a")->SetLookRegion(-1, region), QK_OK);
    EXPECT_EQ(dirty, (std::vector<RectD>{{10, 10, 20, 20}}));
    renderer->ClearCalls();
    Paint({{0, 0, 300, 200}});
    // The client part is drawn clipped to the region's rectangle only.
    EXPECT_TRUE(Contains(renderer->Calls(), "PushStencil(0,0,20,20,0,0,10,20,"));

    // The text part: no repaint; a control without looks has none to change.
    const ConstRCPtr<LVisualPart> part = Child(u"b")->GetLook(0)->GetClientPart();
    dirty.clear();
    EXPECT_EQ(Child(u"a")->SetLookTextPart(part, -1), QK_OK);
    EXPECT_EQ(Child(u"a")->GetLook(0)->GetTextForegroundPart().Get(), part.Get());
    EXPECT_EQ(Child(u"a")->SetLookTextPart(part, 0), QK_OK);
    EXPECT_TRUE(dirty.empty());
    EXPECT_EQ(Child(u"a")->SetLookTextPart(nullptr, 0), QK_E_INVALIDARG);
    const RCPtr<LControl> bare = Child(u"box", u"inner");
    EXPECT_EQ(bare->SetLookTextPart(part, -1), QK_E_FAIL);
    EXPECT_EQ(bare->SetLookOverlay(bitmap, kResizeStretch, -1, true), QK_E_FAIL);
    EXPECT_EQ(bare->SetLookRegion(-1, region), QK_E_INVALIDARG);
}

TEST(ControlRename, RenamingAChildCarriesItsNameIntoLaterSiblingsLayouts)
{
    ControlHarness harness(R"(<Skin Name="s"><SubControl Class="Test.Probe" Name="window" XSizeAbs="300" YSizeAbs="100">
        <SubControl Class="Test.Probe" Name="before" XPositionToControl="first" XSizeAbs="5"/>
        <SubControl Class="Test.Probe" Name="first" XPositionAbs="20" XSizeAbs="30"/>
        <SubControl Class="Test.Probe" Name="after" XPositionToControl="first" XPositionRel="1"
            XSizeToControl="first" YPositionToControl="first" YSizeToControl="first" YSizeRel="1"/>
        <SubControl Class="Test.Probe" Name="other" XPositionToControl="else"/>
      </SubControl></Skin>)");
    const RCPtr<LControl> window = harness.CreateRoot(u"window");
    LControl::ChildControlList& children = window->GetChildren();
    const RCPtr<LControl> first = window->FindChild(WString(u"first"));
    const RCPtr<LControl> after = window->FindChild(WString(u"after"));
    const RectD placed = after->GetBounds();

    EXPECT_EQ(children.RenameChild(first, WString(u"first")), QK_FALSE);
    EXPECT_EQ(children.RenameChild(first, WString(u"other")), QK_E_FAIL);
    EXPECT_EQ(Narrow(first->GetName()), "first");
    const RCPtr<LControl> stranger(new ProbeControl(nullptr, WString(u"stranger")));
    EXPECT_EQ(children.RenameChild(stranger, WString(u"x")), QK_E_INVALIDARG);
    EXPECT_EQ(children.RenameChild(nullptr, WString(u"x")), QK_E_INVALIDARG);

    EXPECT_EQ(children.RenameChild(first, WString(u"menu1")), QK_OK);
    EXPECT_EQ(window->FindChild(WString(u"menu1")).Get(), first.Get());
    const auto& layout = *after->GetLayoutDescriptor();
    EXPECT_EQ(Narrow(layout.X.Position.Name), "menu1");
    EXPECT_EQ(Narrow(layout.X.Size.Name), "menu1");
    EXPECT_EQ(Narrow(layout.Y.Position.Name), "menu1");
    EXPECT_EQ(Narrow(layout.Y.Size.Name), "menu1");
    // Earlier siblings keep their references; nothing was laid out again.
    EXPECT_EQ(Narrow(window->FindChild(WString(u"before"))->GetLayoutDescriptor()->X.Position.Name), "first");
    EXPECT_EQ(after->GetBounds(), placed);
    EXPECT_EQ(after->Relayout(), QK_FALSE);
    EXPECT_EQ(window->FindChild(WString(u"other"))->GetLayoutDescriptor()->RenameLayoutReference(WString(u"menu1"),
                                                                                               WString(u"y")),
              1);
}

} // namespace
} // namespace QK
