#include "QKFramework/Utilities/Storage/Paths.h"

#include "QKFramework/Utilities/Storage/QKFile.h"
#include "QKFramework/Utilities/Storage/StringArray.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace QK
{
namespace
{

namespace fs = std::filesystem;

WString Wide(const std::string& text)
{
    return WString(text.c_str());
}

std::string Narrow(const WString& text)
{
    return NString(text.GetString()).GetString();
}

std::vector<std::string> Entries(const StringArray& list)
{
    std::vector<std::string> entries;
    for (std::uint32_t i = 0; i < list.GetCount(); ++i)
        entries.push_back(Narrow(*list.GetAt(i)));
    return entries;
}

using TestSupport::ScopedEnvironment;

class PathsTest : public ::testing::Test
{
protected:
    TestSupport::TempFolder folder;
};

TEST(PathsTextTest, SystemPathsUseSlashesAndDropTheDrive)
{
    const struct
    {
        const char16_t* path;
        const char* system;
    } cases[] = {
        {u"C:\\Users\\me\\file.txt", "/Users/me/file.txt"},
        {u"c:\\", "/"},
        {u"D:", "/"},
        {u"C:/x", "/x"},
        {u"folder\\sub/name", "folder/sub/name"},
        {u"/usr/share", "/usr/share"},
        {u"C:name", "C:name"},
        {u"gr\u00FC\u00DFe", "gr\xC3\xBC\xC3\x9F"
                             "e"},
        {u"", ""},
        // Bytes of a name that is not UTF-8 come back as themselves.
        {u"/home/f\xDCE9/caf\xDCE9.vedidu", "/home/f\xE9/caf\xE9.vedidu"},
        {u"C:\\presets\\\xDCFF\xDCFE", "/presets/\xFF\xFE"},
        // A path with no bytes names nothing, never a cut or another file.
        {u"/home/caf\xD800.vedidu", ""},
        {u"/home/caf\xDCC3\xDCA9", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToSystemPath(WString(c.path)), c.system) << Narrow(WString(c.path));
}

TEST(PathsTextTest, NamesThatAreNotUtf8AreShownWithReplacementCharacters)
{
    const WString path = FromSystemPath("/home/f\xE9/caf\xE9.vedidu");
    EXPECT_TRUE(path.IsEqual(u"/home/f\xDCE9/caf\xDCE9.vedidu"));
    EXPECT_TRUE(HoldsNameBytes(path));
    EXPECT_TRUE(ToDisplayPath(path).IsEqual(u"/home/f\uFFFD/caf\uFFFD.vedidu"));
    EXPECT_FALSE(HoldsNameBytes(ToDisplayPath(path)));

    const WString text = FromSystemPath("/home/gr\xC3\xBC\xC3\x9F" "e");
    EXPECT_TRUE(text.IsEqual(u"/home/gr\u00FC\u00DFe"));
    EXPECT_FALSE(HoldsNameBytes(text));
    EXPECT_TRUE(ToDisplayPath(text).IsEqual(text));

    // A character above U+FFFF whose second half looks like an escape is text all the same,
    // also right after an escaped byte.
    const WString wide = FromSystemPath("/home/\xF0\x90\x82\x81/\x81\xF0\x90\x82\x81");
    EXPECT_TRUE(wide.IsEqual(u"/home/\xD800\xDC81/\xDC81\xD800\xDC81"));
    EXPECT_TRUE(HoldsNameBytes(wide));
    EXPECT_TRUE(ToDisplayPath(wide).IsEqual(u"/home/\xD800\xDC81/\uFFFD\xD800\xDC81"));
    EXPECT_FALSE(HoldsNameBytes(FromSystemPath("/home/\xF0\x90\x82\x81")));
}

TEST(PathsTextTest, FolderAndFileNameSplitAtTheLastSeparator)
{
    const struct
    {
        const char16_t* path;
        const char16_t* folder;
        const char16_t* name;
    } cases[] = {
        {u"/home/me/preset.syx", u"/home/me", u"preset.syx"},
        {u"C:\\Data\\preset.syx", u"C:\\Data", u"preset.syx"},
        {u"C:\\Data/sub/preset.syx", u"C:\\Data/sub", u"preset.syx"},
        {u"/home/me/", u"/home/me", u"/home/me/"},
        {u"preset.syx", u"preset.syx", u"preset.syx"},
        {u"", u"", u""},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(Narrow(GetFolderFromPath(WString(c.path))), Narrow(WString(c.folder)))
            << Narrow(WString(c.path));
        EXPECT_EQ(Narrow(GetFileNameFromPath(WString(c.path))), Narrow(WString(c.name)))
            << Narrow(WString(c.path));
    }
}

TEST(PathsTextTest, SanitizeFileNameReplacesTheFifteenCharactersOnly)
{
    EXPECT_EQ(Narrow(SanitizeFileName(WString(u"a\\b/c:d*e?f\"g<h>i|j&k;l,m^n(o)p"))),
              "a_b_c_d_e_f_g_h_i_j_k_l_m_n_o_p");
    const WString untouched(u"Dozavod Professional \u00C9dition-1.0 [x] {y} #~'!%");
    EXPECT_TRUE(SanitizeFileName(untouched).IsEqual(untouched));
}

TEST_F(PathsTest, FilesAndFoldersAreToldApart)
{
    folder.WriteFile("file.txt", "x");
    fs::create_directory(folder / "sub");
    const struct
    {
        std::string path;
        bool file;
        bool isFolder;
    } cases[] = {
        {folder / "file.txt", true, false},
        {folder / "sub", false, true},
        {folder / "sub/", false, true},
        {folder.Path() + "\\sub\\", false, true},
        {folder / "missing", false, false},
        {folder / "file.txt/", false, false},
        {"C:\\", false, true},
        {"", false, false},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(FileExists(Wide(c.path)), c.file) << c.path;
        EXPECT_EQ(FolderExists(Wide(c.path)), c.isFolder) << c.path;
    }
}

TEST_F(PathsTest, CreateFolderIfMissingMakesTheWholeChain)
{
    const std::string deep = folder / "a/b/c";
    EXPECT_EQ(CreateFolderIfMissing(Wide(deep)), QK_OK);
    EXPECT_TRUE(fs::is_directory(deep));
    EXPECT_EQ(CreateFolderIfMissing(Wide(deep)), QK_FALSE) << "already there";

    folder.WriteFile("plain", "x");
    EXPECT_EQ(CreateFolderIfMissing(Wide(folder / "plain")), QK_E_FAIL) << "a file is in the way";
    EXPECT_EQ(CreateFolderIfMissing(Wide(folder / "plain/below")), QK_E_FAIL) << "a file is in the chain";
}

TEST_F(PathsTest, CreateFolderChainForAFileLeavesTheFileAlone)
{
    EXPECT_TRUE(CreateFolderChain(Wide(folder / "x/y/settings.ini"), true));
    EXPECT_TRUE(fs::is_directory(folder / "x/y"));
    EXPECT_FALSE(fs::exists(folder / "x/y/settings.ini"));
    EXPECT_TRUE(CreateFolderChain(u"settings.ini", true)) << "no folder part";
    folder.WriteFile("plain", "x");
    EXPECT_FALSE(CreateFolderChain(Wide(folder / "plain/z/file"), true));
}

TEST_F(PathsTest, GetLongPathResolvesOrKeepsTheInput)
{
    fs::create_directories(folder / "real/inner");
    fs::create_directory_symlink(folder / "real", folder / "link");
    const std::string resolvedFolder = fs::canonical(folder.Path()).string();
    EXPECT_EQ(Narrow(GetLongPath(Wide(folder / "link/../real/./inner"))), resolvedFolder + "/real/inner");
    EXPECT_EQ(Narrow(GetLongPath(Wide(folder / "link/inner"))), resolvedFolder + "/real/inner");
    const WString missing = Wide(folder / "missing\\file.txt");
    EXPECT_TRUE(GetLongPath(missing).IsEqual(missing));
    EXPECT_TRUE(GetLongPath(WString()).IsEmpty());
}

TEST_F(PathsTest, ListFilesInFolderListsMatchingFilesSorted)
{
    for (const char* name : {"b.TXT", "a.txt", "c.dat", "README", ".hidden.txt",
                             "gr\xC3\xBC\xC3\x9F"
                             "e.txt"})
        folder.WriteFile(name, "x");
    fs::create_directory(folder / "folder.txt");
    fs::create_directory_symlink(folder / "folder.txt", folder / "linked.txt");
    fs::create_symlink(folder / "a.txt", folder / "alias.txt");

    StringArray list;
    EXPECT_EQ(ListFilesInFolder(Wide(folder.Path()), u"*.txt", list), 5);
    const std::string p = folder.Path() + "/";
    EXPECT_EQ(Entries(list),
              (std::vector<std::string>{p + ".hidden.txt", p + "a.txt", p + "alias.txt", p + "b.TXT",
                                        p + "gr\xC3\xBC\xC3\x9F"
                                            "e.txt"}));

    EXPECT_EQ(ListFilesInFolder(Wide(folder.Path() + "/"), u"*.*", list), 7) << "every file, dotted or not";
    EXPECT_EQ(Entries(list).front(), p + ".hidden.txt");

    EXPECT_EQ(ListFilesInFolder(Wide(folder.Path()), u"?.dat", list), 1);
    EXPECT_EQ(ListFilesInFolder(Wide(folder.Path()), u"*.ttf", list), 0);
    EXPECT_EQ(list.GetCount(), 0u);
}

TEST_F(PathsTest, ListFilesInFolderOfAMissingOrEmptyFolder)
{
    StringArray list;
    list.Add(u"stale");
    EXPECT_EQ(ListFilesInFolder(Wide(folder / "missing"), u"*", list), QK_E_NOTIMPL);
    EXPECT_EQ(list.GetCount(), 0u);
    fs::create_directory(folder / "empty");
    EXPECT_EQ(ListFilesInFolder(Wide(folder / "empty"), u"*", list), 0);
}

// Names that are not UTF-8, as another program leaves them: a Latin-1 file beside the cut
// name "caf", a name of the bytes FF FE, and a Latin-1 folder. Each is found, read, written,
// listed and made under its own bytes, and nothing lands under another name.
TEST_F(PathsTest, NamesThatAreNotUtf8AreUsedByteForByte)
{
    const std::string latin1 = folder / "caf\xE9.vedidu";
    const std::string ffFe = folder / "\xFF\xFE";
    const std::string inFolder = folder / "f\xE9/x.vedidu";
    fs::create_directory(folder / "f\xE9");
    folder.WriteFile("caf\xE9.vedidu", "latin-1");
    folder.WriteFile("caf", "unrelated");
    folder.WriteFile("\xFF\xFE", "ff fe");
    folder.WriteFile("f\xE9/x.vedidu", "in dir");

    for (const std::string& name : {latin1, ffFe, inFolder})
    {
        SCOPED_TRACE(name);
        const WString path = FromSystemPath(name);
        EXPECT_EQ(ToSystemPath(path), name);
        EXPECT_TRUE(FileExists(path));
        File file(path, WString(), File::kModeRead | File::kModeWrite);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_EQ(file.Write("written", 7, 0), 7u);
    }
    EXPECT_EQ(folder.ReadFile("caf\xE9.vedidu"), "written");
    EXPECT_EQ(folder.ReadFile("\xFF\xFE"), "written");
    EXPECT_EQ(folder.ReadFile("f\xE9/x.vedidu"), "written");
    EXPECT_EQ(folder.ReadFile("caf"), "unrelated");
    EXPECT_FALSE(fs::exists(folder / "f")) << "nothing in the cut folder's place";

    const WString latin1Folder = FromSystemPath(folder / "f\xE9");
    EXPECT_TRUE(FolderExists(latin1Folder));
    EXPECT_EQ(CreateFolderIfMissing(latin1Folder + WString(u"/sub")), QK_OK);
    EXPECT_TRUE(fs::is_directory(folder / "f\xE9/sub"));
    EXPECT_TRUE(GetLongPath(latin1Folder).IsEqual(FromSystemPath(fs::canonical(folder / "f\xE9").string())));

    // Every name is listed, and every listed path leads to its file.
    StringArray list;
    EXPECT_EQ(ListFilesInFolder(Wide(folder.Path()), u"*", list), 3);
    const std::vector<std::string> expected{folder / "caf", latin1, ffFe};
    ASSERT_EQ(list.GetCount(), expected.size());
    for (std::uint32_t i = 0; i < list.GetCount(); ++i)
    {
        EXPECT_EQ(ToSystemPath(*list.GetAt(i)), expected[i]);
        EXPECT_TRUE(FileExists(*list.GetAt(i)));
    }
}

TEST_F(PathsTest, APathWithNoBytesReachesNoFile)
{
    folder.WriteFile("caf", "unrelated");
    for (const char16_t* name : {u"caf\xD800", u"caf\xDC41", u"caf\xDCC3\xDCA9"})
    {
        const WString path = Wide(folder.Path() + "/") + WString(name);
        EXPECT_FALSE(HasSystemPath(path));
        EXPECT_FALSE(FileExists(path));
        EXPECT_EQ(CreateFolderIfMissing(path + WString(u"/sub")), QK_E_FAIL);
        File file(path, WString(), File::kModeWrite | File::kModeCreate);
        EXPECT_FALSE(file.IsOpen());
    }
    EXPECT_EQ(folder.ReadFile("caf"), "unrelated");
    std::vector<std::string> entries;
    for (const auto& entry : fs::directory_iterator(folder.Path()))
        entries.push_back(entry.path().filename().string());
    EXPECT_EQ(entries, std::vector<std::string>{"caf"});
}

TEST_F(PathsTest, SpecialFoldersFollowTheXdgVariablesAndAreCreated)
{
    ScopedEnvironment home("HOME", folder.Path().c_str());
    ScopedEnvironment data("XDG_DATA_HOME", (folder / "data").c_str());
    ScopedEnvironment config("XDG_CONFIG_HOME", "relative/is/ignored");

    EXPECT_EQ(Narrow(GetSpecialFolder(SpecialFolder::CommonAppData)), folder / "data");
    EXPECT_TRUE(fs::is_directory(folder / "data"));
    EXPECT_EQ(Narrow(GetSpecialFolder(SpecialFolder::LocalAppData)), folder / ".config");
    EXPECT_TRUE(fs::is_directory(folder / ".config"));

    const std::string executable = fs::read_symlink("/proc/self/exe").parent_path().string();
    EXPECT_EQ(Narrow(GetSpecialFolder(SpecialFolder::Executable)), executable);

    // A home whose name is not UTF-8: the folder is made there, not where its name was cut.
    ScopedEnvironment latin1("XDG_CONFIG_HOME", (folder / "conf\xE9").c_str());
    EXPECT_EQ(ToSystemPath(GetSpecialFolder(SpecialFolder::LocalAppData)), folder / "conf\xE9");
    EXPECT_TRUE(fs::is_directory(folder / "conf\xE9"));
    EXPECT_FALSE(fs::exists(folder / "conf"));
}

// The documents folder the desktop names, exactly as named, when it exists; else the home
// folder. None is ever made, and a home whose name holds a run of spaces is not mistaken for
// the folder with one space.
TEST_F(PathsTest, TheDocumentsFolderIsTheNamedOneThatExistsElseHomeAndNoneIsMade)
{
    const std::string home = folder / "A  B";
    const std::string squeezed = folder / "A B";
    fs::create_directories(home + "/config");
    ScopedEnvironment homeVariable("HOME", home.c_str());
    ScopedEnvironment config("XDG_CONFIG_HOME", (home + "/config").c_str());
    ScopedEnvironment noValue("XDG_DOCUMENTS_DIR", nullptr);
    const auto documents = [] { return Narrow(GetSpecialFolder(SpecialFolder::Documents)); };

    EXPECT_EQ(documents(), home) << "no user directories set";
    EXPECT_FALSE(fs::exists(squeezed));
    fs::create_directory(squeezed);
    EXPECT_EQ(documents(), home) << "not the folder with one space, though it exists";

    folder.WriteFile("A  B/config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/My  Documents\"\n");
    fs::create_directory(squeezed + "/My Documents");
    EXPECT_EQ(documents(), home) << "named but missing";
    EXPECT_FALSE(fs::exists(home + "/My  Documents")) << "and not made";
    EXPECT_EQ(Narrow(LocateSpecialFolder(SpecialFolder::Documents)), home);
    fs::create_directory(home + "/My  Documents");
    EXPECT_EQ(documents(), home + "/My  Documents");

    // A value in the environment is expanded by xdg-user-dir; its answer counts only for a
    // folder that exists.
    fs::remove(home + "/config/user-dirs.dirs");
    const std::string elsewhere = folder / "elsewhere";
    ScopedEnvironment value("XDG_DOCUMENTS_DIR", elsewhere.c_str());
    EXPECT_EQ(documents(), home);
    EXPECT_FALSE(fs::exists(elsewhere));
    fs::create_directory(elsewhere);
    EXPECT_EQ(documents(), elsewhere);
    ScopedEnvironment path("PATH", (folder / "no-programs").c_str());
    EXPECT_EQ(documents(), home) << "without xdg-user-dir";

    // A home folder that is not there is not made either: there is no documents folder.
    const std::string gone = folder / "gone";
    ScopedEnvironment goneHome("HOME", gone.c_str());
    EXPECT_EQ(documents(), "");
    EXPECT_FALSE(fs::exists(gone));
}

} // namespace
} // namespace QK
