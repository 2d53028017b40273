// The EditorDriver itself, in a real window of the test script's X server, on a small skin of
// its own (the editor's classes come and go; the driver's mechanics must not depend on them):
// the editor opens and ends with 0 on the window's close, a click pushed at a named control's
// centre reaches that control, typed text reaches the text box under the focus, a key chord
// reaches its hot key, a message box is written down, a step runs inside a modal window's own
// loop, and what the host presented is read back and saved as a picture.
#include "tests/support/Editor/EditorDriver.h"

#include "QKFramework/Application/RootWindow.h"
#include "QKFramework/Controls/TextBox.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Platform/Window/SdlWindowHost.h"
#include "QKFramework/System/FileDialog.h"
#include "UI/DriverCommon/AppText.h"

#include "tests/support/Midi/FakeMidiBackend.h"
#include "tests/support/Recorder.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// A panel holding a bank with a button, a text box, and a dialog of its own.
constexpr const char* kSkins = R"(<?xml version="1.0" encoding="UTF-8"?>
<Zelvo_Skin_Definitions><Application Name="PresetEditor"/>
  <Colorizers>
    <Colorizer Name="back" ColorType="SolidFill" Color="FF203040"/>
    <Colorizer Name="bank" ColorType="SolidFill" Color="FF405060"/>
    <Colorizer Name="button" ColorType="SolidFill" Color="FFE08020"/>
    <Colorizer Name="field" ColorType="SolidFill" Color="FFFFFFFF"/>
    <Colorizer Name="ink" ColorType="SolidFill" Color="FF000000"/>
  </Colorizers>
  <Parts>
    <Part Name="back" Width="1" Height="1" ResizeType="Stretch" ColorizerName="back"/>
    <Part Name="bank" Width="1" Height="1" ResizeType="Stretch" ColorizerName="bank"/>
    <Part Name="button" Width="1" Height="1" ResizeType="Stretch" ColorizerName="button"/>
    <Part Name="field" Width="1" Height="1" ResizeType="Stretch" ColorizerName="field"/>
    <Part Name="ink" Width="1" Height="1" ResizeType="Stretch" ColorizerName="ink"/>
  </Parts>
  <Looks>
    <Look Name="back"><ClientPart Name="back" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="bank"><ClientPart Name="bank" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="button"><ClientPart Name="button" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="field"><ClientPart Name="field" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
      <TextProperties TextLeftRel="0" TextLeftAbs="4" TextRightRel="1" TextRightAbs="-4" TextHAlign="0"
        TextTopRel="0" TextTopAbs="4" TextBottomRel="1" TextBottomAbs="-4" TextVAlign="0" TextForegroundPart="ink"/></Look>
  </Looks>
  <LookLists>
    <LookList Name="main" NumLooks="1"><Look Name="back" Index="0"/></LookList>
    <LookList Name="bank" NumLooks="1"><Look Name="bank" Index="0"/></LookList>
    <LookList Name="buttons" NumLooks="14">
      <Look Name="button" Index="0"/><Look Name="button" Index="1"/><Look Name="button" Index="2"/>
      <Look Name="button" Index="3"/><Look Name="button" Index="4"/><Look Name="button" Index="5"/>
      <Look Name="button" Index="6"/><Look Name="button" Index="7"/><Look Name="button" Index="8"/>
      <Look Name="button" Index="9"/><Look Name="button" Index="10"/><Look Name="button" Index="11"/>
      <Look Name="button" Index="12"/><Look Name="button" Index="13"/>
    </LookList>
    <LookList Name="entry" NumLooks="14">
      <Look Name="field" Index="0"/><Look Name="field" Index="1"/><Look Name="field" Index="2"/>
      <Look Name="field" Index="3"/><Look Name="field" Index="4"/><Look Name="field" Index="5"/>
      <Look Name="field" Index="6"/><Look Name="field" Index="7"/><Look Name="field" Index="8"/>
      <Look Name="field" Index="9"/><Look Name="field" Index="10"/><Look Name="field" Index="11"/>
      <Look Name="field" Index="12"/><Look Name="field" Index="13"/>
    </LookList>
  </LookLists>
  <Skins><Skin Name="only">
    <SubControl Class="Framework.Panel" Name="mainControl" XPositionAbs="0" YPositionAbs="0" XSizeAbs="400" YSizeAbs="240">
      <Skin Name="main" LookList="main"/>
      <SubControl Class="Framework.Panel" Name="bank" XPositionAbs="200" YPositionAbs="100" XSizeAbs="180" YSizeAbs="120">
        <Skin Name="bank" LookList="bank"/>
        <SubControl Class="Framework.Button" Name="push" XPositionAbs="20" YPositionAbs="20" XSizeAbs="100" YSizeAbs="40">
          <Skin Name="push" LookList="buttons"/>
        </SubControl>
      </SubControl>
      <SubControl Class="Framework.TextBox" Name="entry" XPositionAbs="20" YPositionAbs="20" XSizeAbs="200" YSizeAbs="28">
        <Skin Name="entry" LookList="entry"/>
      </SubControl>
    </SubControl>
    <SubControl Class="Framework.Panel" Name="dialogProbe" XPositionAbs="100" YPositionAbs="100" XSizeAbs="160" YSizeAbs="90">
      <Skin Name="bank" LookList="bank"/>
    </SubControl>
  </Skin></Skins>
</Zelvo_Skin_Definitions>
)";

constexpr const char* kStrings = R"(<?xml version="1.0" encoding="UTF-8"?>
<Zelvo_StringTable_Definitions><Application Name="PresetEditor"/>
  <StringTable ID="|PresetEditor">
    <String ID="GHK_WIN.NID_MENU_FILE_LOAD_PRESET_FROM_FILE"><Locale LCID="0x0009">Ctrl+VKEY_O</Locale></String>
  </StringTable>
</Zelvo_StringTable_Definitions>
)";

constexpr const char* kFrameworkStrings = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                          "<Zelvo_StringTable_Definitions><Application Name=\"PresetEditor\"/>"
                                          "</Zelvo_StringTable_Definitions>\n";

class EditorDriverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X server (scripts/test.sh starts Xvfb)";
        m_skins.WriteFile("Skins.xml", kSkins);
        m_skins.WriteFile("StringTables.xml", kStrings);
        m_skins.WriteFile("FrameworkStrings.xml", kFrameworkStrings);
        m_options.skinFolder = m_skins.Path();
    }

    static bool HasBox(const EditorDriver& driver, const std::u16string& caption, const std::u16string& text)
    {
        const auto& boxes = driver.Boxes();
        return std::any_of(boxes.begin(), boxes.end(), [&](const RecordingMessageService::Message& box)
                           { return box.caption == caption && box.text == text; });
    }

    TempFolder m_skins;
    EditorDriverOptions m_options;
};

TEST_F(EditorDriverTest, AClickAtANamedControlReachesItAndItsBoxIsWrittenDown)
{
    EditorDriver driver(m_options);
    std::vector<std::string> log;
    const RCPtr<Recorder> recorder = Recorder::Create("send", log);
    recorder->action = [](Recorder&, const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>&)
    { ShowMessageBox(WString(u"clicked"), WString(u"Driver"), 0x40); };
    bool found = false;
    bool missingFails = false;
    Picture picture;
    RectL button{};

    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            const RCPtr<LControl> send = d.Find("bank/push");
            ASSERT_TRUE(send);
            found = d.Find("mainControl/bank").Get() == send->GetParent();
            send->GetWindowRect(button);
            recorder->Subscribe(ConstRCPtr<LNotificationDistributor>(send.Get()), u"NID_LEFT_CLICK");
            missingFails = !d.Click("bank/entry");
            ASSERT_TRUE(d.Click("bank/push"));
            EXPECT_TRUE(d.WaitUntil([&] { return HasBox(d, u"Driver", u"clicked"); }));
            picture = d.ReadPicture();
            EXPECT_FALSE(EditorDriver::SavePicture("editor-driver.png", picture).empty());
            recorder->Unsubscribe(ConstRCPtr<LNotificationDistributor>(send.Get()), u"NID_LEFT_CLICK");
        });

    EXPECT_TRUE(driver.BodyRan());
    EXPECT_FALSE(driver.WatchdogFired());
    EXPECT_EQ(status, 0) << "the window's close ends the editor with 0";
    EXPECT_TRUE(found) << "a path names a control below the one before it";
    EXPECT_TRUE(missingFails);
    EXPECT_EQ(log, (std::vector<std::string>{"send:NID_LEFT_CLICK"}));
    ASSERT_TRUE(HasBox(driver, u"Driver", u"clicked"));
    const auto box = std::find_if(driver.Boxes().begin(), driver.Boxes().end(),
                                  [](const RecordingMessageService::Message& m) { return m.caption == u"Driver"; });
    EXPECT_EQ(box->icon, 0x40u);

    // The picture is the window as the skin draws it: the panel's colour around, the bank's
    // beside the button, the button's over its whole face.
    ASSERT_EQ(picture.width, 400);
    ASSERT_EQ(picture.height, 240);
    EXPECT_EQ(picture.At(5, 5), 0x203040u);
    EXPECT_EQ(picture.At(button.x - 5, button.y + 5), 0x405060u);
    const Picture face = picture.Crop(button);
    ASSERT_EQ(face.width, button.width);
    Picture orange = face;
    std::fill(orange.pixels.begin(), orange.pixels.end(), 0xFFE08020u);
    EXPECT_EQ(face.CountDifferences(orange), 0u);
    EXPECT_EQ(face.CountDifferences(picture.Crop(RectL{button.x, button.y + button.height, button.width, button.height})),
              static_cast<std::size_t>(button.width * button.height));
}

TEST_F(EditorDriverTest, TypedTextReachesTheFocusedTextBoxAndAKeyChordReachesItsHotKey)
{
    EditorDriver driver(m_options);
    std::vector<std::string> log;
    const RCPtr<Recorder> recorder = Recorder::Create("keys", log);
    std::string text;
    bool unknownKeyFails = false;

    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            const RCPtr<LNotificationCenter> centre = GetDefaultNotificationCenter();
            recorder->Subscribe(ConstRCPtr<LNotificationDistributor>(centre.Get()),
                                u"NID_MENU_FILE_LOAD_PRESET_FROM_FILE");
            const RCPtr<LControl> box = d.Find("entry");
            ASSERT_TRUE(box);
            ASSERT_TRUE(d.Click("entry"));
            ASSERT_TRUE(d.Settle());
            d.Type("Ab\xc3\xa9");
            ASSERT_TRUE(d.Settle());
            if (const auto* textBox = dynamic_cast<LTextBox*>(box.Get()))
                text = NString(textBox->GetText().GetString()).GetString();
            unknownKeyFails = !d.PressKeys("Ctrl+NoSuchKey");
            ASSERT_TRUE(d.PressKeys("Ctrl+O"));
            EXPECT_TRUE(d.WaitUntil([&] { return !log.empty(); }));
            recorder->Unsubscribe(ConstRCPtr<LNotificationDistributor>(centre.Get()),
                                  u"NID_MENU_FILE_LOAD_PRESET_FROM_FILE");
        });

    EXPECT_EQ(status, 0);
    EXPECT_NE(text.find("Ab\xc3\xa9"), std::string::npos) << text;
    EXPECT_TRUE(unknownKeyFails);
    EXPECT_EQ(log, (std::vector<std::string>{"keys:NID_MENU_FILE_LOAD_PRESET_FROM_FILE"}));
}

TEST_F(EditorDriverTest, AQueuedStepRunsInsideAModalWindowsLoopAndCanCloseIt)
{
    EditorDriver driver(m_options);
    bool stepRan = false;
    bool mainDisabledMeanwhile = false;
    std::int32_t windowsMeanwhile = 0;
    Picture dialog;
    std::int32_t result = 0;

    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            d.QueueStep(
                [&]
                {
                    stepRan = true;
                    windowsMeanwhile = static_cast<std::int32_t>(d.Application().GetRootWindows().size());
                    mainDisabledMeanwhile = !d.MainWindow().IsEnabled();
                    SdlHostWindow* window = d.TopWindow();
                    ASSERT_NE(window, nullptr);
                    ASSERT_NE(window, &d.MainWindow());
                    dialog = d.ReadPicture(window);
                    d.CloseWindow(*window);
                });
            LApplication& app = d.Application();
            result = app.CreateDialogRootWindow(app.CreateControl(WString(u"dialogProbe")), true);
            EXPECT_TRUE(d.MainWindow().IsEnabled());
        });

    EXPECT_EQ(status, 0);
    EXPECT_TRUE(stepRan);
    EXPECT_EQ(windowsMeanwhile, 2);
    EXPECT_TRUE(mainDisabledMeanwhile);
    EXPECT_FALSE(dialog.IsEmpty());
    EXPECT_GE(result, 0);
    EXPECT_FALSE(driver.WatchdogFired());
}

TEST_F(EditorDriverTest, TheWatchdogEndsARunWhoseModalWindowNobodyCloses)
{
    m_options.watchdog = std::chrono::seconds(2);
    EditorDriver driver(m_options);
    bool returned = false;

    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            LApplication& app = d.Application();
            app.CreateDialogRootWindow(app.CreateControl(WString(u"dialogProbe")), true);
            returned = true;
        });

    EXPECT_TRUE(returned);
    EXPECT_TRUE(driver.WatchdogFired());
    EXPECT_EQ(status, 0);
}

TEST_F(EditorDriverTest, AStartThatFailsShowsTheStartUpErrorAndNeverRunsTheBody)
{
    // Without "mainControl" the main window has nothing to show.
    std::string skins = kSkins;
    const std::string name = "Name=\"mainControl\"";
    skins.replace(skins.find(name), name.size(), "Name=\"otherControl\"");
    m_skins.WriteFile("Skins.xml", skins);
    m_options.mustStart = false;
    EditorDriver driver(m_options);
    // A start that fails has no use for the MIDI system: it never reaches it.
    const auto midi = std::make_shared<FakeMidiBackend>();
    midi->AddDevice(MidiDirection::Input, "Vedidu");
    midi->AddDevice(MidiDirection::Output, "Vedidu");
    const std::shared_ptr<IMidiBackend> previous = SetMidiBackend(midi);

    const int status = driver.Run([](EditorDriver&) { ADD_FAILURE() << "the body ran"; });

    SetMidiBackend(previous);
    EXPECT_EQ(midi->GetListCount(), 0) << "the MIDI system was asked for its devices";
    EXPECT_EQ(status, 1);
    EXPECT_FALSE(driver.BodyRan());
    ASSERT_EQ(driver.Boxes().size(), 1u);
    EXPECT_EQ(driver.Boxes()[0].text, u"The application encountered problems during startup and will now close.");
    EXPECT_EQ(driver.Boxes()[0].icon, 0x10u);
}

TEST_F(EditorDriverTest, FileDialogsTakeTheQueuedAnswersAsTheDesktopsDialogsWould)
{
    EditorDriver driver(m_options);
    TempFolder files;
    files.WriteFile("There.vedidu", "x");
    struct Outcome
    {
        QKRESULT result;
        std::string path;
    };
    std::vector<Outcome> outcomes;

    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            const RCPtr<LFileDialog> dialog(new LFileDialog(WString(u".")));
            const WString filter(u"Vedidu Favorite Editor (*.vedidu)|*.vedidu|All Files (*.*)|*.*");
            const auto record = [&](QKRESULT result)
            {
                WString name;
                dialog->GetFileName(name);
                outcomes.push_back({result, NString(name.GetString()).GetString()});
            };
            d.FileDialogs().Answer(files / "Preset");
            record(dialog->ShowSaveDialog(filter, WString(u"vedidu"), WString(u"Save"), -1));
            d.FileDialogs().Answer(files / "Preset.old");
            record(dialog->ShowSaveDialog(filter, WString(u"vedidu"), WString(u"Save"), -1));
            d.FileDialogs().Answer(files / "There.vedidu");
            record(dialog->ShowOpenDialog(filter, WString(u"vedidu"), WString(u"Open"), false));
            d.FileDialogs().Answer(files / "Missing.vedidu");
            record(dialog->ShowOpenDialog(filter, WString(u"vedidu"), WString(u"Open"), false));
            d.FileDialogs().Cancel();
            record(dialog->ShowOpenDialog(filter, WString(u"vedidu"), WString(u"Open"), false));
            record(dialog->ShowOpenDialog(filter, WString(u"vedidu"), WString(u"Open"), false));
        });

    EXPECT_EQ(status, 0);
    ASSERT_EQ(outcomes.size(), 6u);
    EXPECT_EQ(outcomes[0].result, QK_OK);
    EXPECT_EQ(outcomes[0].path, files / "Preset.vedidu") << "a name without an extension takes the default";
    EXPECT_EQ(outcomes[1].path, files / "Preset.old");
    EXPECT_EQ(outcomes[2].result, QK_OK);
    EXPECT_EQ(outcomes[2].path, files / "There.vedidu");
    EXPECT_EQ(outcomes[3].result, QK_OK) << "a missing file is handed on, for the caller to tell why it cannot be read";
    EXPECT_EQ(outcomes[3].path, files / "Missing.vedidu");
    for (std::size_t i = 4; i < outcomes.size(); ++i)
        EXPECT_LT(outcomes[i].result, 0) << "dialog " << i << ": a cancel, no answer queued";
    const std::vector<FileChooserRequest>& requests = driver.FileDialogs().requests;
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_TRUE(requests[0].save);
    EXPECT_FALSE(requests[2].save);
    EXPECT_EQ(driver.FileDialogs().unanswered, 1);
}

} // namespace
} // namespace QK
