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

RunningChildProcess::~RunningChildProcess()
{
    if (m_pid > 0 && !m_ended)
        Wait(0);
    if (m_errorFile >= 0)
        ::close(m_errorFile);
}

bool RunningChildProcess::Start(const std::vector<std::string>& arguments, const std::vector<std::string>& unset)
{
    if (arguments.empty() || m_pid > 0)
        return false;
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
    m_errorFile = ::mkstemp(errorPath);
    if (m_errorFile < 0)
        return false;
    ::unlink(errorPath);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, m_errorFile, STDERR_FILENO);
    pid_t child = 0;
    const bool started = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (started)
        m_pid = child;
    return started;
}

bool RunningChildProcess::IsRunning()
{
    if (m_pid <= 0 || m_ended)
        return false;
    if (::waitpid(m_pid, &m_status, WNOHANG) == m_pid)
        m_ended = true;
    return !m_ended;
}

ChildProcessResult RunningChildProcess::Wait(std::uint32_t timeoutMs)
{
    ChildProcessResult result;
    if (m_pid <= 0)
        return result;
    result.started = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool killed = false;
    while (!m_ended)
    {
        const pid_t ended = ::waitpid(m_pid, &m_status, WNOHANG);
        if (ended == m_pid)
        {
            m_ended = true;
            break;
        }
        if (ended < 0 && errno != EINTR)
            break;
        if (std::chrono::steady_clock::now() >= deadline)
        {
            killed = true;
            // Asked first, so that a program can let go of what it shares with others (its
            // MIDI clients on the JACK server); killed when it does not end soon.
            ::kill(m_pid, SIGTERM);
            const auto grace = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (::waitpid(m_pid, &m_status, WNOHANG) != m_pid)
            {
                if (std::chrono::steady_clock::now() >= grace)
                {
                    ::kill(m_pid, SIGKILL);
                    ::waitpid(m_pid, &m_status, 0);
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            m_ended = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.finished = m_ended && !killed;
    if (result.finished && WIFEXITED(m_status))
        result.exitStatus = WEXITSTATUS(m_status);
    if (m_errorFile >= 0)
        result.errorOutput = ReadAll(m_errorFile);
    return result;
}

ChildProcessResult RunChildProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& unset,
                                   std::uint32_t timeoutMs)
{
    RunningChildProcess child;
    if (!child.Start(arguments, unset))
        return ChildProcessResult{};
    return child.Wait(timeoutMs);
}

} // namespace QK::TestSupport
