// LMidiManager: gets presets from the controller and sends presets and other messages to it
// over MIDI, and follows the controller being unplugged and plugged in.
//
// It owns the MIDI transport, the controller's input and output port while they are open,
// a presence checker for the controller's ports and the worker thread that runs the
// checker. Values are read from and set into the model through the application's root
// module engine (GetRootModuleEngine).
//
// Threads:
//  - Every operation is called on the UI thread.
//  - Made to connect in the background, the manager reaches the MIDI system (lists the
//    devices, opens the ports) on the worker thread, once the first idle pass or an
//    operation asks for it; operations that need the ports wait for that first.
//  - The worker thread runs one input and one output presence pass every 500 ms while
//    checking is enabled (ResumeDeviceStatusChecker; the application enables it once the
//    manager is made) and waits without a time-out while it is not. Every SysEx send
//    pauses it first and resumes it afterwards, so that no presence test opens a port
//    while a message is in flight; the pause waits only for a pass under way to end.
//  - OnPresetDumpCaptured runs on the transport's capture worker while a get waits for
//    its reply, or while an earlier get's late answer is owed; the preset-reply light is
//    the hand-over to the waiting get.
//  - OnInputDeviceStatusChanged runs on the UI thread when the default notification
//    centre is drained, and closes and reopens the ports.
#pragma once

#include "Engine/PresetEditorCommon/LateAnswers.h"
#include "QKFramework/Midi/MidiCapturePort.h"
#include "QKFramework/Midi/MidiCommInterface.h"
#include "QKFramework/Midi/MidiDeviceStatusChecker.h"
#include "QKFramework/Midi/MidiRenderPort.h"
#include "QKFramework/Notification/NotificationClient.h"
#include "QKFramework/Notification/NotificationDistributor.h"
#include "QKFramework/Notification/NotificationHandler.h"
#include "QKFramework/Threads/LEvent.h"
#include "QKFramework/Threads/LEventGatedThreader.h"
#include "QKFramework/Threads/LThreadWorker.h"
#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Threads/TrafficLight.h"
#include "QKFramework/Utilities/Storage/Array.h"
#include "QKFramework/Utilities/Storage/StringArray.h"
#include "QKFramework/Utilities/Storage/StringT.h"
#include "QKFramework/Utilities/Storage/Variant.h"

#include <atomic>
#include <cstdint>
#include <functional>

namespace QK
{

class LMidiManager : public LNotificationClient, public LNotificationDistributor, public LThreadWorker
{
public:
    // How long a get waits for the preset dump, and an identity request for its reply.
    static constexpr std::uint32_t kReplyTimeoutMs = 1000;
    // The presence checker's period while checking is enabled.
    static constexpr std::uint32_t kCheckIntervalMs = 500;

    // How long an operation waits for a connection made in the background: on the UI
    // thread, so briefly. Past it the operation answers as without the controller, and the
    // connection goes on being made.
    static constexpr std::uint32_t kConnectTimeoutMs = 2000;
    // While an operation waits, how often it asks whether anyone still wants the answer.
    static constexpr std::uint32_t kGiveUpCheckMs = 50;

    enum class StartMode
    {
        // Create reaches the MIDI system itself and returns with the ports open when the
        // controller is there.
        ConnectNow,
        // Create returns at once; the worker thread reaches the MIDI system once the first
        // idle pass of the UI thread (the default notification centre's "NID_IDLE") or an
        // operation that needs the ports asks for it. Such an operation waits for it (up to
        // kConnectTimeoutMs; past that it answers as without the controller).
        ConnectInBackground,
    };

    // A manager, initialised.
    static RCPtr<LMidiManager> Create(StartMode mode = StartMode::ConnectNow);

    // Sends the model's 79 values to preset 0 (RAM) to 8 (favorites). 224 (the bytes sent);
    // -1 when the ports are not open or have gone with their device or MIDI system (they are
    // closed then); 0x80070057 for a preset outside 0 to 8 or values that do not fit the
    // parameter table (nothing is sent then); 0x80004001 or 0x80004005 for a value that is
    // not a byte block; 0x80004005 when the send fails.
    virtual QKRESULT SendPresetToDevice(std::int32_t preset);
    // Asks the controller for preset 0 to 8 and sets its 79 values into the model. Its answer
    // is told by order, whatever the dump's bytes 4 to 7 hold: the first dump to arrive once
    // the late answers to earlier gets that timed out have come (LateAnswers). 0 when that
    // dump was taken; -1 when the ports are not open (or have gone, as for a send) or the
    // request could not be sent; -3 when no usable answer came within 1000 ms (the model is
    // then unchanged); 0x80070057 for a preset outside 0 to 8. Asks once, never again.
    virtual QKRESULT GetPresetFromMidiDevice(std::int32_t preset);
    // What these should send is not settled: -1 (0x80004005 for the request) when the ports
    // are not open, else 0x80004001 (not implemented); nothing is sent.
    virtual QKRESULT SendNonPresetParameterToDevice(const WString& name, const Variant& value);
    virtual QKRESULT RequestNonPresetParameterFromDevice(const WString& name, Variant& value);
    // Runs one output presence pass and, when the controller's output is there, sends bytes
    // unchanged through the output port (the key curve): the transport's send result, else -1.
    virtual QKRESULT SendMidiMessage(const Array<signed char>& bytes);
    // Tells the manager how to learn that nobody wants an answer any more (the program is
    // ending): a get, send or identity request that waits for the connection or a reply then
    // gives up within kGiveUpCheckMs, as if the wait had run out. Called on the UI thread
    // before the first operation; an empty check means every wait runs its full course.
    void SetGiveUpCheck(std::function<bool()> shouldGiveUp);
    // Called by Create; connects as the start mode says.
    virtual QKRESULT Initialize();
    // Sends the identity request and waits up to 1000 ms for an identity reply; false
    // when the ports are not open or no reply was recognised (none is, as yet).
    virtual bool IsDeviceFirmwareVersionUseable();
    // Both ports held (once a connection made in the background is there).
    virtual bool AreMidiPortsOpen();
    // 1 when both ports were open already, 0 when both are open afterwards, else 0x80004005.
    virtual QKRESULT OpenMidiPorts();
    // Lets go of both ports (they close unless someone else holds them). 0.
    virtual QKRESULT CloseMidiPorts();
    virtual RCPtr<LMidiCommInterface> GetMidiCommInterface() const;
    // The names the ports were opened under; empty while the ports are not open.
    virtual WString GetInputPortName();
    virtual WString GetOutputPortName();
    // The ids of the model's values: first to first + count - 1. Answers count.
    virtual std::uint32_t SetParameterLayout(std::int32_t first, std::uint32_t count);
    // F0 7E 7F 06 01 F7 through SendSysEx.
    virtual QKRESULT SendIdentityRequest();

    // Frames bytes as a SysEx message (F0 and F7 added where missing) and sends it through
    // port with the checker paused: the bytes sent; -1 without a port; 0x80004005 for a lone
    // F0 or F7 or a failed send; 0x80070057 for no bytes.
    QKRESULT SendSysEx(const Array<signed char>& bytes, LMidiRenderPort* port);
    // 1 when checking is not enabled; else stops the checker between passes (waiting for
    // a pass in progress to end, and for nothing else), disables checking and answers 0.
    // Until checking is resumed, no pass probes anything.
    QKRESULT PauseDeviceStatusChecker();
    // 1 when checking is enabled already; else enables it, starts a pass at once and
    // answers 0.
    QKRESULT ResumeDeviceStatusChecker();
    bool IsDeviceStatusCheckerEnabled() const noexcept { return m_checkingEnabled.load(); }

    // The names of the controller's ports: "Vedidu", for input and output alike.
    static StringArray GetDevicePortNames();
    static Array<signed char> BuildGetPresetRequest(std::int32_t preset);
    static Array<signed char> BuildSendPresetHeader(std::int32_t preset);
    static bool IsDeviceReply(const Array<signed char>& bytes);

    // Counts a dump off against an earlier get's late answer, or sets it into the model when
    // it is the answer a get waits for. On the capture worker. 1.
    QKRESULT OnPresetDumpCaptured(const ConstRCPtr<LNotificationDistributor>& source,
                                  const ConstRCPtr<LNotification>& notification);
    // The controller's input came or went: the ports are closed and opened again. 1.
    QKRESULT OnInputDeviceStatusChanged(const ConstRCPtr<LNotificationDistributor>& source,
                                        const ConstRCPtr<LNotification>& notification);

    // Hands notifications to the handler table while receiving is enabled.
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;
    // One run of the worker: a presence pass over inputs and outputs unless a pause is
    // asked for. On the worker thread. 0.
    std::uint32_t Run(const ConstRCPtr<LRefCountedObject>& params) override;
    // Stops receiving, leaves every distributor and ends the worker thread.
    QKRESULT ReleaseInternalReferences() override;

    ~LMidiManager() override;

protected:
    LMidiManager();

private:
    class CheckerPause;
    class DumpWait;

    enum class Connection
    {
        NotStarted, // never initialised: nothing to wait for, no ports
        Connecting,
        Connected,
    };

    // The first contact with the MIDI system: the checker's watch lists and the ports.
    void Connect();
    // Asks the worker for a connection in the background (once).
    void RequestConnection();
    // Asks for a connection in the background and waits for it; false when it is not there
    // within the time-out.
    bool AwaitConnection();
    // The first idle pass asks for the connection. On the UI thread.
    QKRESULT OnIdle(const ConstRCPtr<LNotificationDistributor>& source,
                    const ConstRCPtr<LNotification>& notification);
    bool ArePortsHeld() const;
    // Both ports held and alive; ports held whose device or MIDI system has gone are closed.
    bool ArePortsAlive();
    // OpenMidiPorts without waiting for the connection or pausing the checker.
    QKRESULT OpenPorts();
    // Sets a dump's values into the model; false without an engine. Under the handler lock.
    bool SetDumpValues(const Array<Variant>& values);
    // Removes the dump handler when it is registered and no answer is owed. Under the
    // handler lock.
    QKRESULT RemoveDumpHandlerUnlessOwed();
    // Waits up to timeoutMs for the light to turn green; false when it did not, or when the
    // give-up check said to stop waiting first.
    bool WaitForGreen(const TrafficLight& light, std::uint32_t timeoutMs) const;

    RCPtr<LNotificationHandler<LMidiManager>> m_handlers;
    RCPtr<LMidiCommInterface> m_comm;
    TrafficLight m_presetReplyLight;
    TrafficLight m_nonPresetReplyLight;
    TrafficLight m_identityReplyLight;
    RCPtr<LMidiRenderPort> m_outputPort;
    RCPtr<LMidiCapturePort> m_inputPort;
    WString m_inputPortName;
    WString m_outputPortName;
    RCPtr<LMidiDeviceStatusChecker> m_checker;
    RCPtr<LEventGatedThreader> m_worker;
    ConstRCPtr<LEvent> m_wakeEvent;
    std::atomic<bool> m_checkingEnabled{false};
    std::atomic<bool> m_pauseRequested{false};
    std::atomic<std::uint32_t> m_passCount{0};
    // Held by the worker through each presence pass; a pause takes it to know that the
    // pass under way has ended.
    Mutex m_passLock;
    std::atomic<bool> m_receivingEnabled{false};
    std::atomic<std::int32_t> m_firstParamId{0};
    std::atomic<std::uint32_t> m_paramCount{0};
    bool m_connectInBackground = false;
    std::atomic<Connection> m_connection{Connection::NotStarted};
    std::atomic<bool> m_connectRequested{false};
    // Green once a connection made in the background is there.
    TrafficLight m_connected;
    std::function<bool()> m_shouldGiveUp;

    // Guards the handler table and, with it, whether a dump is awaited and which dump
    // answers: a dump is set into the model only while a get waits for it and no earlier
    // answer is owed, and the get learns the outcome under it.
    Mutex m_handlerLock;
    bool m_dumpHandlerRegistered = false;
    bool m_awaitingDump = false;
    // The waiting get's answer has come (usable or not): any dump after it is not its own.
    bool m_answerArrived = false;
    LateAnswers m_lateAnswers;
};

} // namespace QK
