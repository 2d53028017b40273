// The whole shell in real SDL windows on the test script's X server: a skin with a button,
// a text box and a menu bar opens; a click pushed through SDL's queue reaches the button,
// typed text reaches the text box and is copied to and pasted from the desktop's clipboard
// through the hot keys, a click on a menu title opens its menu and a click on an item sends
// its command to the root window, Alt+F4 ends the loop with status 0, and the placement the
// window had comes back, clamped, on the next start; the screen saver stays free to start
// while the window is open; a click the X server itself makes (XTest) in the inactive main
// window activates it and is delivered. What the host presented is saved as a picture under
// the build folder.
//
// Every run has a watchdog: should the events never reach their end, it asks the loop to
// quit, so a fault fails the test instead of hanging it.
#include "QKFramework/Application/FrameworkApp.h"
#include "QKFramework/Application/FrameworkShell.h"
#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/Controls/ComboMenu.h"
#include "QKFramework/Controls/MainMenu.h"
#include "QKFramework/Controls/TextBox.h"
#include "QKFramework/Notification/NotificationId.h"
#include "QKFramework/Platform/Render/Cairo/PngWriter.h"
#include "QKFramework/Platform/Window/SdlWindowHost.h"
#include "QKFramework/System/ClipBoard.h"
#include "QKFramework/System/FileDialog.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/Controls/ControlHarness.h"
#include "tests/support/Render/RecordingMessageService.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UI/FolderShell.h"
#include "tests/support/UI/LoopWatchdog.h"
#include "tests/support/UI/MenuFixtures.h"
#include "tests/support/UI/PumpingFileChooser.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// The menu bar's looks: grey titles with their text centred (highlighted while open), white
// rows with their text left and the hot keys right, the hovered row highlighted, a grey
// separator line, and the popup framed in grey.
std::string MenuBarLooks()
{
    const auto text = [](const char* left, const char* right, const char* align, const char* ink)
    {
        return std::string(R"(<TextProperties TextLeftRel="0" TextLeftAbs=")") + left +
               R"(" TextRightRel="1" TextRightAbs=")" + right + R"(" TextHAlign=")" + align +
               R"(" TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0.5" TextForegroundPart=")" +
               ink + R"("/>)";
    };
    const auto& flat = FlatLookXml;
    const auto& list = LookListXml;
    return R"(
  <Colorizers><Colorizer Name="menuBack" ColorType="SolidFill" Color="FFE8E8E8"/>
    <Colorizer Name="menuWhite" ColorType="SolidFill" Color="FFFFFFFF"/>
    <Colorizer Name="menuGrey" ColorType="SolidFill" Color="FF808080"/>
    <Colorizer Name="menuHighlight" ColorType="SolidFill" Color="FFB8D0F0"/></Colorizers>
  <Parts><Part Name="menuBack" Width="1" Height="1" ResizeType="Stretch" ColorizerName="menuBack"/>
    <Part Name="menuWhite" Width="1" Height="1" ResizeType="Stretch" ColorizerName="menuWhite"/>
    <Part Name="menuGrey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="menuGrey"/>
    <Part Name="menuHighlight" Width="1" Height="1" ResizeType="Stretch" ColorizerName="menuHighlight"/></Parts>
  <Looks>
    )" + flat("menuBar", "menuBack", "") + flat("title", "menuBack", text("0", "0", "0.5", "ink")) +
           flat("titleOpen", "menuHighlight", text("0", "0", "0.5", "ink")) +
           flat("row", "menuWhite", text("18", "-16", "0", "ink")) +
           flat("hover", "menuHighlight", text("18", "-16", "0", "ink")) + flat("noBox", "menuWhite", "") +
           R"(<Look Name="keys">)" + text("0", "-4", "1", "menuGrey") + "</Look>" +
           R"(<Look Name="separator"><ClientPart Name="menuWhite" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/><NonClientParts><NonClientPart Name="menuGrey" OffsetLeft="4" OffsetTop="9" OffsetRight="-4" OffsetBottom="-10"/></NonClientParts></Look>
    <Look Name="menuFrame"><ClientPart Name="menuWhite" OffsetLeft="1" OffsetTop="1" OffsetRight="-1" OffsetBottom="-1"/><NonClientParts><NonClientPart Name="menuGrey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></NonClientParts></Look>
  </Looks>
  <LookLists>)" +
           list("plain", {"menuBar", "menuBar", "menuBar"}) +
           list("menu", {"menuFrame", "menuFrame", "menuFrame", "menuFrame"}) +
           list("rows", MenuRowLooks("row", "hover", "row", "separator")) +
           list("box", std::vector<std::string>(14, "noBox")) + list("combo", {"title", "title", "titleOpen", "title"}) +
           list("keys", {"keys", "keys", "keys"}) +
           "</LookLists>";
}

const std::string kSkins = R"(<?xml version="1.0" encoding="UTF-8"?>
<Zelvo_Skin_Definitions><Application Name="WindowTest"/>
  <Colorizers>
    <Colorizer Name="back" ColorType="SolidFill" Color="FF203040"/>
    <Colorizer Name="button" ColorType="SolidFill" Color="FFE08020"/>
    <Colorizer Name="field" ColorType="SolidFill" Color="FFFFFFFF"/>
    <Colorizer Name="ink" ColorType="SolidFill" Color="FF000000"/>
    <Colorizer Name="mark" ColorType="SolidFill" Color="FF3070D0"/>
  </Colorizers>
  <Parts>
    <Part Name="back" Width="1" Height="1" ResizeType="Stretch" ColorizerName="back"/>
    <Part Name="button" Width="1" Height="1" ResizeType="Stretch" ColorizerName="button"/>
    <Part Name="field" Width="1" Height="1" ResizeType="Stretch" ColorizerName="field"/>
    <Part Name="ink" Width="1" Height="1" ResizeType="Stretch" ColorizerName="ink"/>
    <Part Name="mark" Width="1" Height="1" ResizeType="Stretch" ColorizerName="mark"/>
  </Parts>
  <Looks>
    <Look Name="back"><ClientPart Name="back" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="button"><ClientPart Name="button" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="field"><ClientPart Name="field" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
      <TextProperties TextLeftRel="0" TextLeftAbs="4" TextRightRel="1" TextRightAbs="-4" TextHAlign="0"
        TextTopRel="0" TextTopAbs="4" TextBottomRel="1" TextBottomAbs="-4" TextVAlign="0" TextForegroundPart="ink"/></Look>
    <Look Name="mark"><ClientPart Name="mark" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  </Looks>
  <LookLists>
    <LookList Name="main" NumLooks="1"><Look Name="back" Index="0"/></LookList>
    <LookList Name="buttons" NumLooks="14">
      <Look Name="button" Index="0"/><Look Name="button" Index="1"/><Look Name="button" Index="2"/>
      <Look Name="button" Index="3"/><Look Name="button" Index="4"/><Look Name="button" Index="5"/>
      <Look Name="button" Index="6"/><Look Name="button" Index="7"/><Look Name="button" Index="8"/>
      <Look Name="button" Index="9"/><Look Name="button" Index="10"/><Look Name="button" Index="11"/>
      <Look Name="button" Index="12"/><Look Name="button" Index="13"/>
    </LookList>
    <LookList Name="entry" NumLooks="14">
      <Look Name="field" Index="0"/><Look Name="field" Index="1"/><Look Name="field" Index="2"/>
      <Look Name="field" Index="3"/><Look Name="field" Index="4"/><Look Name="field" Index="5"/>
      <Look Name="field" Index="6"/><Look Name="field" Index="7"/><Look Name="field" Index="8"/>
      <Look Name="field" Index="9"/><Look Name="mark" Index="10"/><Look Name="mark" Index="11"/>
      <Look Name="field" Index="12"/><Look Name="field" Index="13"/>
    </LookList>
  </LookLists>
)" + MenuBarLooks() + R"(
  <Skins><Skin Name="only">
    <SubControl Class="Test.Probe" Name="mainControl" XPositionAbs="0" YPositionAbs="0" XSizeAbs="320" YSizeAbs="200">
      <Skin Name="main" LookList="main"/>
      <SubControl Class="Framework.Button" Name="push" XPositionAbs="100" YPositionAbs="80" XSizeAbs="120" YSizeAbs="40" TabStop="1">
        <Skin Name="push" LookList="buttons"/>
      </SubControl>
      <SubControl Class="Framework.TextBox" Name="entry" XPositionAbs="20" YPositionAbs="20" XSizeAbs="200" YSizeAbs="28" TabStop="2">
        <Skin Name="entry" LookList="entry"/>
      </SubControl>
      <SubControl Class="Framework.MainMenu" Name="mainMenu" XSizeAbs="320" YSizeAbs="18"><Skin Name="bar" LookList="plain"/>
        <SubControl Class="Framework.ComboMenu" Name="templateMenu" XSizeAbs="60" YSizeAbs="18"><Skin Name="title" LookList="combo"/>
          <SubControl Class="Framework.PopupMenu" Name="popupMenu" IsVisible="False" ClipToParent="False" XSizeAbs="150" YSizeAbs="20" YPositionToControl="Parent" YPositionRel="1">
            <Skin Name="m" LookList="menu"/>
            <SubControl Class="Framework.MenuItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="20"><Skin Name="r" LookList="rows"/>
              <SubControl Class="Framework.Button" Name="checkBox" XPositionAbs="2" YPositionAbs="4" XSizeAbs="12" YSizeAbs="12"><Skin Name="b" LookList="box"/></SubControl>
              <SubControl Class="Framework.Label" Name="hotKeyLabel" XPositionToControl="Parent" XPositionRel="1" XPositionAbs="-60" XSizeAbs="58" YSizeAbs="20"><Skin Name="h" LookList="keys"/></SubControl>
            </SubControl>
          </SubControl>
        </SubControl>
      </SubControl>
    </SubControl>
    <SubControl Class="Test.Probe" Name="otherPanel" XPositionAbs="700" YPositionAbs="500" XSizeAbs="160" YSizeAbs="90">
      <Skin Name="main" LookList="main"/>
    </SubControl>
  </Skin></Skins>
</Zelvo_Skin_Definitions>
)";

// The menu bar's two menus: File (open, save, exit) and Help.
constexpr const char* kStrings = R"(<?xml version="1.0" encoding="UTF-8"?>
<Zelvo_StringTable_Definitions><Application Name="WindowTest"/>
  <StringTable ID="Test.Probe|mainMenu">
    <String ID="MENU_LABEL.00"><Locale LCID="0x0009">File</Locale></String>
    <String ID="MENU_LABEL.01"><Locale LCID="0x0009">Help</Locale></String>
    <String ID="CONTEXT_MENU0.0.NID_MENU_FILE_LOAD_PRESET_FROM_FILE"><Locale LCID="0x0009">Open Preset...</Locale></String>
    <String ID="CONTEXT_MENU0.1.NID_MENU_FILE_SAVE_PRESET_TO_FILE"><Locale LCID="0x0009">Save Preset...</Locale></String>
    <String ID="CONTEXT_MENU0.2.-"><Locale LCID="0x0009"></Locale></String>
    <String ID="CONTEXT_MENU0.3.NID_APP_EXIT_REQ"><Locale LCID="0x0009">Exit</Locale></String>
    <String ID="CONTEXT_MENU1.0.NID_HELP_ABOUT"><Locale LCID="0x0009">About</Locale></String>
  </StringTable>
</Zelvo_StringTable_Definitions>
)";

// The hot keys of the edit commands, as the framework's own string table binds them.
constexpr const char* kFrameworkStrings = R"(<?xml version="1.0" encoding="UTF-8"?>
<Zelvo_StringTable_Definitions><Application Name="WindowTest"/>
  <StringTable ID="Framework">
    <String ID="GHK.NID_EDIT_COPY_REQ"><Locale LCID="0x0009">Ctrl+VKEY_C</Locale></String>
    <String ID="GHK.NID_EDIT_PASTE_REQ"><Locale LCID="0x0009">Ctrl+VKEY_V</Locale></String>
  </StringTable>
</Zelvo_StringTable_Definitions>
)";

// The button's middle, in the main window's client area.
constexpr PointL kButtonMiddle{160, 100};
// A point inside the text box, right of any text the tests type.
constexpr PointL kEntryInside{200, 34};
// The menu bar's titles, the File menu's second row ("Save Preset..."), and a point of the
// panel away from every control.
constexpr PointL kFileTitle{30, 9};
constexpr PointL kHelpTitle{90, 9};
constexpr PointL kSaveItem{40, 49};
constexpr PointL kPanelOnly{290, 180};

void PushButtonEvent(Uint32 windowId, Uint32 type, PointL point, Uint8 clicks = 1)
{
    SDL_Event event{};
    event.button.type = type;
    event.button.windowID = windowId;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = clicks;
    event.button.x = point.x;
    event.button.y = point.y;
    SDL_PushEvent(&event);
}

// The pointer moved over point, no button held.
void PushMove(Uint32 windowId, PointL point)
{
    SDL_Event move{};
    move.motion.type = SDL_MOUSEMOTION;
    move.motion.windowID = windowId;
    move.motion.x = point.x;
    move.motion.y = point.y;
    SDL_PushEvent(&move);
}

// The pointer moved over point and the left button pressed and released there, as the X
// server would report them.
void PushClick(Uint32 windowId, PointL point)
{
    PushMove(windowId, point);
    PushButtonEvent(windowId, SDL_MOUSEBUTTONDOWN, point);
    PushButtonEvent(windowId, SDL_MOUSEBUTTONUP, point);
}

// A key pressed and released with modifiers held, as the X server would report them.
void PushKey(Uint32 windowId, SDL_Keycode sym, SDL_Scancode scancode, Uint16 mod, bool release = true)
{
    for (const Uint32 type : {Uint32(SDL_KEYDOWN), Uint32(SDL_KEYUP)})
    {
        if (type == SDL_KEYUP && !release)
            break;
        SDL_Event key{};
        key.key.type = type;
        key.key.windowID = windowId;
        key.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        key.key.keysym.sym = sym;
        key.key.keysym.scancode = scancode;
        key.key.keysym.mod = mod;
        SDL_PushEvent(&key);
    }
}

void PushAltF4(Uint32 windowId)
{
    PushKey(windowId, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT, false);
}

// Text the input method committed (UTF-8, at most 31 bytes).
void PushText(Uint32 windowId, const char* utf8)
{
    SDL_Event text{};
    text.text.type = SDL_TEXTINPUT;
    text.text.windowID = windowId;
    SDL_strlcpy(text.text.text, utf8, sizeof(text.text.text));
    SDL_PushEvent(&text);
}

// What the X server itself does at the test's request, through the XTest extension on a
// connection of the test's own; false when the server has no XTest.
template <class Act> bool WithXTest(const Act& act)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    const bool available = XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor);
    if (available)
    {
        act(display);
        XSync(display, False);
    }
    XCloseDisplay(display);
    return available;
}

// A click at a point of the screen.
bool XTestClick(PointL screenPoint)
{
    return WithXTest(
        [&](Display* display)
        {
            XTestFakeMotionEvent(display, -1, screenPoint.x, screenPoint.y, CurrentTime);
            XTestFakeButtonEvent(display, 1, True, CurrentTime);
            XTestFakeButtonEvent(display, 1, False, CurrentTime);
        });
}

// A key pressed and released in the window that has the keyboard focus.
bool XTestKey(KeySym key)
{
    return WithXTest(
        [&](Display* display)
        {
            XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), True, CurrentTime);
            XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), False, CurrentTime);
        });
}

constexpr const char16_t* kMenuCommands[] = {u"NID_MENU_FILE_LOAD_PRESET_FROM_FILE",
                                              u"NID_MENU_FILE_SAVE_PRESET_TO_FILE", u"NID_HELP_ABOUT"};

// What each test does once the main window shows, and what the runs saw.
struct Script
{
    std::function<void(class WindowTestApp&)> onShown;
    // Run one at a time, each once the events are dispatched and an idle pass found nothing
    // left to do, so that the events of a step and the edits they post are done before the
    // next step's events arrive.
    std::deque<std::function<void(class WindowTestApp&)>> steps;
    int clicks = 0;
    int releases = 0;
    // The double-click flag of each press the button took, in order.
    std::vector<bool> presses;
    bool mainActiveAtClick = false;
    bool capturedAtExit = true;
    bool screenSaverAllowed = false;
    bool savePicture = false;
    std::int32_t rendererKind = 1;
    std::vector<std::string> handedOver;
    // The menu commands that reached the main root window, in order.
    std::vector<std::string> commands;
    RectL restoredRect{};
    std::vector<std::uint32_t> presented;
    std::int32_t presentedWidth = 0;
};
Script g_script;

class WindowTestApp final : public LApplicationBase
{
public:
    WindowTestApp(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& strings, const WString& commandLine,
                  std::uint32_t languageId)
        : LApplicationBase(factory, strings, commandLine, languageId)
    {
        GetIniFileManager()->OpenFile(WString((std::string(std::getenv("XDG_CONFIG_HOME")) + "/UserSettings.ini").c_str()),
                                      WString(u"WindowTest"), WString(u"WindowTest"), m_settings);
        // Until the framework's own class table lists the text box.
        const std::vector<FrameworkControlClass>& classes = GetFrameworkControlClasses();
        const auto isTextBox = [](const FrameworkControlClass& entry)
        { return std::u16string_view(entry.name) == u"Framework.TextBox"; };
        if (std::none_of(classes.begin(), classes.end(), isTextBox))
            factory->RegisterControlClass(WString(u"Framework.TextBox"), &LTextBox::Create);
    }
    ~WindowTestApp() override
    {
        if (m_settings)
            GetIniFileManager()->CloseFile(m_settings, true);
    }

    static constexpr const char16_t* kMainWindowClassName = kTestMainWindowClassName;
    static constexpr const char* kRuntimeFolderName = kTestRuntimeFolderName;

    WString GetVersionString() const override { return WString(u"test"); }
    WString GetMainControlName() const override { return WString(u"mainControl"); }
    WString GetMainWindowClassName() const override { return WString(kMainWindowClassName); }
    IniFileHandle GetSettings(std::int32_t file) override { return file == 1 ? m_settings : 0; }
    bool CanExit() override { return true; }
    std::int32_t GetMainWindowRendererKind() const override { return g_script.rendererKind; }

    Uint32 MainWindowId() { return static_cast<Uint32>(GetMainWindow()->GetHWND()); }
    LTextBox& Entry()
    {
        const RCPtr<LControl>& root = GetRootWindowOf(GetMainWindow())->GetRootControl();
        const RCPtr<LControl> entry = root->GetChildren().GetAt(WString(u"entry"));
        if (!entry)
            throw std::logic_error("the test skin has no text box");
        return dynamic_cast<LTextBox&>(*entry);
    }
    // The menu bar's title at index; throws when the bar did not make it.
    LComboMenu& MenuTitle(std::uint32_t index)
    {
        const RCPtr<LControl>& root = GetRootWindowOf(GetMainWindow())->GetRootControl();
        auto* bar = dynamic_cast<LMainMenu*>(root->GetChildren().GetAt(WString(u"mainMenu")).Get());
        const RCPtr<LComboMenu> title = bar ? bar->GetMenuButton(index) : RCPtr<LComboMenu>();
        if (!title)
            throw std::logic_error("the menu bar has no title " + std::to_string(index));
        return *title;
    }

    bool ProcessIdle(bool firstPass) override
    {
        const bool work = LApplicationBase::ProcessIdle(firstPass);
        if (!work && !g_script.steps.empty() && !GetSdlWindowSystem().HasPendingEvents())
        {
            const auto step = g_script.steps.front();
            g_script.steps.pop_front();
            step(*this);
        }
        return work;
    }

    void OnBeforeMainLoop() override
    {
        IHostWindow* window = GetMainWindow();
        ASSERT_NE(window, nullptr);
        g_script.restoredRect = window->GetFrameRect();
        const RCPtr<LControl>& root = GetRootWindowOf(window)->GetRootControl();
        ASSERT_TRUE(root);
        m_button = root->GetChildren().GetAt(WString(u"push"));
        ASSERT_TRUE(m_button);
        Subscribe(ConstRCPtr<LNotificationDistributor>(m_button.Get()), u"NID_LEFT_CLICK");
        Subscribe(ConstRCPtr<LNotificationDistributor>(m_button.Get()), u"NID_MOUSE_UP");
        Subscribe(ConstRCPtr<LNotificationDistributor>(m_button.Get()), u"NID_MOUSE_DOWN");
        // The menu bar sends its commands to the root window.
        for (const char16_t* command : kMenuCommands)
            Subscribe(ConstRCPtr<LNotificationDistributor>(GetRootWindowOf(window).Get()), command);
        if (g_script.onShown)
            g_script.onShown(*this);
    }

    void HandleNotification(const ConstRCPtr<LNotificationDistributor>& source,
                            const ConstRCPtr<LNotification>& notification) override
    {
        for (const char16_t* command : kMenuCommands)
            if (notification && GetNotificationName(notification->GetId()).IsEqual(command))
            {
                g_script.commands.push_back(NString(WString(command).GetString()).GetString());
                return;
            }
        if (notification && GetNotificationName(notification->GetId()).IsEqual(u"NID_LEFT_CLICK"))
        {
            ++g_script.clicks;
            g_script.mainActiveAtClick = GetMainWindow()->IsActive();
            if (g_script.savePicture)
                SavePicture("window-shell.png");
            PushAltF4(MainWindowId());
            return;
        }
        if (notification && GetNotificationName(notification->GetId()).IsEqual(u"NID_MOUSE_DOWN"))
        {
            const auto press = ConstRCPtr<LMouseButtonParam>::DynamicCast(notification->GetArgument());
            g_script.presses.push_back(press && press->DoubleClick);
            return;
        }
        if (notification && GetNotificationName(notification->GetId()).IsEqual(u"NID_MOUSE_UP"))
        {
            ++g_script.releases;
            return;
        }
        if (notification && GetNotificationName(notification->GetId()).IsEqual(u"NID_APP_EXIT_REQ") && GetMainWindow())
            g_script.capturedAtExit = static_cast<bool>(GetRootWindowOf(GetMainWindow())->GetCaptureControl());
        LApplicationBase::HandleNotification(source, notification);
    }

    QKRESULT HandleSecondInstance(const WString& commandLine) override
    {
        g_script.handedOver.push_back(NString(commandLine.GetString()).GetString());
        PushAltF4(MainWindowId());
        return QK_OK;
    }

    // What the host presented, into pictures/ of the build folder and g_script.presented.
    void SavePicture(const char* name)
    {
        auto* window = dynamic_cast<SdlHostWindow*>(GetMainWindow());
        ASSERT_NE(window, nullptr);
        window->PaintIfNeeded();
        std::int32_t height = 0;
        ASSERT_TRUE(window->ReadSurface(g_script.presented, g_script.presentedWidth, height));
        const std::string folder = VEDIDU_PICTURES_FOLDER;
        std::filesystem::create_directories(folder);
        EXPECT_TRUE(WritePngFile(folder + "/" + name, g_script.presented, g_script.presentedWidth, height));
    }

private:
    IniFileHandle m_settings = 0;
    RCPtr<LControl> m_button;
};

class WindowShellTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X server (scripts/test.sh starts Xvfb)";
        m_skins.WriteFile("Skins.xml", kSkins);
        m_skins.WriteFile("StringTables.xml", kStrings);
        m_skins.WriteFile("FrameworkStrings.xml", kFrameworkStrings);
        g_script = Script();
    }
    void TearDown() override
    {
        for (const RecordingMessageService::Message& box : m_boxes.messages)
            ADD_FAILURE() << "a message box: " << NString(box.caption.c_str()).GetString() << ": "
                          << NString(box.text.c_str()).GetString();
        g_script = Script();
    }

    // One whole run of the shell; false when the watchdog had to end it.
    bool RunShell(int& status)
    {
        GetSdlWindowSystem().ResetQuit();
        LoopWatchdog watchdog(std::chrono::seconds(30));
        FolderShell<WindowTestApp> shell(m_skins.Path() + "/");
        const char* argv[] = {"vedidu", "-DEBUG_CONSOLE:9"};
        status = shell.FrameworkWinMain(2, argv, 0x0409, WString(u"Splash.png"));
        GetSdlWindowSystem().ResetQuit();
        return !watchdog.fired;
    }

    TempFolder m_skins;
    TempFolder m_config;
    ScopedEnvironment m_configHome{"XDG_CONFIG_HOME", m_config.Path().c_str()};
    // The single-instance lock of these runs, apart from any other editor of the user's.
    TempFolder m_runtime;
    ScopedEnvironment m_runtimeHome{"XDG_RUNTIME_DIR", m_runtime.Path().c_str()};
    // A box would wait for a click that never comes.
    RecordingMessageService m_boxes;
};

TEST_F(WindowShellTest, APushedClickReachesTheButtonAltF4EndsTheRunAndThePlacementComesBackClamped)
{
    g_script.savePicture = true;
    g_script.onShown = [](WindowTestApp& app)
    {
        g_script.screenSaverAllowed = SDL_IsScreenSaverEnabled() == SDL_TRUE;
        PushClick(app.MainWindowId(), kButtonMiddle);
    };
    int status = -1;
    ASSERT_TRUE(RunShell(status)) << "the click or Alt+F4 never arrived";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(g_script.clicks, 1) << "NID_LEFT_CLICK from the button";
    EXPECT_TRUE(g_script.screenSaverAllowed) << "an open window held off the screen saver";
    const std::string settings = m_config.ReadFile("UserSettings.ini");
    EXPECT_NE(settings.find("WP"), std::string::npos) << settings;

    // The picture: the panel's colour around, the button's in its middle.
    ASSERT_EQ(g_script.presentedWidth, 320);
    const auto at = [](int x, int y)
    { return g_script.presented[static_cast<std::size_t>(y * g_script.presentedWidth + x)] & 0xFFFFFFu; };
    EXPECT_EQ(at(5, 60), 0x203040u) << "below the menu bar";
    EXPECT_EQ(at(kButtonMiddle.x, kButtonMiddle.y), 0xE08020u);
    EXPECT_EQ(at(315, 195), 0x203040u);

    // A stored placement partly off the desktop comes back inside it.
    const RCPtr<LIniFileManager> manager = LIniFileManager::Create();
    IniFileHandle file = 0;
    manager->OpenFile(WString((m_config.Path() + "/UserSettings.ini").c_str()), WString(u"WindowTest"),
                      WString(u"WindowTest"), file);
    manager->SetInteger(file, WString(u"WP.Left"), -200);
    manager->SetInteger(file, WString(u"WP.Top"), 5000);
    manager->CloseFile(file, true);
    g_script.savePicture = false;
    ASSERT_TRUE(RunShell(status)) << "the second run's click or Alt+F4 never arrived";
    EXPECT_EQ(status, 0);
    const RectL desktop = GetSdlWindowSystem().GetDesktopRect();
    EXPECT_EQ(g_script.restoredRect.x, 0);
    EXPECT_EQ(g_script.restoredRect.y + g_script.restoredRect.height, desktop.y + desktop.height);
    EXPECT_EQ(g_script.restoredRect.width, 320);
}

TEST_F(WindowShellTest, AReleaseOutsideTheWindowIsDeliveredEndsTheCaptureAndClicksNothing)
{
    g_script.onShown = [](WindowTestApp& app)
    {
        PushButtonEvent(app.MainWindowId(), SDL_MOUSEBUTTONDOWN, kButtonMiddle);
        PushButtonEvent(app.MainWindowId(), SDL_MOUSEBUTTONUP, PointL{-20, kButtonMiddle.y});
        PushAltF4(app.MainWindowId());
    };
    int status = -1;
    ASSERT_TRUE(RunShell(status)) << "Alt+F4 never arrived";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(g_script.releases, 1) << "the release reached the button that took the press";
    EXPECT_EQ(g_script.clicks, 0);
    EXPECT_FALSE(g_script.capturedAtExit);
}

TEST_F(WindowShellTest, TheSecondPressOfADoubleClickArrivesAsADoubleClickOnly)
{
    g_script.onShown = [](WindowTestApp& app)
    {
        for (const Uint8 clicks : {1, 2})
        {
            PushButtonEvent(app.MainWindowId(), SDL_MOUSEBUTTONDOWN, kButtonMiddle, clicks);
            PushButtonEvent(app.MainWindowId(), SDL_MOUSEBUTTONUP, kButtonMiddle, clicks);
        }
    };
    int status = -1;
    ASSERT_TRUE(RunShell(status)) << "the click or Alt+F4 never arrived";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(g_script.presses, (std::vector<bool>{false, true}));
}

TEST_F(WindowShellTest, WheelStepsAddUpToWholeNotchesPerEvent)
{
    g_script.onShown = [](WindowTestApp& app)
    {
        ProbeLog::Clear();
        // The panel takes every wheel event, so none goes on to the focus control as well.
        auto* panel = dynamic_cast<ProbeControl*>(app.GetRootWindowOf(app.GetMainWindow())->GetRootControl().Get());
        ASSERT_NE(panel, nullptr);
        panel->wheelAnswer = QK_OK;
        // Half a notch twice, three notches at once, and just short of a notch back.
        for (const float steps : {0.5f, 0.5f, 3.0f, -119.0f / 120.0f})
        {
            SDL_Event wheel{};
            wheel.wheel.type = SDL_MOUSEWHEEL;
            wheel.wheel.windowID = app.MainWindowId();
            wheel.wheel.preciseY = steps;
            wheel.wheel.y = static_cast<Sint32>(steps);
            wheel.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
            wheel.wheel.mouseX = 20;
            wheel.wheel.mouseY = 20;
            SDL_PushEvent(&wheel);
        }
        PushAltF4(app.MainWindowId());
    };
    int status = -1;
    ASSERT_TRUE(RunShell(status)) << "Alt+F4 never arrived";
    EXPECT_EQ(status, 0);
    std::vector<std::string> wheels;
    for (const std::string& line : ProbeLog::Lines())
        if (line.find("Wheel") != std::string::npos)
            wheels.push_back(line);
    EXPECT_EQ(wheels, (std::vector<std::string>{"mainControl:OnMouseWheel", "mainControl:OnMouseWheel"}));
}

TEST_F(WindowShellTest, AMainWindowDrawnWithOpenGLOpensAndTakesInput)
{
    g_script.rendererKind = 0;
    g_script.onShown = [](WindowTestApp& app) { PushClick(app.MainWindowId(), kButtonMiddle); };
    int status = -1;
    ASSERT_TRUE(RunShell(status)) << "the click or Alt+F4 never arrived";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(g_script.clicks, 1);
}

TEST_F(WindowShellTest, AClickOfTheXServerInTheInactiveMainWindowActivatesItAndIsDelivered)
{
    bool popupWasActive = false;
    bool mainWasInactive = false;
    bool clicked = false;
    g_script.onShown = [&](WindowTestApp& app)
    {
        // Another root window takes the activation away from the main window.
        const std::int32_t index = app.CreatePopupRootWindow(app.CreateControl(WString(u"otherPanel")), false, false,
                                                             false);
        ASSERT_GE(index, 1);
        IWindowOSServices* popup = app.GetRootWindows()[static_cast<std::size_t>(index)]->GetHost();
        ASSERT_NE(popup, nullptr);
        popup->Show(5);
        popupWasActive = popup->IsActive();
        mainWasInactive = !app.GetMainWindow()->IsActive();

        PointL screen = kButtonMiddle;
        app.GetMainWindow()->ClientToScreen(screen);
        clicked = XTestClick(screen);
    };
    int status = -1;
    ASSERT_TRUE(RunShell(status)) << "the click or Alt+F4 never arrived";
    ASSERT_TRUE(clicked) << "the X server has no XTest extension";
    EXPECT_TRUE(popupWasActive);
    EXPECT_TRUE(mainWasInactive);
    EXPECT_EQ(g_script.clicks, 1);
    EXPECT_TRUE(g_script.mainActiveAtClick);
    EXPECT_EQ(status, 0);
}

TEST_F(WindowShellTest, ALaterInstanceEndsWithZeroAndItsCommandLineReachesTheEnabledMainWindow)
{
    std::vector<ChildProcessResult> later;
    std::size_t whileDisabled = 0;
    const std::string skins = m_skins.Path();
    g_script.onShown = [&](WindowTestApp& app)
    {
        // While a modal window has the main window disabled the text is not handed on.
        app.GetMainWindow()->SetEnabled(false);
        later.push_back(RunChildProcess({VEDIDU_SHELL_PROBE, skins, "run", "while-disabled"}));
        app.ProcessIdle(true);
        whileDisabled = g_script.handedOver.size();
        app.GetMainWindow()->SetEnabled(true);
        later.push_back(RunChildProcess({VEDIDU_SHELL_PROBE, skins, "run", "Preset One.vedidu"}));
    };
    int status = -1;
    ASSERT_TRUE(RunShell(status)) << "the hand-over never arrived";
    EXPECT_EQ(status, 0);
    ASSERT_EQ(later.size(), 2u);
    for (const ChildProcessResult& result : later)
    {
        EXPECT_TRUE(result.finished) << result.errorOutput;
        EXPECT_EQ(result.exitStatus, 0) << result.errorOutput;
    }
    EXPECT_EQ(whileDisabled, 0u);
    ASSERT_EQ(g_script.handedOver.size(), 1u);
    EXPECT_NE(g_script.handedOver[0].find("run \"Preset One.vedidu\""), std::string::npos) << g_script.handedOver[0];
}

TEST_F(WindowShellTest, WhileAFileDialogWaitsTheWindowsPaintButTakeNoInput)
{
    PumpingFileChooser chooser;
    int clicksDuringDialog = -1;
    bool leftDirty = true;
    g_script.onShown = [&](WindowTestApp& app)
    {
        auto* window = dynamic_cast<SdlHostWindow*>(app.GetMainWindow());
        ASSERT_NE(window, nullptr);
        app.GetRootWindowOf(window)->InvalidateRect(RectL{0, 0, 320, 200});
        PushClick(app.MainWindowId(), kButtonMiddle);
        const RCPtr<LFileDialog> dialog(new LFileDialog(WString()));
        dialog->ShowOpenDialog(WString(u"Presets|*.vedidu"), WString(u"vedidu"), WString(u"Open"), false);
        clicksDuringDialog = g_script.clicks;
        leftDirty = window->PaintIfNeeded();
        // After the dialog the window takes input again.
        PushClick(app.MainWindowId(), kButtonMiddle);
    };
    int status = -1;
    ASSERT_TRUE(RunShell(status)) << "the click after the dialog never arrived";
    EXPECT_EQ(chooser.dialogs, 1);
    EXPECT_EQ(clicksDuringDialog, 0) << "the click made while the dialog waited was dropped";
    EXPECT_FALSE(leftDirty) << "the wait painted what was dirty";
    EXPECT_EQ(g_script.clicks, 1);
    EXPECT_EQ(status, 0);
}

TEST_F(WindowShellTest, TheLockKeysAreReportedToggledWhileTheirLockIsOn)
{
    // What QueryKeyState says of Caps Lock (0x14) and Num Lock (0x90), and of a letter, after
    // each press of a lock key.
    struct Reading
    {
        bool caps;
        bool num;
        bool letter;
    };
    std::vector<Reading> readings;
    bool pressed = true;
    const auto read = [&](WindowTestApp& app)
    {
        bool down = false;
        Reading reading{};
        app.QueryKeyState(0x14, down, reading.caps);
        app.QueryKeyState(0x90, down, reading.num);
        app.QueryKeyState(0x41, down, reading.letter);
        readings.push_back(reading);
    };
    g_script.onShown = [&](WindowTestApp&) { pressed = XTestKey(XK_Caps_Lock) && pressed; };
    g_script.steps.push_back([&](WindowTestApp& app) { read(app); pressed = XTestKey(XK_Num_Lock) && pressed; });
    g_script.steps.push_back([&](WindowTestApp& app) { read(app); pressed = XTestKey(XK_Caps_Lock) && pressed; });
    g_script.steps.push_back([&](WindowTestApp& app) { read(app); pressed = XTestKey(XK_Num_Lock) && pressed; });
    g_script.steps.push_back(
        [&](WindowTestApp& app)
        {
            read(app);
            PushAltF4(app.MainWindowId());
        });
    int status = -1;
    ASSERT_TRUE(RunShell(status)) << "the steps never ran to their end";
    ASSERT_TRUE(pressed) << "the X server has no XTest extension";
    EXPECT_EQ(status, 0);
    ASSERT_EQ(readings.size(), 4u);
    const Reading expected[] = {{true, false, false}, {true, true, false}, {false, true, false}, {false, false, false}};
    for (std::size_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ(readings[i].caps, expected[i].caps) << "after press " << i + 1;
        EXPECT_EQ(readings[i].num, expected[i].num) << "after press " << i + 1;
        EXPECT_EQ(readings[i].letter, expected[i].letter) << "after press " << i + 1;
    }
}

TEST_F(WindowShellTest, TheClipboardGoesThroughTheDesktopClipboard)
{
    std::string placed;
    std::string read;
    g_script.onShown = [&](WindowTestApp& app)
    {
        const RCPtr<LClipboard>& clipboard = app.GetClipboard();
        ASSERT_TRUE(clipboard);
        EXPECT_EQ(clipboard->SetText(WString(u"Preset \u00abGr\u00fcn\u00bb 1")), QK_OK);
        char* text = SDL_GetClipboardText();
        placed = text ? text : "";
        SDL_free(text);
        // Another program's copy.
        SDL_SetClipboardText("Lead \xe2\x9c\x93 2");
        read = NString(clipboard->GetText().GetString()).GetString();
        PushAltF4(app.MainWindowId());
    };
    int status = -1;
    ASSERT_TRUE(RunShell(status));
    EXPECT_EQ(placed, "Preset \xc2\xab" "Gr\xc3\xbcn\xc2\xbb 1");
    EXPECT_EQ(read, "Lead \xe2\x9c\x93 2");
    EXPECT_EQ(status, 0);
}

TEST_F(WindowShellTest, TextTypedIntoTheTextBoxIsCopiedToAndPastedFromTheDesktopClipboard)
{
    // "Café" and a mathematical sans-serif capital A.
    const std::string kTyped = "Caf\xc3\xa9\xf0\x9d\x96\xa0";
    const auto text = [](WindowTestApp& app)
    { return std::string(NString(app.Entry().GetText().GetString()).GetString()); };
    std::string typed;
    std::string copied;
    std::string pastedBack;
    std::string pastedOther;
    bool focused = false;
    g_script.onShown = [](WindowTestApp& app)
    {
        // Nothing of an earlier run's copy is left to be mistaken for this one's.
        SDL_SetClipboardText("");
        PushClick(app.MainWindowId(), kEntryInside);
        PushText(app.MainWindowId(), "Caf");
        PushText(app.MainWindowId(), "\xc3\xa9");
        // Beyond the 16-bit plane: two characters, one for each half of the pair.
        PushText(app.MainWindowId(), "\xf0\x9d\x96\xa0");
    };
    // Shift+Home selects all that was typed; Ctrl+C copies it (its character 3 is no text).
    g_script.steps.push_back(
        [&](WindowTestApp& app)
        {
            typed = text(app);
            focused = app.GetRootWindowOf(app.GetMainWindow())->GetFocusControl().Get() == &app.Entry();
            PushKey(app.MainWindowId(), SDLK_HOME, SDL_SCANCODE_HOME, KMOD_LSHIFT);
            PushKey(app.MainWindowId(), SDLK_c, SDL_SCANCODE_C, KMOD_LCTRL);
        });
    // End drops the selection; Ctrl+V pastes the copy after it.
    g_script.steps.push_back(
        [&](WindowTestApp& app)
        {
            char* clip = SDL_GetClipboardText();
            copied = clip ? clip : "";
            SDL_free(clip);
            PushKey(app.MainWindowId(), SDLK_END, SDL_SCANCODE_END, KMOD_NONE);
            PushKey(app.MainWindowId(), SDLK_v, SDL_SCANCODE_V, KMOD_LCTRL);
        });
    // Another program's copy is what the next paste brings.
    g_script.steps.push_back(
        [&](WindowTestApp& app)
        {
            pastedBack = text(app);
            SDL_SetClipboardText(" gr\xc3\xbcn");
            PushKey(app.MainWindowId(), SDLK_v, SDL_SCANCODE_V, KMOD_LCTRL);
        });
    // The picture shows the text with the last paste selected.
    g_script.steps.push_back(
        [&](WindowTestApp& app)
        {
            pastedOther = text(app);
            app.Entry().SetSelection(12, 16);
            app.SavePicture("window-shell-text.png");
            PushAltF4(app.MainWindowId());
        });
    int status = -1;
    ASSERT_TRUE(RunShell(status)) << "the steps never ran to their end; " << g_script.steps.size() << " left";
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(focused) << "the click put the focus into the text box";
    EXPECT_EQ(typed, kTyped);
    EXPECT_EQ(copied, kTyped);
    EXPECT_EQ(pastedBack, kTyped + kTyped);
    EXPECT_EQ(pastedOther, kTyped + kTyped + " gr\xc3\xbcn");

    // The box is white with black text, the selected paste is drawn in the highlight.
    ASSERT_EQ(g_script.presentedWidth, 320);
    const auto at = [](int x, int y)
    { return g_script.presented[static_cast<std::size_t>(y * g_script.presentedWidth + x)] & 0xFFFFFFu; };
    EXPECT_EQ(at(21, 21), 0xFFFFFFu);
    EXPECT_EQ(at(218, 46), 0xFFFFFFu);
    std::size_t ink = 0;
    std::size_t highlight = 0;
    for (int y = 20; y < 48; ++y)
        for (int x = 20; x < 220; ++x)
        {
            // Glyph edges are blended; their dark cores are ink.
            const std::uint32_t pixel = at(x, y);
            ink += (pixel >> 16) < 0x60u && ((pixel >> 8) & 0xFFu) < 0x60u && (pixel & 0xFFu) < 0x60u;
            highlight += pixel == 0x3070D0u;
        }
    EXPECT_GT(ink, 20u) << "the text was drawn";
    EXPECT_GT(highlight, 20u) << "the selection was drawn";
}

TEST_F(WindowShellTest, AMenuTitleClickedOpensItsPopupAndAClickedItemDeliversItsCommand)
{
    bool fileOpened = false;
    RectL popup{};
    bool closedByEscape = false;
    bool switchedToHelp = false;
    bool switchedBack = false;
    std::vector<std::string> commandsAfterItem;
    bool closedAfterItem = false;
    bool helpOpened = false;
    bool closedByPanelClick = false;
    g_script.onShown = [](WindowTestApp& app) { PushClick(app.MainWindowId(), kFileTitle); };
    g_script.steps.push_back(
        [&](WindowTestApp& app)
        {
            fileOpened = app.MenuTitle(0).IsDroppedDown();
            if (const RCPtr<LPopupMenu> menu = app.MenuTitle(0).GetPopupMenu())
                menu->GetWindowRect(popup);
            app.SavePicture("window-shell-menu.png");
            PushKey(app.MainWindowId(), SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, KMOD_NONE);
        });
    g_script.steps.push_back(
        [&](WindowTestApp& app)
        {
            closedByEscape = !app.MenuTitle(0).IsDroppedDown();
            PushClick(app.MainWindowId(), kFileTitle);
        });
    g_script.steps.push_back([&](WindowTestApp& app) { PushMove(app.MainWindowId(), kHelpTitle); });
    // With a menu open, the pointer alone switches between the titles.
    g_script.steps.push_back(
        [&](WindowTestApp& app)
        {
            switchedToHelp = app.MenuTitle(1).IsDroppedDown() && !app.MenuTitle(0).IsDroppedDown();
            PushMove(app.MainWindowId(), kFileTitle);
        });
    g_script.steps.push_back(
        [&](WindowTestApp& app)
        {
            switchedBack = app.MenuTitle(0).IsDroppedDown() && !app.MenuTitle(1).IsDroppedDown();
            PushClick(app.MainWindowId(), kSaveItem);
        });
    g_script.steps.push_back(
        [&](WindowTestApp& app)
        {
            commandsAfterItem = g_script.commands;
            closedAfterItem = !app.MenuTitle(0).IsDroppedDown();
            PushClick(app.MainWindowId(), kHelpTitle);
        });
    g_script.steps.push_back(
        [&](WindowTestApp& app)
        {
            helpOpened = app.MenuTitle(1).IsDroppedDown();
            PushClick(app.MainWindowId(), kPanelOnly);
        });
    g_script.steps.push_back(
        [&](WindowTestApp& app)
        {
            closedByPanelClick = !app.MenuTitle(1).IsDroppedDown();
            PushAltF4(app.MainWindowId());
        });
    int status = -1;
    ASSERT_TRUE(RunShell(status)) << "the steps never ran to their end; " << g_script.steps.size() << " left";
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(fileOpened) << "a click on the title opens its menu";
    EXPECT_TRUE(closedByEscape) << "Escape closes the menu bar's popup";
    EXPECT_TRUE(switchedToHelp) << "the pointer moved onto the other title opens its menu";
    EXPECT_TRUE(switchedBack);
    EXPECT_EQ(commandsAfterItem, std::vector<std::string>{"NID_MENU_FILE_SAVE_PRESET_TO_FILE"});
    EXPECT_TRUE(closedAfterItem);
    EXPECT_TRUE(helpOpened);
    EXPECT_TRUE(closedByPanelClick) << "a click beside the open menu closes it";
    EXPECT_EQ(g_script.commands, std::vector<std::string>{"NID_MENU_FILE_SAVE_PRESET_TO_FILE"});

    // The picture: the open title highlighted, the other one plain, the popup framed in grey
    // over the text box, its rows white with dark text.
    ASSERT_EQ(g_script.presentedWidth, 320);
    const auto at = [](int x, int y)
    { return g_script.presented[static_cast<std::size_t>(y * g_script.presentedWidth + x)] & 0xFFFFFFu; };
    EXPECT_EQ(at(2, 2), 0xB8D0F0u) << "the open title";
    EXPECT_EQ(at(62, 2), 0xE8E8E8u) << "the closed title";
    // Every row with its hot key fits the skin's width, which is the popup's smallest.
    ASSERT_EQ(popup.width, 150) << "the popup is as wide as its longest row, at least as its skin";
    ASSERT_LT(popup.x + popup.width, 320);
    EXPECT_EQ(popup.y, 18) << "below its title";
    EXPECT_EQ(at(popup.x + popup.width - 1, 30), 0x808080u) << "the popup's frame, drawn over the text box";
    EXPECT_EQ(at(popup.x + 60, popup.y + popup.height), 0x203040u) << "the panel below the popup";
    EXPECT_EQ(at(10, 28), 0xFFFFFFu) << "the first row";
    std::size_t ink = 0;
    for (int y = 19; y < 59; ++y)
        for (int x = 18; x < 110; ++x)
        {
            const std::uint32_t pixel = at(x, y);
            ink += (pixel >> 16) < 0x60u && ((pixel >> 8) & 0xFFu) < 0x60u && (pixel & 0xFFu) < 0x60u;
        }
    EXPECT_GT(ink, 20u) << "the rows' labels were drawn";
}

} // namespace
} // namespace QK
