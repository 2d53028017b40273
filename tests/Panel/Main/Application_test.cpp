#include "Panel/Main/Application.h"

#include "tests/support/Editor/EditorTestApp.h"
#include "tests/support/ScopedEnvironment.h"
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

TEST(ApplicationTest, TheScreenResolutionChoosesBetweenTheTwoShippedSkins)
{
    const struct
    {
        const char* dpi;
        std::uint32_t skin;
    } cases[] = {{"160", 0}, {"159", 1}, {"96", 1}, {"320", 0}};
    for (const auto& c : cases)
    {
        TestSupport::TemporaryHome home;
        TestSupport::ScopedEnvironment dpi("VEDIDU_DPI", c.dpi);
        FakeWindowSystem system;
        const RCPtr<LControlFactory> factory = TestSupport::LoadEditorResources();
        ASSERT_TRUE(factory);
        ASSERT_EQ(factory->GetSkinCount(), 2u);
        const RCPtr<TestSupport::EditorTestApp> app(new TestSupport::EditorTestApp(factory, system));
        ASSERT_GE(app->RunApplicationStartup(), 0) << c.dpi;
        EXPECT_EQ(factory->GetCurrentSkin(), c.skin) << c.dpi;
        EXPECT_EQ(app->IsHighDpi(), c.skin == 0) << c.dpi;
        EXPECT_TRUE(app->GetMidiManager());
        EXPECT_EQ(GetRootModuleEngine().Get(), app->GetEngine().Get());
        app->Shutdown();
        EXPECT_FALSE(GetRootModuleEngine()) << "the engine is cleared at shutdown";
    }
}

} // namespace
} // namespace QK
