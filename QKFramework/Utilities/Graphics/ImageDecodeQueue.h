// ImageDecodeQueue: decodes images on a few worker threads ahead of their first draw. A paint
// that is about to draw many images not yet decoded hands them all here first, so that they
// decode side by side while the UI thread draws what is ready; the device picture starts here
// the moment it is loaded.
//
// A job is taken by whoever reaches it first: a worker, or the UI thread that needs the image
// now (Take runs a job no worker has started yet itself, rather than waiting behind others).
// Workers start when jobs are queued, up to a few, and end once the queue is empty, so an idle
// program keeps no decoding thread. A job touches only its own copy of the bytes (shared, read
// only) and the image it makes.
//
// Contents: ImageDecodeJob; ImageDecodeQueue.
#pragma once

#include "QKFramework/Utilities/Graphics/BitmapImage.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace QK
{

class ImageDecodeJob
{
public:
    using Decoder = std::function<std::unique_ptr<BitmapImage>()>;

    explicit ImageDecodeJob(Decoder decoder) : m_decoder(std::move(decoder)) {}

    // The decoded image (null when it did not decode): decoded here when no worker has
    // started, else waited for. Once only.
    std::unique_ptr<BitmapImage> Take();

    // Decodes unless somebody already has; for the workers.
    void Run();

private:
    enum class State
    {
        kQueued,
        kRunning,
        kDone
    };

    // Decodes outside the lock, then publishes the result.
    void Decode();

    std::mutex m_mutex;
    std::condition_variable m_done;
    State m_state = State::kQueued;
    Decoder m_decoder;
    std::unique_ptr<BitmapImage> m_result;
};

class ImageDecodeQueue
{
public:
    // The program's queue (never destroyed: a worker may still be decoding while the process
    // exits): at most kMaxWorkers workers, one fewer than the machine's cores, at least one.
    static ImageDecodeQueue& Get();

    explicit ImageDecodeQueue(unsigned maxWorkers);
    // Waits until the workers have ended; jobs still queued decode when they are taken.
    ~ImageDecodeQueue();
    ImageDecodeQueue(const ImageDecodeQueue&) = delete;
    ImageDecodeQueue& operator=(const ImageDecodeQueue&) = delete;

    // Queues decoder and answers its job. When no worker can be started the job waits for its
    // taker, who decodes it.
    std::shared_ptr<ImageDecodeJob> Submit(ImageDecodeJob::Decoder decoder);

    // Workers alive now.
    unsigned GetWorkerCount();

    static constexpr unsigned kMaxWorkers = 4;

private:
    void Work();

    std::mutex m_mutex;
    std::condition_variable m_workersEnded;
    std::deque<std::shared_ptr<ImageDecodeJob>> m_jobs;
    unsigned m_workers = 0;
    unsigned m_maxWorkers;
    bool m_stopping = false;
};

} // namespace QK
