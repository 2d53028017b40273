#include "QKFramework/Midi/MidiBackend.h"

#include "tests/support/Midi/RecordingMidiSink.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

// Sets an environment variable for one scope.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        setenv(name, value, 1);
    }
    ~ScopedEnvironment()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(PlatformMidiBackendTest, WithoutAnyMidiSystemThereAreNoDevices)
{
    // JACK asked for, and a server name that nobody serves: there is no ALSA sequencer on
    // this path either.
    ScopedEnvironment api("VEDIDU_MIDI_API", "jack");
    ScopedEnvironment server("JACK_DEFAULT_SERVER", "vedidu-nobody-serves-this");
    const std::shared_ptr<IMidiBackend> backend = CreatePlatformMidiBackend("Vedidu Editor");
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
