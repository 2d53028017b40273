// The device view's edit panels drawn with a preset shown in them: the picture is saved for
// a person to look at, and a changed value must change the pixels of its own field.
#include "QKFramework/Application/RootWindow.h"
#include "QKFramework/Platform/Render/DrawingSurface.h"
#include "QKFramework/Renderer/RenderContextInfo.h"
#include "QKFramework/Renderer/Renderer.h"
#include "tests/UI/EditPanelTestTree.h"
#include "tests/support/UI/ControlTestTools.h"
#include "tests/support/UI/RecordingWindowHost.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

namespace QK
{
namespace
{

using TestSupport::Bytes;
using TestSupport::EditPanelTestTree;

class EditPanelsPicture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree.Ready());
        host.clientRect = {0, 0, kWidth, kHeight};
        window = LRootWindow::Create(renderer, &host);
        ASSERT_EQ(window->SetRootControl(RCPtr<LControl>(tree.root)), QK_OK);
        tree.root->SizeChanged(DoublePair{kWidth, kHeight});
        // The model's own preset, as a get from the controller would bring it.
        for (std::int32_t id = 0; id < 79; ++id)
        {
            Variant value;
            ASSERT_GE(tree.engine->GetParamValue(ParamDescriptor(id), value), 0) << id;
            tree.Apply(id, value);
        }
    }
    void TearDown() override
    {
        if (window)
        {
            window->SetHost(nullptr);
            window->SetRootControl(RCPtr<LControl>());
        }
    }

    // The field's rectangle in the window.
    RectL Place(const std::string& path)
    {
        RectL rect{};
        if (LControl* control = tree.At(path))
            control->GetWindowRect(rect);
        return rect;
    }

    static constexpr std::int32_t kWidth = 1240;
    static constexpr std::int32_t kHeight = 780;
    EditPanelTestTree tree;
    RCPtr<LRenderer> renderer = LRenderer::Create(1, 0);
    TestSupport::RecordingWindowHost host;
    RCPtr<LRootWindow> window;
};

TEST_F(EditPanelsPicture, ALoadedPresetIsDrawnAndAChangedValueRedrawsItsField)
{
    const RectL tempo = Place("arpeggiator/tempo/parameterControl");
    const RectL name = Place("presetName/editPanel");
    const RectL note = Place("padBank1/pad4/midiNote");
    ASSERT_GT(tempo.width, 0);
    RCPtr<LRenderContextInfo> before;
    const IDrawingSurface& first =
        TestSupport::PaintOffscreen(*window, *renderer, {0, 0, kWidth, kHeight}, before);
    const auto tempoBefore = TestSupport::PixelsOf(first, tempo);
    const auto nameBefore = TestSupport::PixelsOf(first, name);
    const auto noteBefore = TestSupport::PixelsOf(first, note);
    EXPECT_TRUE(TestSupport::SavePicture(first, "edit-panels-default-preset.png"));

    tree.Apply(13, Bytes({0x01, 0x48}));
    tree.Apply(0, Bytes({'N', 'I', 'G', 'H', 'T', ' ', 'D', 'R', 'I', 'V', 'E', 0, 0, 0, 0, 0}));
    tree.Apply(24, Bytes({61}));
    tree.Apply(18, Bytes({2}));
    tree.Apply(19, Bytes({74}));
    tree.Apply(20, Bytes({71}));
    RCPtr<LRenderContextInfo> after;
    const IDrawingSurface& second =
        TestSupport::PaintOffscreen(*window, *renderer, {0, 0, kWidth, kHeight}, after);
    EXPECT_NE(TestSupport::PixelsOf(second, tempo), tempoBefore) << "tempo 200 is drawn";
    EXPECT_NE(TestSupport::PixelsOf(second, name), nameBefore) << "the new name is drawn";
    EXPECT_NE(TestSupport::PixelsOf(second, note), noteBefore) << "C#4 is drawn";
    EXPECT_TRUE(TestSupport::SavePicture(second, "edit-panels-changed-preset.png"));
    EXPECT_TRUE(tree.engine->writes.empty());
}

} // namespace
} // namespace QK
