// Test support for root windows without a window system.
//
// Contents:
//   - InputProbe: a control ("Test.Input") that writes down every UITarget call it gets as
//     "<name>:<call>" in the probe log, may take the capture on a press and may leave the
//     wheel unhandled.
//   - WindowHarness: a ControlHarness whose root window takes a root control; its recording
//     host (RecordingWindowHost.h) plays the input.
//   - Pictures: a uniform look list and a window painted offscreen by the software renderer
//     (SavePicture of ControlTestTools.h writes the result).
// UI thread only.
#pragma once

#include "QKFramework/Application/RootWindow.h"
#include "QKFramework/Platform/Render/DrawingSurface.h"
#include "QKFramework/Platform/Window/WindowOSServices.h"
#include "QKFramework/Renderer/RenderContextInfo.h"

#include "tests/support/UI/ControlHarness.h"
#include "tests/support/UI/ControlTestTools.h"
#include "tests/support/UI/RecordingWindowHost.h"

#include <cstdint>
#include <string>
#include <vector>

namespace QK
{
class IDrawingSurface;
}

namespace QK::TestSupport
{

// A skin's <LookList> of count looks that all show the look named look.
std::string UniformLookList(const std::string& name, int count, const std::string& look = "grey");

class InputProbe : public ProbeControl
{
public:
    using ProbeControl::ProbeControl;

    QKRESULT MouseEnter(const LPointWithModifiersParam* point) override;
    QKRESULT MouseMove(const LPointWithModifiersParam* point) override;
    QKRESULT MouseDown(const LMouseButtonParam* button) override;
    QKRESULT MouseUp(const LMouseButtonParam* button) override;
    QKRESULT MouseLeave() override;
    QKRESULT ReleaseCapture() override;
    QKRESULT KeyInput(LKeyParam* key) override;
    QKRESULT MouseWheel(const LMouseWheelParam* wheel) override;
    QKRESULT MouseWheel(const LMouseWheelParam& wheel) override;
    QKRESULT SizeChanged(const DoublePair& size) override;
    QKRESULT KillFocus() override;
    bool CanAcceptDrop() override;
    QKRESULT DropFiles(const StringArray& paths) override;
    QKRESULT SetFocus(bool forward) override;
    WString GetToolTipText() const override { return toolTip; }
    QKRESULT ShowToolTip(bool show) override;
    // Written down: the overlay hook runs before a control's children, the custom hook after
    // them; the custom hook raises a domain error when throwOnPaint is set.
    QKRESULT DrawOverlay(LRenderer& renderer) override;
    QKRESULT DrawCustom(LRenderer& renderer) override;

    // Takes the root window's capture on a press, gives it back on the release.
    bool captureOnPress = false;
    QKRESULT wheelAnswer = QK_OK;
    bool acceptsDrop = false;
    WString toolTip;
    bool throwOnPaint = false;
};

RCPtr<LControl> CreateInputProbe(LControl* parent, const LControlDescriptor* descriptor);

class WindowHarness : public ControlHarness
{
public:
    explicit WindowHarness(const std::string& skins, const std::string& strings = std::string(),
                           const std::string& extraDefinitions = std::string());

    RecordingWindowHost& Host() { return Window()->Host(); }
    const RCPtr<LRootWindow>& Root() const { return m_root; }
    // The top control of that name as the root control; null when it cannot be made.
    RCPtr<LControl> SetRoot(const char16_t* name);
    // The control of that path ("panel/button") under the root control.
    RCPtr<LControl> Find(const std::string& path) const;

private:
    // The harness's window, as the root window it is.
    RCPtr<LRootWindow> m_root;
};

// The colorizer, part and look "grey" and the look list listName with it at all fourteen
// indices, so that a control is hit and drawn in whatever state it shows.
std::string UniformLooks(const std::string& listName);

// Paints all of window's tree over area (client coordinates) with renderer, a renderer of
// kind 1, into a fresh offscreen context; the picture lives as long as context.
const IDrawingSurface& PaintOffscreen(LRootWindow& window, LRenderer& renderer, const RectL& area,
                                      RCPtr<LRenderContextInfo>& context);
// The pixels of area (client coordinates) in a surface, row by row.
std::vector<std::uint32_t> PixelsOf(const IDrawingSurface& surface, const RectL& area);

// Paints only what the window has collected as dirty since, over the picture of a context
// PaintOffscreen made, as a window repaints after a change.
const IDrawingSurface& RepaintOffscreen(LRootWindow& window, LRenderer& renderer,
                                        const RCPtr<LRenderContextInfo>& context);

} // namespace QK::TestSupport
