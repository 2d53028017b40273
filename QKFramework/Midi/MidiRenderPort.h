// LMidiRenderPort: one open MIDI output device, made by LMidiComm::OpenRenderPort. Messages
// go out through LMidiCommInterface::SendBuffer and SendByteArray.
//
// Long messages through one port go one at a time: a traffic light stays red while one is
// being sent, and the next send waits for it (up to 10 s). Sends may come from any thread,
// also while the port's device is being opened again.
//
// Its device is closed when the port is destroyed, which happens when its last outside
// reference goes (see LMidiComm).
#pragma once

#include "QKFramework/Midi/MidiBackend.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Threads/TrafficLight.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace QK
{

class LMidiComm;

class LMidiRenderPort : public LRefCountedObject
{
public:
    const WString& GetPortName() const noexcept { return m_portName; }
    // Read it on the thread that opened the port.
    const WString& GetDeviceName() const noexcept { return m_deviceName; }
    // As LMidiCapturePort::IsAlive. Any thread.
    bool IsAlive() const;

    QKRESULT ReleaseInternalReferences() override;

    ~LMidiRenderPort() override;

private:
    friend class LMidiComm;

    LMidiRenderPort(const WString& name, LMidiComm* owner);

    // As LMidiCapturePort::SearchAndOpen.
    QKRESULT SearchAndOpen(const std::vector<std::string>& productNames);
    void Close();
    // The sending routine behind both send operations; count is at least 1.
    QKRESULT Send(const std::uint8_t* bytes, std::uint32_t count);

    std::shared_ptr<IMidiOutputConnection> GetConnection() const;

    const WString m_portName;
    WString m_deviceName;
    const RCPtr<LMidiComm> m_owner;
    // Green while no long message is being sent.
    TrafficLight m_idle;
    // A send keeps the connection it began with alive, even while the port is reopened.
    mutable Mutex m_connectionLock;
    std::shared_ptr<IMidiOutputConnection> m_connection;
};

} // namespace QK
