#include "QKFramework/Platform/Window/ChildProgram.h"

#include "QKFramework/Platform/Core/FileDescriptor.h"
#include "QKFramework/Platform/Window/SessionEnd.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace QK
{

namespace
{

constexpr int kPumpIntervalMs = 33;
// How long a child asked to end (SIGTERM) gets before it is killed.
constexpr int kEndGraceMs = 1000;

// Ends and reaps a child that is still running when its waiter leaves early.
class ChildGuard
{
public:
    explicit ChildGuard(pid_t child) : m_child(child) {}
    ChildGuard(const ChildGuard&) = delete;
    ChildGuard& operator=(const ChildGuard&) = delete;
    ~ChildGuard()
    {
        if (m_child <= 0)
            return;
        ::kill(m_child, SIGTERM);
        for (int waited = 0;; waited += 10)
        {
            int status = 0;
            const pid_t done = ::waitpid(m_child, &status, WNOHANG);
            if (done == m_child || (done < 0 && errno != EINTR))
                return;
            if (waited >= kEndGraceMs)
                break;
            ::poll(nullptr, 0, 10);
        }
        ::kill(m_child, SIGKILL);
        int status = 0;
        while (::waitpid(m_child, &status, 0) < 0 && errno == EINTR)
        {
        }
    }

    // Waits for the child's end without blocking the pump; the exit code or -1. False when
    // the program is asked to end first (the child is then still running).
    bool Wait(const std::function<void()>& pump, int& exitCode)
    {
        for (;;)
        {
            if (IsSessionEndRequested())
                return false;
            int status = 0;
            const pid_t done = ::waitpid(m_child, &status, WNOHANG);
            if (done == m_child)
            {
                m_child = 0;
                exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                return true;
            }
            if (done < 0 && errno != EINTR)
            {
                m_child = 0;
                exitCode = -1;
                return true;
            }
            if (pump)
                pump();
            ::poll(nullptr, 0, 10);
        }
    }

private:
    pid_t m_child;
};

} // namespace

ChildProgramResult RunChildProgram(const std::vector<std::string>& arguments, const std::function<void()>& pump)
{
    ChildProgramResult result;
    if (arguments.empty())
        return result;
    if (IsSessionEndRequested())
    {
        result.abandoned = true;
        return result;
    }

    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return result;
    UniqueDescriptor readEnd(ends[0]);
    UniqueDescriptor writeEnd(ends[1]);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return result;
    posix_spawn_file_actions_adddup2(&actions, writeEnd.Get(), STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

    std::vector<std::string> copies(arguments);
    std::vector<char*> argv;
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return result;
    result.started = true;
    ChildGuard guard(child);
    writeEnd.Reset();

    char buffer[4096];
    for (;;)
    {
        if (IsSessionEndRequested())
        {
            result.abandoned = true;
            return result;
        }
        pollfd entry{readEnd.Get(), POLLIN, 0};
        const int ready = ::poll(&entry, 1, kPumpIntervalMs);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
        {
            if (pump)
                pump();
            continue;
        }
        const std::int64_t count = ReadDescriptor(readEnd.Get(), buffer, sizeof buffer);
        if (count <= 0)
            break;
        result.output.append(buffer, static_cast<std::size_t>(count));
    }
    readEnd.Reset();
    result.abandoned = !guard.Wait(pump, result.exitCode);
    return result;
}

} // namespace QK
