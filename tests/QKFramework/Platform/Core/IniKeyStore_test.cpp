// The key-store file format, the files that serve each root, and where they are found.
#include "QKFramework/Platform/Core/IniKeyStore.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedKeyStoreNames.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace QK
{
namespace
{

using Bytes = std::vector<std::uint8_t>;

std::string Utf8(const WString& text)
{
    return NString(text.GetString()).GetString();
}

// The value's type and bytes, or nothing when the key or the value is missing.
std::optional<std::pair<std::uint32_t, Bytes>> ValueIn(const std::string& text, const char16_t* path,
                                                       const char16_t* name,
                                                       RegistryRoot root = RegistryRoot::LocalMachine)
{
    const std::unique_ptr<IRegistryKeyHandle> key = IniKeyStore::OpenKeyInText(text, root, WString(path));
    std::uint32_t type = 0;
    Bytes data;
    if (!key || !key->QueryValue(WString(name), type, data))
        return std::nullopt;
    return std::make_pair(type, data);
}

std::vector<std::string> SubKeysIn(const std::string& text, const char16_t* path)
{
    const std::unique_ptr<IRegistryKeyHandle> key =
        IniKeyStore::OpenKeyInText(text, RegistryRoot::LocalMachine, WString(path));
    std::vector<std::string> names;
    std::uint32_t count = 0;
    if (!key || !key->QuerySubKeyCount(count))
        return names;
    for (std::uint32_t i = 0; i < count; ++i)
    {
        WString name;
        EXPECT_TRUE(key->EnumSubKey(i, name));
        names.push_back(Utf8(name));
    }
    WString past;
    EXPECT_FALSE(key->EnumSubKey(count, past));
    return names;
}

Bytes Utf16Z(const std::u16string& text)
{
    Bytes bytes;
    for (char16_t c : text)
    {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

struct ValueCase
{
    const char* line;
    std::uint32_t type;
    Bytes data;
};

TEST(IniKeyStoreTest, ValueTypes)
{
    const ValueCase cases[] = {
        {"\"V\"=string:/opt/quenmar/audio", kRegistryString, Utf16Z(u"/opt/quenmar/audio")},
        {"\"V\"=string:  kept as it stands  ", kRegistryString, Utf16Z(u"  kept as it stands  ")},
        {"\"V\"=string:", kRegistryString, Utf16Z(u"")},
        {"\"V\"=string:Quenm\xC3\xA4r \xF0\x9F\x8E\xB9", kRegistryString, Utf16Z(u"Quenm\u00E4r \U0001F3B9")},
        {"\"V\"=string:a=b:c;d", kRegistryString, Utf16Z(u"a=b:c;d")},
        {"\"V\"=expand:%HOME%/x", kRegistryExpandString, Utf16Z(u"%HOME%/x")},
        {"\"V\"=dword:0000002a", kRegistryDWord, {0x2A, 0, 0, 0}},
        {"\"V\"=DWORD:FfFfFfFf", kRegistryDWord, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"\"V\"=dword:7", kRegistryDWord, {7, 0, 0, 0}},
        {"\"V\"=qword:0102030405060708", kRegistryQWord, {8, 7, 6, 5, 4, 3, 2, 1}},
        {"\"V\"=hex:01,02,ff", kRegistryBinary, {1, 2, 0xFF}},
        {"\"V\" = hex: 0a , 0B ", kRegistryBinary, {0x0A, 0x0B}},
        {"\"V\"=hex:", kRegistryBinary, {}},
        {"\"V\"=hex(1):41,00,42,00", kRegistryString, {0x41, 0, 0x42, 0}},
        {"\"V\"=hex(b):01,00,00,00,00,00,00,00", kRegistryQWord, {1, 0, 0, 0, 0, 0, 0, 0}},
        {"  \"V\"=dword:1", kRegistryDWord, {1, 0, 0, 0}},
    };
    for (const ValueCase& c : cases)
    {
        SCOPED_TRACE(c.line);
        const std::string text = std::string("[HKLM\\Key]\n") + c.line + "\n";
        const auto value = ValueIn(text, u"Key", u"V");
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->first, c.type);
        EXPECT_EQ(value->second, c.data);
    }
}

TEST(IniKeyStoreTest, LinesThatDoNotParseAreSkipped)
{
    const char* const badLines[] = {
        "garbage",
        "V=string:x",
        "\"V\"string:x",
        "\"V=string:x",
        "\"V\"=string",
        "\"V\"=text:x",
        "\"V\"=dword:",
        "\"V\"=dword:123456789",
        "\"V\"=dword:12g4",
        "\"V\"=dword:-1",
        "\"V\"=qword:00000000000000001",
        "\"V\"=hex:1,2",
        "\"V\"=hex:01,,02",
        "\"V\"=hex:01,02,",
        "\"V\"=hex:0102",
        "\"V\"=hex(zz):01",
        "\"V\"=hex(:01",
        "\"V\"=string:bad \xC3\x28 utf-8",
        "\"\xFF\"=string:x",
    };
    for (const char* line : badLines)
    {
        SCOPED_TRACE(line);
        // The good values around the bad line are still read.
        const std::string text = std::string("[HKLM\\Key]\n\"Before\"=dword:1\n") + line + "\n\"After\"=dword:2\n";
        EXPECT_FALSE(ValueIn(text, u"Key", u"V").has_value());
        EXPECT_TRUE(ValueIn(text, u"Key", u"Before").has_value());
        EXPECT_TRUE(ValueIn(text, u"Key", u"After").has_value());
    }
}

TEST(IniKeyStoreTest, ASectionThatDoesNotParseHidesItsValues)
{
    using namespace std::string_view_literals;
    const std::string_view badSections[] = {
        "[HKLM\\Key"sv,
        "[HKEY_NOWHERE\\Key]"sv,
        "[HKLM\\\\Key]"sv,
        "[HKLM\\Key\\]"sv,
        "[HKLM\\]"sv,
        "[\\Key]"sv,
        "[]"sv,
        "[HKLM\\K\xC3]"sv,
        // A key listed under a name that cuts at its NUL, and then does not open.
        "[HKLM\\Key\\Su\0b]"sv,
    };
    for (const std::string_view header : badSections)
    {
        SCOPED_TRACE(std::string(header));
        const std::string text =
            std::string("[HKLM\\Key]\n\"Good\"=dword:1\n") + std::string(header) + "\n\"Bad\"=dword:2\n";
        EXPECT_TRUE(ValueIn(text, u"Key", u"Good").has_value());
        EXPECT_FALSE(ValueIn(text, u"Key", u"Bad").has_value());
        EXPECT_EQ(SubKeysIn(text, u"Key"), std::vector<std::string>{});
    }
    EXPECT_FALSE(ValueIn("\"Orphan\"=dword:1\n[HKLM\\Key]\n", u"Key", u"Orphan").has_value());
}

TEST(IniKeyStoreTest, NamesMatchIgnoringCaseAndKeepTheirSpelling)
{
    const std::string text = "\xEF\xBB\xBF; a comment\r\n"
                             "# another\r\n"
                             "[hkey_local_machine\\Software\\Quenmar\\Audio\\Drivers]\r\n"
                             "\"SoftwarePath\"=string:/opt/first\r\n"
                             "@=string:default\r\n"
                             "[HKLM\\SOFTWARE\\quenmar\\audio\\drivers\\Vedidu]\r\n"
                             "[HKLM\\Software\\Quenmar\\Audio\\Drivers\\alpha]\r\n"
                             "[HKLM\\Software\\Quenmar\\Audio\\Drivers]\r\n"
                             "\"softwarepath\"=string:/opt/second\r\n";
    const auto path = ValueIn(text, u"SOFTWARE\\QUENMAR\\audio\\Drivers", u"SOFTWAREPATH");
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(path->second, Utf16Z(u"/opt/second")) << "the later line wins";
    const auto byDefault = ValueIn(text, u"Software\\Quenmar\\Audio\\Drivers", u"");
    ASSERT_TRUE(byDefault.has_value());
    EXPECT_EQ(byDefault->second, Utf16Z(u"default"));

    // Parents exist; sub-keys are listed once, in their first spelling, in name order.
    EXPECT_EQ(SubKeysIn(text, u""), std::vector<std::string>{"Software"});
    EXPECT_EQ(SubKeysIn(text, u"software\\quenmar\\AUDIO"), std::vector<std::string>{"Drivers"});
    EXPECT_EQ(SubKeysIn(text, u"Software\\Quenmar\\Audio\\Drivers"), (std::vector<std::string>{"alpha", "Vedidu"}));
    EXPECT_EQ(SubKeysIn(text, u"Software\\Quenmar\\Audio\\Drivers\\Vedidu"), std::vector<std::string>{});

    for (const char16_t* missing : {u"Software\\Nowhere", u"Software\\\\Quenmar", u"\\Software", u"Software\\"})
        EXPECT_EQ(IniKeyStore::OpenKeyInText(text, RegistryRoot::LocalMachine, WString(missing)), nullptr);
}

TEST(IniKeyStoreTest, AFileServesOnlyTheRootItIsReadFor)
{
    const std::string text = "[HKCU\\Key]\n\"User\"=dword:1\n[HKLM\\Key]\n\"Machine\"=dword:2\n";
    EXPECT_TRUE(ValueIn(text, u"Key", u"User", RegistryRoot::CurrentUser).has_value());
    EXPECT_FALSE(ValueIn(text, u"Key", u"Machine", RegistryRoot::CurrentUser).has_value());
    EXPECT_TRUE(ValueIn(text, u"Key", u"Machine", RegistryRoot::LocalMachine).has_value());
    EXPECT_FALSE(ValueIn(text, u"Key", u"User", RegistryRoot::LocalMachine).has_value());
    EXPECT_EQ(IniKeyStore::OpenKeyInText(text, RegistryRoot::Invalid, WString(u"")), nullptr);
    EXPECT_NE(IniKeyStore::OpenKeyInText("", RegistryRoot::Users, WString(u"")), nullptr) << "a root always exists";
}

TEST(IniKeyStoreTest, RandomTextNeverBreaksTheParser)
{
    const std::string alphabet = "[]\\\"@=:;#,()\r\n \t0123456789abcdefxHKLMhex dword qword string expand\xC3\xA4\xFF";
    std::mt19937 random(7u);
    for (int round = 0; round < 2000; ++round)
    {
        std::string text = "[HKLM\\K]\n";
        const std::size_t length = random() % 200;
        for (std::size_t i = 0; i < length; ++i)
            text.push_back(alphabet[random() % alphabet.size()]);
        const std::unique_ptr<IRegistryKeyHandle> key =
            IniKeyStore::OpenKeyInText(text, RegistryRoot::LocalMachine, WString(u"K"));
        ASSERT_NE(key, nullptr);
        std::uint32_t count = 0;
        EXPECT_TRUE(key->QuerySubKeyCount(count));
    }
}

// Files far larger than any installer writes, shaped to make a reader that keeps every key
// it passes (each prefix of a deep path, each sibling searched by name, each value searched
// by name) take hours: read in one pass, they open in a moment.
TEST(IniKeyStoreTest, DeepWideAndLongSectionsReadInOnePass)
{
    constexpr std::size_t kCount = 100000;
    std::string deep = "[HKLM";
    for (std::size_t i = 0; i < 2 * kCount; ++i)
        deep += i == kCount ? "\\Middle" : "\\k";
    deep += "]\n\"Bottom\"=dword:2a\n";
    const std::u16string half = [&]
    {
        std::u16string path = u"k";
        for (std::size_t i = 1; i < kCount; ++i)
            path += u"\\k";
        return path;
    }();
    EXPECT_EQ(SubKeysIn(deep, half.c_str()), std::vector<std::string>{"Middle"});
    std::u16string bottom = half + u"\\MIDDLE";
    for (std::size_t i = kCount + 1; i < 2 * kCount; ++i)
        bottom += u"\\k";
    const auto value = ValueIn(deep, bottom.c_str(), u"bottom");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->second, (Bytes{0x2a, 0, 0, 0}));
    EXPECT_EQ(SubKeysIn(deep, bottom.c_str()), std::vector<std::string>{});
    EXPECT_EQ(IniKeyStore::OpenKeyInText(deep, RegistryRoot::LocalMachine, WString((bottom + u"\\k").c_str())),
              nullptr);

    // A key with many sub-keys, each named in a section of its own and again in upper case.
    std::string wide;
    for (std::size_t i = 0; i < kCount; ++i)
        wide += "[HKLM\\Wide\\Sub" + std::to_string(i) + "]\n[HKLM\\WIDE\\SUB" + std::to_string(i) + "\\x]\n";
    const std::unique_ptr<IRegistryKeyHandle> key =
        IniKeyStore::OpenKeyInText(wide, RegistryRoot::LocalMachine, WString(u"wide"));
    ASSERT_NE(key, nullptr);
    std::uint32_t count = 0;
    ASSERT_TRUE(key->QuerySubKeyCount(count));
    EXPECT_EQ(count, kCount);
    WString first;
    ASSERT_TRUE(key->EnumSubKey(0, first));
    EXPECT_EQ(Utf8(first), "Sub0") << "the first spelling";

    // A key with many values, each set twice: the later line wins.
    std::string values = "[HKLM\\Values]\n";
    for (std::size_t i = 0; i < kCount; ++i)
        values += "\"V" + std::to_string(i) + "\"=dword:1\n";
    for (std::size_t i = 0; i < kCount; ++i)
        values += "\"v" + std::to_string(i) + "\"=dword:2\n";
    const auto last = ValueIn(values, u"Values", u"V99999");
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->second, (Bytes{2, 0, 0, 0}));
}

// --- Files ------------------------------------------------------------------------------------

class TempFolder
{
public:
    TempFolder()
    {
        char pattern[] = "/tmp/vedidu-keystore-XXXXXX";
        const char* made = mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        m_path = made ? made : "";
    }
    ~TempFolder() { std::filesystem::remove_all(m_path); }

    std::string Write(const std::string& relative, const std::string& text) const
    {
        const std::filesystem::path file = std::filesystem::path(m_path) / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

TEST(IniKeyStoreTest, LaterFilesWinAndUnreadableFilesAreSkipped)
{
    TempFolder folder;
    const std::string low = folder.Write("low.ini", "[HKLM\\Key]\n\"Shared\"=dword:1\n\"LowOnly\"=dword:1\n");
    const std::string high = folder.Write("high.ini", "[HKLM\\Key]\n\"Shared\"=dword:2\n[HKLM\\Key\\Sub]\n");
    const IniKeyStore store([&](RegistryRoot) {
        return std::vector<std::string>{folder.Path() + "/missing.ini", "/dev/zero", folder.Path(), low, high};
    });
    const std::unique_ptr<IRegistryKeyHandle> key = store.OpenKey(RegistryRoot::LocalMachine, WString(u"key"), false);
    ASSERT_NE(key, nullptr);
    std::uint32_t type = 0;
    Bytes data;
    ASSERT_TRUE(key->QueryValue(WString(u"Shared"), type, data));
    EXPECT_EQ(data, (Bytes{2, 0, 0, 0}));
    EXPECT_TRUE(key->QueryValue(WString(u"LowOnly"), type, data));
    std::uint32_t count = 0;
    EXPECT_TRUE(key->QuerySubKeyCount(count));
    EXPECT_EQ(count, 1u);

    // A file is parsed once, and again when it changed: an edit shows at the next open, also
    // one that keeps the file's size, and so does a file put in another's place.
    folder.Write("high.ini", "[HKLM\\Key]\n\"Shared\"=dword:3\n");
    ASSERT_TRUE(store.OpenKey(RegistryRoot::LocalMachine, WString(u"Key"), true)->QueryValue(WString(u"Shared"), type, data));
    EXPECT_EQ(data, (Bytes{3, 0, 0, 0}));
    const auto edited = std::filesystem::last_write_time(high);
    folder.Write("high.ini", "[HKLM\\Key]\n\"Shared\"=dword:4\n");
    std::filesystem::last_write_time(high, edited + std::chrono::seconds(1));
    ASSERT_TRUE(store.OpenKey(RegistryRoot::LocalMachine, WString(u"Key"), true)->QueryValue(WString(u"Shared"), type, data));
    EXPECT_EQ(data, (Bytes{4, 0, 0, 0}));
    const std::string replacement = folder.Write("new.ini", "[HKLM\\Key]\n\"Shared\"=dword:5\n");
    std::filesystem::last_write_time(replacement, edited + std::chrono::seconds(1));
    std::filesystem::rename(replacement, high);
    ASSERT_TRUE(store.OpenKey(RegistryRoot::LocalMachine, WString(u"Key"), true)->QueryValue(WString(u"Shared"), type, data));
    EXPECT_EQ(data, (Bytes{5, 0, 0, 0}));
    std::filesystem::remove(high);
    ASSERT_TRUE(store.OpenKey(RegistryRoot::LocalMachine, WString(u"Key"), true)->QueryValue(WString(u"Shared"), type, data));
    EXPECT_EQ(data, (Bytes{1, 0, 0, 0}));
}

// Every key of a text with many sections opens from one parse: the file store's way, and the
// way the key-store fuzz target walks its input.
TEST(IniKeyStoreTest, AParsedTextOpensEveryKey)
{
    constexpr int kSections = 5000;
    std::string text;
    for (int i = 0; i < kSections; ++i)
        text += "[HKCU\\Software\\S" + std::to_string(i) + "]\n\"V\"=dword:" + std::to_string(i % 10) + "\n";
    const IniKeyStore::ParsedText parsed(text);
    const std::unique_ptr<IRegistryKeyHandle> software = parsed.OpenKey(RegistryRoot::CurrentUser, WString(u"software"));
    ASSERT_NE(software, nullptr);
    std::uint32_t count = 0;
    ASSERT_TRUE(software->QuerySubKeyCount(count));
    EXPECT_EQ(count, static_cast<std::uint32_t>(kSections));
    for (int i = 0; i < kSections; ++i)
    {
        const std::string path = "Software\\s" + std::to_string(i);
        const std::unique_ptr<IRegistryKeyHandle> key =
            parsed.OpenKey(RegistryRoot::CurrentUser, WString(path.c_str()));
        ASSERT_NE(key, nullptr) << path;
        std::uint32_t type = 0;
        Bytes data;
        ASSERT_TRUE(key->QueryValue(WString(u"v"), type, data));
        EXPECT_EQ(data[0], i % 10);
    }
    EXPECT_EQ(parsed.OpenKey(RegistryRoot::LocalMachine, WString(u"Software")), nullptr);
}

using TestSupport::ScopedEnvironment;
using TestSupport::ScopedKeyStoreNames;

// The names a test application hands the key store.
const KeyStoreNames kTestNames{"QK Test Works", "QK_TEST_REGISTRY_DIR"};

struct LocationCase
{
    const char* name;
    const char* registryDir;
    const char* configHome;
    const char* configDirs;
    const char* home;
    RegistryRoot root;
    std::vector<std::string> files;
};

TEST(XdgKeyStoreFilesTest, FilesByRootAndEnvironment)
{
    const ScopedKeyStoreNames names(kTestNames);
    const std::string company = "/QK Test Works/registry.ini";
    const LocationCase cases[] = {
        {"test folder for machine", "/t/reg", "/c", "/d", "/h", RegistryRoot::LocalMachine, {"/t/reg/registry.ini"}},
        {"test folder for user", "/t/reg", "/c", "/d", "/h", RegistryRoot::CurrentUser, {"/t/reg/registry.ini"}},
        {"user config home", nullptr, "/c", "/d", "/h", RegistryRoot::CurrentUser, {"/c" + company}},
        {"user default", nullptr, nullptr, "/d", "/h", RegistryRoot::CurrentUser, {"/h/.config" + company}},
        {"user relative config home", "", "rel", "/d", "/h", RegistryRoot::CurrentUser, {"/h/.config" + company}},
        {"user without home", nullptr, nullptr, "/d", nullptr, RegistryRoot::CurrentUser, {}},
        {"machine default", nullptr, "/c", nullptr, "/h", RegistryRoot::LocalMachine, {"/etc/xdg" + company}},
        {"machine empty dirs", nullptr, "/c", "", "/h", RegistryRoot::LocalMachine, {"/etc/xdg" + company}},
        {"machine dirs, first most important",
         nullptr, "/c", "/first:relative::/second", "/h", RegistryRoot::LocalMachine,
         {"/second" + company, "/first" + company}},
        {"classes root reads the machine files", nullptr, "/c", "/d", "/h", RegistryRoot::ClassesRoot, {"/d" + company}},
    };
    for (const LocationCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        const ScopedEnvironment registryDir("QK_TEST_REGISTRY_DIR", c.registryDir);
        const ScopedEnvironment configHome("XDG_CONFIG_HOME", c.configHome);
        const ScopedEnvironment configDirs("XDG_CONFIG_DIRS", c.configDirs);
        const ScopedEnvironment home("HOME", c.home);
        EXPECT_EQ(XdgKeyStoreFiles(c.root), c.files);
    }
}

// Until the application names them, the store has no company folder to look in and reads no
// variable: no files at all.
TEST(XdgKeyStoreFilesTest, WithoutNamesThereAreNoFiles)
{
    const ScopedKeyStoreNames names(KeyStoreNames{});
    const ScopedEnvironment registryDir("QK_TEST_REGISTRY_DIR", "/t/reg");
    const ScopedEnvironment configHome("XDG_CONFIG_HOME", "/c");
    const ScopedEnvironment configDirs("XDG_CONFIG_DIRS", "/d");
    for (const RegistryRoot root : {RegistryRoot::CurrentUser, RegistryRoot::LocalMachine})
        EXPECT_TRUE(XdgKeyStoreFiles(root).empty());
}

TEST(XdgKeyStoreFilesTest, ThePlatformStoreReadsTheUsersFile)
{
    const ScopedKeyStoreNames names(kTestNames);
    TempFolder folder;
    folder.Write("config/QK Test Works/registry.ini", "[HKEY_CURRENT_USER\\Software\\QK Test]\n\"Last\"=dword:5\n");
    const ScopedEnvironment registryDir("QK_TEST_REGISTRY_DIR", nullptr);
    const ScopedEnvironment configHome("XDG_CONFIG_HOME", (folder.Path() + "/config").c_str());
    const std::unique_ptr<IRegistryKeyHandle> key =
        GetPlatformRegistryStore().OpenKey(RegistryRoot::CurrentUser, WString(u"Software\\QK Test"), false);
    ASSERT_NE(key, nullptr);
    std::uint32_t type = 0;
    Bytes data;
    EXPECT_TRUE(key->QueryValue(WString(u"last"), type, data));
    EXPECT_EQ(type, kRegistryDWord);
}

} // namespace
} // namespace QK
