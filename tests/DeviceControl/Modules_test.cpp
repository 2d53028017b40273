// The controller modules: where they may sit, which ids they answer, their error texts and
// how a write travels (to the root, to the device, or nowhere).

#include "DeviceTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

using namespace QK;
using namespace QK::test;

// A parentless module standing in for a root with first id 0.
class TopModule : public LParameterizedModule
{
public:
    TopModule() : LParameterizedModule(0) {}
};

struct ModuleClass
{
    const char* name;
    std::function<RCPtr<LParameterizedModule>()> create;
    std::uint32_t paramCount;
    std::vector<std::uint32_t> allowedOffsets;
    int setFirstLine;
    int getLocalLine;
    int defaultLine;
};

std::vector<std::uint32_t> Run(std::uint32_t first, std::uint32_t count, std::uint32_t step)
{
    std::vector<std::uint32_t> offsets;
    for (std::uint32_t i = 0; i < count; ++i)
        offsets.push_back(first + i * step);
    return offsets;
}

const std::vector<ModuleClass>& Classes()
{
    static const std::vector<ModuleClass> classes = {
        {"ProgramName", [] { return RCPtr<LParameterizedModule>(LProgramName::Create()); }, 1, {0}, 77, 96, 215},
        {"MidiChannelsAndAftertouch",
         [] { return RCPtr<LParameterizedModule>(LMidiChannelsAndAftertouch::Create()); }, 3, {1}, 77, 106, 247},
        {"Keybed", [] { return RCPtr<LParameterizedModule>(LKeybed::Create()); }, 2, {4}, 77, 101, 231},
        {"Arpeggiator", [] { return RCPtr<LParameterizedModule>(LArpeggiator::Create()); }, 9, {6}, 77, 136, 343},
        {"Joystick", [] { return RCPtr<LParameterizedModule>(LJoystick::Create()); }, 3, {15, 18}, 79, 108, 249},
        {"Pad", [] { return RCPtr<LParameterizedModule>(LPad::Create()); }, 1, Run(21, 16, 1), 107, 126, 246},
        {"HardwareKnob", [] { return RCPtr<LParameterizedModule>(LHardwareKnob::Create()); }, 4, Run(37, 8, 4), 91,
         125, 278},
        {"SoundSettings", [] { return RCPtr<LParameterizedModule>(LSoundSettings::Create()); }, 10, {69}, 77, 141,
         359},
    };
    return classes;
}

std::string Text(const std::string& method, const ModuleClass& c, int line, const std::string& detail = "")
{
    return "Logic Error : " + detail + "QK::L" + c.name + "::" + method + " : " + c.name + " : Line " +
           std::to_string(line);
}

// Every offset from the root is tried on every class: exactly the class's own are accepted,
// whatever instance index comes with them.
TEST(ControllerModule, AcceptsOnlyItsOwnOffsets)
{
    const RCPtr<TopModule> top(new TopModule());
    for (const ModuleClass& c : Classes())
    {
        const RCPtr<LParameterizedModule> module = c.create();
        EXPECT_EQ(module->GetParamCount(), c.paramCount) << c.name;
        for (std::uint32_t offset = 0; offset < 80; ++offset)
        {
            const bool allowed = std::find(c.allowedOffsets.begin(), c.allowedOffsets.end(), offset) !=
                                 c.allowedOffsets.end();
            const std::string thrown = LogicErrorOf([&] { module->SetFirstParamID(top.Get(), offset, 2); });
            const std::string expected =
                allowed ? "(nothing thrown)" : Text("SetFirstParamID", c, c.setFirstLine, "Invalid FirstParamID : ");
            EXPECT_EQ(thrown, expected) << c.name << " at " << offset;
            // The fields are set even when the place is refused.
            EXPECT_EQ(module->GetFirstParamID(), static_cast<std::int32_t>(offset));
            EXPECT_EQ(module->GetIndex(), 2u);
            EXPECT_EQ(module->GetParent().Get(), top.Get());
        }
    }
}

// Offsets count from the root's first id, not from 0.
TEST(ControllerModule, OffsetsCountFromTheRoot)
{
    const RCPtr<TopModule> top(new TopModule());
    top->SetFirstParamID(nullptr, 100, 0);
    const RCPtr<LPad> pad = LPad::Create();
    EXPECT_NO_THROW(pad->SetFirstParamID(top.Get(), 130, 2));
    EXPECT_THROW(pad->SetFirstParamID(top.Get(), 30, 2), std::logic_error);
}

TEST(ControllerModule, ReadsAndDefaultsOutsideTheModuleThrowTheirTexts)
{
    const RCPtr<TopModule> top(new TopModule());
    for (const ModuleClass& c : Classes())
    {
        const RCPtr<LParameterizedModule> module = c.create();
        const auto first = static_cast<std::int32_t>(c.allowedOffsets.back());
        module->SetFirstParamID(top.Get(), first, 0);
        const std::int32_t last = first + static_cast<std::int32_t>(c.paramCount) - 1;
        for (const std::int32_t id : {first - 1, last + 1, -1, -200})
        {
            EXPECT_EQ(LogicErrorOf([&] { module->GetParamValueLocal(ParamDescriptor(id)); }),
                      Text("GetParamValueLocal", c, c.getLocalLine))
                << c.name << " id " << id;
            EXPECT_EQ(LogicErrorOf([&] { module->GetParamValueDefault(id); }),
                      Text("GetParamValueDefault", c, c.defaultLine))
                << c.name << " id " << id;
        }
        EXPECT_EQ(module->GetParamValueDefault(last).GetKind(), kVariantBytes) << c.name;
        // Writes outside the module are refused quietly.
        EXPECT_EQ(module->SetParamValueLocal(ParamDescriptor(last + 1), Bytes("\x01"), false), -1) << c.name;
        EXPECT_EQ(module->SetParamValueLocal(ParamDescriptor(first - 1), Bytes("\x01"), true), -1) << c.name;
    }
}

// Knob and pad defaults depend on the instance index the module was given, not on the id.
TEST(ControllerModule, InstanceDefaultsFollowTheIndex)
{
    const RCPtr<TopModule> top(new TopModule());
    const RCPtr<LPad> pad = LPad::Create();
    pad->SetFirstParamID(top.Get(), 30, 2);
    EXPECT_EQ(BytesOf(pad->GetParamValueDefault(30)), "\x12");
    const RCPtr<LHardwareKnob> knob = LHardwareKnob::Create();
    knob->SetFirstParamID(top.Get(), 37, 7);
    EXPECT_EQ(BytesOf(knob->GetParamValueDefault(37)), "\x17");
    EXPECT_EQ(BytesOf(knob->GetParamValueDefault(40)), "KNOB 8          ");
}

struct WriteCase
{
    const char* what;
    std::int32_t id;
    bool fromDevice;
    QKRESULT sendResult;
    QKRESULT expected;
    bool sends;
};

// Writes through the arpeggiator (ids 6..14 under a root with first id 0).
TEST(ControllerModule, WritesRouteByIdAndOrigin)
{
    const WriteCase cases[] = {
        {"own id, local edit: stored and sent, answers the send", 7, false, 0, 0, true},
        {"own id, local edit, send fails", 7, false, -1, -1, true},
        {"own id from the device: stored, not sent", 7, true, -1, 0, false},
        {"past the module", 15, false, 0, -1, false},
        {"before the module", 5, false, 0, -1, false},
        {"negative, not reserved", -5, false, 0, -1, false},
        {"special id: availability", -2, false, 0, -1, false},
        {"special id: receiver status", -4, false, 0, -1, false},
        {"special id: device-level value", -8, true, 0, -1, false},
        {"special id: maker name", -9, false, 0, -1, false},
        {"special id: product title", -10, false, 0, -1, false},
        {"just above the reserved range", -128, false, 0, -1, false},
        {"just below the reserved range", -257, false, 0, -1, false},
        {"reserved, local: passed to the device", -200, false, 0, 1, true},
        {"reserved, local: the device's answer is ignored", -256, false, static_cast<QKRESULT>(0x80004005), 1, true},
        {"reserved, upper end", -129, false, 5, 1, true},
        {"reserved from the device: nothing sent", -200, true, 0, 1, false},
    };
    for (const WriteCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        const RCPtr<RecordingRoot> root = RecordingRoot::CreateSetUp();
        root->sendResult = c.sendResult;
        const RCPtr<LArpeggiator> arpeggiator = root->GetDeviceModule()->GetArpeggiatorModule();
        EXPECT_EQ(arpeggiator->SetParamValueLocal(ParamDescriptor(c.id), Bytes("\x05"), c.fromDevice), c.expected);
        ASSERT_EQ(root->sent.size(), c.sends ? 1u : 0u);
        if (c.sends)
        {
            EXPECT_EQ(root->sent[0].id, c.id);
        }
        const bool stored = c.id == 7;
        EXPECT_EQ(BytesOf(root->GetStoredParamValue(ParamDescriptor(7))), stored ? "\x05" : std::string(1, '\0'));
        EXPECT_EQ(root->announced.size(), stored ? 1u : 0u);
    }
}

// The device and the root own no parameters: their inherited checks let only reserved ids
// through.
TEST(ParameterizedModule, ModulesWithoutParametersAcceptOnlyReservedIds)
{
    const RCPtr<RecordingRoot> root = RecordingRoot::CreateSetUp();
    const RCPtr<LDevice> device = root->GetDeviceModule();
    for (const std::int32_t id : {3, 0, 78, -1, -128, -257})
    {
        EXPECT_EQ(LogicErrorOf([&] { device->SetParamValueLocal(ParamDescriptor(id), Bytes("\x01"), false); }),
                  "Logic Error : LParameterizedModule::SetParamValueLocal : RootModuleInterface : Line 109")
            << id;
        EXPECT_EQ(LogicErrorOf([&] { device->GetParamValueLocal(ParamDescriptor(id)); }),
                  "Logic Error : LParameterizedModule::GetParamValueLocal : RootModuleInterface : Line 123")
            << id;
        EXPECT_EQ(LogicErrorOf([&] { root->GetParamValueLocal(ParamDescriptor(id)); }),
                  "Logic Error : LParameterizedModule::GetParamValueLocal : RootModuleInterface : Line 123")
            << id;
    }
    EXPECT_TRUE(root->sent.empty());

    // A reserved id passes the device and reaches the root, which sends it on.
    root->sendResult = 7;
    EXPECT_EQ(device->SetParamValueLocal(ParamDescriptor(-129), Bytes("\x01"), false), 7);
    ASSERT_EQ(root->sent.size(), 1u);
    EXPECT_EQ(root->sent[0].id, -129);
    EXPECT_TRUE(root->announced.empty());
    // The root itself has no parent to climb to.
    EXPECT_EQ(root->SetParamValueLocal(ParamDescriptor(-129), Bytes("\x01"), false), -1);
    EXPECT_EQ(root->GetParamValueLocal(ParamDescriptor(-129)).GetKind(), kVariantEmpty);
}

// A module that was never attached has nowhere to climb to.
TEST(ParameterizedModule, DetachedModuleForwardsNothing)
{
    const RCPtr<LKeybed> keybed = LKeybed::Create();
    EXPECT_EQ(keybed->SetParamValueLocal(ParamDescriptor(0), Bytes("\x01"), false), -1);
    EXPECT_EQ(keybed->GetParamValueLocal(ParamDescriptor(1)).GetKind(), kVariantEmpty);
    EXPECT_EQ(keybed->StoreParamValue(ParamDescriptor(1), Bytes("\x01")), static_cast<QKRESULT>(0x80004005));
    EXPECT_EQ(keybed->GetStoredParamValue(ParamDescriptor(1)).GetKind(), kVariantEmpty);
    EXPECT_FALSE(keybed->GetParent());
    EXPECT_EQ(keybed->GetRootModule().Get(), keybed.Get());
    EXPECT_EQ(keybed->GetModuleForParamID(12345).Get(), keybed.Get());
    EXPECT_TRUE(keybed->Hook10(0));
}

} // namespace
