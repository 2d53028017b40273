// LMidiCapturePort: one open MIDI input device, made by LMidiComm::OpenCapturePort.
//
// While started it turns what the device sends into captures and queues each one to its
// transport's capture worker: a short message at once, with the device's time stamp; a
// SysEx message once its last piece has come, joined from its pieces. A SysEx message longer
// than kMaxSysExSize is dropped whole, so that one that never ends holds no more than that.
// The transport may refuse a capture (see LMidiComm); a short message it would refuse is
// not made into one. The joining runs on the MIDI system's thread, the only thread that
// touches the message being joined.
//
// Its device is closed when the port is destroyed, which happens when its last outside
// reference goes (see LMidiComm).
#pragma once

#include "QKFramework/Midi/MidiBackend.h"
#include "QKFramework/Midi/MidiCaptureNotificationData.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace QK
{

class LMidiComm;

class LMidiCapturePort : public LRefCountedObject, private IMidiInputSink
{
public:
    // The longest SysEx message kept; the controller's are a few hundred bytes.
    static constexpr std::uint32_t kMaxSysExSize = 64 * 1024;

    // The name asked for, possibly with a " (k)" rank.
    const WString& GetPortName() const noexcept { return m_portName; }
    // The product name of the device found; empty until the port has been opened. Read it
    // on the thread that opened the port.
    const WString& GetDeviceName() const noexcept { return m_deviceName; }

    // Open, and neither its device nor its MIDI system has gone since (as the latest listing
    // of inputs shows, and the back end knows). Any thread.
    bool IsAlive() const;

    // Takes the port out of its transport's list when only that list holds it besides the
    // caller.
    QKRESULT ReleaseInternalReferences() override;

    ~LMidiCapturePort() override;

private:
    friend class LMidiComm;

    LMidiCapturePort(const WString& name, LMidiComm* owner);

    // Under the transport's lock. Closes the port, then opens the device that the port
    // name asks for among productNames (the back end's listing): 0, kMidiNotFound (6) when
    // no device matches, or the back end's error; the port stays closed on failure.
    QKRESULT SearchAndOpen(const std::vector<std::string>& productNames);
    QKRESULT Start();
    // Stops delivery, drops a message half joined and closes the device.
    void Close();
    bool IsOpen() const noexcept { return m_connection != nullptr; }

    // IMidiInputSink, on the MIDI system's thread.
    void OnMidiShortMessage(std::uint32_t message, std::uint32_t timeMs) override;
    void OnMidiSysExChunk(const std::uint8_t* bytes, std::size_t count, bool complete) override;

    const WString m_portName;
    WString m_deviceName;
    const RCPtr<LMidiComm> m_owner;
    std::unique_ptr<IMidiInputConnection> m_connection;
    // The SysEx message being joined; null between messages.
    RCPtr<LMidiCaptureNotificationData> m_accumulator;
    // Set while the pieces of a message too long to keep go by.
    bool m_discarding = false;
};

} // namespace QK
