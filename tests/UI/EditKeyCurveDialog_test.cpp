// The key-curve dialog from the shipped skin: the message bytes, the ranges that keep the
// times in order, the settings written after every change, SEND DEFAULTS, stored sets that
// cannot be shown, the result boxes and the skin children it cannot do without.
#include "UI/EditKeyCurveDialog.h"

#include "QKFramework/Controls/Graph.h"
#include "QKFramework/Controls/Label.h"
#include "QKFramework/Controls/NumericUpDown.h"
#include "QKFramework/Controls/TextBox.h"
#include "QKFramework/Utilities/Storage/IniFileManager.h"
#include "UI/SkinNames.h"

#include "tests/support/Editor/DialogWindow.h"
#include "tests/support/Editor/EditorTestApp.h"
#include "tests/support/Editor/RenamedChild.h"
#include "tests/support/Editor/ScriptedMidiManager.h"
#include "tests/support/Recorder.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/UI/FakeWindowSystem.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;
using Bytes = std::vector<std::uint8_t>;
using Tenths = std::array<std::int32_t, 5>;

const Bytes kDefaultMessage{0xF0, 0x47, 0x7F, 0x50, 0x13, 0x09, 0x07, 0x40,
                            0x01, 0x48, 0x00, 0x50, 0x00, 0x1C, 0x09, 0xF7};

Bytes ToBytes(const Array<signed char>& message)
{
    Bytes bytes;
    for (std::uint32_t i = 0; i < message.GetCount(); ++i)
        bytes.push_back(static_cast<std::uint8_t>(*message.GetAt(i)));
    return bytes;
}

TEST(KeyCurveMessageTest, TimesGoOutInTenthsAsSevenBitPairsAndTheBalanceAsOneByte)
{
    const struct
    {
        std::array<double, 4> times;
        double balance;
        std::size_t at;
        Bytes expected;
    } cases[] = {
        {{96.0, 20.0, 8.0, 2.8}, 0.9, 0, kDefaultMessage},
        {{255.0, 20.0, 8.0, 2.8}, 0.9, 6, {0x13, 0x76}},
        {{96.0, 20.0, 8.0, 2.8}, 2.0, 14, {0x14, 0xF7}},
        {{96.0, 20.0, 8.0, 2.8}, 0.5, 14, {0x05, 0xF7}},
        // 16.0 set in the range 2.9..19.9 reads back a hair below 16.0; it is still 160.
        {{96.0, 20.0, 2.9 + (19.9 - 2.9) * ((16.0 - 2.9) / (19.9 - 2.9)), 2.8}, 0.9, 10, {0x01, 0x20}},
        {{96.0, 20.0, 15.999999999999998, 2.8}, 0.9, 10, {0x01, 0x20}},
        {{96.04999, 20.05, 8.0, 1.0}, 1.0, 6, {0x07, 0x40, 0x01, 0x49, 0x00, 0x50, 0x00, 0x0A, 0x0A, 0xF7}},
    };
    for (const auto& c : cases)
    {
        const Bytes message = ToBytes(LEditKeyCurveDlg::BuildCurveMessage(c.times, c.balance));
        ASSERT_EQ(message.size(), 16u);
        EXPECT_EQ(Bytes(message.begin() + static_cast<std::ptrdiff_t>(c.at),
                        message.begin() + static_cast<std::ptrdiff_t>(c.at + c.expected.size())),
                  c.expected)
            << "V1 " << c.times[0] << ", V3 " << c.times[2] << ", balance " << c.balance;
    }
}

class KeyCurveDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(factory);
        app = RCPtr<EditorTestApp>(new EditorTestApp(factory, system));
        app->makeMidiManager = [this] { return RCPtr<LMidiManager>(midi.Get()); };
        ASSERT_GE(app->RunApplicationStartup(), 0);
    }
    void TearDown() override
    {
        if (recorder)
            recorder->UnsubscribeAll();
        if (app)
            app->Shutdown();
    }

    IIniFileManager& Settings() { return *app->GetIniFileManager(); }
    void Store(const Tenths& tenths)
    {
        for (std::size_t i = 0; i < 5; ++i)
            ASSERT_EQ(Settings().SetInteger(app->GetSettings(1), WString(LEditKeyCurveDlg::kSettingsKeys[i]),
                                            tenths[i]),
                      QK_OK);
    }
    // What the settings file on disk holds, read by a manager of its own.
    Tenths Saved()
    {
        const RCPtr<LIniFileManager> reader = LIniFileManager::Create();
        IniFileHandle file = 0;
        const WString path = app->GetFolder(3) + WString(u"/UserSettings.ini");
        EXPECT_EQ(reader->OpenFile(path, app->GetVersionString(), app->GetProductName(), file), QK_OK);
        Tenths tenths{-1, -1, -1, -1, -1};
        for (std::size_t i = 0; i < 5; ++i)
            reader->GetInteger(file, WString(LEditKeyCurveDlg::kSettingsKeys[i]), -1, tenths[i]);
        reader->CloseFile(file, false);
        return tenths;
    }
    RCPtr<LEditKeyCurveDlg> Open() { return CreateDialog<LEditKeyCurveDlg>(*app, u"dialogEditKeyCurve"); }
    static Tenths Shown(const LEditKeyCurveDlg& dialog)
    {
        Tenths tenths{};
        for (std::size_t i = 0; i < 5; ++i)
            tenths[i] = LEditKeyCurveDlg::ToTenths(dialog.GetShownValue(i));
        return tenths;
    }
    static void Set(LEditKeyCurveDlg& dialog, std::size_t index, double value)
    {
        LNumericUpDown& upDown = *dialog.GetUpDown(index);
        upDown.SetValue(upDown.ValueToFraction(value));
    }
    static std::pair<double, double> Range(const LEditKeyCurveDlg& dialog, std::size_t index)
    {
        const LNumericUpDown& upDown = *dialog.GetUpDown(index);
        return {upDown.GetRangeMinimum(), upDown.GetRangeMaximum()};
    }
    static LGraph& Graph(const LEditKeyCurveDlg& dialog)
    {
        return dynamic_cast<LGraph&>(*dialog.FindChild(WString(u"graph")));
    }

    TemporaryHome home;
    ScopedEnvironment dpi{"VEDIDU_DPI", "96"};
    FakeWindowSystem system;
    RCPtr<LControlFactory> factory = LoadEditorResources();
    RCPtr<ScriptedMidiManager> midi = ScriptedMidiManager::Create();
    RCPtr<EditorTestApp> app;
    std::vector<std::string> log;
    RCPtr<Recorder> recorder;
};

void ExpectRange(const std::pair<double, double>& range, double minimum, double maximum, const char* what)
{
    EXPECT_NEAR(range.first, minimum, 1e-9) << what;
    EXPECT_NEAR(range.second, maximum, 1e-9) << what;
}

TEST_F(KeyCurveDialogTest, OpensWithTheDefaultsTheirRangesAndPointsAndSendsNothing)
{
    const RCPtr<LEditKeyCurveDlg> dialog = Open();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(Narrow(dialog->GetText()), "Edit Keybed Curve") << "the caption of its window";
    EXPECT_EQ(Shown(*dialog), (Tenths{960, 200, 80, 28, 9}));
    ExpectRange(Range(*dialog, 0), 20.1, 255.0, "V1");
    ExpectRange(Range(*dialog, 1), 8.1, 95.9, "V2");
    ExpectRange(Range(*dialog, 2), 2.9, 19.9, "V3");
    ExpectRange(Range(*dialog, 3), 1.0, 7.8, "V4 rises only to V3 - 0.2 while the dialog opens");
    ExpectRange(Range(*dialog, 4), 0.5, 2.0, "balance");
    for (std::size_t i = 0; i < 5; ++i)
    {
        EXPECT_EQ(dialog->GetUpDown(i)->GetDecimalPlaces(), 1);
        EXPECT_DOUBLE_EQ(dialog->GetUpDown(i)->Step, 0.1);
    }
    EXPECT_EQ(Narrow(dialog->GetUpDown(0)->GetTextBox()->GetText()), "96.0");

    LGraph& graph = Graph(*dialog);
    ASSERT_EQ(graph.GetPointCount(), 4u);
    EXPECT_TRUE(graph.GetDrawCurve());
    EXPECT_FLOAT_EQ(graph.GetLineWidth(), 2.0f);
    EXPECT_TRUE(midi->sent.empty());
    EXPECT_TRUE(system.messages.empty());
    EXPECT_EQ(Saved(), (Tenths{-1, -1, -1, -1, -1})) << "opening writes nothing";

    ASSERT_TRUE(ClickChild(*dialog, u"buttonClose"));
    EXPECT_EQ(dialog->GetResult(), 0u);
    EXPECT_TRUE(midi->sent.empty()) << "closing sends nothing";
}

TEST_F(KeyCurveDialogTest, EveryChangeRecomputesTheRangesAndWritesAllFiveSettings)
{
    const RCPtr<LEditKeyCurveDlg> dialog = Open();
    ASSERT_TRUE(dialog);
    const ConstRCPtr<LControl> firstPoint = Graph(*dialog).GetPointControl(0);
    const RectD pointBefore = Graph(*dialog).GetPointControl(3)->GetBounds();

    // A balance change moves no point, but V4 may now rise to V3 - 0.1 and all five are saved.
    Set(*dialog, 4, 1.5);
    ExpectRange(Range(*dialog, 3), 1.0, 7.9, "V4 after the first change");
    EXPECT_EQ(Saved(), (Tenths{960, 200, 80, 28, 15}));
    EXPECT_EQ(Graph(*dialog).GetPointControl(3)->GetBounds(), pointBefore);

    // 16.0 in V3's range 2.9..19.9 is stored as 160, not 159, and the neighbours' ranges follow.
    Set(*dialog, 2, 16.0);
    EXPECT_EQ(Saved(), (Tenths{960, 200, 160, 28, 15}));
    ExpectRange(Range(*dialog, 1), 16.1, 95.9, "V2 above the new V3");
    ExpectRange(Range(*dialog, 3), 1.0, 15.9, "V4 below the new V3");
    EXPECT_EQ(Shown(*dialog), (Tenths{960, 200, 160, 28, 15})) << "the others keep their values";

    ASSERT_TRUE(ClickChild(*dialog, u"buttonSend"));
    ASSERT_EQ(midi->sent.size(), 1u);
    EXPECT_EQ(midi->sent[0][10], 0x01);
    EXPECT_EQ(midi->sent[0][11], 0x20);
    EXPECT_EQ(midi->sent[0][14], 0x0F);

    // The user cannot push a time past its neighbour.
    Set(*dialog, 3, 50.0);
    EXPECT_EQ(Shown(*dialog)[3], 159);
    EXPECT_EQ(Saved()[3], 159);
    EXPECT_EQ(Graph(*dialog).GetPointControl(0).Get(), firstPoint.Get())
        << "points are moved, not made again";
}

TEST_F(KeyCurveDialogTest, OnlyTheChangedTimesPointMovesToTheRight)
{
    const RCPtr<LEditKeyCurveDlg> dialog = Open();
    ASSERT_TRUE(dialog);
    LGraph& graph = Graph(*dialog);
    std::array<RectD, 4> before{};
    for (int i = 0; i < 4; ++i)
        before[static_cast<std::size_t>(i)] = graph.GetPointControl(i)->GetBounds();
    Set(*dialog, 1, 40.0);
    for (int i = 0; i < 4; ++i)
    {
        const RectD now = graph.GetPointControl(i)->GetBounds();
        if (i == 1)
            EXPECT_LT(now.x, before[1].x) << "a longer time lies further left";
        else
            EXPECT_EQ(now, before[static_cast<std::size_t>(i)]) << "point " << i;
        EXPECT_EQ(now.y, before[static_cast<std::size_t>(i)].y) << "the levels stay";
    }
    const double shift =
        graph.ValueToPixel(PointD{255.0 - 40.0, 60.0}).x - graph.ValueToPixel(PointD{255.0 - 20.0, 60.0}).x;
    EXPECT_NEAR(graph.GetPointControl(1)->GetBounds().x - before[1].x, shift, 1.0);
}

TEST_F(KeyCurveDialogTest, TheGraphLabelsFollowTheirPointsInsideThePlot)
{
    const RCPtr<LEditKeyCurveDlg> dialog = Open();
    ASSERT_TRUE(dialog);
    const auto rectOf = [](const LControl& control) {
        RectL rect;
        control.GetWindowRect(rect);
        return rect;
    };
    const auto check = [&](const char* when)
    {
        const RectL plot = rectOf(Graph(*dialog));
        for (int i = 0; i < 4; ++i)
        {
            const RectL point = rectOf(*Graph(*dialog).GetPointControl(i));
            const RCPtr<LControl> label =
                dialog->FindChild(WString((u"labelGraphV" + std::u16string(1, char16_t(u'1' + i))).c_str()));
            ASSERT_TRUE(label);
            const RectL number = rectOf(*label);
            // At a corner of its point, touching it without covering it, and inside the plot.
            const std::int32_t apartX = std::max(number.x - (point.x + point.width), point.x - (number.x + number.width));
            const std::int32_t apartY = std::max(number.y - (point.y + point.height), point.y - (number.y + number.height));
            EXPECT_TRUE((apartX == 0 && apartY <= 0) || (apartY == 0 && apartX <= 0))
                << when << ", label " << i + 1 << " is " << apartX << ", " << apartY << " from its point";
            EXPECT_TRUE(number.x >= plot.x && number.y >= plot.y && number.x + number.width <= plot.x + plot.width &&
                        number.y + number.height <= plot.y + plot.height)
                << when << ", label " << i + 1;
            EXPECT_EQ(label->GetLayoutDescriptor()->X.Size.Abs, 12.0) << "the skin's size stays";
        }
    };
    check("opened");
    Set(*dialog, 0, 200.0);
    check("after a change");
}

TEST_F(KeyCurveDialogTest, SendDefaultsFromLowValuesShowsStoresAndSendsExactlyTheDefaults)
{
    std::array<RectD, 4> points{};
    {
        const RCPtr<LEditKeyCurveDlg> reference = Open();
        ASSERT_TRUE(reference);
        for (int i = 0; i < 4; ++i)
            points[static_cast<std::size_t>(i)] = Graph(*reference).GetPointControl(i)->GetBounds();
    }
    Store({50, 40, 30, 20, 15});
    const RCPtr<LEditKeyCurveDlg> dialog = Open();
    ASSERT_TRUE(dialog);
    ASSERT_EQ(Shown(*dialog), (Tenths{50, 40, 30, 20, 15}));

    ASSERT_TRUE(ClickChild(*dialog, u"buttonSetDefaults"));
    EXPECT_EQ(Shown(*dialog), (Tenths{960, 200, 80, 28, 9}));
    EXPECT_EQ(Saved(), (Tenths{960, 200, 80, 28, 9}));
    ASSERT_EQ(midi->sent.size(), 1u);
    EXPECT_EQ(midi->sent[0], kDefaultMessage);
    EXPECT_EQ(Narrow(dialog->GetUpDown(3)->GetTextBox()->GetText()), "2.8");
    ExpectRange(Range(*dialog, 3), 1.0, 7.9, "V4");
    ExpectRange(Range(*dialog, 0), 20.1, 255.0, "V1");
    for (int i = 0; i < 4; ++i)
    {
        const RectD point = Graph(*dialog).GetPointControl(i)->GetBounds();
        EXPECT_NEAR(point.x, points[static_cast<std::size_t>(i)].x, 1e-6)
            << "point " << i << " follows its default";
        EXPECT_NEAR(point.y, points[static_cast<std::size_t>(i)].y, 1e-6) << "point " << i;
    }
    ASSERT_EQ(system.messages.size(), 1u);
    EXPECT_EQ(Narrow(WString(system.messages[0].caption.c_str())), "Send Curve Settings Success");

    // Still editable as usual afterwards.
    Set(*dialog, 3, 5.0);
    EXPECT_EQ(Saved()[3], 50);
}

TEST_F(KeyCurveDialogTest, ADefaultEqualToTheCurrentValueSendsNoChangeNotice)
{
    const RCPtr<LEditKeyCurveDlg> dialog = Open();
    ASSERT_TRUE(dialog);
    Set(*dialog, 4, 1.5);
    recorder = Recorder::Create("rec", log);
    for (std::size_t i = 0; i < 5; ++i)
        recorder->Subscribe(ConstRCPtr<LNotificationDistributor>(dialog->GetUpDown(i)), u"NID_VALUE_CHANGE",
                            0);

    ASSERT_TRUE(ClickChild(*dialog, u"buttonSetDefaults"));
    ASSERT_EQ(recorder->sources.size(), 1u) << "only the balance changed";
    EXPECT_EQ(recorder->sources[0], dialog->GetUpDown(4));
    EXPECT_EQ(midi->sent.size(), 1u);

    log.clear();
    recorder->sources.clear();
    ASSERT_TRUE(ClickChild(*dialog, u"buttonSetDefaults"));
    EXPECT_TRUE(log.empty()) << "nothing changes the second time";
    ASSERT_EQ(midi->sent.size(), 2u) << "but the message still goes out";
    EXPECT_EQ(midi->sent[1], kDefaultMessage);
}

TEST_F(KeyCurveDialogTest, AStoredSetThatCannotBeShownOpensAsTheDefaults)
{
    const struct
    {
        Tenths stored;
        Tenths shown;
    } cases[] = {
        {{1000, 300, 100, 50, 15}, {1000, 300, 100, 50, 15}},
        {{2550, 2549, 2548, 10, 20}, {2550, 2549, 2548, 10, 20}},
        {{200, 960, 80, 28, 9}, {960, 200, 80, 28, 9}},
        {{960, 200, 200, 28, 9}, {960, 200, 80, 28, 9}},
        {{960, 200, 80, 90, 9}, {960, 200, 80, 28, 9}},
        {{2551, 200, 80, 28, 9}, {960, 200, 80, 28, 9}},
        {{960, 200, 80, 9, 9}, {960, 200, 80, 28, 9}},
        {{960, 200, 80, 28, 4}, {960, 200, 80, 28, 9}},
        {{960, 200, 80, 28, 21}, {960, 200, 80, 28, 9}},
        {{-5, -10, -20, -30, 9}, {960, 200, 80, 28, 9}},
    };
    for (const auto& c : cases)
    {
        Store(c.stored);
        const RCPtr<LEditKeyCurveDlg> dialog = Open();
        ASSERT_TRUE(dialog);
        EXPECT_EQ(Shown(*dialog), c.shown) << "stored " << c.stored[0] << " " << c.stored[1] << " "
                                           << c.stored[2] << " " << c.stored[3] << " " << c.stored[4];
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_LE(Range(*dialog, i).first, Range(*dialog, i).second) << "range " << i;
    }
}

TEST_F(KeyCurveDialogTest, TheResultBoxSaysWhetherTheControllerTookTheCurve)
{
    const struct
    {
        QKRESULT answer;
        const char* caption;
        const char* text;
    } cases[] = {
        {16, "Send Curve Settings Success", "Curve Settings have been sent successfully to the device."},
        {0, "Send Curve Settings Success", "Curve Settings have been sent successfully to the device."},
        {-1, "Send Curve Settings Error",
         "Error connecting to device. Verify your Dozavod Professional Vedidu is connected to the computer "
         "and try "
         "again."},
        {static_cast<QKRESULT>(0x80004005), "Send Curve Settings Error",
         "Error connecting to device. Verify your Dozavod Professional Vedidu is connected to the computer "
         "and try "
         "again."},
    };
    const RCPtr<LEditKeyCurveDlg> dialog = Open();
    ASSERT_TRUE(dialog);
    for (const auto& c : cases)
    {
        system.messages.clear();
        midi->sendAnswer = c.answer;
        EXPECT_EQ(dialog->SendCurveSettings(), c.answer);
        ASSERT_EQ(system.messages.size(), 1u);
        EXPECT_EQ(Narrow(WString(system.messages[0].caption.c_str())), c.caption);
        EXPECT_EQ(Narrow(WString(system.messages[0].text.c_str())), c.text);
        EXPECT_EQ(system.messages[0].flags, 0u);
    }
    EXPECT_EQ(Shown(*dialog), (Tenths{960, 200, 80, 28, 9})) << "a failed send changes no value";
}

TEST_F(KeyCurveDialogTest, WithoutAControllerSendShowsTheErrorAndAnswersMinusOne)
{
    midi->askManager = true;
    const RCPtr<LEditKeyCurveDlg> dialog = Open();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(ClickChild(*dialog, u"buttonSend"));
    ASSERT_EQ(system.messages.size(), 1u);
    EXPECT_EQ(Narrow(WString(system.messages[0].caption.c_str())), "Send Curve Settings Error");
    EXPECT_EQ(dialog->SendCurveSettings(), -1);
}

TEST_F(KeyCurveDialogTest, AChildTheDialogCannotDoWithoutIsNamedWhenItIsMissing)
{
    const char16_t* const required[] = {
        u"graph",        u"numericUpDownV1", u"numericUpDownV4", u"numericUpDownBlackKeyBalance",
        u"labelGraphV3", u"buttonSend",      u"buttonClose",     u"buttonSetDefaults"};
    const RCPtr<LControlDescriptor> description =
        factory->FindSubControlDescriptor(WString(u"dialogEditKeyCurve"));
    ASSERT_TRUE(description);
    for (const char16_t* name : required)
    {
        RenamedChild renamed(*description, name);
        ASSERT_TRUE(renamed) << Narrow(WString(name));
        const std::string expected = "Runtime Error : Null Pointer : LEditKeyCurveDlg couldn't find " +
                                     Narrow(WString(name)) +
                                     " : LEditKeyCurveDlg::Initialize : UI\\EditKeyCurveDialog";
        try
        {
            const RCPtr<LControl> control = app->CreateControl(WString(u"dialogEditKeyCurve"));
            ADD_FAILURE() << "no error for a missing " << Narrow(WString(name));
        }
        catch (const std::runtime_error& error)
        {
            EXPECT_EQ(std::string(error.what()).substr(0, expected.size()), expected);
        }
    }
    EXPECT_TRUE(midi->sent.empty());
}

// The curve's width is in the skins' units, as the dialog's size is: twice the pixels in
// the high-DPI skin.
TEST_F(KeyCurveDialogTest, BothSkinsDrawTheDialogWithItsCurveAndLabels)
{
    const struct
    {
        std::uint32_t skin;
        const char* picture;
        double width;
        float curveWidth;
    } skins[] = {{SkinNames::kStandardSkin, "key-curve-dialog.png", 500.0, 2.0f},
                 {SkinNames::kHighDpiSkin, "key-curve-dialog-high-dpi.png", 1000.0, 4.0f}};
    Store({1200, 400, 150, 40, 12});
    for (const auto& skin : skins)
    {
        ASSERT_EQ(app->SetSkin(static_cast<std::int32_t>(skin.skin)), QK_OK);
        const RCPtr<LEditKeyCurveDlg> dialog = Open();
        ASSERT_TRUE(dialog);
        DialogWindow window(RCPtr<LControl>(dialog.Get()));
        EXPECT_EQ(dialog->GetWidth(), skin.width);
        EXPECT_FLOAT_EQ(Graph(*dialog).GetLineWidth(), skin.curveWidth) << skin.picture;
        EXPECT_TRUE(window.SavePicture(skin.picture)) << skin.picture;
    }
}

} // namespace
} // namespace QK
