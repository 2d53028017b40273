// The software renderer: a scaled bitmap drawn from the cache and rendered anew, and a
// repaint of the demo scene presented in full against one presented through a small dirty
// rectangle (in a window when DISPLAY names an X server, skipped otherwise).
#include "QKFramework/Platform/Render/Sdl/SdlWindow.h"
#include "QKFramework/Renderer/Gdi/GDIRenderer.h"
#include "tools/RenderDemo/DemoScene.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace
{

using namespace QK;

ConstRCPtr<LBitmap> Source()
{
    static const ConstRCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap(64, 64, ColorRGBA{0.2f, 0.4f, 0.8f, 1.0f});
    return bitmap;
}

void DrawScaledBitmap(benchmark::State& state, bool hit)
{
    const RCPtr<LRenderer> renderer = LRenderer::Create(kRendererGdiPlus, 0);
    RCPtr<LRenderContextInfo> context;
    renderer->InitRenderContextInfo({0, 0, 512, 512}, 0, true, context);
    renderer->RenderStart(context);
    std::int32_t size = 100;
    for (auto _ : state)
    {
        // A miss: a size the 256-entry cache cannot still hold.
        if (!hit)
            size = 100 + (size - 99) % 400;
        renderer->DrawBitmap(Source(), {0, 0, size, size}, kResizeStretch);
    }
    renderer->RenderFinish(context);
}

void BM_DrawBitmapCacheHit(benchmark::State& state)
{
    DrawScaledBitmap(state, true);
}
BENCHMARK(BM_DrawBitmapCacheHit);

void BM_DrawBitmapCacheMiss(benchmark::State& state)
{
    DrawScaledBitmap(state, false);
}
BENCHMARK(BM_DrawBitmapCacheMiss);

void Repaint(benchmark::State& state, bool full)
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
    {
        state.SkipWithError("no DISPLAY: run under Xvfb (xvfb-run -a)");
        return;
    }
    SdlWindow window("bench", Demo::DemoScene::kWidth, Demo::DemoScene::kHeight);
    if (!window.IsOpen())
    {
        state.SkipWithError(window.GetError().c_str());
        return;
    }
    const RCPtr<LRenderer> renderer = LRenderer::Create(kRendererGdiPlus, 0);
    RCPtr<LRenderContextInfo> context;
    renderer->InitRenderContextInfo({0, 0, Demo::DemoScene::kWidth, Demo::DemoScene::kHeight}, window.GetHandle(),
                                    false, context);
    Demo::DemoScene scene;
    Demo::PaintScene(*renderer, context, scene, nullptr);
    const RectL dirty = scene.GetChangedRect();
    for (auto _ : state)
    {
        scene.Change();
        Demo::PaintScene(*renderer, context, scene, full ? nullptr : &dirty);
        window.PumpEvents();
    }
}

void BM_RepaintFullViewport(benchmark::State& state)
{
    Repaint(state, true);
}
BENCHMARK(BM_RepaintFullViewport);

void BM_RepaintDirtyRectangle(benchmark::State& state)
{
    Repaint(state, false);
}
BENCHMARK(BM_RepaintDirtyRectangle);

} // namespace
