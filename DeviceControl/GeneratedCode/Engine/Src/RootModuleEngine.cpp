// The root module engine. Sections: notifications; start-up and parts; values; devices and
// the connection state; the worker.
#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleEngine.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceCommunicationInterfaceT.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/ParamLists.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/ObjectBase/Wrapper.h"
#include "QKFramework/Threads/Thread.h"
#include "QKFramework/Utilities/Storage/VariantOrder.h"

#include <chrono>
#include <thread>

namespace QK
{

namespace
{
constexpr std::uint32_t kWorkerPauseMs = 1500;
constexpr std::uint32_t kRemoteSearchLimitMs = 1500;
// Waiting searches between two one-shot searches of the remote list.
constexpr std::uint32_t kWaitingSearchesPerRound = 8;
constexpr std::uint32_t kStopPolls = 10000;

void Post(NotificationName name, const ConstRCPtr<LRefCountedObject>& argument)
{
    const RCPtr<LNotificationCenter> centre = GetDefaultNotificationCenter();
    const ConstRCPtr<LNotification> notification = LNotification::Create(name, argument);
    if (centre && notification)
        centre->PostNotification(notification);
}

// The pending-request order: by id as unsigned (so the special ids come last), then by the
// descriptor's value order.
bool IsRequestLess(const ParamDescriptor& a, const ParamDescriptor& b)
{
    const auto idA = static_cast<std::uint32_t>(a.id);
    const auto idB = static_cast<std::uint32_t>(b.id);
    if (idA != idB)
        return idA < idB;
    return IsVariantLess(a.descriptor, b.descriptor);
}
} // namespace

WString ParamValuePairToString::operator()(const Pair<ParamDescriptor, Variant>& pair) const
{
    WString text = WString::Format(u"%d: ", pair.key.id);
    text.Append(VariantEx(pair.value).ToString());
    return text;
}

LRootModuleEngine::LRootModuleEngine()
{
    m_parts.engine = this;
}

LRootModuleEngine::~LRootModuleEngine()
{
    StopDelivery();
}

// Values delivered by the library climb the module tree to the root module with counted
// references: the root must stop receiving while it is still held, not in its destructor.
void LRootModuleEngine::StopDelivery()
{
    if (m_parts.rootModule)
        m_parts.rootModule->StopReceiving();
}

// ---- Notifications ------------------------------------------------------------------------

QKRESULT LRootModuleEngine::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                                const ConstRCPtr<LNotification>& notification)
{
    if (!m_handlers || !m_initialized.load(std::memory_order_acquire))
        return QK_OK;
    return m_handlers->Dispatch(source, notification);
}

QKRESULT LRootModuleEngine::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    if (m_handlers)
        m_handlers->RemoveHandler(source, id);
    return LNotificationClient::DetachFromDistributor(source, id);
}

QKRESULT LRootModuleEngine::OnParamModuleChangeRequest(const ConstRCPtr<LNotificationDistributor>&,
                                                       const ConstRCPtr<LNotification>& notification)
{
    const ConstRCPtr<LParamValuePair> pair =
        notification ? ConstRCPtr<LParamValuePair>::DynamicCast(notification->GetArgument()) : nullptr;
    if (pair)
        SetParamValue(pair->key, pair->value);
    return QK_OK;
}

void LRootModuleEngine::NotifyParamModuleStateChange(const Array<ParamValue>& values)
{
    const std::uint32_t count = values.GetCount();
    if (count == 0)
        return;
    if (count < 3)
    {
        for (std::uint32_t i = 0; i < count; ++i)
        {
            const ParamValue& value = *values.GetAt(i);
            const ParamDescriptor descriptor = value;
            Post(kNidParamModuleStateChange, ConstRCPtr<LRefCountedObject>(new LParamValuePair(descriptor, value.value)));
        }
        return;
    }
    const RCPtr<LWrapper<ParamValues>> list(new LWrapper<ParamValues>());
    if (Failed(MakeParamValues(values.GetBuffer(), count, *list)))
        return;
    Post(kNidParamModuleStateChange, ConstRCPtr<LRefCountedObject>(list.Get()));
}

QKRESULT LRootModuleEngine::OnRootModuleChange(void* context, const Array<ParamValue>& changes, std::int32_t)
{
    static_cast<LRootModuleEngine*>(context)->NotifyParamModuleStateChange(changes);
    return QK_OK;
}

void LRootModuleEngine::ChangeStateLocked(DeviceConnectionState state)
{
    if (state == m_state)
        return;
    m_state = state;
    const RCPtr<LHolder<DeviceConnectionState>> holder(new LHolder<DeviceConnectionState>());
    holder->SetValue(state);
    Post(kNidDeviceConnectionStateChange, ConstRCPtr<LRefCountedObject>(holder.Get()));
}

void LRootModuleEngine::SetDeviceConnectionState(DeviceConnectionState state)
{
    MutexLock lock(m_lock);
    ChangeStateLocked(state);
}

void LRootModuleEngine::PostRemoteDeviceCount(std::int32_t count)
{
    const RCPtr<LHolder<int>> holder(new LHolder<int>());
    holder->SetValue(count);
    Post(kNidRemoteDeviceListChange, ConstRCPtr<LRefCountedObject>(holder.Get()));
}

// ---- Start-up and parts -------------------------------------------------------------------

QKRESULT LRootModuleEngine::Initialize(std::int32_t context)
{
    m_handlers = LNotificationHandler<LRootModuleEngine>::Create(this);
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    CheckResult(m_handlers->AddHandler(&LRootModuleEngine::OnParamModuleChangeRequest,
                                       ConstRCPtr<LNotificationDistributor>(GetDefaultNotificationCenter()),
                                       kNidParamModuleChangeReq),
                ThrowSite{"LRootModuleEngine::Initialize", "..\\DeviceControl\\GeneratedCode\\Engine\\Src\\RootModuleEngine",
                          312});
    m_parts.communication = CreateDeviceCommunication();
    m_rootFlag = true;
    m_parts.rootModule = CreateRootModule(m_rootFlag);
    m_parts.cache = CreateParamCache();
    if (m_parts.rootModule)
        m_parts.rootModule->Setup(&LRootModuleEngine::OnRootModuleChange, this, m_parts.cache, m_parts.communication,
                                  context);
    m_initialized.store(true, std::memory_order_release);
    PublishAllParamValues();
    return QK_OK;
}

void LRootModuleEngine::OnShutdown() {}

bool LRootModuleEngine::IsReady()
{
    return true;
}

RCPtr<LParamCache> LRootModuleEngine::CreateParamCache()
{
    return RCPtr<LParamCache>(new LParamCache(kParamCount));
}

RCPtr<LRootModule> LRootModuleEngine::CreateRootModule(bool flag)
{
    return LRootModule::Create(flag);
}

RCPtr<LDeviceCommunicationBase> LRootModuleEngine::CreateDeviceCommunication()
{
    return RCPtr<LDeviceCommunicationBase>(LDeviceCommunicationInterface::Create());
}

std::int32_t LRootModuleEngine::GetFirstParamID() const
{
    return m_parts.rootModule ? m_parts.rootModule->GetFirstParamID() : 0;
}

RCPtr<LRootModule> LRootModuleEngine::GetRootModule() const
{
    return m_parts.rootModule;
}

RCPtr<LDeviceCommunicationBase> LRootModuleEngine::GetDeviceCommunication() const
{
    return m_parts.communication;
}

RCPtr<LParamCache> LRootModuleEngine::GetParamCache() const
{
    return m_parts.cache;
}

bool LRootModuleEngine::IsParamReserved(std::int32_t id)
{
    return m_parts.rootModule && m_parts.rootModule->IsParamReserved(id);
}

bool LRootModuleEngine::IsParamExcluded(std::int32_t id)
{
    return m_parts.rootModule && m_parts.rootModule->IsParamExcluded(id);
}

// ---- Values -------------------------------------------------------------------------------

QKRESULT LRootModuleEngine::SetParamValue(const ParamDescriptor& descriptor, const Variant& value)
{
    if (GetDeviceConnectionState() != kConnected || !m_parts.rootModule)
        return QK_E_FAIL;
    const QKRESULT result = m_parts.rootModule->SetModuleParamValue(descriptor, value);
    if (Failed(result))
        UpdateDeviceConnectionState();
    return result;
}

QKRESULT LRootModuleEngine::GetParamValue(const ParamDescriptor& descriptor, Variant& value)
{
    if (!m_parts.rootModule)
    {
        value.Clear();
        return QK_E_FAIL;
    }
    return m_parts.rootModule->GetModuleParamValue(descriptor, value);
}

QKRESULT LRootModuleEngine::PublishParamValues(const ParamDescriptors& descriptors)
{
    if (descriptors.GetKind() != kVariantList || !m_parts.rootModule)
        return QK_OK;
    const std::uint32_t count = descriptors.GetListCount();
    if (count == 0)
        return QK_OK;
    Array<ParamValue> values;
    for (std::uint32_t i = 0; i < count; ++i)
    {
        ParamDescriptor descriptor;
        // An item that cannot be read names no parameter; it is left out.
        if (Failed(ReadParamDescriptor(descriptors, i, descriptor)) || IsParamExcluded(descriptor.id))
            continue;
        ParamValue value;
        value.id = descriptor.id;
        value.descriptor = descriptor.descriptor;
        m_parts.rootModule->GetModuleParamValue(descriptor, value.value);
        values.Add(value);
    }
    NotifyParamModuleStateChange(values);
    return QK_OK;
}

QKRESULT LRootModuleEngine::PublishAllParamValues()
{
    return PublishParamValues(ParamDescriptors(ParamRange{GetFirstParamID(), static_cast<std::int32_t>(kParamCount)}));
}

QKRESULT LRootModuleEngine::FillParamValues(std::int32_t first, std::uint32_t count, Array<ParamValue>& values,
                                            std::int32_t position)
{
    if (position < 0)
    {
        values.SetCount(0);
        position = 0;
    }
    const std::uint64_t end = static_cast<std::uint64_t>(position) + count;
    if (end > values.GetMaxCount())
        return QK_E_FAIL;
    if (values.GetCount() < end)
        values.SetCount(static_cast<std::uint32_t>(end));
    for (std::uint32_t k = 0; k < count; ++k)
    {
        ParamValue& value = *values.GetAt(static_cast<std::uint32_t>(position) + k);
        value.id = static_cast<std::int32_t>(static_cast<std::uint32_t>(first) + k);
        value.descriptor.Clear();
        const ParamDescriptor descriptor(value.id);
        GetParamValue(descriptor, value.value);
    }
    return QK_OK;
}

std::uint32_t LRootModuleEngine::GetTimeMs() const
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::int32_t LRootModuleEngine::FindPendingRequest(const ParamDescriptor& descriptor) const
{
    std::uint32_t lo = 0;
    std::uint32_t hi = m_pendingRequests.GetCount();
    while (lo < hi)
    {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        if (IsRequestLess(*m_pendingRequests.GetAt(mid), descriptor))
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo < m_pendingRequests.GetCount() && !IsRequestLess(descriptor, *m_pendingRequests.GetAt(lo)))
        return static_cast<std::int32_t>(lo);
    return -static_cast<std::int32_t>(lo) - 1;
}

QKRESULT LRootModuleEngine::RequestParamValue(const ParamDescriptor& descriptor)
{
    const std::int32_t found = FindPendingRequest(descriptor);
    if (found >= 0)
        *m_pendingRequests.GetAt(static_cast<std::uint32_t>(found)) = descriptor;
    else
        m_pendingRequests.InsertAt(static_cast<std::uint32_t>(-found - 1), descriptor);
    if (GetDeviceConnectionState() != kConnected || !m_parts.communication)
        return QK_FALSE;
    const std::uint32_t now = GetTimeMs();
    if (now - m_lastRequestTimeMs <= m_requestIntervalMs)
        return QK_FALSE;
    m_lastRequestTimeMs = now;
    ParamDescriptors list;
    MakeParamDescriptors(m_pendingRequests.GetBuffer(), m_pendingRequests.GetCount(), list);
    const QKRESULT result = m_parts.communication->RequestParamValues(list);
    return Failed(result) ? result : QK_OK;
}

void LRootModuleEngine::SetRequestInterval(std::uint32_t intervalMs)
{
    m_requestIntervalMs = intervalMs;
}

std::uint32_t LRootModuleEngine::GetRequestInterval()
{
    return m_requestIntervalMs;
}

// ---- Devices and the connection state -----------------------------------------------------

QKRESULT LRootModuleEngine::FindDevices(Array<Variant>& devices)
{
    if (!m_parts.communication)
        return -1;
    return m_parts.communication->FindDevices(LDeviceCommunicationBase::GuidFilter(), devices);
}

QKRESULT LRootModuleEngine::FindRemoteDevices(Array<Variant>& devices)
{
    if (m_remoteDevicesEnabled.load(std::memory_order_acquire))
    {
        MutexLock lock(m_lock);
        devices = m_remoteDevices;
        return QK_OK;
    }
    if (!m_parts.communication)
        return -1;
    Array<Variant> found;
    const QKRESULT result =
        m_parts.communication->FindRemoteDevices(LDeviceCommunicationBase::GuidFilter(), found, 0, 0, 1, 1, 0, 0);
    {
        MutexLock lock(m_lock);
        m_remoteDevices = found;
    }
    if (Failed(result))
        return result;
    // The caller asked for the devices, so it gets the fresh list too.
    devices = found;
    return QK_OK;
}

bool LRootModuleEngine::IsDevicePresent(const Variant& device)
{
    if (device.GetKind() == kVariantEmpty || !m_parts.communication)
        return false;
    DeviceInfoBlock info{};
    if (Failed(m_parts.communication->GetDeviceInfo(device, info)))
        return false;
    return info.bytes[kDeviceInfoPresentOffset] != 0;
}

bool LRootModuleEngine::IsCurrentDevicePresent()
{
    MutexLock lock(m_lock);
    return IsDevicePresent(m_currentDevice);
}

LRootModuleEngine::DeviceConnectionState LRootModuleEngine::GetDeviceConnectionState()
{
    MutexLock lock(m_lock);
    return m_state;
}

void LRootModuleEngine::GetCurrentDevice(Variant& device)
{
    MutexLock lock(m_lock);
    device = m_currentDevice;
}

QKRESULT LRootModuleEngine::GetDeviceInfo(const Variant& device, DeviceInfoBlock& info)
{
    return m_parts.communication ? m_parts.communication->GetDeviceInfo(device, info) : -1;
}

void LRootModuleEngine::UpdateDeviceConnectionState()
{
    MutexLock lock(m_lock);
    const bool connected = m_parts.communication && m_parts.communication->IsDeviceConnected(1, 500);
    DeviceConnectionState state = kNotConnected;
    if (connected)
        state = kConnected;
    else if (m_forcedConnection)
        state = kForcedConnection;
    else if (m_presenceCheck.load(std::memory_order_acquire) && IsDevicePresent(m_currentDevice))
    {
        if (m_state == kConnected)
            m_savedDevice = m_currentDevice;
        state = m_savedDevice.GetKind() != kVariantEmpty ? kReconnecting : kNotConnected;
    }
    ChangeStateLocked(state);
}

QKRESULT LRootModuleEngine::ConnectToDevice(const Variant& device, bool force)
{
    m_connectInProgress.store(true, std::memory_order_release);
    DisconnectDevice();
    QKRESULT result = QK_E_FAIL;
    bool startWorker = false;
    {
        MutexLock lock(m_lock);
        result = m_parts.rootModule ? m_parts.rootModule->ConnectToDevice(device) : QK_E_FAIL;
        if (!Failed(result))
        {
            m_currentDevice = device;
            startWorker = IsDevicePresent(m_currentDevice);
        }
        else if (force)
        {
            if (IsDevicePresent(device))
            {
                m_forcedConnection = true;
                m_currentDevice = device;
                startWorker = true;
            }
        }
        else
        {
            m_currentDevice.Clear();
        }
    }
    // Started outside the lock: a worker still stopping may need the lock to end.
    if (startWorker)
        StartWorker();
    m_connectInProgress.store(false, std::memory_order_release);
    UpdateDeviceConnectionState();
    RequestWorkerStop();
    return result;
}

QKRESULT LRootModuleEngine::DisconnectDevice()
{
    QKRESULT result = -1;
    {
        MutexLock lock(m_lock);
        m_forcedConnection = false;
        m_savedDevice.Clear();
        m_currentDevice.Clear();
        if (m_parts.communication)
            result = m_parts.communication->DisconnectDevice();
    }
    if (!m_connectInProgress.load(std::memory_order_acquire))
    {
        UpdateDeviceConnectionState();
        RequestWorkerStop();
    }
    return result;
}

QKRESULT LRootModuleEngine::EnableRemoteDevices(bool enable)
{
    if (enable == m_remoteDevicesEnabled.load(std::memory_order_acquire))
        return QK_OK;
    m_remoteDevicesEnabled.store(enable, std::memory_order_release);
    if (!enable)
    {
        RequestWorkerStop();
        return QK_OK;
    }
    if (!m_remoteProbeDone)
    {
        m_remoteProbeDone = true;
        Array<Variant> scratch;
        m_remoteProbeResult = m_parts.communication ? m_parts.communication->FindRemoteDevices(
                                                          LDeviceCommunicationBase::GuidFilter(), scratch, 0, 0, 1, 1, 0, 0)
                                                    : -1;
    }
    if (Failed(m_remoteProbeResult))
    {
        m_remoteDevicesEnabled.store(false, std::memory_order_release);
        return m_remoteProbeResult;
    }
    StartWorker();
    return m_remoteProbeResult;
}

void LRootModuleEngine::EnableDevicePresenceCheck(bool enable)
{
    if (enable)
    {
        m_presenceCheck.store(true, std::memory_order_release);
        return;
    }
    if (!m_presenceCheck.exchange(false, std::memory_order_acq_rel))
        return;
    if (IsWorkerRunning())
    {
        MutexLock lock(m_lock);
        m_savedDevice.Clear();
    }
}

// ---- The worker ---------------------------------------------------------------------------

bool LRootModuleEngine::IsWorkerRunning()
{
    return m_worker.IsBusy();
}

QKRESULT LRootModuleEngine::StartWorker()
{
    if (IsWorkerRunning())
    {
        if (!m_stopRequest.load(std::memory_order_acquire))
            return QK_FALSE;
        if (!StopWorkerAndWait())
            return QK_E_FAIL;
    }
    m_stopRequest.store(false, std::memory_order_release);
    m_workerWake.Reset();
    // The threader's reference to this engine is internal while the worker runs; it is
    // counted before the reference exists, so that no release in between can take this
    // engine for released.
    AddInternalReferences(1);
    const ConstRCPtr<LThreadWorker> self(static_cast<LThreadWorker*>(this));
    const QKRESULT result = m_worker.TriggerUngated(self, nullptr, kThreadPriorityNormal);
    if (Failed(result))
    {
        AddInternalReferences(-1);
        m_stopRequest.store(true, std::memory_order_release);
        return result;
    }
    return QK_OK;
}

void LRootModuleEngine::RequestWorkerStop()
{
    if (!IsWorkerRunning() || m_stopRequest.load(std::memory_order_acquire) ||
        m_remoteDevicesEnabled.load(std::memory_order_acquire) || m_connectInProgress.load(std::memory_order_acquire))
        return;
    const DeviceConnectionState state = GetDeviceConnectionState();
    if (state == kNotConnected || (state == kConnected && !IsCurrentDevicePresent()))
    {
        m_stopRequest.store(true, std::memory_order_release);
        m_workerWake.Set();
    }
}

bool LRootModuleEngine::StopWorkerAndWait()
{
    if (IsWorkerRunning())
    {
        m_stopRequest.store(true, std::memory_order_release);
        m_workerWake.Set();
        for (std::uint32_t i = 0; i < kStopPolls && IsWorkerRunning(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return !IsWorkerRunning();
}

void LRootModuleEngine::WorkerPause()
{
    m_workerWake.Wait(kWorkerPauseMs);
}

std::uint32_t LRootModuleEngine::Run(const ConstRCPtr<LRefCountedObject>&)
{
    while (!m_stopRequest.load(std::memory_order_acquire))
        RunWorkerPass();
    // Taken by StartWorker; the threader lets its reference go after this returns.
    AddInternalReferences(-1);
    return 0;
}

void LRootModuleEngine::RunWorkerPass()
{
    if (IsCurrentDevicePresent())
    {
        UpdateDeviceConnectionState();
        MutexLock lock(m_lock);
        if (m_state == kForcedConnection || m_state == kReconnecting)
        {
            const Variant device = m_state == kForcedConnection ? m_currentDevice : m_savedDevice;
            if (device.GetKind() != kVariantEmpty && m_parts.rootModule &&
                !Failed(m_parts.rootModule->ConnectToDevice(device)))
            {
                if (m_state == kReconnecting)
                    m_savedDevice.Clear();
                else
                    m_forcedConnection = false;
                ChangeStateLocked(kConnected);
            }
        }
    }
    if (!m_remoteDevicesEnabled.load(std::memory_order_acquire) || !m_parts.communication)
    {
        WorkerPause();
        return;
    }
    const LDeviceCommunicationBase::GuidFilter filter;
    if (!m_remoteOneShot && m_waitingSearches < kWaitingSearchesPerRound)
    {
        ++m_waitingSearches;
        Array<Variant> devices;
        {
            MutexLock lock(m_lock);
            devices = m_remoteDevices;
        }
        const QKRESULT result =
            m_parts.communication->FindRemoteDevices(filter, devices, kRemoteSearchLimitMs, 0, 1, 1, 0, 0);
        if (!m_stopRequest.load(std::memory_order_acquire) && result == QK_OK)
        {
            MutexLock lock(m_lock);
            m_remoteDevices = devices;
            PostRemoteDeviceCount(static_cast<std::int32_t>(devices.GetCount()));
        }
        return;
    }
    m_waitingSearches = 0;
    Array<Variant> devices;
    const QKRESULT result = m_parts.communication->FindRemoteDevicesOnce(filter, devices);
    if (m_stopRequest.load(std::memory_order_acquire))
        return;
    if (!Failed(result))
    {
        m_remoteOneShot = result == QK_FALSE;
        MutexLock lock(m_lock);
        if (!Array<Variant>::IsEqual(devices, m_remoteDevices))
        {
            m_remoteDevices = devices;
            PostRemoteDeviceCount(static_cast<std::int32_t>(devices.GetCount()));
        }
    }
    WorkerPause();
}

QKRESULT LRootModuleEngine::ReleaseInternalReferences()
{
    StopWorkerAndWait();
    StopDelivery();
    OnShutdown();
    return LNotificationClient::ReleaseInternalReferences();
}

} // namespace QK
