// Rectangles and coordinate pairs, and the one way the framework turns double coordinates
// into whole pixels: rounding half away from zero, saturating at the 32-bit range, and
// snapping rectangle edges with a tolerant floor.
//
// "Long" coordinates are 32-bit signed whole pixels, whatever the width of long on the
// platform: RectL is RectT<std::int32_t>.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>

namespace QK
{

// A point or a size: first and second are x and y, or width and height.
using LongPair = std::pair<std::int32_t, std::int32_t>;
using DoublePair = std::pair<double, double>;

// Each component rounded half away from zero; not a number or below the 32-bit range gives
// -2147483648, above it 2147483647.
LongPair ToLongPair(const DoublePair& pair);
// Each component as a double, held to plus and minus 2^52 (no 32-bit value changes).
DoublePair ToDoublePair(const LongPair& pair);

// The tolerance of SnapToPixels and of the emptiness of double rectangles: the double epsilon.
inline constexpr double kGeometryTolerance = 2.220446049250313e-16;

// The floor that SnapToPixels uses: a value a hair below a whole number counts as that whole
// number, and a negative whole number stays where it is.
double TolerantFloor(double value);

template <class T> struct PointT;
template <class T> struct RectT;

// The work of the members below that exist for some coordinate types only. Plain functions,
// so that every compiler matches them: explicit specialisations of constrained members are
// not read alike by all of them.
namespace RectDetail
{
PointT<std::int32_t> ToPointLong(const PointT<float>& point);
void SnapToPixels(RectT<double>& rect);
bool Intersect(RectT<std::int32_t>& result, const RectT<std::int32_t>& a, const RectT<std::int32_t>& b);
bool Intersect(RectT<double>& result, const RectT<double>& a, const RectT<double>& b);
void Round(RectT<double>& rect);
RectT<double> ToRectDouble(const RectT<std::int32_t>& rect);
bool Union(RectT<float>& result, const RectT<float>& a, const RectT<float>& b);
RectT<std::int32_t> ToRectLong(const RectT<double>& rect);
} // namespace RectDetail

// A point of the drawing layer; its double form adds to a rectangle's origin as an offset.
template <class T> struct PointT
{
    T x{};
    T y{};

    // Float points in whole pixels: each coordinate rounded half away from zero; below
    // -2^31 (or not a number) -2147483648, from 2^31 on 2147483647.
    PointT<std::int32_t> ToPointLong() const requires std::is_same_v<T, float>
    {
        return RectDetail::ToPointLong(*this);
    }

    friend bool operator==(const PointT&, const PointT&) = default;
};

using PointL = PointT<std::int32_t>;
using PointF = PointT<float>;
using PointD = PointT<double>;

// Each coordinate held to -8388608..8388608, then converted; not a number stays not a
// number.
PointF PointToFloatClamped(const PointD& point);

template <class T> struct RectT
{
    T x{};
    T y{};
    T width{};
    T height{};

    // Double rectangles: makes width and height non-negative, then moves every edge to its
    // tolerant floor, so the rectangle covers whole pixels.
    void SnapToPixels() requires std::is_same_v<T, double>
    {
        RectDetail::SnapToPixels(*this);
    }

    // Writes the overlap of a and b to result (also when they do not meet, with a width or
    // height of 0 or less) and answers whether it is not empty: long rectangles need a width
    // and height of at least 1, double ones more than kGeometryTolerance.
    static bool Intersect(RectT& result, const RectT& a,
                          const RectT& b) requires(std::is_same_v<T, std::int32_t> ||
                                                   std::is_same_v<T, double>)
    {
        return RectDetail::Intersect(result, a, b);
    }

    // Double rectangles: rounds the left, top, right and bottom edges half away from zero
    // and keeps the rectangle between the rounded edges. Edges beyond the 64-bit range (or
    // not a number) saturate.
    void Round() requires std::is_same_v<T, double>
    {
        RectDetail::Round(*this);
    }

    // Long rectangles as doubles; every 32-bit value converts exactly.
    RectT<double> ToRectDouble() const requires std::is_same_v<T, std::int32_t>
    {
        return RectDetail::ToRectDouble(*this);
    }

    // Float rectangles: writes the smallest rectangle holding a and b to result and answers
    // whether its width and height both exceed FLT_EPSILON.
    static bool Union(RectT& result, const RectT& a, const RectT& b) requires std::is_same_v<T, float>
    {
        return RectDetail::Union(result, a, b);
    }

    // Double rectangles in whole pixels: the origin and the size each by ToLongPair.
    RectT<std::int32_t> ToRectLong() const requires std::is_same_v<T, double>
    {
        return RectDetail::ToRectLong(*this);
    }

    friend bool operator==(const RectT&, const RectT&) = default;
};

using RectL = RectT<std::int32_t>;
using RectF = RectT<float>;
using RectD = RectT<double>;

} // namespace QK
