#include "QKFramework/ControlBase/ControlApp.h"

#include <cmath>

#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Renderer/RenderApp.h"
#include "QKFramework/Utilities/Storage/StringT.h"

namespace QK
{

namespace
{

class Defaults final : public DefaultControlAppServices
{
};

const Defaults kDefaults;
const IControlAppServices* g_services = nullptr;

const IControlAppServices& Current()
{
    return g_services ? *g_services : kDefaults;
}

} // namespace

ConstRCPtr<LFont> DefaultControlAppServices::GetDefaultFont() const
{
    WString family;
    float size = 0.0f;
    std::int32_t style = 0;
    if (Failed(LRenderApp::GetSystemFont(family, size, style)) || family.IsEmpty() || size <= 0.0f)
        return LFont::FindOrCreate(WString(u"sans-serif"), 9.0f, 0);
    return LFont::FindOrCreate(family, size, style);
}

RCPtr<LControl> DefaultControlAppServices::GetDefaultCommandTarget() const
{
    return nullptr;
}

double DefaultControlAppServices::GetTime() const
{
    return LRenderApp::GetTimeMs() / 1000.0;
}

void LControlApp::SetServices(const IControlAppServices* services)
{
    g_services = services;
}

const IControlAppServices* LControlApp::GetServices()
{
    return g_services;
}

LControlFactory* LControlApp::GetControlFactory()
{
    return Current().GetControlFactory();
}

ConstRCPtr<LFont> LControlApp::GetDefaultFont()
{
    return Current().GetDefaultFont();
}

RCPtr<LControl> LControlApp::GetDefaultCommandTarget()
{
    return Current().GetDefaultCommandTarget();
}

std::intptr_t LControlApp::GetCursor(const WString& name)
{
    return Current().GetCursor(name);
}

double LControlApp::GetTime()
{
    return Current().GetTime();
}

RectL LControlApp::GetWorkArea()
{
    return Current().GetWorkArea();
}

IRootWindow* LControlApp::GetActiveRootWindow()
{
    return Current().GetActiveRootWindow();
}

IRootWindow* LControlApp::GetFirstRootWindow()
{
    return Current().GetFirstRootWindow();
}

PointL LControlApp::GetCursorPos()
{
    return Current().GetCursorPos();
}

bool LControlApp::IsKeyDown(std::uint32_t virtualKey)
{
    return Current().IsKeyDown(virtualKey);
}

std::uint32_t LControlApp::GetMouseButtonState()
{
    return Current().GetMouseButtonState();
}

std::vector<IRootWindow*> LControlApp::GetRootWindows()
{
    return Current().GetRootWindows();
}

LGlobalHotKeyManager* LControlApp::GetHotKeyManager()
{
    return Current().GetHotKeyManager();
}

void LControlApp::SetCursorPos(const PointL& point)
{
    Current().SetCursorPos(point);
}

QKRESULT LControlApp::HandleHotKey(const KeyCode& key)
{
    return Current().HandleHotKey(key);
}

QKRESULT LControlApp::CreateDialogRootWindow(LControl* control, std::int32_t option)
{
    return Current().CreateDialogRootWindow(control, option);
}

std::uint32_t LControlApp::GetMilliseconds()
{
    const double seconds = GetTime();
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(std::llround(seconds * 1000.0)));
}

} // namespace QK
