// LMidiCommInterface: the MIDI transport as its users see it. It finds MIDI devices by name
// and hands out ports for them (capture for input, render for output), sends messages
// through render ports, and is the distributor of "NID_MIDI_DATA_CAPTURED", whose argument
// is an LMidiCaptureNotificationData.
//
// Captures are delivered on the transport's capture worker (one thread, so one capture at a
// time and in the order received), straight to the subscribers, the last subscribed first,
// and not through the UI thread's queue. A subscriber may register a filter that refuses
// captures before a notification is made for them. When a notification centre is set, each
// capture is also posted to it.
//
// Every operation may be called on any thread.
#pragma once

#include "QKFramework/Midi/MidiCaptureNotificationData.h"
#include "QKFramework/Midi/MidiFilter.h"
#include "QKFramework/Notification/NotificationCenter.h"
#include "QKFramework/Notification/NotificationDistributor.h"
#include "QKFramework/Notification/NotificationReceiver.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Utilities/Storage/Array.h"
#include "QKFramework/Utilities/Storage/RCBuffer.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>

namespace QK
{

class LMidiCapturePort;
class LMidiRenderPort;

// The notification a transport sends for every message received.
inline constexpr const char16_t* kNidMidiDataCaptured = u"NID_MIDI_DATA_CAPTURED";

class LMidiCommInterface : public LNotificationDistributor
{
public:
    // One subscriber's filter. The receiver is only compared, never called or kept alive: a
    // receiver clears its filter (SetFilter with null) before it goes.
    struct MidiFilterEntry
    {
        const LNotificationReceiver* receiver = nullptr;
        ConstRCPtr<LIMidiFilter> filter;
    };

    // A transport over the MIDI back end in use (GetMidiBackend).
    static RCPtr<LMidiCommInterface> Create();

    // The port for the input device that name asks for (see MidiDeviceNames.h): 0 with the
    // port; 0x80070057 when several listed devices contain name, ignoring case; else
    // 0x80004005. A port held already for that name is handed out again while its device is
    // there; when its device has come back, it is opened and started again.
    virtual QKRESULT OpenCapturePort(const WString& name, RCPtr<LMidiCapturePort>& port) = 0;
    // The same for an output device.
    virtual QKRESULT OpenRenderPort(const WString& name, RCPtr<LMidiRenderPort>& port) = 0;

    // Send the bytes through port and answer the number of bytes sent: for a message that
    // begins with a status byte other than F0 or F7, the length its status gives (a short
    // message); otherwise the whole count (a long message). 0x80070057 for no port, no bytes
    // or a short message with fewer bytes than its status needs; 0x80004005 when the MIDI
    // system fails or does not take the message within 10 s.
    virtual QKRESULT SendBuffer(LMidiRenderPort* port, const ConstRCPtr<LIBuffer>& buffer) = 0;
    virtual QKRESULT SendByteArray(LMidiRenderPort* port, const Array<signed char>& bytes) = 0;

    // A copy of receiver's filter, or null.
    virtual ConstRCPtr<LIMidiFilter> GetFilter(const LNotificationReceiver* receiver) const;
    // Gives receiver a copy of filter, or removes its filter when filter is null. 0.
    virtual QKRESULT SetFilter(const LNotificationReceiver* receiver, const ConstRCPtr<LIMidiFilter>& filter);
    // Hands capture to every subscriber of "NID_MIDI_DATA_CAPTURED" whose filter takes it,
    // the last subscribed first, on the calling thread. 1 when nobody is subscribed, else 0.
    virtual QKRESULT Distribute(const ConstRCPtr<LMidiCaptureNotificationData>& capture);

    // The centre every capture is also posted to; none (null) at creation.
    void SetNotificationCenter(const RCPtr<LNotificationCenter>& centre);
    RCPtr<LNotificationCenter> GetNotificationCenter() const;

    ~LMidiCommInterface() override = default;

protected:
    LMidiCommInterface() = default;

    // Distribute with source, a reference to this transport that the caller holds.
    QKRESULT DistributeFrom(const ConstRCPtr<LNotificationDistributor>& source,
                            const ConstRCPtr<LMidiCaptureNotificationData>& capture);

private:
    mutable Mutex m_centreLock;
    RCPtr<LNotificationCenter> m_centre;
    mutable Mutex m_filterLock;
    Array<MidiFilterEntry> m_filters;
};

} // namespace QK
