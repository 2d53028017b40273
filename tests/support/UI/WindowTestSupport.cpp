#include "tests/support/UI/WindowTestSupport.h"

#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/Platform/Render/Cairo/PngWriter.h"
#include "QKFramework/Platform/Render/DrawingSurface.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace QK::TestSupport
{

namespace
{

std::string Rect(const RectL& rect)
{
    return std::to_string(rect.x) + "," + std::to_string(rect.y) + "," + std::to_string(rect.width) + "," +
           std::to_string(rect.height);
}

std::string Text(const LRefCountedObject* object)
{
    return object ? Narrow(object->ToString()) : std::string("null");
}

std::string Button(const LMouseButtonParam* button)
{
    return Text(button) + " b" + std::to_string(button->Button) + (button->DoubleClick ? " double" : "") +
           " state" + std::to_string(button->ButtonState);
}

} // namespace

// RecordingWindowHost ----------------------------------------------------------------------------

QKRESULT RecordingWindowHost::SetTitle(const WString& title)
{
    calls.push_back("SetTitle(" + Narrow(title) + ")");
    return QK_OK;
}

QKRESULT RecordingWindowHost::InvalidateAll()
{
    calls.push_back("InvalidateAll");
    return QK_OK;
}

QKRESULT RecordingWindowHost::InvalidateRect(const RectL& rect)
{
    calls.push_back("InvalidateRect(" + Rect(rect) + ")");
    return QK_OK;
}

QKRESULT RecordingWindowHost::GetClientRect(RectL& rect)
{
    rect = clientRect;
    return QK_OK;
}

QKRESULT RecordingWindowHost::ScreenToClient(PointL& point)
{
    point = {point.x - screenOrigin.x, point.y - screenOrigin.y};
    return QK_OK;
}

QKRESULT RecordingWindowHost::ClientToScreen(PointL& point)
{
    point = {point.x + screenOrigin.x, point.y + screenOrigin.y};
    return QK_OK;
}

QKRESULT RecordingWindowHost::SetWindowRect(const RectL& rect)
{
    calls.push_back("SetWindowRect(" + Rect(rect) + ")");
    screenOrigin = {rect.x, rect.y};
    clientRect = {0, 0, rect.width, rect.height};
    return QK_OK;
}

bool RecordingWindowHost::Show(std::int32_t command)
{
    calls.push_back("Show(" + std::to_string(command) + ")");
    return true;
}

QKRESULT RecordingWindowHost::Redraw()
{
    calls.push_back("Redraw");
    return QK_OK;
}

QKRESULT RecordingWindowHost::BringToTop()
{
    calls.push_back("BringToTop");
    return QK_OK;
}

QKRESULT RecordingWindowHost::SetTopMost(bool topMost)
{
    calls.push_back(topMost ? "SetTopMost(true)" : "SetTopMost(false)");
    return QK_OK;
}

QKRESULT RecordingWindowHost::EndModal(std::int32_t result)
{
    calls.push_back("EndModal(" + std::to_string(result) + ")");
    if (inModalLoop)
    {
        inModalLoop = false;
        modalResult = result;
    }
    return QK_OK;
}

std::int32_t RecordingWindowHost::RunModalLoop()
{
    calls.push_back("RunModalLoop");
    inModalLoop = true;
    // Bounded: a close that never comes fails the test instead of hanging it.
    for (int period = 0; inModalLoop && loop && period < 1000; ++period)
        loop->RunIdlePeriod();
    EXPECT_FALSE(inModalLoop) << "the modal loop was never ended";
    inModalLoop = false;
    return modalResult;
}

QKRESULT RecordingWindowHost::SetFocus()
{
    calls.push_back("SetFocus");
    // The window that takes the focus becomes the active one.
    active = true;
    if (!hasFocus)
    {
        hasFocus = true;
        if (root)
            root->OnActivate();
    }
    return QK_OK;
}

std::intptr_t RecordingWindowHost::SetCursor(std::intptr_t next)
{
    calls.push_back("SetCursor(" + std::to_string(next) + ")");
    const std::intptr_t previous = cursor;
    cursor = next;
    return previous;
}

QKRESULT RecordingWindowHost::SetTextCaret(bool on, const PointL& position)
{
    calls.push_back(std::string("SetTextCaret(") + (on ? "on," : "off,") + std::to_string(position.x) + "," +
                    std::to_string(position.y) + ")");
    return QK_OK;
}

void RecordingWindowHost::Press(std::uint32_t button, const PointL& point, std::int32_t kind, std::uint32_t modifiers)
{
    if (root && !root->GetFocusControl())
        SetFocus();
    lastPoint = point;
    buttons |= button;
    if (root && pressCount++ == 0 && !captured)
        captured = true;
    if (root)
        root->OnMouseButton(kind, button, modifiers, point);
}

void RecordingWindowHost::Release(std::uint32_t button, const PointL& point, std::uint32_t modifiers)
{
    buttons &= ~button;
    lastPoint = point;
    if (buttons == 0)
    {
        pressCount = 0;
        captured = false;
    }
    if (root)
        root->OnMouseButton(LRootWindow::kButtonUp, button, modifiers, point);
}

void RecordingWindowHost::Move(const PointL& point, std::uint32_t modifiers)
{
    lastPoint = point;
    if (root)
        root->OnMouseMove(point, modifiers);
}

void RecordingWindowHost::Wheel(const PointL& point, std::int32_t direction, std::uint32_t modifiers)
{
    if (root)
        root->OnMouseWheel(point, modifiers, direction);
}

void RecordingWindowHost::Key(std::uint32_t virtualKey, bool down, std::uint32_t modifiers)
{
    if (!root)
        return;
    const RCPtr<LKeyParam> key = LKeyParam::Create(KeyCode::FromKeyMessage(virtualKey, down, !down, modifiers), true);
    root->DeliverKey(key.Get());
}

QKRESULT RecordingWindowHost::CaptureFor(std::uint32_t button)
{
    return (buttons & button) ? QK_OK : QK_E_FAIL;
}

// InputProbe -----------------------------------------------------------------------------------

QKRESULT InputProbe::MouseEnter(const LPointWithModifiersParam* point)
{
    Log("MouseEnter(" + Text(point) + ")");
    return QK_OK;
}

QKRESULT InputProbe::MouseMove(const LPointWithModifiersParam* point)
{
    Log("MouseMove(" + Text(point) + ")");
    return QK_OK;
}

QKRESULT InputProbe::MouseDown(const LMouseButtonParam* button)
{
    Log("MouseDown(" + Button(button) + ")");
    if (captureOnPress)
        if (auto* root = dynamic_cast<LRootWindow*>(GetRootWindowLink()))
        {
            auto* host = dynamic_cast<RecordingWindowHost*>(root->GetHost());
            if (!host || host->CaptureFor(button->Button) == QK_OK)
                root->SetCaptureControl(this);
        }
    return QK_OK;
}

QKRESULT InputProbe::MouseUp(const LMouseButtonParam* button)
{
    Log("MouseUp(" + Button(button) + ")");
    if (captureOnPress)
        if (auto* root = dynamic_cast<LRootWindow*>(GetRootWindowLink()))
            if (root->GetCaptureControl().Get() == this && button->ButtonState == 0)
                root->ReleaseCaptureControl();
    return QK_OK;
}

QKRESULT InputProbe::MouseLeave()
{
    Log("MouseLeave");
    return QK_OK;
}

QKRESULT InputProbe::ReleaseCapture()
{
    Log("ReleaseCapture");
    return QK_OK;
}

QKRESULT InputProbe::KeyInput(LKeyParam* key)
{
    Log("KeyInput(" + Text(key) + (key->StayInside ? " inside" : "") + ")");
    return QK_OK;
}

QKRESULT InputProbe::MouseWheel(const LMouseWheelParam* wheel)
{
    Log("MouseWheel(" + Text(wheel) + ")");
    return wheelAnswer;
}

QKRESULT InputProbe::MouseWheel(const LMouseWheelParam& wheel)
{
    Log("HWheel(" + Text(&wheel) + ")");
    return wheelAnswer;
}

QKRESULT InputProbe::SizeChanged(const DoublePair& size)
{
    return ProbeControl::SizeChanged(size);
}

QKRESULT InputProbe::KillFocus()
{
    Log("KillFocus");
    return QK_OK;
}

bool InputProbe::CanAcceptDrop()
{
    Log(acceptsDrop ? "CanAcceptDrop(yes)" : "CanAcceptDrop(no)");
    return acceptsDrop;
}

QKRESULT InputProbe::DropFiles(const StringArray& paths)
{
    Log("DropFiles(" + std::to_string(paths.GetCount()) + ")");
    return QK_OK;
}

QKRESULT InputProbe::SetFocus(bool forward)
{
    ProbeControl::SetFocus(forward);
    if (auto* root = dynamic_cast<LRootWindow*>(GetRootWindowLink()))
        root->SetFocusControl(this);
    return QK_OK;
}

QKRESULT InputProbe::ShowToolTip(bool show)
{
    Log(show ? "ShowToolTip(true)" : "ShowToolTip(false)");
    return QK_OK;
}

QKRESULT InputProbe::DrawOverlay(LRenderer& renderer)
{
    Log("DrawOverlay");
    return ProbeControl::DrawOverlay(renderer);
}

QKRESULT InputProbe::DrawCustom(LRenderer& renderer)
{
    Log("DrawCustom");
    if (throwOnPaint)
        throw std::domain_error("no drawing for this part kind");
    return ProbeControl::DrawCustom(renderer);
}

RCPtr<LControl> CreateInputProbe(LControl* parent, const LControlDescriptor* descriptor)
{
    RCPtr<LControl> control(new InputProbe(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

// WindowHarness --------------------------------------------------------------------------------

WindowHarness::WindowHarness(const std::string& skins, const std::string& strings, const std::string& extraDefinitions)
    : ControlHarness(skins, strings, extraDefinitions), m_renderer(new RecordingRenderer())
{
    Factory().RegisterControlClass(WString(u"Test.Input"), &CreateInputProbe);
    m_root = LRootWindow::Create(RCPtr<LRenderer>(m_renderer.Get()), &m_host);
    m_host.root = m_root.Get();
    m_host.loop = &Loop();
    App().firstRootWindow = m_root.Get();
    App().rootWindows = {m_root.Get()};
    const RCPtr<LRootWindow> root = m_root;
    Loop().AddWindowIdleStep([root](bool first) { return root->DeliverQueuedKeys(first); });
}

WindowHarness::~WindowHarness()
{
    App().firstRootWindow = nullptr;
    App().rootWindows.clear();
    m_host.root = nullptr;
    m_root->SetHost(nullptr);
    m_root->SetRootControl(RCPtr<LControl>());
}

RCPtr<LControl> WindowHarness::SetRoot(const char16_t* name)
{
    if (m_root->SetRootControl(WString(name)) != QK_OK)
        return nullptr;
    ProbeLog::Clear();
    m_host.calls.clear();
    return m_root->GetRootControl();
}

RCPtr<LControl> WindowHarness::Find(const std::string& path) const
{
    RCPtr<LControl> control = m_root->GetRootControl();
    std::size_t start = 0;
    while (control && start <= path.size())
    {
        const std::size_t end = std::min(path.find('/', start), path.size());
        control = control->FindChild(WString(path.substr(start, end - start).c_str()));
        start = end + 1;
    }
    return control;
}

bool SavePicture(const IDrawingSurface& surface, const std::string& fileName)
{
    const char* named = std::getenv("VEDIDU_PICTURES_DIR");
    const std::filesystem::path folder = named ? std::filesystem::path(named) : std::filesystem::path("pictures");
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::vector<std::uint32_t> pixels;
    for (std::int32_t y = 0; y < surface.GetHeight(); ++y)
        for (std::int32_t x = 0; x < surface.GetWidth(); ++x)
            pixels.push_back(surface.GetPixel(x, y));
    return WritePngFile((folder / fileName).string(), pixels, surface.GetWidth(), surface.GetHeight());
}

std::string UniformLookList(const std::string& name, int count, const std::string& look)
{
    std::string looks;
    for (int i = 0; i < count; ++i)
        looks += "<Look Name=\"" + look + "\" Index=\"" + std::to_string(i) + "\"/>";
    return "<LookList Name=\"" + name + "\" NumLooks=\"" + std::to_string(count) + "\">" + looks + "</LookList>";
}

} // namespace QK::TestSupport
