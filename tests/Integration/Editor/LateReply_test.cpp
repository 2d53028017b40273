// A controller that answers a get late, in the real program: the simulated controller on the
// test script's JACK server holds its answer to the first get longer than the editor waits.
// REC of favorite 2 fails; REC of favorite 3 clicked right after brings favorite 3 itself,
// though favorite 2's dump comes first while it waits; and SEND of favorite 3 then stores
// favorite 3's own values, leaving favorite 2 as it was. The same with a controller that
// echoes the preset in a dump's byte 7 and with one that always puts 7F there.
#include "tests/Integration/Editor/EndToEndFixture.h"

#include <ostream>
#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

using Bytes = ByteBlock;

// Longer than the editor's wait for a dump. The simulator sends the held dump right before
// its answer to the next get, so that it comes while that get waits.
constexpr const char* kLateMs = "1200";

Preset Favorite2()
{
    Preset preset{};
    for (std::size_t k = 0; k < preset.size(); ++k)
        preset[k] = static_cast<std::uint8_t>((k * 11 + 2) % 128);
    const std::string name = "FAVORITE TWO    ";
    std::copy(name.begin(), name.end(), preset.begin());
    return preset;
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

} // namespace
} // namespace QK
