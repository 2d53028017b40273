#include "QKFramework/Utilities/Geometry/Rect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace QK
{
namespace
{

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(GeometryTest, ToLongPairRoundsHalfAwayFromZeroAndSaturates)
{
    const struct
    {
        double first, second;
        std::int32_t longFirst, longSecond;
    } cases[] = {
        {2.5, -2.5, 3, -3},
        {2.4999, -2.4999, 2, -2},
        {0.5, -0.5, 1, -1},
        {0.49999, -0.49999, 0, 0},
        {0.0, -0.0, 0, 0},
        {2147483647.4, -2147483648.6, 2147483647, INT32_MIN},
        {2147483646.5, -2147483647.5, 2147483647, INT32_MIN},
        {1e300, -1e300, INT32_MAX, INT32_MIN},
        {kInfinity, -kInfinity, INT32_MAX, INT32_MIN},
        {kNaN, 7.0, INT32_MIN, 7},
        {7.0, kNaN, 7, INT32_MIN},
    };
    for (const auto& c : cases)
    {
        const LongPair result = ToLongPair({c.first, c.second});
        EXPECT_EQ(result.first, c.longFirst) << c.first;
        EXPECT_EQ(result.second, c.longSecond) << c.second;
    }
}

TEST(GeometryTest, ToDoublePairKeepsEvery32BitValue)
{
    for (const std::int32_t value : {0, 1, -1, INT32_MAX, INT32_MIN})
    {
        const DoublePair result = ToDoublePair({value, -value - 1});
        EXPECT_EQ(result.first, static_cast<double>(value));
        EXPECT_EQ(result.second, -static_cast<double>(value) - 1.0);
    }
}

TEST(GeometryTest, TolerantFloorForgivesAHairBelowAWholeNumber)
{
    const struct
    {
        double value;
        double floor;
    } cases[] = {
        {2.9999999999999996, 3.0},
        {-2.9999999999999996, -3.0},
        {-3.0, -3.0},
        {3.0, 3.0},
        {2.5, 2.0},
        {-2.5, -3.0},
        {-0.5, -1.0},
        {0.0, 0.0},
        {1e17, 1e17},
        {-1e300, -1e300},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TolerantFloor(c.value), c.floor) << c.value;
    EXPECT_TRUE(std::isnan(TolerantFloor(kNaN)));
    EXPECT_EQ(TolerantFloor(-kInfinity), -kInfinity);
}

TEST(GeometryTest, SnapToPixelsNormalisesAndFloorsTheEdges)
{
    const struct
    {
        RectD rect;
        RectD snapped;
    } cases[] = {
        {{10.7, 5.2, -3.4, 2.9}, {7, 5, 3, 3}},
        {{-2.5, -0.5, 1.0, 1.0}, {-3, -1, 1, 1}},
        {{1.0, 2.0, 3.0, 4.0}, {1, 2, 3, 4}},
        {{0.1, 0.1, 0.8, 0.8}, {0, 0, 0, 0}},
        {{0.0, 0.0, 2.9999999999999996, -2.9999999999999996}, {0, -3, 3, 3}},
    };
    for (const auto& c : cases)
    {
        RectD rect = c.rect;
        rect.SnapToPixels();
        EXPECT_EQ(rect.x, c.snapped.x)
            << c.rect.x << "," << c.rect.y << "," << c.rect.width << "," << c.rect.height;
        EXPECT_EQ(rect.y, c.snapped.y)
            << c.rect.x << "," << c.rect.y << "," << c.rect.width << "," << c.rect.height;
        EXPECT_EQ(rect.width, c.snapped.width) << c.rect.x << "," << c.rect.y << "," << c.rect.width;
        EXPECT_EQ(rect.height, c.snapped.height) << c.rect.x << "," << c.rect.y << "," << c.rect.height;
    }
}

TEST(GeometryTest, IntersectOfWholePixelRectangles)
{
    const struct
    {
        RectL a, b, result;
        bool meets;
    } cases[] = {
        {{0, 0, 10, 10}, {5, 5, 10, 10}, {5, 5, 5, 5}, true},
        {{0, 0, 10, 10}, {10, 0, 5, 5}, {10, 0, 0, 5}, false},
        {{0, 0, 10, 10}, {0, 10, 5, 5}, {0, 10, 5, 0}, false},
        {{0, 0, 10, 10}, {20, 20, 5, 5}, {20, 20, -10, -10}, false},
        {{0, 0, 1, 1}, {0, 0, 1, 1}, {0, 0, 1, 1}, true},
        {{INT32_MAX - 1, 0, INT32_MAX, 1}, {0, 0, INT32_MAX, 1}, {INT32_MAX - 1, 0, 1, 1}, true},
        {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
         {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
         {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
         true},
    };
    for (const auto& c : cases)
    {
        RectL result;
        EXPECT_EQ(RectL::Intersect(result, c.a, c.b), c.meets) << c.a.x << "," << c.b.x;
        EXPECT_EQ(result.x, c.result.x);
        EXPECT_EQ(result.y, c.result.y);
        EXPECT_EQ(result.width, c.result.width);
        EXPECT_EQ(result.height, c.result.height);
    }
}

TEST(GeometryTest, IntersectOfDoubleRectanglesIgnoresAHairOfOverlap)
{
    const struct
    {
        RectD a, b;
        bool meets;
    } cases[] = {
        {{0, 0, 1, 1}, {0.5, 0.5, 1, 1}, true},      {{0, 0, 1e-17, 1}, {0, 0, 1, 1}, false},
        {{0, 0, 1, 1}, {1 - 1e-17, 0, 1, 1}, false}, {{0, 0, 1, 1}, {0, 0, 1, 3e-16}, true},
        {{0, 0, 1, 1}, {2, 2, 1, 1}, false},
    };
    for (const auto& c : cases)
    {
        RectD result;
        EXPECT_EQ(RectD::Intersect(result, c.a, c.b), c.meets) << c.b.x << "," << c.b.height;
    }
    RectD result;
    RectD::Intersect(result, {0, 0, 2, 2}, {1, 1, 2, 2});
    EXPECT_EQ(result.x, 1.0);
    EXPECT_EQ(result.width, 1.0);
}

TEST(GeometryTest, RoundMovesEveryEdgeHalfAwayFromZero)
{
    const struct
    {
        RectD rect, rounded;
    } cases[] = {
        // Edges, not sizes, are rounded: 0.5 + 1.2 = 1.7 ends at 2, so the width is 1.
        {{0.5, -0.5, 1.2, 1.2}, {1, -1, 1, 2}},
        {{-2.5, 2.4999, 5.0, 0.0}, {-3, 2, 6, 0}},
        {{3, 4, -1.5, 2}, {3, 4, -1, 2}},
        {{1e300, -1e300, 0, 0}, {9223372036854774784.0, -9223372036854774784.0, 0, 0}},
    };
    for (const auto& c : cases)
    {
        RectD rect = c.rect;
        rect.Round();
        EXPECT_EQ(rect.x, c.rounded.x) << c.rect.x;
        EXPECT_EQ(rect.y, c.rounded.y) << c.rect.y;
        EXPECT_EQ(rect.width, c.rounded.width) << c.rect.x;
        EXPECT_EQ(rect.height, c.rounded.height) << c.rect.y;
    }
}

TEST(GeometryTest, ToRectDoubleKeepsEveryValue)
{
    const RectD rect = RectL{INT32_MIN, INT32_MAX, -1, 7}.ToRectDouble();
    EXPECT_EQ(rect.x, -2147483648.0);
    EXPECT_EQ(rect.y, 2147483647.0);
    EXPECT_EQ(rect.width, -1.0);
    EXPECT_EQ(rect.height, 7.0);
}

TEST(GeometryTest, UnionCoversBothAndIsEmptyOnlyUpToFloatEpsilon)
{
    const struct
    {
        RectF a, b, result;
        bool notEmpty;
    } cases[] = {
        {{0, 0, 0, 0}, {2, 3, 4, 5}, {0, 0, 6, 8}, true},
        {{-1, 2, 1, 1}, {1, -2, 1, 1}, {-1, -2, 3, 5}, true},
        {{0, 0, 0, 0}, {0, 0, 0, 1}, {0, 0, 0, 1}, false},
        // FLT_EPSILON itself is not enough; the next float above it is.
        {{0, 0, 1.1920929e-07f, 1}, {0, 0, 0, 0}, {0, 0, 1.1920929e-07f, 1}, false},
        {{0, 0, 1.1920930e-07f, 1}, {0, 0, 0, 0}, {0, 0, 1.1920930e-07f, 1}, true},
    };
    for (const auto& c : cases)
    {
        RectF result{9, 9, 9, 9};
        EXPECT_EQ(RectF::Union(result, c.a, c.b), c.notEmpty) << c.b.x << "," << c.a.width;
        EXPECT_EQ(result.x, c.result.x);
        EXPECT_EQ(result.y, c.result.y);
        EXPECT_EQ(result.width, c.result.width);
        EXPECT_EQ(result.height, c.result.height);
    }
}

TEST(GeometryTest, ToRectLongConvertsEachFieldOnItsOwn)
{
    const struct
    {
        RectD rect;
        RectL expected;
    } cases[] = {
        {{2.5, -2.5, 3e9, -3e9}, {3, -3, INT32_MAX, INT32_MIN}},
        {{kNaN, 0.49, 1.5, kInfinity}, {INT32_MIN, 0, 2, INT32_MAX}},
        {{-0.5, 10.0, 0.0, -kInfinity}, {-1, 10, 0, INT32_MIN}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.rect.ToRectLong(), c.expected) << c.rect.x << ", " << c.rect.y;
}

TEST(GeometryTest, PointConversionsRoundOrClampEachCoordinate)
{
    const struct
    {
        PointF point;
        PointL rounded;
    } longCases[] = {
        {{2.5f, -2.5f}, {3, -3}},
        {{0.49999997f, -0.49999997f}, {0, 0}},
        {{2147483520.0f, -2147483648.0f}, {2147483520, INT32_MIN}},
        {{2147483648.0f, -2147483904.0f}, {INT32_MAX, INT32_MIN}},
        {{std::nanf(""), INFINITY}, {INT32_MIN, INT32_MAX}},
    };
    for (const auto& c : longCases)
        EXPECT_EQ(c.point.ToPointLong(), c.rounded) << c.point.x << ", " << c.point.y;

    EXPECT_EQ(PointToFloatClamped({1e12, -1e12}), (PointF{8388608.0f, -8388608.0f}));
    EXPECT_EQ(PointToFloatClamped({0.25, -7.5}), (PointF{0.25f, -7.5f}));
    EXPECT_EQ(PointToFloatClamped({-kInfinity, kInfinity}), (PointF{-8388608.0f, 8388608.0f}));
}

} // namespace
} // namespace QK
