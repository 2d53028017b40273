// LMidiDeviceStatusChecker: watches whether named MIDI input and output devices are
// present, and announces every change.
//
// A device is present when a port of its name opens through the transport. Each pass over
// a watch list tests every device on it and, for each one whose presence changed, posts
// "NID_MIDI_INPUT_DEVICE_CONNECTION_STATUS_CHANGED" or
// "NID_MIDI_OUTPUT_DEVICE_CONNECTION_STATUS_CHANGED" to the default notification centre,
// with an LMidiDeviceConnectionStatusChangedNotification (status 0: it appeared, 1: it
// went). Devices present when the list is set announce nothing until they go.
//
// Passes may be asked for on any thread; they run one at a time.
#pragma once

#include "QKFramework/Midi/MidiCommInterface.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Utilities/Storage/Array.h"
#include "QKFramework/Utilities/Storage/StringArray.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>

namespace QK
{

inline constexpr const char16_t* kNidMidiInputDeviceConnectionStatusChanged =
    u"NID_MIDI_INPUT_DEVICE_CONNECTION_STATUS_CHANGED";
inline constexpr const char16_t* kNidMidiOutputDeviceConnectionStatusChanged =
    u"NID_MIDI_OUTPUT_DEVICE_CONNECTION_STATUS_CHANGED";

// The argument of both notifications.
class LMidiDeviceConnectionStatusChangedNotification : public LRefCountedObject
{
public:
    enum Status : std::int32_t
    {
        kConnected = 0,
        kDisconnected = 1,
    };

    LMidiDeviceConnectionStatusChangedNotification(const WString& deviceName, std::int32_t status)
        : m_deviceName(deviceName), m_status(status)
    {
    }

    const WString& GetDeviceName() const noexcept { return m_deviceName; }
    std::int32_t GetStatus() const noexcept { return m_status; }

private:
    const WString m_deviceName;
    const std::int32_t m_status;
};

class LMidiDeviceStatusChecker : public LRefCountedObject
{
public:
    struct DeviceInfo
    {
        WString name;
        bool connected = false;
    };

    static RCPtr<LMidiDeviceStatusChecker> Create(const ConstRCPtr<LMidiCommInterface>& comm);

    // Append each name to the watch list, marked as a presence test finds it now.
    void SetInputDevices(const StringArray& names);
    void SetOutputDevices(const StringArray& names);

    // One pass over the watch list; true when every device on it is present afterwards
    // (also for an empty list).
    bool CheckInputDevices();
    bool CheckOutputDevices();

private:
    explicit LMidiDeviceStatusChecker(const ConstRCPtr<LMidiCommInterface>& comm);

    bool IsInputPresent(const WString& name);
    bool IsOutputPresent(const WString& name);
    bool Check(Array<DeviceInfo>& devices, bool input);

    const RCPtr<LMidiCommInterface> m_comm;
    // Keeps passes from different threads apart.
    Mutex m_lock;
    Array<DeviceInfo> m_inputDevices;
    Array<DeviceInfo> m_outputDevices;
};

} // namespace QK
