// LateDumpGuard: keeps the late answer to a get that ran out of time from answering the
// next get.
//
// The controller answers requests in order, so the answer to a get that timed out can still
// come, and when it does it comes before the next get's own answer, while that get waits.
// Nothing in a dump says for certain which request it answers: its bytes 4 to 7 are the
// controller's to fill. Some controllers echo the preset asked for in byte 7, others put
// anything there. So byte 7 only ever counts against a dump, never for it:
//  - Without a get that timed out (or once kLateWindow has passed since), the first dump is
//    the get's own answer, whatever it holds in bytes 4 to 7.
//  - While a late answer may still come, a dump that names a preset (0 to 8) other than the
//    one asked for is that late answer: it is set aside, and the get goes on waiting.
//  - A dump that names no other preset cannot be told from the late answer. It is held: a
//    later dump during the same wait shows the held one was the late answer (the held one
//    is set aside and the later one judged in its place); with none, the wait ends by
//    taking the held dump as the get's own.
// Each get that times out adds one answer that may still come; each dump set aside counts
// one off. A get that takes a dump expects no more late answers.
//
// Not thread-safe: the MIDI manager calls it under its handler lock, from the capture
// worker (Offer) and the UI thread (the rest).
#pragma once

#include "QKFramework/Utilities/Storage/Array.h"
#include "QKFramework/Utilities/Storage/Variant.h"

#include <chrono>
#include <cstdint>
#include <optional>

namespace QK
{

class LateDumpGuard
{
public:
    using Clock = std::chrono::steady_clock;
    using Values = Array<Variant>;

    // How long after a get timed out its answer is still expected.
    static constexpr std::chrono::milliseconds kLateWindow{3000};

    // A get of preset asked begins to wait. Drops a dump still held from an earlier wait.
    void BeginWait(std::int32_t asked);
    // A usable dump (its 79 values) arrived while the get waits; namedPreset is the preset
    // its byte 7 names, -1 when it names none. Answers the values the get takes now, if any.
    std::optional<Values> Offer(Values values, std::int32_t namedPreset, Clock::time_point now);
    // The wait ended without taking a dump: the held one, if any, is the get's own and taken
    // now; else the get timed out, and its answer may still come.
    std::optional<Values> EndWait(Clock::time_point now);
    // Whether a dump that names no other preset would be held rather than taken.
    bool ExpectsLateAnswer(Clock::time_point now) const;

private:
    std::int32_t m_asked = -1;
    std::optional<Values> m_held;
    // Answers of gets that timed out that have not come yet, and until when to expect them.
    std::uint32_t m_lateAnswers = 0;
    Clock::time_point m_expectedUntil{};
};

} // namespace QK
