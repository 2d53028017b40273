// The presence checker on the scripted back end: what a pass announces and when.
#include "QKFramework/Midi/MidiDeviceStatusChecker.h"

#include "QKFramework/Midi/MidiCapturePort.h"
#include "QKFramework/Midi/MidiRenderPort.h"

#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Notification/NotificationClient.h"
#include "tests/support/Midi/FakeMidiBackend.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// Keeps the status notifications delivered from the default centre, as "in 0", "out 1", ...
class StatusRecorder : public LNotificationClient
{
public:
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>&,
                                 const ConstRCPtr<LNotification>& notification) override
    {
        const auto status = ConstRCPtr<LMidiDeviceConnectionStatusChangedNotification>::DynamicCast(
            notification->GetArgument());
        if (!status)
            return QK_OK;
        const bool input =
            notification->GetId() == GetNotificationId(kNidMidiInputDeviceConnectionStatusChanged);
        seen.push_back(std::string(input ? "in " : "out ") +
                       NString(status->GetDeviceName().GetString()).GetString() + " " +
                       std::to_string(status->GetStatus()));
        return QK_OK;
    }

    std::vector<std::string> seen;
};

class MidiDeviceStatusCheckerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetMidiBackend(m_backend);
        m_comm = LMidiCommInterface::Create();
        m_centre = GetDefaultNotificationCenter();
        m_centre->Flush();
        m_recorder = RCPtr<StatusRecorder>(new StatusRecorder());
        m_recorder->Subscribe(m_centre, kNidMidiInputDeviceConnectionStatusChanged);
        m_recorder->Subscribe(m_centre, kNidMidiOutputDeviceConnectionStatusChanged);
    }

    void TearDown() override
    {
        m_recorder->UnsubscribeAll();
        m_centre->Flush();
        m_comm = nullptr;
        SetMidiBackend(nullptr);
    }

    std::vector<std::string> Drain()
    {
        m_recorder->seen.clear();
        m_centre->DispatchNotifications(false);
        return m_recorder->seen;
    }

    static StringArray Names(const char16_t* name)
    {
        StringArray names;
        names.Add(WString(name));
        return names;
    }

    const std::shared_ptr<FakeMidiBackend> m_backend = std::make_shared<FakeMidiBackend>();
    RCPtr<LMidiCommInterface> m_comm;
    RCPtr<LNotificationCenter> m_centre;
    RCPtr<StatusRecorder> m_recorder;
};

TEST_F(MidiDeviceStatusCheckerTest, OnlyChangesOfPresenceAreAnnounced)
{
    auto in = m_backend->AddDevice(MidiDirection::Input, "Vedidu");
    auto out = m_backend->AddDevice(MidiDirection::Output, "Vedidu");
    const RCPtr<LMidiDeviceStatusChecker> checker = LMidiDeviceStatusChecker::Create(m_comm);
    checker->SetInputDevices(Names(u"Vedidu"));
    checker->SetOutputDevices(Names(u"Vedidu"));

    // Present from the start: nothing to announce, and the probes closed what they opened.
    EXPECT_TRUE(checker->CheckInputDevices());
    EXPECT_TRUE(checker->CheckOutputDevices());
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(m_backend->GetOpenConnectionCount(in), 0);
    EXPECT_EQ(m_backend->GetOpenConnectionCount(out), 0);

    m_backend->RemoveDevice(in);
    m_backend->RemoveDevice(out);
    EXPECT_FALSE(checker->CheckInputDevices());
    EXPECT_FALSE(checker->CheckOutputDevices());
    EXPECT_EQ(Drain(), (std::vector<std::string>{"in Vedidu 1", "out Vedidu 1"}));
    EXPECT_FALSE(checker->CheckInputDevices());
    EXPECT_TRUE(Drain().empty());

    in = m_backend->AddDevice(MidiDirection::Input, "Vedidu");
    EXPECT_TRUE(checker->CheckInputDevices());
    EXPECT_FALSE(checker->CheckOutputDevices());
    out = m_backend->AddDevice(MidiDirection::Output, "Vedidu");
    EXPECT_TRUE(checker->CheckOutputDevices());
    EXPECT_EQ(Drain(), (std::vector<std::string>{"in Vedidu 0", "out Vedidu 0"}));
}

// With the controller's ports held elsewhere (as the MIDI manager holds them), a pass
// lists each direction once, and a held port whose device went and came back between
// two passes is found dead by that one listing and opened again on the new device.
TEST_F(MidiDeviceStatusCheckerTest, APassListsEachDirectionOnceAlsoForHeldPorts)
{
    auto in = m_backend->AddDevice(MidiDirection::Input, "Vedidu");
    auto out = m_backend->AddDevice(MidiDirection::Output, "Vedidu");
    RCPtr<LMidiCapturePort> heldInput;
    RCPtr<LMidiRenderPort> heldOutput;
    ASSERT_EQ(m_comm->OpenCapturePort(WString(u"Vedidu"), heldInput), QK_OK);
    ASSERT_EQ(m_comm->OpenRenderPort(WString(u"Vedidu"), heldOutput), QK_OK);
    const RCPtr<LMidiDeviceStatusChecker> checker = LMidiDeviceStatusChecker::Create(m_comm);
    checker->SetInputDevices(Names(u"Vedidu"));
    checker->SetOutputDevices(Names(u"Vedidu"));

    const auto listingsOfOnePass = [&]
    {
        const int before = m_backend->GetListCount();
        checker->CheckInputDevices();
        checker->CheckOutputDevices();
        return m_backend->GetListCount() - before;
    };
    EXPECT_EQ(listingsOfOnePass(), 2);
    EXPECT_EQ(listingsOfOnePass(), 2);

    m_backend->RemoveDevice(in);
    m_backend->RemoveDevice(out);
    in = m_backend->AddDevice(MidiDirection::Input, "Vedidu");
    out = m_backend->AddDevice(MidiDirection::Output, "Vedidu");
    EXPECT_EQ(listingsOfOnePass(), 2);
    EXPECT_EQ(m_backend->GetOpenConnectionCount(in), 1);
    EXPECT_EQ(m_backend->GetOpenConnectionCount(out), 1);
    EXPECT_TRUE(m_backend->IsStarted(in));
    EXPECT_TRUE(Drain().empty());

    m_backend->RemoveDevice(in);
    EXPECT_EQ(listingsOfOnePass(), 2);
    EXPECT_EQ(Drain(), (std::vector<std::string>{"in Vedidu 1"}));
}

TEST_F(MidiDeviceStatusCheckerTest, AbsentAtStartAndEmptyListsBehave)
{
    const RCPtr<LMidiDeviceStatusChecker> checker = LMidiDeviceStatusChecker::Create(m_comm);
    EXPECT_TRUE(checker->CheckInputDevices());
    EXPECT_TRUE(checker->CheckOutputDevices());

    checker->SetInputDevices(Names(u"Vedidu"));
    EXPECT_FALSE(checker->CheckInputDevices());
    EXPECT_TRUE(Drain().empty());
    m_backend->AddDevice(MidiDirection::Input, "Vedidu");
    EXPECT_TRUE(checker->CheckInputDevices());
    EXPECT_EQ(Drain(), (std::vector<std::string>{"in Vedidu 0"}));
}

} // namespace
} // namespace QK
