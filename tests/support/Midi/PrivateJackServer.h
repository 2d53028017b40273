// PrivateJackServer: a JACK server of a test's own (the dummy driver, as the test script's),
// which the test can end, by SIGTERM as a user stops it or by SIGKILL as when it crashes, and
// start again under the same name. While it exists, JACK_DEFAULT_SERVER names it, so that
// clients made meanwhile (the program's back end, a simulator started then) use it; the name
// the environment held before comes back with the end of the object.
#pragma once

#include "tests/support/ScopedEnvironment.h"

#include <sys/types.h>

#include <string>

namespace QK::TestSupport
{

class PrivateJackServer
{
public:
    PrivateJackServer();
    PrivateJackServer(const PrivateJackServer&) = delete;
    PrivateJackServer& operator=(const PrivateJackServer&) = delete;
    ~PrivateJackServer();

    const std::string& Name() const { return m_name; }

    // Starts the server and waits until it answers; false when it does not (Log() says why).
    bool Start();
    // Ends it with signal and waits for the process to go; true when it went.
    bool Stop(int signal = 15);
    bool IsRunning() const { return m_pid > 0; }
    // What the server has written so far.
    std::string Log() const;

private:
    std::string LogPath() const;

    std::string m_name;
    ScopedEnvironment m_environment;
    pid_t m_pid = 0;
};

} // namespace QK::TestSupport
