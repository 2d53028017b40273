#include "QKFramework/Utilities/Graphics/RectRegion.h"

#include "QKFramework/Utilities/Storage/Array.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

namespace QK
{
namespace
{

std::vector<RectL> Rects(const RectRegion& region)
{
    Array<RectL> rects;
    region.GetRects(rects);
    std::vector<RectL> result;
    for (std::uint32_t i = 0; i < rects.GetCount(); ++i)
        result.push_back(*rects.GetAt(i));
    return result;
}

// Pixel cover of a region on a small grid: how many nodes cover each pixel.
constexpr int kGrid = 40;
using Cover = std::array<std::array<int, kGrid>, kGrid>;

Cover CoverOf(const RectRegion& region)
{
    Cover cover{};
    for (const RectRegionNode* node = region.GetFirst(); node; node = node->next)
        for (int y = std::max(node->top, 0); y < std::min(node->bottom, kGrid); ++y)
            for (int x = std::max(node->left, 0); x < std::min(node->right, kGrid); ++x)
                ++cover[y][x];
    return cover;
}

bool IsDisjoint(const Cover& cover)
{
    for (const auto& row : cover)
        for (int count : row)
            if (count > 1)
                return false;
    return true;
}

Cover Flatten(Cover cover)
{
    for (auto& row : cover)
        for (int& count : row)
            count = count > 0 ? 1 : 0;
    return cover;
}

TEST(RectRegionTest, AddRectKeepsTheNodesDisjoint)
{
    RectRegion region;
    region.AddRect(0, 0, 10, 10);
    region.AddRect(5, 5, 15, 15);
    // The new square in front, then what was left of the first: its band above, its left piece.
    EXPECT_EQ(Rects(region), (std::vector<RectL>{{5, 5, 10, 10}, {0, 5, 5, 5}, {0, 0, 10, 5}}));

    // Empty rectangles are ignored.
    region.AddRect(20, 20, 20, 30);
    region.AddRect(20, 30, 30, 29);
    EXPECT_EQ(region.GetCount(), 3u);

    std::int32_t left, top, right, bottom;
    ASSERT_TRUE(region.GetBounds(left, top, right, bottom));
    EXPECT_EQ((std::array{left, top, right, bottom}), (std::array{0, 0, 15, 15}));
    region.Clear();
    EXPECT_FALSE(region.GetBounds(left, top, right, bottom));
    EXPECT_EQ((std::array{left, top, right, bottom}), (std::array{0, 0, 0, 0}));
}

TEST(RectRegionTest, CoversOnlyWhatOneNodeHoldsWhole)
{
    RectRegion region;
    region.AddRect(0, 0, 10, 10);
    region.AddRect(10, 0, 20, 10);
    const struct
    {
        std::array<std::int32_t, 4> rect;
        bool covered;
    } cases[] = {
        {{2, 2, 8, 8}, true},
        {{0, 0, 10, 10}, true},
        {{12, 1, 20, 10}, true},
        {{5, 0, 15, 10}, false}, // inside the region, but across two nodes
        {{-1, 0, 5, 5}, false},
        {{15, 5, 21, 6}, false},
        {{3, 3, 3, 8}, false}, // empty
        {{30, 30, 31, 31}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(region.Covers(c.rect[0], c.rect[1], c.rect[2], c.rect[3]), c.covered)
            << c.rect[0] << "," << c.rect[1] << "," << c.rect[2] << "," << c.rect[3];
    EXPECT_FALSE(RectRegion().Covers(0, 0, 1, 1));
}

TEST(RectRegionTest, SubtractRectMakesBandsThenSidesAndMovesTheOverlapOut)
{
    RectRegion region;
    region.AddRect(0, 0, 10, 10);
    RectRegion out;
    out.AddRect(30, 30, 31, 31);
    region.SubtractRect(3, 3, 6, 6, &out);
    // Made in the order top band, bottom band, left, right; each went in front.
    EXPECT_EQ(Rects(region),
              (std::vector<RectL>{{6, 3, 4, 3}, {0, 3, 3, 3}, {0, 6, 10, 4}, {0, 0, 10, 3}}));
    EXPECT_EQ(Rects(out), (std::vector<RectL>{{3, 3, 3, 3}, {30, 30, 1, 1}}));

    // A rectangle that misses every node, or covers nothing, changes nothing.
    region.SubtractRect(100, 100, 200, 200);
    region.SubtractRect(5, 0, 5, 10);
    region.SubtractRect(0, 5, 10, 2);
    EXPECT_EQ(region.GetCount(), 4u);
    EXPECT_EQ(Flatten(CoverOf(region))[4][4], 0);
    EXPECT_TRUE(IsDisjoint(CoverOf(region)));
}

TEST(RectRegionTest, AppendRegionPrependsCopiesKeepingOverlaps)
{
    RectRegion a;
    a.AddRect(0, 0, 10, 10);
    RectRegion b;
    b.AddRect(20, 0, 30, 10);
    b.AddRect(5, 5, 15, 15);
    a.AppendRegion(b);
    EXPECT_EQ(Rects(a), (std::vector<RectL>{{20, 0, 10, 10}, {5, 5, 10, 10}, {0, 0, 10, 10}}));
    EXPECT_EQ(b.GetCount(), 2u);

    a.AppendRegion(a);
    EXPECT_EQ(a.GetCount(), 6u);
}

TEST(RectRegionTest, IntersectKeepsTheOverlapAndOffsetMovesEveryNode)
{
    RectRegion a;
    a.AddRect(0, 0, 10, 10);
    a.AddRect(20, 0, 30, 10);
    RectRegion b;
    b.AddRect(5, 5, 25, 8);
    a.Intersect(b);
    EXPECT_EQ(Flatten(CoverOf(a)), [] {
        RectRegion expected;
        expected.AddRect(5, 5, 10, 8);
        expected.AddRect(20, 5, 25, 8);
        return CoverOf(expected);
    }());

    a.Offset(-5, 2);
    std::int32_t left, top, right, bottom;
    ASSERT_TRUE(a.GetBounds(left, top, right, bottom));
    EXPECT_EQ((std::array{left, top, right, bottom}), (std::array{0, 7, 20, 10}));
}

TEST(RectRegionTest, IntersectsUsesHalfOpenNodesAndIntersectsRectRefusesNoExtent)
{
    RectRegion region;
    region.AddRect(10, 10, 20, 20);
    const struct
    {
        std::array<std::int32_t, 4> rect;
        bool intersects;
    } cases[] = {
        {{0, 0, 10, 10}, false}, {{0, 0, 11, 11}, true}, {{20, 10, 30, 20}, false},
        {{19, 19, 30, 30}, true}, {{12, 12, 13, 13}, true}, {{0, 12, 100, 13}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(region.Intersects(c.rect[0], c.rect[1], c.rect[2], c.rect[3]), c.intersects) << c.rect[0];

    const struct
    {
        RectD rect;
        PointD offset;
        bool intersects;
    } doubles[] = {
        {{15, 15, 0, 5}, {0, 0}, false},
        {{15, 15, 5, 0}, {0, 0}, false},
        {{15, 15, 1e-17, 5}, {0, 0}, false},
        {{15, 15, 1e-9, 1e-9}, {0, 0}, true},
        {{5, 5, 1, 1}, {10, 10}, true},
        {{-100, -100, 95, 95}, {0, 0}, false},
        {{-100, -100, 111, 111}, {0, 0}, true},
        {{15, 15, std::numeric_limits<double>::quiet_NaN(), 5}, {0, 0}, false},
        {{15, 15, 1e300, 1e300}, {0, 0}, true},
    };
    for (const auto& c : doubles)
        EXPECT_EQ(region.IntersectsRect(c.rect, c.offset), c.intersects) << c.rect.x << " " << c.rect.width;
}

TEST(RectRegionTest, NormalizeMakesBandsAndMerges)
{
    const struct
    {
        std::vector<std::array<std::int32_t, 4>> added;
        std::vector<RectL> normalized;
    } cases[] = {
        // Side by side: one node.
        {{{0, 0, 10, 10}, {10, 0, 20, 10}}, {{0, 0, 20, 10}}},
        // Two halves of the lower band join, then continue the band above.
        {{{0, 0, 10, 5}, {0, 5, 5, 10}, {5, 5, 10, 10}}, {{0, 0, 10, 10}}},
        // Cut at the next top and at the band's bottom; only the node at the same position
        // with the same sides is joined to the band above.
        {{{0, 0, 10, 10}, {20, 5, 30, 15}}, {{0, 0, 10, 10}, {20, 5, 10, 5}, {20, 10, 10, 5}}},
        // Already banded and apart: unchanged but ordered by top and left.
        {{{20, 0, 30, 5}, {0, 0, 10, 5}, {0, 6, 10, 8}}, {{0, 0, 10, 5}, {20, 0, 10, 5}, {0, 6, 10, 2}}},
    };
    for (const auto& c : cases)
    {
        RectRegion region;
        for (const auto& r : c.added)
            region.AddRect(r[0], r[1], r[2], r[3]);
        region.Normalize();
        EXPECT_EQ(Rects(region), c.normalized) << c.added.size();
    }
}

TEST(RectRegionTest, RandomRegionsKeepTheirAreaThroughEveryOperation)
{
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> coordinate(0, kGrid);
    auto randomRect = [&] {
        int a = coordinate(random), b = coordinate(random), c = coordinate(random), d = coordinate(random);
        return std::array{std::min(a, b), std::min(c, d), std::max(a, b), std::max(c, d)};
    };
    for (int round = 0; round < 40; ++round)
    {
        RectRegion region;
        Cover expected{};
        for (int i = 0; i < 12; ++i)
        {
            const auto r = randomRect();
            region.AddRect(r[0], r[1], r[2], r[3]);
            for (int y = r[1]; y < r[3]; ++y)
                for (int x = r[0]; x < r[2]; ++x)
                    expected[y][x] = 1;
        }
        ASSERT_TRUE(IsDisjoint(CoverOf(region)));
        ASSERT_EQ(CoverOf(region), expected);

        RectRegion normalized(region);
        normalized.Normalize();
        ASSERT_TRUE(IsDisjoint(CoverOf(normalized)));
        ASSERT_EQ(CoverOf(normalized), expected);
        EXPECT_LE(normalized.GetCount(), region.GetCount());

        // Overlapping regions, appended, come out disjoint from Normalize too.
        RectRegion other;
        const auto r = randomRect();
        other.AddRect(r[0], r[1], r[2], r[3]);
        RectRegion both(region);
        both.AppendRegion(other);
        RectRegion intersection(region);
        intersection.Intersect(other);
        RectRegion difference(region);
        difference.Subtract(other);
        const Cover bothCover = Flatten(CoverOf(both));
        const Cover intersectionCover = CoverOf(intersection);
        const Cover differenceCover = CoverOf(difference);
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x)
            {
                const bool inOther = x >= r[0] && x < r[2] && y >= r[1] && y < r[3];
                ASSERT_EQ(bothCover[y][x], expected[y][x] || inOther);
                ASSERT_EQ(intersectionCover[y][x], expected[y][x] && inOther);
                ASSERT_EQ(differenceCover[y][x], expected[y][x] && !inOther);
            }
    }
}

TEST(RectRegionNodePoolTest, NodesBeyondTheSlotsComeFromTheHeapAndGoBack)
{
    RectRegionNodePool& pool = RectRegionNodePool::Get();
    const RectRegionNodePool::Stats before = pool.GetStats();

    std::vector<RectRegionNode*> nodes;
    while (pool.GetStats().freeCount > 0)
    {
        const RectRegionNodePool::Stats stats = pool.GetStats();
        RectRegionNode* node = pool.Allocate();
        ASSERT_TRUE(pool.IsPoolNode(node));
        nodes.push_back(node);
        if (nodes.size() == 1)
        {
            node->left = 7;
            pool.Free(node);
            node = pool.Allocate();
            EXPECT_EQ(node->left, 0) << "handed out zeroed";
            nodes[0] = node;
        }
        else
        {
            EXPECT_EQ(pool.GetStats().head, (stats.head + 1) % RectRegionNodePool::kCapacity);
        }
    }
    const RectRegionNodePool::Stats full = pool.GetStats();
    EXPECT_EQ(full.live, before.live + nodes.size());
    EXPECT_GE(full.largestLive, full.live);

    RectRegionNode* extra = pool.Allocate();
    EXPECT_FALSE(pool.IsPoolNode(extra));
    EXPECT_EQ(pool.GetStats().live, full.live + 1);
    EXPECT_EQ(pool.GetStats().largestLive, std::max(full.largestLive, full.live + 1));
    pool.Free(extra);
    const RectRegionNodePool::Stats afterExtra = pool.GetStats();
    EXPECT_EQ(afterExtra.freeCount, 0u);
    EXPECT_EQ(afterExtra.head, full.head);
    EXPECT_EQ(afterExtra.live, full.live);

    // Given back in reverse: the ring records them after its head in that order.
    for (auto it = nodes.rbegin(); it != nodes.rend(); ++it)
        pool.Free(*it);
    const RectRegionNodePool::Stats after = pool.GetStats();
    EXPECT_EQ(after.live, before.live);
    EXPECT_EQ(after.freeCount, RectRegionNodePool::kCapacity - before.live);
}

TEST(RectRegionNodePoolTest, RegionsReturnEveryNode)
{
    const std::uint32_t live = RectRegionNodePool::Get().GetStats().live;
    {
        RectRegion region;
        for (int i = 0; i < 600; ++i)
            region.AddRect(i * 2, 0, i * 2 + 1, 1);
        EXPECT_EQ(region.GetCount(), 600u);
        EXPECT_EQ(RectRegionNodePool::Get().GetStats().live, live + 600);
        RectRegion copy(region);
        RectRegion moved(std::move(copy));
        EXPECT_EQ(RectRegionNodePool::Get().GetStats().live, live + 1200);
    }
    EXPECT_EQ(RectRegionNodePool::Get().GetStats().live, live);
}

} // namespace
} // namespace QK
