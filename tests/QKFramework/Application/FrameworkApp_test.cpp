// The framework application and the application base without a window system: the stored
// skin, the exit request over the root windows, idle passes, folders, cursors, Alt+F4, the
// window styles from a layout and the clamping of a stored placement.
#include "QKFramework/Application/ApplicationBase.h"
#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/Input/KeyCode.h"
#include "QKFramework/Notification/NotificationCenter.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Notification/NotificationClient.h"
#include "QKFramework/Notification/NotificationQueue.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/System/ClipBoard.h"
#include "QKFramework/System/FileDialog.h"
#include "QKFramework/Utilities/Storage/Paths.h"

#include "tests/support/Recorder.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UI/FakeWindowSystem.h"
#include "tests/support/UI/PumpingFileChooser.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <limits>
#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

// Two skins, each with a main control.
RCPtr<LControlFactory> LoadTwoSkins(const TempFolder& folder)
{
    folder.WriteFile("FrameworkStrings.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                             "<Zelvo_StringTable_Definitions><Application Name=\"Framework\"/>"
                                             "<StringTable ID=\"Framework\"/></Zelvo_StringTable_Definitions>\n");
    folder.WriteFile("StringTables.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                         "<Zelvo_StringTable_Definitions><Application Name=\"TestApp\"/>"
                                         "</Zelvo_StringTable_Definitions>\n");
    folder.WriteFile("Skins.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                  "<Zelvo_Skin_Definitions><Application Name=\"TestApp\"/><Skins>"
                                  "<Skin Name=\"one\"><SubControl Class=\"Test.Probe\" Name=\"mainControl\"/></Skin>"
                                  "<Skin Name=\"two\"><SubControl Class=\"Test.Probe\" Name=\"mainControl\"/></Skin>"
                                  "</Skins></Zelvo_Skin_Definitions>\n");
    RCPtr<LControlFactory> factory(new LControlFactory(WString(u"TestApp")));
    EXPECT_EQ(factory->LoadSkinSources(WString((folder.Path() + "/").c_str()), 0x0409), QK_OK);
    return factory;
}

class TestApp final : public LApplicationBase
{
public:
    TestApp(const RCPtr<LControlFactory>& factory, IWindowSystem& system, const std::string& settingsPath)
        : LApplicationBase(factory, nullptr, WString(u"test"), 0x0409, &system)
    {
        if (!settingsPath.empty())
            GetIniFileManager()->OpenFile(WString(settingsPath.c_str()), WString(u"TestApp"), WString(u"TestApp"),
                                          m_userSettings);
    }
    ~TestApp() override
    {
        if (m_userSettings)
            GetIniFileManager()->CloseFile(m_userSettings, true);
    }

    WString GetVersionString() const override { return WString(u"1.0"); }
    WString GetMainControlName() const override { return WString(u"mainControl"); }
    WString GetMainWindowClassName() const override { return WString(u"QKTestMainWindowClass"); }
    IniFileHandle GetSettings(std::int32_t file) override { return file == 1 ? m_userSettings : 0; }
    bool CanExit() override { return canExit; }
    std::int32_t GetMainWindowRendererKind() const override { return 1; }

    bool canExit = true;

private:
    IniFileHandle m_userSettings = 0;
};

class FrameworkAppTest : public ::testing::Test
{
protected:
    ~FrameworkAppTest() override { LNotificationCenterManager::ReleaseInstance(); }

    TempFolder m_folder;
    FakeWindowSystem m_system;
};

TEST_F(FrameworkAppTest, TheStoredSkinIndexIsKeptWithinTheSkins)
{
    const struct
    {
        const char* stored;
        std::int32_t applied;
    } cases[] = {{"5", 1}, {"-1", 0}, {"1", 1}, {nullptr, 0}};
    for (const auto& c : cases)
    {
        const std::string settings = m_folder / "UserSettings.ini";
        std::remove(settings.c_str());
        if (c.stored)
        {
            IniFileHandle file = 0;
            const RCPtr<LIniFileManager> manager = LIniFileManager::Create();
            manager->OpenFile(WString(settings.c_str()), WString(u"TestApp"), WString(u"TestApp"), file);
            manager->SetInteger(file, WString(u"CurrentSkinIndex"), std::atoi(c.stored));
            manager->CloseFile(file, true);
        }
        const RCPtr<LControlFactory> factory = LoadTwoSkins(m_folder);
        const RCPtr<TestApp> app(new TestApp(factory, m_system, settings));
        ASSERT_EQ(app->RunApplicationStartup(), QK_OK) << (c.stored ? c.stored : "missing");
        EXPECT_EQ(factory->GetCurrentSkin(), static_cast<std::uint32_t>(c.applied)) << (c.stored ? c.stored : "missing");
        EXPECT_EQ(app->GetCurrentSkinIndex(), c.applied) << "the applied index is stored";
        app->Shutdown();
    }
}

TEST_F(FrameworkAppTest, NoSkinsIsAFailedStartUp)
{
    const RCPtr<LControlFactory> factory(new LControlFactory(WString(u"TestApp")));
    const RCPtr<TestApp> app(new TestApp(factory, m_system, ""));
    EXPECT_EQ(app->RunApplicationStartup(), QK_E_FAIL);
}

// Root windows on recording hosts, registered as host windows register theirs.
struct Windows
{
    // Final, so the container may destroy it without a virtual destructor.
    struct Host final : RecordingWindowHost
    {
    };

    explicit Windows(LFrameworkApp& app, int count)
    {
        for (int i = 0; i < count; ++i)
        {
            roots.push_back(LRootWindow::Create(nullptr, &hosts.emplace_back()));
            app.RegisterRootWindow(roots.back().Get());
        }
    }
    ~Windows()
    {
        for (const RCPtr<LRootWindow>& root : roots)
            root->ReleaseInternalReferences();
    }
    // A deque keeps every host where it is while more are added.
    std::deque<Host> hosts;
    std::vector<RCPtr<LRootWindow>> roots;
};

TEST_F(FrameworkAppTest, AnExitRequestClosesEveryWindowButTheMainOneAndPostsTheQuit)
{
    for (const int count : {1, 3})
    {
        const RCPtr<LControlFactory> factory = LoadTwoSkins(m_folder);
        m_system.quit = false;
        const RCPtr<TestApp> app(new TestApp(factory, m_system, ""));
        ASSERT_EQ(app->RunApplicationStartup(), QK_OK);
        Windows windows(*app, count);

        app->canExit = false;
        GetDefaultNotificationCenter()->PostNotification(LNotification::Create(u"NID_APP_EXIT_REQ"));
        app->ProcessIdle(true);
        EXPECT_FALSE(app->IsExitRequested()) << "CanExit said no";
        EXPECT_FALSE(m_system.quit);

        app->canExit = true;
        GetDefaultNotificationCenter()->PostNotification(LNotification::Create(u"NID_APP_EXIT_REQ"));
        app->ProcessIdle(true);
        EXPECT_TRUE(app->IsExitRequested());
        EXPECT_TRUE(m_system.quit);
        // The same pass completes the requested closes in each window's idle step.
        const auto closed = [&](int i) {
            const auto& calls = windows.hosts[static_cast<std::size_t>(i)].calls;
            return std::find(calls.begin(), calls.end(), "EndModal(0)") != calls.end();
        };
        EXPECT_FALSE(closed(0)) << count;
        for (int i = 1; i < count; ++i)
            EXPECT_TRUE(closed(i)) << i;
        EXPECT_FALSE(app->OnIdle(0)) << "no idle pass once exit is requested";
        app->Shutdown();
    }
}

TEST_F(FrameworkAppTest, RootWindowsAreListedOnceAndIdlePassesServeEachOfThem)
{
    const RCPtr<TestApp> app(new TestApp(LoadTwoSkins(m_folder), m_system, ""));
    Windows windows(*app, 2);
    EXPECT_EQ(app->RegisterRootWindow(windows.roots[1].Get()), 1);
    EXPECT_EQ(app->GetRootWindows().size(), 2u);

    // Work waiting in the first window only still counts for the pass.
    windows.roots[0]->PostNotification(LNotification::Create(u"NID_TEST_ONE"));
    windows.roots[0]->PostNotification(LNotification::Create(u"NID_TEST_TWO"));
    EXPECT_FALSE(app->ProcessIdle(false)) << "both sent in one step";

    const RCPtr<LRootWindow> stranger = LRootWindow::Create(nullptr, nullptr);
    EXPECT_EQ(app->UnregisterRootWindow(stranger.Get()), -1);
    EXPECT_EQ(app->UnregisterRootWindow(windows.roots[0].Get()), 0);
    EXPECT_EQ(app->GetRootWindows().size(), 1u);
    stranger->ReleaseInternalReferences();
}

// Each pass serves every window in turn, last registered first, also when a window's idle
// step runs a pass of its own (as a modal loop does) and unregisters a window meanwhile.
TEST_F(FrameworkAppTest, AnIdlePassInsideAnotherServesEveryWindowAndLeavesTheOuterOneWhole)
{
    const RCPtr<TestApp> app(new TestApp(LoadTwoSkins(m_folder), m_system, ""));
    Windows windows(*app, 3);
    std::vector<int> served;
    struct IdleProbe final : LNotificationClient
    {
        std::function<void()> onIdle;
        QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>&,
                                     const ConstRCPtr<LNotification>&) override
        {
            onIdle();
            return QK_OK;
        }
    };
    std::vector<RCPtr<IdleProbe>> probes;
    bool nested = false;
    for (int i = 0; i < 3; ++i)
    {
        probes.emplace_back(new IdleProbe());
        probes.back()->onIdle = [&, i]
        {
            served.push_back(i);
            if (i == 1 && !nested)
            {
                nested = true;
                app->ProcessIdle(true);
                app->UnregisterRootWindow(windows.roots[2].Get());
            }
        };
        probes.back()->Subscribe(ConstRCPtr<LNotificationDistributor>(windows.roots[static_cast<std::size_t>(i)].Get()),
                                 kNidIdle);
    }

    app->ProcessIdle(true);
    EXPECT_EQ(served, (std::vector<int>{2, 1, 2, 1, 0, 0}));
    served.clear();
    app->ProcessIdle(true);
    EXPECT_EQ(served, (std::vector<int>{1, 0}));
    for (const RCPtr<IdleProbe>& probe : probes)
        probe->UnsubscribeAll();
}

// What a window host gets from the application: a root window made and registered for it,
// which the application finds again by host; the first one is the main window; the host's
// end and its close box reach the application without the host knowing its classes.
TEST_F(FrameworkAppTest, HostServicesMakeAndRegisterTheRootWindowTheApplicationFindsByHost)
{
    const RCPtr<TestApp> app(new TestApp(LoadTwoSkins(m_folder), m_system, ""));
    ASSERT_EQ(app->RunApplicationStartup(), QK_OK);
    IHostAppServices* services = GetHostAppServices();
    ASSERT_NE(services, nullptr);

    Windows::Host mainHost;
    Windows::Host dialogHost;
    const RCPtr<IHostedRootWindow> main = services->CreateRootWindow(nullptr, &mainHost);
    const RCPtr<IHostedRootWindow> dialog = services->CreateRootWindow(nullptr, &dialogHost);
    ASSERT_TRUE(main && dialog);
    ASSERT_EQ(app->GetRootWindows().size(), 2u);
    EXPECT_EQ(app->GetRootWindowOf(&mainHost).Get(), main.Get());
    EXPECT_EQ(app->GetRootWindowOf(&dialogHost).Get(), dialog.Get());
    EXPECT_FALSE(app->GetRootWindowOf(nullptr));
    EXPECT_TRUE(services->IsFirstRootWindow(main.Get()));
    EXPECT_FALSE(services->IsFirstRootWindow(dialog.Get()));

    services->UnregisterRootWindow(dialog.Get());
    EXPECT_FALSE(app->GetRootWindowOf(&dialogHost));
    EXPECT_EQ(app->GetRootWindows().size(), 1u);

    services->RequestExit();
    EXPECT_FALSE(app->IsExitRequested()) << "decided in the next idle pass";
    app->ProcessIdle(true);
    EXPECT_TRUE(app->IsExitRequested());

    services->UnregisterRootWindow(main.Get());
    main->ReleaseInternalReferences();
    dialog->ReleaseInternalReferences();
    app->Shutdown();
}

TEST_F(FrameworkAppTest, MouseButtonsWithoutAnActiveWindowComeFromTheKeyStates)
{
    const RCPtr<TestApp> app(new TestApp(LoadTwoSkins(m_folder), m_system, ""));
    m_system.keysDown = {0x01, 0x02, 0x04};
    EXPECT_EQ(app->GetMouseButtonState(), 7u);
    m_system.keysDown = {0x04};
    EXPECT_EQ(app->GetMouseButtonState(), 2u);
}

TEST_F(FrameworkAppTest, AltF4AsksForTheExitUnlessTheStringTableBindsIt)
{
    const RCPtr<TestApp> app(new TestApp(LoadTwoSkins(m_folder), m_system, ""));
    ASSERT_EQ(app->RunApplicationStartup(), QK_OK);
    const KeyCode altF4 = KeyCode::Parse(WString(u"Alt+VKEY_F4"));
    EXPECT_EQ(Narrow(KeyCode::FindBinding(app->GetHotKeyManager()->GetBindingMap(), altF4)), "NID_APP_EXIT_REQ");

    const RCPtr<TestApp> bound(new TestApp(LoadTwoSkins(m_folder), m_system, ""));
    bound->GetHotKeyManager()->AddBinding(altF4, WString(u"NID_CLOSE_PANEL"));
    ASSERT_EQ(bound->RunApplicationStartup(), QK_OK);
    EXPECT_EQ(Narrow(KeyCode::FindBinding(bound->GetHotKeyManager()->GetBindingMap(), altF4)), "NID_CLOSE_PANEL");
}

TEST_F(FrameworkAppTest, TheStartUpStartsTheClipboardAndKeepsWindowsPaintedUnderFileDialogs)
{
    PumpingFileChooser chooser;
    {
        const RCPtr<TestApp> app(new TestApp(LoadTwoSkins(m_folder), m_system, ""));
        ASSERT_TRUE(app->GetClipboard());
        EXPECT_FALSE(app->GetClipboard()->IsInitialized());
        ASSERT_EQ(app->RunApplicationStartup(), QK_OK);
        EXPECT_TRUE(app->GetClipboard()->IsInitialized());

        const RCPtr<LFileDialog> dialog(new LFileDialog(WString()));
        EXPECT_EQ(dialog->ShowOpenDialog(WString(u"All|*.*"), WString(), WString(u"Open"), false), QK_E_FAIL);
        EXPECT_EQ(m_system.pumps, 3) << "each wait paints without taking input";

        app->Shutdown();
        EXPECT_FALSE(app->GetClipboard()) << "released at shutdown";
        dialog->ShowOpenDialog(WString(u"All|*.*"), WString(), WString(u"Open"), false);
        EXPECT_EQ(m_system.pumps, 3) << "no pump into an application that has shut down";
    }
}

TEST_F(FrameworkAppTest, FoldersByPathId)
{
    TempFolder home;
    ScopedEnvironment homeVariable("HOME", home.Path().c_str());
    ScopedEnvironment data("XDG_DATA_HOME", (home / "data").c_str());
    ScopedEnvironment config("XDG_CONFIG_HOME", (home / "config").c_str());
    const RCPtr<TestApp> app(new TestApp(LoadTwoSkins(m_folder), m_system, ""));

    EXPECT_FALSE(app->GetFolder(0).IsEmpty());
    EXPECT_EQ(Narrow(app->GetFolder(1)), "::");
    // The company and product of the test program's version block.
    EXPECT_EQ(Narrow(app->GetFolder(2)), home / "data/QK Test Works/QK Test Program");
    EXPECT_EQ(Narrow(app->GetFolder(3)), home / "config/QK Test Works/QK Test Program");
    EXPECT_TRUE(FolderExists(app->GetFolder(3))) << "made when missing";
    EXPECT_FALSE(app->GetFolder(4).IsEmpty());
    try
    {
        app->GetFolder(5);
        ADD_FAILURE() << "id 5 was accepted";
    }
    catch (const std::out_of_range& error)
    {
        EXPECT_NE(std::string(error.what()).find("Out of Range : Unknown Path ID. : "
                                                 "QK::MFCFrameworkApp<class LApplication>::GetFolder"),
                  std::string::npos)
            << error.what();
    }
}

// The identity is the program's version block (this program's names its test program), the
// main window's class the application's; the framework adds no name of its own.
TEST_F(FrameworkAppTest, TheIdentityIsTheVersionBlocksAndTheMainWindowClassTheApplications)
{
    const RCPtr<TestApp> app(new TestApp(LoadTwoSkins(m_folder), m_system, ""));
    EXPECT_EQ(Narrow(app->GetCompanyName()), "QK Test Works");
    EXPECT_EQ(Narrow(app->GetProductName()), "QK Test Program");
    EXPECT_EQ(Narrow(app->GetApplicationName()), "QK Test Program");
    EXPECT_EQ(Narrow(app->GetProductVersion()), "7.8.9");

    SetHostMainWindowClassName(WString());
    ASSERT_EQ(app->RunApplicationStartup(), QK_OK);
    EXPECT_EQ(Narrow(GetHostMainWindowClassName()), "QKTestMainWindowClass") << "named by the start-up";
    EXPECT_EQ(app->CreateMainWindow(1), QK_E_FAIL) << "the fake window system makes no window";
    ASSERT_EQ(m_system.requests.size(), 1u);
    EXPECT_EQ(Narrow(m_system.requests[0].className), "QKTestMainWindowClass");
    EXPECT_EQ(Narrow(m_system.requests[0].title), "QK Test Works") << "the main window is titled with the company";
    app->Shutdown();
}

TEST_F(FrameworkAppTest, CursorsByNameWithTheArrowForAnyOther)
{
    const RCPtr<TestApp> app(new TestApp(LoadTwoSkins(m_folder), m_system, ""));
    EXPECT_EQ(app->GetCursor(WString(u"UI_CURSOR_WAIT")), 32514);
    EXPECT_EQ(app->GetCursor(WString(u"UI_CURSOR_HAND")), 32649);
    EXPECT_EQ(app->GetCursor(WString(u"UI_CURSOR_ROTATE")), 32512);
    EXPECT_EQ(app->GetCursor(WString(u"nonsense")), 32512);
    EXPECT_EQ(app->SetCursorPos(12, 34), QK_OK);
    EXPECT_EQ(m_system.cursor.x, 12);
}

TEST(ApplicationBaseStyleTest, TheLayoutDecidesTheFrame)
{
    const struct
    {
        double minX, minY, maxX, maxY;
        bool tied;
        std::uint32_t style;
    } cases[] = {
        {0, 0, 0, 0, false, kStyleThickFrame | kStyleMaximizeBox},
        {400, 300, 400, 300, false, 0},
        {400, 300, 800, 600, false, kStyleThickFrame},
        {0, 0, 800, 600, false, kStyleThickFrame},
        {0, 0, 0, 0, true, 0},
    };
    for (const auto& c : cases)
    {
        AxisSpec x;
        AxisSpec y;
        x.MinSize.Abs = c.minX;
        y.MinSize.Abs = c.minY;
        x.MaxSize.Abs = c.maxX;
        y.MaxSize.Abs = c.maxY;
        x.MinSize.HasReference = y.MinSize.HasReference = x.MaxSize.HasReference = y.MaxSize.HasReference = c.tied;
        const RCPtr<LLayoutDescriptor> layout(new LLayoutDescriptor());
        layout->SetAxisSpecs(x, y);
        LControlDescriptor description(WString(u"Test.Probe"), WString(u"main"), nullptr, nullptr, layout);
        EXPECT_EQ(LApplicationBase::GetResizeStyle(description), c.style) << c.minX << " " << c.maxX << " " << c.tied;
    }
}

TEST(ApplicationBasePlacementTest, AStoredPlacementComesBackOnTheDesktop)
{
    // The settings file is outside data: its edges and sizes may be anything in 32 bits, and
    // no edge plus size may wrap round on the way.
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    const RectL desktop{0, 0, 1600, 1000};
    const RectL leftScreen{-1920, 0, 1920, 1080};
    const struct
    {
        RectL desktop;
        RectL stored;
        RectL expected;
    } cases[] = {
        {desktop, {100, 100, 800, 600}, {100, 100, 800, 600}},
        {desktop, {-50, -20, 800, 600}, {0, 0, 800, 600}},
        {desktop, {1200, 700, 800, 600}, {800, 400, 800, 600}},
        {desktop, {10, 10, 3000, 2000}, {0, 0, 1600, 1000}},
        {desktop, {kMax, kMax, 800, 600}, {800, 400, 800, 600}},
        {desktop, {kMin, kMin, 800, 600}, {0, 0, 800, 600}},
        {desktop, {kMax, kMin, kMax, kMax}, {0, 0, 1600, 1000}},
        {desktop, {kMax - 100, kMax - 100, 200, 200}, {1400, 800, 200, 200}},
        {desktop, {-1, kMax, 1, 1}, {0, 999, 1, 1}},
        {leftScreen, {kMin, kMax, 800, 600}, {-1920, 480, 800, 600}},
        {leftScreen, {kMax, kMin, kMax, kMax}, {-1920, 0, 1920, 1080}},
        // Nothing to measure against: the stored rectangle stays as it is.
        {{0, 0, 0, 0}, {kMax, kMax, 800, 600}, {kMax, kMax, 800, 600}},
    };
    for (const auto& c : cases)
    {
        const RectL result = LApplicationBase::ClampToDesktop(c.stored, c.desktop);
        EXPECT_EQ(result.x, c.expected.x) << c.stored.x << "," << c.stored.y;
        EXPECT_EQ(result.y, c.expected.y) << c.stored.x << "," << c.stored.y;
        EXPECT_EQ(result.width, c.expected.width) << c.stored.width;
        EXPECT_EQ(result.height, c.expected.height) << c.stored.height;
    }
}

} // namespace
} // namespace QK
