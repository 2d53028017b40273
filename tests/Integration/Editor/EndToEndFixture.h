// What the editor's end-to-end tests share: the simulated controller started on the test
// script's JACK server with a favorite 3 of the test's choosing (through its state file),
// the model's bytes in wire order, and the message boxes the editor showed.
//
// UI thread only. Header only, for the editor integration suite.
#pragma once

#include "tests/support/Editor/EditorDriver.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"
#include "QKFramework/Midi/MidiBackend.h"
#include "tests/support/Midi/EditorMidiNames.h"
#include "tests/support/Midi/SimulatedController.h"
#include "tests/support/Midi/SimulatorProcess.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace QK::TestSupport
{

using ByteBlock = std::vector<std::uint8_t>;
using Preset = SimulatedController::Preset;

inline ByteBlock NameBytes(const std::string& name)
{
    ByteBlock bytes(kNameByteSize, 0);
    std::copy(name.begin(), name.end(), bytes.begin());
    return bytes;
}

inline void Put(Preset& preset, std::uint32_t index, const ByteBlock& bytes)
{
    std::copy(bytes.begin(), bytes.end(), preset.begin() + GetParameterByteOffset(index));
}

// Favorite 3 as the simulator keeps it in these tests: every value one that the editors can
// show (each combo has the item, each number is in its field's range), as a controller's
// are, and many of them differ from the factory preset's; the program name reads
// "FAVORITE THREE".
inline Preset Favorite3()
{
    Preset preset = SimulatedController::DefaultPreset();
    Put(preset, kProgramNameOffset, NameBytes("FAVORITE THREE"));
    const std::uint8_t channels[] = {2, 1, 9};
    for (std::uint32_t i = 0; i < 3; ++i)
        Put(preset, kMidiChannelsAndAftertouchOffset + i, {channels[i]});
    Put(preset, kKeybedOffset, {5});
    Put(preset, kKeybedOffset + 1, {14});
    // On, mode, time division, clock, latch, swing 60, taps item 1, tempo 142, octave.
    const ByteBlock arpeggiator[] = {{1}, {1}, {2}, {1}, {1}, {10}, {3}, {0x01, 0x0E}, {1}};
    for (std::uint32_t i = 0; i < kArpeggiatorParamCount; ++i)
        Put(preset, kArpeggiatorOffset + i, arpeggiator[i]);
    // The x axis shows both controller numbers, the y axis one.
    const std::uint8_t joystick[] = {2, 20, 21, 1, 30, 31};
    for (std::uint32_t i = 0; i < 6; ++i)
        Put(preset, kJoystickOffset + i, {joystick[i]});
    for (std::uint32_t pad = 0; pad < kPadCount; ++pad)
        Put(preset, kPadOffset + pad, {static_cast<std::uint8_t>(40 + pad * 5)});
    for (std::uint32_t knob = 0; knob < kHardwareKnobCount; ++knob)
    {
        const std::uint32_t first = kHardwareKnobOffset + knob * kHardwareKnobParamCount;
        Put(preset, first, {static_cast<std::uint8_t>(70 + knob)});
        Put(preset, first + 1, {static_cast<std::uint8_t>(3 + knob)});
        Put(preset, first + 2, {static_cast<std::uint8_t>(120 - knob)});
        Put(preset, first + 3, NameBytes("FAV3 KNOB " + std::to_string(knob + 1)));
    }
    Put(preset, kSoundSettingsOffset, {1});
    Put(preset, kSoundSettingsOffset + 1, {2});
    for (std::uint32_t i = 2; i < kSoundSettingsParamCount; ++i)
        Put(preset, kSoundSettingsOffset + i, {static_cast<std::uint8_t>(10 * i + 5)});
    return preset;
}

inline ByteBlock ModelImage(LRootModuleEngine& engine)
{
    Array<ParamValue> values;
    engine.FillParamValues(engine.GetFirstParamID(), kParameterCount, values, -1);
    ByteBlock image;
    for (std::uint32_t i = 0; i < values.GetCount(); ++i)
    {
        std::uint32_t size = 0;
        const auto* data = static_cast<const std::uint8_t*>(values.GetAt(i)->value.GetData(size));
        image.insert(image.end(), data, data + size);
    }
    return image;
}

inline ByteBlock ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return ByteBlock(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline bool HasBox(const EditorDriver& driver, const std::u16string& caption, const std::u16string& text,
                   std::uint32_t icon)
{
    for (const RecordingMessageService::Message& box : driver.Boxes())
        if (box.caption == caption && box.text == text && box.icon == icon)
            return true;
    return false;
}

inline std::string DescribeBoxes(const EditorDriver& driver)
{
    std::string text;
    for (const RecordingMessageService::Message& box : driver.Boxes())
        text += std::string(NString(box.caption.c_str()).GetString()) + ": " +
                NString(box.text.c_str()).GetString() + "\n";
    return text.empty() ? "no box" : text;
}

// Starts the simulator with Favorite() as its favorite 3 and stops it after the test; skips
// without an X server or the JACK server.
class EndToEndFixture : public ::testing::Test
{
protected:
    virtual Preset Favorite() const { return Favorite3(); }
    // What the simulator starts with besides: further presets, its options.
    virtual void SetUpController(SimulatedController&) const {}
    virtual std::vector<std::string> SimulatorOptions() const { return {}; }

    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X server (scripts/test.sh starts Xvfb)";
        if (!std::getenv("JACK_DEFAULT_SERVER"))
            GTEST_SKIP() << "needs the JACK server that scripts/test.sh starts";

        UseEditorMidiNames();
        SimulatedController controller;
        controller.SetPreset(3, Favorite());
        SetUpController(controller);
        m_folder.WriteFile("simulator.state", controller.SaveState());
        std::vector<std::string> arguments = {"--state", m_folder / "simulator.state", "--log", m_folder / "simulator.log"};
        const std::vector<std::string> options = SimulatorOptions();
        arguments.insert(arguments.end(), options.begin(), options.end());
        ASSERT_TRUE(m_simulator.Start(arguments)) << SimulatorProcess::ExecutablePath();
        const auto listed = [](MidiDirection direction)
        { return CountListedDevices(*GetMidiBackend(), direction, SimulatorProcess::kPortName); };
        ASSERT_TRUE(WaitUntil([&] { return listed(MidiDirection::Input) == 1 && listed(MidiDirection::Output) == 1; }))
            << "the simulator's ports did not appear";
    }

    void TearDown() override
    {
        if (m_simulator.IsRunning())
        {
            EXPECT_EQ(m_simulator.Stop(), 0) << "the simulator did not end cleanly";
        }
    }

    // What the simulator keeps now (its state file, rewritten after every change).
    Preset SimulatorPreset(int number)
    {
        SimulatedController controller;
        std::string error;
        controller.LoadState(m_folder.ReadFile("simulator.state"), error);
        return controller.GetPreset(number);
    }

    TempFolder m_folder;
    SimulatorProcess m_simulator;
};

} // namespace QK::TestSupport
