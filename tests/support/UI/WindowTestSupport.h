// Test support for root windows without a window system.
//
// Contents:
//   - RecordingWindowHost: an IWindowOSServices that writes down every call ("InvalidateRect
//     (0,0,10,10)", "SetFocus", "EndModal(3)") and answers from its fields. It keeps the
//     button bits and the capture as a real host does, and offers Press / Release / Move /
//     Wheel, which reach the root window as the host's message handlers would. Its modal
//     loop runs idle periods until EndModal.
//   - InputProbe: a control ("Test.Input") that writes down every UITarget call it gets as
//     "<name>:<call>" in the probe log, may take the capture on a press and may leave the
//     wheel unhandled.
//   - WindowHarness: a ControlHarness with a real LRootWindow on a recording host, its idle
//     step in the harness's idle loop, and the window listed with the application.
// UI thread only.
#pragma once

#include "QKFramework/Application/RootWindow.h"
#include "QKFramework/Application/WindowOSServices.h"

#include "tests/support/Controls/ControlHarness.h"
#include "tests/support/Render/RecordingRenderer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace QK
{
class IDrawingSurface;
}

namespace QK::TestSupport
{

// Saves what surface shows as fileName in the pictures folder (VEDIDU_PICTURES_DIR, else
// "pictures" in the working folder), for a person to look at; false when it cannot be written.
bool SavePicture(const IDrawingSurface& surface, const std::string& fileName);

// A skin's <LookList> of count looks that all show the look named look.
std::string UniformLookList(const std::string& name, int count, const std::string& look = "grey");

class RecordingWindowHost : public IWindowOSServices
{
public:
    QKRESULT SetTitle(const WString& title) override;
    QKRESULT InvalidateAll() override;
    QKRESULT InvalidateRect(const RectL& rect) override;
    QKRESULT GetClientRect(RectL& rect) override;
    QKRESULT ScreenToClient(PointL& point) override;
    QKRESULT ClientToScreen(PointL& point) override;
    QKRESULT SetWindowRect(const RectL& rect) override;
    bool Show(std::int32_t command) override;
    QKRESULT Redraw() override;
    QKRESULT BringToTop() override;
    QKRESULT SetTopMost(bool topMost) override;
    QKRESULT EndModal(std::int32_t result) override;
    std::int32_t RunModalLoop() override;
    bool IsInModalLoop() override { return inModalLoop; }
    bool IsActive() override { return active; }
    bool HasFocus() override { return hasFocus; }
    QKRESULT SetFocus() override;
    std::intptr_t SetCursor(std::intptr_t cursor) override;
    PointL GetCursorPosition() override { return lastPoint; }
    std::uint32_t GetMouseButtonState() override { return buttons; }
    std::uintptr_t GetHWND() override { return 0x1234; }
    QKRESULT SetTextCaret(bool on, const PointL& position) override;

    // Input as the host's message handlers deliver it. kind: 0 press, 2 double click.
    void Press(std::uint32_t button, const PointL& point, std::int32_t kind = 0, std::uint32_t modifiers = 0);
    void Release(std::uint32_t button, const PointL& point, std::uint32_t modifiers = 0);
    void Move(const PointL& point, std::uint32_t modifiers = 0);
    void Wheel(const PointL& point, std::int32_t direction, std::uint32_t modifiers = 0);
    // The host's key handler: FromKeyMessage in an LKeyParam with the stay-inside flag.
    void Key(std::uint32_t virtualKey, bool down, std::uint32_t modifiers = 0);
    // A control's capture request: refused (0x80004005) for a button not reported down.
    QKRESULT CaptureFor(std::uint32_t button);

    std::vector<std::string> calls;
    LRootWindow* root = nullptr;
    IdleLoop* loop = nullptr;
    bool active = true;
    bool hasFocus = true;
    bool inModalLoop = false;
    bool captured = false;
    std::uint32_t buttons = 0;
    std::uint32_t pressCount = 0;
    PointL lastPoint{-1, -1};
    PointL screenOrigin{100, 50};
    RectL clientRect{0, 0, 400, 300};
    std::intptr_t cursor = 0;
    std::int32_t modalResult = 0;
};

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
    ~WindowHarness();

    RecordingWindowHost& Host() { return m_host; }
    const RCPtr<LRootWindow>& Root() const { return m_root; }
    RecordingRenderer& Renderer() { return *m_renderer; }
    // The top control of that name as the root control; null when it cannot be made.
    RCPtr<LControl> SetRoot(const char16_t* name);
    // The control of that path ("panel/button") under the root control.
    RCPtr<LControl> Find(const std::string& path) const;

private:
    RecordingWindowHost m_host;
    RCPtr<RecordingRenderer> m_renderer;
    RCPtr<LRootWindow> m_root;
};

} // namespace QK::TestSupport
