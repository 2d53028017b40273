// The MIDI system as it comes and goes, over scripted back ends and a clock of the test's own:
// none at first, then one that starts later; one that ends (as a JACK server does) and
// another in its place; and how often the system is looked for meanwhile.
#include "QKFramework/Midi/ReconnectingMidiBackend.h"

#include "tests/support/Midi/FakeMidiBackend.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using TestSupport::FakeMidiBackend;
using Clock = ReconnectingMidiBackend::Clock;
using Names = std::vector<std::string>;

class NullSink final : public IMidiInputSink
{
public:
    void OnMidiShortMessage(std::uint32_t, std::uint32_t) override {}
    void OnMidiSysExChunk(const std::uint8_t*, std::size_t, bool) override {}
};

// A MIDI system that the test starts and ends: each start is a new back end with the
// controller's two ports.
class System
{
public:
    std::shared_ptr<IMidiBackend> Reach()
    {
        ++tries;
        return running ? running : nullptr;
    }

    void Start()
    {
        running = std::make_shared<FakeMidiBackend>();
        running->AddDevice(MidiDirection::Input, "Vedidu");
        running->AddDevice(MidiDirection::Output, "Vedidu");
    }

    void End()
    {
        running->LoseSystem();
        running = nullptr;
    }

    std::shared_ptr<FakeMidiBackend> running;
    int tries = 0;
};

class ReconnectingMidiBackendTest : public ::testing::Test
{
protected:
    void Advance(std::chrono::milliseconds step) { m_now += step; }

    System m_system;
    Clock::time_point m_now = Clock::time_point{} + std::chrono::hours(1);
    ReconnectingMidiBackend m_backend{[this] { return m_system.Reach(); }, [this] { return m_now; }};
};

TEST_F(ReconnectingMidiBackendTest, ASystemStartedLaterIsFoundAtTheNextTryAndTriesArePaced)
{
    EXPECT_EQ(m_backend.ListDevices(MidiDirection::Input), Names{});
    EXPECT_EQ(m_system.tries, 1);
    std::unique_ptr<IMidiOutputConnection> output;
    EXPECT_EQ(m_backend.OpenOutput(0, output), kMidiNotFound);
    EXPECT_FALSE(output);

    // Listings in quick succession, as the presence checker's passes, do not try each time.
    for (int pass = 0; pass < 5; ++pass)
    {
        Advance(std::chrono::milliseconds(500));
        EXPECT_EQ(m_backend.ListDevices(MidiDirection::Output), Names{});
    }
    EXPECT_EQ(m_system.tries, 1);

    m_system.Start();
    Advance(ReconnectingMidiBackend::kRetryInterval - std::chrono::milliseconds(2500));
    EXPECT_EQ(m_backend.ListDevices(MidiDirection::Input), Names{"Vedidu"});
    EXPECT_EQ(m_system.tries, 2);
    EXPECT_EQ(m_backend.OpenOutput(0, output), kMidiOk);
    EXPECT_TRUE(output && output->IsAlive());

    // Once reached, the system is not looked for again.
    Advance(std::chrono::hours(1));
    EXPECT_EQ(m_backend.ListDevices(MidiDirection::Output), Names{"Vedidu"});
    EXPECT_EQ(m_system.tries, 2);
}

TEST_F(ReconnectingMidiBackendTest, ASystemThatEndsIsLeftItsConnectionsDieAndTheNextOneIsFound)
{
    m_system.Start();
    ASSERT_EQ(m_backend.ListDevices(MidiDirection::Input), Names{"Vedidu"});
    NullSink sink;
    std::unique_ptr<IMidiInputConnection> input;
    std::unique_ptr<IMidiOutputConnection> output;
    ASSERT_EQ(m_backend.OpenInput(0, sink, input), kMidiOk);
    ASSERT_EQ(m_backend.OpenOutput(0, output), kMidiOk);
    const std::uint8_t noteOn[] = {0x90, 0x3C, 0x7F};
    ASSERT_EQ(output->SendLong(noteOn, sizeof noteOn), kMidiOk);

    m_system.End();
    EXPECT_FALSE(input->IsAlive());
    EXPECT_FALSE(output->IsAlive());
    EXPECT_EQ(output->SendLong(noteOn, sizeof noteOn), kMidiError);
    // The ended system's stale devices are not listed: it is left.
    Advance(std::chrono::milliseconds(500));
    EXPECT_EQ(m_backend.ListDevices(MidiDirection::Input), Names{});
    EXPECT_EQ(m_backend.OpenOutput(0, output), kMidiNotFound);

    m_system.Start();
    Advance(std::chrono::milliseconds(500));
    EXPECT_EQ(m_backend.ListDevices(MidiDirection::Input), Names{}) << "tried again too soon";
    Advance(ReconnectingMidiBackend::kRetryInterval);
    EXPECT_EQ(m_backend.ListDevices(MidiDirection::Input), Names{"Vedidu"});
    EXPECT_EQ(m_system.tries, 2);
    ASSERT_EQ(m_backend.OpenOutput(0, output), kMidiOk);
    EXPECT_EQ(output->SendLong(noteOn, sizeof noteOn), kMidiOk);
    EXPECT_EQ(m_system.running->GetSent().size(), 1u);
}

} // namespace
} // namespace QK
