// FakeMidiBackend: a scripted MIDI back end for unit tests of the layers above it.
//
// A test adds and removes devices, delivers input to the open connections of a device,
// reads back what was sent and scripts failures. Connections keep the contract of
// IMidiBackend: an input delivers only between Start and Stop, Stop waits for a delivery
// in progress, a removed device's connections are no longer alive (also when a device of
// the same name is added again) and their sends fail with kMidiError, and sends copy the
// bytes.
//
// Deliveries run on the thread that calls Deliver*, which stands for the MIDI system's
// thread. A responder, when set, is called on the sending thread after each recorded send,
// with no lock held, so it may deliver a reply at once. Every operation may be called on
// any thread.
#pragma once

#include "QKFramework/Midi/MidiBackend.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace QK::TestSupport
{

class FakeMidiBackend final : public IMidiBackend
{
public:
    using DeviceId = int;

    struct SentMessage
    {
        DeviceId device = 0;
        std::string deviceName;
        bool isLong = false;
        std::vector<std::uint8_t> bytes; // a short message as many bytes as its status needs
    };

    using Responder = std::function<void(const SentMessage&)>;
    using ListHook = std::function<void(MidiDirection)>;

    FakeMidiBackend();
    ~FakeMidiBackend() override;

    // ---- Devices
    // Appends a device to the list of its direction; ids are never reused.
    DeviceId AddDevice(MidiDirection direction, const std::string& name);
    // Takes a device out of its list, as an unplug does; false for an unknown id.
    bool RemoveDevice(DeviceId device);
    // Later opens of the device answer result without opening (kMidiOk: open again).
    void SetOpenResult(DeviceId device, QKRESULT result);
    // Later sends to the device answer result without being recorded (kMidiOk: send again).
    void SetSendResult(DeviceId device, QKRESULT result);
    // The MIDI system ends, as a JACK server does: from now on every connection is dead and
    // its sends fail, while listings go on showing the devices it had; IsSystemLost answers
    // true.
    void LoseSystem();

    // ---- Input, delivered to every started connection of the device
    // True when at least one connection took it.
    bool DeliverShort(DeviceId device, std::uint32_t message, std::uint32_t timeMs);
    bool DeliverSysExChunk(DeviceId device, const std::vector<std::uint8_t>& bytes, bool complete);
    // A whole message, cut as the platform back end cuts it (DeliverMidiMessage).
    bool DeliverMessage(DeviceId device, const std::vector<std::uint8_t>& message, std::uint32_t timeMs = 0);

    // ---- Output
    std::vector<SentMessage> GetSent() const;
    void ClearSent();
    void SetResponder(Responder responder);
    // Called at the start of every ListDevices (every presence probe lists), on the listing
    // thread with no lock held; it may block to make a listing take time.
    void SetListHook(ListHook hook);

    // ---- What the layers above did
    int GetListCount() const;                   // ListDevices calls so far
    int GetOpenCount(DeviceId device) const;    // successful opens so far
    int GetOpenConnectionCount(DeviceId device) const;
    bool IsStarted(DeviceId device) const;      // an open connection of the device is started

    // IMidiBackend
    std::vector<std::string> ListDevices(MidiDirection direction) override;
    QKRESULT OpenInput(std::size_t index, IMidiInputSink& sink,
                       std::unique_ptr<IMidiInputConnection>& connection) override;
    QKRESULT OpenOutput(std::size_t index, std::unique_ptr<IMidiOutputConnection>& connection) override;
    bool IsSystemLost() override;

    struct Core; // shared with the connections, which may outlive the back end

private:
    std::shared_ptr<Core> m_core;
};

} // namespace QK::TestSupport
