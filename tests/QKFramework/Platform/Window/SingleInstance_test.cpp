// The single-instance lock: two real processes (the second hands over its command line and
// ends with 0, a killed first leaves nothing that blocks the next start, a runtime folder too
// long for a socket's address), and in this process the socket as outside input (sizes,
// encodings, stalled connections), the runtime folder and the reasons given when later starts
// cannot find this one.
#include "QKFramework/Platform/Window/SingleInstance.h"

#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace QK
{
namespace
{

using namespace TestSupport;

// The stem of the fallback runtime folders, as the probe program names it too.
constexpr const char* kFolderName = "qkprobe";

// The probe program with a pipe on its stdin and one on its stdout.
class Probe
{
public:
    explicit Probe(const std::vector<std::string>& arguments)
    {
        int in[2];
        int out[2];
        EXPECT_EQ(::pipe2(in, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::vector<std::string> copies{VEDIDU_SINGLE_INSTANCE_PROBE};
        copies.insert(copies.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& argument : copies)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        m_input = in[1];
        m_output = out[0];
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;
    ~Probe()
    {
        if (m_pid > 0)
        {
            ::kill(m_pid, SIGKILL);
            Wait();
        }
        ::close(m_output);
        if (m_input >= 0)
            ::close(m_input);
    }

    // The next line it printed, without the line feed; empty at its end.
    std::string ReadLine()
    {
        std::string line;
        char c;
        while (::read(m_output, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }
    // Closes its stdin (the first instance then ends) and answers its exit status.
    int Finish()
    {
        ::close(m_input);
        m_input = -1;
        return Wait();
    }
    int Kill()
    {
        ::kill(m_pid, SIGKILL);
        return Wait();
    }

private:
    int Wait()
    {
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR)
        {
        }
        m_pid = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    pid_t m_pid = 0;
    int m_input = -1;
    int m_output = -1;
};

class SingleInstanceTest : public ::testing::Test
{
protected:
    TempFolder folder;
    ScopedEnvironment runtime{"XDG_RUNTIME_DIR", folder.Path().c_str()};
};

TEST_F(SingleInstanceTest, TheSecondProcessHandsItsCommandLineToTheFirstAndEndsWithZero)
{
    ::chmod(folder.Path().c_str(), 0700);
    Probe first({});
    ASSERT_EQ(first.ReadLine(), "first");

    Probe second({"--open", "Grüße.vedidu"});
    EXPECT_EQ(second.ReadLine(), "second");
    EXPECT_EQ(second.Finish(), 0);
    EXPECT_EQ(first.ReadLine(), "received:--open Grüße.vedidu");

    Probe third({});
    EXPECT_EQ(third.Finish(), 0);
    EXPECT_EQ(first.ReadLine(), "received:");
    EXPECT_EQ(first.Finish(), 0);
}

TEST_F(SingleInstanceTest, AStartAfterAKilledFirstInstanceIsTheFirstAgain)
{
    ::chmod(folder.Path().c_str(), 0700);
    {
        Probe killed({});
        ASSERT_EQ(killed.ReadLine(), "first");
        killed.Kill();
    }
    Probe next({});
    EXPECT_EQ(next.ReadLine(), "first");
    Probe second({"again"});
    EXPECT_EQ(second.Finish(), 0);
    EXPECT_EQ(next.ReadLine(), "received:again");
}

// In this process: the first instance and raw clients on its socket ------------------------------

class HandOverTest : public SingleInstanceTest
{
protected:
    void SetUp() override
    {
        ::chmod(folder.Path().c_str(), 0700);
        instance.SetHandler([this](const WString& text) { received.push_back(NString(text.GetString()).GetString()); });
        ASSERT_EQ(instance.Claim("unused"), SingleInstance::Role::First);
    }

    int Connect()
    {
        const int client = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = instance.GetSocketPath();
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        EXPECT_EQ(::connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        return client;
    }
    // Sends bytes (the first instance reading in its idle passes meanwhile), ends the sending
    // side and runs idle passes until the first instance has let go of the connection.
    void Send(const std::string& bytes)
    {
        const int client = Connect();
        std::size_t sent = 0;
        for (int pass = 0; pass < 100000 && sent < bytes.size(); ++pass)
        {
            const ssize_t count = ::send(client, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (count > 0)
                sent += static_cast<std::size_t>(count);
            else if (errno != EAGAIN)
                break; // refused half-way
            instance.ProcessIdle();
        }
        ::shutdown(client, SHUT_WR);
        WaitUntilClosed(client);
        ::close(client);
    }
    void WaitUntilClosed(int client)
    {
        for (int pass = 0; pass < 100000; ++pass)
        {
            instance.ProcessIdle();
            pollfd entry{client, POLLIN, 0};
            char byte;
            if (::poll(&entry, 1, 1) > 0 && ::recv(client, &byte, 1, 0) <= 0)
                return;
        }
        ADD_FAILURE() << "the first instance kept the connection";
    }

    SingleInstance instance{"VediduTestWindowClassPrevent", kFolderName};
    std::vector<std::string> received;
};

TEST_F(HandOverTest, OnlyWholeValidPayloadsOfAtMost64KiBAreHandedOn)
{
    const std::string longest(kMaxHandOverBytes - 1, 'x');
    const struct
    {
        const char* what;
        std::string bytes;
        bool taken;
    } cases[] = {
        {"plain", std::string("-DEBUG_CONSOLE a.vedidu") + '\0', true},
        {"UTF-8", std::string("Grüße ✓ 𝄞") + '\0', true},
        {"empty", std::string(1, '\0'), true},
        {"64 KiB", longest + '\0', true},
        {"one byte over", longest + 'x' + '\0', false},
        {"far over", std::string(3 * kMaxHandOverBytes, 'x'), false},
        {"no terminator (cut short)", "a.vedidu", false},
        {"nothing", "", false},
        {"NUL inside", std::string("a\0b", 3) + '\0', false},
        {"invalid byte", std::string("a\xff") + '\0', false},
        {"truncated sequence", std::string("a\xc3") + '\0', false},
        {"overlong", std::string("\xc0\xaf") + '\0', false},
        {"surrogate", std::string("\xed\xa0\x80") + '\0', false},
    };
    for (const auto& c : cases)
    {
        received.clear();
        Send(c.bytes);
        if (c.taken)
        {
            ASSERT_EQ(received.size(), 1u) << c.what;
            EXPECT_EQ(received[0], c.bytes.substr(0, c.bytes.size() - 1)) << c.what;
        }
        else
            EXPECT_TRUE(received.empty()) << c.what;
    }
}

TEST_F(HandOverTest, StalledConnectionsDoNotBlockALaterHandOver)
{
    std::vector<int> silent;
    for (std::size_t i = 0; i < SingleInstance::kMaxPending + 2; ++i)
    {
        silent.push_back(Connect());
        instance.ProcessIdle();
    }
    Send(std::string("after the silent ones") + '\0');
    EXPECT_EQ(received, std::vector<std::string>{"after the silent ones"});
    for (int client : silent)
        ::close(client);
}

// The first instance waits on its socket on a thread of its own: one that ends while a
// connection waits, never taken, or after one was taken, ends at once and leaves the next
// start a socket it can claim.
TEST_F(HandOverTest, EndsAtOnceWhateverTheSocketHolds)
{
    std::vector<int> clients;
    for (const bool taken : {true, false})
    {
        {
            SingleInstance first{"VediduTestWindowClassEnding", kFolderName};
            ASSERT_EQ(first.Claim("unused"), SingleInstance::Role::First);
            const int client = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            const std::string path = first.GetSocketPath();
            std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
            ASSERT_EQ(::connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
            clients.push_back(client);
            if (taken)
            {
                const std::string payload = std::string("late") + '\0';
                ASSERT_EQ(::send(client, payload.data(), payload.size(), MSG_NOSIGNAL), static_cast<ssize_t>(payload.size()));
                ::shutdown(client, SHUT_WR);
                std::vector<std::string> got;
                first.SetHandler([&got](const WString& text) { got.push_back(NString(text.GetString()).GetString()); });
                for (int pass = 0; pass < 100000 && got.empty(); ++pass)
                {
                    first.ProcessIdle();
                    ::poll(nullptr, 0, 1);
                }
                EXPECT_EQ(got, std::vector<std::string>{"late"});
            }
        }
        SingleInstance next{"VediduTestWindowClassEnding", kFolderName};
        EXPECT_EQ(next.Claim("unused"), SingleInstance::Role::First) << (taken ? "taken" : "never taken");
    }
    for (int client : clients)
        ::close(client);
}

// Each way later starts could miss this process gives the role it runs in and a reason for
// the user. The lock held with nobody listening is a first instance still starting: this
// process runs in full instead of waiting or giving up.
TEST_F(SingleInstanceTest, WhenLaterStartsCannotFindThisOneItSaysWhy)
{
    ::chmod(folder.Path().c_str(), 0700);
    {
        SCOPED_TRACE("the lock held, nobody listening");
        SingleInstance probe("HeldPrevent", kFolderName);
        const int held = ::open((folder / "HeldPrevent.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
        EXPECT_EQ(probe.Claim("x"), SingleInstance::Role::Alone);
        EXPECT_NE(probe.GetProblem().find("cannot be reached at " + (folder / "HeldPrevent")), std::string::npos)
            << probe.GetProblem();
        ::close(held);
        EXPECT_EQ(probe.Claim("x"), SingleInstance::Role::First);
        EXPECT_EQ(probe.GetProblem(), "");
    }
    {
        SCOPED_TRACE("a folder where the socket goes");
        ASSERT_EQ(::mkdir((folder / "TakenPrevent").c_str(), 0700), 0);
        SingleInstance probe("TakenPrevent", kFolderName);
        EXPECT_EQ(probe.Claim("x"), SingleInstance::Role::First);
        EXPECT_NE(probe.GetProblem().find("cannot listen on " + (folder / "TakenPrevent")), std::string::npos)
            << probe.GetProblem();
    }
    {
        SCOPED_TRACE("a name too long for any socket address");
        SingleInstance probe(std::string(120, 'n') + "Prevent", kFolderName);
        EXPECT_EQ(probe.Claim("x"), SingleInstance::Role::Alone);
        EXPECT_NE(probe.GetProblem().find("no socket can be named"), std::string::npos) << probe.GetProblem();
    }
}

// A private folder below base whose path is length bytes long.
std::string MakeLongFolder(const std::string& base, std::size_t length)
{
    std::string path = base;
    while (path.size() < length)
    {
        const std::size_t left = length - path.size() - 1;
        const std::size_t part = left > 200 && left < 202 ? 100 : std::min<std::size_t>(left, 200);
        path += "/" + std::string(part, 'r');
        EXPECT_EQ(::mkdir(path.c_str(), 0700), 0) << path;
    }
    return path;
}

// A socket's address holds 107 bytes. A runtime folder that leaves no room for the socket's
// name still keeps one editor per user, on the socket in that folder, where editors that do
// fit it look.
TEST_F(SingleInstanceTest, ALongRuntimeFolderStillLeadsASecondStartToTheFirst)
{
    for (const std::size_t length : {std::size_t{120}, std::size_t{700}})
    {
        SCOPED_TRACE(length);
        const std::string runtime = MakeLongFolder(folder.Path(), length);
        ASSERT_EQ(runtime.size(), length);
        ScopedEnvironment runtimeVariable("XDG_RUNTIME_DIR", runtime.c_str());

        Probe first({});
        ASSERT_EQ(first.ReadLine(), "first");
        struct stat status;
        ASSERT_EQ(::lstat((runtime + "/VediduProbeWindowClassPrevent").c_str(), &status), 0);
        EXPECT_TRUE(S_ISSOCK(status.st_mode));
        Probe second({"--open", "a.vedidu"});
        EXPECT_EQ(second.ReadLine(), "second");
        EXPECT_EQ(second.Finish(), 0);
        EXPECT_EQ(first.ReadLine(), "received:--open a.vedidu");
        EXPECT_EQ(first.Finish(), 0);
    }
}

// Without a runtime folder: the user's cache folder, where nobody else can make the folder
// first. A folder that another user made in the temporary folder changes nothing, and two
// processes still find each other.
TEST_F(SingleInstanceTest, WithoutARuntimeFolderAnotherUserCannotSwitchTheLockOff)
{
    TempFolder home;
    ScopedEnvironment homeVariable("HOME", home.Path().c_str());
    ScopedEnvironment cache("XDG_CACHE_HOME", nullptr);
    ScopedEnvironment temporary("TMPDIR", folder.Path().c_str());
    ScopedEnvironment unset("XDG_RUNTIME_DIR", nullptr);
    const std::string taken = folder / (std::string(kFolderName) + "-" + std::to_string(::getuid()));
    ASSERT_EQ(::mkdir(taken.c_str(), 0777), 0);
    if (::geteuid() == 0)
    {
        ASSERT_EQ(::chown(taken.c_str(), 54321, 54321), 0);
    }
    else
        ::chmod(taken.c_str(), 0777);

    const std::string own = home / (".cache/" + std::string(kFolderName) + "-runtime");
    EXPECT_EQ(SingleInstance::GetRuntimeFolder(kFolderName), own);
    struct stat status;
    ASSERT_EQ(::lstat(own.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);

    Probe first({});
    ASSERT_EQ(first.ReadLine(), "first");
    Probe second({"--open", "a.vedidu"});
    EXPECT_EQ(second.ReadLine(), "second");
    EXPECT_EQ(second.Finish(), 0);
    EXPECT_EQ(first.ReadLine(), "received:--open a.vedidu");
    EXPECT_EQ(first.Finish(), 0);
}

TEST_F(SingleInstanceTest, FoldersThatOthersMayEnterOrThatAreLinksArePassedOver)
{
    TempFolder home;
    ScopedEnvironment homeVariable("HOME", home.Path().c_str());
    ScopedEnvironment cache("XDG_CACHE_HOME", (home / "cache").c_str());
    ScopedEnvironment temporary("TMPDIR", folder.Path().c_str());
    const std::string own = home / ("cache/" + std::string(kFolderName) + "-runtime");
    const std::string last = folder / (std::string(kFolderName) + "-" + std::to_string(::getuid()));

    // A runtime folder that others may enter.
    ::chmod(folder.Path().c_str(), 0755);
    EXPECT_EQ(SingleInstance::GetRuntimeFolder(kFolderName), own);

    // The cache's folder opened up, or a link: the temporary folder's, made closed.
    ::chmod(own.c_str(), 0755);
    EXPECT_EQ(SingleInstance::GetRuntimeFolder(kFolderName), last);
    struct stat status;
    ASSERT_EQ(::lstat(last.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    ::rmdir(own.c_str());
    ASSERT_EQ(::symlink(home.Path().c_str(), own.c_str()), 0);
    EXPECT_EQ(SingleInstance::GetRuntimeFolder(kFolderName), last);

    // Every folder open to others: no lock, and the process runs in full.
    ::chmod(last.c_str(), 0755);
    EXPECT_EQ(SingleInstance::GetRuntimeFolder(kFolderName), "");
    SingleInstance probe("OpenPrevent", kFolderName);
    EXPECT_EQ(probe.Claim("x"), SingleInstance::Role::Alone);
    EXPECT_NE(probe.GetProblem().find("no private runtime folder"), std::string::npos) << probe.GetProblem();

    // Without a home, the temporary folder's is the only fallback.
    ::chmod(last.c_str(), 0700);
    ScopedEnvironment noHome("HOME", nullptr);
    ScopedEnvironment noCache("XDG_CACHE_HOME", nullptr);
    EXPECT_EQ(SingleInstance::GetRuntimeFolder(kFolderName), last);

    // An application that names no fallback folder gets none.
    EXPECT_EQ(SingleInstance::GetRuntimeFolder(""), "");
}

} // namespace
} // namespace QK
