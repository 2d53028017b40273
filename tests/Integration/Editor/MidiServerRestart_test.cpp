// The JACK server ending under the editor and coming back, in the real program: on a server of
// the test's own with the simulated controller, REC of favorite 3 works; the server is killed
// (as when it crashes): SEND then fails with the "not connected" box, though the ports were
// open; the server and the controller come back, and the editor finds them by itself: REC
// brings favorite 3 as the controller now holds it.
#include "tests/Integration/Editor/EndToEndFixture.h"

#include "Engine/PresetEditorCommon/MidiManager.h"
#include "QKFramework/Midi/ReconnectingMidiBackend.h"
#include "tests/support/Midi/EditorMidiNames.h"
#include "tests/support/Midi/PrivateJackServer.h"

#include <signal.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

Preset ChangedFavorite3()
{
    Preset preset = Favorite3();
    Put(preset, kProgramNameOffset, NameBytes("FAVORITE 3 AGAIN"));
    return preset;
}

class MidiServerRestartTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X server (scripts/test.sh starts Xvfb)";
        ASSERT_TRUE(m_server.Start()) << m_server.Log();
        m_backend = std::dynamic_pointer_cast<ReconnectingMidiBackend>(
            CreatePlatformMidiBackend({kEditorMidiClientName, "VEDIDU_MIDI_API"}));
        ASSERT_TRUE(m_backend);
        SetMidiBackend(m_backend);
    }

    // The back end goes while its server still runs: the clients of one that ended are never
    // closed.
    void TearDown() override
    {
        m_simulator.Stop();
        SetMidiBackend(nullptr);
        m_backend = nullptr;
        m_server.Stop();
    }

    ::testing::AssertionResult StartController(const Preset& favorite3)
    {
        SimulatedController controller;
        controller.SetPreset(3, favorite3);
        m_folder.WriteFile("simulator.state", controller.SaveState());
        if (!m_simulator.Start({"--state", m_folder / "simulator.state"}))
            return ::testing::AssertionFailure() << "cannot start " << SimulatorProcess::ExecutablePath();
        return ::testing::AssertionSuccess();
    }

    bool ServerLost()
    {
        const std::shared_ptr<IMidiBackend> current = m_backend->GetCurrent();
        return !current || current->IsSystemLost();
    }

    PrivateJackServer m_server;
    std::shared_ptr<ReconnectingMidiBackend> m_backend;
    TempFolder m_folder;
    SimulatorProcess m_simulator;
};

TEST_F(MidiServerRestartTest, SendFailsWhileTheServerIsGoneAndRecWorksOnceItIsBack)
{
    ASSERT_TRUE(StartController(Favorite3()));
    const Preset again = ChangedFavorite3();
    std::string sendBoxes;
    std::string lastBoxes;
    ByteBlock modelAtTheEnd;

    EditorDriver driver;
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            ASSERT_TRUE(d.Click("fav3/recButton"));
            ASSERT_TRUE(d.WaitUntil([&] { return !d.Boxes().empty(); })) << "no box after the first REC";
            ASSERT_TRUE(HasBox(d, u"Retrieve Favorite", u"The favorite has been successfully retrieved.", 0))
                << DescribeBoxes(d);
            d.ClearBoxes();

            ASSERT_TRUE(m_server.Stop(SIGKILL));
            m_simulator.Stop();
            ASSERT_TRUE(d.WaitUntil([&] { return ServerLost(); })) << "the editor did not hear the server end";
            ASSERT_TRUE(d.Click("fav3/sendButton"));
            ASSERT_TRUE(d.WaitUntil([&] { return !d.Boxes().empty(); })) << "no box after SEND";
            sendBoxes = DescribeBoxes(d);
            d.ClearBoxes();

            ASSERT_TRUE(m_server.Start()) << m_server.Log();
            ASSERT_TRUE(StartController(again));
            const RCPtr<LMidiManager> manager = d.Application().GetMidiManager();
            ASSERT_TRUE(manager);
            ASSERT_TRUE(d.WaitUntil([&] { return manager->AreMidiPortsOpen(); }, 20000))
                << "the server that came back was not found";
            ASSERT_TRUE(d.Click("fav3/recButton"));
            ASSERT_TRUE(d.WaitUntil([&] { return !d.Boxes().empty(); })) << "no box after the last REC";
            lastBoxes = DescribeBoxes(d);
            modelAtTheEnd = ModelImage(*d.Engine());
        });

    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    EXPECT_EQ(sendBoxes,
              "Send Favorite Error: Error connecting to device. Verify your Dozavod Professional Vedidu is connected "
              "to the computer and try again.\n");
    EXPECT_EQ(lastBoxes, "Retrieve Favorite: The favorite has been successfully retrieved.\n");
    EXPECT_EQ(modelAtTheEnd, ByteBlock(again.begin(), again.end()));
}

} // namespace
} // namespace QK
