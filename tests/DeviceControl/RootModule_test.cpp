// Values in the model: every write climbs to the root, which keeps it in the cache under
// the parameter's index, announces real changes and refuses values of the wrong size.

#include "DeviceTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using namespace QK;
using namespace QK::test;

constexpr QKRESULT kInvalidArg = static_cast<QKRESULT>(0x80070057);

TEST(RootModule, SetupLoadsTheDefaultsWithoutAnnouncing)
{
    const RCPtr<RecordingRoot> root = RecordingRoot::CreateSetUp();
    EXPECT_EQ(BytesOf(root->GetStoredParamValue(ParamDescriptor(13))), std::string("\x00\x70", 2));
    EXPECT_EQ(BytesOf(root->GetStoredParamValue(ParamDescriptor(0))), "PRESET          ");
    EXPECT_EQ(root->GetStoredParamValue(ParamDescriptor(79)).GetKind(), kVariantEmpty);
    EXPECT_TRUE(root->announced.empty());
    EXPECT_TRUE(root->sent.empty());
}

// The cache is addressed by index (id minus the first id), whatever the first id.
TEST(RootModule, KeepsValuesUnderTheirIndex)
{
    const RCPtr<RecordingRoot> root = RecordingRoot::CreateSetUp(500);
    const RCPtr<LHardwareKnob> knob = root->GetDeviceModule()->GetHardwareKnobModule(0);
    EXPECT_EQ(knob->SetParamValueLocal(ParamDescriptor(540), Bytes("MY KNOB         "), true), 0);
    Variant cached;
    ASSERT_EQ(root->GetParamCache()->GetValue(ParamDescriptor(40), cached), 0);
    EXPECT_EQ(BytesOf(cached), "MY KNOB         ");
    EXPECT_EQ(BytesOf(knob->GetParamValueLocal(ParamDescriptor(540))), "MY KNOB         ");
    ASSERT_EQ(root->announced.size(), 1u);
    EXPECT_EQ(root->announced[0].id, 540);
    EXPECT_EQ(root->announced[0].reason, 0);
}

struct StoreStep
{
    const char* what;
    std::string bytes;
    bool empty;
    std::size_t announcedAfter;
};

// Only a value that is not empty and differs from the stored one is stored and announced.
TEST(RootModule, AnnouncesOnlyRealChanges)
{
    const StoreStep steps[] = {
        {"the default again", std::string(1, '\x0C'), false, 0},
        {"a new value", "\x05", false, 1},
        {"the same value", "\x05", false, 1},
        {"an empty value", "", true, 1},
        {"another value", "\x06", false, 2},
        {"back to the default", std::string(1, '\x0C'), false, 3},
    };
    const RCPtr<RecordingRoot> root = RecordingRoot::CreateSetUp();
    const RCPtr<LKeybed> keybed = root->GetDeviceModule()->GetKeybedModule();
    std::string stored(1, '\x0C');
    for (const StoreStep& step : steps)
    {
        SCOPED_TRACE(step.what);
        const Variant value = step.empty ? Variant() : Bytes(step.bytes);
        EXPECT_EQ(keybed->SetParamValueLocal(ParamDescriptor(5), value, true), 0);
        if (!step.empty)
            stored = step.bytes;
        EXPECT_EQ(BytesOf(root->GetStoredParamValue(ParamDescriptor(5))), stored);
        EXPECT_EQ(root->announced.size(), step.announcedAfter);
    }
    EXPECT_TRUE(root->sent.empty());
}

// A local edit is sent even when it changes nothing; the device's answer is the result.
TEST(RootModule, LocalEditsAreSentAndAnswerTheSend)
{
    const RCPtr<RecordingRoot> root = RecordingRoot::CreateSetUp();
    const RCPtr<LArpeggiator> arpeggiator = root->GetDeviceModule()->GetArpeggiatorModule();
    root->sendResult = 224;
    EXPECT_EQ(arpeggiator->SetParamValueLocal(ParamDescriptor(13), Bytes(std::string("\x01\x00", 2)), false), 224);
    EXPECT_EQ(arpeggiator->SetParamValueLocal(ParamDescriptor(13), Bytes(std::string("\x01\x00", 2)), false), 224);
    ASSERT_EQ(root->sent.size(), 2u);
    EXPECT_EQ(root->sent[1].id, 13);
    EXPECT_EQ(root->sent[1].bytes, std::string("\x01\x00", 2));
    EXPECT_EQ(root->announced.size(), 1u);
}

struct WrongSize
{
    std::int32_t id;
    Variant value;
};

Variant Int32(std::int32_t number)
{
    Variant value;
    value.SetData(kVariantInt32, &number, sizeof(number));
    return value;
}

// A value whose length is not its parameter's size would shift every later byte of a
// preset image: it is refused and nothing is stored, announced or sent.
TEST(RootModule, RefusesValuesOfTheWrongSize)
{
    const WrongSize cases[] = {
        {0, Bytes("PRESET 2")},
        {0, Bytes(std::string(17, 'A'))},
        {13, Bytes("\x01")},
        {13, Bytes("\x01\x02\x03")},
        {1, Bytes("\x01\x02")},
        {40, Bytes("\x10")},
        {44, Bytes(std::string(15, ' '))},
        {78, Bytes("")},
        {21, Int32(60)},
    };
    for (const WrongSize& c : cases)
    {
        for (const bool fromDevice : {false, true})
        {
            SCOPED_TRACE("id " + std::to_string(c.id) + (fromDevice ? " from the device" : " local"));
            const RCPtr<RecordingRoot> root = RecordingRoot::CreateSetUp();
            const std::string before = BytesOf(root->GetStoredParamValue(ParamDescriptor(c.id)));
            const RCPtr<LParameterizedModule> module = root->GetModuleForParamID(c.id);
            EXPECT_EQ(module->SetParamValueLocal(ParamDescriptor(c.id), c.value, fromDevice), kInvalidArg);
            EXPECT_EQ(root->StoreParamValue(ParamDescriptor(c.id), c.value), kInvalidArg);
            EXPECT_EQ(BytesOf(root->GetStoredParamValue(ParamDescriptor(c.id))), before);
            EXPECT_TRUE(root->announced.empty());
            EXPECT_TRUE(root->sent.empty());
        }
    }
}

TEST(RootModule, StoresOnlyTheSeventyNineIndexes)
{
    const RCPtr<RecordingRoot> root = RecordingRoot::CreateSetUp(10);
    EXPECT_EQ(root->StoreParamValue(ParamDescriptor(89), Bytes("\x01")), -1);
    EXPECT_EQ(root->StoreParamValue(ParamDescriptor(9), Bytes("\x01")), -1);
    EXPECT_EQ(root->StoreParamValue(ParamDescriptor(-8), Bytes("\x01")), -1);
    EXPECT_EQ(root->StoreParamValue(ParamDescriptor(88), Bytes("\x01")), 0);
    EXPECT_EQ(root->announced.size(), 1u);
    EXPECT_EQ(root->GetStoredParamValue(ParamDescriptor(-8)).GetKind(), kVariantEmpty);
}

// The change list handed to the owner carries the caller's id, descriptor and value.
TEST(RootModule, NotifiesTheOwnerWithTheChange)
{
    const RCPtr<RecordingRoot> root = RecordingRoot::CreateSetUp();
    root->NotifyParamValueChanged(ParamDescriptor(-2), Bytes("\x01"), 0);
    ASSERT_EQ(root->announced.size(), 1u);
    EXPECT_EQ(root->announced[0].id, -2);
    EXPECT_EQ(root->announced[0].bytes, "\x01");
    EXPECT_EQ(root->announced[0].reason, 0);
}

} // namespace
