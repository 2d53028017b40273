// The editor under the keyboard and around its reports, in the real program: the user guide's
// opener never freezes the window and its failure is told when it ends; a get's report lies
// over the preset it reports; a number field loses its selection's highlight once the
// selection is gone; Escape closes the about box and the key-curve dialog as their close
// buttons do, and the about box opens with the keyboard on its close button.
#include "tests/support/Editor/EditorDriver.h"
#include "tests/support/Editor/EditorScales.h"
#include "tests/support/Editor/ScriptedMidiManager.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleEngine.h"
#include "QKFramework/Application/RootWindow.h"
#include "QKFramework/Controls/Dialog.h"
#include "QKFramework/Controls/TextBox.h"
#include "QKFramework/Platform/Window/SdlWindowHost.h"
#include "UI/DeviceView.h"
#include "tests/support/GuideBesideTheTests.h"
#include "tests/support/Recorder.h"
#include "tests/support/RecordingShellOpener.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

std::string Narrow(const WString& text)
{
    return NString(text.GetString()).GetString();
}

// Runs action on the modal window once one is on top (looked for in up to tries idle passes)
// and sets done; unlike WhenADialogShows it leaves the closing to action.
void WhenAModalWindowShows(EditorDriver& d, const std::function<void(SdlHostWindow&)>& action, bool& done,
                           int tries = 200)
{
    d.QueueStep(
        [&d, action, &done, tries]
        {
            SdlHostWindow* window = d.TopWindow();
            if (!window || window == &d.MainWindow())
            {
                if (tries > 0)
                    WhenAModalWindowShows(d, action, done, tries - 1);
                return;
            }
            ASSERT_TRUE(d.Settle());
            action(*window);
            done = true;
        });
}

// --- The user guide ----------------------------------------------------------------------------

class EditorUserGuideTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X server (scripts/test.sh starts Xvfb)";
    }
};

// An opener that stays until the test lets it go, then fails (as one that finds no viewer), and
// one that is not there at all. The window answers while the first runs; each failure is told
// once, when it is known.
TEST_F(EditorUserGuideTest, TheWindowWorksWhileTheOpenerRunsAndItsFailureIsToldWhenItEnds)
{
    TempFolder bin;
    const std::string gate = bin / "gate";
    bin.WriteFile("xdg-open", "#!/bin/sh\nwhile [ ! -e '" + gate + "' ]; do sleep 0.05; done\nexit 3\n");
    ASSERT_EQ(::chmod((bin / "xdg-open").c_str(), 0700), 0);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";

    EditorDriver driver;
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            ASSERT_TRUE(d.Settle());
            const GuideBesideTheTests guide(Narrow(d.Application().GetFolder(0)),
                                            Narrow(WString(LDeviceView::kUserGuideFileName)));
            const auto openGuide = [&]
            {
                ASSERT_TRUE(d.Click("mainMenu/Help"));
                ASSERT_TRUE(d.WaitUntil([&] { return d.IsShown("mainMenu/Help/popupMenu"); }));
                ASSERT_TRUE(d.Settle());
                ASSERT_TRUE(d.Click("mainMenu/Help/popupMenu/ItemControl1")) << "Open User Guide";
            };
            {
                ScopedEnvironment lingering("PATH", (bin.Path() + ":" + path).c_str());
                openGuide();
                ASSERT_TRUE(d.Settle(5000)) << "the window did not come back while the opener ran";
                EXPECT_TRUE(d.Boxes().empty()) << "told before the opener ended";
                // The window takes input meanwhile: the Help menu opens and closes again.
                ASSERT_TRUE(d.Click("mainMenu/Help"));
                EXPECT_TRUE(d.WaitUntil([&] { return d.IsShown("mainMenu/Help/popupMenu"); }, 5000))
                    << "a click while the opener runs was lost";
                ASSERT_TRUE(d.PressKeys("Escape"));
                ASSERT_TRUE(d.Settle());
                EXPECT_TRUE(d.Boxes().empty());
                bin.WriteFile("gate", "");
                ASSERT_TRUE(d.WaitUntil([&] { return !d.Boxes().empty(); }, 20000))
                    << "the opener's failure was never told";
                ASSERT_TRUE(d.Settle());
                ASSERT_EQ(d.Boxes().size(), 1u);
                EXPECT_EQ(d.Boxes()[0].caption, u"Open User Guide Failed");
                EXPECT_EQ(d.Boxes()[0].text, u"The user guide failed to open.");
            }
            d.ClearBoxes();
            {
                // No opener on the path at all: told at once.
                ScopedEnvironment missing("PATH", bin.Path().c_str());
                ASSERT_EQ(std::remove((bin / "xdg-open").c_str()), 0);
                openGuide();
                ASSERT_TRUE(d.Settle());
                ASSERT_EQ(d.Boxes().size(), 1u);
                EXPECT_EQ(d.Boxes()[0].caption, u"Open User Guide Failed");
            }
        });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
}

// --- Scaled tests --------------------------------------------------------------------------------

class EditorKeysAndReportsTest : public EditorScaleTest
{
};

// A get whose values are posted to the views as the real get posts them: when its report box
// appears, the window already shows the fetched name, as painted from the model.
TEST_P(EditorKeysAndReportsTest, AGetsReportShowsOverThePresetItFetched)
{
    const EditorScale scale = GetParam();
    ScopedEnvironment dpi("VEDIDU_DPI", scale.dpi);
    const RCPtr<ScriptedMidiManager> midi = ScriptedMidiManager::Create();
    EditorDriverOptions options;
    options.makeMidiManager = [&] { return RCPtr<LMidiManager>(midi.Get()); };
    std::string nameAtTheBox;
    Picture shownAtTheBox;
    Picture shownAfter;
    EditorDriver driver(options);
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            ASSERT_TRUE(d.Settle());
            const RCPtr<LControl> name = d.Find("presetName/editPanel/textBox");
            ASSERT_TRUE(name);
            RectL rect;
            name->GetWindowRect(rect);
            midi->beforeGet = [&](std::int32_t)
            {
                std::string text = "FETCHED";
                text.resize(kNameByteSize, ' ');
                Variant value;
                value.SetBytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                               static_cast<std::uint32_t>(text.size()));
                const RCPtr<LRootModuleEngine> engine = d.Engine();
                engine->SetParamValue(ParamDescriptor(engine->GetFirstParamID() + kProgramNameOffset), value);
            };
            d.WhenABoxShows(
                [&](const RecordingMessageService::Message&)
                {
                    nameAtTheBox = Narrow(name->GetText());
                    Picture shown;
                    d.MainWindow().ReadSurface(shown.pixels, shown.width, shown.height);
                    shownAtTheBox = shown.Crop(rect);
                });
            ASSERT_TRUE(d.Click("fav3/recButton"));
            ASSERT_TRUE(d.WaitUntil([&] { return !d.Boxes().empty(); })) << "no box after REC";
            EXPECT_EQ(d.Boxes()[0].caption, u"Retrieve Favorite");
            d.WhenABoxShows(nullptr);
            ASSERT_TRUE(d.Settle());
            shownAfter = d.ReadPicture(*name);
        });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    EXPECT_EQ(midi->gets, std::vector<std::int32_t>{3});
    EXPECT_EQ(nameAtTheBox.substr(0, 7), "FETCHED") << "the box came before the fetched values";
    ASSERT_FALSE(shownAtTheBox.IsEmpty());
    EXPECT_EQ(shownAtTheBox.CountDifferences(shownAfter), 0u) << "the window under the box showed the old preset";
    EXPECT_FALSE(
        EditorDriver::SavePicture(std::string("editor-name-under-get-report") + scale.suffix + ".png", shownAtTheBox)
            .empty());
}

// How many pixels of the field's inside carry the selection's colour (the frame left out).
std::size_t HighlightPixels(const Picture& picture, std::int32_t factor)
{
    std::size_t count = 0;
    for (std::int32_t y = 3 * factor; y < picture.height - 3 * factor; ++y)
        for (std::int32_t x = 2 * factor; x < picture.width - 2 * factor; ++x)
        {
            const std::uint32_t pixel = picture.At(x, y);
            const std::int32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
            if (r < 0x40 && g > r + 0x30 && b > r + 0x30)
                ++count;
        }
    return count;
}

// Click, Ctrl+A, then keys: after each key the field shows no highlight. Pictures of the field
// after the first typed digit go to the build folder. In a dialog Escape closes the dialog, so
// there it is left out.
void CheckSelectionGoes(EditorDriver& d, const std::string& path, std::int32_t factor, const std::string& picture,
                        bool withEscape = true)
{
    SCOPED_TRACE(path);
    const RCPtr<LControl> box = d.Find(path);
    ASSERT_TRUE(dynamic_cast<LTextBox*>(box.Get()));
    const struct
    {
        const char* what;
        std::vector<std::string> typed;
        std::vector<std::string> keys;
    } cases[] = {
        {"typed 5, then 7", {"5", "7"}, {}},
        {"typed 5, 7, then emptied", {"5", "7"}, {"BackSpace", "BackSpace"}},
        {"typed 5, then Escape", {"5"}, {"Escape"}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        if (!withEscape && !c.keys.empty() && c.keys.back() == "Escape")
            continue;
        ASSERT_TRUE(d.Click(path));
        ASSERT_TRUE(d.PressKeys("Ctrl+A"));
        ASSERT_TRUE(d.Settle());
        ASSERT_GT(HighlightPixels(d.ReadPicture(*box), factor), 0u) << "Ctrl+A shows no selection";
        for (const std::string& text : c.typed)
        {
            d.Type(text);
            ASSERT_TRUE(d.Settle());
            const Picture shown = d.ReadPicture(*box);
            EXPECT_EQ(HighlightPixels(shown, factor), 0u) << "after typing " << text;
            if (!picture.empty())
                EditorDriver::SavePicture(picture, shown);
        }
        for (const std::string& key : c.keys)
        {
            ASSERT_TRUE(d.PressKeys(key));
            ASSERT_TRUE(d.Settle());
            EXPECT_EQ(HighlightPixels(d.ReadPicture(*box), factor), 0u) << "after " << key;
        }
    }
}

TEST_P(EditorKeysAndReportsTest, ANumberFieldLosesItsHighlightWithItsSelection)
{
    const EditorScale scale = GetParam();
    ScopedEnvironment dpi("VEDIDU_DPI", scale.dpi);
    bool keyCurveDone = false;
    EditorDriver driver;
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            ASSERT_TRUE(d.Settle());
            CheckSelectionGoes(d, "knobBank1/knob1/ccValuePanel/parameterControl/textBox", scale.factor,
                               std::string("editor-number-field-typed") + scale.suffix + ".png");
            CheckSelectionGoes(d, "padBank1/pad1/midiNote/parameterControl/numericUpDown/textBox", scale.factor, "");
            d.WhenADialogShows([&](SdlHostWindow&)
                               { CheckSelectionGoes(d, "dialogEditKeyCurve/numericUpDownV2/textBox", scale.factor, "", false); },
                               "dialogEditKeyCurve/buttonClose", keyCurveDone);
            ASSERT_TRUE(d.Click("buttonOpenKeyEditDialog"));
            ASSERT_TRUE(d.WaitUntil([&] { return keyCurveDone && d.TopWindow() == &d.MainWindow(); }));
        });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
}

// Escape closes either dialog whatever has the keyboard in it; the about box opens with the
// keyboard on CLOSE, so that Enter closes it and starts no browser.
TEST_P(EditorKeysAndReportsTest, EscapeClosesBothDialogsAndEnterClosesTheAboutBox)
{
    const EditorScale scale = GetParam();
    ScopedEnvironment dpi("VEDIDU_DPI", scale.dpi);
    std::string aboutFocus;
    std::vector<std::string> closedBy;
    Picture aboutOpened;
    RecordingShellOpener browser;
    EditorDriver driver;
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            ASSERT_TRUE(d.Settle());
            // The step that handles the dialog is queued once nothing but the dialog's opening is
            // left to wait for.
            const auto openAbout = [&](const std::function<void()>& queue)
            {
                ASSERT_TRUE(d.Click("mainMenu/Help"));
                ASSERT_TRUE(d.WaitUntil([&] { return d.IsShown("mainMenu/Help/popupMenu"); }));
                ASSERT_TRUE(d.Settle());
                queue();
                ASSERT_TRUE(d.Click("mainMenu/Help/popupMenu/ItemControl2")) << "About";
            };
            const struct
            {
                const char* what;
                bool about;
                const char* focus; // the control given the keyboard first; null: as the dialog opened
                const char* key;
            } cases[] = {
                {"about, Escape", true, nullptr, "Escape"},
                {"about, Enter", true, nullptr, "Return"},
                {"about, Escape on SUPPORT SITE", true, "dialogAbout/buttonSupport", "Escape"},
                {"key curve, Escape", false, nullptr, "Escape"},
                {"key curve, Escape in a field", false, "dialogEditKeyCurve/numericUpDownV1/textBox", "Escape"},
            };
            for (const auto& c : cases)
            {
                SCOPED_TRACE(c.what);
                bool done = false;
                const auto queue = [&]
                {
                    WhenAModalWindowShows(
                        d,
                        [&](SdlHostWindow& window)
                        {
                            LRootWindow& root = d.RootOf(window);
                            if (c.about && aboutFocus.empty())
                            {
                                const LControl* focused = root.GetFocusedControl();
                                aboutFocus = focused ? Narrow(focused->GetName()) : "none";
                                aboutOpened = d.ReadPicture(&window);
                            }
                            if (c.focus)
                            {
                                ASSERT_EQ(d.Find(c.focus)->SetFocus(true), QK_OK);
                                ASSERT_TRUE(d.Settle());
                            }
                            const std::string name = c.about ? "dialogAbout" : "dialogEditKeyCurve";
                            const RCPtr<LDialog> dialog(dynamic_cast<LDialog*>(d.Find(name).Get()));
                            ASSERT_TRUE(dialog);
                            std::vector<std::string> log;
                            const RCPtr<Recorder> closed = Recorder::Create("dialog", log);
                            closed->Subscribe(ConstRCPtr<LNotificationDistributor>(dialog.Get()),
                                              u"NID_DIALOG_CLOSED");
                            ASSERT_TRUE(d.PressKeys(c.key));
                            // The modal loop ends once this step returns: here the close is
                            // seen as the dialog's notice, and made by hand when the key did not.
                            if (d.WaitUntil([&] { return !log.empty(); }, 5000))
                                closedBy.push_back(c.what);
                            else
                                EXPECT_TRUE(d.Click(name + "/buttonClose"));
                            closed->UnsubscribeAll();
                        },
                        done);
                };
                if (c.about)
                    openAbout(queue);
                else
                {
                    queue();
                    ASSERT_TRUE(d.Click("buttonOpenKeyEditDialog"));
                }
                ASSERT_TRUE(d.WaitUntil([&] { return done && d.TopWindow() == &d.MainWindow(); }, 20000))
                    << "the dialog did not open and close";
            }
            EXPECT_TRUE(d.Boxes().empty());
        });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    EXPECT_EQ(aboutFocus, "buttonClose");
    EXPECT_TRUE(browser.targets.empty()) << "a key meant to close the box opened " << browser.targets.front();
    EXPECT_EQ(closedBy, (std::vector<std::string>{"about, Escape", "about, Enter", "about, Escape on SUPPORT SITE",
                                                  "key curve, Escape", "key curve, Escape in a field"}));
    ASSERT_FALSE(aboutOpened.IsEmpty());
    EXPECT_FALSE(
        EditorDriver::SavePicture(std::string("editor-about-opened") + scale.suffix + ".png", aboutOpened).empty());
}

INSTANTIATE_TEST_SUITE_P(BothScales, EditorKeysAndReportsTest, kBothEditorScales, EditorScaleName);

} // namespace
} // namespace QK
