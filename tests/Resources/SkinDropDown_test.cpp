// An open combo list of the shipped skin, laid out, hit and clicked as a window does it: the
// list hangs outside the small panel that holds its combo box, and a click on a row out there
// reaches it. The editor's own classes stand in as plain panels; the lists are the framework's.
#include "QKFramework/Application/FrameworkApp.h"
#include "QKFramework/Controls/ComboBox.h"
#include "QKFramework/Controls/ListBox.h"
#include "QKFramework/Controls/Panel.h"
#include "QKFramework/Controls/ScrollBar.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Platform/Core/Resources.h"

#include "tests/support/Render/ScopedRenderApp.h"
#include "tests/support/UI/ControlTestTools.h"
#include "tests/support/UI/EventScript.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace QK
{
namespace
{

void RegisterEditorClassesAsPanels(LControlFactory& factory, const LControlDescriptor& control)
{
    if (control.Class.Find(WString(u"PresetEditor.")) == 0)
        factory.RegisterControlClass(control.Class, &LPanel::Create);
    for (std::uint32_t i = 0; i < control.Children.GetCount(); ++i)
        RegisterEditorClassesAsPanels(factory, **control.Children.GetAt(i));
}

std::string ShippedSkins()
{
    const auto document = FindResourceData(GetApplicationInstance(), "QKXML", "APP_SKINS");
    return std::string(document.begin(), document.end());
}

class SkinDropDownTest : public ::testing::Test
{
protected:
    SkinDropDownTest() : harness(ShippedSkins())
    {
        // The harness reads the document as a folder; its images load from there as controls
        // are made.
        for (const auto& entry : std::filesystem::directory_iterator(VEDIDU_SKIN_FOLDER))
            if (entry.path().extension() == ".png")
                std::filesystem::copy_file(entry.path(), harness.Folder() / entry.path().filename().string());
        for (const FrameworkControlClass& entry : GetFrameworkControlClasses())
            factory.RegisterControlClass(WString(entry.name), entry.create);
        if (factory.GetSkinCount() == 2)
            RegisterEditorClassesAsPanels(factory, *factory.GetSkin(1));
    }
    ~SkinDropDownTest() override
    {
        if (window)
        {
            window->SetHost(nullptr);
            window->SetRootControl(RCPtr<LControl>());
        }
        LNotificationCenterManager::ReleaseInstance();
    }

    // The standard skin's main window on the software renderer, its arpeggiator's mode list
    // filled; the list's combo box, or null.
    LComboBox* ShowMainWindow()
    {
        measuring.emplace();
        factory.SetCurrentSkin(1);
        renderer = LRenderer::Create(1, 0);
        host.clientRect = {0, 0, 1240, 780};
        window = LRootWindow::Create(renderer, &host);
        if (window->SetRootControl(WString(u"mainControl")) != QK_OK)
            return nullptr;
        return ModeCombo(*window->GetRootControl());
    }

    // The arpeggiator's mode list with six entries.
    static LComboBox* ModeCombo(LControl& main)
    {
        const RCPtr<LControl> combo = main.FindChild(WString(u"viewDevice"))
                                          ->FindChild(WString(u"arpeggiator"))
                                          ->FindChild(WString(u"arpMode"))
                                          ->FindChild(WString(u"comboBox"));
        auto* found = dynamic_cast<LComboBox*>(combo.Get());
        for (std::int32_t i = 0; found && i < 6; ++i)
            found->InsertItem(i, WString(("mode " + std::to_string(i)).c_str()));
        return found;
    }

    TestSupport::WindowHarness harness;
    LControlFactory& factory = harness.Factory();
    // Texts measured by the system, as where they are drawn for a person to see.
    std::optional<TestSupport::ScopedRenderApp> measuring;
    RCPtr<LRenderer> renderer;
    TestSupport::RecordingWindowHost host;
    RCPtr<LRootWindow> window;
};

TEST_F(SkinDropDownTest, AnOpenListHangsOutsideItsPanelAndTakesClicksThere)
{
    ASSERT_EQ(factory.GetSkinCount(), 2u);
    TestSupport::EventScript script(harness);

    for (std::uint32_t skin = 0; skin < 2; ++skin)
    {
        SCOPED_TRACE("skin " + std::to_string(skin));
        factory.SetCurrentSkin(skin);
        harness.Window()->clientSize = {2600, 1700};
        ASSERT_TRUE(harness.SetRoot(u"mainControl"));
        const RCPtr<LControl> editor = harness.Find("viewDevice/arpeggiator/arpMode");
        LComboBox* combo = ModeCombo(*harness.Root()->GetRootControl());
        ASSERT_TRUE(editor && combo);

        PointD comboAt, editorAt, listAt;
        combo->GetPositionInRoot(comboAt);
        editor->GetPositionInRoot(editorAt);
        const PointL onCombo{static_cast<std::int32_t>(comboAt.x + combo->GetWidth() / 2),
                             static_cast<std::int32_t>(comboAt.y + combo->GetHeight() / 2)};
        script.Move(onCombo).Press(1, onCombo).Release(1, onCombo);
        ASSERT_TRUE(combo->IsDroppedDown());

        // The row farthest from the combo lies outside the panel that holds the combo.
        LListBox& list = *combo->GetListBox();
        list.GetPositionInRoot(listAt);
        const double rowHeight = list.GetItemHeightPixels();
        const bool below = listAt.y >= comboAt.y;
        const double rowMiddle =
            below ? listAt.y + list.GetHeight() - rowHeight / 2 : listAt.y + rowHeight / 2;
        ASSERT_TRUE(rowMiddle > editorAt.y + editor->GetHeight() || rowMiddle < editorAt.y)
            << "the open list stays inside its panel";
        const PointL onRow{static_cast<std::int32_t>(listAt.x + list.GetWidth() / 2),
                           static_cast<std::int32_t>(std::lround(rowMiddle))};
        script.Move(onRow).Press(1, onRow).Release(1, onRow);
        EXPECT_FALSE(combo->IsDroppedDown());
        EXPECT_EQ(combo->GetSelectedIndex(), below ? 5 : 0)
            << "the click did not reach the row outside the panel";
    }
}

// The open list painted over whatever lies below the combo's panel, as a person sees it
// (pictures/skin-open-list.png: the standard skin's main window).
TEST_F(SkinDropDownTest, AnOpenListIsPaintedOutsideItsPanel)
{
    ASSERT_EQ(factory.GetSkinCount(), 2u);
    LComboBox* combo = ShowMainWindow();
    ASSERT_TRUE(combo);
    const LControl& editor = *combo->GetParent();
    PointD editorAt;
    editor.GetPositionInRoot(editorAt);
    const RectL area{0, 0, 1240, 780};

    RCPtr<LRenderContextInfo> closedContext;
    const IDrawingSurface& closed = TestSupport::PaintOffscreen(*window, *renderer, area, closedContext);
    std::vector<std::uint32_t> before;
    for (std::int32_t y = 0; y < area.height; ++y)
        for (std::int32_t x = 0; x < area.width; ++x)
            before.push_back(closed.GetPixel(x, y));

    ASSERT_EQ(combo->ShowDropDown(true), QK_OK);
    RCPtr<LRenderContextInfo> openContext;
    const IDrawingSurface& open = TestSupport::PaintOffscreen(*window, *renderer, area, openContext);
    LListBox& list = *combo->GetListBox();
    PointD listAt;
    list.GetPositionInRoot(listAt);
    // Pixels of the list below the panel's bottom edge changed: the list is drawn there.
    const std::int32_t panelBottom = static_cast<std::int32_t>(editorAt.y + editor.GetHeight()) - area.y;
    const std::int32_t listBottom = static_cast<std::int32_t>(listAt.y + list.GetHeight()) - area.y;
    ASSERT_GT(listBottom, panelBottom + 20);
    std::size_t changed = 0;
    for (std::int32_t y = panelBottom + 2; y < std::min(listBottom - 2, area.height); ++y)
        for (std::int32_t x = static_cast<std::int32_t>(listAt.x) - area.x + 2;
             x < static_cast<std::int32_t>(listAt.x + list.GetWidth()) - area.x - 2; ++x)
            if (open.GetPixel(x, y) != before[static_cast<std::size_t>(y * area.width + x)])
                ++changed;
    EXPECT_GT(changed, 500u) << "the open list is not drawn below its panel";
    EXPECT_TRUE(TestSupport::SavePicture(open, "skin-open-list.png"));
}

// What a person sees of a bar: its arrows at its two ends and the channel filling all that
// lies between them, with the thumb inside the channel and as thick as the bar.
void ExpectChannelFromArrowToArrow(const LScrollbar& bar)
{
    const bool vertical = bar.IsVertical();
    const auto start = [&](const RectD& r) { return vertical ? r.y : r.x; };
    const auto end = [&](const RectD& r) { return vertical ? r.y + r.height : r.x + r.width; };
    const RCPtr<LControl> up = bar.FindChild(WString(u"dec"));
    const RCPtr<LControl> down = bar.FindChild(WString(u"inc"));
    const RCPtr<LControl> channel = bar.FindChild(WString(u"channel"));
    ASSERT_TRUE(up && down && channel && bar.GetThumb());
    EXPECT_EQ(start(up->GetBounds()), 0.0);
    EXPECT_EQ(start(channel->GetBounds()), end(up->GetBounds()));
    EXPECT_EQ(end(channel->GetBounds()), start(down->GetBounds())) << "a gap between the channel and the far arrow";
    EXPECT_EQ(end(down->GetBounds()), vertical ? bar.GetHeight() : bar.GetWidth());
    const RectD& thumb = bar.GetThumb()->GetBounds();
    EXPECT_GE(start(thumb), start(channel->GetBounds()));
    EXPECT_LE(end(thumb), end(channel->GetBounds()));
    EXPECT_EQ(vertical ? thumb.width : thumb.height, vertical ? bar.GetWidth() : bar.GetHeight());
}

// The window made smaller than its picture, so that the device view scrolls both ways, and a
// long list open: every bar shows its channel from arrow to arrow, the list's bar inside the
// list's frame (pictures/skin-scrolling-window.png: the standard skin).
TEST_F(SkinDropDownTest, EveryBarShowsItsChannelFromArrowToArrow)
{
    ASSERT_EQ(factory.GetSkinCount(), 2u);
    measuring.emplace();
    for (std::uint32_t skin = 0; skin < 2; ++skin)
    {
        SCOPED_TRACE("skin " + std::to_string(skin));
        const double scale = skin == 0 ? 2.0 : 1.0;
        factory.SetCurrentSkin(skin);
        renderer = LRenderer::Create(1, 0);
        const RectL area{0, 0, static_cast<std::int32_t>(700 * scale), static_cast<std::int32_t>(450 * scale)};
        host.clientRect = area;
        window = LRootWindow::Create(renderer, &host);
        ASSERT_EQ(window->SetRootControl(WString(u"mainControl")), QK_OK);
        LControl& main = *window->GetRootControl();
        const RCPtr<LLayoutDescriptor> layout = main.GetLayoutDescriptor();
        main.SetAxisLayout(0, 0.0f, false, layout->X.Position, LayoutReference{2, WString(), 0.0f, 1.0 * area.width});
        main.SetAxisLayout(1, 0.0f, false, layout->Y.Position, LayoutReference{2, WString(), 0.0f, 1.0 * area.height});
        // The device view's content is the controller's picture, as the editor's view gives it.
        auto& view = dynamic_cast<LScrollView&>(*main.FindChild(WString(u"viewDevice")));
        view.SetClientExtent(1240.0 * scale, 760.0 * scale);
        for (LScrollbar* bar : {view.GetHorizontalBar(), view.GetVerticalBar()})
        {
            ASSERT_TRUE(LScrollView::IsUsable(bar));
            ExpectChannelFromArrowToArrow(*bar);
        }

        auto* combo = dynamic_cast<LComboBox*>(view.FindChild(WString(u"keysSoundParameters"))
                                                    ->FindChild(WString(u"keybedSounds"))
                                                    ->FindChild(WString(u"comboBox"))
                                                    .Get());
        ASSERT_TRUE(combo);
        for (std::int32_t i = 0; i < 40; ++i)
            combo->InsertItem(i, WString(("sound " + std::to_string(i)).c_str()));
        ASSERT_EQ(combo->ShowDropDown(true), QK_OK);
        LListBox& list = *combo->GetListBox();
        const LScrollbar* bar = list.GetVerticalBar();
        ASSERT_TRUE(LScrollView::IsUsable(bar));
        ExpectChannelFromArrowToArrow(*bar);
        const RectD inside = list.GetLookClientRect(-1);
        const RectD& b = bar->GetBounds();
        EXPECT_EQ(b.x - list.GetScrollOffset().x + b.width, inside.width) << "the bar is not at the frame's inner edge";
        EXPECT_EQ(b.y - list.GetScrollOffset().y + b.height, inside.height);

        RCPtr<LRenderContextInfo> context;
        const IDrawingSurface& picture = TestSupport::PaintOffscreen(*window, *renderer, area, context);
        if (skin == 1)
        {
            EXPECT_TRUE(TestSupport::SavePicture(picture, "skin-scrolling-window.png"));
        }
        window->SetHost(nullptr);
        window->SetRootControl(RCPtr<LControl>());
        window = nullptr;
    }
}

// The panel that holds an open list is hidden: repainting what the window collected leaves
// nothing of the list behind (pictures/skin-hidden-open-list.png), pixel for pixel what a
// whole new picture shows.
TEST_F(SkinDropDownTest, HidingThePanelOfAnOpenListLeavesNothingOfItBehind)
{
    ASSERT_EQ(factory.GetSkinCount(), 2u);
    LComboBox* combo = ShowMainWindow();
    ASSERT_TRUE(combo);
    ASSERT_EQ(combo->ShowDropDown(true), QK_OK);
    const RectL area{0, 0, 1240, 780};
    RCPtr<LRenderContextInfo> context;
    TestSupport::PaintOffscreen(*window, *renderer, area, context);

    // The combo's own small panel: the list hangs far below it.
    combo->GetParent()->SetVisible(false);
    const IDrawingSurface& repainted = TestSupport::RepaintOffscreen(*window, *renderer, context);
    RCPtr<LRenderContextInfo> freshContext;
    const IDrawingSurface& fresh = TestSupport::PaintOffscreen(*window, *renderer, area, freshContext);
    std::size_t stale = 0;
    for (std::int32_t y = 0; y < area.height; ++y)
        for (std::int32_t x = 0; x < area.width; ++x)
            if (repainted.GetPixel(x, y) != fresh.GetPixel(x, y))
                ++stale;
    EXPECT_EQ(stale, 0u) << "pixels of the hidden panel's list stayed on the screen";
    EXPECT_TRUE(TestSupport::SavePicture(repainted, "skin-hidden-open-list.png"));
}

} // namespace
} // namespace QK
