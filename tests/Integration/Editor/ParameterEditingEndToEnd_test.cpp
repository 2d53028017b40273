// Parameter editing as a person meets it: favorite 3 is fetched from the simulated controller
// and every one of the 79 editors on the device view shows its value, as text and as pixels;
// a tempo and a program name typed with the keyboard reach the model once, go back to the
// controller's favorite 3, are saved, and come back from the file after the model changed.
// The device view with the fetched preset is saved as a picture for a person to look at.
#include "tests/Integration/Editor/EndToEndFixture.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/PresetEditorAppEngine.h"
#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/ComboBox.h"
#include "QKFramework/Controls/Label.h"
#include "QKFramework/Controls/NumericUpDown.h"
#include "QKFramework/Controls/TextBox.h"
#include "UI/NameEditPanel.h"
#include "UI/PresetEditorCommon/EditPanelSupport.h"
#include "UI/PresetEditorCommon/MidiNoteSelector.h"
#include "UI/PresetEditorCommon/VariantBufferSetterParameterPanel.h"

#include "tests/support/Editor/ParameterEditorPaths.h"
#include "tests/support/Editor/ScreenOfSize.h"
#include "tests/support/Recorder.h"

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>

namespace QK
{
namespace
{

using namespace TestSupport;

constexpr std::uint32_t kTempo = kArpeggiatorTempoIndex;

// The editor's own engine, which also writes down every value set into it.
class RecordingEngine final : public LPresetEditorAppEngine
{
public:
    struct Write
    {
        std::int32_t id;
        ByteBlock bytes;
    };

    static RCPtr<RecordingEngine> Create() { return RCPtr<RecordingEngine>(new RecordingEngine()); }

    QKRESULT SetParamValue(const ParamDescriptor& descriptor, const Variant& value) override
    {
        std::uint32_t size = 0;
        const auto* bytes = static_cast<const std::uint8_t*>(value.GetData(size));
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_writes.push_back({descriptor.id, bytes ? ByteBlock(bytes, bytes + size) : ByteBlock()});
        }
        return LPresetEditorAppEngine::SetParamValue(descriptor, value);
    }

    // The values written to the parameter at index since the last Forget.
    std::vector<ByteBlock> WritesTo(std::uint32_t index)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<ByteBlock> found;
        for (const Write& write : m_writes)
            if (write.id == GetFirstParamID() + static_cast<std::int32_t>(index))
                found.push_back(write.bytes);
        return found;
    }
    std::size_t WriteCount()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_writes.size();
    }
    void Forget()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_writes.clear();
    }

private:
    RecordingEngine() = default;

    std::mutex m_mutex;
    std::vector<Write> m_writes;
};

ByteBlock ValueIn(const Preset& preset, std::uint32_t index)
{
    const auto first = preset.begin() + GetParameterByteOffset(index);
    return ByteBlock(first, first + GetParameterByteSize(index));
}

std::string NoteText(int note)
{
    static const char* const kNames[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    return std::string(kNames[note % 12]) + " " + std::to_string(note / 12 - 1);
}

// What one editor shows, read from its controls as a person reads them; "?" for an editor
// of no known kind.
std::string Shown(LControl& editor)
{
    if (auto* name = dynamic_cast<LNameEditPanel*>(&editor))
        return name->GetTextBox() ? Narrow(name->GetTextBox()->GetText()) : "?";
    if (const RCPtr<LControl> combo = editor.FindChild(WString(u"comboBox")))
        return Narrow(combo->GetText());
    const RCPtr<LControl> control = editor.FindChild(WString(u"parameterControl"));
    if (auto* note = dynamic_cast<LMidiNoteSelector*>(control.Get()))
    {
        if (!note->GetNumericUpDown() || !note->GetNumericUpDown()->GetTextBox() || !note->GetNoteNameLabel() ||
            !note->GetOctaveNameLabel())
            return "?";
        return Narrow(note->GetNumericUpDown()->GetTextBox()->GetText()) + " " +
               Narrow(note->GetNoteNameLabel()->GetText()) + " " + Narrow(note->GetOctaveNameLabel()->GetText());
    }
    if (auto* number = dynamic_cast<LNumericUpDown*>(control.Get()))
        return number->GetTextBox() ? Narrow(number->GetTextBox()->GetText()) : "?";
    if (dynamic_cast<LButton*>(control.Get()))
        return Narrow(control->GetText());
    return "?";
}

// What the editor must show for the stored bytes: a name's characters, a combo's item,
// a number less the offset, the tempo's two 7-bit halves, the on/off text, or a note with
// its name and octave.
std::string Expected(LControl& editor, const ByteBlock& bytes)
{
    if (dynamic_cast<LNameEditPanel*>(&editor))
        return std::string(bytes.begin(), std::find(bytes.begin(), bytes.end(), 0));
    auto* panel = dynamic_cast<LVariantBufferSetterParameterPanel*>(&editor);
    if (!panel || bytes.empty())
        return "?";
    if (const RCPtr<LComboBox> combo = FindChildAs<LComboBox>(editor, u"comboBox"))
    {
        const int item = bytes[0] - static_cast<std::uint8_t>(panel->GetValueOffset());
        if (!combo->GetListBox() || item < 0 || item >= static_cast<int>(combo->GetItemCount()))
            return "no item " + std::to_string(item);
        return Narrow(combo->GetListBox()->GetItemText(item));
    }
    const RCPtr<LControl> control = editor.FindChild(WString(u"parameterControl"));
    if (panel->IsTwoByteValue())
        return bytes.size() == 2 ? std::to_string(bytes[0] * 128 + bytes[1]) : "?";
    if (dynamic_cast<LMidiNoteSelector*>(control.Get()))
        return std::to_string(bytes[0]) + " " + NoteText(bytes[0]);
    if (dynamic_cast<LNumericUpDown*>(control.Get()))
        return std::to_string(static_cast<std::int8_t>(bytes[0]) - static_cast<int>(panel->GetValueOffset()));
    if (dynamic_cast<LButton*>(control.Get()))
        return bytes[0] ? "ON" : "OFF";
    return "?";
}

// The middle of row n of an open drop-down list, from the list's top: rows of 18 pixels
// inside a 3-pixel frame in the standard skin, twice that in the high-DPI one.
std::int32_t Row(EditorDriver& d, std::int32_t n)
{
    const std::int32_t scale = d.Application().IsHighDpi() ? 2 : 1;
    return scale * (3 + n * 18 + 9);
}

// Run at both skins: the standard one and, with a screen of 160 dpi, the high-DPI one.
class ParameterEditingEndToEndTest : public EndToEndFixture, public ::testing::WithParamInterface<const char*>
{
protected:
    void SetUp() override
    {
        EndToEndFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // Every editor is looked at in the whole window, unscrolled.
        ASSERT_TRUE(UseScreenOfSize(kWholeWindowScreenWidth, kWholeWindowScreenHeight));
    }

    // A picture's name with the resolution it was taken at.
    std::string PictureName(const std::string& stem) const
    {
        std::string name = stem;
        name += '-';
        name += GetParam();
        name += "dpi.png";
        return name;
    }

    ScopedEnvironment m_dpi{"VEDIDU_DPI", GetParam()};
};

INSTANTIATE_TEST_SUITE_P(BothSkins, ParameterEditingEndToEndTest, ::testing::Values("96", "160"));

TEST_P(ParameterEditingEndToEndTest, EveryEditorShowsTheFetchedFavoriteAndTypedValuesTravelOnce)
{
    const Preset favorite = Favorite3();
    const std::vector<std::string> paths = EditorsInIdOrder();
    ASSERT_EQ(paths.size(), kParameterCount);
    const std::string saved = m_folder / "Typed.vedidu";
    const ByteBlock typedTempo = {0x01, 0x48};
    const ByteBlock typedName = NameBytes("TYPED NAME");

    EditorDriverOptions options;
    RCPtr<RecordingEngine> engine;
    options.makeEngine = [&]
    {
        engine = RecordingEngine::Create();
        return RCPtr<LRootModuleEngine>(engine);
    };
    EditorDriver driver(options);
    const int status = driver.Run(
        [&](EditorDriver& d)
        {
            ASSERT_TRUE(engine);
            ASSERT_TRUE(d.Settle());
            std::vector<RCPtr<LControl>> editors;
            for (const std::string& path : paths)
            {
                editors.push_back(d.Find("viewDevice/" + path));
                ASSERT_TRUE(editors.back()) << path;
            }
            std::vector<std::string> before;
            std::vector<Picture> beforePictures;
            for (const RCPtr<LControl>& editor : editors)
            {
                before.push_back(Shown(*editor));
                beforePictures.push_back(d.ReadPicture(*editor));
            }

            // REC of favorite 3: every editor shows its value.
            ASSERT_TRUE(d.Click("fav3/recButton"));
            ASSERT_TRUE(d.WaitUntil([&] { return !d.Boxes().empty(); })) << "no box after REC";
            EXPECT_TRUE(HasBox(d, u"Retrieve Favorite", u"The favorite has been successfully retrieved.", 0))
                << DescribeBoxes(d);
            ASSERT_TRUE(d.Settle());
            EXPECT_EQ(ModelImage(*engine), ByteBlock(favorite.begin(), favorite.end()));
            std::size_t changedFields = 0;
            for (std::uint32_t i = 0; i < kParameterCount; ++i)
            {
                LControl& editor = *editors[i];
                const std::string shown = Shown(editor);
                EXPECT_EQ(shown, Expected(editor, ValueIn(favorite, i))) << paths[i];
                if (shown == before[i] || !editor.IsVisible(true))
                    continue;
                // A changed text is drawn: the editor's pixels are no longer the start-up's.
                ++changedFields;
                EXPECT_GT(d.ReadPicture(editor).CountDifferences(beforePictures[i]), 0u)
                    << paths[i] << " shows \"" << shown << "\" but looks as it did with \"" << before[i] << "\"";
            }
            EXPECT_GT(changedFields, 40u) << "favorite 3 should change most of what the editors show";
            EXPECT_EQ(Shown(*editors[kTempo]), "142");
            EXPECT_EQ(Shown(*editors[kKeybedOffset + 1]), "2");
            EXPECT_EQ(Shown(*editors[kPadOffset + 4]), "60 C 4");
            const RCPtr<LControl> view = d.Find("viewDevice");
            ASSERT_TRUE(view);
            EXPECT_FALSE(EditorDriver::SavePicture(PictureName("editor-parameters-favorite3"), d.ReadPicture(*view)).empty());
            engine->Forget();
            d.ClearBoxes();

            // The tempo typed into its field and confirmed with Return.
            ASSERT_TRUE(d.Click("viewDevice/arpeggiator/tempo/parameterControl/textBox"));
            ASSERT_TRUE(d.PressKeys("Ctrl+A"));
            d.Type("200");
            ASSERT_TRUE(d.PressKeys("Return"));
            ASSERT_TRUE(d.Settle());
            EXPECT_EQ(engine->WritesTo(kTempo), std::vector<ByteBlock>{typedTempo});
            EXPECT_EQ(Shown(*editors[kTempo]), "200");

            // The program name typed over the old one: each character typed changes the name,
            // and each change is written once (the model's echo writes nothing). It is typed
            // in two bursts, each faster than the model's notices come back: those late
            // notices of the name's earlier states must neither show an old text nor move the
            // caret away from where typing goes on.
            ASSERT_TRUE(d.Click("viewDevice/presetName/editPanel/textBox"));
            ASSERT_TRUE(d.PressKeys("Ctrl+A"));
            d.Type("TYPED");
            ASSERT_TRUE(d.Settle());
            d.Type(" NAME");
            ASSERT_TRUE(d.PressKeys("Return"));
            ASSERT_TRUE(d.Settle());
            LTextBox* nameBox = dynamic_cast<LNameEditPanel&>(*editors[kProgramNameOffset]).GetTextBox();
            ASSERT_TRUE(nameBox);
            EXPECT_EQ(nameBox->GetCaret(), 10);
            const std::vector<ByteBlock> nameWrites = engine->WritesTo(kProgramNameOffset);
            std::vector<ByteBlock> prefixes;
            for (std::size_t length = 1; length <= std::string("TYPED NAME").size(); ++length)
                prefixes.push_back(NameBytes(std::string("TYPED NAME").substr(0, length)));
            EXPECT_EQ(nameWrites, prefixes);
            EXPECT_EQ(engine->WriteCount(), 1 + nameWrites.size()) << "only the two edited values are written";
            EXPECT_EQ(Shown(*editors[kProgramNameOffset]), "TYPED NAME");
            EXPECT_FALSE(EditorDriver::SavePicture(PictureName("editor-parameters-typed"), d.ReadPicture(*view)).empty());

            // SEND to favorite 3: the controller keeps the typed values.
            ASSERT_TRUE(d.Click("fav3/sendButton"));
            ASSERT_TRUE(d.WaitUntil([&] { return !d.Boxes().empty(); })) << "no box after SEND";
            EXPECT_TRUE(HasBox(d, u"Send Favorite Success", u"Favorite has been sent successfully to the device.", 0))
                << DescribeBoxes(d);
            Preset sent = favorite;
            Put(sent, kTempo, typedTempo);
            Put(sent, kProgramNameOffset, typedName);
            EXPECT_TRUE(d.WaitUntil([&] { return SimulatorPreset(3) == sent; }))
                << "the controller's favorite 3 does not hold the typed tempo and name";
            d.ClearBoxes();

            // Saved, changed, opened again: the editors show the saved values.
            d.FileDialogs().Answer(saved);
            ASSERT_TRUE(d.PressKeys("Ctrl+S"));
            ASSERT_TRUE(d.WaitUntil([&] { return std::filesystem::exists(saved) && ReadBytes(saved).size() == 2123; }))
                << "nothing saved at " << saved;
            Variant slow;
            const std::uint8_t slowBytes[] = {0x00, 0x50};
            slow.SetBytes(slowBytes, sizeof slowBytes);
            engine->SetParamValue(ParamDescriptor(engine->GetFirstParamID() + kTempo), slow);
            Variant other;
            const ByteBlock otherName = NameBytes("CHANGED");
            other.SetBytes(otherName.data(), kNameByteSize);
            engine->SetParamValue(ParamDescriptor(engine->GetFirstParamID() + kProgramNameOffset), other);
            ASSERT_TRUE(d.Settle());
            EXPECT_EQ(Shown(*editors[kTempo]), "80");
            EXPECT_EQ(Shown(*editors[kProgramNameOffset]), "CHANGED");

            d.FileDialogs().Answer(saved);
            ASSERT_TRUE(d.PressKeys("Ctrl+O"));
            EXPECT_TRUE(d.WaitUntil([&] { return Shown(*editors[kTempo]) == "200"; })) << "the file was not opened";
            ASSERT_TRUE(d.Settle());
            EXPECT_EQ(Shown(*editors[kProgramNameOffset]), "TYPED NAME");
            EXPECT_EQ(ModelImage(*engine), ByteBlock(sent.begin(), sent.end()));
            EXPECT_TRUE(d.Boxes().empty()) << DescribeBoxes(d);

            // Other edits a person makes, each written once with the bytes it shows.
            const struct
            {
                const char* what;
                std::function<void()> edit;
                std::uint32_t index;
                ByteBlock written;
                std::string shown;
            } edits[] = {
                {"the tempo's up button",
                 [&] { ASSERT_TRUE(d.Click("viewDevice/arpeggiator/tempo/parameterControl/buttonUp")); },
                 kTempo, {0x01, 0x49}, "201"},
                {"a tempo past the range, left with Tab",
                 [&]
                 {
                     ASSERT_TRUE(d.Click("viewDevice/arpeggiator/tempo/parameterControl/textBox"));
                     ASSERT_TRUE(d.PressKeys("Ctrl+A"));
                     d.Type("999");
                     ASSERT_TRUE(d.PressKeys("Tab"));
                 },
                 kTempo, {0x01, 0x70}, "240"},
                {"the arpeggiator's on/off button",
                 [&] { ASSERT_TRUE(d.Click("viewDevice/arpeggiator/arpOnOff/parameterControl")); },
                 kArpeggiatorOffset, {0x00}, "OFF"},
                {"a pad note's down button",
                 [&] { ASSERT_TRUE(d.Click("viewDevice/padBank1/pad1/midiNote/numericUpDown/buttonDown")); },
                 kPadOffset, {39}, "39 D# 2"},
                {"the swing typed and confirmed",
                 [&]
                 {
                     ASSERT_TRUE(d.Click("viewDevice/arpeggiator/swing/parameterControl/textBox"));
                     ASSERT_TRUE(d.PressKeys("Ctrl+A"));
                     d.Type("72");
                     ASSERT_TRUE(d.PressKeys("Return"));
                 },
                 kArpeggiatorOffset + 5, {22}, "72"},
                {"an item picked from a combo's open list",
                 [&]
                 {
                     ASSERT_TRUE(d.Click("viewDevice/arpeggiator/timeDivision/comboBox"));
                     ASSERT_TRUE(d.Settle());
                     const RCPtr<LComboBox> combo =
                         FindChildAs<LComboBox>(*editors[kArpeggiatorOffset + 2], u"comboBox");
                     ASSERT_TRUE(combo && combo->GetListBox() && combo->GetListBox()->IsVisible(true))
                         << "the list did not open";
                     // The sixth row of the list ("1/16T"): rows of 18 pixels inside a 3-pixel frame
                     // (doubled in the high-DPI skin).
                     RectL list;
                     combo->GetListBox()->GetWindowRect(list);
                     d.ClickAt(d.MainWindow(), PointL{list.x + list.width / 2, list.y + Row(d, 5)});
                 },
                 kArpeggiatorOffset + 2, {5}, "1/16T"},
                {"a pad note typed into its number field",
                 [&]
                 {
                     ASSERT_TRUE(d.Click("viewDevice/padBank2/pad8/midiNote/numericUpDown/textBox"));
                     ASSERT_TRUE(d.PressKeys("Ctrl+A"));
                     d.Type("61");
                     ASSERT_TRUE(d.PressKeys("Return"));
                 },
                 kPadOffset + 15, {61}, "61 C# 4"},
            };
            for (const auto& e : edits)
            {
                engine->Forget();
                e.edit();
                ASSERT_TRUE(d.Settle());
                EXPECT_EQ(engine->WritesTo(e.index), std::vector<ByteBlock>{e.written}) << e.what;
                EXPECT_EQ(engine->WriteCount(), 1u) << e.what;
                EXPECT_EQ(Shown(*editors[e.index]), e.shown) << e.what;
            }

            // The y axis switched to two controllers from its list shows its second number.
            const std::uint32_t yType = kJoystickOffset + kJoystickParamCount;
            LControl* secondCC = editors[yType + 2].Get();
            EXPECT_FALSE(secondCC->IsVisible(true));
            engine->Forget();
            ASSERT_TRUE(d.Click("viewDevice/joystick/yAxis/type/comboBox"));
            ASSERT_TRUE(d.Settle());
            const RCPtr<LComboBox> typeCombo = FindChildAs<LComboBox>(*editors[yType], u"comboBox");
            ASSERT_TRUE(typeCombo && typeCombo->GetListBox() && typeCombo->GetListBox()->IsVisible(true));
            RectL typeList;
            typeCombo->GetListBox()->GetWindowRect(typeList);
            d.ClickAt(d.MainWindow(), PointL{typeList.x + typeList.width / 2, typeList.y + Row(d, 2)});
            ASSERT_TRUE(d.Settle());
            EXPECT_EQ(engine->WritesTo(yType), std::vector<ByteBlock>{{2}});
            EXPECT_EQ(Shown(*editors[yType]), "DUAL CC");
            EXPECT_TRUE(secondCC->IsVisible(true));
            EXPECT_EQ(Shown(*secondCC), "31");

            // A character outside the name's set is dropped as it is typed: nothing is written.
            engine->Forget();
            ASSERT_TRUE(d.Click("viewDevice/presetName/editPanel/textBox"));
            ASSERT_TRUE(d.PressKeys("End"));
            d.Type("\xC3\xA9\t");
            ASSERT_TRUE(d.Settle());
            EXPECT_EQ(engine->WriteCount(), 0u);
            EXPECT_EQ(Shown(*editors[kProgramNameOffset]), "TYPED NAME");
        });

    EXPECT_EQ(status, 0);
    EXPECT_FALSE(driver.WatchdogFired());
    EXPECT_EQ(driver.FileDialogs().unanswered, 0);
}

} // namespace
} // namespace QK
