// LMidiComm: the MIDI transport over the MIDI back end (see LMidiCommInterface).
//
// It keeps every open port in one of two lists. The lists hold internal references: a port
// whose last outside reference is being released takes itself out of its list and is then
// destroyed, which closes its device. Capture ports hand every message they receive to the
// transport's capture thread pool (one worker), whose runs deliver it (Run). Captures still
// queued do not keep the transport alive: when its last outside reference goes, they are
// dropped and the subscribers detached, and it dies on the thread that let go of it.
//
// The capture backlog is bounded, so that a flood of input the worker cannot keep up with
// costs neither memory nor the replies that matter: a message is not even made into a
// capture while nobody would receive it (no subscriber, no notification centre); short
// messages are dropped while kMaxQueuedShortMessages captures wait, so that a SysEx reply
// finds room behind them; a SysEx is dropped only while kMaxQueuedCaptures captures or
// kMaxQueuedSysExBytes of SysEx wait. What is queued is delivered in order.
//
// The open operations and the removal of a port from a list hold the transport's lock; the
// MIDI system's calls made under it never wait for a capture delivery.
#pragma once

#include "QKFramework/Midi/MidiBackend.h"
#include "QKFramework/Midi/MidiCommInterface.h"
#include "QKFramework/Threads/LThreadPool.h"
#include "QKFramework/Threads/LThreadWorker.h"
#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Utilities/Storage/RCPtrArray.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace QK
{

class LMidiCapturePort;
class LMidiRenderPort;

class LMidiComm : public LMidiCommInterface, public LThreadWorker
{
public:
    // While this many captures wait for the worker, a short message is dropped.
    static constexpr std::uint32_t kMaxQueuedShortMessages = 1024;
    // While this many captures, or this many bytes of SysEx, wait for the worker, a SysEx
    // message is dropped too.
    static constexpr std::uint32_t kMaxQueuedCaptures = 2048;
    static constexpr std::uint32_t kMaxQueuedSysExBytes = 1024 * 1024;

    // A transport over the back end in use (GetMidiBackend).
    static RCPtr<LMidiComm> Create();

    QKRESULT OpenCapturePort(const WString& name, RCPtr<LMidiCapturePort>& port) override;
    QKRESULT OpenRenderPort(const WString& name, RCPtr<LMidiRenderPort>& port) override;
    QKRESULT SendBuffer(LMidiRenderPort* port, const ConstRCPtr<LIBuffer>& buffer) override;
    QKRESULT SendByteArray(LMidiRenderPort* port, const Array<signed char>& bytes) override;

    // One capture's delivery, on the capture worker: posts it to the notification centre
    // when one is set, then Distribute. params is the capture. 0.
    std::uint32_t Run(const ConstRCPtr<LRefCountedObject>& params) override;

    // "LMidiComm".
    WString ToString() const override;
    // Called when only the transport's own references remain: waits for a delivery in
    // progress, drops the captures still queued and detaches the subscribers.
    QKRESULT ReleaseInternalReferences() override;

    // The back end in use (GetMidiBackend) when the transport first needed one: making the
    // transport does not reach the MIDI system yet. Under the transport's lock.
    IMidiBackend& GetBackend();

    // The captures queued and not yet delivered, and their SysEx bytes.
    std::uint32_t GetQueuedCaptureCount() const noexcept { return m_queuedCaptures.load(); }
    std::uint32_t GetQueuedSysExBytes() const noexcept { return m_queuedSysExBytes.load(); }

    ~LMidiComm() override;

private:
    friend class LMidiCapturePort;
    friend class LMidiRenderPort;

    class CaptureDelivery;

    LMidiComm();

    // Run's work with the given source (this transport).
    void Deliver(const ConstRCPtr<LRefCountedObject>& params,
                 const ConstRCPtr<LNotificationDistributor>& source);
    // From a capture port, on the MIDI system's thread: whether a message of count bytes
    // (a SysEx, or a short message) would be queued now, so that one that would not is
    // never made into a capture.
    bool WouldQueue(bool sysEx, std::uint32_t count) const;
    // Queues the capture when WouldQueue still agrees; else drops it.
    void QueueCapture(const ConstRCPtr<LMidiCaptureNotificationData>& capture);
    // From a delivery: the capture has left the backlog.
    void OnCaptureDelivered(const ConstRCPtr<LRefCountedObject>& params);
    // From a port's ReleaseInternalReferences: takes the port out of its list unless a new
    // outside reference to it was taken meanwhile. 0 when removed, else 0x80004005.
    QKRESULT RemoveCapturePort(LMidiCapturePort* port);
    QKRESULT RemoveRenderPort(LMidiRenderPort* port);

    std::shared_ptr<IMidiBackend> m_backend; // under m_lock
    RCPtrArray<LMidiCapturePort> m_capturePorts;
    RCPtrArray<LMidiRenderPort> m_renderPorts;
    RCPtr<LThreadPool> m_capturePool;
    RCPtr<CaptureDelivery> m_delivery;
    Mutex m_lock;
    std::atomic<std::uint32_t> m_queuedCaptures{0};
    std::atomic<std::uint32_t> m_queuedSysExBytes{0};
};

} // namespace QK
