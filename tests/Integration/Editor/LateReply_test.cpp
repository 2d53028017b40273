// A controller that answers a get late, in the real program: the simulated controller on the
// test script's JACK server holds its answer to the first get longer than the editor waits.
// REC of favorite 2 fails; REC of favorite 3 clicked right after brings favorite 3 itself,
// though favorite 2's dump comes first while it waits; and SEND of favorite 3 then stores
// favorite 3's own values, leaving favorite 2 as it was. The same with a controller that
// echoes the preset in a dump's byte 7 and with one that always puts 7F there.
//
// Then a slow controller, whose answers each come 1.6 s after their request, in order: REC of
// favorite 1 fails, and whatever follows REC of favorite 2 clicked right after its box, the
// screen never shows favorite 1.
#include "tests/Integration/Editor/EndToEndFixture.h"

#include "QKFramework/Controls/TextBox.h"
#include "tests/support/Recorder.h"

#include <chrono>
#include <ostream>
#include <string>
#include <tuple>

namespace QK
{
namespace
{

using namespace TestSupport;

using Bytes = ByteBlock;

// Longer than the editor's wait for a dump. The simulator sends the held dump right before
// its answer to the next get, so that it comes while that get waits.
constexpr const char* kLateMs = "1200";

// Favorite n: a pattern of its own, named name.
Preset NamedFavorite(std::uint8_t n, const std::string& name)
{
    Preset preset{};
    for (std::size_t k = 0; k < preset.size(); ++k)
        preset[k] = static_cast<std::uint8_t>((k * 11 + n) % 128);
    std::string padded = name;
    padded.resize(kNameByteSize, ' ');
    std::copy(padded.begin(), padded.end(), preset.begin());
    return preset;
}

Preset Favorite1()
{
    return NamedFavorite(1, "FAVORITE ONE");
}

Preset Favorite2()
{
    return NamedFavorite(2, "FAVORITE TWO");
}

// What the controller puts in a dump's byte 7.
struct DumpByte7
{
    const char* name;
    std::vector<std::string> options;
};

void PrintTo(const DumpByte7& kind, std::ostream* out)
{
    *out << kind.name;
}

class LateReplyTest : public EndToEndFixture, public ::testing::WithParamInterface<DumpByte7>
{
protected:
    void SetUpController(SimulatedController& controller) const override { controller.SetPreset(2, Favorite2()); }
    std::vector<std::string> SimulatorOptions() const override
    {
        std::vector<std::string> options = {"--late", kLateMs};
        options.insert(options.end(), GetParam().options.begin(), GetParam().options.end());
        return options;
    }
};

INSTANTIATE_TEST_SUITE_P(Controllers, LateReplyTest,
                         ::testing::Values(DumpByte7{"ThePresetNumber", {}},
                                           DumpByte7{"Always7F", {"--dump-byte7", "7F"}}),
                         [](const ::testing::TestParamInfo<DumpByte7>& info) { return info.param.name; });

TEST_P(LateReplyTest, ALateDumpAnswersNoOtherGetAndASendAfterwardsStoresTheRightFavorite)
{
    const Preset favorite3 = Favorite3();
    const Bytes expected(favorite3.begin(), favorite3.end());
    Bytes modelBefore;
    Bytes modelAfterFirstGet;
    Bytes modelAfterSecondGet;
    std::string firstBoxes;
    std::string secondBoxes;
    std::string sendBoxes;

    EditorDriver driver;
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            const RCPtr<LRootModuleEngine> engine = d.Engine();
            ASSERT_TRUE(engine);
            modelBefore = ModelImage(*engine);

            ASSERT_TRUE(d.Click("fav2/recButton"));
            ASSERT_TRUE(d.WaitUntil([&] { return !d.Boxes().empty(); })) << "no box after the first REC";
            firstBoxes = DescribeBoxes(d);
            EXPECT_TRUE(HasBox(d, u"Retrieve Favorite Error",
                               u"Error retrieving program from device.  Connect controller and try again.", 0))
                << firstBoxes;
            modelAfterFirstGet = ModelImage(*engine);
            d.ClearBoxes();

            // At once, while the controller still holds favorite 2's dump.
            ASSERT_TRUE(d.Click("fav3/recButton"));
            ASSERT_TRUE(d.WaitUntil([&] { return !d.Boxes().empty(); })) << "no box after the second REC";
            secondBoxes = DescribeBoxes(d);
            EXPECT_TRUE(HasBox(d, u"Retrieve Favorite", u"The favorite has been successfully retrieved.", 0))
                << secondBoxes;
            modelAfterSecondGet = ModelImage(*engine);
            d.ClearBoxes();

            ASSERT_TRUE(d.Click("fav3/sendButton"));
            ASSERT_TRUE(d.WaitUntil([&] { return !d.Boxes().empty(); })) << "no box after SEND";
            sendBoxes = DescribeBoxes(d);
            EXPECT_TRUE(HasBox(d, u"Send Favorite Success", u"Favorite has been sent successfully to the device.", 0))
                << sendBoxes;
            // The simulator writes its state once it has taken the send.
            d.WaitUntil([&] { return m_folder.ReadFile("simulator.log").find("F0 47 7F 50 64 01 0E 03") != std::string::npos; });
        });

    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    EXPECT_EQ(modelAfterFirstGet, modelBefore) << "the failed get changed the model";
    EXPECT_EQ(modelAfterSecondGet, expected) << "the second get did not bring favorite 3";
    EXPECT_EQ(SimulatorPreset(3), favorite3) << "SEND stored other values in favorite 3";
    EXPECT_EQ(SimulatorPreset(2), Favorite2());
}

// How the slow controller answers: every answer late, or only the first.
struct SlowAnswers
{
    const char* name;
    const char* option;
    bool secondGetAnswered;
};

void PrintTo(const SlowAnswers& timing, std::ostream* out)
{
    *out << timing.name;
}

class SlowControllerTest : public EndToEndFixture,
                           public ::testing::WithParamInterface<std::tuple<DumpByte7, SlowAnswers>>
{
protected:
    void SetUpController(SimulatedController& controller) const override
    {
        controller.SetPreset(1, Favorite1());
        controller.SetPreset(2, Favorite2());
    }
    std::vector<std::string> SimulatorOptions() const override
    {
        const auto& [byte7, timing] = GetParam();
        std::vector<std::string> options = {"--slow", timing.option};
        options.insert(options.end(), byte7.options.begin(), byte7.options.end());
        return options;
    }
};

INSTANTIATE_TEST_SUITE_P(
    Controllers, SlowControllerTest,
    ::testing::Values(std::make_tuple(DumpByte7{"Always7F", {"--dump-byte7", "7F"}},
                                      SlowAnswers{"EveryAnswerLate", "1600", false}),
                      std::make_tuple(DumpByte7{"AlwaysFavorite1", {"--dump-byte7", "01"}},
                                      SlowAnswers{"EveryAnswerLate", "1600", false}),
                      std::make_tuple(DumpByte7{"Always7F", {"--dump-byte7", "7F"}},
                                      SlowAnswers{"OnlyTheFirstLate", "1600:1", true})),
    [](const ::testing::TestParamInfo<std::tuple<DumpByte7, SlowAnswers>>& info)
    { return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name; });

TEST_P(SlowControllerTest, TheScreenNeverShowsTheFavoriteOfAGetThatTimedOut)
{
    const SlowAnswers& timing = std::get<1>(GetParam());
    const Preset favorite1 = Favorite1();
    const Preset favorite2 = Favorite2();
    const Bytes first(favorite1.begin(), favorite1.end());
    Bytes modelBefore;
    Bytes modelAfterSecondGet;
    Bytes modelLater;
    std::string nameLater;
    std::string secondBoxes;

    EditorDriver driver;
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            const RCPtr<LRootModuleEngine> engine = d.Engine();
            ASSERT_TRUE(engine);
            modelBefore = ModelImage(*engine);

            ASSERT_TRUE(d.Click("fav1/recButton"));
            ASSERT_TRUE(d.WaitUntil([&] { return !d.Boxes().empty(); })) << "no box after the first REC";
            EXPECT_TRUE(HasBox(d, u"Retrieve Favorite Error",
                               u"Error retrieving program from device.  Connect controller and try again.", 0))
                << DescribeBoxes(d);
            d.ClearBoxes();

            // Right after the box, while favorite 1's answer is still on its way.
            ASSERT_TRUE(d.Click("fav2/recButton"));
            ASSERT_TRUE(d.WaitUntil([&] { return !d.Boxes().empty(); })) << "no box after the second REC";
            secondBoxes = DescribeBoxes(d);
            if (timing.secondGetAnswered)
                EXPECT_TRUE(HasBox(d, u"Retrieve Favorite", u"The favorite has been successfully retrieved.", 0))
                    << secondBoxes;
            else
                EXPECT_TRUE(HasBox(d, u"Retrieve Favorite Error",
                                   u"Error retrieving program from device.  Connect controller and try again.", 0))
                    << secondBoxes;
            modelAfterSecondGet = ModelImage(*engine);
            d.ClearBoxes();

            // Every late answer has come by then.
            const auto later = std::chrono::steady_clock::now() + std::chrono::milliseconds(2500);
            d.WaitUntil([&] { return std::chrono::steady_clock::now() >= later; });
            ASSERT_TRUE(d.Settle());
            modelLater = ModelImage(*engine);
            if (auto* name = dynamic_cast<LTextBox*>(d.Find("presetName/editPanel/textBox").Get()))
                nameLater = Narrow(name->GetText());
        });

    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    EXPECT_NE(modelAfterSecondGet, first) << "the second get took favorite 1's late answer";
    EXPECT_NE(modelLater, first) << "favorite 1's late answer reached the model after all";
    EXPECT_EQ(nameLater.rfind("FAVORITE ONE", 0), std::string::npos) << nameLater;
    const Bytes expected = timing.secondGetAnswered ? Bytes(favorite2.begin(), favorite2.end()) : modelBefore;
    EXPECT_EQ(modelAfterSecondGet, expected) << secondBoxes;
    EXPECT_EQ(modelLater, expected);
}

} // namespace
} // namespace QK
