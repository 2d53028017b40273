#include "QKFramework/Midi/MidiRenderPort.h"

#include "QKFramework/Midi/MidiComm.h"
#include "QKFramework/Midi/MidiDeviceNames.h"

namespace QK
{

LMidiRenderPort::LMidiRenderPort(const WString& name, LMidiComm* owner) : m_portName(name), m_owner(owner)
{
    m_idle.SetGreen();
}

LMidiRenderPort::~LMidiRenderPort()
{
    Close();
}

QKRESULT LMidiRenderPort::ReleaseInternalReferences()
{
    return m_owner->RemoveRenderPort(this);
}

std::shared_ptr<IMidiOutputConnection> LMidiRenderPort::GetConnection() const
{
    MutexLock lock(m_connectionLock);
    return m_connection;
}

QKRESULT LMidiRenderPort::SearchAndOpen(const std::vector<std::string>& productNames)
{
    Close();
    const std::int32_t index = FindMidiDevice(productNames, m_portName);
    if (index < 0)
        return kMidiNotFound;
    std::unique_ptr<IMidiOutputConnection> connection;
    const QKRESULT result = m_owner->GetBackend().OpenOutput(static_cast<std::size_t>(index), connection);
    if (result != kMidiOk || !connection)
        return result != kMidiOk ? result : kMidiError;
    m_deviceName = WString(productNames[static_cast<std::size_t>(index)].c_str());
    MutexLock lock(m_connectionLock);
    m_connection = std::move(connection);
    return kMidiOk;
}

void LMidiRenderPort::Close()
{
    std::shared_ptr<IMidiOutputConnection> closing;
    {
        MutexLock lock(m_connectionLock);
        closing.swap(m_connection);
    }
    // A send in progress keeps its own reference; the device closes when it ends.
}

bool LMidiRenderPort::IsAlive() const
{
    const std::shared_ptr<IMidiOutputConnection> connection = GetConnection();
    return connection && connection->IsAlive();
}

QKRESULT LMidiRenderPort::Send(const std::uint8_t* bytes, std::uint32_t count)
{
    // Whatever this wait answers, the send goes on: the light only keeps long messages
    // apart while they can be.
    m_idle.Wait(kMidiSendTimeoutMs);

    const std::shared_ptr<IMidiOutputConnection> connection = GetConnection();
    const std::uint8_t first = bytes[0];
    if (first >= 0x80 && first != 0xF0 && first != 0xF7)
    {
        const std::size_t length = MidiShortMessageLength(first);
        if (count < length)
            return QK_E_INVALIDARG;
        if (!connection)
            return QK_E_FAIL;
        std::uint32_t message = 0;
        for (std::uint32_t i = 0; i < count && i < 4; ++i)
            message |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
        if (connection->SendShort(message) != kMidiOk)
            return QK_E_FAIL;
        return static_cast<QKRESULT>(length);
    }

    if (!connection)
        return QK_E_FAIL;
    struct InFlight
    {
        TrafficLight& light;
        explicit InFlight(TrafficLight& l) : light(l) { light.SetRed(); }
        ~InFlight() { light.SetGreen(); }
    } inFlight(m_idle);
    return connection->SendLong(bytes, count) == kMidiOk ? static_cast<QKRESULT>(count) : QK_E_FAIL;
}

} // namespace QK
