#include "QKFramework/Platform/Window/SingleInstance.h"

#include "QKFramework/Utilities/Storage/ConvertUtf.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

namespace QK
{

namespace
{

// The user's own folder, not a link, that nobody else may enter.
bool IsSafeFolder(const std::string& path)
{
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0)
        return false;
    return S_ISDIR(status.st_mode) && status.st_uid == ::getuid() && (status.st_mode & 077) == 0;
}

bool IsAbsolute(const char* path)
{
    return path && path[0] == '/';
}

// "<folderName>-runtime" in $XDG_CACHE_HOME (by default ~/.cache), which is made (mode 0700)
// when missing; empty without a home.
std::string PrivateFallbackFolder(const std::string& folderName)
{
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    std::string base;
    if (IsAbsolute(cache))
        base = cache;
    else if (IsAbsolute(home))
        base = std::string(home) + "/.cache";
    else
        return {};
    if (::mkdir(base.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    return base + "/" + folderName + "-runtime";
}

// "<folderName>-<uid>" in the temporary folder ($TMPDIR or /tmp).
std::string TemporaryFallbackFolder(const std::string& folderName)
{
    const char* temporary = std::getenv("TMPDIR");
    return std::string(IsAbsolute(temporary) ? temporary : "/tmp") + "/" + folderName + "-" +
           std::to_string(::getuid());
}

// The address of the socket name in folder: the path itself when it fits, else the same
// socket through a descriptor of its folder, held for as long as the address is used.
class SocketAddress
{
public:
    // False (errno set) when neither form fits or the folder cannot be opened.
    bool Set(const std::string& folder, const std::string& name)
    {
        std::memset(&m_address, 0, sizeof m_address);
        m_address.sun_family = AF_UNIX;
        if (Fits(folder + "/" + name))
            return true;
        m_folder = UniqueDescriptor(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!m_folder)
            return false;
        if (Fits("/proc/self/fd/" + std::to_string(m_folder.Get()) + "/" + name))
            return true;
        errno = ENAMETOOLONG;
        return false;
    }
    const sockaddr_un& Get() const noexcept { return m_address; }

private:
    bool Fits(const std::string& path)
    {
        if (path.size() >= sizeof m_address.sun_path)
            return false;
        std::memcpy(m_address.sun_path, path.c_str(), path.size() + 1);
        return true;
    }

    sockaddr_un m_address{};
    UniqueDescriptor m_folder;
};

std::string Reason(const char* what, const std::string& path, int error)
{
    return std::string(what) + " " + path + ": " + std::strerror(error);
}

// Sends the whole payload and closes the sending side; false when the first instance could
// not be reached or stopped taking it.
bool HandOver(const sockaddr_un& address, const std::string& commandLine)
{
    UniqueDescriptor connection(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!connection)
        return false;
    // A first instance that stopped reading must not keep this one waiting for ever.
    const timeval limit{5, 0};
    ::setsockopt(connection.Get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    if (::connect(connection.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return false;
    const std::string payload = commandLine + '\0';
    std::size_t sent = 0;
    while (sent < payload.size())
    {
        const ssize_t count = ::send(connection.Get(), payload.data() + sent, payload.size() - sent, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        sent += static_cast<std::size_t>(count);
    }
    ::shutdown(connection.Get(), SHUT_WR);
    return true;
}

} // namespace

bool DecodeHandOverPayload(const char* data, std::size_t size, WString& text)
{
    if (!data || size == 0 || size > kMaxHandOverBytes || data[size - 1] != '\0')
        return false;
    const std::size_t length = size - 1;
    if (std::memchr(data, '\0', length))
        return false;
    std::vector<char16_t> wide(length + 1, u'\0');
    const char* source = data;
    char16_t* target = wide.data();
    if (Utf8ToUtf16(&source, data + length, &target, wide.data() + length, UtfMode::Strict) != UtfOk ||
        source != data + length)
        return false;
    *target = u'\0';
    text = WString(wide.data());
    return true;
}

SingleInstance::SingleInstance(std::string name, std::string folderName)
    : m_name(std::move(name)), m_folderName(std::move(folderName))
{
}

SingleInstance::~SingleInstance()
{
    StopWatching();
    if (m_listener)
        ::unlink(GetSocketPath().c_str());
}

std::string SingleInstance::GetRuntimeFolder(const std::string& folderName)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (IsAbsolute(runtime) && IsSafeFolder(runtime))
        return runtime;
    // Without a runtime folder of its own, the user's cache folder serves: only the user can
    // make a folder there, so nobody else can take its name first and keep every later start
    // from finding the first instance. A folder in the temporary folder is the last resort.
    if (folderName.empty())
        return {};
    for (const std::string& folder : {PrivateFallbackFolder(folderName), TemporaryFallbackFolder(folderName)})
    {
        if (folder.empty())
            continue;
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            continue;
        if (IsSafeFolder(folder))
            return folder;
    }
    return {};
}

std::string SingleInstance::GetSocketPath() const
{
    return m_folder + "/" + m_name;
}

SingleInstance::Role SingleInstance::Claim(const std::string& commandLine)
{
    m_problem.clear();
    m_folder = GetRuntimeFolder(m_folderName);
    if (m_folder.empty())
    {
        m_problem = "no private runtime folder: $XDG_RUNTIME_DIR";
        if (!m_folderName.empty())
            m_problem += ", " + m_folderName + "-runtime in the cache folder and " + m_folderName + "-" +
                         std::to_string(::getuid()) + " in the temporary folder";
        m_problem += " missing, not the user's own or open to others";
        return Role::Alone;
    }
    const std::string socketPath = GetSocketPath();
    SocketAddress address;
    if (!address.Set(m_folder, m_name))
    {
        m_problem = Reason("no socket can be named", socketPath, errno);
        return Role::Alone;
    }

    const std::string lockPath = socketPath + ".lock";
    UniqueDescriptor lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!lock)
    {
        m_problem = Reason("cannot open", lockPath, errno);
        return Role::Alone;
    }
    if (::flock(lock.Get(), LOCK_EX | LOCK_NB) == 0)
    {
        m_lock = std::move(lock);
        // Without the socket later instances start in full; this one is the first all the same.
        Listen(socketPath, address.Get());
        return Role::First;
    }
    if (errno != EWOULDBLOCK)
    {
        m_problem = Reason("cannot lock", lockPath, errno);
        return Role::Alone;
    }
    if (HandOver(address.Get(), commandLine))
        return Role::Second;
    m_problem = Reason("the running instance cannot be reached at", socketPath, errno);
    return Role::Alone;
}

bool SingleInstance::Listen(const std::string& socketPath, const sockaddr_un& address)
{
    // Whatever is there was left by an instance that died: the lock is ours.
    ::unlink(socketPath.c_str());
    UniqueDescriptor listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!listener || ::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener.Get(), SOMAXCONN) != 0)
    {
        m_problem = Reason("cannot listen on", socketPath, errno);
        return false;
    }
    m_listener = std::move(listener);
    // Without the waiting thread the idle pass looks at the socket every time.
    m_stopEvent = UniqueDescriptor(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (m_stopEvent)
    {
        try
        {
            m_watcher = std::thread([this] { Watch(); });
        }
        catch (const std::system_error&)
        {
            m_stopEvent = UniqueDescriptor();
        }
    }
    return true;
}

void SingleInstance::Watch()
{
    for (;;)
    {
        pollfd entries[2] = {{m_listener.Get(), POLLIN, 0}, {m_stopEvent.Get(), POLLIN, 0}};
        if (::poll(entries, 2, -1) < 0)
        {
            if (errno == EINTR)
                continue;
            break;
        }
        if (entries[1].revents != 0)
            break;
        if (entries[0].revents == 0)
            continue;
        std::unique_lock lock(m_watchLock);
        m_connectionWaiting = true;
        // The socket stays readable until the idle pass has accepted: wait for it rather than
        // poll again at once.
        m_watchTaken.wait(lock, [this] { return !m_connectionWaiting || m_stopWatching; });
        if (m_stopWatching)
            break;
    }
    // From now on (a failed poll) the idle pass looks at the socket every time.
    const std::lock_guard lock(m_watchLock);
    m_stopWatching = true;
    m_connectionWaiting = true;
}

void SingleInstance::StopWatching()
{
    if (!m_watcher.joinable())
        return;
    {
        const std::lock_guard lock(m_watchLock);
        m_stopWatching = true;
    }
    m_watchTaken.notify_all();
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_stopEvent.Get(), &one, sizeof one);
    m_watcher.join();
}

bool SingleInstance::IsConnectionWaiting()
{
    if (!m_watcher.joinable())
        return true;
    const std::lock_guard lock(m_watchLock);
    return m_connectionWaiting;
}

void SingleInstance::ConnectionsTaken()
{
    if (!m_watcher.joinable())
        return;
    {
        const std::lock_guard lock(m_watchLock);
        if (m_stopWatching)
            return;
        m_connectionWaiting = false;
    }
    m_watchTaken.notify_all();
}

void SingleInstance::Accept()
{
    for (;;)
    {
        UniqueDescriptor connection(::accept4(m_listener.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!connection)
        {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;
        }
        ucred peer{};
        socklen_t size = sizeof peer;
        if (::getsockopt(connection.Get(), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != ::getuid())
            continue;
        m_pending.push_back(Pending{std::move(connection), {}});
        if (m_pending.size() > kMaxPending)
            m_pending.pop_front();
    }
}

bool SingleInstance::Read(Pending& pending, bool& complete)
{
    char buffer[4096];
    for (;;)
    {
        const ssize_t count = ::recv(pending.connection.Get(), buffer, sizeof buffer, 0);
        if (count > 0)
        {
            pending.bytes.append(buffer, static_cast<std::size_t>(count));
            if (pending.bytes.size() > kMaxHandOverBytes)
                return false;
            continue;
        }
        if (count == 0)
        {
            complete = true;
            return false;
        }
        if (errno == EINTR)
            continue;
        return errno == EAGAIN || errno == EWOULDBLOCK;
    }
}

bool SingleInstance::ProcessIdle()
{
    if (!m_listener)
        return false;
    if (IsConnectionWaiting())
    {
        Accept();
        ConnectionsTaken();
    }
    else if (m_pending.empty())
        return false;
    std::vector<WString> texts;
    for (auto pending = m_pending.begin(); pending != m_pending.end();)
    {
        bool complete = false;
        if (Read(*pending, complete))
        {
            ++pending;
            continue;
        }
        WString text;
        if (complete && DecodeHandOverPayload(pending->bytes.data(), pending->bytes.size(), text))
            texts.push_back(text);
        pending = m_pending.erase(pending);
    }
    // Only now: a handler may run a nested loop (a message box) whose idle passes come back.
    for (const WString& text : texts)
        if (m_handler)
            m_handler(text);
    return !texts.empty();
}

} // namespace QK
