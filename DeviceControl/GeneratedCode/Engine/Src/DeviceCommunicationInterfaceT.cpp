#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceCommunicationInterfaceT.h"

#include "QKFramework/Threads/Thread.h"

#include <new>

namespace QK
{

RCPtr<LDeviceCommunicationInterfaceT<1>> LDeviceCommunicationInterfaceT<1>::Create()
{
    return RCPtr<LDeviceCommunicationInterfaceT>(new LDeviceCommunicationInterfaceT());
}

LDeviceCommunicationInterfaceT<1>::MemberData::MemberData(LDeviceCommunicationInterfaceT* owner)
    : queue(&queueLock), owner(owner)
{
}

LDeviceCommunicationInterfaceT<1>::LDeviceCommunicationInterfaceT() : m_data(std::make_unique<MemberData>(this))
{
    m_data->worker = ConstRCPtr<MemberData::LDeviceCommunicationThreadWorker>(
        new MemberData::LDeviceCommunicationThreadWorker(m_data.get()));
    m_data->gate = RCPtr<LEvent>::DynamicCast(LEvent::Create(true));
    {
        const ConstRCPtr<LRefCountedObject> self(static_cast<LRefCountedObject*>(this));
        m_data->threader = LEventGatedThreader::Create(m_data->gate, m_data->worker, self, kThreadPriorityNormal);
    }
    // The threader's parameter is this object: a back-reference, counted as internal once
    // the constructor's own reference has gone.
    AddInternalReferences(1);
}

LDeviceCommunicationInterfaceT<1>::~LDeviceCommunicationInterfaceT()
{
    // Normally gone already (ReleaseInternalReferences); the thread must end before the
    // queue it reads.
    m_data->threader = nullptr;
}

QKRESULT LDeviceCommunicationInterfaceT<1>::OpenClientLibrary()
{
    MutexLock lock(m_clientLock);
    if (m_client)
        return QK_FALSE;
    const WString path = DeviceControlClientInterface::LocateClientLibrary();
    m_client.reset(new (std::nothrow) DeviceControlClientInterface(path.IsEmpty() ? nullptr : path.GetString()));
    return m_client ? QK_OK : QK_E_FAIL;
}

void LDeviceCommunicationInterfaceT<1>::EnableDelivery(bool enable)
{
    LDeviceCommunicationBase::EnableDelivery(enable);
    if (!enable)
    {
        AcquireLockWord(m_data->deliveryLock);
        ReleaseLockWord(m_data->deliveryLock);
    }
}

QKRESULT LDeviceCommunicationInterfaceT<1>::ConnectDevice(const Variant& device)
{
    DeviceControlClientInterface* client = nullptr;
    {
        MutexLock lock(m_clientLock);
        m_device = device;
        client = m_client.get();
    }
    return client ? client->ConnectDevice(&device, &OnParamValuesReceived, this) : -1;
}

QKRESULT LDeviceCommunicationInterfaceT<1>::UnsupportedOperation(std::intptr_t)
{
    return QK_E_FAIL;
}

std::uint32_t LDeviceCommunicationInterfaceT<1>::GetQueuedCount() const
{
    return m_data->queue.GetCount();
}

void LDeviceCommunicationInterfaceT<1>::OnParamValuesReceived(void* context, void*, const ParamValues* values)
{
    if (!context || !values)
        return;
    auto* self = static_cast<LDeviceCommunicationInterfaceT*>(context);
    const RCPtr<LWrapper<ParamValues>> block(new LWrapper<ParamValues>());
    block->Assign(*values);
    self->m_data->queue.Enqueue(block);
    self->m_data->gate->Set();
}

std::uint32_t
LDeviceCommunicationInterfaceT<1>::MemberData::LDeviceCommunicationThreadWorker::Run(const ConstRCPtr<LRefCountedObject>&)
{
    m_data->owner->Deliver();
    return 0;
}

void LDeviceCommunicationInterfaceT<1>::Deliver()
{
    // The threader's reference keeps this object alive for the pass: the threader goes only
    // after EnableDelivery(false) has waited for the pass to end.
    LockWordGuard guard(m_data->deliveryLock);
    if (!IsDeliveryEnabled())
        return;
    while (m_data->queue.GetCount() != 0)
    {
        const RCPtr<LWrapper<ParamValues>> block = m_data->queue.Dequeue();
        DeviceCommunicationReceiver* receiver = GetReceiver();
        if (IsDeliveryEnabled() && receiver && block)
            receiver->DeliverParamValues(*block);
    }
}

QKRESULT LDeviceCommunicationInterfaceT<1>::ReleaseInternalReferences()
{
    if (!m_data->threader)
        return LDeviceCommunicationBase::ReleaseInternalReferences();
    EnableDelivery(false);
    DeleteClient();
    // The threader's reference to this object goes with its thread.
    AddInternalReferences(-1);
    m_data->threader = nullptr;
    return QK_OK;
}

} // namespace QK
