// The editor as a person uses it: the program's own skins and string tables in a real window
// of the test script's X server, the simulated controller on the script's JACK server, and
// nothing but pushed clicks and keys. Favorite 3 is fetched into the model, sent on to
// favorite 5, saved to a file, changed, and opened again from the file; a file of a newer
// version, one with an impossible value and a folder are refused with the load box. The window's picture is saved for a person to look at.
#include "tests/Integration/Editor/EndToEndFixture.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

using Bytes = ByteBlock;

constexpr std::int32_t kTempoPosition = 13;

class EditorEndToEndTest : public EndToEndFixture
{
};

TEST_F(EditorEndToEndTest, AFavoriteIsFetchedSentSavedChangedAndOpenedAgainByClicksAndKeys)
{
    const Preset favorite3 = Favorite3();
    const Bytes expected(favorite3.begin(), favorite3.end());
    const std::string saved = m_folder / "Favorite Three.vedidu";
    const std::string newer = m_folder / "Newer.vedidu";
    const std::string impossible = m_folder / "Impossible.vedidu";
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

            // Ctrl+S saves the model into the file the dialog names; a name typed without
            // the extension gets it.
            d.FileDialogs().Answer(m_folder / "Favorite Three");
            ASSERT_TRUE(d.PressKeys("Ctrl+S"));
            EXPECT_TRUE(d.WaitUntil([&] { return std::filesystem::exists(saved) && ReadBytes(saved).size() == 2123; }))
                << "no 2,123-byte file at " << saved;
            ASSERT_EQ(d.FileDialogs().requests.size(), 1u);
            EXPECT_TRUE(d.FileDialogs().requests.back().save);
            EXPECT_EQ(std::string(NString(d.FileDialogs().requests.back().defaultExtension.GetString()).GetString()),
                      "vedidu");

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
            ASSERT_EQ(d.FileDialogs().requests.size(), 2u);
            EXPECT_EQ(std::string(NString(d.FileDialogs().requests.back().folder.GetString()).GetString()),
                      m_folder.Path())
                << "the next dialog opens where the last file was saved";
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

            // So is a file with a value no editor can show (a tempo of 16383, which would go
            // out as 7F 7F), and a folder chosen in place of a file.
            file = ReadBytes(saved);
            file[12 + 40 + 12 * 25 + 24] = 0x7F;
            file[12 + 40 + 12 * 25 + 25] = 0x7F;
            std::ofstream(impossible, std::ios::binary)
                .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
            for (const std::string& chosen : {impossible, m_folder.Path()})
            {
                SCOPED_TRACE(chosen);
                ASSERT_TRUE(d.Settle());
                d.ClearBoxes();
                d.FileDialogs().Answer(chosen);
                ASSERT_TRUE(d.PressKeys("Ctrl+O"));
                EXPECT_TRUE(d.WaitUntil([&] { return !d.Boxes().empty(); })) << "no box";
                EXPECT_TRUE(HasBox(d, u"Favorite File Load",
                                   u"Program file is not compatible with this vesion of the favorite editor", 0x10))
                    << DescribeBoxes(d);
                EXPECT_EQ(ModelImage(*engine), expected);
            }

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
