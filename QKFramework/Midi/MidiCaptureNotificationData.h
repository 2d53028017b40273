// LMidiCaptureNotificationData: one MIDI message received by a capture port, the argument of
// "NID_MIDI_DATA_CAPTURED".
//
// A capture port fills it on the MIDI system's thread (a SysEx message that comes in
// pieces is appended to piece by piece) and then hands it to the capture worker; from then
// on nobody changes it, so subscribers on the worker read it without a lock. Captures come
// from a thread-safe pool of blocks, so that the receiving path does not allocate per
// message in the usual case.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Utilities/Storage/ArrayBuffer.h"
#include "QKFramework/Utilities/Storage/ReuseAllocator.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>

namespace QK
{

class LMidiCapturePort;

class LMidiCaptureNotificationData : public LRefCountedObject,
                                     public ReusePooled<LMidiCaptureNotificationData, 4, true>
{
public:
    // Short messages stay inside the object; a SysEx message grows in 256-byte steps.
    using Bytes = ArrayBufferM<signed char, 16, 256, 1024>;

    // An empty capture of the port called name; source identifies the receiving port and
    // is never followed. count is a size hint and is not used. Filled by its port only.
    static RCPtr<LMidiCaptureNotificationData> Create(const WString& name, std::uint32_t count,
                                                      const LMidiCapturePort* source);

    // Appends count bytes; false when memory runs out (the capture then keeps what it had).
    bool Append(const void* bytes, std::uint32_t count);
    void SetTimeStamp(std::uint32_t timeStamp) { m_timeStamp = timeStamp; }

    const LMidiCapturePort* GetSource() const noexcept { return m_source; }
    const signed char* GetBytes() const { return m_bytes.GetBuffer(); }
    std::uint32_t GetCount() const { return m_bytes.GetCount(); }
    const WString& GetPortName() const noexcept { return m_portName; }
    // Milliseconds as the MIDI system stamps a short message; 0 for SysEx.
    std::uint32_t GetTimeStamp() const noexcept { return m_timeStamp; }

    ~LMidiCaptureNotificationData() override = default;

private:
    LMidiCaptureNotificationData(const WString& name, const LMidiCapturePort* source);

    const LMidiCapturePort* m_source;
    Bytes m_bytes;
    WString m_portName;
    std::uint32_t m_timeStamp = 0;
};

} // namespace QK
