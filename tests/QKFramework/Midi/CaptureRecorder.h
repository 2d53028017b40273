// CaptureRecorder: a subscriber of "NID_MIDI_DATA_CAPTURED" that keeps what it receives, on
// whichever thread it comes, and notes its own tag in a shared log so that the order of
// delivery between several recorders shows. GatedCaptureRecorder also holds the capture
// worker until the test lets it go.
#pragma once

#include "QKFramework/Midi/MidiCaptureNotificationData.h"
#include "QKFramework/Midi/MidiCommInterface.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationClient.h"
#include "QKFramework/Threads/Event.h"
#include "tests/support/WaitUntil.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace QK
{

class CaptureRecorder : public LNotificationClient
{
public:
    struct Capture
    {
        std::vector<std::uint8_t> bytes;
        std::string portName;
        std::uint32_t timeStamp = 0;
        std::thread::id thread;
    };

    struct Log
    {
        std::mutex mutex;
        std::vector<std::string> tags;
    };

    explicit CaptureRecorder(std::string tag = {}, std::shared_ptr<Log> log = nullptr)
        : m_tag(std::move(tag)), m_log(std::move(log))
    {
    }

    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>&,
                                 const ConstRCPtr<LNotification>& notification) override
    {
        const auto capture =
            ConstRCPtr<LMidiCaptureNotificationData>::DynamicCast(notification->GetArgument());
        if (!capture)
            return QK_OK;
        Capture copy;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(capture->GetBytes());
        copy.bytes.assign(bytes, bytes + capture->GetCount());
        copy.portName = NString(capture->GetPortName().GetString()).GetString();
        copy.timeStamp = capture->GetTimeStamp();
        copy.thread = std::this_thread::get_id();
        if (m_log)
        {
            std::lock_guard lock(m_log->mutex);
            m_log->tags.push_back(m_tag);
        }
        std::lock_guard lock(m_mutex);
        m_captures.push_back(std::move(copy));
        return QK_OK;
    }

    std::vector<Capture> GetCaptures() const
    {
        std::lock_guard lock(m_mutex);
        return m_captures;
    }

    std::size_t GetCount() const
    {
        std::lock_guard lock(m_mutex);
        return m_captures.size();
    }

    bool WaitForCount(std::size_t count) const
    {
        return TestSupport::WaitUntil([&] { return GetCount() >= count; });
    }

private:
    const std::string m_tag;
    const std::shared_ptr<Log> m_log;
    mutable std::mutex m_mutex;
    std::vector<Capture> m_captures;
};

// A CaptureRecorder that holds the capture worker in its first delivery until opened, so
// that what comes in meanwhile stays in the transport's backlog.
class GatedCaptureRecorder : public CaptureRecorder
{
public:
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override
    {
        if (!m_entered.exchange(true))
            m_gate.Wait(kInfinite);
        return CaptureRecorder::ReceiveNotification(source, notification);
    }

    // Whether a delivery is held (or was).
    bool WaitUntilHeld() const { return TestSupport::WaitUntil([&] { return m_entered.load(); }); }
    void Open() { m_gate.Set(); }

private:
    std::atomic<bool> m_entered{false};
    Event m_gate{false};
};

} // namespace QK
