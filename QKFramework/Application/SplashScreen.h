// LSplashScreen: the picture with a progress bar that stands centred on the screen while the
// application starts.
//
// It runs on a thread of its own with its own message loop, so that it keeps painting and
// advancing while the UI thread loads the skins and builds the windows. The UI thread talks
// to it only by posting thread messages (SetProgress, SetProgressRange; Stop posts the quit)
// and waits for it twice: for its window to be up (Start) and for its end (Stop). After
// SetProgressRange the bar advances by itself every 250 ms.
//
// The shell (LFrameworkShell) makes one when the application has a splash image, starts it
// before the skins load and stops it when the main window shows. Init, SetImage, Start,
// SetProgressRange, SetProgress and Stop are called on the UI thread; everything the window
// does happens on the splash thread.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Platform/Window/SplashWindow.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace QK
{

class LBitmap;
class Thread;

class LSplashScreen
{
public:
    // The thread messages.
    static constexpr std::uint32_t kSetPositionMessage = 0x402;
    static constexpr std::uint32_t kSetRangeMessage = 0x404;
    static constexpr std::uint32_t kSetBarColorMessage = 0x409;
    static constexpr std::uint32_t kQuitMessage = 0x0012;
    // How long Start waits for the window, and Stop for the thread's end.
    static constexpr std::uint32_t kStartWaitMs = 5000;
    static constexpr std::uint32_t kStopWaitMs = 1000;
    static constexpr std::uint32_t kTickMs = 250;

    // The bar's position as a progress bar of the desktop keeps it: a range of 0 to 100, a
    // position in it and a step that a timer adds (starting over at the beginning once past
    // the end).
    class Progress
    {
    public:
        // Makes the bar (at 0) when there is none.
        void Create();
        // Clamped to the range.
        void SetPosition(std::int32_t position);
        // The bar at start, then (end - start) / (steps x 4) at each of steps x 4 ticks.
        void StartSteps(std::int32_t start, std::int32_t end, std::int32_t steps);
        // One tick: a step when ticks remain; answers whether more remain.
        bool Tick();
        bool IsTicking() const noexcept { return m_ticks > 0; }
        void SetColor(std::uint32_t color);
        const SplashBar& GetBar() const noexcept { return m_bar; }
        std::int32_t GetStep() const noexcept { return m_step; }

    private:
        SplashBar m_bar;
        std::int32_t m_step = 0;
        std::int32_t m_ticks = 0;
    };

    // What makes the window on the splash thread (the platform's unless a test gives its own).
    using WindowFactory = std::function<std::unique_ptr<ISplashWindow>()>;

    explicit LSplashScreen(WindowFactory factory = {});
    ~LSplashScreen();
    LSplashScreen(const LSplashScreen&) = delete;
    LSplashScreen& operator=(const LSplashScreen&) = delete;

    // Every field empty.
    void Init();
    // Keeps the first image given; later ones change nothing.
    void SetImage(const ConstRCPtr<LBitmap>& image);
    // Starts the thread when there is none and waits until its window is up, at most 5000
    // ms; writes "Error starting SplashThread\n" to the debug output when it is not.
    void Start();
    void SetProgressRange(std::int32_t start, std::int32_t end, std::int32_t steps);
    void SetProgress(std::int32_t position);
    // Asks the thread to end and waits for it (1000 ms at most); harmless without a thread.
    void Stop();

    bool IsRunning() const noexcept { return m_thread != nullptr; }
    // The window's place on the screen while the thread runs (empty before).
    RectL GetWindowRect() const;

private:
    struct Shared;

    void PostThreadMessage(std::uint32_t message, std::uintptr_t first, std::intptr_t second);
    static std::uint32_t ThreadProc(const std::shared_ptr<Shared>& shared);

    WindowFactory m_factory;
    std::unique_ptr<Thread> m_thread;
    std::shared_ptr<Shared> m_shared;
    ConstRCPtr<LBitmap> m_image;
    WString m_title;
};

} // namespace QK
