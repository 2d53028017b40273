#include "Panel/Main/Application.h"

#include "tests/support/UI/FakeWindowSystem.h"

#include <gtest/gtest.h>

namespace QK
{
namespace
{

using TestSupport::FakeWindowSystem;

TEST(ApplicationTest, FoldersFiveAndSixAreTheDocumentsAndOnlyTwoSettingsFilesExist)
{
    FakeWindowSystem system;
    const RCPtr<LApplication> app(new LApplication(nullptr, nullptr, WString(u""), 0x0409, &system));
    EXPECT_EQ(GetEditorApplication(), app.Get());
    EXPECT_TRUE(app->GetFolder(5).IsEqual(app->GetFolder(4)));
    EXPECT_TRUE(app->GetFolder(6).IsEqual(app->GetFolder(4)));
    EXPECT_EQ(app->GetSettings(2), 0u);
    EXPECT_EQ(app->GetSettings(-1), 0u);
    EXPECT_FALSE(app->GetMidiManager()) << "no MIDI manager before start-up";
}

} // namespace
} // namespace QK
