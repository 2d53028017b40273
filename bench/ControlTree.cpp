// A tree of a thousand controls (10 rows of 99 cells under one window, each with a solid
// look) painted by the software renderer offscreen, for one small dirty rectangle and for
// the whole window, and hit-tested at spread points.
#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/Renderer/Renderer.h"

#include "tests/support/UI/ControlHarness.h"

#include <benchmark/benchmark.h>

#include <climits>
#include <memory>
#include <string>

namespace
{

using namespace QK;
using namespace QK::TestSupport;

constexpr int kRows = 10;
constexpr int kCells = 99;

const char* const kLooks = R"(
  <Colorizers><Colorizer Name="a" ColorType="SolidFill" Color="FF406080"/>
    <Colorizer Name="b" ColorType="SolidFill" Color="FFE0A040"/></Colorizers>
  <Parts><Part Name="a" Width="1" Height="1" ResizeType="Stretch" ColorizerName="a"/>
    <Part Name="b" Width="1" Height="1" ResizeType="Stretch" ColorizerName="b"/></Parts>
  <Looks><Look Name="a"><ClientPart Name="a" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="b"><ClientPart Name="b" OffsetLeft="1" OffsetTop="1" OffsetRight="-1" OffsetBottom="-1"/></Look></Looks>
  <LookLists><LookList Name="a" NumLooks="1"><Look Name="a" Index="0"/></LookList>
    <LookList Name="b" NumLooks="1"><Look Name="b" Index="0"/></LookList></LookLists>)";

std::string TreeSkin()
{
    std::string skin = R"(<Skin Name="bench"><SubControl Class="Test.Probe" Name="window" XSizeAbs="990"
        YSizeAbs="1000"><Skin Name="w" LookList="a"/>)";
    for (int row = 0; row < kRows; ++row)
    {
        skin += "<SubControl Class=\"Test.Probe\" Name=\"row" + std::to_string(row) + "\" YPositionAbs=\"" +
                std::to_string(row * 100) + "\" XSizeAbs=\"990\" YSizeAbs=\"100\"><Skin Name=\"r\" LookList=\"a\"/>";
        for (int cell = 0; cell < kCells; ++cell)
            skin += "<SubControl Class=\"Test.Probe\" Name=\"c" + std::to_string(cell) + "\" XPositionAbs=\"" +
                    std::to_string(cell * 10) + "\" XSizeAbs=\"10\" YSizeAbs=\"100\"><Skin Name=\"c\" LookList=\"b\"/>"
                    "</SubControl>";
        skin += "</SubControl>";
    }
    return skin + "</SubControl></Skin>";
}

// The tree and an offscreen software renderer the size of its window.
struct Scene
{
    Scene() : harness(TreeSkin(), "", kLooks)
    {
        window = harness.CreateRoot(u"window");
        renderer = LRenderer::Create(kRendererGdiPlus, 0);
        renderer->InitRenderContextInfo({0, 0, 990, 1000}, 0, true, context);
    }
    ~Scene() { window->Close(); }

    void Paint(const RectL& area)
    {
        RectRegion dirty;
        dirty.AddRect(area.x, area.y, area.x + area.width, area.y + area.height);
        renderer->RenderStart(context);
        PaintTree(*renderer, *window, dirty);
        renderer->RenderFinish(context);
    }

    ControlHarness harness;
    RCPtr<LControl> window;
    RCPtr<LRenderer> renderer;
    RCPtr<LRenderContextInfo> context;
};

void PaintSmallDirtyRectangle(benchmark::State& state)
{
    Scene scene;
    for (auto _ : state)
        scene.Paint({495, 495, 20, 20});
}
BENCHMARK(PaintSmallDirtyRectangle)->Unit(benchmark::kMicrosecond);

void PaintWholeWindow(benchmark::State& state)
{
    Scene scene;
    for (auto _ : state)
        scene.Paint({0, 0, 990, 1000});
}
BENCHMARK(PaintWholeWindow)->Unit(benchmark::kMillisecond);

void HitTest(benchmark::State& state)
{
    Scene scene;
    std::int32_t i = 0;
    for (auto _ : state)
    {
        RCPtr<LControl> hit;
        PointL local;
        std::int32_t depth = INT32_MIN;
        i = (i + 37) % 990;
        scene.window->FindControlAtPoint(hit, {i, (i * 7) % 1000}, true, local, depth);
        benchmark::DoNotOptimize(hit);
    }
}
BENCHMARK(HitTest)->Unit(benchmark::kMicrosecond);

} // namespace
