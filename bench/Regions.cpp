// Update regions and the renderers' cache: building, subtracting and normalising regions
// of a few hundred rectangles with the pooled nodes, against the same work on a plain
// std::vector of rectangles; and cache lookups that hit and that evict.
#include "QKFramework/Renderer/PurgableObjectCache.h"
#include "QKFramework/Utilities/Graphics/RectRegion.h"

#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <vector>

namespace
{

using Rect = std::array<std::int32_t, 4>; // left, top, right, bottom

std::vector<Rect> MakeRects(std::size_t count)
{
    std::mt19937 random(42);
    std::uniform_int_distribution<std::int32_t> coordinate(0, 1000);
    std::uniform_int_distribution<std::int32_t> extent(4, 60);
    std::vector<Rect> rects;
    for (std::size_t i = 0; i < count; ++i)
    {
        const std::int32_t left = coordinate(random);
        const std::int32_t top = coordinate(random);
        rects.push_back({left, top, left + extent(random), top + extent(random)});
    }
    return rects;
}

// The region's subtract-then-add on a vector, for comparison.
void VectorAddRect(std::vector<Rect>& region, const Rect& r)
{
    std::vector<Rect> out;
    out.reserve(region.size() + 4);
    for (Rect n : region)
    {
        if (n[2] <= r[0] || n[0] >= r[2] || n[3] <= r[1] || n[1] >= r[3])
        {
            out.push_back(n);
            continue;
        }
        if (n[1] < r[1])
            out.push_back({n[0], n[1], n[2], r[1]}), n[1] = r[1];
        if (n[3] > r[3])
            out.push_back({n[0], r[3], n[2], n[3]}), n[3] = r[3];
        if (n[0] < r[0])
            out.push_back({n[0], n[1], r[0], n[3]});
        if (n[2] > r[2])
            out.push_back({r[2], n[1], n[2], n[3]});
    }
    out.push_back(r);
    region.swap(out);
}

void BM_RegionBuildPooled(benchmark::State& state)
{
    const auto rects = MakeRects(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
    {
        QK::RectRegion region;
        for (const Rect& r : rects)
            region.AddRect(r[0], r[1], r[2], r[3]);
        benchmark::DoNotOptimize(region.GetFirst());
    }
}
BENCHMARK(BM_RegionBuildPooled)->Arg(100)->Arg(300);

void BM_RegionBuildVector(benchmark::State& state)
{
    const auto rects = MakeRects(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
    {
        std::vector<Rect> region;
        for (const Rect& r : rects)
            VectorAddRect(region, r);
        benchmark::DoNotOptimize(region.data());
    }
}
BENCHMARK(BM_RegionBuildVector)->Arg(100)->Arg(300);

void BM_RegionSubtractAndNormalize(benchmark::State& state)
{
    const auto rects = MakeRects(static_cast<std::size_t>(state.range(0)));
    QK::RectRegion base;
    for (const Rect& r : rects)
        base.AddRect(r[0], r[1], r[2], r[3]);
    QK::RectRegion hole;
    hole.AddRect(200, 200, 800, 800);
    for (auto _ : state)
    {
        QK::RectRegion region(base);
        region.Subtract(hole);
        region.Normalize();
        benchmark::DoNotOptimize(region.GetFirst());
    }
}
BENCHMARK(BM_RegionSubtractAndNormalize)->Arg(100)->Arg(300);

struct Object : public virtual QK::LRefCountedObject
{
};

struct Identity
{
    std::uint64_t operator()(std::uint64_t key) const { return key; }
};

void BM_CacheLookup(benchmark::State& state)
{
    // Keys over range(0) distinct identities in a 256-entry cache: all hits at 200, evictions at 400.
    QK::PurgableObjectCache<Object, std::uint64_t, std::uint64_t, Identity> cache(256);
    const std::uint64_t distinct = static_cast<std::uint64_t>(state.range(0));
    std::uint64_t key = 0;
    for (auto _ : state)
    {
        QK::RCPtr<Object>& slot = cache.GetEntry((key++ % distinct) * 16 + 1);
        if (!slot)
            slot = QK::RCPtr<Object>(new Object());
        benchmark::DoNotOptimize(slot.Get());
    }
}
BENCHMARK(BM_CacheLookup)->Arg(200)->Arg(400);

} // namespace
