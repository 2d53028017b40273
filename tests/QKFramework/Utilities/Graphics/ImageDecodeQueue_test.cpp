#include "QKFramework/Utilities/Graphics/ImageDecodeQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace QK
{
namespace
{

// A decoder that holds its worker until the gate opens, so that a test knows which jobs are
// still queued.
struct Gate
{
    std::promise<void> open;
    std::shared_future<void> opened = open.get_future().share();
    std::promise<void> entered;
};

ImageDecodeJob::Decoder HeldDecoder(Gate& gate)
{
    return [&gate] {
        gate.entered.set_value();
        gate.opened.wait();
        return std::make_unique<BitmapImage>(2, 1);
    };
}

bool WaitForNoWorkers(ImageDecodeQueue& queue)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (queue.GetWorkerCount() > 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return queue.GetWorkerCount() == 0;
}

// The one who needs an image now does not wait behind other images: a job no worker has
// started is decoded by its taker, while the worker's own job comes back from the worker.
TEST(ImageDecodeQueue, AJobNoWorkerHasStartedIsDecodedByItsTaker)
{
    ImageDecodeQueue queue(1);
    Gate gate;
    const std::shared_ptr<ImageDecodeJob> held = queue.Submit(HeldDecoder(gate));
    gate.entered.get_future().wait();

    std::thread::id decodedOn;
    const std::shared_ptr<ImageDecodeJob> waiting = queue.Submit([&decodedOn] {
        decodedOn = std::this_thread::get_id();
        return std::make_unique<BitmapImage>(3, 4);
    });
    const std::unique_ptr<BitmapImage> taken = waiting->Take();
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(taken->GetWidth(), 3u);
    EXPECT_EQ(decodedOn, std::this_thread::get_id());

    gate.open.set_value();
    const std::unique_ptr<BitmapImage> fromWorker = held->Take();
    ASSERT_NE(fromWorker, nullptr);
    EXPECT_EQ(fromWorker->GetWidth(), 2u);
    EXPECT_TRUE(WaitForNoWorkers(queue)) << "workers end once the queue is empty";
}

// Jobs nobody holds any more (their bitmap went) are not decoded; a decoder that fails or
// throws gives a job without an image rather than an escaped exception.
TEST(ImageDecodeQueue, JobsNobodyHoldsAreSkippedAndFailuresGiveNoImage)
{
    ImageDecodeQueue queue(1);
    Gate gate;
    const std::shared_ptr<ImageDecodeJob> held = queue.Submit(HeldDecoder(gate));
    gate.entered.get_future().wait();

    std::atomic<bool> droppedRan{false};
    queue.Submit([&droppedRan] {
        droppedRan = true;
        return std::make_unique<BitmapImage>(1, 1);
    });
    const std::shared_ptr<ImageDecodeJob> failing = queue.Submit([]() -> std::unique_ptr<BitmapImage> { return nullptr; });
    const std::shared_ptr<ImageDecodeJob> throwing =
        queue.Submit([]() -> std::unique_ptr<BitmapImage> { throw std::bad_alloc(); });

    gate.open.set_value();
    EXPECT_NE(held->Take(), nullptr);
    EXPECT_EQ(failing->Take(), nullptr);
    EXPECT_EQ(throwing->Take(), nullptr);
    EXPECT_TRUE(WaitForNoWorkers(queue));
    EXPECT_FALSE(droppedRan);
}

// Many jobs at once spread over the workers, each decoded exactly once whoever takes it.
TEST(ImageDecodeQueue, EveryJobIsDecodedOnceWhoeverTakesIt)
{
    ImageDecodeQueue queue(3);
    std::atomic<int> decodes{0};
    std::vector<std::shared_ptr<ImageDecodeJob>> jobs;
    for (std::uint32_t i = 1; i <= 64; ++i)
        jobs.push_back(queue.Submit([&decodes, i] {
            ++decodes;
            return std::make_unique<BitmapImage>(i, 1);
        }));
    EXPECT_LE(queue.GetWorkerCount(), 3u);
    for (std::uint32_t i = 0; i < jobs.size(); ++i)
    {
        const std::unique_ptr<BitmapImage> image = jobs[i]->Take();
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetWidth(), i + 1);
    }
    EXPECT_EQ(decodes, 64);
    EXPECT_TRUE(WaitForNoWorkers(queue));
}

} // namespace
} // namespace QK
