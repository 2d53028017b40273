// PrivateXServer: an X server of the test's own (Xvfb), for a test that needs a screen of a
// given size or a server it can end. Header only; POSIX.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace QK::TestSupport
{

// An X server of the test's own with a screen of the given size (Xvfb); its display name is
// empty when it could not be started. It ends with this object, or earlier by Stop.
class PrivateXServer
{
public:
    explicit PrivateXServer(const std::string& screen)
    {
        int ends[2] = {-1, -1};
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ends[1], 3);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        std::vector<std::string> arguments{"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp"};
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        const bool spawned = posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(ends[1]);
        std::string number;
        pollfd entry{ends[0], POLLIN, 0};
        char c = 0;
        while (spawned && ::poll(&entry, 1, 20000) > 0 && ::read(ends[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(ends[0]);
        if (spawned && !number.empty())
            m_display = ":" + number;
    }
    ~PrivateXServer() { Stop(SIGTERM); }
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;
    // Ends the server with signal (SIGTERM: the server closes its clients' connections;
    // SIGKILL: it dies as a crashed one does) and waits for its end.
    void Stop(int signal)
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, signal);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = 0;
    }
    const std::string& Display() const { return m_display; }

private:
    pid_t m_pid = 0;
    std::string m_display;
};

} // namespace QK::TestSupport
