// vedidu_simulator: the simulated controller (SimulatedController) on real MIDI ports, for
// integration tests and for trying the editor by hand without the device.
//
//   vedidu_simulator [--silent | --short | --garbage] [--log FILE] [--state FILE]
//                    [--late MS | --slow MS[:N]] [--flood RATE[:SECONDS]] [--dump-byte7 HEX]
//
// It opens one input and one output port, both named "Vedidu", on clients named "Vedidu"
// (RtMidi makes each port a client of its own; JACK calls the second "Vedidu-01"), on the
// ALSA sequencer or, when VEDIDU_MIDI_API is "jack" or there is no sequencer, on JACK.
// Every message received is written as one hex line to standard output or the log file.
// With --state, the stored presets and key curve are read from FILE at start when it
// exists, and written to it after every change. With --late, the answer to the first get
// is held back: it goes out right before the answer to the next get, and no sooner than MS
// milliseconds after the first (a controller that was busy once, and answers in order). With
// --slow, every answer goes out MS milliseconds after the message it answers, or only the
// answers to the first N messages that have one; answers keep their order, so one that is
// not slowed still waits for a slowed one before it (a controller that works through its
// requests one by one, slowly).
// With --dump-byte7, every dump carries that byte (00 to 7F, in hex) at offset 7 instead of
// the preset's number. With --flood, it sends RATE messages a second that the editor has no use for
// (notes, controllers, clock, foreign SysEx, some of it unterminated) for SECONDS seconds,
// or until it ends, answering as usual between them; a flood with an end ends in the middle
// of a SysEx. SIGTERM or SIGINT ends it, and so does
// the end of the process that started it (a test that crashed must not leave it behind);
// its ports go with it, as when the controller is unplugged.
#include "QKFramework/Platform/Midi/UnseenSyncScope.h"
#include "tests/support/Midi/SimulatedController.h"

#include <RtMidi.h>
#include <jack/jack.h>

#include <signal.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace
{

using QK::TestSupport::SimulatedController;

const char kName[] = "Vedidu";

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

// Messages from RtMidi's thread to the main thread, which does all the work.
struct Inbox
{
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<std::vector<std::uint8_t>> messages;
};

void OnMessage(double, std::vector<unsigned char>* message, void* user)
{
    if (!message || message->empty())
        return;
    auto* inbox = static_cast<Inbox*>(user);
    {
        std::lock_guard lock(inbox->mutex);
        inbox->messages.emplace_back(message->begin(), message->end());
    }
    inbox->arrived.notify_one();
}

std::atomic<int> g_errors{0};

void OnError(RtMidiError::Type type, const std::string& text, void*)
{
    if (type == RtMidiError::DEBUG_WARNING)
        return;
    ++g_errors;
    std::fprintf(stderr, "vedidu_simulator: %s\n", text.c_str());
}

// Hears the JACK server end (libjack's thread). RtMidi's clients cannot be torn down cleanly
// after that (libjack cannot end their threads), so the simulator then leaves without.
std::atomic<bool> g_serverGone{false};

void OnServerShutdown(jack_status_t, const char*, void*)
{
    g_serverGone = true;
}

struct JackWatchCloser
{
    void operator()(jack_client_t* client) const { jack_client_close(client); }
};

std::unique_ptr<jack_client_t, JackWatchCloser> WatchJackServer()
{
    jack_status_t status{};
    jack_client_t* client = jack_client_open("vedidu_simulator watch", JackNoStartServer, &status);
    if (client)
        jack_on_info_shutdown(client, &OnServerShutdown, nullptr);
    return std::unique_ptr<jack_client_t, JackWatchCloser>(client);
}

RtMidi::Api ChooseApi()
{
    const char* api = std::getenv("VEDIDU_MIDI_API");
    if (api && strcasecmp(api, "jack") == 0)
        return RtMidi::UNIX_JACK;
    return access("/dev/snd/seq", R_OK | W_OK) == 0 ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK;
}

bool ReadFile(const std::string& path, std::string& text)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::ostringstream contents;
    contents << file.rdbuf();
    text = contents.str();
    return true;
}

// Whole or not at all: a reader never sees half a state.
bool WriteFile(const std::string& path, const std::string& text)
{
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!(file << text) || !file.flush())
            return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

int Usage()
{
    std::fputs("usage: vedidu_simulator [--silent | --short | --garbage] [--log FILE] [--state FILE]\n"
               "                        [--late MS | --slow MS[:N]] [--flood RATE[:SECONDS]] [--dump-byte7 HEX]\n",
               stderr);
    return 2;
}

// A whole number of at least min in text, else -1.
long ParseCount(const std::string& text, long min)
{
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && end != text.c_str() && *end == '\0' && value >= min ? value : -1;
}

// An unterminated SysEx of a flood; the last message of every flood is one.
std::vector<std::uint8_t> UnterminatedSysEx(std::uint8_t data)
{
    return {0xF0, 0x7D, 0x01, data};
}

// The n-th message of a flood: mostly notes, controllers and clock, and in every fifty an
// unterminated foreign SysEx followed by a whole one.
std::vector<std::uint8_t> FloodMessage(std::uint64_t n)
{
    const auto data = static_cast<std::uint8_t>(n & 0x7F);
    switch (n % 50)
    {
    case 48:
        return UnterminatedSysEx(data);
    case 49:
        return {0xF0, 0x7D, 0x02, data, 0xF7};
    default:
        break;
    }
    switch (n % 4)
    {
    case 0:
        return {0x90, data, 0x64};
    case 1:
        return {0x80, data, 0x00};
    case 2:
        return {0xB0, 0x07, data};
    default:
        return {0xF8};
    }
}

// Answers that go out in order, each once it is due: a --slow controller's.
class AnswerQueue
{
public:
    // Answers to the first count messages that have one (every one for a count of 0) are
    // due delayMs after their message.
    AnswerQueue(long delayMs, long count) : m_delay(delayMs), m_slowLeft(count), m_slowAll(count == 0) {}

    void Add(std::vector<SimulatedController::Message> replies)
    {
        if (replies.empty())
            return;
        auto due = std::chrono::steady_clock::now();
        if (m_delay.count() > 0 && (m_slowAll || m_slowLeft > 0))
        {
            due += m_delay;
            if (!m_slowAll)
                --m_slowLeft;
        }
        // Never before an answer to an earlier message.
        if (!m_pending.empty())
            due = std::max(due, m_pending.back().due);
        m_pending.push_back({due, std::move(replies)});
    }

    void SendDue(RtMidiOut& output)
    {
        const auto now = std::chrono::steady_clock::now();
        while (!m_pending.empty() && m_pending.front().due <= now)
        {
            for (std::vector<std::uint8_t>& reply : m_pending.front().replies)
            {
                QK::UnseenSyncScope unseen;
                output.sendMessage(&reply);
            }
            m_pending.pop_front();
        }
    }

    // How long the main loop may sleep before the next answer is due.
    std::chrono::milliseconds TimeToNext(std::chrono::milliseconds longest) const
    {
        if (m_pending.empty())
            return longest;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_pending.front().due -
                                                                                std::chrono::steady_clock::now());
        return std::clamp(left, std::chrono::milliseconds(0), longest);
    }

private:
    struct Pending
    {
        std::chrono::steady_clock::time_point due;
        std::vector<SimulatedController::Message> replies;
    };

    const std::chrono::milliseconds m_delay;
    long m_slowLeft;
    const bool m_slowAll;
    std::deque<Pending> m_pending;
};

// Sends the flood's messages that are due by now.
class Flood
{
public:
    Flood(long rate, long seconds) : m_rate(rate), m_seconds(seconds), m_start(std::chrono::steady_clock::now()) {}

    bool IsRunning() const { return m_rate > 0 && !m_ended; }

    void SendDue(RtMidiOut& output)
    {
        if (!IsRunning())
            return;
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        if (m_seconds > 0 && elapsed >= static_cast<double>(m_seconds))
        {
            // Ends in the middle of a SysEx, as a device unplugged mid-message leaves it.
            std::vector<std::uint8_t> last = UnterminatedSysEx(0x7F);
            {
                QK::UnseenSyncScope unseen;
                output.sendMessage(&last);
            }
            m_ended = true;
            std::fprintf(stderr, "vedidu_simulator: flood of %llu messages done\n",
                         static_cast<unsigned long long>(m_sent + 1));
            return;
        }
        const auto due = static_cast<std::uint64_t>(elapsed * static_cast<double>(m_rate));
        for (; m_sent < due; ++m_sent)
        {
            std::vector<std::uint8_t> message = FloodMessage(m_sent);
            QK::UnseenSyncScope unseen;
            output.sendMessage(&message);
        }
    }

private:
    const long m_rate;
    const long m_seconds;
    const std::chrono::steady_clock::time_point m_start;
    std::uint64_t m_sent = 0;
    bool m_ended = false;
};

} // namespace

int main(int argc, char** argv)
{
    const pid_t parent = getppid();
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    SimulatedController::ReplyMode mode = SimulatedController::ReplyMode::Normal;
    std::string logPath;
    std::string statePath;
    long lateMs = 0;
    long slowMs = 0;
    long slowCount = 0;
    long floodRate = 0;
    long floodSeconds = 0;
    std::optional<std::uint8_t> dumpByte7;
    for (int i = 1; i < argc; ++i)
    {
        const std::string option = argv[i];
        if (option == "--silent")
            mode = SimulatedController::ReplyMode::Silent;
        else if (option == "--short")
            mode = SimulatedController::ReplyMode::Short;
        else if (option == "--garbage")
            mode = SimulatedController::ReplyMode::Garbage;
        else if ((option == "--log" || option == "--state") && i + 1 < argc)
            (option == "--log" ? logPath : statePath) = argv[++i];
        else if (option == "--late" && i + 1 < argc && (lateMs = ParseCount(argv[++i], 1)) > 0)
            continue;
        else if (option == "--slow" && i + 1 < argc)
        {
            const std::string value = argv[++i];
            const std::size_t colon = value.find(':');
            slowMs = ParseCount(value.substr(0, colon), 1);
            slowCount = colon == std::string::npos ? 0 : ParseCount(value.substr(colon + 1), 1);
            if (slowMs < 0 || slowCount < 0)
                return Usage();
        }
        else if (option == "--dump-byte7" && i + 1 < argc)
        {
            std::vector<std::uint8_t> byte;
            if (!QK::TestSupport::ParseHexBytes(argv[++i], byte) || byte.size() != 1 || byte[0] > 0x7F)
                return Usage();
            dumpByte7 = byte[0];
        }
        else if (option == "--flood" && i + 1 < argc)
        {
            const std::string value = argv[++i];
            const std::size_t colon = value.find(':');
            floodRate = ParseCount(value.substr(0, colon), 1);
            floodSeconds = colon == std::string::npos ? 0 : ParseCount(value.substr(colon + 1), 1);
            if (floodRate < 0 || floodSeconds < 0)
                return Usage();
        }
        else
            return Usage();
    }

    // Both hold answers back, each in its own way.
    if (lateMs > 0 && slowMs > 0)
        return Usage();
    SimulatedController controller(mode);
    controller.SetDumpByte7(dumpByte7);
    std::string savedState;
    if (!statePath.empty())
    {
        std::string text;
        std::string error;
        if (ReadFile(statePath, text) && !controller.LoadState(text, error))
        {
            std::fprintf(stderr, "vedidu_simulator: %s: %s\n", statePath.c_str(), error.c_str());
            return 2;
        }
        savedState = controller.SaveState();
        if (!WriteFile(statePath, savedState))
        {
            std::fprintf(stderr, "vedidu_simulator: cannot write %s\n", statePath.c_str());
            return 2;
        }
    }

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> logFile(nullptr, &std::fclose);
    if (!logPath.empty())
    {
        logFile.reset(std::fopen(logPath.c_str(), "a"));
        if (!logFile)
        {
            std::fprintf(stderr, "vedidu_simulator: cannot open %s\n", logPath.c_str());
            return 2;
        }
    }
    std::FILE* log = logFile ? logFile.get() : stdout;

    Inbox inbox;
    std::unique_ptr<RtMidiIn> input;
    std::unique_ptr<RtMidiOut> output;
    // A JACK client can fail to come up when a signal interrupts its talk with the server
    // (another process of the test ending): such a start is tried again, a few times.
    constexpr int kAttempts = 3;
    for (int attempt = 1;; ++attempt)
    {
        g_errors = 0;
        try
        {
            const RtMidi::Api api = ChooseApi();
            input = std::make_unique<RtMidiIn>(api, kName);
            output = std::make_unique<RtMidiOut>(api, kName);
        }
        catch (const RtMidiError& error)
        {
            std::fprintf(stderr, "vedidu_simulator: %s\n", error.getMessage().c_str());
            if (attempt == kAttempts)
                return 1;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        input->setErrorCallback(&OnError);
        output->setErrorCallback(&OnError);
        input->ignoreTypes(false, false, false);
        input->setCallback(&OnMessage, &inbox);
        input->openVirtualPort(kName);
        output->openVirtualPort(kName);
        // isPortOpen speaks of openPort only; a virtual port shows its failure as an error.
        if (g_errors == 0)
            break;
        input.reset();
        output.reset();
        if (attempt == kAttempts)
        {
            std::fputs("vedidu_simulator: cannot open the MIDI ports\n", stderr);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::unique_ptr<jack_client_t, JackWatchCloser> serverWatch;
    if (input->getCurrentApi() == RtMidi::UNIX_JACK)
        serverWatch = WatchJackServer();
    std::fputs("vedidu_simulator: ready\n", stderr);

    Flood flood(floodRate, floodSeconds);
    AnswerQueue answers(slowMs, slowCount);
    // The first get's answer while --late holds it back.
    struct LateAnswer
    {
        std::chrono::steady_clock::time_point due;
        std::vector<SimulatedController::Message> replies;
    };
    std::optional<LateAnswer> late;
    while (!g_stop && getppid() == parent)
    {
        std::deque<std::vector<std::uint8_t>> received;
        {
            std::unique_lock lock(inbox.mutex);
            // Bounded, so that a signal is seen soon and a flood flows evenly.
            inbox.arrived.wait_for(lock, answers.TimeToNext(std::chrono::milliseconds(flood.IsRunning() ? 2 : 20)),
                                   [&] { return !inbox.messages.empty(); });
            received.swap(inbox.messages);
        }
        flood.SendDue(*output);
        for (const std::vector<std::uint8_t>& message : received)
        {
            std::fprintf(log, "%s\n", QK::TestSupport::FormatHexBytes(message).c_str());
            std::fflush(log);
            const bool isGet = SimulatedController::IsGetPresetRequest(message.data(), message.size());
            if (isGet && late)
            {
                // The held answer goes out first, once it is due.
                while (!g_stop && std::chrono::steady_clock::now() < late->due)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                for (std::vector<std::uint8_t>& reply : late->replies)
                {
                    QK::UnseenSyncScope unseen;
                    output->sendMessage(&reply);
                }
                late.reset();
            }
            std::vector<SimulatedController::Message> replies = controller.Receive(message);
            if (isGet && lateMs > 0)
            {
                late = LateAnswer{std::chrono::steady_clock::now() + std::chrono::milliseconds(lateMs), std::move(replies)};
                lateMs = 0;
            }
            answers.Add(std::move(replies));
            answers.SendDue(*output);
            if (!statePath.empty() && message.front() == 0xF0)
            {
                const std::string state = controller.SaveState();
                if (state != savedState && WriteFile(statePath, state))
                    savedState = state;
            }
        }
        answers.SendDue(*output);
    }

    if (g_serverGone)
    {
        std::fflush(nullptr);
        std::_Exit(0);
    }
    input->cancelCallback();
    input.reset();
    output.reset();
    return 0;
}
