// A host for control trees without a window system, for the control tests.
//
// Contents:
//   - TestRootWindow: a root window that is its own notification queue (its "NID_IDLE" goes
//     out when the idle loop drains it) and writes down what the controls ask of it: dirty
//     rectangles, title, cursor, hover refreshes.
//   - TestControlApp: the application's services for controls (factory, default font,
//     cursors, clock; dialog windows only written down), installed for its lifetime, with
//     the drawing layer's services and the fake measurement renderer.
//   - ProbeControl: a control that logs its hooks, and ProbeToolTip / ProbePopup, the tooltip
//     and context menu the base creates on demand; all registered as "Test.Probe",
//     "Test.ToolTip", "Test.Popup"; "Test.Nothing" has a create function that answers null.
//   - ControlHarness: inline skin and string-table XML loaded through the real loader, the
//     services installed, a root window and the idle loop (Tick).
// UI thread only, like the controls themselves.
#pragma once

#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/ControlBase/ControlPopups.h"
#include "QKFramework/ControlBase/Input/GlobalHotKeyManager.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/Notification/NotificationQueue.h"
#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Renderer/Renderer.h"

#include "tests/support/IdleLoop.h"
#include "tests/support/Recorder.h"
#include "tests/support/Render/FakeMeasurementRenderer.h"
#include "tests/support/Render/ScopedRenderApp.h"
#include "tests/support/TempFolder.h"

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace QK::TestSupport
{

class TestRootWindow : public IRootWindow, public LNotificationQueue
{
public:
    static RCPtr<TestRootWindow> Create();
    ~TestRootWindow() override;

    void SetTitle(const WString& title) override { titles.push_back(Narrow(title)); }
    std::intptr_t SetCursor(std::intptr_t cursor) override;
    void UpdateHover() override { ++hoverUpdates; }
    void InvalidateRect(const RectD& rect) override { dirty.push_back(rect); }
    LControl* GetHoverControl() const override { return hoverControl; }
    PointL GetClientOrigin() const override { return clientOrigin; }
    LongPair GetClientSize() const override { return clientSize; }
    // Written down and taken as the new client area; the top control hears of it only when
    // the test calls SizeChanged, as a host would.
    void SetWindowRect(const RectL& rect) override;
    PointL GetCursorPosition() const override { return cursorPosition; }
    QKRESULT ReleaseInternalReferences() override;

    std::vector<std::string> titles;
    std::vector<std::intptr_t> cursors;
    std::intptr_t cursor = 0;
    std::int32_t hoverUpdates = 0;
    std::vector<RectD> dirty;
    LControl* hoverControl = nullptr;
    PointL clientOrigin{100, 50};
    LongPair clientSize{400, 300};
    std::vector<RectL> windowRects;
    PointL cursorPosition;

private:
    TestRootWindow() = default;
    bool m_selfTarget = false;
};

class TestControlApp final : public DefaultControlAppServices
{
public:
    // fakeMeasuring: texts are measured by the fake measurement renderer, else by the
    // system's (FreeType), as where they are drawn for a person to see.
    explicit TestControlApp(LControlFactory* factory = nullptr, bool fakeMeasuring = true);
    TestControlApp(const TestControlApp&) = delete;
    TestControlApp& operator=(const TestControlApp&) = delete;
    ~TestControlApp();

    LControlFactory* GetControlFactory() const override { return m_factory; }
    ConstRCPtr<LFont> GetDefaultFont() const override { return m_font; }
    RCPtr<LControl> GetDefaultCommandTarget() const override { return commandTarget; }
    // "UI_CURSOR_ARROW" is 1, every other name 0.
    std::intptr_t GetCursor(const WString& name) const override;
    double GetTime() const override { return m_render.GetTimeMs() / 1000.0; }
    RectL GetWorkArea() const override { return workArea; }
    IRootWindow* GetActiveRootWindow() const override { return activeRootWindow; }
    IRootWindow* GetFirstRootWindow() const override { return firstRootWindow; }
    PointL GetCursorPos() const override { return cursorPos; }
    std::uint32_t GetMouseButtonState() const override { return buttonState; }
    std::vector<IRootWindow*> GetRootWindows() const override { return rootWindows; }
    LGlobalHotKeyManager* GetHotKeyManager() const override { return hotKeys.Get(); }
    // Written down in dialogWindows and answered with dialogWindowAnswer; no window opens.
    QKRESULT CreateDialogRootWindow(LControl* control, std::int32_t option) const override
    {
        dialogWindows.emplace_back(control, option);
        return dialogWindowAnswer;
    }

    void SetFactory(LControlFactory* factory) { m_factory = factory; }
    void SetTimeMs(std::uint32_t ms) { m_render.SetTimeMs(ms); }
    std::uint32_t GetTimeMs() const { return m_render.GetTimeMs(); }

    RCPtr<LControl> commandTarget;
    RectL workArea{0, 0, 1600, 1000};
    IRootWindow* activeRootWindow = nullptr;
    IRootWindow* firstRootWindow = nullptr;
    PointL cursorPos;
    std::uint32_t buttonState = 0;
    std::vector<IRootWindow*> rootWindows;
    // The application's hot keys, with no target: tests read the bindings.
    RCPtr<LGlobalHotKeyManager> hotKeys = LGlobalHotKeyManager::Create(nullptr);
    mutable std::vector<std::pair<LControl*, std::int32_t>> dialogWindows;
    QKRESULT dialogWindowAnswer = QK_E_FAIL;

private:
    ScopedRenderApp m_render;
    LControlFactory* m_factory;
    ConstRCPtr<LFont> m_font;
    const IControlAppServices* m_previous;
};

// The hooks a probe writes down, as "<name>:<hook>" lines in one shared log.
class ProbeLog
{
public:
    static std::vector<std::string>& Lines();
    static void Clear() { Lines().clear(); }
};

class ProbeControl : public LControl
{
public:
    ProbeControl(LControl* parent, const WString& name);
    ~ProbeControl() override;

    QKRESULT CreateFromDescriptor(const LControlDescriptor* descriptor) override;
    QKRESULT Initialize() override;
    QKRESULT InitializeParts() override;
    void OnConditionsChanged(LConditionsParam* record) override;
    QKRESULT SetFocus(bool forward) override;
    void OnValueChanged() override;
    QKRESULT Close() override;
    void OnChildrenChanged(LControl* child, std::int32_t index) override;
    void OnTimer() override;
    bool IsCommandTarget() const override { return commandTarget; }
    // Asked before the focus leaves this control; keepsFocus refuses, as a text box that
    // fails its validation does.
    bool IsUITarget() const override { return !keepsFocus; }
    // Written down; answer with wheelAnswer (1 passes the wheel on).
    QKRESULT OnMouseWheel(const LMouseWheelParam*) override;
    QKRESULT OnMouseHWheel(const LMouseWheelParam*) override;
    // A drop target when dropTarget is set; enter, leave and drop are written down.
    bool AcceptsDrop(LControl* dragged) override;
    std::uint32_t GetDropScrollEdges(LControl* dragged) override;
    void OnDragEnter(LControl* dragged) override;
    void OnDragLeave(LControl* dragged) override;
    QKRESULT OnDrop(LControl* dragged) override;

    void Log(const std::string& hook);

    bool commandTarget = false;
    bool keepsFocus = false;
    QKRESULT wheelAnswer = QK_FALSE;
    bool dropTarget = false;
    std::uint32_t dropScrollEdges = 0;
    bool* destroyed = nullptr;
};

class ProbeToolTip : public ProbeControl, public IToolTipControl
{
public:
    using ProbeControl::ProbeControl;
    void Hide() override { Log("Hide"); }
    void Show(const WString& text) override { Log("Show(" + Narrow(text) + ")"); }
};

class ProbePopup : public ProbeControl, public IPopupMenuControl
{
public:
    using ProbeControl::ProbeControl;
    QKRESULT SetMenuDescriptor(const LMenuDescriptor* menu) override;
    void PopUp() override { Log("PopUp"); }
};

// A class's create function for T: construct, CreateFromDescriptor, CreateChildControls,
// Initialize, InitializeParts, created flag.
template <class T> RCPtr<LControl> CreateAs(LControl* parent, const LControlDescriptor* descriptor)
{
    RCPtr<LControl> control(new T(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

// The create functions of the probe classes.
RCPtr<LControl> CreateProbe(LControl* parent, const LControlDescriptor* descriptor);
RCPtr<LControl> CreateProbeToolTip(LControl* parent, const LControlDescriptor* descriptor);
RCPtr<LControl> CreateProbePopup(LControl* parent, const LControlDescriptor* descriptor);

class ControlHarness
{
public:
    // skins: the inside of <Skins> (one or more <Skin> elements), or a whole document when it
    // starts with "<?xml". strings: <StringTable> elements of the application's tables.
    // The document gets the colorizers, parts and looks of extraDefinitions.
    explicit ControlHarness(const std::string& skins, const std::string& strings = std::string(),
                            const std::string& extraDefinitions = std::string());
    ~ControlHarness();

    LControlFactory& Factory() { return *m_factory; }
    TestControlApp& App() { return m_app; }
    const RCPtr<TestRootWindow>& Window() const { return m_window; }
    IdleLoop& Loop() { return m_loop; }
    const TempFolder& Folder() const { return m_folder; }

    // The top control of that name in the current skin, attached to the root window.
    RCPtr<LControl> CreateRoot(const char16_t* name);
    // A control made from the current skin's SubControl of that name, under parent.
    RCPtr<LControl> CreateChild(LControl* parent, const char16_t* name);
    // Advances the clock by ms and runs one idle period.
    void Tick(std::uint32_t ms = 33);

private:
    TempFolder m_folder;
    RCPtr<LControlFactory> m_factory;
    TestControlApp m_app;
    RCPtr<TestRootWindow> m_window;
    IdleLoop m_loop;
};

// Gives control fixed bounds: its layout becomes a position in the parent's client area and
// a size of its own, and the control is laid out with them.
void SetBounds(LControl& control, double x, double y, double width, double height);

// Paints a tree as its root window does: the top control's first pass over dirty (root
// coordinates), then each control that is not clipped to its parent, in the order they were
// collected, each once, placed at its parent's client origin in the window.
void PaintTree(LRenderer& renderer, LControl& top, const RectRegion& dirty);

} // namespace QK::TestSupport

namespace QK
{
// Rectangles and points in test messages, found by GoogleTest next to their types.
template <class T> void PrintTo(const RectT<T>& rect, std::ostream* out)
{
    *out << "(" << rect.x << ", " << rect.y << ", " << rect.width << " x " << rect.height << ")";
}
template <class T> void PrintTo(const PointT<T>& point, std::ostream* out)
{
    *out << "(" << point.x << ", " << point.y << ")";
}
} // namespace QK
