#include "QKFramework/Renderer/RenderApp.h"

#include "QKFramework/Platform/Render/FontMatcher.h"
#include "QKFramework/Renderer/SystemMeasurementRenderer.h"
#include "QKFramework/Utilities/Storage/CharUtil.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>

namespace QK
{

namespace
{

class Defaults final : public DefaultRenderAppServices
{
};

const Defaults g_defaults;
std::atomic<const IRenderAppServices*> g_services{nullptr};

const IRenderAppServices& Services()
{
    const IRenderAppServices* services = g_services.load(std::memory_order_acquire);
    return services ? *services : g_defaults;
}

std::mutex g_resolutionVariableMutex;

// Never destroyed: a renderer may be made while static objects go.
std::string& ResolutionVariable()
{
    static auto* const name = new std::string();
    return *name;
}

} // namespace

ConstRCPtr<LMeasurementRenderer> DefaultRenderAppServices::GetMeasurementRenderer() const
{
    static const ConstRCPtr<LMeasurementRenderer> renderer(new LSystemMeasurementRenderer());
    return renderer;
}

std::uint32_t DefaultRenderAppServices::GetTimeMs() const
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

QKRESULT DefaultRenderAppServices::GetSystemFont(WString& family, float& size, std::int32_t& style) const
{
    return GetDesktopFont(family, size, style);
}

void LRenderApp::SetServices(const IRenderAppServices* services)
{
    g_services.store(services, std::memory_order_release);
}

const IRenderAppServices* LRenderApp::GetServices()
{
    return g_services.load(std::memory_order_acquire);
}

ConstRCPtr<LMeasurementRenderer> LRenderApp::GetMeasurementRenderer()
{
    return Services().GetMeasurementRenderer();
}

std::uint32_t LRenderApp::GetTimeMs()
{
    return Services().GetTimeMs();
}

QKRESULT LRenderApp::GetSystemFont(WString& family, float& size, std::int32_t& style)
{
    return Services().GetSystemFont(family, size, style);
}

WString LRenderApp::GetApplicationString(const char16_t* key)
{
    WString text;
    if (!Services().GetApplicationString(key, text))
        text.Clear();
    return text;
}

void LRenderApp::SetScreenResolutionVariable(const std::string& name)
{
    std::lock_guard lock(g_resolutionVariableMutex);
    ResolutionVariable() = name;
}

std::int32_t LRenderApp::GetScreenResolution()
{
    constexpr std::int32_t kLargest = 10000;
    std::string variable;
    {
        std::lock_guard lock(g_resolutionVariableMutex);
        variable = ResolutionVariable();
    }
    if (const char* text = variable.empty() ? nullptr : std::getenv(variable.c_str()))
    {
        const std::int32_t dpi = ParseInt(text);
        if (dpi >= 1 && dpi <= kLargest)
            return dpi;
    }
    const std::int32_t dpi = Services().GetScreenResolution();
    return dpi >= 1 && dpi <= kLargest ? dpi : 96;
}

} // namespace QK
