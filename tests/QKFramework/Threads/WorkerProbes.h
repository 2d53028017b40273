// Test workers for the threader and pool tests.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Threads/Event.h"
#include "QKFramework/Threads/LEvent.h"
#include "QKFramework/Threads/LThreadWorker.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <utility>

namespace QK::test
{

// A worker whose run is the given function.
class FunctionWorker : public LThreadWorker
{
public:
    using Body = std::function<std::uint32_t(const ConstRCPtr<LRefCountedObject>&)>;

    static RCPtr<FunctionWorker> Create(Body body)
    {
        return RCPtr<FunctionWorker>(new FunctionWorker(std::move(body)));
    }

    std::uint32_t Run(const ConstRCPtr<LRefCountedObject>& params) override { return m_body(params); }

private:
    explicit FunctionWorker(Body body) : m_body(std::move(body)) {}

    Body m_body;
};

// A worker that counts its runs; each run signals started, then waits until released
// (released from the start unless told to hold).
class HoldingWorker : public LThreadWorker
{
public:
    static RCPtr<HoldingWorker> Create(bool hold) { return RCPtr<HoldingWorker>(new HoldingWorker(hold)); }

    std::uint32_t Run(const ConstRCPtr<LRefCountedObject>&) override
    {
        const int run = runs.fetch_add(1) + 1;
        started.Set();
        release.Wait(kInfinite);
        return static_cast<std::uint32_t>(run);
    }

    std::atomic<int> runs{0};
    Event started{true};
    Event release{false};

private:
    explicit HoldingWorker(bool hold)
    {
        if (!hold)
            release.Set();
    }
};

inline void SetEvent(const ConstRCPtr<LEvent>& event)
{
    RCPtr<LEvent>::DynamicCast(event)->Set();
}

inline std::uint32_t WaitEvent(const ConstRCPtr<LEvent>& event, std::uint32_t timeoutMs)
{
    return RCPtr<LEvent>::DynamicCast(event)->Wait(timeoutMs);
}

} // namespace QK::test
