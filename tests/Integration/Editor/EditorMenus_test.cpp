// The menu bar in the real program, at both scales: every way a File menu chain ends (a
// submenu item chosen, with the report box it brings; Escape; a click elsewhere) takes the
// menus off the screen at once, so that what the window shows is what a full repaint draws;
// Escape gives the keyboard back to the control that had it before the menu.
// Pictures of the main window after a submenu item was chosen go to pictures/.
#include "tests/support/Editor/EditorDriver.h"

#include "QKFramework/Application/RootWindow.h"
#include "QKFramework/Controls/PopupMenu.h"
#include "QKFramework/Platform/Window/SdlWindowHost.h"
#include "tests/support/Recorder.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

class EditorMenusTest : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X server (scripts/test.sh starts Xvfb)";
    }
};

LPopupMenu* FileMenu(const EditorDriver& d)
{
    return dynamic_cast<LPopupMenu*>(d.Find("mainMenu/File/popupMenu").Get());
}

// Opens File and rests the pointer on its row (when one is named) until that row's submenu
// shows.
::testing::AssertionResult OpenSubmenu(EditorDriver& d, const char* row)
{
    if (!d.Click("mainMenu/File"))
        return ::testing::AssertionFailure() << "File cannot be clicked";
    if (!d.WaitUntil([&] { return d.IsShown("mainMenu/File/popupMenu"); }) || !d.Settle())
        return ::testing::AssertionFailure() << "the File menu did not open";
    if (!row)
        return ::testing::AssertionSuccess();
    if (const ::testing::AssertionResult moved = d.MoveTo(std::string("mainMenu/File/popupMenu/") + row); !moved)
        return moved;
    const bool open = d.WaitUntil(
        [&]
        {
            const LPopupMenu* menu = FileMenu(d);
            return menu && menu->GetOpenSubmenu() && menu->GetOpenSubmenu()->IsVisible(true);
        });
    if (!open || !d.Settle())
        return ::testing::AssertionFailure() << "the submenu of " << row << " did not open";
    return ::testing::AssertionSuccess();
}

// How many pixels of what the window shows differ from a repaint of the whole window.
std::size_t StalePixels(EditorDriver& d, Picture& shown)
{
    shown = d.ReadPicture();
    d.MainRoot().InvalidateAll();
    const Picture repainted = d.ReadPicture();
    return shown.CountDifferences(repainted);
}

TEST_P(EditorMenusTest, EveryWayAMenuChainEndsTakesItsPicturesOffTheWindow)
{
    ScopedEnvironment dpi("VEDIDU_DPI", GetParam());
    struct Case
    {
        const char* name;
        // The File row whose submenu opens first; null: none.
        const char* row;
        // The submenu row to click; null: the chain is ended otherwise.
        const char* choose;
        const char* key;
    };
    // Get Favorite's rows are Favorite 1 to 8; Send Favorite's Ram, then Favorite 1 to 8.
    const Case cases[] = {
        {"Get Favorite > Favorite 2", "ItemControl2", "ItemControl2", nullptr},
        {"Send Favorite > Favorite 7", "ItemControl1", "ItemControl8", nullptr},
        {"Escape", "ItemControl1", nullptr, "Escape"},
        {"Escape without a submenu", nullptr, nullptr, "Escape"},
        {"a click elsewhere", "ItemControl2", nullptr, nullptr},
    };
    Picture afterChoice;
    EditorDriver driver;
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            ASSERT_TRUE(d.Settle());
            for (const Case& c : cases)
            {
                SCOPED_TRACE(c.name);
                d.ClearBoxes();
                ASSERT_TRUE(OpenSubmenu(d, c.row));
                if (c.choose)
                    ASSERT_TRUE(d.Click(std::string("mainMenu/File/popupMenu/submenu/") + c.choose));
                else if (c.key)
                    ASSERT_TRUE(d.PressKeys(c.key));
                else
                    ASSERT_TRUE(d.Click("controllerBody"));
                ASSERT_TRUE(d.WaitUntil([&] { return !d.IsShown("mainMenu/File/popupMenu"); }))
                    << "the chain stayed open";
                ASSERT_TRUE(d.Settle());
                EXPECT_FALSE(FileMenu(d) && FileMenu(d)->GetOpenSubmenu()) << "the submenu stayed open";
                // Without a controller the chosen command reports its failure in a box.
                EXPECT_EQ(d.Boxes().size(), c.choose ? 1u : 0u);
                Picture shown;
                EXPECT_EQ(StalePixels(d, shown), 0u) << "a picture of the closed menus stays on the window";
                if (c.choose && afterChoice.IsEmpty())
                    afterChoice = shown;
            }
        });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    EXPECT_FALSE(
        EditorDriver::SavePicture(std::string("editor-after-file-submenu-") + GetParam() + "dpi.png", afterChoice).empty());
}

bool InMenuBar(const LControl* control)
{
    for (; control; control = control->GetParent())
        if (Narrow(control->GetName()) == "mainMenu")
            return true;
    return false;
}

// However the menu was entered, Escape closes it and gives the keyboard back to the control
// that had it: what is typed next goes into the program name, and Tab moves on from there.
TEST_P(EditorMenusTest, EscapeGivesTheKeyboardBackToWhereItWas)
{
    ScopedEnvironment dpi("VEDIDU_DPI", GetParam());
    struct Case
    {
        const char* name;
        std::function<::testing::AssertionResult(EditorDriver&)> open;
    };
    const Case cases[] = {
        {"the File menu", [](EditorDriver& d) { return OpenSubmenu(d, nullptr); }},
        {"a submenu opened under the pointer", [](EditorDriver& d) { return OpenSubmenu(d, "ItemControl1"); }},
        {"a submenu entered by key",
         [](EditorDriver& d)
         {
             if (const ::testing::AssertionResult opened = OpenSubmenu(d, nullptr); !opened)
                 return opened;
             if (!d.PressKeys("Down") || !d.PressKeys("Right") || !d.Settle())
                 return ::testing::AssertionFailure() << "keys did not reach the menu";
             const LPopupMenu* menu = FileMenu(d);
             return menu && menu->GetOpenSubmenu() && menu->GetOpenSubmenu()->HasFocus()
                        ? ::testing::AssertionSuccess()
                        : ::testing::AssertionFailure() << "Right did not enter the submenu";
         }},
        {"Help, reached from File by the pointer",
         [](EditorDriver& d)
         {
             if (const ::testing::AssertionResult opened = OpenSubmenu(d, nullptr); !opened)
                 return opened;
             if (const ::testing::AssertionResult moved = d.MoveTo("mainMenu/Help"); !moved)
                 return moved;
             return d.WaitUntil([&] { return d.IsShown("mainMenu/Help/popupMenu"); }) && d.Settle()
                        ? ::testing::AssertionSuccess()
                        : ::testing::AssertionFailure() << "Help did not open";
         }},
    };
    const std::string nameBox = "viewDevice/presetName/editPanel/textBox";
    EditorDriver driver;
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            ASSERT_TRUE(d.Settle());
            LRootWindow& root = d.MainRoot();
            const RCPtr<LControl> box = d.Find(nameBox);
            ASSERT_TRUE(box);
            for (const Case& c : cases)
            {
                SCOPED_TRACE(c.name);
                ASSERT_TRUE(d.Click(nameBox));
                ASSERT_TRUE(d.Settle());
                ASSERT_EQ(root.GetFocusedControl(), box.Get());
                ASSERT_TRUE(c.open(d));
                ASSERT_TRUE(InMenuBar(root.GetFocusedControl())) << "the open menu does not have the keyboard";
                ASSERT_TRUE(d.PressKeys("Escape"));
                ASSERT_TRUE(d.Settle());
                EXPECT_FALSE(d.IsShown("mainMenu/File/popupMenu") || d.IsShown("mainMenu/Help/popupMenu"));
                EXPECT_EQ(root.GetFocusedControl(), box.Get()) << "the keyboard stays in the menu bar";
                ASSERT_TRUE(d.PressKeys("Ctrl+A"));
                d.Type(c.name);
                ASSERT_TRUE(d.Settle());
                EXPECT_EQ(Narrow(box->GetText()).rfind(std::string(c.name).substr(0, 16), 0), 0u)
                    << "typed text went elsewhere: " << Narrow(box->GetText());
                ASSERT_TRUE(d.PressKeys("Tab"));
                ASSERT_TRUE(d.Settle());
                EXPECT_NE(root.GetFocusedControl(), box.Get()) << "Tab did not move on";
                EXPECT_NE(root.GetFocusedControl(), nullptr);
                EXPECT_FALSE(InMenuBar(root.GetFocusedControl()));
            }
        });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
}

INSTANTIATE_TEST_SUITE_P(BothScales, EditorMenusTest, ::testing::Values("96", "160"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param) + "dpi"; });

} // namespace
} // namespace QK
