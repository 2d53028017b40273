// What the editor's end-to-end tests share: the simulated controller started on the test
// script's JACK server with a favorite 3 of the test's choosing (through its state file),
// the model's bytes in wire order, and the message boxes the editor showed.
//
// UI thread only. Header only, for the editor integration suite.
#pragma once

#include "tests/support/Editor/EditorDriver.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"
#include "QKFramework/Midi/MidiBackend.h"
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

// Favorite 3 as the simulator keeps it by default: every byte differs from the factory
// preset's, and the program name reads "FAVORITE THREE".
inline Preset Favorite3()
{
    Preset preset{};
    for (std::size_t k = 0; k < preset.size(); ++k)
        preset[k] = static_cast<std::uint8_t>((k * 5 + 3) % 128);
    const std::string name = "FAVORITE THREE  ";
    std::copy(name.begin(), name.end(), preset.begin());
    return preset;
}

// The model's values, one after another in id order: the preset image.
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
