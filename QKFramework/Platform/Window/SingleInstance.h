// One running editor per user: a lock file and a Unix domain socket named
// "<main window class>Prevent" in the user's runtime folder.
//
// Claim decides the role of this process:
//  - First: it holds the lock (flock, so a killed holder leaves no lock behind) and listens
//    on the socket; ProcessIdle, called from the idle pass, reads the command lines that
//    later instances hand over and gives each to the handler. A thread of its own waits on
//    the socket, so an idle pass with no connection waiting makes no system call.
//  - Second: another instance holds the lock and took this process's command line; the
//    caller ends with status 0.
//  - Alone: no safe folder, or the holder of the lock cannot be reached (it may still be
//    starting): the process runs as a full instance without the lock.
// Whenever later starts cannot reach this process (Alone, or First without its socket),
// GetProblem says why, for the caller to tell the user.
//
// The runtime folder is $XDG_RUNTIME_DIR; without one, "<folder name>-runtime" in the user's
// cache folder ($XDG_CACHE_HOME, by default ~/.cache), where nobody else can make it first;
// without a home, "<folder name>-<uid>" in the temporary folder ($TMPDIR or /tmp). The folder
// name is the application's (no fallback without one). A fallback is created with mode 0700,
// and a folder that is not the user's own, is a link or that others may enter is passed over.
// A socket's address holds at most 107 bytes: a socket whose path is longer is reached
// through a descriptor of its folder ("/proc/self/fd/<n>/<name>"), so a long runtime folder
// still holds the one socket every start finds.
//
// What arrives on the socket is read as outside input: at most 64 KiB, valid UTF-8 ended by
// one NUL (so a hand-over cut short is never taken for a whole one), from a process of the
// same user; a connection that breaks any of that is dropped, and no connection can stall the
// idle pass. At most kMaxPending connections are read at a time; the oldest goes first.
//
// UI thread only (the waiting thread only watches the socket and is ended by the destructor).
#pragma once

#include "QKFramework/Platform/Core/FileDescriptor.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <sys/un.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace QK
{

// The payload of one hand-over: the command line as UTF-8 and a terminating NUL. False (text
// unchanged) for more than kMaxHandOverBytes bytes, a missing terminator, a NUL before it or
// anything that is not well-formed UTF-8.
inline constexpr std::size_t kMaxHandOverBytes = 64 * 1024;
bool DecodeHandOverPayload(const char* data, std::size_t size, WString& text);

class SingleInstance
{
public:
    enum class Role
    {
        First,
        Second,
        Alone,
    };
    static constexpr std::size_t kMaxPending = 8;

    // name: the main window class name followed by "Prevent". folderName: the stem of the
    // fallback runtime folders (a plain file name; empty for none).
    SingleInstance(std::string name, std::string folderName);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the lock or hands commandLine (UTF-8) to the instance that holds it.
    Role Claim(const std::string& commandLine);

    // Receives each command line handed over (possibly empty), in the idle pass.
    void SetHandler(std::function<void(const WString&)> handler) { m_handler = std::move(handler); }
    // Accepts and reads what is waiting without blocking; true when a command line was
    // handed to the handler.
    bool ProcessIdle();

    // The folder the lock and socket live in; empty when no safe one exists.
    static std::string GetRuntimeFolder(const std::string& folderName);
    std::string GetSocketPath() const;
    // Why later starts cannot reach this process (one line, without the program's name);
    // empty when they can, and for a Second.
    const std::string& GetProblem() const noexcept { return m_problem; }

private:
    struct Pending
    {
        UniqueDescriptor connection;
        std::string bytes;
    };

    // socketPath: to clear what a dead instance left; address: where to listen.
    bool Listen(const std::string& socketPath, const sockaddr_un& address);
    // The waiting thread: marks a connection waiting, then waits for the idle pass to take it.
    void Watch();
    void StopWatching();
    // True when a connection may be waiting (always, without the waiting thread).
    bool IsConnectionWaiting();
    // Clears the mark once the waiting connections are accepted; the thread waits again.
    void ConnectionsTaken();
    void Accept();
    // False when the connection is finished (delivered or dropped).
    bool Read(Pending& pending, bool& delivered);

    std::string m_name;
    std::string m_folderName;
    std::string m_folder;
    std::string m_problem;
    UniqueDescriptor m_lock;
    UniqueDescriptor m_listener;
    std::deque<Pending> m_pending;
    std::function<void(const WString&)> m_handler;

    std::mutex m_watchLock;
    std::condition_variable m_watchTaken;
    bool m_connectionWaiting = false;
    bool m_stopWatching = false;
    // Written to end the waiting thread's poll.
    UniqueDescriptor m_stopEvent;
    std::thread m_watcher;
};

} // namespace QK
