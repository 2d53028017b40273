// Which arriving answers are set aside as the late answers of gets that timed out: each case
// is a run of events (a get timing out, an answer arriving) at times in milliseconds, with
// whether each answer was set aside.
#include "Engine/PresetEditorCommon/LateAnswers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using Clock = LateAnswers::Clock;

struct Event
{
    enum Kind
    {
        TimedOut,   // a get stopped waiting without its answer
        SetAside,   // an answer arrived and must be set aside
        TheNewest,  // an answer arrived and must be taken as the newest request's own
    } kind;
    long atMs;
};

struct Case
{
    const char* what;
    std::vector<Event> events;
};

constexpr long kWindow = LateAnswers::kLateWindow.count();

TEST(LateAnswersTest, AnswersAreToldByTheirOrder)
{
    const Case cases[] = {
        {"no get timed out: every answer is the newest's", {{Event::TheNewest, 0}, {Event::TheNewest, 500}}},
        {"the late answer comes first, then the next get's own",
         {{Event::TimedOut, 1000}, {Event::SetAside, 1600}, {Event::TheNewest, 1700}}},
        {"two gets timed out: two answers are set aside, in order",
         {{Event::TimedOut, 1000}, {Event::TimedOut, 2100}, {Event::SetAside, 2500}, {Event::SetAside, 2600},
          {Event::TheNewest, 2700}}},
        {"an answer that never came is taken as lost once the window has passed",
         {{Event::TimedOut, 1000}, {Event::TheNewest, 1000 + kWindow}, {Event::TheNewest, 1000 + kWindow + 1}}},
        {"within the window, the next answer still counts off the lost one",
         {{Event::TimedOut, 1000}, {Event::SetAside, 1000 + kWindow - 1}, {Event::TheNewest, 1000 + kWindow}}},
        {"each time-out opens the window anew for every answer owed",
         {{Event::TimedOut, 0}, {Event::TimedOut, kWindow - 1}, {Event::SetAside, 2 * kWindow - 2},
          {Event::SetAside, 2 * kWindow - 2}, {Event::TheNewest, 2 * kWindow - 2}}},
        {"owed answers that expired are not owed by a later time-out",
         {{Event::TimedOut, 0}, {Event::TimedOut, 2 * kWindow}, {Event::SetAside, 2 * kWindow + 10},
          {Event::TheNewest, 2 * kWindow + 20}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        LateAnswers answers;
        const Clock::time_point start = Clock::now();
        for (std::size_t i = 0; i < c.events.size(); ++i)
        {
            const Event& event = c.events[i];
            const Clock::time_point at = start + std::chrono::milliseconds(event.atMs);
            if (event.kind == Event::TimedOut)
                answers.Owe(at);
            else
                EXPECT_EQ(answers.Arrived(at), event.kind == Event::SetAside) << "event " << i;
        }
    }
}

TEST(LateAnswersTest, OwedCountsWhatIsStillExpected)
{
    LateAnswers answers;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(answers.Owed(start), 0u);
    answers.Owe(start);
    answers.Owe(start);
    EXPECT_EQ(answers.Owed(start), 2u);
    EXPECT_TRUE(answers.Arrived(start));
    EXPECT_EQ(answers.Owed(start), 1u);
    EXPECT_EQ(answers.Owed(start + LateAnswers::kLateWindow), 0u);
}

} // namespace
} // namespace QK
