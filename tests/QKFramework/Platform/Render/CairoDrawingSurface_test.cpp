// The cairo drawing surface's clip: it stays where it was set on the surface while the
// translation changes, and a rectangle set again under another translation lands there. A
// confinement to rectangles holds under every clip and translation, raw writes included.
#include "QKFramework/Platform/Render/Cairo/CairoDrawingSurface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace QK
{
namespace
{

constexpr std::uint32_t kRed = 0xFFFF0000u;

// The painted pixels of a 20 x 20 surface as "x0,y0-x1,y1", the bounds of what is not
// transparent ("" when nothing is).
std::string PaintedBounds(const CairoDrawingSurface& surface)
{
    std::int32_t left = 20, top = 20, right = -1, bottom = -1;
    for (std::int32_t y = 0; y < 20; ++y)
        for (std::int32_t x = 0; x < 20; ++x)
            if (surface.GetPixel(x, y) != 0)
            {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
    if (right < 0)
        return "";
    return std::to_string(left) + "," + std::to_string(top) + "-" + std::to_string(right) + "," +
           std::to_string(bottom);
}

std::size_t PaintedCount(const CairoDrawingSurface& surface)
{
    std::size_t count = 0;
    for (std::int32_t y = 0; y < 20; ++y)
        for (std::int32_t x = 0; x < 20; ++x)
            count += surface.GetPixel(x, y) != 0 ? 1 : 0;
    return count;
}

TEST(CairoDrawingSurfaceTest, AClipIsFixedOnTheSurfaceWhereItsTranslationPutIt)
{
    const struct
    {
        const char* name;
        std::function<void(CairoDrawingSurface&)> steps;
        const char* painted;
    } cases[] = {
        {"the same rectangle under a new translation moves",
         [](CairoDrawingSurface& s)
         {
             s.SetClipRect(0, 0, 5, 5);
             s.SetTranslation(10, 10);
             s.SetClipRect(0, 0, 5, 5);
         },
         "10,10-14,14"},
        {"a translation alone leaves the clip",
         [](CairoDrawingSurface& s)
         {
             s.SetClipRect(2, 2, 5, 5);
             s.SetTranslation(10, 10);
         },
         "2,2-6,6"},
        {"another rectangle on the same place of the surface",
         [](CairoDrawingSurface& s)
         {
             s.SetTranslation(10, 10);
             s.SetClipRect(-7, -7, 3, 3);
             s.SetTranslation(0, 0);
             s.SetClipRect(3, 3, 3, 3);
         },
         "3,3-5,5"},
        {"an unbounded clip after a bounded one",
         [](CairoDrawingSurface& s)
         {
             s.SetClipRect(0, 0, 5, 5);
             s.SetClipRect(-1e10f, -1e10f, 2e10f, 2e10f);
         },
         "0,0-19,19"},
        {"a bounded clip again after an unbounded one",
         [](CairoDrawingSurface& s)
         {
             s.SetClipRect(4, 4, 2, 2);
             s.SetClipRect(-1e10f, -1e10f, 2e10f, 2e10f);
             s.SetClipRect(4, 4, 2, 2);
         },
         "4,4-5,5"},
    };
    for (const auto& c : cases)
    {
        CairoDrawingSurface surface(20, 20);
        c.steps(surface);
        // A fill over the whole surface, wherever the translation stands.
        surface.FillRect({-40, -40, 100, 100}, kRed);
        surface.Flush();
        EXPECT_EQ(PaintedBounds(surface), c.painted) << c.name;
    }
}

TEST(CairoDrawingSurfaceTest, AConfinementHoldsUnderEveryClipAndTranslationUntilLifted)
{
    const auto fill = [](CairoDrawingSurface& s) { s.FillRect({-40, -40, 100, 100}, kRed); };
    const struct
    {
        const char* name;
        std::function<void(CairoDrawingSurface&)> steps;
        const char* painted;
        std::size_t count;
    } cases[] = {
        {"two rectangles apart",
         [&](CairoDrawingSurface& s)
         {
             s.ConfineTo({{2, 2, 3, 3}, {10, 10, 2, 2}});
             fill(s);
         },
         "2,2-11,11", 13},
        {"overlapping rectangles cover their union",
         [&](CairoDrawingSurface& s)
         {
             s.ConfineTo({{0, 0, 4, 4}, {2, 2, 4, 4}});
             fill(s);
         },
         "0,0-5,5", 28},
        {"a clip set later narrows it",
         [&](CairoDrawingSurface& s)
         {
             s.ConfineTo({{0, 0, 10, 10}});
             s.SetClipRect(5, 5, 10, 10);
             fill(s);
         },
         "5,5-9,9", 25},
        {"a clip set before and a translation after keep their places",
         [&](CairoDrawingSurface& s)
         {
             s.SetClipRect(0, 0, 6, 6);
             s.ConfineTo({{3, 3, 10, 10}});
             s.SetTranslation(10, 10);
             fill(s);
         },
         "3,3-5,5", 9},
        {"raw writes keep to it",
         [](CairoDrawingSurface& s)
         {
             s.ConfineTo({{2, 2, 2, 2}, {3, 3, 2, 1}});
             s.WritePixels({0, 0, 20, 20}, kRed);
         },
         "2,2-4,3", 5},
        {"nothing to draw into",
         [&](CairoDrawingSurface& s)
         {
             s.ConfineTo({});
             fill(s);
             s.WritePixels({0, 0, 20, 20}, kRed);
         },
         "", 0},
        {"lifted, the clip alone holds again where it was set",
         [&](CairoDrawingSurface& s)
         {
             s.ConfineTo({{0, 0, 2, 2}});
             s.SetTranslation(5, 5);
             s.SetClipRect(0, 0, 3, 3);
             s.Unconfine();
             fill(s);
         },
         "5,5-7,7", 9},
    };
    for (const auto& c : cases)
    {
        CairoDrawingSurface surface(20, 20);
        c.steps(surface);
        surface.Flush();
        EXPECT_EQ(PaintedBounds(surface), c.painted) << c.name;
        EXPECT_EQ(PaintedCount(surface), c.count) << c.name;
    }
}

} // namespace
} // namespace QK
