#include "tests/support/Midi/SimulatorProcess.h"

#include "tests/support/WaitUntil.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>

extern char** environ;

namespace QK::TestSupport
{

std::string SimulatorProcess::ExecutablePath()
{
    return VEDIDU_SIMULATOR_PATH;
}

bool SimulatorProcess::Start(const std::vector<std::string>& arguments)
{
    if (m_pid > 0)
        return false;
    std::string program = ExecutablePath();
    std::vector<std::string> words = arguments;
    std::vector<char*> argv{program.data()};
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    m_pid = child;
    return true;
}

int SimulatorProcess::Stop(std::uint32_t timeoutMs)
{
    if (m_pid <= 0)
        return -1;
    const pid_t child = m_pid;
    m_pid = 0;
    kill(child, SIGTERM);
    int status = 0;
    pid_t result = 0;
    const auto reaped = [&]
    {
        result = waitpid(child, &status, WNOHANG);
        return result == child || (result < 0 && errno != EINTR);
    };
    if (!WaitUntil(reaped, timeoutMs))
    {
        kill(child, SIGKILL);
        while (waitpid(child, &status, 0) < 0 && errno == EINTR)
        {
        }
        return -1;
    }
    return result == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::size_t CountListedDevices(IMidiBackend& backend, MidiDirection direction, const std::string& name)
{
    const std::vector<std::string> names = backend.ListDevices(direction);
    return static_cast<std::size_t>(std::count(names.begin(), names.end(), name));
}

} // namespace QK::TestSupport
