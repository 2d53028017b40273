// The key-curve dialog against the simulated controller on the test script's JACK server:
// what SEND and SEND DEFAULTS put on the wire arrives as it was sent, and an unplugged
// controller gets the error box. Every wait is bounded.
#include "UI/EditKeyCurveDialog.h"

#include "QKFramework/Controls/NumericUpDown.h"
#include "QKFramework/Midi/MidiBackend.h"

#include "tests/support/Editor/DialogWindow.h"
#include "tests/support/Editor/EditorTestApp.h"
#include "tests/support/Midi/EditorMidiNames.h"
#include "tests/support/Midi/SimulatedController.h"
#include "tests/support/Midi/SimulatorProcess.h"
#include "tests/support/Recorder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UI/FakeWindowSystem.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;
using Bytes = std::vector<std::uint8_t>;

class KeyCurveIntegrationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetMidiBackend(nullptr);
        UseEditorMidiNames();
        ASSERT_TRUE(simulator.Start({"--state", statePath}));
        ASSERT_TRUE(WaitUntil(
            [&]
            {
                return CountListedDevices(*GetMidiBackend(), MidiDirection::Input,
                                          SimulatorProcess::kPortName) == 1 &&
                       CountListedDevices(*GetMidiBackend(), MidiDirection::Output,
                                          SimulatorProcess::kPortName) == 1;
            }))
            << "the simulator's ports did not appear; is a JACK server running (scripts/test.sh starts one)?";
        ASSERT_TRUE(factory);
        app = RCPtr<EditorTestApp>(new EditorTestApp(factory, system));
        ASSERT_GE(app->RunApplicationStartup(), 0);
        ASSERT_TRUE(app->GetMidiManager()->AreMidiPortsOpen());
    }
    void TearDown() override
    {
        if (app)
            app->Shutdown();
        app = nullptr;
        if (simulator.IsRunning())
        {
            EXPECT_EQ(simulator.Stop(), 0);
        }
    }

    // The key curve the simulator has kept, from its state file.
    Bytes KeptCurve()
    {
        std::ifstream file(statePath);
        std::stringstream text;
        text << file.rdbuf();
        SimulatedController controller;
        std::string error;
        if (!controller.LoadState(text.str(), error))
            return {};
        return Bytes(controller.GetKeyCurve().begin(), controller.GetKeyCurve().end());
    }
    bool WaitForCurve(const Bytes& expected)
    {
        return WaitUntil([&] { return KeptCurve() == expected; });
    }
    RCPtr<LEditKeyCurveDlg> Open() { return CreateDialog<LEditKeyCurveDlg>(*app, u"dialogEditKeyCurve"); }
    std::string LastCaption() const
    {
        return system.messages.empty() ? std::string()
                                       : Narrow(WString(system.messages.back().caption.c_str()));
    }

    TempFolder folder;
    const std::string statePath = folder.Path() + "/simulator.state";
    SimulatorProcess simulator;
    TemporaryHome home;
    FakeWindowSystem system;
    RCPtr<LControlFactory> factory = LoadEditorResources();
    RCPtr<EditorTestApp> app;
};

TEST_F(KeyCurveIntegrationTest, TheSixteenBytesArriveAsSentAndAnUnpluggedControllerGetsTheErrorBox)
{
    const RCPtr<LEditKeyCurveDlg> dialog = Open();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(KeptCurve().empty()) << "opening sends nothing";

    LNumericUpDown& v1 = *dialog->GetUpDown(0);
    v1.SetValue(v1.ValueToFraction(120.5));
    ASSERT_TRUE(ClickChild(*dialog, u"buttonSend"));
    EXPECT_EQ(LastCaption(), "Send Curve Settings Success");
    EXPECT_TRUE(WaitForCurve(
        {0xF0, 0x47, 0x7F, 0x50, 0x13, 0x09, 0x09, 0x35, 0x01, 0x48, 0x00, 0x50, 0x00, 0x1C, 0x09, 0xF7}));

    ASSERT_TRUE(ClickChild(*dialog, u"buttonSetDefaults"));
    EXPECT_EQ(LastCaption(), "Send Curve Settings Success");
    EXPECT_TRUE(WaitForCurve(
        {0xF0, 0x47, 0x7F, 0x50, 0x13, 0x09, 0x07, 0x40, 0x01, 0x48, 0x00, 0x50, 0x00, 0x1C, 0x09, 0xF7}));

    ASSERT_EQ(simulator.Stop(), 0);
    ASSERT_TRUE(WaitUntil(
        [] {
            return CountListedDevices(*GetMidiBackend(), MidiDirection::Output,
                                      SimulatorProcess::kPortName) == 0;
        }));
    system.messages.clear();
    EXPECT_EQ(dialog->SendCurveSettings(), -1);
    EXPECT_EQ(LastCaption(), "Send Curve Settings Error");
}

} // namespace
} // namespace QK
