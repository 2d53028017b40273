#include "QKFramework/Platform/Core/PosixShellOpener.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

#include <thread>
#include <utility>

extern char** environ;

namespace QK
{

namespace
{

constexpr int kPollIntervalMs = 15;

// The opener must not stay a zombie once nobody waits for it.
void ReapLater(pid_t child)
{
    std::thread(
        [child]
        {
            int status = 0;
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR)
            {
            }
        })
        .detach();
}

// Starts program with target as its one argument and its standard streams on /dev/null;
// 0 when it could not be started.
pid_t Start(std::string program, std::string target)
{
    char* argv[] = {program.data(), target.data(), nullptr};
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return 0;
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t child = 0;
    const int error = posix_spawnp(&child, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? child : 0;
}

} // namespace

PosixShellOpener::PosixShellOpener(std::string program, std::chrono::milliseconds answerLimit)
    : m_program(std::move(program)), m_answerLimit(answerLimit)
{
}

bool PosixShellOpener::Open(const char* target)
{
    const pid_t child = Start(m_program, target ? target : "");
    if (child == 0)
        return false;
    const ShellOpenWaitPump pump = GetShellOpenWaitPump();
    const auto deadline = std::chrono::steady_clock::now() + m_answerLimit;
    for (;;)
    {
        int status = 0;
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        // Reaped elsewhere (children ignored): started, and nothing more can be known.
        if (done < 0 && errno != EINTR)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
        {
            ReapLater(child);
            return true;
        }
        try
        {
            if (pump)
                pump();
        }
        catch (...)
        {
            ReapLater(child);
            throw;
        }
        ::poll(nullptr, 0, kPollIntervalMs);
    }
}

IShellOpener& GetPlatformShellOpener()
{
    static PosixShellOpener opener;
    return opener;
}

} // namespace QK
