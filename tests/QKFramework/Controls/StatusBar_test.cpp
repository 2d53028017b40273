// The status bar: direct and posted texts, their order, the skin's text as the status text,
// a bar without its label, and texts posted from four threads at once.
#include "QKFramework/Controls/StatusBar.h"

#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Utilities/Storage/VariantEx.h"

#include "tests/support/Controls/ControlHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// A label that writes down every text it is given.
class TextLog : public LControl
{
public:
    using LControl::LControl;
    QKRESULT SetText(const WString& text) override
    {
        texts.push_back(Narrow(text));
        return LControl::SetText(text);
    }
    std::vector<std::string> texts;
};

const char* const kSkin = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="window" XSizeAbs="400" YSizeAbs="300">
    <SubControl Class="Framework.StatusBar" Name="bar" YPositionAbs="280" XSizeAbs="400" YSizeAbs="20">
      <SubControl Class="Test.TextLog" Name="label1" XSizeAbs="400" YSizeAbs="20"/>
    </SubControl>
    <SubControl Class="Framework.StatusBar" Name="bare" XSizeAbs="400" YSizeAbs="20"/>
  </SubControl>
</Skin>)";

const char* const kStrings = R"(
  <StringTable ID="Framework.StatusBar|label1"><String ID="LABEL"><Locale LCID="0x0009">Ready</Locale></String></StringTable>)";

class StatusBarTest : public ::testing::Test
{
protected:
    StatusBarTest()
    {
        harness.Factory().RegisterControlClass(WString(u"Framework.StatusBar"), &LStatusBar::Create);
        harness.Factory().RegisterControlClass(WString(u"Test.TextLog"), &CreateAs<TextLog>);
        window = harness.CreateRoot(u"window");
        bar = dynamic_cast<LStatusBar*>(window->FindChild(WString(u"bar")).Get());
        label = dynamic_cast<TextLog*>(bar->FindChild(WString(u"label1")).Get());
        label->texts.clear();
    }

    std::string Shown() const { return Narrow(label->GetText()); }

    ControlHarness harness{kSkin, kStrings};
    RCPtr<LControl> window;
    LStatusBar* bar = nullptr;
    TextLog* label = nullptr;
};

TEST_F(StatusBarTest, PostedTextsArriveInOrderOnTheNextIdlePass)
{
    EXPECT_EQ(Shown(), "Ready");
    EXPECT_TRUE(bar->IsNotFocusable());
    EXPECT_EQ(bar->PostStatusText(WString(u"one")), QK_OK);
    EXPECT_EQ(bar->PostStatusText(WString(u"two")), QK_OK);
    EXPECT_EQ(Shown(), "Ready") << "nothing before the idle pass";
    harness.Tick();
    EXPECT_EQ(label->texts, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(Shown(), "two");
    EXPECT_EQ(Narrow(bar->GetStatusText()), "Ready");
}

TEST_F(StatusBarTest, ADirectTextIsNeverOverwrittenByAnOlderPostedOne)
{
    bar->PostStatusText(WString(u"posted"));
    harness.Window()->dirty.clear();
    EXPECT_EQ(bar->SetStatusText(WString(u"direct")), QK_OK);
    harness.Tick();
    EXPECT_EQ(label->texts, (std::vector<std::string>{"posted", "direct"}));
    EXPECT_EQ(Shown(), "direct");
    EXPECT_EQ(Narrow(bar->GetStatusText()), "Ready");
    // The whole window is marked for repainting.
    ASSERT_FALSE(harness.Window()->dirty.empty());
    EXPECT_EQ(harness.Window()->dirty.back(), (RectD{0.0, 0.0, 400.0, 300.0}));
}

TEST_F(StatusBarTest, AMenuRowsTextShowsAtTheNextIdlePassAndLeavingItBringsTheBarsOwnBack)
{
    const RCPtr<LNotificationCenter> centre = GetDefaultNotificationCenter();
    centre->SendNotification(LNotification::Create(
        u"NID_MENU_STATUS_TEXT", ConstRCPtr<LRefCountedObject>(LWrapperStringable<>::Create(WString(u"Open a favorite")))));
    EXPECT_EQ(Shown(), "Ready") << "posted, as the application posts status texts";
    harness.Tick();
    EXPECT_EQ(Shown(), "Open a favorite");
    centre->SendNotification(LNotification::Create(u"NID_MENU_STATUS_TEXT_RESTORE", nullptr));
    harness.Tick();
    EXPECT_EQ(Shown(), "Ready");
    EXPECT_EQ(label->texts, (std::vector<std::string>{"Open a favorite", "Ready"}));
}

TEST_F(StatusBarTest, ABarWithoutItsLabelShowsNothingAndDoesNotFail)
{
    auto* bare = dynamic_cast<LStatusBar*>(window->FindChild(WString(u"bare")).Get());
    ASSERT_TRUE(bare);
    EXPECT_TRUE(bare->GetStatusText().IsEmpty());
    EXPECT_EQ(bare->SetStatusText(WString(u"x")), QK_OK);
    EXPECT_EQ(bare->PostStatusText(WString(u"y")), QK_OK);
    harness.Tick();
}

// The queue's hold on the bar is its own: once the tree lets go, the bar goes with a text
// still waiting (LeakSanitizer reports it otherwise).
TEST_F(StatusBarTest, GoesAwayWithItsTreeEvenWithATextWaiting)
{
    bar->PostStatusText(WString(u"late"));
    window->RemoveChild(bar);
    bar = nullptr;
    label = nullptr;
    harness.Tick();
    EXPECT_FALSE(window->FindChild(WString(u"bar")));
}

TEST_F(StatusBarTest, FourThreadsPostWhileIdlePassesApplyTheTexts)
{
    constexpr int kThreads = 4;
    constexpr int kTexts = 50;
    std::atomic<int> finished{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(
            [&, t]
            {
                for (int i = 0; i < kTexts; ++i)
                {
                    const std::string text = std::to_string(t) + ":" + std::to_string(i);
                    // A full ring refuses; try again once the UI thread has drained it.
                    while (bar->PostStatusText(WString(text.c_str())) != QK_OK)
                        std::this_thread::yield();
                }
                ++finished;
            });
    while (finished.load() < kThreads)
        harness.Tick(1);
    for (std::thread& thread : threads)
        thread.join();
    harness.Tick(1);

    std::map<int, std::vector<int>> perThread;
    for (const std::string& text : label->texts)
    {
        const auto colon = text.find(':');
        ASSERT_NE(colon, std::string::npos) << text;
        perThread[std::stoi(text.substr(0, colon))].push_back(std::stoi(text.substr(colon + 1)));
    }
    ASSERT_EQ(perThread.size(), static_cast<std::size_t>(kThreads));
    for (const auto& [thread, numbers] : perThread)
    {
        ASSERT_EQ(numbers.size(), static_cast<std::size_t>(kTexts)) << "thread " << thread;
        for (int i = 0; i < kTexts; ++i)
            EXPECT_EQ(numbers[i], i) << "thread " << thread;
    }
}

} // namespace
} // namespace QK
