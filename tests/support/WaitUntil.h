// WaitUntil: polls a condition until it holds or a time limit passes, so that a test of
// something asynchronous never hangs.
#pragma once

#include <chrono>
#include <cstdint>
#include <thread>

namespace QK::TestSupport
{

// True as soon as condition() is; false when it still is not after timeoutMs.
template <typename Condition>
bool WaitUntil(Condition condition, std::uint32_t timeoutMs = 10000, std::uint32_t stepMs = 5)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;)
    {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
    }
}

} // namespace QK::TestSupport
