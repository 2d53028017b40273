#include "tests/lint/IncludeLayers.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace QK::Lint
{
namespace
{

std::string ReadWhole(const std::filesystem::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

// A case's description as a test name: "an upward include" is "AnUpwardInclude".
std::string CaseName(const char* what)
{
    std::string name;
    bool upper = true;
    for (const char* c = what; *c; ++c)
    {
        if (*c == '\'')
            continue;
        if (std::isalnum(static_cast<unsigned char>(*c)))
        {
            name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(*c))) : *c;
            upper = false;
        }
        else
            upper = true;
    }
    return name;
}

std::string Listed(const std::vector<std::string>& findings)
{
    std::string text;
    for (const std::string& finding : findings)
        text += "  " + finding + "\n";
    return text;
}

// The product itself, against the table of its own architecture document.
TEST(ProductIncludes, PointDownTheLayerTableOfTheArchitectureDocument)
{
    const std::filesystem::path root = VEDIDU_SOURCE_DIR;
    std::string error;
    const std::optional<LayerTable> table = ReadLayerTable(ReadWhole(root / "docs/ARCHITECTURE.md"), error);
    ASSERT_TRUE(table) << "docs/ARCHITECTURE.md: " << error;

    const std::vector<std::string> findings = FindUpwardIncludes(root, *table);
    EXPECT_TRUE(findings.empty()) << "Includes against the layer table of docs/ARCHITECTURE.md:\n"
                                  << Listed(findings);
    const std::vector<std::string> links = FindLinkMismatches(root, *table);
    EXPECT_TRUE(links.empty()) << "Layer libraries against the layer table of docs/ARCHITECTURE.md:\n"
                               << Listed(links);
}

// A small product: an app on a ui on a base, a side library beside the ui, and a program
// file on the app.
constexpr const char* kFixtureDocument = R"(# Fixture

Prose before the table, with `backticks` that are not a table.

| Library | Uses | Folders |
|---|---|---|
| `program` | `app` | `Main/Program.cpp` |
| `app` | `ui` | `Main/App/` |
| `ui` | `base` | `Ui/` (the panels) |
| `side` | `base` | `Base/Side/` |
| `base` | | `Base/`, `Gen/Inc/` |

Prose after it.
)";

class IncludeCheckerTest : public ::testing::Test
{
protected:
    void Write(const std::string& name, const std::string& text) const
    {
        std::filesystem::create_directories(std::filesystem::path(folder / name).parent_path());
        folder.WriteFile(name, text);
    }

    void SetUp() override
    {
        std::string error;
        const std::optional<LayerTable> read = ReadLayerTable(kFixtureDocument, error);
        ASSERT_TRUE(read) << error;
        table = *read;
        Write("Main/Program.cpp", "#include \"Main/App/App.h\"\n#include <cstdio>\n");
        Write("Main/App/App.h", "#pragma once\n#include \"Ui/Panel.h\"\n#include \"Base/Core.h\"\n");
        Write("Ui/Panel.h", "#pragma once\n#include \"Base/Core.h\"\n#include <vector>\n");
        Write("Ui/Panel.cpp", "#include \"Ui/Panel.h\"\n  #  include \"Gen/Inc/Model.h\"\n");
        Write("Base/Core.h", "#pragma once\n// #include \"Ui/Panel.h\" is said, not done\n");
        Write("Base/Side/Side.cpp", "#include \"Base/Side/Side.h\"\n#include \"Base/Core.h\"\n");
        Write("Base/Side/Side.h", "#pragma once\n");
        Write("Gen/Inc/Model.h", "#pragma once\n");
        // Files outside the table's top folders are not the product's.
        Write("tests/Panel_test.cpp", "#include \"Main/App/App.h\"\n");
    }

    TestSupport::TempFolder folder;
    LayerTable table;
};

TEST_F(IncludeCheckerTest, ACleanTreePasses)
{
    ASSERT_EQ(table.layers.size(), 5u);
    EXPECT_EQ(table.layers[2].name, "ui");
    EXPECT_EQ(table.layers[4].folders, (std::vector<std::string>{"Base/", "Gen/Inc/"}));
    EXPECT_TRUE(FindUpwardIncludes(folder.Path(), table).empty())
        << Listed(FindUpwardIncludes(folder.Path(), table));
}

// Each case adds one file to the clean tree; the finding names the file and line and the reason.
struct BadInclude
{
    const char* what;
    const char* file;
    const char* text;
    const char* finding;
};

class IncludeCheckerFindsTest : public IncludeCheckerTest, public ::testing::WithParamInterface<BadInclude>
{
};

TEST_P(IncludeCheckerFindsTest, OneFindingNamingTheFileAndLine)
{
    Write(GetParam().file, GetParam().text);
    const std::vector<std::string> findings = FindUpwardIncludes(folder.Path(), table);
    ASSERT_EQ(findings.size(), 1u) << Listed(findings);
    EXPECT_EQ(findings.front().rfind(GetParam().finding, 0), 0u) << findings.front();
}

INSTANTIATE_TEST_SUITE_P(
    Includes, IncludeCheckerFindsTest,
    ::testing::Values(
        BadInclude{"an upward include", "Ui/Menu.cpp", "#include \"Ui/Panel.h\"\n#include \"Main/App/App.h\"\n",
                   "Ui/Menu.cpp:2: includes Main/App/App.h of app, which ui does not use"},
        BadInclude{"a sibling's header", "Ui/Side.cpp", "#include \"Base/Side/Side.h\"\n",
                   "Ui/Side.cpp:1: includes Base/Side/Side.h of side, which ui does not use"},
        BadInclude{"the base reaching up to a file of its own top folder", "Base/Up.h",
                   "#pragma once\n\n#include \"Base/Side/Side.h\"\n",
                   "Base/Up.h:3: includes Base/Side/Side.h of side, which base does not use"},
        BadInclude{"the program's file from below", "Main/App/Start.cpp", "#include \"Main/Program.cpp\"\n",
                   "Main/App/Start.cpp:1: includes Main/Program.cpp of program, which app does not use"},
        BadInclude{"a product header in angle brackets", "Base/Angle.h", "#include <Ui/Panel.h>\n",
                   "Base/Angle.h:1: includes Ui/Panel.h of ui, which base does not use"},
        BadInclude{"a test's header", "Ui/Probe.cpp", "#include \"tests/support/Probe.h\"\n",
                   "Ui/Probe.cpp:1: includes tests/support/Probe.h, which belongs to no library"},
        BadInclude{"a file in no library", "Main/Loose.cpp", "#include \"Base/Core.h\"\n",
                   "Main/Loose.cpp: belongs to no library"}),
    [](const ::testing::TestParamInfo<BadInclude>& info) { return CaseName(info.param.what); });

// The build's layer libraries against the same table: the fixture's CMake files, one case
// at a time in the app's call.
struct LinkCase
{
    const char* what;
    const char* appCall;
    const char* finding; // empty: the build agrees
};

class LinkCheckerTest : public IncludeCheckerTest, public ::testing::WithParamInterface<LinkCase>
{
};

TEST_P(LinkCheckerTest, ComparesEachLayerLibrarysLinksWithItsRow)
{
    Write("CMakeLists.txt", "# vedidu_add_layer_library(app DEPS side) in a comment is no call\n"
                            "add_subdirectory(Base)\n" +
                                std::string(GetParam().appCall) +
                                "\nvedidu_add_layer_library(ui\n    DIRS Ui\n    DEPS base Threads::Threads)\n");
    Write("Base/CMakeLists.txt", "vedidu_add_layer_library(base DIRS Base Gen/Inc DEPS EXPAT::EXPAT)\n"
                                 "vedidu_add_layer_library(side DIRS Base/Side DEPS base)\n");
    const std::vector<std::string> findings = FindLinkMismatches(folder.Path(), table);
    if (*GetParam().finding == '\0')
        EXPECT_TRUE(findings.empty()) << Listed(findings);
    else
        EXPECT_EQ(findings, std::vector<std::string>{GetParam().finding});
}

INSTANTIATE_TEST_SUITE_P(
    Links, LinkCheckerTest,
    ::testing::Values(
        LinkCase{"the table's uses", "vedidu_add_layer_library(app DIRS Main/App DEPS ui PRIVATE_DEPS SDL2)", ""},
        LinkCase{"a private link to a library the row does not use",
                 "vedidu_add_layer_library(app DIRS Main/App DEPS ui PRIVATE_DEPS side)",
                 "CMakeLists.txt: app links side, ui of the table's libraries, and its row uses ui"},
        LinkCase{"a use the build lacks", "vedidu_add_layer_library(app DIRS Main/App DEPS Other::Thing)",
                 "CMakeLists.txt: app links none of the table's libraries, and its row uses ui"},
        LinkCase{"a library the table lacks", "vedidu_add_layer_library(extra DIRS Extra)",
                 "CMakeLists.txt: the library extra has no row in the layer table"}),
    [](const ::testing::TestParamInfo<LinkCase>& info) { return CaseName(info.param.what); });

// A table the check could not trust is refused with its reason, never read as "all clear".
struct BadTable
{
    const char* what;
    const char* document;
    const char* error;
};

class LayerTableRefusesTest : public ::testing::TestWithParam<BadTable>
{
};

TEST_P(LayerTableRefusesTest, WithTheReason)
{
    std::string error;
    EXPECT_FALSE(ReadLayerTable(GetParam().document, error));
    EXPECT_EQ(error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, LayerTableRefusesTest,
    ::testing::Values(
        BadTable{"no table", "# No table\n\n| Library | Folders |\n|---|---|\n| `a` | `A/` |\n",
                 "no table with the header \"| Library | Uses | Folders |\""},
        BadTable{"no rows", "| Library | Uses | Folders |\n|---|---|---|\n\nText.\n", "the layer table has no rows"},
        BadTable{"an unknown library used", "| Library | Uses | Folders |\n|---|---|---|\n| `a` | `b` | `A/` |\n",
                 "a uses b, which the table does not list"},
        BadTable{"a circle", "| Library | Uses | Folders |\n|---|---|---|\n| `a` | `b` | `A/` |\n| `b` | `c` | `B/` |\n"
                 "| `c` | `a` | `C/` |\n",
                 "the uses of a go round in a circle"},
        BadTable{"a library twice", "| Library | Uses | Folders |\n|---|---|---|\n| `a` | | `A/` |\n| `a` | | `B/` |\n",
                 "the library a has two rows"},
        BadTable{"folders not in backticks", "| Library | Uses | Folders |\n|---|---|---|\n| `a` | | the folder A |\n",
                 "the row \"| `a` | | the folder A |\" needs one library and its folders, in backticks"}),
    [](const ::testing::TestParamInfo<BadTable>& info) { return CaseName(info.param.what); });

} // namespace
} // namespace QK::Lint
