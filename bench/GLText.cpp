// The OpenGL renderer's text: a 200-character text drawn with the glyph cache warm (every
// glyph packed already: no FreeType call) and cold (a fresh glyph cache each time: every
// glyph loaded, rendered and packed anew). In a window when DISPLAY names an X server,
// skipped otherwise.
#include "QKFramework/Platform/Render/Sdl/SdlWindow.h"
#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Renderer/FontRenderer/FontRenderer.h"
#include "QKFramework/Renderer/OpenGL/GLGlyphRenderer.h"
#include "QKFramework/Renderer/OpenGL/GLRenderer.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace
{

using namespace QK;

WString Text()
{
    std::u16string text;
    while (text.size() < 200)
        text += u"The quick brown fox jumps over the lazy dog; 0123456789! ";
    text.resize(200);
    return WString(text.c_str());
}

void DrawText(benchmark::State& state, bool warm)
{
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
    {
        state.SkipWithError("no DISPLAY");
        return;
    }
    SdlWindow window("bench", 640, 120, true);
    if (!window.IsOpen())
    {
        state.SkipWithError(window.GetError().c_str());
        return;
    }
    const RCPtr<LRenderer> renderer = LRenderer::Create(kRendererOpenGL, static_cast<std::intptr_t>(window.GetHandle()));
    RCPtr<LRenderContextInfo> context;
    renderer->InitRenderContextInfo({0, 0, 640, 120}, window.GetHandle(), false, context);
    const RCPtr<LFontRenderer>& fonts = static_cast<LGLRenderer&>(*renderer).GetFontRenderer();
    const ConstRCPtr<LFont> font = LFont::FindOrCreate(WString(u"DejaVu Sans"), 10.0f, 0);
    const WString text = Text();
    const std::uint64_t loadsBefore = LFreetypeFontRenderer::GetGlyphLoadCount();

    renderer->RenderStart(context);
    renderer->DrawText(text, font, {4, 4}, ColorRGBA{1.0f, 1.0f, 1.0f, 1.0f});
    for (auto _ : state)
    {
        if (warm)
            renderer->DrawText(text, font, {4, 40}, ColorRGBA{1.0f, 1.0f, 1.0f, 1.0f});
        else
        {
            const RCPtr<LGlyphProcessor> fresh(new LGLGlyphRenderer);
            fonts->RenderText(text, font, fresh, 0, 0.0f, LGlyphProcessor::kModeRender);
        }
    }
    renderer->RenderFinish(context);
    state.counters["glyph loads per run"] = benchmark::Counter(
        static_cast<double>(LFreetypeFontRenderer::GetGlyphLoadCount() - loadsBefore) /
        static_cast<double>(state.iterations() + 1));
}

void BM_GLDrawTextWarmGlyphCache(benchmark::State& state)
{
    DrawText(state, true);
}
BENCHMARK(BM_GLDrawTextWarmGlyphCache);

void BM_GLDrawTextColdGlyphCache(benchmark::State& state)
{
    DrawText(state, false);
}
BENCHMARK(BM_GLDrawTextColdGlyphCache);

} // namespace
