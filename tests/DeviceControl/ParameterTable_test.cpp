// The 79 parameters as the device model defines them: every id's module, instance, index,
// size, default and place in the 215-byte preset image.

#include "DeviceTestSupport.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using namespace QK;
using namespace QK::test;
using namespace std::string_literals;

enum class Kind
{
    ProgramName,
    MidiChannels,
    Keybed,
    Arpeggiator,
    Joystick,
    Pad,
    Knob,
    Sound,
};

bool IsKind(LParameterizedModule* module, Kind kind)
{
    switch (kind)
    {
    case Kind::ProgramName: return dynamic_cast<LProgramName*>(module) != nullptr;
    case Kind::MidiChannels: return dynamic_cast<LMidiChannelsAndAftertouch*>(module) != nullptr;
    case Kind::Keybed: return dynamic_cast<LKeybed*>(module) != nullptr;
    case Kind::Arpeggiator: return dynamic_cast<LArpeggiator*>(module) != nullptr;
    case Kind::Joystick: return dynamic_cast<LJoystick*>(module) != nullptr;
    case Kind::Pad: return dynamic_cast<LPad*>(module) != nullptr;
    case Kind::Knob: return dynamic_cast<LHardwareKnob*>(module) != nullptr;
    case Kind::Sound: return dynamic_cast<LSoundSettings*>(module) != nullptr;
    }
    return false;
}

struct Row
{
    std::int32_t id;
    Kind kind;
    std::uint32_t instance;
    std::uint32_t index;
    std::string defaultBytes;
    std::uint32_t offset;
};

std::string Knob(char digit)
{
    return "KNOB "s + digit + std::string(10, ' ');
}

const Row kTable[] = {
    {0, Kind::ProgramName, 0, 0, "PRESET          ", 0},
    {1, Kind::MidiChannels, 0, 0, "\x00"s, 16},
    {2, Kind::MidiChannels, 0, 1, "\x01"s, 17},
    {3, Kind::MidiChannels, 0, 2, "\x00"s, 18},
    {4, Kind::Keybed, 0, 0, "\x04"s, 19},
    {5, Kind::Keybed, 0, 1, "\x0C"s, 20},
    {6, Kind::Arpeggiator, 0, 0, "\x00"s, 21},
    {7, Kind::Arpeggiator, 0, 1, "\x00"s, 22},
    {8, Kind::Arpeggiator, 0, 2, "\x00"s, 23},
    {9, Kind::Arpeggiator, 0, 3, "\x00"s, 24},
    {10, Kind::Arpeggiator, 0, 4, "\x00"s, 25},
    {11, Kind::Arpeggiator, 0, 5, "\x00"s, 26},
    {12, Kind::Arpeggiator, 0, 6, "\x00"s, 27},
    {13, Kind::Arpeggiator, 0, 7, "\x00\x70"s, 28},
    {14, Kind::Arpeggiator, 0, 8, "\x00"s, 30},
    {15, Kind::Joystick, 0, 0, "\x00"s, 31},
    {16, Kind::Joystick, 0, 1, "\x00"s, 32},
    {17, Kind::Joystick, 0, 2, "\x00"s, 33},
    {18, Kind::Joystick, 1, 0, "\x00"s, 34},
    {19, Kind::Joystick, 1, 1, "\x00"s, 35},
    {20, Kind::Joystick, 1, 2, "\x00"s, 36},
    {21, Kind::Pad, 0, 0, "\x10", 37},
    {22, Kind::Pad, 1, 0, "\x11", 38},
    {23, Kind::Pad, 2, 0, "\x12", 39},
    {24, Kind::Pad, 3, 0, "\x13", 40},
    {25, Kind::Pad, 4, 0, "\x14", 41},
    {26, Kind::Pad, 5, 0, "\x15", 42},
    {27, Kind::Pad, 6, 0, "\x16", 43},
    {28, Kind::Pad, 7, 0, "\x17", 44},
    {29, Kind::Pad, 8, 0, "\x20", 45},
    {30, Kind::Pad, 9, 0, "\x21", 46},
    {31, Kind::Pad, 10, 0, "\x22", 47},
    {32, Kind::Pad, 11, 0, "\x23", 48},
    {33, Kind::Pad, 12, 0, "\x24", 49},
    {34, Kind::Pad, 13, 0, "\x25", 50},
    {35, Kind::Pad, 14, 0, "\x26", 51},
    {36, Kind::Pad, 15, 0, "\x27", 52},
    {37, Kind::Knob, 0, 0, "\x10", 53},
    {38, Kind::Knob, 0, 1, "\x00"s, 54},
    {39, Kind::Knob, 0, 2, "\x7F", 55},
    {40, Kind::Knob, 0, 3, Knob('1'), 56},
    {41, Kind::Knob, 1, 0, "\x11", 72},
    {42, Kind::Knob, 1, 1, "\x00"s, 73},
    {43, Kind::Knob, 1, 2, "\x7F", 74},
    {44, Kind::Knob, 1, 3, Knob('2'), 75},
    {45, Kind::Knob, 2, 0, "\x12", 91},
    {46, Kind::Knob, 2, 1, "\x00"s, 92},
    {47, Kind::Knob, 2, 2, "\x7F", 93},
    {48, Kind::Knob, 2, 3, Knob('3'), 94},
    {49, Kind::Knob, 3, 0, "\x13", 110},
    {50, Kind::Knob, 3, 1, "\x00"s, 111},
    {51, Kind::Knob, 3, 2, "\x7F", 112},
    {52, Kind::Knob, 3, 3, Knob('4'), 113},
    {53, Kind::Knob, 4, 0, "\x14", 129},
    {54, Kind::Knob, 4, 1, "\x00"s, 130},
    {55, Kind::Knob, 4, 2, "\x7F", 131},
    {56, Kind::Knob, 4, 3, Knob('5'), 132},
    {57, Kind::Knob, 5, 0, "\x15", 148},
    {58, Kind::Knob, 5, 1, "\x00"s, 149},
    {59, Kind::Knob, 5, 2, "\x7F", 150},
    {60, Kind::Knob, 5, 3, Knob('6'), 151},
    {61, Kind::Knob, 6, 0, "\x16", 167},
    {62, Kind::Knob, 6, 1, "\x00"s, 168},
    {63, Kind::Knob, 6, 2, "\x7F", 169},
    {64, Kind::Knob, 6, 3, Knob('7'), 170},
    {65, Kind::Knob, 7, 0, "\x17", 186},
    {66, Kind::Knob, 7, 1, "\x00"s, 187},
    {67, Kind::Knob, 7, 2, "\x7F", 188},
    {68, Kind::Knob, 7, 3, Knob('8'), 189},
    {69, Kind::Sound, 0, 0, "\x00"s, 205},
    {70, Kind::Sound, 0, 1, "\x00"s, 206},
    {71, Kind::Sound, 0, 2, "\x43", 207},
    {72, Kind::Sound, 0, 3, "\x00"s, 208},
    {73, Kind::Sound, 0, 4, "\x20", 209},
    {74, Kind::Sound, 0, 5, "\x00"s, 210},
    {75, Kind::Sound, 0, 6, "\x00"s, 211},
    {76, Kind::Sound, 0, 7, "\x00"s, 212},
    {77, Kind::Sound, 0, 8, "\x40", 213},
    {78, Kind::Sound, 0, 9, "\x40", 214},
};

static_assert(std::size(kTable) == 79);

// The default preset image, as the controller receives it.
const std::string kDefaultImage =
    "PRESET          "s
    "\x00\x01\x00"s                                   // MIDI channels and aftertouch
    "\x04\x0C"s                                       // keybed
    "\x00\x00\x00\x00\x00\x00\x00\x00\x70\x00"s       // arpeggiator, tempo 00 70
    "\x00\x00\x00\x00\x00\x00"s                       // joysticks
    "\x10\x11\x12\x13\x14\x15\x16\x17\x20\x21\x22\x23\x24\x25\x26\x27"s // pads
    "\x10\x00\x7F" "KNOB 1          "
    "\x11\x00\x7F" "KNOB 2          "
    "\x12\x00\x7F" "KNOB 3          "
    "\x13\x00\x7F" "KNOB 4          "
    "\x14\x00\x7F" "KNOB 5          "
    "\x15\x00\x7F" "KNOB 6          "
    "\x16\x00\x7F" "KNOB 7          "
    "\x17\x00\x7F" "KNOB 8          "
    "\x00\x00\x43\x00\x20\x00\x00\x00\x40\x40"s; // sound settings

TEST(ParameterTable, EveryParameterHasItsModuleSizeDefaultAndPlace)
{
    const RCPtr<RecordingRoot> root = RecordingRoot::CreateSetUp();
    std::string image;
    for (const Row& row : kTable)
    {
        SCOPED_TRACE("id " + std::to_string(row.id));
        const RCPtr<LParameterizedModule> module = root->GetModuleForParamID(row.id);
        ASSERT_TRUE(module);
        EXPECT_TRUE(IsKind(module.Get(), row.kind));
        EXPECT_EQ(module->GetIndex(), row.instance);
        EXPECT_EQ(static_cast<std::uint32_t>(row.id - module->GetFirstParamID()), row.index);

        const Variant defaultValue = module->GetParamValueDefault(row.id);
        EXPECT_EQ(defaultValue.GetKind(), kVariantBytes);
        EXPECT_EQ(BytesOf(defaultValue), row.defaultBytes);
        EXPECT_EQ(GetParameterByteSize(static_cast<std::uint32_t>(row.id)), row.defaultBytes.size());
        EXPECT_EQ(GetParameterByteOffset(static_cast<std::uint32_t>(row.id)), row.offset);
        EXPECT_EQ(image.size(), row.offset);

        // The root holds the default from the start.
        EXPECT_EQ(BytesOf(root->GetStoredParamValue(ParamDescriptor(row.id))), row.defaultBytes);
        image += BytesOf(defaultValue);
    }
    EXPECT_EQ(image.size(), kParameterImageSize);
    EXPECT_EQ(image, kDefaultImage);
    EXPECT_EQ(GetParameterByteSize(kParameterCount), 0u);
    EXPECT_TRUE(root->announced.empty());
}

// Ids are relative to the root's first id: another first id moves the whole table.
TEST(ParameterTable, FollowsTheRootsFirstId)
{
    const RCPtr<RecordingRoot> root = RecordingRoot::CreateSetUp(1000);
    for (const Row& row : kTable)
    {
        const RCPtr<LParameterizedModule> module = root->GetModuleForParamID(1000 + row.id);
        ASSERT_TRUE(module) << row.id;
        EXPECT_TRUE(IsKind(module.Get(), row.kind)) << row.id;
        EXPECT_EQ(BytesOf(module->GetParamValueDefault(1000 + row.id)), row.defaultBytes) << row.id;
        EXPECT_EQ(BytesOf(root->GetStoredParamValue(ParamDescriptor(1000 + row.id))), row.defaultBytes) << row.id;
    }
    EXPECT_FALSE(root->GetModuleForParamID(999));
    EXPECT_FALSE(root->GetModuleForParamID(1079));
}

} // namespace
