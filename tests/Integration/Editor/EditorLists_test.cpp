// The drop-down lists in the real program, at both scales, used with the mouse alone: a list
// whose items do not fit shows its bar, the wheel scrolls it to its end and the last item can
// be picked there (KEYBOARD SOUND's 128 sounds, every TRANSPOSE value). No square is left
// where a hidden bar meets its corner. The KEYBOARD SOUND list scrolled to its end is
// pictured in pictures/.
#include "tests/support/Editor/EditorDriver.h"

#include "QKFramework/Controls/ComboBox.h"
#include "QKFramework/Controls/ListBox.h"
#include "QKFramework/Controls/ScrollBar.h"
#include "QKFramework/Platform/Window/SdlWindowHost.h"
#include "tests/support/Recorder.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

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
                const LControl& thumb = *list.GetVerticalBar()->GetThumb();
                const RCPtr<LControl> channel = list.GetVerticalBar()->FindChild(WString(u"channel"));
                ASSERT_TRUE(channel);
                EXPECT_EQ(thumb.GetBounds().y + thumb.GetBounds().height, channel->GetBounds().y + channel->GetBounds().height)
                    << "the thumb stands at the channel's end";
                if (soundsAtTheEnd.IsEmpty())
                    soundsAtTheEnd = d.ReadPicture();

                const WString lastText = list.GetItemText(static_cast<std::int32_t>(last));
                ASSERT_TRUE(d.Click(std::string(c.combo) + "/listBox/ItemControl" + std::to_string(row + 1)));
                ASSERT_TRUE(d.WaitUntil([&] { return !combo->IsDroppedDown(); })) << "picking closes the list";
                EXPECT_TRUE(combo->GetText().IsEqual(lastText)) << Narrow(combo->GetText());
                if (c.last)
                    EXPECT_EQ(Narrow(combo->GetText()), c.last);
                ASSERT_TRUE(d.Settle());
            }
        });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    EXPECT_FALSE(
        EditorDriver::SavePicture(std::string("editor-keyboard-sound-list-end-") + GetParam() + "dpi.png", soundsAtTheEnd)
            .empty());
}

INSTANTIATE_TEST_SUITE_P(BothScales, EditorListsTest, ::testing::Values("96", "160"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param) + "dpi"; });

} // namespace
} // namespace QK
