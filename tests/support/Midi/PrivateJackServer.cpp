#include "tests/support/Midi/PrivateJackServer.h"

#include "tests/support/WaitUntil.h"

#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

extern char** environ;

namespace QK::TestSupport
{

namespace
{

std::string MakeName()
{
    static std::atomic<int> count{0};
    return "vedidu-private-" + std::to_string(getpid()) + "-" + std::to_string(count.fetch_add(1));
}

void Quiet(const char*) {}

bool Answers(const std::string& name)
{
    jack_set_error_function(&Quiet);
    jack_set_info_function(&Quiet);
    jack_status_t status{};
    jack_client_t* client = jack_client_open("vedidu-test-server-probe",
                                             static_cast<jack_options_t>(JackNoStartServer | JackServerName), &status,
                                             name.c_str());
    if (!client)
        return false;
    jack_client_close(client);
    return true;
}

} // namespace

PrivateJackServer::PrivateJackServer() : m_name(MakeName()), m_environment("JACK_DEFAULT_SERVER", m_name.c_str()) {}

PrivateJackServer::~PrivateJackServer()
{
    Stop();
    std::remove(LogPath().c_str());
}

std::string PrivateJackServer::LogPath() const
{
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder && *folder ? folder : "/tmp") + "/" + m_name + ".log";
}

std::string PrivateJackServer::Log() const
{
    std::ifstream file(LogPath());
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool PrivateJackServer::Start()
{
    if (m_pid > 0)
        return false;
    std::vector<std::string> words = {"jackd", "--no-realtime", "--sync", "--timeout", "2000", "-n", m_name,
                                      "-d", "dummy", "-r", "48000", "-p", "1024"};
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    const std::string log = LogPath();
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&files, STDOUT_FILENO, STDERR_FILENO);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, "jackd", &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (spawned != 0)
        return false;
    m_pid = child;
    return WaitUntil([&] { return Answers(m_name); });
}

bool PrivateJackServer::Stop(int signal)
{
    if (m_pid <= 0)
        return false;
    const pid_t child = m_pid;
    m_pid = 0;
    kill(child, signal);
    int status = 0;
    const auto reaped = [&]
    {
        const pid_t result = waitpid(child, &status, WNOHANG);
        return result == child || (result < 0 && errno != EINTR);
    };
    if (WaitUntil(reaped))
        return true;
    kill(child, SIGKILL);
    while (waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    return false;
}

} // namespace QK::TestSupport
