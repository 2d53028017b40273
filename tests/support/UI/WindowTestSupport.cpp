#include "tests/support/UI/WindowTestSupport.h"

#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/Renderer/Gdi/GDIRenderContextInfo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace QK::TestSupport
{

namespace
{

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
    return CreateAs<InputProbe>(parent, descriptor);
}

// WindowHarness --------------------------------------------------------------------------------

WindowHarness::WindowHarness(const std::string& skins, const std::string& strings, const std::string& extraDefinitions)
    : ControlHarness(skins, strings, extraDefinitions), m_root(Window().Get())
{
    Factory().RegisterControlClass(WString(u"Test.Input"), &CreateInputProbe);
}

RCPtr<LControl> WindowHarness::SetRoot(const char16_t* name)
{
    if (m_root->SetRootControl(WString(name)) != QK_OK)
        return nullptr;
    ProbeLog::Clear();
    Host().ClearRecords();
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

// Pictures ------------------------------------------------------------------------------------------

std::string UniformLooks(const std::string& listName)
{
    return R"(
  <Colorizers><Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/></Colorizers>
  <Parts><Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/></Parts>
  <Looks><Look Name="grey"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look></Looks>
  <LookLists>)" +
           UniformLookList(listName, 14) + "</LookLists>";
}

const IDrawingSurface& PaintOffscreen(LRootWindow& window, LRenderer& renderer, const RectL& area,
                                      RCPtr<LRenderContextInfo>& context)
{
    if (renderer.InitRenderContextInfo(area, 0, true, context) != QK_OK || !context)
        throw std::runtime_error("PaintOffscreen: no render context");
    renderer.RenderStart(context);
    RectRegion region;
    window.TakeUpdateRegion(region);
    region.AddRect(area.x, area.y, area.x + area.width, area.y + area.height);
    window.Paint(region);
    renderer.RenderFinish(context);
    return static_cast<LGDIRenderContextInfo&>(*context).GetFrontSurface().GetSurface();
}

std::vector<std::uint32_t> PixelsOf(const IDrawingSurface& surface, const RectL& area)
{
    std::vector<std::uint32_t> pixels;
    for (std::int32_t y = area.y; y < area.y + area.height; ++y)
        for (std::int32_t x = area.x; x < area.x + area.width; ++x)
            pixels.push_back(surface.GetPixel(x, y));
    return pixels;
}

const IDrawingSurface& RepaintOffscreen(LRootWindow& window, LRenderer& renderer,
                                        const RCPtr<LRenderContextInfo>& context)
{
    if (!context)
        throw std::runtime_error("RepaintOffscreen: no render context");
    renderer.RenderStart(context);
    RectRegion region;
    window.TakeUpdateRegion(region);
    window.Paint(region);
    renderer.RenderFinish(context);
    return static_cast<LGDIRenderContextInfo&>(*context).GetFrontSurface().GetSurface();
}

std::string UniformLookList(const std::string& name, int count, const std::string& look)
{
    std::string looks;
    for (int i = 0; i < count; ++i)
        looks += "<Look Name=\"" + look + "\" Index=\"" + std::to_string(i) + "\"/>";
    return "<LookList Name=\"" + name + "\" NumLooks=\"" + std::to_string(count) + "\">" + looks + "</LookList>";
}

} // namespace QK::TestSupport
