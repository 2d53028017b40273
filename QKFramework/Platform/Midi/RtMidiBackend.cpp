// Sections: RtMidi errors; the enumerator; the input connection; the output connection;
// the back end.
#include "QKFramework/Platform/Midi/RtMidiBackend.h"

#include "QKFramework/Platform/Midi/MidiSendWorker.h"
#include "QKFramework/Platform/Midi/UnseenSyncScope.h"

#include <RtMidi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
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

// Makes an RtMidi object on system with its errors counted; null when RtMidi fails to.
template <typename RtMidiObject>
std::unique_ptr<RtMidiObject> MakeRtMidi(MidiSystem system, const std::string& clientName, ErrorCounter& errors)
{
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

// ---- The enumerator -------------------------------------------------------------------

// What a connection was opened on; lost once a listing has not shown it.
struct PortWatch
{
    PortWatch(MidiDirection d, std::string p) : direction(d), port(std::move(p)) {}

    const MidiDirection direction;
    const std::string port;
    bool lost = false; // under the enumerator's mutex
};

class Enumerator
{
public:
    struct Port
    {
        std::string port;    // RtMidi's name: the identity of the device
        std::string product; // the name the port classes see
    };

    Enumerator(MidiSystem system, std::string clientName) : m_system(system), m_clientName(std::move(clientName)) {}

    // False when the system cannot be reached.
    bool Connect()
    {
        m_input = MakeRtMidi<RtMidiIn>(m_system, m_clientName, m_errors);
        if (!m_input)
            return false;
        // A JACK object without a server only warns, on every call; the count shows it.
        const int before = m_errors.Count();
        m_input->getPortCount();
        if (m_errors.Count() != before)
            return false;
        m_output = MakeRtMidi<RtMidiOut>(m_system, m_clientName, m_errors);
        return m_output != nullptr;
    }

    MidiSystem System() const { return m_system; }
    const std::string& ClientName() const { return m_clientName; }

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

    bool IsAlive(PortWatch& watch)
    {
        std::lock_guard lock(m_mutex);
        ListLocked(watch.direction);
        return !watch.lost;
    }

private:
    std::vector<Port> ListLocked(MidiDirection direction)
    {
        RtMidi& object = direction == MidiDirection::Input ? static_cast<RtMidi&>(*m_input) : *m_output;
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

    const MidiSystem m_system;
    const std::string m_clientName;
    std::mutex m_mutex;
    ErrorCounter m_errors;
    std::unique_ptr<RtMidiIn> m_input;
    std::unique_ptr<RtMidiOut> m_output;
    std::vector<std::weak_ptr<PortWatch>> m_watches;
};

// ---- The input connection -------------------------------------------------------------

class RtMidiInputConnection final : public IMidiInputConnection
{
public:
    RtMidiInputConnection(std::shared_ptr<Enumerator> enumerator, IMidiInputSink& sink)
        : m_enumerator(std::move(enumerator)), m_sink(sink)
    {
    }

    ~RtMidiInputConnection() override
    {
        Stop();
        // Closing ends RtMidi's thread, or takes the JACK client out of the process cycle.
        m_input.reset();
    }

    QKRESULT Open(const std::string& port)
    {
        m_watch = m_enumerator->Watch(MidiDirection::Input, port);
        m_input = MakeRtMidi<RtMidiIn>(m_enumerator->System(), m_enumerator->ClientName(), m_errors);
        if (!m_input)
            return kMidiError;
        m_input->ignoreTypes(false, false, false);
        m_input->setCallback(&RtMidiInputConnection::OnMessage, this);
        const long index = FindRtMidiPort(*m_input, port);
        if (index < 0)
            return kMidiNotFound;
        const int before = m_errors.Count();
        m_input->openPort(static_cast<unsigned int>(index), kInputPortName);
        return m_errors.Count() == before && m_input->isPortOpen() ? kMidiOk : kMidiError;
    }

    QKRESULT Start() override
    {
        std::lock_guard lock(m_deliveryMutex);
        if (!m_started)
        {
            m_startTime = std::chrono::steady_clock::now();
            m_started = true;
        }
        return kMidiOk;
    }

    QKRESULT Stop() override
    {
        // Waits for a delivery in progress: it holds the same lock.
        std::lock_guard lock(m_deliveryMutex);
        m_started = false;
        return kMidiOk;
    }

    bool IsAlive() override { return m_enumerator->IsAlive(*m_watch); }

private:
    // RtMidi's thread.
    static void OnMessage(double, std::vector<unsigned char>* message, void* user)
    {
        auto* self = static_cast<RtMidiInputConnection*>(user);
        if (!message || message->empty())
            return;
        std::lock_guard lock(self->m_deliveryMutex);
        if (!self->m_started)
            return;
        const auto elapsed = std::chrono::steady_clock::now() - self->m_startTime;
        const auto timeMs = static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
        try
        {
            DeliverMidiMessage(self->m_sink, message->data(), message->size(), timeMs);
        }
        catch (...)
        {
            // Nothing may leave a MIDI system thread.
        }
    }

    const std::shared_ptr<Enumerator> m_enumerator;
    IMidiInputSink& m_sink;
    std::shared_ptr<PortWatch> m_watch;
    std::recursive_mutex m_deliveryMutex;
    bool m_started = false;
    std::chrono::steady_clock::time_point m_startTime;
    ErrorCounter m_errors;
    std::unique_ptr<RtMidiIn> m_input; // last: it goes first
};

// ---- The output connection ------------------------------------------------------------

// The RtMidi object of an open output, shared with its send worker so that it outlives
// a send that does not finish.
struct OutputPort
{
    ErrorCounter errors;
    std::unique_ptr<RtMidiOut> output;
};

class RtMidiOutputConnection final : public IMidiOutputConnection
{
public:
    explicit RtMidiOutputConnection(std::shared_ptr<Enumerator> enumerator) : m_enumerator(std::move(enumerator)) {}

    ~RtMidiOutputConnection() override { m_worker.reset(); }

    QKRESULT Open(const std::string& port)
    {
        m_watch = m_enumerator->Watch(MidiDirection::Output, port);
        auto output = std::make_shared<OutputPort>();
        output->output = MakeRtMidi<RtMidiOut>(m_enumerator->System(), m_enumerator->ClientName(), output->errors);
        if (!output->output)
            return kMidiError;
        const long index = FindRtMidiPort(*output->output, port);
        if (index < 0)
            return kMidiNotFound;
        const int before = output->errors.Count();
        output->output->openPort(static_cast<unsigned int>(index), kOutputPortName);
        if (output->errors.Count() != before || !output->output->isPortOpen())
            return kMidiError;
        // Only the worker's thread sends, so the count read around a send is its own.
        m_worker = std::make_unique<MidiSendWorker>(
            [output](const std::vector<std::uint8_t>& bytes)
            {
                const int errorsBefore = output->errors.Count();
                {
                    UnseenSyncScope unseen;
                    output->output->sendMessage(bytes.data(), bytes.size());
                }
                return output->errors.Count() == errorsBefore ? kMidiOk : kMidiError;
            });
        return kMidiOk;
    }

    QKRESULT SendShort(std::uint32_t message) override
    {
        const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(message), static_cast<std::uint8_t>(message >> 8),
                                       static_cast<std::uint8_t>(message >> 16)};
        if (bytes[0] < 0x80 || bytes[0] == 0xF0 || bytes[0] == 0xF7)
            return kMidiInvalidParameter;
        return m_worker->Send(bytes, MidiShortMessageLength(bytes[0]), kMidiSendTimeoutMs);
    }

    QKRESULT SendLong(const std::uint8_t* bytes, std::size_t count) override
    {
        if (!bytes || count == 0)
            return kMidiInvalidParameter;
        return m_worker->Send(bytes, count, kMidiSendTimeoutMs);
    }

    bool IsAlive() override { return m_enumerator->IsAlive(*m_watch); }

private:
    const std::shared_ptr<Enumerator> m_enumerator;
    std::shared_ptr<PortWatch> m_watch;
    std::unique_ptr<MidiSendWorker> m_worker;
};

// ---- The back end ---------------------------------------------------------------------

class RtMidiBackend final : public IMidiBackend
{
public:
    explicit RtMidiBackend(std::shared_ptr<Enumerator> enumerator) : m_enumerator(std::move(enumerator)) {}

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
        auto opened = std::make_unique<RtMidiInputConnection>(m_enumerator, sink);
        const QKRESULT result = opened->Open(ports[index].port);
        if (result == kMidiOk)
            connection = std::move(opened);
        return result;
    }

    QKRESULT OpenOutput(std::size_t index, std::unique_ptr<IMidiOutputConnection>& connection) override
    {
        connection.reset();
        const std::vector<Enumerator::Port> ports = m_enumerator->List(MidiDirection::Output);
        if (index >= ports.size())
            return kMidiNotFound;
        auto opened = std::make_unique<RtMidiOutputConnection>(m_enumerator);
        const QKRESULT result = opened->Open(ports[index].port);
        if (result == kMidiOk)
            connection = std::move(opened);
        return result;
    }

private:
    const std::shared_ptr<Enumerator> m_enumerator;
};

} // namespace

std::shared_ptr<IMidiBackend> CreateRtMidiBackend(MidiSystem system, const std::string& clientName)
{
    auto enumerator = std::make_shared<Enumerator>(system, clientName);
    if (!enumerator->Connect())
        return nullptr;
    return std::make_shared<RtMidiBackend>(std::move(enumerator));
}

} // namespace QK
