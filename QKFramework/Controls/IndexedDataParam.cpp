#include "QKFramework/Controls/IndexedDataParam.h"

#include "QKFramework/Utilities/Storage/CharUtil.h"
#include "QKFramework/Utilities/Storage/StringT.h"

namespace QK
{

WString LIndexedDataParam::ToString() const
{
    char16_t head[64];
    FormatText(head, 64, u"LIndexedDataParam: Index = %d, Data = ", Index);
    WString text(head);
    if (Data)
        text.Append(Data->ToString());
    return text;
}

WString LIndexedDataWithValueParam::ToString() const
{
    char16_t value[400];
    FormatText(value, 400, u" Value = %lf", Value);
    return LIndexedDataParam::ToString() + WString(value);
}

} // namespace QK
