// The editor's application object: its start-up in order and its failures, the skin that the
// screen resolution picks (and leaves alone), the settings files, folders and cursors, and
// letting go of the MIDI manager.
#include "Panel/Main/Application.h"

#include "QKFramework/Midi/MidiBackend.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Platform/Core/IniKeyStore.h"
#include "QKFramework/Platform/Core/Resources.h"
#include "QKFramework/Renderer/RenderApp.h"
#include "QKFramework/Renderer/Renderer.h"
#include "QKFramework/Utilities/Graphics/PngDecoder.h"

#include "tests/support/Editor/EditorTestApp.h"
#include "tests/support/Recorder.h"
#include "tests/support/Render/RecordingMessageService.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UI/FakeWindowSystem.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using TestSupport::EditorTestApp;
using TestSupport::FakeWindowSystem;
using TestSupport::LoadEditorResources;
using TestSupport::Narrow;
using TestSupport::ScopedEnvironment;
using TestSupport::TempFolder;
using TestSupport::TemporaryHome;

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

bool IsRegistered(LControlFactory& factory, const char16_t* className)
{
    try
    {
        LControlCreateFunction function = nullptr;
        return factory.GetControlCreateFunction(WString(className), function) == QK_OK && function != nullptr;
    }
    catch (const std::exception&)
    {
        return false;
    }
}

// An editor application whose application string table is the one given (null: none).
class StringsApp final : public LApplication
{
public:
    StringsApp(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& strings, IWindowSystem& system)
        : LApplication(factory, strings, WString(u""), 0x0409, &system)
    {
    }
};

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

// The names users and other programs know the editor by: its version block's, its main
// window class, and the ones it hands the framework as it is made.
TEST(ApplicationTest, TheEditorsNamesComeFromItsVersionBlockAndReachTheFramework)
{
    FakeWindowSystem system;
    const RCPtr<LApplication> app(new LApplication(nullptr, nullptr, WString(u""), 0x0409, &system));
    EXPECT_EQ(Narrow(app->GetCompanyName()), "Dozavod Professional");
    EXPECT_EQ(Narrow(app->GetProductName()), "Vedidu Editor");
    EXPECT_EQ(Narrow(app->GetMainWindowClassName()), "VediduPresetEditorMainWindowClass");

    const KeyStoreNames keyStore = GetKeyStoreNames();
    EXPECT_EQ(keyStore.companyFolder, "Dozavod Professional");
    EXPECT_EQ(keyStore.folderVariable, "VEDIDU_REGISTRY_DIR");
    const MidiBackendSettings midi = GetMidiBackendSettings();
    EXPECT_EQ(midi.clientName, "Vedidu Editor");
    EXPECT_EQ(midi.apiVariable, "VEDIDU_MIDI_API");
    const ScopedEnvironment dpi("VEDIDU_DPI", "123");
    EXPECT_EQ(LRenderApp::GetScreenResolution(), 123);
}

TEST(ApplicationTest, SettingsFilesOpenOnFirstUseInTheirOwnFoldersAndAreTriedAgainWhileClosed)
{
    TemporaryHome home;
    // A plain file where the data folder should be: the application settings cannot open.
    home.Folder().WriteFile("blocked", "");
    ScopedEnvironment data("XDG_DATA_HOME", (home.Folder() / "blocked").c_str());
    FakeWindowSystem system;
    const RCPtr<LApplication> app(new LApplication(nullptr, nullptr, WString(u""), 0x0409, &system));

    EXPECT_EQ(app->GetSettings(0), 0u) << "no folder, no file (and nothing at the top of the file system)";
    const IniFileHandle user = app->GetSettings(1);
    ASSERT_NE(user, 0u);
    EXPECT_EQ(app->GetSettings(1), user) << "opened once";

    const std::string dataHome = home.Folder() / "data";
    ScopedEnvironment reachable("XDG_DATA_HOME", dataHome.c_str());
    const IniFileHandle application = app->GetSettings(0);
    ASSERT_NE(application, 0u) << "tried again while 0";
    EXPECT_NE(application, user);

    // Each file lands in its own folder: application data and the user's local settings.
    IIniFileManager& settings = *app->GetIniFileManager();
    ASSERT_EQ(settings.SetInteger(application, WString(u"Probe"), 1), QK_OK);
    ASSERT_EQ(settings.SetInteger(user, WString(u"Probe"), 2), QK_OK);
    ASSERT_EQ(settings.CloseAllFiles(), QK_OK);
    const std::string applicationFolder = NString(app->GetFolder(2).GetString()).GetString();
    const std::string userFolder = NString(app->GetFolder(3).GetString()).GetString();
    EXPECT_EQ(applicationFolder.rfind(dataHome, 0), 0u) << applicationFolder;
    EXPECT_NE(ReadWholeFile(applicationFolder + "/AppSettings.ini").find("Probe"), std::string::npos);
    EXPECT_NE(ReadWholeFile(userFolder + "/UserSettings.ini").find("Probe"), std::string::npos);
}

// A settings folder that cannot be made (a plain file where the configuration folder should
// be, a configuration folder that nobody may write in, root included): the person is told
// once where the settings would have gone, and that they are not kept; later uses try again
// quietly, and a folder that can be made meanwhile is used.
TEST(ApplicationTest, ASettingsFolderThatCannotBeMadeIsToldOnceWithWhereItWouldBe)
{
    TemporaryHome home;
    home.Folder().WriteFile("plain", "");
    const std::string plain = home.Folder() / "plain";
    for (const std::string& config : {plain, std::string("/proc")})
    {
        SCOPED_TRACE(config);
        ScopedEnvironment blocked("XDG_CONFIG_HOME", config.c_str());
        FakeWindowSystem system;
        const RCPtr<LApplication> app(new LApplication(nullptr, nullptr, WString(u""), 0x0409, &system));
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(app->GetSettings(1), 0u);
        EXPECT_EQ(app->GetSettings(1), 0u);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "Vedidu Editor: the settings folder \"" + config +
                      "/Dozavod Professional/Vedidu Editor\" could not be made; the settings will not be kept\n");
        EXPECT_EQ(ReadWholeFile(plain), "") << "the file in the way is left alone";

        const std::string reachable = home.Folder() / "config";
        ScopedEnvironment fixed("XDG_CONFIG_HOME", reachable.c_str());
        ::testing::internal::CaptureStderr();
        EXPECT_NE(app->GetSettings(1), 0u);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
        app->GetIniFileManager()->CloseAllFiles();
    }
}

// The table the shell hands the application holds the framework's texts as well as the
// editor's, so a window whose OpenGL context cannot be made says so in the shipped words.
TEST(ApplicationTest, AFailedOpenGLContextShowsTheShippedTextsOfTheMergedTable)
{
    FakeWindowSystem system;
    const RCPtr<LControlFactory> factory = LoadEditorResources();
    ASSERT_TRUE(factory);
    const RCPtr<StringsApp> app(new StringsApp(factory, factory->GetMergedStringTable(), system));
    EXPECT_TRUE(app->GetApplicationString(u"LABEL_OPEN_USERGUIDE_FILE_FAILED_MSGBOX_CAPTION", WString())
                    .IsEqual(u"Open User Guide Failed"));
    TestSupport::RecordingMessageService messages;
    EXPECT_THROW(LRenderer::Create(0, 0), std::runtime_error) << "no window for the context";
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].caption, u"OpenGL Error");
    EXPECT_EQ(messages.messages[0].text,
              u"wglCreateContext failed.Updating your video card driver, with the latest driver from the "
              u"manufacturer of your video card, may solve this issue.");
}

TEST(ApplicationTest, StartUpRunsItsStepsInOrder)
{
    TemporaryHome home;
    FakeWindowSystem system;
    const RCPtr<LControlFactory> factory = LoadEditorResources();
    ASSERT_TRUE(factory);
    const RCPtr<EditorTestApp> app(new EditorTestApp(factory, system));
    std::vector<std::string> steps;
    app->makeEngine = [&] {
        steps.push_back(IsRegistered(*factory, u"PresetEditor.MainControl") ? "engine after the classes"
                                                                             : "engine before the classes");
        return RCPtr<LRootModuleEngine>(LPresetEditorAppEngine::Create());
    };
    app->makeMidiManager = [&] {
        steps.push_back(GetRootModuleEngine() ? "manager with the engine set" : "manager without an engine");
        return LMidiManager::Create();
    };

    ASSERT_EQ(app->RunApplicationStartup(), QK_OK);
    EXPECT_EQ(steps, (std::vector<std::string>{"engine after the classes", "manager with the engine set"}));
    EXPECT_TRUE(app->GetMidiManager()->IsDeviceStatusCheckerEnabled()) << "the checker is resumed";
    for (const char16_t* name : {u"PresetEditor.ParameterControl.TempoTaps", u"Framework.Graph",
                                 u"PresetEditor.DialogEditKeyCurve", u"PresetEditor.MainControl.DeviceView"})
        EXPECT_TRUE(IsRegistered(*factory, name)) << NString(name).GetString();
    EXPECT_TRUE(app->ReleaseMidiManager()) << "nothing else holds the transport";
    EXPECT_FALSE(app->GetMidiManager());
    app->Shutdown();
    EXPECT_FALSE(GetRootModuleEngine());
}

TEST(ApplicationTest, FailedStartUpsStopBeforeTheEditorsParts)
{
    TemporaryHome home;
    {
        SCOPED_TRACE("the framework's start-up fails (no skins)");
        FakeWindowSystem system;
        const RCPtr<LControlFactory> empty(new LControlFactory(WString(u"Vedidu Editor")));
        const RCPtr<StringsApp> app(new StringsApp(empty, nullptr, system));
        EXPECT_EQ(app->RunApplicationStartup(), static_cast<QKRESULT>(0x80004005));
        EXPECT_FALSE(IsRegistered(*empty, u"PresetEditor.MainControl"));
        EXPECT_FALSE(app->GetEngine());
        EXPECT_FALSE(app->GetMidiManager());
    }
    {
        SCOPED_TRACE("the \"GHK_WIN\" bindings fail (no application string table)");
        FakeWindowSystem system;
        const RCPtr<LControlFactory> factory = LoadEditorResources();
        ASSERT_TRUE(factory);
        const RCPtr<StringsApp> app(new StringsApp(factory, nullptr, system));
        EXPECT_EQ(app->RunApplicationStartup(), static_cast<QKRESULT>(0x80070057));
        EXPECT_TRUE(IsRegistered(*factory, u"Framework.Button")) << "the framework's classes are in";
        EXPECT_FALSE(IsRegistered(*factory, u"PresetEditor.MainControl"));
        EXPECT_FALSE(GetRootModuleEngine());
        EXPECT_FALSE(app->GetMidiManager());
        app->Shutdown();
    }
    {
        SCOPED_TRACE("no MIDI manager can be made");
        FakeWindowSystem system;
        const RCPtr<LControlFactory> factory = LoadEditorResources();
        ASSERT_TRUE(factory);
        const RCPtr<EditorTestApp> app(new EditorTestApp(factory, system));
        app->makeMidiManager = [] { return RCPtr<LMidiManager>(); };
        try
        {
            app->RunApplicationStartup();
            ADD_FAILURE() << "no error";
        }
        catch (const std::runtime_error& error)
        {
            EXPECT_STREQ(error.what(), "Runtime Error : Null Pointer : Cannot Create Midi Manager : "
                                       "LApplication::ReinitalizeMidiManager : Panel\\Main\\Application : Line 119");
        }
        app->Shutdown();
    }
}

TEST(ApplicationTest, TheScreenResolutionChoosesBetweenTheTwoShippedSkins)
{
    const struct
    {
        const char* dpi;
        std::int32_t screen;
        std::uint32_t skin;
    } cases[] = {{"160", 0, 0}, {"159", 0, 1}, {"96", 0, 1}, {"320", 0, 0}, {nullptr, 160, 0}, {nullptr, 159, 1}};
    for (const auto& c : cases)
    {
        const std::string trace = c.dpi ? std::string("VEDIDU_DPI ") + c.dpi : "screen " + std::to_string(c.screen);
        SCOPED_TRACE(trace);
        TemporaryHome home;
        ScopedEnvironment dpi("VEDIDU_DPI", c.dpi);
        FakeWindowSystem system;
        system.screenResolution = c.screen;
        const RCPtr<LControlFactory> factory = LoadEditorResources();
        ASSERT_TRUE(factory);
        ASSERT_EQ(factory->GetSkinCount(), 2u);
        const RCPtr<EditorTestApp> app(new EditorTestApp(factory, system));
        // A stored index that the resolution overrides.
        app->GetIniFileManager()->SetInteger(app->GetSettings(1), WString(u"CurrentSkinIndex"), 1 - c.skin);
        ASSERT_GE(app->RunApplicationStartup(), 0);
        EXPECT_EQ(factory->GetCurrentSkin(), c.skin);
        EXPECT_EQ(app->IsHighDpi(), c.skin == 0);
        std::int32_t stored = -1;
        app->GetIniFileManager()->GetInteger(app->GetSettings(1), WString(u"CurrentSkinIndex"), -1, stored);
        EXPECT_EQ(stored, static_cast<std::int32_t>(c.skin)) << "the choice is stored";
        EXPECT_TRUE(app->GetMidiManager());
        EXPECT_EQ(GetRootModuleEngine().Get(), app->GetEngine().Get());
        app->Shutdown();
        EXPECT_FALSE(GetRootModuleEngine()) << "the engine is cleared at shutdown";
    }
}

std::string SkinsDocument(int count)
{
    std::string skins;
    for (int i = 0; i < count; ++i)
        skins += "<Skin Name=\"skin" + std::to_string(i) +
                 "\"><SubControl Class=\"Framework.Panel\" Name=\"mainControl\" XSizeAbs=\"100\" "
                 "YSizeAbs=\"80\"/></Skin>";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Zelvo_Skin_Definitions><Application Name=\"Vedidu "
           "Editor\"/><Skins>" +
           skins + "</Skins></Zelvo_Skin_Definitions>\n";
}

TEST(ApplicationTest, OneOrThreeSkinsKeepTheStoredIndex)
{
    const struct
    {
        int skins;
        std::int32_t stored;
        const char* dpi;
    } cases[] = {{1, 0, "159"}, {3, 2, "160"}, {3, 1, "160"}, {3, 0, "96"}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.skins) + " skins, stored " + std::to_string(c.stored) + ", " + c.dpi + " dpi");
        TemporaryHome home;
        ScopedEnvironment dpi("VEDIDU_DPI", c.dpi);
        TempFolder folder;
        folder.WriteFile("FrameworkStrings.xml", "<?xml version=\"1.0\"?><Zelvo_StringTable_Definitions>"
                                                 "<Application Name=\"Framework\"/></Zelvo_StringTable_Definitions>");
        folder.WriteFile("StringTables.xml", "<?xml version=\"1.0\"?><Zelvo_StringTable_Definitions>"
                                             "<Application Name=\"Vedidu Editor\"/><StringTable ID=\"|Vedidu Editor\">"
                                             "<String ID=\"GHK_WIN.NID_APP_EXIT_REQ\"><Locale LCID=\"0x0009\">"
                                             "Ctrl+VKEY_Q</Locale></String></StringTable>"
                                             "</Zelvo_StringTable_Definitions>");
        folder.WriteFile("Skins.xml", SkinsDocument(c.skins));
        FakeWindowSystem system;
        const RCPtr<LControlFactory> factory = LoadEditorResources(folder.Path());
        ASSERT_TRUE(factory);
        ASSERT_EQ(factory->GetSkinCount(), static_cast<std::uint32_t>(c.skins));
        const RCPtr<EditorTestApp> app(new EditorTestApp(factory, system));
        app->GetIniFileManager()->SetInteger(app->GetSettings(1), WString(u"CurrentSkinIndex"), c.stored);
        ASSERT_GE(app->RunApplicationStartup(), 0);
        EXPECT_EQ(factory->GetCurrentSkin(), static_cast<std::uint32_t>(c.stored));
        EXPECT_FALSE(app->IsHighDpi()) << "the resolution is not asked";
        app->Shutdown();
    }
}

TEST(ApplicationTest, CursorsTheDropCursorsAreTheProgramsOwnImagesAndSixNamesGiveNone)
{
    FakeWindowSystem system;
    const RCPtr<LApplication> app(new LApplication(nullptr, nullptr, WString(u""), 0x0409, &system));

    EXPECT_EQ(app->GetCursor(WString(u"UI_CURSOR_DROP_MOVE")), 0x10000 + 102);
    EXPECT_EQ(app->GetCursor(WString(u"UI_CURSOR_DROP_COPY")), 0x10000 + 103);
    ASSERT_EQ(system.imageCursors.size(), 2u);
    for (const auto& cursor : system.imageCursors)
    {
        SCOPED_TRACE(cursor.id);
        const auto png = FindResourceData(GetApplicationInstance(), "CURSOR", std::to_string(cursor.id));
        ASSERT_EQ(cursor.size, png.size());
        DecodedImage image;
        ASSERT_TRUE(DecodePng(png.data(), png.size(), image));
        EXPECT_EQ(image.width, 32u);
        EXPECT_EQ(image.height, 32u);
        // The hot spot is at the arrow's tip: opaque next to it, clear beside the arrow.
        const auto alpha = [&image](std::int32_t x, std::int32_t y) {
            return image.pixels[(static_cast<std::size_t>(y) * image.width + static_cast<std::size_t>(x)) * 4 + 3];
        };
        EXPECT_EQ(cursor.hotSpot.x, 0);
        EXPECT_EQ(cursor.hotSpot.y, 0);
        EXPECT_GT(alpha(1, 1), 128);
        EXPECT_EQ(alpha(9, 1), 0);
    }

    for (const char16_t* none : {u"UI_CURSOR_SPLIT_V", u"UI_CURSOR_SPLIT_H", u"UI_CURSOR_ROTATE", u"UI_CURSOR_MAG",
                                 u"UI_CURSOR_MAG_PLUS", u"UI_CURSOR_MAG_MINUS"})
        EXPECT_EQ(app->GetCursor(WString(none)), 0) << NString(none).GetString();
    EXPECT_EQ(app->GetCursor(WString(u"UI_CURSOR_HAND")), 32649) << "the rest as the framework's";
    EXPECT_EQ(system.imageCursors.size(), 2u);
}

} // namespace
} // namespace QK
