// The splash screen's thread and its bar, over a window that writes down what it is asked:
// the bar's own arithmetic (steps, clamping, starting over); the thread that shows the
// picture, advances the bar by itself and ends when stopped; and the failures, each reported
// to the debug output with the splash's own words, none of which holds up the start.
#include "QKFramework/Application/SplashScreen.h"

#include "QKFramework/Utilities/Graphics/Bitmap.h"

#include "tests/support/DebugCapture.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

TEST(SplashProgressTest, TheBarStepsClampsAndStartsOverAsADesktopProgressBarDoes)
{
    const struct
    {
        const char* name;
        std::int32_t start;
        std::int32_t end;
        std::int32_t steps;
        std::int32_t step;
        std::vector<std::int32_t> positions;
    } cases[] = {
        // 100 / 40 is 2 in whole numbers: 40 ticks reach 80, the 41st does nothing.
        {"ten steps", 0, 100, 10, 2, std::vector<std::int32_t>(1, 0)},
        {"eight steps", 0, 100, 8, 3, {0, 3, 6}},
        {"past the end starts over", 90, 200, 1, 27, {90, 0, 27, 54, 81, 81}},
        {"no steps", 20, 100, 0, 0, {20, 20}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        LSplashScreen::Progress progress;
        progress.StartSteps(c.start, c.end, c.steps);
        EXPECT_TRUE(progress.GetBar().shown);
        EXPECT_EQ(progress.GetStep(), c.step);
        EXPECT_EQ(progress.GetBar().position, c.positions.front());
        for (std::size_t i = 1; i < c.positions.size(); ++i)
        {
            progress.Tick();
            EXPECT_EQ(progress.GetBar().position, c.positions[i]) << "after tick " << i;
        }
    }

    LSplashScreen::Progress tenSteps;
    tenSteps.StartSteps(0, 100, 10);
    int ticks = 1;
    while (tenSteps.Tick())
        ++ticks;
    EXPECT_EQ(ticks, 40);
    EXPECT_EQ(tenSteps.GetBar().position, 80);
    EXPECT_FALSE(tenSteps.Tick());
    EXPECT_EQ(tenSteps.GetBar().position, 80);

    for (const auto& [given, kept] : {std::pair{-5, 0}, std::pair{150, 100}, std::pair{42, 42}})
    {
        LSplashScreen::Progress bar;
        bar.SetPosition(given);
        EXPECT_EQ(bar.GetBar().position, kept) << given;
    }
}

// What the splash thread asked of its window; read on the test's thread.
struct WindowLog
{
    std::mutex mutex;
    bool opened = false;
    bool closed = false;
    SplashPicture picture;
    std::vector<SplashBar> bars;
    SplashWindowOpening answer = SplashWindowOpening::Open;
    bool paints = true;

    template <class F> auto Read(F f)
    {
        std::lock_guard lock(mutex);
        return f();
    }
};

class RecordingSplashWindow final : public ISplashWindow
{
public:
    explicit RecordingSplashWindow(WindowLog& log) : m_log(log) {}
    SplashWindowOpening Open(const SplashPicture& picture, const std::string&) override
    {
        std::lock_guard lock(m_log.mutex);
        m_log.opened = true;
        m_log.picture = picture;
        return m_log.answer;
    }
    bool ShowBar(const SplashBar& bar) override
    {
        std::lock_guard lock(m_log.mutex);
        m_log.bars.push_back(bar);
        return m_log.paints;
    }
    bool ProcessEvents() override { return true; }
    RectL GetRect() const override { return {10, 20, 4, 3}; }
    void Close() override
    {
        std::lock_guard lock(m_log.mutex);
        m_log.closed = true;
    }

private:
    WindowLog& m_log;
};

class SplashScreenTest : public ::testing::Test
{
protected:
    LSplashScreen::WindowFactory Factory()
    {
        return [this] { return std::make_unique<RecordingSplashWindow>(log); };
    }
    static constexpr ColorRGBA kColor{0.5f, 0.25f, 0.125f, 0.75f};
    // A 4 x 3 picture of one half-transparent colour.
    static ConstRCPtr<LBitmap> Image() { return LBitmap::CreateFilledBitmap(4, 3, kColor); }

    WindowLog log;
    DebugCapture debug;
};

TEST_F(SplashScreenTest, ThePictureShowsTheBarAdvancesByItselfAndStopEndsTheThread)
{
    LSplashScreen splash(Factory());
    splash.Init();
    splash.SetImage(Image());
    splash.SetImage(LBitmap::CreateFilledBitmap(9, 9, ColorRGBA{0.0f, 0.0f, 0.0f, 1.0f}));
    splash.Start();
    ASSERT_TRUE(splash.IsRunning());
    EXPECT_TRUE(log.Read([&] { return log.opened; }));
    EXPECT_EQ(log.Read([&] { return log.picture.width; }), 4) << "the first image is the one kept";
    EXPECT_EQ(log.Read([&] { return log.picture.height; }), 3);
    EXPECT_EQ(log.Read([&] { return log.picture.pixels; }), std::vector<std::uint32_t>(12, kColor.ToARGB()))
        << "the picture with its alpha, as 0xAARRGGBB";
    EXPECT_EQ(splash.GetWindowRect(), (RectL{10, 20, 4, 3}));
    EXPECT_EQ(debug.Text(), "");

    // Eight steps of the shell's range: 3 every 250 ms.
    splash.SetProgressRange(0, 100, 8);
    ASSERT_TRUE(WaitUntil([&] { return log.Read([&] { return !log.bars.empty() && log.bars.back().position >= 6; }); },
                          10000))
        << "the bar did not advance by itself";
    splash.SetProgress(100);
    ASSERT_TRUE(WaitUntil([&] { return log.Read([&] { return log.bars.back().position == 100; }); }, 10000));
    {
        const std::vector<SplashBar> bars = log.Read([&] { return log.bars; });
        EXPECT_EQ(bars.front().position, 0);
        for (std::size_t i = 1; i < bars.size() && bars[i].position != 100; ++i)
            EXPECT_EQ(bars[i].position, bars[i - 1].position + 3) << "tick " << i;
    }

    splash.Stop();
    EXPECT_FALSE(splash.IsRunning());
    EXPECT_TRUE(log.Read([&] { return log.closed; }));
    splash.Stop();
    EXPECT_FALSE(splash.IsRunning());
    EXPECT_EQ(debug.Text(), "");
}

TEST_F(SplashScreenTest, EachFailureIsReportedAndTheStartGoesOn)
{
    const struct
    {
        const char* name;
        bool image;
        SplashWindowOpening answer;
        bool paints;
        const char* reported;
        bool opened;
    } cases[] = {
        {"no image", false, SplashWindowOpening::Open, true, "Error starting SplashThread\n", false},
        {"no window system", true, SplashWindowOpening::NoWindowSystem, true,
         "Unable to register class SplashWnd\nError starting SplashThread\n", true},
        {"the window refused", true, SplashWindowOpening::NotCreated, true,
         "Unable to create SplashWnd\nError starting SplashThread\n", true},
        {"the picture not put", true, SplashWindowOpening::Open, false, "Unable to UpdateLayeredWindow\n", true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        DebugCapture reported;
        log.Read(
            [&]
            {
                log.opened = false;
                log.answer = c.answer;
                log.paints = c.paints;
                return 0;
            });
        LSplashScreen splash(Factory());
        splash.Init();
        if (c.image)
            splash.SetImage(Image());
        // Without a window the start goes on at once, not after the whole wait.
        splash.Start();
        splash.SetProgress(50);
        splash.SetProgress(60);
        if (!c.paints)
        {
            ASSERT_TRUE(WaitUntil([&] { return reported.Text() == c.reported; }, 10000)) << reported.Text();
        }
        splash.Stop();
        splash.Stop();
        EXPECT_EQ(reported.Text(), c.reported);
        EXPECT_EQ(log.Read([&] { return log.opened; }), c.opened);
    }
}

} // namespace
} // namespace QK
