// The device picture under the keyboard and the wheel in the real program. A picture that
// fits the window never moves, whatever key the focused slider passes on (End, Home, Page Up,
// Page Down) and wherever the wheel turns; in a window smaller than the picture the same keys
// and the wheel scroll it to its edges and back, never past them; and the focus that Tab
// moves is scrolled into view in a window cut to a small screen.
#include "tests/support/Editor/EditorDriver.h"
#include "tests/support/Editor/ScreenOfSize.h"
#include "tests/support/Editor/StoredPlacement.h"

#include "QKFramework/Application/RootWindow.h"
#include "QKFramework/ControlBase/ScrollView.h"
#include "QKFramework/Controls/ScrollBar.h"
#include "QKFramework/Platform/Window/SdlWindowHost.h"
#include "tests/support/Recorder.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

class EditorScrollingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X server (scripts/test.sh starts Xvfb)";
        // The full-size window on screen whatever the desktop; smaller windows are made here.
        ASSERT_TRUE(UseScreenOfSize(kWholeWindowScreenWidth, kWholeWindowScreenHeight));
    }
};

LScrollView& DeviceView(EditorDriver& d)
{
    auto* view = dynamic_cast<LScrollView*>(d.Find("viewDevice").Get());
    if (!view)
        throw std::runtime_error("no device view");
    return *view;
}

// A point over the bare picture (no control of its own there), as low and as far right as
// one is found: the speaker grille.
PointL BarePoint(EditorDriver& d)
{
    const RCPtr<LControl> body = d.Find("viewDevice/controllerBody");
    RectL shown;
    DeviceView(d).GetWindowRect(shown);
    const LongPair client = d.MainRoot().GetClientSize();
    for (std::int32_t y = std::min(shown.y + shown.height, client.second) - 20; y > shown.y; y -= 9)
        for (std::int32_t x = std::min(shown.x + shown.width, client.first) - 40; x > shown.x; x -= 9)
            if (d.MainRoot().FindControlAt(PointL{x, y}) == body.Get())
                return PointL{x, y};
    throw std::runtime_error("no bare place on the picture");
}

// Gives the FILTER slider the keyboard focus; the control that holds it (null when it went
// elsewhere).
RCPtr<LControl> FocusFilterSlider(EditorDriver& d)
{
    const RCPtr<LControl> slider = d.Find("viewDevice/keysSoundParameters/filter/slider1");
    if (!slider)
        return nullptr;
    slider->SetFocus(true);
    // The slider passes the focus on to its thumb, as Tab brings it there.
    const RCPtr<LControl> focus = d.MainRoot().GetFocusControl();
    for (LControl* at = focus.Get(); at; at = at->GetParent())
        if (at == slider.Get())
            return focus;
    return nullptr;
}

std::string Offset(const LScrollView& view)
{
    std::ostringstream text;
    text << view.GetScrollOffset().x << "," << view.GetScrollOffset().y;
    return text.str();
}

// 96 dpi, the window at full size: the picture fits it, so nothing scrolls it. The keys the
// slider does not take reach the view's hidden bars, which leave them; the wheel over the
// grille finds no bar to turn.
TEST_F(EditorScrollingTest, APictureThatFitsTheWindowNeverMovesUnderKeysOrTheWheel)
{
    ScopedEnvironment dpi("VEDIDU_DPI", "96");
    EditorDriver driver;
    Picture after;
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            ASSERT_TRUE(d.Settle());
            LScrollView& view = DeviceView(d);
            ASSERT_FALSE(LScrollView::IsUsable(view.GetVerticalBar()) || LScrollView::IsUsable(view.GetHorizontalBar()))
                << "the picture fits the full-size window";
            const RCPtr<LControl> slider = FocusFilterSlider(d);
            ASSERT_TRUE(slider) << "the FILTER slider takes the focus";
            const double value = slider->GetValue();
            const RCPtr<LControl> body = d.Find("viewDevice/controllerBody");
            RectL place;
            body->GetWindowRect(place);
            const LongPair client = d.MainRoot().GetClientSize();
            const RectL band{0, 0, client.first, place.y + 40};
            const Picture top = d.ReadPicture().Crop(band);
            const PointL bare = BarePoint(d);

            const auto unmoved = [&](const std::string& what)
            {
                ASSERT_TRUE(d.Settle());
                EXPECT_EQ(Offset(view), "0,0") << what;
                RectL now;
                body->GetWindowRect(now);
                EXPECT_EQ(now.y, place.y) << what << " moved the picture";
                EXPECT_EQ(d.ReadPicture().Crop(band).CountDifferences(top), 0u) << what << " changed the top of the window";
                EXPECT_EQ(slider->GetValue(), value) << what << " moved the slider";
            };
            for (const char* key : {"End", "PageDown", "Home", "PageUp", "End"})
            {
                ASSERT_TRUE(d.PressKeys(key));
                unmoved(key);
            }
            d.WheelAt(d.MainWindow(), bare, 5);
            unmoved("the wheel toward the user over the grille");
            d.WheelAt(d.MainWindow(), bare, -5);
            unmoved("the wheel away from the user over the grille");
            slider->SetFocus(true);
            ASSERT_TRUE(d.PressKeys("End"));
            unmoved("End after the wheel");
            after = d.ReadPicture();
        });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    EXPECT_FALSE(EditorDriver::SavePicture("editor-fitting-after-end-96dpi.png", after).empty());
}

// 96 dpi, the window cut to half the picture's height: End and Home take it to its bottom and
// back, Page Down and the wheel stop at the bottom, Page Up and the wheel stop at the top.
TEST_F(EditorScrollingTest, InAWindowSmallerThanThePictureKeysAndTheWheelScrollToItsEdgesAndBack)
{
    ScopedEnvironment dpi("VEDIDU_DPI", "96");
    EditorDriver driver;
    // As wide as the picture, half as tall: only the vertical bar shows.
    StorePlacement(driver, {20, 20, 1240, 390}, 1);
    Picture atTheBottom;
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            ASSERT_TRUE(d.Settle());
            LScrollView& view = DeviceView(d);
            ASSERT_TRUE(d.WaitUntil([&] { return LScrollView::IsUsable(view.GetVerticalBar()); }))
                << "the cut window shows no vertical bar";
            ASSERT_TRUE(d.Settle());
            ASSERT_FALSE(LScrollView::IsUsable(view.GetHorizontalBar())) << "the picture is as wide as the window";
            const double bottom = view.GetClientExtent().height;
            ASSERT_GT(bottom, 100.0);
            const std::string end = "0," + std::to_string(static_cast<int>(bottom));
            ASSERT_TRUE(FocusFilterSlider(d));
            const PointL bare = BarePoint(d);

            struct Step
            {
                const char* key;
                int times;
                std::string offset;
            };
            const Step steps[] = {{"End", 1, end},     {"Home", 1, "0,0"},    {"PageDown", 8, end},
                                  {"End", 1, end},     {"PageUp", 8, "0,0"},  {"Home", 1, "0,0"}};
            for (const Step& step : steps)
            {
                for (int i = 0; i < step.times; ++i)
                {
                    ASSERT_TRUE(d.PressKeys(step.key));
                    ASSERT_TRUE(d.Settle());
                    EXPECT_GE(view.GetScrollOffset().y, 0.0) << step.key;
                    EXPECT_LE(view.GetScrollOffset().y, bottom) << step.key;
                }
                EXPECT_EQ(Offset(view), step.offset) << step.key << " x" << step.times;
                if (std::string(step.key) == "End" && atTheBottom.IsEmpty())
                    atTheBottom = d.ReadPicture();
            }
            d.WheelAt(d.MainWindow(), bare, 200);
            ASSERT_TRUE(d.Settle());
            EXPECT_EQ(Offset(view), end) << "the wheel toward the user, far past the bottom";
            d.WheelAt(d.MainWindow(), bare, -200);
            ASSERT_TRUE(d.Settle());
            EXPECT_EQ(Offset(view), "0,0") << "the wheel away from the user, far past the top";
        });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    EXPECT_FALSE(EditorDriver::SavePicture("editor-cut-window-end-96dpi.png", atTheBottom).empty());
}

// 160 dpi, the window cut to a 1366 x 768 screen: every control that Tab brings the focus to
// shows, scrolled into the view when it lay outside.
TEST_F(EditorScrollingTest, TabScrollsTheFocusedControlIntoViewInAWindowCutToASmallScreen)
{
    ScopedEnvironment dpi("VEDIDU_DPI", "160");
    EditorDriver driver;
    const RectL frame{0, 0, 1366, 740};
    StorePlacement(driver, frame, 0);
    Picture scrolledToFocus;
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            ASSERT_TRUE(d.Settle());
            ASSERT_TRUE(d.Application().IsHighDpi());
            LScrollView& view = DeviceView(d);
            ASSERT_TRUE(d.WaitUntil([&] { return LScrollView::IsUsable(view.GetVerticalBar()); }))
                << "the cut window shows no vertical bar";
            ASSERT_TRUE(d.Settle());
            RectL shown;
            view.GetWindowRect(shown);
            const RectD inside = view.GetChildClientRect(nullptr);
            const RectL visible{shown.x + static_cast<std::int32_t>(inside.x), shown.y + static_cast<std::int32_t>(inside.y),
                                static_cast<std::int32_t>(inside.width), static_cast<std::int32_t>(inside.height)};
            int scrolled = 0;
            for (int tab = 1; tab <= 40; ++tab)
            {
                const std::string before = Offset(view);
                ASSERT_TRUE(d.PressKeys("Tab"));
                ASSERT_TRUE(d.Settle());
                const RCPtr<LControl> focus = d.MainRoot().GetFocusControl();
                ASSERT_TRUE(focus) << "Tab " << tab << " left no focus";
                if (Offset(view) != before)
                {
                    ++scrolled;
                    if (scrolledToFocus.IsEmpty())
                        scrolledToFocus = d.ReadPicture();
                }
                bool inView = false;
                for (LControl* at = focus->GetParent(); at; at = at->GetParent())
                    inView = inView || at == &view;
                RectL place;
                focus->GetWindowRect(place);
                const RectL within = inView ? visible : RectL{0, 0, frame.width, frame.height};
                EXPECT_TRUE(place.x >= within.x && place.y >= within.y && place.x + place.width <= within.x + within.width &&
                            place.y + place.height <= within.y + within.height)
                    << "after Tab " << tab << ", " << Narrow(focus->GetParent()->GetName()) << "/"
                    << Narrow(focus->GetName()) << " at " << place.x << "," << place.y << " " << place.width << "x"
                    << place.height << " is not in what the window shows";
            }
            EXPECT_GT(scrolled, 0) << "no Tab had to scroll: the window was not cut";
        });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    EXPECT_FALSE(EditorDriver::SavePicture("editor-tab-scrolled-160dpi.png", scrolledToFocus).empty());
}

} // namespace
} // namespace QK
