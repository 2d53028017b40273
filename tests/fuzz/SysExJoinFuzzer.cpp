// libFuzzer target for the capture port's joining of SysEx pieces: the input is a sequence
// of pieces, each a header byte (bit 7: the complete flag; bits 0-6: the length - 1, where
// 7F takes the length - 1 from the next byte, so 1 to 256) and its bytes. The pieces reach a
// real capture port through the scripted back end; every message the subscribers receive
// must be what the joining rule gives (pieces up to a complete one joined; a complete piece
// on its own kept only when it begins with F0), in order, and each one is also cut as a
// preset dump would be.
//
// Inputs longer than kMaxInput bytes are skipped: the joining has nothing more to show in
// them, and every message of an input crosses to the capture worker and back. (That a
// message longer than a port keeps is dropped whole is the MIDI tests' to show: it takes
// 64 KiB of pieces.)
#include "QKFramework/Midi/MidiCaptureNotificationData.h"
#include "QKFramework/Midi/MidiCapturePort.h"
#include "QKFramework/Midi/MidiComm.h"
#include "QKFramework/Midi/MidiCommInterface.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationClient.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/PresetDumpCheck.h"
#include "tests/support/Midi/FakeMidiBackend.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace
{

using Bytes = std::vector<std::uint8_t>;

// A timing clock, sent after each input's pieces: the capture worker delivers in order, so
// once it arrives every message of the input has.
constexpr std::uint8_t kMarker = 0xF8;

constexpr std::size_t kMaxInput = 1024;

// Keeps what the capture worker delivers.
class Recorder final : public QK::LNotificationClient
{
public:
    QK::QKRESULT ReceiveNotification(const QK::ConstRCPtr<QK::LNotificationDistributor>&,
                                     const QK::ConstRCPtr<QK::LNotification>& notification) override
    {
        const auto capture =
            QK::ConstRCPtr<QK::LMidiCaptureNotificationData>::DynamicCast(notification->GetArgument());
        FUZZ_CHECK(capture);
        VediduFuzz::CheckPresetDump(capture->GetBytes(), capture->GetCount());
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(capture->GetBytes());
        const std::lock_guard lock(m_mutex);
        if (capture->GetCount() == 1 && bytes[0] == kMarker)
            m_markerSeen = true;
        else
            m_messages.emplace_back(bytes, bytes + capture->GetCount());
        m_changed.notify_all();
        return QK::QK_OK;
    }

    // The messages up to the marker. A marker that never comes is a lost message.
    std::vector<Bytes> TakeUpToMarker()
    {
        std::unique_lock lock(m_mutex);
        FUZZ_CHECK(m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return m_markerSeen; }));
        m_markerSeen = false;
        return std::move(m_messages);
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Bytes> m_messages;
    bool m_markerSeen = false;
};

// One capture port on the scripted back end, for the whole run.
struct Rig
{
    Rig()
    {
        QK::SetMidiBackend(backend);
        device = backend->AddDevice(QK::MidiDirection::Input, "Vedidu");
        comm = QK::LMidiCommInterface::Create();
        transport = dynamic_cast<const QK::LMidiComm*>(comm.Get());
        FUZZ_CHECK(transport);
        FUZZ_CHECK(recorder->Subscribe(comm, QK::kNidMidiDataCaptured) != 0u);
        FUZZ_CHECK(comm->OpenCapturePort(QK::WString(u"Vedidu"), port) == QK::QK_OK);
    }

    std::shared_ptr<QK::TestSupport::FakeMidiBackend> backend =
        std::make_shared<QK::TestSupport::FakeMidiBackend>();
    QK::TestSupport::FakeMidiBackend::DeviceId device = 0;
    QK::RCPtr<QK::LMidiCommInterface> comm;
    const QK::LMidiComm* transport = nullptr;
    QK::RCPtr<Recorder> recorder{new Recorder};
    QK::RCPtr<QK::LMidiCapturePort> port;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Lives to the end of the process, so no delivery outlasts what it reaches.
    static Rig& rig = *new Rig;

    if (size > kMaxInput)
        return 0;

    std::vector<Bytes> expected;
    std::optional<Bytes> joining;
    const auto feed = [&](const Bytes& piece, bool complete)
    {
        // The transport drops what comes faster than its worker delivers, past a bound (the
        // end marker is a short message); the joining is what is checked here.
        while (rig.transport->GetQueuedCaptureCount() + 2 >= QK::LMidiComm::kMaxQueuedShortMessages)
            std::this_thread::yield();
        FUZZ_CHECK(rig.backend->DeliverSysExChunk(rig.device, piece, complete));
        if (!complete)
        {
            if (!joining)
                joining.emplace();
            joining->insert(joining->end(), piece.begin(), piece.end());
        }
        else if (joining)
        {
            joining->insert(joining->end(), piece.begin(), piece.end());
            expected.push_back(std::move(*joining));
            joining.reset();
        }
        else if (piece[0] == 0xF0)
        {
            expected.push_back(piece);
        }
    };

    std::size_t at = 0;
    while (at < size)
    {
        const std::uint8_t header = data[at++];
        std::size_t length = (header & 0x7Fu) + 1;
        if ((header & 0x7Fu) == 0x7Fu && at < size)
            length = std::size_t{data[at++]} + 1;
        if (length > size - at)
            length = size - at;
        if (length == 0)
            break;
        feed(Bytes(data + at, data + at + length), (header & 0x80u) != 0);
        at += length;
    }
    // Ends a message still being joined, so that the next input starts afresh.
    feed(Bytes{0xF7}, true);
    FUZZ_CHECK(rig.backend->DeliverShort(rig.device, kMarker, 0));

    FUZZ_CHECK(rig.recorder->TakeUpToMarker() == expected);
    return 0;
}
