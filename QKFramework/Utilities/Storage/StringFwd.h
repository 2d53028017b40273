// Forward declarations of the framework string, for headers that only name it.
#pragma once

namespace QK
{

template <class C, class OtherC> class StringT;

// The framework's text: UTF-16 in char16_t. Used for every name, path and message.
using WString = StringT<char16_t, char>;
// UTF-8 twin, for file contents, settings and C-library calls.
using NString = StringT<char, char16_t>;

} // namespace QK
