#include "QKFramework/ObjectBase/Exception.h"

#include <cstdio>

namespace QK
{

const char* ExceptionBase::What() const
{
    return dynamic_cast<const std::exception&>(*this).what();
}

std::string FormatResultCode(QKRESULT code)
{
    char digits[65];
    std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(code));
    return std::string("QKRESULT = ") + digits;
}

std::string FormatExceptionText(std::string_view prefix, std::string_view detail, std::string_view function,
                                std::string_view source, int line)
{
    std::string text;
    text.reserve(prefix.size() + detail.size() + function.size() + source.size() + 24);
    text.append(prefix);
    if (!detail.empty())
        text.append(detail).append(" : ");
    text.append(function).append(" : ").append(source).append(" : Line ").append(std::to_string(line));
    return text;
}

void ThrowNullPointer(const ThrowSite& site, std::string_view detail)
{
    std::string both("Null Pointer : ");
    both.append(detail);
    Throw<std::runtime_error>(site, both);
}

} // namespace QK
