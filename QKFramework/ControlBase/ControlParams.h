// The argument objects that every control sends with its state notifications.
//
// LConditionsParam: the condition set of a control before and after a change, with the
// pointer position of its last press. Each control owns one and changes it in place, so
// every condition notification of a control carries the same object.
// LValueParam: a control's value as a fraction 0..1 and mapped into its range, sent with
// "NID_VALUE_CHANGE".
//
// Both come from per-class recycling pools; UI thread only.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Utilities/Storage/ReuseAllocator.h"

#include <cstdint>

namespace QK
{

class LConditionsParam : public ReusePooled<LConditionsParam, 4, false>, public virtual LRefCountedObject
{
public:
    LConditionsParam(std::uint32_t oldConditions = 0, std::uint32_t newConditions = 0, double x = 0.0, double y = 0.0)
        : OldConditions(oldConditions), NewConditions(newConditions), X(x), Y(y)
    {
    }

    static RCPtr<LConditionsParam> Create(std::uint32_t oldConditions, std::uint32_t newConditions, double x, double y)
    {
        return RCPtr<LConditionsParam>(new LConditionsParam(oldConditions, newConditions, x, y));
    }

    // Bits that differ between the old and the new set.
    std::uint32_t GetChanged() const noexcept { return OldConditions ^ NewConditions; }

    // "(%g, %g)" of the point.
    WString ToString() const override;

    std::uint32_t OldConditions;
    std::uint32_t NewConditions;
    double X;
    double Y;
};

class LValueParam : public ReusePooled<LValueParam, 4, false>, public virtual LRefCountedObject
{
public:
    LValueParam(double value = 0.0, double rangedValue = 0.0) : Value(value), RangedValue(rangedValue) {}

    static RCPtr<LValueParam> Create(double value, double rangedValue)
    {
        return RCPtr<LValueParam>(new LValueParam(value, rangedValue));
    }

    // "ValueParam = %lf" of the fraction.
    WString ToString() const override;

    double Value;
    double RangedValue;
};

} // namespace QK
