#include "QKFramework/Platform/Core/PosixShellOpener.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

#include <thread>
#include <utility>

extern char** environ;

namespace QK
{

PosixShellOpener::PosixShellOpener(std::string program) : m_program(std::move(program)) {}

bool PosixShellOpener::Open(const char* target)
{
    std::string argument(target ? target : "");
    char* argv[] = {m_program.data(), argument.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, m_program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return false;
    // Opening must not wait for the application, yet the child must not stay a zombie.
    std::thread(
        [child]
        {
            int status = 0;
            while (waitpid(child, &status, 0) < 0 && errno == EINTR)
            {
            }
        })
        .detach();
    return true;
}

IShellOpener& GetPlatformShellOpener()
{
    static PosixShellOpener opener;
    return opener;
}

} // namespace QK
