// A host for control trees without a window system, for the control tests.
//
// Contents:
//   - TestRootWindow: a root window that is its own notification queue (its "NID_IDLE" goes
//     out when the idle loop drains it) and writes down what the controls ask of it: dirty
//     rectangles, title, cursor, hover refreshes.
//   - TestControlApp: the application's services for controls (factory, default font,
//     cursors, clock), installed for its lifetime, with the drawing layer's services and the
//     fake measurement renderer.
//   - ProbeControl: a control that logs its hooks, and ProbeToolTip / ProbePopup, the tooltip
//     and context menu the base creates on demand; all registered as "Test.Probe",
//     "Test.ToolTip", "Test.Popup"; "Test.Nothing" has a create function that answers null.
//   - ControlHarness: inline skin and string-table XML loaded through the real loader, the
//     services installed, a root window and the idle loop (Tick).
// UI thread only, like the controls themselves.
#pragma once

#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/ControlBase/ControlPopups.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/Notification/NotificationQueue.h"
#include "QKFramework/Renderer/Font.h"

#include "tests/support/IdleLoop.h"
#include "tests/support/Recorder.h"
#include "tests/support/Render/FakeMeasurementRenderer.h"
#include "tests/support/Render/ScopedRenderApp.h"
#include "tests/support/TempFolder.h"

#include <cstdint>
#include <map>
#include <string>
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
    QKRESULT ReleaseInternalReferences() override;

    std::vector<std::string> titles;
    std::vector<std::intptr_t> cursors;
    std::intptr_t cursor = 0;
    std::int32_t hoverUpdates = 0;
    std::vector<RectD> dirty;

private:
    TestRootWindow() = default;
    bool m_selfTarget = false;
};

class TestControlApp final : public DefaultControlAppServices
{
public:
    explicit TestControlApp(LControlFactory* factory = nullptr);
    TestControlApp(const TestControlApp&) = delete;
    TestControlApp& operator=(const TestControlApp&) = delete;
    ~TestControlApp();

    LControlFactory* GetControlFactory() const override { return m_factory; }
    ConstRCPtr<LFont> GetDefaultFont() const override { return m_font; }
    RCPtr<LControl> GetDefaultCommandTarget() const override { return commandTarget; }
    // "UI_CURSOR_ARROW" is 1, every other name 0.
    std::intptr_t GetCursor(const WString& name) const override;
    double GetTime() const override { return m_render.GetTimeMs() / 1000.0; }

    void SetFactory(LControlFactory* factory) { m_factory = factory; }
    void SetTimeMs(std::uint32_t ms) { m_render.SetTimeMs(ms); }
    std::uint32_t GetTimeMs() const { return m_render.GetTimeMs(); }

    RCPtr<LControl> commandTarget;

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

    void Log(const std::string& hook);

    bool commandTarget = false;
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

// The create functions of the probe classes, as a class's create function runs: construct,
// CreateFromDescriptor, CreateChildControls, Initialize, InitializeParts, created flag.
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

// Places control as the layout pass would.
void SetBounds(LControl& control, double x, double y, double width, double height);

} // namespace QK::TestSupport
