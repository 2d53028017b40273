// A signal that asks the program to end reaches the dialog programs it waits for: the one
// running is ended and reaped, its wait returns abandoned, and no new one starts; the request
// is taken up once. Without the handlers the signals are the system's again.
#include "QKFramework/Platform/Window/ChildProgram.h"
#include "QKFramework/Platform/Window/SessionEnd.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace QK
{
namespace
{

class SessionEndTest : public ::testing::TestWithParam<int>
{
};

TEST_P(SessionEndTest, TheRunningDialogProgramIsEndedAndNoOtherStarts)
{
    const SessionEndSignals handlers;
    EXPECT_FALSE(IsSessionEndRequested());
    int pumps = 0;
    // A program that would wait far longer than the test, the signal raised while it runs.
    const ChildProgramResult waited = RunChildProgram({"sleep", "600"},
                                                      [&]
                                                      {
                                                          if (++pumps == 3)
                                                              ::raise(GetParam());
                                                      });
    EXPECT_TRUE(waited.started);
    EXPECT_TRUE(waited.abandoned);
    EXPECT_TRUE(IsSessionEndRequested());
    // The child is reaped: no child of this process is left.
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);

    const ChildProgramResult next = RunChildProgram({"true"}, {});
    EXPECT_FALSE(next.started);
    EXPECT_TRUE(next.abandoned);

    EXPECT_TRUE(ClaimSessionEndRequest());
    EXPECT_FALSE(ClaimSessionEndRequest()) << "the request is taken up once";
}

INSTANTIATE_TEST_SUITE_P(Signals, SessionEndTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& info)
                         { return std::string(sigabbrev_np(info.param)); });

TEST(SessionEndHandlersTest, EndingTheScopePutsTheHandlersBeforeBackAndANewScopeStartsClear)
{
    struct sigaction before = {};
    ::sigaction(SIGHUP, nullptr, &before);
    {
        const SessionEndSignals handlers;
        ::raise(SIGHUP);
        EXPECT_TRUE(IsSessionEndRequested());
    }
    struct sigaction after = {};
    ::sigaction(SIGHUP, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    const SessionEndSignals again;
    EXPECT_FALSE(IsSessionEndRequested());
    // A program started now runs to its end.
    const ChildProgramResult result = RunChildProgram({"true"}, {});
    EXPECT_TRUE(result.started);
    EXPECT_FALSE(result.abandoned);
    EXPECT_EQ(result.exitCode, 0);
}

} // namespace
} // namespace QK
