#include "QKFramework/Platform/Core/PosixShellOpener.h"

#include <fcntl.h>
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

// The opener must not stay a zombie once nobody polls it.
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

class PosixShellOpening final : public IShellOpening
{
public:
    explicit PosixShellOpening(pid_t child) : m_child(child) {}
    PosixShellOpening(const PosixShellOpening&) = delete;
    PosixShellOpening& operator=(const PosixShellOpening&) = delete;

    ~PosixShellOpening() override
    {
        if (!m_result)
            ReapLater(m_child);
    }

    std::optional<bool> Poll() override
    {
        if (m_result)
            return m_result;
        int status = 0;
        pid_t done = 0;
        while ((done = ::waitpid(m_child, &status, WNOHANG)) < 0 && errno == EINTR)
        {
        }
        if (done == m_child)
            m_result = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        // Reaped elsewhere (children ignored): started, and nothing more can be known.
        else if (done < 0)
            m_result = true;
        return m_result;
    }

private:
    pid_t m_child;
    std::optional<bool> m_result;
};

} // namespace

PosixShellOpener::PosixShellOpener(std::string program) : m_program(std::move(program)) {}

std::unique_ptr<IShellOpening> PosixShellOpener::Open(const char* target)
{
    const pid_t child = Start(m_program, target ? target : "");
    if (child == 0)
        return nullptr;
    return std::make_unique<PosixShellOpening>(child);
}

IShellOpener& GetPlatformShellOpener()
{
    static PosixShellOpener opener;
    return opener;
}

} // namespace QK
