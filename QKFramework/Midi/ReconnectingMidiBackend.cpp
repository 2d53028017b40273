#include "QKFramework/Midi/ReconnectingMidiBackend.h"

#include <utility>

namespace QK
{

ReconnectingMidiBackend::ReconnectingMidiBackend(Factory factory, Now now)
    : m_factory(std::move(factory)), m_now(std::move(now))
{
}

std::shared_ptr<IMidiBackend> ReconnectingMidiBackend::Reach()
{
    std::lock_guard lock(m_lock);
    if (m_current && m_current->IsSystemLost())
        m_current.reset();
    const Clock::time_point now = m_now();
    if (!m_current && m_factory && (!m_tried || now - m_lastTry >= kRetryInterval))
    {
        m_tried = true;
        m_lastTry = now;
        m_current = m_factory();
    }
    return m_current;
}

std::shared_ptr<IMidiBackend> ReconnectingMidiBackend::GetCurrent()
{
    std::lock_guard lock(m_lock);
    return m_current;
}

std::vector<std::string> ReconnectingMidiBackend::ListDevices(MidiDirection direction)
{
    const std::shared_ptr<IMidiBackend> current = Reach();
    return current ? current->ListDevices(direction) : std::vector<std::string>{};
}

// An open goes to the back end that the caller's listing came from; it never tries anew.
QKRESULT ReconnectingMidiBackend::OpenInput(std::size_t index, IMidiInputSink& sink,
                                            std::unique_ptr<IMidiInputConnection>& connection)
{
    connection.reset();
    const std::shared_ptr<IMidiBackend> current = GetCurrent();
    return current ? current->OpenInput(index, sink, connection) : kMidiNotFound;
}

QKRESULT ReconnectingMidiBackend::OpenOutput(std::size_t index, std::unique_ptr<IMidiOutputConnection>& connection)
{
    connection.reset();
    const std::shared_ptr<IMidiBackend> current = GetCurrent();
    return current ? current->OpenOutput(index, connection) : kMidiNotFound;
}

} // namespace QK
