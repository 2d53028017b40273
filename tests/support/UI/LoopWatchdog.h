// LoopWatchdog: asks the running SDL loop to quit (as the window manager's quit would) once
// its deadline has passed, and again every second after it, until it is dismissed; so a
// window test that waits for something that never comes ends instead of hanging.
//
// Made and dismissed on the UI thread; its own thread only pushes SDL_QUIT events.
// Header only.
#pragma once

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace QK::TestSupport
{

class LoopWatchdog
{
public:
    explicit LoopWatchdog(std::chrono::seconds limit)
        : m_thread([this, limit] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (m_cv.wait_for(lock, limit, [this] { return m_done; }))
                  return;
              fired = true;
              do
              {
                  SDL_Event quit{};
                  quit.type = SDL_QUIT;
                  SDL_PushEvent(&quit);
              } while (!m_cv.wait_for(lock, std::chrono::seconds(1), [this] { return m_done; }));
          })
    {
    }
    LoopWatchdog(const LoopWatchdog&) = delete;
    LoopWatchdog& operator=(const LoopWatchdog&) = delete;
    ~LoopWatchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }

    std::atomic<bool> fired{false};

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_done = false;
    std::thread m_thread;
};

} // namespace QK::TestSupport
