// Showing a software-drawn 1280x800 picture in an SDL window: a dirty region of many small
// rectangles spread over the window (a first frame of a skinned control tree) presented
// rectangle by rectangle, as their bounding box, and as the presenter chooses; and a few
// small rectangles (a caret, a value) both ways. Needs a display.
#include "QKFramework/Platform/Render/Sdl/SdlPresenter.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace
{

using namespace QK;

constexpr std::int32_t kWidth = 1280;
constexpr std::int32_t kHeight = 800;

struct Window
{
    Window()
    {
        if (!std::getenv("DISPLAY") || SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            return;
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        window = SDL_CreateWindow("bench", 0, 0, kWidth, kHeight, SDL_WINDOW_SHOWN);
        pixels.assign(static_cast<std::size_t>(kWidth) * kHeight, 0xFF203040u);
    }
    ~Window()
    {
        if (window)
            SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    void Present(const std::vector<RectL>& rects)
    {
        PresentToSdlWindow(SDL_GetWindowID(window), reinterpret_cast<const unsigned char*>(pixels.data()), kWidth,
                           kHeight, kWidth * 4, rects);
    }

    SDL_Window* window = nullptr;
    std::vector<std::uint32_t> pixels;
};

// count rectangles of w x h on a grid over the window.
std::vector<RectL> Scattered(std::int32_t count, std::int32_t w, std::int32_t h)
{
    std::vector<RectL> rects;
    const std::int32_t columns = kWidth / (w + 8);
    for (std::int32_t i = 0; i < count; ++i)
        rects.push_back(RectL{(i % columns) * (w + 8), ((i / columns) * (h + 6)) % (kHeight - h), w, h});
    return rects;
}

RectL Bounds(const std::vector<RectL>& rects)
{
    std::int32_t x0 = kWidth, y0 = kHeight, x1 = 0, y1 = 0;
    for (const RectL& r : rects)
    {
        x0 = std::min(x0, r.x);
        y0 = std::min(y0, r.y);
        x1 = std::max(x1, r.x + r.width);
        y1 = std::max(y1, r.y + r.height);
    }
    return RectL{x0, y0, x1 - x0, y1 - y0};
}

enum Way
{
    kEach,
    kBounds,
    kChosen,
};

void Present(benchmark::State& state, std::vector<RectL> rects)
{
    Window window;
    if (!window.window)
    {
        state.SkipWithError("needs a display");
        return;
    }
    const Way way = static_cast<Way>(state.range(0));
    if (way == kBounds)
        rects = {Bounds(rects)};
    else if (way == kChosen)
        rects = ChoosePresentRects(rects);
    for (auto _ : state)
    {
        window.Present(rects);
        // What reaches the screen, not only what was queued for it.
        SDL_GetWindowSurface(window.window);
        SDL_PumpEvents();
    }
    state.counters["rects"] = static_cast<double>(rects.size());
}

void FirstFrameRegion(benchmark::State& state)
{
    Present(state, Scattered(375, 40, 24));
}
BENCHMARK(FirstFrameRegion)->ArgName("each0_bounds1_chosen2")->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

void SmallChanges(benchmark::State& state)
{
    Present(state, {RectL{100, 100, 2, 18}, RectL{1100, 700, 60, 20}, RectL{600, 400, 40, 20}});
}
BENCHMARK(SmallChanges)->ArgName("each0_bounds1_chosen2")->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

} // namespace
