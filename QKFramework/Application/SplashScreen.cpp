// LSplashScreen. Sections: the progress bar; the UI thread's side; the splash thread.
#include "QKFramework/Application/SplashScreen.h"

#include "QKFramework/Threads/Event.h"
#include "QKFramework/Threads/Thread.h"
#include "QKFramework/Utilities/Debug/DebugLog.h"
#include "QKFramework/Utilities/Graphics/Bitmap.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <ostream>

namespace QK
{

namespace
{

using Clock = std::chrono::steady_clock;

// How often the splash thread looks at its window's events while no message comes.
constexpr std::chrono::milliseconds kEventPoll{20};

void WriteDebug(const char* text)
{
    DebugLog::Get().GetNarrowOutput() << text << std::flush;
}

} // namespace

// --- The progress bar ----------------------------------------------------------------------

void LSplashScreen::Progress::Create()
{
    if (m_bar.shown)
        return;
    m_bar.shown = true;
    m_bar.position = 0;
}

void LSplashScreen::Progress::SetPosition(std::int32_t position)
{
    Create();
    m_bar.position = std::clamp(position, 0, 100);
}

void LSplashScreen::Progress::StartSteps(std::int32_t start, std::int32_t end, std::int32_t steps)
{
    SetPosition(start);
    m_ticks = steps > 0 ? steps * 4 : 0;
    m_step = m_ticks > 0 ? (end - start) / m_ticks : 0;
}

bool LSplashScreen::Progress::Tick()
{
    if (m_ticks <= 0)
        return false;
    m_bar.position += m_step;
    if (m_bar.position > 100)
        m_bar.position = 0;
    return --m_ticks > 0;
}

void LSplashScreen::Progress::SetColor(std::uint32_t color)
{
    Create();
    m_bar.color = color & 0xFFFFFF;
}

// --- The UI thread's side ------------------------------------------------------------------

// What both threads hold: the picture and the title (written before the thread starts), the
// queue of thread messages, the start event and the window's place.
struct LSplashScreen::Shared
{
    struct Message
    {
        std::uint32_t message;
        std::uintptr_t first;
        std::intptr_t second;
    };

    WindowFactory factory;
    SplashPicture picture;
    std::string title;
    Event started{true};
    std::atomic<bool> windowUp{false};

    std::mutex mutex;
    std::condition_variable posted;
    std::deque<Message> messages;
    RectL rect{};
};

LSplashScreen::LSplashScreen(WindowFactory factory) : m_factory(std::move(factory)) {}

LSplashScreen::~LSplashScreen()
{
    Stop();
}

void LSplashScreen::Init()
{
    Stop();
    m_image = nullptr;
    m_title.Clear();
}

void LSplashScreen::SetImage(const ConstRCPtr<LBitmap>& image)
{
    if (!m_image)
        m_image = image;
}

void LSplashScreen::Start()
{
    if (m_thread)
        return;
    auto shared = std::make_shared<Shared>();
    shared->factory = m_factory;
    shared->title = NString(m_title.GetString()).GetString();
    // Bitmaps belong to the UI thread: the splash thread gets its own copy of the pixels.
    if (m_image)
        if (const ConstRCPtr<LBitmapData> data = m_image->GetBitmapData(); data && data->IsLocked())
        {
            const RectL& rect = m_image->GetRect();
            shared->picture.width = rect.width;
            shared->picture.height = rect.height;
            shared->picture.pixels.reserve(static_cast<std::size_t>(rect.width) * static_cast<std::size_t>(rect.height));
            for (std::int32_t y = rect.y; y < rect.y + rect.height; ++y)
                for (std::int32_t x = rect.x; x < rect.x + rect.width; ++x)
                    shared->picture.pixels.push_back(*data->GetPixelAddress(x, y));
        }
    m_shared = shared;
    // The thread is left to itself (not joined further) should it not end when stopped.
    m_thread = std::make_unique<Thread>([shared] { return ThreadProc(shared); }, 0);
    if (!m_thread->Start())
    {
        WriteDebug("Error starting SplashThread\n");
        m_thread = nullptr;
        m_shared = nullptr;
        return;
    }
    // The thread sets the event once its window is up, and also as soon as it gives up:
    // waiting out the whole time for a thread that has already ended would only hold up the
    // start.
    shared->started.Wait(kStartWaitMs);
    if (!shared->windowUp)
        WriteDebug("Error starting SplashThread\n");
}

void LSplashScreen::PostThreadMessage(std::uint32_t message, std::uintptr_t first, std::intptr_t second)
{
    if (!m_shared)
        return;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->messages.push_back({message, first, second});
    }
    m_shared->posted.notify_one();
}

void LSplashScreen::SetProgressRange(std::int32_t start, std::int32_t end, std::int32_t steps)
{
    const std::uintptr_t range =
        (static_cast<std::uintptr_t>(start) & 0xFFFF) | (static_cast<std::uintptr_t>(end) & 0xFFFF) << 16;
    PostThreadMessage(kSetRangeMessage, range, steps);
}

void LSplashScreen::SetProgress(std::int32_t position)
{
    PostThreadMessage(kSetPositionMessage, static_cast<std::uintptr_t>(position), 0);
}

void LSplashScreen::Stop()
{
    if (m_thread)
    {
        PostThreadMessage(kQuitMessage, 0, 0);
        m_thread->Join(kStopWaitMs);
        m_thread = nullptr;
        m_shared = nullptr;
    }
    m_title.Clear();
}

RectL LSplashScreen::GetWindowRect() const
{
    if (!m_shared)
        return {};
    std::lock_guard lock(m_shared->mutex);
    return m_shared->rect;
}

// --- The splash thread ---------------------------------------------------------------------

std::uint32_t LSplashScreen::ThreadProc(const std::shared_ptr<Shared>& shared)
{
    // Without a picture there is nothing to show.
    if (shared->picture.pixels.empty())
    {
        shared->started.Set();
        return 0;
    }
    std::unique_ptr<ISplashWindow> window = shared->factory ? shared->factory() : CreatePlatformSplashWindow();
    const SplashWindowOpening opening = window ? window->Open(shared->picture, shared->title)
                                               : SplashWindowOpening::NoWindowSystem;
    if (opening != SplashWindowOpening::Open)
    {
        WriteDebug(opening == SplashWindowOpening::NoWindowSystem ? "Unable to register class SplashWnd\n"
                                                                  : "Unable to create SplashWnd\n");
        window = nullptr;
        shared->started.Set();
        return 0;
    }
    {
        std::lock_guard lock(shared->mutex);
        shared->rect = window->GetRect();
    }
    shared->windowUp = true;
    shared->started.Set();

    Progress progress;
    Clock::time_point nextTick = Clock::time_point::max();
    bool reported = false;
    const auto report = [&reported](bool painted)
    {
        if (!painted && !reported)
            WriteDebug("Unable to UpdateLayeredWindow\n");
        reported = reported || !painted;
    };
    for (bool quit = false; !quit;)
    {
        std::deque<Shared::Message> messages;
        {
            std::unique_lock lock(shared->mutex);
            shared->posted.wait_until(lock, std::min(Clock::now() + kEventPoll, nextTick),
                                      [&] { return !shared->messages.empty(); });
            messages.swap(shared->messages);
        }
        bool changed = false;
        for (const Shared::Message& message : messages)
        {
            switch (message.message)
            {
            case kSetRangeMessage:
                progress.StartSteps(static_cast<std::int16_t>(message.first & 0xFFFF),
                                    static_cast<std::int16_t>((message.first >> 16) & 0xFFFF),
                                    static_cast<std::int32_t>(message.second));
                nextTick = progress.IsTicking() ? Clock::now() + std::chrono::milliseconds(kTickMs)
                                                : Clock::time_point::max();
                changed = true;
                break;
            case kSetPositionMessage:
                progress.SetPosition(static_cast<std::int32_t>(message.first));
                changed = true;
                break;
            case kSetBarColorMessage:
                progress.SetColor(static_cast<std::uint32_t>(message.first));
                changed = true;
                break;
            case kQuitMessage:
                quit = true;
                break;
            default:
                break;
            }
        }
        if (quit)
            break;
        if (Clock::now() >= nextTick)
        {
            nextTick = progress.Tick() ? nextTick + std::chrono::milliseconds(kTickMs) : Clock::time_point::max();
            changed = true;
        }
        if (changed)
            report(window->ShowBar(progress.GetBar()));
        report(window->ProcessEvents());
    }
    window->Close();
    return 0;
}

} // namespace QK
