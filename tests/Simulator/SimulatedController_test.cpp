// The simulated controller is the other side of every integration test, so its answers
// are checked byte by byte here.
#include "tests/support/Midi/SimulatedController.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/RootModule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace QK
{
namespace
{

using namespace TestSupport;

using Bytes = std::vector<std::uint8_t>;
using Mode = SimulatedController::ReplyMode;

Bytes GetPreset(std::uint8_t number)
{
    return {0xF0, 0x47, 0x7F, 0x50, 0x66, 0x00, 0x01, number, 0xF7};
}

Bytes SendPreset(std::uint8_t number, const SimulatedController::Preset& values)
{
    const std::uint8_t header[] = {0xF0, 0x47, 0x7F, 0x50, 0x64, 0x01, 0x0E, number};
    Bytes message(sizeof header + values.size() + 1);
    std::copy(std::begin(header), std::end(header), message.begin());
    std::copy(values.begin(), values.end(), message.begin() + sizeof header);
    message.back() = 0xF7;
    return message;
}

SimulatedController::Preset SomeValues(std::uint8_t seed)
{
    SimulatedController::Preset values;
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<std::uint8_t>((i * 7 + seed) & 0x7F);
    return values;
}

TEST(SimulatedControllerTest, TheFactoryPresetHoldsTheParameterDefaults)
{
    const SimulatedController::Preset& preset = SimulatedController::DefaultPreset();
    struct Case
    {
        std::size_t offset;
        Bytes bytes;
    };
    // Byte offsets with the 16/1/2-byte layout: ids 0, 4-5, 13 (tempo), 28-29 (the pad rows
    // meet), 65-68 (knob 8), 71-73 and 76-78.
    const Case cases[] = {
        {0, {'P', 'R', 'E', 'S', 'E', 'T', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '}},
        {19, {0x04, 0x0C}},
        {28, {0x00, 0x70}},
        {44, {0x17, 0x20}},
        {186, {0x17, 0x00, 0x7F, 'K', 'N', 'O', 'B', ' ', '8', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '}},
        {207, {0x43, 0x00, 0x20}},
        {212, {0x00, 0x40, 0x40}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Bytes(preset.begin() + c.offset, preset.begin() + c.offset + c.bytes.size()), c.bytes) << c.offset;
}

// The device model is the authority on the defaults; the simulator's own table must agree.
TEST(SimulatedControllerTest, TheFactoryPresetIsTheDeviceModelsDefaultImage)
{
    const RCPtr<LRootModule> root = LRootModule::Create(true);
    const auto ignore = [](void*, const Array<ParamValue>&, std::int32_t) -> QKRESULT { return 0; };
    ASSERT_EQ(root->Setup(ignore, nullptr, RCPtr<LParamCache>(new LParamCache(kParameterCount)), nullptr, 0), 0);

    Bytes image;
    for (std::int32_t id = 0; id < static_cast<std::int32_t>(kParameterCount); ++id)
    {
        std::uint32_t size = 0;
        const Variant value = root->GetStoredParamValue(ParamDescriptor(id));
        const auto* data = static_cast<const std::uint8_t*>(value.GetData(size));
        ASSERT_NE(data, nullptr) << id;
        image.insert(image.end(), data, data + size);
    }
    const SimulatedController::Preset& preset = SimulatedController::DefaultPreset();
    EXPECT_EQ(image, Bytes(preset.begin(), preset.end()));
}

TEST(SimulatedControllerTest, AnswersAGetWithA224ByteDumpOfThatPreset)
{
    SimulatedController controller;
    const SimulatedController::Preset values = SomeValues(5);
    controller.SetPreset(3, values);
    const auto replies = controller.Receive(GetPreset(3));
    ASSERT_EQ(replies.size(), 1u);
    const Bytes& dump = replies[0];
    ASSERT_EQ(dump.size(), 224u);
    EXPECT_EQ(Bytes(dump.begin(), dump.begin() + 4), (Bytes{0xF0, 0x47, 0x00, 0x50}));
    EXPECT_EQ(Bytes(dump.begin() + 8, dump.end() - 1), Bytes(values.begin(), values.end()));
    EXPECT_EQ(dump.back(), 0xF7);
}

TEST(SimulatedControllerTest, StoresASentPresetAndKeepsTheKeyCurve)
{
    SimulatedController controller;
    EXPECT_TRUE(controller.Receive(SendPreset(8, SomeValues(9))).empty());
    EXPECT_EQ(controller.GetPreset(8), SomeValues(9));
    EXPECT_EQ(controller.GetPreset(0), SimulatedController::DefaultPreset());

    const Bytes curve{0xF0, 0x47, 0x7F, 0x50, 0x13, 0x09, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x40, 0xF7};
    EXPECT_TRUE(controller.Receive(curve).empty());
    EXPECT_EQ(controller.GetKeyCurve(), curve);
}

TEST(SimulatedControllerTest, IgnoresMessagesThatAreNotQuiteRight)
{
    SimulatedController controller;
    Bytes wrongConstant = GetPreset(1);
    wrongConstant[6] = 0x02;
    Bytes unframed = GetPreset(1);
    unframed.pop_back();
    Bytes longSend = SendPreset(2, SomeValues(1));
    longSend.insert(longSend.end() - 1, 0x00);
    Bytes highByte = SendPreset(2, SomeValues(1));
    highByte[100] = 0x80;
    const Bytes cases[] = {
        GetPreset(9), wrongConstant, unframed, SendPreset(9, SomeValues(1)), longSend, highByte,
        Bytes{0xF0, 0xF7}, Bytes{0xF0}, Bytes{0x3C, 0x40}, Bytes{0xF7},
    };
    for (const Bytes& message : cases)
        EXPECT_TRUE(controller.Receive(message).empty()) << FormatHexBytes(message);
    for (int number = 0; number < SimulatedController::kPresetCount; ++number)
        EXPECT_EQ(controller.GetPreset(number), SimulatedController::DefaultPreset());
}

TEST(SimulatedControllerTest, AnswersIdentityAndEchoesShortMessages)
{
    SimulatedController controller;
    const auto identity = controller.Receive(Bytes{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7});
    ASSERT_EQ(identity.size(), 1u);
    EXPECT_EQ(Bytes(identity[0].begin(), identity[0].begin() + 6), (Bytes{0xF0, 0x7E, 0x00, 0x06, 0x02, 0x47}));
    EXPECT_EQ(identity[0].back(), 0xF7);

    const auto echo = controller.Receive(Bytes{0x90, 0x3C, 0x7F});
    ASSERT_EQ(echo.size(), 1u);
    EXPECT_EQ(echo[0], (Bytes{0x90, 0x3C, 0x7F}));
}

TEST(SimulatedControllerTest, ReplyModesSpoilOrWithholdTheAnswer)
{
    SimulatedController silent(Mode::Silent);
    EXPECT_TRUE(silent.Receive(GetPreset(0)).empty());
    EXPECT_TRUE(silent.Receive(Bytes{0x90, 0x3C, 0x7F}).empty());
    EXPECT_TRUE(silent.Receive(SendPreset(1, SomeValues(3))).empty());
    EXPECT_EQ(silent.GetPreset(1), SomeValues(3)); // silent, not deaf

    SimulatedController shortMode(Mode::Short);
    const auto cut = shortMode.Receive(GetPreset(0));
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].size(), 8u + SimulatedController::kShortDumpValueBytes + 1u);
    EXPECT_EQ(Bytes(cut[0].begin(), cut[0].begin() + 4), (Bytes{0xF0, 0x47, 0x00, 0x50}));
    EXPECT_EQ(cut[0].back(), 0xF7);

    SimulatedController garbage(Mode::Garbage);
    const auto junk = garbage.Receive(GetPreset(0));
    ASSERT_EQ(junk.size(), 1u);
    EXPECT_EQ(junk[0].size(), 224u);
    EXPECT_EQ(junk[0].front(), 0xF0);
    EXPECT_EQ(junk[0].back(), 0xF7);
    EXPECT_NE(Bytes(junk[0].begin(), junk[0].begin() + 4), (Bytes{0xF0, 0x47, 0x00, 0x50}));
    for (std::size_t i = 1; i + 1 < junk[0].size(); ++i)
        ASSERT_LT(junk[0][i], 0x80) << i; // still a valid SysEx message
}

TEST(SimulatedControllerTest, StateSurvivesASaveAndLoadAndBadStateChangesNothing)
{
    SimulatedController original;
    original.SetPreset(0, SomeValues(1));
    original.SetPreset(8, SomeValues(2));
    original.Receive(Bytes{0xF0, 0x47, 0x7F, 0x50, 0x13, 0x09, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xF7});

    SimulatedController copy;
    std::string error;
    ASSERT_TRUE(copy.LoadState(original.SaveState(), error)) << error;
    EXPECT_EQ(copy.SaveState(), original.SaveState());
    EXPECT_EQ(copy.GetPreset(8), SomeValues(2));

    const std::string bad[] = {
        "favorite9 00\n",
        "ram 00 01\n",
        "ram " + FormatHexBytes(Bytes(215, 0x80)) + "\n",
        "favorite1 zz\n",
        "keycurve F0 47\n",
    };
    for (const std::string& text : bad)
    {
        SimulatedController target;
        target.SetPreset(1, SomeValues(4));
        EXPECT_FALSE(target.LoadState("favorite2 " + FormatHexBytes(Bytes(215, 0x01)) + "\n" + text, error)) << text;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(target.GetPreset(1), SomeValues(4));
        EXPECT_EQ(target.GetPreset(2), SimulatedController::DefaultPreset());
    }
}

} // namespace
} // namespace QK
