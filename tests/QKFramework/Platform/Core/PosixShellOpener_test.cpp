// The desktop's opener as a program: the target as its one argument without a shell, its
// exit status as the answer, its output kept off the terminal, and an opener that keeps
// running counted as an answer after the limit, with the windows pumped meanwhile.
#include "QKFramework/Platform/Core/PosixShellOpener.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace QK
{
namespace
{

using TestSupport::TempFolder;

std::string WriteScript(const TempFolder& folder, const std::string& name, const std::string& body)
{
    folder.WriteFile(name, "#!/bin/sh\n" + body);
    EXPECT_EQ(::chmod((folder / name).c_str(), 0700), 0);
    return folder / name;
}

// What this process writes to its standard output and error while call runs.
template <class Call> std::string Terminal(const TempFolder& folder, Call call)
{
    std::fflush(stdout);
    std::fflush(stderr);
    const int out = ::dup(STDOUT_FILENO);
    const int err = ::dup(STDERR_FILENO);
    const int file = ::open((folder / "terminal").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(file, STDOUT_FILENO);
    ::dup2(file, STDERR_FILENO);
    call();
    std::fflush(stdout);
    std::fflush(stderr);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    ::close(out);
    ::close(err);
    ::close(file);
    return folder.ReadFile("terminal");
}

TEST(PosixShellOpenerTest, AProgramThatCannotBeStartedFails)
{
    PosixShellOpener opener("vedidu-no-such-opener");
    EXPECT_FALSE(opener.Open("https://example.com"));
}

TEST(PosixShellOpenerTest, PassesTheTargetAsOneArgumentWithoutAShell)
{
    // A target full of shell syntax must arrive unchanged as the single argument.
    TempFolder folder;
    const std::string output = folder / "argument";
    PosixShellOpener opener(WriteScript(folder, "opener", "printf '%s|%s' \"$#\" \"$1\" > '" + output + "'\n"));
    const std::string target = "file:///x y;$(touch pwned)`id`'\"&";
    ASSERT_TRUE(opener.Open(target.c_str()));
    EXPECT_EQ(folder.ReadFile("argument"), "1|" + target) << "written before the answer";
}

TEST(PosixShellOpenerTest, TheOpenersExitStatusIsTheAnswerAndItsOutputStaysOffTheTerminal)
{
    TempFolder folder;
    const struct
    {
        const char* what;
        std::string body;
        bool opened;
    } cases[] = {
        {"opened", "echo 'opening' ; echo 'a warning' >&2 ; exit 0\n", true},
        {"no program for the type", "echo 'www-browser: not found' >&2 ; echo 'no method available' >&2 ; exit 3\n",
         false},
        {"a missing file", "echo \"file '$1' does not exist\" >&2 ; exit 2\n", false},
        {"killed", "kill -9 $$\n", false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        PosixShellOpener opener(WriteScript(folder, "opener", c.body));
        bool opened = !c.opened;
        EXPECT_EQ(Terminal(folder, [&] { opened = opener.Open("/tmp/guide.pdf"); }), "");
        EXPECT_EQ(opened, c.opened);
    }
}

TEST(PosixShellOpenerTest, AnOpenerThatKeepsRunningCountsAsOpenedAfterTheLimitWithThePumpRunning)
{
    TempFolder folder;
    // A viewer in the opener's own foreground: the opener ends only when it is closed.
    const std::string script = WriteScript(folder, "opener", "echo $$ > '" + (folder / "pid") + "'\nexec sleep 30\n");
    PosixShellOpener opener(script, std::chrono::milliseconds(300));
    int pumped = 0;
    SetShellOpenWaitPump([&] { ++pumped; });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(opener.Open("/tmp/guide.pdf"));
    const auto waited = std::chrono::steady_clock::now() - start;
    SetShellOpenWaitPump(nullptr);
    EXPECT_GT(pumped, 3) << "the windows were painted while it waited";
    EXPECT_LT(waited, std::chrono::seconds(20)) << "it did not wait for the viewer";
    std::ifstream pid(folder / "pid");
    pid_t viewer = 0;
    ASSERT_TRUE(pid >> viewer);
    ::kill(viewer, SIGTERM);
}

} // namespace
} // namespace QK
