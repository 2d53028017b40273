// The string literals of a source text, for the lints that look at what a program says rather
// than at what its comments say.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace QK::Lint
{

struct StringLiteral
{
    // The line the literal begins on, from 1.
    int line = 0;
    // What stands between its quotes (or a raw string's parentheses), escapes as written.
    std::string text;
};

// C++: "..." with or without an encoding prefix (u8, u, U, L) and raw strings R"tag(...)tag"
// with the same prefixes. Comments (// to the line's end, a backslash continuing it, and
// /* */), character literals ('"' among them) and the digit separators of numbers (1'000)
// are passed over. A string or character literal that a line end cuts short ends there.
std::vector<StringLiteral> FindCppStringLiterals(std::string_view source);

// CMake: quoted arguments "..." (a backslash escapes the next character, line ends are part
// of them) and bracket arguments [[...]], [=[...]=]. Comments (# to the line's end, and the
// bracket comments #[[...]]) are passed over.
std::vector<StringLiteral> FindCMakeStringLiterals(std::string_view source);

} // namespace QK::Lint
