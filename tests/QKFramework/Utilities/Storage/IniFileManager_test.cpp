#include "QKFramework/Utilities/Storage/IniFileManager.h"

#include "QKFramework/Utilities/Storage/Paths.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace QK
{
namespace
{

const WString kKey(u"Dozavod.VediduEditor");
const WString kName(u"Vedidu Editor");

// The settings file that the round trip below must write, byte for byte.
const std::string kGoldenUserSettings =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n"
    "<dict>\n"
    "\t<key>Application</key><string>Vedidu Editor</string>\n"
    "\t<key>Dozavod_VediduEditor</key><dict>\n"
    "\t\t<key>CurrentSkinIndex</key><integer>2</integer>\n"
    "\t\t<key>LastPresetFolder</key><string>/home/me/Presets &amp; Gr\xC3\xBC\xC3\x9F"
    "e</string>\n"
    "\t\t<key>RecentFiles</key><array>\n"
    "\t\t\t<string></string>\n"
    "\t\t\t<string></string>\n"
    "\t\t\t<string></string>\n"
    "\t\t\t<string>/home/me/d.syx</string>\n"
    "\t\t</array>\n"
    "\t</dict>\n"
    "</dict>\n"
    "</plist>\n";

WString Wide(const std::string& text)
{
    return WString(text.c_str());
}

std::string Narrow(const WString& text)
{
    return NString(text.GetString()).GetString();
}

class IniFileManagerTest : public ::testing::Test
{
protected:
    void TearDown() override { manager->CloseAllFiles(); }

    IniFileHandle Open(const std::string& name, QKRESULT expected = QK_OK,
                       const WString& applicationName = kName)
    {
        IniFileHandle handle = 0;
        EXPECT_EQ(manager->OpenFile(Wide(folder / name), kKey, applicationName, handle), expected) << name;
        return handle;
    }

    std::string String(IniFileHandle file, const char16_t* key)
    {
        WString value;
        EXPECT_EQ(manager->GetString(file, key, u"(default)", value), QK_OK) << Narrow(WString(key));
        return Narrow(value);
    }

    std::int32_t Integer(IniFileHandle file, const char16_t* key, std::int32_t defaultValue = -99)
    {
        std::int32_t value = 0;
        EXPECT_EQ(manager->GetInteger(file, key, defaultValue, value), QK_OK) << Narrow(WString(key));
        return value;
    }

    TestSupport::TempFolder folder;
    RCPtr<LIniFileManager> manager = LIniFileManager::Create();
};

TEST_F(IniFileManagerTest, SettingsRoundTripThroughTheGoldenFile)
{
    IniFileHandle file = Open("UserSettings.ini");
    ASSERT_NE(file, 0u);
    EXPECT_EQ(manager->SetInteger(file, u"CurrentSkinIndex", 2), QK_OK);
    EXPECT_EQ(manager->SetString(file, u"LastPresetFolder", u"/home/me/Presets & Gr\u00FC\u00DFe"), QK_OK);
    EXPECT_EQ(manager->SetArrayString(file, u"RecentFiles", 3, u"/home/me/d.syx"), QK_OK);
    EXPECT_EQ(manager->SaveFile(file), QK_OK);
    EXPECT_EQ(folder.ReadFile("UserSettings.ini"), kGoldenUserSettings);
    EXPECT_EQ(manager->CloseFile(file, false), QK_OK);

    file = Open("UserSettings.ini");
    EXPECT_EQ(Integer(file, u"currentskinindex"), 2);
    EXPECT_EQ(String(file, u"LastPresetFolder"), "/home/me/Presets & Gr\xC3\xBC\xC3\x9F"
                                                 "e");
    std::uint32_t count = 0;
    EXPECT_EQ(manager->GetArrayCount(file, u"RecentFiles", count), QK_OK);
    EXPECT_EQ(count, 4u);
    WString recent;
    EXPECT_EQ(manager->GetArrayString(file, u"RecentFiles", 3, recent), QK_OK);
    EXPECT_EQ(Narrow(recent), "/home/me/d.syx");
    EXPECT_EQ(manager->GetArrayString(file, u"RecentFiles", 0, recent), QK_OK);
    EXPECT_TRUE(recent.IsEmpty());
    EXPECT_EQ(manager->CloseFile(file, true), QK_OK);
    EXPECT_EQ(folder.ReadFile("UserSettings.ini"), kGoldenUserSettings) << "nothing changed, nothing written";
}

TEST_F(IniFileManagerTest, ANewDocumentHoldsTheApplicationNameAndIsNotSavedUnchanged)
{
    const IniFileHandle file = Open("AppSettings.ini");
    std::uint32_t count = 0;
    EXPECT_EQ(manager->GetChildCount(file, u"", count), -1)
        << "the application's dictionary comes with the first value";
    EXPECT_EQ(manager->SaveFile(file), QK_OK);
    EXPECT_FALSE(std::filesystem::exists(folder / "AppSettings.ini"));
}

TEST_F(IniFileManagerTest, OpeningAnOpenFileAnswersOneAndTheFirstHandle)
{
    const IniFileHandle first = Open("UserSettings.ini");
    IniFileHandle second = 0;
    EXPECT_EQ(manager->OpenFile(Wide(folder / "UserSettings.ini"), u"Other.Key", u"Other", second),
              IIniFileManager::kResultAlreadyOpen);
    EXPECT_EQ(second, first);
    manager->SetInteger(second, u"Value", 1);
    manager->SaveFile(first);
    EXPECT_NE(folder.ReadFile("UserSettings.ini").find("<key>Dozavod_VediduEditor</key>"), std::string::npos)
        << "the first key prefix stays";
}

TEST_F(IniFileManagerTest, ReadingValuesOfEachType)
{
    folder.WriteFile("AppSettings.ini", "<plist><dict><key>App</key><dict>"
                                        "<key>Text</key><string>7</string>"
                                        "<key>Up</key><real>2.9</real>"
                                        "<key>Down</key><real>-2.9</real>"
                                        "<key>Huge</key><real>1e30</real>"
                                        "<key>On</key><true/>"
                                        "<key>Hex</key><integer>0x20</integer>"
                                        "<key>Blob</key><data>AB</data>"
                                        "<key>Group</key><dict><key>A</key><integer>1</integer>"
                                        "<key>B</key><integer>2</integer></dict>"
                                        "</dict></dict></plist>");
    IniFileHandle file = 0;
    ASSERT_EQ(manager->OpenFile(Wide(folder / "AppSettings.ini"), u"App", kName, file), QK_OK);
    EXPECT_EQ(Integer(file, u"Text"), 0) << "a string is not the default";
    EXPECT_EQ(Integer(file, u"Up"), 2);
    EXPECT_EQ(Integer(file, u"Down"), -2);
    EXPECT_EQ(Integer(file, u"Huge"), INT32_MAX);
    EXPECT_EQ(Integer(file, u"On"), 1);
    EXPECT_EQ(Integer(file, u"Hex"), 32);
    EXPECT_EQ(Integer(file, u"Missing", 17), 17);
    EXPECT_EQ(Integer(file, u"Group"), 0);
    EXPECT_EQ(String(file, u"Blob"), "AB");
    EXPECT_EQ(String(file, u"Hex"), "");
    EXPECT_EQ(String(file, u"Missing"), "(default)");

    std::uint32_t count = 99;
    EXPECT_EQ(manager->GetChildCount(file, u"Group", count), QK_OK);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(manager->GetChildCount(file, u"Text", count), QK_OK);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(manager->GetChildCount(file, u"Missing", count), -1);
    WString key;
    EXPECT_EQ(manager->GetChildKey(file, u"Group", 1, key), QK_OK);
    EXPECT_EQ(Narrow(key), "B");
    EXPECT_EQ(manager->GetChildKey(file, u"Group", 2, key), -1);
    EXPECT_EQ(manager->GetChildKey(file, u"Group", -1, key), -1);
    EXPECT_EQ(manager->GetArrayCount(file, u"Group", count), -1);
    EXPECT_TRUE(manager->KeyExists(file, u"group.a"));
    EXPECT_FALSE(manager->KeyExists(file, u"Group.C"));
}

TEST_F(IniFileManagerTest, ArraysGrowShrinkAndLoseItems)
{
    const IniFileHandle file = Open("UserSettings.ini");
    EXPECT_EQ(manager->SetArrayString(file, u"List", 3, u"d"), QK_OK);
    std::uint32_t count = 0;
    EXPECT_EQ(manager->GetArrayCount(file, u"List", count), QK_OK);
    EXPECT_EQ(count, 4u);
    manager->SetArrayString(file, u"List", 0, u"a");
    manager->SetArrayString(file, u"List", 1, u"b");
    EXPECT_EQ(manager->RemoveArrayItem(file, u"List", 0), QK_OK);
    WString value;
    EXPECT_EQ(manager->GetArrayString(file, u"List", 0, value), QK_OK);
    EXPECT_EQ(Narrow(value), "b");
    EXPECT_EQ(manager->RemoveArrayItem(file, u"List", 3), -1);
    EXPECT_EQ(manager->GetArrayString(file, u"List", 3, value), -1);
    EXPECT_EQ(manager->SetArrayCount(file, u"List", 1), QK_OK);
    EXPECT_EQ(manager->GetArrayCount(file, u"List", count), QK_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(manager->SetArrayCount(file, u"List", -1), -1) << "a negative count is refused";
    EXPECT_EQ(manager->SetArrayString(file, u"List", -1, u"x"), -1);
    EXPECT_EQ(manager->SetArrayString(file, u"List", INT32_MAX, u"x"), -1);
    EXPECT_EQ(manager->GetArrayCount(file, u"List", count), QK_OK);
    EXPECT_EQ(count, 1u);
}

TEST_F(IniFileManagerTest, AnUnknownHandleAnswersMinusThree)
{
    const IniFileHandle open = Open("UserSettings.ini");
    for (const IniFileHandle file : {IniFileHandle{0}, open + 1})
    {
        std::int32_t number = 5;
        WString text;
        std::uint32_t count = 0;
        const std::function<QKRESULT()> calls[] = {
            [&] { return manager->SaveFile(file); },
            [&] { return manager->CloseFile(file, true); },
            [&] { return manager->GetInteger(file, u"A", 1, number); },
            [&] { return manager->SetInteger(file, u"A", 1); },
            [&] { return manager->GetString(file, u"A", u"d", text); },
            [&] { return manager->SetString(file, u"A", u"t"); },
            [&] { return manager->GetChildCount(file, u"A", count); },
            [&] { return manager->GetChildKey(file, u"A", 0, text); },
            [&] { return manager->GetArrayCount(file, u"A", count); },
            [&] { return manager->SetArrayCount(file, u"A", 1); },
            [&] { return manager->GetArrayString(file, u"A", 0, text); },
            [&] { return manager->SetArrayString(file, u"A", 0, u"t"); },
            [&] { return manager->RemoveArrayItem(file, u"A", 0); },
        };
        for (std::size_t i = 0; i < std::size(calls); ++i)
            EXPECT_EQ(calls[i](), IIniFileManager::kResultUnknownFile) << "call " << i;
        EXPECT_FALSE(manager->KeyExists(file, u"A"));
    }
    EXPECT_EQ(manager->Reserved(7), QK_OK);
}

TEST_F(IniFileManagerTest, AnApplicationNameWithMarkupIsKeptAsText)
{
    const IniFileHandle file = Open("UserSettings.ini", QK_OK, u"<Vedidu> & \"Co\"");
    ASSERT_NE(file, 0u);
    manager->SetInteger(file, u"X", 1);
    ASSERT_EQ(manager->CloseFile(file, true), QK_OK);
    XNodeTree root(XNode::LoadFile((folder / "UserSettings.ini").c_str(), nullptr));
    ASSERT_TRUE(root);
    EXPECT_EQ(XNode::FindChild(root.Get(), "Application")->GetText(), "<Vedidu> & \"Co\"");
}

TEST_F(IniFileManagerTest, DamagedFilesOpenAsNewDocuments)
{
    const struct
    {
        const char* name;
        std::string contents;
    } cases[] = {
        {"empty.ini", ""},
        {"truncated.ini", "<?xml version=\"1.0\"?>\n<plist><dict><key>App</key><di"},
        {"ini.ini", "[Settings]\nCurrentSkinIndex=3\n"},
        {"deep.ini", std::string(10000, '<')},
        {"nested.ini",
         []
         {
             std::string text;
             for (int i = 0; i < 100; ++i)
                 text += "<dict><key>k</key>";
             return text;
         }()},
    };
    for (const auto& c : cases)
    {
        folder.WriteFile(c.name, c.contents);
        const IniFileHandle file = Open(c.name);
        EXPECT_NE(file, 0u) << c.name;
        EXPECT_EQ(Integer(file, u"CurrentSkinIndex", 4), 4) << c.name;
        EXPECT_EQ(folder.ReadFile(c.name), c.contents) << "nothing is written until a save";
    }
}

// Files that do not read, and files that read but hold no dictionary, which a new document
// would replace: each is kept under a name of its own, and the person is told once, in the
// notice line alone (the reader's own report goes to the debug log, not to stderr).
TEST_F(IniFileManagerTest, AnUnreadableFileIsMovedAsideBeforeANewOneIsSaved)
{
    std::vector<std::string> notices;
    manager->SetNoticeSink([&](const std::string& line) { notices.push_back(line); });
    const struct
    {
        std::string contents;
        std::string kept;
        const char* logged;
    } cases[] = {
        {"<plist><dict><key>App</key><di", "UserSettings.ini.unreadable", "XML Load Error \""},
        {"\x89PNG garbage", "UserSettings.ini.unreadable.2", "XML Load Error \""},
        {"<plist", "UserSettings.ini.unreadable.3", "XML Load Error \""},
        {"<plist><array><string>Vedidu Editor</string><integer>2</integer></array></plist>",
         "UserSettings.ini.unreadable.4", "holds no dictionary"},
        {"<plist><string>keep me</string></plist>", "UserSettings.ini.unreadable.5", "holds no dictionary"},
        {"<plist><integer>7</integer></plist>", "UserSettings.ini.unreadable.6", "holds no dictionary"},
    };
    const std::size_t count = std::size(cases);
    for (std::size_t i = 0; i < count; ++i)
    {
        SCOPED_TRACE(cases[i].contents);
        notices.clear();
        folder.WriteFile("UserSettings.ini", cases[i].contents);
        TestSupport::DebugCapture log;
        ::testing::internal::CaptureStderr();
        const IniFileHandle file = Open("UserSettings.ini");
        EXPECT_EQ(Integer(file, u"CurrentSkinIndex", 4), 4) << "a new document";
        EXPECT_EQ(manager->SaveFile(file), QK_OK);
        EXPECT_EQ(folder.ReadFile("UserSettings.ini"), cases[i].contents)
            << "unchanged: nothing written, nothing moved";
        EXPECT_TRUE(notices.empty());

        manager->SetInteger(file, u"CurrentSkinIndex", 1);
        ASSERT_EQ(manager->CloseFile(file, true), QK_OK);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
        for (std::size_t j = 0; j <= i; ++j)
            EXPECT_EQ(folder.ReadFile(cases[j].kept), cases[j].contents);
        EXPECT_NE(folder.ReadFile("UserSettings.ini").find("<integer>1</integer>"), std::string::npos);
        const std::string aside = folder / cases[i].kept;
        EXPECT_NE(log.Text().find(aside), std::string::npos) << log.Text();
        EXPECT_NE(log.Text().find(cases[i].logged), std::string::npos) << log.Text();
        ASSERT_EQ(notices.size(), 1u) << "one line for the person";
        EXPECT_EQ(notices[0], "the settings file \"" + (folder / "UserSettings.ini") +
                                  "\" could not be read; it is kept as \"" + aside +
                                  "\" and a new one is written");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}),
                  static_cast<std::ptrdiff_t>(i + 2));
    }

    // A readable file is saved over as ever.
    notices.clear();
    TestSupport::DebugCapture log;
    IniFileHandle file = Open("UserSettings.ini");
    manager->SetInteger(file, u"CurrentSkinIndex", 0);
    ASSERT_EQ(manager->CloseFile(file, true), QK_OK);
    EXPECT_EQ(folder.ReadFile("UserSettings.ini.unreadable.2"), "\x89PNG garbage");
    EXPECT_EQ(log.Text().find("unreadable"), std::string::npos);
    EXPECT_TRUE(notices.empty());
    manager->SetNoticeSink(nullptr);
}

TEST_F(IniFileManagerTest, AnUnreadableFileThatCannotBeMovedAsideIsNotReplaced)
{
    // A name so long that no longer one can be made beside it: the damaged file stays, and so
    // does the failed save.
    const std::string name(250, 's');
    folder.WriteFile(name, "<plist");
    std::vector<std::string> notices;
    manager->SetNoticeSink([&](const std::string& line) { notices.push_back(line); });
    const IniFileHandle file = Open(name);
    manager->SetInteger(file, u"A", 1);
    EXPECT_EQ(manager->SaveFile(file), -1);
    EXPECT_EQ(manager->SaveFile(file), -1);
    EXPECT_EQ(folder.ReadFile(name), "<plist");
    ASSERT_EQ(notices.size(), 1u) << "told once";
    EXPECT_NE(notices[0].find("it is not replaced"), std::string::npos) << notices[0];
    manager->SetNoticeSink(nullptr);
}

TEST_F(IniFileManagerTest, ASettingsFileThatIsALinkIsWrittenThroughIt)
{
    std::filesystem::create_directory(folder / "dotfiles");
    folder.WriteFile("dotfiles/settings.plist", "<plist><dict/></plist>");
    ASSERT_EQ(::symlink("dotfiles/settings.plist", (folder / "UserSettings.ini").c_str()), 0);
    IniFileHandle file = Open("UserSettings.ini");
    manager->SetInteger(file, u"CurrentSkinIndex", 1);
    ASSERT_EQ(manager->CloseFile(file, true), QK_OK);
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "UserSettings.ini"));
    EXPECT_NE(folder.ReadFile("dotfiles/settings.plist").find("<integer>1</integer>"), std::string::npos);

    // A damaged file behind the link is kept beside itself, and the link stays.
    folder.WriteFile("dotfiles/settings.plist", "damaged");
    file = Open("UserSettings.ini");
    manager->SetInteger(file, u"CurrentSkinIndex", 0);
    ASSERT_EQ(manager->CloseFile(file, true), QK_OK);
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "UserSettings.ini"));
    EXPECT_EQ(folder.ReadFile("dotfiles/settings.plist.unreadable"), "damaged");
    EXPECT_NE(folder.ReadFile("dotfiles/settings.plist").find("<integer>0</integer>"), std::string::npos);
}

TEST_F(IniFileManagerTest, AVeryLongStringLoadsWhole)
{
    const std::string text(4 << 20, 'w');
    folder.WriteFile("long.ini", "<plist><dict><key>App</key><dict><key>Long</key><string>" + text +
                                     "&amp;</string></dict></dict></plist>");
    IniFileHandle file = 0;
    ASSERT_EQ(manager->OpenFile(Wide(folder / "long.ini"), u"App", kName, file), QK_OK);
    EXPECT_EQ(String(file, u"Long"), text + "&");
}

// A home folder named in Latin-1: the settings are read and written there, under its bytes.
TEST_F(IniFileManagerTest, SettingsInAFolderWhoseNameIsNotUtf8StayThere)
{
    ASSERT_TRUE(std::filesystem::create_directory(folder / "conf\xE9"));
    const WString path = FromSystemPath(folder / "conf\xE9/UserSettings.ini");
    IniFileHandle file = 0;
    ASSERT_EQ(manager->OpenFile(path, kKey, kName, file), QK_OK);
    EXPECT_EQ(manager->SetInteger(file, u"CurrentSkinIndex", 1), QK_OK);
    EXPECT_EQ(manager->CloseFile(file, true), QK_OK);
    EXPECT_NE(folder.ReadFile("conf\xE9/UserSettings.ini").find("<key>CurrentSkinIndex</key>"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder / "conf"));

    ASSERT_EQ(manager->OpenFile(path, kKey, kName, file), QK_OK);
    EXPECT_EQ(Integer(file, u"CurrentSkinIndex"), 1);
}

TEST_F(IniFileManagerTest, ASaveIntoAFolderThatCannotBeWrittenFails)
{
    folder.WriteFile("plain", "x");
    const IniFileHandle file = Open("plain/UserSettings.ini");
    EXPECT_EQ(manager->SetInteger(file, u"A", 1), QK_OK);
    EXPECT_EQ(manager->SaveFile(file), -1);
    EXPECT_EQ(manager->SaveFile(file), -1) << "still modified";
    EXPECT_EQ(manager->CloseFile(file, true), -1);
    EXPECT_EQ(manager->SaveFile(file), IIniFileManager::kResultUnknownFile) << "closed all the same";
    EXPECT_EQ(folder.ReadFile("plain"), "x");
}

TEST_F(IniFileManagerTest, ASaveThatCannotBeWrittenCompletelyKeepsTheOldFile)
{
    IniFileHandle file = Open("UserSettings.ini");
    manager->SetString(file, u"Text", u"old");
    ASSERT_EQ(manager->CloseFile(file, true), QK_OK);
    const std::string old = folder.ReadFile("UserSettings.ini");

    file = Open("UserSettings.ini");
    manager->SetString(file, u"Text", WString(std::string(4096, 'n').c_str()));
    {
        // A file size limit cuts the write short; it holds even for root.
        signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit limit = saved;
        limit.rlim_cur = 1024;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        EXPECT_EQ(manager->SaveFile(file), -1);
        setrlimit(RLIMIT_FSIZE, &saved);
    }
    EXPECT_EQ(folder.ReadFile("UserSettings.ini"), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1)
        << "no temporary file left";
    EXPECT_EQ(manager->SaveFile(file), QK_OK) << "the changes were kept for the next save";
    EXPECT_NE(folder.ReadFile("UserSettings.ini"), old);
}

TEST_F(IniFileManagerTest, CloseAllFilesSavesEveryChangedFileAndReportsAFailure)
{
    folder.WriteFile("plain", "x");
    const IniFileHandle good = Open("UserSettings.ini");
    const IniFileHandle bad = Open("plain/AppSettings.ini");
    const IniFileHandle unchanged = Open("Unchanged.ini");
    manager->SetInteger(good, u"A", 1);
    manager->SetInteger(bad, u"A", 1);
    EXPECT_EQ(manager->CloseAllFiles(), -1);
    EXPECT_TRUE(std::filesystem::exists(folder / "UserSettings.ini"));
    EXPECT_FALSE(std::filesystem::exists(folder / "Unchanged.ini"));
    for (const IniFileHandle file : {good, bad, unchanged})
        EXPECT_EQ(manager->SaveFile(file), IIniFileManager::kResultUnknownFile);
    EXPECT_EQ(manager->CloseAllFiles(), QK_OK);
}

TEST_F(IniFileManagerTest, SaveAllFilesKeepsThemOpenAndNamesTheOnesThatFailed)
{
    folder.WriteFile("plain", "x");
    const IniFileHandle good = Open("UserSettings.ini");
    const IniFileHandle bad = Open("plain/AppSettings.ini");
    manager->SetInteger(good, u"A", 1);
    manager->SetInteger(bad, u"A", 1);
    std::vector<NString> failed;
    EXPECT_EQ(manager->SaveAllFiles(&failed), -1);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(std::string(failed[0].GetString()), folder / "plain/AppSettings.ini");
    EXPECT_TRUE(std::filesystem::exists(folder / "UserSettings.ini"));
    EXPECT_EQ(Integer(good, u"A"), 1) << "still open";
    std::filesystem::remove(folder / "plain");
    std::filesystem::create_directories(folder / "plain");
    failed.clear();
    EXPECT_EQ(manager->SaveAllFiles(&failed), QK_OK) << "the failed one kept its changes for a later save";
    EXPECT_TRUE(failed.empty());
    EXPECT_TRUE(std::filesystem::exists(folder / "plain/AppSettings.ini"));
    EXPECT_EQ(manager->CloseAllFiles(), QK_OK);
}

} // namespace
} // namespace QK
