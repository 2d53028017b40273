#include "tests/support/Midi/FakeMidiBackend.h"

#include <algorithm>
#include <mutex>
#include <utility>

namespace QK::TestSupport
{

namespace
{

struct Device
{
    FakeMidiBackend::DeviceId id = 0;
    MidiDirection direction = MidiDirection::Input;
    std::string name;
    bool present = true;
    QKRESULT openResult = kMidiOk;
    QKRESULT sendResult = kMidiOk;
    int opens = 0;
};

// One open input. Deliveries hold its own lock, not the back end's, so that a sink may call
// back into the back end.
struct InputState
{
    InputState(FakeMidiBackend::DeviceId d, IMidiInputSink& s) : device(d), sink(s) {}

    const FakeMidiBackend::DeviceId device;
    IMidiInputSink& sink;
    std::recursive_mutex delivery;
    bool started = false; // under delivery (read under the core's lock too, see IsStarted)
    bool closed = false;  // under delivery
};

} // namespace

struct FakeMidiBackend::Core
{
    mutable std::mutex mutex;
    std::vector<Device> devices; // in list order, removed ones kept with present false
    DeviceId nextId = 1;
    std::vector<std::shared_ptr<InputState>> inputs;
    std::vector<DeviceId> outputs; // one entry per open output connection
    std::vector<SentMessage> sent;
    Responder responder;
    ListHook listHook;
    int listCount = 0;
    bool systemLost = false;

    Device* Find(DeviceId id)
    {
        const auto it = std::find_if(devices.begin(), devices.end(), [&](const Device& d) { return d.id == id; });
        return it == devices.end() ? nullptr : &*it;
    }

    bool IsPresent(DeviceId id)
    {
        std::lock_guard lock(mutex);
        const Device* device = Find(id);
        return device && device->present && !systemLost;
    }

    // The device at index of the present ones of a direction.
    Device* AtIndex(MidiDirection direction, std::size_t index)
    {
        for (Device& device : devices)
        {
            if (device.present && device.direction == direction && index-- == 0)
                return &device;
        }
        return nullptr;
    }

    QKRESULT Send(DeviceId id, bool isLong, const std::uint8_t* bytes, std::size_t count)
    {
        SentMessage message;
        Responder responder;
        {
            std::lock_guard lock(mutex);
            const Device* device = Find(id);
            if (!device || !device->present || systemLost)
                return kMidiError;
            if (device->sendResult != kMidiOk)
                return device->sendResult;
            message = {id, device->name, isLong, std::vector<std::uint8_t>(bytes, bytes + count)};
            sent.push_back(message);
            responder = this->responder;
        }
        if (responder)
            responder(message);
        return kMidiOk;
    }

    template <typename Deliver>
    bool DeliverTo(DeviceId id, Deliver deliver)
    {
        std::vector<std::shared_ptr<InputState>> targets;
        {
            std::lock_guard lock(mutex);
            for (const std::shared_ptr<InputState>& input : inputs)
            {
                if (input->device == id)
                    targets.push_back(input);
            }
        }
        bool taken = false;
        for (const std::shared_ptr<InputState>& input : targets)
        {
            std::lock_guard lock(input->delivery);
            if (input->started && !input->closed)
            {
                deliver(input->sink);
                taken = true;
            }
        }
        return taken;
    }
};

namespace
{

class FakeInputConnection final : public IMidiInputConnection
{
public:
    FakeInputConnection(std::shared_ptr<FakeMidiBackend::Core> core, std::shared_ptr<InputState> state)
        : m_core(std::move(core)), m_state(std::move(state))
    {
    }

    ~FakeInputConnection() override
    {
        {
            std::lock_guard lock(m_state->delivery);
            m_state->started = false;
            m_state->closed = true;
        }
        std::lock_guard lock(m_core->mutex);
        std::erase(m_core->inputs, m_state);
    }

    QKRESULT Start() override
    {
        std::lock_guard lock(m_state->delivery);
        m_state->started = true;
        return kMidiOk;
    }

    QKRESULT Stop() override
    {
        std::lock_guard lock(m_state->delivery);
        m_state->started = false;
        return kMidiOk;
    }

    bool IsAlive() override { return m_core->IsPresent(m_state->device); }

private:
    const std::shared_ptr<FakeMidiBackend::Core> m_core;
    const std::shared_ptr<InputState> m_state;
};

class FakeOutputConnection final : public IMidiOutputConnection
{
public:
    FakeOutputConnection(std::shared_ptr<FakeMidiBackend::Core> core, FakeMidiBackend::DeviceId device)
        : m_core(std::move(core)), m_device(device)
    {
    }

    ~FakeOutputConnection() override
    {
        std::lock_guard lock(m_core->mutex);
        const auto it = std::find(m_core->outputs.begin(), m_core->outputs.end(), m_device);
        if (it != m_core->outputs.end())
            m_core->outputs.erase(it);
    }

    QKRESULT SendShort(std::uint32_t message) override
    {
        const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(message), static_cast<std::uint8_t>(message >> 8),
                                       static_cast<std::uint8_t>(message >> 16)};
        if (bytes[0] < 0x80 || bytes[0] == 0xF0 || bytes[0] == 0xF7)
            return kMidiInvalidParameter;
        return m_core->Send(m_device, false, bytes, MidiShortMessageLength(bytes[0]));
    }

    QKRESULT SendLong(const std::uint8_t* bytes, std::size_t count) override
    {
        if (!bytes || count == 0)
            return kMidiInvalidParameter;
        return m_core->Send(m_device, true, bytes, count);
    }

    bool IsAlive() override { return m_core->IsPresent(m_device); }

private:
    const std::shared_ptr<FakeMidiBackend::Core> m_core;
    const FakeMidiBackend::DeviceId m_device;
};

} // namespace

FakeMidiBackend::FakeMidiBackend() : m_core(std::make_shared<Core>()) {}

FakeMidiBackend::~FakeMidiBackend() = default;

FakeMidiBackend::DeviceId FakeMidiBackend::AddDevice(MidiDirection direction, const std::string& name)
{
    std::lock_guard lock(m_core->mutex);
    Device device;
    device.id = m_core->nextId++;
    device.direction = direction;
    device.name = name;
    m_core->devices.push_back(device);
    return device.id;
}

bool FakeMidiBackend::RemoveDevice(DeviceId id)
{
    std::lock_guard lock(m_core->mutex);
    Device* device = m_core->Find(id);
    if (!device || !device->present)
        return false;
    device->present = false;
    return true;
}

void FakeMidiBackend::SetOpenResult(DeviceId id, QKRESULT result)
{
    std::lock_guard lock(m_core->mutex);
    if (Device* device = m_core->Find(id))
        device->openResult = result;
}

void FakeMidiBackend::SetSendResult(DeviceId id, QKRESULT result)
{
    std::lock_guard lock(m_core->mutex);
    if (Device* device = m_core->Find(id))
        device->sendResult = result;
}

void FakeMidiBackend::LoseSystem()
{
    std::lock_guard lock(m_core->mutex);
    m_core->systemLost = true;
}

bool FakeMidiBackend::IsSystemLost()
{
    std::lock_guard lock(m_core->mutex);
    return m_core->systemLost;
}

bool FakeMidiBackend::DeliverShort(DeviceId device, std::uint32_t message, std::uint32_t timeMs)
{
    return m_core->DeliverTo(device, [&](IMidiInputSink& sink) { sink.OnMidiShortMessage(message, timeMs); });
}

bool FakeMidiBackend::DeliverSysExChunk(DeviceId device, const std::vector<std::uint8_t>& bytes, bool complete)
{
    return m_core->DeliverTo(device,
                             [&](IMidiInputSink& sink) { sink.OnMidiSysExChunk(bytes.data(), bytes.size(), complete); });
}

bool FakeMidiBackend::DeliverMessage(DeviceId device, const std::vector<std::uint8_t>& message, std::uint32_t timeMs)
{
    return m_core->DeliverTo(device,
                             [&](IMidiInputSink& sink) { DeliverMidiMessage(sink, message.data(), message.size(), timeMs); });
}

std::vector<FakeMidiBackend::SentMessage> FakeMidiBackend::GetSent() const
{
    std::lock_guard lock(m_core->mutex);
    return m_core->sent;
}

void FakeMidiBackend::ClearSent()
{
    std::lock_guard lock(m_core->mutex);
    m_core->sent.clear();
}

void FakeMidiBackend::SetResponder(Responder responder)
{
    std::lock_guard lock(m_core->mutex);
    m_core->responder = std::move(responder);
}

int FakeMidiBackend::GetListCount() const
{
    std::lock_guard lock(m_core->mutex);
    return m_core->listCount;
}

int FakeMidiBackend::GetOpenCount(DeviceId id) const
{
    std::lock_guard lock(m_core->mutex);
    const Device* device = m_core->Find(id);
    return device ? device->opens : 0;
}

int FakeMidiBackend::GetOpenConnectionCount(DeviceId id) const
{
    std::lock_guard lock(m_core->mutex);
    const auto inputs = std::count_if(m_core->inputs.begin(), m_core->inputs.end(),
                                      [&](const std::shared_ptr<InputState>& input) { return input->device == id; });
    const auto outputs = std::count(m_core->outputs.begin(), m_core->outputs.end(), id);
    return static_cast<int>(inputs + outputs);
}

bool FakeMidiBackend::IsStarted(DeviceId id) const
{
    std::vector<std::shared_ptr<InputState>> inputs;
    {
        std::lock_guard lock(m_core->mutex);
        inputs = m_core->inputs;
    }
    return std::any_of(inputs.begin(), inputs.end(),
                       [&](const std::shared_ptr<InputState>& input)
                       {
                           std::lock_guard lock(input->delivery);
                           return input->device == id && input->started;
                       });
}

void FakeMidiBackend::SetListHook(ListHook hook)
{
    std::lock_guard lock(m_core->mutex);
    m_core->listHook = std::move(hook);
}

std::vector<std::string> FakeMidiBackend::ListDevices(MidiDirection direction)
{
    ListHook hook;
    {
        std::lock_guard lock(m_core->mutex);
        hook = m_core->listHook;
    }
    if (hook)
        hook(direction);
    std::lock_guard lock(m_core->mutex);
    ++m_core->listCount;
    std::vector<std::string> names;
    for (const Device& device : m_core->devices)
    {
        if (device.present && device.direction == direction)
            names.push_back(device.name);
    }
    return names;
}

QKRESULT FakeMidiBackend::OpenInput(std::size_t index, IMidiInputSink& sink,
                                    std::unique_ptr<IMidiInputConnection>& connection)
{
    connection.reset();
    std::lock_guard lock(m_core->mutex);
    Device* device = m_core->AtIndex(MidiDirection::Input, index);
    if (!device)
        return kMidiNotFound;
    if (device->openResult != kMidiOk)
        return device->openResult;
    ++device->opens;
    auto state = std::make_shared<InputState>(device->id, sink);
    m_core->inputs.push_back(state);
    connection = std::make_unique<FakeInputConnection>(m_core, std::move(state));
    return kMidiOk;
}

QKRESULT FakeMidiBackend::OpenOutput(std::size_t index, std::unique_ptr<IMidiOutputConnection>& connection)
{
    connection.reset();
    std::lock_guard lock(m_core->mutex);
    Device* device = m_core->AtIndex(MidiDirection::Output, index);
    if (!device)
        return kMidiNotFound;
    if (device->openResult != kMidiOk)
        return device->openResult;
    ++device->opens;
    m_core->outputs.push_back(device->id);
    connection = std::make_unique<FakeOutputConnection>(m_core, device->id);
    return kMidiOk;
}

} // namespace QK::TestSupport
