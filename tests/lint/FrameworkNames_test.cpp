// The framework names no product: every name of the editor that users or other programs see
// (its product and company, its main window's class, its environment variables) is handed to
// the framework by the application, from its version block, its class and its own settings.
// No file of QKFramework/ may spell one, not even in a comment.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
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

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool IsFrameworkFile(const std::filesystem::path& path)
{
    const std::string extension = path.extension().string();
    return extension == ".h" || extension == ".cpp" || path.filename() == "CMakeLists.txt";
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
        std::ifstream stream(entry.path(), std::ios::binary);
        std::string line;
        for (int number = 1; std::getline(stream, line); ++number)
        {
            const std::string lower = Lower(line);
            for (const ProductText& product : kProductTexts)
            {
                const bool found = product.ignoreCase ? lower.find(Lower(product.text)) != std::string::npos
                                                      : line.find(product.text) != std::string::npos;
                if (found)
                    findings.push_back(std::filesystem::relative(entry.path(), root).string() + ":" +
                                       std::to_string(number) + ": " + std::string(product.text));
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
