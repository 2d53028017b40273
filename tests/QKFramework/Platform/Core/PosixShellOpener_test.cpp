// The desktop's opener as a program: the target as its one argument without a shell, its
// exit status as the answer once it ends, its output kept off the terminal, and an opener
// that keeps running never waited for.
#include "QKFramework/Platform/Core/PosixShellOpener.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>

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

// Polls opening until its opener has ended (at most about 20 s).
std::optional<bool> Finish(IShellOpening& opening)
{
    for (int i = 0; i < 2000; ++i)
    {
        if (const std::optional<bool> answer = opening.Poll())
            return answer;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
}

TEST(PosixShellOpenerTest, AProgramThatCannotBeStartedFails)
{
    PosixShellOpener opener("vedidu-no-such-opener");
    EXPECT_EQ(opener.Open("https://example.com"), nullptr);
}

TEST(PosixShellOpenerTest, PassesTheTargetAsOneArgumentWithoutAShell)
{
    // A target full of shell syntax must arrive unchanged as the single argument.
    TempFolder folder;
    const std::string output = folder / "argument";
    PosixShellOpener opener(WriteScript(folder, "opener", "printf '%s|%s' \"$#\" \"$1\" > '" + output + "'\n"));
    const std::string target = "file:///x y;$(touch pwned)`id`'\"&";
    const std::unique_ptr<IShellOpening> opening = opener.Open(target.c_str());
    ASSERT_TRUE(opening);
    EXPECT_EQ(Finish(*opening), std::optional<bool>(true));
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
        std::optional<bool> opened;
        EXPECT_EQ(Terminal(folder,
                           [&]
                           {
                               const std::unique_ptr<IShellOpening> opening = opener.Open("/tmp/guide.pdf");
                               if (opening)
                                   opened = Finish(*opening);
                           }),
                  "");
        EXPECT_EQ(opened, std::optional<bool>(c.opened));
    }
}

TEST(PosixShellOpenerTest, AnOpenerThatKeepsRunningIsNeverWaitedForAndItsLateAnswerCounts)
{
    TempFolder folder;
    // A viewer in the opener's own foreground: the opener ends only when it is closed, here
    // when the test lets it (a failure, as an opener that finds no viewer after a while).
    const std::string gate = folder / "gate";
    const std::string script = WriteScript(
        folder, "opener", "while [ ! -e '" + gate + "' ]; do sleep 0.05; done\nexit 4\n");
    PosixShellOpener opener(script);
    const auto start = std::chrono::steady_clock::now();
    const std::unique_ptr<IShellOpening> opening = opener.Open("/tmp/guide.pdf");
    ASSERT_TRUE(opening);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << "it waited for the opener";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(opening->Poll(), std::nullopt) << "answered while the opener still runs";
    folder.WriteFile("gate", "");
    EXPECT_EQ(Finish(*opening), std::optional<bool>(false));
    EXPECT_EQ(opening->Poll(), std::optional<bool>(false)) << "the answer stays";
}

} // namespace
} // namespace QK
