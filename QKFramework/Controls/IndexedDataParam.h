// The arguments of notifications about one row of a list: LIndexedDataParam (the row and an
// object the sender attaches) and LIndexedDataWithValueParam (the same with a value, for the
// check notifications the check box's value, 1.0 checked and 0.0 not). Handed out shared;
// a receiver may read them on the thread that delivers the notification.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"

#include <cstdint>

namespace QK
{

class LIndexedDataParam : public virtual LRefCountedObject
{
public:
    LIndexedDataParam(const ConstRCPtr<LRefCountedObject>& data, std::int32_t index) : Data(data), Index(index) {}

    // "LIndexedDataParam: Index = <index>, Data = " and the data's own text.
    WString ToString() const override;

    ConstRCPtr<LRefCountedObject> Data;
    std::int32_t Index;
};

class LIndexedDataWithValueParam : public LIndexedDataParam
{
public:
    LIndexedDataWithValueParam(const ConstRCPtr<LRefCountedObject>& data, std::int32_t index, double value)
        : LIndexedDataParam(data, index), Value(value)
    {
    }

    static RCPtr<LIndexedDataWithValueParam> Create(const ConstRCPtr<LRefCountedObject>& data, std::int32_t index,
                                                    double value)
    {
        return RCPtr<LIndexedDataWithValueParam>(new LIndexedDataWithValueParam(data, index, value));
    }

    // The text of LIndexedDataParam, then " Value = " and the value as "%lf".
    WString ToString() const override;

    double Value;
};

} // namespace QK
