// What the editor's windows tell the desktop of themselves, read back through the X server:
// the main window carries the company name as its title and the application's icon at the
// skin's scale (48 pixels at 96 dpi, 96 at 160), and each dialog its own title and the same
// icon.
#include "QKFramework/Platform/Core/Resources.h"
#include "QKFramework/Platform/Window/SdlWindowHost.h"
#include "QKFramework/Utilities/Graphics/PngDecoder.h"
#include "tests/support/Editor/EditorDriver.h"

// Last: the X headers define names (DestroyAll, None) that the ones above use.
#include "tests/Integration/Editor/EditorProcessSupport.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// The icon resource as the window manager gets it: 0xAARRGGBB, straight alpha.
std::vector<std::uint32_t> ExpectedIcon(const char* name, std::uint32_t& width, std::uint32_t& height)
{
    const std::span<const std::uint8_t> png = FindResourceData(GetApplicationInstance(), "ICON", name);
    DecodedImage image;
    std::vector<std::uint32_t> pixels;
    if (png.empty() || !DecodePng(png.data(), png.size(), image))
        return pixels;
    width = image.width;
    height = image.height;
    for (std::size_t i = 0; i + 3 < image.pixels.size(); i += 4)
        pixels.push_back(static_cast<std::uint32_t>(image.pixels[i + 3]) << 24 |
                         static_cast<std::uint32_t>(image.pixels[i + 2]) << 16 |
                         static_cast<std::uint32_t>(image.pixels[i + 1]) << 8 | image.pixels[i]);
    return pixels;
}

struct IdentityCase
{
    const char* dpi;
    const char* icon;
    std::uint32_t size;
};

class EditorWindowIdentityTest : public ::testing::TestWithParam<IdentityCase>
{
};

TEST_P(EditorWindowIdentityTest, TheMainWindowIsTitledWithTheCompanyAndCarriesTheIconAtTheSkinsScale)
{
    if (!HasDisplay())
        GTEST_SKIP() << "no X server (scripts/test.sh starts one)";
    const IdentityCase& c = GetParam();
    std::uint32_t width = 0, height = 0;
    const std::vector<std::uint32_t> expected = ExpectedIcon(c.icon, width, height);
    ASSERT_FALSE(expected.empty()) << "the program has no icon resource " << c.icon;
    ASSERT_EQ(width, c.size);

    ScopedEnvironment dpi("VEDIDU_DPI", c.dpi);
    ProcessHome home;
    EditorWindow editor;
    ASSERT_TRUE(editor.Show());
    // The program's resources hold no splash image: none showed, none is left.
    EXPECT_EQ(FindClassedWindow(editor.display.get(), DefaultRootWindow(editor.display.get()), "SplashWnd"), 0u);
    std::uint32_t iconWidth = 0, iconHeight = 0;
    const std::vector<std::uint32_t> icon = ReadWindowIcon(editor.display.get(), editor.window, iconWidth, iconHeight);
    EXPECT_EQ(iconWidth, c.size);
    EXPECT_EQ(iconHeight, c.size);
    EXPECT_TRUE(icon == expected) << "the window's icon is not the application's icon";
    EXPECT_EQ(ReadWindowTitle(editor.display.get(), editor.window), "Dozavod Professional");

    RequestClose(editor.display.get(), editor.window);
    const ChildProcessResult result = editor.process.Wait(60000);
    ASSERT_TRUE(result.finished) << result.errorOutput;
    EXPECT_EQ(result.exitStatus, 0) << result.errorOutput;
}

INSTANTIATE_TEST_SUITE_P(BothSkins, EditorWindowIdentityTest,
                         ::testing::Values(IdentityCase{"96", "2002", 48}, IdentityCase{"160", "2002_2X", 96}),
                         [](const ::testing::TestParamInfo<IdentityCase>& info)
                         { return std::string("Dpi") + info.param.dpi; });

TEST(EditorDialogIdentityTest, EachDialogIsTitledWithItsTextAndCarriesTheIcon)
{
    if (!HasDisplay())
        GTEST_SKIP() << "no X server (scripts/test.sh starts one)";
    std::uint32_t width = 0, height = 0;
    const std::vector<std::uint32_t> expected = ExpectedIcon("2002", width, height);
    ASSERT_FALSE(expected.empty());
    const DisplayHandle display = OpenTestDisplay();
    ASSERT_TRUE(display);

    struct Seen
    {
        std::string sdlTitle;
        std::string xTitle;
        std::vector<std::uint32_t> icon;
        bool shown = false;
    };
    Seen about;
    Seen keyCurve;
    const auto look = [&](Seen& seen)
    {
        return [&](SdlHostWindow& window)
        {
            seen.sdlTitle = SDL_GetWindowTitle(window.GetSdlWindow());
            XSync(display.get(), False);
            const Window x = static_cast<Window>(window.GetXWindow());
            seen.xTitle = ReadWindowTitle(display.get(), x);
            std::uint32_t w = 0, h = 0;
            seen.icon = ReadWindowIcon(display.get(), x, w, h);
        };
    };
    ScopedEnvironment dpi("VEDIDU_DPI", "96");
    EditorDriver driver;
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            d.WhenADialogShows(look(about), "dialogAbout/buttonClose", about.shown);
            ASSERT_TRUE(d.Click("mainMenu/Help"));
            ASSERT_TRUE(d.WaitUntil([&] { return d.IsShown("mainMenu/Help/popupMenu"); }));
            ASSERT_TRUE(d.Click("mainMenu/Help/popupMenu/ItemControl2")) << "About";
            ASSERT_TRUE(d.WaitUntil([&] { return about.shown && d.TopWindow() == &d.MainWindow(); }));
            d.WhenADialogShows(look(keyCurve), "dialogEditKeyCurve/buttonClose", keyCurve.shown);
            ASSERT_TRUE(d.Click("buttonOpenKeyEditDialog"));
            ASSERT_TRUE(d.WaitUntil([&] { return keyCurve.shown && d.TopWindow() == &d.MainWindow(); }));
        });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(about.sdlTitle, "About Vedidu Editor");
    EXPECT_EQ(about.xTitle, "About Vedidu Editor");
    EXPECT_TRUE(about.icon == expected) << "the about dialog carries no icon, or another";
    EXPECT_EQ(keyCurve.sdlTitle, "Edit Keybed Curve");
    EXPECT_EQ(keyCurve.xTitle, "Edit Keybed Curve");
    EXPECT_TRUE(keyCurve.icon == expected) << "the key-curve dialog carries no icon, or another";
}

} // namespace
} // namespace QK
