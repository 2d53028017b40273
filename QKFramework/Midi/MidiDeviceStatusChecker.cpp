#include "QKFramework/Midi/MidiDeviceStatusChecker.h"

#include "QKFramework/Midi/MidiCapturePort.h"
#include "QKFramework/Midi/MidiRenderPort.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

namespace QK
{

RCPtr<LMidiDeviceStatusChecker> LMidiDeviceStatusChecker::Create(const ConstRCPtr<LMidiCommInterface>& comm)
{
    return RCPtr<LMidiDeviceStatusChecker>(new LMidiDeviceStatusChecker(comm));
}

LMidiDeviceStatusChecker::LMidiDeviceStatusChecker(const ConstRCPtr<LMidiCommInterface>& comm)
    : m_comm(RCPtr<LMidiCommInterface>::DynamicCast(comm))
{
}

bool LMidiDeviceStatusChecker::IsInputPresent(const WString& name)
{
    if (!m_comm)
        return false;
    // The port goes again at once: a port nobody else holds closes with it.
    RCPtr<LMidiCapturePort> port;
    return m_comm->OpenCapturePort(name, port) == QK_OK && port;
}

bool LMidiDeviceStatusChecker::IsOutputPresent(const WString& name)
{
    if (!m_comm)
        return false;
    RCPtr<LMidiRenderPort> port;
    return m_comm->OpenRenderPort(name, port) == QK_OK && port;
}

void LMidiDeviceStatusChecker::SetInputDevices(const StringArray& names)
{
    MutexLock lock(m_lock);
    for (std::uint32_t i = 0; i < names.GetCount(); ++i)
    {
        const WString& name = *names.GetAt(i);
        m_inputDevices.Add(DeviceInfo{name, IsInputPresent(name)});
    }
}

void LMidiDeviceStatusChecker::SetOutputDevices(const StringArray& names)
{
    MutexLock lock(m_lock);
    for (std::uint32_t i = 0; i < names.GetCount(); ++i)
    {
        const WString& name = *names.GetAt(i);
        m_outputDevices.Add(DeviceInfo{name, IsOutputPresent(name)});
    }
}

bool LMidiDeviceStatusChecker::CheckInputDevices()
{
    MutexLock lock(m_lock);
    return Check(m_inputDevices, true);
}

bool LMidiDeviceStatusChecker::CheckOutputDevices()
{
    MutexLock lock(m_lock);
    return Check(m_outputDevices, false);
}

bool LMidiDeviceStatusChecker::Check(Array<DeviceInfo>& devices, bool input)
{
    bool allConnected = true;
    for (std::uint32_t i = 0; i < devices.GetCount(); ++i)
    {
        DeviceInfo& device = *devices.GetAt(i);
        const bool present = input ? IsInputPresent(device.name) : IsOutputPresent(device.name);
        if (present != device.connected)
        {
            const ConstRCPtr<LRefCountedObject> argument(new LMidiDeviceConnectionStatusChangedNotification(
                device.name, present ? LMidiDeviceConnectionStatusChangedNotification::kConnected
                                     : LMidiDeviceConnectionStatusChangedNotification::kDisconnected));
            const ConstRCPtr<LNotification> notification =
                LNotification::Create(input ? kNidMidiInputDeviceConnectionStatusChanged
                                            : kNidMidiOutputDeviceConnectionStatusChanged,
                                      argument);
            if (const RCPtr<LNotificationCenter> centre = GetDefaultNotificationCenter())
                centre->PostNotification(notification);
            device.connected = present;
        }
        if (!device.connected)
            allConnected = false;
    }
    return allConnected;
}

} // namespace QK
