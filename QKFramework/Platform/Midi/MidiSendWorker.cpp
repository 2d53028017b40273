#include "QKFramework/Platform/Midi/MidiSendWorker.h"

#include "QKFramework/Midi/MidiBackend.h"
#include "QKFramework/Threads/Thread.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

namespace QK
{

struct MidiSendWorker::Job
{
    std::vector<std::uint8_t> bytes;
    bool done = false;
    QKRESULT result = kMidiError;
};

struct MidiSendWorker::State
{
    explicit State(SendFunction function) : send(std::move(function)) {}

    const SendFunction send;
    std::mutex mutex;
    std::condition_variable wake;     // a job or the stop request is there
    std::condition_variable finished; // a job is done
    std::deque<std::shared_ptr<Job>> jobs;
    bool stopping = false;
};

MidiSendWorker::MidiSendWorker(SendFunction send, std::uint32_t joinLimitMs)
    : m_state(std::make_shared<State>(std::move(send)))
{
    m_thread = std::make_unique<Thread>(
        [state = m_state]() -> std::uint32_t
        {
            Run(*state);
            return 0;
        },
        joinLimitMs);
    if (!m_thread->Start())
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
    }
}

MidiSendWorker::~MidiSendWorker()
{
    Shutdown();
}

void MidiSendWorker::Run(State& state)
{
    std::unique_lock lock(state.mutex);
    for (;;)
    {
        state.wake.wait(lock, [&] { return state.stopping || !state.jobs.empty(); });
        if (state.stopping)
            return;
        const std::shared_ptr<Job> job = std::move(state.jobs.front());
        state.jobs.pop_front();
        lock.unlock();
        QKRESULT result = kMidiError;
        try
        {
            result = state.send(job->bytes);
        }
        catch (...)
        {
            result = kMidiError;
        }
        lock.lock();
        job->done = true;
        job->result = result;
        state.finished.notify_all();
    }
}

QKRESULT MidiSendWorker::Send(const std::uint8_t* bytes, std::size_t count, std::uint32_t timeoutMs)
{
    auto job = std::make_shared<Job>();
    job->bytes.assign(bytes, bytes + count);

    std::unique_lock lock(m_state->mutex);
    if (m_state->stopping)
        return kMidiError;
    m_state->jobs.push_back(job);
    m_state->wake.notify_one();
    if (m_state->finished.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return job->done; }))
        return job->result;
    // Not begun yet: it must not go out later, after the caller has been told it failed.
    auto& jobs = m_state->jobs;
    jobs.erase(std::remove(jobs.begin(), jobs.end(), job), jobs.end());
    return kMidiNotReady;
}

void MidiSendWorker::Shutdown()
{
    if (!m_thread)
        return;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
        for (const std::shared_ptr<Job>& job : m_state->jobs)
            job->done = true; // result stays kMidiError
        m_state->jobs.clear();
        m_state->wake.notify_all();
        m_state->finished.notify_all();
    }
    // Joins up to the join limit, else detaches and reports; the thread keeps the state.
    m_thread.reset();
}

} // namespace QK
