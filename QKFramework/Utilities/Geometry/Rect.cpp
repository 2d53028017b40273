#include "QKFramework/Utilities/Geometry/Rect.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace QK
{

namespace
{

std::int32_t ToLong(double value)
{
    if (!(value >= -2147483648.0))
        return INT32_MIN;
    if (value > 2147483647.0)
        return INT32_MAX;
    return static_cast<std::int32_t>(value < 0.0 ? value - 0.5 : value + 0.5);
}

double ToDouble(std::int32_t value)
{
    constexpr double kLimit = 4503599627370496.0;
    return std::clamp(static_cast<double>(value), -kLimit, kLimit);
}

std::int32_t Saturate(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

// Half away from zero through a 64-bit integer, held inside its range.
double RoundEdge(double value)
{
    constexpr double kLimit = 9223372036854774784.0; // the largest double below 2^63
    if (!(value >= -kLimit))
        return -kLimit;
    if (value > kLimit)
        return kLimit;
    return static_cast<double>(static_cast<std::int64_t>(value < 0.0 ? value - 0.5 : value + 0.5));
}

} // namespace

LongPair ToLongPair(const DoublePair& pair)
{
    const std::int32_t first = ToLong(pair.first);
    return {first, ToLong(pair.second)};
}

DoublePair ToDoublePair(const LongPair& pair)
{
    return {ToDouble(pair.first), ToDouble(pair.second)};
}

double TolerantFloor(double value)
{
    // From 2^52 on every double is a whole number already, and the 64-bit truncation below
    // could not hold the largest; infinities and not-a-number stay as they are.
    if (!(std::fabs(value) < 4503599627370496.0))
        return value;
    if (value >= 0.0)
        return static_cast<double>(static_cast<std::int64_t>(value + value * kGeometryTolerance));
    return static_cast<double>(static_cast<std::int64_t>(value - (value * kGeometryTolerance + 1.0)));
}

void RectDetail::SnapToPixels(RectD& rect)
{
    auto& [x, y, width, height] = rect;
    if (width < 0.0)
    {
        x += width;
        width = -width;
    }
    if (height < 0.0)
    {
        y += height;
        height = -height;
    }
    const double left = TolerantFloor(x);
    const double top = TolerantFloor(y);
    const double right = TolerantFloor(x + width);
    const double bottom = TolerantFloor(y + height);
    x = left;
    width = right - left;
    y = top;
    height = bottom - top;
}

bool RectDetail::Intersect(RectL& result, const RectL& a, const RectL& b)
{
    // Edges in 64 bits: x + width can leave the 32-bit range.
    const std::int64_t left = std::max(a.x, b.x);
    const std::int64_t top = std::max(a.y, b.y);
    const std::int64_t right = std::min(std::int64_t{a.x} + a.width, std::int64_t{b.x} + b.width);
    const std::int64_t bottom = std::min(std::int64_t{a.y} + a.height, std::int64_t{b.y} + b.height);
    result = {Saturate(left), Saturate(top), Saturate(right - left), Saturate(bottom - top)};
    return right - left >= 1 && bottom - top >= 1;
}

bool RectDetail::Intersect(RectD& result, const RectD& a, const RectD& b)
{
    const double left = std::max(a.x, b.x);
    const double top = std::max(a.y, b.y);
    const double right = std::min(a.x + a.width, b.x + b.width);
    const double bottom = std::min(a.y + a.height, b.y + b.height);
    result = {left, top, right - left, bottom - top};
    return !(result.width <= kGeometryTolerance || result.height <= kGeometryTolerance);
}

void RectDetail::Round(RectD& rect)
{
    auto& [x, y, width, height] = rect;
    const double left = RoundEdge(x);
    const double top = RoundEdge(y);
    const double right = RoundEdge(x + width);
    const double bottom = RoundEdge(y + height);
    x = left;
    y = top;
    width = right - left;
    height = bottom - top;
}

RectD RectDetail::ToRectDouble(const RectL& rect)
{
    const auto& [x, y, width, height] = rect;
    const DoublePair origin = ToDoublePair({x, y});
    const DoublePair size = ToDoublePair({width, height});
    return {origin.first, origin.second, size.first, size.second};
}

bool RectDetail::Union(RectF& result, const RectF& a, const RectF& b)
{
    const float left = std::min(a.x, b.x);
    const float top = std::min(a.y, b.y);
    const float right = std::max(a.x + a.width, b.x + b.width);
    const float bottom = std::max(a.y + a.height, b.y + b.height);
    result = {left, top, right - left, bottom - top};
    return result.width > FLT_EPSILON && result.height > FLT_EPSILON;
}

RectL RectDetail::ToRectLong(const RectD& rect)
{
    const auto& [x, y, width, height] = rect;
    const LongPair origin = ToLongPair({x, y});
    const LongPair size = ToLongPair({width, height});
    return {origin.first, origin.second, size.first, size.second};
}

PointL RectDetail::ToPointLong(const PointF& point)
{
    const auto toLong = [](float value) -> std::int32_t {
        if (!(value >= -2147483648.0f))
            return INT32_MIN;
        if (value >= 2147483648.0f)
            return INT32_MAX;
        return static_cast<std::int32_t>(std::round(value));
    };
    return {toLong(point.x), toLong(point.y)};
}

PointF PointToFloatClamped(const PointD& point)
{
    constexpr double kLimit = 8388608.0;
    return {static_cast<float>(std::clamp(point.x, -kLimit, kLimit)),
            static_cast<float>(std::clamp(point.y, -kLimit, kLimit))};
}

} // namespace QK
