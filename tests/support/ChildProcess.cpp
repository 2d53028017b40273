#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace QK::TestSupport
{

namespace
{

bool IsUnset(const char* entry, const std::vector<std::string>& unset)
{
    for (const std::string& name : unset)
        if (std::strncmp(entry, name.c_str(), name.size()) == 0 && entry[name.size()] == '=')
            return true;
    return false;
}

std::string ReadAll(int descriptor)
{
    std::string text;
    char buffer[4096];
    ::lseek(descriptor, 0, SEEK_SET);
    for (;;)
    {
        const ssize_t count = ::read(descriptor, buffer, sizeof buffer);
        if (count <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return text;
}

} // namespace

ChildProcessResult RunChildProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& unset,
                                   std::uint32_t timeoutMs)
{
    ChildProcessResult result;
    if (arguments.empty())
        return result;
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv;
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (char** entry = environ; *entry; ++entry)
        if (!IsUnset(*entry, unset))
            envp.push_back(*entry);
    envp.push_back(nullptr);

    char errorPath[] = "/tmp/vedidu-child-stderr.XXXXXX";
    const int errorFile = ::mkstemp(errorPath);
    if (errorFile < 0)
        return result;
    ::unlink(errorPath);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, errorFile, STDERR_FILENO);
    pid_t child = 0;
    result.started = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!result.started)
    {
        ::close(errorFile);
        return result;
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    for (;;)
    {
        const pid_t ended = ::waitpid(child, &status, WNOHANG);
        if (ended == child)
        {
            result.finished = true;
            break;
        }
        if (ended < 0 && errno != EINTR)
            break;
        if (std::chrono::steady_clock::now() >= deadline)
        {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (result.finished && WIFEXITED(status))
        result.exitStatus = WEXITSTATUS(status);
    result.errorOutput = ReadAll(errorFile);
    ::close(errorFile);
    return result;
}

} // namespace QK::TestSupport
