#include "QKFramework/Utilities/Storage/VariantOrder.h"

#include <cmath>
#include <compare>
#include <cstring>
#include <functional>

namespace QK
{

namespace
{
enum class Group
{
    Empty,
    Number,
    Reference,
    Block,
};

Group GroupOf(std::uint32_t kind) noexcept
{
    if (kind == kVariantEmpty)
        return Group::Empty;
    if (kind <= kVariantUInt64)
        return Group::Number;
    if (kind <= kVariantReadOnlyReference)
        return Group::Reference;
    return Group::Block;
}

bool IsFloating(std::uint32_t kind) noexcept
{
    return kind == kVariantFloat || kind == kVariantDouble;
}

std::strong_ordering CompareDoubles(double a, double b) noexcept
{
    const bool aNaN = std::isnan(a);
    const bool bNaN = std::isnan(b);
    if (aNaN || bNaN)
        return aNaN == bNaN ? std::strong_ordering::equal
                            : (aNaN ? std::strong_ordering::greater : std::strong_ordering::less);
    if (a < b)
        return std::strong_ordering::less;
    return a > b ? std::strong_ordering::greater : std::strong_ordering::equal;
}

std::strong_ordering CompareNumbers(const Variant& a, const Variant& b)
{
    if (IsFloating(a.GetKind()) || IsFloating(b.GetKind()))
        return CompareDoubles(a.ToDouble(), b.ToDouble());
    // Only the unsigned 64-bit kind can exceed the signed range.
    const bool aHigh = a.GetKind() == kVariantUInt64;
    const bool bHigh = b.GetKind() == kVariantUInt64;
    if (!aHigh && !bHigh)
        return a.ToInt64() <=> b.ToInt64();
    if (aHigh && bHigh)
        return a.ToUInt64() <=> b.ToUInt64();
    if (aHigh)
    {
        const std::int64_t other = b.ToInt64();
        return other < 0 ? std::strong_ordering::greater : a.ToUInt64() <=> static_cast<std::uint64_t>(other);
    }
    const std::int64_t value = a.ToInt64();
    return value < 0 ? std::strong_ordering::less : static_cast<std::uint64_t>(value) <=> b.ToUInt64();
}

std::strong_ordering CompareBytes(const Variant& a, const Variant& b)
{
    std::uint32_t aSize = 0;
    std::uint32_t bSize = 0;
    const void* aData = a.GetData(aSize);
    const void* bData = b.GetData(bSize);
    if (aSize != bSize)
        return aSize <=> bSize;
    if (aSize == 0 || !aData || !bData)
        return std::strong_ordering::equal;
    // memcmp compares as unsigned bytes.
    return std::memcmp(aData, bData, aSize) <=> 0;
}
} // namespace

bool IsVariantLess(const Variant& a, const Variant& b)
{
    const Group aGroup = GroupOf(a.GetKind());
    const Group bGroup = GroupOf(b.GetKind());
    if (aGroup != bGroup)
        return aGroup < bGroup;
    std::strong_ordering order = std::strong_ordering::equal;
    if (aGroup == Group::Number)
        order = CompareNumbers(a, b);
    else if (aGroup != Group::Empty)
        order = CompareBytes(a, b);
    if (order == std::strong_ordering::equal && aGroup == Group::Reference)
    {
        // References are the same value only at the same address.
        std::uint32_t size = 0;
        const void* aData = a.GetData(size);
        const void* bData = b.GetData(size);
        if (aData != bData)
            return std::less<const void*>()(aData, bData);
    }
    if (order != std::strong_ordering::equal)
        return order == std::strong_ordering::less;
    return a.GetKind() < b.GetKind();
}

} // namespace QK
