// The keyboard's walk through the real program's main window, with keys as the window builds
// them: Tab from the first tab stop visits every control that can hold the focus (the menu
// bar's titles aside) once and comes back round, Shift+Tab walks the same round backwards,
// and Ctrl+Tab leaves the panels for the next container of the window's top level. The device
// view being the only one there, Ctrl+Tab goes round to the window's first tab stop and
// Ctrl+Shift+Tab to its last.
#include "tests/support/Editor/EditorDriver.h"

#include "QKFramework/Application/RootWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// The control's names from the top control down, joined by "/".
std::string PathOf(const LControl* control)
{
    std::string path;
    for (; control; control = control->GetParent())
    {
        const std::string name = NString(control->GetName().GetString()).GetString();
        path = path.empty() ? name : name + "/" + path;
    }
    return path.empty() ? "none" : path;
}

// Every control of the tree that can hold the focus now, but the menu bar's titles: the
// menu bar is reached with its own keys, and Tab passes it by as desktop programs do.
void CollectFocusable(LControl& control, std::set<std::string>& found)
{
    if (control.GetName().IsEqual(u"mainMenu"))
        return;
    if (control.IsFocusable())
        found.insert(PathOf(&control));
    const LControl::ChildControlList& children = control.GetChildren();
    for (std::uint32_t i = 0; i < children.GetCount(); ++i)
        if (const RCPtr<LControl>& child = children.GetAt(i))
            CollectFocusable(*child, found);
}

TEST(EditorKeyboard, TabAndShiftTabWalkTheWholeWindowAndCtrlTabLeavesThePanels)
{
    EditorDriver driver;
    const int status = driver.Run([&](EditorDriver& d) {
        ASSERT_TRUE(d.Settle());
        LRootWindow& root = d.MainRoot();
        const auto focus = [&] { return PathOf(root.GetFocusedControl()); };
        const auto press = [&](const char* chord) {
            EXPECT_TRUE(d.PressKeys(chord));
            EXPECT_TRUE(d.Settle());
            return focus();
        };

        std::set<std::string> focusable;
        CollectFocusable(*root.GetRootControl(), focusable);
        ASSERT_GT(focusable.size(), 100u);

        ASSERT_EQ(root.GetRootControl()->SetFocus(true), QK_OK);
        ASSERT_TRUE(d.Settle());
        const std::string first = focus();
        std::vector<std::string> round{first};
        for (std::size_t i = 0; i <= focusable.size(); ++i)
        {
            const std::string next = press("Tab");
            if (next == first)
                break;
            round.push_back(next);
        }
        ASSERT_EQ(focus(), first) << "Tab did not come back round to the first tab stop";
        EXPECT_EQ(std::set<std::string>(round.begin(), round.end()), focusable);
        EXPECT_EQ(round.size(), focusable.size()) << "a tab stop was visited twice";
        // Reading order inside a favorite and from one favorite to the next.
        const auto at = [&](const std::string& tail) {
            return std::find_if(round.begin(), round.end(),
                                [&](const std::string& path) { return path.ends_with(tail); }) - round.begin();
        };
        EXPECT_EQ(at("fav1/sendButton") + 1, at("fav1/recButton"));
        EXPECT_EQ(at("fav1/recButton") + 1, at("fav2/sendButton"));

        std::vector<std::string> back{first};
        for (std::size_t i = 1; i < round.size(); ++i)
            back.push_back(press("Shift+Tab"));
        std::vector<std::string> expected{first};
        expected.insert(expected.end(), round.rbegin(), round.rend() - 1);
        EXPECT_EQ(back, expected);
        EXPECT_EQ(press("Shift+Tab"), first);

        const RCPtr<LControl> send = d.Find("fav3/sendButton");
        ASSERT_TRUE(send);
        ASSERT_EQ(send->SetFocus(true), QK_OK);
        EXPECT_EQ(press("Ctrl+Tab"), first);
        ASSERT_EQ(send->SetFocus(true), QK_OK);
        EXPECT_EQ(press("Ctrl+Shift+Tab"), round.back());
    });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
}

} // namespace
} // namespace QK
