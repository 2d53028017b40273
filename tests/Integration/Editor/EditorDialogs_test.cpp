// The editor's two dialogs as a person opens them in the real program: the key curve from
// its button on the keybed panel, the about box from the Help menu. Each opens modally over
// the main window, is pictured for a person to look at, and closes with its own button.
#include "tests/support/Editor/EditorDriver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

class EditorDialogsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X server (scripts/test.sh starts Xvfb)";
    }
};

TEST_F(EditorDialogsTest, TheKeyCurveAndAboutDialogsOpenFromTheirButtonAndMenuAndCloseWithTheirOwnButtons)
{
    Picture keyCurve;
    Picture about;
    bool keyCurveShown = false;
    bool aboutShown = false;
    std::size_t windowsAfter = 0;

    EditorDriver driver;
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            ASSERT_TRUE(d.Click("mainMenu/Help"));
            ASSERT_TRUE(d.WaitUntil([&] { return d.IsShown("mainMenu/Help/popupMenu"); }))
                << "the Help menu did not open";
            ASSERT_TRUE(d.Settle());
            EditorDriver::SavePicture("editor-help-menu.png", d.ReadPicture());
            d.WhenADialogShows([&](SdlHostWindow& window) { about = d.ReadPicture(&window); },
                               "dialogAbout/buttonClose", aboutShown);
            ASSERT_TRUE(d.Click("mainMenu/Help/popupMenu/ItemControl2")) << "About";
            ASSERT_TRUE(d.WaitUntil([&] { return aboutShown && d.TopWindow() == &d.MainWindow(); }))
                << "the about dialog did not open and close";
            d.WhenADialogShows([&](SdlHostWindow& window) { keyCurve = d.ReadPicture(&window); },
                               "dialogEditKeyCurve/buttonClose", keyCurveShown);
            ASSERT_TRUE(d.Click("buttonOpenKeyEditDialog"));
            ASSERT_TRUE(d.WaitUntil([&] { return keyCurveShown && d.TopWindow() == &d.MainWindow(); }))
                << "the key-curve dialog did not open and close";

            windowsAfter = d.Application().GetRootWindows().size();
            EXPECT_TRUE(d.Boxes().empty());
        });

    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    EXPECT_EQ(windowsAfter, 1u) << "both dialogs closed";
    ASSERT_FALSE(keyCurve.IsEmpty());
    ASSERT_FALSE(about.IsEmpty());
    // The shipped dialogs at the standard scale (the test screen is below 160 dpi).
    EXPECT_EQ(keyCurve.width, 500);
    EXPECT_EQ(keyCurve.height, 340);
    EXPECT_FALSE(EditorDriver::SavePicture("editor-key-curve-dialog.png", keyCurve).empty());
    EXPECT_FALSE(EditorDriver::SavePicture("editor-about-dialog.png", about).empty());
}

} // namespace
} // namespace QK
