#include "QKFramework/Platform/Core/SpecialFolders.h"

#include "QKFramework/Platform/Core/FileDescriptor.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace QK
{

namespace
{

std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// An absolute path from the environment; empty when unset, empty or relative.
std::string AbsoluteFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return {};
    return WithoutTrailingSlashes(value);
}

std::string HomeFolder()
{
    std::string home = AbsoluteFromEnvironment("HOME");
    if (!home.empty())
        return home;
    std::vector<char> buffer(16384);
    passwd entry;
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/')
        return WithoutTrailingSlashes(found->pw_dir);
    return {};
}

std::string XdgFolder(const char* variable, const char* underHome)
{
    std::string folder = AbsoluteFromEnvironment(variable);
    if (!folder.empty())
        return folder;
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + underHome;
}

struct SpawnActions
{
    posix_spawn_file_actions_t actions;
    bool valid = posix_spawn_file_actions_init(&actions) == 0;
    ~SpawnActions()
    {
        if (valid)
            posix_spawn_file_actions_destroy(&actions);
    }
};

// The first line that program prints with its one argument; empty when it cannot be run.
std::string FirstOutputLine(const char* program, const char* argument)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return {};
    UniqueDescriptor readEnd(ends[0]);
    UniqueDescriptor writeEnd(ends[1]);

    SpawnActions spawn;
    if (!spawn.valid ||
        posix_spawn_file_actions_adddup2(&spawn.actions, writeEnd.Get(), STDOUT_FILENO) != 0 ||
        posix_spawn_file_actions_addopen(&spawn.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) != 0)
        return {};
    std::string programCopy(program);
    std::string argumentCopy(argument);
    char* argv[] = {programCopy.data(), argumentCopy.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, program, &spawn.actions, nullptr, argv, environ) != 0)
        return {};
    writeEnd.Reset();

    std::string output;
    char chunk[512];
    for (;;)
    {
        const std::int64_t count = ReadDescriptor(readEnd.Get(), chunk, sizeof chunk);
        if (count <= 0)
            break;
        // A folder name is short; anything longer is not an answer worth waiting for.
        if (output.size() < 65536)
            output.append(chunk, static_cast<std::size_t>(count));
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    const std::size_t end = output.find('\n');
    return end == std::string::npos ? output : output.substr(0, end);
}

} // namespace

std::string GetExecutablePath()
{
    std::vector<char> buffer(4096);
    for (;;)
    {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return {};
        if (static_cast<std::size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        buffer.resize(buffer.size() * 2);
    }
}

std::string GetExecutableFolder()
{
    const std::string path = GetExecutablePath();
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string GetUserDataFolder()
{
    return XdgFolder("XDG_DATA_HOME", "/.local/share");
}

std::string GetUserConfigFolder()
{
    return XdgFolder("XDG_CONFIG_HOME", "/.config");
}

std::string GetDocumentsFolder()
{
    const std::string documents = FirstOutputLine("xdg-user-dir", "DOCUMENTS");
    if (!documents.empty() && documents[0] == '/')
        return WithoutTrailingSlashes(documents);
    return HomeFolder();
}

} // namespace QK
