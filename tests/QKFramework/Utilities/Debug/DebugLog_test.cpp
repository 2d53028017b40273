#include "QKFramework/Utilities/Debug/DebugLog.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <locale>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace QK
{
namespace
{

class RecordingSink final : public IDebugOutputSink
{
public:
    void Write(std::string_view text) override { chunks.emplace_back(text); }

    std::string Joined() const
    {
        std::string all;
        for (const std::string& chunk : chunks)
            all += chunk;
        return all;
    }

    std::vector<std::string> chunks;
};

// A UDP socket on 127.0.0.1 with a port of the system's choice.
class UdpListener
{
public:
    UdpListener()
    {
        m_socket = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_socket < 0 || bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            ADD_FAILURE() << "cannot listen on 127.0.0.1";
        m_port = ntohs(address.sin_port);
    }
    ~UdpListener() { close(m_socket); }

    std::int32_t Port() const { return m_port; }

    // The next datagram; nothing when none comes within a generous wait (a failure, not a
    // measurement).
    std::optional<std::string> Receive()
    {
        pollfd ready{m_socket, POLLIN, 0};
        if (poll(&ready, 1, 10000) != 1)
            return std::nullopt;
        char buffer[65536];
        const ssize_t length = recv(m_socket, buffer, sizeof buffer, 0);
        if (length < 0)
            return std::nullopt;
        return std::string(buffer, static_cast<std::size_t>(length));
    }

    std::vector<std::string> Receive(std::size_t count)
    {
        std::vector<std::string> datagrams;
        while (datagrams.size() < count)
        {
            std::optional<std::string> datagram = Receive();
            if (!datagram)
            {
                ADD_FAILURE() << "only " << datagrams.size() << " of " << count << " datagrams arrived";
                break;
            }
            datagrams.push_back(*datagram);
        }
        return datagrams;
    }

private:
    int m_socket = -1;
    std::int32_t m_port = 0;
};

std::string Sample(std::size_t length)
{
    std::string text;
    for (std::size_t i = 0; i < length; ++i)
        text += static_cast<char>('a' + i % 26);
    return text;
}

std::vector<std::size_t> Lengths(const std::vector<std::string>& chunks)
{
    std::vector<std::size_t> lengths;
    for (const std::string& chunk : chunks)
        lengths.push_back(chunk.size());
    return lengths;
}

class DebugLogTest : public ::testing::Test
{
protected:
    DebugLogTest() { log.SetDebuggerOutput(&sink); }

    RecordingSink sink;
    DebugLog log;
};

TEST_F(DebugLogTest, LongTextArrivesInChunksOfAtMost1023Characters)
{
    const std::string text = Sample(2500);
    log.GetNarrowOutput() << text;
    EXPECT_EQ(Lengths(sink.chunks), (std::vector<std::size_t>{1023, 1023})) << "chunks go as they fill";
    log.GetNarrowOutput() << std::flush;
    EXPECT_EQ(Lengths(sink.chunks), (std::vector<std::size_t>{1023, 1023, 454}));
    EXPECT_EQ(sink.Joined(), text);
}

TEST_F(DebugLogTest, TextPutCharacterByCharacterIsCutTheSameWay)
{
    const std::string text = Sample(2500);
    for (const char c : text)
        log.GetNarrowOutput().put(c);
    log.GetNarrowOutput().flush();
    EXPECT_EQ(Lengths(sink.chunks), (std::vector<std::size_t>{1023, 1023, 454}));
    EXPECT_EQ(sink.Joined(), text);
}

TEST_F(DebugLogTest, AnEmptyFlushPassesAnEmptyText)
{
    log.GetNarrowOutput() << std::flush;
    EXPECT_EQ(sink.chunks, (std::vector<std::string>{""}));
}

TEST_F(DebugLogTest, WideTextArrivesAsUtf8)
{
    log.GetWideOutput() << L"Gr\u00FC\u00DFe \u20AC " << 42 << L' ' << wchar_t(0xD800) << wchar_t(0x110000)
                        << std::endl;
    log.WriteDebugLine(L"\U0001F3B9 line");
    EXPECT_EQ(sink.chunks, (std::vector<std::string>{"Gr\xC3\xBC\xC3\x9F"
                                                     "e \xE2\x82\xAC 42 \xEF\xBF\xBD\xEF\xBF\xBD\n",
                                                     "\xF0\x9F\x8E\xB9 line"}));
}

// Digit grouping and a decimal comma, as many users' locales have.
class CommaNumbers final : public std::numpunct<char>
{
protected:
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(DebugLogLocaleTest, NumbersAreWrittenWithoutTheUsersLocale)
{
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaNumbers));
    {
        RecordingSink sink;
        DebugLog log;
        log.SetDebuggerOutput(&sink);
        log.GetNarrowOutput() << 1234567 << ' ' << 2.5 << std::flush;
        EXPECT_EQ(sink.Joined(), "1234567 2.5");
    }
    std::locale::global(previous);
}

TEST(DebugLogLifetimeTest, TextNotYetFlushedIsHandedOnWhenTheLogGoes)
{
    RecordingSink sink;
    {
        DebugLog log;
        log.SetDebuggerOutput(&sink);
        log.GetNarrowOutput() << "narrow";
        log.GetWideOutput() << L"wide";
    }
    std::sort(sink.chunks.begin(), sink.chunks.end());
    EXPECT_EQ(sink.chunks, (std::vector<std::string>{"narrow", "wide"}));
}

TEST(DebugLogLifetimeTest, TextLeftAtExitStillReachesTheUdpListener)
{
    UdpListener listener;
    {
        DebugLog log;
        log.SetDebugLogTarget("127.0.0.1", listener.Port());
        log.GetNarrowOutput() << "last words";
        log.GetWideOutput() << L"wide last";
    }
    std::vector<std::string> datagrams = listener.Receive(5);
    ASSERT_EQ(datagrams.size(), 5u);
    EXPECT_EQ(datagrams[0], "*** APPLICATION Launched on ");
    std::sort(datagrams.begin() + 3, datagrams.end());
    EXPECT_EQ(datagrams[3], "last words");
    EXPECT_EQ(datagrams[4], "wide last");
}

TEST(DebugLogLifetimeTest, TheProcessLogIsOne)
{
    EXPECT_EQ(&DebugLog::Get(), &DebugLog::Get());
    EXPECT_EQ(DebugLog::Get().GetUdpPort(), -1);
}

TEST(DebugLogCommandLineTest, DebugConsoleOptionsAnywhereInTheCommandLine)
{
    const struct
    {
        const char16_t* commandLine;
        bool handled;
        bool console;
        const char* host;
        std::int32_t port;
    } cases[] = {
        {u"/usr/bin/vedidu -DEBUG_CONSOLE", true, true, "", -1},
        {u"vedidu -debug_console", true, true, "", -1},
        {u"vedidu /x-Debug_Console/y", true, true, "", -1},
        {u"vedidu -DEBUG_CONSOLE:9999", true, false, "", 9999},
        {u"vedidu -debug_console:9999:LogHost.example.org other", true, false, "LogHost.example.org", 9999},
        {u"vedidu -DEBUG_CONSOLE:9999 next:arg", true, false, "", 9999},
        {u"vedidu -DEBUG_CONSOLE:9999: last", true, false, "", 9999},
        {u"vedidu -DEBUG_CONSOLE:5", false, false, "", -1},
        {u"vedidu -DEBUG_CONSOLE:5:host", false, false, "", -1},
        {u"vedidu -DEBUG_CONSOLE: 9999", false, false, "", -1},
        {u"vedidu -DEBUG_CONSOLE:", false, false, "", -1},
        {u"vedidu -DEBUG_CONSOLE:ab", true, false, "", 0},
        {u"vedidu /preset.syx", false, false, "", -1},
        {u"", false, false, "", -1},
    };
    for (const auto& c : cases)
    {
        DebugLog log;
        const std::string commandLine = NString(c.commandLine).GetString();
        EXPECT_EQ(log.ApplyCommandLine(c.commandLine), c.handled) << commandLine;
        EXPECT_EQ(log.IsDebugConsoleOpen(), c.console) << commandLine;
        EXPECT_EQ(log.GetUdpHost(), c.host) << commandLine;
        EXPECT_EQ(log.GetUdpPort(), c.port) << commandLine;
    }
}

TEST_F(DebugLogTest, TheConsoleIsStandardError)
{
    TestSupport::TempFolder folder;
    const std::string captured = folder / "stderr.txt";
    const int file = open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(file, 0);
    const int savedError = dup(2);
    ASSERT_EQ(dup2(file, 2), 2);

    log.OpenDebugConsole();
    log.GetNarrowOutput() << "narrow line" << std::endl;
    log.GetWideOutput() << L"wide \u00FC" << std::endl;

    dup2(savedError, 2);
    close(savedError);
    close(file);
    EXPECT_EQ(folder.ReadFile("stderr.txt"), "narrow line\nwide \xC3\xBC\n");
    EXPECT_TRUE(sink.chunks.empty());
}

TEST_F(DebugLogTest, UdpAnnouncesOnceThenSendsOneDatagramPerChunk)
{
    UdpListener listener;
    log.SetDebugLogTarget("127.0.0.1", listener.Port());
    const std::string text = Sample(2500);
    log.GetNarrowOutput() << text << std::flush;

    const std::vector<std::string> datagrams = listener.Receive(6);
    ASSERT_EQ(datagrams.size(), 6u);
    EXPECT_EQ(datagrams[0], "*** APPLICATION Launched on ");
    EXPECT_EQ(datagrams[1], "127.0.0.1");
    EXPECT_EQ(datagrams[2], "***\n");
    EXPECT_EQ(Lengths({datagrams[3], datagrams[4], datagrams[5]}),
              (std::vector<std::size_t>{1023, 1023, 454}));
    EXPECT_EQ(datagrams[3] + datagrams[4] + datagrams[5], text);

    // An empty flush sends nothing: the next datagram is the next text.
    log.GetNarrowOutput() << std::flush;
    log.GetWideOutput() << L"wide \u00FC" << std::flush;
    log.WriteDebugLine(L"line");
    EXPECT_EQ(listener.Receive(2), (std::vector<std::string>{"wide \xC3\xBC", "line"}));
    EXPECT_TRUE(sink.chunks.empty());
}

TEST_F(DebugLogTest, TheFirstFlushAnnouncesEvenWhenEmpty)
{
    UdpListener listener;
    log.SetDebugLogTarget("localhost", listener.Port());
    log.GetNarrowOutput() << std::flush;
    log.GetNarrowOutput() << "after" << std::flush;
    EXPECT_EQ(listener.Receive(4),
              (std::vector<std::string>{"*** APPLICATION Launched on ", "127.0.0.1", "***\n", "after"}));
}

TEST_F(DebugLogTest, ANewTargetIsAnnouncedAgain)
{
    UdpListener first;
    UdpListener second;
    log.SetDebugLogTarget("127.0.0.1", first.Port());
    log.GetNarrowOutput() << "one" << std::flush;
    EXPECT_EQ(first.Receive(4).back(), "one");
    log.SetDebugLogTarget(nullptr, second.Port());
    EXPECT_EQ(log.GetUdpHost(), "127.0.0.1") << "no host keeps the one before";
    log.GetNarrowOutput() << "two" << std::flush;
    EXPECT_EQ(second.Receive(4),
              (std::vector<std::string>{"*** APPLICATION Launched on ", "127.0.0.1", "***\n", "two"}));
}

TEST_F(DebugLogTest, PortsOutsideTheUdpRangeLeaveTextWithTheDebugger)
{
    for (const std::int32_t port : {0, -5, 65536})
    {
        sink.chunks.clear();
        log.SetDebugLogTarget("127.0.0.1", port);
        log.GetNarrowOutput() << "text" << std::flush;
        EXPECT_EQ(sink.chunks, (std::vector<std::string>{"text"})) << port;
    }
}

TEST_F(DebugLogTest, EveryThreadMayWriteAndFlush)
{
    constexpr int kThreads = 8;
    constexpr int kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back(
            [this, t]
            {
                for (int i = 0; i < kLines; ++i)
                {
                    log.GetNarrowOutput()
                        << ("thread " + std::to_string(t) + " line " + std::to_string(i) + "\n");
                    if (i % 16 == 0)
                        log.GetNarrowOutput().flush();
                }
            });
    }
    for (std::thread& thread : threads)
        thread.join();
    log.GetNarrowOutput().flush();

    for (const std::string& chunk : sink.chunks)
        EXPECT_LE(chunk.size(), 1023u);
    std::map<std::string, int> seen;
    std::istringstream lines(sink.Joined());
    for (std::string line; std::getline(lines, line);)
        ++seen[line];
    EXPECT_EQ(seen.size(), std::size_t{kThreads * kLines});
    for (const auto& [line, count] : seen)
        EXPECT_EQ(count, 1) << line;
}

TEST_F(DebugLogTest, ThreadsFlushingAtOnceMakeOneSocket)
{
    UdpListener listener;
    log.SetDebugLogTarget("127.0.0.1", listener.Port());
    constexpr int kThreads = 4;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([this, t] { log.WriteDebugLine(std::to_wstring(t).c_str()); });
    for (std::thread& thread : threads)
        thread.join();

    const std::vector<std::string> datagrams = listener.Receive(3 + kThreads);
    EXPECT_EQ(std::count(datagrams.begin(), datagrams.end(), "*** APPLICATION Launched on "), 1);
    std::vector<std::string> texts(datagrams.begin() + std::min<std::size_t>(3, datagrams.size()),
                                   datagrams.end());
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{"0", "1", "2", "3"}));
}

} // namespace
} // namespace QK
