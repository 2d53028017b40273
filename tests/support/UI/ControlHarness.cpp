#include "tests/support/UI/ControlHarness.h"

#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace QK::TestSupport
{

// TestRootWindow --------------------------------------------------------------------------------

ClientSizeField& ClientSizeField::operator=(const LongPair& size)
{
    m_host.clientRect.width = size.first;
    m_host.clientRect.height = size.second;
    return *this;
}

HoverControlField& HoverControlField::operator=(LControl* control)
{
    m_window.SetHoverControl(control);
    return *this;
}

TestRootWindow::TestRootWindow(const RCPtr<LRenderer>& renderer)
    : LRootWindow(renderer, &m_recordingHost), titles(m_recordingHost.titles), cursors(m_recordingHost.cursors),
      cursor(m_recordingHost.cursor), dirty(m_recordingHost.dirty), hoverControl(*this),
      clientOrigin(m_recordingHost.screenOrigin), clientSize(m_recordingHost),
      windowRects(m_recordingHost.windowRects), cursorPosition(m_recordingHost.lastPoint)
{
    m_recordingHost.root = this;
}

RCPtr<TestRootWindow> TestRootWindow::Create(const RCPtr<LRenderer>& renderer)
{
    RCPtr<TestRootWindow> window(new TestRootWindow(renderer));
    window->CompleteCreation();
    return window;
}

TestRootWindow::~TestRootWindow()
{
    // The host is a member and goes first.
    SetHost(nullptr);
}

void TestRootWindow::UpdateHover()
{
    ++hoverUpdates;
    LRootWindow::UpdateHover();
}

// TestControlApp --------------------------------------------------------------------------------

TestControlApp::TestControlApp(LControlFactory* factory, bool fakeMeasuring)
    : m_render(fakeMeasuring ? RCPtr<LMeasurementRenderer>(new FakeMeasurementRenderer()) : nullptr),
      m_factory(factory),
      m_font(LFont::FindOrCreate(WString(u"DejaVu Sans"), 9.0f, 0)), m_previous(LControlApp::GetServices())
{
    LControlApp::SetServices(this);
}

TestControlApp::~TestControlApp()
{
    LControlApp::SetServices(m_previous);
}

std::intptr_t TestControlApp::GetCursor(const WString& name) const
{
    // Distinct handles for the cursors controls ask for; 0 for any other name.
    const char16_t* const names[] = {u"UI_CURSOR_ARROW",   u"UI_CURSOR_DROP_MOVE", u"UI_CURSOR_NO_DROP",
                                     u"UI_CURSOR_SIZE_WE", u"UI_CURSOR_SIZE_NS",   u"UI_CURSOR_IBEAM",
                                     u"UI_CURSOR_HAND"};
    for (std::intptr_t i = 0; i < 7; ++i)
        if (name.IsEqual(names[i]))
            return i + 1;
    return 0;
}

// Probes ----------------------------------------------------------------------------------------

std::vector<std::string>& ProbeLog::Lines()
{
    static std::vector<std::string> lines;
    return lines;
}

ProbeControl::ProbeControl(LControl* parent, const WString& name) : LControl(parent, name) {}

ProbeControl::~ProbeControl()
{
    if (destroyed)
        *destroyed = true;
}

void ProbeControl::Log(const std::string& hook)
{
    ProbeLog::Lines().push_back(Narrow(GetName()) + ":" + hook);
}

QKRESULT ProbeControl::CreateFromDescriptor(const LControlDescriptor* descriptor)
{
    Log("CreateFromDescriptor");
    return LControl::CreateFromDescriptor(descriptor);
}

QKRESULT ProbeControl::Initialize()
{
    Log("Initialize");
    return LControl::Initialize();
}

QKRESULT ProbeControl::InitializeParts()
{
    Log("InitializeParts");
    return LControl::InitializeParts();
}

void ProbeControl::OnConditionsChanged(LConditionsParam* record)
{
    char text[64];
    std::snprintf(text, sizeof text, "OnConditionsChanged(%X->%X)", record->OldConditions, record->NewConditions);
    Log(text);
}

QKRESULT ProbeControl::SetFocus(bool forward)
{
    Log(forward ? "SetFocus(true)" : "SetFocus(false)");
    return LControl::SetFocus(forward);
}

QKRESULT ProbeControl::OnMouseWheel(const LMouseWheelParam*)
{
    Log("OnMouseWheel");
    return wheelAnswer;
}

QKRESULT ProbeControl::OnMouseHWheel(const LMouseWheelParam*)
{
    Log("OnMouseHWheel");
    return wheelAnswer;
}

bool ProbeControl::AcceptsDrop(LControl*)
{
    return dropTarget;
}

std::uint32_t ProbeControl::GetDropScrollEdges(LControl*)
{
    return dropScrollEdges;
}

void ProbeControl::OnDragEnter(LControl* dragged)
{
    Log("OnDragEnter(" + (dragged ? Narrow(dragged->GetName()) : std::string("-")) + ")");
}

void ProbeControl::OnDragLeave(LControl* dragged)
{
    Log("OnDragLeave(" + (dragged ? Narrow(dragged->GetName()) : std::string("-")) + ")");
}

QKRESULT ProbeControl::OnDrop(LControl* dragged)
{
    Log("OnDrop(" + (dragged ? Narrow(dragged->GetName()) : std::string("-")) + ")");
    return LControl::OnDrop(dragged);
}

void ProbeControl::OnValueChanged()
{
    Log("OnValueChanged");
}

QKRESULT ProbeControl::Close()
{
    Log("Close");
    return LControl::Close();
}

void ProbeControl::OnChildrenChanged(LControl* child, std::int32_t index)
{
    Log("OnChildrenChanged(" + Narrow(child->GetName()) + "," + std::to_string(index) + ")");
}

void ProbeControl::OnTimer()
{
    Log("OnTimer");
}

QKRESULT ProbePopup::SetMenuDescriptor(const LMenuDescriptor* menu)
{
    Log(menu ? "SetMenuDescriptor" : "SetMenuDescriptor(null)");
    return menu ? QK_OK : QK_E_INVALIDARG;
}

namespace
{

RCPtr<LControl> CreateNothing(LControl*, const LControlDescriptor*)
{
    return nullptr;
}

} // namespace

RCPtr<LControl> CreateProbe(LControl* parent, const LControlDescriptor* descriptor)
{
    return CreateAs<ProbeControl>(parent, descriptor);
}

RCPtr<LControl> CreateProbeToolTip(LControl* parent, const LControlDescriptor* descriptor)
{
    return CreateAs<ProbeToolTip>(parent, descriptor);
}

RCPtr<LControl> CreateProbePopup(LControl* parent, const LControlDescriptor* descriptor)
{
    return CreateAs<ProbePopup>(parent, descriptor);
}

// ControlHarness --------------------------------------------------------------------------------

ControlHarness::ControlHarness(const std::string& skins, const std::string& strings,
                               const std::string& extraDefinitions)
    : m_factory(new LControlFactory(WString(u"PresetEditor"))), m_renderer(new RecordingRenderer())
{
    m_app.SetFactory(m_factory.Get());
    const std::string document =
        skins.rfind("<?xml", 0) == 0
            ? skins
            : "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Zelvo_Skin_Definitions>\n"
              "<Application Name=\"PresetEditor\"/>\n" +
                  extraDefinitions + "\n<Skins>\n" + skins + "\n</Skins>\n</Zelvo_Skin_Definitions>\n";
    m_folder.WriteFile("FrameworkStrings.xml",
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Zelvo_StringTable_Definitions>\n"
                       "<Application Name=\"Framework\"/>\n</Zelvo_StringTable_Definitions>\n");
    m_folder.WriteFile("StringTables.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                           "<Zelvo_StringTable_Definitions>\n"
                                           "<Application Name=\"PresetEditor\"/>\n" +
                                               strings + "\n</Zelvo_StringTable_Definitions>\n");
    m_folder.WriteFile("Skins.xml", document);
    const QKRESULT loaded = m_factory->LoadSkinSources(WString((m_folder.Path() + "/").c_str()), 0x0409);
    EXPECT_EQ(loaded, QK_OK) << Narrow(m_factory->GetErrorText()) << " line " << m_factory->GetErrorLine();
    m_factory->RegisterControlClass(WString(u"Test.Probe"), &CreateProbe);
    m_factory->RegisterControlClass(WString(u"Test.ToolTip"), &CreateProbeToolTip);
    m_factory->RegisterControlClass(WString(u"Test.Popup"), &CreateProbePopup);
    m_factory->RegisterControlClass(WString(u"Test.Nothing"), &CreateNothing);
    m_window = TestRootWindow::Create(RCPtr<LRenderer>(m_renderer.Get()));
    m_window->Host().loop = &m_loop;
    m_app.firstRootWindow = m_window.Get();
    m_app.rootWindows = {m_window.Get()};
    const RCPtr<LRootWindow> window(m_window.Get());
    m_loop.AddWindowIdleStep([window](bool first) { return window->DeliverQueuedKeys(first); });
    ProbeLog::Clear();
}

ControlHarness::~ControlHarness()
{
    m_app.firstRootWindow = nullptr;
    m_app.rootWindows.clear();
    // Controls the tests still hold may outlive the harness; they find a window without host
    // that holds none of them.
    m_window->Host().loop = nullptr;
    m_window->SetHost(nullptr);
    m_window->SetRootControl(RCPtr<LControl>());
    ProbeLog::Clear();
    LNotificationCenterManager::ReleaseInstance();
}

RCPtr<LControl> ControlHarness::CreateRoot(const char16_t* name)
{
    return m_factory->CreateRootControl(WString(name), m_window.Get());
}

RCPtr<LControl> ControlHarness::CreateChild(LControl* parent, const char16_t* name)
{
    const RCPtr<LControlDescriptor> descriptor = m_factory->FindSubControlDescriptor(WString(name));
    return descriptor ? m_factory->CreateControl(descriptor.Get(), parent) : nullptr;
}

void ControlHarness::Tick(std::uint32_t ms)
{
    m_app.SetTimeMs(m_app.GetTimeMs() + ms);
    m_loop.RunIdlePeriod();
}

void SetBounds(LControl& control, double x, double y, double width, double height)
{
    const auto& layout = control.GetLayoutDescriptor();
    ASSERT_TRUE(layout) << "SetBounds needs a control with a layout description";
    AxisSpec axes[2] = {layout->X, layout->Y};
    const double place[2][2] = {{x, width}, {y, height}};
    for (int axis = 0; axis < 2; ++axis)
    {
        axes[axis].PlacementAnchor = 0.0f;
        axes[axis].Position = LayoutReference{1, WString(), 0.0f, place[axis][0]};
        axes[axis].Size = LayoutReference{2, WString(), 0.0f, place[axis][1]};
        axes[axis].MinSize = LayoutLimit();
        axes[axis].MaxSize = LayoutLimit();
    }
    layout->XIsDocked = false;
    layout->YIsDocked = false;
    control.SetLayout(axes[0], axes[1]);
    EXPECT_EQ(control.GetBounds(), (RectD{x, y, width, height})) << "the control could not be laid out";
}

void PaintTree(LRenderer& renderer, LControl& top, const RectRegion& dirty)
{
    const RCPtr<LRenderer> held(&renderer);
    RCPtrArray<LControl> unclipped;
    if (top.Paint(renderer, dirty, unclipped, false) == QK_E_INVALIDARG)
        unclipped.Add(RCPtr<LControl>(&top));
    std::vector<const LControl*> painted;
    // The list grows while it is painted: unclipped controls collect their own.
    for (std::uint32_t i = 0; i < unclipped.GetCount(); ++i)
    {
        const RCPtr<LControl> control = *unclipped.GetAt(i);
        if (std::find(painted.begin(), painted.end(), control.Get()) != painted.end())
            continue;
        painted.push_back(control.Get());
        PointD origin{0.0, 0.0};
        if (const LControl* parent = control->GetParent())
        {
            parent->GetPositionInRoot(origin);
            const RectD client = parent->GetLookClientRect(-1);
            origin.x += client.x - parent->GetScrollOffset().x;
            origin.y += client.y - parent->GetScrollOffset().y;
        }
        const CAutoRenderState state(held);
        ClipDescription place;
        place.flavor = ClipDescription::kTranslation;
        place.offset = origin;
        const CAutoClip translation(held, place);
        control->Paint(renderer, dirty, unclipped, true);
    }
}

} // namespace QK::TestSupport
