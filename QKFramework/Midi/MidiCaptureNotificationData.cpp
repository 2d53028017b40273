#include "QKFramework/Midi/MidiCaptureNotificationData.h"

#include <cstring>
#include <new>

namespace QK
{

RCPtr<LMidiCaptureNotificationData> LMidiCaptureNotificationData::Create(const WString& name, std::uint32_t,
                                                                         const LMidiCapturePort* source)
{
    return RCPtr<LMidiCaptureNotificationData>(new LMidiCaptureNotificationData(name, source));
}

LMidiCaptureNotificationData::LMidiCaptureNotificationData(const WString& name,
                                                           const LMidiCapturePort* source)
    : m_source(source), m_portName(name)
{
}

bool LMidiCaptureNotificationData::Append(const void* bytes, std::uint32_t count)
{
    if (count == 0)
        return true;
    if (!bytes)
        return false;
    const std::uint32_t old = m_bytes.GetCount();
    if (std::uint64_t{old} + count > m_bytes.GetMaxCount())
        return false;
    try
    {
        if (Failed(m_bytes.SetCount(old + count)) || m_bytes.GetCount() != old + count)
        {
            m_bytes.SetCount(old);
            return false;
        }
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    std::memcpy(m_bytes.GetBuffer() + old, bytes, count);
    return true;
}

} // namespace QK
