// Which dump answers a get, with and without an earlier get that timed out, for controllers
// that echo the preset in byte 7 and for those that put anything there: each case is a run of
// gets, each with the dumps that come while it waits, and which dump (if any) each get takes.
#include "Engine/PresetEditorCommon/LateDumpGuard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using Clock = LateDumpGuard::Clock;

constexpr std::int32_t kNone = -1; // byte 7 names no preset (7F, say)

struct Dump
{
    std::int32_t named;  // what byte 7 names
    std::int32_t marker; // which dump it is, to tell what was taken
};

struct Get
{
    std::int32_t asked;
    std::vector<Dump> dumps;
    std::int32_t taken; // the marker of the dump taken, kNothing when the get times out
    // How long after the previous get's end this one starts.
    std::chrono::milliseconds after{100};
};

constexpr std::int32_t kNothing = -100;

LateDumpGuard::Values Tagged(std::int32_t marker)
{
    const auto byte = static_cast<std::uint8_t>(marker);
    Variant value;
    value.SetBytes(&byte, 1);
    LateDumpGuard::Values values;
    values.Add(value);
    return values;
}

std::int32_t MarkerOf(const LateDumpGuard::Values& values)
{
    std::uint32_t size = 0;
    const auto* data = static_cast<const std::uint8_t*>(values.GetAt(0)->GetData(size));
    return size == 1 ? data[0] : -1;
}

// Runs the gets through one guard; answers what each took, as "get N took M" lines.
std::vector<std::string> RunGets(const std::vector<Get>& gets)
{
    LateDumpGuard guard;
    Clock::time_point now = Clock::now();
    std::vector<std::string> outcome;
    for (std::size_t g = 0; g < gets.size(); ++g)
    {
        const Get& get = gets[g];
        now += get.after;
        guard.BeginWait(get.asked);
        std::optional<LateDumpGuard::Values> taken;
        for (const Dump& dump : get.dumps)
        {
            now += std::chrono::milliseconds(10);
            if (!taken)
                taken = guard.Offer(Tagged(dump.marker), dump.named, now);
        }
        now += std::chrono::milliseconds(500);
        if (!taken)
            taken = guard.EndWait(now);
        const std::int32_t marker = taken ? MarkerOf(*taken) : kNothing;
        outcome.push_back("get " + std::to_string(g) + " took " + std::to_string(marker));
    }
    return outcome;
}

std::vector<std::string> Expected(const std::vector<Get>& gets)
{
    std::vector<std::string> outcome;
    for (std::size_t g = 0; g < gets.size(); ++g)
        outcome.push_back("get " + std::to_string(g) + " took " + std::to_string(gets[g].taken));
    return outcome;
}

struct Case
{
    const char* what;
    std::vector<Get> gets;
};

TEST(LateDumpGuardTest, ALateAnswerNeverAnswersTheNextGetAndEveryOtherDumpDoes)
{
    const std::chrono::milliseconds past = LateDumpGuard::kLateWindow + std::chrono::milliseconds(100);
    const Case cases[] = {
        {"no earlier time-out: the first dump, whatever byte 7 names",
         {{3, {{5, 1}, {3, 2}}, 1}, {3, {{kNone, 3}}, 3}, {0, {{8, 4}}, 4}}},
        {"echoing controller: the late favorite 1 is set aside, favorite 2 taken at once",
         {{1, {}, kNothing}, {2, {{1, 1}, {2, 2}}, 2}, {3, {{3, 3}}, 3}}},
        {"constant 7F: the first dump is held, the second shows it was the late one",
         {{1, {}, kNothing}, {2, {{kNone, 1}, {kNone, 2}}, 2}, {3, {{kNone, 3}}, 3}}},
        {"constant naming the favorite asked for: held, then set aside for the next",
         {{1, {}, kNothing}, {2, {{2, 1}, {2, 2}}, 2}}},
        {"constant naming another favorite: the first is set aside, the next taken",
         {{1, {}, kNothing}, {2, {{5, 1}, {5, 2}}, 2}}},
        {"the late answer never comes: the held dump is the get's own",
         {{1, {}, kNothing}, {2, {{2, 1}}, 1}, {3, {{kNone, 2}, {kNone, 3}}, 2}}},
        {"the late answer came between the gets (nobody waited): one dump, held, then taken",
         {{1, {}, kNothing}, {2, {{kNone, 1}}, 1}}},
        {"a few seconds after the time-out nothing late is expected any more",
         {{1, {}, kNothing}, {2, {{1, 1}, {2, 2}}, 1, past}}},
        {"two gets timed out: both late answers are set aside before the third's own",
         {{1, {}, kNothing}, {2, {}, kNothing}, {3, {{kNone, 1}, {kNone, 2}, {kNone, 3}}, 3}}},
        {"only dumps naming other presets: the get times out",
         {{1, {}, kNothing}, {2, {{1, 1}}, kNothing}, {3, {{2, 2}, {3, 3}}, 3}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RunGets(c.gets), Expected(c.gets)) << c.what;
}

} // namespace
} // namespace QK
