#include "bench/Launch/BenchSession.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <cairo.h>
#include <jack/jack.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace VediduBench
{

namespace
{

void SleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Starts a program with this process's environment plus overrides, its output (both
// streams) appended to outputPath (or dropped for an empty path).
pid_t Spawn(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& overrides,
            const std::string& outputPath, std::string& error)
{
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry)
    {
        const char* equals = std::strchr(*entry, '=');
        if (equals && overrides.count(std::string(*entry, static_cast<std::size_t>(equals - *entry))) == 0)
            entries.emplace_back(*entry);
    }
    for (const auto& [name, value] : overrides)
        entries.push_back(name + "=" + value);
    std::vector<char*> environment;
    for (std::string& entry : entries)
        environment.push_back(entry.data());
    environment.push_back(nullptr);
    std::vector<std::string> copies(arguments);
    std::vector<char*> argv;
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const char* output = outputPath.empty() ? "/dev/null" : outputPath.c_str();
    posix_spawn_file_actions_addopen(&actions, 1, output, O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
    {
        error = "cannot start " + arguments[0] + ": " + std::strerror(failed);
        return 0;
    }
    return pid;
}

bool HasExited(pid_t pid)
{
    int status = 0;
    return ::waitpid(pid, &status, WNOHANG) == pid;
}

void StopProcess(pid_t& pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i)
    {
        if (HasExited(pid))
        {
            pid = 0;
            return;
        }
        SleepMs(10);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    pid = 0;
}

std::string MakeFolder(const char* stem)
{
    std::string pattern = std::string("/tmp/") + stem + ".XXXXXX";
    return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

std::string ReadText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The value of a "Name:   123 kB" line of a /proc status file.
std::uint64_t StatusValue(const std::string& text, const char* name)
{
    const std::size_t at = text.find(std::string("\n") + name);
    if (at == std::string::npos)
        return 0;
    return std::strtoull(text.c_str() + at + 1 + std::strlen(name), nullptr, 10);
}

} // namespace

double MillisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// ---- BenchServers --------------------------------------------------------------------------

BenchServers::~BenchServers()
{
    StopProcess(m_simulator);
    StopProcess(m_jackd);
    StopProcess(m_xvfb);
    if (!m_folder.empty())
        std::filesystem::remove_all(m_folder);
}

bool BenchServers::Start(const std::string& screen, const std::string& simulatorPath, std::string& error)
{
    m_folder = MakeFolder("vedidu-bench-servers");
    if (m_folder.empty())
    {
        error = "cannot make a temporary folder";
        return false;
    }
    m_jackServer = "vedidu-bench-" + std::to_string(::getpid());
    m_jackd = Spawn({"jackd", "--no-realtime", "--sync", "--timeout", "2000", "-n", m_jackServer, "-d", "dummy", "-r",
                     "48000", "-p", "1024"},
                    {{"JACK_NO_AUDIO_RESERVATION", "1"}}, m_folder + "/jackd.log", error);
    if (!m_jackd)
        return false;

    int displayPipe[2];
    if (::pipe(displayPipe) != 0)
    {
        error = "cannot make a pipe";
        return false;
    }
    m_xvfb = Spawn({"Xvfb", "-displayfd", std::to_string(displayPipe[1]), "-screen", "0", screen, "-nolisten", "tcp"},
                   {}, m_folder + "/xvfb.log", error);
    ::close(displayPipe[1]);
    if (!m_xvfb)
    {
        ::close(displayPipe[0]);
        return false;
    }
    pollfd ready{displayPipe[0], POLLIN, 0};
    char number[32] = {};
    if (::poll(&ready, 1, 20000) == 1)
        [[maybe_unused]] const ssize_t count = ::read(displayPipe[0], number, sizeof number - 1);
    ::close(displayPipe[0]);
    const int display = std::atoi(number);
    if (number[0] < '0' || number[0] > '9')
    {
        error = "Xvfb did not start: " + ReadText(m_folder + "/xvfb.log");
        return false;
    }
    m_display = ":" + std::to_string(display);

    JackConnectionWatch probe;
    for (int i = 0; i < 100 && !probe.Open(m_jackServer, error); ++i)
        SleepMs(50);
    if (!probe.Open(m_jackServer, error))
    {
        error = "jackd did not start: " + ReadText(m_folder + "/jackd.log");
        return false;
    }

    if (simulatorPath.empty())
        return true;
    m_simulator = Spawn({simulatorPath}, Environment(), "", error);
    if (!m_simulator)
        return false;
    // Its two clients are there once their semaphores are.
    const std::string prefix = "/dev/shm/jack_sem." + std::to_string(::getuid()) + "_" + m_jackServer + "_";
    for (int i = 0; i < 200; ++i)
    {
        if (std::filesystem::exists(prefix + "Vedidu") && std::filesystem::exists(prefix + "Vedidu-01"))
            return true;
        SleepMs(25);
    }
    error = "the simulated controller did not show its ports";
    return false;
}

std::map<std::string, std::string> BenchServers::Environment() const
{
    return {{"DISPLAY", m_display},
            {"SDL_VIDEODRIVER", "x11"},
            {"JACK_DEFAULT_SERVER", m_jackServer},
            {"JACK_NO_AUDIO_RESERVATION", "1"},
            {"VEDIDU_MIDI_API", "jack"}};
}

int BenchServers::CountJackClients(const std::vector<std::string>& ignore) const
{
    const std::string prefix = "jack_sem." + std::to_string(::getuid()) + "_" + m_jackServer + "_";
    std::vector<std::string> known = {"system", "freewheel", "Vedidu", "Vedidu-01", JackConnectionWatch::kClientName};
    known.insert(known.end(), ignore.begin(), ignore.end());
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm"))
    {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) == 0 &&
            std::find(known.begin(), known.end(), name.substr(prefix.size())) == known.end())
            ++count;
    }
    return count;
}

// ---- LaunchedProgram ---------------------------------------------------------------------------

LaunchedProgram::~LaunchedProgram()
{
    Stop();
    if (!m_home.empty())
        std::filesystem::remove_all(m_home);
}

bool LaunchedProgram::Start(const std::vector<std::string>& arguments,
                            const std::map<std::string, std::string>& environment, std::string& error)
{
    m_home = MakeFolder("vedidu-bench-home");
    if (m_home.empty())
    {
        error = "cannot make a temporary home";
        return false;
    }
    const std::string runtime = m_home + "/run";
    ::mkdir(runtime.c_str(), 0700);
    std::map<std::string, std::string> all(environment);
    all["HOME"] = m_home;
    all["XDG_CONFIG_HOME"] = m_home + "/.config";
    all["XDG_DATA_HOME"] = m_home + "/.local/share";
    all["XDG_CACHE_HOME"] = m_home + "/.cache";
    all["XDG_RUNTIME_DIR"] = runtime;
    m_startedAt = Clock::now();
    m_pid = Spawn(arguments, all, m_home + "/output.log", error);
    return m_pid != 0;
}

std::string LaunchedProgram::ErrorOutput()
{
    return m_home.empty() ? std::string() : ReadText(m_home + "/output.log");
}

bool LaunchedProgram::Stop()
{
    if (m_pid <= 0)
        return true;
    ::kill(m_pid, SIGTERM);
    for (int i = 0; i < 100; ++i)
    {
        if (HasExited(m_pid))
        {
            m_pid = 0;
            return true;
        }
        SleepMs(10);
    }
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = 0;
    return false;
}

bool ReadProcessCounters(pid_t pid, ProcessCounters& counters)
{
    const std::string folder = "/proc/" + std::to_string(pid);
    const std::string stat = ReadText(folder + "/stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return false;
    std::istringstream fields(stat.substr(close + 2));
    std::vector<std::string> values;
    for (std::string value; fields >> value;)
        values.push_back(value);
    // After the name: state is field 3, utime 14 and stime 15 (counted from 1).
    if (values.size() < 13)
        return false;
    const double ticks = static_cast<double>(::sysconf(_SC_CLK_TCK));
    counters.cpuSeconds = (std::stod(values[11]) + std::stod(values[12])) / ticks;

    counters.peakKiB = StatusValue(ReadText(folder + "/status"), "VmHWM:");
    counters.wakeUps = 0;
    counters.threads = 0;
    // The scheduler's own count of each thread's time on a CPU, in nanoseconds.
    double runNanoseconds = 0.0;
    double mainThreadNanoseconds = 0.0;
    bool everyThreadCounted = true;
    const std::string mainThread = std::to_string(pid);
    std::error_code ignored;
    for (const auto& task : std::filesystem::directory_iterator(folder + "/task", ignored))
    {
        const std::string status = ReadText(task.path().string() + "/status");
        counters.wakeUps +=
            StatusValue(status, "voluntary_ctxt_switches:") + StatusValue(status, "nonvoluntary_ctxt_switches:");
        ++counters.threads;
        std::istringstream schedstat(ReadText(task.path().string() + "/schedstat"));
        double nanoseconds = 0.0;
        if (schedstat >> nanoseconds)
        {
            runNanoseconds += nanoseconds;
            if (task.path().filename() == mainThread)
                mainThreadNanoseconds = nanoseconds;
        }
        else
            everyThreadCounted = false;
    }
    counters.mainThreadCpuSeconds = 0.0;
    if (everyThreadCounted && counters.threads > 0)
    {
        counters.cpuSeconds = runNanoseconds / 1e9;
        counters.mainThreadCpuSeconds = mainThreadNanoseconds / 1e9;
    }

    counters.jackShmKiB = 0;
    std::istringstream maps(ReadText(folder + "/smaps"));
    bool inJack = false;
    for (std::string line; std::getline(maps, line);)
    {
        if (!line.empty() && std::isxdigit(static_cast<unsigned char>(line[0])) && line.find('-') != std::string::npos &&
            line.find(':') > line.find('-'))
            inJack = line.find("/dev/shm/jack") != std::string::npos;
        else if (inJack && line.compare(0, 4, "Rss:") == 0)
            counters.jackShmKiB += std::strtoull(line.c_str() + 4, nullptr, 10);
    }
    return true;
}

// ---- WindowWatch -------------------------------------------------------------------------------

struct WindowWatch::State
{
    Display* display = nullptr;
    Window window = 0;
    XShmSegmentInfo segment{};
    XImage* image = nullptr;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> candidate;

    void ReleaseImage()
    {
        if (!image)
            return;
        XShmDetach(display, &segment);
        XDestroyImage(image);
        ::shmdt(segment.shmaddr);
        ::shmctl(segment.shmid, IPC_RMID, nullptr);
        image = nullptr;
    }

    bool MakeImage()
    {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, window, &attributes))
            return false;
        if (image && attributes.width == width && attributes.height == height)
            return true;
        ReleaseImage();
        width = attributes.width;
        height = attributes.height;
        image = XShmCreateImage(display, attributes.visual, static_cast<unsigned>(attributes.depth), ZPixmap, nullptr,
                                &segment, static_cast<unsigned>(width), static_cast<unsigned>(height));
        if (!image)
            return false;
        segment.shmid = ::shmget(IPC_PRIVATE, static_cast<std::size_t>(image->bytes_per_line) * height, IPC_CREAT | 0600);
        segment.shmaddr = image->data = static_cast<char*>(::shmat(segment.shmid, nullptr, 0));
        segment.readOnly = False;
        XShmAttach(display, &segment);
        XSync(display, False);
        candidate.clear();
        return true;
    }
};

WindowWatch::WindowWatch() : m_state(std::make_unique<State>())
{
}

WindowWatch::~WindowWatch()
{
    if (m_state->display)
    {
        m_state->ReleaseImage();
        XCloseDisplay(m_state->display);
    }
}

bool WindowWatch::Open(const std::string& display, std::string& error)
{
    // A server that has just said it is ready can still refuse the first connection.
    for (int attempt = 0; attempt < 50 && !m_state->display; ++attempt)
    {
        m_state->display = XOpenDisplay(display.c_str());
        if (!m_state->display)
            SleepMs(20);
    }
    if (!m_state->display || !XShmQueryExtension(m_state->display))
    {
        error = std::string(m_state->display ? "no MIT-SHM on the X server " : "cannot open the X server ") + display;
        return false;
    }
    XSelectInput(m_state->display, DefaultRootWindow(m_state->display), SubstructureNotifyMask);
    XSync(m_state->display, False);
    return true;
}

bool WindowWatch::WaitForWindow(pid_t pid, Clock::time_point deadline, Clock::time_point& mappedAt)
{
    Display* display = m_state->display;
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    while (Clock::now() < deadline)
    {
        while (XPending(display))
        {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != MapNotify || event.xmap.override_redirect)
                continue;
            Atom type = 0;
            int format = 0;
            unsigned long count = 0;
            unsigned long left = 0;
            unsigned char* value = nullptr;
            if (XGetWindowProperty(display, event.xmap.window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                                   &count, &left, &value) == Success &&
                value && count == 1 && format == 32 && static_cast<pid_t>(*reinterpret_cast<unsigned long*>(value)) == pid)
            {
                XFree(value);
                mappedAt = Clock::now();
                m_state->window = event.xmap.window;
                return true;
            }
            if (value)
                XFree(value);
        }
        pollfd ready{ConnectionNumber(display), POLLIN, 0};
        ::poll(&ready, 1, 1);
    }
    return false;
}

bool WindowWatch::WaitForSettledFrame(Clock::duration settle, Clock::time_point deadline,
                                      Clock::time_point& firstSeenAt)
{
    State& state = *m_state;
    Clock::time_point changedAt = Clock::now();
    bool haveFrame = false;
    while (Clock::now() < deadline)
    {
        if (!state.MakeImage())
            return false;
        if (!XShmGetImage(state.display, state.window, state.image, 0, 0, AllPlanes))
            return false;
        const Clock::time_point seenAt = Clock::now();
        const std::size_t pixels = static_cast<std::size_t>(state.width) * state.height;
        const int stride = state.image->bytes_per_line / 4;
        const auto* data = reinterpret_cast<const std::uint32_t*>(state.image->data);
        std::size_t changed = 0;
        bool uniform = true;
        if (state.candidate.size() != pixels)
            changed = pixels;
        for (int y = 0; y < state.height; ++y)
            for (int x = 0; x < state.width; ++x)
            {
                const std::uint32_t pixel = data[y * stride + x] & 0xFFFFFFu;
                uniform = uniform && pixel == (data[0] & 0xFFFFFFu);
                if (changed < pixels && state.candidate[static_cast<std::size_t>(y) * state.width + x] != pixel)
                    ++changed;
            }
        if (changed * 1000 > pixels)
        {
            state.candidate.resize(pixels);
            for (int y = 0; y < state.height; ++y)
                for (int x = 0; x < state.width; ++x)
                    state.candidate[static_cast<std::size_t>(y) * state.width + x] = data[y * stride + x] & 0xFFFFFFu;
            changedAt = seenAt;
            // A window not painted yet shows one colour: that is no frame.
            haveFrame = !uniform;
        }
        else if (haveFrame && seenAt - changedAt >= settle)
        {
            firstSeenAt = changedAt;
            return true;
        }
        SleepMs(1);
    }
    return false;
}

bool WindowWatch::SavePicture(const std::string& path)
{
    const State& state = *m_state;
    if (state.candidate.empty())
        return false;
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(state.candidate.data())), CAIRO_FORMAT_RGB24,
        state.width, state.height, state.width * 4);
    const bool saved = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return saved;
}

// ---- JackConnectionWatch -----------------------------------------------------------------------

JackConnectionWatch::~JackConnectionWatch()
{
    if (m_client)
        jack_client_close(static_cast<jack_client_t*>(m_client));
}

bool JackConnectionWatch::Open(const std::string& server, std::string& error)
{
    if (m_client)
        return true;
    // libjack tells of every refused attempt on stderr while the server starts.
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
    jack_status_t status{};
    m_client = jack_client_open(kClientName, static_cast<jack_options_t>(JackNoStartServer | JackServerName), &status,
                                server.c_str());
    if (!m_client)
        error = "cannot reach the JACK server " + server;
    return m_client != nullptr;
}

bool JackConnectionWatch::SimulatorConnected() const
{
    auto* client = static_cast<jack_client_t*>(m_client);
    if (!client)
        return false;
    bool input = false;
    bool output = false;
    const char** ports = jack_get_ports(client, "^Vedidu(-01)?:", JACK_DEFAULT_MIDI_TYPE, 0);
    for (const char** name = ports; name && *name; ++name)
    {
        jack_port_t* port = jack_port_by_name(client, *name);
        const char** connections = port ? jack_port_get_all_connections(client, port) : nullptr;
        if (connections)
        {
            (jack_port_flags(port) & JackPortIsInput ? input : output) = true;
            jack_free(connections);
        }
    }
    if (ports)
        jack_free(ports);
    return input && output;
}

} // namespace VediduBench
