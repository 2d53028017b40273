// A host for control trees without a window system, for the control tests.
//
// Contents:
//   - TestRootWindow: a real root window over a recording host of its own. Its fields are
//     views of what the controls asked of the window (titles, cursors, invalidated
//     rectangles, window rectangles) and of what the host answers (client origin and size,
//     pointer position), plus the hover control and a count of hover refreshes.
//   - TestControlApp: the application's services for controls (factory, default font,
//     cursors, clock, held keys; dialog windows only written down), installed for its
//     lifetime, with the drawing layer's services and the fake measurement renderer.
//   - ProbeControl: a control that logs its hooks, and ProbeToolTip / ProbePopup, the tooltip
//     and context menu the base creates on demand; all registered as "Test.Probe",
//     "Test.ToolTip", "Test.Popup"; "Test.Nothing" has a create function that answers null.
//   - ControlHarness: inline skin and string-table XML loaded through the real loader, the
//     services installed, a root window (listed with the application, its idle step in the
//     idle loop) and the idle loop (Tick).
// UI thread only, like the controls themselves.
#pragma once

#include "QKFramework/Application/RootWindow.h"
#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/ControlBase/ControlPopups.h"
#include "QKFramework/ControlBase/Input/GlobalHotKeyManager.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Renderer/Renderer.h"

#include "tests/support/IdleLoop.h"
#include "tests/support/Recorder.h"
#include "tests/support/Render/FakeMeasurementRenderer.h"
#include "tests/support/Render/RecordingRenderer.h"
#include "tests/support/Render/ScopedRenderApp.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UI/RecordingWindowHost.h"

#include <cstdint>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace QK::TestSupport
{

// The client size the host reports. Assigning sizes the host's client area; the top control
// hears of it only when the test calls SizeChanged, as from a host.
class ClientSizeField
{
public:
    explicit ClientSizeField(RecordingWindowHost& host) : m_host(host) {}
    ClientSizeField& operator=(const LongPair& size);
    operator LongPair() const { return {m_host.clientRect.width, m_host.clientRect.height}; }
    friend bool operator==(const ClientSizeField& field, const LongPair& size) { return LongPair(field) == size; }
    friend void PrintTo(const ClientSizeField& field, std::ostream* out)
    {
        const LongPair size = field;
        *out << size.first << " x " << size.second;
    }

private:
    RecordingWindowHost& m_host;
};

// The root window's hover control. Assigning moves the hover as the pointer would, with the
// MouseLeave, MouseEnter and tooltip changes that brings (a capture control keeps the hover).
class HoverControlField
{
public:
    explicit HoverControlField(LRootWindow& window) : m_window(window) {}
    HoverControlField& operator=(LControl* control);
    operator LControl*() const { return m_window.GetHoverControl(); }
    LControl* operator->() const { return m_window.GetHoverControl(); }
    friend void PrintTo(const HoverControlField& field, std::ostream* out)
    {
        const LControl* control = field;
        *out << (control ? Narrow(control->GetName()) : std::string("null"));
    }

private:
    LRootWindow& m_window;
};

class TestRootWindow : public LRootWindow
{
public:
    // renderer: null draws nothing.
    static RCPtr<TestRootWindow> Create(const RCPtr<LRenderer>& renderer = RCPtr<LRenderer>());
    ~TestRootWindow() override;

    RecordingWindowHost& Host() { return m_recordingHost; }
    // Counted in hoverUpdates, then the root window's own hit test.
    void UpdateHover() override;

private:
    explicit TestRootWindow(const RCPtr<LRenderer>& renderer);

    // First, so that the views below refer to a host that exists.
    RecordingWindowHost m_recordingHost;

public:
    std::vector<std::string>& titles;
    std::vector<std::intptr_t>& cursors;
    std::intptr_t& cursor;
    std::int32_t hoverUpdates = 0;
    // Invalidated areas as the host was asked to repaint them: whole pixels inside the
    // client area; nothing for an area wholly outside it.
    std::vector<RectD>& dirty;
    HoverControlField hoverControl;
    PointL& clientOrigin;
    ClientSizeField clientSize;
    // Only the rectangles that differ from the window's current one reach the host.
    std::vector<RectL>& windowRects;
    PointL& cursorPosition;
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
    // "UI_CURSOR_ARROW" 1, "..._DROP_MOVE" 2, "..._NO_DROP" 3, "..._SIZE_WE" 4, "..._SIZE_NS" 5,
    // "..._IBEAM" 6, "..._HAND" 7, every other name 0.
    std::intptr_t GetCursor(const WString& name) const override;
    double GetTime() const override { return m_render.GetTimeMs() / 1000.0; }
    RectL GetWorkArea() const override { return workArea; }
    IRootWindow* GetActiveRootWindow() const override { return activeRootWindow; }
    IRootWindow* GetFirstRootWindow() const override { return firstRootWindow; }
    PointL GetCursorPos() const override { return cursorPos; }
    std::uint32_t GetMouseButtonState() const override { return buttonState; }
    std::vector<IRootWindow*> GetRootWindows() const override { return rootWindows; }
    bool IsKeyDown(std::uint32_t virtualKey) const override { return keysDown.count(virtualKey) != 0; }
    LGlobalHotKeyManager* GetHotKeyManager() const override { return hotKeys.Get(); }
    // Written down in dialogWindows and answered with dialogWindowAnswer; no window opens.
    QKRESULT CreateDialogRootWindow(LControl* control, std::int32_t option) const override
    {
        dialogWindows.emplace_back(control, option);
        return dialogWindowAnswer;
    }
    // Written down, and taken as the pointer's new place.
    void SetCursorPos(const PointL& point) const override
    {
        cursorMoves.push_back(point);
        cursorPos = point;
    }

    void SetFactory(LControlFactory* factory) { m_factory = factory; }
    void SetTimeMs(std::uint32_t ms) { m_render.SetTimeMs(ms); }
    std::uint32_t GetTimeMs() const { return m_render.GetTimeMs(); }

    RCPtr<LControl> commandTarget;
    RectL workArea{0, 0, 1600, 1000};
    IRootWindow* activeRootWindow = nullptr;
    IRootWindow* firstRootWindow = nullptr;
    mutable PointL cursorPos;
    std::uint32_t buttonState = 0;
    std::vector<IRootWindow*> rootWindows;
    mutable std::vector<PointL> cursorMoves;
    // The virtual keys IsKeyDown reports held.
    std::set<std::uint32_t> keysDown;
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
    // The root window's renderer.
    RecordingRenderer& Renderer() { return *m_renderer; }
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
    RCPtr<RecordingRenderer> m_renderer;
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
