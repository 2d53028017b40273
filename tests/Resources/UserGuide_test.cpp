// The user guide: a complete PDF at the build folder's top, beside the editor, where Help >
// Open User Guide looks for it; its pages rendered for a person to read (pictures/
// user-guide-page-N.png); the words of the menus and buttons it explains as the program
// shows them; the same bytes from every run, and an earlier guide kept when a run fails.
#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/Utilities/Graphics/PngDecoder.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using TestSupport::RunChildProcess;
using TestSupport::TempFolder;

const std::string kGuideName = "Vedidu Editor - User Guide - v1.0.pdf";

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A program of poppler-utils by its path on PATH (the child is started without a search).
std::string Tool(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && ::access((folder + "/" + name).c_str(), X_OK) == 0)
            return folder + "/" + name;
    return name;
}

// The generator as the build runs it, writing to out.
TestSupport::ChildProcessResult Generate(const std::string& out, const std::string& picture)
{
    return RunChildProcess(
        {VEDIDU_USER_GUIDE_TOOL, "--source", VEDIDU_USER_GUIDE_SOURCE, "--out", out, "--picture", picture});
}

const std::string kPicture = std::string(VEDIDU_SKIN_FOLDER) + "/controller_2x.png";

// Missing content makes the lint fail: without the file, Help > Open User Guide only shows
// its failure box.
TEST(UserGuideTest, IsACompletePdfBesideTheEditor)
{
    const std::filesystem::path guide = std::filesystem::path(VEDIDU_BUILD_TOP) / kGuideName;
    ASSERT_TRUE(std::filesystem::is_regular_file(guide)) << guide << " is missing";
    const std::string bytes = ReadAll(guide);
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_EQ(bytes.rfind("%PDF-", 0), 0u);
    std::string tail = bytes.substr(bytes.size() - 8);
    while (!tail.empty() && (tail.back() == '\n' || tail.back() == '\r'))
        tail.pop_back();
    EXPECT_TRUE(tail.ends_with("%%EOF")) << tail;
    // Nothing of the clock: no creation date that would change the bytes with each build.
    EXPECT_EQ(bytes.find("/CreationDate"), std::string::npos);
    // Set in Liberation Sans only, regular and bold, never a stand-in face.
    int fonts = 0;
    for (std::size_t at = bytes.find("/FontName /"); at != std::string::npos;
         at = bytes.find("/FontName /", at + 1))
    {
        const std::size_t start = bytes.find('+', at);
        const std::string name = bytes.substr(start + 1, bytes.find_first_of(" \n\r/", start) - start - 1);
        EXPECT_TRUE(name == "LiberationSans" || name == "LiberationSans-Bold") << name;
        ++fonts;
    }
    EXPECT_EQ(fonts, 2);
}

// Every page rendered as a person sees it, each with text on it; and the guide names the
// menu items and buttons exactly as the program labels them.
TEST(UserGuideTest, PagesRenderAndNameTheMenusAndButtonsAsTheProgramDoes)
{
    const std::string guide = std::string(VEDIDU_BUILD_TOP) + "/" + kGuideName;
    const char* named = std::getenv("VEDIDU_PICTURES_DIR");
    const std::filesystem::path folder =
        named ? std::filesystem::path(named) : std::filesystem::path("pictures");
    std::filesystem::create_directories(folder);
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().rfind("user-guide-page-", 0) == 0)
            std::filesystem::remove(entry.path());

    const auto render =
        RunChildProcess({Tool("pdftoppm"), "-r", "72", "-png", guide, (folder / "user-guide-page").string()});
    ASSERT_TRUE(render.started && render.finished) << "pdftoppm (poppler-utils) did not run";
    ASSERT_EQ(render.exitStatus, 0) << render.errorOutput;
    int pages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        if (entry.path().filename().string().rfind("user-guide-page-", 0) != 0)
            continue;
        ++pages;
        const std::string png = ReadAll(entry.path());
        DecodedImage image;
        ASSERT_TRUE(DecodePng(reinterpret_cast<const std::uint8_t*>(png.data()), png.size(), image))
            << entry.path();
        // A4 at 72 dpi, and ink on the page: dark pixels where the text is.
        EXPECT_NEAR(image.width, 595.0, 1.0) << entry.path();
        EXPECT_NEAR(image.height, 842.0, 1.0) << entry.path();
        std::size_t dark = 0;
        for (std::size_t i = 0; i + 3 < image.pixels.size(); i += 4)
            if (image.pixels[i] < 128 && image.pixels[i + 1] < 128 && image.pixels[i + 2] < 128)
                ++dark;
        EXPECT_GT(dark, 2000u) << entry.path() << " is nearly blank";
    }
    EXPECT_GE(pages, 3);

    TempFolder work;
    const auto text = RunChildProcess({Tool("pdftotext"), guide, work / "guide.txt"});
    ASSERT_EQ(text.exitStatus, 0) << text.errorOutput;
    std::string words = work.ReadFile("guide.txt");
    for (char& c : words)
        if (c == '\n')
            c = ' ';

    // The labels of the shipped menus and buttons, read from the string tables.
    RCPtr<LControlFactory> factory(new LControlFactory(WString(u"PresetEditor")));
    ASSERT_EQ(factory->LoadStringTable(WString(u"::FRAMEWORK_STRINGS"), WString(u"::APP_STRINGS"), 0x0409),
              0);
    std::vector<std::string> labels;
    const auto take = [&](const std::string& tableId, auto wanted)
    {
        const RCPtr<LStringTable> table = factory->GetStringTable(WString(tableId.c_str()));
        ASSERT_TRUE(table) << tableId;
        for (const auto& [key, value] : static_cast<const StringMap&>(*table))
        {
            std::string label = NString(value.GetString()).GetString();
            for (char& c : label)
                if (c == '\n')
                    c = ' ';
            if (wanted(std::string(NString(key.GetString()).GetString())))
                labels.push_back(label);
        }
    };
    const auto isLabel = [](const std::string& key) { return key == "LABEL"; };
    // The menu titles and every item of the two menus' own lists ("CONTEXT_MENU0.03...."),
    // separators aside; the submenus' favorites are named as a range.
    take("PresetEditor.MainControl|mainMenu",
         [](const std::string& key)
         {
             const std::size_t dot = key.find('.');
             return key.rfind("MENU_LABEL.", 0) == 0 ||
                    (dot != std::string::npos && key.size() > dot + 3 &&
                     std::isdigit(static_cast<unsigned char>(key[dot + 1])) && !key.ends_with(".-"));
         });
    for (const char* table :
         {"PresetEditor.FavoriteBankPanel|sendToRamButton",
          "PresetEditor.FavoriteBankPanel.FavoritePanel|sendButton",
          "PresetEditor.FavoriteBankPanel.FavoritePanel|recButton",
          "PresetEditor.Keyboard|buttonOpenKeyEditDialog", "PresetEditor|dialogEditKeyCurve",
          "PresetEditor.DialogEditKeyCurve|buttonSend", "PresetEditor.DialogEditKeyCurve|buttonClose",
          "PresetEditor.DialogEditKeyCurve|buttonSetDefaults",
          "PresetEditor.DialogEditKeyCurve|labelBlackKeyBalance",
          "PresetEditor.ParameterControl.ArpOnOff|parameterControl"})
        take(table, isLabel);
    take("Framework", [](const std::string& key) { return key.rfind("EDIT_", 0) == 0; });
    ASSERT_GE(labels.size(), 20u);
    for (const std::string& label : labels)
        EXPECT_NE(words.find(label), std::string::npos) << "the guide never mentions \"" << label << "\"";
}

// The main window's picture beside the source is set inside the guide, after the title page,
// pixel for pixel as it was taken: not only named in the source.
TEST(UserGuideTest, ThePictureOfTheMainWindowIsInsideTheGuide)
{
    const std::string guide = std::string(VEDIDU_BUILD_TOP) + "/" + kGuideName;
    const auto decode = [](const std::filesystem::path& path, DecodedImage& image)
    {
        const std::string png = ReadAll(path);
        return DecodePng(reinterpret_cast<const std::uint8_t*>(png.data()), png.size(), image);
    };
    DecodedImage picture;
    ASSERT_TRUE(decode(std::string(VEDIDU_USER_GUIDE_SOURCE_DIR) + "/UserGuide-main-window.png", picture));

    TempFolder work;
    const auto extract = RunChildProcess({Tool("pdfimages"), "-f", "2", "-png", guide, work / "image"});
    ASSERT_TRUE(extract.started && extract.finished) << "pdfimages (poppler-utils) did not run";
    ASSERT_EQ(extract.exitStatus, 0) << extract.errorOutput;
    int same = 0;
    for (const auto& entry : std::filesystem::directory_iterator(work.Path()))
    {
        DecodedImage image;
        ASSERT_TRUE(decode(entry.path(), image)) << entry.path();
        if (image.width == picture.width && image.height == picture.height && image.pixels == picture.pixels)
            ++same;
    }
    EXPECT_EQ(same, 1) << "the guide's body pages do not hold the main window's picture once";
}

TEST(UserGuideTest, TwoRunsWriteTheSameBytesAsTheBuild)
{
    TempFolder first;
    TempFolder second;
    for (const TempFolder* folder : {&first, &second})
    {
        const auto run = Generate(*folder / kGuideName, kPicture);
        ASSERT_EQ(run.exitStatus, 0) << run.errorOutput;
    }
    const std::string a = first.ReadFile(kGuideName);
    ASSERT_FALSE(a.empty());
    EXPECT_TRUE(a == second.ReadFile(kGuideName)) << "two runs differ";
    EXPECT_TRUE(a == ReadAll(std::filesystem::path(VEDIDU_BUILD_TOP) / kGuideName))
        << "the build's guide differs";
}

// A run that cannot finish says why, exits non-zero and leaves the guide that was there.
TEST(UserGuideTest, AFailedRunKeepsTheEarlierGuide)
{
    TempFolder folder;
    folder.WriteFile("picture.png", "not a picture");
    folder.WriteFile("holed.md", "# Guide\n\n## Chapter\n\n![The window](missing.png)\n");
    const struct
    {
        const char* what;
        std::vector<std::string> arguments;
    } cases[] = {
        {"unreadable picture",
         {VEDIDU_USER_GUIDE_TOOL, "--source", VEDIDU_USER_GUIDE_SOURCE, "--out", folder / kGuideName,
          "--picture", folder / "picture.png"}},
        {"picture in the source that is not there",
         {VEDIDU_USER_GUIDE_TOOL, "--source", folder / "holed.md", "--out", folder / kGuideName}},
        {"missing source",
         {VEDIDU_USER_GUIDE_TOOL, "--source", folder / "none.md", "--out", folder / kGuideName}},
        {"folder that does not exist",
         {VEDIDU_USER_GUIDE_TOOL, "--source", VEDIDU_USER_GUIDE_SOURCE, "--out",
          folder / ("none/" + kGuideName)}},
    };
    for (const auto& c : cases)
    {
        folder.WriteFile(kGuideName, "the earlier guide");
        const auto run = RunChildProcess(c.arguments);
        EXPECT_NE(run.exitStatus, 0) << c.what;
        EXPECT_NE(run.errorOutput.find("vedidu_user_guide: "), std::string::npos)
            << c.what << ": " << run.errorOutput;
        EXPECT_EQ(folder.ReadFile(kGuideName), "the earlier guide") << c.what;
        std::size_t files = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            ++files;
        EXPECT_EQ(files, 3u) << c.what << ": a partial file was left behind";
    }
}

} // namespace
} // namespace QK
