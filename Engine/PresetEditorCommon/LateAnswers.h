// LateAnswers: tells the late answer to a get that stopped waiting from the answers after it,
// by their order alone.
//
// The controller answers its requests in order, one answer each. The answer to a get that
// timed out can still come, and when it does, it comes before the answer to any request
// sent after that get. Nothing in a dump tells which request it answers: its bytes 4 to 7
// are the controller's to fill. So the answers still owed decide: while any is owed, the
// next answer to arrive is the oldest owed one, whether a get waits at that moment or not,
// and is set aside; only once none is owed is an answer the newest request's own.
//
// Answers owed for kLateWindow after the last get that timed out are taken as lost, so that
// one lost answer costs the gets of those few seconds, not every get after it. One that
// comes later still can no longer be told from the next get's own.
//
// Not thread-safe: the MIDI manager calls it under its handler lock, from the capture worker
// (Arrived) and the UI thread (the rest).
#pragma once

#include <chrono>
#include <cstdint>

namespace QK
{

class LateAnswers
{
public:
    using Clock = std::chrono::steady_clock;

    // How long after a get timed out its answer is still expected.
    static constexpr std::chrono::milliseconds kLateWindow{3000};

    // A get stopped waiting before its answer came: one more answer is owed.
    void Owe(Clock::time_point now);
    // An answer arrived. True when it is an owed one, to be set aside (one fewer is owed);
    // false when it answers the newest request.
    bool Arrived(Clock::time_point now);
    // The answers still owed.
    std::uint32_t Owed(Clock::time_point now) const;

private:
    std::uint32_t m_owed = 0;
    Clock::time_point m_owedUntil{};
};

} // namespace QK
