#include "QKFramework/ControlBase/Input/GlobalHotKeyManager.h"

#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/Notification/NotificationCenter.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

#include "tests/support/IdleLoop.h"
#include "tests/support/Recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace QK
{
namespace
{

using TestSupport::Recorder;

class GlobalHotKeys : public ::testing::Test
{
protected:
    void SetUp() override
    {
        center = GetDefaultNotificationCenter();
        manager = LGlobalHotKeyManager::Create(center->GetPostingReceiver());
        RCPtr<LStringTable> table(new LStringTable(StringMap{
            {u"GHK_WIN.NID_EDIT_COPY_REQ", u"Ctrl+VKEY_C"},
            {u"GHK_WIN.NID_EDIT_CUT_REQ", u"Ctrl+VKEY_X"},
            {u"GHK.NID_EDIT_DELETE_REQ", u"VKEY_DELETE"},
        }));
        ASSERT_EQ(manager->ReadBindings(table.Get(), u"GHK_WIN"), QK_OK);
        recorder = Recorder::Create("app", log);
        for (const char16_t* nid : {u"NID_EDIT_COPY_REQ", u"NID_EDIT_DELETE_REQ"})
            center->RegisterClient(ConstRCPtr<LNotificationReceiver>(recorder), nid, 0);
    }
    void TearDown() override
    {
        center->UnregisterClient(ConstRCPtr<LNotificationReceiver>(recorder), u"NID_EDIT_COPY_REQ");
        center->UnregisterClient(ConstRCPtr<LNotificationReceiver>(recorder), u"NID_EDIT_DELETE_REQ");
        center = nullptr;
        LNotificationCenterManager::ReleaseInstance();
    }

    RCPtr<LNotificationCenter> center;
    RCPtr<LGlobalHotKeyManager> manager;
    std::vector<std::string> log;
    RCPtr<Recorder> recorder;
    TestSupport::IdleLoop loop;
};

TEST_F(GlobalHotKeys, ABoundKeyArrivesInTheNextIdlePassNotInsideTheKeyEvent)
{
    const KeyCode ctrlC = KeyCode::FromKeyMessage(67, true, false, KeyCode::kFlagCtrl | KeyCode::kFlagLeftCtrl);
    EXPECT_EQ(manager->HandleKey(ctrlC), QK_OK);
    EXPECT_TRUE(log.empty());
    loop.RunIdlePeriod();
    ASSERT_EQ(log, (std::vector<std::string>{"app:NID_EDIT_COPY_REQ"}));
    EXPECT_EQ(recorder->arguments.back(), "Ctrl+VKEY_C");
}

TEST_F(GlobalHotKeys, UnboundKeysKeyUpsAndOtherPrefixesAreNotHandled)
{
    EXPECT_EQ(manager->HandleKey(KeyCode::FromKeyMessage(67, false, true, KeyCode::kFlagCtrl)), QK_FALSE);
    EXPECT_EQ(manager->HandleKey(KeyCode::FromKeyMessage(67, true, false, 0)), QK_FALSE);
    // "GHK" entries were not read.
    EXPECT_EQ(manager->HandleKey(KeyCode::FromKeyMessage(46, true, false, 0)), QK_FALSE);
    loop.RunIdlePeriod();
    EXPECT_TRUE(log.empty());
}

TEST_F(GlobalHotKeys, WithoutATargetABoundKeyIsHandledAndSendsNothing)
{
    const auto lone = LGlobalHotKeyManager::Create(nullptr);
    ASSERT_EQ(lone->AddBinding(KeyCode::Parse(u"VKEY_DELETE"), u"NID_EDIT_DELETE_REQ"), QK_OK);
    EXPECT_EQ(lone->HandleKey(KeyCode::FromKeyMessage(46, true, false, 0)), QK_OK);
    loop.RunIdlePeriod();
    EXPECT_TRUE(log.empty());
}

} // namespace
} // namespace QK
