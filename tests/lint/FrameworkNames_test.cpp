// The framework names no product: every name of the editor that users or other programs see
// (its product and company, its main window's class, its environment variables, its folders)
// is handed to the framework by the application, from its version block, its class and its
// own settings. No file of QKFramework/ may spell one, not even in a comment; and no string
// literal of it holds the product's or the company's name in any case, alone or inside
// another word ("vedidu-runtime", "VEDIDU", "*.dozavod").
#include "tests/lint/StringLiterals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace QK::Lint
{
namespace
{

struct ProductText
{
    std::string_view text;
    bool ignoreCase;
};

// The company alone, in any case, since a folder or key may spell it with another product.
// "VEDIDU_" is the prefix of the editor's variables; in lower case it is the build's own
// prefix (vedidu_add_resources), which sources may mention.
constexpr ProductText kProductTexts[] = {
    {"Vedidu Editor", true},
    {"Dozavod", true},
    {"VediduPresetEditor", true},
    {"VEDIDU_", false},
};

// What no string literal of the framework may hold, ignoring case: the product's and the
// company's names.
constexpr std::string_view kLiteralNames[] = {"vedidu", "dozavod"};

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool IsCMakeFile(const std::filesystem::path& path)
{
    return path.filename() == "CMakeLists.txt" || path.extension() == ".cmake";
}

bool IsFrameworkFile(const std::filesystem::path& path)
{
    const std::string extension = path.extension().string();
    return extension == ".h" || extension == ".cpp" || IsCMakeFile(path);
}

// One finding per literal of the text that holds one of kLiteralNames.
std::vector<std::string> FindNamesInLiterals(const std::string& where, std::string_view text, bool cmake)
{
    std::vector<std::string> findings;
    for (const StringLiteral& literal : cmake ? FindCMakeStringLiterals(text) : FindCppStringLiterals(text))
    {
        const std::string lower = Lower(literal.text);
        for (const std::string_view name : kLiteralNames)
            if (lower.find(name) != std::string::npos)
                findings.push_back(where + ":" + std::to_string(literal.line) + ": \"" + literal.text + "\"");
    }
    return findings;
}

// The literal scanner on small texts: the lines of its findings. A name in a comment is no
// finding; a quote inside a character literal, a comment or a number's digit separator must
// not hide the literal after it.
TEST(FrameworkNames, NamesInLiteralsAreFoundAndCommentsAreNot)
{
    const struct
    {
        const char* what;
        const char* text;
        bool cmake;
        std::vector<int> lines;
    } cases[] = {
        {"every case and prefix", "a = u\"vedidu-runtime\";\nb = \"VEDIDU\"; c = u8\"x\";\nd = L\"Dozavod\";", false,
         {1, 2, 3}},
        {"inside a longer word", "f(\"*.vedidu\", \"prefixVediduSuffix\");", false, {1, 1}},
        {"comments", "// \"vedidu\"\n/* \"Vedidu\"\n\"dozavod\" */ x = \"ok\";", false, {}},
        {"a quote as a character", "c = '\"'; // vedidu \"x\"\nd = u'\\''; e = \"vedidu\";", false, {2}},
        {"digit separators", "n = 1'000; s = \"Vedidu\"; c = 'a';", false, {1}},
        {"escaped quotes", "s = \"say \\\"hi\\\" // vedidu\";", false, {1}},
        {"raw strings", "s = R\"x(\n)\" vedidu\n)x\";\nt = uR\"(Dozavod)\";", false, {1, 4}},
        {"a cut-off literal", "s = \"open\n t = \"vedidu\";", false, {2}},
        {"CMake", "vedidu_add_layer_library(qk_core)\n# \"vedidu\"\nset(A \"a\\\"vedidu\")\n"
                  "#[[ \"Vedidu\" ]]\nset(B [=[\nDozavod]=])", true, {3, 5}},
    };
    for (const auto& c : cases)
    {
        std::vector<int> lines;
        for (const std::string& finding : FindNamesInLiterals("f", c.text, c.cmake))
            lines.push_back(std::stoi(finding.substr(2)));
        EXPECT_EQ(lines, c.lines) << c.what;
    }
}

TEST(FrameworkNames, NoFileOfTheFrameworkSpellsANameOfTheProduct)
{
    const std::filesystem::path root = VEDIDU_SOURCE_DIR;
    std::vector<std::string> findings;
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root / "QKFramework"))
    {
        if (!entry.is_regular_file() || !IsFrameworkFile(entry.path()))
            continue;
        ++files;
        const std::string where = std::filesystem::relative(entry.path(), root).string();
        std::ifstream stream(entry.path(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        for (std::string& finding : FindNamesInLiterals(where, text, IsCMakeFile(entry.path())))
            findings.push_back(std::move(finding));
        std::istringstream lines(text);
        std::string line;
        for (int number = 1; std::getline(lines, line); ++number)
        {
            const std::string lower = Lower(line);
            for (const ProductText& product : kProductTexts)
            {
                const bool found = product.ignoreCase ? lower.find(Lower(product.text)) != std::string::npos
                                                      : line.find(product.text) != std::string::npos;
                if (found)
                    findings.push_back(where + ":" + std::to_string(number) + ": " + std::string(product.text));
            }
        }
    }
    EXPECT_GT(files, 100u) << "the framework's sources were not found under " << root;
    std::string listed;
    for (const std::string& finding : findings)
        listed += "  " + finding + "\n";
    EXPECT_TRUE(findings.empty()) << "the framework spells names of the product; the application hands them in:\n"
                                  << listed;
}

} // namespace
} // namespace QK::Lint
