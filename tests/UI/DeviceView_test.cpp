// The device view: the favorite bank's buttons and the menu's get and send commands reach the
// MIDI manager with the right preset; the required buttons; the module accessors by name;
// the preset file commands (one dialog per hot key, where the dialogs start, the save name's
// extension, a cancel that says nothing); the user guide, the dialogs from the skin and Exit.
#include "UI/DeviceView.h"

#include "QKFramework/ControlBase/MenuDescriptor.h"
#include "QKFramework/Application/FrameworkApp.h"
#include "QKFramework/Controls/Dialog.h"
#include "QKFramework/Controls/MainMenu.h"
#include "QKFramework/Controls/Panel.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/Keybed.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleEngine.h"
#include "QKFramework/ControlBase/Input/GlobalHotKeyManager.h"
#include "QKFramework/ControlBase/Input/KeyCode.h"
#include "QKFramework/System/FileChooser.h"
#include "QKFramework/System/FileDialog.h"
#include "QKFramework/Utilities/Storage/Paths.h"
#include "QKFramework/Utilities/Storage/ShellOpener.h"
#include "UI/DriverCommon/PresetManager.h"
#include "UI/StatusView.h"

#include "tests/support/Editor/EditorTree.h"
#include "tests/support/GuideBesideTheTests.h"
#include "tests/support/Recorder.h"
#include "tests/support/RecordingShellOpener.h"
#include "tests/support/UI/ControlTestTools.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using TestSupport::EditorTree;
using TestSupport::Narrow;

// Answers every dialog with the answer set, after writing the request down.
class ScriptedChooser final : public IFileChooser
{
public:
    ScriptedChooser() : m_previous(SetFileChooser(this)) {}
    ScriptedChooser(const ScriptedChooser&) = delete;
    ScriptedChooser& operator=(const ScriptedChooser&) = delete;
    ~ScriptedChooser() { SetFileChooser(m_previous); }

    FileChooserAnswer Run(const FileChooserRequest& request, const DialogWaitPump&) override
    {
        requests.push_back(request);
        return answer;
    }

    std::vector<FileChooserRequest> requests;
    FileChooserAnswer answer{FileChooserOutcome::Cancelled, {}};

private:
    IFileChooser* m_previous;
};

// A keybed panel that is nothing but the module, so that the view finds its key-curve button.
class KeybedPanel : public LPanel, public LKeybed
{
public:
    KeybedPanel(LControl* parent, const WString& name) : LPanel(parent, name) {}
};

// The about and key-curve dialogs are plain dialogs here, whatever the program's own classes
// for them are; the keybed panel is the one above.
void RegisterPlainDialogs(LControlFactory& factory)
{
    factory.RegisterControlClass(WString(u"PresetEditor.Keyboard"), &CreateFrameworkControl<KeybedPanel>);
    factory.RegisterControlClass(WString(u"PresetEditor.DialogAbout"), &CreateFrameworkControl<LDialog>);
    factory.RegisterControlClass(WString(u"PresetEditor.DialogEditKeyCurve"), &CreateFrameworkControl<LDialog>);
}

class DeviceViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_GE(tree.started, 0);
        ASSERT_EQ(tree.Build(), QK_OK);
        ASSERT_TRUE(tree.View());
        tree.system.messages.clear();
    }
    LControl& Control(const std::string& path)
    {
        const RCPtr<LControl> control = tree.Find(path);
        if (!control)
            throw std::runtime_error("no control " + path);
        return *control;
    }
    void Command(const std::u16string& nid)
    {
        IRootWindow* root = tree.View()->GetRootWindowLink();
        ASSERT_TRUE(root);
        root->SendNotification(LNotification::Create(nid.c_str()));
    }
    void HotKey(const char16_t* key)
    {
        ASSERT_EQ(tree.app->GetHotKeyManager()->HandleKey(KeyCode::Parse(WString(key))), QK_OK) << Narrow(key);
        EditorTree::Drain();
    }

    EditorTree tree{std::string(), &RegisterPlainDialogs};
    std::vector<std::string> log;
};

TEST_F(DeviceViewTest, FavoriteButtonsSendAndGetTheFavoriteOfTheirPanel)
{
    struct Case
    {
        const char* button;
        bool send;
        std::int32_t preset;
    };
    const Case cases[] = {
        {"favoriteBankPanel/fav3/sendButton", true, 3},  {"favoriteBankPanel/fav3/recButton", false, 3},
        {"favoriteBankPanel/sendToRamButton", true, 0},  {"favoriteBankPanel/fav1/recButton", false, 1},
        {"favoriteBankPanel/fav8/sendButton", true, 8},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.button);
        tree.midi->gets.clear();
        tree.midi->sends.clear();
        tree.system.messages.clear();
        tree.Click(Control(c.button));
        EXPECT_EQ(c.send ? tree.midi->sends : tree.midi->gets, std::vector<std::int32_t>{c.preset});
        EXPECT_TRUE((c.send ? tree.midi->gets : tree.midi->sends).empty());
        ASSERT_EQ(tree.system.messages.size(), 1u) << "the report";
        EXPECT_EQ(tree.system.messages[0].caption, c.send ? u"Send Favorite Success" : u"Retrieve Favorite");
    }
}

TEST_F(DeviceViewTest, TheMenuCommandsGetAndSendPresetsZeroToEight)
{
    for (std::int32_t n = 0; n <= 8; ++n)
    {
        Command(u"NID_MENU_FILE_GET_PRESET" + std::u16string(1, static_cast<char16_t>(u'0' + n)) + u"_TO_DEVICE");
        Command(u"NID_MENU_FILE_SEND_PRESET" + std::u16string(1, static_cast<char16_t>(u'0' + n)) + u"_TO_DEVICE");
    }
    const std::vector<std::int32_t> all{0, 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(tree.midi->gets, all);
    EXPECT_EQ(tree.midi->sends, all);
    EXPECT_EQ(tree.system.messages.size(), 18u);
}

TEST_F(DeviceViewTest, ThePanelsAreFoundByNameAndIndexesPastTheSkinAnswerEmpty)
{
    LDeviceView& view = *tree.View();
    EXPECT_FALSE(view.GetJoystickModule(2));
    EXPECT_FALSE(view.GetJoystick(2));
    EXPECT_FALSE(view.GetPadModule(16)) << "pad9 of padBank2 does not exist";
    EXPECT_FALSE(view.GetPad(16));
    EXPECT_FALSE(view.GetHardwareKnob(8));
    EXPECT_TRUE(view.GetStatusView());
    LMenuItemState state;
    state.Enabled = false;
    state.Checked = true;
    EXPECT_EQ(view.IsCommandEnabled(nullptr, 0, WString(u"NID_MENU_FILE_EXIT_REQ"), state), 0);
    EXPECT_FALSE(state.Enabled) << "the menu's own states stand";
    EXPECT_TRUE(state.Checked);
}

TEST_F(DeviceViewTest, EachHotKeyAndMenuCommandOpensOneDialogAndACancelSaysNothing)
{
    ScriptedChooser chooser;
    HotKey(u"Ctrl+VKEY_O");
    ASSERT_EQ(chooser.requests.size(), 1u) << "the hot key is handled once, not by two subscriptions";
    const FileChooserRequest& open = chooser.requests[0];
    EXPECT_FALSE(open.save);
    EXPECT_EQ(Narrow(open.title), "Select Favorite File");
    ASSERT_EQ(open.filters.size(), 2u);
    EXPECT_EQ(Narrow(open.filters[0].description), "Vedidu Favorite Editor (*.vedidu)");
    EXPECT_EQ(Narrow(open.filters[0].patterns.at(0)), "*.vedidu");
    EXPECT_EQ(Narrow(open.filters[1].description), "All Files (*.*)");
    EXPECT_EQ(Narrow(open.folder), Narrow(tree.app->GetFolder(4))) << "nothing saved yet: the documents folder";

    HotKey(u"Ctrl+VKEY_S");
    ASSERT_EQ(chooser.requests.size(), 2u);
    const FileChooserRequest& save = chooser.requests[1];
    EXPECT_TRUE(save.save);
    EXPECT_EQ(Narrow(save.title), "Select Save Location");
    EXPECT_EQ(Narrow(save.defaultExtension), "vedidu") << "the chooser adds it to a bare name";

    Command(u"NID_MENU_FILE_LOAD_PRESET_FROM_FILE");
    Command(u"NID_MENU_FILE_SAVE_PRESET_TO_FILE");
    EXPECT_EQ(chooser.requests.size(), 4u);
    EXPECT_TRUE(tree.system.messages.empty()) << "a cancelled dialog is no failure to report";
}

TEST_F(DeviceViewTest, TheFileDialogsStartInTheFolderLastSavedTo)
{
    const TestSupport::TempFolder presets;
    IIniFileManager* settings = tree.app->GetSettingsManager();
    ASSERT_TRUE(settings);
    ASSERT_EQ(settings->SetString(tree.app->GetSettings(1), WString(LPresetManager::kLastFolderKey),
                                  WString(presets.Path().c_str())),
              QK_OK);
    // A fresh tree reads the stored folder when its device view starts.
    tree.window->SetRootControl(RCPtr<LControl>());
    ASSERT_EQ(tree.Build(), QK_OK);
    ScriptedChooser chooser;
    HotKey(u"Ctrl+VKEY_O");
    ASSERT_EQ(chooser.requests.size(), 1u);
    EXPECT_EQ(Narrow(chooser.requests[0].folder), presets.Path());
}

TEST_F(DeviceViewTest, ASaveNameWithoutExtensionGetsThePresetExtension)
{
    const TestSupport::TempFolder folder;
    ScriptedChooser chooser;
    struct Case
    {
        std::string chosen;
        std::string path;
    };
    const Case cases[] = {
        {folder / "bright", folder / "bright.vedidu"},
        {folder / "bright.vedidu", folder / "bright.vedidu"},
        {folder / "live.v2", folder / "live.v2"},
    };
    for (const Case& c : cases)
    {
        chooser.answer = {FileChooserOutcome::Chosen, {WString(c.chosen.c_str())}};
        WString path;
        EXPECT_EQ(tree.View()->ShowSavePresetDialog(path), QK_OK);
        EXPECT_EQ(Narrow(path), c.path);
    }
}

TEST_F(DeviceViewTest, ASavedFileLoadsBackAndANewerOneIsReported)
{
    const TestSupport::TempFolder folder;
    ScriptedChooser chooser;
    chooser.answer = {FileChooserOutcome::Chosen, {WString((folder / "saved").c_str())}};
    HotKey(u"Ctrl+VKEY_S");
    const std::string saved = folder.ReadFile("saved.vedidu");
    ASSERT_EQ(saved.size(), 2123u) << "saved under the name with the extension added";
    EXPECT_TRUE(tree.system.messages.empty());
    WString stored;
    tree.app->GetSettingsManager()->GetString(tree.app->GetSettings(1), WString(LPresetManager::kLastFolderKey),
                                              WString(), stored);
    EXPECT_EQ(Narrow(stored), folder.Path());

    chooser.answer = {FileChooserOutcome::Chosen, {WString((folder / "saved.vedidu").c_str())}};
    HotKey(u"Ctrl+VKEY_O");
    EXPECT_TRUE(tree.system.messages.empty()) << "a good file loads without a word";

    std::string newer = saved;
    newer[0] = 2; // the format version
    folder.WriteFile("newer.vedidu", newer);
    chooser.answer = {FileChooserOutcome::Chosen, {WString((folder / "newer.vedidu").c_str())}};
    HotKey(u"Ctrl+VKEY_O");
    ASSERT_EQ(tree.system.messages.size(), 1u);
    EXPECT_EQ(tree.system.messages[0].caption, u"Favorite File Load");
    EXPECT_EQ(tree.system.messages[0].text, u"Program file is not compatible with this vesion of the favorite editor");
    EXPECT_EQ(tree.system.messages[0].flags, 0x10u);
}

// The model's values, in parameter order.
std::vector<std::string> ModelValues()
{
    const RCPtr<LRootModuleEngine> engine = RCPtr<LRootModuleEngine>::DynamicCast(GetRootModuleEngine());
    std::vector<std::string> values;
    for (std::uint32_t i = 0; engine && i < kParameterCount; ++i)
    {
        Variant value;
        engine->GetParamValue(ParamDescriptor(engine->GetFirstParamID() + static_cast<std::int32_t>(i)), value);
        std::uint32_t size = 0;
        const auto* data = static_cast<const char*>(value.GetData(size));
        values.emplace_back(data ? data : "", data ? size : 0);
    }
    return values;
}

// A saved file with the value bytes of the parameter at position replaced.
std::string WithValue(std::string file, std::uint32_t position, const std::string& bytes)
{
    std::size_t offset = 12;
    for (std::uint32_t i = 0; i < position; ++i)
        offset += 24 + GetParameterByteSize(i);
    EXPECT_EQ(bytes.size(), GetParameterByteSize(position));
    file.replace(offset + 24, bytes.size(), bytes);
    return file;
}

TEST_F(DeviceViewTest, AFileWithAValueNoEditorCanShowIsRefusedWholeAndTheScreenStays)
{
    const TestSupport::TempFolder folder;
    ScriptedChooser chooser;
    chooser.answer = {FileChooserOutcome::Chosen, {WString((folder / "saved.vedidu").c_str())}};
    HotKey(u"Ctrl+VKEY_S");
    const std::string saved = folder.ReadFile("saved.vedidu");
    ASSERT_EQ(saved.size(), 2123u);

    struct Case
    {
        const char* what;
        std::uint32_t position;
        std::string bytes;
        bool loads;
    } const cases[] = {
        {"tempo 16383, sent as 7F 7F", kArpeggiatorTempoIndex, "\x7F\x7F", false},
        {"tempo 29", kArpeggiatorTempoIndex, std::string("\x00\x1D", 2), false},
        {"tempo 241", kArpeggiatorTempoIndex, "\x01\x71", false},
        {"swing 76", 11, "\x1A", false},
        {"tempo taps 5", 12, "\x05", false},
        {"a third clock source", 9, "\x02", false},
        {"a seventh arpeggiator mode", 7, "\x06", false},
        {"arpeggiator on/off 2", 6, "\x02", false},
        {"a control byte in the program name", 0, "PRE\aSET" + std::string(9, ' '), false},
        {"a byte SysEx cannot carry", 71, "\x80", false},
        {"tempo 30", kArpeggiatorTempoIndex, std::string("\x00\x1E", 2), true},
        {"tempo 240", kArpeggiatorTempoIndex, "\x01\x70", true},
        {"swing 75", 11, "\x19", true},
        {"tempo taps 2", 12, "\x02", true},
        {"tempo taps 4", 12, "\x04", true},
        {"the sixth arpeggiator mode", 7, "\x05", true},
        {"note 127", 21, "\x7F", true},
        {"the last keyboard sound", 69, "\x7F", true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        tree.system.messages.clear();
        chooser.answer = {FileChooserOutcome::Chosen, {WString((folder / "saved.vedidu").c_str())}};
        HotKey(u"Ctrl+VKEY_O");
        EditorTree::Drain();
        const std::vector<std::string> before = ModelValues();
        const RCPtr<LControl> tempo = tree.Find("arpeggiator/tempo/parameterControl");
        ASSERT_TRUE(tempo);
        const double shownTempo = tempo->FractionToValue(tempo->GetValue());

        folder.WriteFile("changed.vedidu", WithValue(saved, c.position, c.bytes));
        chooser.answer = {FileChooserOutcome::Chosen, {WString((folder / "changed.vedidu").c_str())}};
        HotKey(u"Ctrl+VKEY_O");
        EditorTree::Drain();
        if (c.loads)
        {
            EXPECT_TRUE(tree.system.messages.empty());
            EXPECT_EQ(ModelValues()[c.position], c.bytes);
            continue;
        }
        ASSERT_EQ(tree.system.messages.size(), 1u);
        EXPECT_EQ(tree.system.messages[0].caption, u"Favorite File Load");
        EXPECT_EQ(tree.system.messages[0].flags, 0x10u);
        EXPECT_EQ(ModelValues(), before);
        EXPECT_EQ(tempo->FractionToValue(tempo->GetValue()), shownTempo);
    }
}

TEST_F(DeviceViewTest, AFailedSaveIsToldAndRemembersNoFolder)
{
    const TestSupport::TempFolder folder;
    ScriptedChooser chooser;
    // A folder where the file should go: nothing can be written there.
    chooser.answer = {FileChooserOutcome::Chosen, {WString((folder / "missing/preset.vedidu").c_str())}};
    EXPECT_LT(tree.View()->SavePresetToFile(), 0);
    ASSERT_EQ(tree.system.messages.size(), 1u);
    EXPECT_EQ(tree.system.messages[0].caption, u"Favorite File Save");
    WString stored;
    tree.app->GetSettingsManager()->GetString(tree.app->GetSettings(1), WString(LPresetManager::kLastFolderKey),
                                              WString(), stored);
    EXPECT_TRUE(stored.IsEmpty()) << Narrow(stored);

    // Nor does the next dialog of the run start there.
    chooser.answer = {FileChooserOutcome::Cancelled, {}};
    tree.View()->SavePresetToFile();
    ASSERT_EQ(chooser.requests.size(), 2u);
    EXPECT_EQ(Narrow(chooser.requests[1].folder), Narrow(chooser.requests[0].folder));
}

// Names that are not UTF-8, as another program leaves them: a Latin-1 name, the bytes FF FE and
// a Latin-1 folder. Each favorite is saved under its own bytes and opens again; nothing lands
// under a cut name, the settings never store the folder that is not text, yet the next dialog
// of the run starts there.
TEST_F(DeviceViewTest, AFavoriteSavesAndOpensUnderANameThatIsNotUtf8)
{
    const TestSupport::TempFolder folder;
    ASSERT_EQ(::mkdir((folder / "f\xE9").c_str(), 0700), 0);
    folder.WriteFile("caf.vedidu", "unrelated");
    ScriptedChooser chooser;
    for (const std::string name : {"caf\xE9", "\xFF\xFE", "f\xE9/x"})
    {
        SCOPED_TRACE(name);
        chooser.answer = {FileChooserOutcome::Chosen, {FromSystemPath(folder / name)}};
        EXPECT_EQ(tree.View()->SavePresetToFile(), QK_OK);
        EXPECT_EQ(folder.ReadFile(name + ".vedidu").size(), 2123u);
        chooser.answer = {FileChooserOutcome::Chosen, {FromSystemPath(folder / (name + ".vedidu"))}};
        EXPECT_EQ(tree.View()->LoadPresetFromFile(), LPresetManager::kLoadOk);
        EXPECT_TRUE(tree.system.messages.empty());
    }
    EXPECT_EQ(folder.ReadFile("caf.vedidu"), "unrelated");
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"caf.vedidu", "caf\xE9.vedidu", "\xFF\xFE.vedidu", "f\xE9"}));

    WString stored;
    tree.app->GetSettingsManager()->GetString(tree.app->GetSettings(1), WString(LPresetManager::kLastFolderKey),
                                              WString(), stored);
    EXPECT_EQ(Narrow(stored), folder.Path()) << "the last folder that is text";
    chooser.answer = {FileChooserOutcome::Cancelled, {}};
    tree.View()->SavePresetToFile();
    EXPECT_EQ(ToSystemPath(chooser.requests.back().folder), folder / "f\xE9");
}

// A name that cannot be kept as it is (the dialog could not hand it back, or it has no bytes)
// is refused with a box that says so; nothing is read or written, no folder is remembered.
TEST_F(DeviceViewTest, ANameThatCannotBeKeptIsRefusedWithABox)
{
    const TestSupport::TempFolder folder;
    folder.WriteFile("caf", "unrelated");
    ScriptedChooser chooser;
    const FileChooserAnswer answers[] = {
        {FileChooserOutcome::NameUnusable, {}},
        {FileChooserOutcome::Chosen, {WString((folder.Path() + "/").c_str()) + WString(u"caf\xD800")}},
    };
    for (const FileChooserAnswer& answer : answers)
    {
        for (const bool save : {true, false})
        {
            SCOPED_TRACE(save ? "save" : "open");
            tree.system.messages.clear();
            chooser.requests.clear();
            chooser.answer = answer;
            const std::vector<std::string> before = ModelValues();
            const QKRESULT result = save ? tree.View()->SavePresetToFile() : tree.View()->LoadPresetFromFile();
            EXPECT_EQ(result, QK_E_INVALIDNAME);
            ASSERT_EQ(tree.system.messages.size(), 1u);
            if (save)
            {
                EXPECT_EQ(tree.system.messages[0].caption, u"Favorite File Save");
                EXPECT_EQ(tree.system.messages[0].text,
                          u"The favorite could not be saved: the name of the file or of its folder cannot be kept as "
                          u"it is. No file was written. Choose another name or folder and save again.");
            }
            else
            {
                EXPECT_EQ(tree.system.messages[0].caption, u"Favorite File Load");
                EXPECT_EQ(tree.system.messages[0].text,
                          u"The favorite could not be opened: the name of the file or of its folder cannot be read as "
                          u"it is. Rename the file or folder and open it again.");
            }
            EXPECT_EQ(tree.system.messages[0].flags, 0x10u);
            EXPECT_EQ(ModelValues(), before);

            chooser.answer = {FileChooserOutcome::Cancelled, {}};
            tree.View()->LoadPresetFromFile();
            ASSERT_EQ(chooser.requests.size(), 2u);
            EXPECT_EQ(Narrow(chooser.requests[1].folder), Narrow(chooser.requests[0].folder));
        }
    }
    EXPECT_EQ(folder.ReadFile("caf"), "unrelated");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
    WString stored;
    tree.app->GetSettingsManager()->GetString(tree.app->GetSettings(1), WString(LPresetManager::kLastFolderKey),
                                              WString(), stored);
    EXPECT_TRUE(stored.IsEmpty()) << Narrow(stored);
}

// A file that cannot be read, whatever the reason, shows the load box; the next dialog starts
// where it started before.
TEST_F(DeviceViewTest, AnUnreadablePathShowsTheLoadBoxAndRemembersNoFolder)
{
    const TestSupport::TempFolder folder;
    ::mkdir((folder / "elsewhere").c_str(), 0700);
    ASSERT_EQ(::symlink("nowhere.vedidu", (folder / "elsewhere/dangling.vedidu").c_str()), 0);
    ASSERT_EQ(::symlink("loop-b.vedidu", (folder / "elsewhere/loop-a.vedidu").c_str()), 0);
    ASSERT_EQ(::symlink("loop-a.vedidu", (folder / "elsewhere/loop-b.vedidu").c_str()), 0);
    ScriptedChooser chooser;
    for (const char* name : {"missing.vedidu", "dangling.vedidu", "loop-a.vedidu"})
    {
        SCOPED_TRACE(name);
        tree.system.messages.clear();
        chooser.requests.clear();
        chooser.answer = {FileChooserOutcome::Chosen, {WString((folder / "elsewhere/" + name).c_str())}};
        EXPECT_LT(tree.View()->LoadPresetFromFile(), 0);
        ASSERT_EQ(tree.system.messages.size(), 1u);
        EXPECT_EQ(tree.system.messages[0].caption, u"Favorite File Load");
        EXPECT_EQ(tree.system.messages[0].flags, 0x10u);
        chooser.answer = {FileChooserOutcome::Cancelled, {}};
        tree.View()->LoadPresetFromFile();
        ASSERT_EQ(chooser.requests.size(), 2u);
        EXPECT_EQ(Narrow(chooser.requests[1].folder), Narrow(chooser.requests[0].folder));
    }
}

TEST_F(DeviceViewTest, AMissingUserGuideIsToldAndAPresentOneIsOpened)
{
    TestSupport::RecordingShellOpener opener;
    const TestSupport::GuideFolderLock noGuideMeanwhile(Narrow(tree.app->GetFolder(0)));
    const std::string guide =
        Narrow(tree.app->GetFolder(0)) + "/" + Narrow(WString(LDeviceView::kUserGuideFileName));
    ASSERT_FALSE(FileExists(WString(guide.c_str()))) << "the test build ships no guide";
    Command(u"NID_MENU_HELP_OPEN_USERGUIDE_REQ");
    EXPECT_TRUE(opener.targets.empty()) << "the desktop would only fail later, where nobody sees it";
    ASSERT_EQ(tree.system.messages.size(), 1u);
    EXPECT_EQ(tree.system.messages[0].caption, u"Open User Guide Failed");
    EXPECT_EQ(tree.system.messages[0].text, u"The user guide failed to open.");
    EXPECT_EQ(tree.system.messages[0].flags, 0u);
}

// The opener is started and left running: the command returns at once, and its failure is told
// only once it has ended, from an idle pass.
TEST_F(DeviceViewTest, TheUserGuidesOpenerIsNotWaitedForAndItsFailureIsToldWhenItEnds)
{
    const TestSupport::GuideBesideTheTests present(Narrow(tree.app->GetFolder(0)),
                                                   Narrow(WString(LDeviceView::kUserGuideFileName)));
    const std::string& guide = present.path;
    const struct
    {
        const char* what;
        bool starts;
        bool succeed;
        std::size_t boxesAtOnce;
        std::size_t boxesAtTheEnd;
    } cases[] = {
        {"no opener", false, false, 1, 1},
        {"the opener fails", true, false, 0, 1},
        {"the opener opens it", true, true, 0, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        tree.system.messages.clear();
        TestSupport::RecordingShellOpener opener;
        opener.starts = c.starts;
        opener.succeed = c.succeed;
        opener.finished = false;
        Command(u"NID_MENU_HELP_OPEN_USERGUIDE_REQ");
        EXPECT_EQ(opener.targets, std::vector<std::string>{guide});
        EXPECT_EQ(tree.system.messages.size(), c.boxesAtOnce);
        tree.app->ProcessIdle(true);
        EXPECT_EQ(tree.system.messages.size(), c.boxesAtOnce) << "told while the opener still runs";
        opener.finished = true;
        tree.app->ProcessIdle(true);
        EXPECT_EQ(tree.system.messages.size(), c.boxesAtTheEnd);
        tree.app->ProcessIdle(true);
        ASSERT_EQ(tree.system.messages.size(), c.boxesAtTheEnd) << "told once";
        if (c.boxesAtTheEnd)
        {
            EXPECT_EQ(tree.system.messages[0].caption, u"Open User Guide Failed");
        }
    }
}

TEST_F(DeviceViewTest, AboutAndKeyCurveDialogsComeFromTheSkinInAModalWindow)
{
    for (const char16_t* nid : {u"NID_MENU_HELP_ABOUT_REQ", u"NID_MENU_FILE_SHOWKEYCURVEDIALOG_REQ"})
    {
        SCOPED_TRACE(Narrow(nid));
        tree.system.requests.clear();
        Command(nid);
        // The window system of the test makes no window; the request shows what was asked.
        ASSERT_EQ(tree.system.requests.size(), 1u);
        EXPECT_NE(tree.system.requests[0].exStyle, 0u) << "a modal dialog frame";
    }
    tree.system.requests.clear();
    tree.Click(Control("keyboard/buttonOpenKeyEditDialog"));
    EXPECT_EQ(tree.system.requests.size(), 1u);
}

TEST_F(DeviceViewTest, ExitIsPostedAsTheApplicationsExitRequest)
{
    const RCPtr<TestSupport::Recorder> recorder = TestSupport::Recorder::Create("centre", log);
    recorder->Subscribe(ConstRCPtr<LNotificationDistributor>(GetDefaultNotificationCenter().Get()), u"NID_APP_EXIT_REQ");
    Command(u"NID_MENU_FILE_EXIT_REQ");
    EXPECT_TRUE(log.empty()) << "posted, not sent";
    EditorTree::Drain();
    EXPECT_EQ(log, std::vector<std::string>{"centre:NID_APP_EXIT_REQ"});
    recorder->UnsubscribeAll();
}

TEST_F(DeviceViewTest, TheMainMenuAsksTheDeviceViewForItsItemStates)
{
    auto* menu = dynamic_cast<LMainMenu*>(tree.Main()->FindChild(WString(u"mainMenu")).Get());
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->SetMenuItemUpdater(tree.View()->GetMenuItemUpdater())) << "it had this one already";
}

// --- The required buttons, on a small skin ---------------------------------------------------

std::string FavoriteSkin(const std::string& leaveOut)
{
    std::string bank;
    for (int i = 1; i <= 8; ++i)
    {
        const std::string fav = "fav" + std::to_string(i);
        if (leaveOut == fav)
            continue;
        bank += "<SubControl Class=\"Framework.Panel\" Name=\"" + fav + "\" XSizeAbs=\"10\" YSizeAbs=\"10\">";
        for (const char* button : {"sendButton", "recButton"})
            if (leaveOut != fav + "/" + button)
                bank += std::string("<SubControl Class=\"Framework.Button\" Name=\"") + button +
                        "\" XSizeAbs=\"5\" YSizeAbs=\"5\"/>";
        bank += "</SubControl>";
    }
    if (leaveOut != "sendToRamButton")
        bank += R"(<SubControl Class="Framework.Button" Name="sendToRamButton" XSizeAbs="5" YSizeAbs="5"/>)";
    const std::string view =
        leaveOut == "favoriteBankPanel"
            ? std::string()
            : R"(<SubControl Class="Framework.Panel" Name="favoriteBankPanel" XSizeAbs="100" YSizeAbs="100">)" + bank +
                  "</SubControl>";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Zelvo_Skin_Definitions>\n"
           "<Application Name=\"PresetEditor\"/>\n<Skins>\n<Skin Name=\"test\">\n"
           "<SubControl Class=\"PresetEditor.MainControl\" Name=\"mainControl\" XSizeAbs=\"400\" YSizeAbs=\"300\">\n"
           "<SubControl Class=\"PresetEditor.MainControl.DeviceView\" Name=\"viewDevice\" XSizeAbs=\"400\" "
           "YSizeAbs=\"300\">" +
           view + "</SubControl>\n</SubControl>\n</Skin>\n</Skins>\n</Zelvo_Skin_Definitions>\n";
}

TEST(DeviceViewSkinTest, TheThreeFavoriteButtonsAreRequired)
{
    const std::string prefix = "Runtime Error : Null Pointer : cannot find child ";
    const std::string suffix = " : LDeviceView::Initialize : UI\\DeviceView : Line ";
    struct Case
    {
        const char* leaveOut;
        std::string text;
    };
    const Case cases[] = {
        {"fav3/sendButton", prefix + "sendButton" + suffix + "114"},
        {"fav5", prefix + "sendButton" + suffix + "114"},
        {"fav8/recButton", prefix + "recButton" + suffix + "118"},
        {"sendToRamButton", prefix + "sendToRamButton" + suffix + "123"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.leaveOut);
        EditorTree tree(FavoriteSkin(c.leaveOut));
        ASSERT_GE(tree.started, 0);
        try
        {
            tree.Build();
            ADD_FAILURE() << "no exception";
        }
        catch (const std::runtime_error& error)
        {
            EXPECT_EQ(std::string(error.what()), c.text);
        }
    }
}

TEST(DeviceViewSkinTest, AViewWithoutBankKeybedOrMenuStillWorks)
{
    for (const char* leaveOut : {"", "favoriteBankPanel"})
    {
        SCOPED_TRACE(leaveOut);
        EditorTree tree(FavoriteSkin(leaveOut));
        ASSERT_GE(tree.started, 0);
        ASSERT_EQ(tree.Build(), QK_OK);
        ASSERT_TRUE(tree.View());
        tree.window->SendNotification(LNotification::Create(u"NID_MENU_FILE_SEND_PRESET2_TO_DEVICE"));
        tree.window->SendNotification(LNotification::Create(u"NID_MENU_FILE_SHOWKEYCURVEDIALOG_REQ"));
        EXPECT_EQ(tree.midi->sends, std::vector<std::int32_t>{2});
        EXPECT_TRUE(tree.system.requests.empty()) << "this skin has no key-curve dialog";
    }
}

// The shipped main control painted by the software renderer, written to
// pictures/device-view.png for a person to look at. The favorite bank's buttons must show
// inside the device view, not only the window behind it.
TEST(DeviceViewPicture, TheShippedDeviceViewShowsTheControllerAndTheFavoriteBank)
{
    EditorTree tree;
    ASSERT_GE(tree.started, 0);
    ASSERT_EQ(tree.Build(), QK_OK);
    const RectL area{0, 0, tree.host.clientRect.width, tree.host.clientRect.height};
    RCPtr<LRenderContextInfo> context;
    const IDrawingSurface& surface = TestSupport::PaintOffscreen(*tree.window, *tree.renderer, area, context);
    EXPECT_TRUE(TestSupport::SavePicture(surface, "device-view.png"));

    const auto coloursIn = [&](const char* path)
    {
        RectL rect;
        tree.Find(path)->GetWindowRect(rect);
        std::set<std::uint32_t> colours;
        for (std::int32_t y = rect.y; y < rect.y + rect.height; ++y)
            for (std::int32_t x = rect.x; x < rect.x + rect.width; ++x)
                colours.insert(surface.GetPixel(x, y));
        return colours.size();
    };
    EXPECT_GT(coloursIn("favoriteBankPanel/fav3/sendButton"), 2u) << "the button's picture and text";
    EXPECT_GT(coloursIn("controllerBody"), 2u);
}

} // namespace
} // namespace QK
