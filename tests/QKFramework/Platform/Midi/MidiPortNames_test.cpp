#include "QKFramework/Platform/Midi/MidiPortNames.h"

#include <gtest/gtest.h>

namespace QK
{
namespace
{

using Names = std::vector<std::string>;

TEST(MidiPortNamesTest, AlsaNamesAClientsFirstPortAfterTheClientAndFurtherPortsAsWindowsDoes)
{
    const Names ports = {
        "Midi Through:Midi Through Port-0 14:0",
        "Vedidu:Vedidu MIDI 1 20:0",
        "Vedidu:Vedidu MIDI 2 20:1",
        "Other Keys:Other Keys MIDI 1 24:0",
        "Vedidu:Vedidu MIDI 3 20:2",
    };
    EXPECT_EQ(MakeMidiProductNames(MidiSystem::AlsaSequencer, MidiDirection::Input, ports),
              (Names{"Midi Through", "Vedidu", "MIDIIN2 (Vedidu)", "Other Keys", "MIDIIN3 (Vedidu)"}));
    EXPECT_EQ(MakeMidiProductNames(MidiSystem::AlsaSequencer, MidiDirection::Output, ports),
              (Names{"Midi Through", "Vedidu", "MIDIOUT2 (Vedidu)", "Other Keys", "MIDIOUT3 (Vedidu)"}));
}

TEST(MidiPortNamesTest, AlsaClientsAreToldApartByIdNotByName)
{
    // Two controllers of one kind, and the simulator, whose every port is a client of its own.
    const Names ports = {
        "Vedidu:Vedidu MIDI 1 20:0",
        "Vedidu:Vedidu MIDI 1 24:0",
        "Vedidu:Vedidu 128:0",
        "Vedidu:Vedidu MIDI 2 24:1",
    };
    EXPECT_EQ(MakeMidiProductNames(MidiSystem::AlsaSequencer, MidiDirection::Input, ports),
              (Names{"Vedidu", "Vedidu", "Vedidu", "MIDIIN2 (Vedidu)"}));
}

TEST(MidiPortNamesTest, AlsaClientNameEndsAtTheFirstColon)
{
    const Names ports = {"Vedidu:Port: A 20:0", "Broken name without address", "Bare:port x:y"};
    EXPECT_EQ(MakeMidiProductNames(MidiSystem::AlsaSequencer, MidiDirection::Input, ports),
              (Names{"Vedidu", "Broken name without address", "Bare"}));
}

TEST(MidiPortNamesTest, JackNamesAPortByItsOwnNameAfterTheClient)
{
    const Names ports = {"Vedidu:Vedidu", "Vedidu-01:Vedidu", "a2j:Keys [20] (capture): Keys MIDI 1", "no-client"};
    EXPECT_EQ(MakeMidiProductNames(MidiSystem::Jack, MidiDirection::Input, ports),
              (Names{"Vedidu", "Vedidu", "Keys [20] (capture): Keys MIDI 1", "no-client"}));
}

TEST(MidiPortNamesTest, RecognisesTheProgramsOwnClients)
{
    struct Case
    {
        const char* port;
        bool own;
    };
    const Case cases[] = {
        {"QK Test:MIDI In", true},
        {"QK Test-01:MIDI Out", true},
        {"QK Test-123:MIDI In", true},
        {"QK Test:MIDI In 130:0", true},
        {"QK Test-:MIDI In", false},
        {"QK Test-x1:MIDI In", false},
        {"QK Test2:MIDI In", false},
        {"Vedidu:Vedidu", false},
        {"Vedidu-01:Vedidu", false},
        {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsOwnMidiPort(c.port, "QK Test"), c.own) << c.port;
}

} // namespace
} // namespace QK
