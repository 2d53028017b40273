#include "QKFramework/Midi/MidiBackend.h"

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

} // namespace
} // namespace QK
