// What a person sees of tips, of the focus and of a selection in the real program, at the
// standard and the high-DPI scale: every tip the string tables give shows whole, on top and
// inside its window, also near the window's right edge; Tab walks the favorites in order and
// then RAM; a focused button shows it and Space presses it; a selection's highlight lies on
// its text; a button whose click starts a MIDI exchange shows its pressed look before the
// request leaves; an exposed window shows its picture again without a paint. The pictures of
// a tip near the edge, of a focused button and of the pressed REC button go to the build
// folder's pictures/.
#include "tests/support/Editor/EditorDriver.h"
#include "tests/support/Editor/EditorScales.h"
#include "tests/support/Editor/ScriptedMidiManager.h"

#include "QKFramework/Controls/TextBox.h"
#include "QKFramework/Platform/Window/SdlWindowHost.h"
#include "tests/support/ScopedEnvironment.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

using Scale = EditorScale;

class EditorLooksTest : public EditorScaleTest
{
};

RectL WindowRect(const LControl& control)
{
    RectL rect;
    control.GetWindowRect(rect);
    return rect;
}

std::string Describe(const RectL& rect)
{
    return "(" + std::to_string(rect.x) + ", " + std::to_string(rect.y) + ", " + std::to_string(rect.width) + " x " +
           std::to_string(rect.height) + ")";
}

// The tip of the control at path, once it shows; null when none shows in time.
RCPtr<LControl> WaitForTip(EditorDriver& d, const std::string& path)
{
    RCPtr<LControl> tip;
    d.WaitUntil([&] {
        tip = d.Find(path + "/toolTip");
        return tip && tip->IsVisible(true);
    });
    return tip && tip->IsVisible(true) ? tip : RCPtr<LControl>();
}

// Empty when the tip lies inside its window, nothing covers it and its paper shows just inside
// every corner (a clipped tip loses a corner).
std::string TipProblem(const LControl& tip, const Picture& picture, std::int32_t factor)
{
    const RectL rect = WindowRect(tip);
    if (rect.x < 0 || rect.y < 0 || rect.x + rect.width > picture.width || rect.y + rect.height > picture.height)
        return "the tip " + Describe(rect) + " leaves the window";
    const std::int32_t in = 3 * factor;
    for (const PointL corner : {PointL{rect.x + in, rect.y + in}, PointL{rect.x + rect.width - 1 - in, rect.y + in},
                                PointL{rect.x + in, rect.y + rect.height - 1 - in},
                                PointL{rect.x + rect.width - 1 - in, rect.y + rect.height - 1 - in}})
    {
        // The tip's light paper.
        const std::uint32_t pixel = picture.At(corner.x, corner.y);
        if (((pixel >> 16) & 0xFF) < 0xC0 || ((pixel >> 8) & 0xFF) < 0xC0)
            return "the tip " + Describe(rect) + " is not drawn at (" + std::to_string(corner.x) + ", " +
                   std::to_string(corner.y) + ")";
    }
    return "";
}

TEST_P(EditorLooksTest, EveryTipShowsWholeOnTopAndInsideItsWindowAlsoAtTheRightEdge)
{
    const Scale scale = GetParam();
    ScopedEnvironment dpi("VEDIDU_DPI", scale.dpi);
    Picture edge;
    bool aboutShown = false;
    EditorDriver driver;
    const int status = driver.Run([&](EditorDriver& d) {
        ASSERT_TRUE(d.Settle());
        // One control of every tip the string tables give, in the main window.
        for (const std::string path : {"sendToRamButton", "fav4/sendButton", "fav8/recButton",
                                       "arpOnOff/parameterControl", "buttonOpenKeyEditDialog"})
        {
            SCOPED_TRACE(path);
            ASSERT_TRUE(d.MoveTo(path));
            const RCPtr<LControl> tip = WaitForTip(d, path);
            ASSERT_TRUE(tip) << "no tip shows";
            ASSERT_TRUE(d.Settle());
            EXPECT_EQ(TipProblem(*tip, d.ReadPicture(), scale.factor), "");
            ASSERT_TRUE(d.MoveTo("controllerBody"));
            ASSERT_TRUE(d.WaitUntil([&] { return !tip->IsVisible(true); })) << "the tip stays";
        }

        ASSERT_TRUE(d.Click("mainMenu/Help"));
        ASSERT_TRUE(d.WaitUntil([&] { return d.IsShown("mainMenu/Help/popupMenu"); }));
        ASSERT_TRUE(d.Settle());
        // The about dialog's support button lies near the dialog's right edge: resting on its
        // right end, the tip moves inward and still shows whole.
        d.WhenADialogShows(
            [&](SdlHostWindow& window) {
                const RCPtr<LControl> button = d.Find("dialogAbout/buttonSupport");
                ASSERT_TRUE(button);
                const RectL rect = WindowRect(*button);
                const PointL pointer{rect.x + rect.width - 3 * scale.factor, rect.y + rect.height / 2};
                d.MoveAt(window, pointer);
                const RCPtr<LControl> tip = WaitForTip(d, "dialogAbout/buttonSupport");
                ASSERT_TRUE(tip) << "no tip shows on the support button";
                ASSERT_TRUE(d.Settle());
                edge = d.ReadPicture(&window);
                const RectL at = WindowRect(*tip);
                EXPECT_LT(at.x, pointer.x) << "the tip did not move inward";
                EXPECT_EQ(at.x + at.width, edge.width) << "the tip ends at the window's edge";
                EXPECT_EQ(TipProblem(*tip, edge, scale.factor), "");
            },
            "dialogAbout/buttonClose", aboutShown);
        ASSERT_TRUE(d.Click("mainMenu/Help/popupMenu/ItemControl2"));
        ASSERT_TRUE(d.WaitUntil([&] { return aboutShown && d.TopWindow() == &d.MainWindow(); }));
    });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    ASSERT_FALSE(edge.IsEmpty());
    EXPECT_FALSE(EditorDriver::SavePicture(std::string("editor-tip-right-edge") + scale.suffix + ".png", edge).empty());
}

TEST_P(EditorLooksTest, TabWalksTheFavoritesThenRamAndSpacePressesTheFocusedButton)
{
    const Scale scale = GetParam();
    ScopedEnvironment dpi("VEDIDU_DPI", scale.dpi);
    Picture focused;
    bool keyCurveShown = false;
    EditorDriver driver;
    const int status = driver.Run([&](EditorDriver& d) {
        ASSERT_TRUE(d.Settle());
        LRootWindow& root = d.MainRoot();
        const auto focus = [&]() -> std::string {
            const LControl* control = root.GetFocusedControl();
            if (!control)
                return "none";
            const std::string name = NString(control->GetName().GetString()).GetString();
            const LControl* parent = control->GetParent();
            return parent ? std::string(NString(parent->GetName().GetString()).GetString()) + "/" + name : name;
        };
        ASSERT_EQ(d.Find("fav1/sendButton")->SetFocus(true), QK_OK);
        std::vector<std::string> walked{focus()};
        for (int i = 0; i < 16; ++i)
        {
            ASSERT_TRUE(d.PressKeys("Tab"));
            ASSERT_TRUE(d.Settle());
            walked.push_back(focus());
        }
        std::vector<std::string> expected;
        for (int i = 1; i <= 8; ++i)
            for (const char* button : {"sendButton", "recButton"})
                expected.push_back("fav" + std::to_string(i) + "/" + button);
        expected.push_back("favoriteBankPanel/sendToRamButton");
        EXPECT_EQ(walked, expected);

        // The key curve's button with the focus, pressed by Space.
        ASSERT_EQ(d.Find("buttonOpenKeyEditDialog")->SetFocus(true), QK_OK);
        ASSERT_TRUE(d.Settle());
        focused = d.ReadPicture(*d.Find("keyboard"));
        d.WhenADialogShows([](SdlHostWindow&) {}, "dialogEditKeyCurve/buttonClose", keyCurveShown);
        ASSERT_TRUE(d.PressKeys("Space"));
        ASSERT_TRUE(d.WaitUntil([&] { return keyCurveShown && d.TopWindow() == &d.MainWindow(); }))
            << "Space did not press the focused button";
    });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    ASSERT_FALSE(focused.IsEmpty());
    EXPECT_FALSE(
        EditorDriver::SavePicture(std::string("editor-focused-button") + scale.suffix + ".png", focused).empty());
}

// The preset's name box tells that it has the focus by more than its caret, which is off
// half the time: its LCD lights up. Pictured unfocused and focused.
TEST_P(EditorLooksTest, TheFocusedNameBoxShowsItBesideItsCaret)
{
    const Scale scale = GetParam();
    ScopedEnvironment dpi("VEDIDU_DPI", scale.dpi);
    Picture unfocused;
    Picture focused;
    EditorDriver driver;
    const int status = driver.Run([&](EditorDriver& d) {
        ASSERT_TRUE(d.Settle());
        auto* box = dynamic_cast<LTextBox*>(d.Find("presetName/editPanel/textBox").Get());
        ASSERT_TRUE(box);
        // The window opens with the focus in the box: it is taken away first.
        ASSERT_EQ(d.Find("fav1/sendButton")->SetFocus(true), QK_OK);
        ASSERT_TRUE(d.Settle());
        unfocused = d.ReadPicture(*box);
        ASSERT_EQ(box->SetFocus(true), QK_OK);
        ASSERT_TRUE(d.Settle());
        focused = d.ReadPicture(*box);
    });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    ASSERT_FALSE(unfocused.IsEmpty());
    ASSERT_EQ(focused.pixels.size(), unfocused.pixels.size());
    // Pixels that changed plainly, not by a shade: most of the box.
    std::size_t changed = 0;
    for (std::size_t i = 0; i < focused.pixels.size(); ++i)
        for (const int shift : {0, 8, 16})
            if (std::abs(static_cast<int>((focused.pixels[i] >> shift) & 0xFF) -
                         static_cast<int>((unfocused.pixels[i] >> shift) & 0xFF)) > 24)
            {
                ++changed;
                break;
            }
    EXPECT_GT(changed, focused.pixels.size() / 2) << "the focus shows only in the caret";
    EXPECT_FALSE(
        EditorDriver::SavePicture(std::string("editor-name-box-unfocused") + scale.suffix + ".png", unfocused).empty());
    EXPECT_FALSE(
        EditorDriver::SavePicture(std::string("editor-name-box-focused") + scale.suffix + ".png", focused).empty());
}

// The columns in which named differs plainly from blank (the same box without text); {-1, -1}
// when none does.
std::pair<std::int32_t, std::int32_t> InkColumns(const Picture& named, const Picture& blank)
{
    std::pair<std::int32_t, std::int32_t> ink{-1, -1};
    if (named.width != blank.width || named.height != blank.height)
        return ink;
    for (std::int32_t y = 0; y < named.height; ++y)
        for (std::int32_t x = 0; x < named.width; ++x)
            for (const int shift : {0, 8, 16})
                if (std::abs(static_cast<int>((named.At(x, y) >> shift) & 0xFF) -
                             static_cast<int>((blank.At(x, y) >> shift) & 0xFF)) > 48)
                {
                    ink.first = ink.first < 0 ? x : std::min(ink.first, x);
                    ink.second = std::max(ink.second, x);
                    break;
                }
    return ink;
}

// Empty when the unfocused box shows name whole: unscrolled, laid out inside its text area, and
// drawn from where its line starts to a clear column inside the area's right edge (a text cut
// there runs into the edge; the glyphs as drawn may be wider than measured).
std::string NameProblem(LTextBox& box, const std::string& name, const Picture& named, const Picture& blank)
{
    if (NString(box.GetText().GetString()).GetString() != name)
        return std::string("the box holds \"") + NString(box.GetText().GetString()).GetString() + "\"";
    if (box.HasFocus())
        return "the box kept the focus";
    if (box.GetScrollOffset().x != 0.0)
        return "the box is scrolled by " + std::to_string(box.GetScrollOffset().x);
    const RCPtr<LLook> look = box.GetLook(0);
    const RCPtr<LFontText> text = look ? look->GetFontText() : nullptr;
    if (!text || text->GetLineCount() != 1)
        return "the box lays out no line";
    const RectF line = text->GetLineRect(0);
    if (line.x < 0.0f || line.x + line.width > static_cast<float>(text->GetBoxWidth()))
        return "the line from " + std::to_string(line.x) + " to " + std::to_string(line.x + line.width) +
               " leaves the text area of " + std::to_string(text->GetBoxWidth());
    const auto [left, right] = InkColumns(named, blank);
    const std::int32_t areaLeft = look->GetTextOrigin().x;
    const std::int32_t areaRight = areaLeft + text->GetBoxWidth() - 1;
    if (left < 0)
        return "no text drawn";
    const auto lineLeft = areaLeft + static_cast<std::int32_t>(line.x);
    if (left < lineLeft || right >= areaRight)
        return "the text drawn from " + std::to_string(left) + " to " + std::to_string(right) +
               " is not the line from " + std::to_string(lineLeft) + " inside the text area's right edge at " +
               std::to_string(areaRight);
    return "";
}

// A whole name of sixteen capitals, digits and spaces, pasted into each name box, shows from its
// first character to its last once Tab has left the box, and again after the names come back
// from a preset file: the program name and the eight knob names.
TEST_P(EditorLooksTest, AWholeSixteenCharacterNameShowsInEveryUnfocusedNameBox)
{
    const Scale scale = GetParam();
    ScopedEnvironment dpi("VEDIDU_DPI", scale.dpi);
    const std::vector<std::string> paths = {
        "presetName/editPanel/textBox", "knobBank1/knob1/knobName/textBox", "knobBank1/knob2/knobName/textBox",
        "knobBank1/knob3/knobName/textBox", "knobBank1/knob4/knobName/textBox", "knobBank2/knob1/knobName/textBox",
        "knobBank2/knob2/knobName/textBox", "knobBank2/knob3/knobName/textBox", "knobBank2/knob4/knobName/textBox"};
    const std::vector<std::string> names = {"WWWWWWWWWWWWWWWW", "ABCDEFGHIJKLMNOP", "KNOB 1 CUTOFF 16",
                                            "MMMMMMMMMMMMMMMM", "0000000000000000", "WMWMWMWMWMWMWMWM",
                                            "KNOB 7 RELEASE 8", "QQQQQQQQQQQQQQQQ", "W W W W W W W WW"};
    Picture window;
    Picture opened;
    Picture focused;
    EditorDriver driver;
    const int status = driver.Run([&](EditorDriver& d) {
        ASSERT_TRUE(d.Settle());
        const std::string saved = d.Home() / "names.vedidu";
        // Each box as a person fills it: a click, Ctrl+A, Ctrl+V, then Tab away; its picture
        // with the pointer away and no text, then with the name.
        std::vector<Picture> blanks;
        const auto picture = [&](LTextBox& box) {
            EXPECT_TRUE(d.MoveTo("controllerBody"));
            EXPECT_TRUE(d.Settle());
            return d.ReadPicture(box);
        };
        for (std::size_t i = 0; i < paths.size(); ++i)
        {
            SCOPED_TRACE(paths[i]);
            auto* box = dynamic_cast<LTextBox*>(d.Find(paths[i]).Get());
            ASSERT_TRUE(box);
            ASSERT_TRUE(d.Click(paths[i]));
            ASSERT_TRUE(d.PressKeys("Ctrl+A"));
            ASSERT_TRUE(d.PressKeys("Delete"));
            ASSERT_TRUE(d.PressKeys("Tab"));
            blanks.push_back(picture(*box));
            ASSERT_TRUE(box->GetText().IsEmpty());

            SDL_SetClipboardText(names[i].c_str());
            ASSERT_TRUE(d.Click(paths[i]));
            ASSERT_TRUE(d.PressKeys("Ctrl+A"));
            ASSERT_TRUE(d.PressKeys("Ctrl+V"));
            ASSERT_TRUE(d.Settle());
            ASSERT_EQ(NString(box->GetText().GetString()).GetString(), names[i]) << "the paste did not arrive";
            if (i == 1)
                focused = d.ReadPicture(*box);
            ASSERT_TRUE(d.PressKeys("Tab"));
            EXPECT_EQ(NameProblem(*box, names[i], picture(*box), blanks.back()), "");
        }
        window = d.ReadPicture();

        // Saved, the names changed, then the file opened again: they come back into boxes
        // without the focus.
        d.FileDialogs().Answer(saved);
        ASSERT_TRUE(d.PressKeys("Ctrl+S"));
        ASSERT_TRUE(d.WaitUntil([&] { return std::filesystem::exists(saved); })) << "nothing saved";
        for (const std::string& path : paths)
            dynamic_cast<LTextBox&>(*d.Find(path)).SetText(WString(u"X"));
        ASSERT_TRUE(d.Settle());
        d.FileDialogs().Answer(saved);
        ASSERT_TRUE(d.PressKeys("Ctrl+O"));
        ASSERT_TRUE(d.WaitUntil([&] {
            return NString(dynamic_cast<LTextBox&>(*d.Find(paths[0])).GetText().GetString()).GetString() == names[0];
        })) << "the file was not opened";
        for (std::size_t i = 0; i < paths.size(); ++i)
        {
            SCOPED_TRACE(paths[i] + " after the file was opened");
            auto& box = dynamic_cast<LTextBox&>(*d.Find(paths[i]));
            EXPECT_EQ(NameProblem(box, names[i], picture(box), blanks[i]), "");
        }
        opened = d.ReadPicture();
        EXPECT_TRUE(d.Boxes().empty());
    });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    ASSERT_FALSE(window.IsEmpty());
    ASSERT_FALSE(opened.IsEmpty());
    ASSERT_FALSE(focused.IsEmpty());
    EXPECT_FALSE(EditorDriver::SavePicture(std::string("editor-names-pasted") + scale.suffix + ".png", window).empty());
    EXPECT_FALSE(EditorDriver::SavePicture(std::string("editor-names-opened") + scale.suffix + ".png", opened).empty());
    EXPECT_FALSE(
        EditorDriver::SavePicture(std::string("editor-knob-name-focused") + scale.suffix + ".png", focused).empty());
}

TEST_P(EditorLooksTest, ASelectionsHighlightLiesOnItsText)
{
    const Scale scale = GetParam();
    ScopedEnvironment dpi("VEDIDU_DPI", scale.dpi);
    EditorDriver driver;
    const int status = driver.Run([&](EditorDriver& d) {
        ASSERT_TRUE(d.Settle());
        for (const std::string path : {"knobBank1/knob1/ccValuePanel/parameterControl/textBox",
                                       "knobBank1/knob1/maxValuePanel/parameterControl/textBox",
                                       "padBank1/pad1/midiNote/parameterControl/numericUpDown/textBox"})
        {
            SCOPED_TRACE(path);
            auto* box = dynamic_cast<LTextBox*>(d.Find(path).Get());
            ASSERT_TRUE(box);
            ASSERT_EQ(box->SetFocus(true), QK_OK);
            box->SetSelection(0, -1);
            ASSERT_TRUE(d.Settle());
            const Picture picture = d.ReadPicture(*box);
            // Inside the field's frame: the highlight (the selection colour over the field) and
            // the text's ink, the caret left out.
            std::int32_t highlight[2] = {picture.width, -1};
            std::int32_t ink[2] = {picture.width, -1};
            for (std::int32_t y = 3 * scale.factor; y < picture.height - 3 * scale.factor; ++y)
                for (std::int32_t x = 2 * scale.factor; x < picture.width - 2 * scale.factor; ++x)
                {
                    const std::uint32_t pixel = picture.At(x, y);
                    const std::int32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
                    std::int32_t* range = nullptr;
                    if (r < 0x40 && g > r + 0x30 && b > r + 0x30)
                        range = highlight;
                    else if (r > 0xA0 && g > 0xA0 && b > 0xA0 && (r & g & b) != 0xFF)
                        range = ink;
                    if (range)
                    {
                        range[0] = std::min(range[0], x);
                        range[1] = std::max(range[1], x);
                    }
                }
            ASSERT_GE(ink[1], 0) << "no text drawn";
            EXPECT_LE(highlight[0], ink[0]);
            EXPECT_GE(highlight[1], ink[1]);
            EXPECT_LE(ink[0] - highlight[0], 4 * scale.factor);
            EXPECT_LE(highlight[1] - ink[1], 4 * scale.factor);
        }
    });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
}

// A button pressed and released at once (both waiting in one turn of the loop) whose click
// starts a MIDI exchange: its pressed look is on screen before the request leaves, and stays
// there while the exchange runs.
TEST_P(EditorLooksTest, ThePressedLookOfRecIsOnScreenBeforeTheRequestLeaves)
{
    const Scale scale = GetParam();
    ScopedEnvironment dpi("VEDIDU_DPI", scale.dpi);
    const RCPtr<ScriptedMidiManager> midi = ScriptedMidiManager::Create();
    EditorDriverOptions options;
    options.makeMidiManager = [&] { return RCPtr<LMidiManager>(midi.Get()); };
    Picture before;
    Picture pressed;
    Picture atRequest;
    EditorDriver driver(options);
    const int status = driver.Run([&](EditorDriver& d) {
        ASSERT_TRUE(d.Settle());
        const RCPtr<LControl> button = d.Find("fav3/recButton");
        ASSERT_TRUE(button);
        SdlHostWindow& window = d.MainWindow();
        const RectL rect = WindowRect(*button);
        const PointL centre{rect.x + rect.width / 2, rect.y + rect.height / 2};

        // What the window holds, read without painting first.
        const auto shownNow = [&] {
            Picture shown;
            window.ReadSurface(shown.pixels, shown.width, shown.height);
            return shown.Crop(rect);
        };
        // The focus elsewhere, so that the look shown before a press is neither pressed nor
        // focused.
        const auto focusElsewhere = [&] {
            ASSERT_EQ(d.Find("fav1/sendButton")->SetFocus(true), QK_OK);
            ASSERT_TRUE(d.Settle());
        };
        // The look of a press as first shown (one turn of the loop), released away from the
        // button (no click).
        focusElsewhere();
        before = d.ReadPicture(*button);
        ASSERT_TRUE(d.MoveTo("fav3/recButton"));
        d.ButtonAt(window, centre, true);
        d.Pump();
        pressed = shownNow();
        const RectL body = WindowRect(*d.Find("controllerBody"));
        d.MoveAt(window, PointL{body.x + 2, body.y + 2});
        d.ButtonAt(window, PointL{body.x + 2, body.y + 2}, false);
        ASSERT_TRUE(d.Settle());
        focusElsewhere();
        ASSERT_TRUE(midi->gets.empty());

        // What the window holds as the get starts.
        midi->beforeGet = [&](std::int32_t) { atRequest = shownNow(); };
        ASSERT_TRUE(d.Click("fav3/recButton"));
        ASSERT_TRUE(d.WaitUntil([&] { return !d.Boxes().empty(); })) << "no box after REC";
        EXPECT_EQ(midi->gets, std::vector<std::int32_t>{3});
    });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    ASSERT_FALSE(atRequest.IsEmpty()) << "no get started";
    EXPECT_GT(pressed.CountDifferences(before), 0u) << "the pressed look is the one shown before";
    EXPECT_EQ(atRequest.CountDifferences(pressed), 0u) << "the window did not show the pressed look";
    EXPECT_FALSE(EditorDriver::SavePicture(std::string("editor-rec-pressed-at-request") + scale.suffix + ".png",
                                           atRequest)
                     .empty());
}

// The window system asks for the picture again (the window mapped, or uncovered): the
// window's surface still holds it whole, so it is shown again as it was and no control is
// painted for it.
TEST_P(EditorLooksTest, AnExposedWindowShowsItsPictureAgainWithoutPaintingItsControls)
{
    const Scale scale = GetParam();
    ScopedEnvironment dpi("VEDIDU_DPI", scale.dpi);
    EditorDriver driver;
    const int status = driver.Run([&](EditorDriver& d) {
        ASSERT_TRUE(d.Settle());
        SdlHostWindow& window = d.MainWindow();
        const Picture before = d.ReadPicture();
        SDL_Event exposed{};
        exposed.type = SDL_WINDOWEVENT;
        exposed.window.event = SDL_WINDOWEVENT_EXPOSED;
        exposed.window.windowID = window.GetId();
        window.HandleEvent(exposed);
        EXPECT_FALSE(window.PaintIfNeeded()) << "the expose painted the controls again";
        Picture after;
        ASSERT_TRUE(window.ReadSurface(after.pixels, after.width, after.height));
        EXPECT_EQ(after.CountDifferences(before), 0u);
    });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
}

INSTANTIATE_TEST_SUITE_P(BothScales, EditorLooksTest,
                         kBothEditorScales, EditorScaleName);

} // namespace
} // namespace QK
