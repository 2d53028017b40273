#include "tests/lint/StringLiterals.h"

#include <cctype>
#include <cstddef>

namespace QK::Lint
{

namespace
{

// A position in the text that counts the lines it passes.
class Reader
{
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    bool AtEnd() const { return m_position >= m_text.size(); }
    char Peek(std::size_t ahead = 0) const
    {
        return m_position + ahead < m_text.size() ? m_text[m_position + ahead] : '\0';
    }
    bool LooksAt(std::string_view what) const { return m_text.substr(m_position, what.size()) == what; }
    char Take()
    {
        const char c = m_text[m_position++];
        if (c == '\n')
            ++m_line;
        return c;
    }
    void Skip(std::size_t count)
    {
        for (std::size_t i = 0; i < count && !AtEnd(); ++i)
            Take();
    }
    int Line() const { return m_line; }

private:
    std::string_view m_text;
    std::size_t m_position = 0;
    int m_line = 1;
};

bool IsIdentifierCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// A quoted literal after its opening quote, up to its closing quote or the line's end.
std::string TakeQuoted(Reader& reader, char quote)
{
    std::string text;
    while (!reader.AtEnd() && reader.Peek() != quote && reader.Peek() != '\n')
    {
        if (reader.Peek() == '\\' && reader.Peek(1) != '\0')
            text += reader.Take();
        text += reader.Take();
    }
    if (reader.Peek() == quote)
        reader.Take();
    return text;
}

// A raw string after its opening quote: R"tag( ... )tag".
std::string TakeRaw(Reader& reader)
{
    std::string tag;
    while (!reader.AtEnd() && reader.Peek() != '(' && reader.Peek() != '\n' && tag.size() < 16)
        tag += reader.Take();
    if (reader.Peek() != '(')
        return {};
    reader.Take();
    const std::string end = ")" + tag + "\"";
    std::string text;
    while (!reader.AtEnd() && !reader.LooksAt(end))
        text += reader.Take();
    reader.Skip(end.size());
    return text;
}

bool IsStringPrefix(std::string_view word)
{
    return word.empty() || word == "u8" || word == "u" || word == "U" || word == "L";
}

} // namespace

std::vector<StringLiteral> FindCppStringLiterals(std::string_view source)
{
    std::vector<StringLiteral> literals;
    Reader reader(source);
    while (!reader.AtEnd())
    {
        const char c = reader.Peek();
        if (c == '/' && reader.Peek(1) == '/')
        {
            while (!reader.AtEnd() && reader.Peek() != '\n')
            {
                if (reader.Peek() == '\\' && reader.Peek(1) == '\n')
                    reader.Take();
                reader.Take();
            }
        }
        else if (c == '/' && reader.Peek(1) == '*')
        {
            reader.Skip(2);
            while (!reader.AtEnd() && !reader.LooksAt("*/"))
                reader.Take();
            reader.Skip(2);
        }
        else if (std::isdigit(static_cast<unsigned char>(c)) ||
                 (c == '.' && std::isdigit(static_cast<unsigned char>(reader.Peek(1)))))
        {
            // A number, with its digit separators and exponent signs.
            char previous = reader.Take();
            while (IsIdentifierCharacter(reader.Peek()) || reader.Peek() == '.' ||
                   (reader.Peek() == '\'' && IsIdentifierCharacter(reader.Peek(1))) ||
                   ((reader.Peek() == '+' || reader.Peek() == '-') &&
                    (previous == 'e' || previous == 'E' || previous == 'p' || previous == 'P')))
                previous = reader.Take();
        }
        else if (IsIdentifierCharacter(c) || c == '"' || c == '\'')
        {
            // A word, which may be the prefix of the literal right after it.
            std::string word;
            while (IsIdentifierCharacter(reader.Peek()))
                word += reader.Take();
            const bool raw = !word.empty() && word.back() == 'R' &&
                             IsStringPrefix(std::string_view(word).substr(0, word.size() - 1));
            const int line = reader.Line();
            if (reader.Peek() == '"' && (raw || IsStringPrefix(word)))
            {
                reader.Take();
                literals.push_back({line, raw ? TakeRaw(reader) : TakeQuoted(reader, '"')});
            }
            else if (reader.Peek() == '\'' && IsStringPrefix(word))
            {
                reader.Take();
                TakeQuoted(reader, '\'');
            }
        }
        else
            reader.Take();
    }
    return literals;
}

std::vector<StringLiteral> FindCMakeStringLiterals(std::string_view source)
{
    std::vector<StringLiteral> literals;
    Reader reader(source);
    // "[" and as many "=" as the bracket's level, then "["; the closing text, or empty.
    const auto bracketEnd = [&reader](std::size_t from) -> std::string
    {
        if (reader.Peek(from) != '[')
            return {};
        std::size_t level = 0;
        while (reader.Peek(from + 1 + level) == '=')
            ++level;
        if (reader.Peek(from + 1 + level) != '[')
            return {};
        return "]" + std::string(level, '=') + "]";
    };
    const auto takeBracket = [&reader](std::size_t openLength, const std::string& end)
    {
        reader.Skip(openLength);
        std::string text;
        while (!reader.AtEnd() && !reader.LooksAt(end))
            text += reader.Take();
        reader.Skip(end.size());
        return text;
    };
    while (!reader.AtEnd())
    {
        const char c = reader.Peek();
        if (c == '#')
        {
            const std::string end = bracketEnd(1);
            if (!end.empty())
                takeBracket(end.size() + 1, end);
            else
                while (!reader.AtEnd() && reader.Peek() != '\n')
                    reader.Take();
        }
        else if (c == '"')
        {
            const int line = reader.Line();
            reader.Take();
            std::string text;
            while (!reader.AtEnd() && reader.Peek() != '"')
            {
                if (reader.Peek() == '\\' && reader.Peek(1) != '\0')
                    text += reader.Take();
                text += reader.Take();
            }
            reader.Skip(1);
            literals.push_back({line, text});
        }
        else if (const std::string end = bracketEnd(0); !end.empty())
        {
            const int line = reader.Line();
            literals.push_back({line, takeBracket(end.size(), end)});
        }
        else
            reader.Take();
    }
    return literals;
}

} // namespace QK::Lint
