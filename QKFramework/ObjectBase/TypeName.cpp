#include "QKFramework/ObjectBase/TypeName.h"

#include <cctype>
#include <cstdlib>
#include <cxxabi.h>
#include <memory>

namespace QK
{
namespace
{

bool IsBuiltinWord(std::string_view word)
{
    static constexpr std::string_view builtins[] = {
        "void",     "bool",     "char",    "signed", "unsigned", "short",     "int",      "long",
        "float",    "double",   "wchar_t", "char8_t", "char16_t", "char32_t", "__int128", "const",
        "volatile", "true",     "false",   "decltype", "std::nullptr_t",
    };
    for (std::string_view b : builtins)
        if (word == b)
            return true;
    return false;
}

bool IsNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ':';
}

} // namespace

std::string TextFormOfTypeName(std::string_view name)
{
    static constexpr std::string_view anonymous = "(anonymous namespace)";
    std::string out;
    out.reserve(name.size() + 16);
    std::size_t i = 0;
    while (i < name.size())
    {
        const char c = name[i];
        if (name.substr(i, anonymous.size()) == anonymous)
        {
            if (out.empty() || out.back() != ':')
                out += "class ";
            out += "`anonymous namespace'";
            i += anonymous.size();
        }
        else if (IsNameChar(c))
        {
            std::size_t end = i;
            while (end < name.size() && IsNameChar(name[end]))
                ++end;
            const std::string_view word = name.substr(i, end - i);
            const bool number = std::isdigit(static_cast<unsigned char>(word.front()));
            const bool continuesName = word.front() == ':';
            if (!number && !continuesName && !IsBuiltinWord(word))
                out += "class ";
            out += word;
            i = end;
        }
        else if (c == '*' || c == '&')
        {
            if (!out.empty() && out.back() != ' ' && out.back() != '*' && out.back() != '&')
                out += ' ';
            out += c;
            ++i;
        }
        else if (c == ' ')
        {
            // Blanks survive only between words ("unsigned int"); "A, B" becomes "A,B".
            const bool betweenWords = !out.empty() && IsNameChar(out.back()) && i + 1 < name.size() &&
                                      IsNameChar(name[i + 1]);
            if (betweenWords)
                out += ' ';
            ++i;
        }
        else
        {
            out += c;
            ++i;
        }
    }
    return out;
}

std::string TypeNameOf(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                     std::free);
    if (status != 0 || !demangled)
        return type.name();
    return TextFormOfTypeName(demangled.get());
}

} // namespace QK
