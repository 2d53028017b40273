#include "QKFramework/Midi/MidiCapturePort.h"

#include "QKFramework/Midi/MidiComm.h"
#include "QKFramework/Midi/MidiDeviceNames.h"

namespace QK
{

LMidiCapturePort::LMidiCapturePort(const WString& name, LMidiComm* owner) : m_portName(name), m_owner(owner)
{
}

LMidiCapturePort::~LMidiCapturePort()
{
    Close();
}

QKRESULT LMidiCapturePort::ReleaseInternalReferences()
{
    return m_owner->RemoveCapturePort(this);
}

QKRESULT LMidiCapturePort::SearchAndOpen(const std::vector<std::string>& productNames)
{
    Close();
    const std::int32_t index = FindMidiDevice(productNames, m_portName);
    if (index < 0)
        return kMidiNotFound;
    std::unique_ptr<IMidiInputConnection> connection;
    const QKRESULT result =
        m_owner->GetBackend().OpenInput(static_cast<std::size_t>(index), *this, connection);
    if (result != kMidiOk || !connection)
        return result != kMidiOk ? result : kMidiError;
    m_connection = std::move(connection);
    m_deviceName = WString(productNames[static_cast<std::size_t>(index)].c_str());
    return kMidiOk;
}

QKRESULT LMidiCapturePort::Start()
{
    return m_connection ? m_connection->Start() : kMidiError;
}

void LMidiCapturePort::Close()
{
    if (!m_connection)
        return;
    // After Stop no delivery runs, so the half-joined message is ours alone.
    m_connection->Stop();
    m_connection.reset();
    m_accumulator = nullptr;
    m_discarding = false;
}

bool LMidiCapturePort::IsAlive() const
{
    // The connection changes under the transport's lock only.
    MutexLock lock(m_owner->m_lock);
    return m_connection && m_connection->IsAlive();
}

void LMidiCapturePort::OnMidiShortMessage(std::uint32_t message, std::uint32_t timeMs)
{
    try
    {
        const std::uint8_t status = static_cast<std::uint8_t>(message & 0xFF);
        std::size_t length = MidiShortMessageLength(status);
        if (length == 0)
            length = 1;
        if (!m_owner->WouldQueue(false, static_cast<std::uint32_t>(length)))
            return;
        std::uint8_t bytes[4];
        for (std::size_t i = 0; i < length; ++i)
            bytes[i] = static_cast<std::uint8_t>(message >> (8 * i));
        const RCPtr<LMidiCaptureNotificationData> capture =
            LMidiCaptureNotificationData::Create(m_portName, static_cast<std::uint32_t>(length), this);
        capture->SetTimeStamp(timeMs);
        if (capture->Append(bytes, static_cast<std::uint32_t>(length)))
            m_owner->QueueCapture(capture);
    }
    catch (...)
    {
        // Out of memory: the message is lost, the MIDI system's thread goes on.
    }
}

void LMidiCapturePort::OnMidiSysExChunk(const std::uint8_t* bytes, std::size_t count, bool complete)
{
    if (!bytes || count == 0)
        return;
    try
    {
        const std::uint32_t size = static_cast<std::uint32_t>(count);
        if (m_discarding)
        {
            // The rest of a message too long to keep.
            m_discarding = !complete;
            return;
        }
        if (!complete)
        {
            if (!m_accumulator)
                m_accumulator = LMidiCaptureNotificationData::Create(m_portName, size, this);
            if (m_accumulator->GetCount() + count > kMaxSysExSize || !m_accumulator->Append(bytes, size))
            {
                m_accumulator = nullptr;
                m_discarding = true;
            }
            return;
        }
        if (m_accumulator)
        {
            const RCPtr<LMidiCaptureNotificationData> capture = std::move(m_accumulator);
            m_accumulator = nullptr;
            if (capture->GetCount() + count <= kMaxSysExSize && capture->Append(bytes, size))
                m_owner->QueueCapture(capture);
            return;
        }
        // The rest of a message whose beginning was lost is no message.
        if (bytes[0] != 0xF0 || !m_owner->WouldQueue(true, size))
            return;
        const RCPtr<LMidiCaptureNotificationData> capture =
            LMidiCaptureNotificationData::Create(m_portName, size, this);
        if (capture->Append(bytes, size))
            m_owner->QueueCapture(capture);
    }
    catch (...)
    {
        m_accumulator = nullptr;
        m_discarding = !complete;
    }
}

} // namespace QK
