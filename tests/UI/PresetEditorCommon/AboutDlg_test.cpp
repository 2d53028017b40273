// The about dialog from the shipped skin: the version block's texts, the support button's
// address, cursor and failure, the standard buttons and the children it cannot do without.
#include "UI/PresetEditorCommon/AboutDlg.h"

#include "QKFramework/Application/Version.h"
#include "QKFramework/ControlBase/ControlDescriptor.h"

#include "tests/support/Editor/DialogWindow.h"
#include "tests/support/Editor/EditorTestApp.h"
#include "tests/support/Editor/RenamedChild.h"
#include "tests/support/Editor/ScriptedMidiManager.h"
#include "tests/support/Recorder.h"
#include "tests/support/RecordingShellOpener.h"
#include "tests/support/UI/FakeWindowSystem.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

class AboutDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(factory);
        app = RCPtr<EditorTestApp>(new EditorTestApp(factory, system));
        app->makeMidiManager = [] { return RCPtr<LMidiManager>(ScriptedMidiManager::Create().Get()); };
        ASSERT_GE(app->RunApplicationStartup(), 0);
    }
    void TearDown() override
    {
        if (app)
            app->Shutdown();
    }
    RCPtr<LAboutDlg> Open() { return CreateDialog<LAboutDlg>(*app, u"dialogAbout"); }
    static std::string Text(const LControl& dialog, const char16_t* child)
    {
        return Narrow(dialog.FindChild(WString(child))->GetText());
    }

    TemporaryHome home;
    RecordingShellOpener opener;
    FakeWindowSystem system;
    RCPtr<LControlFactory> factory = LoadEditorResources();
    RCPtr<EditorTestApp> app;
};

TEST_F(AboutDialogTest, ShowsTheVersionAndTheNoticeAndOpensTheSupportAddress)
{
    const RCPtr<LAboutDlg> dialog = Open();
    ASSERT_TRUE(dialog);
    // The program's version block: the version alone, without the product's name, and the
    // notice.
    const Version version(GetApplicationInstance());
    EXPECT_EQ(Text(*dialog, u"labelProduct"), Narrow(version.GetValue(u"ProductVersion")));
    const std::string shown = Text(*dialog, u"labelProduct");
    EXPECT_TRUE(!shown.empty() && shown.find_first_not_of("0123456789.") == std::string::npos) << shown;
    EXPECT_EQ(Text(*dialog, u"labelCopyright"), "Copyright (C) Dozavod Professional. All rights reserved.");

    // The support button, with its text, is the link: the pointer over it is the hand, and a
    // click there hands the support address to the desktop; elsewhere (over the company logo,
    // say) the pointer is the arrow.
    DialogWindow window(RCPtr<LControl>(dialog.Get()));
    const std::intptr_t before = window.host.cursor;
    const RCPtr<LControl> support = dialog->FindChild(WString(u"buttonSupport"));
    EXPECT_EQ(Narrow(support->GetText()), "SUPPORT SITE");
    const RectD button = support->GetBounds();
    const PointL centre{static_cast<std::int32_t>(button.x + button.width / 2),
                        static_cast<std::int32_t>(button.y + button.height / 2)};
    window.host.Move(centre);
    EXPECT_EQ(window.host.cursor, app->GetCursor(WString(u"UI_CURSOR_HAND")));
    EXPECT_NE(before, app->GetCursor(WString(u"UI_CURSOR_HAND")));
    window.host.Press(1, centre);
    window.host.Release(1, centre);
    const std::string address = Narrow(app->GetApplicationString(u"URL_SUPPORT"));
    ASSERT_FALSE(address.empty());
    EXPECT_EQ(opener.targets, std::vector<std::string>{address});
    const RectD logo = dialog->FindChild(WString(u"companyLogo"))->GetBounds();
    window.host.Move({static_cast<std::int32_t>(logo.x + logo.width / 2), static_cast<std::int32_t>(logo.y + logo.height / 2)});
    EXPECT_EQ(window.host.cursor, app->GetCursor(WString(u"UI_CURSOR_ARROW")));

    // A browser that cannot be started shows nothing and leaves the dialog as it is.
    opener.succeed = false;
    ASSERT_TRUE(ClickChild(*dialog, u"buttonSupport"));
    EXPECT_EQ(opener.targets.size(), 2u);
    EXPECT_TRUE(system.messages.empty());
    EXPECT_EQ(dialog->GetResult(), 0u);

    ASSERT_TRUE(ClickChild(*dialog, u"buttonClose"));
    EXPECT_EQ(dialog->GetResult(), 1u) << "the standard Close button";
}

TEST_F(AboutDialogTest, AChildTheDialogCannotDoWithoutIsNamedWhenItIsMissing)
{
    const struct
    {
        const char16_t* child;
        std::string text;
    } cases[] = {
        {u"buttonSupport", "Runtime Error : Null Pointer : LSupportPanel couldn't find buttonSupport : "
                           "LAboutDlg::Initialize : UI\\PresetEditorCommon\\AboutDlg : Line 138"},
        {u"labelProduct", "Runtime Error : Null Pointer : LAboutDlg couldn't find labelProduct : "
                          "LAboutDlg::Initialize : UI\\PresetEditorCommon\\AboutDlg : Line "},
        {u"labelCopyright", "Runtime Error : Null Pointer : LAboutDlg couldn't find labelCopyright : "
                            "LAboutDlg::Initialize : UI\\PresetEditorCommon\\AboutDlg : Line "},
    };
    const RCPtr<LControlDescriptor> description = factory->FindSubControlDescriptor(WString(u"dialogAbout"));
    ASSERT_TRUE(description);
    for (const auto& c : cases)
    {
        RenamedChild renamed(*description, c.child);
        ASSERT_TRUE(renamed) << Narrow(WString(c.child));
        try
        {
            const RCPtr<LControl> control = app->CreateControl(WString(u"dialogAbout"));
            ADD_FAILURE() << "no error for a missing " << Narrow(WString(c.child));
        }
        catch (const std::runtime_error& error)
        {
            EXPECT_EQ(std::string(error.what()).substr(0, c.text.size()), c.text);
        }
    }
    EXPECT_TRUE(opener.targets.empty());
}

TEST_F(AboutDialogTest, BothSkinsDrawTheDialog)
{
    const struct
    {
        std::int32_t skin;
        const char* picture;
    } skins[] = {{1, "about-dialog.png"}, {0, "about-dialog-high-dpi.png"}};
    for (const auto& skin : skins)
    {
        ASSERT_EQ(app->SetSkin(skin.skin), QK_OK);
        const RCPtr<LAboutDlg> dialog = Open();
        ASSERT_TRUE(dialog);
        DialogWindow window(RCPtr<LControl>(dialog.Get()));
        EXPECT_TRUE(window.SavePicture(skin.picture)) << skin.picture;
    }
}

} // namespace
} // namespace QK
