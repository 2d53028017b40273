// The preset file against bytes written here by hand, the reader's answers to broken files,
// saves that must fail without harming what is on the disk, and the load reports.
#include "UI/DriverCommon/PresetManager.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/System/FileDialog.h"
#include "QKFramework/Utilities/Storage/IIniFileManager.h"
#include "QKFramework/Utilities/Storage/Paths.h"
#include "QKFramework/Utilities/Storage/VariantEx.h"

#include "tests/support/Editor/CountingTestEngine.h"
#include "tests/support/Editor/EditorTestApp.h"
#include "tests/support/Recorder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UI/FakeWindowSystem.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using Bytes = std::vector<std::uint8_t>;
using TestSupport::FakeWindowSystem;

constexpr const char16_t* kNotCompatible = u"Program file is not compatible with this vesion of the favorite editor";

void AppendWord(Bytes& bytes, std::uint32_t word)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
}

// The bytes of the value the hand-built files store at position: the names padded with
// blanks, the tempo 0x7800 as the model keeps it (its bytes 00 78), every other parameter
// a small number of its own.
Bytes FileValue(std::uint32_t position)
{
    const std::uint32_t size = GetParameterByteSize(position);
    if (size == kNameByteSize)
    {
        std::string name = position == 0 ? "FILE PRESET" : "FILE KNOB " + std::to_string(position);
        name.resize(kNameByteSize, ' ');
        return Bytes(name.begin(), name.end());
    }
    if (size == 2)
        return {0x00, 0x78};
    return {static_cast<std::uint8_t>(1 + position % 7)};
}

// One record as it lies in a file; the fields that the tests break are open.
struct Record
{
    std::uint32_t position;
    Bytes data;
    std::uint32_t kind = 14;
    std::uint32_t codeSpace = 1;
    std::uint32_t reserved = 0;
    std::int64_t sizeDelta = 0;      // added to the record size word
    std::int64_t valueSizeDelta = 0; // added to the value record's size word
};

Record RecordAt(std::uint32_t position)
{
    return Record{position, FileValue(position)};
}

void AppendRecord(Bytes& bytes, const Record& record)
{
    const auto n = static_cast<std::uint32_t>(record.data.size());
    AppendWord(bytes, static_cast<std::uint32_t>(24 + n + record.sizeDelta));
    AppendWord(bytes, record.reserved);
    AppendWord(bytes, record.position);
    AppendWord(bytes, static_cast<std::uint32_t>(12 + n + record.valueSizeDelta));
    AppendWord(bytes, record.codeSpace);
    AppendWord(bytes, record.kind);
    bytes.insert(bytes.end(), record.data.begin(), record.data.end());
}

Bytes Header(std::uint32_t version = 1, std::uint32_t deviceA = 0, std::uint32_t deviceB = 0)
{
    Bytes bytes;
    AppendWord(bytes, version);
    AppendWord(bytes, deviceA);
    AppendWord(bytes, deviceB);
    return bytes;
}

// The whole file of the 79 positions; change alters record i before it is written.
Bytes PresetFile(const std::function<void(std::uint32_t, Record&)>& change = {})
{
    Bytes bytes = Header();
    for (std::uint32_t i = 0; i < kParameterCount; ++i)
    {
        Record record = RecordAt(i);
        if (change)
            change(i, record);
        AppendRecord(bytes, record);
    }
    return bytes;
}

Bytes ValueBytes(const Variant& value)
{
    std::uint32_t size = 0;
    const auto* data = static_cast<const std::uint8_t*>(value.GetData(size));
    return data ? Bytes(data, data + size) : Bytes();
}

class PresetManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        factory = TestSupport::LoadEditorResources();
        ASSERT_TRUE(factory);
        app = RCPtr<TestSupport::EditorTestApp>(new TestSupport::EditorTestApp(factory, system));
        manager = LPresetManager::Create();
    }

    std::string Write(const std::string& name, const Bytes& bytes) const
    {
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return folder / name;
    }

    Bytes Read(const std::string& path) const
    {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // Every value of the model, in parameter order.
    std::vector<Bytes> Model(TestSupport::InstalledEngine& engine) const
    {
        std::vector<Bytes> values;
        for (std::uint32_t i = 0; i < kParameterCount; ++i)
            values.push_back(ValueBytes(engine->ValueOf(engine->GetFirstParamID() + static_cast<std::int32_t>(i))));
        return values;
    }

    static std::vector<Bytes> FileValues()
    {
        std::vector<Bytes> values;
        for (std::uint32_t i = 0; i < kParameterCount; ++i)
            values.push_back(FileValue(i));
        return values;
    }

    TestSupport::TemporaryHome home;
    TestSupport::TempFolder folder;
    FakeWindowSystem system;
    RCPtr<LControlFactory> factory;
    RCPtr<TestSupport::EditorTestApp> app;
    RCPtr<LPresetManager> manager;
};

TEST_F(PresetManagerTest, TheSavedFileIsTheHandBuiltOneAndLoadsBack)
{
    TestSupport::InstalledEngine engine;
    const Bytes golden = PresetFile();
    ASSERT_EQ(golden.size(), 2123u);
    const Bytes tempoRecord = {0x1A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0D, 0x00, 0x00, 0x00, 0x0E,
                               0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x78};
    EXPECT_EQ(Bytes(golden.begin() + 352, golden.begin() + 352 + 26), tempoRecord);

    for (std::uint32_t i = 0; i < kParameterCount; ++i)
    {
        Variant value;
        const Bytes data = FileValue(i);
        value.SetBytes(data.data(), static_cast<std::uint32_t>(data.size()));
        ASSERT_EQ(engine->SetParamValue(ParamDescriptor(static_cast<std::int32_t>(i)), value), QK_OK) << i;
    }
    const std::string saved = folder / "saved.vedidu";
    ASSERT_EQ(manager->SavePresetFile(WString(saved.c_str())), QK_OK);
    EXPECT_EQ(Read(saved), golden);

    // A changed model comes back to the file's values.
    Variant other;
    other.SetBytes("\x05", 1);
    engine->SetParamValue(ParamDescriptor(30), other);
    engine->setParamValueCalls = 0;
    EXPECT_EQ(manager->LoadPresetFile(WString(saved.c_str())), 0);
    EXPECT_EQ(Model(engine), FileValues());
    EXPECT_EQ(engine->setParamValueCalls, kParameterCount);
    EXPECT_TRUE(system.messages.empty());
}

struct ReaderCase
{
    const char* name;
    std::function<Bytes()> file;
    std::int32_t result;
};

TEST_F(PresetManagerTest, BrokenFilesAreRefusedAndLeaveTheModelAlone)
{
    const auto withRecord = [](std::uint32_t at, std::function<void(Record&)> change)
    {
        return [at, change]
        {
            return PresetFile(
                [&](std::uint32_t i, Record& record)
                {
                    if (i == at)
                        change(record);
                });
        };
    };
    const ReaderCase cases[] = {
        {"header only", [] { return Header(); }, -3},
        {"short header", [] { return Bytes{1, 0, 0, 0, 0, 0, 0, 0}; }, -3},
        {"empty file", [] { return Bytes(); }, -3},
        {"device word A with version 2", [] { return Header(2, 1, 0); }, -4},
        {"device word B with version 0", [] { return Header(0, 0, 1); }, -4},
        {"version 2", [] { return Header(2); }, -2},
        {"version 0", [] { return Header(0); }, -1},
        {"size word 8", withRecord(0, [](Record& r) { r.sizeDelta = 8 - 40; }), -3},
        {"reserved 1", withRecord(0, [](Record& r) { r.reserved = 1; }), -3},
        {"a size past the end", withRecord(78, [](Record& r) { r.sizeDelta = 0xFFFFFF00; }), -3},
        {"value record size mismatch", withRecord(5, [](Record& r) { r.valueSizeDelta = -1; }), -3},
        {"a text where a byte block belongs", withRecord(5, [](Record& r) { r.kind = 15; }), -3},
        {"tempo of one byte", withRecord(13, [](Record& r) { r.data = {0x78}; }), -3},
        {"name of fifteen bytes", withRecord(40, [](Record& r) { r.data.pop_back(); }), -3},
        {"unknown code space", withRecord(5, [](Record& r) { r.codeSpace = 2; }), -3},
        // Bytes that SysEx cannot carry: the value could never be sent.
        {"a value byte of 0x80", withRecord(71, [](Record& r) { r.data = {0x80}; }), -3},
        {"a tempo byte of 0xFF", withRecord(13, [](Record& r) { r.data = {0xFF, 0x78}; }), -3},
        {"a name byte of 0xE9", withRecord(40, [](Record& r) { r.data[3] = 0xE9; }), -3},
        {"a failure in the middle", withRecord(40, [](Record& r) { r.reserved = 7; }), -3},
        {"truncated last record",
         []
         {
             Bytes bytes = PresetFile();
             bytes.pop_back();
             return bytes;
         },
         -3},
        {"a cut size word after the last record",
         []
         {
             Bytes bytes = PresetFile();
             bytes.insert(bytes.end(), {0x19, 0x00});
             return bytes;
         },
         -3},
    };
    for (const ReaderCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        TestSupport::InstalledEngine engine;
        const std::vector<Bytes> before = Model(engine);
        const std::string path = Write("broken.vedidu", c.file());
        EXPECT_EQ(manager->ReadPresetFile(WString(path.c_str())), c.result);
        EXPECT_EQ(engine->setParamValueCalls, 0u);
        EXPECT_EQ(Model(engine), before);
    }
}

TEST_F(PresetManagerTest, ReadableVariantsLoadEveryParameter)
{
    const ReaderCase cases[] = {
        {"position 200 is skipped and the records after it load",
         []
         {
             Bytes bytes = Header();
             for (std::uint32_t i = 0; i < kParameterCount; ++i)
             {
                 if (i == 10)
                     AppendRecord(bytes, Record{200, {0x55, 0x66, 0x77}});
                 AppendRecord(bytes, RecordAt(i));
             }
             return bytes;
         },
         0},
        {"portable code space",
         []
         {
             // Portable code 8 is the byte block.
             return PresetFile(
                 [](std::uint32_t, Record& r)
                 {
                     r.codeSpace = 0;
                     r.kind = 8;
                 });
         },
         0},
    };
    for (const ReaderCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        TestSupport::InstalledEngine engine;
        const std::string path = Write("variant.vedidu", c.file());
        EXPECT_EQ(manager->ReadPresetFile(WString(path.c_str())), c.result);
        EXPECT_EQ(Model(engine), FileValues());
    }
}

TEST_F(PresetManagerTest, TheViewsValueCheckRefusesTheWholeFileButNeverTheModelsDefaults)
{
    TestSupport::InstalledEngine engine(100);
    std::vector<std::pair<std::int32_t, Bytes>> asked;
    manager->SetValueCheck(
        [&](std::int32_t id, const Variant& value)
        {
            asked.emplace_back(id, ValueBytes(value));
            return id != 113; // the tempo
        });
    const std::vector<Bytes> before = Model(engine);
    const std::string refused = Write("refused.vedidu", PresetFile());
    EXPECT_EQ(manager->ReadPresetFile(WString(refused.c_str())), -3);
    EXPECT_EQ(engine->setParamValueCalls, 0u);
    EXPECT_EQ(Model(engine), before);
    ASSERT_EQ(asked.size(), 14u) << "asked in file order up to the refused value";
    EXPECT_EQ(asked[13], std::make_pair(113, FileValue(13)));

    // The model's starting tempo passes without asking, whatever the view says.
    const std::string defaults = Write("defaults.vedidu", PresetFile(
                                                              [&](std::uint32_t i, Record& record)
                                                              {
                                                                  if (i == kArpeggiatorTempoIndex)
                                                                      record.data = before[i];
                                                              }));
    EXPECT_EQ(manager->ReadPresetFile(WString(defaults.c_str())), 0);
    EXPECT_EQ(engine->setParamValueCalls, kParameterCount);

    manager->SetValueCheck({});
    EXPECT_EQ(manager->ReadPresetFile(WString(refused.c_str())), 0) << "no view, no check";
}

TEST_F(PresetManagerTest, PositionsCountFromTheEnginesFirstId)
{
    TestSupport::InstalledEngine engine(100);
    ASSERT_EQ(engine->GetFirstParamID(), 100);
    const std::string path = Write("first.vedidu", PresetFile());
    EXPECT_EQ(manager->ReadPresetFile(WString(path.c_str())), 0);
    EXPECT_EQ(Model(engine), FileValues());

    const std::string saved = folder / "saved.vedidu";
    ASSERT_EQ(manager->SavePresetFile(WString(saved.c_str())), QK_OK);
    EXPECT_EQ(Read(saved), PresetFile()) << "the file stores positions, not ids";
}

TEST_F(PresetManagerTest, UnreadablePathsAreCorrupt)
{
    TestSupport::InstalledEngine engine;
    // A pipe with no writer would block the opening for ever.
    const std::string pipe = folder / "pipe.vedidu";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string paths[] = {folder / "missing.vedidu", folder.Path(), "", pipe};
    for (const std::string& path : paths)
        EXPECT_EQ(manager->ReadPresetFile(WString(path.c_str())), -3) << path;
}

// A path with no bytes names no file: a save writes nothing (not the cut "caf" beside it) and
// says that the name cannot be kept; a read finds nothing.
TEST_F(PresetManagerTest, APathWithNoBytesIsRefusedAndWritesNothing)
{
    TestSupport::InstalledEngine engine;
    Write("caf", Bytes{'o', 'l', 'd'});
    const WString path = WString((folder.Path() + "/").c_str()) + WString(u"caf\xD800");
    EXPECT_EQ(manager->SavePresetFile(path), QK_E_INVALIDNAME);
    EXPECT_EQ(manager->ReadPresetFile(path), -3);
    EXPECT_EQ(Read(folder / "caf"), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);

    ReportPresetFileSaveResult(QK_E_INVALIDNAME);
    ASSERT_EQ(system.messages.size(), 1u);
    EXPECT_EQ(system.messages[0].caption, u"Favorite File Save");
    EXPECT_NE(system.messages[0].text.find(u"No file was written"), std::u16string::npos);
    EXPECT_EQ(system.messages[0].flags, 0x10u);
}

TEST_F(PresetManagerTest, AFailedSaveKeepsWhatWasThereAndIsReported)
{
    const Bytes old = {'o', 'l', 'd'};
    const bool root = ::geteuid() == 0;
    struct SaveCase
    {
        const char* name;
        std::uint32_t withheld;
        std::string target;
        bool rootOnly = false;
    } const cases[] = {
        {"an engine that gives 78 values", 1, Write("existing.vedidu", old)},
        {"a missing folder", 0, folder / "no such folder/preset.vedidu"},
        {"a folder as the target", 0, folder / "a folder"},
        {"a read-only file", 0, Write("read-only.vedidu", old)},
        // Root may write anywhere; the file's owner closed it to others all the same.
        {"another user's file", 0, Write("others.vedidu", old), true},
    };
    std::filesystem::create_directory(folder / "a folder");
    ASSERT_EQ(::chmod(cases[3].target.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(cases[4].target.c_str(), 0644), 0);
    if (root)
    {
        ASSERT_EQ(::chown(cases[4].target.c_str(), 54321, 54321), 0);
    }
    for (const SaveCase& c : cases)
    {
        if (c.rootOnly && !root)
            continue;
        SCOPED_TRACE(c.name);
        TestSupport::InstalledEngine engine;
        engine->withheldValues = c.withheld;
        const QKRESULT result = manager->SavePresetFile(WString(c.target.c_str()));
        EXPECT_EQ(result, static_cast<QKRESULT>(0x80004005));
        ReportPresetFileSaveResult(result);
        ASSERT_EQ(system.messages.size(), 1u);
        EXPECT_EQ(system.messages[0].caption, u"Favorite File Save");
        EXPECT_FALSE(system.messages[0].text.empty());
        EXPECT_EQ(system.messages[0].flags, 0x10u);
        system.messages.clear();
    }
    EXPECT_EQ(Read(cases[0].target), old);
    EXPECT_EQ(Read(cases[3].target), old);
    EXPECT_EQ(Read(cases[4].target), old);
    EXPECT_FALSE(std::filesystem::exists(folder / "no such folder"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "a folder"));
    EXPECT_TRUE(std::filesystem::is_empty(folder / "a folder"));

    ReportPresetFileSaveResult(QK_OK);
    EXPECT_TRUE(system.messages.empty()) << "a save that worked says nothing";
}

TEST_F(PresetManagerTest, ASaveOntoALinkWritesTheFileItLeadsTo)
{
    TestSupport::InstalledEngine engine;
    std::filesystem::create_directory(folder / "library");
    const std::string real = Write("library/preset.vedidu", {'o', 'l', 'd'});
    const std::string link = folder / "link.vedidu";
    ASSERT_EQ(::symlink("library/preset.vedidu", link.c_str()), 0);
    ASSERT_EQ(manager->SavePresetFile(WString(link.c_str())), QK_OK);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(Read(real).size(), 2123u);
    EXPECT_EQ(manager->ReadPresetFile(WString(link.c_str())), 0);
}

TEST(PresetFileTest, OnlyTheSeventyNineValuesAtTheirSizesMakeAFile)
{
    // A file of other sizes could never be read back.
    const auto values = [](std::uint32_t count, std::uint32_t shortened)
    {
        Array<ParamValue> list;
        list.SetCount(count);
        for (std::uint32_t i = 0; i < count; ++i)
        {
            Bytes data = FileValue(i);
            if (i == shortened)
                data.pop_back();
            list.GetAt(i)->id = static_cast<std::int32_t>(i);
            list.GetAt(i)->value.SetBytes(data.data(), static_cast<std::uint32_t>(data.size()));
        }
        return list;
    };
    Bytes bytes;
    EXPECT_EQ(LPresetManager::BuildPresetFile(values(79, 99), bytes), QK_OK);
    EXPECT_EQ(bytes, PresetFile());
    EXPECT_EQ(LPresetManager::BuildPresetFile(values(79, 40), bytes), static_cast<QKRESULT>(0x80004005));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(LPresetManager::BuildPresetFile(values(80, 99), bytes), static_cast<QKRESULT>(0x80004005));
    EXPECT_TRUE(bytes.empty());
}

TEST_F(PresetManagerTest, LoadingIsBracketedByTheTwoNotifications)
{
    TestSupport::InstalledEngine engine;
    std::vector<std::string> log;
    const RCPtr<TestSupport::Recorder> recorder = TestSupport::Recorder::Create("r", log);
    std::vector<std::int32_t> results;
    recorder->actOnce = false;
    recorder->action = [&](TestSupport::Recorder&, const ConstRCPtr<LNotificationDistributor>&,
                           const ConstRCPtr<LNotification>& notification)
    {
        const auto data = ConstRCPtr<LPresetFileLoadNotificationData>::DynamicCast(notification->GetArgument());
        results.push_back(data ? data->GetResult() : 99);
        // The model is untouched while the first is delivered and loaded by the second.
        results.push_back(static_cast<std::int32_t>(engine->setParamValueCalls));
    };
    recorder->Subscribe(manager, u"NID_PRESETFILE_PRE_LOAD");
    recorder->Subscribe(manager, u"NID_PRESETFILE_POST_LOAD");

    const std::string good = Write("good.vedidu", PresetFile());
    const std::string newer = Write("newer.vedidu", Header(2));
    EXPECT_EQ(manager->LoadPresetFile(WString(good.c_str())), 0);
    EXPECT_EQ(manager->LoadPresetFile(WString(newer.c_str())), -2);
    EXPECT_EQ(log, (std::vector<std::string>{"r:NID_PRESETFILE_PRE_LOAD", "r:NID_PRESETFILE_POST_LOAD",
                                             "r:NID_PRESETFILE_PRE_LOAD", "r:NID_PRESETFILE_POST_LOAD"}));
    EXPECT_EQ(results, (std::vector<std::int32_t>{99, 0, 0, 79, 99, 79, -2, 79}));
    recorder->UnsubscribeAll();
}

TEST_F(PresetManagerTest, TheGlobalLoadRequestLoadsWithoutABox)
{
    TestSupport::InstalledEngine engine;
    const std::string good = Write("good.vedidu", PresetFile());
    const std::string corrupt = Write("corrupt.vedidu", Header());
    const RCPtr<LNotificationCenter> centre = GetDefaultNotificationCenter();
    const auto request = [&](const std::string& path)
    {
        centre->SendNotification(LNotification::Create(u"NID_GLOBAL_LOAD_CONTROL_PANEL_SETTINGS",
                                                       LWrapperStringable<WString>::Create(WString(path.c_str()))));
    };

    request(corrupt);
    EXPECT_EQ(engine->setParamValueCalls, 0u);
    request(good);
    EXPECT_EQ(Model(engine), FileValues());
    centre->SendNotification(LNotification::Create(u"NID_GLOBAL_LOAD_CONTROL_PANEL_SETTINGS"));
    EXPECT_TRUE(system.messages.empty());

    // A manager let go of leaves the centre with it.
    engine->setParamValueCalls = 0;
    manager = nullptr;
    request(good);
    EXPECT_EQ(engine->setParamValueCalls, 0u);
}

TEST_F(PresetManagerTest, LoadFailuresShowTheErrorBoxEvenWithoutText)
{
    for (const std::int32_t result : {-1, -2, -3, -4, -5, 0, 1, -6})
    {
        SCOPED_TRACE(result);
        ReportPresetFileLoadResult(result);
        if (result >= -5 && result <= -1)
        {
            ASSERT_EQ(system.messages.size(), 1u);
            EXPECT_EQ(system.messages[0].caption, u"Favorite File Load");
            EXPECT_EQ(system.messages[0].text, kNotCompatible);
            EXPECT_EQ(system.messages[0].flags, 0x10u);
        }
        else
        {
            EXPECT_TRUE(system.messages.empty());
        }
        system.messages.clear();
    }

    // Without string tables the box still comes, with nothing to say.
    app = nullptr;
    FakeWindowSystem bare;
    const RCPtr<TestSupport::EditorTestApp> textless(new TestSupport::EditorTestApp(nullptr, bare));
    ReportPresetFileLoadResult(-3);
    ASSERT_EQ(bare.messages.size(), 1u);
    EXPECT_TRUE(bare.messages[0].text.empty());
    EXPECT_EQ(bare.messages[0].flags, 0x10u);
}

TEST_F(PresetManagerTest, TheDialogsFolderIsStoredInTheUserSettings)
{
    const LFileDialog dialog(WString(u"/home/someone/Presets"));
    LPresetManager::RememberPresetFolder(dialog);
    IIniFileManager* settings = app->GetIniFileManager();
    ASSERT_NE(settings, nullptr);
    WString stored;
    settings->GetString(app->GetSettings(1), WString(u"PresetLastFolderPath"), WString(u""), stored);
    EXPECT_EQ(std::u16string(stored.GetString()), u"/home/someone/Presets");

    // A folder whose name is not UTF-8 is no text for the settings: the key keeps its folder.
    LPresetManager::RememberPresetFolder(LFileDialog(FromSystemPath("/home/someone/f\xE9")));
    WString kept;
    EXPECT_EQ(settings->GetString(app->GetSettings(1), WString(u"PresetLastFolderPath"), WString(u""), kept), QK_OK);
    EXPECT_EQ(std::u16string(kept.GetString()), u"/home/someone/Presets");
}

} // namespace
} // namespace QK
