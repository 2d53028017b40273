#include "QKFramework/ControlBase/ControlParams.h"

#include "QKFramework/Utilities/Storage/StringT.h"

namespace QK
{

WString LConditionsParam::ToString() const
{
    return WString::Format(u"(%g, %g)", X, Y);
}

WString LValueParam::ToString() const
{
    return WString::Format(u"ValueParam = %lf", Value);
}

} // namespace QK
