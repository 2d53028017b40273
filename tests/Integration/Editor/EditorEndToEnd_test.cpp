// The editor as a person uses it: the program's own skins and string tables in a real window
// of the test script's X server, the simulated controller on the script's JACK server, and
// nothing but pushed clicks and keys. Favorite 3 is fetched into the model, sent on to
// favorite 5, saved to a file, changed, and opened again from the file; a file of a newer
// version is refused with its box. The window's picture is saved for a person to look at.
#include "tests/support/Editor/EditorDriver.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"
#include "QKFramework/Midi/MidiBackend.h"
#include "tests/support/Midi/SimulatedController.h"
#include "tests/support/Midi/SimulatorProcess.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

using Bytes = std::vector<std::uint8_t>;
using Preset = SimulatedController::Preset;

constexpr std::int32_t kTempoPosition = 13;

// Favorite 3 as the simulator keeps it: every byte differs from the factory preset's, and
// the program name reads "FAVORITE THREE".
Preset Favorite3()
{
    Preset preset{};
    for (std::size_t k = 0; k < preset.size(); ++k)
        preset[k] = static_cast<std::uint8_t>((k * 5 + 3) % 128);
    const std::string name = "FAVORITE THREE  ";
    std::copy(name.begin(), name.end(), preset.begin());
    return preset;
}

Bytes ModelImage(LRootModuleEngine& engine)
{
    Array<ParamValue> values;
    engine.FillParamValues(engine.GetFirstParamID(), kParameterCount, values, -1);
    Bytes image;
    for (std::uint32_t i = 0; i < values.GetCount(); ++i)
    {
        std::uint32_t size = 0;
        const auto* data = static_cast<const std::uint8_t*>(values.GetAt(i)->value.GetData(size));
        image.insert(image.end(), data, data + size);
    }
    return image;
}

Bytes ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class EditorEndToEndTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X server (scripts/test.sh starts Xvfb)";
        if (!std::getenv("JACK_DEFAULT_SERVER"))
            GTEST_SKIP() << "needs the JACK server that scripts/test.sh starts";

        SimulatedController controller;
        controller.SetPreset(3, Favorite3());
        m_folder.WriteFile("simulator.state", controller.SaveState());
        ASSERT_TRUE(m_simulator.Start({"--state", m_folder / "simulator.state", "--log", m_folder / "simulator.log"}))
            << SimulatorProcess::ExecutablePath();
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

bool HasBox(const EditorDriver& driver, const std::u16string& caption, const std::u16string& text,
            std::uint32_t icon)
{
    for (const RecordingMessageService::Message& box : driver.Boxes())
        if (box.caption == caption && box.text == text && box.icon == icon)
            return true;
    return false;
}

std::string DescribeBoxes(const EditorDriver& driver)
{
    std::string text;
    for (const RecordingMessageService::Message& box : driver.Boxes())
        text += std::string(NString(box.caption.c_str()).GetString()) + ": " +
                NString(box.text.c_str()).GetString() + "\n";
    return text.empty() ? "no box" : text;
}

TEST_F(EditorEndToEndTest, AFavoriteIsFetchedSentSavedChangedAndOpenedAgainByClicksAndKeys)
{
    const Preset favorite3 = Favorite3();
    const Bytes expected(favorite3.begin(), favorite3.end());
    const std::string saved = m_folder / "Favorite Three.vedidu";
    const std::string newer = m_folder / "Newer.vedidu";
    Bytes modelAfterGet;
    Bytes modelAfterChange;
    Bytes modelAfterOpen;
    Preset simulatorFavorite5{};

    EditorDriver driver;
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            const RCPtr<LRootModuleEngine> engine = d.Engine();
            ASSERT_TRUE(engine);

            // REC of favorite 3: the success box, and the model holds the controller's favorite.
            ASSERT_TRUE(d.Click("fav3/recButton"));
            ASSERT_TRUE(d.WaitUntil([&] { return !d.Boxes().empty(); })) << "no box after REC";
            EXPECT_TRUE(HasBox(d, u"Retrieve Favorite", u"The favorite has been successfully retrieved.", 0))
                << DescribeBoxes(d);
            modelAfterGet = ModelImage(*engine);
            ASSERT_TRUE(d.Settle());
            EditorDriver::SavePicture("editor-favorite3.png", d.ReadPicture());
            d.ClearBoxes();

            // SEND of favorite 5: the success box, and the controller keeps the preset there.
            ASSERT_TRUE(d.Click("fav5/sendButton"));
            ASSERT_TRUE(d.WaitUntil([&] { return !d.Boxes().empty(); })) << "no box after SEND";
            EXPECT_TRUE(HasBox(d, u"Send Favorite Success", u"Favorite has been sent successfully to the device.", 0))
                << DescribeBoxes(d);
            d.WaitUntil([&] { return SimulatorPreset(5) == favorite3; });
            simulatorFavorite5 = SimulatorPreset(5);
            d.ClearBoxes();

            // Ctrl+S saves the model into the file the dialog names.
            d.FileDialogs().Answer(saved);
            ASSERT_TRUE(d.PressKeys("Ctrl+S"));
            EXPECT_TRUE(d.WaitUntil([&] { return std::filesystem::exists(saved) && ReadBytes(saved).size() == 2123; }))
                << "no 2,123-byte file at " << saved;
            ASSERT_EQ(d.FileDialogs().requests.size(), 1u);
            EXPECT_TRUE(d.FileDialogs().requests.back().save);

            // A changed value ...
            Variant tempo;
            const std::uint8_t fast[] = {0x01, 0x48};
            tempo.SetBytes(fast, sizeof fast);
            engine->SetParamValue(ParamDescriptor(engine->GetFirstParamID() + kTempoPosition), tempo);
            ASSERT_TRUE(d.Settle());
            modelAfterChange = ModelImage(*engine);

            // ... comes back with Ctrl+O from the saved file, without a box.
            d.FileDialogs().Answer(saved);
            ASSERT_TRUE(d.PressKeys("Ctrl+O"));
            EXPECT_TRUE(d.WaitUntil([&] { return ModelImage(*engine) == expected; })) << "the file was not opened";
            ASSERT_TRUE(d.Settle());
            modelAfterOpen = ModelImage(*engine);
            EXPECT_EQ(d.FileDialogs().requests.size(), 2u);
            EXPECT_TRUE(d.Boxes().empty()) << DescribeBoxes(d);

            // A file of a newer version is refused with its box; the model stays.
            Bytes file = ReadBytes(saved);
            ASSERT_EQ(file.size(), 2123u);
            file[0] = 2;
            std::ofstream(newer, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                        static_cast<std::streamsize>(file.size()));
            d.FileDialogs().Answer(newer);
            ASSERT_TRUE(d.PressKeys("Ctrl+O"));
            EXPECT_TRUE(d.WaitUntil([&] { return !d.Boxes().empty(); })) << "no box for the newer file";
            EXPECT_TRUE(HasBox(d, u"Favorite File Load",
                               u"Program file is not compatible with this vesion of the favorite editor", 0x10))
                << DescribeBoxes(d);
            EXPECT_EQ(ModelImage(*engine), expected);

            ASSERT_TRUE(d.Settle());
            const Picture window = d.ReadPicture();
            EXPECT_FALSE(EditorDriver::SavePicture("editor-end-to-end.png", window).empty());
        });

    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    EXPECT_EQ(modelAfterGet, expected);
    EXPECT_EQ(simulatorFavorite5, favorite3);
    EXPECT_NE(modelAfterChange, expected);
    EXPECT_EQ(modelAfterOpen, expected);
    EXPECT_EQ(driver.FileDialogs().unanswered, 0);
}

} // namespace
} // namespace QK
