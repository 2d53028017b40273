// Pictures of the editor as a person sees it, at the standard and the high-DPI scale: the main
// window showing a favorite, the File menu with its "Send Favorite" submenu open, and the two
// dialogs. They are written to the build folder's pictures/ for a person to look through; the
// test itself checks that each view opened at the size its skin gives it.
#include "tests/support/Editor/EditorDriver.h"
#include "tests/support/Editor/EditorScales.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"
#include "QKFramework/Controls/PopupMenu.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

using Scale = EditorScale;

class EditorScreenshotsTest : public EditorScaleTest
{
};

void SetText(LRootModuleEngine& engine, std::uint32_t index, std::string text)
{
    text.resize(kNameByteSize, ' ');
    Variant value;
    value.SetBytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                   static_cast<std::uint32_t>(text.size()));
    engine.SetParamValue(ParamDescriptor(engine.GetFirstParamID() + index), value);
}

void SetByte(LRootModuleEngine& engine, std::uint32_t index, std::uint8_t byte)
{
    Variant value;
    value.SetBytes(&byte, 1);
    engine.SetParamValue(ParamDescriptor(engine.GetFirstParamID() + index), value);
}

// A favorite as a player might keep one: a name, named knobs, the joystick on controllers,
// a drum map on the pads.
void LoadFavorite(LRootModuleEngine& engine)
{
    SetText(engine, kProgramNameOffset, "STAGE PIANO");
    const char* const knobs[kHardwareKnobCount] = {"CUTOFF", "RESO",  "ATTACK", "DECAY",
                                                   "DRIVE",  "DELAY", "PAN",    "VOLUME"};
    for (std::uint32_t k = 0; k < kHardwareKnobCount; ++k)
        SetText(engine, kHardwareKnobOffset + k * kHardwareKnobParamCount + kHardwareKnobNameParam, knobs[k]);
    // One axis sends two controllers, the other one, so their editors show.
    SetByte(engine, kJoystickOffset, 2);
    SetByte(engine, kJoystickOffset + kJoystickParamCount, 1);
    for (std::uint32_t pad = 0; pad < kPadCount; ++pad)
        SetByte(engine, kPadOffset + pad, static_cast<std::uint8_t>(36 + pad));
}

TEST_P(EditorScreenshotsTest, TheMainWindowTheFileMenuAndBothDialogsArePictured)
{
    const Scale scale = GetParam();
    ScopedEnvironment dpi("VEDIDU_DPI", scale.dpi);
    const std::string suffix = scale.suffix;
    Picture main;
    Picture menu;
    Picture keyCurve;
    Picture about;
    bool keyCurveShown = false;
    bool aboutShown = false;

    EditorDriver driver;
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            const RCPtr<LRootModuleEngine> engine = d.Engine();
            ASSERT_TRUE(engine);
            LoadFavorite(*engine);
            ASSERT_TRUE(d.Settle());
            main = d.ReadPicture();

            ASSERT_TRUE(d.Click("mainMenu/File"));
            ASSERT_TRUE(d.WaitUntil([&] { return d.IsShown("mainMenu/File/popupMenu"); }))
                << "the File menu did not open";
            ASSERT_TRUE(d.Settle());
            ASSERT_TRUE(d.MoveTo("mainMenu/File/popupMenu/ItemControl1"));
            // The submenu opens once the pointer has rested on its item a while.
            ASSERT_TRUE(d.WaitUntil(
                [&]
                {
                    const auto* popup = dynamic_cast<LPopupMenu*>(d.Find("mainMenu/File/popupMenu").Get());
                    return popup && popup->GetOpenSubmenu() && popup->GetOpenSubmenu()->IsVisible(true);
                }))
                << "the Send Favorite submenu did not open";
            ASSERT_TRUE(d.Settle());
            menu = d.ReadPicture();
            // A click elsewhere closes the whole chain, as it does for a person.
            ASSERT_TRUE(d.Click("controllerBody"));
            ASSERT_TRUE(d.WaitUntil([&] { return !d.IsShown("mainMenu/File/popupMenu"); }))
                << "a click elsewhere did not close the File menu";

            d.WhenADialogShows([&](SdlHostWindow& window) { keyCurve = d.ReadPicture(&window); },
                               "dialogEditKeyCurve/buttonClose", keyCurveShown);
            ASSERT_TRUE(d.Click("buttonOpenKeyEditDialog"));
            ASSERT_TRUE(d.WaitUntil([&] { return keyCurveShown && d.TopWindow() == &d.MainWindow(); }));

            ASSERT_TRUE(d.Click("mainMenu/Help"));
            ASSERT_TRUE(d.WaitUntil([&] { return d.IsShown("mainMenu/Help/popupMenu"); }))
                << "the Help menu did not open";
            ASSERT_TRUE(d.Settle());
            d.WhenADialogShows([&](SdlHostWindow& window) { about = d.ReadPicture(&window); },
                               "dialogAbout/buttonClose", aboutShown);
            ASSERT_TRUE(d.Click("mainMenu/Help/popupMenu/ItemControl2"));
            ASSERT_TRUE(d.WaitUntil([&] { return aboutShown && d.TopWindow() == &d.MainWindow(); }));
            EXPECT_TRUE(d.Boxes().empty());
        });

    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    for (const auto& [name, picture] :
         {std::pair{"editor-main", &main}, std::pair{"editor-file-menu", &menu},
          std::pair{"editor-key-curve", &keyCurve}, std::pair{"editor-about", &about}})
    {
        ASSERT_FALSE(picture->IsEmpty()) << name;
        EXPECT_FALSE(EditorDriver::SavePicture(name + suffix + ".png", *picture).empty()) << name;
    }
    EXPECT_EQ(keyCurve.width, 500 * scale.factor);
    EXPECT_EQ(keyCurve.height, 340 * scale.factor);
}

INSTANTIATE_TEST_SUITE_P(BothScales, EditorScreenshotsTest,
                         kBothEditorScales, EditorScaleName);

} // namespace
} // namespace QK
