// The shipped skins against the classes the editor registers at start-up, and the trees the
// editor builds from them at both scales: the main control at its window's size and both
// dialogs at theirs. A control outside its parent is cut off or unreachable; two editors on
// top of each other take each other's clicks. Then what a person sees of them: Tab in reading
// order, a focus look on every control that takes the focus, number fields that hold three
// digits, arrows one can aim at, slider thumbs apart, thin menu separators, the key curve
// inside its plot and a support button that shows.
//
// Sections: walking and describing; the placement rules; the looks rules; the tests.
#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/ComboBox.h"
#include "QKFramework/Controls/Graph.h"
#include "QKFramework/Controls/NumericUpDown.h"
#include "QKFramework/Controls/PopupMenu.h"
#include "QKFramework/Controls/Slider.h"
#include "QKFramework/Controls/TextBox.h"
#include "QKFramework/Platform/Render/DrawingSurface.h"
#include "QKFramework/Renderer/MeasurementRenderer.h"
#include "QKFramework/Renderer/RenderApp.h"
#include "UI/EditKeyCurveDialog.h"
#include "UI/NameEditPanel.h"
#include "UI/PresetEditorCommon/MidiNoteSelector.h"
#include "UI/PresetEditorCommon/VariantBufferSetterParameterPanel.h"

#include "tests/support/Editor/DialogWindow.h"
#include "tests/support/Editor/EditorTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using TestSupport::DialogWindow;
using TestSupport::EditorTree;
using TestSupport::Narrow;

std::string PathOf(const LControl& control)
{
    std::string path = Narrow(control.GetName());
    for (const LControl* at = control.GetParent(); at; at = at->GetParent())
        path = Narrow(at->GetName()) + "/" + path;
    return path;
}

template <class Visit>
void WalkDescriptors(const LControlDescriptor& control, const std::string& path, Visit&& visit)
{
    visit(control, path);
    for (std::uint32_t i = 0; i < control.Children.GetCount(); ++i)
    {
        const LControlDescriptor& child = **control.Children.GetAt(i);
        WalkDescriptors(child, path + "/" + Narrow(child.Name), visit);
    }
}

template <class Visit> void WalkVisible(LControl& control, Visit&& visit)
{
    for (std::uint32_t i = 0; i < control.GetChildren().GetCount(); ++i)
    {
        LControl& child = *control.GetChildren().GetAt(i);
        if (!child.IsVisible(false))
            continue;
        visit(child);
        WalkVisible(child, visit);
    }
}

bool Inside(const RectL& inner, const RectL& outer)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

std::string Describe(const RectL& rect)
{
    return "(" + std::to_string(rect.x) + ", " + std::to_string(rect.y) + ", " + std::to_string(rect.width) +
           " x " + std::to_string(rect.height) + ")";
}

bool Overlap(const RectL& a, const RectL& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

bool IsEditor(const LControl& control)
{
    return dynamic_cast<const LVariantBufferSetterParameterPanel*>(&control) ||
           dynamic_cast<const LNameEditPanel*>(&control) || dynamic_cast<const LMidiNoteSelector*>(&control);
}

bool IsAncestor(const LControl& ancestor, const LControl& control)
{
    for (const LControl* at = control.GetParent(); at; at = at->GetParent())
        if (at == &ancestor)
            return true;
    return false;
}

// Every visible control lies inside its parent (unclipped ones too: a drop-down list shows
// only while open, and then outside by design), and no two editors that are not nested overlap. Lists what is
// wrong, one line each.
std::vector<std::string> LayoutProblems(LControl& top)
{
    std::vector<std::string> problems;
    std::vector<LControl*> editors;
    WalkVisible(top,
                [&](LControl& control)
                {
                    RectL rect;
                    RectL parent;
                    control.GetWindowRect(rect);
                    control.GetParent()->GetWindowRect(parent);
                    if (!Inside(rect, parent))
                        problems.push_back(PathOf(control) + " " + Describe(rect) +
                                           " lies outside its parent " + Describe(parent));
                    if (IsEditor(control))
                        editors.push_back(&control);
                });
    for (std::size_t i = 0; i < editors.size(); ++i)
        for (std::size_t j = i + 1; j < editors.size(); ++j)
        {
            RectL a;
            RectL b;
            editors[i]->GetWindowRect(a);
            editors[j]->GetWindowRect(b);
            if (Overlap(a, b) && !IsAncestor(*editors[i], *editors[j]) &&
                !IsAncestor(*editors[j], *editors[i]))
                problems.push_back(PathOf(*editors[i]) + " overlaps " + PathOf(*editors[j]));
        }
    return problems;
}

std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// ---- The looks rules ---------------------------------------------------------------------------
// Each takes the top control of a tree built at a scale (1 standard, 2 high-DPI) and lists what
// breaks its rule, one line each.

RectL WindowRect(const LControl& control)
{
    RectL rect;
    control.GetWindowRect(rect);
    return rect;
}

// Before in reading order: on one row (the two overlap vertically) the left one, else the
// upper one.
bool ReadsBefore(const RectL& a, const RectL& b)
{
    const bool oneRow = a.y < b.y + b.height && b.y < a.y + a.height;
    return oneRow ? a.x < b.x : a.y < b.y;
}

// The children of every container that Tab stops at, in tab order, follow reading order; the
// favorites bank goes FAV 1 to 8, then RAM.
std::vector<std::string> TabOrderProblems(LControl& top)
{
    std::vector<std::string> problems;
    const auto check = [&](LControl& container) {
        std::vector<LControl*> stops;
        for (std::uint32_t i = 0; i < container.GetChildren().GetCount(); ++i)
        {
            LControl& child = *container.GetChildren().GetAt(i, LControl::ChildControlList::kTabOrder);
            if (child.IsVisible(true) && (child.IsFocusable() || child.CanTakeFocus()))
                stops.push_back(&child);
        }
        if (Narrow(container.GetName()) == "favoriteBankPanel")
        {
            std::string order;
            for (const LControl* stop : stops)
                order += Narrow(stop->GetName()) + " ";
            if (order != "fav1 fav2 fav3 fav4 fav5 fav6 fav7 fav8 sendToRamButton ")
                problems.push_back(PathOf(container) + " tabs " + order);
            return;
        }
        for (std::size_t i = 1; i < stops.size(); ++i)
            if (!ReadsBefore(WindowRect(*stops[i - 1]), WindowRect(*stops[i])))
                problems.push_back(PathOf(container) + ": Tab goes from " + Narrow(stops[i - 1]->GetName()) + " " +
                                   Describe(WindowRect(*stops[i - 1])) + " to " + Narrow(stops[i]->GetName()) + " " +
                                   Describe(WindowRect(*stops[i])));
    };
    check(top);
    WalkVisible(top, check);
    return problems;
}

// Every control that holds the focus looks different while it does: painted without any
// focus in the window and then with the focus on it, its area (a slider's thumb: the whole
// slider, whose track shows it) changes.
std::vector<std::string> FocusLookProblems(LRootWindow& window, LRenderer& renderer, LControl& top)
{
    std::vector<std::string> problems;
    std::vector<RCPtr<LControl>> focusable;
    WalkVisible(top, [&](LControl& control) {
        if (control.IsVisible(true) && control.IsFocusable())
            focusable.emplace_back(&control);
    });
    RCPtr<LRenderContextInfo> context;
    const RectL whole = WindowRect(top);
    const IDrawingSurface& surface = TestSupport::PaintOffscreen(window, renderer, whole, context);
    for (const RCPtr<LControl>& control : focusable)
    {
        const LControl* shows = dynamic_cast<const LSlider*>(control->GetParent()) ? control->GetParent() : control.Get();
        const RectL area = WindowRect(*shows);
        top.KillFocus();
        TestSupport::RepaintOffscreen(window, renderer, context);
        const std::vector<std::uint32_t> before = TestSupport::PixelsOf(surface, area);
        control->SetFocus(true);
        if (!control->HasFocus())
        {
            problems.push_back(PathOf(*control) + " does not take the focus");
            continue;
        }
        TestSupport::RepaintOffscreen(window, renderer, context);
        const std::vector<std::uint32_t> after = TestSupport::PixelsOf(surface, area);
        std::size_t changed = 0;
        for (std::size_t i = 0; i < before.size(); ++i)
            changed += before[i] != after[i] ? 1 : 0;
        if (changed < 8)
            problems.push_back(PathOf(*control) + " shows no focus (" + std::to_string(changed) + " pixels change)");
    }
    top.KillFocus();
    return problems;
}

// Every number field holds three digits with room to spare, its arrows are at least 7 pixels
// wide (14 at high DPI) and draw an arrow that wide, and the thumbs of neighbouring sliders
// stay apart at the ends of their travel.
std::vector<std::string> NumberFieldProblems(LControl& top, const IDrawingSurface& surface, std::int32_t scale)
{
    std::vector<std::string> problems;
    std::vector<LSlider*> sliders;
    const ConstRCPtr<LMeasurementRenderer> measuring = LRenderApp::GetMeasurementRenderer();
    WalkVisible(top, [&](LControl& control) {
        if (auto* slider = dynamic_cast<LSlider*>(&control);
            slider && slider->FindChild(WString(u"thumbStart")) && slider->FindChild(WString(u"thumbEnd")))
            sliders.push_back(slider);
        if (!dynamic_cast<LNumericUpDown*>(&control))
            return;
        const auto* field = dynamic_cast<LTextBox*>(control.FindChild(WString(u"textBox")).Get());
        const RCPtr<LLook> look = field ? field->GetLook(0) : RCPtr<LLook>();
        if (!look || !look->GetFontText() || !measuring)
        {
            problems.push_back(PathOf(control) + " has no text field");
            return;
        }
        // The measure carries the desktop's padding of a few pixels; the room comes on top.
        const double digits = measuring->MeasureText(WString(u"888"), field->GetFont()).width;
        const double area = look->GetFontText()->GetBoxWidth();
        if (area < digits + 2 * scale)
            problems.push_back(PathOf(*field) + " is " + std::to_string(area) + " wide for three digits of " +
                               std::to_string(digits));
        for (const char16_t* name : {u"buttonUp", u"buttonDown"})
        {
            const RCPtr<LControl> arrow = control.FindChild(WString(name));
            if (!arrow)
            {
                problems.push_back(PathOf(control) + " has no " + Narrow(WString(name)));
                continue;
            }
            const RectL rect = WindowRect(*arrow);
            std::int32_t drawn = 0;
            for (std::int32_t x = rect.x; x < rect.x + rect.width; ++x)
                for (std::int32_t y = rect.y; y < rect.y + rect.height; ++y)
                {
                    // Half way or more from the button's face to the arrow's light colour.
                    const std::uint32_t pixel = surface.GetPixel(x, y);
                    if (((pixel >> 16) & 0xFF) > 0x90 && ((pixel >> 8) & 0xFF) > 0x90 && (pixel & 0xFF) > 0x90)
                    {
                        ++drawn;
                        break;
                    }
                }
            if (rect.width < 7 * scale || drawn < 7 * scale)
                problems.push_back(PathOf(*arrow) + " is " + std::to_string(rect.width) + " wide with an arrow of " +
                                   std::to_string(drawn));
        }
    });
    for (const LSlider* left : sliders)
        for (const LSlider* right : sliders)
        {
            const RectL a = WindowRect(*left->FindChild(WString(u"thumbEnd")));
            const RectL b = WindowRect(*right->FindChild(WString(u"thumbStart")));
            const bool oneRow = a.y < b.y + b.height && b.y < a.y + a.height;
            const std::int32_t gap = b.x - (a.x + a.width);
            if (left != right && oneRow && gap >= 0 && gap < 4 * scale)
                problems.push_back(PathOf(*left) + " and " + PathOf(*right) + " have thumbs " + std::to_string(gap) +
                                   " apart");
        }
    return problems;
}

// The highlight of a selection covers the selected text and hardly more: every number field
// and every name, all of its text selected, painted with the focus on it.
std::vector<std::string> SelectionProblems(LRootWindow& window, LRenderer& renderer, LControl& top, std::int32_t scale)
{
    std::vector<std::string> problems;
    std::vector<RCPtr<LTextBox>> boxes;
    WalkVisible(top, [&](LControl& control) {
        if (auto* box = dynamic_cast<LTextBox*>(&control); box && box->IsVisible(true) && !box->GetText().IsEmpty())
            boxes.emplace_back(box);
    });
    RCPtr<LRenderContextInfo> context;
    const IDrawingSurface& surface = TestSupport::PaintOffscreen(window, renderer, WindowRect(top), context);
    for (const RCPtr<LTextBox>& box : boxes)
    {
        box->SetFocus(true);
        box->SetSelection(0, -1);
        TestSupport::RepaintOffscreen(window, renderer, context);
        // Inside the field's frame: the highlight (the selection colour over the field) and
        // the text's ink.
        const RectL rect = WindowRect(*box);
        std::int32_t highlight[2] = {INT32_MAX, -1};
        std::int32_t ink[2] = {INT32_MAX, -1};
        for (std::int32_t y = rect.y + 3 * scale; y < rect.y + rect.height - 3 * scale; ++y)
            for (std::int32_t x = rect.x + 2 * scale; x < rect.x + rect.width - 2 * scale; ++x)
            {
                const std::uint32_t pixel = surface.GetPixel(x, y);
                const std::int32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
                std::int32_t* range = nullptr;
                if (r < 0x40 && g > r + 0x30 && b > r + 0x30)
                    range = highlight;
                else if (r > 0xA0 && g > 0xA0 && b > 0xA0 && (r & g & b) != 0xFF) // not the caret
                    range = ink;
                if (range)
                {
                    range[0] = std::min(range[0], x);
                    range[1] = std::max(range[1], x);
                }
            }
        if (ink[1] < 0)
            continue;
        if (highlight[1] < 0 || highlight[0] > ink[0] || highlight[1] < ink[1] || ink[0] - highlight[0] > 4 * scale ||
            highlight[1] - ink[1] > 4 * scale)
            problems.push_back(PathOf(*box) + " \"" + Narrow(box->GetText()) + "\": highlight " +
                               std::to_string(highlight[0]) + ".." + std::to_string(highlight[1]) + ", text " +
                               std::to_string(ink[0]) + ".." + std::to_string(ink[1]));
    }
    top.KillFocus();
    return problems;
}

// A menu's separator rows are thinner than its items.
std::vector<std::string> SeparatorProblems(LControl& main)
{
    std::vector<std::string> problems;
    const RCPtr<LControl> menuBar = main.FindChild(WString(u"mainMenu"));
    const RCPtr<LControl> file = menuBar ? menuBar->FindChild(WString(u"File")) : RCPtr<LControl>();
    auto* popup = file ? dynamic_cast<LPopupMenu*>(file->FindChild(WString(u"popupMenu")).Get()) : nullptr;
    if (!popup)
        return {"no File menu"};
    double item = 0.0;
    double separator = 0.0;
    for (std::uint32_t row = 0; row < std::min(popup->GetRowCount(), popup->GetItemCount()); ++row)
        if (const LListBoxItem* control = popup->GetRowControl(row))
            (control->IsSeparator() ? separator : item) = control->GetHeight();
    if (!(separator > 0.0 && separator < item))
        problems.push_back("File menu: separator " + std::to_string(separator) + " high, items " + std::to_string(item));
    return problems;
}

// The key curve's points and their numbers lie inside the plot, the curve at its defaults and
// with every value at either end of its range.
std::vector<std::string> KeyCurveProblems(LEditKeyCurveDlg& dialog)
{
    std::vector<std::string> problems;
    const auto* graph = dynamic_cast<const LGraph*>(dialog.FindChild(WString(u"graph")).Get());
    if (!graph)
        return {"no graph"};
    const auto look = [&](const std::string& when) {
        const RectL plot = WindowRect(*graph);
        for (std::uint32_t i = 0; i < graph->GetPointCount(); ++i)
        {
            const RectL point = WindowRect(*graph->GetPointControl(static_cast<std::int32_t>(i)));
            if (!Inside(point, plot))
                problems.push_back(when + ": point " + std::to_string(i + 1) + " " + Describe(point) +
                                   " leaves the plot " + Describe(plot));
            const RCPtr<LControl> number = dialog.FindChild(WString(("labelGraphV" + std::to_string(i + 1)).c_str()));
            if (number && !Inside(WindowRect(*number), plot))
                problems.push_back(when + ": number " + std::to_string(i + 1) + " " + Describe(WindowRect(*number)) +
                                   " leaves the plot " + Describe(plot));
        }
    };
    look("defaults");
    for (const double fraction : {0.0, 1.0})
    {
        for (std::size_t i = 0; i < 4; ++i)
            dialog.GetUpDown(i)->SetValue(fraction);
        look(fraction == 0.0 ? "lowest" : "highest");
    }
    return problems;
}

// The about dialog's support button shows as a button of its own with its text.
std::vector<std::string> SupportButtonProblems(LControl& about)
{
    const RCPtr<LControl> button = about.FindChild(WString(u"buttonSupport"));
    const RCPtr<LControl> logo = about.FindChild(WString(u"companyLogo"));
    if (!button || !logo)
        return {"no support button or logo"};
    std::vector<std::string> problems;
    if (!button->IsVisible(true) || button->GetText().IsEmpty())
        problems.push_back("the support button is hidden or has no text");
    if (Overlap(WindowRect(*button), WindowRect(*logo)))
        problems.push_back("the support button lies over the logo");
    const PointD middle{button->GetWidth() / 2, button->GetHeight() / 2};
    if ((button->GetLookColorAtPoint(middle, -1) >> 24) < 0x80)
        problems.push_back("the support button's look is not drawn");
    return problems;
}

TEST(ShippedSkinLayoutTest, EveryClassTheSkinsNameIsRegisteredAtStartUp)
{
    EditorTree tree;
    ASSERT_TRUE(tree.factory && tree.app);
    ASSERT_GE(tree.started, 0);
    std::vector<std::string> unknown;
    for (std::uint32_t skin = 0; skin < tree.factory->GetSkinCount(); ++skin)
    {
        const LControlDescriptor& root = *tree.factory->GetSkin(skin);
        for (std::uint32_t i = 0; i < root.Children.GetCount(); ++i)
            WalkDescriptors(
                **root.Children.GetAt(i),
                Narrow(root.Skin->Name) + "/" + Narrow((*root.Children.GetAt(i))->Name),
                [&](const LControlDescriptor& control, const std::string& path)
                {
                    if (control.Class.IsEmpty())
                        return;
                    // An unknown class is the factory's runtime error.
                    LControlCreateFunction create = nullptr;
                    try
                    {
                        if (Failed(tree.factory->GetControlCreateFunction(control.Class, create)) || !create)
                            unknown.push_back(path + ": " + Narrow(control.Class));
                    }
                    catch (const std::runtime_error&)
                    {
                        unknown.push_back(path + ": " + Narrow(control.Class));
                    }
                });
    }
    EXPECT_EQ(Lines(unknown), "");
}

TEST(ShippedSkinLayoutTest, ControlsLieInsideTheirParentsAndEditorsApartAtBothScales)
{
    for (std::int32_t skin : {1, 0})
    {
        SCOPED_TRACE("skin " + std::to_string(skin));
        EditorTree tree;
        ASSERT_TRUE(tree.factory && tree.app);
        ASSERT_EQ(tree.app->SetSkin(skin), QK_OK);
        // The main window opens at the size the skin gives the main control.
        const RCPtr<LControlDescriptor> main =
            tree.factory->FindSubControlDescriptor(WString(LApplication::kMainControlName));
        ASSERT_TRUE(main && main->Layout);
        tree.host.clientRect = {0, 0, static_cast<std::int32_t>(LApplicationBase::MainWindowExtent(main->Layout->X)),
                                static_cast<std::int32_t>(LApplicationBase::MainWindowExtent(main->Layout->Y))};
        ASSERT_GE(tree.Build(), 0);
        ASSERT_TRUE(tree.Main());
        EXPECT_EQ(Lines(LayoutProblems(*tree.Main())), "");
        // The joystick's CC editors show only for a CC type: both of them for dual CC.
        for (const char* axis : {"joystick/xAxis", "joystick/yAxis"})
        {
            auto* type = dynamic_cast<LComboBox*>(tree.Find(std::string(axis) + "/type/comboBox").Get());
            ASSERT_TRUE(type) << axis;
            type->SelectItem(2);
            ASSERT_TRUE(tree.Find(std::string(axis) + "/cc2")->IsVisible(true)) << axis;
        }
        EXPECT_EQ(Lines(LayoutProblems(*tree.Main())), "") << "with the joystick's CC editors shown";

        for (const char16_t* name : {u"dialogEditKeyCurve", u"dialogAbout"})
        {
            const RCPtr<LControl> dialog = tree.app->CreateControl(WString(name));
            ASSERT_TRUE(dialog) << Narrow(WString(name));
            DialogWindow window(dialog);
            EXPECT_EQ(Lines(LayoutProblems(*dialog)), "") << Narrow(WString(name));
        }
    }
}

TEST(ShippedSkinLayoutTest, TheCheckFindsAnEditorMovedOntoAnotherOrOutOfItsPanel)
{
    EditorTree tree;
    ASSERT_TRUE(tree.factory && tree.app);
    ASSERT_GE(tree.Build(), 0);
    const RCPtr<LControl> cc = tree.Find("knobBank1/knob1/ccValuePanel");
    const RCPtr<LControl> minimum = tree.Find("knobBank1/knob1/minValuePanel");
    const RCPtr<LControl> tempo = tree.Find("arpeggiator/tempo");
    ASSERT_TRUE(cc && minimum && tempo);
    const RectD at = minimum->GetBounds();
    cc->SetLayoutRect({at.x + 4, at.y}, {cc->GetWidth(), cc->GetHeight()});
    tempo->SetLayoutRect({tempo->GetParent()->GetWidth() - 10, tempo->GetBounds().y},
                         {tempo->GetWidth(), tempo->GetHeight()});
    const std::string problems = Lines(LayoutProblems(*tree.Main()));
    EXPECT_NE(
        problems.find("knob1/ccValuePanel overlaps mainControl/viewDevice/knobBank1/knob1/minValuePanel"),
        std::string::npos)
        << problems;
    EXPECT_NE(problems.find("arpeggiator/tempo ("), std::string::npos) << problems;
}


TEST(ShippedSkinLooksTest, TabFocusNumberFieldsMenusKeyCurveAndAboutAtBothScales)
{
    for (const std::int32_t skin : {1, 0})
    {
        const std::int32_t scale = skin == 0 ? 2 : 1;
        SCOPED_TRACE("skin " + std::to_string(skin));
        EditorTree tree;
        ASSERT_TRUE(tree.factory && tree.app);
        ASSERT_EQ(tree.app->SetSkin(skin), QK_OK);
        tree.host.clientRect = {0, 0, 1240 * scale, 780 * scale};
        ASSERT_GE(tree.Build(), 0);
        LControl& main = *tree.Main();
        // The joystick's second controller shows for a dual-CC axis.
        for (const char* axis : {"joystick/xAxis", "joystick/yAxis"})
            dynamic_cast<LComboBox&>(*tree.Find(std::string(axis) + "/type/comboBox")).SelectItem(2);
        EXPECT_EQ(Lines(TabOrderProblems(main)), "");
        EXPECT_EQ(Lines(SeparatorProblems(main)), "");
        {
            RCPtr<LRenderContextInfo> context;
            const IDrawingSurface& surface = TestSupport::PaintOffscreen(*tree.window, *tree.renderer,
                                                                         WindowRect(main), context);
            EXPECT_EQ(Lines(NumberFieldProblems(main, surface, scale)), "");
        }
        EXPECT_EQ(Lines(FocusLookProblems(*tree.window, *tree.renderer, main)), "");
        EXPECT_EQ(Lines(SelectionProblems(*tree.window, *tree.renderer, main, scale)), "");

        for (const char16_t* name : {u"dialogEditKeyCurve", u"dialogAbout"})
        {
            SCOPED_TRACE(Narrow(WString(name)));
            const RCPtr<LControl> dialog = tree.app->CreateControl(WString(name));
            ASSERT_TRUE(dialog);
            DialogWindow window(dialog);
            const RCPtr<LRenderer> renderer = window.Window().GetRenderer();
            EXPECT_EQ(Lines(TabOrderProblems(*dialog)), "");
            EXPECT_EQ(Lines(FocusLookProblems(window.Window(), *renderer, *dialog)), "");
            if (auto* keyCurve = dynamic_cast<LEditKeyCurveDlg*>(dialog.Get()))
            {
                RCPtr<LRenderContextInfo> context;
                const IDrawingSurface& surface =
                    TestSupport::PaintOffscreen(window.Window(), *renderer, WindowRect(*dialog), context);
                EXPECT_EQ(Lines(NumberFieldProblems(*dialog, surface, scale)), "");
                EXPECT_EQ(Lines(SelectionProblems(window.Window(), *renderer, *dialog, scale)), "");
                EXPECT_EQ(Lines(KeyCurveProblems(*keyCurve)), "");
            }
            else
            {
                EXPECT_EQ(Lines(SupportButtonProblems(*dialog)), "");
            }
        }
    }
}

} // namespace
} // namespace QK
