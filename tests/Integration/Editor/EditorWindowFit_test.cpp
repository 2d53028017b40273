// The editor's window on a screen smaller than its skin: the window is cut to the work area
// and the device view scrolls inside it, so every control can still be reached by the mouse;
// a window size kept from a run under the other skin does not cut the window under this one.
#include "QKFramework/ControlBase/ScrollView.h"
#include "QKFramework/Controls/ScrollBar.h"
#include "QKFramework/Platform/Window/SdlWindowHost.h"

#include "QKFramework/Platform/Render/Cairo/PngWriter.h"
#include "tests/support/Editor/EditorDriver.h"
#include "tests/support/Editor/StoredPlacement.h"

#include <gtest/gtest.h>

#include <SDL.h>

// Last: the X headers define names (DestroyAll, None) that the ones above use.
#include "tests/Integration/Editor/EditorProcessSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

struct SkinCase
{
    const char* dpi;
    // The skin the dots per inch choose, and the size its main control takes at most.
    std::int32_t skin;
    std::int32_t width;
    std::int32_t height;
};

const SkinCase kStandard{"96", 1, 1240, 780};
const SkinCase kHighDpi{"160", 0, 2480, 1560};

// Wheel notches over point of window: vertical ones (positive away from the user), then
// horizontal ones (positive to the right).
void PushWheel(SdlHostWindow& window, PointL point, int vertical, int horizontal)
{
    for (int i = 0; i < std::abs(vertical) + std::abs(horizontal); ++i)
    {
        SDL_Event wheel{};
        wheel.wheel.type = SDL_MOUSEWHEEL;
        wheel.wheel.windowID = window.GetId();
        wheel.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
        const bool upright = i < std::abs(vertical);
        const float step = upright ? (vertical > 0 ? 1.0f : -1.0f) : (horizontal > 0 ? 1.0f : -1.0f);
        (upright ? wheel.wheel.preciseY : wheel.wheel.preciseX) = step;
        (upright ? wheel.wheel.y : wheel.wheel.x) = static_cast<Sint32>(step);
        wheel.wheel.mouseX = point.x;
        wheel.wheel.mouseY = point.y;
        SDL_PushEvent(&wheel);
    }
}

class EditorWindowFitTest : public ::testing::TestWithParam<SkinCase>
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X server (scripts/test.sh starts Xvfb)";
    }
};

// A window smaller than the skin (as on a small screen, here from the placement of the last
// run): the device view shows both scroll bars, and scrolled to its far corner with the
// wheel, the key-curve button there opens its dialog.
TEST_P(EditorWindowFitTest, InAWindowSmallerThanTheSkinTheDeviceViewScrollsToEveryControl)
{
    const SkinCase& c = GetParam();
    ScopedEnvironment dpi("VEDIDU_DPI", c.dpi);
    // Smaller than the skin, and than the screens the tests run on.
    const RectL small{20, 20, c.width / 2, c.height / 2 - 80};
    EditorDriver driver;
    StorePlacement(driver, small, c.skin);
    RectL client{};
    bool barsShown = false;
    bool reachableAtFirst = true;
    double vertical = 0.0;
    double horizontal = 0.0;
    bool dialogShown = false;
    Picture scrolled;
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            d.MainWindow().GetClientRect(client);
            auto* view = dynamic_cast<LScrollView*>(d.Find("viewDevice").Get());
            ASSERT_NE(view, nullptr);
            barsShown = LScrollView::IsUsable(view->GetVerticalBar()) && LScrollView::IsUsable(view->GetHorizontalBar());
            RectL button;
            d.Find("buttonOpenKeyEditDialog")->GetWindowRect(button);
            reachableAtFirst = button.x + button.width / 2 < client.width && button.y + button.height / 2 < client.height;
            // Over the bars, which leave the wheel to their view: the controls that the view
            // scrolls under the pointer may take it themselves.
            RectL bar;
            view->GetVerticalBar()->GetWindowRect(bar);
            PushWheel(d.MainWindow(), {bar.x + bar.width / 2, bar.y + bar.height / 2}, -60, 0);
            view->GetHorizontalBar()->GetWindowRect(bar);
            PushWheel(d.MainWindow(), {bar.x + bar.width / 2, bar.y + bar.height / 2}, 0, -60);
            ASSERT_TRUE(d.Settle());
            vertical = view->GetVerticalBar()->GetValue();
            horizontal = view->GetHorizontalBar()->GetValue();
            scrolled = d.ReadPicture();
            d.WhenADialogShows([](SdlHostWindow&) {}, "dialogEditKeyCurve/buttonClose", dialogShown);
            ASSERT_TRUE(d.Click("buttonOpenKeyEditDialog"));
            ASSERT_TRUE(d.WaitUntil([&] { return dialogShown && d.TopWindow() == &d.MainWindow(); }))
                << "the key-curve dialog did not open and close";
        });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(client.width, small.width);
    EXPECT_EQ(client.height, small.height);
    EXPECT_TRUE(barsShown) << "the device view shows no scroll bars";
    EXPECT_FALSE(reachableAtFirst) << "the window was not smaller than the skin";
    EXPECT_DOUBLE_EQ(vertical, 1.0) << "the wheel did not scroll the view to its bottom";
    EXPECT_DOUBLE_EQ(horizontal, 1.0) << "the wheel did not scroll the view to its right edge";
    EXPECT_TRUE(dialogShown);
    EXPECT_FALSE(EditorDriver::SavePicture(std::string("editor-scrolled-") + c.dpi + "dpi.png", scrolled).empty());
}

// A window size saved under the other skin leaves this skin's window at its own size (cut to
// the work area only); the place is kept.
TEST_P(EditorWindowFitTest, ASizeSavedUnderTheOtherSkinDoesNotCutTheWindow)
{
    const SkinCase& c = GetParam();
    const SkinCase& other = c.skin == kStandard.skin ? kHighDpi : kStandard;
    ScopedEnvironment dpi("VEDIDU_DPI", c.dpi);
    EditorDriver driver;
    StorePlacement(driver, {30, 40, other.width / 2, other.height / 2}, other.skin);
    RectL frame{};
    RectL work{};
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            frame = d.MainWindow().GetFrameRect();
            work = d.Application().GetWorkArea();
        });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(frame.width, std::min(c.width, work.width));
    EXPECT_EQ(frame.height, std::min(c.height, work.height));
    EXPECT_EQ(frame.x, std::clamp(30, work.x, work.x + work.width - frame.width));

    // The run noted its own skin: the next run under it takes the size back.
    ScopedEnvironment again("VEDIDU_DPI", c.dpi);
    RectL next{};
    EXPECT_EQ(driver.Run([&](EditorDriver& d) { next = d.MainWindow().GetFrameRect(); }), 0);
    EXPECT_EQ(next.width, frame.width);
    EXPECT_EQ(next.height, frame.height);
}

// The real program on a 1366 x 768 screen: the window fits it under either skin; the picture
// of the screen is kept for a person to look at.
TEST_P(EditorWindowFitTest, OnALaptopScreenTheWindowIsCutToTheScreen)
{
    const SkinCase& c = GetParam();
    PrivateXServer server("1366x768x24");
    ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
    ScopedEnvironment display("DISPLAY", server.Display().c_str());
    ScopedEnvironment dpi("VEDIDU_DPI", c.dpi);
    ProcessHome home;
    EditorWindow editor;
    ASSERT_TRUE(editor.Show());
    EXPECT_EQ(editor.width, std::min(c.width, 1366));
    EXPECT_EQ(editor.height, std::min(c.height, 768));
    std::int32_t width = 0, height = 0;
    const std::vector<std::uint32_t> screen =
        CaptureWindow(editor.display.get(), DefaultRootWindow(editor.display.get()), width, height);
    std::filesystem::create_directories(VEDIDU_PICTURES_FOLDER);
    EXPECT_TRUE(WritePngFile(std::string(VEDIDU_PICTURES_FOLDER) + "/editor-on-1366x768-" + c.dpi + "dpi.png", screen,
                             width, height));
    RequestClose(editor.display.get(), editor.window);
    const ChildProcessResult result = editor.process.Wait(60000);
    ASSERT_TRUE(result.finished) << result.errorOutput;
    EXPECT_EQ(result.exitStatus, 0) << result.errorOutput;
}

INSTANTIATE_TEST_SUITE_P(BothSkins, EditorWindowFitTest, ::testing::Values(kStandard, kHighDpi),
                         [](const ::testing::TestParamInfo<SkinCase>& info)
                         { return std::string("Dpi") + info.param.dpi; });

} // namespace
} // namespace QK
