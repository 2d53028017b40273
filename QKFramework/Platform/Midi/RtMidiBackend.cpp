// Sections: RtMidi errors; JACK; one RtMidi object; the enumerator; the input connection;
// the output connection; the back end.
#include "QKFramework/Platform/Midi/RtMidiBackend.h"

#include "QKFramework/Platform/Midi/MidiSendWorker.h"
#include "QKFramework/Platform/Midi/UnseenSyncScope.h"
#include "QKFramework/Utilities/Debug/DebugLog.h"

#include <RtMidi.h>
#include <jack/jack.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <utility>
#include <vector>

namespace QK
{

namespace
{

const char kInputPortName[] = "MIDI In";
const char kOutputPortName[] = "MIDI Out";

RtMidi::Api ToRtMidiApi(MidiSystem system)
{
    return system == MidiSystem::Jack ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
}

// ---- RtMidi errors --------------------------------------------------------------------

// Counts what RtMidi reports through its error callback. Once a callback is set, RtMidi
// neither prints nor throws, so every call is judged by whether the count moved. The
// callback can come on RtMidi's own threads.
class ErrorCounter
{
public:
    void Attach(RtMidi& object) { object.setErrorCallback(&ErrorCounter::OnError, this); }
    int Count() const { return m_count.load(); }

private:
    static void OnError(RtMidiError::Type type, const std::string&, void* user)
    {
        if (type != RtMidiError::DEBUG_WARNING)
            static_cast<ErrorCounter*>(user)->m_count.fetch_add(1);
    }

    std::atomic<int> m_count{0};
};

// ---- JACK -----------------------------------------------------------------------------

// libjack writes its own messages (a missing server, a port that went) to standard error;
// they belong in the debug log. libjack also calls this on its own threads, which it cancels
// when a client closes: a cancel taken inside the log's write would unwind through the log's
// lock, so the thread cannot be cancelled while it writes.
void WriteJackMessage(const char* text)
{
    int cancelState = PTHREAD_CANCEL_ENABLE;
    pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &cancelState);
    DebugLog::Get().GetNarrowOutput() << "JACK: " << (text ? text : "") << std::endl;
    pthread_setcancelstate(cancelState, nullptr);
}

void RouteJackMessages()
{
    static std::once_flag once;
    std::call_once(once,
                   []
                   {
                       jack_set_error_function(&WriteJackMessage);
                       jack_set_info_function(&WriteJackMessage);
                   });
}

struct JackClientCloser
{
    void operator()(jack_client_t* client) const { jack_client_close(client); }
};
using JackClientHandle = std::unique_ptr<jack_client_t, JackClientCloser>;

// A client of libjack's own when a JACK server answers, else null. It asks before an RtMidi
// object is made: one made without a server writes its complaint to standard error, where
// no callback can catch it yet. Keep it at least until the back end's own clients are there:
// closing a client cancels its threads at once (asynchronously), and one cancelled while
// still starting can take the program loader's lock with it.
JackClientHandle AskJackServer(const std::string& clientName)
{
    if (!IsJackServerNameUsable())
        return nullptr;
    RouteJackMessages();
    jack_status_t status{};
    return JackClientHandle(jack_client_open(clientName.c_str(), JackNoStartServer, &status));
}

// Hears the JACK server end. RtMidi keeps its clients to itself and they go on listing the
// ports the server had when it went, so the back end keeps the client that asked for the
// server: never activated and without ports, it costs the server nothing per period, and
// libjack tells it when the server has gone (on libjack's own thread).
class JackServerWatch
{
public:
    explicit JackServerWatch(JackClientHandle client) : m_client(std::move(client))
    {
        jack_on_info_shutdown(m_client.get(), &JackServerWatch::OnShutdown, this);
    }
    JackServerWatch(const JackServerWatch&) = delete;
    JackServerWatch& operator=(const JackServerWatch&) = delete;

    bool HasServerGone() const { return m_gone.load(); }

private:
    static void OnShutdown(jack_status_t, const char* reason, void* self)
    {
        static_cast<JackServerWatch*>(self)->m_gone = true;
        DebugLog::Get().GetNarrowOutput() << "JACK: the server has gone (" << (reason ? reason : "") << ")"
                                          << std::endl;
    }

    std::atomic<bool> m_gone{false};
    JackClientHandle m_client; // last: closed first, so no callback outlives the flag
};

// ---- One RtMidi object ----------------------------------------------------------------

// Makes an RtMidi object on system with its errors counted; null when RtMidi fails to.
template <typename RtMidiObject>
std::unique_ptr<RtMidiObject> MakeRtMidi(MidiSystem system, const std::string& clientName, ErrorCounter& errors)
{
    // RtMidi's JACK object opens a client of libjack's with the server name as it stands.
    if (system == MidiSystem::Jack && !IsJackServerNameUsable())
        return nullptr;
    try
    {
        auto object = std::make_unique<RtMidiObject>(ToRtMidiApi(system), clientName);
        // RtMidi falls back to another compiled system when the one asked for is missing.
        if (object->getCurrentApi() != ToRtMidiApi(system))
            return nullptr;
        errors.Attach(*object);
        return object;
    }
    catch (const std::exception&)
    {
        return nullptr;
    }
}

// The index under which object lists port now, or -1.
long FindRtMidiPort(RtMidi& object, const std::string& port)
{
    const unsigned int count = object.getPortCount();
    for (unsigned int i = 0; i < count; ++i)
    {
        if (object.getPortName(i) == port)
            return static_cast<long>(i);
    }
    return -1;
}

// An RtMidi input object (a client of the MIDI system) and the delivery to the sink of the
// connection that has its port open. The callback stays set for the object's life; it
// delivers only while a sink is attached and started.
struct InputClient
{
    ErrorCounter errors;
    std::recursive_mutex delivery; // held by every delivery; Stop takes it to wait for one
    IMidiInputSink* sink = nullptr;
    bool started = false;
    std::chrono::steady_clock::time_point startTime;
    std::unique_ptr<RtMidiIn> object; // last: it goes first

    bool Make(MidiSystem system, const std::string& clientName)
    {
        object = MakeRtMidi<RtMidiIn>(system, clientName, errors);
        if (!object)
            return false;
        object->ignoreTypes(false, false, false);
        object->setCallback(&InputClient::OnMessage, this);
        return true;
    }

    // RtMidi's thread.
    static void OnMessage(double, std::vector<unsigned char>* message, void* user)
    {
        auto* self = static_cast<InputClient*>(user);
        if (!message || message->empty())
            return;
        std::lock_guard lock(self->delivery);
        if (!self->started || !self->sink)
            return;
        const auto elapsed = std::chrono::steady_clock::now() - self->startTime;
        const auto timeMs =
            static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
        try
        {
            DeliverMidiMessage(*self->sink, message->data(), message->size(), timeMs);
        }
        catch (...)
        {
            // Nothing may leave a MIDI system thread.
        }
    }
};

// An RtMidi output object, shared with the send worker of the connection that has its port
// open, so that it outlives a send that does not finish.
struct OutputClient
{
    ErrorCounter errors;
    std::unique_ptr<RtMidiOut> object;

    bool Make(MidiSystem system, const std::string& clientName)
    {
        object = MakeRtMidi<RtMidiOut>(system, clientName, errors);
        return object != nullptr;
    }
};

// The JACK clients of a server that has ended are never closed, nor the RtMidi objects around
// them destroyed: once the server has gone, libjack can no longer end their threads in step
// with the program (RtMidi's destructors free what those threads read), and closing one
// after libjack has let go of the server's shared memory crashes inside libjack. They are
// kept, a few kilobytes for each server that ended, until the process ends.
void KeepForever(std::shared_ptr<void> client)
{
    static std::mutex lock;
    static auto* const kept = new std::vector<std::shared_ptr<void>>();
    std::lock_guard guard(lock);
    kept->push_back(std::move(client));
}

// ---- The enumerator -------------------------------------------------------------------

// What a connection was opened on; lost once a listing has not shown it.
struct PortWatch
{
    PortWatch(MidiDirection d, std::string p) : direction(d), port(std::move(p)) {}

    const MidiDirection direction;
    const std::string port;
    bool lost = false; // under the enumerator's mutex
};

// One input and one output client, made with the back end, serve every listing and
// liveness query, and each also carries the first connection of its direction: a MIDI
// system sees two clients of the program, not one per listing or connection. A further
// connection of a direction while that one is open gets a client of its own.
class Enumerator
{
public:
    struct Port
    {
        std::string port;    // RtMidi's name: the identity of the device
        std::string product; // the name the port classes see
    };

    Enumerator(const Enumerator&) = delete;
    Enumerator& operator=(const Enumerator&) = delete;

    // The back end's own: kept whole when its server has ended (see KeepForever).
    static std::shared_ptr<Enumerator> Make(MidiSystem system, std::string clientName)
    {
        return std::shared_ptr<Enumerator>(new Enumerator(system, std::move(clientName)),
                                           [](Enumerator* enumerator)
                                           {
                                               if (enumerator->IsSystemLost())
                                                   KeepForever(std::shared_ptr<Enumerator>(enumerator));
                                               else
                                                   delete enumerator;
                                           });
    }

    // False when the system cannot be reached.
    bool Connect()
    {
        JackClientHandle server;
        if (m_system == MidiSystem::Jack && !(server = AskJackServer(m_clientName)))
            return false;
        if (server)
            m_serverWatch = std::make_unique<JackServerWatch>(std::move(server));
        m_input = std::make_shared<InputClient>();
        if (!m_input->Make(m_system, m_clientName))
            return false;
        // A JACK object without a server only warns, on every call; the count shows it.
        const int before = m_input->errors.Count();
        m_input->object->getPortCount();
        if (m_input->errors.Count() != before)
            return false;
        m_output = std::make_shared<OutputClient>();
        return m_output->Make(m_system, m_clientName);
    }

    MidiSystem System() const { return m_system; }
    const std::string& ClientName() const { return m_clientName; }
    // The JACK server that the clients were made on has ended.
    bool IsSystemLost() const { return m_serverWatch && m_serverWatch->HasServerGone(); }

    std::vector<Port> List(MidiDirection direction)
    {
        std::lock_guard lock(m_mutex);
        return ListLocked(direction);
    }

    std::shared_ptr<PortWatch> Watch(MidiDirection direction, const std::string& port)
    {
        auto watch = std::make_shared<PortWatch>(direction, port);
        std::lock_guard lock(m_mutex);
        m_watches.push_back(watch);
        return watch;
    }

    // As the latest listing of the watch's direction shows it, while the system lasts.
    bool IsAlive(const PortWatch& watch)
    {
        std::lock_guard lock(m_mutex);
        return !watch.lost && !IsSystemLost();
    }

    // Opens port on the shared client of its direction when that is free, else on a client
    // of its own: the client with its port open, or null (result says why).
    std::shared_ptr<InputClient> OpenInput(const std::string& port, QKRESULT& result)
    {
        return Open(m_input, m_inputInUse, port, kInputPortName, result);
    }

    std::shared_ptr<OutputClient> OpenOutput(const std::string& port, QKRESULT& result)
    {
        return Open(m_output, m_outputInUse, port, kOutputPortName, result);
    }

    // Closes the client's port; a shared client is free again, one of its own goes with its
    // last holder (but for one of a server that ended, see KeepForever).
    void CloseInput(const std::shared_ptr<InputClient>& client) { Close(client, m_input, m_inputInUse); }
    void CloseOutput(const std::shared_ptr<OutputClient>& client) { Close(client, m_output, m_outputInUse); }

private:
    template <class Client>
    std::shared_ptr<Client> Open(const std::shared_ptr<Client>& shared, bool& sharedInUse, const std::string& port,
                                 const char* ownName, QKRESULT& result)
    {
        std::lock_guard lock(m_mutex);
        std::shared_ptr<Client> client = sharedInUse ? nullptr : shared;
        if (!client)
        {
            client = std::make_shared<Client>();
            if (!client->Make(m_system, m_clientName))
            {
                result = kMidiError;
                return nullptr;
            }
        }
        result = OpenPort(*client->object, client->errors, port, ownName);
        if (result != kMidiOk)
            return nullptr;
        sharedInUse = sharedInUse || client == shared;
        return client;
    }

    template <class Client>
    void Close(const std::shared_ptr<Client>& client, const std::shared_ptr<Client>& shared, bool& sharedInUse)
    {
        std::lock_guard lock(m_mutex);
        if (IsSystemLost())
            KeepForever(client);
        else
            client->object->closePort();
        if (client == shared)
            sharedInUse = false;
    }

    static QKRESULT OpenPort(RtMidi& object, ErrorCounter& errors, const std::string& port, const char* ownName)
    {
        const long index = FindRtMidiPort(object, port);
        if (index < 0)
            return kMidiNotFound;
        const int before = errors.Count();
        object.openPort(static_cast<unsigned int>(index), ownName);
        if (errors.Count() == before && object.isPortOpen())
            return kMidiOk;
        object.closePort();
        return kMidiError;
    }

    std::vector<Port> ListLocked(MidiDirection direction)
    {
        RtMidi& object =
            direction == MidiDirection::Input ? static_cast<RtMidi&>(*m_input->object) : *m_output->object;
        std::vector<std::string> ports;
        const unsigned int count = object.getPortCount();
        for (unsigned int i = 0; i < count; ++i)
        {
            // A port that went away since the count comes back empty.
            std::string port = object.getPortName(i);
            if (!port.empty() && !IsOwnMidiPort(port, m_clientName))
                ports.push_back(std::move(port));
        }

        std::erase_if(m_watches, [](const std::weak_ptr<PortWatch>& w) { return w.expired(); });
        for (const std::weak_ptr<PortWatch>& weak : m_watches)
        {
            const std::shared_ptr<PortWatch> watch = weak.lock();
            if (watch && watch->direction == direction && std::find(ports.begin(), ports.end(), watch->port) == ports.end())
                watch->lost = true;
        }

        const std::vector<std::string> products = MakeMidiProductNames(m_system, direction, ports);
        std::vector<Port> listed;
        listed.reserve(ports.size());
        for (std::size_t i = 0; i < ports.size(); ++i)
            listed.push_back({std::move(ports[i]), products[i]});
        return listed;
    }

    Enumerator(MidiSystem system, std::string clientName) : m_system(system), m_clientName(std::move(clientName)) {}

    const MidiSystem m_system;
    const std::string m_clientName;
    std::mutex m_mutex;
    std::shared_ptr<InputClient> m_input;
    std::shared_ptr<OutputClient> m_output;
    bool m_inputInUse = false;  // under m_mutex
    bool m_outputInUse = false; // under m_mutex
    std::vector<std::weak_ptr<PortWatch>> m_watches;
    std::unique_ptr<JackServerWatch> m_serverWatch; // JACK only; last: closed first
};

// ---- The input connection -------------------------------------------------------------

class RtMidiInputConnection final : public IMidiInputConnection
{
public:
    RtMidiInputConnection(std::shared_ptr<Enumerator> enumerator, std::shared_ptr<InputClient> client,
                          std::shared_ptr<PortWatch> watch, IMidiInputSink& sink)
        : m_enumerator(std::move(enumerator)), m_client(std::move(client)), m_watch(std::move(watch))
    {
        std::lock_guard lock(m_client->delivery);
        m_client->sink = &sink;
        m_client->started = false;
    }

    ~RtMidiInputConnection() override
    {
        {
            // Waits for a delivery in progress; none reaches the sink afterwards.
            std::lock_guard lock(m_client->delivery);
            m_client->started = false;
            m_client->sink = nullptr;
        }
        // Ends RtMidi's input thread, or takes the port out of the JACK client.
        m_enumerator->CloseInput(m_client);
    }

    QKRESULT Start() override
    {
        std::lock_guard lock(m_client->delivery);
        if (!m_client->started)
        {
            m_client->startTime = std::chrono::steady_clock::now();
            m_client->started = true;
        }
        return kMidiOk;
    }

    QKRESULT Stop() override
    {
        // Waits for a delivery in progress: it holds the same lock.
        std::lock_guard lock(m_client->delivery);
        m_client->started = false;
        return kMidiOk;
    }

    bool IsAlive() override { return m_enumerator->IsAlive(*m_watch); }

private:
    const std::shared_ptr<Enumerator> m_enumerator;
    const std::shared_ptr<InputClient> m_client;
    const std::shared_ptr<PortWatch> m_watch;
};

// ---- The output connection ------------------------------------------------------------

class RtMidiOutputConnection final : public IMidiOutputConnection
{
public:
    RtMidiOutputConnection(std::shared_ptr<Enumerator> enumerator, std::shared_ptr<OutputClient> client,
                           std::shared_ptr<PortWatch> watch)
        : m_enumerator(std::move(enumerator)), m_client(std::move(client)), m_watch(std::move(watch))
    {
        // Only the worker's thread sends, so the count read around a send is its own.
        m_worker = std::make_unique<MidiSendWorker>(
            [client = m_client](const std::vector<std::uint8_t>& bytes)
            {
                const int errorsBefore = client->errors.Count();
                {
                    UnseenSyncScope unseen;
                    client->object->sendMessage(bytes.data(), bytes.size());
                }
                return client->errors.Count() == errorsBefore ? kMidiOk : kMidiError;
            });
    }

    ~RtMidiOutputConnection() override
    {
        // A send in progress ends first (or is left to end on its own thread).
        m_worker.reset();
        m_enumerator->CloseOutput(m_client);
    }

    QKRESULT SendShort(std::uint32_t message) override
    {
        const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(message), static_cast<std::uint8_t>(message >> 8),
                                       static_cast<std::uint8_t>(message >> 16)};
        if (bytes[0] < 0x80 || bytes[0] == 0xF0 || bytes[0] == 0xF7)
            return kMidiInvalidParameter;
        // RtMidi would take it, and it would go nowhere.
        if (m_enumerator->IsSystemLost())
            return kMidiError;
        return m_worker->Send(bytes, MidiShortMessageLength(bytes[0]), kMidiSendTimeoutMs);
    }

    QKRESULT SendLong(const std::uint8_t* bytes, std::size_t count) override
    {
        if (!bytes || count == 0)
            return kMidiInvalidParameter;
        if (m_enumerator->IsSystemLost())
            return kMidiError;
        return m_worker->Send(bytes, count, kMidiSendTimeoutMs);
    }

    bool IsAlive() override { return m_enumerator->IsAlive(*m_watch); }

private:
    const std::shared_ptr<Enumerator> m_enumerator;
    const std::shared_ptr<OutputClient> m_client;
    const std::shared_ptr<PortWatch> m_watch;
    std::unique_ptr<MidiSendWorker> m_worker;
};

// ---- The back end ---------------------------------------------------------------------

class RtMidiBackend final : public IMidiBackend
{
public:
    explicit RtMidiBackend(std::shared_ptr<Enumerator> enumerator) : m_enumerator(std::move(enumerator)) {}

    bool IsSystemLost() override { return m_enumerator->IsSystemLost(); }

    std::vector<std::string> ListDevices(MidiDirection direction) override
    {
        std::vector<std::string> names;
        for (Enumerator::Port& port : m_enumerator->List(direction))
            names.push_back(std::move(port.product));
        return names;
    }

    QKRESULT OpenInput(std::size_t index, IMidiInputSink& sink,
                       std::unique_ptr<IMidiInputConnection>& connection) override
    {
        connection.reset();
        const std::vector<Enumerator::Port> ports = m_enumerator->List(MidiDirection::Input);
        if (index >= ports.size())
            return kMidiNotFound;
        std::shared_ptr<PortWatch> watch = m_enumerator->Watch(MidiDirection::Input, ports[index].port);
        QKRESULT result = kMidiError;
        std::shared_ptr<InputClient> client = m_enumerator->OpenInput(ports[index].port, result);
        if (!client)
            return result;
        connection = std::make_unique<RtMidiInputConnection>(m_enumerator, std::move(client), std::move(watch), sink);
        return kMidiOk;
    }

    QKRESULT OpenOutput(std::size_t index, std::unique_ptr<IMidiOutputConnection>& connection) override
    {
        connection.reset();
        const std::vector<Enumerator::Port> ports = m_enumerator->List(MidiDirection::Output);
        if (index >= ports.size())
            return kMidiNotFound;
        std::shared_ptr<PortWatch> watch = m_enumerator->Watch(MidiDirection::Output, ports[index].port);
        QKRESULT result = kMidiError;
        std::shared_ptr<OutputClient> client = m_enumerator->OpenOutput(ports[index].port, result);
        if (!client)
            return result;
        connection = std::make_unique<RtMidiOutputConnection>(m_enumerator, std::move(client), std::move(watch));
        return kMidiOk;
    }

private:
    const std::shared_ptr<Enumerator> m_enumerator;
};

} // namespace

bool IsJackServerNameUsable()
{
    const char* name = std::getenv("JACK_DEFAULT_SERVER");
    return !name || std::strlen(name) <= kJackServerNameMaxLength;
}

std::shared_ptr<IMidiBackend> CreateRtMidiBackend(MidiSystem system, const std::string& clientName)
{
    std::shared_ptr<Enumerator> enumerator = Enumerator::Make(system, clientName);
    if (!enumerator->Connect())
        return nullptr;
    return std::make_shared<RtMidiBackend>(std::move(enumerator));
}

} // namespace QK
