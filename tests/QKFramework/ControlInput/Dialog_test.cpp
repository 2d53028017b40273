// The dialog as the root control of a real root window: each standard button clicked closes
// with its result (a name in another case is no standard button), a receiver of
// "NID_DIALOG_CLOSING" cancels, a text box that refuses to give up the focus keeps the
// dialog open, the window's system close acts as Cancel, and a dialog without a window still
// announces its close. A picture of a small dialog with a numeric up-down closes the file.
#include "QKFramework/Controls/Dialog.h"

#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/NumericUpDown.h"
#include "QKFramework/Controls/TextBox.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

#include "tests/support/Controls/FakeClipboard.h"
#include "tests/support/UI/ControlTestTools.h"
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

    WindowHarness harness{Tree(), std::string(), UniformLooks("flat")};
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

namespace QK
{
namespace
{

using namespace TestSupport;

// A small dialog drawn by the software renderer with real fonts: a numeric up-down showing
// -2.5 in -10..10 with its focused text box and its two arrow buttons, and OK and Cancel.
const char* const kPictureTree = R"(<Skin Name="s" FontName="DejaVu Sans" FontSize="10">
  <SubControl Class="Test.Dialog" Name="dialog" XSizeAbs="250" YSizeAbs="100" TabStop="-1"><Skin Name="d" LookList="back"/>
    <SubControl Class="Framework.NumericUpDown" Name="upDown" XPositionAbs="20" YPositionAbs="20" XSizeAbs="100" YSizeAbs="24" TabStop="1"><Skin Name="u" LookList="back"/>
      <SubControl Class="Framework.TextBox" Name="textBox" XPositionAbs="0" YPositionAbs="0" XSizeAbs="77" YSizeAbs="24" TabStop="1"><Skin Name="t" LookList="box"/></SubControl>
      <SubControl Class="Framework.Button" Name="buttonUp" XPositionAbs="76" YPositionAbs="0" XSizeAbs="24" YSizeAbs="12" TabStop="2"><Skin Name="bu" LookList="button" FontSize="5"/></SubControl>
      <SubControl Class="Framework.Button" Name="buttonDown" XPositionAbs="76" YPositionAbs="12" XSizeAbs="24" YSizeAbs="12" TabStop="3"><Skin Name="bd" LookList="button" FontSize="5"/></SubControl>
    </SubControl>
    <SubControl Class="Framework.Button" Name="buttonOK" XPositionAbs="60" YPositionAbs="64" XSizeAbs="80" YSizeAbs="24" TabStop="2"><Skin Name="ok" LookList="button"/></SubControl>
    <SubControl Class="Framework.Button" Name="buttonCancel" XPositionAbs="150" YPositionAbs="64" XSizeAbs="80" YSizeAbs="24" TabStop="3"><Skin Name="cancel" LookList="button"/></SubControl>
  </SubControl>
</Skin>)";

const char* const kPictureStrings = R"(
  <StringTable ID="Framework.NumericUpDown|buttonUp"><String ID="LABEL"><Locale LCID="0x0009">&#x25B2;</Locale></String></StringTable>
  <StringTable ID="Framework.NumericUpDown|buttonDown"><String ID="LABEL"><Locale LCID="0x0009">&#x25BC;</Locale></String></StringTable>
  <StringTable ID="Test.Dialog|buttonOK"><String ID="LABEL"><Locale LCID="0x0009">OK</Locale></String></StringTable>
  <StringTable ID="Test.Dialog|buttonCancel"><String ID="LABEL"><Locale LCID="0x0009">Cancel</Locale></String></StringTable>
)";

std::string PictureLooks()
{
    std::string box;
    std::string button;
    for (int i = 0; i < 14; ++i)
    {
        box += std::string("<Look Name=\"") + (i == 3 || i == 4 ? "focused" : "field") + "\" Index=\"" +
               std::to_string(i) + "\"/>";
        button += "<Look Name=\"face\" Index=\"" + std::to_string(i) + "\"/>";
    }
    const std::string left = R"(<TextProperties TextLeftRel="0" TextLeftAbs="5" TextRightRel="1" TextRightAbs="-5" TextHAlign="0"
        TextTopRel="0" TextTopAbs="2" TextBottomRel="1" TextBottomAbs="-2" TextVAlign="0.5" TextForegroundPart="ink"/>)";
    const std::string centred = R"(<TextProperties TextLeftRel="0" TextLeftAbs="0" TextRightRel="1" TextRightAbs="0" TextHAlign="0.5"
        TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0.5" TextForegroundPart="ink"/>)";
    return R"(
  <Colorizers><Colorizer Name="back" ColorType="SolidFill" Color="FFE8E8E8"/>
    <Colorizer Name="white" ColorType="SolidFill" Color="FFFFFFFF"/>
    <Colorizer Name="grey" ColorType="SolidFill" Color="FF909090"/>
    <Colorizer Name="face" ColorType="SolidFill" Color="FFD4D4D4"/>
    <Colorizer Name="blue" ColorType="SolidFill" Color="FF3070C0"/>
    <Colorizer Name="ink" ColorType="SolidFill" Color="FF000000"/></Colorizers>
  <Parts><Part Name="back" Width="1" Height="1" ResizeType="Stretch" ColorizerName="back"/>
    <Part Name="white" Width="1" Height="1" ResizeType="Stretch" ColorizerName="white"/>
    <Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/>
    <Part Name="face" Width="1" Height="1" ResizeType="Stretch" ColorizerName="face"/>
    <Part Name="blue" Width="1" Height="1" ResizeType="Stretch" ColorizerName="blue"/>
    <Part Name="ink" Width="1" Height="1" ResizeType="Stretch" ColorizerName="ink"/></Parts>
  <Looks>
    <Look Name="back"><ClientPart Name="back" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="field"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
      <NonClientParts><NonClientPart Name="white" OffsetLeft="1" OffsetTop="1" OffsetRight="-1" OffsetBottom="-1"/></NonClientParts>)" +
           left + R"(</Look>
    <Look Name="focused"><ClientPart Name="blue" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
      <NonClientParts><NonClientPart Name="white" OffsetLeft="2" OffsetTop="2" OffsetRight="-2" OffsetBottom="-2"/></NonClientParts>)" +
           left + R"(</Look>
    <Look Name="face"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
      <NonClientParts><NonClientPart Name="face" OffsetLeft="1" OffsetTop="1" OffsetRight="-1" OffsetBottom="-1"/></NonClientParts>)" +
           centred + R"(</Look>
  </Looks>
  <LookLists><LookList Name="back" NumLooks="1"><Look Name="back" Index="0"/></LookList>
    <LookList Name="box" NumLooks="14">)" +
           box + R"(</LookList>
    <LookList Name="button" NumLooks="14">)" +
           button + "</LookList></LookLists>";
}

// Whether any pixel of the rectangle is dark, as drawn text is.
bool HasInk(const IDrawingSurface& surface, const RectL& rect)
{
    for (std::int32_t y = rect.y; y < rect.y + rect.height; ++y)
        for (std::int32_t x = rect.x; x < rect.x + rect.width; ++x)
            if ((surface.GetPixel(x, y) & 0xFF) < 0x60)
                return true;
    return false;
}

TEST(DialogPicture, ANumericUpDownWithOkAndCancel)
{
    WindowHarness harness(kPictureTree, kPictureStrings, PictureLooks());
    const ScopedRenderApp measuring;
    harness.Factory().RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
    harness.Factory().RegisterControlClass(WString(u"Framework.TextBox"), &LTextBox::Create);
    harness.Factory().RegisterControlClass(WString(u"Framework.NumericUpDown"), &LNumericUpDown::Create);
    harness.Factory().RegisterControlClass(WString(u"Test.Dialog"), &CreateAs<LDialog>);
    const RCPtr<LRenderer> renderer = LRenderer::Create(1, 0);
    RecordingWindowHost host;
    host.clientRect = {0, 0, 250, 100};
    const auto window = LRootWindow::Create(renderer, &host);
    ASSERT_EQ(window->SetRootControl(WString(u"dialog")), QK_OK);
    auto& upDown = dynamic_cast<LNumericUpDown&>(*window->GetRootControl()->FindChild(WString(u"upDown")));
    ASSERT_EQ(upDown.SetValueRange(-10, 10, 0), QK_OK);
    upDown.SetDecimalPlaces(1);
    upDown.SetValue(upDown.ValueToFraction(-2.5));
    ASSERT_EQ(Narrow(upDown.GetTextBox()->GetText()), "-2.5");
    ASSERT_TRUE(upDown.GetTextBox()->HasFocus());

    RCPtr<LRenderContextInfo> context;
    const IDrawingSurface& surface = PaintOffscreen(*window, *renderer, {0, 0, 250, 100}, context);
    EXPECT_EQ(surface.GetPixel(5, 5), 0xFFE8E8E8u) << "the dialog";
    EXPECT_EQ(surface.GetPixel(21, 30), 0xFF3070C0u) << "the focused box's frame";
    EXPECT_EQ(surface.GetPixel(90, 30), 0xFFFFFFFFu) << "the box behind its short text";
    EXPECT_EQ(surface.GetPixel(98, 22), 0xFFD4D4D4u) << "the up button's face";
    EXPECT_TRUE(HasInk(surface, {25, 24, 30, 16})) << "the number";
    EXPECT_TRUE(HasInk(surface, {97, 21, 22, 10})) << "the up arrow";
    EXPECT_TRUE(HasInk(surface, {97, 33, 22, 10})) << "the down arrow";
    EXPECT_TRUE(HasInk(surface, {61, 65, 78, 22})) << "OK";
    EXPECT_TRUE(HasInk(surface, {151, 65, 78, 22})) << "Cancel";

    EXPECT_TRUE(SavePicture(surface, "numeric-up-down-dialog.png"));
    window->SetHost(nullptr);
    window->SetRootControl(RCPtr<LControl>());
    LNotificationCenterManager::ReleaseInstance();
}

} // namespace
} // namespace QK
