#include "QKFramework/Midi/MidiBackend.h"
#include "QKFramework/Platform/Midi/RtMidiBackend.h"

#include "tests/support/Midi/RecordingMidiSink.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

TEST(PlatformMidiBackendTest, WithoutAnyMidiSystemThereAreNoDevices)
{
    // JACK asked for, and a server name that nobody serves: there is no ALSA sequencer on
    // this path either.
    ScopedEnvironment api("QK_TEST_MIDI_API", "jack");
    ScopedEnvironment server("JACK_DEFAULT_SERVER", "qk-nobody-serves-this");
    const std::shared_ptr<IMidiBackend> backend = CreatePlatformMidiBackend({"QK MIDI Test", "QK_TEST_MIDI_API"});
    ASSERT_TRUE(backend);
    EXPECT_TRUE(backend->ListDevices(MidiDirection::Input).empty());
    EXPECT_TRUE(backend->ListDevices(MidiDirection::Output).empty());

    RecordingMidiSink sink;
    std::unique_ptr<IMidiInputConnection> input;
    std::unique_ptr<IMidiOutputConnection> output;
    EXPECT_EQ(backend->OpenInput(0, sink, input), kMidiNotFound);
    EXPECT_EQ(backend->OpenOutput(0, output), kMidiNotFound);
    EXPECT_FALSE(input);
    EXPECT_FALSE(output);
}

// libjack copies the server name into a fixed buffer without a check: a longer name would
// overrun its stack. Such a name never reaches libjack; the program goes on as without a MIDI
// system and says why, once. A name at the limit is libjack's to answer.
TEST(PlatformMidiBackendTest, AJackServerNameLongerThanLibjackTakesNeverReachesIt)
{
    const std::string without =
        "QK MIDI Test: no MIDI system (no ALSA sequencer, no JACK server); the controller cannot be reached\n";
    const std::string tooLong =
        "QK MIDI Test: no MIDI system (no ALSA sequencer; the JACK server name in JACK_DEFAULT_SERVER is longer "
        "than the 256 characters JACK takes); the controller cannot be reached\n";
    struct Case
    {
        std::size_t length;
        const std::string& said;
    };
    const Case cases[] = {{256, without}, {257, tooLong}, {300, tooLong}, {100000, tooLong}};
    ScopedEnvironment api("QK_TEST_MIDI_API", "jack");
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.length);
        ScopedEnvironment server("JACK_DEFAULT_SERVER", std::string(c.length, 'q').c_str());
        EXPECT_EQ(IsJackServerNameUsable(), c.length <= kJackServerNameMaxLength);
        EXPECT_EQ(CreateRtMidiBackend(MidiSystem::Jack, "QK MIDI Test"), nullptr);

        ::testing::internal::CaptureStderr();
        const std::shared_ptr<IMidiBackend> backend =
            CreatePlatformMidiBackend({"QK MIDI Test", "QK_TEST_MIDI_API"});
        ASSERT_TRUE(backend);
        EXPECT_TRUE(backend->ListDevices(MidiDirection::Input).empty());
        EXPECT_TRUE(backend->ListDevices(MidiDirection::Output).empty());
        RecordingMidiSink sink;
        std::unique_ptr<IMidiInputConnection> input;
        EXPECT_EQ(backend->OpenInput(0, sink, input), kMidiNotFound);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.said);
    }
}

} // namespace
} // namespace QK
