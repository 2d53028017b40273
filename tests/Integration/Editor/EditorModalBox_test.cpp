// The editor's message boxes as a person meets them, in the real program under the test
// script's Xvfb and JACK: the box belongs to the editor's window (it asks to stay in front of
// it), the editor's window goes on painting while the box shows, and a click on the editor
// made while the box shows does nothing, neither then nor once the box is closed: a second
// SEND clicked "on the frozen window" must not reach the controller.
#include "tests/Integration/Editor/EditorProcessSupport.h"

#include "QKFramework/Platform/Render/Cairo/PngWriter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// The part of pixels (a width-wide picture) inside rect.
std::vector<std::uint32_t> Crop(const std::vector<std::uint32_t>& pixels, std::int32_t width, const RectL& rect)
{
    std::vector<std::uint32_t> part;
    for (std::int32_t y = rect.y; y < rect.y + rect.height; ++y)
        for (std::int32_t x = rect.x; x < rect.x + rect.width; ++x)
            part.push_back(pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                  static_cast<std::size_t>(x)]);
    return part;
}

TEST(EditorModalBoxTest, AClickOnTheWindowWhileASendReportShowsSendsNothingThenOrAfterTheBoxCloses)
{
    if (!HasDisplay())
        GTEST_SKIP() << "no X server (scripts/test.sh starts one)";
    ScopedEnvironment dpi("VEDIDU_DPI", "96");
    const PointL send3 = ControlCentre("fav3/sendButton");
    const PointL send5 = ControlCentre("fav5/sendButton");
    ASSERT_GE(send3.x, 0);
    ASSERT_GE(send5.x, 0);

    ProcessHome home;
    TempFolder logFolder;
    SimulatorProcess simulator;
    ASSERT_TRUE(StartSimulator(simulator, {"--log", logFolder / "simulator.log"}));
    EditorWindow editor;
    ASSERT_TRUE(editor.Show());
    Display* display = editor.display.get();
    const Window root = DefaultRootWindow(display);

    ASSERT_TRUE(ClickInWindow(display, editor.window, send3));
    Window box = 0;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindTitledWindow(display, root, "Send Favorite Success")) != 0; },
                          60000, 20))
        << "the send of favorite 3 showed no report";
    EXPECT_EQ(TransientFor(display, box), editor.window) << "the box is not tied to the editor's window";

    // The box laid over the favorites and taken away again: what it covered is the editor's
    // own picture again, painted while the box still shows.
    XMoveWindow(display, box, send5.x - 40, send5.y - 40);
    XSync(display, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    XMoveWindow(display, box, editor.width + 20, 20);
    XSync(display, False);
    const RectL covered{send5.x - 40, send5.y - 40, 120, 80};
    const std::vector<std::uint32_t> expected = Crop(editor.pixels, editor.width, covered);
    std::vector<std::uint32_t> shown;
    const bool repainted = WaitUntil(
        [&]
        {
            std::int32_t width = 0, height = 0;
            const std::vector<std::uint32_t> pixels = CaptureWindow(display, editor.window, width, height);
            shown = Crop(pixels, width, covered);
            return shown == expected;
        },
        10000, 50);
    EXPECT_TRUE(repainted) << "what the box uncovered was not painted again while it showed";
    std::filesystem::create_directories(VEDIDU_PICTURES_FOLDER);
    {
        std::int32_t width = 0, height = 0;
        const std::vector<std::uint32_t> screen = CaptureWindow(display, root, width, height);
        EXPECT_TRUE(WritePngFile(std::string(VEDIDU_PICTURES_FOLDER) + "/editor-send-report-box.png", screen, width,
                                 height));
    }

    // SEND of favorite 5 clicked while the report shows; then the box is closed.
    ASSERT_TRUE(ClickInWindow(display, editor.window, send5));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    RequestClose(display, box);
    ASSERT_TRUE(WaitUntil([&] { return FindTitledWindow(display, root, "Send Favorite Success") == 0; }, 10000, 20))
        << "the box did not close";
    // Long enough for a click kept for later to have been acted on, and for its report to show.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_EQ(FindTitledWindow(display, root, "Send Favorite Success"), 0u) << "a second send was reported";

    RequestClose(display, editor.window);
    const ChildProcessResult result = editor.process.Wait(60000);
    ASSERT_TRUE(result.finished) << result.errorOutput;
    EXPECT_EQ(result.exitStatus, 0) << result.errorOutput;
    EXPECT_TRUE(NoSanitizerReport(result.errorOutput)) << result.errorOutput;
    EXPECT_EQ(simulator.Stop(), 0);
    EXPECT_EQ(SentPresets(logFolder.ReadFile("simulator.log")), std::vector<int>{3})
        << "the controller stored what the click on the blocked window sent";
}

} // namespace
} // namespace QK
