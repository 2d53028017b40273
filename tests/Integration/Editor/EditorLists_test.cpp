// The drop-down lists in the real program, at both scales, used with the mouse alone: a list
// whose items do not fit shows its bar, the wheel scrolls it to its end and the last item can
// be picked there (KEYBOARD SOUND's 128 sounds, every TRANSPOSE value). No square is left
// where a hidden bar meets its corner. Every open list is a framed box with its bar inside
// the frame. The KEYBOARD SOUND list scrolled to its end and every list open are pictured in
// pictures/.
#include "tests/support/Editor/EditorDriver.h"
#include "tests/support/Editor/ScreenOfSize.h"

#include "QKFramework/Application/RootWindow.h"
#include "QKFramework/Controls/ComboBox.h"
#include "QKFramework/Controls/ListBox.h"
#include "QKFramework/Controls/ListBoxItem.h"
#include "QKFramework/Controls/ScrollBar.h"
#include "QKFramework/Platform/Window/SdlWindowHost.h"
#include "tests/support/Recorder.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// Whether the row of item index lies wholly inside the list's visible client area (rows are
// docked: their places hold the scroll offset).
bool Shows(LListBox& list, std::uint32_t index)
{
    const std::int32_t row = list.GetRowOfItem(index);
    const LListBoxItem* control = row >= 0 ? list.GetRowControl(static_cast<std::uint32_t>(row)) : nullptr;
    if (!control)
        return false;
    const RectD client = list.GetChildClientRect(nullptr);
    const double top = control->GetBounds().y - list.GetScrollOffset().y;
    return top >= client.y && top + control->GetHeight() <= client.y + client.height;
}

class EditorListsTest : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X server (scripts/test.sh starts Xvfb)";
        // The lists are opened and looked at in the whole window, unscrolled.
        ASSERT_TRUE(UseScreenOfSize(kWholeWindowScreenWidth, kWholeWindowScreenHeight));
    }
};

TEST_P(EditorListsTest, ALongListScrollsToItsEndUnderTheWheelAndItsLastItemCanBePicked)
{
    ScopedEnvironment dpi("VEDIDU_DPI", GetParam());
    struct Case
    {
        const char* combo;
        std::uint32_t items;
        const char* last;
    };
    const Case cases[] = {{"keybedSounds/comboBox", 128, nullptr}, {"keyboard/transpose/comboBox", 25, "12"}};
    Picture soundsAtTheEnd;
    EditorDriver driver;
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            ASSERT_TRUE(d.Settle());
            const RCPtr<LControl> corner = d.Find("viewDevice/corner");
            ASSERT_TRUE(corner);
            EXPECT_EQ(corner->GetWidth() * corner->GetHeight(), 0.0)
                << "the window's bars are hidden, and so is the square between them";
            for (const Case& c : cases)
            {
                SCOPED_TRACE(c.combo);
                auto* combo = dynamic_cast<LComboBox*>(d.Find(c.combo).Get());
                ASSERT_TRUE(combo);
                LListBox& list = *combo->GetListBox();
                ASSERT_EQ(list.GetItemCount(), c.items);
                ASSERT_TRUE(d.Click(c.combo));
                ASSERT_TRUE(d.WaitUntil([&] { return combo->IsDroppedDown(); }));
                ASSERT_TRUE(d.Settle());
                ASSERT_TRUE(LScrollView::IsUsable(list.GetVerticalBar())) << "the items do not fit: a bar shows";
                const std::uint32_t last = c.items - 1;
                EXPECT_FALSE(Shows(list, last)) << "the last item shows at once";

                RectL at;
                list.GetWindowRect(at);
                d.WheelAt(d.MainWindow(), PointL{at.x + at.width / 3, at.y + at.height / 2}, 3 * static_cast<std::int32_t>(c.items));
                ASSERT_TRUE(d.Settle());
                ASSERT_TRUE(Shows(list, last)) << "the wheel does not bring the last item into view";
                const std::int32_t row = list.GetRowOfItem(last);
                // What shows of the bar: the channel from one arrow to the other, the thumb
                // at its end, as wide as the bar.
                LScrollbar& bar = *list.GetVerticalBar();
                const RectD& thumb = bar.GetThumb()->GetBounds();
                const RCPtr<LControl> channel = bar.FindChild(WString(u"channel"));
                const RCPtr<LControl> up = bar.FindChild(WString(u"dec"));
                const RCPtr<LControl> down = bar.FindChild(WString(u"inc"));
                ASSERT_TRUE(channel && up && down);
                EXPECT_EQ(channel->GetBounds().y, up->GetBounds().y + up->GetBounds().height);
                EXPECT_EQ(channel->GetBounds().y + channel->GetBounds().height, down->GetBounds().y)
                    << "the channel stops short of the down arrow";
                EXPECT_EQ(down->GetBounds().y + down->GetBounds().height, bar.GetHeight());
                EXPECT_EQ(thumb.y + thumb.height, down->GetBounds().y) << "the thumb stands at the channel's end";
                EXPECT_EQ(thumb.width, bar.GetWidth());
                if (soundsAtTheEnd.IsEmpty())
                    soundsAtTheEnd = d.ReadPicture();

                const WString lastText = list.GetItemText(static_cast<std::int32_t>(last));
                ASSERT_TRUE(d.Click(std::string(c.combo) + "/listBox/ItemControl" + std::to_string(row + 1)));
                ASSERT_TRUE(d.WaitUntil([&] { return !combo->IsDroppedDown(); })) << "picking closes the list";
                EXPECT_TRUE(combo->GetText().IsEqual(lastText)) << Narrow(combo->GetText());
                if (c.last)
                {
                    EXPECT_EQ(Narrow(combo->GetText()), c.last);
                }
                ASSERT_TRUE(d.Settle());
            }
        });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    EXPECT_FALSE(
        EditorDriver::SavePicture(std::string("editor-keyboard-sound-list-end-") + GetParam() + "dpi.png", soundsAtTheEnd)
            .empty());
}

// How many pixels of the picture's outermost ring differ from colour.
std::size_t FrameRingPixelsOtherThan(const Picture& picture, std::uint32_t colour)
{
    std::size_t other = 0;
    for (std::int32_t y = 0; y < picture.height; ++y)
        for (std::int32_t x = 0; x < picture.width; ++x)
            if ((x == 0 || y == 0 || x == picture.width - 1 || y == picture.height - 1) && picture.At(x, y) != colour)
                ++other;
    return other;
}

// Every combo box of the window whose list has items.
void CollectCombos(LControl& control, std::vector<RCPtr<LComboBox>>& combos)
{
    if (auto* combo = dynamic_cast<LComboBox*>(&control); combo && combo->IsVisible(true) && combo->GetItemCount() > 0)
        combos.emplace_back(combo);
    for (std::uint32_t i = 0; i < control.GetChildren().GetCount(); ++i)
        CollectCombos(*control.GetChildren().GetAt(i), combos);
}

// The pictures side by side, in rows at most maxWidth wide, on a dark ground.
Picture Sheet(const std::vector<Picture>& pictures, std::int32_t maxWidth)
{
    constexpr std::int32_t kGap = 8;
    std::vector<PointL> at;
    std::int32_t x = kGap, y = kGap, rowHeight = 0, width = 0;
    for (const Picture& p : pictures)
    {
        if (x > kGap && x + p.width > maxWidth)
        {
            x = kGap;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        at.push_back({x, y});
        x += p.width + kGap;
        width = std::max(width, x);
        rowHeight = std::max(rowHeight, p.height);
    }
    Picture sheet;
    sheet.width = width;
    sheet.height = y + rowHeight + kGap;
    sheet.pixels.assign(static_cast<std::size_t>(sheet.width) * sheet.height, 0xFF101010u);
    for (std::size_t i = 0; i < pictures.size(); ++i)
        for (std::int32_t py = 0; py < pictures[i].height; ++py)
            for (std::int32_t px = 0; px < pictures[i].width; ++px)
                sheet.pixels[static_cast<std::size_t>(at[i].y + py) * sheet.width + at[i].x + px] =
                    pictures[i].pixels[static_cast<std::size_t>(py) * pictures[i].width + px];
    return sheet;
}

TEST_P(EditorListsTest, EveryDropDownListOpensWideEnoughForItsWidestItem)
{
    ScopedEnvironment dpi("VEDIDU_DPI", GetParam());
    std::vector<Picture> lists;
    EditorDriver driver;
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            ASSERT_TRUE(d.Settle());
            std::vector<RCPtr<LComboBox>> combos;
            CollectCombos(*d.MainRoot().GetRootControl(), combos);
            ASSERT_GE(combos.size(), 15u);
            const LongPair window = d.MainRoot().GetClientSize();
            for (const RCPtr<LComboBox>& combo : combos)
            {
                const std::string name = Narrow(combo->GetParent()->GetName());
                SCOPED_TRACE(name);
                RectL at;
                combo->GetWindowRect(at);
                d.ClickAt(d.MainWindow(), PointL{at.x + at.width / 2, at.y + at.height / 2});
                ASSERT_TRUE(d.WaitUntil([&] { return combo->IsDroppedDown(); })) << "the list did not open";
                LListBox& list = *combo->GetListBox();
                std::uint32_t widest = 0;
                for (std::uint32_t i = 1; i < list.GetItemCount(); ++i)
                    if (list.GetItemTextWidth(i) > list.GetItemTextWidth(widest))
                        widest = i;
                list.ScrollItemIntoView(widest);
                ASSERT_TRUE(d.Settle());
                const std::int32_t row = list.GetRowOfItem(widest);
                ASSERT_GE(row, 0);
                EXPECT_FALSE(list.GetRowControl(static_cast<std::uint32_t>(row))->IsTextOverflowing())
                    << "\"" << Narrow(list.GetItemText(static_cast<std::int32_t>(widest))) << "\" is cut";
                EXPECT_GE(list.GetWidth(), combo->GetWidth()) << "narrower than its combo";
                RectL shown;
                list.GetWindowRect(shown);
                EXPECT_GE(shown.x, 0);
                EXPECT_LE(shown.x + shown.width, window.first) << "past the window's right edge";
                // A framed box with its bar inside the frame: the bar lies in the frame's
                // client part, and the list's outermost pixels are all the frame's line.
                const RectD inside = list.GetLookClientRect(-1);
                if (const LScrollbar* bar = list.GetVerticalBar(); LScrollView::IsUsable(bar))
                {
                    const RectD& b = bar->GetBounds();
                    const double x = b.x - list.GetScrollOffset().x;
                    const double y = b.y - list.GetScrollOffset().y;
                    EXPECT_GE(x, 0.0);
                    EXPECT_GE(y, 0.0);
                    EXPECT_LE(x + b.width, inside.width) << "the bar covers the frame's right side";
                    EXPECT_LE(y + b.height, inside.height) << "the bar covers the frame's bottom";
                    // The rows end where the bar begins: none runs on under its arrows.
                    for (std::uint32_t r = 0; r < list.GetRowCount(); ++r)
                    {
                        const LListBoxItem* rowControl = list.GetRowControl(r);
                        ASSERT_TRUE(rowControl);
                        EXPECT_LE(rowControl->GetBounds().x + rowControl->GetWidth(), b.x)
                            << "row " << r << " runs under the bar";
                    }
                }
                const Picture picture = d.ReadPicture(list);
                EXPECT_EQ(FrameRingPixelsOtherThan(picture, picture.At(picture.width / 2, 0)), 0u)
                    << "the frame is broken or something under the list shows through it";
                lists.push_back(picture);
                ASSERT_TRUE(d.PressKeys("Escape"));
                ASSERT_TRUE(d.WaitUntil([&] { return !combo->IsDroppedDown(); })) << "Escape left the list open";
            }
        });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    EXPECT_FALSE(
        EditorDriver::SavePicture(std::string("editor-combo-lists-") + GetParam() + "dpi.png", Sheet(lists, 1400)).empty());
}

INSTANTIATE_TEST_SUITE_P(BothScales, EditorListsTest, ::testing::Values("96", "160"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param) + "dpi"; });

} // namespace
} // namespace QK
