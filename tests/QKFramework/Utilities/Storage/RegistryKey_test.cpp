// Registry keys over a fixture key store in a temporary folder, and over a scripted store
// for the failures a file cannot produce.
#include "QKFramework/Utilities/Storage/RegistryKey.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedKeyStoreNames.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace QK
{
namespace
{

std::string Utf8(const WString& text)
{
    return NString(text.GetString()).GetString();
}

std::string TextOf(const VariantEx& value)
{
    EXPECT_EQ(value.GetKind(), kVariantText);
    return Utf8(value.ToString());
}

const char* const kFixture =
    "; The device-control library's key, as its installer writes it.\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Quenmar\\Audio\\Drivers]\n"
    "\"SoftwarePath\"=string:/opt/Quenm\xC3\xA4r/Audio\n"
    "\"DeviceInterfaceLib\"=string:libDeviceControlClient.so\n"
    "\"InstallRoot\"=expand:%HOME%/quenmar\n"
    "\"Unterminated\"=hex(1):41,00,42,00\n"
    "\"OddBytes\"=hex(1):41,00,42\n"
    "\"Version\"=dword:00000002\n"
    "\"Record\"=hex:10,00,00,00,01,00,00,00,06,00,00,00,2a,00,00,00\n"
    "\"Reference\"=hex:0d,00,00,00,01,00,00,00,0c,00,00,00,07\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Quenmar\\Audio\\Drivers\\Vedidu]\n"
    "\"Model\"=string:Vedidu 25\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Quenmar\\Audio\\Drivers\\Other]\n"
    "[HKEY_CURRENT_USER\\Software\\Dozavod Professional\\Vedidu Editor]\n"
    "\"LastPreset\"=string:Warm Pad\n";

constexpr const char16_t* kDrivers = u"Software\\Quenmar\\Audio\\Drivers";

// A key store folder named by a variable of the test's own for the test's length.
class RegistryKeyTest : public ::testing::Test
{
protected:
    static constexpr const char* kFolderVariable = "QK_TEST_REGISTRY_DIR";

    void SetUp() override
    {
        char pattern[] = "/tmp/qk-registry-XXXXXX";
        const char* made = mkdtemp(pattern);
        ASSERT_NE(made, nullptr);
        m_folder = made;
        std::ofstream(m_folder / "registry.ini", std::ios::binary) << kFixture;
        m_names.emplace(KeyStoreNames{"QK Test Works", kFolderVariable});
        m_folderVariable.emplace(kFolderVariable, m_folder.c_str());
    }

    void TearDown() override
    {
        m_folderVariable.reset();
        m_names.reset();
        std::filesystem::remove_all(m_folder);
    }

    static ConstRCPtr<LRegistryKey> Drivers() { return LRegistryKey::Create(LRegistryKey::kLocalMachine, WString(kDrivers)); }

private:
    std::filesystem::path m_folder;
    std::optional<TestSupport::ScopedKeyStoreNames> m_names;
    std::optional<TestSupport::ScopedEnvironment> m_folderVariable;
};

TEST_F(RegistryKeyTest, ReadsTheDeviceControlLibrarysValues)
{
    const ConstRCPtr<LRegistryKey> key = Drivers();
    VariantEx value;
    ASSERT_EQ(key->GetValue(WString(u"SoftwarePath"), value), QK_OK);
    EXPECT_EQ(TextOf(value), "/opt/Quenm\xC3\xA4r/Audio");
    EXPECT_STREQ(value.GetOwnedBuffer(), "/opt/Quenm\xC3\xA4r/Audio") << "held as UTF-8";
    ASSERT_EQ(key->GetValue(WString(u"deviceinterfacelib"), value), QK_OK);
    EXPECT_EQ(TextOf(value), "libDeviceControlClient.so");
    EXPECT_FALSE(key->IsOpen()) << "closed again after the operation";
}

TEST_F(RegistryKeyTest, TextValuesAreBoundedAndExpandableOnesAreText)
{
    const ConstRCPtr<LRegistryKey> key = Drivers();
    VariantEx value;
    ASSERT_EQ(key->GetValue(WString(u"InstallRoot"), value), QK_OK);
    EXPECT_EQ(TextOf(value), "%HOME%/quenmar");
    ASSERT_EQ(key->GetValue(WString(u"Unterminated"), value), QK_OK);
    EXPECT_EQ(TextOf(value), "AB");
    EXPECT_EQ(value.GetLength(), 3u);
    ASSERT_EQ(key->GetValue(WString(u"OddBytes"), value), QK_OK);
    EXPECT_EQ(TextOf(value), "A");
}

TEST_F(RegistryKeyTest, OtherValuesAreValueRecords)
{
    const ConstRCPtr<LRegistryKey> key = Drivers();
    VariantEx value;
    ASSERT_EQ(key->GetValue(WString(u"Record"), value), QK_OK);
    EXPECT_EQ(value.GetKind(), kVariantInt32);
    EXPECT_EQ(value.ToInt32(), 42);

    // A value that is no readable record fails and leaves the caller's value alone.
    value.SetString("kept");
    EXPECT_EQ(key->GetValue(WString(u"Version"), value), QK_E_FAIL);
    EXPECT_EQ(TextOf(value), "kept");
    EXPECT_EQ(key->GetValue(WString(u"Reference"), value), QK_E_FAIL);
    EXPECT_EQ(TextOf(value), "kept");
}

TEST_F(RegistryKeyTest, AMissingValueOrKeyFails)
{
    VariantEx value;
    value.SetString("kept");
    EXPECT_EQ(Drivers()->GetValue(WString(u"NoSuchValue"), value), QK_E_FAIL);
    EXPECT_EQ(TextOf(value), "kept");

    const ConstRCPtr<LRegistryKey> missing =
        LRegistryKey::Create(LRegistryKey::kLocalMachine, WString(u"Software\\Quenmar\\Nowhere"));
    EXPECT_EQ(missing->Open(), QK_E_FAIL);
    EXPECT_FALSE(missing->IsOpen());
    EXPECT_EQ(missing->GetValue(WString(u"SoftwarePath"), value), QK_E_FAIL);
    EXPECT_EQ(TextOf(value), "kept");
    StringArray names;
    names.Add(WString(u"kept"));
    EXPECT_EQ(missing->GetSubKeyNames(names), QK_E_FAIL);
    EXPECT_EQ(names.GetCount(), 1u);
    EXPECT_TRUE(missing->GetSubKey(WString(u"Vedidu")).IsNull());

    // The values of one root are not found under another.
    EXPECT_EQ(LRegistryKey::Create(LRegistryKey::kCurrentUser, WString(kDrivers))->Open(), QK_E_FAIL);
}

TEST_F(RegistryKeyTest, SubKeysAreListedAndMatchedIgnoringCase)
{
    const ConstRCPtr<LRegistryKey> key = Drivers();
    StringArray names;
    ASSERT_EQ(key->GetSubKeyNames(names), QK_OK);
    ASSERT_EQ(names.GetCount(), 2u);
    EXPECT_EQ(Utf8(*names.GetAt(0)), "Other");
    EXPECT_EQ(Utf8(*names.GetAt(1)), "Vedidu");

    const ConstRCPtr<LRegistryKey> sub = key->GetSubKey(WString(u"VEDIDU"));
    ASSERT_FALSE(sub.IsNull());
    EXPECT_EQ(Utf8(sub->GetPath()), "Software\\Quenmar\\Audio\\Drivers\\VEDIDU");
    EXPECT_EQ(sub->GetRoot(), LRegistryKey::kLocalMachine);
    VariantEx model;
    ASSERT_EQ(sub->GetValue(WString(u"Model"), model), QK_OK);
    EXPECT_EQ(TextOf(model), "Vedidu 25");

    EXPECT_TRUE(key->GetSubKey(WString(u"Missing")).IsNull());
    EXPECT_TRUE(key->GetSubKey(WString(u"Vedidu\\Deeper")).IsNull());

    // From a root key down, step by step.
    ConstRCPtr<LRegistryKey> walk = LRegistryKey::Create(LRegistryKey::kLocalMachine, WString(u""));
    for (const char16_t* step : {u"software", u"QUENMAR", u"Audio", u"Drivers"})
    {
        walk = walk->GetSubKey(WString(step));
        ASSERT_FALSE(walk.IsNull()) << Utf8(WString(step));
    }
    EXPECT_EQ(Utf8(walk->GetPath()), "software\\QUENMAR\\Audio\\Drivers");
    VariantEx value;
    EXPECT_EQ(walk->GetValue(WString(u"DeviceInterfaceLib"), value), QK_OK);
}

TEST_F(RegistryKeyTest, TheUsersRootIsSeparate)
{
    VariantEx value;
    const ConstRCPtr<LRegistryKey> key =
        LRegistryKey::Create(LRegistryKey::kCurrentUser, WString(u"Software\\Dozavod Professional\\Vedidu Editor"));
    ASSERT_EQ(key->GetValue(WString(u"LastPreset"), value), QK_OK);
    EXPECT_EQ(TextOf(value), "Warm Pad");
}

TEST_F(RegistryKeyTest, AnUnknownRootFailsEverything)
{
    for (const std::int32_t root : {4, -1, 0x7FFFFFFF})
    {
        SCOPED_TRACE(root);
        const ConstRCPtr<LRegistryKey> key = LRegistryKey::Create(root, WString(kDrivers));
        EXPECT_EQ(key->Open(), QK_E_FAIL);
        VariantEx value;
        EXPECT_EQ(key->GetValue(WString(u"SoftwarePath"), value), QK_E_FAIL);
        StringArray names;
        EXPECT_EQ(key->GetSubKeyNames(names), QK_E_FAIL);
        EXPECT_TRUE(key->GetSubKey(WString(u"Vedidu")).IsNull());
    }
}

TEST_F(RegistryKeyTest, AKeyOpenedByItsOwnerStaysOpen)
{
    const ConstRCPtr<LRegistryKey> key = Drivers();
    EXPECT_FALSE(key->IsOpen());
    EXPECT_EQ(key->Open(), QK_OK);
    EXPECT_EQ(key->Open(), QK_FALSE);
    VariantEx value;
    EXPECT_EQ(key->GetValue(WString(u"SoftwarePath"), value), QK_OK);
    StringArray names;
    EXPECT_EQ(key->GetSubKeyNames(names), QK_OK);
    EXPECT_TRUE(key->IsOpen());
}

TEST_F(RegistryKeyTest, OneKeyServesSeveralThreads)
{
    const ConstRCPtr<LRegistryKey> key = Drivers();
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t)
    {
        threads.emplace_back(
            [&key, &failures, t]
            {
                for (int i = 0; i < 25; ++i)
                {
                    VariantEx value;
                    if (key->GetValue(WString(u"DeviceInterfaceLib"), value) != QK_OK || key->GetSubKey(WString(u"other")).IsNull())
                        ++failures[t];
                }
            });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
    EXPECT_FALSE(key->IsOpen());
}

// --- Failures that only a scripted store can produce ------------------------------------------

struct ScriptedHandle final : IRegistryKeyHandle
{
    bool countFails = false;
    std::uint32_t count = 3;
    std::uint32_t failAtIndex = 0xFFFFFFFF;
    bool queryThrows = false;

    bool QueryValue(const WString&, std::uint32_t&, std::vector<std::uint8_t>&) const override
    {
        if (queryThrows)
            throw std::runtime_error("store failure");
        return false;
    }
    bool QuerySubKeyCount(std::uint32_t& out) const override
    {
        out = count;
        return !countFails;
    }
    bool EnumSubKey(std::uint32_t index, WString& name) const override
    {
        if (index >= failAtIndex)
            return false;
        name = WString::Format(u"Key%u", index);
        return true;
    }
};

struct ScriptedStore final : IRegistryStore
{
    ScriptedHandle script;
    std::unique_ptr<IRegistryKeyHandle> OpenKey(RegistryRoot, const WString&, bool) const override
    {
        return std::make_unique<ScriptedHandle>(script);
    }
};

class ScriptedRegistryTest : public ::testing::Test
{
protected:
    void SetUp() override { m_previous = SetRegistryStore(&m_store); }
    void TearDown() override { SetRegistryStore(m_previous); }

    ScriptedStore m_store;

private:
    const IRegistryStore* m_previous = nullptr;
};

TEST_F(ScriptedRegistryTest, AFailedSubKeyCountFailsTheCall)
{
    m_store.script.countFails = true;
    const ConstRCPtr<LRegistryKey> key = LRegistryKey::Create(LRegistryKey::kLocalMachine, WString(kDrivers));
    StringArray names;
    names.Add(WString(u"kept"));
    EXPECT_EQ(key->GetSubKeyNames(names), QK_E_FAIL);
    ASSERT_EQ(names.GetCount(), 1u);
    EXPECT_EQ(Utf8(*names.GetAt(0)), "kept");
    EXPECT_TRUE(key->GetSubKey(WString(u"Key0")).IsNull());
}

TEST_F(ScriptedRegistryTest, AFailedEnumerationStepKeepsTheNamesReadSoFar)
{
    m_store.script.failAtIndex = 1;
    const ConstRCPtr<LRegistryKey> key = LRegistryKey::Create(LRegistryKey::kLocalMachine, WString(kDrivers));
    StringArray names;
    EXPECT_EQ(key->GetSubKeyNames(names), QK_E_FAIL);
    ASSERT_EQ(names.GetCount(), 3u);
    EXPECT_EQ(Utf8(*names.GetAt(0)), "Key0");
    EXPECT_TRUE(names.GetAt(1)->IsEmpty());
    EXPECT_TRUE(names.GetAt(2)->IsEmpty());
    EXPECT_TRUE(key->GetSubKey(WString(u"Key0")).IsNull()) << "a list that cannot be read finds nothing";
}

TEST_F(ScriptedRegistryTest, AnExceptionLeavingAnOperationClosesTheKey)
{
    m_store.script.queryThrows = true;
    const ConstRCPtr<LRegistryKey> key = LRegistryKey::Create(LRegistryKey::kLocalMachine, WString(kDrivers));
    VariantEx value;
    EXPECT_THROW(key->GetValue(WString(u"Any"), value), std::runtime_error);
    EXPECT_FALSE(key->IsOpen());
}

} // namespace
} // namespace QK
