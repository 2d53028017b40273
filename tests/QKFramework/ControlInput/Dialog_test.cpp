// The dialog as the root control of a real root window: each standard button clicked closes
// with its result (a name in another case is no standard button), a receiver of
// "NID_DIALOG_CLOSING" cancels, a text box that refuses to give up the focus keeps the
// dialog open, the window's system close acts as Cancel, and a dialog without a window still
// announces its close.
#include "QKFramework/Controls/Dialog.h"

#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/TextBox.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

#include "tests/support/Controls/FakeClipboard.h"
#include "tests/support/UI/EventScript.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// Nine buttons in a row at y 50, 40 pixels apart: the eight standard names and "buttonok".
const char* const kButtonNames[] = {"buttonOK",     "buttonClose", "buttonCancel", "buttonAbort", "buttonRetry",
                                    "buttonIgnore", "buttonYes",   "buttonNo",     "buttonok"};

std::string Tree()
{
    std::string buttons;
    int x = 0;
    for (const char* name : kButtonNames)
    {
        buttons += std::string("<SubControl Class=\"Framework.Button\" Name=\"") + name + "\" XPositionAbs=\"" +
                   std::to_string(x) + "\" YPositionAbs=\"50\" XSizeAbs=\"30\" YSizeAbs=\"20\" TabStop=\"" +
                   std::to_string(x / 40 + 2) + "\"><Skin Name=\"b" + std::to_string(x) +
                   "\" LookList=\"flat\"/></SubControl>";
        x += 40;
    }
    return R"(<Skin Name="s">
  <SubControl Class="Test.Dialog" Name="dialog" XSizeAbs="400" YSizeAbs="100" TabStop="-1"><Skin Name="k0" LookList="flat"/>
    <SubControl Class="Framework.TextBox" Name="name" XPositionAbs="10" YPositionAbs="10" XSizeAbs="100" YSizeAbs="20" TabStop="1"><Skin Name="k1" LookList="flat"/></SubControl>
    )" + buttons +
           R"(
  </SubControl>
</Skin>)";
}

// One grey look at every index, so that a control is hit in whatever state it shows.
std::string Looks()
{
    std::string list;
    for (int i = 0; i < 14; ++i)
        list += "<Look Name=\"grey\" Index=\"" + std::to_string(i) + "\"/>";
    return R"(
  <Colorizers><Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/></Colorizers>
  <Parts><Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/></Parts>
  <Looks><Look Name="grey"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look></Looks>
  <LookLists><LookList Name="flat" NumLooks="14">)" +
           list + "</LookList></LookLists>";
}

// Writes its closing hook into the test's log, after the notifications.
class LoggingDialog : public LDialog
{
public:
    using LDialog::LDialog;
    void OnDialogClosed() override
    {
        if (log)
            log->push_back("OnDialogClosed");
    }
    std::vector<std::string>* log = nullptr;
};

PointL Over(const char* button)
{
    const auto at = std::find_if(std::begin(kButtonNames), std::end(kButtonNames),
                                 [&](const char* name) { return std::string(name) == button; });
    return {static_cast<std::int32_t>(at - std::begin(kButtonNames)) * 40 + 15, 60};
}

class DialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        harness.Factory().RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.TextBox"), &LTextBox::Create);
        harness.Factory().RegisterControlClass(WString(u"Test.Dialog"), &CreateAs<LoggingDialog>);
        ASSERT_TRUE(harness.SetRoot(u"dialog"));
        Dialog().log = &log;
        closing = Listen(Dialog(), u"NID_DIALOG_CLOSING");
        closed = Listen(Dialog(), u"NID_DIALOG_CLOSED");
    }
    void TearDown() override
    {
        for (const RCPtr<Recorder>& recorder : recorders)
            recorder->UnsubscribeAll();
        LNotificationCenterManager::ReleaseInstance();
    }

    LoggingDialog& Dialog() { return dynamic_cast<LoggingDialog&>(*harness.Root()->GetRootControl()); }
    RCPtr<Recorder> Listen(LControl& control, const char16_t* nid)
    {
        RCPtr<Recorder> recorder = Recorder::Create(Narrow(control.GetName()), log);
        recorder->Subscribe(ConstRCPtr<LNotificationDistributor>(&control), nid);
        recorders.push_back(recorder);
        return recorder;
    }
    void Click(const char* button)
    {
        script.Move(Over(button)).Press(1, Over(button)).Release(1, Over(button));
    }
    // The modal results the host was asked to end with, in order; the list is then cleared.
    std::vector<std::string> Ends()
    {
        harness.Tick();
        std::vector<std::string> ends;
        for (const std::string& call : harness.Host().calls)
            if (call.rfind("EndModal", 0) == 0)
                ends.push_back(call);
        harness.Host().calls.clear();
        return ends;
    }
    static void Cancel(Recorder&, const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>& n)
    {
        dynamic_cast<LCancelArgs&>(const_cast<LRefCountedObject&>(*n->GetArgument())).Cancel = true;
    }

    WindowHarness harness{Tree(), std::string(), Looks()};
    EventScript script{harness};
    FakeClipboard clipboard;
    std::vector<std::string> log;
    std::vector<RCPtr<Recorder>> recorders;
    RCPtr<Recorder> closing;
    RCPtr<Recorder> closed;
};

TEST_F(DialogTest, EachStandardButtonClosesWithItsResult)
{
    struct Case
    {
        const char* button;
        std::uint32_t result;
    };
    const Case cases[] = {{"buttonOK", 1},    {"buttonClose", 1},  {"buttonCancel", 2}, {"buttonAbort", 3},
                          {"buttonRetry", 4}, {"buttonIgnore", 5}, {"buttonYes", 6},    {"buttonNo", 7}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.button);
        log.clear();
        Click(c.button);
        EXPECT_EQ(Dialog().GetResult(), c.result);
        EXPECT_EQ(log, (std::vector<std::string>{"dialog:NID_DIALOG_CLOSING", "dialog:NID_DIALOG_CLOSED",
                                                 "OnDialogClosed"}));
        EXPECT_EQ(Ends(), std::vector<std::string>{"EndModal(" + std::to_string(c.result) + ")"});
    }

    log.clear();
    Click("buttonok");
    EXPECT_TRUE(log.empty()) << "the names are matched exactly";
    EXPECT_TRUE(Ends().empty());
}

TEST_F(DialogTest, AClosingReceiverMayCancel)
{
    closing->action = &DialogTest::Cancel;
    Click("buttonYes");
    EXPECT_EQ(log, std::vector<std::string>{"dialog:NID_DIALOG_CLOSING"});
    EXPECT_EQ(Dialog().GetResult(), 6u) << "the result of the refused request stays";
    EXPECT_FALSE(harness.Root()->IsClosePending());
    EXPECT_TRUE(Ends().empty());

    Click("buttonYes");
    EXPECT_EQ(Ends(), std::vector<std::string>{"EndModal(6)"}) << "the cancel was for one request only";
}

// OK and Close take the focus first: a text box whose text is refused keeps it, and the
// dialog stays open without a word; once the text is accepted OK closes.
TEST_F(DialogTest, ATextBoxRefusingTheFocusKeepsTheDialogOpen)
{
    LControl& box = *harness.Find("name");
    const RCPtr<Recorder> validating = Listen(box, u"NID_TEXTBOX_VALIDATING");
    validating->actOnce = false;
    validating->action = [](Recorder&, const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>& n)
    {
        auto& params = dynamic_cast<LTextValidationParams&>(const_cast<LRefCountedObject&>(*n->GetArgument()));
        params.Valid = !params.Text.IsEmpty();
    };
    ASSERT_EQ(box.SetFocus(true), QK_OK);
    for (const char* button : {"buttonOK", "buttonClose"})
    {
        log.clear();
        Click(button);
        EXPECT_TRUE(box.HasFocus()) << button;
        EXPECT_EQ(std::count(log.begin(), log.end(), "dialog:NID_DIALOG_CLOSING"), 0) << button;
        EXPECT_TRUE(Ends().empty()) << button;
    }

    box.SetText(WString(u"Piano"));
    Click("buttonOK");
    EXPECT_TRUE(harness.Find("buttonOK")->HasFocus());
    EXPECT_EQ(Ends(), std::vector<std::string>{"EndModal(1)"});
}

TEST_F(DialogTest, TheSystemCloseActsAsCancel)
{
    closing->action = &DialogTest::Cancel;
    EXPECT_EQ(harness.Root()->OnCloseRequest(), QK_OK);
    EXPECT_EQ(Dialog().GetResult(), 2u);
    EXPECT_TRUE(Ends().empty()) << "refused";

    EXPECT_EQ(harness.Root()->OnCloseRequest(), QK_OK);
    EXPECT_EQ(harness.Root()->GetCloseResult(), 2);
    EXPECT_EQ(Ends(), std::vector<std::string>{"EndModal(2)"});
    EXPECT_EQ(closed->sources.size(), 1u);
}

TEST_F(DialogTest, WithoutAWindowTheCloseIsStillAnnounced)
{
    const RCPtr<LControl> loose = harness.CreateChild(nullptr, u"dialog");
    auto& dialog = dynamic_cast<LoggingDialog&>(*loose);
    dialog.log = &log;
    log.clear();
    const RCPtr<Recorder> looseClosed = Listen(dialog, u"NID_DIALOG_CLOSED");
    dialog.Close(7);
    EXPECT_EQ(log, (std::vector<std::string>{"dialog:NID_DIALOG_CLOSED", "OnDialogClosed"}));
    EXPECT_EQ(dialog.GetResult(), 7u);

    EXPECT_EQ(dialog.CreateDialogWindow(), QK_E_FAIL) << "the application's answer";
    ASSERT_EQ(harness.App().dialogWindows.size(), 1u);
    EXPECT_EQ(harness.App().dialogWindows[0].first, &dialog);
    EXPECT_EQ(harness.App().dialogWindows[0].second, 1);
    harness.App().dialogWindowAnswer = 1;
    EXPECT_EQ(dialog.CreateDialogWindow(), 1);
    loose->Close();
}

} // namespace
} // namespace QK
