#include "QKFramework/Platform/Render/Sdl/SdlPresenter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace QK
{
namespace
{

// A grid of count w x h rectangles, 8 apart, from (x, y).
std::vector<RectL> Grid(std::int32_t x, std::int32_t y, std::int32_t count, std::int32_t w, std::int32_t h)
{
    std::vector<RectL> rects;
    for (std::int32_t i = 0; i < count; ++i)
        rects.push_back(RectL{x + (i % 20) * (w + 8), y + (i / 20) * (h + 8), w, h});
    return rects;
}

TEST(SdlPresenter, ManyRectanglesCloseTogetherArePresentedAsTheirBoundsFewOrFarApartAsThemselves)
{
    const struct
    {
        const char* what;
        std::vector<RectL> rects;
        bool merged;
    } cases[] = {
        {"none", {}, false},
        {"one", {RectL{5, 5, 10, 10}}, false},
        {"a first frame's many controls", Grid(0, 0, 375, 40, 24), true},
        {"two neighbours", {RectL{0, 0, 40, 20}, RectL{41, 0, 40, 20}}, true},
        {"a caret and a value far apart", {RectL{10, 10, 2, 18}, RectL{1100, 700, 60, 20}}, false},
        {"two large halves with a gap", {RectL{0, 0, 600, 800}, RectL{680, 0, 600, 800}}, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const std::vector<RectL> chosen = ChoosePresentRects(c.rects);
        if (!c.merged)
        {
            EXPECT_EQ(chosen, c.rects);
            continue;
        }
        ASSERT_EQ(chosen.size(), 1u);
        // The bounds cover every rectangle, and no more.
        std::int32_t right = 0;
        std::int32_t bottom = 0;
        for (const RectL& rect : c.rects)
        {
            EXPECT_LE(chosen[0].x, rect.x);
            EXPECT_LE(chosen[0].y, rect.y);
            right = std::max(right, rect.x + rect.width);
            bottom = std::max(bottom, rect.y + rect.height);
        }
        EXPECT_EQ(chosen[0].x + chosen[0].width, right);
        EXPECT_EQ(chosen[0].y + chosen[0].height, bottom);
    }
}

} // namespace
} // namespace QK
