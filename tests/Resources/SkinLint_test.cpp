// The shipped skins and string tables, loaded through the real loader from the embedded
// resources: the controls and names the code requires, both layouts from one description, every
// image part on an image of its size, every text the code reads, and the main menu and the hot
// keys as the code builds them from the tables.
//
// Sections: loading and walking helpers; the table of required controls; the checks of the two
// skins; the checks of the string tables (texts, menus, hot keys).
#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/ControlBase/Input/KeyCode.h"
#include "QKFramework/ControlBase/MenuDescriptor.h"
#include "QKFramework/Platform/Core/Resources.h"
#include "QKFramework/Utilities/Graphics/PngDecoder.h"
#include "QKFramework/Utilities/Storage/StringArray.h"
#include "UI/ArpeggiatorEditPanel.h"
#include "UI/JoystickAxisPanel.h"
#include "UI/KeybedEditPanel.h"
#include "UI/KeyboardSoundsPanel.h"
#include "UI/KnobEditPanel.h"
#include "UI/MidiChannelsAndAftertouchPanel.h"
#include "UI/PadEditPanel.h"
#include "UI/SkinNames.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace QK
{
namespace
{

// ---- Loading and walking helpers ------------------------------------------------------------

std::string Narrow(const WString& text) { return NString(text.GetString()).GetString(); }
std::string Narrow(const char16_t* text) { return Narrow(WString(text)); }

// The factory as the application fills it at start-up: English texts, then the skins.
RCPtr<LControlFactory> LoadShipped()
{
    RCPtr<LControlFactory> factory(new LControlFactory(WString(u"PresetEditor")));
    factory->SetSourceFolder(WString(u"::"));
    EXPECT_EQ(factory->LoadStringTable(WString(u"::FRAMEWORK_STRINGS"), WString(u"::APP_STRINGS"), 0x0409), 0);
    EXPECT_EQ(factory->LoadSkinResource(WString(u"::APP_SKINS")), 0) << Narrow(factory->GetErrorText()) << " line "
                                                                      << factory->GetErrorLine();
    return factory;
}

const LControlDescriptor* Child(const LControlDescriptor& parent, const std::string& name)
{
    const LControlDescriptor* found = nullptr;
    for (std::uint32_t i = 0; i < parent.Children.GetCount(); ++i)
        if (Narrow((*parent.Children.GetAt(i))->Name) == name)
            found = parent.Children.GetAt(i)->Get();
    return found;
}

// A control by its path of names below the skin's root ("mainControl/mainMenu"), each a
// direct child of the one before; null when a step is missing.
const LControlDescriptor* Find(const LControlDescriptor& root, const std::string& path)
{
    const LControlDescriptor* at = &root;
    std::size_t start = 0;
    while (at && start <= path.size())
    {
        const std::size_t end = path.find('/', start);
        at = Child(*at, path.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return at;
}

template <class Visit> void Walk(const LControlDescriptor& control, const std::string& path, Visit&& visit)
{
    visit(control, path);
    for (std::uint32_t i = 0; i < control.Children.GetCount(); ++i)
    {
        const LControlDescriptor& child = **control.Children.GetAt(i);
        Walk(child, path.empty() ? Narrow(child.Name) : path + "/" + Narrow(child.Name), visit);
    }
}

// ---- The table of required controls --------------------------------------------------------

// The module panels' editors come from the panels' own tables (kEditors), the favorite bank's
// names from SkinNames.h, so the lint checks the names the code looks up, not a copy of them.

struct Required
{
    std::string path;
    std::string cls;
};

void AddScrollBar(std::vector<Required>& table, const std::string& path)
{
    table.push_back({path, "Framework.ScrollBar"});
    table.push_back({path + "/dec", "Framework.Button"});
    table.push_back({path + "/inc", "Framework.Button"});
    table.push_back({path + "/channel", "Framework.ScrollChannel"});
    table.push_back({path + "/thumb", "Framework.Button"});
}

void AddUpDown(std::vector<Required>& table, const std::string& path)
{
    table.push_back({path, "Framework.NumericUpDown"});
    for (const char* button : {"buttonDown", "buttonUp"})
        table.push_back({path + "/" + button, "Framework.Button"});
    table.push_back({path + "/textBox", "Framework.TextBox"});
    table.push_back({path + "/slider1", "Framework.Slider"});
    table.push_back({path + "/slider1/thumbStart", "Framework.Button"});
    table.push_back({path + "/slider1/thumbEnd", "Framework.Button"});
}

void AddPopup(std::vector<Required>& table, const std::string& path)
{
    table.push_back({path, "Framework.PopupMenu"});
    table.push_back({path + "/templateItem", "Framework.MenuItem"});
    table.push_back({path + "/templateItem/checkBox", "Framework.Button"});
    table.push_back({path + "/templateItem/hotKeyLabel", "Framework.Label"});
}

void AddComboChildren(std::vector<Required>& table, const std::string& path, bool caption)
{
    if (caption)
        table.push_back({path + "/label", "Framework.Label"});
    table.push_back({path + "/comboBox", "Framework.ComboBox"});
    table.push_back({path + "/comboBox/listBox", "Framework.ListBox"});
    table.push_back({path + "/comboBox/listBox/templateItem", "Framework.ListBoxItem"});
}

void AddCaptionedComboChildren(std::vector<Required>& table, const std::string& path)
{
    AddComboChildren(table, path, true);
}

void AddUpDownEditorChildren(std::vector<Required>& table, const std::string& path)
{
    table.push_back({path + "/label", "Framework.Label"});
    AddUpDown(table, path + "/parameterControl");
}

void AddNameEditorChildren(std::vector<Required>& table, const std::string& path)
{
    table.push_back({path + "/textBox", "Framework.TextBox"});
}

using AddChildren = void (*)(std::vector<Required>&, const std::string&);

// What the skins hold below a module panel's editor, by the editor's skin class. A class
// that a panel declares and this map lacks fails the lint, so a new editor is checked too.
const std::map<std::string, AddChildren>& EditorChildren()
{
    const std::string p = "PresetEditor.ParameterControl.";
    static const std::map<std::string, AddChildren> children = {
        {p + "MidiChannel", &AddCaptionedComboChildren},
        {p + "GlobalPadAftertouchType", &AddCaptionedComboChildren},
        {p + "KeyboardOctave", &AddCaptionedComboChildren},
        {p + "KeyboardTranspose", &AddCaptionedComboChildren},
        {p + "ArpLatch", &AddCaptionedComboChildren},
        {p + "Octave", &AddCaptionedComboChildren},
        {p + "ArpMode", &AddCaptionedComboChildren},
        {p + "TimeDivision", &AddCaptionedComboChildren},
        {p + "ClockSource", &AddCaptionedComboChildren},
        {p + "TempoTaps", &AddCaptionedComboChildren},
        {p + "PadSound", &AddCaptionedComboChildren},
        {p + "JoystickType",
         [](std::vector<Required>& t, const std::string& path) { AddComboChildren(t, path, false); }},
        {"PresetEditor.InternalSounds.KeybedSound",
         [](std::vector<Required>& t, const std::string& path)
         {
             AddComboChildren(t, path, true);
             AddScrollBar(t, path + "/comboBox/listBox/vBar");
         }},
        {p + "OnOff.Swing", &AddUpDownEditorChildren},
        {p + "Tempo", &AddUpDownEditorChildren},
        {p + "CCValuePanel", &AddUpDownEditorChildren},
        {p + "MinValuePanel", &AddUpDownEditorChildren},
        {p + "MaxValuePanel", &AddUpDownEditorChildren},
        {p + "Filter", &AddUpDownEditorChildren},
        {p + "Resonance", &AddUpDownEditorChildren},
        {p + "Reverb", &AddUpDownEditorChildren},
        {p + "Chorus", &AddUpDownEditorChildren},
        {p + "Attack", &AddUpDownEditorChildren},
        {p + "Release", &AddUpDownEditorChildren},
        {p + "EQLow", &AddUpDownEditorChildren},
        {p + "EQHigh", &AddUpDownEditorChildren},
        {p + "ArpOnOff",
         [](std::vector<Required>& t, const std::string& path)
         {
             t.push_back({path + "/label", "Framework.Label"});
             t.push_back({path + "/parameterControl", "Framework.Button"});
         }},
        {p + "MidiNote",
         [](std::vector<Required>& t, const std::string& path)
         {
             t.push_back({path + "/label", "Framework.Label"});
             t.push_back({path + "/parameterControl", "PresetEditor.MidiNoteSelector"});
             t.push_back({path + "/parameterControl/noteNameLabel", "Framework.Label"});
             t.push_back({path + "/parameterControl/octaveNameLabel", "Framework.Label"});
             AddUpDown(t, path + "/parameterControl/numericUpDown");
         }},
        {"PresetEditor.NameEditPanel", &AddNameEditorChildren},
    };
    return children;
}

// A module panel and the editors it declares, each with what its skin class holds.
void AddModulePanel(std::vector<Required>& table, const std::string& path, const std::string& cls,
                    std::span<const ModuleEditorSlot> editors)
{
    table.push_back({path, cls});
    for (const ModuleEditorSlot& editor : editors)
    {
        const std::string editorPath = path + "/" + Narrow(editor.name);
        const std::string editorClass = Narrow(editor.skinClass);
        table.push_back({editorPath, editorClass});
        const auto children = EditorChildren().find(editorClass);
        if (children == EditorChildren().end())
            ADD_FAILURE() << editorPath << ": the lint knows no children of " << editorClass;
        else
            children->second(table, editorPath);
    }
}

std::vector<Required> RequiredControls()
{
    std::vector<Required> t = {
        {"mainControl", "PresetEditor.MainControl"},
        {"mainControl/mainMenu", "Framework.MainMenu"},
        {"mainControl/mainMenu/templateMenu", "Framework.ComboMenu"},
        {"mainControl/viewDevice", "PresetEditor.MainControl.DeviceView"},
        {"mainControl/viewDevice/corner", "Framework.Label"},
        {"dialogAbout", "PresetEditor.DialogAbout"},
        {"dialogAbout/labelProduct", "Framework.Label"},
        {"dialogAbout/labelCopyright", "Framework.Label"},
        {"dialogAbout/buttonSupport", "Framework.Button"},
        {"dialogAbout/companyLogo", "Framework.Label"},
        {"dialogAbout/buttonClose", "Framework.Button"},
        {"dialogEditKeyCurve", "PresetEditor.DialogEditKeyCurve"},
        {"dialogEditKeyCurve/graph", "Framework.Graph"},
        {"dialogEditKeyCurve/graph/pointTemplate", "Framework.Label"},
        {"dialogEditKeyCurve/labelBlackKeyBalance", "Framework.Label"},
        {"dialogEditKeyCurve/labelCurve", "Framework.Label"},
        {"dialogEditKeyCurve/labelGraphRight", "Framework.Label"},
        {"toolTip", "Framework.ToolTip"},
    };
    AddPopup(t, "mainControl/mainMenu/templateMenu/popupMenu");
    AddPopup(t, "contextMenu");
    const std::string view = "mainControl/viewDevice/";
    AddScrollBar(t, view + "hBar");
    AddScrollBar(t, view + "vBar");
    for (const char* button : {"buttonSend", "buttonClose", "buttonSetDefaults"})
        t.push_back({std::string("dialogEditKeyCurve/") + button, "Framework.Button"});
    for (const std::string name : {"V1", "V2", "V3", "V4", "BlackKeyBalance"})
        AddUpDown(t, "dialogEditKeyCurve/numericUpDown" + name);
    for (int i = 1; i <= 4; ++i)
    {
        t.push_back({"dialogEditKeyCurve/labelGraphV" + std::to_string(i), "Framework.Label"});
        t.push_back({"dialogEditKeyCurve/labelV" + std::to_string(i) + "Units", "Framework.Label"});
    }

    // The edit panels, each a direct child of the device view.
    t.push_back({view + "presetName", "PresetEditor.PresetName"});
    t.push_back({view + "presetName/label", "Framework.Label"});
    t.push_back({view + "presetName/editPanel", "PresetEditor.NameEditPanel"});
    AddNameEditorChildren(t, view + "presetName/editPanel");

    AddModulePanel(t, view + "midiChannels", "PresetEditor.MidiChannels",
                   LMidiChannelsAndAftertouchPanel::kEditors);

    AddModulePanel(t, view + "keyboard", "PresetEditor.Keyboard", LKeybedEditPanel::kEditors);
    t.push_back({view + "keyboard/buttonOpenKeyEditDialog", "Framework.Button"});

    AddModulePanel(t, view + "arpeggiator", "PresetEditor.Arpeggiator", LArpeggiatorEditPanel::kEditors);

    t.push_back({view + "joystick", "PresetEditor.Joystick"});
    for (const std::string axis : {"xAxis", "yAxis"})
    {
        const std::string path = view + "joystick/" + axis;
        AddModulePanel(t, path, "PresetEditor.Joystick.Axis", LJoystickAxisPanel::kEditors);
        t.push_back({path + "/label", "Framework.Label"});
        t.push_back({path + "/labelCC1", "Framework.Label"});
        t.push_back({path + "/labelCC2", "Framework.Label"});
    }

    for (int bank = 1; bank <= 2; ++bank)
    {
        const std::string knobs = view + "knobBank" + std::to_string(bank);
        t.push_back({knobs, "PresetEditor.KnobBank"});
        for (int i = 1; i <= 4; ++i)
        {
            const std::string knob = knobs + "/knob" + std::to_string(i);
            AddModulePanel(t, knob, "PresetEditor.Knob", LKnobEditPanel::kEditors);
            t.push_back({knob + "/knobNameLabel", "Framework.Label"});
        }
        const std::string pads = view + "padBank" + std::to_string(bank);
        t.push_back({pads, "PresetEditor.PadBank"});
        for (int i = 1; i <= 8; ++i)
        {
            const std::string pad = pads + "/pad" + std::to_string(i);
            AddModulePanel(t, pad, "PresetEditor.Pad", LPadEditPanel::kEditors);
            t.push_back({pad + "/label", "Framework.Label"});
        }
    }

    AddModulePanel(t, view + "keysSoundParameters", "PresetEditor.KeySoundParameters",
                   LKeyboardSoundsPanel::kEditors);

    const std::string favorites = view + Narrow(SkinNames::kFavoriteBankPanel);
    t.push_back({favorites, "PresetEditor.FavoriteBankPanel"});
    t.push_back({favorites + "/" + Narrow(SkinNames::kSendToRamButton), "Framework.Button"});
    for (std::uint32_t i = 1; i <= SkinNames::kFavoriteCount; ++i)
    {
        const std::string fav = favorites + "/" + Narrow(SkinNames::kFavoritePanelStem) + std::to_string(i);
        t.push_back({fav, "PresetEditor.FavoriteBankPanel.FavoritePanel"});
        t.push_back({fav + "/" + Narrow(SkinNames::kSendButton), "Framework.Button"});
        t.push_back({fav + "/" + Narrow(SkinNames::kReceiveButton), "Framework.Button"});
    }
    return t;
}

// ---- The two skins ----------------------------------------------------------------------------

class SkinLintTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_factory = LoadShipped(); }
    static void TearDownTestSuite() { s_factory = nullptr; }

    static const LControlDescriptor& Skin(std::uint32_t index) { return *s_factory->GetSkin(index); }
    static std::string Text(const char* table, const char* key)
    {
        const RCPtr<LStringTable> strings = s_factory->GetStringTable(WString(table));
        WString text;
        if (!strings || !FindStringMapValue(*strings, WString(key).GetString(), text))
            return "<missing>";
        return Narrow(text);
    }

    static inline RCPtr<LControlFactory> s_factory;
};

TEST_F(SkinLintTest, TwoSkinsHighDpiFirstWithTheirFonts)
{
    ASSERT_EQ(s_factory->GetSkinCount(), 2u);
    const std::pair<const char*, float> expected[2] = {{"DE40_HighDPI", 18.0f}, {"DE40_StandardDPI", 9.0f}};
    for (std::uint32_t i = 0; i < 2; ++i)
    {
        ASSERT_TRUE(Skin(i).Skin);
        EXPECT_EQ(Narrow(Skin(i).Skin->Name), expected[i].first);
        EXPECT_EQ(Narrow(Skin(i).Skin->FontName), "Arial");
        EXPECT_EQ(Skin(i).Skin->FontSize, expected[i].second);
    }
}

TEST_F(SkinLintTest, EveryRequiredControlIsADirectChildOfItsClass)
{
    const std::vector<Required> table = RequiredControls();
    for (std::uint32_t skin = 0; skin < s_factory->GetSkinCount(); ++skin)
        for (const Required& required : table)
        {
            const LControlDescriptor* control = Find(Skin(skin), required.path);
            ASSERT_NE(control, nullptr) << "skin " << skin << ": no " << required.path;
            EXPECT_EQ(Narrow(control->Class), required.cls) << "skin " << skin << ": " << required.path;
        }
}

// What a text box's right click needs: the skin's top-level "contextMenu", a popup menu with
// its row template, found the way the control finds it. Empty when all is there.
std::string ContextMenuProblem(LControlFactory& factory, std::uint32_t skin)
{
    factory.SetCurrentSkin(skin);
    const RCPtr<LControlDescriptor> menu = factory.FindSubControlDescriptor(WString(u"contextMenu"));
    factory.SetCurrentSkin(0);
    if (!menu)
        return "no top-level contextMenu: a text box's right click would show nothing";
    if (Narrow(menu->Class) != "Framework.PopupMenu")
        return "contextMenu is a " + Narrow(menu->Class) + ", not a popup menu";
    if (!Child(*menu, "templateItem"))
        return "contextMenu has no templateItem to make its rows from";
    return std::string();
}

TEST_F(SkinLintTest, TextBoxesFindTheirContextMenuInEverySkin)
{
    for (std::uint32_t skin = 0; skin < s_factory->GetSkinCount(); ++skin)
        EXPECT_EQ(ContextMenuProblem(*s_factory, skin), "") << "skin " << skin;

    // The check itself catches a skin that lacks the menu.
    RCPtr<LControlFactory> bare(new LControlFactory(WString(u"PresetEditor")));
    const std::string document = R"(<?xml version="1.0" encoding="UTF-8"?>
<Zelvo_Skin_Definitions><Skin Name="bare"><SubControl Class="Framework.Panel" Name="mainControl"/></Skin>
</Zelvo_Skin_Definitions>)";
    ASSERT_EQ(bare->ParseXML(document.data(), document.size()), 0) << Narrow(bare->GetErrorText());
    ASSERT_EQ(bare->GetSkinCount(), 1u);
    EXPECT_NE(ContextMenuProblem(*bare, 0), "");
}

TEST_F(SkinLintTest, SiblingNamesAreUniqueAndAttributesAsTheCodeReadsThem)
{
    for (std::uint32_t skin = 0; skin < s_factory->GetSkinCount(); ++skin)
        Walk(Skin(skin), "", [&](const LControlDescriptor& control, const std::string& path) {
            std::set<std::string> names;
            for (std::uint32_t i = 0; i < control.Children.GetCount(); ++i)
                EXPECT_TRUE(names.insert(Narrow((*control.Children.GetAt(i))->Name)).second)
                    << "skin " << skin << ": two children named " << Narrow((*control.Children.GetAt(i))->Name)
                    << " in " << path;
            // Children are painted and reached by the pointer only under a look of their parent.
            if (control.Children.GetCount() > 0 && !path.empty())
            {
                EXPECT_TRUE(control.Skin && control.Skin->LookList && control.Skin->LookList->GetCount() > 0)
                    << "skin " << skin << ": " << path << " has children but no look to show them under";
            }
            // An open list hangs below its combo box, outside the panel that holds the combo:
            // clipped to that panel it would show only its first rows, if any.
            if (Narrow(control.Class) == "Framework.ComboBox")
            {
                const LControlDescriptor* list = Child(control, "listBox");
                ASSERT_TRUE(list) << path;
                EXPECT_FALSE(list->Layout->ClipToParent) << path << "/listBox is clipped to its combo box";
            }
            // Sliders use the markers only; the thumb is made from "thumbStart" at run time.
            if (Narrow(control.Class) == "Framework.Slider")
            {
                EXPECT_EQ(Child(control, "thumb"), nullptr) << path;
                for (const char* marker : {"thumbStart", "thumbEnd"})
                {
                    const LControlDescriptor* child = Child(control, marker);
                    ASSERT_TRUE(child && child->CreateParams) << path << "/" << marker;
                    WString value;
                    EXPECT_TRUE(FindStringMapValue(*child->CreateParams, u"USE_PARENT_TOOLTIP", value));
                    EXPECT_EQ(Narrow(value), "true") << path << "/" << marker;
                }
            }
        });
    for (std::uint32_t skin = 0; skin < s_factory->GetSkinCount(); ++skin)
    {
        const LControlDescriptor* onOff = Find(Skin(skin), "mainControl/viewDevice/arpeggiator/arpOnOff/parameterControl");
        ASSERT_TRUE(onOff && onOff->CreateParams);
        WString value;
        EXPECT_TRUE(FindStringMapValue(*onOff->CreateParams, u"AUTO_VALUE_SET", value));
        EXPECT_EQ(Narrow(value), "true");
        const LControlDescriptor* popup = Find(Skin(skin), "mainControl/mainMenu/templateMenu/popupMenu");
        ASSERT_TRUE(popup);
        EXPECT_FALSE(popup->Layout->IsVisible);
        EXPECT_EQ(popup->Layout->Y.Position.Rel, 1.0f);
        // A tip is a child of the control it explains but shows below the pointer, outside
        // that control: it must not be clipped to it, and it lies above everything else.
        const LControlDescriptor* tip = Find(Skin(skin), "toolTip");
        ASSERT_TRUE(tip);
        EXPECT_FALSE(tip->Layout->ClipToParent);
        EXPECT_EQ(tip->Layout->ZOrder, 9999999);
    }
}

// Both skins come from one description: the same tree, every pixel value doubled.
TEST_F(SkinLintTest, HighDpiGeometryIsExactlyTwiceTheStandard)
{
    std::function<void(const LControlDescriptor&, const LControlDescriptor&, const std::string&)> compare =
        [&](const LControlDescriptor& high, const LControlDescriptor& standard, const std::string& path) {
            ASSERT_EQ(Narrow(high.Class), Narrow(standard.Class)) << path;
            ASSERT_EQ(high.Children.GetCount(), standard.Children.GetCount()) << path;
            const LLayoutDescriptor& h = *high.Layout;
            const LLayoutDescriptor& s = *standard.Layout;
            if (!path.empty()) // the skins' roots carry no layout of the document
            {
                EXPECT_EQ(h.X.Position.Abs, 2 * s.X.Position.Abs) << path;
                EXPECT_EQ(h.Y.Position.Abs, 2 * s.Y.Position.Abs) << path;
                EXPECT_EQ(h.X.Size.Abs, 2 * s.X.Size.Abs) << path;
                EXPECT_EQ(h.Y.Size.Abs, 2 * s.Y.Size.Abs) << path;
                EXPECT_EQ(h.X.MaxSize.Abs, 2 * s.X.MaxSize.Abs) << path;
                EXPECT_EQ(h.Y.MaxSize.Abs, 2 * s.Y.MaxSize.Abs) << path;
            }
            for (std::uint32_t i = 0; i < high.Children.GetCount(); ++i)
                compare(**high.Children.GetAt(i), **standard.Children.GetAt(i),
                        path + "/" + Narrow((*high.Children.GetAt(i))->Name));
        };
    compare(Skin(0), Skin(1), "");

    const std::pair<const char*, std::pair<double, double>> sizes[] = {
        {"dialogEditKeyCurve", {500, 340}}, {"mainControl/viewDevice/presetName", {250, 26}}};
    for (const auto& [path, size] : sizes)
        for (std::uint32_t skin = 0; skin < 2; ++skin)
        {
            const LControlDescriptor* control = Find(Skin(skin), path);
            ASSERT_TRUE(control) << path;
            const double scale = skin == 0 ? 2 : 1;
            EXPECT_EQ(control->Layout->X.Size.Abs, size.first * scale) << path;
            EXPECT_EQ(control->Layout->Y.Size.Abs, size.second * scale) << path;
        }
}

// Every part a control can show is an image resource with its rectangle inside the image.
TEST_F(SkinLintTest, EveryImagePartLiesInsideAnEmbeddedImage)
{
    std::map<std::string, DecodedImage> images;
    int checked = 0;
    const auto checkPart = [&](const LVisualPartDescriptor& part, const std::string& where) {
        const std::string file = Narrow(part.ImageFile);
        if (file.empty())
        {
            EXPECT_TRUE(part.Colorizer) << where << ": part " << Narrow(part.Name) << " has neither image nor colour";
            return;
        }
        ASSERT_EQ(file.rfind("::", 0), 0u) << where << ": " << file;
        if (!images.count(file))
        {
            const std::string resource = Narrow(GetResourceName(part.ImageFile));
            const auto data = FindResourceData(GetApplicationInstance(), "GDIPLUS", resource);
            ASSERT_FALSE(data.empty()) << where << ": no resource " << resource;
            ASSERT_TRUE(DecodePng(data.data(), data.size(), images[file])) << resource;
        }
        const DecodedImage& image = images[file];
        const RectL& rect = part.ImageRect;
        EXPECT_TRUE(rect.x >= 0 && rect.y >= 0 && rect.width > 0 && rect.height > 0 &&
                    static_cast<std::uint32_t>(rect.x + rect.width) <= image.width &&
                    static_cast<std::uint32_t>(rect.y + rect.height) <= image.height)
            << where << ": part " << Narrow(part.Name) << " outside " << file;
        ++checked;
    };
    for (std::uint32_t skin = 0; skin < s_factory->GetSkinCount(); ++skin)
        Walk(Skin(skin), "", [&](const LControlDescriptor& control, const std::string& path) {
            if (!control.Skin || !control.Skin->LookList)
                return;
            const LLookList& looks = *control.Skin->LookList;
            for (std::uint32_t i = 0; i < looks.GetCount(); ++i)
            {
                const RCPtr<LLookDescriptor>& look = *looks.GetAt(i);
                if (!look)
                    continue;
                if (look->ClientPart)
                    checkPart(*look->ClientPart->Part, path);
                for (std::uint32_t j = 0; j < look->NonClientParts.GetCount(); ++j)
                    checkPart(*(*look->NonClientParts.GetAt(j))->Part, path);
                if (look->HasTextProperties)
                {
                    ASSERT_TRUE(look->TextForegroundPart) << path;
                    checkPart(*look->TextForegroundPart, path);
                }
            }
        });
    EXPECT_GT(checked, 100);
}

// ---- The string tables ------------------------------------------------------------------------

TEST_F(SkinLintTest, EveryTextTheCodeReadsIsThereInEnglish)
{
    const std::vector<std::pair<const char*, const char*>> framework = {
        {"STARTUP_ERROR", nullptr},     {"STARTUP_ERROR_CAPTION", nullptr}, {"EXCEPTION_ID", nullptr},
        {"EDIT_CUT", "Cut"},            {"EDIT_COPY", "Copy"},              {"EDIT_PASTE", "Paste"},
        {"EDIT_DELETE", "Delete"},      {"HOURS_SINGULAR", "Hour"},         {"HOURS_PLURAL", "Hours"},
        {"MINUTES_SINGULAR", "Minute"}, {"MINUTES_PLURAL", "Minutes"},      {"SECONDS_SINGULAR", "Second"},
        {"SECONDS_PLURAL", "Seconds"},  {"REMAINING", "Remaining"},
        {"GL_ERROR_CAPTION", "OpenGL Error"},
        {"GL_ERROR_MESSAGE_CHOOSE_PIXEL_FORMAT", "ChoosePixelFormat failed."},
        {"GL_ERROR_MESSAGE_SET_PIXEL_FORMAT", "SetPixelFormat failed."},
        {"GL_ERROR_MESSAGE_CREATE_CONTEXT", "wglCreateContext failed."},
        {"GL_ERROR_MESSAGE_MAKE_CONTEXT_CURRENT", nullptr},
        {"GL_ERROR_MESSAGE_GET_PROC_ADDRESS", nullptr},
        {"GL_ERROR_UPDATE_DRIVER", "Updating your video card driver, with the latest driver from the manufacturer of "
                                   "your video card, may solve this issue."}};
    for (const auto& [key, text] : framework)
    {
        const std::string found = Text("Framework", key);
        EXPECT_NE(found, "<missing>") << key;
        if (text)
        {
            EXPECT_EQ(found, text) << key;
        }
    }
    EXPECT_NE(Text("Framework", "EXCEPTION_ID").find("%d"), std::string::npos);
    // Formatted with the error number and the system's text, then the driver advice follows.
    const std::string getProcAddress = Text("Framework", "GL_ERROR_MESSAGE_GET_PROC_ADDRESS");
    EXPECT_EQ(getProcAddress.rfind("wglGetProcAddress(", 0), 0u) << getProcAddress;
    EXPECT_LT(getProcAddress.find("%d"), getProcAddress.find("%s")) << getProcAddress;

    const std::string incompatible = "Program file is not compatible with this vesion of the favorite editor";
    const std::string midiError =
        "Error connecting to device. Verify your Dozavod Professional Vedidu is connected to the computer and try again.";
    const std::vector<std::pair<const char*, std::string>> application = {
        {"LABEL_GET_PRESET_FAILED_MSGBOX_CAPTION", "Retrieve Favorite Error"},
        {"LABEL_GET_PRESET_FAILED_MIDI_ERROR_MSGBOX_TEXT",
         "Error retrieving program from device.  Connect controller and try again."},
        {"LABEL_GET_PRESET_FAILED_FW_COMPATIBILITY_ERROR_MSGBOX_TEXT",
         "The firmware version of your Dozavod Professional Vedidu needs to be updated. Visit the Dozavod Professional "
         "website for the latest firmware updates."},
        {"LABEL_GET_PRESET_SUCEESS_MSGBOX_CAPTION", "Retrieve Favorite"},
        {"LABEL_GET_PRESET_SUCEESS_MSGBOX_TEXT", "The favorite has been successfully retrieved."},
        {"LABEL_SEND_PRESET_FAILED_MSGBOX_CAPTION", "Send Favorite Error"},
        {"LABEL_SEND_PRESET_FAILED_MIDI_ERROR_MSGBOX_TEXT", midiError},
        {"LABEL_SEND_PRESET_FAILED_FW_COMPATIBILITY_ERROR_MSGBOX_TEXT",
         "The firmware version of the device is not compatible. "},
        {"LABEL_SEND_PRESET_SUCEESS_MSGBOX_CAPTION", "Send Favorite Success"},
        {"LABEL_SEND_PRESET_SUCEESS_MSGBOX_TEXT", "Favorite has been sent successfully to the device."},
        {"LABEL_SEND_CURVE_SETTINGS_SUCCESS_MSGBOX_CAPTION", "Send Curve Settings Success"},
        {"LABEL_SEND_CURVE_SETTINGS_SUCCESS_MSGBOX_TEXT", "Curve Settings have been sent successfully to the device."},
        {"LABEL_SEND_CURVE_SETTINGS_FAILED_MSGBOX_CAPTION", "Send Curve Settings Error"},
        {"LABEL_SEND_CURVE_SETTINGS_FAILED_MSGBOX_TEXT", midiError},
        {"LABEL_OPEN_USERGUIDE_FILE_FAILED_MSGBOX_CAPTION", "Open User Guide Failed"},
        {"LABEL_OPEN_USERGUIDE_FILE_FAILED_MSGBOX_TEXT", "The user guide failed to open."},
        {"LOAD_PRESET_DIALOG_TITLE", "Select Favorite File"},
        {"SAVE_PRESET_DIALOG_TITLE", "Select Save Location"},
        {"CONTROL_PANEL_SETTINGS_FILTER_SEGMENT_1", "Vedidu Favorite Editor (*."},
        {"CONTROL_PANEL_SETTINGS_FILTER_SEGMENT_2", "|All Files (*.*)|*.*"},
        {"SETTINGS_FILE_LOAD_CAPTION", "Favorite File Load"},
        {"SETTINGS_FILE_LOAD_OLDER_MESSAGE", incompatible},
        {"SETTINGS_FILE_LOAD_NEWER_MESSAGE", incompatible},
        {"SETTINGS_FILE_LOAD_CORRUPT_MESSAGE", incompatible},
        {"SETTINGS_FILE_LOAD_WRONG_DEVICE_MESSAGE", incompatible},
        {"SETTINGS_FILE_TRANSLATION_FAILURE_MESSAGE", incompatible},
    };
    for (const auto& [key, text] : application)
        EXPECT_EQ(Text("|PresetEditor", key), text) << key;
    for (const char* key : {"SETTINGS_FILE_SAVE_CAPTION", "SETTINGS_FILE_SAVE_FAILED_MESSAGE",
                            "SETTINGS_FILE_SAVE_NAME_MESSAGE", "SETTINGS_FILE_LOAD_NAME_MESSAGE", "URL_SUPPORT"})
        EXPECT_NE(Text("|PresetEditor", key), "<missing>") << key;
    EXPECT_EQ(Text("|PresetEditor", "URL_SUPPORT").rfind("https://", 0), 0u);

    const std::vector<std::tuple<const char*, const char*, const char*>> controls = {
        {"PresetEditor|dialogEditKeyCurve", "LABEL", "Edit Keybed Curve"},
        {"PresetEditor.Pad|label", "LABEL", "PAD %d"},
        {"PresetEditor.PresetName|label", "LABEL", "PRESET"},
        {"PresetEditor.Joystick.Axis|label", "LABEL", "X-AXIS"},
        {"PresetEditor.Joystick.Axis|label", "LABEL_X_AXIS", "X-AXIS"},
        {"PresetEditor.Joystick.Axis|label", "LABEL_Y_AXIS", "Y-AXIS"},
        {"PresetEditor.Keyboard|buttonOpenKeyEditDialog", "LABEL", "EDIT\nKEY\nCURVE"},
        {"PresetEditor.ParameterControl.ArpOnOff|label", "LABEL", "ENABLED"},
        {"PresetEditor.ParameterControl.ArpOnOff|parameterControl", "LABEL", "ON / OFF"},
        {"PresetEditor.ParameterControl.OnOff.Swing|label", "LABEL", "SWING"},
        {"PresetEditor.ParameterControl.Resonance|label", "LABEL", "RESO."},
        {"PresetEditor.ParameterControl.GlobalPadAftertouchType|label", "LABEL", "GLOBAL PAD AFTERTOUCH TYPE"},
        {"PresetEditor.InternalSounds.KeybedSound|comboBox", "ITEM.00", "(Grand) Piano 1"},
        {"PresetEditor.InternalSounds.KeybedSound|comboBox", "ITEM.100", "FX 5 (brightness)"},
        {"PresetEditor.InternalSounds.KeybedSound|comboBox", "ITEM.127", "Gunshot"},
        {"PresetEditor.ParameterControl.PadSound|comboBox", "ITEM.09", "CM-64/32"},
        {"PresetEditor.ParameterControl.TimeDivision|comboBox", "ITEM.07", "1/32T"},
        {"PresetEditor.ParameterControl.KeyboardTranspose|comboBox", "ITEM.24", "12"},
        {"PresetEditor.DialogEditKeyCurve|buttonSetDefaults", "LABEL", "SEND DEFAULTS"},
        {"PresetEditor.DialogEditKeyCurve|labelBlackKeyBalance", "LABEL", "BLACK KEY BALANCE"},
    };
    for (const auto& [table, key, text] : controls)
        EXPECT_EQ(Text(table, key), text) << table << " " << key;

    // The item counts the editors rely on: one list entry per stored value.
    const std::pair<const char*, std::size_t> counts[] = {
        {"InternalSounds.KeybedSound", 128}, {"ParameterControl.PadSound", 10},   {"ParameterControl.MidiChannel", 16},
        {"ParameterControl.KeyboardOctave", 9}, {"ParameterControl.KeyboardTranspose", 25},
        {"ParameterControl.ArpMode", 6},     {"ParameterControl.TempoTaps", 3},   {"ParameterControl.JoystickType", 3}};
    for (const auto& [cls, count] : counts)
    {
        const RCPtr<LStringTable> items =
            s_factory->GetStringTable(WString(("PresetEditor." + std::string(cls) + "|comboBox").c_str()));
        ASSERT_TRUE(items) << cls;
        EXPECT_EQ(items->size(), count) << cls;
    }
}

// Every control table belongs to a control of the skin: "<parent class>|<name>".
TEST_F(SkinLintTest, EveryControlTableNamesAControlOfTheSkin)
{
    std::set<std::string> keys;
    Walk(Skin(1), "", [&](const LControlDescriptor& control, const std::string&) {
        const std::string parent = Narrow(control.Class) == "Application" ? "PresetEditor" : Narrow(control.Class);
        for (std::uint32_t i = 0; i < control.Children.GetCount(); ++i)
            keys.insert(parent + "|" + Narrow((*control.Children.GetAt(i))->Name));
    });
    // The table ids as the application document defines them (UTF-16, ASCII ids).
    const auto data = FindResourceData(GetApplicationInstance(), "QKXML", "APP_STRINGS");
    ASSERT_GT(data.size(), 2u);
    std::string document;
    for (std::size_t i = 2; i + 1 < data.size(); i += 2)
        document += data[i + 1] == 0 ? static_cast<char>(data[i]) : '?';
    const std::string marker = "<StringTable ID=\"";
    int tables = 0;
    for (std::size_t at = document.find(marker); at != std::string::npos; at = document.find(marker, at + 1))
    {
        const std::size_t start = at + marker.size();
        const std::string written = document.substr(start, document.find('"', start) - start);
        std::string id;
        for (std::size_t i = 0; i < written.size();)
        {
            const bool entity = written.compare(i, 5, "&amp;") == 0;
            id += written[i];
            i += entity ? 5 : 1;
        }
        ++tables;
        if (id != "|PresetEditor")
        {
            EXPECT_TRUE(keys.count(id)) << "string table " << id << " names no control of the skin";
        }
    }
    EXPECT_GT(tables, 50);
}

TEST_F(SkinLintTest, MainMenuTableHoldsFileAndHelpWithTwoDigitPositions)
{
    const RCPtr<LStringTable> menu = s_factory->GetStringTable(WString(u"PresetEditor.MainControl|mainMenu"));
    ASSERT_TRUE(menu);
    std::map<std::string, std::string> expected = {
        {"MENU_LABEL.00", "File"},
        {"MENU_LABEL.01", "Help"},
        {"CONTEXT_MENU0.00.SendFavorite.", "Send Favorite"},
        {"CONTEXT_MENU0.01.GetFavorite.", "Get Favorite"},
        {"CONTEXT_MENU0.02.-", "-"},
        {"CONTEXT_MENU0.03.NID_MENU_FILE_LOAD_PRESET_FROM_FILE", "Open Favorite"},
        {"CONTEXT_MENU0.04.NID_MENU_FILE_SAVE_PRESET_TO_FILE", "Save Favorite"},
        {"CONTEXT_MENU0.05.-", "-"},
        {"CONTEXT_MENU0.06.NID_MENU_FILE_SHOWKEYCURVEDIALOG_REQ", "Edit Key Curve"},
        {"CONTEXT_MENU0.07.-", "-"},
        {"CONTEXT_MENU0.08.NID_MENU_FILE_EXIT_REQ", "Exit"},
        {"CONTEXT_MENU0.SendFavorite.00.NID_MENU_FILE_SEND_PRESET0_TO_DEVICE", "Ram"},
        {"CONTEXT_MENU1.00.NID_MENU_HELP_OPEN_USERGUIDE_REQ", "Open User Guide"},
        {"CONTEXT_MENU1.01.NID_MENU_HELP_ABOUT_REQ", "About"},
    };
    for (int n = 1; n <= 8; ++n)
    {
        char send[96], get[96];
        std::snprintf(send, sizeof send, "CONTEXT_MENU0.SendFavorite.%02d.NID_MENU_FILE_SEND_PRESET%d_TO_DEVICE", n, n);
        std::snprintf(get, sizeof get, "CONTEXT_MENU0.GetFavorite.%02d.NID_MENU_FILE_GET_PRESET%d_TO_DEVICE", n - 1, n);
        expected[send] = "Favorite " + std::to_string(n);
        expected[get] = "Favorite " + std::to_string(n);
    }
    std::map<std::string, std::string> actual;
    for (const auto& [id, text] : static_cast<const StringMap&>(*menu))
        actual[Narrow(id)] = Narrow(text);
    EXPECT_EQ(actual, expected);
}

// A control that reads its menus from the given table, as the menu bar reads its own.
class MenuTableControl : public LControl
{
public:
    explicit MenuTableControl(RCPtr<LStringTable> table) : LControl(nullptr, WString(u"mainMenu")), m_table(table) {}
    ConstRCPtr<LStringTable> GetStringTable() const override { return ConstRCPtr<LStringTable>(m_table.Get()); }

private:
    RCPtr<LStringTable> m_table;
};

struct MenuShape
{
    std::string label;
    std::string nid; // "-" for a separator
    std::vector<MenuShape> items;
    friend bool operator==(const MenuShape&, const MenuShape&) = default;
};

std::vector<MenuShape> ShapeOf(const LMenuDescriptor& menu)
{
    std::vector<MenuShape> shape;
    for (std::uint32_t i = 0; i < menu.GetItemCount(); ++i)
    {
        const LMenuItemDescriptor& item = *menu.GetItem(i);
        shape.push_back({Narrow(item.Label), item.Separator ? "-" : Narrow(item.NotificationId), ShapeOf(item)});
    }
    return shape;
}

std::ostream& operator<<(std::ostream& out, const MenuShape& shape)
{
    out << "{" << shape.label << " " << shape.nid;
    for (const MenuShape& item : shape.items)
        out << " " << item;
    return out << "}";
}

// The menus as the menu bar builds them: one per "MENU_LABEL.n", from the table's
// "CONTEXT_MENU" groups; a count that differs leaves the bar without any menu.
TEST_F(SkinLintTest, MainMenuBuildsToFileAndHelp)
{
    const RCPtr<LStringTable> table = s_factory->GetStringTable(WString(u"PresetEditor.MainControl|mainMenu"));
    ASSERT_TRUE(table);
    const RCPtr<MenuTableControl> control(new MenuTableControl(table));
    ConstRCPtrArray<LMenuDescriptor> menus;
    control->BuildContextMenu(menus);
    ASSERT_EQ(menus.GetCount(), 2u);

    const auto favorites = [](const char* kind, int first) {
        std::vector<MenuShape> items;
        if (first == 0)
            items.push_back({"Ram", std::string("NID_MENU_FILE_") + kind + "_PRESET0_TO_DEVICE", {}});
        for (int n = 1; n <= 8; ++n)
            items.push_back({"Favorite " + std::to_string(n),
                             std::string("NID_MENU_FILE_") + kind + "_PRESET" + std::to_string(n) + "_TO_DEVICE", {}});
        return items;
    };
    const MenuShape separator{"", "-", {}};
    const std::vector<MenuShape> file = {
        {"Send Favorite", "", favorites("SEND", 0)},
        {"Get Favorite", "", favorites("GET", 1)},
        separator,
        {"Open Favorite", "NID_MENU_FILE_LOAD_PRESET_FROM_FILE", {}},
        {"Save Favorite", "NID_MENU_FILE_SAVE_PRESET_TO_FILE", {}},
        separator,
        {"Edit Key Curve", "NID_MENU_FILE_SHOWKEYCURVEDIALOG_REQ", {}},
        separator,
        {"Exit", "NID_MENU_FILE_EXIT_REQ", {}},
    };
    const std::vector<MenuShape> help = {{"Open User Guide", "NID_MENU_HELP_OPEN_USERGUIDE_REQ", {}},
                                         {"About", "NID_MENU_HELP_ABOUT_REQ", {}}};
    const std::vector<MenuShape> fileBuilt = ShapeOf(**menus.GetAt(0));
    const std::vector<MenuShape> helpBuilt = ShapeOf(**menus.GetAt(1));
    ASSERT_EQ(fileBuilt.size(), 9u);
    EXPECT_EQ(fileBuilt[0].items.size(), 9u);
    EXPECT_EQ(fileBuilt[1].items.size(), 8u);
    EXPECT_EQ(fileBuilt, file);
    EXPECT_EQ(helpBuilt, help);
}

// The hot keys as the application reads them: the framework's "GHK" and the editor's
// "GHK_WIN", each text parsed to its key and no key bound twice. Exit has none of its own
// (Alt+F4 belongs to the window), and the main control's table binds nothing, or Ctrl+O
// and Ctrl+S would open their dialog twice.
TEST_F(SkinLintTest, HotKeysParseToTheirKeys)
{
    const auto press = [](std::uint32_t modifiers, std::uint32_t virtualKey) {
        return static_cast<std::int32_t>(KeyCode::kKeyEvent | modifiers | (virtualKey << 16));
    };
    const struct
    {
        RCPtr<LStringTable> table;
        const char16_t* prefix;
        std::map<std::string, std::int32_t> keys;
    } sources[] = {
        {s_factory->GetFrameworkStringTable(), u"GHK", {{"NID_EDIT_DELETE_REQ", press(0, 0x2E)}}},
        {s_factory->GetApplicationStringTable(),
         u"GHK_WIN",
         {{"NID_EDIT_COPY_REQ", press(KeyCode::kCtrl, 'C')},
          {"NID_EDIT_CUT_REQ", press(KeyCode::kCtrl, 'X')},
          {"NID_EDIT_PASTE_REQ", press(KeyCode::kCtrl, 'V')},
          {"NID_MENU_FILE_LOAD_PRESET_FROM_FILE", press(KeyCode::kCtrl, 'O')},
          {"NID_MENU_FILE_SAVE_PRESET_TO_FILE", press(KeyCode::kCtrl, 'S')}}},
    };
    std::map<std::int32_t, std::string> owners;
    for (const auto& source : sources)
    {
        ASSERT_TRUE(source.table) << NString(source.prefix).GetString();
        KeyBindingMap map;
        ASSERT_EQ(KeyCode::ReadBindings(map, source.table.Get(), WString(source.prefix)), 0);
        EXPECT_EQ(map.size(), source.keys.size()) << NString(source.prefix).GetString();
        for (const auto& [nid, code] : source.keys)
        {
            const Array<KeyCode> bound = KeyCode::GetBindings(map, WString(nid.c_str()));
            ASSERT_EQ(bound.GetCount(), 1u) << nid;
            EXPECT_EQ(bound.GetAt(0)->GetCode(), code) << nid;
            EXPECT_TRUE(owners.emplace(code, nid).second) << nid << " shares its key with " << owners[code];
        }
        EXPECT_FALSE(KeyCode::LookupBinding(map, WString(u"NID_APP_EXIT_REQ")));
        EXPECT_FALSE(KeyCode::LookupBinding(map, WString(u"NID_MENU_FILE_EXIT_REQ")));
    }
    for (const char* table : {"PresetEditor|mainControl", "PresetEditor.MainControl"})
        if (const RCPtr<LStringTable> strings = s_factory->GetStringTable(WString(table)))
        {
            KeyBindingMap map;
            KeyCode::ReadBindings(map, strings.Get(), WString(u"GHK"));
            EXPECT_TRUE(map.empty()) << table << " binds keys under GHK";
        }
}

// The note selector reads its names by position, so key order must be note order.
TEST_F(SkinLintTest, NoteAndOctaveTablesAreInKeyOrder)
{
    const std::pair<const char*, std::vector<std::string>> tables[] = {
        {"PresetEditor.MidiNoteSelector|noteNameLabel", {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"}},
        {"PresetEditor.MidiNoteSelector|octaveNameLabel", {"-1", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}}};
    for (const auto& [id, names] : tables)
    {
        const RCPtr<LStringTable> table = s_factory->GetStringTable(WString(id));
        ASSERT_TRUE(table) << id;
        std::vector<std::string> inOrder;
        for (const auto& [key, text] : static_cast<const StringMap&>(*table))
        {
            EXPECT_EQ(Narrow(key).rfind("ITEM.", 0), 0u) << id << " " << Narrow(key);
            inOrder.push_back(Narrow(text));
        }
        EXPECT_EQ(inOrder, names) << id;
    }
}

} // namespace
} // namespace QK
