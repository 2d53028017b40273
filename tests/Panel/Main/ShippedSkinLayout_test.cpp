// The shipped skins against the classes the editor registers at start-up, and the trees the
// editor builds from them at both scales: the main control at its window's size and both
// dialogs at theirs. A control outside its parent is cut off or unreachable; two editors on
// top of each other take each other's clicks.
#include "QKFramework/Controls/ComboBox.h"
#include "UI/NameEditPanel.h"
#include "UI/PresetEditorCommon/MidiNoteSelector.h"
#include "UI/PresetEditorCommon/VariantBufferSetterParameterPanel.h"

#include "tests/support/Editor/DialogWindow.h"
#include "tests/support/Editor/EditorTree.h"

#include <gtest/gtest.h>

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
                        if (Failed(tree.factory->GetLControlCreateFunction(control.Class, create)) || !create)
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

} // namespace
} // namespace QK
