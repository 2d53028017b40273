// Type names in the form that exception texts use: "class QK::LEvent",
// "class QK::LNotificationHandler<class QK::LComboBox>", "int", "class QK::LButton *".
// The compiler's own spelling differs, so it is rewritten here once.
#pragma once

#include <string>
#include <string_view>
#include <typeinfo>

namespace QK
{

// Rewrites a demangled name ("QK::A<QK::B, 1>*") into the text form ("class QK::A<class QK::B,1> *").
std::string TextFormOfTypeName(std::string_view demangled);

// The text form of a run-time type.
std::string TypeNameOf(const std::type_info& type);

template <class T>
std::string TypeName()
{
    return TypeNameOf(typeid(T));
}

} // namespace QK
