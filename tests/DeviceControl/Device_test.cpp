// The device module: its 31 modules, their places, and the routing of ids to them.

#include "DeviceTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>
#include <string>

namespace
{

using namespace QK;
using namespace QK::test;

TEST(Device, RoutesOnlyTheSeventyNineIds)
{
    const RCPtr<RecordingRoot> root = RecordingRoot::CreateSetUp(10);
    const RCPtr<LDevice> device = root->GetDeviceModule();
    for (const std::int32_t id : {9, 89, 1000, -1, -200, INT_MIN, INT_MAX})
    {
        EXPECT_FALSE(device->GetModuleForParamID(id)) << id;
        EXPECT_FALSE(root->GetModuleForParamID(id)) << id;
        EXPECT_FALSE(root->GetModuleRef(id)) << id;
    }
    EXPECT_EQ(device->GetModuleForParamID(10).Get(), device->GetProgramNameModule().Get());
    EXPECT_EQ(device->GetModuleForParamID(88).Get(), device->GetSoundSettingsModule().Get());
    EXPECT_EQ(root->GetModuleRef(59).Get(), device->GetHardwareKnobModule(3).Get());
}

TEST(Device, InterfaceAccessorsAnswerTheModules)
{
    const RCPtr<LDevice> device = LDevice::Create();
    EXPECT_EQ(static_cast<LParameterizedModule*>(device->GetProgramName().Get()),
              static_cast<LParameterizedModule*>(device->GetProgramNameModule().Get()));
    EXPECT_EQ(static_cast<LParameterizedModule*>(device->GetMidiChannelsAndAftertouch().Get()),
              static_cast<LParameterizedModule*>(device->GetMidiChannelsAndAftertouchModule().Get()));
    EXPECT_EQ(static_cast<LParameterizedModule*>(device->GetKeybed().Get()),
              static_cast<LParameterizedModule*>(device->GetKeybedModule().Get()));
    EXPECT_EQ(static_cast<LParameterizedModule*>(device->GetArpeggiator().Get()),
              static_cast<LParameterizedModule*>(device->GetArpeggiatorModule().Get()));
    EXPECT_EQ(static_cast<LParameterizedModule*>(device->GetJoystick(1).Get()),
              static_cast<LParameterizedModule*>(device->GetJoystickModule(1).Get()));
    EXPECT_EQ(static_cast<LParameterizedModule*>(device->GetPad(15).Get()),
              static_cast<LParameterizedModule*>(device->GetPadModule(15).Get()));
    EXPECT_EQ(static_cast<LParameterizedModule*>(device->GetHardwareKnob(7).Get()),
              static_cast<LParameterizedModule*>(device->GetHardwareKnobModule(7).Get()));
    EXPECT_EQ(static_cast<LParameterizedModule*>(device->GetSoundSettings().Get()),
              static_cast<LParameterizedModule*>(device->GetSoundSettingsModule().Get()));
    // Indexes past the modules of a kind answer nothing rather than reading past the list.
    EXPECT_FALSE(device->GetJoystickModule(2));
    EXPECT_FALSE(device->GetPad(16));
    EXPECT_FALSE(device->GetHardwareKnob(8));
}

TEST(Device, CreatingTheModulesAgainReplacesAndReleasesEveryOne)
{
    const RCPtr<LDevice> device = LDevice::Create();
    const RCPtr<LPad> oldPad = device->GetPadModule(3);
    const RCPtr<LKeybed> oldKeybed = device->GetKeybedModule();
    ASSERT_EQ(oldPad->GetRefCount(), 2);
    device->CreateChildModules();
    EXPECT_EQ(oldPad->GetRefCount(), 1);
    EXPECT_EQ(oldKeybed->GetRefCount(), 1);
    EXPECT_NE(device->GetPadModule(3).Get(), oldPad.Get());
    EXPECT_NE(device->GetKeybedModule().Get(), oldKeybed.Get());
    EXPECT_TRUE(device->GetPadModule(15));
    EXPECT_FALSE(device->GetPadModule(16));
}

// A device that lacks its modules, so that only its own check remains.
class BareDevice : public LDevice
{
public:
    RCPtr<LProgramName> GetProgramNameModule() override { return {}; }
    RCPtr<LMidiChannelsAndAftertouch> GetMidiChannelsAndAftertouchModule() override { return {}; }
    RCPtr<LKeybed> GetKeybedModule() override { return {}; }
    RCPtr<LArpeggiator> GetArpeggiatorModule() override { return {}; }
    RCPtr<LJoystick> GetJoystickModule(std::uint32_t) override { return {}; }
    RCPtr<LPad> GetPadModule(std::uint32_t) override { return {}; }
    RCPtr<LHardwareKnob> GetHardwareKnobModule(std::uint32_t) override { return {}; }
    RCPtr<LSoundSettings> GetSoundSettingsModule() override { return {}; }
};

// The device must start where the root starts. Its modules are placed first, so with them
// present the first misplaced module reports; the device's own check remains for a device
// without them.
TEST(Device, RefusesAFirstIdOtherThanTheRoots)
{
    const RCPtr<RecordingRoot> root = RecordingRoot::CreateSetUp(0);
    const RCPtr<LDevice> device = root->GetDeviceModule();
    EXPECT_EQ(LogicErrorOf([&] { device->SetFirstParamID(root.Get(), 5, 0); }),
              "Logic Error : Invalid FirstParamID : QK::LProgramName::SetFirstParamID : ProgramName : Line 77");

    const RCPtr<LDevice> bare(new BareDevice());
    EXPECT_EQ(LogicErrorOf([&] { bare->SetFirstParamID(root.Get(), 5, 0); }),
              "Logic Error : Invalid FirstParamID : QK::LDevice::SetFirstParamID : Device : Line 77");
    EXPECT_EQ(bare->GetFirstParamID(), 5);
    EXPECT_FALSE(bare->GetModuleForParamID(5));
    EXPECT_EQ(LogicErrorOf([&] { bare->SetFirstParamID(root.Get(), 0, 0); }), "(nothing thrown)");
}

// A device without a root above it is its own root: a child's place is then checked
// against the device's first id.
TEST(Device, StandaloneDevicePlacesItsModules)
{
    const RCPtr<LDevice> device = LDevice::Create();
    device->SetFirstParamID(nullptr, 0, 0);
    EXPECT_EQ(device->GetHardwareKnobModule(3)->GetFirstParamID(), 49);
    EXPECT_EQ(device->GetHardwareKnobModule(3)->GetIndex(), 3u);
    EXPECT_EQ(device->GetJoystickModule(1)->GetFirstParamID(), 18);
    EXPECT_EQ(device->GetPadModule(15)->GetFirstParamID(), 36);
    EXPECT_EQ(device->GetSoundSettingsModule()->GetFirstParamID(), 69);
    EXPECT_EQ(device->GetPadModule(15)->GetParent().Get(), device.Get());
}

} // namespace
