#include "QKFramework/Platform/Midi/MidiSendWorker.h"

#include "QKFramework/Midi/MidiBackend.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace QK
{
namespace
{

using namespace TestSupport;

using Bytes = std::vector<std::uint8_t>;

// Long enough for the idle worker to begin a message, so that its time runs out while it
// is being sent.
constexpr std::uint32_t kBeginWithinMs = 300;

// A send function that records what it sends and can be held until released.
struct Driver
{
    std::mutex mutex;
    std::condition_variable released;
    bool holding = false;
    std::atomic<int> waiting{0};
    std::vector<Bytes> sent;
    QKRESULT result = kMidiOk;

    MidiSendWorker::SendFunction Function()
    {
        return [this](const Bytes& bytes)
        {
            std::unique_lock lock(mutex);
            ++waiting;
            released.wait(lock, [&] { return !holding; });
            --waiting;
            sent.push_back(bytes);
            return result;
        };
    }

    void Hold()
    {
        std::lock_guard lock(mutex);
        holding = true;
    }

    void Release()
    {
        {
            std::lock_guard lock(mutex);
            holding = false;
        }
        released.notify_all();
    }

    std::vector<Bytes> Sent()
    {
        std::lock_guard lock(mutex);
        return sent;
    }
};

TEST(MidiSendWorkerTest, SendsInOrderAndAnswersTheSendResult)
{
    auto driver = std::make_shared<Driver>();
    MidiSendWorker worker(driver->Function());
    const Bytes first{0x90, 0x3C, 0x7F};
    const Bytes second{0xF0, 0x01, 0xF7};
    EXPECT_EQ(worker.Send(first.data(), first.size(), kMidiSendTimeoutMs), kMidiOk);
    driver->result = kMidiError;
    EXPECT_EQ(worker.Send(second.data(), second.size(), kMidiSendTimeoutMs), kMidiError);
    EXPECT_EQ(driver->Sent(), (std::vector<Bytes>{first, second}));
}

TEST(MidiSendWorkerTest, ASendThatDoesNotFinishTimesOutWithoutKeepingTheCallersBytes)
{
    auto driver = std::make_shared<Driver>();
    MidiSendWorker worker(driver->Function());
    driver->Hold();
    {
        // Freed as soon as Send returns: the held send must be working on a copy
        // (AddressSanitizer reports it otherwise).
        auto bytes = std::make_unique<Bytes>(Bytes{0xF0, 0x47, 0xF7});
        EXPECT_EQ(worker.Send(bytes->data(), bytes->size(), kBeginWithinMs), kMidiNotReady);
    }
    ASSERT_TRUE(WaitUntil([&] { return driver->waiting == 1; }));
    // Queued behind the held one; its time runs out before it begins, so it never goes out.
    const Bytes late{0x90, 0x01, 0x02};
    EXPECT_EQ(worker.Send(late.data(), late.size(), 20), kMidiNotReady);
    driver->Release();

    const Bytes next{0x80, 0x01, 0x00};
    EXPECT_EQ(worker.Send(next.data(), next.size(), kMidiSendTimeoutMs), kMidiOk);
    EXPECT_EQ(driver->Sent(), (std::vector<Bytes>{{0xF0, 0x47, 0xF7}, next}));
}

TEST(MidiSendWorkerTest, AThrowingSendIsAFailure)
{
    MidiSendWorker worker([](const Bytes&) -> QKRESULT { throw std::runtime_error("driver"); });
    const Bytes bytes{0xF8};
    EXPECT_EQ(worker.Send(bytes.data(), bytes.size(), kMidiSendTimeoutMs), kMidiError);
}

TEST(MidiSendWorkerTest, ShutdownDoesNotWaitForeverForAStuckSend)
{
    DebugCapture report;
    auto driver = std::make_shared<Driver>();
    auto functionGone = std::make_shared<std::atomic<bool>>(false);
    // The send function's captures must live as long as the stuck thread does.
    auto guard = std::shared_ptr<void>(nullptr, [functionGone](void*) { *functionGone = true; });
    {
        MidiSendWorker worker([driver, guard](const Bytes& bytes) { return driver->Function()(bytes); }, 10);
        guard.reset();
        driver->Hold();
        const Bytes bytes{0xF0, 0xF7};
        EXPECT_EQ(worker.Send(bytes.data(), bytes.size(), kBeginWithinMs), kMidiNotReady);
        ASSERT_TRUE(WaitUntil([&] { return driver->waiting == 1; }));
        worker.Shutdown();
        EXPECT_EQ(worker.Send(bytes.data(), bytes.size(), kMidiSendTimeoutMs), kMidiError);
        EXPECT_FALSE(*functionGone);
    }
    EXPECT_FALSE(*functionGone);
    EXPECT_NE(report.Text().find("detached"), std::string::npos) << report.Text();
    driver->Release();
    // The left thread ends once its send is done and only then lets go of the function.
    EXPECT_TRUE(WaitUntil([&] { return functionGone->load(); }));
    EXPECT_EQ(driver->Sent().size(), 1u);
}

} // namespace
} // namespace QK
