// EditorDriver: the whole editor in the test process, in real SDL windows on the test
// script's X server, driven as a person drives it.
//
// Run() runs the editor as the program does, through the application shell: the string
// tables and skins from the program's resources (or a folder's), the application object and
// its start-up, the main window with "mainControl", shown, then the message loop and the
// shutdown. The test's body runs once the main window shows, on the UI thread, before the
// loop; it drives the editor with input pushed into SDL's queue (clicks at a named
// control's centre, typed text, key chords) and turns the loop itself (Pump, WaitUntil,
// Settle), so every wait is bounded. When the body returns, the main window is closed as the
// window manager closes it and the real loop takes the run to its end; Run answers the exit
// status. A body that throws, or leaves queued steps that never ran, fails the test.
//
// Nothing waits for a person: message boxes are written down (and answered OK), file
// dialogs answer what the test queued (a path, or a cancel), and a watchdog asks the loop to
// quit should a run never end (a modal window nobody closes). Steps queued with QueueStep
// run in the next idle pass that finds no event waiting, at whatever loop level: inside a
// modal dialog's own loop too, which is how a test looks at and closes a dialog.
//
// The user's home (settings, documents) and the single-instance lock live in temporary
// folders for the driver's lifetime. UI thread only; one run at a time.
//
// Contents: options; pictures; the scripted file chooser; the driver.
#pragma once

#include "Panel/Main/Application.h"
#include "QKFramework/System/FileChooser.h"

#include "tests/support/Editor/EditorTestApp.h"
#include "tests/support/Render/RecordingMessageService.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace QK
{
class SdlHostWindow;
}

namespace QK::TestSupport
{

// --- Options -------------------------------------------------------------------------------

struct EditorDriverOptions
{
    // Where the string tables and skins come from: "::" the program's own resources, else a
    // folder holding FrameworkStrings.xml, StringTables.xml and Skins.xml.
    std::string skinFolder = "::";
    // The command line after the program's name.
    std::vector<std::string> arguments;
    // Null answers make the application's own engine and MIDI manager.
    std::function<RCPtr<LRootModuleEngine>()> makeEngine;
    std::function<RCPtr<LMidiManager>()> makeMidiManager;
    // After this long the watchdog asks the loop to quit, and again every second after.
    std::chrono::seconds watchdog{120};
    // A run that ends before the main window shows is a test failure (naming the boxes it
    // showed); false for tests of a start that must fail.
    bool mustStart = true;
};

// --- Pictures ------------------------------------------------------------------------------

// What a window presented, as 0xAARRGGBB pixels row by row.
struct Picture
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> pixels;

    bool IsEmpty() const { return pixels.empty(); }
    // The colour at (x, y) without alpha; 0 outside.
    std::uint32_t At(std::int32_t x, std::int32_t y) const;
    // The part inside rect (cut to the picture).
    Picture Crop(const RectL& rect) const;
    // How many pixels differ from other's at the same place; where the two sizes differ,
    // every pixel that only one of them has counts as different.
    std::size_t CountDifferences(const Picture& other) const;
};

// --- The scripted file chooser -------------------------------------------------------------

// Answers the desktop's Open and Save dialogs from a queue while installed: each dialog takes
// the next answer, or is cancelled when none is queued. As the desktop's dialogs do, an open
// hands on whatever path it is given (a file that does not exist too, for the caller to
// refuse) and a save adds the default extension to a name without one. The wait pump runs twice per dialog, as it does while a person looks at a
// real one.
class ScriptedFileChooser final : public IFileChooser
{
public:
    ScriptedFileChooser();
    ScriptedFileChooser(const ScriptedFileChooser&) = delete;
    ScriptedFileChooser& operator=(const ScriptedFileChooser&) = delete;
    ~ScriptedFileChooser();

    FileChooserAnswer Run(const FileChooserRequest& request, const DialogWaitPump& pump) override;

    void Answer(const std::string& path) { m_answers.push_back({FileChooserOutcome::Chosen, {WString(path.c_str())}}); }
    void Cancel() { m_answers.push_back({FileChooserOutcome::Cancelled, {}}); }
    // Every dialog asked for, in order.
    std::vector<FileChooserRequest> requests;
    // Dialogs that found no answer queued (and were cancelled).
    int unanswered = 0;

private:
    std::deque<FileChooserAnswer> m_answers;
    IFileChooser* m_previous;
};

// --- The driver ----------------------------------------------------------------------------

class EditorDriver
{
public:
    explicit EditorDriver(EditorDriverOptions options = {});
    ~EditorDriver();
    EditorDriver(const EditorDriver&) = delete;
    EditorDriver& operator=(const EditorDriver&) = delete;

    // One whole run of the editor; body runs once the main window shows. The exit status.
    int Run(const std::function<void(EditorDriver&)>& body);
    bool BodyRan() const noexcept { return m_bodyRan; }
    // Whether the last run had to be ended by the watchdog.
    bool WatchdogFired() const noexcept { return m_watchdogFired; }

    // --- During the body -----------------------------------------------------------------

    LApplication& Application() const;
    SdlHostWindow& MainWindow() const;
    // The root window the application made for window (the main window's by default).
    LRootWindow& RootOf(const IHostWindow& window) const;
    LRootWindow& MainRoot() const;
    // The engine the start-up made.
    RCPtr<LRootModuleEngine> Engine() const;

    // A control by path: names separated by "/", each found below the one before it (the
    // nearest first, breadth first), the first anywhere in a root window, topmost window
    // first. "fav3/sendButton" is the SEND button of favorite 3. Null when none matches.
    RCPtr<LControl> Find(const std::string& path) const;
    // The topmost root window's host: a modal dialog while one runs, else the main window.
    SdlHostWindow* TopWindow() const;
    // The window showing control; null when it is in none.
    SdlHostWindow* WindowOf(const LControl& control) const;

    // Moves the pointer to the centre of the control at path and clicks the left button
    // there; a control that its scroll view holds outside the window (a window smaller than
    // the skin) is first scrolled into view, as a person would. Fails, saying why, when the
    // control is missing, hidden, disabled, outside its window or covered there by another
    // control.
    ::testing::AssertionResult Click(const std::string& path);
    void ClickAt(SdlHostWindow& window, PointL point);
    // The left button alone pressed (down) or released at point, without moving the pointer.
    void ButtonAt(SdlHostWindow& window, PointL point, bool down);
    // Moves the pointer to the centre of the control at path without pressing a button (a
    // menu item opens its submenu under it); fails as Click does.
    ::testing::AssertionResult MoveTo(const std::string& path);
    void MoveAt(SdlHostWindow& window, PointL point);
    // Moves the pointer to point and turns the vertical wheel by notches: positive toward the
    // user (scrolling down), negative away.
    void WheelAt(SdlHostWindow& window, PointL point, std::int32_t notches);
    // Text as the input method commits it, to the active window.
    void Type(const std::string& utf8);
    // A key chord pressed and released in the active window: "Ctrl+O", "Shift+Home",
    // "Return", "Escape", "Alt+F4" (SDL's key names). Fails on a name SDL does not know.
    ::testing::AssertionResult PressKeys(const std::string& chord);
    // The window manager's close button of window, or of the main window.
    void CloseWindow(const SdlHostWindow& window);
    void CloseMainWindow();

    // One turn of the message loop: waits up to 33 ms for events, hands them out, paints,
    // then the idle passes. Nothing once the quit is posted.
    void Pump();
    // Turns the loop until condition holds; false when it still does not after timeoutMs or
    // the quit was posted first.
    bool WaitUntil(const std::function<bool()>& condition, std::uint32_t timeoutMs = 10000);
    // Turns the loop until no event waits and an idle period finds nothing left to do.
    bool Settle(std::uint32_t timeoutMs = 10000);
    // Runs step in the next idle pass that finds no event waiting (at any loop level).
    void QueueStep(std::function<void()> step);
    // Once a modal window is on top (looked for in up to `tries` idle passes), settles, runs
    // look on it, clicks the button at closePath and sets done.
    void WhenADialogShows(const std::function<void(SdlHostWindow&)>& look, const std::string& closePath, bool& done,
                          int tries = 200);
    // Whether the control at path is shown (as a popup is, once open).
    bool IsShown(const std::string& path) const;
    std::size_t PendingSteps() const noexcept { return m_steps.size(); }

    // --- What the editor showed ----------------------------------------------------------

    const std::vector<RecordingMessageService::Message>& Boxes() const noexcept { return m_boxes.messages; }
    void ClearBoxes() { m_boxes.messages.clear(); }
    // Runs look as each box is asked for, before it is written down as answered.
    void WhenABoxShows(std::function<void(const RecordingMessageService::Message&)> look)
    {
        m_boxes.onShow = std::move(look);
    }
    ScriptedFileChooser& FileDialogs() noexcept { return m_chooser; }

    // What window (the main window by default) presented last, after painting what waits.
    Picture ReadPicture(SdlHostWindow* window = nullptr) const;
    // The part of its window's picture that control covers.
    Picture ReadPicture(const LControl& control) const;
    // Writes picture as a PNG named name into the build folder's pictures/; its path, or
    // empty when it could not be written.
    static std::string SavePicture(const std::string& name, const Picture& picture);

    // The run's temporary HOME (the settings files land under its .config).
    const TempFolder& Home() const noexcept { return m_home.Folder(); }

private:
    class Shell;
    class DrivenApp;
    class Watchdog;
    friend class DrivenApp;

    void RunBody();
    // The window and the centre of the visible, enabled, uncovered control at path.
    ::testing::AssertionResult Locate(const std::string& path, SdlHostWindow*& window, PointL& centre) const;
    // Locate, after scrolling the control into view when its centre lies outside the window.
    ::testing::AssertionResult LocateInView(const std::string& path, SdlHostWindow*& window, PointL& centre);
    // Runs the first queued step when nothing else waits; true when one ran.
    bool RunQueuedStep();

    EditorDriverOptions m_options;
    TemporaryHome m_home;
    TempFolder m_runtime;
    ScopedEnvironment m_runtimeHome;
    RecordingMessageService m_boxes;
    ScriptedFileChooser m_chooser;
    std::function<void(EditorDriver&)> m_body;
    std::deque<std::function<void()>> m_steps;
    DrivenApp* m_app = nullptr;
    bool m_bodyRan = false;
    bool m_watchdogFired = false;
    // The last turn's idle passes left work for another.
    bool m_idleWorkLeft = false;
    bool m_inStep = false;
};

} // namespace QK::TestSupport
