#include "QKFramework/Midi/MidiComm.h"

#include "QKFramework/Midi/MidiCapturePort.h"
#include "QKFramework/Midi/MidiDeviceNames.h"
#include "QKFramework/Midi/MidiRenderPort.h"
#include "QKFramework/Notification/Notification.h"

namespace QK
{

namespace
{

// Capture delivery runs at this thread priority; work items at priority 0.
constexpr std::int32_t kCapturePoolPriority = 2;
constexpr std::int32_t kCaptureWorkPriority = 0;

template <class Port> RCPtr<Port> FindPort(RCPtrArray<Port>& ports, const WString& name)
{
    for (std::uint32_t i = 0; i < ports.GetCount(); ++i)
    {
        const RCPtr<Port>& port = *ports.GetAt(i);
        if (port && port->GetPortName().IsEqual(name))
            return port;
    }
    return nullptr;
}

template <class Port> std::int32_t FindPortIndex(RCPtrArray<Port>& ports, const Port* wanted)
{
    for (std::uint32_t i = 0; i < ports.GetCount(); ++i)
        if (ports.GetAt(i)->Get() == wanted)
            return static_cast<std::int32_t>(i);
    return -1;
}

template <class Port> void AddPort(RCPtrArray<Port>& ports, const RCPtr<Port>& port)
{
    ports.Add(port);
    port->AddInternalReferences(1);
}

template <class Port> QKRESULT RemovePort(RCPtrArray<Port>& ports, Port* port)
{
    // Only the list and the releasing caller may hold it, else someone took it meanwhile.
    if (port->GetRefCount() - port->GetInternalRefCount() != 1)
        return QK_E_FAIL;
    const std::int32_t index = FindPortIndex(ports, port);
    if (index < 0)
        return QK_E_FAIL;
    port->AddInternalReferences(-1);
    ports.RemoveRange(static_cast<std::uint32_t>(index), 1);
    return QK_OK;
}

} // namespace

// The work item of every capture: it reaches the transport through a link that the
// transport cuts when nobody else holds it any more, so that captures still queued never
// keep it alive and it is destroyed on the thread that lets go of it, not on the worker.
class LMidiComm::CaptureDelivery : public LThreadWorker
{
public:
    // Links comm; the link is one of comm's own references.
    explicit CaptureDelivery(LMidiComm* comm) : m_comm(comm) { comm->AddInternalReferences(1); }

    std::uint32_t Run(const ConstRCPtr<LRefCountedObject>& params) override
    {
        MutexLock lock(m_lock);
        LMidiComm* comm = m_comm.Get();
        if (!comm)
            return 0;
        // The delivery's own hold on the transport, counted as one of its own references and
        // given to the subscribers as the source: while it lasts, the last outside release
        // waits in Cut for it instead of leaving the transport to die on this thread.
        struct Hold
        {
            LMidiComm* comm;
            ConstRCPtr<LNotificationDistributor> source;
            explicit Hold(LMidiComm* c) : comm(c)
            {
                comm->AddInternalReferences(1);
                source = ConstRCPtr<LNotificationDistributor>(comm);
            }
            ~Hold()
            {
                comm->AddInternalReferences(-1);
                source = nullptr;
            }
        } hold(comm);
        comm->Deliver(params, hold.source);
        comm->OnCaptureDelivered(params);
        return 0;
    }

    // Waits for a delivery in progress (unless it is on this thread) and drops the link.
    void Cut()
    {
        RCPtr<LMidiComm> link;
        {
            MutexLock lock(m_lock);
            link = std::move(m_comm);
            m_comm = nullptr;
        }
        if (link)
            link->AddInternalReferences(-1);
    }

private:
    Mutex m_lock;
    RCPtr<LMidiComm> m_comm;
};

RCPtr<LMidiComm> LMidiComm::Create()
{
    RCPtr<LMidiComm> comm(new LMidiComm());
    comm->m_delivery = RCPtr<CaptureDelivery>(new CaptureDelivery(comm.Get()));
    return comm;
}

LMidiComm::LMidiComm()
    : m_capturePool(LThreadPool::Create(1, kCapturePoolPriority))
{
}

IMidiBackend& LMidiComm::GetBackend()
{
    MutexLock lock(m_lock);
    if (!m_backend)
        m_backend = GetMidiBackend();
    return *m_backend;
}

LMidiComm::~LMidiComm()
{
    // Ports hold the transport, so none is left but those only the lists kept.
    m_capturePorts.RemoveAll();
    m_renderPorts.RemoveAll();
    if (m_capturePool)
        m_capturePool->Shutdown();
}

WString LMidiComm::ToString() const
{
    return WString(u"LMidiComm");
}

QKRESULT LMidiComm::OpenCapturePort(const WString& name, RCPtr<LMidiCapturePort>& port)
{
    port = nullptr;
    MutexLock lock(m_lock);
    const std::vector<std::string> productNames = GetBackend().ListDevices(MidiDirection::Input);
    const std::uint32_t containing = CountNamesContaining(NumberDuplicateDeviceNames(productNames), name);
    if (containing > 1)
        return QK_E_INVALIDARG;

    if (containing == 1)
    {
        const RCPtr<LMidiCapturePort> held = FindPort(m_capturePorts, name);
        if (held)
        {
            // The listing above is the one the held port's liveness is judged by: the
            // back end need not list again for it.
            if (held->IsAlive())
            {
                port = held;
                return QK_OK;
            }
            // The device came back: a port that was delivering before delivers again.
            if (held->SearchAndOpen(productNames) != kMidiOk || held->Start() != kMidiOk)
            {
                held->Close();
                return QK_E_FAIL;
            }
            port = held;
            return QK_OK;
        }
    }

    if (name.IsEmpty())
        return QK_E_FAIL;
    const RCPtr<LMidiCapturePort> created(new LMidiCapturePort(name, this));
    if (created->SearchAndOpen(productNames) != kMidiOk)
        return QK_E_FAIL;
    AddPort(m_capturePorts, created);
    if (created->Start() != kMidiOk)
    {
        created->Close();
        RemovePort(m_capturePorts, created.Get());
        return QK_E_FAIL;
    }
    port = created;
    return QK_OK;
}

QKRESULT LMidiComm::OpenRenderPort(const WString& name, RCPtr<LMidiRenderPort>& port)
{
    port = nullptr;
    MutexLock lock(m_lock);
    const std::vector<std::string> productNames = GetBackend().ListDevices(MidiDirection::Output);
    const std::uint32_t containing = CountNamesContaining(NumberDuplicateDeviceNames(productNames), name);
    if (containing > 1)
        return QK_E_INVALIDARG;

    if (containing == 1)
    {
        const RCPtr<LMidiRenderPort> held = FindPort(m_renderPorts, name);
        if (held)
        {
            if (!held->IsAlive() && held->SearchAndOpen(productNames) != kMidiOk)
                return QK_E_FAIL;
            port = held;
            return QK_OK;
        }
    }

    if (name.IsEmpty())
        return QK_E_FAIL;
    const RCPtr<LMidiRenderPort> created(new LMidiRenderPort(name, this));
    if (created->SearchAndOpen(productNames) != kMidiOk)
        return QK_E_FAIL;
    AddPort(m_renderPorts, created);
    port = created;
    return QK_OK;
}

QKRESULT LMidiComm::SendBuffer(LMidiRenderPort* port, const ConstRCPtr<LIBuffer>& buffer)
{
    if (!port || !buffer || buffer->GetSize() == 0)
        return QK_E_INVALIDARG;
    return port->Send(static_cast<const std::uint8_t*>(buffer->GetBuffer()), buffer->GetSize());
}

QKRESULT LMidiComm::SendByteArray(LMidiRenderPort* port, const Array<signed char>& bytes)
{
    if (!port || bytes.GetCount() == 0)
        return QK_E_INVALIDARG;
    return port->Send(reinterpret_cast<const std::uint8_t*>(bytes.GetBuffer()), bytes.GetCount());
}

std::uint32_t LMidiComm::Run(const ConstRCPtr<LRefCountedObject>& params)
{
    Deliver(params, ConstRCPtr<LNotificationDistributor>(this));
    return 0;
}

void LMidiComm::Deliver(const ConstRCPtr<LRefCountedObject>& params,
                        const ConstRCPtr<LNotificationDistributor>& source)
{
    const ConstRCPtr<LMidiCaptureNotificationData> capture =
        ConstRCPtr<LMidiCaptureNotificationData>::DynamicCast(params);
    if (!capture)
        return;
    if (const RCPtr<LNotificationCenter> centre = GetNotificationCenter())
        centre->PostNotification(LNotification::Create(kNidMidiDataCaptured, capture));
    DistributeFrom(source, capture);
}

namespace
{

bool IsSysExCapture(const LMidiCaptureNotificationData& capture)
{
    return capture.GetCount() != 0 && static_cast<std::uint8_t>(capture.GetBytes()[0]) == 0xF0;
}

} // namespace

bool LMidiComm::WouldQueue(bool sysEx, std::uint32_t count) const
{
    // Nobody would receive it: Distribute would drop it on the worker.
    if (GetRegistrationCount() == 0 && !GetNotificationCenter())
        return false;
    if (sysEx)
        return m_queuedCaptures.load() < kMaxQueuedCaptures &&
               std::uint64_t{m_queuedSysExBytes.load()} + count <= kMaxQueuedSysExBytes;
    return m_queuedCaptures.load() < kMaxQueuedShortMessages;
}

void LMidiComm::QueueCapture(const ConstRCPtr<LMidiCaptureNotificationData>& capture)
{
    const bool sysEx = IsSysExCapture(*capture);
    const std::uint32_t count = capture->GetCount();
    if (!WouldQueue(sysEx, count))
        return;
    m_queuedCaptures.fetch_add(1);
    if (sysEx)
        m_queuedSysExBytes.fetch_add(count);
    m_capturePool->QueueWork(m_delivery, capture, kCaptureWorkPriority);
}

void LMidiComm::OnCaptureDelivered(const ConstRCPtr<LRefCountedObject>& params)
{
    const auto capture = ConstRCPtr<LMidiCaptureNotificationData>::DynamicCast(params);
    if (!capture)
        return;
    if (IsSysExCapture(*capture))
        m_queuedSysExBytes.fetch_sub(capture->GetCount());
    m_queuedCaptures.fetch_sub(1);
}

QKRESULT LMidiComm::ReleaseInternalReferences()
{
    // Nobody can reach the transport any more: cut the captures' link (waiting for a
    // delivery in progress), drop the captures still queued and let the subscribers go.
    if (m_delivery)
        m_delivery->Cut();
    m_capturePool->Shutdown();
    DetachAllClients();
    return QK_OK;
}

QKRESULT LMidiComm::RemoveCapturePort(LMidiCapturePort* port)
{
    MutexLock lock(m_lock);
    return RemovePort(m_capturePorts, port);
}

QKRESULT LMidiComm::RemoveRenderPort(LMidiRenderPort* port)
{
    MutexLock lock(m_lock);
    return RemovePort(m_renderPorts, port);
}

} // namespace QK
