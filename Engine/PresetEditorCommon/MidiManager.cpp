#include "Engine/PresetEditorCommon/MidiManager.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/PresetEditorAppEngine.h"
#include "Engine/PresetEditorCommon/PresetSysEx.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Notification/NotificationQueue.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Utilities/Debug/DebugLog.h"
#include "QKFramework/Utilities/Debug/StartupPhases.h"

#include <algorithm>
#include <chrono>
#include <ostream>

namespace QK
{

namespace
{

constexpr const char* kSource = "Engine\\PresetEditorCommon\\MidiManager";
constexpr QKRESULT kPortsNotOpen = -1;
constexpr QKRESULT kNoReply = -3;

RCPtr<LRootModuleEngine> GetEngine()
{
    return RCPtr<LRootModuleEngine>::DynamicCast(GetRootModuleEngine());
}

void LogLateAnswerSetAside(bool getWaiting)
{
    DebugLog::Get().GetNarrowOutput()
        << "MIDI: a preset dump was set aside as the late answer to an earlier get that timed out"
        << (getWaiting ? ", while the next get waits for its own" : "") << std::endl;
}

} // namespace

// Pauses the checker for a scope when it is enabled, and enables it again at the end of the
// scope, also when an exception passes.
class LMidiManager::CheckerPause
{
public:
    explicit CheckerPause(LMidiManager& manager)
        : m_manager(manager), m_wasEnabled(manager.m_checkingEnabled.load())
    {
        if (m_wasEnabled)
            m_manager.PauseDeviceStatusChecker();
    }
    CheckerPause(const CheckerPause&) = delete;
    CheckerPause& operator=(const CheckerPause&) = delete;
    ~CheckerPause()
    {
        if (m_wasEnabled)
            m_manager.ResumeDeviceStatusChecker();
    }

private:
    LMidiManager& m_manager;
    const bool m_wasEnabled;
};

// One get's wait for its answer: the dump handler registered, the preset-reply light red and
// the answer awaited; Finish ends the wait and answers whether a dump was set into the model.
// A get whose answer did not come leaves the handler registered while that answer is owed,
// so that it is counted off when it comes, whether another get waits then or not. A scope
// left by an exception still ends the wait.
class LMidiManager::DumpWait
{
public:
    explicit DumpWait(LMidiManager& manager) : m_manager(manager)
    {
        MutexLock lock(m_manager.m_handlerLock);
        if (!m_manager.m_dumpHandlerRegistered)
        {
            CheckResult(m_manager.m_handlers->AddHandler(&LMidiManager::OnPresetDumpCaptured, m_manager.m_comm,
                                                         kNidMidiDataCaptured),
                        QK_SITE("QK::LMidiManager::GetPresetFromMidiDevice", kSource));
            m_manager.m_dumpHandlerRegistered = true;
        }
        m_manager.m_presetReplyLight.SetRed();
        m_manager.m_answerArrived = false;
        m_manager.m_awaitingDump = true;
        m_waiting = true;
    }
    DumpWait(const DumpWait&) = delete;
    DumpWait& operator=(const DumpWait&) = delete;

    ~DumpWait()
    {
        if (!m_waiting)
            return;
        MutexLock lock(m_manager.m_handlerLock);
        m_manager.m_awaitingDump = false;
        m_manager.RemoveDumpHandlerUnlessOwed();
    }

    // Under the handler lock no handler run is in progress, and none that starts later takes
    // anything for this get: what the light says now is final. Without an answer, one is
    // owed, unless the request never went out.
    bool Finish(bool requestSent)
    {
        MutexLock lock(m_manager.m_handlerLock);
        m_manager.m_awaitingDump = false;
        m_waiting = false;
        if (requestSent && !m_manager.m_answerArrived)
            m_manager.m_lateAnswers.Owe(LateAnswers::Clock::now());
        CheckResult(m_manager.RemoveDumpHandlerUnlessOwed(),
                    QK_SITE("QK::LMidiManager::GetPresetFromMidiDevice", kSource));
        return m_manager.m_presetReplyLight.IsGreen();
    }

private:
    LMidiManager& m_manager;
    bool m_waiting = false;
};

RCPtr<LMidiManager> LMidiManager::Create(StartMode mode)
{
    RCPtr<LMidiManager> manager(new LMidiManager());
    manager->m_connectInBackground = mode == StartMode::ConnectInBackground;
    manager->Initialize();
    return manager;
}

LMidiManager::LMidiManager() = default;

LMidiManager::~LMidiManager()
{
    m_inputPort = nullptr;
    m_outputPort = nullptr;
    m_checker = nullptr;
    m_comm = nullptr;
}

QKRESULT LMidiManager::Initialize()
{
    m_handlers = LNotificationHandler<LMidiManager>::Create(this);
    m_comm = LMidiCommInterface::Create();
    if (!m_comm)
        return QK_E_FAIL;

    if (const RCPtr<LRootModuleEngine> engine = GetEngine())
        SetParameterLayout(engine->GetFirstParamID(), LRootModuleEngine::kParamCount);
    else
        SetParameterLayout(0, LRootModuleEngine::kParamCount);

    m_checker = LMidiDeviceStatusChecker::Create(m_comm);

    m_wakeEvent = LEvent::Create();
    m_worker = LEventGatedThreader::Create(m_wakeEvent, ConstRCPtr<LThreadWorker>(this), nullptr, 0);
    if (!m_worker)
        return QK_E_FAIL;
    // The worker's reference to this manager is one of its own.
    AddInternalReferences(1);

    m_checkingEnabled = false;
    m_pauseRequested = false;
    m_receivingEnabled = true;

    {
        MutexLock lock(m_handlerLock);
        m_handlers->AddHandler(&LMidiManager::OnInputDeviceStatusChanged, GetDefaultNotificationCenter(),
                               kNidMidiInputDeviceConnectionStatusChanged);
    }
    if (m_connectInBackground)
    {
        // The worker connects once asked: by the first idle pass (the window is up by then),
        // or by an operation that needs the ports, which then waits for it.
        m_connection = Connection::Connecting;
        MutexLock lock(m_handlerLock);
        m_handlers->AddHandler(&LMidiManager::OnIdle, GetDefaultNotificationCenter(), kNidIdle);
        return QK_OK;
    }
    Connect();
    m_connection = Connection::Connected;
    return QK_OK;
}

void LMidiManager::Connect()
{
    // Reaches the MIDI system for the first time: lists the devices of both directions and
    // opens the controller's ports. No presence pass runs meanwhile: passes run on the
    // worker, which either is this thread or has not been started on anything yet.
    m_checker->SetInputDevices(GetDevicePortNames());
    m_checker->SetOutputDevices(GetDevicePortNames());
    OpenPorts();
}

void LMidiManager::RequestConnection()
{
    if (!m_connectRequested.exchange(true) && m_wakeEvent)
        m_wakeEvent->Set();
}

bool LMidiManager::AwaitConnection()
{
    if (m_connection.load() != Connection::Connecting)
        return true;
    RequestConnection();
    return WaitForGreen(m_connected, kConnectTimeoutMs);
}

void LMidiManager::SetGiveUpCheck(std::function<bool()> shouldGiveUp)
{
    m_shouldGiveUp = std::move(shouldGiveUp);
}

bool LMidiManager::WaitForGreen(const TrafficLight& light, std::uint32_t timeoutMs) const
{
    if (!m_shouldGiveUp)
        return light.Wait(timeoutMs) == kWaitSignalled;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;)
    {
        if (m_shouldGiveUp())
            return light.IsGreen();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return light.IsGreen();
        const auto slice = std::min<std::int64_t>(left.count(), kGiveUpCheckMs);
        if (light.Wait(static_cast<std::uint32_t>(slice)) == kWaitSignalled)
            return true;
    }
}

QKRESULT LMidiManager::OnIdle(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>&)
{
    RequestConnection();
    return QK_FALSE;
}

QKRESULT LMidiManager::ReleaseInternalReferences()
{
    m_receivingEnabled = false;
    {
        MutexLock lock(m_handlerLock);
        m_awaitingDump = false;
    }
    if (m_worker)
    {
        // The thread is joined here; its reference to this manager goes with it.
        m_checkingEnabled = false;
        AddInternalReferences(-1);
        m_worker = nullptr;
    }
    return LNotificationClient::ReleaseInternalReferences();
}

QKRESULT LMidiManager::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                           const ConstRCPtr<LNotification>& notification)
{
    if (!m_receivingEnabled)
        return QK_OK;
    MutexLock lock(m_handlerLock);
    return m_handlers ? m_handlers->Dispatch(source, notification) : QK_OK;
}

QKRESULT LMidiManager::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    {
        MutexLock lock(m_handlerLock);
        if (m_handlers)
            m_handlers->RemoveHandler(source, id);
        if (source.Get() == static_cast<const LNotificationDistributor*>(m_comm.Get()) &&
            id == GetNotificationId(kNidMidiDataCaptured))
            m_dumpHandlerRegistered = false;
    }
    return LNotificationClient::DetachFromDistributor(source, id);
}

std::uint32_t LMidiManager::Run(const ConstRCPtr<LRefCountedObject>&)
{
    m_passCount.fetch_add(1);
    if (m_connection.load() == Connection::Connecting && m_connectRequested.load())
    {
        Connect();
        m_connection = Connection::Connected;
        m_connected.SetGreen();
        NoteStartupPhase("midi-ready");
        // The idle passes have nothing more to start.
        const RCPtr<LNotificationCenter> centre = GetDefaultNotificationCenter();
        MutexLock lock(m_handlerLock);
        if (m_handlers->RemoveHandler(centre, kNidIdle))
            Unsubscribe(centre, kNidIdle);
    }
    // Decided under the pass lock: a pause waits for this pass, and a pass that starts
    // after a pause has begun sees it (pause requested, then checking disabled) and probes
    // nothing. A run woken by a set left over from before the pause finds it disabled too.
    MutexLock pass(m_passLock);
    if (m_checkingEnabled && !m_pauseRequested && m_checker)
    {
        m_checker->CheckInputDevices();
        m_checker->CheckOutputDevices();
    }
    return 0;
}

QKRESULT LMidiManager::PauseDeviceStatusChecker()
{
    if (!m_checkingEnabled)
        return QK_FALSE;
    m_worker->SetTimeout(kInfinite);
    m_pauseRequested = true;
    // Taking the pass lock is the checker's acknowledgement: the pass under way, if any, has
    // ended. Both flags change while it is held, so a pass that starts next sees them
    // either before the pause (pause requested) or after it (checking disabled), never
    // "enabled" from before and "not paused" from after.
    MutexLock pass(m_passLock);
    m_checkingEnabled = false;
    m_pauseRequested = false;
    return QK_OK;
}

QKRESULT LMidiManager::ResumeDeviceStatusChecker()
{
    if (m_checkingEnabled)
        return QK_FALSE;
    if (!m_worker)
        return QK_E_FAIL;
    m_checkingEnabled = true;
    m_worker->SetTimeout(kCheckIntervalMs);
    m_wakeEvent->Set();
    return QK_OK;
}

StringArray LMidiManager::GetDevicePortNames()
{
    StringArray names;
    names.Add(WString(u"Vedidu"));
    return names;
}

Array<signed char> LMidiManager::BuildGetPresetRequest(std::int32_t preset)
{
    return PresetSysEx::BuildGetPresetRequest(preset);
}

Array<signed char> LMidiManager::BuildSendPresetHeader(std::int32_t preset)
{
    return PresetSysEx::BuildSendPresetHeader(preset);
}

bool LMidiManager::IsDeviceReply(const Array<signed char>& bytes)
{
    return PresetSysEx::IsDeviceReply(bytes.GetBuffer(), bytes.GetCount());
}

QKRESULT LMidiManager::SendSysEx(const Array<signed char>& bytes, LMidiRenderPort* port)
{
    if (!port || !m_comm)
        return kPortsNotOpen;
    Array<signed char> message;
    const QKRESULT framed = PresetSysEx::FrameSysEx(bytes, message);
    if (Failed(framed))
        return framed;
    CheckerPause pause(*this);
    return m_comm->SendByteArray(port, message);
}

QKRESULT LMidiManager::SendPresetToDevice(std::int32_t preset)
{
    if (!AwaitConnection() || !m_outputPort || !ArePortsAlive())
        return kPortsNotOpen;
    const RCPtr<LRootModuleEngine> engine = GetEngine();
    if (!engine)
        return QK_E_FAIL;
    Array<ParamValue> current;
    engine->FillParamValues(m_firstParamId, m_paramCount, current, -1);
    Array<Variant> values;
    for (std::uint32_t i = 0; i < current.GetCount(); ++i)
        values.Add(current.GetAt(i)->value);

    Array<signed char> body;
    const QKRESULT built = PresetSysEx::BuildSendPresetBody(preset, values, body);
    if (built != QK_OK)
        return built;
    return SendSysEx(body, m_outputPort.Get());
}

QKRESULT LMidiManager::GetPresetFromMidiDevice(std::int32_t preset)
{
    if (!AreMidiPortsOpen() || !ArePortsAlive())
        return kPortsNotOpen;
    if (preset < 0 || preset > PresetSysEx::kLastPreset)
        return QK_E_INVALIDARG;

    CheckerPause pause(*this);
    const Array<signed char> request = BuildGetPresetRequest(preset);
    DumpWait wait(*this);
    const bool sent = SendSysEx(request, m_outputPort.Get()) >= 0;
    if (sent && !m_presetReplyLight.IsGreen())
        WaitForGreen(m_presetReplyLight, kReplyTimeoutMs);
    // A dump set into the model while the wait ran out is still a dump taken.
    if (wait.Finish(sent))
        return QK_OK;
    return sent ? kNoReply : kPortsNotOpen;
}

QKRESULT LMidiManager::OnPresetDumpCaptured(const ConstRCPtr<LNotificationDistributor>& source,
                                            const ConstRCPtr<LNotification>& notification)
{
    if (!notification || source.Get() != static_cast<const LNotificationDistributor*>(m_comm.Get()))
        return QK_FALSE;
    const auto capture = ConstRCPtr<LMidiCaptureNotificationData>::DynamicCast(notification->GetArgument());
    if (!capture)
        return QK_FALSE;

    MutexLock lock(m_handlerLock);
    if (!PresetSysEx::IsDeviceReply(capture->GetBytes(), capture->GetCount()))
        return QK_FALSE;
    // The controller answers in order: while an earlier get's answer is owed, this is it.
    if (m_lateAnswers.Arrived(LateAnswers::Clock::now()))
    {
        LogLateAnswerSetAside(m_awaitingDump);
        return QK_FALSE;
    }
    if (!m_awaitingDump || m_answerArrived)
        return QK_FALSE;
    m_answerArrived = true;
    Array<Variant> values;
    if (PresetSysEx::CutPresetDump(capture->GetBytes(), capture->GetCount(), values) == QK_OK &&
        values.GetCount() == m_paramCount && SetDumpValues(values))
        m_presetReplyLight.SetGreen();
    return QK_FALSE;
}

QKRESULT LMidiManager::RemoveDumpHandlerUnlessOwed()
{
    if (!m_dumpHandlerRegistered || m_lateAnswers.Owed(LateAnswers::Clock::now()) > 0)
        return QK_OK;
    m_dumpHandlerRegistered = false;
    const bool removed = m_handlers->RemoveHandler(m_comm, kNidMidiDataCaptured);
    const QKRESULT unsubscribed = Unsubscribe(m_comm, kNidMidiDataCaptured);
    return removed && !Failed(unsubscribed) ? QK_OK : QK_E_FAIL;
}

bool LMidiManager::SetDumpValues(const Array<Variant>& values)
{
    const RCPtr<LRootModuleEngine> engine = GetEngine();
    if (!engine)
        return false;
    const std::int32_t first = m_firstParamId;
    for (std::uint32_t i = 0; i < values.GetCount(); ++i)
        engine->SetParamValue(ParamDescriptor(first + static_cast<std::int32_t>(i)), *values.GetAt(i));
    return true;
}

QKRESULT LMidiManager::OnInputDeviceStatusChanged(const ConstRCPtr<LNotificationDistributor>&,
                                                  const ConstRCPtr<LNotification>& notification)
{
    if (!notification ||
        !ConstRCPtr<LMidiDeviceConnectionStatusChangedNotification>::DynamicCast(notification->GetArgument()))
        return QK_FALSE;
    CloseMidiPorts();
    OpenMidiPorts();
    return QK_FALSE;
}

QKRESULT LMidiManager::SendNonPresetParameterToDevice(const WString&, const Variant&)
{
    return AreMidiPortsOpen() ? QK_E_NOTIMPL : kPortsNotOpen;
}

QKRESULT LMidiManager::RequestNonPresetParameterFromDevice(const WString&, Variant&)
{
    return AreMidiPortsOpen() ? QK_E_NOTIMPL : QK_E_FAIL;
}

QKRESULT LMidiManager::SendMidiMessage(const Array<signed char>& bytes)
{
    if (!AwaitConnection())
        return kPortsNotOpen;
    const bool present = m_checker && m_checker->CheckOutputDevices();
    if (!present || !m_outputPort || !m_comm)
        return kPortsNotOpen;
    return m_comm->SendByteArray(m_outputPort.Get(), bytes);
}

bool LMidiManager::IsDeviceFirmwareVersionUseable()
{
    if (!AreMidiPortsOpen())
        return false;
    // Only an identity reply may answer this; no dump handler is registered, so a stray
    // dump cannot overwrite the model meanwhile.
    m_identityReplyLight.SetRed();
    if (SendIdentityRequest() < 0)
        return false;
    return WaitForGreen(m_identityReplyLight, kReplyTimeoutMs);
}

bool LMidiManager::AreMidiPortsOpen()
{
    return AwaitConnection() && ArePortsHeld();
}

bool LMidiManager::ArePortsHeld() const
{
    return m_inputPort && m_outputPort;
}

bool LMidiManager::ArePortsAlive()
{
    if (!ArePortsHeld())
        return false;
    if (m_inputPort->IsAlive() && m_outputPort->IsAlive())
        return true;
    // Their device or the MIDI system went: nothing sent through them would arrive. The
    // presence checker opens them again once the controller is back.
    CloseMidiPorts();
    return false;
}

QKRESULT LMidiManager::OpenMidiPorts()
{
    if (!AwaitConnection())
        return QK_E_FAIL;
    if (ArePortsHeld())
        return QK_FALSE;
    CheckerPause pause(*this);
    return OpenPorts();
}

QKRESULT LMidiManager::OpenPorts()
{
    if (ArePortsHeld())
        return QK_FALSE;
    if (!m_comm)
        return QK_E_FAIL;
    const StringArray names = GetDevicePortNames();
    for (std::uint32_t i = 0; i < names.GetCount(); ++i)
    {
        const WString& name = *names.GetAt(i);
        if (m_comm->OpenCapturePort(name, m_inputPort) == QK_OK && m_inputPort)
        {
            m_inputPortName = name;
            break;
        }
    }
    for (std::uint32_t i = 0; i < names.GetCount(); ++i)
    {
        const WString& name = *names.GetAt(i);
        if (m_comm->OpenRenderPort(name, m_outputPort) == QK_OK && m_outputPort)
        {
            m_outputPortName = name;
            break;
        }
    }
    return ArePortsHeld() ? QK_OK : QK_E_FAIL;
}

QKRESULT LMidiManager::CloseMidiPorts()
{
    // Nothing was opened before a connection was asked for, and closing is no reason to ask.
    if (m_connection.load() == Connection::Connecting && !m_connectRequested.load())
        return QK_OK;
    if (!AwaitConnection())
        return QK_OK;
    CheckerPause pause(*this);
    m_inputPort = nullptr;
    m_outputPort = nullptr;
    return QK_OK;
}

RCPtr<LMidiCommInterface> LMidiManager::GetMidiCommInterface() const
{
    return m_comm;
}

WString LMidiManager::GetInputPortName()
{
    return AreMidiPortsOpen() ? m_inputPortName : WString();
}

WString LMidiManager::GetOutputPortName()
{
    return AreMidiPortsOpen() ? m_outputPortName : WString();
}

std::uint32_t LMidiManager::SetParameterLayout(std::int32_t first, std::uint32_t count)
{
    m_firstParamId = first;
    m_paramCount = count;
    return count;
}

QKRESULT LMidiManager::SendIdentityRequest()
{
    if (!AwaitConnection())
        return kPortsNotOpen;
    return SendSysEx(PresetSysEx::BuildIdentityRequest(), m_outputPort.Get());
}

} // namespace QK
