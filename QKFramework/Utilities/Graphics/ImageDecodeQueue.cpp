#include "QKFramework/Utilities/Graphics/ImageDecodeQueue.h"

#include <algorithm>
#include <system_error>
#include <thread>

namespace QK
{

// ---- ImageDecodeJob -------------------------------------------------------------------------

std::unique_ptr<BitmapImage> ImageDecodeJob::Take()
{
    std::unique_lock lock(m_mutex);
    if (m_state == State::kQueued)
    {
        m_state = State::kRunning;
        lock.unlock();
        Decode();
        lock.lock();
    }
    m_done.wait(lock, [this] { return m_state == State::kDone; });
    return std::move(m_result);
}

void ImageDecodeJob::Run()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_state != State::kQueued)
            return;
        m_state = State::kRunning;
    }
    Decode();
}

void ImageDecodeJob::Decode()
{
    std::unique_ptr<BitmapImage> image;
    try
    {
        image = m_decoder();
    }
    catch (const std::exception&)
    {
        // An image that cannot be decoded (no memory for its pixels) draws nothing.
    }
    std::lock_guard lock(m_mutex);
    m_result = std::move(image);
    m_decoder = nullptr;
    m_state = State::kDone;
    m_done.notify_all();
}

// ---- ImageDecodeQueue -----------------------------------------------------------------------

ImageDecodeQueue& ImageDecodeQueue::Get()
{
    static auto* const queue = new ImageDecodeQueue(
        std::clamp(std::thread::hardware_concurrency(), 2u, kMaxWorkers + 1) - 1);
    return *queue;
}

ImageDecodeQueue::ImageDecodeQueue(unsigned maxWorkers) : m_maxWorkers(std::max(maxWorkers, 1u)) {}

ImageDecodeQueue::~ImageDecodeQueue()
{
    std::unique_lock lock(m_mutex);
    m_stopping = true;
    m_workersEnded.wait(lock, [this] { return m_workers == 0; });
}

std::shared_ptr<ImageDecodeJob> ImageDecodeQueue::Submit(ImageDecodeJob::Decoder decoder)
{
    auto job = std::make_shared<ImageDecodeJob>(std::move(decoder));
    std::lock_guard lock(m_mutex);
    m_jobs.push_back(job);
    if (m_workers < m_maxWorkers && m_workers < m_jobs.size())
    {
        try
        {
            std::thread(&ImageDecodeQueue::Work, this).detach();
            ++m_workers;
        }
        catch (const std::system_error&)
        {
            // No thread to spare: the job is decoded by whoever takes it.
        }
    }
    return job;
}

unsigned ImageDecodeQueue::GetWorkerCount()
{
    std::lock_guard lock(m_mutex);
    return m_workers;
}

void ImageDecodeQueue::Work()
{
    std::unique_lock lock(m_mutex);
    while (!m_jobs.empty() && !m_stopping)
    {
        const std::shared_ptr<ImageDecodeJob> job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        // A job whose bitmap is gone is not worth decoding.
        if (job.use_count() > 1)
            job->Run();
        lock.lock();
    }
    --m_workers;
    m_workersEnded.notify_all();
}

} // namespace QK
