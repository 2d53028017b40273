// The splash screen of a program whose skin folder holds a "Splash.png", as a person sees it
// under the test script's Xvfb: while the start-up works, a window of the picture's size and
// without a frame stands centred on the screen, the picture's transparent parts left dark and
// a progress bar advancing near its bottom; once the main window shows, it is gone. What the
// screen showed is saved as a picture.
#include "QKFramework/Platform/Render/Cairo/PngWriter.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UI/ShellProbe/ProbeSkins.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// Last: the X headers define names (None) that the ones above use.
#include "tests/support/UI/XServerTools.h"

namespace QK
{
namespace
{

using namespace TestSupport;

constexpr const char* kStrings = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<Zelvo_StringTable_Definitions><Application Name=\"ShellProbe\"/>"
                                 "</Zelvo_StringTable_Definitions>\n";

constexpr std::int32_t kWidth = 360;
constexpr std::int32_t kHeight = 240;
constexpr std::int32_t kCorner = 30;
// The bar's fill, as the splash draws it unless told another colour.
constexpr std::uint32_t kBarFill = 0x06B025;

// A blue picture whose corners are transparent, with a white band across its middle.
std::vector<std::uint32_t> SplashPixels()
{
    std::vector<std::uint32_t> pixels;
    for (std::int32_t y = 0; y < kHeight; ++y)
        for (std::int32_t x = 0; x < kWidth; ++x)
        {
            const bool corner = (x < kCorner || x >= kWidth - kCorner) && (y < kCorner || y >= kHeight - kCorner);
            const bool band = y >= 100 && y < 120;
            pixels.push_back(corner ? 0x00000000u : band ? 0xFFFFFFFFu : 0xFF2050C0u);
        }
    return pixels;
}

TEST(ShellSplashTest, ASplashImageShowsCentredWhileTheStartUpWorksAndGoesWhenTheMainWindowShows)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X server (scripts/test.sh starts Xvfb)";
    TempFolder skins;
    skins.WriteFile("FrameworkStrings.xml", kProbeFrameworkStrings);
    skins.WriteFile("StringTables.xml", kStrings);
    skins.WriteFile("Skins.xml", kProbeSkins);
    ASSERT_TRUE(WritePngFile(skins / "Splash.png", SplashPixels(), kWidth, kHeight));
    TempFolder runtime;
    ScopedEnvironment runtimeHome("XDG_RUNTIME_DIR", runtime.Path().c_str());
    TempFolder config;
    ScopedEnvironment configHome("XDG_CONFIG_HOME", config.Path().c_str());
    const std::string release = runtime / "release";
    ScopedEnvironment releaseFile("VEDIDU_PROBE_RELEASE", release.c_str());

    const DisplayHandle display = OpenTestDisplay();
    ASSERT_TRUE(display);
    const Window root = DefaultRootWindow(display.get());
    RunningChildProcess probe;
    ASSERT_TRUE(probe.Start({VEDIDU_SHELL_PROBE, skins.Path(), "splash"}));

    Window splash = 0;
    ASSERT_TRUE(WaitUntil([&] { return (splash = FindClassedWindow(display.get(), root, "SplashWnd")) != 0; }, 60000,
                          20))
        << "no splash window showed: " << probe.Wait(1000).errorOutput;
    XWindowAttributes screen{};
    XWindowAttributes where{};
    ASSERT_TRUE(XGetWindowAttributes(display.get(), root, &screen));
    ASSERT_TRUE(XGetWindowAttributes(display.get(), splash, &where));
    EXPECT_EQ(where.width, kWidth);
    EXPECT_EQ(where.height, kHeight);
    EXPECT_EQ(where.x, (screen.width - kWidth) / 2);
    EXPECT_EQ(where.y, (screen.height - kHeight) / 2);
    EXPECT_TRUE(where.override_redirect) << "the splash is framed by a window manager";

    // The bar: inset a 25th of the width, 16 pixels high, 20 above the bottom; once it has
    // advanced its fill begins inside its frame.
    const std::int32_t inset = kWidth / 25;
    std::vector<std::uint32_t> shown;
    std::int32_t width = 0, height = 0;
    const auto at = [&](std::int32_t x, std::int32_t y)
    { return shown[static_cast<std::size_t>(y * width + x)] & 0xFFFFFFu; };
    EXPECT_TRUE(WaitUntil(
        [&]
        {
            shown = CaptureWindow(display.get(), splash, width, height);
            return width == kWidth && height == kHeight && at(inset + 2, kHeight - 20 + 8) == kBarFill;
        },
        20000, 50))
        << "no advancing bar";
    ASSERT_EQ(width, kWidth);
    EXPECT_EQ(at(kWidth / 2, 60), 0x2050C0u) << "the picture";
    EXPECT_EQ(at(kWidth / 2, 110), 0xFFFFFFu) << "the picture's band";
    EXPECT_EQ(at(2, 2), 0x000000u) << "a transparent corner is left dark";
    const std::vector<std::uint32_t> onScreen = CaptureWindow(display.get(), root, width, height);
    std::filesystem::create_directories(VEDIDU_PICTURES_FOLDER);
    EXPECT_TRUE(WritePngFile(std::string(VEDIDU_PICTURES_FOLDER) + "/splash-screen.png", onScreen, width, height));

    // The start-up goes on; the main window shows and the splash goes.
    runtime.WriteFile("release", "");
    Window main = 0;
    ASSERT_TRUE(WaitUntil([&] { return (main = FindProcessWindow(display.get(), root, probe.GetPid())) != 0; }, 60000,
                          20))
        << "the main window did not show";
    EXPECT_TRUE(WaitUntil([&] { return FindClassedWindow(display.get(), root, "SplashWnd") == 0; }, 10000, 20))
        << "the splash outlived the main window's showing";
    RequestClose(display.get(), main);
    const ChildProcessResult result = probe.Wait(60000);
    ASSERT_TRUE(result.finished) << result.errorOutput;
    EXPECT_EQ(result.exitStatus, 0) << result.errorOutput;
}

} // namespace
} // namespace QK
