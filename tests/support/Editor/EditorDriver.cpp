// EditorDriver. Sections: pictures; the scripted file chooser; the shell and the application;
// the watchdog; the run; finding controls; input; the loop; what the editor showed.
#include "tests/support/Editor/EditorDriver.h"

#include "QKFramework/Application/FrameworkShell.h"
#include "QKFramework/Application/RootWindow.h"
#include "QKFramework/ControlBase/ScrollView.h"
#include "QKFramework/Controls/ScrollBar.h"
#include "QKFramework/Platform/Render/Cairo/PngWriter.h"
#include "QKFramework/Platform/Window/SdlWindowHost.h"
#include "QKFramework/Utilities/Storage/Paths.h"

#include "tests/support/UI/LoopWatchdog.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>

#ifndef VEDIDU_PICTURES_FOLDER
#define VEDIDU_PICTURES_FOLDER "pictures"
#endif

namespace QK::TestSupport
{

namespace
{

std::vector<std::string> SplitPath(const std::string& path)
{
    std::vector<std::string> names;
    std::stringstream stream(path);
    for (std::string name; std::getline(stream, name, '/');)
        if (!name.empty())
            names.push_back(name);
    return names;
}

// The control named name nearest below top (top itself included), breadth first.
RCPtr<LControl> FindBelow(const RCPtr<LControl>& top, const WString& name)
{
    std::deque<RCPtr<LControl>> queue{top};
    while (!queue.empty())
    {
        RCPtr<LControl> control = queue.front();
        queue.pop_front();
        if (!control)
            continue;
        if (control->GetName().IsEqual(name.GetString()))
            return control;
        const LControl::ChildControlList& children = control->GetChildren();
        for (std::uint32_t i = 0; i < children.GetCount(); ++i)
            queue.push_back(children.GetAt(i));
    }
    return nullptr;
}

bool IsWithin(const LControl* control, const LControl& ancestor)
{
    for (; control; control = control->GetParent())
        if (control == &ancestor)
            return true;
    return false;
}

std::string Describe(const LControl& control)
{
    // Built piece by piece: GCC 12 warns of a false overlap in "literal" + std::string.
    std::string path;
    for (const LControl* at = &control; at; at = at->GetParent())
    {
        std::string step("/");
        step += NString(at->GetName().GetString()).GetString();
        path.insert(0, step);
    }
    return path;
}

// The path with each control's number of looks: a control passes the pointer on to its
// children only through its looks.
std::string DescribeLooks(const LControl& control)
{
    std::string text;
    for (const LControl* at = &control; at; at = at->GetParent())
    {
        std::string step("/");
        step += NString(at->GetName().GetString()).GetString();
        step += '(';
        step += std::to_string(at->GetLookCount());
        step += " looks)";
        text.insert(0, step);
    }
    return text;
}

} // namespace

// --- Pictures ------------------------------------------------------------------------------

std::uint32_t Picture::At(std::int32_t x, std::int32_t y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] &
           0xFFFFFFu;
}

Picture Picture::Crop(const RectL& rect) const
{
    Picture part;
    const std::int32_t left = std::clamp(rect.x, 0, width);
    const std::int32_t top = std::clamp(rect.y, 0, height);
    const std::int32_t right = std::clamp(rect.x + rect.width, left, width);
    const std::int32_t bottom = std::clamp(rect.y + rect.height, top, height);
    part.width = right - left;
    part.height = bottom - top;
    part.pixels.reserve(static_cast<std::size_t>(part.width) * static_cast<std::size_t>(part.height));
    for (std::int32_t y = top; y < bottom; ++y)
        for (std::int32_t x = left; x < right; ++x)
            part.pixels.push_back(pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                         static_cast<std::size_t>(x)]);
    return part;
}

std::size_t Picture::CountDifferences(const Picture& other) const
{
    std::size_t differences = 0;
    const std::int32_t w = std::max(width, other.width);
    const std::int32_t h = std::max(height, other.height);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x)
        {
            const bool inside = x < width && y < height && x < other.width && y < other.height;
            differences += !inside || At(x, y) != other.At(x, y);
        }
    return differences;
}

// --- The scripted file chooser -------------------------------------------------------------

ScriptedFileChooser::ScriptedFileChooser() : m_previous(SetFileChooser(this)) {}

ScriptedFileChooser::~ScriptedFileChooser()
{
    SetFileChooser(m_previous);
}

FileChooserAnswer ScriptedFileChooser::Run(const FileChooserRequest& request, const DialogWaitPump& pump)
{
    requests.push_back(request);
    for (int i = 0; i < 2; ++i)
        if (pump)
            pump();
    if (m_answers.empty())
    {
        ++unanswered;
        return {FileChooserOutcome::Cancelled, {}};
    }
    FileChooserAnswer answer = m_answers.front();
    m_answers.pop_front();
    if (answer.outcome != FileChooserOutcome::Chosen || answer.paths.empty())
        return answer;
    // What the desktop's dialogs do themselves: a path chosen to open is handed on whatever
    // is there (the caller tells why it cannot be read), and a saved name without an
    // extension takes the default one.
    WString& path = answer.paths.front();
    if (request.save && !request.defaultExtension.IsEmpty() && GetFileNameFromPath(path).ReverseFind(u'.') < 0)
        path.Append(WString(u".") + request.defaultExtension);
    return answer;
}

// --- The shell and the application ---------------------------------------------------------

// The editor's application with the driver's engine and MIDI manager, whose idle passes also
// run the driver's queued steps.
class EditorDriver::DrivenApp final : public EditorTestApp
{
public:
    DrivenApp(EditorDriver& driver, const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& strings,
              const WString& commandLine, std::uint32_t languageId)
        : EditorTestApp(factory, strings, commandLine, languageId, nullptr), m_driver(driver)
    {
        makeEngine = driver.m_options.makeEngine;
        makeMidiManager = driver.m_options.makeMidiManager;
    }

    bool ProcessIdle(bool firstPass) override
    {
        const bool work = EditorTestApp::ProcessIdle(firstPass);
        return m_driver.RunQueuedStep() || work;
    }

    void OnBeforeMainLoop() override
    {
        EditorTestApp::OnBeforeMainLoop();
        m_driver.RunBody();
    }

private:
    EditorDriver& m_driver;
};

// The program's shell with the driver's skins and application object.
class EditorDriver::Shell final : public LFrameworkShell
{
public:
    explicit Shell(EditorDriver& driver) : m_driver(driver) {}

protected:
    WString GetSkinFolder() const override
    {
        const std::string& folder = m_driver.m_options.skinFolder;
        return WString((folder == "::" || folder.empty() || folder.back() == '/' ? folder : folder + "/").c_str());
    }
    RCPtr<LApplicationBase> CreateApplication(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& strings,
                                              const WString& commandLine, std::uint32_t languageId) override
    {
        auto* app = new DrivenApp(m_driver, factory, strings, commandLine, languageId);
        m_driver.m_app = app;
        return RCPtr<LApplicationBase>(app);
    }
    WString GetMainWindowClassName() const override { return WString(LApplication::kMainWindowClassName); }
    std::string GetRuntimeFolderName() const override { return LApplication::kRuntimeFolderName; }

private:
    EditorDriver& m_driver;
};

// --- The watchdog --------------------------------------------------------------------------

// The run's watchdog (the driver's header names it, so it is a class of the driver's own).
class EditorDriver::Watchdog : public LoopWatchdog
{
public:
    using LoopWatchdog::LoopWatchdog;
};

// --- The run -------------------------------------------------------------------------------

EditorDriver::EditorDriver(EditorDriverOptions options)
    : m_options(std::move(options)), m_runtimeHome("XDG_RUNTIME_DIR", m_runtime.Path().c_str())
{
}

EditorDriver::~EditorDriver() = default;

int EditorDriver::Run(const std::function<void(EditorDriver&)>& body)
{
    m_body = body;
    m_bodyRan = false;
    m_watchdogFired = false;
    m_steps.clear();
    GetSdlWindowSystem().ResetQuit();
    std::vector<const char*> argv{"VediduEditor"};
    for (const std::string& argument : m_options.arguments)
        argv.push_back(argument.c_str());
    int status = -1;
    {
        Watchdog watchdog(m_options.watchdog);
        Shell shell(*this);
        status = shell.FrameworkWinMain(static_cast<int>(argv.size()), argv.data(), 0x0409, WString(u"Splash.png"));
        m_watchdogFired = watchdog.fired;
    }
    // A quit the watchdog pushed after the loop ended must not end the next run.
    SDL_FlushEvent(SDL_QUIT);
    m_app = nullptr;
    m_body = nullptr;
    GetSdlWindowSystem().ResetQuit();
    if (!m_bodyRan && m_options.mustStart)
    {
        std::string boxes;
        for (const RecordingMessageService::Message& box : m_boxes.messages)
            boxes += std::string(" \"") + NString(box.caption.c_str()).GetString() + ": " +
                     NString(box.text.c_str()).GetString() + "\"";
        ADD_FAILURE() << "the editor did not start (status " << status << ");" << (boxes.empty() ? " no box" : boxes);
    }
    return status;
}

void EditorDriver::RunBody()
{
    if (!m_body || m_bodyRan)
        return;
    m_bodyRan = true;
    // The first picture is there before the body looks at anything.
    Settle();
    try
    {
        m_body(*this);
    }
    catch (const std::exception& error)
    {
        ADD_FAILURE() << "the test's body threw: " << error.what();
    }
    if (!m_steps.empty())
    {
        ADD_FAILURE() << m_steps.size() << " queued step(s) never ran";
        m_steps.clear();
    }
    if (!GetSdlWindowSystem().IsQuitPosted() && m_app && m_app->GetMainWindow())
        CloseMainWindow();
}

// --- Finding controls ----------------------------------------------------------------------

LApplication& EditorDriver::Application() const
{
    if (!m_app)
        throw std::logic_error("EditorDriver: the editor is not running");
    return *m_app;
}

SdlHostWindow& EditorDriver::MainWindow() const
{
    auto* window = dynamic_cast<SdlHostWindow*>(Application().GetMainWindow());
    if (!window)
        throw std::logic_error("EditorDriver: the editor has no main window");
    return *window;
}

LRootWindow& EditorDriver::RootOf(const IHostWindow& window) const
{
    LRootWindow* root = Application().GetRootWindowOf(&window).Get();
    if (!root)
        throw std::logic_error("EditorDriver: the window has no root window");
    return *root;
}

LRootWindow& EditorDriver::MainRoot() const
{
    return RootOf(MainWindow());
}

RCPtr<LRootModuleEngine> EditorDriver::Engine() const
{
    return Application().GetEngine();
}

RCPtr<LControl> EditorDriver::Find(const std::string& path) const
{
    const std::vector<std::string> names = SplitPath(path);
    if (names.empty() || !m_app)
        return nullptr;
    const std::vector<RCPtr<LRootWindow>> windows = m_app->GetRootWindows();
    for (auto window = windows.rbegin(); window != windows.rend(); ++window)
    {
        if (!*window)
            continue;
        RCPtr<LControl> found = FindBelow((*window)->GetRootControl(), WString(names.front().c_str()));
        for (std::size_t i = 1; i < names.size() && found; ++i)
        {
            // Strictly below the control found for the name before.
            const LControl::ChildControlList& children = found->GetChildren();
            RCPtr<LControl> next;
            for (std::uint32_t k = 0; k < children.GetCount() && !next; ++k)
                next = FindBelow(children.GetAt(k), WString(names[i].c_str()));
            found = next;
        }
        if (found)
            return found;
    }
    return nullptr;
}

SdlHostWindow* EditorDriver::TopWindow() const
{
    if (!m_app || m_app->GetRootWindows().empty() || !m_app->GetRootWindows().back())
        return nullptr;
    return dynamic_cast<SdlHostWindow*>(m_app->GetRootWindows().back()->GetHost());
}

SdlHostWindow* EditorDriver::WindowOf(const LControl& control) const
{
    if (!m_app)
        return nullptr;
    const LControl* top = &control;
    while (top->GetParent())
        top = top->GetParent();
    for (const RCPtr<LRootWindow>& window : m_app->GetRootWindows())
        if (window && window->GetRootControl().Get() == top)
            return dynamic_cast<SdlHostWindow*>(window->GetHost());
    return nullptr;
}

// --- Input ---------------------------------------------------------------------------------

::testing::AssertionResult EditorDriver::Locate(const std::string& path, SdlHostWindow*& where, PointL& centre) const
{
    const RCPtr<LControl> control = Find(path);
    if (!control)
        return ::testing::AssertionFailure() << "no control \"" << path << "\" in any window";
    const std::string name = Describe(*control);
    if (!control->IsVisible(true))
        return ::testing::AssertionFailure() << name << " is hidden";
    if (!control->IsEnabled(true))
        return ::testing::AssertionFailure() << name << " is disabled";
    SdlHostWindow* window = WindowOf(*control);
    LRootWindow* root = window ? Application().GetRootWindowOf(window).Get() : nullptr;
    if (!root)
        return ::testing::AssertionFailure() << name << " is in no window";

    RectL rect;
    control->GetWindowRect(rect);
    centre = {rect.x + rect.width / 2, rect.y + rect.height / 2};
    RectL client;
    window->GetClientRect(client);
    if (rect.width <= 0 || rect.height <= 0 || centre.x < 0 || centre.y < 0 || centre.x >= client.width ||
        centre.y >= client.height)
        return ::testing::AssertionFailure() << name << "'s centre (" << centre.x << ", " << centre.y
                                             << ") is outside its window (" << client.width << " x " << client.height
                                             << ")";
    PointL local;
    const RCPtr<LControl> hit = root->HitTest(centre, local, false);
    if (!IsWithin(hit.Get(), *control))
        return ::testing::AssertionFailure() << name << " is covered at its centre by "
                                             << (hit ? Describe(*hit) : std::string("nothing")) << "; on its way "
                                             << DescribeLooks(*control);
    where = window;
    return ::testing::AssertionSuccess();
}

namespace
{

// Scrolls each scroll view around control that has a bar to show it so that the control's
// centre comes to the middle of what the view shows (as far as the view goes); true when one
// moved.
bool ScrollIntoView(LControl& control)
{
    bool moved = false;
    for (LControl* at = control.GetParent(); at; at = at->GetParent())
    {
        auto* view = dynamic_cast<LScrollView*>(at);
        if (!view || (!LScrollView::IsUsable(view->GetHorizontalBar()) && !LScrollView::IsUsable(view->GetVerticalBar())))
            continue;
        RectL target;
        control.GetWindowRect(target);
        RectL shown;
        view->GetWindowRect(shown);
        const RectD client = view->GetChildClientRect(nullptr);
        const PointD& offset = view->GetScrollOffset();
        const DoublePair& extent = view->GetClientExtentSize();
        const double x = offset.x + (target.x + target.width / 2.0) - (shown.x + client.x + client.width / 2.0);
        const double y = offset.y + (target.y + target.height / 2.0) - (shown.y + client.y + client.height / 2.0);
        const PointD wanted{std::clamp(x, 0.0, std::max(0.0, extent.first - client.width)),
                            std::clamp(y, 0.0, std::max(0.0, extent.second - client.height))};
        if (wanted.x != offset.x || wanted.y != offset.y)
            moved = view->SetScrollOffset(wanted) == QK_OK || moved;
    }
    return moved;
}

} // namespace

::testing::AssertionResult EditorDriver::LocateInView(const std::string& path, SdlHostWindow*& window, PointL& centre)
{
    ::testing::AssertionResult found = Locate(path, window, centre);
    if (found)
        return found;
    const RCPtr<LControl> control = Find(path);
    if (!control || !ScrollIntoView(*control))
        return found;
    Settle();
    return Locate(path, window, centre);
}

::testing::AssertionResult EditorDriver::Click(const std::string& path)
{
    SdlHostWindow* window = nullptr;
    PointL centre{};
    ::testing::AssertionResult found = LocateInView(path, window, centre);
    if (found)
        ClickAt(*window, centre);
    return found;
}

::testing::AssertionResult EditorDriver::MoveTo(const std::string& path)
{
    SdlHostWindow* window = nullptr;
    PointL centre{};
    ::testing::AssertionResult found = LocateInView(path, window, centre);
    if (found)
        MoveAt(*window, centre);
    return found;
}

void EditorDriver::MoveAt(SdlHostWindow& window, PointL point)
{
    SDL_Event move{};
    move.motion.type = SDL_MOUSEMOTION;
    move.motion.windowID = window.GetId();
    move.motion.x = point.x;
    move.motion.y = point.y;
    SDL_PushEvent(&move);
}

void EditorDriver::ClickAt(SdlHostWindow& window, PointL point)
{
    MoveAt(window, point);
    ButtonAt(window, point, true);
    ButtonAt(window, point, false);
}

void EditorDriver::ButtonAt(SdlHostWindow& window, PointL point, bool down)
{
    SDL_Event button{};
    button.button.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    button.button.windowID = window.GetId();
    button.button.button = SDL_BUTTON_LEFT;
    button.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    button.button.clicks = 1;
    button.button.x = point.x;
    button.button.y = point.y;
    SDL_PushEvent(&button);
}

void EditorDriver::WheelAt(SdlHostWindow& window, PointL point, std::int32_t notches)
{
    MoveAt(window, point);
    const std::int32_t step = notches < 0 ? 1 : -1;
    for (std::int32_t i = 0; i != notches; i -= step)
    {
        SDL_Event wheel{};
        wheel.wheel.type = SDL_MOUSEWHEEL;
        wheel.wheel.windowID = window.GetId();
        // SDL counts a turn away from the user as positive.
        wheel.wheel.y = step;
        wheel.wheel.preciseY = static_cast<float>(step);
        wheel.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
        wheel.wheel.mouseX = point.x;
        wheel.wheel.mouseY = point.y;
        SDL_PushEvent(&wheel);
    }
}

namespace
{

// The window keys and text go to: the active one, else the main window.
Uint32 KeyWindowId(const LApplication& app)
{
    const std::uint32_t active = GetSdlWindowSystem().GetActiveWindowId();
    if (active != 0 && GetSdlWindowSystem().FindWindow(active))
        return active;
    const auto* main = dynamic_cast<const SdlHostWindow*>(app.GetMainWindow());
    return main ? main->GetId() : 0;
}

} // namespace

void EditorDriver::Type(const std::string& utf8)
{
    const Uint32 id = KeyWindowId(Application());
    // SDL's text event holds at most 31 bytes; characters are never cut.
    std::size_t start = 0;
    while (start < utf8.size())
    {
        std::size_t end = std::min(utf8.size(), start + 31);
        while (end < utf8.size() && end > start && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
            --end;
        SDL_Event text{};
        text.text.type = SDL_TEXTINPUT;
        text.text.windowID = id;
        std::copy(utf8.begin() + static_cast<std::ptrdiff_t>(start), utf8.begin() + static_cast<std::ptrdiff_t>(end),
                  text.text.text);
        SDL_PushEvent(&text);
        start = end;
    }
}

::testing::AssertionResult EditorDriver::PressKeys(const std::string& chord)
{
    static constexpr struct
    {
        const char* name;
        Uint16 mod;
    } kModifiers[] = {{"Ctrl", KMOD_LCTRL}, {"Shift", KMOD_LSHIFT}, {"Alt", KMOD_LALT}};

    Uint16 mod = KMOD_NONE;
    std::string rest = chord;
    for (bool more = true; more;)
    {
        more = false;
        for (const auto& modifier : kModifiers)
        {
            const std::string prefix = std::string(modifier.name) + "+";
            if (rest.size() > prefix.size() && rest.compare(0, prefix.size(), prefix) == 0)
            {
                mod = static_cast<Uint16>(mod | modifier.mod);
                rest.erase(0, prefix.size());
                more = true;
            }
        }
    }
    const SDL_Keycode sym = SDL_GetKeyFromName(rest.c_str());
    const SDL_Scancode scancode = SDL_GetScancodeFromName(rest.c_str());
    if (sym == SDLK_UNKNOWN || scancode == SDL_SCANCODE_UNKNOWN)
        return ::testing::AssertionFailure() << "SDL knows no key \"" << rest << "\" (in \"" << chord << "\")";

    const Uint32 id = KeyWindowId(Application());
    for (const Uint32 type : {Uint32(SDL_KEYDOWN), Uint32(SDL_KEYUP)})
    {
        SDL_Event key{};
        key.key.type = type;
        key.key.windowID = id;
        key.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        key.key.keysym.sym = sym;
        key.key.keysym.scancode = scancode;
        key.key.keysym.mod = mod;
        SDL_PushEvent(&key);
    }
    return ::testing::AssertionSuccess();
}

void EditorDriver::CloseWindow(const SdlHostWindow& window)
{
    SDL_Event close{};
    close.window.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = window.GetId();
    SDL_PushEvent(&close);
}

void EditorDriver::CloseMainWindow()
{
    CloseWindow(MainWindow());
}

// --- The loop ------------------------------------------------------------------------------

void EditorDriver::Pump()
{
    IWindowSystem& system = Application().GetWindowSystem();
    if (system.IsQuitPosted())
        return;
    system.WaitAndDispatch(33);
    m_idleWorkLeft = false;
    for (std::int32_t count = 0; !system.IsQuitPosted() && m_app && m_app->OnIdle(count); ++count)
        m_idleWorkLeft = true;
}

bool EditorDriver::WaitUntil(const std::function<bool()>& condition, std::uint32_t timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;)
    {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline || !m_app || m_app->GetWindowSystem().IsQuitPosted())
            return false;
        Pump();
    }
}

bool EditorDriver::Settle(std::uint32_t timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;)
    {
        Pump();
        if (!m_app || m_app->GetWindowSystem().IsQuitPosted())
            return false;
        if (!m_idleWorkLeft && m_steps.empty() && !m_app->GetWindowSystem().HasPendingEvents())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
}

void EditorDriver::QueueStep(std::function<void()> step)
{
    m_steps.push_back(std::move(step));
}

void EditorDriver::WhenADialogShows(const std::function<void(SdlHostWindow&)>& look, const std::string& closePath,
                                    bool& done, int tries)
{
    QueueStep(
        [this, look, closePath, &done, tries]
        {
            SdlHostWindow* window = TopWindow();
            if (!window || window == &MainWindow())
            {
                if (tries > 0)
                    WhenADialogShows(look, closePath, done, tries - 1);
                return;
            }
            ASSERT_TRUE(Settle());
            look(*window);
            EXPECT_TRUE(Click(closePath));
            done = true;
        });
}

bool EditorDriver::IsShown(const std::string& path) const
{
    const RCPtr<LControl> control = Find(path);
    return control && control->IsVisible(true);
}

bool EditorDriver::RunQueuedStep()
{
    if (m_steps.empty() || m_inStep || GetSdlWindowSystem().HasPendingEvents())
        return false;
    const std::function<void()> step = std::move(m_steps.front());
    m_steps.pop_front();
    m_inStep = true;
    step();
    m_inStep = false;
    return true;
}

// --- What the editor showed ----------------------------------------------------------------

Picture EditorDriver::ReadPicture(SdlHostWindow* window) const
{
    SdlHostWindow& shown = window ? *window : MainWindow();
    shown.PaintIfNeeded();
    Picture picture;
    if (!shown.ReadSurface(picture.pixels, picture.width, picture.height))
        return {};
    return picture;
}

Picture EditorDriver::ReadPicture(const LControl& control) const
{
    SdlHostWindow* window = WindowOf(control);
    if (!window)
        return {};
    RectL rect;
    control.GetWindowRect(rect);
    return ReadPicture(window).Crop(rect);
}

std::string EditorDriver::SavePicture(const std::string& name, const Picture& picture)
{
    if (picture.IsEmpty())
        return {};
    const std::string folder = VEDIDU_PICTURES_FOLDER;
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::string path = folder + "/" + name;
    return WritePngFile(path, picture.pixels, picture.width, picture.height) ? path : std::string();
}

} // namespace QK::TestSupport
